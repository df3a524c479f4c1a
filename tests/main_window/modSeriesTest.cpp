#include "main_window/modSeries.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modStatistic.h"
#include "platform/OleDate.h"
#include "support/SeriesTests.h"

namespace {

double Created() { return DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0); }

// A grid row as "value 1|unit 1|sign 1|value 2|unit 2|sign 2|last".
std::string Cells(const GridInfoRow& r)
{
    return QStringList{r.Value1Text, r.Unit1Text, r.Sign1, r.Value2Text, r.Unit2Text, r.Sign2, r.LastColumnText}
        .join(u'|')
        .toStdString();
}

// Tensile strength (type 9, N and mm; "y" makes result 1 pass/fail) as
// property 1: nominal 100 in 90..110 and 20 in 18..22, CI 5 %, ten tests.
Protocol Tensile(const char* resultUnit = "8")
{
    Protocol p = MakeEmptyProtocol();
    p.Style.Forms[1].Items[1].Property = 9;
    TestDefinition& d = p.Style.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110, d.Nominal2 = 20, d.Lower2 = 18, d.Upper2 = 22;
    d.CI1 = 5, d.CI2 = NoValue, d.TestCount = 10;
    d.HeaderImage = Build({.Id = "MP 4800", .Serial = "123", .RU1 = resultUnit, .RU2 = "\""});
    p.Blocks[1].Header = d.HeaderImage;
    return p;
}

class SeriesRulesTest : public DataStringFixture {};

TEST_F(SeriesRulesTest, NominalRowsWithUnitsAndTheEffectiveTestCount)
{
    const NominalRows rows = NominalGridRows(Tensile().Style.Tests[9]);
    EXPECT_EQ(Cells(rows.Nominal), "100|N||20.0|mm||");
    EXPECT_EQ(Cells(rows.LLimit), "90.0|N||18.0|mm||");
    EXPECT_EQ(Cells(rows.ULimit), "110|N||22.0|mm||");
    EXPECT_EQ(Cells(rows.NominalCI), "5.0|%|||||");
    EXPECT_EQ(Cells(rows.Test), "10||||||");
    // Without a preset number a property asks for the most a block takes.
    for (int16_t count : {0, -1, 1000}) {
        TestDefinition d = Tensile().Style.Tests[9];
        d.TestCount = count;
        EXPECT_EQ(Cells(NominalGridRows(d).Test), "999||||||") << count;
    }
    // The nominal value of a pass/fail property is a share in percent.
    TestDefinition passFail = Tensile("y").Style.Tests[9];
    passFail.Nominal1 = 0.8f;
    EXPECT_EQ(Cells(NominalGridRows(passFail).Nominal), "0.800|%||20.0|mm||");
    EXPECT_EQ(Cells(NominalGridRows(passFail).LLimit), "90.0|1/0||18.0|mm||");
    EXPECT_EQ(Cells(NominalGridRows(BlankTestDefinition).Test), "||||||");
}

TEST_F(SeriesRulesTest, StatisticsRowsShowDashesSignsAndThePassFailShare)
{
    Protocol p = Tensile();
    PropertyBlock& b = p.Blocks[1];
    EXPECT_EQ(Cells(StatisticsGridRows(p, 1).Avg), "||||||") << "a block without a test gives empty rows";
    b.Header = Build({.Id = "MP 4800", .Serial = "123", .Warning = "*", .RU1 = "8", .RU2 = "\""});
    b.Values = SeriesValues({SeriesTest(80, NoValue), SeriesTest(88, NoValue)});
    b.Stats = CalcMeanSdCvCi(b.Values);
    StatisticsRows rows = StatisticsGridRows(p, 1);
    EXPECT_EQ(Cells(rows.Avg), "84.0|N|-||||*");
    EXPECT_EQ(Cells(rows.Max), "88.0|N|-||||");
    EXPECT_EQ(Cells(rows.CV), "6.7|%|||||");

    // A pass/fail mean is the share of passes without a limit sign; the
    // extremes keep their unit, and a missing value 1 shows "---".
    Protocol passFail = Tensile("y");
    PropertyBlock& f = passFail.Blocks[1];
    f.Values = SeriesValues({SeriesTest(1, NoValue, "y"), SeriesTest(0, NoValue, "y")});
    f.Stats = MakeEmptyStatistics();
    f.Stats.Count = 2, f.Stats.Mean1 = 0.75f, f.Stats.Min1 = 0, f.Stats.Max1 = 1;
    rows = StatisticsGridRows(passFail, 1);
    EXPECT_EQ(Cells(rows.Avg), "75.0|%|||||");
    EXPECT_EQ(Cells(rows.Min), "0|1/0|-||||");
    EXPECT_EQ(Cells(rows.CV), "---||||||");
}

TEST_F(SeriesRulesTest, ClosingAPressureDropPropertyDropsAWaitingHalf)
{
    const TestValue complete = SeriesTest(120, 0.5f);
    const TestValue waiting = SeriesTest(NoValue, 30);
    struct Case {
        std::vector<TestValue> values;
        bool closedBefore;
        size_t valuesAfter;
        char unit2After;
    } const cases[] = {
        {SeriesValues({waiting}), false, 1, ' '},            // a lone half too
        {SeriesValues({complete, waiting}), false, 2, ' '},
        {SeriesValues({complete, complete}), false, 3, '"'},
        {SeriesValues({complete, waiting}), true, 3, '"'},   // reopened
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.values.size() * 10 + c.closedBefore);
        Protocol p = MakeEmptyProtocol();
        p.Style.Forms[1].Items[2].Property = 17;
        PropertyBlock& b = p.Blocks[2];
        b.Header = Build({.Id = "KR 6401", .RU1 = "8", .RU2 = "\""});
        b.Values = c.values;
        b.Stats = CalcMeanSdCvCi(b.Values);
        b.Terminated = c.closedBefore;
        ToggleTerminated(p, 2, Created());
        EXPECT_EQ(b.Terminated, !c.closedBefore);
        EXPECT_EQ(b.LastTestDate, Created());
        EXPECT_EQ(p.LastTestDate, Created());
        EXPECT_EQ(b.Values.size(), c.valuesAfter);
        EXPECT_EQ(b.Header[54], c.unit2After);
        EXPECT_EQ(b.Stats, CalcMeanSdCvCi(b.Values));
    }
}

TEST_F(SeriesRulesTest, AStartedBlockKeepsItsLateralAirValueAndOnlyType16TakesTheChoice)
{
    Protocol p = Tensile();
    p.Style.Forms[1].Items[3].Property = 16;
    p.Style.Tests[16].HeaderImage = Build({.Id = "KR 6401", .RU1 = "8"});
    p.Blocks[3].LateralAir = 2.0f;
    for (int property : {3, 1}) {
        StartPropertyBlock(p, property, true, Created());
        const PropertyBlock& b = p.Blocks[static_cast<size_t>(property)];
        EXPECT_EQ(b.LateralAirOn, property == 3) << "a block marked so is left out of reports";
        EXPECT_EQ(b.Header, p.Style.Tests[static_cast<size_t>(PropertyTestType(p, property))].HeaderImage);
        EXPECT_EQ(b.StartDate, Created());
    }
    EXPECT_EQ(p.Blocks[3].LateralAir, 2.0f) << "a lateral-air value goes on being subtracted";
}

} // namespace
