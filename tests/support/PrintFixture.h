#pragma once
// Shared by the printing tests: a fixture that pins locale, language, date
// format, program folder and customer and answers every message box; builders
// of realistic series; readers of printed PDF files (poppler's tools) and of
// page pictures.
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

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

// A data string of the 56 characters of positions 2 to 57.
inline std::string DataString(const std::string& fields)
{
    EXPECT_EQ(fields.size(), 56u) << "a field of the test string has the wrong width";
    const std::string head = "\x1E" + fields;
    return head + DataStringChecksum(head) + "\r\n";
}

// Tensile strength, MP 4800 serial A23: 200 mm at 100 mm/min, N and %.
// Area weight, D 7041 without serial number: 100 cm², g/m². Typed-in pass/fail.
inline const std::string TensileFields = "MP 4800A23    200\"   100N              " " 1234.58  23.4n 0";
inline const std::string AreaWeightFields = "D  7041       100)                      " " 215.3k        0";
inline const std::string PassFailFields = "0000000                                 " "     1y        0";

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

// Nominal value and limits of result 1, and of result 2 when given; both
// defined by the style or left open (then the measurement derives them).
inline TestDefinition Definition(const std::string& headerImage, std::array<float, 3> result1,
                                 std::array<float, 3> result2 = {NoValue, NoValue, NoValue}, bool defined = true)
{
    TestDefinition d = MakeBlankTestDefinition();
    d.HeaderImage = headerImage;
    d.Defined1 = d.Defined2 = defined;
    d.Nominal1 = result1[0];
    d.Lower1 = result1[1];
    d.Upper1 = result1[2];
    d.Nominal2 = result2[0];
    d.Lower2 = result2[1];
    d.Upper2 = result2[2];
    d.CI1 = 5;
    d.TestCount = 10;
    return d;
}

// Style "abc" (folder QTA199), report form 1, started 5 December 2011 at 14:30:22.
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

// Slot p gets the test type, its definition, the tests and their statistics.
inline void AddProperty(Protocol& series, int p, int16_t testType, const TestDefinition& definition,
                        const std::vector<TestValue>& tests, bool histogram = false)
{
    ReportFormItem& item = series.Style.Forms[1].Items[static_cast<size_t>(p)];
    item.Property = testType;
    item.Histogram = histogram;
    series.Style.Tests[static_cast<size_t>(testType)] = definition;
    PropertyBlock& block = series.Blocks[static_cast<size_t>(p)];
    block.Header = definition.HeaderImage;
    block.Values = {MakeEmptyTestValue()};
    block.Values.insert(block.Values.end(), tests.begin(), tests.end());
    block.Stats = CalcMeanSdCvCi(block.Values);
    block.StartDate = series.Date;
    block.LastTestDate = series.LastTestDate;
}

// Tensile strength with both results and the histogram: four tests, the
// second deleted, the third above the limit with a warning.
inline void AddTensile(Protocol& series, int p, bool defined = true)
{
    AddProperty(series, p, 9, Definition(DataString(TensileFields), {1250, 1000, 1400}, {23, 20, 26}, defined),
                {Reading(1200, "8", 22, "n", "first"), Reading(1300, "8", 25, "n", "", true),
                 Reading(1500, "8", 24, "n", "too strong", false, '*'), Reading(1100, "8", 21, "n")},
                true);
}

// Area weight, nominal 210 g/m² between 200 and 220 (or the limits given).
inline void AddAreaWeight(Protocol& series, int p, const std::vector<TestValue>& tests, float lower = 200,
                          float upper = 220)
{
    AddProperty(series, p, 4, Definition(DataString(AreaWeightFields), {210, lower, upper}), tests);
}

inline std::vector<TestValue> AreaWeights(int count)
{
    std::vector<TestValue> tests;
    for (int i = 0; i < count; ++i)
        tests.push_back(Reading(205.0f + static_cast<float>(i % 10), "k"));
    return tests;
}

