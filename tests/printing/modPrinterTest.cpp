#include "printing/modPrinter.h"

#include "support/PrintFixture.h"
#include "foundation/modInstrument.h"
#include "printing/frmPreview.h"

#include <QFile>
#include <functional>
#include <limits>

namespace {

Protocol TwoProperties()
{
    Protocol series = EmptySeries();
    AddTensile(series, 1);
    AddAreaWeight(series, 2,
                  {Reading(221, "k", NoValue, "", "heavy"), Reading(199.5f, "k"), Reading(220, "k"),
                   Reading(NoValue, "k"), Reading(250, "k")});
    return series;
}

// Patterns over the text of a PDF.
void ExpectText(const QString& text, const std::vector<const char*>& present, const std::vector<const char*>& absent)
{
    // No page ever shows the missing-value marker or a broken number.
    std::vector<const char*> never = {"E\\+38", "340,000,000", "\\b[Nn]a[Nn]\\b", "\\b[Ii]nf\\b"};
    never.insert(never.end(), absent.begin(), absent.end());
    for (const char* pattern : present)
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "missing " << pattern;
    for (const char* pattern : never)
        EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "found " << pattern;
}

// Tops (page units) of the lines of text in a band of columns: runs of dark
// rows at least three rows high (rules are thinner).
std::vector<double> InkRows(const QImage& image, int left, int right, double unitsPerRow, double offset)
{
    std::vector<double> tops;
    int start = -1;
    for (int y = 0; y <= image.height(); ++y) {
        bool dark = false;
        for (int x = left; x <= right && !dark && y < image.height(); ++x)
            dark = qGray(image.pixel(x, y)) < 150;
        if (dark && start < 0)
            start = y;
        if (!dark && start >= 0) {
            if (y - start >= 3)
                tops.push_back(start * unitsPerRow - offset);
            start = -1;
        }
    }
    return tops;
}

} // namespace

class PrintReportTest : public PrintFixture {};

TEST(PrinterTextsTest, NineTextsInSixLanguagesAndOthersLeftAlone)
{
    // Title|number|deleted|page|commentary|continued|lateral air|curve title.
    const char* const rows[] = {
        "Prüfprotokoll|Nr.|««« gelöscht|Seite |Kommentar:|(Fortsetzung)|Seitenluft:|Zolvera KR 6450 Kurvenanalyse",
        "Test Report|no.|««« deleted|Page |Commentary:|(continued)|Lateral air:|Zolvera KR 6450 Curve analysis",
        "Protocole d'essai|no.|««« annulé|Page |Commentaire:|(suite)|Air latéral:|Zolvera KR 6450 Analyse de la courbe",
        "Protocollo di prova|no.|««« annullato|Pagina |Commento:|(continuazione)|Aria laterale:|Zolvera KR 6450 "
        "Analizzare la curva",
        "Informe del ensayo|no.|««« cancelado|Pagina |Comentario:|(sigue)|Aire lateral:|Zolvera KR 6450 Analizar la curva",
        "||««« | |:|()|:|Zolvera KR 6450 ",
    };
    InitConstants();
    for (int language = 1; language <= 6; ++language) {
        ptrSetPrinterTexts(language);
        const PrinterTexts& t = PrintTexts;
        EXPECT_EQ(QStringList({t.ReportTitle, t.NumberWord, t.DeletedMark, t.PageWord, t.CommentaryLabel,
                               t.ContinuedMark, t.LateralAirLabel, t.CurveTitle})
                      .join(u'|'),
                  QString::fromUtf8(rows[language - 1]));
    }
    ptrSetPrinterTexts(3);
    EXPECT_EQ(PrintTexts.LongTermTitle, QString::fromUtf8("Évaluation de longue durée"));
    const PrinterTexts french = PrintTexts;
    for (const int outside : {0, 7, -1}) {
        ptrSetPrinterTexts(outside);
        EXPECT_EQ(PrintTexts, french) << outside;
    }
}

