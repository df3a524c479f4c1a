// Two installations (seats) on one data folder, each in a process of its own
// with its own program folder: neither loads, replaces or reopens the
// other's series; a seat runs once at a time; the pending files of the
// layout before seats are taken over once.
#include "StorageTest.h"
#include "support/ChildProcess.h"

#include "foundation/modGlobals.h"
#include "foundation/modMain.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "platform/FileLock.h"
#include "platform/InstanceLock.h"
#include "platform/Machine.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "storage/frmDataSetting.h"
#include "storage/modABTFile.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"
#include "storage/modQDAS.h"
#include "storage/modSeat.h"
#include "support/AirbagCurves.h"

#include <QDir>
#include <QRegularExpression>
#include <QSysInfo>

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A series is named by its Reference2 and has a start date (so a report
// name) of its own.
Protocol Named(const std::string& name)
{
    Protocol p = SampleProtocol(QStringLiteral("s"), At(9, name[0] - 'a'));
    p.Reference2 = QString::fromStdString(name);
    return p;
}

// A seat's start: "up a:0 b:3", the series it loaded with the tests each
// took beyond the sample's; "refused" while another run holds the seat.
std::string OpenSeries()
{
    const std::size_t base = Named("a").Blocks[1].Values.size();
    std::string list;
    for (std::size_t i = 1; i < Protocols.size(); ++i)
        list += ' ' + Protocols[i].Reference2.toStdString() + ':'
            + std::to_string(Protocols[i].Blocks[1].Values.size() - base);
    return list;
}

std::string Start()
{
    if (!EstablishSeat())
        return "refused";
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    return "up" + OpenSeries();
}

// One step of a running seat, as the main window takes it: "open x",
// "test x", "terminate x", "end".
bool Step(const std::string& verb, const std::string& name)
{
    std::size_t i = Protocols.size() - 1;
    while (i > 0 && Protocols[i].Reference2.toStdString() != name)
        --i;
    const int index = static_cast<int>(i);
    if (verb == "open") {
        Protocols.push_back(Named(name));
        return KeepPendingSeries(static_cast<int>(Protocols.size() - 1));
    }
    if (verb == "test" && i > 0) {
        Protocols[i].Blocks[1].Values.push_back(MakeTest(12.5f, "8", At(12)));
        return KeepPendingSeries(index);
    }
    if (verb == "terminate" && i > 0) {
        Protocols[i].Finished = true;
        bool ok = SavePendingSeriesReport(index);
        ok = EndPendingSeries(index) && ok;
        Protocols.erase(Protocols.begin() + index);
        return DropPendingSeries(index) && ok;
    }
    // "change /path": a change of data folder as the data settings make it.
    if (verb == "change") {
        const QString folder = QString::fromStdString(name);
        if (!ClaimSeatFolder(folder) || !BeginDataFolderChange(folder))
            return false;
        DataFolder = folder;
        const bool saved = SaveSettings() && FinishDataFolderChange();
        SettleSeatFolder();
        return saved;
    }
    // "pc N": the run plays another PC of the same machine id (set up from
    // an image that kept its id) from now on: the locks of a machine it
    // takes are that PC's.
    if (verb == "pc") {
        QString prefix = SeatMachineLockName(QString());
        if (prefix.contains(QStringLiteral("pc")))
            prefix.truncate(prefix.indexOf(QStringLiteral("pc")));
        SetSeatMachineLockPrefixForTests(prefix + QStringLiteral("pc") + QString::fromStdString(name) + u'-');
        return true;
    }
    // "machine ID": the run plays another machine from now on.
    if (verb == "machine") {
        SetMachineForTests(QString::fromStdString(name), QString::fromStdString(name) + QStringLiteral("-pc"));
        return true;
    }
    bool ok = false;
    if (verb == "end")
        SavePendingProtocols(ok);
    return ok;
}

// One seat in a child of its own (its program folder, the data folder
// given), driven line by line: "start" or a step in, one line out.
class SeatRun {
public:
    SeatRun(const QString& program, const QString& data)
    {
        int commands[2];
        int replies[2];
        if (::pipe(commands) != 0 || ::pipe(replies) != 0)
            return;
        m_pid = StartChild([&] {
            ::close(commands[1]);
            ::close(replies[0]);
            EndSeat();   // nothing of a seat this process holds
            SetProgramFolder(program);
            ResetSettingsGlobals(program);
            DataFolder = data;
            FILE* in = ::fdopen(commands[0], "r");
            char line[256];
            while (in && std::fgets(line, sizeof line, in)) {
                const std::string command = std::string(line).substr(0, std::string(line).find('\n'));
                const std::size_t blank = command.find(' ');
                const std::string verb = command.substr(0, blank);
                const std::string reply = verb == "start"
                    ? Start()
                    : (Step(verb, blank == std::string::npos ? "" : command.substr(blank + 1)) ? "ok" : "fail");
                if (::write(replies[1], (reply + '\n').data(), reply.size() + 1) < 0 || verb == "end")
                    break;
            }
            return 0;
        });
        ::close(commands[0]);
        ::close(replies[1]);
        m_out = commands[1];
        m_in = replies[0];
    }
    ~SeatRun()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
        Wait();
        ::close(m_out);
        ::close(m_in);
    }

    void Send(const std::string& command) { (void)!::write(m_out, (command + '\n').data(), command.size() + 1); }
    // The next reply; "" when the child ended or took the time (a minute).
    // After "end", once the child ended too.
    std::string Reply(const std::string& command, int milliseconds = 60000)
    {
        std::string line;
        char c = 0;
        pollfd wait{m_in, POLLIN, 0};
        while (::poll(&wait, 1, milliseconds) == 1 && ::read(m_in, &c, 1) == 1 && c != '\n')
            line += c;
        if (command == "end")
            Wait();
        return line;
    }
    std::string Ask(const std::string& command)
    {
        Send(command);
        return Reply(command);
    }
    void Wait()
    {
        if (m_pid > 0)
            WaitForChild(m_pid);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_in = -1;
};

QStringList PendingIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files).filter(QRegularExpression(QStringLiteral("^PENDING [0-9]+\\.QTA$")));
}

}  // namespace

class Seats : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        for (const char seat : {'A', 'B'}) {
            Programs[seat] = Temp.path() + QStringLiteral("/Program") + QLatin1Char(seat);
            ASSERT_TRUE(QDir().mkpath(Programs[seat]));
            WriteFileBytes(Programs[seat] + QStringLiteral("/QUINTARA.SEAT"), std::string("LAB-") + seat + "\r\n");
        }
    }
    void TearDown() override
    {
        EndSeat();
        SetSeatMachineLockPrefixForTests(m_lockPrefix);
        Protocols = {EmptyProtocol};
        StorageTest::TearDown();
    }

    // A start of the seat in this process, at the given path of the data
    // folder; the seat is given up again.
    std::string StartHere(char seat, const QString& data = QString())
    {
        SetProgramFolder(Programs[seat]);
        DataFolder = data.isEmpty() ? Data : data;
        const std::string loaded = Start();
        EndSeat();
        SetProgramFolder(Program);
        DataFolder = Data;
        return loaded;
    }
    QString Folder(char seat) const { return Data + QStringLiteral("/SEAT-LAB-") + QLatin1Char(seat); }

    // The old series "PENDING n.QTA" in the data folder itself, as a run
    // before seats left them, and the termination of "t" that a kill cut
    // short after its report was written: its record still means to remove
    // t's pending file, which no seat may take.
    void WriteOldPendingFiles(const std::vector<std::string>& names)
    {
        QDir(Data).removeRecursively();
        QDir().mkpath(Reports());
        Protocol ended = Named("t");
        ended.Finished = true;
        IntentRecord termination{IntentCommit::FileWritten, QString(), false,
                                 {IntentFile{Reports() + QStringLiteral("/2024.01.05, 09.19.00.QTA"), {}}}, {}};
        for (std::size_t n = 0; n <= names.size(); ++n) {
            const std::string bytes = ReportFileBytes(Named(n < names.size() ? names[n] : "t"));
            WriteFileBytes(Data + QStringLiteral("/PENDING %1.QTA").arg(n + 1), bytes);
            if (n == names.size())
                termination.Removed.push_back(
                    IntentFile{Data + QStringLiteral("/PENDING %1.QTA").arg(n + 1), IntentChecksum(bytes)});
        }
        WriteFileBytes(termination.Created[0].Path, ReportFileBytes(ended));
        termination.Created[0].Checksum = IntentChecksum(ReportFileBytes(ended));
        WriteFileBytes(Data + QStringLiteral("/PENDING.STP"), IntentRecordBytes(termination, Data));
    }

    // Each name is open on exactly one of the two seats; nothing is left in
    // the data folder itself, and t stays reported only.
    void ExpectEachOnceOnOneSeat(const std::vector<std::string>& names, const std::string& startA,
                                 const std::string& startB)
    {
        std::map<std::string, int> count;
        for (const std::string& list : {startA, startB}) {
            ASSERT_EQ(list.rfind("up", 0), 0u) << list;
            for (std::size_t at = list.find(' '); at != std::string::npos; at = list.find(' ', at + 1))
                ++count[list.substr(at + 1, list.find(':', at) - at - 1)];
        }
        for (const std::string& name : names)
            EXPECT_EQ(count[name], 1) << name << " in " << startA << " / " << startB;
        EXPECT_EQ(count.size(), names.size()) << startA << " / " << startB;
        EXPECT_TRUE(PendingIn(Data).isEmpty()) << PendingIn(Data).join(u',').toStdString();
        EXPECT_EQ(QDir(Reports()).entryList(QDir::Files).size(), 1);
    }

    std::map<char, QString> Programs;   // program folders of seats A and B
    // The test program's own seat locks of the machine, which a test that
    // plays another PC leaves.
    const QString m_lockPrefix = SeatMachineLockName(QString());
    // The style folder of style "s": "S" is 83, + 1.
    QString Reports() const { return Data + QStringLiteral("/QTA084"); }
};

