#pragma once
// The long-term search without its window: the criteria built from the
// filter values, the wildcard match, the test of one stored report against
// the criteria, the common serial number, the sort by date, the long-term
// statistics, the whole search over a style folder, and the preparation of
// the definition that the grids and the chart show.
//
// The window reads its controls into plain values and calls these; the
// progress bar is repainted from the search's progress callback.
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Filter texts and the wildcard match

// Every "#", "[" and "]" enclosed in brackets ("[#]", "[[]", "[]]"), so that
// to the user only "*" and "?" are wildcards.
QString EscapeLikePattern(const QString& text);
// The inverse, left to right: "[#]", "[[]" and "[]]" become "#", "[" and "]";
// everything else stays as it is.
QString UnescapeLikePattern(const QString& text);

// The whole value against the whole pattern, ignoring case character by
// character (case folding of one character, so "ß" never becomes "SS"): "*"
// any run of characters, "?" any one character, "#" one digit 0 to 9, a
// bracketed list ("[abc]", ranges "[a-z]", "[!...]" for none of them) any
// one character of it; every other character itself. A "]" right after
// "[" or "[!" belongs to the list, so "[]]" is a "]"; a "[" without a
// closing "]" is itself. The empty pattern matches only the empty value.
// Time at most the value's length times the pattern's, never recursive.
bool MatchesLikePattern(const QString& value, const QString& pattern);

// ---------------------------------------------------------------------------
// Criteria

// What the filter controls show, as plain values.
struct SearchFilterValues {
    int16_t PropertyCode = 0;   // test type of the chosen property
    QString StyleName;          // name of the chosen style
    QString Reference2;         // texts of the reference and operator boxes as typed
    QString Reference3;
    QString Reference4;
    QString Operator;
    int YearFrom = 0;
    int MonthFrom = 0;
    int DayFrom = 0;
    int YearTo = 0;
    int MonthTo = 0;
    int DayTo = 0;
    int HourFrom = 0;
    int MinuteFrom = 0;
    int HourTo = 0;
    int MinuteTo = 0;
};

// The criteria: the texts trimmed and escaped; the dates built with days and
// months carried over (31 April is 1 May) and put in order; the times in
// order by hour and minute first, then from the first minute's second 0 to
// the last minute's second 59, so both end minutes count whole and the
// window never runs across midnight (18:00 to 06:00 is 06:00:00 to
// 18:00:59).
SearchPattern BuildSearchCriteria(const SearchFilterValues& filters);

// ---------------------------------------------------------------------------
// One stored report

// The position 1 to 6 of the block holding the test type in the report form
// the series uses: the last item naming it, 0 when none (also for a form
// index outside 1 to 10 or a test type outside 1 to 20).
int FindPropertyBlock(const Protocol& protocol, int testType);

// Whether a report is a hit: it has the property with at least one test, is
// finished, its style name equals the criteria's ignoring case (blanks
// count), references and operator match their patterns, and its date lies in
// the date window and its time of day (to the second) in the time window.
// A date that is not finite, outside the years 100 to 9999, or not after 30
// December 1899 (0 is the empty date) is never a hit. On a hit commonSerial
// is narrowed by CommonSerialNumber.
bool MatchesSearchPattern(const Protocol& protocol, const SearchPattern& criteria, QString& commonSerial);

// Three blanks: no hit yet.
inline const QString NoHitSerial = QStringLiteral("   ");

// The common serial number after one more hit: the hit's serial number after
// none (NoHitSerial); "" once two differ (compared ignoring case), and ""
// stays "".
QString CommonSerialNumber(const PropertyBlock& block, const QString& current);

// Sorts found[low..high] by the Date of each series, ascending, by the
// partition scheme of the original program, so equal dates end in its order:
// the pivot is the date at (low + high) / 2; i runs up past earlier dates, j
// down past later ones, and each pair that stops both is exchanged. The
// smaller part is sorted first, so the depth stays below log2 of the count.
// Bounds outside the array are cut to it.
void SortFoundProtocols(std::vector<FoundProtocol>& found, int32_t low, int32_t high);

// Whether a block's header fits the expected data string of the style: no
// deviation but the serial number, the block's header taken as the string
// received and the style's as the reference (an empty field of the style
// never deviates; the tolerances of the instrument models read the header).
bool TestParametersMatch(const std::string& header, const std::string& expected);

// True when the expected data string gives result 1 the pass/fail unit.
bool IsPassFailDefinition(const TestDefinition& definition);

// ---------------------------------------------------------------------------
// The search

struct LongTermSearchResult {
    // Element 0 the empty hit, the hits from 1, sorted by date; a hit's
    // Path is the style folder name, "\" and the file name as listed.
    std::vector<FoundProtocol> Found;
    // Over the tests of the hits that are not deleted (only blocks whose own
    // Count is above 0): Count counts each such test, present values or
    // not; sums and extremes take the present values (a NaN or infinity
    // counts as missing); each mean is its sum over Count, as a Single, CV
    // and CI use Count and StudentT95(Count). A measured result has a mean
    // only when its sum is above 0, and a CV and CI only with a mean above 0
    // and Count 2 or more; a pass/fail result 1 has the share of passes, 0
    // when all failed. No test gives the empty statistics. The sums run in
    // the order the files are read.
    ::Statistics Statistics;
    QString CommonSerial = NoHitSerial;
};

// Called with the whole percent of the files read (rounded, halves to even),
// each time it changes; not at all for an empty folder.
using SearchProgress = std::function<void(int percent)>;

// Lists the style folder of criteria.Style below DataFolder, reads every
// report in it, keeps the hits sorted by date and computes their statistics
// (result 1 as pass/fail when the definition, the style's for the property,
// says so). Damaged and foreign files and unsafe names are skipped; reports
// of an older layout are converted and written back, and when that fails
// for any of them message 32 is shown once, after all files are read. A
// missing folder gives no hit. Runs to its end without the event loop.
LongTermSearchResult SearchLongTermReports(const SearchPattern& criteria, const TestDefinition& definition,
                                           const SearchProgress& progress = SearchProgress());

// After a search with statistics, in this order:
// The style's definition of the property, with the mean as nominal and
// limits 10 % either side for each result the style does not define; an
// undefined pass/fail result 1 gets the share of passes in percent as its
// nominal and no limits.
TestDefinition LongTermDefinition(const Style& selectedStyle, int propertyCode, const Statistics& statistics);
// A pass/fail property is charted as a percentage: a missing nominal becomes
// the mean times 100 where there is a mean, the upper limit 100, the lower
// limit the nominal; minimum, maximum, CV and CI of result 1 go. Anything
// else is left alone.
void PreparePassFailScale(TestDefinition& definition, Statistics& statistics);
// The serial number field of the expected data string becomes the common
// serial number (blank when the hits differ); an empty expected string stays
// empty.
void ApplyCommonSerial(TestDefinition& definition, const QString& commonSerial);
