#include "printing/PrintOutput.h"
#include "printing/modPrinter.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMainTexts.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/DrawingSurface.h"
#include "platform/Installation.h"
#include "platform/MousePointer.h"
#include "platform/ProgramFolder.h"
#include "platform/Text.h"
#include "printing/frmPreview.h"
#include "storage/modDisk.h"

#include <QImageReader>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>
#include <cfloat>
#include <cmath>

DrawingSurface* OutputObject = nullptr;
PrinterTexts PrintTexts;

using namespace PrintOutput;

namespace {

// Page geometry in page units.
constexpr double PageWidth = 100;
constexpr double PageBottom = 141;
constexpr double FrameGap = 0.4;
constexpr double PageCentre = 53.5;
// The value columns of the header rows, and the end of the left one, a small
// space before the captions of the right one.
constexpr double LeftValue = 25;
constexpr double RightCaption = 58;
constexpr double RightValue = 71;
constexpr double LeftValueEdge = RightCaption - 0.85;

// Room the report asks for before a section.
constexpr double PropertyRoom = 12 + 15;
constexpr double StatisticsRoom = 10 + 15;
constexpr double SingleValueRoom = 15;
constexpr double CurveBoxHeight = 30;
constexpr double CurveRoom = CurveBoxHeight + 2 + 15;
// What follows the last single value before a page can end: the commentary
// line, the dotted rule and the footer and frame of a page break.
constexpr double CommentaryEndRoom = 12.3;

constexpr double TitleSize = 12;

constexpr int16_t MsgNoPrinter = 17;
constexpr int16_t AirbagInstrumentCode = 12;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Left-aligned at x on the current line.
void PutAt(const QString& text, double x)
{
    Out().PrintAligned(text, vbLeftJustify, x, Y());
}

// Left-aligned at x on the current line and cut at the column's edge, so that
// a long name never runs into the next column or over the margin.
void PutWithin(const QString& text, double x, double edge = TextRight)
{
    QString shown = text;
    while (!shown.isEmpty() && x + Out().TextWidth(shown) > edge)
        shown.chop(1);
    PutAt(shown, x);
}

void SetFont(double size, bool bold = false)
{
    Out().SetFontSize(size);
    Out().SetFontBold(bold);
}

QString Caption(const char* control)
{
    return MainCaption(QString::fromLatin1(control), Language);
}

QString DateTimeText(double date)
{
    return FormatDateText(date, DateFormat) + QStringLiteral(", ") + FormatTimeText(date, true);
}

QString PeriodText(double from, double to)
{
    return DateTimeText(from) + QStringLiteral(" - ") + DateTimeText(to);
}

// The period with seconds at both ends is a little wider than the right-hand
// column; cut, it would lose the end of the last time. It is printed whole,
// as large as fits.
void PutPeriod(double from, double to)
{
    const QString text = PeriodText(from, to);
    const double size = Out().FontSize();
    for (double smaller = size; smaller > ChartSize && RightValue + Out().TextWidth(text) > TextRight;) {
        smaller -= 0.5;
        Out().SetFontSize(smaller);
    }
    PutWithin(text, RightValue);
    Out().SetFontSize(size);
}

const PropertyBlock& BlockOf(const Protocol& protocol, int property)
{
    static const PropertyBlock none = MakeEmptyPropertyBlock();
    if (property < 1 || property > PropertyCount)
        return none;
    return protocol.Blocks[static_cast<size_t>(property)];
}

TestDefinition DefinitionOf(const Protocol& protocol, int property)
{
    const int16_t testType = ptrTestType(protocol, property);
    if (testType == 0)
        return MakeBlankTestDefinition();
    return protocol.Style.Tests[static_cast<size_t>(testType)];
}

ReportFormItem ItemOf(const Protocol& protocol, int property)
{
    if (ptrTestType(protocol, property) == 0)
        return ReportFormItem{};
    return protocol.Style.Forms[static_cast<size_t>(protocol.FormIndex)].Items[static_cast<size_t>(property)];
}

// Limits the style prescribes, as against limits the measurement derived
// from the mean for a result the style leaves open: those only scale the
// charts and are never printed as if prescribed.
bool LimitsPrescribed(const TestDefinition& definition, int result)
{
    return result == 1 ? definition.Defined1 : definition.Defined2;
}

QString SignOf(float value, const TestDefinition& definition, int result)
{
    if (!LimitsPrescribed(definition, result))
        return QString();
    return LimitSign(value, definition, result);
}

// The unit followed by the limit sign, trimmed.
QString UnitAndSign(const QString& unit, float value, const TestDefinition& definition, int result)
{
    return Trim(unit + u' ' + SignOf(value, definition, result));
}

bool IsPassFailUnitText(const QString& unitText)
{
    return !unitText.isEmpty() && IsPassFail(UnitCode(unitText, Language));
}

int UpperBound(const std::vector<TestValue>& values)
{
    return std::max(0, static_cast<int>(values.size()) - 1);
}

// One line of a wrapped text: its words spread over the width, the last word
// ending at the right edge.
void PrintJustified(const QString& line, double left, double right)
{
    DrawingSurface& s = Out();
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    const int gaps = std::max(1, static_cast<int>(words.size()) - 1);
    const double spread = (right - left - s.TextWidth(line)) / gaps;
    s.SetCurrentX(left);
    for (const QString& word : words) {
        s.Print(word + u' ', PrintEnd::SameLine);
        s.SetCurrentX(s.CurrentX() + spread);
    }
}

double LineHeight()
{
    return Out().TextHeight(QStringLiteral("A"));
}

// The customer logo: the file's own picture whatever its name claims; a
// missing or damaged file gives a null picture.
QImage ReadLogo()
{
    const QString name = QStringLiteral("QUINTARA.JPG");
    const QString folder = ProgramFolder();
    if (folder.isEmpty() || !dskFileExists(folder, name))
        return QImage();
    QImageReader reader(dskBuildPath(folder, name));
    reader.setDecideFormatFromContent(true);
    // The logo is 5.1 units (about 10 mm) high: a photograph of many
    // megapixels is read at a height that still suits a 600 dpi printer.
    constexpr int EnoughHeight = 600;
    const QSize size = reader.size();
    if (size.isValid() && size.height() > EnoughHeight)
        reader.setScaledSize(size.scaled(size.width(), EnoughHeight, Qt::KeepAspectRatio));
    return reader.read();
}

} // namespace

