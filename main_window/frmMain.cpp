#include "main_window/frmMain.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMainTexts.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "instrument/modCommunication.h"
#include "main_window/modGrid.h"
#include "main_window/modPending.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/FlexGrid.h"
#include "platform/LoadedForms.h"
#include "platform/MousePointer.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/SystemEnd.h"
#include "platform/TabControl.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetricsF>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

frmMain* g_main = nullptr;

// Hands the events of the watched controls to one member of the window.
class MemberFilter : public QObject {
public:
    using Handler = bool (frmMain::*)(QObject*, QEvent*);
    MemberFilter(frmMain* window, Handler handler) : QObject(window), m_window(window), m_handler(handler) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return (m_window->*m_handler)(watched, event); }

private:
    frmMain* m_window;
    Handler m_handler;
};

// The window's design size, also its least size, and what the outer size
// adds to the inside (frame, title and menu bar).
constexpr double DesignWidth = 12120;
constexpr double DesignHeight = 9150;
constexpr double OuterExtraWidth = 225;
constexpr double OuterExtraHeight = 855;
// The size the window is given at loading, raised to the least size at once.
constexpr double LoadWidth = 12000;
constexpr double LoadHeight = 9000;

// Operator and reference texts are stored with at most this many characters.
constexpr int NameMaxLength = 35;

// The labels of the two bottom frames have 720 twips before their grids. A
// translation that would not leave a gap of three pixels there is drawn
// condensed as far as it must, so that it neither touches its grid nor is
// cut by it; the grids keep their places.
constexpr double FrameLabelRoom = 720 - 45;

void FitFrameCaption(QLabel* label, const QFont& font)
{
    QFont fitted = font;
    for (int stretch = 100; stretch > 70; stretch -= 5) {
        fitted.setStretch(stretch);
        if (PixelsToTwips(QFontMetricsF(fitted).horizontalAdvance(label->text())) <= FrameLabelRoom)
            break;
    }
    label->setFont(fitted);
}

constexpr int ResultTab = 0;
constexpr int CommentaryTab = 1;
constexpr int ProfileTab1 = 2;      // and 3
constexpr int HistogramTab1 = 4;    // and 5
constexpr int CurveTab = 6;
constexpr int QdasTab = 7;
constexpr int DisplayTabCount = 8;

QString ControlName(const char* name, int index)
{
    const QString base = QString::fromLatin1(name);
    return index < 0 ? base : base + QStringLiteral("_") + QString::number(index);
}

// A control's place at the design size, in twips; controls on the display
// tabs in the tab control's coordinates. The areas' frames and the rows in
// them are laid out so that the rules of the layout give back exactly these
// values at the least size.
struct DesignPlace {
    const char* Name;
    int Index;
    double Left;
    double Top;
    double Width;
    double Height;
};

