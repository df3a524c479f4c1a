// The main window's menu commands and what it refreshes after each dialog,
// editing and deleting a test, terminating, previewing and analysing a
// series, and the double-clicks and button releases that lead to them.
#include "main_window/frmMain.h"

#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "instrument/modCommunication.h"
#include "instrument/modStatistic.h"
#include "main_window/frmCommentary.h"
#include "main_window/modGrid.h"
#include "main_window/modPending.h"
#include "main_window/modPointerRouting.h"
#include "main_window/modSeries.h"
#include "main_window/modTermination.h"
#include "main_window/modTestEdit.h"
#include "platform/Cp1252.h"
#include "platform/ErrorCodes.h"
#include "platform/DrawingSurface.h"
#include "platform/FlexGrid.h"
#include "platform/MousePointer.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/PopupMenu.h"
#include "platform/SystemEnd.h"
#include "platform/TabControl.h"
#include "printing/modPrinter.h"
#include "storage/frmDataSetting.h"
#include "storage/modSeat.h"
#include "storage/frmQDASSetting.h"
#include "storage/modClipboard.h"
#include "storage/modTestReport.h"
#include "styles/frmKeyboardDefinition.h"
#include "styles/frmOperator.h"
#include "styles/frmReference.h"
#include "styles/frmReportForm.h"
#include "styles/frmStyle.h"
#include "system_settings/frmAbout.h"
#include "system_settings/frmCountrySetting.h"
#include "system_settings/frmPassword.h"
#include "system_settings/frmReferenceTitle.h"
#include "system_settings/frmSystemSettings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr int16_t MsgPrintReport = 27;
constexpr int16_t MsgSaveReport = 28;
constexpr int16_t MsgSureToTerminate = 30;
constexpr int16_t MsgWriteError = 31;
constexpr int16_t MsgNoCurve = 35;
constexpr int AirbagTestType = 18;

// A menu (its own item in the menu bar) or a menu item of the window by
// object name; null for none.
QAction* MenuItem(const QObject* window, const char* name)
{
    if (!name)
        return nullptr;
    const QString objectName = QString::fromLatin1(name);
    if (auto* menu = window->findChild<QMenu*>(objectName))
        return menu->menuAction();
    return window->findChild<QAction*>(objectName);
}

bool IsElement(int index)
{
    return index == 1 || index == 2;
}

} // namespace

// ---------------------------------------------------------------------------
// Wiring

void frmMain::ConnectCommands()
{
    using Handler = void (frmMain::*)();
    const std::pair<QAction*, Handler> commands[] = {
        {mnuFile_Copy, &frmMain::mnuFile_Copy_Click},
        {mnuFile_Password, &frmMain::mnuFile_Password_Click},
        {mnuFile_Exit, &frmMain::mnuFile_Exit_Click},
        {mnuSettings_CountrySettings, &frmMain::mnuSettings_CountrySettings_Click},
        {mnuSettings_SystemSettings, &frmMain::mnuSettings_SystemSettings_Click},
        {mnuSettings_ReferenceTitle, &frmMain::mnuSettings_ReferenceTitle_Click},
        {mnuSettings_DataSettings, &frmMain::mnuSettings_DataSettings_Click},
        {mnuSettings_QDASSettings, &frmMain::mnuSettings_QDASSettings_Click},
        {mnuStandard_Style, &frmMain::mnuStandard_Style_Click},
        {mnuStandard_Reference2to4, &frmMain::mnuStandard_Reference2to4_Click},
        {mnuStandard_Operator, &frmMain::mnuStandard_Operator_Click},
        {mnuStandard_ReportForm, &frmMain::mnuStandard_ReportForm_Click},
        {mnuStandard_KeyboardSettings, &frmMain::mnuStandard_KeyboardSettings_Click},
        {mnuInfo_About, &frmMain::mnuInfo_About_Click},
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);

    connect(cmdTerminateProtocol, &QPushButton::clicked, this, [this] { cmdTerminateProtocol_Click(); });
    connect(cmdPreview, &QPushButton::clicked, this, [this] { cmdPreview_Click(); });
    connect(cmdAnalyzeCurve, &QPushButton::clicked, this, [this] { cmdAnalyzeCurve_Click(); });
    connect(grdResult, &FlexGrid::DblClick, this, [this] { grdResult_DblClick(); });

    // Double-clicks and releases over the displays: a part of a control (a
    // grid's cells) counts for the control.
    m_commandFilter = NewMemberFilter(&frmMain::RoutePointerButton);
    for (QWidget* widget : m_surface->findChildren<QWidget*>())
        widget->installEventFilter(m_commandFilter);
}