// ---------------------------------------------------------------------------
// Output and page state

bool ptrInit()
{
    bool ready = OutputObject != nullptr;
    if (ready) {
        if (IsPrinterOutput())
            ready = PrinterAvailable() && Out().Begin();
        else
            ready = Out().Begin();
    }
    if (!ready) {
        ShowMessage(MsgNoPrinter);
        return false;
    }
    ptrInitPage();
    return true;
}

void ptrInitPage()
{
    if (!OutputObject)
        return;
    DrawingSurface& s = Out();
    s.Scale(0, 0, PageWidth, PageBottom);
    s.SetFillStyle(vbFSTransparent);
    s.SetFillColor(vbBlack);
    s.SetForeColor(vbBlack);
    s.SetDrawWidth(1);
    s.SetDrawStyle(vbSolid);
    s.SetFontName(QStringLiteral("Arial"));
    s.SetFontSize(NormalSize);
    s.SetFontBold(false);
    s.SetFontItalic(false);
    s.SetFontStrikethru(false);
    s.SetFontUnderline(false);
    ptrSetPrinterTexts(Language);
}

void ptrSetPrinterTexts(int language)
{
    // Columns: German, English, French, Italian, Spanish, the slot without texts.
    static const char* const texts[8][6] = {
        {"Prüfprotokoll", "Test Report", "Protocole d'essai", "Protocollo di prova", "Informe del ensayo", ""},
        {"Nr.", "no.", "no.", "no.", "no.", ""},
        {"««« gelöscht", "««« deleted", "««« annulé", "««« annullato", "««« cancelado", "««« "},
        {"Seite ", "Page ", "Page ", "Pagina ", "Pagina ", " "},
        {"Kommentar:", "Commentary:", "Commentaire:", "Commento:", "Comentario:", ":"},
        {"Langzeitstatistik", "Long term analysis", "Évaluation de longue durée", "Valutazione di lunga durata",
         "Evaluación de larga duración", ""},
        {"Kurvenanalyse", "Curve analysis", "Analyse de la courbe", "Analizzare la curva", "Analizar la curva", ""},
        {"Seitenluft:", "Lateral air:", "Air latéral:", "Aria laterale:", "Aire lateral:", ":"},
    };
    static const char* const continued[6] = {"(Fortsetzung)", "(continued)", "(suite)", "(continuazione)",
                                             "(sigue)", "()"};
    if (language < 1 || language > 6)
        return;
    const int i = language - 1;
    PrintTexts.ReportTitle = U(texts[0][i]);
    PrintTexts.NumberWord = U(texts[1][i]);
    PrintTexts.DeletedMark = U(texts[2][i]);
    PrintTexts.PageWord = U(texts[3][i]);
    PrintTexts.CommentaryLabel = U(texts[4][i]);
    PrintTexts.LongTermTitle = U(texts[5][i]);
    PrintTexts.CurveTitle = ModelLongNameOf(AirbagInstrumentCode) + u' ' + U(texts[6][i]);
    PrintTexts.LateralAirLabel = U(texts[7][i]);
    PrintTexts.ContinuedMark = U(continued[i]);
}

// ---------------------------------------------------------------------------
// Page frame

void ptrPageHead(const QString& title, const QString& folderText)
{
    if (!OutputObject)
        return;
    AddY(SmallSpace);
    SetFont(TitleSize, true);
    const double y = Y();
    Put(title, vbCenter, PageCentre, y);
    if (!folderText.isEmpty()) {
        Put(folderText, vbRightJustify, TextRight, y);
        const double x = TextRight - Out().TextWidth(folderText) - 4;
        Out().PaintPicture(frmResource::Instance()->imgFolder, x, y);
    }
    SetFont(NormalSize);
    SetY(y + WideSpace);
}

