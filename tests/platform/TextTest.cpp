#include "platform/Text.h"

#include <gtest/gtest.h>

TEST(Text, TrimRemovesBlanksOnly)
{
    EXPECT_EQ(Trim(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(Trim(QStringLiteral("\ta\r\n")), QStringLiteral("\ta\r\n"));
    EXPECT_EQ(LTrim(QStringLiteral("  x ")), QStringLiteral("x "));
    EXPECT_EQ(RTrim(QStringLiteral("  x ")), QStringLiteral("  x"));
    EXPECT_EQ(Trim(QStringLiteral("   ")), QString());
    EXPECT_EQ(Trim(std::string(" \x1E" "12 ")), std::string("\x1E" "12"));
    EXPECT_EQ(Trim(std::string("    ")), std::string());
}
