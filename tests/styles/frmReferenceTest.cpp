#include "styles/frmReference.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"
#include "platform/SortedList.h"
#include "styles/ListEditorRules.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

namespace {

class frmReferenceTest : public StylesTest {
protected:
    static void Add(frmReference* form, size_t i, const char* text)
    {
        form->txtReference[i]->setText(QString::fromUtf8(text));
        form->cmdSave_Click(static_cast<int>(i));
    }
    static std::vector<QString> Array(std::initializer_list<const char*> values)
    {
        std::vector<QString> array{QString()};
        for (const char* value : values)
            array.push_back(QString::fromUtf8(value));
        return array;
    }
};

TEST_F(frmReferenceTest, EachGroupKeepsItsOwnList)
{
    Reference2Values = Array({"Red", "blue"});
    Reference4Values = Array({"Lot 7"});
    RefTitles.Titles[1 * 3 + 1] = QStringLiteral("Machine & line:");
    SaveSettings();
    const std::string before = SettingsBytes();
    frmReference* form = frmReference::Instance();
    EXPECT_EQ(form->fraReference[2]->title(), GetReferenceTitle(2, 2));
    EXPECT_EQ(form->fraReference[3]->title(), QStringLiteral("Machine && line:"));
    for (size_t i = 2; i <= 4; ++i) {
        EXPECT_EQ(form->cmdSave[i]->isDefault(), i == 2) << i;
        ExpectStoredTextInput(form->txtReference[i], 35);
        EXPECT_FALSE(form->cmdSave[i]->isEnabled()) << i;
    }
    Add(form, 3, " red ");    // listed in 2 only
    Add(form, 3, "Lot 7");    // listed in 4 only
    Add(form, 3, "RED");      // now a duplicate within 3
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{Message(7)});
    form->lstReference[2]->item(0)->setSelected(true);
    form->lstReference[3]->item(1)->setSelected(true);
    form->cmdDelete_Click(2);
    form->cmdCancel_Click();
    EXPECT_EQ(Reference2Values, Array({"Red", "blue"}));
    EXPECT_EQ(Reference3Values, Array({}));
    EXPECT_EQ(SettingsBytes(), before);

    form = frmReference::Instance();
    Add(form, 3, " red ");
    Add(form, 3, "Lot 7");
    form->lstReference[2]->item(0)->setSelected(true);
    form->cmdDelete_Click(2);
    form->cmdOK_Click();
    EXPECT_EQ(Reference2Values, Array({"Red"}));
    EXPECT_EQ(Reference3Values, Array({"Lot 7", "red"}));
    EXPECT_EQ(Reference4Values, Array({"Lot 7"}));
    EXPECT_NE(SettingsBytes(), before);
}

TEST_F(frmReferenceTest, AFullListAnswersWithTheLimitInTheLocalesFormat)
{
    Reference3Values = Array({});
    for (int n = 1; n <= MaxReferenceValues; ++n)
        Reference3Values.push_back(QStringLiteral("Lot %1").arg(n, 5, 10, QChar(u'0')));
    for (const char* locale : {"en_US", "de_DE"}) {
        Pin(QString::fromLatin1(locale));
        Presenter.Shown.clear();
        frmReference* form = frmReference::Instance();
        Add(form, 3, "lot 00001");
        Add(form, 3, "New");
        Add(form, 2, "New");
        const QString text = QStringLiteral("The list can hold a maximum of %1 entries.")
                                 .arg(QString::fromLatin1(locale[0] == 'e' ? "30,000" : "30.000"));
        ASSERT_EQ(Presenter.Shown.size(), 2u) << locale;
        EXPECT_EQ(Presenter.Shown[0].Text, text);
        EXPECT_EQ(Presenter.Shown[1].Text, text);
        EXPECT_EQ(form->lstReference[2]->count(), 1);
        form->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(frmReferenceTest, EnterAddsToTheGroupHoldingTheFocus)
{
    ScriptedDialogRunner runner;
    runner.Then([this](QDialog& dialog) {
        auto& form = static_cast<frmReference&>(dialog);
        form.txtReference[4]->setFocus();
        EXPECT_TRUE(form.cmdSave[4]->isDefault());
        TypeText(form.txtReference[4], QStringLiteral("Lot 9"));
        Type(form.txtReference[4], Qt::Key_Return);
        form.lstReference[3]->setFocus();
        EXPECT_TRUE(form.cmdSave[3]->isDefault());
        form.cmdOK->click();
    });
    EXPECT_EQ(frmReference::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(Reference4Values, Array({"Lot 9"}));
    EXPECT_EQ(Reference2Values, Array({}));
}

TEST_F(frmReferenceTest, CaptionsByLanguage)
{
    const char* titles[] = {"Referenzen 2 bis 4", "References 2 to 4", "Références 2 à 4",
                            "Referenze 2 a 4",    "Referencias 2 a 4", ""};
    Language = 1;
    frmReference* form = frmReference::Instance();
    EXPECT_EQ(form->fraReference[4]->title(), QStringLiteral("Referenz 4:"));
    for (int16_t language = 1; language <= 6; ++language) {
        form->SetCaptions(language);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(titles[language - 1]));
        EXPECT_EQ(form->cmdDelete[3]->text(), SetStandardButtonCaptions(QStringLiteral("cmdDelete"), language));
        EXPECT_EQ(form->cmdSave[4]->text(), SetStandardButtonCaptions(QStringLiteral("cmdSave"), language));
    }
    form->cmdCancel_Click();
}

} // namespace
