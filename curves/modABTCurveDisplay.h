#pragma once
// What the curve analysis window shows, worked out without a widget: the
// pressure limits taken from the curve header, the axis maximum lists of each
// page, the texts of the result, nominal and limit grids, the axis captions,
// the pointer read-out, the sensor ranges and the enabling rules of the
// window's controls. The window only puts these into its controls.
#include "foundation/CurveRecords.h"
#include "foundation/GridInfoRow.h"
#include "foundation/Records.h"

#include <QString>
#include <cstdint>
#include <vector>

// The curve's pressure limits: the header's parameter 3 "lower/upper" in kPa.
// A part counts only as a whole number 1 to 99 (blanks around it allowed);
// without a "/" neither part counts. Two parts that count give the limits in
// 0.1 kPa, exchanged when the lower one is above the upper one, and the boxes
// show them in that order. Otherwise both limits are 0 (the fit and ADAP
// cannot be formed), and a part that counts keeps its own box.
struct AbtHeaderLimits {
    int16_t LowerLimit = 0;
    int16_t UpperLimit = 0;
    int LowerEntry = 0;     // kPa the lower box selects; 0 leaves it without a selection
    int UpperEntry = 0;

    bool operator==(const AbtHeaderLimits&) const = default;
};
AbtHeaderLimits AbtLimitsFromHeader(const QString& parameter3);

// The limits of the two boxes' values in kPa (0 for a box without a
// selection): both in 0.1 kPa, exchanged when lower > upper; 0 and 0 while
// either box is empty.
void AbtLimitsFromBoxes(int lowerKpa, int upperKpa, int16_t& lowerLimit, int16_t& upperLimit);

// The whole numbers of the series 1, 1.2, 1.5, 1.8, 2, 2.5, 3, 4, 5, 6, 8
// times a power of ten between the first and last maximum of a page's X or
// Y list, ascending; empty for pages outside 0 to 4.
std::vector<int> AbtAxisMaximumSeries(int page, bool yAxis);

// The result grids: peak pressure in kPa, rise time and fall time in ms
// (">500" when the pulse does not end), ADAP in mm/s and the exponent ("---"
// without a unit when they are missing).
struct AbtResultRows {
    GridInfoRow MaxPressure;
    GridInfoRow RiseTime;
    GridInfoRow FallTime;
    GridInfoRow ADAP;
    GridInfoRow Exponent;
};
AbtResultRows AbtResultRowsOf(const AbtEvaluation& eval);

// The nominal value, lower and upper limit of ADAP (result 1, mm/s) and of
// the exponent (result 2, no unit), each only where the style defines that
// result; empty cells otherwise.
struct AbtNominalRows {
    GridInfoRow Nominal;
    GridInfoRow LowerLimit;
    GridInfoRow UpperLimit;
};
AbtNominalRows AbtNominalRowsOf(const TestDefinition& definition);

// The axis captions of a page drawn in the window: its maxima to whole
// numbers ("#,##0", pressures in kPa) and the units. Both empty for a window
// the page cannot be scaled to.
struct AbtAxisCaptions {
    QString X;
    QString Y;
};
AbtAxisCaptions AbtAxisCaptionsOf(const PlotWindow& window, int page);

// The read-out of the point (x, y) of a page in the picture's scale
// (logarithms on page 4): "50 kPa / 1,000 mm/s".
QString AbtReadOutText(int page, double x, double y);

// The ranges of the two pressure sensors: each factor times 100, "/" between
// them, a blank and the unit ("500/500 kPa").
QString AbtSensorText(int16_t factor1, int16_t factor2, const QString& unit);

// The denominator n of a fraction text "1/n"; 0 when there is none.
int AbtFractionDenominator(const QString& text);

// When the window's controls are enabled. "Curve" is false after a file
// that gave no curve.
enum class AbtEnableRule {
    OnlyWithCurve,      // tabs and axis lists: disabled without a curve, else left as they are
    Curve,              // copy, print, header boxes, limit boxes
    Page4,              // the fraction list
    Page3Or4,           // form factor and smoothing
    Page2,              // thickness
    ComputedCurve,      // pages 3 and 4 with ADAP and the exponent present
    SensorTabs,         // tabs 1 and 2: a curve with a bulging-height signal
};
struct AbtEnableState {
    bool Touch = false;     // false: the control is left as it is
    bool Enabled = false;
};
AbtEnableState AbtEnableStateOf(AbtEnableRule rule, bool curve, int page, bool computedAvailable, bool noSensor);
