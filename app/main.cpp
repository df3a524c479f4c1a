// The program's entry point: the application object, the program folder, then
// the start-up sequence with the real port and main window; afterwards the
// program lives in the main window's events and ends when the main window
// closes.
#include "foundation/modLog.h"
#include "foundation/modMain.h"
#include "foundation/modMessage.h"
#include "instrument/modCommunication.h"
#include "main_window/frmMain.h"
#include "platform/CommandLine.h"
#include "platform/ErrorCodes.h"
#include "platform/NoDisplayGuard.h"
#include "platform/ProgramFolder.h"
#include "platform/ProgramIcon.h"
#include "platform/SafeFile.h"
#include "platform/SystemEnd.h"
#include "storage/modSeat.h"

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Until the start-up has shown the main window, the start-up itself ends the
// run when the system asks (the window on screen is rejected and no further
// one opens); from then on the main window closes as it does at a logout.
bool g_mainWindowShown = false;

void EndBySystem()
{
    if (g_mainWindowShown)
        frmMain::EndBySystem();
}

} // namespace

int main(int argc, char** argv)
{
    // --help, --version and a wrong argument need neither a display nor the
    // program folder.
    const CommandLine commandLine = ReadCommandLine(argc, argv);
    if (commandLine.Action != CommandLineAction::Run)
        return AnswerCommandLine(commandLine, ProgramVersion);
    // A logout or Ctrl+C from the first moment on: until the application
    // object is made, nothing is open and the process just ends with 0; from
    // then on (before anything else runs) the run ends in order, from the
    // first window on, and the session's request to save writes what is open
    // and the run goes on.
    EndAtOnceOnSignal();
    // Under a file size limit a write past it fails like one on a full disk,
    // instead of ending the program with the tests typed so far.
    IgnoreFileSizeLimitSignal();
    NoDisplayGuard noDisplay(commandLine.Platform);
    QApplication app(argc, argv);
    const bool endInstalled = InstallSystemEnd(EndBySystem, frmMain::SaveBySystem);
    const int endError = errno;
    noDisplay.Release();
    QApplication::setApplicationName(QStringLiteral("quintara"));
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileId));
    // The main window ends the program when it closes, not the last window:
    // the welcome and login windows close before the main window exists.
    QApplication::setQuitOnLastWindowClosed(false);
    // The folder the one reading of the command line names. One that cannot
    // be made or written could keep nothing of the work (not even the log,
    // which lives there): the start is refused before any window asks for
    // work, on standard error and in a box of its own.
    const ResolvedProgramFolder programFolder = ResolveProgramFolder(commandLine);
    if (programFolder.Error != 0) {
        const std::string line = UnusableProgramFolderLine(programFolder);
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        ShowMessage(MsgProgramFolderUnusable,
                    {programFolder.Folder, QString::fromLocal8Bit(std::strerror(programFolder.Error))});
        return ExitStartRefused;
    }
    // The log lives in the program folder, known only now.
    if (!endInstalled)
        WriteLog(ErrorFromErrno(endError), QStringLiteral("InstallSystemEnd"));

    StartupHooks hooks = DefaultStartupHooks();
    hooks.CommInit = [](int16_t port) { commInit(port); };
    hooks.CommOpen = [](int16_t port) { return commOpen(port); };
    hooks.DeniedDevice = commDeniedDevice;
    hooks.LoadMainWindow = []() -> QWidget* { return frmMain::Instance(); };
    hooks.AcquireSeat = EstablishSeat;
    const int refused = Main(hooks);
    if (refused != 0 || SystemEndRequested()) {
        ReleaseInstanceLock();
        return refused;
    }
    g_mainWindowShown = true;
    const int status = QApplication::exec();
    EndSeat();
    ReleaseInstanceLock();
    return status;
}
