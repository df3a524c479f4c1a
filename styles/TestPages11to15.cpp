// The pages of the hydrostatic-head tester KR 6100 (static, dynamic and
// program method: test types 11 to 13), of the bursting strength (14) and of
// the thread density of the KR 6250 (15), with the dependent lists of pages
// 12, 13 and 15.
#include "styles/TestPageCases.h"

#include "foundation/modGeneral.h"
#include "platform/Conversions.h"
#include "platform/SortedList.h"

namespace {

using P = PageControl;

// Unit codes by their character.
constexpr int Minute = 'a';
constexpr int Millibar = 'C';
constexpr int CentimetreWaterColumn = 'F';
constexpr int MillimetreWaterColumn = 'G';
constexpr int MillibarPerMinute = '\\';
constexpr int CentimetreWaterColumnPerMinute = '^';
constexpr int MillimetreWaterColumnPerMinute = '[';
constexpr int Psi = 'E';
constexpr int PassFail = 'y';
constexpr int Newton = '8';
constexpr int Millimetre = 34;
constexpr int Inch = '%';
constexpr int Percent = 'n';
constexpr int Pm = '\'';
constexpr int PerCentimetre = 'p';
constexpr int PerInch = 'q';
constexpr int PerPm = 'r';

const char* const HydrostaticHead = "KR 6100";

const QStringList MillibarRates = {"2/10", "3", "10", "20", "30", "60", "100", "150", "200", "500"};
const QStringList WaterColumnRates = {"20/100", "30", "100", "200", "300", "600", "1000", "1500", "2000", "5000"};
const QStringList TestModes = {"STD", "WAL", "DBL", "R=1", "R=2", "R=3", "R=4", "R=5", "R=6", "R=7", "R=8", "R=9"};
// The last pressure sequence is 0-2-0, or 33 on a KR 6100-III.
const char* const PassFailSequence = "33";

// The test areas of the hydrostatic-head testers in cm²; some installations
// know the 10 cm² area as 44.
QStringList TestAreas(const PageContext& context)
{
    return {"0.5", context.TestArea44Variant ? "44" : "10", "26", "28", "100"};
}

// The page's second result is the third drop, in the unit of the first, on a
// KR 6100-III.
std::string DropResult2Unit(const TestPage& page, const PageContext& context)
{
    return context.HasKR6100III ? UnitCodeOf(ListText(page[P::cboUnit1])) : std::string();
}

// A parameter chosen from a list, with the unit of its label.
void ReadListParameter(const TestPage& page, ExpectedDataStringInput& input, int parameter)
{
    const size_t k = static_cast<size_t>(parameter - 1);
    input.Parameters[k] = ListText(page[CboSample(parameter)]);
    input.ParameterUnits[k] = UnitCodeOf(page[LblSampleUnit(parameter)].Text);
}

// A pressure within 1 to 2000 in mbar or cm w.c., within 10 to 20000 in mm w.c.
bool IsPressureInRange(const TestPage& page, PageControl box, PageControl option1, PageControl option2)
{
    const bool small = page[option1].Value || page[option2].Value;
    return IsParameterInRange(page[box].Text, small ? 1 : 10, small ? 2000 : 20000);
}

// ---------------------------------------------------------------------------
// Layouts

const std::vector<PageControlPlace> StaticLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Test pressure"),
    ValuePlace(1, P::txtSample1),
    OptionPlace(1, P::optSample1Unit1, 0, "mbar"),
    OptionPlace(1, P::optSample1Unit2, 1, "cm w.c."),
    OptionPlace(1, P::optSample1Unit3, 2, "mm w.c."),
    ParameterFramePlace(2, "Test area"),
    ValuePlace(2, P::cboSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "cm²"),
};

const std::vector<PageControlPlace> DynamicLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Rate of rise"),
    ValuePlace(1, P::cboSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "mbar/min"),
    ParameterFramePlace(2, "Test area"),
    ValuePlace(2, P::cboSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "cm²"),
};

