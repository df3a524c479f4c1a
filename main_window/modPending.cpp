#include "main_window/modPending.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/frmDataSetting.h"
#include "storage/frmFileProgress.h"
#include "storage/modCurveFiles.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"
#include "storage/modSeat.h"
#include "storage/modTestReport.h"

#include <QDateTime>
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

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file that holds an open series, and the checksum of the bytes last
// written to it (or found there at the start): a step can name the file by
// them while its folder cannot be reached, and it goes only while it still
// holds them.
struct PendingFile {
    QString Path;             // empty while the series has no file
    QByteArray Checksum;
    bool Stale = false;       // the file holds an older state: a write failed or waits
    bool Ended = false;       // terminated: its file went, and no other is written
    // The bytes of each write that failed since the last that succeeded: a
    // share may have applied any of them and answered a failure, so the file
    // may hold these as well, and every step names the file by each until a
    // write succeeds.
    std::vector<QByteArray> Unsure;
};

// The entries a step names a series' file by: the bytes last written, and
// those of a write whose outcome is unknown. None while neither is known.
std::vector<IntentFile> EntriesOf(const PendingFile& file)
{
    std::vector<IntentFile> entries;
    std::vector<QByteArray> checksums{file.Checksum};
    checksums.insert(checksums.end(), file.Unsure.begin(), file.Unsure.end());
    for (const QByteArray& checksum : checksums) {
        const auto same = [&](const IntentFile& entry) { return entry.Checksum == checksum; };
        if (!checksum.isEmpty() && std::none_of(entries.begin(), entries.end(), same))
            entries.push_back(IntentFile{file.Path, checksum});
    }
    return entries;
}

// One per element of Protocols, in step with it (element 0, the working
// record, has none): whoever changes the list says so (AddPendingSeries,
// DropPendingSeries, PendingSeriesReplaced).
std::vector<PendingFile> g_open(1);
// Files of series that left the list without a report (given up), to be
// removed by the next save; one that cannot go then is recorded as a step.
std::vector<IntentFile> g_gone;

// The data folder as the settings name it: at the start, and after each
// change of data folder. A writer that finds the data folder gone (a curve,
// a report) puts the program folder in its place in memory only.
QString g_namedDataFolder;

// Message 31 was shown for a failed write and not answered by a success
// since: it is not shown again while writes keep failing.
bool g_failureTold = false;

// A step whose record is on the disk and which could not be completed (a
// removal failed): every save tries again, and the next start finishes it.
struct OpenStep {
    QString RecordPath;
    IntentRecord Record;
    // Committed in memory, and the record on the disk does not say so yet
    // (its folder refused the rewrite): tried again at every save, with a
    // committed copy in the program folder meanwhile (MarkPath), so that a
    // start never judges the step by a file another seat may change.
    bool MarkPending = false;
    QString MarkPath;
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
    std::vector<CurveFileCopy> Curves;   // the series' curve files, copied with them
};
FolderChange g_change;

// While the program folder stands in: the files the series leave in the
// folder it stands in for, which the change does not name (that folder may
// show another file system now, or nothing: what lies at those names now is
// not the series'). The stand-in's note names them instead, and they go once
// the folder itself is back.
std::vector<IntentFile>* g_leftBehind = nullptr;

// The series a termination is saving, as it was before the termination:
// what a stand-in made on the way writes as its pending file.
struct Ending {
    std::size_t Index = 0;
    const Protocol* Before = nullptr;
};
Ending g_ending;

const QString SaveProcedure = QStringLiteral("SavePendingProtocols");
// The data folder could not be reached, and the program folder stands in.
constexpr int16_t MsgDataFolderStandIn = 46;
// The folder it stood in for is back: what was written meanwhile, and where.
constexpr int16_t MsgStandInOver = 48;
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
    else if (RenameInSharedFolder(from, to) != 0)
        reason = errno;
    if (reason != 0) {
        WriteLog(ErrorFromErrno(reason, from), SaveProcedure, from + QStringLiteral(" -> ") + to);
        return false;
    }
    SyncFolder(FolderOf(to));
    return true;
}

// g_open in step with Protocols for a caller that appended series without
// a word: they get no file yet. Series are never matched to files by what
// they hold; a list that shrank without a word loses track of the files
// behind its end, which stay on the disk (logged) rather than go.
void KeepInStep()
{
    const std::size_t size = std::max<std::size_t>(Protocols.size(), 1);
    if (g_open.size() > size) {
        for (std::size_t i = size; i < g_open.size(); ++i)
            if (!g_open[i].Path.isEmpty())
                WriteLog(0, QStringLiteral("%1 no longer named by an open series; left on the disk")
                                .arg(g_open[i].Path), SaveProcedure);
    }
    g_open.resize(size);
}

// Whether the folder can be searched now; logged when not.
bool FolderIsThere(const QString& folder)
{
    struct stat info {};
    const int reason = ::stat(QFile::encodeName(folder).constData(), &info) != 0 ? errno
                       : S_ISDIR(info.st_mode)                                  ? 0
                                                                                 : ENOTDIR;
    if (reason == 0)
        return true;
    WriteLog(ErrorFromErrno(reason, folder), SaveProcedure, folder);
    return false;
}

// Whether no file is at path, as the system says it: "no such file" in a
// folder that is there. A folder that cannot be reached frees no name.
bool NoFileAt(const QString& path)
{
    std::optional<IntentFile> found;
    SystemError error;
    return IntentFileAsFound(path, found, error) && !found;
}

// A name an open step names is no series' new name even where no file is:
// the step may still remove a file of that name, or a start skip it.
bool NamedByAnOpenStep(const QString& path)
{
    for (const OpenStep& step : g_steps)
        for (const std::vector<IntentFile>* files : {&step.Record.Created, &step.Record.Removed})
            for (const IntentFile& file : *files)
                if (SameFile(file.Path, path))
                    return true;
    return false;
}

// The name for series i when it needs a new file: its own number when no
// file holds it, else the first free number above every open series. The
// files of the other open series count as held even when missing. Empty
// when the folder cannot be reached.
QString FreePendingName(const QString& folder, std::size_t i, const QSet<QString>& held)
{
    if (!FolderIsThere(folder))
        return QString();
    auto isFree = [&](int number) {
        const QString path = JoinPath(folder, PendingFileName(number));
        return !held.contains(path) && NoFileAt(path) && !NamedByAnOpenStep(path);
    };
    if (isFree(static_cast<int>(i)))
        return PendingFileName(static_cast<int>(i));
    const int first = static_cast<int>(std::max<std::size_t>(Protocols.size(), i + 1));
    for (int number = first; number < first + 100000; ++number)
        if (isFree(number))
            return PendingFileName(number);
    return QString();
}

// Renames the series' file. A rename that answered a failure may have been
// done all the same (a share that applied it and lost the answer): the
// file is then taken at its new name, where it holds the series' bytes and
// its old name has no file.
bool RenamePendingFileOf(PendingFile& file, const QString& to)
{
    if (!RenamePendingFile(file.Path, to)) {
        SystemError error;
        std::optional<IntentFile> found;
        if (!NoFileAt(file.Path) || !IntentFileAsFound(to, found, error) || !found)
            return false;
        const std::vector<IntentFile> entries = EntriesOf(file);
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const IntentFile& entry) { return entry.Checksum == found->Checksum; }))
            return false;
        WriteLog(0, QStringLiteral("%1 renamed to %2 though the rename failed").arg(file.Path, to), SaveProcedure);
    }
    file.Path = to;
    return true;
}

