// The printed long-term report: one page with the search criteria, the
// trend chart and the long-term statistics of each result of the property.
#include "long_term/modPrinterLongTerm.h"

#include "printing/PrintOutput.h"
#include "printing/modPrinter.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "long_term/LongTermChart.h"
#include "long_term/modLongTermReport.h"
#include "platform/Colors.h"
#include "platform/DrawingSurface.h"

#include <algorithm>
#include <cmath>

using namespace PrintOutput;

namespace {

constexpr double ChartLeft = TextLeft;
constexpr double ChartRight = TextRight;
constexpr double ChartHeight = 30;
constexpr double MarkRadius = 0.1;

QString Label(double value, const QString& unit)
{
    return FormatNumberText(static_cast<float>(value), 3) + u' ' + unit;
}

// A mark: a small circle three device pixels wide.
void Mark(double x, double y, int32_t colour)
{
    Out().SetDrawWidth(3);
    Out().Circle(x, y, MarkRadius, colour);
    Out().SetDrawWidth(1);
}

PrintRect ChartBox(double top)
{
    return {static_cast<float>(ChartLeft), static_cast<float>(top), static_cast<float>(ChartRight),
            static_cast<float>(top + ChartHeight)};
}

} // namespace

Protocol ptrInitLongTermPrintRecord(const LongTermAnalysis& analysis)
{
    return LongTermReportRecord(analysis);
}

bool ptrLongTermAnalysis(DrawingSurface& output, const LongTermAnalysis& analysis)
{
    const Protocol record = ptrInitLongTermPrintRecord(analysis);
    output.SetDocName(ptrDocName(record.Style.Name));
    OutputObject = &output;
    const bool ready = ptrInit();
    if (ready) {
        Out().SetCurrentY(FrameTop);
        ptrCustomerHeader();
        ptrPageHead(PrintTexts.LongTermTitle, QString());
        ptrReportHeader(record);
        ptrParameterName(record, 1);
        ptrHeaderBlock(record, 1);

        const int results = ResultCountByTestType(analysis.Pattern.TestType) == 2 ? 2 : 1;
        for (int r = 1; r <= results; ++r) {
            ptrLongTermChart(analysis, r, ChartBox(Y() + LineStep));
            AddY(SmallSpace);
            ptrStatisticsTable(record, 1, r);
        }

        AddY(SmallSpace);
        ptrDrawLine(FrameLeft, Y(), FrameRight, Y());
        ptrPageFooter(PrintTexts.LongTermTitle, 1);
        AddY(WideSpace);
        ptrDrawDoubleFrame({static_cast<float>(FrameLeft), static_cast<float>(FrameTop),
                            static_cast<float>(FrameRight), static_cast<float>(Y())});
    }
    if (OutputObject == &Printer())
        Out().EndDoc();
    return ready;
}

