#pragma once
// The detail window of one stored report picked in the long-term chart: the
// report's style, references, operator, period, instrument, parameters,
// statistics, the style's values and the single values of the analysed
// property. References, operator and commentary can be changed and written
// back; the report can be deleted with its curves, printed or previewed as
// stored or against its style's present values, copied, and the curve of an
// airbag-fabric test opened.
//
// The long-term window hands over Chr(test type), Chr(property block) and
// the report's path below the data folder; the window answers "True" when it
// rewrote or deleted the report, "False" when it did not, and leaves the
// hand-over text as it was when closed by its close box.
#include "foundation/Records.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class FlexGrid;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmDetail : public QDialog {
    Q_OBJECT
public:
    static frmDetail* Instance();
    static bool IsLoaded();
    // Loads the window for the hand-over text, shows it modally and returns
    // its answer; the window is unloaded afterwards.
    static QString ShowForm(const QString& handOver);

    // State.
    int16_t ReportTestType = 0;
    QString ReportPath;
    Protocol Report;
    // The SHA-256 of the report file as it was read: a save or a deletion
    // first checks that the file still holds it.
    QByteArray ReportChecksum;
    bool Changed = false;
    // The answer handed back.
    QString Answer;

    void Form_Load(const QString& handOver);
    void InitForm();
    void SetCaptions(int language);
    void ShowTestReport(const Protocol& report, int16_t testType);
    void ReleaseDisplay();

    void cmdModify_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void cmdPrintOriginal_Click();
    void cmdPreviewOriginal_Click();
    void cmdPrintCurrent_Click();
    void cmdPreviewCurrent_Click();
    void cmdCopy_Click();
    void grdResult_DblClick();
    void grdResult_MouseDown(int button);
    void cboReference_Change(int index);
    void cboOperator_Change();
    void txtCommentary_Change();
    void cboReference_GotFocus(int index);
    void cboOperator_GotFocus();
    void txtCommentary_GotFocus();

    // Controls; arrays indexed as designed.
    QLabel* imgDetail = nullptr;
    QLabel* imgFolder = nullptr;
    QLabel* lblProperty = nullptr;
    QLabel* lblStyle = nullptr;
    QLabel* lblStyleE = nullptr;
    QLabel* lblFolderE = nullptr;
    std::array<QLabel*, 5> lblReference{};      // 2 to 4
    std::array<QLabel*, 5> lblReferenceE{};
    QLabel* lblOperator = nullptr;
    QLabel* lblOperatorE = nullptr;
    QLabel* lblDateTime = nullptr;
    QLabel* lblDateTimeE = nullptr;
    QLabel* lblInstrument = nullptr;
    QLabel* lblInstrumentE = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLabel* lblSerialNumberE = nullptr;
    std::array<QLabel*, 5> lblParameter{};      // 1 to 4
    std::array<QLabel*, 5> lblParameterE{};
    QLabel* lblCommentary = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblStatusE = nullptr;
    QLabel* lblAvg = nullptr;
    QLabel* lblMin = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblCV = nullptr;
    QLabel* lblCI = nullptr;
    QLabel* lblNominal = nullptr;
    QLabel* lblLLimit = nullptr;
    QLabel* lblULimit = nullptr;
    QLabel* lblTest = nullptr;
    QLabel* lblNominalCI = nullptr;
    FlexGrid* grdAvg = nullptr;
    FlexGrid* grdMin = nullptr;
    FlexGrid* grdMax = nullptr;
    FlexGrid* grdCV = nullptr;
    FlexGrid* grdCI = nullptr;
    FlexGrid* grdNominal = nullptr;
    FlexGrid* grdLLimit = nullptr;
    FlexGrid* grdULimit = nullptr;
    FlexGrid* grdTest = nullptr;
    FlexGrid* grdNominalCI = nullptr;
    FlexGrid* grdResult = nullptr;
    std::array<QComboBox*, 5> cboReference{};   // 2 to 4
    QComboBox* cboOperator = nullptr;
    QPlainTextEdit* txtCommentary = nullptr;
    QPushButton* cmdPrintOriginal = nullptr;
    QPushButton* cmdPreviewOriginal = nullptr;
    QPushButton* cmdPrintCurrent = nullptr;
    QPushButton* cmdPreviewCurrent = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdModify = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void done(int result) override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frmDetail();
    ~frmDetail() override;

    void CreateControls();
    void ConnectHandlers();
    void Form_Unload();
    void ShowUnreadable();
    // The commentary box keeps only what a report can store: no control
    // characters, Windows-1252 only, at most 255 characters.
    void CheckCommentary();

    QString m_commentary;       // the box's last accepted text
    bool m_checking = false;
    bool m_closeBox = false;
    // Message 45 was answered No: the report is not what the window showed.
    bool m_changedElsewhere = false;
};
