#include "DataStringFixture.h"

#include <gtest/gtest.h>

namespace {

using UnitCodeTest = DataStringFixture;

struct UnitCase {
    int Code;
    const char* German;
    const char* Other = nullptr;    // English, French, Italian, Spanish, slot 6; none: as German
    const char* Prefix = nullptr;   // what a language outside 1 to 6 gives; none: as German
};

// Codes 32 to 127 with their texts; codes not listed have none. The texts of
// the first rows are the same in every language.
const UnitCase Units[] = {
    {33, "µm"}, {34, "mm"}, {35, "cm"}, {36, "m"}, {37, "in"}, {38, "yd"}, {39, "pm"}, {40, "mm²"}, {41, "cm²"},
    {42, "m²"}, {43, "in²"}, {44, "yd²"}, {46, "mm³"}, {47, "cm³"}, {48, "dm³"}, {49, "l"}, {50, "m³"}, {51, "in³"},
    {52, "yd³"}, {54, "mN"}, {55, "cN"}, {56, "N"}, {57, "kN"}, {58, "g"}, {59, "kg"}, {60, "oz"}, {61, "lbs"},
    {63, "Pa"}, {64, "hPa"}, {65, "kPa"}, {66, "MPa"}, {67, "mbar"}, {68, "bar"}, {69, "psi"}, {72, "mm/s"},
    {73, "cm/s"}, {74, "m/s"}, {75, "in/s"}, {76, "yd/s"}, {84, "dm³/s"}, {85, "l/m²/s"}, {87, "cm³/cm²/s"},
    {89, "m³/m²/h"}, {90, "cfm"}, {95, "ms"}, {96, "s"}, {98, "h"}, {99, "d"}, {100, "m³/m²/s"}, {101, "dtex"},
    {102, "tex"}, {103, "den"}, {104, "Nm"}, {105, "Ne"}, {107, "g/m²"}, {108, "oz/yd²"}, {110, "%"}, {111, "°"},
    {112, "/cm"}, {113, "/in"}, {114, "/pm"}, {118, "°C"}, {119, "°F"}, {121, "1/0"},
    // These differ between German and the other languages.
    {70, "cm WS", "cm w.c.", "cm "}, {71, "mm WS", "mm w.c.", "mm "}, {78, "mm/Min", "mm/min", "mm/"},
    {79, "cm/Min", "cm/min", "cm/"}, {80, "m/Min", "m/min", "m/"}, {81, "in/Min", "in/min", "in/"},
    {82, "yd/Min", "yd/min", "yd/"}, {83, "ft³/ft²/Min", "ft³/ft²/min", "ft³/ft²/"},
    {86, "l/dm²/Min", "l/dm²/min", "l/dm²/"}, {88, "m³/m²/Min", "m³/m²/min", "m³/m²/"},
    {91, "mm WS/Min", "mm w.c./min", "mm "}, {92, "mbar/Min", "mbar/min", "mbar/"},
    {93, "hPa/Min", "hPa/min", "hPa/"}, {94, "cm WS/Min", "cm w.c./min", "cm "}, {97, "Min", "min", ""},
    {115, "Dr/in", "tpi", ""}, {116, "Dr/m", "tpm", ""},
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
                unit ? QString::fromUtf8(language == 1 || !unit->Other ? unit->German : unit->Other) : QString();
            EXPECT_EQ(UnitText(Code(code), language), expected) << code << " in " << language;
            if (unit) {
                EXPECT_EQ(UnitCode(expected, language), Code(code)) << code << " in " << language;
            }
        }
        const QString prefix = unit ? QString::fromUtf8(unit->Prefix ? unit->Prefix : unit->German) : QString();
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
