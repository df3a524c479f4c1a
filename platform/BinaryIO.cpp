#include "platform/BinaryIO.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the packed layouts are written in the machine's byte order");

void BinaryWriter::Grow(std::size_t size)
{
    m_bytes.resize(std::max({m_used + size, 2 * m_bytes.size(), std::size_t(256)}));
}

void BinaryWriter::Reserve(std::size_t bytes)
{
    if (bytes > m_bytes.size())
        m_bytes.resize(bytes);
}

std::string BinaryWriter::TakeBytes()
{
    m_bytes.resize(m_used);
    m_used = 0;
    return std::move(m_bytes);
}

void BinaryWriter::PutChar1(char value) { Append(&value, 1); }

void BinaryWriter::PutString(const std::string& bytes)
{
    const std::size_t length = bytes.size() > 65535 ? 65535 : bytes.size();
    if (length < bytes.size())
        ++m_textsCut;
    const uint16_t stored = static_cast<uint16_t>(length);
    Append(&stored, sizeof stored);
    Append(bytes.data(), length);
}

void BinaryWriter::PutString(const QString& text) { PutString(ToCp1252(text)); }

void BinaryWriter::PutArrayHeader(int32_t elementCount)
{
    PutInteger(1);
    PutLong(elementCount);
    PutLong(0);
}

char BinaryReader::GetChar1()
{
    char value;
    Take(&value, 1);
    return value;
}

std::string BinaryReader::GetBytes(std::size_t count)
{
    if (!m_ok || m_size - m_pos < count) {
        m_ok = false;
        return std::string();
    }
    std::string bytes(m_data + m_pos, count);
    m_pos += count;
    return bytes;
}

std::string BinaryReader::GetBytesString()
{
    uint16_t length;
    if (!Take(&length, sizeof length))
        return std::string();
    return GetBytes(length);
}

QString BinaryReader::GetText() { return FromCp1252(GetBytesString()); }

int32_t BinaryReader::GetArrayHeader(std::size_t minElementSize)
{
    const int16_t dimensions = GetInteger();
    const int32_t count = GetLong();
    const int32_t lowerBound = GetLong();
    if (!m_ok)
        return 0;
    if (dimensions != 1 || lowerBound != 0 || count < 0
        || static_cast<std::size_t>(count) * (minElementSize ? minElementSize : 1) > m_size - m_pos) {
        m_ok = false;
        return 0;
    }
    return count;
}