TEST_F(Seats, ADayOfTwoSeatsOnOneDataFolder)
{
    // Seat, step, reply; "+" sends a step with the one before, before
    // either answers (new files, renumberings at the same moment).
    const char* const day[] = {
        "A start=up", "B start=up", "A open a=ok", "+B open b=ok", "B test b=ok", "B test b=ok", "A test a=ok",
        "B test b=ok",
        // A's end writes nothing over B's newer state, and B goes on.
        "A end=ok", "B test b=ok", "A start=up a:1", "A terminate a=ok", "A open c=ok", "B end=ok", "A end=ok",
        // a, terminated on A, stays closed after B's exit; c is there.
        "A start=up c:0", "B start=up b:4", "A open d=ok", "+B open e=ok", "A terminate c=ok", "+B terminate b=ok",
        "A end=ok", "+B end=ok", "B start=up e:0", "A start=up d:0", "A end=ok", "B end=ok"};
    std::map<char, std::unique_ptr<SeatRun>> runs;
    std::vector<std::string> sent;   // "A end=ok": sent, reply not read yet
    for (std::size_t s = 0; s < std::size(day); ++s) {
        const std::string step = day[s][0] == '+' ? day[s] + 1 : day[s];
        std::unique_ptr<SeatRun>& run = runs[step[0]];
        if (!run)
            run = std::make_unique<SeatRun>(Programs[step[0]], Data);
        run->Send(step.substr(2, step.find('=') - 2));
        sent.push_back(step);
        if (s + 1 < std::size(day) && day[s + 1][0] == '+')
            continue;
        for (const std::string& waiting : sent) {
            const std::string command = waiting.substr(2, waiting.find('=') - 2);
            ASSERT_EQ(runs[waiting[0]]->Reply(command), waiting.substr(waiting.find('=') + 1)) << waiting;
            if (command == "end")
                runs[waiting[0]].reset();
        }
        sent.clear();
    }
    // One report each of a, b and c; the open series in their seats' folders.
    EXPECT_EQ(QDir(Reports()).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(PendingIn(Folder('A')), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(PendingIn(Folder('B')), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_TRUE(PendingIn(Data).isEmpty());
}

TEST_F(Seats, OneSeatsTerminationKilledAtEachFileCallWhileTheOtherTakesAWholeStep)
{
    // A's termination of a, killed at each of its file calls; while A waits
    // at that call, B runs a whole step of its own on the same data folder
    // (a termination, a change of data folder into it, a start). Each seat's
    // record stays its own: a is either reported or open, never both, and b
    // is where B's step put it, once.
    const QString other = Temp.path() + QStringLiteral("/Other");
    struct Row {
        const char* Name;
        QString StartsIn;   // where B's series b lies before its step
        std::vector<std::string> Steps;
        int ReportsOfB;
        std::string OpenOnB;   // B's start afterwards in the data folder
        // A's step ("terminate", or "test" of a typed test), made with the
        // data folder gone first (the program folder stands in on the way);
        // A's next start cannot reach the data folder, and the one after
        // finds it back.
        std::string OfA = "terminate";
        bool GoneBeforeA = false;
        bool AwayAtNextStart = false;
    };
    const std::vector<Row> rows = {
        {"termination", Data, {"start=up b:0", "terminate b=ok", "end=ok"}, 1, "up"},
        {"change of data folder", other, {"start=up b:0", "change " + Data.toStdString() + "=ok", "end=ok"}, 0, "up b:0"},
        {"start", Data, {"start=up b:0", "end=ok"}, 0, "up b:0"},
        // A folder that comes back brings its records.
        {"save that makes the stand-in, then a start while the folder is away", Data, {}, 0, "up b:0", "test", true,
         true},
        {"termination that makes the stand-in, then a start while the folder is away", Data, {}, 0, "up b:0",
         "terminate", true, true},
        {"termination, then a start that cannot reach the data folder", Data, {}, 0, "up b:0", "terminate", false,
         true},
    };
    const QString gone = Temp.path() + QStringLiteral("/Gone");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        const auto prepare = [&] {
            QDir(gone).removeRecursively();
            QDir(Programs['A'] + QStringLiteral("/QTA084")).removeRecursively();
            for (const QString& name : QDir(Programs['A']).entryList(
                     {QStringLiteral("*.QTA"), QStringLiteral("*.STP"), QStringLiteral("QUINTARA.DAT")}))
                QFile::remove(Programs['A'] + u'/' + name);
            QDir(Data).removeRecursively();
            QDir(other).removeRecursively();
            QDir().mkpath(Folder('A'));
            QDir().mkpath(row.StartsIn + QStringLiteral("/SEAT-LAB-B"));
            WriteFileBytes(Folder('A') + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("a")));
            WriteFileBytes(row.StartsIn + QStringLiteral("/SEAT-LAB-B/PENDING 1.QTA"), ReportFileBytes(Named("b")));
        };
        const auto terminate = [&] {
            SetProgramFolder(Programs['A']);
            return Start() == "up a:0" && (!row.GoneBeforeA || QDir().rename(Data, gone)) && Step(row.OfA, "a") ? 0
                                                                                                               : 1;
        };
        int steps = 0;
        const auto stepOfB = [&] {
            SeatRun b(Programs['B'], row.StartsIn);
            for (const std::string& step : row.Steps) {
                const std::size_t is = step.find('=');
                EXPECT_EQ(b.Ask(step.substr(0, is)), step.substr(is + 1)) << step;
            }
            ++steps;
        };
        int reported = 0;
        const auto check = [&](int) {
            // The last run of A goes through without a stop: B's step then
            // comes after it.
            if (steps == 0)
                stepOfB();
            steps = 0;
            QString named = Data;
            if (row.AwayAtNextStart) {
                // A's next start cannot reach the data folder; then it is
                // back, and A starts where its settings point.
                ASSERT_TRUE(QFileInfo::exists(gone) || QDir().rename(Data, gone));
                SetProgramFolder(Programs['A']);
                named = QFileInfo::exists(Programs['A'] + QStringLiteral("/QUINTARA.DAT")) ? NamedDataFolder() : Data;
                const std::string whileAway = StartHere('A', named);
                ASSERT_TRUE(whileAway == "up" || whileAway == "up a:0" || whileAway == "up a:1") << whileAway;
                ASSERT_TRUE(QDir().rename(gone, Data));
                SetProgramFolder(Programs['A']);
                named = NamedDataFolder();
            }
            const int reports = static_cast<int>(QDir(Reports()).entryList(QDir::Files).size()
                                                 + QDir(Programs['A'] + QStringLiteral("/QTA084")).entryList(QDir::Files).size())
                - row.ReportsOfB;
            ASSERT_TRUE(reports == 0 || reports == 1) << reports;
            const std::string a = StartHere('A', named);
            if (row.OfA == "test")
                ASSERT_TRUE(a == "up a:0" || a == "up a:1") << a;
            else
                ASSERT_EQ(a, reports == 1 ? "up" : "up a:0");
            ASSERT_EQ(StartHere('B'), row.OpenOnB);
            ASSERT_EQ(StartHere('A', named), a);
            EXPECT_TRUE(PendingIn(Data).isEmpty());
            EXPECT_TRUE(PendingIn(other + QStringLiteral("/SEAT-LAB-B")).isEmpty());
            reported += reports;
        };
        const int kills = KillBeforeEachFileCall(prepare, terminate, check, stepOfB);
        if (kills < 0)
            GTEST_SKIP() << "no tracing of a child";
        EXPECT_GT(kills, 5);
        if (row.OfA == "terminate") {
            EXPECT_GE(reported, 2);
        }
        if (HasFatalFailure())
            return;
    }

    // The data folder vanishing at each file call of A's termination, the
    // program folder's standing in included; back before A's next starts,
    // where A's settings point: a is reported or open, once, nothing was
    // made in the vanished folder's place, and nothing of a is left there.
    SCOPED_TRACE("the data folder vanishing");
    const QString away = Temp.path() + QStringLiteral("/Away");
    const auto prepareA = [&] {
        QDir(away).removeRecursively();
        QDir(Data).removeRecursively();
        QDir(Programs['A'] + QStringLiteral("/QTA084")).removeRecursively();
        for (const QString& name : QDir(Programs['A']).entryList({QStringLiteral("*.QTA"), QStringLiteral("*.STP")}))
            QFile::remove(Programs['A'] + u'/' + name);
        QDir().mkpath(Folder('A'));
        WriteFileBytes(Folder('A') + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("a")));
        SetProgramFolder(Programs['A']);
        ResetSettingsGlobals(Programs['A']);
        DataFolder = Data;
        ASSERT_TRUE(SaveSettings());
    };
    int stoodIn = 0;
    // As the main window terminates: the series stays open when its report
    // could not be saved.
    const auto terminateA = [&] {
        if (Start() != "up a:0")
            return 1;
        Protocols[1].Finished = true;
        if (!SavePendingSeriesReport(1))
            return 1;
        EndPendingSeries(1);
        Protocols.erase(Protocols.begin() + 1);
        return DropPendingSeries(1) ? 0 : 1;
    };
    const int vanished = VanishAtEachFileCall(prepareA, terminateA, [&] { QDir().rename(Data, away); }, [&](int, int) {
        if (QFileInfo::exists(away)) {
            ASSERT_FALSE(QFileInfo::exists(Data));
            ASSERT_TRUE(QDir().rename(away, Data));
        }
        SetProgramFolder(Programs['A']);
        const QString named = NamedDataFolder();
        stoodIn += named == Programs['A'];
        const int reports =
            static_cast<int>(QDir(Reports()).entryList(QDir::Files).size()
                             + QDir(Programs['A'] + QStringLiteral("/QTA084")).entryList(QDir::Files).size());
        ASSERT_TRUE(reports == 0 || reports == 1) << reports;
        const std::string a = StartHere('A', named);
        ASSERT_EQ(a, reports == 1 ? "up" : "up a:0") << named.toStdString();
        ASSERT_EQ(StartHere('A', named), a);
        EXPECT_TRUE(named == Data || a == "up a:0" || PendingIn(Folder('A')).isEmpty());
    });
    EXPECT_GT(vanished, 5);
    EXPECT_GT(stoodIn, 0);
    SetProgramFolder(Program);
    ResetSettingsGlobals(Program);
    DataFolder = Data;
}

TEST_F(Seats, OldPendingFilesGoEachToOneSeatWhenBothStartAtOnce)
{
    const std::vector<std::string> names = {"a", "b", "c", "d", "e", "f"};
    for (int trial = 0; trial < 10 && !HasFailure(); ++trial) {
        SCOPED_TRACE(trial);
        WriteOldPendingFiles(names);
        SeatRun a(Programs['A'], Data);
        SeatRun b(Programs['B'], Data);
        // Neither takes anything while another holds the take-over lock.
        FileLock held;
        SystemError error;
        ASSERT_EQ(held.TryLock(Data + QStringLiteral("/PENDING.LCK"), error), FileLock::Result::Locked);
        a.Send("start");
        b.Send("start");
        EXPECT_EQ(a.Reply("start", 300), "");
        held.Unlock();
        const std::string startA = a.Reply("start");
        const std::string startB = b.Reply("start");
        ExpectEachOnceOnOneSeat(names, startA, startB);
        // What they loaded is what they find again.
        EXPECT_EQ(a.Ask("end"), "ok");
        EXPECT_EQ(b.Ask("end"), "ok");
        EXPECT_EQ(StartHere('A'), startA);
        EXPECT_EQ(StartHere('B'), startB);
    }
}

