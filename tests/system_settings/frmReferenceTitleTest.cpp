#include "SystemSettingsFixture.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/TextInput.h"
#include "system_settings/frmReferenceTitle.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

using ReferenceTitleTest = SystemSettingsFixture;

size_t Element(int slot, int reference)
{
    return static_cast<size_t>((slot - 1) * 3 + (reference - 2));
}

TEST_F(ReferenceTitleTest, EachTitleIsStoredWithOneColonOrAsItsDefault)
{
    const struct {
        int slot, reference;
        const char* typed;
        const char* stored;
    } rows[] = {
        {2, 2, "Batch", "Batch:"},
        {2, 3, "Batch::", "Batch:"},
        {1, 4, "  Batch :  ", "Batch :"},
        {5, 2, "Lote: A", "Lote: A:"},
        {3, 2, "", "Référence 2:"},
        {4, 3, "   ", "Referenz 3:"},    // the Italian defaults are the German texts
        {6, 4, ":::", "Ref. 4:"},
        {6, 2, " : ", "Ref. 2:"},
        {5, 4, "", "Referencia 4:"},
        {2, 4, "Order no.", "Order no.:"},   // box E4 is element 5
    };
    RefTitles.Titles[Element(1, 2)] = QStringLiteral("Los:");
    frmReferenceTitle* form = frmReferenceTitle::Instance();
    // Every box shows its stored title.
    for (int slot = 1; slot <= 6; ++slot)
        for (int r = 2; r <= 4; ++r)
            EXPECT_EQ(form->TitleBox(slot, r)->text(), RefTitles.Titles[Element(slot, r)]) << slot << r;
    EXPECT_EQ(form->txtReferenceTitleG[2]->text(), QStringLiteral("Los:"));
    for (const auto& row : rows)
        form->TitleBox(row.slot, row.reference)->setText(QString::fromUtf8(row.typed));
    form->cmdOK_Click();
    EXPECT_FALSE(frmReferenceTitle::IsLoaded());

    ReferenceTitles expected = DefaultReferenceTitles;
    expected.Titles[Element(1, 2)] = QStringLiteral("Los:");
    for (const auto& row : rows)
        expected.Titles[Element(row.slot, row.reference)] = QString::fromUtf8(row.stored);
    EXPECT_EQ(expected.Titles[5], QStringLiteral("Order no.:"));
    // OK sets the titles at once, before they are read back from the file.
    for (size_t i = 0; i < 18; ++i)
        EXPECT_EQ(RefTitles.Titles[i], expected.Titles[i]) << i;
    ReloadSettings();
    EXPECT_EQ(RefTitles, expected);
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(ReferenceTitleTest, CancelWritesNothingAndUnloadingEmptiesTheBoxes)
{
    const std::string before = SaveBaseline();
    ScriptedDialogRunner runner;
    QPointer<frmReferenceTitle> kept;
    runner.Then([&kept](QDialog& dialog) {
        kept = qobject_cast<frmReferenceTitle*>(&dialog);
        ASSERT_TRUE(kept);
        kept->txtReferenceTitleS[3]->setText(QStringLiteral("Lote"));
        kept->txtReferenceTitleU[2]->clear();
        kept->cmdCancel_Click();
    });
    EXPECT_EQ(frmReferenceTitle::ShowForm(), QDialog::Rejected);
    EXPECT_EQ(RefTitles, DefaultReferenceTitles);
    EXPECT_EQ(SettingsBytes(), before);
    ASSERT_TRUE(kept);
    for (int slot = 1; slot <= 6; ++slot)
        for (int r = 2; r <= 4; ++r)
            EXPECT_EQ(kept->TitleBox(slot, r)->text(), QString()) << slot << r;
}

TEST_F(ReferenceTitleTest, BoxesRefuseWhatTheSettingsFileCannotHold)
{
    frmReferenceTitle* form = frmReferenceTitle::Instance();
    QLineEdit* box = form->txtReferenceTitleF[4];
    box->clear();
    const int beeps = InputBeepCount();
    Type(box, QStringLiteral("N"));
    Type(box, QString::fromUtf8("\xC2\xB0"));    // "°" is in Windows-1252
    Type(box, QString::fromUtf8("\xC5\x81"));    // "Ł" is not
    box->insert(QString::fromUtf8("\xE2\x84\x96"));   // "№" pasted
    box->insert(QStringLiteral("a\tb"));
    EXPECT_EQ(box->text(), QString::fromUtf8("N\xC2\xB0"));
    EXPECT_EQ(InputBeepCount(), beeps + 3);
    form->cmdCancel_Click();
}

TEST_F(ReferenceTitleTest, GettingTheFocusSelectsTheWholeText)
{
    frmReferenceTitle* form = frmReferenceTitle::Instance();
    for (int slot = 1; slot <= 6; ++slot) {
        QLineEdit* box = form->TitleBox(slot, 3);
        box->setCursorPosition(1);
        ASSERT_FALSE(box->hasSelectedText());
        QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(box, &focus);
        // Deferred, so that the click which gave the focus cannot undo it.
        QApplication::processEvents();
        EXPECT_EQ(box->selectedText(), box->text()) << slot;
    }
    form->cmdCancel_Click();
}

TEST_F(ReferenceTitleTest, CaptionsByLanguage)
{
    // Only the window and Cancel speak the language; frames and row labels are not translated.
    Language = 1;
    frmReferenceTitle* form = frmReferenceTitle::Instance();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Referenztitel"));
    EXPECT_EQ(form->fraFrench->title(), QString::fromUtf8("Français"));
    EXPECT_EQ(form->lblReferenceTitle[4]->text(), QStringLiteral("Ref. 4:"));
    form->cmdCancel_Click();
}

TEST_F(ReferenceTitleTest, CaptionsOfEveryLanguage)
{
    const char* const windows[7] = {"", "Referenztitel", "Reference titles", "Titres des références",
                                    "Titoli delle referenze", "Titulos del las referencias", "?"};
    const char* const cancels[7] = {"", "&Abbrechen", "&Cancel", "&Annuler", "&Annulla", "&Finalizar", "&"};
    for (int16_t language = 1; language <= 6; ++language) {
        Language = language;
        frmReferenceTitle* form = frmReferenceTitle::Instance();
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(windows[language])) << language;
        EXPECT_EQ(form->cmdCancel->text(), QString::fromUtf8(cancels[language])) << language;
        // Frames and row labels are not translated.
        EXPECT_EQ(form->fraFrench->title(), QString::fromUtf8("Français"));
        EXPECT_EQ(form->fraSpanish->title(), QStringLiteral("Espagnol"));
        EXPECT_EQ(form->fraUnknown->title(), QStringLiteral("?"));
        EXPECT_EQ(form->lblReferenceTitle[4]->text(), QStringLiteral("Ref. 4:"));
        form->cmdCancel_Click();
    }
}

} // namespace
