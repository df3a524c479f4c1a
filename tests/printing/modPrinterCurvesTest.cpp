// The curve boxes of the test report and the page of a curve analysis,
// printed to PDF and read back as words and as pixels.
#include "printing/modPrinter.h"

#include "support/PrintFixture.h"
#include "support/AirbagCurves.h"

#include "curves/modABTCurve.h"
#include "curves/modPDRCurve.h"
#include "foundation/modInstrument.h"
#include "instrument/modPropertyText.h"

#include <functional>
#include <map>

namespace {

// A printed page (or the part of it given) as pixels, addressed in page units.
struct Paper {
    QImage Image;
    int Dpi = 150;
    int Left = 0;   // pixels cut off at the left and top
    int Top = 0;

    static int PixelX(double x, int dpi) { return static_cast<int>((5 + 2 * x) * dpi / 25.4); }
    static int PixelY(double y, int dpi) { return static_cast<int>((5 + y * 287 / 141) * dpi / 25.4); }
    int X(double x) const { return PixelX(x, Dpi) - Left; }
    int Y(double y) const { return PixelY(y, Dpi) - Top; }
    bool Dark(int px, int py) const { return Image.valid(px, py) && qGray(Image.pixel(px, py)) < 128; }

    // Pixels in the rectangle (edges included) that pass the test; with
    // `solid` only those whose 3 x 3 block is all dark (a dot, never a
    // crossing of lines one pixel wide).
    int Count(double x1, double y1, double x2, double y2, bool green = false, bool solid = false) const
    {
        int n = 0;
        for (int py = Y(y1); py <= Y(y2); ++py)
            for (int px = X(x1); px <= X(x2); ++px) {
                if (green) {
                    const QRgb p = Image.valid(px, py) ? Image.pixel(px, py) : qRgb(255, 255, 255);
                    n += qRed(p) < 60 && qGreen(p) > 90 && qBlue(p) < 60;
                    continue;
                }
                bool all = Dark(px, py);
                for (int k = 0; solid && all && k < 9; ++k)
                    all = Dark(px + k % 3 - 1, py + k / 3 - 1);
                n += all;
            }
        return n;
    }
    // The share of dark pixels along a level or upright line, on the darkest
    // of the three pixel lines around it.
    double Share(double x1, double y1, double x2, double y2) const
    {
        const bool level = y1 == y2;
        double best = 0;
        for (int off = -1; off <= 1; ++off) {
            int dark = 0;
            int all = 0;
            for (int px = X(x1); px <= X(x2); ++px)
                for (int py = Y(y1); py <= Y(y2); ++py, ++all)
                    dark += Dark(px + (level ? 0 : off), py + (level ? off : 0));
            best = std::max(best, static_cast<double>(dark) / std::max(all, 1));
        }
        return best;
    }
};

// A pressure-drop test's string: flows 100 and `flow2` mm/s at 100 and 200 Pa
// (exponent 0.585 for 150), nominal flow in mm/s.
std::string PressureDropText(const std::string& nominal6 = "   200", const std::string& flow2 = " 150.0")
{
    return DataString("KR 6404" "1234" "   100?" "   200?" "       " + nominal6 + "H" + " " + " 100.0H" + flow2 + "H"
                      + " 0");
}

const PrintRect Box{12, 40, 96, 70};

class CurvePrintTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        if (!HavePoppler())
            GTEST_SKIP() << "poppler's tools are not installed";
        savedFolder_ = DataFolder;
        DataFolder = dir_.path();
    }
    void TearDown() override
    {
        DataFolder = savedFolder_;
        PrintFixture::TearDown();
    }

    // The curve test type with its curve flag, one test per curve text (an
    // airbag curve stored in the data folder, or a pressure-drop string).
    Protocol Series(int16_t testType, const std::vector<std::string>& curveTexts, bool curveFlag = true)
    {
        Protocol series = EmptySeries();
        std::vector<TestValue> tests;
        for (const std::string& text : curveTexts) {
            tests.push_back(Reading(378, "H", 1.81f, " "));
            tests.back().CurveFile = text;
        }
        AddProperty(series, 1, testType, Definition(AirbagHeader(), {380, 350, 410}), tests);
        series.Style.Forms[1].Items[1].Curve = curveFlag;
        return series;
    }
    std::string Store(const ABTCurve& curve)
    {
        return abtFilePut(curve, DateSerial(2024, 1, 5) + (stored_++) / 86400.0).toStdString();
    }

    // Whatever `draw` puts on the printer's page, as pixels.
    Paper Drawn(const std::function<void()>& draw)
    {
        lastPdf_ = Path(QStringLiteral("drawn%1.pdf").arg(++files_));
        SetPrinterOutputFile(lastPdf_);
        OutputObject = &Printer();
        EXPECT_TRUE(ptrInit());
        draw();
        Printer().EndDoc();
        SetPrinterOutputFile(QString());
        return Page(lastPdf_);
    }

    // Page 1 of the PDF; with a rectangle (page units) only that part.
    Paper Page(const QString& pdf, int dpi = 150, const PrintRect& part = PrintRect{})
    {
        const QString prefix = Path(QStringLiteral("page%1").arg(++files_));
        QStringList arguments{"-r", QString::number(dpi), "-aa", "no", "-aaVector", "no", "-singlefile"};
        Paper paper;
        paper.Dpi = dpi;
        if (part.x2 > part.x1) {
            paper.Left = Paper::PixelX(part.x1, dpi);
            paper.Top = Paper::PixelY(part.y1, dpi);
            arguments << "-x" << QString::number(paper.Left) << "-y" << QString::number(paper.Top) << "-W"
                      << QString::number(Paper::PixelX(part.x2, dpi) - paper.Left) << "-H"
                      << QString::number(Paper::PixelY(part.y2, dpi) - paper.Top);
        }
        RunTool(QStringLiteral("pdftoppm"), arguments << "-png" << pdf << prefix);
        paper.Image = QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
        EXPECT_FALSE(paper.Image.isNull()) << pdf.toStdString();
        return paper;
    }

    QString lastPdf_;

