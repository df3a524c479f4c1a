#include "printing/modPrinter.h"

#include "PrintFixture.h"
#include "foundation/modInstrument.h"
#include "printing/frmPreview.h"
#include "support/ScriptedPresenter.h"

#include <QDialog>
#include <QFile>
#include <functional>
#include <limits>

namespace {

using SeriesBuilder = std::function<Protocol()>;

// Area weight with nominal 210 g/m² between 200 and 220 (or as given).
void AddAreaWeight(Protocol& series, int p, std::vector<TestValue> tests, float lower = 200, float upper = 220,
                   bool defined = true)
{
    const std::string header = BuildString(AreaWeightFields());
    AddProperty(series, p, 4, Definition(header, 210, lower, upper, defined), header, std::move(tests));
}

std::vector<TestValue> AreaWeights(int count)
{
    std::vector<TestValue> tests;
    for (int i = 0; i < count; ++i)
        tests.push_back(Reading(205.0f + static_cast<float>(i % 10), "k"));
    return tests;
}

Protocol TwoProperties()
{
    Protocol series = EmptySeries();
    AddTensile(series, 1);
    AddAreaWeight(series, 2,
                  {Reading(221, "k", NoValue, "", "heavy"), Reading(199.5f, "k"), Reading(220, "k"),
                   Reading(NoValue, "k"), Reading(250, "k")});
    return series;
}

// Page texts must never show the missing-value marker or a broken number.
const char* const Forbidden[] = {"E\\+38", "340,000,000", "\\bnan\\b", "\\binf\\b", "NaN", "\\bInf"};

int FirstNumberOnPage(const QString& page)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^\\s*(\\d+):\\s"), QRegularExpression::MultilineOption).match(page);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// Tops (page units) of the lines of text in a band of columns: runs of dark
// rows at least three rows high (rules are thinner).
std::vector<double> InkRows(const QImage& image, int left, int right, double unitsPerRow, double offsetUnits)
{
    std::vector<double> tops;
    int runStart = -1;
    for (int y = 0; y <= image.height(); ++y) {
        bool dark = false;
        for (int x = left; x <= right && !dark && y < image.height(); ++x)
            dark = qGray(image.pixel(x, y)) < 150;
        if (dark && runStart < 0)
            runStart = y;
        if (!dark && runStart >= 0) {
            if (y - runStart >= 3)
                tops.push_back(runStart * unitsPerRow - offsetUnits);
            runStart = -1;
        }
    }
    return tops;
}

} // namespace

class PrintReportTest : public PrintFixture {};

// ---------------------------------------------------------------------------
// Texts

TEST(PrinterTextsTest, NineTextsBySixLanguagesAndOthersLeftAlone)
{
    struct Row {
        int language;
        const char *title, *number, *deleted, *page, *commentary, *continued, *lateral, *curve;
    };
    const Row rows[] = {
        {1, "Prüfprotokoll", "Nr.", "««« gelöscht", "Seite ", "Kommentar:", "(Fortsetzung)", "Seitenluft:",
         "Zolvera KR 6450 Kurvenanalyse"},
        {2, "Test Report", "no.", "««« deleted", "Page ", "Commentary:", "(continued)", "Lateral air:",
         "Zolvera KR 6450 Curve analysis"},
        {3, "Protocole d'essai", "no.", "««« annulé", "Page ", "Commentaire:", "(suite)", "Air latéral:",
         "Zolvera KR 6450 Analyse de la courbe"},
        {4, "Protocollo di prova", "no.", "««« annullato", "Pagina ", "Commento:", "(continuazione)",
         "Aria laterale:", "Zolvera KR 6450 Analizzare la curva"},
        {5, "Informe del ensayo", "no.", "««« cancelado", "Pagina ", "Comentario:", "(sigue)", "Aire lateral:",
         "Zolvera KR 6450 Analizar la curva"},
        {6, "", "", "««« ", " ", ":", "()", ":", "Zolvera KR 6450 "},
    };
    InitConstants();
    for (const Row& r : rows) {
        ptrSetPrinterTexts(r.language);
        SCOPED_TRACE(r.language);
        EXPECT_EQ(PrintTexts.ReportTitle, QString::fromUtf8(r.title));
        EXPECT_EQ(PrintTexts.NumberWord, QString::fromUtf8(r.number));
        EXPECT_EQ(PrintTexts.DeletedMark, QString::fromUtf8(r.deleted));
        EXPECT_EQ(PrintTexts.PageWord, QString::fromUtf8(r.page));
        EXPECT_EQ(PrintTexts.CommentaryLabel, QString::fromUtf8(r.commentary));
        EXPECT_EQ(PrintTexts.ContinuedMark, QString::fromUtf8(r.continued));
        EXPECT_EQ(PrintTexts.LateralAirLabel, QString::fromUtf8(r.lateral));
        EXPECT_EQ(PrintTexts.CurveTitle, QString::fromUtf8(r.curve));
    }
    ptrSetPrinterTexts(3);
    EXPECT_EQ(PrintTexts.LongTermTitle, QString::fromUtf8("Évaluation de longue durée"));
    const PrinterTexts french = PrintTexts;
    for (const int outside : {0, 7, -1}) {
        ptrSetPrinterTexts(outside);
        EXPECT_EQ(PrintTexts, french) << outside;
    }
    ptrSetPrinterTexts(2);
}

