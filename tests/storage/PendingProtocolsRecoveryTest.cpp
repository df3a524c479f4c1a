// Pending files after what a run did not finish: a removal the system
// refused, a kill between two file calls, leftovers of the atomic writer.
#include "StorageTest.h"
#include "support/ChildProcess.h"

#include "foundation/modGlobals.h"
#include "foundation/modSettings.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"
#include "storage/modTestReport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// While set, renameat2 refuses RENAME_NOREPLACE as NFS and some FUSE file
// systems do.
bool g_refuseNoReplace = false;

}  // namespace

// Stands in for the C library's renameat2 in this test program, so that Qt's
// rename takes the way it takes on such a file system.
extern "C" int renameat2(int oldFolder, const char* oldPath, int newFolder, const char* newPath,
                         unsigned int flags) noexcept
{
    if (g_refuseNoReplace && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, oldFolder, oldPath, newFolder, newPath, flags));
}

namespace {

Protocol Series(int hour, const char* style = "s")
{
    return SampleProtocol(QLatin1String(style), At(hour));
}

std::string RecordBytesOf(const Protocol& p)
{
    BinaryWriter out;
    PutRecord(out, p);
    return out.Bytes();
}

QStringList FilesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

QStringList PendingFilesIn(const QString& folder)
{
    static const QRegularExpression pending(QStringLiteral("^PENDING [0-9]+\\.QTA$"));
    return FilesIn(folder).filter(pending);
}

// The trash (and all else of the user's data home) in the folder while it lives.
class DataHomeFor {
public:
    explicit DataHomeFor(const QString& folder) : m_saved(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
    }
    ~DataHomeFor()
    {
        if (m_saved.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_saved);
    }
    DataHomeFor(const DataHomeFor&) = delete;
    DataHomeFor& operator=(const DataHomeFor&) = delete;

private:
    QByteArray m_saved;
};

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
    // The order of the data settings: the series written into the new
    // folder, then the settings naming it saved, then the old files removed.
    static int ChangeDataFolder(const QString& folder)
    {
        if (!MovePendingSeries(folder))
            return 1;
        DataFolder = folder;
        SaveSettings();
        bool ok = false;
        SavePendingProtocols(ok);
        return ok ? 0 : 2;
    }
    // The folder the settings name, as the next start reads it.
    static QString NamedDataFolder()
    {
        ReadSettingsFile();
        StoredSettingsToGlobals();
        return DataFolder;
    }
    // The series open in the data folder, named by the settings, and an
    // empty other folder beside it; both made anew.
    void OpenInDataFolderBeside(const QString& other, const std::vector<Protocol>& series) const
    {
        QDir(Data).removeRecursively();
        QDir(other).removeRecursively();
        QDir().mkpath(Data);
        QDir().mkpath(other);
        DataFolder = Data;
        SaveSettings();
        for (std::size_t n = 0; n < series.size(); ++n)
            WriteFileBytes(Pending(static_cast<int>(n) + 1), ReportFileBytes(series[n]));
        ASSERT_EQ(NextStart().size(), series.size() + 1);
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

TEST_F(PendingRecovery, ASeriesKilledBetweenItsReportAndItsPendingFileIsSavedOnce)
{
    // S is terminated: its report is written, then its pending file goes.
    // Wherever a kill falls, the next start has S either as one report or
    // as one open series, never both; T stays open.
    const Protocol s = Series(9, "S");
    const Protocol t = Series(10, "T");
    const auto prepare = [&] {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        WriteFileBytes(Pending(1), ReportFileBytes(s));
        WriteFileBytes(Pending(2), ReportFileBytes(t));
        ASSERT_EQ(NextStart().size(), 3u);
    };
    const auto terminate = [] {
        // As the termination does: properties closed, the end date set.
        Protocol& series = Protocols[1];
        for (std::size_t b = 1; b <= static_cast<std::size_t>(PropertyCount); ++b)
            series.Blocks[b].Terminated = true;
        series.Finished = true;
        series.LastTestDate = At(12);
        if (!dskSaveNewTestReport(series))
            return 1;
        EndPendingSeries(1);
        return 0;
    };
    const QString styleFolder = Data + QStringLiteral("/QTA084");   // "S": 83 + 1
    int saved = 0;
    const auto check = [&](int) {
        const QStringList reports = FilesIn(styleFolder);
        const std::vector<Protocol> back = NextStart();
        const auto open = std::count_if(back.begin(), back.end(), [&](const Protocol& p) { return p.Date == s.Date; });
        ASSERT_EQ(reports.size() + open, 1) << reports.join(u',').toStdString();
        ASSERT_EQ(std::count(back.begin(), back.end(), t), 1);
        // What the start leaves is what the next one finds.
        ASSERT_EQ(NextStart(), back);
        saved += static_cast<int>(reports.size());
    };
    const int kills = KillBeforeEachFileCall(prepare, terminate, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 5);
    // Saved before several of the kills (the report's folder sync, the
    // pending file's removal and its sync), and by the run that went through.
    EXPECT_GE(saved, 3);
    EXPECT_EQ(FilesIn(styleFolder), QStringList{QStringLiteral("2024.01.05, 09.00.00.QTA")});
    // T keeps its number while S is still printed and exported.
    EXPECT_EQ(FilesIn(Data), QStringList{QStringLiteral("PENDING 2.QTA")});
    EXPECT_TRUE(ReadFileBytes(Pending(2)) == ReportFileBytes(t));
}

TEST_F(PendingRecovery, OnlyTheSameSeriesCountsAsSaved)
{
    // A report of the series' start date lies in its style folder; the
    // pending file goes only where the report holds the same series.
    // Property 2 of the series measures the pressure drop.
    const Protocol s = [] {
        Protocol p = Series(9, "S");
        p.Style.Forms[1].Items[2].Property = 17;
        return p;
    }();
    Protocol ended = s;
    ended.Finished = true;
    ended.LastTestDate = At(12);
    ended.Blocks[1].Terminated = true;
    Protocol otherTests = ended;
    otherTests.Blocks[2].Values[1].Value1 += 1;
    Protocol otherLot = ended;
    otherLot.Reference2 = QStringLiteral("another lot");
    // A value stored as a NaN is the same as itself.
    Protocol withNaN = s;
    withNaN.Blocks[2].Values[3].Value2 = std::numeric_limits<float>::quiet_NaN();
    Protocol withNaNEnded = ended;
    withNaNEnded.Blocks[2].Values[3].Value2 = std::numeric_limits<float>::quiet_NaN();
    Protocol laterStart = ended;
    laterStart.Date = At(9, 0, 1);
    // A pressure-drop test still waiting for its second reading (a flow at
    // the first pressure, no result yet) is dropped by the termination; any
    // other test more is one the report lacks.
    const TestValue waitingHalf = MakeTest(NoValue, " ", At(10), 31.5f, "a");
    Protocol waiting = s;
    waiting.Blocks[2].Values.push_back(waitingHalf);
    Protocol wholePressureDrop = s;
    wholePressureDrop.Blocks[2].Values.push_back(MakeTest(3.5f, " ", At(10), 31.5f, "a"));
    Protocol wholeTest = s;
    wholeTest.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(10)));
    Protocol halfInOtherType = s;
    halfInOtherType.Blocks[1].Values.push_back(waitingHalf);
    const Protocol block2Ended = [&] {
        Protocol p = ended;
        p.Blocks[2].Terminated = true;
        return p;
    }();
    const struct {
        const char* what;
        Protocol pending;
        Protocol report;
        bool saved;
    } cases[] = {
        {"the same series, ended", s, ended, true},
        {"another test value", s, otherTests, false},
        {"another lot", s, otherLot, false},
        {"a NaN value", withNaN, withNaNEnded, true},
        {"a NaN value in the report only", s, withNaNEnded, false},
        {"another start date", s, laterStart, false},
        {"a waiting test dropped", waiting, block2Ended, true},
        {"a waiting test not dropped by a termination", waiting, ended, false},
        {"a whole pressure-drop test more", wholePressureDrop, block2Ended, false},
        {"a whole test more", wholeTest, ended, false},
        {"a half test in a block of another test type", halfInOtherType, ended, false},
    };
    const QString styleFolder = Data + QStringLiteral("/QTA084");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(Data).removeRecursively();
        QDir().mkpath(styleFolder);
        QFile::remove(Program + QStringLiteral("/QUINTARA.LOG"));
        // The report moved on one second past another series' of the same date.
        WriteFileBytes(styleFolder + QStringLiteral("/2024.01.05, 09.00.00.QTA"), ReportFileBytes(Series(9, "other")));
        WriteFileBytes(styleFolder + QStringLiteral("/2024.01.05, 09.00.01.qta"), ReportFileBytes(c.report));
        WriteFileBytes(Pending(4), ReportFileBytes(c.pending));
        const std::vector<Protocol> back = NextStart();
        EXPECT_EQ(back.size(), c.saved ? 1u : 2u);
        EXPECT_EQ(QFile::exists(Pending(4)), !c.saved);
        // An open series keeps all its tests.
        if (!c.saved && back.size() == 2) {
            EXPECT_EQ(RecordBytesOf(back[1]), RecordBytesOf(c.pending));
        }
        const QStringList lines = LogLines();
        if (c.saved) {
            ASSERT_EQ(lines.size(), 1);
            EXPECT_TRUE(lines[0].endsWith(QStringLiteral(
                "\tLoadPendingProtocols\t8.0\t0\tPENDING 4.QTA holds the series saved as QTA084/2024.01.05, 09.00.01.qta; removed")))
                << lines[0].toStdString();
        } else {
            EXPECT_TRUE(lines.isEmpty());
        }
    }
}

