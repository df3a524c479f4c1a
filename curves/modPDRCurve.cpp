#include "curves/modPDRCurve.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"
#include "platform/DrawingSurface.h"
#include "platform/Text.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int FieldWidth = 6;
constexpr int32_t Grey = 8421504;
constexpr int32_t DarkGreen = 32768;
const std::string SixBlanks(FieldWidth, ' ');

// Characters a to b (from 1) of the text; those beyond its end are blanks.
std::string Chars(const std::string& text, int a, int b)
{
    std::string out;
    for (int i = a; i <= b; ++i)
        out.push_back(static_cast<std::size_t>(i) <= text.size() ? text[static_cast<std::size_t>(i - 1)] : ' ');
    return out;
}

// The number at the start of a field, "." as decimal point; 0 for none.
double Num(const std::string& field) { return Val(field); }

// A number's text in a six-character field. Cutting may drop only digits
// behind the point: a cut integer digit or exponent would store a wrong
// value (9.331812E+22 as "9.3318"), so such a number is left out (six blanks,
// read back as no value).
std::string FieldText(const QString& text)
{
    std::string t = text.toStdString();
    for (char& c : t)
        if (c == ',')
            c = '.';
    if (t.empty() || t.find_first_not_of("+-.0123456789") != std::string::npos)
        return SixBlanks;
    if (t.size() <= FieldWidth)
        return t + std::string(FieldWidth - t.size(), ' ');
    const std::size_t point = t.find('.');
    if (point == std::string::npos || point > FieldWidth)
        return SixBlanks;
    return t.substr(0, FieldWidth);
}

// A converted flow (a number of double precision).
std::string FlowField(double value)
{
    return std::isfinite(value) ? FieldText(CStr(value)) : SixBlanks;
}

// A computed result (single precision); six blanks for no value.
std::string ResultField(float value)
{
    return IsPresentValue(value) ? FieldText(CStr(value)) : SixBlanks;
}

std::string Finish(std::string out)
{
    out += DataStringChecksum(out);
    out += "\r\n";
    return out;
}

// The grid values 1, 2 and 5 times the powers of ten from 0.00001 to 1,000,000.
const std::array<float, 34>& GridValues()
{
    static const std::array<float, 34> values = [] {
        std::array<float, 34> g{};
        int k = 0;
        for (int e = -5; e <= 5; ++e)
            for (const double m : {1.0, 2.0, 5.0})
                g[k++] = static_cast<float>(m * std::pow(10.0, e));
        g[k] = 1000000.0f;
        return g;
    }();
    return values;
}

bool Present(float v) { return IsPresentValue(v); }

double LogOf(double value)
{
    return std::isfinite(value) && value > 0 ? std::log(value) : std::numeric_limits<double>::quiet_NaN();
}

// The fitted pressure at a flow x in the unit of the nominal flow.
float FittedPressure(const PdrPoint& point, double x)
{
    return pdrPowerLawValue(point.Result, point.P1, point.Exponent,
                            static_cast<float>(pdrUnitFactor(point.Unit) * x));
}

// A computed window value: only a present value above 0 is one.
float AutoValue(float v) { return Present(v) && v > 0 ? v : 0.0f; }

bool WindowAboveZero(const PlotWindow& w)
{
    for (const float v : {w.x1, w.y1, w.x2, w.y2})
        if (!Present(v) || !(v > 0))
            return false;
    return w.x2 > w.x1 && w.y2 > w.y1;
}

} // namespace

float pdrPowerLawExponent(float r1, float p1, float r2, float p2)
{
    if (!Present(r1) || !Present(p1) || !Present(r2) || !Present(p2))
        return NoValue;
    if (r1 == 0 || p1 == 0 || r2 == 0 || p2 == 0 || p1 == p2)
        return NoValue;
    const float flowRatio = r2 / r1;
    const float pressureRatio = p2 / p1;
    if (!(flowRatio > 0) || !(pressureRatio > 0))
        return NoValue;
    const float n = static_cast<float>(std::log(flowRatio) / std::log(pressureRatio));
    return Present(n) ? n : NoValue;
}

float pdrPowerLawValue(float r1, float p1, float n, float r)
{
    if (!Present(r1) || !Present(p1) || !Present(n) || !Present(r))
        return NoValue;
    if (r1 == 0 || n == 0)
        return NoValue;
    const float ratio = r / r1;
    if (!(ratio > 0))
        return NoValue;
    const float value = static_cast<float>(p1 * std::pow(static_cast<double>(ratio), 1.0 / n));
    return Present(value) ? value : NoValue;
}

