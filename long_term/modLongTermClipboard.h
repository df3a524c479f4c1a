#pragma once
// The clipboard copy of a long-term analysis: the blocks of the test report
// text (storage/modClipboard) filled from the analysis' series record, with
// one line per found report in place of the single values.
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"

#include <QString>

// The series record of the analysis that the style, parameter, information
// and statistics blocks read (the same record the printed report prints).
Protocol clpLongTermRecord(const LongTermAnalysis& analysis);
// One line per found report in list order: mean, minimum and maximum of
// result 1, each with unit 1 (a pass/fail result: the share of passes in
// percent with "%", no minimum or maximum), and of result 2 when all three
// are there; a missing value leaves its two cells empty. Then a "-" rule;
// only the rule when nothing was found.
QString clpLongTermValues(const LongTermAnalysis& analysis);
// The long-term text: title lines, the long-term title, criteria, property,
// information block, the found reports and the long-term statistics.
QString clpLongTermAnalysisText(const LongTermAnalysis& analysis);
// Puts that text on the clipboard.
void clpCopyLongTermAnalysis(const LongTermAnalysis& analysis);