void ptrCustomerHeader()
{
    if (!OutputObject)
        return;
    const double y0 = Y();
    AddY(LineStep);
    SetFont(TitleSize, true);
    Put(InstallationCustomer(), vbCenter, PageCentre, y0 + LineStep);
    SetFont(NormalSize);
    const double yEnd = y0 + 3 * LineStep;

    const QImage logo = ReadLogo();
    if (!logo.isNull() && logo.height() > 0) {
        frmResource::Instance()->imgCustomerLogo = QPixmap::fromImage(logo);
        const double height = yEnd - y0;
        const double width = static_cast<double>(logo.width()) / logo.height() * height;
        Out().PaintPicture(logo, TextLeft, y0, width, height);
    }
    SetY(yEnd);
    ptrDrawLine(FrameLeft, yEnd, FrameRight, yEnd);
}

void ptrPageFooter(const QString& text, int pageNumber)
{
    if (!OutputObject)
        return;
    AddY(LineStep);
    const double y = Y();
    Put(text, vbLeftJustify, TextLeft, y);
    Put(PrintTexts.PageWord + QString::number(pageNumber), vbRightJustify, TextRight, y);
}

void ptrPageBreak(const Protocol& protocol, int property, int& pageNumber)
{
    if (!OutputObject)
        return;
    AddY(WideSpace);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y());
    ptrPageFooter(ptrReportName(protocol), pageNumber);
    AddY(WideSpace);
    ptrDrawDoubleFrame({static_cast<float>(FrameLeft), static_cast<float>(FrameTop), static_cast<float>(FrameRight),
                        static_cast<float>(Y())});

    // The surface never moves to a new sheet by itself; the preview draws
    // each page into a picture of its own.
    frmPreview* preview = frmPreview::IsLoaded() ? frmPreview::Instance() : nullptr;
    if (preview && preview->IsPageSource(OutputObject)) {
        if (DrawingSurface* next = preview->picSource(pageNumber))
            OutputObject = next;
        else
            Out().Cls();
    } else {
        Out().NewPage();
    }
    ++pageNumber;
    ptrInitPage();
    SetY(FrameTop);
    ptrParameterName(protocol, property, PrintTexts.ContinuedMark);
}

void ptrParameterName(const Protocol& protocol, int property, const QString& suffix)
{
    if (!OutputObject)
        return;
    AddY(LineStep);
    SetFont(TitleSize);
    QString text = PropertyName(ptrTestType(protocol, property), Language);
    if (!suffix.isEmpty())
        text += u' ' + suffix;
    Put(text, vbLeftJustify, TextLeft, Y());
    SetFont(NormalSize);
    AddY(WideSpace);
}

void ptrDrawLine(double x1, double y1, double x2, double y2, int drawStyle)
{
    if (!OutputObject)
        return;
    DrawingSurface& s = Out();
    if (drawStyle < 0) {
        s.SetDrawWidth(IsPrinterOutput() ? 3 : 1);
        s.Line(x1, y1, x2, y2);
        s.SetDrawWidth(1);
    } else {
        s.SetDrawStyle(drawStyle);
        s.Line(x1, y1, x2, y2);
        s.SetDrawStyle(vbSolid);
    }
}

void ptrDrawBox(const PrintRect& rect)
{
    if (!OutputObject)
        return;
    ptrDrawLine(rect.x1, rect.y1, rect.x2, rect.y1);
    ptrDrawLine(rect.x2, rect.y1, rect.x2, rect.y2);
    ptrDrawLine(rect.x2, rect.y2, rect.x1, rect.y2);
    ptrDrawLine(rect.x1, rect.y2, rect.x1, rect.y1);
    SetY(rect.y2);
}

void ptrDrawDoubleFrame(const PrintRect& rect)
{
    const float gap = static_cast<float>(FrameGap);
    ptrDrawBox(rect);
    ptrDrawBox({rect.x1 - gap, rect.y1 - gap, rect.x2 + gap, rect.y2 + gap});
}

QStringList ptrWrapLines(const QString& text, double width, const std::function<double(const QString&)>& widthOf)
{
    QStringList lines;
    QString line;
    for (QString word : Trim(text).split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty()) {
            const QString longer = line + u' ' + word;
            if (widthOf(longer) <= width) {
                line = longer;
                continue;
            }
            lines << line;
            line.clear();
        }
        // A word wider than the line would run over the frame: it is cut after
        // its last character that fits (one character at the least).
        while (word.size() > 1 && widthOf(word) > width) {
            qsizetype fits = 1;
            qsizetype tooLong = word.size();
            while (tooLong - fits > 1) {
                const qsizetype middle = (fits + tooLong) / 2;
                if (widthOf(word.left(middle)) <= width)
                    fits = middle;
                else
                    tooLong = middle;
            }
            lines << word.left(fits);
            word = word.mid(fits);
        }
        line = word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

void ptrWrappedText(const QString& text, double left, double right)
{
    if (!OutputObject)
        return;
    DrawingSurface& s = Out();
    s.SetFontItalic(true);
    const QStringList lines =
        ptrWrapLines(text, right - left, [&s](const QString& t) { return s.TextWidth(t); });
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i + 1 < lines.size()) {
            PrintJustified(lines[i], left, right);
            AddY(LineHeight());
        } else {
            Put(lines[i], vbLeftJustify, left, Y());
        }
    }
    s.SetFontItalic(false);
}

