#include "system_settings/modVersionHistory.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "platform/OleDate.h"

#include <QDate>

#include <iterator>

namespace {

struct HistoryRow {
    const char* version;
    int year;
    int month;
    int day;
    const char* ref;
    const char* text;
};

// Newest first. References: F a fault mended, D a development, U an update
// of something that was there.
const HistoryRow History[] = {
    {"8.0.0", 2011, 12, 8, "U1190", "Passwords and reference titles take only characters that the settings file can store"},
    {"8.0.0", 2011, 12, 8, "D1187", "Titles of references 2 to 4 edited for every language slot"},
    {"8.0.0", 2011, 12, 8, "D1184", "Version history shown in the About window"},
    {"8.0.0", 2011, 12, 8, "U1181", "System configuration refuses a configuration without any instrument"},
    {"8.0.0", 2011, 12, 8, "F1178", "Country settings keep the date format when only the language is changed"},
    {"8.0.0", 2011, 12, 8, "U1175", "Texts of all dialogs revised in the five languages"},
    {"8.0.0", 2011, 12, 8, "U1172", "Settings file kept as a backup copy while it is written"},
    {"7.6.2", 2011, 6, 20, "F1169", "Curve transfer repeats a block after a checksum error instead of ending the transfer"},
    {"7.6.2", 2011, 6, 20, "F1166", "Long-term chart no longer draws a missing value as zero"},
    {"7.6.2", 2011, 6, 20, "U1163", "Curve transfer shows its progress block by block"},
    {"7.6.1", 2011, 3, 14, "F1160", "Pending series are kept when the program ends during a measurement"},
    {"7.6.1", 2011, 3, 14, "F1157", "Q-DAS export writes the operator field in its full length"},
    {"7.6.1", 2011, 3, 14, "U1154", "Log lines carry the program version"},
    {"7.6.0", 2010, 11, 29, "D1151", "Pressure-drop test from two half readings with the power-law exponent"},
    {"7.6.0", 2010, 11, 29, "D1148", "Pressure-drop diagram in the main window and in the printed report"},
    {"7.6.0", 2010, 11, 29, "U1145", "Statistics table shows the confidence interval in per cent"},
    {"7.5.1", 2010, 7, 5, "F1142", "Print preview shows the last page of long reports"},
    {"7.5.1", 2010, 7, 5, "F1139", "Deleted tests are no longer counted in the histogram"},
    {"7.5.0", 2010, 3, 22, "D1136", "Detail window of a stored report with editing of references and operator"},
    {"7.5.0", 2010, 3, 22, "D1133", "Stored reports can be printed against the present style"},
    {"7.5.0", 2010, 3, 22, "U1130", "Long-term search sorts the found reports by date"},
    {"7.4.0", 2009, 10, 12, "D1127", "Search patterns of the long-term analysis can be saved"},
    {"7.4.0", 2009, 10, 12, "D1124", "Time-of-day window in the long-term search"},
    {"7.4.0", 2009, 10, 12, "F1121", "Wildcards in reference patterns also match at the end of the text"},
    {"7.3.1", 2009, 5, 18, "F1118", "Curve file names no longer collide within one second"},
    {"7.3.1", 2009, 5, 18, "F1115", "Clipboard text of the curve analysis uses the decimal separator of the system"},
    {"7.3.0", 2009, 2, 2, "D1112", "Curve analysis window with five views of the airbag-fabric curve"},
    {"7.3.0", 2009, 2, 2, "D1109", "ADAP, rise time and fall time computed from the smoothed flow"},
    {"7.3.0", 2009, 2, 2, "D1106", "Curve page printed with its table of results"},
    {"7.3.0", 2009, 2, 2, "U1103", "Power-law fit limited to the pressure range chosen in the options"},
    {"7.2.0", 2008, 9, 15, "D1100", "Block transfer of curve data from the KR 6450"},
    {"7.2.0", 2008, 9, 15, "U1097", "Curve files stored beside the test reports"},
    {"7.2.0", 2008, 9, 15, "F1094", "Time-out of the serial port measured on the system timer"},
    {"7.1.1", 2008, 5, 26, "F1091", "Switch-box channel selected again after a failed request"},
    {"7.1.1", 2008, 5, 26, "F1088", "Report forms with fewer than six properties print without empty pages"},
    {"7.1.0", 2008, 1, 21, "D1085", "Support for the KR 6400-IV"},
    {"7.1.0", 2008, 1, 21, "U1082", "Instrument icons in the system configuration"},
    {"7.1.0", 2008, 1, 21, "F1079", "Serial number check accepts leading blanks"},
    {"7.0.0", 2007, 9, 3, "D1076", "Several test series open side by side"},
    {"7.0.0", 2007, 9, 3, "D1073", "Unfinished series kept across restarts"},
    {"7.0.0", 2007, 9, 3, "U1070", "Main window redesigned with deviation chart, histogram and profile"},
    {"7.0.0", 2007, 9, 3, "U1067", "Settings file of older versions converted at start-up"},
    {"7.0.0", 2007, 9, 3, "U1064", "Splash window shown while the serial port is opened"},
    {"6.4.0", 2007, 4, 16, "D1061", "Q-DAS export of terminated series"},
    {"6.4.0", 2007, 4, 16, "D1058", "Q-DAS fields entered in the main window"},
    {"6.4.0", 2007, 4, 16, "F1055", "Limit sign of a value lying exactly on a limit corrected"},
    {"6.3.1", 2006, 12, 4, "F1052", "Student t factor of small series corrected"},
    {"6.3.1", 2006, 12, 4, "F1049", "A printer without paper no longer reports the report as printed"},
    {"6.3.1", 2006, 12, 4, "F1046", "Page numbers of the printed report counted across all properties"},
    {"6.3.0", 2006, 8, 28, "D1043", "Support for the KR 6800 and the KR 6850"},
    {"6.3.0", 2006, 8, 28, "U1040", "Liquid strike-through time shown in seconds"},
    {"6.3.0", 2006, 8, 28, "F1037", "Keyboard input accepts the decimal separator of the system"},
    {"6.2.0", 2006, 4, 10, "D1034", "Lenzing Lister added to the instrument table"},
    {"6.2.0", 2006, 4, 10, "U1031", "Stop at the confidence interval can be chosen per property"},
    {"6.2.0", 2006, 4, 10, "F1028", "Repeated transmission of one data string detected"},
    {"6.1.0", 2005, 11, 21, "D1025", "Commentary per test and per property"},
    {"6.1.0", 2005, 11, 21, "U1022", "Deleted tests marked in the printed report"},
    {"6.1.0", 2005, 11, 21, "F1019", "Histogram classes at the upper limit counted once"},
    {"6.0.1", 2005, 7, 11, "F1016", "Test reports of version 5 converted without losing the commentary"},
    {"6.0.1", 2005, 7, 11, "F1013", "Date of the last test kept when a test is deleted"},
    {"6.0.0", 2005, 3, 7, "D1010", "Time of each test stored in the test report"},
    {"6.0.0", 2005, 3, 7, "U1007", "Test report files of older versions converted when they are opened"},
    {"6.0.0", 2005, 3, 7, "D1004", "Automatic saving and printing of terminated series"},
    {"6.0.0", 2005, 3, 7, "U1001", "Data folder chosen in the data settings"},
    {"6.0.0", 2005, 3, 7, "U0998", "Serial port chosen in the data settings, ports that cannot be opened are disabled"},
    {"5.4.0", 2004, 10, 25, "D0995", "Support for the KR 6410"},
    {"5.4.0", 2004, 10, 25, "F0992", "Checksum of data strings with characters above 128 corrected"},
    {"5.4.0", 2004, 10, 25, "U0989", "Warning sign of the instrument shown beside the value"},
    {"5.3.0", 2004, 6, 14, "D0986", "Keyboard-input definition with its own instrument name"},
    {"5.3.0", 2004, 6, 14, "U0983", "Number of tests per property raised to 999"},
    {"5.2.1", 2004, 2, 16, "F0980", "Style names ending in blanks are found again"},
    {"5.2.1", 2004, 2, 16, "F0977", "Profile chart of a single value printed correctly"},
    {"5.2.0", 2003, 11, 3, "D0974", "Support for the KR 6400-III"},
    {"5.2.0", 2003, 11, 3, "U0971", "Compatible instruments share one position"},
    {"5.2.0", 2003, 11, 3, "F0968", "Switch-box channel 5 selected correctly"},
    {"5.1.0", 2003, 6, 23, "D0965", "List of operators edited in its own dialog"},
    {"5.1.0", 2003, 6, 23, "U0962", "Lists of reference values hold up to 30000 entries"},
    {"5.1.0", 2003, 6, 23, "F0959", "Duplicate reference values refused"},
    {"5.0.0", 2003, 2, 10, "D0956", "Switch box D 7120 with five instrument channels"},
    {"5.0.0", 2003, 2, 10, "D0953", "System configuration with one instrument per position"},
    {"5.0.0", 2003, 2, 10, "U0950", "All settings stored in one binary file"},
    {"5.0.0", 2003, 2, 10, "U0947", "Mouse pointer shows the hourglass while the instrument is asked"},
    {"4.3.0", 2002, 10, 7, "D0944", "Support for the KR 6250"},
    {"4.3.0", 2002, 10, 7, "U0941", "Nominal values taken from the mean when none are defined"},
    {"4.3.0", 2002, 10, 7, "F0938", "Limits with many decimals printed with significant digits"},
    {"4.2.0", 2002, 6, 3, "D0935", "Report forms with up to six properties"},
    {"4.2.0", 2002, 6, 3, "U0932", "Report forms chosen per style"},
    {"4.2.0", 2002, 6, 3, "U0929", "Histogram printed beside the statistics table"},
    {"4.1.1", 2002, 2, 25, "F0926", "Decimal separator read from the system settings"},
    {"4.1.1", 2002, 2, 25, "F0923", "Long style names no longer cut in the printed header"},
    {"4.1.0", 2001, 11, 12, "D0920", "Support for the KR 6100-III"},
    {"4.1.0", 2001, 11, 12, "U0917", "Area weight and thread density shown with their units"},
    {"4.1.0", 2001, 11, 12, "F0914", "Printed page frame fits the paper sizes A4 and Letter"},
    {"4.0.0", 2001, 7, 16, "D0911", "Long-term analysis of stored test reports"},
    {"4.0.0", 2001, 7, 16, "D0908", "Long-term chart with limits and mean"},
    {"4.0.0", 2001, 7, 16, "U0905", "Test reports stored in one folder per style"},
    {"4.0.0", 2001, 7, 16, "U0902", "Copy of the long-term analysis to the clipboard"},
    {"3.2.0", 2001, 3, 26, "D0899", "Spanish texts"},
    {"3.2.0", 2001, 3, 26, "F0896", "Date format applied to the printed reports"},
    {"3.1.1", 2001, 1, 15, "F0893", "Serial port released when the program ends"},
    {"3.1.1", 2001, 1, 15, "F0890", "Message texts with long file names no longer cut"},
    {"3.1.0", 2000, 10, 30, "D0887", "Italian texts"},
    {"3.1.0", 2000, 10, 30, "D0884", "Country settings for language and date format"},
    {"3.1.0", 2000, 10, 30, "U0881", "Dates shown as day.month.year, month/day/year or year-month-day"},
    {"3.0.0", 2000, 8, 7, "D0878", "Support for the MP 4800 and the KR 6420"},
    {"3.0.0", 2000, 8, 7, "U0875", "Two results per test for tensile and tearing strength"},
    {"3.0.0", 2000, 8, 7, "D0872", "Print preview of the test report"},
    {"3.0.0", 2000, 8, 7, "U0869", "Main window shows the current property in its own tab"},
    {"2.6.0", 2000, 5, 22, "U0866", "Styles hold test definitions for twenty properties"},
    {"2.6.0", 2000, 5, 22, "U0863", "Styles of older versions converted when they are read"},
    {"2.6.0", 2000, 5, 22, "F0860", "Nominal value of the second result stored"},
    {"2.5.0", 2000, 4, 3, "D0857", "French texts"},
    {"2.5.0", 2000, 4, 3, "D0854", "Support for the KR 6400-II"},
    {"2.5.0", 2000, 4, 3, "U0851", "Instrument identification checked for every data string"},
    {"2.2.0", 2000, 2, 21, "D0848", "Confidence interval as stop criterion"},
    {"2.2.0", 2000, 2, 21, "F0845", "Standard deviation of two values corrected"},
    {"2.1.0", 2000, 1, 10, "F0842", "Dates after 31 December 1999 stored and shown correctly"},
    {"2.1.0", 2000, 1, 10, "U0839", "Test report copied to the clipboard as tab-separated text"},
    {"2.0.0", 1999, 12, 6, "D0836", "Support for the MP 4300-II and the KR 6100-II"},
    {"2.0.0", 1999, 12, 6, "D0833", "Styles with nominal values and limits per property"},
    {"2.0.0", 1999, 12, 6, "U0830", "Statistics with mean, minimum, maximum and coefficient of variation"},
    {"1.2.0", 1999, 11, 15, "D0827", "User and supervisor passwords"},
    {"1.2.0", 1999, 11, 15, "F0824", "Data strings with a warning sign accepted"},
    {"1.2.0", 1999, 11, 15, "U0821", "Log file of errors in the program folder"},
    {"1.1.0", 1999, 10, 25, "D0818", "English texts"},
    {"1.1.0", 1999, 10, 25, "F0815", "Series of more than one page printed completely"},
    {"1.0.0", 1999, 10, 5, "", "First release for the D 7041 air permeability tester"},
};

} // namespace

std::vector<VersionHistoryEntry> VersionHistoryEntries()
{
    std::vector<VersionHistoryEntry> entries;
    entries.reserve(std::size(History));
    for (const HistoryRow& row : History) {
        entries.push_back(VersionHistoryEntry{QString::fromLatin1(row.version),
                                              DateSerial(row.year, row.month, row.day),
                                              QString::fromLatin1(row.ref), QString::fromLatin1(row.text)});
    }
    return entries;
}

QString VersionHistoryText()
{
    QString text;
    const QChar tab(u'\t');
    for (const VersionHistoryEntry& entry : VersionHistoryEntries()) {
        text += entry.Version + tab + FormatDateText(entry.Date, DateFormat) + tab + entry.Ref + tab + entry.Text
                + QStringLiteral("\r\n");
    }
    return text;
}

double ReleaseDate()
{
    const QDate date = QDate::fromString(QString::fromLatin1(ProgramReleaseDate), Qt::ISODate);
    return date.isValid() ? DateSerial(date.year(), date.month(), date.day()) : 0;
}
