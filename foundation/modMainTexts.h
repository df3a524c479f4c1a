#pragma once
// The fixed texts of the main window in the five languages, held as data so
// that the window sets its captions from them and other texts (the clipboard
// reports) read the same captions without a window being open.
#include <QString>
#include <array>

// The window title; the same in every language, also in one without texts.
inline constexpr const char* MainWindowTitle = "ZOLVERA D 7110 QUINTARA III";

// Number of entries of the text table; entry 3 is not used.
inline constexpr int MainTextCount = 60;

// The text table of a language: entries 1 to 60 (element 0 and entry 3 empty).
// Languages 1 German, 2 English, 3 French, 4 Italian, 5 Spanish; any other
// value, 6 included, gives a table of empty texts.
std::array<QString, MainTextCount + 1> MainTextTable(int language);

// One entry of the table; an entry outside 1 to 60 gives an empty text.
QString MainText(int entry, int language);

// The caption a control of the main window gets in a language, found by its
// control name (compared exactly). Control arrays take their index:
// `tabDisplay` 0 to 7, `optProtocol` 1 and 2, `lblLateralAir` 1 to 6; the
// index of any other control is ignored. "frmMain" gives the window title;
// `mnuFile_Exit` carries a tab and "Alt+F4" after its text in every language.
// An unknown control or index gives an empty text. The reference captions
// (`lblReference` 2 to 4) are not fixed texts; they come from the user's
// reference titles.
QString MainCaption(const QString& controlName, int index, int language);
QString MainCaption(const QString& controlName, int language);

// The table entry behind a control, or 0 when the control has no entry.
int MainTextEntry(const QString& controlName, int index);