// Gives series i the file PENDING i.QTA by renames, each of which moves one
// whole file to a name no file holds: a series is in exactly one file at
// every moment. A name held by a file that is not an open series' stays
// with it, and the series keeps the number it has.
void NumberInOrder(const QString& folder, std::vector<PendingFile>& files)
{
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (files[i].Path.isEmpty() || !SameFolder(FolderOf(files[i].Path), folder))
            continue;
        const QString target = JoinPath(folder, PendingFileName(static_cast<int>(i)));
        if (files[i].Path == target || NamedByAnOpenStep(target))
            continue;
        if (!NoFileAt(target)) {
            std::size_t holder = 0;
            for (std::size_t j = 1; j < files.size(); ++j)
                if (j != i && files[j].Path == target)
                    holder = j;
            if (holder == 0)
                continue;
            const QString freeName = FreePendingName(folder, files.size(), QSet<QString>());
            const QString free = JoinPath(folder, freeName);
            if (freeName.isEmpty() || !RenamePendingFileOf(files[holder], free))
                continue;
        }
        RenamePendingFileOf(files[i], target);
    }
}

// ---- Steps recorded before they start ------------------------------------------------

// Writes the committed mark into the step's record. While its folder
// refuses (a share that dropped), a committed copy of the record lies in
// the program folder, which the next start reads first; it goes once the
// record itself says so.
void MarkCommitted(OpenStep& step)
{
    SystemError error;
    if (RewriteIntentRecord(step.RecordPath, step.Record, error)) {
        step.MarkPending = false;
        if (!step.MarkPath.isEmpty() && UnlinkInSharedFolder(step.MarkPath) == 0)
            SyncFolder(ProgramFolder());
        step.MarkPath.clear();
        return;
    }
    WriteLog(error, SaveProcedure, step.RecordPath);
    if (!step.MarkPath.isEmpty() || step.Record.Removed.empty()
        || SameFolder(FolderOf(step.RecordPath), ProgramFolder()))
        return;
    // Past its commit point the step has only its removals left: the copy
    // names those alone, as the record of a removal already decided.
    const IntentRecord copy{IntentCommit::FileRemoved, QString(), true, {}, step.Record.Removed};
    if (!CreateIntentRecord(ProgramFolder(), QLatin1String(SeriesStepRecordStem), copy, step.MarkPath, error)) {
        WriteLog(error, SaveProcedure, ProgramFolder());
        step.MarkPath.clear();
    }
}

// A step that could not be completed stays open: once past its commit
// point the record says so for good, so that a later change of the file
// that marks the point (a report edited) cannot make it look undone.
void KeepStep(const QString& recordPath, IntentRecord record, IntentCommitState state)
{
    OpenStep step{recordPath, record, false, QString()};
    if (state == IntentCommitState::Reached && !record.Committed) {
        step.Record.Committed = true;
        step.MarkPending = true;
        MarkCommitted(step);
    }
    g_steps.push_back(step);
}

// Completes the steps left open that can be completed now; true when none
// is left.
bool FinishOpenSteps(const QString& procedure)
{
    bool ok = true;
    for (auto step = g_steps.begin(); step != g_steps.end();) {
        if (step->MarkPending)
            MarkCommitted(*step);
        const IntentCommitState state = IntentCommitOf(step->Record, DataFolder);
        if (FinishIntent(step->RecordPath, step->Record, state, procedure)) {
            // Its committed copy names only what is done now.
            if (!step->MarkPath.isEmpty())
                FinishIntent(step->MarkPath, step->Record, IntentCommitState::Reached, procedure);
            step = g_steps.erase(step);
        } else {
            ok = false;
            ++step;
        }
    }
    return ok;
}

// A step waits only for the open steps it touches: those that name one of
// its files, or a file in a folder whose pending files it will stand by (a
// change of data folder: every pending file there loads at the next start).
// A removal that keeps failing blocks no other series.
bool ReadyForStep(const QString& procedure, const QStringList& files, const QStringList& folders = QStringList())
{
    FinishOpenSteps(procedure);
    if (g_change.Active)
        return false;
    for (const OpenStep& step : g_steps) {
        // What it still means to remove: a committed step's new files are
        // the series' own.
        for (const IntentFile& file : IntentLeftovers(step.Record, IntentCommitOf(step.Record, DataFolder))) {
            const auto sameFile = [&](const QString& path) { return SameFile(path, file.Path); };
            const auto inFolder = [&](const QString& folder) { return SameFolder(folder, FolderOf(file.Path)); };
            const bool shared = std::any_of(files.begin(), files.end(), sameFile)
                || std::any_of(folders.begin(), folders.end(), inFolder);
            if (shared) {
                WriteLog(ErrorFromErrno(EBUSY, step.RecordPath), procedure,
                         QStringLiteral("%1 waits for the step recorded in %2").arg(file.Path, step.RecordPath));
                return false;
            }
        }
    }
    return true;
}

// Whether an open step waits only for folders that cannot be reached now
// (the data folder gone, the program folder standing in): the series are on
// the disk where the settings point, and it is finished once they are back.
// Any other open step is a failure to tell.
bool WaitsOnlyForAFolder(const OpenStep& step)
{
    const IntentCommitState state = IntentCommitOf(step.Record, DataFolder);
    if (state == IntentCommitState::Unknown)
        return true;
    bool waits = false;
    for (const IntentFile& file : IntentLeftovers(step.Record, state)) {
        if (QFileInfo(FolderOf(file.Path)).isDir() && !NoFileAt(file.Path))
            return false;
        waits = waits || !QFileInfo(FolderOf(file.Path)).isDir();
    }
    return waits;
}

// A step that failed before its commit point: what its record lists as
// created goes, and nothing else is touched.
void UndoStep(const QString& recordPath, const IntentRecord& record)
{
    if (!FinishIntent(recordPath, record, IntentCommitState::NotReached, SaveProcedure))
        KeepStep(recordPath, record, IntentCommitState::NotReached);
}

// The entries of the series' file for a step: as found, or, where it cannot
// be read now, as last written (and as a write whose outcome is unknown
// may have left it). False when neither is known; absent leaves entries
// empty.
bool SeriesFileEntries(const PendingFile& file, std::vector<IntentFile>& entries)
{
    SystemError error;
    std::optional<IntentFile> found;
    entries.clear();
    if (IntentFileAsFound(file.Path, found, error)) {
        if (found)
            entries.push_back(*found);
        return true;
    }
    WriteLog(error, SaveProcedure, file.Path);
    entries = EntriesOf(file);
    return !entries.empty();
}

// Files of series given up that could not be removed go by a record of
// their own, so that neither a kill nor a change of data folder forgets
// them: it lies beside them, or in the program folder while their folder
// cannot be reached. False while one is neither removed nor recorded.
bool RemoveGivenUpFiles()
{
    std::vector<IntentFile> left;
    for (const IntentFile& file : g_gone) {
        if (RemoveIfItHolds(file, SaveProcedure) != IntentRemoval::Failed)
            continue;
        const QString home = QFileInfo(FolderOf(file.Path)).isDir() ? FolderOf(file.Path) : ProgramFolder();
        const IntentRecord record{IntentCommit::FileRemoved, QString(), true, {}, {file}};
        QString recordPath;
        SystemError error;
        if (!CreateIntentRecord(home, QLatin1String(SeriesStepRecordStem), record, recordPath, error)) {
            WriteLog(error, SaveProcedure, home);
            left.push_back(file);
            continue;
        }
        g_steps.push_back(OpenStep{recordPath, record, false, QString()});
    }
    g_gone = left;
    return left.empty();
}

