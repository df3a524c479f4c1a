#include "SeriesBuilder.h"

#include "foundation/modRecords.h"
#include "instrument/modDataString.h"

std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& codeLetter, const std::string& parameters28,
                           const std::string& warning, const std::string& result1,
                           const std::string& unit1, const std::string& result2,
                           const std::string& unit2)
{
    std::string s = "\x1E" + identifier + serial + codeLetter + parameters28 + warning + result1
        + unit1 + result2 + unit2 + " " + "0";
    s.resize(57, ' ');
    return s + DataStringChecksum(s) + "\r\n";
}

std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& unit1, const std::string& unit2)
{
    return MakeDataString(identifier, serial, "A", std::string(28, ' '), " ", "  12.5", unit1,
                          "      ", unit2);
}

TestValue MakeTest(float value1, const std::string& unit1, float value2, const std::string& unit2,
                   double testTime)
{
    TestValue t = MakeEmptyTestValue();
    t.Value1 = value1;
    t.Unit1 = unit1;
    t.Value2 = value2;
    t.Unit2 = unit2;
    t.Warning = ' ';
    t.TestTime = testTime;
    return t;
}

Statistics SomeStatistics()
{
    Statistics s = MakeEmptyStatistics();
    s.Count = 2;
    return s;
}