TEST_F(PendingRecovery, RenumberingWhereRenamesCannotRefuseAnExistingNameKeepsEachSeriesOnce)
{
    // Three series whose numbers are not in date order: saving renumbers
    // them, on a file system that refuses RENAME_NOREPLACE.
    const std::vector<Protocol> series = {Series(11, "c"), Series(10, "b"), Series(9, "a")};
    const auto prepare = [&] {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        for (std::size_t n = 0; n < series.size(); ++n)
            WriteFileBytes(Pending(static_cast<int>(n) + 1), ReportFileBytes(series[n]));
        ASSERT_EQ(NextStart().size(), 4u);
    };
    const auto check = [&](int) {
        const QStringList files = FilesIn(Data);
        // The folder itself, before a start tidies it: each series in exactly
        // one pending file (a rename made of a link and an unlink leaves two).
        std::vector<int> held(series.size(), 0);
        for (const QString& name : PendingFilesIn(Data)) {
            const std::string bytes = ReadFileBytes(Data + u'/' + name);
            const auto n = std::find_if(series.begin(), series.end(),
                                        [&](const Protocol& p) { return ReportFileBytes(p) == bytes; });
            ASSERT_NE(n, series.end()) << name.toStdString();
            ++held[static_cast<std::size_t>(n - series.begin())];
        }
        ASSERT_EQ(held, std::vector<int>(series.size(), 1)) << files.join(u',').toStdString();
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 4u) << files.join(u',').toStdString();
        for (const Protocol& p : series)
            ASSERT_EQ(std::count(back.begin(), back.end(), p), 1);
        // Nor is a temporary file of the writer left after the start.
        ASSERT_EQ(FilesIn(Data).size(), 3) << files.join(u',').toStdString();
    };
    g_refuseNoReplace = true;
    const int kills = KillBeforeEachFileCall(prepare, [] {
        bool ok = false;
        SavePendingProtocols(ok);
        return 0;
    }, check);
    g_refuseNoReplace = false;
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 10);
    EXPECT_EQ(FilesIn(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                          QStringLiteral("PENDING 3.QTA")}));
    EXPECT_TRUE(ReadFileBytes(Pending(1)) == ReportFileBytes(series[2]));
}

