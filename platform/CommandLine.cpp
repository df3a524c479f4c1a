#include "platform/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace {

struct QtOption {
    const char* Name;
    const char* Value;   // the value's placeholder in the help; null: a flag
    const char* Help;
};

// Qt's options that a Qt program takes: QGuiApplication's, QApplication's
// and those of the X11 platform. The help text lists them from here, so it
// names exactly what goes through.
const QtOption QtOptions[] = {
    {"platform", "NAME", "the window system: xcb, wayland, offscreen"},
    {"platformpluginpath", "DIR", "where the window system plugins lie"},
    {"platformtheme", "NAME", "the desktop theme Qt follows"},
    {"plugin", "NAME", "a further input plugin"},
    {"display", "NAME", "the X display (xcb)"},
    {"geometry", "GEOMETRY", "the first window's size and place (xcb)"},
    {"qwindowgeometry", "GEOMETRY", "the first window's size and place"},
    {"title", "TITLE", "the first window's title (xcb)"},
    {"qwindowtitle", "TITLE", "the first window's title"},
    {"qwindowicon", "FILE", "the windows' icon"},
    {"name", "NAME", "the X resource name (xcb)"},
    {"visual", "VISUAL", "the X visual (xcb)"},
    {"style", "NAME", "the widget style, also as -style=NAME"},
    {"stylesheet", "FILE", "a style sheet, also as -stylesheet=FILE"},
    {"session", "ID", "the session to restore, from a session manager"},
    {"reverse", nullptr, "right-to-left layout"},
    {"widgetcount", nullptr, "count the widgets left at the end"},
    {"sync", nullptr, "synchronous X calls, for debugging (xcb)"},
    {"nograb", nullptr, "never grab the mouse or keyboard (xcb)"},
    {"dograb", nullptr, "grab them even under a debugger (xcb)"},
};

// Qt's options that also take their value after "=".
const char* const QtJoinedOptions[] = {"style", "stylesheet", "session"};

const QtOption* FindQtOption(const std::string& name)
{
    for (const QtOption& option : QtOptions)
        if (name == option.Name)
            return &option;
    return nullptr;
}

// The option's name without its one or two leading dashes; empty when the
// argument is no option of that form.
std::string QtOptionName(const std::string& argument)
{
    if (argument.size() < 2 || argument[0] != '-')
        return std::string();
    const std::size_t dashes = argument[1] == '-' ? 2 : 1;
    return argument.substr(dashes);
}

bool IsIn(const std::string& name, const char* const* first, const char* const* last)
{
    for (const char* const* it = first; it != last; ++it)
        if (name == *it)
            return true;
    return false;
}

CommandLine Refused(const std::string& line)
{
    CommandLine result;
    result.Action = CommandLineAction::Refuse;
    // The argument in it may hold anything, a line end too: the refusal
    // stays one line.
    result.Error = "quintara: " + EscapedForOneLine(line) + " (see quintara --help)";
    return result;
}

// Writes the text to standard output and flushes it; false when it did not
// get there whole.
bool WriteOut(const std::string& text)
{
    errno = 0;
    const bool written = std::fputs(text.c_str(), stdout) >= 0;
    return std::fflush(stdout) == 0 && written && !std::ferror(stdout);
}

int AnswerOnStandardOutput(const std::string& text, const char* what)
{
    if (WriteOut(text))
        return ExitNormal;
    const int error = errno != 0 ? errno : EIO;
    std::fputs((std::string("quintara: the ") + what + " could not be written: " + std::strerror(error) + "\n").c_str(),
               stderr);
    return ExitStartRefused;
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasNext = i + 1 < arguments.size();
        if (argument == "--help") {
            result.Action = CommandLineAction::Help;
            return result;
        }
        if (argument == "--version") {
            result.Action = CommandLineAction::Version;
            return result;
        }
        if (argument == "--home") {
            if (!hasNext || arguments[i + 1].empty())
                return Refused("--home needs a folder");
            result.Home = arguments[++i];
            continue;
        }
        const std::string name = QtOptionName(argument);
        const QtOption* qtOption = FindQtOption(name);
        if (qtOption && !qtOption->Value)
            continue;
        if (qtOption) {
            if (!hasNext)
                return Refused(argument + " needs a value");
            if (name == "platform")
                result.Platform = arguments[i + 1];
            ++i;
            continue;
        }
        const std::size_t equals = name.find('=');
        if (equals != std::string::npos
            && IsIn(name.substr(0, equals), std::begin(QtJoinedOptions), std::end(QtJoinedOptions)))
            continue;
        if (argument.size() > 1 && argument[0] == '-')
            return Refused("unknown option " + argument);
        return Refused("unexpected argument " + argument);
    }
    return result;
}

CommandLine ReadCommandLine(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return ReadCommandLine(arguments);
}

