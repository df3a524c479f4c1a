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
// The file (version 1, little-endian): "QSTP", Integer version, Integer
// commit kind, the folder of a settings commit as a byte string (the file
// system's bytes of the path), a flag set once the commit point is known to
// be reached, then the created and the removed names, each an Integer count
// of (path as a byte string, 32 bytes SHA-256), and last the SHA-256 of all
// the bytes before it, so that a record cut short or damaged never passes.
#include "platform/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct IntentFile {
    QString Path;          // absolute
    QByteArray Checksum;   // SHA-256 of the bytes written or found
};

// What tells whether the step reached its commit point.
enum class IntentCommit : int16_t {
    SettingsNameFolder = 1,   // the settings name Folder as the data folder (a change of data folder)
    FileWritten = 2,          // Created[0] holds its bytes (a report renamed to its name)
    FileRemoved = 3,          // Removed[0] no longer holds its bytes (a series' old file gone)
};

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
inline constexpr char DataFolderChangeRecordName[] = "QUINTARA.STP";
inline constexpr char SeriesStepRecordName[] = "PENDING.STP";

QByteArray IntentChecksum(const std::string& bytes);

std::string IntentRecordBytes(const IntentRecord& record);
// Nothing for bytes that are no whole record of a known version.
std::optional<IntentRecord> ParseIntentRecord(const std::string& bytes);

// The entry of the file at path as it is now, in entry; entry empty when
// there is no such file. False, with the error, when it cannot be read.
bool IntentFileAsFound(const QString& path, std::optional<IntentFile>& entry, SystemError& error);

// Written whole and synced with its folder before the step changes a file.
bool WriteIntentRecord(const QString& path, const IntentRecord& record, SystemError& error);

enum class IntentRead { Absent, Read, Unreadable, SetAside };
// The record at path. One that is damaged or of an unknown version is
// renamed aside ("QUINTARA.STP.BAD", ".BAD2", ...) with a log line, and
// nothing is done on its word; one that cannot be read (an I/O error) stays
// where it is, logged.
IntentRead ReadIntentRecord(const QString& path, IntentRecord& record, const QString& procedure);

// Whether the step reached its commit point; dataFolder is the folder the
// settings name.
bool IntentCommitted(const IntentRecord& record, const QString& dataFolder);

// The names the step still means to remove: the removals once committed,
// else the names it created.
const std::vector<IntentFile>& IntentLeftovers(const IntentRecord& record, bool committed);

// Completes the step recorded at recordPath: removes the leftovers that
// still hold their bytes, syncs their folders, then removes the record. A
// file at such a name that holds other bytes is left alone with a log line;
// with tellEach (a record a kill left) each removal is logged too. False,
// logged, when a removal failed; the record then stays.
bool FinishIntent(const QString& recordPath, const IntentRecord& record, bool committed, const QString& procedure,
                  bool tellEach = false);