TEST_F(Seats, ATakeOverKilledOrFailedAtEachFileCallLeavesEachOldSeriesInOnePlace)
{
    // A's start takes the old series over, and is killed, has one file call
    // fail, or sees the data folder go away, at each of them. Then B starts
    // with the share mounted at another path, where A's path shows an empty
    // folder: B finishes what A left by the names below its own path, and
    // A's start follows.
    const std::vector<std::string> names = {"a", "b", "c"};
    const QString elsewhere = Temp.path() + QStringLiteral("/Elsewhere");
    const QString empty = Temp.path() + QStringLiteral("/Empty");
    const QString startedB = Temp.path() + QStringLiteral("/StartedB");
    ASSERT_TRUE(QDir().mkpath(elsewhere) && QDir().mkpath(empty));
    // What the cut-short start loaded stays A's: it never loads a copy its
    // record still means to remove.
    const QString startedA = Temp.path() + QStringLiteral("/StartedA");
    // A start that could not reach the data folder stood in: the next one
    // is where A's settings point, and finds s, open on A before, once.
    const std::vector<std::string> open = {"a", "b", "c", "s"};
    const auto prepare = [&] {
        WriteOldPendingFiles(names);
        QDir().mkpath(Folder('A'));
        WriteFileBytes(Folder('A') + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("s")));
        QFile::remove(startedA);
        for (const QString& name : QDir(Programs['A']).entryList({QStringLiteral("*.STP"), QStringLiteral("*.QTA"),
                                                                   QStringLiteral("QUINTARA.DAT")}))
            QFile::remove(Programs['A'] + u'/' + name);
    };
    const auto namedForA = [&] {
        if (!QFileInfo::exists(Programs['A'] + QStringLiteral("/QUINTARA.DAT")))
            return Data;
        SetProgramFolder(Programs['A']);
        const QString named = NamedDataFolder();
        SetProgramFolder(Program);
        return named;
    };
    const auto start = [&] {
        SetProgramFolder(Programs['A']);
        const std::string loaded = Start();
        // Its own write may be the file call that fails: then nothing is told.
        QFile told(startedA);
        if (told.open(QIODevice::WriteOnly))
            told.write(loaded.data(), static_cast<qint64>(loaded.size()));
        return loaded.rfind("up", 0) == 0 ? 0 : 1;
    };
    bool otherPath = true;
    const QString away = Data + QStringLiteral(".away");
    const auto check = [&] {
        if (!QFileInfo::exists(Data)) {
            ASSERT_TRUE(QDir().rename(away, Data));
        }
        const int status = RunInMountNamespace([&] {
            if (::mount(QFile::encodeName(Data).constData(), QFile::encodeName(elsewhere).constData(), nullptr,
                        MS_BIND, nullptr) != 0
                || ::mount(QFile::encodeName(empty).constData(), QFile::encodeName(Data).constData(), nullptr,
                           MS_BIND, nullptr) != 0)
                return ChildSetupFailed;
            WriteFileBytes(startedB, StartHere('B', elsewhere));
            return 0;
        });
        otherPath = otherPath && status != ChildSetupFailed;
        if (status == ChildSetupFailed)
            WriteFileBytes(startedB, StartHere('B'));
        const std::string startA = StartHere('A', namedForA());
        ExpectEachOnceOnOneSeat(open, startA, ReadFileBytes(startedB));
        const std::string first = QFileInfo::exists(startedA) ? ReadFileBytes(startedA) : std::string();
        for (const std::string& name : open)
            EXPECT_TRUE(first.find(' ' + name + ':') == std::string::npos
                        || startA.find(' ' + name + ':') != std::string::npos)
                << name << " loaded by " << first << ", not by the next start " << startA;
        ASSERT_FALSE(HasFailure());
    };
    const int kills = KillBeforeEachFileCall(prepare, start, [&](int) { check(); });
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 8);
    for (const int error : {EIO, ENOSPC})
        EXPECT_GT(FailEachFileCall(prepare, start, error, FileCallFault::Once, [&](int, int) { check(); }), 8);
    EXPECT_GT(VanishAtEachFileCall(prepare, start, [&] { QDir().rename(Data, away); }, [&](int, int) { check(); }), 8);

    // A take-over record whose commit point cannot be told (its first old
    // file unreadable: a folder of that name stands in for an I/O error):
    // the start takes nothing over, removes nothing and loads none of the
    // copies the record may still remove; once it can be told, it is done.
    WriteOldPendingFiles(names);
    const QString unreadable = Data + QStringLiteral("/PENDING 9.QTA");
    const QString copy = Folder('A') + QStringLiteral("/PENDING 1.QTA");
    ASSERT_TRUE(QDir().mkpath(unreadable) && QDir().mkpath(Folder('A')));
    const std::string bytes = ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA"));
    WriteFileBytes(copy, bytes);
    const IntentRecord takeOver{IntentCommit::FileRemoved, QString(), false, {IntentFile{copy, IntentChecksum(bytes)}},
                                {IntentFile{unreadable, IntentChecksum("?")},
                                 IntentFile{Data + QStringLiteral("/PENDING 1.QTA"), IntentChecksum(bytes)}}};
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.STP"), IntentRecordBytes(takeOver, Data));
    EXPECT_EQ(StartHere('A'), "up");
    EXPECT_EQ(PendingIn(Data).size(), 4);
    EXPECT_EQ(PendingIn(Folder('A')).size(), 1);
    ASSERT_TRUE(QDir().rmdir(unreadable));
    EXPECT_EQ(StartHere('A'), "up a:0 b:0 c:0");
    ExpectEachOnceOnOneSeat(names, StartHere('A'), "up");
    if (!otherPath)
        GTEST_SKIP() << "no mount namespace: the other seat reached the share at the same path";
}

TEST_F(Seats, ASecondRunOfASeatIsRefusedWhileTheFirstHoldsTheDataFolder)
{
    // The first run names its seat in its program folder at its first start;
    // a copy of that folder (another PC) is the same seat.
    const QString first = Temp.path() + QStringLiteral("/First");
    const QString copy = Temp.path() + QStringLiteral("/Copy");
    const QString other = Temp.path() + QStringLiteral("/Other");
    const QString third = Temp.path() + QStringLiteral("/Third");
    const QString link = Temp.path() + QStringLiteral("/Link");
    for (const QString& folder : {first, copy, other, third})
        ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(other, link));
    auto run = std::make_unique<SeatRun>(first, Data);
    ASSERT_EQ(run->Ask("start"), "up");
    // A name any share and a case-insensitive file system take as it is.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z0-9]+(-[A-Z0-9]+)*-[0-9A-F]{8}\r\n[^\r\n]*\r\n[^\r\n]*\r\n$"))
                    .match(QString::fromStdString(ReadFileBytes(first + QStringLiteral("/QUINTARA.SEAT"))))
                    .hasMatch());
    WriteFileBytes(copy + QStringLiteral("/QUINTARA.SEAT"), ReadFileBytes(first + QStringLiteral("/QUINTARA.SEAT")));
    Programs['C'] = copy;
    // Two PCs set up from one image (one host name, one path) are two seats;
    // the name made from them alone stays with the series a run that could
    // not write its name left under it.
    {
        SetProgramFolder(third);
        const QString made = MakeSeatName(QSysInfo::machineHostName(), QDir::cleanPath(third));
        std::vector<QString> names;
        for (int pc = 0; pc < 3; ++pc) {
            QFile::remove(third + QStringLiteral("/QUINTARA.SEAT"));
            if (pc == 2) {
                ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/SEAT-") + made));
            }
            EXPECT_TRUE(EstablishSeat());
            names.push_back(SeatName());
            EndSeat();
        }
        EXPECT_NE(names[0], names[1]);
        EXPECT_NE(names[0], made);
        EXPECT_EQ(names[2], made);
        EXPECT_EQ(ReadFileBytes(third + QStringLiteral("/QUINTARA.SEAT")),
                  (made + "\r\n" + MachineId() + "\r\n" + MachineHostName() + "\r\n").toStdString());
        QFile::remove(third + QStringLiteral("/QUINTARA.SEAT"));
        SetProgramFolder(Program);
    }

    // Refused as a second copy is, by the start's own sequence (a start
    // that went on would meet its login window, which no one answers).
    {
        ScriptedDialogRunner dialogs;
        SetProgramFolder(copy);
        StartupHooks hooks = DefaultStartupHooks();
        hooks.AcquireInstanceLock = [] { return true; };
        hooks.InitSettings = [] { return false; };
        hooks.AcquireSeat = EstablishSeat;
        EXPECT_EQ(Main(hooks), ExitSecondCopy);
        ASSERT_EQ(Presenter.Shown.size(), 1u);
        EXPECT_EQ(Presenter.Shown[0], ComposeMessage(1, {}, Language));
        EndSeat();
    }

    // On another PC (of the same machine id), another data folder is free to
    // it; the data settings refuse the first run's with message 47 before
    // anything is stored (the port, a terminal of its own, as little as the
    // folder); the folder it holds, through a link, is its own.
    Step("pc", "2");
    DataFolder = other;
    ASSERT_TRUE(EstablishSeat());
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    std::map<int, QByteArray> ports;
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
        if (qEnvironmentVariableIsSet(name.constData()))
            ports[n] = qgetenv(name.constData());
        qputenv(name.constData(), n == 2 ? QByteArray(::ptsname(terminal)) : QByteArray("/nonexistent/ttyQ"));
    }
    ComPort = 1;
    frmDataSetting::SetFolderClaim(ClaimSeatFolder);
    frmDataSetting* form = frmDataSetting::Instance();
    form->dirDirectory->SetPath(Data);
    form->cmdOK_Click();
    // The port stored is not there: message 13 first, as ever; the folder
    // is refused all the same.
    ASSERT_EQ(Presenter.Shown.size(), 3u);
    EXPECT_EQ(Presenter.Shown[1], ComposeMessage(13, {}, Language));
    EXPECT_EQ(Presenter.Shown[2], ComposeMessage(47, {}, Language));
    EXPECT_TRUE(frmDataSetting::IsLoaded());
    form->optPort[2]->setChecked(true);
    ASSERT_TRUE(form->optPort[2]->isEnabled());
    form->cmdOK_Click();
    ASSERT_EQ(Presenter.Shown.size(), 4u);
    EXPECT_EQ(Presenter.Shown[3], ComposeMessage(47, {}, Language));
    EXPECT_TRUE(Presenter.Shown[3].Text.contains(QStringLiteral("already running with this data folder")));
    EXPECT_EQ(DataFolder, other);
    EXPECT_EQ(ComPort, 1);
    EXPECT_FALSE(QFile::exists(copy + QStringLiteral("/QUINTARA.DAT")));
    form->cmdCancel_Click();
    ::close(terminal);
    frmDataSetting::SetFolderClaim({});
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
        ports.count(n) ? qputenv(name.constData(), ports[n]) : qunsetenv(name.constData());
    }
    EXPECT_TRUE(ClaimSeatFolder(link));

    // A change of data folder takes the lock along once the settings name
    // the new folder, and gives up the old one.
    ASSERT_TRUE(ClaimSeatFolder(third));
    DataFolder = third;
    SettleSeatFolder();
    for (const char* pc : {"2", "3"}) {
        SeatRun there(copy, third);
        there.Ask(std::string("pc ") + pc);
        EXPECT_EQ(there.Ask("start"), "refused") << pc;
    }
    SeatRun elsewhere(copy, other);
    elsewhere.Ask("pc 3");
    EXPECT_EQ(elsewhere.Ask("start"), "up");
    elsewhere.Ask("end");
    EndSeat();

    // The lock goes with the process, however it ends.
    run.reset();
    EXPECT_EQ(StartHere('C'), "up");

    // A run that started while the data folder could not be reached holds no
    // lock there: another run of the seat may start once it is back, and
    // the first writes nothing among that run's series; its program folder
    // stands in (message 46).
    const QString away = Temp.path() + QStringLiteral("/Away");
    ASSERT_TRUE(QDir().rename(Data, away));
    SeatRun early(copy, Data);
    ASSERT_EQ(early.Ask("start"), "up");
    ASSERT_TRUE(QDir().rename(away, Data));
    SeatRun later(first, Data);
    later.Ask("pc 3");
    ASSERT_EQ(later.Ask("start"), "up");
    ASSERT_EQ(later.Ask("open y"), "ok");
    EXPECT_EQ(early.Ask("open x"), "ok");
    EXPECT_EQ(PendingIn(copy), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(later.Ask("end"), "ok");
    EXPECT_EQ(early.Ask("end"), "ok");
    EXPECT_EQ(StartHere('C'), "up y:0");
}

