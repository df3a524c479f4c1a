#include "storage/frmMigration.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "storage/modMigration.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

frmMigration* g_instance = nullptr;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Form caption, source frame, target frame, Import button; languages 1 to 5.
const char* const Captions[5][4] = {
    {"Daten importieren", "Quellverzeichnis", "Zielverzeichnis", "Daten &importieren"},
    {"Import data", "Source path", "Target path", "&Import data"},
    {"Reprendre les données", "Chemin pour prise de données", "Chemin d'envoi des données",
     "&Reprendre les données"},
    {"Riprendere dei dati", "Origine per presa dati", "Destino dati", "&Riprendere dei dati"},
    {"Importar datos", "Origen de los datos", "Destino de los datos", "&Importar los datos"},
};

} // namespace

frmMigration* frmMigration::Instance()
{
    if (!g_instance) {
        g_instance = new frmMigration();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmMigration::IsLoaded()
{
    return g_instance != nullptr;
}

int frmMigration::ShowForm()
{
    return ShowModal(*Instance());
}

frmMigration::frmMigration()
{
    setObjectName(QStringLiteral("frmMigration"));
    fraSourcePath = fraPath;
    fraSourcePath->setObjectName(QStringLiteral("fraSourcePath"));
    cmdImport = cmdOK;
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdClose = cmdCancel;
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    // Close unloads through its own handler, not the base's Cancel.
    disconnect(cmdClose, &QPushButton::clicked, this, nullptr);

    fraTargetPath = new QGroupBox(this);
    fraTargetPath->setObjectName(QStringLiteral("fraTargetPath"));
    txtTargetPath = new QLineEdit(fraTargetPath);
    txtTargetPath->setObjectName(QStringLiteral("txtTargetPath"));
    txtTargetPath->setReadOnly(true);
    auto* targetLayout = new QVBoxLayout(fraTargetPath);
    targetLayout->addWidget(txtTargetPath);

    pgbImport = new QProgressBar(this);
    pgbImport->setObjectName(QStringLiteral("pgbImport"));
    pgbImport->setRange(0, 100);
    pgbImport->setTextVisible(false);
    pgbImport->hide();

    auto* source = new QHBoxLayout();
    source->addWidget(fraSourcePath, 1);
    auto* importColumn = new QVBoxLayout();
    importColumn->addWidget(cmdImport);
    importColumn->addStretch();
    source->addLayout(importColumn);
    auto* bottom = new QHBoxLayout();
    bottom->addWidget(pgbImport, 1);
    bottom->addStretch();
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(source, 1);
    layout->addWidget(fraTargetPath);
    layout->addLayout(bottom);
    resize(460, 420);

    connect(cmdImport, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

frmMigration::~frmMigration()
{
    if (g_instance == this)
        g_instance = nullptr;
}

bool frmMigration::eventFilter(QObject* watched, QEvent* event)
{
    // This dialog keeps the drive it returns to: the focus does not change it.
    if (watched == drvDrive && event->type() == QEvent::FocusIn)
        return QDialog::eventFilter(watched, event);
    return DrivePathDialog::eventFilter(watched, event);
}

void frmMigration::Form_Load()
{
    RememberedDrive = QStringLiteral("/");
    InitForm();
}

void frmMigration::InitForm()
{
    SetCaptions(Language);
    SetDrive(DataFolder, false);
    txtTargetPath->setText(DataFolder);
}

void frmMigration::SetCaptions(int16_t language)
{
    const bool known = language >= 1 && language <= 5;
    const auto caption = [&](int column) { return known ? U(Captions[language - 1][column]) : QString(); };
    setWindowTitle(caption(0));
    fraSourcePath->setTitle(caption(1));
    fraTargetPath->setTitle(caption(2));
    cmdImport->setText(caption(3));
    cmdClose->setText(SetStandardButtonCaptions(cmdClose, language));
}

void frmMigration::cmdImport_Click()
{
    const MousePointerGuard hourglass(PointerHourglass);
    pgbImport->setRange(0, 100);
    pgbImport->setValue(0);
    pgbImport->show();
    const QString folder = dirDirectory->Path();
    // Painted after each file; no events are handled while the import runs.
    RunImport(folder, [this](int value) {
        pgbImport->setValue(value);
        repaint();
    });
    // The folder list shows what the import left; the data folder may have
    // been replaced by the program folder on the way.
    dirDirectory->SetPath(folder);
    txtTargetPath->setText(DataFolder);
    pgbImport->hide();
}

void frmMigration::cmdClose_Click()
{
    reject();
}

void frmMigration::Form_Unload()
{
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
