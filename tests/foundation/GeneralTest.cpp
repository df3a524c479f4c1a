#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "platform/Conversions.h"
#include "platform/OleDate.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

namespace {

// Runs each test once under en_US and once under de_DE, with the decimal
// separator pinned as the start-up would read it.
class GeneralTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        savedSeparator_ = DecimalSeparator;
        DecimalSeparator = German() ? QStringLiteral(",") : QStringLiteral(".");
    }
    void TearDown() override { DecimalSeparator = savedSeparator_; }
    static bool German() { return QString::fromLatin1(GetParam()) == QLatin1String("de_DE"); }
    // The English text of a number with its separators swapped under de_DE.
    static QString Local(const char* english)
    {
        QString text = QString::fromLatin1(english);
        if (German()) {
            text.replace(u',', u'#');
            text.replace(u'.', u',');
            text.replace(u'#', u'.');
        }
        return text;
    }

private:
    QString savedSeparator_;
};

INSTANTIATE_TEST_SUITE_P(Locales, GeneralTest, ::testing::Values("en_US", "de_DE"));

TEST_P(GeneralTest, FormatNumberTextRoundsToSignificantDigits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        int digits;
        const char* english;
    } cases[] = {
        {12.345f, 3, "12.3"}, {0.012345f, 3, "0.0123"}, {99.96f, 3, "100"}, {123456.0f, 3, "123,000"},
        {-1.5f, 1, "-2"}, {0.0f, 3, "0"}, {-0.0f, 3, "0"}, {0.5f, 3, "0.500"}, {1234.5f, 3, "1,230"},
        {1234.5f, 5, "1,234.5"}, {-9.996f, 3, "-10.0"}, {100.0f, 3, "100"}, {1000.0f, 3, "1,000"},
        {0.001f, 2, "0.0010"}, {2.25f, 2, "2.3"},  // half up
        // A value that is not finite gives no text; fewer than 1 digit counts as 1.
        {nan, 3, ""}, {inf, 3, ""}, {-inf, 3, ""}, {12.345f, 0, "10"}, {12.345f, -4, "10"},
        // Tiny and huge magnitudes keep every digit the pattern asks for.
        {1e-30f, 3, "0.00000000000000000000000000000100"}, {-1.5e-7f, 2, "-0.00000015"},
        {NoValue, 3, "-340,000,000,000,000,000,000,000,000,000,000,000,000"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumberText(c.value, c.digits), Local(c.english)) << c.value << " to " << c.digits;
}

// The locale's own thousands separator, as the start-up reads it.
TEST(GeneralGroupingTest, FormatNumberTextGroupsWithTheLocalesSeparator)
{
    const QString savedDecimal = DecimalSeparator, savedGroup = GroupSeparator;
    const struct {
        const char* decimal;
        const char* group;
        const char* text;   // 123456 and -1234.5 to 3 and 5 digits
    } rows[] = {
        {",", "\u202F", "123\u202F000 -1\u202F234,5"},   // fr_FR
        {".", "\u2019", "123\u2019000 -1\u2019234.5"},   // de_CH
        {",", ".", "123.000 -1.234,5"},                     // de_DE
    };
    for (const auto& row : rows) {
        DecimalSeparator = QString::fromUtf8(row.decimal);
        GroupSeparator = QString::fromUtf8(row.group);
        EXPECT_EQ(FormatNumberText(123456.0f, 3) + u' ' + FormatNumberText(-1234.5f, 5), QString::fromUtf8(row.text));
    }
    DecimalSeparator = savedDecimal;
    GroupSeparator = savedGroup;
}

