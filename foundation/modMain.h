#pragma once
// The start of the program: refuses a second copy, prepares the global state,
// welcomes the user on a first start, logs the user in, shows the splash
// window for at least five seconds while the serial port opens and the main
// window loads, and shows the main window. Afterwards the program lives in
// the main window's events.
//
// The collaborators come through hooks, so tests can fake the port, the
// settings, the main window and the clock.
#include "platform/CommandLine.h"
#include "platform/SerialDevices.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

struct StartupHooks {
    // True when this copy may run (holds the single-instance lock).
    std::function<bool()> AcquireInstanceLock;
    // The locale's decimal separator.
    std::function<QString()> ReadDecimalSeparator;
    // The locale's thousands separator (none: the one that follows from the
    // decimal separator).
    std::function<QString()> ReadGroupSeparator;
    // Reads the settings; True on a first start (no settings file existed).
    std::function<bool()> InitSettings;
    // Once the settings name the data folder: True when this installation's
    // seat may run there, False while another run of it holds the data
    // folder (a program folder copied to another PC). None: no such check.
    std::function<bool()> AcquireSeat;
    std::function<void(int16_t port)> CommInit;
    std::function<bool(int16_t port)> CommOpen;
    // After a failed CommOpen: the device the user may not open, and its
    // group. None: no such device is told.
    std::function<SerialDeviceDenial()> DeniedDevice;
    // Loads the main window without showing it.
    std::function<QWidget*()> LoadMainWindow;
    // Milliseconds on a monotonic clock.
    std::function<int64_t()> Milliseconds;
    // One pass of the splash wait: keeps the splash painted (paint events
    // only, no user input) and yields the processor for a moment.
    std::function<void()> WaitSlice;
    // The least time the splash window stays up.
    int64_t SplashMilliseconds = 5000;
};

// The real collaborators that live at this level: the lock file in the
// program folder, the system locale, the settings file and the system's
// monotonic clock. The serial port and the main window sit higher up, so the
// program's entry point fills CommInit, CommOpen and LoadMainWindow.
StartupHooks DefaultStartupHooks();

// Exit statuses of a start that was refused.
inline constexpr int ExitSecondCopy = ExitStartRefused;
inline constexpr int ExitLoginFailed = ExitStartRefused;

// Runs the start-up. 0 when the main window is shown (the caller then runs
// the event loop); otherwise the exit status of a refused start (second copy:
// message 1; failed login: message 3, no settings written). From its first
// step on, a folder the atomic writer could not sync after a rename goes to
// the log.
//
// The system's end (SystemEndRequested: a logout, a signal) may come while
// the start-up windows are up: the window on screen is then rejected, no
// further one opens, and Main returns 0 without showing the main window.
// Before the login nothing is written; once the main window is loaded it
// closes as at any system end, so the settings are saved whole.
int Main(const StartupHooks& hooks);

// Gives up the single-instance lock taken by the default hook (at the very
// end of the run; tests that run Main more than once).
void ReleaseInstanceLock();
