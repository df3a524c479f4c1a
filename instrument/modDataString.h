#pragma once
// The 60-character instrument data string: validation, checksum, the field
// readers, parsing into a DataStringRecord, rewriting single fields,
// comparing the test parameters of two strings, the conversion of the older
// instruments' short strings, and the unit codes.
//
// A data string is a byte string of Windows-1252 characters, never a QString:
// its checksum character can be any byte from 0 to 128. Positions below are
// counted from 1, as the layout is documented:
//   1 RS, 2-8 identifier, 9-11 serial number (9-12 for instrument codes 10
//   and 16), 12 code letter, 13-18/19, 20-25/26, 27-32/33, 34-39/40 the four
//   parameters with their unit codes, 41 warning sign, 42-47/48 result 1 and
//   its unit code, 49-54/55 result 2 and its unit code, 56 unused, 57 flag,
//   58 checksum, 59 CR, 60 LF.
// Reading past the end of a short string gives empty fields, never a fault.
#include "foundation/DataStringRecord.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string>

inline constexpr int DataStringLength = 60;

// Field numbers of SetDataStringField and CompareDataStringParameters.
enum DataStringField : int16_t {
    FieldIdentifier = 1,
    FieldSerialNumber = 2,
    FieldCodeLetter = 3,
    FieldParameter1 = 4,
    FieldParameter1Unit = 5,
    FieldParameter2 = 6,
    FieldParameter2Unit = 7,
    FieldParameter3 = 8,
    FieldParameter3Unit = 9,
    FieldParameter4 = 10,
    FieldParameter4Unit = 11,
    FieldResultUnit = 12,
    FieldResult2Unit = 13,
    FieldWarningSign = 14,
};

// ---------------------------------------------------------------------------
// Unit codes

// The unit text of the code in its first character (32 to 127; anything else,
// and the empty text, give ""). A few texts differ between German (language
// 1) and the other languages (2 to 6); for a language outside 1 to 6 those
// rows give only their common beginning.
QString UnitText(const std::string& code, int16_t language);
// The code (one character) whose unit text equals the trimmed text, "³" and
// "²" read as "3" and "2", case as it stands; a blank when none does.
std::string UnitCode(const QString& unitText, int16_t language);

inline const std::string PassFailUnitCode = "y";    // "1/0": results are 1 or 0

// ---------------------------------------------------------------------------
// Checksum and validity

// The checksum character of the text (callers pass positions 1 to 57): the
// sum of its byte values modulo 256, less 128 when above 128.
std::string DataStringChecksum(const std::string& text);
// 60 characters, RS first, the checksum of positions 1 to 57 at 58, CR LF.
bool IsValidDataString(const std::string& text);

// ---------------------------------------------------------------------------
// Field readers (none changes its argument)

// The row of the instrument table of the identifier at positions 2 to 8;
// 0 for an unknown identifier.
int16_t DataStringInstrumentCode(const std::string& text);
// The identifier that a row of the instrument table sends; "" for 0 and
// codes outside 1 to 16.
std::string InstrumentIdentifier(int16_t instrumentCode);

// Positions 9 to 11 (9 to 12 for codes 10 and 16) in upper case, a leading
// letter A to J read as 10 to 19 ("A23" is 1023), without outer blanks.
QString DataStringSerialNumber(const std::string& text, int16_t instrumentCode);

// The test parameters, trimmed; a number is written anew in the locale's
// notation ("020.0" becomes "20"). Code 8 (KR 6250) prefixes a numeric
// parameter 2 with "R=", joins its measuring range into parameter 3 and has
// no parameter 4; codes 5 and 6 read a test area "10" as "44" where the
// installation asks for it.
QString DataStringParameter1(const std::string& text);
QString DataStringParameter2(const std::string& text);
QString DataStringParameter3(const std::string& text);
QString DataStringParameter4(const std::string& text);

// Unit texts, in the current Language, of the codes at 19, 26, 33, 40, 48, 55.
QString DataStringParameterUnit1(const std::string& text);
QString DataStringParameterUnit2(const std::string& text);
QString DataStringParameterUnit3(const std::string& text);
QString DataStringParameterUnit4(const std::string& text);
QString DataStringResultUnit(const std::string& text);
QString DataStringResult2Unit(const std::string& text);

// The results ("." is the decimal point); NoValue when not a number. A
// pass/fail result 1 is 1 when it is 1, else 0.
float DataStringResult(const std::string& text);
float DataStringResult2(const std::string& text);

// Position 41 without blanks, with the sign remapped per instrument model.
QString DataStringWarningSign(const std::string& text);
// True when position 57 is "1": the instrument has sent this value before.
bool DataStringFlag(const std::string& text);

// All fields at once; the empty text gives the empty record. No validation.
DataStringRecord ParseDataString(const std::string& text);

// ---------------------------------------------------------------------------
// Rewriting and comparing

// The string with one field replaced by the value fitted right-aligned to its
// width (fields 2, 4 to 11 and 14; the others change nothing), its checksum
// renewed and CR LF appended.
std::string SetDataStringField(const std::string& text, int16_t field, const QString& value);

// Compares the test parameters of a newly received string with a reference
// (the expected string of the test definition). Slot 0 is the field number of
// the last deviation that refuses the test (instrument group, code letter,
// result units); slots 1 to 13 hold the field number of each deviating check
// (1 group, 2 code letter, 3 and 4 result units, 5 serial number, 6 to 13 the
// parameters and their units), 0 where there is none. An empty field of the
// reference never deviates in slots 5 to 13.
std::array<int16_t, 14> CompareDataStringParameters(const std::string& newText,
                                                    const std::string& referenceText);

// ---------------------------------------------------------------------------
// Older formats

// Rebuilds the short string of an older instrument model, or a typed value,
// as a current data string; a string of any other device code (every current
// string) comes back without its last two characters and with CR LF. The
// expected string supplies the fields the old format lacks. A conversion that
// cannot give a sound value (a reading that is no number, a division by a
// missing test length, a number too long for its field) gives "", which fails
// validation.
std::string ConvertOldDataString(const std::string& text);
std::string ConvertOldDataString(const std::string& text, const std::string& expected);