// One unit per character: text, width, lines.
TEST(WrapLinesTest, WordsFillLinesAndOverlongWordsAreCut)
{
    const struct {
        const char* text;
        double width;
        QStringList lines;
    } rows[] = {
        {"   ", 10, {}},
        {"  aaa    bbb  ccc", 7, {"aaa bbb", "ccc"}},
        {"aaa bbbb", 7, {"aaa", "bbbb"}},
        {"xx abcdefghij yy", 4, {"xx", "abcd", "efgh", "ij", "yy"}},
        {"abc", 0.5, {"a", "b", "c"}},
    };
    const auto width = [](const QString& t) { return static_cast<double>(t.size()); };
    for (const auto& r : rows)
        EXPECT_EQ(ptrWrapLines(QString::fromUtf8(r.text), r.width, width), r.lines) << r.text;
}

TEST_F(PrintReportTest, PrintedTextsOfSeries)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    const struct {
        const char* name;
        int16_t language;
        std::function<Protocol()> series;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    } rows[] = {
        {"two properties", 2, TwoProperties,
         {"Weberei Brückner & Söhne", "Test Report no\\. 2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+QTA199",
          "Style:\\s+abc\\s+Date/time:\\s+05\\.12\\.2011, 14:30:22 - 05\\.12\\.2011, 15:02:09",
          "Reference 2:\\s+Lot 4711\\s+Operator:\\s+Müller", "Reference 3:\\s+Weiß «Spezial»\\n",
          "Reference 4:\\s+Café\\n", "Test length:\\s+200 mm\\s+Date/time:\\s+05\\.12\\.2011, 14:30:22",
          "Test speed:\\s+100 mm/min\\s+Instrument:\\s+Zolvera MP 4800, s/n: 1023\\n",
          "1:\\s+1,200\\s+N\\s+22\\.0\\s+%\\s+first", "2:\\s+1,300\\s+N\\s+25\\.0\\s+%\\s+««« deleted",
          "2:\\s+1,500\\s+N ?\\+\\s+24\\.0\\s+%\\s+\\*\\s+too strong", "3:\\s+1,100\\s+N\\s+21\\.0\\s+%\\n",
          "Avg:\\s+1,270\\s+N\\s+Nominal:\\s+1,250\\s+N", "Max:\\s+1,500\\s+N ?\\+\\s+Max:\\s+1,400\\s+N",
          "CV:\\s+16\\.4\\s+%\\s+Tests:\\s+10", "CI:\\s+40\\.8\\s+%\\s+CI:\\s+5\\.0\\s+%",
          "Test area:\\s+100 cm²\\s+Date/time:", "Instrument:\\s+Zolvera D 7041\\n", "1:\\s+221\\s+g/m² ?\\+\\s+heavy",
          "2:\\s+200\\s+g/m² ?-\\n", "3:\\s+220\\s+g/m²\\n", "4:\\n", "Avg:\\s+223\\s+g/m² ?\\+\\s+Nominal:\\s+210\\s+g/m²",
          "Test Report no\\. 2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+Page 1\\n"},
         {"continued", "Page 2"}},
        {"pass-fail and lateral air", 2,
         [] {
             Protocol series = EmptySeries();
             AddProperty(series, 1, 1, Definition(DataString(PassFailFields), {80, 50, 100}),
                         {Reading(1, "y"), Reading(1, "y"), Reading(0, "y"), Reading(1, "y")});
             AddTensile(series, 2);
             series.Blocks[2].LateralAir = 12.5f;
             return series;
         },
         // The share 0.75 is printed as 75 to three significant digits: "75.0".
         {"1:\\s+passed\\n", "3:\\s+failed\\n", "Avg:\\s+75\\.0\\s+%\\s+Nominal:\\s+80\\.0\\s+%", "Lateral air:\\s+12\\.5 N\\n"},
         {"passed[ \\t]+\\S", "failed[ \\t]+\\S", "0\\.75", "75\\s+%"}},
        {"mean on the limit", 2,
         [] {
             Protocol series = EmptySeries();
             AddAreaWeight(series, 1, {Reading(215, "k"), Reading(225, "k")});
             return series;
         },
         {"Avg:\\s+220\\s+g/m²\\s+Nominal:", "Max:\\s+225\\s+g/m² ?\\+\\s+Max:\\s+220\\s+g/m²"},
         {"Avg:\\s+220\\s+g/m² ?\\+"}},
        {"German", 1, TwoProperties,
         {"Prüfprotokoll Nr\\. 2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+QTA199", "Reissfestigkeit\\n", "««« gelöscht",
          "Kommentar:", "Seite 1\\n", "Datum/Zeit:\\s+05\\.12\\.2011, 14:30:22"},
         {"deleted", "Page"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Language = row.language;
        const QString pdf = PrintToPdf(row.series(), QString::fromUtf8(row.name) + QStringLiteral(".pdf"));
        ExpectText(PdfPages(pdf).join(u'\f'), row.present, row.absent);
        for (const WordBox& w : PdfWords(pdf)) {
            EXPECT_GE(w.Left, 10.0) << w.Word.toStdString();
            EXPECT_LE(w.Right, 97.0) << w.Word.toStdString();
        }
    }
}

// Warning signs and deleted marks move with the number of results of a line.
TEST_F(PrintReportTest, OneAndTwoResultLinesPlaceTheirMarks)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = EmptySeries();
    AddTensile(series, 1);
    AddAreaWeight(series, 2,
                  {Reading(210, "k", NoValue, "", "", false, '!'), Reading(211, "k", NoValue, "", "", true),
                   Reading(212, "k", 5, "n", "", false, '?')});
    std::vector<std::pair<QString, double>> marks;   // in page order
    for (const WordBox& w : PdfWords(PrintToPdf(series)))
        if (w.Word == "*" || w.Word == "!" || w.Word == "?" || w.Word == QString::fromUtf8("«««"))
            marks.emplace_back(w.Word, w.Left);
    const std::vector<std::pair<QString, double>> expected = {
        {QString::fromUtf8("«««"), 50}, {"*", 47}, {"!", 32}, {QString::fromUtf8("«««"), 35}, {"?", 47}};
    ASSERT_EQ(marks.size(), expected.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].first, expected[i].first);
        EXPECT_NEAR(marks[i].second, expected[i].second, 0.5) << i;
    }
}

