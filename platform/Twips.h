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

// A control's place in twips.
struct TwipsRect {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;

    bool operator==(const TwipsRect&) const = default;
};
