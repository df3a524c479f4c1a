#include "storage/DrivePathDialog.h"

#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "platform/ErrorCodes.h"
#include "platform/MousePointer.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextInput.h"
#include "storage/modDisk.h"
#include "platform/LoadedForms.h"

#include <QEvent>
#include <QFileInfo>
#include <QVBoxLayout>

#include <cerrno>

namespace {

constexpr int16_t MsgInvalidEntry = 6;
constexpr int16_t MsgDriveNotAvailable = 10;

// The error of a folder that cannot be shown, as a folder list reports it:
// "path not found".
SystemError FolderError(const QString& folder)
{
    const int e = QFileInfo::exists(folder) ? ENOTDIR : ENOENT;
    return SystemError{76, ErrorFromErrno(e, folder).Text};
}

} // namespace

DrivePathDialog::DrivePathDialog(QWidget* parent) : QDialog(parent)
{
    RememberedDrive = QStringLiteral("/");
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });

    fraPath = new QGroupBox(this);
    fraPath->setObjectName(QStringLiteral("fraPath"));
    drvDrive = new DriveListBox(fraPath);
    drvDrive->setObjectName(QStringLiteral("drvDrive"));
    dirDirectory = new DirListBox(fraPath);
    dirDirectory->setObjectName(QStringLiteral("dirDirectory"));
    auto* pathLayout = new QVBoxLayout(fraPath);
    pathLayout->addWidget(drvDrive);
    pathLayout->addWidget(dirDirectory);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    drvDrive->installEventFilter(this);
    connect(drvDrive, &QComboBox::activated, this, [this](int) { drvDrive_Change(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

bool DrivePathDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == drvDrive && event->type() == QEvent::FocusIn)
        drvDrive_GotFocus();
    return QDialog::eventFilter(watched, event);
}

bool DrivePathDialog::ShownFolderIsStorable()
{
    if (IsStorableText(dirDirectory->Path()))
        return true;
    InputBeep();
    ShowMessage(MsgInvalidEntry);
    return false;
}

void DrivePathDialog::drvDrive_GotFocus()
{
    RememberedDrive = drvDrive->Drive();
}

void DrivePathDialog::drvDrive_Change()
{
    MousePointerGuard hourglass(PointerHourglass);
    const QString drive = drvDrive->Drive();
    const float freeSpace = dskFreeSpaceMB(drive);
    if (freeSpace == -1.0f) {
        ShowMessage(MsgDriveNotAvailable);
        drvDrive->SetDrive(RememberedDrive);
        return;
    }
    // Any readable amount, none included, makes the drive usable.
    dirDirectory->SetPath(drive);
}

void DrivePathDialog::SetDrive(const QString& folder, bool logFailure, bool keepAway)
{
    bool failed = false;
    SystemError last;
    if (!drvDrive->SetDrive(DriveListBox::DriveOfPath(folder))) {
        failed = true;
        last = FolderError(folder);
    }
    if (!dirDirectory->SetPath(folder)) {
        failed = true;
        last = FolderError(folder);
    }
    if (failed) {
        if (logFailure)
            WriteLog(last, QStringLiteral("SetDrive"), folder);
        if (keepAway && folder.startsWith(u'/')) {
            QString reached = QFileInfo(folder).path();
            while (!IsExistingFolder(reached) && reached != QLatin1String("/"))
                reached = QFileInfo(reached).path();
            if (!drvDrive->SetDrive(DriveListBox::DriveOfPath(reached)))
                drvDrive->SetDrive(DriveListBox::DriveOfPath(ProgramFolder()));
            dirDirectory->ShowAway(folder);
            return;
        }
        const QString home = ProgramFolder();
        if (!drvDrive->SetDrive(DriveListBox::DriveOfPath(home)))
            last = FolderError(home);
        if (!dirDirectory->SetPath(home))
            last = FolderError(home);
    }
}

void DrivePathDialog::cmdCancel_Click()
{
    reject();
}

void DrivePathDialog::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}
