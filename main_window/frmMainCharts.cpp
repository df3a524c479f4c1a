// The main window's charts (deviation, histogram, profile), their read-outs
// and the routing of pointer moves that hides them, the display tabs, the
// clock, and the enabling of the window's controls.
#include "main_window/frmMain.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modStatistic.h"
#include "main_window/modGrid.h"
#include "main_window/modPointerRouting.h"
#include "main_window/modProtocolState.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/FlexGrid.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t Grey = 0x808080;       // tolerance band, limit lines
constexpr int32_t LightGrey = 0xC0C0C0;  // nominal line

constexpr int ResultPage = 0;
constexpr int CommentaryPage = 1;
constexpr int FirstProfilePage = 2;     // and 3
constexpr int FirstHistogramPage = 4;   // and 5
constexpr int CurvePage = 6;

// Grid lines are counted, never looped on a value: at most this many.
constexpr int MostGridLines = 1000;

bool IsElement(int element)
{
    return element == 1 || element == 2;
}

// A vertical or horizontal window that a chart can be scaled to: both ends
// finite and the top above the bottom. Anything else would leave the chart
// in the scale of whatever it drew before.
bool IsWindow(double low, double high)
{
    return std::isfinite(low) && std::isfinite(high) && high > low;
}

void SetTextColour(QLabel* label, int32_t colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
}

// The caption of a count-axis or unit label: blue text.
void SetBlueCaption(QLabel* label, const QString& text)
{
    SetTextColour(label, vbBlue);
    label->setText(text);
}

// A value clipped into the drawing range: below lo into the middle of the
// lower strip, above hi into the middle of the upper one.
double ClipToStrips(double value, double lo, double hi, double pad)
{
    if (value < lo)
        return lo - pad / 2;
    if (value > hi)
        return hi + pad / 2;
    return value;
}

// The pointer beyond every border reads far outside any integer type.
QString WholeNumberText(double value)
{
    const double whole = RoundHalfEven(value);
    if (std::isfinite(whole) && std::fabs(whole) < 9.0e18)
        return QString::number(static_cast<long long>(whole));
    return QString::number(whole, 'f', 0);
}

// The series shown, or null when CurrentProtocol lies outside Protocols.
const Protocol* ShownSeries()
{
    if (CurrentProtocol < 0 || static_cast<size_t>(CurrentProtocol) >= Protocols.size())
        return nullptr;
    return &Protocols[static_cast<size_t>(CurrentProtocol)];
}

} // namespace

// ---------------------------------------------------------------------------
// Deviation chart

void frmMain::DrawDeviationChart(const DeviationData& data, int result)
{
    if (!IsElement(result))
        return;
    DrawingSurface& p = picDeviation[static_cast<size_t>(result)]->Surface();
    p.Cls();
    if (IsEmptyDeviationData(data) || !IsPresentValue(data.Nominal) || !IsPresentValue(data.Lower)
        || !IsPresentValue(data.Upper))
        return;

    const double nominal = data.Nominal;
    const double lower = data.Lower;
    const double upper = data.Upper;
    const double lo = std::max(2 * lower - nominal, 0.0);
    const double hi = 2 * upper - nominal;
    const double pad = (hi - lo) / 20;
    // Limits equal to the nominal value (or reversed) give no window.
    if (!IsWindow(lo, hi) || !IsWindow(lo - pad, hi + pad) || !p.Scale(0, hi + pad, 100, lo - pad))
        return;

    p.SetDrawWidth(1);
    p.SetDrawStyle(vbSolid);
    p.BoxFilled(0, lower, 100, upper, Grey);
    p.Line(0, nominal, 100, nominal, LightGrey);
    p.BoxFilled(0, lo - pad, 100, lo, vbRed);
    p.BoxFilled(0, hi, 100, hi + pad, vbRed);
    p.Line(0, lo, 100, lo, Grey);
    p.Line(0, hi, 100, hi, Grey);

    // A missing statistic is not drawn; the range needs both ends.
    const bool hasMin = IsPresentValue(data.Min);
    const bool hasMax = IsPresentValue(data.Max);
    if (hasMin && hasMax)
        p.Line(50, ClipToStrips(data.Min, lo, hi, pad), 50, ClipToStrips(data.Max, lo, hi, pad), vbBlack);
    if (IsPresentValue(data.Mean)) {
        p.SetDrawWidth(4);
        p.PSet(50, ClipToStrips(data.Mean, lo, hi, pad), vbBlack);
        p.SetDrawWidth(1);
    }
    if (IsPresentValue(data.Value)) {
        const double v = ClipToStrips(data.Value, lo, hi, pad);
        const double s = (hi - lo) / 50;
        p.Line(20, v - s, 80, v + s, vbWhite);
        p.Line(20, v + s, 80, v - s, vbWhite);
    }
}

