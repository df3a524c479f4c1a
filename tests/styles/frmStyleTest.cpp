#include "styles/frmStyle.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"
#include "foundation/modRecords.h"
#include "platform/SortedList.h"
#include "storage/modTestReport.h"
#include "platform/Twips.h"
#include "support/Bytes.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>

#include <functional>
#include <initializer_list>

namespace {

using P = PageControl;

constexpr float No = NoValue;

const std::string YarnFiftyYards =   // sum 2085
    "\x1E" "D  7041" "   " "F" "50    " "&" + Blanks(28) + "f" + Blanks(9) + "%\r\n";

// Definitions as a page reads them back.
const TestDefinition Yarn{true, false, 10, No, 8, No, 12, No, 5, No, 20, YarnFiftyYards};
const TestDefinition StrikeThrough{true, false, 30, No, 25, No, 35, No, No, No, 12, StrikeThroughDefaults};

ReportForm Form(const QString& name, std::initializer_list<int16_t> testTypes)
{
    ReportForm form = BlankReportForm;
    form.Name = name;
    size_t k = 0;
    for (const int16_t t : testTypes)
        form.Items[++k] = ReportFormItem{t, false, false};
    return form;
}

Style NamedStyle(const QString& name, std::initializer_list<ReportForm> forms = {})
{
    Style style = StyleWith(forms);
    style.Name = name;
    return style;
}

class frmStyleTest : public StylesTest {
protected:
    void SetUp() override
    {
        StylesTest::SetUp();
        ReportForms.push_back(Form(QStringLiteral("Yarn"), {2}));
        ReportForms.push_back(Form(QStringLiteral("Time"), {20}));
        ReportForms.push_back(Form(QStringLiteral("Both"), {20, 2}));
    }

    // A style whose yarn fineness and strike-through time are set.
    static Style BaseStyle()
    {
        Style style = NamedStyle(QStringLiteral("Base"));
        style.Tests[2] = Yarn;
        style.Tests[20] = StrikeThrough;
        return style;
    }

