#pragma once
// What one test type adds to the shared page rules (TestPage.h): the
// controls of its page and where they stand, its defaults, how its expected
// data string is read and written, its range checks, and the rules of its
// dependent lists. Each group of test types keeps its cases in a file of its
// own; FindTestPageCase asks them in turn.
#include "foundation/DataStringRecord.h"
#include "instrument/ExpectedDataString.h"
#include "styles/TestPage.h"

#include <vector>

// One control of a page: its frame (PageControl::None for the page itself),
// its place in twips within that frame, and the caption it carries before the
// captions of the language are set.
struct PageControlPlace {
    PageControl Control = PageControl::None;
    PageControl Frame = PageControl::None;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    const char* Caption = "";
};

struct TestPageCase {
    const std::vector<PageControlPlace>* Layout = nullptr;
    // Fills the lists and sets the defaults.
    void (*Init)(TestPage& page, const PageContext& context) = nullptr;
    // Sets the controls from the parsed expected data string.
    void (*Show)(TestPage& page, const DataStringRecord& record, const PageContext& context) = nullptr;
    // The fields of the expected data string.
    ExpectedDataStringInput (*Read)(const TestPage& page, const PageContext& context) = nullptr;
    // The last failing check of the test type; nullptr when it has none.
    PageControl (*Validate)(const TestPage& page, const PageContext& context) = nullptr;
    // The rule of a chosen list entry or option; nullptr when none has one.
    void (*Choose)(TestPage& page, PageControl control, const PageContext& context) = nullptr;
};

// The case of the test type; nullptr for one that has no page of its own.
// TestPageCases.cpp asks the groups below in turn.
const TestPageCase* FindTestPageCase(int testType);

// The groups, each in a file of its own (TestPages1to2.cpp ...); nullptr for
// a test type outside the group.
const TestPageCase* TestPageCaseOf1to2(int testType);
const TestPageCase* TestPageCaseOf3to10(int testType);
const TestPageCase* TestPageCaseOf11to15(int testType);
const TestPageCase* TestPageCaseOf16to19(int testType);
const TestPageCase* TestPageCaseOf20(int testType);

// The rules of the dependent lists, run after a list entry or an option was
// chosen, by the user or by the page procedures, also when the entry was
// already the chosen one; each returns at once on a page it has no rule for.
// The result unit of page 12 decides the unit and list of the rate of rise,
// that of page 15 the test length and the units beside it.
void cboUnit1_Click(TestPage& page, const PageContext& context);
// The pressure sequence of page 13 decides the result units, the sequence's
// unit and whether maximum pressure and holding time are shown.
void cboSample1_Click(TestPage& page, const PageContext& context);
// The length unit of page 9 decides the unit of the test speed.
void optSample1Unit1_Click(TestPage& page);
void optSample1Unit2_Click(TestPage& page);

// The size of a page (fraProperty) in twips; the controls of every layout
// stay within it.
inline constexpr int PageWidth = 4200;
inline constexpr int PageHeight = 6180;

// Where the layouts put things, in twips: the unit frame at the top of the
// page, the parameter frames below it one under the other, and inside a
// frame the value at the left and its unit to the right of it.
inline constexpr int FrameLeft = 120;
inline constexpr int FrameWidth = PageWidth - 2 * FrameLeft;
inline constexpr int UnitFrameTop = 60;
inline constexpr int UnitFrameHeight = 780;
inline constexpr int ParameterFrameTop = 960;
inline constexpr int ParameterFrameHeight = 1140;
inline constexpr int ParameterFrameStep = 1260;
inline constexpr int BoxHeight = 315;
inline constexpr int OptionHeight = 285;
inline constexpr int ValueLeft = 240;
inline constexpr int ValueTop = 420;
inline constexpr int ValueWidth = 1200;
inline constexpr int UnitLeft = 1680;
inline constexpr int UnitWidth = 2160;

// The places of the usual controls: the unit frame with the result-unit
// lists (cboUnit1 at the left, cboUnit2 beside it); the frame of parameter k,
// the k-th from the top unless a top is given; inside it the value (a box or
// a list), the unit label or the n-th unit option to the right of it.
PageControlPlace UnitFramePlace();
PageControlPlace ResultUnitPlace(PageControl list);
PageControlPlace ParameterFramePlace(int parameter, const char* caption, int top = -1,
                                     int height = ParameterFrameHeight);
PageControlPlace ValuePlace(int parameter, PageControl control, int width = ValueWidth);
PageControlPlace UnitLabelPlace(int parameter, PageControl label, const char* caption = "");
PageControlPlace OptionPlace(int parameter, PageControl option, int row, const char* caption);
