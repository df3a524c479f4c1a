#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

const float TopValue = std::bit_cast<float>(0x7F7FFFFDu);

// ---------------------------------------------------------------------------
// Chart data

// A 60-character expected data string whose results carry the given unit codes.
std::string Header(char unit1, char unit2)
{
    std::string s(60, ' ');
    s[0] = '\x1E';
    s.replace(1, 7, "MP 4800");
    s.replace(8, 3, "123");
    s.replace(41, 6, " 100.0");
    s[47] = unit1;
    s.replace(48, 6, "  20.0");
    s[54] = unit2;
    s[56] = '0';
    s[58] = '\r';
    s[59] = '\n';
    return s;
}

class ChartDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLanguage_ = Language;
        Language = 2;
        p_ = MakeEmptyProtocol();
        p_.FormIndex = 2;
        p_.CurrentProperty = 1;
        p_.Style.Forms[2].Items[1].Property = 9;
        p_.Style.Forms[2].Items[2].Property = 14;
        TestDefinition& d = p_.Style.Tests[9];
        d.Defined1 = true;
        d.Nominal1 = 100;
        d.Lower1 = 90;
        d.Upper1 = 110;
        d.Defined2 = true;
        d.Nominal2 = 20;
        d.Lower2 = 18;
        d.Upper2 = 22;
        d.HeaderImage = Header('8', '"');   // N and mm
    }
    void TearDown() override { Language = savedLanguage_; }

    void SetValues(int property, const std::vector<TestValue>& tests)
    {
        p_.Blocks[static_cast<size_t>(property)].Values = SeriesValues({});
        for (const TestValue& t : tests)
            p_.Blocks[static_cast<size_t>(property)].Values.push_back(t);
    }
    void MakePassFail(int testType)
    {
        TestDefinition& d = p_.Style.Tests[static_cast<size_t>(testType)];
        d.Nominal1 = 1;
        d.Lower1 = 0;
        d.Upper1 = 1;
        d.HeaderImage = Header('y', ' ');
    }
    void FillProfile(int count)
    {
        std::vector<TestValue> tests;
        for (int i = 1; i <= count; ++i)
            tests.push_back(SeriesTest(static_cast<float>(i), static_cast<float>(-i)));
        SetValues(1, tests);
    }

    Protocol p_;

private:
    int16_t savedLanguage_ = 0;
};

TEST_F(ChartDataTest, HistogramAroundNominalAndLimits)
{
    SetValues(1, {SeriesTest(95), SeriesTest(80.4f), SeriesTest(79.4f), SeriesTest(120.6f), SeriesTest(92.5f),
                  SeriesTest(93.5f), SeriesTest(95), SeriesTest(95, NoValue, "8", true), SeriesTest(NoValue, 20),
                  SeriesTest(100), SeriesTest(79.6f), SeriesTest(120.4f)});
    const Histogram h = ComputeHistogram(p_, 1, 1);
    EXPECT_EQ(h.Nominal, 100.0f);
    EXPECT_EQ(h.Lower, 90.0f);
    EXPECT_EQ(h.Upper, 110.0f);
    EXPECT_EQ(h.Unit, QStringLiteral("N"));
    EXPECT_EQ(h.NominalClass, 20);
    EXPECT_EQ(h.LowerClass, 10);
    EXPECT_EQ(h.UpperClass, 30);
    std::array<int16_t, 41> counts{};
    counts[15] = 2;    // 95 twice; the deleted 95 is left out
    counts[0] = 2;     // 80.4 and 79.6
    counts[12] = 1;    // 92.5: class 12.5 rounds to the even 12
    counts[14] = 1;    // 93.5: class 13.5 rounds to the even 14
    counts[20] = 1;    // 100
    counts[40] = 1;    // 120.4
    EXPECT_EQ(h.Counts, counts);
    EXPECT_EQ(h.BelowCount, 1);   // 79.4
    EXPECT_EQ(h.AboveCount, 1);   // 120.6
    EXPECT_EQ(h.MaxCount, 2);
}