const DesignPlace DesignPlaces[] = {
    // Style, operator and references.
    {"lblStyle", -1, 120, 150, 1200, 195},
    {"cboStyle", -1, 1380, 120, 5055, 315},
    {"lblOperator", -1, 120, 480, 1200, 195},
    {"cboOperator", -1, 1380, 450, 5055, 315},
    {"lblReference", 2, 120, 810, 1200, 195},
    {"cboReference", 2, 1380, 780, 5055, 315},
    {"lblReference", 3, 120, 1140, 1200, 195},
    {"cboReference", 3, 1380, 1110, 5055, 315},
    {"lblReference", 4, 120, 1470, 1200, 195},
    {"cboReference", 4, 1380, 1440, 5055, 315},

    // Date and time, instrument, serial number, parameters, folder.
    {"lblDateTime", -1, 6600, 135, 1500, 195},
    {"lblDateTimeE", -1, 8160, 135, 2100, 195},
    {"imgFolder", -1, 10320, 120, 240, 240},
    {"lblFolderE", -1, 10740, 135, 1035, 195},
    {"lblInstrument", -1, 6600, 405, 1500, 195},
    {"lblInstrumentE", -1, 8160, 405, 2160, 195},
    {"lblSerialNumber", -1, 10380, 405, 360, 195},
    {"lblSerialNumberE", -1, 10740, 405, 1035, 195},
    {"lblParameter", 1, 6600, 675, 1500, 195},
    {"lblParameterE", 1, 8160, 675, 3615, 195},
    {"lblParameter", 2, 6600, 945, 1500, 195},
    {"lblParameterE", 2, 8160, 945, 3615, 195},
    {"lblParameter", 3, 6600, 1215, 1500, 195},
    {"lblParameterE", 3, 8160, 1215, 3615, 195},
    {"lblParameter", 4, 6600, 1485, 1500, 195},
    {"lblParameterE", 4, 8160, 1485, 3615, 195},

    // Display tabs, and beside them the series and its properties.
    {"tabDisplay", -1, 60, 1890, 7515, 5025},
    {"optProtocol", 1, 7680, 1860, 1500, 240},
    {"optProtocol", 2, 9240, 1860, 1500, 240},
    {"cboProtocol", -1, 7800, 2175, 3540, 315},
    {"imgFlip", -1, 11400, 2205, 240, 240},
    {"lblProperty", 1, 7800, 2625, 3600, 195},
    {"lblPropertyStatus", 1, 7800, 2880, 1020, 195},
    {"chkLateralAir", 1, 8880, 2865, 240, 225},
    {"lblLateralAir", 1, 9120, 2880, 840, 195},
    {"lblLateralAirE", 1, 9960, 2880, 1440, 195},
    {"imgTerminated", 1, 11460, 2745, 240, 240},
    {"lblProperty", 2, 7800, 3225, 3600, 195},
    {"lblPropertyStatus", 2, 7800, 3480, 1020, 195},
    {"chkLateralAir", 2, 8880, 3465, 240, 225},
    {"lblLateralAir", 2, 9120, 3480, 840, 195},
    {"lblLateralAirE", 2, 9960, 3480, 1440, 195},
    {"imgTerminated", 2, 11460, 3345, 240, 240},
    {"lblProperty", 3, 7800, 3825, 3600, 195},
    {"lblPropertyStatus", 3, 7800, 4080, 1020, 195},
    {"chkLateralAir", 3, 8880, 4065, 240, 225},
    {"lblLateralAir", 3, 9120, 4080, 840, 195},
    {"lblLateralAirE", 3, 9960, 4080, 1440, 195},
    {"imgTerminated", 3, 11460, 3945, 240, 240},
    {"lblProperty", 4, 7800, 4425, 3600, 195},
    {"lblPropertyStatus", 4, 7800, 4680, 1020, 195},
    {"chkLateralAir", 4, 8880, 4665, 240, 225},
    {"lblLateralAir", 4, 9120, 4680, 840, 195},
    {"lblLateralAirE", 4, 9960, 4680, 1440, 195},
    {"imgTerminated", 4, 11460, 4545, 240, 240},
    {"lblProperty", 5, 7800, 5025, 3600, 195},
    {"lblPropertyStatus", 5, 7800, 5280, 1020, 195},
    {"chkLateralAir", 5, 8880, 5265, 240, 225},
    {"lblLateralAir", 5, 9120, 5280, 840, 195},
    {"lblLateralAirE", 5, 9960, 5280, 1440, 195},
    {"imgTerminated", 5, 11460, 5145, 240, 240},
    {"lblProperty", 6, 7800, 5625, 3600, 195},
    {"lblPropertyStatus", 6, 7800, 5880, 1020, 195},
    {"chkLateralAir", 6, 8880, 5865, 240, 225},
    {"lblLateralAir", 6, 9120, 5880, 840, 195},
    {"lblLateralAirE", 6, 9960, 5880, 1440, 195},
    {"imgTerminated", 6, 11460, 5745, 240, 240},
    {"cmdPreview", -1, 7680, 6420, 2040, 495},
    {"cmdTerminateProtocol", -1, 9795, 6420, 2040, 495},

    // Statistics and nominal values: five rows of 240 twips per frame.
    {"lblAvg", -1, 120, 7020, 720, 195},
    {"grdAvg", -1, 840, 6990, 3495, 240},
    {"lblMin", -1, 120, 7260, 720, 195},
    {"grdMin", -1, 840, 7230, 3495, 240},
    {"lblMax", -1, 120, 7500, 720, 195},
    {"grdMax", -1, 840, 7470, 3495, 240},
    {"lblCV", -1, 120, 7740, 720, 195},
    {"grdCV", -1, 840, 7710, 3495, 240},
    {"lblCI", -1, 120, 7980, 720, 195},
    {"grdCI", -1, 840, 7950, 3495, 240},
    {"lblNominal", -1, 4500, 7020, 720, 195},
    {"grdNominal", -1, 5220, 6990, 3495, 240},
    {"lblLLimit", -1, 4500, 7260, 720, 195},
    {"grdLLimit", -1, 5220, 7230, 3495, 240},
    {"lblULimit", -1, 4500, 7500, 720, 195},
    {"grdULimit", -1, 5220, 7470, 3495, 240},
    {"lblTest", -1, 4500, 7740, 720, 195},
    {"grdTest", -1, 5220, 7710, 3495, 240},
    {"lblNominalCI", -1, 4500, 7980, 720, 195},
    {"grdNominalCI", -1, 5220, 7950, 3495, 240},

    // Status pictures and measuring controls.
    {"imgNoConnection", -1, 8880, 7080, 480, 480},
    {"imgPrint", -1, 8880, 7650, 510, 510},
    {"imgNotPrint", -1, 8880, 7680, 480, 480},
    {"pgbProgress", -1, 9795, 6975, 2040, 135},
    {"txtKeyboard", -1, 9795, 7140, 2040, 315},
    {"cmdMeasure", -1, 9795, 7620, 2040, 615},

    // Results page: the result names over the value columns, the tests and
    // the two deviation charts at the right.
    {"lblResult", 1, 525, 375, 1575, 195},
    {"lblResult", 2, 2115, 375, 1575, 195},
    {"grdResult", -1, 120, 570, 7035, 4320},
    {"picCell", -1, 120, 570, 6915, 240},
    {"picDeviation", 1, 7215, 570, 240, 2115},
    {"picDeviation", 2, 7215, 2775, 240, 2115},

    // Commentary page.
    {"txtCommentary", -1, 90, 480, 7335, 315},

    // Profile pages: value axis at the left, strips for values beyond the
    // scale above and below the points.
    {"lblProfileYUnit", 1, 60, 375, 780, 195},
    {"picProfileU", 1, 900, 465, 6495, 135},
    {"picProfile", 1, 900, 585, 6495, 4215},
    {"picProfileL", 1, 900, 4785, 6495, 135},
    {"picProfileY", 1, 60, 585, 780, 4215},
    {"lblProfileYUnit", 2, 60, 375, 780, 195},
    {"picProfileU", 2, 900, 465, 6495, 135},
    {"picProfile", 2, 900, 585, 6495, 4215},
    {"picProfileL", 2, 900, 4785, 6495, 135},
    {"picProfileY", 2, 60, 585, 780, 4215},

    // Histogram pages: count axis at the left, the bars of values below and
    // above the classes beside the class bars, the value axis below.
    {"lblHistogramYMax", 1, 60, 390, 480, 195},
    {"picHistogramL", 1, 600, 390, 240, 4365},
    {"picHistogram", 1, 825, 390, 6315, 4365},
    {"picHistogramU", 1, 7125, 390, 240, 4365},
    {"picHistogramX", 1, 825, 4800, 6315, 195},
    {"lblHistogramYMin", 1, 60, 4530, 480, 195},
    {"lblHistogramXUnit", 1, 60, 4800, 720, 195},
    {"lblHistogramYMax", 2, 60, 390, 480, 195},
    {"picHistogramL", 2, 600, 390, 240, 4365},
    {"picHistogram", 2, 825, 390, 6315, 4365},
    {"picHistogramU", 2, 7125, 390, 240, 4365},
    {"picHistogramX", 2, 825, 4800, 6315, 195},
    {"lblHistogramYMin", 2, 60, 4530, 480, 195},
    {"lblHistogramXUnit", 2, 60, 4800, 720, 195},

    // Curve page.
    {"lblCurveYMax", -1, 120, 390, 7275, 195},
    {"picCurve", -1, 60, 600, 7395, 3675},
    {"lblCurveXMax", -1, 60, 4290, 7395, 195},
    {"cmdAnalyzeCurve", -1, 60, 4530, 7395, 375},

    // Q-DAS page.
    {"lblK0006", -1, 120, 540, 2400, 195},
    {"txtK0006", -1, 2580, 510, 3000, 315},
    {"lblK0016", -1, 120, 960, 2400, 195},
    {"txtK0016", -1, 2580, 930, 3000, 315},
    {"lblK0053", -1, 120, 1380, 2400, 195},
    {"txtK0053", -1, 2580, 1350, 3000, 315},
    {"lblK1031", -1, 120, 1800, 2400, 195},
    {"txtK1031", -1, 2580, 1770, 3000, 315},
    {"lblK1032", -1, 120, 2220, 2400, 195},
    {"txtK1032", -1, 2580, 2190, 3000, 315},
    {"lblK1086", -1, 120, 2640, 2400, 195},
    {"txtK1086", -1, 2580, 2610, 3000, 315},
    {"lblK1087", -1, 120, 3060, 2400, 195},
    {"txtK1087", -1, 2580, 3030, 3000, 315},
};

