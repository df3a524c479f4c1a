#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Installation.h"
#include "platform/OleDate.h"
#include "long_term/modLongTermClipboard.h"
#include "storage/modClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cmath>

// Readable failure messages.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Lines written by hand, each ended by CR LF.
QString Lines(std::initializer_list<const char*> lines)
{
    QString text;
    for (const char* line : lines)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    return text;
}

const char* const EqualRule = "=================================================================";
const char* const DashRule = "-----------------------------------------------------------------";

// Statistics of two tests, the first result given.
Statistics TwoTests(float mean1, float min1, float max1)
{
    Statistics s = MakeStatistics(2);
    s.Mean1 = mean1;
    s.Min1 = min1;
    s.Max1 = max1;
    return s;
}

// Style "abc" (folder QTA199); property 1 static air permeability with a
// deleted test, property 2 a pass/fail property, property 3 hydrostatic head.
Protocol Series()
{
    Protocol p = MakeEmptyProtocol();
    p.Style.Name = QStringLiteral("abc");
    p.Reference2 = QStringLiteral("Lot 7");
    p.Reference4 = QStringLiteral("R4");
    p.Operator = QStringLiteral("Smith");
    p.Date = At(13, 7, 9);
    p.LastTestDate = At(13, 20, 0);
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    p.Style.Forms[1].Name = QStringLiteral("Form");
    p.Style.Forms[1].Items[1].Property = 16;
    p.Style.Forms[1].Items[2].Property = 20;
    p.Style.Forms[1].Items[3].Property = 11;

    TestDefinition& air = p.Style.Tests[16];
    SetResult1(air, 100, 90, 110, 5);
    air.CI1 = 5;
    TestValue t2 = MakeTest(85, "U", At(13, 10, 0));
    t2.Deleted = true;
    t2.Commentary = QStringLiteral("torn");
    TestValue t3 = MakeTest(112.5f, "U", At(13, 20, 0));
    t3.Warning = '*';
    PropertyBlock& b1 = p.Blocks[1] = MakeBlock(
        MakeDataString("KR 6420", "123", "A", "   100?    20)" + std::string(14, ' '), " ", " 101.2", "U", "      ", " "),
        At(13, 7, 9), { MakeTest(101.25f, "U", At(13, 8, 0)), t2, t3 });
    b1.LastTestDate = At(13, 20, 0);
    b1.Commentary = QStringLiteral("dry sample");
    b1.Stats = TwoTests(106.875f, 101.25f, 112.5f);
    b1.Stats.CV1 = 7.3f;

    SetResult1(p.Style.Tests[20], 1, NoValue, NoValue, 2);
    p.Blocks[2] = MakeBlock(MakeDataString("KR 6850", "321", "y", " "), 0,
                            { MakeTest(1, "y", At(14, 0, 0)), MakeTest(0, "y", At(14, 1, 0)) });
    p.Blocks[2].Stats = TwoTests(0.5f, 0, 1);

    TestDefinition& head = p.Style.Tests[11];
    SetResult1(head, 30, 20, NoValue, 3);
    head.Defined2 = true;
    head.Lower2 = 35;
    head.Upper2 = 50;
    head.CI2 = 4;
    PropertyBlock& b3 = p.Blocks[3] = MakeBlock(MakeDataString("KR 6100", "555", "G", "G"), 0,
        { MakeTest(25.5f, "G", At(15, 0, 0), 40, "G"), MakeTest(25.5f, "G", At(15, 1, 0), NoValue, "G") });
    b3.Stats = TwoTests(25.5f, 25.5f, 25.5f);
    b3.Stats.Mean2 = 40;
    b3.Stats.Max2 = 40;
    b3.Stats.CV2 = 2.25f;
    return p;
}

class ClipboardTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        PortDevice = { 7, 0, 0, 0, 0, 0 };
        InitConstants();
        SetInstallationCustomer(QStringLiteral("Textile Lab Ltd"));
    }
    void TearDown() override
    {
        ResetInstallation();
        StorageTest::TearDown();
    }
};