TEST_F(ChartDataTest, HistogramHalvesAtBothEndsOfTheAxis)
{
    // Classes -1.5, -0.5, 0, 40, 40.5 and 41.5: halves go to the even class.
    SetValues(1, {SeriesTest(78.5f), SeriesTest(79.5f), SeriesTest(80), SeriesTest(120), SeriesTest(120.5f),
                  SeriesTest(121.5f)});
    const Histogram h = ComputeHistogram(p_, 1, 1);
    EXPECT_EQ(h.BelowCount, 1);
    EXPECT_EQ(h.Counts[0], 2);
    EXPECT_EQ(h.Counts[40], 2);
    EXPECT_EQ(h.AboveCount, 1);
    EXPECT_EQ(h.MaxCount, 2);
}

TEST_F(ChartDataTest, PropertyTestDefinitionFollowsTheReportForm)
{
    // Form 2, item 1 names test type 9, item 2 test type 14.
    EXPECT_EQ(PropertyTestDefinition(p_, 1), p_.Style.Tests[9]);
    EXPECT_EQ(PropertyTestDefinition(p_, 2), p_.Style.Tests[14]);
    // Item 3 names no test type; properties, forms and test types out of range.
    EXPECT_EQ(PropertyTestDefinition(p_, 3), MakeBlankTestDefinition());
    EXPECT_EQ(PropertyTestDefinition(p_, 0), MakeBlankTestDefinition());
    EXPECT_EQ(PropertyTestDefinition(p_, 7), MakeBlankTestDefinition());
    p_.Style.Forms[2].Items[3].Property = 21;
    EXPECT_EQ(PropertyTestDefinition(p_, 3), MakeBlankTestDefinition());
    p_.FormIndex = 0;
    EXPECT_EQ(PropertyTestDefinition(p_, 1), MakeBlankTestDefinition());
    p_.FormIndex = 11;
    EXPECT_EQ(PropertyTestDefinition(p_, 1), MakeBlankTestDefinition());
}

TEST_F(ChartDataTest, HistogramOfResultTwo)
{
    SetValues(1, {SeriesTest(100, 20), SeriesTest(100, 17.8f), SeriesTest(100, 14), SeriesTest(100, 26.2f),
                  SeriesTest(100, NoValue)});
    for (const int r : {2, 0, 3}) {
        const Histogram h = ComputeHistogram(p_, 1, r);
        // start 2 x 18 - 20 = 16, width 0.2.
        EXPECT_EQ(h.Nominal, 20.0f);
        EXPECT_EQ(h.Unit, QStringLiteral("mm"));
        EXPECT_EQ(h.NominalClass, 20);
        EXPECT_EQ(h.Counts[20], 1);
        EXPECT_EQ(h.Counts[9], 1);      // 17.8
        EXPECT_EQ(h.LowerClass, 10);
        EXPECT_EQ(h.UpperClass, 30);
        EXPECT_EQ(h.BelowCount, 1);
        EXPECT_EQ(h.AboveCount, 1);
        EXPECT_EQ(h.MaxCount, 1);
    }
}

TEST_F(ChartDataTest, HistogramWithAnAsymmetricBand)
{
    TestDefinition& d = p_.Style.Tests[9];
    d.Lower1 = 95;
    d.Upper1 = 110;
    SetValues(1, {});
    // start 90, width 0.75.
    const Histogram h = ComputeHistogram(p_, 1, 1);
    EXPECT_EQ(h.NominalClass, 13);
    EXPECT_EQ(h.LowerClass, 7);
    EXPECT_EQ(h.UpperClass, 27);
    EXPECT_EQ(h.MaxCount, 1);   // at least 1, even without tests
}

TEST_F(ChartDataTest, HistogramWithoutAUsableBandIsEmpty)
{
    SetValues(1, {SeriesTest(95), SeriesTest(105)});
    TestDefinition& d = p_.Style.Tests[9];
    d.Nominal1 = NoValue;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
    d.Nominal1 = 100;
    d.Lower1 = NoValue;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
    d.Lower1 = 90;
    d.Upper1 = NoValue;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
    d.Upper1 = 90;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
    d.Upper1 = 80;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
    // A property whose report-form item names no test type, and properties
    // or forms out of range.
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 3, 1)));
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 0, 1)));
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 7, 1)));
    d.Upper1 = 110;
    p_.FormIndex = 11;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
}