private:
    QString savedFolder_;
    int stored_ = 0;
    int files_ = 0;
};

CurveResultCell Result(const char* caption, const char* value, const char* unit)
{
    return {QString::fromLatin1(caption), QString::fromLatin1(value), QString::fromLatin1(unit), {}, {}};
}

} // namespace

TEST_F(CurvePrintTest, CurvePageHasThePictureTheCaptionsAndThreeResultColumns)
{
    CurvePageTexts texts{QStringLiteral("80 kPa"), QStringLiteral("6,000 mm/s"),
                         Result("Peak:", "80.0", "kPa"),        Result("Rise:", "39", "ms"),
                         Result("Fall:", ">500", "ms"),          Result("Nominal:", "380", "mm/s"),
                         Result("Lowest:", "350", "mm/s"),       Result("Highest:", "410", "mm/s"),
                         Result("ADAP:", "378", "mm/s"),         Result("Exponent:", "1.81", ""),
                         QStringLiteral("2024.01.05, 09.07.03.ABT")};
    QImage picture(605, 285, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 100; y < 200; ++y)
        for (int x = 200; x < 400; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));

    const QString pdf = Path(QStringLiteral("curve.pdf"));
    SetPrinterOutputFile(pdf);
    ASSERT_TRUE(ptrABTCurvePage(Printer(), Series(18, {}), texts, picture));
    SetPrinterOutputFile(QString());
    EXPECT_TRUE(presenter_.Shown.empty());
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("ZOLVERA D 7110 QUINTARA III - 2024.01.05, 09.07.03.ABT"));
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Page 1")));
    EXPECT_EQ(pages[0].count(ModelLongNameOf(12) + QStringLiteral(" Curve analysis")), 2);   // head and footer
    EXPECT_TRUE(pages[0].contains(PropertyName(18, 2)));

    // Captions at 12, 36 and 58, values ending at 25, 49 and 71, units from
    // 26, 50 and 72; the second results three lines lower, without values.
    std::map<QString, std::vector<WordBox>> at;
    for (const WordBox& w : PdfWords(pdf))
        at[w.Word].push_back(w);
    const struct {
        const char* word;
        size_t count;
        double left, right;   // -1: not checked
    } words[] = {
        {"Peak:", 1, 12, -1},     {"Rise:", 1, 12, -1},      {"Fall:", 1, 12, -1},
        {"Nominal:", 2, 36, -1},  {"Lowest:", 2, 36, -1},    {"Highest:", 2, 36, -1},
        {"ADAP:", 1, 58, -1},     {"Exponent:", 1, 58, -1},  {"80.0", 1, -1, 25},
        {"39", 1, -1, 25},        {"&gt;500", 1, -1, 25},    {"380", 1, -1, 49},
        {"410", 1, -1, 49},       {"378", 1, -1, 71},        {"1.81", 1, -1, 71},
        {"ms", 2, 26, -1},        {"mm/s", 5, -1, -1},       {"6,000", 1, 12.1, -1},
    };
    for (const auto& w : words) {
        const std::vector<WordBox>& found = at[QString::fromLatin1(w.word)];
        ASSERT_EQ(found.size(), w.count) << w.word;
        for (const WordBox& b : found) {
            EXPECT_TRUE(w.left < 0 || std::fabs(b.Left - w.left) < 0.4) << w.word << " at " << b.Left;
            EXPECT_TRUE(w.right < 0 || std::fabs(b.Right - w.right) < 0.4) << w.word << " to " << b.Right;
        }
    }
    const std::vector<WordBox>& nominal = at[QStringLiteral("Nominal:")];
    EXPECT_NEAR(nominal[1].Top - nominal[0].Top, 1.7 + 1.7 + 2.55, 0.3);

    // The X caption ends at 95.9 just above the picture's bottom; the
    // picture fills 84 x 30 units from there up.
    const WordBox* caption = nullptr;
    for (const WordBox& w : at[QStringLiteral("kPa")])
        if (std::fabs(w.Right - 95.9) < 0.4)
            caption = &w;
    ASSERT_NE(caption, nullptr);
    const double y1 = caption->Bottom + 0.1 - 30;
    EXPECT_NEAR(at[QStringLiteral("6,000")][0].Top, y1 + 0.1, 0.4);
    // The black block of pixels 200-399 x 100-199 lies where 84 x 30 units put it.
    const Paper paper = Page(pdf);
    const double by = y1 + 30 * 150.0 / 285;
    EXPECT_GT(paper.Count(41, by - 1, 66, by + 1), 100);
    EXPECT_EQ(paper.Count(37.5, by - 1, 39.2, by + 1), 0);
    EXPECT_EQ(paper.Count(50, y1 + 8.5, 52, y1 + 9.8), 0);
    EXPECT_EQ(paper.Count(50, y1 + 21.8, 52, y1 + 23), 0);
}