// Lower frames than elsewhere: on a KR 6100-III the unit frame is hidden and
// the four frames move up into its room.
constexpr int ShortFrameHeight = 780;
const std::vector<PageControlPlace> ProgramLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Pressure sequence", 960, ShortFrameHeight),
    ValuePlace(1, P::cboSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "psi"),
    ParameterFramePlace(2, "Test area", 1860, ShortFrameHeight),
    ValuePlace(2, P::cboSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "cm²"),
    ParameterFramePlace(3, "Maximum pressure", 2760, ParameterFrameHeight),
    ValuePlace(3, P::txtSample3),
    OptionPlace(3, P::optSample3Unit1, 0, "mbar"),
    OptionPlace(3, P::optSample3Unit2, 1, "cm w.c."),
    OptionPlace(3, P::optSample3Unit3, 2, "mm w.c."),
    ParameterFramePlace(4, "Holding time", 4020, ShortFrameHeight),
    ValuePlace(4, P::txtSample4),
    UnitLabelPlace(4, P::lblSample4Unit, "min"),
};

const std::vector<PageControlPlace> BurstingLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ResultUnitPlace(P::cboUnit2),
    ParameterFramePlace(1, "Test area"),
    ValuePlace(1, P::cboSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "cm²"),
    ParameterFramePlace(2, "Test speed"),
    ValuePlace(2, P::cboSample2),
    UnitLabelPlace(2, P::lblSample2Unit, "mm/s"),
};

const std::vector<PageControlPlace> ThreadDensityLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Test length"),
    ValuePlace(1, P::cboSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "mm"),
    ParameterFramePlace(2, "Test mode"),
    ValuePlace(2, P::cboSample2),
    ParameterFramePlace(3, "Measuring range"),
    ValuePlace(3, P::txtSample3, 900),
    {P::lblSample3, P::fraSample3, ValueLeft + 960, ValueTop + 30, 240, BoxHeight, "-"},
    {P::txtSample4, P::fraSample3, ValueLeft + 1260, ValueTop, 900, BoxHeight, ""},
    {P::lblSample3Unit, P::fraSample3, ValueLeft + 2280, ValueTop + 30, 1320, BoxHeight, "/cm"},
};

// ---------------------------------------------------------------------------
// 11: hydrostatic head, static test method. A constant pressure; the result
// is a time.

void InitStatic(TestPage& page, const PageContext& context)
{
    FillUnitList(page[P::cboUnit1], {Minute});
    SelectText(page[P::cboUnit1], UnitTextOf(Minute));
    page[P::txtSample1].Text = QStringLiteral("100");
    SetOption(page, P::optSample1Unit1);
    FillList(page[P::cboSample2], TestAreas(context));
    SelectText(page[P::cboSample2], QStringLiteral("100"));
}

void ShowStatic(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    page[P::txtSample1].Text = record.Parameter1;
    SetOptionByCaption(page, {P::optSample1Unit1, P::optSample1Unit2, P::optSample1Unit3}, record.Parameter1Unit);
    SelectText(page[P::cboSample2], record.Parameter2);
}

ExpectedDataStringInput ReadStatic(const TestPage& page, const PageContext& context)
{
    ExpectedDataStringInput input;
    input.Identifier = HydrostaticHead;
    input.CodeLetter = "K";
    input.Parameters[0] = ParameterText(page[P::txtSample1].Text);
    input.ParameterUnits[0] =
        UnitCodeOf(SetOptionCaption(page, {P::optSample1Unit1, P::optSample1Unit2, P::optSample1Unit3}));
    ReadListParameter(page, input, 2);
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    input.Result2Unit = DropResult2Unit(page, context);
    return input;
}

PageControl ValidateStatic(const TestPage& page, const PageContext&)
{
    return IsPressureInRange(page, P::txtSample1, P::optSample1Unit1, P::optSample1Unit2) ? P::None : P::txtSample1;
}

// ---------------------------------------------------------------------------
// 12: hydrostatic head, dynamic test method. A rising pressure; the result is
// a pressure, and its unit decides the rates offered.

void InitDynamic(TestPage& page, const PageContext& context)
{
    FillUnitList(page[P::cboUnit1], {Millibar, CentimetreWaterColumn, MillimetreWaterColumn});
    SelectText(page[P::cboUnit1], UnitTextOf(Millibar));
    cboUnit1_Click(page, context);
    FillList(page[P::cboSample1], MillibarRates);
    SelectText(page[P::cboSample1], QStringLiteral("100"));
    FillList(page[P::cboSample2], TestAreas(context));
    SelectText(page[P::cboSample2], QStringLiteral("100"));
}

