#include "styles/StyleEditorTexts.h"

#include "StylesTest.h"

namespace {

using P = PageControl;

class StyleEditorTextsTest : public StylesTest {
protected:
    // A page with every control, as a page of a later test type may have them.
    static TestPage FullPage(int t)
    {
        TestPage page = MakeTestPage(static_cast<int16_t>(t));
        for (PageControlState& state : page.Controls) {
            state.Present = true;
            state.Text = QStringLiteral("layout");
        }
        return page;
    }
};

TEST_F(StyleEditorTextsTest, CaptionsInEveryLanguage)
{
    const struct {
        int16_t language;
        const char* title;
        const char* ci;
        const char* tests;
    } rows[] = {
        {1, "Artikel", "VB:", "Anzahl:"},   {2, "Styles", "CI:", "Tests:"},     {3, "Articles", "IC:", "Nb. mes.:"},
        {4, "Articolo", "IC:", "No. mis.:"}, {5, "Articulos", "IC:", "No. med.:"}, {6, "", "", ""},
        {0, "", "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StyleEditorCaption(StyleCaption::Title, row.language), QString::fromUtf8(row.title));
        EXPECT_EQ(StyleEditorCaption(StyleCaption::CI, row.language), QString::fromUtf8(row.ci));
        EXPECT_EQ(StyleEditorCaption(StyleCaption::Tests, row.language), QString::fromUtf8(row.tests));
    }
    EXPECT_EQ(StyleEditorCaption(StyleCaption::UpperLimit, 4), QStringLiteral("Mas:"));
    EXPECT_EQ(UnitCaptions().size(), 35u);
}

TEST_F(StyleEditorTextsTest, PageCaptionsComeFromTheParameterAndUnitTexts)
{
    KeyboardDef.Parameter1 = QStringLiteral("Length");
    TestPage keyboard = MakeTestPage(1);
    SetPageCaptions(keyboard, 2);
    EXPECT_EQ(keyboard[P::fraSample1].Text, QStringLiteral("Length"));
    EXPECT_EQ(keyboard[P::fraSample2].Text, QStringLiteral("Parameter 2"));   // no name: its own caption
    EXPECT_EQ(keyboard[P::fraUnit].Text, QStringLiteral("Unit"));

    TestPage page13 = FullPage(13);
    SetPageCaptions(page13, 1);
    EXPECT_EQ(page13[P::fraSample4].Text, QStringLiteral("Haltezeit"));
    EXPECT_EQ(page13[P::fraUnit].Text, QStringLiteral("Einheit"));
    EXPECT_EQ(page13[P::lblSample1Unit].Text, QStringLiteral("psi"));
    EXPECT_EQ(page13[P::optSample3Unit2].Text, QStringLiteral("cm WS"));
    EXPECT_EQ(page13[P::lblSample3Unit].Text, QStringLiteral("layout"));   // not in the table

    TestPage page17 = FullPage(17);
    SetPageCaptions(page17, 6);
    EXPECT_EQ(page17[P::fraUnit].Text, QString());
    EXPECT_EQ(page17[P::optSample4Unit1].Text, QStringLiteral("m/s"));
}

TEST_F(StyleEditorTextsTest, TipsFollowTheUnitChosen)
{
    TestPage page7 = FullPage(7);
    SetPageCaptions(page7, 2);
    TestPage page15 = FullPage(15);
    page15[P::cboUnit1].Items = QStringList{"/cm", "/in"};
    TestPage page1 = MakeTestPage(1);
    InitTestControls(page1, PageContext{});
    SelectText(page1[P::cboSample1Unit], QStringLiteral("mm"));
    TestPage page10 = FullPage(10);
    TestPage page17 = FullPage(17);

    const struct {
        const char* locale;
        TestPage* page;
        PageControl box;
        std::function<void(TestPage&)> choose;
        const char* tip;
    } rows[] = {
        {"en_US", &page7, P::txtSample1, [](TestPage& p) { SetOption(p, P::optSample1Unit1); }, "10.0 - 500.0 mm"},
        {"en_US", &page7, P::txtSample1, [](TestPage& p) { SetOption(p, P::optSample1Unit2); }, "0.5 - 20.0 in"},
        {"en_US", &page7, P::txtSample2, [](TestPage&) {}, ""},   // no tip for that box
        {"en_US", &page15, P::txtSample4, [](TestPage& p) { p[P::cboUnit1].ListIndex = 0; }, "8 - 300 /cm"},
        {"en_US", &page15, P::txtSample3, [](TestPage& p) { p[P::cboUnit1].ListIndex = 1; }, "20 - 833 /in"},
        {"en_US", &page1, P::txtSample1, [](TestPage&) {}, "0.0001 - 999999 mm"},
        {"de_DE", &page1, P::txtSample1, [](TestPage&) {}, "0,0001 - 999999 mm"},
        {"en_US", &page1, P::txtSample2, [](TestPage&) {}, "0.0001 - 999999 "},
        {"en_US", &page10, P::txtSample2, [](TestPage&) {}, "1 - 10000 "},
        {"en_US", &page17, P::txtSample1, [](TestPage&) {}, "98 - 2500 Pa"},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        row.choose(*row.page);
        EXPECT_EQ(ParameterTip(*row.page, row.box), QString::fromUtf8(row.tip)) << row.tip;
    }
}

TEST_F(StyleEditorTextsTest, KeyFilterByBoxAndTestType)
{
    // Keyboard input takes free texts in all four boxes; every other page's
    // box takes digits, and a decimal separator only where its value has
    // decimals.
    const struct {
        PageControl box;
        std::vector<int> decimals;
        std::vector<int> digits;
    } rows[] = {
        {P::txtSample1, {2, 3, 4, 7, 8, 9}, {10, 11, 16, 17}},
        {P::txtSample2, {9}, {10, 17, 18}},
        {P::txtSample3, {15}, {13}},
        {P::txtSample4, {13, 15, 17}, {}},
    };
    for (const auto& row : rows) {
        const std::string box = PageControlName(row.box).toStdString();
        EXPECT_EQ(ParameterKeyFilter(row.box, 1), KeyFilter::FreeText) << box;
        for (const int t : row.decimals)
            EXPECT_EQ(ParameterKeyFilter(row.box, t), KeyFilter::Decimals) << box << " " << t;
        for (const int t : row.digits)
            EXPECT_EQ(ParameterKeyFilter(row.box, t), KeyFilter::Digits) << box << " " << t;
    }
}

} // namespace
