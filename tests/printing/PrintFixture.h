#pragma once
// Shared by the printing tests: a fixture that pins the locale, the language,
// the date format, the program folder and the customer, and routes the
// printer into a PDF; builders of realistic series; and readers of printed
// PDF files (text, word boxes, grey pages) through poppler's tools.
#include "foundation/Records.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/DrawingSurface.h"
#include "platform/Installation.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "printing/modPrinter.h"
#include "support/LocaleFixture.h"
#include "support/ScriptedPresenter.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Data strings

// The fields of positions 2 to 57, each of its layout width.
struct StringFields {
    std::string Id = "0000000";
    std::string Serial = "   ";
    std::string Letter = " ";
    std::string P1 = "      ";
    std::string U1 = " ";
    std::string P2 = "      ";
    std::string U2 = " ";
    std::string P3 = "      ";
    std::string U3 = " ";
    std::string P4 = "      ";
    std::string U4 = " ";
    std::string Warning = " ";
    std::string R1 = "      ";
    std::string RU1 = " ";
    std::string R2 = "      ";
    std::string RU2 = " ";
    std::string Spare = " ";
    std::string Flag = "0";
};

inline std::string BuildString(const StringFields& f)
{
    const std::string head = "\x1E" + f.Id + f.Serial + f.Letter + f.P1 + f.U1 + f.P2 + f.U2 + f.P3 + f.U3 + f.P4
        + f.U4 + f.Warning + f.R1 + f.RU1 + f.R2 + f.RU2 + f.Spare + f.Flag;
    EXPECT_EQ(head.size(), 57u) << "a field of the test string has the wrong width";
    return head + DataStringChecksum(head) + "\r\n";
}

// Tensile strength on an MP 4800, serial A23: 200 mm at 100 mm/min, force in
// N and elongation in %.
inline StringFields TensileFields()
{
    return {.Id = "MP 4800", .Serial = "A23", .P1 = "   200", .U1 = "\"", .P2 = "   100", .U2 = "N",
            .R1 = "1234.5", .RU1 = "8", .R2 = "  23.4", .RU2 = "n"};
}

// Area weight on a D 7041 without serial number: 100 cm², g/m².
inline StringFields AreaWeightFields()
{
    return {.Id = "D  7041", .P1 = "   100", .U1 = ")", .R1 = " 215.3", .RU1 = "k"};
}

// Typed-in pass/fail results.
inline StringFields PassFailFields()
{
    return {.R1 = "     1", .RU1 = "y"};
}

// ---------------------------------------------------------------------------
// Series

inline TestValue Reading(float value1, const char* unit1, float value2 = NoValue, const char* unit2 = "",
                      const char* commentary = "", bool deleted = false, char warning = 0)
{
    TestValue t = MakeEmptyTestValue();
    t.Value1 = value1;
    t.Unit1 = unit1;
    t.Value2 = value2;
    t.Unit2 = unit2;
    t.Commentary = QString::fromUtf8(commentary);
    t.Deleted = deleted;
    t.Warning = warning;
    return t;
}

// A definition with nominal value and limits of both results, defined or
// left to the measurement (derived from the mean, as the measurement writes them).
inline TestDefinition Definition(const std::string& headerImage, float nominal1, float lower1, float upper1,
                                 bool defined1 = true, float nominal2 = NoValue, float lower2 = NoValue,
                                 float upper2 = NoValue, bool defined2 = true)
{
    TestDefinition d = MakeBlankTestDefinition();
    d.HeaderImage = headerImage;
    d.Defined1 = defined1;
    d.Nominal1 = nominal1;
    d.Lower1 = lower1;
    d.Upper1 = upper1;
    d.Defined2 = defined2;
    d.Nominal2 = nominal2;
    d.Lower2 = lower2;
    d.Upper2 = upper2;
    d.CI1 = 5;
    d.TestCount = 10;
    return d;
}

// Style "abc" (folder QTA199), report form 1, started 5 December 2011 at
// 14:30:22; nothing in its six slots yet.
inline Protocol EmptySeries()
{
    Protocol p = MakeEmptyProtocol();
    p.Style = MakeBlankStyle();
    p.Style.Name = QStringLiteral("abc");
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    p.Reference2 = QStringLiteral("Lot 4711");
    p.Reference3 = QStringLiteral("Weiß «Spezial»");
    p.Reference4 = QStringLiteral("Café");
    p.Operator = QStringLiteral("Müller");
    p.Date = DateSerial(2011, 12, 5) + TimeSerial(14, 30, 22);
    p.LastTestDate = DateSerial(2011, 12, 5) + TimeSerial(15, 2, 9);
    return p;
}

// Puts a property into slot p: test type, definition, tests and their statistics.
inline void AddProperty(Protocol& series, int p, int16_t testType, const TestDefinition& definition,
                        const std::string& header, std::vector<TestValue> tests, bool histogram = false)
{
    ReportFormItem& item = series.Style.Forms[1].Items[static_cast<size_t>(p)];
    item.Property = testType;
    item.Histogram = histogram;
    series.Style.Tests[static_cast<size_t>(testType)] = definition;
    PropertyBlock& block = series.Blocks[static_cast<size_t>(p)];
    block.Header = header;
    block.Values = {MakeEmptyTestValue()};
    block.Values.insert(block.Values.end(), tests.begin(), tests.end());
    block.Stats = CalcMeanSdCvCi(block.Values);
    block.StartDate = series.Date;
    block.LastTestDate = series.LastTestDate;
}