double ptrUnitColumnWidth(int language)
{
    if (!OutputObject)
        return 0;
    const QString widest = FormatNumberText(0.0001f, 3) + u' ' + UnitText("X", static_cast<int16_t>(language));
    return Out().TextWidth(widest) + 0.2;
}

// ---------------------------------------------------------------------------
// The test report

QString ptrReportName(const Protocol& protocol)
{
    return PrintTexts.ReportTitle + u' ' + PrintTexts.NumberWord + u' '
        + dskFileNameFromDate(protocol.Date, QStringLiteral("QTA")).toUpper();
}

int16_t ptrTestType(const Protocol& protocol, int property)
{
    if (protocol.FormIndex < 1 || protocol.FormIndex > StyleFormCount || property < 1
        || property > ReportFormItemCount)
        return 0;
    const int16_t testType =
        protocol.Style.Forms[static_cast<size_t>(protocol.FormIndex)].Items[static_cast<size_t>(property)].Property;
    return (testType >= 1 && testType <= TestTypeCount) ? testType : int16_t{0};
}

QString ptrDocName(const QString& subject)
{
    return QString::fromUtf8(ProductTitle) + QStringLiteral(" - ") + subject;
}

bool ptrTestReport(DrawingSurface& output, const Protocol& protocol)
{
    output.SetDocName(ptrDocName(protocol.Style.Name + QStringLiteral(" - ") + DateTimeText(protocol.Date)));
    OutputObject = &output;
    int pageNumber = 1;
    const bool ready = ptrInit();
    if (ready) {
        SetY(FrameTop);
        ptrCustomerHeader();
        ptrPageHead(ptrReportName(protocol), dskStyleFolderName(protocol.Style.Name));
        ptrReportHeader(protocol);

        for (int p = 1; p <= PropertyCount; ++p) {
            const int16_t testType = ptrTestType(protocol, p);
            const PropertyBlock& block = BlockOf(protocol, p);
            if (testType == 0 || IsEmptyStatistics(block.Stats) || block.LateralAirOn)
                continue;
            const TestDefinition definition = DefinitionOf(protocol, p);
            const ReportFormItem item = ItemOf(protocol, p);

            if (Y() + PropertyRoom > PageBottom)
                ptrPageBreak(protocol, p, pageNumber);
            ptrParameterName(protocol, p);
            ptrHeaderBlock(protocol, p);
            ptrSingleValues(protocol, p, pageNumber);

            if (IsCurveTestType(testType) && item.Curve) {
                if (Y() + CurveRoom > PageBottom)
                    ptrPageBreak(protocol, p, pageNumber);
                const double y = Y();
                ptrCurves(protocol, p,
                          {static_cast<float>(TextLeft), static_cast<float>(y + SmallSpace),
                           static_cast<float>(TextRight), static_cast<float>(y + SmallSpace + CurveBoxHeight)});
            }

            const int results = (ResultCountByTestType(testType) == 2 || IsPresentValue(block.Stats.Mean2)) ? 2 : 1;
            double boxHeight = 0;
            for (int r = 1; r <= results; ++r) {
                if (Y() + StatisticsRoom > PageBottom)
                    ptrPageBreak(protocol, p, pageNumber);
                const double y0 = Y();
                ptrStatisticsTable(protocol, p, r);
                const double y1 = Y();
                const PrintRect box{58, static_cast<float>(y0 + SmallSpace), 96, static_cast<float>(y1 - SmallSpace)};
                ptrProfile(ReduceProfile(ComputeProfile(protocol, p, r)), box, UpperBound(block.Values),
                           LimitsPrescribed(definition, r));
                boxHeight = box.y2 - box.y1;
                SetY(y1);
            }
            if (item.Histogram) {
                for (int r = 1; r <= results; ++r) {
                    if (Y() + StatisticsRoom > PageBottom)
                        ptrPageBreak(protocol, p, pageNumber);
                    const double yh = Y();
                    const PrintRect box{58, static_cast<float>(yh + SmallSpace), 96,
                                        static_cast<float>(yh + boxHeight + SmallSpace)};
                    ptrHistogram(ComputeHistogram(protocol, p, r), box, LimitsPrescribed(definition, r));
                    SetY(yh + boxHeight + LineStep);
                }
            }
            ptrDrawLine(FrameLeft, Y(), FrameRight, Y());
        }

        ptrPageFooter(ptrReportName(protocol), pageNumber);
        AddY(WideSpace);
        ptrDrawDoubleFrame({static_cast<float>(FrameLeft), static_cast<float>(FrameTop),
                            static_cast<float>(FrameRight), static_cast<float>(Y())});
    }
    if (IsPrinterOutput())
        Out().EndDoc();
    return ready;
}

