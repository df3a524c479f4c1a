#pragma once
// The steps every printed page repeats on the output in force (the printer
// or a preview page): its surface, the current height and aligned text.
#include "platform/DrawingSurface.h"
#include "printing/modPrinter.h"

#include <QString>

namespace PrintOutput {

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