    // The user's choices: a form selected or deselected in the list (as a
    // Ctrl+click does), a style, a tab.
    static void ChooseForm(frmStyle* form, const QString& name, bool selected = true)
    {
        const int position = FindInList(name, form->lstProtocol);
        ASSERT_GT(position, 0) << name.toStdString();
        form->lstProtocol->item(position - 1)->setSelected(selected);
    }
    static void ChooseStyle(frmStyle* form, const QString& name)
    {
        form->lstStyle->setCurrentRow(FindInList(name, form->lstStyle) - 1);
    }
    static void ClickTab(frmStyle* form, int testType)
    {
        for (int tab = 0; tab < form->tabStyle->count(); ++tab) {
            if (form->tabStyle->tabData(tab).toString() == QString::number(testType))
                form->tabStyle->setCurrentIndex(tab);
        }
    }
    static std::vector<int> Tabs(frmStyle* form)
    {
        std::vector<int> types;
        for (int tab = 0; tab < form->tabStyle->count(); ++tab)
            types.push_back(form->tabStyle->tabData(tab).toString().toInt());
        return types;
    }
    static int TabInFront(frmStyle* form)
    {
        return form->tabStyle->tabData(form->tabStyle->currentIndex()).toString().toInt();
    }
    static void SetNominals(frmStyle* form, const char* nominal, const char* lower, const char* upper)
    {
        form->txtNominal1->setText(QString::fromLatin1(nominal));
        form->txtLLimit1->setText(QString::fromLatin1(lower));
        form->txtULimit1->setText(QString::fromLatin1(upper));
    }
    static void SaveAs(frmStyle* form, const char* name)
    {
        form->txtName->setText(QString::fromUtf8(name));
        form->cmdSave_Click();
    }
    // Opens the dialog, runs the steps and ends them with OK.
    static int RunAndAccept(const std::function<void(frmStyle*)>& steps)
    {
        ScriptedDialogRunner runner;
        runner.Then([&steps](QDialog& dialog) {
            auto* form = static_cast<frmStyle*>(&dialog);
            steps(form);
            form->cmdOK_Click();
        });
        return frmStyle::ShowForm();
    }
};

TEST_F(frmStyleTest, LoadingShowsNothingChosenAndGivesAFirstStyleTheDefaults)
{
    Styles.push_back(NamedStyle(QStringLiteral("Wool")));
    Styles.push_back(NamedStyle(QStringLiteral("cotton")));
    frmStyle* form = frmStyle::Instance();
    EXPECT_EQ(ListEntries(form->lstStyle), (QStringList{"cotton", "Wool"}));
    EXPECT_EQ(ListEntries(form->lstProtocol), (QStringList{"Both", "Time", "Yarn"}));
    EXPECT_EQ(form->lstStyle->currentRow(), -1);
    EXPECT_TRUE(form->lstProtocol->selectedItems().isEmpty());
    EXPECT_EQ(form->txtName->text(), QString());
    EXPECT_EQ(form->CurrentTestType, 1);
    EXPECT_FALSE(form->fraProperty[1]->isVisibleTo(form));
    EXPECT_FALSE(form->tabStyle->isEnabled() || form->txtNominal1->isEnabled() || form->cmdSave->isEnabled());
    EXPECT_FALSE(form->tabStyle->isEnabled());
    EXPECT_EQ(form->cboTest->count(), 999);
    EXPECT_EQ(form->cboTest->currentText(), QStringLiteral("999"));
    EXPECT_FALSE(form->imgFolder->pixmap().isNull());
    form->cmdCancel_Click();
    EXPECT_EQ(CurrentStyle.Name, QString());
    // Even on Cancel the blank current style keeps the page defaults.
    const std::pair<int, std::string> defaults[] = {
        {1, KeyboardUnfilled}, {2, YarnFinenessDefaults}, {20, StrikeThroughDefaults}};
    for (const auto& [t, header] : defaults) {
        const TestDefinition& definition = CurrentStyle.Tests[static_cast<size_t>(t)];
        EXPECT_EQ(ToHex(definition.HeaderImage), ToHex(header)) << t;
        EXPECT_EQ(definition.TestCount, 999) << t;
        EXPECT_FALSE(definition.Defined1) << t;
        EXPECT_EQ(definition.Nominal1, No) << t;
    }
    EXPECT_EQ(Styles.size(), 3u);
}

TEST_F(frmStyleTest, ChoosingAFormReadsBackThePageInFrontNotTheNominalsOfAnother)
{
    CurrentStyle = BaseStyle();
    const Style before = CurrentStyle;
    EXPECT_EQ(RunAndAccept([](frmStyle* form) {
                  // The boxes belong to the page in front, test type 1.
                  EXPECT_EQ(form->txtNominal1->text(), QString());
                  ChooseForm(form, QStringLiteral("Yarn"));
                  EXPECT_EQ(form->CurrentTestType, 2);
                  EXPECT_EQ(form->txtNominal1->text(), QStringLiteral("10"));
                  EXPECT_EQ(form->txtSample1[2]->text(), QStringLiteral("50"));
                  SaveAs(form, "New");
              }),
              QDialog::Accepted);
    EXPECT_TRUE(Presenter.Shown.empty());
    ASSERT_EQ(Styles.size(), 2u);
    EXPECT_EQ(Styles[0], BlankStyle);
    EXPECT_EQ(Styles[1].Name, QStringLiteral("New"));
    EXPECT_EQ(Styles[1].Tests[2], before.Tests[2]);
    EXPECT_EQ(Styles[1].Tests[20], before.Tests[20]);
    EXPECT_EQ(Styles[1].Forms[1], ReportForms[1]);
    EXPECT_EQ(Styles[1].Forms[2], BlankReportForm);
    EXPECT_EQ(CurrentStyle, Styles[1]);
    EXPECT_NE(SettingsBytes(), "<missing>");
}

TEST_F(frmStyleTest, SavingKeepsTheNominalsOfThePageInFront)
{
    frmStyle* form = frmStyle::Instance();
    ChooseForm(form, QStringLiteral("Both"));
    EXPECT_EQ(Tabs(form), (std::vector<int>{2, 20}));
    SetNominals(form, "10", "8", "12");
    SaveAs(form, "A");
    EXPECT_EQ(form->txtName->text(), QString());
    EXPECT_FALSE(form->cmdSave->isEnabled());
    EXPECT_EQ(form->txtNominal1->text(), QStringLiteral("10"));
    ClickTab(form, 20);
    SetNominals(form, "40", "30", "50");
    SaveAs(form, "a");
    ClickTab(form, 2);
    EXPECT_EQ(form->txtLLimit1->text(), QStringLiteral("8"));
    form->StoreStyles();
    form->cmdCancel_Click();
    ASSERT_EQ(Styles.size(), 2u);
    EXPECT_EQ(Styles[1].Name, QStringLiteral("a"));
    const TestDefinition& yarn = Styles[1].Tests[2];
    EXPECT_EQ((std::array<float, 3>{yarn.Nominal1, yarn.Lower1, yarn.Upper1}), (std::array<float, 3>{10, 8, 12}));
    EXPECT_TRUE(yarn.Defined1);
    EXPECT_EQ(yarn.TestCount, 999);
    EXPECT_EQ(Styles[1].Tests[20].Nominal1, 40);
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(frmStyleTest, ARefusedFormChoiceLeavesThePageInFrontAndTheHiddenPageAlone)
{
    CurrentStyle = BaseStyle();
    frmStyle* form = frmStyle::Instance();
    ChooseForm(form, QStringLiteral("Time"));
    EXPECT_EQ(form->txtULimit1->text(), QStringLiteral("35"));
    form->txtLLimit1->clear();
    ChooseForm(form, QStringLiteral("Yarn"));
    ASSERT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(6)});
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Invalid entry."));
    EXPECT_EQ(Tabs(form), (std::vector<int>{2, 20}));
    EXPECT_EQ(TabInFront(form), 20);
    EXPECT_EQ(form->CurrentTestType, 20);
    EXPECT_TRUE(form->fraProperty[20]->isVisibleTo(form));
    EXPECT_FALSE(form->fraProperty[2]->isVisibleTo(form));
    EXPECT_TRUE(form->txtLLimit1->isEnabled());
    form->txtLLimit1->setText(QStringLiteral("20"));
    SaveAs(form, "S");
    form->StoreStyles();
    form->cmdCancel_Click();
    ASSERT_EQ(Styles.size(), 2u);
    EXPECT_EQ(Styles[1].Tests[2], Yarn);
    EXPECT_EQ(Styles[1].Tests[20].Lower1, 20);
    EXPECT_EQ(Styles[1].Tests[20].Nominal1, 30);
    EXPECT_EQ(Presenter.Shown.size(), 1u);
}