// The frames of the five areas at the design size.
constexpr FormShape DesignReference{60, 60, 6435, 1755};
constexpr FormShape DesignParameter{6540, 60, 5295, 1755};
constexpr FormShape DesignProperty{7680, 2100, 4155, 4275};
constexpr FormShape DesignStatistic{60, 6960, 4335, 1275};
constexpr FormShape DesignNominal{4440, 6960, 4335, 1275};
// The separator above property row i + 1 lies at this height and the rows
// are this far apart.
constexpr double FirstSeparatorTop = 2580;
constexpr double PropertyRowPitch = 600;

// The menu bar: each menu, then its items in order. Separators are the items
// named "Line"; only the shortcuts given here exist.
struct MenuEntry {
    const char* Name;
    QMenu* frmMain::*Menu;      // a menu of the bar
    QAction* frmMain::*Item;    // an item of the menu above it
    const char* Shortcut;
};

const MenuEntry MenuTree[] = {
    {"mnuFile", &frmMain::mnuFile, nullptr, ""},
    {"mnuFile_Copy", nullptr, &frmMain::mnuFile_Copy, "Ctrl+C"},
    {"mnuFile_Line1", nullptr, &frmMain::mnuFile_Line1, ""},
    {"mnuFile_Import", nullptr, &frmMain::mnuFile_Import, ""},
    {"mnuFile_Line2", nullptr, &frmMain::mnuFile_Line2, ""},
    {"mnuFile_Password", nullptr, &frmMain::mnuFile_Password, ""},
    {"mnuFile_Line3", nullptr, &frmMain::mnuFile_Line3, ""},
    {"mnuFile_Exit", nullptr, &frmMain::mnuFile_Exit, ""},
    {"mnuFunction", &frmMain::mnuFunction, nullptr, ""},
    {"mnuFunction_Measure", nullptr, &frmMain::mnuFunction_Measure, "Ctrl+M"},
    {"mnuFunction_LongTermAnalysis", nullptr, &frmMain::mnuFunction_LongTermAnalysis, "Ctrl+L"},
    {"mnuSettings", &frmMain::mnuSettings, nullptr, ""},
    {"mnuSettings_CountrySettings", nullptr, &frmMain::mnuSettings_CountrySettings, ""},
    {"mnuSettings_Line1", nullptr, &frmMain::mnuSettings_Line1, ""},
    {"mnuSettings_SystemSettings", nullptr, &frmMain::mnuSettings_SystemSettings, ""},
    {"mnuSettings_Line2", nullptr, &frmMain::mnuSettings_Line2, ""},
    {"mnuSettings_ReferenceTitle", nullptr, &frmMain::mnuSettings_ReferenceTitle, ""},
    {"mnuSettings_DataSettings", nullptr, &frmMain::mnuSettings_DataSettings, ""},
    {"mnuSettings_QDASSettings", nullptr, &frmMain::mnuSettings_QDASSettings, ""},
    {"mnuStandard", &frmMain::mnuStandard, nullptr, ""},
    {"mnuStandard_Style", nullptr, &frmMain::mnuStandard_Style, "Ctrl+S"},
    {"mnuStandard_Reference2to4", nullptr, &frmMain::mnuStandard_Reference2to4, "Ctrl+O"},
    {"mnuStandard_Operator", nullptr, &frmMain::mnuStandard_Operator, "Ctrl+R"},
    {"mnuStandard_Line1", nullptr, &frmMain::mnuStandard_Line1, ""},
    {"mnuStandard_ReportForm", nullptr, &frmMain::mnuStandard_ReportForm, "Ctrl+F"},
    {"mnuStandard_KeyboardSettings", nullptr, &frmMain::mnuStandard_KeyboardSettings, "Ctrl+K"},
    {"mnuInfo", &frmMain::mnuInfo, nullptr, ""},
    {"mnuInfo_About", nullptr, &frmMain::mnuInfo_About, ""},
};

bool IsSeparatorName(const char* name)
{
    return QString::fromLatin1(name).contains(QStringLiteral("_Line"));
}

// Puts a caption on any kind of captioned control.
void SetCaption(QObject* control, int index, const QString& text)
{
    if (auto* tabs = qobject_cast<TabControl*>(control))
        tabs->SetTabCaption(index, text);
    else if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
}

void SetReadOutColours(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, ToQColor(vbInfoBackground));
    palette.setColor(QPalette::WindowText, ToQColor(vbInfoText));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

// ---------------------------------------------------------------------------
// The one instance

frmMain* frmMain::Instance()
{
    if (!g_main)
        g_main = new frmMain();
    return g_main;
}

bool frmMain::IsLoaded() { return g_main != nullptr; }

void frmMain::EndBySystem()
{
    if (g_main)
        g_main->close();
    QCoreApplication::exit(0);
}

void frmMain::SaveBySystem()
{
    if (!g_main)
        return;
    {
        MousePointerGuard hourglass(PointerHourglass);
        g_main->m_typedChangeTimer->stop();
        bool ok = false;
        SavePendingProtocols(ok);
    }
    // Nobody is asked during the session's save; a failure is in the log.
    SaveSettings();
}

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, true);
    RegisterForm(this);
    setFont(WindowFont());

    m_surface = new FormSurface(this);
    m_surface->setObjectName(QStringLiteral("frmMainSurface"));
    // The least size is the inside's: the menu bar comes on top of it.
    m_surface->setMinimumSize(TwipsToPixels(DesignWidth - OuterExtraWidth),
                              TwipsToPixels(DesignHeight - OuterExtraHeight));
    setCentralWidget(m_surface);

    CreateControls();
    CreateMenus();
    PlaceAtDesign();
    connect(m_surface, &FormSurface::Resized, this, [this] { Form_Resize(); });
    connect(m_surface, &FormSurface::MouseMove, this,
            [this](int button, int shift, double x, double y) { Form_MouseMove(button, shift, x, y); });
    connect(mnuFile_Import, &QAction::triggered, this, [this] { mnuFile_Import_Click(); });
    connect(mnuFunction_LongTermAnalysis, &QAction::triggered, this, [this] { mnuFunction_LongTermAnalysis_Click(); });
    Form_Load();
}

