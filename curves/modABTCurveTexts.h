#pragma once
// The 18 texts of the curve analysis window in the five languages: its title
// word, the tab captions, option frames, the sensor notice and the result
// titles. The window shows them; the clipboard copy of a curve analysis takes
// its result titles from here, so it needs no window.
#include <QString>
#include <array>

enum AbtCurveText {
    AbtTextWindow = 1,          // "Analyze curve"
    AbtTextSensor,              // lblSensor
    AbtTextTab0,                // "Pressure: p = f (t)" ... tab 4 at AbtTextTab0 + 4
    AbtTextFormFactor = AbtTextTab0 + 5,
    AbtTextPressureLimit,
    AbtTextSmoothing,
    AbtTextComputedCurve,
    AbtTextThickness,
    AbtTextNoSensor,            // "Without sensor!"
    AbtTextMaxPressure,
    AbtTextRiseTime,
    AbtTextFallTime,
    AbtTextADAP,
    AbtTextExponent,
};

inline constexpr int AbtCurveTextCount = 18;

// Entries 1 to 18 of language 1 German, 2 English, 3 French, 4 Italian or
// 5 Spanish (element 0 empty); every other language, 6 included, has none.
std::array<QString, AbtCurveTextCount + 1> AbtCurveTextTable(int language);

// One entry; an entry outside 1 to 18 is empty.
QString AbtCurveTextOf(int entry, int language);
