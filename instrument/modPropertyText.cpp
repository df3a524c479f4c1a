#include "instrument/modPropertyText.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"

namespace {

// One text per language 1 to 5.
using Texts = const char* const[5];

QString Pick(const char* const texts[5], int16_t language)
{
    if (language < 1 || language > 5)
        return QString();
    return QString::fromUtf8(texts[language - 1]);
}

const char* const PropertyNames[21][5] = {
    {"", "", "", "", ""},
    {"Tastatur", "Keyboard", "Clavier", "Tastiera", "Teclado"},
    {"Garnfeinheit", "Yarn Fineness", "Finesse du fil", "Finezza del filo", "Finura del hilo"},
    {"Garnnummer", "Yarn Count", "Titre du fil", "Titolo del filo", "Titulo del hilo"},
    {"Flächengewicht", "Area Weight", "Grammage", "Grammatura", "Peso especifico"},
    {"Papierflächengewicht", "Paper Area Weight", "Grammage du papier", "Grammatura del la carta",
     "Peso especifico del papel"},
    {"Gewicht", "Weight", "Poids", "Peso", "Peso"},
    {"Garndrehung - Spannungsfühlerverfahren", "Yarn twist - Untwist/Retwist Method", "Torsion - Dé-/retorsion",
     "Torsione - De-/ritorsione", "Torsión - Procedimiento de tensión"},
    {"Garndrehung - Parallellageverfahren", "Yarn twist - Direct Counting Method", "Torsion - Détorsion simple",
     "Torsione - Detorsione semplice", "Torsión - Procedimiento de destorcer"},
    {"Reissfestigkeit", "Tensile Strength", "Résistance à la rupture", "Resistenza alla rottura",
     "Resistencia a la ruptura"},
    {"Strang-Reissfestigkeit", "Skein Strength", "Résistance à la rupture d'écheveaux de fils",
     "Resistenza alla rottura di filato in matassa", "Resistencia a la rotura de hilo en madejas"},
    {"Wasserdichtheit - Konstantdruckmethode", "Hydrostatic Head - Static Test Method",
     "Imperméabilité à l'eau - méthode statique", "Impermeabilità all'acqua - metodo statico",
     "Impermeabilidad al agua - método estático"},
    {"Wasserdichtheit - Gradientenmethode", "Hydrostatic Head - Dynamic Test Method",
     "Imperméabilité à l'eau - méthode dynamique", "Impermeabilità all'acqua - metodo dinamico",
     "Impermeabilidad al agua - método dinámico"},
    {"Wasserdichtheit - Programm-Methode", "Hydrostatic Head - Program Method",
     "Imperméabilité à l'eau - méthode programmée", "Impermeabilità all'acqua - metodo con programma",
     "Impermeabilidad al agua - método programado"},
    {"Berstdruck", "Bursting Strength", "Résistance à l'éclatement", "Indice di scoppio",
     "Resitencia al estallido"},
    {"Fadendichte", "Thread Density", "Densité des fils", "Densità dei fili", "Densidad de los hilos"},
    {"Statische Luftdurchlässigkeit", "Static Air Permeability", "Perméabilité à l'air statique",
     "Permeabilità all'aria statica", "Permeabilidad al aire estática"},
    {"Druckabfall", "Pressure Drop", "Perte de pression", "Calo di pressione", "Presión diferencial"},
    {"Dynamische Luftdurchlässigkeit", "Dynamic Air Permeability", "Perméabilité à l'air dynamique",
     "Permeabilità all'aria dinamica", "Permeabilidad al aire dinámica"},
    {"Weiterreissfestigkeit - Methode Elmendorf", "Tearing Strength - Elmendorf Method",
     "Déchirure amorcée - méthode Elmendorf", "Lacerazione - metodo Elmendorf",
     "Desgarro contínuo - método Elmendorf"},
    {"Wasserdurchdringungszeit", "Liquid Strike Through Time", "Temps de pénetration du liquide",
     "Tempo di penetrazione del liquido", "Tiempo de penetración del liquido"},
};

// Parameter names shared by several test types.
Texts TestLength = {"Prüflänge", "Test length", "Long. de mesure", "Lung. di misura", "Long. de med."};
Texts TestArea = {"Prüffläche", "Test area", "Surface", "Superficie", "Superficie"};
Texts TestSpeed = {"Geschwindigkeit", "Test speed", "Vitesse", "Velocità", "Velocidad"};
Texts TestPressure = {"Prüfdruck", "Test pressure", "Pression", "Pressione", "Presión"};
Texts MeasuringRange = {"Messbereich", "Measuring range", "Champ de mesure", "Campo di misura",
                        "Campo de med."};
Texts PaperSize = {"Format (DIN A)", "Size (DIN A)", "Format (DIN A)", "Formato (DIN A)", "Formato (DIN A)"};
Texts YarnCount = {"Garnnummer", "Yarn count", "Titre du fil", "Titolo del filo", "Titulo del hilo"};
Texts Warps = {"Windungen", "Warps", "Spires", "Spire", "Alabeos"};
Texts RateOfRise = {"Gradient", "Rate of rise", "Gradient", "Incremento", "Gradiente"};
Texts PressureSequence = {"Druckfolge", "Pressure sequence", "Séquence", "Sequenza", "Secuencia"};
Texts MaximumPressure = {"Maximaldruck", "Maximum pressure", "Pression maximale", "Pressione massima",
                         "Presión maxima"};
Texts HoldingTime = {"Haltezeit", "Holding time", "Temps de maintien", "Mantenimento", "Mantenimiento"};
Texts TestMode = {"Betriebsart", "Test mode", "Mode de mesure", "Modo di misura", "Modo de med."};
Texts Pressure1 = {"Druck 1", "Pressure 1", "Pression 1", "Pressione 1", "Presión 1"};
Texts Pressure2 = {"Druck 2", "Pressure 2", "Pression 2", "Pressione 2", "Presión 2"};
Texts Velocity = {"Geschwindigkeit", "Velocity", "Vitesse", "Velocità", "Velocidad"};
Texts StartVolume = {"Startvolumen", "Start volume", "Volume initial", "Volume iniziale", "Volumen inicial"};
Texts StartPressure = {"Startdruck", "Start pressure", "Pression initiale", "Pressione iniziale",
                       "Presión inicial"};
Texts PressureLimits = {"Grenzdrücke", "Pressure limits", "Pressions limites", "Pressione limite",
                        "Presión límite"};
Texts Specimens = {"Anzahl Prüfmuster", "Specimens", "Échantillons", "Campioni", "Muestras"};

// The texts of one parameter of one test type; nullptr where there is none.
const char* const* ParameterTexts(int16_t testType, int16_t parameterNumber)
{
    switch (parameterNumber) {
    case 1:
        switch (testType) {
        case 2: case 3: case 7: case 8: case 9: case 15: return TestLength;
        case 4: case 14: return TestArea;
        case 5: return PaperSize;
        case 10: return YarnCount;
        case 11: case 16: return TestPressure;
        case 12: return RateOfRise;
        case 13: return PressureSequence;
        case 17: return Pressure1;
        case 18: return StartVolume;
        case 19: return Specimens;
        default: return nullptr;
        }
    case 2:
        switch (testType) {
        case 9: case 14: return TestSpeed;
        case 10: return Warps;
        case 11: case 12: case 13: case 16: return TestArea;
        case 15: return TestMode;
        case 17: return Pressure2;
        case 18: return StartPressure;
        case 19: return MeasuringRange;
        default: return nullptr;
        }
    case 3:
        switch (testType) {
        case 13: return MaximumPressure;
        case 15: return MeasuringRange;
        case 17: return TestArea;
        case 18: return PressureLimits;
        default: return nullptr;
        }
    case 4:
        switch (testType) {
        case 13: return HoldingTime;
        case 17: return Velocity;
        case 18: return TestArea;
        default: return nullptr;
        }
    default:
        return nullptr;
    }
}

Texts FirstDrop = {"1. Tropfen", "1st drop", "1ère goutte", "1a goccia", "1a gota"};
Texts ThirdDrop = {"3. Tropfen", "3rd drop", "3ième goutte", "3a goccia", "3a gota"};
Texts PressureDrop = {"DA", "PD", "PP", "CP", "PD"};
Texts Exponent = {"Exponent", "Exponent", "Indice", "Esponente", "Exponente"};
Texts DynamicAirPermeability = {"MDLD", "ADAP", "PADM", "PADM", "PADM"};

Texts Passed = {"bestanden", "passed", "passé", "passato", "cumple"};
Texts Failed = {"nicht bestanden", "failed", "pas passé", "fallito", "no cumple"};

// The KR 6100-II reports no drops, so its results need no caption.
bool KR6100IIConfigured()
{
    for (const int16_t code : PortDevice) {
        if (code == 5)
            return true;
    }
    return false;
}

} // namespace

