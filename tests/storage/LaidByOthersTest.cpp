// Files in a shared data folder are input that others can write: records
// that name what is not theirs, links laid at the names the program writes,
// locks or removes. One row each, every row on folders of its own; a file of
// the user's outside the data folder ("victim") must keep its bytes, its
// mode and its place.
#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "platform/BinaryIO.h"
#include "platform/FileLock.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modCurveFiles.h"
#include "storage/modIntentRecord.h"
#include "storage/modSeat.h"
#include "storage/modTestReport.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Folders {
    QString Program, Data, Seat, Home;
    QString Victim;          // Home/PENDING 1.QTA: a file of the program's shape outside
    std::string VictimBytes;
    std::string SeriesBytes; // what the seat's one open series' file holds
};

std::string Sum(const std::string& bytes)
{
    const QByteArray sum = IntentChecksum(bytes);
    return std::string(sum.constData(), static_cast<std::size_t>(sum.size()));
}

// A record as anyone can lay it: the names exactly as given, a checksum
// that fits.
struct LaidName {
    std::string Name;
    std::string Bytes;   // the checksum is of these
};
std::string LaidRecord(IntentCommit commit, bool committed, const std::vector<LaidName>& created,
                       const std::vector<LaidName>& removed, const std::string& folder = std::string())
{
    BinaryWriter out;
    out.PutBytes("QSTP");
    out.PutInteger(2);
    out.PutInteger(static_cast<int16_t>(commit));
    out.PutString(folder);
    out.PutFlag(committed);
    for (const std::vector<LaidName>* names : {&created, &removed}) {
        out.PutInteger(static_cast<int16_t>(names->size()));
        for (const LaidName& name : *names) {
            out.PutString(name.Name);
            out.PutBytes(Sum(name.Bytes));
        }
    }
    out.PutBytes(Sum(out.Bytes()));
    return out.TakeBytes();
}

std::string Utf8(const QString& path) { return QFile::encodeName(path).toStdString(); }

mode_t ModeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

bool IsLink(const QString& path) { return S_ISLNK(ModeOf(path)); }

struct Row {
    const char* Name;
    std::function<void(const Folders&)> Run;
};

}  // namespace

class LaidByOthers : public StorageTest {
protected:
    void TearDown() override
    {
        EndSeat();
        Protocols = {EmptyProtocol};
        if (m_trash && m_savedDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else if (m_trash)
            qputenv("XDG_DATA_HOME", m_savedDataHome);
        StorageTest::TearDown();
    }

    // Each row on folders of its own (n counts them, and names their place);
    // what an earlier row or the preparation was told is not the row's.
    void RunRows(const std::vector<Row>& rows, int& n)
    {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.Name);
            const Folders f = Prepare(++n);
            if (HasFatalFailure())
                return;
            Presenter.Shown.clear();
            row.Run(f);
        }
    }

    // Fresh folders for a row: the seat LAB-A established on Data, with one
    // open series "a" saved as its PENDING 1.QTA, and the user's private file.
    Folders Prepare(int row)
    {
        EndSeat();
        Folders f;
        const QString top = Temp.path() + QStringLiteral("/row%1").arg(row);
        // A row that prepares again starts afresh.
        QDir(top).removeRecursively();
        f.Program = top + QStringLiteral("/Program");
        f.Data = top + QStringLiteral("/Data");
        f.Seat = f.Data + QStringLiteral("/SEAT-LAB-A");
        f.Home = top + QStringLiteral("/Home");
        for (const QString& folder : {f.Program, f.Data, f.Home})
            EXPECT_TRUE(QDir().mkpath(folder));
        SetProgramFolder(f.Program);
        ResetSettingsGlobals(f.Program);
        DataFolder = f.Data;
        WriteFileBytes(f.Program + QStringLiteral("/QUINTARA.SEAT"), "LAB-A\r\n");
        EXPECT_TRUE(EstablishSeat());
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        Protocol a = SampleProtocol(QStringLiteral("s"), At(9));
        a.Reference2 = QStringLiteral("a");
        const int index = AddPendingSeries(a);
        EXPECT_TRUE(KeepPendingSeries(index));
        f.SeriesBytes = ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA"));
        EXPECT_FALSE(f.SeriesBytes.empty());
        f.Victim = f.Home + QStringLiteral("/PENDING 1.QTA");
        f.VictimBytes = "the user's own file";
        WriteFileBytes(f.Victim, f.VictimBytes);
        ::chmod(QFile::encodeName(f.Victim).constData(), 0600);
        if (!m_trash) {
            m_savedDataHome = qgetenv("XDG_DATA_HOME");
            qputenv("XDG_DATA_HOME", QFile::encodeName(Temp.path() + QStringLiteral("/share")));
            m_trash = true;
        }
        return f;
    }

    bool m_trash = false;
    QByteArray m_savedDataHome;
};

// The next start of the seat: the series it loads, by Reference2.
QStringList Restart()
{
    EndSeat();
    QStringList loaded;
    if (!EstablishSeat())
        return {QStringLiteral("refused")};
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    for (std::size_t i = 1; i < Protocols.size(); ++i)
        loaded << Protocols[i].Reference2;
    return loaded;
}

int LogLinesIn(const Folders& f, const QString& text)
{
    QFile log(f.Program + QStringLiteral("/QUINTARA.LOG"));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(QString::fromLatin1(log.readAll()).count(text));
}

// The user's file is as it was: its bytes, its mode, a file of its own.
void ExpectVictimUntouched(const Folders& f)
{
    EXPECT_FALSE(IsLink(f.Victim));
    EXPECT_EQ(ReadFileBytes(f.Victim), f.VictimBytes);
    EXPECT_EQ(ModeOf(f.Victim) & 07777, 0600u);
}

// A record that names what it may not is kept and acts on nothing: the
// series stays open and the file it names stays.
void ExpectRefusedAtTheStart(const Folders& f, const QString& record, const QString& named)
{
    EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
    EXPECT_TRUE(QFileInfo::exists(record)) << record.toStdString();
    EXPECT_TRUE(QFileInfo::exists(named)) << named.toStdString();
    EXPECT_GE(LogLinesIn(f, QStringLiteral("outside what a record there may name")), 1);
}

