#pragma once
// The modal dialog that keeps the known values of references 2, 3 and 4 side
// by side, one group of controls per reference: values are added (checked
// against the limit, duplicates within the list and wildcards) and deleted;
// OK stores the three lists and saves the settings, Cancel drops the changes.
#include <QDialog>
#include <array>
#include <cstdint>

class QGroupBox;
class QListWidget;
class QLineEdit;
class QPushButton;

class frmReference : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmReference* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    // Control arrays indexed by the reference number 2 to 4.
    std::array<QGroupBox*, 5> fraReference{};
    std::array<QListWidget*, 5> lstReference{};
    std::array<QLineEdit*, 5> txtReference{};
    std::array<QPushButton*, 5> cmdSave{};
    std::array<QPushButton*, 5> cmdDelete{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void InitForm();
    void SetCaptions(int16_t language);
    void ClearControls();

    void txtReference_Change(int index);
    void txtReference_GotFocus(int index);
    void lstReference_Click(int index);
    void lstReference_GotFocus(int index);
    void cmdSave_GotFocus(int index);
    void cmdDelete_GotFocus(int index);
    void cmdSave_Click(int index);
    void cmdDelete_Click(int index);
    // Puts the three lists into Reference2Values to Reference4Values
    // (element 0 empty each); no file write.
    void StoreLists();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Escape and the close box cancel; closing in any way unloads.
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmReference();
    ~frmReference() override;
    void Form_Load();
    void Form_Unload();
    void Unload(int result);

    bool m_unloaded = false;
};
