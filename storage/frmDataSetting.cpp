#include "storage/frmDataSetting.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "instrument/modCommunication.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/SerialDevices.h"
#include "storage/frmFileProgress.h"

#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <memory>

namespace {

frmDataSetting* g_instance = nullptr;
frmDataSetting::FolderMove g_folderMove;
std::function<bool(const QString& folder)> g_folderClaim;
std::function<QString(const QString& shown)> g_folderBack;
// The port the last OK told cannot be opened (0 for none).
int16_t g_portToldRefused = 0;
constexpr int16_t MsgWriteError = 31;
constexpr int16_t MsgSeatRunsThere = 47;
constexpr int16_t DefaultPort = 2;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

frmDataSetting* frmDataSetting::Instance()
{
    if (!g_instance) {
        g_instance = new frmDataSetting();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmDataSetting::IsLoaded()
{
    return g_instance != nullptr;
}

int frmDataSetting::ShowForm()
{
    return ShowModal(*Instance());
}

frmDataSetting::frmDataSetting()
{
    setObjectName(QStringLiteral("frmDataSetting"));
    fraPort = new QGroupBox(this);
    fraPort->setObjectName(QStringLiteral("fraPort"));
    auto* ports = new QGridLayout(fraPort);
    for (int n = 1; n <= 8; ++n) {
        auto* button = new QRadioButton(QStringLiteral("COM &%1").arg(n), fraPort);
        button->setObjectName(QStringLiteral("optPort%1").arg(n));
        button->installEventFilter(this);
        ports->addWidget(button, (n - 1) % 4, (n - 1) / 4);
        optPort[static_cast<size_t>(n)] = button;
    }

    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraPort);
    layout->addWidget(fraPath, 1);
    layout->addLayout(buttons);
    resize(360, 420);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

frmDataSetting::~frmDataSetting()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmDataSetting::Form_Load()
{
    g_portToldRefused = 0;
    RememberedDrive = QStringLiteral("/");
    InitForm();
}

void frmDataSetting::InitForm()
{
    MousePointerGuard hourglass(PointerHourglass);
    SetCaptions(Language);
    ProbePorts();
    const int16_t port = IsBetween(ComPort, 1, 8) ? ComPort : DefaultPort;
    optPort[static_cast<size_t>(port)]->setChecked(true);
    SetDrive(DataFolder);
}

void frmDataSetting::ProbePorts()
{
    for (int16_t n = 1; n <= 8; ++n) {
        QRadioButton* button = optPort[static_cast<size_t>(n)];
        button->setEnabled(commProbe(n));
        m_denied[static_cast<size_t>(n)] = commDeniedDevice();
        button->setToolTip(SerialDeviceForPort(n));
    }
}

void frmDataSetting::SetCaptions(int16_t language)
{
    static const char* const texts[5][3] = {
        { "Dateneinstellungen", "Schnittstelle", "Datenverzeichnis" },
        { "Data settings", "Data port", "Data path" },
        { "Réglages pour les données", "Jonction", "Chemin d'accès" },
        { "Definizione dei dati", "Presa dati", "Percorso" },
        { "Definición de los datos", "Puerto de los datos", "Ruta de los datos" },
    };
    const bool known = language >= 1 && language <= 5;
    setWindowTitle(known ? U(texts[language - 1][0]) : QString());
    fraPort->setTitle(known ? U(texts[language - 1][1]) : QString());
    fraPath->setTitle(known ? U(texts[language - 1][2]) : QString());
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmDataSetting::cmdOK_Click()
{
    int16_t chosen = 0;
    bool portRefused = false;
    for (int16_t n = 1; n <= 8; ++n) {
        const QRadioButton* button = optPort[static_cast<size_t>(n)];
        if (!button->isChecked())
            continue;
        if (!button->isEnabled()) {
            // Another port is no mend for a device the user may not open.
            ShowPortNotAvailable(m_denied[static_cast<size_t>(n)]);
            g_portToldRefused = n;
            portRefused = true;
            continue;
        }
        chosen = n;
    }
    // Nothing is taken over while the folder is refused.
    if (!ShownFolderIsStorable())
        return;
    const QString shown = dirDirectory->Path();
    const QString folder = g_folderBack ? g_folderBack(shown) : shown;
    // A port that cannot be opened now (its adapter unplugged) does not keep
    // the data folder from being chosen: another folder is taken, and the
    // port stays as it was. With the same folder shown the dialog stays open
    // for another port, unless the question above took the data folder the
    // program folder stands in for.
    if (portRefused && QDir::cleanPath(shown) == QDir::cleanPath(DataFolder)
        && QDir::cleanPath(folder) == QDir::cleanPath(DataFolder))
        return;
    if (TakeDataFolder(folder, chosen))
        accept();
}

int16_t frmDataSetting::PortToldRefused()
{
    return g_portToldRefused;
}

bool frmDataSetting::TakeDataFolder(const QString& chosenFolder, int16_t port)
{
    // A folder this installation runs in already, from another PC, is
    // refused before anything is stored (its lock is taken here).
    if (g_folderClaim && QDir::cleanPath(chosenFolder) != QDir::cleanPath(DataFolder)
        && !g_folderClaim(chosenFolder)) {
        ShowMessage(MsgSeatRunsThere);
        return false;
    }
    if (port != 0)
        ComPort = port;
    // The settings name a new folder only when the open series are in it:
    // the next start looks for them where the settings say.
    const QString old = DataFolder;
    QString folder = chosenFolder;
    bool moved = g_folderMove.Begin && QDir::cleanPath(folder) != QDir::cleanPath(old);
    // A change that takes longer than a second (a share) counts its files
    // in a window of its own.
    std::unique_ptr<FileProgressScope> progress = moved ? std::make_unique<FileProgressScope>(Language) : nullptr;
    if (moved) {
        while (!g_folderMove.Begin(folder)) {
            if (ShowMessage(MsgWriteError) != AnswerYes) {
                folder = old;
                moved = false;
                break;
            }
        }
    }
    DataFolder = folder;
    // A port alone is told as every other dialog tells a failed save.
    bool saved = moved ? SaveSettings() : SaveSettingsTelling();
    if (!saved && moved) {
        // The file still names the old folder, and the next start looks
        // there: unless it can be written after all, that stays the data
        // folder, and what went into the new one goes before the dialog
        // closes, so that choosing it later finds nothing of this.
        while (!saved && ShowMessage(MsgWriteError) == AnswerYes)
            saved = SaveSettings();
        if (!saved) {
            DataFolder = old;
            while (!g_folderMove.Undo() && ShowMessage(MsgWriteError) == AnswerYes) {
            }
            // The port chosen, once more, without asking again.
            SaveSettingsTelling(SettingsSaveAsk::Declined);
        }
    }
    if (saved && moved) {
        while (!g_folderMove.Finish() && ShowMessage(MsgWriteError) == AnswerYes) {
        }
    }
    return true;
}

void frmDataSetting::SetFolderMove(FolderMove move)
{
    g_folderMove = std::move(move);
}

void frmDataSetting::SetFolderClaim(std::function<bool(const QString& folder)> claim)
{
    g_folderClaim = std::move(claim);
}

void frmDataSetting::SetFolderBack(std::function<QString(const QString& shown)> back)
{
    g_folderBack = std::move(back);
}

void frmDataSetting::optPort_DblClick(int index)
{
    (void)index;
    cmdOK_Click();
}

bool frmDataSetting::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int n = 1; n <= 8; ++n) {
            // A disabled port answers no click: accepting here would store
            // whichever other port happens to be selected.
            if (watched == optPort[static_cast<size_t>(n)] && optPort[static_cast<size_t>(n)]->isEnabled()) {
                optPort_DblClick(n);
                return true;
            }
        }
    }
    return DrivePathDialog::eventFilter(watched, event);
}

void frmDataSetting::Form_Unload()
{
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
