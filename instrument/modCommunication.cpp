#include "instrument/modCommunication.h"

#include "foundation/frmResource.h"
#include "foundation/modInstrument.h"
#include "foundation/modLog.h"
#include "platform/SerialDevices.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QSerialPort>
#include <QThread>
#include <QVariant>
#include <algorithm>

namespace {

// A reception ends when more than this has passed since it began.
constexpr qint64 kReplyTimeoutMs = 1000;
// The wait sleeps in slices this long, so the time-out is seen promptly.
constexpr int kWaitSliceMs = 10;
// Writing to a serial device only hands the bytes to the driver; this bounds
// a driver that takes none.
constexpr int kWriteTimeoutMs = 1000;

// After a bad curve packet the line must have been quiet this long before the
// packet is asked for again, so that the rest of a packet that came late or
// started late is not taken for the start of the next one.
constexpr qint64 kQuietMs = 100;

// The packet of one curve block and the lines of one curve.
constexpr int kPacketLength = 132;
constexpr int kBlockDataLength = 128;
constexpr int kCurveLines = 26;

// The control keeps its port number beside the device path, as a property of
// its own, so that a reopen compares numbers and not paths.
const char* const kPortNumberProperty = "CommPort";
// Set once the control reports its errors to CloseIfGone.
const char* const kWatchedProperty = "CommWatched";

QSerialPort* Port()
{
    return frmResource::Instance()->comData;
}

void SetLineSettings(QSerialPort* port)
{
    port->setBaudRate(QSerialPort::Baud9600);
    port->setParity(QSerialPort::NoParity);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::TwoStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // Every byte is handed on as it came: nulls are kept. A byte with a parity
    // error cannot occur without parity, so no replacement is needed.
    port->setReadBufferSize(0);
}

void SetPortNumber(QSerialPort* port, int16_t number)
{
    port->setProperty(kPortNumberProperty, QVariant(static_cast<int>(number)));
    port->setPortName(SerialDeviceForPort(number));
}

// The classic error number that fits the failure of an open.
int32_t OpenErrorNumber(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return 53;   // file not found
    case QSerialPort::PermissionError:
        return 70;   // permission denied (not in the dialout group, or locked)
    case QSerialPort::OpenError:
        return 75;   // path/file access error: already open
    default:
        return 57;   // device I/O error
    }
}

bool IsLineGone(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::WriteError;
}

// The port's own error in words. Its errorString() is the text of errno at
// the moment the port saw the failure, and a hung-up line (a read that gives
// no byte) leaves there whatever an earlier call set.
QString LineErrorText(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
        return QStringLiteral("device no longer available");
    case QSerialPort::ReadError:
        return QStringLiteral("read error, the device hung up or was removed");
    default:
        return QStringLiteral("write error, the device hung up or was removed");
    }
}

// A device that hung up or was removed (a USB adapter pulled, an instrument
// switched off) stays gone for this handle even when it comes back: the port
// is closed, so that the next request opens the device anew. True when the
// line was gone.
bool CloseIfGone(QSerialPort* port)
{
    if (!port->isOpen() || !IsLineGone(port->error()))
        return false;
    WriteLog(57, QStringLiteral("Serial line lost: ") + LineErrorText(port->error()) + QStringLiteral(" (")
                     + port->portName() + QStringLiteral(")"),
             QStringLiteral("comData_OnComm"));
    port->close();
    port->clearError();
    return true;
}

// Starts a reception: forgets an error of an earlier one that did not mean a
// lost line. Bytes already waiting are kept: they are the answer.
bool BeginReception(QSerialPort* port)
{
    if (!port->isOpen())
        return false;
    port->clearError();
    return true;
}

