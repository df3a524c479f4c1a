#include "styles/TestPage.h"

#include "StylesTest.h"
#include "foundation/modRecords.h"
#include "styles/NominalArea.h"
#include "styles/StyleEditorTexts.h"
#include "support/Bytes.h"

#include <functional>

namespace {

using P = PageControl;
using TestPageTest = TestPageFixture;

TEST_F(TestPageTest, PagesWriteTheirExpectedDataStrings)
{
    const struct {
        const char* what;
        int testType;
        const char* locale;
        std::function<void(TestPage&)> edit;
        std::string expected;
    } rows[] = {
        {"yarn fineness defaults", 2, "en_US", [](TestPage&) {}, YarnFinenessDefaults},
        {"yarn fineness in yards (sum 2097)", 2, "en_US", [](TestPage& p) { SetOption(p, P::optSample1Unit2); },
         "\x1E" "D  7041" "   " "F" "100   " "&" + Blanks(28) + "f" + Blanks(9) + "1\r\n"},
        {"a decimal comma is written as a point (sum 2102)", 2, "de_DE",
         [](TestPage& p) { p[P::txtSample1].Text = QStringLiteral("5,5"); },
         "\x1E" "D  7041" "   " "F" "5.5   " "$" + Blanks(28) + "f" + Blanks(9) + "6\r\n"},
        {"a long length cut to six, no result unit chosen (sum 2093)", 2, "en_US",
         [](TestPage& p) {
             p[P::txtSample1].Text = QStringLiteral("12345678");
             p[P::cboUnit1].ListIndex = -1;
         },
         "\x1E" "D  7041" "   " "F" "123456" "$" + Blanks(28) + " " + Blanks(9) + "-\r\n"},
        {"liquid strike-through time defaults", 20, "en_US", [](TestPage&) {}, StrikeThroughDefaults},
        {"keyboard input unfilled", 1, "en_US", [](TestPage&) {}, KeyboardUnfilled},
        {"keyboard input: free text with a unit, result in N (sum 1993)", 1, "en_US",
         [](TestPage& p) {
             p[P::txtSample1].Text = QStringLiteral("A");
             SelectText(p[P::cboSample1Unit], QStringLiteral("mm"));
             SelectText(p[P::cboUnit1], QStringLiteral("N"));
         },
         "\x1E" "0000000" "    " "A     " "\"" + Blanks(21) + Blanks(7) + "8" + Blanks(9) + "I\r\n"},
        {"keyboard input: an unnamed, hidden parameter is still written (sum 1957)", 1, "en_US",
         [](TestPage& p) { p[P::txtSample2].Text = QStringLiteral("7"); },
         "\x1E" "0000000" "    " + Blanks(7) + "7     " " " + Blanks(14) + Blanks(7) + " " + Blanks(9) + "%\r\n"},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        TestPage page = Page(row.testType);
        row.edit(page);
        const TestDefinition definition = Read(page);
        EXPECT_EQ(ToHex(definition.HeaderImage), ToHex(row.expected)) << row.what;
        EXPECT_EQ(definition.TestCount, 999) << row.what;
    }
}

TEST_F(TestPageTest, ListsAreFilledAsEachPageNeedsThem)
{
    TestPage yarn = Page(2);
    // Result units stand alphabetically, whatever the order they were added in.
    EXPECT_EQ(yarn[P::cboUnit1].Items, (QStringList{"den", "dtex", "tex"}));
    EXPECT_EQ(ListText(yarn[P::cboUnit1]), QStringLiteral("tex"));
    EXPECT_EQ(yarn[P::txtSample1].Text, QStringLiteral("100"));
    EXPECT_TRUE(yarn[P::optSample1Unit1].Value);
    EXPECT_FALSE(yarn[P::optSample1Unit2].Value);

    // Keyboard input: an empty first entry, then every unit in code order, nothing chosen.
    TestPage keyboard = Page(1);
    for (const P list : {P::cboUnit1, P::cboSample1Unit, P::cboSample4Unit}) {
        const QStringList& items = keyboard[list].Items;
        ASSERT_GT(items.size(), 60);
        EXPECT_EQ(items.front(), QString());
        EXPECT_LT(items.indexOf(QStringLiteral("mm")), items.indexOf(QStringLiteral("N")));     // 34, 56
        EXPECT_LT(items.indexOf(QStringLiteral("N")), items.indexOf(QStringLiteral("tex")));   // 56, 102
        EXPECT_EQ(keyboard[list].ListIndex, -1);
    }
    EXPECT_EQ(ListText(Page(20)[P::cboUnit1]), QStringLiteral("s"));
}

TEST_F(TestPageTest, AStoredStringComesBackAsItWasWritten)
{
    const struct {
        int testType;
        const char* locale;
        std::string stored;
        QString length;
        bool yards;
        QString unit;
    } rows[] = {
        // 250 yd in den (sum 2104).
        {2, "en_US", "\x1E" "D  7041" "   " "F" "250   " "&" + Blanks(28) + "g" + Blanks(9) + "8\r\n",
         QStringLiteral("250"), true, QStringLiteral("den")},
        // 12.5 m in dtex shows with the German comma (sum 2115).
        {2, "de_DE", "\x1E" "D  7041" "   " "F" "12.5  " "$" + Blanks(28) + "e" + Blanks(9) + "C\r\n",
         QStringLiteral("12,5"), false, QStringLiteral("dtex")},
        {20, "en_US", StrikeThroughDefaults, QString(), false, QStringLiteral("s")},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        TestPage page = Page(row.testType);
        TestDefinition stored = BlankTestDefinition;
        stored.HeaderImage = row.stored;
        ShowTest(page, Nominals, stored, Context);
        EXPECT_EQ(ListText(page[P::cboUnit1]), row.unit);
        if (row.testType == 2) {
            EXPECT_EQ(page[P::txtSample1].Text, row.length);
            EXPECT_EQ(page[P::optSample1Unit2].Value, row.yards);
            EXPECT_EQ(page[P::optSample1Unit1].Value, !row.yards);
        }
        EXPECT_EQ(ToHex(Read(page).HeaderImage), ToHex(row.stored)) << row.testType;
    }
}

TEST_F(TestPageTest, ADamagedStringLeavesEmptyControlsAndBlankFields)
{
    const std::string damaged[] = {
        std::string(),
        std::string("\x1E" "D  70"),
        StrikeThroughDefaults,   // another page's string
    };
    for (const std::string& header : damaged) {
        TestPage page = Page(2);
        SetOption(page, P::optSample1Unit2);
        TestDefinition stored = BlankTestDefinition;
        stored.HeaderImage = header;
        ShowTest(page, Nominals, stored, Context);
        EXPECT_EQ(page[P::txtSample1].Text, QString()) << ToHex(header);
        EXPECT_EQ(page[P::cboUnit1].ListIndex, -1) << ToHex(header);
        // No option names the unit: they keep their state.
        EXPECT_TRUE(page[P::optSample1Unit2].Value) << ToHex(header);
        const TestDefinition read = Read(page);
        EXPECT_EQ(read.HeaderImage,
                  "\x1E" "D  7041" "   " "F" + Blanks(6) + "&" + Blanks(28) + " " + Blanks(9) + ":\r\n")  // sum 1978
            << ToHex(header);
        EXPECT_EQ(ValidateTest(page, Nominals, Context), P::txtSample1);
    }
}

TEST_F(TestPageTest, TheLengthIsCheckedAndANominalFaultIsNamedFirst)
{
    const struct {
        const char* length;
        const char* nominal;
        PageControl expected;
    } rows[] = {
        {"1", "", P::None},
        {"10000", "", P::None},
        {"5,5", "", P::None},
        {"50abc", "", P::None},   // the number at the start counts
        {"0", "", P::txtSample1},
        {"10001", "", P::txtSample1},
        {"", "", P::txtSample1},
        {"0", "5", P::txtULimit1},   // both wrong: the nominal area is named
    };
    for (const auto& row : rows) {
        TestPage page = Page(2);
        page[P::txtSample1].Text = QString::fromLatin1(row.length);
        Nominals = NominalArea();
        Nominals[P::txtNominal1] = QString::fromLatin1(row.nominal);
        EXPECT_EQ(ValidateTest(page, Nominals, Context), row.expected) << row.length << " " << row.nominal;
    }
    // Pages without checks of their own still check the nominal area, and so
    // does no page at all.
    Nominals[P::txtNominal1] = QStringLiteral("5");
    for (const int t : {0, 1, 20})
        EXPECT_EQ(ValidateTest(Page(t), Nominals, Context), P::txtULimit1) << t;
}

} // namespace
