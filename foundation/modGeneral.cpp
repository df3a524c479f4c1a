#include "foundation/modGeneral.h"

#include "foundation/modGlobals.h"
#include "platform/Conversions.h"
#include "platform/OleDate.h"
#include "platform/Text.h"

#include <QComboBox>
#include <QListWidget>
#include <QObject>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsNumberVariant(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool IsTextVariant(const QVariant& v)
{
    return v.typeId() == QMetaType::QString;
}

int Sign(double a, double b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int Sign(qlonglong a, qlonglong b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int Sign(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// log10 as the original computes it, plus the nudge that keeps exact powers
// of ten from falling one decade short.
double DecadeOf(double y)
{
    return std::floor(std::log(y) / 2.30258509299405 + 1e-14);
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

} // namespace

// ---------------------------------------------------------------------------
// Collections and arrays

int CompareVariants(const QVariant& a, const QVariant& b)
{
    const bool aEmpty = !a.isValid() || a.isNull();
    const bool bEmpty = !b.isValid() || b.isNull();
    if (aEmpty && bEmpty)
        return 0;
    // An empty value is 0 beside a number and "" beside anything else.
    if (aEmpty)
        return IsNumberVariant(b) ? Sign(0.0, b.toDouble()) : Sign(QString(), b.toString());
    if (bEmpty)
        return IsNumberVariant(a) ? Sign(a.toDouble(), 0.0) : Sign(a.toString(), QString());
    const bool aNumber = IsNumberVariant(a);
    const bool bNumber = IsNumberVariant(b);
    if (aNumber && bNumber) {
        if (a.typeId() != QMetaType::Double && a.typeId() != QMetaType::Float && b.typeId() != QMetaType::Double
            && b.typeId() != QMetaType::Float && a.typeId() != QMetaType::ULongLong
            && b.typeId() != QMetaType::ULongLong)
            return Sign(a.toLongLong(), b.toLongLong());
        return Sign(a.toDouble(), b.toDouble());
    }
    if (aNumber && IsTextVariant(b))
        return -1;
    if (IsTextVariant(a) && bNumber)
        return 1;
    return Sign(a.toString(), b.toString());
}

QVariantList SortCollection(QVariantList& source, bool ascending)
{
    QVariantList sorted;
    const qsizetype n = source.size();
    sorted.reserve(n);
    const int before = ascending ? -1 : 1;
    for (qsizetype round = 0; round < n; ++round) {
        qsizetype next = 0;
        for (qsizetype i = 1; i < source.size(); ++i) {
            if (CompareVariants(source[i], source[next]) == before)
                next = i;
        }
        sorted.append(source.takeAt(next));
    }
    return sorted;
}

QStringList SortCollection(QStringList& source)
{
    // Names compare as a total order, so a stable sort gives what picking the
    // first largest name again and again gives, in n log n steps (a folder of
    // ten thousand reports). Values above are sorted by picking: an empty
    // value equals both 0 and "", which no sort algorithm may be given.
    QStringList sorted;
    sorted.swap(source);
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseSensitive) > 0;
    });
    return sorted;
}

bool IsInVariantArray(const QVariant& value, const QVariantList& array)
{
    for (const QVariant& element : array) {
        if (CompareVariants(element, value) == 0)
            return true;
    }
    return false;
}

bool IsInVariantArray(int value, const std::vector<int16_t>& array)
{
    for (const int16_t element : array) {
        if (element == value)
            return true;
    }
    return false;
}

bool IsInVariantArray(int value, const std::array<int16_t, 6>& array)
{
    for (const int16_t element : array) {
        if (element == value)
            return true;
    }
    return false;
}

bool IsInVariantArray(int value, std::initializer_list<int> array)
{
    for (const int element : array) {
        if (element == value)
            return true;
    }
    return false;
}

int IsInStringArray(const QString& text, const std::vector<QString>& array)
{
    const QString wanted = text.toLower();
    for (size_t i = 1; i < array.size(); ++i) {
        if (array[i].toLower() == wanted)
            return static_cast<int>(i);
    }
    return 0;
}

int IsInStringArray(const QString& text, const QStringList& array)
{
    const QString wanted = text.toLower();
    for (qsizetype i = 1; i < array.size(); ++i) {
        if (array[i].toLower() == wanted)
            return static_cast<int>(i);
    }
    return 0;
}

int FindInList(const QString& text, const QStringList& items)
{
    const QString wanted = text.toLower();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].toLower() == wanted)
            return static_cast<int>(i + 1);
    }
    return 0;
}

int FindInList(const QString& text, const QComboBox* box)
{
    if (!box)
        return 0;
    const QString wanted = text.toLower();
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).toLower() == wanted)
            return i + 1;
    }
    return 0;
}

