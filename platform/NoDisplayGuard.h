#pragma once
// The making of the application object where no display can be reached.
// Qt then ends the process with its own abort and a screenful about platform
// plugins; a user who started the program from a terminal without a desktop
// should read one line instead, and a script should see a plain failure.
//
// While a guard lives, Qt's messages are held back. A fatal one (the window
// system could not be started) prints the program's own line on standard
// error and ends the process with ExitStartRefused; nothing has been
// written by then. Released, the guard passes the held messages on as they
// came.
#include <string>

class NoDisplayGuard {
public:
    // platform: the window system asked for on the command line (-platform),
    // empty when none was.
    explicit NoDisplayGuard(const std::string& platform);
    ~NoDisplayGuard();
    NoDisplayGuard(const NoDisplayGuard&) = delete;
    NoDisplayGuard& operator=(const NoDisplayGuard&) = delete;

    // Once the application object is made.
    void Release();

    // The line a failed start prints: what could not be reached, from the
    // command line's platform and the environment.
    static std::string NoDisplayLine(const std::string& platform);

private:
    bool m_active = false;
};