// One slice of waiting for bytes. Blocks in the kernel until bytes come or the
// slice ends. False when the line is gone (the device hung up or was
// removed): the port is closed and the reception ends at once.
bool WaitSlice(QSerialPort* port, const QElapsedTimer& clock)
{
    const qint64 left = kReplyTimeoutMs + 1 - clock.elapsed();
    if (left <= 0)
        return true;
    const int slice = static_cast<int>(std::min<qint64>(left, kWaitSliceMs));
    QElapsedTimer sliceClock;
    sliceClock.start();
    if (port->waitForReadyRead(slice))
        return true;
    if (!port->isOpen() || CloseIfGone(port))
        return false;
    // Whatever made the wait return early, the loop must not turn into a spin.
    const qint64 spent = sliceClock.elapsed();
    if (spent < slice)
        QThread::msleep(static_cast<unsigned long>(slice - spent));
    return true;
}

bool TimedOut(const QElapsedTimer& clock)
{
    return clock.elapsed() > kReplyTimeoutMs;
}

void SetProgress(QProgressBar* progress, int k)
{
    if (progress)
        progress->setValue(std::min(k * 100 / kCurveLines, 100));
}

int Code(char c)
{
    return static_cast<unsigned char>(c);
}

// Receives up to n bytes in the two-part form of commReadBytes. With
// endAtEot, a first byte EOT ends the wait at once: that is the whole answer
// of an instrument that has no further block.
std::string ReadBytes(int16_t n, bool endAtEot)
{
    QSerialPort* serial = Port();
    if (!BeginReception(serial))
        return std::string();
    if (n <= 0)
        return std::string();
    QElapsedTimer clock;
    clock.start();
    while (serial->bytesAvailable() < n && !TimedOut(clock)) {
        if (endAtEot && serial->bytesAvailable() > 0 && serial->peek(1) == QByteArray(EOT.data(), 1))
            break;
        if (!WaitSlice(serial, clock))
            break;
    }
    if (!serial->isOpen())
        return std::string();
    const QByteArray bytes = serial->read(n);
    if (bytes.isEmpty())
        return std::string();
    std::string markers;
    std::string data;
    markers.reserve(static_cast<size_t>(n));
    data.reserve(static_cast<size_t>(bytes.size()));
    for (char b : bytes) {
        const int code = Code(b);
        if (code > 128) {
            markers.push_back(static_cast<char>(1));
            data.push_back(static_cast<char>(code - 128));
        } else {
            markers.push_back(static_cast<char>(0));
            data.push_back(b);
        }
    }
    markers.resize(static_cast<size_t>(n), static_cast<char>(0));
    return markers + data;
}

// Drops what has come in, and finds a line that hung up meanwhile (a hung-up
// device reads as ready with nothing to give).
void EmptyInput(QSerialPort* port)
{
    if (!port->isOpen())
        return;
    port->clearError();
    for (int pass = 0; pass < 4 && port->isOpen() && port->waitForReadyRead(0); ++pass) {
    }
    if (CloseIfGone(port) || !port->isOpen())
        return;
    port->clearError();
    port->clear(QSerialPort::Input);
}

// Drops what the line still carries after a bad packet: reads until no byte
// has come for kQuietMs, and never longer than the reply time-out. A stray
// byte on the line makes every later packet start one byte late; asking again
// before the line is quiet would have the rest of the bad packet taken for
// the start of the next one, over and over.
void DiscardUntilQuiet()
{
    QSerialPort* serial = Port();
    if (!serial->isOpen())
        return;
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    for (;;) {
        if (serial->bytesAvailable() > 0) {
            serial->readAll();
            quiet.restart();
        }
        const qint64 left = std::min(kQuietMs - quiet.elapsed(), kReplyTimeoutMs - total.elapsed());
        if (left <= 0)
            return;
        const int slice = static_cast<int>(std::min<qint64>(left, kWaitSliceMs));
        QElapsedTimer sliceClock;
        sliceClock.start();
        if (serial->waitForReadyRead(slice))
            continue;
        if (!serial->isOpen() || CloseIfGone(serial))
            return;
        const qint64 spent = sliceClock.elapsed();
        if (spent < slice)
            QThread::msleep(static_cast<unsigned long>(slice - spent));
    }
}

} // namespace