TEST_F(frmStyleTest, AnotherTabWithAnInvalidPageGivesOneMessageAndTheTabReturns)
{
    frmStyle* form = frmStyle::Instance();
    ChooseForm(form, QStringLiteral("Yarn"));
    ChooseForm(form, QStringLiteral("Time"));
    form->txtSample1[2]->setText(QStringLiteral("0"));
    ClickTab(form, 20);
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(6)});
    EXPECT_EQ(TabInFront(form), 2);
    EXPECT_EQ(form->CurrentTestType, 2);
    EXPECT_TRUE(form->fraProperty[2]->isVisibleTo(form));
    EXPECT_FALSE(form->fraProperty[20]->isVisibleTo(form));
    // Saving is refused the same way.
    SaveAs(form, "X");
    EXPECT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_EQ(form->WorkingStyles.size(), 1u);
    // The form of the page in front deselected: the page stays and so does
    // its tab, in front, until the other tab is clicked with the entry mended.
    ChooseForm(form, QStringLiteral("Yarn"), false);
    EXPECT_EQ(Presenter.Shown.size(), 3u);
    EXPECT_EQ(Tabs(form), (std::vector<int>{2, 20}));
    EXPECT_EQ(TabInFront(form), 2);
    ClickTab(form, 20);
    EXPECT_EQ(Presenter.Shown.size(), 4u);
    EXPECT_EQ(TabInFront(form), 2);
    form->txtSample1[2]->setText(QStringLiteral("1"));
    ClickTab(form, 20);
    EXPECT_EQ(form->CurrentTestType, 20);
    EXPECT_EQ(Tabs(form), std::vector<int>{20});
    EXPECT_EQ(TabInFront(form), 20);
    EXPECT_TRUE(form->fraProperty[20]->isVisibleTo(form));
    EXPECT_EQ(form->WorkingStyles[0].Tests[2].HeaderImage.substr(12, 7), "1     $");
    form->cmdCancel_Click();
}

