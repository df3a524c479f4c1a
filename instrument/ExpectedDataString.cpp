#include "instrument/ExpectedDataString.h"

#include "foundation/modGeneral.h"
#include "instrument/modDataString.h"
#include "platform/Cp1252.h"

namespace {

// Left alignment: a parameter stands at the start of its field.
constexpr int AlignLeft = 0;
constexpr int ParameterWidth = 6;

// One character: the first of the code, a blank for none.
char UnitChar(const std::string& code)
{
    return code.empty() ? ' ' : code.front();
}

} // namespace

std::string BuildExpectedDataString(const ExpectedDataStringInput& input)
{
    std::string s;
    s.reserve(DataStringLength);
    s += '\x1E';
    s += PadText(input.Identifier, 7, AlignLeft);
    s += "   ";
    s += UnitChar(input.CodeLetter);
    for (size_t k = 0; k < 4; ++k) {
        // One byte per character, so the field keeps its width whatever it holds.
        for (const QChar c : PadText(input.Parameters[k], ParameterWidth, AlignLeft))
            s += ToCp1252Char(c);
        s += UnitChar(input.ParameterUnits[k]);
    }
    s += std::string(7, ' ');           // warning sign and result 1
    s += UnitChar(input.ResultUnit);
    s += std::string(6, ' ');           // result 2
    s += UnitChar(input.Result2Unit);
    s += "  ";                          // unused and the repetition flag
    s += DataStringChecksum(s);
    s += "\r\n";
    return s;
}