frmMain::~frmMain()
{
    // The focus moves while the child widgets go, after the timer it uses.
    disconnect(qApp, nullptr, this, nullptr);
    // The filters call members of this window; the children they watch are
    // destroyed by ~QWidget, when this window is no frmMain any more.
    delete m_seriesFilter;
    m_seriesFilter = nullptr;
    delete m_commandFilter;
    m_commandFilter = nullptr;
    if (g_main == this)
        g_main = nullptr;
}

QObject* frmMain::NewMemberFilter(bool (frmMain::*handler)(QObject*, QEvent*))
{
    return new MemberFilter(this, handler);
}

frmMain::RefreshGuard::RefreshGuard(frmMain& window) : m_window(window) { ++m_window.m_refreshing; }

frmMain::RefreshGuard::~RefreshGuard() { --m_window.m_refreshing; }

QFont frmMain::WindowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    return font;
}

double frmMain::TextWidth(const QString& text)
{
    return PixelsToTwips(QFontMetricsF(WindowFont()).horizontalAdvance(text));
}

int frmMain::Width() const
{
    return static_cast<int>(PixelsToTwips(m_surface->width()) + OuterExtraWidth);
}

int frmMain::Height() const
{
    return static_cast<int>(PixelsToTwips(m_surface->height()) + OuterExtraHeight);
}

int frmMain::WindowState() const
{
    if (isMinimized())
        return 1;
    if (isMaximized())
        return 2;
    return 0;
}

// ---------------------------------------------------------------------------
// Building the window

void frmMain::AddCaptioned(QObject* control, const char* name, int index)
{
    const QString controlName = QString::fromLatin1(name);
    if (MainTextEntry(controlName, index) != 0)
        m_captioned.push_back(CaptionedControl{control, controlName, index});
}

QLabel* frmMain::NewLabel(QWidget* parent, const char* name, int index)
{
    auto* label = new QLabel(parent);
    label->setObjectName(ControlName(name, index));
    // A name typed by the user shows its "&" as it stands.
    label->setTextFormat(Qt::PlainText);
    label->setMouseTracking(true);
    AddCaptioned(label, name, index);
    return label;
}

QLabel* frmMain::NewImage(QWidget* parent, const char* name, int index)
{
    auto* image = new QLabel(parent);
    image->setObjectName(ControlName(name, index));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setMouseTracking(true);
    return image;
}

PictureBox* frmMain::NewPicture(QWidget* parent, const char* name, int index)
{
    auto* picture = new PictureBox(parent);
    picture->setObjectName(ControlName(name, index));
    return picture;
}

FlexGrid* frmMain::NewGrid(const char* name)
{
    auto* grid = new FlexGrid(m_surface);
    grid->setObjectName(QString::fromLatin1(name));
    return grid;
}

QLineEdit* frmMain::NewTextBox(QWidget* parent, const char* name, int maxLength)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    // Its text is stored: only what a file can keep goes in.
    InstallTextInput(box, maxLength);
    return box;
}

QLabel* frmMain::NewReadOut(PictureBox* picture, const char* name, int index)
{
    QLabel* label = NewLabel(picture, name, index);
    label->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    label->hide();
    return label;
}

