// Pending files after what a run did not finish: a removal the system
// refused, a kill between two file calls, leftovers of the atomic writer.
#include "StorageTest.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"
#include "storage/modTestReport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// While set, renameat2 refuses RENAME_NOREPLACE as NFS and some FUSE file
// systems do.
bool g_refuseNoReplace = false;

// While Looks is above 0, the folder goes away (renamed to Away) right after
// the Looks-th time the program found it there: a share that drops between
// two looks, with no file call in between.
struct {
    QByteArray Folder;
    QByteArray Away;
    int Looks = 0;
} g_goneAfterLook;

}  // namespace


// Stands in for the C library's renameat2 in this test program, so that Qt's
// rename takes the way it takes on such a file system; FileCallAnswer
// answers it as it answers rename.
extern "C" int renameat2(int oldFolder, const char* oldPath, int newFolder, const char* newPath,
                         unsigned int flags) noexcept
{
    if (g_refuseNoReplace && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    const int answer = FileCallAnswer ? FileCallAnswer("rename", FullPathAt(newFolder, newPath)) : 0;
    if (answer > 0) {
        errno = answer;
        return -1;
    }
    const int result = static_cast<int>(::syscall(SYS_renameat2, oldFolder, oldPath, newFolder, newPath, flags));
    if (result == 0 && answer < 0) {
        errno = -answer;
        return -1;
    }
    return result;
}

// Stands in for the C library's statx, by which Qt looks at files.
extern "C" int statx(int folder, const char* path, int flags, unsigned int mask, struct statx* buffer) noexcept
{
    const int result = static_cast<int>(::syscall(SYS_statx, folder, path, flags, mask, buffer));
    if (result == 0 && g_goneAfterLook.Looks > 0 && g_goneAfterLook.Folder == path
        && --g_goneAfterLook.Looks == 0)
        ::rename(g_goneAfterLook.Folder.constData(), g_goneAfterLook.Away.constData());
    return result;
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

// The records of steps in the folder.
QStringList RecordsIn(const QString& folder)
{
    static const QRegularExpression record(QStringLiteral("\\.STP$"));
    return FilesIn(folder).filter(record);
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
    // The series open in the data folder, named by the settings, and an
    // empty other folder beside it; both made anew.
    void OpenInDataFolderBeside(const QString& other, const std::vector<Protocol>& series) const
    {
        NewDataFolderBeside(other);
        for (std::size_t n = 0; n < series.size(); ++n)
            WriteFileBytes(Pending(static_cast<int>(n) + 1), ReportFileBytes(series[n]));
        ASSERT_EQ(NextStart().size(), series.size() + 1);
    }
    struct Case {
        const char* what;
        std::function<void()> run;
    };
    // A termination of one of two open series killed at each of its file
    // calls, each kill followed by starts.
    void TerminationKilledAtEachFileCall(bool share);
    // Each case from an empty program folder, with nothing told yet and no
    // file call answered by hand afterwards.
    void RunEach(std::span<const Case> cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            Presenter.Shown.clear();
            QDir(Program).removeRecursively();
            QDir().mkpath(Program);
            c.run();
            FileCallAnswer = nullptr;
            if (HasFatalFailure())
                return;
        }
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
    EXPECT_GE(LogLinesWith(QStringLiteral("SavePendingProtocols\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t70\tPermission denied: ") + Pending(1)), 1)
        << LogLines().join(u'\n').toStdString();
}

TEST_F(PendingRecovery, ASeriesKilledBetweenItsReportAndItsPendingFileIsSavedOnce)
{
    // S is terminated: its report is written, then its pending file goes.
    // Wherever a kill falls, the next start has S either as one report or
    // as one open series, never both, also when another seat edited the
    // report before that start; T stays open. On a share without hard links
    // and without a rename that refuses to replace, the report is a copy of
    // the staged one under its name: one cut short, or whole beside the
    // staged file still there, is undone (another seat's edit of such a copy
    // would be kept beside the open series, so none is made then).
    for (const bool share : {false, true}) {
        SCOPED_TRACE(share ? "on a share without links" : "on a local disk");
        std::optional<ShareWithoutLinks> noLinks;
        if (share)
            noLinks.emplace(QFile::encodeName(Data).constData());
        TerminationKilledAtEachFileCall(share);
        if (HasFatalFailure() || IsSkipped())
            return;
    }
}

void PendingRecovery::TerminationKilledAtEachFileCall(bool share)
{
    const Protocol s = Series(9, "S");
    const Protocol t = Series(10, "T");
    Protocol edited = s;
    edited.Operator = QStringLiteral("edited by another seat");
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
        if (!SavePendingSeriesReport(1))
            return 1;
        EndPendingSeries(1);
        return 0;
    };
    const QString styleFolder = Data + QStringLiteral("/QTA084");   // "S": 83 + 1
    int saved = 0;
    const auto check = [&](int) {
        const QStringList reports = FilesIn(styleFolder);
        // On the share, a copy beside the staged report still there is the
        // step's own, to be undone.
        const bool copyOfAStep = share && !FilesIn(Data).filter(QRegularExpression(QStringLiteral("^ENDING "))).isEmpty();
        // Replaced, as the detail window of another seat writes it.
        for (const QString& name : copyOfAStep ? QStringList() : reports) {
            const QString path = styleFolder + u'/' + name;
            WriteFileBytes(path + QStringLiteral(".new"), ReportFileBytes(edited));
            ASSERT_EQ(::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(),
                               QFile::encodeName(path).constData()),
                      0);
        }
        const std::vector<Protocol> back = NextStart();
        const auto open = std::count_if(back.begin(), back.end(), [&](const Protocol& p) { return p.Date == s.Date; });
        const auto kept = FilesIn(styleFolder).size();
        ASSERT_EQ(kept + open, 1) << reports.join(u',').toStdString();
        ASSERT_EQ(std::count(back.begin(), back.end(), t), 1);
        // Nothing of the termination stays beside the pending files.
        EXPECT_EQ(FilesIn(Data).filter(QRegularExpression(QStringLiteral("^ENDING "))), QStringList());
        // What the start leaves is what the next one finds.
        ASSERT_EQ(NextStart(), back);
        saved += static_cast<int>(kept);
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

TEST_F(PendingRecovery, AStagedReportsWriteKilledOnAShareLeavesItsHiddenNameForAnHourAtMost)
{
    // Without unnamed files the staged report is written under a hidden
    // temporary name beside the record first, which a kill leaves; the
    // run's first termination removes such a name once it is an hour old
    // (a younger one may be another seat's write going on).
    WriteFileBytes(Pending(1), ReportFileBytes(Series(9, "S")));
    WriteFileBytes(Pending(2), ReportFileBytes(Series(10, "T")));
    ASSERT_EQ(NextStart().size(), 3u);
    const QString old = Data + QStringLiteral("/.ENDING 1.QTA.Ab12Cd.NEW");
    const QString young = Data + QStringLiteral("/.ENDING 2.QTA.Xy34Zw.NEW");
    WriteFileBytes(old, "killed an hour ago");
    WriteFileBytes(young, "being written");
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
    file.close();
    Protocols[1].Finished = true;
    Protocols[1].LastTestDate = At(12);
    ASSERT_TRUE(SavePendingSeriesReport(1));
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(young));
}

TEST_F(PendingRecovery, OnlyATerminationsRecordRemovesAPendingFileAndOnlyWhileBothHoldTheirBytes)
{
    // The report of a series in its style folder says nothing by itself: the
    // record of the termination that a stop cut short decides, by the report
    // under its name (the commit point), and a file is removed only while it
    // holds the bytes the record lists.
    const Protocol s = Series(9, "S");
    Protocol ended = s;
    ended.Finished = true;
    ended.LastTestDate = At(12);
    ended.Blocks[1].Terminated = true;
    const QString styleFolder = Data + QStringLiteral("/QTA084");
    const QString report = styleFolder + QStringLiteral("/2024.01.05, 09.00.00.QTA");
    const QString record = Data + QStringLiteral("/PENDING.STP");
    const std::string pendingBytes = ReportFileBytes(s);
    const std::string reportBytes = ReportFileBytes(ended);
    const std::string userBytes = "a file of the user's";
    const IntentRecord termination{IntentCommit::FileWritten, QString(), false,
                                   {IntentFile{report, IntentChecksum(reportBytes)}},
                                   {IntentFile{Pending(4), IntentChecksum(pendingBytes)}}};
    const struct {
        const char* what;
        bool withRecord;
        const std::string* atReport;    // nullptr: no file there
        const std::string* atPending;
        bool open;                      // the series is open after the start
        bool pendingLeft;
        bool reportLeft;
    } cases[] = {
        {"the series' very report, no record", false, &reportBytes, &pendingBytes, true, true, true},
        {"a record, the report written: the pending file goes", true, &reportBytes, &pendingBytes, false, false, true},
        {"a record, no report yet: the series stays open", true, nullptr, &pendingBytes, true, true, false},
        {"a record, the user's file at the report's name", true, &userBytes, &pendingBytes, true, true, true},
        {"a record, the user's file at the pending name", true, &reportBytes, &userBytes, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(Data).removeRecursively();
        QDir().mkpath(styleFolder);
        QFile::remove(Program + QStringLiteral("/QUINTARA.LOG"));
        if (c.atReport)
            WriteFileBytes(report, *c.atReport);
        WriteFileBytes(Pending(4), *c.atPending);
        if (c.withRecord)
            WriteFileBytes(record, IntentRecordBytes(termination, Data));
        const std::vector<Protocol> back = NextStart();
        EXPECT_EQ(back.size(), c.open ? 2u : 1u);
        if (c.open && back.size() == 2) {
            EXPECT_EQ(RecordBytesOf(back[1]), RecordBytesOf(s));
        }
        EXPECT_EQ(QFile::exists(Pending(4)), c.pendingLeft);
        if (c.pendingLeft) {
            EXPECT_EQ(ReadFileBytes(Pending(4)), *c.atPending);
        }
        EXPECT_EQ(QFile::exists(report), c.reportLeft);
        if (c.reportLeft && c.atReport) {
            EXPECT_EQ(ReadFileBytes(report), *c.atReport);
        }
        // The record is finished either way, and a second start finds the same.
        EXPECT_FALSE(QFile::exists(record));
        EXPECT_EQ(NextStart().size(), back.size());
        // A file of other bytes is named in the log as left alone.
        const int leftAlone = LogLinesWith(QStringLiteral("LoadPendingProtocols\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t0\t%1 holds other bytes than the step "
                                                          "wrote or found there; left alone")
                                               .arg(c.atPending == &userBytes ? Pending(4) : report));
        EXPECT_EQ(leftAlone, c.withRecord && (c.atPending == &userBytes || c.atReport == &userBytes) ? 1 : 0)
            << LogLines().join(u'\n').toStdString();
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

TEST_F(PendingRecovery, NoPendingFileIsTakenForAnothersCopyByWhatItHolds)
{
    // Two series started in the same second whose references differ only in
    // where a line break falls, and two files of the very same bytes: every
    // file is a series of its own, and none is removed.
    Protocol lot7 = Series(3, "twin");
    lot7.Reference2 = QStringLiteral("Lot\n7");
    lot7.Reference3 = QStringLiteral("R");
    Protocol lot = Series(3, "twin");
    lot.Reference2 = QStringLiteral("Lot");
    lot.Reference3 = QStringLiteral("7\nR");
    const std::vector<Protocol> series = {lot7, lot, Series(6, "same"), Series(6, "same")};
    for (std::size_t n = 0; n < series.size(); ++n)
        WriteFileBytes(Pending(static_cast<int>(n) + 1), ReportFileBytes(series[n]));
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 5u);
    EXPECT_EQ(std::count(back.begin(), back.end(), lot7), 1);
    EXPECT_EQ(std::count(back.begin(), back.end(), lot), 1);
    EXPECT_EQ(std::count(back.begin(), back.end(), Series(6, "same")), 2);
    EXPECT_EQ(PendingFilesIn(Data).size(), 4);
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join(u'\n').toStdString();
    // Saved and started again, still four.
    bool ok = false;
    SavePendingProtocols(ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(NextStart().size(), 5u);
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
        EXPECT_EQ(LogLinesWith(QStringLiteral("LoadPendingProtocols\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t0\t%1 may be left by an interrupted write; "
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
        ASSERT_TRUE(SavePendingSeriesReport(2));
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

TEST_F(PendingRecovery, AChangeTheSettingsRefusedIsUndoneWhereverAKillFalls)
{
    // The series went into the other folder, and the settings could not
    // name it: the undo removes the copies there, and the save after it
    // writes the series into their own files. Wherever a kill falls, a start
    // from the folder the settings name finds each series once, and nothing
    // of the change in the other folder.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::vector<Protocol> series = {Series(9, "a"), Series(10, "b")};
    Protocol typed = series[1];
    typed.Operator = QStringLiteral("typed during the change");
    const auto prepare = [&] {
        OpenInDataFolderBeside(other, series);
        // b changed in memory, its write still waiting.
        Protocols[2] = typed;
        MarkPendingSeriesChanged(2);
        ASSERT_TRUE(BeginDataFolderChange(other));
        ASSERT_EQ(PendingFilesIn(other).size(), 2);
    };
    const auto undo = [] {
        if (!UndoDataFolderChange())
            return 1;
        bool ok = false;
        SavePendingProtocols(ok);
        return ok ? 0 : 2;
    };
    const auto check = [&](int) {
        ASSERT_EQ(NamedDataFolder(), Data);
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 3u) << FilesIn(Data).join(u',').toStdString();
        ASSERT_EQ(std::count(back.begin(), back.end(), series[0]), 1);
        ASSERT_EQ(std::count(back.begin(), back.end(), series[1]) + std::count(back.begin(), back.end(), typed), 1);
        ASSERT_TRUE(PendingFilesIn(other).isEmpty()) << FilesIn(other).join(u',').toStdString();
        ASSERT_TRUE(RecordsIn(Program).isEmpty());
    };
    const int kills = KillBeforeEachFileCall(prepare, undo, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 3);
    // Run through: b's typed state is in its own file.
    const std::vector<Protocol> back = NextStart();
    EXPECT_TRUE(back == (std::vector<Protocol>{EmptyProtocol, series[0], typed}));
    EXPECT_EQ(PendingFilesIn(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
}

TEST_F(PendingRecovery, WithNoOpenSeriesAMissingFolderHasNothingToMove)
{
    const QString missing = Temp.path() + QStringLiteral("/Missing");
    ASSERT_EQ(NextStart().size(), 1u);
    EXPECT_TRUE(BeginDataFolderChange(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(LogLines().isEmpty());
    // With a series open the folder must be there.
    WriteFileBytes(Pending(1), ReportFileBytes(Series(9)));
    ASSERT_EQ(NextStart().size(), 2u);
    EXPECT_FALSE(BeginDataFolderChange(missing));
    EXPECT_EQ(LogLinesWith(QStringLiteral("SavePendingProtocols\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t")), 1) << LogLines().join(u'\n').toStdString();
    EXPECT_TRUE(RecordsIn(Program).isEmpty());
}

TEST_F(PendingRecovery, AMoveWhoseSecondSeriesFailsLeavesNothingInTheNewFolder)
{
    // The first series fits under the file size limit, the second (with
    // many tests) does not: the first one's file in the new folder goes
    // again with the record, and the series stay in the data folder alone.
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
                                            [&] { return BeginDataFolderChange(other) ? 1 : 0; });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(FilesIn(other).isEmpty()) << FilesIn(other).join(u',').toStdString();
    EXPECT_EQ(ReadFileBytes(Pending(1)), small);
    EXPECT_EQ(ReadFileBytes(Pending(2)), large);
    EXPECT_TRUE(RecordsIn(Program).isEmpty());
}

TEST_F(PendingRecovery, SeriesOfOneSecondNamedAlikeEachKeepTheirOwnFileWhenTheChangeIsUndone)
{
    // Two series started in the same second and named alike, both newer in
    // memory than in their files. The change is undone, and the save after
    // it can write only the smaller one (a file size limit): each series
    // stays in one file of its own in the data folder.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    const Protocol first = Series(9);
    Protocol second = first;
    for (int n = 0; n < 200; ++n)
        second.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(9)));
    WriteFileBytes(Pending(1), ReportFileBytes(first));
    WriteFileBytes(Pending(2), ReportFileBytes(second));
    ASSERT_EQ(NextStart().size(), 3u);
    // Of one start date, they load in the order the folder lists them.
    const int f = Protocols[1] == first ? 1 : 2;
    const int g = 3 - f;
    Protocol firstTyped = first;
    firstTyped.Operator = QStringLiteral("x");
    Protocol secondTyped = second;
    secondTyped.Operator = QStringLiteral("x");
    Protocols[static_cast<std::size_t>(f)] = firstTyped;
    Protocols[static_cast<std::size_t>(g)] = secondTyped;
    MarkPendingSeriesChanged(1);
    MarkPendingSeriesChanged(2);
    ASSERT_TRUE(BeginDataFolderChange(other));
    ASSERT_TRUE(UndoDataFolderChange());
    const std::string small = ReportFileBytes(firstTyped);
    const int result = RunWithFileSizeLimit(static_cast<long>(small.size() + 256), [&] {
        bool ok = false;
        SavePendingProtocols(ok);
        return ok ? 1 : 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(PendingFilesIn(other).isEmpty()) << PendingFilesIn(other).join(u',').toStdString();
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(std::count(back.begin(), back.end(), firstTyped), 1);
    EXPECT_EQ(std::count(back.begin(), back.end(), second), 1);
}

TEST_F(PendingRecovery, TheStartThatFinishesARecordKilledAnywhereIsFinishedByTheNextStart)
{
    // A change of data folder stopped after its copies were written: once
    // before the settings named the new folder, once after. The start that
    // finishes its record is killed at each file call; the start after it
    // finishes what is left, and every start finds each series once, in the
    // folder the settings name, with nothing of the change in the other.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::vector<Protocol> series = {Series(9, "a"), Series(10, "b"), Series(11, "c")};
    for (const bool committed : {false, true}) {
        SCOPED_TRACE(committed ? "the settings named the new folder" : "the settings still named the old one");
        const QString named = committed ? other : Data;
        const QString left = committed ? Data : other;
        const auto prepare = [&] {
            OpenInDataFolderBeside(other, series);
            ASSERT_TRUE(BeginDataFolderChange(other));
            DataFolder = named;
            ASSERT_TRUE(SaveSettings());
            ASSERT_FALSE(RecordsIn(Program).isEmpty());
        };
        const auto start = [] { return NextStart().size() == 4u ? 0 : 1; };
        const auto check = [&](int) {
            ASSERT_EQ(NamedDataFolder(), named);
            const std::vector<Protocol> back = NextStart();
            ASSERT_EQ(back.size(), 4u) << FilesIn(named).join(u',').toStdString();
            for (const Protocol& p : series)
                ASSERT_EQ(std::count(back.begin(), back.end(), p), 1);
            ASSERT_TRUE(PendingFilesIn(left).isEmpty()) << PendingFilesIn(left).join(u',').toStdString();
            ASSERT_EQ(PendingFilesIn(named).size(), 3);
            ASSERT_TRUE(RecordsIn(Program).isEmpty());
        };
        const int kills = KillBeforeEachFileCall(prepare, start, check);
        if (kills < 0)
            GTEST_SKIP() << "no tracing of a child";
        EXPECT_GE(kills, 3);
    }
}

TEST_F(PendingRecovery, ASeriesTerminatedAfterAKilledChangeStaysClosedThroughTwoMoreChanges)
{
    // A change to B killed anywhere, then T terminated where the settings
    // point, then a change to X and from X back to B: the next start has the
    // other series once each and T closed, its report where it was saved.
    const QString b = Temp.path() + QStringLiteral("/B");
    const QString x = Temp.path() + QStringLiteral("/X");
    const Protocol t = Series(10, "T");
    const std::vector<Protocol> series = {Series(9, "a"), t, Series(11, "c")};
    const auto prepare = [&] {
        OpenInDataFolderBeside(b, series);
        QDir(x).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(x));
    };
    const auto check = [&](int) {
        const QString from = NamedDataFolder();
        ASSERT_TRUE(from == Data || from == b);
        ASSERT_EQ(NextStart().size(), 4u);
        ASSERT_TRUE(Protocols[2] == t);
        ASSERT_TRUE(SavePendingSeriesReport(2));
        ASSERT_TRUE(EndPendingSeries(2));
        Protocols.erase(Protocols.begin() + 2);
        ASSERT_TRUE(DropPendingSeries(2));
        ASSERT_EQ(ChangeDataFolder(x), 0);
        ASSERT_EQ(ChangeDataFolder(b), 0);
        ASSERT_EQ(NamedDataFolder(), b);
        const std::vector<Protocol> back = NextStart();
        ASSERT_TRUE(back == (std::vector<Protocol>{EmptyProtocol, series[0], series[2]}))
            << FilesIn(b).join(u',').toStdString();
        // T's report ("T": 84 + 1) where it was terminated.
        ASSERT_EQ(FilesIn(from + QStringLiteral("/QTA085")), QStringList{QStringLiteral("2024.01.05, 10.00.00.QTA")});
        // Nothing of the series is left where they were before.
        ASSERT_TRUE(PendingFilesIn(x).isEmpty());
        ASSERT_TRUE(PendingFilesIn(Data).isEmpty()) << FilesIn(Data).join(u',').toStdString();
    };
    const int kills = KillBeforeEachFileCall(prepare, [&] { return ChangeDataFolder(b); }, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 10);
}

TEST_F(PendingRecovery, ATypedSeriesWhoseWriteFailedKeepsItsFileThroughAnUndoneChange)
{
    // An operator typed into the open series, and its write failed on a
    // full disk; then the data folder was changed, and the settings could
    // not name the new one. The series' file in the data folder is never on
    // a list of files to remove: a save on the disk still full, and a start,
    // find it.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    const Protocol series = Series(9, "s");
    WriteFileBytes(Pending(1), ReportFileBytes(series));
    ASSERT_EQ(NextStart().size(), 2u);
    Protocols[1].Operator = QStringLiteral("typed by the operator");
    const long limit = static_cast<long>(ReportFileBytes(series).size()) - 1;
    // The hard limit far off, so that the child can lower and raise its own.
    const long far = 1L << 40;
    const auto limitWrites = [](long bytes) {
        const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(1L << 40)};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    const int result = RunWithFileSizeLimit(far, [&] {
        Presenter.Answer(AnswerNo);
        if (!limitWrites(limit))
            return ChildSetupFailed;
        const bool kept = KeepPendingSeries(1);
        // The disk has room again for the copy in the other folder.
        limitWrites(far);
        const bool begun = BeginDataFolderChange(other);
        const bool undone = UndoDataFolderChange();
        limitWrites(limit);
        bool saved = false;
        SavePendingProtocols(saved);
        return (kept ? 1 : 0) + (begun ? 2 : 0) + (undone ? 4 : 0) + (saved ? 8 : 0);
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 2 + 4) << LogLines().join(u'\n').toStdString();
    EXPECT_TRUE(ReadFileBytes(Pending(1)) == ReportFileBytes(series));
    EXPECT_TRUE(FilesIn(other).isEmpty());
    EXPECT_TRUE(NextStart() == (std::vector<Protocol>{EmptyProtocol, series}));
}

TEST_F(PendingRecovery, AnUndoneChangeLeftOpenIsUndoneBeforeTheSettingsCanNameItsFolder)
{
    // The settings could not name the other folder, and its copy refused to
    // go; then the series was given up, so no series is open. Choosing that
    // folder now must first finish the undoing: the record, once the
    // settings named the folder, would take the copy for the series' file.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    WriteFileBytes(Pending(1), ReportFileBytes(Series(9, "s")));
    ASSERT_EQ(NextStart().size(), 2u);
    ASSERT_TRUE(BeginDataFolderChange(other));
    {
        ReadOnlyFolder refusing(other);
        if (!refusing.Active())
            GTEST_SKIP() << "cannot make a folder refuse a removal";
        EXPECT_FALSE(UndoDataFolderChange());
        Protocols.erase(Protocols.begin() + 1);
        EXPECT_FALSE(DropPendingSeries(1));
    }
    EXPECT_FALSE(QFile::exists(Pending(1)));
    EXPECT_EQ(ChangeDataFolder(other), 0);
    EXPECT_EQ(NamedDataFolder(), other);
    EXPECT_TRUE(FilesIn(other).isEmpty()) << FilesIn(other).join(u',').toStdString();
    EXPECT_EQ(NextStart().size(), 1u);
}

namespace {

struct FaultKind {
    const char* Name;
    int Error;
    FileCallFault Fault;
    bool Vanish = false;   // the data folder goes away instead
};
const FaultKind FaultKinds[] = {
    {"ENOSPC once", ENOSPC, FileCallFault::Once},
    {"EIO once", EIO, FileCallFault::Once},
    {"EFBIG once", EFBIG, FileCallFault::Once},
    {"a disk that stays full", ENOSPC, FileCallFault::DiskStaysFull},
    {"the data folder gone away", 0, FileCallFault::Once, true},
};

}  // namespace

TEST_F(PendingRecovery, ASeriesLeavingTheProgramFolderIsSavedOnlyOnceItsStepIsComplete)
{
    // A series in the program folder, which stood in for the data folder,
    // moves into the data folder: its new file, then the removal of the old
    // one. With any one file call failing (once, or from there on as on a
    // full disk), or the data folder going away there, a save that says all
    // is on disk has left no record open, and the series in one file; once
    // the folder is back, the series is in exactly one of the two folders,
    // and the user's files in both are as they were.
    const Protocol series = Series(9, "s");
    const QString stood = Program + QStringLiteral("/PENDING 1.QTA");
    const QString away = Data + QStringLiteral(".away");
    const auto prepare = [&] {
        for (const QString& name : RecordsIn(Data))
            QFile::remove(Data + u'/' + name);
        for (const QString& name : PendingFilesIn(Data))
            QFile::remove(Data + u'/' + name);
        for (const QString& name : RecordsIn(Program) + PendingFilesIn(Program))
            QFile::remove(Program + u'/' + name);
        WriteFileBytes(stood, ReportFileBytes(series));
        for (const QString& folder : {Data, Program})
            WriteFileBytes(folder + QStringLiteral("/notes.txt"), "the user's");
        DataFolder = Program;
        ASSERT_EQ(NextStart().size(), 2u);
        DataFolder = Data;
    };
    const auto save = [] {
        bool ok = false;
        SavePendingProtocols(ok);
        return ok ? 0 : 1;
    };
    const auto check = [&](int, int exitCode) {
        if (QFileInfo::exists(away)) {
            ASSERT_TRUE(QDir().rename(away, Data));
        }
        if (exitCode == 0) {
            ASSERT_TRUE(RecordsIn(Data).isEmpty());
            ASSERT_TRUE(PendingFilesIn(Program).isEmpty() || PendingFilesIn(Data).isEmpty());
        }
        for (const QString& folder : {Data, Program})
            ASSERT_EQ(ReadFileBytes(folder + QStringLiteral("/notes.txt")), "the user's") << folder.toStdString();
        // Starts from each folder finish what they find there; then the two
        // hold the series once.
        std::size_t count = 0;
        for (int pass = 0; pass < 2; ++pass) {
            count = 0;
            for (const QString& folder : {Data, Program}) {
                DataFolder = folder;
                count += NextStart().size() - 1;
            }
        }
        ASSERT_EQ(count, 1u) << FilesIn(Data).join(u',').toStdString() << " / "
                             << FilesIn(Program).join(u',').toStdString();
    };
    for (const FaultKind& kind : FaultKinds) {
        SCOPED_TRACE(kind.Name);
        const int runs = kind.Vanish ? VanishAtEachFileCall(prepare, save, [&] { QDir().rename(Data, away); }, check)
                                     : FailEachFileCall(prepare, save, kind.Error, kind.Fault, check);
        if (runs < 0)
            GTEST_SKIP() << "no failing of a child's file calls here";
        EXPECT_GE(runs, 3);
        if (HasFatalFailure())
            return;
    }
}

TEST_F(PendingRecovery, WithTheProgramFolderReadOnlyATerminationWorksAndAChangeOfDataFolderWritesNothing)
{
    // The record of a termination lies beside the pending files; that of a
    // change of data folder beside the settings, whose folder must then take
    // it, or nothing else is written.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    const std::vector<Protocol> series = {Series(9, "S"), Series(10, "t")};
    WriteFileBytes(Pending(1), ReportFileBytes(series[0]));
    WriteFileBytes(Pending(2), ReportFileBytes(series[1]));
    ASSERT_EQ(NextStart().size(), 3u);
    {
        ReadOnlyFolder readOnly(Program);
        if (!readOnly.Active())
            GTEST_SKIP() << "cannot make a folder refuse new files";
        EXPECT_FALSE(BeginDataFolderChange(other));
        EXPECT_TRUE(FilesIn(other).isEmpty());
        EXPECT_TRUE(SavePendingSeriesReport(1));
        EXPECT_TRUE(EndPendingSeries(1));
    }
    EXPECT_EQ(FilesIn(Data + QStringLiteral("/QTA084")), QStringList{QStringLiteral("2024.01.05, 09.00.00.QTA")});
    EXPECT_EQ(FilesIn(Data), QStringList{QStringLiteral("PENDING 2.QTA")});
    EXPECT_TRUE(NextStart() == (std::vector<Protocol>{EmptyProtocol, series[1]}));
}

TEST_F(PendingRecovery, EachStepFailingAtAnyFileCallLeavesEachSeriesOnceAndNothingOfItInTheOtherFolder)
{
    // Every file call of a change of data folder (the settings written,
    // refused with No, refused once with Yes), of a termination and of the
    // start that finishes a record fails in turn, once or from there on as
    // on a full disk, or the data folder goes away there (and is back before
    // the next start). After each, a start from the folder the settings name
    // finds every open series exactly once, the terminated one not open,
    // every file of the user's still there, and no pending file of the step
    // in another folder.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const Protocol s = Series(9, "S");
    const std::vector<Protocol> series = {s, Series(10, "b"), Series(11, "c")};
    const QStringList users = {Data + QStringLiteral("/notes.txt"), other + QStringLiteral("/notes.txt"),
                               Program + QStringLiteral("/notes.txt")};
    const QString blockSettings = SettingsFilePath();
    const QString away = Data + QStringLiteral(".away");
    const auto prepare = [&] {
        QDir(away).removeRecursively();
        for (const QString& name : PendingFilesIn(Program) + RecordsIn(Program))
            QFile::remove(Program + u'/' + name);
        QDir(Program + QStringLiteral("/QTA084")).removeRecursively();
        OpenInDataFolderBeside(other, series);
        for (const QString& path : users)
            WriteFileBytes(path, "the user's");
    };
    // Settings refused: a folder stands at the file's name; Yes takes it away.
    const auto refuseSettings = [&] {
        QFile::remove(blockSettings);
        QDir().mkpath(blockSettings);
    };
    const auto change = [&](bool settingsRefused, bool yes) {
        return [&, settingsRefused, yes] {
            if (settingsRefused)
                refuseSettings();
            if (!BeginDataFolderChange(other))
                return 1;
            DataFolder = other;
            bool saved = SaveSettings();
            if (!saved && yes) {
                QDir(blockSettings).removeRecursively();
                saved = SaveSettings();
            }
            if (!saved) {
                DataFolder = Data;
                return UndoDataFolderChange() ? 2 : 3;
            }
            if (!FinishDataFolderChange())
                return 4;
            bool ok = false;
            SavePendingProtocols(ok);
            return ok ? 0 : 5;
        };
    };
    const auto terminate = [] {
        const Protocol before = Protocols[1];
        Protocol& ending = Protocols[1];
        for (std::size_t b = 1; b <= static_cast<std::size_t>(PropertyCount); ++b)
            ending.Blocks[b].Terminated = true;
        ending.Finished = true;
        ending.LastTestDate = At(12);
        if (!SavePendingSeriesReport(1, nullptr, &before))
            return 1;
        EndPendingSeries(1);
        return 0;
    };
    // The data folder away as the termination starts: the program folder
    // stands in on the way.
    const auto awayBeforeTermination = [&] {
        prepare();
        ASSERT_TRUE(QDir().rename(Data, away));
    };
    // A change stopped after its copies were written and the settings named
    // the new folder, for the start to finish.
    const auto stoppedChange = [&] {
        prepare();
        ASSERT_TRUE(BeginDataFolderChange(other));
        DataFolder = other;
        ASSERT_TRUE(SaveSettings());
    };
    const auto start = [] { return NextStart().size() == 4u ? 0 : 1; };
    // A termination, then a test typed into b and saved: 6 when that save
    // failed with the data folder gone before it (the program folder must
    // stand in, whatever the termination left open), 7 when it failed
    // otherwise.
    Protocol typed = series[1];
    typed.Operator = QStringLiteral("typed after the termination");
    const auto terminateThenType = [&] {
        const int terminated = terminate();
        const bool gone = !QFileInfo::exists(Data);
        Protocols[2] = typed;
        if (!KeepPendingSeries(2))
            return gone ? 6 : 7;
        return terminated;
    };
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::function<int()> work;
        bool terminating;
        bool changing;
        bool standIn;   // the program folder stands in whatever the fault
        bool typing = false;   // b was typed into after the step
    } steps[] = {
        {"a change of data folder", prepare, change(false, false), false, true, false},
        {"a change the settings refused, No", prepare, change(true, false), false, true, false},
        {"a change the settings refused once, Yes", prepare, change(true, true), false, true, false},
        {"a termination", prepare, terminate, true, false, false},
        {"a termination that makes the stand-in", awayBeforeTermination, terminate, true, false, true},
        {"the start that finishes a record", stoppedChange, start, false, false, false},
        // A folder that drops mid-termination holds no later save.
        {"a termination, then a test typed", prepare, terminateThenType, true, false, false, true},
    };
    for (const auto& step : steps) {
        for (const FaultKind& kind : FaultKinds) {
            SCOPED_TRACE(testing::Message() << step.what << ", " << kind.Name);
            const auto check = [&](int, int exitCode) {
                QDir(blockSettings).removeRecursively();
                if (QFileInfo::exists(away)) {
                    ASSERT_TRUE(QDir().rename(away, Data));
                }
                // A change that ran through is complete: nothing of it
                // waits for the next start.
                if (step.changing && exitCode == 0) {
                    ASSERT_TRUE(RecordsIn(Program).isEmpty());
                }
                const QString named = NamedDataFolder();
                // The program folder stands in for a data folder gone away.
                ASSERT_TRUE(named == Data || named == other || ((kind.Vanish || step.standIn) && named == Program))
                    << named.toStdString();
                QStringList left = QStringList{Data, other, Program};
                left.removeAll(named);
                // The run itself left nothing in the other folders but what
                // a record still names for the next start.
                if (RecordsIn(Program).isEmpty()) {
                    for (const QString& folder : std::as_const(left))
                        ASSERT_TRUE(PendingFilesIn(folder).isEmpty()) << FilesIn(folder).join(u',').toStdString();
                }
                const std::vector<Protocol> back = NextStart();
                const QString files = FilesIn(named).join(u',');
                const auto typedOpen = std::count(back.begin(), back.end(), typed);
                if (step.typing) {
                    ASSERT_NE(exitCode, 6) << "the stand-in was held";
                    ASSERT_EQ(typedOpen + std::count(back.begin(), back.end(), series[1]), 1) << files.toStdString();
                    // Saved: nothing typed is lost by a stop after it.
                    ASSERT_TRUE(exitCode > 1 || typedOpen == 1) << files.toStdString();
                }
                for (std::size_t n = step.typing ? 2 : 1; n < series.size(); ++n)
                    ASSERT_EQ(std::count(back.begin(), back.end(), series[n]), 1) << files.toStdString();
                const auto open = std::count_if(back.begin(), back.end(), [&](const Protocol& p) { return p.Date == s.Date; });
                const QStringList reports = FilesIn(Data + QStringLiteral("/QTA084")) + FilesIn(Program + QStringLiteral("/QTA084"));
                if (step.terminating) {
                    ASSERT_EQ(open + reports.size(), 1) << files.toStdString();
                    // Open, it is as it was before the termination (a
                    // later save writes what a failed one left in memory).
                    if (!step.typing) {
                        ASSERT_EQ(std::count(back.begin(), back.end(), s), open) << files.toStdString();
                    }
                } else {
                    ASSERT_EQ(open, 1) << files.toStdString();
                }
                ASSERT_EQ(back.size(), series.size() + static_cast<std::size_t>(open)) << files.toStdString();
                for (const QString& path : users)
                    ASSERT_EQ(ReadFileBytes(path), "the user's") << path.toStdString();
                for (const QString& folder : std::as_const(left))
                    ASSERT_TRUE(PendingFilesIn(folder).isEmpty()) << FilesIn(folder).join(u',').toStdString();
                // What the start left is what the next one finds.
                ASSERT_TRUE(NextStart() == back);
            };
            const int runs = kind.Vanish
                ? VanishAtEachFileCall(step.prepare, step.work, [&] { QDir().rename(Data, away); }, check)
                : FailEachFileCall(step.prepare, step.work, kind.Error, kind.Fault, check);
            if (runs < 0)
                GTEST_SKIP() << "no failing of a child's file calls here";
            EXPECT_GE(runs, 3);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(PendingRecovery, SeriesMovingIntoTheFolderTheyAreWrittenToAreInOneFileWhereverAKillFalls)
{
    // The series were loaded from one folder, and the folder they are
    // written to is another now (the data folder came back, or the program
    // folder stands in for a missing one): each save writes a series' file
    // there and removes its old one, recorded. Wherever a kill falls, a
    // start from the new folder finds each series once, and its old file
    // is gone once the start is through.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::vector<Protocol> series = {Series(9, "a"), Series(10, "b")};
    const auto prepare = [&] {
        OpenInDataFolderBeside(other, series);
        DataFolder = other;
    };
    const auto save = [] {
        bool ok = false;
        SavePendingProtocols(ok);
        return ok ? 0 : 1;
    };
    int moved = 0;
    const auto check = [&](int) {
        DataFolder = other;
        const std::vector<Protocol> fromOther = NextStart();
        const std::size_t inOther = fromOther.size() - 1;
        DataFolder = Data;
        const std::vector<Protocol> fromData = NextStart();
        // Each series in exactly one of the two folders.
        for (const Protocol& p : series)
            ASSERT_EQ(std::count(fromOther.begin(), fromOther.end(), p) + std::count(fromData.begin(), fromData.end(), p), 1);
        ASSERT_TRUE(RecordsIn(other).isEmpty());
        moved += static_cast<int>(inOther);
    };
    const int kills = KillBeforeEachFileCall(prepare, save, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 10);
    EXPECT_GT(moved, 3);
    EXPECT_TRUE(PendingFilesIn(Data).isEmpty());
    EXPECT_EQ(PendingFilesIn(other), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
}

namespace {

// A folder that cannot be reached for a while (a share whose server is
// gone, a USB disk pulled): renamed away, and back.
class FolderAway {
public:
    explicit FolderAway(const QString& folder) : m_folder(folder), m_away(folder + QStringLiteral(".away"))
    {
        m_gone = QDir().rename(m_folder, m_away);
    }
    ~FolderAway() { Back(); }
    FolderAway(const FolderAway&) = delete;
    FolderAway& operator=(const FolderAway&) = delete;
    bool Gone() const { return m_gone; }
    void Back()
    {
        if (m_gone)
            m_gone = !QDir().rename(m_away, m_folder);
    }

private:
    QString m_folder;
    QString m_away;
    bool m_gone = false;
};

// A series as the termination leaves it: properties closed, the end date set.
void MarkTerminated(Protocol& series)
{
    for (std::size_t b = 1; b <= static_cast<std::size_t>(PropertyCount); ++b)
        series.Blocks[b].Terminated = true;
    series.Finished = true;
    series.LastTestDate = At(12);
}

// As the end of a series does, given up or terminated: the series ended,
// out of the list, and the files behind it moved up.
void EndSeries(std::size_t index)
{
    EndPendingSeries(static_cast<int>(index));
    Protocols.erase(Protocols.begin() + static_cast<std::ptrdiff_t>(index));
    DropPendingSeries(static_cast<int>(index));
}

// As the termination does: the series marked, the report saved, the series
// out of the list.
bool Terminate(std::size_t index)
{
    MarkTerminated(Protocols[index]);
    if (!SavePendingSeriesReport(static_cast<int>(index)))
        return false;
    EndSeries(index);
    return true;
}

// The reports in the style folders of a folder, by path.
QStringList ReportsIn(const QString& folder)
{
    QStringList reports;
    for (const QString& style : QDir(folder).entryList({QStringLiteral("QTA*")}, QDir::Dirs))
        for (const QString& name : FilesIn(folder + u'/' + style))
            reports << folder + u'/' + style + u'/' + name;
    return reports;
}

}  // namespace

TEST_F(PendingRecovery, FoldersThatCannotBeReachedSayNothingOfTheirFiles)
{
    // A folder that cannot be reached is no folder without the file: steps
    // that name files there stay recorded and are finished once it is back,
    // and a start loads nothing such a step still means to remove.
    const QString usb = Temp.path() + QStringLiteral("/USB");
    const Protocol a = Series(9, "a");
    const Protocol t = Series(10, "T");
    Protocol later = a;
    later.Operator = QStringLiteral("after the drop");
    const auto told = [&](int16_t number) {
        // Message 46 names the folder away and the program folder.
        std::vector<MessageRequest> forms = {ComposeMessage(number, {}, Language)};
        for (const QString& away : {Data, usb})
            forms.push_back(ComposeMessage(
                number, {QDir::toNativeSeparators(away), QDir::toNativeSeparators(Program)}, Language));
        return std::count_if(Presenter.Shown.begin(), Presenter.Shown.end(), [&](const MessageRequest& shown) {
            return std::find(forms.begin(), forms.end(), shown) != forms.end();
        });
    };
    const auto openSeries = [&] { OpenInDataFolderBeside(usb, {a, t}); };
    // A curve's writer finds the data folder away and puts the program
    // folder in its place in memory; the next save follows.
    const auto curveWrittenWhileAway = [&](bool backBeforeTheSave) {
        return [&, backBeforeTheSave] {
            openSeries();
            FolderAway away(Data);
            dskWriteFolder(DataFolder, &DataFolder);
            if (backBeforeTheSave)
                away.Back();
            Protocols[1] = later;
            EXPECT_TRUE(KeepPendingSeries(1));
            EXPECT_EQ(told(46), 1);
            away.Back();
            EXPECT_EQ(NamedDataFolder(), Program);
            EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, later, t}));
            EXPECT_TRUE(PendingFilesIn(Data).isEmpty());
        };
    };
    const Case cases[] = {
        {"the data folder drops during a save: the program folder stands in, told, and the series "
         "come back once when it is chosen again",
         [&] {
             openSeries();
             FolderAway away(Data);
             ASSERT_TRUE(away.Gone());
             Protocols[1] = later;
             EXPECT_TRUE(KeepPendingSeries(1));
             EXPECT_EQ(told(46), 1);
             EXPECT_EQ(NamedDataFolder(), Program);
             EXPECT_EQ(PendingFilesIn(Program).size(), 2);
             away.Back();
             ASSERT_TRUE(Terminate(2));
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, later}));
             EXPECT_EQ(PendingFilesIn(Data).size(), 1);
             EXPECT_TRUE(PendingFilesIn(Program).isEmpty());
             EXPECT_EQ(told(46), 1);
         }},
        {"a curve written while the data folder is away put the program folder in its place in memory: "
         "the next save makes it the recorded change",
         curveWrittenWhileAway(false)},
        {"a curve written while the data folder is away, the folder back before the next save: the curve "
         "lies in the program folder, so the save still makes the recorded change, not a silent move",
         curveWrittenWhileAway(true)},
        {"a series terminated while the data folder is away stays closed after a run without a clean end",
         [&] {
             openSeries();
             FolderAway away(Data);
             ASSERT_TRUE(Terminate(2));
             EXPECT_EQ(told(46), 1);
             away.Back();
             EXPECT_EQ(NamedDataFolder(), Program);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a}));
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a}));
         }},
        {"the data folder gone right after any look at it while a report is saved, then a kill: a report "
         "lies in the folder the settings name, its series closed once, with a pending file or none",
         [&] {
             const Protocol c = Series(11, "c");
             const QString away = Data + QStringLiteral(".away");
             for (const std::size_t index : {std::size_t{2}, std::size_t{3}}) {
                 for (int look = 1;; ++look) {
                     SCOPED_TRACE(testing::Message() << "series " << index << ", gone after look " << look);
                     ASSERT_LT(look, 40);
                     Presenter.Shown.clear();
                     QDir(Program).removeRecursively();
                     QDir().mkpath(Program);
                     openSeries();
                     AddPendingSeries(c);
                     const Protocol ending = Protocols[index];
                     g_goneAfterLook = {QFile::encodeName(Data), QFile::encodeName(away), look};
                     const bool saved = SavePendingSeriesReport(static_cast<int>(index));
                     const bool dropped = g_goneAfterLook.Looks == 0;
                     g_goneAfterLook.Looks = 0;
                     if (dropped) {
                         ASSERT_TRUE(QDir().rename(away, Data));
                     }
                     // Killed here: the next start is all that follows.
                     const QString named = NamedDataFolder();
                     ASSERT_TRUE(named == Data || named == Program) << named.toStdString();
                     EXPECT_EQ(told(46), named == Program ? 1 : 0);
                     EXPECT_EQ(ReportsIn(named == Data ? Program : Data).size(), 0);
                     EXPECT_EQ(ReportsIn(named).size(), saved ? 1 : 0);
                     const std::vector<Protocol> next = NextStart();
                     EXPECT_EQ(std::count(next.begin(), next.end(), a), 1);
                     const auto open = std::count(next.begin(), next.end(), ending);
                     if (index == 2) {
                         EXPECT_EQ(open + ReportsIn(named).size(), 1);
                     } else {
                         EXPECT_EQ(std::count(next.begin(), next.end(), t), 1);
                         EXPECT_LE(open + ReportsIn(named).size(), 1);
                     }
                     if (!dropped || HasFailure())
                         break;
                 }
             }
         }},
        {"the new folder pulled while the settings refuse it, No: its copies go once it is back",
         [&] {
             openSeries();
             ASSERT_TRUE(BeginDataFolderChange(usb));
             FolderAway away(usb);
             EXPECT_FALSE(UndoDataFolderChange());
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             away.Back();
             EXPECT_EQ(ChangeDataFolder(usb), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             EXPECT_TRUE(PendingFilesIn(Data).isEmpty());
         }},
        {"a change killed before the settings named the new folder, that folder absent at the start",
         [&] {
             openSeries();
             ASSERT_TRUE(BeginDataFolderChange(usb));
             FolderAway away(usb);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             EXPECT_EQ(RecordsIn(Program).size(), 1);
             away.Back();
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             EXPECT_TRUE(PendingFilesIn(usb).isEmpty());
             EXPECT_TRUE(RecordsIn(Program).isEmpty());
         }},
        {"a committed change whose old folder is absent when it is finished",
         [&] {
             openSeries();
             ASSERT_TRUE(BeginDataFolderChange(usb));
             DataFolder = usb;
             ASSERT_TRUE(SaveSettings());
             FolderAway away(Data);
             EXPECT_FALSE(FinishDataFolderChange());
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             away.Back();
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             EXPECT_TRUE(PendingFilesIn(Data).isEmpty());
             EXPECT_TRUE(RecordsIn(Program).isEmpty());
             // Terminated in the new folder, a stays closed in the old one.
             ASSERT_TRUE(Terminate(1));
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t}));
         }},
        {"a removal that keeps failing blocks no other series",
         [&] {
             openSeries();
             ASSERT_TRUE(BeginDataFolderChange(usb));
             DataFolder = usb;
             ASSERT_TRUE(SaveSettings());
             FolderAway away(Data);
             EXPECT_FALSE(FinishDataFolderChange());
             EXPECT_TRUE(Terminate(1));
             away.Back();
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t}));
             // Its report, in the style folder of the new data folder.
             const QStringList styles = QDir(usb).entryList({QStringLiteral("QTA*")}, QDir::Dirs);
             ASSERT_EQ(styles.size(), 1);
             EXPECT_EQ(FilesIn(usb + u'/' + styles[0]).size(), 1);
         }},
        {"a given-up series whose file could not go stays gone through a change with no series open",
         [&] {
             OpenInDataFolderBeside(usb, {a});
             Presenter.Answer(AnswerNo);
             {
                 FolderAway away(Data);
                 EndSeries(1);
                 ASSERT_TRUE(BeginDataFolderChange(usb));
                 DataFolder = usb;
                 ASSERT_TRUE(SaveSettings());
                 // Killed here: the next start is all that follows.
             }
             EXPECT_EQ(NextStart(), std::vector<Protocol>{EmptyProtocol});
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             EXPECT_EQ(NextStart(), std::vector<Protocol>{EmptyProtocol});
         }},
        {"a given-up series whose file could not go stays gone through a kill",
         [&] {
             OpenInDataFolderBeside(usb, {a});
             Presenter.Answer(AnswerNo);
             {
                 FolderAway away(Data);
                 EndSeries(1);
                 // Killed here.
             }
             EXPECT_EQ(NextStart(), std::vector<Protocol>{EmptyProtocol});
             EXPECT_TRUE(PendingFilesIn(Data).isEmpty());
         }},
        {"after an undone change, a state newer than the file is written by the next save",
         [&] {
             OpenInDataFolderBeside(usb, {a});
             Protocols[1] = later;
             MarkPendingSeriesChanged(1);
             ASSERT_TRUE(BeginDataFolderChange(usb));
             EXPECT_TRUE(UndoDataFolderChange());
             EXPECT_TRUE(KeepChangedPendingSeries());
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, later}));
         }},
        {"a user's files named as records are neither replaced nor removed",
         [&] {
             openSeries();
             for (const char* name : {"/PENDING.STP", "/PENDING 1.STP"})
                 WriteFileBytes(Data + QLatin1String(name), "the user's");
             ASSERT_TRUE(Terminate(1));
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t}));
             for (const char* name : {"/PENDING.STP", "/PENDING 1.STP"})
                 EXPECT_EQ(ReadFileBytes(Data + QLatin1String(name)), "the user's") << name;
         }},
        {"a series added without a save keeps its file through a change of data folder",
         [&] {
             OpenInDataFolderBeside(usb, {a});
             AddPendingSeries(t);
             EXPECT_EQ(ChangeDataFolder(usb), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
         }},
        {"a record whose folder cannot be synced is not written, and nothing of its step is",
         [&] {
             openSeries();
             FailingSyncFolder = Program;
             EXPECT_FALSE(BeginDataFolderChange(usb));
             FailingSyncFolder.clear();
             EXPECT_TRUE(RecordsIn(Program).isEmpty());
             EXPECT_TRUE(PendingFilesIn(usb).isEmpty());
             // The old files' folder not synced after their removal: the
             // record stays for the next start.
             ASSERT_TRUE(BeginDataFolderChange(usb));
             DataFolder = usb;
             ASSERT_TRUE(SaveSettings());
             FailingSyncFolder = Data;
             EXPECT_FALSE(FinishDataFolderChange());
             FailingSyncFolder.clear();
             EXPECT_EQ(RecordsIn(Program).size(), 1);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             EXPECT_TRUE(RecordsIn(Program).isEmpty());
         }},
        // --- Guards: a staged report the start must keep ---
        {"a staged report an open step names, while its report's folder is away",
         [&] {
             // Without it the step, judged once the folder is back, would
             // read its staged name gone as the report placed, and remove
             // the series' file: neither open nor reported.
             NewDataFolderBeside(usb);
             Protocol ended = a;
             ended.Finished = true;
             ended.LastTestDate = At(12);
             const std::string pendingBytes = ReportFileBytes(a);
             const std::string reportBytes = ReportFileBytes(ended);
             const QString styleFolder = Data + u'/' + dskStyleFolderName(a.Style.Name);
             const QString report = styleFolder + u'/' + dskFileNameFromDate(a.Date, QStringLiteral("QTA"));
             const QString staged = Data + u'/' + StagedReportName(1);
             WriteFileBytes(Pending(1), pendingBytes);
             WriteFileBytes(staged, reportBytes);
             const IntentRecord termination{IntentCommit::FileWritten, QString(), false,
                                            {IntentFile{report, IntentChecksum(reportBytes)},
                                             IntentFile{staged, IntentChecksum(reportBytes)}},
                                            {IntentFile{Pending(1), IntentChecksum(pendingBytes)}}};
             WriteFileBytes(Data + QStringLiteral("/PENDING 1.STP"), IntentRecordBytes(termination, Data));
             EXPECT_EQ(NextStart(), std::vector<Protocol>{EmptyProtocol});
             EXPECT_TRUE(QFile::exists(staged));
             ASSERT_TRUE(QDir().mkpath(styleFolder));
             const std::vector<Protocol> back = NextStart();
             EXPECT_EQ((back.size() == 2 ? 1 : 0) + (QFile::exists(report) ? 1 : 0), 1);
         }},
        {"a staged report beside a record that could not be read",
         [&] {
             // A later version's record may name it.
             NewDataFolderBeside(usb);
             const QString staged = Data + u'/' + StagedReportName(3);
             WriteFileBytes(staged, ReportFileBytes(a));
             WriteFileBytes(Data + QStringLiteral("/PENDING 2.STP"),
                            std::string("QSTP") + std::string("\x63\x00", 2) + "of a later version");
             NextStart();
             EXPECT_TRUE(QFile::exists(staged));
         }},
        // A folder that comes back brings its records.
        {"a termination committed before a kill, the data folder away and stood in for, then chosen again: "
         "the terminated series stays closed",
         [&] {
             openSeries();
             const std::string first = QFile::encodeName(Pending(1)).toStdString();
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 return call == "unlink" && path == first ? EIO : 0;
             };
             Terminate(1);
             FileCallAnswer = nullptr;
             ASSERT_EQ(RecordsIn(Data).size(), 1);
             // Killed here.
             const Protocol c = Series(11, "c");
             {
                 FolderAway away(Data);
                 EXPECT_EQ(NextStart(), std::vector<Protocol>{EmptyProtocol});
                 AddPendingSeries(c);
                 EXPECT_TRUE(KeepPendingSeries(1));
                 EXPECT_EQ(told(46), 1);
             }
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             // Open again at once, beside those the stand-in moved.
             EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, c, t}));
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t, c}));
             EXPECT_TRUE(RecordsIn(Data).isEmpty());
         }},
        // A folder that drops in the middle of a termination.
        {"the data folder moved away during the move of the staged report: the program folder stands in "
         "(message 46, not 31), the report is saved there, and a kill after a typed test loses nothing",
         [&] {
             openSeries();
             const std::string reports = QFile::encodeName(Data).toStdString() + "/QTA";
             std::optional<FolderAway> away;
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 if (call == "rename" && path.rfind(reports, 0) == 0 && !away)
                     away.emplace(Data);
                 return 0;
             };
             const bool terminated = Terminate(2);
             FileCallAnswer = nullptr;
             ASSERT_TRUE(away && away->Gone());
             EXPECT_TRUE(terminated);
             Protocols[1] = later;
             EXPECT_TRUE(KeepPendingSeries(1));
             EXPECT_EQ(told(46), 1);
             EXPECT_EQ(told(31), 0);
             // Killed here; the folder back before the next start.
             away->Back();
             EXPECT_EQ(NamedDataFolder(), Program);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, later}));
             EXPECT_EQ(ReportsIn(Data).size() + ReportsIn(Program).size(), 1);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, later}));
             EXPECT_TRUE(RecordsIn(Data).isEmpty());
         }},
    };
    RunEach(cases);
}

