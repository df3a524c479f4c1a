#include "foundation/modMainTexts.h"

namespace {

// One row of the text table: the entry number, the control it captions (with
// its index for control arrays, SingleControl for single controls,
// LateralAirLabels for the six lateral-air labels that share one entry) and
// the five texts.
constexpr int SingleControl = -1;
constexpr int LateralAirLabels = -2;   // indices 1 to 6

struct MainTextRow {
    int Entry;
    const char* Control;
    int Index;
    const char* Texts[5];   // German, English, French, Italian, Spanish (UTF-8)
};

// The Q-DAS labels read the same German text in every language.
#define SAME5(t) { t, t, t, t, t }

const MainTextRow MainTextRows[] = {
    // Menus and the curve button.
    { 1, "mnuFile", SingleControl, { "&Datei", "&File", "&Fichier", "&File", "&Fichero" } },
    { 2, "mnuFile_Copy", SingleControl, { "&Kopieren", "&Copy", "&Copier", "&Copiare", "&Copiar" } },
    { 4, "mnuFile_Import", SingleControl,
      { "Daten &importieren...", "&Import data...", "&Reprendre les données...",
        "&Riprendere dei dati...", "&Importar datos..." } },
    { 5, "mnuFile_Password", SingleControl,
      { "&Passwörter ändern...", "Change &passwords...", "Changer les mots de &passe...",
        "Cambiare i c&odici...", "Cambiar los &santos y seña..." } },
    { 6, "mnuFile_Exit", SingleControl, { "&Beenden", "&Exit", "&Terminer", "&Terminare", "&Terminar" } },
    { 7, "mnuFunction", SingleControl, { "&Funktion", "F&unction", "F&onction", "F&unzione", "F&unción" } },
    { 8, "mnuFunction_Measure", SingleControl,
      { "&Messen...", "&Measure...", "&Mesurer...", "&Misurare...", "&Medir..." } },
    { 9, "cmdAnalyzeCurve", SingleControl,
      { "Kurve analysieren...", "Analyze curve...", "Analyser les courbes...",
        "Analizzare la curva...", "Analizar la curva..." } },
    { 10, "mnuFunction_LongTermAnalysis", SingleControl,
      { "&Auswerten...", "&Evaluate...", "&Évaluation de longue durée...",
        "&Valutazione di lunga durata...", "&Evaluación de larga duración..." } },
    { 11, "mnuSettings", SingleControl,
      { "&System-Einstellungen", "&System settings", "&Réglages pour le système",
        "&Definizione del sistema", "&Definición del sistema" } },
    { 12, "mnuSettings_CountrySettings", SingleControl,
      { "&Ländereinstellungen...", "&Country settings...", "Réglages pour le &pays...",
        "Configurazione dei &paesi...", "Configuración para el &pais..." } },
    { 13, "mnuSettings_SystemSettings", SingleControl,
      { "&Systemkonfiguration...", "&System configuration...", "Configuration du &système...",
        "Configurazione del &sistema...", "Configuración del &sistema..." } },
    { 14, "mnuSettings_ReferenceTitle", SingleControl,
      { "&Referenztitel...", "&Reference titles...", "&Titres des références...",
        "&Titoli delle referenze...", "&Titulos del las referencias..." } },
    { 15, "mnuSettings_DataSettings", SingleControl,
      { "&Dateneinstellungen...", "&Data settings...", "Réglages pour les &données...",
        "&Definizione dei dati...", "&Definición de los datos..." } },
    { 16, "mnuSettings_QDASSettings", SingleControl,
      { "&Q-DAS-Einstellungen...", "&Q-DAS settings...", "Réglages &Q-DAS...",
        "Definizione &Q-DAS...", "Definición &Q-DAS..." } },
    { 17, "mnuStandard", SingleControl,
      { "&Mess-Einstellungen", "&Test settings", "Réglages pour les &mesures",
        "Definizioni per le &misure", "Arreglos por las &medidas" } },
    { 18, "mnuStandard_Style", SingleControl,
      { "&Artikel...", "&Styles...", "&Articles...", "&Articolo...", "&Articulos..." } },
    { 19, "mnuStandard_Reference2to4", SingleControl,
      { "&Referenzen 2 bis 4...", "&References 2 to 4...", "&Références 2 à 4...",
        "&Referenze 2 a 4...", "&Referencias 2 a 4..." } },
    { 20, "mnuStandard_Operator", SingleControl,
      { "&Bedienungspersonen...", "&Operators...", "&Opérateurs...", "&Operatori...",
        "&Operarios..." } },
    { 21, "mnuStandard_KeyboardSettings", SingleControl,
      { "&Tastaturdefinition...", "&Keyboard definition...", "&Définition du clavier...",
        "&Definizione della tastiera...", "&Definición del teclado..." } },
    { 22, "mnuStandard_ReportForm", SingleControl,
      { "&Formulare...", "Report &forms...", "&Formulaires...", "&Formolare...",
        "&Formularios..." } },
    { 23, "mnuInfo", SingleControl, { "&Info", "&Info", "&Info", "&Info", "&Info" } },
    { 24, "mnuInfo_About", SingleControl,
      { "Über &QUINTARA III...", "About &QUINTARA III...", "Au sujet du &QUINTARA III...",
        "A proposito del &QUINTARA III...", "A propósito del &QUINTARA III..." } },

    // Labels, tabs, options and buttons.
    { 25, "lblStyle", SingleControl, { "Artikel:", "Style:", "Article:", "Articolo:", "Articulo:" } },
    { 26, "lblOperator", SingleControl,
      { "Bed. Person:", "Operator:", "Opérateur:", "Operatore:", "Operario:" } },
    { 27, "lblDateTime", SingleControl,
      { "Datum/Zeit:", "Date/time:", "Date/heure:", "Data/ora:", "Fecha/hora:" } },
    { 28, "lblInstrument", SingleControl,
      { "Instrument:", "Instrument:", "Instrument:", "Strumento:", "Aparato:" } },
    { 29, "lblSerialNumber", SingleControl, { "S/N:", "s/n:", "n/s:", "n/s:", "n/s:" } },
    { 30, "tabDisplay", 0, { "Werte", "Results", "Résultats", "Valori", "Resultados" } },
    { 31, "tabDisplay", 1,
      { "Kommentar", "Commentary", "Commentaire", "Commento", "Comentario" } },
    { 32, "tabDisplay", 2, { "Profil 1", "Profile 1", "Profil 1", "Profilo 1", "Perfil 1" } },
    { 33, "tabDisplay", 3, { "Profil 2", "Profile 2", "Profil 2", "Profilo 2", "Perfil 2" } },
    { 34, "tabDisplay", 4,
      { "Histogramm 1", "Histogram 1", "Histogramme 1", "Istogramma 1", "Histograma 1" } },
    { 35, "tabDisplay", 5,
      { "Histogramm 2", "Histogram 2", "Histogramme 2", "Istogramma 2", "Histograma 2" } },
    { 36, "tabDisplay", 6, { "Kurve", "Curve", "Courbe", "Curva", "Curva" } },
    { 37, "tabDisplay", 7, SAME5("Q-DAS") },
    { 38, "lblK0006", SingleControl, SAME5("Chargennummer (K0006):") },
    { 39, "lblK0016", SingleControl, SAME5("Prüfauftragsnummer (K0016):") },
    { 40, "lblK0053", SingleControl, SAME5("Fa Nummer (K0053):") },
    { 41, "lblK1031", SingleControl, SAME5("Stücklistenversion (K1031):") },
    { 42, "lblK1032", SingleControl, SAME5("Stückliste (K1032):") },
    { 43, "lblK1086", SingleControl, SAME5("Arbeitsplanversion (K1086):") },
    { 44, "lblK1087", SingleControl, SAME5("Arbeitsplan (K1087):") },
    { 45, "optProtocol", 1, { "Neu", "New", "Nouveau", "Nuovo", "Nuevo" } },
    { 46, "optProtocol", 2,
      { "Pendent", "Pending", "En suspens", "Pendente", "Pendiente" } },
    { 47, "lblLateralAir", LateralAirLabels,
      { "Seitenluft:", "Lateral air:", "Air latéral:", "Aria lat.:", "Aire lateral:" } },
    { 48, "lblAvg", SingleControl, { "MW:", "Avg:", "Moy:", "Med.:", "Prom:" } },
    { 49, "lblMin", SingleControl, SAME5("Min:") },
    { 50, "lblMax", SingleControl, { "Max:", "Max:", "Max:", "Mas:", "Max:" } },
    { 51, "lblCV", SingleControl, SAME5("CV:") },
    { 52, "lblCI", SingleControl, { "VB:", "CI:", "IC:", "IC:", "IC:" } },
    { 53, "lblNominal", SingleControl,
      { "Soll:", "Nominal:", "Nominale:", "Nominale:", "Nominal:" } },
    { 54, "lblLLimit", SingleControl, SAME5("Min:") },
    { 55, "lblULimit", SingleControl, { "Max:", "Max:", "Max:", "Mas:", "Max:" } },
    { 56, "lblTest", SingleControl,
      { "Anzahl:", "Tests:", "Nb. mes.:", "No. mis.:", "No. med.:" } },
    { 57, "lblNominalCI", SingleControl, { "VB:", "CI:", "IC:", "IC:", "IC:" } },
    { 58, "cmdMeasure", SingleControl, { "&Messen", "&Measure", "&Mesurer", "&Misurare", "&Medir" } },
    { 59, "cmdTerminateProtocol", SingleControl,
      { "Protokoll &beenden", "&Terminate test report", "&Terminer le protocole",
        "&Terminare il protocollo", "&Terminar el protocolo" } },
    { 60, "cmdPreview", SingleControl,
      { "Protokoll &anzeigen", "&Show test report", "&Montrer le protocole",
        "&Mostrare il protocollo", "&Mostrar el protocolo" } },
};

#undef SAME5

bool HasTexts(int language)
{
    return language >= 1 && language <= 5;
}

const MainTextRow* FindRow(const QString& controlName, int index)
{
    for (const MainTextRow& row : MainTextRows) {
        if (controlName != QLatin1String(row.Control))
            continue;
        if (row.Index == SingleControl)
            return &row;
        if (row.Index == LateralAirLabels)
            return (index >= 1 && index <= 6) ? &row : nullptr;
        if (row.Index == index)
            return &row;
    }
    return nullptr;
}

} // namespace

