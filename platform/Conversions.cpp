#include "platform/Conversions.h"

#include "platform/Cp1252.h"

#include <QLocale>

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <vector>

QString DecimalSeparator = QStringLiteral(".");
QString GroupSeparator;

QString ReadLocaleDecimalSeparator()
{
    return QLocale::system().decimalPoint();
}

QString ReadLocaleGroupSeparator()
{
    return QLocale::system().groupSeparator();
}

namespace {

QString DecimalSep()
{
    return DecimalSeparator.isEmpty() ? QStringLiteral(".") : DecimalSeparator;
}

// The locale's own group separator; without one (or with one that clashes
// with the decimal separator, as when only that was pinned) it follows from
// the decimal separator: with "." it is ",", with anything else it is ".".
QString GroupSep()
{
    if (!GroupSeparator.isEmpty() && GroupSeparator != DecimalSep())
        return GroupSeparator;
    return DecimalSep() == QLatin1String(".") ? QStringLiteral(",") : QStringLiteral(".");
}

// The length of a group separator at the start of the text, or 0. A separator
// that is a kind of blank is also typed as a blank or a no-break space.
qsizetype GroupSeparatorAt(QStringView text, const QString& groupSep)
{
    if (text.startsWith(groupSep))
        return groupSep.size();
    const bool blankLike = groupSep.size() == 1 && groupSep.front().category() == QChar::Separator_Space;
    if (blankLike && !text.isEmpty() && (text.front() == u' ' || text.front() == u'\u00A0'))
        return 1;
    return 0;
}

// Reads a plain ASCII number ("-12.5e3") without regard to the C library's
// locale, which Qt sets from the environment at start-up.
double ParseAscii(const std::string& text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (text.empty())
        return 0.0;
    return strtod_l(text.c_str(), nullptr, cLocale);
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// "&H" and "&O" values: up to 16 bits read as a signed 16-bit number, up to
// 32 bits as a signed 32-bit number, as the original platform's literals do.
double RadixValue(const std::u16string& text, size_t pos, int radix)
{
    uint64_t value = 0;
    bool saturated = false;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos];
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        if (value > (std::numeric_limits<uint64_t>::max() >> 4))
            saturated = true;
        else
            value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
    }
    if (saturated)
        return static_cast<double>(std::numeric_limits<uint64_t>::max());
    if (value <= 0xFFFFu)
        return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value)));
    if (value <= 0xFFFFFFFFu)
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
    return static_cast<double>(value);
}

// ---------------------------------------------------------------------------
// Decimal digits of a number, for rounding without binary surprises.

// value = 0.d1 d2 d3 ... x 10^point; no digits means zero.
struct DecimalDigits {
    std::string digits;
    int point = 0;
};

void StripTrailingZeros(DecimalDigits& number)
{
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    if (number.digits.empty())
        number.point = 0;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundDigits(DecimalDigits& number, int keep)
{
    const int size = static_cast<int>(number.digits.size());
    if (keep >= size)
        return;
    if (keep < 0) {
        number.digits.clear();
        number.point = 0;
        return;
    }
    const bool roundUp = number.digits[static_cast<size_t>(keep)] >= '5';
    number.digits.resize(static_cast<size_t>(keep));
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && number.digits[static_cast<size_t>(i)] == '9') {
            number.digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++number.digits[static_cast<size_t>(i)];
        } else {
            number.digits.insert(number.digits.begin(), '1');
            ++number.point;
        }
    }
    StripTrailingZeros(number);
}

// The digits of |value|: its shortest exact decimal form, cut to the 15
// significant digits the original platform keeps, so that 0.125 rounds as
// 0.125 and the noise of arithmetic (1.0049999999999999) as the number meant.
DecimalDigits ToDecimalDigits(double value)
{
    DecimalDigits number;
    value = std::fabs(value);
    if (value == 0.0 || !std::isfinite(value))
        return number;
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            number.digits.push_back(text[i]);
    }
    number.point = std::atoi(text.c_str() + e + 1) + 1;
    StripTrailingZeros(number);
    RoundDigits(number, 15);
    return number;
}