void ptrReportHeader(const Protocol& protocol)
{
    if (!OutputObject)
        return;
    AddY(SmallSpace);
    PutAt(Caption("lblStyle"), 12);
    PutWithin(protocol.Style.Name, LeftValue, LeftValueEdge);
    PutAt(Caption("lblDateTime"), RightCaption);
    PutPeriod(protocol.Date, protocol.LastTestDate);
    AddY(LineStep);
    PutAt(GetReferenceTitle(2, Language), 12);
    PutWithin(protocol.Reference2, LeftValue, LeftValueEdge);
    PutAt(Caption("lblOperator"), RightCaption);
    PutWithin(protocol.Operator, RightValue);
    AddY(LineStep);
    PutAt(GetReferenceTitle(3, Language), 12);
    PutWithin(protocol.Reference3, LeftValue);
    AddY(LineStep);
    PutAt(GetReferenceTitle(4, Language), 12);
    PutWithin(protocol.Reference4, LeftValue);
    AddY(WideSpace);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y());
    AddY(FrameGap);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y());
}

void ptrSingleValues(const Protocol& protocol, int property, int& pageNumber)
{
    if (!OutputObject)
        return;
    const int16_t testType = ptrTestType(protocol, property);
    const TestDefinition definition = DefinitionOf(protocol, property);
    const PropertyBlock& block = BlockOf(protocol, property);

    AddY(SmallSpace);
    Out().SetFontItalic(true);
    Put(ResultLabels(testType, 1, Language), vbCenter, 25, Y());
    Put(ResultLabels(testType, 2, Language), vbCenter, 40, Y());
    Out().SetFontItalic(false);
    AddY(SmallSpace);

    int number = 0;
    for (size_t i = 1; i < block.Values.size(); ++i) {
        const TestValue& test = block.Values[i];
        if (Y() + SingleValueRoom > PageBottom)
            ptrPageBreak(protocol, property, pageNumber);
        ++number;
        AddY(LineStep);
        const double y = Y();
        Put(QString::number(number) + u':', vbRightJustify, 15, y);
        if (IsPresentValue(test.Value1)) {
            if (IsPassFail(test.Unit1)) {
                Put(PassFailText(test.Value1, Language), vbRightJustify, 25, y);
            } else {
                Put(FormatNumberText(test.Value1, 3), vbRightJustify, 25, y);
                Put(UnitAndSign(UnitText(test.Unit1, Language), test.Value1, definition, 1), vbLeftJustify, 26, y);
            }
        }
        if (IsPresentValue(test.Value2)) {
            Put(FormatNumberText(test.Value2, 3), vbRightJustify, 40, y);
            Put(UnitAndSign(UnitText(test.Unit2, Language), test.Value2, definition, 2), vbLeftJustify, 41, y);
        }
        const bool oneResult = ResultCountByTestType(testType) == 1 && !IsPresentValue(test.Value2);
        if (test.Warning != 0)
            Put(QString(Cp1252ToChar(static_cast<unsigned char>(test.Warning))), vbLeftJustify, oneResult ? 32 : 47, y);
        if (test.Deleted) {
            Put(PrintTexts.DeletedMark, vbLeftJustify, oneResult ? 35 : 50, y);
            // A deleted test gives its number to the test after it.
            --number;
        }
        Out().SetFontItalic(true);
        Put(test.Commentary, vbLeftJustify, oneResult ? 45 : 60, y);
        Out().SetFontItalic(false);
    }

    // The room kept for the last single value holds a one-line commentary; a
    // longer one would push the footer and frame of the next break off the
    // sheet, so it starts on the next page instead.
    Out().SetFontItalic(true);
    DrawingSurface& s = Out();
    const qsizetype lines =
        ptrWrapLines(block.Commentary, 96 - 25, [&s](const QString& t) { return s.TextWidth(t); }).size();
    const double extra = lines > 1 ? static_cast<double>(lines - 1) * LineHeight() : 0.0;
    Out().SetFontItalic(false);
    if (extra > 0 && Y() + CommentaryEndRoom + extra > PageBottom)
        ptrPageBreak(protocol, property, pageNumber);

    AddY(WideSpace);
    PutAt(PrintTexts.CommentaryLabel, 12);
    ptrWrappedText(block.Commentary, 25, 96);
    AddY(WideSpace);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y(), vbDot);
}

