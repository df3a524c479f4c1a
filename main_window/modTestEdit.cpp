#include "main_window/modTestEdit.h"

#include "curves/modPDRCurve.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "main_window/modGrid.h"
#include "platform/Conversions.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace {

// Field of the warning sign in a data string.
constexpr int16_t WarningField = 14;
// Profiles of up to this many values are drawn one point per value.
constexpr int MostUnreducedValues = 100;
// The test type measured in two readings, the first waiting for the second.
constexpr int PressureDropTestType = 17;

int UpperBound(const PropertyBlock& block)
{
    return std::max(static_cast<int>(block.Values.size()) - 1, 0);
}

bool HasWarning(const TestValue& test)
{
    return test.Warning != 0 && test.Warning != ' ';
}

// The whole number nearest to x (halves to the even one), limited to 1..last.
int PointNumber(double x, int last)
{
    if (std::isnan(x))
        return 1;
    const double clipped = std::clamp(x, 0.0, static_cast<double>(last) + 1);
    return std::clamp(static_cast<int>(RoundHalfEven(clipped)), 1, last);
}

} // namespace

int TestIndexFromTag(const QString& tag, const PropertyBlock& block)
{
    bool ok = false;
    const int index = Trim(tag).toInt(&ok, 10);
    return ok && index >= 1 && index <= UpperBound(block) ? index : 0;
}

int ListedTestCount(const PropertyBlock& block)
{
    int count = 0;
    for (size_t i = 1; i < block.Values.size(); ++i)
        count += block.Values[i].Deleted ? 0 : 1;
    return count;
}

bool DeleteTest(PropertyBlock& block, int index, const QString& commentary)
{
    if (index < 1 || index > UpperBound(block))
        return false;
    TestValue& test = block.Values[static_cast<size_t>(index)];
    test.Deleted = true;
    test.Commentary = Trim(commentary);

    // The block shows a warning only while a test that counts carries one.
    if (HasWarning(test)) {
        const bool warned = std::any_of(block.Values.begin(), block.Values.end(),
                                        [](const TestValue& v) { return !v.Deleted && HasWarning(v); });
        if (!warned)
            block.Header = SetDataStringField(block.Header, WarningField, QStringLiteral(" "));
    }

    if (ListedTestCount(block) > 0)
        return false;
    // Nothing measured is left, but a lateral-air value found before the
    // tests still applies to the tests to come.
    const bool lateralAirOn = block.LateralAirOn;
    const float lateralAir = block.LateralAir;
    block = EmptyPropertyBlock;
    block.LateralAirOn = lateralAirOn;
    block.LateralAir = lateralAir;
    return true;
}

Statistics EditedStatistics(const PropertyBlock& block, int testType)
{
    if (testType != PressureDropTestType || block.Values.size() < 2 || pdrIsLastTestComplete(block))
        return CalcMeanSdCvCi(block.Values);
    std::vector<TestValue> complete(block.Values.begin(), block.Values.end() - 1);
    return CalcMeanSdCvCi(complete);
}

int ProfileClickTest(const Protocol& protocol, int result, double x)
{
    const int property = protocol.CurrentProperty;
    if (property < 1 || property > PropertyCount)
        return 0;
    const int n = ListedTestCount(protocol.Blocks[static_cast<size_t>(property)]);
    if (n == 0)
        return 0;
    const Profile profile = ComputeProfile(protocol, property, result);
    // One point per listed test (also when no profile could be drawn).
    if (n <= MostUnreducedValues || static_cast<int>(profile.Values.size()) - 1 != n)
        return TestEntryIndex(protocol, PointNumber(x, n) - 1);

    // The runs of the reduced profile: a minimum and a maximum for each run
    // of 2 x step tests, then the tests that fill no whole run.
    int step = 2;
    while (MostUnreducedValues * step <= n)
        step *= 2;
    const int run = 2 * step;
    const int runs = n / run;
    const int points = 2 * runs + (n - runs * run);
    const int point = PointNumber(x, points);
    if (point > 2 * runs)
        return TestEntryIndex(protocol, runs * run + (point - 2 * runs) - 1);

    const int k = (point + 1) / 2;
    float min = 0;
    float max = 0;
    MinMaxInRange(profile, step, k * run, min, max);
    const float wanted = point % 2 == 1 ? min : max;
    int position = (k - 1) * run + 1;
    for (int i = position; i <= k * run; ++i) {
        if (profile.Values[static_cast<size_t>(i)] == wanted) {
            position = i;
            break;
        }
    }
    return TestEntryIndex(protocol, position - 1);
}