// The file of open series i goes into the folder the series are written to
// now (a caller set DataFolder to another folder without a change).
// Recorded, as it makes one file and removes another: the new file first,
// the old file gone the commit point; an old file still there, whatever it
// holds, is still the series' file.
bool MoveSeriesFile(std::size_t i, const QString& folder, QSet<QString>& held)
{
    PendingFile& file = g_open[i];
    const QString name = FreePendingName(folder, i, held);
    if (name.isEmpty())
        return false;
    const QString path = JoinPath(folder, name);
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
        if (!ReadyForStep(SaveProcedure, {file.Path, path}))
            return false;
        const IntentRecord record{IntentCommit::FileRemoved, QString(), false,
                                  {IntentFile{path, IntentChecksum(bytes)}}, {*old}};
        // A record in a shared folder names only files of its data folder:
        // a file coming from elsewhere is named from the program folder.
        const QString home = IntentRecordMayName(folder, CleanPath(file.Path)) ? folder : ProgramFolder();
        QString recordPath;
        if (!CreateIntentRecord(home, QLatin1String(SeriesStepRecordStem), record, recordPath, error)) {
            WriteLog(error, SaveProcedure, home);
            return false;
        }
        if (!dskWriteTestReportFile(path, bytes)) {
            UndoStep(recordPath, record);
            return false;
        }
        if (!FinishIntent(recordPath, record, IntentCommitState::Reached, SaveProcedure)) {
            const IntentCommitState state = IntentCommitOf(record, DataFolder);
            if (state == IntentCommitState::NotReached) {
                // The old file could not go: it stays the series' file.
                UndoStep(recordPath, record);
                return false;
            }
            KeepStep(recordPath, record, state);
            if (state == IntentCommitState::Unknown)
                return false;
        }
    }
    file.Path = path;
    file.Checksum = IntentChecksum(bytes);
    file.Unsure.clear();
    file.Stale = false;
    held.insert(path);
    return true;
}

// Files of series given up that a record names from now on: the next save
// no longer removes them itself.
void ForgetGivenUp(const std::vector<IntentFile>& files)
{
    for (const IntentFile& file : files)
        g_gone.erase(std::remove_if(g_gone.begin(), g_gone.end(),
                                    [&](const IntentFile& gone) { return gone.Path == file.Path; }),
                     g_gone.end());
}

// The notes in the program folder of the seat folders it stood in for
// (all, or those naming folder).
std::vector<OpenStep> StandInNotes(const QString& folder = QString())
{
    std::vector<OpenStep> notes;
    for (const QString& path : IntentRecordPaths(ProgramFolder())) {
        IntentRecord record;
        if (ReadIntentRecord(path, record, LoadProcedure) == IntentRead::Read && record.Commit == IntentCommit::StoodIn
            && (folder.isEmpty() || SameFolder(record.Folder, folder))) {
            // A note whose settling the program folder refused after the
            // settings named it is in force all the same.
            if (SameFolder(DataFolder, ProgramFolder())) {
                record.Removed.insert(record.Removed.end(), record.Created.begin(), record.Created.end());
                record.Created.clear();
            }
            notes.push_back(OpenStep{path, record, false, QString()});
        }
    }
    return notes;
}

// Regular files in the folder written at or after the moment.
int FilesWrittenSince(const QString& folder, const QDateTime& since, const QString& suffix = QString())
{
    int count = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if ((suffix.isEmpty() || file.fileName().endsWith(suffix, Qt::CaseInsensitive))
            && file.lastModified() >= since)
            ++count;
    return count;
}

// A note's time is the moment its stand-in began: what message 48 counts as
// written meanwhile is younger. A rewrite of the note keeps that time.
bool RewriteNote(const QString& path, const IntentRecord& record, SystemError& error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    const bool timed = ::stat(name.constData(), &before) == 0;
    if (!RewriteIntentRecord(path, record, error))
        return false;
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    if (timed && ::utimensat(AT_FDCWD, name.constData(), times, 0) != 0)
        WriteLog(ErrorFromErrno(errno, path), SaveProcedure, path);
    return true;
}

// The data folder whose seat folder a note names.
QString DataFolderOfNote(const OpenStep& note)
{
    const QString seat = note.Record.Folder;
    return !SeatName().isEmpty() && QFileInfo(seat).fileName() == SeatFolderName(SeatName()) ? FolderOf(seat)
                                                                                               : seat;
}

