#include "DataStringFixture.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

namespace {

using UnitCodeTest = DataStringFixture;

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
        {"cm", 0, "#"},     {"mm/", 0, "N"},      // outside 1 to 6 the shared beginning is all there is
    };
    for (const auto& row : rows)
        EXPECT_EQ(UnitCode(QString::fromUtf8(row.text), row.language), row.code) << row.text << " in " << row.language;
}

} // namespace
