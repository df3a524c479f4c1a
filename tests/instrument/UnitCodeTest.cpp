#include "DataStringFixture.h"

#include <gtest/gtest.h>

namespace {

using UnitCodeTest = DataStringFixture;

struct UnitCase {
    int Code;
    const char* German;
    const char* Other;      // English, French, Italian, Spanish, slot 6
    const char* Prefix;     // what a language outside 1 to 6 gives
};

// Codes 32 to 127 with their texts; codes not listed have none.
const UnitCase Units[] = {
    {33, "µm", "µm", "µm"},
    {34, "mm", "mm", "mm"},
    {35, "cm", "cm", "cm"},
    {36, "m", "m", "m"},
    {37, "in", "in", "in"},
    {38, "yd", "yd", "yd"},
    {39, "pm", "pm", "pm"},
    {40, "mm²", "mm²", "mm²"},
    {41, "cm²", "cm²", "cm²"},
    {42, "m²", "m²", "m²"},
    {43, "in²", "in²", "in²"},
    {44, "yd²", "yd²", "yd²"},
    {46, "mm³", "mm³", "mm³"},
    {47, "cm³", "cm³", "cm³"},
    {48, "dm³", "dm³", "dm³"},
    {49, "l", "l", "l"},
    {50, "m³", "m³", "m³"},
    {51, "in³", "in³", "in³"},
    {52, "yd³", "yd³", "yd³"},
    {54, "mN", "mN", "mN"},
    {55, "cN", "cN", "cN"},
    {56, "N", "N", "N"},
    {57, "kN", "kN", "kN"},
    {58, "g", "g", "g"},
    {59, "kg", "kg", "kg"},
    {60, "oz", "oz", "oz"},
    {61, "lbs", "lbs", "lbs"},
    {63, "Pa", "Pa", "Pa"},
    {64, "hPa", "hPa", "hPa"},
    {65, "kPa", "kPa", "kPa"},
    {66, "MPa", "MPa", "MPa"},
    {67, "mbar", "mbar", "mbar"},
    {68, "bar", "bar", "bar"},
    {69, "psi", "psi", "psi"},
    {70, "cm WS", "cm w.c.", "cm "},
    {71, "mm WS", "mm w.c.", "mm "},
    {72, "mm/s", "mm/s", "mm/s"},
    {73, "cm/s", "cm/s", "cm/s"},
    {74, "m/s", "m/s", "m/s"},
    {75, "in/s", "in/s", "in/s"},
    {76, "yd/s", "yd/s", "yd/s"},
    {78, "mm/Min", "mm/min", "mm/"},
    {79, "cm/Min", "cm/min", "cm/"},
    {80, "m/Min", "m/min", "m/"},
    {81, "in/Min", "in/min", "in/"},
    {82, "yd/Min", "yd/min", "yd/"},
    {83, "ft³/ft²/Min", "ft³/ft²/min", "ft³/ft²/"},
    {84, "dm³/s", "dm³/s", "dm³/s"},
    {85, "l/m²/s", "l/m²/s", "l/m²/s"},
    {86, "l/dm²/Min", "l/dm²/min", "l/dm²/"},
    {87, "cm³/cm²/s", "cm³/cm²/s", "cm³/cm²/s"},
    {88, "m³/m²/Min", "m³/m²/min", "m³/m²/"},
    {89, "m³/m²/h", "m³/m²/h", "m³/m²/h"},
    {90, "cfm", "cfm", "cfm"},
    {91, "mm WS/Min", "mm w.c./min", "mm "},
    {92, "mbar/Min", "mbar/min", "mbar/"},
    {93, "hPa/Min", "hPa/min", "hPa/"},
    {94, "cm WS/Min", "cm w.c./min", "cm "},
    {95, "ms", "ms", "ms"},
    {96, "s", "s", "s"},
    {97, "Min", "min", ""},
    {98, "h", "h", "h"},
    {99, "d", "d", "d"},
    {100, "m³/m²/s", "m³/m²/s", "m³/m²/s"},
    {101, "dtex", "dtex", "dtex"},
    {102, "tex", "tex", "tex"},
    {103, "den", "den", "den"},
    {104, "Nm", "Nm", "Nm"},
    {105, "Ne", "Ne", "Ne"},
    {107, "g/m²", "g/m²", "g/m²"},
    {108, "oz/yd²", "oz/yd²", "oz/yd²"},
    {110, "%", "%", "%"},
    {111, "°", "°", "°"},
    {112, "/cm", "/cm", "/cm"},
    {113, "/in", "/in", "/in"},
    {114, "/pm", "/pm", "/pm"},
    {115, "Dr/in", "tpi", ""},
    {116, "Dr/m", "tpm", ""},
    {118, "°C", "°C", "°C"},
    {119, "°F", "°F", "°F"},
    {121, "1/0", "1/0", "1/0"},
};

std::string Code(int code)
{
    return std::string(1, static_cast<char>(code));
}

const UnitCase* Find(int code)
{
    for (const UnitCase& unit : Units) {
        if (unit.Code == code)
            return &unit;
    }
    return nullptr;
}

} // namespace

