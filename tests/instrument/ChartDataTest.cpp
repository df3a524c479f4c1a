#include "DataStringFixture.h"

#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <tuple>

namespace {

const float TopValue = std::bit_cast<float>(0x7F7FFFFDu);

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
        std::tie(d.Defined1, d.Nominal1, d.Lower1, d.Upper1) = std::tuple(true, 100.0f, 90.0f, 110.0f);
        std::tie(d.Defined2, d.Nominal2, d.Lower2, d.Upper2) = std::tuple(true, 20.0f, 18.0f, 22.0f);
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
        std::tie(d.Nominal1, d.Lower1, d.Upper1) = std::tuple(1.0f, 0.0f, 1.0f);
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
    // Start 2 x 90 - 100 = 80, class width 1; halves go to the even class.
    SetValues(1, {SeriesTest(95), SeriesTest(80.4f), SeriesTest(79.4f), SeriesTest(120.6f), SeriesTest(92.5f),
                  SeriesTest(93.5f), SeriesTest(95), SeriesTest(95, NoValue, "8", true), SeriesTest(NoValue, 20),
                  SeriesTest(100), SeriesTest(79.6f), SeriesTest(120.4f), SeriesTest(78.5f), SeriesTest(79.5f),
                  SeriesTest(120.5f), SeriesTest(121.5f)});
    const Histogram h = ComputeHistogram(p_, 1, 1);
    EXPECT_EQ(std::tuple(h.Nominal, h.Lower, h.Upper, h.Unit), std::tuple(100.0f, 90.0f, 110.0f, QStringLiteral("N")));
    EXPECT_EQ(std::tuple(h.NominalClass, h.LowerClass, h.UpperClass), std::tuple(20, 10, 30));
    std::array<int16_t, 41> counts{};
    counts[15] = 2;    // 95 twice; the deleted 95 is left out
    counts[0] = 3;     // 80.4, 79.6 and 79.5 (class -0.5)
    counts[12] = 1;    // 92.5
    counts[14] = 1;    // 93.5
    counts[20] = 1;    // 100
    counts[40] = 2;    // 120.4 and 120.5 (class 40.5)
    EXPECT_EQ(h.Counts, counts);
    EXPECT_EQ(std::tuple(h.BelowCount, h.AboveCount, h.MaxCount), std::tuple(2, 2, 3));   // 79.4, 78.5; 120.6, 121.5

    // Result 2 (also asked for as 0 or 3): start 2 x 18 - 20 = 16, width 0.2.
    SetValues(1, {SeriesTest(100, 20), SeriesTest(100, 17.8f), SeriesTest(100, 14), SeriesTest(100, 26.2f),
                  SeriesTest(100, NoValue)});
    for (const int r : {2, 0, 3}) {
        const Histogram two = ComputeHistogram(p_, 1, r);
        EXPECT_EQ(std::tuple(two.Nominal, two.Unit, two.Counts[20], two.Counts[9], two.BelowCount, two.AboveCount),
                  std::tuple(20.0f, QStringLiteral("mm"), 1, 1, 1, 1))
            << r;
        EXPECT_EQ(std::tuple(two.NominalClass, two.LowerClass, two.UpperClass, two.MaxCount), std::tuple(20, 10, 30, 1))
            << r;
    }
}

TEST_F(ChartDataTest, HistogramBands)
{
    SetValues(1, {});
    const struct { float nominal, lower, upper; bool usable; } bands[] = {
        {100, 95, 110, true},   // asymmetric: start 90, width 0.75
        {NoValue, 90, 110, false}, {100, NoValue, 110, false}, {100, 90, NoValue, false}, {100, 90, 90, false},
        {100, 90, 80, false},
    };
    for (const auto& b : bands) {
        TestDefinition& d = p_.Style.Tests[9];
        std::tie(d.Nominal1, d.Lower1, d.Upper1) = std::tuple(b.nominal, b.lower, b.upper);
        const Histogram h = ComputeHistogram(p_, 1, 1);
        if (!b.usable) {
            EXPECT_TRUE(IsEmptyHistogram(h)) << b.nominal << " " << b.lower << " " << b.upper;
        } else {
            EXPECT_EQ(std::tuple(h.NominalClass, h.LowerClass, h.UpperClass), std::tuple(13, 7, 27));
            EXPECT_EQ(h.MaxCount, 1);   // at least 1, even without tests
        }
    }

    // A property whose report-form item names no test type, properties or forms out of range.
    p_.Style.Tests[9].Upper1 = 110;
    for (const int property : {3, 0, 7})
        EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, property, 1))) << property;
    p_.FormIndex = 11;
    EXPECT_TRUE(IsEmptyHistogram(ComputeHistogram(p_, 1, 1)));
}

