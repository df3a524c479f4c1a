#include "instrument/modDataString.h"

#include "foundation/Records.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modRecords.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/Installation.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace {

// ---------------------------------------------------------------------------
// Byte-string helpers with the semantics of the original text functions:
// positions count from 1, and a part beyond the end is simply shorter or empty.

std::string Mid(const std::string& text, int position, int length)
{
    if (position < 1 || length <= 0 || static_cast<size_t>(position) > text.size())
        return std::string();
    return text.substr(static_cast<size_t>(position - 1), static_cast<size_t>(length));
}

std::string Right(const std::string& text, size_t length)
{
    return text.size() <= length ? text : text.substr(text.size() - length);
}

std::string Blanks(int count)
{
    return std::string(static_cast<size_t>(count > 0 ? count : 0), ' ');
}

QString Text(const std::string& bytes)
{
    return FromCp1252(bytes);
}

// Overwrites the characters from the position on with the value, as far as
// the text reaches; the text never grows.
void ReplaceAt(std::string& text, int position, const std::string& value)
{
    for (size_t i = 0; i < value.size(); ++i) {
        const size_t index = static_cast<size_t>(position - 1) + i;
        if (index < text.size())
            text[index] = value[i];
    }
}

// A number written with "." (as the instruments do) or with the locale's
// decimal separator.
bool IsNumberText(const QString& text)
{
    if (IsNumeric(text))
        return true;
    if (DecimalSeparator == QLatin1String(".") || DecimalSeparator.isEmpty())
        return false;
    QString dotted = text;
    dotted.replace(QLatin1Char('.'), DecimalSeparator);
    return IsNumeric(dotted);
}

// The leading number of a parameter text as the field readers wrote it (in
// the locale's notation), so that "1,5" under a German locale is 1.5 and not 1.
double ParameterValue(const QString& text)
{
    QString dotted = text;
    if (!DecimalSeparator.isEmpty() && DecimalSeparator != QLatin1String("."))
        dotted.replace(DecimalSeparator, QStringLiteral("."));
    return Val(dotted);
}

// Upper case character by character, so that the field keeps its width.
QString UpperSameWidth(const QString& text)
{
    QString upper = text;
    for (QChar& ch : upper)
        ch = ch.toUpper();
    return upper;
}

// ---------------------------------------------------------------------------
// Unit table

struct UnitRow {
    int Code;
    const char* Prefix;     // the text, or its part common to all languages
    const char* German;     // nullptr: the same text in every language
    const char* Other;
};