void ptrStatisticsTable(const Protocol& protocol, int property, int result)
{
    if (!OutputObject)
        return;
    const int r = result == 1 ? 1 : 2;
    const TestDefinition definition = DefinitionOf(protocol, property);
    const PropertyBlock& block = BlockOf(protocol, property);
    const Statistics& stats = block.Stats;
    const DataStringRecord header = ParseDataString(block.Header);
    const DataStringRecord image = ParseDataString(definition.HeaderImage);
    const QString unit = r == 1 ? header.ResultUnit : header.Result2Unit;
    const QString setUnit = r == 1 ? image.ResultUnit : image.Result2Unit;
    const QString percent = UnitText("n", Language);
    const bool passFail = IsPassFailUnitText(unit);
    const bool prescribed = LimitsPrescribed(definition, r);

    const float mean = r == 1 ? stats.Mean1 : stats.Mean2;
    const float minimum = r == 1 ? stats.Min1 : stats.Min2;
    const float maximum = r == 1 ? stats.Max1 : stats.Max2;
    const float cv = r == 1 ? stats.CV1 : stats.CV2;
    const float ci = r == 1 ? stats.CI1 : stats.CI2;
    const float nominal = r == 1 ? definition.Nominal1 : definition.Nominal2;
    const float lower = r == 1 ? definition.Lower1 : definition.Lower2;
    const float upper = r == 1 ? definition.Upper1 : definition.Upper2;
    const float maxCI = r == 1 ? definition.CI1 : definition.CI2;

    // A statistic of the series with its unit and limit sign at the left.
    auto seriesValue = [&](float value) {
        if (!IsPresentValue(value))
            return;
        Put(FormatNumberText(value, 3), vbRightJustify, 25, Y());
        PutAt(UnitAndSign(unit, value, definition, r), 26);
    };
    // A prescribed value with its unit at the right; derived limits are not printed.
    auto setValue = [&](float value, const QString& valueUnit) {
        if (!prescribed || !IsPresentValue(value))
            return;
        Put(FormatNumberText(value, 3), vbRightJustify, 49, Y());
        PutAt(valueUnit, 50);
    };
    auto percentValue = [&](float value, double right) {
        if (!IsPresentValue(value))
            return;
        Put(Format(static_cast<double>(value), QStringLiteral("0.0")), vbRightJustify, right, Y());
        PutAt(percent, right + 1);
    };

    AddY(SmallSpace);
    PutAt(Caption("lblAvg"), 12);
    if (passFail) {
        if (IsPresentValue(mean)) {
            Put(FormatNumberText(mean * 100.0f, 3), vbRightJustify, 25, Y());
            PutAt(percent, 26);
        }
    } else {
        seriesValue(mean);
    }
    PutAt(header.WarningSign, 32);
    PutAt(Caption("lblNominal"), 36);
    setValue(nominal, passFail ? percent : setUnit);

    AddY(LineStep);
    PutAt(Caption("lblMin"), 12);
    seriesValue(minimum);
    PutAt(Caption("lblLLimit"), 36);
    setValue(lower, setUnit);

    AddY(LineStep);
    PutAt(Caption("lblMax"), 12);
    seriesValue(maximum);
    PutAt(Caption("lblULimit"), 36);
    setValue(upper, setUnit);

    AddY(LineStep);
    PutAt(Caption("lblCV"), 12);
    percentValue(cv, 25);
    PutAt(Caption("lblTest"), 36);
    Put(QString::number(EffectiveTestCount(definition)), vbRightJustify, 49, Y());

    AddY(LineStep);
    PutAt(Caption("lblCI"), 12);
    percentValue(ci, 25);
    PutAt(Caption("lblNominalCI"), 36);
    percentValue(maxCI, 49);

    AddY(WideSpace);
}

void ptrHeaderBlock(const Protocol& protocol, int property)
{
    if (!OutputObject)
        return;
    const int16_t testType = ptrTestType(protocol, property);
    const PropertyBlock& block = BlockOf(protocol, property);
    const DataStringRecord header = ParseDataString(block.Header);
    const QString values[5] = {QString(), header.Parameter1, header.Parameter2, header.Parameter3, header.Parameter4};
    const QString units[5] = {QString(), header.Parameter1Unit, header.Parameter2Unit, header.Parameter3Unit,
                              header.Parameter4Unit};
    auto name = [&](int16_t n) { return ParameterNames(testType, n, Language); };
    // Rows 1 and 2 share the line with the right-hand column.
    auto parameterRow = [&](int16_t n) {
        PutAt(name(n) + u':', 12);
        if (!values[n].isEmpty())
            PutWithin(values[n] + u' ' + units[n], LeftValue, n <= 2 ? LeftValueEdge : TextRight);
    };

    AddY(SmallSpace);
    if (!name(1).isEmpty())
        parameterRow(1);
    PutAt(Caption("lblDateTime"), RightCaption);
    PutPeriod(block.StartDate, block.LastTestDate);

    AddY(LineStep);
    if (!name(2).isEmpty())
        parameterRow(2);
    PutAt(Caption("lblInstrument"), RightCaption);
    const int code = header.InstrumentCode;
    QString instrument = (code >= 0 && code < InstrumentCodeCount) ? ModelLongNameOf(code) : QString();
    if (!header.SerialNumber.isEmpty())
        instrument += QStringLiteral(", ") + Caption("lblSerialNumber") + u' ' + header.SerialNumber;
    PutWithin(instrument, RightValue);

    if (!name(3).isEmpty()) {
        AddY(LineStep);
        parameterRow(3);
    } else if (IsPresentValue(block.LateralAir)) {
        Out().SetFontItalic(true);
        AddY(LineStep);
        PutAt(PrintTexts.LateralAirLabel, 12);
        const std::string unitCode = block.Values.size() > 1 ? block.Values[1].Unit1 : std::string();
        PutAt(FormatNumberText(block.LateralAir, 3) + u' ' + UnitText(unitCode, Language), 25);
        Out().SetFontItalic(false);
    }
    if (!name(4).isEmpty()) {
        AddY(LineStep);
        parameterRow(4);
    }
    AddY(WideSpace);
    ptrDrawLine(FrameLeft, Y(), FrameRight, Y(), vbDot);
}

