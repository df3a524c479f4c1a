#include "DataStringFixture.h"

#include "foundation/modRecords.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

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

TEST_F(DataStringTest, ChecksumAndValidity)
{
    // The low byte of the sum, less 128 above 128.
    const struct { std::string text, checksum; } sums[] = {
        {"@@", "\x80"}, {"@A", "\x01"}, {"ddd", ","}, {"\xFF\x01", std::string(1, '\0')}, {"\xFF", "\x7F"},
        {"", std::string(1, '\0')},
    };
    for (const auto& row : sums)
        EXPECT_EQ(ToHex(DataStringChecksum(row.text)), ToHex(row.checksum)) << ToHex(row.text);

    // RS, "0000000", 48 blanks, "0": 30 + 7 * 48 + 48 * 32 + 48 = 1950, 158 less 128 is 30.
    const std::string head = "\x1E" "0000000" + std::string(48, ' ') + "0";
    const std::string valid = head + "\x1E\r\n";
    std::string noStart = valid;
    noStart[0] = '\x1D';
    noStart[57] = '\x1D';                       // checksum of the changed head
    // A flag of 18 makes the sum 1920, 128 modulo 256: the checksum character 128.
    const std::string sum128 = "\x1E" "0000000" + std::string(48, ' ') + "\x12" "\x80\r\n";
    const struct { std::string text; bool valid; } rows[] = {
        {valid, true}, {sum128, true}, {head + "\x1F\r\n", false}, {head + "\x1E\n\r", false},
        {head + "\x1E\r", false}, {valid + " ", false}, {noStart, false}, {"", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsValidDataString(row.text), row.valid) << ToHex(row.text);
}

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
    EXPECT_EQ(DataStringInstrumentCode(""), 0);
    // An identifier out of place, or with other blanks, is unknown.
    EXPECT_EQ(DataStringInstrumentCode("\x1E" "  LLISTER"), 0);
    EXPECT_EQ(DataStringInstrumentCode("\x1E" "D 7041 "), 0);
}

TEST_F(DataStringTest, SerialNumbersReadTheirLetterForm)
{
    const struct { const char* Id; const char* Serial; const char* Letter; int16_t Code; const char* Expected; } cases[] = {
        {"KR 6401", "A23", "X", 9, "1023"}, {"KR 6401", "j99", "X", 9, "1999"},
        {"KR 6401", "123", "X", 9, "123"},      // the code letter is not read
        {"KR 6401", " 12", "X", 9, "12"},       {"KR 6401", "K12", "X", 9, "K12"},
        // Codes 10 and 16 read four characters.
        {"KR 6401", "K12", "X", 10, "K12X"},    {"KR 6400", "1234", "", 10, "1234"},
        {"KR 6404", "A023", "", 16, "1023"},    {"KR 6404", "B045", "", 16, "1145"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DataStringSerialNumber(Build({.Id = c.Id, .Serial = c.Serial, .Letter = c.Letter}), c.Code), c.Expected)
            << c.Serial << " as code " << c.Code;
    }
}

