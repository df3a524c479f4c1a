#include "DataStringFixture.h"

#include "foundation/modRecords.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using DataStringTest = DataStringFixture;
using Deviations = std::array<int16_t, 14>;

// A KR 6400-III air-permeability reading: serial 1234 over positions 9-12,
// 200 Pa on 20 cm², 12.5 mm/s.
const Fields AirPermeability{.Id = "KR 6400", .Serial = "1234", .Letter = "", .P1 = "   200", .U1 = "?",
                             .P2 = "    20", .U2 = ")", .R1 = "  12.5", .RU1 = "H"};

// The same without parameters 1 and 2, as some air-permeability testers send it.
const Fields AirPermeabilityBare{.Id = "KR 6400", .Serial = "1234", .Letter = "", .R1 = "  12.5", .RU1 = "H"};

// A KR 6250 thread-density reading: test length, mode, measuring range.
const Fields ThreadDensity{.Id = "KR 6250", .Serial = "345", .Letter = "D", .P1 = "  10.0", .U1 = "#",
                           .P2 = "     3", .P3 = "   1.5", .P4 = "    10", .R1 = "  24.0", .RU1 = "p"};

Deviations Compare(const Fields& received, const Fields& reference)
{
    return CompareDataStringParameters(Build(received), Build(reference));
}

} // namespace

// ---------------------------------------------------------------------------
// Checksum and validity

TEST_F(DataStringTest, ChecksumFoldsTheLowByteIntoZeroTo128)
{
    EXPECT_EQ(DataStringChecksum("@@"), std::string(1, '\x80'));       // 128 stays 128
    EXPECT_EQ(DataStringChecksum("@A"), std::string(1, '\x01'));       // 129 gives 1
    EXPECT_EQ(DataStringChecksum("ddd"), ",");                          // 300 = 256 + 44
    EXPECT_EQ(DataStringChecksum("\xFF\x01"), std::string(1, '\0'));    // 256 gives 0
    EXPECT_EQ(DataStringChecksum("\xFF"), std::string(1, '\x7F'));      // 255 - 128
    EXPECT_EQ(DataStringChecksum(""), std::string(1, '\0'));
}

TEST_F(DataStringTest, ValidityChecksLengthStartChecksumAndTerminator)
{
    // RS, "0000000", 48 blanks, "0": 30 + 7 * 48 + 48 * 32 + 48 = 1950,
    // 1950 mod 256 = 158, less 128 is 30.
    const std::string head = "\x1E" "0000000" + std::string(48, ' ') + "0";
    const std::string valid = head + "\x1E\r\n";
    EXPECT_TRUE(IsValidDataString(valid));

    EXPECT_FALSE(IsValidDataString(head + "\x1F\r\n"));     // wrong checksum
    EXPECT_FALSE(IsValidDataString(head + "\x1E\n\r"));     // LF CR at the end
    EXPECT_FALSE(IsValidDataString(head + "\x1E\r"));       // 59 characters
    EXPECT_FALSE(IsValidDataString(valid + " "));           // 61 characters
    std::string noStart = valid;
    noStart[0] = '\x1D';
    noStart[57] = '\x1D';                                   // checksum of the changed head
    EXPECT_FALSE(IsValidDataString(noStart));
    EXPECT_FALSE(IsValidDataString(""));
}

TEST_F(DataStringTest, ValidityAcceptsTheChecksumCharacter128)
{
    std::string head = Head({.Id = "KR 6420"});
    // Adjust the flag so that the sum is 128 modulo 256.
    unsigned sum = 0;
    for (char c : head)
        sum += static_cast<unsigned char>(c);
    const int flag = static_cast<int>('0') + static_cast<int>((128u + 256u - (sum & 0xFFu)) & 0xFFu);
    ASSERT_LT(flag, 256);
    head[56] = static_cast<char>(flag);
    EXPECT_TRUE(IsValidDataString(head + "\x80\r\n"));
}

// ---------------------------------------------------------------------------
// Instrument codes and serial numbers

