#pragma once
// QUINTARA.LOG in the program folder: one line per error that was caught and
// not shown to the user. Nothing reads it back; the writer looks only at its
// last byte.
#include "platform/ErrorCodes.h"

#include <QString>
#include <cstdint>

// The program's version, "8.0": the build takes it from the top entry of the
// package's changelog, so the log, --version and the windows name the
// version the package carries.
extern const char ProgramVersion[];
// The date of that entry, "2026-12-07": the About window's date.
extern const char ProgramReleaseDate[];

// Appends date, time, the procedure name fitted to 20 characters, the
// version, the error number and the error text, separated by tabs and ended
// by CR LF. A last line left without its CR LF (cut short by a full disk or
// a file size limit) is ended first, so that each line starts on its own.
// A failing write is ignored.
void WriteLog(int32_t errNumber, const QString& errText, const QString& procName);

// The line of a failed file or system call: its number and the system's
// text, followed by ": " and what it concerned (a path, a name) when given.
void WriteLog(const SystemError& error, const QString& procName, const QString& concerning = QString());

// The text of the line WriteLog would append at the given date (without CR LF).
QString LogLine(double oleDate, int32_t errNumber, const QString& errText, const QString& procName);
