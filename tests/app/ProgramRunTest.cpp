// The built program, started as an operator starts it (its entry point runs
// in no other test): offscreen, in a program folder of its own, with an open
// series from the last run. The input plugin beside this test presses OK in
// its start-up windows and says when the main window is up.
#include "support/SeriesTests.h"

#include "foundation/modDiskBasics.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "storage/modSeat.h"
#include "platform/InstanceLock.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"
#include "storage/modIntentRecord.h"
#include "system_settings/modVersionHistory.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
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
    int Errors = -1;   // the read end of its standard error, when caught
};

// How a start differs from the operator's usual one.
struct Launch {
    // The arguments after the program's name; none: --home and the test's
    // program folder.
    std::vector<std::string> Arguments;
    // Environment variables to drop, and settings (NAME=value) to add.
    std::vector<std::string> Unset;
    std::vector<std::string> Set;
    // As nobody where the tests run as root.
    bool Unprivileged = false;
    // The folder it starts in; empty: the test's.
    std::string WorkingFolder;
    // Its standard error caught in Started::Errors.
    bool CatchErrors = false;
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
        AddPendingSeries(Series);
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
                    + (seat.open(QIODevice::ReadOnly) ? SeatFolderName(QString::fromLatin1(seat.readLine()).trimmed())
                                                      : QString())
                    + QStringLiteral("/PENDING 1.QTA"));
        if (taken.open(QIODevice::ReadOnly))
            return taken.readAll().toStdString();
        QFile file(Data + QStringLiteral("/PENDING 1.QTA"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    // Starts the built program as nohup does (SIGHUP ignored), with writes
    // limited to fileSizeLimit bytes when given and SIGXFSZ at its default;
    // the input plugin leaves the start-up window holdAt up when it is given,
    // and sends the signal raiseWhileMade while the application object is made.
    Started Start(long fileSizeLimit = 0, const std::string& holdAt = std::string(), int raiseWhileMade = 0,
                  const Launch& launch = Launch()) const
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return {};
        int errors[2] = {-1, -1};
        if (launch.CatchErrors && ::pipe2(errors, O_CLOEXEC) != 0)
            return {};
        // Everything the child needs is made before the fork.
        const auto dropped = [&launch](const std::string& entry) {
            for (const std::string& name : launch.Unset)
                if (entry.rfind(name + "=", 0) == 0)
                    return true;
            return entry.rfind("QT_QPA_", 0) == 0 || entry.rfind("QT_PLUGIN_PATH=", 0) == 0;
        };
        std::vector<std::string> settings;
        for (char** entry = environ; *entry; ++entry)
            if (!dropped(*entry))
                settings.emplace_back(*entry);
        settings.insert(settings.end(), launch.Set.begin(), launch.Set.end());
        settings.emplace_back("QT_QPA_PLATFORM=offscreen");
        settings.emplace_back("QT_PLUGIN_PATH=" QUINTARA_TEST_PLUGINS);
        settings.emplace_back("QT_QPA_GENERIC_PLUGINS=quintaratestinput:" + std::to_string(pipe[1])
                              + ":" + holdAt + ":" + std::to_string(raiseWhileMade));
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
        std::vector<std::string> given = launch.Arguments;
        if (given.empty())
            given = {option, home};
        std::vector<char*> arguments = {program.data()};
        for (std::string& argument : given)
            arguments.push_back(argument.data());
        arguments.push_back(nullptr);
        const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        const bool asNobody = launch.Unprivileged && ::geteuid() == 0;

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
                ::_exit(ChildSetupFailed);
            if (!launch.WorkingFolder.empty() && ::chdir(launch.WorkingFolder.c_str()) != 0)
                ::_exit(ChildSetupFailed);
            if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0))
                ::_exit(ChildSetupFailed);
            if (errors[1] >= 0 && ::dup2(errors[1], STDERR_FILENO) < 0)
                ::_exit(ChildSetupFailed);
            ::execve(arguments[0], arguments.data(), environment.data());
            // Another user may not reach the built program everywhere.
            ::_exit(errno == EACCES ? ChildSetupFailed : 127);
        }
        ::close(pipe[1]);
        if (errors[1] >= 0)
            ::close(errors[1]);
        return Started{pid, pipe[0], errors[0]};
    }

    // The plugin's lines until "ready" (true) or the end of the program or
    // the bound (false).
    static bool WaitUntilReady(const Started& run, std::string& lines) { return WaitForLine(run, "ready", lines); }

    // The plugin's lines until the line (true) or the end of the program or
    // the bound (false).
    static bool WaitForLine(const Started& run, const std::string& line, std::string& lines)
    {
        QElapsedTimer clock;
        clock.start();
        while (lines.find(line + "\n") == std::string::npos) {
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
    // passed first; the program is then killed. What it wrote on its
    // standard error, when caught, goes to errors.
    static int WaitForEnd(const Started& run, std::string* errors = nullptr)
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
        }
        if (run.Errors >= 0) {
            // Ended: the pipe's writing end is closed, the read comes to its end.
            char bytes[256];
            ssize_t got = 0;
            while ((got = ::read(run.Errors, bytes, sizeof bytes)) > 0)
                if (errors)
                    errors->append(bytes, static_cast<std::size_t>(got));
            ::close(run.Errors);
        }
        if (ended != run.Pid)
            return -1;
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

    QByteArray SettingsBytes() const
    {
        QFile file(Home + QStringLiteral("/QUINTARA.DAT"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

// A logout (SIGTERM) or Ctrl+C (SIGINT) while a start-up window is up ends
// the program in order: status 0, the lock given up, and a settings file
// that is whole or none. A first start ended in its welcome window leaves
// none, so the next start greets the user again.
TEST_F(ProgramRun, ASignalDuringTheStartUpWindowsEndsItInOrder)
{
    const struct {
        const char* Window;
        int Signal;
        bool FirstStart;
    } rows[] = {
        {"frmWelcome", SIGTERM, true},
        {"frmLogin", SIGTERM, true},
        {"frmLogin", SIGTERM, false},
        {"frmLogin", SIGINT, false},
        {"frmSplash", SIGTERM, false},
    };
    const QString lock = Home + QStringLiteral("/QUINTARA.LCK");
    const QString settingsFile = Home + QStringLiteral("/QUINTARA.DAT");
    const QString seatFile = Home + QStringLiteral("/QUINTARA.SEAT");
    const QByteArray lastRun = SettingsBytes();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Window);
        QFile::remove(settingsFile);
        if (row.FirstStart)
            QFile::remove(seatFile);
        if (!row.FirstStart) {
            QFile file(settingsFile);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(lastRun) == lastRun.size());
        }
        const QByteArray settings = SettingsBytes();
        const QString entries =
            QDir(Home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u',');
        const int runs = row.FirstStart ? 2 : 1;
        for (int run = 0; run < runs; ++run) {
            const Started started = Start(0, row.Window);
            ASSERT_GT(started.Pid, 0);
            std::string lines;
            if (!WaitForLine(started, std::string("shown ") + row.Window, lines)) {
                const int status = WaitForEnd(started);
                FAIL() << "no " << row.Window << " (status " << status << "): " << lines;
            }
            ::kill(started.Pid, row.Signal);
            EXPECT_EQ(WaitForEnd(started), 0) << lines;
            // The program's icon at every size, and its desktop entry's name.
            EXPECT_NE(lines.find("icon 8 org.quintara.Quintara\n"), std::string::npos) << lines;
            EXPECT_FALSE(QFile::exists(lock));
            // No message after the signal (the failed login's, the port's).
            EXPECT_EQ(lines.find("message"), std::string::npos) << lines;
        }
        if (row.FirstStart) {
            // The second run saw the welcome window again: nothing was left
            // in the program folder, not even the seat's name.
            EXPECT_FALSE(QFile::exists(settingsFile));
            EXPECT_FALSE(QFile::exists(seatFile));
            EXPECT_EQ(QDir(Home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u','), entries);
            continue;
        }
        EXPECT_EQ(ReadPending(), Pending);
        if (std::string(row.Window) == "frmLogin") {
            // Nothing is written before the login.
            EXPECT_EQ(SettingsBytes(), settings);
            continue;
        }
        // Past the login the settings are saved whole, the series kept.
        EXPECT_FALSE(SettingsBytes().isEmpty());
        const std::vector<Protocol> back = NextStart();
        EXPECT_EQ(DataFolder, Data);
        ASSERT_EQ(back.size(), 2u);
        EXPECT_TRUE(back[1] == Series);
    }
}

// A signal before the program's own code runs, while Qt makes the
// application object: SIGTERM ends it with 0 and leaves nothing (a first
// start stays a first start); the hang-up that nohup ignored stays ignored
// there too, and the start goes on to its login.
TEST_F(ProgramRun, ASignalWhileTheApplicationIsMadeEndsItOrIsIgnored)
{
    const QString settingsFile = Home + QStringLiteral("/QUINTARA.DAT");
    const QByteArray lastRun = SettingsBytes();
    ASSERT_TRUE(QFile::remove(settingsFile));
    const auto files = [this] {
        return QDir(Home).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    const QStringList before = files();
    Started run = Start(0, std::string(), SIGTERM);
    ASSERT_GT(run.Pid, 0);
    EXPECT_EQ(WaitForEnd(run), 0);
    EXPECT_EQ(files(), before);

    {
        QFile file(settingsFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(lastRun) == lastRun.size());
    }
    run = Start(0, "frmLogin", SIGHUP);
    ASSERT_GT(run.Pid, 0);
    std::string lines;
    const bool shown = WaitForLine(run, "shown frmLogin", lines);
    ::kill(run.Pid, SIGTERM);
    EXPECT_EQ(WaitForEnd(run), 0) << lines;
    EXPECT_TRUE(shown) << lines;
    EXPECT_EQ(SettingsBytes(), lastRun);
}

// A program folder the program cannot keep anything in (not even its log)
// ends the start before any window asks for work: one line on standard
// error naming the folder and the system's reason, the program's own message
// on the display, status 1.
TEST_F(ProgramRun, AProgramFolderThatCannotBeUsedEndsTheStartWithItsReason)
{
    const QString file = Temp.path() + QStringLiteral("/File");
    {
        QFile made(file);
        ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    }
    const QString readOnly = Temp.path() + QStringLiteral("/ReadOnly");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    // Another user reaches the folders, without writing them.
    ASSERT_EQ(::chmod(QFile::encodeName(Temp.path()).constData(), 0711), 0);
    const std::string under = QFile::encodeName(file).toStdString() + "/x";
    const std::string locked = QFile::encodeName(readOnly).toStdString();
    const std::vector<std::string> noFolderNamed = {"QUINTARA_HOME", "XDG_DATA_HOME", "HOME"};
    const std::string usable = "QUINTARA_HOME=" + QFile::encodeName(Home).toStdString();
    const struct {
        const char* Name;
        Launch How;
        std::string Folder;
        std::vector<int> Reasons;   // the errors the system may give
        bool Made;                  // the folder was there, a file could not be made
    } rows[] = {
        {"under a file", {{"--home", under}, {}, {}, false, "", false}, under, {ENOTDIR}, false},
        {"read-only", {{"--home", locked}, {}, {}, false, "", false}, locked, {EACCES, EPERM, EROFS}, true},
        {"read-only, as another user", {{"--home", locked}, {}, {}, true, "", false}, locked, {EACCES}, true},
        {"a user without a home", {{"-style", "fusion"}, noFolderNamed, {"HOME=/nonexistent"}, true, "", false},
         "/nonexistent/.local/share/quintara", {EACCES}, false},
        // The folder the command line names counts, not the environment's.
        {"--home over QUINTARA_HOME", {{"--home", under}, {"QUINTARA_HOME"}, {usable}, false, "", false}, under,
         {ENOTDIR}, false},
        {"QUINTARA_HOME", {{"-style", "fusion"}, {"QUINTARA_HOME"}, {"QUINTARA_HOME=" + under}, false, "", false},
         under, {ENOTDIR}, false},
    };
    int checked = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        if (row.How.Unprivileged && ::geteuid() != 0)
            continue;   // the row before is this one
        // Another user must reach the folder above, as a user reaches a home.
        const QByteArray above = QFile::encodeName(Temp.path());
        if (row.How.Unprivileged
            && RunUnprivileged([&above] { return ::access(above.constData(), X_OK) == 0 ? 0 : 1; }) != 0)
            continue;
        Launch how = row.How;
        how.CatchErrors = true;
        std::unique_ptr<ReadOnlyFolder> refusing;
        if (!row.How.Unprivileged) {
            refusing = std::make_unique<ReadOnlyFolder>(readOnly);
            if (!refusing->Active())
                continue;
        }
        const Started run = Start(0, "frmLogin", 0, how);
        ASSERT_GT(run.Pid, 0);
        std::string lines;
        const bool reachedLogin = WaitForLine(run, "shown frmLogin", lines);
        if (reachedLogin)
            ::kill(run.Pid, SIGTERM);
        std::string errors;
        const int status = WaitForEnd(run, &errors);
        refusing.reset();
        if (status == ChildSetupFailed)
            continue;
        ++checked;
        EXPECT_FALSE(reachedLogin) << lines;
        EXPECT_EQ(status, 1) << errors;
        // Qt may say its own things; the program says one line.
        std::vector<std::string> own;
        for (const QString& line : QString::fromStdString(errors).split(u'\n'))
            if (line.startsWith(QLatin1String("quintara")))
                own.push_back(line.toStdString());
        EXPECT_EQ(own.size(), 1u) << errors;
        if (own.size() != 1u)
            continue;
        bool known = false;
        for (const int reason : row.Reasons)
            known = known
                || own[0] == "quintara: the program folder " + row.Folder
                        + (row.Made ? " cannot be written: " : " cannot be made: ") + std::strerror(reason);
        EXPECT_TRUE(known) << own[0];
        // The box in every language, then the folder.
        EXPECT_NE(lines.find("message Das Programmverzeichnis kann nicht"), std::string::npos) << lines;
        EXPECT_NE(lines.find("\n" + row.Folder + "\n("), std::string::npos) << lines;
        EXPECT_EQ(QDir(readOnly).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
    // Wherever the tests run, at least the folder under a file.
    EXPECT_GE(checked, 1);
}

// The command line is read once: an option's value that reads like an
// option ("-title --home") stays that option's, and the program folder is
// the one --home names, not a folder "--home" beside the program.
TEST_F(ProgramRun, TheProgramFolderIsTheOneTheCommandLineNames)
{
    const std::string home = QFile::encodeName(Home).toStdString();
    // Over the environment's folder, which is not made.
    const QString other = Temp.path() + QStringLiteral("/Other");
    const std::string otherBytes = QFile::encodeName(other).toStdString();
    const struct {
        const char* Case;
        std::vector<std::string> Arguments;
        const char* MovedTo;   // the program folder moved to this name in the working folder first
    } rows[] = {
        {"an option's value that reads like --home", {"-title", "--home", "--home", home}, nullptr},
        // Of two --home options the last counts.
        {"two --home options", {"--home", otherBytes, "--home", home}, nullptr},
        // Relative to the working folder; a name beginning with ":" is a
        // folder there, not a Qt resource.
        {"a relative name", {"--home", "Moved"}, "Moved"},
        {"a name beginning with \":\"", {"--home", ":lab"}, ":lab"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Case);
        const QString folder = row.MovedTo ? Temp.path() + u'/' + QString::fromUtf8(row.MovedTo) : Home;
        if (row.MovedTo) {
            ASSERT_TRUE(QDir().rename(Home, folder));
        }
        Launch how;
        how.Arguments = row.Arguments;
        how.WorkingFolder = QFile::encodeName(Temp.path()).toStdString();
        how.Unset = {"QUINTARA_HOME"};
        how.Set = {"QUINTARA_HOME=" + otherBytes};
        const Started run = Start(0, std::string(), 0, how);
        ASSERT_GT(run.Pid, 0);
        std::string lines;
        const bool ready = WaitUntilReady(run, lines);
        const bool lockedHere = QFile::exists(folder + QStringLiteral("/QUINTARA.LCK"));
        ::kill(run.Pid, SIGTERM);
        EXPECT_EQ(WaitForEnd(run), 0) << lines;
        EXPECT_TRUE(ready) << lines;
        EXPECT_TRUE(lockedHere);
        // Its settings were read and written there: they still name the
        // data folder (a first start would have named the program folder).
        SetProgramFolder(folder);
        ReadSettingsFile();
        StoredSettingsToGlobals();
        SetProgramFolder(Home);
        EXPECT_EQ(DataFolder, Data);
        EXPECT_FALSE(QFileInfo::exists(Temp.path() + QStringLiteral("/--home")));
        EXPECT_FALSE(QFileInfo::exists(other));
        if (row.MovedTo) {
            ASSERT_TRUE(QDir().rename(folder, Home));
        }
    }
}

// A --home whose bytes are not UTF-8 cannot name a folder the program's
// texts can name again: refused in one line, nothing made.
TEST_F(ProgramRun, AProgramFolderNamedInBytesThatAreNotUtf8IsRefused)
{
    Launch how;
    how.Arguments = {"--home", QFile::encodeName(Temp.path()).toStdString() + "/Lab\xff\xfe"};
    how.CatchErrors = true;
    const Started run = Start(0, std::string(), 0, how);
    ASSERT_GT(run.Pid, 0);
    std::string errors;
    EXPECT_EQ(WaitForEnd(run, &errors), 1);
    EXPECT_NE(errors.find("the program folder "), std::string::npos) << errors;
    EXPECT_NE(errors.find("/Lab\\xff\\xfe cannot be used: its name is not UTF-8"), std::string::npos) << errors;
    EXPECT_EQ(QDir(Temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({QStringLiteral("Data"), QStringLiteral("Home")}));
}

// What a process left on its standard output and error, and its status.
struct Ran {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs a program to its end with no display to open windows on, its output
// caught (or its standard output on a full disk); -1 as the status when it
// crashed or the bound passed first.
Ran RunWithoutDisplay(const std::string& program, const std::vector<std::string>& arguments, bool outFull = false)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name == QLatin1String("DISPLAY") || name == QLatin1String("WAYLAND_DISPLAY")
            || name == QLatin1String("XDG_SESSION_TYPE") || name.startsWith(QLatin1String("QT_QPA_")))
            environment.remove(name);
    QStringList list;
    bool text = true;
    for (const std::string& argument : arguments) {
        list << QString::fromStdString(argument);
        text = text && list.last().toStdString() == argument;
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    if (outFull)
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    // Bytes that are no UTF-8 do not come through a QString: the child
    // starts the program with them itself, its channels set up already.
    std::vector<std::string> rawArguments = {program};
    rawArguments.insert(rawArguments.end(), arguments.begin(), arguments.end());
    std::vector<std::string> rawEnvironment;
    for (const QString& entry : environment.toStringList())
        rawEnvironment.push_back(entry.toStdString());
    std::vector<char*> argv;
    for (std::string& argument : rawArguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : rawEnvironment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (!text)
        process.setChildProcessModifier([&argv, &envp] {
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        });
    process.start(QString::fromStdString(program), list);
    Ran ran;
    if (!process.waitForFinished(static_cast<int>(EndBound))) {
        process.kill();
        process.waitForFinished();
        return ran;
    }
    ran.Out = process.readAllStandardOutput().toStdString();
    ran.Err = process.readAllStandardError().toStdString();
    if (process.exitStatus() == QProcess::NormalExit)
        ran.Status = process.exitCode();
    return ran;
}

// The command line is answered before a display or the program folder is
// needed; a start without a display says so in one line of its own.
TEST(ProgramCommandLine, AnswersWithoutADisplay)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string fresh = QFile::encodeName(temp.path()).toStdString() + "/Fresh";
    const std::string version = ProgramVersion;
    const std::vector<std::string> helpNames = {"--help", "--version", "--home", "QUINTARA_HOME", "XDG_DATA_HOME",
        "HOME", "QUINTARA_COM1", "QUINTARA_COM8", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "-platform"};
    const struct {
        std::string Program;
        std::vector<std::string> Arguments;
        int Status;
        std::string Out;                     // exactly, unless Names are given
        std::vector<std::string> Names;      // each in the output
        std::string ErrorNames;              // in the one line on stderr; empty: no stderr
        bool OutFull = false;                // standard output on a full disk
    } rows[] = {
        {QUINTARA_PROGRAM_PATH, {"--home", fresh, "--help"}, 0, "", helpNames, ""},
        {QUINTARA_PROGRAM_PATH, {"--version"}, 0, "quintara " + version + "\n", {}, ""},
        {QUINTARA_PROGRAM_PATH, {"-style", "fusion", "--version"}, 0, "quintara " + version + "\n", {}, ""},
        {QUINTARA_PROGRAM_PATH, {"--home", fresh, "--frobnicate", "--help"}, 2, "", {}, "--frobnicate"},
        {QUINTARA_PROGRAM_PATH, {"--home"}, 2, "", {}, "--home"},
        {QUINTARA_PROGRAM_PATH, {"report.QTA"}, 2, "", {}, "report.QTA"},
        {QUINTARA_PROGRAM_PATH, {"--home", fresh}, 1, "", {}, "DISPLAY"},
        // An answer that could not be written is no answer.
        {QUINTARA_PROGRAM_PATH, {"--help"}, 1, "", {}, "the help could not be written: No space left on device", true},
        {QUINTARA_PROGRAM_PATH, {"--version"}, 1, "", {}, "the version could not be written", true},
        // Whatever the argument holds, the refusal is one line.
        {QUINTARA_PROGRAM_PATH, {"report\n.QTA"}, 2, "", {}, "argument report\\n.QTA (see"},
        {QUINTARA_PROGRAM_PATH, {"--home", fresh, "--x\r\x1b[2J"}, 2, "", {}, "option --x\\r\\x1b[2J (see"},
        // Every character a terminal does not show as itself: C1 controls,
        // line and paragraph separators, invisible format characters, and
        // bytes that are no UTF-8.
        {QUINTARA_PROGRAM_PATH, {"report\xc2\x85.QTA"}, 2, "", {}, "argument report\\u0085.QTA (see"},
        {QUINTARA_PROGRAM_PATH, {"--x\xe2\x80\xa8y\xe2\x80\xaez"}, 2, "", {}, "option --x\\u2028y\\u202ez (see"},
        {QUINTARA_PROGRAM_PATH, {"a\xff\xc3(\xed\xa0\x80\xc3\xa9"}, 2, "", {},
         "argument a\\xff\\xc3(\\xed\\xa0\\x80\xc3\xa9 (see"},
        {QUINTARA_SIM_PATH, {"--version"}, 0, "quintara-instrument-sim " + version + "\n", {}, ""},
        {QUINTARA_SIM_PATH, {"--help"}, 0, "", {"--version", "--help", "--model"}, ""},
        {QUINTARA_SIM_PATH, {"--help"}, 1, "", {}, "the help could not be written: No space left on device", true},
        {QUINTARA_SIM_PATH, {"--version"}, 1, "", {}, "the version could not be written", true},
        {QUINTARA_SIM_PATH, {"--x\n--help"}, 2, "", {}, "option --x\\n--help (see"},
        {QUINTARA_SIM_PATH, {"--model", "2\r"}, 2, "", {}, "--model: 2\\r"},
        {QUINTARA_SIM_PATH, {"--x\xc2\x9b" "2J"}, 2, "", {}, "option --x\\u009b2J (see"},
        // A file that cannot be read, named in one line however it is named.
        {QUINTARA_SIM_PATH, {"--model", "2", "--replies", fresh + "/a\nb\xe2\x80\xa9"}, 2, "", {}, "cannot read " + fresh + "/a\\nb\\u2029"},
        {QUINTARA_SIM_PATH, {"--model", "2", "--curve", fresh + "/c\r\xff"}, 2, "", {}, "cannot read " + fresh + "/c\\r\\xff"},
    };
    for (const auto& row : rows) {
        std::string command = row.Program.substr(row.Program.rfind('/') + 1);
        for (const std::string& argument : row.Arguments)
            command += " " + argument;
        SCOPED_TRACE(command);
        const Ran ran = RunWithoutDisplay(row.Program, row.Arguments, row.OutFull);
        EXPECT_EQ(ran.Status, row.Status) << ran.Err;
        if (row.Names.empty()) {
            EXPECT_EQ(ran.Out, row.Out);
        }
        for (const std::string& name : row.Names)
            EXPECT_NE(ran.Out.find(name), std::string::npos) << name;
        if (row.ErrorNames.empty()) {
            EXPECT_EQ(ran.Err, "");
        } else {
            // One line of the program's own: no abort, no word of Qt's plugins.
            EXPECT_EQ(ran.Err.rfind(command.substr(0, command.find(' ')) + ": ", 0), 0u) << ran.Err;
            EXPECT_EQ(std::count(ran.Err.begin(), ran.Err.end(), '\n'), 1) << ran.Err;
            EXPECT_EQ(std::count_if(ran.Err.begin(), ran.Err.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }),
                      1)
                << ran.Err;
            EXPECT_NE(ran.Err.find(row.ErrorNames), std::string::npos) << ran.Err;
            EXPECT_EQ(ran.Err.find("plugin"), std::string::npos) << ran.Err;
        }
        // Nothing was made in the program folder: nothing got that far.
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(fresh)));
    }
}

// The options and environment variables a --help names, each as the manual
// page must name it too: the options from the start of an indented line,
// the variables from the lines of the help's Environment section.
std::vector<std::string> HelpNames(const std::string& help)
{
    std::vector<std::string> names;
    const QRegularExpression option(QStringLiteral("^ +(--?[a-z][a-z-]*)"));
    const QRegularExpression variable(QStringLiteral("\\b[A-Z][A-Z0-9_]{2,}\\b"));
    bool environment = false;
    for (const QString& line : QString::fromStdString(help).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char(' ')))
            environment = line == QLatin1String("Environment:");
        if (const QRegularExpressionMatch match = option.match(line); match.hasMatch())
            names.push_back(match.captured(1).toStdString());
        if (environment && line.startsWith(QLatin1String("  ")) && !line.startsWith(QLatin1String("   ")))
            for (auto it = variable.globalMatch(line); it.hasNext();)
                names.push_back(it.next().captured().toStdString());
    }
    return names;
}

