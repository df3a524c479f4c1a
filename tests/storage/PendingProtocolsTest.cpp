// Open series kept across a restart as "PENDING n.QTA" in the data folder.
#include "StorageTest.h"
#include "support/ChildProcess.h"

#include "foundation/modConvert.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

Protocol Series(int hour, const char* style = "s")
{
    return SampleProtocol(QLatin1String(style), At(hour));
}

QStringList DataFiles(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

}  // namespace

class PendingSeries : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        // The start of the run, with no pending file yet.
        LoadPendingProtocols();
    }

    QString Pending(int n, const char* name = "PENDING %1.QTA") const
    {
        return Data + u'/' + QString::fromLatin1(name).arg(n);
    }
    // The flag SavePendingProtocols hands back; it starts as "before", so a
    // test that expects a failure passes true.
    static bool Save(bool before = false)
    {
        bool ok = before;
        SavePendingProtocols(ok);
        return ok;
    }
};

TEST_F(PendingSeries, ThreeOpenSeriesComeBackThenOneThenNone)
{
    Protocols = {EmptyProtocol, Series(10, "a"), Series(9, "b"), Series(11, "c")};
    const std::vector<Protocol> saved = Protocols;
    EXPECT_TRUE(Save());
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                            QStringLiteral("PENDING 3.QTA")}));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(ReadFileBytes(Pending(i)), ReportFileBytes(saved[i])) << i;
        EXPECT_FALSE(IsReadOnly(Pending(i))) << i;
    }
    // Loaded at the next start, in the order of their dates.
    EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, saved[2], saved[1], saved[3]}));

    // One series left, and the data settings changed the folder during the run.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    DataFolder = other;
    Protocols = {EmptyProtocol, saved[3]};
    PendingSeriesReplaced();
    EXPECT_TRUE(Save());
    EXPECT_TRUE(DataFiles(Data).isEmpty());
    EXPECT_EQ(DataFiles(other), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(ReadFileBytes(other + QStringLiteral("/PENDING 1.QTA")), ReportFileBytes(saved[3]));
    Protocols = {EmptyProtocol};
    PendingSeriesReplaced();
    EXPECT_TRUE(Save());
    EXPECT_TRUE(DataFiles(other).isEmpty());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(PendingSeries, LoadingSortsByDateWhateverTheListingOrder)
{
    // Each permutation of the series over the file numbers, created in that
    // order, so the listing order differs from run to run too.
    const int hours[3] = {10, 9, 11};
    std::vector<int> order = {0, 1, 2};
    do {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        for (int n = 0; n < 3; ++n)
            WriteFileBytes(Pending(order[n] + 1), ReportFileBytes(Series(hours[n])));
        EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, Series(9), Series(10), Series(11)}));
    } while (std::next_permutation(order.begin(), order.end()));
    // The files stay on disk after loading.
    EXPECT_EQ(DataFiles(Data).size(), 3);
}

