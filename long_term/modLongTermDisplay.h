#pragma once
// What the long-term window and the detail window show, without their
// widgets: the texts of the value grids, the property list of a style, the
// enabling rules as a table, the captions, the arrangement of the date boxes
// and the year list, and the hand-over text between the two windows.
#include "foundation/GridInfoRow.h"
#include "foundation/Records.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// ---------------------------------------------------------------------------
// Value grids

// The five statistics rows: mean, minimum, maximum, CV, CI. The rows of the
// style's values are the main window's (NominalGridRows, modSeries).
using ValueGridRows = std::array<GridInfoRow, 5>;
enum StatisticsRow { RowAvg = 0, RowMin, RowMax, RowCV, RowCI };

// How the statistics rows of a window read.
struct StatisticsGridStyle {
    // Result 1 missing: "---" in the long-term window; the detail window
    // leaves it empty except in the CV and CI rows.
    bool DashForMissingValues = true;
    // The detail window shows the warning sign of the block in the last cell
    // of the mean row.
    QString WarningSign;
};

// Values with 3 significant digits and the units of the result units given,
// each with its limit sign against the definition; CV and CI "0.0" and "%";
// result 2 empty where missing. A pass/fail result 1 shows the share of
// passes in percent with "%" and no sign (0 % for tests without a mean). A
// missing value is never written as a number. Empty statistics give empty rows.
ValueGridRows LongTermStatisticsRows(const Statistics& stats, const TestDefinition& definition, const QString& unit1,
                                     const QString& unit2, bool passFail, const StatisticsGridStyle& style);

// ---------------------------------------------------------------------------
// Filters

// The test types the report forms 1 to 10 of the style name, items 1 to 6,
// each once, in that order.
std::vector<int16_t> StylePropertyCodes(const Style& style);
// The property kept after the list changed: the present one when listed,
// else the first listed; 0 for an empty list.
int16_t SettledPropertyCode(const std::vector<int16_t>& codes, int16_t current);

// Years of the year lists: from the smaller of 1990 and the current year to
// the larger of 1999 and it.
int FirstListedYear(int currentYear);
int LastListedYear(int currentYear);

// Order of the day (0), month (1) and year (2) boxes from left to right for
// the date format: 1 day, month, year; 2 month, day, year; 3 year, month,
// day. Any other format moves nothing: empty.
std::vector<int> DateBoxOrder(int dateFormat);

// ---------------------------------------------------------------------------
// Enabling

enum class LongTermControl { FileCopy, Search, Tab0, Tab1, Pictures1, Pictures2, Print };

struct LongTermEnablingRule {
    LongTermControl Control;
    bool NeedsResults;          // only while a result is shown
    bool NeedsStyleAndProperty; // only with a style and a property chosen
    int16_t LeastResults;       // the property has at least this many results
};

// The enabling rules of the long-term window, one per control.
const std::vector<LongTermEnablingRule>& LongTermEnablingRules();

struct LongTermWindowState {
    bool StyleChosen = false;
    int16_t PropertyCode = 0;
    bool ResultsShown = false;
};
bool LongTermControlEnabled(const LongTermEnablingRule& rule, const LongTermWindowState& state);

// ---------------------------------------------------------------------------
// Captions

// Texts 1 to 9 of the long-term window in the language (1 to 5; any other
// gives empty texts): window title, Pattern, Add, Remove, Date, Time,
// Result 1, Result 2, Search for data.
QString LongTermText(int entry, int language);
// The window caption: the product title, " - " and text 1.
QString LongTermWindowCaption(int language);

// Texts of the detail window by control name (the window caption under
// "frmDetail"); empty for another name or language.
QString DetailText(const QString& controlName, int language);

// ---------------------------------------------------------------------------
// Hand-over to the detail window

// Chr(test type), Chr(block) and the report's path below the data folder.
QString MakeHandOver(int16_t testType, int block, const QString& path);

struct DetailHandOver {
    int16_t TestType = 0;   // 1 to 20
    int Block = 0;          // 1 to 6
    QString Path;           // "QTAnnn\" and a bare file name
};
// False for a text whose first two characters are no test type and block
// or whose path is not a style folder "QTAnnn" (three digits), a backslash
// and a bare file name, or would lie outside the data folder.
bool ParseHandOver(const QString& text, DetailHandOver& handOver);
