#include "curves/modABTCurveTexts.h"

namespace {

// Rows are the entries 1 to 18, columns the languages 1 to 5.
const char* const Texts[AbtCurveTextCount][5] = {
    {"Kurve analysieren", "Analyze curve", "Analyser la courbe", "Analizzare la curva", "Analizar la curva"},
    {"Sensoren:", "Sensors:", "Capteur:", "Sensore:", "Sensor:"},
    {"Druck: p = f (t)", "Pressure: p = f (t)", "Pression: p = f (t)", "Pressione: p = f (t)",
     "Presión: p = f (t)"},
    {"Wölbung: h = f (p)", "Bulging height: h = f (p)", "Bombement: h = f (p)", "Bombemento: h = f (p)",
     "Bombeo: h = f (p)"},
    {"Biaxiale Spannung/Dehnung: Sigma = f (Epsilon)", "Biaxial stress/strain: Sigma = f (Epsilon)",
     "Traction/allongement biaxial: Sigma = f (Epsilon)", "Trazione/allungamento biassiale: Sigma = f (Epsilon)",
     "Tracción/elongación biaxial: Sigma = f (Epsilon)"},
    {"LD: LD = f (p)", "AP: AP = f (p)", "PA: PA = f (p)", "PA: PA = f (p)", "PA: PA = f (p)"},
    {"LD: Log LD = f (Log p)", "AP: Log AP = f (Log p)", "PA: Log PA = f (Log p)", "PA: Log PA = f (Log p)",
     "PA: Log PA = f (Log p)"},
    {"Formfaktor", "Form factor", "Facteur de forme", "Fattore della forma", "Factor de forma"},
    {"Grenzdrücke", "Pressure limits", "Presions limites", "Pressione limite", "Presión límite"},
    {"Glättung", "Smoothing", "Égalisation", "Ugualizzazione", "Igualización"},
    {"Berechnet", "Computed", "Calculée", "Calcolata", "Calculada"},
    {"Dicke", "Thickness", "Épaisseur", "Spessore", "Espesor"},
    {"Ohne Sensor!", "Without sensor!", "Sans capteur!", "Senza sensore!", "Sin sensor!"},
    {"Max. Druck:", "Max. pressure:", "Pression Max.:", "Pressione Mas.:", "Presión Max.:"},
    {"Anstiegzeit:", "Rise time:", "Temps de montée:", "Tempo di salita:", "Tiempo de aumento:"},
    {"Abfallzeit:", "Fall time:", "Temps de descente:", "Tempo di discesa:", "Tiempo de disminución:"},
    {"MDLD:", "ADAP:", "PADM:", "PADM:", "PADM:"},
    {"Exponent:", "Exponent:", "Indice:", "Esponente:", "Exponente:"},
};

} // namespace

std::array<QString, AbtCurveTextCount + 1> AbtCurveTextTable(int language)
{
    std::array<QString, AbtCurveTextCount + 1> table;
    if (language < 1 || language > 5)
        return table;
    for (int entry = 1; entry <= AbtCurveTextCount; ++entry)
        table[static_cast<size_t>(entry)] = QString::fromUtf8(Texts[entry - 1][language - 1]);
    return table;
}

QString AbtCurveTextOf(int entry, int language)
{
    if (entry < 1 || entry > AbtCurveTextCount)
        return QString();
    return AbtCurveTextTable(language)[static_cast<size_t>(entry)];
}
