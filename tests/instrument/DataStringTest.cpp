#include "DataStringFixture.h"

#include "foundation/modRecords.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

namespace {

using DataStringTest = DataStringFixture;

// A KR 6400-III air-permeability reading: serial 1234 over positions 9-12,
// 200 Pa on 20 cm², 12.5 mm/s.
Fields AirPermeability()
{
    Fields f;
    f.Id = "KR 6400";
    f.Serial = "1234";
    f.Letter = "";
    f.P1 = "   200";
    f.U1 = "?";
    f.P2 = "    20";
    f.U2 = ")";
    f.R1 = "  12.5";
    f.RU1 = "H";
    return f;
}

// A KR 6250 thread-density reading: test length, mode, measuring range.
Fields ThreadDensity()
{
    Fields f;
    f.Id = "KR 6250";
    f.Serial = "345";
    f.Letter = "D";
    f.P1 = "  10.0";
    f.U1 = "#";
    f.P2 = "     3";
    f.P3 = "   1.5";
    f.P4 = "    10";
    f.R1 = "  24.0";
    f.RU1 = "p";
    return f;
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
    Fields f;
    f.Id = "KR 6420";
    std::string head = Head(f);
    // Adjust the flag so that the sum is 128 modulo 256.
    unsigned sum = 0;
    for (char c : head)
        sum += static_cast<unsigned char>(c);
    const int flag = static_cast<int>('0') + static_cast<int>((128u + 256u - (sum & 0xFFu)) & 0xFFu);
    ASSERT_LT(flag, 256);
    head[56] = static_cast<char>(flag);
    const std::string text = head + "\x80\r\n";
    EXPECT_TRUE(IsValidDataString(text));
}

// ---------------------------------------------------------------------------
// Instrument codes and serial numbers

TEST_F(DataStringTest, EveryIdentifierGivesItsInstrumentCodeAndBack)
{
    const char* const identifiers[17] = {"",        "0000000", "D  7041", "MP 4300", "MP 4800", "KR 6101",
                                         "KR 6100", "KR 6420", "KR 6250", "KR 6401", "KR 6400", "KR 6410",
                                         "KR 6450", "KR 6801", "KR 6850", "LLISTER", "KR 6404"};
    for (int16_t code = 1; code <= 16; ++code) {
        Fields f;
        f.Id = identifiers[code];
        EXPECT_EQ(DataStringInstrumentCode(Build(f)), code) << identifiers[code];
        EXPECT_EQ(InstrumentIdentifier(code), identifiers[code]);
    }
    EXPECT_EQ(InstrumentIdentifier(0), "");
    EXPECT_EQ(InstrumentIdentifier(17), "");

    Fields unknown;
    unknown.Id = "KR 6999";
    EXPECT_EQ(DataStringInstrumentCode(Build(unknown)), 0);
    unknown.Id = "kr 6400";
    EXPECT_EQ(DataStringInstrumentCode(Build(unknown)), 0);
    // An identifier out of place, or with other blanks, is unknown.
    EXPECT_EQ(DataStringInstrumentCode("\x1E" "  LLISTER"), 0);
    EXPECT_EQ(DataStringInstrumentCode("\x1E" "D 7041 "), 0);
    EXPECT_EQ(DataStringInstrumentCode(""), 0);
}

TEST_F(DataStringTest, SerialNumbersReadTheirLetterForm)
{
    Fields f;
    f.Id = "KR 6401";
    f.Serial = "A23";
    f.Letter = "X";
    EXPECT_EQ(DataStringSerialNumber(Build(f), 9), "1023");
    f.Serial = "j99";
    EXPECT_EQ(DataStringSerialNumber(Build(f), 9), "1999");
    f.Serial = "123";
    EXPECT_EQ(DataStringSerialNumber(Build(f), 9), "123");      // the code letter is not read
    f.Serial = " 12";
    EXPECT_EQ(DataStringSerialNumber(Build(f), 9), "12");
    f.Serial = "K12";
    EXPECT_EQ(DataStringSerialNumber(Build(f), 9), "K12");

    // Codes 10 and 16 read four characters.
    EXPECT_EQ(DataStringSerialNumber(Build(f), 10), "K12X");
    Fields four = AirPermeability();
    EXPECT_EQ(DataStringSerialNumber(Build(four), 10), "1234");
    four.Id = "KR 6404";
    four.Serial = "A023";
    EXPECT_EQ(DataStringSerialNumber(Build(four), 16), "1023");
    four.Serial = "B045";
    EXPECT_EQ(DataStringSerialNumber(Build(four), 16), "1145");
}

// ---------------------------------------------------------------------------
// Parameters

TEST_F(DataStringTest, ParametersAreTrimmedAndNumbersWrittenInTheLocale)
{
    Fields f;
    f.Id = "KR 6100";
    f.P1 = " 020.0";
    f.P2 = "  1.50";
    f.P3 = "26/28 ";
    f.P4 = "  0.05";
    const std::string text = Build(f);
    EXPECT_EQ(DataStringParameter1(text), "20");
    EXPECT_EQ(DataStringParameter2(text), "1.5");
    EXPECT_EQ(DataStringParameter3(text), "26/28");
    EXPECT_EQ(DataStringParameter4(text), "0.05");

    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(DataStringParameter1(text), "20");
    EXPECT_EQ(DataStringParameter2(text), "1,5");
    EXPECT_EQ(DataStringParameter3(text), "26/28");
    EXPECT_EQ(DataStringParameter4(text), "0,05");

    Fields blank;
    EXPECT_EQ(DataStringParameter1(Build(blank)), "");
}

TEST_F(DataStringTest, KR6250JoinsItsMeasuringRange)
{
    const std::string text = Build(ThreadDensity());
    EXPECT_EQ(DataStringParameter1(text), "10");
    EXPECT_EQ(DataStringParameter2(text), "R=3");
    EXPECT_EQ(DataStringParameter3(text), "1.5-10");
    EXPECT_EQ(DataStringParameter4(text), "");

    Fields f = ThreadDensity();
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
    Fields f;
    f.Id = "KR 6101";
    f.P2 = "    10";
    const std::string code5 = Build(f);
    f.Id = "KR 6100";
    f.P2 = " 010.0";
    const std::string code6 = Build(f);
    f.Id = "KR 6401";
    const std::string code9 = Build(f);

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
    Fields f;
    f.U1 = "N";
    f.U2 = "F";
    f.U3 = "$";
    f.U4 = "-";
    f.RU1 = "a";
    f.RU2 = "s";
    const std::string text = Build(f);
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
    Fields f = AirPermeability();
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
    Fields f;
    f.Id = "KR 6100";
    f.RU1 = "y";
    f.R1 = "   1.0";
    f.R2 = "   3.0";
    f.RU2 = "y";
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

TEST_F(DataStringTest, WarningSignsAreRemappedPerModel)
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
        Fields f;
        f.Id = c.Id;
        if (f.Id == "KR 6400" || f.Id == "KR 6404") {
            f.Serial = "1234";
            f.Letter = "";
        }
        f.Warning = c.Sign;
        EXPECT_EQ(DataStringWarningSign(Build(f)), c.Expected) << c.Id << " '" << c.Sign << "'";
    }
}