void commInit(int16_t port)
{
    QSerialPort* serial = Port();
    if (!serial->property(kWatchedProperty).toBool()) {
        serial->setProperty(kWatchedProperty, true);
        // A line that goes away while the program waits for the operator:
        // closed there and then, or the port would report it without end.
        // Later, because the port is still inside its own read then.
        QObject::connect(serial, &QSerialPort::errorOccurred, serial, [serial](QSerialPort::SerialPortError error) {
            if (IsLineGone(error))
                QMetaObject::invokeMethod(serial, [serial] { CloseIfGone(serial); }, Qt::QueuedConnection);
        });
    }
    if (!serial->isOpen())
        SetPortNumber(serial, port);
    SetLineSettings(serial);
    if (serial->isOpen())
        serial->clear(QSerialPort::AllDirections);
}

int16_t commPortNumber()
{
    return static_cast<int16_t>(Port()->property(kPortNumberProperty).toInt());
}

namespace {

// The device of the last commOpen that the user may not open.
SerialDeviceDenial g_denied;

// A dialog asking which ports exist opens every port number: the absent ones
// are no failure worth a log line there.
bool OpenPort(int16_t port, bool logFailure)
{
    QSerialPort* serial = Port();
    if (serial->isOpen()) {
        if (commPortNumber() == port)
            return true;
        commClose();
    }
    SetPortNumber(serial, port);
    const QString device = SerialDeviceForPort(port);
    if (device.isEmpty()) {
        if (logFailure)
            WriteLog(53, QStringLiteral("No serial device for port ") + QString::number(port),
                     QStringLiteral("commOpen"));
        return false;
    }
    SetLineSettings(serial);
    serial->clearError();
    if (!serial->open(QIODevice::ReadWrite)) {
        // A device the user may not open: the log and the operator's message
        // say whom to ask for what (a probe keeps it for its dialog too).
        if (serial->error() == QSerialPort::PermissionError) {
            const QString group = SerialDeviceGroupToJoin(device);
            if (!group.isEmpty())
                g_denied = SerialDeviceDenial{device, group};
        }
        if (logFailure) {
            QString text = serial->errorString() + QStringLiteral(" (") + device + QStringLiteral(")");
            if (!g_denied.Group.isEmpty())
                text += QStringLiteral("; the user must be in the group ") + g_denied.Group;
            WriteLog(OpenErrorNumber(serial->error()), text, QStringLiteral("commOpen"));
        }
        serial->clearError();
        return false;
    }
    // Modem lines: a pseudo-terminal has none, which is no failure.
    serial->setDataTerminalReady(true);
    serial->setRequestToSend(true);
    serial->clear(QSerialPort::AllDirections);
    serial->clearError();
    return true;
}

} // namespace

bool commOpen(int16_t port)
{
    g_denied = SerialDeviceDenial();
    return OpenPort(port, true);
}

SerialDeviceDenial commDeniedDevice()
{
    return g_denied;
}

bool commProbe(int16_t port)
{
    g_denied = SerialDeviceDenial();
    const bool opened = OpenPort(port, false);
    commClose();
    return opened;
}

bool commBeginRequest()
{
    QSerialPort* serial = Port();
    EmptyInput(serial);
    if (!serial->isOpen() && commOpen(commPortNumber()))
        EmptyInput(serial);
    return serial->isOpen();
}

bool commIsOpen()
{
    return Port()->isOpen();
}

void commClose()
{
    QSerialPort* serial = Port();
    if (serial->isOpen())
        serial->close();
    serial->clearError();
}

void commRequestForModel(int16_t model, std::string& request, int16_t& length)
{
    static const int16_t lengths[17] = {0, 11, 16, 20, 48, 20, 60, 60, 60, 20, 60, 20, 41, 20, 60, 20, 60};
    if (model < 0 || model > 16)
        return;
    length = lengths[model];
    if (model <= 1)
        request.clear();
    else if (model == 2)
        request = ESC + "P" + CR + LF;
    else if (model == 15)
        request = std::string(1, static_cast<char>(166));
    else
        request = CR;
}