TEST_F(PendingSeries, AFileThatCannotBeLoadedIsKeptAsideAndOneThatIsNoReportLeftAlone)
{
    const std::string cut = ReportFileBytes(Series(4)).substr(0, 3000);
    Protocol badForm = Series(3);
    badForm.FormIndex = 11;
    Protocol badProperty = Series(2);
    badProperty.CurrentProperty = 0;
    const struct {
        const char* name;
        std::string bytes;
        const char* afterwards;   // its name after the load
    } files[] = {
        {"PENDING 1.QTA", ReportFileBytes(Series(8)), "PENDING 1.QTA"},
        // Not pending files by their names.
        {"pending 2.QTA", ReportFileBytes(Series(7)), "pending 2.QTA"},
        {"PENDING 3.qta", ReportFileBytes(Series(6)), "PENDING 3.qta"},
        {"2024.01.05, 01.00.00.QTA", ReportFileBytes(Series(1)), "2024.01.05, 01.00.00.QTA"},
        // No test report at all.
        {"PENDING 4.QTA", "XYZ not a report", "PENDING 4.QTA"},
        // Pending reports that do not load: damaged, an index out of range.
        {"PENDING 5.QTA", cut, "PENDING 5.QTA.BAD"},
        {"PENDING 6.QTA", ReportFileBytes(badForm), "PENDING 6.QTA.BAD2"},
        {"PENDING 7.QTA", ReportFileBytes(badProperty), "PENDING 7.QTA.BAD"},
    };
    WriteFileBytes(Data + QStringLiteral("/PENDING 6.QTA.BAD"), "an earlier one");
    for (const auto& f : files)
        WriteFileBytes(Data + u'/' + QLatin1String(f.name), f.bytes);

    EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, Series(8)}));
    for (const auto& f : files)
        EXPECT_EQ(ReadFileBytes(Data + u'/' + QLatin1String(f.afterwards)), f.bytes) << f.afterwards;
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 6.QTA.BAD")), "an earlier one");
    // Each one kept aside: the reader's line why, and one line where it went.
    EXPECT_EQ(LogLines().size(), 6);
    const QString aside = QStringLiteral("\t0\tPENDING 6.QTA could not be loaded; kept as PENDING 6.QTA.BAD2");
    EXPECT_EQ(LogLines().filter(aside).size(), 1);
    EXPECT_EQ(LogLinesWith(QStringLiteral("LoadPendingProtocols")), 3);
    EXPECT_TRUE(Presenter.Shown.empty());

    // The next save keeps every one of them.
    EXPECT_TRUE(Save());
    for (const auto& f : files)
        EXPECT_EQ(ReadFileBytes(Data + u'/' + QLatin1String(f.afterwards)), f.bytes) << f.afterwards;
}

TEST_F(PendingSeries, AnUnreadableFileIsKeptAsideWithItsReason)
{
    // A file the program's user cannot open must not keep its number for the next save.
    const std::string bytes = ReportFileBytes(Series(8));
    WriteFileBytes(Pending(1), bytes);
    ::chmod(QFile::encodeName(Pending(1)).constData(), 0);
    for (const QString& folder : {Temp.path(), Program, Data})
        ChownToNobody(QFile::encodeName(folder).constData());
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(Pending(1)).constData(), 0, 0), 0);
    }
    const int loaded = RunUnprivileged([] {
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        return static_cast<int>(Protocols.size()) - 1;
    });
    if (loaded == ChildSetupFailed)
        GTEST_SKIP() << "cannot run as another user";
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(DataFiles(Data), QStringList{QStringLiteral("PENDING 1.QTA.BAD")});
    ::chmod(QFile::encodeName(Pending(1, "PENDING %1.QTA.BAD")).constData(), 0600);
    EXPECT_EQ(ReadFileBytes(Pending(1, "PENDING %1.QTA.BAD")), bytes);
    // Why (the failed open, 70) and where it went.
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("\tdskIsTestReportFile \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t70\t")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\t0\tPENDING 1.QTA could not be loaded; kept as PENDING 1.QTA.BAD")));
}

TEST_F(PendingSeries, OlderFilesThatCannotBeWrittenBackAreLoadedWithOneMessage)
{
    // Two old files whose names leave no room for the write-back's temporary
    // file; three series started a minute apart.
    std::vector<Protocol> converted(3);
    std::vector<std::string> old;
    for (int n = 0; n < 3; ++n) {
        ProtocolBefore60 series = Old26Protocol();
        series.Date += n / 1440.0;
        ConvertProtocolBefore60(converted[static_cast<std::size_t>(n)], series);
        old.push_back(OldReportFile("2.6", series));
    }
    const QString longName = QStringLiteral("PENDING ") + QString(243, u'A');
    WriteFileBytes(Data + u'/' + longName + QStringLiteral("1QTA"), old[0]);
    WriteFileBytes(Data + u'/' + longName + QStringLiteral("2QTA"), old[1]);
    WriteFileBytes(Pending(3), old[2]);

    EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, converted[0], converted[1], converted[2]}));
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("An error occurred while reading the file!"));
    EXPECT_EQ(ReadFileBytes(Pending(3)), ReportFileBytes(converted[2]));
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskPutTestReportActi")), 2);
}

