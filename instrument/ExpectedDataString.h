#pragma once
// The expected data string of a test definition: the 60 positions of an
// instrument data string with the instrument identifier, the code letter,
// the test parameters and the units filled in and the measured values left
// blank. The instrument compares what it sends with it field by field, and a
// typed value borrows the missing fields from it.
//
// The style editor's pages and the import of the previous version's styles
// both build it from plain inputs here.
#include <QString>
#include <array>
#include <string>

struct ExpectedDataStringInput {
    std::string Identifier;                 // positions 2-8, cut or padded to 7
    std::string CodeLetter;                 // position 12; empty gives a blank
    std::array<QString, 4> Parameters;      // parameters 1 to 4, as they are to stand
    std::array<std::string, 4> ParameterUnits;   // their unit codes; empty gives a blank
    std::string ResultUnit;                 // position 48
    std::string Result2Unit;                // position 55

    bool operator==(const ExpectedDataStringInput&) const = default;
};

// Chr(30), the identifier, three blanks (no serial number is prescribed), the
// code letter; each parameter cut to 6 characters and padded after the text,
// followed by its unit code; blanks up to position 47; the result unit; six
// blanks, the second result unit and two blanks; the checksum of positions 1
// to 57, CR and LF. Always 60 Windows-1252 bytes; a character outside the
// code page is written as "?".
std::string BuildExpectedDataString(const ExpectedDataStringInput& input);
