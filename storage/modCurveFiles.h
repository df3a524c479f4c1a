#pragma once
// The airbag curves of a series lie as ".ABT" files in the data folder, and
// its tests name them there (TestValue::CurveFile). When the data folder
// changes, the curves of the open series go along with their pending files,
// in the same recorded step: each is copied into the new folder under a name
// free there, listed among the names the step creates, its old file among
// the names it removes; once the settings name the new folder, the tests
// name the copies.
#include "foundation/Records.h"
#include "storage/modIntentRecord.h"

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

// One curve file that a change of data folder copies.
struct CurveFileCopy {
    std::string OldName;   // as the tests name it (Windows-1252 bytes)
    std::string NewName;   // free in the new folder (the old name where it is free)
    QString OldPath;       // the file in the old folder, as found there; "" for a name only
    QString NewPath;
    QByteArray Checksum;   // SHA-256 of the bytes the old file holds
    QString OldKey;        // the old name's key (dskNameKey)
};

// The curve files that tests of these series name and that lie in folder
// `from`, each once, with the name each takes in folder `to`: its own name
// where no entry of `to` has it in any case and no other copy takes it, else
// the next free second after the date the name holds (the date and time of
// the curve), as curve files are named. Pressure-drop readings kept in the
// same field and names that could reach outside the folder are no files. A
// curve that is named but not there has nothing to copy; one that is there
// but cannot be read (or lies in a folder that cannot be reached) is logged
// and left out. Such a curve's tests keep its name only where no file of
// `to` has it; else they are to name a free name there with no file behind
// it (a copy with no OldPath), so that no test shows another's curve. In
// the order of their old names' keys.
std::vector<CurveFileCopy> PlanCurveFileCopies(const std::vector<const Protocol*>& series, const QString& from,
                                               const QString& to, const QString& procedure);

// The copies among the names the step creates, their old files among the
// names it removes.
void RecordCurveFileCopies(IntentRecord& record, const std::vector<CurveFileCopy>& copies);

// Gives each copy its name in the new folder: a second link to the same
// bytes where the file system allows it, else a read-only copy; a name taken
// meanwhile is never replaced. False, logged, at the first that fails.
bool WriteCurveFileCopies(const std::vector<CurveFileCopy>& copies, const QString& procedure);

// The tests of the series name the copies instead of the old files; the
// copies as PlanCurveFileCopies gives them (in the order of OldKey).
void NameCurveFileCopies(Protocol& series, const std::vector<CurveFileCopy>& copies);

// Whether NameCurveFileCopies would change a name the series' tests hold:
// most changes leave every curve its name, and the series need no copy.
bool CurveFileCopiesRename(const Protocol& series, const std::vector<CurveFileCopy>& copies);