TEST_P(GeneralTest, NiceAxisMaximumTakesTheNextStep)
{
    // One tenth held as a float lies just above 0.1.
    const std::pair<float, float> cases[] = {
        {7.0f, 8.0f}, {8.1f, 10.0f}, {1.19f, 1.2f}, {0.35f, 0.4f}, {-7.0f, 8.0f}, {12345.0f, 15000.0f},
        {100.0f, 100.0f}, {1.0f, 1.0f}, {1000.0f, 1000.0f}, {2.6f, 3.0f}, {0.0011f, 0.0012f}, {55.0f, 60.0f},
        {0.1f, 0.12f}};
    for (const auto& [value, maximum] : cases)
        EXPECT_FLOAT_EQ(NiceAxisMaximum(value), maximum) << value;
    EXPECT_EQ(NiceAxisMaximum(0.0f), 0.0f);
    EXPECT_EQ(NiceAxisMaximum(NoValue), -NoValue);
    // Near the top of the range the step stays a finite float.
    EXPECT_EQ(NiceAxisMaximum(-NoValue), std::numeric_limits<float>::max());
}

TEST_P(GeneralTest, LimitSignMarksValuesOutsideTheLimits)
{
    // Limits the wrong way round (20, 10): both hold, "+" wins. A missing
    // limit marks nothing on its side, a missing value nothing at all.
    const float max = std::numeric_limits<float>::max();
    const struct {
        float value, lower, upper;
        const char* sign;
    } cases[] = {
        {9.9f, 10, 20, "-"}, {10, 10, 20, ""}, {20, 10, 20, ""}, {20.1f, 10, 20, "+"}, {15, 20, 10, "+"},
        {5, NoValue, NoValue, ""}, {-1e30f, NoValue, NoValue, ""}, {-max, NoValue, NoValue, ""},
        {5, 10, NoValue, "-"}, {1e30f, 10, NoValue, ""}, {25, NoValue, 20, "+"}, {-1e30f, NoValue, 20, ""},
        {NoValue, 10, 20, ""}};
    for (const auto& c : cases) {
        TestDefinition t;
        t.Lower1 = c.lower;
        t.Upper1 = c.upper;
        EXPECT_EQ(LimitSign(c.value, t, 1), QString::fromLatin1(c.sign))
            << c.value << " in " << c.lower << " to " << c.upper;
    }
    // Result 2 uses its own limits.
    TestDefinition t;
    std::tie(t.Lower1, t.Upper1, t.Lower2, t.Upper2) = std::tuple(10.0f, 20.0f, 100.0f, 200.0f);
    EXPECT_EQ(LimitSign(50.0f, t, 2), QStringLiteral("-"));
    EXPECT_EQ(LimitSign(250.0f, t, 2), QStringLiteral("+"));
    EXPECT_EQ(LimitSign(150.0f, t, 2), QString());
}

TEST_P(GeneralTest, ComparisonsOfNumbersAndVariants)
{
    const std::tuple<double, bool> between[] = {{1.0, true}, {8.0, true}, {9.0, false}, {0.0, false}};
    for (const auto& [value, inside] : between)
        EXPECT_EQ(IsBetween(value, 1.0, 8.0), inside) << value;
    EXPECT_TRUE(IsBetween(QVariant(QStringLiteral("b")), QVariant(QStringLiteral("a")), QVariant(QStringLiteral("c"))));
    EXPECT_FALSE(IsBetween(QVariant(QStringLiteral("B")), QVariant(QStringLiteral("a")), QVariant(QStringLiteral("c"))));
    // On equality both give the second value; numbers compare numerically,
    // texts by character codes, numbers below texts.
    EXPECT_EQ(MaxOf(QVariant(2), QVariant(2.0)).typeId(), QMetaType::Double);
    EXPECT_EQ(MaxOf(QVariant(10), QVariant(9.5)).toInt(), 10);
    EXPECT_EQ(MaxOf(QVariant(QStringLiteral("10")), QVariant(QStringLiteral("9"))).toString(), QStringLiteral("9"));
    EXPECT_EQ(MaxOf(QVariant(1000), QVariant(QStringLiteral("1"))).toString(), QStringLiteral("1"));
    EXPECT_TRUE(IsBetween(0.0001f, 0.0001f, 999999.0f));
    EXPECT_EQ(MaxOf(2.5, -1.0), 2.5);
    EXPECT_EQ(MinOf(2.5, -1.0), -1.0);
    EXPECT_EQ(MinOf(QVariant(2), QVariant(2.0)).typeId(), QMetaType::Double);
    EXPECT_EQ(CompareVariants(QVariant(10), QVariant(9)), 1);
    EXPECT_EQ(CompareVariants(QVariant(QStringLiteral("10")), QVariant(QStringLiteral("9"))), -1);
    EXPECT_EQ(CompareVariants(QVariant(1000), QVariant(QStringLiteral("1"))), -1);
    EXPECT_EQ(CompareVariants(QVariant(QStringLiteral("1")), QVariant(1000)), 1);
    // An empty value is 0 beside a number and "" beside a text.
    EXPECT_EQ(CompareVariants(QVariant(), QVariant(0)), 0);
    EXPECT_EQ(CompareVariants(QVariant(), QVariant(QString())), 0);
    EXPECT_EQ(CompareVariants(QVariant(), QVariant(-1)), 1);
}

