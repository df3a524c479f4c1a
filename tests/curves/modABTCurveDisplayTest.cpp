// What the curve window shows, without the window: limits from the header,
// axis lists, captions and read-out.
#include "CurveTestSupport.h"

#include "curves/modABTCurveDisplay.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"

#include <cmath>
#include <string>
#include <utility>

namespace {

class CurveDisplayTest : public CurveTest {};

TEST(CurveDisplay, LimitsFromTheHeader)
{
    // Exchanged limits come in order; no "/" gives neither part; a part that
    // does not count (9999 would overflow 16 bits as tenths) keeps its box empty.
    const struct { const char* parameter3; AbtHeaderLimits expected; } cases[] = {
        {"60/20", {200, 600, 20, 60}}, {"20/60", {200, 600, 20, 60}}, {" 5 / 7 ", {50, 70, 5, 7}},
        {"1/99", {10, 990, 1, 99}},    {"abc", {0, 0, 0, 0}},         {"", {0, 0, 0, 0}},
        {"20", {0, 0, 0, 0}},          {"0/60", {0, 0, 0, 60}},       {"150/20", {0, 0, 0, 20}},
        {"9999/20", {0, 0, 0, 20}},    {"20/100", {0, 0, 20, 0}},     {"20.5/60", {0, 0, 0, 60}},
        {"20/10/5", {0, 0, 20, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AbtLimitsFromHeader(QString::fromLatin1(c.parameter3)), c.expected) << c.parameter3;

    const struct { int lower, upper; int16_t expectedLower, expectedUpper; } boxes[] = {{80, 30, 300, 800}, {20, 70, 200, 700}, {0, 30, 0, 0}, {30, 0, 0, 0}, {50, 50, 500, 500}};
    for (const auto& b : boxes) {
        int16_t lower = -1;
        int16_t upper = -1;
        AbtLimitsFromBoxes(b.lower, b.upper, lower, upper);
        EXPECT_EQ(std::pair(lower, upper), std::pair(b.expectedLower, b.expectedUpper)) << b.lower << "/" << b.upper;
    }
}

TEST(CurveDisplay, AxisMaximumListsOfEachPage)
{
    EXPECT_EQ(AbtAxisMaximumSeries(1, true), (std::vector<int>{2, 3, 4, 5, 6, 8, 10, 12, 15, 18, 20, 25}));
    const struct { int page; bool y; size_t count; int first, last; } lists[] = {
        {0, false, 9, 100, 500}, {0, true, 16, 10, 200},   {1, false, 16, 10, 200}, {2, false, 8, 5, 20},
        {2, true, 19, 20, 1000}, {3, false, 21, 3, 200},   {3, true, 40, 30, 120000}, {4, true, 40, 30, 120000},
        {5, false, 0, 0, 0},     {-1, true, 0, 0, 0},
    };
    for (const auto& l : lists) {
        const std::vector<int> series = AbtAxisMaximumSeries(l.page, l.y);
        ASSERT_EQ(series.size(), l.count) << l.page << l.y;
        if (l.count > 0) {
            EXPECT_EQ(series.front(), l.first);
            EXPECT_EQ(series.back(), l.last);
        }
    }
}

TEST_F(CurveDisplayTest, AxisCaptionsAndReadOutOfEachPage)
{
    const struct { int page; PlotWindow window; const char* x; const char* y; } captions[] = {
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
        EXPECT_EQ(got.X.toStdString() + '|' + got.Y.toStdString(), std::string(c.x) + '|' + c.y) << c.page;
    }

    const struct { int page; double x, y; const char* text; } readOuts[] = {
        {4, std::log(500.0), std::log(1000.0), "50.0 kPa / 1,000 mm/s"},
        {0, 100, 505, "100 ms / 50.5 kPa"},
        {1, 300, 12.34, "30.0 kPa / 12.3 mm"},
        {2, 7.5, 123.4, "7.50 % / 123 MPa"},
        {3, 1234, 5678, "123 kPa / 5,680 mm/s"},
    };
    for (const auto& r : readOuts)
        EXPECT_EQ(AbtReadOutText(r.page, r.x, r.y).toStdString(), r.text) << r.page;
}

} // namespace
