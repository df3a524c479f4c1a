#pragma once
// The import of the previous program generation's data, without widgets.
//
// That generation kept its results in one text file per instrument, named in
// its initialisation file QUINTARA.INI (section "Daten"), and each airbag
// curve in a binary file of its own. One import, for a source folder:
//   1. every valid line of the text files becomes a finished test report,
//      written as a new read-only file into the source folder itself;
//   2. every old curve file becomes a curve file and a finished report in
//      the data folder, and the report's style joins the stored styles;
//   3. every report in the source folder (those just written among them)
//      adds its style and report forms when the style is new, and moves into
//      its style folder below the data folder;
//   4. the settings are saved, and message 39 counts the reports and styles
//      taken over.
// Old text is Windows-1252, one byte one position counted from 1; lines end
// at CR LF, LF or CR.
#include "foundation/CurveRecords.h"
#include "foundation/DataStringRecord.h"
#include "foundation/Records.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The source folder and the data-file names read from the old INI file.
struct OldFileSet {
    QString Folder;
    QString File1;      // keyboard entries
    QString File3;      // D 7041
    QString File4;      // MP 4300
    QString File5;      // MP 4800
    QString File6;      // KR 6100
    QString File7;      // KR 6400
    QString File8;      // KR 6450
    QString File9;      // KR 6800
    QString File10;     // Lister

    bool operator==(const OldFileSet&) const = default;
};

// One result of the previous generation: one line of a text file, or one
// curve file.
struct OldRecord {
    int16_t InstrumentCode = 0;     // given by the caller, not read
    double TestDate = 0;            // no time part
    double TestTime = 0;            // no date part
    QString StyleName;
    QString Reference2;
    QString Reference3;
    QString Operator;
    int16_t TestCount = 0;
    int16_t TestType = 0;           // 0 = not recognised
    std::string Unit;               // unit code of result 1, or empty
    float Mean1 = 0;
    float Min1 = 0;
    float Max1 = 0;
    float Mean2 = 0;
    float Min2 = 0;
    float Max2 = 0;
    float CV1 = 0;
    float CV2 = 0;
    std::vector<float> Values1;     // single values from index 1; element 0 is a placeholder
    std::vector<float> Values2;

    bool operator==(const OldRecord&) const = default;
};

// The empty record: code 0, zero dates, empty texts, zero Integers, the eight
// Singles NoValue, both arrays the one element 0 holding NoValue.
OldRecord MakeEmptyOldRecord();
extern OldRecord EmptyOldRecord;
// True when every field equals the empty record's (arrays by their bounds).
bool IsEmptyOldRecord(const OldRecord& record);

// Texts that mark what the import made.
inline const char* const MigrationText = "QUINTARA II Migration";

// The old INI file's data-file names for the source folder. Its section
// "Daten" is read from a QUINTARA.INI in the source folder (any case) when
// there is one, else from the program folder's; a missing file, section or
// key gives the default name. A value is cut to its last part after "\" or
// "/"; a part that is empty, "." or "..", or holds control characters, leaves
// that instrument's name empty, with one log line.
OldFileSet ReadOldIni(const QString& folder);

// A number field of an old line: blanks around an optional sign, digits with
// at most one "." or "," as decimal point, an optional exponent, nothing
// else; a Single above 0.0001. Anything else is NoValue.
float ParseOldNumber(const std::string& text);

// The record of one line of the text file of an instrument code (1, 2, 3, 4,
// 5, 9, 12, 13 or 15); the empty record when the line is not taken: shorter
// than 131 characters, an unknown line kind, no real date and time in
// positions 2 to 11, a blank style, a number of tests outside 1 to 99, a mode
// that is no digit or not listed for the instrument, or missing results.
OldRecord ParseOldLine(int16_t instrumentCode, const std::string& line);

// The finished series of an old record: a style of the record's name with
// its test definition and one report form "QUINTARA II Migration t", one
// property of TestCount tests. The empty Protocol for a record whose test
// type is not 1 to 20 or whose number of tests is below 1.
Protocol ConvertOldRecord(const OldRecord& record);

// The expected data string of a migrated test definition: the model
// identifier and code letter of the test type, d's parameters and their
// units, d's result unit (an old unit code, written as it stands) at 48; at
// 55 d's second result unit, else "n" (%) for test type 9, whose instrument
// always sends it.
std::string BuildHeaderImage(int16_t testType, const DataStringRecord& d);

