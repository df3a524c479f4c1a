#include "Bytes.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

std::string Hex(const char* spaced)
{
    std::string bytes;
    int high = -1;
    for (const char* p = spaced; *p; ++p) {
        const int c = std::tolower(static_cast<unsigned char>(*p));
        int nibble;
        if (c >= '0' && c <= '9')
            nibble = c - '0';
        else if (c >= 'a' && c <= 'f')
            nibble = c - 'a' + 10;
        else
            continue;
        if (high < 0) {
            high = nibble;
        } else {
            bytes.push_back(static_cast<char>(high * 16 + nibble));
            high = -1;
        }
    }
    return bytes;
}

std::string ToHex(const std::string& bytes)
{
    std::string text;
    char buffer[4];
    for (unsigned char b : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", b);
        text += buffer;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

std::string ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}
