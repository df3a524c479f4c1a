#pragma once
// The test pages of the style editor without widgets. Each test type 1 to 20
// has a page of parameter controls; a page holds the state of its controls
// (texts, list items and the selected one, option states, captions, frame
// visibility), and four procedures carry everything that depends on the test
// type:
//   InitTestControls  fills the lists of a page and sets its defaults;
//   ShowTest          shows a test definition on the page and in the nominal area;
//   ReadTest          builds a test definition from the page and the nominal area;
//   ValidateTest      names the control whose entry must be corrected.
// The rules that every page shares live here; what differs per test type is
// a TestPageCase (TestPageCases.h), found by FindTestPageCase. The window
// mirrors the state in its controls and writes the user's edits back into it.
#include "foundation/DataStringRecord.h"
#include "foundation/Records.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

// The controls of a page and of the nominal area, named as the window names
// them. A page uses only the members its test type needs.
enum class PageControl : int {
    None = 0,
    fraSample1, fraSample2, fraSample3, fraSample4,
    txtSample1, txtSample2, txtSample3, txtSample4,
    cboSample1, cboSample2, cboSample3, cboSample4,
    cboSample31, cboSample32, lblSample3,
    optSample1Unit1, optSample1Unit2, optSample1Unit3,
    optSample3Unit1, optSample3Unit2, optSample3Unit3,
    optSample4Unit1, optSample4Unit2,
    lblSample1Unit, lblSample2Unit, lblSample3Unit, lblSample4Unit,
    lblSample1,
    cboSample1Unit, cboSample2Unit, cboSample3Unit, cboSample4Unit,
    fraUnit, cboUnit1, cboUnit2,
    // The nominal area, one set for the whole window, in the order in which
    // a definition is shown.
    txtNominal1, txtNominal2, txtLLimit1, txtLLimit2, txtULimit1, txtULimit2, txtCI1, txtCI2,
    cboTest,
    Count
};
inline constexpr int PageControlCount = static_cast<int>(PageControl::Count);

// The member of a family by parameter number 1 to 4.
PageControl FraSample(int parameter);
PageControl TxtSample(int parameter);
PageControl CboSample(int parameter);
PageControl LblSampleUnit(int parameter);
PageControl CboSampleUnit(int parameter);

// The control's name ("txtSample1"), for object names and messages in the log.
QString PageControlName(PageControl control);

// What kind of widget shows the control.
enum class ControlKind { None, Frame, TextBox, List, Option, Label };
ControlKind KindOf(PageControl control);
// The nominal boxes and cboTest.
bool IsNominalControl(PageControl control);

struct PageControlState {
    bool Present = false;   // the page has this control
    QString Text;           // a box's text; the caption of a frame, label or option
    QStringList Items;      // a list's entries
    int ListIndex = -1;     // the selected entry, -1 for none
    bool Sorted = false;    // entries kept in alphabetical order as they are added
    bool Value = false;     // an option is set
    bool Visible = true;
    int Top = -1;           // twips within the page; -1 keeps the place of the layout

    bool operator==(const PageControlState&) const = default;
};

struct TestPage {
    int16_t TestType = 0;
    std::array<PageControlState, PageControlCount> Controls{};
    // The expected data string last shown: what a test type without a page
    // of its own writes back, so that it is never lost.
    std::string ShownHeaderImage;

    PageControlState& operator[](PageControl control) { return Controls[static_cast<size_t>(control)]; }
    const PageControlState& operator[](PageControl control) const
    {
        return Controls[static_cast<size_t>(control)];
    }

    bool operator==(const TestPage&) const = default;
};

using TestPages = std::array<TestPage, TestTypeCount + 1>;   // 1 to 20; 0 is no page

// The flags of the editor that the pages depend on; fixed while it is open.
struct PageContext {
    bool HasKR6100III = false;       // an instrument position holds the KR 6100-III
    bool TestArea44Variant = false;  // the hydrostatic-head test area "10" is offered as "44"
};

