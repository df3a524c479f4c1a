#include "long_term/LongTermChart.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "long_term/modLongTermSearch.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/DrawingSurface.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double PercentTop = 100.0;

LongTermMark MarkOfStatistics(const Statistics& s, int result, bool percent);

float ResultValue(int result, float value1, float value2)
{
    return result == 1 ? value1 : value2;
}

float Present(float value)
{
    return IsPresentValue(value) ? value : NoValue;
}

bool Defined(const TestDefinition& definition, int result)
{
    return result == 1 ? definition.Defined1 : definition.Defined2;
}

int32_t HitCount(const LongTermAnalysis& analysis)
{
    return analysis.Found.empty() ? 0 : static_cast<int32_t>(analysis.Found.size() - 1);
}

bool IsUsable(double bottom, double top)
{
    return std::isfinite(bottom) && std::isfinite(top) && top > bottom
        && std::isfinite(top - bottom) && top - bottom > 0;
}

// The scale from the hits: lowest minimum or mean to highest maximum or mean,
// a tenth of the span beyond each end, one either side of a single value.
void ScaleFromHits(const LongTermAnalysis& analysis, int result, bool notBelowZero,
                   double& bottom, double& top)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    const int32_t n = HitCount(analysis);
    for (int32_t i = 1; i <= n; ++i) {
        const LongTermMark mark = LongTermMarkOf(analysis.Found[static_cast<size_t>(i)], result, false);
        for (const float v : {mark.Min, mark.Mean, mark.Max}) {
            if (!IsPresentValue(v))
                continue;
            low = std::min(low, static_cast<double>(v));
            high = std::max(high, static_cast<double>(v));
        }
    }
    if (!(low <= high)) {
        bottom = 0;
        top = 1;
        return;
    }
    const double margin = high > low ? (high - low) / 10.0 : 1.0;
    bottom = low - margin;
    top = high + margin;
    if (notBelowZero) {
        bottom = std::max(bottom, 0.0);
        // Values all below 0 land in the lower strip of a scale from 0.
        if (!(top > bottom))
            top = bottom + 1.0;
    }
    if (!IsUsable(bottom, top)) {
        bottom = 0;
        top = 1;
    }
}

} // namespace

bool IsPassFailResult(const TestDefinition& definition, int result)
{
    return result == 1 && IsPassFailDefinition(definition);
}

float PassFailPercent(const Statistics& stats)
{
    if (IsPresentValue(stats.Mean1))
        return stats.Mean1 * 100.0f;
    // Older reports kept no mean when no test passed.
    return stats.Count > 0 ? 0.0f : NoValue;
}

LongTermScale LongTermChartScale(const LongTermAnalysis& analysis, int result, LongTermMedium medium)
{
    const TestDefinition& d = analysis.Definition;
    const bool paper = medium == LongTermMedium::Paper;
    const bool shown = !paper || Defined(d, result);
    LongTermScale scale;
    if (IsPassFailResult(d, result)) {
        scale.Percent = true;
        scale.Bottom = 0;
        scale.Top = PercentTop;
        if (shown) {
            scale.Nominal = Present(d.Nominal1);
            scale.Lower = scale.Nominal;
            scale.Upper = static_cast<float>(PercentTop);
        }
        return scale;
    }
    if (shown) {
        scale.Nominal = Present(ResultValue(result, d.Nominal1, d.Nominal2));
        scale.Lower = Present(ResultValue(result, d.Lower1, d.Lower2));
        scale.Upper = Present(ResultValue(result, d.Upper1, d.Upper2));
    }
    if (IsPresentValue(scale.Nominal) && IsPresentValue(scale.Lower) && IsPresentValue(scale.Upper)) {
        const double n = scale.Nominal;
        double bottom = 2.0 * scale.Lower - n;
        const double top = 2.0 * scale.Upper - n;
        if (!paper)
            bottom = std::max(bottom, 0.0);
        if (IsUsable(bottom, top)) {
            scale.Bottom = bottom;
            scale.Top = top;
            return scale;
        }
    }
    ScaleFromHits(analysis, result, !paper, scale.Bottom, scale.Top);
    return scale;
}

LongTermMark LongTermMarkOf(const FoundProtocol& hit, int result, bool percent)
{
    if (hit.Block == 0)
        return LongTermMark{};
    return MarkOfStatistics(hit.Stats, result, percent);
}

namespace {

LongTermMark MarkOfStatistics(const Statistics& s, int result, bool percent)
{
    LongTermMark mark;
    mark.Shown = true;
    if (percent) {
        mark.Mean = PassFailPercent(s);
        return mark;
    }
    mark.Mean = Present(ResultValue(result, s.Mean1, s.Mean2));
    mark.Min = Present(ResultValue(result, s.Min1, s.Min2));
    mark.Max = Present(ResultValue(result, s.Max1, s.Max2));
    return mark;
}

} // namespace

