#include "foundation/modInstrument.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"

namespace {

struct InstrumentRow {
    const char* shortName;
    const char* longName;
    std::vector<int16_t> testTypes;
};

const std::array<InstrumentRow, InstrumentCodeCount>& InstrumentTable()
{
    static const std::array<InstrumentRow, InstrumentCodeCount> table = {{
        {"---", "---", {}},
        {"Tastatur", "Tastatur", {1}},
        {"D 7041", "Zolvera D 7041", {2, 3, 4, 5, 6}},
        {"MP 4300-II", "Zolvera MP 4300-II", {7, 8}},
        {"MP 4800", "Zolvera MP 4800", {9, 10}},
        {"KR 6100-II", "Zolvera KR 6100-II", {11, 12, 13}},
        {"KR 6100-III", "Zolvera KR 6100-III", {11, 12, 13}},
        {"KR 6420", "Zolvera KR 6420", {16, 17}},
        {"KR 6250", "Zolvera KR 6250", {15}},
        {"KR 6400-II", "Zolvera KR 6400-II", {16, 17}},
        {"KR 6400-III", "Zolvera KR 6400-III", {16, 17}},
        {"KR 6410", "Zolvera KR 6410", {16, 17}},
        {"KR 6450", "Zolvera KR 6450", {18}},
        {"KR 6800", "Zolvera KR 6800", {19}},
        {"KR 6850", "Zolvera KR 6850", {19}},
        {"Lister", "Lenzing Lister", {20}},
        {"KR 6400-IV", "Zolvera KR 6400-IV", {16, 17}},
    }};
    return table;
}

std::array<QString, InstrumentCodeCount> TableNames(bool longNames)
{
    std::array<QString, InstrumentCodeCount> names;
    for (int code = 0; code < InstrumentCodeCount; ++code) {
        const InstrumentRow& row = InstrumentTable()[static_cast<size_t>(code)];
        names[static_cast<size_t>(code)] = QString::fromLatin1(longNames ? row.longName : row.shortName);
    }
    return names;
}

} // namespace

std::array<QString, InstrumentCodeCount> ModelShortName = TableNames(false);
std::array<QString, InstrumentCodeCount> ModelLongName = TableNames(true);

void InitConstants()
{
    ModelShortName = TableNames(false);
    ModelLongName = TableNames(true);
}

int16_t ValidInstrumentCode(int code)
{
    return (code >= 0 && code < InstrumentCodeCount) ? static_cast<int16_t>(code) : int16_t{0};
}

QString ModelShortNameOf(int code)
{
    return ModelShortName[static_cast<size_t>(ValidInstrumentCode(code))];
}

QString ModelLongNameOf(int code)
{
    return ModelLongName[static_cast<size_t>(ValidInstrumentCode(code))];
}

std::vector<int16_t> TestTypesOfInstrument(int16_t instrumentCode)
{
    return InstrumentTable()[static_cast<size_t>(ValidInstrumentCode(instrumentCode))].testTypes;
}

std::vector<int16_t> CompatibleInstruments(int16_t instrumentCode)
{
    static const std::vector<std::vector<int16_t>> families = {{5, 6}, {9, 10, 16, 11, 7}, {13, 14}};
    if (instrumentCode < 1 || instrumentCode > 16)
        return {0};
    for (const std::vector<int16_t>& family : families) {
        if (IsInVariantArray(instrumentCode, family))
            return family;
    }
    return {instrumentCode};
}

int16_t PortSlotForTestType(int16_t testType)
{
    int16_t slot = NoPortSlot;
    for (size_t position = 0; position < PortDevice.size(); ++position) {
        const int16_t code = PortDevice[position];
        if (code < 2 || code > 16)
            continue;
        if (IsInVariantArray(testType, TestTypesOfInstrument(code)))
            slot = static_cast<int16_t>(position);
    }
    if (testType == 1)
        slot = 0;
    return slot;
}

int16_t FindConfiguredInstrument(int16_t instrumentCode)
{
    int16_t result = ValidInstrumentCode(instrumentCode);
    const std::vector<int16_t> family = CompatibleInstruments(result);
    for (const int16_t configured : PortDevice) {
        for (const int16_t member : family) {
            if (configured == member)
                result = member;
        }
    }
    return result;
}
