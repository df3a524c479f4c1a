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
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "storage/frmDataSetting.h"
#include "storage/modIntentRecord.h"
#include "storage/modSeat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// A series is named by its Reference2; its start date follows from the name,
// so that every series has a report name of its own.
Protocol Named(const std::string& name)
{
    const int second = name.size() > 1 ? name[1] - '0' : 0;
    Protocol p = SampleProtocol(QStringLiteral("s"), At(9, name[0] - 'a', second));
    p.Reference2 = QString::fromStdString(name);
    return p;
}

// "a:1 b:3": the open series in their order, each with the tests taken in
// this day (beyond those of the sample).
std::string OpenSeries()
{
    const std::size_t base = SampleProtocol(QStringLiteral("s"), At(9)).Blocks[1].Values.size();
    std::string list;
    for (std::size_t i = 1; i < Protocols.size(); ++i)
        list += (list.empty() ? "" : " ") + Protocols[i].Reference2.toStdString() + ':'
            + std::to_string(Protocols[i].Blocks[1].Values.size() - base);
    return list;
}

std::size_t Find(const std::string& name)
{
    for (std::size_t i = 1; i < Protocols.size(); ++i)
        if (Protocols[i].Reference2.toStdString() == name)
            return i;
    return 0;
}

// What a seat's start loads.
std::string Start()
{
    if (!EstablishSeat())
        return "refused";
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    const std::string list = OpenSeries();
    return list.empty() ? "up" : "up " + list;
}

// The run of one seat in its child: commands in, one line out for each.
int SeatLoop(FILE* in, int out)
{
    auto reply = [out](const std::string& text) {
        const std::string line = text + '\n';
        return ::write(out, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    };
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, in)) {
        std::string command(buffer);
        command.erase(command.find_last_not_of('\n') + 1);
        const std::string verb = command.substr(0, command.find(' '));
        const std::string name = command.find(' ') == std::string::npos ? "" : command.substr(command.find(' ') + 1);
        const std::size_t i = Find(name);
        bool ok = false;
        if (verb == "start") {
            reply(Start());
            continue;
        }
        if (verb == "list") {
            reply(OpenSeries());
            continue;
        }
        if (verb == "open") {
            Protocols.push_back(Named(name));
            ok = KeepPendingSeries(static_cast<int>(Protocols.size() - 1));
        } else if (verb == "test" && i > 0) {
            Protocols[i].Blocks[1].Values.push_back(MakeTest(12.5f, "8", At(12)));
            ok = KeepPendingSeries(static_cast<int>(i));
        } else if (verb == "terminate" && i > 0) {
            // As the main window terminates a series.
            Protocols[i].Finished = true;
            ok = SavePendingSeriesReport(static_cast<int>(i));
            ok = EndPendingSeries(static_cast<int>(i)) && ok;
            Protocols.erase(Protocols.begin() + static_cast<std::ptrdiff_t>(i));
            ok = DropPendingSeries(static_cast<int>(i)) && ok;
        } else if (verb == "end") {
            SavePendingProtocols(ok);
            reply(ok ? "ok" : "fail");
            return 0;
        }
        reply(ok ? "ok" : "fail");
    }
    return 0;
}

// One seat in a child of its own, its program folder and the data folder
// given; driven line by line.
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
            // A process of its own: nothing of a seat this one holds.
            EndSeat();
            SetProgramFolder(program);
            ResetSettingsGlobals(program);
            DataFolder = data;
            FILE* in = ::fdopen(commands[0], "r");
            return in ? SeatLoop(in, replies[1]) : 1;
        });
        ::close(commands[0]);
        ::close(replies[1]);
        m_out = commands[1];
        m_in = replies[0];
    }
    ~SeatRun()
    {
        Kill();
        ::close(m_out);
        ::close(m_in);
    }
    SeatRun(const SeatRun&) = delete;
    SeatRun& operator=(const SeatRun&) = delete;

    void Send(const std::string& command)
    {
        const std::string line = command + '\n';
        (void)!::write(m_out, line.data(), line.size());
    }
    // The next reply line; "" when the child ended or took a minute.
    std::string Reply()
    {
        std::string line;
        char c = 0;
        for (;;) {
            pollfd wait{m_in, POLLIN, 0};
            if (::poll(&wait, 1, 60000) != 1 || ::read(m_in, &c, 1) != 1 || c == '\n')
                return line;
            line += c;
        }
    }
    // After "end", once the child ended too.
    std::string Ask(const std::string& command)
    {
        Send(command);
        const std::string reply = Reply();
        if (command == "end")
            Wait();
        return reply;
    }
    // Its exit code, once it ended.
    int Wait()
    {
        const int status = m_pid > 0 ? WaitForChild(m_pid) : -1;
        m_pid = -1;
        return status;
    }
    void Kill()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
        Wait();
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_in = -1;
};