TEST_F(DataStringTest, FlagIsTrueForOne)
{
    Fields f;
    f.Flag = "1";
    EXPECT_TRUE(DataStringFlag(Build(f)));
    f.Flag = "0";
    EXPECT_FALSE(DataStringFlag(Build(f)));
    f.Flag = " ";
    EXPECT_FALSE(DataStringFlag(Build(f)));
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

TEST_F(DataStringTest, ParseOfTheEmptyTextIsTheEmptyRecord)
{
    const DataStringRecord r = ParseDataString("");
    EXPECT_TRUE(IsEmptyDataStringRecord(r));
    EXPECT_EQ(r.Result, NoValue);
    EXPECT_EQ(r.Result2, NoValue);
}

TEST_F(DataStringTest, ShortStringsGiveEmptyFields)
{
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
        {2, "7", &Fields::Serial, "  7"},
        {2, "1023", &Fields::Serial, "A23"},
        {2, "1999", &Fields::Serial, "J99"},
        {2, "", &Fields::Serial, "   "},
        {4, "12.5", &Fields::P1, "  12.5"},
        {4, "1234567", &Fields::P1, "123456"},
        {5, "(", &Fields::U1, "("},
        {6, "", &Fields::P2, "      "},
        {7, "", &Fields::U2, " "},
        {8, "26/28", &Fields::P3, " 26/28"},
        {9, "?", &Fields::U3, "?"},
        {10, "3", &Fields::P4, "     3"},
        {11, "Pa", &Fields::U4, "P"},
        {14, " ", &Fields::Warning, " "},
        {14, "*", &Fields::Warning, "*"},
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
    const Fields f = AirPermeability();
    Fields blanked = f;
    blanked.Serial = "    ";
    EXPECT_EQ(ToHex(SetDataStringField(Build(f), 2, QString())), ToHex(Build(blanked)));
    EXPECT_EQ(DataStringSerialNumber(SetDataStringField(Build(f), 2, QString()), 10), "");

    // Whatever the reader gives, written back, reads the same again.
    Fields other = f;
    other.Serial = "5678";
    const std::string rewritten = SetDataStringField(Build(other), 2, QStringLiteral("1234"));
    EXPECT_EQ(ToHex(rewritten), ToHex(Build(f)));
    Fields letter = f;
    letter.Id = "KR 6404";
    letter.Serial = "B045";
    const QString read = DataStringSerialNumber(Build(letter), 16);
    EXPECT_EQ(DataStringSerialNumber(SetDataStringField(Build(other), 2, read), 10), read);

    Fields three = f;
    three.Id = "KR 6401";
    three.Serial = "123";
    three.Letter = "4";
    const std::string code9 = SetDataStringField(Build(three), 2, QString());
    EXPECT_EQ(code9.substr(8, 4), "   4");     // position 12 is the code letter there
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
    const std::array<int16_t, 14> none{};
    for (const Fields& f : {AirPermeability(), KR6450Reading(), ThreadDensity()})
        EXPECT_EQ(CompareDataStringParameters(Build(f), Build(f)), none);
    EXPECT_EQ(CompareDataStringParameters("", ""), none);
}

TEST_F(DataStringTest, InstrumentGroupComparesTheTestTypesMeasured)
{
    Fields reference = AirPermeability();       // code 10: test types 16, 17
    reference.Serial = "    ";                  // as the style editor writes it
    Fields received = reference;
    received.Id = "KR 6401";                    // code 9: 16, 17
    received.Serial = "123";
    received.Letter = " ";
    std::array<int16_t, 14> result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[0], 0);
    EXPECT_EQ(result[1], 0);

    received.Id = "KR 6450";                    // code 12: 18
    result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[0], 1);
    EXPECT_EQ(result[1], 1);

    received.Id = "XX 0000";                    // unknown: nothing to compare
    result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[1], 0);

    Fields kr6100iii;
    kr6100iii.Id = "KR 6100";
    Fields kr6100ii = kr6100iii;
    kr6100ii.Id = "KR 6101";
    EXPECT_EQ(CompareDataStringParameters(Build(kr6100ii), Build(kr6100iii))[1], 0);
}

