#include "DataStringFixture.h"

#include "instrument/modPropertyText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using PropertyTextTest = DataStringFixture;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

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
    KeyboardDef.Parameter3 = QStringLiteral("Duration");
    for (int16_t language = 0; language <= 7; ++language) {
        EXPECT_EQ(PropertyName(1, language) + u'|' + ParameterNames(1, 1, language) + u'|'
                      + ParameterNames(1, 2, language) + u'|' + ParameterNames(1, 4, language),
                  QStringLiteral("Moisture|Oven||Sample"))
            << language;
        // Each number reads its own field; there is no fifth.
        EXPECT_EQ(ParameterNames(1, 3, language) + u'|' + ParameterNames(1, 5, language), QStringLiteral("Duration|"))
            << language;
    }
    // Only test type 1 is the keyboard's.
    EXPECT_EQ(PropertyName(2, 2), "Yarn Fineness");

    // An empty definition names no parameter.
    KeyboardDef = KeyboardDefinition();
    for (int16_t k = 1; k <= 4; ++k)
        EXPECT_EQ(ParameterNames(1, k, 2), "") << k;
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

TEST_F(PropertyTextTest, PropertyNamesInEveryLanguage)
{
    struct Case {
        int16_t TestType;
        const char* Texts[5];
    };
    const Case cases[] = {
        {1, {"Tastatur", "Keyboard", "Clavier", "Tastiera", "Teclado"}},
        {2, {"Garnfeinheit", "Yarn Fineness", "Finesse du fil", "Finezza del filo", "Finura del hilo"}},
        {3, {"Garnnummer", "Yarn Count", "Titre du fil", "Titolo del filo", "Titulo del hilo"}},
        {4, {"Flächengewicht", "Area Weight", "Grammage", "Grammatura", "Peso especifico"}},
        {5, {"Papierflächengewicht", "Paper Area Weight", "Grammage du papier", "Grammatura del la carta",
         "Peso especifico del papel"}},
        {6, {"Gewicht", "Weight", "Poids", "Peso", "Peso"}},
        {7, {"Garndrehung - Spannungsfühlerverfahren", "Yarn twist - Untwist/Retwist Method",
         "Torsion - Dé-/retorsion", "Torsione - De-/ritorsione", "Torsión - Procedimiento de tensión"}},
        {8, {"Garndrehung - Parallellageverfahren", "Yarn twist - Direct Counting Method",
         "Torsion - Détorsion simple", "Torsione - Detorsione semplice", "Torsión - Procedimiento de destorcer"}},
        {9, {"Reissfestigkeit", "Tensile Strength", "Résistance à la rupture", "Resistenza alla rottura",
         "Resistencia a la ruptura"}},
        {10, {"Strang-Reissfestigkeit", "Skein Strength", "Résistance à la rupture d'écheveaux de fils",
         "Resistenza alla rottura di filato in matassa", "Resistencia a la rotura de hilo en madejas"}},
        {11, {"Wasserdichtheit - Konstantdruckmethode", "Hydrostatic Head - Static Test Method",
         "Imperméabilité à l'eau - méthode statique", "Impermeabilità all'acqua - metodo statico",
         "Impermeabilidad al agua - método estático"}},
        {12, {"Wasserdichtheit - Gradientenmethode", "Hydrostatic Head - Dynamic Test Method",
         "Imperméabilité à l'eau - méthode dynamique", "Impermeabilità all'acqua - metodo dinamico",
         "Impermeabilidad al agua - método dinámico"}},
        {13, {"Wasserdichtheit - Programm-Methode", "Hydrostatic Head - Program Method",
         "Imperméabilité à l'eau - méthode programmée", "Impermeabilità all'acqua - metodo con programma",
         "Impermeabilidad al agua - método programado"}},
        {14, {"Berstdruck", "Bursting Strength", "Résistance à l'éclatement", "Indice di scoppio",
         "Resitencia al estallido"}},
        {15, {"Fadendichte", "Thread Density", "Densité des fils", "Densità dei fili", "Densidad de los hilos"}},
        {16, {"Statische Luftdurchlässigkeit", "Static Air Permeability", "Perméabilité à l'air statique",
         "Permeabilità all'aria statica", "Permeabilidad al aire estática"}},
        {17, {"Druckabfall", "Pressure Drop", "Perte de pression", "Calo di pressione", "Presión diferencial"}},
        {18, {"Dynamische Luftdurchlässigkeit", "Dynamic Air Permeability", "Perméabilité à l'air dynamique",
         "Permeabilità all'aria dinamica", "Permeabilidad al aire dinámica"}},
        {19, {"Weiterreissfestigkeit - Methode Elmendorf", "Tearing Strength - Elmendorf Method",
         "Déchirure amorcée - méthode Elmendorf", "Lacerazione - metodo Elmendorf",
         "Desgarro contínuo - método Elmendorf"}},
        {20, {"Wasserdurchdringungszeit", "Liquid Strike Through Time", "Temps de pénetration du liquide",
         "Tempo di penetrazione del liquido", "Tiempo de penetración del liquido"}},
    };
    for (const Case& c : cases) {
        for (int16_t language = 1; language <= 5; ++language)
            EXPECT_EQ(PropertyName(c.TestType, language), U(c.Texts[language - 1])) << c.TestType;
        EXPECT_EQ(PropertyName(c.TestType, 6), "") << c.TestType;
        EXPECT_EQ(PropertyName(c.TestType, 0), "") << c.TestType;
        EXPECT_EQ(PropertyName(c.TestType, 7), "") << c.TestType;
    }
    for (const int16_t t : {0, 21, -1})
        EXPECT_EQ(PropertyName(t, 2), "") << t;
}