// |value| rounded to `significant` significant digits: the digits without
// trailing zeros and the power of ten of the first one (1234.5 gives "12345"
// and 3, 0.05 gives "5" and -2). Zero and values that are not finite give "0"
// and 0.
void SignificantDigits(double value, int significant, std::string& digits, int& exponent)
{
    digits = "0";
    exponent = 0;
    if (value == 0.0 || !std::isfinite(value))
        return;
    const int precision = std::clamp(significant, 1, 17) - 1;
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, precision);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    digits.clear();
    for (size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            digits.push_back(text[i]);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    exponent = std::atoi(text.c_str() + e + 1);
}

// Digits and exponent as SignificantDigits gives them, written without an
// exponent and with "." as decimal point.
std::string PlainDigits(const std::string& digits, int exponent)
{
    if (exponent < 0)
        return "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return digits + std::string(whole - digits.size(), '0');
    return digits.substr(0, whole) + '.' + digits.substr(whole);
}

// The text CStr writes: 15 significant digits for a Double, 7 for a Single,
// scientific notation below 1E-04 and from 1E+15 (1E+07 for a Single) on.
// Infinities and NaN cannot arise on the original platform; they are written
// as its C library wrote them.
QString GeneralText(double value, bool isSingle)
{
    if (std::isnan(value))
        return QStringLiteral("1.#QNAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-1.#INF") : QStringLiteral("1.#INF");
    if (value == 0.0)
        return QStringLiteral("0");
    const int significant = isSingle ? 7 : 15;
    std::string digits;
    int exponent = 0;
    SignificantDigits(isSingle ? static_cast<double>(static_cast<float>(value)) : value, significant, digits,
                      exponent);

    QString out;
    if (value < 0)
        out += QLatin1Char('-');
    if (exponent < -4 || exponent >= significant) {
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1) {
            out += DecimalSep();
            out += QString::fromLatin1(digits.c_str() + 1);
        }
        out += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            out += QLatin1Char('0');
        out += QString::number(magnitude);
    } else {
        QString plain = QString::fromLatin1(PlainDigits(digits, exponent).c_str());
        plain.replace(QLatin1Char('.'), DecimalSep());
        out += plain;
    }
    return out;
}

