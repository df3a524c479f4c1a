#include "platform/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252Test, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = FromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1252(text), all);
    for (int b = 0; b < 256; ++b)
        EXPECT_TRUE(IsCp1252Char(Cp1252ToChar(static_cast<unsigned char>(b)))) << b;
}

TEST(Cp1252Test, HighBytesFollowTheWindowsTable)
{
    const char16_t expected[32] = {
        u'€', 0x0081, u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0x008D, u'Ž', 0x008F,
        0x0090, u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0x009D, u'ž', u'Ÿ',
    };
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(Cp1252ToChar(static_cast<unsigned char>(0x80 + i)).unicode(), expected[i]) << 0x80 + i;
    EXPECT_EQ(Cp1252ToChar(0xA0).unicode(), 0x00A0);
    EXPECT_EQ(Cp1252ToChar(0xFF).unicode(), u'ÿ');
    EXPECT_EQ(Cp1252ToChar(0x41).unicode(), u'A');
}

TEST(Cp1252Test, EncodesTextToTheExpectedBytes)
{
    // P r ü f u n g blank ä €
    const std::string expected("\x50\x72\xFC\x66\x75\x6E\x67\x20\xE4\x80", 10);
    EXPECT_EQ(ToCp1252(QStringLiteral("Prüfung ä€")), expected);
    EXPECT_EQ(ToCp1252(QStringLiteral("“Ÿ”")), std::string("\x93\x9F\x94"));
}

TEST(Cp1252Test, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(ToCp1252(QStringLiteral("a試b")), std::string("a?b"));
    EXPECT_FALSE(IsCp1252Char(QChar(u'試')));
    // C1 controls that Windows-1252 puts other characters on have no byte.
    EXPECT_EQ(ToCp1252Char(QChar(char16_t(0x0080))), '?');
    EXPECT_EQ(ToCp1252Char(QChar(char16_t(0x0081))), '\x81');
    // A blank outside the code page (the fr_FR thousands separator) stays a
    // blank; the no-break space has its own byte.
    EXPECT_EQ(ToCp1252(QString::fromUtf8("123\u202F000 1\u2009000 1\u00A0000")), std::string("123 000 1 000 1\xA0" "000"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("123\u2019000")), std::string("123\x92" "000"));
    // A character outside the Basic Multilingual Plane is one "?".
    EXPECT_EQ(ToCp1252(QString::fromUtf8("x\xF0\x9F\x98\x80y")), std::string("x?y"));
}