// ---------------------------------------------------------------------------
// Histogram

void frmMain::DrawHistogram(const Histogram& histogram, int element)
{
    if (!IsElement(element))
        return;
    const size_t r = static_cast<size_t>(element);
    DrawingSurface& bars = picHistogram[r]->Surface();
    DrawingSurface& below = picHistogramL[r]->Surface();
    DrawingSurface& above = picHistogramU[r]->Surface();
    DrawingSurface& axis = picHistogramX[r]->Surface();
    m_histogramDrawn[r] = false;
    bars.Cls();
    below.Cls();
    above.Cls();
    axis.Cls();
    lblHistogramYMin[r]->setText(QString());
    lblHistogramYMax[r]->setText(QString());
    lblHistogramXUnit[r]->setText(QString());
    if (IsEmptyHistogram(histogram))
        return;

    const Histogram& h = histogram;
    if (!IsPresentValue(h.Nominal) || !IsPresentValue(h.Lower) || !IsPresentValue(h.Upper))
        return;
    const double xlo = 2.0 * h.Lower - h.Nominal;
    const double xhi = 2.0 * h.Upper - h.Nominal;
    const int top = h.MaxCount;
    if (top < 1 || !IsWindow(xlo, xhi))
        return;
    if (!bars.Scale(-0.5, top, 40.5, 0) || !below.Scale(0, top, 1, 0) || !above.Scale(0, top, 1, 0)
        || !axis.Scale(xlo, 100, xhi, 0))
        return;

    bars.SetDrawWidth(1);
    bars.SetDrawStyle(vbSolid);
    bars.BoxFilled(h.LowerClass - 0.5, 0, h.UpperClass + 0.5, top, Grey);
    bars.Line(h.NominalClass, 0, h.NominalClass, top, LightGrey);

    SetBlueCaption(lblHistogramXUnit[r], h.Unit);
    axis.SetForeColor(vbBlue);
    PrintAligned(axis, FormatNumberText(static_cast<float>(xlo), 3), vbLeftJustify, xlo, 100);
    PrintAligned(axis, FormatNumberText(h.Lower, 3), vbCenter, h.Lower, 100);
    PrintAligned(axis, FormatNumberText(h.Nominal, 3), vbCenter, h.Nominal, 100);
    PrintAligned(axis, FormatNumberText(h.Upper, 3), vbCenter, h.Upper, 100);
    PrintAligned(axis, FormatNumberText(static_cast<float>(xhi), 3), vbRightJustify, xhi, 100);

    // Dotted count lines: every step from the first step below the top.
    bars.SetDrawStyle(vbDot);
    const int step = std::max(1, top / 5);
    const int first = std::max(top / 5, 1);
    int lines = 0;
    for (int y = first; y <= top - 1 && lines < MostGridLines; y += step, ++lines)
        bars.Line(-0.5, y, 40.5, y, vbBlue);
    bars.SetDrawStyle(vbSolid);

    SetBlueCaption(lblHistogramYMin[r], QStringLiteral("0"));
    SetBlueCaption(lblHistogramYMax[r], QString::number(top));

    below.SetFillColor(vbBlue);
    above.SetFillColor(vbRed);
    bars.SetFillStyle(vbUpwardDiagonal);
    below.SetFillStyle(vbDiagonalCross);
    above.SetFillStyle(vbDiagonalCross);

    for (int c = 0; c <= 40; ++c) {
        const int16_t count = h.Counts[static_cast<size_t>(c)];
        if (count == IntegerNoValue)
            continue;
        int32_t colour = vbBlue;
        if (c > h.UpperClass + 0.5)
            colour = vbRed;
        else if (c >= h.LowerClass - 0.5)
            colour = vbBlack;
        bars.SetFillColor(colour);
        bars.Box(c - 0.5, 0, c + 0.5, count, colour);
    }
    if (h.BelowCount != IntegerNoValue)
        below.Box(0, 0, 1, h.BelowCount, vbBlue);
    if (h.AboveCount != IntegerNoValue)
        above.Box(0, 0, 1, h.AboveCount, vbRed);
    m_histogramDrawn[r] = true;
}

