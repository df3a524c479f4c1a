// The pages of the air permeability testers (static air permeability and
// pressure drop: test types 16 and 17), of the dynamic air permeability of
// the KR 6450 (18) and of the tearing strength of the Elmendorf testers (19).
#include "styles/TestPageCases.h"

#include "foundation/modGeneral.h"
#include "platform/Conversions.h"

#include <cmath>

namespace {

using P = PageControl;

constexpr int MillimetrePerSecond = 'H';
constexpr int Pascal = '?';
constexpr int Centinewton = '7';
constexpr int Blank = ' ';

const QStringList AirTestAreas = {"3", "5", "10", "20", "25", "38", "50", "100"};
const QStringList StartVolumes = {"100", "200", "400", "800", "1600", "6400"};
const QStringList TearingRanges = {"150", "200", "350", "400", "800", "1600", "1800",
                                   "3200", "4200", "6800", "9600", "13600", "30000"};

// The whole numbers from first to last, as texts.
QStringList Numbers(int first, int last)
{
    QStringList numbers;
    for (int n = first; n <= last; ++n)
        numbers.append(QString::number(n));
    return numbers;
}

void Fill(TestPage& page, PageControl list, const QStringList& items, const QString& chosen)
{
    FillList(page[list], items);
    SelectText(page[list], chosen);
}

void FillResultUnits(TestPage& page, std::initializer_list<int> codes, int chosen)
{
    FillUnitList(page[P::cboUnit1], codes);
    SelectText(page[P::cboUnit1], UnitTextOf(chosen));
}

// The second result of 17 and 18, the exponent, has no unit: one empty entry.
void FillNoSecondUnit(TestPage& page)
{
    FillUnitList(page[P::cboUnit2], {Blank});
    page[P::cboUnit2].ListIndex = 0;
}

// A parameter typed into its box or chosen from its list, with the unit of
// its label.
void ReadParameter(const TestPage& page, ExpectedDataStringInput& input, int parameter)
{
    const size_t k = static_cast<size_t>(parameter - 1);
    const PageControlState& box = page[TxtSample(parameter)];
    input.Parameters[k] = box.Present ? ParameterText(box.Text) : ListText(page[CboSample(parameter)]);
    input.ParameterUnits[k] = UnitCodeOf(page[LblSampleUnit(parameter)].Text);
}

// ---------------------------------------------------------------------------
// Layouts

const std::vector<PageControlPlace> StaticAirLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Test pressure"),
    ValuePlace(1, P::txtSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "Pa"),
    ParameterFramePlace(2, "Test area"),
    ValuePlace(2, P::cboSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "cm²"),
};

const std::vector<PageControlPlace> PressureDropLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ResultUnitPlace(P::cboUnit2),
    ParameterFramePlace(1, "Pressure 1"),
    ValuePlace(1, P::txtSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "Pa"),
    ParameterFramePlace(2, "Pressure 2"),
    ValuePlace(2, P::txtSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "Pa"),
    ParameterFramePlace(3, "Test area"),
    ValuePlace(3, P::cboSample3),
    UnitLabelPlace(3, P::lblSample3Unit, "cm²"),
    ParameterFramePlace(4, "Velocity"),
    ValuePlace(4, P::txtSample4),
    OptionPlace(4, P::optSample4Unit1, 0, "m/s"),
    OptionPlace(4, P::optSample4Unit2, 1, "ft³/ft²/min"),
};

const std::vector<PageControlPlace> DynamicAirLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ResultUnitPlace(P::cboUnit2),
    ParameterFramePlace(1, "Start volume"),
    ValuePlace(1, P::cboSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "cm³"),
    ParameterFramePlace(2, "Start pressure"),
    ValuePlace(2, P::txtSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "kPa"),
    ParameterFramePlace(3, "Pressure limits"),
    {P::cboSample31, P::fraSample3, ValueLeft, ValueTop, 720, BoxHeight, ""},
    {P::lblSample3, P::fraSample3, ValueLeft + 780, ValueTop + 30, 120, BoxHeight, "/"},
    {P::cboSample32, P::fraSample3, ValueLeft + 960, ValueTop, 720, BoxHeight, ""},
    {P::lblSample3Unit, P::fraSample3, ValueLeft + 1800, ValueTop + 30, 1200, BoxHeight, "kPa"},
    ParameterFramePlace(4, "Test area"),
    ValuePlace(4, P::cboSample4),
    UnitLabelPlace(4, P::lblSample4Unit, "cm²"),
};

