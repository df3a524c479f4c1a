#include "platform/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

std::string EscapedForOneLine(const std::string& text)
{
    static const char Hex[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            result += "\\\\";
            continue;
        case '\n':
            result += "\\n";
            continue;
        case '\r':
            result += "\\r";
            continue;
        case '\t':
            result += "\\t";
            continue;
        default:
            break;
        }
        if (byte < 0x20 || byte == 0x7f) {
            result += "\\x";
            result += Hex[byte >> 4];
            result += Hex[byte & 0xf];
        } else {
            result += c;
        }
    }
    return result;
}