// The manual pages name what their program's --help names, so neither can
// gain an option or a variable without the other.
TEST(ProgramCommandLine, TheManualPagesNameWhatTheHelpNames)
{
    const struct {
        std::string Program;
        QString Page;
        std::size_t AtLeast;   // names found in the help, so the reading works
    } rows[] = {
        {QUINTARA_PROGRAM_PATH, QStringLiteral(QUINTARA_MANUAL_PAGE), 30},
        {QUINTARA_SIM_PATH, QStringLiteral(QUINTARA_SIM_MANUAL_PAGE), 20},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Program);
        const Ran help = RunWithoutDisplay(row.Program, {"--help"});
        ASSERT_EQ(help.Status, 0);
        QFile file(row.Page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // The page as it reads: minus signs as dashes, no font changes.
        QString page = QString::fromUtf8(file.readAll());
        page.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        page.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]|\\\\&")));
        const std::vector<std::string> names = HelpNames(help.Out);
        EXPECT_GE(names.size(), row.AtLeast);
        for (const std::string& name : names) {
            const QRegularExpression named(QStringLiteral("(^|[^A-Za-z0-9_-])")
                                           + QRegularExpression::escape(QString::fromStdString(name))
                                           + QStringLiteral("($|[^A-Za-z0-9_-])"),
                                           QRegularExpression::MultilineOption);
            EXPECT_TRUE(named.match(page).hasMatch()) << name;
        }
    }
}

