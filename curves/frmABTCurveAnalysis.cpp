// The curve analysis window: the header, results and axis captions, the
// evaluation and drawing, and the handlers of the options, pages, print,
// copy and read-out.
#include "curves/frmABTCurve.h"

#include "curves/modABTCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "main_window/modGrid.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/DrawingSurface.h"
#include "platform/FlexGrid.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "printing/modPrinter.h"
#include "curves/modABTCurveClipboard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>

namespace {

constexpr int16_t AirbagInstrumentCode = 12;
constexpr int16_t AirbagTestType = 18;
constexpr int16_t SmoothingWidth = 4;
constexpr int16_t FitSmoothingWidth = 8;

size_t At(int index)
{
    return static_cast<size_t>(index);
}

bool IsPage(int page)
{
    return page >= 0 && page <= 4;
}

// The number behind the entry chosen in an axis list; 0 ("Auto") without one.
float ChosenMaximum(const QListWidget* list, const std::vector<QString>& values)
{
    const int row = list->currentRow();
    if (row < 0 || row >= static_cast<int>(values.size()))
        return 0;
    return static_cast<float>(Val(values[At(row)]));
}

// The kPa value of a limit box; 0 while it has no entry chosen.
int LimitOf(const QComboBox* box)
{
    return box->currentIndex() < 0 ? 0 : CLng(Val(box->currentText()));
}

CurveResultCell CellOf(const QLabel* title, const FlexGrid* grid)
{
    return {title->text(), grid->TextMatrix(0, 0), grid->TextMatrix(0, 1), grid->TextMatrix(0, 2),
            grid->TextMatrix(0, 3)};
}

} // namespace

// ---------------------------------------------------------------------------
// Display

void frmABTCurve::ShowCurveHeader(const ABTCurve& curve)
{
    const DataStringRecord header = ParseDataString(curve.Header);
    auto showOnly = [](QComboBox* box, const QString& text) {
        const QSignalBlocker blocker(box);
        box->clear();
        box->addItem(text);
        box->setCurrentIndex(0);
    };
    showOnly(cboStyle, AbtProtocol.Style.Name);
    showOnly(cboReference[2], AbtProtocol.Reference2);
    showOnly(cboReference[3], AbtProtocol.Reference3);
    showOnly(cboReference[4], AbtProtocol.Reference4);
    showOnly(cboOperator, AbtProtocol.Operator);

    const int property = AbtProtocol.CurrentProperty;
    const double start =
        property >= 1 && property <= PropertyCount ? AbtProtocol.Blocks[At(property)].StartDate : 0.0;
    lblDateTimeE->setText(FormatDateText(start, DateFormat) + QStringLiteral(", ") + FormatTimeText(start, true));

    const AbtNominalRows nominal = AbtNominalRowsOf(AbtProtocol.Style.Tests[At(AirbagTestType)]);
    FillInfoRow(*grdNominal, nominal.Nominal);
    FillInfoRow(*grdLLimit, nominal.LowerLimit);
    FillInfoRow(*grdULimit, nominal.UpperLimit);

    lblInstrumentE->setText(ModelLongNameOf(AirbagInstrumentCode));
    lblSerialNumberE->setText(header.SerialNumber);
    lblStartVolumeE->setText(header.Parameter1 + u' ' + header.Parameter1Unit);
    lblStartPressureE->setText(header.Parameter2 + u' ' + header.Parameter2Unit);
    lblSensorE->setText(AbtSensorText(curve.Factor1, curve.Factor2, header.Parameter2Unit));
    lblTestAreaE->setText(header.Parameter4 + u' ' + header.Parameter4Unit);
    lblNoSensor->setVisible(header.WarningSign == QLatin1String("!"));
}

void frmABTCurve::ShowCurveResults(const AbtEvaluation& evaluation)
{
    const AbtResultRows rows = AbtResultRowsOf(evaluation);
    FillInfoRow(*grdMaxPressure, rows.MaxPressure);
    FillInfoRow(*grdRiseTime, rows.RiseTime);
    FillInfoRow(*grdFallTime, rows.FallTime);
    FillInfoRow(*grdADAP, rows.ADAP);
    FillInfoRow(*grdExponent, rows.Exponent);
}

void frmABTCurve::ShowAxisMaxima(const PlotWindow& window, int page)
{
    if (!IsPage(page))
        return;
    const AbtAxisCaptions captions = AbtAxisCaptionsOf(window, page);
    for (QLabel* label : {lblXCoordinate[At(page)], lblYCoordinate[At(page)]}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ToQColor(vbBlue));
        label->setPalette(palette);
    }
    lblXCoordinate[At(page)]->setText(captions.X);
    lblYCoordinate[At(page)]->setText(captions.Y);
}

float frmABTCurve::Thickness() const
{
    return static_cast<float>(CDbl(cboThickness->currentText()));
}

int frmABTCurve::Fraction() const
{
    const QListWidgetItem* item = lstFraction[4]->currentItem();
    return item ? AbtFractionDenominator(item->text()) : 0;
}

CurvePageTexts frmABTCurve::PageTexts() const
{
    CurvePageTexts texts;
    if (IsPage(Page)) {
        texts.XCaption = lblXCoordinate[At(Page)]->text();
        texts.YCaption = lblYCoordinate[At(Page)]->text();
    }
    texts.MaxPressure = CellOf(lblMaxPressure, grdMaxPressure);
    texts.RiseTime = CellOf(lblRiseTime, grdRiseTime);
    texts.FallTime = CellOf(lblFallTime, grdFallTime);
    texts.Nominal = CellOf(lblNominal, grdNominal);
    texts.LowerLimit = CellOf(lblLLimit, grdLLimit);
    texts.UpperLimit = CellOf(lblULimit, grdULimit);
    texts.ADAP = CellOf(lblADAP, grdADAP);
    texts.Exponent = CellOf(lblExponent, grdExponent);
    texts.Test = AbtFileName;
    return texts;
}