float pdrUnitFactor(const std::string& code)
{
    switch (code.empty() ? '\0' : code[0]) {
    case 'I':
    case 'W':
        return 10.0f;
    case 'J':
        return 1000.0f;
    case 'R':
        return 15.24f;
    case 'S':
    case 'Z':
        return 5.08f;
    case 'T':
        return 400.0f;
    case 'V':
        return 1.67f;
    case 'X':
        return 16.7f;
    case 'Y':
        return 0.278f;
    default:
        return 1.0f;
    }
}

bool pdrIsLastTestComplete(const PropertyBlock& block)
{
    if (block.Values.empty())
        return true;
    const TestValue& last = block.Values.back();
    // A completed test whose pressure drop could not be written has no
    // result 1 either, but its exponent has no unit, where a waiting half
    // keeps the unit of its flow.
    const bool exponent = last.Unit2 == std::string(1, ' ');
    return !(!last.Deleted && last.Value1 == NoValue && last.Value2 != NoValue && !exponent);
}

std::string pdrMergeDataString(const std::string& received, PropertyBlock& block)
{
    const std::string& d = received;
    const std::string h = block.Header;
    const bool first = pdrIsLastTestComplete(block);
    const std::string prev = first ? std::string() : block.Values.back().DataString;

    std::string out = Chars(d, 1, 12);
    if (first) {
        // A reading at the second pressure goes to the second slot.
        if (Num(Chars(d, 13, 19)) == Num(Chars(h, 20, 26)))
            out += std::string(7, ' ') + Chars(d, 13, 19);
        else
            out += Chars(d, 13, 19) + std::string(7, ' ');
    } else {
        if (Trim(Chars(prev, 13, 18)).empty())
            out += Chars(d, 13, 19) + Chars(prev, 20, 26);
        else
            out += Chars(prev, 13, 19) + Chars(d, 13, 19);
    }
    out += Chars(d, 20, 26) + Chars(h, 34, 40) + Chars(d, 41, 41);

    std::string header;
    if (first) {
        out += SixBlanks + "?" + Chars(d, 42, 47) + Chars(d, 48, 48);
        header = Chars(h, 1, 47) + "?" + Chars(h, 49, 54) + Chars(d, 48, 48) + Chars(h, 56, 60);
    } else {
        const double thisFlow = Num(Chars(d, 42, 47)) * pdrUnitFactor(Chars(d, 48, 48));
        const double firstFlow = Num(Chars(prev, 49, 54)) * pdrUnitFactor(Chars(prev, 55, 55));
        if (Num(Chars(h, 13, 19)) == Num(Chars(d, 13, 19)))
            out += FlowField(thisFlow) + "?" + FlowField(firstFlow) + "?";
        else
            out += FlowField(firstFlow) + "?" + FlowField(thisFlow) + "?";
        header = Chars(h, 1, 47) + "?" + Chars(h, 49, 54) + "?" + Chars(h, 56, 60);
    }
    block.Header = header;
    out += " " + Chars(d, 57, 57);
    return Finish(out);
}

std::string pdrCompleteDataString(const std::string& merged, PropertyBlock& block)
{
    if (pdrIsLastTestComplete(block))
        return merged;
    const std::string& m = merged;
    const float r1 = static_cast<float>(Num(Chars(m, 42, 47)));
    const float r2 = static_cast<float>(Num(Chars(m, 49, 54)));
    const float p1 = static_cast<float>(Num(Chars(m, 13, 18)));
    const float p2 = static_cast<float>(Num(Chars(m, 20, 25)));
    const float n = pdrPowerLawExponent(r1, p1, r2, p2);
    const float nominal = static_cast<float>(Num(Chars(m, 34, 39)) * pdrUnitFactor(Chars(m, 40, 40)));
    const float pressureDrop = pdrPowerLawValue(r1, p1, n, nominal);

    std::string out = Chars(m, 1, 41) + ResultField(pressureDrop) + "?" + ResultField(n) + " " + " " + Chars(m, 57, 57);
    // The waiting half is replaced by the completed test (element 0 stays).
    if (block.Values.size() > 1)
        block.Values.pop_back();
    const std::string& h = block.Header;
    block.Header = Chars(h, 1, 40) + std::string(7, ' ') + Chars(h, 48, 48) + std::string(10, ' ') + "\r\n";
    return Finish(out);
}

