// The pages of test types 3 to 19 without windows: the strings they write,
// their checks, their dependent lists and what a stored string shows.
#include "styles/TestPageCases.h"

#include "StylesTest.h"
#include "foundation/modRecords.h"
#include "platform/Installation.h"
#include "styles/NominalArea.h"
#include "styles/StyleEditorTexts.h"
#include "support/Bytes.h"

#include <functional>

namespace {

using P = PageControl;
// A change of the page as the user makes it, with the editor's flags.
using Edit = std::function<void(TestPage&, const PageContext&)>;

// A stored string: the 57 characters, then the checksum worked out by hand
// (the character sum And 255, less 128 above 128) and CR LF.
std::string Stored(const std::string& first57, char checksum)
{
    return first57 + checksum + "\r\n";
}

const Edit Nothing = [](TestPage&, const PageContext&) {};

Edit Texts(std::initializer_list<std::pair<PageControl, const char*>> texts)
{
    const std::vector<std::pair<PageControl, const char*>> all(texts);
    return [all](TestPage& p, const PageContext&) {
        for (const auto& [box, text] : all)
            p[box].Text = QString::fromUtf8(text);
    };
}

Edit Typed(PageControl box, const char* text)
{
    return Texts({{box, text}});
}

Edit Option(PageControl option, Edit then = Nothing)
{
    return [option, then](TestPage& p, const PageContext& c) {
        SetOption(p, option);
        ChoosePageControl(p, option, c);
        then(p, c);
    };
}

Edit Choose(PageControl list, const char* text, Edit then = Nothing)
{
    return [list, text, then](TestPage& p, const PageContext& c) {
        SelectText(p[list], QString::fromUtf8(text));
        ChoosePageControl(p, list, c);
        then(p, c);
    };
}

class TestPageCasesTest : public StylesTest {
protected:
    void TearDown() override
    {
        ResetInstallation();
        StylesTest::TearDown();
    }
    // A page as the editor fills it when it loads, with the nominal area arranged for it.
    TestPage Page(int t)
    {
        TestPage page = MakeTestPage(static_cast<int16_t>(t));
        SetPageCaptions(page, Language);
        InitTestControls(page, Context);
        TestPages pages = MakeTestPages();
        ArrangeTestPage(t, Nominals, pages, Context);
        return page;
    }

    TestPage Shown(int t, const std::string& header)
    {
        TestPage page = Page(t);
        TestDefinition stored = BlankTestDefinition;
        stored.HeaderImage = header;
        ShowTest(page, Nominals, stored, Context);
        return page;
    }
    std::string Written(const TestPage& page) { return ReadTest(page, Nominals, Context).HeaderImage; }
    void Flags(bool kr6100III, bool area44 = false)
    {
        Context.HasKR6100III = kr6100III;
        Context.TestArea44Variant = area44;
        SetInstallationTestArea44Variant(area44);
    }