TEST_F(PrintReportTest, DerivedLimitsPrintNeitherValuesSignsNorBand)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    for (const bool defined : {true, false}) {
        SCOPED_TRACE(defined);
        Protocol series = EmptySeries();
        AddTensile(series, 1, defined);
        const QString pdf = PrintToPdf(series, defined ? QStringLiteral("defined.pdf") : QStringLiteral("derived.pdf"));
        if (defined)
            ExpectText(PdfPages(pdf).join(u'\f'),
                       {"Min:\\s+1,100\\s+N\\s+Min:\\s+1,000\\s+N", "Nominal:\\s+23\\.0 %"},
                       {});
        else
            ExpectText(PdfPages(pdf).join(u'\f'),
                       {"Avg:\\s+1,270\\s+N\\s+Nominal:", "Max:\\s+1,500\\s+N\\s+Max:", "2:\\s+1,500\\s+N\\s+24\\.0",
                        "Tests:\\s+10", "1,550 N", "750 N"},
                       {"\\+", "1,250", "1,400", "1,000", "23\\.0", "26\\.0"});
        // The band is the only light grey of the charts (x 58 to 96 below the head).
        const QImage page = PdfGreyPage(pdf, 1, Path(defined ? QStringLiteral("d") : QStringLiteral("n")));
        ASSERT_FALSE(page.isNull());
        int grey = 0;
        for (int y = PaperY(20); y < page.height(); ++y)
            for (int x = PaperX(58); x <= PaperX(96); ++x)
                grey += std::abs(qGray(page.pixel(x, y)) - 192) <= 2;
        EXPECT_TRUE(defined ? grey > 500 : grey == 0) << grey;
    }
}

