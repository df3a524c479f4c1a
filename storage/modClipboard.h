#pragma once
// Reports copied to the clipboard as plain text for a spreadsheet or a word
// processor: cells separated by TAB, lines ended by CR LF. The text is built
// from blocks, each a function returning its part. Row labels are the
// captions of the main window in the current language, taken from its
// caption table, so no window needs to be open.
#include "curves/CurveRecords.h"
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

// The samples of the curve page shown (0 to 4), one line per millisecond 0
// to 499 under a heading and a dot rule, then peak pressure, rise and fall
// time, ADAP and exponent with the curve window's result titles. Page 2
// computes strain and stress with the thickness (mm) given; pages 3 and 4
// show the flow as the window draws it, smoothed by options.Smoothing, and
// leave the cells of samples it does not draw empty. A missing value is an
// empty cell; another page gives the results without a table.
QString clpCurveValues(const Protocol& protocol, int property, const ABTCurve& curve, const AbtEvaluation& evaluation,
                       const AbtOptions& options, int page, float thickness);
// The curve analysis text of the series' current property in the current
// Language: title lines with the airbag instrument's name, style block,
// property, parameters, the curve values and the statistics.
QString clpCurveAnalysisText(const Protocol& protocol, const ABTCurve& curve, const AbtEvaluation& evaluation,
                             const AbtOptions& options, int page, float thickness);
// Puts that text on the clipboard.
void clpCopyCurveAnalysis(const Protocol& protocol, const ABTCurve& curve, const AbtEvaluation& evaluation,
                          const AbtOptions& options, int page, float thickness);
