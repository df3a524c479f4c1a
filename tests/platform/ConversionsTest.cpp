#include "platform/Conversions.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

// Pins the decimal separator (and Qt's default locale) for one test and
// restores both afterwards.
class LocaleFixture : public ::testing::Test {
protected:
    void Pin(const QString& localeName)
    {
        const QLocale locale(localeName);
        QLocale::setDefault(locale);
        DecimalSeparator = locale.decimalPoint();
    }
    void SetUp() override
    {
        savedSeparator_ = DecimalSeparator;
        savedLocale_ = QLocale();
        Pin(QStringLiteral("en_US"));
    }
    void TearDown() override
    {
        DecimalSeparator = savedSeparator_;
        QLocale::setDefault(savedLocale_);
    }

private:
    QString savedSeparator_;
    QLocale savedLocale_;
};

using ConversionsTest = LocaleFixture;

TEST_F(ConversionsTest, ValReadsTheLeadingNumber)
{
    EXPECT_EQ(Val(QStringLiteral("12abc")), 12.0);
    EXPECT_EQ(Val(QString()), 0.0);
    EXPECT_EQ(Val(QStringLiteral(" 1 2")), 12.0);
    EXPECT_EQ(Val(QStringLiteral("\t1\n2.5")), 12.5);
    EXPECT_EQ(Val(QStringLiteral("-3.5e2")), -350.0);
    EXPECT_EQ(Val(QStringLiteral("1.5D3")), 1500.0);
    EXPECT_EQ(Val(QStringLiteral("2e")), 2.0);
    EXPECT_EQ(Val(QStringLiteral("1.2.3")), 1.2);
    EXPECT_EQ(Val(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(Val(QStringLiteral("- 7")), -7.0);
    EXPECT_EQ(Val(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("\r5")), 0.0);
    EXPECT_EQ(Val(std::string(" 42\xB0" "C")), 42.0);
}

TEST_F(ConversionsTest, ValReadsOnlyTheDotEvenUnderAGermanLocale)
{
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(Val(QStringLiteral("3,5")), 3.0);
    EXPECT_EQ(Val(QStringLiteral("3.5")), 3.5);
}

TEST_F(ConversionsTest, ValReadsHexadecimalAndOctal)
{
    EXPECT_EQ(Val(QStringLiteral("&H1F")), 31.0);
    EXPECT_EQ(Val(QStringLiteral("&hff")), 255.0);
    EXPECT_EQ(Val(QStringLiteral("&HFFFF")), -1.0);
    EXPECT_EQ(Val(QStringLiteral("&H10000")), 65536.0);
    EXPECT_EQ(Val(QStringLiteral("&HFFFFFFFF")), -1.0);
    EXPECT_EQ(Val(QStringLiteral("&O17")), 15.0);
    EXPECT_EQ(Val(QStringLiteral("&H")), 0.0);
}

TEST_F(ConversionsTest, IsNumericAndCDblUnderEnglishLocale)
{
    EXPECT_TRUE(IsNumeric(QStringLiteral("12")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("  -1.5  ")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("+.5")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("1,234.5")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("1.5E-3")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("5.")));
    EXPECT_FALSE(IsNumeric(QString()));
    EXPECT_FALSE(IsNumeric(QStringLiteral(".")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("-")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("   ")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("1,5,")));
    EXPECT_FALSE(IsNumeric(QStringLiteral(",5")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("12abc")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("1E")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("1.2.3")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("\t1")));

    EXPECT_EQ(CDbl(QStringLiteral(" -1,234.5 ")), -1234.5);
    EXPECT_EQ(CDbl(QStringLiteral("2.5e2")), 250.0);
    EXPECT_EQ(CDbl(QStringLiteral("abc")), 0.0);
}

TEST_F(ConversionsTest, IsNumericAndCDblUnderGermanLocale)
{
    Pin(QStringLiteral("de_DE"));
    ASSERT_EQ(DecimalSeparator, QStringLiteral(","));
    EXPECT_TRUE(IsNumeric(QStringLiteral("1,5")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("1.234,5")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("1,2,3")));
    EXPECT_EQ(CDbl(QStringLiteral("1,5")), 1.5);
    EXPECT_EQ(CDbl(QStringLiteral("1.234,5")), 1234.5);
    // "." groups digits here, so it does not end the whole part.
    EXPECT_EQ(CDbl(QStringLiteral("1.5")), 15.0);
}

TEST_F(ConversionsTest, CStrWritesDoublesWithFifteenDigits)
{
    EXPECT_EQ(CStr(0.0), QStringLiteral("0"));
    EXPECT_EQ(CStr(-0.0), QStringLiteral("0"));
    EXPECT_EQ(CStr(12.0), QStringLiteral("12"));
    EXPECT_EQ(CStr(-12.5), QStringLiteral("-12.5"));
    EXPECT_EQ(CStr(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(CStr(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(CStr(1.0 / 3.0), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(CStr(-0.0001), QStringLiteral("-0.0001"));
    EXPECT_EQ(CStr(0.000015), QStringLiteral("1.5E-05"));
    EXPECT_EQ(CStr(1e15), QStringLiteral("1E+15"));
    EXPECT_EQ(CStr(123456789012345.0), QStringLiteral("123456789012345"));
    EXPECT_EQ(CStr(999999999999999.9), QStringLiteral("1E+15"));
    EXPECT_EQ(CStr(-1.25e100), QStringLiteral("-1.25E+100"));
    EXPECT_EQ(CStr(42), QStringLiteral("42"));
}

TEST_F(ConversionsTest, CStrWritesSinglesWithSevenDigits)
{
    EXPECT_EQ(CStr(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(CStr(1234567.0f), QStringLiteral("1234567"));
    EXPECT_EQ(CStr(12345678.0f), QStringLiteral("1.234568E+07"));
    EXPECT_EQ(CStr(3.14159265f), QStringLiteral("3.141593"));
    EXPECT_EQ(CStr(-std::numeric_limits<float>::max()), QStringLiteral("-3.402823E+38"));
}

TEST_F(ConversionsTest, CStrUsesTheLocaleSeparator)
{
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(CStr(-12.5), QStringLiteral("-12,5"));
    EXPECT_EQ(CStr(1.5e-5), QStringLiteral("1,5E-05"));
    EXPECT_EQ(CStr(2.5f), QStringLiteral("2,5"));
}

TEST_F(ConversionsTest, WholeNumbersRoundHalfToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
    EXPECT_EQ(RoundHalfEven(-2.6), -3.0);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CLng(0.5), 0);
    EXPECT_EQ(CLng(1.5), 2);
    EXPECT_EQ(CLng(-100000.5), -100000);
}

TEST_F(ConversionsTest, WholeNumberConversionsClampOutOfRange)
{
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(40000.0), 32767);
    EXPECT_EQ(CInt(-32768.0), -32768);
    EXPECT_EQ(CInt(-1e9), -32768);
    EXPECT_EQ(CInt(std::nan("")), 0);
    EXPECT_EQ(CLng(3e9), 2147483647);
    EXPECT_EQ(CLng(-3e9), -2147483647 - 1);
}

TEST_F(ConversionsTest, FormatRoundsHalfAwayFromZero)
{
    EXPECT_EQ(Format(2.5, QStringLiteral("0")), QStringLiteral("3"));
    EXPECT_EQ(Format(-2.5, QStringLiteral("0")), QStringLiteral("-3"));
    EXPECT_EQ(Format(0.125, QStringLiteral("0.00")), QStringLiteral("0.13"));
    EXPECT_EQ(Format(2.675, QStringLiteral("0.00")), QStringLiteral("2.68"));
    EXPECT_EQ(Format(1.005, QStringLiteral("0.00")), QStringLiteral("1.01"));
    EXPECT_EQ(Format(0.15, QStringLiteral("0.0")), QStringLiteral("0.2"));
    EXPECT_EQ(Format(9.96, QStringLiteral("0.0")), QStringLiteral("10.0"));
    EXPECT_EQ(Format(0.0005, QStringLiteral("0.000")), QStringLiteral("0.001"));
    EXPECT_EQ(Format(0.00049, QStringLiteral("0.000")), QStringLiteral("0.000"));
}

TEST_F(ConversionsTest, FormatDigitPlaceholders)
{
    EXPECT_EQ(Format(12.345, QStringLiteral("0.0")), QStringLiteral("12.3"));
    EXPECT_EQ(Format(0.5, QStringLiteral("#0.0")), QStringLiteral("0.5"));
    EXPECT_EQ(Format(123.456, QStringLiteral("#0.00")), QStringLiteral("123.46"));
    EXPECT_EQ(Format(7.0, QStringLiteral("0.000")), QStringLiteral("7.000"));
    EXPECT_EQ(Format(5.0, QStringLiteral("00")), QStringLiteral("05"));
    EXPECT_EQ(Format(123.0, QStringLiteral("00")), QStringLiteral("123"));
    EXPECT_EQ(Format(5.0, QStringLiteral("0#")), QStringLiteral("05"));
    EXPECT_EQ(Format(25.0, QStringLiteral("0#")), QStringLiteral("25"));
    EXPECT_EQ(Format(42.0, QStringLiteral("0000000")), QStringLiteral("0000042"));
    EXPECT_EQ(Format(0.0, QStringLiteral("#")), QStringLiteral(""));
    EXPECT_EQ(Format(7.0, QStringLiteral("#")), QStringLiteral("7"));
    EXPECT_EQ(Format(0.5, QStringLiteral("#.##")), QStringLiteral(".5"));
    EXPECT_EQ(Format(1.5, QStringLiteral("0.0#")), QStringLiteral("1.5"));
    EXPECT_EQ(Format(1.25, QStringLiteral("0.0#")), QStringLiteral("1.25"));
    EXPECT_EQ(Format(12.5, QStringLiteral(".00")), QStringLiteral("12.50"));
    EXPECT_EQ(Format(0.125, QStringLiteral("0%")), QStringLiteral("13%"));
    EXPECT_EQ(Format(1234.0, QStringLiteral("00-00")), QStringLiteral("12-34"));
    EXPECT_EQ(Format(5.0, QStringLiteral("\"R=\"0 mm")), QStringLiteral("R=5 mm"));
    EXPECT_EQ(Format(-5.0, QStringLiteral("$0")), QStringLiteral("-$5"));
}

TEST_F(ConversionsTest, FormatGroupsThousands)
{
    EXPECT_EQ(Format(1234567.0, QStringLiteral("#,##0")), QStringLiteral("1,234,567"));
    EXPECT_EQ(Format(123.0, QStringLiteral("#,##0")), QStringLiteral("123"));
    EXPECT_EQ(Format(0.0, QStringLiteral("#,##0")), QStringLiteral("0"));
    EXPECT_EQ(Format(-1234.5, QStringLiteral("#,##0.00")), QStringLiteral("-1,234.50"));
    EXPECT_EQ(Format(999999.5, QStringLiteral("##,##0")), QStringLiteral("1,000,000"));
    EXPECT_EQ(Format(1500.0, QStringLiteral("0,")), QStringLiteral("2"));
}

TEST_F(ConversionsTest, FormatUsesTheGermanSeparators)
{
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(Format(1234567.0, QStringLiteral("#,##0")), QStringLiteral("1.234.567"));
    EXPECT_EQ(Format(1234.5, QStringLiteral("#,##0.00")), QStringLiteral("1.234,50"));
    EXPECT_EQ(Format(12.345, QStringLiteral("#0.00")), QStringLiteral("12,35"));
    EXPECT_EQ(Format(1234.5, QStringLiteral("0.00E+00")), QStringLiteral("1,23E+03"));
}

TEST_F(ConversionsTest, FormatScientific)
{
    EXPECT_EQ(Format(12345.0, QStringLiteral("0.00E+00")), QStringLiteral("1.23E+04"));
    EXPECT_EQ(Format(0.000123, QStringLiteral("0.00E+00")), QStringLiteral("1.23E-04"));
    EXPECT_EQ(Format(9.999, QStringLiteral("0.00E+00")), QStringLiteral("1.00E+01"));
    EXPECT_EQ(Format(0.0, QStringLiteral("0.00E+00")), QStringLiteral("0.00E+00"));
    EXPECT_EQ(Format(-12345.0, QStringLiteral("0.0E-00")), QStringLiteral("-1.2E04"));
    EXPECT_EQ(Format(1.5e-120, QStringLiteral("0.0E+00")), QStringLiteral("1.5E-120"));
}

TEST_F(ConversionsTest, FormatSections)
{
    const QString pattern = QStringLiteral("0.0;(0.0);\"zero\"");
    EXPECT_EQ(Format(1.25, pattern), QStringLiteral("1.3"));
    EXPECT_EQ(Format(-1.25, pattern), QStringLiteral("(1.3)"));
    EXPECT_EQ(Format(0.0, pattern), QStringLiteral("zero"));
    // An empty section takes the positive one.
    EXPECT_EQ(Format(-5.0, QStringLiteral("0;;\"zero\"")), QStringLiteral("-5"));
    EXPECT_EQ(Format(0.0, QStringLiteral("0;-0;")), QStringLiteral("0"));
    // A ";" inside quotes does not start a section.
    EXPECT_EQ(Format(-2.0, QStringLiteral("0\";\"")), QStringLiteral("-2;"));
}

TEST_F(ConversionsTest, FormatNeverShowsANegativeZero)
{
    EXPECT_EQ(Format(-0.001, QStringLiteral("0.00")), QStringLiteral("0.00"));
    EXPECT_EQ(Format(-0.4, QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(Format(-0.001, QStringLiteral("0.00;(0.00)")), QStringLiteral("0.00"));
    EXPECT_EQ(Format(-0.0, QStringLiteral("0.0")), QStringLiteral("0.0"));
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

TEST(ConversionsLocaleTest, ReadsTheSystemSeparator)
{
    EXPECT_EQ(ReadLocaleDecimalSeparator(), QLocale::system().decimalPoint());
}