TEST_F(Seats, TheProgramFolderHoldsItsOwnSeriesDirectlyAndTheLockFollowsTheFolderTheSettingsName)
{
    // Seat A runs on the data folder with a open; the data folder drops and
    // the program folder stands in for it (message 46).
    SetProgramFolder(Programs['A']);
    ResetSettingsGlobals(Programs['A']);
    DataFolder = Data;
    ASSERT_EQ(Start(), "up");
    Protocols.push_back(Named("a"));
    ASSERT_TRUE(KeepPendingSeries(1));
    ASSERT_EQ(PendingIn(Folder('A')), QStringList{QStringLiteral("PENDING 1.QTA")});
    const QString away = Temp.path() + QStringLiteral("/Away");
    ASSERT_TRUE(QDir().rename(Data, away));
    Protocols[1].Blocks[1].Values.push_back(MakeTest(12.5f, "8", At(12)));
    EXPECT_TRUE(KeepPendingSeries(1));
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0], ComposeMessage(46, {Data, Programs['A']}, Language));
    EXPECT_EQ(DataFolder, Programs['A']);
    // There the pending file lies in the program folder itself, which no
    // other seat uses, and no seat folder or lock is made in it.
    EXPECT_EQ(PendingIn(Programs['A']), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_TRUE(QDir(Programs['A']).entryList({QStringLiteral("SEAT*")}, QDir::AllEntries).isEmpty());
    // The lock in the folder the settings no longer name is given up.
    {
        FileLock old;
        SystemError error;
        EXPECT_EQ(old.TryLock(away + QStringLiteral("/SEAT-LAB-A/SEAT.LCK"), error), FileLock::Result::Locked);
    }
    // Back, the old file goes with the next start that reaches it (the run
    // cannot tell a folder that is back from one that shows something else
    // at its path), which finds a once, where the settings point, with its
    // new test.
    ASSERT_TRUE(QDir().rename(away, Data));
    bool ok = false;
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EndSeat();
    EXPECT_EQ(Start(), "up a:1");
    EXPECT_TRUE(PendingIn(Folder('A')).isEmpty());
    EndSeat();

    // Another installation's program folder as the data folder: B takes
    // none of A's series there, loads none, and leaves them where they are.
    EXPECT_EQ(StartHere('B', Programs['A']), "up");
    EXPECT_EQ(PendingIn(Programs['A']), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_TRUE(QFileInfo::exists(Programs['A'] + QStringLiteral("/SEAT-LAB-B")));
    // Nor from another seat's folder chosen as the data folder, by its name
    // or through a link of another name: those are B's open series.
    ASSERT_TRUE(QDir().mkpath(Folder('B')));
    WriteFileBytes(Folder('B') + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("b")));
    EXPECT_EQ(StartHere('B'), "up b:0");
    const QString link = Temp.path() + QStringLiteral("/Shelf");
    ASSERT_TRUE(QFile::link(Folder('B'), link));
    EXPECT_EQ(StartHere('A', Folder('B')), "up");
    EXPECT_EQ(StartHere('A', link), "up");
    EXPECT_EQ(StartHere('B'), "up b:0");
    SetProgramFolder(Program);
    ResetSettingsGlobals(Program);
    DataFolder = Data;
}

