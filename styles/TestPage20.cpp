// The page of the liquid strike-through time of the Lenzing Lister (test
// type 20): no parameters, the result in seconds.
#include "styles/TestPageCases.h"

namespace {

using P = PageControl;

constexpr int Seconds = 96;

const std::vector<PageControlPlace> StrikeThroughLayout = {
    {P::fraUnit, P::None, 120, 60, PageWidth - 240, 780, "Unit"},
    {P::cboUnit1, P::fraUnit, 240, 300, 1800, 315, ""},
};

void InitStrikeThrough(TestPage& page, const PageContext&)
{
    FillUnitList(page[P::cboUnit1], {Seconds});
    SelectText(page[P::cboUnit1], UnitTextOf(Seconds));
}

void ShowStrikeThrough(TestPage& page, const DataStringRecord& record, const PageContext&)
{
    SelectText(page[P::cboUnit1], record.ResultUnit);
}

ExpectedDataStringInput ReadStrikeThrough(const TestPage& page, const PageContext&)
{
    ExpectedDataStringInput input;
    input.Identifier = "LLISTER";
    input.ResultUnit = UnitCodeOf(ListText(page[P::cboUnit1]));
    return input;
}

const TestPageCase StrikeThroughCase{&StrikeThroughLayout, InitStrikeThrough, ShowStrikeThrough, ReadStrikeThrough,
                                     nullptr, nullptr};

} // namespace

const TestPageCase* TestPageCaseOf20(int testType)
{
    return testType == 20 ? &StrikeThroughCase : nullptr;
}