void ptrLongTermChart(const LongTermAnalysis& analysis, int result, const PrintRect& box)
{
    if (!OutputObject)
        return;
    DrawingSurface& s = Out();
    if (!HasLongTermHits(analysis) || !(box.y2 > box.y1) || !(box.x2 > box.x1)) {
        s.SetCurrentY(box.y2);
        return;
    }
    const int r = result == 2 ? 2 : 1;
    const LongTermScale scale = LongTermChartScale(analysis, r, LongTermMedium::Paper);
    const double bottom = scale.Bottom;
    const double top = scale.Top;
    const double m = (box.y2 - box.y1) / 20.0;
    const double step = (box.y2 - box.y1 - 2 * m) / (top - bottom);
    auto yOf = [&](double v) { return box.y2 - m - (v - bottom) * step; };
    const DataStringRecord image = ParseDataString(analysis.Definition.HeaderImage);
    const QString unit = scale.Percent ? UnitText("n", Language) : (r == 1 ? image.ResultUnit : image.Result2Unit);

    ptrDrawBox(box);
    const double xa = box.x1 + ptrUnitColumnWidth(Language);
    s.SetFontSize(ChartSize);
    const double th = s.TextHeight(QStringLiteral("A"));
    if (!scale.Percent)
        s.PrintAligned(Label(bottom, unit), vbRightJustify, xa - 0.1, box.y2 - th - 0.1);
    for (const float v : {scale.Lower, scale.Nominal, scale.Upper}) {
        if (IsPresentValue(v))
            s.PrintAligned(Label(v, unit), vbRightJustify, xa - 0.1, yOf(v) - th / 2);
    }
    if (!scale.Percent)
        s.PrintAligned(Label(top, unit), vbRightJustify, xa - 0.1, box.y1 + 0.1);
    s.SetFontSize(NormalSize);

    const int32_t n = static_cast<int32_t>(analysis.Found.size()) - 1;
    const double dx = (box.x2 - xa) / (static_cast<double>(n) + 1.0);
    ptrDrawLine(xa, box.y1, xa, box.y2);
    ptrDrawLine(xa, box.y1 + m, box.x2, box.y1 + m);
    ptrDrawLine(xa, box.y2 - m, box.x2, box.y2 - m);
    if (IsPresentValue(scale.Lower) && IsPresentValue(scale.Upper))
        s.BoxFilled(xa, yOf(scale.Lower), box.x2, yOf(scale.Upper), LightGrey);
    if (IsPresentValue(scale.Nominal))
        ptrDrawLine(xa, yOf(scale.Nominal), box.x2, yOf(scale.Nominal));

    for (int32_t i = 1; i <= n; ++i) {
        const LongTermMark mark = LongTermMarkOf(analysis.Found[static_cast<size_t>(i)], r, scale.Percent);
        if (!mark.Shown)
            continue;
        const double x = xa + i * dx;
        const bool hasMin = IsPresentValue(mark.Min);
        const bool hasMax = IsPresentValue(mark.Max);
        const double low = hasMin ? std::max(static_cast<double>(mark.Min), bottom) : bottom;
        const double high = hasMax ? std::min(static_cast<double>(mark.Max), top) : top;
        if (!IsPresentValue(mark.Mean)) {
            // A range without a mean: only the range, in black.
            if (hasMin && hasMax && low <= high)
                s.Line(x, yOf(low), x, yOf(high), vbBlack);
            continue;
        }
        const double mean = mark.Mean;
        if (scale.Percent) {
            Mark(x, yOf(std::clamp(mean, bottom, top)), vbBlack);
        } else if (mean > top) {
            Mark(x, box.y1 + m / 2, vbRed);
            if (hasMin && mark.Min < top)
                s.Line(x, yOf(low), x, yOf(top), vbRed);
        } else if (mean < bottom) {
            Mark(x, box.y2 - m / 2, vbBlue);
            if (hasMax && mark.Max > bottom)
                s.Line(x, yOf(bottom), x, yOf(high), vbBlue);
        } else {
            int32_t colour = vbBlack;
            if (IsPresentValue(scale.Upper) && mean > scale.Upper)
                colour = vbRed;
            else if (IsPresentValue(scale.Lower) && mean < scale.Lower)
                colour = vbBlue;
            Mark(x, yOf(mean), colour);
            if (hasMin && hasMax && low <= high)
                s.Line(x, yOf(low), x, yOf(high), colour);
        }
    }
    s.SetForeColor(vbBlack);

    s.SetFontSize(ChartSize);
    const double dateTop = box.y2 - m - th - 0.1;
    const QString first = FormatDateText(analysis.Found[1].LastTestDate, DateFormat);
    const QString last = FormatDateText(analysis.Found[static_cast<size_t>(n)].LastTestDate, DateFormat);
    s.PrintAligned(first, vbLeftJustify, xa + 0.1, dateTop);
    s.PrintAligned(last, vbRightJustify, box.x2 - 0.1, dateTop);
    s.SetFontSize(NormalSize);
    s.SetCurrentY(box.y2);
}