TEST_F(PendingRecovery, TwoFilesOfOneSeriesLoadAsOne)
{
    Protocol twin = Series(3, "twin");
    twin.Reference2 = QStringLiteral("B");
    Protocol later = Series(8);
    later.LastTestDate = At(13);
    later.Blocks[1].Commentary = "typed after the copy";
    // Equal but for a NaN value stored in both: the same bytes.
    Protocol nan = Series(6, "nan");
    nan.Blocks[1].Values[4].Value1 = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        Protocol series;
    } files[] = {
        {"PENDING 1.QTA", Series(3, "twin")},
        {"PENDING 2.QTA", twin},                  // started in the same second: another series
        {"PENDING 3.QTA", Series(3, "twin")},     // the same bytes as 1
        {"PENDING 4.QTA", Series(8)},             // the same tests as 5, changed before it
        {"PENDING 5.QTA", later},
        {"PENDING 6.QTA", nan},
        {"PENDING 7.QTA", nan},
    };
    for (const auto& f : files)
        WriteFileBytes(Data + u'/' + QLatin1String(f.name), ReportFileBytes(f.series));
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 5u);
    EXPECT_TRUE((back[1] == Series(3, "twin") && back[2] == twin) || (back[1] == twin && back[2] == Series(3, "twin")));
    EXPECT_EQ(RecordBytesOf(back[3]), RecordBytesOf(nan));
    EXPECT_TRUE(back[4] == later);
    // Of two equal files the one listed second goes, of 4 and 5 the older.
    const QStringList left = FilesIn(Data);
    ASSERT_EQ(left.size(), 4) << left.join(u',').toStdString();
    for (const char* name : {"PENDING 2.QTA", "PENDING 5.QTA"})
        EXPECT_TRUE(left.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(left.contains(QStringLiteral("PENDING 1.QTA")) != left.contains(QStringLiteral("PENDING 3.QTA")));
    EXPECT_TRUE(left.contains(QStringLiteral("PENDING 6.QTA")) != left.contains(QStringLiteral("PENDING 7.QTA")));
    const QString gone = left.contains(QStringLiteral("PENDING 1.QTA")) ? QStringLiteral("PENDING 3.QTA")
                                                                        : QStringLiteral("PENDING 1.QTA");
    const QString kept = gone == QStringLiteral("PENDING 1.QTA") ? QStringLiteral("PENDING 3.QTA")
                                                                : QStringLiteral("PENDING 1.QTA");
    const QStringList lines = LogLines();
    EXPECT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_EQ(LogLinesWith(QStringLiteral("0\t%1 holds the same series as %2; removed").arg(gone, kept)), 1);
    EXPECT_EQ(LogLinesWith(QStringLiteral("0\tPENDING 4.QTA holds the same series as PENDING 5.QTA; removed")), 1);
    EXPECT_EQ(LogLinesWith(QStringLiteral("0\tPENDING 7.QTA holds the same series as PENDING 6.QTA; removed"))
                  + LogLinesWith(QStringLiteral("0\tPENDING 6.QTA holds the same series as PENDING 7.QTA; removed")),
              1);
}

