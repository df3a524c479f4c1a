#pragma once
// The rules of a test series that need no window: whether a property block
// holds a test or has been started, the title of an open series, the texts
// of the value grids and of a property row, and the changes a series goes
// through (created from the working record, a block started, a property
// closed or reopened, lateral air ended, a series removed from the list).
// The main window shows and edits through these.
#include "foundation/GridInfoRow.h"
#include "foundation/Records.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The block holds a test: its Values reach beyond element 0 (deleted tests
// count; a block whose tests are all deleted is replaced by the empty one).
bool BlockHoldsTest(const PropertyBlock& block);

// The block has been started: it holds a test or a start date is set. A block
// that was only closed by its mark, or had lateral air ticked, has neither,
// and still needs its header before the first test.
bool BlockHasStarted(const PropertyBlock& block);

// The test type of item `property` (1 to 6) of the series' report form; 0
// when the report form, the property or the test type (1 to 20) is out of
// range, so the result may index a style's Tests.
int16_t PropertyTestType(const Protocol& protocol, int property);

// The title of an open series in the protocol list: its creation date as
// year-month-day, its time with seconds, " - " and the name of its report
// form ("2011-12-08, 10:15:00 - Form A").
QString ProtocolTitle(const Protocol& protocol);

// The names of the report forms 1 to 10 of the style that are not empty, in
// form order: the protocol list of the working record.
QStringList ReportFormNames(const Style& style);

// ---------------------------------------------------------------------------
// Texts

// The nominal grids of a test definition: nominal value, lower and upper
// limit, confidence-interval limit and number of tests. An empty definition
// gives empty rows.
struct NominalRows {
    GridInfoRow Nominal;
    GridInfoRow LLimit;
    GridInfoRow ULimit;
    GridInfoRow NominalCI;
    GridInfoRow Test;
};
NominalRows NominalGridRows(const TestDefinition& definition);

// The statistics grids of block `property` of the series, limit signs taken
// from the definition of the series' current property. A block without a
// test gives empty rows; a missing value 1 shows "---".
struct StatisticsRows {
    GridInfoRow Avg;
    GridInfoRow Min;
    GridInfoRow Max;
    GridInfoRow CV;
    GridInfoRow CI;
};
StatisticsRows StatisticsGridRows(const Protocol& protocol, int property);

// "counted/wanted (rest)" of a property row: the block's counted tests, the
// tests its definition asks for and the stored tests that do not count
// ("7/10 (1)"); empty for a row without a test type.
QString PropertyStatusText(const Protocol& protocol, int property);

// The block's lateral-air value with the result unit of its definition's
// expected data string; empty while there is none.
QString LateralAirText(const Protocol& protocol, int property);

// ---------------------------------------------------------------------------
// Changes

// A new open series from the working record: created and last tested now,
// every block empty but for lateral air ticked on a property of test type
// 16. The Q-DAS fields are the caller's.
Protocol NewSeriesFrom(const Protocol& working, double now);

// Block `property` started now for its first test: the header the style copy
// expects, no tests, statistics empty, open. A lateral-air value already in
// the block stays; the lateral-air choice is given, and taken only by test
// type 16.
void StartPropertyBlock(Protocol& protocol, int property, bool lateralAirOn, double now);

// Closes or reopens block `property` and stamps it and the series with now.
// Closing a pressure-drop property (test type 17) drops a first reading that
// still waits for its second, however few tests the block holds, blanks the
// unit of result 2 in its header and counts the statistics anew: a half
// reading never stays in a closed property.
void ToggleTerminated(Protocol& protocol, int property, double now);

// Lateral air switched off after lateral-air tests: their mean becomes the
// block's lateral-air value, the tests go, and the block starts again with
// the header of the series' own style copy.
void EndLateralAir(Protocol& protocol, int property, double now);

// Takes open series `index` (1 to the upper bound) out of the list, the later
// ones moving up. The index of the series shown follows the series it
// named, and never points beyond the list. Other indexes change nothing.
void RemoveSeries(std::vector<Protocol>& protocols, int index, int16_t& current);
