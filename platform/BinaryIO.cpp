#include "platform/BinaryIO.h"

#include "platform/Cp1252.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the packed layouts are written in the machine's byte order");

namespace {

template <typename T>
void Append(std::string& bytes, T value)
{
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.append(raw, sizeof(T));
}

} // namespace

void BinaryWriter::PutInteger(int16_t value) { Append(m_bytes, value); }
void BinaryWriter::PutLong(int32_t value) { Append(m_bytes, value); }
void BinaryWriter::PutSingle(float value) { Append(m_bytes, value); }
void BinaryWriter::PutDouble(double value) { Append(m_bytes, value); }
void BinaryWriter::PutChar1(char value) { m_bytes.push_back(value); }

void BinaryWriter::PutString(const std::string& bytes)
{
    const std::size_t length = bytes.size() > 65535 ? 65535 : bytes.size();
    Append(m_bytes, static_cast<uint16_t>(length));
    m_bytes.append(bytes, 0, length);
}

void BinaryWriter::PutString(const QString& text) { PutString(ToCp1252(text)); }

void BinaryWriter::PutArrayHeader(int32_t elementCount)
{
    PutInteger(1);
    PutLong(elementCount);
    PutLong(0);
}

bool BinaryReader::Take(void* out, std::size_t count)
{
    if (!m_ok || m_size - m_pos < count) {
        m_ok = false;
        std::memset(out, 0, count);
        return false;
    }
    std::memcpy(out, m_data + m_pos, count);
    m_pos += count;
    return true;
}

int16_t BinaryReader::GetInteger()
{
    int16_t value;
    Take(&value, sizeof value);
    return value;
}

int32_t BinaryReader::GetLong()
{
    int32_t value;
    Take(&value, sizeof value);
    return value;
}

float BinaryReader::GetSingle()
{
    float value;
    Take(&value, sizeof value);
    return value;
}

double BinaryReader::GetDouble()
{
    double value;
    Take(&value, sizeof value);
    return value;
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
