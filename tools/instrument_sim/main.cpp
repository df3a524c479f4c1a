// quintara-instrument-sim: a simulated instrument on a pseudo-terminal, for
// the tests and for anyone without an instrument at hand. It plays one model
// of the instrument table: it waits for the model's request, answers with the
// next data string of a replies file, and sends a curve in numbered blocks
// when asked. Fault modes make it misbehave the way real lines do.
//
// A program of its own on plain POSIX: it does not link the program's library,
// only the command line's escaping (plain C++) is compiled in.
#include "platform/CommandLine.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: quintara-instrument-sim --model N [options]\n"
    "\n"
    "Opens a pseudo-terminal, sets it raw and prints its device path on the first\n"
    "line of standard output. Then it plays the instrument of row N (2 to 16) of the\n"
    "instrument table. Point a port number of the program at it with\n"
    "QUINTARA_COM<n>=<device path> (or the --link path), for example\n"
    "  quintara-instrument-sim --model 6 --link /tmp/COM2 &\n"
    "  QUINTARA_COM2=/tmp/COM2 quintara\n"
    "\n"
    "Requests. The instrument waits for its model's request: row 2 ESC \"P\" CR LF\n"
    "(1B 50 0D 0A), rows 3 to 14 and 16 CR (0D), row 15 the single byte 166 (A6).\n"
    "Other bytes, and other models' requests, go unanswered. It answers each request\n"
    "with the next line of the replies file (from the first again after the last),\n"
    "followed by CR LF.\n"
    "\n"
    "Turnaround. The instrument answers each request, NAK and ACK after the --delay\n"
    "turnaround, counted from the moment it read the byte; with --delay 0 it writes\n"
    "the answer in the same instant, as a peer that answers at once does.\n"
    "\n"
    "Curves. When a curve file is given, every data string is followed by a curve\n"
    "transfer: the receiver's NAK brings block 1. A block is 132 bytes: SOH (01), the\n"
    "block number (1, 2, ... as one byte), 255 minus the block number, 128 bytes of\n"
    "the file (the last block padded with 00), and the sum of those 128 bytes modulo\n"
    "256. ACK brings the next block, NAK the same block again. After the last block\n"
    "the next ACK brings EOT (04); two ACKs after it end the transfer (NAK repeats\n"
    "the EOT). Any other byte during a transfer ends it and counts as a request\n"
    "byte (a channel digit behind a switch box does not: the box takes it). The\n"
    "receiver keeps each block as a line of 128 markers (01 where a byte was above\n"
    "128, else 00) and 128 data characters (the byte, less 128 where its marker is\n"
    "01); 26 lines hold 26 blocks (3328 bytes of the file).\n"
    "\n"
    "Options:\n"
    "  --model N          the instrument-table row to play, 2 to 16 (required)\n"
    "  --replies FILE     data strings, one per line, without CR LF (a CR before the\n"
    "                     LF that ends a line is dropped). A line of 57 characters\n"
    "                     gets its checksum character appended (the byte sum modulo\n"
    "                     256, less 128 when above 128) and so makes a whole 60-byte\n"
    "                     data string; other lines are sent as they stand\n"
    "                     (Windows-1252 bytes; a checksum byte of 129 or more stands\n"
    "                     for an instrument that sets its top bit). An empty line\n"
    "                     means no answer to that request. Without a file, the\n"
    "                     reply that the model's first test type takes without a\n"
    "                     question in a style made with the style editor's\n"
    "                     defaults (its code letter, parameters and units), the\n"
    "                     reading 12.5: rows 6, 7, 8, 10, 14 and 16 send a whole\n"
    "                     data string (the model's identifier, \"KR 6100\" for row\n"
    "                     6, serial number 001, 0001 for rows 10 and 16, its\n"
    "                     checksum); rows 2, 3, 4, 5, 9, 11, 12, 13 and 15 their\n"
    "                     older short format (row 2 12.5 g over 100 m: 125 tex;\n"
    "                     row 3 125 turns over 500 mm by the untwist method: 125\n"
    "                     tpm; 16 to 48 bytes)\n"
    "  --curve FILE       the curve: the bytes of the file, 128 per block; an empty\n"
    "                     file gives EOT at once\n"
    "  --position P       behind a switch box at position P (1 to 5) of the\n"
    "                     program's instrument configuration. The program selects\n"
    "                     position P with the digit 5 - P: position 1 is \"4\",\n"
    "                     2 \"3\", 3 \"2\", 4 \"1\", 5 \"0\"; --position P is\n"
    "                     --channel 5-P\n"
    "  --channel C        behind a switch box on channel C (0 to 9), the digit\n"
    "                     itself: the box takes every digit, at any time (also\n"
    "                     before a curve or in the middle of one), and passes the\n"
    "                     other bytes on only while the last digit was C (no\n"
    "                     digit yet: none). Not together with --position\n"
    "  --link PATH        also make PATH a symbolic link to the device (an old link\n"
    "                     there is replaced; the link is removed at exit)\n"
    "  --delay MS         turnaround before each answer, in milliseconds (default 5;\n"
    "                     0: at once)\n"
    "  --transcript FILE  append every byte received to FILE as it comes\n"
    "  --baud B           send at the pace of a real line of B baud (11 bits a\n"
    "                     byte: start, 8 data, 2 stop), not as fast as the\n"
    "                     pseudo-terminal takes them (default 0: no pacing)\n"
    "\n"
    "Fault modes:\n"
    "  --silent           never answer\n"
    "  --no-crlf          send replies without CR LF\n"
    "  --cut-short N      send only the first N bytes of each reply (then CR LF;\n"
    "                     N = 0 sends a bare CR LF)\n"
    "  --bad-checksum     send data strings (58 characters or more) with the\n"
    "                     checksum character one higher (128 becomes 0)\n"
    "  --garble-block K   send block K garbled (start byte 7F, number complement\n"
    "                     XOR 55)\n"
    "  --wrong-block K    send block K with the number (and complement) of the block\n"
    "                     before it\n"
    "  --silent-block K   stay silent when block K is due\n"
    "  --bad-times N      how many times in a row the three modes above strike\n"
    "                     before block K goes out right (default 1; 0 = always)\n"
    "  --hangup-block K   send the first half of block K, then hang up and exit\n"
    "  --hangup-after MS  answer no request: hang up and exit MS milliseconds after\n"
    "                     the first one (switched off while the receiver waits)\n"
    "  --stray-byte-after K\n"
    "                     one extra byte (00) on the line after block K, just\n"
    "                     before the block (or EOT) that follows it, once: the\n"
    "                     glitch of a relay. Over a paced line (--baud) the last\n"
    "                     byte of that packet then comes after the receiver has\n"
    "                     read 132 bytes\n"
    "  --help             this text\n"
    "  --version          the version\n"
    "\n"
    "The instrument runs until SIGTERM, SIGINT or SIGHUP, until the process that\n"
    "started it ends, or until a hang-up (--hangup-block, --hangup-after). Exit\n"
    "status: 0 when it ended so, 1 when the pseudo-terminal or the --link failed\n"
    "(or this text or the version could not be written), 2 for a bad option or a\n"
    "file that cannot be read.\n";

