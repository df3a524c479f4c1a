#pragma once
// The texts of the style editor as data: its caption table in five languages,
// the unit captions of the test pages, the tips of the parameter boxes and
// which keys those boxes take. Every page takes its entries from here; a
// control its page does not have is passed over.
#include "styles/TestPage.h"

#include <QString>
#include <cstdint>
#include <vector>

// Entries of the caption table.
enum class StyleCaption : int {
    Title = 1,      // the window
    Unit = 2,       // fraUnit of every page
    Nominal = 3,    // lblNominal
    LowerLimit = 4, // lblLLimit
    UpperLimit = 5, // lblULimit
    CI = 6,         // lblCI
    Tests = 7,      // lblTest
};
// The entry in language 1 to 5; empty for 6 and any other number.
QString StyleEditorCaption(StyleCaption entry, int16_t language);

// A control of a page that shows the unit text of a fixed code.
struct UnitCaption {
    int16_t TestType = 0;
    PageControl Control = PageControl::None;
    int Code = 0;               // character number of the unit code
};
const std::vector<UnitCaption>& UnitCaptions();

// The captions of one page in the language: the parameter frames named by
// the property's parameters (a frame whose name is empty keeps its own
// caption), the unit frame, and the fixed unit captions.
void SetPageCaptions(TestPage& page, int16_t language);

// What a parameter box lets the user type.
enum class KeyFilter {
    FreeText,   // keyboard input: any storable text
    Digits,     // digits only
    Decimals,   // digits and one decimal separator of the locale
};
KeyFilter ParameterKeyFilter(PageControl box, int testType);

// The tip of a parameter box: "low - high unit" with the range its page's
// check applies and the unit chosen at the moment; empty for a box that has
// none.
QString ParameterTip(const TestPage& page, PageControl box);