const UnitRow UnitRows[] = {
    {33, "µm", nullptr, nullptr},
    {34, "mm", nullptr, nullptr},
    {35, "cm", nullptr, nullptr},
    {36, "m", nullptr, nullptr},
    {37, "in", nullptr, nullptr},
    {38, "yd", nullptr, nullptr},
    {39, "pm", nullptr, nullptr},
    {40, "mm²", nullptr, nullptr},
    {41, "cm²", nullptr, nullptr},
    {42, "m²", nullptr, nullptr},
    {43, "in²", nullptr, nullptr},
    {44, "yd²", nullptr, nullptr},
    {46, "mm³", nullptr, nullptr},
    {47, "cm³", nullptr, nullptr},
    {48, "dm³", nullptr, nullptr},
    {49, "l", nullptr, nullptr},
    {50, "m³", nullptr, nullptr},
    {51, "in³", nullptr, nullptr},
    {52, "yd³", nullptr, nullptr},
    {54, "mN", nullptr, nullptr},
    {55, "cN", nullptr, nullptr},
    {56, "N", nullptr, nullptr},
    {57, "kN", nullptr, nullptr},
    {58, "g", nullptr, nullptr},
    {59, "kg", nullptr, nullptr},
    {60, "oz", nullptr, nullptr},
    {61, "lbs", nullptr, nullptr},
    {63, "Pa", nullptr, nullptr},
    {64, "hPa", nullptr, nullptr},
    {65, "kPa", nullptr, nullptr},
    {66, "MPa", nullptr, nullptr},
    {67, "mbar", nullptr, nullptr},
    {68, "bar", nullptr, nullptr},
    {69, "psi", nullptr, nullptr},
    {70, "cm ", "WS", "w.c."},
    {71, "mm ", "WS", "w.c."},
    {72, "mm/s", nullptr, nullptr},
    {73, "cm/s", nullptr, nullptr},
    {74, "m/s", nullptr, nullptr},
    {75, "in/s", nullptr, nullptr},
    {76, "yd/s", nullptr, nullptr},
    {78, "mm/", "Min", "min"},
    {79, "cm/", "Min", "min"},
    {80, "m/", "Min", "min"},
    {81, "in/", "Min", "min"},
    {82, "yd/", "Min", "min"},
    {83, "ft³/ft²/", "Min", "min"},
    {84, "dm³/s", nullptr, nullptr},
    {85, "l/m²/s", nullptr, nullptr},
    {86, "l/dm²/", "Min", "min"},
    {87, "cm³/cm²/s", nullptr, nullptr},
    {88, "m³/m²/", "Min", "min"},
    {89, "m³/m²/h", nullptr, nullptr},
    {90, "cfm", nullptr, nullptr},
    {91, "mm ", "WS/Min", "w.c./min"},
    {92, "mbar/", "Min", "min"},
    {93, "hPa/", "Min", "min"},
    {94, "cm ", "WS/Min", "w.c./min"},
    {95, "ms", nullptr, nullptr},
    {96, "s", nullptr, nullptr},
    {97, "", "Min", "min"},
    {98, "h", nullptr, nullptr},
    {99, "d", nullptr, nullptr},
    {100, "m³/m²/s", nullptr, nullptr},
    {101, "dtex", nullptr, nullptr},
    {102, "tex", nullptr, nullptr},
    {103, "den", nullptr, nullptr},
    {104, "Nm", nullptr, nullptr},
    {105, "Ne", nullptr, nullptr},
    {107, "g/m²", nullptr, nullptr},
    {108, "oz/yd²", nullptr, nullptr},
    {110, "%", nullptr, nullptr},
    {111, "°", nullptr, nullptr},
    {112, "/cm", nullptr, nullptr},
    {113, "/in", nullptr, nullptr},
    {114, "/pm", nullptr, nullptr},
    {115, "", "Dr/in", "tpi"},
    {116, "", "Dr/m", "tpm"},
    {118, "°C", nullptr, nullptr},
    {119, "°F", nullptr, nullptr},
    {121, "1/0", nullptr, nullptr},
};

const UnitRow* FindUnitRow(int code)
{
    for (const UnitRow& row : UnitRows) {
        if (row.Code == code)
            return &row;
    }
    return nullptr;
}

QString UnitTextOfCode(int code, int16_t language)
{
    const UnitRow* row = FindUnitRow(code);
    if (!row)
        return QString();
    QString text = QString::fromUtf8(row->Prefix);
    if (row->German) {
        if (language == 1)
            text += QString::fromUtf8(row->German);
        else if (language >= 2 && language <= 6)
            text += QString::fromUtf8(row->Other);
    }
    return text;
}

QString WithPlainDigits(QString text)
{
    text.replace(QChar(0x00B3), QLatin1Char('3'));
    text.replace(QChar(0x00B2), QLatin1Char('2'));
    return text;
}

// ---------------------------------------------------------------------------
// Instrument identifiers, by row of the instrument table.

const char* const Identifiers[InstrumentCodeCount] = {
    "",        "0000000", "D  7041", "MP 4300", "MP 4800", "KR 6101", "KR 6100", "KR 6420", "KR 6250",
    "KR 6401", "KR 6400", "KR 6410", "KR 6450", "KR 6801", "KR 6850", "LLISTER", "KR 6404",
};

bool HasFourDigitSerial(int16_t instrumentCode)
{
    return instrumentCode == 10 || instrumentCode == 16;
}

// ---------------------------------------------------------------------------
// Parameters and results

QString NormalisedParameter(const std::string& field)
{
    const QString text = Trim(Text(field));
    if (IsNumberText(text))
        return CStr(Val(text));
    return text;
}

// One end of the KR 6250's measuring range: one decimal when the instrument
// sent one, else at least two digits.
QString RangeEnd(const std::string& field)
{
    const double value = Val(field);
    return field.find('.') != std::string::npos ? Format(value, QStringLiteral("#0.0"))
                                                : Format(value, QStringLiteral("0#"));
}

float ResultAt(const std::string& text, int position)
{
    const QString raw = Text(Mid(text, position, 6));
    if (!IsNumberText(raw))
        return NoValue;
    const float value = static_cast<float>(Val(raw));
    // A field such as "9E+099" is numeric but no Single; it is no value either.
    if (!std::isfinite(value))
        return NoValue;
    return value;
}

QString UnitAt(const std::string& text, int position)
{
    return UnitText(Mid(text, position, 1), Language);
}

// ---------------------------------------------------------------------------
// Older formats

