#include "DataStringFixture.h"

#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>

namespace {

const float TopValue = std::bit_cast<float>(0x7F7FFFFDu);

// ---------------------------------------------------------------------------
// Chart data

// An expected data string whose results carry the given unit codes.
std::string Header(const char* unit1, const char* unit2)
{
    return Build({.Id = "MP 4800", .Serial = "123", .R1 = " 100.0", .RU1 = unit1, .R2 = "  20.0", .RU2 = unit2});
}

// Language 2; report form 2 makes test type 9 (results in N and mm) property 1
// and test type 14 property 2.
class ChartDataTest : public DataStringFixture {
protected:
    void SetUp() override
    {
        DataStringFixture::SetUp();
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
        d.HeaderImage = Header("8", "\"");   // N and mm
    }

    void SetValues(int property, const std::vector<TestValue>& tests)
    {
        std::vector<TestValue>& values = p_.Blocks[static_cast<size_t>(property)].Values;
        values = SeriesValues({});
        values.insert(values.end(), tests.begin(), tests.end());
    }
    void MakePassFail(int testType)
    {
        TestDefinition& d = p_.Style.Tests[static_cast<size_t>(testType)];
        d.Nominal1 = 1;
        d.Lower1 = 0;
        d.Upper1 = 1;
        d.HeaderImage = Header("y", " ");
    }
    void FillProfile(int count)
    {
        std::vector<TestValue> tests;
        for (int i = 1; i <= count; ++i)
            tests.push_back(SeriesTest(static_cast<float>(i), static_cast<float>(-i)));
        SetValues(1, tests);
    }

    Protocol p_;
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
    for (const int property : {3, 0, 7})
        EXPECT_EQ(PropertyTestDefinition(p_, property), MakeBlankTestDefinition()) << property;
    p_.Style.Forms[2].Items[3].Property = 21;
    EXPECT_EQ(PropertyTestDefinition(p_, 3), MakeBlankTestDefinition());
    p_.FormIndex = 0;
    EXPECT_EQ(PropertyTestDefinition(p_, 1), MakeBlankTestDefinition());
    p_.FormIndex = 11;
    EXPECT_EQ(PropertyTestDefinition(p_, 1), MakeBlankTestDefinition());
}

TEST_F(ChartDataTest, CurrentFormItemIsBlankForEveryIndexOutOfRange)
{
    p_.CurrentProperty = 2;
    EXPECT_EQ(CurrentReportForm(p_), p_.Style.Forms[2]);
    EXPECT_EQ(CurrentFormItem(p_), p_.Style.Forms[2].Items[2]);
    const ReportFormItem blank{};
    const struct { int16_t form, property, testType; } rows[] = {
        {0, 2, 14}, {11, 2, 14}, {-1, 2, 14}, {2, 0, 14}, {2, 7, 14}, {2, 2, 21}, {2, 2, -1}};
    for (const auto& row : rows) {
        Protocol p = p_;
        p.FormIndex = row.form;
        p.CurrentProperty = row.property;
        p.Style.Forms[2].Items[2].Property = row.testType;
        EXPECT_EQ(CurrentFormItem(p), blank) << row.form << " " << row.property << " " << row.testType;
    }
    Protocol p = p_;
    p.FormIndex = 11;
    EXPECT_EQ(CurrentReportForm(p), ReportForm{});
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
    for (const int property : {3, 0, 7})
        EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, property, 1))) << property;
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

