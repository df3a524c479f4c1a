#include "foundation/modMessage.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "platform/Conversions.h"
#include "platform/MousePointer.h"

#include <QStringList>

#include <array>
#include <map>

namespace {

// One row of the catalogue. The texts are templates: {0}, {1}, {2} stand for
// the arguments as plain text, {n0} for argument 0 formatted "#,##0", {min}
// and {max} for the bounds of an accepted test result. {0?one|many} is the
// text "one" where argument 0 is a count the language reads as one (1; in
// French 0 too), else "many" (also where it is no number): the words a
// count governs agree with it wherever they stand in the sentence (a noun,
// an adjective after it, a verb in the next sentence).
struct MessageEntry {
    int16_t Icon;
    int16_t Buttons;
    int16_t DefaultButton;
    std::array<const char*, 5> Texts;   // German, English, French, Italian, Spanish
    const char* Slot6;                  // the whole text of language 6
};

// Messages 1 and 4 show all five languages at once, whatever the setting.
const std::array<const char*, 5> Message1Lines = {
    "QUINTARA III läuft bereits auf dem Computer.",
    "QUINTARA III is already running on the computer.",
    "QUINTARA III est déjà en cours d'exécution.",
    "QUINTARA III è già sul piano di lavoro.",
    "QUINTARA III està ya accionado.",
};

const std::array<const char*, 5> Message4Lines = {
    "Das Dezimaltrennzeichen muss in der Systemsteuerung auf den Dezimalpunkt ('{0}') gesetzt werden.",
    "The decimal separator has to be set to the deciam point ('{0}') in the control panels.",
    "Choisir le point ('{0}') comme signe de séparation décimale dans le système de commande.",
    "Il segno di separazione nel sistema di comando, deve essere un punto ('{0}').",
    "En el sistema de comando, definir la separación decimal con un punto ('{0}').",
};

// Message 50 is shown before the settings, and so the language, are read:
// all five languages, then the folder and the system's reason below them.
const std::array<const char*, 5> Message50Lines = {
    "Das Programmverzeichnis kann nicht angelegt oder beschrieben werden. QUINTARA III wird beendet.",
    "The program folder cannot be created or written. QUINTARA III ends.",
    "Le répertoire du programme ne peut pas être créé ni écrit. QUINTARA III se termine.",
    "La cartella del programma non può essere creata né scritta. QUINTARA III termina.",
    "No se puede crear ni escribir la carpeta del programa. QUINTARA III termina.",
};

const std::map<int16_t, MessageEntry>& Catalogue()
{
    static const std::map<int16_t, MessageEntry> table = {
        {3, {IconCritical, ButtonsOK, DefaultFirst,
             {"Falsches Passwort.",
              "Wrong password.",
              "Mot de passe incorrect.",
              "Codice errato.",
              "Santo y seña incorrecto."},
             "."}},
        {5, {IconExclamation, ButtonsOK, DefaultFirst,
             {"Ungültige Konfiguration.",
              "Invalid configuration.",
              "Configuration non valable.",
              "Configurazione non valida.",
              "Configuración no válida."},
             "."}},
        {6, {IconExclamation, ButtonsOK, DefaultFirst,
             {"Ungültige Eingabe.",
              "Invalid entry.",
              "Saisie non valable.",
              "Immissione non valida.",
              "Entrada no válida."},
             "."}},
        {7, {IconInformation, ButtonsOK, DefaultFirst,
             {"Dieser Eintrag ist bereits vorhanden.",
              "Duplicate entry.",
              "Cette entrée existe déjà.",
              "Questa voce esiste già.",
              "Esta entrada ya existe."},
             "."}},
        {8, {IconQuestion, ButtonsYesNo, DefaultFirst,
             {"Ihre Eingabe enthält einen 'JOKER' ('*', '?'), der in der Langzeitauswertung eine besondere "
              "Bedeutung hat und deshalb nicht verwendet werden sollte. Trotzdem verwenden?",
              "Your entry comprises a 'JOKER' ('*', '?') which has a special meaning in the long-term analysis "
              "and should therefore not be used. Use anyway?",
              "Votre saisie contient un 'JOKER' ('*', '?') qui a une signification particulière dans "
              "l'évaluation de longue durée et ne devrait donc pas être utilisé. L'utiliser quand même?",
              "L'immissione contiene un 'JOKER' ('*', '?') che ha un significato particolare nella valutazione "
              "di lunga durata e quindi non dovrebbe essere utilizzato. Utilizzare comunque?",
              "Su entrada contiene un 'JOKER' ('*', '?') que tiene un significado especial en la evaluación "
              "de larga duración y por eso no debería utilizarse. ¿Utilizar de todos modos?"},
             "?"}},
        {9, {IconInformation, ButtonsOK, DefaultFirst,
             {"Die Liste kann höchstens {n0} Einträge aufnehmen.",
              "The list can hold a maximum of {n0} entries.",
              "La liste peut contenir au maximum {n0} entrées.",
              "La lista può contenere al massimo {n0} voci.",
              "La lista puede contener como máximo {n0} entradas."},
             "{n0}."}},
        {10, {IconCritical, ButtonsOK, DefaultFirst,
              {"Laufwerk nicht verfügbar!",
               "Drive not available!",
               "Lecteur non disponible!",
               "Unità non disponibile!",
               "¡Unidad no disponible!"},
              "."}},
        {11, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Pro Formular sind höchstens {n0} Eigenschaften möglich!",
               "There is a maximum of {n0} properties per form!",
               "Un formulaire peut contenir au maximum {n0} propriétés!",
               "Un modulo può contenere al massimo {n0} proprietà!",
               "¡Un formulario puede contener como máximo {n0} propiedades!"},
              "!"}},
        {12, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Pro Artikel sind höchstens {n0} Formulare möglich!",
               "There is a maximum of {n0} forms per style!",
               "Un article peut avoir au maximum {n0} formulaires!",
               "Un articolo può avere al massimo {n0} moduli!",
               "¡Un artículo puede tener como máximo {n0} formularios!"},
              "!"}},
        {13, {IconCritical, ButtonsOK, DefaultFirst,
              {"Die gewählte Datenschnittstelle ist nicht verfügbar. Bitte wählen Sie eine andere!",
               "The selected data port is not available. Please select another one!",
               "Le port de données choisi n'est pas disponible. Veuillez en choisir un autre!",
               "La porta dati scelta non è disponibile. Sceglierne un'altra, per favore!",
               "El puerto de datos seleccionado no está disponible. ¡Por favor, seleccione otro!"},
              "."}},
        {14, {IconCritical, ButtonsOK, DefaultFirst,
              {"Ungültige Daten vom Instrument empfangen!\r\n({0})",
               "Invalid data received from instrument!\r\n({0})",
               "Données non valables reçues de l'instrument!\r\n({0})",
               "Ricevuti dati non validi dallo strumento!\r\n({0})",
               "¡Datos no válidos recibidos del aparato!\r\n({0})"},
              "!\r\n({0})"}},
        {15, {IconCritical, ButtonsOK, DefaultFirst,
              {"Keine Daten vom Instrument empfangen!",
               "No data received from instrument!",
               "Aucune donnée reçue de l'instrument!",
               "Nessun dato ricevuto dallo strumento!",
               "¡Ningún dato recibido del aparato!"},
              "!"}},
        {16, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Das vorliegende Messresultat wurde bereits übertragen. Nochmals lesen?",
               "The present test result has already been transmitted. Read again?",
               "Le résultat de mesure actuel a déjà été transmis. Le relire?",
               "Il risultato di misura attuale è già stato trasmesso. Leggere di nuovo?",
               "El resultado de medida actual ya ha sido transmitido. ¿Leer de nuevo?"},
              "?"}},
        {17, {IconCritical, ButtonsOK, DefaultFirst,
              {"Es ist kein Standarddrucker definiert!",
               "There is no default printer defined!",
               "Aucune imprimante par défaut n'est définie!",
               "Non è definita nessuna stampante predefinita!",
               "¡No hay ninguna impresora predeterminada definida!"},
              "!"}},
        {18, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Es ist kein Instrument angeschlossen, das diese Eigenschaft messen kann!",
               "There is no instrument connected to measure this property!",
               "Aucun instrument pour mesurer cette propriété n'est raccordé!",
               "Non è collegato nessuno strumento per misurare questa proprietà!",
               "¡No hay ningún aparato conectado para medir esta propiedad!"},
              "!"}},
        {19, {IconCritical, ButtonsOK, DefaultFirst,
              {"Das empfangene Messresultat stammt vom falschen Instrument!",
               "The test result received comes from the wrong instrument!",
               "Le résultat de mesure reçu provient du mauvais instrument!",
               "Il risultato di misura ricevuto proviene dallo strumento sbagliato!",
               "¡El resultado de medida recibido proviene del aparato equivocado!"},
              "!"}},
        {20, {IconCritical, ButtonsOK, DefaultFirst,
              {"Das Instrument lieferte eine falsche Instrumentenkennung:\r\n{1} statt {2}.\r\n\r\n"
               "Das Messresultat kann nicht gelesen werden!",
               "The instrument supplied an erroraneous instrument identification:\r\n{1} instead of {2}.\r\n\r\n"
               "The test result cannot be read!",
               "L'instrument a fourni une identification erronée:\r\n{1} au lieu de {2}.\r\n\r\n"
               "Le résultat de mesure ne peut pas être lu!",
               "Lo strumento ha fornito un'identificazione errata:\r\n{1} invece di {2}.\r\n\r\n"
               "Il risultato di misura non può essere letto!",
               "El aparato ha suministrado una identificación errónea:\r\n{1} en lugar de {2}.\r\n\r\n"
               "¡El resultado de medida no se puede leer!"},
              "!"}},
        {21, {IconCritical, ButtonsOK, DefaultFirst,
              {"Das Instrument ist auf eine falsche Eigenschaft eingestellt.\r\n\r\n"
               "Das Messresultat kann nicht gelesen werden!",
               "The instrument is set to measure a wrong property.\r\n\r\n"
               "The test result cannot be read!",
               "L'instrument est réglé pour mesurer une mauvaise propriété.\r\n\r\n"
               "Le résultat de mesure ne peut pas être lu!",
               "Lo strumento è impostato per misurare una proprietà sbagliata.\r\n\r\n"
               "Il risultato di misura non può essere letto!",
               "El aparato está ajustado para medir una propiedad equivocada.\r\n\r\n"
               "¡El resultado de medida no se puede leer!"},
              "!"}},
        {22, {IconCritical, ButtonsOK, DefaultFirst,
              {"Das Instrument ist auf eine falsche Masseinheit eingestellt:\r\n{1} statt {2}.\r\n\r\n"
               "Das Messresultat kann nicht gelesen werden!",
               "The instrument is set to a wrong unit of measurement:\r\n{1} instead of {2}.\r\n\r\n"
               "The test result cannot be read!",
               "L'instrument est réglé sur une mauvaise unité de mesure:\r\n{1} au lieu de {2}.\r\n\r\n"
               "Le résultat de mesure ne peut pas être lu!",
               "Lo strumento è impostato su un'unità di misura sbagliata:\r\n{1} invece di {2}.\r\n\r\n"
               "Il risultato di misura non può essere letto!",
               "El aparato está ajustado a una unidad de medida equivocada:\r\n{1} en lugar de {2}.\r\n\r\n"
               "¡El resultado de medida no se puede leer!"},
              "!"}},
        {23, {IconQuestion, ButtonsYesNo, DefaultSecond,
              {"Das Instrument lieferte eine falsche Seriennummer:\r\n{1} statt {2}.\r\n\r\n"
               "Trotzdem übernehmen?",
               "The instrument supplied an erroraneous serial number:\r\n{1} instead of {2}.\r\n\r\n"
               "Accept anyway?",
               "L'instrument a fourni un numéro de série erroné:\r\n{1} au lieu de {2}.\r\n\r\n"
               "Accepter quand même?",
               "Lo strumento ha fornito un numero di serie errato:\r\n{1} invece di {2}.\r\n\r\n"
               "Accettare comunque?",
               "El aparato ha suministrado un número de serie erróneo:\r\n{1} en lugar de {2}.\r\n\r\n"
               "¿Aceptar de todos modos?"},
              "?"}},
        {24, {IconCritical, ButtonsOK, DefaultFirst,
              {"Das Instrument ist auf einen falschen Prüfparameter eingestellt:\r\n{0} {1} statt {2}.\r\n\r\n"
               "Das Messresultat kann nicht gelesen werden!",
               "The instrument is set to a wrong test parameter:\r\n{0} {1} instead of {2}.\r\n\r\n"
               "The test result cannot be read!",
               "L'instrument est réglé sur un mauvais paramètre de mesure:\r\n{0} {1} au lieu de {2}.\r\n\r\n"
               "Le résultat de mesure ne peut pas être lu!",
               "Lo strumento è impostato su un parametro di misura sbagliato:\r\n{0} {1} invece di {2}.\r\n\r\n"
               "Il risultato di misura non può essere letto!",
               "El aparato está ajustado a un parámetro de medida equivocado:\r\n{0} {1} en lugar de {2}.\r\n\r\n"
               "¡El resultado de medida no se puede leer!"},
              "!"}},
        {25, {IconQuestion, ButtonsYesNo, DefaultSecond,
              {"Das Instrument ist auf einen falschen Prüfparameter eingestellt:\r\n{0} {1} statt {2}.\r\n\r\n"
               "Trotzdem übernehmen?",
               "The instrument is set to a wrong test parameter:\r\n{0} {1} instead of {2}.\r\n\r\n"
               "Accept anyway?",
               "L'instrument est réglé sur un mauvais paramètre de mesure:\r\n{0} {1} au lieu de {2}.\r\n\r\n"
               "Accepter quand même?",
               "Lo strumento è impostato su un parametro di misura sbagliato:\r\n{0} {1} invece di {2}.\r\n\r\n"
               "Accettare comunque?",
               "El aparato está ajustado a un parámetro de medida equivocado:\r\n{0} {1} en lugar de {2}.\r\n\r\n"
               "¿Aceptar de todos modos?"},
              "?"}},
        {26, {IconCritical, ButtonsOK, DefaultFirst,
              {"Das Messresultat liegt ausserhalb des zulässigen Bereichs ({min} - {max})!",
               "The test result lies outside of the allowed range ({min} - {max})!",
               "Le résultat de mesure est en dehors de la plage admise ({min} - {max})!",
               "Il risultato di misura è fuori dal campo ammesso ({min} - {max})!",
               "¡El resultado de medida está fuera del rango admitido ({min} - {max})!"},
              "!"}},
        {27, {IconQuestion, ButtonsYesNo, DefaultSecond,
              {"Die Messresultate werden nicht gedruckt. Trotzdem drucken?",
               "The test results will not be printed. Print anyway?",
               "Les résultats de mesure ne seront pas imprimés. Imprimer quand même?",
               "I risultati di misura non verranno stampati. Stampare comunque?",
               "Los resultados de medida no se imprimirán. ¿Imprimir de todos modos?"},
              "."}},
        {28, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Die Messresultate werden nicht gespeichert. Trotzdem speichern?",
               "The test results will not be saved. Save anyway?",
               "Les résultats de mesure ne seront pas enregistrés. Enregistrer quand même?",
               "I risultati di misura non verranno memorizzati. Memorizzare comunque?",
               "Los resultados de medida no se guardarán. ¿Guardar de todos modos?"},
              "."}},
        {30, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Sind Sie sicher?",
               "Are you sure?",
               "Êtes-vous sûr?",
               "È sicuro?",
               "¿Está seguro?"},
              "!"}},
        {31, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Beim Schreiben der Datei ist ein Fehler aufgetreten. Stellen Sie sicher, dass auf dem "
               "Datenträger genügend Platz vorhanden ist.\r\nNochmals versuchen?",
               "An error occurred while writing the file. Ensure that there is enough space on the disk."
               "\r\nTry again?",
               "Une erreur s'est produite lors de l'écriture du fichier. Assurez-vous qu'il y a assez de "
               "place sur le disque.\r\nRéessayer?",
               "Si è verificato un errore durante la scrittura del file. Assicurarsi che ci sia abbastanza "
               "spazio sul disco.\r\nRiprovare?",
               "Se ha producido un error al escribir el fichero. Asegúrese de que haya suficiente espacio "
               "en el disco.\r\n¿Intentar de nuevo?"},
              "?"}},
        {32, {IconCritical, ButtonsOK, DefaultFirst,
              {"Beim Lesen der Datei ist ein Fehler aufgetreten!",
               "An error occurred while reading the file!",
               "Une erreur s'est produite lors de la lecture du fichier!",
               "Si è verificato un errore durante la lettura del file!",
               "¡Se ha producido un error al leer el fichero!"},
              "!"}},
        {33, {IconInformation, ButtonsOK, DefaultFirst,
              {"Keine passenden Daten gefunden!",
               "No matching data found!",
               "Aucune donnée correspondante trouvée!",
               "Nessun dato corrispondente trovato!",
               "¡No se han encontrado datos correspondientes!"},
              "!"}},
        {34, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Es sind noch {n0} unvollendete Messreihen offen. Programm beenden und die Messreihen "
               "später abschliessen?",
               "There are {n0} unfinished test series left. End the application and finish the test "
               "series later?",
               "Il reste {n0} séries de mesures inachevées. Terminer le logiciel et finir les séries de "
               "mesures plus tard?",
               "Restano {n0} serie di misure non terminate. Terminare il programma e completare le serie "
               "di misure più tardi?",
               "Quedan {n0} series de medidas sin terminar. ¿Terminar el programa y completar las series "
               "de medidas más tarde?"},
              "!"}},
        {35, {IconInformation, ButtonsOK, DefaultFirst,
              {"Für dieses Messresultat sind keine Kurvendaten vorhanden.",
               "No curve data available for this test result.",
               "Aucune donnée de courbe n'est disponible pour ce résultat de mesure.",
               "Per questo risultato di misura non sono disponibili dati della curva.",
               "No hay datos de curva disponibles para este resultado de medida."},
              "!"}},
        {36, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Die vorgegebene Anzahl Messungen ist erreicht. Messreihe beenden?",
               "The preset number of tests has been reached. Terminate test series?",
               "Le nombre de mesures prévu est atteint. Terminer la série de mesures?",
               "Il numero di misure previsto è stato raggiunto. Terminare la serie di misure?",
               "Se ha alcanzado el número de medidas previsto. ¿Terminar la serie de medidas?"},
              "?"}},
        {37, {IconQuestion, ButtonsYesNo, DefaultFirst,
              {"Der vorgegebene Vertrauensbereich ist erreicht. Messreihe beenden?",
               "The preset confidence interval has been reached. Terminate test series?",
               "L'intervalle de confiance prévu est atteint. Terminer la série de mesures?",
               "L'intervallo di confidenza previsto è stato raggiunto. Terminare la serie di misure?",
               "Se ha alcanzado el intervalo de confianza previsto. ¿Terminar la serie de medidas?"},
              "?"}},
        {38, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Dieses Formular kann nicht gelöscht werden, weil es mit einem Artikel verknüpft ist!",
               "This form cannot be deleted because it is linked to a style!",
               "Ce formulaire ne peut pas être effacé, car il est lié à un article!",
               "Questo modulo non può essere cancellato, perché è collegato a un articolo!",
               "¡Este formulario no se puede eliminar porque está vinculado a un artículo!"},
              "!"}},
        {39, {IconInformation, ButtonsOK, DefaultFirst,
              {"Anzahl importierter Dateien:\t{n0}\r\nAnzahl importierter Artikel:\t{n1}",
               "Number of imported files:\t{n0}\r\nNumber of imported styles:\t{n1}",
               "Nombre de fichiers repris:\t{n0}\r\nNombre d'articles repris:\t{n1}",
               "Numero di file ripresi:\t{n0}\r\nNumero di articoli ripresi:\t{n1}",
               "Número de ficheros importados:\t{n0}\r\nNúmero de artículos importados:\t{n1}"},
              "."}},
        // A stored report that the trash would not take.
        {40, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Das Prüfprotokoll konnte nicht gelöscht werden.",
               "The test report could not be deleted.",
               "Le protocole d'essai n'a pas pu être effacé.",
               "Non è stato possibile cancellare il protocollo di prova.",
               "No se ha podido eliminar el informe del ensayo."},
              "."}},
        // After message 39: the reports of an import that could not be
        // written or moved (a full disk).
        {41, {IconCritical, ButtonsOK, DefaultFirst,
              {"Anzahl nicht importierter Dateien:\t{n0}\r\nBeim Schreiben der Datei ist ein Fehler aufgetreten. "
               "Stellen Sie sicher, dass auf dem Datenträger genügend Platz vorhanden ist.",
               "Number of files not imported:\t{n0}\r\nAn error occurred while writing the file. Ensure that there "
               "is enough space on the disk.",
               "Nombre de fichiers non repris:\t{n0}\r\nUne erreur s'est produite lors de l'écriture du fichier. "
               "Assurez-vous qu'il y a assez de place sur le disque.",
               "Numero di file non ripresi:\t{n0}\r\nSi è verificato un errore durante la scrittura del file. "
               "Assicurarsi che ci sia abbastanza spazio sul disco.",
               "Número de ficheros no importados:\t{n0}\r\nSe ha producido un error al escribir el fichero. "
               "Asegúrese de que haya suficiente espacio en el disco."},
              "!"}},
        // Message 41 without its sentence about room on the disk: the
        // reports could not be written or moved for another reason (a
        // read-only source folder).
        {42, {IconCritical, ButtonsOK, DefaultFirst,
              {"Anzahl nicht importierter Dateien:\t{n0}",
               "Number of files not imported:\t{n0}",
               "Nombre de fichiers non repris:\t{n0}",
               "Numero di file non ripresi:\t{n0}",
               "Número de ficheros no importados:\t{n0}"},
              "!"}},
        // After No to message 31 at the end of an import: the styles it
        // added are lost if the program cannot save the settings before it
        // ends.
        {43, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Die importierten Artikel bleiben nur im Arbeitsspeicher, bis die Einstellungen gespeichert "
               "werden können.",
               "The imported styles are kept in memory only until the settings can be saved.",
               "Les articles repris ne sont gardés qu'en mémoire jusqu'à ce que les réglages puissent être "
               "enregistrés.",
               "Gli articoli ripresi restano solo in memoria finché le impostazioni non potranno essere salvate.",
               "Los artículos importados se conservan solo en memoria hasta que se pueda guardar la "
               "configuración."},
              "."}},
        // After No to message 31 when a dialog's change could not be saved:
        // the change holds for this run only, unless a later save gets it
        // into the file.
        {44, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Die Änderung bleibt nur im Arbeitsspeicher, bis die Einstellungen gespeichert werden können.",
               "The change is kept in memory only until the settings can be saved.",
               "La modification n'est gardée qu'en mémoire jusqu'à ce que les réglages puissent être "
               "enregistrés.",
               "La modifica resta solo in memoria finché le impostazioni non potranno essere salvate.",
               "El cambio se conserva solo en memoria hasta que se pueda guardar la configuración."},
              "."}},
        // Before a stored report is written back or deleted: its file no
        // longer holds what the window read (another seat on the data
        // folder changed or deleted it). No is the default: nothing of the
        // other seat's is replaced by a hasty Enter.
        {45, {IconQuestion, ButtonsYesNo, DefaultSecond,
              {"Das Prüfprotokoll wurde geändert oder gelöscht, nachdem es hier geöffnet wurde.\r\n"
               "Trotzdem fortfahren?",
               "The test report was changed or deleted after it was opened here.\r\nContinue anyway?",
               "Le protocole d'essai a été modifié ou effacé après avoir été ouvert ici.\r\n"
               "Continuer quand même?",
               "Il protocollo di prova è stato modificato o cancellato dopo essere stato aperto qui.\r\n"
               "Continuare comunque?",
               "El informe del ensayo ha sido modificado o eliminado después de abrirse aquí.\r\n"
               "¿Continuar de todos modos?"},
              "?"}},
        // The data folder could not be reached while series were to be
        // written: the program folder now stands in for it, and the
        // settings name it. {0} is the data folder, {1} the program folder:
        // the operator learns where the series are now and how the data
        // folder comes back.
        {46, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Das Datenverzeichnis ist nicht erreichbar:\r\n{0}\r\n"
               "Bis es wieder gewählt wird, wird das Programmverzeichnis als Datenverzeichnis verwendet:\r\n{1}\r\n"
               "Liegt das Datenverzeichnis auf einem Netzlaufwerk, bitten Sie den Administrator, es wieder "
               "bereitzustellen. Sobald es erreichbar ist, wählen Sie es in den Dateneinstellungen wieder.",
               "The data folder cannot be reached:\r\n{0}\r\n"
               "Until it is chosen again, the program folder is used as the data folder:\r\n{1}\r\n"
               "If the data folder lies on a network share, ask the administrator to make it available again. "
               "Once it can be reached, choose it again in the data settings.",
               "Le répertoire des données n'est pas accessible :\r\n{0}\r\n"
               "Jusqu'à ce qu'il soit choisi de nouveau, le répertoire du programme est utilisé comme répertoire "
               "des données :\r\n{1}\r\n"
               "Si le répertoire des données se trouve sur un partage réseau, demandez à l'administrateur de le "
               "rendre de nouveau disponible. Dès qu'il est accessible, choisissez-le de nouveau dans les "
               "réglages pour les données.",
               "La cartella dei dati non è raggiungibile:\r\n{0}\r\n"
               "Finché non viene scelta di nuovo, la cartella del programma viene usata come cartella dei "
               "dati:\r\n{1}\r\n"
               "Se la cartella dei dati si trova su una condivisione di rete, chiedere all'amministratore di "
               "renderla di nuovo disponibile. Appena è raggiungibile, sceglierla di nuovo nella definizione "
               "dei dati.",
               "No se puede acceder a la carpeta de datos:\r\n{0}\r\n"
               "Hasta que se elija de nuevo, se usa la carpeta del programa como carpeta de datos:\r\n{1}\r\n"
               "Si la carpeta de datos está en un recurso compartido de red, pida al administrador que vuelva "
               "a ponerla a disposición. En cuanto se pueda acceder a ella, elíjala de nuevo en la definición "
               "de los datos."},
              "."}},
        // The data settings refuse a folder in which this installation runs
        // already, from another PC (its program folder copied there).
        {47, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Diese Installation läuft bereits auf einem anderen Computer mit diesem Datenverzeichnis. "
               "Bitte wählen Sie ein anderes Verzeichnis.",
               "This installation is already running with this data folder on another computer. "
               "Please select another folder.",
               "Cette installation est déjà en cours d'exécution avec ce répertoire de données sur un autre "
               "ordinateur. Veuillez choisir un autre répertoire.",
               "Questa installazione è già in esecuzione con questa cartella dati su un altro computer. "
               "Selezionare un'altra cartella.",
               "Esta instalación ya está funcionando con esta carpeta de datos en otro ordenador. "
               "Seleccione otra carpeta."},
              "!"}},
        // The data folder the program folder stood in for can be reached
        // again: what was written meanwhile lies in the program folder,
        // where no other seat's search finds it, and the operator decides
        // whether the data folder is used again. {0} and {1} are the counts
        // of reports and DFQ files, {2} the program folder, {3}
        // the data folder. No is the default: a share that has just come
        // back may drop again, and Enter leaves everything where it is.
        {48, {IconQuestion, ButtonsYesNo, DefaultSecond,
              {"Das Datenverzeichnis ist wieder erreichbar:\r\n{3}\r\nSolange das Programmverzeichnis verwendet "
               "wurde, wurden {0} {0?Prüfprotokoll|Prüfprotokolle} und {1} {1?DFQ-Datei|DFQ-Dateien} dort gespeichert:\r\n{2}\r\nSoll das Datenverzeichnis wieder "
               "verwendet werden?",
               "The data folder can be reached again:\r\n{3}\r\nWhile the program folder was used, {0} "
               "{0?test report|test reports} and {1} {1?DFQ file|DFQ files} were saved there:\r\n{2}\r\nUse the data folder again?",
               "Le répertoire des données est de nouveau accessible :\r\n{3}\r\nPendant que le répertoire du "
               "programme était utilisé, {0} {0?protocole d'essai|protocoles d'essai} et {1} "
               "{1?fichier DFQ|fichiers DFQ} y ont été enregistrés :\r\n{2}\r\nUtiliser de nouveau le "
               "répertoire des données ?",
               "La cartella dei dati è di nuovo raggiungibile:\r\n{3}\r\nMentre veniva usata la cartella del "
               "programma, vi sono stati salvati {0} "
               "{0?protocollo di prova|protocolli di prova} e {1} file DFQ:\r\n{2}\r\nUsare di nuovo la cartella dei dati?",
               "Se puede volver a acceder a la carpeta de datos:\r\n{3}\r\nMientras se usaba la carpeta del "
               "programa, se guardaron allí {0} "
               "{0?informe de ensayo|informes de ensayo} y {1} {1?archivo DFQ|archivos DFQ}:\r\n{2}\r\n¿Volver a usar la carpeta de datos?"},
              "?"}},
        // After message 13, when the port's device is one the user may not
        // open: the mend is the device's group, which takes a new login.
        {51, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Der Benutzer darf das Gerät {0} nicht öffnen. Er muss dazu Mitglied der Gruppe {1} sein und "
               "sich danach neu anmelden.",
               "The user may not open the device {0}. The user must be a member of the group {1} and then "
               "log in again.",
               "L'utilisateur n'a pas le droit d'ouvrir le périphérique {0}. Il doit être membre du groupe {1} "
               "puis se reconnecter.",
               "L'utente non può aprire il dispositivo {0}. Deve essere membro del gruppo {1} e poi accedere "
               "di nuovo.",
               "El usuario no puede abrir el dispositivo {0}. Debe ser miembro del grupo {1} y luego volver a "
               "iniciar sesión."},
              "."}},
        // The data folder lies on a share mounted through FUSE (sshfs,
        // smbnetfs, gvfs, rclone), whose locks hold only for the programs
        // that reach it through one mount, and whose exclusive creates are
        // not exclusive between two mounts: neither a second run of this
        // installation nor two files made under one name are kept out. The
        // operator cannot mend it; the administrator can.
        {52, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Das Datenverzeichnis liegt auf einer über FUSE eingebundenen Freigabe (sshfs, smbnetfs, gvfs, "
               "rclone). Eine solche Einbindung behält ihre Sperren für sich und legt neue Dateien nicht exklusiv "
               "an: Ein zweiter Lauf dieser Installation über eine andere Einbindung oder auf einem anderen "
               "Computer wird nicht abgewiesen, und zwei Installationen können Dateien unter demselben Namen "
               "schreiben. Bitte verständigen Sie den Administrator: Die Freigabe muss über den Kernel eingebunden "
               "werden (NFS, CIFS).",
               "The data folder lies on a share mounted through FUSE (sshfs, smbnetfs, gvfs, rclone). Such a "
               "mount keeps its locks to itself and does not make new files exclusively: a second run of this "
               "installation through another mount or on another computer is not kept out, and two "
               "installations may write files under one name. Please tell the administrator: the share has to be "
               "mounted through the kernel (NFS, CIFS).",
               "Le répertoire des données se trouve sur un partage monté par FUSE (sshfs, smbnetfs, gvfs, "
               "rclone). Un tel montage garde ses verrous pour lui et ne crée pas les nouveaux fichiers de façon "
               "exclusive: une deuxième exécution de cette installation par un autre montage ou sur un autre "
               "ordinateur n'est pas refusée, et deux installations peuvent écrire des fichiers sous le même nom. "
               "Veuillez prévenir l'administrateur: le partage doit être monté par le noyau (NFS, CIFS).",
               "La cartella dei dati si trova su una condivisione montata tramite FUSE (sshfs, smbnetfs, gvfs, "
               "rclone). Un tale montaggio tiene i suoi blocchi per sé e non crea i nuovi file in modo esclusivo: "
               "una seconda esecuzione di questa installazione tramite un altro montaggio o su un altro computer "
               "non viene respinta, e due installazioni possono scrivere file con lo stesso nome. Avvisare "
               "l'amministratore: la condivisione deve essere montata tramite il kernel (NFS, CIFS).",
               "La carpeta de datos está en un recurso compartido montado mediante FUSE (sshfs, smbnetfs, gvfs, "
               "rclone). Un montaje así guarda sus bloqueos para sí y no crea los ficheros nuevos de forma "
               "exclusiva: una segunda ejecución de esta instalación por otro montaje o en otro ordenador no se "
               "rechaza, y dos instalaciones pueden escribir ficheros con el mismo nombre. Avise al "
               "administrador: el recurso compartido debe montarse a través del núcleo (NFS, CIFS)."},
              "!"}},
        // A start named a new seat, the program folder's seat being another
        // machine's (a system installed anew, an id made at each boot, a
        // copied program folder), and the former seat's folder, {0}, holds
        // {1} open series this seat does not load. The folder stands on a
        // line of its own, so that no dialog breaks it at its hyphen.
        {53, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Diese Installation wurde auf einem anderen Computer oder vor einer Neuinstallation des Systems "
               "benannt (andere Maschinen-ID) und läuft jetzt als neuer Arbeitsplatz. Das Verzeichnis ihres "
               "bisherigen Arbeitsplatzes enthält {n1} offene {1?Messreihe|Messreihen}, die dieser "
               "Arbeitsplatz nicht lädt:\r\n{0}\r\nWar jener Arbeitsplatz dieser Computer, verständigen Sie "
               "bitte den Administrator: Die {1?Messreihe kann|Messreihen können} übernommen werden (siehe "
               "QUINTARA.SEAT in der Handbuchseite, \"man quintara\").",
               "This installation was named on another computer, or before the system was installed anew "
               "(another machine id), and now runs as a new seat. The folder of its former seat holds {n1} "
               "open series, which this seat does not load:\r\n{0}\r\nIf that seat was this computer, please "
               "tell the administrator: the series can be taken over (see QUINTARA.SEAT in the manual page, "
               "\"man quintara\").",
               "Cette installation a été nommée sur un autre ordinateur ou avant une réinstallation du système "
               "(autre identifiant de machine) et fonctionne désormais comme un nouveau poste. Le répertoire de "
               "son ancien poste contient {n1} {1?série de mesures ouverte|séries de mesures ouvertes}, que "
               "ce poste ne charge pas :\r\n{0}\r\nSi l'ancien poste était cet ordinateur, veuillez prévenir "
               "l'administrateur: {1?la série de mesures peut être reprise|les séries de mesures peuvent être "
               "reprises} (voir QUINTARA.SEAT dans la page de manuel, \"man quintara\").",
               "Questa installazione è stata denominata su un altro computer o prima di una reinstallazione del "
               "sistema (altro ID macchina) e ora funziona come nuova postazione. La cartella della sua "
               "postazione precedente contiene {n1} serie di misure {1?aperta|aperte}, che questa "
               "postazione non carica:\r\n{0}\r\nSe la postazione precedente era questo computer, avvisare "
               "l'amministratore: {1?la serie di misure può essere ripresa|le serie di misure possono essere "
               "riprese} (vedere QUINTARA.SEAT nella pagina di manuale, \"man quintara\").",
               "Esta instalación se nombró en otro ordenador o antes de reinstalar el sistema (otro "
               "identificador de máquina) y ahora funciona como un puesto nuevo. La carpeta de su puesto "
               "anterior contiene {n1} {1?serie de medidas abierta|series de medidas abiertas}, que este "
               "puesto no carga:\r\n{0}\r\nSi el puesto anterior era este ordenador, avise al administrador: "
               "{1?la serie de medidas se puede|las series de medidas se pueden} recuperar (véase "
               "QUINTARA.SEAT en la página de manual, \"man quintara\")."},
              "."}},
        // A DFQ file's Q-DAS folder cannot be reached: the program folder
        // takes the DFQ files until an export reaches that folder again; the
        // setting keeps naming it. {0} the Q-DAS folder, {1} the program
        // folder.
        {54, {IconExclamation, ButtonsOK, DefaultFirst,
              {"Das Q-DAS-Verzeichnis ist nicht erreichbar:\r\n{0}\r\nDie DFQ-Dateien werden im "
               "Programmverzeichnis gespeichert, bis es wieder erreichbar ist:\r\n{1}",
               "The Q-DAS folder cannot be reached:\r\n{0}\r\nThe DFQ files are saved into the program folder "
               "until it can be reached again:\r\n{1}",
               "Le répertoire Q-DAS n'est pas accessible :\r\n{0}\r\nLes fichiers DFQ sont enregistrés dans le "
               "répertoire du programme jusqu'à ce qu'il soit de nouveau accessible :\r\n{1}",
               "La cartella Q-DAS non è raggiungibile:\r\n{0}\r\nI file DFQ vengono salvati nella cartella del "
               "programma finché non sarà di nuovo raggiungibile:\r\n{1}",
               "No se puede acceder a la carpeta Q-DAS:\r\n{0}\r\nLos archivos DFQ se guardan en la carpeta del "
               "programa hasta que se pueda volver a acceder a ella:\r\n{1}"},
              "."}},
    };
    return table;
}

