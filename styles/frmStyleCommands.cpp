// The style editor's commands: choosing a style and report forms, the tabs
// and moving between pages, and Save, Delete, OK and Cancel.
#include "styles/frmStyle.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/modPropertyText.h"
#include "platform/Conversions.h"
#include "platform/MousePointer.h"
#include "platform/SortedList.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "storage/modTestReport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <algorithm>

namespace {

constexpr int16_t MsgInvalidEntry = 6;
constexpr int16_t MsgListFull = 9;
constexpr int16_t MsgTooManyForms = 12;
constexpr int MaxStyles = 30000;
constexpr int MaxStyleForms = StyleFormCount;

} // namespace

QString frmStyle::SelectedStyleName() const
{
    const QListWidgetItem* item = lstStyle->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

int frmStyle::SelectedFormCount() const
{
    return static_cast<int>(lstProtocol->selectedItems().size());
}

bool frmStyle::CanSave() const
{
    // A name of blanks would be stored as a style without a name.
    return SelectedFormCount() > 0 && !Trim(txtName->text()).isEmpty();
}

void frmStyle::txtName_Change()
{
    cmdSave->setEnabled(CanSave());
}

void frmStyle::lstStyle_Click()
{
    const MousePointerGuard pointer;
    // The entry the user chose; Qt makes it current before it selects it.
    const QListWidgetItem* chosen = lstStyle->currentItem();
    const int i = chosen ? FindStyleIndex(chosen->text(), WorkingStyles) : 0;
    WorkingStyles[0] = WorkingStyles[static_cast<size_t>(i)];
    const Style& style = WorkingStyles[0];
    // Only the page in front; the others are shown when they come to the front.
    ShowTest(CurrentTestType, style.Tests[static_cast<size_t>(CurrentTestType)]);

    SelectingForms = true;
    lstProtocol->clearSelection();
    for (int k = 1; k <= StyleFormCount; ++k) {
        const int p = FindInList(style.Forms[static_cast<size_t>(k)].Name, lstProtocol);
        if (p != 0)
            lstProtocol->item(p - 1)->setSelected(true);
    }
    SelectingForms = false;

    txtName->setText(style.Name);
    if (!style.Name.isEmpty())
        lblDirectoryE->setText(dskStyleFolderName(style.Name));
    SelectTestTab(CurrentTestType);
    txtName->setFocus();
    EnableTestArea(1);
}

void frmStyle::lstProtocol_Click()
{
    QVariantList testTypes;
    for (int row = 0; row < lstProtocol->count(); ++row) {
        const QListWidgetItem* entry = lstProtocol->item(row);
        if (!entry->isSelected())
            continue;
        const int f = FindReportFormIndex(entry->text(), ReportForms);
        if (f == 0)
            continue;
        for (int k = 1; k <= ReportFormItemCount; ++k) {
            const int t = ReportForms[static_cast<size_t>(f)].Items[static_cast<size_t>(k)].Property;
            if (t >= 1 && t <= TestTypeCount && !IsInVariantArray(t, testTypes))
                testTypes.append(t);
        }
    }
    FillTestTabs(testTypes);

    if (!SelectingForms) {
        // The first tab, the smallest test type, comes to the front. The page
        // in front is checked and read back first: it holds the user's edits,
        // and the nominal boxes hold its values.
        const bool anyTab = tabStyle->count() > 0;
        const int target = anyTab ? tabStyle->tabData(tabStyle->currentIndex()).toString().toInt() : 1;
        EnableTestArea(anyTab ? 1 : 0);
        if (SwitchTest(CurrentTestType, target)) {
            CurrentTestType = static_cast<int16_t>(target);
        } else {
            // The page in front stays, open to correct its entry; the box to
            // correct may have been disabled when the focus was to go to it.
            EnableTestArea(1);
            QWidget* invalid = ControlWidget(CurrentTestType, ValidateTest(CurrentTestType));
            if (invalid && invalid->isVisibleTo(this))
                invalid->setFocus();
            ReturnToCurrentTab();
        }
    }
    cmdSave->setEnabled(CanSave());
}

void frmStyle::FillTestTabs(QVariantList testTypes)
{
    const QSignalBlocker blocker(tabStyle);
    while (tabStyle->count() > 0)
        tabStyle->removeTab(tabStyle->count() - 1);
    m_keptTab = 0;
    for (const QVariant& value : SortCollection(testTypes, true)) {
        const int t = value.toInt();
        const int tab = tabStyle->addTab(EscapeAmpersand(PropertyName(static_cast<int16_t>(t), Language)));
        tabStyle->setTabData(tab, QString::number(t));
    }
}

int frmStyle::TabOfTestType(int testType) const
{
    int found = -1;
    for (int tab = 0; tab < tabStyle->count(); ++tab) {
        if (tabStyle->tabData(tab).toString() == QString::number(testType))
            found = tab;
    }
    return found;
}

void frmStyle::SelectTestTab(int testType)
{
    if (tabStyle->count() == 0)
        return;
    {
        const QSignalBlocker blocker(tabStyle);
        tabStyle->setCurrentIndex(std::max(TabOfTestType(testType), 0));
    }
    tabStyle_Click();
}

void frmStyle::ReturnToCurrentTab()
{
    const QSignalBlocker blocker(tabStyle);
    int tab = TabOfTestType(CurrentTestType);
    if (tab < 0) {
        // The page stays in front although no chosen form lists it any more.
        // Its tab stays with it until the page is left: the strip shows what
        // is in front, and every other tab still answers a click.
        tab = 0;
        while (tab < tabStyle->count() && tabStyle->tabData(tab).toString().toInt() < CurrentTestType)
            ++tab;
        tabStyle->insertTab(tab, EscapeAmpersand(PropertyName(CurrentTestType, Language)));
        tabStyle->setTabData(tab, QString::number(CurrentTestType));
        m_keptTab = CurrentTestType;
    }
    tabStyle->setCurrentIndex(tab);
}

void frmStyle::tabStyle_Click()
{
    const int tab = tabStyle->currentIndex();
    if (tab < 0)
        return;
    const QString tag = tabStyle->tabData(tab).toString();
    if (!IsNumeric(tag))
        return;
    const double value = Val(tag);
    if (value < 1 || value > TestTypeCount || value != static_cast<int>(value))
        return;
    const int t = static_cast<int>(value);
    if (!SwitchTest(CurrentTestType, t)) {
        ReturnToCurrentTab();
        return;
    }
    CurrentTestType = static_cast<int16_t>(t);
    // The page that no chosen form lists is left: its tab goes with it.
    if (const int kept = m_keptTab != t ? TabOfTestType(m_keptTab) : -1; kept >= 0) {
        const QSignalBlocker blocker(tabStyle);
        tabStyle->removeTab(kept);
    }
    m_keptTab = 0;
}

void frmStyle::EnableTestArea(int on)
{
    const bool enabled = on == 1;
    const std::initializer_list<QWidget*> area = {
        tabStyle, lblNominal, txtNominal1, txtNominal2, lblLLimit, txtLLimit1, txtLLimit2, lblULimit,
        txtULimit1, txtULimit2, lblCI, txtCI1, txtCI2, lblTest, cboTest};
    for (QWidget* widget : area)
        widget->setEnabled(enabled);
    if (QGroupBox* page = fraProperty[static_cast<size_t>(CurrentTestType)])
        page->setVisible(enabled);
}

void frmStyle::RefuseEntry(int testType, PageControl control)
{
    QWidget* widget = ControlWidget(testType, control);
    if (widget && widget->isVisibleTo(this))
        widget->setFocus();
    ShowMessage(MsgInvalidEntry);
}

bool frmStyle::SwitchTest(int oldTestType, int newTestType)
{
    const PageControl invalid = ValidateTest(oldTestType);
    if (invalid != PageControl::None) {
        RefuseEntry(oldTestType, invalid);
        return false;
    }
    if (oldTestType >= 1 && oldTestType <= TestTypeCount) {
        WorkingStyles[0].Tests[static_cast<size_t>(oldTestType)] = ReadTest(oldTestType);
        fraProperty[static_cast<size_t>(oldTestType)]->setVisible(false);
    }
    if (newTestType >= 1 && newTestType <= TestTypeCount) {
        ShowTest(newTestType, WorkingStyles[0].Tests[static_cast<size_t>(newTestType)]);
        QGroupBox* page = fraProperty[static_cast<size_t>(newTestType)];
        stkProperty->setCurrentWidget(page);
        page->setVisible(true);
        page->raise();
    } else {
        stkProperty->setCurrentIndex(0);
    }
    ArrangeTestPage(newTestType);
    return true;
}

void frmStyle::cmdSave_Click()
{
    if (SelectedFormCount() > MaxStyleForms) {
        ShowMessage(MsgTooManyForms, {MaxStyleForms});
        return;
    }
    const PageControl invalid = ValidateTest(CurrentTestType);
    if (invalid != PageControl::None) {
        RefuseEntry(CurrentTestType, invalid);
        return;
    }
    {
        const MousePointerGuard pointer;
        Style& edited = WorkingStyles[0];
        edited.Tests[static_cast<size_t>(CurrentTestType)] = ReadTest(CurrentTestType);
        for (int k = 1; k <= StyleFormCount; ++k)
            edited.Forms[static_cast<size_t>(k)] = BlankReportForm;
        size_t next = 1;
        for (int row = 0; row < lstProtocol->count(); ++row) {
            const QListWidgetItem* entry = lstProtocol->item(row);
            if (!entry->isSelected())
                continue;
            const int f = FindReportFormIndex(entry->text(), ReportForms);
            edited.Forms[next++] = ReportForms[static_cast<size_t>(f)];
        }
        edited.Name = Trim(txtName->text());

        int i = FindStyleIndex(edited.Name, WorkingStyles);
        bool placed = true;
        if (i == 0 && static_cast<int>(WorkingStyles.size()) - 1 < MaxStyles) {
            WorkingStyles.push_back(BlankStyle);
            i = static_cast<int>(WorkingStyles.size()) - 1;
        } else if (i == 0) {
            ShowMessage(MsgListFull, {MaxStyles});
            placed = false;
        } else {
            // The stored style is replaced, whatever the case of its name and
            // even when the list is full.
            const int p = FindInList(edited.Name, lstStyle);
            const QSignalBlocker blocker(lstStyle);
            if (p > 0)
                delete lstStyle->takeItem(p - 1);
            // Qt would make the next style current, and a Delete would remove it.
            ClearListSelection(lstStyle);
        }
        if (placed) {
            WorkingStyles[static_cast<size_t>(i)] = WorkingStyles[0];
            InsertSorted(lstStyle, WorkingStyles[0].Name);
            txtName->clear();
            // The boxes keep showing the page in front, as the edited style
            // now holds it: the next move reads them back into that style.
            ShowNominals(WorkingStyles[0].Tests[static_cast<size_t>(CurrentTestType)]);
        }
    }
    txtName->setFocus();
}

void frmStyle::cmdDelete_Click()
{
    const int i = FindStyleIndex(SelectedStyleName(), WorkingStyles);
    if (i == 0) {
        InputBeep();
    } else {
        WorkingStyles.erase(WorkingStyles.begin() + i);
        const QSignalBlocker blocker(lstStyle);
        delete lstStyle->takeItem(lstStyle->currentRow());
        // Qt would select the next style, and a second Delete would remove it.
        ClearListSelection(lstStyle);
    }
    txtName->setFocus();
}

void frmStyle::StoreStyles()
{
    CurrentStyle = WorkingStyles[0];
    // The working copy is not needed any more: it becomes the stored list
    // without a second copy of 30,000 styles.
    Styles = std::move(WorkingStyles);
    Styles[0] = BlankStyle;
    WorkingStyles.assign(1, CurrentStyle);
}

void frmStyle::cmdOK_Click()
{
    StoreStyles();
    SaveSettingsTelling();
    Unload(QDialog::Accepted);
}

void frmStyle::cmdCancel_Click()
{
    Unload(QDialog::Rejected);
}
