#pragma once
// Test series built by hand for the export and clipboard tests.
#include "foundation/Records.h"

#include <QString>
#include <string>

// A 60-character data string with a valid checksum. Each parameter is its
// 6-character field followed by its unit code (7 characters in all).
std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& codeLetter, const std::string& parameters28,
                           const std::string& warning, const std::string& result1,
                           const std::string& unit1, const std::string& result2,
                           const std::string& unit2);

// A short form: no parameters, results "  12.5", the given units.
std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& unit1, const std::string& unit2);

// A test with its first and second value and unit codes.
TestValue MakeTest(float value1, const std::string& unit1, float value2, const std::string& unit2,
                   double testTime);

// Statistics that are not empty.
Statistics SomeStatistics();
