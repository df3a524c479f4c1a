// The pressure-drop test: two readings merged into one test string worked out
// by hand, the power law where it cannot be formed, and the diagram's window
// and pixels.
#include "CurveTestSupport.h"
#include "support/Bytes.h"

#include "curves/modPDRCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"

#include <cmath>

namespace {

std::string Finish(const std::string& first57)
{
    EXPECT_EQ(first57.size(), 57u) << first57;
    return first57 + DataStringChecksum(first57) + "\r\n";
}

const std::string Start = "\x1E" "KR 6404" "1234";   // positions 1-12

// A reading: its pressure (13-19), what the instrument sends at 20-26, the
// flow and its unit.
std::string Reading(const std::string& pressure7, const std::string& flow6, const std::string& unit)
{
    return Finish(Start + pressure7 + "    20)" + std::string(14, ' ') + " " + flow6 + unit + "       " + " 0");
}

// The style's expected string: pressures 100 and 200 Pa, nominal flow.
std::string ExpectedHeader(const std::string& nominal7 = "   200H")
{
    return Finish(Start + "   100?" + "   200?" + "       " + nominal7 + " " + "      ?" + "       " + " 0");
}

PropertyBlock BlockWith(const std::string& header)
{
    PropertyBlock block;
    block.Header = header;
    block.Values = {EmptyTestValue};
    return block;
}

// What the measurement keeps of a first half: no result 1, the flow as result 2.
void AddWaitingHalf(PropertyBlock& block, const std::string& merged, bool deleted = false)
{
    TestValue half = EmptyTestValue;
    half.Value1 = NoValue;
    half.Value2 = DataStringResult2(merged);
    half.Deleted = deleted;
    half.DataString = merged;
    block.Values.push_back(half);
}

class PdrTest : public CurveTest {};

TEST_F(PdrTest, TwoReadingsMakeOneTestWorkedOutByHand)
{
    for (const char* locale : {"en_US", "de_DE"}) {
        Pin(QString::fromLatin1(locale));
        PropertyBlock block = BlockWith(ExpectedHeader());
        const std::string h = block.Header;

        const std::string first = pdrMergeDataString(Reading("   100?", "   100", "H"), block);
        EXPECT_EQ(first, Finish(Start + "   100?" + "       " + "    20)" + "   200H" + " " + "      ?   100H" + " 0"));
        EXPECT_EQ(block.Header, h.substr(0, 47) + "?" + h.substr(48, 6) + "H" + h.substr(55));
        EXPECT_TRUE(pdrIsLastTestComplete(block));
        EXPECT_EQ(pdrCompleteDataString(first, block), first);
        AddWaitingHalf(block, first);
        EXPECT_FALSE(pdrIsLastTestComplete(block));

        const std::string second = pdrMergeDataString(Reading("   200?", "   150", "H"), block);
        EXPECT_EQ(second, Finish(Start + "   100?" + "   200?" + "    20)" + "   200H" + " " + "100   ?150   ?" + " 0"));
        const std::string done = pdrCompleteDataString(second, block);
        EXPECT_EQ(done, Finish(Start + "   100?" + "   200?" + "    20)" + "   200H" + " " + "327.05?0.5849 " + " 0"))
            << locale;
        EXPECT_EQ(block.Values.size(), 1u);
        EXPECT_EQ(block.Header, h.substr(0, 40) + std::string(7, ' ') + "?" + std::string(10, ' ') + "\r\n");

        const PdrPoint point = pdrFromDataString(ParseDataString(second));
        EXPECT_EQ(point, (PdrPoint{point.Exponent, 100, 100, 200, 200, "H"}));
        EXPECT_NEAR(point.Exponent, 0.5849625, 1e-6);
    }
}

TEST_F(PdrTest, ResultsThatCannotBeWrittenSoundlyAreLeftOut)
{
    const struct { const char* what; std::string p1, f1, p2, f2, nominal, expected; } rows[] = {
        {"equal pressures", "   100?", "   100", "   100?", "   150", "   200H", "      ?       "},
        {"equal flows", "   100?", "   100", "   200?", "   100", "   200H", "      ?0      "},
        // 9.331812E+22 Pa: cut to six characters it would read 9.33 Pa.
        {"exponent in the text", "   100?", "   100", "   200?", "   101", "   200H", "      ?0.0143 "},
        {"negative ratio", "   100?", "  -100", "   200?", "   150", "   200H", "      ?       "},
        {"beyond the float range", "   100?", "   100", "   200?", "100.01", "  1000H", "      ?0.0001 "},
        {"nominal 0", "   100?", "   100", "   200?", "   150", "     0H", "      ?0.5849 "},
    };
    for (const auto& row : rows) {
        PropertyBlock block = BlockWith(ExpectedHeader(row.nominal));
        AddWaitingHalf(block, pdrMergeDataString(Reading(row.p1, row.f1, "H"), block));
        const std::string done = pdrCompleteDataString(pdrMergeDataString(Reading(row.p2, row.f2, "H"), block), block);
        EXPECT_EQ(done.substr(41, 14), row.expected) << row.what;
        EXPECT_TRUE(IsValidDataString(done)) << row.what;
    }
}

TEST_F(PdrTest, FlowsInOtherUnitsAndTheSecondSlot)
{
    // A first reading at the second pressure sits in slot 2; the results
    // come out ordered by pressure, converted to mm/s and cut, not rounded.
    PropertyBlock block = BlockWith(ExpectedHeader());
    const std::string first = pdrMergeDataString(Reading("   200?", "    10", "Z"), block);
    EXPECT_EQ(first.substr(12, 14), "       " "   200?");
    AddWaitingHalf(block, first);
    const std::string second = pdrMergeDataString(Reading("   100?", "  12.3", "Y"), block);
    EXPECT_EQ(second.substr(12, 14), "   100?   200?");
    EXPECT_EQ(second.substr(41, 14), "3.4193?50.799?");

    // A deleted waiting half waits no more: the next reading starts a test.
    PropertyBlock deleted = BlockWith(ExpectedHeader());
    AddWaitingHalf(deleted, first, true);
    EXPECT_TRUE(pdrIsLastTestComplete(deleted));
    EXPECT_EQ(pdrMergeDataString(Reading("   100?", "   100", "H"), deleted).substr(41, 14), "      ?   100H");

    // A completed test without its pressure drop keeps the exponent with
    // the blank unit: it waits for nothing.
    const struct { float v1, v2; bool deleted; bool complete; std::string unit2 = "H"; } lasts[] = {
        {NoValue, 100, false, false}, {NoValue, 100, true, true}, {327, 0.58f, false, true},
        {NoValue, NoValue, false, true}, {5, NoValue, false, true}, {NoValue, 0.0143f, false, true, " "},
    };
    for (const auto& row : lasts) {
        PropertyBlock b = BlockWith("");
        TestValue t = EmptyTestValue;
        t.Value1 = row.v1;
        t.Value2 = row.v2;
        t.Unit2 = row.unit2;
        t.Deleted = row.deleted;
        b.Values.push_back(t);
        EXPECT_EQ(pdrIsLastTestComplete(b), row.complete) << row.v1 << " " << row.v2;
    }
    EXPECT_TRUE(pdrIsLastTestComplete(PropertyBlock{}));
    EXPECT_TRUE(pdrIsLastTestComplete(BlockWith("")));
}

TEST_F(PdrTest, ShortStringsReadAsBlanks)
{
    PropertyBlock block = BlockWith("");
    const std::string first = pdrMergeDataString("\x1E" "KR", block);
    EXPECT_EQ(first.size(), 60u);
    AddWaitingHalf(block, Finish(Start + std::string(29, ' ') + "      ?   100H" + " 0"));
    const std::string done = pdrCompleteDataString(pdrMergeDataString("", block), block);
    EXPECT_EQ(done.size(), 60u);
    EXPECT_EQ(ParseDataString(done).Result, NoValue);
    EXPECT_EQ(ParseDataString(done).Result2, NoValue);
}

TEST(PdrPowerLaw, DegenerateInputsGiveNoValue)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct { float r1, p1, r2, p2, n; } exponents[] = {
        {100, 100, 150, 200, 0.5849625f}, {100, 100, 100, 200, 0}, {0, 100, 150, 200, NoValue},
        {100, 100, 150, 100, NoValue},    {-100, 100, 150, 200, NoValue}, {100, -100, 150, 200, NoValue},
        {NoValue, 100, NoValue, 200, NoValue}, {100, 100, inf, 200, NoValue},
    };
    for (const auto& row : exponents)
        EXPECT_NEAR(pdrPowerLawExponent(row.r1, row.p1, row.r2, row.p2), row.n, 1e-6) << row.r1 << " " << row.r2;

