#include "styles/NominalArea.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modPropertyText.h"
#include "platform/Conversions.h"

#include <cmath>

namespace {

using P = PageControl;

constexpr double LowestValue = 0.0001;
constexpr double HighestValue = 999999;
constexpr int PassFailTestType = 13;

// The tops in twips of the four parameter frames of the pass/fail page, moved
// up into the room of its hidden unit frame.
constexpr int PassFailFrameTops[4] = {60, 1860, 3300, 5100};

struct ResultBoxes {
    PageControl Nominal;
    PageControl Lower;
    PageControl Upper;
    PageControl CI;
};
constexpr ResultBoxes Result1{P::txtNominal1, P::txtLLimit1, P::txtULimit1, P::txtCI1};
constexpr ResultBoxes Result2{P::txtNominal2, P::txtLLimit2, P::txtULimit2, P::txtCI2};

// The value of a box that holds a number in the locale's notation.
bool BoxNumber(const NominalArea& area, PageControl box, double& value)
{
    const QString& text = area[box];
    if (!IsNumeric(text))
        return false;
    value = CDbl(text);
    return std::isfinite(value);
}

// The box as a Single; NoValue when it holds no number or none a Single holds.
float BoxSingle(const NominalArea& area, PageControl box)
{
    double value = 0;
    if (!BoxNumber(area, box, value))
        return NoValue;
    const float single = static_cast<float>(value);
    return std::isfinite(single) ? single : NoValue;
}

// Reads nominal value and limits; the result is defined when all three hold numbers.
bool ReadResult(const NominalArea& area, const ResultBoxes& boxes, float& nominal, float& lower, float& upper)
{
    nominal = BoxSingle(area, boxes.Nominal);
    lower = BoxSingle(area, boxes.Lower);
    upper = BoxSingle(area, boxes.Upper);
    return nominal != NoValue && lower != NoValue && upper != NoValue;
}

void CheckResult(const NominalArea& area, const ResultBoxes& boxes, PageControl& result)
{
    const PageControl three[3] = {boxes.Nominal, boxes.Lower, boxes.Upper};
    double values[3] = {0, 0, 0};
    bool numbers[3] = {false, false, false};
    for (size_t i = 0; i < 3; ++i)
        numbers[i] = BoxNumber(area, three[i], values[i]);
    if (numbers[0] && numbers[1] && numbers[2]) {
        if (!(values[1] <= values[0] && values[0] <= values[2]))
            result = boxes.Nominal;
        for (size_t i = 0; i < 3; ++i) {
            if (!IsBetween(values[i], LowestValue, HighestValue))
                result = three[i];
        }
    } else if (numbers[0] || numbers[1] || numbers[2]) {
        // A nominal value needs both limits and a limit its nominal value. A
        // box that holds something other than a number (a separator alone)
        // is missing as much as an empty one.
        for (size_t i = 0; i < 3; ++i) {
            if (!numbers[i])
                result = three[i];
        }
    }
    double ci = 0;
    if (!area[boxes.CI].isEmpty() && !(BoxNumber(area, boxes.CI, ci) && IsBetween(ci, 0, 100)))
        result = boxes.CI;
}

QString RangeTip(const QString& unit)
{
    return CStr(LowestValue) + QStringLiteral(" - ") + CStr(HighestValue) + QStringLiteral(" ") + unit;
}

} // namespace

QString NominalText(float value)
{
    return IsPresentValue(value) ? CStr(value) : QString();
}

void ShowNominals(NominalArea& area, const TestDefinition& definition)
{
    area[P::txtNominal1] = NominalText(definition.Nominal1);
    area[P::txtNominal2] = NominalText(definition.Nominal2);
    area[P::txtLLimit1] = NominalText(definition.Lower1);
    area[P::txtLLimit2] = NominalText(definition.Lower2);
    area[P::txtULimit1] = NominalText(definition.Upper1);
    area[P::txtULimit2] = NominalText(definition.Upper2);
    area[P::txtCI1] = NominalText(definition.CI1);
    area[P::txtCI2] = NominalText(definition.CI2);
    const int count = definition.TestCount == 0 ? TestCountItems : definition.TestCount;
    area.TestIndex = count >= 1 && count <= TestCountItems ? count - 1 : -1;
}