TEST_F(ChartDataTest, PassFailLooksAtThePropertyDrawn)
{
    MakePassFail(14);
    SetValues(1, {SeriesTest(95)});
    SetValues(2, {SeriesTest(1, NoValue, "y")});
    // Property 2 is pass/fail: no chart, whichever property is current.
    p_.CurrentProperty = 1;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 2, 1)));
    EXPECT_TRUE(IsEmptyProfile(ComputeProfile(p_, 2, 1)));
    // Property 1 is drawn even while the pass/fail property is current.
    p_.CurrentProperty = 2;
    EXPECT_EQ(ComputeHistogram(p_, 1, 1).Counts[15], 1);
    EXPECT_EQ(ComputeProfile(p_, 1, 1).Values, (std::vector<float>{NoValue, 95.0f}));
}

TEST_F(ChartDataTest, ProfileListsTheValuesInTestOrder)
{
    SetValues(1,
              {SeriesTest(95, 19), SeriesTest(101, NoValue, "8", true), SeriesTest(NoValue, 21), SeriesTest(103, 22)});
    const Profile one = ComputeProfile(p_, 1, 1);
    EXPECT_EQ(one.Values, (std::vector<float>{NoValue, 95.0f, NoValue, 103.0f}));
    EXPECT_EQ(one.Nominal, 100.0f);
    EXPECT_EQ(one.Lower, 90.0f);
    EXPECT_EQ(one.Upper, 110.0f);
    EXPECT_EQ(one.Unit, QStringLiteral("N"));
    const Profile two = ComputeProfile(p_, 1, 2);
    EXPECT_EQ(two.Values, (std::vector<float>{NoValue, 19.0f, 21.0f, 22.0f}));
    EXPECT_EQ(two.Nominal, 20.0f);
    EXPECT_EQ(two.Unit, QStringLiteral("mm"));

    p_.Style.Tests[9].Nominal1 = NoValue;
    EXPECT_TRUE(IsEmptyProfile(ComputeProfile(p_, 1, 1)));
    EXPECT_EQ(ComputeProfile(p_, 1, 1).Values, std::vector<float>{NoValue});
    // A missing limit still gives the profile (it draws no band).
    p_.Style.Tests[9].Nominal1 = 100;
    p_.Style.Tests[9].Upper1 = NoValue;
    EXPECT_EQ(ComputeProfile(p_, 1, 1).Values.size(), 4u);
}

TEST_F(ChartDataTest, ReduceProfileKeepsUpToAHundredValues)
{
    FillProfile(100);
    const Profile profile = ComputeProfile(p_, 1, 1);
    ASSERT_EQ(profile.Values.size(), 101u);
    EXPECT_EQ(ReduceProfile(profile), profile);
    EXPECT_TRUE(IsEmptyProfile(ReduceProfile(MakeEmptyProfile())));
}

TEST_F(ChartDataTest, ReduceProfileOf101Values)
{
    FillProfile(101);
    const Profile reduced = ReduceProfile(ComputeProfile(p_, 1, 1));
    // 25 runs of 4 as min/max pairs and the single value 101.
    ASSERT_EQ(reduced.Values.size(), 52u);
    EXPECT_EQ(reduced.Values[0], NoValue);
    EXPECT_EQ(reduced.Values[1], 1.0f);
    EXPECT_EQ(reduced.Values[2], 4.0f);
    EXPECT_EQ(reduced.Values[3], 5.0f);
    EXPECT_EQ(reduced.Values[4], 8.0f);
    EXPECT_EQ(reduced.Values[49], 97.0f);
    EXPECT_EQ(reduced.Values[50], 100.0f);
    EXPECT_EQ(reduced.Values[51], 101.0f);
    EXPECT_EQ(reduced.Nominal, 100.0f);
    EXPECT_EQ(reduced.Lower, 90.0f);
    EXPECT_EQ(reduced.Upper, 110.0f);
    EXPECT_EQ(reduced.Unit, QStringLiteral("N"));
}

