#include "instrument/ExpectedDataString.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

namespace {

std::string Blanks(size_t n)
{
    return std::string(n, ' ');
}

TEST(ExpectedDataStringTest, FieldsStandWhereTheInstrumentSendsThem)
{
    // Checksums worked out by hand: the sum of positions 1 to 57 And 255,
    // less 128 above 128.
    const struct {
        const char* what;
        ExpectedDataStringInput input;
        std::string expected;
    } rows[] = {
        {"yarn fineness, 100 m in tex (sum 2095)",
         {"D  7041", "F", {"100", "", "", ""}, {"$", "", "", ""}, "f", ""},
         "\x1E" "D  7041" "   " "F" "100   " "$" + Blanks(28) + "f" + Blanks(9) + "/\r\n"},
        {"in yards (sum 2097)",
         {"D  7041", "F", {"100", "", "", ""}, {"&", "", "", ""}, "f", ""},
         "\x1E" "D  7041" "   " "F" "100   " "&" + Blanks(28) + "f" + Blanks(9) + "1\r\n"},
        {"liquid strike-through time in s (sum 2205 gives 29)",
         {"LLISTER", "", {}, {}, "`", ""},
         "\x1E" "LLISTER" + Blanks(39) + "`" + Blanks(9) + "\x1D\r\n"},
        {"keyboard input, nothing filled in (sum 1934 gives 14)",
         {"0000000", "", {}, {}, "", ""},
         "\x1E" "0000000" + Blanks(49) + "\x0E\r\n"},
        {"a second result unit at 55, parameters cut to six (sum 2380)",
         {"MP 4800", "y", {"1234567", "10", "", ""}, {"\"", "N", "", ""}, "8", "n"},
         "\x1E" "MP 4800" "   " "y" "123456" "\"" "10    " "N" + Blanks(14) + Blanks(7) + "8" + Blanks(6) + "n"
             + Blanks(2) + "L\r\n"},
        {"short identifier padded, long code taken by its first character, a character outside the code page (sum 2011 gives 91)",
         {"KR", "PX", {QString::fromUtf8("Ł1"), "", "", ""}, {"", "", "", ""}, "", ""},
         "\x1E" "KR     " "   " "P" "?1    " " " + Blanks(28) + " " + Blanks(9) + "[\r\n"},
    };
    for (const auto& row : rows) {
        const std::string built = BuildExpectedDataString(row.input);
        EXPECT_EQ(built.size(), 60u) << row.what;
        EXPECT_EQ(ToHex(built), ToHex(row.expected)) << row.what;
    }
}

} // namespace
