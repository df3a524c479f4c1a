#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "platform/Conversions.h"
#include "platform/MousePointer.h"
#include "support/ScriptedPresenter.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLanguage_ = Language;
        savedSeparator_ = DecimalSeparator;
        savedLocale_ = QLocale();
        Pin(QStringLiteral("en_US"));
        Language = 2;
        MsgResult = 0;
    }
    void TearDown() override
    {
        Language = savedLanguage_;
        DecimalSeparator = savedSeparator_;
        QLocale::setDefault(savedLocale_);
        SetMousePointer(PointerDefault);
    }
    void Pin(const QString& name)
    {
        const QLocale locale(name);
        QLocale::setDefault(locale);
        DecimalSeparator = locale.decimalPoint();
    }
    static QString Text(int16_t number, int16_t language, const QVariantList& args = {})
    {
        return ComposeMessage(number, args, language).Text;
    }

    ScriptedPresenter presenter_;

private:
    int16_t savedLanguage_ = 2;
    QString savedSeparator_;
    QLocale savedLocale_;
};

const QString Message1 = QString::fromUtf8(
    "QUINTARA III läuft bereits auf dem Computer.\r\n"
    "QUINTARA III is already running on the computer.\r\n"
    "QUINTARA III est déjà en cours d'exécution.\r\n"
    "QUINTARA III è già sul piano di lavoro.\r\n"
    "QUINTARA III està ya accionado.\r\n"
    "\r\n");

TEST_F(MessageTest, MessageOneShowsAllFiveLanguagesWhateverTheSetting)
{
    for (int16_t language : {int16_t(1), int16_t(2), int16_t(3), int16_t(5), int16_t(6), int16_t(0), int16_t(9)}) {
        const MessageRequest box = ComposeMessage(1, {}, language);
        EXPECT_EQ(box.Text, Message1) << language;
        EXPECT_EQ(box.Icon, IconCritical);
        EXPECT_EQ(box.Buttons, ButtonsOK);
        EXPECT_EQ(box.DefaultButton, DefaultFirst);
    }
}

TEST_F(MessageTest, MessageFourPutsItsArgumentIntoEveryLanguage)
{
    const QString text = Text(4, 3, {QStringLiteral(".")});
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(
        "Das Dezimaltrennzeichen muss in der Systemsteuerung auf den Dezimalpunkt ('.') gesetzt werden.\r\n"
        "The decimal separator has to be set to the deciam point ('.') in the control panels.\r\n")));
    EXPECT_TRUE(text.endsWith(QString::fromUtf8(
        "En el sistema de comando, definir la separación decimal con un punto ('.').\r\n\r\n")));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 6);
}

TEST_F(MessageTest, TextsFollowTheLanguage)
{
    EXPECT_EQ(Text(3, 2), QStringLiteral("Wrong password."));
    EXPECT_EQ(Text(3, 1), QStringLiteral("Falsches Passwort."));
    EXPECT_EQ(Text(3, 6), QStringLiteral("."));
    EXPECT_EQ(Text(13, 2), QStringLiteral("The selected data port is not available. Please select another one!"));
    EXPECT_EQ(Text(13, 6), QStringLiteral("."));
    EXPECT_EQ(Text(8, 2),
              QStringLiteral("Your entry comprises a 'JOKER' ('*', '?') which has a special meaning in the long-term "
                             "analysis and should therefore not be used. Use anyway?"));
    EXPECT_EQ(Text(30, 6), QStringLiteral("!"));
    EXPECT_EQ(Text(31, 2), QStringLiteral("An error occurred while writing the file. Ensure that there is enough "
                                          "space on the disk.\r\nTry again?"));
    // Outside 1 to 6 the box comes without text.
    EXPECT_EQ(Text(3, 0), QString());
    EXPECT_EQ(Text(13, 7), QString());
}

