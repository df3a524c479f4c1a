#include "LongTermFixture.h"

#include "long_term/modLongTermDisplay.h"
#include "long_term/modLongTermReport.h"
#include "long_term/modLongTermSearch.h"

#include <QDir>

namespace {

// The texts of the five rows, cell by cell as FillInfoRow writes them.
QStringList Cells(const ValueGridRows& rows)
{
    QStringList cells;
    for (const GridInfoRow& r : rows)
        cells << (QStringList{r.Value1Text, (r.Unit1Text + u' ' + r.Sign1).trimmed(), r.Value2Text,
                              (r.Unit2Text + u' ' + r.Sign2).trimmed(), r.LastColumnText})
                     .join(u'|');
    return cells;
}

Statistics Stats(float mean1, float min1, float max1, float cv1, float mean2 = NoValue)
{
    Statistics s = EmptyStatistics;
    s.Count = 4;
    s.Mean1 = mean1, s.Min1 = min1, s.Max1 = max1, s.CV1 = cv1, s.CI1 = cv1;
    s.Mean2 = mean2;
    return s;
}

TestDefinition Defined(const std::string& header, float nominal, float lower, float upper)
{
    TestDefinition d = BlankTestDefinition;
    d.Defined1 = true;
    d.Nominal1 = nominal, d.Lower1 = lower, d.Upper1 = upper;
    d.CI1 = 5;
    d.TestCount = 10;
    d.HeaderImage = header;
    return d;
}

TEST_F(LongTermFixture, StatisticsGrids)
{
    const StatisticsGridStyle longTerm;
    StatisticsGridStyle detail;
    detail.DashForMissingValues = false;
    detail.WarningSign = QStringLiteral("*");
    const TestDefinition tensile = Defined(Header("123"), 12, 10, 14);
    const TestDefinition minutes = Defined(Header("123", "a", "KR 6101"), 12, 10, 14);
    const struct {
        const char* name;
        Statistics stats;
        TestDefinition definition;
        QString unit1;
        bool passFail;
        StatisticsGridStyle style;
        QStringList cells;
    } cases[] = {
        {"measured, signs against the limits", Stats(15, 9, 18.5f, 3.25f, 2), tensile, "N", false, longTerm,
         {"15.0|N +|2.00|mm|", "9.00|N -|||", "18.5|N +|||", "3.3|%|||", "3.3|%|||"}},
        {"pass/fail: percent, no sign, no extremes", Stats(0.8f, 0, 1, NoValue), tensile, "1/0", true, longTerm,
         {"80.0|%|||", "---||||", "---||||", "---||||", "---||||"}},
        {"pass/fail with tests and no mean: 0 %", Stats(NoValue, NoValue, NoValue, NoValue), tensile, "1/0", true,
         longTerm, {"0|%|||", "---||||", "---||||", "---||||", "---||||"}},
        {"type 13 in minutes as usual", Stats(13, 11, 15, 1), minutes, "min", false, longTerm,
         {"13.0|min|||", "11.0|min|||", "15.0|min +|||", "1.0|%|||", "1.0|%|||"}},
        {"detail: missing values empty, CV and CI dashed, warning", Stats(NoValue, NoValue, 12, NoValue), tensile,
         "N", false, detail, {"||||*", "||||", "12.0|N|||", "---||||", "---||||"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Cells(LongTermStatisticsRows(c.stats, c.definition, c.unit1, QStringLiteral("mm"), c.passFail, c.style)),
                  c.cells);
    }
    EXPECT_EQ(Cells(LongTermStatisticsRows(EmptyStatistics, tensile, "N", "mm", false, longTerm)),
              QStringList(5, QStringLiteral("||||")));
}

TEST_F(LongTermFixture, PropertyListYearsDateBoxesAndEnabling)
{
    Style s = BlankStyle;
    s.Forms[1].Items[2].Property = 9;
    s.Forms[1].Items[4].Property = 3;
    s.Forms[3].Items[1].Property = 9;
    s.Forms[3].Items[2].Property = 13;
    s.Forms[4].Items[1].Property = 21;   // damaged: not a test type
    EXPECT_EQ(StylePropertyCodes(s), (std::vector<int16_t>{9, 3, 13}));
    EXPECT_EQ(SettledPropertyCode({9, 3, 13}, 13), 13);
    EXPECT_EQ(SettledPropertyCode({9, 3, 13}, 4), 9);
    EXPECT_EQ(SettledPropertyCode({}, 9), 0);

    EXPECT_EQ(DateBoxOrder(2), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(DateBoxOrder(3), (std::vector<int>{2, 1, 0}));
    EXPECT_TRUE(DateBoxOrder(4).empty());

    // Control by control: style and property chosen, result shown.
    const struct {
        LongTermWindowState state;
        std::vector<LongTermControl> on;
    } cases[] = {
        {{false, 0, false}, {}},
        {{true, 0, false}, {}},   // a style without properties: no search, both tabs off
        {{true, 3, false}, {LongTermControl::Search, LongTermControl::Tab0}},
        {{true, 9, false}, {LongTermControl::Search, LongTermControl::Tab0, LongTermControl::Tab1}},
        {{true, 9, true},
         {LongTermControl::FileCopy, LongTermControl::Search, LongTermControl::Tab0, LongTermControl::Tab1,
          LongTermControl::Pictures1, LongTermControl::Pictures2, LongTermControl::Print}},
        {{true, 3, true},
         {LongTermControl::FileCopy, LongTermControl::Search, LongTermControl::Tab0, LongTermControl::Pictures1,
          LongTermControl::Print}},
    };
    for (const auto& c : cases) {
        std::vector<LongTermControl> on;
        for (const LongTermEnablingRule& rule : LongTermEnablingRules())
            if (LongTermControlEnabled(rule, c.state))
                on.push_back(rule.Control);
        EXPECT_EQ(on, c.on) << c.state.StyleChosen << c.state.PropertyCode << c.state.ResultsShown;
    }
}

TEST_F(LongTermFixture, Captions)
{
    EXPECT_EQ(LongTermWindowCaption(2), QStringLiteral("ZOLVERA D 7110 QUINTARA III - Long term analysis"));
    EXPECT_EQ(LongTermWindowCaption(6), QStringLiteral("ZOLVERA D 7110 QUINTARA III - "));
    EXPECT_EQ(LongTermText(2, 5), QString::fromUtf8("&Patrón"));
    EXPECT_EQ(DetailText(QStringLiteral("frmDetail"), 3), QString::fromUtf8("Détail"));
    EXPECT_EQ(DetailText(QStringLiteral("cmdModify"), 1), QString::fromUtf8("Ä&ndern"));
}

TEST_F(LongTermFixture, HandOverToTheDetailWindow)
{
    ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/QTA001")));
    const QString good = QStringLiteral("QTA001\\2011.01.05, 12.00.00.QTA");
    DetailHandOver h;
    ASSERT_TRUE(ParseHandOver(MakeHandOver(9, 2, good), h));
    EXPECT_EQ(h.TestType, 9);
    EXPECT_EQ(h.Block, 2);
    EXPECT_EQ(h.Path, good);
    const QString bad[] = {
        MakeHandOver(9, 2, QStringLiteral("QTA001\\..\\x")), MakeHandOver(9, 2, QStringLiteral("../x")),
        MakeHandOver(9, 2, QStringLiteral("..\\QTA001\\x")), MakeHandOver(9, 2, QStringLiteral("QTA001/x")),
        MakeHandOver(9, 2, QStringLiteral("QTA01\\x")),     MakeHandOver(9, 2, QStringLiteral("x.QTA")),
        MakeHandOver(9, 2, QStringLiteral("QTA001\\")),     MakeHandOver(21, 2, good),
        MakeHandOver(0, 2, good),                           MakeHandOver(9, 7, good),
        MakeHandOver(9, 0, good),                           QStringLiteral("True"),
        QString(),
    };
    for (const QString& text : bad)
        EXPECT_FALSE(ParseHandOver(text, h)) << text.toStdString();
}

TEST_F(LongTermFixture, ReportRecordOfTheAnalysis)
{
    LongTermAnalysis a = EmptyLongTermAnalysis;
    a.Pattern = {13, QStringLiteral("Denim"), QStringLiteral("A[#]1"), QStringLiteral("*"), QStringLiteral("[[]x[]]"),
                 QStringLiteral("M?ier"), DateSerial(2011, 1, 1), DateSerial(2011, 1, 31), TimeSerial(6, 0, 0),
                 TimeSerial(18, 0, 59)};
    a.Definition.Defined1 = true;
    a.Definition.Nominal1 = 80, a.Definition.Lower1 = 80, a.Definition.Upper1 = 100;
    a.Definition.HeaderImage = Header("123", "y", "KR 6100");
    a.Statistics = Stats(0.75f, 0, 1, NoValue);
    const Protocol r = LongTermReportRecord(a);
    EXPECT_EQ(r.Reference2, QStringLiteral("A#1"));      // as typed
    EXPECT_EQ(r.Reference4, QStringLiteral("[x]"));
    EXPECT_EQ(r.Date, DateSerial(2011, 1, 1) + TimeSerial(6, 0, 0));
    EXPECT_EQ(r.LastTestDate, DateSerial(2011, 1, 31) + TimeSerial(18, 0, 59));
    EXPECT_EQ(r.Style.Forms[r.FormIndex].Items[1].Property, 13);
    // Pass/fail: the percent band is no limit, a share has no extremes.
    EXPECT_EQ(r.Style.Tests[13].Nominal1, 80.0f);
    EXPECT_EQ(r.Style.Tests[13].Lower1, NoValue);
    EXPECT_EQ(r.Style.Tests[13].Upper1, NoValue);
    EXPECT_EQ(r.Blocks[1].Stats.Min1, NoValue);
    EXPECT_FALSE(HasLongTermHits(a));
    a.Found.push_back(EmptyFoundProtocol);
    EXPECT_TRUE(HasLongTermHits(a));
    // A measured result keeps its limits.
    a.Definition.HeaderImage = Header("123");
    EXPECT_EQ(LongTermReportRecord(a).Style.Tests[13].Upper1, 100.0f);
}

TEST_F(LongTermFixture, APatternWithAnyFieldSetIsNoEmptyAnalysis)
{
    // The analysis counts as empty, and so has nothing to print or copy, only
    // while its pattern is empty too: each field of the pattern on its own
    // makes it a pattern.
    EXPECT_TRUE(IsEmptySearchPattern(SearchPattern{}));
    EXPECT_TRUE(IsEmptyLongTermAnalysis(EmptyLongTermAnalysis));
    for (int field = 0; field < 10; ++field) {
        SearchPattern pattern;
        switch (field) {
        case 0: pattern.TestType = 9; break;
        case 1: pattern.Style = QStringLiteral("*"); break;
        case 2: pattern.Reference2 = QStringLiteral("A"); break;
        case 3: pattern.Reference3 = QStringLiteral("B"); break;
        case 4: pattern.Reference4 = QStringLiteral("C"); break;
        case 5: pattern.Operator = QStringLiteral("M?ier"); break;
        case 6: pattern.DateFrom = DateSerial(2011, 1, 1); break;
        case 7: pattern.DateTo = DateSerial(2011, 1, 31); break;
        case 8: pattern.TimeFrom = TimeSerial(6, 0, 0); break;
        default: pattern.TimeTo = TimeSerial(18, 0, 59); break;
        }
        EXPECT_FALSE(IsEmptySearchPattern(pattern)) << field;
        LongTermAnalysis a = EmptyLongTermAnalysis;
        a.Pattern = pattern;
        EXPECT_FALSE(IsEmptyLongTermAnalysis(a)) << field;
    }
}

}  // namespace
