#pragma once
// The drive and folder part shared by the dialogs that choose a folder (data
// settings, Q-DAS settings, import): the drive list, the folder list, the
// drive the list returns to when a newly chosen one is not available, the
// check of a newly chosen drive, and the display of a stored folder with its
// fall-back to the program folder.
#include "platform/DriveFolderLists.h"

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QString>

class DrivePathDialog : public QDialog {
    Q_OBJECT
public:
    QGroupBox* fraPath = nullptr;
    DriveListBox* drvDrive = nullptr;
    DirListBox* dirDirectory = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The drive the drive list returns to when a newly chosen drive is not
    // available: the root file system until the list gets the focus.
    QString RememberedDrive;

    void drvDrive_GotFocus();
    // A drive chosen by the user: its folder list when its free space can be
    // read, else message 10 and back to RememberedDrive.
    void drvDrive_Change();
    // Shows a stored folder in both lists; when it or its volume cannot be
    // shown, one line naming it is logged under "SetDrive" (without
    // logFailure, nothing is logged) and the program folder is shown, or,
    // with keepAway, the folder itself as away (an absolute path), the drive
    // list on its nearest folder that can be reached: OK then keeps it.
    void SetDrive(const QString& folder, bool logFailure = true, bool keepAway = false);
    void cmdCancel_Click();

    // True when the folder shown can be stored in the settings file. The file
    // holds Windows-1252: a folder whose path has other characters (or control
    // characters) would come back as another folder at the next start, so it
    // is refused with a beep and message 6, and the dialog stays open.
    bool ShownFolderIsStorable();

    // Closing in any way unloads the dialog.
    void done(int result) override;

protected:
    explicit DrivePathDialog(QWidget* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Releases the single instance; the dialog is deleted afterwards.
    virtual void Form_Unload() = 0;
};
