#include "foundation/frmWelcome.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modWindow.h"
#include "platform/LoadedForms.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
frmWelcome* g_welcome = nullptr;

struct WelcomeTexts {
    const char* Welcome;
    const char* Advice;
    const char* Benefit;
};

// Language slots 1 to 5; slot 6 has no texts.
const WelcomeTexts Texts[5] = {
    {"Vielen Dank, dass Sie das Auswerteprogramm QUINTARA III gekauft haben!",
     "Bevor Sie das Programm benutzen können, müssen Sie die System- und Mess-Einstellungen nach den "
     "Abschnitten 'H' bzw. 'I' der Bedienungsanleitung eingeben.",
     "Es lohnt sich, die Einstellungen sehr sorgfältig zu wählen, denn der Nutzen des Programms hängt "
     "weitgehend von der geschickten Auswahl der Einstellungen ab."},
    {"Thank you very much for buying the Evaluation Program QUINTARA III!",
     "Prior to using the program, the system and test settings must be entered in accordance with chapters "
     "'H' and 'I' of the operating instructions.",
     "It is well worth to carefully select the settings, because proper settings greatly enhance the "
     "performance of the program."},
    {"Merci d'avoir acheté le logiciel d'évaluation QUINTARA III!",
     "Avant de pouvoir utiliser le logiciel il faut définir la configuration du système et les réglages pour "
     "les mesures, suivant les chapitres 'H' et 'I' du manuel d'utilisation.",
     "Il est important de bien choisir ces réglages, car un bon choix seul permet de vraiment profiter de "
     "toutes les capacités du logiciel."},
    {"Vi ringraziamo per l'acquisto del programma di valuazione QUINTARA III!",
     "Prima di utilizzare il programma bisogna scegliere la configurazione del sistema e le definizioni per "
     "le misure, secondo i paragrafi 'H' e 'I' del manuale di utilizzazione.",
     "La buona scelta delle definizioni è infatti molto importante, da questa scelta dipende infatti lo "
     "sfruttamento del programma."},
    {"¡Vos agradecemos sus compra del programa de evaluación QUINTARA III!",
     "Antes de utilizar el programa Usted tiene que determinar los arreglos del sistema y por las medidas, "
     "como indicado en los paragrafos 'H' y 'I' del manual de utilisación.",
     "Solo una buena selección de las definiciones permite de utilizar todas las posibilidades del "
     "programa."},
};
}

frmWelcome* frmWelcome::Instance()
{
    if (!g_welcome)
        g_welcome = new frmWelcome();
    return g_welcome;
}

bool frmWelcome::IsLoaded() { return g_welcome != nullptr; }

frmWelcome::frmWelcome()
{
    setObjectName(QStringLiteral("frmWelcome"));
    RegisterForm(this, [this] { Unload(); });
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowTitle(QString::fromUtf8(ProductTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblWelcome = new QLabel(this);
    lblWelcome->setObjectName(QStringLiteral("lblWelcome"));
    lblWelcome->setWordWrap(true);
    QFont bold = lblWelcome->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    lblWelcome->setFont(bold);
    lblWelcome->setMinimumHeight(44);
    lblWelcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblIntro = new QLabel(this);
    lblIntro->setObjectName(QStringLiteral("lblIntro"));
    lblIntro->setWordWrap(true);
    lblIntro->setMinimumHeight(90);
    lblIntro->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(96);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    auto* flags = new QHBoxLayout;
    flags->setSpacing(10);
    for (int i = 1; i <= 6; ++i) {
        auto* flag = new QLabel(this);
        flag->setObjectName(QStringLiteral("imgLanguage_%1").arg(i));
        flag->setFixedSize(32, 22);
        flag->setCursor(Qt::PointingHandCursor);
        flag->installEventFilter(this);
        imgLanguage[static_cast<size_t>(i)] = flag;
        flags->addWidget(flag);
    }
    flags->addStretch(1);
    flags->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(lblWelcome);
    layout->addWidget(lblIntro, 1);
    layout->addLayout(flags);
    setFixedSize(520, 250);

    Form_Load();
}

frmWelcome::~frmWelcome()
{
    if (g_welcome == this)
        g_welcome = nullptr;
}

void frmWelcome::Form_Load()
{
    PlaceWindow(this, nullptr);
    SetCaptions(Language);
    frmResource* resource = frmResource::Instance();
    for (size_t i = 1; i <= 6; ++i)
        imgLanguage[i]->setPixmap(resource->imgLanguage[i]);
}

void frmWelcome::SetCaptions(int16_t language)
{
    if (language >= 1 && language <= 5) {
        const WelcomeTexts& texts = Texts[language - 1];
        lblWelcome->setText(QString::fromUtf8(texts.Welcome));
        lblIntro->setText(QString::fromUtf8(texts.Advice) + QStringLiteral("\r\n") + QString::fromUtf8(texts.Benefit));
    } else {
        lblWelcome->setText(QString());
        lblIntro->setText(QString());
    }
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
}

void frmWelcome::imgLanguage_Click(int index)
{
    SetCaptions(static_cast<int16_t>(index));
    Language = static_cast<int16_t>(index);
}

void frmWelcome::cmdOK_Click() { Unload(); }

bool frmWelcome::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 1; i <= 6; ++i) {
            if (watched == imgLanguage[static_cast<size_t>(i)]) {
                imgLanguage_Click(i);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmWelcome::Unload()
{
    Form_Unload();
    done(QDialog::Accepted);
}

void frmWelcome::reject() { Unload(); }

void frmWelcome::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmWelcome::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    for (size_t i = 1; i <= 6; ++i)
        imgLanguage[i]->setPixmap(QPixmap());
    // Forget the window: the next use creates a new one.
    if (g_welcome == this)
        g_welcome = nullptr;
}
