#pragma once
// The global state that lives for the whole run: the settings and their
// working copies, the settings lists, and the open test series.
#include "foundation/Records.h"

#include <QString>
#include <array>
#include <vector>

// Lists; element 0 of each is unused (blank) unless said otherwise.
extern std::vector<Style> Styles;               // at most 30000
extern Style CurrentStyle;                      // working copy of the style editor
extern std::vector<ReportForm> ReportForms;     // at most 100
extern std::vector<SearchPattern> SearchPatterns;   // 0 = last used, 1 to 9 saved
extern std::vector<QString> Reference2Values;   // at most 30000 each
extern std::vector<QString> Reference3Values;
extern std::vector<QString> Reference4Values;
extern std::vector<QString> Operators;          // at most 100
extern ReferenceTitles RefTitles;
extern KeyboardDefinition KeyboardDef;
extern Passwords UserPasswords;
extern SystemSettings StoredSettings;

// Working copies of the fields of SystemSettings.
extern int16_t Language;
extern int16_t DateFormat;
extern int16_t ComPort;
extern QString DataFolder;
extern bool AutoSave;
extern bool AutoPrint;
extern bool SwitchBoxUsed;
extern std::array<int16_t, 6> PortDevice;
extern QString QDASFolder;

// Element 0 is the series being prepared; 1 to n are the open series.
extern std::vector<Protocol> Protocols;
extern int16_t CurrentProtocol;     // index of the series shown; 0 for none

extern int16_t LoginLevel;          // set by the login
extern bool PortOpen;               // the serial port is open
extern int16_t MsgResult;           // answer of the last message box

// Puts every settings global back to its default: empty lists (element 0
// only), default reference titles and system settings with the given program
// folder as data and Q-DAS folder, one empty protocol.
void ResetSettingsGlobals(const QString& programFolder);

// Copies between StoredSettings and the working copies.
void StoredSettingsToGlobals();
void GlobalsToStoredSettings();