PdrPoint pdrFromDataString(const DataStringRecord& record)
{
    // The record's parameter texts are rewritten in the locale's notation;
    // the data string itself always has "." as its decimal point.
    const std::string& text = record.Text;
    PdrPoint point;
    point.P1 = static_cast<float>(Num(Chars(text, 13, 18)));
    point.P2 = static_cast<float>(Num(Chars(text, 20, 25)));
    point.P4 = static_cast<float>(Num(Chars(text, 34, 39)));
    point.Result = record.Result;
    point.Exponent = pdrPowerLawExponent(record.Result, point.P1, record.Result2, point.P2);
    point.Unit = UnitCode(record.Parameter4Unit, Language);
    return point;
}

QString pdrUnitText(const PdrPoint& point)
{
    return UnitText(point.Unit, Language);
}

QString pdrPressureUnit()
{
    return UnitText("?", Language);
}

// ---------------------------------------------------------------------------
// Diagram

PlotWindow pdrComputeCurve(const PdrPoint& point, const PlotWindow& requested)
{
    const std::array<float, 34>& g = GridValues();
    PlotWindow w = requested;

    if (w.x1 == 0)
        w.x1 = AutoValue(point.P4) / 10;
    // The largest grid value at or below x1 (x1 stays below the first).
    float lower = w.x1;
    for (const float v : g)
        if (v <= w.x1)
            lower = v;
    w.x1 = lower;

    if (w.y1 == 0) {
        w.y1 = AutoValue(FittedPressure(point, w.x1));
        for (std::size_t i = 0; i + 1 < g.size(); ++i)
            if (g[i] <= w.y1 && w.y1 <= g[i + 1]) {
                w.y1 = g[i];
                break;
            }
    }

    if (w.x2 == 0)
        w.x2 = AutoValue(point.P4) * 10;
    for (const float v : g)
        if (v >= w.x2) {
            w.x2 = v;
            break;
        }

    if (w.y2 == 0) {
        w.y2 = AutoValue(FittedPressure(point, w.x2));
        for (std::size_t i = 0; i + 1 < g.size(); ++i)
            if (g[i] <= w.y2 && w.y2 <= g[i + 1]) {
                w.y2 = g[i + 1];
                break;
            }
    }
    return w;
}

bool pdrIsUsableCurve(const PdrPoint& point, const PlotWindow& window)
{
    if (!WindowAboveZero(window))
        return false;
    for (const float v : {point.Result, point.P1, point.P4})
        if (!Present(v) || !(v > 0))
            return false;
    return Present(point.Exponent) && point.Exponent != 0;
}

void pdrDrawCurve(const PdrPoint& point, const PlotWindow& window, DrawingSurface& picture)
{
    if (!pdrIsUsableCurve(point, window))
        return;
    if (!picture.Scale(std::log(window.x1), std::log(window.y2), std::log(window.x2), std::log(window.y1)))
        return;
    pdrDrawAxes(window, picture);

    picture.SetDrawWidth(1);
    const double ya = LogOf(FittedPressure(point, window.x1));
    const double yb = LogOf(FittedPressure(point, window.x2));
    if (std::isfinite(ya) && std::isfinite(yb))
        picture.Line(std::log(window.x1), ya, std::log(window.x2), yb, vbBlack);
    picture.Line(std::log(point.P4), std::log(window.y1), std::log(point.P4), std::log(window.y2), DarkGreen);

    // The measured points: the flow at the first pressure, and the flow at
    // the second one on the fitted law.
    const double f = pdrUnitFactor(point.Unit);
    const double r = point.Result;
    const double n = point.Exponent;
    const double dots[2][2] = {
        {LogOf(r / f), LogOf(point.P1)},
        {LogOf(r * std::pow(static_cast<double>(point.P2) / point.P1, n) / f), LogOf(point.P2)},
    };
    picture.SetDrawWidth(5);
    for (const auto& dot : dots)
        if (std::isfinite(dot[0]) && std::isfinite(dot[1]))
            picture.PSet(dot[0], dot[1], vbBlack);
    picture.SetDrawWidth(1);
}

void pdrDrawAxes(const PlotWindow& window, DrawingSurface& picture)
{
    if (!WindowAboveZero(window))
        return;
    const double left = std::log(window.x1);
    const double right = std::log(window.x2);
    const double bottom = std::log(window.y1);
    const double top = std::log(window.y2);
    for (const float g : GridValues())
        if (window.x1 <= g && g <= window.x2)
            picture.Line(std::log(g), bottom, std::log(g), top, Grey);
    for (const float g : GridValues())
        if (window.y1 <= g && g <= window.y2)
            picture.Line(left, std::log(g), right, std::log(g), Grey);
}
