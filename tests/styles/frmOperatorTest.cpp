#include "styles/frmOperator.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"
#include "platform/LoadedForms.h"

namespace {

class frmOperatorTest : public StylesTest {};

TEST_F(frmOperatorTest, OkStoresTheEditedListInOrderAndCancelNothing)
{
    Operators = Array("Bob Ann");
    SaveSettings();
    const std::string before = SettingsBytes();
    ScriptedDialogRunner runner;
    auto edit = [this](QDialog& dialog) {
        auto& form = static_cast<frmOperator&>(dialog);
        EXPECT_EQ(form.lstOperator->currentRow(), -1);
        ExpectListSteps({form.txtOperator, form.lstOperator, form.cmdSave, [&form] { form.cmdSave_Click(); },
                         [&form] { form.cmdDelete_Click(); }});
        // Enter adds through the default button.
        form.txtOperator->setFocus();
        TypeText(form.txtOperator, QStringLiteral("Eve"));
        Type(form.txtOperator, Qt::Key_Return);
    };
    runner.Then([&](QDialog& dialog) {
        edit(dialog);
        Type(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(frmOperator::ShowForm(), QDialog::Rejected);
    EXPECT_FALSE(frmOperator::IsLoaded());
    EXPECT_EQ(Operators, Array("Bob Ann"));
    EXPECT_EQ(SettingsBytes(), before);

    runner.Then([&](QDialog& dialog) {
        edit(dialog);
        static_cast<frmOperator&>(dialog).cmdOK->click();
    });
    EXPECT_EQ(frmOperator::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(Operators, Array("alpha2 Ann C* Eve"));
    EXPECT_NE(SettingsBytes(), before);

    // Unloaded from outside (the main window closing), the dialog stores nothing.
    frmOperator* form = frmOperator::Instance();
    form->lstOperator->selectAll();
    form->cmdDelete_Click();
    UnloadFormsExcept(QStringLiteral("frmMain"));
    EXPECT_FALSE(frmOperator::IsLoaded());
    EXPECT_EQ(Operators.size(), 5u);

    form = frmOperator::Instance();
    form->lstOperator->selectAll();
    form->cmdDelete_Click();
    form->cmdOK_Click();
    EXPECT_EQ(Operators, Array(""));
}

TEST_F(frmOperatorTest, AFullListRefusesEveryNameAndAnOverfullOneIsKeptWhole)
{
    for (const int count : {100, 120}) {
        Operators.assign(1, QString());
        for (int i = 1; i <= count; ++i)
            Operators.push_back(QStringLiteral("Op %1").arg(i, 3, 10, QChar(u'0')));
        frmOperator* form = frmOperator::Instance();
        Presenter.Shown.clear();
        for (const char* name : {"op 001", "New"}) {
            form->txtOperator->setText(QString::fromLatin1(name));
            form->cmdSave_Click();
        }
        EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>(2, Message(9, {100}))) << count;
        EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("The list can hold a maximum of 100 entries."));
        form->cmdOK_Click();
        EXPECT_EQ(Operators.size(), static_cast<size_t>(count) + 1);
    }
}

TEST_F(frmOperatorTest, CaptionsByLanguageAndSaveAsTheDefaultButton)
{
    const char* rows[][3] = {
        {"Bedienungspersonen", "&Speichern", "&Löschen"}, {"Operators", "&Save", "&Delete"},
        {"Opérateurs", "&Enregistrer", "&Effacer"},       {"Operatori", "&Memorizzare", "&Cancellare"},
        {"Operarios", "&Guardar", "&Eliminar"},           {"", "&", "&"},
    };
    frmOperator* form = frmOperator::Instance();
    for (int16_t language = 1; language <= 6; ++language) {
        form->SetCaptions(language);
        const auto& row = rows[language - 1];
        EXPECT_EQ(QStringList({form->windowTitle(), form->cmdSave->text(), form->cmdDelete->text()}),
                  QStringList({QString::fromUtf8(row[0]), QString::fromUtf8(row[1]), QString::fromUtf8(row[2])}));
    }
    EXPECT_TRUE(form->cmdSave->isDefault());
    EXPECT_FALSE(form->cmdOK->autoDefault() || form->cmdCancel->autoDefault() || form->cmdDelete->autoDefault());
    form->cmdCancel_Click();
}

} // namespace
