#pragma once
// The long-term analysis as the series record that the printed long-term
// report and the clipboard text are made from, so that the header, parameter
// and statistics parts of a test report can show it.
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"

// Report form 1 with the analysed test type in item 1 as the current
// property; the style name, the references and the operator as the user
// typed them (wildcards included, the brackets of the search taken off);
// date and last test date from the start and end of the date and time
// windows; the analysis' definition as the style's definition of the test
// type; block 1 with the expected data string as header, the long-term
// statistics and the two dates. A pass/fail result 1 keeps only its nominal
// value and mean: its minimum, maximum and limits are missing.
Protocol LongTermReportRecord(const LongTermAnalysis& analysis);

// True when the analysis holds at least one found report.
bool HasLongTermHits(const LongTermAnalysis& analysis);
