#pragma once
// Test report files: one binary file per finished series, "QTA" and the
// version text "8.0" followed by the packed Protocol, named after the series'
// start date and kept in a folder of its style ("QTA001" to "QTA256") below
// the data folder. Reports of older versions are converted when read and
// written back in the current layout at once.
//
// These procedures belong to the disk module; modDisk.h includes this header.
#include "foundation/Records.h"
#include "platform/ErrorCodes.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// "QTA" and three digits 001 to 256 from the trimmed, upper-cased style name:
// the sum of the low bytes of its 16-bit character codes ("Ä" 196, "’"
// U+2019 0x19), low eight bits, plus one. A character outside Windows-1252
// counts as "?", and a character keeps its own code where its upper-case form
// lies outside Windows-1252. Styles whose names give the same number share a
// folder.
QString dskStyleFolderName(const QString& styleName);

// True when the file exists (case ignored), its name ends in "QTA" (case
// ignored), it is longer than 3 bytes, begins with "QTA" and carries a
// numeric version. An error while reading it, or a name that is no bare file
// name (one style-folder part allowed), is logged and gives False.
bool dskIsTestReportFile(const QString& folder, const QString& name);

// The series in a report file, in the current layout; the name may carry one
// style-folder part ("QTA123\name.QTA"). A file of an older version is
// converted and written back as "8.0" at once; when that write-back fails,
// the converted series is returned all the same and the failure is reported
// through writeBackFailed, or, without it, by message 32 (a caller that reads
// one report). A caller that reads many passes writeBackFailed and shows the
// message once. A file that is not a test report gives the empty Protocol; a
// damaged one, or a name that reaches outside the folder, gives the empty
// Protocol and one log line, never a partial record.
// checksum, when given, receives the SHA-256 of the bytes the file held as
// the series was read from it (after a write-back, of the bytes written).
Protocol dskGetTestReport(const QString& folder, const QString& name, bool* writeBackFailed = nullptr,
                          QByteArray* checksum = nullptr);

// The SHA-256 of a report file's bytes, as dskGetTestReport gives it.
QByteArray dskReportChecksum(const std::string& bytes);

// What the file of a stored report (a name below the folder, its style
// folder included) holds now: Holds with the SHA-256 of its bytes; Gone only
// when the system says the file is missing and its folder is there; any
// other failure (the folder missing, a read error) is Unreadable, which says
// nothing about the file.
struct StoredReportNow {
    enum Kind { Holds, Gone, Unreadable };
    Kind State = Unreadable;
    QByteArray Checksum;
    bool operator==(const StoredReportNow&) const = default;
};
StoredReportNow dskStoredReportNow(const QString& folder, const QString& name);

// Rewrites a stored report (a name below the folder, its style folder
// included): with replace, the file of the name is replaced whole at once,
// read-only from the moment it has its name, and read-only again whatever
// the outcome; without, the report is written anew and takes its name only
// while it is free. No other folder is written: a folder that is gone is a
// failed write. Errors are logged; True when the file was written.
bool dskRewriteTestReport(const QString& folder, const QString& name, const Protocol& record, bool replace);

// A report file as a search reads it: read whole at once and walked with
// the checks of dskGetTestReport, decoding only what a search looks at. Its
// memory is reused from one file to the next.
struct ReportScan {
    // The texts as stored (Windows-1252): a search converts only those its
    // criteria ask for.
    std::string StyleName;
    std::string Reference2;
    std::string Reference3;
    std::string Reference4;
    std::string Operator;
    double Date = 0;
    double LastTestDate = 0;
    bool Finished = false;
    int16_t FormIndex = 0;
    std::array<ReportForm, StyleFormCount + 1> Forms{};    // the items only, no names

    // One block, after dskScanBlock: its Header and Stats, and Value1 and
    // Value2 of each of its tests that is not deleted, in order.
    struct Values {
        float Value1;
        float Value2;
    };
    std::string Header;
    ::Statistics Stats;
    std::vector<Values> Tests;

    // The file as read, the packed series in it and each block from there;
    // for a report of an older layout (Whole) the converted series instead.
    std::string Bytes;
    std::size_t SeriesAt = 0;
    std::array<std::size_t, PropertyCount + 1> BlockAt{};
    Protocol Record;
    bool Whole = false;
    std::string VersionText;    // the last version text seen
    int VersionLayout = -1;     // its layout; -1 no version
};

// Reads the listed file name of the folder for a search: true when it is a
// test report, neither damaged nor holding an index out of range (the same
// verdict as dskGetTestReport). A name with "/", "\" or a control character
// is logged and never opened; a damaged report gives one log line; a file
// that is no report (another extension, a hidden file, another magic, no
// version) is passed over quietly. A report of a layout below 6.0 goes
// through dskGetTestReport, which converts and writes it back; a failed
// write-back sets writeBackFailed and shows nothing, so that the caller
// tells it once.
bool dskScanTestReport(const QString& folder, const QString& name, ReportScan& scan, bool& writeBackFailed);

