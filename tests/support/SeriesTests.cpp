#include "support/SeriesTests.h"

#include "foundation/modRecords.h"

TestValue SeriesTest(float value1, float value2, const char* unit1, bool deleted)
{
    TestValue t = MakeEmptyTestValue();
    t.Value1 = value1;
    t.Unit1 = unit1;
    t.Value2 = value2;
    t.Unit2 = "\"";
    t.Deleted = deleted;
    return t;
}

std::vector<TestValue> SeriesValues(std::initializer_list<TestValue> tests)
{
    std::vector<TestValue> values{MakeEmptyTestValue()};
    values.insert(values.end(), tests);
    return values;
}