TEST_F(PendingSeries, FilesThisRunDidNotLoadAreLeftAlone)
{
    const std::string lower = ReportFileBytes(Series(7));
    WriteFileBytes(Pending(1, "pending %1.QTA"), lower);
    WriteFileBytes(Pending(9), "XYZ not a report");
    WriteFileBytes(Pending(1), ReportFileBytes(Series(8)));   // appeared during the run

    Protocols = {EmptyProtocol, Series(12, "t")};
    EXPECT_TRUE(Save());
    // The series takes the next free number; nothing else is touched.
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                            QStringLiteral("PENDING 9.QTA"), QStringLiteral("pending 1.QTA")}));
    EXPECT_EQ(ReadFileBytes(Pending(1, "pending %1.QTA")), lower);
    EXPECT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(Series(8)));
    EXPECT_EQ(ReadFileBytes(Pending(2)), ReportFileBytes(Protocols[1]));
}

TEST_F(PendingSeries, AReadOnlyPendingFileIsReplaced)
{
    // Reading an old pending file writes it back read-only. The same in the
    // program folder, where the pending files go while the data folder is missing.
    for (const QString& folder : {Data, Program}) {
        SCOPED_TRACE(folder.toStdString());
        const QString path = folder + QStringLiteral("/PENDING 1.QTA");
        WriteFileBytes(path, ReportFileBytes(Series(7)));
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        DataFolder = folder;
        ASSERT_EQ(NextStart().size(), 2u);
        Protocols[1].Operator = QStringLiteral("changed");
        if (folder == Program)
            DataFolder = Temp.path() + QStringLiteral("/Gone");
        EXPECT_TRUE(Save());
        EXPECT_EQ(ReadFileBytes(path), ReportFileBytes(Protocols[1]));
        EXPECT_FALSE(IsReadOnly(path));
    }
    EXPECT_EQ(DataFolder, Program);
}

TEST_F(PendingSeries, AnotherDataFolderTakesTheOpenSeriesAlong)
{
    Protocols = {EmptyProtocol, Series(9, "a"), Series(10, "b")};
    ASSERT_TRUE(Save());
    ASSERT_EQ(NextStart().size(), 3u);
    // The data settings changed the folder during the run.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    DataFolder = other;
    EXPECT_TRUE(Save());
    EXPECT_TRUE(DataFiles(Data).isEmpty());
    EXPECT_EQ(DataFiles(other), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
    EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, Series(9, "a"), Series(10, "b")}));
}

TEST_F(PendingSeries, ASeriesTerminatedInTheRunNeverComesBackEvenAfterAFailedWrite)
{
    // The last run left A and B; in this run A is terminated and B gets a
    // test, and writing B fails on a full disk: answered No, nothing more.
    Protocols = {EmptyProtocol, Series(9, "A"), Series(10, "B")};
    ASSERT_TRUE(Save());
    const std::string earlierB = ReadFileBytes(Pending(2));
    ASSERT_EQ(NextStart().size(), 3u);
    Protocols[2].Blocks[3].Values.push_back(Protocols[2].Blocks[1].Values[1]);
    const int result = RunWithFileSizeLimit(2048, [] {
        Protocols.erase(Protocols.begin() + 1);
        DropPendingSeries(1);
        bool ok = true;
        SavePendingProtocols(ok);
        return ok ? 1 : 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);   // failure returned
    // B's file as it was (now under its new number), A's gone, one line in the log.
    EXPECT_EQ(DataFiles(Data), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(ReadFileBytes(Pending(1)), earlierB);
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskPutTestReportActi\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t61\t")), 1);
    EXPECT_EQ(LogLines().size(), 1);
    EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, Series(10, "B")}));
}