TEST_F(PropertyTextTest, ParameterNamesInEveryLanguage)
{
    struct Row {
        std::vector<std::pair<int16_t, int16_t>> Where;     // test type and parameter number
        const char* Texts[5];
    };
    // Every row of the table: every other test type and number has no name.
    const Row rows[] = {
        {{{2, 1}, {3, 1}, {7, 1}, {8, 1}, {9, 1}, {15, 1}},
         {"Prüflänge", "Test length", "Long. de mesure", "Lung. di misura", "Long. de med."}},
        {{{4, 1}, {14, 1}, {11, 2}, {12, 2}, {13, 2}, {16, 2}, {17, 3}, {18, 4}},
         {"Prüffläche", "Test area", "Surface", "Superficie", "Superficie"}},
        {{{5, 1}}, {"Format (DIN A)", "Size (DIN A)", "Format (DIN A)", "Formato (DIN A)", "Formato (DIN A)"}},
        {{{9, 2}, {14, 2}}, {"Geschwindigkeit", "Test speed", "Vitesse", "Velocità", "Velocidad"}},
        {{{10, 1}}, {"Garnnummer", "Yarn count", "Titre du fil", "Titolo del filo", "Titulo del hilo"}},
        {{{10, 2}}, {"Windungen", "Warps", "Spires", "Spire", "Alabeos"}},
        {{{11, 1}, {16, 1}}, {"Prüfdruck", "Test pressure", "Pression", "Pressione", "Presión"}},
        {{{12, 1}}, {"Gradient", "Rate of rise", "Gradient", "Incremento", "Gradiente"}},
        {{{13, 1}}, {"Druckfolge", "Pressure sequence", "Séquence", "Sequenza", "Secuencia"}},
        {{{13, 3}}, {"Maximaldruck", "Maximum pressure", "Pression maximale", "Pressione massima", "Presión maxima"}},
        {{{13, 4}}, {"Haltezeit", "Holding time", "Temps de maintien", "Mantenimento", "Mantenimiento"}},
        {{{15, 2}}, {"Betriebsart", "Test mode", "Mode de mesure", "Modo di misura", "Modo de med."}},
        {{{15, 3}, {19, 2}}, {"Messbereich", "Measuring range", "Champ de mesure", "Campo di misura", "Campo de med."}},
        {{{17, 1}}, {"Druck 1", "Pressure 1", "Pression 1", "Pressione 1", "Presión 1"}},
        {{{17, 2}}, {"Druck 2", "Pressure 2", "Pression 2", "Pressione 2", "Presión 2"}},
        {{{17, 4}}, {"Geschwindigkeit", "Velocity", "Vitesse", "Velocità", "Velocidad"}},
        {{{18, 1}}, {"Startvolumen", "Start volume", "Volume initial", "Volume iniziale", "Volumen inicial"}},
        {{{18, 2}}, {"Startdruck", "Start pressure", "Pression initiale", "Pressione iniziale", "Presión inicial"}},
        {{{18, 3}}, {"Grenzdrücke", "Pressure limits", "Pressions limites", "Pressione limite", "Presión límite"}},
        {{{19, 1}}, {"Anzahl Prüfmuster", "Specimens", "Échantillons", "Campioni", "Muestras"}},
    };
    for (int16_t t = 0; t <= 21; ++t) {
        for (int16_t k = 0; k <= 5; ++k) {
            const Row* named = nullptr;
            for (const Row& row : rows) {
                if (std::find(row.Where.begin(), row.Where.end(), std::make_pair(t, k)) != row.Where.end())
                    named = &row;
            }
            for (int16_t language = 0; language <= 6; ++language) {
                const bool listed = named && language >= 1 && language <= 5;
                EXPECT_EQ(ParameterNames(t, k, language), listed ? U(named->Texts[language - 1]) : QString())
                    << t << "/" << k << " in " << language;
            }
        }
    }
}

