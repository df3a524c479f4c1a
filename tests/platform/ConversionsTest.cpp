#include "platform/Conversions.h"
#include "support/LocaleFixture.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using ConversionsTest = LocaleFixture;

TEST_F(ConversionsTest, ValReadsTheLeadingNumberInDecimalHexadecimalOrOctal)
{
    const std::pair<const char*, double> cases[] = {
        {"12abc", 12.0}, {" 1 2", 12.0}, {"\t1\n2.5", 12.5}, {"-3.5e2", -350.0}, {"1.5D3", 1500.0}, {"2e", 2.0},
        {"1.2.3", 1.2}, {".5", 0.5}, {"- 7", -7.0}, {"abc", 0.0}, {"\r5", 0.0}, {"&H1F", 31.0}, {"&hff", 255.0},
        {"&HFFFF", -1.0}, {"&H10000", 65536.0}, {"&HFFFFFFFF", -1.0}, {"&O17", 15.0}, {"&H", 0.0}, {"", 0.0}};
    Pin(QStringLiteral("de_DE"));   // Val reads only the dot
    for (const auto& [text, value] : cases)
        EXPECT_EQ(Val(QString::fromUtf8(text)), value) << text;
    EXPECT_EQ(Val(QStringLiteral("3,5")), 3.0);
    EXPECT_EQ(Val(std::string(" 42\xB0" "C")), 42.0);
}

TEST_F(ConversionsTest, IsNumericAndCDblFollowTheLocale)
{
    const struct {
        const char* locale;
        const char* text;
        bool numeric;
        double value;
    } rows[] = {
        {"en_US", "12", true, 12},           {"en_US", "  -1.5  ", true, -1.5}, {"en_US", "+.5", true, 0.5},
        {"en_US", "1,234.5", true, 1234.5},  {"en_US", " -1,234.5 ", true, -1234.5},  {"en_US", "1.5E-3", true, 0.0015}, {"en_US", "5.", true, 5},
        {"en_US", "2.5e2", true, 250},       {"en_US", ".", false, 0},          {"en_US", "-", false, 0},
        {"en_US", "   ", false, 0},          {"en_US", "1,5,", false, 0},       {"en_US", ",5", false, 0},
        {"en_US", "12abc", false, 0},        {"en_US", "1E", false, 0},         {"en_US", "1.2.3", false, 0},
        {"en_US", "\t1", false, 0},          {"en_US", "", false, 0},
        {"de_DE", "1,5", true, 1.5},         {"de_DE", "1.234,5", true, 1234.5},
        // "." groups digits here, so it does not end the whole part.
        {"de_DE", "1.5", true, 15},          {"de_DE", "1,2,3", false, 0},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        EXPECT_EQ(IsNumeric(QString::fromUtf8(row.text)), row.numeric) << row.locale << " " << row.text;
        if (row.numeric) {
            EXPECT_EQ(CDbl(QString::fromUtf8(row.text)), row.value) << row.locale << " " << row.text;
        }
    }
    EXPECT_EQ(CDbl(QStringLiteral("abc")), 0.0);
}

