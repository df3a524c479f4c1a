#include "styles/frmKeyboardDefinition.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"
#include "foundation/modRecords.h"
#include "instrument/modPropertyText.h"

#include <QLabel>
#include <QPushButton>

namespace {

class frmKeyboardDefinitionTest : public StylesTest {
protected:
    static std::array<QLineEdit*, 7> Boxes(frmKeyboardDefinition* form)
    {
        return {form->txtInstrument,   form->txtSerialNumber, form->txtProperty,    form->txtParameter[1],
                form->txtParameter[2], form->txtParameter[3], form->txtParameter[4]};
    }
    static void Fill(frmKeyboardDefinition* form, std::array<const char*, 7> texts)
    {
        for (size_t i = 0; i < 7; ++i)
            Boxes(form)[i]->setText(QString::fromUtf8(texts[i]));
    }
    static QStringList Fields(const KeyboardDefinition& d)
    {
        return {d.Instrument, d.SerialNumber, d.Property, d.Parameter1, d.Parameter2, d.Parameter3, d.Parameter4};
    }
};

TEST_F(frmKeyboardDefinitionTest, ParameterNamesMayNotLeaveAGap)
{
    const struct {
        std::array<const char*, 4> names;
        int offending;
    } rows[] = {
        {{"", "", "", ""}, 0},       {{"A", "B", "C", "D"}, 0},  {{"A:", "B", "C::", ""}, 0},
        {{"A", "", "C", ""}, 3},     {{"", "B", "", ""}, 2},     {{"   ", "B", "", ""}, 2},
        {{":", "Length", "", ""}, 2},   // stored as "", so box 1 is empty
        {{"A", "B", "", "D"}, 4},
    };
    for (const auto& row : rows) {
        std::array<QString, 5> texts;
        for (size_t i = 0; i < 4; ++i)
            texts[i + 1] = QString::fromUtf8(row.names[i]);
        EXPECT_EQ(frmKeyboardDefinition::ParameterGap(texts), row.offending) << row.names[0] << "|" << row.names[1];
    }
}

TEST_F(frmKeyboardDefinitionTest, AGapIsRefusedWithTheFocusOnItsBoxAndNothingStored)
{
    SaveSettings();
    const std::string before = SettingsBytes();
    frmKeyboardDefinition* form = frmKeyboardDefinition::Instance();
    EXPECT_EQ(QStringList({form->txtInstrument->text(), form->txtSerialNumber->text(), form->txtProperty->text(),
                           form->txtParameter[1]->text(), form->txtParameter[4]->text()}),
              QStringList({QString(), QString(), QStringLiteral("Keyboard"), QString(), QString()}));
    const int lengths[] = {25, 3, 35, 15, 15, 15, 15};
    for (size_t i = 0; i < 7; ++i)
        ExpectStoredTextInput(Boxes(form)[i], lengths[i]);

    Fill(form, {"  ", "12", "", "Length", "", "Speed", ""});
    form->cmdOK_Click();
    EXPECT_EQ(form->focusWidget(), form->txtParameter[3]);
    // The blank name boxes took the keyboard word all the same.
    EXPECT_EQ(form->txtInstrument->text(), QStringLiteral("Keyboard"));
    EXPECT_EQ(form->txtProperty->text(), QStringLiteral("Keyboard"));
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(6)});
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Invalid entry."));
    ScriptedDialogRunner runner;
    runner.Then([](QDialog& dialog) { Type(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(frmKeyboardDefinition::ShowForm(), QDialog::Rejected);
    EXPECT_EQ(KeyboardDef, EmptyKeyboardDefinition);
    EXPECT_EQ(ModelShortName[1], QStringLiteral("Tastatur"));
    EXPECT_EQ(SettingsBytes(), before);
}

TEST_F(frmKeyboardDefinitionTest, OkStoresTrimmedNamesAndRenamesTheKeyboardRow)
{
    ScriptedDialogRunner runner;
    runner.Then([](QDialog& dialog) {
        Fill(static_cast<frmKeyboardDefinition*>(&dialog), {" Balance ", "A1", "   ", "Dia::", " Load: ", "", ""});
        static_cast<frmKeyboardDefinition&>(dialog).cmdOK->click();
    });
    EXPECT_EQ(frmKeyboardDefinition::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(Fields(KeyboardDef), QStringList({QStringLiteral("Balance"), QStringLiteral("A1"), QStringLiteral("Keyboard"),
                                                QStringLiteral("Dia"), QStringLiteral("Load"), QString(), QString()}));
    EXPECT_EQ(ModelShortName[1], QStringLiteral("Balance"));
    EXPECT_EQ(ModelLongName[1], QStringLiteral("Balance"));
    EXPECT_NE(SettingsBytes(), "<missing>");

    // The stored definition fills the boxes; blank names take the current language's word.
    Language = 1;
    frmKeyboardDefinition* form = frmKeyboardDefinition::Instance();
    EXPECT_EQ(form->txtParameter[1]->text(), QStringLiteral("Dia"));
    Fill(form, {"", "", "", "", "", "", ""});
    form->cmdOK_Click();
    EXPECT_EQ(Fields(KeyboardDef), QStringList({QStringLiteral("Tastatur"), QString(), QStringLiteral("Tastatur"),
                                                QString(), QString(), QString(), QString()}));

    // Without a language the keyboard row keeps its start-up name.
    Language = 6;
    KeyboardDef = EmptyKeyboardDefinition;
    frmKeyboardDefinition::Instance()->cmdOK_Click();
    EXPECT_EQ(KeyboardDef, EmptyKeyboardDefinition);
    EXPECT_EQ(ModelLongName[1], QStringLiteral("Tastatur"));
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(frmKeyboardDefinitionTest, CaptionsByLanguage)
{
    // Title, property, parameter 4, instrument and serial number as the main
    // window names them, and the keyboard word.
    const char* rows[][6] = {
        {"Tastaturdefinition", "Eigenschaft:", "Parametername 4:", "Instrument:", "S/N:", "Tastatur"},
        {"Keyboard definition", "Property:", "Parameter name 4:", "Instrument:", "s/n:", "Keyboard"},
        {"Définition du clavier", "Caractéristique:", "Nom du paramètre 4:", "Instrument:", "n/s:", "Clavier"},
        {"Definizione della tastiera", "Caratteristica:", "Nome del parametro 4:", "Strumento:", "n/s:", "Tastiera"},
        {"Definición del teclado", "Caracteristica:", "Nombre del parametro 4:", "Aparato:", "n/s:", "Teclado"},
        {"", "", "", "", "", ""},
    };
    frmKeyboardDefinition* form = frmKeyboardDefinition::Instance();
    for (int16_t language = 1; language <= 6; ++language) {
        form->SetCaptions(language);
        QStringList expected;
        for (const char* text : rows[language - 1])
            expected.append(QString::fromUtf8(text));
        EXPECT_EQ(QStringList({form->windowTitle(), form->lblProperty->text(), form->lblParameter[4]->text(),
                               form->lblInstrument->text(), form->lblSerialNumber->text(), KeyboardWord(language)}),
                  expected);
    }
    form->SetCaptions(4);
    EXPECT_EQ(QStringList({form->windowTitle(), form->lblParameter[4]->text(), form->lblInstrument->text(),
                           form->lblSerialNumber->text(), KeyboardWord(4)}),
              QStringList({"Definizione della tastiera", "Nome del parametro 4:", "Strumento:", "n/s:", "Tastiera"}));
    form->SetCaptions(6);
    EXPECT_EQ(form->lblProperty->text(), QString());
    form->cmdCancel_Click();
}

} // namespace