// ---------------------------------------------------------------------------
// Evaluation and drawing

void frmABTCurve::EvaluationChain()
{
    abtEvaluatePulse(Curve, Evaluation, Options);
    abtCalcFlow(Curve, Evaluation, Options);
    Options.Smoothing = FitSmoothingWidth;
    abtSmoothCurve(Evaluation, Options);
    Options.Smoothing = 0;
    abtFitPowerLaw(Curve, Evaluation, Options);
    abtSmoothCurve(Evaluation, Options);
    abt_6_CalcADAP(Evaluation, Options);
}

void frmABTCurve::RedrawCurve()
{
    if (!IsPage(Page))
        return;
    const int page = Page;
    const PlotWindow requested{0, 0, ChosenMaximum(lstXMax[At(page)], XMaxValues),
                               ChosenMaximum(lstYMax[At(page)], YMaxValues)};
    DrawingSurface& picture = picCurve[At(page)]->Surface();
    picture.Cls();
    const float thickness = Thickness();
    const int fraction = Fraction();
    const PlotWindow window = abtPlotWindow(requested, Evaluation, page, thickness, fraction);
    // A page that cannot be scaled stays empty, without captions or read-out.
    m_scaled[At(page)] = abtIsUsableWindow(window, page);
    if (m_scaled[At(page)])
        abtDrawCurve(Curve, Evaluation, Options, window, page, chkComputedCurve->isChecked(), picture, thickness,
                     fraction);
    else
        HideLabel(lblCoordinate[At(page)]);
    ShowAxisMaxima(window, page);
}

// ---------------------------------------------------------------------------
// Handlers

void frmABTCurve::tabCurve_Click()
{
    const int tab = tabCurve->Tab();
    if (!Ready || tab == Page || !IsPage(tab))
        return;
    MousePointerGuard hourglass(PointerHourglass);
    if (IsPage(Page))
        HideLabel(lblCoordinate[At(Page)]);
    Page = static_cast<int16_t>(tab);
    EnableCurveOptions(Page);
    Ready = false;
    FillAxisMaximumLists(Page);
    Ready = true;
    RedrawCurve();
}

void frmABTCurve::cboFormFactor_Click()
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    Options.FormFactor = CInt(Val(cboFormFactor->currentText()));
    EvaluationChain();
    // The chain ends unsmoothed; the curve shown keeps the smoothing ticked.
    if (chkSmoothing->isChecked()) {
        Options.Smoothing = SmoothingWidth;
        abtSmoothCurve(Evaluation, Options);
    }
    EnableCurveOptions(Page);
    RedrawCurve();
    ShowCurveResults(Evaluation);
}

void frmABTCurve::cboLimit_Click(int /*index*/)
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    AbtLimitsFromBoxes(LimitOf(cboLimit[1]), LimitOf(cboLimit[2]), Options.LowerLimit, Options.UpperLimit);
    abtFitPowerLaw(Curve, Evaluation, Options);
    abt_6_CalcADAP(Evaluation, Options);
    EnableCurveOptions(Page);
    if (IsInVariantArray(Page, {3, 4}) && chkComputedCurve->isChecked())
        RedrawCurve();
    ShowCurveResults(Evaluation);
}

void frmABTCurve::cboThickness_Click()
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    RedrawCurve();
}

void frmABTCurve::chkSmoothing_Click()
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    Options.Smoothing = chkSmoothing->isChecked() ? SmoothingWidth : 0;
    abtSmoothCurve(Evaluation, Options);
    RedrawCurve();
}

void frmABTCurve::chkComputedCurve_Click()
{
    if (!Ready || !IsPresentValue(Evaluation.Exponent) || !IsPresentValue(Evaluation.Factor))
        return;
    MousePointerGuard hourglass(PointerHourglass);
    RedrawCurve();
}

void frmABTCurve::lstFraction_Click(int /*index*/)
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    RedrawCurve();
}

void frmABTCurve::lstXMax_Click(int /*index*/)
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    RedrawCurve();
}

void frmABTCurve::lstYMax_Click(int /*index*/)
{
    if (!Ready)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    RedrawCurve();
}

void frmABTCurve::cmdPrint_Click()
{
    if (!Ready || !IsPage(Page))
        return;
    MousePointerGuard hourglass(PointerHourglass);
    ptrABTCurvePage(Printer(), AbtProtocol, PageTexts(), picCurve[At(Page)]->Surface().Image());
}

void frmABTCurve::mnuFile_Copy_Click()
{
    if (!Ready || !IsPage(Page))
        return;
    MousePointerGuard hourglass(PointerHourglass);
    clpCopyCurveAnalysis(AbtProtocol, Curve, Evaluation, Options, Page, Thickness());
}

void frmABTCurve::cmdBack_Click()
{
    reject();
}

void frmABTCurve::picCurve_MouseMove(int index, int /*button*/, int /*shift*/, double x, double y)
{
    if (!Ready || index != Page || !IsPage(index) || !m_scaled[At(index)])
        return;
    ShowLabelAt(x, y, AbtReadOutText(index, x, y), lblCoordinate[At(index)]);
}