TEST_F(PendingRecovery, AShareThatDropsOrAnswersWrongNeitherReopensNorHidesASeries)
{
    // A share that applied a call and answered a failure, refused calls for
    // a while, or dropped in the middle of a step: when it is back, every
    // series is open exactly once, a terminated one stays closed, and no
    // test names another's curve.
    const QString usb = Temp.path() + QStringLiteral("/USB");
    const Protocol a = Series(9, "a");
    const Protocol t = Series(10, "T");
    Protocol later = a;
    later.Operator = QStringLiteral("written, answered as failed");
    Protocol away = a;
    away.Operator = QStringLiteral("typed while the folder was away");
    const std::string data = QFile::encodeName(Data).toStdString() + '/';
    const std::string program = QFile::encodeName(Program).toStdString() + '/';
    // A path directly in the folder (given with its slash) whose name ends so.
    const auto in = [](const std::string& path, const std::string& folder, const std::string& end) {
        return path.rfind(folder, 0) == 0 && path.find('/', folder.size()) == std::string::npos
            && path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
    };
    // The data folder takes new files but refuses renames onto records and
    // the removal of pending files (a share that dropped after the report).
    const auto refuseMarkAndRemoval = [&](bool mark) {
        FileCallAnswer = [&, mark](const std::string& call, const std::string& path) {
            return (call == "unlink" && in(path, data, ".QTA")) || (mark && call == "rename" && in(path, data, ".STP"))
                ? EIO
                : 0;
        };
    };
    const Case cases[] = {
        {"a write the share applied and answered as failed: the stand-in's record names the file by both "
         "states, and it goes once the folder is back",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             Protocols[1] = later;
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 return call == "rename" && path == QFile::encodeName(Pending(1)).toStdString() ? -EIO : 0;
             };
             EXPECT_FALSE(KeepPendingSeries(1));
             FileCallAnswer = nullptr;
             ASSERT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(later));
             {
                 FolderAway gone(Data);
                 Protocols[1] = away;
                 EXPECT_TRUE(KeepPendingSeries(1));
             }
             EXPECT_EQ(NamedDataFolder(), Program);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, away, t}));
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, away, t}));
         }},
        {"a write the share applied and answered as failed, then one it refused: the stand-in's record names "
         "the file by each",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             Protocol refused = later;
             refused.Operator = QStringLiteral("refused");
             for (const auto& [state, answer] : {std::pair{later, -EIO}, std::pair{refused, EIO}}) {
                 Protocols[1] = state;
                 FileCallAnswer = [&, answer = answer](const std::string& call, const std::string& path) {
                     return call == "rename" && path == QFile::encodeName(Pending(1)).toStdString() ? answer : 0;
                 };
                 EXPECT_FALSE(KeepPendingSeries(1));
             }
             FileCallAnswer = nullptr;
             ASSERT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(later));
             {
                 FolderAway gone(Data);
                 Protocols[1] = away;
                 EXPECT_TRUE(KeepPendingSeries(1));
             }
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, away, t}));
             EXPECT_EQ(ChangeDataFolder(Data), 0);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, away, t}));
         }},
        {"a renumbering rename the share did and answered as failed: the series is taken at its new name",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 return call == "rename" && path == QFile::encodeName(Pending(1)).toStdString() ? -EIO : 0;
             };
             ASSERT_TRUE(Terminate(1));
             FileCallAnswer = nullptr;
             Protocol changed = t;
             changed.Operator = QStringLiteral("after the renumbering");
             Protocols[1] = changed;
             EXPECT_TRUE(KeepPendingSeries(1));
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, changed}));
         }},
        {"a termination whose committed mark the share refused, the run ended while it did, the report "
         "then deleted by another seat: the next start keeps the series closed",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             refuseMarkAndRemoval(true);
             const bool ended = Terminate(1);
             FileCallAnswer = nullptr;
             ASSERT_TRUE(ended);
             const QStringList reports = ReportsIn(Data);
             ASSERT_EQ(reports.size(), 1);
             ASSERT_TRUE(QFile::remove(reports[0]));
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t}));
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t}));
         }},
        {"a termination whose report could not be renamed to its name, its record unable to go: the series "
         "stays open",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 return (call == "rename" && path.rfind(data + "QTA", 0) == 0) || (call == "unlink" && in(path, data, ".STP"))
                     ? EIO
                     : 0;
             };
             EXPECT_FALSE(Terminate(1));
             FileCallAnswer = nullptr;
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
             EXPECT_TRUE(RecordsIn(Data).isEmpty());
             EXPECT_EQ(FilesIn(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
         }},
        {"the committed mark is written again by the next save the folder takes it, and its stand-in in "
         "the program folder goes",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             refuseMarkAndRemoval(true);
             ASSERT_TRUE(Terminate(1));
             refuseMarkAndRemoval(false);
             bool ok = false;
             SavePendingProtocols(ok);
             FileCallAnswer = nullptr;
             EXPECT_TRUE(RecordsIn(Program).isEmpty());
             const QStringList records = RecordsIn(Data);
             ASSERT_EQ(records.size(), 1);
             IntentRecord record;
             ASSERT_EQ(ReadIntentRecord(Data + u'/' + records[0], record, QStringLiteral("test")), IntentRead::Read);
             EXPECT_TRUE(record.Committed);
         }},
        {"a termination whose report cannot be read at the start is neither done nor undone, also where "
         "its staged name is still a second name of the report",
         [&] {
             for (const bool staged : {false, true}) {
                 OpenInDataFolderBeside(usb, {a, t});
                 Protocol ended = a;
                 MarkTerminated(ended);
                 const QString style = Data + u'/' + dskStyleFolderName(a.Style.Name);
                 ASSERT_TRUE(QDir().mkpath(style));
                 const QString report = style + QStringLiteral("/2024.01.05, 09.00.00.QTA");
                 WriteFileBytes(report, ReportFileBytes(ended));
                 const IntentFile reportEntry{report, IntentChecksum(ReportFileBytes(ended))};
                 IntentRecord record{IntentCommit::FileWritten, QString(), false, {reportEntry},
                                     {IntentFile{Pending(1), IntentChecksum(ReportFileBytes(a))}}};
                 if (staged) {
                     // Stopped between the link and the unlink of a rename
                     // that cannot refuse to replace.
                     const IntentFile second{Data + QStringLiteral("/ENDING 1.QTA"), reportEntry.Checksum};
                     ASSERT_EQ(::link(QFile::encodeName(report).constData(), QFile::encodeName(second.Path).constData()), 0);
                     record.Created.push_back(second);
                     record.Removed.push_back(second);
                 }
                 WriteFileBytes(Data + QStringLiteral("/PENDING 1.STP"), IntentRecordBytes(record, Data));
                 {
                     FolderAway gone(style);
                     EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t})) << staged;
                     EXPECT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(a));
                 }
                 EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t})) << staged;
                 EXPECT_FALSE(QFileInfo::exists(Pending(1)));
                 EXPECT_EQ(FilesIn(Data), QStringList{QStringLiteral("PENDING 2.QTA")});
                 EXPECT_EQ(FilesIn(style).size(), 1);
             }
         }},
        {"a change whose old folder is away as it starts: the test's curve is not moved, and it never "
         "names the other seat's curve of that name in the new folder",
         [&] {
             OpenInDataFolderBeside(usb, {a});
             const std::string curve = "2024.01.05, 13.08.00.ABT";
             WriteFileBytes(Data + u'/' + QLatin1String(curve.c_str()), "a's curve");
             WriteFileBytes(usb + u'/' + QLatin1String(curve.c_str()), "another seat's curve");
             {
                 FolderAway gone(Data);
                 ChangeDataFolder(usb);
             }
             ASSERT_EQ(NamedDataFolder(), usb);
             const std::vector<Protocol> back = NextStart();
             ASSERT_EQ(back.size(), 2u);
             for (std::size_t b = 1; b <= 2; ++b)
                 EXPECT_NE(back[1].Blocks[b].Values[3].CurveFile, curve);
             EXPECT_EQ(ReadFileBytes(usb + u'/' + QLatin1String(curve.c_str())), "another seat's curve");
         }},
        {"a termination that makes the stand-in, stopped before its report: the series is open as it was "
         "before the termination",
         [&] {
             OpenInDataFolderBeside(usb, {a, t});
             // The report cannot be made in the program folder.
             WriteFileBytes(Program + u'/' + dskStyleFolderName(a.Style.Name), "the user's");
             FolderAway gone(Data);
             const Protocol before = Protocols[1];
             MarkTerminated(Protocols[1]);
             EXPECT_FALSE(SavePendingSeriesReport(1, nullptr, &before));
             // Killed here.
             gone.Back();
             EXPECT_EQ(NamedDataFolder(), Program);
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, a, t}));
         }},
        {"a series given up while the folder is away, its record unable to go from the program folder: a "
         "new series never takes the name the record names, and one that holds that name is loaded",
         [&] {
             OpenInDataFolderBeside(usb, {a});
             Presenter.Answer(AnswerNo);
             {
                 FolderAway gone(Data);
                 EndSeries(1);
             }
             ASSERT_EQ(RecordsIn(Program).size(), 1);
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 return call == "unlink" && in(path, program, ".STP") ? EROFS : 0;
             };
             AddPendingSeries(t);
             KeepPendingSeries(1);
             EXPECT_EQ(PendingFilesIn(Data), QStringList{QStringLiteral("PENDING 2.QTA")});
             // As an earlier run left it: the new series under that name.
             ASSERT_TRUE(QFile::rename(Pending(2), Pending(1)));
             EXPECT_EQ(NextStart(), (std::vector<Protocol>{EmptyProtocol, t}));
             EXPECT_EQ(RecordsIn(Program).size(), 1);
             FileCallAnswer = nullptr;
         }},
    };
    RunEach(cases);
}

