// What the curve window shows, without the window: limits from the header,
// axis lists, grid texts, captions, read-out, sensor ranges, enabling rules
// and the texts by language.
#include "CurveTestSupport.h"

#include "curves/modABTCurveDisplay.h"
#include "curves/modABTCurveTexts.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"

#include <cmath>

namespace {

class CurveDisplayTest : public CurveTest {};

TEST(CurveDisplay, LimitsFromTheHeader)
{
    const struct {
        const char* parameter3;
        AbtHeaderLimits expected;
    } cases[] = {
        {"60/20", {200, 600, 20, 60}},       // exchanged, the boxes in order
        {"20/60", {200, 600, 20, 60}},
        {" 5 / 7 ", {50, 70, 5, 7}},
        {"1/99", {10, 990, 1, 99}},
        {"abc", {0, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"20", {0, 0, 0, 0}},                // no "/": neither part
        {"0/60", {0, 0, 0, 60}},             // a part that does not count keeps its box empty
        {"150/20", {0, 0, 0, 20}},
        {"9999/20", {0, 0, 0, 20}},          // would overflow 16 bits as tenths
        {"20/100", {0, 0, 20, 0}},
        {"20.5/60", {0, 0, 0, 60}},
        {"-5/60", {0, 0, 0, 60}},
        {"20/10/5", {0, 0, 20, 0}},
        {"/", {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AbtLimitsFromHeader(QString::fromLatin1(c.parameter3)), c.expected) << c.parameter3;

    const struct {
        int lower, upper;
        int16_t expectedLower, expectedUpper;
    } boxes[] = {{80, 30, 300, 800}, {20, 70, 200, 700}, {0, 30, 0, 0}, {30, 0, 0, 0}, {50, 50, 500, 500}};
    for (const auto& b : boxes) {
        int16_t lower = -1;
        int16_t upper = -1;
        AbtLimitsFromBoxes(b.lower, b.upper, lower, upper);
        EXPECT_EQ(lower, b.expectedLower) << b.lower << "/" << b.upper;
        EXPECT_EQ(upper, b.expectedUpper) << b.lower << "/" << b.upper;
    }
}

TEST(CurveDisplay, AxisMaximumListsOfEachPage)
{
    EXPECT_EQ(AbtAxisMaximumSeries(0, false), (std::vector<int>{100, 120, 150, 180, 200, 250, 300, 400, 500}));
    EXPECT_EQ(AbtAxisMaximumSeries(1, true), (std::vector<int>{2, 3, 4, 5, 6, 8, 10, 12, 15, 18, 20, 25}));
    EXPECT_EQ(AbtAxisMaximumSeries(2, false), (std::vector<int>{5, 6, 8, 10, 12, 15, 18, 20}));
    EXPECT_EQ(AbtAxisMaximumSeries(3, false),
              (std::vector<int>{3, 4, 5, 6, 8, 10, 12, 15, 18, 20, 25, 30, 40, 50, 60, 80, 100, 120, 150, 180, 200}));
    const struct {
        int page;
        bool y;
        size_t count;
        int first, last;
    } lists[] = {
        {0, true, 16, 10, 200}, {1, false, 16, 10, 200}, {2, true, 19, 20, 1000},
        {3, true, 40, 30, 120000}, {4, true, 40, 30, 120000}, {4, false, 21, 3, 200},
    };
    for (const auto& l : lists) {
        const std::vector<int> series = AbtAxisMaximumSeries(l.page, l.y);
        ASSERT_EQ(series.size(), l.count) << l.page << l.y;
        EXPECT_EQ(series.front(), l.first);
        EXPECT_EQ(series.back(), l.last);
    }
    EXPECT_TRUE(AbtAxisMaximumSeries(5, false).empty());
    EXPECT_TRUE(AbtAxisMaximumSeries(-1, true).empty());
}

TEST_F(CurveDisplayTest, ResultAndNominalGridTexts)
{
    AbtEvaluation e{};
    e.PeakPressure = 1234;      // 123.4 kPa
    e.StartIndex = 12;
    e.PeakIndex = 51;
    e.FallTime = 228;
    e.ADAP = 378.44f;
    e.Exponent = 1.80626f;
    AbtResultRows rows = AbtResultRowsOf(e);
    auto cells = [](const GridInfoRow& r) { return (r.Value1Text + u'|' + r.Unit1Text).toStdString(); };
    EXPECT_EQ(cells(rows.MaxPressure), "123|kPa");
    EXPECT_EQ(cells(rows.RiseTime), "39|ms");
    EXPECT_EQ(cells(rows.FallTime), "228|ms");
    EXPECT_EQ(cells(rows.ADAP), "378|mm/s");
    EXPECT_EQ(cells(rows.Exponent), "1.81|");

    e.FallTime = IntegerNoValue;
    e.ADAP = NoValue;
    e.Exponent = NoValue;
    rows = AbtResultRowsOf(e);
    EXPECT_EQ(cells(rows.FallTime), ">500|ms");
    EXPECT_EQ(cells(rows.ADAP), "---|");
    EXPECT_EQ(cells(rows.Exponent), "---|");

    // Only what the style defines; a band derived from the mean is not shown.
    TestDefinition d = MakeBlankTestDefinition();
    d.Nominal1 = 380;
    d.Lower1 = 350;
    d.Upper1 = NoValue;
    d.Nominal2 = 0.5f;
    d.Lower2 = 0.45f;
    d.Upper2 = 0.55f;
    const struct {
        bool defined1, defined2;
        const char* nominal;
        const char* lower;
        const char* upper;
    } flags[] = {
        {true, true, "380|mm/s|0.500|", "350|mm/s|0.450|", "||0.550|"},
        {true, false, "380|mm/s||", "350|mm/s||", "|||"},
        {false, false, "|||", "|||", "|||"},
    };
    auto both = [](const GridInfoRow& r) {
        return (r.Value1Text + u'|' + r.Unit1Text + u'|' + r.Value2Text + u'|' + r.Unit2Text).toStdString();
    };
    for (const auto& f : flags) {
        d.Defined1 = f.defined1;
        d.Defined2 = f.defined2;
        const AbtNominalRows n = AbtNominalRowsOf(d);
        EXPECT_EQ(both(n.Nominal), f.nominal);
        EXPECT_EQ(both(n.LowerLimit), f.lower);
        EXPECT_EQ(both(n.UpperLimit), f.upper);
    }
}

TEST_F(CurveDisplayTest, AxisCaptionsReadOutAndSensors)
{
    const struct {
        int page;
        PlotWindow window;
        const char* x;
        const char* y;
    } captions[] = {
        {0, {0, 0, 500, 800}, "500 ms", "80 kPa"},
        {1, {0, 0, 300, 25}, "30 kPa", "25 mm"},
        {2, {0, 0, 20, 250}, "20 %", "250 MPa"},
        {3, {0, 0, 1000, 6000}, "100 kPa", "6,000 mm/s"},
        {3, {0, 0, 25, 30}, "2 kPa", "30 mm/s"},            // 2.5 to the even neighbour
        {4, {40, 300, 400, 6000}, "40 kPa", "6,000 mm/s"},
        {3, {0, 0, 0, 0}, "", ""},                           // not scalable
        {4, {0, 300, 400, 6000}, "", ""},
        {2, {0, 0, 20, NoValue}, "", ""},
    };
    for (const auto& c : captions) {
        const AbtAxisCaptions got = AbtAxisCaptionsOf(c.window, c.page);
        EXPECT_EQ(got.X.toStdString(), c.x) << c.page;
        EXPECT_EQ(got.Y.toStdString(), c.y) << c.page;
    }

    const struct {
        int page;
        double x, y;
        const char* text;
    } readOuts[] = {
        {4, std::log(500.0), std::log(1000.0), "50.0 kPa / 1,000 mm/s"},
        {0, 100, 505, "100 ms / 50.5 kPa"},
        {1, 300, 12.34, "30.0 kPa / 12.3 mm"},
        {2, 7.5, 123.4, "7.50 % / 123 MPa"},
        {3, 1234, 5678, "123 kPa / 5,680 mm/s"},
    };
    for (const auto& r : readOuts)
        EXPECT_EQ(AbtReadOutText(r.page, r.x, r.y).toStdString(), r.text) << r.page;

    EXPECT_EQ(AbtSensorText(5, 5, QStringLiteral("kPa")), QStringLiteral("500/500 kPa"));
    EXPECT_EQ(AbtSensorText(400, 5, QStringLiteral("kPa")), QStringLiteral("40000/500 kPa"));
    EXPECT_EQ(AbtSensorText(32767, -400, QStringLiteral("bar")), QStringLiteral("3276700/-40000 bar"));

    EXPECT_EQ(AbtFractionDenominator(QStringLiteral("1/20")), 20);
    EXPECT_EQ(AbtFractionDenominator(QStringLiteral("1/50")), 50);
    EXPECT_EQ(AbtFractionDenominator(QStringLiteral("20")), 0);
}

TEST(CurveDisplay, EnablingRules)
{
    using R = AbtEnableRule;
    const struct {
        R rule;
        bool curve;
        int page;
        bool computed, noSensor;
        AbtEnableState expected;
    } cases[] = {
        {R::OnlyWithCurve, true, 3, true, false, {false, false}},
        {R::OnlyWithCurve, false, -32768, false, false, {true, false}},
        {R::Curve, true, 0, false, false, {true, true}},
        {R::Curve, false, -32768, false, false, {true, false}},
        {R::Page4, true, 4, false, false, {true, true}},
        {R::Page4, true, 3, false, false, {true, false}},
        {R::Page3Or4, true, 3, false, false, {true, true}},
        {R::Page3Or4, true, 2, false, false, {true, false}},
        {R::Page2, true, 2, false, false, {true, true}},
        {R::Page2, true, 4, false, false, {true, false}},
        {R::ComputedCurve, true, 4, true, false, {true, true}},
        {R::ComputedCurve, true, 4, false, false, {true, false}},
        {R::ComputedCurve, true, 1, true, false, {true, false}},
        {R::SensorTabs, true, 3, false, false, {true, true}},
        {R::SensorTabs, true, 3, false, true, {true, false}},
        {R::SensorTabs, false, -32768, false, false, {true, false}},   // no curve: the tabs stay disabled
    };
    for (const auto& c : cases) {
        const AbtEnableState s = AbtEnableStateOf(c.rule, c.curve, c.page, c.computed, c.noSensor);
        EXPECT_EQ(s.Touch, c.expected.Touch) << static_cast<int>(c.rule) << " page " << c.page;
        EXPECT_EQ(s.Enabled, c.expected.Enabled) << static_cast<int>(c.rule) << " page " << c.page;
    }
}

TEST(CurveDisplay, TextsByLanguage)
{
    const struct {
        int language;
        int entry;
        const char* text;
    } cases[] = {
        {1, AbtTextWindow, "Kurve analysieren"},
        {2, AbtTextTab0 + 3, "AP: AP = f (p)"},
        {1, AbtTextTab0 + 4, "LD: Log LD = f (Log p)"},
        {3, AbtTextPressureLimit, "Presions limites"},
        {4, AbtTextMaxPressure, "Pressione Mas.:"},
        {5, AbtTextFallTime, "Tiempo de disminución:"},
        {3, AbtTextADAP, "PADM:"},
        {2, AbtTextExponent, "Exponent:"},
        {6, AbtTextWindow, ""},
        {0, AbtTextExponent, ""},
        {2, 0, ""},
        {2, 19, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AbtCurveTextOf(c.entry, c.language), QString::fromUtf8(c.text)) << c.language << "/" << c.entry;
    for (int language = 1; language <= 5; ++language) {
        const auto table = AbtCurveTextTable(language);
        for (int entry = 1; entry <= AbtCurveTextCount; ++entry)
            EXPECT_FALSE(table[static_cast<size_t>(entry)].isEmpty()) << language << "/" << entry;
    }
}

} // namespace
