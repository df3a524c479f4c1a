#pragma once
// The series the report benchmarks write and read: 6 properties with 20 tests
// each, as a full day's work leaves it.
#include "foundation/modRecords.h"

#include <QString>
#include <string>

inline Protocol BenchFullSeries(double date)
{
    Protocol p = EmptyProtocol;
    p.Style.Name = QStringLiteral("Airbag 470 dtex");
    p.Reference2 = QStringLiteral("Lot 2024-117");
    p.Reference3 = QStringLiteral("Roll 12");
    p.Operator = QStringLiteral("Operator");
    p.Date = date;
    p.LastTestDate = date + 0.05;
    for (int b = 1; b <= PropertyCount; ++b) {
        PropertyBlock& block = p.Blocks[b];
        block.Header = std::string(58, 'H') + "\r\n";
        for (int t = 1; t <= 20; ++t) {
            TestValue v = EmptyTestValue;
            v.Value1 = 100.0f + static_cast<float>(t) / 10.0f;
            v.Unit1 = "a";
            v.Value2 = 2.5f;
            v.Unit2 = "b";
            v.DataString = std::string(58, static_cast<char>('0' + t % 10)) + "\r\n";
            v.TestTime = date + t / 1440.0;
            block.Values.push_back(v);
        }
        block.Stats.Count = 20;
        block.StartDate = date;
        block.LastTestDate = date + 0.05;
    }
    return p;
}