// The value as a 6-character result field. Decimals that do not fit are cut;
// a value whose whole part does not fit gives False, since a cut there would
// write a different number.
bool ResultField(double value, std::string& field)
{
    if (!std::isfinite(value))
        return false;
    std::string text = PlainNumberText(value);
    if (text.size() > 6) {
        const size_t point = text.find('.');
        const size_t whole = point == std::string::npos ? text.size() : point;
        if (whole > 6)
            return false;
        text.resize(6);
        if (text.back() == '.')
            text.pop_back();
    }
    field = PadText(text, 6);
    return true;
}

// A reading of the older instruments ("." as decimal point); False when the
// field holds no number, which is no reading of 0 either.
bool ReadingValue(const std::string& field, double& value)
{
    if (!IsNumberText(Text(Trim(field))))
        return false;
    value = Val(field);
    return true;
}

// Parameter 1 of the expected string as a number; False when it is none.
bool ExpectedParameter1(const DataStringRecord& expected, double& value)
{
    const QString text = Trim(expected.Parameter1);
    if (!IsNumberText(text))
        return false;
    value = ParameterValue(text);
    return true;
}

std::string Pad(const std::string& text, int width)
{
    return PadText(text, width);
}

std::string PadTrimmed(const std::string& text, int width)
{
    return PadText(Trim(text), width);
}

std::string Finish(const std::string& first57)
{
    return first57 + DataStringChecksum(first57) + "\r\n";
}

// A converted string with nothing but its identifier and the flag "0".
std::string BlankConversion(const std::string& identifier)
{
    return Finish(RS + identifier + Blanks(48) + "0");
}

// The scale and the twist counter send a bare reading: code letter and
// parameters come from the expected string, the value is written in its
// result unit, there is no second result.
std::string ReadingConversion(const std::string& identifier, const std::string& expected,
                              const std::string& warning, double value, const std::string& unit)
{
    std::string field;
    if (!ResultField(value, field))
        return std::string();
    return Finish(RS + identifier + Blanks(3) + Mid(expected, 12, 29) + warning + field + unit + Blanks(8) + "0");
}

// A reply of the KR 6100-II, KR 6400-II, KR 6410 or KR 6800 with 22
// characters or more carries the flag (19) and the serial number (20 to 22);
// a shorter one has neither.
bool HasSerialAndFlag(const std::string& text)
{
    return text.size() >= 22;
}

std::string AppendedSerial(const std::string& s)
{
    return HasSerialAndFlag(s) ? Mid(s, 20, 3) : Blanks(3);
}

// Positions 27 to 57 of these models: no parameters 3 and 4, the warning sign
// at 11 and the reading at 12 to 17 of the reply, its unit code, no second
// result, the flag.
std::string ReadingAndFlag(const std::string& s, const std::string& unit)
{
    return Blanks(14) + Mid(s, 11, 1) + PadTrimmed(Mid(s, 12, 6), 6) + unit + Blanks(8)
           + (HasSerialAndFlag(s) ? Mid(s, 19, 1) : "0");
}

std::string ConvertKeyboard(const std::string& s, const std::string* e)
{
    const std::string value = Mid(s, 4, 6);
    if (!e || !IsNumberText(Text(Trim(value))))
        return BlankConversion(Identifiers[1]);
    return Finish(RS + Identifiers[1] + Pad(ToCp1252(KeyboardDef.SerialNumber), 3) + Mid(*e, 12, 30) + Pad(value, 6)
                  + Mid(*e, 48, 9) + "0");
}

