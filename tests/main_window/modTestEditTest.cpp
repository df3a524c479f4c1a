#include "main_window/modTestEdit.h"

#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Test type 9 as property 1 (nominal 100 within 90..110) holding the values.
Protocol Series(const std::vector<TestValue>& tests)
{
    Protocol p = MakeEmptyProtocol();
    p.Style.Forms[1].Items[1].Property = 9;
    TestDefinition& d = p.Style.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110, d.Nominal2 = 20, d.Lower2 = 18, d.Upper2 = 22;
    d.HeaderImage = Build({.Id = "MP 4800", .RU1 = "8", .RU2 = "\""});
    p.Blocks[1].Values.insert(p.Blocks[1].Values.end(), tests.begin(), tests.end());
    return p;
}

TestValue Warned(float value, char warning, bool deleted = false)
{
    TestValue t = SeriesTest(value, 20, "8", deleted);
    t.Warning = warning;
    return t;
}

class TestEditTest : public DataStringFixture {};

TEST_F(TestEditTest, OnlyAnIndexOfAStoredTestIsNamed)
{
    const PropertyBlock block = Series({SeriesTest(1), SeriesTest(2), SeriesTest(3)}).Blocks[1];
    const std::pair<const char*, int> cases[] = {{"1", 1}, {" 3", 3}, {"0", 0}, {"4", 0},   {"99", 0},
                                                 {"x", 0}, {"", 0},   {"-1", 0}, {"2.5", 0}};
    for (const auto& [tag, index] : cases)
        EXPECT_EQ(TestIndexFromTag(QString::fromLatin1(tag), block), index) << tag;
}

TEST_F(TestEditTest, DeletingBlanksTheWarningOnlyWithTheLastWarnedTest)
{
    const std::string warnedHeader = SetDataStringField(Build({.Id = "MP 4800", .RU1 = "8"}), 14, QStringLiteral("W"));
    struct Case {
        std::vector<TestValue> tests;
        int deleted;
        char headerWarning;
    } const cases[] = {
        {{Warned(1, 'W'), Warned(2, ' '), Warned(3, ' ')}, 1, ' '},
        {{Warned(1, 'W'), Warned(2, 'W'), Warned(3, ' ')}, 1, 'W'},
        // A deleted test's warning no longer counts.
        {{Warned(1, 'W'), Warned(2, 'W', true), Warned(3, ' ')}, 1, ' '},
        {{Warned(1, 'W'), Warned(2, ' '), Warned(3, ' ')}, 2, 'W'},
    };
    for (const Case& c : cases) {
        Protocol p = Series(c.tests);
        PropertyBlock& block = p.Blocks[1];
        block.Header = warnedHeader;
        EXPECT_FALSE(DeleteTest(block, c.deleted, QStringLiteral("  torn  ")));
        EXPECT_TRUE(block.Values[static_cast<size_t>(c.deleted)].Deleted);
        EXPECT_EQ(block.Values[static_cast<size_t>(c.deleted)].Commentary, QStringLiteral("torn"));
        EXPECT_EQ(block.Header[40], c.headerWarning) << c.deleted;
        EXPECT_EQ(block.Header.size(), 60u);
        EXPECT_EQ(ListedTestCount(block), 2 - (c.tests[1].Deleted ? 1 : 0));
    }
}

TEST_F(TestEditTest, DeletingTheLastTestEmptiesTheBlockButKeepsLateralAir)
{
    Protocol p = Series({SeriesTest(101, 20, "8", true), SeriesTest(102)});
    PropertyBlock& block = p.Blocks[1];
    block.LateralAirOn = true;
    block.LateralAir = 4.5f;
    block.Commentary = QStringLiteral("lot");
    block.StartDate = 40000;
    EXPECT_FALSE(DeleteTest(block, 5, QStringLiteral("x")));   // names no test
    EXPECT_TRUE(DeleteTest(block, 2, QStringLiteral("x")));

    PropertyBlock expected = MakeEmptyPropertyBlock();
    expected.LateralAirOn = true;
    expected.LateralAir = 4.5f;
    EXPECT_EQ(block, expected);
    EXPECT_EQ(ListedTestCount(block), 0);
}

TEST_F(TestEditTest, AWaitingPressureDropHalfIsNotCounted)
{
    TestValue half = SeriesTest(NoValue, 80);   // flow only: waits for its second reading
    const Protocol p = Series({SeriesTest(100, 20), SeriesTest(110, 30), half});
    const Statistics s = EditedStatistics(p.Blocks[1]);
    EXPECT_EQ(s.Count, 2);
    EXPECT_FLOAT_EQ(s.Mean2, 25);
    // Complete, the same test counts.
    const Protocol complete = Series({SeriesTest(100, 20), SeriesTest(110, 30), SeriesTest(90, 80)});
    EXPECT_EQ(EditedStatistics(complete.Blocks[1]).Count, 3);
}

TEST_F(TestEditTest, APointOpensTheTestItStandsFor)
{
    // Five tests, the second deleted: four points.
    std::vector<TestValue> few;
    for (int i = 1; i <= 5; ++i)
        few.push_back(SeriesTest(static_cast<float>(100 + i), 20, "8", i == 2));
    Protocol p = Series(few);
    const std::pair<double, int> unreduced[] = {{0.2, 1}, {1.4, 1}, {2, 3}, {2.5, 3}, {3.5, 5}, {4.4, 5},
                                                {4.6, 5}, {40, 5},  {-7, 1}};
    for (const auto& [x, test] : unreduced)
        EXPECT_EQ(ProfileClickTest(p, 1, x), test) << x;

    // 150 tests reduce to 37 runs of 4 (a minimum and a maximum each) and a
    // tail of 2: points 19 and 20 are the minimum and maximum of run 10
    // (tests 37 to 40 of values 102, 103, 91, 105), 75 and 76 the tail.
    std::vector<TestValue> many;
    for (int i = 1; i <= 150; ++i)
        many.push_back(SeriesTest(i == 39 ? 91.0f : static_cast<float>(100 + i % 7), 20));
    p = Series(many);
    const Profile reduced = ReduceProfile(ComputeProfile(p, 1, 1));
    ASSERT_EQ(reduced.Values.size(), 77u);
    EXPECT_EQ(reduced.Values[19], 91.0f);
    const std::pair<double, int> points[] = {{19, 39}, {20, 40}, {1, 1}, {75, 149}, {90, 150}};
    for (const auto& [x, test] : points)
        EXPECT_EQ(ProfileClickTest(p, 1, x), test) << x;
    EXPECT_EQ(ProfileClickTest(Series({SeriesTest(1, 20, "8", true)}), 1, 1), 0) << "no test listed";
}

} // namespace