void frmMain::CreateControls()
{
    QWidget* form = m_surface;

    // Style, operator and references.
    lblStyle = NewLabel(form, "lblStyle");
    cboStyle = new QComboBox(form);
    cboStyle->setObjectName(QStringLiteral("cboStyle"));
    lblOperator = NewLabel(form, "lblOperator");
    cboOperator = new QComboBox(form);
    cboOperator->setObjectName(QStringLiteral("cboOperator"));
    for (int i = 2; i <= 4; ++i) {
        lblReference[static_cast<size_t>(i)] = NewLabel(form, "lblReference", i);
        auto* box = new QComboBox(form);
        box->setObjectName(ControlName("cboReference", i));
        cboReference[static_cast<size_t>(i)] = box;
    }
    // Operator and references take free text besides their lists.
    for (QComboBox* box : {cboOperator, cboReference[2], cboReference[3], cboReference[4]}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        InstallTextInput(box, NameMaxLength);
    }

    // Date and time, instrument, serial number, parameters, folder.
    lblDateTime = NewLabel(form, "lblDateTime");
    lblDateTimeE = NewLabel(form, "lblDateTimeE");
    imgFolder = NewImage(form, "imgFolder");
    lblFolderE = NewLabel(form, "lblFolderE");
    lblInstrument = NewLabel(form, "lblInstrument");
    lblInstrumentE = NewLabel(form, "lblInstrumentE");
    lblSerialNumber = NewLabel(form, "lblSerialNumber");
    lblSerialNumberE = NewLabel(form, "lblSerialNumberE");
    for (size_t i = 1; i <= 4; ++i) {
        lblParameter[i] = NewLabel(form, "lblParameter", static_cast<int>(i));
        lblParameterE[i] = NewLabel(form, "lblParameterE", static_cast<int>(i));
    }

    // The series and its six property rows.
    for (size_t i = 1; i <= 2; ++i) {
        optProtocol[i] = new QRadioButton(form);
        optProtocol[i]->setObjectName(ControlName("optProtocol", static_cast<int>(i)));
        AddCaptioned(optProtocol[i], "optProtocol", static_cast<int>(i));
    }
    cboProtocol = new QComboBox(form);
    cboProtocol->setObjectName(QStringLiteral("cboProtocol"));
    imgFlip = NewImage(form, "imgFlip");
    for (size_t i = 1; i <= 6; ++i) {
        const int index = static_cast<int>(i);
        lblProperty[i] = NewLabel(form, "lblProperty", index);
        lblPropertyStatus[i] = NewLabel(form, "lblPropertyStatus", index);
        chkLateralAir[i] = new QCheckBox(form);
        chkLateralAir[i]->setObjectName(ControlName("chkLateralAir", index));
        lblLateralAir[i] = NewLabel(form, "lblLateralAir", index);
        lblLateralAirE[i] = NewLabel(form, "lblLateralAirE", index);
        // Lateral air belongs to a property of its own test type only; the
        // series display shows it there.
        chkLateralAir[i]->setVisible(false);
        lblLateralAir[i]->setVisible(false);
        lblLateralAirE[i]->setVisible(false);
        imgTerminated[i] = NewImage(form, "imgTerminated", index);
    }
    cmdPreview = new QPushButton(form);
    cmdPreview->setObjectName(QStringLiteral("cmdPreview"));
    AddCaptioned(cmdPreview, "cmdPreview");
    cmdTerminateProtocol = new QPushButton(form);
    cmdTerminateProtocol->setObjectName(QStringLiteral("cmdTerminateProtocol"));
    AddCaptioned(cmdTerminateProtocol, "cmdTerminateProtocol");

    // Statistics, then nominal values, limits and the test count.
    lblAvg = NewLabel(form, "lblAvg");
    grdAvg = NewGrid("grdAvg");
    lblMin = NewLabel(form, "lblMin");
    grdMin = NewGrid("grdMin");
    lblMax = NewLabel(form, "lblMax");
    grdMax = NewGrid("grdMax");
    lblCV = NewLabel(form, "lblCV");
    grdCV = NewGrid("grdCV");
    lblCI = NewLabel(form, "lblCI");
    grdCI = NewGrid("grdCI");
    lblNominal = NewLabel(form, "lblNominal");
    grdNominal = NewGrid("grdNominal");
    lblLLimit = NewLabel(form, "lblLLimit");
    grdLLimit = NewGrid("grdLLimit");
    lblULimit = NewLabel(form, "lblULimit");
    grdULimit = NewGrid("grdULimit");
    lblTest = NewLabel(form, "lblTest");
    grdTest = NewGrid("grdTest");
    lblNominalCI = NewLabel(form, "lblNominalCI");
    grdNominalCI = NewGrid("grdNominalCI");

    // Status pictures and measuring controls; the not-printed cross lies
    // over the printer.
    imgNoConnection = NewImage(form, "imgNoConnection");
    imgPrint = NewImage(form, "imgPrint");
    imgNotPrint = NewImage(form, "imgNotPrint");
    imgNotPrint->raise();
    pgbProgress = new QProgressBar(form);
    pgbProgress->setObjectName(QStringLiteral("pgbProgress"));
    pgbProgress->setRange(0, 100);
    pgbProgress->setValue(0);
    pgbProgress->setTextVisible(false);
    // Shown only while a curve is being received.
    pgbProgress->hide();
    // A typed value: digits and one decimal separator, as many characters
    // as an instrument's result field holds.
    txtKeyboard = new QLineEdit(form);
    txtKeyboard->setObjectName(QStringLiteral("txtKeyboard"));
    InstallValueInput(txtKeyboard, 6);
    cmdMeasure = new QPushButton(form);
    cmdMeasure->setObjectName(QStringLiteral("cmdMeasure"));
    AddCaptioned(cmdMeasure, "cmdMeasure");

    tabDisplay = new TabControl(form);
    tabDisplay->setObjectName(QStringLiteral("tabDisplay"));
    for (int i = 0; i < DisplayTabCount; ++i) {
        tabDisplay->AddTab(QString());
        AddCaptioned(tabDisplay, "tabDisplay", i);
    }
    CreatePageControls();

    timDateTime = new QTimer(this);
    timDateTime->setObjectName(QStringLiteral("timDateTime"));
    timDateTime->setInterval(500);
}

void frmMain::CreatePageControls()
{
    QWidget* results = tabDisplay->Page(ResultTab);
    for (size_t k = 1; k <= 2; ++k)
        lblResult[k] = NewLabel(results, "lblResult", static_cast<int>(k));
    grdResult = new FlexGrid(results);
    grdResult->setObjectName(QStringLiteral("grdResult"));
    // Only its width is used: the marked row is painted by the grid.
    picCell = NewPicture(results, "picCell");
    picCell->hide();
    for (size_t k = 1; k <= 2; ++k)
        picDeviation[k] = NewPicture(results, "picDeviation", static_cast<int>(k));

    txtCommentary = NewTextBox(tabDisplay->Page(CommentaryTab), "txtCommentary", 255);

    for (size_t k = 1; k <= 2; ++k) {
        const int index = static_cast<int>(k);
        QWidget* page = tabDisplay->Page(ProfileTab1 + index - 1);
        lblProfileYUnit[k] = NewLabel(page, "lblProfileYUnit", index);
        picProfileU[k] = NewPicture(page, "picProfileU", index);
        picProfile[k] = NewPicture(page, "picProfile", index);
        picProfileL[k] = NewPicture(page, "picProfileL", index);
        picProfileY[k] = NewPicture(page, "picProfileY", index);
        lblProfileCoordinate[k] = NewReadOut(picProfile[k], "lblProfileCoordinate", index);
    }

    for (size_t k = 1; k <= 2; ++k) {
        const int index = static_cast<int>(k);
        QWidget* page = tabDisplay->Page(HistogramTab1 + index - 1);
        lblHistogramYMax[k] = NewLabel(page, "lblHistogramYMax", index);
        lblHistogramYMax[k]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        picHistogramL[k] = NewPicture(page, "picHistogramL", index);
        picHistogram[k] = NewPicture(page, "picHistogram", index);
        picHistogramU[k] = NewPicture(page, "picHistogramU", index);
        picHistogramX[k] = NewPicture(page, "picHistogramX", index);
        lblHistogramYMin[k] = NewLabel(page, "lblHistogramYMin", index);
        lblHistogramYMin[k]->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        lblHistogramXUnit[k] = NewLabel(page, "lblHistogramXUnit", index);
        lblHistogramCoordinate[k] = NewReadOut(picHistogram[k], "lblHistogramCoordinate", index);
    }

    QWidget* curve = tabDisplay->Page(CurveTab);
    lblCurveYMax = NewLabel(curve, "lblCurveYMax");
    picCurve = NewPicture(curve, "picCurve");
    lblCurveXMax = NewLabel(curve, "lblCurveXMax");
    lblCurveXMax->setAlignment(Qt::AlignRight | Qt::AlignTop);
    cmdAnalyzeCurve = new QPushButton(curve);
    cmdAnalyzeCurve->setObjectName(QStringLiteral("cmdAnalyzeCurve"));
    AddCaptioned(cmdAnalyzeCurve, "cmdAnalyzeCurve");
    lblCurveCoordinate = NewReadOut(picCurve, "lblCurveCoordinate");

    QWidget* qdas = tabDisplay->Page(QdasTab);
    lblK0006 = NewLabel(qdas, "lblK0006");
    txtK0006 = NewTextBox(qdas, "txtK0006", 14);
    lblK0016 = NewLabel(qdas, "lblK0016");
    txtK0016 = NewTextBox(qdas, "txtK0016", 32);
    lblK0053 = NewLabel(qdas, "lblK0053");
    txtK0053 = NewTextBox(qdas, "txtK0053", 20);
    lblK1031 = NewLabel(qdas, "lblK1031");
    txtK1031 = NewTextBox(qdas, "txtK1031", 20);
    lblK1032 = NewLabel(qdas, "lblK1032");
    txtK1032 = NewTextBox(qdas, "txtK1032", 40);
    lblK1086 = NewLabel(qdas, "lblK1086");
    txtK1086 = NewTextBox(qdas, "txtK1086", 40);
    lblK1087 = NewLabel(qdas, "lblK1087");
    txtK1087 = NewTextBox(qdas, "txtK1087", 40);
}

