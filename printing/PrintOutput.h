#pragma once
// The steps every printed page repeats on the output in force (the printer
// or a preview page): its surface, the current height and aligned text.
#include "platform/DrawingSurface.h"
#include "printing/modPrinter.h"

#include <QString>
#include <cstdint>

namespace PrintOutput {

// Page geometry in page units, shared by every printed page: the frame, the
// text column inside it, the line steps and the font sizes in points.
constexpr double FrameLeft = 10;
constexpr double FrameTop = 3;
constexpr double FrameRight = 97;
constexpr double TextLeft = 12;
constexpr double TextRight = 96;
constexpr double LineStep = 1.7;
constexpr double WideSpace = 2.55;
constexpr double SmallSpace = 0.85;
constexpr double NormalSize = 8;
constexpr double ChartSize = 6;
constexpr int32_t LightGrey = 12632256;

inline DrawingSurface& Out()
{
    return *OutputObject;
}

inline bool IsPrinterOutput()
{
    return OutputObject != nullptr && OutputObject == &Printer();
}

inline double Y()
{
    return Out().CurrentY();
}

inline void SetY(double y)
{
    Out().SetCurrentY(y);
}

inline void AddY(double dy)
{
    Out().SetCurrentY(Out().CurrentY() + dy);
}

inline void Put(const QString& text, int alignment, double x, double y)
{
    Out().PrintAligned(text, alignment, x, y);
}

} // namespace PrintOutput
