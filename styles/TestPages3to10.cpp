// The pages of the D 7041 (yarn count, area weight, paper area weight and
// weight: test types 3 to 6), of the twist tester MP 4300-II (7, 8) and of
// the strength tester MP 4800 (9, 10). They differ in little more than their
// identifiers, defaults, unit lists and ranges, so one table describes them
// and one set of procedures serves them all; what a page has is what its
// layout holds.
#include "styles/TestPageCases.h"

#include "foundation/modGeneral.h"

namespace {

using P = PageControl;

struct Range {
    double Lower = 0;
    double Upper = 0;
};

struct PageRow {
    int TestType;
    const char* Identifier;
    const char* CodeLetter;
    std::vector<int> ResultUnits;     // cboUnit1, in the order they are added
    int DefaultResultUnit;
    const char* Parameter1;           // default text of txtSample1; nullptr: none
    const char* Parameter2;           // default text of txtSample2; nullptr: none
    Range Parameter1Ranges[2];        // with the first unit option (or none), with the second
    Range Parameter2Ranges[2];
};

constexpr int MillimetrePerMinute = 78;
constexpr int InchPerMinute = 81;
constexpr int Percent = 110;
constexpr int Blank = 32;

const std::vector<PageRow>& PageRows()
{
    static const std::vector<PageRow> rows = {
        {3, "D  7041", "N", {104, 105}, 105, "100", nullptr, {{1, 10000}, {1, 10000}}, {}},
        {4, "D  7041", "A", {107, 108}, 107, "100", nullptr, {{1, 10000}, {1, 10000}}, {}},
        {5, "D  7041", "P", {107, 108}, 107, nullptr, nullptr, {}, {}},
        {6, "D  7041", "W", {58, 59, 60, 61}, 58, nullptr, nullptr, {}, {}},
        {7, "MP 4300", "U", {115, 116}, 116, "500", nullptr, {{10, 500}, {0.5, 20}}, {}},
        {8, "MP 4300", "D", {115, 116}, 116, "500", nullptr, {{10, 500}, {0.5, 20}}, {}},
        {9, "MP 4800", "y", {56, 59, 61}, 56, "100", "10", {{100, 999}, {4, 40}}, {{0.1, 999.9}, {0.01, 40}}},
        {10, "MP 4800", "s", {56, 59, 61}, 56, "10", "80", {{1, 400}, {1, 400}}, {{1, 10000}, {1, 10000}}},
    };
    return rows;
}

const PageRow& RowOf(int testType)
{
    for (const PageRow& row : PageRows()) {
        if (row.TestType == testType)
            return row;
    }
    return PageRows().front();
}

// ---------------------------------------------------------------------------
// Layouts

std::vector<PageControlPlace> LengthWithOptions(const char* caption, const char* unit1, const char* unit2)
{
    return {
        UnitFramePlace(),
        ResultUnitPlace(P::cboUnit1),
        ParameterFramePlace(1, caption),
        ValuePlace(1, P::txtSample1),
        OptionPlace(1, P::optSample1Unit1, 0, unit1),
        OptionPlace(1, P::optSample1Unit2, 1, unit2),
    };
}

const std::vector<PageControlPlace> YarnCountLayout = LengthWithOptions("Test length", "m", "yd");
const std::vector<PageControlPlace> TwistLayout = LengthWithOptions("Test length", "mm", "in");

const std::vector<PageControlPlace> AreaWeightLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Test area"),
    ValuePlace(1, P::txtSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "cm²"),
};

const std::vector<PageControlPlace> PaperAreaWeightLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ParameterFramePlace(1, "Size (DIN A)"),
    {P::lblSample1, P::fraSample1, ValueLeft, ValueTop + 30, 720, BoxHeight, "DIN A"},
    {P::cboSample1, P::fraSample1, ValueLeft + 780, ValueTop, 900, BoxHeight, ""},
};

const std::vector<PageControlPlace> WeightLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
};

const std::vector<PageControlPlace> TensileLayout = [] {
    std::vector<PageControlPlace> places = LengthWithOptions("Test length", "mm", "in");
    places.push_back(ResultUnitPlace(P::cboUnit2));
    places.push_back(ParameterFramePlace(2, "Test speed"));
    places.push_back(ValuePlace(2, P::txtSample2));
    places.push_back(UnitLabelPlace(2, P::lblSample2Unit, "mm/min"));
    return places;
}();

const std::vector<PageControlPlace> SkeinLayout = {
    UnitFramePlace(),
    ResultUnitPlace(P::cboUnit1),
    ResultUnitPlace(P::cboUnit2),
    ParameterFramePlace(1, "Yarn count"),
    ValuePlace(1, P::txtSample1),
    UnitLabelPlace(1, P::lblSample1Unit, "Ne"),
    ParameterFramePlace(2, "Warps"),
    ValuePlace(2, P::txtSample2),
};

// ---------------------------------------------------------------------------
// The procedures of the group

bool HasOptions(const TestPage& page)
{
    return page[P::optSample1Unit1].Present;
}

// The range of a value that depends on the length unit: the first while the
// first option is set (and on a page without options).
const Range& RangeOf(const TestPage& page, const Range (&ranges)[2])
{
    return !HasOptions(page) || page[P::optSample1Unit1].Value ? ranges[0] : ranges[1];
}