QStringList FilesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

QStringList PendingIn(const QString& folder)
{
    return FilesIn(folder).filter(QRegularExpression(QStringLiteral("^PENDING [0-9]+\\.QTA$")));
}

}  // namespace

class Seats : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        for (const char* seat : {"A", "B"}) {
            const QString program = Temp.path() + QStringLiteral("/Program") + QLatin1String(seat);
            ASSERT_TRUE(QDir().mkpath(program));
            WriteFileBytes(program + QStringLiteral("/QUINTARA.SEAT"), std::string("LAB-") + seat + "\r\n");
            Programs[seat[0]] = program;
            Folders[seat[0]] = Data + QStringLiteral("/SEAT-LAB-") + QLatin1String(seat);
        }
        Reports = Data + QStringLiteral("/QTA084");   // "S": 83 + 1
    }
    void TearDown() override
    {
        EndSeat();
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

    // Old series "PENDING n.QTA" in the data folder itself, as a run before
    // seats left them, and the termination of series "t" that a kill cut
    // short after its report was written: its record there still means to
    // remove its pending file, which no seat may take.
    void WriteOldPendingFiles(const std::vector<std::string>& names)
    {
        QDir(Data).removeRecursively();
        QDir().mkpath(Reports);
        for (std::size_t n = 0; n < names.size(); ++n)
            WriteFileBytes(Data + QStringLiteral("/PENDING %1.QTA").arg(n + 1), ReportFileBytes(Named(names[n])));
        const QString pending = Data + QStringLiteral("/PENDING %1.QTA").arg(names.size() + 1);
        const QString report = Reports + QStringLiteral("/2024.01.05, 09.19.00.QTA");
        Protocol ended = Named("t");
        ended.Finished = true;
        WriteFileBytes(pending, ReportFileBytes(Named("t")));
        WriteFileBytes(report, ReportFileBytes(ended));
        const IntentRecord termination{IntentCommit::FileWritten, QString(), false,
                                       {IntentFile{report, IntentChecksum(ReportFileBytes(ended))}},
                                       {IntentFile{pending, IntentChecksum(ReportFileBytes(Named("t")))}}};
        SystemError error;
        ASSERT_TRUE(WriteIntentRecord(Data + QStringLiteral("/PENDING.STP"), termination, error));
    }

    // Each of the names is open on exactly one of the two seats, by the
    // files the seats' starts load; nothing is left in the data folder.
    void ExpectEachOnceOnOneSeat(const std::vector<std::string>& names, const std::string& startA,
                                 const std::string& startB)
    {
        std::map<std::string, int> count;
        for (const std::string& list : {startA, startB}) {
            ASSERT_EQ(list.rfind("up", 0), 0u) << list;
            std::size_t at = 2;
            while (at < list.size()) {
                const std::size_t end = list.find(' ', at + 1);
                const std::string item = list.substr(at + 1, end - at - 1);
                ++count[item.substr(0, item.find(':'))];
                at = end == std::string::npos ? list.size() : end;
            }
        }
        for (const std::string& name : names)
            EXPECT_EQ(count[name], 1) << name << " in " << startA << " / " << startB;
        EXPECT_EQ(count.size(), names.size()) << startA << " / " << startB;
        EXPECT_TRUE(PendingIn(Data).isEmpty()) << PendingIn(Data).join(u',').toStdString();
        EXPECT_EQ(FilesIn(Reports).size(), 1);
    }

    std::map<char, QString> Programs;   // program folder of seat A and of B
    std::map<char, QString> Folders;    // their folders in the data folder
    QString Reports;
};

