#pragma once
// Series still open when the program ends are kept as "PENDING 1.QTA",
// "PENDING 2.QTA", ... in the data folder (complete test report files, not
// read-only) and come back as open series at the next start.
#include "platform/ErrorCodes.h"

#include <QString>

struct Protocol;

// "PENDING " & index & ".QTA".
QString PendingFileName(int index);

// Writes the open series Protocols(1..n) as PENDING 1.QTA .. PENDING n.QTA.
// A data folder that cannot be reached is stood in for by the program
// folder first, as a recorded change of data folder that the settings
// commit (message 46 tells the operator once); the old files go when their
// folder is back, while they hold the bytes last written to them.
// Steps left open by a failed removal are completed, and the pending files
// of series that are no longer open (given up in this run) removed, first; then each open series replaces its own file whole
// (a new one gets a free number), so it keeps its old file until the new one
// is written; then the files are renamed into order one at a time. A kill at
// any point leaves every open series in exactly one file. Pending files this
// run did not load or write are left alone. ok is True when every file was
// written and every file of a closed series removed, with no step left open
// but one that waits for a folder to come back.
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

// A new open series appended to Protocols (the working record made first
// when missing); its file is written by the next save. Its index.
int AddPendingSeries(const Protocol& series);

// The caller replaced Protocols as a whole: the series of the new list are
// new ones, and the files of the earlier ones go with the next save.
void PendingSeriesReplaced();

// Saves series `index` as a new test report in its style folder, named as
// dskSaveNewTestReport names it, and lets its pending file go. A step of two
// files, recorded first beside the pending file: the report under its name is
// its commit point, so a kill before it leaves the series open and one after
// it lets the next start remove the pending file. False when the report is
// not saved (nothing of the step stays; the series keeps its file), with the
// error in failure; a pending file that could not be removed afterwards
// stays named by the record, and the next save or start removes it.
// before, when given, is the series as it was before the termination: a
// program folder that stands in on the way keeps that as its pending file,
// so that a kill before the report leaves the series open as it was. A data
// folder that goes away while the report moves to its name is stood in for
// too (message 46), and the report saved into the program folder; the step
// left there is judged once the folder is back.
bool SavePendingSeriesReport(int index, SystemError* failure = nullptr, const Protocol* before = nullptr);

// Series `index` was terminated and stays in Protocols only while it is
// printed and exported: no later save writes it, and its file (when it still
// has one: a series given up unsaved) goes now, so that a kill in the
// meantime cannot bring it back.
bool EndPendingSeries(int index);

// The same after the series at `index` left Protocols (already removed from
// it, its report saved or not): its file is removed and the files of the
// series behind it move up one number by renames.
bool DropPendingSeries(int index);

// A change of data folder in three calls around the save of the settings,
// which is its commit point. Begin records the step in the program folder
// (the names it will create in the folder, chosen free, and the series'
// files it will remove), then writes every open series into the folder.
// False, with nothing of it left, when the record or a series cannot be
// written or the folder is not there (with no series open there is nothing
// to move: true; the same folder by another path moves nothing), or while
// an open step that names a file in the new folder or one of the series'
// cannot be completed. Files of the old folder that cannot be read now are
// named by the bytes last written to them, and steps left open there go
// with the change. Once the
// settings name the folder, Finish removes the files the series left; when
// they cannot name it, Undo removes what Begin wrote, and the series stay in
// their files in the old folder (what they hold beyond that in memory is
// written by the next save). Each is false when a removal failed: the
// record then stays, and the next save or start completes the step.
bool BeginDataFolderChange(const QString& folder);
bool FinishDataFolderChange();
bool UndoDataFolderChange();

// While it lives, the data settings' OK makes a new data folder the change
// above (the seat claimed there first), and a choice that finds the folder
// the program folder stands in for back asks message 48 (DataFolderBack);
// afterwards the seat's lock settles where the settings point.
struct DataFolderChoice {
    DataFolderChoice();
    ~DataFolderChoice();
    DataFolderChoice(const DataFolderChoice&) = delete;
    DataFolderChoice& operator=(const DataFolderChoice&) = delete;
};

// The folder taken as the data folder as the data settings' OK takes it
// (Yes to message 48 at a start): true when the settings name it.
bool ChooseDataFolder(const QString& folder);

// The folder a choice in the data settings takes, given the one shown: while
// the program folder stands in and the data folder it stands in for can be
// reached again, a choice of either asks message 48; Yes takes the data
// folder, No keeps the program folder. Any other folder as shown.
QString DataFolderBack(const QString& shown);

// Appends the series of the pending files in DataFolder to Protocols and
// sorts the open series by their creation date; the files loaded are the
// ones the next save replaces. First the records of steps a kill or a power
// cut interrupted are finished from the state of their commit points (also
// those in a folder the program folder stood in for, once it is back, before
// its series load); a
// record that cannot be read is kept aside with a log line, and nothing is
// removed on its word. Files whose name does not hold "PENDING " and end in
// "QTA" (exact case), and files that are no test reports at all, are left
// out and alone. A pending file that cannot be loaded (damaged, unreadable,
// an index out of range) is renamed aside as "PENDING n.QTA.BAD" (".BAD2",
// ... beside earlier ones) with one log line. A file named as the atomic
// writer's temporary ones ("PENDING n.QTA." and six letters), which a kill
// can leave, may be a user's copy: it goes to the trash with a log line; a
// symbolic link of such a name stays. Files of an older layout that cannot
// be written back are loaded, and message 32 says so once. The files stay on
// disk.
void LoadPendingProtocols();