void ptrPreviewTestReport(const Protocol& protocol)
{
    // Each preview starts from a fresh window holding one blank page.
    frmPreview::Unload();
    {
        MousePointerGuard hourglass(PointerHourglass);
        frmPreview* form = frmPreview::Instance();
        if (DrawingSurface* first = form->picSource(0))
            ptrTestReport(*first, protocol);
        form->PackPages();
        form->ScrollImage(0, form->scrY->value());
    }
    frmPreview::ShowForm();
    frmPreview::Unload();
}

// ---------------------------------------------------------------------------
// Charts

namespace {

QString ChartLabel(float value, const QString& unit)
{
    return FormatNumberText(value, 3) + u' ' + unit;
}

bool FitsSingle(double value)
{
    return std::isfinite(value) && std::fabs(value) <= static_cast<double>(FLT_MAX);
}

bool BoxDrawable(const PrintRect& box)
{
    return std::isfinite(box.x1) && std::isfinite(box.y1) && std::isfinite(box.x2) && std::isfinite(box.y2)
        && box.x2 > box.x1 && box.y2 > box.y1;
}

// The axis B to T of a chart: the band between the limits fills its middle
// half. False when the record cannot be scaled.
bool ChartAxis(float nominal, float lower, float upper, double& bottom, double& top)
{
    if (!IsPresentValue(nominal) || !IsPresentValue(lower) || !IsPresentValue(upper) || !(upper > lower))
        return false;
    bottom = static_cast<double>(static_cast<float>(2.0 * lower - nominal));
    top = static_cast<double>(static_cast<float>(2.0 * upper - nominal));
    return FitsSingle(bottom) && FitsSingle(top) && top > bottom;
}

} // namespace

void ptrProfile(const Profile& profile, const PrintRect& box, int testCount, bool limitsPrescribed)
{
    if (!OutputObject)
        return;
    DrawingSurface& s = Out();
    double bottom = 0;
    double top = 0;
    if (IsEmptyProfile(profile) || !BoxDrawable(box)
        || !ChartAxis(profile.Nominal, profile.Lower, profile.Upper, bottom, top)) {
        s.SetCurrentY(box.y2);
        return;
    }
    const double m = (box.y2 - box.y1) / 20.0;
    const double scale = (box.y2 - box.y1 - 2 * m) / (2.0 * (static_cast<double>(profile.Upper) - profile.Lower));
    if (!std::isfinite(scale) || !(scale > 0)) {
        s.SetCurrentY(box.y2);
        return;
    }
    auto yOf = [&](double v) { return box.y2 - m - (v - bottom) * scale; };

    ptrDrawBox(box);

    const double xa = box.x1 + ptrUnitColumnWidth(Language);
    s.SetFontSize(ChartSize);
    const double th = s.TextHeight(QStringLiteral("A"));
    Put(ChartLabel(static_cast<float>(bottom), profile.Unit), vbRightJustify, xa - 0.1, box.y2 - th - 0.1);
    if (limitsPrescribed) {
        for (const float v : {profile.Lower, profile.Nominal, profile.Upper})
            Put(ChartLabel(v, profile.Unit), vbRightJustify, xa - 0.1, yOf(v) - th / 2);
    }
    Put(ChartLabel(static_cast<float>(top), profile.Unit), vbRightJustify, xa - 0.1, box.y1 + 0.1);
    s.SetFontSize(NormalSize);

    const int count = static_cast<int>(profile.Values.size()) - 1;
    const double dx = (box.x2 - xa) / (std::max(count, 0) + 1);
    ptrDrawLine(xa, box.y1, xa, box.y2);
    ptrDrawLine(xa, box.y1 + m, box.x2, box.y1 + m);
    ptrDrawLine(xa, box.y2 - m, box.x2, box.y2 - m);

    if (limitsPrescribed) {
        s.BoxFilled(xa, yOf(profile.Lower), box.x2, yOf(profile.Upper), LightGrey);
        ptrDrawLine(xa, yOf(profile.Nominal), box.x2, yOf(profile.Nominal));
    }

    bool havePrevious = false;
    double previousY = 0;
    for (int i = 1; i <= count; ++i) {
        const float v = profile.Values[static_cast<size_t>(i)];
        const double x = xa + i * dx;
        // A missing value leaves a gap: no mark, and the line starts anew.
        if (!IsPresentValue(v)) {
            havePrevious = false;
            continue;
        }
        double cy = 0;
        int32_t colour = vbBlack;
        if (v > top) {
            cy = box.y1 + m / 2;
            colour = vbRed;
        } else if (v < bottom) {
            cy = box.y2 - m / 2;
            colour = vbBlue;
        } else {
            cy = yOf(v);
            colour = v > profile.Upper ? vbRed : (v < profile.Lower ? vbBlue : vbBlack);
        }
        if (!limitsPrescribed)
            colour = vbBlack;
        s.SetDrawWidth(3);
        s.Circle(x, cy, 0.1, colour);
        s.SetDrawWidth(1);
        const double y = yOf(std::clamp(static_cast<double>(v), bottom, top));
        if (havePrevious)
            s.Line(x - dx, previousY, x, y, vbBlack);
        havePrevious = true;
        previousY = y;
    }

    s.SetFontSize(ChartSize);
    Put(QString::number(testCount), vbRightJustify, box.x2 - 0.1, box.y2 - m - s.TextHeight(QStringLiteral("A")) - 0.1);
    s.SetFontSize(NormalSize);
    s.SetForeColor(vbBlack);
    s.SetCurrentY(box.y2);
}

