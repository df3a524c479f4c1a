#include "platform/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252Test, EveryByteSurvivesARoundTripAndHighBytesFollowTheWindowsTable)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(ToCp1252(FromCp1252(all)), all);
    const char16_t expected[32] = {
        u'€', 0x0081, u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0x008D, u'Ž', 0x008F,
        0x0090, u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0x009D, u'ž', u'Ÿ',
    };
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(Cp1252ToChar(static_cast<unsigned char>(0x80 + i)).unicode(), expected[i]) << 0x80 + i;
    EXPECT_EQ(Cp1252ToChar(0xA0).unicode(), 0x00A0);
    EXPECT_EQ(Cp1252ToChar(0xFF).unicode(), u'ÿ');
}

TEST(Cp1252Test, EncodesTextToTheExpectedBytesAndTheRestToQuestionMarks)
{
    const std::pair<const char*, std::string> rows[] = {
        {"Prüfung ä€", std::string("\x50\x72\xFC\x66\x75\x6E\x67\x20\xE4\x80", 10)},
        {"“Ÿ”", "\x93\x9F\x94"},
        {"a試b", "a?b"},
        {"\xC2\x80\xC2\x81", "?\x81"},   // C1 controls that Windows-1252 puts other characters on have no byte
        // A blank outside the code page (the fr_FR thousands separator) stays
        // a blank; the no-break space has its own byte.
        {"123\u202F000 1\u2009000 1\u00A0000", "123 000 1 000 1\xA0" "000"},
        {"123\u2019000", "123\x92" "000"},
        {"x\xF0\x9F\x98\x80y", "x?y"},   // outside the Basic Multilingual Plane: one "?"
    };
    for (const auto& [text, bytes] : rows)
        EXPECT_EQ(ToCp1252(QString::fromUtf8(text)), bytes) << text;
    EXPECT_FALSE(IsCp1252Char(QChar(u'試')));
    EXPECT_TRUE(IsCp1252Char(Cp1252ToChar(0x81)));
}