// ---------------------------------------------------------------------------
// Profile

void frmMain::DrawProfile(const Profile& profile, int element, int storedValues)
{
    if (!IsElement(element))
        return;
    const size_t r = static_cast<size_t>(element);
    DrawingSurface& points = picProfile[r]->Surface();
    DrawingSurface& above = picProfileU[r]->Surface();
    DrawingSurface& below = picProfileL[r]->Surface();
    DrawingSurface& axis = picProfileY[r]->Surface();
    m_profileDrawn[r] = false;
    m_profileValues[r] = 0;
    for (DrawingSurface* strip : {&points, &above, &below}) {
        strip->Cls();
        strip->SetDrawWidth(1);
        strip->SetDrawStyle(vbSolid);
    }
    axis.Cls();
    lblProfileYUnit[r]->setText(QString());
    if (IsEmptyProfile(profile) || profile.Values.empty())
        return;

    const Profile& pr = profile;
    if (!IsPresentValue(pr.Nominal) || !IsPresentValue(pr.Lower) || !IsPresentValue(pr.Upper))
        return;
    const int n = static_cast<int>(pr.Values.size()) - 1;
    const double nominal = pr.Nominal;
    const double lower = pr.Lower;
    const double upper = pr.Upper;
    const double ylo = std::max(2 * lower - nominal, 0.0);
    const double yhi = 2 * upper - nominal;
    if (!IsWindow(ylo, yhi))
        return;
    const double right = n + 1;
    if (!points.Scale(0, yhi, right, ylo) || !above.Scale(0, 2, right, 0) || !below.Scale(0, 2, right, 0)
        || !axis.Scale(0, yhi, 100, ylo))
        return;

    points.BoxFilled(0, lower, right, upper, Grey);
    points.Line(0, nominal, right, nominal, LightGrey);

    SetBlueCaption(lblProfileYUnit[r], pr.Unit);
    axis.SetForeColor(vbBlue);
    const double edge = axis.ScaleLeft() + axis.ScaleWidth();
    const double textHeight = axis.TextHeight(QStringLiteral("0"));   // negative: y grows upward
    PrintAligned(axis, FormatNumberText(static_cast<float>(yhi), 3), vbRightJustify, edge, yhi);
    PrintAligned(axis, FormatNumberText(pr.Upper, 3), vbRightJustify, edge, upper - textHeight / 2);
    PrintAligned(axis, FormatNumberText(pr.Nominal, 3), vbRightJustify, edge, nominal - textHeight / 2);
    PrintAligned(axis, FormatNumberText(pr.Lower, 3), vbRightJustify, edge, lower - textHeight / 2);
    PrintAligned(axis, FormatNumberText(static_cast<float>(ylo), 3), vbRightJustify, edge, ylo - textHeight);

    // Values beyond the scale are marked in the strips, and the line runs to
    // just beyond the edge; a missing value leaves a gap in the line.
    const double beyond = (yhi - ylo) / 100;
    bool joined = false;
    double previous = 0;
    for (int i = 1; i <= n; ++i) {
        const float v = pr.Values[static_cast<size_t>(i)];
        if (!IsPresentValue(v)) {
            joined = false;
            continue;
        }
        double height = v;
        if (v > yhi) {
            above.SetDrawWidth(3);
            above.PSet(i, 1, vbRed);
            height = yhi + beyond;
        } else if (v < ylo) {
            below.SetDrawWidth(3);
            below.PSet(i, 1, vbBlue);
            height = ylo - beyond;
        } else {
            int32_t colour = vbBlack;
            if (v > upper)
                colour = vbRed;
            else if (v < lower)
                colour = vbBlue;
            points.SetDrawWidth(3);
            points.PSet(i, v, colour);
        }
        if (joined) {
            points.SetDrawWidth(1);
            points.Line(i - 1, previous, i, height, vbBlack);
        }
        previous = height;
        joined = true;
    }
    points.SetDrawWidth(1);
    m_profileDrawn[r] = true;
    m_profileValues[r] = storedValues >= 0 ? storedValues : n;
}

// ---------------------------------------------------------------------------
// Read-outs

