#pragma once
// The long-term analysis window: the stored reports of one style searched by
// property, references, operator, date and time windows; per result of the
// property a chart of the found reports over time, their statistics beside
// the style's values, and the saved search patterns. It is opened from the
// main window, which stays hidden until this window closes.
//
// Places and sizes are kept in twips in the window's inside (below the menu
// bar); the charts on the pages of tabDisplay in the tab control's
// coordinates. The outer size is the inside plus 225 twips across and 855
// down, as for the main window.
//
// Member functions are split over files by concern: frmLongTermAnalysis.cpp
// (controls, layout, captions, filters, load and unload),
// frmLongTermAnalysisResults.cpp (search, grids, enabling, print and copy),
// frmLongTermAnalysisChart.cpp (charts, read-outs, the detail window) and
// frmLongTermAnalysisPatterns.cpp (the Pattern menu).
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"
#include "platform/FormSurface.h"
#include "platform/Twips.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class FlexGrid;
class PictureBox;
class TabControl;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStyle;
class QTimer;

class frmLongTermAnalysis : public QMainWindow {
    Q_OBJECT
public:
    // The one instance, created and loaded on first use.
    static frmLongTermAnalysis* Instance();
    static bool IsLoaded();
    // Loads the window when needed and shows it modeless.
    static void ShowForm();

    // The outer size in twips.
    int Width() const;
    int Height() const;

    // Window fields.
    Style SelectedStyle;
    int16_t PropertyCode = 0;
    std::vector<int16_t> PropertyCodes;
    LongTermAnalysis Analysis;
    bool ResultsShown = false;
    QString CommonSerial = QStringLiteral("   ");
    bool Loading = false;
    // Hands a report to the detail window and its answer back.
    QString Tag;

    // ---- Filters, captions, load and unload (frmLongTermAnalysis.cpp)
    void InitializeForm();
    void ArrangeDateCombos(int dateFormat);
    void FillFilterLists();
    void SetDateFilter();
    void SetCaptions(int language);
    // The criteria as the filter boxes show them now.
    SearchPattern BuildSearchCriteria() const;
    void Form_Load();
    void Form_Resize();
    // Keeps the filters as pattern 0, empties the display and releases the
    // window; the main window is shown again unless the program is ending.
    void Form_Unload(bool showMainWindow = true);

    void cboStyle_Click();
    void cboProperty_Click();
    void cboReference_Change(int index);
    void cboReference_Click(int index);
    void cboOperator_Change();
    void cboOperator_Click();
    void cboReference_GotFocus(int index);
    void cboOperator_GotFocus();
    // The day, month, year, hour and minute boxes.
    void DateTimeBox_Click();

    // ---- Results (frmLongTermAnalysisResults.cpp)
    void UpdateControlStates();
    void ResetDisplay();
    void ClearResults();
    void ShowNominalGrids(const TestDefinition& definition);
    void ShowSerialNumber(const QString& text);
    void ShowStatisticsGrids(const Statistics& stats);
    void FillPropertyList(const Style& style);
    void ShowParameterLabels(int16_t propertyCode);
    void ShowExpectedDataString(const std::string& header);
    void cmdSearch_Click();
    void cmdPrint_Click();
    void mnuFile_Copy_Click();
    void mnuFile_Exit_Click();
    void mnuFunction_Measure_Click();

    // ---- Charts (frmLongTermAnalysisChart.cpp)
    void DrawCurve(const LongTermAnalysis& analysis, int result);
    // Opens the detail window for found report `position`; searches again
    // when the report was rewritten or deleted there.
    void ShowTestDetail(int32_t position);
    void picCurve_MouseMove(int index, int button, int shift, double x, double y);
    void picLCatchAll_MouseMove(int index, int button, int shift, double x, double y);
    void picUCatchAll_MouseMove(int index, int button, int shift, double x, double y);
    void picCurve_MouseUp(int index, int button, int shift, double x, double y);
    void picLCatchAll_MouseUp(int index, int button, int shift, double x, double y);
    void picUCatchAll_MouseUp(int index, int button, int shift, double x, double y);
    // Hides both read-outs (the pointer left the charts).
    void HideReadOuts();