TEST_F(Seats, ADayOfTwoSeatsOnOneDataFolder)
{
    // Step by step on two live seats; a step "with the next" is sent to both
    // before either answers (a new file, a renumbering at the same moment).
    const struct Step {
        char seat;
        const char* command;
        const char* reply;
        bool withNext;
    } day[] = {
        {'A', "start", "up", false},
        {'B', "start", "up", false},
        {'A', "open a", "ok", true},
        {'B', "open b", "ok", false},
        {'B', "test b", "ok", false},
        {'B', "test b", "ok", false},
        {'A', "test a", "ok", false},
        {'B', "test b", "ok", false},
        {'A', "list", "a:1", false},
        {'B', "list", "b:3", false},
        // A's end writes nothing over B's newer state.
        {'A', "end", "ok", false},
        {'B', "test b", "ok", false},
        {'A', "start", "up a:1", false},
        {'A', "terminate a", "ok", false},
        {'A', "open c", "ok", false},
        {'B', "end", "ok", false},
        {'A', "end", "ok", false},
        // a, terminated on A, stays closed after B's exit; c is there.
        {'A', "start", "up c:0", false},
        {'B', "start", "up b:4", false},
        {'A', "open d", "ok", true},
        {'B', "open e", "ok", false},
        {'A', "terminate c", "ok", true},
        {'B', "terminate b", "ok", false},
        {'A', "end", "ok", true},
        {'B', "end", "ok", false},
        {'B', "start", "up e:0", false},
        {'A', "start", "up d:0", false},
        {'A', "end", "ok", false},
        {'B', "end", "ok", false},
    };
    std::map<char, std::unique_ptr<SeatRun>> runs;
    const Step* waiting = nullptr;
    for (const Step& step : day) {
        SCOPED_TRACE(std::string(1, step.seat) + ": " + step.command);
        std::unique_ptr<SeatRun>& run = runs[step.seat];
        if (!run)
            run = std::make_unique<SeatRun>(Programs[step.seat], Data);
        run->Send(step.command);
        if (step.withNext) {
            waiting = &step;
            continue;
        }
        if (waiting) {
            EXPECT_EQ(runs[waiting->seat]->Reply(), waiting->reply) << waiting->seat << ": " << waiting->command;
            if (std::string(waiting->command) == "end") {
                EXPECT_EQ(runs[waiting->seat]->Wait(), 0);
                runs[waiting->seat].reset();
            }
            waiting = nullptr;
        }
        ASSERT_EQ(run->Reply(), step.reply);
        if (std::string(step.command) == "end") {
            EXPECT_EQ(run->Wait(), 0);
            run.reset();
        }
    }
    // One report each of a, b and c; the open series in their seats' folders.
    EXPECT_EQ(FilesIn(Reports).size(), 3) << FilesIn(Reports).join(u',').toStdString();
    EXPECT_EQ(PendingIn(Folders['A']), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(PendingIn(Folders['B']), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_TRUE(PendingIn(Data).isEmpty());
    // No seat folder is a style folder.
    for (const char seat : {'A', 'B'})
        EXPECT_FALSE(QFileInfo(Folders[seat]).fileName().startsWith(QLatin1String("QTA")));
}

TEST_F(Seats, OneSeatsTerminationKilledAtEachFileCallWhileTheOtherTerminatesWhole)
{
    // A's termination of a, killed at each of its file calls; then B
    // terminates b whole before A starts again: each seat's record stays its
    // own, so a is either reported or open, never both, and b is reported.
    const auto prepare = [&] {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        for (const char seat : {'A', 'B'}) {
            QDir().mkpath(Folders[seat]);
            WriteFileBytes(Folders[seat] + QStringLiteral("/PENDING 1.QTA"),
                           ReportFileBytes(Named(seat == 'A' ? "a" : "b")));
        }
    };
    const auto terminate = [&] {
        SetProgramFolder(Programs['A']);
        if (Start() != "up a:0")
            return 2;
        Protocols[1].Finished = true;
        if (!SavePendingSeriesReport(1))
            return 1;
        EndPendingSeries(1);
        return 0;
    };
    int reported = 0;
    const auto check = [&](int) {
        SeatRun b(Programs['B'], Data);
        ASSERT_EQ(b.Ask("start"), "up b:0");
        ASSERT_EQ(b.Ask("terminate b"), "ok");
        ASSERT_EQ(b.Ask("end"), "ok");
        const QStringList reports = FilesIn(Reports);
        const std::string a = StartHere('A');
        ASSERT_TRUE((reports.size() == 2 && a == "up") || (reports.size() == 1 && a == "up a:0"))
            << a << " " << reports.join(u',').toStdString();
        ASSERT_EQ(StartHere('B'), "up");
        ASSERT_EQ(StartHere('A'), a);
        reported += reports.size() == 2 ? 1 : 0;
    };
    const int kills = KillBeforeEachFileCall(prepare, terminate, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 5);
    EXPECT_GE(reported, 2);
}

TEST_F(Seats, OldPendingFilesGoEachToOneSeatWhenBothStartAtOnce)
{
    const std::vector<std::string> names = {"a", "b", "c", "d", "e", "f"};
    for (int trial = 0; trial < 10; ++trial) {
        SCOPED_TRACE(trial);
        WriteOldPendingFiles(names);
        SeatRun a(Programs['A'], Data);
        SeatRun b(Programs['B'], Data);
        a.Send("start");
        b.Send("start");
        const std::string startA = a.Reply();
        const std::string startB = b.Reply();
        ExpectEachOnceOnOneSeat(names, startA, startB);
        // What they loaded is what they find again.
        EXPECT_EQ(a.Ask("end"), "ok");
        EXPECT_EQ(b.Ask("end"), "ok");
        EXPECT_EQ(StartHere('A'), startA);
        EXPECT_EQ(StartHere('B'), startB);
        if (HasFailure())
            break;
    }
}

TEST_F(Seats, ATakeOverKilledOrFailedAtEachFileCallLeavesEachOldSeriesInOnePlace)
{
    // A's start takes the old series over, and is killed, or has one file
    // call fail, at each of them. Then B starts with the share mounted at
    // another path, where A's path shows an empty folder: B finishes what A
    // left by the names below its own path, and A's start follows.
    const std::vector<std::string> names = {"a", "b", "c"};
    const QString elsewhere = Temp.path() + QStringLiteral("/Elsewhere");
    const QString empty = Temp.path() + QStringLiteral("/Empty");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(empty));
    const auto prepare = [&] { WriteOldPendingFiles(names); };
    const auto start = [&] {
        SetProgramFolder(Programs['A']);
        return Start().rfind("up", 0) == 0 ? 0 : 1;
    };
    bool otherPath = true;
    const auto check = [&] {
        const QString startedB = Temp.path() + QStringLiteral("/StartedB");
        const int status = RunInMountNamespace([&] {
            if (::mount(QFile::encodeName(Data).constData(), QFile::encodeName(elsewhere).constData(), nullptr,
                        MS_BIND, nullptr) != 0
                || ::mount(QFile::encodeName(empty).constData(), QFile::encodeName(Data).constData(), nullptr,
                           MS_BIND, nullptr) != 0)
                return ChildSetupFailed;
            WriteFileBytes(startedB, StartHere('B', elsewhere));
            return 0;
        });
        if (status == ChildSetupFailed) {
            otherPath = false;
            WriteFileBytes(startedB, StartHere('B'));
        } else {
            ASSERT_EQ(status, 0);
        }
        ExpectEachOnceOnOneSeat(names, StartHere('A'), ReadFileBytes(startedB));
        ASSERT_FALSE(HasFailure());
    };
    const int kills = KillBeforeEachFileCall(prepare, start, [&](int) { check(); });
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 8);
    for (const int error : {EIO, ENOSPC}) {
        const int runs = FailEachFileCall(prepare, start, error, FileCallFault::Once, [&](int, int) { check(); });
        EXPECT_GT(runs, 8) << error;
    }
    if (!otherPath)
        GTEST_SKIP() << "no mount namespace: the other seat reached the share at the same path";
}