TEST_F(PendingSeries, AKillAtAnyFileCallLeavesEachOpenSeriesExactlyOnce)
{
    // The last run left five series whose numbers are not in date order
    // (the clock was set back), two of them started in the same second. In
    // this run one of the twins and the first series are terminated, the
    // others get a test, and a new series is started: every open series
    // moves to another number.
    Protocol twinA = Series(3, "twin");
    twinA.Reference2 = QStringLiteral("A");
    Protocol twinB = Series(3, "twin");
    twinB.Reference2 = QStringLiteral("B");
    const std::vector<Protocol> earlier = {Series(5, "e"), Series(1, "a"), twinA, Series(2, "b"), twinB};
    const std::vector<Protocol> terminated = {Series(1, "a"), twinA};
    struct Open {
        Protocol Before;
        Protocol Now;
        bool New = false;
    };
    std::vector<Open> open;
    std::vector<std::size_t> ends;
    const auto prepare = [&]() {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        for (std::size_t n = 0; n < earlier.size(); ++n)
            WriteFileBytes(Pending(static_cast<int>(n) + 1), ReportFileBytes(earlier[n]));
        NextStart();
        // Terminated in the run: their places, last first, for the work.
        ends.clear();
        for (std::size_t i = Protocols.size() - 1; i >= 1; --i)
            if (std::find(terminated.begin(), terminated.end(), Protocols[i]) != terminated.end())
                ends.push_back(i);
        open.clear();
        for (std::size_t i = 1; i < Protocols.size(); ++i) {
            if (std::find(ends.begin(), ends.end(), i) != ends.end())
                continue;
            const Protocol before = Protocols[i];
            Protocols[i].Blocks[2].Values.push_back(Protocols[i].Blocks[1].Values[1]);
            open.push_back(Open{before, Protocols[i], false});
        }
        AddPendingSeries(Series(0, "new"));
        open.push_back(Open{Protocols.back(), Protocols.back(), true});
    };
    const auto check = [&](int) {
        const QStringList files = DataFiles(Data);
        const std::vector<Protocol> back = NextStart();
        ASSERT_FALSE(files.join(u' ').contains(QStringLiteral(".BAD"))) << files.join(u',').toStdString();
        // Each series open at the start of the run comes back once, as it
        // was or as it is now; the new one at most once; a terminated one
        // only while nothing of the last save is on disk.
        std::size_t found = 0;
        bool written = false;
        for (const Open& series : open) {
            const auto now = std::count(back.begin(), back.end(), series.Now);
            const auto count = now + (series.New ? 0 : std::count(back.begin(), back.end(), series.Before));
            ASSERT_TRUE(series.New ? count <= 1 : count == 1) << series.Now.Style.Name.toStdString();
            found += static_cast<std::size_t>(count);
            // The new series may be written by the save of a termination
            // before the other: the states of this run only by the last.
            written = written || (now > 0 && !series.New);
        }
        std::size_t closed = 0;
        for (const Protocol& gone : terminated)
            closed += static_cast<std::size_t>(std::count(back.begin(), back.end(), gone));
        ASSERT_TRUE(!written || closed == 0);
        ASSERT_EQ(back.size(), 1 + found + closed);
    };
    const int kills = KillBeforeEachFileCall(prepare, [&] {
        for (const std::size_t i : ends) {
            Protocols.erase(Protocols.begin() + static_cast<std::ptrdiff_t>(i));
            DropPendingSeries(static_cast<int>(i));
        }
        bool ok = false;
        SavePendingProtocols(ok);
        return 0;
    }, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    // Killed before every one of the save's file calls; the save that ran
    // through left the open series in PENDING 1 to 4, in order.
    EXPECT_GT(kills, 10);
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                            QStringLiteral("PENDING 3.QTA"), QStringLiteral("PENDING 4.QTA")}));
}
