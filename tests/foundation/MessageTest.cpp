#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "platform/Conversions.h"
#include "platform/MousePointer.h"
#include "support/LocaleFixture.h"
#include "support/ScriptedPresenter.h"

#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class MessageTest : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        savedLanguage_ = Language;
        Language = 2;
        MsgResult = 0;
    }
    void TearDown() override
    {
        Language = savedLanguage_;
        SetMousePointer(PointerDefault);
        LocaleFixture::TearDown();
    }
    static QString Text(int16_t number, int16_t language, const QVariantList& args = {})
    {
        return ComposeMessage(number, args, language).Text;
    }

    ScriptedPresenter presenter_;

private:
    int16_t savedLanguage_ = 2;
};

const QString Message1 = QString::fromUtf8(
    "QUINTARA III läuft bereits auf dem Computer.\r\n"
    "QUINTARA III is already running on the computer.\r\n"
    "QUINTARA III est déjà en cours d'exécution.\r\n"
    "QUINTARA III è già sul piano di lavoro.\r\n"
    "QUINTARA III està ya accionado.\r\n"
    "\r\n");

TEST_F(MessageTest, MessageOneShowsAllFiveLanguagesWhateverTheSetting)
{
    for (int16_t language : {int16_t(1), int16_t(6), int16_t(0)})
        EXPECT_EQ(Text(1, language), Message1) << language;
    // Critical with one OK button in every language, the out-of-range ones too.
    for (int16_t language : {int16_t(1), int16_t(2), int16_t(3), int16_t(5), int16_t(6), int16_t(0), int16_t(9)}) {
        const MessageRequest box = ComposeMessage(1, {}, language);
        EXPECT_EQ(box.Text, Message1) << language;
        EXPECT_EQ(box.Style(), 16 + 0 + 0 + 65536) << language;
    }
}

TEST_F(MessageTest, MessageFourPutsItsArgumentIntoEveryLanguage)
{
    const QString text = Text(4, 3, {QStringLiteral(".")});
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(
        "Das Dezimaltrennzeichen muss in der Systemsteuerung auf den Dezimalpunkt ('.') gesetzt werden.\r\n"
        "The decimal separator has to be set to the deciam point ('.') in the control panels.\r\n")));
    EXPECT_TRUE(text.endsWith(QString::fromUtf8(
        "En el sistema de comando, definir la separación decimal con un punto ('.').\r\n\r\n")));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 6);
}

// A program folder that cannot be used is told before the language is
// known: every language, then the folder and the system's reason.
TEST_F(MessageTest, TheUnusableProgramFolderIsToldInEveryLanguage)
{
    for (int16_t language : {int16_t(2), int16_t(6), int16_t(0)}) {
        const MessageRequest box = ComposeMessage(50, {QStringLiteral("/home/lab/q"), QStringLiteral("Permission denied")},
                                                  language);
        EXPECT_EQ(box.Style(), IconCritical + ButtonsOK + DefaultFirst + 65536);
        EXPECT_EQ(box.Text, QString::fromUtf8(
            "Das Programmverzeichnis kann nicht angelegt oder beschrieben werden. QUINTARA III wird beendet.\r\n"
            "The program folder cannot be created or written. QUINTARA III ends.\r\n"
            "Le répertoire du programme ne peut pas être créé ni écrit. QUINTARA III se termine.\r\n"
            "La cartella del programma non può essere creata né scritta. QUINTARA III termina.\r\n"
            "No se puede crear ni escribir la carpeta del programa. QUINTARA III termina.\r\n"
            "\r\n"
            "/home/lab/q\r\n"
            "(Permission denied)")) << language;
    }
}