void ShowDynamic(TestPage& page, const DataStringRecord& record, const PageContext& context)
{
    // The rate's unit follows the result unit, not the string.
    SelectText(page[P::cboUnit1], record.ResultUnit);
    cboUnit1_Click(page, context);
    SelectText(page[P::cboSample1], record.Parameter1);
    SelectText(page[P::cboSample2], record.Parameter2);
}

ExpectedDataStringInput ReadDynamic(const TestPage& page, const PageContext& context)
{
    ExpectedDataStringInput input;
    input.Identifier = HydrostaticHead;
    input.CodeLetter = "G";
    ReadListParameter(page, input, 1);
    ReadListParameter(page, input, 2);
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    input.Result2Unit = DropResult2Unit(page, context);
    return input;
}

// ---------------------------------------------------------------------------
// 13: hydrostatic head, program method. On a KR 6100-III a pass/fail test
// with a third sequence that holds a maximum pressure for a time.

void InitProgram(TestPage& page, const PageContext& context)
{
    PageControlState& results = page[P::cboUnit1];
    if (context.HasKR6100III) {
        const QString passFail = UnitTextOf(PassFail);
        results.Items.insert(SortedInsertRow(results.Items, passFail), passFail);
    } else {
        FillUnitList(results, {Millibar, CentimetreWaterColumn, MillimetreWaterColumn});
        SelectText(results, UnitTextOf(Millibar));
    }
    QStringList sequences{QStringLiteral("0-1-0"), QStringLiteral("0-2-0")};
    if (context.HasKR6100III)
        sequences.append(QString::fromLatin1(PassFailSequence));
    FillList(page[P::cboSample1], sequences);
    SelectText(page[P::cboSample1], QStringLiteral("0-1-0"));
    cboSample1_Click(page, context);
    FillList(page[P::cboSample2], TestAreas(context));
    SelectText(page[P::cboSample2], QStringLiteral("100"));
    page[P::txtSample3].Text = QStringLiteral("2000");
    SetOption(page, P::optSample3Unit1);
    page[P::txtSample4].Text = QStringLiteral("3.0");
    page[P::lblSample4Unit].Text = UnitTextOf(Minute);
}

void ShowProgram(TestPage& page, const DataStringRecord& record, const PageContext& context)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    SelectText(page[P::cboSample1], record.Parameter1);
    cboSample1_Click(page, context);
    // The sequence's rule chose its first result unit; a 0-2-0 definition
    // keeps the unit it was stored with.
    if (FindInList(record.ResultUnit, page[P::cboUnit1].Items) > 0)
        SelectText(page[P::cboUnit1], record.ResultUnit);
    page[P::lblSample1Unit].Text = record.Parameter1Unit;
    SelectText(page[P::cboSample2], record.Parameter2);
    page[P::txtSample3].Text = record.Parameter3;
    SetOptionByCaption(page, {P::optSample3Unit1, P::optSample3Unit2, P::optSample3Unit3}, record.Parameter3Unit);
    page[P::txtSample4].Text = record.Parameter4;
    page[P::lblSample4Unit].Text = UnitTextOf(Minute);
}