// Tensile strength with nominal values for both results and the histogram;
// the given tests, or four tests with one deleted.
inline void AddTensile(Protocol& series, int p, std::vector<TestValue> tests = {}, bool defined = true)
{
    const std::string header = BuildString(TensileFields());
    if (tests.empty())
        tests = {Reading(1200, "8", 22, "n", "first"), Reading(1300, "8", 25, "n", "", true),
                 Reading(1500, "8", 24, "n", "too strong", false, '*'), Reading(1100, "8", 21, "n")};
    AddProperty(series, p, 9, Definition(header, 1250, 1000, 1400, defined, 23, 20, 26, defined), header, tests, true);
}

// ---------------------------------------------------------------------------
// The fixture

class PrintFixture : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        ASSERT_TRUE(dir_.isValid());
        savedLanguage_ = Language;
        savedDateFormat_ = DateFormat;
        savedTitles_ = RefTitles;
        savedFolder_ = ProgramFolder();
        savedPorts_ = PortDevice;
        savedOutput_ = OutputObject;
        Language = 2;
        DateFormat = 1;
        RefTitles = MakeDefaultReferenceTitles();
        PortDevice = {0, 0, 0, 0, 0, 0};
        SetProgramFolder(dir_.path());
        ResetInstallation();
        SetInstallationCustomer(QStringLiteral("Weberei Brückner & Söhne"));
        if (qEnvironmentVariableIsSet("QUINTARA_KEEP_TEST_FILES"))
            dir_.setAutoRemove(false);
    }
    void TearDown() override
    {
        SetPrinterOutputFile(QString());
        OutputObject = savedOutput_;
        Language = savedLanguage_;
        DateFormat = savedDateFormat_;
        RefTitles = savedTitles_;
        PortDevice = savedPorts_;
        SetProgramFolder(savedFolder_);
        ResetInstallation();
        ptrSetPrinterTexts(Language >= 1 && Language <= 6 ? Language : 2);
        LocaleFixture::TearDown();
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Prints the series into a PDF of that name through the program's printer.
    QString PrintToPdf(const Protocol& series, const QString& name = QStringLiteral("report.pdf"))
    {
        const QString pdf = Path(name);
        SetPrinterOutputFile(pdf);
        EXPECT_TRUE(ptrTestReport(Printer(), series));
        SetPrinterOutputFile(QString());
        return pdf;
    }

    QTemporaryDir dir_;
    // No message box ever waits for an answer.
    ScriptedPresenter presenter_;

private:
    int16_t savedLanguage_ = 0;
    int16_t savedDateFormat_ = 0;
    ReferenceTitles savedTitles_;
    QString savedFolder_;
    std::array<int16_t, 6> savedPorts_{};
    DrawingSurface* savedOutput_ = nullptr;
};

// ---------------------------------------------------------------------------
// Reading the PDF

inline bool HavePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<failed>");
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of all pages laid out as printed; pages end with a form feed.
inline QStringList PdfPages(const QString& pdf)
{
    QStringList pages = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                            .split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// One word as pdftotext -bbox places it, in page units of the printed area
// (x 0 to 100, y 0 to 141; the PDF printer leaves 5 mm on every side).
struct WordBox {
    int Page = 0;
    QString Word;
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline std::vector<WordBox> PdfWords(const QString& pdf)
{
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<WordBox> words;
    // A4 in points; 5 mm margins; 200 x 287 mm for 100 x 141 units.
    const double mm = 72.0 / 25.4;
    const QRegularExpression page(QStringLiteral("<page "));
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    int pageNumber = 0;
    for (const QString& line : html.split(u'\n')) {
        if (line.contains(page))
            ++pageNumber;
        const QRegularExpressionMatch m = word.match(line);
        if (!m.hasMatch())
            continue;
        WordBox w;
        w.Page = pageNumber;
        w.Word = m.captured(5);
        w.Left = (m.captured(1).toDouble() / mm - 5) / 2.0;
        w.Top = (m.captured(2).toDouble() / mm - 5) * 141.0 / 287.0;
        w.Right = (m.captured(3).toDouble() / mm - 5) / 2.0;
        w.Bottom = (m.captured(4).toDouble() / mm - 5) * 141.0 / 287.0;
        words.push_back(w);
    }
    return words;
}

// Page n (from 1) rendered in grey at 72 dpi without smoothing, so that
// only the drawing's own greys are grey; a null image when missing.
inline QImage PdfGreyPage(const QString& pdf, int page, const QString& prefix)
{
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-gray"),
                                         QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                                         QStringLiteral("no"),
                                         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                         QString::number(page), QStringLiteral("-png"), pdf, prefix});
    QImage image(prefix + QStringLiteral("-%1.png").arg(page));
    if (image.isNull())
        image = QImage(prefix + QStringLiteral("-0%1.png").arg(page));
    if (image.isNull())
        image = QImage(prefix + QStringLiteral("-00%1.png").arg(page));
    return image;
}

// ---------------------------------------------------------------------------
// Page pictures

// A blank page picture as the preview draws them, made the output.
inline std::unique_ptr<DrawingSurface> PagePicture()
{
    auto page = std::make_unique<DrawingSurface>(794, 1123);
    OutputObject = page.get();
    ptrInitPage();
    return page;
}

// True when a pixel of that colour lies within `radius` pixels of (x, y).
inline bool ColourNear(const DrawingSurface& s, double x, double y, int32_t colour, int radius = 1)
{
    const int px = static_cast<int>(std::floor(s.PixelFromX(x)));
    const int py = static_cast<int>(std::floor(s.PixelFromY(y)));
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (s.Image().valid(px + dx, py + dy)
                && FromQColor(QColor(s.Image().pixel(px + dx, py + dy))) == colour)
                return true;
    return false;
}

// Pixels of one colour in an image.
inline int CountColour(const QImage& image, int32_t colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += FromQColor(QColor(image.pixel(x, y))) == colour;
    return n;
}
