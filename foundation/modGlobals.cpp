#include "foundation/modGlobals.h"

#include "foundation/modRecords.h"
#include "platform/ProgramFolder.h"
#include "platform/SharedFolder.h"

std::vector<Style> Styles(1, MakeBlankStyle());
Style CurrentStyle = MakeBlankStyle();
std::vector<ReportForm> ReportForms(1, MakeBlankReportForm());
std::vector<SearchPattern> SearchPatterns(1, SearchPattern{});
std::vector<QString> Reference2Values(1);
std::vector<QString> Reference3Values(1);
std::vector<QString> Reference4Values(1);
std::vector<QString> Operators(1);
ReferenceTitles RefTitles = MakeDefaultReferenceTitles();
KeyboardDefinition KeyboardDef;
Passwords UserPasswords;
SystemSettings StoredSettings = DefaultSystemSettings(QString());

int16_t Language = 2;
int16_t DateFormat = 1;
int16_t ComPort = 2;
QString DataFolder;
bool AutoSave = true;
bool AutoPrint = true;
bool SwitchBoxUsed = false;
std::array<int16_t, 6> PortDevice{};
QString QDASFolder;

// The folders the user chose, from which every file in them is reached
// (the style and curve folders lie in the data folder).
const bool ChosenFoldersTold = [] {
    SetChosenFoldersSource([] { return QStringList{ProgramFolder(), DataFolder, QDASFolder}; });
    return true;
}();

std::vector<Protocol> Protocols(1, MakeEmptyProtocol());
int16_t CurrentProtocol = 0;

int16_t LoginLevel = 0;
bool PortOpen = false;
int16_t MsgResult = 0;

void ResetSettingsGlobals(const QString& programFolder)
{
    Styles.assign(1, BlankStyle);
    CurrentStyle = BlankStyle;
    ReportForms.assign(1, BlankReportForm);
    SearchPatterns.assign(1, EmptySearchPattern);
    Reference2Values.assign(1, QString());
    Reference3Values.assign(1, QString());
    Reference4Values.assign(1, QString());
    Operators.assign(1, QString());
    RefTitles = DefaultReferenceTitles;
    KeyboardDef = EmptyKeyboardDefinition;
    UserPasswords = Passwords{};
    StoredSettings = DefaultSystemSettings(programFolder);
    StoredSettingsToGlobals();
    QDASFolder = programFolder;
    Protocols.assign(1, EmptyProtocol);
    CurrentProtocol = 0;
}

void StoredSettingsToGlobals()
{
    Language = StoredSettings.Language;
    DateFormat = StoredSettings.DateFormat;
    ComPort = StoredSettings.ComPort;
    DataFolder = StoredSettings.DataFolder;
    AutoSave = StoredSettings.AutoSave;
    AutoPrint = StoredSettings.AutoPrint;
    SwitchBoxUsed = StoredSettings.SwitchBoxUsed;
    PortDevice = StoredSettings.PortDevice;
}

void GlobalsToStoredSettings()
{
    StoredSettings.Language = Language;
    StoredSettings.DateFormat = DateFormat;
    StoredSettings.ComPort = ComPort;
    StoredSettings.DataFolder = DataFolder;
    StoredSettings.AutoSave = AutoSave;
    StoredSettings.AutoPrint = AutoPrint;
    StoredSettings.SwitchBoxUsed = SwitchBoxUsed;
    StoredSettings.PortDevice = PortDevice;
}