TEST_F(DataStringTest, EveryIdentifierGivesItsInstrumentCodeAndBack)
{
    const char* const identifiers[17] = {"",        "0000000", "D  7041", "MP 4300", "MP 4800", "KR 6101",
                                         "KR 6100", "KR 6420", "KR 6250", "KR 6401", "KR 6400", "KR 6410",
                                         "KR 6450", "KR 6801", "KR 6850", "LLISTER", "KR 6404"};
    for (int16_t code = 1; code <= 16; ++code) {
        EXPECT_EQ(DataStringInstrumentCode(Build({.Id = identifiers[code]})), code) << identifiers[code];
        EXPECT_EQ(InstrumentIdentifier(code), identifiers[code]);
    }
    EXPECT_EQ(InstrumentIdentifier(0), "");
    EXPECT_EQ(InstrumentIdentifier(17), "");

    EXPECT_EQ(DataStringInstrumentCode(Build({.Id = "KR 6999"})), 0);
    EXPECT_EQ(DataStringInstrumentCode(Build({.Id = "kr 6400"})), 0);
    // An identifier out of place, or with other blanks, is unknown.
    EXPECT_EQ(DataStringInstrumentCode("\x1E" "  LLISTER"), 0);
    EXPECT_EQ(DataStringInstrumentCode("\x1E" "D 7041 "), 0);
    EXPECT_EQ(DataStringInstrumentCode(""), 0);
}

TEST_F(DataStringTest, SerialNumbersReadTheirLetterForm)
{
    struct Case {
        const char* Id;
        const char* Serial;
        const char* Letter;
        int16_t Code;
        const char* Expected;
    };
    const Case cases[] = {
        {"KR 6401", "A23", "X", 9, "1023"}, {"KR 6401", "j99", "X", 9, "1999"},
        {"KR 6401", "123", "X", 9, "123"},      // the code letter is not read
        {"KR 6401", " 12", "X", 9, "12"},       {"KR 6401", "K12", "X", 9, "K12"},
        // Codes 10 and 16 read four characters.
        {"KR 6401", "K12", "X", 10, "K12X"},    {"KR 6400", "1234", "", 10, "1234"},
        {"KR 6404", "A023", "", 16, "1023"},    {"KR 6404", "B045", "", 16, "1145"},
    };
    for (const Case& c : cases) {
        const std::string text = Build({.Id = c.Id, .Serial = c.Serial, .Letter = c.Letter});
        EXPECT_EQ(DataStringSerialNumber(text, c.Code), c.Expected) << c.Serial << " as code " << c.Code;
    }
}

// ---------------------------------------------------------------------------
// Parameters

TEST_F(DataStringTest, ParametersAreTrimmedAndNumbersWrittenInTheLocale)
{
    const std::string text = Build({.Id = "KR 6100", .P1 = " 020.0", .P2 = "  1.50", .P3 = "26/28 ", .P4 = "  0.05"});
    for (const auto& [locale, p2, p4] : {std::tuple{"en_US", "1.5", "0.05"}, std::tuple{"de_DE", "1,5", "0,05"}}) {
        Pin(QString::fromLatin1(locale));
        EXPECT_EQ(DataStringParameter1(text), "20") << locale;
        EXPECT_EQ(DataStringParameter2(text), p2) << locale;
        EXPECT_EQ(DataStringParameter3(text), "26/28") << locale;
        EXPECT_EQ(DataStringParameter4(text), p4) << locale;
    }

    EXPECT_EQ(DataStringParameter1(Build({})), "");
}

TEST_F(DataStringTest, KR6250JoinsItsMeasuringRange)
{
    const std::string text = Build(ThreadDensity);
    EXPECT_EQ(DataStringParameter1(text), "10");
    EXPECT_EQ(DataStringParameter2(text), "R=3");
    EXPECT_EQ(DataStringParameter3(text), "1.5-10");
    EXPECT_EQ(DataStringParameter4(text), "");

    Fields f = ThreadDensity;
    f.P2 = "   abc";
    f.P3 = "     5";
    f.P4 = "    20";
    EXPECT_EQ(DataStringParameter2(Build(f)), "abc");
    EXPECT_EQ(DataStringParameter3(Build(f)), "05-20");
    f.P3 = "      ";
    EXPECT_EQ(DataStringParameter3(Build(f)), "");

    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(DataStringParameter3(text), "1,5-10");
}