int32_t LongTermMarkColour(const LongTermMark& mark, const LongTermScale& scale, bool parametersDiffer)
{
    if (scale.Percent)
        return vbBlack;
    int32_t colour = vbBlack;
    if (IsPresentValue(mark.Mean)) {
        if (IsPresentValue(scale.Upper) && mark.Mean > scale.Upper)
            colour = vbRed;
        if (IsPresentValue(scale.Lower) && mark.Mean < scale.Lower)
            colour = vbBlue;
    }
    if (parametersDiffer)
        colour = vbGreen;
    return colour;
}

void DrawLongTermChart(const LongTermAnalysis& analysis, int result, const std::string& styleHeader,
                       DrawingSurface& upperStrip, DrawingSurface& chart, DrawingSurface& lowerStrip)
{
    upperStrip.Cls();
    chart.Cls();
    lowerStrip.Cls();
    const int32_t n = HitCount(analysis);
    const double right = static_cast<double>(n) + 1.0;
    const LongTermScale scale = LongTermChartScale(analysis, result, LongTermMedium::Screen);
    if (!upperStrip.Scale(0, 2, right, 0) || !lowerStrip.Scale(0, 2, right, 0)
        || !chart.Scale(0, scale.Top, right, scale.Bottom))
        return;
    for (DrawingSurface* s : {&upperStrip, &chart, &lowerStrip}) {
        s->SetDrawWidth(1);
        s->SetDrawStyle(vbSolid);
    }
    // Thousands of marks: one painter per picture, one repaint at the end.
    const DrawingSurface::Batch upperBatch(upperStrip);
    const DrawingSurface::Batch chartBatch(chart);
    const DrawingSurface::Batch lowerBatch(lowerStrip);

    if (IsPresentValue(scale.Lower) && IsPresentValue(scale.Upper))
        chart.BoxFilled(0, scale.Lower, right, scale.Upper, LongTermBandColour);
    if (IsPresentValue(scale.Nominal))
        chart.Line(0, scale.Nominal, right, scale.Nominal, LongTermNominalColour);

    // Reports of one style mostly carry the same header: compared once.
    std::string lastHeader;
    bool lastDiffers = false;
    bool compared = false;
    for (int32_t i = 1; i <= n; ++i) {
        const FoundProtocol& hit = analysis.Found[static_cast<size_t>(i)];
        if (hit.Block == 0)
            continue;
        const LongTermMark mark = MarkOfStatistics(hit.Stats, result, scale.Percent);
        bool differs = false;
        if (!scale.Percent) {
            const std::string& header = hit.Header;
            if (!compared || header != lastHeader) {
                lastHeader = header;
                lastDiffers = !TestParametersMatch(header, styleHeader);
                compared = true;
            }
            differs = lastDiffers;
        }
        const int32_t colour = LongTermMarkColour(mark, scale, differs);
        const double x = static_cast<double>(i);
        if (!scale.Percent && IsPresentValue(mark.Min) && IsPresentValue(mark.Max))
            chart.Line(x, mark.Min, x, mark.Max, colour);
        if (!IsPresentValue(mark.Mean))
            continue;
        DrawingSurface* target = &chart;
        double y = mark.Mean;
        if (mark.Mean > scale.Top) {
            target = &upperStrip;
            y = 1;
        } else if (mark.Mean < scale.Bottom) {
            target = &lowerStrip;
            y = 1;
        }
        target->SetDrawWidth(3);
        target->PSet(x, y, colour);
        target->SetDrawWidth(1);
    }
}

bool HitTestCurvePoint(const DrawingSurface& surface, double x, double y)
{
    const int32_t c = surface.Point(x, y);
    return c == vbBlack || c == vbBlue || c == vbRed || c == vbGreen;
}

int32_t LongTermPointIndex(double x, int32_t hitCount)
{
    if (!std::isfinite(x))
        return 0;
    const double k = RoundHalfEven(x);
    if (k < 1 || k > static_cast<double>(hitCount))
        return 0;
    return static_cast<int32_t>(k);
}

QString LongTermReadOutUnit(const std::string& styleHeader, int result, bool percent)
{
    if (percent)
        return UnitText("n", Language);
    const DataStringRecord header = ParseDataString(styleHeader);
    return result == 1 ? header.ResultUnit : header.Result2Unit;
}

QString LongTermReadOutText(double seriesDate, double y, const QString& unit)
{
    const float value = std::isfinite(y) && std::fabs(y) <= std::numeric_limits<float>::max()
        ? static_cast<float>(y)
        : std::numeric_limits<float>::quiet_NaN();
    return FormatDateText(seriesDate, DateFormat) + QStringLiteral(", ") + FormatTimeText(seriesDate, true)
        + QStringLiteral(" / ") + FormatNumberText(value, 3) + u' ' + unit;
}