const QString ReportOfProperty1 = Lines({
    EqualRule,
    "Textile Lab Ltd",
    DashRule,
    "Test Report (QTA199)",
    "",
    "Style:              \tabc",
    "Reference 2:        \tLot 7",
    "Reference 3:        \t",
    "Reference 4:        \tR4",
    "",
    "Date/time:          \t05.01.2024, 13:07:09 - 05.01.2024, 13:20:00",
    "Operator:           \tSmith",
    EqualRule,
    "Static Air Permeability",
    "",
    "Test pressure:      \t100 Pa",
    "Test area:          \t20 cm²",
    "",
    "Date/time:          \t05.01.2024, 13:07:09 - 05.01.2024, 13:20:00",
    "Instrument:         \tZolvera KR 6420, s/n: 123",
    DashRule,
    "\t\t\t",
    DashRule,
    "1  \t101\tl/m²/s\t\t \t               \t",
    "2  \t85.0\tl/m²/s\t-\t \t««« deleted    \ttorn",
    "2  \t113\tl/m²/s\t+\t*\t               \t",
    "",
    "Commentary:         \tdry sample",
    DashRule,
    "Avg:                \t107\tl/m²/s\t",
    "Min:                \t101\tl/m²/s\t",
    "Max:                \t113\tl/m²/s\t+",
    "CV:                 \t7.3\t%               ",
    "CI:                 \t                    ",
    "",
    "Nominal:            \t100\tl/m²/s",
    "Min:                \t90.0\tl/m²/s",
    "Max:                \t110\tl/m²/s",
    "Tests:              \t5",
    "CI:                 \t5.0\t%",
    EqualRule,
});

TEST_F(ClipboardTest, TestReportOfAOneResultPropertyIsOnTheClipboardAfterwards)
{
    clpCopyTestReport(Series());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), ReportOfProperty1);
}

TEST_F(ClipboardTest, PassFailProperty)
{
    const Protocol p = Series();
    EXPECT_EQ(clpParameterLine(p, 2), Lines({ "Liquid Strike Through Time", "" }));
    EXPECT_EQ(clpSingleValues(p, 2), Lines({
        "\t\t\t",
        DashRule,
        "1  \tpassed\t\t\t \t               \t",
        "2  \tfailed\t\t\t \t               \t",
        "",
        "Commentary:         \t",
        DashRule,
    }));
    // A percentage, no CV or CI, and the other lines as for any property.
    EXPECT_EQ(clpStatistics(p, 2).split(QStringLiteral("\r\n")).mid(0, 7), QStringList({
        QStringLiteral("Avg:                \t50.0\t%\t"),
        QStringLiteral("Min:                \t0\t1/0\t"),
        QStringLiteral("Max:                \t1.00\t1/0\t"),
        QStringLiteral("CV:                 \t                    "),
        QStringLiteral("CI:                 \t                    "),
        QString(),
        QStringLiteral("Nominal:            \t1.00\t%"),
    }));
    EXPECT_EQ(clpStatistics(p, 2).split(QStringLiteral("\r\n")).mid(7, 5), QStringList({
        QStringLiteral("Min:                \t\t"),
        QStringLiteral("Max:                \t\t"),
        QStringLiteral("Tests:              \t2"),
        QStringLiteral("CI:                 \t"),
        QString::fromLatin1(EqualRule),
    }));
}

