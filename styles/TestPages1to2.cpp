// The pages of keyboard input (test type 1) and of the yarn fineness of the
// D 7041 (test type 2).
#include "styles/TestPageCases.h"

namespace {

using P = PageControl;

// The first and last character codes that may be unit codes.
constexpr int FirstUnitCode = 32;
constexpr int LastUnitCode = 127;

// ---------------------------------------------------------------------------
// Test type 1: keyboard input. Its four parameters are free texts named by the
// keyboard definition, each with a unit from the list of every unit.

const std::vector<PageControlPlace> KeyboardLayout = [] {
    std::vector<PageControlPlace> places = {
        {P::fraUnit, P::None, FrameLeft, UnitFrameTop, FrameWidth, UnitFrameHeight, "Unit"},
        {P::cboUnit1, P::fraUnit, 240, 300, 1800, BoxHeight, ""},
    };
    static const char* const captions[4] = {"Parameter 1", "Parameter 2", "Parameter 3", "Parameter 4"};
    for (int k = 1; k <= 4; ++k) {
        const int top = ParameterFrameTop + (k - 1) * ParameterFrameStep;
        places.push_back({FraSample(k), P::None, FrameLeft, top, FrameWidth, ParameterFrameHeight, captions[k - 1]});
        places.push_back({TxtSample(k), FraSample(k), 240, 420, 1920, BoxHeight, ""});
        places.push_back({CboSampleUnit(k), FraSample(k), 2280, 420, 1560, BoxHeight, ""});
    }
    return places;
}();

void InitKeyboard(TestPage& page, const PageContext&)
{
    QStringList units{QString()};
    for (int code = FirstUnitCode; code <= LastUnitCode; ++code) {
        const QString text = UnitTextOf(code);
        if (!text.isEmpty())
            units.append(text);
    }
    FillList(page[P::cboUnit1], units);
    for (int k = 1; k <= 4; ++k)
        FillList(page[CboSampleUnit(k)], units);
}

void ShowKeyboard(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    const QString* parameters[4] = {&record.Parameter1, &record.Parameter2, &record.Parameter3, &record.Parameter4};
    const QString* units[4] = {&record.Parameter1Unit, &record.Parameter2Unit, &record.Parameter3Unit,
                               &record.Parameter4Unit};
    for (int k = 1; k <= 4; ++k) {
        page[TxtSample(k)].Text = *parameters[k - 1];
        SelectText(page[CboSampleUnit(k)], *units[k - 1]);
    }
}

ExpectedDataStringInput ReadKeyboard(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "0000000";
    // A parameter the keyboard definition leaves unnamed is hidden but still written.
    for (int k = 1; k <= 4; ++k) {
        input.Parameters[static_cast<size_t>(k - 1)] = ParameterText(page[TxtSample(k)].Text);
        input.ParameterUnits[static_cast<size_t>(k - 1)] = UnitCodeOf(ListText(page[CboSampleUnit(k)]));
    }
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

const TestPageCase KeyboardCase{&KeyboardLayout, InitKeyboard, ShowKeyboard, ReadKeyboard, nullptr, nullptr};

// ---------------------------------------------------------------------------
// Test type 2: yarn fineness. A test length in metres or yards; the result in
// dtex, tex or den.

const std::vector<PageControlPlace> YarnFinenessLayout = {
    {P::fraUnit, P::None, FrameLeft, UnitFrameTop, FrameWidth, UnitFrameHeight, "Unit"},
    {P::cboUnit1, P::fraUnit, 240, 300, 1800, BoxHeight, ""},
    {P::fraSample1, P::None, FrameLeft, ParameterFrameTop, FrameWidth, ParameterFrameHeight, "Test length"},
    {P::txtSample1, P::fraSample1, 240, 420, 1200, BoxHeight, ""},
    {P::optSample1Unit1, P::fraSample1, 1680, 300, 1560, 285, "m"},
    {P::optSample1Unit2, P::fraSample1, 1680, 660, 1560, 285, "yd"},
};

constexpr int Tex = 102;

void InitYarnFineness(TestPage& page, const PageContext&)
{
    FillUnitList(page[P::cboUnit1], {101, Tex, 103});   // dtex, tex, den
    SelectText(page[P::cboUnit1], UnitTextOf(Tex));
    page[P::txtSample1].Text = QStringLiteral("100");
    SetOption(page, P::optSample1Unit1);
}

void ShowYarnFineness(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    page[P::txtSample1].Text = record.Parameter1;
    SetOptionByCaption(page, {P::optSample1Unit1, P::optSample1Unit2}, record.Parameter1Unit);
}

ExpectedDataStringInput ReadYarnFineness(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "D  7041";
    input.CodeLetter = "F";
    input.Parameters[0] = ParameterText(page[P::txtSample1].Text);
    input.ParameterUnits[0] = UnitCodeOf(SetOptionCaption(page, {P::optSample1Unit1, P::optSample1Unit2}));
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

PageControl ValidateYarnFineness(const TestPage& page, const PageContext&)
{
    return IsParameterInRange(page[P::txtSample1].Text, 1, 10000) ? P::None : P::txtSample1;
}

const TestPageCase YarnFinenessCase{&YarnFinenessLayout, InitYarnFineness, ShowYarnFineness, ReadYarnFineness,
                                    ValidateYarnFineness, nullptr};

} // namespace

const TestPageCase* TestPageCaseOf1to2(int testType)
{
    switch (testType) {
    case 1:
        return &KeyboardCase;
    case 2:
        return &YarnFinenessCase;
    default:
        return nullptr;
    }
}
