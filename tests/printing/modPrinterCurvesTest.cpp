// The curve boxes of the test report and the page of a curve analysis,
// printed to PDF and read back as text and as pixels.
#include "printing/modPrinter.h"

#include "PrintFixture.h"
#include "support/AirbagCurves.h"

#include "curves/modABTCurve.h"
#include "curves/modPDRCurve.h"
#include "foundation/modInstrument.h"
#include "instrument/modPropertyText.h"

#include <QFile>
#include <functional>

namespace {

// A printed page as pixels, addressed in page units.
struct Paper {
    QImage Image;
    int Dpi = 150;
    int Left = 0;   // pixels cut off at the left and top
    int Top = 0;

    static int PixelX(double x, int dpi) { return static_cast<int>((5 + 2 * x) * dpi / 25.4); }
    static int PixelY(double y, int dpi) { return static_cast<int>((5 + y * 287 / 141) * dpi / 25.4); }
    int X(double x) const { return PixelX(x, Dpi) - Left; }
    int Y(double y) const { return PixelY(y, Dpi) - Top; }

    static bool Dark(QRgb p) { return qGray(p) < 128; }
    static bool Green(QRgb p) { return qRed(p) < 60 && qGreen(p) > 90 && qBlue(p) < 60; }
    static bool Blue(QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) > 180; }

    // Pixels in the rectangle (page units, edges included) that pass the test.
    int Count(double x1, double y1, double x2, double y2, bool (*test)(QRgb) = Dark) const
    {
        int n = 0;
        for (int py = std::max(0, Y(y1)); py <= std::min(Image.height() - 1, Y(y2)); ++py)
            for (int px = std::max(0, X(x1)); px <= std::min(Image.width() - 1, X(x2)); ++px)
                n += test(Image.pixel(px, py));
        return n;
    }
    // Pixels in the rectangle whose 3 x 3 block is all dark: a dot, never a
    // crossing of lines one pixel wide.
    int Solid(double x1, double y1, double x2, double y2) const
    {
        int n = 0;
        for (int py = std::max(1, Y(y1)); py <= std::min(Image.height() - 2, Y(y2)); ++py)
            for (int px = std::max(1, X(x1)); px <= std::min(Image.width() - 2, X(x2)); ++px) {
                bool all = true;
                for (int dy = -1; dy <= 1 && all; ++dy)
                    for (int dx = -1; dx <= 1 && all; ++dx)
                        all = Dark(Image.pixel(px + dx, py + dy));
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
                    dark += Dark(Image.pixel(px + (level ? 0 : off), py + (level ? off : 0)));
            best = std::max(best, static_cast<double>(dark) / std::max(all, 1));
        }
        return best;
    }
};

// The curve test type with its curve flag: tests stored with their curve
// texts (file names or pressure-drop strings).
Protocol CurveSeries(int16_t testType, const std::vector<std::string>& curveTexts, bool curveFlag = true)
{
    Protocol series = EmptySeries();
    std::vector<TestValue> tests;
    for (const std::string& text : curveTexts) {
        TestValue t = Reading(378, "H", 1.81f, " ");
        t.CurveFile = text;
        tests.push_back(t);
    }
    AddProperty(series, 1, testType, Definition(AirbagHeader(), {380, 350, 410}), tests);
    series.Style.Forms[1].Items[1].Curve = curveFlag;
    return series;
}

// A pressure-drop test's string: flows 100 and 150 mm/s at 100 and 200 Pa,
// nominal flow in mm/s.
std::string PressureDropText(const std::string& nominal6 = "   200")
{
    return DataString("KR 6404" "1234" "   100?" "   200?" "       " + nominal6 + "H" + " " + " 100.0H" + " 150.0H" + " 0");
}

// The two points of that test.
PdrPoint PressureDrop(float exponent = 0.5849625f, float nominal = 200)
{
    return PdrPoint{exponent, 100, 100, 200, nominal, "H"};
}

const PrintRect Box{12, 40, 96, 70};

class CurvePrintTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        savedFolder_ = DataFolder;
        DataFolder = dir_.path();
    }
    void TearDown() override
    {
        DataFolder = savedFolder_;
        PrintFixture::TearDown();
    }

    // An airbag curve stored in the data folder; its file name.
    std::string Store(const ABTCurve& curve)
    {
        const QString name = abtFilePut(curve, DateSerial(2024, 1, 5) + (stored_++) / 86400.0);
        EXPECT_FALSE(name.isEmpty());
        return name.toStdString();
    }

    // Whatever `draw` puts on a page of the printer, as pixels.
    Paper Drawn(const std::function<void()>& draw, int dpi = 150)
    {
        const QString pdf = Path(QStringLiteral("drawn%1.pdf").arg(++drawn_));
        lastPdf_ = pdf;
        SetPrinterOutputFile(pdf);
        OutputObject = &Printer();
        EXPECT_TRUE(ptrInit());
        draw();
        Printer().EndDoc();
        SetPrinterOutputFile(QString());
        return Page(pdf, 1, dpi);
    }

    // Page n at the resolution given; with a rectangle (page units) only that part.
    Paper Page(const QString& pdf, int page = 1, int dpi = 150, const PrintRect& part = PrintRect{})
    {
        const QString prefix = Path(QStringLiteral("page%1").arg(++drawn_));
        const QString n = QString::number(page);
        QStringList arguments{"-r", QString::number(dpi), "-aa", "no", "-aaVector", "no", "-f", n, "-l", n};
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
        for (const QString& number : {n, n.rightJustified(2, u'0'), n.rightJustified(3, u'0')}) {
            const QImage image(prefix + u'-' + number + QStringLiteral(".png"));
            if (!image.isNull()) {
                paper.Image = image.convertToFormat(QImage::Format_RGB32);
                return paper;
            }
        }
        ADD_FAILURE() << "no page " << page << " in " << pdf.toStdString();
        return paper;
    }

    QString lastPdf_;

private:
    QString savedFolder_;
    int stored_ = 0;
    int drawn_ = 0;
};

CurvePageTexts PageTexts()
{
    CurvePageTexts t;
    t.XCaption = QStringLiteral("80 kPa");
    t.YCaption = QStringLiteral("6,000 mm/s");
    t.MaxPressure = {QStringLiteral("Peak:"), QStringLiteral("80.0"), QStringLiteral("kPa"), {}, {}};
    t.RiseTime = {QStringLiteral("Rise:"), QStringLiteral("39"), QStringLiteral("ms"), {}, {}};
    t.FallTime = {QStringLiteral("Fall:"), QStringLiteral(">500"), QStringLiteral("ms"), {}, {}};
    t.Nominal = {QStringLiteral("Nominal:"), QStringLiteral("380"), QStringLiteral("mm/s"), {}, {}};
    t.LowerLimit = {QStringLiteral("Lowest:"), QStringLiteral("350"), QStringLiteral("mm/s"), {}, {}};
    t.UpperLimit = {QStringLiteral("Highest:"), QStringLiteral("410"), QStringLiteral("mm/s"), {}, {}};
    t.ADAP = {QStringLiteral("ADAP:"), QStringLiteral("378"), QStringLiteral("mm/s"), {}, {}};
    t.Exponent = {QStringLiteral("Exponent:"), QStringLiteral("1.81"), QString(), {}, {}};
    return t;
}

} // namespace

