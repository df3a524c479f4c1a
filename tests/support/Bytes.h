#pragma once
// Byte strings written by hand in tests: Hex("FD FF 7F FF") and a readable
// dump for failure messages.
#include <string>

std::string Hex(const char* spaced);
std::string ToHex(const std::string& bytes);
