#pragma once
// The modal About window: product title, version and release date, the
// product and maker pictures and the maker's address. A right click with
// Shift, Ctrl and Alt held shows or hides the version history (on the
// version) or a small animation (on the maker's picture).
#include <QDialog>
#include <array>
#include <cstdint>

class LineControl;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmAbout* Instance();
    static bool IsLoaded();
    // Shows the window modally; it unloads itself when it closes.
    static int ShowForm();

    // The maker's web address shown and opened by the link.
    static const char* const MakerAddress;

    QLabel* lblQUINTARA = nullptr;
    QLabel* lblVersion = nullptr;
    std::array<LineControl*, 3> linHorizontal{};   // 1 and 2
    QLabel* imgQUINTARA = nullptr;
    QPlainTextEdit* txtHistory = nullptr;
    QGroupBox* fraAnimation = nullptr;
    std::array<QLabel*, 3> imgAnimation{};         // 1 and 2
    QLabel* lblAnimation = nullptr;
    QTimer* timAnimation = nullptr;
    QLabel* imgZOLVERA = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblURL = nullptr;

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    void ClearForm();
    // Opens a document or address with the desktop's handler.
    void OpenLink(const QString& target);

    void cmdClose_Click();
    // Button 1 left, 2 right; shift 1 Shift + 2 Ctrl + 4 Alt. Only the
    // right button with all three keys (7) acts.
    void lblVersion_MouseUp(int button, int shift);
    void imgZOLVERA_MouseUp(int button, int shift);
    // The left button opens the maker's address.
    void lblURL_MouseUp(int button, int shift);
    void timAnimation_Timer();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmAbout();
    ~frmAbout() override;
    void Form_Unload();
};
