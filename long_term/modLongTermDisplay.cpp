#include "long_term/modLongTermDisplay.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "long_term/LongTermChart.h"
#include "platform/Conversions.h"
#include "platform/Paths.h"

#include <algorithm>
#include <map>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString Dash = QStringLiteral("---");

QString Number(float value)
{
    return FormatNumberText(value, 3);
}

QString OneDecimal(float value)
{
    return Format(static_cast<double>(value), QStringLiteral("0.0"));
}

QString PercentUnit()
{
    return UnitText("n", Language);
}

// Value, unit and limit sign of a statistic of result 1; the missing text
// where it is missing.
void Result1Cells(GridInfoRow& row, float value, const QString& unit, const TestDefinition& definition,
                  const QString& missing)
{
    if (!IsPresentValue(value)) {
        row.Value1Text = missing;
        return;
    }
    row.Value1Text = Number(value);
    row.Unit1Text = unit;
    row.Sign1 = LimitSign(value, definition, 1);
}

void Result2Cells(GridInfoRow& row, float value, const QString& unit, const TestDefinition& definition)
{
    if (!IsPresentValue(value))
        return;
    row.Value2Text = Number(value);
    row.Unit2Text = unit;
    row.Sign2 = LimitSign(value, definition, 2);
}

// A percentage "0.0" with "%" in both results; "---" for a missing result 1.
GridInfoRow PercentRow(float value1, float value2)
{
    GridInfoRow row;
    if (IsPresentValue(value1)) {
        row.Value1Text = OneDecimal(value1);
        row.Unit1Text = PercentUnit();
    } else {
        row.Value1Text = Dash;
    }
    if (IsPresentValue(value2)) {
        row.Value2Text = OneDecimal(value2);
        row.Unit2Text = PercentUnit();
    }
    return row;
}

const std::vector<LongTermEnablingRule> EnablingRules = {
    {LongTermControl::FileCopy, true, false, 0},
    {LongTermControl::Search, false, true, 0},
    {LongTermControl::Tab0, false, false, 1},
    {LongTermControl::Tab1, false, false, 2},
    {LongTermControl::Pictures1, true, false, 1},
    {LongTermControl::Pictures2, true, false, 2},
    {LongTermControl::Print, true, false, 0},
};

