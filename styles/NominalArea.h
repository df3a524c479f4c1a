#pragma once
// The nominal area of the style editor without widgets: nominal value, lower
// and upper limit and confidence interval of result 1 and 2, and the number
// of tests, for the test type in front. One set of boxes serves every page.
#include "styles/TestPage.h"

#include <QString>

// A stored value as its box shows it: empty for NoValue and for anything not
// finite, else the number with the locale's decimal separator, no grouping,
// up to seven significant digits and no trailing zeros.
QString NominalText(float value);

// Fills the boxes and the test count from the definition. A count of 0 (the
// blank definition) shows "999"; a count outside 1 to 999 selects nothing,
// and reading back then gives 999.
void ShowNominals(NominalArea& area, const TestDefinition& definition);

// The nominal part of the definition as the boxes give it (everything but the
// expected data string). A box that holds no number is NoValue, and a missing
// nominal value or limit leaves its result not defined. Result 2 is read only
// while its boxes are visible. A pass/fail page (test type 13 with the
// KR 6100-III) keeps only its nominal value: its limits and confidence
// interval are NoValue and result 1 counts as defined.
void ReadNominals(const NominalArea& area, int testType, const PageContext& context, TestDefinition& definition);

// The box to correct, PageControl::None when the area is valid; the last
// failing check in the order: result 1 (nominal between its limits, each
// within 0.0001 to 999999; with some given, every one of the three given;
// confidence interval within 0 to 100 or empty), then the same for result 2
// while it is visible. A pass/fail page checks only its nominal value, a
// share of passed tests: empty, or 0 to 100.
PageControl ValidateNominals(const NominalArea& area, int testType, const PageContext& context);

// The test type shows a second result: two results, or 11 and 12 with the
// KR 6100-III.
bool HasSecondResult(int testType, const PageContext& context);
// Test type 13 with the KR 6100-III: a count of passed tests.
bool IsPassFailPage(int testType, const PageContext& context);

// Shows the boxes of the test type and arranges its page: the result-2
// column, the pass/fail page 13 without limits and unit frame (its parameter
// frames move up, and stay there), and on the keyboard page only the frames
// of the parameters the keyboard definition names.
void ArrangeTestPage(int testType, NominalArea& area, TestPages& pages, const PageContext& context);

// The tip of a box of the nominal area for the page in front: the range of
// the values with the unit of its result, the percentage of passed tests for
// the pass/fail nominal value, the range of the confidence interval.
QString NominalTip(PageControl box, const TestPage& page, const PageContext& context);
