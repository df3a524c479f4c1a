#include "styles/frmReportForm.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"

#include <QCheckBox>

namespace {

class frmReportFormTest : public StylesTest {
protected:
    // A click of the user on property box t (nothing happens while it is disabled).
    static void Click(frmReportForm* form, int t) { form->chkProperty[static_cast<size_t>(t)]->click(); }
    // The test types whose property box is enabled; its other boxes agree.
    static std::vector<int> Enabled(frmReportForm* form)
    {
        std::vector<int> types;
        for (size_t t = 1; t <= 20; ++t) {
            const bool on = form->chkProperty[t]->isEnabled();
            if (on)
                types.push_back(static_cast<int>(t));
            EXPECT_EQ(form->chkHistogram[t]->isEnabled(), on) << t;
            EXPECT_EQ(form->chkCurve[t] ? form->chkCurve[t]->isEnabled() : on, on) << t;
        }
        return types;
    }
    // Chooses the list entry as a user click would.
    static void Choose(frmReportForm* form, const char* name)
    {
        form->lstProtocol->setCurrentRow(FindInList(QString::fromUtf8(name), form->lstProtocol) - 1);
    }
};

TEST_F(frmReportFormTest, TheSeventhPropertyIsTakenBackAndSaveFreesTheBoxes)
{
    PortDevice = {2, 3, 4, 5, 8, 12};
    frmReportForm* form = frmReportForm::Instance();
    form->txtName->setText(QStringLiteral("  Seven  "));
    for (const int t : {18, 15, 11, 9, 7, 2, 1})
        Click(form, t);
    EXPECT_FALSE(form->chkProperty[1]->isChecked());
    EXPECT_TRUE(form->chkProperty[1]->isEnabled());
    ASSERT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(11, {6})});
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("There is a maximum of 6 properties per form!"));
    EXPECT_EQ(Enabled(form), (std::vector<int>{1, 2, 7, 9, 11, 15, 18}));
    form->chkHistogram[9]->setChecked(true);
    form->chkHistogram[3]->setChecked(true);   // property 3 is not checked
    form->cmdSave_Click();
    // In test-type order, whatever the order of the clicks.
    EXPECT_EQ(form->WorkingForms[1], Form("Seven", {{2, false, false}, {7, false, false}, {9, true, false},
                                                    {11, false, false}, {15, false, false}, {18, false, false}}));
    EXPECT_EQ(ListEntries(form->lstProtocol), Words("Seven"));
    EXPECT_EQ(form->txtName->text(), QString());
    EXPECT_FALSE(form->cmdSave->isEnabled());
    EXPECT_EQ(Enabled(form), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 18}));
    form->cmdCancel_Click();
}

TEST_F(frmReportFormTest, AStoredPropertyOfNoInstrumentStaysCheckedAndIsKept)
{
    ReportForms.push_back(Form("Burst", {{14, true, true}, {21, true, false}, {-3, true, false}}));
    PortDevice = {2, 0, 0, 0, 0, 0};
    frmReportForm* form = frmReportForm::Instance();
    EXPECT_EQ(form->lstProtocol->currentRow(), -1);
    Choose(form, "burst");
    EXPECT_EQ(form->txtName->text(), QStringLiteral("Burst"));
    EXPECT_TRUE(form->chkProperty[14]->isChecked() && form->chkCurve[14]->isChecked());
    EXPECT_EQ(Enabled(form), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    form->cmdSave_Click();
    EXPECT_EQ(form->WorkingForms[1], Form("Burst", {{14, true, true}}));
    form->cmdCancel_Click();
}

TEST_F(frmReportFormTest, AnotherCaseReplacesAndAFullListTakesNoNewName)
{
    for (int i = 1; i <= 100; ++i)
        ReportForms.push_back(Form(QByteArray("Form ").append(QByteArray::number(i + 100)).constData(), {}));
    frmReportForm* form = frmReportForm::Instance();
    form->txtName->setText(QStringLiteral("One too many"));
    Click(form, 1);
    form->cmdSave_Click();
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(9, {100})});
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("The list can hold a maximum of 100 entries."));
    form->txtName->setText(QStringLiteral("FORM 150"));
    form->cmdSave_Click();
    EXPECT_EQ(form->lstProtocol->item(49)->text(), QStringLiteral("Form 150"));
    EXPECT_EQ(form->WorkingForms[50], Form("FORM 150", {{1, false, false}}));
    EXPECT_EQ(Presenter.Shown.size(), 1u);
    form->cmdCancel_Click();
}

