#pragma once
// Greets the user on the first start and lets them choose the language by
// its flag. Shown modally by the start-up; unloads itself on OK.
#include <QDialog>
#include <array>
#include <cstdint>

class QLabel;
class QPushButton;

class frmWelcome : public QDialog {
    Q_OBJECT
public:
    // The one instance, created (loaded) on first use.
    static frmWelcome* Instance();
    static bool IsLoaded();

    QLabel* lblWelcome = nullptr;
    QLabel* lblIntro = nullptr;
    QPushButton* cmdOK = nullptr;
    std::array<QLabel*, 7> imgLanguage{};   // flags 1 to 6

    void SetCaptions(int16_t language);
    void imgLanguage_Click(int index);
    void cmdOK_Click();

    // Escape and the window's close button.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    frmWelcome();
    ~frmWelcome() override;
    void Form_Load();
    void Form_Unload();
    void Unload();

    bool m_unloaded = false;
};