TEST_F(DataStringTest, CodeLetterAndResultUnitsRefuseAndTheLastOneCountsInSlotZero)
{
    Fields reference;
    reference.Id = "KR 6100";
    reference.Letter = "K";
    reference.RU1 = "C";
    reference.RU2 = "C";
    Fields received = reference;
    received.Letter = "G";
    std::array<int16_t, 14> result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[0], 3);
    EXPECT_EQ(result[2], 3);

    received.RU1 = "a";
    result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[0], 12);
    EXPECT_EQ(result[2], 3);
    EXPECT_EQ(result[3], 12);

    // The KR 6100-III sends no second result unit; the KR 6100-II does.
    received = reference;
    received.RU2 = " ";
    result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[4], 0);
    EXPECT_EQ(result[0], 0);
    received.Id = "KR 6101";
    result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[4], 13);
    EXPECT_EQ(result[0], 13);

    // A blank code letter in the reference is a letter like any other.
    received = reference;
    reference.Letter = " ";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[2], 3);
}

TEST_F(DataStringTest, FourDigitSerialModelsHaveNoCodeLetterToCompare)
{
    // The style's expected string for air permeability: "KR 6400", blank 9-12.
    Fields reference;
    reference.Id = "KR 6400";
    reference.Serial = "    ";
    reference.Letter = "";
    reference.RU1 = "H";
    Fields received = AirPermeability();        // serial 1234: position 12 is "4"
    received.P1 = "      ";
    received.U1 = " ";
    received.P2 = "      ";
    received.U2 = " ";
    for (const char* id : {"KR 6400", "KR 6404"}) {
        received.Id = id;
        const std::array<int16_t, 14> result = CompareDataStringParameters(Build(received), Build(reference));
        EXPECT_EQ(result[2], 0) << id;
        EXPECT_EQ(result[0], 0) << id;
    }
    // A three-character model with a code letter still compares it.
    Fields kr6401 = received;
    kr6401.Id = "KR 6401";
    kr6401.Serial = "123";
    kr6401.Letter = "X";
    Fields reference6401 = kr6401;
    reference6401.Letter = " ";
    EXPECT_EQ(CompareDataStringParameters(Build(kr6401), Build(reference6401))[2], 3);
}

TEST_F(DataStringTest, SerialNumberAndParametersDeviateOnlyAgainstAFilledReference)
{
    const Fields received = KR6450Reading();
    Fields reference;
    reference.Id = received.Id;
    reference.RU1 = received.RU1;
    const std::array<int16_t, 14> none{};
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference)), none);

    Fields other = received;
    other.Serial = "B13";
    other.P2 = "   124";
    other.U2 = "?";
    other.P3 = "150/60";
    other.U3 = "?";
    other.P4 = "    51";
    other.U4 = "(";
    other.U1 = ".";
    const std::array<int16_t, 14> result = CompareDataStringParameters(Build(received), Build(other));
    const std::array<int16_t, 14> expected = {0, 0, 0, 0, 0, 2, 0, 5, 6, 7, 8, 9, 10, 11};
    EXPECT_EQ(result, expected);
}