// The top entry of the package's changelog, read here on its own: the
// version and revision from its first line, the date from its last.
struct ChangelogTop {
    std::string Version;    // "8.0"
    std::string Revision;   // "1"
    std::string Date;       // "2026-12-07"
};

ChangelogTop ReadChangelogTop()
{
    QFile file(QStringLiteral(QUINTARA_CHANGELOG));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpressionMatch first
        = QRegularExpression(QStringLiteral("^quintara \\((?:[0-9]+:)?([^ ()]+)-([^- ()]+)\\) ")).match(text);
    const QRegularExpressionMatch last
        = QRegularExpression(QStringLiteral("^ -- [^\\n]*>  ([^\\n]+)$"), QRegularExpression::MultilineOption)
              .match(text);
    if (!first.hasMatch() || !last.hasMatch())
        return {};
    const QDate date = QDateTime::fromString(last.captured(1), Qt::RFC2822Date).date();
    return {first.captured(1).toStdString(), first.captured(2).toStdString(),
            date.toString(Qt::ISODate).toStdString()};
}

std::string BuiltFile(const char* name)
{
    QFile file(QStringLiteral(QUINTARA_BUILT_PACKAGING "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Everything that names the version follows the changelog's top entry, so a
// new entry cannot leave one of them behind.
TEST(ProgramCommandLine, EveryVersionIsTheChangelogs)
{
    const ChangelogTop top = ReadChangelogTop();
    ASSERT_FALSE(top.Version.empty());
    ASSERT_FALSE(top.Revision.empty());
    ASSERT_EQ(top.Date.size(), 10u);
    const std::string metainfo = BuiltFile("org.quintara.Quintara.metainfo.xml");
    const std::size_t release = metainfo.find("<release ");
    const std::string title = "\"" + top.Date + "\" \"Quintara " + top.Version + "\"";
    const struct {
        std::string What;
        std::string Got;
        std::string Expected;
    } rows[] = {
        {"quintara --version", RunWithoutDisplay(QUINTARA_PROGRAM_PATH, {"--version"}).Out,
         "quintara " + top.Version + "\n"},
        {"quintara-instrument-sim --version", RunWithoutDisplay(QUINTARA_SIM_PATH, {"--version"}).Out,
         "quintara-instrument-sim " + top.Version + "\n"},
        // The log's lines, the splash and the About window.
        {"the program's version", ProgramVersion, top.Version},
        // The About window's date.
        {"the program's release date",
         QString::asprintf("%04d-%02d-%02d", Year(ReleaseDate()), Month(ReleaseDate()), Day(ReleaseDate())).toStdString(),
         top.Date},
        {"the AppStream data's newest release",
         release == std::string::npos ? std::string() : metainfo.substr(release, metainfo.find('>', release) - release),
         "<release version=\"" + top.Version + "\" date=\"" + top.Date + "\""},
        {"quintara(1)", BuiltFile("quintara.1").substr(0, BuiltFile("quintara.1").find('\n')),
         ".TH QUINTARA 1 " + title + " \"User Commands\""},
        {"quintara-instrument-sim(1)",
         BuiltFile("quintara-instrument-sim.1").substr(0, BuiltFile("quintara-instrument-sim.1").find('\n')),
         ".TH QUINTARA\\-INSTRUMENT\\-SIM 1 " + title + " \"User Commands\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.Got, row.Expected) << row.What;
    // The built pages' lines fit a terminal of 80 columns, the header too.
    for (const char* page : {"quintara.1", "quintara-instrument-sim.1"}) {
        const QList<QByteArray> lines = QByteArray::fromStdString(BuiltFile(page)).split('\n');
        EXPECT_GT(lines.size(), 20) << page;
        for (qsizetype n = 0; n < lines.size(); ++n)
            EXPECT_LE(lines[n].size(), 80) << page << ":" << n + 1 << ": " << lines[n].toStdString();
    }
    // The data files' version names their layout, not the program's.
    BinaryWriter header;
    dskPutHeader(header, SettingsMagic);
    EXPECT_EQ(header.Bytes(), std::string("QTA\x03\x00" "8.0", 8));
}

// A manual page as it reads: minus signs as dashes, no font changes, fixed
// spaces as spaces.
QString ReadManualPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString page = QString::fromUtf8(file.readAll());
    page.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    page.replace(QStringLiteral("\\ "), QStringLiteral(" "));
    page.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]|\\\\&|\\\\%")));
    return page;
}

// One section of a manual page, from its heading to the next.
QString ManualSection(const QString& page, const QString& heading)
{
    const qsizetype start = page.indexOf(QStringLiteral(".SH ") + heading + u'\n');
    if (start < 0)
        return QString();
    const qsizetype end = page.indexOf(QStringLiteral("\n.SH "), start + 1);
    return page.mid(start, end < 0 ? -1 : end - start);
}

// A file name as the manual page writes it: the seat's name as "name", a
// number in a numbered name as "n", a writer's temporary file by its shape.
QString AsTheManualPageNamesIt(QString name, const QString& seat)
{
    if (!seat.isEmpty())
        name.replace(seat, QStringLiteral("name"));
    name.replace(QRegularExpression(QStringLiteral(" [0-9]+\\.")), QStringLiteral(" n."));
    name.replace(QRegularExpression(QStringLiteral("\\.[A-Za-z0-9]{6}\\.WRITING$")), QStringLiteral(".XXXXXX.WRITING"));
    return name;
}

// The FILES section of quintara(1) names the files the program makes, under
// the names it makes them, and no other file of its own: a start that takes
// the open series of the layout before seats over into its seat, the records
// of its steps, the log, the kept-aside copies.
TEST_F(ProgramRun, TheManualPageNamesTheFilesItMakes)
{
    const QString page = ReadManualPage(QStringLiteral(QUINTARA_MANUAL_PAGE));
    const QString files = ManualSection(page, QStringLiteral("FILES"));
    ASSERT_FALSE(files.isEmpty());

    // What a start makes, as the program makes it.
    NextStart();
    WriteLog(0, QStringLiteral("a line"), QStringLiteral("ManualPage"));
    QFile seatFile(Home + u'/' + QLatin1String(SeatFileName));
    ASSERT_TRUE(seatFile.open(QIODevice::ReadOnly));
    // The seat's name is its first line; the machine it was named on follows.
    const QString seat = QString::fromLatin1(seatFile.readLine()).trimmed();
    ASSERT_TRUE(IsSeatName(seat)) << seat.toStdString();
    // The page tells the lines of the seat file as the program writes them.
    const QByteArray machine = seatFile.readLine().trimmed();
    const QByteArray host = seatFile.readLine().trimmed();
    EXPECT_TRUE(seatFile.atEnd());
    EXPECT_FALSE(machine.isEmpty());
    EXPECT_FALSE(host.isEmpty());
    const qsizetype seatEntry = files.indexOf(QStringLiteral(".I QUINTARA.SEAT\n"));
    const QString seatText = files.mid(seatEntry, files.indexOf(QStringLiteral("\n.TP"), seatEntry) - seatEntry);
    // And the line a seat named anew keeps, and how it takes its former
    // seat's series over.
    for (const char* told : {"first line is the name", "second and third lines", "machine id", "host name",
                             "fourth line keeps the former seat's name", "PENDING n.QTA",
                             "from its next start it is the new seat's series"})
        EXPECT_TRUE(seatText.contains(QLatin1String(told))) << told;
    QString record;
    SystemError error;
    ASSERT_TRUE(CreateIntentRecord(Home, QLatin1String(DataFolderChangeRecordStem), IntentRecord{}, record, error));
    ASSERT_TRUE(CreateIntentRecord(Data + u'/' + SeatFolderName(seat), QLatin1String(SeriesStepRecordStem),
                                   IntentRecord{}, record, error));
    QStringList made;
    for (const QString& folder : {Home, Data})
        for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            made << it.nextFileInfo().fileName();
    // What a run makes now and then, and what it reads that the user puts there.
    const QString settings = QFileInfo(SettingsFilePath()).fileName();
    made << settings << QFileInfo(SettingsBackupPath()).fileName() << dskAsideName(settings, 1)
         << dskAsideName(settings, 2) << QLatin1String(InstanceLockFileName) << QLatin1String(TakeOverLockFileName)
         << PendingFileName(1) << PendingFileName(2) << dskAsideName(PendingFileName(1), 1)
         << QLatin1String(OldNamesFileName) << QLatin1String(MountToldFileName)
         << QFileInfo(AtomicTemporaryName(Home, settings)).fileName()
         << QStringLiteral("QUINTARA.INI") << QStringLiteral("QUINTARA.JPG");
    QStringList known;
    for (const QString& name : made)
        known << AsTheManualPageNamesIt(name, seat);
    known.removeDuplicates();
    // The run made what the page is checked against.
    for (const char* name : {SeatFileName, SeatLockFileName, "SEAT-name", "PENDING n.QTA", "PENDING n.STP",
                             "QUINTARA n.STP", "QUINTARA.LOG", ".QUINTARA.DAT.XXXXXX.WRITING"})
        EXPECT_TRUE(known.contains(QLatin1String(name))) << name << " in " << known.join(u'|').toStdString();

    // Each name of the program's own in the section is one it makes or reads...
    const QRegularExpression named(QStringLiteral(
        "(?:(?<![A-Za-z0-9_])\\.)?\\b(?:(?:QUINTARA|PENDING|SEAT)(?:-name)?(?: (?:[0-9]+|n))?(?:\\.[A-Z0-9]+)*"
        "|(?:OLDNAMES|FUSE)(?:\\.[A-Z0-9]+)+)(?:\\.[A-Za-z0-9]{6}\\.WRITING)?(?![A-Za-z0-9_-])"));
    QStringList inPage;
    for (auto it = named.globalMatch(files); it.hasNext();)
        inPage << AsTheManualPageNamesIt(it.next().captured(), QString());
    EXPECT_GE(inPage.size(), 15);
    for (const QString& name : inPage)
        EXPECT_TRUE(known.contains(name)) << name.toStdString();
    // ...and each it makes or reads is named there.
    for (const QString& name : known)
        EXPECT_TRUE(inPage.contains(name)) << name.toStdString();
}

// The manual page gives each exit status for the causes --help gives it for,
// so that a new refusal cannot be told in one and not the other.
TEST(ProgramCommandLine, TheManualPageGivesTheExitStatusesOfTheHelp)
{
    const Ran help = RunWithoutDisplay(QUINTARA_PROGRAM_PATH, {"--help"});
    ASSERT_EQ(help.Status, 0);
    const QString statuses = ManualSection(ReadManualPage(QStringLiteral(QUINTARA_MANUAL_PAGE)),
                                           QStringLiteral("\"EXIT STATUS\""));
    ASSERT_FALSE(statuses.isEmpty());
    const QString helpText = QString::fromStdString(help.Out);
    const qsizetype helpStatuses = helpText.indexOf(QStringLiteral("\nExit status:\n"));
    ASSERT_GE(helpStatuses, 0);
    // The text given for a status: from its number to the next.
    const auto told = [](const QString& text, const QString& start, const QString& next) {
        const qsizetype from = text.indexOf(start);
        if (from < 0)
            return QString();
        const qsizetype to = text.indexOf(next, from + start.size());
        return text.mid(from, to < 0 ? -1 : to - from).simplified();
    };
    const struct {
        int Status;
        std::vector<const char*> Causes;
    } rows[] = {
        {0, {"normal"}},
        {1, {"display", "program folder that cannot be made or written", "another copy", "failed login", "help",
             "version", "could not be written"}},
        {2, {"unknown option or argument"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Status);
        const QString inHelp = told(helpText.mid(helpStatuses), QStringLiteral("\n  %1  ").arg(row.Status),
                                    QStringLiteral("\n  %1  ").arg(row.Status + 1));
        const QString inPage = told(statuses, QStringLiteral(".B %1\n").arg(row.Status), QStringLiteral("\n.TP"));
        for (const char* cause : row.Causes) {
            const QRegularExpression word(QStringLiteral("\\b") + QRegularExpression::escape(QLatin1String(cause)));
            EXPECT_TRUE(word.match(inHelp).hasMatch()) << cause << " in --help: " << inHelp.toStdString();
            EXPECT_TRUE(word.match(inPage).hasMatch()) << cause << " in the page: " << inPage.toStdString();
        }
    }
}

// The simulator's page refers to the instrument table of quintara(1), which
// lists each row it can play under the name the program gives it.
TEST(ProgramCommandLine, TheManualPagesShowTheInstrumentTable)
{
    const QString page = ReadManualPage(QStringLiteral(QUINTARA_MANUAL_PAGE));
    const QString sim = ReadManualPage(QStringLiteral(QUINTARA_SIM_MANUAL_PAGE));
    EXPECT_TRUE(sim.contains(QStringLiteral("instrument table, which the section\n.B INSTRUMENTS\nof\n.BR quintara (1)")));
    const QString table = ManualSection(page, QStringLiteral("INSTRUMENTS"));
    ASSERT_FALSE(table.isEmpty());
    InitConstants();
    for (int row = 2; row <= 16; ++row)
        EXPECT_TRUE(table.contains(QStringLiteral(".TP\n.B %1\n%2\n").arg(row).arg(ModelLongNameOf(row))))
            << row << " " << ModelLongNameOf(row).toStdString();
}

} // namespace