TEST_F(DataStringTest, TestArea10Reads44ForTheHydrostaticHeadTestersOfThatInstallation)
{
    const std::string code5 = Build({.Id = "KR 6101", .P2 = "    10"});
    const std::string code6 = Build({.Id = "KR 6100", .P2 = " 010.0"});
    const std::string code9 = Build({.Id = "KR 6401", .P2 = " 010.0"});

    EXPECT_EQ(DataStringParameter2(code5), "10");
    EXPECT_EQ(DataStringParameter2(code6), "10");
    SetInstallationTestArea44Variant(true);
    EXPECT_EQ(DataStringParameter2(code5), "44");
    EXPECT_EQ(DataStringParameter2(code6), "44");
    EXPECT_EQ(DataStringParameter2(code9), "10");
    EXPECT_EQ(ParseDataString(code5).Parameter2, "44");
}

TEST_F(DataStringTest, UnitsAreTextsInTheCurrentLanguage)
{
    const std::string text = Build({.U1 = "N", .U2 = "F", .U3 = "$", .U4 = "-", .RU1 = "a", .RU2 = "s"});
    EXPECT_EQ(DataStringParameterUnit1(text), "mm/min");
    EXPECT_EQ(DataStringParameterUnit2(text), "cm w.c.");
    EXPECT_EQ(DataStringParameterUnit3(text), "m");
    EXPECT_EQ(DataStringParameterUnit4(text), "");
    EXPECT_EQ(DataStringResultUnit(text), "min");
    EXPECT_EQ(DataStringResult2Unit(text), "tpi");
    Language = 1;
    EXPECT_EQ(DataStringParameterUnit1(text), "mm/Min");
    EXPECT_EQ(DataStringParameterUnit2(text), "cm WS");
    EXPECT_EQ(DataStringResultUnit(text), "Min");
    EXPECT_EQ(DataStringResult2Unit(text), "Dr/in");
}

// ---------------------------------------------------------------------------
// Results, warning sign, flag

TEST_F(DataStringTest, ResultsReadWithAPointInEveryLocale)
{
    Fields f = AirPermeability;
    f.R2 = "------";
    const std::string text = Build(f);
    EXPECT_FLOAT_EQ(DataStringResult(text), 12.5f);
    EXPECT_EQ(DataStringResult2(text), NoValue);
    Pin(QStringLiteral("de_DE"));
    EXPECT_FLOAT_EQ(DataStringResult(text), 12.5f);
    EXPECT_EQ(DataStringResult2(text), NoValue);

    f.R1 = "      ";
    f.R2 = "   -3.";
    EXPECT_EQ(DataStringResult(Build(f)), NoValue);
    EXPECT_FLOAT_EQ(DataStringResult2(Build(f)), -3.0f);
    f.R1 = "9E+099";       // a number, but no Single
    EXPECT_EQ(DataStringResult(Build(f)), NoValue);
}

TEST_F(DataStringTest, PassFailResultIsOneOrZero)
{
    Fields f{.Id = "KR 6100", .R1 = "   1.0", .RU1 = "y", .R2 = "   3.0", .RU2 = "y"};
    EXPECT_EQ(DataStringResult(Build(f)), 1.0f);
    EXPECT_EQ(DataStringResult2(Build(f)), 3.0f);   // only result 1 is folded
    f.R1 = "   3.0";
    EXPECT_EQ(DataStringResult(Build(f)), 0.0f);
    f.R1 = "   0.0";
    EXPECT_EQ(DataStringResult(Build(f)), 0.0f);
    Language = 6;
    f.R1 = "     1";
    EXPECT_EQ(DataStringResult(Build(f)), 1.0f);
}

