#include "foundation/modMainTexts.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <utility>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The five columns of one control, German to Spanish.
QStringList Columns(const char* control, int index = -1)
{
    QStringList texts;
    for (int language = 1; language <= 5; ++language)
        texts << MainCaption(QString::fromLatin1(control), index, language);
    return texts;
}

QStringList L(std::initializer_list<const char*> utf8)
{
    QStringList texts;
    for (const char* t : utf8)
        texts << U(t);
    return texts;
}

TEST(MainTexts, EnglishMenusAndButtons)
{
    QStringList texts;
    for (const char* name : { "mnuFile", "mnuFunction", "mnuSettings", "mnuStandard", "mnuInfo", "cmdMeasure",
                              "cmdTerminateProtocol", "cmdPreview" })
        texts << MainCaption(QString::fromLatin1(name), 2);
    EXPECT_EQ(texts, L({ "&File", "F&unction", "&System settings", "&Test settings", "&Info", "&Measure",
                         "&Terminate test report", "&Show test report" }));
}

TEST(MainTexts, RowsInAllFiveLanguages)
{
    EXPECT_EQ(Columns("mnuFile_Password"),
              L({ "&Passwörter ändern...", "Change &passwords...", "Changer les mots de &passe...",
                  "Cambiare i c&odici...", "Cambiar los &santos y seña..." }));
    EXPECT_EQ(Columns("mnuFunction_LongTermAnalysis"),
              L({ "&Auswerten...", "&Evaluate...", "&Évaluation de longue durée...",
                  "&Valutazione di lunga durata...", "&Evaluación de larga duración..." }));
    EXPECT_EQ(Columns("mnuSettings_ReferenceTitle"),
              L({ "&Referenztitel...", "&Reference titles...", "&Titres des références...",
                  "&Titoli delle referenze...", "&Titulos del las referencias..." }));
    EXPECT_EQ(Columns("mnuInfo_About"),
              L({ "Über &QUINTARA III...", "About &QUINTARA III...", "Au sujet du &QUINTARA III...",
                  "A proposito del &QUINTARA III...", "A propósito del &QUINTARA III..." }));
    EXPECT_EQ(Columns("cmdAnalyzeCurve"),
              L({ "Kurve analysieren...", "Analyze curve...", "Analyser les courbes...",
                  "Analizzare la curva...", "Analizar la curva..." }));
    EXPECT_EQ(Columns("lblOperator"),
              L({ "Bed. Person:", "Operator:", "Opérateur:", "Operatore:", "Operario:" }));
    EXPECT_EQ(Columns("lblSerialNumber"), L({ "S/N:", "s/n:", "n/s:", "n/s:", "n/s:" }));
    EXPECT_EQ(Columns("lblAvg"), L({ "MW:", "Avg:", "Moy:", "Med.:", "Prom:" }));
    EXPECT_EQ(Columns("lblTest"), L({ "Anzahl:", "Tests:", "Nb. mes.:", "No. mis.:", "No. med.:" }));
    EXPECT_EQ(Columns("tabDisplay", 1),
              L({ "Kommentar", "Commentary", "Commentaire", "Commento", "Comentario" }));
    EXPECT_EQ(Columns("optProtocol", 2),
              L({ "Pendent", "Pending", "En suspens", "Pendente", "Pendiente" }));
    EXPECT_EQ(Columns("lblLateralAir", 4),
              L({ "Seitenluft:", "Lateral air:", "Air latéral:", "Aria lat.:", "Aire lateral:" }));
}

TEST(MainTexts, SharedAndLanguageIndependentTexts)
{
    for (int language = 1; language <= 5; ++language) {
        SCOPED_TRACE(language);
        EXPECT_EQ(MainCaption(QStringLiteral("tabDisplay"), 7, language), U("Q-DAS"));
        EXPECT_EQ(MainCaption(QStringLiteral("lblK0016"), language), U("Prüfauftragsnummer (K0016):"));
        EXPECT_EQ(MainCaption(QStringLiteral("lblK1031"), language), U("Stücklistenversion (K1031):"));
        EXPECT_EQ(MainCaption(QStringLiteral("lblK0053"), language), U("Fa Nummer (K0053):"));
        for (const auto& [a, b] : { std::pair("lblMin", "lblLLimit"), std::pair("lblMax", "lblULimit"),
                                    std::pair("lblCI", "lblNominalCI") })
            EXPECT_EQ(MainCaption(QLatin1String(a), language), MainCaption(QLatin1String(b), language)) << a;
    }
    EXPECT_EQ(MainCaption(QStringLiteral("lblULimit"), 4), U("Mas:"));
    EXPECT_EQ(MainCaption(QStringLiteral("lblCI"), 1), U("VB:"));
    EXPECT_EQ(MainCaption(QStringLiteral("mnuFile_Exit"), 1), U("&Beenden\tAlt+F4"));
    EXPECT_EQ(MainCaption(QStringLiteral("mnuFile_Exit"), 5), U("&Terminar\tAlt+F4"));
    for (int language : { 1, 2, 6, 0, 9 })
        EXPECT_EQ(MainCaption(QStringLiteral("frmMain"), language), U("ZOLVERA D 7110 QUINTARA III"));
}

TEST(MainTexts, TableNumbering)
{
    const auto german = MainTextTable(1);
    for (int entry = 0; entry <= MainTextCount; ++entry)
        EXPECT_EQ(german[static_cast<size_t>(entry)].isEmpty(), entry == 0 || entry == 3) << entry;
    EXPECT_EQ(german[1], U("&Datei"));
    EXPECT_EQ(german[30], U("Werte"));
    EXPECT_EQ(german[44], U("Arbeitsplan (K1087):"));
    EXPECT_EQ(german[60], U("Protokoll &anzeigen"));
    EXPECT_EQ(MainText(37, 3), U("Q-DAS"));
    EXPECT_EQ(MainText(61, 2), QString());
    EXPECT_EQ(MainTextEntry(QStringLiteral("tabDisplay"), 0), 30);
    EXPECT_EQ(MainTextEntry(QStringLiteral("lblLateralAir"), 6), 47);
    EXPECT_EQ(MainTextEntry(QStringLiteral("lblNominalCI"), -1), 57);
}

TEST(MainTexts, LanguagesWithoutTextsGiveEmptyCaptions)
{
    for (int language : { 6, 0, -1, 7 }) {
        for (const QString& text : MainTextTable(language))
            EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(MainCaption(QStringLiteral("lblStyle"), language), QString());
        EXPECT_EQ(MainCaption(QStringLiteral("tabDisplay"), 7, language), QString());
        EXPECT_EQ(MainCaption(QStringLiteral("mnuFile_Exit"), language), U("\tAlt+F4"));
    }
}

TEST(MainTexts, UnknownControlsAndIndices)
{
    EXPECT_EQ(MainCaption(QStringLiteral("lblstyle"), 2), QString());   // names compare exactly
    EXPECT_EQ(MainCaption(QStringLiteral("lblReference"), 2, 2), QString());
    EXPECT_EQ(MainCaption(QStringLiteral("tabDisplay"), 8, 2), QString());
    EXPECT_EQ(MainCaption(QStringLiteral("optProtocol"), 0, 2), QString());
    EXPECT_EQ(MainCaption(QStringLiteral("lblLateralAir"), 7, 2), QString());
    EXPECT_EQ(MainCaption(QStringLiteral("lblStyle"), 5, 2), U("Style:"));   // index ignored
}

} // namespace