bool IsNumberVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// The plain text conversion of one argument.
QString PlainText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
        return CStr(value.toDouble());
    case QMetaType::Float:
        return CStr(value.toFloat());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        if (IsNumberVariant(value))
            return QString::number(value.toLongLong());
        return value.toString();
    }
}

// Argument formatted as a whole number with the locale's thousands grouping.
QString GroupedNumber(const QVariant& value)
{
    if (IsNumberVariant(value))
        return Format(value.toDouble(), QStringLiteral("#,##0"));
    const QString text = PlainText(value);
    if (IsNumeric(text))
        return Format(CDbl(text), QStringLiteral("#,##0"));
    return text;
}

// Whether the argument is a count the language (1 to 5) reads as one.
// French takes the singular for none as well.
bool ReadsAsOne(const QVariant& count, int16_t language)
{
    if (!IsNumberVariant(count))
        return false;
    const long long n = count.toLongLong();
    return n == 1 || (language == 3 && n == 0);
}

// The template with its tokens replaced (see MessageEntry); language picks
// the form of {k?one|many}.
QString Expand(const char* pattern, const QVariantList& arguments, int16_t language = 0)
{
    const QString source = QString::fromUtf8(pattern);
    QString result;
    qsizetype i = 0;
    while (i < source.size()) {
        const QChar c = source.at(i);
        if (c == u'{') {
            const qsizetype end = source.indexOf(u'}', i);
            if (end > i) {
                const QString token = source.mid(i + 1, end - i - 1);
                if (token == QStringLiteral("min")) {
                    result += CStr(0.0001f);
                } else if (token == QStringLiteral("max")) {
                    result += CStr(999999.0f);
                } else if (const qsizetype choice = token.indexOf(u'?'); choice > 0) {
                    const int index = token.left(choice).toInt();
                    const QStringList forms = token.mid(choice + 1).split(u'|');
                    const bool one = index >= 0 && index < arguments.size() && ReadsAsOne(arguments.at(index), language);
                    result += one ? forms.value(0) : forms.value(forms.size() - 1);
                } else {
                    const bool grouped = token.startsWith(u'n');
                    const int index = (grouped ? token.mid(1) : token).toInt();
                    // A caller that passed fewer arguments gets empty texts.
                    if (index >= 0 && index < arguments.size())
                        result += grouped ? GroupedNumber(arguments.at(index)) : PlainText(arguments.at(index));
                }
                i = end + 1;
                continue;
            }
        }
        result += c;
        ++i;
    }
    return result;
}