// Request bytes of each row of the instrument table.
std::string RequestOfModel(int model)
{
    if (model == 2)
        return std::string("\x1B" "P\r\n");
    if (model == 15)
        return std::string(1, static_cast<char>(166));
    return std::string("\r");
}

// The identifier a model writes at positions 2 to 8 of its data string.
const char* IdentifierOfModel(int model)
{
    static const char* const ids[17] = {
        "0000000", "0000000", "D  7041", "MP 4300", "MP 4800", "KR 6101", "KR 6100", "KR 6420", "KR 6250",
        "KR 6401", "KR 6400", "KR 6410", "KR 6450", "KR 6801", "KR 6850", "LLISTER", "KR 6404"};
    return (model >= 0 && model <= 16) ? ids[model] : ids[0];
}

// The checksum character of a data string, computed over its first 57
// characters: the byte sum modulo 256, less 128 when above 128. The program's
// own data-string module has the same rule; this test tool keeps its own copy
// because it is built without the program's library.
char Checksum(const std::string& first57)
{
    unsigned sum = 0;
    for (char c : first57)
        sum += static_cast<unsigned char>(c);
    sum %= 256;
    if (sum > 128)
        sum -= 128;
    return static_cast<char>(sum);
}

// A whole data string of a model without its checksum: the identifier, the
// serial number with the code letter (positions 9 to 12), the four
// parameters with their units (13 to 40, already at their widths), no
// warning, the reading 12.5, the two result units with no second result, a
// blank and the flag 0 (not sent before). 57 characters.
std::string WholeDataString(int model, const std::string& serialAndLetter, const std::string& parameters,
                            char resultUnit, char result2Unit)
{
    return "\x1E" + std::string(IdentifierOfModel(model)) + serialAndLetter + parameters + " " + "  12.5"
        + resultUnit + "      " + result2Unit + " " + "0";
}