TEST_F(Seats, ASecondRunOfASeatIsRefusedWhileTheFirstHoldsTheDataFolder)
{
    // The first run names its seat in its program folder at its first start;
    // a copy of that folder is the same seat.
    const QString first = Temp.path() + QStringLiteral("/First");
    const QString copy = Temp.path() + QStringLiteral("/Copy");
    ASSERT_TRUE(QDir().mkpath(first));
    ASSERT_TRUE(QDir().mkpath(copy));
    auto run = std::make_unique<SeatRun>(first, Data);
    ASSERT_EQ(run->Ask("start"), "up");
    const std::string name = ReadFileBytes(first + QStringLiteral("/QUINTARA.SEAT"));
    ASSERT_FALSE(name.empty());
    WriteFileBytes(copy + QStringLiteral("/QUINTARA.SEAT"), name);
    Programs['C'] = copy;

    // Refused as a second copy is, by the start's own sequence (a start
    // that went on would meet its login window, which no one answers).
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
    SetProgramFolder(Program);

    // Another data folder is free to the copy; the first run's is not, for
    // a change of data folder either.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    EXPECT_EQ(StartHere('C', other), "up");
    SetProgramFolder(copy);
    DataFolder = other;
    ASSERT_TRUE(EstablishSeat());
    EXPECT_FALSE(ClaimSeatFolder(Data));
    // The folder it holds, reached through a link, is its own.
    const QString link = Temp.path() + QStringLiteral("/Link");
    ASSERT_TRUE(QFile::link(other, link));
    EXPECT_TRUE(ClaimSeatFolder(link));
    SettleSeatFolder();
    EndSeat();

    // The lock goes with the process, however it ends.
    run->Kill();
    EXPECT_EQ(StartHere('C'), "up");
    run = std::make_unique<SeatRun>(first, Data);
    EXPECT_EQ(run->Ask("start"), "up");

    // A change of data folder takes the lock along once the settings name
    // the new folder, and gives up the old one.
    const QString third = Temp.path() + QStringLiteral("/Third");
    ASSERT_TRUE(QDir().mkpath(third));
    SetProgramFolder(copy);
    DataFolder = other;
    ASSERT_TRUE(EstablishSeat());
    ASSERT_TRUE(ClaimSeatFolder(third));
    DataFolder = third;
    SettleSeatFolder();
    {
        SeatRun onThird(copy, third);
        EXPECT_EQ(onThird.Ask("start"), "refused");
        SeatRun onOther(copy, other);
        EXPECT_EQ(onOther.Ask("start"), "up");
        EXPECT_EQ(onOther.Ask("end"), "ok");
    }
    EndSeat();
    SetProgramFolder(Program);
    DataFolder = Data;
}

