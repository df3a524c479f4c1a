#include "styles/frmOperator.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"
#include "platform/LoadedForms.h"
#include "platform/SortedList.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

namespace {

std::vector<QString> Array(const char* spaced)
{
    std::vector<QString> values{QString()};
    for (const QString& name : QString::fromUtf8(spaced).split(u' ', Qt::SkipEmptyParts))
        values.push_back(name);
    return values;
}

class frmOperatorTest : public StylesTest {
protected:
    static void Add(frmOperator* form, const QString& text)
    {
        form->txtOperator->setText(text);
        form->cmdSave_Click();
    }
    // A user's click on the entry, with Ctrl held when asked; the dialog is shown.
    static void ClickEntry(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, modifiers);
            QApplication::sendEvent(list->viewport(), &event);
        }
    }
};

TEST_F(frmOperatorTest, RefusedEntriesKeepTheTextAndTheList)
{
    Operators = Array("Bob Ann");
    frmOperator* form = frmOperator::Instance();
    EXPECT_EQ(form->lstOperator->currentRow(), -1);
    form->txtOperator->setText(QStringLiteral("   "));
    EXPECT_FALSE(form->cmdSave->isEnabled());
    Add(form, QStringLiteral(" bob "));
    Presenter.Answer(AnswerNo);
    Add(form, QStringLiteral("C*"));
    EXPECT_EQ(form->txtOperator->text(), QStringLiteral("C*"));
    EXPECT_EQ(ListEntries(form->lstOperator), QStringList({QStringLiteral("Ann"), QStringLiteral("Bob")}));
    Presenter.Answer(AnswerYes);
    form->cmdSave_Click();
    EXPECT_EQ(ListEntries(form->lstOperator).last(), QStringLiteral("C*"));
    EXPECT_EQ(form->txtOperator->text(), QString());
    EXPECT_FALSE(form->cmdSave->isEnabled());
    EXPECT_EQ(Presenter.Shown, (std::vector<MessageRequest>{Message(7), Message(8), Message(8)}));
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Duplicate entry."));
    ExpectStoredTextInput(form->txtOperator, 35);
    form->cmdCancel_Click();
}

TEST_F(frmOperatorTest, AFullListRefusesEveryNameAndAnOverfullOneIsKeptWhole)
{
    for (const int count : {100, 120}) {
        Operators.assign(1, QString());
        for (int i = 1; i <= count; ++i)
            Operators.push_back(QStringLiteral("Op %1").arg(i, 3, 10, QChar(u'0')));
        frmOperator* form = frmOperator::Instance();
        Presenter.Shown.clear();
        Add(form, QStringLiteral("op 001"));
        Add(form, QStringLiteral("New"));
        EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>(2, Message(9, {100}))) << count;
        EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("The list can hold a maximum of 100 entries."));
        form->cmdOK_Click();
        EXPECT_EQ(Operators.size(), static_cast<size_t>(count) + 1);
    }
}

TEST_F(frmOperatorTest, CtrlClickedEntriesAreDeletedAndTheTextStays)
{
    Operators = Array("a b c d e");
    frmOperator* form = frmOperator::Instance();
    form->show();
    QApplication::processEvents();
    ClickEntry(form->lstOperator, 1);
    EXPECT_EQ(form->txtOperator->text(), QStringLiteral("b"));
    ClickEntry(form->lstOperator, 2, Qt::ControlModifier);
    form->txtOperator->setText(QStringLiteral("typed"));
    ClickEntry(form->lstOperator, 4, Qt::ControlModifier);
    EXPECT_EQ(form->txtOperator->text(), QStringLiteral("e"));
    // A click on the entry already current counts as well.
    form->txtOperator->setText(QStringLiteral("typed"));
    ClickEntry(form->lstOperator, 4, Qt::ControlModifier);
    ClickEntry(form->lstOperator, 4, Qt::ControlModifier);
    EXPECT_EQ(form->txtOperator->text(), QStringLiteral("e"));
    form->txtOperator->setText(QStringLiteral("typed"));
    form->cmdDelete_Click();
    EXPECT_EQ(ListEntries(form->lstOperator), QStringList({QStringLiteral("a"), QStringLiteral("d")}));
    EXPECT_EQ(form->txtOperator->text(), QStringLiteral("typed"));
    form->cmdCancel_Click();
}

TEST_F(frmOperatorTest, OkStoresTheListInOrderAndCancelChangesNothing)
{
    Operators = Array("Zeta beta");
    SaveSettings();
    const std::string before = SettingsBytes();
    ScriptedDialogRunner runner;
    runner.Then([this](QDialog& dialog) {
        auto& form = static_cast<frmOperator&>(dialog);
        form.txtOperator->setFocus();
        TypeText(form.txtOperator, QStringLiteral("Eve"));
        Type(form.txtOperator, Qt::Key_Return);
        form.lstOperator->item(0)->setSelected(true);
        form.cmdDelete_Click();
        Type(&form, Qt::Key_Escape);
    });
    EXPECT_EQ(frmOperator::ShowForm(), QDialog::Rejected);
    EXPECT_FALSE(frmOperator::IsLoaded());
    EXPECT_EQ(Operators, Array("Zeta beta"));
    EXPECT_EQ(SettingsBytes(), before);

    runner.Then([this](QDialog& dialog) {
        auto& form = static_cast<frmOperator&>(dialog);
        form.txtOperator->setFocus();
        for (const char* name : {"Alpha", "ähnlich", "alpha2"}) {
            TypeText(form.txtOperator, QString::fromUtf8(name));
            Type(form.txtOperator, Qt::Key_Return);
        }
        Type(form.txtOperator, Qt::Key_Return);   // empty text: Save is disabled
        form.cmdOK->click();
    });
    EXPECT_EQ(frmOperator::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(Operators, Array("ähnlich Alpha alpha2 beta Zeta"));
    EXPECT_NE(SettingsBytes(), before);

    // Unloaded from outside (the main window closing), the dialog stores nothing.
    frmOperator* form = frmOperator::Instance();
    form->lstOperator->selectAll();
    form->cmdDelete_Click();
    UnloadFormsExcept(QStringLiteral("frmMain"));
    EXPECT_FALSE(frmOperator::IsLoaded());
    EXPECT_EQ(Operators.size(), 6u);

    form = frmOperator::Instance();
    form->lstOperator->selectAll();
    form->cmdDelete_Click();
    form->cmdOK_Click();
    EXPECT_EQ(Operators, Array(""));
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(frmOperatorTest, CaptionsByLanguage)
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