TEST_F(DataStringTest, WarningSignsAreRemappedPerModelAndTheFlagIsTrueForOne)
{
    struct Case {
        const char* Id;
        const char* Sign;
        const char* Expected;
    };
    const Case cases[] = {
        {"KR 6400", "-", "o"}, {"KR 6400", "u", "*"}, {"KR 6400", "+", "+"}, {"KR 6404", "-", "o"},
        {"KR 6404", "u", "*"}, {"KR 6450", "-", "*"}, {"KR 6450", "u", "u"}, {"KR 6801", "+", "o"},
        {"KR 6801", "-", "-"}, {"KR 6401", "-", "-"}, {"KR 6401", "u", "u"}, {"D  7041", "*", "*"},
        {"KR 6400", " ", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataStringWarningSign(Build({.Id = c.Id, .Warning = c.Sign})), c.Expected)
            << c.Id << " '" << c.Sign << "'";
    }

    EXPECT_TRUE(DataStringFlag(Build({.Flag = "1"})));
    EXPECT_FALSE(DataStringFlag(Build({.Flag = "0"})));
    EXPECT_FALSE(DataStringFlag(Build({.Flag = " "})));
}

// ---------------------------------------------------------------------------
// Parsing

TEST_F(DataStringTest, ParseReadsEveryField)
{
    const std::string text = Build(KR6450Reading());
    const DataStringRecord r = ParseDataString(text);
    EXPECT_EQ(r.InstrumentCode, 12);
    EXPECT_EQ(r.SerialNumber, "1112");
    EXPECT_EQ(r.Parameter1, "400");
    EXPECT_EQ(r.Parameter1Unit, QString::fromUtf8("cm³"));
    EXPECT_EQ(r.Parameter2, "123");
    EXPECT_EQ(r.Parameter2Unit, "kPa");
    EXPECT_EQ(r.Parameter3, "150/50");
    EXPECT_EQ(r.Parameter3Unit, "kPa");
    EXPECT_EQ(r.Parameter4, "50");
    EXPECT_EQ(r.Parameter4Unit, QString::fromUtf8("cm²"));
    EXPECT_EQ(r.WarningSign, "*");
    EXPECT_FLOAT_EQ(r.Result, 123.4f);
    EXPECT_EQ(r.ResultUnit, "mm/s");
    EXPECT_FLOAT_EQ(r.Result2, 0.512f);
    EXPECT_EQ(r.Result2Unit, "");
    EXPECT_TRUE(r.AlreadyTransmitted);
    EXPECT_EQ(r.Text, text);
}

TEST_F(DataStringTest, EmptyAndShortStringsGiveEmptyFields)
{
    const DataStringRecord empty = ParseDataString("");
    EXPECT_TRUE(IsEmptyDataStringRecord(empty));
    EXPECT_EQ(empty.Result, NoValue);
    EXPECT_EQ(empty.Result2, NoValue);

    for (const std::string& text : {std::string("\x1E" "KR 6400"), std::string("\x1E" "KR 6400" "12"),
                                    std::string("\x1E"), std::string("\x1E" "KR 6450   ab 12")}) {
        const DataStringRecord r = ParseDataString(text);
        EXPECT_EQ(r.Parameter4, "");
        EXPECT_EQ(r.Parameter4Unit, "");
        EXPECT_EQ(r.WarningSign, "");
        EXPECT_EQ(r.Result, NoValue);
        EXPECT_EQ(r.Result2, NoValue);
        EXPECT_FALSE(r.AlreadyTransmitted);
        EXPECT_EQ(r.Text, text);
        EXPECT_FALSE(IsValidDataString(text));
    }
    EXPECT_EQ(ParseDataString("\x1E" "KR 6400" "12").SerialNumber, "12");
    EXPECT_EQ(DataStringSerialNumber("\x1E" "KR 6401" "A", 9), "10A");
}

// ---------------------------------------------------------------------------
// Rewriting a field

