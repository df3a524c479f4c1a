#include "support/SimInstrument.h"

#include "platform/SerialDevices.h"

#include <QElapsedTimer>
#include <QFile>

namespace {
constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 2000;
} // namespace

SimInstrument::SimInstrument()
{
    // Its diagnostics go to the test's own output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setReadChannel(QProcess::StandardOutput);
}

SimInstrument::~SimInstrument()
{
    Stop();
}

QString SimInstrument::Program()
{
#ifdef QUINTARA_SIM_PATH
    return QStringLiteral(QUINTARA_SIM_PATH);
#else
    return QStringLiteral("quintara-instrument-sim");
#endif
}

bool SimInstrument::Start(const QStringList& arguments, int port)
{
    Stop();
    // Each run keeps its own transcript.
    QFile::remove(m_dir.filePath(QStringLiteral("transcript.bin")));
    QStringList args = arguments;
    args << QStringLiteral("--transcript") << m_dir.filePath(QStringLiteral("transcript.bin"));
    // Qt's serial port locks a device in a folder that every process of the
    // machine shares, under a name made from the device's path
    // (/var/lock/LCK..pts_4), and it removes the lock only after it closed
    // the device. A pseudo-terminal's number is handed out again as soon as
    // it is free: an instrument given the number another test program was
    // still closing found that program's lock, and the port would not open,
    // the more often the busier the machine. A link in this instrument's own
    // folder gives the port a lock name no other process uses.
    const QString link = m_dir.filePath(QStringLiteral("port"));
    const bool ownLink = port >= 1 && !arguments.contains(QStringLiteral("--link"));
    if (ownLink)
        args << QStringLiteral("--link") << link;
    m_process.start(Program(), args);
    if (!m_process.waitForStarted(kStartTimeoutMs))
        return false;
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (!out.contains('\n')) {
        if (clock.elapsed() > kStartTimeoutMs || m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
    }
    m_device = QString::fromLocal8Bit(out.left(out.indexOf('\n')).trimmed());
    m_portPath = ownLink ? link : m_device;
    if (port >= 1) {
        const QByteArray name = SerialPortEnvironmentName(port).toLatin1();
        m_port = port;
        m_hadVariable = qEnvironmentVariableIsSet(name.constData());
        m_savedVariable = qgetenv(name.constData());
        qputenv(name.constData(), m_portPath.toLocal8Bit());
    }
    return !m_device.isEmpty();
}

void SimInstrument::Stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(kStopTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(kStopTimeoutMs);
        }
    }
    if (m_port >= 1) {
        const QByteArray name = SerialPortEnvironmentName(m_port).toLatin1();
        if (m_hadVariable)
            qputenv(name.constData(), m_savedVariable);
        else
            qunsetenv(name.constData());
        m_port = 0;
    }
}

QString SimInstrument::WriteFile(const QString& name, const std::string& bytes)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

std::string SimInstrument::Transcript() const
{
    QFile f(m_dir.filePath(QStringLiteral("transcript.bin")));
    if (!f.open(QIODevice::ReadOnly))
        return std::string();
    const QByteArray all = f.readAll();
    return std::string(all.constData(), static_cast<size_t>(all.size()));
}