TEST_F(PendingRecovery, ARecordDecidesByWhatItsFilesAreNotByHowTheyAreReached)
{
    // Records left by a stop, finished by the start. A move whose old file
    // was rewritten in place is not done: the copy goes. A step whose commit
    // point cannot be reached keeps every file it names out of the start,
    // however the data folder is spelled. A record of a later version is
    // not acted on.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const QString link = Temp.path() + QStringLiteral("/Link");
    const Protocol a = Series(9, "a");
    Protocol later = a;
    later.Operator = QStringLiteral("rewritten");
    const std::string aBytes = ReportFileBytes(a);
    const IntentFile copy{Pending(1), IntentChecksum(aBytes)};
    const IntentFile old{other + QStringLiteral("/PENDING 1.QTA"), IntentChecksum(aBytes)};
    const IntentFile unreachable{Temp.path() + QStringLiteral("/Away/PENDING 1.QTA"), IntentChecksum(aBytes)};
    const struct {
        const char* what;
        IntentRecord record;
        QString folder;         // where the record lies
        std::string version;    // the version bytes written over the record's
        bool rewriteOld;
        QString dataFolder;
        std::vector<Protocol> open;
        bool copyLeft;
    } cases[] = {
        // A move from another folder is recorded in the program folder: a
        // record in the data folder names only files there.
        {"a move whose old file was rewritten in place", {IntentCommit::FileRemoved, QString(), false, {copy}, {old}},
         Program, "", true, Data, {EmptyProtocol}, false},
        {"a move whose old file cannot be reached, the data folder through a link",
         {IntentCommit::FileRemoved, QString(), false, {copy}, {unreachable}}, Program, "", false, link,
         {EmptyProtocol}, true},
        {"a record of a later version", {IntentCommit::FileRemoved, QString(), true, {}, {copy}}, Data,
         std::string("\x03\x00", 2), false, Data, {EmptyProtocol, a}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpenInDataFolderBeside(other, {});
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(Data, link));
        WriteFileBytes(Pending(1), aBytes);
        WriteFileBytes(old.Path, c.rewriteOld ? ReportFileBytes(later) : aBytes);
        std::string bytes = IntentRecordBytes(c.record, c.folder);
        if (!c.version.empty())
            bytes.replace(4, 2, c.version);
        const QString record = c.folder + QStringLiteral("/PENDING 1.STP");
        WriteFileBytes(record, bytes);
        DataFolder = c.dataFolder;
        EXPECT_EQ(NextStart(), c.open);
        EXPECT_EQ(QFile::exists(Pending(1)), c.copyLeft);
        EXPECT_EQ(ReadFileBytes(old.Path), c.rewriteOld ? ReportFileBytes(later) : aBytes);
        // Only a finished record goes; the others wait as they are.
        EXPECT_EQ(ReadFileBytes(record), c.rewriteOld ? std::string("<missing>") : bytes);
        QFile::remove(record);
    }

    // A termination recorded beside the pending files, found on a share
    // mounted at another path (a bind mount, the first path covered): its
    // names are the files there, so its report closes the series.
    OpenInDataFolderBeside(other, {});
    Protocol ended = a;
    ended.Finished = true;
    const QString report = Data + QStringLiteral("/QTA098/2024.01.05, 09.00.00.QTA");
    QDir().mkpath(Data + QStringLiteral("/QTA098"));
    WriteFileBytes(report, ReportFileBytes(ended));
    WriteFileBytes(Pending(1), aBytes);
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.STP"),
                   IntentRecordBytes(IntentRecord{IntentCommit::FileWritten, QString(), false,
                                                  {IntentFile{report, IntentChecksum(ReportFileBytes(ended))}},
                                                  {IntentFile{Pending(1), IntentChecksum(aBytes)}}},
                                     Data));
    const QString mounted = Temp.path() + QStringLiteral("/Mounted");
    QDir().mkpath(mounted);
    const int result = RunInMountNamespace([&] {
        if (::mount(QFile::encodeName(Data).constData(), QFile::encodeName(mounted).constData(), nullptr, MS_BIND,
                    nullptr) != 0
            || ::mount("tmpfs", QFile::encodeName(Data).constData(), "tmpfs", 0, "size=1m") != 0)
            return ChildSetupFailed;
        DataFolder = mounted;
        if (NextStart() != std::vector<Protocol>{EmptyProtocol})
            return 1;
        return QFileInfo::exists(mounted + QStringLiteral("/PENDING 1.QTA")) ? 2 : 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(result, 0);
}

TEST_F(PendingRecovery, ATerminatedSeriesWhosePendingFileCannotGoStaysClosed)
{
    // a's pending file cannot be removed (a folder that lets the program's
    // user make files but not remove another's): a is terminated all the
    // same, t's termination is not held up by it, and a stays closed through
    // a start that cannot remove the file either and through the deletion
    // of its report.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs a second user";
    const Protocol a = Series(9, "a");
    const Protocol t = Series(10, "T");
    WriteFileBytes(Pending(1), ReportFileBytes(a));
    WriteFileBytes(Pending(2), ReportFileBytes(t));
    for (const QString& path : {Temp.path(), Program, Pending(2)})
        ChownToNobody(QFile::encodeName(path).constData());
    for (const QString& name : FilesIn(Program))
        ChownToNobody(QFile::encodeName(Program + u'/' + name).constData());
    ASSERT_EQ(::chmod(QFile::encodeName(Data).constData(), 01777), 0);
    const int result = RunUnprivileged([&] {
        int bits = NextStart().size() == 3 ? 1 : 0;
        Protocol& ending = Protocols[1];
        for (std::size_t b = 1; b <= static_cast<std::size_t>(PropertyCount); ++b)
            ending.Blocks[b].Terminated = true;
        ending.Finished = true;
        bits |= SavePendingSeriesReport(1) ? 2 : 0;
        EndSeries(1);
        bits |= SavePendingSeriesReport(1) ? 4 : 0;
        bits |= NextStart() == std::vector<Protocol>{EmptyProtocol} ? 8 : 0;
        return bits;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "cannot run as another user";
    EXPECT_EQ(result, 15);
    EXPECT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(a));
    // Its report deleted: the record that names its file stays the word.
    const QStringList styles = QDir(Data).entryList({QStringLiteral("QTA*")}, QDir::Dirs);
    for (const QString& style : styles)
        for (const QString& report : FilesIn(Data + u'/' + style))
            if (report.startsWith(QLatin1String("2024.01.05, 09."))) {
                ASSERT_TRUE(QFile::remove(Data + u'/' + style + u'/' + report));
            }
    EXPECT_EQ(RunUnprivileged([&] { return NextStart() == std::vector<Protocol>{EmptyProtocol} ? 0 : 1; }), 0);
    EXPECT_EQ(NextStart(), std::vector<Protocol>{EmptyProtocol});
}