ExpectedDataStringInput ReadProgram(const TestPage& page, const PageContext& context)
{
    ExpectedDataStringInput input;
    input.Identifier = HydrostaticHead;
    input.CodeLetter = "P";
    ReadListParameter(page, input, 1);
    ReadListParameter(page, input, 2);
    // Maximum pressure and holding time belong to the third sequence only.
    if (ListText(page[P::cboSample1]) == QLatin1String(PassFailSequence)) {
        if (IsNumeric(page[P::txtSample3].Text)) {
            input.Parameters[2] = ParameterText(page[P::txtSample3].Text);
            input.ParameterUnits[2] =
                UnitCodeOf(SetOptionCaption(page, {P::optSample3Unit1, P::optSample3Unit2, P::optSample3Unit3}));
        }
        if (IsNumeric(page[P::txtSample4].Text)) {
            input.Parameters[3] = ParameterText(page[P::txtSample4].Text);
            input.ParameterUnits[3] = UnitCodeOf(page[P::lblSample4Unit].Text);
        }
    }
    input.ResultUnit = context.HasKR6100III ? std::string(1, static_cast<char>(PassFail))
                                            : UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

PageControl ValidateProgram(const TestPage& page, const PageContext&)
{
    // Hidden fields are not checked.
    PageControl result = P::None;
    if (page[P::fraSample3].Visible
        && !IsPressureInRange(page, P::txtSample3, P::optSample3Unit1, P::optSample3Unit2))
        result = P::txtSample3;
    if (page[P::fraSample4].Visible && !IsParameterInRange(page[P::txtSample4].Text, 3, 5))
        result = P::txtSample4;
    return result;
}

// ---------------------------------------------------------------------------
// 14: bursting strength. One test area and one speed; the bulge height as
// the second result.

void InitBursting(TestPage& page, const PageContext&)
{
    FillUnitList(page[P::cboUnit1], {Newton});
    SelectText(page[P::cboUnit1], UnitTextOf(Newton));
    FillUnitList(page[P::cboUnit2], {Millimetre, Inch, Percent});
    SelectText(page[P::cboUnit2], UnitTextOf(Millimetre));
    FillList(page[P::cboSample1], {QStringLiteral("16")});
    SelectText(page[P::cboSample1], QStringLiteral("16"));
    FillList(page[P::cboSample2], {QStringLiteral("5")});
    SelectText(page[P::cboSample2], QStringLiteral("5"));
}

void ShowBursting(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    SelectText(page[P::cboUnit2], record.Result2Unit);
    SelectText(page[P::cboSample1], record.Parameter1);
    SelectText(page[P::cboSample2], record.Parameter2);
}

ExpectedDataStringInput ReadBursting(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "KR 6300";
    ReadListParameter(page, input, 1);
    ReadListParameter(page, input, 2);
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    input.Result2Unit = UnitCodeOf(ListText(page[P::cboUnit2]));
    return input;
}

// ---------------------------------------------------------------------------
// 15: thread density. The result unit decides the test length and its unit;
// the measuring range is two whole numbers in the result unit.

// The ends of the measuring range as they are written: the number at the
// start of the text, rounded to a whole number.
int16_t RangeEnd(const QString& text)
{
    return CInt(Val(text));
}

void InitThreadDensity(TestPage& page, const PageContext& context)
{
    FillUnitList(page[P::cboUnit1], {PerCentimetre, PerInch, PerPm});
    SelectText(page[P::cboUnit1], UnitTextOf(PerCentimetre));
    cboUnit1_Click(page, context);
    FillList(page[P::cboSample1], {QStringLiteral("29")});
    SelectText(page[P::cboSample1], QStringLiteral("29"));
    FillList(page[P::cboSample2], TestModes);
    SelectText(page[P::cboSample2], QStringLiteral("R=1"));
    page[P::txtSample3].Text = QStringLiteral("8");
    page[P::txtSample4].Text = QStringLiteral("300");
}

void ShowThreadDensity(TestPage& page, const DataStringRecord& record, const PageContext& context)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    cboUnit1_Click(page, context);
    // An unknown length or mode shows the first one.
    for (const int parameter : {1, 2}) {
        PageControlState& list = page[CboSample(parameter)];
        SelectText(list, parameter == 1 ? record.Parameter1 : record.Parameter2);
        list.ListIndex = MaxOf(list.ListIndex, 0);
    }
    const qsizetype dash = record.Parameter3.indexOf(u'-');
    if (dash >= 0) {
        page[P::txtSample3].Text = record.Parameter3.left(dash);
        page[P::txtSample4].Text = record.Parameter3.mid(dash + 1);
    }
}

ExpectedDataStringInput ReadThreadDensity(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "KR 6250";
    ReadListParameter(page, input, 1);
    input.Parameters[1] = ListText(page[P::cboSample2]);   // the mode has no unit
    const int16_t first = RangeEnd(page[P::txtSample3].Text);
    const int16_t second = RangeEnd(page[P::txtSample4].Text);
    const std::string unit = UnitCodeOf(ListText(page[P::cboUnit1]));
    input.Parameters[2] = Format(MinOf(first, second), QStringLiteral("000"));
    input.Parameters[3] = Format(MaxOf(first, second), QStringLiteral("000"));
    input.ParameterUnits[2] = unit;
    input.ParameterUnits[3] = unit;
    input.ResultUnit = unit;
    return input;
}