std::array<QString, MainTextCount + 1> MainTextTable(int language)
{
    std::array<QString, MainTextCount + 1> table;
    if (!HasTexts(language))
        return table;
    for (const MainTextRow& row : MainTextRows)
        table[static_cast<size_t>(row.Entry)] = QString::fromUtf8(row.Texts[language - 1]);
    return table;
}

QString MainText(int entry, int language)
{
    if (!HasTexts(language))
        return QString();
    for (const MainTextRow& row : MainTextRows) {
        if (row.Entry == entry)
            return QString::fromUtf8(row.Texts[language - 1]);
    }
    return QString();
}

int MainTextEntry(const QString& controlName, int index)
{
    const MainTextRow* row = FindRow(controlName, index);
    return row ? row->Entry : 0;
}

QString MainCaption(const QString& controlName, int index, int language)
{
    if (controlName == QLatin1String("frmMain"))
        return QString::fromLatin1(MainWindowTitle);
    const MainTextRow* row = FindRow(controlName, index);
    if (!row)
        return QString();
    QString text = HasTexts(language) ? QString::fromUtf8(row->Texts[language - 1]) : QString();
    if (row->Entry == 6)
        text += QStringLiteral("\tAlt+F4");
    return text;
}

QString MainCaption(const QString& controlName, int language)
{
    return MainCaption(controlName, -1, language);
}