TEST_P(GeneralTest, SortCollectionPutsTheLargestFirstAndEmptiesTheSource)
{
    QVariantList numbers{3, 1, 2};
    EXPECT_EQ(SortCollection(numbers), (QVariantList{3, 2, 1}));
    EXPECT_TRUE(numbers.isEmpty());

    QVariantList empty;
    EXPECT_TRUE(SortCollection(empty).isEmpty());

    // Among equal values the first one comes first.
    QVariantList equal{QVariant(2), QVariant(7), QVariant(2.0)};
    const QVariantList sortedEqual = SortCollection(equal);
    ASSERT_EQ(sortedEqual.size(), 3);
    EXPECT_EQ(sortedEqual[1].typeId(), QMetaType::Int);
    EXPECT_EQ(sortedEqual[2].typeId(), QMetaType::Double);

    QStringList names{QStringLiteral("2011.12.08, 10.15.00.QTA"), QStringLiteral("2012.01.02, 08.00.00.QTA"),
                      QStringLiteral("2010.05.05, 23.59.59.QTA")};
    EXPECT_EQ(SortCollection(names),
              (QStringList{QStringLiteral("2012.01.02, 08.00.00.QTA"), QStringLiteral("2011.12.08, 10.15.00.QTA"),
                           QStringLiteral("2010.05.05, 23.59.59.QTA")}));
    EXPECT_TRUE(names.isEmpty());

    QStringList cased{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("a")};
    EXPECT_EQ(SortCollection(cased), (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("A")}));

    // A folder's worth of names with repeats, in an order no sort starts from.
    QStringList many;
    QStringList descending;
    for (int i = 0; i < 3000; ++i)
        many.append(QString::number((i * 7919) % 1000 + 1000));
    for (int v = 1999; v >= 1000; --v)
        descending << QString::number(v) << QString::number(v) << QString::number(v);
    EXPECT_EQ(SortCollection(many), descending);
}

TEST_P(GeneralTest, MembershipOfArrays)
{
    EXPECT_TRUE(IsInVariantArray(QVariant(3), QVariantList{1, 2.0, 3.0}));
    EXPECT_FALSE(IsInVariantArray(QVariant(QStringLiteral("3")), QVariantList{1, 2, 3}));
    EXPECT_FALSE(IsInVariantArray(QVariant(QStringLiteral("Ab")), QVariantList{QStringLiteral("AB"), QStringLiteral("ab")}));
    EXPECT_TRUE(IsInVariantArray(6, std::array<int16_t, 6>{0, 0, 0, 0, 0, 6}));
    EXPECT_TRUE(IsInVariantArray(QVariant(QStringLiteral("ab")), QVariantList{QStringLiteral("AB"), QStringLiteral("ab")}));
    EXPECT_TRUE(IsInVariantArray(15, {2, 15}));
    EXPECT_FALSE(IsInVariantArray(3, {2, 15}));

    const std::vector<QString> texts{QStringLiteral("abc"), QStringLiteral("Mueller"), QStringLiteral("MÜLLER"),
                                     QStringLiteral("müller")};
    EXPECT_EQ(IsInStringArray(QStringLiteral("MUELLER"), texts), 1);
    EXPECT_EQ(IsInStringArray(QStringLiteral("Müller"), texts), 2);
    // A match at index 0 is no match.
    EXPECT_EQ(IsInStringArray(QStringLiteral("ABC"), texts), 0);
    EXPECT_EQ(IsInStringArray(QStringLiteral("x"), QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("X")}), 2);
}