TEST_F(Seats, TwoSeatsAndTwoRunsOfOneSeatKeepToTheirOwnFiles)
{
    // Lines of a program folder's log that hold the text.
    const auto logged = [](const QString& program, const QString& text) {
        const QString log = QString::fromStdString(ReadFileBytes(program + QStringLiteral("/QUINTARA.LOG")));
        return static_cast<int>(log.split(QStringLiteral("\r\n")).filter(text).size());
    };
    // A's start while another holds the take-over lock longer than a start
    // waits (0.3 s here); the lock stays held.
    const auto startWhileTheTakeOverLockIsHeld = [&](FileLock& held) {
        SystemError error;
        ASSERT_EQ(held.TryLock(Data + QStringLiteral("/PENDING.LCK"), error), FileLock::Result::Locked);
        SetTakeOverWait(300);
        {
            SeatRun a(Programs['A'], Data);
            a.Send("start");
            EXPECT_EQ(a.Reply("start", 10000), "up");
            EXPECT_EQ(a.Ask("end"), "ok");
        }
        SetTakeOverWait(5000);
    };
    // A's file of one second, while B writes its own of that second: at each
    // file call of A's write, B's file takes the name (before A's look for a
    // free name, between that look and A's write, after). A's file goes
    // under another name, the name given back (the test's curve, the
    // export's file) is the one written, and B's file stays as B wrote it.
    const QString told = Temp.path() + QStringLiteral("/Told");
    bool untraced = false;
    const std::string others = "B's file of the same second";
    const auto bothKept = [&](const QString& folder, const QString& name, const std::function<std::string()>& write) {
        bool taken = false;
        const auto prepare = [&] {
            QDir(Data).removeRecursively();
            QDir().mkpath(folder);
            QDir().mkpath(Folder('A'));
            WriteFileBytes(Folder('A') + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("a")));
            QFile::remove(told);
            taken = false;
        };
        const auto work = [&] {
            const std::string written = write();
            QFile file(told);
            if (!file.open(QIODevice::WriteOnly) || file.write(written.data(), qint64(written.size())) < 0)
                return 2;
            return written.empty() ? 1 : 0;
        };
        const auto takeName = [&] {
            if (!QFileInfo::exists(JoinPath(folder, name))) {
                WriteFileBytes(JoinPath(folder, name), others);
                taken = true;
            }
        };
        const QString extension = QFileInfo(name).suffix();
        const int runs = VanishAtEachFileCall(prepare, work, takeName, [&](int k, int exitCode) {
            SCOPED_TRACE(k);
            ASSERT_EQ(exitCode, 0) << ReadFileBytes(told);
            const QStringList files = QDir(folder).entryList({QStringLiteral("*.") + extension}, QDir::Files);
            EXPECT_EQ(files.size(), taken ? 2 : 1) << files.join(u',').toStdString();
            if (taken) {
                EXPECT_EQ(ReadFileBytes(JoinPath(folder, name)), others);
                EXPECT_NE(ReadFileBytes(told), name.toStdString());
            }
            if (extension != QLatin1String("QTA"))
                EXPECT_TRUE(files.contains(QString::fromStdString(ReadFileBytes(told))));
            else
                EXPECT_EQ(StartHere('A'), "up");
        });
        untraced = untraced || runs < 0;
        if (runs >= 0) {
            EXPECT_GT(runs, 3);
        }
    };
    const double second = At(9, 0);
    QDASFolder = Data + QStringLiteral("/QDAS");
    struct Row {
        const char* Case;
        std::function<void()> Run;
    };
    const std::vector<Row> rows = {
        {"a curve of one second on two seats",
         [&] {
             bothKept(Data, dskFileNameFromDate(second, QStringLiteral("ABT")),
                      [&] { return abtFilePut(AirbagPulse(), second).toStdString(); });
         }},
        {"a Q-DAS file of one second on two seats",
         [&] {
             bothKept(QDASFolder, qdasFileName(second, QStringLiteral("DFQ")), [&] {
                 QdasFile file;
                 file.K1004 = QStringLiteral("a");
                 return qdasPutTestReportAction(QDASFolder, second, file).toStdString();
             });
         }},
        {"a Q-DAS file whose write another seat's kill cut short on a share",
         [&] {
             // The hidden file that write left goes at the next export, once
             // no write can still be under way (an hour); a newer one stays.
             ASSERT_TRUE(QDir().mkpath(QDASFolder));
             const QString name = qdasFileName(second, QStringLiteral("DFQ"));
             const QString old = QDASFolder + QStringLiteral("/.") + name + QStringLiteral(".AbC123.NEW");
             const QString young = QDASFolder + QStringLiteral("/.") + name + QStringLiteral(".XyZ789.NEW");
             WriteFileBytes(old, "cut");
             WriteFileBytes(young, "being written");
             QFile file(old);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
             file.close();
             QdasFile dfq;
             dfq.K1004 = QStringLiteral("a");
             EXPECT_EQ(qdasPutTestReportAction(QDASFolder, second, dfq), name);
             EXPECT_FALSE(QFileInfo::exists(old));
             EXPECT_TRUE(QFileInfo::exists(young));
         }},
        {"the reports of two terminations of one second",
         [&] {
             bothKept(Reports(), dskFileNameFromDate(Named("a").Date, QStringLiteral("QTA")), [&] {
                 SetProgramFolder(Programs['A']);
                 return Start() == "up a:0" && Step("terminate", "a") ? std::string("terminated") : std::string();
             });
         }},
        {"a name of the old layout that holds no series",
         [&] {
             // Logged once; no reason to wait for a lock anyone may hold.
             WriteFileBytes(Data + QStringLiteral("/PENDING NOTES.QTA"), "not a series");
             FileLock held;
             SystemError error;
             ASSERT_EQ(held.TryLock(Data + QStringLiteral("/PENDING.LCK"), error), FileLock::Result::Locked);
             for (int start = 0; start < 2; ++start) {
                 SeatRun a(Programs['A'], Data);
                 a.Send("start");
                 EXPECT_EQ(a.Reply("start", 10000), "up");
                 EXPECT_EQ(a.Ask("end"), "ok");
             }
             EXPECT_EQ(logged(Programs['A'], QStringLiteral("PENDING NOTES.QTA holds no pending series")), 1);
             EXPECT_TRUE(QFileInfo::exists(Data + QStringLiteral("/PENDING NOTES.QTA")));
         }},
        {"a seat's list of those names laid by another as a pipe or a link",
         [&] {
             // Read as input: a pipe holds no start, a link is not the
             // seat's list (its target, whatever it holds, stays as it was).
             const QString notes = Data + QStringLiteral("/PENDING NOTES.QTA");
             WriteFileBytes(notes, "not a series");
             const QString noSeries = QStringLiteral("PENDING NOTES.QTA holds no pending series");
             const int before = logged(Programs['A'], noSeries);
             struct stat file {};
             ASSERT_EQ(::stat(QFile::encodeName(notes).constData(), &file), 0);
             const std::string known = QStringLiteral("PENDING NOTES.QTA\t%1\t%2\r\n")
                                           .arg(static_cast<qint64>(file.st_size))
                                           .arg(static_cast<qint64>(file.st_mtim.tv_sec))
                                           .toStdString();
             const QString target = Temp.path() + QStringLiteral("/private");
             WriteFileBytes(target, known);
             ASSERT_TRUE(QDir().mkpath(Folder('A')));
             const QByteArray list = QFile::encodeName(Folder('A') + QStringLiteral("/OLDNAMES.LST"));
             ASSERT_EQ(::mkfifo(list.constData(), 0666), 0);
             {
                 SeatRun a(Programs['A'], Data);
                 a.Send("start");
                 ASSERT_EQ(a.Reply("start", 10000), "up");
                 EXPECT_EQ(a.Ask("end"), "ok");
             }
             ASSERT_TRUE(QFile::remove(QString::fromLocal8Bit(list)));
             ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), list.constData()), 0);
             EXPECT_EQ(StartHere('A'), "up");
             EXPECT_EQ(logged(Programs['A'], noSeries), before + 2);
             EXPECT_EQ(ReadFileBytes(target), known);
         }},
        {"the take-over lock held longer than a start waits",
         [&] {
             WriteOldPendingFiles({"a"});
             FileLock held;
             ASSERT_NO_FATAL_FAILURE(startWhileTheTakeOverLockIsHeld(held));
             EXPECT_EQ(logged(Programs['A'], QStringLiteral("PENDING.LCK is held longer than 0.3 s")), 1);
             EXPECT_EQ(PendingIn(Data).size(), 2);
             held.Unlock();
             EXPECT_EQ(StartHere('A'), "up a:0");
         }},
        {"a take-over left unfinished while its lock is held longer than a start waits",
         [&] {
             // A's take-over of a was killed after its copy: the record
             // still means to remove the copy, and whoever holds the lock
             // may be undoing it. A's start gives up waiting and loads none
             // of it; once the lock is free, a is open once.
             const std::string bytes = ReportFileBytes(Named("a"));
             const QString old = Data + QStringLiteral("/PENDING 1.QTA");
             const QString copy = Folder('A') + QStringLiteral("/PENDING 1.QTA");
             ASSERT_TRUE(QDir().mkpath(Folder('A')));
             WriteFileBytes(old, bytes);
             WriteFileBytes(copy, bytes);
             const IntentRecord record{IntentCommit::FileRemoved, QString(), false,
                                       {IntentFile{copy, IntentChecksum(bytes)}},
                                       {IntentFile{old, IntentChecksum(bytes)}}};
             WriteFileBytes(Data + QStringLiteral("/PENDING.STP"), IntentRecordBytes(record, Data));
             FileLock held;
             ASSERT_NO_FATAL_FAILURE(startWhileTheTakeOverLockIsHeld(held));
             held.Unlock();
             EXPECT_EQ(StartHere('A'), "up a:0");
             EXPECT_TRUE(PendingIn(Data).isEmpty());
         }},
        {"a seat whose name cannot be written into its program folder",
         [&] {
             // It works as the seat its host and path make, at every start,
             // so that its series are found again; once its name can be
             // written, that is the name.
             const QString program = Temp.path() + QStringLiteral("/ReadOnly");
             ASSERT_TRUE(QDir().mkpath(program));
             const QString made = MakeSeatName(MachineHostName(), QDir::cleanPath(program));
             const int status = RunWithReadOnlyFolder(QFile::encodeName(program).constData(), [&] {
                 SetProgramFolder(program);
                 ResetSettingsGlobals(program);
                 DataFolder = Data;
                 if (Start() != "up" || !Step("open", "a"))
                     return 1;
                 EndSeat();
                 return Start() == "up a:0" && SeatName() == made ? 0 : 2;
             });
             if (status == ChildSetupFailed)
                 return;
             EXPECT_EQ(status, 0);
             EXPECT_FALSE(QFileInfo::exists(program + QStringLiteral("/QUINTARA.SEAT")));
             Programs['R'] = program;
             EXPECT_EQ(StartHere('R'), "up a:0");
             EXPECT_EQ(ReadFileBytes(program + QStringLiteral("/QUINTARA.SEAT")).substr(0, made.size() + 2),
                       (made + QStringLiteral("\r\n")).toStdString());
         }},
        {"a copy of the program folder on another machine",
         [&] {
             // Started while the seat runs, it is a seat of its own; the
             // series stay with the seat they were opened on.
             const QString copy = Temp.path() + QStringLiteral("/Copy");
             SeatRun a(Programs['A'], Data);
             ASSERT_EQ(a.Ask("start"), "up");
             ASSERT_EQ(a.Ask("open a"), "ok");
             const std::string seatFile = ReadFileBytes(Programs['A'] + QStringLiteral("/QUINTARA.SEAT"));
             EXPECT_EQ(seatFile, ("LAB-A\r\n" + MachineId() + "\r\n" + MachineHostName() + "\r\n").toStdString());
             ASSERT_TRUE(QDir().mkpath(copy));
             WriteFileBytes(copy + QStringLiteral("/QUINTARA.SEAT"), seatFile);
             SeatRun c(copy, Data);
             ASSERT_EQ(c.Ask("machine OTHER"), "ok");
             ASSERT_EQ(c.Ask("start"), "up");
             ASSERT_EQ(c.Ask("open c"), "ok");
             EXPECT_EQ(a.Ask("end"), "ok");
             EXPECT_EQ(c.Ask("end"), "ok");
             const QStringList named = QString::fromStdString(ReadFileBytes(copy + QStringLiteral("/QUINTARA.SEAT")))
                                           .split(QStringLiteral("\r\n"));
             EXPECT_NE(named.value(0), QStringLiteral("LAB-A"));
             EXPECT_EQ(named.mid(1), QStringList({QStringLiteral("OTHER"), QStringLiteral("OTHER-pc"), QString()}));
             EXPECT_EQ(logged(copy, QStringLiteral("a seat of its own is named")), 1);
             EXPECT_EQ(StartHere('A'), "up a:0");
             // Moved on its own machine, the program folder keeps its seat.
             Programs['M'] = Temp.path() + QStringLiteral("/Moved");
             ASSERT_TRUE(QDir().rename(Programs['A'], Programs['M']));
             EXPECT_EQ(StartHere('M'), "up a:0");
             ASSERT_TRUE(QDir().rename(Programs['M'], Programs['A']));
         }},
        {"a data folder whose locks hold through one mount only",
         [&] {
             SetMountLocalLockFileSystemForTests(
                 [&](const QString& folder) { return folder == Data ? QStringLiteral("fuse.sshfs") : QString(); });
             SetProgramFolder(Programs['A']);
             DataFolder = Data;
             EXPECT_TRUE(EstablishSeat());
             // Told once, also where the run leaves the folder and comes
             // back to it.
             const QString other = Temp.path() + QStringLiteral("/Other");
             ASSERT_TRUE(QDir().mkpath(other));
             for (const QString& folder : {other, Data}) {
                 EXPECT_TRUE(ClaimSeatFolder(folder));
                 DataFolder = folder;
                 SettleSeatFolder();
             }
             EXPECT_TRUE(HoldSeatFolder());
             EndSeat();
             // Nor again at the seat's later starts; another seat is told
             // once too.
             for (const char seat : {'A', 'B', 'B'}) {
                 SetProgramFolder(Programs[seat]);
                 EXPECT_TRUE(EstablishSeat());
                 EndSeat();
             }
             SetMountLocalLockFileSystemForTests(nullptr);
             SetProgramFolder(Program);
             ASSERT_EQ(Presenter.Shown.size(), 2u);
             EXPECT_EQ(Presenter.Shown[0], ComposeMessage(52, {}, Language));
             EXPECT_EQ(logged(Programs['A'], QStringLiteral("lies on fuse.sshfs")), 1);
             EXPECT_EQ(logged(Programs['B'], QStringLiteral("lies on fuse.sshfs")), 1);
         }},
        {"the mounts whose locks hold through one mount only, read from the mount table",
         [&] {
             // Blanks in paths are "\040"; optional fields come before the
             // lone "-". A FUSE disk of this PC (ntfs-3g) is no share.
             const QByteArray mountinfo =
                 "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                 "40 22 0:48 / /mnt/lab\\040share rw,nosuid shared:20 master:3 - fuse.sshfs lab@srv:/data rw\n"
                 "41 22 0:49 / /mnt/- rw - fuse.rclone lab:data rw,user_id=1000\n"
                 "42 29 0:50 / /run/user/1000/gvfs rw shared:30 - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                 "43 22 0:51 / /home/lab/smb rw - fuse.smbnetfs smbnetfs rw\n"
                 "44 22 0:52 /data /mnt/a\\040-\\040b rw - nfs4 srv:/data rw,vers=4.2\n"
                 "45 22 0:53 / /mnt/cifs rw - cifs //srv/lab\\040data rw\n"
                 "46 22 8:17 / /media/lab/USB\\040DISK rw - fuseblk /dev/sdb1 rw\n";
             const struct {
                 const char* Device;
                 const char* Type;
                 bool OneMount;
             } mounts[] = {{"8:1", "ext4", false},         {"0:48", "fuse.sshfs", true},
                           {"0:49", "fuse.rclone", true},  {"0:50", "fuse.gvfsd-fuse", true},
                           {"0:51", "fuse.smbnetfs", true}, {"0:52", "nfs4", false},
                           {"0:53", "cifs", false},         {"8:17", "fuseblk", false},
                           {"0:99", "", false}};
             for (const auto& mount : mounts) {
                 SCOPED_TRACE(mount.Device);
                 const QString type = MountTypeOfDevice(mountinfo, mount.Device);
                 EXPECT_EQ(type, QLatin1String(mount.Type));
                 EXPECT_EQ(LocksHoldThroughOneMount(type), mount.OneMount);
             }
         }},
        // --- Guards: the seat's machine, the take-over lock, the FUSE check ---
        {"a seat file of another machine with this host name, and of this machine renamed",
         [&] {
             // Matched by the machine id where both sides have one: PCs set
             // up from one image share a host name, and a PC may be renamed.
             SetProgramFolder(Programs['A']);
             DataFolder = Data;
             const QString seatFile = Programs['A'] + QStringLiteral("/QUINTARA.SEAT");
             SetMachineForTests(QStringLiteral("ID-ONE"), QStringLiteral("lab-pc"));
             WriteFileBytes(seatFile, "LAB-A\r\nID-TWO\r\nlab-pc\r\n");
             EXPECT_TRUE(EstablishSeat());
             EXPECT_NE(SeatName(), QStringLiteral("LAB-A"));
             EndSeat();
             WriteFileBytes(seatFile, "LAB-A\r\nID-ONE\r\nold-name\r\n");
             EXPECT_TRUE(EstablishSeat());
             EXPECT_EQ(SeatName(), QStringLiteral("LAB-A"));
             EndSeat();
             SetMachineForTests(QString(), QString());
             SetProgramFolder(Program);
         }},
        {"names of the old layout that hold no series take no take-over lock",
         [&] {
             // A note, a folder and a file cut short in its head at pending
             // names: no reason to take PENDING.LCK, nor to wait while
             // another holds it.
             WriteFileBytes(Data + QStringLiteral("/PENDING NOTES.QTA"), "not a series");
             ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/PENDING 2.QTA")));
             WriteFileBytes(Data + QStringLiteral("/PENDING 3.QTA"), ReportFileBytes(Named("c")).substr(0, 2));
             EXPECT_EQ(StartHere('A'), "up");
             EXPECT_FALSE(QFileInfo::exists(Data + QStringLiteral("/PENDING.LCK")));
             const int held = logged(Programs['A'], QStringLiteral("PENDING.LCK is held longer"));
             FileLock lock;
             ASSERT_NO_FATAL_FAILURE(startWhileTheTakeOverLockIsHeld(lock));
             EXPECT_EQ(logged(Programs['A'], QStringLiteral("PENDING.LCK is held longer")), held);
         }},
        {"the FUSE check on a file system the test can see",
         [&] {
             // The test's own folder is no FUSE mount: statfs says so before
             // the mount table is read, even a table that names its device
             // as a FUSE client's.
             SetMountLocalLockFileSystemForTests(nullptr);
             EXPECT_EQ(MountLocalLockFileSystem(Data), QString());
             struct stat folder {};
             ASSERT_EQ(::stat(QFile::encodeName(Data).constData(), &folder), 0);
             const QString table = Temp.path() + QStringLiteral("/mountinfo");
             WriteFileBytes(table, QStringLiteral("40 22 %1:%2 / %3 rw shared:20 - fuse.sshfs lab@srv:/data rw\n")
                                       .arg(major(folder.st_dev))
                                       .arg(minor(folder.st_dev))
                                       .arg(Data)
                                       .toStdString());
             SetMountTableForTests(table);
             EXPECT_EQ(MountLocalLockFileSystem(Data), QString());
             SetMountTableForTests(QString());
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Case);
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        row.Run();
        if (HasFatalFailure())
            return;
    }
    if (untraced)
        GTEST_SKIP() << "no tracing of a child: the files of one second were not written at each file call";
}