TEST_F(PrintReportTest, BreaksFollowTheRoomRulesOnPaperAndInThePreview)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = EmptySeries();
    AddAreaWeight(series, 1, AreaWeights(200));
    const QString pdf = PrintToPdf(series);
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 4);
    // Page 1 ends when a value would start below y 126; each later page holds 70.
    const int firstNumbers[] = {1, 57, 127, 197};
    const QRegularExpression number(QStringLiteral("^\\s*(\\d+):\\s"), QRegularExpression::MultilineOption);
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(number.match(pages[n]).captured(1).toInt(), firstNumbers[n]);
        EXPECT_TRUE(pages[n].contains(QRegularExpression(QStringLiteral("QTA\\s+Page %1\\n").arg(n + 1))));
        EXPECT_EQ(pages[n].contains(QRegularExpression(QStringLiteral("^\\s*Area Weight \\(continued\\)\\n"))), n > 0);
    }

    // The preview breaks alike: the same pages with the same lines at the same
    // heights in the column of the test numbers and titles (x 12.6 to 14.8).
    std::vector<QImage> previewPages;
    ScriptedDialogRunner runner;
    runner.Then([&](QDialog& dialog) {
        auto& preview = static_cast<frmPreview&>(dialog);
        for (int i = 0; i < preview.picSourceCount(); ++i)
            previewPages.push_back(preview.PageImage(i));
    });
    ptrPreviewTestReport(series);
    ASSERT_EQ(previewPages.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        const QImage paper = PdfGreyPage(pdf, n + 1, Path(QStringLiteral("break")));
        const std::vector<double> onPaper =
            InkRows(paper, PaperX(12.6), PaperX(14.8), 141.0 / 287 * 25.4 / 72, 5 * 141.0 / 287);
        const std::vector<double> onScreen = InkRows(previewPages[static_cast<size_t>(n)], 100, 117, 141.0 / 1123, 0);
        ASSERT_EQ(onPaper.size(), onScreen.size()) << "page " << n + 1;
        for (size_t i = 0; i < onPaper.size(); ++i)
            EXPECT_NEAR(onPaper[i], onScreen[i], 0.6) << "page " << n + 1 << " line " << i;
    }
}

// The commentary is justified to x 25 and 96 but for its last line; a word
// longer than the line is cut at the margin. After the last value of a full
// page a commentary of several lines starts on the next page, so footer and
// frame stay on the sheet.
TEST_F(PrintReportTest, CommentaryIsJustifiedAndStaysWithinTheFrame)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = EmptySeries();
    AddAreaWeight(series, 1, AreaWeights(56));
    series.Blocks[1].Commentary =
        QStringLiteral("Specimens taken across the full width of the roll and conditioned for a day before testing, "
                       "edges excluded as agreed with the customer ")
        + QString(255, u'W');
    const QString pdf = PrintToPdf(series);
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("56:")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Commentary:")));
    EXPECT_TRUE(pages[1].contains(
        QRegularExpression(QStringLiteral("^\\s*Area Weight \\(continued\\)\\n\\s*Commentary:\\s+Specimens"))));

    const std::vector<WordBox> words = PdfWords(pdf);
    double firstTop = -1, firstLineEnd = 0;
    int pieces = 0;
    for (const WordBox& w : words) {
        EXPECT_LE(w.Right, 97.0) << w.Word.toStdString();
        if (w.Word == QStringLiteral("Page")) {
            EXPECT_LE(w.Top + 2.55 + 0.4, 141.0) << "frame of page " << w.Page;
        }
        if (w.Word == QStringLiteral("Specimens")) {
            firstTop = w.Top;
            EXPECT_NEAR(w.Left, 25, 0.3);
        }
        if (firstTop >= 0 && std::fabs(w.Top - firstTop) < 0.2)
            firstLineEnd = std::max(firstLineEnd, w.Right);
        if (w.Word.count(u'W') == w.Word.size()) {
            ++pieces;
            EXPECT_LE(w.Right, 96.2);
        }
    }
    EXPECT_NEAR(firstLineEnd, 96, 0.4);
    EXPECT_GE(pieces, 4);
}

// A name wider than its column is cut at the column's edge; the periods of
// the series and of each property are printed whole from the column's start.
// The job carries the series' style and date as its name.
TEST_F(PrintReportTest, TextsStayInTheirColumnsAndTheJobIsNamed)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = TwoProperties();
    const QString wide = QStringLiteral("WM").repeated(17) + u'W';   // 35 wide letters
    series.Operator = wide;
    series.Reference2 = wide;
    const QString pdf = PrintToPdf(series);
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("ZOLVERA D 7110 QUINTARA III - abc - 05.12.2011, 14:30:22"));

    // Each period (series, two properties) starts at 71 and ends whole before 96.
    int starts = 0, ends = 0, names = 0;
    for (const WordBox& w : PdfWords(pdf)) {
        if (w.Word == QStringLiteral("05.12.2011,") && w.Left > 60 && w.Left < 80) {
            EXPECT_NEAR(w.Left, 71, 0.3);
            ++starts;
        }
        if (w.Word == QStringLiteral("15:02:09")) {
            EXPECT_LE(w.Right, 96.2);
            ++ends;
        }
        if (w.Word.startsWith(QStringLiteral("WMWM"))) {
            EXPECT_LT(w.Word.size(), wide.size());
            const bool operatorColumn = w.Left > 58;
            EXPECT_NEAR(w.Left, operatorColumn ? 71 : 25, 0.3);
            EXPECT_LE(w.Right, operatorColumn ? 96.2 : 57.5);
            ++names;
        }
    }
    EXPECT_EQ(starts, 3);
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(names, 2);
}