// Words of one character per unit: each case is a text, a width and the lines.
TEST(WrapLinesTest, WordsFillLinesAndOverlongWordsAreCut)
{
    struct Row {
        const char* text;
        double width;
        QStringList lines;
    };
    const Row rows[] = {
        {"", 10, {}},
        {"   ", 10, {}},
        {"a bb ccc", 20, {"a bb ccc"}},
        {"aaa bbb ccc", 7, {"aaa bbb", "ccc"}},
        {"  aaa    bbb  ", 7, {"aaa bbb"}},
        {"aaa bbbb", 7, {"aaa", "bbbb"}},
        {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
        {"xx abcdefghij yy", 4, {"xx", "abcd", "efgh", "ij", "yy"}},
        {"xx abcdefgh", 4, {"xx", "abcd", "efgh"}},
        {"abc", 0.5, {"a", "b", "c"}},
    };
    const auto width = [](const QString& t) { return static_cast<double>(t.size()); };
    for (const Row& r : rows)
        EXPECT_EQ(ptrWrapLines(QString::fromUtf8(r.text), r.width, width), r.lines) << r.text << " in " << r.width;
}

// ---------------------------------------------------------------------------
// The printed report as text

TEST_F(PrintReportTest, PrintedTextsOfSeries)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    struct Row {
        const char* name;
        int16_t language;
        SeriesBuilder series;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const Row rows[] = {
        {"two properties", 2, TwoProperties,
         {"Weberei Brückner & Söhne", "Test Report no\\. 2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+QTA199",
          "Style:\\s+abc\\s+Date/time:\\s+05\\.12\\.2011, 14:30:22 - 05\\.12\\.2011, 15:02:09",
          "Reference 2:\\s+Lot 4711\\s+Operator:\\s+Müller", "Reference 3:\\s+Weiß «Spezial»\\n",
          "Reference 4:\\s+Café\\n", "Tensile Strength\\n",
          "Test length:\\s+200 mm\\s+Date/time:\\s+05\\.12\\.2011, 14:30:22 - 05\\.12\\.2011, 15:02:09",
          "Test speed:\\s+100 mm/min\\s+Instrument:\\s+Zolvera MP 4800, s/n: 1023\\n",
          "1:\\s+1,200\\s+N\\s+22\\.0\\s+%\\s+first", "2:\\s+1,300\\s+N\\s+25\\.0\\s+%\\s+««« deleted",
          "2:\\s+1,500\\s+N ?\\+\\s+24\\.0\\s+%\\s+\\*\\s+too strong", "3:\\s+1,100\\s+N\\s+21\\.0\\s+%\\n",
          "Avg:\\s+1,270\\s+N\\s+Nominal:\\s+1,250\\s+N", "Max:\\s+1,500\\s+N ?\\+\\s+Max:\\s+1,400\\s+N",
          "CV:\\s+16\\.4\\s+%\\s+Tests:\\s+10", "CI:\\s+40\\.8\\s+%\\s+CI:\\s+5\\.0\\s+%", "Area Weight\\n",
          "Test area:\\s+100 cm²\\s+Date/time:", "Instrument:\\s+Zolvera D 7041\\n",
          "1:\\s+221\\s+g/m² ?\\+\\s+heavy", "2:\\s+200\\s+g/m² ?-\\n", "3:\\s+220\\s+g/m²\\n", "4:\\n",
          "5:\\s+250\\s+g/m² ?\\+\\n", "Avg:\\s+223\\s+g/m² ?\\+\\s+Nominal:\\s+210\\s+g/m²",
          "Min:\\s+200\\s+g/m² ?-\\s+Min:\\s+200\\s+g/m²",
          "Test Report no\\. 2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+Page 1\\n"},
         {"continued", "Page 2"}},
        {"pass-fail and lateral air", 2,
         [] {
             Protocol series = EmptySeries();
             const std::string header = BuildString(PassFailFields());
             AddProperty(series, 1, 1, Definition(header, 80, 50, 100), header,
                         {Reading(1, "y"), Reading(1, "y"), Reading(0, "y"), Reading(1, "y")});
             AddTensile(series, 2);
             series.Blocks[2].LateralAir = 12.5f;
             return series;
         },
         {"1:\\s+passed\\n", "3:\\s+failed\\n", "Avg:\\s+75\\.0\\s+%\\s+Nominal:\\s+80\\.0\\s+%", "Lateral air:\\s+12\\.5 N\\n"},
         {"passed[ \\t]+\\S", "failed[ \\t]+\\S", "Avg:\\s+0\\.75"}},
        {"German", 1, TwoProperties,
         {"Prüfprotokoll Nr\\. 2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+QTA199", "Reissfestigkeit\\n",
          "««« gelöscht", "Kommentar:", "Seite 1\\n", "Datum/Zeit:\\s+05\\.12\\.2011, 14:30:22"},
         {"deleted", "Page"}},
        {"language without texts", 6, TwoProperties,
         {"2:\\s+1,300\\s+N\\s+25\\.0\\s+%\\s+«««\\s*\\n", "2011\\.12\\.05, 14\\.30\\.22\\.QTA\\s+1\\n"},
         {"Test Report", "deleted", "Page", "Style:", "Tensile", "Commentary"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Language = row.language;
        const QString pdf = PrintToPdf(row.series(), QString::fromUtf8(row.name) + QStringLiteral(".pdf"));
        const QString text = PdfPages(pdf).join(QChar(u'\f'));
        ASSERT_FALSE(text.isEmpty());
        for (const char* pattern : row.present)
            EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(pattern))))
                << "missing " << pattern << "\n" << text.toStdString();
        for (const char* pattern : row.absent)
            EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "found " << pattern;
        for (const char* pattern : Forbidden)
            EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "found " << pattern;
        for (const WordBox& w : PdfWords(pdf)) {
            EXPECT_GE(w.Left, 10.0) << w.Word.toStdString();
            EXPECT_LE(w.Right, 97.0) << w.Word.toStdString();
            EXPECT_LE(w.Bottom, 141.0) << w.Word.toStdString();
        }
    }
}

