#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

// ---------------------------------------------------------------------------
// CalcMeanSdCvCi

TEST(CalcMeanSdCvCiTest, WorkedExampleOfThreeTests)
{
    const Statistics s = CalcMeanSdCvCi(SeriesValues({SeriesTest(10), SeriesTest(12), SeriesTest(14)}));
    EXPECT_EQ(s.Count, 3);
    EXPECT_EQ(s.Sum1, 36.0);
    EXPECT_EQ(s.SumSq1, 440.0);
    EXPECT_EQ(s.Mean1, 12.0f);
    EXPECT_EQ(s.Min1, 10.0f);
    EXPECT_EQ(s.Max1, 14.0f);
    // variance |440 - 12 x 36| / 2 = 4, SD 2, CV 2 x 100 / 12.
    EXPECT_FLOAT_EQ(s.CV1, 16.666666f);
    // CI = t(3) x CV / sqrt(3) = 4.3 x 16.666... / 1.7320508.
    EXPECT_NEAR(s.CI1, 41.38, 0.005);
    EXPECT_FLOAT_EQ(s.CI1, static_cast<float>(4.3f * static_cast<double>(s.CV1) / std::sqrt(3.0)));
    EXPECT_EQ(s.Sum2, 0.0);
    EXPECT_EQ(s.SumSq2, 0.0);
    EXPECT_EQ(s.Mean2, NoValue);
    EXPECT_EQ(s.Min2, NoValue);
    EXPECT_EQ(s.Max2, NoValue);
    EXPECT_EQ(s.CV2, NoValue);
    EXPECT_EQ(s.CI2, NoValue);
}

TEST(CalcMeanSdCvCiTest, VarianceTakesTheMeanAsStoredSingle)
{
    // 10.1, 10.2 and 10.3 as Singles: Sum1 30.600000381469727, SumSq1
    // 312.14000774383567; Mean1 is stored as the Single 10.199999809265137,
    // so the variance is |312.14000774383567 - 10.199999809265137 x
    // 30.600000381469727| / 2 = 0.0100048447, SD 0.1000242, CV1 0.98062962
    // (with the unrounded mean 10.2000001272 it would be 0.98039120).
    const Statistics s = CalcMeanSdCvCi(SeriesValues({SeriesTest(10.1f), SeriesTest(10.2f), SeriesTest(10.3f)}));
    EXPECT_EQ(s.Sum1, 30.600000381469727);
    EXPECT_EQ(s.Mean1, 10.2f);
    EXPECT_FLOAT_EQ(s.CV1, 0.98062962f);
    // CI1 = 4.3 x 0.98062962 / 1.7320508 = 2.4345171.
    EXPECT_FLOAT_EQ(s.CI1, 2.4345171f);
}

TEST(CalcMeanSdCvCiTest, DeletedTestsAndElementZeroChangeNothing)
{
    const Statistics plain = CalcMeanSdCvCi(SeriesValues({SeriesTest(10, 5), SeriesTest(12, 6), SeriesTest(14, 7)}));
    std::vector<TestValue> values =
        SeriesValues({SeriesTest(1000, 1000, "8", true), SeriesTest(10, 5), SeriesTest(12, 6),
                      SeriesTest(-3, 2, "8", true), SeriesTest(14, 7)});
    values[0].Value1 = 5000;
    values[0].Value2 = 5000;
    EXPECT_EQ(CalcMeanSdCvCi(values), plain);
    EXPECT_EQ(plain.Count, 3);
    EXPECT_EQ(plain.Mean2, 6.0f);
    EXPECT_FLOAT_EQ(plain.CV2, 100.0f / 6.0f);
}

TEST(CalcMeanSdCvCiTest, NoTestsGiveTheEmptyStatistics)
{
    EXPECT_TRUE(IsEmptyStatistics(CalcMeanSdCvCi(SeriesValues({}))));
    EXPECT_TRUE(IsEmptyStatistics(CalcMeanSdCvCi({})));
    EXPECT_TRUE(IsEmptyStatistics(CalcMeanSdCvCi(SeriesValues({SeriesTest(5, 5, "8", true)}))));
}

TEST(CalcMeanSdCvCiTest, MissingValuesCountButStayOutOfTheirResult)
{
    // The middle test has no result 1 and the last no result 2.
    const Statistics s =
        CalcMeanSdCvCi(SeriesValues({SeriesTest(10, 5), SeriesTest(NoValue, 7), SeriesTest(14, NoValue)}));
    EXPECT_EQ(s.Count, 3);
    EXPECT_EQ(s.Sum1, 24.0);
    EXPECT_EQ(s.Mean1, 12.0f);
    EXPECT_EQ(s.Min1, 10.0f);
    EXPECT_EQ(s.Max1, 14.0f);
    // Two values 10 and 14: SD 2.828..., t for two values 12.71.
    const double sd1 = std::sqrt(8.0);
    EXPECT_FLOAT_EQ(s.CV1, static_cast<float>(sd1 * 100.0 / 12.0));
    EXPECT_FLOAT_EQ(s.CI1, static_cast<float>(12.71f * static_cast<double>(s.CV1) / std::sqrt(2.0)));
    EXPECT_EQ(s.Mean2, 6.0f);
    EXPECT_FLOAT_EQ(s.CV2, static_cast<float>(std::sqrt(2.0) * 100.0 / 6.0));
    EXPECT_FLOAT_EQ(s.CI2, static_cast<float>(12.71f * static_cast<double>(s.CV2) / std::sqrt(2.0)));
}