TEST_F(CurvePrintTest, CurvePageHasThePictureTheCaptionsAndThreeResultColumns)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler's tools are not installed";
    Protocol series = CurveSeries(18, {});
    QImage picture(605, 285, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 100; y < 200; ++y)
        for (int x = 200; x < 400; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));

    const QString pdf = Path(QStringLiteral("curve.pdf"));
    SetPrinterOutputFile(pdf);
    ASSERT_TRUE(ptrABTCurvePage(Printer(), series, PageTexts(), picture));
    SetPrinterOutputFile(QString());
    EXPECT_TRUE(presenter_.Shown.empty());

    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].count(QStringLiteral("Page ")), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Page 1")));
    EXPECT_EQ(pages[0].count(ModelLongNameOf(12) + QStringLiteral(" Curve analysis")), 2);   // head and footer
    EXPECT_TRUE(pages[0].contains(PropertyName(18, 2)));

    // Where each word stands: captions at 12, 36 and 58, values ending at
    // 25, 49 and 71, units from 26, 50 and 72.
    std::map<QString, std::vector<WordBox>> at;
    for (const WordBox& w : PdfWords(pdf))
        at[w.Word].push_back(w);
    const struct {
        const char* word;
        size_t count;
        double left, right;   // -1: not checked
    } words[] = {
        {"Peak:", 1, 12, -1}, {"Rise:", 1, 12, -1}, {"Fall:", 1, 12, -1},
        {"Nominal:", 2, 36, -1}, {"Lowest:", 2, 36, -1}, {"Highest:", 2, 36, -1},
        {"ADAP:", 1, 58, -1}, {"Exponent:", 1, 58, -1},
        {"80.0", 1, -1, 25}, {"39", 1, -1, 25}, {"&gt;500", 1, -1, 25},
        {"380", 1, -1, 49}, {"350", 1, -1, 49}, {"410", 1, -1, 49},
        {"378", 1, -1, 71}, {"1.81", 1, -1, 71},
        {"6,000", 1, 12.1, -1},
    };
    for (const auto& w : words) {
        const std::vector<WordBox>& found = at[QString::fromLatin1(w.word)];
        ASSERT_EQ(found.size(), w.count) << w.word;
        for (const WordBox& b : found) {
            if (w.left >= 0) {
                EXPECT_NEAR(b.Left, w.left, 0.4) << w.word;
            }
            if (w.right >= 0) {
                EXPECT_NEAR(b.Right, w.right, 0.4) << w.word;
            }
        }
    }
    // The axis caption at the picture's right, the unit of the peak pressure.
    const WordBox peak = at[QStringLiteral("80.0")][0];
    const WordBox* caption = nullptr;
    const WordBox* unit = nullptr;
    for (const WordBox& w : at[QStringLiteral("kPa")]) {
        if (std::fabs(w.Right - 95.9) < 0.4)
            caption = &w;
        if (std::fabs(w.Top - peak.Top) < 0.2)
            unit = &w;
    }
    ASSERT_TRUE(caption && unit);
    EXPECT_NEAR(unit->Left, 26, 0.4);
    EXPECT_LT(caption->Bottom, peak.Top);
    // Lines 4 to 6 keep their captions below lines 1 to 3, without values.
    const std::vector<WordBox>& nominal = at[QStringLiteral("Nominal:")];
    EXPECT_NEAR(std::fabs(nominal[1].Top - nominal[0].Top), 1.7 + 1.7 + 2.55, 0.3);
    EXPECT_EQ(at[QStringLiteral("mm/s")].size(), 5u);   // the Y caption, three limits and ADAP

    // The view's picture fills 84 x 30 units: the blue block lies in it.
    const Paper paper = Page(pdf);
    const double y1 = caption->Bottom + 0.1 - 30;   // the X caption ends 0.1 above the picture's bottom
    const double bx = 12 + 84 * 300.0 / 605;
    const double by = y1 + 30 * 150.0 / 285;
    EXPECT_GT(paper.Count(bx - 1, by - 1, bx + 1, by + 1, Paper::Blue), 100);
    EXPECT_EQ(paper.Count(10.5, y1 - 5, 96.5, y1 - 1, Paper::Blue), 0);
}

TEST_F(CurvePrintTest, CurvePageWithoutPrinterShowsMessage17AndPrintsNothing)
{
    SetPrinterOutputFile(QString());
    if (PrinterAvailable())
        GTEST_SKIP() << "a default printer is installed; nothing is sent to it from a test";
    EXPECT_FALSE(ptrABTCurvePage(Printer(), CurveSeries(18, {}), PageTexts(), QImage()));
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("There is no default printer defined!"));
    EXPECT_FALSE(Printer().IsActive());
}