TEST_F(DataStringTest, SetFieldWritesEachFieldRightAlignedAndRenewsTheChecksum)
{
    Fields f = KR6450Reading();
    std::string text = Build(f);
    text[57] = '!';                            // a stale checksum is renewed in every case

    struct Case {
        int16_t Field;
        const char* Value;
        std::string Fields::*Member;
        const char* Written;
    };
    const Case cases[] = {
        {2, "7", &Fields::Serial, "  7"},     {2, "1023", &Fields::Serial, "A23"}, {2, "1999", &Fields::Serial, "J99"},
        {2, "", &Fields::Serial, "   "},      {4, "12.5", &Fields::P1, "  12.5"},  {4, "1234567", &Fields::P1, "123456"},
        {5, "(", &Fields::U1, "("},           {6, "", &Fields::P2, "      "},      {7, "", &Fields::U2, " "},
        {8, "26/28", &Fields::P3, " 26/28"},  {9, "?", &Fields::U3, "?"},          {10, "3", &Fields::P4, "     3"},
        {11, "Pa", &Fields::U4, "P"},         {14, " ", &Fields::Warning, " "},    {14, "*", &Fields::Warning, "*"},
    };
    for (const Case& c : cases) {
        Fields expected = f;
        expected.*(c.Member) = c.Written;
        EXPECT_EQ(ToHex(SetDataStringField(text, c.Field, QString::fromLatin1(c.Value))), ToHex(Build(expected)))
            << "field " << c.Field << " '" << c.Value << "'";
    }

    for (const int16_t field : {int16_t(0), int16_t(1), int16_t(3), int16_t(12), int16_t(13), int16_t(15)}) {
        EXPECT_EQ(ToHex(SetDataStringField(text, field, QStringLiteral("XYZ"))), ToHex(Build(f)))
            << "field " << field;
    }
}

TEST_F(DataStringTest, SetFieldWritesTheFourCharacterSerialOfCodes10And16)
{
    Fields blanked = AirPermeability;
    blanked.Serial = "    ";
    EXPECT_EQ(ToHex(SetDataStringField(Build(AirPermeability), 2, QString())), ToHex(Build(blanked)));
    EXPECT_EQ(DataStringSerialNumber(SetDataStringField(Build(AirPermeability), 2, QString()), 10), "");

    // Whatever the reader gives, written back, reads the same again.
    Fields other = AirPermeability;
    other.Serial = "5678";
    EXPECT_EQ(ToHex(SetDataStringField(Build(other), 2, QStringLiteral("1234"))), ToHex(Build(AirPermeability)));
    const QString read = DataStringSerialNumber(Build({.Id = "KR 6404", .Serial = "B045", .Letter = ""}), 16);
    EXPECT_EQ(DataStringSerialNumber(SetDataStringField(Build(other), 2, read), 10), read);

    const std::string code9 = Build({.Id = "KR 6401", .Serial = "123", .Letter = "4"});
    EXPECT_EQ(SetDataStringField(code9, 2, QString()).substr(8, 4), "   4");   // position 12 is the code letter there
}

TEST_F(DataStringTest, SetFieldOnAShortStringDoesNotGrowIt)
{
    const std::string text = "\x1E" "KR 6401" "123";
    const std::string head = "\x1E" "KR 6401" "  7";
    EXPECT_EQ(ToHex(SetDataStringField(text, 2, QStringLiteral("7"))), ToHex(head + DataStringChecksum(head) + "\r\n"));
    EXPECT_EQ(ToHex(SetDataStringField(text, 14, QStringLiteral("*"))), ToHex(text + DataStringChecksum(text) + "\r\n"));
}

// ---------------------------------------------------------------------------
// Comparing test parameters

TEST_F(DataStringTest, AStringAgainstItselfDoesNotDeviate)
{
    for (const Fields& f : {AirPermeability, KR6450Reading(), ThreadDensity})
        EXPECT_EQ(Compare(f, f), Deviations{});
    EXPECT_EQ(CompareDataStringParameters("", ""), Deviations{});
}

TEST_F(DataStringTest, InstrumentGroupComparesTheTestTypesMeasured)
{
    Fields reference = AirPermeability;         // code 10: test types 16, 17
    reference.Serial = "    ";                  // as the style editor writes it
    Fields received = reference;
    received.Id = "KR 6401";                    // code 9: 16, 17
    received.Serial = "123";
    received.Letter = " ";
    EXPECT_EQ(Compare(received, reference)[0], 0);
    EXPECT_EQ(Compare(received, reference)[1], 0);

    received.Id = "KR 6450";                    // code 12: 18
    EXPECT_EQ(Compare(received, reference)[0], 1);
    EXPECT_EQ(Compare(received, reference)[1], 1);

    received.Id = "XX 0000";                    // unknown: nothing to compare
    EXPECT_EQ(Compare(received, reference)[1], 0);

    EXPECT_EQ(Compare({.Id = "KR 6101"}, {.Id = "KR 6100"})[1], 0);
}