TEST_F(LaidByOthers, NothingOutsideItsFolderIsActedOnAndNoLinkIsFollowed)
{
    const QString seatFile = QStringLiteral("QUINTARA.SEAT");
    int n = 0;   // the row under way
    const std::vector<Row> rows = {
        {"a record in the seat folder names the seat's own file by its absolute name",
         [&](const Folders& f) {
             const QString record = f.Seat + QStringLiteral("/PENDING 7.STP");
             const QString named = f.Program + u'/' + seatFile;
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {},
                                               {{Utf8(named), ReadFileBytes(named)}}));
             ExpectRefusedAtTheStart(f, record, named);
         }},
        {"an absolute name with \"..\" in it",
         [&](const Folders& f) {
             const QString record = f.Seat + QStringLiteral("/PENDING 7.STP");
             const QString named = f.Seat + QStringLiteral("/../../Home/PENDING 1.QTA");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {}, {{Utf8(named), f.VictimBytes}}));
             ExpectRefusedAtTheStart(f, record, f.Victim);
             ExpectVictimUntouched(f);
         }},
        {"a relative name \"..\\..\\x\", one name of the seat folder (\"\\\" is no separator)",
         [&](const Folders& f) {
             const QString record = f.Seat + QStringLiteral("/PENDING 7.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {},
                                               {{"..\\..\\Home\\PENDING 1.QTA", f.VictimBytes}}));
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             ExpectVictimUntouched(f);
         }},
        {"a name beginning with \":\", a Qt resource",
         [&](const Folders& f) {
             QDirIterator resources(QStringLiteral(":/"), QDir::Files, QDirIterator::Subdirectories);
             const QString resource = resources.hasNext() ? resources.next() : QStringLiteral(":/none");
             SystemError error;
             const std::string bytes = ReadFileWhole(resource, error).value_or(std::string());
             // "The report is written": the series' file would go.
             const QString record = f.Seat + QStringLiteral("/PENDING 7.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileWritten, false, {{Utf8(resource), bytes}},
                                               {{"PENDING 1.QTA", f.SeriesBytes}}));
             ExpectRefusedAtTheStart(f, record, f.Seat + QStringLiteral("/PENDING 1.QTA"));
         }},
        {"a name reached through a link laid in the data folder",
         [&](const Folders& f) {
             ASSERT_TRUE(QFile::link(f.Home, f.Data + QStringLiteral("/lot")));
             // An old-layout record in the data folder itself, which the
             // take-over finishes.
             const QString record = f.Data + QStringLiteral("/PENDING 1.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {},
                                               {{"lot/PENDING 1.QTA", f.VictimBytes}}));
             ExpectRefusedAtTheStart(f, record, f.Victim);
             ExpectVictimUntouched(f);
         }},
        {"a record in the seat folder names another seat's open series",
         [&](const Folders& f) {
             const QString other = f.Data + QStringLiteral("/SEAT-LAB-B/PENDING 1.QTA");
             ASSERT_TRUE(QDir().mkpath(f.Data + QStringLiteral("/SEAT-LAB-B")));
             WriteFileBytes(other, f.SeriesBytes);
             const QString record = f.Seat + QStringLiteral("/PENDING 7.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {},
                                               {{Utf8(other), f.SeriesBytes}}));
             ExpectRefusedAtTheStart(f, record, other);
         }},
        {"a step's record in the program folder names a file of no shape a step writes",
         [&](const Folders& f) {
             const QString notes = f.Home + QStringLiteral("/notes.txt");
             WriteFileBytes(notes, "the user's notes");
             const QString record = f.Program + QStringLiteral("/PENDING 7.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {}, {{Utf8(notes), "the user's notes"}}));
             ExpectRefusedAtTheStart(f, record, notes);
             EXPECT_EQ(ReadFileBytes(notes), "the user's notes");
         }},
        {"a change of data folder laid in the seat folder",
         [&](const Folders& f) {
             const QString record = f.Seat + QStringLiteral("/QUINTARA 1.STP");
             // Its commit point, the data folder the settings name, is reached.
             WriteFileBytes(record, LaidRecord(IntentCommit::SettingsNameFolder, false, {},
                                               {{"PENDING 1.QTA", f.SeriesBytes}}, Utf8(f.Data)));
             ExpectRefusedAtTheStart(f, record, f.Seat + QStringLiteral("/PENDING 1.QTA"));
         }},
        {"a link in a record's place, to a record that would remove the series",
         [&](const Folders& f) {
             const QString laid = f.Home + QStringLiteral("/PENDING 7.STP");
             WriteFileBytes(laid, LaidRecord(IntentCommit::FileRemoved, true, {}, {{"PENDING 1.QTA", f.SeriesBytes}}));
             const std::string laidBytes = ReadFileBytes(laid);
             ASSERT_TRUE(QFile::link(laid, f.Seat + QStringLiteral("/PENDING 7.STP")));
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             // The link itself is set aside; what it leads to stays.
             EXPECT_EQ(ReadFileBytes(laid), laidBytes);
             EXPECT_TRUE(IsLink(f.Seat + QStringLiteral("/PENDING 7.STP.BAD")));
         }},
        {"PENDING.LCK a link to a private file, and one to no file",
         [&](const Folders& f) {
             // An old-layout series makes the start take the take-over lock.
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 1.QTA"), f.SeriesBytes);
             ASSERT_TRUE(QFile::link(f.Victim, f.Data + QStringLiteral("/PENDING.LCK")));
             Restart();
             ExpectVictimUntouched(f);
             const QString none = f.Home + QStringLiteral("/none");
             ASSERT_TRUE(QFile::remove(f.Data + QStringLiteral("/PENDING.LCK")));
             ASSERT_TRUE(QFile::link(none, f.Data + QStringLiteral("/PENDING.LCK")));
             Restart();
             EXPECT_FALSE(QFileInfo::exists(none));
         }},
        {"SEAT.LCK a link to a private file",
         [&](const Folders& f) {
             EndSeat();
             ASSERT_TRUE(QFile::remove(f.Seat + QStringLiteral("/SEAT.LCK")));
             ASSERT_TRUE(QFile::link(f.Victim, f.Seat + QStringLiteral("/SEAT.LCK")));
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             ExpectVictimUntouched(f);
         }},
        {"a lock file found there, not made by this run",
         [&](const Folders& f) {
             EndSeat();
             const QString lock = f.Seat + QStringLiteral("/SEAT.LCK");
             ASSERT_EQ(::chmod(QFile::encodeName(lock).constData(), 0600), 0);
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             EXPECT_EQ(ModeOf(lock) & 07777, 0600u);
         }},
        {"a pending file replaced by a link",
         [&](const Folders& f) {
             const QString pending = f.Seat + QStringLiteral("/PENDING 1.QTA");
             ASSERT_TRUE(QFile::remove(pending) && QFile::link(f.Victim, pending));
             Protocols[1].Blocks[1].Values.push_back(MakeTest(12.5f, "8", At(12)));
             MarkPendingSeriesChanged(1);
             EXPECT_TRUE(KeepPendingSeries(1));
             ExpectVictimUntouched(f);
             EXPECT_FALSE(IsLink(pending));
             EXPECT_EQ(ReadFileBytes(pending), ReportFileBytes(Protocols[1]));
         }},
        {"a pending file laid as a link to a series elsewhere",
         [&](const Folders& f) {
             // Another seat's series, or any file of that shape the user may read.
             Protocol b = SampleProtocol(QStringLiteral("s"), At(10));
             b.Reference2 = QStringLiteral("b");
             WriteFileBytes(f.Victim, ReportFileBytes(b));
             const std::string bytes = ReadFileBytes(f.Victim);
             const QString link = f.Seat + QStringLiteral("/PENDING 2.QTA");
             ASSERT_TRUE(QFile::link(f.Victim, link));
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             EXPECT_EQ(ReadFileBytes(f.Victim), bytes);
             // The link itself set aside, so that no save takes its name.
             EXPECT_FALSE(IsLink(link));
             EXPECT_TRUE(IsLink(link + QStringLiteral(".BAD")));
         }},
        {"a report's style folder laid as a link to a folder outside",
         [&](const Folders& f) {
             const QString outside = f.Home + QStringLiteral("/lot");
             ASSERT_TRUE(QDir().mkpath(outside));
             ASSERT_TRUE(QFile::link(outside, f.Data + QStringLiteral("/") + dskStyleFolderName(QStringLiteral("s"))));
             Protocols[1].Finished = true;
             EXPECT_FALSE(SavePendingSeriesReport(1));
             // Nothing written through it, and the series stays open.
             EXPECT_TRUE(QDir(outside).isEmpty());
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
         }},
        {"a termination whose report goes to another data folder than the series' file",
         [&](const Folders& f) {
             // The series' file is still in the folder of before (its move
             // waits for the next save) when the termination writes the
             // report where the folder named now is: one the seat was
             // established in, as the Data settings' choice makes it, and one
             // it never was (no seat folder there: not where the series are),
             // for which the program folder stands in. Wherever a kill falls,
             // the next start where the settings point has the series as one
             // report or one open series, and refuses no record of the
             // program's own.
             const QString other = f.Data + QStringLiteral("2");
             const QString style = u'/' + dskStyleFolderName(QStringLiteral("s"));
             for (const bool established : {true, false}) {
                 SCOPED_TRACE(established ? "the seat established there" : "no seat folder there");
                 int refused = 0;
                 const auto prepare = [&] {
                     Prepare(n);
                     ASSERT_TRUE(QDir().mkpath(other));
                     ASSERT_TRUE(SaveSettings());
                 };
                 const auto terminate = [&] {
                     if (established && !ClaimSeatFolder(other))
                         return 2;
                     DataFolder = other;
                     if (established)
                         SettleSeatFolder();
                     Protocols[1].Finished = true;
                     return SavePendingSeriesReport(1) ? 0 : 1;
                 };
                 const auto check = [&](int) {
                     EndSeat();
                     InitSettings();
                     const QStringList loaded = Restart();
                     const auto written = QDir(other + style).entryList(QDir::Files).size()
                         + QDir(f.Program + style).entryList(QDir::Files).size();
                     ASSERT_EQ(written + loaded.count(QStringLiteral("a")), 1) << loaded.join(u',').toStdString();
                     refused += LogLinesIn(f, QStringLiteral("outside what a record there may name"));
                 };
                 const int kills = KillBeforeEachFileCall(prepare, terminate, check);
                 if (kills < 0)
                     return;
                 EXPECT_GT(kills, 5);
                 EXPECT_EQ(refused, 0);
                 if (HasFailure())
                     return;
             }
         }},
        {"a read-only mark set or cleared at a name that is a link",
         [&](const Folders& f) {
             const QString report = f.Data + QStringLiteral("/2024.01.05, 09.00.00.QTA");
             ASSERT_TRUE(QFile::link(f.Victim, report));
             for (const int attributes : {AttrReadOnly, AttrNormal})
                 EXPECT_FALSE(SetAttr(report, attributes));
             ExpectVictimUntouched(f);
             EXPECT_TRUE(IsLink(report));
         }},
        {"the settings file a link",
         [&](const Folders& f) {
             const QString settings = f.Program + QStringLiteral("/QUINTARA.DAT");
             ASSERT_TRUE(QFile::link(f.Victim, settings));
             EXPECT_TRUE(SaveSettings());
             ExpectVictimUntouched(f);
             EXPECT_FALSE(IsLink(settings));
         }},
        {"the log a link to a private file, and one to no file",
         [&](const Folders& f) {
             const QString log = f.Program + QStringLiteral("/QUINTARA.LOG");
             const QString none = f.Home + QStringLiteral("/none");
             QFile::remove(log);
             ASSERT_TRUE(QFile::link(f.Victim, log));
             WriteLog(0, QStringLiteral("a line"), QStringLiteral("Row"));
             ExpectVictimUntouched(f);
             ASSERT_TRUE(QFile::remove(log) && QFile::link(none, log));
             WriteLog(0, QStringLiteral("a line"), QStringLiteral("Row"));
             EXPECT_FALSE(QFileInfo::exists(none));
         }},
        {"the instance lock a link",
         [&](const Folders& f) {
             ASSERT_TRUE(QFile::link(f.Victim, f.Program + QStringLiteral("/QUINTARA.LCK")));
             InstanceLock lock(f.Program);
             lock.TryLock();
             lock.Unlock();
             ExpectVictimUntouched(f);
         }},
        {"a user's copies beside the settings in the shape of the writer's temporary file",
         [&](const Folders& f) {
             for (const char* name : {"QUINTARA.DAT.backup", "QUINTARA.DAT.before"})
                 WriteFileBytes(f.Program + u'/' + QLatin1String(name), "copy");
             const QString left = AtomicTemporaryName(f.Program, QStringLiteral("QUINTARA.DAT"));
             WriteFileBytes(left, "left by a kill");
             InitSettings();
             const QString trash = Temp.path() + QStringLiteral("/share/Trash/files/");
             for (const char* name : {"QUINTARA.DAT.backup", "QUINTARA.DAT.before"}) {
                 EXPECT_FALSE(QFileInfo::exists(f.Program + u'/' + QLatin1String(name))) << name;
                 EXPECT_EQ(ReadFileBytes(trash + QLatin1String(name)), "copy") << name;
                 QFile::remove(trash + QLatin1String(name));
             }
             EXPECT_FALSE(QFileInfo::exists(left));
         }},
        {"a record's names when one folder's name begins with another's (Data, Data2)",
         [&](const Folders& f) {
             const QString other = f.Data + QStringLiteral("2/PENDING 1.QTA");
             const IntentRecord record{IntentCommit::FileRemoved, QString(), true, {}, {IntentFile{other, IntentChecksum("x")}}};
             IntentRecord read;
             ASSERT_EQ(ParseIntentRecord(IntentRecordBytes(record, f.Data), f.Data, read), IntentParse::Whole);
             EXPECT_EQ(read.Removed.at(0).Path, other);
             // Laid in the seat folder, it names another folder than its own.
             ASSERT_TRUE(QDir().mkpath(f.Data + QStringLiteral("2")));
             WriteFileBytes(other, f.SeriesBytes);
             WriteFileBytes(f.Seat + QStringLiteral("/PENDING 7.STP"),
                            LaidRecord(IntentCommit::FileRemoved, true, {}, {{Utf8(other), f.SeriesBytes}}));
             ExpectRefusedAtTheStart(f, f.Seat + QStringLiteral("/PENDING 7.STP"), other);
         }},
        {"a data folder whose own name begins as a seat folder's",
         [&](const Folders& f) {
             // The take-over's record there names its old files and its copies
             // in a seat's folder; a record in that seat's folder, its reports.
             const QString data = f.Home + QStringLiteral("/SEAT-LAB");
             const QString seat = data + QStringLiteral("/SEAT-LAB-A");
             ASSERT_TRUE(QDir().mkpath(seat));
             EXPECT_TRUE(IntentRecordMayName(data, data + QStringLiteral("/PENDING 1.QTA")));
             // A seat's file only as the take-over's copy of an old file.
             EXPECT_FALSE(IntentRecordMayName(data, data + QStringLiteral("/SEAT-LAB-A/PENDING 1.QTA")));
             WriteFileBytes(data + QStringLiteral("/PENDING 1.STP"),
                            LaidRecord(IntentCommit::FileRemoved, false, {{"SEAT-LAB-A/PENDING 1.QTA", "x"}},
                                       {{"PENDING 1.QTA", "x"}}));
             IntentRecord read;
             EXPECT_EQ(ReadIntentRecord(data + QStringLiteral("/PENDING 1.STP"), read, QStringLiteral("Row")),
                       IntentRead::Read);
             EXPECT_TRUE(IntentRecordMayName(seat, data + QStringLiteral("/2024.01.05, 09.00.00.QTA")));
             EXPECT_FALSE(IntentRecordMayName(seat, f.Home + QStringLiteral("/PENDING 1.QTA")));
         }},
        {"two files of one inode number on two file systems",
         [&](const Folders& f) {
             const QString one = f.Home + QStringLiteral("/one");
             const QString two = f.Home + QStringLiteral("/two");
             ASSERT_TRUE(QDir().mkpath(one) && QDir().mkpath(two));
             const int result = RunInMountNamespace([&] {
                 for (const QString& folder : {one, two})
                     if (::mount("none", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=1m") != 0)
                         return ChildSetupFailed;
                 // The first folder made on each is the same number there.
                 const QString a = one + QStringLiteral("/s");
                 const QString b = two + QStringLiteral("/s");
                 struct stat sa {};
                 struct stat sb {};
                 if (!QDir().mkdir(a) || !QDir().mkdir(b) || ::stat(QFile::encodeName(a).constData(), &sa) != 0
                     || ::stat(QFile::encodeName(b).constData(), &sb) != 0 || sa.st_ino != sb.st_ino)
                     return ChildSetupFailed;
                 WriteFileBytes(a + QStringLiteral("/PENDING 1.QTA"), "x");
                 WriteFileBytes(b + QStringLiteral("/PENDING 1.QTA"), "x");
                 return SameFolder(a, b) || SameFile(a + QStringLiteral("/PENDING 1.QTA"), b + QStringLiteral("/PENDING 1.QTA"))
                     ? 1
                     : 0;
             });
             if (result != ChildSetupFailed) {
                 EXPECT_EQ(result, 0);
             }
         }},
        // --- Guards: a lock file laid as a link ---
        {"PENDING.LCK and SEAT.LCK links: the target is neither opened for writing nor locked",
         [&](const Folders& f) {
             // An old-layout series makes the start take the take-over lock;
             // the seat's lock is held from the start to its end.
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 1.QTA"), f.SeriesBytes);
             EndSeat();
             for (const QString& lock : {f.Data + QStringLiteral("/PENDING.LCK"), f.Seat + QStringLiteral("/SEAT.LCK")}) {
                 SCOPED_TRACE(lock.toStdString());
                 QFile::remove(lock);
                 ASSERT_TRUE(QFile::link(f.Victim, lock));
             }
             // What the system tells of every open of the target.
             const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
             ASSERT_GE(watch, 0);
             ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(f.Victim).constData(), IN_OPEN | IN_CLOSE_WRITE), 0);
             Restart();
             // While the run holds its seat, no lock lies on the target.
             const int probe = ::open(QFile::encodeName(f.Victim).constData(), O_RDONLY | O_CLOEXEC);
             ASSERT_GE(probe, 0);
             struct flock range {};
             range.l_type = F_WRLCK;
             range.l_whence = SEEK_SET;
             ASSERT_EQ(::fcntl(probe, F_OFD_GETLK, &range), 0);
             EXPECT_EQ(range.l_type, F_UNLCK);
             EndSeat();
             // Only the probe's own open came, no open for writing.
             alignas(inotify_event) char events[4096];
             const ssize_t got = ::read(watch, events, sizeof events);
             int opens = 0;
             int writes = 0;
             for (ssize_t at = 0; at < got;) {
                 const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                 opens += (event->mask & IN_OPEN) ? 1 : 0;
                 writes += (event->mask & IN_CLOSE_WRITE) ? 1 : 0;
                 at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
             }
             ::close(probe);
             ::close(watch);
             EXPECT_EQ(opens, 1);
             EXPECT_EQ(writes, 0);
             ExpectVictimUntouched(f);
         }},
    };
    RunRows(rows, n);
}