TEST_F(ConversionsTest, CStrWritesDoublesWithFifteenDigitsAndSinglesWithSeven)
{
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"}, {-0.0, "0"}, {12.0, "12"}, {-12.5, "-12.5"}, {0.1, "0.1"}, {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"}, {-0.0001, "-0.0001"}, {0.000015, "1.5E-05"}, {1e15, "1E+15"},
        {123456789012345.0, "123456789012345"}, {999999999999999.9, "1E+15"}, {-1.25e100, "-1.25E+100"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(CStr(value), QString::fromUtf8(text)) << text;
    const std::pair<float, const char*> singles[] = {
        {0.1f, "0.1"}, {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"}, {3.14159265f, "3.141593"},
        {-std::numeric_limits<float>::max(), "-3.402823E+38"}};
    for (const auto& [value, text] : singles)
        EXPECT_EQ(CStr(value), QString::fromUtf8(text)) << text;
    EXPECT_EQ(CStr(42), QStringLiteral("42"));
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(CStr(1.5e-5), QStringLiteral("1,5E-05"));
    EXPECT_EQ(CStr(0.000125f), QStringLiteral("0,000125"));
}

// Files and data strings get a plain number whatever the locale.
TEST_F(ConversionsTest, PlainNumberTextWritesFifteenDigitsWithoutExponentOrLocale)
{
    Pin(QStringLiteral("de_DE"));
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"}, {-0.0, "0"}, {12.0, "12"}, {1234.5, "1234.5"}, {-0.000125, "-0.000125"}, {1e-7, "0.0000001"},
        {1e20, "100000000000000000000"}, {0.1 + 0.2, "0.3"}, {1.0 / 3.0, "0.333333333333333"},
        {123456789012345678.0, "123456789012346000"}, {std::numeric_limits<double>::quiet_NaN(), "0"},
        {std::numeric_limits<double>::infinity(), "0"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(PlainNumberText(value), text) << text;
    EXPECT_EQ(PlainNumberText(2.0 / 3.0, 3), "0.667");
}

TEST_F(ConversionsTest, WholeNumbersRoundHalfToEvenAndClampOutOfRange)
{
    const std::pair<double, double> cases[] = {{2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {-3.5, -4.0}, {2.4999, 2.0},
                                               {-2.6, -3.0}};
    for (const auto& [value, rounded] : cases)
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    const std::pair<double, int16_t> integers[] = {{2.5, 2},         {3.5, 4},         {-2.5, -2},
                                                   {32767.4, 32767}, {40000.0, 32767}, {-32768.0, -32768},
                                                   {-1e9, -32768},   {std::nan(""), 0}};
    for (const auto& [value, whole] : integers)
        EXPECT_EQ(CInt(value), whole) << value;
    const std::pair<double, int32_t> longs[] = {
        {0.5, 0}, {1.5, 2}, {-100000.5, -100000}, {3e9, 2147483647}, {-3e9, -2147483647 - 1}};
    for (const auto& [value, whole] : longs)
        EXPECT_EQ(CLng(value), whole) << value;
}

namespace {

struct FormatCase {
    double value;
    const char* pattern;
    const char* text;
};

void ExpectFormats(std::initializer_list<FormatCase> cases)
{
    for (const FormatCase& c : cases)
        EXPECT_EQ(Format(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.text))
            << c.value << " with \"" << c.pattern << "\"";
}

} // namespace

TEST_F(ConversionsTest, FormatPatterns)
{
    // Halves round away from zero.
    ExpectFormats({{2.5, "0", "3"}, {-2.5, "0", "-3"}, {0.125, "0.00", "0.13"}, {2.675, "0.00", "2.68"},
                   {1.005, "0.00", "1.01"}, {0.15, "0.0", "0.2"}, {9.96, "0.0", "10.0"}, {0.0005, "0.000", "0.001"},
                   {0.00049, "0.000", "0.000"}});
    // Digit placeholders, literals and percent.
    ExpectFormats({{12.345, "0.0", "12.3"}, {0.5, "#0.0", "0.5"}, {123.456, "#0.00", "123.46"},
                   {7.0, "0.000", "7.000"}, {5.0, "00", "05"}, {123.0, "00", "123"}, {5.0, "0#", "05"},
                   {25.0, "0#", "25"}, {42.0, "0000000", "0000042"}, {0.0, "#", ""}, {7.0, "#", "7"},
                   {0.5, "#.##", ".5"}, {1.5, "0.0#", "1.5"}, {1.25, "0.0#", "1.25"}, {12.5, ".00", "12.50"},
                   {0.125, "0%", "13%"}, {1234.0, "00-00", "12-34"}, {5.0, "\"R=\"0 mm", "R=5 mm"},
                   {-5.0, "$0", "-$5"}});
    // Thousands.
    ExpectFormats({{1234567.0, "#,##0", "1,234,567"}, {123.0, "#,##0", "123"}, {0.0, "#,##0", "0"},
                   {-1234.5, "#,##0.00", "-1,234.50"}, {999999.5, "##,##0", "1,000,000"}, {1500.0, "0,", "2"}});
    // Scientific.
    ExpectFormats({{12345.0, "0.00E+00", "1.23E+04"}, {0.000123, "0.00E+00", "1.23E-04"},
                   {9.999, "0.00E+00", "1.00E+01"}, {0.0, "0.00E+00", "0.00E+00"}, {-12345.0, "0.0E-00", "-1.2E04"},
                   {1.5e-120, "0.0E+00", "1.5E-120"}});
    // Sections: an empty one takes the positive one; a ";" inside quotes starts none.
    ExpectFormats({{1.25, "0.0;(0.0);\"zero\"", "1.3"}, {-1.25, "0.0;(0.0);\"zero\"", "(1.3)"},
                   {0.0, "0.0;(0.0);\"zero\"", "zero"}, {-5.0, "0;;\"zero\"", "-5"}, {0.0, "0;-0;", "0"},
                   {-2.0, "0\";\"", "-2;"}});
    // Never a negative zero.
    ExpectFormats({{-0.001, "0.00", "0.00"}, {-0.4, "0", "0"}, {-0.001, "0.00;(0.00)", "0.00"}, {-0.0, "0.0", "0.0"}});
    Pin(QStringLiteral("de_DE"));
    ExpectFormats({{1234567.0, "#,##0", "1.234.567"}, {1234.5, "#,##0.00", "1.234,50"}, {12.345, "#0.00", "12,35"},
                   {1234.5, "0.00E+00", "1,23E+03"}});
}

// Each locale groups with its own separator, and reads back what it wrote; a
// separator that is a kind of blank is also read as a typed blank.
TEST_F(ConversionsTest, ThousandsAreGroupedWithTheLocalesOwnSeparator)
{
    const struct {
        const char* locale;
        const char* grouped;     // 1234567.5 as "#,##0.0"
        const char* typed;       // what a user types for it
    } rows[] = {
        {"en_US", "1,234,567.5", "1,234,567.5"},
        {"de_DE", "1.234.567,5", "1.234.567,5"},
        {"fr_FR", "1\u202F234\u202F567,5", "1 234 567,5"},
        {"de_CH", "1\u2019234\u2019567.5", "1\u2019234\u2019567.5"},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        const QString grouped = QString::fromUtf8(row.grouped);
        EXPECT_EQ(Format(1234567.5, QStringLiteral("#,##0.0")), grouped) << row.locale;
        EXPECT_EQ(CDbl(grouped), 1234567.5) << row.locale;
        EXPECT_EQ(CDbl(QString::fromUtf8(row.typed)), 1234567.5) << row.locale;
    }
    // Under fr_FR a blank groups only between digits.
    Pin(QStringLiteral("fr_FR"));
    for (const char* text : {"1 2,5 3", "1 ,5", "- 1"})
        EXPECT_FALSE(IsNumeric(QString::fromUtf8(text))) << text;
    // A pinned decimal separator alone keeps a consistent pair.
    GroupSeparator = QStringLiteral(",");
    DecimalSeparator = QStringLiteral(",");
    EXPECT_EQ(Format(1234.5, QStringLiteral("#,##0.0")), QStringLiteral("1.234,5"));
}

TEST_F(ConversionsTest, FormatOfTheEmptyFloatMarker)
{
    // The most negative float, as unset limits are stored, written with "#0.00".
    const double noValue = -static_cast<double>(std::numeric_limits<float>::max());
    EXPECT_EQ(Format(noValue, QStringLiteral("#0.00")),
              QStringLiteral("-340282346638529000000000000000000000000.00"));
    EXPECT_EQ(Format(std::numeric_limits<double>::infinity(), QStringLiteral("0.00")), QStringLiteral("1.#INF"));
    EXPECT_EQ(Format(12.5, QString()), QStringLiteral("12.5"));
}