TEST_F(frmStyleTest, TabsFollowTheChosenFormsAndNoFormDisablesTheArea)
{
    ReportForms.push_back(Form(QStringLiteral("Mixed"), {20, 9, 1, 2}));
    Language = 1;
    frmStyle* form = frmStyle::Instance();
    ChooseForm(form, QStringLiteral("Mixed"));
    ChooseForm(form, QStringLiteral("Yarn"));
    EXPECT_EQ(Tabs(form), (std::vector<int>{1, 2, 9, 20}));
    EXPECT_EQ(form->tabStyle->tabText(1), QStringLiteral("Garnfeinheit"));
    EXPECT_EQ(form->CurrentTestType, 1);
    EXPECT_TRUE(form->fraProperty[1]->isVisibleTo(form));
    EXPECT_TRUE(form->tabStyle->isEnabled() && form->cboTest->isEnabled());
    form->txtName->setText(QStringLiteral("   "));
    EXPECT_FALSE(form->cmdSave->isEnabled());
    form->txtName->setText(QStringLiteral(" x "));
    EXPECT_TRUE(form->cmdSave->isEnabled());
    ClickTab(form, 2);
    ChooseForm(form, QStringLiteral("Mixed"), false);
    ChooseForm(form, QStringLiteral("Yarn"), false);
    EXPECT_EQ(form->tabStyle->count(), 0);
    EXPECT_EQ(form->CurrentTestType, 1);
    EXPECT_FALSE(form->tabStyle->isEnabled());
    EXPECT_FALSE(form->txtNominal1->isEnabled() || form->txtCI1->isEnabled() || form->cboTest->isEnabled());
    EXPECT_EQ(form->stkProperty->currentWidget(), form->fraProperty[1]);
    EXPECT_TRUE(form->fraProperty[1]->isVisibleTo(form));
    EXPECT_FALSE(form->fraProperty[2]->isVisibleTo(form));
    EXPECT_FALSE(form->cmdSave->isEnabled());
    EXPECT_TRUE(Presenter.Shown.empty());
    form->cmdCancel_Click();
}

TEST_F(frmStyleTest, TenFormsAreSavedElevenAreNot)
{
    for (int n = 1; n <= 11; ++n)
        ReportForms.push_back(Form(QStringLiteral("Form %1").arg(n, 2, 10, QChar(u'0')), {2}));
    frmStyle* form = frmStyle::Instance();
    for (int n = 1; n <= 10; ++n)
        ChooseForm(form, QStringLiteral("Form %1").arg(n, 2, 10, QChar(u'0')));
    SaveAs(form, "Ten");
    ASSERT_EQ(form->WorkingStyles.size(), 2u);
    EXPECT_EQ(form->WorkingStyles[1].Forms[10].Name, QStringLiteral("Form 10"));
    ChooseForm(form, QStringLiteral("Form 11"));
    SaveAs(form, "Eleven");
    ASSERT_EQ(Presenter.Shown, (std::vector<MessageRequest>{Message(12, {10})}));
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("There is a maximum of 10 forms per style!"));
    EXPECT_EQ(form->WorkingStyles.size(), 2u);
    EXPECT_EQ(ListEntries(form->lstStyle), QStringList{QStringLiteral("Ten")});
    EXPECT_EQ(form->txtName->text(), QStringLiteral("Eleven"));
    form->cmdCancel_Click();
}

