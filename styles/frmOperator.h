#pragma once
// The modal dialog in which the supervisor keeps the list of operator names
// that the main window offers: names are added (checked against the limit,
// duplicates and wildcards) and deleted in the list box; OK stores the list
// in Operators and saves the settings, Cancel drops the changes.
#include <QDialog>
#include <cstdint>

class QGroupBox;
class QListWidget;
class QLineEdit;
class QPushButton;

class frmOperator : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmOperator* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    QGroupBox* fraOperator = nullptr;
    QListWidget* lstOperator = nullptr;
    QLineEdit* txtOperator = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void InitForm();
    void SetCaptions(int16_t language);
    void ClearControls();

    void txtOperator_Change();
    void txtOperator_GotFocus();
    void lstOperator_Click();
    void lstOperator_GotFocus();
    void cmdSave_GotFocus();
    void cmdDelete_GotFocus();
    void cmdSave_Click();
    void cmdDelete_Click();
    // Puts the listed names into Operators (element 0 empty); no file write.
    void StoreList();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Escape and the close box cancel; closing in any way unloads.
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmOperator();
    ~frmOperator() override;
    void Form_Load();
    void Form_Unload();
    void Unload(int result);

    bool m_unloaded = false;
};
