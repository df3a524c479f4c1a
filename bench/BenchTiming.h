#pragma once
// Wall-clock helpers for the benchmarks that time rounds themselves and
// compare medians taken in the same run.
#include <algorithm>
#include <chrono>
#include <vector>

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
