#pragma once
// The rules of the report form editor that need no window: which property
// boxes may be used for the instruments configured, the form read from the
// check states and back, and saving and deleting forms in the editor's
// working copy of the stored forms.
#include "foundation/Records.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

inline constexpr int MaxFormProperties = 6;
inline constexpr int MaxReportForms = 100;
inline constexpr int16_t MsgListFull = 9;
inline constexpr int16_t MsgTooManyProperties = 11;
inline constexpr int16_t MsgFormLinkedToStyle = 38;

// One flag per test type 1 to 20 (element 0 unused).
using TestTypeFlags = std::array<bool, TestTypeCount + 1>;

// The check states of the editor's boxes, by test type. Only 14, 17 and 18
// have a curve box; the curve flag of any other test type is ignored.
struct PropertyBoxStates {
    TestTypeFlags Property{};
    TestTypeFlags Histogram{};
    TestTypeFlags Curve{};

    bool operator==(const PropertyBoxStates&) const = default;
};

// True for the test types that have a curve box.
bool HasCurveBox(int testType);

// Which test types may be chosen (their property, histogram and curve boxes
// enabled), given the checked properties and the instrument at each of the
// six positions. Keyboard input always may; of the test types one instrument
// measures, only the checked one once any is checked, except 16 and 17, which
// stay free. A property no configured instrument measures never may, whether
// it is checked or not.
TestTypeFlags EnabledPropertyBoxes(const TestTypeFlags& checked, const std::array<int16_t, 6>& portDevice);

// The number of checked properties.
int CheckedPropertyCount(const TestTypeFlags& checked);

// An entry can be saved: a name that is not blank and at least one property.
bool IsEntryComplete(const QString& nameText, const TestTypeFlags& checked);

// The form the boxes describe: the trimmed name, then the checked properties
// in ascending test type with their histogram and curve flags; flags of
// unchecked properties are dropped. Properties past the sixth are left out.
ReportForm ReadEntry(const QString& nameText, const PropertyBoxStates& states);

// The check states that show a form; an item whose test type lies outside
// 1 to 20 shows nothing.
PropertyBoxStates EntryStates(const ReportForm& form);

// Outcome of saving an entry into the working copy.
struct FormSaveResult {
    int Index = 0;          // element written; 0 when refused
    bool Added = false;     // a new element (its name goes into the list)
    bool Refused = false;   // the copy is full and the name is new (message 9)
};

// Saves the form into the working copy (element 0 unused): over the form of
// the same name in any case of letters, else as a new last element while the
// copy holds fewer than 100 forms.
FormSaveResult SaveReportForm(std::vector<ReportForm>& workingCopy, const ReportForm& form);

// True when a stored style (1 to the last) holds a form of that name, case ignored.
bool IsFormLinkedToStyle(const QString& name, const std::vector<Style>& styles);

enum class FormDeleteResult { Deleted, NotFound, LinkedToStyle };

// Deletes the form of that name (case ignored) from the working copy unless
// a style holds it; the elements after it move down.
FormDeleteResult DeleteReportForm(std::vector<ReportForm>& workingCopy, const QString& name,
                                  const std::vector<Style>& styles);

// Puts each saved form, in the order saved, over the first form of the same
// name (case ignored) in every style 1 to the last that holds one. The style
// keeps the form whole as saved, its name as typed.
void ApplySavedForms(std::vector<Style>& styles, const std::vector<ReportForm>& savedForms);
