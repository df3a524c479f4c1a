#include "foundation/modDiskBasics.h"

#include "foundation/Records.h"
#include "foundation/modLog.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"

QString dskBuildPath(const QString& folder, const QString& name)
{
    return FindExistingPath(folder, name);
}

bool dskIsVersionText(const std::string& text)
{
    // Optional blanks and sign, digits with at most one ".", optional exponent.
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    int digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        int expDigits = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    while (i < n && text[i] == ' ')
        ++i;
    return i == n;
}

namespace {

// The value of a version text; NoValue when it is not a number.
float VersionValue(const std::string& text)
{
    return dskIsVersionText(text) ? static_cast<float>(Val(text)) : NoValue;
}

} // namespace

QString dskReadMagic(const std::string& bytes)
{
    return bytes.size() >= 3 ? FromCp1252(bytes.substr(0, 3)) : QString();
}

float dskReadVersion(BinaryReader& in)
{
    const std::string text = in.GetBytesString();
    return in.Ok() ? VersionValue(text) : NoValue;
}

QString dskReadMagic(QIODevice& file)
{
    if (file.size() < 3 || !file.seek(0))
        return QString();
    const QByteArray magic = file.read(3);
    if (magic.size() != 3)
        return QString();
    return FromCp1252(magic.toStdString());
}

float dskReadVersion(QIODevice& file)
{
    if (file.size() <= 3 || !file.seek(3))
        return NoValue;
    const QByteArray lengthBytes = file.read(2);
    if (lengthBytes.size() != 2)
        return NoValue;
    const int length = static_cast<unsigned char>(lengthBytes[0])
        | (static_cast<unsigned char>(lengthBytes[1]) << 8);
    const QByteArray text = file.read(length);
    return text.size() == length ? VersionValue(text.toStdString()) : NoValue;
}

void dskPutHeader(BinaryWriter& out, const char* magic)
{
    out.PutBytes(std::string(magic, 3));
    out.PutString(std::string(ProgramVersion));
}

QString dskAsideName(const QString& name, int number)
{
    return name + QStringLiteral(".BAD") + (number <= 1 ? QString() : QString::number(number));
}