TEST_F(PendingRecovery, FilesOfOneStartAndNamesWithOtherTestsStayTwoSeries)
{
    // Started in the same second and named alike, but one with a test more
    // and one with a value of its own: none is a copy of another, and a
    // merge would lose tests.
    Protocol more = Series(7);
    more.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(11)));
    more.LastTestDate = At(11);
    Protocol otherValue = Series(7);
    otherValue.Blocks[2].Values[2].Value1 += 1;
    const std::vector<Protocol> series = {Series(7), more, otherValue};
    for (std::size_t n = 0; n < series.size(); ++n)
        WriteFileBytes(Pending(static_cast<int>(n) + 1), ReportFileBytes(series[n]));
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 4u);
    for (const Protocol& p : series)
        EXPECT_EQ(std::count_if(back.begin(), back.end(),
                                [&](const Protocol& b) { return RecordBytesOf(b) == RecordBytesOf(p); }),
                  1);
    EXPECT_EQ(PendingFilesIn(Data).size(), 3);
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join(u'\n').toStdString();
}

TEST_F(PendingRecovery, OfFilesOfOneSeriesWithTheSameTestsTheOneWrittenLastIsKept)
{
    // Three files of one series with the same tests and end date, the
    // commentary of the series edited between them: whichever the folder
    // lists first, the one written last stays.
    for (int newest = 1; newest <= 3; ++newest) {
        SCOPED_TRACE(newest);
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        QFile::remove(Program + QStringLiteral("/QUINTARA.LOG"));
        std::vector<Protocol> copies;
        for (int n = 1; n <= 3; ++n) {
            Protocol copy = Series(5, "edited");
            copy.K1031 = QStringLiteral("edit %1").arg(n);
            copies.push_back(copy);
            const QString path = Pending(n);
            WriteFileBytes(path, ReportFileBytes(copy));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            const int age = n == newest ? 0 : 100 * n;
            ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime));
        }
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 2u);
        EXPECT_TRUE(back[1] == copies[static_cast<std::size_t>(newest) - 1]);
        EXPECT_EQ(FilesIn(Data), QStringList{QStringLiteral("PENDING %1.QTA").arg(newest)});
        // One line for each file removed, each naming the one kept then.
        const QStringList lines = LogLines();
        EXPECT_EQ(lines.filter(QStringLiteral(".QTA holds the same series as PENDING ")).size(), 2);
        EXPECT_TRUE(lines.filter(QStringLiteral("\tPENDING %1.QTA holds").arg(newest)).isEmpty())
            << lines.join(u'\n').toStdString();
    }
}