TEST_F(ClipboardTest, SecondResultColumnWithAKR6100III)
{
    Protocol p = Series();
    // One result while no KR 6100-III is configured: the heading still names both drops.
    EXPECT_EQ(clpSingleValues(p, 3).section(QStringLiteral("\r\n"), 0, 3),
              QStringLiteral("\t1st drop\t\t3rd drop\r\n") + QLatin1String(DashRule)
                  + QStringLiteral("\r\n1  \t25.5\tmm w.c.\t\t \t               \t\r\n"
                                   "2  \t25.5\tmm w.c.\t\t \t               \t"));

    PortDevice = { 0, 0, 6, 0, 0, 0 };
    EXPECT_TRUE(clpTwoResults(11));
    EXPECT_EQ(clpSingleValues(p, 3), Lines({
        "\t1st drop\t\t3rd drop",
        DashRule,
        "1  \t25.5\tmm w.c.\t\t40.0\tmm w.c.\t\t \t               \t",
        "2  \t25.5\tmm w.c.\t\t \t               \t",
        "",
        "Commentary:         \t",
        DashRule,
    }));
    EXPECT_EQ(clpStatistics(p, 3), Lines({
        "Avg:                \t25.5\tmm w.c.\t\t40.0\tmm w.c.\t",
        "Min:                \t25.5\tmm w.c.\t\t\t",
        "Max:                \t25.5\tmm w.c.\t\t40.0\tmm w.c.\t",
        "CV:                 \t                    \t\t2.3\t%",
        "CI:                 \t                    \t\t",
        "",
        "Nominal:            \t30.0\tmm w.c.\t\t",
        "Min:                \t20.0\tmm w.c.\t\t35.0\tmm w.c.",
        "Max:                \t\t\t\t50.0\tmm w.c.",
        "Tests:              \t3",
        "CI:                 \t\t\t4.0\t%",
        EqualRule,
    }));
}

TEST_F(ClipboardTest, StyleBlockInGermanWithALongTitle)
{
    Language = 1;
    DateFormat = 3;
    RefTitles.Titles[1] = QStringLiteral("Kundenauftragsnummer extern:");   // German reference 3
    EXPECT_EQ(clpStyleBlock(Series()), Lines({
        "Artikel:            \tabc",
        "Referenz 2:         \tLot 7",
        "Kundenauftragsnummer\t",
        "Referenz 4:         \tR4",
        "",
        "Datum/Zeit:         \t2024-01-05, 13:07:09 - 2024-01-05, 13:20:00",
        "Bed. Person:        \tSmith",
        EqualRule,
    }));
}

TEST_F(ClipboardTest, ReportTextsByLanguage)
{
    const struct {
        int16_t language;
        const char* reportTitle;
        const char* deletedMark;
        const char* longTermTitle;
        const char* curveTitle;
    } cases[] = {
        { 1, "Prüfprotokoll", "««« gelöscht", "Langzeitstatistik", "Zolvera KR 6450 Kurvenanalyse" },
        { 2, "Test Report", "««« deleted", "Long term analysis", "Zolvera KR 6450 Curve analysis" },
        { 3, "Protocole d'essai", "««« annulée", "Évaluation de longue durée", "Zolvera KR 6450 " },
        { 4, "Protocollo di prova", "««« annullato", "Valutazione di lunga durata", "Zolvera KR 6450 " },
        { 5, "Informe del ensayo", "««« cancelado", "Evaluación de larga duración", "Zolvera KR 6450 " },
        { 6, "", "««« ", "", "Zolvera KR 6450 " },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const ClipboardTexts texts = clpSetTexts(c.language);
        EXPECT_EQ(texts.ReportTitle, QString::fromUtf8(c.reportTitle));
        EXPECT_EQ(texts.DeletedMark, QString::fromUtf8(c.deletedMark));
        EXPECT_EQ(texts.LongTermTitle, QString::fromUtf8(c.longTermTitle));
        EXPECT_EQ(texts.CurveTitle, QString::fromUtf8(c.curveTitle));
    }
}