TEST_F(ChartDataTest, DefinitionAndFormItemAreBlankForEveryIndexOutOfRange)
{
    // Form 2, item 1 names test type 9, item 2 test type 14, item 3 none.
    EXPECT_EQ(PropertyTestDefinition(p_, 2), p_.Style.Tests[14]);
    p_.CurrentProperty = 2;
    EXPECT_EQ(CurrentReportForm(p_), p_.Style.Forms[2]);
    EXPECT_EQ(CurrentFormItem(p_), p_.Style.Forms[2].Items[2]);
    const struct { int16_t form, property, testType; } rows[] = {
        {0, 2, 14}, {11, 2, 14}, {-1, 2, 14}, {2, 0, 14}, {2, 7, 14}, {2, 3, 0}, {2, 2, 21}, {2, 2, -1}};
    for (const auto& row : rows) {
        Protocol p = p_;
        p.FormIndex = row.form;
        p.CurrentProperty = row.property;
        p.Style.Forms[2].Items[2].Property = row.testType;
        EXPECT_EQ(PropertyTestDefinition(p, row.property), MakeBlankTestDefinition()) << row.form << " " << row.property;
        if (row.testType != 0) {
            EXPECT_EQ(CurrentFormItem(p), ReportFormItem{}) << row.form << " " << row.property << " " << row.testType;
        }
    }
    p_.FormIndex = 11;
    EXPECT_EQ(CurrentReportForm(p_), ReportForm{});
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
    EXPECT_EQ(std::tuple(one.Nominal, one.Lower, one.Upper, one.Unit), std::tuple(100.0f, 90.0f, 110.0f, QStringLiteral("N")));
    EXPECT_EQ(ComputeProfile(p_, 1, 2).Values, (std::vector<float>{NoValue, 19.0f, 21.0f, 22.0f}));

    p_.Style.Tests[9].Nominal1 = NoValue;
    EXPECT_TRUE(IsEmptyProfile(ComputeProfile(p_, 1, 1)));
    // A missing limit still gives the profile (it draws no band).
    p_.Style.Tests[9].Nominal1 = 100;
    p_.Style.Tests[9].Upper1 = NoValue;
    EXPECT_EQ(ComputeProfile(p_, 1, 1).Values.size(), 4u);
}

TEST_F(ChartDataTest, ReduceProfilePairsTheEndsOfEachRun)
{
    FillProfile(100);
    const Profile hundred = ComputeProfile(p_, 1, 1);
    EXPECT_EQ(ReduceProfile(hundred), hundred);     // up to a hundred values stay as they are
    EXPECT_TRUE(IsEmptyProfile(ReduceProfile(MakeEmptyProfile())));

    // The values 1 to n: each run becomes its minimum and maximum, the values
    // after the last whole run follow as they are. 250 / 100 = 2.5, log2 1.32,
    // step 2^(1 + 1) = 4, runs of 8; the step is exact at powers of two.
    const struct { int n, run, pairs, rest; } cases[] = {
        {101, 4, 25, 1}, {199, 4, 49, 3}, {200, 8, 25, 0}, {250, 8, 31, 2}, {400, 16, 25, 0}, {999, 32, 31, 7},
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
    }

    // Result 2 runs from -1 down: the minimum still comes first.
    FillProfile(250);
    const Profile two = ReduceProfile(ComputeProfile(p_, 1, 2));
    ASSERT_EQ(two.Values.size(), 65u);
    EXPECT_EQ(std::tuple(two.Nominal, two.Lower, two.Upper, two.Unit),
              std::tuple(20.0f, 18.0f, 22.0f, QStringLiteral("mm")));
    EXPECT_EQ(std::tuple(two.Values[1], two.Values[2], two.Values[63], two.Values[64]), std::tuple(-8, -1, -249, -250));
}

