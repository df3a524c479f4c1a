#include "DataStringFixture.h"

#include "instrument/modPropertyText.h"

#include <gtest/gtest.h>

namespace {

using PropertyTextTest = DataStringFixture;

// A few texts of each table in each language; language 0, 6 and 7 and the
// numbers outside the tables give nothing.
TEST_F(PropertyTextTest, NamesLabelsAndPassFailTexts)
{
    const struct {
        char kind;   // P property, A parameter, R result label
        int16_t type, number, language;
        const char* text;
    } rows[] = {
        {'P', 1, 0, 1, "Tastatur"},           {'P', 11, 0, 3, "Imperméabilité à l'eau - méthode statique"},
        {'P', 20, 0, 5, "Tiempo de penetración del liquido"},   {'P', 2, 0, 6, ""},   {'P', 21, 0, 2, ""},
        {'A', 2, 1, 1, "Prüflänge"},          {'A', 17, 4, 4, "Velocità"},   {'A', 13, 5, 2, ""},  {'A', 1, 1, 2, ""},
        {'R', 12, 2, 3, "3ième goutte"},      {'R', 18, 1, 5, "PADM"},       {'R', 18, 3, 2, ""},  {'R', 17, 1, 6, ""},
    };
    for (const auto& row : rows) {
        const QString got = row.kind == 'P'   ? PropertyName(row.type, row.language)
                            : row.kind == 'A' ? ParameterNames(row.type, row.number, row.language)
                                              : ResultLabels(row.type, row.number, row.language);
        EXPECT_EQ(got, QString::fromUtf8(row.text)) << row.kind << row.type << "/" << row.number << " in " << row.language;
    }

    // Exactly 1 and 0 only.
    const struct { float value; int16_t language; const char* text; } passFail[] = {
        {0, 1, "nicht bestanden"}, {1, 3, "passé"}, {0.5f, 2, ""}, {NoValue, 2, ""}, {1, 6, ""},
    };
    for (const auto& row : passFail)
        EXPECT_EQ(PassFailText(row.value, row.language), QString::fromUtf8(row.text)) << row.value << " " << row.language;
}

TEST_F(PropertyTextTest, KeyboardDefinitionNamesTestType1InEveryLanguage)
{
    KeyboardDef.Property = QStringLiteral("Moisture");
    KeyboardDef.Parameter1 = QStringLiteral("Oven");
    KeyboardDef.Parameter4 = QStringLiteral("Sample");
    for (int16_t language = 0; language <= 7; ++language) {
        EXPECT_EQ(PropertyName(1, language) + u'|' + ParameterNames(1, 1, language) + u'|'
                      + ParameterNames(1, 2, language) + u'|' + ParameterNames(1, 4, language),
                  QStringLiteral("Moisture|Oven||Sample"))
            << language;
    }
}

TEST_F(PropertyTextTest, DropCaptionsVanishWhileAKR6100IIIsConfigured)
{
    for (int position = 0; position < 6; ++position) {
        PortDevice = {0, 0, 0, 0, 0, 0};
        PortDevice[static_cast<size_t>(position)] = 5;
        EXPECT_EQ(ResultLabels(11, 1, 2) + ResultLabels(11, 2, 2) + ResultLabels(12, 1, 1), "") << position;
        EXPECT_EQ(ResultLabels(17, 1, 2) + ResultLabels(18, 2, 2), "PDExponent");
    }
    PortDevice = {6, 0, 0, 0, 0, 0};        // the KR 6100-III reports its drops
    EXPECT_EQ(ResultLabels(11, 1, 2), "1st drop");
}

} // namespace