// ---- A seat's files and its folder: records laid in the data folder itself,
// and the seat folder replaced by a link or another folder ----

namespace {

// What lies in a folder outside: each name with its bytes and mode.
QStringList FolderState(const QString& folder)
{
    QStringList state;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        state << QStringLiteral("%1 %2 %3")
                     .arg(entry.fileName())
                     .arg(ModeOf(entry.filePath()), 0, 8)
                     .arg(QString::fromLatin1(IntentChecksum(ReadFileBytes(entry.filePath())).toHex()));
    return state;
}

// The seat's start under another seat's name, in the same program folder.
QStringList RestartAs(const Folders& f, const char* seat)
{
    EndSeat();
    WriteFileBytes(f.Program + QStringLiteral("/QUINTARA.SEAT"), std::string(seat) + "\r\n");
    return Restart();
}

}  // namespace

TEST_F(LaidByOthers, ASeatsFilesAreActedOnOnlyByThatSeatsRecords)
{
    int n = 100;
    // A take-over's record, not committed, that names the seat's series as
    // its copy of the old file "PENDING 9.QTA".
    const auto layTakeOver = [](const Folders& f) {
        WriteFileBytes(f.Data + QStringLiteral("/PENDING 1.STP"),
                       LaidRecord(IntentCommit::FileRemoved, false, {{"SEAT-LAB-A/PENDING 1.QTA", f.SeriesBytes}},
                                  {{"PENDING 9.QTA", f.SeriesBytes}}));
    };
    const std::vector<Row> rows = {
        {"a committed removal laid in the data folder names the seat's open series",
         [&](const Folders& f) {
             const QString record = f.Data + QStringLiteral("/PENDING 1.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, true, {},
                                               {{"SEAT-LAB-A/PENDING 1.QTA", f.SeriesBytes}}));
             ExpectRefusedAtTheStart(f, record, f.Seat + QStringLiteral("/PENDING 1.QTA"));
             EXPECT_TRUE(ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA")) == f.SeriesBytes);
         }},
        {"a removal whose commit cannot be judged (its first file in a folder that is not there)",
         [&](const Folders& f) {
             const QString record = f.Data + QStringLiteral("/PENDING 1.STP");
             WriteFileBytes(record, LaidRecord(IntentCommit::FileRemoved, false, {},
                                               {{"QTA001/PENDING 9.QTA", "x"},
                                                {"SEAT-LAB-A/PENDING 1.QTA", f.SeriesBytes}}));
             ExpectRefusedAtTheStart(f, record, f.Seat + QStringLiteral("/PENDING 1.QTA"));
             // Not hidden at a later start either.
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
         }},
        {"a take-over's record whose commit cannot be judged names the series as its copy",
         [&](const Folders& f) {
             // Its old file a folder: what it holds cannot be told.
             ASSERT_TRUE(QDir().mkpath(f.Data + QStringLiteral("/PENDING 9.QTA")));
             layTakeOver(f);
             for (int start = 0; start < 2; ++start)
                 EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")}) << start;
             EXPECT_TRUE(ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA")) == f.SeriesBytes);
         }},
        {"a take-over's record not committed names the series as the copy of a file of other bytes",
         [&](const Folders& f) {
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 9.QTA"), "a note");
             layTakeOver(f);
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             EXPECT_TRUE(ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA")) == f.SeriesBytes);
             EXPECT_EQ(ReadFileBytes(f.Data + QStringLiteral("/PENDING 9.QTA")), "a note");
         }},
        {"a take-over's record left unjudged while another holds the take-over lock",
         [&](const Folders& f) {
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 9.QTA"), "a note");
             layTakeOver(f);
             FileLock held;
             SystemError error;
             ASSERT_EQ(held.TryLock(f.Data + QStringLiteral("/PENDING.LCK"), error), FileLock::Result::Locked);
             SetTakeOverWait(100);
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             SetTakeOverWait(5000);
         }},
        {"another seat's start finds a take-over's copy in this seat's folder not committed",
         [&](const Folders& f) {
             // The old file holds the copy's bytes: only seat A may undo its
             // copy, and B takes nothing over meanwhile.
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 9.QTA"), f.SeriesBytes);
             layTakeOver(f);
             EXPECT_EQ(RestartAs(f, "LAB-B"), QStringList());
             EXPECT_TRUE(ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA")) == f.SeriesBytes);
             // A's start undoes it and takes the old file over: one series.
             EXPECT_EQ(RestartAs(f, "LAB-A"), QStringList{QStringLiteral("a")});
             EXPECT_EQ(RestartAs(f, "LAB-B"), QStringList());
             EXPECT_FALSE(QFileInfo::exists(f.Data + QStringLiteral("/PENDING 9.QTA")));
         }},
        // --- Second look: a record laid whose commit can never be judged ---
        {"a take-over's record that cannot be judged, its copy paired with a duplicate laid in the data folder",
         [&](const Folders& f) {
             // Judged by its first old file, in a folder that is not there;
             // the second holds the series' bytes, copied by whoever laid it.
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 9.QTA"), f.SeriesBytes);
             WriteFileBytes(f.Data + QStringLiteral("/PENDING 1.STP"),
                            LaidRecord(IntentCommit::FileRemoved, false, {{"SEAT-LAB-A/PENDING 1.QTA", f.SeriesBytes}},
                                       {{"QTA001/PENDING 8.QTA", "x"}, {"PENDING 9.QTA", f.SeriesBytes}}));
             for (int start = 0; start < 2; ++start)
                 EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")}) << start;
             EXPECT_TRUE(ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA")) == f.SeriesBytes);
         }},
    };
    RunRows(rows, n);
}

TEST_F(LaidByOthers, TheSeatFolderIsTheOneTheSeatLocked)
{
    int n = 200;
    // The seat's own folder moved aside, and a folder outside holding a
    // series of its own, "b".
    struct Laid {
        QString Kept, Outside;
        QStringList Before;
    };
    const auto layLink = [](const Folders& f) {
        Laid laid{f.Data + QStringLiteral("/kept"), f.Home + QStringLiteral("/lot"), {}};
        EXPECT_TRUE(QDir().rename(f.Seat, laid.Kept));
        EXPECT_TRUE(QDir().mkpath(laid.Outside));
        Protocol b = SampleProtocol(QStringLiteral("s"), At(10));
        b.Reference2 = QStringLiteral("b");
        WriteFileBytes(laid.Outside + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(b));
        EXPECT_TRUE(QFile::link(laid.Outside, f.Seat));
        laid.Before = FolderState(laid.Outside);
        return laid;
    };
    // Message 46 names the data folder away and the program folder.
    const auto told46 = [&](const Folders& f) {
        return std::count(Presenter.Shown.begin(), Presenter.Shown.end(),
                          ComposeMessage(46, {QDir::toNativeSeparators(f.Data), QDir::toNativeSeparators(f.Program)},
                                         Language));
    };
    // A save after the seat folder changed under the run: the program
    // folder stands in, with the series as it is now, and the folder now at
    // the seat folder's name gets nothing.
    const auto saveStandsIn = [&](const Folders& f) {
        Protocols[1].Blocks[1].Values.push_back(MakeTest(12.5f, "8", At(12)));
        MarkPendingSeriesChanged(1);
        KeepPendingSeries(1);
        EXPECT_TRUE(SameFolder(DataFolder, f.Program));
        EXPECT_EQ(told46(f), 1);
        EXPECT_TRUE(ReadFileBytes(f.Program + QStringLiteral("/PENDING 1.QTA")) == ReportFileBytes(Protocols[1]));
    };
    const std::vector<Row> rows = {
        {"the seat folder a link to a folder outside at the start",
         [&](const Folders& f) {
             EndSeat();
             const Laid laid = layLink(f);
             EXPECT_EQ(Restart(), QStringList());
             EXPECT_TRUE(SameFolder(DataFolder, f.Program));
             EXPECT_EQ(told46(f), 1);
             EXPECT_EQ(FolderState(laid.Outside), laid.Before);
             // A later start while the link stands loads nothing through it.
             EXPECT_EQ(Restart(), QStringList());
             EXPECT_EQ(FolderState(laid.Outside), laid.Before);
             // The seat's own folder back: its series is open again.
             ASSERT_TRUE(QFile::remove(f.Seat) && QDir().rename(laid.Kept, f.Seat));
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             ExpectVictimUntouched(f);
         }},
        {"the seat folder replaced by a link between the lock and a save",
         [&](const Folders& f) {
             const Laid laid = layLink(f);
             saveStandsIn(f);
             EXPECT_EQ(FolderState(laid.Outside), laid.Before);
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
             EXPECT_EQ(FolderState(laid.Outside), laid.Before);
         }},
        {"the data settings choose a folder whose seat folder is a link to a folder outside",
         [&](const Folders& f) {
             const QString other = f.Data + QStringLiteral("2");
             ASSERT_TRUE(QDir().mkpath(other + QStringLiteral("/x")));
             // The link laid in the folder chosen, the seat's own folder
             // staying where it is.
             Laid laid = layLink(f);
             ASSERT_TRUE(QFile::remove(f.Seat) && QDir().rename(laid.Kept, f.Seat));
             ASSERT_TRUE(QFile::link(laid.Outside, other + QStringLiteral("/SEAT-LAB-A")));
             ClaimSeatFolder(other);
             EXPECT_EQ(ChangeDataFolder(other), 1);
             SettleSeatFolder();
             EXPECT_EQ(FolderState(laid.Outside), laid.Before);
             EXPECT_EQ(DataFolder, f.Data);
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
         }},
        {"a series ended after the seat folder was replaced by a link to a copy of it outside",
         [&](const Folders& f) {
             const QString outside = f.Home + QStringLiteral("/copy");
             ASSERT_TRUE(QDir().mkpath(outside));
             WriteFileBytes(outside + QStringLiteral("/PENDING 1.QTA"), f.SeriesBytes);
             const QStringList before = FolderState(outside);
             ASSERT_TRUE(QDir().rename(f.Seat, f.Data + QStringLiteral("/kept")));
             ASSERT_TRUE(QFile::link(outside, f.Seat));
             EndPendingSeries(1);
             EXPECT_EQ(FolderState(outside), before);
         }},
        {"the seat folder replaced by another real folder during the run",
         [&](const Folders& f) {
             const QString kept = f.Data + QStringLiteral("/kept");
             ASSERT_TRUE(QDir().rename(f.Seat, kept) && QDir().mkdir(f.Seat));
             saveStandsIn(f);
             EXPECT_EQ(FolderState(f.Seat), QStringList());
             EXPECT_TRUE(ReadFileBytes(kept + QStringLiteral("/PENDING 1.QTA")) == f.SeriesBytes);
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
         }},
        // --- Second look: a swap between the start's lock and its loading ---
        {"the seat folder replaced by another real folder between the start's lock and its records",
         [&](const Folders& f) {
             EndSeat();
             ASSERT_TRUE(EstablishSeat());
             const QString kept = f.Data + QStringLiteral("/kept");
             ASSERT_TRUE(QDir().rename(f.Seat, kept) && QDir().mkdir(f.Seat));
             // The folder laid there: a series "b" and a committed record
             // removing a report of the data folder.
             Protocol b = SampleProtocol(QStringLiteral("s"), At(10));
             b.Reference2 = QStringLiteral("b");
             WriteFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(b));
             const QString report = f.Data + QStringLiteral("/2024.01.05, 09.00.00.QTA");
             WriteFileBytes(report, "a report");
             WriteFileBytes(f.Seat + QStringLiteral("/PENDING 1.STP"),
                            LaidRecord(IntentCommit::FileRemoved, true, {}, {{Utf8(report), "a report"}}));
             const QStringList before = FolderState(f.Seat);
             Protocols = {EmptyProtocol};
             LoadPendingProtocols();
             EXPECT_EQ(Protocols.size(), 1u);
             EXPECT_TRUE(SameFolder(DataFolder, f.Program));
             EXPECT_EQ(ReadFileBytes(report), "a report");
             EXPECT_EQ(FolderState(f.Seat), before);
             // The seat's own folder back: its series is open again.
             ASSERT_TRUE(QDir(f.Seat).removeRecursively() && QDir().rename(kept, f.Seat));
             EXPECT_EQ(Restart(), QStringList{QStringLiteral("a")});
         }},
        // ---- Folders swapped for a link inside a write's own file calls ----
        {"the style folder swapped for a link to a folder outside as the ended series' report is given its name",
         [&](const Folders& f) {
             const QString style = f.Data + u'/' + dskStyleFolderName(QStringLiteral("s"));
             const QString kept = f.Data + QStringLiteral("/kept");
             const QString outside = f.Home + QStringLiteral("/lot");
             ASSERT_TRUE(QDir().mkpath(style) && QDir().mkpath(outside));
             const QStringList before = FolderState(outside);
             const std::string below = QFile::encodeName(style).toStdString() + "/";
             bool swapped = false;
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 if (!swapped && (call == "link" || call == "rename") && path.rfind(below, 0) == 0)
                     swapped = QDir().rename(style, kept) && QFile::link(outside, style);
                 return 0;
             };
             const bool saved = SavePendingSeriesReport(1);
             FileCallAnswer = nullptr;
             ASSERT_TRUE(swapped);
             EXPECT_TRUE(saved);
             EndPendingSeries(1);
             EXPECT_EQ(FolderState(outside), before);
             // The report is where the folder the move began in went.
             EXPECT_EQ(QDir(kept).entryList({QStringLiteral("*.QTA")}, QDir::Files).size(), 1);
             EXPECT_EQ(Restart(), QStringList());
         }},
        {"the seat folder swapped for a link to a folder outside as the ended series' staged report is given its name",
         [&](const Folders& f) {
             const QString kept = f.Data + QStringLiteral("/kept");
             const QString outside = f.Home + QStringLiteral("/lot");
             ASSERT_TRUE(QDir().mkpath(outside));
             const QStringList before = FolderState(outside);
             const std::string below = QFile::encodeName(f.Seat).toStdString() + "/";
             bool swapped = false;
             FileCallAnswer = [&](const std::string& call, const std::string& path) {
                 if (!swapped && call == "link" && path.rfind(below, 0) == 0)
                     swapped = QDir().rename(f.Seat, kept) && QFile::link(outside, f.Seat);
                 return 0;
             };
             SavePendingSeriesReport(1);
             FileCallAnswer = nullptr;
             ASSERT_TRUE(swapped);
             EXPECT_EQ(FolderState(outside), before);
             // Neither lost nor reported twice: the series open in the seat's
             // own folder, or its one report saved.
             ASSERT_TRUE(QFile::remove(f.Seat) && QDir().rename(kept, f.Seat));
             const QStringList open = Restart();
             int reports = 0;
             QDirIterator it(f.Data, {QStringLiteral("2024*.QTA")}, QDir::Files, QDirIterator::Subdirectories);
             for (; it.hasNext(); it.next())
                 ++reports;
             QDirIterator there(f.Program, {QStringLiteral("2024*.QTA")}, QDir::Files, QDirIterator::Subdirectories);
             for (; there.hasNext(); there.next())
                 ++reports;
             EXPECT_EQ(open.size() + reports, 1) << Utf8(open.join(u','));
         }},
    };
    RunRows(rows, n);
}

// ---------------------------------------------------------------------------
// What another user lays at a name the program opens: a pipe, a sparse file
// larger than its kind can be, a name swapped between a look and an open.
// Each start runs in a child (as another user than the one who laid it, so
// that a pipe cannot be opened for writing) under a time limit: a start held
// by an open fails the row as one ended by an allocation does. Nothing
// outside changes, the seat's open series stays, and what was laid at a
// record's or a pending file's name goes aside as a link there does.

namespace {

constexpr unsigned StartSeconds = 20;
constexpr int HeldByAnOpen = 128 + SIGALRM;
constexpr int EndedByAnAllocation = 128 + SIGABRT;
constexpr off_t TiB = off_t{1} << 40;

bool IsPipe(const QString& path) { return S_ISFIFO(ModeOf(path)); }

void LayPipe(const QString& path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0) << Utf8(path); }

// A file that begins as the kind does and then holds a terabyte of nothing.
void LaySparse(const QString& path, const std::string& head)
{
    WriteFileBytes(path, head);
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), TiB), 0) << Utf8(path);
}

