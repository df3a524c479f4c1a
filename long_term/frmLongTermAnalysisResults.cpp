// The long-term window's search, its results in the grids and labels, the
// enabling of its controls, and printing and copying the analysis.
#include "long_term/frmLongTermAnalysis.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "long_term/LongTermChart.h"
#include "long_term/modLongTermClipboard.h"
#include "long_term/modLongTermDisplay.h"
#include "long_term/modLongTermSearch.h"
#include "long_term/modPrinterLongTerm.h"
#include "main_window/modGrid.h"
#include "main_window/modSeries.h"
#include "platform/DrawingSurface.h"
#include "platform/FlexGrid.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "platform/Text.h"
#include "printing/modPrinter.h"
#include "storage/modClipboard.h"

#include <QAction>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int16_t MsgNoMatchingData = 33;

void FillRows(const std::array<FlexGrid*, 5>& grids, const ValueGridRows& rows)
{
    for (size_t k = 0; k < grids.size(); ++k)
        FillInfoRow(*grids[k], rows[k]);
}

} // namespace

// ---------------------------------------------------------------------------
// Enabling and clearing

void frmLongTermAnalysis::UpdateControlStates()
{
    const LongTermWindowState state{!IsEmptyStyle(SelectedStyle), PropertyCode, ResultsShown};
    for (const LongTermEnablingRule& rule : LongTermEnablingRules()) {
        const bool on = LongTermControlEnabled(rule, state);
        switch (rule.Control) {
        case LongTermControl::FileCopy:
            mnuFile_Copy->setEnabled(on);
            break;
        case LongTermControl::Search:
            cmdSearch->setEnabled(on);
            break;
        case LongTermControl::Tab0:
            tabDisplay->SetTabEnabled(0, on);
            break;
        case LongTermControl::Tab1:
            tabDisplay->SetTabEnabled(1, on);
            break;
        case LongTermControl::Pictures1:
        case LongTermControl::Pictures2: {
            const size_t r = rule.Control == LongTermControl::Pictures1 ? 1 : 2;
            for (PictureBox* picture : {picUCatchAll[r], picCurve[r], picLCatchAll[r]})
                picture->setEnabled(on);
            break;
        }
        case LongTermControl::Print:
            cmdPrint->setEnabled(on);
            break;
        }
    }
    // A tab that went off is not left in front; with both off, tab 0 is.
    if (!tabDisplay->TabEnabled(tabDisplay->Tab()))
        tabDisplay->SetTab(0);
}

void frmLongTermAnalysis::ResetDisplay()
{
    ClearResults();
    SetMousePointer(PointerDefault);
    setWindowIcon(QIcon());
    cmdPrint->setIcon(QIcon());
}

void frmLongTermAnalysis::ClearResults()
{
    ResultsShown = false;
    Analysis = EmptyLongTermAnalysis;
    CommonSerial = NoHitSerial;
    ShowSerialNumber(CommonSerial);
    FillRows({grdAvg, grdMin, grdMax, grdCV, grdCI}, ValueGridRows{});
    for (size_t r = 1; r <= 2; ++r)
        for (PictureBox* picture : {picUCatchAll[r], picCurve[r], picLCatchAll[r]}) {
            picture->Surface().Cls();
            picture->unsetCursor();
        }
    HideReadOuts();
    // What belongs to a shown result goes with it at once, so nothing prints
    // or copies criteria that were never searched.
    cmdPrint->setEnabled(false);
    mnuFile_Copy->setEnabled(false);
    for (size_t r = 1; r <= 2; ++r)
        for (PictureBox* picture : {picUCatchAll[r], picCurve[r], picLCatchAll[r]})
            picture->setEnabled(false);
}

// ---------------------------------------------------------------------------
// Grids and labels

void frmLongTermAnalysis::ShowNominalGrids(const TestDefinition& definition)
{
    const NominalRows rows = NominalGridRows(definition);
    FillRows({grdNominal, grdLLimit, grdULimit, grdTest, grdNominalCI},
             {rows.Nominal, rows.LLimit, rows.ULimit, rows.Test, rows.NominalCI});
}

void frmLongTermAnalysis::ShowSerialNumber(const QString& text)
{
    lblSerialNumberE->setText(text);
    lblSerialNumber->setVisible(!Trim(text).isEmpty());
}

void frmLongTermAnalysis::ShowStatisticsGrids(const Statistics& stats)
{
    const DataStringRecord image = ParseDataString(Analysis.Definition.HeaderImage);
    const ValueGridRows rows = LongTermStatisticsRows(stats, Analysis.Definition, image.ResultUnit, image.Result2Unit,
                                                  IsPassFailResult(Analysis.Definition, 1), StatisticsGridStyle{});
    FillRows({grdAvg, grdMin, grdMax, grdCV, grdCI}, rows);
}

