#include "curves/modABTCurveDisplay.h"

#include "curves/modABTCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int MinLimitKpa = 1;
constexpr int MaxLimitKpa = 99;

// A limit part: a whole number 1 to 99 with nothing but blanks around it;
// 0 when the part does not count.
int LimitPart(const QString& part)
{
    const QString text = part.trimmed();
    if (text.isEmpty() || text.size() > 2)
        return 0;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return 0;
    const int value = text.toInt();
    return value >= MinLimitKpa && value <= MaxLimitKpa ? value : 0;
}

// First and last maximum of each page's X and Y list.
struct SeriesRange {
    int xFirst, xLast, yFirst, yLast;
};
const SeriesRange Ranges[5] = {
    {100, 500, 10, 200},
    {10, 200, 2, 25},
    {5, 20, 20, 1000},
    {3, 200, 30, 120000},
    {3, 200, 30, 120000},
};

QString Whole(double value)
{
    return Format(static_cast<double>(CLng(value)), QStringLiteral("#,##0"));
}

} // namespace

AbtHeaderLimits AbtLimitsFromHeader(const QString& parameter3)
{
    AbtHeaderLimits limits;
    const qsizetype slash = parameter3.indexOf(u'/');
    if (slash < 0)
        return limits;
    const int lower = LimitPart(parameter3.left(slash));
    const int upper = LimitPart(parameter3.mid(slash + 1));
    limits.LowerEntry = lower;
    limits.UpperEntry = upper;
    AbtLimitsFromBoxes(lower, upper, limits.LowerLimit, limits.UpperLimit);
    if (lower > 0 && upper > 0) {
        limits.LowerEntry = limits.LowerLimit / 10;
        limits.UpperEntry = limits.UpperLimit / 10;
    }
    return limits;
}

void AbtLimitsFromBoxes(int lowerKpa, int upperKpa, int16_t& lowerLimit, int16_t& upperLimit)
{
    const bool counts = lowerKpa >= MinLimitKpa && lowerKpa <= MaxLimitKpa && upperKpa >= MinLimitKpa
        && upperKpa <= MaxLimitKpa;
    if (!counts) {
        lowerLimit = 0;
        upperLimit = 0;
        return;
    }
    lowerLimit = static_cast<int16_t>(lowerKpa * 10);
    upperLimit = static_cast<int16_t>(upperKpa * 10);
    if (lowerLimit > upperLimit)
        SwapVariants(lowerLimit, upperLimit);
}

std::vector<int> AbtAxisMaximumSeries(int page, bool yAxis)
{
    std::vector<int> series;
    if (page < 0 || page > 4)
        return series;
    const SeriesRange& range = Ranges[page];
    const int first = yAxis ? range.yFirst : range.xFirst;
    const int last = yAxis ? range.yLast : range.xLast;
    static const int tenths[] = {10, 12, 15, 18, 20, 25, 30, 40, 50, 60, 80};
    for (int64_t decade = 1; decade <= 100000; decade *= 10)
        for (const int m : tenths) {
            // m tenths of the decade: a whole number only from the second decade on.
            if ((m * decade) % 10 != 0)
                continue;
            const int64_t value = m * decade / 10;
            if (value >= first && value <= last)
                series.push_back(static_cast<int>(value));
        }
    return series;
}

AbtResultRows AbtResultRowsOf(const AbtEvaluation& eval)
{
    AbtResultRows rows;
    const QString ms = UnitText("_", Language);
    if (IsPresentValue(eval.PeakPressure)) {
        rows.MaxPressure.Value1Text = FormatNumberText(eval.PeakPressure / 10.0f, 3);
        rows.MaxPressure.Unit1Text = UnitText("A", Language);
    }
    rows.RiseTime.Value1Text = QString::number(eval.PeakIndex - eval.StartIndex);
    rows.RiseTime.Unit1Text = ms;
    rows.FallTime.Value1Text =
        eval.FallTime == IntegerNoValue ? QStringLiteral(">500") : QString::number(eval.FallTime);
    rows.FallTime.Unit1Text = ms;
    if (IsPresentValue(eval.ADAP)) {
        rows.ADAP.Value1Text = FormatNumberText(eval.ADAP, 3);
        rows.ADAP.Unit1Text = UnitText("H", Language);
    } else {
        rows.ADAP.Value1Text = QStringLiteral("---");
    }
    rows.Exponent.Value1Text = IsPresentValue(eval.Exponent) ? FormatNumberText(eval.Exponent, 3) : QStringLiteral("---");
    return rows;
}