TEST_F(ChartDataTest, ReduceProfilePairsTheEndsOfEachRun)
{
    FillProfile(100);
    const Profile hundred = ComputeProfile(p_, 1, 1);
    ASSERT_EQ(hundred.Values.size(), 101u);
    EXPECT_EQ(ReduceProfile(hundred), hundred);     // up to a hundred values stay as they are
    EXPECT_TRUE(IsEmptyProfile(ReduceProfile(MakeEmptyProfile())));

    // The values 1 to n: each run becomes its minimum and maximum, the values
    // after the last whole run follow as they are. 250 / 100 = 2.5, log2 1.32,
    // step 2^(1 + 1) = 4, runs of 8; the step is exact at powers of two.
    const struct {
        int n;
        int run;
        int pairs;
        int rest;
    } cases[] = {
        {101, 4, 25, 1}, {199, 4, 49, 3}, {200, 8, 25, 0},  {250, 8, 31, 2},
        {399, 8, 49, 7}, {400, 16, 25, 0}, {800, 32, 25, 0}, {999, 32, 31, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        FillProfile(c.n);
        const Profile reduced = ReduceProfile(ComputeProfile(p_, 1, 1));
        ASSERT_EQ(reduced.Values.size(), static_cast<size_t>(1 + 2 * c.pairs + c.rest));
        EXPECT_EQ(reduced.Values[0], NoValue);
        for (int i = 0; i < c.pairs; ++i) {
            EXPECT_EQ(reduced.Values[static_cast<size_t>(2 * i + 1)], static_cast<float>(i * c.run + 1)) << i;
            EXPECT_EQ(reduced.Values[static_cast<size_t>(2 * i + 2)], static_cast<float>((i + 1) * c.run)) << i;
        }
        for (int j = 1; j <= c.rest; ++j)
            EXPECT_EQ(reduced.Values[static_cast<size_t>(2 * c.pairs + j)], static_cast<float>(c.pairs * c.run + j));
        EXPECT_EQ(reduced.Nominal, 100.0f);
        EXPECT_EQ(reduced.Lower, 90.0f);
        EXPECT_EQ(reduced.Upper, 110.0f);
        EXPECT_EQ(reduced.Unit, QStringLiteral("N"));
    }

    // Result 2 runs from -1 down: the minimum still comes first.
    FillProfile(250);
    const Profile two = ReduceProfile(ComputeProfile(p_, 1, 2));
    ASSERT_EQ(two.Values.size(), 65u);
    EXPECT_EQ(two.Values[1], -8.0f);
    EXPECT_EQ(two.Values[2], -1.0f);
    EXPECT_EQ(two.Values[63], -249.0f);
    EXPECT_EQ(two.Values[64], -250.0f);
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
    // Nominal, limits, minimum, maximum, mean and the value given, of each result.
    const DeviationData d = ComputeDeviationData(p_, 104, 1);
    EXPECT_FLOAT_EQ(d.Mean, 298.0f / 3.0f);
    EXPECT_EQ(d, (DeviationData{100, 90, 110, 95, 104, d.Mean, 104}));
    EXPECT_EQ(ComputeDeviationData(p_, 21, 2), (DeviationData{20, 18, 22, 19, 21, 20, 21}));

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

TEST_F(ChartDataTest, ValuesThatAreNotFiniteAreDrawnAsMissing)
{
    // The bytes 00 00 C0 7F of a stored Single are a NaN; infinities come
    // from damaged files too. None may become a class index or a point.
    const float nan = std::bit_cast<float>(0x7FC00000u);
    const float inf = std::numeric_limits<float>::infinity();
    SetValues(1, {SeriesTest(95, 19), SeriesTest(103, 21)});
    const Histogram clean = ComputeHistogram(p_, 1, 1);
    for (const float bad : {nan, inf, -inf}) {
        SCOPED_TRACE(bad);
        SetValues(1, {SeriesTest(95, 19), SeriesTest(bad, bad), SeriesTest(103, 21)});
        EXPECT_EQ(ComputeHistogram(p_, 1, 1), clean);
        EXPECT_EQ(ComputeProfile(p_, 1, 1).Values, (std::vector<float>{NoValue, 95.0f, NoValue, 103.0f}));
        EXPECT_EQ(ComputeProfile(p_, 1, 2).Values, (std::vector<float>{NoValue, 19.0f, NoValue, 21.0f}));

        // Statistics and limits as a damaged file may hold them.
        PropertyBlock& block = p_.Blocks[1];
        block.Stats = CalcMeanSdCvCi(block.Values);
        EXPECT_TRUE(IsEmptyDeviationData(ComputeDeviationData(p_, bad, 1)));
        Protocol damaged = p_;
        damaged.Blocks[1].Stats.Min1 = bad;
        damaged.Blocks[1].Stats.Mean1 = bad;
        damaged.Style.Tests[9].Upper1 = bad;
        EXPECT_EQ(ComputeDeviationData(damaged, 95, 1), (DeviationData{100, 90, NoValue, NoValue, 103, NoValue, 95}));
        EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(damaged, 1, 1)));
        EXPECT_EQ(ComputeProfile(damaged, 1, 1).Upper, NoValue);
        damaged.Style.Tests[9].Nominal1 = bad;
        EXPECT_TRUE(IsEmptyProfile(ComputeProfile(damaged, 1, 1)));

        TestDefinition shown = MakeBlankTestDefinition();
        DefaultLimitsFromMean(damaged.Blocks[1].Stats, shown);
        EXPECT_EQ(shown.Nominal1, MakeBlankTestDefinition().Nominal1);
        EXPECT_EQ(shown.Nominal2, 20.0f);
    }
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
    TestDefinition expected = second;
    expected.Nominal1 = 20;
    expected.Lower1 = 18;
    expected.Upper1 = 22;
    s.Mean1 = 20;
    s.Mean2 = 12;
    DefaultLimitsFromMean(s, second);
    EXPECT_EQ(second, expected);

    // What the style prescribes leaves the derived band out, and a value
    // that is not finite; everything else stays.
    second.Upper2 = std::numeric_limits<float>::quiet_NaN();
    TestDefinition prescribed = expected;
    prescribed.Nominal1 = prescribed.Lower1 = prescribed.Upper1 = NoValue;
    prescribed.Upper2 = NoValue;
    EXPECT_EQ(PrescribedDefinition(second), prescribed);
    EXPECT_EQ(PrescribedDefinition(defined), defined);
}

} // namespace
