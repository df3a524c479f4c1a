#pragma once
// What one test type adds to the shared page rules (TestPage.h): the
// controls of its page and where they stand, its defaults, how its expected
// data string is read and written, its range checks, and the rules of its
// dependent lists. Each group of test types keeps its cases in a file of its
// own; FindTestPageCase asks them in turn.
#include "instrument/DataStringRecord.h"
#include "styles/ExpectedDataString.h"
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
const TestPageCase* TestPageCaseOf20(int testType);

// The size of a page (fraProperty) in twips; the controls of every layout
// stay within it.
inline constexpr int PageWidth = 4200;
inline constexpr int PageHeight = 6180;