int FindInList(const QString& text, const QListWidget* box)
{
    if (!box)
        return 0;
    const QString wanted = text.toLower();
    for (int i = 0; i < box->count(); ++i) {
        if (box->item(i)->text().toLower() == wanted)
            return i + 1;
    }
    return 0;
}

int FindReportFormIndex(const QString& name, const std::vector<ReportForm>& forms)
{
    const QString wanted = name.toLower();
    for (size_t i = 1; i < forms.size(); ++i) {
        if (forms[i].Name.toLower() == wanted)
            return static_cast<int>(i);
    }
    return 0;
}

int FindStyleIndex(const QString& name, const std::vector<Style>& styles)
{
    const QString wanted = name.toLower();
    for (size_t i = 1; i < styles.size(); ++i) {
        if (styles[i].Name.toLower() == wanted)
            return static_cast<int>(i);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Numbers

QString FormatNumberText(float value, int digits)
{
    if (!std::isfinite(value))
        return QString();
    if (value == 0.0f)
        return QStringLiteral("0");
    if (digits < 1)
        digits = 1;
    const double x = value;
    const double magnitude = std::fabs(x);
    const int k = digits - 1;
    const double step = std::pow(10.0, DecadeOf(magnitude) - k);
    const double rounded = std::floor(magnitude / step + 0.500000000001) * step;
    // The decade is taken again on the rounded value: 99.96 becomes 100 and
    // needs no decimals.
    const double decimals = std::max(0.0, k - DecadeOf(rounded));
    QString pattern = QStringLiteral("##,##0");
    if (decimals > 0)
        pattern += u'.' + QString(static_cast<qsizetype>(decimals), u'0');
    return Format(x < 0 ? -rounded : rounded, pattern);
}

float NiceAxisMaximum(float value)
{
    static const double steps[] = {1, 1.2, 1.5, 1.8, 2, 2.5, 3, 4, 5, 6, 8, 10};
    const double magnitude = std::fabs(static_cast<double>(value));
    if (value == 0.0f || value == NoValue || !std::isfinite(value))
        return static_cast<float>(magnitude);
    double decade = std::pow(10.0, std::floor(std::log(magnitude) / 2.30258509299405));
    double mantissa = magnitude / decade;
    // The logarithm may land one decade low; the mantissa is then 10 or a
    // hair above it.
    if (mantissa > 10.0) {
        decade *= 10.0;
        mantissa = magnitude / decade;
    }
    for (const double s : steps) {
        if (s >= mantissa) {
            // Near the top of the float range the next step would overflow.
            const double result = magnitude * s / mantissa;
            const double largest = std::numeric_limits<float>::max();
            return static_cast<float>(result > largest ? largest : result);
        }
    }
    return static_cast<float>(magnitude);
}

QString LimitSign(float value, const TestDefinition& definition, int resultNumber)
{
    const float lower = resultNumber == 1 ? definition.Lower1 : definition.Lower2;
    const float upper = resultNumber == 1 ? definition.Upper1 : definition.Upper2;
    QString sign;
    if (!IsPresentValue(value))
        return sign;
    if (IsPresentValue(lower) && value < lower)
        sign = QStringLiteral("-");
    if (IsPresentValue(upper) && value > upper)
        sign = QStringLiteral("+");
    return sign;
}

bool IsBetween(double value, double lower, double upper)
{
    return value >= lower && value <= upper;
}

bool IsBetween(const QVariant& value, const QVariant& lower, const QVariant& upper)
{
    return CompareVariants(value, lower) >= 0 && CompareVariants(value, upper) <= 0;
}

int MaxOf(int a, int b)
{
    return a > b ? a : b;
}

double MaxOf(double a, double b)
{
    return a > b ? a : b;
}

QVariant MaxOf(const QVariant& a, const QVariant& b)
{
    return CompareVariants(a, b) > 0 ? a : b;
}

int MinOf(int a, int b)
{
    return a < b ? a : b;
}

double MinOf(double a, double b)
{
    return a < b ? a : b;
}

QVariant MinOf(const QVariant& a, const QVariant& b)
{
    return CompareVariants(a, b) < 0 ? a : b;
}

// ---------------------------------------------------------------------------
// Test types

int16_t ResultCountByTestType(int testType)
{
    switch (testType) {
    case 0:
        return 0;
    case 9:
    case 10:
    case 14:
    case 17:
    case 18:
        return 2;
    default:
        return 1;
    }
}

bool IsCurveTestType(int testType)
{
    return testType == 14 || testType == 17 || testType == 18;
}

// ---------------------------------------------------------------------------
// Texts

QString PadText(const QString& text, int width, int alignment)
{
    const qsizetype w = width < 0 ? 0 : width;
    const QString cut = text.left(w);
    const qsizetype blanks = w - cut.size();
    if (alignment == 1)
        return QString(blanks, u' ') + cut;
    if (alignment == 2) {
        const qsizetype before = blanks / 2;
        return QString(before, u' ') + cut + QString(blanks - before, u' ');
    }
    return cut + QString(blanks, u' ');
}

std::string PadText(const std::string& text, int width, int alignment)
{
    const size_t w = width < 0 ? 0 : static_cast<size_t>(width);
    const std::string cut = text.substr(0, w);
    const size_t blanks = w - cut.size();
    if (alignment == 1)
        return std::string(blanks, ' ') + cut;
    if (alignment == 2) {
        const size_t before = blanks / 2;
        return std::string(before, ' ') + cut + std::string(blanks - before, ' ');
    }
    return cut + std::string(blanks, ' ');
}

QString AppendColon(const QString& text)
{
    QString result = Trim(text);
    while (result.endsWith(u':'))
        result.chop(1);
    return result;
}

QString EscapeAmpersand(const QString& text)
{
    QString result = text;
    result.replace(u'&', QStringLiteral("&&"));
    return result;
}

bool HasWildcard(const QString& text)
{
    return text.contains(u'*') || text.contains(u'?');
}

bool IsKeyAllowed(const QString& currentText, const QString& key, bool decimalsAllowed)
{
    // One typed character; an empty key is no key.
    if (key.size() != 1)
        return false;
    QString allowed = QStringLiteral("0123456789\b\t\r");
    if (decimalsAllowed && !DecimalSeparator.isEmpty() && !currentText.contains(DecimalSeparator))
        allowed += DecimalSeparator;
    return allowed.contains(key);
}

QString GetReferenceTitle(int reference, int language)
{
    if (reference < 2 || reference > 4 || language < 1 || language > 6)
        return QString();
    return RefTitles.Titles[static_cast<size_t>(3 * (language - 1) + (reference - 2))];
}

QString SetStandardButtonCaptions(const QString& controlName, int language)
{
    struct Captions {
        const char16_t* name;
        const char16_t* text[6];
    };
    static const Captions table[] = {
        {u"cmdOK", {u"&OK", u"&OK", u"&OK", u"&OK", u"&OK", u"&OK"}},
        {u"cmdCancel", {u"&Abbrechen", u"&Cancel", u"&Annuler", u"&Annulla", u"&Finalizar", u"&"}},
        {u"cmdClose", {u"&Schliessen", u"&Close", u"&Fermer", u"&Chiudere", u"&Cerrar", u"&"}},
        {u"cmdSave", {u"&Speichern", u"&Save", u"&Enregistrer", u"&Memorizzare", u"&Guardar", u"&"}},
        {u"cmdDelete", {u"&Löschen", u"&Delete", u"&Effacer", u"&Cancellare", u"&Eliminar", u"&"}},
        {u"cmdAdd", {u"&Hinzufügen", u"&Add", u"&Ajouter", u"&Aggiungere", u"&Adicionar", u"&"}},
        {u"cmdCopy", {u"&Kopieren", u"&Copy", u"&Copier", u"&Copiare", u"&Copiar", u"&"}},
        {u"cmdPaste", {u"&Einfügen", u"&Paste", u"&", u"&", u"&", u"&"}},
    };
    if (language < 1 || language > 6)
        return QString();
    for (const Captions& row : table) {
        if (controlName == QStringView(row.name))
            return QString::fromUtf16(row.text[language - 1]);
    }
    return QString();
}

QString SetStandardButtonCaptions(const QObject* button, int language)
{
    return button ? SetStandardButtonCaptions(button->objectName(), language) : QString();
}

// ---------------------------------------------------------------------------
// Dates and times

QString FormatDateText(double date, int dateFormat)
{
    const QString day = TwoDigits(Day(date));
    const QString month = TwoDigits(Month(date));
    const QString year = QStringLiteral("%1").arg(Year(date), 4, 10, QChar(u'0'));
    switch (dateFormat) {
    case 1:
        return day + u'.' + month + u'.' + year;
    case 2:
        return month + u'/' + day + u'/' + year;
    case 3:
        return year + u'-' + month + u'-' + day;
    default:
        return QString();
    }
}

bool IsPassFail(const std::string& unitCode)
{
    return unitCode == "y";
}

int EffectiveTestCount(const TestDefinition& definition)
{
    return definition.TestCount >= 1 && definition.TestCount <= 999 ? definition.TestCount : 999;
}

bool IsPresentValue(float value)
{
    return value != NoValue && std::isfinite(value);
}

float PresentOrNoValue(float value)
{
    return IsPresentValue(value) ? value : NoValue;
}

QString FormatTimeText(double date, bool withSeconds)
{
    QString text = TwoDigits(Hour(date)) + u':' + TwoDigits(Minute(date));
    if (withSeconds)
        text += u':' + TwoDigits(Second(date));
    return text;
}
