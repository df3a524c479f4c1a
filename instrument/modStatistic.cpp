#include "instrument/modStatistic.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The start of a running minimum: the largest value a Single test can hold,
// mirrored from NoValue.
constexpr float TopValue = std::bit_cast<float>(0x7F7FFFFDu);

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

// A property whose expected data string gives result 1 the unit "1/0".
bool IsPassFailProperty(const DataStringRecord& header)
{
    const QString passFail = UnitText(PassFailUnitCode, Language);
    return !passFail.isEmpty() && header.ResultUnit == passFail;
}

const PropertyBlock* BlockOf(const Protocol& protocol, int property)
{
    if (property < 1 || property > PropertyCount)
        return nullptr;
    return &protocol.Blocks[static_cast<size_t>(property)];
}

float Nominal(const TestDefinition& d, int result)
{
    return result == 1 ? d.Nominal1 : d.Nominal2;
}

float Lower(const TestDefinition& d, int result)
{
    return result == 1 ? d.Lower1 : d.Lower2;
}

float Upper(const TestDefinition& d, int result)
{
    return result == 1 ? d.Upper1 : d.Upper2;
}

float ValueOf(const TestValue& test, int result)
{
    return result == 1 ? test.Value1 : test.Value2;
}

QString UnitOf(const DataStringRecord& header, int result)
{
    return result == 1 ? header.ResultUnit : header.Result2Unit;
}

void Raise(int16_t& count, int16_t& maxCount)
{
    if (count < std::numeric_limits<int16_t>::max())
        ++count;
    if (count > maxCount)
        maxCount = count;
}

} // namespace

// ---------------------------------------------------------------------------
// Series statistics

Statistics CalcMeanSdCvCi(const std::vector<TestValue>& values)
{
    // Every test of a block carries the block's units; the first test that
    // counts speaks for all.
    for (size_t i = 1; i < values.size(); ++i) {
        if (!values[i].Deleted)
            return CalcMeanSdCvCi(values, values[i].Unit1);
    }
    return CalcMeanSdCvCi(values, std::string());
}

