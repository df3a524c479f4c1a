#pragma once
// Window geometry of the design is in twips; the screen works in pixels.
// One pixel is 15 twips at 96 dpi, whatever the real screen resolution.
#include <cmath>

inline constexpr int TwipsPerPixel = 15;

// Rounded to the nearest whole pixel.
inline int TwipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

inline double PixelsToTwips(double pixels)
{
    return pixels * TwipsPerPixel;
}
