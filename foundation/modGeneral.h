#pragma once
// Small stateless helpers used throughout the program: list membership and
// look-ups, sorting, numbers to significant digits, chart axis steps, limit
// signs, test-type facts, text fitting and escaping, the key filter of numeric
// fields, standard button captions, and date and time texts.
//
// Values of the user-interface layer whose kind varies (number, text or
// empty) are QVariant. They compare as the original program compared them:
// numbers numerically, texts by character codes, a number below any text that
// is not a number, and an empty value as 0 or "".
#include "foundation/Records.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;
class QObject;

// ---------------------------------------------------------------------------
// Collections and arrays

// -1, 0 or 1 as a is below, equal to or above b (see above).
int CompareVariants(const QVariant& a, const QVariant& b);

// A new collection with the values of the source, largest first (smallest
// first when ascending); equal values keep their order. The source is emptied.
QVariantList SortCollection(QVariantList& source, bool ascending = false);
QStringList SortCollection(QStringList& source);

// True when an element equals the value.
bool IsInVariantArray(const QVariant& value, const QVariantList& array);
bool IsInVariantArray(int value, const std::vector<int16_t>& array);
bool IsInVariantArray(int value, const std::array<int16_t, 6>& array);
bool IsInVariantArray(int value, std::initializer_list<int> array);

// Index of the first element equal to the text, ignoring case; 0 when none.
// A match at index 0 cannot be told from none, so the search goes on past it.
int IsInStringArray(const QString& text, const std::vector<QString>& array);
int IsInStringArray(const QString& text, const QStringList& array);

// 1-based position of the first item equal to the text, ignoring case; 0 when none.
int FindInList(const QString& text, const QComboBox* box);
int FindInList(const QString& text, const QListWidget* box);
int FindInList(const QString& text, const QStringList& items);

// Index (1 to n) of the first report form or style whose name equals the
// name, ignoring case; 0 when none. Element 0 is a working record and is
// never found.
int FindReportFormIndex(const QString& name, const std::vector<ReportForm>& forms);
int FindStyleIndex(const QString& name, const std::vector<Style>& styles);

// ---------------------------------------------------------------------------
// Numbers

// The value rounded half up to that many significant digits (at least 1),
// with the locale's grouping and decimal separator: 12.345 -> "12.3",
// 123456 -> "123,000", 0 -> "0". A value that is not finite gives "".
QString FormatNumberText(float value, int digits);

// The next step of 1, 1.2, 1.5, 1.8, 2, 2.5, 3, 4, 5, 6, 8, 10 times a power
// of ten at or above the magnitude of the value; never negative. 0 gives 0,
// NoValue gives +3.402823E+38.
float NiceAxisMaximum(float value);

// "-" below the lower limit, "+" above the upper limit (the latter wins),
// else empty, for result 1 or 2 of the definition. A missing limit (NoValue,
// or not finite) never gives a sign, and a missing value gives "".
QString LimitSign(float value, const TestDefinition& definition, int resultNumber);

// lower <= value <= upper.
bool IsBetween(double value, double lower, double upper);
bool IsBetween(const QVariant& value, const QVariant& lower, const QVariant& upper);

// The larger (a when a > b, else b) and the smaller (a when a < b, else b).
int MaxOf(int a, int b);
double MaxOf(double a, double b);
QVariant MaxOf(const QVariant& a, const QVariant& b);
int MinOf(int a, int b);
double MinOf(double a, double b);
QVariant MinOf(const QVariant& a, const QVariant& b);

// ---------------------------------------------------------------------------
// Test types

// 0 for 0; 2 for 9, 10, 14, 17 and 18; 1 for every other value.
int16_t ResultCountByTestType(int testType);
// True for the test types that carry a curve: 14, 17 and 18.
bool IsCurveTestType(int testType);

// True for the unit code of a pass/fail result ("y", shown "1/0"): its values
// are 1 or 0, and only their share is a statistic.
bool IsPassFail(const std::string& unitCode);

// The number of tests a definition asks for: TestCount when it is 1 to 999,
// else 999 (the blank definition's 0 means "no preset", shown as 999).
int EffectiveTestCount(const TestDefinition& definition);

// A value that is there: neither NoValue nor a NaN or infinity read from a
// damaged or foreign file. Everything that computes with, draws or formats a
// stored value asks this first.
bool IsPresentValue(float value);
// The value when it is there, else NoValue (a NaN or infinity included).
float PresentOrNoValue(float value);

// ---------------------------------------------------------------------------
// Texts

// Text of exactly the width (below 0 counts as 0): cut to its first width
// characters, then padded with blanks. Alignment 1 (the default) pads before
// the text, 2 centres it (the odd blank after), any other value pads after.
QString PadText(const QString& text, int width, int alignment = 1);
// The same for a byte string (data strings).
std::string PadText(const std::string& text, int width, int alignment = 1);

// The text without leading and trailing blanks and without any trailing ":".
QString AppendColon(const QString& text);

// Every "&" doubled, so that a caption shows it instead of an access key.
QString EscapeAmpersand(const QString& text);

// True when the text holds "*" or "?".
bool HasWildcard(const QString& text);

// Whether a typed key may enter a numeric field: digits, Backspace, Tab and
// CR, and the decimal separator when decimals are allowed and the field holds
// none yet. A minus sign never.
bool IsKeyAllowed(const QString& currentText, const QString& key, bool decimalsAllowed);

// The title of reference 2, 3 or 4 in language slot 1 to 6 (from RefTitles);
// empty for any other argument.
QString GetReferenceTitle(int reference, int language);

// The standard caption of a dialog button chosen by its control name (cmdOK,
// cmdCancel, cmdClose, cmdSave, cmdDelete, cmdAdd, cmdCopy, cmdPaste) in
// language 1 to 6; empty for any other name or language. The caller assigns it.
QString SetStandardButtonCaptions(const QString& controlName, int language);
QString SetStandardButtonCaptions(const QObject* button, int language);

// ---------------------------------------------------------------------------
// Dates and times

// Format 1 "dd.mm.yyyy", 2 "mm/dd/yyyy", 3 "yyyy-mm-dd"; any other gives "".
QString FormatDateText(double date, int dateFormat);

// "hh:mm", or "hh:mm:ss" with seconds.
QString FormatTimeText(double date, bool withSeconds = false);
