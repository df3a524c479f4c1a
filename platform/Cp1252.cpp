#include "platform/Cp1252.h"

namespace {

// Bytes 0x80 to 0x9F. The five bytes Windows leaves undefined keep their own
// code point (U+0081, U+008D, U+008F, U+0090, U+009D) so that no byte is lost.
const char16_t HighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte of a UTF-16 unit, or -1 when the code page has none.
int ByteOf(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i) {
        if (HighTable[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QChar Cp1252ToChar(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(HighTable[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

char ToCp1252Char(QChar ch)
{
    const int byte = ByteOf(ch.unicode());
    if (byte >= 0)
        return static_cast<char>(byte);
    // A blank the code page lacks (the narrow no-break space that groups
    // thousands in fr_FR) stays a blank.
    return ch.category() == QChar::Separator_Space ? ' ' : '?';
}

bool IsCp1252Char(QChar ch)
{
    return ByteOf(ch.unicode()) >= 0;
}

QString FromCp1252(const std::string& bytes)
{
    // Outside 0x80 to 0x9F the code page is Latin-1, which Qt converts fast.
    bool latin1 = true;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F) {
            latin1 = false;
            break;
        }
    }
    if (latin1)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes)
        text.append(Cp1252ToChar(static_cast<unsigned char>(c)));
    return text;
}

std::string ToCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        // A character outside the Basic Multilingual Plane is one "?", not two.
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes.push_back(ToCp1252Char(ch));
    }
    return bytes;
}