// Warning signs and deleted marks move with the number of results of a line.
TEST_F(PrintReportTest, OneAndTwoResultLinesPlaceTheirMarks)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = EmptySeries();
    AddTensile(series, 1,
               {Reading(1200, "8", 22, "n", "", false, '*'), Reading(1300, "8", 25, "n", "", true)});
    AddAreaWeight(series, 2,
                  {Reading(210, "k", NoValue, "", "", false, '!'), Reading(211, "k", NoValue, "", "", true),
                   Reading(212, "k", 5, "n", "", false, '?')});
    const std::vector<WordBox> words = PdfWords(PrintToPdf(series));
    struct Mark {
        const char* word;
        int occurrence;
        double left;
    };
    const Mark marks[] = {{"*", 0, 47}, {"!", 0, 32}, {"?", 0, 47}, {"«««", 0, 50}, {"«««", 1, 35}};
    for (const Mark& m : marks) {
        int seen = 0;
        const WordBox* found = nullptr;
        for (const WordBox& w : words)
            if (w.Word == QString::fromUtf8(m.word) && seen++ == m.occurrence) {
                found = &w;
                break;
            }
        ASSERT_NE(found, nullptr) << m.word;
        EXPECT_NEAR(found->Left, m.left, 0.5) << m.word << " " << m.occurrence;
    }
}