TEST(CalcMeanSdCvCiTest, OneValueOrAllFailedGiveAMeanButNoSpread)
{
    const struct {
        const char* Name;
        std::vector<TestValue> Values;
        int32_t Count;
        float Mean1;
        float Mean2;
    } cases[] = {
        {"a single test", SeriesValues({SeriesTest(7.5f, 2)}), 1, 7.5f, 2.0f},
        {"one value of each result present",
         SeriesValues({SeriesTest(10, NoValue), SeriesTest(NoValue, NoValue), SeriesTest(NoValue, 3)}), 3, 10.0f, 3.0f},
        {"pass/fail with every test failed: 0 %",
         SeriesValues({SeriesTest(0, NoValue, "y"), SeriesTest(0, NoValue, "y")}), 2, 0.0f, NoValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const Statistics s = CalcMeanSdCvCi(c.Values);
        EXPECT_EQ(s.Count, c.Count);
        EXPECT_EQ(s.Mean1, c.Mean1);
        EXPECT_EQ(s.Mean2, c.Mean2);
        EXPECT_EQ(s.CV1, NoValue);
        EXPECT_EQ(s.CI1, NoValue);
        EXPECT_EQ(s.CV2, NoValue);
        EXPECT_EQ(s.CI2, NoValue);
    }
    const Statistics single = CalcMeanSdCvCi(SeriesValues({SeriesTest(7.5f, 2)}));
    EXPECT_EQ(single.Min1, 7.5f);
    EXPECT_EQ(single.Max1, 7.5f);
}

TEST(CalcMeanSdCvCiTest, PassFailResultIsOnlySummed)
{
    const Statistics s =
        CalcMeanSdCvCi(SeriesValues({SeriesTest(1, 10, "y"), SeriesTest(0, 12, "y"), SeriesTest(1, 14, "y")}));
    EXPECT_EQ(s.Count, 3);
    EXPECT_EQ(s.Sum1, 2.0);
    EXPECT_EQ(s.SumSq1, 0.0);
    EXPECT_FLOAT_EQ(s.Mean1, 2.0f / 3.0f);
    EXPECT_EQ(s.Min1, NoValue);
    EXPECT_EQ(s.Max1, NoValue);
    EXPECT_EQ(s.CV1, NoValue);
    EXPECT_EQ(s.CI1, NoValue);
    // Result 2 keeps its mean and extremes but gets no spread either.
    EXPECT_EQ(s.Mean2, 12.0f);
    EXPECT_EQ(s.Min2, 10.0f);
    EXPECT_EQ(s.Max2, 14.0f);
    EXPECT_EQ(s.CV2, NoValue);
    EXPECT_EQ(s.CI2, NoValue);
}

TEST(CalcMeanSdCvCiTest, PassFailIsDecidedOnceForTheBlock)
{
    // Tests of two units in one block (a damaged or foreign file): the unit
    // of the block decides, given or taken from its first test not deleted;
    // a measured result never gets a mean from a sum not above 0, and a
    // pass/fail result never a negative share.
    const float none = NoValue;
    const struct {
        const char* Name;
        std::vector<TestValue> Values;
        const char* Unit;   // nullptr: the block's unit is taken from its tests
        double Sum1;
        double SumSq1;
        float Mean1;
        float Min1;
        float Max1;
        bool Spread;
    } cases[] = {
        {"-5 and -3 measured, a pass/fail 0: measured, sum -8, no mean",
         SeriesValues({SeriesTest(-5), SeriesTest(-3), SeriesTest(0, NoValue, "y")}), nullptr, -8, 34, none, -5, 0,
         false},
        {"the same block given as pass/fail: no negative share",
         SeriesValues({SeriesTest(-5), SeriesTest(-3), SeriesTest(0, NoValue, "y")}), "y", -8, 0, none, none, none,
         false},
        {"a pass/fail 1 among measured values is one more value",
         SeriesValues({SeriesTest(10), SeriesTest(1, NoValue, "y"), SeriesTest(12)}), nullptr, 23, 245, 23.0f / 3,
         1, 12, true},
        {"a first test that is deleted does not decide",
         SeriesValues({SeriesTest(1, NoValue, "y", true), SeriesTest(10), SeriesTest(14)}), nullptr, 24, 296, 12,
         10, 14, true},
        {"a pass/fail block whose tests carry another code",
         SeriesValues({SeriesTest(1), SeriesTest(0), SeriesTest(1)}), "y", 2, 0, 2.0f / 3, none, none, false},
        {"a measured block given by its code although the tests say pass/fail",
         SeriesValues({SeriesTest(0, NoValue, "y"), SeriesTest(0, NoValue, "y")}), "8", 0, 0, none, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const Statistics s = c.Unit ? CalcMeanSdCvCi(c.Values, c.Unit) : CalcMeanSdCvCi(c.Values);
        EXPECT_EQ(s.Sum1, c.Sum1);
        EXPECT_EQ(s.SumSq1, c.SumSq1);
        EXPECT_FLOAT_EQ(s.Mean1, c.Mean1);
        EXPECT_EQ(s.Min1, c.Min1);
        EXPECT_EQ(s.Max1, c.Max1);
        EXPECT_EQ(s.CV1 != NoValue, c.Spread);
        EXPECT_EQ(s.CI1 != NoValue, c.Spread);
    }
}

TEST(CalcMeanSdCvCiTest, ValuesThatAreNotFiniteAreMissing)
{
    // A stored Single with the bytes 00 00 C0 7F is a NaN; infinities come
    // from damaged files too. Each counts as a test without its value.
    const float nan = std::bit_cast<float>(0x7FC00000u);
    const float inf = std::numeric_limits<float>::infinity();
    const Statistics clean =
        CalcMeanSdCvCi(SeriesValues({SeriesTest(10, 5), SeriesTest(NoValue, NoValue), SeriesTest(14, 7)}));
    for (const float bad : {nan, inf, -inf}) {
        SCOPED_TRACE(bad);
        const Statistics s = CalcMeanSdCvCi(SeriesValues({SeriesTest(10, 5), SeriesTest(bad, bad), SeriesTest(14, 7)}));
        EXPECT_EQ(s, clean);
        EXPECT_EQ(s.Count, 3);
        EXPECT_EQ(s.Mean1, 12.0f);
        EXPECT_EQ(s.Max2, 7.0f);
        const Statistics passFail = CalcMeanSdCvCi(
            SeriesValues({SeriesTest(1, NoValue, "y"), SeriesTest(bad, NoValue, "y"), SeriesTest(0, NoValue, "y")}));
        EXPECT_EQ(passFail.Sum1, 1.0);
        EXPECT_EQ(passFail.Mean1, 0.5f);
    }
}

TEST(CalcMeanSdCvCiTest, NoMeanWhenTheSumIsNotPositive)
{
    const Statistics zero = CalcMeanSdCvCi(SeriesValues({SeriesTest(0, -1), SeriesTest(0, -2)}));
    EXPECT_EQ(zero.Mean1, NoValue);
    EXPECT_EQ(zero.CV1, NoValue);
    EXPECT_EQ(zero.CI1, NoValue);
    EXPECT_EQ(zero.Min1, 0.0f);
    EXPECT_EQ(zero.Mean2, NoValue);
    EXPECT_EQ(zero.Min2, -2.0f);
    EXPECT_EQ(zero.Max2, -1.0f);
    const Statistics mixed = CalcMeanSdCvCi(SeriesValues({SeriesTest(-5), SeriesTest(3)}));
    EXPECT_EQ(mixed.Sum1, -2.0);
    EXPECT_EQ(mixed.Mean1, NoValue);
}

TEST(CalcMeanSdCvCiTest, EqualValuesHaveNoSpreadButACi)
{
    const Statistics s =
        CalcMeanSdCvCi(SeriesValues({SeriesTest(0.1f), SeriesTest(0.1f), SeriesTest(0.1f), SeriesTest(0.1f)}));
    EXPECT_EQ(s.Count, 4);
    EXPECT_FLOAT_EQ(s.Mean1, 0.1f);
    // Rounding of the sums leaves at most a trace of spread, never a negative variance.
    EXPECT_GE(s.CV1, 0.0f);
    EXPECT_LT(s.CV1, 1e-3f);
    EXPECT_GE(s.CI1, 0.0f);
}

// ---------------------------------------------------------------------------
// StudentT95

TEST(StudentT95Test, EveryStepOfTheTable)
{
    const struct {
        int n;
        float t;
    } cases[] = {
        {-5, 1.96f},  {0, 1.96f},    {1, 1.96f},    {2, 12.71f},  {3, 4.3f},    {4, 3.18f},    {5, 2.78f},
        {6, 2.57f},   {7, 2.45f},    {8, 2.36f},    {9, 2.31f},   {10, 2.26f},  {11, 2.23f},   {12, 2.2f},
        {13, 2.18f},  {14, 2.16f},   {15, 2.14f},   {16, 2.13f},  {17, 2.12f},  {18, 2.11f},   {19, 2.1f},
        {20, 2.09f},  {21, 2.09f},   {22, 2.08f},   {23, 2.07f},  {24, 2.07f},  {25, 2.06f},   {27, 2.06f},
        {28, 2.05f},  {29, 2.05f},   {30, 2.04f},   {34, 2.04f},  {35, 2.03f},  {39, 2.03f},   {40, 2.02f},
        {44, 2.02f},  {45, 2.01f},   {59, 2.01f},   {60, 2.0f},   {69, 2.0f},   {70, 1.99f},   {99, 1.99f},
        {100, 1.98f}, {159, 1.98f},  {160, 1.97f},  {999, 1.97f}, {1000, 1.96f}, {32767, 1.96f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StudentT95(c.n), c.t) << c.n;
}

} // namespace
