#pragma once
// The data of one Q-DAS transfer file, gathered from a test series before it
// is written: the file with its header fields, one characteristic per result
// of the exported property, and one value per stored test. The K numbers are
// the keys of the DFQ format.
#include <QString>
#include <cstdint>
#include <vector>

// One stored test of one characteristic.
struct QdasValue {
    float K0001 = 0;        // the value of this result
    double K0004 = 0;       // test time
    QString K0006;          // batch number
    int32_t K0008 = 0;      // operator number, 0 when the operator is no number
    QString K0009;          // commentary
    int32_t K0012 = 0;      // instrument number by test type
    QString K0016;          // test order number
    QString K0053;          // order number

    bool operator==(const QdasValue&) const = default;
};

// One result of the exported property.
struct QdasCharacteristic {
    QString K2090;          // report form name and result caption
    float K2101 = 0;        // nominal value
    float K2110 = 0;        // lower limit
    float K2111 = 0;        // upper limit
    QString K2142;          // unit text
    int16_t K8500 = 0;      // preset number of tests
    std::vector<QdasValue> Values;   // 1 to n; element 0 unused

    bool operator==(const QdasCharacteristic&) const = default;
};

// One file: one property of a series.
struct QdasFile {
    int16_t K0100 = 0;      // number of characteristics
    QString K1001;          // style name
    QString K1004;          // references 2, 3 and 4
    QString K1008;
    QString K1011;
    QString K1031;
    QString K1032;
    QString K1086;
    QString K1087;
    std::vector<QdasCharacteristic> Characteristics;   // 1 to K0100; element 0 unused

    bool operator==(const QdasFile&) const = default;
};
