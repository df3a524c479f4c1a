#pragma once
// A step that changes more than one file of the open series (a change of
// data folder, the termination of a series, a series leaving the folder its
// file was in) writes down what it is about to do before the first file
// changes: the names it will create and the names it will remove, each with
// a checksum of the bytes it writes there or found there. Each step has one
// commit point. A step that fails before it undoes what its record lists; a
// record left by a kill or a power cut is finished at the next start from the
// state of its commit point: reached, the removals are done; not reached,
// the names created go. A file is removed only while it holds the bytes the
// record lists, so nothing is ever taken for a copy by what it holds.
//
// A folder that cannot be reached (missing, unreadable, an I/O error, a
// stale network handle) says nothing of the files in it: only the system's
// "no such file" in a folder that is there counts as no file. A step whose
// files cannot be reached stays recorded until they can.
//
// The file (version 2, little-endian): "QSTP", Integer version, Integer
// commit kind, the folder of a settings commit as a byte string (the file
// system's bytes of the path), a flag set once the commit point is known to
// be reached, then the created and the removed names, each an Integer count
// of (path as a byte string, 32 bytes SHA-256), and last the SHA-256 of all
// the bytes before it, so that a record cut short or damaged never passes.
// A name in or below the record's own folder is stored relative to it, so a
// share mounted at another path still finds the files; others are absolute.
// Version 1 stored every name absolute and is still read; a record of a
// later version is left as it is and not acted on.
#include "platform/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct stat;
struct timespec;

// The largest record: its head and folder (a path of at most 4096 bytes),
// then two lists of at most 32,767 names (the Integer count), each a path of
// at most 4096 bytes with its 2-byte length and its 32-byte checksum, and
// the closing checksum. Around 270 MB, bounded; a larger file at a record's
// name is damaged and set aside without being read.
inline constexpr int64_t MaxIntentNames = 32767;
inline constexpr int64_t MaxIntentPathBytes = 4096;
inline constexpr int64_t MaxIntentRecordSize = 4 + 2 + 2 + (2 + MaxIntentPathBytes) + 2
    + 2 * (2 + MaxIntentNames * (2 + MaxIntentPathBytes + 32)) + 32;
// The largest file a record names that is read for its checksum: a report
// (the largest file a step writes: MaxReportFileSize), a curve or a pending
// file. A larger one holds no bytes of any step.
inline constexpr int64_t MaxStepFileSize = 64LL * 1024 * 1024;

struct IntentFile {
    QString Path;          // absolute (as read: joined to the record's folder)
    QByteArray Checksum;   // SHA-256 of the bytes written or found
};

// What tells whether the step reached its commit point.
enum class IntentCommit : int16_t {
    SettingsNameFolder = 1,   // the settings name Folder as the data folder (a change of data folder)
    // Created[0] holds its bytes (a report renamed to its name); where
    // Created[1] is the report written under a name of the step's own
    // (StagedReportName), that name gone instead: the rename is the commit
    // point, whatever another seat made of the report since.
    FileWritten = 2,
    FileRemoved = 3,          // Removed[0] is gone (a series' old file removed)
    // Not a step but a note in the program folder: it stood in for the seat
    // folder Folder, whose pending files this seat has not loaded since.
    // Those series come back once Folder can be reached, and the operator
    // is told of the reports and DFQ files written since the note's time
    // (kept through rewrites) and asked at every start until Folder is the
    // data folder again (earlier runs set Committed once they had told; it
    // is not read); it is never finished as a step (its commit point is
    // always unknown).
    StoodIn = 4,
};

enum class IntentCommitState { NotReached, Reached, Unknown };

struct IntentRecord {
    IntentCommit Commit = IntentCommit::FileWritten;
    QString Folder;            // the new data folder, for SettingsNameFolder
    // Set where the record is written again after its commit point because
    // finishing failed: a later change of the committed file (a report
    // edited in the detail window) must not make it look undone.
    bool Committed = false;
    std::vector<IntentFile> Created;
    std::vector<IntentFile> Removed;
};

// The record of a change of data folder lies in the program folder, beside
// the settings file that is its commit point, whichever folder the settings
// name; the record of a step on the series' files lies in their folder, so
// that a termination works where the program folder may not be written.
// Each record is made under a name of its own, "<stem> <n>.STP", created
// only where no file is, so no record replaces another or a user's file;
// "<stem>.STP" of earlier versions is still read.
inline constexpr char DataFolderChangeRecordStem[] = "QUINTARA";
inline constexpr char SeriesStepRecordStem[] = "PENDING";
// A report written first under this name in its record's folder and then
// renamed to its own: "ENDING <n>.QTA", n from 1.
QString StagedReportName(int n);
bool IsStagedReportName(const QString& name);

// Whether a record lying in folder may name the file at path (absolute,
// clean): in the program folder, a pending file or a report anywhere, but
// none of the program's own ("QUINTARA.*", records, locks), and a change of
// data folder there also the curves it moves; in a data folder or a seat folder, which
// others can write, only a pending file or a report in that folder or in one
// real folder below it (no link on the way), and from a seat's folder also
// one of the data folder it lies in, but none in another seat's folder; from
// the data folder itself none in a seat's folder (a record there may name
// a seat's file only as the copy its take-over made, beside the old
// file of its bytes: see ReadIntentRecord).
bool IntentRecordMayName(const QString& folder, const QString& path);

// The records lying in the folder, in name order.
QStringList IntentRecordPaths(const QString& folder);

