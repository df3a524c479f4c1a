#pragma once
// Tests of a property block for the statistics and chart tests: one test with
// its two values, and the Values array with the empty test in element 0.
#include "foundation/Records.h"

#include <initializer_list>
#include <vector>

// A test with result 1 in N (unit code "8") unless another unit code is given,
// result 2 in mm (unit code '"').
TestValue SeriesTest(float value1, float value2 = NoValue, const char* unit1 = "8", bool deleted = false);

// Element 0 is the empty test; the tests follow from element 1.
std::vector<TestValue> SeriesValues(std::initializer_list<TestValue> tests);