TEST_F(DataStringTest, ParametersAndUnits)
{
    using Reader = QString (*)(const std::string&);
    const Reader readers[] = {DataStringParameter1,     DataStringParameter2,     DataStringParameter3,
                              DataStringParameter4,     DataStringParameterUnit1, DataStringParameterUnit2,
                              DataStringParameterUnit3, DataStringParameterUnit4, DataStringResultUnit,
                              DataStringResult2Unit};
    const Fields trimmed{.Id = "KR 6100", .P1 = " 020.0", .P2 = "  1.50", .P3 = "26/28 ", .P4 = "  0.05"};
    const Fields units{.U1 = "N", .U2 = "F", .U3 = "$", .U4 = "-", .RU1 = "a", .RU2 = "s"};
    Fields otherRange = ThreadDensity;
    otherRange.P2 = "   abc";
    otherRange.P3 = "     5";
    otherRange.P4 = "    20";
    // Numbers are trimmed and written in the locale; the KR 6250 joins its
    // measuring range in parameter 3.
    const struct { Fields fields; const char* locale; int16_t language; int reader; const char* expected; } rows[] = {
        {trimmed, "en_US", 2, 0, "20"},           {trimmed, "de_DE", 2, 1, "1,5"},  {trimmed, "en_US", 2, 2, "26/28"},
        {ThreadDensity, "en_US", 2, 1, "R=3"},    {ThreadDensity, "de_DE", 2, 2, "1,5-10"},
        {ThreadDensity, "en_US", 2, 3, ""},       {otherRange, "en_US", 2, 1, "abc"},
        {otherRange, "en_US", 2, 2, "05-20"},
        {units, "en_US", 2, 4, "mm/min"},         {units, "en_US", 2, 6, "m"},        {units, "en_US", 2, 7, ""},
        {units, "en_US", 2, 9, "tpi"},            {units, "en_US", 1, 5, "cm WS"},    {units, "en_US", 1, 8, "Min"},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        Language = row.language;
        EXPECT_EQ(readers[row.reader](Build(row.fields)), QString::fromUtf8(row.expected))
            << row.fields.Id << " reader " << row.reader << " " << row.locale << " " << row.language;
    }
    otherRange.P3 = "      ";
    EXPECT_EQ(DataStringParameter3(Build(otherRange)), "");
}

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


TEST_F(DataStringTest, TestArea10Reads44ForTheHydrostaticHeadTestersOfThatInstallation)
{
    const std::string code5 = Build({.Id = "KR 6101", .P2 = "    10"});
    const std::string code6 = Build({.Id = "KR 6100", .P2 = " 010.0"});
    const std::string code9 = Build({.Id = "KR 6401", .P2 = " 010.0"});
    EXPECT_EQ(DataStringParameter2(code5) + DataStringParameter2(code6), "1010");
    SetInstallationTestArea44Variant(true);
    EXPECT_EQ(DataStringParameter2(code5) + DataStringParameter2(code6) + DataStringParameter2(code9), "444410");
    EXPECT_EQ(ParseDataString(code5).Parameter2, "44");
}

TEST_F(DataStringTest, ResultsReadWithAPointInEveryLocale)
{
    // Pass/fail (unit "y") folds result 1 only: 1 is 1, anything else 0.
    const struct { const char* locale; Fields fields; float one, two; } rows[] = {
        {"en_US", {.R1 = "  12.5", .R2 = "------"}, 12.5f, NoValue},
        {"de_DE", {.R1 = "  12.5", .R2 = "------"}, 12.5f, NoValue},
        {"en_US", {.R2 = "   -3."}, NoValue, -3},
        {"en_US", {.R1 = "9E+099"}, NoValue, NoValue},   // a number, but no Single
        {"en_US", {.R1 = "   1.0", .RU1 = "y", .R2 = "   3.0", .RU2 = "y"}, 1, 3},
        {"en_US", {.R1 = "   3.0", .RU1 = "y"}, 0, NoValue},
        {"en_US", {.R1 = "   0.0", .RU1 = "y"}, 0, NoValue},
        {"en_US", {.R1 = "     1", .RU1 = "y"}, 1, NoValue},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        const std::string text = Build(row.fields);
        EXPECT_EQ(std::pair(DataStringResult(text), DataStringResult2(text)), std::pair(row.one, row.two))
            << row.fields.R1 << " " << row.fields.R2 << " " << row.locale;
    }
}