bool frmMain::RoutePointerButton(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease) || !watched->isWidgetType())
        return false;
    const RouteTarget* target = nullptr;
    for (QWidget* w = static_cast<QWidget*>(watched); w && w != this; w = w->parentWidget()) {
        const auto found = m_routes.find(w);
        if (found != m_routes.end()) {
            target = &found->second;
            break;
        }
    }
    // A disabled control takes no button at all.
    if (!target || !target->Control->isEnabled())
        return false;
    const PointerCommands& commands = target->Route->Commands;
    auto* mouse = static_cast<QMouseEvent*>(event);

    // The command is the menu's: it runs only while its item is enabled. A
    // used event goes no further, so it runs once.
    if (type == QEvent::MouseButtonDblClick) {
        QAction* item = MenuItem(this, commands.DoubleClick);
        if (!item || !item->isEnabled())
            return false;
        item->trigger();
        return true;
    }

    const int button = MouseButtonCode(mouse->button());
    switch (commands.Release) {
    case PointerRelease::PopUp: {
        auto* menu = commands.Menu ? findChild<QMenu*>(QString::fromLatin1(commands.Menu)) : nullptr;
        QAction* condition = MenuItem(this, commands.Condition ? commands.Condition : commands.DefaultItem);
        if (button != 2 || !menu || !condition || !condition->isEnabled())
            return false;
        PopupMenu(menu, MenuItem(this, commands.DefaultItem));
        return true;
    }
    case PointerRelease::PointClick: {
        auto* picture = qobject_cast<PictureBox*>(target->Control);
        if (!picture)
            return false;
        // The pointer in the picture's own scale.
        QPointF at = mouse->position();
        if (watched != picture)
            at += QPointF(static_cast<QWidget*>(watched)->mapTo(picture, QPoint(0, 0)));
        at -= QPointF(picture->contentsRect().topLeft());
        const DrawingSurface& surface = picture->Surface();
        const double x = surface.XFromPixel(std::floor(at.x()));
        const double y = surface.YFromPixel(std::floor(at.y()));
        const int shift = ShiftCode(mouse->modifiers());
        using UpHandler = void (frmMain::*)(int, int, int, double, double);
        const std::pair<const char*, UpHandler> handlers[] = {
            {"picProfile", &frmMain::picProfile_MouseUp},
            {"picProfileL", &frmMain::picProfileL_MouseUp},
            {"picProfileU", &frmMain::picProfileU_MouseUp},
        };
        for (const auto& [name, handler] : handlers) {
            if (std::strcmp(target->Route->Control, name) == 0)
                (this->*handler)(target->Index, button, shift, x, y);
        }
        return true;
    }
    case PointerRelease::Nothing:
        break;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Editing a test

void frmMain::EditTest(int k)
{
    if (!ShownProtocol())
        return;
    // 1. and 2.
    Tag = QString::number(k);
    frmCommentary::ShowForm();
    // 3. Nothing changed. Nothing reads the text afterwards.
    const bool changed = !Tag.isEmpty();
    Tag.clear();
    Protocol* shown = ShownProtocol();
    const int property = shown ? shown->CurrentProperty : 0;
    if (!changed || property < 1 || property > PropertyCount)
        return;
    // 4.
    MousePointerGuard hourglass(PointerHourglass);
    Protocol& p = *shown;
    PropertyBlock& block = p.Blocks[static_cast<size_t>(property)];

    // 5. The grid without the deleted test, its last row marked.
    FillTestGrid(*grdResult, p);
    int marked = 0;
    MarkCurrentRow(*grdResult, marked);

    // 6. and 7. A first reading still waiting for its second counts nowhere.
    const int16_t type = PropertyTestType(p, property);
    block.Stats = EditedStatistics(block, type);
    FillStatisticsGrids(p, property);
    if (type >= 1) {
        TestDefinition& definition = p.Style.Tests[static_cast<size_t>(type)];
        DefaultLimitsFromMean(block.Stats, definition);
        FillNominalGrids(definition);
    }

    // 8.
    tabDisplay_Click(tabDisplay->Tab());

    // 9. A property left without a test that counts is shown anew as a whole.
    if (ListedTestCount(block) == 0) {
        KeepPendingSeries(CurrentProtocol);
        ShowProtocol();
        EndSelection();
        return;
    }
    grdResult_Click();
    p.LastTestDate = Now();
    block.LastTestDate = p.LastTestDate;
    KeepPendingSeries(CurrentProtocol);
}

void frmMain::grdResult_DblClick()
{
    const Protocol* shown = ShownProtocol();
    if (!shown || !grdResult->Enabled())
        return;
    const int i = TestEntryIndex(*shown, grdResult->Row());
    if (i >= 1)
        EditTest(i);
}

// ---------------------------------------------------------------------------
// Profile points

void frmMain::picProfile_MouseUp(int index, int button, int, double x, double y)
{
    if (IsElement(index))
        ProfileMouseUp(picProfile[static_cast<size_t>(index)], index, button, x, y);
}

void frmMain::picProfileL_MouseUp(int index, int button, int, double x, double y)
{
    if (IsElement(index))
        ProfileMouseUp(picProfileL[static_cast<size_t>(index)], index, button, x, y);
}

void frmMain::picProfileU_MouseUp(int index, int button, int, double x, double y)
{
    if (IsElement(index))
        ProfileMouseUp(picProfileU[static_cast<size_t>(index)], index, button, x, y);
}

void frmMain::ProfileMouseUp(PictureBox* picture, int index, int button, double x, double y)
{
    // 1.
    if (button == 2) {
        if (mnuStandard_Style->isEnabled())
            PopupMenu(mnuStandard, mnuStandard_Style);
        return;
    }
    // 2. Points and their lines are drawn in the point colours only.
    if (button != 1 || !GetPointColour(picture, x, y))
        return;
    // 3. to 5.
    HideLabel(lblProfileCoordinate[static_cast<size_t>(index)]);
    const Protocol* shown = ShownProtocol();
    const int k = shown ? ProfileClickTest(*shown, index, x) : 0;
    if (k >= 1)
        EditTest(k);
}

// ---------------------------------------------------------------------------
// Terminating, preview, curve analysis

void frmMain::cmdTerminateProtocol_Click()
{
    // 1.
    if (ShowMessage(MsgSureToTerminate) != AnswerYes)
        return;
    const int index = CurrentProtocol;
    if (index < 1 || static_cast<size_t>(index) >= Protocols.size())
        return;
    // 2. A report that could not be written keeps its series open and shown:
    // terminating again tries again, and closing the program keeps it.
    if (!SaveTestReport(index)) {
        ShowProtocol();
        EndSelection();
        return;
    }
    // 3.
    RemoveProtocolFromCombo(index);
    CurrentProtocol = 0;
    // 4. The working record's charts.
    const Protocol& working = Protocols[0];
    for (int result = 1; result <= 2; ++result) {
        DrawProfile(ComputeProfile(working, working.CurrentProperty, result), result);
        DrawHistogram(ComputeHistogram(working, working.CurrentProperty, result), result);
    }
    // 5.
    {
        RefreshGuard refreshing(*this);
        optProtocol[1]->setChecked(true);
        FillProtocolCombo(Protocols[0]);
    }
    // 6.
    ShowProtocol();
    EndSelection();
}

bool frmMain::SaveTestReport(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= Protocols.size())
        return true;
    // 1.
    if (!SeriesHoldsTest(Protocols[static_cast<size_t>(index)]))
        return true;
    // As it was: what stays open should the termination not go through.
    const Protocol before = Protocols[static_cast<size_t>(index)];
    // 2. Only used properties that are still open.
    for (int p = 1; p <= PropertyCount; ++p) {
        const Protocol& series = Protocols[static_cast<size_t>(index)];
        if (PropertyTestType(series, p) != 0 && !series.Blocks[static_cast<size_t>(p)].Terminated)
            TogglePropertyTerminated(index, p);
    }
    Protocol& series = Protocols[static_cast<size_t>(index)];
    // 3.
    series.Finished = true;
    series.LastTestDate = Now();

    // 4. Saving: a No to message 28 leaves the series unsaved on purpose; a
    // write given up after message 31 must not lose it.
    bool declined = false;
    if (AutoSave || ShowMessage(MsgSaveReport) == AnswerYes) {
        // Another seat on the data folder may take the report's name between
        // its choice and its write: the next save chooses the next free name,
        // without a word.
        int namesTaken = 0;
        constexpr int MostNamesTaken = 10;
        for (;;) {
            bool ok = false;
            SystemError failure;
            {
                MousePointerGuard hourglass(PointerHourglass);
                ok = SavePendingSeriesReport(index, &failure, &before);
            }
            if (ok)
                break;
            if (failure.Number == ClassicError::FileAlreadyExists && ++namesTaken < MostNamesTaken)
                continue;
            if (ShowMessage(MsgWriteError) != AnswerYes) {
                series.Finished = false;
                return false;
            }
        }
    } else {
        declined = true;
    }
    // A No that the system's end gave, not the operator: the series stays
    // open and is kept with the others.
    if (declined && SystemEndRequested()) {
        series.Finished = false;
        return false;
    }
    // Saved, or given up by the operator: a kill while it prints must not
    // bring it back.
    EndPendingSeries(index);

    // 5. Printing.
    if (AutoPrint || ShowMessage(MsgPrintReport) == AnswerYes) {
        MousePointerGuard hourglass(PointerHourglass);
        ptrTestReport(Printer(), series);
    }

    // 6. Q-DAS export, asking before a file is given up.
    ExportToQdasAsking(series);
    return true;
}

