#pragma once
// The program's command line, read before the application object is made:
// --help and --version answer on standard output without a display, and a
// wrong argument is refused before any window or file is touched.
//
// Qt's own options, which a user may pass to any Qt program (-platform,
// -display, -style, -session from a session manager's restart, ...), go on
// to Qt with their values, in the one-dash and the two-dash form that Qt
// takes. Anything else that is not ours is refused: the program takes no
// file names.
#include <string>
#include <vector>

// Exit statuses of the program: a normal end (the system's end by a signal
// included), a start that could not or would not go on (no display, a
// second copy, a failed login), a command line it does not understand.
inline constexpr int ExitNormal = 0;
inline constexpr int ExitStartRefused = 1;
inline constexpr int ExitUsage = 2;

enum class CommandLineAction {
    Run,       // start the program
    Help,      // print the help text and end with 0
    Version,   // print the version and end with 0
    Refuse,    // print Error on standard error and end with 2
};

struct CommandLine {
    CommandLineAction Action = CommandLineAction::Run;
    // The one line for standard error when refused (without its line end).
    std::string Error;
    // The window system asked for with -platform; empty when not given.
    std::string Platform;
    // The program folder given with --home, as its bytes; empty when not
    // given. The last --home counts.
    std::string Home;
};

// Reads the arguments after the program's name, left to right: --help and
// --version answer at once, the first argument that is not understood
// refuses. This is the one reading of the arguments: every part of the
// program takes what it needs from its result.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);
CommandLine ReadCommandLine(int argc, char** argv);

// The help text: every option and every environment variable the program
// reads, and the exit statuses.
std::string HelpText();
// The version line, "quintara 8.0".
std::string VersionText(const char* version);

// Prints what a command line that does not run the program asks for (help
// or version on standard output, a refusal on standard error) and returns
// the exit status. Help or version that could not be written whole (a full
// disk, a closed pipe) end with ExitStartRefused and a line on standard
// error, so that a script does not take a cut text for the answer.
int AnswerCommandLine(const CommandLine& commandLine, const char* version);

// The text as it may stand in one line on a terminal, read as UTF-8: the
// backslash and every character a terminal does not show as a mark of its
// own written as C escapes: ASCII controls as "\n", "\x1b"; others (C1
// controls, line and paragraph separators, invisible format characters) as
// "\u0085", "\u2028"; a byte that is no part of a UTF-8 character as
// "\xff". Printable characters stay as they are.
std::string EscapedForOneLine(const std::string& text);