TEST_F(MessageTest, TextsAsQuotedFollowTheLanguage)
{
    EXPECT_EQ(Text(3, 2), QStringLiteral("Wrong password."));
    EXPECT_EQ(Text(3, 1), QStringLiteral("Falsches Passwort."));
    EXPECT_EQ(Text(3, 5), QString::fromUtf8("Santo y seña incorrecto."));
    EXPECT_EQ(Text(3, 6), QStringLiteral("."));
    EXPECT_EQ(Text(31, 2), QStringLiteral("An error occurred while writing the file. Ensure that there is enough "
                                          "space on the disk.\r\nTry again?"));
    EXPECT_EQ(Text(35, 6), QStringLiteral("!"));
    EXPECT_EQ(Text(3, 3), QStringLiteral("Mot de passe incorrect."));
    EXPECT_EQ(Text(3, 4), QStringLiteral("Codice errato."));
    EXPECT_EQ(Text(13, 1),
              QString::fromUtf8("Die gewählte Datenschnittstelle ist nicht verfügbar. Bitte wählen Sie eine andere!"));
    const struct {
        int16_t number;
        int16_t language;
        const char* text;
    } quoted[] = {
        {13, 6, "."},
        {8, 2, "Your entry comprises a 'JOKER' ('*', '?') which has a special meaning in the long-term analysis and "
               "should therefore not be used. Use anyway?"},
        {30, 6, "!"},
        {21, 2, "The instrument is set to measure a wrong property.\r\n\r\nThe test result cannot be read!"},
        {22, 2, "The instrument is set to a wrong unit of measurement:\r\nB instead of C.\r\n\r\n"
                "The test result cannot be read!"},
        {23, 2, "The instrument supplied an erroraneous serial number:\r\nB instead of C.\r\n\r\nAccept anyway?"},
        {23, 6, "?"},
        {27, 2, "The test results will not be printed. Print anyway?"},
        {27, 6, "."},
        {35, 2, "No curve data available for this test result."},
        {37, 2, "The preset confidence interval has been reached. Terminate test series?"},
        {38, 2, "This form cannot be deleted because it is linked to a style!"},
    };
    const QVariantList args = {QStringLiteral("Test length"), QStringLiteral("B"), QStringLiteral("C")};
    for (const auto& row : quoted)
        EXPECT_EQ(Text(row.number, row.language, args), QString::fromUtf8(row.text)) << row.number;
    EXPECT_EQ(Text(12, 2, {10}), QStringLiteral("There is a maximum of 10 forms per style!"));
    // Outside 1 to 6 the box comes without text.
    EXPECT_EQ(Text(3, 0), QString());
    EXPECT_EQ(Text(13, 7), QString());
}

TEST_F(MessageTest, ArgumentsGoWhereTheRowNamesThem)
{
    const QVariantList args = {QStringLiteral("Test length"), QStringLiteral("100 mm"), QStringLiteral("50 mm")};
    EXPECT_EQ(Text(20, 2, args), QStringLiteral("The instrument supplied an erroraneous instrument identification:\r\n"
                                                "100 mm instead of 50 mm.\r\n\r\nThe test result cannot be read!"));
    EXPECT_EQ(Text(25, 2, args), QStringLiteral("The instrument is set to a wrong test parameter:\r\n"
                                                "Test length 100 mm instead of 50 mm.\r\n\r\nAccept anyway?"));
    EXPECT_EQ(Text(14, 2, {QStringLiteral("E3: Data string too short: 1E 41")}),
              QStringLiteral("Invalid data received from instrument!\r\n(E3: Data string too short: 1E 41)"));
    EXPECT_EQ(Text(39, 2, {12, 3}),
              QStringLiteral("Number of imported files:\t12\r\nNumber of imported styles:\t3"));
    EXPECT_EQ(Text(24, 2, args), QStringLiteral("The instrument is set to a wrong test parameter:\r\n"
                                                "Test length 100 mm instead of 50 mm.\r\n\r\n"
                                                "The test result cannot be read!"));
    EXPECT_EQ(Text(14, 6, {QStringLiteral("E1")}), QStringLiteral("!\r\n(E1)"));
    EXPECT_EQ(Text(39, 6, {12, 3}), QStringLiteral("."));
}

TEST_F(MessageTest, NumbersFollowTheLocale)
{
    EXPECT_EQ(Text(26, 2), QStringLiteral("The test result lies outside of the allowed range (0.0001 - 999999)!"));
    EXPECT_EQ(Text(9, 2, {30000}), QStringLiteral("The list can hold a maximum of 30,000 entries."));
    EXPECT_EQ(Text(34, 2, {QStringLiteral("3")}),
              QStringLiteral("There are 3 unfinished test series left. End the application and finish the test "
                             "series later?"));
    EXPECT_EQ(Text(11, 2, {6}), QStringLiteral("There is a maximum of 6 properties per form!"));
    EXPECT_EQ(Text(34, 6, {3}), QStringLiteral("!"));
    Pin(QStringLiteral("fr_FR"));
    EXPECT_TRUE(Text(9, 3, {30000}).contains(QString::fromUtf8("30\u202F000 "))) << Text(9, 3, {30000}).toStdString();
    Pin(QStringLiteral("de_CH"));
    EXPECT_EQ(Text(9, 6, {30000}), QString::fromUtf8("30\u2019000."));
    Pin(QStringLiteral("de_DE"));
    EXPECT_EQ(Text(9, 1, {30000}), QString::fromUtf8("Die Liste kann höchstens 30.000 Einträge aufnehmen."));
    EXPECT_EQ(Text(26, 2), QStringLiteral("The test result lies outside of the allowed range (0,0001 - 999999)!"));
}