void frmMain::CreateMenus()
{
    QMenu* menu = nullptr;
    for (const MenuEntry& entry : MenuTree) {
        const QString name = QString::fromLatin1(entry.Name);
        if (entry.Menu) {
            menu = menuBar()->addMenu(QString());
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            menu->setFont(WindowFont());
            this->*entry.Menu = menu;
            AddCaptioned(menu, entry.Name);
            continue;
        }
        QAction* item = nullptr;
        if (IsSeparatorName(entry.Name)) {
            // A separator is a plain line: a text of its own ("-" in the
            // design) would be drawn beside the line.
            item = menu->addSeparator();
        } else {
            item = menu->addAction(QString());
            // Exit shows the system's key in its caption; no key is bound to it.
            if (entry.Shortcut[0] != '\0')
                item->setShortcut(QKeySequence(QString::fromLatin1(entry.Shortcut)));
            AddCaptioned(item, entry.Name);
        }
        item->setObjectName(name);
        this->*entry.Item = item;
    }
}

void frmMain::PlaceAtDesign()
{
    for (const DesignPlace& place : DesignPlaces) {
        auto* control = findChild<QWidget*>(ControlName(place.Name, place.Index));
        if (!control)
            continue;
        m_places[control] = TwipsRect{place.Left, place.Top, place.Width, place.Height};
        m_placed.push_back(control);
    }
    shpReference = DesignReference;
    shpParameter = DesignParameter;
    shpProperty = DesignProperty;
    shpStatistic = DesignStatistic;
    shpNominal = DesignNominal;
    for (const FormShape* shape : {&shpReference, &shpParameter, &shpProperty, &shpStatistic, &shpNominal})
        m_surface->AddShape(shape);
    for (size_t k = 0; k < linProtocolSeparator.size(); ++k) {
        FormLine& line = linProtocolSeparator[k];
        line.X1 = DesignProperty.Left;
        line.X2 = DesignProperty.Left + DesignProperty.Width;
        line.Y1 = FirstSeparatorTop + PropertyRowPitch * static_cast<double>(k);
        line.Y2 = line.Y1;
        m_surface->AddLine(&line);
    }
    ApplyPlaces();
}

// ---------------------------------------------------------------------------
// Layout

TwipsRect frmMain::Place(const QWidget* control) const
{
    const auto found = m_places.find(control);
    return found == m_places.end() ? TwipsRect{} : found->second;
}

TwipsRect& frmMain::At(QWidget* control)
{
    return m_places[control];
}

void frmMain::ApplyPlaces()
{
    ApplyTwipsPlaces(m_placed, m_places, tabDisplay);
    m_surface->update();
}

void frmMain::SetOuterSize(double width, double height)
{
    if (QLayout* frame = layout())
        frame->activate();
    const QSize extra = size() - m_surface->size();
    resize(TwipsToPixels(width - OuterExtraWidth) + extra.width(),
           TwipsToPixels(height - OuterExtraHeight) + extra.height());
    // A hidden window lays out its inside only when shown; do it now so that
    // Width and Height answer at once.
    if (QLayout* frame = layout())
        frame->setGeometry(rect());
}