// The reply of a model without a replies file: the one its first test type
// takes without a question when the style was made with the style editor's
// defaults, so that trying the program needs no change there. Code letter,
// parameters and units are those defaults; the reading is 12.5 where the
// model sends it as it is. The models that answer with a whole data string
// send one (57 characters; the checksum is added like a line of the file),
// the older ones their own short format. Positions below count from 1, the
// start character RS (1E) being the first.
std::string DefaultReply(int model)
{
    const std::string rs = "\x1E";
    const std::string noParameters(14, ' ');   // parameters 3 and 4 with their units
    switch (model) {
    case 2:   // D 7041, yarn fineness over 100 m: 12.5 g at 5 to 10, unit g at 12 (125 tex)
        return rs + "  " + " " + "  12.5" + " " + "g" + "  ";
    case 3:   // MP 4300-II, untwist over 500 mm: 125 counted turns at 12 to 17, no warning (125 tpm)
        return rs + "43" + std::string(8, ' ') + "   125" + " ";
    case 4:   // MP 4800, tensile strength (mode y, metric): elongation 25.0 % at 4, 12.5 N at 12,
              // test length 100 mm at 25, speed 10 mm/min at 29, the skein fields blank
        return rs + "48" + "25.0" + "m" + "y" + " " + " " + "  12.5" + "N" + std::string(6, ' ') + " 100" + "   10"
            + std::string(13, ' ');
    case 5:   // KR 6100-II, static test (K): 100 mbar, 100 cm2 (H), 12.5 min (M), flag 0, serial 001
        return rs + "61" + "  100" + "K" + "H" + " " + "  12.5" + "M" + "0" + "001";
    case 6:   // KR 6100-III, static test: 100 mbar, 100 cm2, 12.5 min, the second result's unit min
        return WholeDataString(model, "001K", std::string("   100") + "C" + "   100" + ")" + noParameters, 'a',
                               'a');
    case 7:   // KR 6420, static air permeability: 200 Pa, 20 cm2, 12.5 mm/s
        return WholeDataString(model, "001 ", std::string("   200") + "?" + "    20" + ")" + noParameters, 'H',
                               ' ');
    case 8:   // KR 6250, thread density: 29 mm, mode 1 (R=1), range 8 to 300 /cm, 12.5 /cm
        return WholeDataString(model, "001 ",
                               std::string("    29") + "\"" + "     1" + " " + "     8" + "p" + "   300" + "p", 'p',
                               ' ');
    case 9:   // KR 6400-II: "64", 200 Pa, 20 cm2 (D), 12.5 mm/s (O), flag 0, serial 001
    case 11:  // KR 6410: the same, with the device code of its predecessor
        return rs + "64" + "  200" + " " + "D" + " " + "  12.5" + "O" + "0" + "001";
    case 10:  // KR 6400-III and -IV, static air permeability: serial 0001 (no code letter),
    case 16:  // 200 Pa, 20 cm2, 12.5 mm/s
        return WholeDataString(model, "0001", std::string("   200") + "?" + "    20" + ")" + noParameters, 'H',
                               ' ');
    case 12:  // KR 6450: "66", 100 kPa, 200 cm3, 30/70 kPa, 12.5 mm/s, 0.512, flag 0, serial 001
        return rs + "66" + " 1000" + "  " + " " + " 200" + " 700" + " 300" + "  12.5" + " " + "0.512" + "0" + "001";
    case 13:  // KR 6800: "68", 200 cN at 4, 1 at 9, 12.5 cN (c), flag 0, serial 001
        return rs + "68" + "  200" + " 1" + " " + "  12.5" + "c" + "0" + "001";
    case 14:  // KR 6850, tearing strength: 1, 200 cN, 12.5 cN
        return WholeDataString(model, "001 ", std::string("     1") + " " + "   200" + "7" + noParameters, '7', ' ');
    default:  // 15, Lister: "LI", no warning at 9, 12.5 s at 11 to 16, flag 0 at 18
        return rs + "LI" + std::string(5, ' ') + " " + " " + "  12.5" + " " + "0";
    }
}

