#include "styles/NominalArea.h"

#include "StylesTest.h"
#include "foundation/modRecords.h"
#include "styles/StyleEditorTexts.h"

#include <cmath>
#include <limits>

namespace {

using P = PageControl;

class NominalAreaTest : public StylesTest {
protected:
    // The area arranged for the test type, with the boxes as given
    // (nominal, lower, upper, CI of result 1, then of result 2).
    NominalArea Area(int t, bool kr6100III, std::array<const char*, 8> texts)
    {
        Context.HasKR6100III = kr6100III;
        NominalArea area;
        ArrangeTestPage(t, area, Pages, Context);
        const P boxes[8] = {P::txtNominal1, P::txtLLimit1, P::txtULimit1, P::txtCI1,
                            P::txtNominal2, P::txtLLimit2, P::txtULimit2, P::txtCI2};
        for (size_t i = 0; i < 8; ++i)
            area[boxes[i]] = QString::fromUtf8(texts[i]);
        return area;
    }

    PageContext Context;
    TestPages Pages = MakeTestPages();
};

TEST_F(NominalAreaTest, ChecksNameTheLastFailingBox)
{
    const struct {
        const char* what;
        int t;
        bool kr6100III;
        std::array<const char*, 8> texts;
        PageControl expected;
    } rows[] = {
        {"nothing given", 2, false, {"", "", "", "", "", "", "", ""}, P::None},
        {"nominal equal to a limit", 2, false, {"10", "10", "20", "", "", "", "", ""}, P::None},
        {"nominal equal to the upper limit", 2, false, {"20", "10", "20", "", "", "", "", ""}, P::None},
        {"the ends of the range", 2, false, {"0.0001", "0.0001", "999999", "", "", "", "", ""}, P::None},
        {"0 is no value", 2, false, {"1", "0", "5", "", "", "", "", ""}, P::txtLLimit1},
        {"above the range", 2, false, {"1", "1", "1000000", "", "", "", "", ""}, P::txtULimit1},
        {"nominal above its upper limit", 2, false, {"12", "5", "10", "", "", "", "", ""}, P::txtNominal1},
        {"a missing lower limit", 2, false, {"5", "", "10", "", "", "", "", ""}, P::txtLLimit1},
        {"a missing upper limit", 2, false, {"5", "1", "", "", "", "", "", ""}, P::txtULimit1},
        {"a limit alone: the last missing one", 2, false, {"", "", "10", "", "", "", "", ""}, P::txtLLimit1},
        {"a separator alone is no limit", 2, false, {"5", ".", "10", "", "", "", "", ""}, P::txtLLimit1},
        {"CI 0 and 100 valid", 2, false, {"", "", "", "100", "", "", "", ""}, P::None},
        {"CI above 100", 2, false, {"", "", "", "101", "", "", "", ""}, P::txtCI1},
        {"result 2 of a two-result page", 9, false, {"", "", "", "", "5", "", "", ""}, P::txtULimit2},
        {"result 2 beats result 1", 9, false, {"5", "", "", "", "", "", "", "101"}, P::txtCI2},
        {"hidden result 2 of 11 is not checked", 11, false, {"", "", "", "", "5", "", "", "x"}, P::None},
        {"11 shows result 2 with the KR 6100-III", 11, true, {"", "", "", "", "5", "", "", ""}, P::txtULimit2},
        {"pass/fail: hidden 200 and 500 ignored", 13, true, {"50", "200", "500", "200", "", "", "", ""}, P::None},
        {"pass/fail: 100 %", 13, true, {"100", "", "", "", "", "", "", ""}, P::None},
        {"pass/fail: 0 % and empty", 13, true, {"0", "", "", "", "", "", "", ""}, P::None},
        {"pass/fail: 101 %", 13, true, {"101", "", "", "", "", "", "", ""}, P::txtNominal1},
        {"13 without the flag keeps its limits", 13, false, {"50", "200", "500", "", "", "", "", ""},
         P::txtNominal1},
    };
    for (const auto& row : rows) {
        const NominalArea area = Area(row.t, row.kr6100III, row.texts);
        EXPECT_EQ(ValidateNominals(area, row.t, Context), row.expected) << row.what;
    }
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(ValidateNominals(Area(2, false, {"12,5", "0,0001", "12,5", "99,9", "", "", "", ""}), 2, Context),
              P::None);
}

TEST_F(NominalAreaTest, ReadingKeepsOnlyWhatTheBoxesGive)
{
    const float no = NoValue;
    const struct {
        const char* what;
        int t;
        bool kr6100III;
        std::array<const char*, 8> texts;
        TestDefinition expected;   // without HeaderImage
    } rows[] = {
        {"a whole result 1", 2, false, {"10", "8", "12", "5", "", "", "", ""},
         {true, false, 10, no, 8, no, 12, no, 5, no, 999, {}}},
        {"a missing limit leaves it undefined", 2, false, {"10", "", "12", "", "", "", "", ""},
         {false, false, 10, no, no, no, 12, no, no, no, 999, {}}},
        {"result 2 hidden: not read", 2, false, {"", "", "", "", "1", "1", "1", "1"},
         {false, false, no, no, no, no, no, no, no, no, 999, {}}},
        {"result 2 shown", 17, false, {"", "", "", "", "2", "1", "3", "4"},
         {false, true, no, 2, no, 1, no, 3, no, 4, 999, {}}},
        {"pass/fail keeps only the share", 13, true, {"80", "200", "500", "5", "", "", "", ""},
         {true, false, 80, no, no, no, no, no, no, no, 999, {}}},
    };
    for (const auto& row : rows) {
        const NominalArea area = Area(row.t, row.kr6100III, row.texts);
        TestDefinition read;
        ReadNominals(area, row.t, Context, read);
        EXPECT_EQ(read, row.expected) << row.what;
    }
}

TEST_F(NominalAreaTest, ShowingADefinition)
{
    TestDefinition definition = BlankTestDefinition;
    NominalArea area;
    ShowNominals(area, definition);
    EXPECT_EQ(area.Text, (std::array<QString, 8>{}));
    EXPECT_EQ(area.TestIndex, 998);   // "999"

    definition.Nominal1 = 12.5f;
    definition.Lower1 = 1234567.0f;
    definition.Upper1 = std::numeric_limits<float>::quiet_NaN();
    definition.CI2 = std::numeric_limits<float>::infinity();
    definition.TestCount = 20;
    Pin(QStringLiteral("de_DE"));
    ShowNominals(area, definition);
    EXPECT_EQ(area[P::txtNominal1], QStringLiteral("12,5"));
    EXPECT_EQ(area[P::txtLLimit1], QStringLiteral("1234567"));
    EXPECT_EQ(area[P::txtULimit1], QString());
    EXPECT_EQ(area[P::txtCI2], QString());
    EXPECT_EQ(area.TestIndex, 19);

    // A count no entry shows selects nothing and reads back as 999.
    for (const int16_t count : {int16_t(1000), int16_t(-3)}) {
        definition.TestCount = count;
        ShowNominals(area, definition);
        EXPECT_EQ(area.TestIndex, -1);
        TestDefinition read;
        ReadNominals(area, 2, Context, read);
        EXPECT_EQ(read.TestCount, 999);
        EXPECT_EQ(read.Nominal1, 12.5f);
    }
}

TEST_F(NominalAreaTest, ArrangingShowsTheBoxesOfTheTestType)
{
    KeyboardDef.Parameter1 = QStringLiteral("Length");
    KeyboardDef.Parameter3 = QStringLiteral("Mass");
    const struct {
        int t;
        bool kr6100III;
        bool second;
        bool limits1;
    } rows[] = {
        {1, false, false, true}, {9, false, true, true},  {11, false, false, true}, {11, true, true, true},
        {12, true, true, true},  {13, false, false, true}, {13, true, false, false}, {18, false, true, true},
    };
    for (const auto& row : rows) {
        Context.HasKR6100III = row.kr6100III;
        NominalArea area;
        ArrangeTestPage(row.t, area, Pages, Context);
        EXPECT_EQ(area.IsVisible(P::txtNominal2), row.second) << row.t;
        EXPECT_EQ(area.IsVisible(P::txtCI2), row.second) << row.t;
        EXPECT_EQ(area.IsVisible(P::txtLLimit1), row.limits1) << row.t;
        EXPECT_EQ(area.IsVisible(P::txtCI1), row.limits1) << row.t;
        EXPECT_TRUE(area.IsVisible(P::txtNominal1));
        EXPECT_EQ(Pages[13][P::fraUnit].Visible, row.limits1) << row.t;
    }
    // The pass/fail page's frames went up and stay there.
    EXPECT_EQ(Pages[13][P::fraSample1].Top, 60);
    EXPECT_EQ(Pages[13][P::fraSample4].Top, 5100);
    // The keyboard page shows the frames of the named parameters only.
    const bool named[5] = {false, true, false, true, false};
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(Pages[1][FraSample(k)].Visible, named[k]) << k;
}

TEST_F(NominalAreaTest, TipsGiveTheRangeInTheUnitOfTheResult)
{
    TestPage yarn = MakeTestPage(2);
    SetPageCaptions(yarn, Language);
    InitTestControls(yarn, Context);
    TestPage page13 = MakeTestPage(13);
    const struct {
        const char* locale;
        int16_t language;
        const TestPage* page;
        bool kr6100III;
        PageControl box;
        const char* tip;
    } rows[] = {
        {"en_US", 2, &yarn, false, P::txtNominal1, "0.0001 - 999999 tex"},
        {"de_DE", 1, &yarn, false, P::txtULimit1, "0,0001 - 999999 tex"},
        {"en_US", 2, &yarn, false, P::txtNominal2, "0.0001 - 999999 "},
        {"de_DE", 1, &yarn, false, P::txtCI1, "0.0 - 100.0%"},
        {"en_US", 2, &page13, true, P::txtNominal1, "0 - 100% passed tests"},
        {"de_DE", 1, &page13, true, P::txtNominal1, "0 - 100% bestandene Tests"},
        {"en_US", 6, &page13, true, P::txtNominal1, "0 - 100% "},
        {"en_US", 2, &page13, false, P::txtNominal1, "0.0001 - 999999 "},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        Language = row.language;
        Context.HasKR6100III = row.kr6100III;
        EXPECT_EQ(NominalTip(row.box, *row.page, Context), QString::fromUtf8(row.tip)) << row.tip;
    }
}

} // namespace