    const struct { float r1, p1, n, r, value; } values[] = {
        {100, 100, 0.5849625f, 200, 327.05f}, {100, 100, 0, 200, NoValue}, {0, 100, 0.5f, 200, NoValue},
        {100, 100, NoValue, 200, NoValue},      {100, 100, 0.5f, -200, NoValue}, {100, 100, 0.001f, 200, NoValue},
    };
    for (const auto& row : values)
        EXPECT_NEAR(pdrPowerLawValue(row.r1, row.p1, row.n, row.r), row.value, 0.001) << row.n << " " << row.r;

    const struct { const char* code; float factor; } factors[] = {
        {"I", 10}, {"W", 10}, {"J", 1000}, {"R", 15.24f}, {"S", 5.08f}, {"Z", 5.08f}, {"T", 400},
        {"V", 1.67f}, {"X", 16.7f}, {"Y", 0.278f}, {"H", 1}, {"", 1}, {"Iz", 10},
    };
    for (const auto& row : factors)
        EXPECT_EQ(pdrUnitFactor(row.code), row.factor) << row.code;
}

TEST_F(PdrTest, NumbersAndUnitsOfAParsedString)
{
    Pin(QStringLiteral("de_DE"));
    PropertyBlock block = BlockWith(ExpectedHeader("  12.5I"));
    AddWaitingHalf(block, pdrMergeDataString(Reading("   100?", "   100", "H"), block));
    const PdrPoint point = pdrFromDataString(ParseDataString(pdrMergeDataString(Reading("   200?", "   150", "H"), block)));
    EXPECT_EQ(point.P4, 12.5f);
    EXPECT_EQ(point.Unit, "I");
    EXPECT_EQ(pdrUnitText(point), "cm/s");
    EXPECT_EQ(pdrPressureUnit(), "Pa");
}