// The commentary fills the width between x 25 and 96: every line but the
// last ends at the right edge.
TEST_F(PrintReportTest, CommentaryIsJustifiedButForItsLastLine)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = EmptySeries();
    AddAreaWeight(series, 1, {Reading(210, "k")});
    series.Blocks[1].Commentary = QStringLiteral(
        "Specimens taken across the full width of the roll and conditioned for a day before testing, edges "
        "excluded as agreed with the customer; tail");
    const std::vector<WordBox> words = PdfWords(PrintToPdf(series));
    const auto first = std::find_if(words.begin(), words.end(), [](const WordBox& w) { return w.Word == "Specimens"; });
    const auto last = std::find_if(words.begin(), words.end(), [](const WordBox& w) { return w.Word == "tail"; });
    ASSERT_NE(first, words.end());
    ASSERT_NE(last, words.end());
    EXPECT_NEAR(first->Left, 25, 0.3);
    double lineEnd = 0;
    for (const WordBox& w : words)
        if (std::fabs(w.Top - first->Top) < 0.2)
            lineEnd = std::max(lineEnd, w.Right);
    EXPECT_NEAR(lineEnd, 96, 0.4);
    EXPECT_GT(last->Top, first->Top + 1);
    EXPECT_LT(last->Right, 90);
}

// ---------------------------------------------------------------------------
// Limits the style leaves open

TEST_F(PrintReportTest, DerivedLimitsPrintNeitherValuesSignsNorBand)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    struct Row {
        bool defined;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const Row rows[] = {
        {true,
         {"Nominal:\\s+1,250\\s+N", "Min:\\s+1,100\\s+N\\s+Min:\\s+1,000\\s+N", "Max:\\s+1,500\\s+N ?\\+\\s+Max:\\s+1,400",
          "2:\\s+1,500\\s+N ?\\+", "Nominal:\\s+23\\.0 %"},
         {}},
        {false,
         {"Avg:\\s+1,270\\s+N\\s+Nominal:", "Min:\\s+1,100\\s+N\\s+Min:", "Max:\\s+1,500\\s+N\\s+Max:",
          "2:\\s+1,500\\s+N\\s+24\\.0", "Tests:\\s+10", "1,550 N", "750 N"},
         {"\\+", "1,250", "1,400", "1,000", "23\\.0", "26\\.0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.defined);
        Protocol series = EmptySeries();
        AddTensile(series, 1, {}, row.defined);
        const QString pdf = PrintToPdf(series, row.defined ? QStringLiteral("defined.pdf") : QStringLiteral("derived.pdf"));
        const QString text = PdfPages(pdf).join(QChar(u'\f'));
        for (const char* pattern : row.present)
            EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "missing " << pattern;
        for (const char* pattern : row.absent)
            EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "found " << pattern;

        // The band is the only light grey of the charts (x 58 to 96 below the head).
        const QImage page = PdfGreyPage(pdf, 1, Path(row.defined ? QStringLiteral("d") : QStringLiteral("n")));
        ASSERT_FALSE(page.isNull());
        const double mm72 = 72 / 25.4;
        int grey = 0;
        for (int y = static_cast<int>((5 + 20 * 287.0 / 141) * mm72); y < page.height(); ++y)
            for (int x = static_cast<int>((5 + 2 * 58) * mm72); x <= static_cast<int>((5 + 2 * 96) * mm72); ++x)
                grey += std::abs(qGray(page.pixel(x, y)) - 192) <= 2;
        if (row.defined)
            EXPECT_GT(grey, 500);
        else
            EXPECT_EQ(grey, 0);
    }
}

// ---------------------------------------------------------------------------
// Page breaks

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
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(FirstNumberOnPage(pages[n]), firstNumbers[n]);
        EXPECT_TRUE(pages[n].contains(QRegularExpression(QStringLiteral("QTA\\s+Page %1\\n").arg(n + 1))));
        if (n > 0) {
            EXPECT_TRUE(pages[n].contains(QRegularExpression(QStringLiteral("^\\s*Area Weight \\(continued\\)\\n"))));
        }
    }

    // The preview breaks alike: the same pages with their lines at the same heights.
    std::vector<QImage> previewPages;
    ScriptedDialogRunner runner;
    runner.Then([&](QDialog& dialog) {
        auto& preview = static_cast<frmPreview&>(dialog);
        for (int i = 0; i < preview.picSourceCount(); ++i)
            previewPages.push_back(preview.PageImage(i));
    });
    ptrPreviewTestReport(series);
    ASSERT_EQ(previewPages.size(), 4u);
    const double mm72 = 72 / 25.4;
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n + 1);
        const QImage paper = PdfGreyPage(pdf, n + 1, Path(QStringLiteral("break")));
        ASSERT_FALSE(paper.isNull());
        // Columns x 12.6 to 14.8: the numbers of the single values and the titles.
        const auto paperX = [&](double x) { return static_cast<int>((5 + 2 * x) * mm72); };
        const std::vector<double> onPaper =
            InkRows(paper, paperX(12.6), paperX(14.8), 141.0 / 287.0 / mm72, 5 * 141.0 / 287.0);
        const QImage& screen = previewPages[static_cast<size_t>(n)];
        const std::vector<double> onScreen = InkRows(screen, 100, 117, 141.0 / 1123.0, 0);
        ASSERT_EQ(onPaper.size(), onScreen.size());
        for (size_t i = 0; i < onPaper.size(); ++i)
            EXPECT_NEAR(onPaper[i], onScreen[i], 0.6) << "line " << i;
    }
}