// Fills Header, Stats and Tests of the scan from block b (1 to 6) of the
// report dskScanTestReport read last.
void dskScanBlock(ReportScan& scan, int b);

// Writes a whole report file: "QTA", the version "8.0", the packed series.
// With useStyleFolder the file goes into the style folder of the series'
// style below the folder (created when missing), else into the folder itself
// (the name may hold its style folder, "\" or "/"; any other name that is
// not a bare file name is refused and logged). A folder that does not exist
// is replaced by the program folder, and when it was DataFolder, DataFolder
// becomes the program folder. An existing file is replaced whole; a
// read-only one (a stored report) is not, whoever runs the program: the
// caller clears read-only first when it means to rewrite it. Errors are
// logged; the result is True when the file was written. File permissions are
// left to the caller.
bool dskPutTestReportAction(const QString& folder, const QString& name, const Protocol& record,
                            bool useStyleFolder);

// As dskPutTestReportAction into the folder itself, but always under the
// exact name given: a file whose name differs only in case is left alone,
// and a file of the exact name is replaced even when read-only. For the
// program's fixed names, which must not land on a file that their readers
// would not take for theirs.
bool dskPutTestReportExact(const QString& folder, const QString& name, const Protocol& record);

// Writes the series as a new report file into the folder itself (never
// into a stand-in: the folder must exist), read-only from the moment it has
// its name. Refused, with one log line, for a name that is not a bare file
// name and for a name that exists in the folder in any case, or that another
// writer takes at the same moment: nothing is ever replaced, whoever runs
// the program (the file takes its name as WriteNewFile gives it). keys, when given, are the folder's
// names as dskFolderNameKeys lists them and stand in for a search of the
// folder on every call (a caller writing many files keeps one listing); the
// written name is added to them.
bool dskPutNewTestReport(const QString& folder, const QString& name, const Protocol& record,
                         QSet<QString>* keys = nullptr);

// Stores a terminated series as a new report in its style folder below
// DataFolder, named after its start date, read-only. A name that exists in
// any case is never replaced: when that file holds the very bytes of the
// report, the series counts as saved (true, nothing written); otherwise the
// name moves on one second at a time until it is free, the dates inside the
// report staying as they are. False, with a log line, only when nothing could
// be written; failure, when given, then receives the error (a full disk shows
// as 61). savedName, when given, receives the file name of the report.
bool dskSaveNewTestReport(const Protocol& record, QString* savedName = nullptr, SystemError* failure = nullptr);

// The two halves of dskSaveNewTestReport, for a caller that records the
// name before anything is written: the place chooses the name (making the
// style folder) and the bytes; the write puts them there, read-only, unless
// the name holds them already. The write gives the report its name only
// while the name is free (WriteNewFile): a name another seat took after the
// place is never replaced, and the write fails with error 58 (file already
// exists), after which a new place moves on to the next free name. The
// first place in a style folder in a run removes what killed writes left
// there (RemoveNewFileLeftoversOnce).
struct NewTestReport {
    QString Path;
    std::string Bytes;
    bool Saved = false;   // a file of that name holds these very bytes already
    int TextsCut = 0;     // texts cut to 65535 bytes, logged with the write
};
bool dskPlaceNewTestReport(const Protocol& record, NewTestReport& report, SystemError* failure = nullptr);
bool dskWriteNewTestReport(const NewTestReport& report, SystemError* failure = nullptr);
// Gives the report the file staged for it (its bytes, read-only, under a
// name of its own on the same file system) by a rename that never replaces
// a file: a name taken is error 58, and the staged file stays. Where the
// file system can neither rename without replacing nor link, the report is
// a copy of the staged file under its name made exclusively, synced before
// the staged file goes: a stop before that leaves the staged file beside a
// copy, whole or cut short, which the step's record undoes. The report's
// folder is synced after.
bool dskMoveStagedTestReport(const NewTestReport& report, const QString& staged, SystemError* failure = nullptr);

// The bytes of the report file of the series, as every report writer writes them.
std::string dskTestReportFileBytes(const Protocol& record);

// Writes report file bytes whole to the exact path (a new pending file
// under a name chosen free), the folder as it is: no stand-in folder.
bool dskWriteTestReportFile(const QString& path, const std::string& bytes, SystemError* failure = nullptr);

// The curve file names the tests of the six blocks refer to, in block and
// test order; empty names and pressure-drop half readings (holding "KR") are
// left out, and so are names that are no bare file name or name one of the
// program's own files (each with a log line).
QStringList dskCurveFileNames(const Protocol& record);
