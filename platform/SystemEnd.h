#pragma once
// The system's request to end the program: SIGTERM (a desktop's logout or
// shutdown, kill), SIGHUP (the terminal went away), SIGINT (Ctrl+C) and the
// session manager's end of the session. None of them asks the user anything:
// the program ends in order, as if its window had been closed and every
// question answered so that nothing is given up. SIGHUP and SIGINT that were
// ignored when the program started (nohup, a job started in the background)
// stay ignored: whoever started it asked that they should not end it.
//
// The session manager's request to save (a checkpoint, or a logout that may
// still be cancelled) is no end: the program writes what it holds and goes
// on; the end comes with the session's quit, which Qt hands to the
// application as a quit event.
//
// The signal handler only writes a byte into a pipe; a socket notifier on the
// pipe carries the request into the event loop, where nothing else runs at
// the same time.
#include <functional>

// Until the application object exists nothing is open and nothing has been
// written, so the signals above end the process at once with status 0 (those
// ignored at the start stay ignored). Called first thing in the run;
// InstallSystemEnd takes over as soon as the application object is made.
void EndAtOnceOnSignal();

// Installs the handlers; `end` runs once per run, in the outermost event loop,
// after every modal dialog, message box and pop-up menu open at the request
// has been closed as Cancel (the code that opened one sees its Cancel, or No
// for a question, before `end` runs). False with a log-worthy reason left in
// errno when the pipe could not be made; the signals then get their default
// back.
// `save`, when given, runs at each request of the session manager to save,
// without a question, unless the end has already been asked for.
bool InstallSystemEnd(std::function<void()> end, std::function<void()> save = {});

// True from the moment the system asked the program to end: a message box is
// then answered as Cancel without being shown (No for a question, OK for a
// notice) and a modal dialog is rejected without being shown.
bool SystemEndRequested();

// The request as the signal handler makes it, for a caller in the event loop
// (a test, the session manager's quit).
void RequestSystemEnd();

// Ends the event loop as the program's own end, once its main window has
// unloaded; any other quit that reaches the application is the session's
// end and goes through RequestSystemEnd.
void QuitProgram();