TEST_F(frmReportFormTest, DeleteNeedsAChosenFormThatNoStyleHolds)
{
    ReportForms = {BlankReportForm, Form("Alpha", {{2, false, false}}), Form("Beta", {}), Form("Gamma", {})};
    Styles.push_back(StyleWith({Form("BETA", {})}));
    frmReportForm* form = frmReportForm::Instance();
    const int beeps = InputBeepCount();
    form->cmdDelete_Click();
    EXPECT_EQ(InputBeepCount(), beeps + 1);
    Choose(form, "Beta");
    form->cmdDelete_Click();
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(38)});
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("This form cannot be deleted because it is linked to a style!"));

    // The name and the boxes keep what they show; nothing is chosen any more.
    Choose(form, "Alpha");
    form->cmdDelete_Click();
    EXPECT_EQ(ListEntries(form->lstProtocol), (QStringList{QStringLiteral("Beta"), QStringLiteral("Gamma")}));
    EXPECT_EQ(form->txtName->text(), QStringLiteral("Alpha"));
    EXPECT_TRUE(form->chkProperty[2]->isChecked());
    EXPECT_EQ(form->lstProtocol->currentRow(), -1);
    form->cmdDelete_Click();
    EXPECT_EQ(InputBeepCount(), beeps + 2);

    Styles.pop_back();
    Choose(form, "Beta");
    form->cmdDelete_Click();
    form->cmdOK_Click();
    EXPECT_EQ(ReportForms, (std::vector<ReportForm>{BlankReportForm, Form("Gamma", {})}));
}

TEST_F(frmReportFormTest, OkPutsTheSavedFormIntoTheStylesAndCancelChangesNothing)
{
    PortDevice = {2, 7, 0, 0, 0, 0};
    const ReportForm yarn = Form("Yarn", {{2, false, false}});
    const ReportForm other = Form("Other", {{16, false, false}});
    ReportForms = {BlankReportForm, yarn, other};
    Styles = {BlankStyle, StyleWith({other, yarn}), StyleWith({other}), StyleWith({Form("yarn", {{2, true, false}})})};
    SaveSettings();
    const std::vector<Style> stylesBefore = Styles;
    const std::string fileBefore = SettingsBytes();
    auto edit = [](QDialog& dialog) {
        auto* form = static_cast<frmReportForm*>(&dialog);
        Choose(form, "Yarn");
        Click(form, 17);
        form->chkCurve[17]->click();
        form->txtName->setText(QStringLiteral("YARN"));
        form->cmdSave_Click();
    };
    const ReportForm changed = Form("YARN", {{2, false, false}, {17, false, true}});

    ScriptedDialogRunner runner;
    runner.Then([&](QDialog& dialog) {
        edit(dialog);
        Type(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(frmReportForm::ShowForm(), QDialog::Rejected);
    EXPECT_FALSE(frmReportForm::IsLoaded());
    EXPECT_EQ(Styles, stylesBefore);
    EXPECT_EQ(ReportForms, (std::vector<ReportForm>{BlankReportForm, yarn, other}));
    EXPECT_EQ(SettingsBytes(), fileBefore);

    runner.Then([&](QDialog& dialog) {
        edit(dialog);
        static_cast<frmReportForm&>(dialog).cmdOK->click();
    });
    EXPECT_EQ(frmReportForm::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(ReportForms, (std::vector<ReportForm>{BlankReportForm, changed, other}));
    EXPECT_EQ(Styles, (std::vector<Style>{BlankStyle, StyleWith({other, changed}), stylesBefore[2], StyleWith({changed})}));
    EXPECT_NE(SettingsBytes(), fileBefore);
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(frmReportFormTest, CaptionsAndInput)
{
    KeyboardDef.Property = QStringLiteral("Hand & scale");
    // Title, histogram, curve, a property, the keyboard's property and Save.
    const char* rows[][6] = {
        {"Formulare", "Histogramm", "Kurve", "Garnfeinheit", "Hand && scale", "&Speichern"},
        {"Report forms", "Histogram", "Curve", "Yarn Fineness", "Hand && scale", "&Save"},
        {"Formulaires", "Histogram", "Courbe", "Finesse du fil", "Hand && scale", "&Enregistrer"},
        {"Formolare", "Istogramma", "Curva", "Finezza del filo", "Hand && scale", "&Memorizzare"},
        {"Formularios", "Histograma", "Curva", "Finura del hilo", "Hand && scale", "&Guardar"},
        {"", "", "", "", "Hand && scale", "&"},
    };
    frmReportForm* form = frmReportForm::Instance();
    for (int16_t language = 1; language <= 6; ++language) {
        form->SetCaptions(language);
        QStringList expected;
        for (const char* text : rows[language - 1])
            expected.append(QString::fromUtf8(text));
        EXPECT_EQ(QStringList({form->windowTitle(), form->chkHistogram[20]->text(), form->chkCurve[18]->text(),
                               form->chkProperty[2]->text(), form->chkProperty[1]->text(), form->cmdSave->text()}),
                  expected);
    }
    ExpectStoredTextInput(form->txtName, 35);
    EXPECT_TRUE(form->cmdSave->isDefault());
    EXPECT_FALSE(form->cmdOK->autoDefault() || form->cmdDelete->autoDefault());
    form->cmdCancel_Click();
}

} // namespace