TEST_F(ClipboardTest, ReportTextsFollowTheCurrentLanguageAlone)
{
    const std::pair<int16_t, const char*> titles[] = {
        { 1, "\r\nPrüfprotokoll (QTA199)\r\n" }, { 5, "\r\nInforme del ensayo (QTA199)\r\n" } };
    for (const auto& [language, title] : titles) {
        Language = language;
        EXPECT_TRUE(clpTestReportText(Series()).contains(QString::fromUtf8(title))) << title;
    }
    // Asking for another language's texts first changes nothing.
    clpSetTexts(1);
    Language = 6;
    EXPECT_TRUE(clpSingleValues(Series(), 1).contains(QString::fromUtf8("\t«««            \ttorn")));
    Language = 4;
    clpSetTexts(2);
    EXPECT_TRUE(clpSingleValues(Series(), 1).contains(QString::fromUtf8("\t««« annullato  \ttorn")));
    EXPECT_TRUE(clpTestReportText(Series()).contains(QStringLiteral("\r\nProtocollo di prova (QTA199)\r\n")));
    EXPECT_EQ(clpSetTexts(1).CurveTitle, QStringLiteral("Zolvera KR 6450 Kurvenanalyse"));
}

TEST_F(ClipboardTest, AMissingValueShowsAnEmptyCell)
{
    // A pressure-drop test waiting for its second reading has no first value yet.
    Protocol p = Series();
    p.Blocks[1].Values.resize(2);
    p.Blocks[1].Values[1].Value1 = NoValue;
    p.Blocks[1].Stats = MakeEmptyStatistics();
    const QString values = clpSingleValues(p, 1);
    EXPECT_TRUE(values.contains(QString::fromUtf8("\r\n1  \t\tl/m²/s\t\t \t"))) << values.toStdString();
    const QString stats = clpStatistics(p, 1);
    EXPECT_TRUE(stats.startsWith(QString::fromUtf8("Avg:                \t\tl/m²/s\t\r\n"
                                                   "Min:                \t\t\t\r\n")))
        << stats.toStdString();
}

TEST_F(ClipboardTest, DerivedLimitsAreNeitherShownNorSigned)
{
    // A style without limits: the series' copy carries the band the main
    // window derives from the mean, but the results stay undefined.
    Protocol p = Series();
    TestDefinition& air = p.Style.Tests[16];
    air = MakeBlankTestDefinition();
    air.TestCount = 5;
    DefaultLimitsFromMean(p.Blocks[1].Stats, air);
    ASSERT_EQ(air.Lower1, 96.1875f);
    EXPECT_EQ(clpSingleValues(p, 1).section(QStringLiteral("\r\n"), 2, 4), QString::fromUtf8(
        "1  \t101\tl/m²/s\t\t \t               \t\r\n"
        "2  \t85.0\tl/m²/s\t\t \t««« deleted    \ttorn\r\n"
        "2  \t113\tl/m²/s\t\t*\t               \t"));
    QStringList lines = clpStatistics(p, 1).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.mid(2, 1) + lines.mid(6, 3), QStringList({
        QString::fromUtf8("Max:                \t113\tl/m²/s\t"), QStringLiteral("Nominal:            \t\t"),
        QStringLiteral("Min:                \t\t"), QStringLiteral("Max:                \t\t") }));
    // The whole block: the series' statistics with their CV, no signs against
    // the derived band (96.2 to 118 about 107), the style's test count.
    EXPECT_EQ(clpStatistics(p, 1), Lines({
        "Avg:                \t107\tl/m²/s\t",
        "Min:                \t101\tl/m²/s\t",
        "Max:                \t113\tl/m²/s\t",
        "CV:                 \t7.3\t%               ",
        "CI:                 \t                    ",
        "",
        "Nominal:            \t\t",
        "Min:                \t\t",
        "Max:                \t\t",
        "Tests:              \t5",
        "CI:                 \t",
        EqualRule,
    }));

    // Result 2 of the hydrostatic head undefined while result 1 is defined.
    PortDevice = { 0, 0, 6, 0, 0, 0 };
    p.Style.Tests[11].Defined2 = false;
    p.Blocks[3].Values[1].Value2 = 60;
    EXPECT_TRUE(clpSingleValues(p, 3).contains(QStringLiteral("\t60.0\tmm w.c.\t\t \t")));
    lines = clpStatistics(p, 3).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.mid(7, 2), QStringList({ QStringLiteral("Min:                \t20.0\tmm w.c.\t\t"),
                                             QStringLiteral("Max:                \t\t\t\t") }));
}