    // ---- Saved patterns (frmLongTermAnalysisPatterns.cpp)
    void SetPatternMenuItem(const SearchPattern& pattern, int n);
    void mnuPattern_Click();
    void mnuPattern_Add_Click();
    void mnuPattern_Item_Click(int index);
    void mnuPattern_Remove_Click();
    // The item carrying the check mark (1 to 9), 0 for none.
    int CheckedPatternItem() const;

    // Filter controls; arrays indexed as designed.
    QComboBox* cboStyle = nullptr;
    QComboBox* cboProperty = nullptr;
    std::array<QComboBox*, 5> cboReference{};   // 2 to 4
    QComboBox* cboOperator = nullptr;
    std::array<QComboBox*, 3> cboDay{};         // 1 start, 2 end
    std::array<QComboBox*, 3> cboMonth{};
    std::array<QComboBox*, 3> cboYear{};
    std::array<QComboBox*, 3> cboHour{};
    std::array<QComboBox*, 3> cboMinute{};
    QLabel* lblStyle = nullptr;
    std::array<QLabel*, 5> lblReference{};      // 2 to 4
    QLabel* lblOperator = nullptr;
    QLabel* lblDate = nullptr;
    QLabel* lblTime = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdPrint = nullptr;
    QProgressBar* pgbProgress = nullptr;

    // Instrument, serial number and parameters of the style.
    QLabel* lblInstrument = nullptr;
    QLabel* lblInstrumentE = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLabel* lblSerialNumberE = nullptr;
    std::array<QLabel*, 5> lblParameter{};      // 1 to 4
    std::array<QLabel*, 5> lblParameterE{};

    // Charts, indexed by result 1 and 2, on the pages of tabDisplay.
    TabControl* tabDisplay = nullptr;
    std::array<PictureBox*, 3> picUCatchAll{};
    std::array<PictureBox*, 3> picCurve{};
    std::array<PictureBox*, 3> picLCatchAll{};
    std::array<QLabel*, 3> lblCoordinate{};

    // Statistics and the style's values.
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

    // Frames drawn by the window's inside.
    FormShape shpReference;
    FormShape shpParameter;
    FormShape shpStatistic;
    FormShape shpNominal;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuFile_Copy = nullptr;
    QAction* mnuFile_Exit = nullptr;
    QMenu* mnuFunction = nullptr;
    QAction* mnuFunction_Measure = nullptr;
    QAction* mnuFunction_LongTermAnalysis = nullptr;
    QMenu* mnuPattern = nullptr;
    QAction* mnuPattern_Add = nullptr;
    QAction* mnuPattern_Remove = nullptr;
    QAction* mnuPattern_Line1 = nullptr;
    std::array<QAction*, 10> mnuPattern_Item{};  // 1 to 9

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    frmLongTermAnalysis();
    ~frmLongTermAnalysis() override;

    void CreateControls();
    void CreateChartControls();
    void CreateMenus();
    void ConnectHandlers();
    void PlaceAtDesign();
    void WatchPointerMoves();
    TwipsRect& At(QWidget* control);
    void ApplyPlaces();
    void SetOuterSize(double width, double height);
    void ScheduleRedraw();
    QLabel* NewLabel(const char* name, int index = -1, QWidget* parent = nullptr);
    QComboBox* NewList(const char* name, int index = -1);
    FlexGrid* NewGrid(const char* name);
    bool IsChartPicture(const QObject* object) const;
    int32_t HitCount() const;
    void ChartMouseUp(PictureBox* picture, int index, int button, double x, double y);
    void StripMouseMove(PictureBox* strip, int index, double x, double y);

    FormSurface* m_surface = nullptr;
    std::map<const QWidget*, TwipsRect> m_places;
    std::vector<QWidget*> m_placed;
    // Each date box's left edge within the parameter frame, as arranged.
    std::map<const QWidget*, double> m_dateOffsets;
    QTimer* m_redraw = nullptr;
    QStyle* m_numberListStyle = nullptr;
    bool m_unloaded = false;
};
