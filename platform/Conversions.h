#pragma once
// The number conversions the program relies on, with the semantics of the
// original platform. Texts shown to the user use the locale's decimal
// separator, held in DecimalSeparator; Val always reads "." only.
#include <QString>
#include <cstdint>
#include <string>

// The locale's decimal separator (one character), read once at start-up.
extern QString DecimalSeparator;
// Reads the separator of QLocale::system().
QString ReadLocaleDecimalSeparator();
// The locale's own thousands separator (fr_FR a narrow no-break space, de_CH
// "’"), read once at start-up beside the decimal separator. While it is empty,
// or when it equals the decimal separator (a test pinned only that one), the
// pair follows from the decimal separator: "," beside ".", else ".".
extern QString GroupSeparator;
QString ReadLocaleGroupSeparator();

// The leading number of a text: blanks, tabs and line feeds are skipped
// anywhere, "." is the only decimal point, "E" or "D" start an exponent,
// "&H" and "&O" prefixes read hexadecimal and octal. No number gives 0.
double Val(const QString& text);
double Val(const std::string& text);

// True when the whole text (blanks around it allowed) is a number in the
// locale's notation: optional sign, digits with group separators, one decimal
// separator, optional exponent. Where the group separator is a kind of blank
// (fr_FR), a blank or a no-break space between digits groups as well.
bool IsNumeric(const QString& text);

// The shortest text of a number as the original platform writes it: up to 15
// significant digits for a Double, 7 for a Single, scientific notation
// ("1E+15", "1.5E-05") outside that range, the locale's decimal separator.
QString CStr(double value);
QString CStr(float value);
QString CStr(int value);

// A number in plain notation, never with an exponent: up to `significant`
// significant digits, "." as decimal point, no leading blank ("-0.000125",
// "1234.5", 1E+20 with all its zeros). Zero and values that are not finite
// give "0". For fixed-width fields that instruments read.
std::string PlainNumberText(double value, int significant = 15);

// Converts a text to a number in the locale's notation (what IsNumeric accepts); 0 otherwise.
double CDbl(const QString& text);

// Whole-number conversions round half to even, as the original platform does.
// Values beyond the type's range are clamped to it (NaN gives 0) instead of
// overflowing.
int16_t CInt(double value);
int32_t CLng(double value);
double RoundHalfEven(double value);

// Format with a number pattern: digit placeholders "0" and "#", one ".",
// "," for thousands grouping, an exponent part "E+00"/"E-00", literal
// characters, and up to three sections separated by ";" (positive, negative,
// zero). Rounding is half away from zero, as the original Format does.
// The output uses DecimalSeparator and "," grouping becomes the locale's own
// group separator (see GroupSeparator).
// A negative value that shows as zero is written without its sign ("0.00").
QString Format(double value, const QString& pattern);