struct Options {
    int model = 0;
    std::string repliesFile;
    std::string curveFile;
    int channel = -1;           // the switch-box digit it listens behind; -1: no box
    std::string link;
    int delayMs = 5;
    std::string transcript;
    bool silent = false;
    bool noCrLf = false;
    int cutShort = -1;
    bool badChecksum = false;
    int garbleBlock = 0;
    int wrongBlock = 0;
    int silentBlock = 0;
    int badTimes = 1;
    int hangupBlock = 0;
    int hangupAfter = -1;
    int baud = 0;
    int strayAfter = 0;
};

volatile sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

bool ReadWholeFile(const std::string& path, std::string& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buf[4096];
    size_t got = 0;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, got);
    std::fclose(f);
    return true;
}

bool ParseInt(const char* text, int& value)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

// Writes the help or the version to standard output and ends the process:
// with 0, or with 1 and a line on standard error when the text did not get
// there whole (a full disk, a closed pipe), so that a script does not take a
// cut text for the answer.
[[noreturn]] void Answer(const std::string& text, const char* what)
{
    errno = 0;
    const bool put = std::fputs(text.c_str(), stdout) >= 0;
    if (std::fflush(stdout) == 0 && put && !std::ferror(stdout))
        std::exit(0);
    const int error = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "quintara-instrument-sim: the %s could not be written: %s\n", what, std::strerror(error));
    std::exit(1);
}

bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help")
            Answer(kUsage, "help");
        if (a == "--version")
            Answer("quintara-instrument-sim " QUINTARA_VERSION "\n", "version");
        if (a == "--silent") {
            o.silent = true;
            continue;
        }
        if (a == "--no-crlf") {
            o.noCrLf = true;
            continue;
        }
        if (a == "--bad-checksum") {
            o.badChecksum = true;
            continue;
        }
        static const char* const valueOptions[] = {"--model", "--replies", "--curve", "--channel", "--position",
            "--link", "--delay", "--transcript", "--cut-short", "--garble-block", "--wrong-block",
            "--silent-block", "--bad-times", "--hangup-block", "--hangup-after", "--baud", "--stray-byte-after"};
        bool known = false;
        for (const char* name : valueOptions)
            known = known || a == name;
        if (!known) {
            // The argument may hold a line end: the refusal stays one line.
            std::fprintf(stderr, "quintara-instrument-sim: unknown option %s (see --help)\n",
                         EscapedForOneLine(a).c_str());
            return false;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "quintara-instrument-sim: %s needs a value\n", a.c_str());
            return false;
        }
        const char* v = argv[++i];
        bool ok = true;
        if (a == "--model")
            ok = ParseInt(v, o.model);
        else if (a == "--replies")
            o.repliesFile = v;
        else if (a == "--curve")
            o.curveFile = v;
        else if (a == "--channel" || a == "--position") {
            // Both name the one channel the box passes on: given twice, one
            // of them would be silently ignored.
            if (o.channel >= 0) {
                std::fprintf(stderr, "quintara-instrument-sim: give one of --channel and --position, once\n");
                return false;
            }
            int value = -1;
            if (a == "--channel") {
                ok = ParseInt(v, value) && value >= 0 && value <= 9;
                o.channel = value;
            } else {
                // The digit the program sends for that position.
                ok = ParseInt(v, value) && value >= 1 && value <= 5;
                o.channel = 5 - value;
            }
        }
        else if (a == "--link")
            o.link = v;
        else if (a == "--delay")
            ok = ParseInt(v, o.delayMs) && o.delayMs >= 0;
        else if (a == "--transcript")
            o.transcript = v;
        else if (a == "--cut-short")
            ok = ParseInt(v, o.cutShort) && o.cutShort >= 0;
        else if (a == "--garble-block")
            ok = ParseInt(v, o.garbleBlock) && o.garbleBlock >= 1;
        else if (a == "--wrong-block")
            ok = ParseInt(v, o.wrongBlock) && o.wrongBlock >= 1;
        else if (a == "--silent-block")
            ok = ParseInt(v, o.silentBlock) && o.silentBlock >= 1;
        else if (a == "--bad-times")
            ok = ParseInt(v, o.badTimes) && o.badTimes >= 0;
        else if (a == "--baud")
            ok = ParseInt(v, o.baud) && o.baud >= 0;
        else if (a == "--hangup-after")
            ok = ParseInt(v, o.hangupAfter) && o.hangupAfter >= 0;
        else if (a == "--stray-byte-after")
            ok = ParseInt(v, o.strayAfter) && o.strayAfter >= 1;
        else
            ok = ParseInt(v, o.hangupBlock) && o.hangupBlock >= 1;   // --hangup-block
        if (!ok) {
            std::fprintf(stderr, "quintara-instrument-sim: bad value for %s: %s\n", a.c_str(),
                         EscapedForOneLine(v).c_str());
            return false;
        }
    }
    if (o.model < 2 || o.model > 16) {
        std::fprintf(stderr, "quintara-instrument-sim: --model must be 2 to 16 (see --help)\n");
        return false;
    }
    return true;
}

