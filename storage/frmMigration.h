#pragma once
// The modal dialog "Import data" with which the supervisor takes over the
// data of the previous program generation and the test reports lying in a
// folder (modMigration does the work).
#include "storage/DrivePathDialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdint>

class frmMigration : public DrivePathDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmMigration* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    // The source folder's frame is the base's path frame; Import and Close
    // are its OK and Cancel buttons.
    QGroupBox* fraSourcePath = nullptr;
    QPushButton* cmdImport = nullptr;
    QGroupBox* fraTargetPath = nullptr;
    QLineEdit* txtTargetPath = nullptr;
    QPushButton* cmdClose = nullptr;
    QProgressBar* pgbImport = nullptr;

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    // Imports from the folder shown, with the hourglass and the progress bar
    // shown while it runs.
    void cmdImport_Click();
    void cmdClose_Click();

protected:
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMigration();
    ~frmMigration() override;
};
