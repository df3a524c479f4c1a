#pragma once
// The chart data of one result of one property: what the histogram, the
// profile and the deviation chart draw.
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

struct Histogram {
    std::array<int16_t, 41> Counts{};   // classes 0 to 40
    int16_t BelowCount = 0;
    int16_t AboveCount = 0;
    int16_t MaxCount = 0;
    int16_t NominalClass = 0;
    int16_t LowerClass = 0;
    int16_t UpperClass = 0;
    float Nominal = 0;
    float Lower = 0;
    float Upper = 0;
    QString Unit;

    bool operator==(const Histogram&) const = default;
};

struct Profile {
    std::vector<float> Values;  // lower bound 0; element 0 is NoValue, the values from 1
    float Nominal = 0;
    float Lower = 0;
    float Upper = 0;
    QString Unit;

    bool operator==(const Profile&) const = default;
};

struct DeviationData {
    float Nominal = 0;
    float Lower = 0;
    float Upper = 0;
    float Min = 0;
    float Max = 0;
    float Mean = 0;
    float Value = 0;    // the selected test's value

    bool operator==(const DeviationData&) const = default;
};