void SetRaw(int fd)
{
    termios t {};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
}

void SleepMs(int ms)
{
    timespec t {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR && !g_stop) {
    }
}

class Instrument {
public:
    Instrument(const Options& o, int master)
        : m_o(o)
        , m_master(master)
        , m_request(RequestOfModel(o.model))
    {
    }

    bool Load()
    {
        if (!m_o.repliesFile.empty()) {
            std::string all;
            if (!ReadWholeFile(m_o.repliesFile, all)) {
                std::fprintf(stderr, "quintara-instrument-sim: cannot read %s\n",
                             EscapedForOneLine(m_o.repliesFile).c_str());
                return false;
            }
            size_t start = 0;
            while (start < all.size()) {
                size_t end = all.find('\n', start);
                if (end == std::string::npos)
                    end = all.size();
                std::string line = all.substr(start, end - start);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                m_replies.push_back(line);
                start = end + 1;
            }
        }
        if (m_replies.empty())
            m_replies.push_back(DefaultReply(m_o.model));
        if (!m_o.curveFile.empty()) {
            std::string curve;
            if (!ReadWholeFile(m_o.curveFile, curve)) {
                std::fprintf(stderr, "quintara-instrument-sim: cannot read %s\n",
                             EscapedForOneLine(m_o.curveFile).c_str());
                return false;
            }
            for (size_t at = 0; at < curve.size(); at += 128) {
                std::string block = curve.substr(at, 128);
                block.resize(128, '\0');
                m_blocks.push_back(block);
            }
            m_hasCurve = true;   // an empty file: EOT at once
        }
        if (!m_o.transcript.empty()) {
            m_transcript = ::open(m_o.transcript.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            if (m_transcript < 0) {
                std::fprintf(stderr, "quintara-instrument-sim: cannot write %s\n",
                             EscapedForOneLine(m_o.transcript).c_str());
                return false;
            }
        }
        return true;
    }

    ~Instrument()
    {
        if (m_transcript >= 0)
            ::close(m_transcript);
    }

    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // Plays the instrument until asked to stop (what the receiver has already
    // sent is still taken in, until the line has been quiet a moment) or until
    // it hangs up. False when the pseudo-terminal failed.
    bool Run()
    {
        for (;;) {
            while (!m_input.empty()) {
                const char c = m_input.front();
                m_input.erase(0, 1);
                if (!Byte(c))
                    return true;   // hung up
            }
            const Read r = ReadLine(g_stop ? 50 : 1000);
            if (r == Read::Failed)
                return false;
            if (r == Read::Quiet && g_stop)
                return true;
        }
    }

private:
    enum class State { Idle, Curve };
    enum class Read { Quiet, Got, Failed };

    // Waits up to timeoutMs for the receiver: its bytes are queued (and go to
    // the transcript).
    Read ReadLine(int timeoutMs)
    {
        pollfd p {m_master, POLLIN, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0)
            return errno == EINTR ? Read::Quiet : Read::Failed;
        if (r == 0)
            return Read::Quiet;
        char buf[512];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                return Read::Quiet;
            // No one on the device side: only with our own end closed.
            SleepMs(10);
            return Read::Quiet;
        }
        if (n == 0)
            return Read::Quiet;
        if (m_transcript >= 0)
            (void)!::write(m_transcript, buf, static_cast<size_t>(n));
        m_input.append(buf, static_cast<size_t>(n));
        return Read::Got;
    }