// A seat folder of this seat's that the program folder stood in for and
// that was never made (the seat's first start could not reach the data
// folder, which held nothing of the layout before seats to take over),
// while the data folder holding it is a folder again: nothing lies at the
// seat folder's name, not even a link. Nor is an empty folder where a
// share was unmounted a data folder back (a seat folder made there once is
// not, and one named by the note's files was made): the data folder shows
// something of what it holds.
bool NeverMadeSeatFolderBack(const OpenStep& note)
{
    const QString data = DataFolderOfNote(note);
    const QFileInfo seat(note.Record.Folder);
    return note.Record.Created.empty() && note.Record.Removed.empty() && !SameFolder(data, note.Record.Folder)
        && !seat.exists() && !seat.isSymLink() && QFileInfo(data).isDir()
        && !QDir(data).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// The folder the program folder stood in for can be reached again: the
// reports and DFQ files written into the program folder meanwhile stay
// there, where no other seat's search finds them, so the operator is told
// how many and where, and asked whether the data folder is used again
// (message 48, at every start and every choice that finds it back). True
// for Yes.
bool AskStandInOver(const OpenStep& note)
{
    const QString program = ProgramFolder();
    const QDateTime since = QFileInfo(note.RecordPath).lastModified();
    int reports = 0;
    static const QRegularExpression styleFolder(QStringLiteral("^QTA[0-9]{3}$"));
    for (const QString& name : QDir(program).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        if (styleFolder.match(name).hasMatch())
            reports += FilesWrittenSince(JoinPath(program, name), since, QStringLiteral(".QTA"));
    const int dfq = FilesWrittenSince(program, since, QStringLiteral(".DFQ"));
    WriteLog(0,
             QStringLiteral("%1 can be reached again; %2 %3 and %4 DFQ %5 were written into %6 meanwhile")
                 .arg(note.Record.Folder)
                 .arg(reports)
                 .arg(reports == 1 ? QStringLiteral("report") : QStringLiteral("reports"))
                 .arg(dfq)
                 .arg(dfq == 1 ? QStringLiteral("file") : QStringLiteral("files"))
                 .arg(program),
             LoadProcedure);
    return ShowMessage(MsgStandInOver, {reports, dfq, QDir::toNativeSeparators(program),
                                        QDir::toNativeSeparators(DataFolderOfNote(note))})
        == AnswerYes;
}

// The note goes with remove; changed writes what it names now.
void SettleStandInNote(const OpenStep& note, bool remove, bool changed)
{
    SystemError error;
    if (remove) {
        // Nothing it names goes with it: its files went, or are the series'.
        IntentRecord done = note.Record;
        done.Created.clear();
        done.Removed.clear();
        FinishIntent(note.RecordPath, done, IntentCommitState::NotReached, LoadProcedure);
    } else if (changed && !RewriteNote(note.RecordPath, note.Record, error)) {
        WriteLog(error, LoadProcedure, note.RecordPath);
    }
}

// The data folder cannot be reached: the program folder stands in for it,
// by a change of data folder like the operator's, recorded and committed by
// the settings naming the program folder, so that a start after a kill finds
// the series where the settings point. The old files go once their folder
// is back, while they hold the bytes last written to them. The operator is
// told once (message 46). False when the change could not be made.
bool StandInForUnreachableDataFolder(const SystemError* unreachable = nullptr)
{
    const QString program = ProgramFolder();
    // Another writer (a curve, a report) stood in for the data folder in
    // memory only and has put a file into the program folder: the change is
    // made here as it must be, from the folder the settings name, even when
    // that folder is back by now; going back to it instead would leave that
    // file behind, and a save into the program folder without the record
    // would leave the settings naming a folder the series have left.
    const bool writerStoodIn = !g_namedDataFolder.isEmpty() && SameFolder(DataFolder, program)
        && !SameFolder(g_namedDataFolder, program);
    if (writerStoodIn)
        DataFolder = g_namedDataFolder;
    else if (SameFolder(DataFolder, program))
        return true;
    // A run of this seat whose start could not take the lock there takes it
    // now, and while another run of the seat that started meanwhile holds
    // it, the folder is not this run's; nor is one that is no longer the
    // folder this run locked (gone, or another file system at its path).
    SystemError reason = unreachable ? *unreachable : SystemError{};
    if (!writerStoodIn && !unreachable && !DataFolder.isEmpty() && QFileInfo(DataFolder).isDir()
        && HoldSeatFolder(&reason))
        return true;
    if (reason.Text.isEmpty()) {
        struct stat info {};
        reason = ErrorFromErrno(::stat(QFile::encodeName(DataFolder).constData(), &info) != 0 ? errno
                                : S_ISDIR(info.st_mode)                                        ? EBUSY
                                                                                                : ENOTDIR,
                                DataFolder);
    }
    WriteLog(reason, SaveProcedure,
             QStringLiteral("%1 cannot be reached; the program folder stands in for it").arg(DataFolder));
    const QString old = DataFolder;
    const QString oldSeat = SeatPendingFolder(old);
    std::vector<IntentFile> leftBehind;
    g_leftBehind = &leftBehind;
    const bool begun = BeginDataFolderChange(program);
    g_leftBehind = nullptr;
    if (!begun)
        return false;
    // The note, before the settings leave the folder: the series of the seat
    // folder there that this run did not load come back from it, the files
    // it left there go, and what is written meanwhile is told, once it can be
    // reached again. Without it the change is not made. The files left there
    // are its removals only once the settings name the program folder (see
    // SettleStandInNote): a stop before that leaves the series in them.
    const std::vector<OpenStep> earlier = StandInNotes(oldSeat);
    IntentRecord note = earlier.empty() ? IntentRecord{IntentCommit::StoodIn, oldSeat, false, {}, {}}
                                        : earlier.front().Record;
    note.Created.insert(note.Created.end(), leftBehind.begin(), leftBehind.end());
    QString notePath = earlier.empty() ? QString() : earlier.front().RecordPath;
    const bool noted = earlier.empty()
        ? CreateIntentRecord(program, QLatin1String(DataFolderChangeRecordStem), note, notePath, reason)
        : RewriteNote(notePath, note, reason);
    if (!noted) {
        WriteLog(reason, SaveProcedure, program);
        UndoDataFolderChange();
        return false;
    }
    DataFolder = program;
    if (!SaveSettings()) {
        DataFolder = old;
        UndoDataFolderChange();
        // Harmless where it stays: a note of the folder the settings name
        // acts on nothing, and the files it names as created are the
        // series' own.
        if (earlier.empty())
            FinishIntent(notePath, IntentRecord{IntentCommit::StoodIn, oldSeat, false, {}, {}},
                         IntentCommitState::NotReached, SaveProcedure);
        else if (!RewriteNote(notePath, earlier.front().Record, reason))
            WriteLog(reason, SaveProcedure, notePath);
        return false;
    }
    // In force: the settings name the program folder. A stop before this
    // rewrite is settled so by the next start.
    if (!note.Created.empty()) {
        note.Removed.insert(note.Removed.end(), note.Created.begin(), note.Created.end());
        note.Created.clear();
        if (!RewriteNote(notePath, note, reason))
            WriteLog(reason, SaveProcedure, notePath);
    }
    // The note carries the files left there from here.
    ForgetGivenUp(leftBehind);
    FinishDataFolderChange();
    g_namedDataFolder = program;
    // The seat's lock in the folder left behind goes: the settings no
    // longer name it, and the program folder needs none.
    SettleSeatFolder();
    ShowMessage(MsgDataFolderStandIn, {QDir::toNativeSeparators(old), QDir::toNativeSeparators(program)});
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
    KeepInStep();
    if (g_change.Active)
        return true;
    // Through a link or another folder laid at the seat folder's name since
    // its lock, no step is finished and nothing is removed or recorded: they
    // wait for the folder the seat locked (or the stand-in's note names
    // them).
    bool ok = true;
    if (!SeatFolderReplaced()) {
        FinishOpenSteps(SaveProcedure);
        ok = RemoveGivenUpFiles();
    }
    const std::size_t n = Protocols.empty() ? 0 : Protocols.size() - 1;
    bool anyOpen = false;
    for (std::size_t i = 1; i <= n; ++i)
        anyOpen = anyOpen || !g_open[i].Ended;
    if (anyOpen && !StandInForUnreachableDataFolder()) {
        for (std::size_t i = 1; i <= n; ++i)
            g_open[i].Stale = g_open[i].Stale || all || i == changed;
        return false;
    }
    const QString folder = CleanPath(SeatPendingFolder(DataFolder));

    QSet<QString> held;
    for (std::size_t i = 1; i <= n; ++i)
        if (!g_open[i].Path.isEmpty())
            held.insert(g_open[i].Path);
    for (std::size_t i = 1; i <= n; ++i) {
        PendingFile& file = g_open[i];
        if (file.Ended)
            continue;
        const bool inPlace = !file.Path.isEmpty() && SameFolder(FolderOf(file.Path), folder);
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
        const std::string bytes = dskTestReportFileBytes(Protocols[i]);
        if (name.isEmpty()) {
            ok = false;
            file.Stale = !file.Path.isEmpty();
            continue;
        }
        if (!dskWriteTestReportFile(JoinPath(folder, name), bytes)) {
            // The outcome is unknown: the name is the series' from here, by
            // the bytes it held and by the ones just written.
            ok = false;
            file.Path = JoinPath(folder, name);
            file.Unsure.push_back(IntentChecksum(bytes));
            file.Stale = true;
            held.insert(file.Path);
            continue;
        }
        file.Path = JoinPath(folder, name);
        file.Checksum = IntentChecksum(bytes);
        file.Unsure.clear();
        file.Stale = false;
        held.insert(file.Path);
    }
    NumberInOrder(folder, g_open);
    // A step this save made and could not complete (its record or a folder
    // sync refused after the move) is told like a failed write; one that
    // waits for a folder to come back is not, as nothing can be done now.
    return ok && std::all_of(g_steps.begin(), g_steps.end(), WaitsOnlyForAFolder);
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
// A link of such a name is renamed itself, never what it leads to.
void SetPendingFileAside(const QString& folder, const QString& name)
{
    const auto taken = [&](const QString& aside) {
        struct stat st {};
        return ::lstat(QFile::encodeName(JoinPath(folder, aside)).constData(), &st) == 0;
    };
    QString aside = dskAsideName(name, 1);
    for (int n = 2; taken(aside); ++n)
        aside = dskAsideName(name, n);
    SystemError error;
    if (!dskMoveFileNew(JoinPath(folder, name), JoinPath(folder, aside), error)) {
        WriteLog(error.Number, QStringLiteral("%1 (%2 could not be loaded)").arg(error.Text, name),
                 QStringLiteral("LoadPendingProtocols"));
        return;
    }
    SyncFolder(folder);
    WriteLog(0, QStringLiteral("%1 could not be loaded; kept as %2").arg(name, aside),
             QStringLiteral("LoadPendingProtocols"));
}

// A stand-in's note names the files the series leave in the folder stood in
// for only once the settings name the program folder: they are written into
// it as created names first, and made its removals once that is so, at the
// stand-in or at the next start. A stop before the settings named the
// program folder leaves the series in those files, and the note never
// removes them.
void SettleStandInNote(const QString& path, IntentRecord note)
{
    if (note.Created.empty())
        return;
    if (SameFolder(DataFolder, ProgramFolder()))
        note.Removed.insert(note.Removed.end(), note.Created.begin(), note.Created.end());
    else
        WriteLog(0, QStringLiteral("%1 notes a stand-in a stop cut short; its files stay").arg(path), LoadProcedure);
    note.Created.clear();
    SystemError error;
    if (!RewriteNote(path, note, error))
        WriteLog(error, LoadProcedure, path);
}

// The records lying in the folders, finished before any pending file there
// is loaded: the changes of data folder (in the program folder) first, as
// they decide which folder holds the series, then the steps on the series'
// files. A record that could not be completed stays open, and the names it
// still means to remove are returned: they are not loaded.
std::vector<IntentFile> FinishRecordsIn(const QStringList& named)
{
    // A link laid at a seat folder's name leads to no records of the
    // seat's: the folder is away (the start stands in), and its records
    // wait for it.
    QStringList folders;
    for (const QString& folder : named)
        if (SameFolder(folder, ProgramFolder()) || SameFolder(folder, DataFolder) || !SeatFolderIsLaidOver(folder))
            folders << folder;
    QStringList paths;
    for (const QString& folder : std::as_const(folders))
        paths << IntentRecordPaths(folder);
    std::vector<OpenStep> records;
    QSet<QString> unread;   // folders with a record that was not read
    for (const QString& path : std::as_const(paths)) {
        IntentRecord record;
        // A note of a stand-in is no step: it is read by the loader.
        const IntentRead read = ReadIntentRecord(path, record, LoadProcedure);
        if (read == IntentRead::Read && record.Commit == IntentCommit::StoodIn)
            SettleStandInNote(path, record);
        else if (read == IntentRead::Read)
            records.push_back(OpenStep{path, record, false, QString()});
        else if (read == IntentRead::Unreadable || read == IntentRead::LaterVersion)
            unread.insert(FolderOf(path));
    }
    std::stable_sort(records.begin(), records.end(), [](const OpenStep& a, const OpenStep& b) {
        return a.Record.Commit == IntentCommit::SettingsNameFolder
            && b.Record.Commit != IntentCommit::SettingsNameFolder;
    });
    std::vector<IntentFile> leftovers;
    for (const OpenStep& step : records) {
        const IntentCommitState state = IntentCommitOf(step.Record, DataFolder);
        if (FinishIntent(step.RecordPath, step.Record, state, LoadProcedure, true))
            continue;
        KeepStep(step.RecordPath, step.Record, state);
        for (const IntentFile& file : IntentLeftovers(step.Record, state))
            leftovers.push_back(file);
    }
    // A report staged by a termination stopped before its record was made
    // is no one's. One a record may still name is kept: its absence would
    // tell that record the report was placed.
    for (const QString& folder : std::as_const(folders)) {
        if (unread.contains(CleanPath(folder)))
            continue;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::System)) {
            const QString path = JoinPath(folder, name);
            if (IsStagedReportName(name) && !NamedByAnOpenStep(path) && UnlinkInSharedFolder(path) == 0)
                WriteLog(0, QStringLiteral("%1 left by a termination stopped before its record; removed").arg(path),
                         LoadProcedure);
        }
    }
    return leftovers;
}

// The records a stop left in the program folder and the seat's folder (none
// of a folder laid at the seat folder's name since the start's lock: away).
std::vector<IntentFile> FinishRecordsOfTheLastRun(const QString& away)
{
    QStringList folders{ProgramFolder()};
    const QString seat = SeatPendingFolder(DataFolder);
    if (!seat.isEmpty() && !SameFolder(seat, ProgramFolder()) && seat != away)
        folders << seat;
    return FinishRecordsIn(folders);
}

// Opened as every file of the folder is: a pipe or a folder laid at the
// name, or a file no series could fill, cannot, and is set aside.
bool CanBeOpened(const QString& path)
{
    SystemError error;
    const int fd = OpenSharedFileToRead(path, MaxReportFileSize, error);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Loads the pending files in the folder as series, each with the file it
// came from (origin, by its place in Protocols); a file a step that could
// not be completed still means to remove (named in leftovers) is not loaded.
void LoadSeriesFrom(const QString& from, const std::vector<IntentFile>& leftovers, std::vector<IntentFile>& origin,
                    bool& writeBackFailed)
{
    for (const QString& name : dskListFiles(from)) {
        if (IsLeftoverTemporary(name)) {
            PutLeftoverAside(from, name);
            continue;
        }
        // The writer's own temporary file, of a shape no user picks.
        if (name.startsWith(QLatin1String(".PENDING ")) && IsAtomicTemporaryName(name)) {
            if (RemoveAtomicWriteLeftover(JoinPath(from, name)))
                WriteLog(0, QStringLiteral("%1 left by an interrupted write; removed").arg(name), LoadProcedure);
            continue;
        }
        if (!IsPendingName(name))
            continue;
        const QString path = JoinPath(from, name);
        // A file a step that could not be completed still means to remove:
        // the bytes it names at that name, not any file that took the name
        // since (a new series); one that cannot be read is not loaded.
        const auto named = [&](const IntentFile& file) { return SameFile(file.Path, path); };
        if (std::any_of(leftovers.begin(), leftovers.end(), named)) {
            SystemError error;
            std::optional<IntentFile> found;
            if (!IntentFileAsFound(path, found, error))
                continue;
            const auto holds = [&](const IntentFile& file) {
                return named(file) && found && file.Checksum == found->Checksum;
            };
            if (!found || std::any_of(leftovers.begin(), leftovers.end(), holds))
                continue;
        }
        // A link at the name (others can lay one in a shared folder) holds
        // no series of this seat, wherever it leads: it is never read
        // through and goes aside itself, so that no save takes its name.
        struct stat at {};
        if (::lstat(QFile::encodeName(path).constData(), &at) == 0 && S_ISLNK(at.st_mode)) {
            SetPendingFileAside(from, name);
            continue;
        }
        // A file that is no test report at all is neither loaded nor touched;
        // one that cannot even be opened (logged by the check) is not loaded.
        const bool isReport = dskIsTestReportFile(from, name);
        if (!isReport && CanBeOpened(path))
            continue;
        // The reader gives the empty series for a damaged file, and for one
        // whose report form or current property is out of range (logged).
        bool failed = false;
        // What the file holds now (an older layout is written back by the
        // reader): the bytes it may be removed by, hashed as they were read.
        QByteArray checksum;
        Protocol record = isReport ? dskGetTestReport(from, name, &failed, &checksum) : EmptyProtocol;
        writeBackFailed = writeBackFailed || failed;
        if (IsEmptyProtocol(record)) {
            SetPendingFileAside(from, name);
            continue;
        }
        Protocols.push_back(std::move(record));
        origin.push_back(IntentFile{CleanPath(path), checksum});
    }
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
    KeepInStep();
    if (index >= 1 && static_cast<std::size_t>(index) < g_open.size())
        g_open[static_cast<std::size_t>(index)].Stale = true;
}

bool KeepChangedPendingSeries()
{
    KeepInStep();
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (g_open[i].Stale && !g_open[i].Ended)
            return SaveTelling(0);
    return true;
}

int AddPendingSeries(const Protocol& series)
{
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    KeepInStep();
    Protocols.push_back(series);
    g_open.push_back(PendingFile{});
    return static_cast<int>(Protocols.size() - 1);
}

void PendingSeriesReplaced()
{
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (!g_open[i].Path.isEmpty())
            for (const IntentFile& entry : EntriesOf(g_open[i]))
                g_gone.push_back(entry);
    g_open.assign(std::max<std::size_t>(Protocols.size(), 1), PendingFile{});
}

namespace {

bool SaveSeriesReport(int index, SystemError* failure);

// After a new report's write failed: when another seat took the name
// between the look for a free name and the link (its report of the same
// second), the save is made again, a few times at most, and takes the next
// second, as for a name taken before the look.
bool SaveReportAgainIfNameTaken(int index, SystemError* failure)
{
    static int s_depth = 0;
    if (failure->Number != ClassicError::FileAlreadyExists || s_depth >= 10)
        return false;
    ++s_depth;
    const bool saved = SaveSeriesReport(index, failure);
    --s_depth;
    return saved;
}

// failure is never null here.
bool SaveSeriesReport(int index, SystemError* failure)
{
    // The report goes where the settings say; a data folder that cannot be
    // reached is stood in for first, as for a save.
    if (!StandInForUnreachableDataFolder()) {
        if (failure)
            *failure = ErrorFromErrno(ENOENT, DataFolder);
        return false;
    }
    const QString named = DataFolder;
    const Protocol& series = Protocols[static_cast<std::size_t>(index)];
    NewTestReport report;
    if (!dskPlaceNewTestReport(series, report, failure))
        return false;
    // The folder went between that look and the writer's, which then put the
    // program folder in its place in memory only: the stand-in makes that the
    // recorded change before the report is written there, or the report
    // would lie outside the folder the settings name, and a series with a
    // file would find no folder for its record.
    if (DataFolder != named && !StandInForUnreachableDataFolder()) {
        if (failure)
            *failure = ErrorFromErrno(ENOENT, named);
        return false;
    }
    // The working record, and a series with no file: one file, no step.
    PendingFile* file = index >= 1 ? &g_open[static_cast<std::size_t>(index)] : nullptr;
    std::vector<IntentFile> pending;
    if (file && !file->Path.isEmpty() && !SeriesFileEntries(*file, pending)) {
        if (failure)
            *failure = ErrorFromErrno(EIO, file->Path);
        return false;
    }
    if (pending.empty()) {
        if (!dskWriteNewTestReport(report, failure))
            return SaveReportAgainIfNameTaken(index, failure);
        if (file) {
            file->Path.clear();
            file->Ended = true;
        }
        return true;
    }
    // The record lies beside the series' file where a record there may name
    // both files; a report going to another data folder than that file is
    // named from the program folder, as a move's files are, or the next
    // start would refuse the record and find the series both reported and open.
    const QString besideFile = FolderOf(file->Path);
    const bool mayNameBoth = IntentRecordMayName(besideFile, CleanPath(file->Path))
        && IntentRecordMayName(besideFile, CleanPath(report.Path));
    const QString recordFolder = mayNameBoth ? besideFile : ProgramFolder();
    if (!ReadyForStep(SaveProcedure, {file->Path, report.Path})) {
        if (failure)
            *failure = ErrorFromErrno(EBUSY, file->Path);
        return false;
    }
    // The report is written first under a name of the step's own beside its
    // record, and renamed to its place once the record names both: its
    // commit point is that rename, which a start tells by the staged name
    // alone, whatever another seat made of the report since.
    const QByteArray checksum = IntentChecksum(report.Bytes);
    IntentRecord record{IntentCommit::FileWritten, QString(), false, {IntentFile{report.Path, checksum}}, pending};
    QString staged;
    SystemError error;
    if (!report.Saved) {
        // A staged write killed on a share leaves its hidden temporary name
        // beside the record, as a report's does in its style folder.
        RemoveNewFileLeftoversOnce(recordFolder, QStringLiteral("QTA"));
        bool written = false;
        for (int n = 1; !written && n <= 999; ++n) {
            bool taken = false;
            staged = JoinPath(recordFolder, StagedReportName(n));
            written = WriteNewFile(staged, report.Bytes, error, ReadOnlyPermissions, &taken);
            if (!written && !taken)
                break;
        }
        if (!written) {
            WriteLog(error, SaveProcedure, staged);
            if (failure)
                *failure = error;
            return false;
        }
        record.Created.push_back(IntentFile{staged, checksum});
        // Left as a second name of the report where the rename is a link and
        // an unlink: it goes once the step is done.
        record.Removed.push_back(IntentFile{staged, checksum});
    }
    QString recordPath;
    if (!CreateIntentRecord(recordFolder, QLatin1String(SeriesStepRecordStem), record, recordPath, error)) {
        WriteLog(error, SaveProcedure, recordFolder);
        if (!staged.isEmpty() && UnlinkInSharedFolder(staged) == 0)
            SyncFolder(recordFolder);
        if (failure)
            *failure = error;
        return false;
    }
    if (!(staged.isEmpty() ? dskWriteNewTestReport(report, failure)
                           : dskMoveStagedTestReport(report, staged, failure))) {
        UndoStep(recordPath, record);
        if (SaveReportAgainIfNameTaken(index, failure))
            return true;
        // The data folder went away during the step: its record stays there
        // to be judged once the folder is back, and the report is saved into
        // the program folder, which stands in (message 46), as for a
        // termination that finds the folder away.
        if (!SameFolder(DataFolder, ProgramFolder()) && StandInForUnreachableDataFolder()
            && SameFolder(DataFolder, ProgramFolder()))
            return SaveSeriesReport(index, failure);
        return false;
    }
    // Saved: no later save writes the series again, and its file goes now or
    // with the save that completes the step.
    file->Path.clear();
    file->Ended = true;
    if (!FinishIntent(recordPath, record, IntentCommitState::Reached, SaveProcedure))
        KeepStep(recordPath, record, IntentCommitState::Reached);
    return true;
}

}  // namespace

bool SavePendingSeriesReport(int index, SystemError* failure, const Protocol* before)
{
    SystemError own;
    if (!failure)
        failure = &own;
    KeepInStep();
    if (index < 0 || static_cast<std::size_t>(index) >= Protocols.size())
        return false;
    g_ending = Ending{static_cast<std::size_t>(index), before};
    const bool saved = SaveSeriesReport(index, failure);
    g_ending = Ending{};
    return saved;
}

bool EndPendingSeries(int index)
{
    KeepInStep();
    if (index < 1 || static_cast<std::size_t>(index) >= g_open.size())
        return true;
    PendingFile& file = g_open[static_cast<std::size_t>(index)];
    if (!file.Path.isEmpty())
        for (const IntentFile& entry : EntriesOf(file))
            g_gone.push_back(entry);
    file.Path.clear();
    file.Ended = true;
    return SaveTelling(0);
}

bool DropPendingSeries(int index)
{
    if (index >= 1 && static_cast<std::size_t>(index) < g_open.size()) {
        const PendingFile& file = g_open[static_cast<std::size_t>(index)];
        if (!file.Path.isEmpty())
            for (const IntentFile& entry : EntriesOf(file))
                g_gone.push_back(entry);
        g_open.erase(g_open.begin() + index);
    }
    return SaveTelling(0);
}

bool BeginDataFolderChange(const QString& folder)
{
    KeepInStep();
    g_change = FolderChange{};
    const QString target = CleanPath(folder);
    const QString seat = SeatPendingFolder(target);
    std::vector<std::size_t> open;
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (!g_open[i].Ended)
            open.push_back(i);
    // Once the settings name the new folder, the series' files here go, and
    // so do those of series given up that could not be removed yet.
    std::vector<IntentFile> leaving = g_gone;
    for (const std::size_t i : open)
        if (!g_open[i].Path.isEmpty()) {
            const std::vector<IntentFile> entries = EntriesOf(g_open[i]);
            if (entries.empty())
                leaving.push_back(IntentFile{g_open[i].Path, QByteArray()});
            leaving.insert(leaving.end(), entries.begin(), entries.end());
        }
    // Standing in, the files in the folder left stay as they are (the note
    // names them): a step there whose outcome cannot be judged while that
    // folder is away does not hold the series out of the program folder.
    const QString oldSeat = SeatPendingFolder(DataFolder);
    QStringList touched;
    for (const IntentFile& file : leaving)
        if (!g_leftBehind || !SameFolder(FolderOf(file.Path), oldSeat))
            touched << file.Path;
    // A step left open in the new folder waits even with no series open: an
    // undone change would look done once the settings name its folder, and
    // its copies would load as series.
    if (!ReadyForStep(SaveProcedure, touched, {seat}))
        return false;
    // The same folder by another path: the series are in it already.
    if (SameFolder(seat, oldSeat))
        return true;
    // Back into a folder the program folder stood in for: the steps a run
    // left there are finished or judged before any of its series opens
    // again; what one still means to remove stays named by an open step.
    if (!StandInNotes(seat).empty() && QFileInfo(seat).isDir())
        FinishRecordsIn({seat});
    // Steps left open in the old folder lie where no start looks once the
    // settings name the new one: what they still mean to remove goes with
    // this change. One whose commit point cannot be told stays as it is,
    // for the start that finds its record there.
    for (const OpenStep& step : g_steps) {
        const IntentCommitState state = IntentCommitOf(step.Record, DataFolder);
        if (state == IntentCommitState::Unknown || !SameFolder(FolderOf(step.RecordPath), oldSeat))
            continue;
        for (const IntentFile& file : IntentLeftovers(step.Record, state))
            leaving.push_back(file);
    }
    // Standing in: what lies in the folder left is named by the note.
    if (g_leftBehind) {
        const auto there = [&](const IntentFile& file) { return SameFolder(FolderOf(file.Path), oldSeat); };
        std::copy_if(leaving.begin(), leaving.end(), std::back_inserter(*g_leftBehind), there);
        leaving.erase(std::remove_if(leaving.begin(), leaving.end(), there), leaving.end());
    }
    // Back into a folder the program folder stood in for: the files the
    // series left there go with this change, while they hold what the note
    // says.
    std::vector<IntentFile> noted;
    for (const OpenStep& note : StandInNotes(seat))
        for (const IntentFile& file : note.Record.Removed) {
            SystemError error;
            std::optional<IntentFile> found;
            if (IntentFileAsFound(file.Path, found, error) && found && found->Checksum == file.Checksum)
                noted.push_back(file);
        }
    // With no series open and none given up there is nothing to put anywhere,
    // nor a folder that must be there.
    if (leaving.empty() && open.empty() && noted.empty())
        return true;
    // The report writer would put them into the program folder instead. A
    // link laid at a seat folder's name is no place to write them either.
    SystemError laidOver;
    if (!open.empty() && seat != target && SeatFolderIsLaidOver(seat, &laidOver)) {
        WriteLog(laidOver, SaveProcedure, seat);
        return false;
    }
    if (!open.empty() && !QFileInfo(seat).isDir()) {
        WriteLog(ErrorFromErrno(ENOENT, seat), SaveProcedure, seat);
        return false;
    }
    IntentRecord record{IntentCommit::SettingsNameFolder, target, false, {}, {}};
    // The curves their tests name go with them, under names free in the
    // new folder, which the copies of the series name already.
    std::vector<const Protocol*> moving;
    for (const std::size_t i : open)
        moving.push_back(&Protocols[i]);
    AddFilesToMove(static_cast<int>(open.size()));
    const std::vector<CurveFileCopy> curves = PlanCurveFileCopies(moving, DataFolder, target, SaveProcedure);
    // Names free now, chosen before anything is written.
    std::vector<QString> paths(g_open.size());
    std::vector<std::string> bytes(g_open.size());
    QSet<QString> chosen;
    for (const std::size_t i : open) {
        const QString name = FreePendingName(seat, i, chosen);
        if (name.isEmpty())
            return false;
        paths[i] = JoinPath(seat, name);
        chosen.insert(paths[i]);
        const Protocol& series = g_ending.Before && g_ending.Index == i ? *g_ending.Before : Protocols[i];
        // A copy of the series (thousands of tests) only where a curve takes
        // another name.
        if (CurveFileCopiesRename(series, curves)) {
            Protocol copy = series;
            NameCurveFileCopies(copy, curves);
            bytes[i] = dskTestReportFileBytes(copy);
        } else {
            bytes[i] = dskTestReportFileBytes(series);
        }
        record.Created.push_back(IntentFile{paths[i], IntentChecksum(bytes[i])});
    }
    // A file that cannot be read now is named by the bytes last written to
    // it, and goes once it can be reached, while it still holds them.
    for (const IntentFile& leavingFile : leaving) {
        SystemError error;
        std::optional<IntentFile> found;
        if (!IntentFileAsFound(leavingFile.Path, found, error)) {
            WriteLog(error, SaveProcedure, leavingFile.Path);
            if (leavingFile.Checksum.isEmpty())
                return false;
            found = leavingFile;
        }
        const auto listed = [&](const IntentFile& file) {
            return file.Path == found->Path && file.Checksum == found->Checksum;
        };
        if (found && std::none_of(record.Removed.begin(), record.Removed.end(), listed))
            record.Removed.push_back(*found);
    }
    record.Removed.insert(record.Removed.end(), noted.begin(), noted.end());
    RecordCurveFileCopies(record, curves);
    QString recordPath;
    SystemError error;
    if (!CreateIntentRecord(ProgramFolder(), QLatin1String(DataFolderChangeRecordStem), record, recordPath, error)) {
        WriteLog(error, SaveProcedure, ProgramFolder());
        return false;
    }
    for (const std::size_t i : open) {
        if (!dskWriteTestReportFile(paths[i], bytes[i])) {
            UndoStep(recordPath, record);
            return false;
        }
        CountFileMoved();
    }
    if (!WriteCurveFileCopies(curves, SaveProcedure)) {
        UndoStep(recordPath, record);
        return false;
    }
    g_change.Active = true;
    g_change.RecordPath = recordPath;
    g_change.Record = record;
    g_change.NewPath = paths;
    g_change.Curves = curves;
    g_change.WasStale.assign(g_open.size(), false);
    // The copies hold the series as they are now.
    for (const std::size_t i : open) {
        g_change.WasStale[i] = g_open[i].Stale;
        g_open[i].Stale = false;
    }
    return true;
}

namespace {

// The series the program folder's stand-in left in the seat folder the
// settings name again, open again in this run as at a start: every pending
// file there but the copies this change wrote, the old files it removes
// (those of series the stand-in moved) and what an open step still means to
// remove, so that no series is open twice.
void OpenSeriesLeftIn(const QString& folder)
{
    std::vector<IntentFile> skipped;
    const auto skip = [&](const IntentRecord& record) {
        skipped.insert(skipped.end(), record.Created.begin(), record.Created.end());
        skipped.insert(skipped.end(), record.Removed.begin(), record.Removed.end());
    };
    if (g_change.Active)
        skip(g_change.Record);
    for (const OpenStep& step : g_steps)
        skip(step.Record);
    for (std::size_t i = 1; i < g_open.size(); ++i)
        for (const IntentFile& entry : EntriesOf(g_open[i]))
            skipped.push_back(entry);
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    KeepInStep();
    const std::size_t before = Protocols.size();
    std::vector<IntentFile> origin(before);
    bool writeBackFailed = false;
    LoadSeriesFrom(folder, skipped, origin, writeBackFailed);
    for (std::size_t i = before; i < Protocols.size(); ++i)
        g_open.push_back(PendingFile{origin[i].Path, origin[i].Checksum, false, false, {}});
    if (Protocols.size() > before)
        WriteLog(0, QStringLiteral("%1 series left in %2 are open again").arg(Protocols.size() - before).arg(folder),
                 SaveProcedure);
    if (writeBackFailed)
        ShowMessage(32);
}

// Ends the change under way once the settings named the new folder
// (committed) or could not: the series' files are then the copies, or stay
// the old ones, and the record is finished accordingly.
bool EndDataFolderChange(bool committed)
{
    if (committed) {
        g_namedDataFolder = DataFolder;
        // The operator chose again a folder the program folder stood in for.
        const std::vector<OpenStep> notes = StandInNotes(SeatPendingFolder(DataFolder));
        if (!notes.empty())
            OpenSeriesLeftIn(SeatPendingFolder(DataFolder));
        for (const OpenStep& note : notes)
            SettleStandInNote(note, true, false);
    }
    if (!g_change.Active)
        return FinishOpenSteps(SaveProcedure);
    const FolderChange change = g_change;
    g_change = FolderChange{};
    for (std::size_t i = 1; i < g_open.size() && i < change.NewPath.size(); ++i) {
        if (change.NewPath[i].isEmpty())
            continue;
        if (committed) {
            g_open[i].Path = change.NewPath[i];
            NameCurveFileCopies(Protocols[i], change.Curves);
            for (const IntentFile& made : change.Record.Created)
                if (made.Path == change.NewPath[i])
                    g_open[i].Checksum = made.Checksum;
            g_open[i].Unsure.clear();
        } else {
            // What the series hold in memory beyond their old files is
            // written by the next save.
            g_open[i].Stale = g_open[i].Stale || change.WasStale[i];
        }
    }
    // The record carries the given-up files from here.
    if (committed)
        ForgetGivenUp(change.Record.Removed);
    const IntentCommitState state = committed ? IntentCommitState::Reached : IntentCommitState::NotReached;
    if (FinishIntent(change.RecordPath, change.Record, state, SaveProcedure))
        return true;
    KeepStep(change.RecordPath, change.Record, state);
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
    g_namedDataFolder = DataFolder;
    // A folder laid at the seat folder's name since the start's lock (a real
    // folder swapped in: a link tells by itself) is away for this start: no
    // record of it is finished, no series of it loaded, and the program
    // folder stands in. One swapped after this look waits for the
    // descriptor-relative opens.
    const QString away = SeatFolderReplaced() ? SeatPendingFolder(DataFolder) : QString();
    std::vector<IntentFile> leftovers = FinishRecordsOfTheLastRun(away);
    // A start that cannot reach the seat's folder in the data folder says
    // so and stands in at once, as a save would later: its series there
    // stay named by the stand-in's note and come back once it is reached.
    // The folder that answered the start's lock with EIO (or its kin) is
    // not asked again: it is away for this start.
    SystemError unreachable;
    if (!SeatName().isEmpty() && !DataFolder.isEmpty() && !SameFolder(DataFolder, ProgramFolder())) {
        if (SeatFolderUnreachableAtStart(&unreachable))
            StandInForUnreachableDataFolder(&unreachable);
        else if (!away.isEmpty() || !QFileInfo(SeatPendingFolder(DataFolder)).isDir())
            StandInForUnreachableDataFolder();
    }
    TakeOverOldPendingFiles(DataFolder, leftovers);
    const QString folder = SeatPendingFolder(DataFolder);
    // The file each series came from, by its place in Protocols, and the
    // checksum of what it held.
    std::vector<IntentFile> origin(Protocols.size());
    bool writeBackFailed = false;
    const auto loadFrom = [&](const QString& from) { LoadSeriesFrom(from, leftovers, origin, writeBackFailed); };
    // Where the program folder could not stand in, a link laid at the seat
    // folder's name still leads to no series of the seat's.
    if ((folder == DataFolder || !SeatFolderIsLaidOver(folder)) && folder != away)
        loadFrom(folder);
    // Seat folders the program folder stood in for, once they are there
    // again: the files the series left there go while they hold what the
    // note says, and the series this seat has not loaded since load now (the
    // next save moves them where the settings point). The note goes once
    // each file it names is removed and no series is left there; a folder
    // the settings name again was loaded above, and its files went with the
    // change that named it. The data folder the operator takes again at
    // message 48 is taken once the series are all loaded.
    QString back;
    const std::size_t own = Protocols.size();
    for (const OpenStep& note : StandInNotes()) {
        const bool named = SameFolder(note.Record.Folder, folder);
        // The data folder holding a seat folder never made (the seat's first
        // start could not reach it) is back: the folder is made for the
        // series of the layout before seats to be taken over.
        if (!named)
            MakeLeftSeatFolder(note.Record.Folder);
        // Left unmade, it holds nothing to finish or load, but its data
        // folder back is asked about all the same (message 48), and Yes
        // makes the seat folder as choosing that folder does.
        const bool unmade = !named && NeverMadeSeatFolderBack(note);
        if (!named
            && ((!away.isEmpty() && CleanPath(note.Record.Folder) == CleanPath(away))
                || (!unmade && (!QFileInfo(note.Record.Folder).isDir() || !HoldLeftSeatFolder(note.Record.Folder)))))
            continue;
        OpenStep kept = note;
        if (!named && !unmade) {
            // What a run left there is finished or judged before a series
            // there is loaded: the take-over of the layout before seats, and
            // the steps on the seat's files (a termination committed before
            // a stop stays terminated).
            const QString above = QFileInfo(note.Record.Folder).path();
            if (SameFolder(SeatPendingFolder(above), note.Record.Folder))
                TakeOverOldPendingFiles(above, leftovers);
            const std::vector<IntentFile> left = FinishRecordsIn({note.Record.Folder});
            leftovers.insert(leftovers.end(), left.begin(), left.end());
            kept.Record.Removed.clear();
            for (const IntentFile& file : note.Record.Removed) {
                const IntentRemoval removal = RemoveIfItHolds(file, LoadProcedure);
                if (removal == IntentRemoval::Failed)
                    leftovers.push_back(file);
                if (removal == IntentRemoval::Failed || removal == IntentRemoval::OtherBytes)
                    kept.Record.Removed.push_back(file);
            }
        }
        const std::size_t before = Protocols.size();
        if (!named && !unmade)
            loadFrom(note.Record.Folder);
        const bool done = named || (kept.Record.Removed.empty() && Protocols.size() == before);
        // While the program folder stands in, its note stays until the
        // folder is chosen again, and every start that finds it back asks.
        if (!named && back.isEmpty() && AskStandInOver(kept))
            back = DataFolderOfNote(kept);
        const bool standing = !named && SameFolder(DataFolder, ProgramFolder());
        SettleStandInNote(kept, done && !standing, kept.Record.Removed.size() != note.Record.Removed.size());
    }
    // By creation date, exchanging elements as the design does.
    const std::size_t upper = Protocols.size() - 1;
    std::vector<char> cameBack(Protocols.size(), 0);
    for (std::size_t i = own; i <= upper; ++i)
        cameBack[i] = 1;
    for (std::size_t i = 1; i < upper; ++i)
        for (std::size_t j = i + 1; j <= upper; ++j)
            if (Protocols[j].Date < Protocols[i].Date) {
                std::swap(Protocols[i], Protocols[j]);
                std::swap(origin[i], origin[j]);
                std::swap(cameBack[i], cameBack[j]);
            }
    g_open.resize(upper + 1);
    for (std::size_t i = 1; i <= upper; ++i)
        if (!origin[i].Path.isEmpty())
            g_open[i] = PendingFile{origin[i].Path, origin[i].Checksum, false, false, {}};
    // Older files that could not be written back in the current layout are
    // told once, however many there were; their series are loaded all the same.
    if (writeBackFailed)
        ShowMessage(32);
    // Yes to message 48: the folder is taken as the data settings take it,
    // with the series loaded above.
    const std::size_t loaded = Protocols.size();
    if (!back.isEmpty())
        ChooseDataFolder(back);
    // The run that could not load the series of a folder that was away
    // showed none and kept that view: a series back from it is shown, as
    // the run that left it there showed its series (the first by date). A
    // view of the settings' own series stays.
    if (CurrentProtocol == 0) {
        const auto first = std::find(cameBack.begin(), cameBack.end(), 1);
        if (first != cameBack.end())
            CurrentProtocol = static_cast<int16_t>(first - cameBack.begin());
        else if (Protocols.size() > loaded)
            CurrentProtocol = static_cast<int16_t>(loaded);
    }
}

DataFolderChoice::DataFolderChoice()
{
    frmDataSetting::SetFolderMove({BeginDataFolderChange, FinishDataFolderChange, UndoDataFolderChange});
    frmDataSetting::SetFolderClaim(ClaimSeatFolder);
    frmDataSetting::SetFolderBack(DataFolderBack);
}

DataFolderChoice::~DataFolderChoice()
{
    frmDataSetting::SetFolderMove({});
    frmDataSetting::SetFolderClaim({});
    frmDataSetting::SetFolderBack({});
    SettleSeatFolder();
}

bool ChooseDataFolder(const QString& folder)
{
    const DataFolderChoice choosing;
    return frmDataSetting::TakeDataFolder(folder) && SameFolder(DataFolder, folder);
}

QString DataFolderBack(const QString& shown)
{
    const QString program = ProgramFolder();
    if (!SameFolder(DataFolder, program))
        return shown;
    for (const OpenStep& note : StandInNotes()) {
        const QString data = DataFolderOfNote(note);
        if ((SameFolder(shown, program) || SameFolder(shown, data)) && QFileInfo(data).isDir())
            return AskStandInOver(note) ? data : DataFolder;
    }
    return shown;
}