void frmMain::picHistogram_MouseMove(int index, int, int, double x, double y)
{
    if (!IsElement(index))
        return;
    const size_t r = static_cast<size_t>(index);
    QLabel* label = lblHistogramCoordinate[r];
    if (!m_histogramDrawn[r] || !std::isfinite(x) || !std::isfinite(y)) {
        HideLabel(label);
        return;
    }
    // The class counted from the middle class 20, and the count level.
    ShowLabelAt(x, y, WholeNumberText(x - 20) + QStringLiteral(" / ") + WholeNumberText(y), label);
}

void frmMain::picProfile_MouseMove(int index, int, int, double x, double y)
{
    if (!IsElement(index))
        return;
    const size_t r = static_cast<size_t>(index);
    QLabel* label = lblProfileCoordinate[r];
    if (!m_profileDrawn[r] || !std::isfinite(x) || !std::isfinite(y)) {
        HideLabel(label);
        return;
    }
    // A reduced profile holds fewer points than tests: the position is
    // scaled back to the tests, approximately.
    const int n = m_profileValues[r];
    const double width = picProfile[r]->Surface().ScaleWidth();
    const double k = n <= 100 || width == 0 ? x : n / width * x;
    const QString text = WholeNumberText(k) + QStringLiteral(" / ") + FormatNumberText(static_cast<float>(y), 3)
                         + QStringLiteral(" ") + lblProfileYUnit[r]->text();
    ShowLabelAt(x, y, text, label);
}

bool frmMain::GetPointColour(PictureBox* picture, double x, double y)
{
    if (!picture)
        return false;
    const int32_t c = picture->Surface().Point(x, y);
    return c == vbBlack || c == vbBlue || c == vbRed || c == vbGreen;
}

// ---------------------------------------------------------------------------
// Display tabs, resize, clock

void frmMain::tabDisplay_Click(int)
{
    picDeviation[1]->setVisible(false);
    picDeviation[2]->setVisible(false);
    const Protocol* shown = ShownSeries();
    const Protocol& series = shown ? *shown : EmptyProtocol;
    const int page = tabDisplay->Tab();
    switch (page) {
    case ResultPage:
        // They hold their last drawing; the series procedures redraw them.
        picDeviation[1]->setVisible(true);
        picDeviation[2]->setVisible(true);
        break;
    case CommentaryPage:
        if (txtCommentary->isEnabled())
            txtCommentary->setFocus();
        break;
    case FirstProfilePage:
    case FirstProfilePage + 1: {
        const int result = page - FirstProfilePage + 1;
        const Profile profile = ComputeProfile(series, series.CurrentProperty, result);
        DrawProfile(ReduceProfile(profile), result, std::max(static_cast<int>(profile.Values.size()) - 1, 0));
        break;
    }
    case FirstHistogramPage:
    case FirstHistogramPage + 1: {
        const int result = page - FirstHistogramPage + 1;
        DrawHistogram(ComputeHistogram(series, series.CurrentProperty, result), result);
        break;
    }
    case CurvePage:
        // Drawn anew: a resized picture keeps its old drawing stretched.
        HideLabel(lblCurveCoordinate);
        picCurve->Surface().Cls();
        lblCurveXMax->setText(QString());
        lblCurveYMax->setText(QString());
        DrawCurveThumbnail();
        break;
    default:
        break;
    }
}

void frmMain::TabRefresh()
{
    const int shown = tabDisplay->Tab();
    // The tab control raises no click for a tab chosen by the program.
    if (!tabDisplay->TabEnabled(shown))
        tabDisplay->SetTab(ResultPage);
    tabDisplay_Click(shown);
}

void frmMain::RedrawAfterResize()
{
    // 10. The deviation charts of the test selected in the grid, when a
    // series is open and its current property holds counted tests.
    const Protocol* shown = ShownSeries();
    const int property = shown ? shown->CurrentProperty : 0;
    if (Protocols.size() >= 2 && shown && property >= 1 && property <= PropertyCount
        && shown->Blocks[static_cast<size_t>(property)].Stats.Count >= 1) {
        const PropertyBlock& block = shown->Blocks[static_cast<size_t>(property)];
        const int test = TestEntryIndex(*shown, grdResult->Row());
        const bool found = test >= 1 && static_cast<size_t>(test) < block.Values.size();
        const TestValue& value = found ? block.Values[static_cast<size_t>(test)] : EmptyTestValue;
        DrawDeviationChart(ComputeDeviationData(*shown, found ? value.Value1 : NoValue, 1), 1);
        DrawDeviationChart(ComputeDeviationData(*shown, found ? value.Value2 : NoValue, 2), 2);
    }
    // 11. The page on show.
    tabDisplay_Click(tabDisplay->Tab());
}

