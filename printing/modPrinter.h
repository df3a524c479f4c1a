#pragma once
// Every printed page is drawn here, onto one output object: the program's
// printer (or the PDF file it is sent to) or a page picture of the preview.
// Pages are scaled 0 to 100 across and 0 to 141 down (the proportions of an
// A4 sheet); CurrentY of the output carries the layout from one section to
// the next. The test report: head with customer header and report name,
// series header, and per property its title, parameter block, single values,
// statistics tables with profile charts and the histograms.
#include "foundation/ChartRecords.h"
#include "foundation/CurveRecords.h"
#include "foundation/Records.h"
#include "printing/PrintRecords.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class DrawingSurface;

// The surface all drawing goes to. The report sets it from its output and a
// page break of the preview moves it on to the next page picture. Whether the
// output is the printer is decided by comparing it with &Printer().
extern DrawingSurface* OutputObject;

// The report texts of the language last set by ptrSetPrinterTexts.
struct PrinterTexts {
    QString ReportTitle;        // "Test Report"
    QString NumberWord;         // "no."
    QString DeletedMark;        // "««« deleted"
    QString PageWord;           // "Page "
    QString CommentaryLabel;    // "Commentary:"
    QString LongTermTitle;      // "Long term analysis"
    QString CurveTitle;         // the airbag instrument's name and "Curve analysis"
    QString LateralAirLabel;    // "Lateral air:"
    QString ContinuedMark;      // "(continued)"

    bool operator==(const PrinterTexts&) const = default;
};
extern PrinterTexts PrintTexts;

// Prepares OutputObject for a document: on the printer a default printer (or
// an output file) must be there and the document must begin; then the page
// state of ptrInitPage. Any failure shows message 17 once and gives False.
bool ptrInit();
// The state every page starts from: the page scale, transparent fill, black,
// solid lines of width 1, Arial 8 point regular and the texts of Language.
void ptrInitPage();
// The report texts of language 1 to 6; any other number leaves them as they are.
void ptrSetPrinterTexts(int language);

// Head of the first page: the title centred in 12 point bold and, when the
// folder text is not empty, the folder text at the right with the folder
// picture 4 units before it.
void ptrPageHead(const QString& title, const QString& folderText);
// The customer's name centred in 12 point bold over the logo QUINTARA.JPG of
// the program folder (5.1 high, its own proportions, left edge at x 12; a
// missing or unreadable picture is left out) and a rule below both.
void ptrCustomerHeader();
// The text at the left and "Page n" at the right, one line lower.
void ptrPageFooter(const QString& text, int pageNumber);
// Closes the page (rule, footer, double frame), goes on to the next sheet or
// preview page, increments pageNumber and starts the new page with the
// property's title and "(continued)".
void ptrPageBreak(const Protocol& protocol, int property, int& pageNumber);
// The title line of property 1 to 6: its property name in 12 point, with a
// blank and the suffix when one is given.
void ptrParameterName(const Protocol& protocol, int property, const QString& suffix = QString());

// Without a style (drawStyle < 0) a plain line, 3 device pixels wide on the
// printer and 1 elsewhere; with a style (vbDot...) a line of that style.
void ptrDrawLine(double x1, double y1, double x2, double y2, int drawStyle = -1);
// Top, right, bottom and left side as plain lines; CurrentY ends at y2.
void ptrDrawBox(const PrintRect& rect);
// The rectangle and a second one 0.4 outside it.
void ptrDrawDoubleFrame(const PrintRect& rect);
// Italic text word-wrapped between left and right; every line but the last
// justified to both edges. CurrentY is left at the top of the last line.
void ptrWrappedText(const QString& text, double left, double right);
// The lines ptrWrappedText prints: words (split at blanks) collected while
// they fit into the width; a word wider than the width alone is cut after its
// last character that fits and goes on on the next line. No empty line.
QStringList ptrWrapLines(const QString& text, double width, const std::function<double(const QString&)>& widthOf);
// The width of the widest value with its unit in the current font: the
// value 0.0001 to 3 digits, a blank and the longest unit text, plus 0.2.
double ptrUnitColumnWidth(int language);

