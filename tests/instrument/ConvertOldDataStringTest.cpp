#include "DataStringFixture.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

using ConvertOldDataStringTest = DataStringFixture;

#define EXPECT_BYTES(actual, expected) EXPECT_EQ(ToHex(actual), ToHex(expected))

// The expected string of a "D 7041" test definition: code letter, test
// length or area in parameter 1, result unit.
std::string WeighingHeader(const std::string& letter, const std::string& p1, const std::string& u1,
                           const std::string& resultUnit)
{
    return Build({.Id = "D  7041", .Letter = letter, .P1 = p1, .U1 = u1, .RU1 = resultUnit, .Flag = " "});
}

// A "D 7041" reply: the weight at 5-10, its unit at 12.
std::string Weighing(const std::string& weight, const std::string& unit = "g")
{
    return "\x1E" "   " + weight + " " + unit + "\r\n";
}

// What a converted "D 7041" (or other) string holds: the expected string's
// fields 12 to 40, the warning, the value and its unit.
std::string Weighed(const std::string& header, const std::string& warning, const std::string& value,
                    const std::string& unit, const std::string& id = "D  7041")
{
    const std::string head = "\x1E" + id + "   " + header.substr(11, 29) + warning + value + unit
                             + std::string(8, ' ') + "0";
    EXPECT_EQ(head.size(), 57u);
    return head + DataStringChecksum(head) + "\r\n";
}

} // namespace

TEST_F(ConvertOldDataStringTest, WithoutExpectedStringOnlyTheIdentifierIsWritten)
{
    // Keyboard entry, worked out by hand: its checksum is RS (see the validity test).
    const std::string expected = "\x1E" "0000000" + std::string(48, ' ') + "0" "\x1E" "\r\n";
    EXPECT_BYTES(ConvertOldDataString("\x1E" "00" "  12.5" "\r\n"), expected);
    EXPECT_TRUE(IsValidDataString(expected));

    const std::pair<std::string, std::string> others[] = {{Weighing("12.345"), "D  7041"},
                                                          {"\x1E" "43" "        " "   250" "+" "\r\n", "MP 4300"}};
    for (const auto& [reply, identifier] : others) {
        const std::string head = "\x1E" + identifier + std::string(48, ' ') + "0";
        EXPECT_BYTES(ConvertOldDataString(reply), head + DataStringChecksum(head) + "\r\n");
    }
}

TEST_F(ConvertOldDataStringTest, KeyboardEntryTakesTheExpectedFieldsAndTheKeyboardSerialNumber)
{
    KeyboardDef.Instrument = QStringLiteral("Scale");
    KeyboardDef.SerialNumber = QStringLiteral("7");
    KeyboardDef.Property = QStringLiteral("Mass");
    const Fields e{.Letter = "Q", .P1 = "   100", .U1 = "$", .P2 = "abc   ", .RU1 = ":", .RU2 = "%", .Spare = "x",
                   .Flag = " "};
    const std::string header = Build(e);

    Fields expected = e;
    std::tie(expected.Serial, expected.R1, expected.Flag) = std::tuple("  7", "  12.5", "0");
    EXPECT_BYTES(ConvertOldDataString("\x1E" "00" "  12.5" "\r\n", header), Build(expected));

    // Not a number: everything after the identifier is blank.
    EXPECT_BYTES(ConvertOldDataString("\x1E" "00" "   abc" "\r\n", header), Build({}));
    // A serial number longer than its field is cut.
    KeyboardDef.SerialNumber = QStringLiteral("12345");
    expected.Serial = "123";
    EXPECT_BYTES(ConvertOldDataString("\x1E" "00" "  12.5" "\r\n", header), Build(expected));
}

