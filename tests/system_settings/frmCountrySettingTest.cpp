#include "SystemSettingsFixture.h"

#include "foundation/modGlobals.h"
#include "foundation/modSettings.h"
#include "platform/OleDate.h"
#include "system_settings/frmCountrySetting.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

class CountrySettingTest : public SystemSettingsFixture {
protected:
    void SetUp() override
    {
        SystemSettingsFixture::SetUp();
        SetFixedClock(DateSerial(2011, 12, 8) + TimeSerial(23, 59, 59));
    }
};

TEST_F(CountrySettingTest, StoredValuesSelectTheirOptionsOrTheFallBacks)
{
    const struct {
        int16_t language, dateFormat;
        int shownLanguage, shownFormat;
        const char* window;   // the dialog speaks the selected language
        const char* cancel;
    } rows[] = {
        {3, 2, 3, 2, "Réglages pour le pays", "&Annuler"},
        {5, 3, 5, 3, "Configuración para el pais", "&Finalizar"},
        {6, 3, 6, 3, "", "&"},
        // Outside the ranges: English and the first format.
        {9, 0, 2, 1, "Country settings", "&Cancel"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.language << " " << row.dateFormat);
        Language = row.language;
        DateFormat = row.dateFormat;
        frmCountrySetting* form = frmCountrySetting::Instance();
        for (int i = 1; i <= 6; ++i)
            EXPECT_EQ(form->optLanguage[i]->isChecked(), i == row.shownLanguage) << i;
        for (int j = 1; j <= 3; ++j)
            EXPECT_EQ(form->optDateFormat[j]->isChecked(), j == row.shownFormat) << j;
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(row.window));
        EXPECT_EQ(form->cmdCancel->text(), QString::fromUtf8(row.cancel));
        // Today in the three formats, whatever the language.
        EXPECT_EQ(form->lblDateFormat[1]->text() + form->lblDateFormat[2]->text() + form->lblDateFormat[3]->text(),
                  QStringLiteral("08.12.201112/08/20112011-12-08"));
        form->cmdOK_Click();
        // OK stores what is selected.
        EXPECT_EQ(Language, row.shownLanguage);
        EXPECT_EQ(DateFormat, row.shownFormat);
    }
}

TEST_F(CountrySettingTest, ChoosingALanguagePreviewsItsTextsAndCancelKeepsEverything)
{
    const std::string before = SaveBaseline();
    frmCountrySetting* form = frmCountrySetting::Instance();
    form->optLanguage[1]->click();
    EXPECT_EQ(form->optDateFormat[3]->text(), QStringLiteral("&JJJJ-MM-TT"));
    // A click on a date sample selects its format.
    Release(form->lblDateFormat[3], Qt::LeftButton);
    EXPECT_TRUE(form->optDateFormat[3]->isChecked());
    form->cmdCancel_Click();
    EXPECT_EQ(Language, 2);
    EXPECT_EQ(SettingsBytes(), before);
}

TEST_F(CountrySettingTest, CaptionsByLanguage)
{
    frmCountrySetting* form = frmCountrySetting::Instance();
    form->SetCaptions(4);
    EXPECT_EQ(form->optDateFormat[1]->text(), QStringLiteral("&GG.MM.AAAA"));
    EXPECT_EQ(form->optLanguage[5]->text(), QString::fromUtf8("E&spañol"));
    // The sixth slot leaves the texts it has no words for.
    form->optLanguage[6]->click();
    EXPECT_EQ(form->optDateFormat[1]->text(), QStringLiteral("&GG.MM.AAAA"));
    form->cmdOK_Click();
    ReloadSettings();
    EXPECT_EQ(Language, 6);
}

TEST_F(CountrySettingTest, ClicksOnFlagsAndSamplesSelectAndDoubleClicksRunOk)
{
    frmCountrySetting* form = frmCountrySetting::Instance();
    // A click on a flag selects and previews its language; the right button does nothing.
    Release(form->imgLanguage[5], Qt::LeftButton);
    EXPECT_TRUE(form->optLanguage[5]->isChecked());
    EXPECT_EQ(form->fraLanguage->title(), QStringLiteral("Idioma"));
    Release(form->imgLanguage[4], Qt::RightButton);
    EXPECT_TRUE(form->optLanguage[5]->isChecked());
    form->cmdCancel_Click();

    // A double click on a flag, an option or a date sample runs OK with it.
    const struct {
        int language, dateFormat;   // what the double click chooses
        bool onFlag;
        int dateSample;             // 0: the double click is on a language
    } rows[] = {{4, 1, true, 0}, {3, 1, false, 0}, {2, 3, false, 3}, {2, 2, true, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.language << " " << row.dateFormat);
        Language = 2;
        DateFormat = 1;
        const std::string before = SaveBaseline();
        form = frmCountrySetting::Instance();
        QWidget* target = row.dateSample == 0
                              ? (row.onFlag ? static_cast<QWidget*>(form->imgLanguage[row.language])
                                            : form->optLanguage[row.language])
                              : (row.onFlag ? static_cast<QWidget*>(form->lblDateFormat[row.dateSample])
                                            : form->optDateFormat[row.dateSample]);
        Release(target, Qt::LeftButton);
        DoubleClick(target);
        EXPECT_NE(SettingsBytes(), before);
        ReloadSettings();
        EXPECT_EQ(Language, row.language);
        EXPECT_EQ(DateFormat, row.dateFormat);
        // The release that follows a double click finds the dialog unloaded.
        Release(target, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