// Yes and No in the languages 1 to 5.
const std::array<const char*, 5> YesCaptions = {"&Ja", "&Yes", "&Oui", "&Sì", "&Sí"};
const std::array<const char*, 5> NoCaptions = {"&Nein", "&No", "&Non", "&No", "&No"};

// The buttons speak the program's language. The sixth slot and unknown
// languages have no words of their own: Yes and No keep the toolkit's
// captions there, so the two buttons can still be told apart.
void SetButtonCaptions(MessageRequest& request, int16_t language)
{
    request.OKCaption = SetStandardButtonCaptions(QStringLiteral("cmdOK"), language);
    if (language >= 1 && language <= 5) {
        request.YesCaption = QString::fromUtf8(YesCaptions[static_cast<size_t>(language - 1)]);
        request.NoCaption = QString::fromUtf8(NoCaptions[static_cast<size_t>(language - 1)]);
    }
}

QString AllLanguages(const std::array<const char*, 5>& lines, const QVariantList& arguments)
{
    QString text;
    for (const char* line : lines)
        text += Expand(line, arguments) + QStringLiteral("\r\n");
    // The sixth language slot has no text: an empty line.
    text += QStringLiteral("\r\n");
    return text;
}

} // namespace

MessageRequest ComposeMessage(int16_t number, const QVariantList& arguments, int16_t language)
{
    MessageRequest request;
    request.Title = QString::fromUtf8(ProductTitle);
    request.Icon = IconCritical;
    request.Buttons = ButtonsOK;
    request.DefaultButton = DefaultFirst;
    SetButtonCaptions(request, language);

    if (number == 1) {
        request.Text = AllLanguages(Message1Lines, arguments);
        return request;
    }
    if (number == 4) {
        request.Text = AllLanguages(Message4Lines, arguments);
        return request;
    }
    if (number == 50) {
        request.Text = AllLanguages(Message50Lines, arguments) + Expand("{0}\r\n({1})", arguments);
        return request;
    }
    const auto& table = Catalogue();
    const auto found = table.find(number);
    if (found == table.end()) {
        request.Text = QStringLiteral("Unknown error (") + QString::number(number) + QStringLiteral(").");
        return request;
    }
    const MessageEntry& entry = found->second;
    request.Icon = entry.Icon;
    request.Buttons = entry.Buttons;
    request.DefaultButton = entry.DefaultButton;
    if (language >= 1 && language <= 5)
        request.Text = Expand(entry.Texts[static_cast<size_t>(language - 1)], arguments, language);
    else if (language == 6)
        request.Text = Expand(entry.Slot6, arguments, language);
    return request;
}

int16_t ShowMessage(int16_t number, const QVariantList& arguments)
{
    const MessageRequest request = ComposeMessage(number, arguments, Language);
    int16_t answer;
    {
        // The box shows the normal pointer; an hourglass of the caller comes back afterwards.
        MousePointerGuard pointer(PointerDefault);
        answer = CurrentMessagePresenter().Present(request);
    }
    MsgResult = answer;
    return answer;
}

void ShowPortNotAvailable(const SerialDeviceDenial& denial)
{
    ShowMessage(13);
    if (!denial.Device.isEmpty() && !denial.Group.isEmpty())
        ShowMessage(51, {denial.Device, denial.Group});
}
