#pragma once
// The clipboard copy of a curve analysis: the blocks of the test report text
// (storage/modClipboard) with the curve's samples and results in place of
// the single values. Row titles come from the curve window's text table and
// the thickness is handed in, so no window needs to be open.
#include "foundation/CurveRecords.h"
#include "foundation/Records.h"

#include <QString>

// The samples of the curve page shown (0 to 4), one line per millisecond 0
// to 499 under a heading and a dot rule, then peak pressure, rise and fall
// time, ADAP and exponent with the curve window's result titles. Page 2
// computes strain and stress with the thickness (mm) given; pages 3 and 4
// show the flow as the window draws it, smoothed by options.Smoothing, and
// leave the cells of samples it does not draw empty. A missing value is an
// empty cell; another page gives the results without a table.
QString clpCurveValues(const Protocol& protocol, int property, const ABTCurve& curve, const AbtEvaluation& evaluation,
                       const AbtOptions& options, int page, float thickness);
// The curve analysis text of the series' current property in the current
// Language: title lines with the airbag instrument's name, style block,
// property, parameters, the curve values and the statistics.
QString clpCurveAnalysisText(const Protocol& protocol, const ABTCurve& curve, const AbtEvaluation& evaluation,
                             const AbtOptions& options, int page, float thickness);
// Puts that text on the clipboard.
void clpCopyCurveAnalysis(const Protocol& protocol, const ABTCurve& curve, const AbtEvaluation& evaluation,
                          const AbtOptions& options, int page, float thickness);