TEST_F(ConvertOldDataStringTest, WeighingConvertsByCodeLetterAndResultUnitInEveryLocale)
{
    struct Case {
        const char* Letter;
        const char* P1;
        const char* U1;
        const char* ResultUnit;
        const char* Value;
    };
    // Weight 12.345 g.
    const Case cases[] = {
        {"F", "   100", "$", "f", "123.45"},   // 12.345 / 100 m * 1000 tex
        {"F", "   100", "&", "e", "1350.0"},   // 12.345 / (100 * 0.914398) yd * 10000 dtex
        {"F", "   100", "$", "g", "1111.0"},   // 1111.05 den, decimals cut
        {"F", "   100", "$", "$", "0.1234"},   // another unit keeps the quotient
        {"N", "   100", "$", "h", "8.1004"},   // 100 m / 12.345 Nm
        {"N", "   100", "$", "i", "4.7836"},   // times 0.590541 Ne
        {"N", "   100", "&", "h", "7.4070"},   // yards
        {"A", "   100", ")", "k", "1234.5"},   // g/m²
        {"A", "   100", ")", "l", "36.409"},   // oz/yd²
        {"P", "     4", " ", "k", "197.52"},   // DIN A4 punch: 625 cm²
        {"W", "      ", " ", ":", "12.345"},   // g
        {"W", "      ", " ", ";", "0.0123"},   // kg
        {"W", "      ", " ", "<", "0.4354"},   // oz
        {"W", "      ", " ", "=", "0.0272"},   // lbs
        {"X", "   100", "$", "f", "12.345"},   // unknown letter: unchanged
    };
    for (const Case& c : cases) {
        const std::string header = WeighingHeader(c.Letter, c.P1, c.U1, c.ResultUnit);
        EXPECT_BYTES(ConvertOldDataString(Weighing("12.345"), header), Weighed(header, " ", c.Value, c.ResultUnit))
            << c.Letter << " " << c.ResultUnit;
    }

    // Under de_DE the length of the expected string is read, and the value
    // written, with a point all the same.
    Pin(QStringLiteral("de_DE"));
    Language = 1;
    const std::string header = WeighingHeader("F", "  12.5", "$", "f");
    // 12.345 / 12.5 m * 1000 = 987.6 tex
    EXPECT_BYTES(ConvertOldDataString(Weighing("12.345"), header), Weighed(header, " ", " 987.6", "f"));
}

TEST_F(ConvertOldDataStringTest, WeighingMarksOtherUnitsAndKeepsAZeroWeight)
{
    const std::string header = WeighingHeader("F", "   100", "$", "f");
    EXPECT_BYTES(ConvertOldDataString(Weighing("12.345", "k"), header), Weighed(header, "*", "123.45", "f"));
    EXPECT_BYTES(ConvertOldDataString(Weighing("     0"), header), Weighed(header, " ", "     0", "f"));
    // No division happens for a zero weight, so a zero length does no harm.
    const std::string zeroLength = WeighingHeader("N", "     0", "$", "h");
    EXPECT_BYTES(ConvertOldDataString(Weighing("  0.00"), zeroLength), Weighed(zeroLength, " ", "     0", "h"));
}

TEST_F(ConvertOldDataStringTest, WeighingThatCannotGiveASoundValueGivesNothing)
{
    // Division by a zero or missing length; a weight that is no number is no
    // reading of 0 either; 100000 m / 0.001 g is 1E+08 Nm: eight whole digits do not fit six.
    const struct { const char* weight; const char* letter; const char* p1; const char* u1; const char* unit; } rows[] = {
        {"12.345", "F", "     0", "$", "f"}, {"12.345", "F", "   abc", "$", "f"}, {"12.345", "A", "      ", ")", "k"},
        {"12.345", "N", "   abc", "$", "h"}, {"   abc", "W", "      ", " ", ":"}, {"      ", "W", "      ", " ", ":"},
        {"12-345", "W", "      ", " ", ":"}, {"   abc", "N", "   100", "$", "h"}, {"12-345", "N", "   100", "$", "h"},
        {" 0.001", "N", "100000", "$", "h"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ConvertOldDataString(Weighing(row.weight), WeighingHeader(row.letter, row.p1, row.u1, row.unit)), "")
            << row.weight << " " << row.letter << " '" << row.p1 << "'";
    }
    // An empty expected string has no code letter: the value passes, but the
    // string lacks the expected fields and fails validation.
    EXPECT_FALSE(IsValidDataString(ConvertOldDataString(Weighing("12.345"), "")));
    // Tiny values are written in plain notation and cut in the decimals.
    const std::string header = WeighingHeader("W", "      ", " ", ";");
    EXPECT_BYTES(ConvertOldDataString(Weighing(" 0.001"), header), Weighed(header, " ", "0.0000", ";"));
}

TEST_F(ConvertOldDataStringTest, TwistIsTurnsPerMetreOrInch)
{
    auto header = [](const std::string& letter, const std::string& lengthUnit, const std::string& resultUnit,
                     const std::string& length = "   500") {
        return Build(
            {.Id = "MP 4300", .Letter = letter, .P1 = length, .U1 = lengthUnit, .RU1 = resultUnit, .Flag = " "});
    };
    // Counted turns at 12-17, warning sign at 18.
    const std::string reply = "\x1E" "43" "        " "   250" "+" "\r\n";

    const struct { std::string e; const char* value; const char* unit; } rows[] = {
        {header("D", "\"", "t"), "   500", "t"},            // 250 / 500 mm * 1000
        {header("U", "\"", "t"), "   250", "t"},            // counted twice
        {header("D", "\"", "s"), "12.699", "s"},            // per inch
        {header("D", "%", "t", "    10"), "984.25", "t"},    // 10 in
    };
    for (const auto& row : rows)
        EXPECT_BYTES(ConvertOldDataString(reply, row.e), Weighed(row.e, "+", row.value, row.unit, "MP 4300")) << row.value;
    const std::string e = rows[3].e;

    EXPECT_EQ(ConvertOldDataString(reply, header("D", "\"", "t", "     0")), "");
    EXPECT_EQ(ConvertOldDataString(reply, header("D", "\"", "t", "   abc")), "");
    // Turns that are no number give nothing, not 0 turns.
    EXPECT_EQ(ConvertOldDataString("\x1E" "43" "        " "  n.a." "+" "\r\n", e), "");
    EXPECT_EQ(ConvertOldDataString("\x1E" "43" "        ", e), "");
}

