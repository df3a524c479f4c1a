#pragma once
// The program's only contact with the instruments: one serial port (the
// control comData on the hidden resource window), set up once, opened on the
// port number of the settings, and the requests and receptions of a
// measurement. There is no receive event: every reception polls the port on
// the calling (user-interface) thread until the reply is complete or more than
// one second has passed. The wait sleeps in the kernel in short slices; it
// never returns to the event loop and never spins a core.
//
// Every text that crosses the line is a std::string of Windows-1252 bytes.
//
// A request: commBeginRequest, then (behind a switch box) the channel digit,
// the request with commSendString, and commGetDataString; for a curve
// commReceiveCurveBlocks afterwards. The input is emptied only before the
// request and before the first NAK of a curve: whatever comes after a send is
// its answer, however soon the instrument sends it.
//
// A line that reports itself gone (the device hung up or was removed) is
// closed with one log line under "comData_OnComm", at once when the program
// is idle; the next commBeginRequest opens it again.
#include "foundation/CurveRecords.h"
#include "platform/SerialDevices.h"

#include <cstdint>
#include <string>

class QProgressBar;

// Sets up the port: its number, 9600 baud, no parity, 8 data bits, 2 stop
// bits, no handshaking; buffers emptied. It does not open the port.
void commInit(int16_t port);

// Opens the port on the given number: a port open on another number is closed
// first; a port already open on this number stays open untouched (True). A
// device that is missing, in use or not permitted gives False and one log line
// under "commOpen".
bool commOpen(int16_t port);

// The device the last commOpen or commProbe could not open because the user
// may not, with the group that may; empty when it opened the port or failed
// otherwise.
SerialDeviceDenial commDeniedDevice();

// Whether the port on that number can be opened, as commOpen would; the port
// is left closed, and a failure is not logged.
bool commProbe(int16_t port);

// Closes the port when it is open.
void commClose();

// Readies the line for a request: a line found gone is closed, and a closed
// port is opened again on its number, as at start; then the input is emptied,
// so that nothing that came before is taken for the answer. False when the
// port is not open afterwards.
bool commBeginRequest();

// Whether the port is open: after a request, False when the line was lost
// on the way (it is closed then, with its log line).
bool commIsOpen();

// The port number the port is set to (0 before the first set-up).
int16_t commPortNumber();

// The request of an instrument model (row of the instrument table) and the
// length of its usual reply. A row outside 0 to 16 leaves both untouched.
void commRequestForModel(int16_t model, std::string& request, int16_t& length);

// Empties the output buffer and sends the bytes. Nothing happens when the
// port is closed (the reception that follows then finds nothing).
void commSendString(const std::string& text);

// Receives one reply: collects bytes until they end with CR LF or more than
// 1.0 s has passed. A byte of 129 or more before the final two bytes (the
// checksum position) loses 128. The empty text when nothing came.
std::string commGetDataString();

// Receives up to n bytes, those waiting included (waits until n have come or
// more than 1.0 s has passed) in the two-part form: n marker characters (code 1 where the byte was
// above 128, else 0; padded with code 0 to n), then one data character per
// received byte (the byte less 128 where its marker is 1). The empty text when
// nothing came.
std::string commReadBytes(int16_t n);

// The number of bad packets of one block, in a row, after which a curve
// transfer gives up.
inline constexpr int CurveBlockRetryLimit = 10;

// Receives a curve in numbered 132-byte blocks (SOH, number, 255 - number, 128
// data bytes, one ignored byte), asking with NAK and acknowledging with ACK,
// until the instrument sends EOT (a packet that starts with EOT is not waited
// for further). Only the first NAK is preceded by emptying the input. After a
// bad packet the line is left to fall quiet for 100 ms (at most 1.0 s) before
// the NAK, so that a stray byte costs one repeat and not the curve. Line k holds block k + 1 as 128 markers and 128 data
// characters. Silence of more than 1.0 s, a lost line or
// CurveBlockRetryLimit bad packets in a row give the empty result. Blocks
// beyond the 26th are acknowledged and dropped. The progress bar (may be null)
// shows k * 100 / 26.
AbtRawLines commReceiveCurveBlocks(QProgressBar* progress);

// Each byte as two upper-case hexadecimal digits, separated by one blank
// ("0D 0A"); the empty text for the empty text.
std::string commHexText(const std::string& text);