TEST_F(PropertyTextTest, ResultLabelsInEveryLanguage)
{
    struct Case {
        int16_t TestType;
        int16_t Number;
        const char* Texts[5];
    };
    const Case cases[] = {
        {11, 1, {"1. Tropfen", "1st drop", "1ère goutte", "1a goccia", "1a gota"}},
        {12, 2, {"3. Tropfen", "3rd drop", "3ième goutte", "3a goccia", "3a gota"}},
        {17, 1, {"DA", "PD", "PP", "CP", "PD"}},
        {17, 2, {"Exponent", "Exponent", "Indice", "Esponente", "Exponente"}},
        {18, 1, {"MDLD", "ADAP", "PADM", "PADM", "PADM"}},
        {18, 2, {"Exponent", "Exponent", "Indice", "Esponente", "Exponente"}},
    };
    for (const Case& c : cases) {
        for (int16_t language = 1; language <= 5; ++language)
            EXPECT_EQ(ResultLabels(c.TestType, c.Number, language), U(c.Texts[language - 1]))
                << c.TestType << "/" << c.Number << " in " << language;
        EXPECT_EQ(ResultLabels(c.TestType, c.Number, 6), "");
        EXPECT_EQ(ResultLabels(c.TestType, c.Number, 0), "");
        EXPECT_EQ(ResultLabels(c.TestType, 3, 2), "");
    }
    for (const int16_t t : {1, 9, 13, 14, 16, 20})
        EXPECT_EQ(ResultLabels(t, 1, 2) + ResultLabels(t, 2, 2), "") << t;
}

TEST_F(PropertyTextTest, PassFailTexts)
{
    const char* const passed[5] = {"bestanden", "passed", "passé", "passato", "cumple"};
    const char* const failed[5] = {"nicht bestanden", "failed", "pas passé", "fallito", "no cumple"};
    for (int16_t language = 1; language <= 5; ++language) {
        EXPECT_EQ(PassFailText(1.0f, language), U(passed[language - 1]));
        EXPECT_EQ(PassFailText(0.0f, language), U(failed[language - 1]));
        EXPECT_EQ(PassFailText(0.5f, language), "");
        EXPECT_EQ(PassFailText(NoValue, language), "");
    }
    EXPECT_EQ(PassFailText(1.0f, 6), "");
    EXPECT_EQ(PassFailText(0.0f, 6), "");
    EXPECT_EQ(PassFailText(1.0f, 0), "");
}

} // namespace