// Every file and folder of the test to the user the start runs as.
void HandOver(const QString& top)
{
    ChownToNobody(QFile::encodeName(top).constData());
    QDirIterator it(top, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray name = QFile::encodeName(it.next());
        if (::geteuid() == 0)
            (void)!::lchown(name.constData(), NobodyId, NobodyId);
    }
}

struct LaidRow {
    const char* Name;
    std::function<void(const Folders&)> Lay;
    // The start in the child: 0 when it went as the row expects.
    std::function<int(const Folders&)> Start;
    std::function<void(const Folders&)> Check;
};

int StartsWithTheSeries(const Folders&) { return Restart() == QStringList{QStringLiteral("a")} ? 0 : 1; }

// The curves of the series a change of data folder copies: none of a name
// where no curve file lies.
int MovesNoCurve(const Folders& f)
{
    if (Restart() != QStringList{QStringLiteral("a")})
        return 1;
    const QString to = f.Home + QStringLiteral("/New");
    if (!QDir().mkpath(to))
        return ChildSetupFailed;
    for (const CurveFileCopy& copy : PlanCurveFileCopies({&Protocols[1]}, f.Data, to, QStringLiteral("Row")))
        if (!copy.OldPath.isEmpty())
            return 2;
    return 0;
}

}  // namespace