TEST_F(ChartDataTest, MinMaxInRange)
{
    Profile profile = MakeEmptyProfile();
    profile.Values = {NoValue, 5, 3, 9, 9, NoValue, 4, 7, 1};
    // A missing value becomes the minimum; elements beyond the profile are passed over.
    const struct { int end; float min, max; } rows[] = {
        {4, 3, 9}, {8, NoValue, 7}, {10, 1, 7}, {40, TopValue, NoValue}};
    for (const auto& row : rows) {
        float min = 0;
        float max = 0;
        MinMaxInRange(profile, 2, row.end, min, max);
        EXPECT_EQ(std::pair(min, max), std::pair(row.min, row.max)) << row.end;
    }
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

    MakePassFail(14);
    p_.CurrentProperty = 2;
    EXPECT_TRUE(IsEmptyDeviationData(ComputeDeviationData(p_, 1, 1)));
    // A current property out of range has neither definition nor statistics.
    p_.CurrentProperty = 9;
    const DeviationData none = ComputeDeviationData(p_, 5, 1);
    EXPECT_EQ(std::tuple(none.Nominal, none.Mean, none.Value), std::tuple(NoValue, NoValue, 5.0f));
}

TEST_F(ChartDataTest, ValuesThatAreNotFiniteAreDrawnAsMissing)
{
    // A stored NaN or infinity (damaged files) may become no class index or point.
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
    // Nominal the mean, limits 10 % either side; the rest of the definition stays.
    Statistics s = MakeEmptyStatistics();
    s.Mean1 = 50;
    s.Mean2 = 8;
    TestDefinition d = MakeBlankTestDefinition();
    d.HeaderImage = "x";
    d.CI1 = 3;
    TestDefinition expected = d;
    std::tie(expected.Nominal1, expected.Lower1, expected.Upper1) = std::tuple(50.0f, 45.0f, 55.0f);
    std::tie(expected.Nominal2, expected.Lower2, expected.Upper2) = std::tuple(8.0f, 7.2f, 8.8f);
    DefaultLimitsFromMean(s, d);
    EXPECT_EQ(d, expected);

    // Result 1 defined and no mean of result 2: nothing changes.
    TestDefinition defined1 = MakeBlankTestDefinition();
    std::tie(defined1.Defined1, defined1.Nominal1, defined1.Lower1, defined1.Upper1) = std::tuple(true, 60.0f, 59.0f, 61.0f);
    s.Mean2 = NoValue;
    const TestDefinition before = defined1;
    DefaultLimitsFromMean(s, defined1);
    EXPECT_EQ(defined1, before);

    // Result 2 defined, result 1 not: only result 1 takes the mean.
    TestDefinition second = MakeBlankTestDefinition();
    second.Defined2 = true;
    std::tie(second.Nominal2, second.Lower2, second.Upper2) = std::tuple(9.0f, 8.0f, 10.0f);
    expected = second;
    std::tie(expected.Nominal1, expected.Lower1, expected.Upper1) = std::tuple(20.0f, 18.0f, 22.0f);
    s.Mean1 = 20;
    DefaultLimitsFromMean(s, second);
    EXPECT_EQ(second, expected);

    // What the style prescribes leaves the derived band out, and a value
    // that is not finite; everything else stays.
    second.Upper2 = std::numeric_limits<float>::quiet_NaN();
    TestDefinition prescribed = expected;
    prescribed.Nominal1 = prescribed.Lower1 = prescribed.Upper1 = NoValue;
    prescribed.Upper2 = NoValue;
    EXPECT_EQ(PrescribedDefinition(second), prescribed);
    TestDefinition defined = expected;
    defined.Defined1 = true;
    s.Mean1 = 70;
    DefaultLimitsFromMean(s, defined);
    EXPECT_EQ(defined.Nominal1, 20.0f);
    EXPECT_EQ(PrescribedDefinition(defined), defined);
}

} // namespace