TEST_P(GeneralTest, LookUpsByNameIgnoreCaseAndSkipElementZero)
{
    std::vector<Style> styles(4);
    styles[0].Name = QStringLiteral("Denim");
    styles[1].Name = QStringLiteral("Airbag");
    styles[2].Name = QStringLiteral("denim");
    styles[3].Name = QStringLiteral("DENIM");
    EXPECT_EQ(FindStyleIndex(QStringLiteral("DeNiM"), styles), 2);
    EXPECT_EQ(FindStyleIndex(QStringLiteral("Canvas"), styles), 0);
    EXPECT_EQ(FindStyleIndex(QStringLiteral("airbag"), styles), 1);

    std::vector<ReportForm> forms(3);
    forms[0].Name = QStringLiteral("Standard");
    forms[2].Name = QStringLiteral("STANDARD");
    EXPECT_EQ(FindReportFormIndex(QStringLiteral("standard"), forms), 2);
    EXPECT_EQ(FindReportFormIndex(QString(), forms), 1);   // element 1 has an empty name

    QComboBox combo;
    combo.addItems({QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("BETA")});
    EXPECT_EQ(FindInList(QStringLiteral("Beta"), &combo), 2);
    EXPECT_EQ(FindInList(QStringLiteral("gamma"), &combo), 0);
    EXPECT_EQ(FindInList(QStringLiteral("alpha"), &combo), 1);
    QListWidget list;
    list.addItems({QStringLiteral("10"), QStringLiteral("20")});
    EXPECT_EQ(FindInList(QStringLiteral("20"), &list), 2);
    EXPECT_EQ(FindInList(QStringLiteral("2"), &list), 0);
    EXPECT_EQ(FindInList(QStringLiteral("B"), QStringList{QStringLiteral("a"), QStringLiteral("b")}), 2);
}

TEST_P(GeneralTest, TestTypeFacts)
{
    EXPECT_EQ(ResultCountByTestType(0), 0);
    for (const int t : {9, 10, 14, 17, 18})
        EXPECT_EQ(ResultCountByTestType(t), 2) << t;
    for (const int t : {1, 2, 8, 11, 13, 15, 16, 19, 20, 21, -1})
        EXPECT_EQ(ResultCountByTestType(t), 1) << t;
    for (int t = -1; t <= 21; ++t)
        EXPECT_EQ(IsCurveTestType(t), t == 14 || t == 17 || t == 18) << t;

    EXPECT_TRUE(IsPassFail("y"));
    for (const char* code : {"Y", "", "x", "yy"})
        EXPECT_FALSE(IsPassFail(code)) << code;

    TestDefinition d;
    for (const auto& [count, effective] : {std::pair{1, 1}, {5, 5}, {999, 999}, {0, 999}, {-1, 999}, {1000, 999}}) {
        d.TestCount = static_cast<int16_t>(count);
        EXPECT_EQ(EffectiveTestCount(d), effective) << count;
    }

    for (const float v : {0.0f, -1.0f, 3.4e38f, -3.4e38f}) {
        EXPECT_TRUE(IsPresentValue(v)) << v;
        EXPECT_EQ(PresentOrNoValue(v), v);
    }
    for (const float v : {NoValue, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()}) {
        EXPECT_FALSE(IsPresentValue(v)) << v;
        EXPECT_EQ(PresentOrNoValue(v), NoValue) << v;
    }
}