TEST_F(ChartDataTest, ReduceProfileStepsAtPowersOfTwo)
{
    // n values: expected step, pairs and remainder.
    const struct {
        int n;
        int run;
        size_t size;
    } cases[] = {
        {199, 4, 1 + 49 * 2 + 3},
        {200, 8, 1 + 25 * 2},
        {250, 8, 1 + 31 * 2 + 2},
        {399, 8, 1 + 49 * 2 + 7},
        {400, 16, 1 + 25 * 2},
        {800, 32, 1 + 25 * 2},
        {999, 32, 1 + 31 * 2 + 7},
    };
    for (const auto& c : cases) {
        FillProfile(c.n);
        const Profile reduced = ReduceProfile(ComputeProfile(p_, 1, 1));
        ASSERT_EQ(reduced.Values.size(), c.size) << c.n;
        // The first pair spans the first run, the second pair the next.
        EXPECT_EQ(reduced.Values[1], 1.0f) << c.n;
        EXPECT_EQ(reduced.Values[2], static_cast<float>(c.run)) << c.n;
        EXPECT_EQ(reduced.Values[3], static_cast<float>(c.run + 1)) << c.n;
        EXPECT_EQ(reduced.Values.back(), static_cast<float>(c.n)) << c.n;
    }
}

TEST_F(ChartDataTest, ReduceProfileOf250ValuesPairsEveryRunOfEight)
{
    FillProfile(250);
    const Profile reduced = ReduceProfile(ComputeProfile(p_, 1, 1));
    // 250 / 100 = 2.5, log2 1.32, step 2^(1 + 1) = 4, runs of 8: 31 runs end
    // at 248, and 249 and 250 follow as they are.
    ASSERT_EQ(reduced.Values.size(), 65u);
    for (int run = 0; run < 31; ++run) {
        EXPECT_EQ(reduced.Values[static_cast<size_t>(2 * run + 1)], static_cast<float>(8 * run + 1)) << run;
        EXPECT_EQ(reduced.Values[static_cast<size_t>(2 * run + 2)], static_cast<float>(8 * run + 8)) << run;
    }
    EXPECT_EQ(reduced.Values[62], 248.0f);
    EXPECT_EQ(reduced.Values[63], 249.0f);
    EXPECT_EQ(reduced.Values[64], 250.0f);
}

TEST_F(ChartDataTest, ReduceProfileOfResultTwoTakesMinimumThenMaximum)
{
    FillProfile(250);
    const Profile reduced = ReduceProfile(ComputeProfile(p_, 1, 2));
    ASSERT_EQ(reduced.Values.size(), 65u);
    EXPECT_EQ(reduced.Values[1], -8.0f);
    EXPECT_EQ(reduced.Values[2], -1.0f);
    EXPECT_EQ(reduced.Values[63], -249.0f);
    EXPECT_EQ(reduced.Values[64], -250.0f);
}

TEST_F(ChartDataTest, MinMaxInRange)
{
    Profile profile = MakeEmptyProfile();
    profile.Values = {NoValue, 5, 3, 9, 9, NoValue, 4, 7, 1};
    float min = 0;
    float max = 0;
    MinMaxInRange(profile, 2, 4, min, max);
    EXPECT_EQ(min, 3.0f);
    EXPECT_EQ(max, 9.0f);
    // A missing value becomes the minimum.
    MinMaxInRange(profile, 2, 8, min, max);
    EXPECT_EQ(min, NoValue);
    EXPECT_EQ(max, 7.0f);
    // Elements beyond the profile are passed over.
    MinMaxInRange(profile, 2, 10, min, max);
    EXPECT_EQ(min, 1.0f);
    EXPECT_EQ(max, 7.0f);
    MinMaxInRange(profile, 2, 40, min, max);
    EXPECT_EQ(min, TopValue);
    EXPECT_EQ(max, NoValue);
}

