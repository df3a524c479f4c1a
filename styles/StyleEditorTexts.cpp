#include "styles/StyleEditorTexts.h"

#include "foundation/modGeneral.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "platform/Conversions.h"

#include <array>

namespace {

using P = PageControl;

const char* const CaptionTable[7][5] = {
    {"Artikel", "Styles", "Articles", "Articolo", "Articulos"},
    {"Einheit", "Unit", "Unité", "Unità", "Unidad"},
    {"Soll:", "Nominal:", "Nominale:", "Nominale:", "Nominal:"},
    {"Min:", "Min:", "Min:", "Min:", "Min:"},
    {"Max:", "Max:", "Max:", "Mas:", "Max:"},
    {"VB:", "CI:", "IC:", "IC:", "IC:"},
    {"Anzahl:", "Tests:", "Nb. mes.:", "No. mis.:", "No. med.:"},
};

// ---------------------------------------------------------------------------
// Tips. The range of a box may depend on a unit option or on the result
// unit; the unit shown is a list's text, a caption, the set option's caption
// or the text of a fixed code.

enum class TipCondition {
    Always,       // the first range
    AnyOptionSet, // the first range while one of the options is set
    UnitListIs,   // the first range while the list shows the unit text of the code
};
enum class TipUnit { None, ListText, Caption, SetOption, Code };

struct TipRule {
    int16_t TestType;
    PageControl Box;
    TipCondition Condition;
    std::array<PageControl, 2> ConditionControls;
    int ConditionCode;
    // nullptr stands for the general range, 0.0001 to 999999 in the locale's notation.
    const char* Low1;
    const char* High1;
    const char* Low2;
    const char* High2;
    TipUnit Unit;
    std::array<PageControl, 3> UnitControls;   // the options in order, or the list or label first
    int UnitCode;
};

constexpr std::array<PageControl, 2> NoControls{P::None, P::None};
constexpr std::array<PageControl, 3> NoUnit{P::None, P::None, P::None};
constexpr std::array<PageControl, 3> Options1{P::optSample1Unit1, P::optSample1Unit2, P::None};
constexpr std::array<PageControl, 3> Options1Of3{P::optSample1Unit1, P::optSample1Unit2, P::optSample1Unit3};
constexpr std::array<PageControl, 3> Options3Of3{P::optSample3Unit1, P::optSample3Unit2, P::optSample3Unit3};
constexpr std::array<PageControl, 3> Options4{P::optSample4Unit1, P::optSample4Unit2, P::None};

constexpr std::array<PageControl, 3> Only(PageControl control)
{
    return {control, P::None, P::None};
}

TipRule Fixed(int16_t t, PageControl box, const char* low, const char* high, TipUnit unit,
              std::array<PageControl, 3> unitControls, int code = 0)
{
    return {t, box, TipCondition::Always, NoControls, 0, low, high, low, high, unit, unitControls, code};
}

TipRule ByOption(int16_t t, PageControl box, std::array<PageControl, 2> options, const char* low1, const char* high1,
                 const char* low2, const char* high2, TipUnit unit, std::array<PageControl, 3> unitControls)
{
    return {t, box, TipCondition::AnyOptionSet, options, 0, low1, high1, low2, high2, unit, unitControls, 0};
}

TipRule ByDensityUnit(PageControl box)
{
    // Thread density in /cm, else in /in or /pm.
    return {15, box, TipCondition::UnitListIs, {P::cboUnit1, P::None}, 112, "8", "300", "20", "833",
            TipUnit::ListText, Only(P::cboUnit1), 0};
}

const std::vector<TipRule>& TipRules()
{
    static const std::vector<TipRule> rules = {
        Fixed(1, P::txtSample1, nullptr, nullptr, TipUnit::ListText, Only(P::cboSample1Unit)),
        Fixed(2, P::txtSample1, "1.0", "10000.0", TipUnit::SetOption, Options1),
        Fixed(3, P::txtSample1, "1.0", "10000.0", TipUnit::SetOption, Options1),
        Fixed(4, P::txtSample1, "1.0", "10000.0", TipUnit::Caption, Only(P::lblSample1Unit)),
        ByOption(7, P::txtSample1, {P::optSample1Unit1, P::None}, "10.0", "500.0", "0.5", "20.0",
                 TipUnit::SetOption, Options1),
        ByOption(8, P::txtSample1, {P::optSample1Unit1, P::None}, "10.0", "500.0", "0.5", "20.0",
                 TipUnit::SetOption, Options1),
        ByOption(9, P::txtSample1, {P::optSample1Unit1, P::None}, "100", "999", "4.0", "40.0", TipUnit::SetOption,
                 Options1),
        Fixed(10, P::txtSample1, "1", "400", TipUnit::Caption, Only(P::lblSample1Unit)),
        ByOption(11, P::txtSample1, {P::optSample1Unit1, P::optSample1Unit2}, "1", "2000", "10", "20000",
                 TipUnit::SetOption, Options1Of3),
        Fixed(16, P::txtSample1, "1", "2500", TipUnit::Caption, Only(P::lblSample1Unit)),
        Fixed(17, P::txtSample1, "98", "2500", TipUnit::Code, NoUnit, 63),
        Fixed(1, P::txtSample2, nullptr, nullptr, TipUnit::ListText, Only(P::cboSample2Unit)),
        ByOption(9, P::txtSample2, {P::optSample1Unit1, P::None}, "0.1", "999.9", "0.01", "40.00", TipUnit::Caption,
                 Only(P::lblSample2Unit)),
        Fixed(10, P::txtSample2, "1", "10000", TipUnit::None, NoUnit),
        Fixed(17, P::txtSample2, "98", "2500", TipUnit::Code, NoUnit, 63),
        Fixed(18, P::txtSample2, "1", "400", TipUnit::Caption, Only(P::lblSample2Unit)),
        Fixed(1, P::txtSample3, nullptr, nullptr, TipUnit::ListText, Only(P::cboSample3Unit)),
        ByOption(13, P::txtSample3, {P::optSample3Unit1, P::optSample3Unit2}, "1", "2000", "10", "20000",
                 TipUnit::SetOption, Options3Of3),
        ByDensityUnit(P::txtSample3),
        Fixed(1, P::txtSample4, nullptr, nullptr, TipUnit::ListText, Only(P::cboSample4Unit)),
        Fixed(13, P::txtSample4, "3.0", "5.0", TipUnit::Caption, Only(P::lblSample4Unit)),
        ByDensityUnit(P::txtSample4),
        ByOption(17, P::txtSample4, {P::optSample4Unit1, P::None}, "0.0001", "10", "0.02", "2000", TipUnit::SetOption,
                 Options4),
    };
    return rules;
}

bool FirstRange(const TipRule& rule, const TestPage& page)
{
    switch (rule.Condition) {
    case TipCondition::Always:
        return true;
    case TipCondition::AnyOptionSet:
        for (const PageControl option : rule.ConditionControls) {
            if (option != P::None && page[option].Value)
                return true;
        }
        return false;
    case TipCondition::UnitListIs:
        return ListText(page[rule.ConditionControls[0]]) == UnitTextOf(rule.ConditionCode);
    }
    return true;
}

QString TipUnitText(const TipRule& rule, const TestPage& page)
{
    switch (rule.Unit) {
    case TipUnit::None:
        return QString();
    case TipUnit::ListText:
        return ListText(page[rule.UnitControls[0]]);
    case TipUnit::Caption:
        return page[rule.UnitControls[0]].Text;
    case TipUnit::SetOption:
        if (rule.UnitControls[2] == P::None)
            return SetOptionCaption(page, {rule.UnitControls[0], rule.UnitControls[1]});
        return SetOptionCaption(page, {rule.UnitControls[0], rule.UnitControls[1], rule.UnitControls[2]});
    case TipUnit::Code:
        return UnitTextOf(rule.UnitCode);
    }
    return QString();
}

// ---------------------------------------------------------------------------
// Key filters of the parameter boxes: the test types whose box takes one
// decimal separator. The boxes of every other test type but keyboard input
// take digits only.

struct KeyFilterRule {
    PageControl Box;
    std::vector<int> Decimals;
};

const std::vector<KeyFilterRule>& KeyFilterRules()
{
    static const std::vector<KeyFilterRule> rules = {
        {P::txtSample1, {2, 3, 4, 7, 8, 9}},
        {P::txtSample2, {9}},
        {P::txtSample3, {15}},
        {P::txtSample4, {13, 15, 17}},
    };
    return rules;
}

} // namespace

