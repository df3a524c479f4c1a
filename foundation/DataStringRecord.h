#pragma once
// The parsed fields of one 60-character instrument data string.
#include <QString>
#include <cstdint>
#include <string>

struct DataStringRecord {
    int16_t InstrumentCode = 0;     // row 0 to 16 of the instrument table
    QString SerialNumber;
    QString Parameter1;
    QString Parameter1Unit;         // unit texts in the current language, not codes
    QString Parameter2;
    QString Parameter2Unit;
    QString Parameter3;
    QString Parameter3Unit;
    QString Parameter4;
    QString Parameter4Unit;
    QString WarningSign;            // at most one character
    float Result = 0;
    QString ResultUnit;
    float Result2 = 0;
    QString Result2Unit;
    bool AlreadyTransmitted = false;
    std::string Text;               // the whole data string, as bytes

    bool operator==(const DataStringRecord&) const = default;
};
