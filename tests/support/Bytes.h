#pragma once
// Byte strings written by hand in tests: Hex("FD FF 7F FF") and a readable
// dump for failure messages; whole files read and written as bytes.
#include <QString>
#include <string>

std::string Hex(const char* spaced);
std::string ToHex(const std::string& bytes);

// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);
