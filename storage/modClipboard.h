#pragma once
// Reports copied to the clipboard as plain text for a spreadsheet or a word
// processor: cells separated by TAB, lines ended by CR LF. The text is built
// from blocks, each a function returning its part. Row labels are the
// captions of the main window in the current language, taken from its
// caption table, so no window needs to be open.
#include "foundation/Records.h"

#include <QString>
#include <cstdint>

// The report texts of one language (clpSetTexts).
struct ClipboardTexts {
    QString ReportTitle;
    QString DeletedMark;
    QString LongTermTitle;
    QString CurveTitleWord;
    QString CurveTitle;     // the airbag instrument's name, a blank and the title word
};

// The report texts of the language (1 to 5; any other has none, but the
// deleted mark keeps its arrows and a blank). Nothing is kept between calls:
// every block asks for the texts of the current Language when it is built,
// so no block depends on an earlier call.
ClipboardTexts clpSetTexts(int16_t language);

// Empties the clipboard, then puts the text on it (tabs and CR LF kept).
void clpPutText(const QString& text);

// 65 "=", "-" or "." characters and CR LF.
QString clpRule(char ruleCharacter);
// The label fitted to 20 characters, left-aligned, and a TAB.
QString clpLabelCell(const QString& label);
// A number with 3 significant digits in the locale's notation; "" for NoValue,
// a NaN or an infinity.
QString clpNumber(float value);
// Date and time "date, hh:mm:ss" in the user's date format.
QString clpDateTime(double date);

// The test type of property p of the series (0 when none).
int16_t clpTestType(const Protocol& protocol, int property);
// Whether a property shows a second result column: a test type with two
// results, or hydrostatic head (11, 12) while a KR 6100-III is configured.
bool clpTwoResults(int16_t testType);

// The customer's name, CR LF, "-" rule.
QString clpTitleLines();
// The text, CR LF, CR LF.
QString clpLine(const QString& text);
// Style, references, dates and operator of the series.
QString clpStyleBlock(const Protocol& protocol);
// The property name and an empty line.
QString clpParameterLine(const Protocol& protocol, int property);
// Test parameters, dates and instrument of the property.
QString clpInfoBlock(const Protocol& protocol, int property);
// One line per stored test and the property's commentary. Limit signs come
// only from limits the style defines (Defined1, Defined2), never from a band
// derived from the mean; a value that is missing or not finite is an empty
// cell without a sign.
QString clpSingleValues(const Protocol& protocol, int property);
// Statistics, nominal values and limits of the property; the nominal and
// limit cells of a result the style does not define stay empty.
QString clpStatistics(const Protocol& protocol, int property);

// The test report text of the series' current property in the current
// Language.
QString clpTestReportText(const Protocol& protocol);
// Puts that text on the clipboard.
void clpCopyTestReport(const Protocol& protocol);

// The copy of a curve analysis (clpCurveValues, clpCurveAnalysisText,
// clpCopyCurveAnalysis) is built from these blocks in curves/modABTCurveClipboard,
// beside the curve calculations it needs, and that of a long-term analysis
// (clpLongTermRecord, clpLongTermValues, clpCopyLongTermAnalysis) in
// long_term/modLongTermClipboard.