TEST_F(CurvePrintTest, ReportShowsTheBoxUnderTheSingleValuesOfCurveTypesWithTheFlag)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler's tools are not installed";
    const std::string file = Store(AirbagPulse());
    const struct {
        int16_t testType;
        bool flag;
        bool box;
    } cases[] = {{18, true, true}, {18, false, false}, {4, true, false}, {14, true, true}};
    for (const auto& c : cases) {
        const Protocol series = CurveSeries(c.testType, {file, PressureDropText()}, c.flag);
        const QString pdf = PrintToPdf(series, QStringLiteral("report%1%2.pdf").arg(c.testType).arg(c.flag));
        std::vector<WordBox> words = PdfWords(pdf);
        auto find = [&](const char* word) {
            for (const WordBox& w : words)
                if (w.Word == QLatin1String(word))
                    return w;
            return WordBox{};
        };
        // The airbag curve sets the scale: 80 kPa across, 6,000 mm/s up.
        const WordBox yLabel = find("6,000");
        EXPECT_EQ(!yLabel.Word.isEmpty(), c.box) << c.testType << c.flag;
        if (!c.box)
            continue;
        const WordBox commentary = find("Commentary:");
        const WordBox mean = find("Avg:");
        EXPECT_NEAR(yLabel.Left, 12.1, 0.3);
        // Box top: 2.55 under the commentary line's top, then the dotted rule and 0.85.
        EXPECT_NEAR(yLabel.Top, commentary.Top + 2.55 + 0.85 + 0.1, 0.5);
        EXPECT_GT(mean.Top, yLabel.Top + 30);
        const Paper paper = Page(pdf);
        const double top = commentary.Top + 2.55 + 0.85;
        EXPECT_GT(paper.Share(12.5, top, 95.5, top), 0.95);
        EXPECT_GT(paper.Share(12.5, top + 30, 95.5, top + 30), 0.95);
        EXPECT_GT(paper.Share(12, top + 0.5, 12, top + 29.5), 0.95);
    }
}

TEST_F(CurvePrintTest, BoxesWithoutADrawableCurveAreFramedAndEmpty)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler's tools are not installed";
    ABTCurve flat = AirbagPulse();
    flat.P2.fill(0);
    const std::string flatFile = Store(flat);
    const std::string good = Store(AirbagPulse());
    const struct {
        const char* what;
        std::vector<std::string> texts;
        bool deleteAll;
    } cases[] = {
        {"all deleted", {good, good}, true},
        {"flat airbag curve", {flatFile}, false},
        {"nominal flow 0", {PressureDropText("     0")}, false},
        {"missing and foreign files", {"2030.01.01, 00.00.00.ABT", "QUINTARA.LOG", "x"}, false},
    };
    for (const auto& c : cases) {
        Protocol series = CurveSeries(18, c.texts);
        for (size_t i = 1; i < series.Blocks[1].Values.size(); ++i)
            series.Blocks[1].Values[i].Deleted = c.deleteAll;
        double endY = 0;
        const Paper paper = Drawn([&] {
            ptrCurves(series, 1, Box);
            endY = OutputObject->CurrentY();
        });
        EXPECT_NEAR(endY, Box.y2 + 0.85, 1e-4) << c.what;
        for (const double y : {Box.y1, Box.y2})
            EXPECT_GT(paper.Share(Box.x1 + 0.5, y, Box.x2 - 0.5, y), 0.95) << c.what;
        for (const double x : {Box.x1, Box.x2})
            EXPECT_GT(paper.Share(x, Box.y1 + 0.5, x, Box.y2 - 0.5), 0.95) << c.what;
        EXPECT_EQ(paper.Count(Box.x1 + 0.4, Box.y1 + 0.4, Box.x2 - 0.4, Box.y2 - 0.4), 0) << c.what;
        // The dotted rule across the frame's width.
        const double dots = paper.Share(10.5, Box.y2 + 0.85, 96.5, Box.y2 + 0.85);
        EXPECT_GT(dots, 0.2) << c.what;
        EXPECT_LT(dots, 0.8) << c.what;
    }
}

TEST_F(CurvePrintTest, AirbagCurveRunsAlongTheFrameAndBreaksAtMissingValues)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler's tools are not installed";
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
        if (gap)
            for (int i = 90; i <= 100; ++i)
                e.SmoothedFlow[i] = NoValue;
        const Paper paper = Drawn([&] { ptrABTCurveBox(curve, e, AbtOptions{}, window, Box); });
        // Along the top edge from 556 kPa·10 on; nothing above it or right of it.
        EXPECT_GT(paper.Share(pageX(570), Box.y1, Box.x2 - 0.2, Box.y1), 0.9) << gap;
        EXPECT_EQ(paper.Count(Box.x1, Box.y1 - 3, Box.x2 + 3, Box.y1 - 0.3), 0) << gap;
        EXPECT_EQ(paper.Count(Box.x2 + 0.3, Box.y1, Box.x2 + 3, Box.y2), 0) << gap;
        // A missing value leaves a gap, not a line to the frame.
        const int atGap = paper.Count(pageX(190) - 0.3, pageY(1900) - 0.3, pageX(190) + 0.3, pageY(1900) + 0.3);
        EXPECT_EQ(atGap > 0, !gap);
        EXPECT_EQ(paper.Share(pageX(180), Box.y2, pageX(200), Box.y2), 0) << "no line along the bottom";
    }
}