void frmMain::cmdPreview_Click()
{
    if (const Protocol* shown = ShownProtocol())
        ptrPreviewTestReport(*shown);
}

void frmMain::cmdAnalyzeCurve_Click()
{
    const Protocol* shown = ShownProtocol();
    if (!shown || CurrentFormItem(*shown).Property != AirbagTestType)
        return;
    // 1. and 2.
    AbtProtocol = *shown;
    const PropertyBlock& block = shown->Blocks[static_cast<size_t>(shown->CurrentProperty)];
    const int k = TestEntryIndex(*shown, grdResult->Row());
    AbtFileName = k >= 1 && static_cast<size_t>(k) < block.Values.size()
                      ? FromCp1252(block.Values[static_cast<size_t>(k)].CurveFile)
                      : QString();
    // 3. No test selected (a property closed by its mark holds none), no
    // curve, or no curve file.
    if (AbtFileName.isEmpty() || !abtIsAirbagFile(DataFolder, AbtFileName)) {
        ShowMessage(MsgNoCurve);
        return;
    }
    MousePointerGuard hourglass(PointerHourglass);
    frmABTCurve::ShowForm();
}

// ---------------------------------------------------------------------------
// Menu commands

void frmMain::mnuFile_Copy_Click()
{
    MousePointerGuard hourglass(PointerHourglass);
    if (const Protocol* shown = ShownProtocol())
        clpCopyTestReport(*shown);
}

