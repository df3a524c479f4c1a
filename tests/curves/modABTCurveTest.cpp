// The airbag-fabric curve: raw lines and file bytes laid out by hand, the
// file where it fails, pulses evaluated by hand, pages checked by pixels.
#include "CurveTestSupport.h"
#include "support/AirbagCurves.h"
#include "support/Bytes.h"

#include "curves/modABTCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "platform/OleDate.h"
#include "storage/modDisk.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <functional>

using namespace std::string_literals;

namespace {

const float Inf = std::numeric_limits<float>::infinity();

// 128 data bytes as the block transfer stores them: above 128 as marker 1 and
// code b - 128, else marker 0 and code b; with splitAt128 also 128 as 1 and 0.
std::string RawLine(const std::string& bytes, bool splitAt128 = false)
{
    std::string markers;
    std::string codes;
    for (const char c : bytes) {
        const int b = static_cast<unsigned char>(c);
        const bool split = b > 128 || (b == 128 && splitAt128);
        markers.push_back(static_cast<char>(split ? 1 : 0));
        codes.push_back(static_cast<char>(split ? b - 128 : b));
    }
    return markers + codes;
}

// The instrument's older 41-character reading: volume 400 at 12-15.
const std::string OldReading = "\x1E" "66" " 1234" "xx" " " " 400" " 500" "1500" " 123.4" " " "0.512" "1" "B12" "\r\n";

struct Transfer {
    int16_t f1 = 1;
    int16_t f2 = 1;
    std::array<std::array<int16_t, AbtSampleCount>, 3> words{};   // P1, P2, S
};

void PutWord(std::string& bytes, int lowByte, int16_t word)
{
    bytes[static_cast<std::size_t>(lowByte - 1)] = static_cast<char>(static_cast<uint16_t>(word) & 0xFF);
    bytes[static_cast<std::size_t>(lowByte)] = static_cast<char>(static_cast<uint16_t>(word) >> 8);
}

AbtRawLines Encode(const Transfer& t, bool splitAt128 = false)
{
    AbtRawLines raw;
    std::string first(128, '\0');
    first.replace(0, OldReading.size(), OldReading);
    PutWord(first, 52, t.f1);
    PutWord(first, 54, t.f2);
    raw.Lines[0] = RawLine(first, splitAt128);
    for (int line = 1; line <= 24; ++line) {
        std::string bytes(128, '\0');
        for (int k = 1; k <= 64; ++k)
            PutWord(bytes, 2 * k - 1, t.words[(line - 1) / 8][((line - 1) % 8) * 64 + k - 1]);
        raw.Lines[line] = RawLine(bytes, splitAt128);
    }
    raw.Lines[25] = RawLine(std::string(128, '\0'));
    return raw;
}

TEST(AbtRawData, DecodeWord)
{
    // 65535 is -1; 32768 and a low byte of 128 come as marker + 0 or as code 128.
    const struct { std::string chars; int16_t word; } rows[] = {
        {"\0\0\0\x01"s, 1}, {"\0\0\x01\x02"s, 258}, {"\x01\x01\x7F\x7F"s, -1}, {"\x01\0\0\0"s, -32768},
        {"\0\0\x80\0"s, -32768}, {"\0\x01\0\0"s, 128}, {"\0\0\0\x80"s, 128}, {"\0\0\x7F\x7F"s, 32639}, {"", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(abtDecodeWord(row.chars), row.word) << ToHex(row.chars);
}

TEST(AbtRawData, DecodesTheLayoutWorkedOutByHand)
{
    Transfer t;
    t.f1 = 3;
    t.f2 = -1;   // sent as 65535
    // P1: line 1 word 1, a low and a high byte of 128, line 8 word 64;
    // P2: line 13 word 45; S: line 17 word 1, line 18 word 1.
    const struct { int channel, i; int16_t word; float value; } samples[] = {
        {0, 0, 150, 30}, {0, 5, 128, 25.6f}, {0, 6, -32768, -6553.6f}, {0, 511, 15, 3}, {0, 1, 0, 0},
        {1, 300, -30, 2}, {2, 0, 7895, 1}, {2, 64, -7895, -1},
    };
    for (const auto& s : samples)
        t.words[s.channel][s.i] = s.word;
    for (const bool split : {false, true}) {
        const ABTCurve c = abtParseRawData(Encode(t, split));
        EXPECT_TRUE(IsValidDataString(c.Header));
        EXPECT_EQ(c.Header.substr(1, 7) + c.Header.substr(12, 6), "KR 6450   400");
        EXPECT_EQ(c.Factor1, 3);
        EXPECT_EQ(c.Factor2, -1);
        const std::array<float, AbtSampleCount>* channels[] = {&c.P1, &c.P2, &c.S};
        for (const auto& s : samples)
            EXPECT_FLOAT_EQ((*channels[s.channel])[s.i], s.value) << s.channel << " " << s.i;
    }

    // Line 25 is not read; a factor of 0 makes the whole channel 0.
    AbtRawLines raw = Encode(t);
    const ABTCurve reference = abtParseRawData(raw);
    raw.Lines[25] = std::string(256, '\x7F');
    EXPECT_EQ(abtParseRawData(raw), reference);
    t.f1 = 0;
    const ABTCurve zero = abtParseRawData(Encode(t));
    EXPECT_TRUE(std::all_of(zero.P1.begin(), zero.P1.end(), [](float v) { return v == 0.0f; }));
}

TEST_F(CurveTest, TransferEndedEarlyGivesTheEmptyCurveAndOneLogLine)
{
    EXPECT_TRUE(abtIsEmptyCurve(abtParseRawData(AbtRawLines())));
    const AbtRawLines full = Encode(Transfer());
    AbtRawLines afterBlock10 = full;
    for (int k = 10; k <= 25; ++k)
        afterBlock10.Lines[k].clear();
    AbtRawLines shortLine = full;
    shortLine.Lines[3].pop_back();
    AbtRawLines longLine = full;
    longLine.Lines[24].push_back('\0');
    int logged = 0;
    for (const AbtRawLines& raw : {afterBlock10, shortLine, longLine}) {
        EXPECT_FALSE(abtIsEmptyRawData(raw));
        EXPECT_TRUE(abtIsEmptyCurve(abtParseRawData(raw)));
        EXPECT_EQ(LogLinesOf(QStringLiteral("abtParseRawData")), ++logged);
    }

    // Emptiness compares samples "neither less nor greater": NaN counts as missing.
    ABTCurve curve = EmptyABTCurve;
    curve.S[17] = std::nanf("");
    EXPECT_TRUE(abtIsEmptyCurve(curve));
    curve.P2[3] = 0;
    EXPECT_FALSE(abtIsEmptyCurve(curve));
    curve = EmptyABTCurve;
    curve.Factor2 = 0;
    EXPECT_FALSE(abtIsEmptyCurve(curve));
}

const QString StampName = QStringLiteral("2024.01.05, 13.07.09.ABT");
double Stamp() { return DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9); }

ABTCurve SampleCurve(std::string header = std::string(58, 'H') + "\r\n")
{
    ABTCurve c = ZeroCurve(std::move(header));
    std::tie(c.Factor1, c.Factor2, c.P1[0], c.P1[511], c.P2[0], c.S[0], c.S[511]) =
        std::tuple(int16_t(0x0102), int16_t(-2), 1.5f, NoValue, -0.25f, 2.0f, 0.5f);
    return c;
}

TEST_F(CurveTest, CurveFileNeverReplacesANameInAnyCase)
{
    WriteBytes(Data + QStringLiteral("/2024.01.05, 13.07.10.aBt"), "not a curve");
    ASSERT_EQ(abtFilePut(SampleCurve(), Stamp()), StampName);
    EXPECT_EQ(abtFilePut(SampleCurve(), Stamp()), "2024.01.05, 13.07.11.ABT");
    EXPECT_EQ(ReadBytes(Data + QStringLiteral("/2024.01.05, 13.07.10.aBt")), "not a curve");

    // An hour of taken names, then no name at all.
    QTemporaryDir full;
    DataFolder = full.path();
    for (int s = 0; s < 3600; ++s)
        WriteBytes(full.filePath(dskFileNameFromDate(Stamp() + s / 86400.0, QStringLiteral("ABT"))), "");
    EXPECT_EQ(abtFilePut(SampleCurve(), Stamp()), "2024.01.05, 14.07.09.ABT");
    EXPECT_EQ(LogLinesOf(QStringLiteral("abtFilePut")), 0);
    EXPECT_EQ(abtFilePut(SampleCurve(), Stamp()), "");
    EXPECT_EQ(LogLinesOf(QStringLiteral("abtFilePut")), 1);

    // A data folder that is gone: the program folder, and the setting follows.
    DataFolder = Temp.path() + QStringLiteral("/gone");
    EXPECT_EQ(abtFilePut(SampleCurve(), Stamp()), StampName);
    EXPECT_EQ(DataFolder, Program);
    EXPECT_TRUE(abtIsAirbagFile(Program, StampName));
}

AbtEvaluation Evaluated(const ABTCurve& c, AbtOptions o = {}, bool flow = false)
{
    AbtEvaluation e{};
    abtEvaluatePulse(c, e, o);
    if (flow)
        abtCalcFlow(c, e, o);
    return e;
}

TEST_F(CurveTest, PulseWorkedOutByHand)
{
    // Volume = k * P2 + 32.5 * S + 101, k by V0 and form factor.
    const struct { const char* v0; int16_t formFactor; float volume; } volumes[] = {
        {"   500", 0, 107}, {"   700", 0, 105}, {"  1200", 0, 105}, {"  1201", 0, 104}, {"   500", 10, 127}, {"   abc", 0, 107},
    };
    for (const auto& row : volumes) {
        ABTCurve c = ZeroCurve(HeaderWithVolume(row.v0));
        c.P2.fill(1000);
        c.S[7] = 1;
        const AbtEvaluation e = Evaluated(c, AbtOptions{0, 0, row.formFactor, 0});
        EXPECT_NEAR(e.Volume[0], row.volume, 1e-4) << row.v0 << " " << row.formFactor;
        EXPECT_NEAR(e.Volume[7], row.volume + 32.5f, 1e-4);
    }

    // Starts above 15 (at 15.01, not 15); the earlier of two equal peaks;
    // ends at 15 % of the peak, or not by 500 ms; a flat curve never starts.
    ABTCurve c = ZeroCurve();
    c.P2[10] = 15;
    for (int i = 11; i <= 500; ++i)
        c.P2[i] = i < 50 ? 15.01f + 10 * (i - 11) : i <= 60 ? 400 : 100;
    c.S[50] = 3;
    c.P2[120] = 60;
    c.P2[492] = 7;
    using Pulse = std::tuple<int, int, float, float, int, float>;
    auto pulse = [](const AbtEvaluation& e) {
        return Pulse(e.StartIndex, e.PeakIndex, e.PeakPressure, e.PeakHeight, e.FallTime, e.EndPressure);
    };
    EXPECT_EQ(pulse(Evaluated(c)), Pulse(11, 50, 400, 3, 70, 7));
    c.P2[120] = 61;
    c.P2[492] = 100;
    EXPECT_EQ(Evaluated(c).FallTime, -32768);
    EXPECT_EQ(pulse(Evaluated(ZeroCurve())), Pulse(0, 0, 0, 0, -32768, 0));
}

TEST_F(CurveTest, FlowFromTheGasBalance)
{
    // Flows of the support's pulse (V0 500 cm³), worked out apart from the code
    // by a short script that follows the gas balance step by step in single
    // precision; the constants 100.24 and 0.010024 and the temperature passes
    // each move them by more than the tolerance.
    const ABTCurve pulse = AirbagPulse();
    const AbtEvaluation e = Evaluated(pulse, {}, true);
    const struct { int i; double flow; } flows[] = {
        {5, 4223.134}, {41, 1687.839}, {100, 425.5837}, {300, 53.93037}, {450, 25.16017}};
    for (const auto& row : flows)
        EXPECT_NEAR(e.Flow[row.i], row.flow, row.flow * 1e-4) << row.i;
    EXPECT_EQ(std::pair(e.Flow[0], e.Flow[500]), std::pair(0.0f, 0.0f));

    // No reservoir volume: no flow, no fault; pressure and bulge pages draw.
    for (const char* v0 : {"      ", "   abc", "     0", "    -5"}) {
        ABTCurve c = pulse;
        c.Header = HeaderWithVolume(v0);
        AbtEvaluation none = Evaluated(c, {}, true);
        abtSmoothCurve(none, AbtOptions{0, 0, 0, 8});
        EXPECT_TRUE(std::all_of(none.Flow.begin() + 1, none.Flow.begin() + 500, [](float f) { return f == NoValue; }));
        EXPECT_EQ(none.MaxFlow, 0) << v0;
        for (int page = 0; page <= 1; ++page) {
            DrawingSurface picture(100, 100);
            abtDrawCurve(c, none, AbtOptions{}, abtPlotWindow({}, none, page), page, false, picture);
            EXPECT_GT(InkedPixels(picture), 0) << v0 << " page " << page;
        }
    }

    // A missing sample: no flow where it is needed, and the balance goes on
    // from its last good state.
    ABTCurve gap = pulse;
    gap.P1[200] = std::nanf("");
    const AbtEvaluation g = Evaluated(gap, {}, true);
    EXPECT_EQ(std::pair(g.Flow[199], g.Flow[201]), std::pair(NoValue, NoValue));
    EXPECT_NEAR(g.Flow[202], e.Flow[202], 0.2);
}

TEST(AbtEvaluation, TriangularSmoothing)
{
    AbtEvaluation e{};
    e.Flow[100] = 5;
    abtSmoothCurve(e, AbtOptions{0, 0, 0, 4});
    const struct { int i; float v; } rows[] = {{95, 0}, {96, 0.2f}, {99, 0.8f}, {100, 1}, {101, 0.8f}, {104, 0.2f}, {105, 0}};
    for (const auto& row : rows)
        EXPECT_NEAR(e.SmoothedFlow[row.i], row.v, 1e-6) << row.i;
    EXPECT_FLOAT_EQ(e.MaxFlow, 1);

    // A flow that could not be computed spoils only the windows holding it.
    e.Flow[200] = NoValue;
    e.Flow[300] = 7;
    abtSmoothCurve(e, AbtOptions{0, 0, 0, 8});
    EXPECT_EQ(std::tuple(e.FitFlow[191], e.FitFlow[192], e.FitFlow[208]), std::tuple(0.0f, NoValue, NoValue));
    EXPECT_FLOAT_EQ(e.MaxFlow, 7.0f / 9);
}

// A pulse to the peak at 80 ms, falling back to 0 at 480 ms, with FitFlow =
// 100 * sqrt(P2) after the peak; `change` makes a variant of it.
struct FitCase {
    ABTCurve curve = ZeroCurve();
    AbtEvaluation eval{};
};

FitCase FallingPulse(float peak = 800, const std::function<void(FitCase&)>& change = {})
{
    FitCase f;
    for (int i = 0; i <= 500; ++i)
        f.curve.P2[i] = i <= 80 ? peak * i / 80 : std::max(0.0f, peak - peak / 400 * (i - 80));
    f.eval = Evaluated(f.curve);
    for (int i = 81; i <= 492; ++i)
        f.eval.FitFlow[i] = 100 * std::sqrt(f.curve.P2[i]);
    if (change)
        change(f);
    return f;
}

TEST_F(CurveTest, PowerLawFitAndADAP)
{
    auto fit = [](FitCase f, int16_t lo, int16_t hi) {
        const AbtOptions o{lo, hi, 0, 0};
        abtFitPowerLaw(f.curve, f.eval, o);
        abt_6_CalcADAP(f.eval, o);
        return f.eval;
    };
    const AbtEvaluation e = fit(FallingPulse(), 200, 600);
    EXPECT_NEAR(e.Exponent, 0.5, 0.0005);
    EXPECT_NEAR(e.Factor, 100, 0.1);
    EXPECT_NEAR(e.ADAP, 1978.1, 2);   // 100 x (600^1.5 - 200^1.5) / (1.5 x 400)

    const struct { const char* what; FitCase f; int16_t lo, hi; bool fitted; } rows[] = {
        {"limits 40 apart", FallingPulse(), 100, 140, false},
        {"limits 50 apart", FallingPulse(), 100, 150, true},
        {"end pressure at the lower limit", FallingPulse(800, [](FitCase& f) { f.eval.EndPressure = 200; }), 200, 600, true},
        {"end pressure above it", FallingPulse(800, [](FitCase& f) { f.eval.EndPressure = 201; }), 200, 600, false},
        {"no flow at the lower limit", FallingPulse(800, [](FitCase& f) {
             for (int i = 81; i <= 492; ++i)
                 if (f.curve.P2[i] <= 250)
                     f.eval.FitFlow[i] = 0;
         }), 200, 600, false},
        {"negative flows", FallingPulse(800, [](FitCase& f) {
             for (float& v : f.eval.FitFlow)
                 v = -v;
         }), 200, 600, false},
        {"upper limit never passed after the peak", FallingPulse(800, [](FitCase& f) {
             for (int i = 81; i <= 500; ++i)
                 f.curve.P2[i] = std::min(f.curve.P2[i], 500.0f);
         }), 200, 600, false},
        {"upper limit beyond the table", FallingPulse(1600), 200, 1010, false},
        {"lower limit 0", FallingPulse(), 0, 600, false},
        {"no reservoir volume", FallingPulse(800, [](FitCase& f) {
             f.curve.Header = HeaderWithVolume("     0");
             abtCalcFlow(f.curve, f.eval, AbtOptions{});
             abtSmoothCurve(f.eval, AbtOptions{0, 0, 0, 8});
         }), 200, 600, false},
    };
    for (const auto& row : rows) {
        const AbtEvaluation r = fit(row.f, row.lo, row.hi);
        EXPECT_EQ(std::tuple(r.Exponent != NoValue, r.Factor != NoValue, r.ADAP != NoValue),
                  std::tuple(row.fitted, row.fitted, row.fitted))
            << row.what;
    }
}

TEST_F(CurveTest, StrainAndStress)
{
    EXPECT_NEAR(abtBiaxialEpsilon(4), 45.16, 0.005);
    EXPECT_NEAR(abtBiaxialSigma(100, 0.4f, 4), 4.0, 1e-5);
    // A resting sensor reads slightly negative: no value, and no log line.
    for (const float s : {0.0f, -0.1f, NoValue, std::nanf("")})
        EXPECT_EQ(std::pair(abtBiaxialEpsilon(s), abtBiaxialSigma(100, 0.4f, s)), std::pair(NoValue, NoValue)) << s;
    EXPECT_EQ(LogLinesOf(QString()), 0);
    EXPECT_EQ(abtBiaxialSigma(100, 0, 4), NoValue);
    EXPECT_EQ(LogLinesOf(QStringLiteral("abtBiaxialSigma")), 1);
}

TEST(AbtPages, WindowsStepsAndUnits)
{
    AbtEvaluation e{};
    e.PeakPressure = 240;
    e.PeakHeight = 1.1f;
    e.MaxFlow = 470;
    const struct { int page; PlotWindow requested; int fraction; PlotWindow expected; } rows[] = {
        {0, {}, 0, {0, 0, 500, 250}},          {0, {0, 0, 0, 30}, 0, {0, 0, 500, 300}},
        {1, {}, 0, {0, 0, 250, 12}},           {1, {0, 0, 30, 0}, 0, {0, 0, 300, 12}},
        {2, {0, 0, 7, 9}, 0, {0, 0, 7, 9}},    {3, {}, 0, {0, 0, 250, 500}},
        {3, {0, 0, 30, 0}, 0, {0, 0, 300, 500}}, {4, {0, 0, 40, 0}, 20, {40, 25, 400, 500}},
        {4, {0, 0, 40, 0}, 0, {40, 0, 400, 500}}, {7, {1, 2, 3, 4}, 0, {1, 2, 3, 4}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(abtPlotWindow(row.requested, e, row.page, 0.4f, row.fraction), row.expected) << row.page;

    // "Auto" from nothing stays 0, and such a window is not used.
    AbtEvaluation flat{};
    for (int page = 0; page <= 4; ++page)
        EXPECT_FALSE(abtIsUsableWindow(abtPlotWindow({}, flat, page, 0.4f, 20), page)) << page;
    flat.PeakHeight = NoValue;
    EXPECT_EQ(abtPlotWindow({}, flat, 2, 0.4f), PlotWindow{});
    EXPECT_TRUE(abtIsUsableWindow({0, 0, 500, 250}, 0));
    EXPECT_FALSE(abtIsUsableWindow({0, 0, 500, 250}, 4));

    const struct { float maximum; float step; } steps[] = {
        {300, 50}, {0.5f, 0.05f}, {1.2f, 0.2f}, {2.5f, 0.5f}, {4, 0.5f}, {80, 10}, {25000, 5000}, {7, 0.7f}, {0, 0},
    };
    for (const auto& row : steps)
        EXPECT_FLOAT_EQ(abtGridStep(row.maximum), row.step) << row.maximum;

    // The units of both axes; a page beyond the five has none.
    const char* const units[][2] = {{"ms", "kPa"}, {"kPa", "mm"}, {"%", "MPa"}, {"kPa", "mm/s"}, {"kPa", "mm/s"}, {"", ""}};
    const int16_t saved = Language;
    Language = 2;
    for (int page = 0; page <= 5; ++page)
        EXPECT_EQ(abtXAxisUnit(page) + u'|' + abtYAxisUnit(page), QString::fromUtf8(units[page][0]) + u'|' + units[page][1]);
    Language = saved;
}

TEST(AbtPages, SmoothingShortensTheCurves)
{
    ABTCurve c = ZeroCurve();
    c.P1.fill(NoValue);
    c.S.fill(NoValue);
    c.P2.fill(100);
    DrawingSurface picture(1001, 301);
    abtDrawCurve(c, AbtEvaluation{}, AbtOptions{0, 0, 0, 4}, {0, 0, 500, 300}, 0, false, picture);
    // Segments 5 to 496 join samples 4 to 496.
    const struct { double from, to; bool drawn; } spans[] = {{0, 3.6, false}, {4.6, 6, true}, {494, 495.4, true}, {496.6, 500, false}};
    for (const auto& s : spans)
        EXPECT_EQ(CountPixels(picture, s.from, 80, s.to, 120, vbBlack) > 0, s.drawn) << s.from;
    EXPECT_GT(CountPixels(picture, 0, 0, 3.6, 300, 8421504), 0);   // the grid is there
}

TEST(AbtPages, MissingValuesLeaveGapsNotLinesToTheEdge)
{
    // Page 2: strain 14 % to 45 %, stress 3 to 4 MPa, and one resting sample.
    ABTCurve c = ZeroCurve();
    for (int i = 0; i < AbtSampleCount; ++i) {
        c.S[i] = 2 + i / 250.0f;
        c.P2[i] = 100;
    }
    c.S[250] = -0.1f;
    DrawingSurface strain(400, 400);
    abtDrawCurve(c, AbtEvaluation{}, AbtOptions{}, {0, 0, 50, 8}, 2, false, strain, 0.4f);
    EXPECT_GT(CountPixels(strain, 14, 2, 50, 8), 0);
    EXPECT_EQ(CountPixels(strain, 0, 0, 12, 2.5), 0);

    // Page 4: a flow of 0 has no logarithm.
    AbtEvaluation e{};
    for (int i = 0; i < AbtSampleCount; ++i) {
        c.P2[i] = 100 + i / 2.0f;
        e.SmoothedFlow[i] = 100;
    }
    e.SmoothedFlow[300] = 0;
    DrawingSurface logarithmic(400, 400);
    abtDrawCurve(c, e, AbtOptions{}, {40, 10, 400, 200}, 4, false, logarithmic);
    EXPECT_GT(CountPixels(logarithmic, std::log(110.0), std::log(90.0), std::log(300.0), std::log(110.0)), 0);
    EXPECT_EQ(CountPixels(logarithmic, std::log(40.0), std::log(10.0), std::log(95.0), std::log(50.0)), 0);

    // Page 3: the computed law only when there is one.
    e.Factor = 10;
    for (const float exponent : {NoValue, 0.5f}) {
        e.Exponent = exponent;
        DrawingSurface flow(300, 300);
        abtDrawCurve(ZeroCurve(), e, AbtOptions{}, {0, 0, 1000, 400}, 3, true, flow);
        EXPECT_EQ(CountPixels(flow, 0, 0, 1000, 400, vbGreen) > 0, exponent != NoValue);
    }
}

// A hang here shows as the test's time-out.
TEST(AbtPages, FlatEmptyAndUncomputableCurvesDrawNothingAndReturn)
{
    ABTCurve noFlow = ZeroCurve();
    for (int i = 0; i <= 500; ++i)
        noFlow.P2[i] = i < 250 ? 2.0f * i : 500.0f;   // the chamber fills, nothing flows out
    ABTCurve noVolume = noFlow;
    noVolume.Header = HeaderWithVolume("     0");
    for (const ABTCurve& c : {ZeroCurve(), noVolume, noFlow, EmptyABTCurve}) {
        const AbtOptions o{100, 400, 0, 8};
        AbtEvaluation e = Evaluated(c, o, true);
        abtSmoothCurve(e, o);
        for (int page = 2; page <= 4; ++page) {
            DrawingSurface picture(200, 150);
            abtDrawCurve(c, e, o, abtPlotWindow({}, e, page, 0.4f, 20), page, true, picture, 0.4f, 20);
            EXPECT_EQ(InkedPixels(picture), 0) << page;
        }
    }
    // Windows that would scale but cannot be used: a missing or inverted axis.
    for (const PlotWindow& w : {PlotWindow{0, 0, 500, NoValue}, PlotWindow{0, 0, -500, 300}, PlotWindow{40, 10, 400, NoValue}}) {
        DrawingSurface picture(200, 150);
        abtDrawCurve(noFlow, AbtEvaluation{}, AbtOptions{}, w, w.x1 > 0 ? 4 : 0, false, picture);
        EXPECT_EQ(InkedPixels(picture), 0) << w.x2 << " " << w.y2;
    }
    DrawingSurface picture(200, 150);
    for (const PlotWindow& w : {PlotWindow{}, PlotWindow{0, 0, Inf, 1e30f}})
        abtDrawAxes(w, 3, picture);
    EXPECT_EQ(InkedPixels(picture), 0);
}

} // namespace