// Reads a number in the locale's notation: blanks around it, an optional
// sign, digits with group separators between them, one decimal separator,
// an optional exponent ("E" or "D"). False when the text is not such a number.
bool ParseLocaleNumber(const QString& text, double& value)
{
    const QString decimalSep = DecimalSep();
    const QString groupSep = GroupSep();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    const QStringView view = QStringView(text).mid(begin, end - begin);

    std::string ascii;
    qsizetype i = 0;
    const qsizetype n = view.size();
    if (i < n && (view[i] == QLatin1Char('+') || view[i] == QLatin1Char('-'))) {
        if (view[i] == QLatin1Char('-'))
            ascii.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    while (i < n) {
        const char16_t c = view[i].unicode();
        if (IsDigit(c)) {
            ascii.push_back(static_cast<char>(c));
            ++mantissaDigits;
            ++i;
        } else if (const qsizetype g = mantissaDigits > 0 ? GroupSeparatorAt(view.mid(i), groupSep) : 0;
                   g > 0 && i + g < n && IsDigit(view[i + g].unicode())) {
            i += g;
        } else {
            break;
        }
    }
    if (i < n && view.mid(i).startsWith(decimalSep)) {
        ascii.push_back('.');
        i += decimalSep.size();
        while (i < n && IsDigit(view[i].unicode())) {
            ascii.push_back(static_cast<char>(view[i].unicode()));
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n) {
        const char16_t c = view[i].unicode();
        if (c != u'E' && c != u'e' && c != u'D' && c != u'd')
            return false;
        ascii.push_back('e');
        ++i;
        if (i < n && (view[i] == QLatin1Char('+') || view[i] == QLatin1Char('-'))) {
            ascii.push_back(static_cast<char>(view[i].unicode()));
            ++i;
        }
        int exponentDigits = 0;
        while (i < n && IsDigit(view[i].unicode())) {
            ascii.push_back(static_cast<char>(view[i].unicode()));
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0 || i < n)
            return false;
    }
    value = ParseAscii(ascii);
    return true;
}

// ---------------------------------------------------------------------------
// Format patterns.

struct PatternToken {
    enum Kind { Literal, Digit, Point, Exponent };
    Kind kind = Literal;
    QString text;       // Literal: the text; Exponent: "E" or "e"
    char16_t placeholder = u'0';
    int zone = 0;       // 0 whole part, 1 decimals, 2 exponent
    bool exponentPlus = false;
};

struct PatternSection {
    std::vector<PatternToken> tokens;
    bool grouping = false;
    bool percent = false;
    bool scientific = false;
    int scaleThousands = 0;
    int placeholders[3] = {0, 0, 0}; // per zone
    int minimum[3] = {0, 0, 0}; // digits always shown per zone
};

// Splits a pattern at ";" outside quotes and escapes.
std::vector<QString> SplitSections(const QString& pattern)
{
    std::vector<QString> sections(1);
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            sections.back() += c;
            sections.back() += pattern.at(++i);
            continue;
        } else if (!quoted && c == QLatin1Char(';')) {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

PatternSection ParseSection(const QString& text)
{
    PatternSection section;
    std::vector<PatternToken>& tokens = section.tokens;
    auto addLiteral = [&tokens](const QString& literal) {
        if (!tokens.empty() && tokens.back().kind == PatternToken::Literal)
            tokens.back().text += literal;
        else {
            PatternToken token;
            token.kind = PatternToken::Literal;
            token.text = literal;
            tokens.push_back(token);
        }
    };
    auto isPlaceholder = [&text](qsizetype i) {
        return i < text.size() && (text.at(i) == QLatin1Char('0') || text.at(i) == QLatin1Char('#'));
    };

    int zone = 0;
    int pendingCommas = 0; // commas in the whole part not yet followed by a placeholder
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = close < 0 ? text.size() : close;
            addLiteral(text.mid(i + 1, stop - i - 1));
            i = stop;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < text.size())
                addLiteral(QString(text.at(++i)));
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (zone == 0 && pendingCommas > 0) {
                section.grouping = true;
                pendingCommas = 0;
            }
            PatternToken token;
            token.kind = PatternToken::Digit;
            token.placeholder = c.unicode();
            token.zone = zone;
            tokens.push_back(token);
        } else if (c == QLatin1Char('.') && zone == 0) {
            section.scaleThousands += pendingCommas;
            pendingCommas = 0;
            PatternToken token;
            token.kind = PatternToken::Point;
            tokens.push_back(token);
            zone = 1;
        } else if (c == QLatin1Char(',')) {
            if (zone == 0)
                ++pendingCommas;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && zone != 2 && i + 1 < text.size()
                   && (text.at(i + 1) == QLatin1Char('+') || text.at(i + 1) == QLatin1Char('-'))
                   && isPlaceholder(i + 2)) {
            if (zone == 0) {
                section.scaleThousands += pendingCommas;
                pendingCommas = 0;
            }
            PatternToken token;
            token.kind = PatternToken::Exponent;
            token.text = QString(c);
            token.exponentPlus = text.at(i + 1) == QLatin1Char('+');
            tokens.push_back(token);
            section.scientific = true;
            zone = 2;
            ++i;
        } else {
            if (c == QLatin1Char('%'))
                section.percent = true;
            addLiteral(QString(c));
        }
    }
    if (zone == 0)
        section.scaleThousands += pendingCommas;

    // Whole part and exponent: every digit from the leftmost "0" on is shown.
    // Decimals: every digit up to the rightmost "0" is shown.
    int position[3] = {0, 0, 0};
    int firstZero[3] = {-1, -1, -1};
    int lastZero[3] = {-1, -1, -1};
    for (const PatternToken& token : tokens) {
        if (token.kind != PatternToken::Digit)
            continue;
        if (token.placeholder == u'0') {
            if (firstZero[token.zone] < 0)
                firstZero[token.zone] = position[token.zone];
            lastZero[token.zone] = position[token.zone];
        }
        ++position[token.zone];
    }
    for (int z = 0; z < 3; ++z)
        section.placeholders[z] = position[z];
    section.minimum[0] = firstZero[0] < 0 ? 0 : position[0] - firstZero[0];
    section.minimum[1] = lastZero[1] + 1;
    section.minimum[2] = firstZero[2] < 0 ? 1 : position[2] - firstZero[2];
    return section;
}

