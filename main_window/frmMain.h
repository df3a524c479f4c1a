#pragma once
// The measuring window: the open test series with their style, report form,
// operator and references, the result and statistics grids, the display tabs,
// the status pictures and the menus. It is loaded once by the start-up and
// shown afterwards; closing it ends the program.
//
// Places and sizes are kept in twips in the window's inside (below the menu
// bar); controls on the pages of tabDisplay are placed in the tab control's
// coordinates. Width and Height are the window's outer size in twips:
// the inside plus 225 twips across and 855 twips down.
#include "platform/FormSurface.h"
#include "platform/Twips.h"

#include <QFont>
#include <map>
#include <memory>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class FlexGrid;
class PictureBox;
class TabControl;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class QMouseEvent;
struct DataStringRecord;
struct DeviationData;
struct Histogram;
struct PointerRoute;
struct EnablingRule;
struct Profile;
struct Protocol;
struct ReferenceTitles;
struct ReportForm;
struct ReportFormItem;
struct TestDefinition;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The one instance, created (loaded, not shown) on first use.
    static frmMain* Instance();
    static bool IsLoaded();
    // The system's end of the run (a logout, a shutdown, a signal): the
    // window closes without its questions and the event loop ends with 0.
    static void EndBySystem();
    // The session manager's request to save (a checkpoint, or a logout that
    // may still be cancelled): the open series and the settings are written
    // without a question, and the run goes on.
    static void SaveBySystem();

    // The window's font ("Arial" 8 pt) and the width of a text in it, in
    // twips; the grids of every window measure their columns with it.
    static QFont WindowFont();
    static double TextWidth(const QString& text);

    // The outer size in twips and the window state (0 normal, 1 minimised,
    // 2 maximised).
    int Width() const;
    int Height() const;
    int WindowState() const;

    // While a RefreshGuard lives, the window is filling its own controls and
    // the handlers of its boxes store nothing. Guards nest.
    class RefreshGuard {
    public:
        explicit RefreshGuard(frmMain& window);
        ~RefreshGuard();
        RefreshGuard(const RefreshGuard&) = delete;
        RefreshGuard& operator=(const RefreshGuard&) = delete;

    private:
        frmMain& m_window;
    };
    bool Refreshing() const { return m_refreshing > 0; }

    // Form variables.
    int16_t ProtocolState = 0;                // last state of the shown series (1 to 7)
    std::array<bool, 8> TabEnabledCache{};    // enabled flag of each display tab, kept by the enabling rules
    QString Tag;                              // hands a test index to the commentary dialog and back

    // Procedures.
    void SetLanguageCaptions(int language);
    void SetReferenceTitles(const ReferenceTitles& titles, int language);
    // The date in the date format and the time with seconds; 0 is now.
    void ShowDateTime(double date);
    // Hides the five chart read-outs; the arguments are not used.
    void Form_MouseMove(int button, int shift, double x, double y);
    // Keeps the least size and lays the controls out for the present size.
    void Form_Resize();

    // The place of a control in twips, as the layout last set it.
    TwipsRect Place(const QWidget* control) const;

    // ---- Charts, read-outs, display tabs, clock, enabling (frmMainCharts.cpp)

    // Draws deviation chart `result` (1 or 2): the tolerance band, the range
    // and mean of the series and a cross on the selected value. An empty
    // record, or nominal and limits that give no window, leave it cleared.
    void DrawDeviationChart(const DeviationData& data, int result);
    // Draws histogram or profile `element` (1 or 2) with its strips, axis and
    // labels; what gives no window leaves them cleared with empty labels and
    // no read-out. storedValues is the number of values the profile held
    // before ReduceProfile (-1: as many as it holds); the read-out scales
    // its position by it.
    void DrawHistogram(const Histogram& histogram, int element);
    void DrawProfile(const Profile& profile, int element, int storedValues = -1);

    // The state 1 to 7 of the series from cboStyle, cboProtocol and
    // CurrentProtocol (modProtocolState).
    int16_t GetProtocolState(const Protocol& protocol) const;
    // Enables (and shows) menus, boxes, buttons, pictures and tabs for the
    // state, LoginLevel and PortOpen; tabs are written only on a change.
    void EnableControls(int state);
    // GetProtocolState of the series shown into ProtocolState, then
    // EnableControls with it: every change of the series ends with this.
    void RefreshEnabling();
    // Redraws the tab shown for the series shown; when the enabling has made
    // that tab unavailable, tab 0 is selected and drawn instead.
    void TabRefresh();
    // The page now selected is brought up to date: the deviation charts show
    // only on page 0, the commentary takes the focus on page 1, pages 2 to 5
    // compute and draw their profile or histogram, page 6 draws the curve
    // thumbnail anew.
    void tabDisplay_Click(int previousTab);
    // Every 500 ms: the date of the series shown (the present moment for the
    // working record), and the not-printed symbol blinks while automatic
    // printing is off.
    void timDateTime_Timer();
    // Pointer moves over the tab control and the four command buttons hide
    // the five read-outs, as over the window itself; the arguments are not
    // used.
    void tabDisplay_MouseMove(int button, int shift, double x, double y);
    void cmdMeasure_MouseMove(int button, int shift, double x, double y);
    void cmdPreview_MouseMove(int button, int shift, double x, double y);
    void cmdTerminateProtocol_MouseMove(int button, int shift, double x, double y);
    void cmdAnalyzeCurve_MouseMove(int button, int shift, double x, double y);
    // Read-outs: the chart coordinates under the pointer (x, y in the
    // chart's scale) next to it; index is the element 1 or 2.
    void picHistogram_MouseMove(int index, int button, int shift, double x, double y);
    void picProfile_MouseMove(int index, int button, int shift, double x, double y);
    // True when the pixel at (x, y), in the picture's scale, has one of the
    // colours profile points are drawn in: black, blue, red or green.
    static bool GetPointColour(PictureBox* picture, double x, double y);

    // ---- Menu commands, editing, terminating, pointer buttons (frmMainCommands.cpp)

    // Hands test k (index into Values of the current property's block) to
    // the commentary dialog through Tag. When the dialog changed or deleted
    // it, the test grid, statistics, nominal values, the page on show and
    // the dates follow; a property left without tests redisplays the whole
    // window. Tag is empty afterwards.
    void EditTest(int k);
    // Edits the test of the grid's current row while the grid is enabled.
    void grdResult_DblClick();
    // After message 30: the series shown is stored, printed and exported and
    // leaves the list, and the working record is shown. A series whose
    // report could not be written (and the operator gave up) stays open.
    void cmdTerminateProtocol_Click();
    // Terminates series `index`: every used property closed, the report
    // saved, printed and exported, each as the settings say or after a
    // question. False (and the series not Finished) when its report could
    // not be written and the operator gave up: it must stay open.
    bool SaveTestReport(int index);
    void cmdPreview_Click();
    // The curve analysis of the test selected, for airbag-fabric curves.
    void cmdAnalyzeCurve_Click();
    // The menu commands.
    void mnuFile_Copy_Click();
    void mnuFile_Password_Click();
    void mnuFile_Exit_Click();
    void mnuSettings_CountrySettings_Click();
    void mnuSettings_SystemSettings_Click();
    void mnuSettings_ReferenceTitle_Click();
    void mnuSettings_DataSettings_Click();
    void mnuSettings_QDASSettings_Click();
    void mnuStandard_Style_Click();
    void mnuStandard_Reference2to4_Click();
    void mnuStandard_Operator_Click();
    void mnuStandard_ReportForm_Click();
    void mnuStandard_KeyboardSettings_Click();
    void mnuInfo_About_Click();
    // A button released over profile `index` (1 or 2) or its strips (x, y in
    // the picture's scale): the right one pops up the test settings while
    // the style editor may be opened; the left one on a point opens its test.
    void picProfile_MouseUp(int index, int button, int shift, double x, double y);
    void picProfileL_MouseUp(int index, int button, int shift, double x, double y);
    void picProfileU_MouseUp(int index, int button, int shift, double x, double y);

    // ---- Series: display, life cycle, selection, text fields (frmMainSeries.cpp)

    // The once-flags of the stop questions (number of tests, confidence
    // interval) for the series shown; every ShowProtocol clears them.
    bool TestCountAsked = false;
    bool ConfidenceAsked = false;

    // Brings every control in line with the series shown (Protocols
    // (CurrentProtocol) and its current property). A series whose current
    // report-form item names no test type leaves the controls as they are.
    // The state and enabling are the caller's.
    void ShowProtocol();
    // Its parts, also called after smaller changes.
    void FillNominalGrids(const TestDefinition& definition);
    void FillStatisticsGrids(const Protocol& protocol, int property);
    void ShowParameterCaptions(const ReportFormItem& item);
    void ShowInstrumentInfo(const std::string& dataString);
    void ShowPropertyNames(const ReportForm& form);
    void ShowPropertyStates(const Protocol& protocol);

    // cboStyle is a sorted list: every refill of it goes through here (the
    // names of Styles in the locale's order, case ignored, none selected).
    void FillStyleCombo();

    // Life cycle of a series.
    void NewProtocol();
    void InitPropertyBlock(Protocol& protocol, int property);
    void FillProtocolCombo(const Protocol& protocol);
    void RemoveProtocolFromCombo(int index);
    void TogglePropertyTerminated(int index, int property);

    // Handlers of the selection controls and text boxes. None acts while the
    // window is refreshing, except the length limits.
    void cboStyle_Click();
    void cboProtocol_Click();
    void cboOperator_Change();
    void cboOperator_Click();
    void cboOperator_GotFocus();
    void cboReference_Change(int index);
    void cboReference_Click(int index);
    void cboReference_GotFocus(int index);
    void chkLateralAir_Click(int index);
    void optProtocol_Click(int index);
    void lblProperty_MouseUp(int index, int button, int shift, double x, double y);
    void lblPropertyStatus_MouseUp(int index, int button, int shift, double x, double y);
    void lblLateralAir_MouseUp(int index, int button, int shift, double x, double y);
    void lblLateralAirE_MouseUp(int index, int button, int shift, double x, double y);
    void imgTerminated_MouseUp(int index, int button, int shift, double x, double y);
    void grdResult_MouseDown(int button, int shift, double x, double y);
    void grdResult_Click();
    void imgPrint_MouseUp(int button, int shift, double x, double y);
    void imgNotPrint_MouseUp(int button, int shift, double x, double y);
    void txtCommentary_Change();
    // The seven Q-DAS boxes: a typed text goes into the working record.
    void txtQdas_Change(QLineEdit* box);
    // A typed character (0 when it is dropped, with a beep): digits, one
    // decimal separator and the editing keys.
    void txtKeyboard_KeyPress(int& keyAscii);

    // ---- Curve thumbnail (frmMainCurve.cpp)

    // Draws the curves of the shown series' current property into picCurve,
    // without clearing it, all on the scale of the first curve that can be
    // drawn, and writes that scale's maxima into lblCurveXMax and
    // lblCurveYMax. A curve that cannot be drawn is skipped.
    void DrawCurveThumbnail();
    // The curve read-out under the pointer (x, y in picCurve's scale):
    // pressure and flow of an airbag curve (test type 18), flow and pressure
    // of a pressure-drop diagram (17); hidden while no thumbnail is drawn.
    void picCurve_MouseMove(int button, int shift, double x, double y);

    // Shows the long-term analysis window and hides this one until that
    // window closes (frmMainLongTerm.cpp).
    void mnuFunction_LongTermAnalysis_Click();

    // ---- Measurement (frmMainMeasure.cpp)

    // Takes one test for the current property of the series shown: asks the
    // instrument of its position (or takes the typed value), checks the
    // reply, starts the series and the property block when needed, stores
    // the test with its curve, refreshes what shows it and applies the stop
    // criteria. Every refusal shows its message; the state and enabling are
    // recomputed at the end in every case.
    void cmdMeasure_Click();
    // The right button pops up the settings menu, the data settings in bold,
    // while that menu is enabled.
    void cmdMeasure_MouseUp(int button, int shift, double x, double y);
    // Appends the test of a reply to the current property's block.
    void AddTestEntry(const DataStringRecord& rec, const std::string& curve);
    // Receives and stores the instrument's curve where the item asks for
    // one; the name of the curve file, or "" (the test is kept without).
    std::string TransferCurveData(const ReportFormItem& item);
    // The questions about the reply's test parameters (modMeasure) with the
    // parameter captions of this window.
    bool CheckDataStringValues(const std::string& s, std::string& header, const ReportFormItem& item);
    // The stop criteria for the current property with this window's
    // once-flags; true when the property is to be terminated.
    bool CheckProtocolComplete(const Protocol& protocol);

    // Combo boxes.
    QComboBox* cboStyle = nullptr;
    QComboBox* cboProtocol = nullptr;
    QComboBox* cboOperator = nullptr;
    std::array<QComboBox*, 5> cboReference{};   // 2 to 4

    // Option buttons, check boxes, command buttons.
    std::array<QRadioButton*, 3> optProtocol{};  // 1 new series, 2 pending series
    std::array<QCheckBox*, 7> chkLateralAir{};   // 1 to 6
    QPushButton* cmdMeasure = nullptr;
    QPushButton* cmdTerminateProtocol = nullptr;
    QPushButton* cmdPreview = nullptr;
    QPushButton* cmdAnalyzeCurve = nullptr;

    // Text boxes.
    QLineEdit* txtKeyboard = nullptr;
    QLineEdit* txtCommentary = nullptr;
    QLineEdit* txtK0006 = nullptr;
    QLineEdit* txtK0016 = nullptr;
    QLineEdit* txtK0053 = nullptr;
    QLineEdit* txtK1031 = nullptr;
    QLineEdit* txtK1032 = nullptr;
    QLineEdit* txtK1086 = nullptr;
    QLineEdit* txtK1087 = nullptr;

    // Grids: the tests, the statistics and the test definition.
    FlexGrid* grdResult = nullptr;
    FlexGrid* grdAvg = nullptr;
    FlexGrid* grdMin = nullptr;
    FlexGrid* grdMax = nullptr;
    FlexGrid* grdCV = nullptr;
    FlexGrid* grdCI = nullptr;
    FlexGrid* grdNominal = nullptr;
    FlexGrid* grdLLimit = nullptr;
    FlexGrid* grdULimit = nullptr;
    FlexGrid* grdNominalCI = nullptr;
    FlexGrid* grdTest = nullptr;

    // Display tabs: 0 results, 1 commentary, 2 and 3 profiles, 4 and 5
    // histograms, 6 curve, 7 Q-DAS fields.
    TabControl* tabDisplay = nullptr;

    // Pictures; the arrays are indexed 1 and 2 by result.
    std::array<PictureBox*, 3> picDeviation{};
    PictureBox* picCell = nullptr;
    std::array<PictureBox*, 3> picProfile{};
    std::array<PictureBox*, 3> picProfileY{};
    std::array<PictureBox*, 3> picProfileL{};
    std::array<PictureBox*, 3> picProfileU{};
    std::array<PictureBox*, 3> picHistogram{};
    std::array<PictureBox*, 3> picHistogramX{};
    std::array<PictureBox*, 3> picHistogramL{};
    std::array<PictureBox*, 3> picHistogramU{};
    PictureBox* picCurve = nullptr;

    // Caption labels.
    QLabel* lblStyle = nullptr;
    QLabel* lblOperator = nullptr;
    std::array<QLabel*, 5> lblReference{};      // 2 to 4
    QLabel* lblAvg = nullptr;
    QLabel* lblMin = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblCV = nullptr;
    QLabel* lblCI = nullptr;
    QLabel* lblTest = nullptr;
    QLabel* lblNominal = nullptr;
    QLabel* lblLLimit = nullptr;
    QLabel* lblULimit = nullptr;
    QLabel* lblNominalCI = nullptr;
    QLabel* lblInstrument = nullptr;
    QLabel* lblSerialNumber = nullptr;
    std::array<QLabel*, 5> lblParameter{};      // 1 to 4
    QLabel* lblDateTime = nullptr;
    std::array<QLabel*, 7> lblLateralAir{};     // 1 to 6
    QLabel* lblK0006 = nullptr;
    QLabel* lblK0016 = nullptr;
    QLabel* lblK0053 = nullptr;
    QLabel* lblK1031 = nullptr;
    QLabel* lblK1032 = nullptr;
    QLabel* lblK1086 = nullptr;
    QLabel* lblK1087 = nullptr;

    // Value labels.
    QLabel* lblInstrumentE = nullptr;
    QLabel* lblSerialNumberE = nullptr;
    std::array<QLabel*, 5> lblParameterE{};     // 1 to 4
    QLabel* lblDateTimeE = nullptr;
    QLabel* lblFolderE = nullptr;
    std::array<QLabel*, 7> lblLateralAirE{};    // 1 to 6

    // Other labels; the read-outs are hidden children of their pictures.
    std::array<QLabel*, 7> lblProperty{};       // 1 to 6
    std::array<QLabel*, 7> lblPropertyStatus{}; // 1 to 6
    std::array<QLabel*, 3> lblResult{};         // 1 and 2
    QLabel* lblCurveXMax = nullptr;
    QLabel* lblCurveYMax = nullptr;
    std::array<QLabel*, 3> lblHistogramXUnit{};
    std::array<QLabel*, 3> lblHistogramYMax{};
    std::array<QLabel*, 3> lblHistogramYMin{};
    std::array<QLabel*, 3> lblProfileYUnit{};
    std::array<QLabel*, 3> lblProfileCoordinate{};
    std::array<QLabel*, 3> lblHistogramCoordinate{};
    QLabel* lblCurveCoordinate = nullptr;

    // Images.
    QLabel* imgFolder = nullptr;
    QLabel* imgFlip = nullptr;
    QLabel* imgNoConnection = nullptr;
    QLabel* imgNotPrint = nullptr;
    QLabel* imgPrint = nullptr;
    std::array<QLabel*, 7> imgTerminated{};     // 1 to 6

    // Lines and shapes, drawn by the window's inside.
    std::array<FormLine, 6> linProtocolSeparator{};   // 0 to 5
    FormShape shpReference;
    FormShape shpStatistic;
    FormShape shpProperty;
    FormShape shpParameter;
    FormShape shpNominal;

    // Others.
    QTimer* timDateTime = nullptr;
    QProgressBar* pgbProgress = nullptr;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuFile_Copy = nullptr;
    QAction* mnuFile_Line1 = nullptr;
    QAction* mnuFile_Import = nullptr;
    QAction* mnuFile_Line2 = nullptr;
    QAction* mnuFile_Password = nullptr;
    QAction* mnuFile_Line3 = nullptr;
    QAction* mnuFile_Exit = nullptr;
    QMenu* mnuFunction = nullptr;
    QAction* mnuFunction_Measure = nullptr;
    QAction* mnuFunction_LongTermAnalysis = nullptr;
    QMenu* mnuSettings = nullptr;
    QAction* mnuSettings_CountrySettings = nullptr;
    QAction* mnuSettings_Line1 = nullptr;
    QAction* mnuSettings_SystemSettings = nullptr;
    QAction* mnuSettings_Line2 = nullptr;
    QAction* mnuSettings_ReferenceTitle = nullptr;
    QAction* mnuSettings_DataSettings = nullptr;
    QAction* mnuSettings_QDASSettings = nullptr;
    QMenu* mnuStandard = nullptr;
    QAction* mnuStandard_Style = nullptr;
    QAction* mnuStandard_Reference2to4 = nullptr;
    QAction* mnuStandard_Operator = nullptr;
    QAction* mnuStandard_Line1 = nullptr;
    QAction* mnuStandard_ReportForm = nullptr;
    QAction* mnuStandard_KeyboardSettings = nullptr;
    QMenu* mnuInfo = nullptr;
    QAction* mnuInfo_About = nullptr;

    // Menu commands.
    void mnuFile_Import_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    frmMain();
    ~frmMain() override;

    void Form_Load();
    // Cancel true keeps the window and the program running.
    void Form_Unload(bool& cancel);
    void InitControls();
    void ReleaseForms();

    // Building the window.
    void CreateControls();
    void CreatePageControls();
    void CreateMenus();
    void PlaceAtDesign();
    QLabel* NewLabel(QWidget* parent, const char* name, int index = -1);
    QLabel* NewImage(QWidget* parent, const char* name, int index = -1);
    PictureBox* NewPicture(QWidget* parent, const char* name, int index = -1);
    FlexGrid* NewGrid(const char* name);
    QLineEdit* NewTextBox(QWidget* parent, const char* name, int maxLength);
    QLabel* NewReadOut(PictureBox* picture, const char* name, int index = -1);
    void AddCaptioned(QObject* control, const char* name, int index = -1);

    // Layout: places in twips; ApplyPlaces converts each once to pixels.
    TwipsRect& At(QWidget* control);
    void ApplyPlaces();
    // Resizes the window so that its outer size is that many twips.
    void SetOuterSize(double width, double height);

    struct CaptionedControl {
        QObject* Control = nullptr;
        QString Name;
        int Index = -1;
    };

    // Charts and enabling (frmMainCharts.cpp).
    void InitCharts();
    void RedrawAfterResize();
    void ResolveEnablingTargets();
    void RoutePointerMove(QWidget* watched, QMouseEvent* event);

    // Menu commands and pointer buttons (frmMainCommands.cpp).
    void ConnectCommands();
    // Double-clicks and button releases over the members of the routing
    // table; true when the event was used.
    bool RoutePointerButton(QObject* watched, QEvent* event);
    void ProfileMouseUp(PictureBox* picture, int index, int button, double x, double y);
    QObject* m_commandFilter = nullptr;
    // An event filter, owned by this window, that hands the events of the
    // controls it watches to the given member.
    QObject* NewMemberFilter(bool (frmMain::*handler)(QObject*, QEvent*));

    // A control that an enabling rule sets: a menu item or header, a widget
    // (a grid through its own enabling) or a tab.
    struct EnablingTarget {
        const EnablingRule* Rule = nullptr;
        int Index = -1;
        QAction* Action = nullptr;
        QWidget* Widget = nullptr;
        FlexGrid* Grid = nullptr;
        int Tab = -1;
    };
    // A control of the pointer-move table, with the handler that hides all
    // read-outs for it (the window's own unless it has one of its name).
    using MoveHandler = void (frmMain::*)(int button, int shift, double x, double y);
    struct RouteTarget {
        const PointerRoute* Route = nullptr;
        int Index = -1;
        QWidget* Control = nullptr;
        MoveHandler HideAll = &frmMain::Form_MouseMove;
    };

    // Measurement (frmMainMeasure.cpp): the button's clicks and right button.
    void ConnectMeasureHandlers();
    // Steps 1 to 22 of a measurement; a refusal returns early.
    void Measure();

    // Series (frmMainSeries.cpp).
    void ConnectSeriesHandlers();
    // The series shown, or null while CurrentProtocol is outside Protocols.
    Protocol* ShownProtocol();
    // What ends every change of the series or property shown: state,
    // enabling and the page on show.
    void EndSelection();
    // Pointer, focus and key events of the series controls.
    bool SeriesEvent(QObject* watched, QEvent* event);
    // Enter that the focused control leaves unused.
    bool PressDefaultButton();

    QObject* m_seriesFilter = nullptr;
    // Marks the series shown as changed by typing and (re)starts the pause
    // after which its file is written.
    void KeepTypedChangeSoon();
    QTimer* m_typedChangeTimer = nullptr;
    // cboProtocol lists the open series (else the working record's forms).
    bool m_protocolListsSeries = false;

    std::vector<EnablingTarget> m_enablingTargets;
    std::map<const QObject*, RouteTarget> m_routes;
    // What each chart element last drew: whether it has a window to read
    // out, and a profile's number of values before reduction.
    std::array<bool, 3> m_histogramDrawn{};
    std::array<bool, 3> m_profileDrawn{};
    std::array<int, 3> m_profileValues{};
    // The kind of curve whose scale picCurve is in, as the thumbnail last
    // drew it; None while the thumbnail has drawn nothing.
    enum class CurveScale { None, Airbag, PressureDrop };
    CurveScale m_curveScale = CurveScale::None;
    // The airbag curves the thumbnail evaluated, kept for the property shown
    // (frmMainCurve.cpp).
    struct ThumbnailCache;
    std::shared_ptr<ThumbnailCache> m_thumbnailCache;
    // The text of the curve read-out at (x, y); empty for none.
    QString CurveReadOut(double x, double y) const;

    FormSurface* m_surface = nullptr;
    std::vector<CaptionedControl> m_captioned;
    std::map<const QWidget*, TwipsRect> m_places;
    std::vector<QWidget*> m_placed;     // in the order they were placed
    int m_refreshing = 0;
};