PageControl ValidateThreadDensity(const TestPage& page, const PageContext&)
{
    const bool perCentimetre = ListText(page[P::cboUnit1]) == UnitTextOf(PerCentimetre);
    const double lower = perCentimetre ? 8 : 20;
    const double upper = perCentimetre ? 300 : 833;
    const QString& first = page[P::txtSample3].Text;
    const QString& second = page[P::txtSample4].Text;
    PageControl result = P::None;
    if (!IsParameterInRange(first, lower, upper))
        result = P::txtSample3;
    if (!IsParameterInRange(second, lower, upper))
        result = P::txtSample4;
    // A range needs two ends, also as they are written: 20 and 20,4 would
    // both be stored as 020.
    if (ParameterValue(first) == ParameterValue(second) || RangeEnd(first) == RangeEnd(second))
        result = P::txtSample3;
    return result;
}

// ---------------------------------------------------------------------------

void ChooseOnPage(TestPage& page, PageControl control, const PageContext& context)
{
    if (control == P::cboUnit1)
        cboUnit1_Click(page, context);
    else if (control == P::cboSample1)
        cboSample1_Click(page, context);
}

const TestPageCase StaticCase{&StaticLayout, InitStatic, ShowStatic, ReadStatic, ValidateStatic, ChooseOnPage};
const TestPageCase DynamicCase{&DynamicLayout, InitDynamic, ShowDynamic, ReadDynamic, nullptr, ChooseOnPage};
const TestPageCase ProgramCase{&ProgramLayout, InitProgram, ShowProgram, ReadProgram, ValidateProgram, ChooseOnPage};
const TestPageCase BurstingCase{&BurstingLayout, InitBursting, ShowBursting, ReadBursting, nullptr, ChooseOnPage};
const TestPageCase ThreadDensityCase{&ThreadDensityLayout, InitThreadDensity, ShowThreadDensity, ReadThreadDensity,
                                     ValidateThreadDensity, ChooseOnPage};

} // namespace

void cboUnit1_Click(TestPage& page, const PageContext&)
{
    const std::string unit = UnitCodeOf(ListText(page[P::cboUnit1]));
    const auto is = [&unit](int code) { return unit == std::string(1, static_cast<char>(code)); };
    if (page.TestType == 12) {
        const int rate = is(CentimetreWaterColumn) ? CentimetreWaterColumnPerMinute
                         : is(Millibar)            ? MillibarPerMinute
                                                   : MillimetreWaterColumnPerMinute;
        PageControlState& label = page[P::lblSample1Unit];
        label.Text = UnitTextOf(rate);
        const bool waterColumnMillimetres =
            UnitCodeOf(label.Text) == std::string(1, static_cast<char>(MillimetreWaterColumnPerMinute));
        FillList(page[P::cboSample1], waterColumnMillimetres ? WaterColumnRates : MillibarRates);
        page[P::cboSample1].ListIndex = 0;
    } else if (page.TestType == 15) {
        page[P::lblSample3Unit].Text = ListText(page[P::cboUnit1]);
        page[P::lblSample1Unit].Text = UnitTextOf(is(PerCentimetre) ? Millimetre : is(PerInch) ? Inch : Pm);
        FillList(page[P::cboSample1], {is(PerCentimetre) ? QStringLiteral("29") : QStringLiteral("1.1")});
        page[P::cboSample1].ListIndex = 0;
    }
}

void cboSample1_Click(TestPage& page, const PageContext& context)
{
    if (page.TestType != 13)
        return;
    const PageControlState& sequence = page[P::cboSample1];
    const bool last = sequence.ListIndex >= 0 && sequence.ListIndex + 1 == sequence.Items.size();
    PageControlState& results = page[P::cboUnit1];
    PageControlState& label = page[P::lblSample1Unit];
    FillList(results, {});
    if (context.HasKR6100III) {
        // A pass/fail result, written without a list.
        label.Text.clear();
    } else if (!last) {
        FillUnitList(results, {Minute});
        SelectText(results, UnitTextOf(Minute));
        label.Text = UnitTextOf(Psi);
    } else {
        FillUnitList(results, {Millibar, CentimetreWaterColumn, MillimetreWaterColumn});
        SelectText(results, UnitTextOf(Millibar));
        label.Text = UnitTextOf(MillibarPerMinute);
    }
    const bool holding = last && context.HasKR6100III;
    page[P::fraSample3].Visible = holding;
    page[P::fraSample4].Visible = holding;
}

const TestPageCase* TestPageCaseOf11to15(int testType)
{
    switch (testType) {
    case 11:
        return &StaticCase;
    case 12:
        return &DynamicCase;
    case 13:
        return &ProgramCase;
    case 14:
        return &BurstingCase;
    case 15:
        return &ThreadDensityCase;
    default:
        return nullptr;
    }
}
