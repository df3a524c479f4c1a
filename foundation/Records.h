#pragma once
// The records of a test series and of the settings. Every record is a plain
// value type; a default-constructed record is all zeros and empty texts, as a
// freshly declared record of the original program is. The empty and blank
// instances (NoValue in the Singles and so on) are the globals declared in
// modRecords.h; the two are not the same thing.
//
// Fixed arrays keep the index ranges of the design: Blocks[1..6],
// Tests[1..20], Forms[1..10] and Items[1..6] leave element 0 unused, so that
// an index read from a file or a report form is used as it stands. Element 0
// is always default-constructed, so whole records compare equal.
#include <QString>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

// Marks a missing value in every record, file, statistic and chart. It is not
// the most negative Single (0xFF7FFFFF) but three steps above it.
inline constexpr float NoValue = std::bit_cast<float>(0xFF7FFFFDu);

inline constexpr int PropertyCount = 6;     // property slots of a series
inline constexpr int TestTypeCount = 20;    // test types of a style
inline constexpr int StyleFormCount = 10;   // report forms of a style
inline constexpr int ReportFormItemCount = 6;

// One test.
struct TestValue {
    float Value1 = 0;
    std::string Unit1;          // unit code character of result 1
    float Value2 = 0;
    std::string Unit2;
    char Warning = 0;           // the data string's warning sign
    QString Commentary;
    bool Deleted = false;
    std::string DataString;     // the whole data string the test came from
    std::string CurveFile;      // curve file name, or the kept half reading of a pressure-drop test
    double TestTime = 0;
    QString K0006;
    QString K0016;
    QString K0053;

    bool operator==(const TestValue&) const = default;
};

// Summary of the tests of one property.
struct Statistics {
    int32_t Count = 0;
    double Sum1 = 0;
    double Sum2 = 0;
    double SumSq1 = 0;
    double SumSq2 = 0;
    float Mean1 = 0;
    float Mean2 = 0;
    float Min1 = 0;
    float Min2 = 0;
    float Max1 = 0;
    float Max2 = 0;
    float CV1 = 0;
    float CV2 = 0;
    float CI1 = 0;
    float CI2 = 0;

    bool operator==(const Statistics&) const = default;
};

// One measured property of a series.
struct PropertyBlock {
    std::string Header;             // expected data string, then the first one received
    std::vector<TestValue> Values;  // lower bound 0; element 0 is the empty test, tests from 1
    bool LateralAirOn = false;
    float LateralAir = 0;
    QString Commentary;
    Statistics Stats;
    double StartDate = 0;
    double LastTestDate = 0;
    bool Terminated = false;

    bool operator==(const PropertyBlock&) const = default;
};

// What a style demands of one test type.
struct TestDefinition {
    bool Defined1 = false;
    bool Defined2 = false;
    float Nominal1 = 0;
    float Nominal2 = 0;
    float Lower1 = 0;
    float Lower2 = 0;
    float Upper1 = 0;
    float Upper2 = 0;
    float CI1 = 0;
    float CI2 = 0;
    int16_t TestCount = 0;
    std::string HeaderImage;    // the data string the style expects

    bool operator==(const TestDefinition&) const = default;
};

// One property slot of a report form.
struct ReportFormItem {
    int16_t Property = 0;       // test type 1 to 20; 0 = slot unused
    bool Histogram = false;
    bool Curve = false;

    bool operator==(const ReportFormItem&) const = default;
};

struct ReportForm {
    QString Name;
    std::array<ReportFormItem, ReportFormItemCount + 1> Items{};   // 1 to 6

    bool operator==(const ReportForm&) const = default;
};

// A test specification.
struct Style {
    QString Name;
    std::array<TestDefinition, TestTypeCount + 1> Tests{};   // 1 to 20, by test type
    std::array<ReportForm, StyleFormCount + 1> Forms{};      // 1 to 10

    bool operator==(const Style&) const = default;
};

// One test series.
struct Protocol {
    ::Style Style;
    QString Reference2;
    QString Reference3;
    QString Reference4;
    QString K0006;
    QString K0016;
    QString K0053;
    QString K1031;
    QString K1032;
    QString K1086;
    QString K1087;
    QString Operator;
    double Date = 0;
    double LastTestDate = 0;
    std::array<PropertyBlock, PropertyCount + 1> Blocks{};   // 1 to 6
    bool Finished = false;
    int16_t FormIndex = 0;          // 1 to 10
    int16_t CurrentProperty = 0;    // 1 to 6

    bool operator==(const Protocol&) const = default;
};

// A series found by the long-term search: what the chart, its read-out, the
// grids, the printed page and the copy show of it, and the path of its report
// file, from which the detail window reads the rest. Tens of thousands are
// held at once, so nothing else of the series is kept.
struct FoundProtocol {
    double Date = 0;
    double LastTestDate = 0;
    int16_t Block = 0;          // the block of the searched property, 1 to 6; 0 in the empty hit
    std::string Header;         // that block's Header and Stats
    Statistics Stats;
    QString Path;               // the style folder, "\" and the file name

    bool operator==(const FoundProtocol&) const = default;
};

// Criteria of the long-term search; "*" and "?" are wildcards. The four
// dates are not stored in the settings file.
struct SearchPattern {
    int16_t TestType = 0;
    QString Style;
    QString Reference2;
    QString Reference3;
    QString Reference4;
    QString Operator;
    double DateFrom = 0;
    double DateTo = 0;
    double TimeFrom = 0;
    double TimeTo = 0;

    bool operator==(const SearchPattern&) const = default;
};

// The pseudo-instrument for values typed in.
struct KeyboardDefinition {
    QString Instrument;
    QString SerialNumber;
    QString Property;
    QString Parameter1;
    QString Parameter2;
    QString Parameter3;
    QString Parameter4;

    bool operator==(const KeyboardDefinition&) const = default;
};

// Captions of references 2 to 4 for six language slots: the caption of
// reference r in slot L is entry (L - 1) * 3 + (r - 2).
struct ReferenceTitles {
    std::array<QString, 18> Titles;

    bool operator==(const ReferenceTitles&) const = default;
};

struct SystemSettings {
    int16_t Language = 0;       // 1 German, 2 English, 3 French, 4 Italian, 5 Spanish, 6 no texts
    int16_t DateFormat = 0;     // 1 dd.mm.yyyy, 2 mm/dd/yyyy, 3 yyyy-mm-dd
    int16_t ComPort = 0;
    QString DataFolder;
    bool AutoSave = false;
    bool AutoPrint = false;
    bool SwitchBoxUsed = false;
    std::array<int16_t, 6> PortDevice{};   // instrument code per position 0 to 5

    bool operator==(const SystemSettings&) const = default;
};

// Held and stored as plain text.
struct Passwords {
    QString UserPassword;
    QString SupervisorPassword;

    bool operator==(const Passwords&) const = default;
};

// One text with its length prefix; used for version texts and single texts.
struct StringRecord {
    QString Text;

    bool operator==(const StringRecord&) const = default;
};