TEST_F(CurvePrintTest, GridStepsThatRoundToZeroDrawNoLines)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler's tools are not installed";
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
    if (!HavePoppler())
        GTEST_SKIP() << "poppler's tools are not installed";
    const PlotWindow own = pdrComputeCurve(PressureDrop(), {});
    ASSERT_EQ(own, (PlotWindow{20, 5, 2000, 20000}));
    const struct {
        const char* what;
        PdrPoint point;
        PlotWindow window;
        bool dots, nominal, anything;
    } cases[] = {
        {"own window", PressureDrop(), own, true, true, true},
        {"points outside", PressureDrop(), {200, 5, 2000, 20000}, false, true, true},
        {"leaving at the top", PressureDrop(), {20, 5, 2000, 1000}, true, true, true},
        {"line above", PressureDrop(), {20, 1, 2000, 5}, false, true, true},
        {"line below", PressureDrop(), {20, 20000, 2000, 100000}, false, true, true},
        {"nominal outside", PressureDrop(0.5849625f, 5000), own, true, false, true},
        {"falling", PressureDrop(-0.5f), own, true, true, true},
        {"no exponent", PressureDrop(NoValue), own, false, false, false},
        {"nominal flow 0", PressureDrop(0.5849625f, 0), own, false, false, false},
        {"window upside down", PressureDrop(), {20, 20000, 2000, 5}, false, false, false},
    };
    for (const auto& c : cases) {
        const Paper paper = Drawn([&] { ptrPDRCurveBox(c.point, c.window, Box); });
        // No ink outside the box: not above it, not below it, not at its sides.
        EXPECT_EQ(paper.Count(-2.5, -2.5, 102.5, Box.y1 - 0.3), 0) << c.what;
        EXPECT_EQ(paper.Count(-2.5, Box.y2 + 0.3, 102.5, 143.5), 0) << c.what;
        EXPECT_EQ(paper.Count(-2.5, Box.y1, Box.x1 - 0.3, Box.y2), 0) << c.what;
        EXPECT_EQ(paper.Count(Box.x2 + 0.3, Box.y1, 102.5, Box.y2), 0) << c.what;
        EXPECT_EQ(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2) > 0, c.anything) << c.what;
        EXPECT_EQ(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2, Paper::Green) > 0, c.nominal) << c.what;
        if (!c.anything)
            continue;
        // The measured points are dots 5 printer pixels across on the law of
        // one pixel: seen on the paper at the printer's resolution.
        const Paper fine = Page(lastPdf_, 1, 600, Box);
        const double ax2 = Box.x2 - 8;
        const double ay2 = Box.y2 - 1.5 * 8 * 0.3528 * 141 / 287 * 1.15;   // 1.5 lines of 8 point
        auto X = [&](double q) {
            return Box.x1 + (ax2 - Box.x1) * std::log(q / c.window.x1) / std::log(c.window.x2 / c.window.x1);
        };
        auto Yp = [&](double p) {
            return ay2 - (ay2 - Box.y1) * std::log(p / c.window.y1) / std::log(c.window.y2 / c.window.y1);
        };
        auto dotAt = [&](double q, double p) { return fine.Solid(X(q) - 0.1, Yp(p) - 0.1, X(q) + 0.1, Yp(p) + 0.1); };
        const double n = c.point.Exponent;
        // A crossing of lines makes at most a few such pixels; a dot a dozen.
        EXPECT_EQ(dotAt(100, 100) > 6, c.dots) << c.what;
        EXPECT_EQ(dotAt(100 * std::pow(2.0, n), 200) > 6, c.dots) << c.what;
        EXPECT_EQ(dotAt(120, 100 * std::pow(1.2, 1 / n)), 0) << c.what << ": the law is one pixel wide";
    }
    // The same test read from its curve text, whatever the test type.
    const Protocol series = CurveSeries(4, {PressureDropText()});
    const Paper paper = Drawn([&] { ptrCurves(series, 1, Box); });
    EXPECT_GT(paper.Count(Box.x1, Box.y1, Box.x2, Box.y2, Paper::Green), 0);
}
