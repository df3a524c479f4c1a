#include "DataStringFixture.h"

#include "support/Bytes.h"

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

// A few codes of the table, in German, in English (as the other languages) and
// outside 1 to 6, where the rows that differ keep only their common beginning.
TEST_F(UnitCodeTest, TextOfACodeAndBack)
{
    const struct { char code; const char* german; const char* other; const char* outside; } units[] = {
        {')', "cm²", "cm²", "cm²"},        {'F', "cm WS", "cm w.c.", "cm "},    {'a', "Min", "min", ""},
        {'S', "ft³/ft²/Min", "ft³/ft²/min", "ft³/ft²/"},                        {'s', "Dr/in", "tpi", ""},
        {'-', "", "", ""},                 {'~', "", "", ""},
    };
    for (const auto& u : units) {
        const std::string code(1, u.code);
        for (int16_t language = 1; language <= 6; ++language) {
            const QString text = QString::fromUtf8(language == 1 ? u.german : u.other);
            EXPECT_EQ(UnitText(code, language), text) << u.code << " in " << language;
            if (!text.isEmpty()) {
                EXPECT_EQ(UnitCode(text, language), code) << u.code << " in " << language;
            }
        }
        EXPECT_EQ(UnitText(code, 0), QString::fromUtf8(u.outside)) << u.code;
        EXPECT_EQ(UnitText(code, 7), QString::fromUtf8(u.outside)) << u.code;
    }

    // Outside the table; only the first character counts.
    for (const std::string& code : {std::string(), std::string(1, '\x1F'), std::string(1, '\x80'), std::string(1, '\xB5')})
        EXPECT_EQ(UnitText(code, 2), "") << ToHex(code);
    EXPECT_EQ(UnitText("Fxyz", 2), "cm w.c.");
}

TEST_F(UnitCodeTest, UnitCodeComparesExactlyWithPlainDigitsForPowers)
{
    const struct { const char* text; int16_t language; const char* code; } rows[] = {
        {"m3", 2, "2"},     {"ft3/ft2/min", 2, "S"}, {"  kPa ", 2, "A"}, {"MIN", 2, " "},    {"min", 1, " "},
        {"cm w.c.", 1, " "}, {"", 2, " "},        {"furlong", 2, " "},
        {"mm2", 2, "("},    {"l/m2/s", 2, "U"},   {"min", 2, "a"},    {"Min", 1, "a"},    {"cm w.c.", 2, "F"},
        {"cm WS", 1, "F"},
        {"cm", 0, "#"},     {"mm/", 0, "N"},      // outside 1 to 6 the shared beginning is all there is
    };
    for (const auto& row : rows)
        EXPECT_EQ(UnitCode(QString::fromUtf8(row.text), row.language), row.code) << row.text << " in " << row.language;
}

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

} // namespace
