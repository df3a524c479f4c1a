#pragma once
// The modal analysis of one airbag-fabric curve. Its opener puts a copy of
// the series into AbtProtocol and the curve file's name into AbtFileName and
// calls ShowForm; the window reads the file from DataFolder, evaluates the
// pulse and shows it on five pages (pressure over time, bulging height over
// pressure, biaxial stress over strain, air permeability over pressure, the
// same on logarithmic axes) with the test's header, the style's nominal
// values and limits and the results. The operator changes the form factor,
// the pressure limits, smoothing, the computed power law, the thickness, the
// fraction of the logarithmic flow axis and the axis maxima; each change
// recomputes only what depends on it. Print puts the page on show on paper;
// File > Copy puts the analysis on the clipboard. Nothing stored is changed.
//
// Controls are placed in twips in the window's inside below its menu bar;
// those on the pages of tabCurve in the page's own coordinates. Each opening
// builds a new window, deleted when it closes.
#include "curves/modABTCurveDisplay.h"
#include "foundation/CurveRecords.h"
#include "foundation/Records.h"
#include "printing/PrintRecords.h"

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class FlexGrid;
class FormSurface;
class PictureBox;
class TabControl;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;

// Set by the opener just before ShowForm: a copy of the series that holds the
// test, and its curve file's name in DataFolder.
extern Protocol AbtProtocol;
extern QString AbtFileName;

class frmABTCurve : public QDialog {
    Q_OBJECT
public:
    // The instance, created and loaded on first use.
    static frmABTCurve* Instance();
    static bool IsLoaded();
    // Opens the analysis modally; the window is deleted when it closes.
    static int ShowForm();
    // Deletes the window (closed or not).
    static void Unload();

    // Page of a window without a curve.
    static constexpr int16_t NoPage = -32768;

    // Form variables.
    ABTCurve Curve;
    AbtEvaluation Evaluation{};
    AbtOptions Options;
    std::vector<QString> XMaxValues;   // the number of each entry of lstXMax(Page); "0" for "Auto"
    std::vector<QString> YMaxValues;
    int16_t Page = NoPage;             // the page shown, 0 to 4
    bool Ready = false;                // the curve is drawn and no list is being filled

    // Header.
    QLabel* lblStyle = nullptr;
    QComboBox* cboStyle = nullptr;
    std::array<QLabel*, 5> lblReference{};      // 2 to 4
    std::array<QComboBox*, 5> cboReference{};   // 2 to 4
    QLabel* lblOperator = nullptr;
    QComboBox* cboOperator = nullptr;
    QLabel* lblDateTime = nullptr;
    QLabel* lblDateTimeE = nullptr;
    QLabel* lblInstrument = nullptr;
    QLabel* lblInstrumentE = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLabel* lblSerialNumberE = nullptr;
    QLabel* lblSensor = nullptr;
    QLabel* lblSensorE = nullptr;
    QLabel* lblStartVolume = nullptr;
    QLabel* lblStartVolumeE = nullptr;
    QLabel* lblStartPressure = nullptr;
    QLabel* lblStartPressureE = nullptr;
    QLabel* lblTestArea = nullptr;
    QLabel* lblTestAreaE = nullptr;
    QLabel* lblNoSensor = nullptr;

    // The five pages, 0 to 4.
    TabControl* tabCurve = nullptr;
    std::array<PictureBox*, 5> picCurve{};
    std::array<QLabel*, 5> lblCoordinate{};     // the read-out over picCurve(i)
    std::array<QLabel*, 5> lblXCoordinate{};
    std::array<QLabel*, 5> lblYCoordinate{};
    std::array<QListWidget*, 5> lstXMax{};
    std::array<QListWidget*, 5> lstYMax{};

    // Options.
    QGroupBox* fraFormFactor = nullptr;
    QComboBox* cboFormFactor = nullptr;
    QGroupBox* fraPressureLimit = nullptr;
    std::array<QComboBox*, 3> cboLimit{};       // 1 lower, 2 upper
    std::array<QLabel*, 3> lblLimitUnit{};      // 1 and 2
    QGroupBox* fraSmoothing = nullptr;
    QCheckBox* chkSmoothing = nullptr;
    QGroupBox* fraComputedCurve = nullptr;
    QCheckBox* chkComputedCurve = nullptr;
    QGroupBox* fraThickness = nullptr;
    QComboBox* cboThickness = nullptr;
    QLabel* lblThicknessUnit = nullptr;
    std::array<QListWidget*, 5> lstFraction{};  // only 4

    // Results.
    QLabel* lblMaxPressure = nullptr;
    FlexGrid* grdMaxPressure = nullptr;
    QLabel* lblRiseTime = nullptr;
    FlexGrid* grdRiseTime = nullptr;
    QLabel* lblFallTime = nullptr;
    FlexGrid* grdFallTime = nullptr;
    QLabel* lblNominal = nullptr;
    FlexGrid* grdNominal = nullptr;
    QLabel* lblLLimit = nullptr;
    FlexGrid* grdLLimit = nullptr;
    QLabel* lblULimit = nullptr;
    FlexGrid* grdULimit = nullptr;
    QLabel* lblADAP = nullptr;
    FlexGrid* grdADAP = nullptr;
    QLabel* lblExponent = nullptr;
    FlexGrid* grdExponent = nullptr;

    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdBack = nullptr;
    QMenuBar* mnuBar = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuFile_Copy = nullptr;

    // Procedures.
    void InitCurveWindow();
    void FillOptionLists();
    void FillAxisMaximumLists(int page);
    void EnableCurveOptions(int page);
    void ShowCurveHeader(const ABTCurve& curve);
    void ShowCurveResults(const AbtEvaluation& evaluation);
    void ShowAxisMaxima(const PlotWindow& window, int page);
    void SetCaptions(int language);
    void ResetCurvePictures();
    void RedrawCurve();
    // The whole evaluation of the curve with the options in force.
    void EvaluationChain();
    // The thickness chosen (mm) and the denominator of the fraction chosen.
    float Thickness() const;
    int Fraction() const;
    // What the printed page takes of the window: the axis captions of the
    // page shown and the titles and cells of the eight result grids.
    CurvePageTexts PageTexts() const;

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void tabCurve_Click();
    void cboFormFactor_Click();
    void cboLimit_Click(int index);
    void cboThickness_Click();
    void chkSmoothing_Click();
    void chkComputedCurve_Click();
    void lstFraction_Click(int index);
    void lstXMax_Click(int index);
    void lstYMax_Click(int index);
    void cmdPrint_Click();
    void mnuFile_Copy_Click();
    void cmdBack_Click();
    // x and y in the picture's scale.
    void picCurve_MouseMove(int index, int button, int shift, double x, double y);

    // Closing in any way unloads the window's pictures.
    void done(int result) override;

protected:
    // Hides the read-out when the pointer moves over another part of the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmABTCurve();
    ~frmABTCurve() override;
    void CreateControls();
    void CreateMenus();
    void ConnectHandlers();
    void WatchPointer(QWidget* control);
    void HideReadOut();

    FormSurface* m_surface = nullptr;
    // Whether the page's picture holds a curve in its scale (the read-out needs one).
    std::array<bool, 5> m_scaled{};
    bool m_unloaded = false;
};