// A commentary of several lines after the last value of a full page starts on
// the next page, so the footer and frame stay on the sheet; a word longer than
// the line is cut at the margin.
TEST_F(PrintReportTest, LongCommentaryStaysWithinTheFrame)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    Protocol series = EmptySeries();
    AddAreaWeight(series, 1, AreaWeights(56));
    series.Blocks[1].Commentary = QString(255, u'W');
    const QString pdf = PrintToPdf(series);
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("56:")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("WWW")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Commentary:")));
    EXPECT_TRUE(pages[1].contains(QRegularExpression(QStringLiteral("^\\s*Area Weight \\(continued\\)\\n\\s*Commentary:\\s+WWW"))));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Avg:")));
    int pieces = 0;
    for (const WordBox& w : PdfWords(pdf)) {
        EXPECT_LE(w.Right, 97.0) << w.Word.toStdString();
        if (w.Word == QStringLiteral("Page")) {
            EXPECT_LE(w.Top + 2.55 + 0.4, 141.0) << "frame of page " << w.Page;
        }
        if (w.Word.count(u'W') == w.Word.size()) {
            ++pieces;
            EXPECT_NEAR(w.Left, 25, 0.3);
            EXPECT_LE(w.Right, 96.2);
        }
    }
    EXPECT_GE(pieces, 3);
}

// ---------------------------------------------------------------------------
// Failing and degenerate input

TEST_F(PrintReportTest, WithoutPrinterMessage17OnceAndThePreviewStillWorks)
{
    SetPrinterOutputFile(QString());
    if (PrinterAvailable())
        GTEST_SKIP() << "a default printer is installed; nothing is sent to it from a test";
    ScriptedPresenter& presenter = presenter_;
    EXPECT_FALSE(ptrTestReport(Printer(), TwoProperties()));
    ASSERT_EQ(presenter.Shown.size(), 1u);
    EXPECT_EQ(presenter.Shown[0].Text, QStringLiteral("There is no default printer defined!"));
    EXPECT_EQ(presenter.Shown[0].Icon, IconCritical);
    EXPECT_FALSE(Printer().IsActive());

    int pages = 0;
    ScriptedDialogRunner runner;
    runner.Then([&](QDialog& dialog) { pages = static_cast<frmPreview&>(dialog).picSourceCount(); });
    ptrPreviewTestReport(TwoProperties());
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(presenter.Shown.size(), 1u);
}