TEST_F(PendingRecovery, TheStartPutsWhatMayBeTheWritersLeftoversIntoTheTrashOnly)
{
    // Names such as the atomic writer's temporary files have may also be a
    // user's copies: they leave the data folder for the trash, not for good.
    const QString dataHome = Temp.path() + QStringLiteral("/share");
    const DataHomeFor trash(dataHome);
    const std::string bytes = ReportFileBytes(Series(8));
    WriteFileBytes(Pending(1), bytes);
    const char* const leftovers[] = {"PENDING 1.QTA.RDhmwy", "PENDING 12.QTA.abcdef", "PENDING 1.QTA.backup",
                                     "PENDING 1.QTA.Backup", "PENDING 2.QTA.Sicher"};
    const char* const others[] = {
        "PENDING 1.QTA.BAD",   "PENDING 1.QTA.BAD100", "PENDING 1.QTA.RDhmw", "PENDING 1.QTA.RDhmwyz",
        "PENDING 1.QTA.RDhmwy.x", "pending 1.QTA.RDhmwy", "TEMP.QTA.RDhmwy",  "PENDING 1.qta.RDhmwy",
        "PENDING 01.QTA.RDhmwy", "PENDING 1.QTA.RDhm1y", "PENDING 1.QTA.bak",
    };
    for (const char* name : leftovers)
        WriteFileBytes(Data + u'/' + QLatin1String(name), name);
    for (const char* name : others)
        WriteFileBytes(Data + u'/' + QLatin1String(name), bytes);
    // A link of such a name is the user's, and so is the file it names.
    const QString target = Temp.path() + QStringLiteral("/kept.QTA");
    WriteFileBytes(target, bytes);
    const QString link = Data + QStringLiteral("/PENDING 3.QTA.Linked");
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_TRUE(NextStart() == (std::vector<Protocol>{EmptyProtocol, Series(8)}));
    for (const char* name : leftovers) {
        const QString in = Data + u'/' + QLatin1String(name);
        EXPECT_FALSE(QFile::exists(in)) << name;
        EXPECT_EQ(ReadFileBytes(dataHome + QStringLiteral("/Trash/files/") + QLatin1String(name)),
                  name);
        EXPECT_EQ(LogLinesWith(QStringLiteral("LoadPendingProtocols\t8.0\t0\t%1 may be left by an interrupted write; "
                                              "moved to the trash").arg(QLatin1String(name))),
                  1) << name;
    }
    for (const char* name : others)
        EXPECT_TRUE(QFile::exists(Data + u'/' + QLatin1String(name))) << name;
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(ReadFileBytes(target), bytes);
    EXPECT_EQ(LogLines().size(), 5) << LogLines().join(u'\n').toStdString();
}

TEST_F(PendingRecovery, ADataFolderChangeKilledAnywhereLeavesEachSeriesOnceWhereTheSettingsPoint)
{
    // The order of the data settings: the series written into the new
    // folder, then the settings naming it saved, then the old files removed.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::vector<Protocol> series = {Series(9, "a"), Series(10, "b"), Series(11, "c"), Series(12, "d")};
    const auto prepare = [&] { OpenInDataFolderBeside(other, series); };
    const auto change = [&] { return ChangeDataFolder(other); };
    int inOther = 0;
    const auto check = [&](int) {
        // The next start reads the settings, then the folder they name.
        const QString named = NamedDataFolder();
        ASSERT_TRUE(named == Data || named == other) << named.toStdString();
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 5u) << named.toStdString();
        for (const Protocol& p : series)
            ASSERT_EQ(std::count(back.begin(), back.end(), p), 1);
        inOther += named == other ? 1 : 0;
    };
    const int kills = KillBeforeEachFileCall(prepare, change, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 20);
    EXPECT_GT(inOther, 1);
    // Run through: all in the new folder, nothing left in the old one.
    EXPECT_EQ(DataFolder, other);
    EXPECT_EQ(FilesIn(other), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                           QStringLiteral("PENDING 3.QTA"), QStringLiteral("PENDING 4.QTA")}));
    EXPECT_TRUE(FilesIn(Data).isEmpty());
}