TEST_F(frmStyleTest, AFullListTakesNoNewNameButStillReplaces)
{
    const struct {
        const char* locale;
        int16_t language;
        const char* text;
    } rows[] = {
        {"en_US", 2, "The list can hold a maximum of 30,000 entries."},
        {"de_DE", 1, "Die Liste kann höchstens 30.000 Einträge aufnehmen."},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        Language = row.language;
        Styles.assign(1, BlankStyle);
        for (int n = 1; n <= 30000; ++n)
            Styles.push_back(NamedStyle(QStringLiteral("Style %1").arg(n, 5, 10, QChar(u'0'))));
        Presenter.Shown.clear();
        frmStyle* form = frmStyle::Instance();
        ChooseForm(form, QStringLiteral("Time"));
        SaveAs(form, "Extra");
        ASSERT_EQ(Presenter.Shown.size(), 1u);
        EXPECT_EQ(Presenter.Shown[0].Text, QString::fromUtf8(row.text));
        EXPECT_EQ(form->txtName->text(), QStringLiteral("Extra"));
        SaveAs(form, "STYLE 00007");
        EXPECT_EQ(Presenter.Shown.size(), 1u);
        EXPECT_EQ(form->WorkingStyles.size(), 30001u);
        EXPECT_EQ(form->WorkingStyles[7].Name, QStringLiteral("STYLE 00007"));
        EXPECT_EQ(form->WorkingStyles[7].Forms[1].Name, QStringLiteral("Time"));
        EXPECT_EQ(form->lstStyle->count(), 30000);
        EXPECT_EQ(form->lstStyle->item(6)->text(), QStringLiteral("STYLE 00007"));
        form->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(frmStyleTest, AnotherCaseReplacesTheStyleAndItsEntry)
{
    Styles.push_back(NamedStyle(QStringLiteral("Cotton"), {ReportForms[1]}));
    Styles.back().Tests[2] = Yarn;
    Styles.push_back(NamedStyle(QStringLiteral("Wool"), {ReportForms[2]}));
    frmStyle* form = frmStyle::Instance();
    ChooseStyle(form, QStringLiteral("Cotton"));
    EXPECT_EQ(form->txtName->text(), QStringLiteral("Cotton"));
    EXPECT_EQ(form->lstProtocol->selectedItems().size(), 1);
    EXPECT_EQ(form->CurrentTestType, 2);
    EXPECT_TRUE(form->tabStyle->isEnabled());
    EXPECT_EQ(form->lblDirectoryE->text(), dskStyleFolderName(QStringLiteral("Cotton")));
    SaveAs(form, "COTTON");
    EXPECT_EQ(ListEntries(form->lstStyle), (QStringList{"COTTON", "Wool"}));
    ASSERT_EQ(form->WorkingStyles.size(), 3u);
    EXPECT_EQ(form->WorkingStyles[1].Name, QStringLiteral("COTTON"));
    EXPECT_EQ(form->WorkingStyles[1].Tests[2], Yarn);
    EXPECT_TRUE(Presenter.Shown.empty());
    // The replaced entry is not chosen any more, nor is the one after it.
    const int beeps = InputBeepCount();
    form->cmdDelete_Click();
    EXPECT_EQ(InputBeepCount(), beeps + 1);
    EXPECT_EQ(form->WorkingStyles.size(), 3u);
    form->cmdCancel_Click();
}

TEST_F(frmStyleTest, DeleteAndSaveThenCancelChangeNothing)
{
    CurrentStyle = BaseStyle();
    Styles.push_back(NamedStyle(QStringLiteral("Cotton"), {ReportForms[1]}));
    Styles.push_back(NamedStyle(QStringLiteral("Wool"), {ReportForms[2]}));
    SaveSettings();
    const std::string file = SettingsBytes();
    const std::vector<Style> stored = Styles;
    const Style current = CurrentStyle;
    frmStyle* form = frmStyle::Instance();
    ChooseStyle(form, QStringLiteral("Wool"));
    form->cmdDelete_Click();
    EXPECT_EQ(ListEntries(form->lstStyle), QStringList{QStringLiteral("Cotton")});
    EXPECT_EQ(form->lstStyle->currentRow(), -1);
    const int beeps = InputBeepCount();
    form->cmdDelete_Click();   // nothing chosen any more
    EXPECT_EQ(InputBeepCount(), beeps + 1);
    EXPECT_EQ(ListEntries(form->lstStyle), QStringList{QStringLiteral("Cotton")});
    SaveAs(form, "New");
    EXPECT_EQ(form->WorkingStyles.size(), 3u);
    form->cmdCancel_Click();
    EXPECT_EQ(Styles, stored);
    EXPECT_EQ(CurrentStyle, current);
    EXPECT_EQ(SettingsBytes(), file);
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(frmStyleTest, BoxesTakeWhatTheirNumbersOrTextsMayHold)
{
    const struct {
        const char* locale;
        std::function<QLineEdit*(frmStyle*)> box;
        bool paste;
        const char* input;
        const char* expected;
        int beeps;
    } rows[] = {
        // The rules themselves are the input boxes' own; here each box has its kind.
        {"en_US", [](frmStyle* f) { return f->txtNominal1; }, false, "12-3", "123", 1},
        {"en_US", [](frmStyle* f) { return f->txtNominal1; }, false, "1.5.5", "1.55", 1},
        {"de_DE", [](frmStyle* f) { return f->txtCI2; }, false, "1.5", "15", 1},
        {"de_DE", [](frmStyle* f) { return f->txtNominal1; }, false, "1,5,5", "1,55", 1},
        {"de_DE", [](frmStyle* f) { return f->txtNominal1; }, true, "12.5", "", 1},
        {"de_DE", [](frmStyle* f) { return f->txtULimit1; }, true, "12,5", "12,5", 0},
        {"en_US", [](frmStyle* f) { return f->txtLLimit1; }, true, "0,0001", "", 1},
        {"de_DE", [](frmStyle* f) { return f->txtSample1[2]; }, true, "12.5", "", 1},
        {"de_DE", [](frmStyle* f) { return f->txtSample1[2]; }, false, "5,5", "5,5", 0},
        {"en_US", [](frmStyle* f) { return f->txtSample1[2]; }, false, "a-1", "1", 2},
        {"en_US", [](frmStyle* f) { return f->txtSample1[1]; }, false, "Ab-1.5,x", "Ab-1.5,x", 0},
        {"en_US", [](frmStyle* f) { return f->txtSample3[1]; }, true, "a\tb", "", 1},
        // Digits only: the skein's yarn count and warps.
        {"de_DE", [](frmStyle* f) { return f->txtSample1[10]; }, false, "1,5", "15", 1},
        {"de_DE", [](frmStyle* f) { return f->txtSample2[10]; }, false, "8,0", "80", 1},
        {"de_DE", [](frmStyle* f) { return f->txtSample2[10]; }, true, "8,0", "", 1},
    };
    ReportForms.push_back(Form(QStringLiteral("Skein"), {10}));
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        frmStyle* form = frmStyle::Instance();
        ChooseForm(form, QStringLiteral("Both"));
        ChooseForm(form, QStringLiteral("Skein"));
        QLineEdit* box = row.box(form);
        box->clear();
        const int beeps = InputBeepCount();
        if (row.paste) {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(row.input));
            box->paste();
        } else {
            TypeText(box, QString::fromLatin1(row.input));
        }
        EXPECT_EQ(box->text(), QString::fromLatin1(row.expected)) << row.locale << " " << row.input;
        EXPECT_EQ(InputBeepCount() - beeps, row.beeps) << row.locale << " " << row.input;
        form->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ExpectStoredTextInput(frmStyle::Instance()->txtName, 35);
    frmStyle::Instance()->cmdCancel_Click();
}

TEST_F(frmStyleTest, CaptionsAndTipsInTheLanguage)
{
    const struct {
        int16_t language;
        const char* locale;
        QStringList captions;   // title, CI, unit frame, Save
        const char* tip;
    } rows[] = {
        {1, "de_DE", {"Artikel", "VB:", "Einheit", "&Speichern"}, "0,0001 - 999999 tex"},
        {2, "en_US", {"Styles", "CI:", "Unit", "&Save"}, "0.0001 - 999999 tex"},
        {6, "en_US", {"", "", "", "&"}, "0.0001 - 999999 tex"},
    };
    for (const auto& row : rows) {
        Language = row.language;
        Pin(QString::fromLatin1(row.locale));
        frmStyle* form = frmStyle::Instance();
        const QStringList captions{form->windowTitle(), form->lblCI->text(), form->fraUnit[2]->title(),
                                   form->cmdSave->text()};
        EXPECT_EQ(captions, row.captions);
        ChooseForm(form, QStringLiteral("Yarn"));
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), form->txtNominal1->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(form->txtNominal1, &help);
        EXPECT_EQ(form->txtNominal1->toolTip(), QString::fromUtf8(row.tip)) << row.language;
        EXPECT_EQ(form->TipOf(2, P::txtCI1), QStringLiteral("0.0 - 100.0%"));
        form->optSample1Unit2[2]->click();
        EXPECT_EQ(form->TipOf(2, P::txtSample1).right(3), QStringLiteral(" yd")) << row.language;
        form->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The user's choice of a list entry: Qt reports it as activated.
void Pick(QComboBox* list, const char* text)
{
    const int index = list->findText(QString::fromUtf8(text));
    ASSERT_GE(index, 0) << text;
    list->setCurrentIndex(index);
    emit list->activated(index);
}

TEST_F(frmStyleTest, ChoicesOnThePagesRebuildWhatDependsOnThem)
{
    ReportForms.push_back(Form(QStringLiteral("Hydro"), {9, 12, 13}));
    PortDevice[3] = 6;   // a KR 6100-III
    frmStyle* form = frmStyle::Instance();
    ChooseForm(form, QStringLiteral("Hydro"));

    EXPECT_EQ(form->lblSample2Unit[9]->text(), QStringLiteral("mm/min"));
    form->optSample1Unit2[9]->click();
    form->txtSample1[9]->setText(QStringLiteral("10"));
    EXPECT_EQ(form->lblSample2Unit[9]->text(), QStringLiteral("in/min"));
    EXPECT_EQ(form->TipOf(9, P::txtSample2), QStringLiteral("0.01 - 40.00 in/min"));

    ClickTab(form, 12);
    Pick(form->cboUnit1[12], "mm w.c.");
    EXPECT_EQ(form->cboSample1[12]->itemText(0), QStringLiteral("20/100"));
    EXPECT_EQ(form->cboSample1[12]->currentText(), QStringLiteral("20/100"));
    EXPECT_EQ(form->lblSample1Unit[12]->text(), QStringLiteral("mm w.c./min"));
    EXPECT_TRUE(form->txtNominal2->isVisibleTo(form));   // the third drop

    // The pass/fail page: no unit frame, the frame moved up, the holding
    // frames only with 33.
    ClickTab(form, 13);
    EXPECT_FALSE(form->fraUnit[13]->isVisibleTo(form));
    EXPECT_FALSE(form->txtLLimit1->isVisibleTo(form));
    const int tops[4] = {60, 1860, 3300, 5100};
    const std::array<QGroupBox*, 4> frames{form->fraSample1[13], form->fraSample2[13], form->fraSample3[13],
                                           form->fraSample4[13]};
    for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(frames[k]->y(), TwipsToPixels(tops[k])) << k;
    EXPECT_FALSE(form->fraSample3[13]->isVisibleTo(form));
    Pick(form->cboSample1[13], "33");
    EXPECT_TRUE(form->fraSample3[13]->isVisibleTo(form));
    EXPECT_EQ(form->cboUnit1[13]->count(), 0);
    form->txtSample3[13]->setText(QStringLiteral("500"));
    form->txtSample4[13]->setText(QStringLiteral("6"));
    ClickTab(form, 9);
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(6)});
    EXPECT_EQ(form->CurrentTestType, 13);
    Pick(form->cboSample1[13], "0-2-0");
    EXPECT_FALSE(form->fraSample4[13]->isVisibleTo(form));
    ClickTab(form, 9);
    EXPECT_EQ(form->CurrentTestType, 9);
    EXPECT_EQ(form->WorkingStyles[0].Tests[13].HeaderImage.substr(12, 28),
              "0-2-0 " " " "100   " ")" + Blanks(14));
    EXPECT_EQ(form->WorkingStyles[0].Tests[9].HeaderImage.substr(18, 8), "%10    Q");
    form->cmdCancel_Click();
}

TEST_F(frmStyleTest, APressureSequenceKeepsItsUnitAfterAMoveAndOK)
{
    ReportForms.push_back(Form(QStringLiteral("Program"), {13, 20}));
    EXPECT_EQ(RunAndAccept([](frmStyle* form) {
                  ChooseForm(form, QStringLiteral("Program"));
                  Pick(form->cboSample1[13], "0-2-0");
                  QStringList units;
                  for (int i = 0; i < form->cboUnit1[13]->count(); ++i)
                      units.append(form->cboUnit1[13]->itemText(i));
                  EXPECT_EQ(units, (QStringList{"cm w.c.", "mbar", "mm w.c."}));
                  Pick(form->cboUnit1[13], "cm w.c.");
                  ClickTab(form, 20);
                  ClickTab(form, 13);
                  EXPECT_EQ(form->cboUnit1[13]->currentText(), QStringLiteral("cm w.c."));
                  SaveAs(form, "Program");
              }),
              QDialog::Accepted);
    ASSERT_EQ(Styles.size(), 2u);
    // 0-2-0, 100 cm², the result in cm w.c. (sum 2266)
    EXPECT_EQ(ToHex(Styles[1].Tests[13].HeaderImage),
              ToHex("\x1E" "KR 6100" "   " "P" "0-2-0 " "\\" "100   " ")" + Blanks(21) + "F" + Blanks(9) + "Z\r\n"));
}

// What the editor shows of every page of the chosen forms, control by control.
QStringList ShownFields(frmStyle* form)
{
    QStringList fields;
    for (int tab = 0; tab < form->tabStyle->count(); ++tab) {
        form->tabStyle->setCurrentIndex(tab);
        const int t = form->CurrentTestType;
        for (int c = 1; c < PageControlCount; ++c) {
            const QWidget* widget = form->ControlWidget(t, static_cast<P>(c));
            if (!widget || !widget->isVisibleTo(form))
                continue;
            QString value;
            if (const auto* box = qobject_cast<const QLineEdit*>(widget))
                value = box->text();
            else if (const auto* list = qobject_cast<const QComboBox*>(widget))
                value = list->currentText();
            else if (const auto* option = qobject_cast<const QRadioButton*>(widget))
                value = option->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
            else
                continue;
            fields << QStringLiteral("%1 %2 = %3").arg(t).arg(PageControlName(static_cast<P>(c)), value);
        }
    }
    return fields;
}

TEST_F(frmStyleTest, AStyleWithEveryFieldSetComesBackFromTheSettingsFileAsItWasShown)
{
    ReportForms.push_back(Form(QStringLiteral("P1"), {1, 2, 3, 4, 5, 6}));
    ReportForms.push_back(Form(QStringLiteral("P2"), {7, 8, 9, 10, 11, 12}));
    ReportForms.push_back(Form(QStringLiteral("P3"), {13, 14, 15, 16, 17, 18}));
    ReportForms.push_back(Form(QStringLiteral("P4"), {19, 20}));
    PortDevice[3] = 6;   // a KR 6100-III shows the most fields
    frmStyle* form = frmStyle::Instance();
    for (const char* name : {"P1", "P2", "P3", "P4"})
        ChooseForm(form, QString::fromLatin1(name));
    ASSERT_EQ(form->tabStyle->count(), 20);
    for (int t = 1; t <= 20; ++t) {
        SCOPED_TRACE(t);
        ClickTab(form, t);
        ASSERT_EQ(form->CurrentTestType, t);
        // Every list takes another entry than its default, as far as the page accepts it.
        for (int c = 1; c < PageControlCount; ++c) {
            auto* list = qobject_cast<QComboBox*>(form->ControlWidget(t, static_cast<P>(c)));
            if (!list || !list->isVisibleTo(form) || static_cast<P>(c) == P::cboTest)
                continue;
            const int before = list->currentIndex();
            for (int index = list->count() - 1; index >= 0; --index) {
                list->setCurrentIndex(index);
                emit list->activated(index);
                if (index != before && form->ValidateTest(t) == P::None)
                    break;
            }
            if (form->ValidateTest(t) != P::None) {
                list->setCurrentIndex(before);
                emit list->activated(before);
            }
        }
        // Nominal t + 1.5 between t + 1 and t + 2, result 2 ten above, CI 40 + t.
        for (const int r : {1, 2}) {
            QLineEdit* nominal = r == 1 ? form->txtNominal1 : form->txtNominal2;
            QLineEdit* lower = r == 1 ? form->txtLLimit1 : form->txtLLimit2;
            QLineEdit* upper = r == 1 ? form->txtULimit1 : form->txtULimit2;
            QLineEdit* ci = r == 1 ? form->txtCI1 : form->txtCI2;
            const int base = t + 1 + (r - 1) * 10;
            if (nominal->isVisibleTo(form))
                nominal->setText(QStringLiteral("%1.5").arg(base));
            if (lower->isVisibleTo(form)) {
                lower->setText(QString::number(base));
                upper->setText(QString::number(base + 1));
                ci->setText(QString::number(40 + t));
            }
        }
        form->cboTest->setCurrentIndex(t);
        EXPECT_EQ(form->ValidateTest(t), P::None);
    }
    SaveAs(form, "Every field");
    const QStringList shown = ShownFields(form);
    form->cmdOK_Click();
    EXPECT_TRUE(Presenter.Shown.empty());
    ASSERT_EQ(Styles.size(), 2u);
    const Style saved = Styles[1];

    ResetSettingsGlobals(Temp.path());
    ASSERT_FALSE(InitSettings());
    ASSERT_EQ(Styles.size(), 2u);
    EXPECT_EQ(Styles[1].Name, QStringLiteral("Every field"));
    for (size_t t = 1; t <= 20; ++t) {
        const TestDefinition& read = Styles[1].Tests[t];
        const TestDefinition& written = saved.Tests[t];
        EXPECT_EQ(read.Nominal1, static_cast<float>(t) + 1.5f) << t;
        EXPECT_EQ(read.TestCount, static_cast<int16_t>(t + 1)) << t;
        EXPECT_EQ(read.HeaderImage.size(), 60u) << t;
        EXPECT_EQ(read, written) << t << " " << ToHex(read.HeaderImage) << " " << ToHex(written.HeaderImage);
    }
    EXPECT_EQ(Styles[1].Tests[9].Nominal2, 20.5f);
    EXPECT_EQ(Styles[1].Tests[2].CI1, 42.0f);
    EXPECT_EQ(Styles[1].Tests[2].HeaderImage.substr(47, 1), "e");   // dtex, not the default tex
    EXPECT_EQ(Styles[1].Forms, saved.Forms);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PortDevice[3] = 6;
    form = frmStyle::Instance();
    ChooseStyle(form, QStringLiteral("Every field"));
    EXPECT_EQ(ShownFields(form), shown);
    form->cmdCancel_Click();
}

} // namespace