// Spreads digits over placeholders from the right; digits beyond the
// placeholders go into the leftmost one.
std::vector<std::string> SpreadDigits(const std::string& digits, int placeholders)
{
    std::vector<std::string> out(static_cast<size_t>(placeholders));
    if (placeholders == 0)
        return out;
    const int count = static_cast<int>(digits.size());
    if (count >= placeholders) {
        const size_t head = static_cast<size_t>(count - placeholders + 1);
        out[0] = digits.substr(0, head);
        for (int k = 1; k < placeholders; ++k)
            out[static_cast<size_t>(k)] = digits.substr(head + static_cast<size_t>(k) - 1, 1);
    } else {
        for (int k = 0; k < count; ++k)
            out[static_cast<size_t>(placeholders - count + k)] = digits.substr(static_cast<size_t>(k), 1);
    }
    return out;
}

// Formats |value| with one section. `isZero` tells whether nothing but zeros
// is shown, so that a negative value rounded to zero loses its sign.
QString FormatSection(const PatternSection& section, double value, bool& isZero)
{
    DecimalDigits number = ToDecimalDigits(value);
    if (!number.digits.empty()) {
        if (section.percent)
            number.point += 2;
        number.point -= 3 * section.scaleThousands;
    }

    const int wholeSlots = section.placeholders[0];
    const int decimalSlots = section.placeholders[1];
    int exponent = 0;
    int wholeCount = 0; // digits before the decimal point after rounding
    if (section.scientific) {
        const int leading = std::max(1, wholeSlots);
        if (!number.digits.empty()) {
            RoundDigits(number, leading + decimalSlots);
            exponent = number.point - leading;
        }
        wholeCount = number.digits.empty() ? 0 : leading;
    } else {
        RoundDigits(number, number.point + decimalSlots);
        wholeCount = number.digits.empty() ? 0 : number.point;
    }
    isZero = number.digits.empty();

    std::string whole;
    for (int k = 0; k < wholeCount; ++k)
        whole.push_back(k < static_cast<int>(number.digits.size()) ? number.digits[static_cast<size_t>(k)] : '0');
    if (static_cast<int>(whole.size()) < section.minimum[0])
        whole.insert(0, static_cast<size_t>(section.minimum[0]) - whole.size(), '0');

    std::string decimals;
    for (int k = 0; k < decimalSlots; ++k) {
        // In scientific form the decimals follow the mantissa's whole digits.
        const int digitIndex = section.scientific ? wholeCount + k : number.point + k;
        const bool inside = digitIndex >= 0 && digitIndex < static_cast<int>(number.digits.size());
        decimals.push_back(inside ? number.digits[static_cast<size_t>(digitIndex)] : '0');
    }
    while (static_cast<int>(decimals.size()) > section.minimum[1] && decimals.back() == '0')
        decimals.pop_back();

    const std::string exponentDigits = std::to_string(std::abs(exponent));
    std::string exponentText = exponentDigits;
    if (static_cast<int>(exponentText.size()) < section.minimum[2])
        exponentText.insert(0, static_cast<size_t>(section.minimum[2]) - exponentText.size(), '0');

    const std::vector<std::string> wholeParts = SpreadDigits(whole, wholeSlots);
    const std::vector<std::string> exponentParts = SpreadDigits(exponentText, section.placeholders[2]);
    const QString groupSep = GroupSep();

    QString out;
    int wholeIndex = 0;
    size_t wholeEmitted = 0;
    int decimalIndex = 0;
    int exponentIndex = 0;
    bool wholeDone = false;
    auto emitWholeWithoutPlaceholders = [&]() {
        // A pattern without whole-part placeholders (".00") still shows the whole part.
        if (wholeSlots == 0 && !wholeDone) {
            out += QString::fromLatin1(whole.c_str());
            wholeDone = true;
        }
    };
    for (const PatternToken& token : section.tokens) {
        switch (token.kind) {
        case PatternToken::Literal:
            out += token.text;
            break;
        case PatternToken::Digit:
            if (token.zone == 0) {
                for (const char digit : wholeParts[static_cast<size_t>(wholeIndex)]) {
                    out += QLatin1Char(digit);
                    ++wholeEmitted;
                    const size_t remaining = whole.size() - wholeEmitted;
                    if (section.grouping && remaining > 0 && remaining % 3 == 0)
                        out += groupSep;
                }
                ++wholeIndex;
            } else if (token.zone == 1) {
                if (decimalIndex < static_cast<int>(decimals.size()))
                    out += QLatin1Char(decimals[static_cast<size_t>(decimalIndex)]);
                ++decimalIndex;
            } else {
                out += QString::fromLatin1(exponentParts[static_cast<size_t>(exponentIndex)].c_str());
                ++exponentIndex;
            }
            break;
        case PatternToken::Point:
            emitWholeWithoutPlaceholders();
            out += DecimalSep();
            break;
        case PatternToken::Exponent:
            emitWholeWithoutPlaceholders();
            out += token.text;
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (token.exponentPlus)
                out += QLatin1Char('+');
            break;
        }
    }
    return out;
}

} // namespace