PdrPoint Point(float n, float p4, const char* unit = "H")
{
    return PdrPoint{n, 100, 100, 200, p4, unit};
}

TEST(PdrDiagram, WindowsOnTheGrid)
{
    const struct { const char* what; PdrPoint point; PlotWindow requested; PlotWindow expected; } rows[] = {
        {"nominal 100", Point(1, 100), {}, {10, 5, 1000, 1000}},
        {"nominal 30", Point(1, 30), {}, {2, 1, 500, 500}},
        {"requested x2 700", Point(1, 100), {0, 0, 700, 0}, {10, 5, 1000, 1000}},
        {"requested y2", Point(1, 100), {0, 0, 0, 777}, {10, 5, 1000, 777}},
        {"computed y2 on the grid", Point(1, 100), {0, 0, 10, 0}, {10, 5, 10, 10}},
        {"cm/s", Point(1, 10, "I"), {}, {1, 5, 100, 1000}},
        {"no exponent", Point(NoValue, 100), {}, {10, 0, 1000, 0}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pdrComputeCurve(row.point, row.requested), row.expected) << row.what;
    EXPECT_TRUE(pdrIsUsableCurve(Point(1, 100), pdrComputeCurve(Point(1, 100), {})));
    for (const PdrPoint& p : {Point(1, 0), Point(NoValue, 100), Point(0, 100)})
        EXPECT_FALSE(pdrIsUsableCurve(p, pdrComputeCurve(p, {}))) << p.Exponent << " " << p.P4;
}

TEST(PdrDiagram, PointsLawAndNominalInTheirColours)
{
    const PdrPoint point = Point(0.5849625f, 200);
    const PlotWindow w = pdrComputeCurve(point, {});
    ASSERT_EQ(w, (PlotWindow{20, 5, 2000, 20000}));
    DrawingSurface picture(300, 600);
    pdrDrawCurve(point, w, picture);
    auto near = [&](double x, double y, int32_t colour) {
        return CountPixels(picture, std::log(x) - 0.03, std::log(y) - 0.03, std::log(x) + 0.03, std::log(y) + 0.03, colour);
    };
    // The measured points are dots 5 pixels across on the 1-pixel law.
    EXPECT_GT(near(100, 100, vbBlack), 12);
    EXPECT_GT(near(150, 200, vbBlack), 12);
    EXPECT_LT(near(300, 100 * std::pow(3, 1 / 0.5849625), vbBlack), 10);
    EXPECT_GT(near(200, 50, 32768), 0);       // the nominal flow
    EXPECT_EQ(near(150, 50, 32768), 0);
    EXPECT_GT(near(1000, 100 * std::pow(10, 1 / 0.5849625), vbBlack), 0);   // the fitted law
    EXPECT_GT(near(100, 15, 8421504), 0);     // grid line at 100

    // Nothing that cannot be drawn on logarithmic axes, and no hang.
    const PdrPoint blank[] = {Point(0.58f, 0), Point(NoValue, 200), Point(0, 200), PdrPoint{0.58f, -5, 100, 200, 200, "H"},
                              PdrPoint{0.58f, 100, 0, 200, 200, "H"}};
    for (const PdrPoint& p : blank) {
        DrawingSurface empty(300, 300);
        pdrDrawCurve(p, pdrComputeCurve(p, {}), empty);
        EXPECT_EQ(InkedPixels(empty), 0) << p.Exponent << " " << p.Result << " " << p.P4;
        pdrDrawCurve(p, w, empty);   // not even in a window that could be scaled
        EXPECT_EQ(InkedPixels(empty), 0) << p.Exponent << " " << p.Result << " " << p.P4;
    }
}

} // namespace