TEST_F(PrintReportTest, DegenerateSeriesCompleteWithTheirFrames)
{
    using Change = std::function<void(Protocol&)>;
    struct Row {
        const char* name;
        Change change;
        bool propertyShown;
    };
    const float inf = std::numeric_limits<float>::infinity();
    auto limits = [](float lower, float upper) {
        return [=](Protocol& s) {
            s.Style.Tests[4].Lower1 = lower;
            s.Style.Tests[4].Upper1 = upper;
        };
    };
    const Row rows[] = {
        {"upper equals lower", limits(210, 210), true},
        {"limits missing", limits(NoValue, NoValue), true},
        {"infinite limit", limits(200, inf), true},
        {"reversed limits", limits(220, 200), true},
        {"nominal not finite", [](Protocol& s) { s.Style.Tests[4].Nominal1 = std::nanf(""); }, true},
        {"form index 0", [](Protocol& s) { s.FormIndex = 0; }, false},
        {"form index 11", [](Protocol& s) { s.FormIndex = 11; }, false},
        {"test type 0", [](Protocol& s) { s.Style.Forms[1].Items[1].Property = 0; }, false},
        {"test type 21", [](Protocol& s) { s.Style.Forms[1].Items[1].Property = 21; }, false},
        {"no values vector", [](Protocol& s) { s.Blocks[1].Values.clear(); }, true},
        {"only element 0", [](Protocol& s) { s.Blocks[1].Values.resize(1); }, true},
        {"empty header", [](Protocol& s) { s.Blocks[1].Header.clear(); }, true},
        {"unknown instrument",
         [](Protocol& s) {
             StringFields f = AreaWeightFields();
             f.Id = "XY 9999";
             s.Blocks[1].Header = BuildString(f);
         },
         true},
        {"lateral air readings", [](Protocol& s) { s.Blocks[1].LateralAirOn = true; }, false},
        {"no statistics", [](Protocol& s) { s.Blocks[1].Stats = MakeEmptyStatistics(); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Protocol series = EmptySeries();
        AddAreaWeight(series, 1, {Reading(205, "k", NoValue, "", "", false, '*'), Reading(NoValue, "k"), Reading(230, "k")});
        series.Blocks[1].LateralAir = 3;
        row.change(series);

        const std::unique_ptr<DrawingSurface> page = PagePicture();
        ASSERT_TRUE(ptrTestReport(*page, series));
        // The frame closes the page below the footer.
        EXPECT_TRUE(ColourNear(*page, 10, 5, vbBlack));
        EXPECT_TRUE(ColourNear(*page, 9.6, 5, vbBlack));
        EXPECT_TRUE(ColourNear(*page, 97, 5, vbBlack));

        if (!HavePoppler())
            continue;
        const QString text = PdfPages(PrintToPdf(series)).join(u'\f');
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("14\\.30\\.22\\.QTA\\s+Page 1\\n"))));
        EXPECT_EQ(text.contains(QStringLiteral("Area Weight")), row.propertyShown);
        for (const char* pattern : Forbidden)
            EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "found " << pattern;
    }
}

// ---------------------------------------------------------------------------
// Pixels of the page picture