QString StyleEditorCaption(StyleCaption entry, int16_t language)
{
    const int row = static_cast<int>(entry);
    if (row < 1 || row > 7 || language < 1 || language > 5)
        return QString();
    return QString::fromUtf8(CaptionTable[row - 1][language - 1]);
}

const std::vector<UnitCaption>& UnitCaptions()
{
    static const std::vector<UnitCaption> captions = {
        {2, P::optSample1Unit1, 36},  {2, P::optSample1Unit2, 38},  {3, P::optSample1Unit1, 36},
        {3, P::optSample1Unit2, 38},  {4, P::lblSample1Unit, 41},   {7, P::optSample1Unit1, 34},
        {7, P::optSample1Unit2, 37},  {8, P::optSample1Unit1, 34},  {8, P::optSample1Unit2, 37},
        {9, P::optSample1Unit1, 34},  {9, P::optSample1Unit2, 37},  {9, P::lblSample2Unit, 78},
        {10, P::lblSample1Unit, 105}, {11, P::optSample1Unit1, 67}, {11, P::optSample1Unit2, 70},
        {11, P::optSample1Unit3, 71}, {11, P::lblSample2Unit, 41},  {12, P::lblSample1Unit, 92},
        {12, P::lblSample2Unit, 41},  {13, P::lblSample1Unit, 69},  {13, P::lblSample2Unit, 41},
        {13, P::optSample3Unit1, 67}, {13, P::optSample3Unit2, 70}, {13, P::optSample3Unit3, 71},
        {14, P::lblSample1Unit, 41},  {14, P::lblSample2Unit, 72},  {15, P::lblSample1Unit, 34},
        {16, P::lblSample1Unit, 63},  {16, P::lblSample2Unit, 41},  {17, P::optSample4Unit1, 74},
        {17, P::optSample4Unit2, 83}, {18, P::lblSample1Unit, 47},  {18, P::lblSample2Unit, 65},
        {18, P::lblSample3Unit, 65},  {19, P::lblSample2Unit, 55},
    };
    return captions;
}