TEST_F(ConvertOldDataStringTest, TensileTesterYarnAndSkeinMode)
{
    // 4-7 elongation, 8 unit system, 9 mode, 10 warning, 12-17 force, 18 its
    // unit, 25-28 test length, 29-33 speed.
    const std::string reply = "\x1E" "48" "12.5" "m" "y" " " " " " 234.5" "N" "      " " 500" "  100"
                              "    " "   " "      " "\r\n";
    Fields f{.Id = "MP 4800", .Letter = "y", .P1 = "   500", .U1 = "\"", .P2 = "   100", .U2 = "N", .R1 = " 234.5",
             .RU1 = "8", .R2 = "  12.5", .RU2 = "n"};
    EXPECT_BYTES(ConvertOldDataString(reply), Build(f));

    std::string inches = reply;
    inches[7] = 'i';
    inches[17] = 'L';
    f.U1 = "%";
    f.U2 = "Q";
    f.RU1 = "=";
    EXPECT_BYTES(ConvertOldDataString(inches), Build(f));

    // Skein mode: 34-37 yarn count, 38-40 warps, 41-46 result 2.
    const std::string skein = "\x1E" "48" "    " "m" "S" "!" " " " 234.5" "g" "      " "    " "     "
                              "  20" " 80" " 45.67" "\r\n";
    EXPECT_BYTES(ConvertOldDataString(skein), Build({.Id = "MP 4800", .Letter = "S", .P1 = "    20", .U1 = "i",
                                                      .P2 = "    80", .Warning = "!", .R1 = " 234.5", .RU1 = ";",
                                                      .R2 = " 45.67"}));
}

TEST_F(ConvertOldDataStringTest, HydrostaticHeadWithAndWithoutSerialAndFlag)
{
    // 4-8 pressure, 9 mode, 10 area, 11 warning, 12-17 result, 18 unit,
    // 19 flag, 20-22 serial number.
    const std::string reply = "\x1E" "61" " 20.0" "K" "H" "-" "  45.6" "B" "1" "123";
    ASSERT_EQ(reply.size(), 22u);
    const Fields f{.Id = "KR 6101", .Serial = "123", .Letter = "K", .P1 = "  20.0", .U1 = "C", .P2 = "   100",
                   .U2 = ")", .Warning = "-", .R1 = "  45.6", .RU1 = "C", .Flag = "1"};
    EXPECT_BYTES(ConvertOldDataString(reply), Build(f));
    EXPECT_BYTES(ConvertOldDataString(reply + "\r\n"), Build(f));

    // 21 characters: no serial number, flag 0.
    const std::string reply21 = "\x1E" "61" "    2" "G" "I" " " "  45.6" "M" "1" "\r\n";
    ASSERT_EQ(reply21.size(), 21u);
    Fields g{.Id = "KR 6101", .Letter = "G", .P1 = "  2/10", .U1 = "\\", .P2 = " 26/28", .U2 = ")", .R1 = "  45.6",
             .RU1 = "a"};
    EXPECT_BYTES(ConvertOldDataString(reply21), Build(g));
    std::string other = reply21;
    other[9] = 'X';         // any other area is 10 cm²
    other[8] = 'H';         // "2" is "2/10" only in mode G
    std::tie(g.Letter, g.P1, g.P2) = std::tuple("H", "     2", "    10");
    EXPECT_BYTES(ConvertOldDataString(other), Build(g));
}

