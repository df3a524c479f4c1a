#include "platform/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(PlainNumberTextTest, WritesFifteenSignificantDigitsWithoutExponentOrLeadingBlank)
{
    EXPECT_EQ(PlainNumberText(0.0), "0");
    EXPECT_EQ(PlainNumberText(-0.0), "0");
    EXPECT_EQ(PlainNumberText(12.0), "12");
    EXPECT_EQ(PlainNumberText(1234.5), "1234.5");
    EXPECT_EQ(PlainNumberText(-0.000125), "-0.000125");
    EXPECT_EQ(PlainNumberText(1e-7), "0.0000001");
    EXPECT_EQ(PlainNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(PlainNumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(PlainNumberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(PlainNumberText(123456789012345678.0), "123456789012346000");
    EXPECT_EQ(PlainNumberText(2.0 / 3.0, 3), "0.667");
    EXPECT_EQ(PlainNumberText(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(PlainNumberText(std::numeric_limits<double>::infinity()), "0");
}

TEST(PlainNumberTextTest, IgnoresTheLocaleSeparator)
{
    const QString saved = DecimalSeparator;
    DecimalSeparator = QStringLiteral(",");
    EXPECT_EQ(PlainNumberText(1.5), "1.5");
    EXPECT_EQ(CStr(0.000125f), "0,000125");
    DecimalSeparator = saved;
}