TEST_P(GeneralTest, PadTextCutsAndAligns)
{
    // Alignment 0 (and any other) left, 1 (the default) right, 2 centred.
    const std::tuple<const char*, int, int, const char*> rows[] = {
        {"abcde", 3, 1, "abc"}, {"abcde", 3, 0, "abc"}, {"ab", 6, 1, "    ab"}, {"ab", 6, 2, "  ab  "},
        {"ab", 6, 0, "ab    "}, {"ab", 6, 3, "ab    "}, {"ab", 5, 2, " ab  "},  {"ab", 0, 1, ""},
        {"ab", -3, 1, ""},      {"", 2, 2, "  "},
    };
    for (const auto& [text, width, alignment, padded] : rows) {
        EXPECT_EQ(PadText(QString::fromLatin1(text), width, alignment), QString::fromLatin1(padded)) << text << width;
        EXPECT_EQ(PadText(std::string(text), width, alignment), std::string(padded)) << text << width;
    }
    EXPECT_EQ(PadText(std::string("12.5"), 6), std::string("  12.5"));
}

TEST_P(GeneralTest, TextHelpers)
{
    const std::pair<const char*, const char*> colons[] = {
        {"Ref: :", "Ref: "}, {"  Operator::  ", "Operator"}, {"Lot", "Lot"}, {":::", ""}, {"", ""}, {"\tTab:", "\tTab"}};
    for (const auto& [text, trimmed] : colons)
        EXPECT_EQ(AppendColon(QString::fromLatin1(text)), QString::fromLatin1(trimmed)) << text;

    EXPECT_EQ(EscapeAmpersand(QStringLiteral("A&B C&&D")), QStringLiteral("A&&B C&&&&D"));
    EXPECT_TRUE(HasWildcard(QStringLiteral("?")));
    EXPECT_TRUE(HasWildcard(QStringLiteral("AB*")));
    EXPECT_EQ(EscapeAmpersand(QStringLiteral("&")), QStringLiteral("&&"));
    EXPECT_FALSE(HasWildcard(QStringLiteral("AB-C")));
}

TEST_P(GeneralTest, IsKeyAllowedFiltersNumericEntry)
{
    const QString sep = DecimalSeparator;
    const QString other = German() ? QStringLiteral(".") : QStringLiteral(",");
    for (const char c : std::string("0123456789\b\t\r"))
        EXPECT_TRUE(IsKeyAllowed(QStringLiteral("12"), QString(QChar(c)), false)) << int(c);
    EXPECT_TRUE(IsKeyAllowed(QStringLiteral("12"), sep, true));
    EXPECT_FALSE(IsKeyAllowed(QStringLiteral("12"), sep, false));
    EXPECT_FALSE(IsKeyAllowed(QStringLiteral("1") + sep + QStringLiteral("2"), sep, true));
    EXPECT_TRUE(IsKeyAllowed(QStringLiteral("1") + sep + QStringLiteral("2"), QStringLiteral("\b"), true));
    for (const QString& key : {other, QStringLiteral("-"), QStringLiteral("a"), QStringLiteral("E"), QString(),
                               QStringLiteral("12")})
        EXPECT_FALSE(IsKeyAllowed(QStringLiteral("12"), key, true)) << key.toStdString();
}

TEST_P(GeneralTest, ReferenceTitlesBySlot)
{
    const ReferenceTitles saved = RefTitles;
    for (int i = 0; i < 18; ++i)
        RefTitles.Titles[static_cast<size_t>(i)] = QStringLiteral("T%1").arg(i);
    EXPECT_EQ(GetReferenceTitle(2, 1), QStringLiteral("T0"));
    EXPECT_EQ(GetReferenceTitle(3, 2), QStringLiteral("T4"));
    EXPECT_EQ(GetReferenceTitle(4, 1), QStringLiteral("T2"));
    EXPECT_EQ(GetReferenceTitle(4, 6), QStringLiteral("T17"));
    for (const auto& [reference, language] : {std::pair{1, 1}, std::pair{5, 1}, std::pair{2, 0}, std::pair{2, 7}})
        EXPECT_EQ(GetReferenceTitle(reference, language), QString()) << reference << " " << language;
    RefTitles = saved;
}