TEST_F(UnitCodeTest, EveryCodeHasItsTextInEachLanguageAndBack)
{
    for (int code = 32; code <= 127; ++code) {
        const UnitCase* unit = Find(code);
        for (int16_t language = 1; language <= 6; ++language) {
            const QString expected =
                unit ? QString::fromUtf8(language == 1 ? unit->German : unit->Other) : QString();
            EXPECT_EQ(UnitText(Code(code), language), expected) << code << " in " << language;
            if (unit) {
                EXPECT_EQ(UnitCode(expected, language), Code(code)) << code << " in " << language;
            }
        }
        const QString prefix = unit ? QString::fromUtf8(unit->Prefix) : QString();
        EXPECT_EQ(UnitText(Code(code), 0), prefix) << code;
        EXPECT_EQ(UnitText(Code(code), 7), prefix) << code;
    }
}

TEST_F(UnitCodeTest, TextsOutsideTheTableAndOnlyTheFirstCharacterCount)
{
    EXPECT_EQ(UnitText("", 2), "");
    EXPECT_EQ(UnitText(" ", 2), "");
    EXPECT_EQ(UnitText("-", 2), "");
    EXPECT_EQ(UnitText(std::string(1, '\x1F'), 2), "");
    EXPECT_EQ(UnitText(std::string(1, '\x80'), 2), "");
    EXPECT_EQ(UnitText(std::string(1, '\xB5'), 2), "");
    EXPECT_EQ(UnitText("Fxyz", 2), "cm w.c.");
    EXPECT_EQ(UnitText("y", 3), "1/0");
}

TEST_F(UnitCodeTest, UnitCodeComparesExactlyWithPlainDigitsForPowers)
{
    EXPECT_EQ(UnitCode(QStringLiteral("m3"), 2), "2");
    EXPECT_EQ(UnitCode(QStringLiteral("mm2"), 2), "(");
    EXPECT_EQ(UnitCode(QStringLiteral("l/m2/s"), 2), "U");
    EXPECT_EQ(UnitCode(QStringLiteral("ft3/ft2/min"), 2), "S");
    EXPECT_EQ(UnitCode(QStringLiteral("  kPa "), 2), "A");
    EXPECT_EQ(UnitCode(QStringLiteral("MIN"), 2), " ");
    EXPECT_EQ(UnitCode(QStringLiteral("min"), 2), "a");
    EXPECT_EQ(UnitCode(QStringLiteral("min"), 1), " ");
    EXPECT_EQ(UnitCode(QStringLiteral("Min"), 1), "a");
    EXPECT_EQ(UnitCode(QStringLiteral("cm w.c."), 2), "F");
    EXPECT_EQ(UnitCode(QStringLiteral("cm w.c."), 1), " ");
    EXPECT_EQ(UnitCode(QStringLiteral("cm WS"), 1), "F");
    EXPECT_EQ(UnitCode(QString(), 2), " ");
    EXPECT_EQ(UnitCode(QStringLiteral("furlong"), 2), " ");
    // Outside 1 to 6 the shared beginning is all there is.
    EXPECT_EQ(UnitCode(QStringLiteral("cm"), 0), "#");
    EXPECT_EQ(UnitCode(QStringLiteral("mm/"), 0), "N");
}
