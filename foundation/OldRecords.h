#pragma once
// Layouts of styles and series written by versions before 2.6 (19 test
// types) and from 2.6 to before 6.0 (no test time and Q-DAS fields).
#include "foundation/Records.h"
#include "platform/BinaryIO.h"

inline constexpr int OldTestTypeCount = 19;

struct StyleBefore26 {
    QString Name;
    std::array<TestDefinition, OldTestTypeCount + 1> Tests{};   // 1 to 19
    std::array<ReportForm, StyleFormCount + 1> Forms{};         // 1 to 10

    bool operator==(const StyleBefore26&) const = default;
};

struct TestValueBefore60 {
    float Value1 = 0;
    std::string Unit1;
    float Value2 = 0;
    std::string Unit2;
    char Warning = 0;
    QString Commentary;
    bool Deleted = false;
    std::string DataString;
    std::string CurveFile;

    bool operator==(const TestValueBefore60&) const = default;
};

struct PropertyBlockBefore60 {
    std::string Header;
    std::vector<TestValueBefore60> Values;
    bool LateralAirOn = false;
    float LateralAir = 0;
    QString Commentary;
    Statistics Stats;
    double StartDate = 0;
    double LastTestDate = 0;
    bool Terminated = false;

    bool operator==(const PropertyBlockBefore60&) const = default;
};

// Blocks in the layout of 2.6 to 6.0: the test values of this age carry no
// test time and no Q-DAS fields.
struct ProtocolBefore26 {
    StyleBefore26 Style;
    QString Reference2;
    QString Reference3;
    QString Reference4;
    QString Operator;
    double Date = 0;
    double LastTestDate = 0;
    std::array<PropertyBlockBefore60, PropertyCount + 1> Blocks{};   // 1 to 6
    bool Finished = false;
    int16_t FormIndex = 0;
    int16_t CurrentProperty = 0;

    bool operator==(const ProtocolBefore26&) const = default;
};

struct ProtocolBefore60 {
    ::Style Style;
    QString Reference2;
    QString Reference3;
    QString Reference4;
    QString Operator;
    double Date = 0;
    double LastTestDate = 0;
    std::array<PropertyBlockBefore60, PropertyCount + 1> Blocks{};   // 1 to 6
    bool Finished = false;
    int16_t FormIndex = 0;
    int16_t CurrentProperty = 0;

    bool operator==(const ProtocolBefore60&) const = default;
};

inline constexpr std::size_t PackedTestValueBefore60MinSize = 21;
inline constexpr std::size_t PackedStyleBefore26MinSize = 2 + 19 * 40 + 10 * 38;

void PutRecord(BinaryWriter& out, const StyleBefore26& style);
void PutRecord(BinaryWriter& out, const TestValueBefore60& value);
void PutRecord(BinaryWriter& out, const PropertyBlockBefore60& block);
void PutRecord(BinaryWriter& out, const ProtocolBefore26& protocol);
void PutRecord(BinaryWriter& out, const ProtocolBefore60& protocol);

void GetRecord(BinaryReader& in, StyleBefore26& style);
void GetRecord(BinaryReader& in, TestValueBefore60& value);
void GetRecord(BinaryReader& in, PropertyBlockBefore60& block);
void GetRecord(BinaryReader& in, ProtocolBefore26& protocol);
void GetRecord(BinaryReader& in, ProtocolBefore60& protocol);