bool IsStyleFolderPart(const QString& part)
{
    if (part.size() != 6 || !part.startsWith(QLatin1String("QTA")))
        return false;
    return std::all_of(part.begin() + 3, part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

// ---------------------------------------------------------------------------
// Value grids

ValueGridRows LongTermStatisticsRows(const Statistics& stats, const TestDefinition& definition, const QString& unit1,
                                     const QString& unit2, bool passFail, const StatisticsGridStyle& style)
{
    ValueGridRows rows{};
    if (IsEmptyStatistics(stats))
        return rows;
    const QString missing = style.DashForMissingValues ? Dash : QString();

    GridInfoRow& avg = rows[RowAvg];
    if (passFail) {
        const float percent = PassFailPercent(stats);
        if (IsPresentValue(percent)) {
            avg.Value1Text = Number(percent);
            avg.Unit1Text = PercentUnit();
        } else {
            avg.Value1Text = missing;
        }
    } else {
        Result1Cells(avg, stats.Mean1, unit1, definition, missing);
    }
    Result2Cells(avg, stats.Mean2, unit2, definition);
    avg.LastColumnText = style.WarningSign;

    // A pass/fail result has no extremes, whatever an older report kept.
    Result1Cells(rows[RowMin], passFail ? NoValue : stats.Min1, unit1, definition, missing);
    Result2Cells(rows[RowMin], stats.Min2, unit2, definition);
    Result1Cells(rows[RowMax], passFail ? NoValue : stats.Max1, unit1, definition, missing);
    Result2Cells(rows[RowMax], stats.Max2, unit2, definition);
    rows[RowCV] = PercentRow(stats.CV1, stats.CV2);
    rows[RowCI] = PercentRow(stats.CI1, stats.CI2);
    return rows;
}

// ---------------------------------------------------------------------------
// Filters

std::vector<int16_t> StylePropertyCodes(const Style& style)
{
    std::vector<int16_t> codes;
    for (int f = 1; f <= StyleFormCount; ++f)
        for (int i = 1; i <= ReportFormItemCount; ++i) {
            const int16_t t = style.Forms[static_cast<size_t>(f)].Items[static_cast<size_t>(i)].Property;
            if (t >= 1 && t <= TestTypeCount && std::find(codes.begin(), codes.end(), t) == codes.end())
                codes.push_back(t);
        }
    return codes;
}

int16_t SettledPropertyCode(const std::vector<int16_t>& codes, int16_t current)
{
    if (codes.empty())
        return 0;
    return std::find(codes.begin(), codes.end(), current) != codes.end() ? current : codes.front();
}

int FirstListedYear(int currentYear)
{
    return std::min(1990, currentYear);
}

int LastListedYear(int currentYear)
{
    return std::max(1999, currentYear);
}

std::vector<int> DateBoxOrder(int dateFormat)
{
    switch (dateFormat) {
    case 1:
        return {0, 1, 2};
    case 2:
        return {1, 0, 2};
    case 3:
        return {2, 1, 0};
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------
// Enabling

const std::vector<LongTermEnablingRule>& LongTermEnablingRules()
{
    return EnablingRules;
}

bool LongTermControlEnabled(const LongTermEnablingRule& rule, const LongTermWindowState& state)
{
    if (rule.NeedsResults && !state.ResultsShown)
        return false;
    if (rule.NeedsStyleAndProperty && (!state.StyleChosen || state.PropertyCode == 0))
        return false;
    return ResultCountByTestType(state.PropertyCode) >= rule.LeastResults;
}

// ---------------------------------------------------------------------------
// Captions

QString LongTermText(int entry, int language)
{
    static const char* const texts[9][5] = {
        {"Langzeitstatistik", "Long term analysis", "Évaluation de longue durée", "Valutazione di lunga durata",
         "Evaluación de larga duración"},
        {"&Muster", "&Pattern", "&Dessin", "&Disegno", "&Patrón"},
        {"&Hinzufügen", "&Add", "&Ajouter", "&Aggiungere", "&Añadir"},
        {"&Entfernen", "&Remove", "&Enlever", "&Eliminare", "&Eliminar"},
        {"Datum:", "Date:", "Date:", "Data:", "Fecha:"},
        {"Zeit:", "Time:", "Heure:", "Ora:", "Hora:"},
        {"Resultat 1", "Result 1", "Résultat 1", "Risultato 1", "Resultado 1"},
        {"Resultat 2", "Result 2", "Résultat 2", "Risultato 2", "Resultado 2"},
        {"Daten &suchen", "&Search for data", "&Chercher les dates", "&Cercare i dati", "&Buscar datos"},
    };
    if (entry < 1 || entry > 9 || language < 1 || language > 5)
        return QString();
    return U(texts[entry - 1][language - 1]);
}

QString LongTermWindowCaption(int language)
{
    return QString::fromLatin1(ProductTitle) + QStringLiteral(" - ") + LongTermText(1, language);
}

QString DetailText(const QString& controlName, int language)
{
    static const std::map<QString, std::array<const char*, 5>> texts = {
        {QStringLiteral("frmDetail"), {"Detail", "Detail", "Détail", "Dettaglio", "Detalle"}},
        {QStringLiteral("lblCommentary"), {"Kommentar:", "Commentary:", "&Commentaire:", "Commento:", "Comentario"}},
        {QStringLiteral("cmdPreviewCurrent"),
         {"Aktuelles Prüfprotokoll &anzeigen", "&Show current test report", "&Afficher le protocole d'essai actuel",
          "&Mostrare il protocollo di prova attuale", "&Mostrar el protocolo del ensayo en curso"}},
        {QStringLiteral("cmdPrintCurrent"),
         {"Aktuelles Prüfprotokoll &drucken", "&Print current test report", "&Imprimer le protocole d'essai actuel",
          "&Stampare il protocollo di prova attuale", "&Imprimir el protocolo del ensayo en curso"}},
        {QStringLiteral("cmdPreviewOriginal"),
         {"Original Prüfprotokoll a&nzeigen", "S&how original test report", "A&fficher le protocole d'essai original",
          "M&ostrare il protocollo di prova originale", "M&ostrar el protocolo del ensayo original"}},
        {QStringLiteral("cmdPrintOriginal"),
         {"Original Prüfprotokoll d&rucken", "P&rint original test report", "I&mprimer le protocole d'essai original",
          "S&tampare il protocollo di prova originale", "I&mprimir el protocolo del ensayo original"}},
        {QStringLiteral("cmdModify"), {"Ä&ndern", "&Modify", "&Modifier", "Mo&dificare", "Mo&dificar"}},
    };
    const auto found = texts.find(controlName);
    if (found == texts.end() || language < 1 || language > 5)
        return QString();
    return U(found->second[static_cast<size_t>(language - 1)]);
}

// ---------------------------------------------------------------------------
// Hand-over

QString MakeHandOver(int16_t testType, int block, const QString& path)
{
    return QString(QChar(static_cast<char16_t>(testType))) + QChar(static_cast<char16_t>(block)) + path;
}

bool ParseHandOver(const QString& text, DetailHandOver& handOver)
{
    if (text.size() < 3)
        return false;
    const int testType = text[0].unicode();
    const int block = text[1].unicode();
    if (testType < 1 || testType > TestTypeCount || block < 1 || block > PropertyCount)
        return false;
    const QString path = text.mid(2);
    const qsizetype slash = path.indexOf(u'\\');
    if (slash < 0 || !IsStyleFolderPart(path.left(slash)) || !IsBareStoredName(path.mid(slash + 1))
        || StoredNamePath(DataFolder, path, true).isEmpty())
        return false;
    handOver.TestType = static_cast<int16_t>(testType);
    handOver.Block = block;
    handOver.Path = path;
    return true;
}
