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

// The same during the run, after open series `index` changed (a new series
// that took its first test included), so that a kill or a power cut loses
// nothing but the change in flight: only that series is written, together
// with any whose last write failed; nothing for the working record (0). A
// write that fails is logged and message 31 asks whether to try again (Yes
// tries once more at once); while writes keep failing it is not asked again,
// and the series stays in memory until the next change or the end writes it.
// True when all is on disk.
bool KeepPendingSeries(int index);

// Series `index` changed by typing: it is written by the next save of any
// series, or by KeepChangedPendingSeries once the typing pauses, instead of
// at every key.
void MarkPendingSeriesChanged(int index);
bool KeepChangedPendingSeries();

// Series `index` was terminated and stays in Protocols only while it is
// printed and exported: its file goes now, and no later save writes it, so
// that a kill in the meantime cannot bring it back.
bool EndPendingSeries(int index);

// The same after the series at `index` left Protocols (already removed from
// it, its report saved or not): its file is removed and the files of the
// series behind it move up one number by renames.
bool DropPendingSeries(int index);

// Writes every open series into the folder (the data folder chosen next) as
// a pending file under a free number, each synced, before the settings name
// that folder; their files in DataFolder are removed by the next save, once
// the settings name the new one. A pending file already in the folder that
// holds an open series (or an earlier state of it, left by a kill during an
// earlier change) is written over, further ones of it are removed, and so is
// one of a series saved as a report in DataFolder; the files of the open
// series themselves, reached by another path, are left alone. When any write
// or removal fails, the files written in the folder are removed again and the
// series stay where they were: false. A folder that is not there takes no
// series (false), but with none open there is nothing to move (true).
// The folder DataFolder itself is a move back (the settings could not name
// the folder the series went to): each series is written over its own file
// there, and its file in the folder it leaves is removed at once. A failure
// there removes nothing in it: a series whose write failed keeps its own file
// there (written again by the next save) or, without one, stays where it is;
// false.
bool MovePendingSeries(const QString& folder);

// Appends the series of the pending files in DataFolder to Protocols and
// sorts the open series by their creation date; the files loaded are the
// ones the next save replaces. Files whose name does not hold "PENDING " and
// end in "QTA" (exact case), and files that are no test reports at all, are
// left out and alone. A pending file that cannot be loaded (damaged,
// unreadable, an index out of range) is renamed aside as "PENDING n.QTA.BAD"
// (".BAD2", ... beside earlier ones) with one log line. A file named as the
// atomic writer's temporary ones ("PENDING n.QTA." and six letters), which a
// kill can leave, may be a user's copy: it goes to the trash with a log line;
// a symbolic link of such a name stays. Files of an older
// layout that cannot be written back are loaded, and message 32 says so once.
// The files stay on disk.
void LoadPendingProtocols();