// The preview works without a printer: its own tests run without one.
TEST_F(PrintReportTest, WithoutPrinterMessage17OnceAndThePreviewStillWorks)
{
    SetPrinterOutputFile(QString());
    if (PrinterAvailable())
        GTEST_SKIP() << "a default printer is installed; nothing is sent to it from a test";
    EXPECT_FALSE(ptrTestReport(Printer(), TwoProperties()));
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("There is no default printer defined!"));
    EXPECT_FALSE(ptrABTCurvePage(Printer(), TwoProperties(), CurvePageTexts{}, QImage()));   // the curve page alike
    EXPECT_EQ(presenter_.Shown.size(), 2u);
    EXPECT_FALSE(Printer().IsActive());
}

TEST_F(PrintReportTest, DegenerateSeriesCompleteWithTheirFrames)
{
    const float inf = std::numeric_limits<float>::infinity();
    const auto limits = [](float lower, float upper) {
        return [=](Protocol& s) { s.Style.Tests[4].Lower1 = lower, s.Style.Tests[4].Upper1 = upper; };
    };
    const struct {
        const char* name;
        std::function<void(Protocol&)> change;
        bool shown;
    } rows[] = {
        {"upper equals lower", limits(210, 210), true},
        {"limits missing", limits(NoValue, NoValue), true},
        {"infinite limit", limits(200, inf), true},
        {"reversed limits", limits(220, 200), true},
        {"nominal not a number", [](Protocol& s) { s.Style.Tests[4].Nominal1 = std::nanf(""); }, true},
        // Element 0 of the forms holds the same items: only the index keeps them off the page.
        {"form index 0", [](Protocol& s) { s.FormIndex = 0, s.Style.Forms[0] = s.Style.Forms[1]; }, false},
        {"form index 11", [](Protocol& s) { s.FormIndex = 11; }, false},
        {"test type 0", [](Protocol& s) { s.Style.Forms[1].Items[1].Property = 0; }, false},
        {"test type 21", [](Protocol& s) { s.Style.Forms[1].Items[1].Property = 21; }, false},
        {"no values vector", [](Protocol& s) { s.Blocks[1].Values.clear(); }, true},
        {"empty header", [](Protocol& s) { s.Blocks[1].Header.clear(); }, true},
        {"unknown instrument", [](Protocol& s) { s.Blocks[1].Header = DataString("XY 9999" + AreaWeightFields.substr(7)); },
         true},
        {"lateral air readings", [](Protocol& s) { s.Blocks[1].LateralAirOn = true; }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Protocol series = EmptySeries();
        AddAreaWeight(series, 1, {Reading(205, "k", NoValue, "", "", false, '*'), Reading(NoValue, "k"), Reading(230, "k")});
        series.Blocks[1].LateralAir = 3;
        row.change(series);

        const std::unique_ptr<DrawingSurface> page = PagePicture();
        ASSERT_TRUE(ptrTestReport(*page, series));
        for (const double x : {9.6, 10.0, 97.0, 97.4})
            EXPECT_TRUE(ColourNear(*page, x, 5, vbBlack)) << x;
        if (!HavePoppler())
            continue;
        std::vector<const char*> present = {"14\\.30\\.22\\.QTA\\s+Page 1\\n"};
        std::vector<const char*> absent;
        (row.shown ? present : absent).push_back("Area Weight");
        if (!row.shown)
            absent.push_back("\\b230\\b");   // nor its values
        ExpectText(PdfPages(PrintToPdf(series)).join(u'\f'), present, absent);
    }
}

// ---------------------------------------------------------------------------
// Pixels of the page picture

TEST_F(PrintReportTest, DoubleFrameIsTwoBoxesFourTenthsApart)
{
    const std::unique_ptr<DrawingSurface> page = PagePicture();
    ptrDrawDoubleFrame({10, 3, 97, 100});
    EXPECT_NEAR(page->CurrentY(), 100.4, 1e-5);
    for (const double x : {9.6, 10.0, 97.0, 97.4})
        EXPECT_EQ(page->Point(x, 50), vbBlack) << x;
    for (const double y : {2.6, 3.0, 100.0, 100.4})
        EXPECT_EQ(page->Point(50, y), vbBlack) << y;
    for (const auto& [x, y] : {std::pair{9.8, 50.0}, {97.2, 50.0}, {50.0, 2.8}, {50.0, 100.2}, {50.0, 50.0}})
        EXPECT_EQ(page->Point(x, y), vbWhite) << x << "," << y;
}

TEST_F(PrintReportTest, LogoFillsTheHeaderHeightWithItsOwnProportions)
{
    const struct {
        const char* name;
        const char* format;   // "" writes text, not a picture
        int width, height;
        double right;         // the logo's right edge; 0 for no logo
    } rows[] = {{"QUINTARA.JPG", "JPG", 200, 100, 22.2},
                {"quintara.jpg", "JPG", 100, 100, 17.1},
                {"QUINTARA.JPG", "PNG", 300, 100, 27.3},
                {"QUINTARA.JPG", "", 0, 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name + std::string(" ") + row.format);
        const QString file = Path(QString::fromLatin1(row.name));
        QImage picture(std::max(row.width, 1), std::max(row.height, 1), QImage::Format_RGB32);
        picture.fill(Qt::red);
        QFile text(file);
        ASSERT_TRUE(*row.format ? picture.save(file, row.format, 100)
                                : text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
        text.close();
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        page->SetCurrentY(3);
        ptrCustomerHeader();
        EXPECT_NEAR(page->CurrentY(), 8.1, 1e-9);
        EXPECT_TRUE(ColourNear(*page, 50, 8.1, vbBlack));   // the rule under the header
        QRect red;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 794; ++x) {
                const QColor c(page->Image().pixel(x, y));
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                    red |= QRect(x, y, 1, 1);
            }
        QFile::remove(file);
        if (row.right == 0) {
            EXPECT_TRUE(red.isNull());
            continue;
        }
        EXPECT_NEAR(page->XFromPixel(red.left()), 12, 0.15);
        EXPECT_NEAR(page->XFromPixel(red.right() + 1), row.right, 0.15);
        EXPECT_NEAR(page->YFromPixel(red.top()), 3, 0.15);
        EXPECT_NEAR(page->YFromPixel(red.bottom() + 1), 8.1, 0.15);
    }
}

TEST_F(PrintReportTest, ProfileMarksValuesByTheLimitsAndLeavesGapsForMissingValues)
{
    // Nominal 100 between 90 and 110: the axis runs from 80 to 120 over y 39 to 21.
    Profile profile = MakeEmptyProfile();
    profile.Nominal = 100;
    profile.Lower = 90;
    profile.Upper = 110;
    profile.Unit = QStringLiteral("N");
    profile.Values = {NoValue, 100, 115, 85, NoValue, 105, 130, 70, 100};
    const auto yOf = [](double v) { return 39 - (v - 80) * 18 / 40; };
    for (const bool prescribed : {true, false}) {
        SCOPED_TRACE(prescribed);
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        const double xa = 58 + ptrUnitColumnWidth(Language);
        const double dx = (96 - xa) / 9;
        ptrProfile(profile, {58, 20, 96, 40}, 9, prescribed);
        EXPECT_DOUBLE_EQ(page->CurrentY(), 40);
        // 115 above the upper limit, 85 below the lower one, 130 above the axis
        // (top margin), 70 below it (bottom margin).
        EXPECT_TRUE(ColourNear(*page, xa + 2 * dx, yOf(115) - 0.15, prescribed ? vbRed : vbBlack));
        EXPECT_TRUE(ColourNear(*page, xa + 3 * dx, yOf(85) + 0.15, prescribed ? vbBlue : vbBlack));
        EXPECT_TRUE(ColourNear(*page, xa + 6 * dx, 20.5, prescribed ? vbRed : vbBlack));
        EXPECT_TRUE(ColourNear(*page, xa + 7 * dx, 39.5, prescribed ? vbBlue : vbBlack));
        // The missing value: no mark in the bottom margin, no line down to it.
        EXPECT_FALSE(ColourNear(*page, xa + 4 * dx, 39.5, vbBlue, 2));
        for (double y = yOf(89); y < yOf(81); y += 0.05)
            EXPECT_EQ(page->Point(xa + 3.5 * dx, y), vbWhite) << y;
        EXPECT_EQ(page->Point(xa + 3.5 * dx, yOf(100) - 1.5), prescribed ? 12632256 : vbWhite);
        EXPECT_EQ(CountColour(page->Image(), 12632256) > 0, prescribed);
    }
}

TEST_F(PrintReportTest, ChartsThatCannotBeScaledDrawNothing)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float nominal, lower, upper;
        int16_t maxCount;
    } rows[] = {{100, 100, 100, 1}, {100, 110, 90, 1},        {100, NoValue, 110, 1},
                {100, 90, inf, 1},  {3e38f, -3e38f, 3e38f, 1}, {100, 90, 110, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.nominal << " " << r.lower << " " << r.upper << " " << r.maxCount);
        Profile profile = MakeEmptyProfile();
        profile.Values = {NoValue, 100};
        Histogram histogram = MakeEmptyHistogram();
        histogram.Counts[20] = r.maxCount;
        histogram.MaxCount = r.maxCount;
        profile.Nominal = histogram.Nominal = r.nominal;
        profile.Lower = histogram.Lower = r.lower;
        profile.Upper = histogram.Upper = r.upper;
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        if (r.maxCount > 0)
            ptrProfile(profile, {58, 20, 96, 40}, 1);
        ptrHistogram(histogram, {58, 50, 96, 70});
        EXPECT_DOUBLE_EQ(page->CurrentY(), 70);
        EXPECT_EQ(CountColour(page->Image(), vbWhite), 794 * 1123);
    }
}

