#include "instrument/modStatistic.h"

#include "foundation/modRecords.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

// The start of a running minimum: the largest value a Single test can hold,
// mirrored from NoValue.
constexpr float TopValue = std::bit_cast<float>(0x7F7FFFFDu);

// Unit code "1/0": result 1 is 1 (passed) or 0 (failed).
const std::string PassFailUnitCode = "y";

void TakeExtremes(float value, float& min, float& max)
{
    if (min == NoValue)
        min = TopValue;
    if (value < min)
        min = value;
    if (value > max)
        max = value;
}

// CV and CI of one result over its `present` values; nothing when the mean
// is missing or not positive, or fewer than two values are present.
void SpreadOf(double sum, double sumSq, float mean, int32_t present, float& cv, float& ci)
{
    if (!(mean > 0.0f) || present < 2)
        return;
    const double variance = std::fabs(sumSq - static_cast<double>(mean) * sum) / (present - 1);
    cv = static_cast<float>(std::sqrt(variance) * 100.0 / mean);
    ci = static_cast<float>(StudentT95(present) * static_cast<double>(cv) / std::sqrt(static_cast<double>(present)));
}

} // namespace

// ---------------------------------------------------------------------------
// Series statistics

Statistics CalcMeanSdCvCi(const std::vector<TestValue>& values)
{
    Statistics s = MakeEmptyStatistics();
    bool passFail = false;
    int32_t present1 = 0;
    int32_t present2 = 0;
    for (size_t i = 1; i < values.size(); ++i) {
        const TestValue& test = values[i];
        if (test.Deleted)
            continue;
        ++s.Count;
        if (test.Value1 != NoValue) {
            ++present1;
            s.Sum1 += test.Value1;
            if (test.Unit1 == PassFailUnitCode) {
                passFail = true;
                s.Min1 = NoValue;
                s.Max1 = NoValue;
            } else {
                s.SumSq1 += static_cast<double>(test.Value1) * test.Value1;
                TakeExtremes(test.Value1, s.Min1, s.Max1);
            }
        }
        if (test.Value2 != NoValue) {
            ++present2;
            s.Sum2 += test.Value2;
            s.SumSq2 += static_cast<double>(test.Value2) * test.Value2;
            TakeExtremes(test.Value2, s.Min2, s.Max2);
        }
    }
    // A pass/fail result where every test failed still has its share of
    // passes: 0.
    if (present1 > 0 && (s.Sum1 > 0 || passFail))
        s.Mean1 = static_cast<float>(s.Sum1 / present1);
    if (present2 > 0 && s.Sum2 > 0)
        s.Mean2 = static_cast<float>(s.Sum2 / present2);
    if (passFail)
        return s;
    SpreadOf(s.Sum1, s.SumSq1, s.Mean1, present1, s.CV1, s.CI1);
    SpreadOf(s.Sum2, s.SumSq2, s.Mean2, present2, s.CV2, s.CI2);
    return s;
}

float StudentT95(int n)
{
    struct Step {
        int upTo;
        float t;
    };
    static const Step table[] = {
        {1, 1.96f},   {2, 12.71f},  {3, 4.3f},    {4, 3.18f},   {5, 2.78f},   {6, 2.57f},   {7, 2.45f},
        {8, 2.36f},   {9, 2.31f},   {10, 2.26f},  {11, 2.23f},  {12, 2.2f},   {13, 2.18f},  {14, 2.16f},
        {15, 2.14f},  {16, 2.13f},  {17, 2.12f},  {18, 2.11f},  {19, 2.1f},   {21, 2.09f},  {22, 2.08f},
        {24, 2.07f},  {27, 2.06f},  {29, 2.05f},  {34, 2.04f},  {39, 2.03f},  {44, 2.02f},  {59, 2.01f},
        {69, 2.0f},   {99, 1.99f},  {159, 1.98f}, {999, 1.97f},
    };
    for (const Step& step : table) {
        if (n <= step.upTo)
            return step.t;
    }
    return 1.96f;
}