    // Takes one byte of the receiver. False when the instrument hung up.
    bool Byte(char c)
    {
        // The switch box takes a channel digit whenever it comes, also between
        // a reading and its curve, and passes nothing on while another
        // channel is chosen.
        if (m_o.channel >= 0) {
            if (c >= '0' && c <= '9') {
                m_selected = c - '0';
                return true;
            }
            if (m_selected != m_o.channel)
                return true;
        }
        if (m_state == State::Curve) {
            if (c == '\x15')
                return SendBlock();
            if (c == '\x06') {
                if (m_eotSent) {
                    if (++m_acksAfterEot >= 2)
                        m_state = State::Idle;
                    return true;
                }
                if (!m_blockSent)
                    return true;
                ++m_block;
                return SendBlock();
            }
            m_state = State::Idle;   // the receiver gave up the curve
        }
        m_heard.push_back(c);
        if (m_heard.size() > 16)
            m_heard.erase(0, m_heard.size() - 16);
        if (m_heard.size() >= m_request.size()
            && m_heard.compare(m_heard.size() - m_request.size(), m_request.size(), m_request) == 0) {
            m_heard.clear();
            if (m_o.hangupAfter >= 0) {
                SleepMs(m_o.hangupAfter);
                return false;
            }
            Answer();
        }
        return true;
    }

    void Answer()
    {
        if (m_o.silent)
            return;
        std::string reply = m_replies[m_next];
        m_next = (m_next + 1) % m_replies.size();
        if (reply.empty())
            return;   // this request goes unanswered
        if (reply.size() == 57)
            reply.push_back(Checksum(reply));
        if (m_o.badChecksum && reply.size() >= 58) {
            const unsigned char good = static_cast<unsigned char>(reply[57]);
            reply[57] = static_cast<char>((good + 1) % 129);
        }
        if (m_o.cutShort >= 0 && static_cast<size_t>(m_o.cutShort) < reply.size())
            reply.resize(static_cast<size_t>(m_o.cutShort));
        if (!m_o.noCrLf)
            reply += "\r\n";
        Send(reply);
        if (m_hasCurve) {
            m_state = State::Curve;
            m_block = 0;
            m_blockSent = false;
            m_eotSent = false;
            m_acksAfterEot = 0;
            m_badSent.assign(m_blocks.size() + 1, 0);
        }
    }

    // Whether a fault mode aimed at this block strikes this time.
    bool Strikes(int mode, int number)
    {
        if (mode != number)
            return false;
        if (m_o.badTimes != 0 && m_badSent[static_cast<size_t>(number)] >= m_o.badTimes)
            return false;
        ++m_badSent[static_cast<size_t>(number)];
        return true;
    }