void frmMain::timDateTime_Timer()
{
    // Only reads: the index is checked, a damaged date shows the present time.
    const Protocol* shown = ShownSeries();
    const double date = shown && std::isfinite(shown->Date) ? shown->Date : 0;
    ShowDateTime(date);
    if (AutoPrint)
        imgNotPrint->setVisible(false);
    else
        imgNotPrint->setVisible(imgNotPrint->isHidden());
}

// ---------------------------------------------------------------------------
// Protocol state and enabling

int16_t frmMain::GetProtocolState(const Protocol& protocol) const
{
    return ProtocolStateOf(protocol, cboStyle->currentIndex() >= 0, cboProtocol->currentIndex() >= 0,
                           CurrentProtocol);
}

void frmMain::RefreshEnabling()
{
    const Protocol* shown = ShownSeries();
    ProtocolState = GetProtocolState(shown ? *shown : EmptyProtocol);
    EnableControls(ProtocolState);
}

void frmMain::ResolveEnablingTargets()
{
    m_enablingTargets.clear();
    for (const EnablingRule& rule : EnablingTable()) {
        for (int index = rule.First; index <= rule.Last; ++index) {
            EnablingTarget target;
            target.Rule = &rule;
            target.Index = index;
            const QString name = ControlObjectName(rule.Control, index);
            if (std::strcmp(rule.Control, "tabDisplay") == 0) {
                target.Tab = index;
            } else if (auto* menu = findChild<QMenu*>(name)) {
                target.Action = menu->menuAction();
            } else if (auto* action = findChild<QAction*>(name)) {
                target.Action = action;
            } else if (auto* widget = findChild<QWidget*>(name)) {
                target.Widget = widget;
                target.Grid = qobject_cast<FlexGrid*>(widget);
            } else {
                continue;
            }
            m_enablingTargets.push_back(target);
        }
    }
}

void frmMain::EnableControls(int state)
{
    if (m_enablingTargets.empty())
        ResolveEnablingTargets();
    const EnablingInputs inputs = EnablingInputsOf(state, Protocols, CurrentProtocol, LoginLevel, PortOpen);
    for (const EnablingTarget& target : m_enablingTargets) {
        const bool met = IsRuleMet(*target.Rule, target.Index, inputs);
        if (target.Tab >= 0) {
            // Written only on a change; disabling the tab shown keeps it
            // current, and the tab refresh decides what is shown.
            const size_t tab = static_cast<size_t>(target.Tab);
            if (tab < TabEnabledCache.size() && TabEnabledCache[tab] != met) {
                tabDisplay->SetTabEnabled(target.Tab, met);
                TabEnabledCache[tab] = met;
            }
            continue;
        }
        const EnablingEffect effect = target.Rule->Effect;
        if (effect == EnablingEffect::Shown) {
            if (target.Action)
                target.Action->setVisible(met);
            else
                target.Widget->setVisible(met);
            continue;
        }
        if (target.Action)
            target.Action->setEnabled(met);
        else if (target.Grid)
            target.Grid->SetEnabled(met);
        else
            target.Widget->setEnabled(met);
        if (effect == EnablingEffect::EnabledAndShown) {
            if (target.Action)
                target.Action->setVisible(true);
            else
                target.Widget->setVisible(true);
        }
    }
}

// ---------------------------------------------------------------------------
// Pointer routing

void frmMain::tabDisplay_MouseMove(int button, int shift, double x, double y)
{
    Form_MouseMove(button, shift, x, y);
}

void frmMain::cmdMeasure_MouseMove(int button, int shift, double x, double y)
{
    Form_MouseMove(button, shift, x, y);
}

void frmMain::cmdPreview_MouseMove(int button, int shift, double x, double y)
{
    Form_MouseMove(button, shift, x, y);
}

void frmMain::cmdTerminateProtocol_MouseMove(int button, int shift, double x, double y)
{
    Form_MouseMove(button, shift, x, y);
}

void frmMain::cmdAnalyzeCurve_MouseMove(int button, int shift, double x, double y)
{
    Form_MouseMove(button, shift, x, y);
}