void SetPageCaptions(TestPage& page, int16_t language)
{
    for (int k = 1; k <= 4; ++k) {
        const QString name = ParameterNames(page.TestType, static_cast<int16_t>(k), language);
        PageControlState& frame = page[FraSample(k)];
        if (frame.Present && !name.isEmpty())
            frame.Text = name;
    }
    if (page[PageControl::fraUnit].Present)
        page[PageControl::fraUnit].Text = StyleEditorCaption(StyleCaption::Unit, language);
    for (const UnitCaption& caption : UnitCaptions()) {
        if (caption.TestType == page.TestType && page[caption.Control].Present)
            page[caption.Control].Text = UnitText(std::string(1, static_cast<char>(caption.Code)), language);
    }
}

KeyFilter ParameterKeyFilter(PageControl box, int testType)
{
    if (testType == 1)
        return KeyFilter::FreeText;
    for (const KeyFilterRule& rule : KeyFilterRules()) {
        if (rule.Box != box)
            continue;
        for (const int t : rule.Decimals) {
            if (t == testType)
                return KeyFilter::Decimals;
        }
    }
    return KeyFilter::Digits;
}

QString ParameterTip(const TestPage& page, PageControl box)
{
    for (const TipRule& rule : TipRules()) {
        if (rule.TestType != page.TestType || rule.Box != box)
            continue;
        const bool first = FirstRange(rule, page);
        const char* low = first ? rule.Low1 : rule.Low2;
        const char* high = first ? rule.High1 : rule.High2;
        const QString lowText = low ? QString::fromLatin1(low) : CStr(0.0001);
        const QString highText = high ? QString::fromLatin1(high) : CStr(999999.0);
        return lowText + QStringLiteral(" - ") + highText + QStringLiteral(" ") + TipUnitText(rule, page);
    }
    return QString();
}
