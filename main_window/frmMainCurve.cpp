// The main window's curve thumbnail: every curve of the current property on
// the scale of the first one that can be drawn, the axis maxima beside it,
// and the read-out of the point under the pointer.
#include "main_window/frmMain.h"

#include "curves/modABTCurve.h"
#include "curves/modPDRCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/PictureBox.h"

#include <QLabel>
#include <algorithm>
#include <cmath>

namespace {

// The airbag curve's page that the thumbnail shows: flow over pressure.
constexpr int ThumbnailPage = 3;
constexpr int PressureDropTestType = 17;
constexpr int AirbagTestType = 18;

// The instrument family of the pressure-drop testers, at positions 2 to 6 of
// a data string: a curve text holding it is a reading, not a file name.
bool IsPressureDropText(const std::string& curveText)
{
    return curveText.size() >= 6 && curveText.compare(1, 5, "KR 64") == 0;
}

int16_t ToInteger(double value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(CLng(value), -32768, 32767));
}

// The evaluation range of a curve: parameter 3 of its data string, "start/end"
// (a blank or foreign text reads 0), the smaller number first.
AbtOptions EvaluationRange(const DataStringRecord& header)
{
    const QString range = header.Parameter3;
    const qsizetype slash = range.indexOf(QLatin1Char('/'));
    AbtOptions options;
    options.LowerLimit = ToInteger(Val(slash < 0 ? range : range.left(slash)));
    options.UpperLimit = ToInteger(slash < 0 ? 0.0 : Val(range.mid(slash + 1)));
    if (options.LowerLimit > options.UpperLimit)
        SwapVariants(options.LowerLimit, options.UpperLimit);
    return options;
}

const Protocol* ShownSeries()
{
    if (CurrentProtocol < 0 || static_cast<size_t>(CurrentProtocol) >= Protocols.size())
        return nullptr;
    return &Protocols[static_cast<size_t>(CurrentProtocol)];
}

const PropertyBlock* CurrentBlock(const Protocol& series)
{
    const int property = series.CurrentProperty;
    if (property < 1 || property > PropertyCount)
        return nullptr;
    return &series.Blocks[static_cast<size_t>(property)];
}

QString Joined(const QString& number, const QString& unit)
{
    return number + QStringLiteral(" ") + unit;
}

} // namespace

void frmMain::DrawCurveThumbnail()
{
    m_curveScale = CurveScale::None;
    const Protocol* series = ShownSeries();
    const PropertyBlock* block = series ? CurrentBlock(*series) : nullptr;
    if (!block)
        return;
    DrawingSurface& picture = picCurve->Surface();

    // Set by the first curve that can be drawn in it; every later curve is
    // drawn in the same window, so all share the first one's scale. A curve
    // that gives no usable window leaves it open for the next. The diagram's
    // axes are logarithmic, the airbag curve's linear: a curve of the other
    // kind than the first would rescale the picture under the drawing
    // already there, so it is left out.
    PlotWindow window;
    for (size_t i = 1; i < block->Values.size(); ++i) {
        const TestValue& test = block->Values[i];
        if (test.Deleted || test.CurveFile.empty())
            continue;
        const CurveScale kind = IsPressureDropText(test.CurveFile) ? CurveScale::PressureDrop : CurveScale::Airbag;
        if (m_curveScale != CurveScale::None && kind != m_curveScale)
            continue;

        if (kind == CurveScale::PressureDrop) {
            const PdrPoint point = pdrFromDataString(ParseDataString(test.CurveFile));
            const PlotWindow candidate = IsEmptyPlotWindow(window) ? pdrComputeCurve(point, window) : window;
            if (!pdrIsUsableCurve(point, candidate))
                continue;
            window = candidate;
            pdrDrawCurve(point, window, picture);
            m_curveScale = CurveScale::PressureDrop;
            lblCurveXMax->setText(Joined(FormatNumberText(window.x2, 3), pdrUnitText(point)));
            lblCurveYMax->setText(Joined(FormatNumberText(window.y2, 3), pdrPressureUnit()));
            continue;
        }

        const QString name = FromCp1252(test.CurveFile);
        if (!abtIsAirbagFile(DataFolder, name))
            continue;
        const ABTCurve curve = abtFileGet(DataFolder, name);
        const AbtOptions range = EvaluationRange(ParseDataString(curve.Header));
        AbtEvaluation evaluation{};
        abtEvaluatePulse(curve, evaluation, range);
        abtCalcFlow(curve, evaluation, range);
        abtSmoothCurve(evaluation, range);
        const PlotWindow candidate =
            IsEmptyPlotWindow(window) ? abtPlotWindow(window, evaluation, ThumbnailPage) : window;
        if (!abtIsUsableWindow(candidate, ThumbnailPage))
            continue;
        window = candidate;
        abtDrawCurve(curve, evaluation, range, window, ThumbnailPage, false, picture);
        m_curveScale = CurveScale::Airbag;
        // The pressure axis runs in tenths of a kilopascal.
        lblCurveXMax->setText(Joined(Format(RoundHalfEven(window.x2 / 10.0), QStringLiteral("#,##0")),
                                     abtXAxisUnit(ThumbnailPage)));
        lblCurveYMax->setText(
            Joined(Format(RoundHalfEven(window.y2), QStringLiteral("#,##0")), abtYAxisUnit(ThumbnailPage)));
    }
}

void frmMain::picCurve_MouseMove(int, int, double x, double y)
{
    const QString text = CurveReadOut(x, y);
    if (text.isEmpty())
        HideLabel(lblCurveCoordinate);
    else
        ShowLabelAt(x, y, text, lblCurveCoordinate);
}

QString frmMain::CurveReadOut(double x, double y) const
{
    const Protocol* series = ShownSeries();
    const PropertyBlock* block = series ? CurrentBlock(*series) : nullptr;
    // Without a curve drawn the picture is in no curve's scale, and its
    // coordinates would mean nothing.
    if (!block || !std::isfinite(x) || !std::isfinite(y))
        return QString();
    const int testType = CurrentFormItem(*series).Property;
    if (testType == AirbagTestType && m_curveScale == CurveScale::Airbag)
        return Joined(FormatNumberText(static_cast<float>(x / 10), 3), abtXAxisUnit(ThumbnailPage))
               + QStringLiteral(" / ") + Joined(FormatNumberText(static_cast<float>(y), 3), abtYAxisUnit(ThumbnailPage));
    if (testType != PressureDropTestType || m_curveScale != CurveScale::PressureDrop || block->Values.empty())
        return QString();
    // The units are those of the newest test; a first reading waiting for
    // its second keeps none, and then there is no read-out.
    const std::string& reading = block->Values.back().CurveFile;
    const float flow = static_cast<float>(std::exp(x));
    const float pressure = static_cast<float>(std::exp(y));
    if (reading.empty() || !std::isfinite(flow) || !std::isfinite(pressure))
        return QString();
    const PdrPoint point = pdrFromDataString(ParseDataString(reading));
    return Joined(FormatNumberText(flow, 3), pdrUnitText(point)) + QStringLiteral(" / ")
           + Joined(FormatNumberText(pressure, 3), pdrPressureUnit());
}