TEST_F(Seats, AFolderThatDropsOrIsUnmountedIsAwayAndItsSeriesComeBackOnce)
{
    // Seat A's runs on a data folder that drops or is unmounted, told as a
    // story: each step with its answer, the messages it showed ("[46]", and
    // "[48 n m]" for n reports and m DFQ files written into the program
    // folder meanwhile), and each start with the folder the settings name.
    const QString share = Temp.path() + QStringLiteral("/Share");
    const QString away = Temp.path() + QStringLiteral("/Away");
    const QString hidden = Folder('A') + QStringLiteral("/PENDING 1.QTA");
    std::size_t seen = 0;
    const auto told = [&] {
        std::string shown;
        for (; seen < Presenter.Shown.size(); ++seen) {
            std::string number = "?";
            for (const QString& folder : {Data, share})
                if (Presenter.Shown[seen] == ComposeMessage(46, {folder, Programs['A']}, Language))
                    number = "46";
            if (Presenter.Shown[seen] == ComposeMessage(13, {}, Language))
                number = "13";
            for (int reports = 0; reports < 4; ++reports)
                for (int dfq = 0; dfq < 4; ++dfq)
                    if (Presenter.Shown[seen]
                        == ComposeMessage(48, {reports, dfq, QDir::toNativeSeparators(Programs['A']), Data}, Language))
                        number = "48 " + std::to_string(reports) + ' ' + std::to_string(dfq);
            if (Presenter.Shown[seen] == ComposeMessage(54, {Data + QStringLiteral("/QDAS"), Programs['A']}, Language))
                number = "54";
            if (Presenter.Shown[seen] == ComposeMessage(53, {Folder('A'), 1}, Language))
                number = "53";
            shown += " [" + number + ']';
        }
        return shown;
    };
    // "start" (where A's settings point), a step of Step, "drop" and "back"
    // (the data folder renamed away and back), "empty" (an empty folder
    // where it was), "mount" and "unmount" (the share bound onto the data
    // folder, lazily unmounted), "dfq" (a DFQ file whose Q-DAS folder is on
    // the share), "ls" (what the data folder shows; "1" where the older seat
    // folder below the mount point still holds x as it was), "list" (the
    // series open in the run), "curve" (a curve written, and where).
    const auto play = [&](const std::vector<std::string>& script) {
        std::string story;
        for (const std::string& command : script) {
            std::string said;
            const std::size_t blank = command.find(' ');
            const std::string verb = command.substr(0, blank);
            if (verb == "start") {
                SetProgramFolder(Programs['A']);
                const QString named = NamedDataFolder();
                said = (named == Data ? "(data)=" : named == Programs['A'] ? "(program)=" : "(?)=") + Start();
            } else if (verb == "drop" || verb == "back" || verb == "empty") {
                said = (verb == "drop" ? QDir().rename(Data, away)
                        : verb == "back" ? QDir(Data).removeRecursively() && QDir().rename(away, Data)
                                         : QDir().mkpath(Data))
                    ? "" : "=fail";
            } else if (verb == "mount" || verb == "unmount") {
                const QByteArray path = QFile::encodeName(Data);
                said = (verb == "mount" ? ::mount(QFile::encodeName(share).constData(), path.constData(), nullptr,
                                                  MS_BIND, nullptr)
                                        : ::umount2(path.constData(), MNT_DETACH)) == 0
                    ? "" : "=fail";
            } else if (verb == "dfq") {
                // The Q-DAS folder is on the share too: while it cannot be
                // reached the DFQ file goes into the program folder, and the
                // setting keeps naming it.
                const QString qdas = Data + QStringLiteral("/QDAS");
                QDASFolder = qdas;
                const QString name = qdasPutTestReportAction(QDASFolder, At(12), QdasFile{});
                said = name.isEmpty()                                 ? "=fail"
                    : QFileInfo::exists(qdas + u'/' + name)          ? "=qdas"
                    : QFileInfo::exists(Programs['A'] + u'/' + name) ? "=program"
                                                                     : "=?";
                if (QDASFolder != qdas)
                    said += " (setting moved)";
            } else if (verb == "qdas" || verb == "noqdas") {
                const QString qdas = Data + QStringLiteral("/QDAS");
                said = (verb == "qdas" ? QDir().mkpath(qdas) : QDir(qdas).removeRecursively()) ? "" : "=fail";
            } else if (verb == "tick") {
                // Past the file system's clock tick (a few milliseconds): a
                // file written before is older than a note written after.
                ::usleep(30000);
            } else if (verb == "yes" || verb == "no" || verb == "ok") {
                // The answer to the next box.
                Presenter.Answer(verb == "yes" ? AnswerYes : verb == "no" ? AnswerNo : AnswerOK);
            } else if (verb == "dialog") {
                // The data settings, as the main window shows them, with the
                // data folder chosen (the program folder's own path left as
                // it is for "dialog program") and OK, while no port can be
                // opened (the adapter unplugged).
                std::map<int, QByteArray> ports;
                for (int n = 1; n <= 8; ++n) {
                    const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
                    if (qEnvironmentVariableIsSet(name.constData()))
                        ports[n] = qgetenv(name.constData());
                    qputenv(name.constData(), QByteArray("/nonexistent/ttyQ"));
                }
                {
                    const DataFolderChoice choosing;
                    frmDataSetting* form = frmDataSetting::Instance();
                    form->dirDirectory->SetPath(command == "dialog program" ? Programs['A'] : Data);
                    form->cmdOK_Click();
                    said = frmDataSetting::IsLoaded() ? "=open" : "=closed";
                    if (frmDataSetting::IsLoaded())
                        form->cmdCancel_Click();
                }
                for (int n = 1; n <= 8; ++n) {
                    const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
                    ports.count(n) ? qputenv(name.constData(), ports[n]) : qunsetenv(name.constData());
                }
            } else if (verb == "curve") {
                // A curve of a test, and the folder it went into.
                const QString name = abtFilePut(ABTCurve{}, At(13));
                said = name.isEmpty()                                 ? "=fail"
                    : QFileInfo::exists(Programs['A'] + u'/' + name) ? "=program"
                    : QFileInfo::exists(Data + u'/' + name)          ? "=data"
                                                                     : "=?";
            } else if (verb == "kill") {
                // The run stops: nothing more of it is written.
                EndSeat();
            } else if (verb == "refuse" || verb == "allow") {
                // The seat folder refuses the removal of pending files (a
                // termination committed, its pending file left), or the data
                // folder goes away as the staged report moves to its name.
                const std::string seat = QFile::encodeName(Folder('A')).toStdString() + "/PENDING ";
                const std::string reports = QFile::encodeName(Data).toStdString() + "/QTA";
                const QString gone = away;
                FileCallAnswer = nullptr;
                if (verb == "refuse" && command == "refuse removals")
                    FileCallAnswer = [seat](const std::string& call, const std::string& path) {
                        return call == "unlink" && path.rfind(seat, 0) == 0 ? EIO : 0;
                    };
                else if (verb == "refuse")
                    FileCallAnswer = [reports, gone, this](const std::string& call, const std::string& path) {
                        // Gone under the call: a call relative to the
                        // folder's descriptor meets a share gone away, not
                        // the folder moved elsewhere.
                        if (call == "rename" && path.rfind(reports, 0) == 0) {
                            QDir().rename(Data, gone);
                            return ENOENT;
                        }
                        return 0;
                    };
            } else if (verb == "old") {
                // The layout before seats: o in the data folder itself, and
                // no seat folder yet.
                QDir(Folder('A')).removeRecursively();
                WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("o")));
            } else if (verb == "log") {
                // What the log's last line of a folder back counts.
                const QString log = QString::fromStdString(ReadFileBytes(Programs['A'] + QStringLiteral("/QUINTARA.LOG")));
                const QString mark = QStringLiteral("can be reached again; ");
                const qsizetype from = log.lastIndexOf(mark);
                const qsizetype to = from < 0 ? -1 : log.indexOf(QStringLiteral(" into "), from);
                said = to < 0 ? "=none" : '=' + log.mid(from + mark.size(), to - from - mark.size()).toStdString();
            } else if (verb == "view") {
                // The series the main window shows first: its index ("0" for
                // a new series), as the start leaves it.
                CurrentProtocol = static_cast<int16_t>(std::min<std::size_t>(
                    static_cast<std::size_t>(std::max<int16_t>(CurrentProtocol, 0)), Protocols.size() - 1));
                // The window cuts the remembered index to the series there
                // are, and the run's end keeps it in the settings.
                said = '=' + std::to_string(CurrentProtocol) + (SaveSettings() ? "" : " unsaved");
            } else if (verb == "show") {
                // The operator shows the first series; the run's end keeps
                // that in the settings.
                CurrentProtocol = 1;
                said = SaveSettings() ? "" : "=unsaved";
            } else if (verb == "pending") {
                said = '=' + PendingIn(Folder('A')).join(u',').toStdString();
            } else if (verb == "list") {
                said = '=' + OpenSeries();
            } else if (verb == "ls") {
                said = '=' + QDir(Data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u',').toStdString();
                if (QFileInfo::exists(hidden))
                    said += " " + std::to_string(ReadFileBytes(hidden) == ReportFileBytes(Named("x")));
            } else {
                said = Step(verb, blank == std::string::npos ? "" : command.substr(blank + 1)) ? "=ok" : "=fail";
                if (verb == "end")
                    EndSeat();
            }
            story += (story.empty() ? "" : "; ") + command + said + told();
        }
        return story;
    };
    // A on the data folder, which holds a of an earlier run.
    const auto onData = [&] {
        EndSeat();
        qdasForgetFolderAwayTold();
        SetProgramFolder(Programs['A']);
        ResetSettingsGlobals(Programs['A']);
        DataFolder = Data;
        ASSERT_TRUE(SaveSettings());
        QDir(Data).removeRecursively();
        QDir(away).removeRecursively();
        QDir().mkpath(Folder('A'));
        WriteFileBytes(Folder('A') + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(Named("a")));
        QDir(Programs['A'] + QStringLiteral("/QTA084")).removeRecursively();
        for (const QString& name : QDir(Programs['A']).entryList({QStringLiteral("*.QTA"), QStringLiteral("*.STP"),
                                                                   QStringLiteral("*.DFQ")}))
            QFile::remove(Programs['A'] + u'/' + name);
    };
    // The share, a file system of its own, bound onto the data folder; the
    // folder below it holds a seat folder of an older run with x.
    const auto mounted = [&](const std::vector<std::string>& script) {
        const QString file = Temp.path() + QStringLiteral("/Story");
        const int status = RunInMountNamespace([&] {
            if (!QDir().mkpath(share)
                || ::mount("tmpfs", QFile::encodeName(share).constData(), "tmpfs", 0, nullptr) != 0)
                return ChildSetupFailed;
            WriteFileBytes(hidden, ReportFileBytes(Named("x")));
            QDir(share).mkpath(QStringLiteral("SEAT-LAB-A"));
            WriteFileBytes(share + QStringLiteral("/SEAT-LAB-A/PENDING 1.QTA"), ReportFileBytes(Named("a")));
            WriteFileBytes(file, play(script));
            return 0;
        });
        return status == ChildSetupFailed ? std::string("no mount namespace") : ReadFileBytes(file);
    };
    struct Row {
        const char* Case;
        std::function<std::string()> Run;
        std::string Expected;
    };
    const std::vector<Row> rows = {
        {"the share unmounted, the folder below with an older seat folder showing",
         [&] {
             return mounted({"mount", "start", "open b", "test a", "unmount", "curve", "test a", "terminate b", "end",
                             "ls", "mount", "start", "end", "start"});
         },
         "mount; start(data)=up a:0; open b=ok; test a=ok; unmount; curve=program; test a=ok [46]; terminate b=ok; "
         "end=ok; "
         "ls=SEAT-LAB-A 1; mount; start(program)=up a:2 [48 1 0]; end=ok; start(program)=up a:2 [48 1 0]"},
        {"the data folder gone, an empty folder in its place",
         [&] { return play({"start", "test a", "drop", "empty", "test a", "ls", "end", "back", "start"}); },
         "start(data)=up a:0; test a=ok; drop; empty; test a=ok [46]; ls=; end=ok; back; start(program)=up a:2 [48 0 0]"},
        {"a start that cannot reach the data folder",
         [&] {
             return play({"drop", "start", "open c", "end", "back", "start", "end", "start", "ls",
                          "change " + Data.toStdString(), "end", "start"});
         },
         "drop; start(data)=up [46]; open c=ok; end=ok; back; start(program)=up a:0 c:0 [48 0 0]; end=ok; "
         "start(program)=up a:0 c:0 [48 0 0]; ls=SEAT-LAB-A; change " + Data.toStdString()
             + "=ok; end=ok; start(data)=up a:0 c:0"},
        {"the folder back and chosen again during the run",
         [&] {
             // a, left there by the start, is open again at once; then both
             // are moved by a stand-in and chosen back, each open once.
             const std::string data = "change " + Data.toStdString();
             return play({"drop", "start", "open c", "back", data, "list", "test a", "drop", "test c", "back", data,
                          "list", "end", "start"});
         },
         "drop; start(data)=up [46]; open c=ok; back; change " + Data.toStdString() + "=ok; list= c:0 a:0; "
             "test a=ok; drop; test c=ok [46]; back; change " + Data.toStdString() + "=ok; list= c:1 a:1; end=ok; "
             "start(data)=up a:1 c:1"},
        {"reports written while the program folder stands in",
         [&] {
             return play({"drop", "start", "open c", "open d", "terminate c", "dfq", "terminate d", "end", "back",
                          "start", "end", "start"});
         },
         "drop; start(data)=up [46]; open c=ok; open d=ok; terminate c=ok; dfq=program [54]; terminate d=ok; end=ok; back; "
         "start(program)=up a:0 [48 2 1]; end=ok; start(program)=up a:0 [48 2 1]"},
        {"a share whose lock file answers EIO at the start",
         [&] {
             // Each file call of the start fails with EIO in turn; the story
             // is the one of the run whose lock file's open failed (its log
             // says so). Whatever failed, a is open once where the settings
             // point.
             const QString log = Programs['A'] + QStringLiteral("/QUINTARA.LOG");
             const QString lockFailed = ErrorFromErrno(EIO).Text + QStringLiteral(": ") + Folder('A')
                 + QStringLiteral("/SEAT.LCK");
             std::string story = "no lock open seen";
             const auto prepare = [&] {
                 onData();
                 QFile::remove(log);
             };
             const auto start = [&] {
                 SetProgramFolder(Programs['A']);
                 return Start() == "up a:0" ? 0 : 1;
             };
             const int runs = FailEachFileCall(prepare, start, EIO, FileCallFault::Once, [&](int, int) {
                 EndSeat();
                 const bool lockRun =
                     QFileInfo::exists(log) && QString::fromStdString(ReadFileBytes(log)).contains(lockFailed);
                 const std::string next = play({"start", "end", "start"});
                 const std::size_t first = next.find(" a:");
                 ASSERT_TRUE(first != std::string::npos && next.find(" a:", first + 1) == next.rfind(" a:")
                             && next.find(" a:", next.find("end=ok")) != std::string::npos)
                     << next;
                 if (lockRun)
                     story = next;
             });
             return runs < 0 ? std::string("no tracing") : story;
         },
         "start(program)=up a:0 [48 0 0]; end=ok; start(program)=up a:0 [48 0 0]"},
        // A folder that comes back brings its records; one that drops
        // mid-termination holds nothing.
        {"a termination committed before a stop, then a start that cannot reach the data folder: a stays "
         "terminated when the folder is back",
         [&] {
             return play({"start", "refuse removals", "terminate a", "allow", "kill", "drop", "start", "end", "back",
                          "start", "end", "start", "ls"});
         },
         "start(data)=up a:0; refuse removals; terminate a=fail [?]; allow; kill; drop; start(data)=up [46]; end=ok; "
         "back; start(program)=up [48 0 0]; end=ok; start(program)=up [48 0 0]; ls=QTA084,SEAT-LAB-A"},
        {"a termination committed before a stop, a start that cannot reach the data folder, then the folder "
         "chosen again during the run: a stays terminated",
         [&] {
             return play({"start", "refuse removals", "terminate a", "allow", "kill", "drop", "start", "open c",
                          "back", "change " + Data.toStdString(), "list", "end", "start"});
         },
         "start(data)=up a:0; refuse removals; terminate a=fail [?]; allow; kill; drop; start(data)=up [46]; "
         "open c=ok; back; change " + Data.toStdString() + "=ok; list= c:0; end=ok; start(data)=up c:0"},
        {"the seat's first start while the data folder is away: the series of the layout before seats are "
         "taken over once it is back",
         [&] { return play({"old", "drop", "start", "open c", "end", "back", "start", "end", "start", "ls"}); },
         "old; drop; start(data)=up [46]; open c=ok; end=ok; back; start(program)=up c:0 o:0 [48 0 0]; end=ok; "
         "start(program)=up c:0 o:0 [48 0 0]; ls=PENDING.LCK,SEAT-LAB-A"},
        {"the data folder moved away as the staged report moves to its name: the program folder stands in, "
         "the report is saved there, and a test typed after it survives a stop",
         [&] {
             return play({"start", "open c", "refuse at the report", "terminate a", "allow", "test c", "kill", "back",
                          "start", "end", "start"});
         },
         "start(data)=up a:0; open c=ok; refuse at the report; terminate a=ok [46]; allow; test c=ok; kill; back; "
         "start(program)=up c:1 [48 1 0]; end=ok; start(program)=up c:1 [48 1 0]"},
        // The folder back: message 48 asks at every start (and every choice
        // in the data settings) whether the data folder is used again, also
        // when nothing was written meanwhile; No stays in the program folder,
        // Yes takes the data folder as the data settings do. The Q-DAS folder
        // away: the program folder takes the DFQ files, told, counted by
        // message 48, and the setting keeps naming the Q-DAS folder.
        {"the folder back with nothing written: No stays and is asked again, Yes goes back",
         [&] {
             return play({"drop", "start", "open c", "end", "back", "no", "start", "end", "yes", "start", "list",
                          "end", "start", "ls"});
         },
         "drop; start(data)=up [46]; open c=ok; end=ok; back; no; start(program)=up a:0 c:0 [48 0 0]; end=ok; yes; "
         "start(program)=up a:0 c:0 [48 0 0]; list= a:0 c:0; end=ok; start(data)=up a:0 c:0; ls=SEAT-LAB-A 0"},
        {"the folder back, chosen in the data settings while no port can be opened",
         [&] {
             return play({"drop", "start", "open c", "back", "ok", "no", "dialog", "ok", "yes", "dialog", "list",
                          "end", "start"});
         },
         "drop; start(data)=up [46]; open c=ok; back; ok; no; dialog=closed [13] [48 0 0]; ok; yes; "
         "dialog=closed [13] [48 0 0]; list= c:0 a:0; end=ok; start(data)=up a:0 c:0"},
        // The data folder back is found by every choice in the data
        // settings, also one that leaves the program folder's own path and
        // is refused its port: No keeps the dialog open for another port,
        // Yes takes the data folder.
        {"the program folder's path left in the data settings while no port can be opened",
         [&] {
             return play({"drop", "start", "open c", "back", "ok", "no", "dialog program", "ok", "yes",
                          "dialog program", "list", "end", "start"});
         },
         "drop; start(data)=up [46]; open c=ok; back; ok; no; dialog program=open [13] [48 0 0]; ok; yes; "
         "dialog program=closed [13] [48 0 0]; list= c:0 a:0; end=ok; start(data)=up a:0 c:0"},
        // Yes at a start does what the data settings' change does, with its
        // record: a kill at any of its file calls loses nothing typed, and
        // the next start (asked again while the settings still name the
        // program folder) has each series once where they point.
        {"Yes to message 48 at a start, killed at each file call",
         [&] {
             const auto prepare = [&] {
                 onData();
                 play({"drop", "start", "open c", "test c", "end", "back"});
             };
             const auto start = [&] {
                 Presenter.Answer(AnswerYes);
                 SetProgramFolder(Programs['A']);
                 return Start() == "up a:0 c:1" ? 0 : 1;
             };
             const int kills = KillBeforeEachFileCall(prepare, start, [&](int k) {
                 SetProgramFolder(Programs['A']);
                 const bool standing = NamedDataFolder() == Programs['A'];
                 const std::string next = play({standing ? "yes" : "tick", "start", "end", "start"});
                 ASSERT_EQ(next.substr(next.rfind("; ") + 2), "start(data)=up a:0 c:1") << "kill " << k << ": " << next;
                 ASSERT_EQ(next.find("[?]"), std::string::npos) << "kill " << k << ": " << next;
             });
             return kills < 0 ? std::string("no tracing")
                 : kills > 8  ? std::string("killed at each file call")
                              : "only " + std::to_string(kills) + " kills";
         },
         "killed at each file call"},
        {"the Q-DAS folder away, alone and with the data folder",
         [&] {
             return play({"start", "dfq", "dfq", "qdas", "dfq", "tick", "drop", "start", "dfq", "back", "no",
                          "start", "dfq", "end", "start"});
         },
         "start(data)=up a:0; dfq=program [54]; dfq=program; qdas; dfq=qdas; tick; drop; start(data)=up [46]; "
         "dfq=program [54]; back; no; start(program)=up a:0 [48 0 1]; dfq=qdas; end=ok; "
         "start(program)=up a:0 [48 0 1]"},
        // A seat whose folder was never made: its first start could not
        // reach the data folder, which holds nothing of the layout before
        // seats. The data folder back is asked about at every start all the
        // same; Yes takes it and makes the seat folder.
        {"a seat named anew while the data folder is away: asked once it is back, the former seat told",
         [&] {
             const std::string story =
                 play({"start", "end", "machine NEW", "drop", "start", "open c", "end", "back", "no", "start", "end",
                       "yes", "start", "list", "end", "start", "end", "start"});
             SetMachineForTests(QString(), QString());
             WriteFileBytes(Programs['A'] + QStringLiteral("/QUINTARA.SEAT"), "LAB-A\r\n");
             return story;
         },
         "start(data)=up a:0; end=ok; machine NEW=ok; drop; start(data)=up [46]; open c=ok; end=ok; back; no; "
         "start(program)=up c:0 [48 0 0]; end=ok; yes; start(program)=up c:0 [48 0 0]; list= c:0; end=ok; "
         "start(data)=up c:0 [53]; end=ok; start(data)=up c:0"},
        {"a new seat's first start while the data folder is away",
         [&] {
             // The data folder holds another seat's folder only.
             QDir(Folder('A')).removeRecursively();
             QDir().mkpath(Data + QStringLiteral("/SEAT-LAB-B"));
             return play({"drop", "start", "open c", "end", "back", "no", "start", "end", "yes", "start", "end",
                          "start", "ls"});
         },
         "drop; start(data)=up [46]; open c=ok; end=ok; back; no; start(program)=up c:0 [48 0 0]; end=ok; yes; "
         "start(program)=up c:0 [48 0 0]; end=ok; start(data)=up c:0; ls=SEAT-LAB-A,SEAT-LAB-B 0"},
        {"a seat folder that was made, an empty folder where the data folder was: not back, not asked",
         [&] {
             return play({"start", "end", "drop", "start", "end", "empty", "start", "end", "back", "start"});
         },
         "start(data)=up a:0; end=ok; drop; start(data)=up [46]; end=ok; empty; start(program)=up; end=ok; back; "
         "start(program)=up a:0 [48 0 0]"},
        {"one report and one DFQ file written meanwhile, as the log counts them",
         [&] { return play({"drop", "start", "open c", "terminate c", "dfq", "end", "back", "no", "start", "log"}); },
         "drop; start(data)=up [46]; open c=ok; terminate c=ok; dfq=program [54]; end=ok; back; no; "
         "start(program)=up a:0 [48 1 1]; log=1 report and 1 DFQ file were written"},
        // The run that could not load a series showed none; the start that
        // brings it back shows it, as a start shows the series it loads.
        {"a series left in the seat folder is shown by the start that brings it back, Yes or No",
         [&] {
             const std::string yes = play({"start", "show", "end", "drop", "start", "view", "end", "back", "yes",
                                           "start", "view", "list", "pending", "end", "start", "view"});
             onData();
             return yes + " | "
                 + play({"start", "show", "end", "drop", "start", "open c", "end", "back", "no", "start", "view",
                         "end", "yes", "start", "view", "list", "pending", "end"});
         },
         "start(data)=up a:0; show; end=ok; drop; start(data)=up [46]; view=0; end=ok; back; yes; "
         "start(program)=up a:0 [48 0 0]; view=1; list= a:0; pending=PENDING 2.QTA; end=ok; start(data)=up a:0; "
         "view=1 | "
         "start(data)=up a:0; show; end=ok; drop; start(data)=up [46]; open c=ok; end=ok; back; no; "
         "start(program)=up a:0 c:0 [48 0 0]; view=1; end=ok; yes; start(program)=up a:0 c:0 [48 0 0]; view=1; "
         "list= a:0 c:0; pending=PENDING 1.QTA,PENDING 2.QTA; end=ok"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Case);
        FileCallAnswer = nullptr;
        onData();
        if (HasFatalFailure())
            return;
        const std::string story = row.Run();
        if (story == "no mount namespace" || story == "no tracing")
            continue;
        EXPECT_EQ(story, row.Expected);
    }
    EndSeat();
    SetProgramFolder(Program);
    ResetSettingsGlobals(Program);
    DataFolder = Data;
}