class PrintFixture : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        ASSERT_TRUE(dir_.isValid());
        saved_ = {Language, DateFormat, RefTitles, ProgramFolder(), OutputObject};
        Language = 2;
        DateFormat = 1;
        RefTitles = MakeDefaultReferenceTitles();
        SetProgramFolder(dir_.path());
        SetInstallationCustomer(QStringLiteral("Weberei Brückner & Söhne"));
        dir_.setAutoRemove(!qEnvironmentVariableIsSet("QUINTARA_KEEP_TEST_FILES"));
    }
    void TearDown() override
    {
        SetPrinterOutputFile(QString());
        Language = saved_.language;
        DateFormat = saved_.dateFormat;
        RefTitles = saved_.titles;
        SetProgramFolder(saved_.folder);
        OutputObject = saved_.output;
        ResetInstallation();
        ptrSetPrinterTexts(2);
        LocaleFixture::TearDown();
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // The series printed through the program's printer into a PDF.
    QString PrintToPdf(const Protocol& series, const QString& name = QStringLiteral("report.pdf"))
    {
        const QString pdf = Path(name);
        SetPrinterOutputFile(pdf);
        EXPECT_TRUE(ptrTestReport(Printer(), series));
        SetPrinterOutputFile(QString());
        return pdf;
    }

    QTemporaryDir dir_;
    ScriptedPresenter presenter_;   // no message box ever waits

private:
    struct Saved {
        int16_t language;
        int16_t dateFormat;
        ReferenceTitles titles;
        QString folder;
        DrawingSurface* output;
    } saved_{};
};

// ---------------------------------------------------------------------------
// Printed PDF files

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
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page laid out as printed.
inline QStringList PdfPages(const QString& pdf)
{
    QStringList pages = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                            .split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The document's name, as the print queue and a PDF reader show it.
inline QString PdfTitle(const QString& pdf)
{
    const QRegularExpression title(QStringLiteral("^Title:\\s*(.*)$"), QRegularExpression::MultilineOption);
    return title.match(RunTool(QStringLiteral("pdfinfo"), {pdf})).captured(1).trimmed();
}

// A word where pdftotext -bbox finds it, in page units: the PDF printer's
// drawing area is A4 less 5 mm on every side, 200 x 287 mm for 100 x 141.
struct WordBox {
    int Page = 0;
    QString Word;
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline std::vector<WordBox> PdfWords(const QString& pdf)
{
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    const double mm = 72.0 / 25.4;
    auto x = [&](const QString& points) { return (points.toDouble() / mm - 5) / 2.0; };
    auto y = [&](const QString& points) { return (points.toDouble() / mm - 5) * 141.0 / 287.0; };
    std::vector<WordBox> words;
    int page = 0;
    for (const QString& line :
         RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).split(u'\n')) {
        page += line.contains(QStringLiteral("<page "));
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch())
            words.push_back({page, m.captured(5), x(m.captured(1)), y(m.captured(2)), x(m.captured(3)), y(m.captured(4))});
    }
    return words;
}

// Page n (from 1) in grey at 72 dpi without smoothing, so that only the
// drawing's own greys are grey.
inline QImage PdfGreyPage(const QString& pdf, int page, const QString& prefix)
{
    const QString n = QString::number(page);
    RunTool(QStringLiteral("pdftoppm"), {"-r", "72", "-gray", "-aa", "no", "-aaVector", "no", "-f", n, "-l", n,
                                         "-png", pdf, prefix});
    for (const QString& number : {n, n.rightJustified(2, u'0'), n.rightJustified(3, u'0')}) {
        const QImage image(prefix + u'-' + number + QStringLiteral(".png"));
        if (!image.isNull())
            return image;
    }
    return QImage();
}

// Pixel x, y of a page unit on a page rendered at 72 dpi.
inline int PaperX(double x)
{
    return static_cast<int>((5 + 2 * x) * 72 / 25.4);
}

inline int PaperY(double y)
{
    return static_cast<int>((5 + y * 287 / 141) * 72 / 25.4);
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
            if (s.Image().valid(px + dx, py + dy) && FromQColor(QColor(s.Image().pixel(px + dx, py + dy))) == colour)
                return true;
    return false;
}

inline int CountColour(const QImage& image, int32_t colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += FromQColor(QColor(image.pixel(x, y))) == colour;
    return n;
}
