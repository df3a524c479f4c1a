// The curve boxes of the test report and the page of a curve analysis.
#include "printing/modPrinter.h"
#include "printing/PrintOutput.h"

#include "curves/modABTCurve.h"
#include "curves/modPDRCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/DrawingSurface.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace PrintOutput;

namespace {


// The picture of the curve view, 84 x 30 units.
constexpr double PictureLeft = TextLeft;
constexpr double PictureWidth = 84;
constexpr double PictureHeight = 30;

constexpr int AirbagPage = 3;          // flow over pressure
constexpr int LastSample = 500;
constexpr int MaxSmoothing = 250;
constexpr int MaxGridLines = 1000;
constexpr int32_t DarkGreen = 32768;
// Room the pressure-drop diagram keeps at the right of its plot area.
constexpr double PdrLabelRoom = 8;

// A label placed as the alignment says, moved sideways as far as needed to
// stay between left and right.
void PutBetween(const QString& text, int alignment, double x, double y, double left, double right)
{
    const double width = Out().TextWidth(text);
    double start = x;
    if (alignment == vbRightJustify)
        start = x - width;
    else if (alignment == vbCenter)
        start = x - width / 2;
    start = std::max(left, std::min(start, right - width));
    Put(text, vbLeftJustify, start, y);
}

double TextHeightNow()
{
    return Out().TextHeight(QStringLiteral("A"));
}

bool BoxDrawable(const PrintRect& box)
{
    return std::isfinite(box.x1) && std::isfinite(box.y1) && std::isfinite(box.x2) && std::isfinite(box.y2)
        && box.x2 > box.x1 && box.y2 > box.y1;
}

const PropertyBlock& BlockOf(const Protocol& protocol, int property)
{
    static const PropertyBlock none = MakeEmptyPropertyBlock();
    if (property < 1 || property > PropertyCount)
        return none;
    return protocol.Blocks[static_cast<size_t>(property)];
}

// Characters 2 to 6 of a pressure-drop test's curve text.
bool IsPressureDropText(const std::string& curveText)
{
    return curveText.size() >= 6 && curveText.compare(1, 5, "KR 64") == 0;
}

// A logarithmic window: finite corners above 0, maxima above minima.
bool LogWindowUsable(const PlotWindow& w)
{
    for (const float v : {w.x1, w.y1, w.x2, w.y2})
        if (!IsPresentValue(v) || !(v > 0))
            return false;
    return w.x2 > w.x1 && w.y2 > w.y1;
}

// The 1-2-5 grid values from 1E-05 to 1E+06.
const std::array<float, 34>& GridValues()
{
    static const std::array<float, 34> values = [] {
        std::array<float, 34> g{};
        int k = 0;
        for (int e = -5; e <= 5; ++e)
            for (const double m : {1.0, 2.0, 5.0})
                g[static_cast<size_t>(k++)] = static_cast<float>(m * std::pow(10.0, e));
        g[static_cast<size_t>(k)] = 1000000.0f;
        return g;
    }();
    return values;
}

// The part of the segment inside the rectangle (left <= x <= right, top <=
// y <= bottom); false when none is.
bool ClipSegment(double& xa, double& ya, double& xb, double& yb, double left, double top, double right,
                 double bottom)
{
    if (!std::isfinite(xa) || !std::isfinite(ya) || !std::isfinite(xb) || !std::isfinite(yb))
        return false;
    const double dx = xb - xa;
    const double dy = yb - ya;
    double t0 = 0;
    double t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {xa - left, right - xa, ya - top, bottom - ya};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double x0 = xa;
    const double y0 = ya;
    xa = x0 + t0 * dx;
    ya = y0 + t0 * dy;
    xb = x0 + t1 * dx;
    yb = y0 + t1 * dy;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Curve boxes of the test report

void ptrCurves(const Protocol& protocol, int property, const PrintRect& box)
{
    if (!OutputObject)
        return;
    // The scale is set by the first curve that can be drawn and kept for the
    // others, so that all curves of the property compare.
    PlotWindow window;
    const PropertyBlock& block = BlockOf(protocol, property);
    for (size_t i = 1; i < block.Values.size(); ++i) {
        const TestValue& test = block.Values[i];
        if (test.Deleted || test.CurveFile.empty())
            continue;
        if (IsPressureDropText(test.CurveFile)) {
            const PdrPoint point = pdrFromDataString(ParseDataString(test.CurveFile));
            if (!LogWindowUsable(window))
                window = pdrComputeCurve(point, PlotWindow{});
            ptrPDRCurveBox(point, window, box);
            continue;
        }
        const QString name = FromCp1252(test.CurveFile);
        if (!abtIsAirbagFile(DataFolder, name))
            continue;
        const ABTCurve curve = abtFileGet(DataFolder, name);
        if (abtIsEmptyCurve(curve))
            continue;
        AbtEvaluation evaluation{};
        const AbtOptions options{};
        abtEvaluatePulse(curve, evaluation, options);
        abtCalcFlow(curve, evaluation, options);
        abtSmoothCurve(evaluation, options);
        if (!abtIsUsableWindow(window, AirbagPage))
            window = abtPlotWindow(PlotWindow{}, evaluation, AirbagPage);
        ptrABTCurveBox(curve, evaluation, options, window, box);
    }
    ptrDrawBox(box);
    SetY(box.y2 + SmallSpace);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y(), vbDot);
}

void ptrABTCurveBox(const ABTCurve& curve, const AbtEvaluation& evaluation, const AbtOptions& options,
                    const PlotWindow& window, const PrintRect& box)
{
    if (!OutputObject || !BoxDrawable(box) || !abtIsUsableWindow(window, AirbagPage))
        return;
    DrawingSurface& s = Out();
    const double sx = (box.x2 - box.x1) / (static_cast<double>(window.x2) - window.x1);
    const double sy = (box.y2 - box.y1) / (static_cast<double>(window.y2) - window.y1);
    s.SetDrawWidth(1);
    s.SetDrawStyle(vbSolid);

    // Grid: step and bound as whole numbers; a step that comes to 0 (an axis
    // up to about 2.5) has no lines.
    const int32_t stepX = CLng(abtGridStep(window.x2));
    const int32_t boundX = CLng(window.x2);
    for (int32_t x = stepX, count = 0; stepX > 0 && x <= boundX && count < MaxGridLines; x += stepX, ++count) {
        const double px = box.x1 + (x - window.x1) * sx;
        s.Line(px, box.y1, px, box.y2, vbBlack);
    }
    const int32_t stepY = CLng(abtGridStep(window.y2));
    const int32_t boundY = CLng(window.y2);
    for (int32_t y = stepY, count = 0; stepY > 0 && y <= boundY && count < MaxGridLines; y += stepY, ++count) {
        const double py = box.y2 - (y - window.y1) * sy;
        s.Line(box.x1, py, box.x2, py, vbBlack);
    }

    // The curve, clamped to the box; a missing value leaves a gap.
    const int n = std::clamp<int>(options.Smoothing, 0, MaxSmoothing);
    auto pageX = [&](float p) { return std::clamp(box.x1 + (p - window.x1) * sx, double{box.x1}, double{box.x2}); };
    auto pageY = [&](float v) { return std::clamp(box.y2 - (v - window.y1) * sy, double{box.y1}, double{box.y2}); };
    auto present = [&](int i) { return IsPresentValue(curve.P2[i]) && IsPresentValue(evaluation.SmoothedFlow[i]); };
    for (int i = n + 1; i <= LastSample - n; ++i) {
        if (!present(i - 1) || !present(i))
            continue;
        s.Line(pageX(curve.P2[i - 1]), pageY(evaluation.SmoothedFlow[i - 1]), pageX(curve.P2[i]),
               pageY(evaluation.SmoothedFlow[i]), vbBlack);
    }

    s.SetFontSize(ChartSize);
    const QString yLabel =
        Format(static_cast<double>(CLng(window.y2)), QStringLiteral("#,##0")) + u' ' + abtYAxisUnit(AirbagPage);
    Put(yLabel, vbLeftJustify, box.x1 + 0.1, box.y1 + 0.1);
    const QString xLabel = Format(static_cast<double>(CLng(window.x2 / 10.0)), QStringLiteral("#,##0")) + u' '
        + abtXAxisUnit(AirbagPage);
    Put(xLabel, vbRightJustify, box.x2 - 0.1, box.y2 - 0.1 - TextHeightNow());
    s.SetFontSize(NormalSize);
}

void ptrPDRCurveBox(const PdrPoint& point, const PlotWindow& window, const PrintRect& box)
{
    // As on screen: logarithmic scales need the window, the nominal flow, the
    // flow and the first pressure above 0; the law needs an exponent other
    // than 0. A negative one is a falling line, cut to the plot area below.
    if (!OutputObject || !BoxDrawable(box) || !pdrIsUsableCurve(point, window))
        return;
    DrawingSurface& s = Out();
    s.SetFontSize(NormalSize);
    const double ax1 = box.x1;
    const double ay1 = box.y1;
    const double ax2 = box.x2 - PdrLabelRoom;
    const double ay2 = box.y2 - 1.5 * TextHeightNow();
    if (!(ax2 > ax1) || !(ay2 > ay1))
        return;
    s.SetDrawWidth(1);
    s.SetDrawStyle(vbSolid);
    s.Line(ax2, ay1, ax2, ay2, vbBlack);
    s.Line(ax1, ay2, ax2, ay2, vbBlack);

    const double wx1 = window.x1;
    const double wx2 = window.x2;
    const double wy1 = window.y1;
    const double wy2 = window.y2;
    auto X = [&](double q) { return ax1 + (ax2 - ax1) * std::log(q / wx1) / std::log(wx2 / wx1); };
    auto Yp = [&](double p) { return ay2 - (ay2 - ay1) * std::log(p / wy1) / std::log(wy2 / wy1); };

    s.SetFontSize(ChartSize);
    const double th = TextHeightNow();
    const QString flowUnit = pdrUnitText(point);
    for (const float g : GridValues()) {
        if (g < window.x1 || g > window.x2)
            continue;
        const double x = X(g);
        s.Line(x, ay1, x, ay2, vbBlack);
        const int alignment = g == window.x1 ? vbLeftJustify : (g == window.x2 ? vbRightJustify : vbCenter);
        PutBetween(FormatNumberText(g, 1) + u' ' + flowUnit, alignment, x, ay2 + 0.1, box.x1, box.x2);
    }
    for (const float g : GridValues()) {
        if (g < window.y1 || g > window.y2)
            continue;
        const double y = Yp(g);
        s.Line(ax1, y, ax2, y, vbBlack);
        Put(FormatNumberText(g, 1) + u' ' + pdrPressureUnit(), vbLeftJustify, ax2 + 0.1,
            g == window.y2 ? y : y - th / 2);
    }
    s.SetFontSize(NormalSize);

    // The power law, cut to the plot area whichever way it leaves it.
    const double f = pdrUnitFactor(point.Unit);
    const double r = point.Result;
    const double n = point.Exponent;
    auto pressure = [&](double q) { return point.P1 * std::pow(f * q / r, 1.0 / n); };
    double xa = ax1;
    double ya = Yp(pressure(wx1));
    double xb = ax2;
    double yb = Yp(pressure(wx2));
    if (ClipSegment(xa, ya, xb, yb, ax1, ay1, ax2, ay2))
        s.Line(xa, ya, xb, yb, vbBlack);

    // The nominal flow, where the window shows it.
    if (point.P4 >= window.x1 && point.P4 <= window.x2) {
        const double x = X(point.P4);
        s.Line(x, ay1, x, ay2, DarkGreen);
        s.SetFontSize(ChartSize);
        s.SetForeColor(DarkGreen);
        PutBetween(FormatNumberText(point.P4, 3) + u' ' + flowUnit, vbCenter, x, ay2 + th, box.x1, box.x2);
        s.SetForeColor(vbBlack);
        s.SetFontSize(NormalSize);
    }

    // The measured points, both or none.
    const double q1 = r / f;
    const double q2 = r * std::pow(static_cast<double>(point.P2) / point.P1, n) / f;
    const double dots[2][2] = {{X(q1), Yp(point.P1)}, {X(q2), Yp(point.P2)}};
    bool inside = true;
    for (const auto& d : dots)
        inside = inside && std::isfinite(d[0]) && std::isfinite(d[1]) && d[0] >= ax1 && d[0] <= ax2 && d[1] >= ay1
            && d[1] <= ay2;
    if (inside) {
        s.SetDrawWidth(5);
        for (const auto& d : dots)
            s.PSet(d[0], d[1], vbBlack);
        s.SetDrawWidth(1);
    }
}

// ---------------------------------------------------------------------------
// Page of a curve analysis

bool ptrABTCurvePage(DrawingSurface& output, const Protocol& protocol, const CurvePageTexts& texts,
                     const QImage& picture)
{
    output.SetDocName(ptrDocName(texts.Test));
    OutputObject = &output;
    const bool ready = ptrInit();
    if (ready) {
        const int property = protocol.CurrentProperty;
        SetY(FrameTop);
        ptrCustomerHeader();
        ptrPageHead(PrintTexts.CurveTitle, QString());
        ptrReportHeader(protocol);
        ptrParameterName(protocol, property);
        ptrHeaderBlock(protocol, property);

        AddY(SmallSpace);
        const double y1 = Y();
        if (!picture.isNull())
            Out().PaintPicture(picture, PictureLeft, y1, PictureWidth, PictureHeight);
        Out().SetFontSize(ChartSize);
        Put(texts.YCaption, vbLeftJustify, PictureLeft + 0.1, y1 + 0.1);
        Put(texts.XCaption, vbRightJustify, PictureLeft + PictureWidth - 0.1,
            y1 + PictureHeight - TextHeightNow() - 0.1);
        Out().SetFontSize(NormalSize);
        ptrDrawBox({static_cast<float>(PictureLeft), static_cast<float>(y1),
                    static_cast<float>(PictureLeft + PictureWidth), static_cast<float>(y1 + PictureHeight)});
        SetY(y1 + PictureHeight + SmallSpace);
        ptrDrawLine(FrameLeft, Y(), FrameRight, Y(), vbDot);

        ptrABTCurveResults(texts);

        ptrPageFooter(PrintTexts.CurveTitle, 1);
        AddY(WideSpace);
        ptrDrawDoubleFrame({static_cast<float>(FrameLeft), static_cast<float>(FrameTop),
                            static_cast<float>(FrameRight), static_cast<float>(Y())});
    }
    if (IsPrinterOutput())
        Out().EndDoc();
    return ready;
}

void ptrABTCurveResults(const CurvePageTexts& texts)
{
    if (!OutputObject)
        return;
    // Caption at the column's x, the value ending 13 units to its right, the
    // unit one unit further on.
    auto cell = [](const QString& caption, const QString& value, const QString& unit, double x) {
        const double y = Y();
        Put(caption, vbLeftJustify, x, y);
        Put(value, vbRightJustify, x + 13, y);
        Put(unit, vbLeftJustify, x + 14, y);
    };
    auto first = [&](const CurveResultCell& c, double x) { cell(c.Caption, c.Value1, c.Unit1, x); };
    auto second = [&](const CurveResultCell& c, double x) { cell(c.Caption, c.Value2, c.Unit2, x); };
    constexpr double Left = TextLeft;
    constexpr double Middle = 36;
    constexpr double Right = 58;

    AddY(SmallSpace);
    first(texts.MaxPressure, Left);
    first(texts.Nominal, Middle);
    first(texts.ADAP, Right);
    AddY(LineStep);
    first(texts.RiseTime, Left);
    first(texts.LowerLimit, Middle);
    AddY(LineStep);
    first(texts.FallTime, Left);
    first(texts.UpperLimit, Middle);
    AddY(WideSpace);
    second(texts.Nominal, Middle);
    first(texts.Exponent, Right);
    AddY(LineStep);
    second(texts.LowerLimit, Middle);
    AddY(LineStep);
    second(texts.UpperLimit, Middle);
    AddY(WideSpace);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y());
}
