#pragma once
// The modal dialog that names the keyboard pseudo-instrument: instrument
// name, serial number, the property measured by typing in and up to four
// parameter names. OK checks that the parameter names leave no gap, stores
// the definition, renames the keyboard row of the instrument table and saves
// the settings; Cancel changes nothing.
#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class frmKeyboardDefinition : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmKeyboardDefinition* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    // The first parameter box (1 to 4) that follows a gap in the names, as
    // they will be stored (trimmed, trailing colons dropped); 0 when the
    // filled names are 1, 1-2, 1-3, 1-4 or none. Element 0 is not used.
    static int ParameterGap(const std::array<QString, 5>& texts);

    QLabel* lblInstrument = nullptr;
    QLineEdit* txtInstrument = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLineEdit* txtSerialNumber = nullptr;
    QLabel* lblProperty = nullptr;
    QLineEdit* txtProperty = nullptr;
    std::array<QLabel*, 5> lblParameter{};       // 1 to 4
    std::array<QLineEdit*, 5> txtParameter{};    // 1 to 4
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void InitForm();
    void SetCaptions(int16_t language);
    // The gap check; fills blank instrument and property boxes with the
    // keyboard word in either case. True when the entries may be stored.
    bool ValidateInput();
    void cmdOK_Click();
    void cmdCancel_Click();
    // Each box selects its whole text when it gets the focus.
    void txtInstrument_GotFocus();
    void txtSerialNumber_GotFocus();
    void txtProperty_GotFocus();
    void txtParameter_GotFocus(int index);

    // Escape and the close box cancel; closing in any way unloads.
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmKeyboardDefinition();
    ~frmKeyboardDefinition() override;
    void Form_Load();
    void Form_Unload();
    void Unload(int result);
    void SelectAllLater(QLineEdit* box);

    bool m_unloaded = false;
};
