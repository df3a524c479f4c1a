// The clipboard text of a curve analysis: the samples of each page and the
// results, worked out by hand, and the whole text on the clipboard.
#include "CurveTestSupport.h"

#include "curves/modABTCurveClipboard.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/Installation.h"
#include "storage/modClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

const QString DashRule = QString(65, u'-') + QStringLiteral("\r\n");

// p1 from 100 kPa rising 23.4 kPa per ms, p2 1.5 kPa per ms, the bulge
// 1.234 mm per ms; the flow 12.345 mm/s everywhere but at 100 ms. Peak 80 kPa
// 39 ms after the start, a pulse that does not end, no ADAP.
struct HandCurve {
    ABTCurve Curve = EmptyABTCurve;
    AbtEvaluation Evaluation{};
    HandCurve()
    {
        for (int t = 0; t < AbtSampleCount; ++t) {
            Curve.P1[t] = 1000.0f + 234.0f * t;
            Curve.P2[t] = 15.0f * t;
            Curve.S[t] = 0.1234f * t;
        }
        Evaluation.SmoothedFlow.fill(12.345f);
        Evaluation.SmoothedFlow[100] = NoValue;
        Evaluation.PeakPressure = 800;
        Evaluation.StartIndex = 1;
        Evaluation.PeakIndex = 40;
        Evaluation.FallTime = IntegerNoValue;
        Evaluation.ADAP = NoValue;
        Evaluation.Exponent = 1.80626f;
    }
};

class CurveClipboardTest : public CurveTest {
protected:
    void SetUp() override
    {
        CurveTest::SetUp();
        SetInstallationCustomer(QStringLiteral("Textile Lab Ltd"));
    }
    void TearDown() override
    {
        ResetInstallation();
        CurveTest::TearDown();
    }
    const Protocol Series = MakeEmptyProtocol();
    const HandCurve Hand;
};

TEST_F(CurveClipboardTest, TableOfEachPage)
{
    const struct {
        int page;
        int16_t smoothing;
        const char* heading;
        std::vector<std::pair<int, const char*>> lines;   // the line of sample t
    } pages[] = {
        {0, 0, "t [ms]\tp1 [kPa]\tp2 [kPa]\ts [mm]",
         {{0, "0\t100\t0\t0"}, {1, "1\t123\t1.50\t1.23"}, {499, "499\t11,800\t749\t616"}}},
        {1, 0, "t [ms]\tp2 [kPa]\ts [mm]", {{0, "0\t0\t0"}, {1, "1\t1.50\t1.23"}}},
        // No strain or stress of a bulge that is not above 0; the TABs stay.
        {2, 0, "t [ms]\tEpsilon [%]\tSigma [MPa]", {{0, "0\t\t"}}},
        // The flow as drawn: not at 0, not outside the smoothed range, not where it is missing.
        {3, 0, "t [ms]\tp2 [kPa]\tv [mm/s]",
         {{0, "0\t0\t"}, {1, "1\t1.50\t12.3"}, {100, "100\t150\t"}, {499, "499\t749\t12.3"}}},
        {4, 4, "t [ms]\tp2 [kPa]\tv [mm/s]",
         {{3, "3\t4.50\t"}, {4, "4\t6.00\t12.3"}, {496, "496\t744\t12.3"}, {497, "497\t746\t"}}},
    };
    for (const auto& c : pages) {
        const QStringList lines = clpCurveValues(Series, 1, Hand.Curve, Hand.Evaluation,
                                                 AbtOptions{0, 0, 0, c.smoothing}, c.page, 0.4f)
                                      .split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 2 + 500 + 9) << c.page;
        EXPECT_EQ(lines[0], QString::fromLatin1(c.heading));
        EXPECT_EQ(lines[1], QString(65, u'.'));
        for (const auto& [t, text] : c.lines)
            EXPECT_EQ(lines[t + 2], QString::fromUtf8(text)) << c.page << " " << t;
        EXPECT_EQ(lines[502] + QStringLiteral("\r\n"), DashRule);
        if (c.page == 2) {
            EXPECT_EQ(lines[12].count(u'\t'), 2);
            EXPECT_FALSE(lines[12].endsWith(u'\t')) << "strain and stress where the fabric bulges";
        }
    }
}

TEST_F(CurveClipboardTest, ResultsWithTheCurveWindowsTitles)
{
    // Another page has no table.
    EXPECT_EQ(clpCurveValues(Series, 1, Hand.Curve, Hand.Evaluation, AbtOptions{}, 7, 0.4f),
              DashRule + QStringLiteral("Max. pressure:      \t80.0\tkPa\r\n"
                                        "Rise time:          \t39\tms\r\n"
                                        "Fall time:          \t>500\tms\r\n"
                                        "\r\n"
                                        "ADAP:               \t\r\n"
                                        "Exponent:           \t1.81\r\n")
                  + DashRule);
    Language = 1;
    AbtEvaluation found = Hand.Evaluation;
    found.FallTime = 228;
    found.ADAP = 378.44f;
    EXPECT_TRUE(clpCurveValues(Series, 1, Hand.Curve, found, AbtOptions{}, 7, 0.4f)
                    .endsWith(QStringLiteral("Abfallzeit:         \t228\tms\r\n\r\n"
                                             "MDLD:               \t378\tmm/s\r\n"
                                             "Exponent:           \t1.81\r\n")
                              + DashRule));
}

TEST_F(CurveClipboardTest, WholeTextOnTheClipboard)
{
    Protocol p = Series;
    p.CurrentProperty = 1;
    const QString text = clpCurveAnalysisText(p, Hand.Curve, Hand.Evaluation, AbtOptions{}, 3, 0.4f);
    // Title, series, property, the page's table with the results, the statistics.
    const QString parts[] = {
        QString(65, u'=') + QStringLiteral("\r\nTextile Lab Ltd\r\n") + DashRule
            + QStringLiteral("Zolvera KR 6450 Curve analysis\r\n\r\nStyle:              \t\r\n"),
        QStringLiteral("Operator:           \t\r\n"),
        QStringLiteral("Instrument:         \t---\r\n") + DashRule + QStringLiteral("t [ms]\tp2 [kPa]\tv [mm/s]\r\n"),
        QStringLiteral("499\t749\t12.3\r\n") + DashRule + QStringLiteral("Max. pressure:      \t80.0\tkPa\r\n"),
        QStringLiteral("Tests:              \t0\r\nCI:                 \t\r\n") + QString(65, u'=') + QStringLiteral("\r\n"),
    };
    qsizetype at = 0;
    for (const QString& part : parts) {
        const qsizetype found = text.indexOf(part, at);
        EXPECT_GE(found, at) << part.toStdString();
        at = std::max(at, found);
    }
    EXPECT_TRUE(text.startsWith(parts[0]) && text.endsWith(parts[4]));
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    clpCopyCurveAnalysis(p, Hand.Curve, Hand.Evaluation, AbtOptions{}, 3, 0.4f);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);

    // The title word is left out in French, Italian and Spanish.
    Language = 3;
    EXPECT_TRUE(clpCurveAnalysisText(p, Hand.Curve, Hand.Evaluation, AbtOptions{}, 3, 0.4f)
                    .contains(QStringLiteral("\r\nZolvera KR 6450 \r\n\r\n")));
}

} // namespace