TEST_F(DataStringTest, CodeLetterAndResultUnitsRefuseAndTheLastOneCountsInSlotZero)
{
    Fields reference{.Id = "KR 6100", .Letter = "K", .RU1 = "C", .RU2 = "C"};
    Fields received = reference;
    received.Letter = "G";
    EXPECT_EQ(Compare(received, reference)[0], 3);
    EXPECT_EQ(Compare(received, reference)[2], 3);

    received.RU1 = "a";
    const Deviations result = Compare(received, reference);
    EXPECT_EQ(result[0], 12);
    EXPECT_EQ(result[2], 3);
    EXPECT_EQ(result[3], 12);

    // The KR 6100-III sends no second result unit; the KR 6100-II does.
    received = reference;
    received.RU2 = " ";
    EXPECT_EQ(Compare(received, reference)[4], 0);
    EXPECT_EQ(Compare(received, reference)[0], 0);
    received.Id = "KR 6101";
    EXPECT_EQ(Compare(received, reference)[4], 13);
    EXPECT_EQ(Compare(received, reference)[0], 13);

    // A blank code letter in the reference is a letter like any other.
    received = reference;
    reference.Letter = " ";
    EXPECT_EQ(Compare(received, reference)[2], 3);
}

TEST_F(DataStringTest, FourDigitSerialModelsHaveNoCodeLetterToCompare)
{
    // The style's expected string for air permeability: "KR 6400", blank 9-12.
    const Fields reference{.Id = "KR 6400", .Serial = "    ", .Letter = "", .RU1 = "H"};
    Fields received = AirPermeabilityBare;      // serial 1234: position 12 is "4"
    for (const char* id : {"KR 6400", "KR 6404"}) {
        received.Id = id;
        EXPECT_EQ(Compare(received, reference)[2], 0) << id;
        EXPECT_EQ(Compare(received, reference)[0], 0) << id;
    }
    // A three-character model with a code letter still compares it.
    Fields kr6401 = received;
    kr6401.Id = "KR 6401";
    kr6401.Serial = "123";
    kr6401.Letter = "X";
    Fields reference6401 = kr6401;
    reference6401.Letter = " ";
    EXPECT_EQ(Compare(kr6401, reference6401)[2], 3);
}

