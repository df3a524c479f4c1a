// Under a file size limit (ulimit -f) a write past it must fail like one on
// a full disk, not end the program with SIGXFSZ and the tests typed so far.
#include "StorageTest.h"
#include "support/ChildProcess.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"
#include "platform/SafeFile.h"

#include <csignal>
#include <sys/resource.h>

using FileSizeLimit = StorageTest;

TEST_F(FileSizeLimit, AWritePastTheLimitIsAFailedWriteAndTheProgramGoesOn)
{
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    Protocols.push_back(SampleProtocol(QStringLiteral("a"), At(9)));
    ASSERT_TRUE(KeepPendingSeries(1));
    const QString pending = Data + QStringLiteral("/PENDING 1.QTA");
    const std::string before = ReadFileBytes(pending);
    ASSERT_GT(before.size(), 200u);
    Protocol typed = Protocols[1];
    typed.Blocks[1].Values.push_back(MakeTest(3.5f, "N", At(10)));
    Protocols[1] = typed;
    Presenter.Answer(AnswerNo);

    const int status = WaitForChild(StartChild([&] {
        const rlim_t bytes = static_cast<rlim_t>(before.size() / 2);
        const rlimit limit{bytes, bytes};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return ChildSetupFailed;
        // The signal as a shell leaves it, then the program's start.
        std::signal(SIGXFSZ, SIG_DFL);
        IgnoreFileSizeLimitSignal();
        // A second failed write does not ask again.
        if (KeepPendingSeries(1) || KeepPendingSeries(1))
            return 1;
        if (Presenter.Shown.size() != 1 || !(Presenter.Shown[0] == ComposeMessage(31, {}, 2)))
            return 2;
        // The typed test stays with the series in memory.
        return Protocols[1] == typed ? 0 : 3;
    }));
    if (status == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    // 153 is 128 + SIGXFSZ: ended by the limit.
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFileBytes(pending), before);
    // Each failed write logged as a full disk.
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskPutTestReportActi\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t61\t")), 2) << LogLines().join(u'\n').toStdString();
    EXPECT_EQ(LogLines().size(), 2);
}
