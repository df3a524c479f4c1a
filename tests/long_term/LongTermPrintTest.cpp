#include "support/PrintFixture.h"

#include "long_term/modPrinterLongTerm.h"

#include "platform/Colors.h"

#include <QRegularExpression>

namespace {

constexpr int32_t PaperGrey = 12632256;   // the band of the limits

// A found report of tensile strength (type 9) in item 1 with its statistics
// of result 1 (result 2: 20 to 24 %, mean 22) and last test date.
FoundProtocol Found(float mean, float min, float max, double lastTest)
{
    FoundProtocol f = MakeEmptyFoundProtocol();
    f.Block = 1;
    Statistics& s = f.Stats;
    s.Count = 2;
    s.Mean1 = mean, s.Min1 = min, s.Max1 = max;
    s.Mean2 = 22, s.Min2 = 20, s.Max2 = 24;
    f.LastTestDate = lastTest;
    f.Path = QStringLiteral("QTA199\\r.QTA");
    return f;
}

// Tensile strength of style "abc": result 1 nominal 12 N between 10 and 14,
// result 2 22 % between 20 and 24, searched in December 2011.
LongTermAnalysis Analysis(std::initializer_list<FoundProtocol> found, bool defined = true)
{
    LongTermAnalysis a = MakeEmptyLongTermAnalysis();
    a.Definition = Definition(DataString(TensileFields), {12, 10, 14}, {22, 20, 24}, defined);
    a.Pattern = {9, QStringLiteral("abc"), QStringLiteral("A[#]1"), QStringLiteral("*"), QStringLiteral("*"),
                 QStringLiteral("M?ller"), DateSerial(2011, 12, 1), DateSerial(2011, 12, 31), 0,
                 TimeSerial(23, 59, 59)};
    a.Found.insert(a.Found.end(), found.begin(), found.end());
    a.Statistics = MakeEmptyStatistics();
    a.Statistics.Count = 4;
    a.Statistics.Mean1 = 13, a.Statistics.Min1 = 11, a.Statistics.Max1 = 18;
    a.Statistics.Mean2 = 22, a.Statistics.Min2 = 20, a.Statistics.Max2 = 24;
    return a;
}

LongTermAnalysis PassFail(std::initializer_list<float> shares)
{
    LongTermAnalysis a = Analysis({});
    a.Pattern.TestType = 13;
    a.Definition = Definition(DataString(PassFailFields), {50, 50, 100});
    for (const float share : shares) {
        a.Found.push_back(Found(share, NoValue, NoValue, DateSerial(2011, 12, 5)));
    }
    a.Statistics.Mean1 = 0.6f, a.Statistics.Min1 = NoValue, a.Statistics.Max1 = NoValue;
    return a;
}

class LongTermPrintTest : public PrintFixture {
protected:
    // The chart box of the tests: 30 units high, so m = 1.5.
    static constexpr PrintRect Box{12, 20, 96, 50};
    // The plot area's left edge and the y of a value for the scale.
    static double Left() { return Box.x1 + ptrUnitColumnWidth(Language); }
    static double YOf(double v, double bottom, double top) { return Box.y2 - 1.5 - (v - bottom) * 27.0 / (top - bottom); }