// "D 7041": a weight in grams, turned into the property the expected string
// asks for (fineness, count, area weight, weight) in its result unit.
std::string ConvertD7041(const std::string& s, const std::string* e)
{
    if (!e)
        return BlankConversion(Identifiers[2]);
    const DataStringRecord h = ParseDataString(*e);
    const std::string unit = UnitCode(h.ResultUnit, Language);
    double value = 0.0;
    if (!ReadingValue(Mid(s, 5, 6), value))
        return std::string();
    if (value != 0.0) {
        const std::string letter = Mid(*e, 12, 1);
        double p = 0.0;
        const bool hasP = ExpectedParameter1(h, p);
        // A length in metres, else in yards.
        const double f = h.Parameter1Unit == QLatin1String("m") ? 1.0 : 0.914398;
        if (letter == "F") {
            if (!hasP || p == 0.0)
                return std::string();
            value = value / p / f;
            if (unit == "e")            // dtex
                value *= 10000.0;
            else if (unit == "f")       // tex
                value *= 1000.0;
            else if (unit == "g")       // den
                value *= 9000.0;
        } else if (letter == "N") {
            if (!hasP)
                return std::string();
            value = p * f / value;
            if (unit == "i")            // Ne
                value *= 0.590541;
        } else if (letter == "A" || letter == "P") {
            if (!hasP || (letter == "A" && p == 0.0))
                return std::string();
            // The punch of paper size DIN A p covers 10000 / 2^p cm².
            value /= letter == "A" ? p : 10000.0 / std::pow(2.0, static_cast<double>(CInt(p)));
            if (unit == "k")            // g/m²
                value *= 10000.0;
            else if (unit == "l")       // oz/yd²
                value *= 294.934;
        } else if (letter == "W") {
            if (unit == ";")            // kg
                value /= 1000.0;
            else if (unit == "<")       // oz
                value /= 28.34953;
            else if (unit == "=")       // lbs
                value /= 453.59237;
        }
    }
    return ReadingConversion(Identifiers[2], *e, Mid(s, 12, 1) == "g" ? " " : "*", value, unit);
}

// "MP 4300-II": counted turns over the test length, as turns per metre or
// per inch; the untwist/retwist method counts every turn twice.
std::string ConvertMP4300(const std::string& s, const std::string* e)
{
    if (!e)
        return BlankConversion(Identifiers[3]);
    const DataStringRecord h = ParseDataString(*e);
    const std::string unit = UnitCode(h.ResultUnit, Language);
    double p = 0.0;
    double turns = 0.0;
    if (!ExpectedParameter1(h, p) || p == 0.0 || !ReadingValue(Mid(s, 12, 6), turns))
        return std::string();
    const double g = h.Parameter1Unit == QLatin1String("mm") ? 1000.0 : 39.3702;
    double value = turns / p * g;
    if (value != 0.0) {
        if (unit == "s")                // per inch
            value /= 39.3702;
        if (Mid(*e, 12, 1) == "U")
            value *= 0.5;
    }
    return ReadingConversion(Identifiers[3], *e, Mid(s, 18, 1), value, unit);
}

std::string ConvertMP4800(const std::string& s)
{
    const std::string mode = Mid(s, 9, 1);
    const bool metric = Mid(s, 8, 1) == "m";
    std::string out = RS + Identifiers[4] + Blanks(3) + mode;
    if (mode == "y") {
        out += PadTrimmed(Mid(s, 25, 4), 6);
        out += metric ? "\"" : "%";     // mm, in
        out += PadTrimmed(Mid(s, 29, 5), 6);
        out += metric ? "N" : "Q";      // mm/min, in/min
    } else {
        out += PadTrimmed(Mid(s, 34, 4), 6);
        out += "i";                     // Ne
        out += PadTrimmed(Mid(s, 38, 3), 6);
        out += " ";
    }
    out += Blanks(14);
    out += Mid(s, 10, 1);
    out += PadTrimmed(Mid(s, 12, 6), 6);
    const std::string forceUnit = Mid(s, 18, 1);
    out += forceUnit == "N" ? "8" : (forceUnit == "g" ? ";" : "=");     // N, kg, lbs
    if (mode == "y") {
        out += PadTrimmed(Mid(s, 4, 4), 6);
        out += "n";                     // %
    } else {
        out += PadTrimmed(Mid(s, 41, 6), 6);
        out += " ";
    }
    out += " 0";
    return Finish(out);
}

std::string ConvertKR6100(const std::string& s)
{
    const std::string mode = Mid(s, 9, 1);
    std::string out = RS + Identifiers[5] + AppendedSerial(s) + mode;
    const std::string pressure = Trim(Mid(s, 4, 5));
    if (mode == "G" && IsNumberText(Text(pressure)) && Val(pressure) == 2.0)
        out += Pad("2/10", 6);
    else
        out += Pad(pressure, 6);
    out += mode == "K" ? "C" : "\\";    // mbar, mbar/min
    const std::string area = Mid(s, 10, 1);
    out += Pad(area == "H" ? "100" : (area == "I" ? "26/28" : "10"), 6);
    out += ")";                         // cm²
    out += ReadingAndFlag(s, Mid(s, 18, 1) == "B" ? "C" : "a");    // mbar, min
    return Finish(out);
}