TEST_F(CurvePrintTest, ReportShowsTheBoxUnderTheSingleValuesOfCurveTypesWithTheFlag)
{
    const std::string file = Store(AirbagPulse());
    const struct {
        int16_t testType;
        bool flag, box;
    } cases[] = {{18, true, true}, {18, false, false}, {4, true, false}, {14, true, true}};
    for (const auto& c : cases) {
        const QString pdf = PrintToPdf(Series(c.testType, {file}, c.flag), QStringLiteral("report%1%2.pdf")
                                                                                .arg(c.testType)
                                                                                .arg(c.flag));
        std::map<QString, WordBox> at;
        for (const WordBox& w : PdfWords(pdf))
            at.emplace(w.Word, w);
        // The airbag curve's scale: 80 kPa across, 6,000 mm/s up.
        ASSERT_EQ(at.count(QStringLiteral("6,000")) == 1, c.box) << c.testType << c.flag;
        if (!c.box)
            continue;
        // Box top: 2.55 under the commentary line, then the dotted rule and 0.85.
        const double top = at[QStringLiteral("Commentary:")].Top + 2.55 + 0.85;
        EXPECT_NEAR(at[QStringLiteral("6,000")].Left, 12.1, 0.3);
        EXPECT_NEAR(at[QStringLiteral("6,000")].Top, top + 0.1, 0.5);
        EXPECT_GT(at[QStringLiteral("Avg:")].Top, top + 30);
        const Paper paper = Page(pdf);
        EXPECT_GT(paper.Share(12.5, top, 95.5, top), 0.95);
        EXPECT_GT(paper.Share(12.5, top + 30, 95.5, top + 30), 0.95);
    }
}

TEST_F(CurvePrintTest, BoxesWithoutADrawableCurveAreFramedAndEmpty)
{
    ABTCurve flat = AirbagPulse();
    flat.P2.fill(0);
    const std::string good = Store(AirbagPulse());
    const struct {
        const char* what;
        std::vector<std::string> texts;
        bool deleteAll;
    } cases[] = {
        {"all deleted", {good, good}, true},
        {"flat airbag curve", {Store(flat)}, false},
        {"nominal flow 0", {PressureDropText("     0")}, false},
        {"falling law on its own scale", {PressureDropText("   200", "  50.0")}, false},
        {"missing and foreign files", {"2030.01.01, 00.00.00.ABT", "QUINTARA.LOG", "x"}, false},
    };
    for (const auto& c : cases) {
        Protocol series = Series(18, c.texts);
        for (TestValue& t : series.Blocks[1].Values)
            t.Deleted = c.deleteAll;
        double endY = 0;
        const Paper paper = Drawn([&] {
            ptrCurves(series, 1, Box);
            endY = OutputObject->CurrentY();
        });
        EXPECT_NEAR(endY, Box.y2 + 0.85, 1e-4) << c.what;
        // Frame drawn, inside empty, the dotted rule 0.85 below.
        for (const double y : {Box.y1, Box.y2})
            EXPECT_GT(paper.Share(Box.x1 + 0.5, y, Box.x2 - 0.5, y), 0.95) << c.what;
        for (const double x : {Box.x1, Box.x2})
            EXPECT_GT(paper.Share(x, Box.y1 + 0.5, x, Box.y2 - 0.5), 0.95) << c.what;
        EXPECT_EQ(paper.Count(Box.x1 + 0.4, Box.y1 + 0.4, Box.x2 - 0.4, Box.y2 - 0.4), 0) << c.what;
        const double dots = paper.Share(10.5, Box.y2 + 0.85, 96.5, Box.y2 + 0.85);
        EXPECT_TRUE(dots > 0.2 && dots < 0.8) << c.what << ": dotted rule " << dots;
    }
}