// The nominal area below the pages: eight value boxes and the test count.
inline constexpr int NominalBoxCount = 8;
inline constexpr int TestCountItems = 999;   // cboTest holds "1" to "999"

struct NominalArea {
    std::array<QString, NominalBoxCount> Text{};   // in the order txtNominal1 .. txtCI2
    std::array<bool, NominalBoxCount> Visible{true, true, true, true, true, true, true, true};
    int TestIndex = TestCountItems - 1;            // cboTest's selected entry, -1 for none

    QString& operator[](PageControl box);
    const QString& operator[](PageControl box) const;
    bool IsVisible(PageControl box) const;
    void SetVisible(PageControl box, bool visible);

    bool operator==(const NominalArea&) const = default;
};

// ---------------------------------------------------------------------------
// Rules every page shares

// A page with the controls of its test type's layout, their layout captions,
// and the result-unit lists that keep alphabetical order (cboUnit1 of test
// types 2 to 20, every cboUnit2); nothing filled yet.
TestPage MakeTestPage(int16_t testType);
// All twenty pages, page 0 empty.
TestPages MakeTestPages();

// The selected entry's text; empty without a selection.
QString ListText(const PageControlState& list);
// Clears the list and adds the texts in order (a sorted list puts each one at
// its alphabetical place); nothing is selected afterwards.
void FillList(PageControlState& list, const QStringList& items);
// The same with the unit texts of the codes (character numbers) in the
// current language.
void FillUnitList(PageControlState& list, std::initializer_list<int> codes);
// Selects the first entry equal to the text, letter case ignored. A stored
// parameter that is a number reads in the locale's notation ("0,5") while
// the lists hold the instruments' texts ("0.5"): without an equal entry, the
// first entry that is a number written with "." and equals it is selected.
// Otherwise an absent text selects nothing.
void SelectText(PageControlState& list, const QString& text);
// Sets the option and clears the other options of its parameter.
void SetOption(TestPage& page, PageControl option);
// Sets each of the options whose caption equals the unit text; when none
// does, the options keep their state.
void SetOptionByCaption(TestPage& page, std::initializer_list<PageControl> options, const QString& unitText);

// The unit code (one character, a blank for none) of a unit text in the
// current language.
std::string UnitCodeOf(const QString& unitText);
// The caption of the first of the options that is set, the last one listed
// when none before it is.
QString SetOptionCaption(const TestPage& page, std::initializer_list<PageControl> options);
// The unit text of a code number in the current language.
QString UnitTextOf(int code);

// A typed parameter as it is written: every "," as ".".
QString ParameterText(const QString& boxText);
// The number at the start of a typed parameter ("," read as "."; blanks
// skipped; no number is 0), and whether it lies within the bounds.
double ParameterValue(const QString& boxText);
bool IsParameterInRange(const QString& boxText, double lower, double upper);

// ---------------------------------------------------------------------------
// The four page procedures

// Fills the lists of the page and sets its defaults.
void InitTestControls(TestPage& page, const PageContext& context);
// Shows the definition: its expected data string on the page, its nominal
// values in the area.
void ShowTest(TestPage& page, NominalArea& nominals, const TestDefinition& definition, const PageContext& context);
// The definition the page and the area describe: a 60-character expected data
// string and a test count from 1 to 999. A test type without a page of its
// own keeps the string it showed last.
TestDefinition ReadTest(const TestPage& page, const NominalArea& nominals, const PageContext& context);
// The control to correct, PageControl::None when the page is valid: the last
// failing check of the test type's own checks, then of the nominal area.
// Test type 0 (no page in front) runs only the nominal checks.
PageControl ValidateTest(const TestPage& page, const NominalArea& nominals, const PageContext& context);
// After the user chose a list entry or an option of the page: the choice
// is in the state; the test type's rules for that choice run.
void ChoosePageControl(TestPage& page, PageControl control, const PageContext& context);
