#pragma once
// The long-term chart without its window: one result of a search drawn into
// the three surfaces of the window (the strip above the chart, the chart, the
// strip below), the point hit-test and the read-out, and the vertical scale
// and the marks that the printed long-term report shares with the screen.
//
// Each found report is one point at x = its position 1 to n in the found
// list (x runs from 0 to n + 1), with the bar from its smallest to its
// largest test value. A pass/fail result is charted as the share of passed
// tests in percent on a fixed scale from 0 to 100, black, without bars.
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"

#include <QString>
#include <cstdint>
#include <string>

class DrawingSurface;

// Colours of the chart besides the point colours (black, red, blue, green).
inline constexpr int32_t LongTermBandColour = 0x808080;       // grey 128,128,128
inline constexpr int32_t LongTermNominalColour = 0xC0C0C0;    // light grey 192,192,192

// Where the chart is drawn: the window keeps nominal values and limits the
// search derived from the mean; the paper shows them only for a result the
// style defines, and its scale may go below 0.
enum class LongTermMedium { Screen, Paper };

// True when result r (1 or 2) of the definition is pass/fail: result 1 with
// the pass/fail unit in the expected data string.
bool IsPassFailResult(const TestDefinition& definition, int result);

// The vertical scale of one result and the nominal value and limits drawn on
// it (NoValue for one not drawn: missing, or not defined on paper).
struct LongTermScale {
    bool Percent = false;   // pass/fail: 0 to 100 %
    double Bottom = 0;
    double Top = 1;
    float Nominal = NoValue;
    float Lower = NoValue;
    float Upper = NoValue;

    bool operator==(const LongTermScale&) const = default;
};

// The scale of result r of the search. From the limits:
// bottom 2 x lower - nominal (not below 0 on the screen), top 2 x upper -
// nominal, so the band fills the middle half. When one of the three is
// missing, or the top would not lie above the bottom, the scale comes from
// the hits: their lowest minimum or mean to their highest maximum or mean,
// with 10 % of the span added at each end (1 when they are all equal; on the
// screen not below 0). Always finite with the top above the bottom.
LongTermScale LongTermChartScale(const LongTermAnalysis& analysis, int result, LongTermMedium medium);

// What one found report shows of result r: the mean (in percent for a
// pass/fail result, where a report with tests and no mean counts as 0 %),
// minimum and maximum; NoValue for what is missing. Shown is false for the
// empty hit, which has no block.
struct LongTermMark {
    bool Shown = false;
    float Mean = NoValue;
    float Min = NoValue;
    float Max = NoValue;
};
LongTermMark LongTermMarkOf(const FoundProtocol& hit, int result, bool percent);

// The colour of a mark on the screen: red above the upper limit, blue below
// the lower limit (a missing limit colours nothing), green when the block's
// test parameters differ from the style's (serial number aside), which wins;
// a percent mark is always black.
int32_t LongTermMarkColour(const LongTermMark& mark, const LongTermScale& scale, bool parametersDiffer);

// The share of passes of a block's statistics in percent: the mean times
// 100, 0 when there are tests but no mean; NoValue without tests.
float PassFailPercent(const Statistics& stats);

// Draws result r of the analysis into the three surfaces
// of the window, clearing them first: the band and nominal line, then per
// report its bar and its point, a point beyond the scale in the middle of
// the strip above or below. styleHeader is the expected data string of the
// searched test type in the style chosen now, against which each report's parameters
// are compared.
void DrawLongTermChart(const LongTermAnalysis& analysis, int result, const std::string& styleHeader,
                       DrawingSurface& upperStrip, DrawingSurface& chart, DrawingSurface& lowerStrip);

// True when the pixel at (x, y), in the surface's scale, has a point colour.
bool HitTestCurvePoint(const DrawingSurface& surface, double x, double y);

// The position 1 to n of the report nearest to x (halves to even), 0 when x
// lies outside 0.5 to n + 0.5 or is not finite.
int32_t LongTermPointIndex(double x, int32_t hitCount);

// The unit of result r of the read-out: "%" for a pass/fail result, else the
// result unit of the style's expected data string.
QString LongTermReadOutUnit(const std::string& styleHeader, int result, bool percent);

// "date, hh:mm:ss / value unit": the report's series date in the date format
// and the mouse position on the scale with 3 significant digits.
QString LongTermReadOutText(double seriesDate, double y, const QString& unit);