// True for an old curve file: a name of eight digits (a real date: the last
// digit of the year, month, day, three more digits) and more, exactly 3138
// bytes beginning with Chr(30) "66".
bool IsOldCurveFile(const QString& folder, const QString& name);

// The curve of an old curve file's bytes: the converted data string as its
// header, the two factors (two bytes earlier when the old string's CR stands
// at position 35), p1 and p2 as value / 15 * factor and s as value / 7895,
// 512 entries each read from the blocks at bytes 137, 1137 and 2137; s
// entries beyond the end of the file are 0.
ABTCurve ReadOldCurve(const std::string& bytes);

// What one import knows beyond a single file: the names that were in the
// source and data folders when it began, the names it wrote, one listing per
// style folder, its counts and the messages it owes.
struct ImportRun {
    QSet<QString> SourceKeys;           // names in the source folder (dskNameKey), kept up to date
    QSet<QString> SourceWritten;        // names this run wrote there
    QSet<QString> DataKeysBefore;       // names in the data folder when the run began
    std::map<QString, QSet<QString>> TargetKeys;    // style folder -> the names in it
    int Files = 0;                      // reports taken over
    int Styles = 0;                     // styles added
    int Failed = 0;                     // reports that could not be written or moved (message 41 or 42)
    bool DiskFull = false;              // one of them for want of room (ENOSPC, EDQUOT, EFBIG)
    bool WriteBackFailed = false;       // an older report could not be rewritten (message 32)
    bool StyleLimitReached = false;     // a new style found the list full (message 9)
    bool FormLimitReached = false;      // a new report form found the list full (message 9)
};

// A run for the source folder, with its listings taken now.
ImportRun BeginImportRun(const QString& folder);

// Writes a report for every valid line of the file into the folder. A line
// that gives a name written before in this run moves its dates on one second
// until the name is free; a name that was in the folder before the run is
// skipped (converted before). Lines over 64 KiB are skipped without being
// held whole. A report takes its name only once its bytes are on the disk,
// the disk being waited for once per few hundred reports.
void ImportInstrumentFile(int16_t instrumentCode, const QString& folder, const QString& name, ImportRun& run);

// Turns an old curve file into a curve file and a stored report, and adds
// its style as MergeStyleOfReport does; both count. Skipped when its curve
// name was in the data folder before the run. The series' dates take the
// stamp the curve file got; a curve whose report cannot be stored is deleted.
void ImportCurveFile(const QString& folder, const QString& name, ImportRun& run);

// Results of MergeStyleOfReport and MoveTestReport.
inline constexpr int ImportDone = 1;
inline constexpr int StyleKnown = -1;       // style name empty or stored already
inline constexpr int NoReport = -2;         // no readable test report
inline constexpr int StyleListFull = -3;    // a new style, and the list holds 30000
inline constexpr int NoStyleFolder = -1;    // the style folder cannot be made
inline constexpr int MoveFailed = -10;      // a name of the target in any case, or the move failed

// Appends the report's style to Styles when it is new, and those of its ten
// report forms that are new to ReportForms (up to 100).
int MergeStyleOfReport(const Protocol& report, ImportRun& run);

// Moves folder/name, whose series is report, into its style folder below
// DataFolder. Nothing is replaced: a name there in any case gives -10 and
// both files stay as they were.
int MoveTestReport(const QString& folder, const QString& name, const Protocol& report, ImportRun& run);

struct ImportCounts {
    int Files = 0;
    int Styles = 0;
    // False when the settings file could not be written and the operator
    // gave up: the styles counted are in the list in memory only.
    bool SettingsSaved = true;

    bool operator==(const ImportCounts&) const = default;
};

// The import of the source folder, steps 1 to 4 above. progress gets 0 to
// 100 after each file of step 3. A source folder that does not exist gives
// message 10 and no count message. Messages: 32 once when older reports
// could not be rewritten, 9 once per full list. Then the settings are saved;
// while they cannot be, message 31 asks and Yes tries again. After No the
// moved reports stay in their style folders and the new styles in the list
// in memory, which the next save of the settings writes; one log line and,
// when there are new styles, message 43 say so. Then 39 with the counts, then
// the number of reports that could not be written or moved, when there were
// any: message 41, which asks for room on the disk, when a write or move of
// them failed for want of it, else 42, the count alone (a read-only source
// folder). A report left out because its name is taken already is no such
// failure: it is kept on purpose.
ImportCounts RunImport(const QString& folder, const std::function<void(int)>& progress);