std::string ConvertKR6400(const std::string& s, const std::string& identifier)
{
    std::string out = RS + identifier + AppendedSerial(s) + " ";
    out += PadTrimmed(Mid(s, 4, 5), 6);
    out += "?";                         // Pa
    const std::string areaLetter = Mid(s, 10, 1);
    static const char* const Areas[] = {"100", "50", "38", "20", "10", "5", "3"};
    if (areaLetter.size() == 1 && areaLetter[0] >= 'A' && areaLetter[0] <= 'G')
        out += Pad(Areas[areaLetter[0] - 'A'], 6);
    out += ")";                         // cm²
    // mm/s, l/m²/s, l/dm²/min, cm³/cm²/s, m³/m²/min, cfm, cm², m³/m²/h; an
    // unknown letter writes none.
    static const std::string UnitLetters = "OPQRSTUV";
    static const std::string UnitCodes = "HUVWXZ)Y";
    const std::string unitLetter = Mid(s, 18, 1);
    const size_t unit = unitLetter.size() == 1 ? UnitLetters.find(unitLetter[0]) : std::string::npos;
    out += ReadingAndFlag(s, unit == std::string::npos ? std::string() : UnitCodes.substr(unit, 1));
    return Finish(out);
}

// The KR 6450 sends its pressures in tenths of a kilopascal.
std::string TenthsText(const std::string& field)
{
    // Adding 0 turns a truncated -0 into 0.
    const double tenths = std::trunc(Val(field) / 10.0) + 0.0;
    return QString::number(tenths, 'f', 0).toStdString();
}

std::string ConvertKR6450(const std::string& s)
{
    std::string out = RS + Identifiers[12];
    out += Mid(s, 37, 3);
    out += " ";
    out += PadTrimmed(Mid(s, 12, 4), 6);
    out += "/";                         // cm³
    out += Pad(TenthsText(Mid(s, 4, 5)), 6);
    out += "A";                         // kPa
    out += Pad(TenthsText(Mid(s, 20, 4)) + "/" + TenthsText(Mid(s, 16, 4)), 6);
    out += "A";
    out += Pad("50", 6);
    out += ")";                         // cm²
    out += Mid(s, 11, 1);
    out += PadTrimmed(Mid(s, 24, 6), 6);
    out += "H";                         // mm/s
    out += PadTrimmed(Mid(s, 31, 5), 6);
    out += "  ";
    out += Mid(s, 36, 1);
    return Finish(out);
}

std::string ConvertKR6800(const std::string& s)
{
    std::string out = RS + Identifiers[13] + AppendedSerial(s) + " ";
    out += PadTrimmed(Mid(s, 9, 2), 6);
    out += " ";
    out += PadTrimmed(Mid(s, 4, 5), 6);
    out += "7";                         // cN
    out += ReadingAndFlag(s, Mid(s, 18, 1) == "c" ? "7" : "6");    // cN, mN
    return Finish(out);
}

std::string ConvertLister(const std::string& s)
{
    const std::string sign = Mid(s, 9, 1);
    std::string out = RS + Identifiers[15] + Blanks(32);
    out += sign;
    out += sign != "*" ? PadTrimmed(Mid(s, 11, 6), 6) : Pad("0", 6);
    out += "`";                         // s
    out += Blanks(8);
    out += Mid(s, 18, 1);
    return Finish(out);
}

std::string Convert(const std::string& s, const std::string* expected)
{
    const std::string device = Mid(s, 2, 2);
    if (device == "00")
        return ConvertKeyboard(s, expected);
    if (device == "  ")
        return ConvertD7041(s, expected);
    if (device == "43")
        return ConvertMP4300(s, expected);
    if (device == "48")
        return ConvertMP4800(s);
    if (device == "61")
        return ConvertKR6100(s);
    if (device == "64")
        return ConvertKR6400(s, Identifiers[9]);
    if (device == "65")
        return ConvertKR6400(s, Identifiers[11]);
    if (device == "66")
        return ConvertKR6450(s);
    if (device == "68")
        return ConvertKR6800(s);
    if (device == "LI")
        return ConvertLister(s);
    // The current format: its own CR LF is written anew.
    if (s.size() < 2)
        return s;
    return s.substr(0, s.size() - 2) + "\r\n";
}

} // namespace

// ---------------------------------------------------------------------------
// Unit codes

QString UnitText(const std::string& code, int16_t language)
{
    if (code.empty())
        return QString();
    return UnitTextOfCode(static_cast<unsigned char>(code[0]), language);
}

std::string UnitCode(const QString& unitText, int16_t language)
{
    const QString wanted = WithPlainDigits(Trim(unitText));
    for (int code = 32; code <= 127; ++code) {
        if (WithPlainDigits(UnitTextOfCode(code, language)) == wanted)
            return std::string(1, static_cast<char>(code));
    }
    return " ";
}

