#pragma once
// The instrument table (one row per InstrumentCode 0 to 16), the control
// characters of the serial protocol, and the questions the rest of the
// program asks about instruments: what a model measures, which models stand
// in for one another, and where the configured instruments sit.
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Control characters of the serial protocol, one byte each.
inline const std::string CR = "\r";          // 13: ends an instrument request
inline const std::string LF = "\n";          // 10
inline const std::string ESC = "\x1B";       // 27
inline const std::string RS = "\x1E";        // 30: first character of every data string
inline const std::string SOH = "\x01";       // 1: starts a block of the curve transfer
inline const std::string ACK = "\x06";       // 6: block accepted
inline const std::string NAK = "\x15";       // 21: request a block, or repeat it
inline const std::string EOT = "\x04";       // 4: end of the curve transfer

inline constexpr int16_t InstrumentCodeCount = 17;      // rows 0 to 16
inline constexpr int16_t KeyboardInstrumentCode = 1;
inline constexpr int16_t NoPortSlot = 32767;            // no configured position measures it

// The instrument table, indexed by InstrumentCode. The row numbers are stored
// in the settings file, so they never move. Row 1 (keyboard input) starts as
// "Tastatur" and takes the instrument name of the keyboard definition when
// one is filled in. Both arrays hold the table from program start.
extern std::array<QString, InstrumentCodeCount> ModelShortName;
extern std::array<QString, InstrumentCodeCount> ModelLongName;

// Fills both arrays as the table is defined (row 1 back to "Tastatur").
void InitConstants();

// The code itself when it lies in 0 to 16, else 0: a code from a damaged
// settings file reads as "no instrument".
int16_t ValidInstrumentCode(int code);
// The names of a row; a code outside 0 to 16 gives the names of row 0 ("---").
QString ModelShortNameOf(int code);
QString ModelLongNameOf(int code);

// The test types a model measures, in table order; no instrument and unknown
// codes give an empty list.
std::vector<int16_t> TestTypesOfInstrument(int16_t instrumentCode);

// The family of interchangeable models the code belongs to, in family order;
// a code outside 1 to 16 gives {0}.
std::vector<int16_t> CompatibleInstruments(int16_t instrumentCode);

// The position 0 to 5 of PortDevice whose instrument measures the test type
// (the highest such position), 0 for keyboard input (test type 1), or
// NoPortSlot when none does. Every position counts, switch box or not.
int16_t PortSlotForTestType(int16_t testType);

// The member of the code's family configured at the highest position that
// holds one; the code itself when no position holds a member. A code outside
// 0 to 16 is taken as 0.
int16_t FindConfiguredInstrument(int16_t instrumentCode);
