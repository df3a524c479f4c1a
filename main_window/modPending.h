#pragma once
// Series still open when the program ends are kept as "PENDING 1.QTA",
// "PENDING 2.QTA", ... in the data folder (complete test report files, not
// read-only) and come back as open series at the next start.
#include <QString>

// "PENDING " & index & ".QTA".
QString PendingFileName(int index);

// Writes Protocols(1..n) to PENDING 1.QTA .. PENDING n.QTA, each replacing
// its file whole, then deletes the pending files of an earlier run that were
// not rewritten. ok is True when every file was written; after a failed
// write no pending file is deleted, so nothing of the earlier run is lost.
void SavePendingProtocols(bool& ok);

// Appends the series of the pending files in DataFolder to Protocols and
// sorts the open series by their creation date. Files whose name does not
// hold "PENDING " and end in "QTA" (exact case), and files that are not
// readable test reports (dskGetTestReport also refuses a series whose report
// form or current property is out of range) are left out. The files stay on
// disk.
void LoadPendingProtocols();