TEST_F(PendingRecovery, AFolderChosenAgainAfterAKilledChangeHoldsEachSeriesOnce)
{
    // A change of the data folder killed anywhere leaves copies in the
    // folder it left (a kill after the settings) or in the one it went to
    // (before them). Then series a and b take a test, b is terminated and
    // saved, and the operator takes the other folder again: the next start
    // has a, c and d once each, and b stays saved.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::vector<Protocol> series = {Series(9, "a"), Series(10, "b"), Series(11, "c"), Series(12, "d")};
    Protocol tested = series[0];
    tested.Blocks[1].Values.push_back(MakeTest(3.5f, "N", At(13)));
    tested.LastTestDate = At(13);
    const auto prepare = [&] { OpenInDataFolderBeside(other, series); };
    int copiesLeft = 0;
    const auto check = [&](int) {
        const QString from = NamedDataFolder();
        const QString to = from == Data ? other : Data;
        copiesLeft += PendingFilesIn(to).isEmpty() ? 0 : 1;
        ASSERT_EQ(NextStart().size(), 5u);
        Protocols[1] = tested;
        ASSERT_TRUE(KeepPendingSeries(1));
        // b takes a test too before it is terminated: its copies then hold
        // an earlier state of the report, not the report's tests.
        Protocol& b = Protocols[2];
        b.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(13)));
        b.LastTestDate = At(13);
        ASSERT_TRUE(KeepPendingSeries(2));
        for (std::size_t p = 1; p <= static_cast<std::size_t>(PropertyCount); ++p)
            b.Blocks[p].Terminated = true;
        b.Finished = true;
        b.LastTestDate = At(14);
        ASSERT_TRUE(dskSaveNewTestReport(b));
        ASSERT_TRUE(EndPendingSeries(2));
        Protocols.erase(Protocols.begin() + 2);
        ASSERT_TRUE(DropPendingSeries(2));

        ASSERT_EQ(ChangeDataFolder(to), 0);
        EXPECT_EQ(PendingFilesIn(to), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                                   QStringLiteral("PENDING 3.QTA")}));
        EXPECT_TRUE(PendingFilesIn(from).isEmpty());
        ASSERT_EQ(NamedDataFolder(), to);
        EXPECT_TRUE(NextStart() == (std::vector<Protocol>{EmptyProtocol, tested, series[2], series[3]}))
            << "from " << from.toStdString();
        // b's report, where it was terminated ("b": "B", 66 + 1).
        EXPECT_EQ(FilesIn(from + QStringLiteral("/QTA067")), QStringList{QStringLiteral("2024.01.05, 10.00.00.QTA")});
        ASSERT_FALSE(HasFailure());
    };
    const int kills = KillBeforeEachFileCall(prepare, [&] { return ChangeDataFolder(other); }, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 20);
    // Copies were left in the folder taken again after several kills,
    // in the old folder and in the new one.
    EXPECT_GT(copiesLeft, 2);
}

