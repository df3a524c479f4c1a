#include "storage/frmQDASSetting.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modSettings.h"
#include "platform/ModalDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

frmQDASSetting* g_instance = nullptr;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

frmQDASSetting* frmQDASSetting::Instance()
{
    if (!g_instance) {
        g_instance = new frmQDASSetting();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmQDASSetting::IsLoaded()
{
    return g_instance != nullptr;
}

int frmQDASSetting::ShowForm()
{
    return ShowModal(*Instance());
}

frmQDASSetting::frmQDASSetting()
{
    setObjectName(QStringLiteral("frmQDASSetting"));
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraPath, 1);
    layout->addLayout(buttons);
    resize(360, 360);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

frmQDASSetting::~frmQDASSetting()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmQDASSetting::Form_Load()
{
    RememberedDrive = QStringLiteral("/");
    InitForm();
}

void frmQDASSetting::InitForm()
{
    SetCaptions(Language);
    // A Q-DAS folder that cannot be reached stays the setting (the program
    // folder stands in for it only while it is away): shown as it is, OK
    // keeps it.
    SetDrive(QDASFolder, true, true);
}

void frmQDASSetting::SetCaptions(int16_t language)
{
    // The French and Italian frame captions end in a blank.
    static const char* const texts[5][2] = {
        { "Q-DAS-Einstellungen", "Q-DAS Datenverzeichnis" },
        { "Q-DAS settings", "Q-DAS data path" },
        { "Réglages Q-DAS", "Chemin d'accès Q-DAS " },
        { "Definizione Q-DAS", "Percorso Q-DAS " },
        { "Definición Q-DAS", "Ruta de los datos Q-DAS" },
    };
    const bool known = language >= 1 && language <= 5;
    setWindowTitle(known ? U(texts[language - 1][0]) : QString());
    fraPath->setTitle(known ? U(texts[language - 1][1]) : QString());
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmQDASSetting::cmdOK_Click()
{
    if (!ShownFolderIsStorable())
        return;
    QDASFolder = dirDirectory->Path();
    SaveSettingsTelling();
    accept();
}

void frmQDASSetting::Form_Unload()
{
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
