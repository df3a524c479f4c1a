#pragma once
// The airbag-fabric curve, its evaluation work record, the two points of a
// pressure-drop test and the plot window of a curve chart. -32768 and NoValue are the "no value" markers of the Integer
// and Single fields.
#include <QString>
#include <array>
#include <cstdint>
#include <string>

inline constexpr int AbtSampleCount = 512;   // one sample per millisecond, 0 to 511
inline constexpr int16_t IntegerNoValue = -32768;

struct ABTCurve {
    std::string Header;     // the test's 60-character data string
    int16_t Factor1 = 0;    // scale factor of channel p1
    int16_t Factor2 = 0;    // scale factor of channel p2
    std::array<float, AbtSampleCount> P1{};   // reservoir pressure, tenths of a kPa
    std::array<float, AbtSampleCount> P2{};   // test-chamber pressure, tenths of a kPa
    std::array<float, AbtSampleCount> S{};    // bulge height, cm

    bool operator==(const ABTCurve&) const = default;
};

struct AbtEvaluation {
    std::array<float, AbtSampleCount> Flow{};
    std::array<float, AbtSampleCount> SmoothedFlow{};
    std::array<float, AbtSampleCount> FitFlow{};
    std::array<float, AbtSampleCount> Volume{};
    float EndPressure = 0;
    float PeakPressure = 0;
    float PeakHeight = 0;
    float MaxFlow = 0;
    int16_t StartIndex = 0;
    int16_t PeakIndex = 0;
    int16_t FallTime = 0;   // -32768 when the pulse does not end by 500 ms
    float ADAP = 0;
    float Exponent = 0;
    float Factor = 0;

    bool operator==(const AbtEvaluation&) const = default;
};

// The evaluation range and options chosen in the curve window.
struct AbtOptions {
    int16_t LowerLimit = 0;
    int16_t UpperLimit = 0;
    int16_t FormFactor = 0;
    int16_t Smoothing = 0;

    bool operator==(const AbtOptions&) const = default;
};

// The 26 raw lines of one curve transfer, one per received block.
struct AbtRawLines {
    std::array<std::string, 26> Lines;

    bool operator==(const AbtRawLines&) const = default;
};

// The two measured points of one completed pressure-drop test, as the
// power-law diagram needs them. Flows are in the unit of Unit except Result,
// which the completed data string holds in mm/s.
struct PdrPoint {
    float Exponent = 0;     // n of flow = k * pressure^n; NoValue when it cannot be formed
    float Result = 0;       // flow at the first pressure, mm/s
    float P1 = 0;           // first test pressure, Pa
    float P2 = 0;           // second test pressure, Pa
    float P4 = 0;           // nominal flow in its own unit
    std::string Unit;       // unit code character of the nominal flow

    bool operator==(const PdrPoint&) const = default;
};

// Lower-left and upper-right corner of a chart in its own units; 0 in x2 or
// y2 of a requested window means "automatic".
struct PlotWindow {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;

    bool operator==(const PlotWindow&) const = default;
};