TEST_F(MessageTest, ArgumentsGoWhereTheRowNamesThem)
{
    const QVariantList args = {QStringLiteral("Test length"), QStringLiteral("100 mm"), QStringLiteral("50 mm")};
    EXPECT_EQ(Text(20, 2, args), QStringLiteral("The instrument supplied an erroraneous instrument identification:\r\n"
                                                "100 mm instead of 50 mm.\r\n\r\nThe test result cannot be read!"));
    EXPECT_EQ(Text(24, 2, args), QStringLiteral("The instrument is set to a wrong test parameter:\r\n"
                                                "Test length 100 mm instead of 50 mm.\r\n\r\n"
                                                "The test result cannot be read!"));
    EXPECT_EQ(Text(25, 2, args), QStringLiteral("The instrument is set to a wrong test parameter:\r\n"
                                                "Test length 100 mm instead of 50 mm.\r\n\r\nAccept anyway?"));
    EXPECT_EQ(Text(14, 2, {QStringLiteral("E3: Data string too short: 1E 41")}),
              QStringLiteral("Invalid data received from instrument!\r\n(E3: Data string too short: 1E 41)"));
    EXPECT_EQ(Text(14, 6, {QStringLiteral("E1")}), QStringLiteral("!\r\n(E1)"));
    EXPECT_EQ(Text(39, 2, {12, 3}),
              QStringLiteral("Number of imported files:\t12\r\nNumber of imported styles:\t3"));
    EXPECT_EQ(Text(39, 6, {12, 3}), QStringLiteral("."));
}

TEST_F(MessageTest, WholeNumbersAreGroupedByTheLocale)
{
    EXPECT_EQ(Text(9, 2, {30000}), QStringLiteral("The list can hold a maximum of 30,000 entries."));
    EXPECT_EQ(Text(9, 6, {30000}), QStringLiteral("30,000."));
    EXPECT_EQ(Text(11, 2, {6}), QStringLiteral("There is a maximum of 6 properties per form!"));
    EXPECT_EQ(Text(34, 2, {QStringLiteral("3")}),
              QStringLiteral("There are 3 unfinished test series left. End the application and finish the test "
                             "series later?"));
    EXPECT_EQ(Text(34, 6, {3}), QStringLiteral("!"));
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(Text(9, 1, {30000}), QString::fromUtf8("Die Liste kann höchstens 30.000 Einträge aufnehmen."));
}

TEST_F(MessageTest, RangeMessageShowsItsFixedBoundsWithTheLocaleSeparator)
{
    EXPECT_EQ(Text(26, 2), QStringLiteral("The test result lies outside of the allowed range (0.0001 - 999999)!"));
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(Text(26, 2), QStringLiteral("The test result lies outside of the allowed range (0,0001 - 999999)!"));
}

TEST_F(MessageTest, MissingArgumentsShowAsEmptyTexts)
{
    EXPECT_EQ(Text(20, 2), QStringLiteral("The instrument supplied an erroraneous instrument identification:\r\n"
                                          " instead of .\r\n\r\nThe test result cannot be read!"));
    EXPECT_EQ(Text(9, 2), QStringLiteral("The list can hold a maximum of  entries."));
    EXPECT_EQ(Text(4, 2).count(QStringLiteral("('')")), 5);
}

TEST_F(MessageTest, UnknownNumbersAreCriticalWithTheirNumber)
{
    for (int16_t number : {int16_t(29), int16_t(2), int16_t(0), int16_t(40), int16_t(-1)}) {
        for (int16_t language : {int16_t(1), int16_t(2), int16_t(6)}) {
            const MessageRequest box = ComposeMessage(number, {}, language);
            EXPECT_EQ(box.Text, QStringLiteral("Unknown error (%1).").arg(number));
            EXPECT_EQ(box.Icon, IconCritical);
            EXPECT_EQ(box.Buttons, ButtonsOK);
        }
    }
    EXPECT_EQ(Text(-1, 2), QStringLiteral("Unknown error (-1)."));
}

