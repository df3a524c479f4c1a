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
    return file.seek(0) ? dskReadMagic(file.read(3).toStdString()) : QString();
}

float dskReadVersion(QIODevice& file)
{
    // Only the length and the text are read, not the whole file.
    if (!file.seek(3))
        return NoValue;
    QByteArray header = file.read(2);
    if (header.size() == 2)
        header += file.read(static_cast<unsigned char>(header[0]) | (static_cast<unsigned char>(header[1]) << 8));
    BinaryReader in(header.constData(), static_cast<std::size_t>(header.size()));
    return dskReadVersion(in);
}

void dskPutHeader(BinaryWriter& out, const char* magic)
{
    out.PutBytes(std::string(magic, 3));
    out.PutString(std::string(DataFileVersion));
}

QString dskAsideName(const QString& name, int number)
{
    return name + QStringLiteral(".BAD") + (number <= 1 ? QString() : QString::number(number));
}