// ---- One seat runs once per machine; a seat named anew is told ----

TEST_F(Seats, OneSeatRunsOncePerMachineWhicheverFolderOrMountItReaches)
{
    // A second start in this process: "up ..." as Start gives it, or how the
    // start's own sequence refused it.
    const auto secondStart = [&](const QString& program, const QString& data) {
        SetProgramFolder(program);
        DataFolder = data;
        Presenter.Shown.clear();
        std::string result = Start();
        EndSeat();
        if (result == "refused") {
            ScriptedDialogRunner dialogs;
            StartupHooks hooks = DefaultStartupHooks();
            hooks.AcquireInstanceLock = [] { return true; };
            hooks.InitSettings = [] { return false; };
            hooks.AcquireSeat = EstablishSeat;
            const int exit = Main(hooks);
            result = exit == ExitSecondCopy && Presenter.Shown.size() == 1
                    && Presenter.Shown[0] == ComposeMessage(1, {}, Language)
                ? "refused with message 1"
                : "refused otherwise";
            EndSeat();
        }
        SetProgramFolder(Program);
        DataFolder = Data;
        return result;
    };
    // A copy of seat A's program folder that kept QUINTARA.SEAT, and a second
    // mount of the share: a folder of its own here, as a FUSE client's second
    // mount shows the share with none of the first mount's locks (nor its
    // exclusive creates).
    const QString copy = Temp.path() + QStringLiteral("/CopyOfA");
    const QString mount = Temp.path() + QStringLiteral("/SecondMount");
    ASSERT_TRUE(QDir().mkpath(copy) && QDir().mkpath(mount));
    WriteFileBytes(copy + QStringLiteral("/QUINTARA.SEAT"), "LAB-A\r\n");
    // Seat names of this row's own at the program's own machine-wide names
    // (no test program run beside this one uses them).
    const QString own = QStringLiteral("LAB-%1").arg(::getpid());
    const QString ownProgram = Temp.path() + QStringLiteral("/Own");
    ASSERT_TRUE(QDir().mkpath(ownProgram));
    WriteFileBytes(ownProgram + QStringLiteral("/QUINTARA.SEAT"), (own + QStringLiteral("\r\n")).toStdString());

    struct Row {
        const char* Case;
        // Runs the first start (or what stands for it) and returns what must
        // live while the second starts.
        std::function<std::shared_ptr<void>()> First;
        QString Program;
        QString Data;
        std::string Expected;
        // In place of the second start, where given.
        std::function<std::string()> Second = nullptr;
    };
    // Binds the program's own machine-wide name of seat own, "quintara-seat-"
    // and its name in the abstract namespace, as a program that is no run
    // may: the socket, or none where the name is held.
    const QByteArray ownName = QByteArray("quintara-seat-") + own.toLatin1();
    const auto bindOwnName = [&]() -> std::shared_ptr<int> {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, ownName.constData(), static_cast<std::size_t>(ownName.size()));
        auto fd = std::shared_ptr<int>(new int(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)), [](int* socket) {
            ::close(*socket);
            delete socket;
        });
        if (::bind(*fd, reinterpret_cast<const sockaddr*>(&address),
                   static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + ownName.size()))
            != 0)
            return nullptr;
        return fd;
    };
    const auto runningA = [&] {
        auto run = std::make_shared<SeatRun>(Programs['A'], Data);
        EXPECT_EQ(run->Ask("start"), "up");
        EXPECT_EQ(run->Ask("open a"), "ok");
        return std::static_pointer_cast<void>(run);
    };
    const std::vector<Row> rows = {
        {"a copied program folder, through a second mount of the share", runningA, copy, mount,
         "refused with message 1"},
        {"a copied program folder, on the same data folder", runningA, copy, Data, "refused with message 1"},
        {"the first run ended", [&] {
             SetSeatMachineLockPrefixForTests(QString());
             SetProgramFolder(ownProgram);
             EXPECT_TRUE(EstablishSeat());
             EXPECT_EQ(bindOwnName(), nullptr);
             EndSeat();
             SetProgramFolder(Program);
             return std::shared_ptr<void>();
         },
         ownProgram, mount, "free", [&] { return std::string(bindOwnName() ? "free" : "held"); }},
        {"the first run killed", [&] {
             runningA();   // gone with its kill
             return std::shared_ptr<void>();
         },
         copy, Data, "up a:0"},
        {"another seat on the same machine and data folder", runningA, Programs['B'], Data, "up"},
        {"another seat on the same machine, through a second mount", runningA, Programs['B'], mount, "up"},
        {"the seat's name held on the machine by a process that is no run", [&] {
             SetSeatMachineLockPrefixForTests(QString());
             const std::shared_ptr<int> held = bindOwnName();
             EXPECT_NE(held, nullptr);
             return std::static_pointer_cast<void>(held);
         },
         ownProgram, mount, "refused with message 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Case);
        QDir(mount).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(mount));
        {
            const std::shared_ptr<void> first = row.First();
            EXPECT_EQ(row.Second ? row.Second() : secondStart(row.Program, row.Data), row.Expected);
            // A refused run made nothing in the data folder it reached.
            if (row.Data == mount && row.Expected.rfind("refused", 0) == 0) {
                EXPECT_TRUE(QDir(mount).isEmpty());
            }
        }
        SetSeatMachineLockPrefixForTests(m_lockPrefix);
        // Every run gone, the seat starts again.
        EXPECT_EQ(secondStart(copy, Data).rfind("up", 0), 0u);
        QDir(Folder('A')).removeRecursively();
    }
}