TEST_F(LaidByOthers, NothingLaidAtANameHoldsOrEndsAStart)
{
    const std::string recordHead = "QSTP";
    const auto reportHead = [](const Folders& f) { return f.SeriesBytes.substr(0, 64); };
    const auto setAside = [](const QString& path) {
        return [path](const Folders& f) {
            const QString at = path.arg(f.Data);
            struct stat st {};
            EXPECT_NE(::lstat(QFile::encodeName(at).constData(), &st), 0) << "still at its name: " << Utf8(at);
            EXPECT_NE(ModeOf(at + QStringLiteral(".BAD")), 0u) << Utf8(at);
        };
    };
    const QString seat = QStringLiteral("%1/SEAT-LAB-A/");
    const std::vector<LaidRow> rows = {
        {"a pipe as a record in the data folder's top", [](const Folders& f) { LayPipe(f.Data + "/PENDING 1.STP"); },
         StartsWithTheSeries, setAside(QStringLiteral("%1/PENDING 1.STP"))},
        {"a sparse terabyte as a record in the data folder's top",
         [&](const Folders& f) { LaySparse(f.Data + "/PENDING 1.STP", recordHead); }, StartsWithTheSeries,
         setAside(QStringLiteral("%1/PENDING 1.STP"))},
        {"a sparse terabyte that begins as a series, in the data folder's top",
         [&](const Folders& f) { LaySparse(f.Data + "/PENDING 2.QTA", reportHead(f)); }, StartsWithTheSeries,
         [](const Folders& f) {
             // Not a series to take over: left where it lies.
             struct stat st {};
             ASSERT_EQ(::lstat(QFile::encodeName(f.Data + "/PENDING 2.QTA").constData(), &st), 0);
             EXPECT_EQ(st.st_size, TiB);
         }},
        {"a pipe of another user as the take-over's lock",
         [](const Folders& f) {
             WriteFileBytes(f.Data + "/PENDING 3.QTA", f.SeriesBytes);
             LayPipe(f.Data + "/PENDING.LCK");
         },
         StartsWithTheSeries,
         [](const Folders& f) {
             // Not taken over while no lock holds it: it stays, for a later start.
             EXPECT_EQ(ReadFileBytes(f.Data + "/PENDING 3.QTA"), f.SeriesBytes);
             EXPECT_TRUE(IsPipe(f.Data + "/PENDING.LCK"));
         }},
        {"a pipe as a record in the seat folder", [&](const Folders& f) { LayPipe(seat.arg(f.Data) + "PENDING 7.STP"); },
         StartsWithTheSeries, setAside(seat + QStringLiteral("PENDING 7.STP"))},
        {"a sparse terabyte as a record in the seat folder",
         [&](const Folders& f) { LaySparse(seat.arg(f.Data) + "PENDING 7.STP", recordHead); }, StartsWithTheSeries,
         setAside(seat + QStringLiteral("PENDING 7.STP"))},
        {"a sparse terabyte that begins as a series, as the seat's pending file",
         [&](const Folders& f) { LaySparse(seat.arg(f.Data) + "PENDING 2.QTA", reportHead(f)); }, StartsWithTheSeries,
         setAside(seat + QStringLiteral("PENDING 2.QTA"))},
        {"a pipe of another user as the seat's lock",
         [&](const Folders& f) {
             ASSERT_TRUE(QFile::remove(seat.arg(f.Data) + "SEAT.LCK"));
             LayPipe(seat.arg(f.Data) + "SEAT.LCK");
         },
         StartsWithTheSeries, [&](const Folders& f) { EXPECT_TRUE(IsPipe(seat.arg(f.Data) + "SEAT.LCK")); }},
        {"OLDNAMES.LST swapped for a pipe between a look and an open",
         [](const Folders& f) { WriteFileBytes(f.Data + "/PENDING 5.QTA", "no series"); },
         [&](const Folders& f) {
             if (Restart() != QStringList{QStringLiteral("a")})
                 return 1;
             // Another user keeps laying a pipe at the name, then a list again.
             const QByteArray list = QFile::encodeName(seat.arg(f.Data) + "OLDNAMES.LST");
             const QByteArray pipe = QFile::encodeName(seat.arg(f.Data) + ".pipe");
             const QByteArray file = QFile::encodeName(seat.arg(f.Data) + ".list");
             const std::string listed = ReadFileBytes(QFile::decodeName(list));
             std::atomic<bool> stop{false};
             std::thread other([&] {
                 while (!stop) {
                     (void)::mkfifo(pipe.constData(), 0644);
                     (void)::rename(pipe.constData(), list.constData());
                     WriteFileBytes(QFile::decodeName(file), listed);
                     (void)::rename(file.constData(), list.constData());
                 }
             });
             int status = 0;
             for (int start = 0; start < 200 && status == 0; ++start)
                 status = Restart() == QStringList{QStringLiteral("a")} ? 0 : 2;
             stop = true;
             other.join();
             return status;
         },
         [](const Folders&) {}},
        {"a pipe at a curve's name, as a change of data folder reads it",
         [](const Folders& f) { LayPipe(f.Data + "/2024.01.05, 13.08.00.ABT"); }, MovesNoCurve,
         [](const Folders&) {}},
        {"a sparse terabyte at a curve's name", [](const Folders& f) { LaySparse(f.Data + "/2024.01.05, 13.08.00.ABT", "ABT"); },
         MovesNoCurve, [](const Folders&) {}},
        {"a style folder laid as a link to a folder outside, holding a report",
         [](const Folders& f) {
             ASSERT_TRUE(QDir().mkpath(f.Home + "/lot"));
             WriteFileBytes(f.Home + "/lot/2024.01.05, 09.00.00.QTA", f.SeriesBytes);
             ASSERT_TRUE(QFile::link(f.Home + "/lot", f.Data + u'/' + dskStyleFolderName(QStringLiteral("s"))));
         },
         [](const Folders& f) {
             // No report is read through it: a link below the data folder is
             // none of the user's folders.
             const QString name = dskStyleFolderName(QStringLiteral("s")) + QStringLiteral("\\2024.01.05, 09.00.00.QTA");
             return StartsWithTheSeries(f) != 0 ? 1 : IsEmptyProtocol(dskGetTestReport(f.Data, name)) ? 0 : 3;
         },
         [](const Folders& f) { EXPECT_EQ(ReadFileBytes(f.Home + "/lot/2024.01.05, 09.00.00.QTA"), f.SeriesBytes); }},
        {"a pipe as the settings file",
         [](const Folders& f) {
             ASSERT_TRUE(SaveSettings());
             ASSERT_TRUE(QFile::remove(f.Program + "/QUINTARA.DAT"));
             LayPipe(f.Program + "/QUINTARA.DAT");
         },
         [](const Folders&) {
             InitSettings();
             return 0;
         },
         [](const Folders& f) { EXPECT_TRUE(IsPipe(f.Program + "/QUINTARA.DAT.BAD")); }},
        {"a sparse terabyte as the settings file",
         [](const Folders& f) {
             ASSERT_TRUE(SaveSettings());
             const std::string head = ReadFileBytes(f.Program + "/QUINTARA.DAT").substr(0, 16);
             ASSERT_TRUE(QFile::remove(f.Program + "/QUINTARA.DAT"));
             LaySparse(f.Program + "/QUINTARA.DAT", head);
         },
         [](const Folders&) {
             InitSettings();
             return 0;
         },
         [](const Folders& f) { EXPECT_NE(ModeOf(f.Program + "/QUINTARA.DAT.BAD"), 0u); }},
        {"a pipe as the seat file",
         [](const Folders& f) {
             ASSERT_TRUE(QFile::remove(f.Program + "/QUINTARA.SEAT"));
             LayPipe(f.Program + "/QUINTARA.SEAT");
         },
         [](const Folders&) {
             // Read as a seat file that cannot be read: the start goes on.
             Restart();
             return 0;
         },
         [](const Folders&) {}},
        // ---- The program folder's own lock ----
        {"a pipe of another user as the program folder's lock",
         [](const Folders& f) { LayPipe(f.Program + "/QUINTARA.LCK"); },
         [](const Folders& f) {
             InstanceLock lock(f.Program);
             return lock.TryLock() ? 0 : 1;
         },
         [](const Folders& f) {
             // Set aside as a damaged file; the lock is a file of its own.
             EXPECT_TRUE(IsPipe(f.Program + "/QUINTARA.LCK.BAD"));
             EXPECT_FALSE(IsPipe(f.Program + "/QUINTARA.LCK"));
         }},
    };
    int n = 100;
    for (const LaidRow& row : rows) {
        SCOPED_TRACE(row.Name);
        const Folders f = Prepare(++n);
        if (HasFatalFailure())
            return;
        EndSeat();
        HandOver(Temp.path());
        row.Lay(f);
        if (HasFatalFailure())
            return;
        const int status = RunUnprivileged([&] {
            ::alarm(StartSeconds);
            // The program ends on an allocation that fails (134); the child
            // must not go on into the rest of the test.
            try {
                return row.Start(f);
            } catch (const std::bad_alloc&) {
                return EndedByAnAllocation;
            }
        });
        ASSERT_NE(status, ChildSetupFailed);
        EXPECT_NE(status, HeldByAnOpen) << "held by an open";
        EXPECT_NE(status, EndedByAnAllocation) << "ended by an allocation";
        EXPECT_EQ(status, 0);
        ExpectVictimUntouched(f);
        EXPECT_EQ(ReadFileBytes(f.Seat + QStringLiteral("/PENDING 1.QTA")), f.SeriesBytes);
        row.Check(f);
    }
}
