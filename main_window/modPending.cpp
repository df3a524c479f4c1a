#include "main_window/modPending.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"
#include "storage/modSeat.h"
#include "storage/modTestReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file that holds an open series, and what tells its series from the
// others should a caller replace the list without a word (see Align): the
// start date, which no edit changes, and for two series started in the same
// second the texts that name them.
struct PendingFile {
    QString Path;             // empty while the series has no file
    double Date = 0;
    QStringList Names;
    bool Stale = false;       // the file holds an older state: a write failed or waits
    bool Ended = false;       // terminated: its file went, and no other is written
};

// Field by field: joined into one text, "Lot\n7" and "R" would name the
// same series as "Lot" and "7\nR".
QStringList SeriesNames(const Protocol& p)
{
    return {p.Style.Name, QString::number(p.FormIndex), p.Reference2, p.Reference3, p.Reference4, p.Operator};
}

// One per element of Protocols, in step with it (element 0, the working
// record, has none): series are only appended and removed during a run, and
// each removal is told (DropPendingSeries).
std::vector<PendingFile> g_open(1);
// Files of series that left the list without a report (given up) and could
// not be removed yet.
QStringList g_gone;
// Message 31 was shown for a failed write and not answered by a success
// since: it is not shown again while writes keep failing.
bool g_failureTold = false;

// A step whose record is on the disk and which could not be completed (a
// removal failed): every save tries again, and the next start finishes it.
struct OpenStep {
    QString RecordPath;
    IntentRecord Record;
};
std::vector<OpenStep> g_steps;

// The change of data folder under way: the series are written into the new
// folder, and the settings may or may not come to name it.
struct FolderChange {
    bool Active = false;
    QString RecordPath;
    IntentRecord Record;
    std::vector<QString> NewPath;     // per element of Protocols; "" for none
    std::vector<bool> WasStale;       // per element, before the copies were written
};
FolderChange g_change;

const QString SaveProcedure = QStringLiteral("SavePendingProtocols");
const QString LoadProcedure = QStringLiteral("LoadPendingProtocols");

bool IsPendingName(const QString& name)
{
    return name.endsWith(QLatin1String("QTA")) && name.contains(QLatin1String("PENDING "));
}


// The name of the temporary file the atomic writer makes beside a pending
// file, left by a kill before its rename: its name, "." and six random
// letters, which Qt draws from A-Z and a-z, no digits ("PENDING 1.QTA.RDhmwy").
// A user's copy can bear such a name too ("PENDING 1.QTA.backup"), and
// nothing in the file tells the two apart: such a file goes to the trash
// (see PutLeftoverAside), never away for good. Other names (the ".BAD"
// copies kept aside, ".bak") do not match.
bool IsLeftoverTemporary(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^PENDING [1-9][0-9]*\\.QTA\\.[A-Za-z]{6}$"));
    return pattern.match(name).hasMatch();
}

