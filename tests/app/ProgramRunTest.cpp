// The built program, started as an operator starts it (its entry point runs
// in no other test): offscreen, in a program folder of its own, with an open
// series from the last run. The input plugin beside this test presses OK in
// its start-up windows and says when the main window is up.
#include "support/SeriesTests.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "storage/modSeat.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Bounds of the waits for the program, so that no test can hang; nothing
// is asserted of how long anything took. The splash alone stays 5 s.
constexpr qint64 StartBound = 120000;
constexpr qint64 EndBound = 60000;

// A series of a style with a typed value, one test typed.
Protocol TypedSeries()
{
    Style style = MakeBlankStyle();
    style.Name = QStringLiteral("Denim");
    style.Forms[1].Name = QStringLiteral("Form A");
    style.Forms[1].Items[1] = ReportFormItem{1, false, false};
    Protocol p = MakeEmptyProtocol();
    p.Style = style;
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    p.Operator = QStringLiteral("Miller");
    p.Date = p.LastTestDate = DateSerial(2024, 1, 5) + TimeSerial(9, 0, 0);
    p.Blocks[1].Values.push_back(SeriesTest(12.5f));
    p.Blocks[1].StartDate = p.Date;
    return p;
}

struct Started {
    pid_t Pid = -1;
    int Report = -1;   // the read end of the input plugin's lines
};

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Temp.isValid());
        Home = Temp.path() + QStringLiteral("/Home");
        Data = Temp.path() + QStringLiteral("/Data");
        ASSERT_TRUE(QDir().mkpath(Home));
        ASSERT_TRUE(QDir().mkpath(Data));
        // The last run's state, written by the program's own writers: the
        // settings (no first start), the data folder and the open series.
        SetProgramFolder(Home);
        ResetSettingsGlobals(Home);
        DataFolder = Data;
        Series = TypedSeries();
        Styles = {MakeBlankStyle(), Series.Style};
        ASSERT_TRUE(SaveSettings());
        Protocols = {MakeEmptyProtocol()};
        LoadPendingProtocols();
        Protocols.push_back(Series);
        ASSERT_TRUE(KeepPendingSeries(1));
        Protocols = {MakeEmptyProtocol()};
        Pending = ReadPending();
        ASSERT_FALSE(Pending.empty());
    }
    void TearDown() override
    {
        Protocols = {MakeEmptyProtocol()};
        ResetSettingsGlobals(Home);
        SetProgramFolder(QString());
    }

    // In the data folder itself before the program took it over into its
    // seat's folder (a take-over that could not write its copy leaves it).
    std::string ReadPending() const
    {
        QFile seat(Home + u'/' + QLatin1String(SeatFileName));
        QFile taken(Data + u'/'
                    + (seat.open(QIODevice::ReadOnly) ? SeatFolderName(QString::fromLatin1(seat.readAll()).trimmed())
                                                      : QString())
                    + QStringLiteral("/PENDING 1.QTA"));
        if (taken.open(QIODevice::ReadOnly))
            return taken.readAll().toStdString();
        QFile file(Data + QStringLiteral("/PENDING 1.QTA"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    // Starts the built program as nohup does (SIGHUP ignored), with writes
    // limited to fileSizeLimit bytes when given and SIGXFSZ at its default.
    Started Start(long fileSizeLimit = 0) const
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return {};
        // Everything the child needs is made before the fork.
        std::vector<std::string> settings;
        for (char** entry = environ; *entry; ++entry)
            if (std::string(*entry).rfind("QT_QPA_", 0) != 0 && std::string(*entry).rfind("QT_PLUGIN_PATH=", 0) != 0)
                settings.emplace_back(*entry);
        settings.emplace_back("QT_QPA_PLATFORM=offscreen");
        settings.emplace_back("QT_PLUGIN_PATH=" QUINTARA_TEST_PLUGINS);
        settings.emplace_back("QT_QPA_GENERIC_PLUGINS=quintaratestinput:" + std::to_string(pipe[1]));
        // No port: the missing one is told (message 13) and answered.
        for (int port = 1; port <= 8; ++port)
            settings.push_back("QUINTARA_COM" + std::to_string(port) + "=" + QFile::encodeName(Home).toStdString()
                               + "/no-port");
        std::vector<char*> environment;
        for (std::string& s : settings)
            environment.push_back(s.data());
        environment.push_back(nullptr);
        std::string program = QUINTARA_PROGRAM_PATH;
        std::string option = "--home";
        std::string home = QFile::encodeName(Home).toStdString();
        char* arguments[] = {program.data(), option.data(), home.data(), nullptr};
        const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};

        const pid_t pid = ::fork();
        if (pid == 0) {
            ::fcntl(pipe[1], F_SETFD, 0);
            // A test program that dies (a crash, a time-out of the test
            // runner) takes the program with it instead of leaving it running.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            std::signal(SIGHUP, SIG_IGN);
            std::signal(SIGTERM, SIG_DFL);
            std::signal(SIGXFSZ, SIG_DFL);
            if (fileSizeLimit > 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(125);
            ::execve(arguments[0], arguments, environment.data());
            ::_exit(127);
        }
        ::close(pipe[1]);
        return Started{pid, pipe[0]};
    }

    // The plugin's lines until "ready" (true) or the end of the program or
    // the bound (false).
    static bool WaitUntilReady(const Started& run, std::string& lines)
    {
        QElapsedTimer clock;
        clock.start();
        while (lines.find("ready\n") == std::string::npos) {
            const qint64 left = StartBound - clock.elapsed();
            if (left <= 0)
                return false;
            pollfd wait{run.Report, POLLIN, 0};
            if (::poll(&wait, 1, static_cast<int>(left)) <= 0)
                continue;
            char bytes[256];
            const ssize_t got = ::read(run.Report, bytes, sizeof bytes);
            if (got <= 0)
                return false;
            lines.append(bytes, static_cast<std::size_t>(got));
        }
        return true;
    }

    // The exit status (128 + the signal that ended it), or -1 when the bound
    // passed first; the program is then killed.
    static int WaitForEnd(const Started& run)
    {
        QElapsedTimer clock;
        clock.start();
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(run.Pid, &status, WNOHANG)) == 0 && clock.elapsed() < EndBound)
            ::poll(nullptr, 0, 20);
        ::close(run.Report);
        if (ended != run.Pid) {
            ::kill(run.Pid, SIGKILL);
            ::waitpid(run.Pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Whether the signal is in the mask of the line ("SigIgn:", "SigCgt:")
    // of the process's status.
    static bool SignalIn(pid_t pid, const std::string& field, int signal)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(QByteArray::fromStdString(field)))
                return (line.mid(static_cast<qsizetype>(field.size())).trimmed().toULongLong(nullptr, 16)
                        >> (signal - 1)) & 1;
        return false;
    }

    // The open series the next start finds, in the folder the settings name.
    std::vector<Protocol> NextStart() const
    {
        ReadSettingsFile();
        StoredSettingsToGlobals();
        Protocols = {MakeEmptyProtocol()};
        if (DataFolder == Data && EstablishSeat())
            LoadPendingProtocols();
        EndSeat();
        return Protocols;
    }

    QTemporaryDir Temp;
    QString Home;
    QString Data;
    Protocol Series;
    std::string Pending;
};