void commSendString(const std::string& text)
{
    QSerialPort* serial = Port();
    if (!serial->isOpen())
        return;
    // Only what an earlier send left unsent in the program's own buffer is
    // dropped. Emptying the driver's queue as well would cut off bytes the line
    // is still carrying: the first of two ACKs, or the switch-box channel digit
    // sent just before a request.
    if (serial->bytesToWrite() > 0)
        serial->clear(QSerialPort::Output);
    if (text.empty())
        return;
    serial->clearError();
    serial->write(text.data(), static_cast<qint64>(text.size()));
    // Hands the bytes to the driver; the line carries them on by itself.
    if (!serial->waitForBytesWritten(kWriteTimeoutMs))
        CloseIfGone(serial);
}

std::string commGetDataString()
{
    QSerialPort* serial = Port();
    if (!BeginReception(serial))
        return std::string();
    QElapsedTimer clock;
    clock.start();
    std::string buffer;
    for (;;) {
        const QByteArray chunk = serial->readAll();
        buffer.append(chunk.constData(), static_cast<size_t>(chunk.size()));
        if (buffer.size() >= 2 && buffer.compare(buffer.size() - 2, 2, CR + LF) == 0)
            break;
        if (TimedOut(clock))
            break;
        if (!WaitSlice(serial, clock))
            break;
    }
    // Some instruments send the checksum character with its top bit set.
    if (buffer.size() > 2) {
        char& checksum = buffer[buffer.size() - 3];
        if (Code(checksum) >= 129)
            checksum = static_cast<char>(Code(checksum) - 128);
    }
    return buffer;
}

std::string commReadBytes(int16_t n)
{
    return ReadBytes(n, false);
}

AbtRawLines commReceiveCurveBlocks(QProgressBar* progress)
{
    AbtRawLines lines;
    int k = 0;
    bool nakDue = true;
    SetProgress(progress, k);
    // Only before the first NAK: after an ACK or NAK whatever comes is the
    // packet it asked for, however soon the instrument sends it.
    EmptyInput(Port());
    for (;;) {
        if (nakDue)
            commSendString(NAK);
        int badInRow = 0;
        std::string markers;
        std::string data;
        for (;;) {
            const std::string packet = ReadBytes(kPacketLength, true);
            markers = packet.substr(0, std::min<size_t>(packet.size(), kPacketLength));
            data = packet.size() > kPacketLength ? packet.substr(kPacketLength) : std::string();
            if (data.empty())
                return AbtRawLines();   // silence, or the line is gone
            if (data[0] == EOT[0]) {
                commSendString(ACK);
                commSendString(ACK);
                return lines;
            }
            const int blockNumber = k + 1;
            const bool good = data.size() == kPacketLength && data[0] == SOH[0]
                && 128 * Code(markers[1]) + Code(data[1]) == blockNumber
                && 255 - (Code(data[2]) + 128 * Code(markers[2])) == blockNumber;
            if (good)
                break;
            // A line that keeps failing must not hold the program forever.
            if (++badInRow >= CurveBlockRetryLimit) {
                WriteLog(57,
                         QStringLiteral("Curve block %1 refused %2 times").arg(blockNumber).arg(badInRow),
                         QStringLiteral("commReceiveCurveBlocks"));
                return AbtRawLines();
            }
            DiscardUntilQuiet();
            commSendString(NAK);
        }
        nakDue = false;
        // Blocks beyond the last line are acknowledged and dropped.
        if (k < kCurveLines)
            lines.Lines[static_cast<size_t>(k)] =
                markers.substr(3, kBlockDataLength) + data.substr(3, kBlockDataLength);
        ++k;
        commSendString(ACK);
        SetProgress(progress, k);
    }
}

std::string commHexText(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        if (!out.empty())
            out.push_back(' ');
        out.push_back(digits[Code(c) >> 4]);
        out.push_back(digits[Code(c) & 15]);
    }
    return out;
}