// ---------------------------------------------------------------------------
// Checksum and validity

std::string DataStringChecksum(const std::string& text)
{
    unsigned int sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    sum &= 0xFFu;
    if (sum > 128)
        sum -= 128;
    return std::string(1, static_cast<char>(sum));
}

bool IsValidDataString(const std::string& text)
{
    return text.size() == DataStringLength && text[0] == '\x1E'
           && text[57] == DataStringChecksum(text.substr(0, 57))[0] && text[58] == '\r' && text[59] == '\n';
}

// ---------------------------------------------------------------------------
// Field readers

int16_t DataStringInstrumentCode(const std::string& text)
{
    const std::string identifier = Trim(Mid(text, 2, 7));
    for (int16_t code = 1; code < InstrumentCodeCount; ++code) {
        if (identifier == Identifiers[code])
            return code;
    }
    return 0;
}

std::string InstrumentIdentifier(int16_t instrumentCode)
{
    if (instrumentCode < 1 || instrumentCode >= InstrumentCodeCount)
        return std::string();
    return Identifiers[instrumentCode];
}

QString DataStringSerialNumber(const std::string& text, int16_t instrumentCode)
{
    const int width = HasFourDigitSerial(instrumentCode) ? 4 : 3;
    const QString field = UpperSameWidth(Text(Mid(text, 9, width)));
    if (!field.isEmpty() && field.at(0) >= QLatin1Char('A') && field.at(0) <= QLatin1Char('J')) {
        // Serial numbers from 1000 on are sent as a letter and two digits.
        const int thousands = 10 + (field.at(0).unicode() - u'A');
        return Trim(QString::number(thousands) + field.right(2));
    }
    return Trim(field);
}

QString DataStringParameter1(const std::string& text)
{
    return NormalisedParameter(Mid(text, 13, 6));
}

QString DataStringParameter2(const std::string& text)
{
    QString parameter = NormalisedParameter(Mid(text, 20, 6));
    const int16_t code = DataStringInstrumentCode(text);
    if (code == 8 && IsNumberText(Trim(Text(Mid(text, 20, 6)))))
        parameter = QStringLiteral("R=") + parameter;
    // Some installations know the 10 cm² test area of the hydrostatic-head
    // testers as 44.
    if ((code == 5 || code == 6) && parameter == QLatin1String("10") && InstallationTestArea44Variant())
        parameter = QStringLiteral("44");
    return parameter;
}

QString DataStringParameter3(const std::string& text)
{
    if (DataStringInstrumentCode(text) == 8) {
        // The KR 6250 sends its measuring range as two numbers.
        const std::string lower = Mid(text, 27, 6);
        if (Trim(lower).empty())
            return QString();
        QString range = RangeEnd(lower) + QLatin1Char('-') + RangeEnd(Mid(text, 34, 6));
        range.remove(QLatin1Char(' '));
        return range;
    }
    return NormalisedParameter(Mid(text, 27, 6));
}

QString DataStringParameter4(const std::string& text)
{
    if (DataStringInstrumentCode(text) == 8)
        return QString();
    return NormalisedParameter(Mid(text, 34, 6));
}

QString DataStringParameterUnit1(const std::string& text)
{
    return UnitAt(text, 19);
}

QString DataStringParameterUnit2(const std::string& text)
{
    return UnitAt(text, 26);
}

QString DataStringParameterUnit3(const std::string& text)
{
    return UnitAt(text, 33);
}

QString DataStringParameterUnit4(const std::string& text)
{
    return UnitAt(text, 40);
}

QString DataStringResultUnit(const std::string& text)
{
    return UnitAt(text, 48);
}

QString DataStringResult2Unit(const std::string& text)
{
    return UnitAt(text, 55);
}

float DataStringResult(const std::string& text)
{
    const float result = ResultAt(text, 42);
    if (DataStringResultUnit(text) == UnitText(PassFailUnitCode, Language))
        return result == 1.0f ? 1.0f : 0.0f;
    return result;
}

float DataStringResult2(const std::string& text)
{
    return ResultAt(text, 49);
}

