// The text and number boxes as a user meets them: keys typed through QTest,
// pastes through the real clipboard, undo and redo, and texts the program
// sets.
#include "platform/TextInput.h"

#include "platform/Conversions.h"
#include "support/LocaleFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

enum class Act { Type, Paste, Key };

struct Edit {
    const char* name;
    const char* start;        // the text the program set
    int from, length;         // the selection before the edit (length 0: caret at from)
    Act act;
    const char* input;        // typed, pasted; for Key: "\b" Backspace, "\x7f" Delete
    const char* text;         // the box afterwards
    int caret;
    int beeps;
};

class TextInputBoxTest : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        QApplication::clipboard()->clear();
    }

    // Runs one edit on the box and checks text, caret and beeps.
    static void Check(QLineEdit& box, const Edit& e)
    {
        SCOPED_TRACE(e.name);
        box.setText(QString::fromUtf8(e.start));
        if (e.length > 0)
            box.setSelection(e.from, e.length);
        else
            box.setCursorPosition(e.from);
        const int beeps = InputBeepCount();
        const QString input = QString::fromUtf8(e.input);
        switch (e.act) {
        case Act::Type:
            // QTest::keyClick knows ASCII only; other characters come as
            // the key event a keyboard layout would send.
            for (const QChar c : input) {
                if (c.unicode() < 0x80)
                    QTest::keyClick(&box, static_cast<char>(c.unicode()));
                else
                    QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
            break;
        case Act::Paste:
            QApplication::clipboard()->setText(input);
            ASSERT_EQ(QApplication::clipboard()->text(), input);
            box.paste();
            break;
        case Act::Key:
            QTest::keyClick(&box, input == QStringLiteral("\b") ? Qt::Key_Backspace : Qt::Key_Delete);
            break;
        }
        EXPECT_EQ(box.text(), QString::fromUtf8(e.text));
        EXPECT_EQ(box.cursorPosition(), e.caret);
        EXPECT_EQ(InputBeepCount() - beeps, e.beeps);
    }
};

TEST_F(TextInputBoxTest, TypingAndPastingIntoATextBox)
{
    QLineEdit box;
    InstallTextInput(&box, 10);
    const Edit edits[] = {
        // Tab and Return are keys, not characters: neither enters the text.
        {"typed TAB and CR", "", 0, 0, Act::Type, "A\tB\rC", "ABC", 3, 0},
        {"typed Ł", "Ann", 3, 0, Act::Type, "Ł", "Ann", 3, 1},
        {"typed é and €", "Ann", 3, 0, Act::Type, "é€", "Anné€", 5, 0},
        {"pasted TAB", "Ann", 3, 0, Act::Paste, "\tB", "Ann", 3, 1},
        {"pasted CR LF", "Ann", 3, 0, Act::Paste, "B\r\n", "Ann", 3, 1},
        {"pasted LF alone", "Ann", 1, 0, Act::Paste, "\n", "Ann", 1, 1},
        {"pasted Łukasz", "", 0, 0, Act::Paste, "Łukasz", "", 0, 1},
        {"pasted C1 control", "", 0, 0, Act::Paste, "a\xC2\x85", "", 0, 1},
        {"pasted Müller", "", 0, 0, Act::Paste, "Müller", "Müller", 6, 0},
        {"pasted over a selection", "Anna Maier", 5, 5, Act::Paste, "Meyer", "Anna Meyer", 10, 0},
        // A refused paste leaves the text it would have shortened.
        {"bad paste over a selection", "Anna Maier", 5, 5, Act::Paste, "M\tx", "Anna Maier", 10, 1},
        // A paste that does not fit is cut at the limit, with a beep.
        {"paste cut at the end", "Anna", 4, 0, Act::Paste, "Maierhofer", "AnnaMaierh", 10, 1},
        {"paste cut in the middle", "AnnaMaier", 4, 0, Act::Paste, "XYZ", "AnnaXMaier", 5, 1},
        {"paste cut over a selection", "AnnaMaier", 0, 4, Act::Paste, "Johannes", "JohanMaier", 5, 1},
        {"typed at the limit", "0123456789", 10, 0, Act::Type, "a", "0123456789", 10, 1},
        // Deleting is always possible.
        {"backspace", "Anna", 4, 0, Act::Key, "\b", "Ann", 3, 0},
    };
    for (const Edit& e : edits)
        Check(box, e);
}