    // Sends the block due (number m_block + 1), or EOT after the last one.
    // False when the instrument hangs up.
    bool SendBlock()
    {
        if (m_block >= static_cast<int>(m_blocks.size())) {
            Send(TakeStrayByte() + std::string(1, '\x04'));
            m_eotSent = true;
            m_acksAfterEot = 0;
            return true;
        }
        const int number = m_block + 1;
        m_blockSent = true;
        if (Strikes(m_o.silentBlock, number))
            return true;
        const std::string& data = m_blocks[static_cast<size_t>(m_block)];
        unsigned sum = 0;
        for (char c : data)
            sum += static_cast<unsigned char>(c);
        std::string packet;
        packet.push_back('\x01');
        packet.push_back(static_cast<char>(number & 0xFF));
        packet.push_back(static_cast<char>((255 - number) & 0xFF));
        packet += data;
        packet.push_back(static_cast<char>(sum & 0xFF));
        if (Strikes(m_o.garbleBlock, number)) {
            packet[0] = '\x7F';
            packet[2] = static_cast<char>(packet[2] ^ 0x55);
        } else if (Strikes(m_o.wrongBlock, number)) {
            packet[1] = static_cast<char>((number - 1) & 0xFF);
            packet[2] = static_cast<char>((255 - (number - 1)) & 0xFF);
        }
        if (number == m_o.hangupBlock) {
            Send(packet.substr(0, packet.size() / 2));
            return false;
        }
        Send(TakeStrayByte() + packet);
        if (number == m_o.strayAfter && !m_strayDone)
            m_strayDue = true;
        return true;
    }

    // The stray byte when one is due before this packet (once per run).
    std::string TakeStrayByte()
    {
        if (!m_strayDue)
            return std::string();
        m_strayDue = false;
        m_strayDone = true;
        return std::string(1, '\0');
    }

    void Send(const std::string& bytes)
    {
        if (m_o.delayMs > 0)
            SleepMs(m_o.delayMs);
        if (m_o.baud > 0) {
            SendPaced(bytes);
            return;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN) {
                    pollfd p {m_master, POLLOUT, 0};
                    ::poll(&p, 1, 100);
                    continue;
                }
                return;
            }
            done += static_cast<size_t>(n);
        }
    }

    // One byte at a time, each at its moment on a line of m_o.baud baud.
    void SendPaced(const std::string& bytes)
    {
        const long byteNs = 11L * 1000000000L / m_o.baud;
        timespec due {};
        ::clock_gettime(CLOCK_MONOTONIC, &due);
        for (const char c : bytes) {
            for (;;) {
                const ssize_t n = ::write(m_master, &c, 1);
                if (n == 1)
                    break;
                if (n < 0 && errno != EINTR && errno != EAGAIN)
                    return;
                pollfd p {m_master, POLLOUT, 0};
                ::poll(&p, 1, 100);
            }
            due.tv_nsec += byteNs;
            while (due.tv_nsec >= 1000000000L) {
                due.tv_nsec -= 1000000000L;
                ++due.tv_sec;
            }
            while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR && !g_stop) {
            }
        }
    }

    const Options& m_o;
    int m_master;
    std::string m_request;
    std::vector<std::string> m_replies;
    size_t m_next = 0;
    std::vector<std::string> m_blocks;
    bool m_hasCurve = false;
    std::vector<int> m_badSent;
    int m_transcript = -1;
    std::string m_input;
    State m_state = State::Idle;
    std::string m_heard;
    int m_selected = -1;
    int m_block = 0;
    bool m_blockSent = false;
    bool m_eotSent = false;
    int m_acksAfterEot = 0;
    bool m_strayDue = false;
    bool m_strayDone = false;
};

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseOptions(argc, argv, o))
        return 2;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("quintara-instrument-sim: pseudo-terminal");
        return 1;
    }
    const char* name = ::ptsname(master);
    if (!name) {
        std::perror("quintara-instrument-sim: ptsname");
        return 1;
    }
    const std::string device = name;
    // The instrument keeps the device open itself, so the line stays up while
    // the program closes and reopens its port.
    const int slave = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        std::perror("quintara-instrument-sim: open device");
        return 1;
    }
    SetRaw(slave);
    SetRaw(master);

    Instrument instrument(o, master);
    if (!instrument.Load())
        return 2;

    if (!o.link.empty()) {
        struct stat st {};
        if (::lstat(o.link.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(o.link.c_str());
        if (::symlink(device.c_str(), o.link.c_str()) != 0) {
            std::perror("quintara-instrument-sim: --link");
            return 1;
        }
    }

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A test that dies without ending its instrument must not leave it behind.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);

    std::printf("%s\n", device.c_str());
    std::fflush(stdout);

    const int status = instrument.Run() ? 0 : 1;

    if (!o.link.empty())
        ::unlink(o.link.c_str());
    ::close(master);
    ::close(slave);
    return status;
}