void frmMain::Form_Resize()
{
    // 1. A minimised window keeps its layout.
    if (WindowState() == 1)
        return;

    // 2. The least size (the toolkit keeps the inside at it; see resizeEvent).
    const double W = std::max(static_cast<double>(Width()), DesignWidth);
    const double H = std::max(static_cast<double>(Height()), DesignHeight);

    // 3. Reference area: the frame and its combo boxes grow with the width.
    shpReference.Width = W - 5685;
    At(cboStyle).Width = shpReference.Width - 1380;
    for (size_t i = 2; i <= 4; ++i)
        At(cboReference[i]).Width = At(cboStyle).Width;
    At(cboOperator).Width = At(cboStyle).Width;

    // 4. Parameter area: a frame of fixed width at the right edge.
    shpParameter.Left = W - shpParameter.Width - 285;
    const double P = shpParameter.Left;
    At(lblDateTime).Left = P + 60;
    At(lblInstrument).Left = P + 60;
    for (size_t i = 1; i <= 4; ++i)
        At(lblParameter[i]).Left = P + 60;
    At(lblDateTimeE).Left = P + 1620;
    At(lblInstrumentE).Left = P + 1620;
    for (size_t i = 1; i <= 4; ++i)
        At(lblParameterE[i]).Left = P + 1620;
    At(imgFolder).Left = P + 3780;
    At(lblSerialNumber).Left = P + 3840;
    At(lblFolderE).Left = P + 4200;
    At(lblSerialNumberE).Left = P + 4200;

    // 5. Display tabs and their pages.
    TwipsRect& T = At(tabDisplay);
    T.Width = W - 4605;
    T.Height = H - 4125;
    TwipsRect& result = At(grdResult);
    result.Width = T.Width - 480;
    result.Height = T.Height - 705;
    At(picCell).Width = result.Width - 120;
    for (size_t k = 1; k <= 2; ++k) {
        TwipsRect& chart = At(picDeviation[k]);
        chart.Left = T.Width - chart.Width - 60;
        chart.Height = result.Height / 2 - 45;
    }
    At(picDeviation[2]).Top = result.Top + result.Height - At(picDeviation[2]).Height;
    At(txtCommentary).Width = T.Width - 180;
    for (size_t k = 1; k <= 2; ++k) {
        At(picProfileU[k]).Width = T.Width - 1020;
        At(picProfile[k]).Width = T.Width - 1020;
        At(picProfileL[k]).Width = T.Width - 1020;
        At(picProfile[k]).Height = T.Height - 810;
        At(picProfileY[k]).Height = T.Height - 810;
        At(picProfileL[k]).Top = At(picProfile[k]).Top + At(picProfile[k]).Height - 15;
    }
    for (size_t k = 1; k <= 2; ++k) {
        At(picHistogramL[k]).Height = T.Height - 660;
        At(picHistogram[k]).Height = T.Height - 660;
        At(picHistogramU[k]).Height = T.Height - 660;
        At(picHistogram[k]).Width = T.Width - 1200;
        At(picHistogramX[k]).Width = T.Width - 1200;
        const TwipsRect& bars = At(picHistogram[k]);
        At(picHistogramU[k]).Left = bars.Left + bars.Width - 15;
        At(picHistogramX[k]).Top = bars.Top + bars.Height + 45;
        At(lblHistogramYMin[k]).Top = bars.Top + bars.Height - 225;
        At(lblHistogramXUnit[k]).Top = bars.Top + bars.Height + 45;
    }
    At(lblCurveYMax).Width = T.Width - 240;
    At(picCurve).Width = T.Width - 120;
    At(picCurve).Height = T.Height - 1350;
    At(lblCurveXMax).Width = T.Width - 120;
    At(cmdAnalyzeCurve).Width = T.Width - 120;
    // The curve picture grows with the page; the axis label and the button
    // under it follow its bottom at their design distances, or a taller
    // window would lay them over the curves.
    const TwipsRect& curves = At(picCurve);
    At(lblCurveXMax).Top = curves.Top + curves.Height + 15;
    At(cmdAnalyzeCurve).Top = At(lblCurveXMax).Top + 240;

    // 6. Property area, and the two buttons under it level with the tabs' bottom.
    At(optProtocol[1]).Left = W - 4440;
    At(optProtocol[2]).Left = W - 2880;
    shpProperty.Left = W - 4440;
    const double S = shpProperty.Left;
    At(cboProtocol).Left = S + 120;
    shpProperty.Height = T.Height - 750;
    At(imgFlip).Left = S + 3720;
    for (size_t i = 1; i <= 6; ++i) {
        At(lblProperty[i]).Left = S + 120;
        At(lblPropertyStatus[i]).Left = S + 120;
        At(chkLateralAir[i]).Left = S + 1200;
        At(lblLateralAir[i]).Left = S + 1440;
        At(lblLateralAirE[i]).Left = S + 2280;
        At(imgTerminated[i]).Left = S + 3780;
        FormLine& line = linProtocolSeparator[i - 1];
        line.X1 = S;
        line.X2 = S + shpProperty.Width;
    }
    TwipsRect& preview = At(cmdPreview);
    preview.Left = S;
    preview.Top = T.Top + T.Height - preview.Height;
    TwipsRect& terminate = At(cmdTerminateProtocol);
    terminate.Left = S + shpProperty.Width - terminate.Width;
    terminate.Top = T.Top + T.Height - terminate.Height;

    // 7. Statistics and nominal frames share the width at the bottom.
    const double WF = static_cast<double>(CLng(W - 3345 - 60 - 45) / 2);
    shpStatistic.Width = WF;
    shpStatistic.Top = H - shpStatistic.Height - 915;
    const double ST = shpStatistic.Top;
    QLabel* const statisticLabels[] = {lblAvg, lblMin, lblMax, lblCV, lblCI};
    FlexGrid* const statisticGrids[] = {grdAvg, grdMin, grdMax, grdCV, grdCI};
    for (int row = 0; row < 5; ++row) {
        At(statisticLabels[row]).Top = ST + 60 + 240 * row;
        At(statisticGrids[row]).Top = ST + 30 + 240 * row;
    }
    shpNominal.Top = H - shpNominal.Height - 915;
    shpNominal.Width = WF;
    shpNominal.Left = shpStatistic.Left + shpStatistic.Width + 45;
    const double NT = shpNominal.Top;
    const double NL = shpNominal.Left;
    QLabel* const nominalLabels[] = {lblNominal, lblLLimit, lblULimit, lblTest, lblNominalCI};
    FlexGrid* const nominalGrids[] = {grdNominal, grdLLimit, grdULimit, grdTest, grdNominalCI};
    for (int row = 0; row < 5; ++row) {
        At(nominalLabels[row]).Top = NT + 60 + 240 * row;
        At(nominalLabels[row]).Left = NL + 60;
        At(nominalGrids[row]).Top = NT + 30 + 240 * row;
        At(nominalGrids[row]).Left = NL + 780;
    }

    // 8. Status pictures and measuring controls at the bottom right.
    At(imgNoConnection).Left = W - 3240;
    At(imgNoConnection).Top = H - 2070;
    At(imgPrint).Left = W - 3240;
    At(imgPrint).Top = H - 1500;
    At(imgNotPrint).Left = W - 3240;
    At(imgNotPrint).Top = H - 1470;
    At(txtKeyboard).Left = At(cmdTerminateProtocol).Left;
    At(txtKeyboard).Top = H - 2010;
    At(cmdMeasure).Left = At(cmdTerminateProtocol).Left;
    At(cmdMeasure).Top = H - 1530;
    // The curve transfer's bar keeps to the gap between the terminate button
    // and the value box; left where it was designed it would lie over the
    // buttons of a larger window.
    At(pgbProgress).Left = At(cmdTerminateProtocol).Left;
    At(pgbProgress).Top = H - 2175;

    // 9. The commentary column of the tests takes what the grid has left.
    grdResult->SetColWidth(6, CommentaryColumnWidth(*grdResult, result.Width));

    ApplyPlaces();

    // 10. and 11. The charts in their new sizes.
    RedrawAfterResize();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // A window manager that made the window smaller than its least size all
    // the same is asked once for that size; the inside never shrinks below it.
    if (!isMinimized() && (width() < minimumWidth() || height() < minimumHeight()))
        QTimer::singleShot(0, this, [this] { resize(size().expandedTo(minimumSize())); });
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Restoring a minimised window lays it out again.
    if (event->type() == QEvent::WindowStateChange && WindowState() != 1 && isVisible())
        Form_Resize();
}

// ---------------------------------------------------------------------------
// Captions and displays

void frmMain::SetLanguageCaptions(int language)
{
    setWindowTitle(MainCaption(QStringLiteral("frmMain"), language));
    for (const CaptionedControl& control : m_captioned)
        SetCaption(control.Control, control.Index, MainCaption(control.Name, control.Index, language));
    for (QLabel* label : {lblAvg, lblMin, lblMax, lblCV, lblCI, lblNominal, lblLLimit, lblULimit, lblTest, lblNominalCI})
        FitFrameCaption(label, WindowFont());
}