void frmMain::mnuFile_Password_Click()
{
    frmPassword::ShowForm();
}

void frmMain::mnuFile_Exit_Click()
{
    // The unload may keep the window open.
    close();
}

void frmMain::mnuSettings_CountrySettings_Click()
{
    const int16_t before = Language;
    frmCountrySetting::ShowForm();
    const Protocol* shown = ShownProtocol();
    if (Language != before) {
        SetLanguageCaptions(Language);
        if (shown) {
            ShowPropertyNames(CurrentReportForm(*shown));
            ShowParameterCaptions(CurrentFormItem(*shown));
        }
        SetReferenceTitles(RefTitles, Language);
    }
    // In the date format now set: the series' date, or the present moment
    // for the working record, as the clock shows it.
    ShowDateTime(shown && std::isfinite(shown->Date) ? shown->Date : 0);
}

void frmMain::mnuSettings_SystemSettings_Click()
{
    frmSystemSettings::ShowForm();
}

void frmMain::mnuSettings_ReferenceTitle_Click()
{
    frmReferenceTitle::ShowForm();
    SetReferenceTitles(RefTitles, Language);
}

void frmMain::mnuSettings_DataSettings_Click()
{
    // The dialog tries the ports itself; ours is opened again afterwards,
    // after Cancel too.
    commClose();
    const QString dataFolder = DataFolder;
    const std::size_t open = Protocols.size();
    // The open series are written into a new data folder before the
    // settings name it, so that the next start finds them whatever happens;
    // their files in the old folder go once the settings name the new one.
    // The seat's lock goes with the data folder: taken in the new one
    // before the settings name it, kept in the one they name afterwards.
    {
        const DataFolderChoice choosing;
        frmDataSetting::ShowForm();
    }
    if (DataFolder != dataFolder && Protocols.size() > 1) {
        bool ok = false;
        SavePendingProtocols(ok);
    }
    // A folder the program folder stood in for, chosen again, gives back the
    // series left there: the list of series shows them.
    if (Protocols.size() != open && CurrentProtocol != 0) {
        RefreshGuard refreshing(*this);
        FillProtocolCombo(Protocols[static_cast<size_t>(CurrentProtocol)]);
        cboProtocol->setCurrentIndex(CurrentProtocol - 1);
    }
    PortOpen = commOpen(ComPort);
    // A refusal the dialog's OK told already is not told again.
    if (!PortOpen && frmDataSetting::PortToldRefused() != ComPort)
        ShowPortNotAvailable(commDeniedDevice());
    imgNoConnection->setVisible(!PortOpen);
    // Measure follows the whole rule, not the port alone.
    RefreshEnabling();
}

