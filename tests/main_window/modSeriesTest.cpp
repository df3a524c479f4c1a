#include "main_window/modSeries.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modStatistic.h"
#include "platform/OleDate.h"
#include "support/SeriesTests.h"

#include <functional>

namespace {

// 2011-12-08 10:15:00.
double Created()
{
    return DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
}

// A grid row as "value 1|unit 1|sign 1|value 2|unit 2|sign 2|last".
std::string Cells(const GridInfoRow& r)
{
    return QStringList{r.Value1Text, r.Unit1Text, r.Sign1, r.Value2Text, r.Unit2Text, r.Sign2, r.LastColumnText}
        .join(u'|')
        .toStdString();
}

std::string S(const QString& text)
{
    return text.toStdString();
}

// Tensile strength (type 9, N and mm) as property 1 of "Form A": nominal 100
// in 90..110 and 20 in 18..22, ten tests wanted.
Protocol Tensile(const char* resultUnit = "8")
{
    Protocol p = MakeEmptyProtocol();
    p.Date = Created();
    p.Style.Forms[1].Name = QStringLiteral("Form A");
    p.Style.Forms[1].Items[1].Property = 9;
    TestDefinition& d = p.Style.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110;
    d.Nominal2 = 20, d.Lower2 = 18, d.Upper2 = 22;
    d.CI1 = 5, d.CI2 = NoValue;
    d.TestCount = 10;
    d.HeaderImage = Build({.Id = "MP 4800", .Serial = "123", .RU1 = resultUnit, .RU2 = "\""});
    return p;
}

class SeriesRulesTest : public DataStringFixture {};

TEST_F(SeriesRulesTest, ABlockHoldsATestFromElementOneAndHasStartedWithADate)
{
    struct Case {
        const char* name;
        std::function<void(PropertyBlock&)> change;
        bool holds;
        bool started;
    } const cases[] = {
        {"empty block", [](PropertyBlock&) {}, false, false},
        {"closed by its mark only", [](PropertyBlock& b) { b.Terminated = true, b.LastTestDate = Created(); }, false, false},
        {"lateral air ticked only", [](PropertyBlock& b) { b.LateralAirOn = true; }, false, false},
        {"started, no test yet", [](PropertyBlock& b) { b.StartDate = Created(); }, false, true},
        {"a deleted test", [](PropertyBlock& b) { b.Values = SeriesValues({SeriesTest(1, NoValue, "8", true)}); },
         true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PropertyBlock b = MakeEmptyPropertyBlock();
        c.change(b);
        EXPECT_EQ(BlockHoldsTest(b), c.holds);
        EXPECT_EQ(BlockHasStarted(b), c.started);
    }
}

TEST_F(SeriesRulesTest, TitleIsDateTimeAndFormNameWhateverTheDateFormat)
{
    Protocol p = Tensile();
    DateFormat = 1;
    EXPECT_EQ(S(ProtocolTitle(p)), "2011-12-08, 10:15:00 - Form A");
    p.FormIndex = 11;
    EXPECT_EQ(S(ProtocolTitle(p)), "2011-12-08, 10:15:00 - ");
}

TEST_F(SeriesRulesTest, NominalRowsWithUnitsAndTheEffectiveTestCount)
{
    Protocol p = Tensile();
    NominalRows rows = NominalGridRows(p.Style.Tests[9]);
    EXPECT_EQ(Cells(rows.Nominal), "100|N||20.0|mm||");
    EXPECT_EQ(Cells(rows.LLimit), "90.0|N||18.0|mm||");
    EXPECT_EQ(Cells(rows.ULimit), "110|N||22.0|mm||");
    EXPECT_EQ(Cells(rows.NominalCI), "5.0|%|||||");
    EXPECT_EQ(S(rows.Test.Value1Text), "10");

    // Without a preset number a property asks for the most a block takes.
    for (int16_t count : {0, -1, 1000}) {
        p.Style.Tests[9].TestCount = count;
        EXPECT_EQ(S(NominalGridRows(p.Style.Tests[9]).Test.Value1Text), "999") << count;
    }
    // The nominal value of a pass/fail property is a share in percent.
    Protocol passFail = Tensile("y");
    passFail.Style.Tests[9].Nominal1 = 0.8f;
    rows = NominalGridRows(passFail.Style.Tests[9]);
    EXPECT_EQ(S(rows.Nominal.Value1Text), "0.800");
    EXPECT_EQ(S(rows.Nominal.Unit1Text), "%");
    EXPECT_EQ(S(rows.LLimit.Unit1Text), "1/0");
    EXPECT_EQ(NominalGridRows(BlankTestDefinition).Test, GridInfoRow{});
}

TEST_F(SeriesRulesTest, StatisticsRowsShowDashesSignsAndThePassFailShare)
{
    Protocol p = Tensile();
    PropertyBlock& b = p.Blocks[1];
    EXPECT_EQ(StatisticsGridRows(p, 1).Avg, GridInfoRow{}) << "a block without a test gives empty rows";

    b.Header = Build({.Id = "MP 4800", .Serial = "123", .Warning = "*", .RU1 = "8", .RU2 = "\""});
    b.Values = SeriesValues({SeriesTest(80, NoValue), SeriesTest(88, NoValue)});
    b.Stats = CalcMeanSdCvCi(b.Values);
    StatisticsRows rows = StatisticsGridRows(p, 1);
    EXPECT_EQ(Cells(rows.Avg), "84.0|N|-||||*");
    EXPECT_EQ(Cells(rows.Min), "80.0|N|-||||");
    EXPECT_EQ(Cells(rows.Max), "88.0|N|-||||");
    EXPECT_EQ(S(rows.CV.Value1Text), "6.7");
    EXPECT_EQ(S(rows.CI.Unit1Text), "%");

    // A pass/fail mean is the share of passes, without a limit sign; stored
    // extremes keep their own unit.
    Protocol passFail = Tensile("y");
    PropertyBlock& f = passFail.Blocks[1];
    f.Header = passFail.Style.Tests[9].HeaderImage;
    f.Values = SeriesValues({SeriesTest(1, NoValue, "y"), SeriesTest(0, NoValue, "y")});
    f.Stats = MakeEmptyStatistics();
    f.Stats.Count = 2, f.Stats.Mean1 = 0.75f, f.Stats.Min1 = 0, f.Stats.Max1 = 1;
    rows = StatisticsGridRows(passFail, 1);
    EXPECT_EQ(Cells(rows.Avg), "75.0|%|||||");
    EXPECT_EQ(Cells(rows.Min), "0|1/0|-||||");
    EXPECT_EQ(Cells(rows.Max), "1.00|1/0|-||||");
    EXPECT_EQ(S(rows.CV.Value1Text), "---");
}

TEST_F(SeriesRulesTest, ClosingAPressureDropPropertyDropsAWaitingHalf)
{
    const TestValue complete = SeriesTest(120, 0.5f);
    const TestValue waiting = SeriesTest(NoValue, 30);
    struct Case {
        const char* name;
        std::vector<TestValue> values;
        bool closedBefore;
        size_t valuesAfter;
        char unit2After;
    } const cases[] = {
        {"a lone waiting half", SeriesValues({waiting}), false, 1, ' '},
        {"after a complete test", SeriesValues({complete, waiting}), false, 2, ' '},
        {"nothing waits", SeriesValues({complete, complete}), false, 3, '"'},
        {"reopened", SeriesValues({complete, waiting}), true, 3, '"'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Protocol p = MakeEmptyProtocol();
        p.Style.Forms[1].Items[2].Property = 17;
        PropertyBlock& b = p.Blocks[2];
        b.Header = Build({.Id = "KR 6401", .RU1 = "8", .RU2 = "\""});
        b.Values = c.values;
        b.Terminated = c.closedBefore;
        ToggleTerminated(p, 2, Created());
        EXPECT_EQ(b.Terminated, !c.closedBefore);
        EXPECT_EQ(b.LastTestDate, Created());
        EXPECT_EQ(p.LastTestDate, Created());
        EXPECT_EQ(b.Values.size(), c.valuesAfter);
        EXPECT_EQ(b.Header[54], c.unit2After);
        EXPECT_EQ(b.Header.size(), 60u);
        if (c.valuesAfter < c.values.size()) {
            EXPECT_EQ(b.Stats, CalcMeanSdCvCi(b.Values));
        }
    }
}

TEST_F(SeriesRulesTest, StartingABlockKeepsItsLateralAirAndEndingLateralAirKeepsTheMean)
{
    Protocol p = Tensile();
    p.Style.Forms[1].Items[3].Property = 16;
    p.Style.Tests[16].HeaderImage = Build({.Id = "KR 6401", .RU1 = "8"});
    PropertyBlock& b = p.Blocks[3];

    b.LateralAir = 2.0f;
    StartPropertyBlock(p, 3, true, Created());
    EXPECT_EQ(b.LateralAir, 2.0f) << "a lateral-air value goes on being subtracted";
    EXPECT_TRUE(b.LateralAirOn);
    EXPECT_EQ(b.Header, p.Style.Tests[16].HeaderImage);
    EXPECT_EQ(b.StartDate, Created());
    EXPECT_TRUE(BlockHasStarted(b));
    // A tick left from another report form means nothing to other properties:
    // a block marked so would be left out of reports and exports.
    StartPropertyBlock(p, 1, true, Created());
    EXPECT_FALSE(p.Blocks[1].LateralAirOn);

    b.Values = SeriesValues({SeriesTest(1, NoValue), SeriesTest(2, NoValue), SeriesTest(3, NoValue)});
    b.Stats = CalcMeanSdCvCi(b.Values);
    b.Header = Build({.Id = "KR 6401", .Serial = "777", .RU1 = "8"});
    b.Commentary = QStringLiteral("lateral air");
    EndLateralAir(p, 3, Created() + 1);
    EXPECT_FLOAT_EQ(b.LateralAir, 2.0f);
    EXPECT_FALSE(b.LateralAirOn);
    EXPECT_EQ(b.Values.size(), 1u);
    EXPECT_EQ(b.Header, p.Style.Tests[16].HeaderImage) << "the series' own style copy";
    EXPECT_EQ(b.Stats, EmptyStatistics);
    EXPECT_EQ(b.Commentary, QString());
    EXPECT_EQ(b.LastTestDate, Created() + 1);
}

TEST_F(SeriesRulesTest, RemovingASeriesKeepsTheShownIndexOnItsSeries)
{
    struct Case {
        int remove;
        int16_t current;
        int16_t after;
        const char* left;   // the operators of the series left, by index
    } const cases[] = {{2, 3, 2, "013"}, {2, 1, 1, "013"}, {3, 3, 2, "012"},
                       {2, 2, 2, "013"}, {4, 3, 3, "0123"}, {0, 3, 3, "0123"}};
    for (const Case& c : cases) {
        std::vector<Protocol> list(4, MakeEmptyProtocol());
        for (size_t k = 0; k < list.size(); ++k)
            list[k].Operator = QString::number(k);
        int16_t current = c.current;
        RemoveSeries(list, c.remove, current);
        QString left;
        for (const Protocol& p : list)
            left += p.Operator;
        EXPECT_EQ(S(left), c.left) << c.remove;
        EXPECT_EQ(current, c.after) << c.remove << "/" << c.current;
    }
}

} // namespace
