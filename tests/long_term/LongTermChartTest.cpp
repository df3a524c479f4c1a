#include "LongTermFixture.h"

#include "foundation/modGeneral.h"
#include "long_term/LongTermChart.h"
#include "platform/Colors.h"
#include "platform/DrawingSurface.h"

#include <cmath>
#include <set>

namespace {

// The style's expected string: parameter 3 is 200 mm.
std::string Tensile(const std::string& serial, const std::string& parameter3 = "   200\"")
{
    return Header(serial, "8", "MP 4800", std::string(14, ' ') + parameter3 + std::string(7, ' '));
}

struct HitStats {
    float mean;
    float min;
    float max;
    std::string header = Tensile("123");
    bool hasType = true;
};

// A found report measuring tensile strength (type 9) in block 2 with the
// statistics of result 1 given (result 2: mean 2, 1 to 3).
FoundProtocol Hit(const HitStats& h, double date = 40550.5)
{
    FoundProtocol f = EmptyFoundProtocol;
    f.Date = date;
    f.LastTestDate = date + 0.01;
    f.Block = h.hasType ? 2 : 0;
    f.Header = h.header;
    Statistics& s = f.Stats;
    s.Count = 3;
    s.Mean1 = h.mean, s.Min1 = h.min, s.Max1 = h.max;
    s.Mean2 = 2, s.Min2 = 1, s.Max2 = 3;
    f.Path = QStringLiteral("QTA110\\r.QTA");
    return f;
}

LongTermAnalysis Analysis(std::initializer_list<HitStats> hits, float nominal = 12, float lower = 10,
                          float upper = 14, bool defined = true)
{
    LongTermAnalysis a = EmptyLongTermAnalysis;
    a.Definition.Defined1 = a.Definition.Defined2 = defined;
    a.Definition.Nominal1 = nominal, a.Definition.Lower1 = lower, a.Definition.Upper1 = upper;
    a.Definition.HeaderImage = Header("123");
    for (const HitStats& h : hits)
        a.Found.push_back(Hit(h));
    a.Statistics.Count = 3;
    return a;
}

LongTermAnalysis PassFail(std::initializer_list<float> shares, float nominal)
{
    LongTermAnalysis a = Analysis({}, nominal, nominal, 100);
    a.Definition.HeaderImage = Header("123", "y", "KR 6100");
    for (const float share : shares)
        a.Found.push_back(Hit({share, NoValue, NoValue, Header("123", "y", "KR 6100")}));
    return a;
}

struct Chart {
    Chart(int width = 300) : upper(width, 9), chart(width, 100), lower(width, 9) {}
    void Draw(const LongTermAnalysis& a, int result = 1) { DrawLongTermChart(a, result, Tensile("123"), upper, chart, lower); }
    DrawingSurface upper;
    DrawingSurface chart;
    DrawingSurface lower;
};

// The colours of every pixel of the three pictures.
std::set<int32_t> Colours(const Chart& c)
{
    std::set<int32_t> colours;
    for (const DrawingSurface* s : {&c.upper, &c.chart, &c.lower})
        for (int y = 0; y < s->Image().height(); ++y)
            for (int x = 0; x < s->Image().width(); ++x)
                colours.insert(FromQColor(QColor(s->Image().pixel(x, y))));
    return colours;
}

TEST_F(LongTermFixture, ScaleForScreenAndPaper)
{
    const HitStats hits[] = {{12, 9, 15}, {13, 11, 14}};
    const struct {
        const char* name;
        float nominal, lower, upper;
        bool defined;
        LongTermMedium medium;
        double bottom, top;
        bool limitsDrawn;
    } cases[] = {
        {"band fills the middle half", 12, 10, 14, true, LongTermMedium::Screen, 8, 16, true},
        {"screen not below 0", 5, 1, 9, true, LongTermMedium::Screen, 0, 13, true},
        {"the same on paper", 12, 10, 14, true, LongTermMedium::Paper, 8, 16, true},
        {"paper below 0", 5, 1, 9, true, LongTermMedium::Paper, -3, 13, true},
        {"missing lower limit: from the hits", 12, NoValue, 14, true, LongTermMedium::Screen, 8.4, 15.6, false},
        {"equal limits: from the hits", 12, 12, 12, true, LongTermMedium::Screen, 8.4, 15.6, true},
        {"derived limits kept on screen", 12, 10, 14, false, LongTermMedium::Screen, 8, 16, true},
        {"derived limits not on paper", 12, 10, 14, false, LongTermMedium::Paper, 8.4, 15.6, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LongTermAnalysis a = Analysis({hits[0], hits[1]}, c.nominal, c.lower, c.upper, c.defined);
        const LongTermScale s = LongTermChartScale(a, 1, c.medium);
        EXPECT_FALSE(s.Percent);
        EXPECT_NEAR(s.Bottom, c.bottom, 1e-4);
        EXPECT_NEAR(s.Top, c.top, 1e-4);
        EXPECT_EQ(IsPresentValue(s.Lower) && IsPresentValue(s.Upper), c.limitsDrawn);
    }
    // Hits all below 0 on the screen: from 0, the points in the lower strip;
    // one value alone: one either side; nothing present: 0 to 1.
    LongTermAnalysis a = Analysis({{-5, -6, -4}}, NoValue, NoValue, NoValue);
    EXPECT_EQ(LongTermChartScale(a, 1, LongTermMedium::Screen), (LongTermScale{false, 0, 1}));
    a = Analysis({{10, 10, 10}}, NoValue, NoValue, NoValue);
    EXPECT_EQ(LongTermChartScale(a, 1, LongTermMedium::Paper), (LongTermScale{false, 9, 11}));
    a = Analysis({{NoValue, NoValue, NoValue}, {std::nanf(""), NoValue, NoValue}}, NoValue, NoValue, NoValue);
    EXPECT_EQ(LongTermChartScale(a, 1, LongTermMedium::Screen), (LongTermScale{false, 0, 1}));

    // Pass/fail: 0 to 100 %, the band from the nominal to 100; on paper
    // only for a defined result.
    a = PassFail({0.5f}, 80);
    EXPECT_EQ(LongTermChartScale(a, 1, LongTermMedium::Screen), (LongTermScale{true, 0, 100, 80, 80, 100}));
    a.Definition.Defined1 = false;
    EXPECT_EQ(LongTermChartScale(a, 1, LongTermMedium::Paper), (LongTermScale{true, 0, 100}));
    EXPECT_FALSE(LongTermChartScale(a, 2, LongTermMedium::Screen).Percent);
}

TEST_F(LongTermFixture, MarksOfTheFoundReports)
{
    const FoundProtocol lacking = Hit({12, 11, 13, Tensile("123"), false});
    EXPECT_FALSE(LongTermMarkOf(lacking, 1, false).Shown);
    FoundProtocol damaged = Hit({std::nanf(""), INFINITY, 13});
    const LongTermMark mark = LongTermMarkOf(damaged, 1, false);
    EXPECT_TRUE(mark.Shown);
    EXPECT_EQ(std::tuple(mark.Mean, mark.Min, mark.Max), std::tuple(NoValue, NoValue, 13.0f));
    // A pass/fail report in percent: a report with tests and no mean (an
    // older one where every test failed) is 0 %, none without tests.
    FoundProtocol share = Hit({0.75f, 0, 1});
    EXPECT_EQ(LongTermMarkOf(share, 1, true).Mean, 75.0f);
    EXPECT_EQ(LongTermMarkOf(share, 1, true).Min, NoValue);
    share.Stats.Mean1 = NoValue;
    EXPECT_EQ(LongTermMarkOf(share, 1, true).Mean, 0.0f);
    share.Stats.Count = 0;
    EXPECT_EQ(LongTermMarkOf(share, 1, true).Mean, NoValue);
}

TEST_F(LongTermFixture, ChartPixels)
{
    // L 10, N 12, U 14: the chart spans 8 to 16.
    const std::string otherParameter = Tensile("123", "   100\"");
    const LongTermAnalysis a = Analysis({
        {12, 11, 13},                   // 1 black inside
        {16, 15, 16},                   // 2 at the top of the scale: on the chart, red
        {20, 15, 22},                   // 3 above the scale: upper strip, bar clipped on the chart
        {14, 13, 14},                   // 4 on the upper limit: not red
        {9, 8.5f, 9.5f},                // 5 below the lower limit: blue
        {5, 4, 6},                      // 6 below the scale: lower strip
        {12, 11, 13, Tensile("456")},   // 7 another serial number only: not green
        {15, 14.5f, 15.5f, otherParameter},   // 8 another parameter: green, even above the limit
        {12, 11, 13, Tensile("123"), false},  // 9 no such test type: nothing
        {NoValue, 10.5f, 11.5f},        // 10 no mean: the bar only
    });
    Chart c;
    c.Draw(a);
    const struct {
        double x, y;
        const DrawingSurface& on;
        int32_t colour;
    } points[] = {
        {1, 12, c.chart, vbBlack},   {2, 16, c.chart, vbRed},    {3, 1, c.upper, vbRed},    {3, 15.2, c.chart, vbRed},
        {4, 14, c.chart, vbBlack},   {5, 9, c.chart, vbBlue},    {6, 1, c.lower, vbBlue},   {7, 12, c.chart, vbBlack},
        {8, 15, c.chart, vbGreen},   {10, 11, c.chart, vbBlack}, {9, 13, c.chart, LongTermBandColour},
        {0.4, 12, c.chart, LongTermNominalColour}, {0.4, 15, c.chart, vbWhite},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(testing::Message() << "x " << p.x << ", y " << p.y);
        EXPECT_EQ(p.on.Point(p.x, p.y), p.colour);
        EXPECT_EQ(HitTestCurvePoint(p.on, p.x, p.y), p.colour != LongTermBandColour && p.colour != vbWhite
                                                         && p.colour != LongTermNominalColour);
    }
    // Nothing in the strips but the two points beyond the scale; the point
    // colours are all the hit-test looks for.
    EXPECT_EQ(c.upper.Point(1, 1), vbWhite);
    EXPECT_EQ(Colours(c), (std::set<int32_t>{vbWhite, LongTermBandColour, LongTermNominalColour, vbBlack, vbRed,
                                             vbBlue, vbGreen}));

    // Without usable limits the points are still drawn and clickable.
    for (const float upper : {NoValue, 10.0f}) {
        Chart d;
        d.Draw(Analysis({{12, 11, 13}, {13, 12, 14}}, 10, 10, upper));
        EXPECT_TRUE(HitTestCurvePoint(d.chart, 1, 12)) << upper;
        EXPECT_TRUE(HitTestCurvePoint(d.chart, 2, 13)) << upper;
        EXPECT_EQ(d.chart.Point(1, 12), upper == NoValue ? vbBlack : vbRed);   // a missing limit colours nothing
    }

    // Pass/fail: black points at the share in percent, no bars, on 0 to 100.
    Chart p;
    DrawLongTermChart(PassFail({0.8f, 0.3f}, 50), 1, Header("123", "y", "KR 6100"), p.upper, p.chart, p.lower);
    EXPECT_EQ(p.chart.Point(1, 80), vbBlack);
    EXPECT_EQ(p.chart.Point(2, 30), vbBlack);
    EXPECT_EQ(p.chart.Point(2, 60), LongTermBandColour);
    EXPECT_EQ(p.chart.Point(2, 40), vbWhite);
}

TEST_F(LongTermFixture, PointUnderThePointerAndReadOut)
{
    const struct {
        double x;
        int32_t n;
        int32_t k;
    } cases[] = {
        {2.5, 5, 2},  {3.5, 5, 4},  {1.49, 5, 1},  {0.5, 5, 0},   {0.51, 5, 1},      {5.5, 5, 0},
        {5.49, 5, 5}, {-3, 5, 0},   {NAN, 5, 0},   {1e300, 5, 0}, {40000.2, 40000, 40000}, {1, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LongTermPointIndex(c.x, c.n), c.k) << c.x;

    // 1,000 reports on 1,200 pixels: the outer pixels of the end dots lie
    // past the first and last report, so they open nothing.
    std::vector<HitStats> many(1000, HitStats{12, 12, 12});
    LongTermAnalysis a = Analysis({});
    for (const HitStats& h : many)
        a.Found.push_back(Hit(h));
    Chart c(1200);
    c.Draw(a);
    const int row = static_cast<int>(std::floor(c.chart.PixelFromY(12)));
    int first = -1;
    int last = -1;
    for (int x = 0; x < 1200; ++x)
        if (c.chart.Point(c.chart.XFromPixel(x + 0.5), c.chart.YFromPixel(row + 0.5)) == vbBlack)
            last = x, first = first < 0 ? x : first;
    EXPECT_EQ(LongTermPointIndex(c.chart.XFromPixel(first + 0.5), 1000), 0);
    EXPECT_EQ(LongTermPointIndex(c.chart.XFromPixel(last + 0.5), 1000), 0);
    EXPECT_EQ(LongTermPointIndex(c.chart.XFromPixel(last - 0.5), 1000), 1000);

    // The read-out: date and time with seconds, the value under the pointer.
    DateFormat = 1;
    const double date = DateSerial(2011, 1, 6) + TimeSerial(12, 0, 5);
    EXPECT_EQ(LongTermReadOutText(date, 12.345, QStringLiteral("N")), QStringLiteral("06.01.2011, 12:00:05 / 12.3 N"));
    DateFormat = 3;
    EXPECT_EQ(LongTermReadOutText(date, NAN, QStringLiteral("%")), QStringLiteral("2011-01-06, 12:00:05 /  %"));
    EXPECT_EQ(LongTermReadOutUnit(Header("123", "a", "KR 6101"), 1, false), QStringLiteral("min"));
    EXPECT_EQ(LongTermReadOutUnit(Header("123"), 2, false), QStringLiteral("mm"));
    EXPECT_EQ(LongTermReadOutUnit(Header("123", "y", "KR 6100"), 1, true), QStringLiteral("%"));
}

}  // namespace
