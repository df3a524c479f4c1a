#pragma once
// Asks for the user's or the supervisor's password and sets LoginLevel
// (0 none, 1 user, 2 supervisor). Shown modally by the start-up; unloads
// itself on OK and on Cancel.
#include <QDialog>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmLogin : public QDialog {
    Q_OBJECT
public:
    // The one instance, created (loaded) on first use.
    static frmLogin* Instance();
    static bool IsLoaded();

    std::array<QRadioButton*, 3> optUser{};   // 1 user, 2 supervisor
    QLabel* lblPassword = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void SetCaptions(int16_t language);
    void optUser_Click(int index);
    void txtPassword_GotFocus();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Escape and the window's close button.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmLogin();
    ~frmLogin() override;
    void Form_Load();
    void Form_Unload();
    void Unload();

    bool m_loading = false;
    bool m_unloaded = false;
};
