#include "AirbagCurves.h"

#include "foundation/modRecords.h"
#include "instrument/modDataString.h"

#include <cmath>

std::string AirbagHeader(const AirbagHeaderFields& fields)
{
    // Positions 1-12, parameters 1 to 4 with their units, warning, results, flag.
    const std::string s = "\x1E" "KR 6450" "123" " " + fields.Volume + "/" + "   200" "A" + fields.Limits + "A"
        + "    50" ")" + std::string(1, fields.Warning) + " 123.4" "H" " 0.512" " " " " "0";
    return s + DataStringChecksum(s) + "\r\n";
}

ABTCurve AirbagPulse(float peakPressure, const std::string& header)
{
    ABTCurve c = EmptyABTCurve;
    c.Header = header;
    c.Factor1 = 5;
    c.Factor2 = 5;
    const double peak = peakPressure;
    for (int i = 0; i < AbtSampleCount; ++i) {
        const double t = i;
        c.P1[i] = static_cast<float>(1000 + 2000 * std::exp(-t / 30));
        c.P2[i] = static_cast<float>(i < 40 ? peak * t / 40 : peak * std::exp(-(t - 40) / 120));
        c.S[i] = static_cast<float>(3.0 * (1 - std::exp(-t / 25)) * (i < 40 ? 1 : std::exp(-(t - 40) / 400)));
    }
    return c;
}