TEST_F(PrintReportTest, DoubleFrameIsTwoBoxesFourTenthsApart)
{
    const std::unique_ptr<DrawingSurface> page = PagePicture();
    ptrDrawDoubleFrame({10, 3, 97, 100});
    EXPECT_NEAR(page->CurrentY(), 100.4, 1e-5);
    struct Probe {
        double x, y;
        int32_t colour;
    };
    const Probe probes[] = {{10, 50, vbBlack},  {9.6, 50, vbBlack},  {9.8, 50, vbWhite},  {97, 50, vbBlack},
                            {97.4, 50, vbBlack}, {97.2, 50, vbWhite}, {50, 3, vbBlack},   {50, 2.6, vbBlack},
                            {50, 2.8, vbWhite}, {50, 100, vbBlack}, {50, 100.4, vbBlack}, {50, 100.2, vbWhite},
                            {50, 50, vbWhite}};
    for (const Probe& p : probes)
        EXPECT_EQ(page->Point(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(PrintReportTest, LogoFillsTheHeaderHeightWithItsOwnProportions)
{
    struct Row {
        const char* name;     // as it lies in the program folder
        QByteArray format;    // "" writes no picture but text
        int width, height;    // of the picture
        double right;         // right edge on the page; 0 for no logo
    };
    const Row rows[] = {
        {"QUINTARA.JPG", "JPG", 200, 100, 22.2},
        {"quintara.jpg", "JPG", 100, 100, 17.1},
        {"QUINTARA.JPG", "PNG", 300, 100, 27.3},
        {"QUINTARA.JPG", "", 0, 0, 0},
        {"LOGO.JPG", "JPG", 200, 100, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + std::string(" ") + row.format.toStdString());
        const QString file = Path(QString::fromLatin1(row.name));
        if (row.format.isEmpty()) {
            QFile text(file);
            ASSERT_TRUE(text.open(QIODevice::WriteOnly));
            text.write("not a picture");
        } else {
            QImage picture(row.width, row.height, QImage::Format_RGB32);
            picture.fill(Qt::red);
            ASSERT_TRUE(picture.save(file, row.format.constData(), 100));
        }
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        page->SetCurrentY(3);
        ptrCustomerHeader();
        EXPECT_DOUBLE_EQ(page->CurrentY(), 3 + 3 * 1.7);
        // The customer's name is printed whatever the logo.
        bool ink = false;
        for (double x = 30; x < 77 && !ink; x += 0.1)
            ink = ColourNear(*page, x, 5.5, vbBlack, 0);
        EXPECT_TRUE(ink);
        EXPECT_TRUE(ColourNear(*page, 50, 8.1, vbBlack));   // the rule below the header

        int left = 10000, right = -1, top = 10000, bottom = -1;
        const QImage& image = page->Image();
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c(image.pixel(x, y));
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        if (row.right == 0) {
            EXPECT_EQ(right, -1);
        } else {
            EXPECT_NEAR(page->XFromPixel(left), 12, 0.15);
            EXPECT_NEAR(page->XFromPixel(right + 1), row.right, 0.15);
            EXPECT_NEAR(page->YFromPixel(top), 3, 0.15);
            EXPECT_NEAR(page->YFromPixel(bottom + 1), 8.1, 0.15);
        }
        QFile::remove(file);
    }
}

TEST_F(PrintReportTest, ProfileMarksValuesByTheLimitsAndLeavesGapsForMissingValues)
{
    // Nominal 100 between 90 and 110: the axis runs from 80 to 120.
    Profile profile = MakeEmptyProfile();
    profile.Nominal = 100;
    profile.Lower = 90;
    profile.Upper = 110;
    profile.Unit = QStringLiteral("N");
    profile.Values = {NoValue, 100, 115, 95, NoValue, 105, 130, 70, 100};
    const PrintRect box{58, 20, 96, 40};
    const double m = 1;                      // a twentieth of the height
    const double s = (20 - 2 * m) / 40.0;    // page units per newton
    const auto yOf = [&](double v) { return 40 - m - (v - 80) * s; };

    for (const bool prescribed : {true, false}) {
        SCOPED_TRACE(prescribed);
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        const double xa = 58 + ptrUnitColumnWidth(Language);
        const double dx = (96 - xa) / 9;
        ptrProfile(profile, box, 9, prescribed);
        EXPECT_DOUBLE_EQ(page->CurrentY(), 40);
        const int32_t red = prescribed ? vbRed : vbBlack;
        const int32_t blue = prescribed ? vbBlue : vbBlack;
        // 115 above the limit, 130 above the axis in the top margin, 70 below it in the bottom margin.
        EXPECT_TRUE(ColourNear(*page, xa + 2 * dx, yOf(115) - 0.15, red));
        EXPECT_TRUE(ColourNear(*page, xa + 6 * dx, 20 + m / 2, red));
        EXPECT_TRUE(ColourNear(*page, xa + 7 * dx, 40 - m / 2, blue));
        // The missing value: no mark in the bottom margin, no line down to it.
        EXPECT_FALSE(ColourNear(*page, xa + 4 * dx, 40 - m / 2, vbBlue, 2));
        for (double y = yOf(89); y < yOf(81); y += 0.05)
            EXPECT_EQ(page->Point(xa + 3.5 * dx, y), vbWhite) << y;
        // The band only where the limits are prescribed.
        EXPECT_EQ(page->Point(xa + 3.5 * dx, yOf(100) - 1.5), prescribed ? 12632256 : vbWhite);
        EXPECT_EQ(CountColour(page->Image(), 12632256) > 0, prescribed);
    }
}

TEST_F(PrintReportTest, ProfilesAndHistogramsThatCannotBeScaledDrawNothing)
{
    Profile profile = MakeEmptyProfile();
    profile.Values = {NoValue, 100};
    Histogram histogram = MakeEmptyHistogram();
    histogram.Counts[20] = 1;
    histogram.MaxCount = 1;
    histogram.Unit = QStringLiteral("N");
    struct Row {
        float nominal, lower, upper;
        int16_t maxCount;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Row rows[] = {{100, 100, 100, 1},     {100, 110, 90, 1},        {100, NoValue, 110, 1},
                        {100, 90, inf, 1},      {3e38f, -3e38f, 3e38f, 1}, {100, 90, 110, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.nominal << " " << r.lower << " " << r.upper << " " << r.maxCount);
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        profile.Nominal = histogram.Nominal = r.nominal;
        profile.Lower = histogram.Lower = r.lower;
        profile.Upper = histogram.Upper = r.upper;
        histogram.MaxCount = r.maxCount;
        if (r.maxCount > 0)
            ptrProfile(profile, {58, 20, 96, 40}, 1);
        ptrHistogram(histogram, {58, 50, 96, 70});
        EXPECT_DOUBLE_EQ(page->CurrentY(), 70);
        if (r.maxCount > 0)
            EXPECT_EQ(CountColour(page->Image(), vbWhite), 794 * 1123);
        else
            EXPECT_FALSE(ColourNear(*page, 58, 60, vbBlack));
    }
}

TEST_F(PrintReportTest, HistogramBarsMarginBarsAndCountGrid)
{
    // Nominal 100 between 90 and 110: classes of 1, limits in classes 10 and 30.
    struct Row {
        int16_t maxCount;
        int gridLines;
    };
    const Row rows[] = {{1, 0}, {5, 4}, {12, 5}};
    const PrintRect box{58, 50, 96, 70};
    const double g = 38.0 / 41;
    const double w = (38 - 2 * g) / 41;
    const double x0 = 58 + g;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.maxCount);
        Histogram h = MakeEmptyHistogram();
        h.Nominal = 100;
        h.Lower = 90;
        h.Upper = 110;
        h.NominalClass = 20;
        h.LowerClass = 10;
        h.UpperClass = 30;
        h.Unit = QStringLiteral("N");
        h.Counts[5] = row.maxCount;   // the highest bar, below the band
        h.Counts[20] = 1;
        h.Counts[38] = 1;
        h.BelowCount = 1;
        h.AboveCount = 1;
        h.MaxCount = row.maxCount;
        const std::unique_ptr<DrawingSurface> page = PagePicture();
        ptrHistogram(h, box);
        page->SetFontSize(6);
        const double b = 70 - page->TextHeight(QStringLiteral("A")) - 0.1;
        const double unit = (b - 50) / row.maxCount;

        EXPECT_TRUE(ColourNear(*page, x0 + 5.5 * w, 50, vbBlue));                       // reaches the top
        EXPECT_TRUE(ColourNear(*page, x0 + 20.5 * w, b - unit, vbBlack));               // in the band
        EXPECT_TRUE(ColourNear(*page, x0 + 38.5 * w, b - unit, vbRed));                 // above the band
        EXPECT_TRUE(ColourNear(*page, (58 + x0) / 2, b - unit, vbBlue));                // left margin
        EXPECT_TRUE(ColourNear(*page, 96 - g / 2, b - unit, vbRed));                    // right margin
        EXPECT_EQ(page->Point(x0 + 15.5 * w, b - 0.5 * unit), 12632256);                // the band

        // Dotted grid lines crossing an empty class left of the band.
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
        EXPECT_EQ(lines, row.gridLines);
    }
}
