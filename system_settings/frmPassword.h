#pragma once
// The modal dialog in which the supervisor sets the user and the supervisor
// password, each typed twice. A valid OK changes UserPasswords in memory;
// the settings file gets them with the next saving of the settings.
#include <QDialog>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmPassword : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmPassword* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    QGroupBox* fraUser = nullptr;
    QLineEdit* txtUserPassword = nullptr;
    QLineEdit* txtUserConfirm = nullptr;
    QGroupBox* fraSupervisor = nullptr;
    QLineEdit* txtSupervisorPassword = nullptr;
    QLineEdit* txtSupervisorConfirm = nullptr;
    QLabel* lblPassword = nullptr;
    QLabel* lblConfirm = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The background colour of a box (0x00BBGGRR): white, or light yellow
    // for a confirmation that does not match.
    static int32_t BackColor(const QLineEdit* box);

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    // Marks each confirmation that differs from its password (exactly, case
    // included) and focuses the marked box, the supervisor's when both are.
    void ValidatePasswords(bool& valid);

    void cmdOK_Click();
    void cmdCancel_Click();
    void txtUserPassword_Change();
    void txtUserConfirm_Change();
    void txtSupervisorPassword_Change();
    void txtSupervisorConfirm_Change();
    void txtUserPassword_GotFocus();
    void txtUserConfirm_GotFocus();
    void txtSupervisorPassword_GotFocus();
    void txtSupervisorConfirm_GotFocus();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmPassword();
    ~frmPassword() override;
    void Form_Unload();
};
