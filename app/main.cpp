// The program's entry point: the application object, the program folder, then
// the start-up sequence with the real port and main window; afterwards the
// program lives in the main window's events and ends when the main window
// closes.
#include "foundation/modLog.h"
#include "foundation/modMain.h"
#include "instrument/modCommunication.h"
#include "main_window/frmMain.h"
#include "platform/ErrorCodes.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/SystemEnd.h"
#include "storage/modSeat.h"

#include <QApplication>
#include <cerrno>

int main(int argc, char** argv)
{
    // Under a file size limit a write past it fails like one on a full disk,
    // instead of ending the program with the tests typed so far.
    IgnoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quintara"));
    // The main window ends the program when it closes, not the last window:
    // the welcome and login windows close before the main window exists.
    QApplication::setQuitOnLastWindowClosed(false);
    ResolveProgramFolder(QApplication::arguments());

    StartupHooks hooks = DefaultStartupHooks();
    hooks.CommInit = [](int16_t port) { commInit(port); };
    hooks.CommOpen = [](int16_t port) { return commOpen(port); };
    hooks.LoadMainWindow = []() -> QWidget* { return frmMain::Instance(); };
    hooks.AcquireSeat = EstablishSeat;
    const int refused = Main(hooks);
    if (refused != 0)
        return refused;
    // A logout, a shutdown or a signal closes the main window as the user
    // would, without its questions; the run then ends as after that. The
    // session's request to save writes what is open and the run goes on.
    if (!InstallSystemEnd(frmMain::EndBySystem, frmMain::SaveBySystem))
        WriteLog(ErrorFromErrno(errno), QStringLiteral("InstallSystemEnd"));
    const int status = QApplication::exec();
    EndSeat();
    ReleaseInstanceLock();
    return status;
}
