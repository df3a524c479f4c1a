// Pending files after what a run did not finish: a removal the system
// refused, a kill between two file calls, leftovers of the atomic writer.
#include "StorageTest.h"
#include "support/ChildProcess.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"

#include <QDir>
#include <QFile>

#include <vector>

#include <sys/stat.h>

namespace {

Protocol Series(int hour, const char* style = "s")
{
    return SampleProtocol(QLatin1String(style), At(hour));
}

QStringList FilesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

}  // namespace

class PendingRecovery : public StorageTest {
protected:
    QString Pending(int n) const { return Data + QStringLiteral("/PENDING %1.QTA").arg(n); }
    // The next start: the series the pending files give.
    static std::vector<Protocol> NextStart()
    {
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        return Protocols;
    }
};

TEST_F(PendingRecovery, ARemovalTheFolderRefusedIsTriedAgainNotForgotten)
{
    // A and B open; A is terminated while the data folder cannot be searched
    // (the program's user lost the right for a moment): its file stays, and
    // is removed by the next save once the folder can be searched again.
    WriteFileBytes(Pending(1), ReportFileBytes(Series(9, "A")));
    WriteFileBytes(Pending(2), ReportFileBytes(Series(10, "B")));
    ASSERT_EQ(NextStart().size(), 3u);
    for (const QString& folder : {Temp.path(), Program, Data, Pending(1), Pending(2)})
        ChownToNobody(QFile::encodeName(folder).constData());
    const QByteArray data = QFile::encodeName(Data);
    const int result = RunUnprivileged([&] {
        if (::chmod(data.constData(), 0600) != 0)
            return ChildSetupFailed;
        const bool ended = EndPendingSeries(1);
        Protocols.erase(Protocols.begin() + 1);
        const bool dropped = DropPendingSeries(1);
        if (::chmod(data.constData(), 0700) != 0)
            return ChildSetupFailed;
        bool saved = false;
        SavePendingProtocols(saved);
        return (ended ? 1 : 0) + (dropped ? 2 : 0) + (saved ? 4 : 0);
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "cannot run as another user";
    // Both removals while the folder was closed report the failure; the save
    // after it succeeds.
    EXPECT_EQ(result, 4);
    EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, Series(10, "B")}));
    EXPECT_EQ(FilesIn(Data), QStringList{QStringLiteral("PENDING 1.QTA")});
    // Permission denied (70), naming A's file.
    EXPECT_GE(LogLinesWith(QStringLiteral("SavePendingProtocols\t8.0\t70\tPermission denied: ") + Pending(1)), 1)
        << LogLines().join(u'\n').toStdString();
}
