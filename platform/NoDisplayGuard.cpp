#include "platform/NoDisplayGuard.h"

#include "platform/CommandLine.h"

#include <QByteArray>
#include <QMessageLogContext>
#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <vector>
#include <unistd.h>

namespace {

struct HeldMessage {
    QtMsgType Type = QtDebugMsg;
    QByteArray Category;
    QString Text;
};

QtMessageHandler g_previous = nullptr;
std::vector<HeldMessage> g_held;
std::string g_line;

void WriteAll(const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // Only what is safe inside Qt's half-made application: no Qt call, and
        // _exit, so that no destructor runs over it.
        WriteAll(g_line);
        ::_exit(ExitStartRefused);
    }
    g_held.push_back(HeldMessage{type, QByteArray(context.category ? context.category : "default"), text});
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

std::string NoDisplayGuard::NoDisplayLine(const std::string& platform)
{
    const std::string chosen = platform.empty() ? Environment("QT_QPA_PLATFORM") : platform;
    const std::string display = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    std::string reason;
    if (!chosen.empty())
        reason = "the window system \"" + chosen + "\" could not be started";
    else if (display.empty() && wayland.empty())
        reason = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    else if (!display.empty() && !wayland.empty())
        reason = "the display " + display + " and the Wayland display " + wayland + " could not be reached";
    else if (!display.empty())
        reason = "the display " + display + " could not be reached";
    else
        reason = "the Wayland display " + wayland + " could not be reached";
    return "quintara: no display to open windows on: " + reason + "\n";
}

NoDisplayGuard::NoDisplayGuard(const std::string& platform)
{
    g_line = NoDisplayLine(platform);
    g_held.clear();
    g_previous = qInstallMessageHandler(HoldMessage);
    m_active = true;
}

NoDisplayGuard::~NoDisplayGuard() { Release(); }

void NoDisplayGuard::Release()
{
    if (!m_active)
        return;
    m_active = false;
    qInstallMessageHandler(g_previous);
    const std::vector<HeldMessage> held = std::move(g_held);
    g_held.clear();
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.Category.constData());
        if (g_previous)
            g_previous(message.Type, context, message.Text);
    }
}