void InitPage(TestPage& page, const PageContext&)
{
    const PageRow& row = RowOf(page.TestType);
    PageControlState& results = page[P::cboUnit1];
    QStringList units;
    for (const int code : row.ResultUnits)
        units.append(UnitTextOf(code));
    FillList(results, units);
    SelectText(results, UnitTextOf(row.DefaultResultUnit));
    if (page.TestType == 9 || page.TestType == 10) {
        // The elongation in %; the skein strength has no second unit, its
        // list one blank entry.
        FillUnitList(page[P::cboUnit2], {page.TestType == 9 ? Percent : Blank});
        page[P::cboUnit2].ListIndex = 0;
    }
    if (page[P::cboSample1].Present) {
        QStringList sizes;
        for (int size = 0; size <= 9; ++size)
            sizes.append(QString::number(size));
        FillList(page[P::cboSample1], sizes);
        SelectText(page[P::cboSample1], QStringLiteral("4"));
    }
    if (row.Parameter1)
        page[P::txtSample1].Text = QString::fromLatin1(row.Parameter1);
    if (row.Parameter2)
        page[P::txtSample2].Text = QString::fromLatin1(row.Parameter2);
    if (HasOptions(page)) {
        SetOption(page, P::optSample1Unit1);
        optSample1Unit1_Click(page);
    }
}

void ShowPage(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
    if (page.TestType == 9)
        SelectText(page[P::cboUnit2], record.Result2Unit);
    if (page[P::txtSample1].Present)
        page[P::txtSample1].Text = record.Parameter1;
    if (page[P::cboSample1].Present)
        SelectText(page[P::cboSample1], record.Parameter1);
    if (HasOptions(page)) {
        SetOptionByCaption(page, {P::optSample1Unit1, P::optSample1Unit2}, record.Parameter1Unit);
        // The speed's unit follows the length unit, not the string.
        if (page[P::optSample1Unit1].Value)
            optSample1Unit1_Click(page);
        else
            optSample1Unit2_Click(page);
    }
    if (page[P::txtSample2].Present)
        page[P::txtSample2].Text = record.Parameter2;
}

ExpectedDataStringInput ReadPage(const TestPage& page, const PageContext&)
{
    const PageRow& row = RowOf(page.TestType);
    ExpectedDataStringInput input;
    input.Identifier = row.Identifier;
    input.CodeLetter = row.CodeLetter;
    if (page[P::txtSample1].Present) {
        input.Parameters[0] = ParameterText(page[P::txtSample1].Text);
        input.ParameterUnits[0] = UnitCodeOf(HasOptions(page)
                                                 ? SetOptionCaption(page, {P::optSample1Unit1, P::optSample1Unit2})
                                                 : page[P::lblSample1Unit].Text);
    }
    if (page[P::cboSample1].Present)
        input.Parameters[0] = ListText(page[P::cboSample1]);   // the paper size has no unit
    if (page[P::txtSample2].Present) {
        input.Parameters[1] = ParameterText(page[P::txtSample2].Text);
        // The warps of the skein strength have no unit.
        if (page[P::lblSample2Unit].Present)
            input.ParameterUnits[1] = UnitCodeOf(page[P::lblSample2Unit].Text);
    }
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    if (page.TestType == 9)
        input.Result2Unit = UnitCodeOf(ListText(page[P::cboUnit2]));
    return input;
}

PageControl ValidatePage(const TestPage& page, const PageContext&)
{
    const PageRow& row = RowOf(page.TestType);
    PageControl result = P::None;
    if (page[P::txtSample1].Present) {
        const Range& range = RangeOf(page, row.Parameter1Ranges);
        if (!IsParameterInRange(page[P::txtSample1].Text, range.Lower, range.Upper))
            result = P::txtSample1;
    }
    if (page[P::txtSample2].Present) {
        const Range& range = RangeOf(page, row.Parameter2Ranges);
        if (!IsParameterInRange(page[P::txtSample2].Text, range.Lower, range.Upper))
            result = P::txtSample2;
    }
    return result;
}

void ChooseOnPage(TestPage& page, PageControl control, const PageContext&)
{
    if (control == P::optSample1Unit1)
        optSample1Unit1_Click(page);
    else if (control == P::optSample1Unit2)
        optSample1Unit2_Click(page);
}

TestPageCase CaseWith(const std::vector<PageControlPlace>* layout, bool checks)
{
    return {layout, InitPage, ShowPage, ReadPage, checks ? ValidatePage : nullptr, ChooseOnPage};
}

} // namespace

void optSample1Unit1_Click(TestPage& page)
{
    if (page.TestType == 9)
        page[P::lblSample2Unit].Text = UnitTextOf(MillimetrePerMinute);
}

void optSample1Unit2_Click(TestPage& page)
{
    if (page.TestType == 9)
        page[P::lblSample2Unit].Text = UnitTextOf(InchPerMinute);
}

const TestPageCase* TestPageCaseOf3to10(int testType)
{
    static const TestPageCase cases[] = {
        CaseWith(&YarnCountLayout, true),        // 3
        CaseWith(&AreaWeightLayout, true),       // 4
        CaseWith(&PaperAreaWeightLayout, false), // 5
        CaseWith(&WeightLayout, false),          // 6
        CaseWith(&TwistLayout, true),            // 7
        CaseWith(&TwistLayout, true),            // 8
        CaseWith(&TensileLayout, true),          // 9
        CaseWith(&SkeinLayout, true),            // 10
    };
    if (testType < 3 || testType > 10)
        return nullptr;
    return &cases[testType - 3];
}