QString DataStringWarningSign(const std::string& text)
{
    QString sign = Text(Mid(text, 41, 1));
    sign.remove(QLatin1Char(' '));
    const int16_t code = DataStringInstrumentCode(text);
    if (HasFourDigitSerial(code) && sign == QLatin1String("-"))
        sign = QStringLiteral("o");
    if (HasFourDigitSerial(code) && sign == QLatin1String("u"))
        sign = QStringLiteral("*");
    if (code == 12 && sign == QLatin1String("-"))
        sign = QStringLiteral("*");
    if (code == 13 && sign == QLatin1String("+"))
        sign = QStringLiteral("o");
    return sign;
}

bool DataStringFlag(const std::string& text)
{
    return Mid(text, 57, 1) == "1";
}

DataStringRecord ParseDataString(const std::string& text)
{
    if (text.empty())
        return MakeEmptyDataStringRecord();
    DataStringRecord record;
    record.InstrumentCode = DataStringInstrumentCode(text);
    record.SerialNumber = DataStringSerialNumber(text, record.InstrumentCode);
    record.Parameter1 = DataStringParameter1(text);
    record.Parameter1Unit = DataStringParameterUnit1(text);
    record.Parameter2 = DataStringParameter2(text);
    record.Parameter2Unit = DataStringParameterUnit2(text);
    record.Parameter3 = DataStringParameter3(text);
    record.Parameter3Unit = DataStringParameterUnit3(text);
    record.Parameter4 = DataStringParameter4(text);
    record.Parameter4Unit = DataStringParameterUnit4(text);
    record.WarningSign = DataStringWarningSign(text);
    record.Result = DataStringResult(text);
    record.ResultUnit = DataStringResultUnit(text);
    record.Result2 = DataStringResult2(text);
    record.Result2Unit = DataStringResult2Unit(text);
    record.AlreadyTransmitted = DataStringFlag(text);
    record.Text = text;
    return record;
}

// ---------------------------------------------------------------------------
// Rewriting and comparing

std::string SetDataStringField(const std::string& text, int16_t field, const QString& value)
{
    std::string head = text.substr(0, std::min<size_t>(text.size(), 57));
    int position = 0;
    int width = 0;
    switch (field) {
    case FieldSerialNumber:
        position = 9;
        // The four-digit serial numbers of these models reach into position 12.
        width = HasFourDigitSerial(DataStringInstrumentCode(text)) ? 4 : 3;
        break;
    case FieldParameter1: position = 13; width = 6; break;
    case FieldParameter1Unit: position = 19; width = 1; break;
    case FieldParameter2: position = 20; width = 6; break;
    case FieldParameter2Unit: position = 26; width = 1; break;
    case FieldParameter3: position = 27; width = 6; break;
    case FieldParameter3Unit: position = 33; width = 1; break;
    case FieldParameter4: position = 34; width = 6; break;
    case FieldParameter4Unit: position = 40; width = 1; break;
    case FieldWarningSign: position = 41; width = 1; break;
    default: break;
    }
    if (width > 0) {
        std::string bytes = ToCp1252(value);
        // A four-digit serial number goes into three characters as a letter
        // and two digits (1023 is A23); a four-character field takes it as it is.
        if (field == FieldSerialNumber && width == 3 && bytes.size() == 4
            && IsNumberText(Text(bytes.substr(0, 2)))) {
            const int letter = CInt(65.0 + (Val(bytes.substr(0, 2)) - 10.0));
            bytes = std::string(1, static_cast<char>(letter < 0 ? 0 : (letter > 255 ? 255 : letter)))
                    + Right(bytes, 2);
        }
        ReplaceAt(head, position, PadText(bytes, width));
    }
    return head + DataStringChecksum(head) + "\r\n";
}