void frmLongTermAnalysis::FillPropertyList(const Style& style)
{
    const std::vector<int16_t> codes = StylePropertyCodes(style);
    Loading = true;
    cboProperty->clear();
    for (const int16_t code : codes)
        cboProperty->addItem(PropertyName(code, Language));
    PropertyCodes = codes;
    PropertyCode = SettledPropertyCode(codes, PropertyCode);
    cboProperty->setCurrentIndex(PropertyCode == 0 ? -1
                                                   : FindInList(PropertyName(PropertyCode, Language), cboProperty) - 1);
    Loading = false;
}

void frmLongTermAnalysis::ShowParameterLabels(int16_t propertyCode)
{
    for (size_t k = 1; k <= 4; ++k) {
        QLabel* label = lblParameter[k];
        if (IsEmptyStyle(SelectedStyle) || propertyCode == 0) {
            label->setText(QString());
            continue;
        }
        const QString name = ParameterNames(propertyCode, static_cast<int16_t>(k), Language);
        label->setText(name.isEmpty() ? QString() : name + u':');
        label->setVisible(!name.isEmpty());
    }
}

void frmLongTermAnalysis::ShowExpectedDataString(const std::string& header)
{
    const DataStringRecord expected = ParseDataString(header);
    if (IsEmptyDataStringRecord(expected)) {
        lblInstrumentE->setText(QString());
        lblSerialNumberE->setText(QString());
        for (size_t k = 1; k <= 4; ++k)
            lblParameterE[k]->setText(QString());
        return;
    }
    lblInstrumentE->setText(ModelLongNameOf(FindConfiguredInstrument(expected.InstrumentCode)));
    lblSerialNumber->setVisible(!expected.SerialNumber.isEmpty());
    lblSerialNumberE->setText(expected.SerialNumber);
    const QString values[5] = {QString(), expected.Parameter1, expected.Parameter2, expected.Parameter3,
                               expected.Parameter4};
    const QString units[5] = {QString(), expected.Parameter1Unit, expected.Parameter2Unit, expected.Parameter3Unit,
                              expected.Parameter4Unit};
    for (size_t k = 1; k <= 4; ++k)
        lblParameterE[k]->setText(values[k].isEmpty() ? QString() : values[k] + u' ' + units[k]);
}

// ---------------------------------------------------------------------------
// Search, print, copy

void frmLongTermAnalysis::cmdSearch_Click()
{
    ClearResults();
    {
        MousePointerGuard hourglass(PointerHourglass);
        pgbProgress->setValue(0);
        pgbProgress->setVisible(true);
        const SearchPattern criteria = BuildSearchCriteria();
        const TestDefinition& style = SelectedStyle.Tests[static_cast<size_t>(std::max<int16_t>(PropertyCode, 1))];
        // The search keeps the event loop out; only the bar is painted.
        LongTermSearchResult found = SearchLongTermReports(criteria, style, [this](int percent) {
            pgbProgress->setValue(percent);
            pgbProgress->repaint();
        });
        Analysis.Found = std::move(found.Found);
        Analysis.Statistics = found.Statistics;
        CommonSerial = found.CommonSerial;

        if (IsEmptyStatistics(Analysis.Statistics)) {
            ShowMessage(MsgNoMatchingData);
            ResultsShown = false;
        } else {
            Analysis.Definition = LongTermDefinition(SelectedStyle, PropertyCode, Analysis.Statistics);
            ShowNominalGrids(Analysis.Definition);
            PreparePassFailScale(Analysis.Definition, Analysis.Statistics);
            const int results = ResultCountByTestType(PropertyCode);
            for (int r = 1; r <= results; ++r)
                DrawCurve(Analysis, r);
            ShowStatisticsGrids(Analysis.Statistics);
            ApplyCommonSerial(Analysis.Definition, CommonSerial);
            ShowSerialNumber(CommonSerial);
            ResultsShown = true;
        }
        pgbProgress->setVisible(false);
        pgbProgress->setValue(0);
    }
    SetMousePointer(PointerDefault);
    UpdateControlStates();
}

void frmLongTermAnalysis::cmdPrint_Click()
{
    // Only a shown result prints; the button is off otherwise.
    if (!ResultsShown)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    Analysis.Pattern = BuildSearchCriteria();
    ptrLongTermAnalysis(Printer(), Analysis);
}

void frmLongTermAnalysis::mnuFile_Copy_Click()
{
    if (!ResultsShown)
        return;
    MousePointerGuard hourglass(PointerHourglass);
    Analysis.Pattern = BuildSearchCriteria();
    clpCopyLongTermAnalysis(Analysis);
}

void frmLongTermAnalysis::mnuFile_Exit_Click()
{
    close();
}

void frmLongTermAnalysis::mnuFunction_Measure_Click()
{
    close();
}