double Val(const QString& text)
{
    // Blanks, tabs and line feeds do not count anywhere in the text.
    std::u16string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c != u' ' && c != u'\t' && c != u'\n')
            s.push_back(c);
    }
    size_t i = 0;
    if (i + 1 < s.size() && s[i] == u'&') {
        const char16_t kind = s[i + 1];
        if (kind == u'H' || kind == u'h')
            return RadixValue(s, i + 2, 16);
        if (kind == u'O' || kind == u'o')
            return RadixValue(s, i + 2, 8);
        return 0.0;
    }
    std::string ascii;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        if (s[i] == u'-')
            ascii.push_back('-');
        ++i;
    }
    bool anyDigit = false;
    while (i < s.size() && IsDigit(s[i])) {
        ascii.push_back(static_cast<char>(s[i++]));
        anyDigit = true;
    }
    if (i < s.size() && s[i] == u'.') {
        ascii.push_back('.');
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ascii.push_back(static_cast<char>(s[i++]));
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent.push_back(static_cast<char>(s[j++]));
        bool exponentDigit = false;
        while (j < s.size() && IsDigit(s[j])) {
            exponent.push_back(static_cast<char>(s[j++]));
            exponentDigit = true;
        }
        if (exponentDigit)
            ascii += exponent;
    }
    return ParseAscii(ascii);
}

double Val(const std::string& text)
{
    return Val(FromCp1252(text));
}

bool IsNumeric(const QString& text)
{
    double value = 0.0;
    return ParseLocaleNumber(text, value);
}

double CDbl(const QString& text)
{
    double value = 0.0;
    return ParseLocaleNumber(text, value) ? value : 0.0;
}

QString CStr(double value)
{
    return GeneralText(value, false);
}

QString CStr(float value)
{
    return GeneralText(static_cast<double>(value), true);
}

QString CStr(int value)
{
    return QString::number(value);
}

std::string PlainNumberText(double value, int significant)
{
    std::string digits;
    int exponent = 0;
    SignificantDigits(value, significant, digits, exponent);
    if (digits == "0")
        return "0";
    return (value < 0 ? "-" : "") + PlainDigits(digits, exponent);
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double rest = value - below;
    if (rest > 0.5)
        return below + 1.0;
    if (rest < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

// Values outside the range (and NaN, as 0) are clamped to it instead of
// overflowing: the original platform raised an overflow error there, which
// the program never handled.
int16_t CInt(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = RoundHalfEven(value);
    if (rounded <= -32768.0)
        return std::numeric_limits<int16_t>::min();
    if (rounded >= 32767.0)
        return std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(rounded);
}

int32_t CLng(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = RoundHalfEven(value);
    if (rounded <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    if (rounded >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rounded);
}

QString Format(double value, const QString& pattern)
{
    if (pattern.isEmpty() || !std::isfinite(value))
        return CStr(value);
    const std::vector<QString> texts = SplitSections(pattern);
    const PatternSection positive = ParseSection(texts[0]);
    const bool hasNegative = texts.size() >= 2 && !texts[1].isEmpty();
    const bool hasZero = texts.size() >= 3 && !texts[2].isEmpty();

    bool isZero = false;
    if (value < 0.0) {
        // A value that shows as zero is written as zero, never as "-0.00".
        if (hasNegative) {
            const QString text = FormatSection(ParseSection(texts[1]), -value, isZero);
            if (!isZero)
                return text;
        } else {
            const QString text = FormatSection(positive, -value, isZero);
            if (!isZero)
                return QLatin1Char('-') + text;
        }
        return FormatSection(positive, -value, isZero);
    }
    if (value == 0.0 && hasZero)
        return FormatSection(ParseSection(texts[2]), 0.0, isZero);
    return FormatSection(positive, value, isZero);
}
