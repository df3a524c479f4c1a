#pragma once
// Airbag-fabric curves for the tests of the curve window, the printed curve
// boxes and the clipboard copy: a curve header with the fields the window
// shows, and a pulse as the instrument records it.
#include "foundation/CurveRecords.h"

#include <string>

// The fields of a curve header that the tests vary; the others are fixed:
// serial number 123, start pressure 200 kPa, test area 50 cm², ADAP 123.4 mm/s
// and exponent 0.512 as results.
struct AirbagHeaderFields {
    std::string Volume = "   500";      // parameter 1, cm³ (6 characters)
    std::string Limits = " 60/20";      // parameter 3, kPa (6 characters)
    char Warning = ' ';
};

// The 60-character data string of the curve.
std::string AirbagHeader(const AirbagHeaderFields& fields = AirbagHeaderFields());

// A pulse: the reservoir empties into the chamber, whose pressure rises to
// peakPressure (0.1 kPa) at 40 ms and then decays to about a fortieth by
// 492 ms; the fabric bulges up to about 3 cm. Factors 5 and 5.
ABTCurve AirbagPulse(float peakPressure = 800, const std::string& header = AirbagHeader());