TEST_F(DataStringTest, KR6450TestVolumeMayDeviateByFifteenPercent)
{
    Fields reference = KR6450Reading();
    reference.P1 = "   100";
    Fields received = reference;
    for (const char* volume : {"   115", "    85", "   100", " 115.0"}) {
        received.P1 = volume;
        EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 0) << volume;
    }
    for (const char* volume : {"   116", "    84", "   abc"}) {
        received.P1 = volume;
        EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 4) << volume;
    }

    // Another model compares the texts.
    reference.Id = "KR 6801";
    received.Id = "KR 6801";
    received.P1 = "   115";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 4);

    // A reference of 0 or no number compares the texts, without dividing.
    reference.Id = "KR 6450";
    received.Id = "KR 6450";
    reference.P1 = "     0";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 4);
    received.P1 = "     0";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 0);
    reference.P1 = "   abc";
    received.P1 = "   abd";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 4);
    received.P1 = "   abc";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 0);
}

TEST_F(DataStringTest, KR6450RatioReadsLocaleNumbers)
{
    Pin(QStringLiteral("de_DE"));
    Fields reference = KR6450Reading();
    reference.P1 = "   1.5";
    Fields received = reference;
    received.P1 = "   1.6";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 0);
    received.P1 = "   1.8";      // 1.2 times the reference
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[6], 4);
}

TEST_F(DataStringTest, KR6100IIArea2628FitsAReferenceOf26Or28)
{
    Fields reference;
    reference.Id = "KR 6100";
    reference.U2 = ")";
    Fields received = reference;
    received.Id = "KR 6101";
    received.P2 = " 26/28";
    for (const char* area : {"    26", "    28", "  28.0"}) {
        reference.P2 = area;
        EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[8], 0) << area;
    }
    reference.P2 = "   100";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[8], 6);
    reference.P2 = "    26";
    received.Id = "KR 6100";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[8], 6);
}

TEST_F(DataStringTest, AirPermeabilityTestersMayOmitParameters1And2)
{
    Fields reference = AirPermeability();
    Fields received = reference;
    received.P1 = "      ";
    received.U1 = " ";
    received.P2 = "      ";
    received.U2 = " ";
    for (const char* id : {"KR 6420", "KR 6401", "KR 6400", "KR 6410", "KR 6404"}) {
        received.Id = id;
        const bool four = received.Id == "KR 6400" || received.Id == "KR 6404";
        received.Serial = four ? "1234" : "123";
        received.Letter = four ? "" : "4";
        const std::array<int16_t, 14> result = CompareDataStringParameters(Build(received), Build(reference));
        EXPECT_EQ(result[6], 0) << id;
        EXPECT_EQ(result[7], 0) << id;
        EXPECT_EQ(result[8], 0) << id;
        EXPECT_EQ(result[9], 0) << id;
    }
    // Only both empty together are forgiven.
    received.Id = "KR 6400";
    received.Serial = "1234";
    received.Letter = "";
    received.U1 = "?";
    std::array<int16_t, 14> result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[6], 4);
    EXPECT_EQ(result[8], 0);

    // Other models are not forgiven.
    received.U1 = " ";
    received.Id = "KR 6450";
    received.Serial = "123";
    received.Letter = " ";
    reference.Id = "KR 6450";
    reference.Serial = "123";
    reference.Letter = " ";
    result = CompareDataStringParameters(Build(received), Build(reference));
    EXPECT_EQ(result[6], 4);
    EXPECT_EQ(result[7], 5);
    EXPECT_EQ(result[8], 6);
    EXPECT_EQ(result[9], 7);
}

TEST_F(DataStringTest, KR6250MeasuringRangeComparesItsEnds)
{
    Fields reference = ThreadDensity();         // 1.5-10
    Fields received = reference;
    received.P3 = "  1.50";
    received.P4 = "  10.0";                     // reads 1.5-10.0: other text, same ends
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[10], 0);
    received.P3 = "   2.0";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[10], 8);
    received.P3 = "  1.50";
    received.P4 = "    12";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[10], 8);
    reference.P3 = "      ";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[10], 0);

    Pin(QStringLiteral("de_DE"));
    reference = ThreadDensity();
    received = reference;
    received.P3 = "  1.50";
    received.P4 = "  10.0";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[10], 0);
    received.P3 = "  1.60";
    EXPECT_EQ(CompareDataStringParameters(Build(received), Build(reference))[10], 8);
}
