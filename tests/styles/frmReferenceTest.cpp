#include "styles/frmReference.h"

#include "StylesTest.h"
#include "foundation/modGeneral.h"
#include "styles/ListEditorRules.h"

#include <QGroupBox>

namespace {

class frmReferenceTest : public StylesTest {
protected:
    static std::vector<QString>& Stored(size_t i)
    {
        return i == 2 ? Reference2Values : (i == 3 ? Reference3Values : Reference4Values);
    }
};

TEST_F(frmReferenceTest, EachGroupKeepsItsOwnListAndOkStoresAllThree)
{
    for (size_t i = 2; i <= 4; ++i)
        Stored(i) = Array("Bob Ann");
    SaveSettings();
    const std::string before = SettingsBytes();
    frmReference* form = frmReference::Instance();
    for (size_t i = 2; i <= 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(form->cmdSave[i]->isDefault(), i == 2);
        // The same texts in each group: no duplicate across the lists.
        ExpectListSteps({form->txtReference[i], form->lstReference[i], form->cmdSave[i],
                         [form, i] { form->cmdSave_Click(static_cast<int>(i)); },
                         [form, i] { form->cmdDelete_Click(static_cast<int>(i)); }});
        for (size_t other = i + 1; other <= 4; ++other)
            EXPECT_EQ(ListEntries(form->lstReference[other]), Words("Ann Bob"));
    }
    form->cmdCancel_Click();
    for (size_t i = 2; i <= 4; ++i)
        EXPECT_EQ(Stored(i), Array("Bob Ann"));
    EXPECT_EQ(SettingsBytes(), before);

    form = frmReference::Instance();
    form->txtReference[3]->setText(QStringLiteral("Lot7"));
    form->cmdSave_Click(3);
    form->lstReference[4]->selectAll();
    form->cmdDelete_Click(4);
    form->cmdOK_Click();
    EXPECT_EQ(Reference2Values, Array("Ann Bob"));
    EXPECT_EQ(Reference3Values, Array("Ann Bob Lot7"));
    EXPECT_EQ(Reference4Values, Array(""));
    EXPECT_NE(SettingsBytes(), before);
}

TEST_F(frmReferenceTest, AFullListAnswersWithTheLimitInTheLocalesFormat)
{
    Reference3Values = Array("");
    for (int n = 1; n <= MaxReferenceValues; ++n)
        Reference3Values.push_back(QStringLiteral("Lot %1").arg(n, 5, 10, QChar(u'0')));
    for (const char* locale : {"en_US", "de_DE"}) {
        Pin(QString::fromLatin1(locale));
        Presenter.Shown.clear();
        frmReference* form = frmReference::Instance();
        for (const int i : {3, 3, 2}) {
            form->txtReference[static_cast<size_t>(i)]->setText(i == 2 ? QStringLiteral("New") : QStringLiteral("lot 00001"));
            form->cmdSave_Click(i);
        }
        const QString text = QStringLiteral("The list can hold a maximum of %1 entries.")
                                 .arg(QString::fromLatin1(locale[0] == 'e' ? "30,000" : "30.000"));
        ASSERT_EQ(Presenter.Shown.size(), 2u) << locale;
        EXPECT_EQ(Presenter.Shown[0].Text, text);
        EXPECT_EQ(Presenter.Shown[1], Presenter.Shown[0]);
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
        TypeText(form.txtReference[4], QStringLiteral("Lot9"));
        Type(form.txtReference[4], Qt::Key_Return);
        form.lstReference[3]->setFocus();
        EXPECT_TRUE(form.cmdSave[3]->isDefault());
        form.cmdOK->click();
    });
    EXPECT_EQ(frmReference::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(Reference4Values, Array("Lot9"));
    EXPECT_EQ(Reference2Values, Array(""));
}

TEST_F(frmReferenceTest, CaptionsByLanguage)
{
    // The frames take the reference titles, an ampersand shown as it stands.
    Language = 1;
    RefTitles.Titles[0 * 3 + 1] = QStringLiteral("Maschine & Linie:");
    frmReference* form = frmReference::Instance();
    EXPECT_EQ(form->fraReference[4]->title(), QStringLiteral("Referenz 4:"));
    EXPECT_EQ(form->fraReference[3]->title(), QStringLiteral("Maschine && Linie:"));
    const char* titles[] = {"Referenzen 2 bis 4", "References 2 to 4", "Références 2 à 4",
                            "Referenze 2 a 4",    "Referencias 2 a 4", ""};
    for (int16_t language = 1; language <= 6; ++language) {
        form->SetCaptions(language);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(titles[language - 1]));
        EXPECT_EQ(form->cmdDelete[3]->text(), SetStandardButtonCaptions(QStringLiteral("cmdDelete"), language));
        EXPECT_EQ(form->cmdSave[4]->text(), SetStandardButtonCaptions(QStringLiteral("cmdSave"), language));
    }
    form->SetCaptions(3);
    EXPECT_EQ(form->cmdSave[4]->text(), QStringLiteral("&Enregistrer"));
    form->cmdCancel_Click();
}

} // namespace