TEST_F(ConvertOldDataStringTest, AirPermeabilityAreasAndUnits)
{
    // Area letter B (50 cm²), unit letter O (mm/s); checksum 24.
    const std::string reply = "\x1E" "64" "  100" "x" "B" " " " 123.4" "O" "0" "A12" "\r\n";
    const std::string expected = "\x1E" "KR 6401" "A12" " " "   100" "?" "    50" ")" + std::string(14, ' ') + " "
                                 " 123.4" "H" + std::string(8, ' ') + "0" "\x18" "\r\n";
    EXPECT_BYTES(ConvertOldDataString(reply), expected);
    EXPECT_TRUE(IsValidDataString(expected));

    const char* const areas[] = {"   100", "    50", "    38", "    20", "    10", "     5", "     3"};
    const char* const units = "HUVWXZ)Y";
    for (int i = 0; i < 7; ++i) {
        std::string reply = "\x1E" "65" "  100" "x" "A" "+" " 123.4" "O" "1" "\r\n";
        reply[9] = static_cast<char>('A' + i);
        reply[17] = static_cast<char>('O' + i);
        const Fields f{.Id = "KR 6410", .P1 = "   100", .U1 = "?", .P2 = areas[i], .U2 = ")", .Warning = "+",
                       .R1 = " 123.4", .RU1 = std::string(1, units[i])};
        EXPECT_BYTES(ConvertOldDataString(reply), Build(f)) << i;
    }
    std::string lastUnit = "\x1E" "65" "  100" "x" "A" " " " 123.4" "V" "1" "\r\n";
    EXPECT_EQ(ConvertOldDataString(lastUnit).substr(47, 1), "Y");

    // An unknown area or unit letter leaves its field out: the string is too short.
    for (const auto& [bad, size] : {std::pair("\x1E" "64" "  100" "x" "H" " " " 123.4" "O" "0" "\r\n", 54u),
                                    std::pair("\x1E" "64" "  100" "x" "A" " " " 123.4" "Z" "0" "\r\n", 59u)}) {
        EXPECT_EQ(ConvertOldDataString(bad).size(), size);
        EXPECT_FALSE(IsValidDataString(ConvertOldDataString(bad)));
    }
}

TEST_F(ConvertOldDataStringTest, DynamicAirPermeability)
{
    // 4-8 start pressure in 0.1 kPa, 11 warning, 12-15 volume, 16-19 lower and
    // 20-23 upper pressure limit in 0.1 kPa, 24-29 result, 31-35 exponent,
    // 36 flag, 37-39 serial number.
    const std::string reply = "\x1E" "66" " 1234" "xx" " " " 400" " 500" "1500" " 123.4" " " "0.512" "1" "B12";
    Fields f = KR6450Reading();
    f.Warning = " ";
    EXPECT_BYTES(ConvertOldDataString(reply), Build(f));

    // Tenths are cut toward zero: 1239 is 123, -5 is 0 (never "-0").
    std::string other = reply;
    other.replace(3, 5, " 1239");
    EXPECT_BYTES(ConvertOldDataString(other), Build(f));
    other.replace(3, 5, "   -5");
    f.P2 = "     0";
    EXPECT_BYTES(ConvertOldDataString(other), Build(f));
}

TEST_F(ConvertOldDataStringTest, TearingStrength)
{
    // 4-8 measuring range, 9-10 specimens, 11 warning, 12-17 result, 18 unit.
    const std::string reply = "\x1E" "68" " 1600" "16" " " " 123.4" "c" "1" "C45" "\r\n";
    Fields f{.Id = "KR 6801", .Serial = "C45", .P1 = "    16", .P2 = "  1600", .U2 = "7", .R1 = " 123.4", .RU1 = "7",
             .Flag = "1"};
    EXPECT_BYTES(ConvertOldDataString(reply), Build(f));

    const std::string shortReply = "\x1E" "68" " 1600" "16" " " " 123.4" "m" "1" "\r\n";
    std::tie(f.Serial, f.RU1, f.Flag) = std::tuple("   ", "6", "0");
    EXPECT_BYTES(ConvertOldDataString(shortReply), Build(f));
}

TEST_F(ConvertOldDataStringTest, LiquidStrikeThroughTime)
{
    // 9 sign, 11-16 time, 18 flag.
    const std::string reply = "\x1E" "LI" "     " " " " " " 12.34" " " "1" "\r\n";
    Fields f{.Id = "LLISTER", .R1 = " 12.34", .RU1 = "`", .Flag = "1"};
    EXPECT_BYTES(ConvertOldDataString(reply), Build(f));

    std::string failed = reply;
    failed[8] = '*';
    std::tie(f.Warning, f.R1) = std::tuple("*", "     0");
    EXPECT_BYTES(ConvertOldDataString(failed), Build(f));
}

TEST_F(ConvertOldDataStringTest, CurrentStringComesBackByteForByte)
{
    const std::string text = Build({.Id = "KR 6400", .Serial = "1234", .Letter = "", .R1 = "  12.5", .RU1 = "H"});
    EXPECT_BYTES(ConvertOldDataString(text), text);
    EXPECT_BYTES(ConvertOldDataString(text, text), text);

    // Whatever ends it, a string of another code ends in CR LF.
    EXPECT_BYTES(ConvertOldDataString("\x1E" "KR 6420 abc" "xy"), "\x1E" "KR 6420 abc" "\r\n");
    EXPECT_EQ(ConvertOldDataString(""), "");
    EXPECT_EQ(ConvertOldDataString("\x1E"), "\x1E");
}
