#include "foundation/modMain.h"

#include "foundation/frmLogin.h"
#include "foundation/frmSplash.h"
#include "foundation/frmWelcome.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "platform/Conversions.h"
#include "platform/ErrorCodes.h"
#include "platform/Installation.h"
#include "platform/InstanceLock.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/SystemEnd.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <cerrno>
#include <memory>

namespace {

std::unique_ptr<InstanceLock> g_instanceLock;

bool LockProgramFolder()
{
    if (g_instanceLock && g_instanceLock->IsLocked())
        return true;
    g_instanceLock = std::make_unique<InstanceLock>(ProgramFolder());
    if (g_instanceLock->TryLock())
        return true;
    if (g_instanceLock->HeldByAnotherCopy())
        return false;
    // A folder that cannot hold the lock file says nothing about another
    // copy: telling the user one runs would be wrong, so the start goes on.
    const SystemError error = g_instanceLock->RefusedForPermission()
        ? ErrorFromErrno(EACCES)
        : SystemError{75, QStringLiteral("Path/File access error")};
    WriteLog(error.Number, error.Text + QStringLiteral(" (") + g_instanceLock->FilePath() + QStringLiteral(")"),
             QStringLiteral("Main"));
    return true;
}

int64_t MonotonicMilliseconds()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

// Paints what is pending (the splash) without taking user input.
void PaintPending()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void PaintAndPause()
{
    PaintPending();
    QThread::msleep(10);
}

} // namespace

StartupHooks DefaultStartupHooks()
{
    StartupHooks hooks;
    hooks.AcquireInstanceLock = LockProgramFolder;
    hooks.ReadDecimalSeparator = ReadLocaleDecimalSeparator;
    hooks.ReadGroupSeparator = ReadLocaleGroupSeparator;
    hooks.InitSettings = [] { return ::InitSettings(); };
    hooks.Milliseconds = MonotonicMilliseconds;
    hooks.WaitSlice = PaintAndPause;
    return hooks;
}

void ReleaseInstanceLock() { g_instanceLock.reset(); }

int Main(const StartupHooks& hooks)
{
    // The atomic writer below this layer has no log of its own: a folder it
    // could not sync after a rename (the new name may not outlive a power
    // cut) is told here, from the first write of the run on.
    SetFolderSyncFailedReport([](const SystemError& error, const QString& folder) {
        WriteLog(error, QStringLiteral("WriteFileAtomically"), folder);
    });

    // 1. One copy at a time; nothing is read or written by a second one.
    if (!hooks.AcquireInstanceLock()) {
        MsgResult = ShowMessage(1);
        return ExitSecondCopy;
    }

    // 2. The locale's decimal separator, read once for the whole run, and
    // its thousands separator beside it.
    DecimalSeparator = hooks.ReadDecimalSeparator();
    GroupSeparator = hooks.ReadGroupSeparator ? hooks.ReadGroupSeparator() : QString();

    // 3. Constant tables and the empty records; the installation's own
    // constants (customer name, test-area variant) from QUINTARA.INI.
    InitConstants();
    InitDefaultRecords();
    LoadInstallation(ProgramFolder());

    // 4. Settings; a first start greets the user and lets them pick the language.
    // A second run of this installation on the data folder the settings
    // name, from another PC, is refused as a second copy is.
    const bool firstStart = hooks.InitSettings();
    if (hooks.AcquireSeat && !hooks.AcquireSeat()) {
        MsgResult = ShowMessage(1);
        return ExitSecondCopy;
    }
    if (firstStart)
        ShowModal(*frmWelcome::Instance());
    // The system's end during the first windows: the language chosen is not
    // kept, so the next start greets the user again.
    if (SystemEndRequested())
        return 0;

    // 5. Login; a failed one ends the program before anything is written.
    LoginLevel = 0;
    ShowModal(*frmLogin::Instance());
    if (SystemEndRequested())
        return 0;
    if (LoginLevel == 0) {
        MsgResult = ShowMessage(3);
        return ExitLoginFailed;
    }

    // 6. and 7. The splash is painted before the work goes on.
    const int64_t started = hooks.Milliseconds();
    frmSplash* splash = frmSplash::Instance();
    splash->repaint();
    PaintPending();

    // 8. A filled-in keyboard definition names the keyboard pseudo-instrument.
    if (!KeyboardDef.Instrument.isEmpty()) {
        ModelShortName[KeyboardInstrumentCode] = KeyboardDef.Instrument;
        ModelLongName[KeyboardInstrumentCode] = KeyboardDef.Instrument;
    }

    QWidget* mainWindow = nullptr;
    {
        // 9. to 12. Port and main window, under the hourglass.
        hooks.CommInit(ComPort);
        MousePointerGuard hourglass(PointerHourglass);
        PortOpen = hooks.CommOpen(ComPort);
        mainWindow = hooks.LoadMainWindow();

        // 13. The splash stays at least its time; a longer load adds no wait,
        // and the system's end none either.
        while (hooks.Milliseconds() - started <= hooks.SplashMilliseconds && !SystemEndRequested())
            hooks.WaitSlice();

        // 14. and 15.
        frmSplash::Unload();
    }

    // 16. A missing port does not stop the start. A device the user may
    // not open is named with the group to join, since choosing another port
    // would not mend it.
    if (!PortOpen)
        ShowPortNotAvailable(hooks.DeniedDevice ? hooks.DeniedDevice() : SerialDeviceDenial());

    // The system's end during the splash or the message: the loaded window
    // closes as at any system end (it keeps the open series and saves the
    // settings) and is never shown.
    if (SystemEndRequested()) {
        if (mainWindow)
            mainWindow->close();
        return 0;
    }

    // 17.
    if (mainWindow)
        mainWindow->show();
    return 0;
}