TEST_F(ChartDataTest, DeviationDataOfTheCurrentProperty)
{
    SetValues(1, {SeriesTest(95, 19), SeriesTest(104, 21), SeriesTest(99, 20)});
    PropertyBlock& block = p_.Blocks[1];
    block.Stats = CalcMeanSdCvCi(block.Values);
    const DeviationData d = ComputeDeviationData(p_, 104, 1);
    EXPECT_EQ(d.Nominal, 100.0f);
    EXPECT_EQ(d.Lower, 90.0f);
    EXPECT_EQ(d.Upper, 110.0f);
    EXPECT_EQ(d.Min, 95.0f);
    EXPECT_EQ(d.Max, 104.0f);
    EXPECT_FLOAT_EQ(d.Mean, 298.0f / 3.0f);
    EXPECT_EQ(d.Value, 104.0f);
    const DeviationData d2 = ComputeDeviationData(p_, 21, 2);
    EXPECT_EQ(d2.Nominal, 20.0f);
    EXPECT_EQ(d2.Lower, 18.0f);
    EXPECT_EQ(d2.Upper, 22.0f);
    EXPECT_EQ(d2.Min, 19.0f);
    EXPECT_EQ(d2.Max, 21.0f);
    EXPECT_EQ(d2.Mean, 20.0f);
    EXPECT_EQ(d2.Value, 21.0f);

    EXPECT_TRUE(IsEmptyDeviationData(ComputeDeviationData(p_, NoValue, 1)));
    MakePassFail(14);
    p_.CurrentProperty = 2;
    EXPECT_TRUE(IsEmptyDeviationData(ComputeDeviationData(p_, 1, 1)));
    // A current property out of range has neither definition nor statistics.
    p_.CurrentProperty = 9;
    const DeviationData none = ComputeDeviationData(p_, 5, 1);
    EXPECT_EQ(none.Nominal, NoValue);
    EXPECT_EQ(none.Mean, NoValue);
    EXPECT_EQ(none.Value, 5.0f);
}

TEST(DefaultLimitsFromMeanTest, FillsOnlyUndefinedResults)
{
    Statistics s = MakeEmptyStatistics();
    s.Mean1 = 50;
    s.Mean2 = 8;
    TestDefinition d = MakeBlankTestDefinition();
    d.HeaderImage = "x";
    d.TestCount = 10;
    d.CI1 = 3;
    DefaultLimitsFromMean(s, d);
    EXPECT_EQ(d.Nominal1, 50.0f);
    EXPECT_EQ(d.Lower1, 45.0f);
    EXPECT_EQ(d.Upper1, 55.0f);
    EXPECT_FLOAT_EQ(d.Nominal2, 8.0f);
    EXPECT_FLOAT_EQ(d.Lower2, 7.2f);
    EXPECT_FLOAT_EQ(d.Upper2, 8.8f);
    EXPECT_FALSE(d.Defined1);
    EXPECT_EQ(d.HeaderImage, "x");
    EXPECT_EQ(d.TestCount, 10);
    EXPECT_EQ(d.CI1, 3.0f);

    TestDefinition defined = MakeBlankTestDefinition();
    defined.Defined1 = true;
    defined.Nominal1 = 60;
    defined.Lower1 = 59;
    defined.Upper1 = 61;
    s.Mean2 = NoValue;
    const TestDefinition before = defined;
    DefaultLimitsFromMean(s, defined);
    EXPECT_EQ(defined, before);

    // Result 2 defined, result 1 not: only result 1 takes the mean.
    TestDefinition second = MakeBlankTestDefinition();
    second.Defined2 = true;
    second.Nominal2 = 9;
    second.Lower2 = 8;
    second.Upper2 = 10;
    s.Mean1 = 20;
    s.Mean2 = 12;
    DefaultLimitsFromMean(s, second);
    EXPECT_EQ(second.Nominal1, 20.0f);
    EXPECT_EQ(second.Lower1, 18.0f);
    EXPECT_EQ(second.Upper1, 22.0f);
    EXPECT_EQ(second.Nominal2, 9.0f);
    EXPECT_EQ(second.Lower2, 8.0f);
    EXPECT_EQ(second.Upper2, 10.0f);
}

} // namespace
