#pragma once
// The two kinds of input box whose text the program keeps.
//
// Text boxes whose text is stored (names, references, operators,
// commentaries, passwords, Q-DAS fields) take only characters that survive
// the trip into a file and out again: no control character (a TAB or line
// break would break the tab-separated reports and the DFQ lines) and nothing
// outside Windows-1252 (it would be stored as "?"). Number boxes take digits
// and one decimal separator of the locale, without grouping.
//
// Both refuse such an edit whole, typed, pasted or dropped, with a beep; an
// edit that makes the text longer than the box's limit is cut to the limit,
// also with a beep. The limit is the maxLength given here, kept as the box's
// own maxLength, so a cut paste keeps what stands before the caret and undo
// and redo work as usual; 0 or less means no limit of its own. Only what an
// edit inserts is judged: a text the program sets is taken as it stands (cut
// to the limit, without a beep), and deleting is always possible.
#include <QString>

class QComboBox;
class QLineEdit;

void InstallTextInput(QLineEdit* box, int maxLength);
void InstallTextInput(QComboBox* editableBox, int maxLength);
// Without decimals the box takes digits only.
void InstallNumberInput(QLineEdit* box, int maxLength, bool decimals = true);
// A number box for a value that is sent on with a decimal point: it takes a
// point or a comma as its one decimal separator, whatever the locale.
void InstallValueInput(QLineEdit* box, int maxLength);

// True when every character may be stored: no control character (below
// U+0020, U+007F to U+009F) and each one in Windows-1252.
bool IsStorableText(const QString& text);

// True when the text is digits with at most one decimal separator (the
// locale's; none without decimals); an empty text is one.
bool IsNumberInputText(const QString& text, bool decimals = true);

// The beep of refused input. Every refusal calls it; tests count the beeps.
void InputBeep();
int InputBeepCount();