// Our own Italian and Spanish: "modulo" for a report form, "artículo" for a style.
TEST_F(MessageTest, ItalianAndSpanishTextsOfFormsAndStyles)
{
    const struct {
        int16_t number;
        int16_t language;
        const char* text;
    } rows[] = {
        {11, 4, "Un modulo può contenere al massimo 6 proprietà!"},
        {12, 4, "Un articolo può avere al massimo 6 moduli!"},
        {12, 5, "¡Un artículo puede tener como máximo 6 formularios!"},
        {38, 4, "Questo modulo non può essere cancellato, perché è collegato a un articolo!"},
        {38, 5, "¡Este formulario no se puede eliminar porque está vinculado a un artículo!"},
        {39, 5, "Número de ficheros importados:\t6\r\nNúmero de artículos importados:\t6"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Text(row.number, row.language, {6, 6}), QString::fromUtf8(row.text)) << row.number;
    // Missing arguments show as empty texts.
    EXPECT_EQ(Text(20, 2), QStringLiteral("The instrument supplied an erroraneous instrument identification:\r\n"
                                          " instead of .\r\n\r\nThe test result cannot be read!"));
    EXPECT_EQ(Text(4, 2).count(QStringLiteral("('')")), 5);
}

TEST_F(MessageTest, IconsButtonsAndDefaultsArePerNumberAndUnknownNumbersAreCritical)
{
    for (int16_t number : {int16_t(29), int16_t(2), int16_t(0), int16_t(99), int16_t(-1)}) {
        const MessageRequest box = ComposeMessage(number, {}, 6);
        EXPECT_EQ(box.Text, QStringLiteral("Unknown error (%1).").arg(number));
        EXPECT_EQ(box.Icon, IconCritical);
    }
    struct Row {
        int16_t number;
        int16_t icon;
        int16_t buttons;
        int16_t defaultButton;
    };
    const int16_t C = IconCritical, Q = IconQuestion, E = IconExclamation, I = IconInformation;
    const int16_t OK = ButtonsOK, YN = ButtonsYesNo, D1 = DefaultFirst, D2 = DefaultSecond;
    // One row of each kind of box.
    const Row rows[] = {
        {1, C, OK, D1}, {5, E, OK, D1}, {7, I, OK, D1}, {8, Q, YN, D1}, {23, Q, YN, D2}, {27, Q, YN, D2},
        {36, Q, YN, D1}, {38, E, OK, D1},
    };
    for (const Row& row : rows) {
        const MessageRequest box = ComposeMessage(row.number, {}, 0);
        EXPECT_EQ(box.Style(), row.icon + row.buttons + row.defaultButton + 65536) << row.number;
        EXPECT_EQ(box.Title, QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
    }
    // The rest of the catalogue, row by row, in a language of its own and out of range.
    const Row others[] = {
        {3, C, OK, D1},  {4, C, OK, D1},  {6, E, OK, D1},  {9, I, OK, D1},  {10, C, OK, D1}, {11, E, OK, D1},
        {12, E, OK, D1}, {13, C, OK, D1}, {14, C, OK, D1}, {15, C, OK, D1}, {16, Q, YN, D1}, {17, C, OK, D1},
        {18, E, OK, D1}, {19, C, OK, D1}, {20, C, OK, D1}, {21, C, OK, D1}, {22, C, OK, D1}, {24, C, OK, D1},
        {25, Q, YN, D2}, {26, C, OK, D1}, {28, Q, YN, D1}, {30, Q, YN, D1}, {31, Q, YN, D1}, {32, C, OK, D1},
        {33, I, OK, D1}, {34, Q, YN, D1}, {35, I, OK, D1}, {37, Q, YN, D1}, {39, I, OK, D1}, {43, E, OK, D1},
        {44, E, OK, D1},
    };
    for (const Row& row : others) {
        for (int16_t language : {int16_t(1), int16_t(2), int16_t(6), int16_t(0)})
            EXPECT_EQ(ComposeMessage(row.number, {}, language).Style(),
                      row.icon + row.buttons + row.defaultButton + 65536)
                << row.number << " " << language;
    }
    // An unknown number is a critical OK box with its number in every language.
    for (int16_t number : {int16_t(29), int16_t(0), int16_t(-1)}) {
        for (int16_t language : {int16_t(1), int16_t(2)}) {
            const MessageRequest box = ComposeMessage(number, {}, language);
            EXPECT_EQ(box.Text, QStringLiteral("Unknown error (%1).").arg(number));
            EXPECT_EQ(box.Style(), 16 + 0 + 0 + 65536) << number << " " << language;
        }
    }
}

TEST_F(MessageTest, TheButtonsSpeakTheProgramsLanguage)
{
    const struct {
        int16_t language;
        const char* yes;
        const char* no;
    } rows[] = {{1, "&Ja", "&Nein"}, {3, "&Oui", "&Non"}, {5, "&Sí", "&No"}, {2, "&Yes", "&No"}, {4, "&Sì", "&No"}};
    for (const auto& row : rows) {
        const MessageRequest question = ComposeMessage(16, {}, row.language);
        EXPECT_EQ(question.YesCaption, QString::fromUtf8(row.yes)) << row.language;
        EXPECT_EQ(question.NoCaption, QString::fromUtf8(row.no)) << row.language;
        EXPECT_EQ(ComposeMessage(3, {}, row.language).OKCaption, QStringLiteral("&OK"));
    }
    // Messages 1 and 4 have their OK button captioned too.
    EXPECT_EQ(ComposeMessage(1, {}, 1).OKCaption, QStringLiteral("&OK"));
    EXPECT_EQ(ComposeMessage(4, {}, 2).OKCaption, QStringLiteral("&OK"));
    EXPECT_TRUE(ComposeMessage(16, {}, 6).NoCaption.isEmpty());
    EXPECT_EQ(ComposeMessage(3, {}, 6).OKCaption, QStringLiteral("&OK"));
    EXPECT_TRUE(ComposeMessage(16, {}, 0).YesCaption.isEmpty());
    // The unknown numbers have their OK button captioned too.
    EXPECT_EQ(ComposeMessage(29, {}, 3).OKCaption, QStringLiteral("&OK"));
    // Without words of its own, the sixth slot keeps the toolkit's Yes and No.
    EXPECT_TRUE(ComposeMessage(16, {}, 6).YesCaption.isEmpty());

    // The box the program shows carries them, Enter on "&Nein" for message 23.
    const auto box = BuildMessageBox(ComposeMessage(23, {QString(), QStringLiteral("1"), QStringLiteral("2")}, 1));
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("&Nein"));
    EXPECT_EQ(box->text(), QString::fromUtf8("Das Instrument lieferte eine falsche Seriennummer:\n1 statt 2.\n\n"
                                             "Trotzdem übernehmen?"));
}

// The import's failures, told after message 39: the count grouped by
// thousands, then message 31's words for a full disk, without its question.
TEST_F(MessageTest, TheImportsFailuresAreCountedInEveryLanguage)
{
    const struct {
        int16_t language;
        const char* text;
    } rows[] = {
        {1, "Anzahl nicht importierter Dateien:\t1,200\r\nBeim Schreiben der Datei ist ein Fehler aufgetreten. "
            "Stellen Sie sicher, dass auf dem Datenträger genügend Platz vorhanden ist."},
        {2, "Number of files not imported:\t1,200\r\nAn error occurred while writing the file. Ensure that there is "
            "enough space on the disk."},
        {3, "Nombre de fichiers non repris:\t1,200\r\nUne erreur s'est produite lors de l'écriture du fichier. "
            "Assurez-vous qu'il y a assez de place sur le disque."},
        {4, "Numero di file non ripresi:\t1,200\r\nSi è verificato un errore durante la scrittura del file. "
            "Assicurarsi che ci sia abbastanza spazio sul disco."},
        {5, "Número de ficheros no importados:\t1,200\r\nSe ha producido un error al escribir el fichero. "
            "Asegúrese de que haya suficiente espacio en el disco."},
        {6, "!"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Text(41, row.language, {1200}), QString::fromUtf8(row.text)) << row.language;
    EXPECT_EQ(ComposeMessage(41, {1200}, 2).Style(), IconCritical + ButtonsOK + DefaultFirst + 65536);

    // Failures for another reason than room on the disk: the count alone,
    // the first line of message 41.
    EXPECT_EQ(Text(42, 2, {1200}), QStringLiteral("Number of files not imported:\t1,200"));
    for (const auto& row : rows) {
        const QString full = QString::fromUtf8(row.text);
        EXPECT_EQ(Text(42, row.language, {1200}), full.left(full.indexOf(QStringLiteral("\r\n")))) << row.language;
    }
    EXPECT_EQ(ComposeMessage(42, {1200}, 2).Style(), ComposeMessage(41, {1200}, 2).Style());
}

// Before a report another seat changed or deleted is replaced: a question in
// every language whose default is No, so Enter replaces nothing.
TEST_F(MessageTest, TheQuestionBeforeAnotherSeatsReportIsReplacedDefaultsToNo)
{
    EXPECT_EQ(ComposeMessage(45, {}, 2).Style(), IconQuestion + ButtonsYesNo + DefaultSecond + 65536);
    QStringList texts;
    for (int16_t language = 1; language <= 5; ++language)
        texts << Text(45, language, {});
    EXPECT_EQ(texts.filter(QRegularExpression(QStringLiteral("^[^\\r]+\\r\\n[^\\r]+\\?$"))).size(), 5);
    EXPECT_EQ(Text(45, 6, {}), QStringLiteral("?"));
}

// The program folder standing in for the data folder: both folders named,
// and what brings the data folder back.
TEST_F(MessageTest, TheStandInNamesBothFoldersAndTheWayBack)
{
    const QVariantList folders = {QStringLiteral("/mnt/lab/data"), QStringLiteral("/home/lab/.local/share/quintara")};
    const struct {
        int16_t language;
        const char* text;
    } rows[] = {
        {1, "Das Datenverzeichnis ist nicht erreichbar:\r\n/mnt/lab/data\r\n"
            "Bis es wieder gewählt wird, wird das Programmverzeichnis als Datenverzeichnis verwendet:\r\n"
            "/home/lab/.local/share/quintara\r\n"
            "Liegt das Datenverzeichnis auf einem Netzlaufwerk, bitten Sie den Administrator, es wieder "
            "bereitzustellen. Sobald es erreichbar ist, wählen Sie es in den Dateneinstellungen wieder."},
        {2, "The data folder cannot be reached:\r\n/mnt/lab/data\r\n"
            "Until it is chosen again, the program folder is used as the data folder:\r\n"
            "/home/lab/.local/share/quintara\r\n"
            "If the data folder lies on a network share, ask the administrator to make it available again. "
            "Once it can be reached, choose it again in the data settings."},
        {3, "Le répertoire des données n'est pas accessible :\r\n/mnt/lab/data\r\n"
            "Jusqu'à ce qu'il soit choisi de nouveau, le répertoire du programme est utilisé comme répertoire "
            "des données :\r\n/home/lab/.local/share/quintara\r\n"
            "Si le répertoire des données se trouve sur un partage réseau, demandez à l'administrateur de le "
            "rendre de nouveau disponible. Dès qu'il est accessible, choisissez-le de nouveau dans les "
            "réglages pour les données."},
        {4, "La cartella dei dati non è raggiungibile:\r\n/mnt/lab/data\r\n"
            "Finché non viene scelta di nuovo, la cartella del programma viene usata come cartella dei "
            "dati:\r\n/home/lab/.local/share/quintara\r\n"
            "Se la cartella dei dati si trova su una condivisione di rete, chiedere all'amministratore di "
            "renderla di nuovo disponibile. Appena è raggiungibile, sceglierla di nuovo nella definizione "
            "dei dati."},
        {5, "No se puede acceder a la carpeta de datos:\r\n/mnt/lab/data\r\n"
            "Hasta que se elija de nuevo, se usa la carpeta del programa como carpeta de datos:\r\n"
            "/home/lab/.local/share/quintara\r\n"
            "Si la carpeta de datos está en un recurso compartido de red, pida al administrador que vuelva "
            "a ponerla a disposición. En cuanto se pueda acceder a ella, elíjala de nuevo en la definición "
            "de los datos."},
        {6, "."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Text(46, row.language, folders), QString::fromUtf8(row.text)) << row.language;
    EXPECT_EQ(ComposeMessage(46, folders, 2).Style(), IconExclamation + ButtonsOK + DefaultFirst + 65536);
}

// The data folder back (message 48): the counts read right for one in every
// language (French takes the singular for none as well), and the operator is
// asked, No by default; the Q-DAS folder away (message 54) names both folders.
TEST_F(MessageTest, TheDataFolderBackAsksWithCountsThatReadRightAndTheQdasFolderAwayIsTold)
{
    const QString program = QStringLiteral("/opt/q");
    const QString data = QStringLiteral("/mnt/lab");
    const struct {
        int16_t language;
        int reports;
        int dfq;
        const char* text;
    } rows[] = {
        {1, 1, 1,
         "Das Datenverzeichnis ist wieder erreichbar:\r\n/mnt/lab\r\nSolange das Programmverzeichnis verwendet "
         "wurde, wurden 1 Prüfprotokoll und 1 DFQ-Datei dort gespeichert:\r\n/opt/q\r\nSoll das "
         "Datenverzeichnis wieder verwendet werden?"},
        {1, 0, 2, "wurden 0 Prüfprotokolle und 2 DFQ-Dateien dort"},
        {2, 1, 1,
         "The data folder can be reached again:\r\n/mnt/lab\r\nWhile the program folder was used, 1 test report "
         "and 1 DFQ file were saved there:\r\n/opt/q\r\nUse the data folder again?"},
        {2, 0, 3, "0 test reports and 3 DFQ files were saved"},
        {3, 1, 0, "1 protocole d'essai et 0 fichier DFQ y ont été enregistrés"},
        {3, 2, 5, "2 protocoles d'essai et 5 fichiers DFQ y ont"},
        {3, 1, 1, "Utiliser de nouveau le répertoire des données ?"},
        {4, 1, 1, "vi sono stati salvati 1 protocollo di prova e 1 file DFQ:"},
        {4, 3, 2, "vi sono stati salvati 3 protocolli di prova e 2 file DFQ:"},
        {5, 1, 1, "se guardaron allí 1 informe de ensayo y 1 archivo DFQ:"},
        {5, 2, 0, "se guardaron allí 2 informes de ensayo y 0 archivos DFQ:\r\n/opt/q\r\n¿Volver a usar"},
    };
    for (const auto& row : rows) {
        const QString text = Text(48, row.language, {row.reports, row.dfq, program, data});
        EXPECT_TRUE(text.contains(QString::fromUtf8(row.text))) << row.language << " " << row.reports << " "
                                                                  << row.dfq << ": " << text.toStdString();
    }
    EXPECT_EQ(Text(48, 2, {1, 1, program, data}), QString::fromUtf8(rows[2].text));
    EXPECT_EQ(ComposeMessage(48, {}, 2).Style(), IconQuestion + ButtonsYesNo + DefaultSecond + 65536);

    EXPECT_EQ(Text(54, 2, {data, program}),
              QStringLiteral("The Q-DAS folder cannot be reached:\r\n/mnt/lab\r\nThe DFQ files are saved into the "
                             "program folder until it can be reached again:\r\n/opt/q"));
    EXPECT_EQ(Text(54, 1, {data, program}),
              QString::fromUtf8("Das Q-DAS-Verzeichnis ist nicht erreichbar:\r\n/mnt/lab\r\nDie DFQ-Dateien werden "
                                "im Programmverzeichnis gespeichert, bis es wieder erreichbar ist:\r\n/opt/q"));
    EXPECT_EQ(ComposeMessage(54, {}, 2).Style(), IconExclamation + ButtonsOK + DefaultFirst + 65536);
}

// Every language of a message shows the same arguments as the English text.
TEST_F(MessageTest, EveryLanguageHasATextWithTheSameArguments)
{
    const QVariantList args = {QStringLiteral("<A0>"), QStringLiteral("<A1>"), QStringLiteral("<A2>")};
    std::vector<int16_t> numbers;
    for (int16_t number = 3; number <= 48; ++number)
        if (number != 4 && number != 29)
            numbers.push_back(number);
    numbers.push_back(51);
    numbers.push_back(52);
    numbers.push_back(53);
    numbers.push_back(54);
    for (const int16_t number : numbers) {
        const QString english = Text(number, 2, args);
        ASSERT_FALSE(english.startsWith(QStringLiteral("Unknown error"))) << number;
        for (int16_t language = 1; language <= 5; ++language) {
            const QString text = Text(number, language, args);
            EXPECT_FALSE(text.isEmpty()) << number << " " << language;
            for (const QString& marker : {QStringLiteral("<A0>"), QStringLiteral("<A1>"), QStringLiteral("<A2>")})
                EXPECT_EQ(text.count(marker), english.count(marker)) << number << " " << language;
            EXPECT_EQ(text.count(QStringLiteral("\r\n")), english.count(QStringLiteral("\r\n")))
                << number << " " << language;
            EXPECT_EQ(text.count(u'\t'), english.count(u'\t')) << number << " " << language;
        }
    }
}

// ---- The share's limits and a seat named anew ----

// A share mounted through FUSE: the operator learns that neither locks nor
// exclusive creation hold, and whom to tell.
TEST_F(MessageTest, TheShareThroughFuseIsToldWithBothLimitsAndWhomToTell)
{
    const char* const texts[] = {
        "Das Datenverzeichnis liegt auf einer über FUSE eingebundenen Freigabe (sshfs, smbnetfs, gvfs, rclone). Eine "
        "solche Einbindung behält ihre Sperren für sich und legt neue Dateien nicht exklusiv an: Ein zweiter Lauf "
        "dieser Installation über eine andere Einbindung oder auf einem anderen Computer wird nicht abgewiesen, und "
        "zwei Installationen können Dateien unter demselben Namen schreiben. Bitte verständigen Sie den "
        "Administrator: Die Freigabe muss über den Kernel eingebunden werden (NFS, CIFS).",
        "The data folder lies on a share mounted through FUSE (sshfs, smbnetfs, gvfs, rclone). Such a mount keeps "
        "its locks to itself and does not make new files exclusively: a second run of this installation through "
        "another mount or on another computer is not kept out, and two installations may write files under one "
        "name. Please tell the administrator: the share has to be mounted through the kernel (NFS, CIFS).",
        "Le répertoire des données se trouve sur un partage monté par FUSE (sshfs, smbnetfs, gvfs, rclone). Un tel "
        "montage garde ses verrous pour lui et ne crée pas les nouveaux fichiers de façon exclusive: une deuxième "
        "exécution de cette installation par un autre montage ou sur un autre ordinateur n'est pas refusée, et deux "
        "installations peuvent écrire des fichiers sous le même nom. Veuillez prévenir l'administrateur: le partage "
        "doit être monté par le noyau (NFS, CIFS).",
        "La cartella dei dati si trova su una condivisione montata tramite FUSE (sshfs, smbnetfs, gvfs, rclone). Un "
        "tale montaggio tiene i suoi blocchi per sé e non crea i nuovi file in modo esclusivo: una seconda "
        "esecuzione di questa installazione tramite un altro montaggio o su un altro computer non viene respinta, e "
        "due installazioni possono scrivere file con lo stesso nome. Avvisare l'amministratore: la condivisione "
        "deve essere montata tramite il kernel (NFS, CIFS).",
        "La carpeta de datos está en un recurso compartido montado mediante FUSE (sshfs, smbnetfs, gvfs, rclone). Un "
        "montaje así guarda sus bloqueos para sí y no crea los ficheros nuevos de forma exclusiva: una segunda "
        "ejecución de esta instalación por otro montaje o en otro ordenador no se rechaza, y dos instalaciones "
        "pueden escribir ficheros con el mismo nombre. Avise al administrador: el recurso compartido debe montarse "
        "a través del núcleo (NFS, CIFS).",
    };
    for (int16_t language = 1; language <= 5; ++language)
        EXPECT_EQ(Text(52, language), QString::fromUtf8(texts[language - 1])) << language;
    EXPECT_EQ(Text(52, 6), QStringLiteral("!"));
}

// A seat named anew names its former seat's folder on a line of its own,
// counts its open series, the noun and what follows it agreeing with one,
// and sends the administrator to the manual page the package installs.
TEST_F(MessageTest, ASeatNamedAnewNamesTheFormerFolderAndCountsItsSeries)
{
    const struct {
        int16_t language;
        const char* start;
        const char* one;
        const char* many;
        const char* end;
        const char* endOfOne;
    } rows[] = {
        {1,
         "Diese Installation wurde auf einem anderen Computer oder vor einer Neuinstallation des Systems benannt "
         "(andere Maschinen-ID) und läuft jetzt als neuer Arbeitsplatz. Das Verzeichnis ihres bisherigen "
         "Arbeitsplatzes enthält ",
         "1 offene Messreihe, die dieser Arbeitsplatz nicht lädt:", "1,200 offene Messreihen, die dieser "
         "Arbeitsplatz nicht lädt:",
         "War jener Arbeitsplatz dieser Computer, verständigen Sie bitte den Administrator: Die Messreihen können "
         "übernommen werden (siehe QUINTARA.SEAT in der Handbuchseite, \"man quintara\").",
         "War jener Arbeitsplatz dieser Computer, verständigen Sie bitte den Administrator: Die Messreihe kann "
         "übernommen werden (siehe QUINTARA.SEAT in der Handbuchseite, \"man quintara\")."},
        {2,
         "This installation was named on another computer, or before the system was installed anew (another "
         "machine id), and now runs as a new seat. The folder of its former seat holds ",
         "1 open series, which this seat does not load:", "1,200 open series, which this seat does not load:",
         "If that seat was this computer, please tell the administrator: the series can be taken over (see "
         "QUINTARA.SEAT in the manual page, \"man quintara\").",
         "If that seat was this computer, please tell the administrator: the series can be taken over (see "
         "QUINTARA.SEAT in the manual page, \"man quintara\")."},
        {3,
         "Cette installation a été nommée sur un autre ordinateur ou avant une réinstallation du système (autre "
         "identifiant de machine) et fonctionne désormais comme un nouveau poste. Le répertoire de son ancien "
         "poste contient ",
         "1 série de mesures ouverte, que ce poste ne charge pas :",
         "1,200 séries de mesures ouvertes, que ce poste ne charge pas :",
         "Si l'ancien poste était cet ordinateur, veuillez prévenir l'administrateur: les séries de mesures "
         "peuvent être reprises (voir QUINTARA.SEAT dans la page de manuel, \"man quintara\").",
         "Si l'ancien poste était cet ordinateur, veuillez prévenir l'administrateur: la série de mesures peut "
         "être reprise (voir QUINTARA.SEAT dans la page de manuel, \"man quintara\")."},
        {4,
         "Questa installazione è stata denominata su un altro computer o prima di una reinstallazione del sistema "
         "(altro ID macchina) e ora funziona come nuova postazione. La cartella della sua postazione precedente "
         "contiene ",
         "1 serie di misure aperta, che questa postazione non carica:",
         "1,200 serie di misure aperte, che questa postazione non carica:",
         "Se la postazione precedente era questo computer, avvisare l'amministratore: le serie di misure possono "
         "essere riprese (vedere QUINTARA.SEAT nella pagina di manuale, \"man quintara\").",
         "Se la postazione precedente era questo computer, avvisare l'amministratore: la serie di misure può "
         "essere ripresa (vedere QUINTARA.SEAT nella pagina di manuale, \"man quintara\")."},
        {5,
         "Esta instalación se nombró en otro ordenador o antes de reinstalar el sistema (otro identificador de "
         "máquina) y ahora funciona como un puesto nuevo. La carpeta de su puesto anterior "
         "contiene ",
         "1 serie de medidas abierta, que este puesto no carga:",
         "1,200 series de medidas abiertas, que este puesto no carga:",
         "Si el puesto anterior era este ordenador, avise al administrador: las series de medidas se pueden "
         "recuperar (véase QUINTARA.SEAT en la página de manual, \"man quintara\").",
         "Si el puesto anterior era este ordenador, avise al administrador: la serie de medidas se puede "
         "recuperar (véase QUINTARA.SEAT en la página de manual, \"man quintara\")."},
    };
    const QString folder = QStringLiteral("/d/SEAT-LAB-A");
    // The folder on a line of its own, as in messages 46, 48 and 54.
    const QString line = QStringLiteral("\r\n/d/SEAT-LAB-A\r\n");
    for (const auto& row : rows) {
        EXPECT_EQ(Text(53, row.language, {folder, 1}),
                  QString::fromUtf8(row.start) + QString::fromUtf8(row.one) + line + QString::fromUtf8(row.endOfOne))
            << row.language;
        EXPECT_EQ(Text(53, row.language, {folder, 1200}),
                  QString::fromUtf8(row.start) + QString::fromUtf8(row.many) + line + QString::fromUtf8(row.end))
            << row.language;
    }
    EXPECT_EQ(ComposeMessage(53, {folder, 1}, 2).Style(), IconExclamation + ButtonsOK + DefaultFirst + 65536);
}

TEST_F(MessageTest, ShowMessageGoesThroughThePresenterKeepsTheAnswerAndRestoresThePointer)
{
    Language = 1;
    EXPECT_EQ(ShowMessage(3), AnswerOK);
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("Falsches Passwort."));

    // Enter on a box whose default is the second button answers No.
    EXPECT_EQ(ShowMessage(23, {QString(), QStringLiteral("1234"), QStringLiteral("1235")}), AnswerNo);
    EXPECT_EQ(ShowMessage(16), AnswerYes);
    presenter_.Answer(AnswerNo);
    EXPECT_EQ(ShowMessage(36), AnswerNo);
    EXPECT_EQ(MsgResult, AnswerNo);

    // The box shows the normal pointer, and the hourglass comes back.
    SetMousePointer(PointerHourglass);
    ShowMessage(15);
    EXPECT_EQ(presenter_.PointerWhileShown.back(), PointerDefault);
    EXPECT_EQ(MousePointer(), PointerHourglass);
}

} // namespace