void ReadNominals(const NominalArea& area, int testType, const PageContext& context, TestDefinition& definition)
{
    definition.Defined1 = ReadResult(area, Result1, definition.Nominal1, definition.Lower1, definition.Upper1);
    definition.CI1 = BoxSingle(area, P::txtCI1);
    if (IsPassFailPage(testType, context)) {
        definition.Lower1 = NoValue;
        definition.Upper1 = NoValue;
        definition.CI1 = NoValue;
        definition.Defined1 = true;
    }
    if (area.IsVisible(P::txtNominal2)) {
        definition.Defined2 = ReadResult(area, Result2, definition.Nominal2, definition.Lower2, definition.Upper2);
        definition.CI2 = BoxSingle(area, P::txtCI2);
    } else {
        definition.Defined2 = false;
        definition.Nominal2 = NoValue;
        definition.Lower2 = NoValue;
        definition.Upper2 = NoValue;
        definition.CI2 = NoValue;
    }
    definition.TestCount = static_cast<int16_t>(area.TestIndex >= 0 && area.TestIndex < TestCountItems
                                                    ? area.TestIndex + 1
                                                    : TestCountItems);
}

PageControl ValidateNominals(const NominalArea& area, int testType, const PageContext& context)
{
    PageControl result = P::None;
    if (IsPassFailPage(testType, context)) {
        // Limits and confidence interval are hidden and not kept, whatever
        // they held before the KR 6100-III was configured.
        double share = 0;
        if (!area[P::txtNominal1].isEmpty() && !(BoxNumber(area, P::txtNominal1, share) && IsBetween(share, 0, 100)))
            result = P::txtNominal1;
    } else {
        CheckResult(area, Result1, result);
    }
    if (area.IsVisible(P::txtNominal2))
        CheckResult(area, Result2, result);
    return result;
}

bool HasSecondResult(int testType, const PageContext& context)
{
    return ResultCountByTestType(testType) == 2 || ((testType == 11 || testType == 12) && context.HasKR6100III);
}

bool IsPassFailPage(int testType, const PageContext& context)
{
    return testType == PassFailTestType && context.HasKR6100III;
}

void ArrangeTestPage(int testType, NominalArea& area, TestPages& pages, const PageContext& context)
{
    const bool two = HasSecondResult(testType, context);
    for (const PageControl box : {P::txtNominal2, P::txtLLimit2, P::txtULimit2, P::txtCI2})
        area.SetVisible(box, two);
    const bool passFail = IsPassFailPage(testType, context);
    for (const PageControl box : {P::txtLLimit1, P::txtULimit1, P::txtCI1})
        area.SetVisible(box, !passFail);
    TestPage& page13 = pages[PassFailTestType];
    page13[P::fraUnit].Visible = !passFail;
    if (passFail) {
        for (int k = 1; k <= 4; ++k)
            page13[FraSample(k)].Top = PassFailFrameTops[k - 1];
    }
    if (testType == 1) {
        for (int k = 1; k <= 4; ++k)
            pages[1][FraSample(k)].Visible = !ParameterNames(1, static_cast<int16_t>(k), Language).isEmpty();
    }
}

QString NominalTip(PageControl box, const TestPage& page, const PageContext& context)
{
    static const char* const passedTests[5] = {"bestandene Tests", "passed tests", "essais passés", "prove superate",
                                               "pruebas con éxito"};
    const int t = page.TestType;
    switch (box) {
    case P::txtNominal1:
        if (IsPassFailPage(t, context)) {
            const QString words = Language >= 1 && Language <= 5 ? QString::fromUtf8(passedTests[Language - 1]) : QString();
            return QStringLiteral("0 - 100% ") + words;
        }
        [[fallthrough]];
    case P::txtLLimit1:
    case P::txtULimit1:
        return RangeTip(ListText(page[P::cboUnit1]));
    case P::txtNominal2:
    case P::txtLLimit2:
    case P::txtULimit2:
        // The hydrostatic-head pages measure their second drop in the unit of the first.
        return RangeTip(ListText(page[t >= 11 && t <= 13 ? P::cboUnit1 : P::cboUnit2]));
    case P::txtCI1:
    case P::txtCI2:
        return QStringLiteral("0.0 - 100.0%");
    default:
        return QString();
    }
}