TEST_F(ClipboardTest, AStoredNaNIsMissingInTheText)
{
    // 101.25 is the first test's value and the stored minimum; as the bytes
    // 00 00 C0 7F both read back as a NaN.
    int replaced = 0;
    Protocol p = StoredWithNaN(Series(), 101.25f, Data, replaced);
    ASSERT_EQ(replaced, 2);
    EXPECT_TRUE(clpSingleValues(p, 1).contains(QString::fromUtf8("\r\n1  \t\tl/m²/s\t\t \t               \t\r\n")));
    EXPECT_TRUE(clpStatistics(p, 1).contains(QStringLiteral("\r\nMin:                \t\t\t\r\n")));

    // A pressure-drop test waiting for its second reading has no first value yet.
    p.Blocks[1].Values[1].Value1 = NoValue;
    p.Blocks[1].Stats = MakeEmptyStatistics();
    EXPECT_TRUE(clpStatistics(p, 1).startsWith(QString::fromUtf8("Avg:                \t\tl/m²/s\t\r\n")));
}

} // namespace

// ---------------------------------------------------------------------------
// The long-term analysis

namespace {

// A found report measuring the searched test type in item 1, with its
// statistics.
FoundProtocol FoundReport(float mean1, float min1, float max1, float mean2 = NoValue, float min2 = NoValue,
                          float max2 = NoValue)
{
    FoundProtocol f = MakeEmptyFoundProtocol();
    f.Block = 1;
    Statistics& s = f.Stats = MakeStatistics(2);
    s.Mean1 = mean1, s.Min1 = min1, s.Max1 = max1;
    s.Mean2 = mean2, s.Min2 = min2, s.Max2 = max2;
    return f;
}

// Tensile strength (two results) of style "abc", result 1 defined (12 N
// between 10 and 14), result 2 with a nominal and limits derived from the
// mean; two reports found, the second without result 2.
LongTermAnalysis TensileAnalysis()
{
    LongTermAnalysis a = MakeEmptyLongTermAnalysis();
    a.Pattern = {9, QStringLiteral("abc"), QStringLiteral("A[#]1"), QStringLiteral("*"), QString(),
                 QStringLiteral("M?ller"), DateSerial(2024, 1, 5), DateSerial(2024, 1, 6), TimeSerial(6, 0, 0),
                 TimeSerial(18, 0, 59)};
    a.Definition = MakeBlankTestDefinition();
    a.Definition.HeaderImage = MakeDataString("MP 4800", "123", "8", "\"");
    SetResult1(a.Definition, 12, 10, 14, 10);
    a.Definition.CI1 = 5;
    a.Definition.Nominal2 = 2, a.Definition.Lower2 = 1.8f, a.Definition.Upper2 = 2.2f;
    a.Found.push_back(FoundReport(12.5f, 11, 14, 2, 1.5f, 2.5f));
    a.Found.push_back(FoundReport(13.25f, 12, 14.5f));
    a.Statistics = MakeStatistics(4);
    a.Statistics.Mean1 = 12.875f, a.Statistics.Min1 = 11, a.Statistics.Max1 = 14.5f;
    a.Statistics.CV1 = 10, a.Statistics.CI1 = 15;
    a.Statistics.Mean2 = 2, a.Statistics.Min2 = 1.5f, a.Statistics.Max2 = 2.5f;
    return a;
}

const QString TensileLongTermText = Lines({
    EqualRule,
    "Textile Lab Ltd",
    DashRule,
    "Long term analysis",
    "",
    "Style:              \tabc",
    "Reference 2:        \tA#1",
    "Reference 3:        \t*",
    "Reference 4:        \t",
    "",
    "Date/time:          \t05.01.2024, 06:00:00 - 06.01.2024, 18:00:59",
    "Operator:           \tM?ller",
    EqualRule,
    "Tensile Strength",
    "",
    "Test length:        \t ",
    "Test speed:         \t ",
    "",
    "Date/time:          \t05.01.2024, 06:00:00 - 06.01.2024, 18:00:59",
    "Instrument:         \tZolvera MP 4800, s/n: 123",
    DashRule,
    "12.5\tN\t11.0\tN\t14.0\tN\t2.00\tmm\t1.50\tmm\t2.50\tmm",
    "13.3\tN\t12.0\tN\t14.5\tN",
    DashRule,
    "Avg:                \t12.9\tN\t\t2.00\tmm\t",
    "Min:                \t11.0\tN\t\t1.50\tmm\t",
    "Max:                \t14.5\tN\t+\t2.50\tmm\t",
    "CV:                 \t10.0\t%              \t\t",
    "CI:                 \t15.0\t%              \t\t",
    "",
    "Nominal:            \t12.0\tN\t\t",
    "Min:                \t10.0\tN\t\t",
    "Max:                \t14.0\tN\t\t",
    "Tests:              \t10",
    "CI:                 \t5.0\t%\t\t",
    EqualRule,
});

} // namespace