void frmMain::InitCharts()
{
    connect(tabDisplay, &TabControl::Click, this, &frmMain::tabDisplay_Click);

    // Every tab starts disabled, as the tab cache says; the enabling writes
    // only changes.
    for (int tab = 0; tab < tabDisplay->Tabs(); ++tab)
        tabDisplay->SetTabEnabled(tab, false);
    TabEnabledCache.fill(false);

    // The members of the routing table get every move, also without a
    // button, and keep it: a move over them never reaches what they sit on.
    for (const PointerRoute& route : PointerRoutes()) {
        for (int index = route.First; index <= route.Last; ++index) {
            QWidget* control = std::strcmp(route.Control, "frmMain") == 0
                                   ? m_surface
                                   : findChild<QWidget*>(ControlObjectName(route.Control, index));
            if (!control)
                continue;
            control->setMouseTracking(true);
            control->setAttribute(Qt::WA_NoMousePropagation, true);
            m_routes[control] = RouteTarget{&route, index, control};
        }
    }
    // The members that have a move handler of their own name.
    const std::pair<QWidget*, MoveHandler> named[] = {
        {tabDisplay, &frmMain::tabDisplay_MouseMove},
        {cmdMeasure, &frmMain::cmdMeasure_MouseMove},
        {cmdPreview, &frmMain::cmdPreview_MouseMove},
        {cmdTerminateProtocol, &frmMain::cmdTerminateProtocol_MouseMove},
        {cmdAnalyzeCurve, &frmMain::cmdAnalyzeCurve_MouseMove},
    };
    for (const auto& [control, handler] : named) {
        const auto found = m_routes.find(control);
        if (found != m_routes.end())
            found->second.HideAll = handler;
    }
    // One filter over the window's inside: a move over a part of a control
    // (a grid's cells, a page of the tab control) counts for the control.
    m_surface->installEventFilter(this);
    for (QWidget* widget : m_surface->findChildren<QWidget*>())
        widget->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched->isWidgetType())
        RoutePointerMove(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::RoutePointerMove(QWidget* watched, QMouseEvent* event)
{
    // The control under the pointer. A disabled one handles nothing: the
    // move counts for what it sits on (its page, the tab control, or the
    // window), and there every read-out is hidden.
    const RouteTarget* target = nullptr;
    for (QWidget* w = watched; w && w != this; w = w->parentWidget()) {
        const auto found = m_routes.find(w);
        if (found != m_routes.end() && w->isEnabled()) {
            target = &found->second;
            break;
        }
    }
    if (!target)
        return;
    const int button = MouseButtonCode(event->buttons());
    const int shift = ShiftCode(event->modifiers());
    const size_t i = target->Index >= 1 && target->Index <= 2 ? static_cast<size_t>(target->Index) : 0;

    switch (target->Route->Move) {
    case PointerMove::HideAll:
        (this->*target->HideAll)(button, shift, 0, 0);
        break;
    case PointerMove::HideOwn:
        if (target->Route->Chart == ReadOutChart::Histogram && i != 0)
            HideLabel(lblHistogramCoordinate[i]);
        else if (target->Route->Chart == ReadOutChart::Profile && i != 0)
            HideLabel(lblProfileCoordinate[i]);
        else if (target->Route->Chart == ReadOutChart::Curve)
            HideLabel(lblCurveCoordinate);
        break;
    case PointerMove::ReadOut: {
        auto* picture = qobject_cast<PictureBox*>(target->Control);
        const bool curve = target->Route->Chart == ReadOutChart::Curve;
        if (!picture || (i == 0 && !curve))
            break;
        // The pointer in the picture's own scale, as the picture reports it.
        QPointF at = event->position();
        if (watched != picture)
            at += QPointF(watched->mapTo(picture, QPoint(0, 0)));
        at -= QPointF(picture->contentsRect().topLeft());
        const DrawingSurface& surface = picture->Surface();
        const double x = surface.XFromPixel(std::floor(at.x()));
        const double y = surface.YFromPixel(std::floor(at.y()));
        if (curve)
            picCurve_MouseMove(button, shift, x, y);
        else if (target->Route->Chart == ReadOutChart::Histogram)
            picHistogram_MouseMove(target->Index, button, shift, x, y);
        else if (target->Route->Chart == ReadOutChart::Profile)
            picProfile_MouseMove(target->Index, button, shift, x, y);
        break;
    }
    case PointerMove::Nothing:
        break;
    }
}