TEST_F(ProgramRun, IgnoresTheHangUpNohupIgnoredAndEndsInOrderOnTerminate)
{
    const Started run = Start();
    ASSERT_GT(run.Pid, 0);
    std::string lines;
    if (!WaitUntilReady(run, lines)) {
        const int status = WaitForEnd(run);
        FAIL() << "not up (status " << status << "): " << lines;
    }
    // Up and in its event loop: the hang-up stays ignored, the end is taken.
    EXPECT_TRUE(SignalIn(run.Pid, "SigIgn:", SIGHUP));
    EXPECT_TRUE(SignalIn(run.Pid, "SigCgt:", SIGTERM));
    ::kill(run.Pid, SIGHUP);
    ::kill(run.Pid, SIGTERM);
    EXPECT_EQ(WaitForEnd(run), 0) << lines;
    // Its open series is there for the next start, as it was.
    const std::vector<Protocol> back = NextStart();
    EXPECT_EQ(DataFolder, Data);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(back[1] == Series);
}

TEST_F(ProgramRun, AFileSizeLimitDoesNotEndIt)
{
    // Below the size of the series' file: its write at the end fails.
    const Started run = Start(static_cast<long>(Pending.size() / 2));
    ASSERT_GT(run.Pid, 0);
    std::string lines;
    if (!WaitUntilReady(run, lines)) {
        const int status = WaitForEnd(run);
        if (status == 125)
            GTEST_SKIP() << "no file size limit";
        FAIL() << "not up (status " << status << "): " << lines;
    }
    ::kill(run.Pid, SIGTERM);
    // 153 is 128 + SIGXFSZ.
    EXPECT_EQ(WaitForEnd(run), 0) << lines;
    EXPECT_EQ(ReadPending(), Pending);
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(back[1] == Series);
}

} // namespace