AbtNominalRows AbtNominalRowsOf(const TestDefinition& definition)
{
    AbtNominalRows rows;
    const QString unit1 = UnitText("H", Language);
    const QString unit2 = UnitText(" ", Language);
    auto put = [&](GridInfoRow& row, float value1, float value2) {
        if (definition.Defined1 && IsPresentValue(value1)) {
            row.Value1Text = FormatNumberText(value1, 3);
            row.Unit1Text = unit1;
        }
        if (definition.Defined2 && IsPresentValue(value2)) {
            row.Value2Text = FormatNumberText(value2, 3);
            row.Unit2Text = unit2;
        }
    };
    put(rows.Nominal, definition.Nominal1, definition.Nominal2);
    put(rows.LowerLimit, definition.Lower1, definition.Lower2);
    put(rows.UpperLimit, definition.Upper1, definition.Upper2);
    return rows;
}

AbtAxisCaptions AbtAxisCaptionsOf(const PlotWindow& window, int page)
{
    AbtAxisCaptions captions;
    if (!abtIsUsableWindow(window, page))
        return captions;
    const double x2 = window.x2;
    const double y2 = window.y2;
    const double x = page == 1 || page == 3 || page == 4 ? x2 / 10 : x2;
    const double y = page == 0 ? y2 / 10 : y2;
    captions.X = Whole(x) + u' ' + abtXAxisUnit(page);
    captions.Y = Whole(y) + u' ' + abtYAxisUnit(page);
    return captions;
}

QString AbtReadOutText(int page, double x, double y)
{
    double shownX = x;
    double shownY = y;
    switch (page) {
    case 0: shownY = y / 10; break;
    case 1:
    case 3: shownX = x / 10; break;
    case 4:
        shownX = std::exp(x) / 10;
        shownY = std::exp(y);
        break;
    default: break;
    }
    return FormatNumberText(static_cast<float>(shownX), 3) + u' ' + abtXAxisUnit(page) + QStringLiteral(" / ")
        + FormatNumberText(static_cast<float>(shownY), 3) + u' ' + abtYAxisUnit(page);
}

QString AbtSensorText(int16_t factor1, int16_t factor2, const QString& unit)
{
    // 32-bit products: a factor of 400 is a range of 40000.
    const int32_t range1 = static_cast<int32_t>(factor1) * 100;
    const int32_t range2 = static_cast<int32_t>(factor2) * 100;
    return QString::number(range1) + u'/' + QString::number(range2) + u' ' + unit;
}

int AbtFractionDenominator(const QString& text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return 0;
    return std::max(0, CLng(Val(text.mid(slash + 1))));
}

AbtEnableState AbtEnableStateOf(AbtEnableRule rule, bool curve, int page, bool computedAvailable, bool noSensor)
{
    const bool pages34 = page == 3 || page == 4;
    switch (rule) {
    case AbtEnableRule::OnlyWithCurve: return {!curve, false};
    case AbtEnableRule::Curve: return {true, curve};
    case AbtEnableRule::Page4: return {true, page == 4};
    case AbtEnableRule::Page3Or4: return {true, pages34};
    case AbtEnableRule::Page2: return {true, page == 2};
    case AbtEnableRule::ComputedCurve: return {true, pages34 && computedAvailable};
    case AbtEnableRule::SensorTabs: return {true, curve && !noSensor};
    }
    return {};
}