QString PropertyName(int16_t testType, int16_t language)
{
    if (testType == 1 && !IsEmptyKeyboardDefinition(KeyboardDef))
        return KeyboardDef.Property;
    if (testType < 1 || testType > 20)
        return QString();
    return Pick(PropertyNames[testType], language);
}

QString KeyboardWord(int16_t language)
{
    return Pick(PropertyNames[1], language);
}

QString ParameterNames(int16_t testType, int16_t parameterNumber, int16_t language)
{
    if (testType == 1) {
        if (IsEmptyKeyboardDefinition(KeyboardDef))
            return QString();
        switch (parameterNumber) {
        case 1: return KeyboardDef.Parameter1;
        case 2: return KeyboardDef.Parameter2;
        case 3: return KeyboardDef.Parameter3;
        case 4: return KeyboardDef.Parameter4;
        default: return QString();
        }
    }
    const char* const* texts = ParameterTexts(testType, parameterNumber);
    return texts ? Pick(texts, language) : QString();
}

QString ResultLabels(int16_t testType, int16_t resultNumber, int16_t language)
{
    const char* const* texts = nullptr;
    switch (testType) {
    case 11:
    case 12:
        if (KR6100IIConfigured())
            return QString();
        texts = resultNumber == 1 ? FirstDrop : (resultNumber == 2 ? ThirdDrop : nullptr);
        break;
    case 17:
        texts = resultNumber == 1 ? PressureDrop : (resultNumber == 2 ? Exponent : nullptr);
        break;
    case 18:
        texts = resultNumber == 1 ? DynamicAirPermeability : (resultNumber == 2 ? Exponent : nullptr);
        break;
    default:
        break;
    }
    return texts ? Pick(texts, language) : QString();
}

QString PassFailText(float value, int16_t language)
{
    if (value == 1.0f)
        return Pick(Passed, language);
    if (value == 0.0f)
        return Pick(Failed, language);
    return QString();
}
