#pragma once
// What the detail window does with the stored report it shows, without the
// window: writing it back, deleting it with its curves, the curve file of a
// test, and the copy printed against the present values of its style.
#include "foundation/Records.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The report "could not be deleted" message: a report the trash refused.
inline constexpr int16_t MsgReportNotDeleted = 40;
// The report file no longer holds what the window read: continue anyway?
inline constexpr int16_t MsgReportChangedElsewhere = 45;

// Writes the report back to its file (the path below DataFolder, its style
// folder included), once the file is seen to hold the bytes the window read
// (their SHA-256, as dskGetTestReport gave it). A file another seat changed
// or deleted meanwhile asks message 45: No leaves it as it is and writes
// nothing; Yes writes, replacing the file, or writing it anew without
// replacing one made since. Whatever the file is seen to hold once the
// question was answered is asked about again. The file is replaced whole at
// once, read-only. No other file is touched and no other folder is written:
// a data folder that is gone, or a file that cannot be read, is a failed
// write. A failed write asks message 31; Yes writes again, No gives up and
// leaves the file as it was. True only when the file was written;
// changedElsewhere tells whether the file was found changed or deleted.
bool RewriteStoredReport(const QString& path, const Protocol& report, const QByteArray& openedChecksum,
                         bool& changedElsewhere);

// Moves the report file to the trash, and only when it is gone its curve
// files. A file another seat changed since the window read it asks message
// 45 first; No deletes nothing (keptChanged set). A report already gone
// counts as deleted, and its curves follow. A report the trash keeps shows
// message 40, its curves stay, and the result is False.
bool DeleteStoredReport(const Protocol& report, const QString& path, const QByteArray& openedChecksum,
                        bool& keptChanged);

// The curve files of the report that may be deleted with it: bare ".ABT"
// names, none of the program's own files; each other name a log line.
QStringList DeletableCurveFiles(const Protocol& report);

// The curve file of test i of the report's current block when it is a bare
// ".ABT" name that is none of the program's own files; "" otherwise (an
// unusable name is logged).
QString CurveFileOfTest(const Protocol& report, int testIndex);

// The report with the test definitions of its properties replaced by those
// of the same-named style in the present style list, each with the mean as
// nominal and 10 % limits where that style leaves a result undefined. The
// report itself when no style of that name exists.
Protocol CurrentStyleCopy(const Protocol& report);