TEST_F(DataStringTest, WarningSignsAreRemappedPerModelAndTheFlagIsTrueForOne)
{
    const struct { const char* Id; const char* Sign; const char* Expected; } cases[] = {
        {"KR 6400", "-", "o"}, {"KR 6400", "u", "*"}, {"KR 6400", "+", "+"}, {"KR 6404", "-", "o"},
        {"KR 6404", "u", "*"}, {"KR 6450", "-", "*"}, {"KR 6450", "u", "u"}, {"KR 6801", "+", "o"},
        {"KR 6801", "-", "-"}, {"KR 6401", "-", "-"}, {"KR 6401", "u", "u"}, {"D  7041", "*", "*"},
        {"KR 6400", " ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataStringWarningSign(Build({.Id = c.Id, .Warning = c.Sign})), c.Expected) << c.Id << " '" << c.Sign << "'";
    for (const auto& [flag, set] : {std::pair("1", true), std::pair("0", false), std::pair(" ", false)})
        EXPECT_EQ(DataStringFlag(Build({.Flag = flag})), set) << flag;
}

TEST_F(DataStringTest, ParseReadsEveryField)
{
    const std::string text = Build(KR6450Reading());
    const DataStringRecord r = ParseDataString(text);
    EXPECT_EQ(std::tuple(r.InstrumentCode, r.SerialNumber, r.WarningSign, r.AlreadyTransmitted, r.Text),
              std::tuple(12, QStringLiteral("1112"), QStringLiteral("*"), true, text));
    const QStringList parameters{r.Parameter1, r.Parameter1Unit, r.Parameter2, r.Parameter2Unit, r.Parameter3,
                                 r.Parameter3Unit, r.Parameter4, r.Parameter4Unit, r.ResultUnit, r.Result2Unit};
    EXPECT_EQ(parameters.join(u'|'), QString::fromUtf8("400|cm³|123|kPa|150/50|kPa|50|cm²|mm/s|"));
    EXPECT_FLOAT_EQ(r.Result, 123.4f);
    EXPECT_FLOAT_EQ(r.Result2, 0.512f);
}

TEST_F(DataStringTest, EmptyAndShortStringsGiveEmptyFields)
{
    EXPECT_TRUE(IsEmptyDataStringRecord(ParseDataString("")));
    for (const std::string& text : {std::string(), std::string("\x1E" "KR 6400"), std::string("\x1E" "KR 6400" "12"),
                                    std::string("\x1E"), std::string("\x1E" "KR 6450   ab 12")}) {
        const DataStringRecord r = ParseDataString(text);
        EXPECT_EQ(std::tuple(r.Parameter4, r.Parameter4Unit, r.WarningSign, r.Result, r.Result2, r.AlreadyTransmitted, r.Text),
                  std::tuple(QString(), QString(), QString(), NoValue, NoValue, false, text))
            << ToHex(text);
    }
    EXPECT_EQ(ParseDataString("\x1E" "KR 6400" "12").SerialNumber, "12");
    EXPECT_EQ(DataStringSerialNumber("\x1E" "KR 6401" "A", 9), "10A");
}

TEST_F(DataStringTest, SetFieldWritesEachFieldRightAlignedAndRenewsTheChecksum)
{
    Fields f = KR6450Reading();
    std::string text = Build(f);
    text[57] = '!';                            // a stale checksum is renewed in every case

    const struct { int16_t Field; const char* Value; std::string Fields::*Member; const char* Written; } cases[] = {
        {2, "7", &Fields::Serial, "  7"},     {2, "1999", &Fields::Serial, "J99"}, {2, "", &Fields::Serial, "   "},
        {2, "1023", &Fields::Serial, "A23"},  {4, "12.5", &Fields::P1, "  12.5"},  {7, "", &Fields::U2, " "},
        {14, " ", &Fields::Warning, " "},
        {4, "1234567", &Fields::P1, "123456"}, {5, "(", &Fields::U1, "("},        {6, "", &Fields::P2, "      "},
        {8, "26/28", &Fields::P3, " 26/28"},  {9, "?", &Fields::U3, "?"},          {10, "3", &Fields::P4, "     3"},
        {11, "Pa", &Fields::U4, "P"},         {14, "*", &Fields::Warning, "*"},
    };
    for (const auto& c : cases) {
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

    // A short string does not grow.
    const std::string text = "\x1E" "KR 6401" "123";
    const std::string head = "\x1E" "KR 6401" "  7";
    EXPECT_EQ(ToHex(SetDataStringField(text, 2, QStringLiteral("7"))), ToHex(head + DataStringChecksum(head) + "\r\n"));
    EXPECT_EQ(ToHex(SetDataStringField(text, 14, QStringLiteral("*"))), ToHex(text + DataStringChecksum(text) + "\r\n"));
}

TEST_F(DataStringTest, GroupCodeLetterAndResultUnitsRefuseAndTheLastOneCountsInSlotZero)
{
    // The style editor writes an air-permeability reference with a blank serial.
    const Fields group{.Id = "KR 6400", .Serial = "    ", .Letter = "", .P1 = "   200", .U1 = "?", .P2 = "    20",
                       .U2 = ")", .R1 = "  12.5", .RU1 = "H"};
    auto inGroup = [](const char* id) {
        return Fields{.Id = id, .Serial = "123", .P1 = "   200", .U1 = "?", .P2 = "    20", .U2 = ")", .R1 = "  12.5",
                      .RU1 = "H"};
    };
    const Fields k{.Id = "KR 6100", .Letter = "K", .RU1 = "C", .RU2 = "C"};
    const Fields fourDigits{.Id = "KR 6400", .Serial = "    ", .Letter = "", .RU1 = "H"};
    Fields kr6404 = AirPermeabilityBare;
    kr6404.Id = "KR 6404";
    const struct {
        const char* what;
        Fields received, reference;
        std::vector<std::pair<int, int16_t>> checks;
    } rows[] = {
        {"KR 6401 measures the test types of KR 6400", inGroup("KR 6401"), group, {{0, 0}, {1, 0}}},
        {"KR 6450 does not", inGroup("KR 6450"), group, {{0, 1}, {1, 1}}},
        {"an unknown model: nothing to compare", inGroup("XX 0000"), group, {{1, 0}}},
        {"KR 6101 and KR 6100", {.Id = "KR 6101"}, {.Id = "KR 6100"}, {{1, 0}}},
        {"another code letter", {.Id = "KR 6100", .Letter = "G", .RU1 = "C", .RU2 = "C"}, k, {{0, 3}, {2, 3}}},
        {"and a result unit", {.Id = "KR 6100", .Letter = "G", .RU1 = "a", .RU2 = "C"}, k, {{0, 12}, {2, 3}, {3, 12}}},
        {"a KR 6100-III sends no second result unit", {.Id = "KR 6100", .Letter = "K", .RU1 = "C"}, k, {{0, 0}, {4, 0}}},
        {"a KR 6100-II does", {.Id = "KR 6101", .Letter = "K", .RU1 = "C"}, k, {{0, 13}, {4, 13}}},
        {"a blank code letter in the reference is a letter", k, {.Id = "KR 6100", .RU1 = "C", .RU2 = "C"}, {{2, 3}}},
        // Serial 1234: position 12 is "4", no code letter on these models.
        {"KR 6400 has no code letter", AirPermeabilityBare, fourDigits, {{0, 0}, {2, 0}}},
        {"nor KR 6404", kr6404, fourDigits, {{0, 0}, {2, 0}}},
        {"KR 6401 has one", {.Id = "KR 6401", .Serial = "123", .Letter = "X"}, {.Id = "KR 6401", .Serial = "123"},
         {{2, 3}}},
    };
    for (const auto& row : rows) {
        const Deviations result = Compare(row.received, row.reference);
        for (const auto& [slot, value] : row.checks)
            EXPECT_EQ(result[static_cast<size_t>(slot)], value) << row.what << ", slot " << slot;
    }
}

TEST_F(DataStringTest, SerialNumberAndParametersDeviateOnlyAgainstAFilledReference)
{
    for (const Fields& f : {AirPermeability, KR6450Reading(), ThreadDensity})
        EXPECT_EQ(Compare(f, f), Deviations{});
    EXPECT_EQ(CompareDataStringParameters("", ""), Deviations{});
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
    const struct { const char* locale; const char* id; const char* reference; const char* received; int16_t slot6; } rows[] = {
        {"en_US", "KR 6450", "   100", "   115", 0}, {"en_US", "KR 6450", "   100", "    85", 0},
        {"en_US", "KR 6450", "   100", "   100", 0}, {"en_US", "KR 6450", "   100", " 115.0", 0}, {"en_US", "KR 6450", "   100", "   116", 4},
        {"en_US", "KR 6450", "   100", "    84", 4}, {"en_US", "KR 6450", "   100", "   abc", 4},
        {"en_US", "KR 6801", "   100", "   115", 4},     // another model compares the texts
        // A reference of 0 or no number compares the texts, without dividing.
        {"en_US", "KR 6450", "     0", "   115", 4}, {"en_US", "KR 6450", "     0", "     0", 0},
        {"en_US", "KR 6450", "   abc", "   abd", 4}, {"en_US", "KR 6450", "   abc", "   abc", 0},
        // The ratio reads numbers in the locale's notation: 1.2 times the reference.
        {"de_DE", "KR 6450", "   1.5", "   1.6", 0}, {"de_DE", "KR 6450", "   1.5", "   1.8", 4},
    };
    for (const auto& row : rows) {
        Pin(QString::fromLatin1(row.locale));
        Fields reference = KR6450Reading();
        reference.Id = row.id;
        reference.P1 = row.reference;
        Fields received = reference;
        received.P1 = row.received;
        EXPECT_EQ(Compare(received, reference)[6], row.slot6)
            << row.locale << " " << row.id << " '" << row.received << "' against '" << row.reference << "'";
    }
}

TEST_F(DataStringTest, ParametersTheModelsMayOmitOrWriteOtherwise)
{
    // The KR 6100-II's area 26/28 fits a reference of 26 or 28.
    const struct { const char* id; const char* area; int16_t slot8; } areas[] = {
        {"KR 6101", "    26", 0}, {"KR 6101", "    28", 0}, {"KR 6101", "  28.0", 0}, {"KR 6101", "   100", 6},
        {"KR 6100", "    26", 6},
    };
    for (const auto& row : areas) {
        EXPECT_EQ(Compare({.Id = row.id, .P2 = " 26/28", .U2 = ")"}, {.Id = "KR 6100", .P2 = row.area, .U2 = ")"})[8],
                  row.slot8)
            << row.id << " against '" << row.area << "'";
    }

    // Air-permeability testers may omit parameters 1 and 2, but only both together;
    // other models may not.
    for (const char* id : {"KR 6420", "KR 6401", "KR 6400", "KR 6410", "KR 6404"}) {
        Fields received = AirPermeabilityBare;
        received.Id = id;
        const Deviations result = Compare(received, AirPermeability);
        EXPECT_EQ(std::tuple(result[6], result[7], result[8], result[9]), std::tuple(0, 0, 0, 0)) << id;
    }
    Fields unitOnly = AirPermeabilityBare;
    unitOnly.U1 = "?";
    EXPECT_EQ(std::tuple(Compare(unitOnly, AirPermeability)[6], Compare(unitOnly, AirPermeability)[8]), std::tuple(4, 0));
    const Fields bare6450{.Id = "KR 6450", .Serial = "123", .R1 = "  12.5", .RU1 = "H"};
    Fields full6450 = AirPermeability;
    std::tie(full6450.Id, full6450.Serial, full6450.Letter) = std::tuple("KR 6450", "123", " ");
    const Deviations result = Compare(bare6450, full6450);
    EXPECT_EQ(std::tuple(result[6], result[7], result[8], result[9]), std::tuple(4, 5, 6, 7));

    // The KR 6250's measuring range (1.5-10 in the reference) compares its ends.
    const struct { const char* locale; const char* referenceFrom; const char* from; const char* to; int16_t slot10; } ranges[] = {
        {"en_US", "   1.5", "  1.50", "  10.0", 0},     // reads 1.5-10.0: other text, same ends
        {"en_US", "   1.5", "   2.0", "  10.0", 8},     {"en_US", "   1.5", "  1.50", "    12", 8},
        {"en_US", "      ", "  1.50", "    12", 0},     {"de_DE", "   1.5", "  1.50", "  10.0", 0},
        {"de_DE", "   1.5", "  1.60", "  10.0", 8},
    };
    for (const auto& row : ranges) {
        Pin(QString::fromLatin1(row.locale));
        Fields reference = ThreadDensity;
        reference.P3 = row.referenceFrom;
        Fields received = ThreadDensity;
        received.P3 = row.from;
        received.P4 = row.to;
        EXPECT_EQ(Compare(received, reference)[10], row.slot10)
            << row.locale << " '" << row.from << "-" << row.to << "' against '" << row.referenceFrom << "'";
    }
}