TEST_F(ClipboardTest, LongTermAnalysisText)
{
    const LongTermAnalysis a = TensileAnalysis();
    EXPECT_EQ(clpLongTermAnalysisText(a), TensileLongTermText);
    clpCopyLongTermAnalysis(a);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), TensileLongTermText);

    // German in a German locale.
    DecimalSeparator = QStringLiteral(",");
    Language = 1;
    const QString german = clpLongTermAnalysisText(a);
    DecimalSeparator = QStringLiteral(".");
    Language = 2;
    for (const char* line : {"Langzeitstatistik\r\n", "Reissfestigkeit\r\n",
                             "\r\n12,5\tN\t11,0\tN\t14,0\tN\t2,00\tmm\t1,50\tmm\t2,50\tmm\r\n13,3\tN\t12,0\tN\t14,5\tN\r\n"})
        EXPECT_TRUE(german.contains(QString::fromUtf8(line))) << line;

    // Nothing found: only the rule where the reports stand.
    LongTermAnalysis none = a;
    none.Found.resize(1);
    EXPECT_EQ(clpLongTermValues(none), Lines({DashRule}));
}

TEST_F(ClipboardTest, LongTermPassFailHasNoExtremesOrLimits)
{
    // The search prepared the percent scale: lower limit the nominal, upper
    // 100, extremes gone.
    LongTermAnalysis a = TensileAnalysis();
    a.Pattern.TestType = 20;
    a.Definition.HeaderImage = MakeDataString("KR 6850", "321", "y", " ");
    SetResult1(a.Definition, 80, 80, 100, 5);
    a.Found = {MakeEmptyFoundProtocol(), FoundReport(0.5f, NoValue, NoValue), FoundReport(NoValue, NoValue, NoValue)};
    a.Statistics.Mean1 = 0.25f, a.Statistics.Min1 = a.Statistics.Max1 = NoValue;
    a.Statistics.CV1 = a.Statistics.CI1 = NoValue;
    const QString text = clpLongTermAnalysisText(a);
    const QString expected = Lines({
        DashRule,
        "50.0\t%\t\t\t\t",
        "0\t%\t\t\t\t",
        DashRule,
        "Avg:                \t25.0\t%\t",
        "Min:                \t\t\t",
        "Max:                \t\t\t",
        "CV:                 \t                    ",
        "CI:                 \t                    ",
        "",
        "Nominal:            \t80.0\t%",
        "Min:                \t\t",
        "Max:                \t\t",
        "Tests:              \t5",
        "CI:                 \t5.0\t%",
        EqualRule,
    });
    EXPECT_TRUE(text.endsWith(expected)) << text.toStdString();
}