TEST_F(PendingRecovery, TheDataFolderReachedByAnotherPathKeepsItsSeriesWhereverAKillFalls)
{
    // The folder chosen is the data folder through a link: the series' own
    // files there are no copies to write over, or the removal of their old
    // path would leave them nowhere until they are written again.
    const QString link = Temp.path() + QStringLiteral("/Link");
    ASSERT_TRUE(QFile::link(Data, link));
    const std::vector<Protocol> series = {EmptyProtocol, Series(9, "a"), Series(10, "b")};
    const auto prepare = [&] {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        DataFolder = Data;
        SaveSettings();
        WriteFileBytes(Pending(1), ReportFileBytes(series[1]));
        WriteFileBytes(Pending(2), ReportFileBytes(series[2]));
        ASSERT_EQ(NextStart().size(), 3u);
    };
    const auto check = [&](int) {
        const QString named = NamedDataFolder();
        ASSERT_TRUE(named == Data || named == link) << named.toStdString();
        ASSERT_TRUE(NextStart() == series) << FilesIn(Data).join(u',').toStdString();
    };
    const int kills = KillBeforeEachFileCall(prepare, [&] { return ChangeDataFolder(link); }, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 10);
    EXPECT_EQ(DataFolder, link);
    EXPECT_EQ(FilesIn(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
}

TEST_F(PendingRecovery, AMoveBackToTheFolderJustLeftKeepsItsFilesWhereverAKillFalls)
{
    // The series moved to another folder and back (the settings could not
    // name the other one): their files in the data folder are theirs again,
    // so the save that follows never leaves them in no file.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::vector<Protocol> series = {Series(9, "a"), Series(10, "b")};
    const auto prepare = [&] {
        OpenInDataFolderBeside(other, series);
        ASSERT_TRUE(MovePendingSeries(other));
        ASSERT_TRUE(MovePendingSeries(Data));
    };
    const auto save = [] {
        bool ok = false;
        SavePendingProtocols(ok);
        return ok ? 0 : 1;
    };
    const auto check = [&](int) {
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 3u) << FilesIn(Data).join(u',').toStdString();
        for (const Protocol& p : series)
            ASSERT_EQ(std::count(back.begin(), back.end(), p), 1);
    };
    const int kills = KillBeforeEachFileCall(prepare, save, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 2);
    EXPECT_TRUE(PendingFilesIn(other).isEmpty());
}

TEST_F(PendingRecovery, WithNoOpenSeriesAMissingFolderHasNothingToMove)
{
    const QString missing = Temp.path() + QStringLiteral("/Missing");
    ASSERT_EQ(NextStart().size(), 1u);
    EXPECT_TRUE(MovePendingSeries(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(LogLines().isEmpty());
    // With a series open the folder must be there.
    WriteFileBytes(Pending(1), ReportFileBytes(Series(9)));
    ASSERT_EQ(NextStart().size(), 2u);
    EXPECT_FALSE(MovePendingSeries(missing));
    EXPECT_EQ(LogLinesWith(QStringLiteral("SavePendingProtocols\t8.0\t")), 1) << LogLines().join(u'\n').toStdString();
}

TEST_F(PendingRecovery, AMoveWhoseSecondSeriesFailsLeavesNothingInTheNewFolder)
{
    // The first series fits under the file size limit, the second (with
    // many tests) does not: the first one's file in the new folder goes
    // again, and the series stay in the data folder alone.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    Protocol big = Series(10, "b");
    for (int n = 0; n < 200; ++n)
        big.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(11)));
    const std::string small = ReportFileBytes(Series(9, "a"));
    const std::string large = ReportFileBytes(big);
    ASSERT_LT(small.size() + 512, large.size());
    WriteFileBytes(Pending(1), small);
    WriteFileBytes(Pending(2), large);
    ASSERT_EQ(NextStart().size(), 3u);
    const int result = RunWithFileSizeLimit(static_cast<long>(small.size() + 256),
                                            [&] { return MovePendingSeries(other) ? 1 : 0; });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(FilesIn(other).isEmpty()) << FilesIn(other).join(u',').toStdString();
    EXPECT_EQ(ReadFileBytes(Pending(1)), small);
    EXPECT_EQ(ReadFileBytes(Pending(2)), large);
}

TEST_F(PendingRecovery, AFailedMoveBackKeepsTheFileOfASeriesThatLooksLikeAnEarlierStateOfAnother)
{
    // Two series of one start, named alike, the second with more tests but
    // no later one: it could be an earlier state of the first. Moved to
    // another folder and back, the second's write fails (a file size
    // limit): its own file in the data folder stays, and a start there finds
    // both series.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    const Protocol first = Series(9);
    Protocol second = first;
    for (int n = 0; n < 200; ++n)
        second.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(9)));
    const std::string small = ReportFileBytes(first);
    const std::string large = ReportFileBytes(second);
    ASSERT_LT(small.size() + 512, large.size());
    WriteFileBytes(Pending(1), small);
    WriteFileBytes(Pending(2), large);
    ASSERT_EQ(NextStart().size(), 3u);
    ASSERT_TRUE(MovePendingSeries(other));
    const int result = RunWithFileSizeLimit(static_cast<long>(small.size() + 256),
                                            [&] { return MovePendingSeries(Data) ? 1 : 0; });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(PendingFilesIn(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
    EXPECT_EQ(ReadFileBytes(Pending(2)), large);
    EXPECT_TRUE(PendingFilesIn(other).isEmpty()) << PendingFilesIn(other).join(u',').toStdString();
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(std::count(back.begin(), back.end(), first), 1);
    EXPECT_EQ(std::count(back.begin(), back.end(), second), 1);
}
