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

#include <QFont>
#include <map>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
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
struct ReferenceTitles;

// A control's place in twips.
struct TwipsRect {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;

    bool operator==(const TwipsRect&) const = default;
};

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The one instance, created (loaded, not shown) on first use.
    static frmMain* Instance();
    static bool IsLoaded();

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
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    frmMain();
    ~frmMain() override;

    void Form_Load();
    void Form_Unload();
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

    FormSurface* m_surface = nullptr;
    std::vector<CaptionedControl> m_captioned;
    std::map<const QWidget*, TwipsRect> m_places;
    std::vector<QWidget*> m_placed;     // in the order they were placed
    int m_refreshing = 0;
};
