#pragma once
// The modal dialog that creates, changes and deletes report forms: a name and
// up to six properties of the configured instruments, each with its
// histogram and, for the curve properties, its curve flag. It edits a working
// copy of ReportForms; OK stores the copy, puts the forms saved meanwhile
// into every style that holds them, and saves the settings; Cancel changes
// nothing.
#include "foundation/Records.h"
#include "styles/ReportFormRules.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <vector>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QLineEdit;
class QPushButton;

class frmReportForm : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmReportForm* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    QGroupBox* fraProtocol = nullptr;
    QListWidget* lstProtocol = nullptr;
    QLineEdit* txtName = nullptr;
    // Indexed by test type 1 to 20; chkCurve only at 14, 17 and 18.
    std::array<QCheckBox*, TestTypeCount + 1> chkProperty{};
    std::array<QCheckBox*, TestTypeCount + 1> chkHistogram{};
    std::array<QCheckBox*, TestTypeCount + 1> chkCurve{};
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The working copy of ReportForms (element 0 unused), and the forms saved
    // into it, in order, for the styles that hold them.
    std::vector<ReportForm> WorkingForms;
    std::vector<ReportForm> SavedForms;
    // True while the dialog sets the check boxes itself.
    bool Updating = false;

    void InitForm();
    void SetCaptions(int16_t language);
    void ClearEntry();
    void ShowEntry(const ReportForm& form);
    ReportForm ReadEntry() const;
    bool IsEntryComplete() const;
    void EnablePropertyBoxes();
    void ReleaseFormList();

    void lstProtocol_Click();
    void txtName_Change();
    void txtName_GotFocus();
    void chkProperty_Click(int index);
    void cmdSave_Click();
    void cmdDelete_Click();
    // Puts the saved forms into the styles and the working copy into
    // ReportForms; no file write.
    void StoreForms();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Escape and the close box cancel; closing in any way unloads.
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmReportForm();
    ~frmReportForm() override;
    void Form_Load();
    void Form_Unload();
    void Unload(int result);
    PropertyBoxStates BoxStates() const;

    bool m_unloaded = false;
};