TEST_F(MessageTest, IconsButtonsAndDefaultsArePerNumber)
{
    struct Row {
        int16_t number;
        int16_t icon;
        int16_t buttons;
        int16_t defaultButton;
    };
    const Row rows[] = {
        {3, IconCritical, ButtonsOK, DefaultFirst},      {5, IconExclamation, ButtonsOK, DefaultFirst},
        {7, IconInformation, ButtonsOK, DefaultFirst},   {8, IconQuestion, ButtonsYesNo, DefaultFirst},
        {9, IconInformation, ButtonsOK, DefaultFirst},   {13, IconCritical, ButtonsOK, DefaultFirst},
        {16, IconQuestion, ButtonsYesNo, DefaultFirst},  {18, IconExclamation, ButtonsOK, DefaultFirst},
        {23, IconQuestion, ButtonsYesNo, DefaultSecond}, {25, IconQuestion, ButtonsYesNo, DefaultSecond},
        {27, IconQuestion, ButtonsYesNo, DefaultSecond}, {28, IconQuestion, ButtonsYesNo, DefaultFirst},
        {33, IconInformation, ButtonsOK, DefaultFirst},  {34, IconQuestion, ButtonsYesNo, DefaultFirst},
        {38, IconExclamation, ButtonsOK, DefaultFirst},  {39, IconInformation, ButtonsOK, DefaultFirst},
    };
    for (const Row& row : rows) {
        const MessageRequest box = ComposeMessage(row.number, {}, 2);
        EXPECT_EQ(box.Icon, row.icon) << row.number;
        EXPECT_EQ(box.Buttons, row.buttons) << row.number;
        EXPECT_EQ(box.DefaultButton, row.defaultButton) << row.number;
        EXPECT_EQ(box.Style(), row.icon + row.buttons + row.defaultButton + 65536) << row.number;
        EXPECT_EQ(box.Title, QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
    }
}

// Every language of a message shows the same arguments as the English text.
TEST_F(MessageTest, EveryLanguageHasATextWithTheSameArguments)
{
    const QVariantList args = {QStringLiteral("<A0>"), QStringLiteral("<A1>"), QStringLiteral("<A2>")};
    for (int16_t number = 3; number <= 39; ++number) {
        if (number == 4 || number == 29)
            continue;
        const QString english = Text(number, 2, args);
        ASSERT_FALSE(english.startsWith(QStringLiteral("Unknown error"))) << number;
        for (int16_t language = 1; language <= 5; ++language) {
            const QString text = Text(number, language, args);
            EXPECT_FALSE(text.isEmpty()) << number << " " << language;
            for (const QString& marker : {QStringLiteral("<A0>"), QStringLiteral("<A1>"), QStringLiteral("<A2>")})
                EXPECT_EQ(text.count(marker), english.count(marker)) << number << " " << language;
            EXPECT_EQ(text.count(QStringLiteral("\r\n")), english.count(QStringLiteral("\r\n")))
                << number << " " << language;
            EXPECT_EQ(text.count(u'\t'), english.count(u'\t')) << number << " " << language;
        }
    }
}

TEST_F(MessageTest, ShowMessageGoesThroughThePresenterAndKeepsTheAnswer)
{
    Language = 1;
    EXPECT_EQ(ShowMessage(3), AnswerOK);
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("Falsches Passwort."));
    EXPECT_EQ(MsgResult, AnswerOK);

    // Enter on a box whose default is the second button answers No.
    EXPECT_EQ(ShowMessage(23, {QString(), QStringLiteral("1234"), QStringLiteral("1235")}), AnswerNo);
    EXPECT_EQ(MsgResult, AnswerNo);
    EXPECT_EQ(ShowMessage(16), AnswerYes);
    presenter_.Answer(AnswerNo);
    EXPECT_EQ(ShowMessage(36), AnswerNo);
    EXPECT_EQ(MsgResult, AnswerNo);
}

TEST_F(MessageTest, TheBoxShowsTheNormalPointerAndTheHourglassComesBack)
{
    SetMousePointer(PointerHourglass);
    ShowMessage(15);
    ASSERT_EQ(presenter_.PointerWhileShown.size(), 1u);
    EXPECT_EQ(presenter_.PointerWhileShown[0], PointerDefault);
    EXPECT_EQ(MousePointer(), PointerHourglass);

    SetMousePointer(PointerDefault);
    ShowMessage(15);
    EXPECT_EQ(MousePointer(), PointerDefault);
}

} // namespace