void frmMain::SetReferenceTitles(const ReferenceTitles& titles, int language)
{
    if (language < 1 || language > 6)
        return;
    const size_t first = static_cast<size_t>(language - 1) * 3;
    for (size_t k = 0; k < 3; ++k)
        lblReference[2 + k]->setText(titles.Titles[first + k]);
}

void frmMain::ShowDateTime(double date)
{
    const double shown = date == 0 ? Now() : date;
    lblDateTimeE->setText(FormatDateText(shown, DateFormat) + QStringLiteral(", ") + FormatTimeText(shown, true));
}

void frmMain::Form_MouseMove(int, int, double, double)
{
    HideLabel(lblHistogramCoordinate[1]);
    HideLabel(lblHistogramCoordinate[2]);
    HideLabel(lblProfileCoordinate[1]);
    HideLabel(lblProfileCoordinate[2]);
    HideLabel(lblCurveCoordinate);
}

// ---------------------------------------------------------------------------
// Load and unload

void frmMain::InitControls()
{
    // 1. The loading size, raised to the least size, in the middle of the screen.
    SetOuterSize(LoadWidth, LoadHeight);
    PlaceWindow(this, nullptr);

    // 2. to 4. Captions, icon and pictures.
    SetLanguageCaptions(Language);
    frmResource* resource = frmResource::Instance();
    setWindowIcon(resource->windowIcon());
    imgFlip->setPixmap(resource->imgFlip);
    imgPrint->setPixmap(resource->imgPrint);
    imgNotPrint->setPixmap(resource->imgCross);
    imgNoConnection->setPixmap(resource->imgNoConnection);
    imgFolder->setPixmap(resource->imgFolder);

    // 5. Grids.
    SetupStatGrid(*grdResult);
    for (FlexGrid* grid : {grdAvg, grdMin, grdMax, grdCV, grdCI, grdNominal, grdLLimit, grdULimit, grdTest,
                           grdNominalCI})
        SetupNominalGrid(*grid);

    // 6. Read-outs in the colours of tool tips.
    for (QLabel* label : {lblProfileCoordinate[1], lblProfileCoordinate[2], lblHistogramCoordinate[1],
                          lblHistogramCoordinate[2], lblCurveCoordinate})
        SetReadOutColours(label);

    // 7. The present date and time.
    ShowDateTime(0);

    // The clock runs as long as the window; the charts answer the pointer.
    connect(timDateTime, &QTimer::timeout, this, &frmMain::timDateTime_Timer);
    timDateTime->start();
    InitCharts();
}

void frmMain::Form_Load()
{
    // 1. Controls, captions, pictures, grids, clock; then the handlers of
    // the series controls.
    InitControls();
    ConnectSeriesHandlers();
    ConnectCommands();
    ConnectMeasureHandlers();
    {
        // 2. Nothing filled or selected below starts a handler's action.
        RefreshGuard refreshing(*this);

        // 3. The lists.
        FillStyleCombo();
        FillListFromArray(Reference2Values, cboReference[2]);
        FillListFromArray(Reference3Values, cboReference[3]);
        FillListFromArray(Reference4Values, cboReference[4]);
        FillListFromArray(Operators, cboOperator);

        // 4. Reference captions.
        SetReferenceTitles(RefTitles, Language);

        // 5. The series left open by the last run.
        LoadPendingProtocols();
        if (Protocols.empty())
            Protocols.push_back(EmptyProtocol);

        // 6. Every tab starts disabled; the enabling below opens those that apply.
        for (int tab = 0; tab < tabDisplay->Tabs(); ++tab)
            tabDisplay->SetTabEnabled(tab, false);
        TabEnabledCache.fill(false);

        // 7. The no-connection picture.
        imgNoConnection->setVisible(!PortOpen);

        // 8. The index remembered in the settings file, cut to the series
        // that came back.
        const int upper = static_cast<int>(Protocols.size()) - 1;
        CurrentProtocol = static_cast<int16_t>(std::max(MinOf(upper, static_cast<int>(CurrentProtocol)), 0));

        // 9. and 10. The view and its list.
        optProtocol[CurrentProtocol == 0 ? 1 : 2]->setChecked(true);
        FillProtocolCombo(Protocols[static_cast<size_t>(CurrentProtocol)]);
    }
    // 12. A working record never prepared has nothing to show.
    if (!IsEmptyProtocol(Protocols[static_cast<size_t>(CurrentProtocol)]))
        ShowProtocol();
    // 13. State and enabling.
    RefreshEnabling();
}

void frmMain::ReleaseForms()
{
    setWindowIcon(QIcon());
    for (QLabel* image : {imgFlip, imgPrint, imgNotPrint, imgNoConnection, imgFolder})
        image->setPixmap(QPixmap());
    for (size_t i = 1; i <= 6; ++i)
        imgTerminated[i]->setPixmap(QPixmap());
    // Every other window, the resource window and dialogs still open
    // included, goes through its own unload.
    UnloadFormsExcept(objectName());
}

void frmMain::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// Closing the main window ends the program: the open series are kept as
// pending files, the port is closed, the settings are saved and the other
// windows are released.
void frmMain::Form_Unload(bool& cancel)
{
    if (g_main != this)
        return;
    // The system's end (logout, shutdown, a signal) asks nothing: the open
    // series are kept, in one attempt whose failures the log holds.
    const bool asking = !SystemEndRequested();
    // 1. Open series are left for later only when the operator says so.
    const int open = static_cast<int>(Protocols.size()) - 1;
    if (asking && open > 0 && ShowMessage(34, {open}) == AnswerNo)
        cancel = true;
    // 2.
    if (cancel)
        return;
    // 3. Until the pending series are written. A No keeps the window open,
    // so that no open series is lost: the operator can make room and close
    // again.
    for (;;) {
        bool ok = false;
        {
            MousePointerGuard hourglass(PointerHourglass);
            m_typedChangeTimer->stop();
            SavePendingProtocols(ok);
        }
        if (ok || !asking)
            break;
        if (ShowMessage(31) != AnswerYes) {
            cancel = true;
            return;
        }
    }
    // 4. and 5. Files are closed where they are used; the port when open.
    commClose();
    // 6. to 8. The operator is asked while the settings cannot be saved;
    // at the system's end the one attempt's failure is in the log.
    SaveSettingsTelling(SettingsSaveAsk::ProgramEnd);
    ReleaseForms();
    g_main = nullptr;
    QuitProgram();
}