TEST_F(PrintReportTest, HistogramBarsMarginBarsAndCountGrid)
{
    // Nominal 100 between 90 and 110: classes of 1, the limits in classes 10 and 30.
    const double g = 38.0 / 41, w = (38 - 2 * g) / 41, x0 = 58 + g;
    for (const auto& [maxCount, gridLines] : {std::pair<int16_t, int>{1, 0}, {5, 4}, {12, 5}}) {
        SCOPED_TRACE(maxCount);
        Histogram h = MakeEmptyHistogram();
        h.Nominal = 100, h.Lower = 90, h.Upper = 110;
        h.NominalClass = 20, h.LowerClass = 10, h.UpperClass = 30;
        h.Counts[5] = h.MaxCount = maxCount;   // the highest bar, below the band
        h.Counts[20] = h.Counts[38] = h.BelowCount = h.AboveCount = 1;
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        ptrHistogram(h, {58, 50, 96, 70});
        page->SetFontSize(6);
        const double b = 70 - page->TextHeight(QStringLiteral("A")) - 0.1;
        const double unit = (b - 50) / maxCount;
        EXPECT_TRUE(ColourNear(*page, x0 + 5.5 * w, 50, vbBlue));             // up to the top
        EXPECT_TRUE(ColourNear(*page, x0 + 20.5 * w, b - unit, vbBlack));      // in the band
        EXPECT_TRUE(ColourNear(*page, x0 + 38.5 * w, b - unit, vbRed));        // above the band
        EXPECT_TRUE(ColourNear(*page, (58 + x0) / 2, b - unit, vbBlue));       // left margin
        EXPECT_TRUE(ColourNear(*page, 96 - g / 2, b - unit, vbRed));           // right margin
        EXPECT_EQ(page->Point(x0 + 15.5 * w, b - 0.5 * unit), 12632256);       // the band
        // Dotted grid lines across an empty class left of the band.
        int lines = 0;
        bool inLine = false;
        const int px = static_cast<int>(page->PixelFromX(x0 + 2 * w));
        for (int py = static_cast<int>(page->PixelFromY(50)) + 2; py < static_cast<int>(page->PixelFromY(b)) - 1; ++py) {
            bool dark = false;
            for (int dx = 0; dx < 6; ++dx)
                dark = dark || FromQColor(QColor(page->Image().pixel(px + dx, py))) == vbBlack;
            lines += dark && !inLine;
            inLine = dark;
        }
        EXPECT_EQ(lines, gridLines);
    }
}