const std::vector<PageControlPlace> TearingLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Specimens"),
    ValuePlace(1, P::cboSample1),
    ParameterFramePlace(2, "Measuring range"),
    ValuePlace(2, P::cboSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "cN"),
};

// ---------------------------------------------------------------------------
// 16: static air permeability.

void InitStaticAir(TestPage& page, const PageContext&)
{
    FillResultUnits(page, {'H', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z'}, MillimetrePerSecond);
    page[P::txtSample1].Text = QStringLiteral("200");
    Fill(page, P::cboSample2, AirTestAreas, QStringLiteral("20"));
}

void ShowStaticAir(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    page[P::txtSample1].Text = record.Parameter1;
    SelectText(page[P::cboSample2], record.Parameter2);
}

ExpectedDataStringInput ReadStaticAir(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "KR 6400";
    ReadParameter(page, input, 1);
    ReadParameter(page, input, 2);
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

PageControl ValidateStaticAir(const TestPage& page, const PageContext&)
{
    return IsParameterInRange(page[P::txtSample1].Text, 1, 2500) ? P::None : P::txtSample1;
}

// ---------------------------------------------------------------------------
// 17: pressure drop. Two pressures at least a factor 2 apart and the flow
// velocity through the test area.

void InitPressureDrop(TestPage& page, const PageContext&)
{
    FillResultUnits(page, {Pascal}, Pascal);
    FillNoSecondUnit(page);
    page[P::txtSample1].Text = QStringLiteral("200");
    page[P::txtSample2].Text = QStringLiteral("500");
    Fill(page, P::cboSample3, AirTestAreas, QStringLiteral("20"));
    page[P::txtSample4].Text = QStringLiteral("1");
    SetOption(page, P::optSample4Unit1);
}

void ShowPressureDrop(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    page[P::txtSample1].Text = record.Parameter1;
    page[P::txtSample2].Text = record.Parameter2;
    page[P::txtSample4].Text = record.Parameter4;
    SelectText(page[P::cboSample3], record.Parameter3);
    SetOptionByCaption(page, {P::optSample4Unit1, P::optSample4Unit2}, record.Parameter4Unit);
}

ExpectedDataStringInput ReadPressureDrop(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "KR 6400";
    for (const int parameter : {1, 2, 3})
        ReadParameter(page, input, parameter);
    input.Parameters[3] = ParameterText(page[P::txtSample4].Text);
    input.ParameterUnits[3] = UnitCodeOf(SetOptionCaption(page, {P::optSample4Unit1, P::optSample4Unit2}));
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

PageControl ValidatePressureDrop(const TestPage& page, const PageContext&)
{
    PageControl result = P::None;
    const QString& text1 = page[P::txtSample1].Text;
    const QString& text2 = page[P::txtSample2].Text;
    if (!IsParameterInRange(text1, 98, 2500))
        result = P::txtSample1;
    if (!IsParameterInRange(text2, 98, 2500))
        result = P::txtSample2;
    // The larger pressure at least twice the smaller; a pressure of 0 has
    // failed above and is not divided by.
    const double pressure1 = ParameterValue(text1);
    const double pressure2 = ParameterValue(text2);
    if (pressure1 != 0 && pressure2 != 0 && pressure1 / pressure2 < 2 && pressure2 / pressure1 < 2)
        result = P::txtSample2;
    const bool metresPerSecond = page[P::optSample4Unit1].Value;
    if (!IsParameterInRange(page[P::txtSample4].Text, metresPerSecond ? 0.0001 : 0.02, metresPerSecond ? 10 : 2000))
        result = P::txtSample4;
    return result;
}

// ---------------------------------------------------------------------------
// 18: dynamic air permeability. The pressure limits are two values at least
// 5 kPa apart, written as one parameter "30/70".

void InitDynamicAir(TestPage& page, const PageContext&)
{
    FillResultUnits(page, {MillimetrePerSecond}, MillimetrePerSecond);
    FillNoSecondUnit(page);
    Fill(page, P::cboSample1, StartVolumes, QStringLiteral("200"));
    page[P::txtSample2].Text = QStringLiteral("100");
    Fill(page, P::cboSample31, Numbers(1, 99), QStringLiteral("30"));
    Fill(page, P::cboSample32, Numbers(1, 99), QStringLiteral("70"));
    Fill(page, P::cboSample4, {QStringLiteral("50")}, QStringLiteral("50"));
}

void ShowDynamicAir(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    SelectText(page[P::cboSample1], record.Parameter1);
    page[P::txtSample2].Text = record.Parameter2;
    const qsizetype slash = record.Parameter3.indexOf(u'/');
    if (slash >= 0) {
        SelectText(page[P::cboSample31], record.Parameter3.left(slash));
        SelectText(page[P::cboSample32], record.Parameter3.mid(slash + 1));
    } else {
        page[P::cboSample31].ListIndex = -1;
        SelectText(page[P::cboSample32], record.Parameter3);
    }
    SelectText(page[P::cboSample4], record.Parameter4);
}

ExpectedDataStringInput ReadDynamicAir(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "KR 6450";
    ReadParameter(page, input, 1);
    ReadParameter(page, input, 2);
    input.Parameters[2] = ListText(page[P::cboSample31]) + QLatin1Char('/') + ListText(page[P::cboSample32]);
    input.ParameterUnits[2] = UnitCodeOf(page[P::lblSample3Unit].Text);
    ReadParameter(page, input, 4);
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

PageControl ValidateDynamicAir(const TestPage& page, const PageContext&)
{
    PageControl result = P::None;
    if (!IsParameterInRange(page[P::txtSample2].Text, 1, 400))
        result = P::txtSample2;
    const PageControlState& lower = page[P::cboSample31];
    const PageControlState& upper = page[P::cboSample32];
    // Without both limits chosen there is nothing to compare: the first
    // list is the one to correct.
    if (ListText(lower).isEmpty() || ListText(upper).isEmpty()
        || std::abs(Val(ListText(lower)) - Val(ListText(upper))) < 5)
        result = P::cboSample31;
    return result;
}

// ---------------------------------------------------------------------------
// 19: tearing strength. The measuring range is always in cN.

void InitTearing(TestPage& page, const PageContext&)
{
    FillResultUnits(page, {'6', '7', '8', ':', ';', '<', '='}, Centinewton);
    Fill(page, P::cboSample1, Numbers(1, 29), QStringLiteral("1"));
    Fill(page, P::cboSample2, TearingRanges, QStringLiteral("200"));
}

void ShowTearing(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    SelectText(page[P::cboSample1], record.Parameter1);
    SelectText(page[P::cboSample2], record.Parameter2);
}

ExpectedDataStringInput ReadTearing(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "KR 6850";
    input.Parameters[0] = ListText(page[P::cboSample1]);   // a count of specimens, no unit
    ReadParameter(page, input, 2);
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

const TestPageCase StaticAirCase{&StaticAirLayout, InitStaticAir, ShowStaticAir, ReadStaticAir, ValidateStaticAir,
                                 nullptr};
const TestPageCase PressureDropCase{&PressureDropLayout, InitPressureDrop, ShowPressureDrop, ReadPressureDrop,
                                    ValidatePressureDrop, nullptr};
const TestPageCase DynamicAirCase{&DynamicAirLayout, InitDynamicAir, ShowDynamicAir, ReadDynamicAir,
                                  ValidateDynamicAir, nullptr};
const TestPageCase TearingCase{&TearingLayout, InitTearing, ShowTearing, ReadTearing, nullptr, nullptr};

} // namespace

const TestPageCase* TestPageCaseOf16to19(int testType)
{
    switch (testType) {
    case 16:
        return &StaticAirCase;
    case 17:
        return &PressureDropCase;
    case 18:
        return &DynamicAirCase;
    case 19:
        return &TearingCase;
    default:
        return nullptr;
    }
}