TEST_F(DataStringTest, SerialNumberAndParametersDeviateOnlyAgainstAFilledReference)
{
    const Fields received = KR6450Reading();
    EXPECT_EQ(Compare(received, {.Id = received.Id, .RU1 = received.RU1}), Deviations{});

    // Another serial number, every parameter and every parameter unit.
    const Fields other{.Id = "KR 6450", .Serial = "B13", .P1 = "   400", .U1 = ".", .P2 = "   124", .U2 = "?",
                       .P3 = "150/60", .U3 = "?", .P4 = "    51", .U4 = "(", .Warning = "-", .R1 = " 123.4", .RU1 = "H",
                       .R2 = " 0.512", .Flag = "1"};
    EXPECT_EQ(Compare(received, other), (Deviations{0, 0, 0, 0, 0, 2, 0, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(DataStringTest, KR6450TestVolumeMayDeviateByFifteenPercent)
{
    struct Case {
        const char* Locale;
        const char* Id;
        const char* Reference;
        const char* Received;
        int16_t Expected;
    };
    const Case cases[] = {
        {"en_US", "KR 6450", "   100", "   115", 0}, {"en_US", "KR 6450", "   100", "    85", 0},
        {"en_US", "KR 6450", "   100", "   100", 0}, {"en_US", "KR 6450", "   100", " 115.0", 0},
        {"en_US", "KR 6450", "   100", "   116", 4}, {"en_US", "KR 6450", "   100", "    84", 4},
        {"en_US", "KR 6450", "   100", "   abc", 4},
        {"en_US", "KR 6801", "   100", "   115", 4},     // another model compares the texts
        // A reference of 0 or no number compares the texts, without dividing.
        {"en_US", "KR 6450", "     0", "   115", 4}, {"en_US", "KR 6450", "     0", "     0", 0},
        {"en_US", "KR 6450", "   abc", "   abd", 4}, {"en_US", "KR 6450", "   abc", "   abc", 0},
        // The ratio reads numbers written in the locale's notation.
        {"de_DE", "KR 6450", "   1.5", "   1.6", 0},
        {"de_DE", "KR 6450", "   1.5", "   1.8", 4},     // 1.2 times the reference
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Locale) + " " + c.Id + " '" + c.Received + "' against '" + c.Reference + "'");
        Pin(QString::fromLatin1(c.Locale));
        Fields reference = KR6450Reading();
        reference.Id = c.Id;
        reference.P1 = c.Reference;
        Fields received = reference;
        received.P1 = c.Received;
        EXPECT_EQ(Compare(received, reference)[6], c.Expected);
    }
}

TEST_F(DataStringTest, KR6100IIArea2628FitsAReferenceOf26Or28)
{
    const struct {
        const char* ReceivedId;
        const char* ReferenceArea;
        int16_t Expected;
    } cases[] = {
        {"KR 6101", "    26", 0}, {"KR 6101", "    28", 0}, {"KR 6101", "  28.0", 0},
        {"KR 6101", "   100", 6}, {"KR 6100", "    26", 6},
    };
    for (const auto& c : cases) {
        const Fields received{.Id = c.ReceivedId, .P2 = " 26/28", .U2 = ")"};
        EXPECT_EQ(Compare(received, {.Id = "KR 6100", .P2 = c.ReferenceArea, .U2 = ")"})[8], c.Expected)
            << c.ReceivedId << " against '" << c.ReferenceArea << "'";
    }
}

TEST_F(DataStringTest, AirPermeabilityTestersMayOmitParameters1And2)
{
    Fields reference = AirPermeability;
    Fields received = AirPermeabilityBare;
    // Serial "1234" reads as serial 123 and code letter 4 on the three-character models.
    for (const char* id : {"KR 6420", "KR 6401", "KR 6400", "KR 6410", "KR 6404"}) {
        received.Id = id;
        const Deviations result = Compare(received, reference);
        EXPECT_EQ(result[6], 0) << id;
        EXPECT_EQ(result[7], 0) << id;
        EXPECT_EQ(result[8], 0) << id;
        EXPECT_EQ(result[9], 0) << id;
    }
    // Only both empty together are forgiven.
    received.Id = "KR 6400";
    received.U1 = "?";
    EXPECT_EQ(Compare(received, reference)[6], 4);
    EXPECT_EQ(Compare(received, reference)[8], 0);

    // Other models are not forgiven.
    received.U1 = " ";
    received.Id = "KR 6450";
    received.Serial = "123";
    received.Letter = " ";
    reference.Id = "KR 6450";
    reference.Serial = "123";
    reference.Letter = " ";
    const Deviations result = Compare(received, reference);
    EXPECT_EQ(result[6], 4);
    EXPECT_EQ(result[7], 5);
    EXPECT_EQ(result[8], 6);
    EXPECT_EQ(result[9], 7);
}

TEST_F(DataStringTest, KR6250MeasuringRangeComparesItsEnds)
{
    struct Case {
        const char* Locale;
        const char* ReferenceFrom;
        const char* From;
        const char* To;
        int16_t Expected;
    };
    // The reference reads 1.5-10.
    const Case cases[] = {
        {"en_US", "   1.5", "  1.50", "  10.0", 0},     // reads 1.5-10.0: other text, same ends
        {"en_US", "   1.5", "   2.0", "  10.0", 8},
        {"en_US", "   1.5", "  1.50", "    12", 8},
        {"en_US", "      ", "  1.50", "    12", 0},
        {"de_DE", "   1.5", "  1.50", "  10.0", 0},
        {"de_DE", "   1.5", "  1.60", "  10.0", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Locale) + " '" + c.From + "-" + c.To + "' against '" + c.ReferenceFrom + "'");
        Pin(QString::fromLatin1(c.Locale));
        Fields reference = ThreadDensity;
        reference.P3 = c.ReferenceFrom;
        Fields received = ThreadDensity;
        received.P3 = c.From;
        received.P4 = c.To;
        EXPECT_EQ(Compare(received, reference)[10], c.Expected);
    }
}