TEST_F(Seats, TheDataSettingsRefuseAFolderInWhichTheSeatRunsElsewhere)
{
    // Seat A runs on another PC (a copy of its program folder) with the
    // folder Other, and here with the data folder.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    SeatRun elsewhere(Programs['A'], other);
    ASSERT_EQ(elsewhere.Ask("start"), "up");
    SetProgramFolder(Programs['A']);
    ResetSettingsGlobals(Programs['A']);
    DataFolder = Data;
    ASSERT_TRUE(EstablishSeat());
    // No port to probe; the devices named before are named again after.
    std::map<int, QByteArray> ports;
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
        if (qEnvironmentVariableIsSet(name.constData()))
            ports[n] = qgetenv(name.constData());
        qputenv(name.constData(), "/nonexistent/ttyQ");
    }
    frmDataSetting::SetFolderClaim(ClaimSeatFolder);

    // Refused with message 47; the dialog stays, nothing is stored.
    frmDataSetting* form = frmDataSetting::Instance();
    form->dirDirectory->SetPath(other);
    form->cmdOK_Click();
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0], ComposeMessage(47, {}, Language));
    EXPECT_TRUE(Presenter.Shown[0].Text.contains(QStringLiteral("already running with this data folder")));
    EXPECT_TRUE(frmDataSetting::IsLoaded());
    EXPECT_EQ(DataFolder, Data);
    EXPECT_FALSE(QFile::exists(Programs['A'] + QStringLiteral("/QUINTARA.DAT")));

    form->cmdCancel_Click();
    frmDataSetting::SetFolderClaim({});
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
        ports.count(n) ? qputenv(name.constData(), ports[n]) : qunsetenv(name.constData());
    }
}