void ptrHistogram(const Histogram& histogram, const PrintRect& box, bool limitsPrescribed)
{
    if (!OutputObject)
        return;
    DrawingSurface& s = Out();
    double bottom = 0;
    double top = 0;
    if (IsEmptyHistogram(histogram) || histogram.MaxCount <= 0 || !BoxDrawable(box)
        || !ChartAxis(histogram.Nominal, histogram.Lower, histogram.Upper, bottom, top)) {
        s.SetCurrentY(box.y2);
        return;
    }
    const double g = (box.x2 - box.x1) / 41.0;
    const double w = (box.x2 - box.x1 - 2 * g) / 41.0;
    const double x0 = box.x1 + g;

    ptrDrawBox(box);

    s.SetFontSize(ChartSize);
    const double th = s.TextHeight(QStringLiteral("A"));
    const double b = box.y2 - th - 0.1;
    Put(ChartLabel(static_cast<float>(bottom), histogram.Unit), vbLeftJustify, box.x1 + 0.1, b);
    if (limitsPrescribed) {
        Put(ChartLabel(histogram.Lower, histogram.Unit), vbCenter, x0 + histogram.LowerClass * w, b);
        Put(ChartLabel(histogram.Nominal, histogram.Unit), vbCenter, x0 + histogram.NominalClass * w, b);
        Put(ChartLabel(histogram.Upper, histogram.Unit), vbCenter, x0 + histogram.UpperClass * w, b);
    }
    Put(ChartLabel(static_cast<float>(top), histogram.Unit), vbRightJustify, box.x2 - 0.1, b);
    s.SetFontSize(NormalSize);

    const double h = (b - box.y1) / histogram.MaxCount;
    ptrDrawLine(box.x1, b, box.x2, b);
    ptrDrawLine(x0, box.y1, x0, b);
    ptrDrawLine(box.x2 - g, box.y1, box.x2 - g, b);

    if (limitsPrescribed) {
        // The side margin g doubles as a number of classes here, as the band
        // and the nominal line have always been drawn.
        s.BoxFilled(x0 + histogram.LowerClass * w, box.y1, x0 + (histogram.UpperClass + g) * w, b, LightGrey);
        const double xn = x0 + (histogram.NominalClass + g / 2) * w;
        ptrDrawLine(xn, box.y1, xn, b);
    }

    auto bar = [&](double left, double right, int count, int32_t colour) {
        s.SetForeColor(colour);
        s.SetFillColor(colour);
        s.Box(left, b, right, b - std::clamp(count, 0, static_cast<int>(histogram.MaxCount)) * h, colour);
    };
    s.SetFillStyle(vbUpwardDiagonal);
    for (int k = 0; k <= 40; ++k) {
        int32_t colour = vbBlack;
        if (limitsPrescribed && k < histogram.LowerClass)
            colour = vbBlue;
        else if (limitsPrescribed && k > histogram.UpperClass + g)
            colour = vbRed;
        bar(x0 + k * w, x0 + (k + 1) * w, histogram.Counts[static_cast<size_t>(k)], colour);
    }
    s.SetFillStyle(vbDiagonalCross);
    bar(box.x1, x0, histogram.BelowCount, limitsPrescribed ? vbBlue : vbBlack);
    bar(box.x2 - g, box.x2, histogram.AboveCount, limitsPrescribed ? vbRed : vbBlack);
    s.SetForeColor(vbBlack);
    s.SetFillColor(vbBlack);
    s.SetFillStyle(vbFSTransparent);

    s.SetFontSize(ChartSize);
    const int step = std::max(1, histogram.MaxCount / 5);
    for (int c = step; c <= histogram.MaxCount - 1; c += step)
        ptrDrawLine(box.x1, b - c * h, box.x2, b - c * h, vbDot);
    Put(QString::number(histogram.MaxCount), vbLeftJustify, x0 + 0.1, box.y1 + 0.1);
    s.SetFontSize(NormalSize);
    s.SetCurrentY(box.y2);
}