void frmMain::mnuSettings_QDASSettings_Click()
{
    frmQDASSetting::ShowForm();
}

void frmMain::mnuStandard_Style_Click()
{
    // 1. The style shown, by its name.
    const QString name = cboStyle->currentText();
    // 2. The editor does not reach into this window: its list is refilled
    // here when the styles may have changed.
    if (frmStyle::ShowForm() != QDialog::Accepted)
        return;
    {
        RefreshGuard refreshing(*this);
        FillStyleCombo();
    }
    // 3. and 4. The same name in any letter case is chosen again, which
    // re-applies the style to the working record (a series keeps its copy).
    const int position = FindInList(name, cboStyle);
    {
        const QSignalBlocker blocker(cboStyle);
        cboStyle->setCurrentIndex(position - 1);
    }
    if (position >= 1)
        cboStyle_Click();
    // 5. The style was deleted or renamed.
    if (cboStyle->currentIndex() < 0)
        RefreshEnabling();
}

void frmMain::mnuStandard_Reference2to4_Click()
{
    frmReference::ShowForm();
    // The lists change; what the boxes hold, typed or chosen, stays.
    RefreshGuard refreshing(*this);
    const std::vector<QString>* lists[] = {&Reference2Values, &Reference3Values, &Reference4Values};
    for (size_t i = 2; i <= 4; ++i) {
        QComboBox* box = cboReference[i];
        const QString text = box->currentText();
        FillListFromArray(*lists[i - 2], box);
        box->setEditText(text);
    }
}

void frmMain::mnuStandard_Operator_Click()
{
    frmOperator::ShowForm();
    RefreshGuard refreshing(*this);
    const QString text = cboOperator->currentText();
    FillListFromArray(Operators, cboOperator);
    cboOperator->setEditText(text);
}

void frmMain::mnuStandard_ReportForm_Click()
{
    frmReportForm::ShowForm();
    // The working record takes the forms as they are now; a series keeps
    // its copy.
    if (CurrentProtocol == 0)
        cboStyle_Click();
    ShowProtocol();
    EndSelection();
}

void frmMain::mnuStandard_KeyboardSettings_Click()
{
    frmKeyboardDefinition::ShowForm();
}

void frmMain::mnuInfo_About_Click()
{
    frmAbout::ShowForm();
}