// Moves a file that may be the writer's leftover out of the data folder into
// the trash, where a user's copy can be taken back from. A symbolic link (or
// anything but a plain file) of such a name is the user's and stays; so does
// a file the trash refuses, with a log line, as no start loads it.
void PutLeftoverAside(const QString& folder, const QString& name)
{
    const QString path = JoinPath(folder, name);
    struct stat file {};
    if (::lstat(QFile::encodeName(path).constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return;
    SystemError error;
    if (!dskMoveToTrash(path, error)) {
        WriteLog(error.Number, QStringLiteral("%1 (not moved to the trash: %2)").arg(error.Text, path),
                 QStringLiteral("LoadPendingProtocols"));
        return;
    }
    WriteLog(0, QStringLiteral("%1 may be left by an interrupted write; moved to the trash").arg(name),
             QStringLiteral("LoadPendingProtocols"));
}

QString FolderOf(const QString& path) { return QDir::cleanPath(QFileInfo(path).absolutePath()); }
QString CleanPath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// Renames with rename(2), which is atomic on every POSIX file system, after
// a check of its own that the new name is free: QFile::rename falls back to
// a link and an unlink where the file system refuses RENAME_NOREPLACE (NFS,
// some FUSE file systems), and a kill between the two left the series in two
// files. The rename is synced with its folder.
bool RenamePendingFile(const QString& from, const QString& to)
{
    const QByteArray target = QFile::encodeName(to);
    struct stat existing {};
    int reason = 0;
    if (::lstat(target.constData(), &existing) == 0)
        reason = EEXIST;
    else if (errno != ENOENT)
        reason = errno;
    else if (::rename(QFile::encodeName(from).constData(), target.constData()) != 0)
        reason = errno;
    if (reason != 0) {
        WriteLog(ErrorFromErrno(reason, from), SaveProcedure, from + QStringLiteral(" -> ") + to);
        return false;
    }
    SyncFolder(FolderOf(to));
    return true;
}

// Brings g_open in step with Protocols: series appended since get no file
// yet. When the list changed otherwise (a caller that set Protocols itself),
// each series takes the file of the series of its start date and names,
// else of its start date, and the files of series no longer open are to be
// removed.
void Align()
{
    const std::size_t size = std::max<std::size_t>(Protocols.size(), 1);
    bool inStep = g_open.size() <= size;
    for (std::size_t i = 1; inStep && i < g_open.size(); ++i)
        inStep = g_open[i].Path.isEmpty() || g_open[i].Date == Protocols[i].Date;
    if (inStep) {
        g_open.resize(size);
        return;
    }
    std::vector<PendingFile> known;
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (!g_open[i].Path.isEmpty())
            known.push_back(g_open[i]);
    std::vector<bool> taken(known.size(), false);
    g_open.assign(size, PendingFile{});
    for (const bool byNames : {true, false}) {
        for (std::size_t i = 1; i < Protocols.size(); ++i) {
            if (!g_open[i].Path.isEmpty())
                continue;
            for (std::size_t k = 0; k < known.size(); ++k) {
                if (taken[k] || known[k].Date != Protocols[i].Date
                    || (byNames && known[k].Names != SeriesNames(Protocols[i])))
                    continue;
                taken[k] = true;
                g_open[i] = known[k];
                break;
            }
        }
    }
    for (std::size_t k = 0; k < known.size(); ++k)
        if (!taken[k])
            g_gone << known[k].Path;
}

// The name for series i when it needs a new file: its own number when no
// file holds it, else the first free number above every open series. The
// files of the other open series count as held even when missing.
QString FreePendingName(const QString& folder, std::size_t i, const QSet<QString>& held)
{
    auto isFree = [&](int number) {
        const QString path = JoinPath(folder, PendingFileName(number));
        return !held.contains(path) && !QFileInfo::exists(path);
    };
    if (isFree(static_cast<int>(i)))
        return PendingFileName(static_cast<int>(i));
    for (int number = static_cast<int>(Protocols.size());; ++number)
        if (isFree(number))
            return PendingFileName(number);
}

// Gives series i the file PENDING i.QTA by renames, each of which moves one
// whole file to a name no file holds: a series is in exactly one file at
// every moment. A name held by a file that is not an open series' stays
// with it, and the series keeps the number it has.
void NumberInOrder(const QString& folder, std::vector<PendingFile>& files)
{
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (files[i].Path.isEmpty() || FolderOf(files[i].Path) != folder)
            continue;
        const QString target = JoinPath(folder, PendingFileName(static_cast<int>(i)));
        if (files[i].Path == target)
            continue;
        if (QFileInfo::exists(target)) {
            std::size_t holder = 0;
            for (std::size_t j = 1; j < files.size(); ++j)
                if (j != i && files[j].Path == target)
                    holder = j;
            if (holder == 0)
                continue;
            const QString free = JoinPath(folder, FreePendingName(folder, files.size(), QSet<QString>()));
            if (!RenamePendingFile(files[holder].Path, free))
                continue;
            files[holder].Path = free;
        }
        if (RenamePendingFile(files[i].Path, target))
            files[i].Path = target;
    }
}

// Only the system's "no such file" counts as removed without a removal: a
// folder that could not be searched (EACCES), an I/O error or a stale
// network handle say nothing of the file, which is then logged and tried
// again like a failed write. A removal is synced with its folder.
bool RemoveFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        const int reason = errno;
        if (reason == ENOENT)
            return true;
        WriteLog(ErrorFromErrno(reason, path), SaveProcedure, path);
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

// ---- Steps recorded before they start ------------------------------------------------

// A step that could not be completed stays open: once past its commit
// point the record says so for good, so that a later change of the file
// that marks the point (a report edited) cannot make it look undone.
void KeepStep(const QString& recordPath, IntentRecord record, bool committed)
{
    if (committed && !record.Committed) {
        record.Committed = true;
        SystemError error;
        if (!WriteIntentRecord(recordPath, record, error))
            WriteLog(error, SaveProcedure, recordPath);
    }
    g_steps.push_back(OpenStep{recordPath, record});
}

// Completes the steps left open; true when none is left.
bool FinishOpenSteps(const QString& procedure)
{
    bool ok = true;
    for (auto step = g_steps.begin(); step != g_steps.end();) {
        const bool committed = IntentCommitted(step->Record, DataFolder);
        if (FinishIntent(step->RecordPath, step->Record, committed, procedure)) {
            step = g_steps.erase(step);
        } else {
            ok = false;
            ++step;
        }
    }
    return ok;
}

// One step at a time: a new one starts only when every earlier one is
// complete, so that no step can change the commit point of another.
bool ReadyForStep(const QString& procedure)
{
    return FinishOpenSteps(procedure) && !g_change.Active;
}

// A step that failed before its commit point: what its record lists as
// created goes, and nothing else is touched.
void UndoStep(const QString& recordPath, const IntentRecord& record)
{
    if (!FinishIntent(recordPath, record, false, SaveProcedure))
        KeepStep(recordPath, record, false);
}

// The file of open series i goes into the folder the series are written to
// now (a data folder that came back, the program folder standing in for a
// missing one). Recorded, as it makes one file and removes another: the new
// file first, its old file's removal the commit point.
bool MoveSeriesFile(std::size_t i, const QString& folder, QSet<QString>& held)
{
    PendingFile& file = g_open[i];
    const QString path = JoinPath(folder, FreePendingName(folder, i, held));
    const std::string bytes = dskTestReportFileBytes(Protocols[i]);
    SystemError error;
    std::optional<IntentFile> old;
    if (!IntentFileAsFound(file.Path, old, error)) {
        WriteLog(error, SaveProcedure, file.Path);
        return false;
    }
    if (!old) {
        // Nothing left to remove: one file, no step.
        if (!dskWriteTestReportFile(path, bytes))
            return false;
    } else {
        const QString recordPath = JoinPath(folder, QLatin1String(SeriesStepRecordName));
        if (!ReadyForStep(SaveProcedure))
            return false;
        const IntentRecord record{IntentCommit::FileRemoved, QString(), false,
                                  {IntentFile{path, IntentChecksum(bytes)}}, {*old}};
        if (!WriteIntentRecord(recordPath, record, error)) {
            WriteLog(error, SaveProcedure, recordPath);
            return false;
        }
        if (!dskWriteTestReportFile(path, bytes)) {
            UndoStep(recordPath, record);
            return false;
        }
        if (!FinishIntent(recordPath, record, true, SaveProcedure)) {
            if (!IntentCommitted(record, DataFolder)) {
                // The old file could not go: it stays the series' file.
                UndoStep(recordPath, record);
                return false;
            }
            KeepStep(recordPath, record, true);
        }
    }
    file.Path = path;
    file.Stale = false;
    held.insert(path);
    return true;
}

// Brings the pending files up to the open series: steps left open are
// completed, and the files of series given up removed, first (whatever
// fails later, such a series must not come back); then series `changed`
// (every series with all) is written, and with it every series without a
// file of its own in the folder or whose last write failed; each replaces
// its own file whole, so it keeps its old file until the new one is written.
// Then the numbers follow the order. Nothing is written while a change of
// data folder is under way: its copies hold the series as they were, and
// what changed since is written by the next save after it.
bool Save(std::size_t changed, bool all)
{
    Align();
    if (g_change.Active)
        return true;
    bool ok = FinishOpenSteps(SaveProcedure);
    const std::size_t n = Protocols.empty() ? 0 : Protocols.size() - 1;
    // Where the report writer puts them: the data folder, or the program
    // folder while that is missing.
    const QString folder = CleanPath(SeatPendingFolder(dskWriteFolder(DataFolder, n > 0 ? &DataFolder : nullptr)));

    QStringList left;
    for (const QString& path : std::as_const(g_gone))
        if (!RemoveFile(path))
            left << path;
    ok = ok && left.isEmpty();
    g_gone = left;

    QSet<QString> held;
    for (std::size_t i = 1; i <= n; ++i)
        if (!g_open[i].Path.isEmpty())
            held.insert(g_open[i].Path);
    for (std::size_t i = 1; i <= n; ++i) {
        PendingFile& file = g_open[i];
        file.Date = Protocols[i].Date;
        file.Names = SeriesNames(Protocols[i]);
        if (file.Ended)
            continue;
        const bool inPlace = !file.Path.isEmpty() && FolderOf(file.Path) == folder;
        if (!all && i != changed && inPlace && !file.Stale)
            continue;
        if (!inPlace && !file.Path.isEmpty()) {
            if (!MoveSeriesFile(i, folder, held)) {
                ok = false;
                file.Stale = true;
            }
            continue;
        }
        const QString name = inPlace ? QFileInfo(file.Path).fileName() : FreePendingName(folder, i, held);
        if (!dskPutTestReportExact(folder, name, Protocols[i])) {
            ok = false;
            file.Stale = !file.Path.isEmpty();
            continue;
        }
        file.Path = JoinPath(folder, name);
        file.Stale = false;
        held.insert(file.Path);
    }
    NumberInOrder(folder, g_open);
    // A step this save made and could not complete (its record or a folder
    // sync refused after the move) is told like a failed write.
    return ok && g_steps.empty();
}

// Saves after a change during the run. The first failure asks message 31,
// whose Yes tries once more at once; while writes keep failing it is not
// asked again: the next change and the end try anyway.
bool SaveTelling(std::size_t changed)
{
    if (Save(changed, false)) {
        g_failureTold = false;
        return true;
    }
    if (g_failureTold)
        return false;
    g_failureTold = true;
    return ShowMessage(31) == AnswerYes && Save(changed, false);
}

// A pending file that cannot be loaded is renamed aside ("PENDING 3.QTA.BAD",
// ".BAD2", ... beside earlier ones), so no later save can remove it.
void SetPendingFileAside(const QString& folder, const QString& name)
{
    QString aside = dskAsideName(name, 1);
    for (int n = 2; QFileInfo::exists(JoinPath(folder, aside)); ++n)
        aside = dskAsideName(name, n);
    QFile file(JoinPath(folder, name));
    if (!file.rename(JoinPath(folder, aside))) {
        const SystemError error = ErrorFromFile(file);
        WriteLog(error.Number, QStringLiteral("%1 (%2 could not be loaded)").arg(error.Text, name),
                 QStringLiteral("LoadPendingProtocols"));
        return;
    }
    SyncFolder(folder);
    WriteLog(0, QStringLiteral("%1 could not be loaded; kept as %2").arg(name, aside),
             QStringLiteral("LoadPendingProtocols"));
}

// The records a stop left, finished before any pending file is loaded: the
// program folder's (a change of data folder) first, as it decides which
// folder holds the series, then the one beside the pending files. A record
// that could not be completed stays open, and the names it still means to
// remove are returned: they are not loaded.
QSet<QString> FinishRecordsOfTheLastRun()
{
    QStringList records{JoinPath(ProgramFolder(), QLatin1String(DataFolderChangeRecordName))};
    for (const QString& folder : {DataFolder, ProgramFolder()}) {
        const QString path = CleanPath(JoinPath(SeatPendingFolder(folder), QLatin1String(SeriesStepRecordName)));
        if (!folder.isEmpty() && !records.contains(path))
            records << path;
    }
    QSet<QString> leftovers;
    for (const QString& path : std::as_const(records)) {
        IntentRecord record;
        if (ReadIntentRecord(path, record, LoadProcedure) != IntentRead::Read)
            continue;
        const bool committed = IntentCommitted(record, DataFolder);
        if (FinishIntent(path, record, committed, LoadProcedure, true))
            continue;
        KeepStep(path, record, committed);
        for (const IntentFile& file : IntentLeftovers(record, committed))
            leftovers.insert(CleanPath(file.Path));
    }
    return leftovers;
}

bool CanBeOpened(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

}  // namespace

QString PendingFileName(int index)
{
    return QStringLiteral("PENDING ") + QString::number(index) + QStringLiteral(".QTA");
}

void SavePendingProtocols(bool& ok)
{
    ok = Save(0, true);
    if (ok)
        g_failureTold = false;
}

bool KeepPendingSeries(int index)
{
    if (index < 1 || static_cast<std::size_t>(index) >= Protocols.size())
        return true;
    return SaveTelling(static_cast<std::size_t>(index));
}

void MarkPendingSeriesChanged(int index)
{
    Align();
    if (index >= 1 && static_cast<std::size_t>(index) < g_open.size())
        g_open[static_cast<std::size_t>(index)].Stale = true;
}

bool KeepChangedPendingSeries()
{
    Align();
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (g_open[i].Stale && !g_open[i].Ended)
            return SaveTelling(0);
    return true;
}

bool SavePendingSeriesReport(int index, SystemError* failure)
{
    Align();
    if (index < 0 || static_cast<std::size_t>(index) >= Protocols.size())
        return false;
    const Protocol& series = Protocols[static_cast<std::size_t>(index)];
    NewTestReport report;
    if (!dskPlaceNewTestReport(series, report, failure))
        return false;
    // The working record, and a series with no file: one file, no step.
    PendingFile* file = index >= 1 ? &g_open[static_cast<std::size_t>(index)] : nullptr;
    SystemError error;
    std::optional<IntentFile> pending;
    if (file && !file->Path.isEmpty() && !IntentFileAsFound(file->Path, pending, error)) {
        WriteLog(error, SaveProcedure, file->Path);
        if (failure)
            *failure = error;
        return false;
    }
    if (!pending) {
        if (!dskWriteNewTestReport(report, failure))
            return false;
        if (file) {
            file->Path.clear();
            file->Ended = true;
        }
        return true;
    }
    const QString recordPath = JoinPath(FolderOf(file->Path), QLatin1String(SeriesStepRecordName));
    if (!ReadyForStep(SaveProcedure)) {
        if (failure)
            *failure = ErrorFromErrno(EBUSY, recordPath);
        return false;
    }
    const IntentRecord record{IntentCommit::FileWritten, QString(), false,
                              {IntentFile{report.Path, IntentChecksum(report.Bytes)}}, {*pending}};
    if (!WriteIntentRecord(recordPath, record, error)) {
        WriteLog(error, SaveProcedure, recordPath);
        if (failure)
            *failure = error;
        return false;
    }
    if (!dskWriteNewTestReport(report, failure)) {
        UndoStep(recordPath, record);
        return false;
    }
    // Saved: no later save writes the series again, and its file goes now or
    // with the save that completes the step.
    file->Path.clear();
    file->Ended = true;
    if (!FinishIntent(recordPath, record, true, SaveProcedure))
        KeepStep(recordPath, record, true);
    return true;
}

bool EndPendingSeries(int index)
{
    Align();
    if (index < 1 || static_cast<std::size_t>(index) >= g_open.size())
        return true;
    PendingFile& file = g_open[static_cast<std::size_t>(index)];
    if (!file.Path.isEmpty())
        g_gone << file.Path;
    file.Path.clear();
    file.Ended = true;
    return SaveTelling(0);
}

bool DropPendingSeries(int index)
{
    if (index >= 1 && static_cast<std::size_t>(index) < g_open.size()) {
        if (!g_open[static_cast<std::size_t>(index)].Path.isEmpty())
            g_gone << g_open[static_cast<std::size_t>(index)].Path;
        g_open.erase(g_open.begin() + index);
    }
    return SaveTelling(0);
}

bool BeginDataFolderChange(const QString& folder)
{
    Align();
    g_change = FolderChange{};
    const QString target = CleanPath(folder);
    const QString seatTarget = CleanPath(SeatPendingFolder(target));
    std::vector<std::size_t> open;
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (!g_open[i].Ended)
            open.push_back(i);
    // Even with no series open: an undone change left open would look done
    // once the settings name its folder, and keep its copies there.
    if (!ReadyForStep(SaveProcedure))
        return false;
    // With no series open there is nothing to put anywhere, nor a folder
    // that must be there.
    if (open.empty())
        return true;
    // The report writer would put them into the program folder instead.
    if (!QFileInfo(seatTarget).isDir()) {
        WriteLog(ErrorFromErrno(ENOENT, seatTarget), SaveProcedure, seatTarget);
        return false;
    }
    const QString recordPath = JoinPath(ProgramFolder(), QLatin1String(DataFolderChangeRecordName));
    IntentRecord record{IntentCommit::SettingsNameFolder, target, false, {}, {}};
    // Names free now, chosen before anything is written.
    std::vector<QString> paths(g_open.size());
    std::vector<std::string> bytes(g_open.size());
    QSet<QString> chosen;
    for (const std::size_t i : open) {
        paths[i] = JoinPath(seatTarget, FreePendingName(seatTarget, i, chosen));
        chosen.insert(paths[i]);
        bytes[i] = dskTestReportFileBytes(Protocols[i]);
        record.Created.push_back(IntentFile{paths[i], IntentChecksum(bytes[i])});
    }
    // Once the settings name the new folder, the series' files here go, and
    // so do those of series given up that could not be removed yet.
    QStringList leaving = g_gone;
    for (const std::size_t i : open)
        if (!g_open[i].Path.isEmpty())
            leaving << g_open[i].Path;
    for (const QString& path : std::as_const(leaving)) {
        SystemError error;
        std::optional<IntentFile> found;
        if (!IntentFileAsFound(path, found, error)) {
            WriteLog(error, SaveProcedure, path);
            return false;
        }
        if (found)
            record.Removed.push_back(*found);
    }
    SystemError error;
    if (!WriteIntentRecord(recordPath, record, error)) {
        WriteLog(error, SaveProcedure, recordPath);
        return false;
    }
    for (const std::size_t i : open) {
        if (!dskWriteTestReportFile(paths[i], bytes[i])) {
            UndoStep(recordPath, record);
            return false;
        }
    }
    g_change.Active = true;
    g_change.RecordPath = recordPath;
    g_change.Record = record;
    g_change.NewPath = paths;
    g_change.WasStale.assign(g_open.size(), false);
    // The copies hold the series as they are now.
    for (const std::size_t i : open) {
        g_change.WasStale[i] = g_open[i].Stale;
        g_open[i].Stale = false;
    }
    return true;
}

namespace {

// Ends the change under way once the settings named the new folder
// (committed) or could not: the series' files are then the copies, or stay
// the old ones, and the record is finished accordingly.
bool EndDataFolderChange(bool committed)
{
    if (!g_change.Active)
        return FinishOpenSteps(SaveProcedure);
    const FolderChange change = g_change;
    g_change = FolderChange{};
    for (std::size_t i = 1; i < g_open.size() && i < change.NewPath.size(); ++i) {
        if (change.NewPath[i].isEmpty())
            continue;
        if (committed)
            g_open[i].Path = change.NewPath[i];
        else
            // What the series hold in memory beyond their old files is
            // written by the next save.
            g_open[i].Stale = g_open[i].Stale || change.WasStale[i];
    }
    if (committed)
        for (const IntentFile& file : change.Record.Removed)
            g_gone.removeAll(file.Path);
    if (FinishIntent(change.RecordPath, change.Record, committed, SaveProcedure))
        return true;
    KeepStep(change.RecordPath, change.Record, committed);
    return false;
}

}  // namespace

bool FinishDataFolderChange()
{
    return EndDataFolderChange(true);
}

bool UndoDataFolderChange()
{
    return EndDataFolderChange(false);
}

void LoadPendingProtocols()
{
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    g_open.assign(1, PendingFile{});
    g_gone.clear();
    g_steps.clear();
    g_change = FolderChange{};
    g_failureTold = false;
    const QSet<QString> leftovers = FinishRecordsOfTheLastRun();
    TakeOverOldPendingFiles(DataFolder, leftovers);
    const QString folder = SeatPendingFolder(DataFolder);
    // The file each series came from, by its place in Protocols.
    std::vector<QString> origin(Protocols.size());
    bool writeBackFailed = false;
    for (const QString& name : dskListFiles(folder)) {
        if (IsLeftoverTemporary(name)) {
            PutLeftoverAside(folder, name);
            continue;
        }
        if (!IsPendingName(name))
            continue;
        const QString path = JoinPath(folder, name);
        // A file a step that could not be completed still means to remove.
        if (leftovers.contains(CleanPath(path)))
            continue;
        // A file that is no test report at all is neither loaded nor touched;
        // one that cannot even be opened (logged by the check) is not loaded.
        const bool isReport = dskIsTestReportFile(folder, name);
        if (!isReport && CanBeOpened(path))
            continue;
        // The reader gives the empty series for a damaged file, and for one
        // whose report form or current property is out of range (logged).
        bool failed = false;
        Protocol record = isReport ? dskGetTestReport(folder, name, &failed) : EmptyProtocol;
        writeBackFailed = writeBackFailed || failed;
        if (IsEmptyProtocol(record)) {
            SetPendingFileAside(folder, name);
            continue;
        }
        Protocols.push_back(std::move(record));
        origin.push_back(path);
    }
    // By creation date, exchanging elements as the design does.
    const std::size_t upper = Protocols.size() - 1;
    for (std::size_t i = 1; i < upper; ++i)
        for (std::size_t j = i + 1; j <= upper; ++j)
            if (Protocols[j].Date < Protocols[i].Date) {
                std::swap(Protocols[i], Protocols[j]);
                std::swap(origin[i], origin[j]);
            }
    g_open.resize(upper + 1);
    for (std::size_t i = 1; i <= upper; ++i)
        if (!origin[i].isEmpty())
            g_open[i] = PendingFile{CleanPath(origin[i]), Protocols[i].Date, SeriesNames(Protocols[i])};
    // Older files that could not be written back in the current layout are
    // told once, however many there were; their series are loaded all the same.
    if (writeBackFailed)
        ShowMessage(32);
}