// "Test Report no. 2011.12.05, 14.30.22.QTA": title, number word and the
// upper-cased report file name of the series' date.
QString ptrReportName(const Protocol& protocol);
// The name of a print job: the product title, a dash and what is printed
// ("ZOLVERA D 7110 QUINTARA III - abc - 05.12.2011, 14:30:22").
QString ptrDocName(const QString& subject);
// The test type of property p: item p of the series' report form, or 0 when
// the form index, the property or the test type is out of range.
int16_t ptrTestType(const Protocol& protocol, int property);

// Draws the whole report of the series onto the output and, when the output
// is the printer, ends the document. Properties without statistics, with
// lateral air or without a test type are left out. False (after message 17)
// when the output could not be prepared; nothing is drawn then.
bool ptrTestReport(DrawingSurface& output, const Protocol& protocol);
// Style, references, operator and the series' period, ended by a double rule.
void ptrReportHeader(const Protocol& protocol);
// Numbered single values with units and limit signs, warning signs, deleted
// marks and commentaries, then the block's commentary; breaks pages as needed.
void ptrSingleValues(const Protocol& protocol, int property, int& pageNumber);
// Mean, minimum, maximum, CV and CI of result 1 or 2 beside the nominal
// value, limits, number of tests and maximum CI of the style.
void ptrStatisticsTable(const Protocol& protocol, int property, int result);
// Test parameters, the period of the property's tests, instrument and serial
// number, and the lateral-air value where one was measured.
void ptrHeaderBlock(const Protocol& protocol, int property);
// Draws the report into the preview's page pictures and shows the preview
// until the user closes it.
void ptrPreviewTestReport(const Protocol& protocol);

// The values in test order in the box, the band of the limits filling the
// middle half; values beyond the limits red (above) or blue (below), beyond
// the axis in the margins; missing values leave a gap. Without prescribed
// limits (derived from the mean) the band only scales the axis: no band, no
// nominal line, no limit labels, every mark black. A profile that cannot be
// scaled draws nothing. CurrentY ends at box y2.
void ptrProfile(const Profile& profile, const PrintRect& box, int testCount, bool limitsPrescribed = true);
// Class bars over the same axis, outside values as bars in the side margins,
// a dotted count grid. Without prescribed limits as for the profile. An empty
// or unscalable histogram draws nothing. CurrentY ends at box y2.
void ptrHistogram(const Histogram& histogram, const PrintRect& box, bool limitsPrescribed = true);

// ---------------------------------------------------------------------------
// Curves

// All curves of the property's tests in one box under its single values,
// then the box frame and a dotted rule 0.85 below it, where CurrentY ends.
// Tests that are deleted, without a curve or whose file is missing or not a
// curve file add nothing. A curve text whose characters 2 to 6 are "KR 64"
// is a pressure-drop test; every other one names an airbag curve file in
// DataFolder. All curves share the scale of the first one that can be drawn.
void ptrCurves(const Protocol& protocol, int property, const PrintRect& box);
// One airbag curve, flow over test-chamber pressure: black grid lines at the
// grid steps taken to whole numbers, the curve clamped to the box (a missing
// value breaks it), the two axis maxima in the corners. A window that cannot
// be scaled draws nothing.
void ptrABTCurveBox(const ABTCurve& curve, const AbtEvaluation& evaluation, const AbtOptions& options,
                    const PlotWindow& window, const PrintRect& box);
// One pressure-drop diagram on logarithmic axes: grid and labels, the power
// law clipped to the plot area (falling for a negative exponent), the nominal
// flow in green where it lies in the window, the two measured points when
// both lie in the plot area. Draws nothing where the screen diagram draws
// nothing (pdrIsUsableCurve): a window, nominal flow, flow or first pressure
// not above 0, an exponent 0 or missing.
void ptrPDRCurveBox(const PdrPoint& point, const PlotWindow& window, const PrintRect& box);

// The page of a curve analysis: the report head of the series, its current
// property's title and parameters, the picture of the curve view stretched
// into 84 x 30 units with the page's axis captions, and the results table;
// one page, number 1. On the printer the document is ended. False (after
// message 17) when the output could not be prepared; nothing is drawn then.
bool ptrABTCurvePage(DrawingSurface& output, const Protocol& protocol, const CurvePageTexts& texts,
                     const QImage& picture);
// The six lines of results at CurrentY: peak pressure, rise and fall time;
// nominal value and limits of both results; ADAP and exponent. Ends under a
// solid rule.
void ptrABTCurveResults(const CurvePageTexts& texts);
