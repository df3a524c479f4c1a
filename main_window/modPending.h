#pragma once
// Series still open when the program ends are kept as "PENDING 1.QTA",
// "PENDING 2.QTA", ... in the data folder (complete test report files, not
// read-only) and come back as open series at the next start.
#include <QString>

// "PENDING " & index & ".QTA".
QString PendingFileName(int index);

// Writes the open series Protocols(1..n) as PENDING 1.QTA .. PENDING n.QTA.
// The pending files of series that are no longer open (terminated in this
// run) are removed first; then each open series replaces its own file whole
// (a new one gets a free number), so it keeps its old file until the new one
// is written; then the files are renamed into order one at a time. A kill at
// any point leaves every open series in exactly one file. Pending files this
// run did not load or write are left alone. ok is True when every file was
// written and every file of a closed series removed.
void SavePendingProtocols(bool& ok);

// Appends the series of the pending files in DataFolder to Protocols and
// sorts the open series by their creation date; the files loaded are the
// ones the next save replaces. Files whose name does not hold "PENDING " and
// end in "QTA" (exact case), and files that are no test reports at all, are
// left out and alone. A pending file that cannot be loaded (damaged,
// unreadable, an index out of range) is renamed aside as "PENDING n.QTA.BAD"
// (".BAD2", ... beside earlier ones) with one log line. Files of an older
// layout that cannot be written back are loaded, and message 32 says so once.
// The files stay on disk.
void LoadPendingProtocols();
