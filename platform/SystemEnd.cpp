#include "platform/SystemEnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
std::function<void()> g_end;
std::function<void()> g_save;
bool g_requested = false;
bool g_ended = false;
bool g_quitting = false;

extern "C" void OnEndSignal(int)
{
    // Only what is safe in a signal handler; a full pipe already holds a
    // request.
    const int saved = errno;
    const char byte = 1;
    (void)!::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// Before the application object exists: nothing to end in order.
extern "C" void OnEndSignalAtOnce(int)
{
    ::_exit(0);
}

// A message box closes as the answer that gives nothing up: No for a
// question, OK for a notice; any other dialog is rejected.
void CloseAsCancel(QWidget* widget)
{
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
        for (QMessageBox::StandardButton which : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok}) {
            if (QAbstractButton* button = box->button(which)) {
                button->click();
                return;
            }
        }
        box->done(QMessageBox::Cancel);
    } else if (auto* dialog = qobject_cast<QDialog*>(widget)) {
        dialog->reject();
    } else {
        widget->close();
    }
}

void CloseModalWindows()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        if (!popup->close())
            break;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->isModal())
            CloseAsCancel(widget);
}

// Waits until the loops of the closed dialogs have returned, so that their
// callers have seen Cancel before the end runs.
void EndWhenOutermost()
{
    if (g_ended)
        return;
    if (QThread::currentThread()->loopLevel() > 1) {
        CloseModalWindows();
        QTimer::singleShot(10, qApp, EndWhenOutermost);
        return;
    }
    g_ended = true;
    if (g_end)
        g_end();
}

// A quit that the program did not make itself (the session manager's at the
// end of the session) would close the windows with their questions; it is
// taken as the system's request instead.
class SessionQuitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != qApp || event->type() != QEvent::Quit || g_quitting || g_ended)
            return false;
        RequestSystemEnd();
        return true;
    }
};

// Keeps a signal that was ignored at the start ignored; SIGTERM is the
// system's own request (logout, shutdown) and is always taken.
bool KeptIgnored(int signal)
{
    if (signal == SIGTERM)
        return false;
    struct sigaction inherited {};
    return ::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN;
}

} // namespace

void QuitProgram()
{
    // On the main thread the quit event is sent at once, within the call.
    g_quitting = true;
    QCoreApplication::quit();
    g_quitting = false;
}

void RequestSystemEnd()
{
    if (g_requested)
        return;
    g_requested = true;
    CloseModalWindows();
    QTimer::singleShot(0, qApp, EndWhenOutermost);
}

bool SystemEndRequested() { return g_requested; }

void EndAtOnceOnSignal()
{
    struct sigaction action {};
    action.sa_handler = OnEndSignalAtOnce;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        if (!KeptIgnored(signal))
            ::sigaction(signal, &action, nullptr);
}

bool InstallSystemEnd(std::function<void()> end, std::function<void()> save)
{
    g_end = std::move(end);
    g_save = std::move(save);
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Past this point an end at once could cut off the open series.
        const int saved = errno;
        for (int signal : {SIGTERM, SIGHUP, SIGINT})
            if (!KeptIgnored(signal))
                std::signal(signal, SIG_DFL);
        errno = saved;
        return false;
    }
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        RequestSystemEnd();
    });
#ifndef QT_NO_SESSIONMANAGER
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(gui, &QGuiApplication::commitDataRequest, gui, [](QSessionManager&) {
            if (g_save && !g_requested)
                g_save();
        });
#endif
    qApp->installEventFilter(new SessionQuitFilter(qApp));
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        if (!KeptIgnored(signal))
            ::sigaction(signal, &action, nullptr);
    return true;
}