    PageContext Context;
    NominalArea Nominals;
};

// Positions 2 to 12 of the hydrostatic-head pages.
const std::string KR6100 = "\x1E" "KR 6100" "   ";

TEST_F(TestPageCasesTest, PagesWriteTheirExpectedDataStrings)
{
    const struct {
        const char* what;
        int t;
        bool kr6100III;
        Edit edit;
        std::string expected;
    } rows[] = {
        {"1 unfilled", 1, false, Nothing, KeyboardUnfilled},
        {"1: free text with a unit, result in N (sum 1993)", 1, false,
         Choose(P::cboSample1Unit, "mm", Choose(P::cboUnit1, "N", Typed(P::txtSample1, "A"))),
         Stored("\x1E" "0000000" "    " "A     " "\"" + Blanks(21) + Blanks(7) + "8" + Blanks(9), 'I')},
        {"1: an unnamed, hidden parameter is still written (sum 1957)", 1, false, Typed(P::txtSample2, "7"),
         Stored("\x1E" "0000000" "    " + Blanks(7) + "7     " " " + Blanks(14) + Blanks(7) + " " + Blanks(9), '%')},
        {"2 defaults", 2, false, Nothing, YarnFinenessDefaults},
        {"2 in yards (sum 2097)", 2, false, Option(P::optSample1Unit2),
         Stored("\x1E" "D  7041" "   " "F" "100   " "&" + Blanks(28) + "f" + Blanks(9), '1')},
        {"2, a long length cut to six, no result unit chosen (sum 2093)", 2, false,
         [](TestPage& p, const PageContext& c) {
             Typed(P::txtSample1, "12345678")(p, c);
             p[P::cboUnit1].ListIndex = -1;
         },
         Stored("\x1E" "D  7041" "   " "F" "123456" "$" + Blanks(28) + " " + Blanks(9), '-')},
        {"20 defaults", 20, false, Nothing, StrikeThroughDefaults},
        {"3 defaults (sum 2106)", 3, false, Nothing,
         Stored("\x1E" "D  7041" "   " "N" "100   " "$" + Blanks(28) + "i" + Blanks(9), ':')},
        {"4 defaults (sum 2100)", 4, false, Nothing,
         Stored("\x1E" "D  7041" "   " "A" "100   " ")" + Blanks(28) + "k" + Blanks(9), '4')},
        {"5 defaults, size without unit (sum 2077)", 5, false, Nothing,
         Stored("\x1E" "D  7041" "   " "P" "4     " " " + Blanks(28) + "k" + Blanks(9), '\x1D')},
        {"6 defaults, no parameters (sum 2015)", 6, false, Nothing,
         Stored("\x1E" "D  7041" "   " "W" + Blanks(35) + ":" + Blanks(9), '_')},
        {"7 defaults (sum 2178)", 7, false, Nothing,
         Stored("\x1E" "MP 4300" "   " "U" "500   " "\"" + Blanks(28) + "t" + Blanks(9), '\x02')},
        {"8 defaults (sum 2161)", 8, false, Nothing,
         Stored("\x1E" "MP 4300" "   " "D" "500   " "\"" + Blanks(28) + "t" + Blanks(9), 'q')},
        {"9 defaults (sum 2312)", 9, false, Nothing,
         Stored("\x1E" "MP 4800" "   " "y" "100   " "\"" "10    " "N" + Blanks(21) + "8" + Blanks(6) + "n" + Blanks(2),
                '\x08')},
        {"9 in inches: length in, speed in/min (sum 2318)", 9, false, Option(P::optSample1Unit2),
         Stored("\x1E" "MP 4800" "   " "y" "100   " "%" "10    " "Q" + Blanks(21) + "8" + Blanks(6) + "n" + Blanks(2),
                '\x0E')},
        {"10 defaults, no unit for the warps nor result 2 (sum 2244)", 10, false, Nothing,
         Stored("\x1E" "MP 4800" "   " "s" "10    " "i" "80    " " " + Blanks(21) + "8" + Blanks(9), 'D')},
        {"11 defaults (sum 2236)", 11, false, Nothing,
         Stored(KR6100 + "K" "100   " "C" "100   " ")" + Blanks(21) + "a" + Blanks(9), '<')},
        {"11 on a KR 6100-III: the third drop in min (sum 2301)", 11, true, Nothing,
         Stored(KR6100 + "K" "100   " "C" "100   " ")" + Blanks(21) + "a" + Blanks(6) + "a" + Blanks(2), '}')},
        {"12 defaults (sum 2227)", 12, false, Nothing,
         Stored(KR6100 + "G" "100   " "\\" "100   " ")" + Blanks(21) + "C" + Blanks(9), '3')},
        {"13 defaults, 0-1-0 (sum 2269)", 13, false, Nothing,
         Stored(KR6100 + "P" "0-1-0 " "E" "100   " ")" + Blanks(21) + "a" + Blanks(9), ']')},
        {"13, 0-1-0 leaves pressure and time out (sum 2269)", 13, false,
         Texts({{P::txtSample3, "500"}, {P::txtSample4, "4"}}),
         Stored(KR6100 + "P" "0-1-0 " "E" "100   " ")" + Blanks(21) + "a" + Blanks(9), ']')},
        {"13 on a KR 6100-III, 33 (sum 2434)", 13, true, Choose(P::cboSample1, "33"),
         Stored(KR6100 + "P" "33    " " " "100   " ")" "2000  " "C" "3.0   " "a" + Blanks(7) + "y"
             + Blanks(9), '\x02')},
        {"14 defaults (sum 2123)", 14, false, Nothing,
         Stored("\x1E" "KR 6300" "    " "16    " ")" "5     " "H" + Blanks(21) + "8" + Blanks(6) + "\""
             + Blanks(2), 'K')},
        {"15, ends 300 and 8 stored in order (sum 2480)", 15, false,
         Texts({{P::txtSample3, "300"}, {P::txtSample4, "8"}}),
         Stored("\x1E" "KR 6250" "    " "29    " "\"" "R=1   " " " "008   " "p" "300   " "p" + Blanks(7) + "p"
             + Blanks(9),
                '0')},
        {"16 defaults (sum 2153)", 16, false, Nothing,
         Stored("\x1E" "KR 6400" "    " "200   " "?" "20    " ")" + Blanks(21) + "H" + Blanks(9), 'i')},
        {"17 defaults (sum 2287)", 17, false, Nothing,
         Stored("\x1E" "KR 6400" "    " "200   " "?" "500   " "?" "20    " ")" "1     " "J" + Blanks(7) + "?"
             + Blanks(9),
                'o')},
        {"17 velocity cut to six, in ft3/ft2/min (sum 2374)", 17, false,
         Option(P::optSample4Unit2, Typed(P::txtSample4, "0.00015")),
         Stored("\x1E" "KR 6400" "    " "200   " "?" "500   " "?" "20    " ")" "0.0001" "S" + Blanks(7) + "?"
             + Blanks(9),
                'F')},
        {"18 defaults (sum 2349)", 18, false, Nothing,
         Stored("\x1E" "KR 6450" "    " "200   " "/" "100   " "A" "30/70 " "A" "50    " ")" + Blanks(7) + "H"
             + Blanks(9),
                '-')},
        {"18 limits 5 and 99 (sum 2346)", 18, false, Choose(P::cboSample31, "5", Choose(P::cboSample32, "99")),
         Stored("\x1E" "KR 6450" "    " "200   " "/" "100   " "A" "5/99  " "A" "50    " ")" + Blanks(7) + "H"
             + Blanks(9),
                '*')},
        {"19 defaults (sum 2111)", 19, false, Nothing,
         Stored("\x1E" "KR 6850" "    " "1     " " " "200   " "7" + Blanks(21) + "7" + Blanks(9), '?')},
    };
    // The unit codes come from texts of the language, so German must give
    // the same bytes.
    const std::pair<const char*, int16_t> settings[] = {{"en_US", 2}, {"de_DE", 1}};
    for (const auto& [locale, language] : settings) {
        Pin(QString::fromLatin1(locale));
        Language = language;
        for (const auto& row : rows) {
            Flags(row.kr6100III);
            TestPage page = Page(row.t);
            row.edit(page, Context);
            EXPECT_EQ(ToHex(Written(page)), ToHex(row.expected)) << row.what << " " << locale;
            EXPECT_EQ(ReadTest(page, Nominals, Context).TestCount, 999) << row.what;
        }
    }
    // A decimal comma is written as a point (sum 2102).
    TestPage yarn = Page(2);
    Typed(P::txtSample1, "5,5")(yarn, Context);
    EXPECT_EQ(ToHex(Written(yarn)),
              ToHex(Stored("\x1E" "D  7041" "   " "F" "5.5   " "$" + Blanks(28) + "f" + Blanks(9), '6')));
}

TEST_F(TestPageCasesTest, ListsAreFilledAsEachPageNeedsThem)
{
    // Result units stand alphabetically, whatever the order they were added in.
    EXPECT_EQ(Page(2)[P::cboUnit1].Items, (QStringList{"den", "dtex", "tex"}));
    EXPECT_EQ(ListText(Page(2)[P::cboUnit1]), QStringLiteral("tex"));
    EXPECT_EQ(ListText(Page(20)[P::cboUnit1]), QStringLiteral("s"));
    // Keyboard input: an empty first entry, then every unit in code order, nothing chosen.
    const TestPage keyboard = Page(1);
    for (const P list : {P::cboUnit1, P::cboSample1Unit, P::cboSample4Unit}) {
        const QStringList& items = keyboard[list].Items;
        ASSERT_GT(items.size(), 60);
        EXPECT_EQ(items.front(), QString());
        EXPECT_LT(items.indexOf(QStringLiteral("mm")), items.indexOf(QStringLiteral("N")));     // 34, 56
        EXPECT_LT(items.indexOf(QStringLiteral("N")), items.indexOf(QStringLiteral("tex")));   // 56, 102
        EXPECT_EQ(keyboard[list].ListIndex, -1);
    }
}

TEST_F(TestPageCasesTest, ChecksNameTheLastFailingControl)
{
    const struct {
        const char* what;
        int t;
        bool kr6100III;
        Edit edit;
        PageControl expected;
    } rows[] = {
        {"2: 1", 2, false, Typed(P::txtSample1, "1"), P::None},
        {"2: 10000", 2, false, Typed(P::txtSample1, "10000"), P::None},
        {"2: 5,5", 2, false, Typed(P::txtSample1, "5,5"), P::None},
        {"2: 50abc, the number at the start counts", 2, false, Typed(P::txtSample1, "50abc"), P::None},
        {"2: 0", 2, false, Typed(P::txtSample1, "0"), P::txtSample1},
        {"2: 10001", 2, false, Typed(P::txtSample1, "10001"), P::txtSample1},
        {"2: empty", 2, false, Typed(P::txtSample1, ""), P::txtSample1},
        {"7 in mm: 10", 7, false, Typed(P::txtSample1, "10"), P::None},
        {"7 in mm: 500", 7, false, Typed(P::txtSample1, "500"), P::None},
        {"7 in mm: 0.5", 7, false, Typed(P::txtSample1, "0.5"), P::txtSample1},
        {"7 in in: 0.5", 7, false, Option(P::optSample1Unit2, Typed(P::txtSample1, "0.5")), P::None},
        {"7 in in: 0.4", 7, false, Option(P::optSample1Unit2, Typed(P::txtSample1, "0.4")), P::txtSample1},
        {"7 in in: 20", 7, false, Option(P::optSample1Unit2, Typed(P::txtSample1, "20")), P::None},
        {"7 in in: 21", 7, false, Option(P::optSample1Unit2, Typed(P::txtSample1, "21")), P::txtSample1},
        {"9 in in: speed 0.01", 9, false,
         Option(P::optSample1Unit2, Texts({{P::txtSample1, "10"}, {P::txtSample2, "0.01"}})), P::None},
        {"9 in in: speed 0.009", 9, false,
         Option(P::optSample1Unit2, Texts({{P::txtSample1, "10"}, {P::txtSample2, "0.009"}})), P::txtSample2},
        {"9 in mm: both wrong", 9, false, Texts({{P::txtSample1, "99"}, {P::txtSample2, "1000"}}), P::txtSample2},
        {"10 both wrong", 10, false, Texts({{P::txtSample1, "401"}, {P::txtSample2, "0"}}), P::txtSample2},
        {"11 cm w.c.: 2000", 11, false, Option(P::optSample1Unit2, Typed(P::txtSample1, "2000")), P::None},
        {"11 cm w.c.: 2001", 11, false, Option(P::optSample1Unit2, Typed(P::txtSample1, "2001")), P::txtSample1},
        {"11 mbar: 5", 11, false, Typed(P::txtSample1, "5"), P::None},
        {"11 mm w.c.: 5", 11, false, Option(P::optSample1Unit3, Typed(P::txtSample1, "5")), P::txtSample1},
        {"11 mm w.c.: 20000", 11, false, Option(P::optSample1Unit3, Typed(P::txtSample1, "20000")), P::None},
        {"13 0-1-0: hidden fields not checked", 13, true, Texts({{P::txtSample3, ""}, {P::txtSample4, "9"}}), P::None},
        {"13 33: time 5.1", 13, true, Choose(P::cboSample1, "33", Typed(P::txtSample4, "5.1")), P::txtSample4},
        {"13 33: both wrong", 13, true, Choose(P::cboSample1, "33", Texts({{P::txtSample3, "0"}, {P::txtSample4, ""}})),
         P::txtSample4},
        {"13 without the flag, 0-2-0: never checked", 13, false,
         Choose(P::cboSample1, "0-2-0", Texts({{P::txtSample3, ""}, {P::txtSample4, ""}})), P::None},
        {"15 /in: 8", 15, false, Choose(P::cboUnit1, "/in", Typed(P::txtSample4, "833")), P::txtSample3},
        {"15 /in: 20", 15, false, Choose(P::cboUnit1, "/in", Texts({{P::txtSample3, "20"}, {P::txtSample4, "833"}})),
         P::None},
        {"15 equal ends", 15, false, Texts({{P::txtSample3, "50"}, {P::txtSample4, "50"}}), P::txtSample3},
        {"15 ends that are written alike", 15, false, Texts({{P::txtSample3, "50"}, {P::txtSample4, "50.4"}}),
         P::txtSample3},
        {"16 2500", 16, false, Typed(P::txtSample1, "2500"), P::None},
        {"16 2501", 16, false, Typed(P::txtSample1, "2501"), P::txtSample1},
        {"16 empty", 16, false, Typed(P::txtSample1, ""), P::txtSample1},
        {"17 200 and 400", 17, false, Typed(P::txtSample2, "400"), P::None},
        {"17 300 and 500: ratio below 2", 17, false, Texts({{P::txtSample1, "300"}, {P::txtSample2, "500"}}),
         P::txtSample2},
        {"17 97", 17, false, Typed(P::txtSample1, "97"), P::txtSample1},
        {"17 a pressure 0 is not divided by", 17, false, Typed(P::txtSample1, "0"), P::txtSample1},
        {"17 m/s: 10", 17, false, Typed(P::txtSample4, "10"), P::None},
        {"17 m/s: 10.5", 17, false, Typed(P::txtSample4, "10.5"), P::txtSample4},
        {"17 ft3: 0.02", 17, false, Option(P::optSample4Unit2, Typed(P::txtSample4, "0.02")), P::None},
        {"17 ft3: 2000", 17, false, Option(P::optSample4Unit2, Typed(P::txtSample4, "2000")), P::None},
        {"17 ft3: 0.01", 17, false, Option(P::optSample4Unit2, Typed(P::txtSample4, "0.01")), P::txtSample4},
        {"17 pressure 1 and velocity wrong", 17, false, Texts({{P::txtSample1, "97"}, {P::txtSample4, "11"}}),
         P::txtSample4},
        {"18 30 and 34", 18, false, Choose(P::cboSample32, "34"), P::cboSample31},
        {"18 30 and 35", 18, false, Choose(P::cboSample32, "35"), P::None},
        {"18 70 and 30", 18, false, Choose(P::cboSample31, "70", Choose(P::cboSample32, "30")), P::None},
        {"18 99 and 99", 18, false, Choose(P::cboSample31, "99", Choose(P::cboSample32, "99")), P::cboSample31},
        {"18 no lower limit", 18, false, [](TestPage& p, const PageContext&) { p[P::cboSample31].ListIndex = -1; },
         P::cboSample31},
    };
    for (const auto& row : rows) {
        Flags(row.kr6100III);
        TestPage page = Page(row.t);
        row.edit(page, Context);
        EXPECT_EQ(ValidateTest(page, Nominals, Context), row.expected) << row.what;
    }
    // A nominal fault is named before the page's own, also on pages without checks.
    Nominals[P::txtNominal1] = QStringLiteral("5");
    for (const int t : {0, 1, 2, 20}) {
        TestPage page = Page(t);
        Typed(P::txtSample1, "0")(page, Context);
        EXPECT_EQ(ValidateTest(page, Nominals, Context), P::txtULimit1) << t;
    }
    Nominals[P::txtNominal1] = QString();
    // A decimal comma is read as a point; the time is then written with it.
    Pin(QStringLiteral("de_DE"));
    Flags(true);
    TestPage page13 = Page(13);
    Choose(P::cboSample1, "33", Typed(P::txtSample4, "5,0"))(page13, Context);
    EXPECT_EQ(ValidateTest(page13, Nominals, Context), P::None);
    EXPECT_EQ(Written(page13).substr(33, 7), "5.0   a");
    Flags(false);
    TestPage page15 = Page(15);
    Texts({{P::txtSample3, "20"}, {P::txtSample4, "20,4"}})(page15, Context);
    EXPECT_EQ(ValidateTest(page15, Nominals, Context), P::txtSample3);
}

TEST_F(TestPageCasesTest, DependentListsFollowTheirChoice)
{
    const QStringList millibarRates{"2/10", "3", "10", "20", "30", "60", "100", "150", "200", "500"};
    const QStringList waterColumnRates{"20/100", "30", "100", "200", "300", "600", "1000", "1500", "2000", "5000"};
    const struct {
        const char* what;
        int t;
        bool kr6100III;
        Edit choose;
        PageControl list;
        QStringList items;
        QString chosen;
        PageControl label;
        const char* caption;
    } rows[] = {
        {"12 cm w.c.", 12, false, Choose(P::cboUnit1, "cm w.c."), P::cboSample1, millibarRates, "2/10",
         P::lblSample1Unit, "cm w.c./min"},
        {"12 mm w.c.", 12, false, Choose(P::cboUnit1, "mm w.c."), P::cboSample1, waterColumnRates, "20/100",
         P::lblSample1Unit, "mm w.c./min"},
        {"12 back to mbar", 12, false, Choose(P::cboUnit1, "mm w.c.", Choose(P::cboUnit1, "mbar")), P::cboSample1,
         millibarRates, "2/10", P::lblSample1Unit, "mbar/min"},
        {"15 /in to /pm", 15, false, Choose(P::cboUnit1, "/in", Choose(P::cboUnit1, "/pm")), P::cboSample1, {"1.1"},
         "1.1", P::lblSample1Unit, "pm"},
        {"15 range unit", 15, false, Choose(P::cboUnit1, "/pm"), P::cboUnit1, {"/cm", "/in", "/pm"}, "/pm",
         P::lblSample3Unit, "/pm"},
        {"13 0-2-0", 13, false, Choose(P::cboSample1, "0-2-0"), P::cboUnit1, {"cm w.c.", "mbar", "mm w.c."}, "mbar",
         P::lblSample1Unit, "mbar/min"},
        {"13 back to 0-1-0", 13, false, Choose(P::cboSample1, "0-2-0", Choose(P::cboSample1, "0-1-0")), P::cboUnit1,
         {"min"}, "min", P::lblSample1Unit, "psi"},
        {"13 flag, 33", 13, true, Choose(P::cboSample1, "33"), P::cboUnit1, {}, "", P::lblSample1Unit, ""},
        {"9 in inches", 9, false, Option(P::optSample1Unit2), P::cboUnit2, {"%"}, "%", P::lblSample2Unit, "in/min"},
        // Another page's list changes nothing else.
        {"14 bulge unit", 14, false, Choose(P::cboUnit2, "%"), P::cboUnit2, {"%", "in", "mm"}, "%", P::lblSample2Unit,
         "mm/s"},
    };
    for (const auto& row : rows) {
        Flags(row.kr6100III);
        TestPage page = Page(row.t);
        row.choose(page, Context);
        EXPECT_EQ(page[row.list].Items, row.items) << row.what;
        EXPECT_EQ(ListText(page[row.list]), row.chosen) << row.what;
        EXPECT_EQ(page[row.label].Text, QString::fromUtf8(row.caption)) << row.what;
    }

    // The rules act on their own pages only.
    TestPage page11 = Page(11);
    const TestPage before = page11;
    cboSample1_Click(page11, Context);
    optSample1Unit2_Click(page11);
    EXPECT_EQ(page11, before);
}

TEST_F(TestPageCasesTest, AStoredStringComesBackAsItWasWritten)
{
    const std::string programTwoInCentimetres =   // 13, 0-2-0, 0.5 cm², cm w.c. (sum 2268)
        Stored(KR6100 + "P" "0-2-0 " "\\" "0.5   " ")" + Blanks(21) + "F" + Blanks(9), '\\');
    const std::string staticArea10 =   // 11, 100 mbar, 10 cm² (sum 2220)
        Stored(KR6100 + "K" "100   " "C" "10    " ")" + Blanks(21) + "a" + Blanks(9), ',');
    const std::string staticArea44 =   // (sum 2227)
        Stored(KR6100 + "K" "100   " "C" "44    " ")" + Blanks(21) + "a" + Blanks(9), '3');
    const struct {
        const char* what;
        int t;
        const char* locale;
        std::string stored;
        PageControl control;
        const char* shows;
    } rows[] = {
        {"2 in yards: 2, 250 yd in den (sum 2104)", 2, "en_US",
         Stored("\x1E" "D  7041" "   " "F" "250   " "&" + Blanks(28) + "g" + Blanks(9), '8'), P::cboUnit1, "den"},
        {"2 shows the German comma: 2, 12.5 m in dtex (sum 2115)", 2, "de_DE",
         Stored("\x1E" "D  7041" "   " "F" "12.5  " "$" + Blanks(28) + "e" + Blanks(9), 'C'), P::txtSample1, "12,5"},
        {"20 defaults", 20, "en_US", StrikeThroughDefaults, P::cboUnit1, "s"},
        {"12 in cm w.c.: 12, 20 cm w.c./min, 26 cm², cm w.c. (sum 2208)", 12, "en_US",
         Stored(KR6100 + "G" "20    " "^" "26    " ")" + Blanks(21) + "F" + Blanks(9), ' '), P::cboSample1, "20"},
        {"13 0-2-0 keeps cm w.c.", 13, "en_US", programTwoInCentimetres, P::cboUnit1, "cm w.c."},
        {"13 0-2-0 keeps 0.5 in German", 13, "de_DE", programTwoInCentimetres, P::cboSample2, "0.5"},
        {"11 keeps 0.5 in German: 11, 50 mm w.c., 0.5 cm² (sum 2230)", 11, "de_DE",
         Stored(KR6100 + "K" "50    " "G" "0.5   " ")" + Blanks(21) + "a" + Blanks(9), '6'), P::cboSample2, "0.5"},
        {"15 in inches keeps 1.1 in German: 15, 1.1 in, WAL, 20 to 833 /in (sum 2532)", 15, "de_DE",
         Stored("\x1E" "KR 6250" "    " "1.1   " "%" "WAL   " " " "020   " "q" "833   " "q" + Blanks(7) + "q"
                    + Blanks(9),
                'd'),
         P::cboSample1, "1.1"},
        {"9 in inches: speed label follows: 9, 10 in, 1 in/min, kg (sum 2289)", 9, "en_US",
         Stored("\x1E" "MP 4800" "   " "y" "10    " "%" "1     " "Q" + Blanks(21) + ";" + Blanks(6) + "n" + Blanks(2),
                'q'),
         P::lblSample2Unit, "in/min"},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        const TestPage page = Shown(row.t, row.stored);
        const PageControlState& control = page[row.control];
        const QString shows = KindOf(row.control) == ControlKind::List     ? ListText(control)
                              : KindOf(row.control) == ControlKind::Option ? (control.Value ? control.Text : QString())
                                                                           : control.Text;
        EXPECT_EQ(shows, QString::fromUtf8(row.shows)) << row.what;
        EXPECT_EQ(ToHex(Written(page)), ToHex(row.stored)) << row.what;
    }

    // An installation that knows area 10 as 44 shows a stored 10 as 44 and
    // writes 44.
    Flags(false, true);
    const TestPage page11 = Shown(11, staticArea10);
    EXPECT_EQ(ListText(page11[P::cboSample2]), QStringLiteral("44"));
    EXPECT_EQ(ToHex(Written(page11)), ToHex(staticArea44));
}

TEST_F(TestPageCasesTest, AForeignOrDamagedStringLeavesBlankFields)
{
    const std::string foreign =   // the strike-through page's string (sum 2205)
        Stored("\x1E" "LLISTER" + Blanks(39) + "`" + Blanks(9), '\x1D');
    const std::string unknownMode =   // 15 with the mode "XYZ" (sum 2555)
        Stored("\x1E" "KR 6250" "    " "29    " "\"" "XYZ   " " " "008   " "p" "300   " "p" + Blanks(7) + "p"
            + Blanks(9),
               '{');
    const std::string limitsWithoutSlash =   // 18 with the limits "30" (sum 2295)
        Stored("\x1E" "KR 6450" "    " "200   " "/" "100   " "A" "30    " "A" "50    " ")" + Blanks(7) + "H"
            + Blanks(9),
               'w');
    for (int t = 3; t <= 19; ++t) {
        for (const std::string& header : {std::string(), std::string("\x1E" "KR 61"), foreign}) {
            const TestPage page = Shown(t, header);
            const std::string written = Written(page);
            EXPECT_EQ(written.size(), 60u) << t;
            // A unit no list holds is written blank.
            if (t >= 16) {
                EXPECT_EQ(written.at(47), ' ') << t;
            }
            // Lists lose their selection; page 15 falls back to its first entries.
            for (const P list : {P::cboSample2, P::cboSample4}) {
                if (page[list].Present && t != 15) {
                    EXPECT_EQ(page[list].ListIndex, -1) << t;
                }
            }
        }
    }
    const TestPage page15 = Shown(15, unknownMode);
    EXPECT_EQ(ListText(page15[P::cboSample2]), QStringLiteral("STD"));
    const TestPage page18 = Shown(18, limitsWithoutSlash);
    EXPECT_EQ(page18[P::cboSample31].ListIndex, -1);
    EXPECT_EQ(ListText(page18[P::cboSample32]), QStringLiteral("30"));
    EXPECT_EQ(ValidateTest(page18, Nominals, Context), P::cboSample31);
    // No option names the unit on page 2: they keep their state (sum 1978).
    for (const std::string& header : {std::string(), std::string("\x1E" "D  70"), foreign}) {
        TestPage page = Page(2);
        SetOption(page, P::optSample1Unit2);
        TestDefinition stored = BlankTestDefinition;
        stored.HeaderImage = header;
        ShowTest(page, Nominals, stored, Context);
        EXPECT_EQ(ToHex(Written(page)),
                  ToHex(Stored("\x1E" "D  7041" "   " "F" + Blanks(6) + "&" + Blanks(28) + " " + Blanks(9), ':')));
        EXPECT_EQ(ValidateTest(page, Nominals, Context), P::txtSample1);
    }
}

TEST_F(TestPageCasesTest, UnitCaptionsAndTipsInTheLanguage)
{
    const struct {
        int16_t language;
        int t;
        PageControl control;
        const char* caption;
    } rows[] = {
        {1, 11, P::optSample1Unit2, "cm WS"}, {2, 11, P::optSample1Unit2, "cm w.c."},
        {1, 9, P::lblSample2Unit, "mm/Min"},
        {1, 17, P::lblSample1Unit, "Pa"},     {2, 5, P::lblSample1, "DIN A"},         {1, 18, P::lblSample3, "/"},
        {1, 15, P::lblSample3, "-"},          {1, 18, P::fraSample3, "Grenzdrücke"},
    };
    for (const auto& row : rows) {
        Language = row.language;
        EXPECT_EQ(Page(row.t)[row.control].Text, QString::fromUtf8(row.caption))
            << row.t << " " << PageControlName(row.control).toStdString();
    }

    Language = 2;
    Flags(true);
    TestPage page12 = Page(12);
    Choose(P::cboUnit1, "cm w.c.")(page12, Context);
    EXPECT_EQ(NominalTip(P::txtULimit2, page12, Context), QStringLiteral("0.0001 - 999999 cm w.c."));
}

} // namespace