std::string HelpText()
{
    std::string qtOptions;
    for (const QtOption& option : QtOptions) {
        std::string usage = std::string("  -") + option.Name;
        if (option.Value)
            usage += std::string(" ") + option.Value;
        usage.resize(std::max<std::size_t>(usage.size() + 1, 29), ' ');
        qtOptions += usage + option.Help + "\n";
    }
    return "Usage: quintara [--home DIR] [Qt options]\n"
           "       quintara --help | --version\n"
           "\n"
           "Evaluates textile-testing instruments on a serial line: test series against\n"
           "their styles, test reports, printing, Q-DAS export, curve and long-term\n"
           "analysis.\n"
           "\n"
           "Options:\n"
           "  --home DIR      the program folder: settings (QUINTARA.DAT), log\n"
           "                  (QUINTARA.LOG), the lock of the running copy, and the\n"
           "                  default data folder; made when missing\n"
           "  --help          this text\n"
           "  --version       the program's version\n"
           "\n"
           "Qt options, which go on to Qt (with one dash or two):\n"
        + qtOptions
        + "\n"
          "Environment:\n"
          "  QUINTARA_HOME   the program folder when --home is not given\n"
          "  XDG_DATA_HOME   without either, the program folder is\n"
          "                  $XDG_DATA_HOME/quintara; deleted reports go to its Trash\n"
          "  HOME            without XDG_DATA_HOME, $HOME/.local/share stands for it\n"
          "  QUINTARA_COM1 ... QUINTARA_COM8\n"
          "                  the device of serial port COM1 to COM8 (any path, a\n"
          "                  pseudo-terminal too); without it COM1 to COM4 are\n"
          "                  /dev/ttyS0 to /dev/ttyS3 and COM5 to COM8 /dev/ttyUSB0 to\n"
          "                  /dev/ttyUSB3. The user must be in the device's group\n"
          "                  (usually dialout)\n"
          "  DISPLAY, WAYLAND_DISPLAY\n"
          "                  the display the windows open on\n"
          "  QT_QPA_PLATFORM Qt's window system (offscreen needs no display)\n"
          "  LC_ALL, LC_NUMERIC, LANG\n"
          "                  the locale, whose decimal separator numbers use\n"
          "\n"
          "Exit status:\n"
          "  0  a normal end, also by SIGTERM, SIGINT or SIGHUP, which end the\n"
          "     program in order (SIGINT and SIGHUP ignored at the start stay ignored)\n"
          "  1  no display to open windows on, a program folder that cannot be made\n"
          "     or written, another copy already running, or a failed login; also\n"
          "     help or version that could not be written\n"
          "  2  an unknown option or argument\n";
}

std::string VersionText(const char* version)
{
    return std::string("quintara ") + version + "\n";
}

int AnswerCommandLine(const CommandLine& commandLine, const char* version)
{
    switch (commandLine.Action) {
    case CommandLineAction::Help:
        return AnswerOnStandardOutput(HelpText(), "help");
    case CommandLineAction::Version:
        return AnswerOnStandardOutput(VersionText(version), "version");
    case CommandLineAction::Refuse:
        std::fputs((commandLine.Error + "\n").c_str(), stderr);
        return ExitUsage;
    case CommandLineAction::Run:
        break;
    }
    return ExitNormal;
}

namespace {

// The code point of the UTF-8 sequence at text[at] and its length; a length
// of 0 where the bytes there are no whole, shortest sequence of a code point
// (a stray or cut byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t DecodeUtf8(const std::string& text, std::size_t at, char32_t& code)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    std::size_t length = 0;
    char32_t least = 0;
    if (first < 0x80) {
        code = first;
        return 1;
    }
    if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
        code = first & 0x1f;
        least = 0x80;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        code = first & 0x0f;
        least = 0x800;
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        code = first & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3f);
    }
    if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

// Whether a terminal shows the code point as a mark of its own on the line:
// not a control (C0, DEL, C1), a line or paragraph separator, or one of the
// invisible format characters that move or hide the text around them
// (direction marks and overrides, zero widths, the soft hyphen, the byte
// order mark, tags), nor a noncharacter.
bool IsPrintable(char32_t code)
{
    if (code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0xad || code == 0x61c || code == 0x180e)
        return false;
    if ((code >= 0x200b && code <= 0x200f) || (code >= 0x2028 && code <= 0x202e) || (code >= 0x2060 && code <= 0x206f))
        return false;
    if (code == 0xfeff || (code >= 0xfff9 && code <= 0xfffb) || (code >= 0xfdd0 && code <= 0xfdef)
        || (code & 0xfffe) == 0xfffe)
        return false;
    return !(code >= 0xe0000 && code <= 0xe007f);
}

} // namespace

std::string EscapedForOneLine(const std::string& text)
{
    static const char Hex[] = "0123456789abcdef";
    const auto hex = [](std::string& out, uint32_t value, int digits) {
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            out += Hex[(value >> shift) & 0xf];
    };
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(text, at, code);
        if (length == 0) {
            // A byte that is no part of a character: as itself, in hex.
            result += "\\x";
            hex(result, static_cast<unsigned char>(text[at]), 2);
            ++at;
            continue;
        }
        switch (code) {
        case U'\\':
            result += "\\\\";
            break;
        case U'\n':
            result += "\\n";
            break;
        case U'\r':
            result += "\\r";
            break;
        case U'\t':
            result += "\\t";
            break;
        default:
            if (code < 0x80 && !IsPrintable(code)) {
                result += "\\x";
                hex(result, code, 2);
            } else if (!IsPrintable(code)) {
                result += code <= 0xffff ? "\\u" : "\\U";
                hex(result, code, code <= 0xffff ? 4 : 8);
            } else {
                result.append(text, at, length);
            }
            break;
        }
        at += length;
    }
    return result;
}