TEST_P(GeneralTest, StandardButtonCaptions)
{
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdSave"), 4), QStringLiteral("&Memorizzare"));
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdDelete"), 1), QString::fromUtf8("&Löschen"));
    // Paste has German and English words only.
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdPaste"), 1), QString::fromUtf8("&Einfügen"));
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdPaste"), 3), QStringLiteral("&"));
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdMeasure"), 2), QString());
    // Every caption in every language slot.
    const char* ok[] = {"&OK", "&OK", "&OK", "&OK", "&OK", "&OK"};
    const char* cancel[] = {"&Abbrechen", "&Cancel", "&Annuler", "&Annulla", "&Finalizar", "&"};
    const char* close[] = {"&Schliessen", "&Close", "&Fermer", "&Chiudere", "&Cerrar", "&"};
    const char* save[] = {"&Speichern", "&Save", "&Enregistrer", "&Memorizzare", "&Guardar", "&"};
    const char* del[] = {"&Löschen", "&Delete", "&Effacer", "&Cancellare", "&Eliminar", "&"};
    const char* add[] = {"&Hinzufügen", "&Add", "&Ajouter", "&Aggiungere", "&Adicionar", "&"};
    const char* copy[] = {"&Kopieren", "&Copy", "&Copier", "&Copiare", "&Copiar", "&"};
    const char* paste[] = {"&Einfügen", "&Paste", "&", "&", "&", "&"};
    const std::pair<const char*, const char**> buttons[] = {{"cmdOK", ok},       {"cmdCancel", cancel}, {"cmdClose", close},
                                                            {"cmdSave", save},   {"cmdDelete", del},    {"cmdAdd", add},
                                                            {"cmdCopy", copy},   {"cmdPaste", paste}};
    for (const auto& [name, captions] : buttons) {
        for (int l = 1; l <= 6; ++l)
            EXPECT_EQ(SetStandardButtonCaptions(QString::fromLatin1(name), l), QString::fromUtf8(captions[l - 1]))
                << name << " " << l;
    }
    // No caption outside the language slots, nor for a name in another case.
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdOK"), 0), QString());
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdOK"), 7), QString());
    EXPECT_EQ(SetStandardButtonCaptions(QStringLiteral("cmdok"), 2), QString());
    EXPECT_EQ(SetStandardButtonCaptions(static_cast<QObject*>(nullptr), 3), QString());

    QPushButton button;
    button.setObjectName(QStringLiteral("cmdCancel"));
    EXPECT_EQ(SetStandardButtonCaptions(&button, 3), QStringLiteral("&Annuler"));
}

TEST_P(GeneralTest, DateAndTimeTexts)
{
    const double date = DateSerial(2001, 3, 5);
    EXPECT_EQ(FormatDateText(date, 1), QStringLiteral("05.03.2001"));
    EXPECT_EQ(FormatDateText(date, 2), QStringLiteral("03/05/2001"));
    EXPECT_EQ(FormatDateText(date, 4), QString());
    EXPECT_EQ(FormatDateText(date, 0), QString());

    const double time = date + TimeSerial(9, 5, 7);
    EXPECT_EQ(FormatTimeText(time), QStringLiteral("09:05"));
    EXPECT_EQ(FormatTimeText(time, true), QStringLiteral("09:05:07"));
    // Splitting rounds to the nearest second first, so the parts agree.
    const double late = DateSerial(2001, 12, 31) + TimeSerial(23, 59, 59) + 0.6 / 86400.0;
    EXPECT_EQ(FormatTimeText(late, true), QStringLiteral("00:00:00"));
    EXPECT_EQ(FormatDateText(late, 3), QStringLiteral("2002-01-01"));
}

} // namespace