TEST_F(CurvePrintTest, AirbagCurveRunsAlongTheFrameAndBreaksAtMissingValues)
{
    // Grid steps 80 and 556 leave the box's top and right edge free of lines.
    const PlotWindow window{0, 0, 805, 5555};
    ABTCurve curve = AirbagPulse();
    AbtEvaluation rising{};
    for (int i = 0; i < AbtSampleCount; ++i) {
        curve.P2[i] = 2.0f * i;
        rising.SmoothedFlow[i] = 20.0f * i;   // leaves the scale at 278 ms, the pressure at 403 ms
    }
    auto pageX = [&](double p) { return Box.x1 + p * (Box.x2 - Box.x1) / 805; };
    auto pageY = [&](double v) { return Box.y2 - v * (Box.y2 - Box.y1) / 5555; };
    for (const bool gap : {false, true}) {
        AbtEvaluation e = rising;
        for (int i = 90; gap && i <= 100; ++i)
            e.SmoothedFlow[i] = NoValue;
        const Paper paper = Drawn([&] { ptrABTCurveBox(curve, e, AbtOptions{}, window, Box); });
        // Along the top edge from 556 kPa·10 on; nothing above it or right of it.
        EXPECT_GT(paper.Share(pageX(570), Box.y1, Box.x2 - 0.2, Box.y1), 0.9) << gap;
        EXPECT_EQ(paper.Count(Box.x1, Box.y1 - 3, Box.x2 + 3, Box.y1 - 0.3), 0) << gap;
        EXPECT_EQ(paper.Count(Box.x2 + 0.3, Box.y1, Box.x2 + 3, Box.y2), 0) << gap;
        // A missing value leaves a gap, not a line to the frame.
        EXPECT_EQ(paper.Count(pageX(190) - 0.3, pageY(1900) - 0.3, pageX(190) + 0.3, pageY(1900) + 0.3) > 0, !gap);
        EXPECT_EQ(paper.Share(pageX(180), Box.y2, pageX(200), Box.y2), 0) << "no line along the bottom";
    }
}

TEST_F(CurvePrintTest, GridStepsThatRoundToZeroDrawNoLines)
{
    ABTCurve curve = AirbagPulse();
    AbtEvaluation e{};
    for (int i = 0; i < AbtSampleCount; ++i) {
        curve.P2[i] = static_cast<float>(i);
        e.SmoothedFlow[i] = 3.5f * i / 500;   // MaxFlow 3.5: axis 4, step 0.5 rounds to 0
    }
    const struct {
        PlotWindow window;
        int verticalLines;
    } cases[] = {{{0, 0, 800, 4}, 7}, {{0, 0, 2, 2}, 0}};
    for (const auto& c : cases) {
        const Paper paper = Drawn([&] { ptrABTCurveBox(curve, e, AbtOptions{}, c.window, Box); });
        int fullRows = 0;
        for (double y = Box.y1 + 0.3; y < Box.y2 - 0.3; y += 0.1)
            fullRows += paper.Share(Box.x1 + 0.3, y, Box.x2 - 0.3, y) > 0.8;
        EXPECT_EQ(fullRows, 0) << c.window.x2;
        int columns = 0;
        for (int k = 1; k <= 7; ++k) {
            const double x = Box.x1 + k * (Box.x2 - Box.x1) / 8;
            columns += paper.Share(x, Box.y1 + 0.3, x, Box.y2 - 0.3) > 0.9;
        }
        EXPECT_EQ(columns, c.verticalLines) << c.window.x2;
        EXPECT_GT(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2), 50) << "the curve";
    }
}