// Whether two paths name one folder (or one file): the same cleaned path,
// or the same device and inode.
bool SameFolder(const QString& a, const QString& b);
bool SameFile(const QString& a, const QString& b);

QByteArray IntentChecksum(const std::string& bytes);

// The bytes of the record as it lies in folder (names in or below it
// relative to it); empty for a record with more than 32,767 names in a list,
// which its count cannot hold (creating or rewriting one fails).
std::string IntentRecordBytes(const IntentRecord& record, const QString& folder);
enum class IntentParse { Whole, Damaged, LaterVersion };
// The record of the bytes, read as lying in folder; Damaged for bytes that
// are no whole record, LaterVersion for a record this version cannot know.
IntentParse ParseIntentRecord(const std::string& bytes, const QString& folder, IntentRecord& record);

// The entry of the file at path as it is now, in entry; entry empty when
// there is no such file and its folder is there. False, with the error,
// when it cannot be read or its folder cannot be reached: that says
// nothing of the file.
bool IntentFileAsFound(const QString& path, std::optional<IntentFile>& entry, SystemError& error);

// Makes the record in folder under a free name "<stem> <n>.STP", created
// where no file is, written whole and synced with its folder before the
// step changes a file; path gets its name. False, with nothing left, when
// any of it failed (a folder that could not be synced included).
bool CreateIntentRecord(const QString& folder, const QString& stem, const IntentRecord& record, QString& path,
                        SystemError& error);
// Puts the record in place of the program's own record at path (made anew
// and renamed over it), synced.
bool RewriteIntentRecord(const QString& path, const IntentRecord& record, SystemError& error);

enum class IntentRead { Absent, Read, Unreadable, SetAside, LaterVersion, NotARecord, Refused };
// The record at path. One that is damaged, or a link in a record's place
// (the link itself, never what it leads to), is renamed aside
// ("PENDING 3.STP.BAD", ".BAD2", ...) with a log line, and nothing is done on
// its word; one of a later version, or a file that is no record of the
// program's at all (a user's file of such a name), is left as it is; one
// that cannot be read (an I/O error) stays where it is, logged.
//
// Records and every name in them are input from a folder others can write.
// A record in a data folder or a seat's folder names only files in that
// data folder ("PENDING n.QTA" and test reports, in it or in one real
// folder below it, never through a link; from a seat's folder, none in
// another seat's; from the data folder itself, none in a seat's folder but
// the copies of its take-over: created names each beside a removed
// old file of the same bytes right in the data folder), and no change of
// data folder; one
// in the program folder may name the data folders too, only files of the
// shapes a step writes there (a change of data folder also its curves),
// and none of the program's own files ("QUINTARA.*", records, locks). A record that names
// anything else is logged and left as it is, and nothing is done on its
// word (Refused). A file a record names is never read through a link: a
// link at its name holds no bytes of a step, and is left alone.
IntentRead ReadIntentRecord(const QString& path, IntentRecord& record, const QString& procedure);

// Whether the step reached its commit point; dataFolder is the folder the
// settings name. Unknown while the file that tells cannot be reached.
IntentCommitState IntentCommitOf(const IntentRecord& record, const QString& dataFolder);

// The names the step still means to remove: the removals once committed,
// the names it created when not; both while that is unknown.
std::vector<IntentFile> IntentLeftovers(const IntentRecord& record, IntentCommitState state);

// Removes the file while it holds the bytes of the entry, synced with its
// folder (left to the caller, with syncFolder false, that syncs each folder
// once for many removals). Other bytes are left alone (logged); a file that
// is gone is done. Failed, logged, when it or its folder cannot be reached
// or the removal was refused.
enum class IntentRemoval { Removed, Gone, OtherBytes, Failed };
IntentRemoval RemoveIfItHolds(const IntentFile& file, const QString& procedure, bool syncFolder = true);

// The run's memory of files whose bytes it hashed: a file found later on
// the same device and inode, with the same size and the same modification
// and change times, is known to hold them and is not read again (a hard
// link this run made of such a file is that file). Remember notes the file
// at path as it is now, while the system still says of it what it said in
// `before` (the look taken before its bytes were read, lookedAt the
// IntentLookClock read just before that look), and only where its last
// change lies well before lookedAt: a file changed in the same tick of the
// file system's clock as the look could change again unseen, and is read
// again instead. Known tells whether the file at path is such a file.
// RememberLink notes the file at path again where it is a hard link just
// made of a file known by the checksum (the link moved its change time).
struct timespec IntentLookClock();
void RememberIntentFile(const QString& path, const QByteArray& checksum, const struct stat& before,
                        const struct timespec& lookedAt);
void RememberIntentLink(const QString& path, const QByteArray& checksum);
bool KnownIntentFile(const QString& path, const QByteArray& checksum);
// For tests: how long before a look a file's last change must lie for the
// look to be remembered (2000 ms unless a test says otherwise).
void SetIntentLookMargin(int milliseconds);

// Completes the step recorded at recordPath: removes the leftovers that
// still hold their bytes, syncs their folders, then removes the record. A
// file at such a name that holds other bytes is left alone with a log line;
// with tellEach (a record a kill left) each removal is logged too. False,
// logged, when a removal failed, a file could not be reached or the commit
// point is unknown; the record then stays.
bool FinishIntent(const QString& recordPath, const IntentRecord& record, IntentCommitState state,
                  const QString& procedure, bool tellEach = false);