// A text the program sets is shown as it stands; the user's edits around it
// are judged by what they insert.
TEST_F(TextInputBoxTest, TextsTheProgramSetsAreTakenAsTheyStand)
{
    QLineEdit box;
    InstallTextInput(&box, 10);
    const int setBeeps = InputBeepCount();
    box.setText(QStringLiteral("a\tb"));
    EXPECT_EQ(box.text(), QStringLiteral("a\tb"));
    EXPECT_EQ(InputBeepCount(), setBeeps);
    EXPECT_TRUE(box.hasAcceptableInput());
    const Edit edits[] = {
        {"typed beside a stored TAB", "a\tb", 3, 0, Act::Type, "c", "a\tbc", 4, 0},
        {"pasted TAB beside a stored TAB", "a\tb", 3, 0, Act::Paste, "\t", "a\tb", 3, 1},
        {"stored TAB deleted", "a\tb", 2, 0, Act::Key, "\b", "ab", 1, 0},
    };
    for (const Edit& e : edits)
        Check(box, e);
    // As with any box's limit, a longer text from the program is cut, silently.
    const int beeps = InputBeepCount();
    box.setText(QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(box.text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(InputBeepCount(), beeps);
}

TEST_F(TextInputBoxTest, UndoAndRedoKeepTheRule)
{
    QLineEdit box;
    InstallTextInput(&box, 8);
    QTest::keyClicks(&box, "Ann");
    QApplication::clipboard()->setText(QStringLiteral("\tX"));
    box.paste();   // refused
    EXPECT_EQ(box.text(), QStringLiteral("Ann"));
    QApplication::clipboard()->setText(QStringLiteral("-Maierhofer"));
    box.paste();   // cut at the limit of 8
    EXPECT_EQ(box.text(), QStringLiteral("Ann-Maie"));
    box.undo();
    EXPECT_EQ(box.text(), QStringLiteral("Ann"));
    box.redo();
    EXPECT_EQ(box.text(), QStringLiteral("Ann-Maie"));
    EXPECT_FALSE(box.isRedoAvailable());
}

TEST_F(TextInputBoxTest, NumberBoxTakesDigitsAndOneSeparatorOfTheLocale)
{
    Pin(QStringLiteral("de_DE"));
    QLineEdit box;
    InstallNumberInput(&box, 6);
    const Edit edits[] = {
        {"typed 12,5", "", 0, 0, Act::Type, "12,5", "12,5", 4, 0},
        // Under de_DE "." groups thousands: a pasted "12.5" would be 125.
        {"pasted 12.5", "", 0, 0, Act::Paste, "12.5", "", 0, 1},
        {"typed 12.5", "", 0, 0, Act::Type, "12.5", "125", 3, 1},
        {"second separator", "12,5", 4, 0, Act::Type, ",", "12,5", 4, 1},
        {"separator moved", "12,5", 2, 1, Act::Paste, ",5", "12,55", 4, 0},
        {"pasted sign", "", 0, 0, Act::Paste, "-3", "", 0, 1},
        {"pasted letter", "", 0, 0, Act::Paste, "1a", "", 0, 1},
        {"pasted TAB", "", 0, 0, Act::Paste, "3\t", "", 0, 1},
        {"pasted blank-grouped", "", 0, 0, Act::Paste, "1 000", "", 0, 1},
        {"pasted too long", "", 0, 0, Act::Paste, "1234567", "123456", 6, 1},
    };
    for (const Edit& e : edits)
        Check(box, e);
    Pin(QStringLiteral("en_US"));
    Check(box, {"pasted 12.5 under en_US", "", 0, 0, Act::Paste, "12.5", "12.5", 4, 0});
}

TEST_F(TextInputBoxTest, AnEditableComboBoxKeepsTheRuleAndItsItems)
{
    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({QStringLiteral("Anna"), QStringLiteral("Bernd")});
    InstallTextInput(&combo, 5);
    QLineEdit& box = *combo.lineEdit();
    Check(box, {"pasted TAB", "Anna", 4, 0, Act::Paste, "\t", "Anna", 4, 1});
    Check(box, {"paste cut", "Anna", 4, 0, Act::Paste, "bel", "Annab", 5, 1});
    const int beeps = InputBeepCount();
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Bernd"));
    EXPECT_EQ(InputBeepCount(), beeps);   // choosing an item is no refused input
}

TEST_F(TextInputBoxTest, NumberTextIsDigitsWithOneSeparatorOfTheLocale)
{
    Pin(QStringLiteral("de_DE"));
    for (const char* text : {"", "12", "12,5", ",5", "12,"})
        EXPECT_TRUE(IsNumberInputText(QString::fromUtf8(text))) << text;
    for (const char* text : {"12.5", "1.000", "1,2,3", "-1", "1a", "1 000", "1e3", "\t1"})
        EXPECT_FALSE(IsNumberInputText(QString::fromUtf8(text))) << text;
    Pin(QStringLiteral("en_US"));
    EXPECT_TRUE(IsNumberInputText(QStringLiteral("12.5")));
    EXPECT_FALSE(IsNumberInputText(QStringLiteral("12,5")));
}

TEST(TextInputRuleTest, StorableText)
{
    for (const char* text : {"", "Anna Müller", "12,5 €", "a\xC2\xA0" "b", "Œuvre ‰"})
        EXPECT_TRUE(IsStorableText(QString::fromUtf8(text))) << text;
    for (const char* text : {"a\tb", "a\r\n", "\x7f", "a\xC2\x81", "Łódź1", "x\xF0\x9F\x98\x80"})
        EXPECT_FALSE(IsStorableText(QString::fromUtf8(text))) << text;
}

} // namespace
