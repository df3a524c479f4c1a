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
        {1, 1, 1, 1, "Ländereinstellungen", "&Abbrechen"},
        {3, 2, 3, 2, "Réglages pour le pays", "&Annuler"},
        {5, 3, 5, 3, "Configuración para el pais", "&Finalizar"},
        {6, 3, 6, 3, "", "&"},
        // Outside the ranges: English and the first format.
        {9, 0, 2, 1, "Country settings", "&Cancel"},
        // 0 and negative are no languages either.
        {0, 4, 2, 1, "Country settings", "&Cancel"},
        {-1, -1, 2, 1, "Country settings", "&Cancel"},
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
        EXPECT_EQ(form->cmdOK->text(), QStringLiteral("&OK"));
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
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Country settings"));
    form->optLanguage[1]->click();
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Ländereinstellungen"));
    EXPECT_EQ(form->fraLanguage->title(), QStringLiteral("Sprache"));
    EXPECT_EQ(form->fraDateformat->title(), QStringLiteral("Datumsformat"));
    EXPECT_EQ(form->optDateFormat[3]->text(), QStringLiteral("&JJJJ-MM-TT"));
    EXPECT_EQ(form->cmdCancel->text(), QStringLiteral("&Abbrechen"));
    // Only a preview: the language stays until OK.
    EXPECT_EQ(Language, 2);
    // A click on a date sample selects its format.
    Release(form->lblDateFormat[3], Qt::LeftButton);
    EXPECT_TRUE(form->optDateFormat[3]->isChecked());
    form->cmdCancel_Click();
    EXPECT_FALSE(frmCountrySetting::IsLoaded());
    EXPECT_EQ(Language, 2);
    EXPECT_EQ(DateFormat, 1);
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

TEST_F(CountrySettingTest, CaptionsOfEveryLanguage)
{
    const struct {
        int16_t language;
        const char* window;
        const char* languageFrame;
        const char* formatFrame;
        const char* formats[3];
        const char* cancel;
    } rows[] = {
        {1, "Ländereinstellungen", "Sprache", "Datumsformat", {"&TT.MM.JJJJ", "&MM/TT/JJJJ", "&JJJJ-MM-TT"}, "&Abbrechen"},
        {2, "Country settings", "Language", "Date format", {"&DD.MM.YYYY", "&MM/DD/YYYY", "&YYYY-MM-DD"}, "&Cancel"},
        {3, "Réglages pour le pays", "Langue", "Format de date", {"&JJ.MM.AAAA", "&MM/JJ/AAAA", "&AAAA-MM-JJ"}, "&Annuler"},
        {4, "Configurazione dei paesi", "Lingua", "Formato data", {"&GG.MM.AAAA", "&MM/GG/AAAA", "&AAAA-MM-GG"}, "&Annulla"},
        {5, "Configuración para el pais", "Idioma", "Formato fecha", {"&DD.MM.AAAA", "&MM/DD/AAAA", "&AAAA-MM-DD"}, "&Finalizar"},
    };
    const char* const options[7] = {"", "&Deutsch", "&English", "&Français", "&Italiano", "E&spañol", "&?"};
    frmCountrySetting* form = frmCountrySetting::Instance();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        form->SetCaptions(row.language);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(row.window));
        EXPECT_EQ(form->fraLanguage->title(), QString::fromUtf8(row.languageFrame));
        EXPECT_EQ(form->fraDateformat->title(), QString::fromUtf8(row.formatFrame));
        for (int j = 1; j <= 3; ++j)
            EXPECT_EQ(form->optDateFormat[j]->text(), QString::fromUtf8(row.formats[j - 1]));
        EXPECT_EQ(form->cmdOK->text(), QStringLiteral("&OK"));
        EXPECT_EQ(form->cmdCancel->text(), QString::fromUtf8(row.cancel));
        for (int i = 1; i <= 6; ++i)
            EXPECT_EQ(form->optLanguage[i]->text(), QString::fromUtf8(options[i]));
    }
    // The sixth slot empties the window caption and leaves the other texts.
    form->SetCaptions(5);
    form->optLanguage[6]->click();
    EXPECT_EQ(form->windowTitle(), QString());
    EXPECT_EQ(form->fraLanguage->title(), QStringLiteral("Idioma"));
    EXPECT_EQ(form->optDateFormat[1]->text(), QStringLiteral("&DD.MM.AAAA"));
    EXPECT_EQ(form->cmdCancel->text(), QStringLiteral("&"));
    form->cmdOK_Click();
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
        EXPECT_FALSE(frmCountrySetting::IsLoaded());
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
