#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <tuple>
#include <vector>

namespace {

const float none = NoValue;

// Sums, mean, extremes, CV and CI of one result, worked out by hand:
// variance |SumSq - Mean x Sum| / (n - 1) with the mean as the stored Single,
// CV = SD x 100 / Mean, CI = t(n) x CV / sqrt(n) over the n values present.
struct Result {
    double Sum, SumSq;
    float Mean, Min, Max, CV, CI;
};

TEST(CalcMeanSdCvCiTest, WorkedExamples)
{
    const Result noValues{0, 0, none, none, none, none, none};
    const struct {
        const char* Name;
        std::vector<TestValue> Values;
        int32_t Count;
        Result One, Two;
    } cases[] = {
        {"10, 12, 14", SeriesValues({SeriesTest(10), SeriesTest(12), SeriesTest(14)}), 3,
         {36, 440, 12, 10, 14, 16.666666f, 41.37677f}, noValues},
        // With the unrounded mean 10.2000001272 the CV would be 0.98039120.
        {"10.1, 10.2, 10.3 as Singles", SeriesValues({SeriesTest(10.1f), SeriesTest(10.2f), SeriesTest(10.3f)}), 3,
         {30.600000381469727, 312.14000774383567, 10.2f, 10.1f, 10.3f, 0.98062962f, 2.4345171f}, noValues},
        {"deleted tests and element 0 change nothing",
         [] {
             std::vector<TestValue> v = SeriesValues({SeriesTest(1000, 1000, "8", true), SeriesTest(10, 5),
                                                      SeriesTest(12, 6), SeriesTest(-3, 2, "8", true), SeriesTest(14, 7)});
             v[0].Value1 = v[0].Value2 = 5000;
             return v;
         }(),
         3, {36, 440, 12, 10, 14, 16.666666f, 41.37677f}, {18, 110, 6, 5, 7, 16.666666f, 41.37677f}},
        {"missing values count but stay out of their result, t for two values 12.71",
         SeriesValues({SeriesTest(10, 5), SeriesTest(NoValue, 7), SeriesTest(14, NoValue)}), 3,
         {24, 296, 12, 10, 14, 23.570227f, 211.83334f}, {12, 74, 6, 5, 7, 23.570227f, 211.83334f}},
        {"a single test: no spread", SeriesValues({SeriesTest(7.5f, 2)}), 1,
         {7.5, 56.25, 7.5f, 7.5f, 7.5f, none, none}, {2, 4, 2, 2, 2, none, none}},
        {"pass/fail is only summed; result 2 gets no spread either",
         SeriesValues({SeriesTest(1, 10, "y"), SeriesTest(0, 12, "y"), SeriesTest(1, 14, "y")}), 3,
         {2, 0, 2.0f / 3, none, none, none, none}, {36, 440, 12, 10, 14, none, none}},
        {"pass/fail with every test failed: 0 %", SeriesValues({SeriesTest(0, NoValue, "y"), SeriesTest(0, NoValue, "y")}),
         2, {0, 0, 0, none, none, none, none}, noValues},
        {"no mean from a sum of 0", SeriesValues({SeriesTest(0, -1), SeriesTest(0, -2)}), 2,
         {0, 0, none, 0, 0, none, none}, {-3, 5, none, -2, -1, none, none}},
        {"no mean from a negative sum", SeriesValues({SeriesTest(-5), SeriesTest(3)}), 2,
         {-2, 34, none, -5, 3, none, none}, noValues},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const Statistics s = CalcMeanSdCvCi(c.Values);
        EXPECT_EQ(s.Count, c.Count);
        const Result got[] = {{s.Sum1, s.SumSq1, s.Mean1, s.Min1, s.Max1, s.CV1, s.CI1},
                              {s.Sum2, s.SumSq2, s.Mean2, s.Min2, s.Max2, s.CV2, s.CI2}};
        const Result* expected[] = {&c.One, &c.Two};
        for (int r = 0; r < 2; ++r) {
            SCOPED_TRACE(r + 1);
            EXPECT_EQ(std::tuple(got[r].Sum, got[r].SumSq, got[r].Min, got[r].Max),
                      std::tuple(expected[r]->Sum, expected[r]->SumSq, expected[r]->Min, expected[r]->Max));
            EXPECT_FLOAT_EQ(got[r].Mean, expected[r]->Mean);
            EXPECT_FLOAT_EQ(got[r].CV, expected[r]->CV);
            EXPECT_FLOAT_EQ(got[r].CI, expected[r]->CI);
        }
    }

    EXPECT_TRUE(IsEmptyStatistics(CalcMeanSdCvCi({})));
    EXPECT_TRUE(IsEmptyStatistics(CalcMeanSdCvCi(SeriesValues({SeriesTest(5, 5, "8", true)}))));

    // Rounding of the sums of equal values leaves at most a trace of spread,
    // never a negative variance.
    const Statistics equal =
        CalcMeanSdCvCi(SeriesValues({SeriesTest(0.1f), SeriesTest(0.1f), SeriesTest(0.1f), SeriesTest(0.1f)}));
    EXPECT_GE(equal.CV1, 0.0f);
    EXPECT_LT(equal.CV1, 1e-3f);
    EXPECT_GE(equal.CI1, 0.0f);
}

TEST(CalcMeanSdCvCiTest, PassFailIsDecidedOnceForTheBlock)
{
    // Tests of two units in one block (a damaged or foreign file): the block's
    // unit decides, given or taken from its first test not deleted.
    const float none = NoValue;
    // Unit nullptr: the block's unit is taken from its tests.
    const struct { const char* Name; std::vector<TestValue> Values; const char* Unit; double Sum1, SumSq1;
                   float Mean1, Min1, Max1; bool Spread; } cases[] = {
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
        EXPECT_EQ(std::tuple(s.Sum1, s.SumSq1, s.Min1, s.Max1, s.CV1 != NoValue, s.CI1 != NoValue),
                  std::tuple(c.Sum1, c.SumSq1, c.Min1, c.Max1, c.Spread, c.Spread));
        EXPECT_FLOAT_EQ(s.Mean1, c.Mean1);
    }
}

TEST(CalcMeanSdCvCiTest, ValuesThatAreNotFiniteAreMissing)
{
    // A stored NaN (bytes 00 00 C0 7F) or infinity counts as a test without its value.
    const float nan = std::bit_cast<float>(0x7FC00000u);
    const float inf = std::numeric_limits<float>::infinity();
    const Statistics clean =
        CalcMeanSdCvCi(SeriesValues({SeriesTest(10, 5), SeriesTest(NoValue, NoValue), SeriesTest(14, 7)}));
    for (const float bad : {nan, inf, -inf}) {
        SCOPED_TRACE(bad);
        const Statistics s = CalcMeanSdCvCi(SeriesValues({SeriesTest(10, 5), SeriesTest(bad, bad), SeriesTest(14, 7)}));
        EXPECT_EQ(s, clean);
        const Statistics passFail = CalcMeanSdCvCi(
            SeriesValues({SeriesTest(1, NoValue, "y"), SeriesTest(bad, NoValue, "y"), SeriesTest(0, NoValue, "y")}));
        EXPECT_EQ(passFail.Sum1, 1.0);
        EXPECT_EQ(passFail.Mean1, 0.5f);
    }
}

TEST(StudentT95Test, StepsOfTheTable)
{
    // The single values at the small counts and the ends of the ranges above.
    const struct { int n; float t; } cases[] = {
        {-5, 1.96f},  {1, 1.96f},    {2, 12.71f},  {3, 4.3f},    {12, 2.2f},   {19, 2.1f},   {20, 2.09f}, {22, 2.08f},
        {27, 2.06f},  {28, 2.05f},   {44, 2.02f},  {45, 2.01f},  {69, 2.0f},   {70, 1.99f},  {99, 1.99f}, {100, 1.98f},
        {159, 1.98f}, {160, 1.97f},  {999, 1.97f}, {1000, 1.96f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StudentT95(c.n), c.t) << c.n;
}

// Every step: each single count from 2 to 19 and both ends of every range, so
// that neither a constant nor the edge of a range can move unseen.
TEST(StudentT95Test, EveryStepOfTheTable)
{
    const struct { int n; float t; } cases[] = {
        {-5, 1.96f},  {0, 1.96f},    {1, 1.96f},    {2, 12.71f},  {3, 4.3f},    {4, 3.18f},    {5, 2.78f},
        {6, 2.57f},   {7, 2.45f},    {8, 2.36f},    {9, 2.31f},   {10, 2.26f},  {11, 2.23f},   {12, 2.2f},
        {13, 2.18f},  {14, 2.16f},   {15, 2.14f},   {16, 2.13f},  {17, 2.12f},  {18, 2.11f},   {19, 2.1f},
        {20, 2.09f},  {21, 2.09f},   {22, 2.08f},   {23, 2.07f},  {24, 2.07f},  {25, 2.06f},   {27, 2.06f},
        {28, 2.05f},  {29, 2.05f},   {30, 2.04f},   {34, 2.04f},  {35, 2.03f},  {39, 2.03f},   {40, 2.02f},
        {44, 2.02f},  {45, 2.01f},   {59, 2.01f},   {60, 2.0f},   {69, 2.0f},   {70, 1.99f},   {99, 1.99f},
        {100, 1.98f}, {159, 1.98f},  {160, 1.97f},  {999, 1.97f}, {1000, 1.96f}, {32767, 1.96f},
    };
    static_assert(std::size(cases) == 48);
    for (const auto& c : cases)
        EXPECT_EQ(StudentT95(c.n), c.t) << c.n;
}

} // namespace