TEST_F(CurvePrintTest, PressureDropDiagramStaysInsideItsPlotArea)
{
    const auto point = [](float exponent, float nominal = 200) { return PdrPoint{exponent, 100, 100, 200, nominal, "H"}; };
    const float rising = 0.5849625f;
    const PlotWindow own = pdrComputeCurve(point(rising), {});
    ASSERT_EQ(own, (PlotWindow{20, 5, 2000, 20000}));
    const struct {
        const char* what;
        PdrPoint point;
        PlotWindow window;
        bool dots, nominal, anything;
    } cases[] = {
        {"own window", point(rising), own, true, true, true},
        {"points outside", point(rising), {200, 5, 2000, 20000}, false, true, true},
        {"leaving at the top", point(rising), {20, 5, 2000, 1000}, true, true, true},
        {"line above", point(rising), {20, 1, 2000, 5}, false, true, true},
        {"line below", point(rising), {20, 20000, 2000, 100000}, false, true, true},
        {"nominal outside", point(rising, 5000), own, true, false, true},
        {"falling, leaving at the bottom", point(-0.5f), own, true, true, true},
        {"no exponent", point(NoValue), own, false, false, false},
        {"exponent 0", point(0), own, false, false, false},
        {"nominal flow 0", point(rising, 0), own, false, false, false},
        {"window upside down", point(rising), {20, 20000, 2000, 5}, false, false, false},
    };
    // Page position of a flow and a pressure: the plot area is the box less 8
    // units at the right and 1.5 lines of 8 point at the bottom.
    const double ax2 = Box.x2 - 8;
    const double ay2 = Box.y2 - 1.5 * 8 * 0.3528 * 141 / 287 * 1.15;
    auto X = [&](const PlotWindow& w, double q) { return Box.x1 + (ax2 - Box.x1) * std::log(q / w.x1) / std::log(w.x2 / w.x1); };
    auto Yp = [&](const PlotWindow& w, double p) { return ay2 - (ay2 - Box.y1) * std::log(p / w.y1) / std::log(w.y2 / w.y1); };
    for (const auto& c : cases) {
        const Paper paper = Drawn([&] { ptrPDRCurveBox(c.point, c.window, Box); });
        // No ink outside the box: not above it, not below it, not at its sides.
        EXPECT_EQ(paper.Count(-2.5, -2.5, 102.5, Box.y1 - 0.3), 0) << c.what;
        EXPECT_EQ(paper.Count(-2.5, Box.y2 + 0.3, 102.5, 143.5), 0) << c.what;
        EXPECT_EQ(paper.Count(-2.5, Box.y1, Box.x1 - 0.3, Box.y2), 0) << c.what;
        EXPECT_EQ(paper.Count(Box.x2 + 0.3, Box.y1, 102.5, Box.y2), 0) << c.what;
        EXPECT_EQ(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2) > 0, c.anything) << c.what;
        EXPECT_EQ(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2, true) > 0, c.nominal) << c.what;
        if (!c.anything)
            continue;
        // The measured points are dots as large as on the screen, 5 pixels
        // of 15 twips (1.32 mm), 31 pixels across at 600 dpi: some 670
        // pixels whose neighbours are all dark too. The law stays one printer
        // pixel wide; a crossing of lines makes at most a few such pixels.
        const Paper fine = Page(lastPdf_, 600, Box);
        auto dotAt = [&](double q, double p) {
            const double x = X(c.window, q);
            const double y = Yp(c.window, p);
            return fine.Count(x - 0.6, y - 0.6, x + 0.6, y + 0.6, false, true);
        };
        const double n = c.point.Exponent;
        for (const int dot : {dotAt(100, 100), dotAt(100 * std::pow(2.0, n), 200)}) {
            if (c.dots)
                EXPECT_NEAR(dot, 670, 120) << c.what;
            else
                EXPECT_LE(dot, 6) << c.what;
        }
        EXPECT_EQ(dotAt(120, 100 * std::pow(1.2, 1 / n)), 0) << c.what << ": the law is one pixel wide";
    }
    // Read from their curve texts whatever the test type: a falling law
    // (p = 10000 Pa mm/s / q) drawn on the scale of the rising one before it.
    const Paper paper = Drawn(
        [&] { ptrCurves(Series(4, {PressureDropText(), PressureDropText("   200", "  50.0")}), 1, Box); });
    EXPECT_GT(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2, true), 0);
    EXPECT_GT(paper.Count(X(own, 300) - 0.3, Yp(own, 33.3) - 0.3, X(own, 300) + 0.3, Yp(own, 33.3) + 0.3), 0);
    EXPECT_EQ(paper.Count(-2.5, Box.y2 + 1, 102.5, 143.5), 0);
}