TEST_F(Seats, ASeatNamedAnewIsToldWhereItsFormerSeatsOpenSeriesLieAndHowMany)
{
    ASSERT_EQ(Language, 2);
    const QString former = Folder('A');
    // The English text, with the former seat's folder and the count.
    const auto told = [&](const QString& count) {
        return QStringLiteral("This installation was named on another computer, or before the system was installed "
                              "anew (another machine id), and now runs as a new seat. The folder of its former seat "
                              "holds ")
            + count + QStringLiteral(" open series, which this seat does not load:\r\n") + former
            + QStringLiteral("\r\nIf that seat was this computer, please tell the administrator: the series can be "
                             "taken over (see QUINTARA.SEAT in the manual page, \"man quintara\").");
    };
    struct Row {
        const char* Case;
        std::vector<std::string> Series;   // open in the former seat's folder
        // Laid beside them, none of them a series.
        std::vector<QString> Others;
        // The data folder away at the start that names the seat anew.
        bool AwayAtFirst;
        // What each of two starts tells of the former seat: nothing ("") or
        // the text.
        std::vector<QString> Told;
    };
    const std::vector<Row> rows = {
        {"one open series", {"a"}, {}, false, {told(QStringLiteral("1")), QString()}},
        {"two, beside a note and a file cut short",
         {"a", "b"},
         {QStringLiteral("PENDING 7.QTA.txt"), QStringLiteral("PENDING 8.QTA")},
         false,
         {told(QStringLiteral("2")), QString()}},
        {"none: only its lock and a note", {}, {QStringLiteral("SEAT.LCK"), QStringLiteral("PENDING 7.QTA.txt")},
         false, {QString(), QString()}},
        {"no former folder", {}, {}, false, {QString(), QString()}},
        {"the data folder away when named anew, back at the next start",
         {"a"},
         {},
         true,
         {QString(), told(QStringLiteral("1"))}},
    };
    const QString away = Temp.path() + QStringLiteral("/Away");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Case);
        // Seat A's program folder, named on a machine whose id this one no
        // longer has (same host name: a system installed anew).
        QDir(Data).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(Data));
        WriteFileBytes(Programs['A'] + QStringLiteral("/QUINTARA.SEAT"),
                       "LAB-A\r\nOLD-ID\r\n" + MachineHostName().toStdString() + "\r\n");
        SetMachineForTests(QStringLiteral("NEW-ID"), MachineHostName());
        if (!row.Series.empty() || !row.Others.empty()) {
            ASSERT_TRUE(QDir().mkpath(former));
        }
        for (std::size_t n = 0; n < row.Series.size(); ++n)
            WriteFileBytes(former + QStringLiteral("/PENDING %1.QTA").arg(n + 1), ReportFileBytes(Named(row.Series[n])));
        for (const QString& name : row.Others)
            WriteFileBytes(former + u'/' + name, "QTA");
        const QStringList before = QDir(former).entryList(QDir::Files);
        for (std::size_t start = 0; start < row.Told.size(); ++start) {
            if (start == 0 && row.AwayAtFirst) {
                ASSERT_TRUE(QDir().rename(Data, away));
            }
            Presenter.Shown.clear();
            EXPECT_EQ(StartHere('A'), "up") << start;
            if (start == 0 && row.AwayAtFirst) {
                ASSERT_TRUE(QDir().rename(away, Data));
            }
            if (row.Told[start].isEmpty()) {
                // Nothing of series (the data folder away is told as ever).
                QStringList shown;
                for (const MessageRequest& message : Presenter.Shown)
                    shown << message.Text;
                EXPECT_TRUE(shown.filter(QStringLiteral("series")).isEmpty())
                    << start << ": " << shown.join(u'|').toStdString();
            } else {
                EXPECT_EQ(Presenter.Shown.size(), 1u) << start;
                if (!Presenter.Shown.empty()) {
                    EXPECT_EQ(Presenter.Shown.back().Text, row.Told[start]) << start;
                    EXPECT_EQ(Presenter.Shown.back().Icon, IconExclamation);
                }
            }
        }
        // The former seat's series lie where they lay; the new seat is
        // this machine's from now on.
        EXPECT_EQ(QDir(former).entryList(QDir::Files), before);
        const QStringList seatFile = QString::fromStdString(ReadFileBytes(Programs['A'] + QStringLiteral("/QUINTARA.SEAT")))
                                         .split(QStringLiteral("\r\n"));
        EXPECT_NE(seatFile.value(0), QStringLiteral("LAB-A"));
        EXPECT_EQ(seatFile.mid(1), QStringList({QStringLiteral("NEW-ID"), MachineHostName(), QString()}));
        SetMachineForTests(QString(), QString());
    }
}
