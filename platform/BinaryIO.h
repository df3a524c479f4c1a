#pragma once
// Little-endian packing of records, field by field with no padding: Integer 2
// bytes, Long 4, Single 4, Double and Date 8, a String as a 2-byte length and
// its Windows-1252 bytes, a dynamic array as a header of dimension count,
// element count and lower bound, flags as -1/0.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

class BinaryWriter {
public:
    // The fields are written inline: a settings file of 30,000 styles holds
    // millions of them.
    void PutInteger(int16_t value) { Append(&value, sizeof value); }
    void PutLong(int32_t value) { Append(&value, sizeof value); }
    void PutSingle(float value) { Append(&value, sizeof value); }
    void PutDouble(double value) { Append(&value, sizeof value); }
    void PutDate(double value) { PutDouble(value); }
    // True is written as -1, False as 0.
    void PutFlag(bool value) { PutInteger(value ? int16_t(-1) : int16_t(0)); }
    void PutChar1(char value);
    // A byte string with its 2-byte length; longer than 65535 bytes is cut
    // (counted in TextsCut, for the writer of the file to log).
    void PutString(const std::string& bytes);
    // A text, written as Windows-1252.
    void PutString(const QString& text);
    // Header of a one-dimensional dynamic array with lower bound 0.
    void PutArrayHeader(int32_t elementCount);
    void PutBytes(const std::string& bytes) { Append(bytes.data(), bytes.size()); }

    // Room for this many bytes in all, so that a large file grows once.
    void Reserve(std::size_t bytes);

    const std::string& Bytes() const
    {
        m_bytes.resize(m_used);
        return m_bytes;
    }
    // The bytes written, handed over; the writer is empty afterwards.
    std::string TakeBytes();
    // How many strings were cut to 65535 bytes.
    int TextsCut() const { return m_textsCut; }

private:
    // The buffer runs ahead of what is written (m_used), so a field is one
    // copy of its bytes; Bytes() cuts it to what was written.
    void Append(const void* value, std::size_t size)
    {
        if (m_bytes.size() - m_used < size)
            Grow(size);
        std::memcpy(m_bytes.data() + m_used, value, size);
        m_used += size;
    }
    void Grow(std::size_t size);

    mutable std::string m_bytes;
    std::size_t m_used = 0;
    int m_textsCut = 0;
};

// Reads what BinaryWriter writes. Every count and length is checked against
// what remains before it is used; after the first failure the reader is
// failed, nothing more is consumed, and every later read gives zero or empty.
class BinaryReader {
public:
    BinaryReader(const char* data, std::size_t size) : m_data(data), m_size(size) {}
    explicit BinaryReader(const std::string& bytes) : BinaryReader(bytes.data(), bytes.size()) {}

    int16_t GetInteger() { return Get<int16_t>(); }
    int32_t GetLong() { return Get<int32_t>(); }
    float GetSingle() { return Get<float>(); }
    double GetDouble() { return Get<double>(); }
    double GetDate() { return GetDouble(); }
    // Any non-zero value reads as True.
    bool GetFlag() { return GetInteger() != 0; }
    char GetChar1();
    std::string GetBytesString();
    QString GetText();
    // Reads a dynamic array header. A dimension count other than 1, a lower
    // bound other than 0, or more elements than minElementSize bytes each
    // could fill of what remains, fails the reader and gives 0.
    int32_t GetArrayHeader(std::size_t minElementSize);
    std::string GetBytes(std::size_t count);
    // Pass over bytes or a String without decoding them, with the same checks
    // as reading them. Inline: a search walks thousands of fields per file.
    void Skip(std::size_t count)
    {
        if (m_ok && m_size - m_pos >= count)
            m_pos += count;
        else
            m_ok = false;
    }
    void SkipString()
    {
        if (!m_ok || m_size - m_pos < 2) {
            m_ok = false;
            return;
        }
        const std::size_t length = static_cast<unsigned char>(m_data[m_pos])
            | (static_cast<std::size_t>(static_cast<unsigned char>(m_data[m_pos + 1])) << 8);
        m_pos += 2;
        Skip(length);
    }

    bool Ok() const { return m_ok; }
    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_ok ? m_size - m_pos : 0; }
    bool AtEnd() const { return m_pos >= m_size; }
    void Fail() { m_ok = false; }

private:
    bool Take(void* out, std::size_t count)
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
    // A field of fixed size, inline as the writer's.
    template <typename T>
    T Get()
    {
        T value;
        Take(&value, sizeof value);
        return value;
    }

    const char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};