    QString Text(const LongTermAnalysis& a, const QString& name)
    {
        const QString pdf = Path(name);
        SetPrinterOutputFile(pdf);
        EXPECT_TRUE(ptrLongTermAnalysis(Printer(), a));
        SetPrinterOutputFile(QString());
        return PdfPages(pdf).join(u'\f');
    }
};

TEST_F(LongTermPrintTest, MarksOfTheChart)
{
    const double day = DateSerial(2011, 12, 5);
    // One report: halfway across the plot area.
    auto page = PagePicture();
    ptrLongTermChart(Analysis({Found(12, 11, 13, day)}), 1, Box);
    EXPECT_EQ(page->CurrentY(), Box.y2);
    const double half = Left() + (Box.x2 - Left()) / 2;
    EXPECT_TRUE(ColourNear(*page, half, YOf(12, 8, 16), vbBlack));
    EXPECT_TRUE(ColourNear(*page, half, YOf(12.7, 8, 16), vbBlack));      // its range
    EXPECT_TRUE(ColourNear(*page, Left() + 2, YOf(11, 8, 16), PaperGrey));   // the band

    // Above the top: red in the top margin, red from its minimum to the top;
    // below the limit blue; on the upper limit black.
    page = PagePicture();
    ptrLongTermChart(Analysis({Found(20, 14, 22, day), Found(9, 8.5f, 9.5f, day), Found(14, 13, 14, day)}), 1, Box);
    const double dx = (Box.x2 - Left()) / 4;
    EXPECT_TRUE(ColourNear(*page, Left() + dx, Box.y1 + 0.75, vbRed));
    EXPECT_TRUE(ColourNear(*page, Left() + dx, YOf(15, 8, 16), vbRed));
    EXPECT_FALSE(ColourNear(*page, Left() + dx, YOf(13, 8, 16), vbRed, 0));
    EXPECT_TRUE(ColourNear(*page, Left() + 2 * dx, YOf(9, 8, 16), vbBlue));
    EXPECT_TRUE(ColourNear(*page, Left() + 3 * dx, YOf(14, 8, 16), vbBlack));
    EXPECT_FALSE(ColourNear(*page, Left() + 3 * dx, YOf(14, 8, 16), vbRed));

    // Pass/fail: black marks at the share in percent, no ranges, 0 to 100.
    page = PagePicture();
    ptrLongTermChart(PassFail({0.8f, 0.3f}), 1, Box);
    const double third = (Box.x2 - Left()) / 3;
    EXPECT_TRUE(ColourNear(*page, Left() + third, YOf(80, 0, 100), vbBlack));
    EXPECT_TRUE(ColourNear(*page, Left() + 2 * third, YOf(30, 0, 100), vbBlack));
    EXPECT_FALSE(ColourNear(*page, Left() + 2 * third, YOf(20, 0, 100), vbBlack));

    // Limits derived from the mean: no band, no colour.
    page = PagePicture();
    ptrLongTermChart(Analysis({Found(20, 14, 22, day), Found(12, 11, 13, day)}, false), 1, Box);
    EXPECT_EQ(CountColour(page->Image(), vbRed), 0);
    EXPECT_EQ(CountColour(page->Image(), PaperGrey), 0);

    // Nothing found: nothing drawn.
    page = PagePicture();
    ptrLongTermChart(Analysis({}), 1, Box);
    EXPECT_EQ(CountColour(page->Image(), vbBlack), 0);
    EXPECT_EQ(CountColour(page->Image(), vbWhite), page->Image().width() * page->Image().height());   // no frame either
    EXPECT_EQ(page->CurrentY(), Box.y2);
}

TEST_F(LongTermPrintTest, PrintedPage)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    const double day = DateSerial(2011, 12, 5);
    const struct {
        const char* name;
        LongTermAnalysis analysis;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    } rows[] = {
        {"two results, one report",
         Analysis({Found(12, 11, 13, day)}),
         {"Weberei Brückner & Söhne", "Long term analysis\\n", "Style:\\s+abc\\s+Date/time:\\s+01\\.12\\.2011, 00:00:00 - 31\\.12\\.2011, 23:59:59",
          "Reference 2:\\s+A#1\\s+Operator:\\s+M\\?ller", "Tensile Strength\\n", "16\\.0 N", "8\\.00 N", "12\\.0 N",
          "24\\.0 %", "26\\.0 %", "05\\.12\\.2011\\s+05\\.12\\.2011", "Avg:\\s+13\\.0\\s+N\\s+Nominal:\\s+12\\.0\\s+N",
          "Avg:\\s+22\\.0\\s+%\\s+Nominal:\\s+22\\.0\\s+%", "Long term analysis\\s+Page 1\\n"},
         {"A\\[#\\]1", "Page 2"}},
        {"equal limits",
         [&] {
             LongTermAnalysis a = Analysis({Found(12, 11, 13, day), Found(13, 12, 15, day)});
             a.Definition.Lower1 = a.Definition.Upper1 = 12;
             return a;
         }(),
         {"10\\.6 N", "15\\.4 N", "12\\.0 N"},
         {}},
        {"missing limits",
         [&] {
             LongTermAnalysis a = Analysis({Found(12, 11, 13, day)});
             a.Definition.Nominal1 = a.Definition.Lower1 = a.Definition.Upper1 = NoValue;
             return a;
         }(),
         {"10\\.8 N", "13\\.2 N"},
         {"12\\.0 N"}},
        {"pass-fail",
         PassFail({0.8f, 0.3f}),
         {"Avg:\\s+60\\.0\\s+%\\s+Nominal:\\s+50\\.0\\s+%", "50\\.0 %", "100 %"},
         {"Min:\\s+\\S+\\s+%", "Max:\\s+\\S+\\s+%", "(^|\\s)0 %"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString text = Text(row.analysis, QString::fromUtf8(row.name) + QStringLiteral(".pdf"));
        for (const char* pattern : row.present)
            EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "missing " << pattern;
        std::vector<const char*> absent = row.absent;
        absent.insert(absent.end(), {"E\\+38", "340,000,000", "\\b[Nn]a[Nn]\\b", "\\b[Ii]nf\\b", "\\d{7}"});
        for (const char* pattern : absent)
            EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(pattern)))) << "found " << pattern;
    }
    EXPECT_EQ(PdfTitle(Path(QStringLiteral("pass-fail.pdf"))), QStringLiteral("ZOLVERA D 7110 QUINTARA III - abc"));
}

TEST_F(LongTermPrintTest, WithoutPrinterMessage17)
{
    SetPrinterOutputFile(QString());
    if (PrinterAvailable())
        GTEST_SKIP() << "a default printer is installed; nothing is sent to it from a test";
    EXPECT_FALSE(ptrLongTermAnalysis(Printer(), Analysis({})));
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("There is no default printer defined!"));
}

}  // namespace