Statistics CalcMeanSdCvCi(const std::vector<TestValue>& values, const std::string& resultUnitCode)
{
    Statistics s = MakeEmptyStatistics();
    // One decision for the whole result: a test of another unit among them
    // (from a damaged or foreign file) must not turn a measured result into
    // a share of passes, or the other way round.
    const bool passFail = IsPassFail(resultUnitCode);
    int32_t present1 = 0;
    int32_t present2 = 0;
    for (size_t i = 1; i < values.size(); ++i) {
        const TestValue& test = values[i];
        if (test.Deleted)
            continue;
        ++s.Count;
        if (IsPresentValue(test.Value1)) {
            ++present1;
            s.Sum1 += test.Value1;
            if (!passFail) {
                s.SumSq1 += static_cast<double>(test.Value1) * test.Value1;
                TakeExtremes(test.Value1, s.Min1, s.Max1);
            }
        }
        if (IsPresentValue(test.Value2)) {
            ++present2;
            s.Sum2 += test.Value2;
            s.SumSq2 += static_cast<double>(test.Value2) * test.Value2;
            TakeExtremes(test.Value2, s.Min2, s.Max2);
        }
    }
    // A measured result has a mean only when its sum is above 0; a pass/fail
    // result has its share of passes, 0 when every test failed.
    if (present1 > 0 && (s.Sum1 > 0 || (passFail && s.Sum1 >= 0)))
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

// ---------------------------------------------------------------------------
// Chart data

// The blank definition where the form, the item or the test type lies outside
// its range.
TestDefinition PropertyTestDefinition(const Protocol& protocol, int property)
{
    const int form = protocol.FormIndex;
    if (form < 1 || form > StyleFormCount || property < 1 || property > ReportFormItemCount)
        return MakeBlankTestDefinition();
    const int testType = protocol.Style.Forms[static_cast<size_t>(form)].Items[static_cast<size_t>(property)].Property;
    if (testType < 1 || testType > TestTypeCount)
        return MakeBlankTestDefinition();
    return protocol.Style.Tests[static_cast<size_t>(testType)];
}

ReportForm CurrentReportForm(const Protocol& protocol)
{
    if (protocol.FormIndex < 1 || protocol.FormIndex > StyleFormCount)
        return ReportForm{};
    return protocol.Style.Forms[static_cast<size_t>(protocol.FormIndex)];
}

ReportFormItem CurrentFormItem(const Protocol& protocol)
{
    if (protocol.CurrentProperty < 1 || protocol.CurrentProperty > ReportFormItemCount)
        return ReportFormItem{};
    const ReportFormItem item =
        CurrentReportForm(protocol).Items[static_cast<size_t>(protocol.CurrentProperty)];
    if (item.Property < 0 || item.Property > TestTypeCount)
        return ReportFormItem{};
    return item;
}

Histogram ComputeHistogram(const Protocol& protocol, int property, int result)
{
    const int r = result == 1 ? 1 : 2;
    const TestDefinition definition = PropertyTestDefinition(protocol, property);
    const DataStringRecord header = ParseDataString(definition.HeaderImage);
    if (IsPassFailProperty(header))
        return MakeEmptyHistogram();
    const float nominal = Nominal(definition, r);
    const float lower = Lower(definition, r);
    const float upper = Upper(definition, r);
    // The classes are laid out from the nominal value and both limits; without
    // a band there is nothing to lay out.
    if (!IsPresentValue(nominal) || !IsPresentValue(lower) || !IsPresentValue(upper) || !(upper > lower))
        return MakeEmptyHistogram();

    Histogram h = MakeEmptyHistogram();
    h.Nominal = nominal;
    h.Lower = lower;
    h.Upper = upper;
    h.Unit = UnitOf(header, r);
    const double start = 2.0 * lower - nominal;
    const double width = 2.0 * (static_cast<double>(upper) - lower) / 40.0;
    h.NominalClass = CInt((nominal - start) / width);
    h.LowerClass = CInt((lower - start) / width);
    h.UpperClass = CInt((upper - start) / width);

    const PropertyBlock* block = BlockOf(protocol, property);
    if (block) {
        for (size_t i = 1; i < block->Values.size(); ++i) {
            const TestValue& test = block->Values[i];
            const float value = ValueOf(test, r);
            // A NaN or infinity from a damaged file is as missing as NoValue;
            // as a class index it would be undefined.
            if (test.Deleted || !IsPresentValue(value))
                continue;
            const double k = RoundHalfEven((value - start) / width);
            if (k < 0)
                Raise(h.BelowCount, h.MaxCount);
            else if (k > 40)
                Raise(h.AboveCount, h.MaxCount);
            else
                Raise(h.Counts[static_cast<size_t>(k)], h.MaxCount);
        }
    }
    if (h.MaxCount < 1)
        h.MaxCount = 1;
    return h;
}

Profile ComputeProfile(const Protocol& protocol, int property, int result)
{
    const int r = result == 1 ? 1 : 2;
    const TestDefinition definition = PropertyTestDefinition(protocol, property);
    const DataStringRecord header = ParseDataString(definition.HeaderImage);
    if (IsPassFailProperty(header))
        return MakeEmptyProfile();
    const float nominal = Nominal(definition, r);
    if (!IsPresentValue(nominal))
        return MakeEmptyProfile();

    Profile profile = MakeEmptyProfile();
    profile.Nominal = nominal;
    profile.Lower = PresentOrNoValue(Lower(definition, r));
    profile.Upper = PresentOrNoValue(Upper(definition, r));
    profile.Unit = UnitOf(header, r);
    const PropertyBlock* block = BlockOf(protocol, property);
    if (block) {
        for (size_t i = 1; i < block->Values.size(); ++i) {
            if (!block->Values[i].Deleted)
                profile.Values.push_back(PresentOrNoValue(ValueOf(block->Values[i], r)));
        }
    }
    return profile;
}

Profile ReduceProfile(const Profile& profile)
{
    if (IsEmptyProfile(profile) || profile.Values.empty())
        return MakeEmptyProfile();
    const int n = static_cast<int>(profile.Values.size()) - 1;
    if (n < 101)
        return profile;

    Profile reduced = MakeEmptyProfile();
    reduced.Nominal = profile.Nominal;
    reduced.Lower = profile.Lower;
    reduced.Upper = profile.Upper;
    reduced.Unit = profile.Unit;
    // step = 2 to the power (integer part of log2(n / 100)) + 1, in whole
    // numbers so that exact powers of two take their own step.
    int step = 2;
    while (100 * step <= n)
        step *= 2;
    const int run = 2 * step;
    int end = run;
    for (; end <= n; end += run) {
        float min = 0;
        float max = 0;
        MinMaxInRange(profile, step, end, min, max);
        reduced.Values.push_back(min);
        reduced.Values.push_back(max);
    }
    for (int i = (n / run) * run + 1; i <= n; ++i)
        reduced.Values.push_back(profile.Values[static_cast<size_t>(i)]);
    return reduced;
}

void MinMaxInRange(const Profile& profile, int step, int end, float& min, float& max)
{
    min = TopValue;
    max = NoValue;
    const int size = static_cast<int>(profile.Values.size());
    for (int i = end - 2 * step + 1; i <= end; ++i) {
        if (i < 0 || i >= size)
            continue;
        const float value = profile.Values[static_cast<size_t>(i)];
        if (value < min)
            min = value;
        if (value > max)
            max = value;
    }
}

DeviationData ComputeDeviationData(const Protocol& protocol, float selectedValue, int result)
{
    const int r = result == 1 ? 1 : 2;
    const int property = protocol.CurrentProperty;
    const TestDefinition definition = PropertyTestDefinition(protocol, property);
    if (IsPassFailProperty(ParseDataString(definition.HeaderImage)) || !IsPresentValue(selectedValue))
        return MakeEmptyDeviationData();

    // The statistics come from the file as stored; what is not finite there
    // is drawn as missing.
    DeviationData d = MakeEmptyDeviationData();
    d.Nominal = PresentOrNoValue(Nominal(definition, r));
    d.Lower = PresentOrNoValue(Lower(definition, r));
    d.Upper = PresentOrNoValue(Upper(definition, r));
    if (const PropertyBlock* block = BlockOf(protocol, property)) {
        const Statistics& s = block->Stats;
        d.Min = PresentOrNoValue(r == 1 ? s.Min1 : s.Min2);
        d.Max = PresentOrNoValue(r == 1 ? s.Max1 : s.Max2);
        d.Mean = PresentOrNoValue(r == 1 ? s.Mean1 : s.Mean2);
    }
    d.Value = selectedValue;
    return d;
}

void DefaultLimitsFromMean(const Statistics& statistics, TestDefinition& definition)
{
    if (IsPresentValue(statistics.Mean1) && !definition.Defined1) {
        const float d = statistics.Mean1 / 100.0f * 10.0f;
        definition.Nominal1 = statistics.Mean1;
        definition.Lower1 = statistics.Mean1 - d;
        definition.Upper1 = d + statistics.Mean1;
    }
    if (IsPresentValue(statistics.Mean2) && !definition.Defined2) {
        const float d = statistics.Mean2 / 100.0f * 10.0f;
        definition.Nominal2 = statistics.Mean2;
        definition.Lower2 = statistics.Mean2 - d;
        definition.Upper2 = d + statistics.Mean2;
    }
}

TestDefinition PrescribedDefinition(const TestDefinition& definition)
{
    TestDefinition prescribed = definition;
    const auto keep = [](bool defined, float& value) {
        if (!defined)
            value = NoValue;
        value = PresentOrNoValue(value);
    };
    keep(prescribed.Defined1, prescribed.Nominal1);
    keep(prescribed.Defined1, prescribed.Lower1);
    keep(prescribed.Defined1, prescribed.Upper1);
    keep(prescribed.Defined2, prescribed.Nominal2);
    keep(prescribed.Defined2, prescribed.Lower2);
    keep(prescribed.Defined2, prescribed.Upper2);
    return prescribed;
}
