#include "main_window/modTestEdit.h"

#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

namespace {

// Test type 9 as property 1 (nominal 100 within 90..110) holding the tests.
Protocol Series(const std::vector<TestValue>& tests)
{
    Protocol p = MakeEmptyProtocol();
    p.Style.Forms[1].Items[1].Property = 9;
    TestDefinition& d = p.Style.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110;
    d.HeaderImage = SetDataStringField(Build({.Id = "MP 4800", .RU1 = "8"}), 14, QStringLiteral("W"));
    p.Blocks[1].Header = d.HeaderImage;
    p.Blocks[1].Values.insert(p.Blocks[1].Values.end(), tests.begin(), tests.end());
    return p;
}

TestValue Warned(char warning, bool deleted = false)
{
    TestValue t = SeriesTest(100, 20, "8", deleted);
    t.Warning = warning;
    return t;
}

class TestEditTest : public DataStringFixture {};

TEST_F(TestEditTest, DeletingBlanksTheWarningWithTheLastWarnedTestAndAnEmptyBlockKeepsLateralAir)
{
    const struct {
        std::vector<TestValue> tests;
        int deleted;
        char warning;
    } cases[] = {
        {{Warned('W'), Warned(' '), Warned(' ')}, 1, ' '},
        {{Warned('W'), Warned('W'), Warned(' ')}, 1, 'W'},
        {{Warned('W'), Warned('W', true), Warned(' ')}, 1, ' '},   // a deleted test's warning no longer counts
        {{Warned('W'), Warned(' '), Warned(' ')}, 2, 'W'},
    };
    for (const auto& c : cases) {
        PropertyBlock block = Series(c.tests).Blocks[1];
        EXPECT_FALSE(DeleteTest(block, c.deleted, QStringLiteral("  torn  ")));
        const TestValue& test = block.Values[static_cast<size_t>(c.deleted)];
        EXPECT_TRUE(test.Deleted && test.Commentary == QStringLiteral("torn"));
        EXPECT_EQ(block.Header[40], c.warning) << &c - cases;
    }

    PropertyBlock block = Series({Warned(' ', true), Warned(' ')}).Blocks[1];
    block.LateralAirOn = true;
    block.LateralAir = 4.5f;
    block.StartDate = 40000;
    EXPECT_FALSE(DeleteTest(block, 3, QStringLiteral("x")));   // names no test
    EXPECT_TRUE(DeleteTest(block, 2, QStringLiteral("x")));
    PropertyBlock expected = MakeEmptyPropertyBlock();
    expected.LateralAirOn = true;
    expected.LateralAir = 4.5f;
    EXPECT_EQ(block, expected);
}

TEST_F(TestEditTest, AWaitingPressureDropHalfIsNotCounted)
{
    const Protocol p = Series({SeriesTest(100, 20), SeriesTest(110, 30), SeriesTest(NoValue, 80)});
    const Statistics s = EditedStatistics(p.Blocks[1], 17);
    EXPECT_EQ(s.Count, 2);
    EXPECT_FLOAT_EQ(s.Mean2, 25);
    EXPECT_EQ(EditedStatistics(Series({SeriesTest(100, 20), SeriesTest(90, 80)}).Blocks[1], 17).Count, 2);
    // In any other test type a test without its first result still counts,
    // as it did when it was measured.
    const Statistics other = EditedStatistics(p.Blocks[1], 9);
    EXPECT_EQ(other.Count, 3);
    EXPECT_FLOAT_EQ(other.Mean2, (20.0f + 30.0f + 80.0f) / 3);
}

TEST_F(TestEditTest, APointOfAReducedProfileOpensTheTestItStandsFor)
{
    // 150 tests reduce to 37 runs of 4 (a minimum and a maximum each) and a
    // tail of 2: points 19 and 20 are the minimum and maximum of run 10
    // (tests 37 to 40 of values 102, 103, 91, 105), 75 and 76 the tail.
    std::vector<TestValue> tests;
    for (int i = 1; i <= 150; ++i)
        tests.push_back(SeriesTest(i == 39 ? 91.0f : static_cast<float>(100 + i % 7), 20));
    const Protocol p = Series(tests);
    const Profile reduced = ReduceProfile(ComputeProfile(p, 1, 1));
    ASSERT_EQ(reduced.Values.size(), 77u);
    EXPECT_EQ(reduced.Values[19], 91.0f);
    const std::pair<double, int> points[] = {{19, 39}, {20, 40}, {0, 1}, {75, 149}, {90, 150}};
    for (const auto& [x, test] : points)
        EXPECT_EQ(ProfileClickTest(p, 1, x), test) << x;
    EXPECT_EQ(ProfileClickTest(Series({SeriesTest(1, 20, "8", true)}), 1, 1), 0) << "no test listed";
}

} // namespace