std::array<int16_t, 14> CompareDataStringParameters(const std::string& newText,
                                                    const std::string& referenceText)
{
    std::array<int16_t, 14> deviations{};
    const DataStringRecord n = ParseDataString(newText);
    const DataStringRecord r = ParseDataString(referenceText);
    auto refuse = [&deviations](int slot, int16_t fieldNumber) {
        deviations[0] = fieldNumber;
        deviations[static_cast<size_t>(slot)] = fieldNumber;
    };
    auto differs = [](const QString& reference, const QString& received) {
        return !reference.isEmpty() && reference != received;
    };

    // 1. Both instruments must measure the same test types.
    const std::vector<int16_t> newTypes = TestTypesOfInstrument(n.InstrumentCode);
    const std::vector<int16_t> referenceTypes = TestTypesOfInstrument(r.InstrumentCode);
    const size_t common = std::min(newTypes.size(), referenceTypes.size());
    bool groupDiffers = false;
    for (size_t i = 0; i < common; ++i) {
        if (newTypes[i] != referenceTypes[i] || newTypes.size() != referenceTypes.size())
            groupDiffers = true;
    }
    if (groupDiffers)
        refuse(1, FieldIdentifier);

    // 2. The code letter. Models with a four-character serial number have
    // none: their position 12 is the last digit of the serial number, which
    // a style's expected string leaves blank.
    if (!HasFourDigitSerial(n.InstrumentCode) && !HasFourDigitSerial(r.InstrumentCode)
        && Mid(newText, 12, 1) != Mid(referenceText, 12, 1))
        refuse(2, FieldCodeLetter);

    // 3. and 4. The result units; the KR 6100-III sends no second one.
    if (n.ResultUnit != r.ResultUnit)
        refuse(3, FieldResultUnit);
    if (n.Result2Unit != r.Result2Unit && n.InstrumentCode != 6)
        refuse(4, FieldResult2Unit);

    // 5. The serial number.
    if (differs(r.SerialNumber, n.SerialNumber))
        deviations[5] = FieldSerialNumber;

    // 6. Parameter 1; the KR 6450 may deviate by 15 % from its test volume.
    if (differs(r.Parameter1, n.Parameter1)) {
        bool deviates = true;
        const QString reference = Trim(r.Parameter1);
        if (n.InstrumentCode == 12 && IsNumberText(reference) && ParameterValue(reference) != 0.0) {
            const float ratio = static_cast<float>(ParameterValue(n.Parameter1))
                                / static_cast<float>(ParameterValue(reference));
            deviates = ratio < 0.85f || ratio > 1.15f;
        }
        if (deviates)
            deviations[6] = FieldParameter1;
    }
    if (differs(r.Parameter1Unit, n.Parameter1Unit))
        deviations[7] = FieldParameter1Unit;

    // 8. Parameter 2; the KR 6100-II's area "26/28" fits a reference of 26 or 28.
    if (differs(r.Parameter2, n.Parameter2)) {
        bool deviates = true;
        if (n.InstrumentCode == 5 && n.Parameter2 == QLatin1String("26/28")) {
            const double reference = ParameterValue(r.Parameter2);
            if (reference == 26.0 || reference == 28.0)
                deviates = false;
        }
        if (deviates)
            deviations[8] = FieldParameter2;
    }
    if (differs(r.Parameter2Unit, n.Parameter2Unit))
        deviations[9] = FieldParameter2Unit;

    // 10. The air-permeability testers do not always send parameters 1 and 2.
    const int16_t code = n.InstrumentCode;
    if (code == 9 || code == 10 || code == 16 || code == 11 || code == 7) {
        if (Trim(n.Parameter1).isEmpty() && Trim(n.Parameter1Unit).isEmpty()) {
            deviations[6] = 0;
            deviations[7] = 0;
        }
        if (Trim(n.Parameter2).isEmpty() && Trim(n.Parameter2Unit).isEmpty()) {
            deviations[8] = 0;
            deviations[9] = 0;
        }
    }

    // 11. Parameter 3; the KR 6250's measuring range compares by its two ends.
    if (code == 8) {
        if (!r.Parameter3.isEmpty()) {
            auto ends = [](const QString& range, double& lower, double& upper) {
                lower = ParameterValue(range);
                const qsizetype dash = range.indexOf(QLatin1Char('-'));
                upper = ParameterValue(dash < 0 ? range : range.mid(dash + 1));
            };
            double newLower = 0.0;
            double newUpper = 0.0;
            double referenceLower = 0.0;
            double referenceUpper = 0.0;
            ends(n.Parameter3, newLower, newUpper);
            ends(r.Parameter3, referenceLower, referenceUpper);
            if (newLower != referenceLower || newUpper != referenceUpper)
                deviations[10] = FieldParameter3;
        }
    } else if (differs(r.Parameter3, n.Parameter3)) {
        deviations[10] = FieldParameter3;
    }

    // 12. The rest.
    if (differs(r.Parameter3Unit, n.Parameter3Unit))
        deviations[11] = FieldParameter3Unit;
    if (differs(r.Parameter4, n.Parameter4))
        deviations[12] = FieldParameter4;
    if (differs(r.Parameter4Unit, n.Parameter4Unit))
        deviations[13] = FieldParameter4Unit;
    return deviations;
}

// ---------------------------------------------------------------------------
// Older formats

std::string ConvertOldDataString(const std::string& text)
{
    return Convert(text, nullptr);
}

std::string ConvertOldDataString(const std::string& text, const std::string& expected)
{
    return Convert(text, &expected);
}
