#include "long_term/frmLongTermAnalysis.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMainTexts.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "long_term/modLongTermDisplay.h"
#include "long_term/modLongTermSearch.h"
#include "long_term/modSearchPatterns.h"
#include "main_window/frmMain.h"
#include "main_window/modGrid.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/FlexGrid.h"
#include "platform/GotFocus.h"
#include "platform/LoadedForms.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionComplex>
#include <QTimer>
#include <algorithm>

namespace {

frmLongTermAnalysis* g_instance = nullptr;

// The least outer size and what the outer size adds to the inside.
constexpr double LeastWidth = 12120;
constexpr double LeastHeight = 9150;
constexpr double OuterExtraWidth = 225;
constexpr double OuterExtraHeight = 855;

// Reference and operator texts are stored with at most this many characters.
constexpr int NameMaxLength = 35;

// The design: places at the least size, the date boxes at the offsets of
// date format 1 within the parameter frame.
constexpr double ParameterFrameWidth = 5355;
constexpr double DayOffset[3] = {0, 1620, 3540};
constexpr double MonthOffset[3] = {0, 2160, 4080};
constexpr double YearOffset[3] = {0, 2700, 4620};
constexpr double DayWidth = 480;
constexpr double MonthWidth = 480;
constexpr double YearWidth = 660;
constexpr double DateGap = 60;      // design gap from the day box to the month box
constexpr double RowTop[7] = {120, 450, 780, 1110, 1440, 1770, 2100};
constexpr double StripHeight = 135;
constexpr double ChartTop = 390;    // of the upper strip, in the tab control

QString ControlName(const char* name, int index)
{
    const QString base = QString::fromLatin1(name);
    return index < 0 ? base : base + QStringLiteral("_") + QString::number(index);
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

void SetReadOutColours(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, ToQColor(vbInfoBackground));
    palette.setColor(QPalette::WindowText, ToQColor(vbInfoText));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

// The design gives the date and time lists just the width of their numbers:
// the platform's own button and arrow, narrower, and the number beside it.
class NumberListStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override
    {
        if (control != CC_ComboBox || (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField))
            return QProxyStyle::subControlRect(control, option, part, widget);
        constexpr int Button = 11;
        const QRect r = option->rect;
        if (part == SC_ComboBoxArrow)
            return QRect(r.right() - Button, r.top() + 1, Button, r.height() - 2);
        return QRect(r.left() + 3, r.top() + 2, r.width() - Button - 4, r.height() - 4);
    }
};

int NumberOf(const QComboBox* box)
{
    return static_cast<int>(Val(box->currentText()));
}

} // namespace

// ---------------------------------------------------------------------------
// The one instance

frmLongTermAnalysis* frmLongTermAnalysis::Instance()
{
    if (!g_instance) {
        g_instance = new frmLongTermAnalysis();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmLongTermAnalysis::IsLoaded()
{
    return g_instance != nullptr;
}

void frmLongTermAnalysis::ShowForm()
{
    frmLongTermAnalysis* form = Instance();
    // Over the main window it replaces, whole on the screen.
    if (!form->isVisible())
        PlaceWindow(form, frmMain::IsLoaded() ? frmMain::Instance() : nullptr);
    form->show();
    form->raise();
    form->activateWindow();
}

frmLongTermAnalysis::frmLongTermAnalysis()
{
    setObjectName(QStringLiteral("frmLongTermAnalysis"));
    setAttribute(Qt::WA_DeleteOnClose, true);
    // Unloaded with the program's other windows when the main window closes:
    // the main window is not shown again then.
    RegisterForm(this, [this] {
        Form_Unload(false);
        close();
    });
    setFont(frmMain::WindowFont());

    m_surface = new FormSurface(this);
    m_surface->setObjectName(QStringLiteral("frmLongTermAnalysisSurface"));
    m_surface->setMinimumSize(TwipsToPixels(LeastWidth - OuterExtraWidth),
                              TwipsToPixels(LeastHeight - OuterExtraHeight));
    setCentralWidget(m_surface);

    m_redraw = new QTimer(this);
    m_redraw->setSingleShot(true);
    m_redraw->setInterval(0);

    CreateControls();
    CreateMenus();
    PlaceAtDesign();
    ConnectHandlers();
    WatchPointerMoves();
}

frmLongTermAnalysis::~frmLongTermAnalysis()
{
    if (g_instance == this)
        g_instance = nullptr;
}

int frmLongTermAnalysis::Width() const
{
    return static_cast<int>(PixelsToTwips(m_surface->width()) + OuterExtraWidth);
}

int frmLongTermAnalysis::Height() const
{
    return static_cast<int>(PixelsToTwips(m_surface->height()) + OuterExtraHeight);
}

// ---------------------------------------------------------------------------
// Building the window

QLabel* frmLongTermAnalysis::NewLabel(const char* name, int index, QWidget* parent)
{
    auto* label = new QLabel(parent ? parent : m_surface);
    label->setObjectName(ControlName(name, index));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QComboBox* frmLongTermAnalysis::NewList(const char* name, int index)
{
    auto* box = new QComboBox(m_surface);
    box->setObjectName(ControlName(name, index));
    return box;
}

FlexGrid* frmLongTermAnalysis::NewGrid(const char* name)
{
    auto* grid = new FlexGrid(m_surface);
    grid->setObjectName(QString::fromLatin1(name));
    return grid;
}

void frmLongTermAnalysis::CreateControls()
{
    m_numberListStyle = new NumberListStyle();
    m_numberListStyle->setParent(this);
    lblStyle = NewLabel("lblStyle");
    cboStyle = NewList("cboStyle");
    cboProperty = NewList("cboProperty");
    for (int i = 2; i <= 4; ++i) {
        lblReference[static_cast<size_t>(i)] = NewLabel("lblReference", i);
        cboReference[static_cast<size_t>(i)] = NewList("cboReference", i);
    }
    lblOperator = NewLabel("lblOperator");
    cboOperator = NewList("cboOperator");
    // References and operator take any text besides their lists, as a
    // report can store it.
    for (QComboBox* box : {cboReference[2], cboReference[3], cboReference[4], cboOperator}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        InstallTextInput(box, NameMaxLength);
    }

    lblDate = NewLabel("lblDate");
    lblTime = NewLabel("lblTime");
    for (int k = 1; k <= 2; ++k) {
        const size_t i = static_cast<size_t>(k);
        cboDay[i] = NewList("cboDay", k);
        cboMonth[i] = NewList("cboMonth", k);
        cboYear[i] = NewList("cboYear", k);
        cboHour[i] = NewList("cboHour", k);
        cboMinute[i] = NewList("cboMinute", k);
        for (QComboBox* box : {cboDay[i], cboMonth[i], cboYear[i], cboHour[i], cboMinute[i]})
            box->setStyle(m_numberListStyle);
    }
    lblInstrument = NewLabel("lblInstrument");
    lblInstrumentE = NewLabel("lblInstrumentE");
    lblSerialNumber = NewLabel("lblSerialNumber");
    lblSerialNumberE = NewLabel("lblSerialNumberE");
    for (int k = 1; k <= 4; ++k) {
        lblParameter[static_cast<size_t>(k)] = NewLabel("lblParameter", k);
        lblParameterE[static_cast<size_t>(k)] = NewLabel("lblParameterE", k);
    }

    tabDisplay = new TabControl(m_surface);
    tabDisplay->setObjectName(QStringLiteral("tabDisplay"));
    tabDisplay->AddTab(QString());
    tabDisplay->AddTab(QString());
    CreateChartControls();

    pgbProgress = new QProgressBar(m_surface);
    pgbProgress->setObjectName(QStringLiteral("pgbProgress"));
    pgbProgress->setRange(0, 100);
    pgbProgress->setValue(0);
    pgbProgress->setTextVisible(false);
    pgbProgress->hide();

    lblAvg = NewLabel("lblAvg");
    grdAvg = NewGrid("grdAvg");
    lblMin = NewLabel("lblMin");
    grdMin = NewGrid("grdMin");
    lblMax = NewLabel("lblMax");
    grdMax = NewGrid("grdMax");
    lblCV = NewLabel("lblCV");
    grdCV = NewGrid("grdCV");
    lblCI = NewLabel("lblCI");
    grdCI = NewGrid("grdCI");
    lblNominal = NewLabel("lblNominal");
    grdNominal = NewGrid("grdNominal");
    lblLLimit = NewLabel("lblLLimit");
    grdLLimit = NewGrid("grdLLimit");
    lblULimit = NewLabel("lblULimit");
    grdULimit = NewGrid("grdULimit");
    lblTest = NewLabel("lblTest");
    grdTest = NewGrid("grdTest");
    lblNominalCI = NewLabel("lblNominalCI");
    grdNominalCI = NewGrid("grdNominalCI");

    cmdPrint = new QPushButton(m_surface);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdSearch = new QPushButton(m_surface);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
}

void frmLongTermAnalysis::CreateChartControls()
{
    for (int r = 1; r <= 2; ++r) {
        const size_t i = static_cast<size_t>(r);
        QWidget* page = tabDisplay->Page(r - 1);
        auto picture = [&](const char* name) {
            auto* box = new PictureBox(page);
            box->setObjectName(ControlName(name, r));
            box->setMouseTracking(true);
            return box;
        };
        picUCatchAll[i] = picture("picUCatchAll");
        picCurve[i] = picture("picCurve");
        picLCatchAll[i] = picture("picLCatchAll");
        // The read-out lies over the chart but is no part of its image, and
        // the pointer passes through it to the chart.
        QLabel* readOut = NewLabel("lblCoordinate", r, picCurve[i]);
        readOut->setText(QStringLiteral(" Coordinate "));
        readOut->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        readOut->hide();
        lblCoordinate[i] = readOut;
    }
}

void frmLongTermAnalysis::CreateMenus()
{
    auto item = [this](QMenu* menu, const char* name, const char* shortcut = "") {
        QAction* action = menu->addAction(QString());
        action->setObjectName(QString::fromLatin1(name));
        if (shortcut[0] != '\0')
            action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
        return action;
    };
    auto menu = [this](const char* name) {
        QMenu* m = menuBar()->addMenu(QString());
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        m->setFont(frmMain::WindowFont());
        return m;
    };
    mnuFile = menu("mnuFile");
    mnuFile_Copy = item(mnuFile, "mnuFile_Copy", "Ctrl+C");
    mnuFile->addSeparator();
    mnuFile_Exit = item(mnuFile, "mnuFile_Exit");
    mnuFunction = menu("mnuFunction");
    mnuFunction_Measure = item(mnuFunction, "mnuFunction_Measure", "Ctrl+M");
    // This window is the long-term analysis: the item has nothing to do here.
    mnuFunction_LongTermAnalysis = item(mnuFunction, "mnuFunction_LongTermAnalysis");
    mnuFunction_LongTermAnalysis->setEnabled(false);
    mnuPattern = menu("mnuPattern");
    mnuPattern_Add = item(mnuPattern, "mnuPattern_Add");
    mnuPattern_Remove = item(mnuPattern, "mnuPattern_Remove");
    mnuPattern_Line1 = mnuPattern->addSeparator();
    mnuPattern_Line1->setObjectName(QStringLiteral("mnuPattern_Line1"));
    for (int n = 1; n <= 9; ++n) {
        QAction* action = mnuPattern->addAction(QString());
        action->setObjectName(ControlName("mnuPattern_Item", n));
        action->setCheckable(true);
        action->setVisible(false);
        mnuPattern_Item[static_cast<size_t>(n)] = action;
    }
}

void frmLongTermAnalysis::ConnectHandlers()
{
    connect(cboStyle, &QComboBox::activated, this, [this] { cboStyle_Click(); });
    connect(cboProperty, &QComboBox::activated, this, [this] { cboProperty_Click(); });
    for (int i = 2; i <= 4; ++i) {
        QComboBox* box = cboReference[static_cast<size_t>(i)];
        connect(box, &QComboBox::activated, this, [this, i] { cboReference_Click(i); });
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, i] { cboReference_Change(i); });
    }
    connect(cboOperator, &QComboBox::activated, this, [this] { cboOperator_Click(); });
    connect(cboOperator->lineEdit(), &QLineEdit::textEdited, this, [this] { cboOperator_Change(); });
    for (int i = 2; i <= 4; ++i)
        ConnectGotFocus(cboReference[static_cast<size_t>(i)], [this, i] { cboReference_GotFocus(i); });
    ConnectGotFocus(cboOperator, [this] { cboOperator_GotFocus(); });
    for (size_t k = 1; k <= 2; ++k)
        for (QComboBox* box : {cboDay[k], cboMonth[k], cboYear[k], cboHour[k], cboMinute[k]})
            connect(box, &QComboBox::activated, this, [this] { DateTimeBox_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });

    for (int r = 1; r <= 2; ++r) {
        const size_t i = static_cast<size_t>(r);
        connect(picCurve[i], &PictureBox::mouseMove, this,
                [this, r](int b, int s, double x, double y) { picCurve_MouseMove(r, b, s, x, y); });
        connect(picUCatchAll[i], &PictureBox::mouseMove, this,
                [this, r](int b, int s, double x, double y) { picUCatchAll_MouseMove(r, b, s, x, y); });
        connect(picLCatchAll[i], &PictureBox::mouseMove, this,
                [this, r](int b, int s, double x, double y) { picLCatchAll_MouseMove(r, b, s, x, y); });
        connect(picCurve[i], &PictureBox::mouseUp, this,
                [this, r](int b, int s, double x, double y) { picCurve_MouseUp(r, b, s, x, y); });
        connect(picUCatchAll[i], &PictureBox::mouseUp, this,
                [this, r](int b, int s, double x, double y) { picUCatchAll_MouseUp(r, b, s, x, y); });
        connect(picLCatchAll[i], &PictureBox::mouseUp, this,
                [this, r](int b, int s, double x, double y) { picLCatchAll_MouseUp(r, b, s, x, y); });
    }

    connect(mnuFile_Copy, &QAction::triggered, this, [this] { mnuFile_Copy_Click(); });
    connect(mnuFile_Exit, &QAction::triggered, this, [this] { mnuFile_Exit_Click(); });
    connect(mnuFunction_Measure, &QAction::triggered, this, [this] { mnuFunction_Measure_Click(); });
    connect(mnuPattern, &QMenu::aboutToShow, this, [this] { mnuPattern_Click(); });
    connect(mnuPattern_Add, &QAction::triggered, this, [this] { mnuPattern_Add_Click(); });
    connect(mnuPattern_Remove, &QAction::triggered, this, [this] { mnuPattern_Remove_Click(); });
    for (int n = 1; n <= 9; ++n)
        connect(mnuPattern_Item[static_cast<size_t>(n)], &QAction::triggered, this,
                [this, n] { mnuPattern_Item_Click(n); });

    connect(m_surface, &FormSurface::Resized, this, [this] { Form_Resize(); });
    connect(m_redraw, &QTimer::timeout, this, [this] {
        if (!ResultsShown)
            return;
        const int results = ResultCountByTestType(PropertyCode);
        for (int r = 1; r <= results; ++r)
            DrawCurve(Analysis, r);
    });
}

void frmLongTermAnalysis::WatchPointerMoves()
{
    // Every control outside the charts hides the read-outs when the pointer
    // moves over it.
    m_surface->setMouseTracking(true);
    m_surface->installEventFilter(this);
    for (QWidget* w : m_surface->findChildren<QWidget*>()) {
        if (w == lblCoordinate[1] || w == lblCoordinate[2])
            continue;
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool frmLongTermAnalysis::IsChartPicture(const QObject* object) const
{
    for (size_t i = 1; i <= 2; ++i)
        if (object == picCurve[i] || object == picUCatchAll[i] || object == picLCatchAll[i])
            return true;
    return false;
}

bool frmLongTermAnalysis::eventFilter(QObject* watched, QEvent* event)
{
    // The read-out also goes when the pointer leaves a chart.
    const bool chart = IsChartPicture(watched);
    if ((event->type() == QEvent::MouseMove && !chart) || (event->type() == QEvent::Leave && chart))
        HideReadOuts();
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Layout

TwipsRect& frmLongTermAnalysis::At(QWidget* control)
{
    if (m_places.find(control) == m_places.end())
        m_placed.push_back(control);
    return m_places[control];
}

void frmLongTermAnalysis::PlaceAtDesign()
{
    const double P = LeastWidth - ParameterFrameWidth - 285;
    shpReference = FormShape{60, 60, LeastWidth - 5805, 2130};
    shpParameter = FormShape{P, 60, ParameterFrameWidth, 2130};
    shpStatistic = FormShape{60, LeastHeight - 2175, 4335, 1275};
    shpNominal = FormShape{4440, LeastHeight - 2175, 4335, 1275};
    for (const FormShape* shape : {&shpReference, &shpParameter, &shpStatistic, &shpNominal})
        m_surface->AddShape(shape);

    // Criteria: one row per box.
    At(lblStyle) = {120, RowTop[0] + 30, 1200, 195};
    At(cboStyle) = {1380, RowTop[0], 4935, 315};
    At(cboProperty) = {1380, RowTop[1], 4935, 315};
    for (size_t i = 2; i <= 4; ++i) {
        At(lblReference[i]) = {120, RowTop[i] + 30, 1200, 195};
        At(cboReference[i]) = {1380, RowTop[i], 4935, 315};
    }
    At(lblOperator) = {120, RowTop[5] + 30, 1200, 195};
    At(cboOperator) = {1380, RowTop[5], 4935, 315};

    // Date, time, instrument and parameters.
    At(lblDate) = {P + 60, RowTop[0] + 30, 1500, 195};
    At(lblTime) = {P + 60, RowTop[1] + 30, 1500, 195};
    for (size_t k = 1; k <= 2; ++k) {
        At(cboDay[k]) = {P + DayOffset[k], RowTop[0], DayWidth, 315};
        At(cboMonth[k]) = {P + MonthOffset[k], RowTop[0], MonthWidth, 315};
        At(cboYear[k]) = {P + YearOffset[k], RowTop[0], YearWidth, 315};
        At(cboHour[k]) = {P + DayOffset[k], RowTop[1], DayWidth, 315};
        At(cboMinute[k]) = {P + MonthOffset[k], RowTop[1], MonthWidth, 315};
        m_dateOffsets[cboDay[k]] = DayOffset[k];
        m_dateOffsets[cboMonth[k]] = MonthOffset[k];
        m_dateOffsets[cboYear[k]] = YearOffset[k];
    }
    At(lblInstrument) = {P + 60, 840, 1500, 195};
    At(lblInstrumentE) = {P + 1620, 840, 2100, 195};
    At(lblSerialNumber) = {P + 3780, 840, 420, 195};
    At(lblSerialNumberE) = {P + 4200, 840, 1095, 195};
    for (size_t k = 1; k <= 4; ++k) {
        const double top = 840 + 270 * static_cast<double>(k);
        At(lblParameter[k]) = {P + 60, top, 1500, 195};
        At(lblParameterE[k]) = {P + 1620, top, 3675, 195};
    }

    // Charts: the tab control, and on each page the strips and the chart.
    At(tabDisplay) = {60, 2250, LeastWidth - 345, LeastHeight - 4575};
    for (size_t r = 1; r <= 2; ++r) {
        const double width = LeastWidth - 345 - 120;
        const double chartHeight = LeastHeight - 4575 - 780;
        At(picUCatchAll[r]) = {60, ChartTop, width, StripHeight};
        At(picCurve[r]) = {60, ChartTop + StripHeight, width, chartHeight};
        At(picLCatchAll[r]) = {60, ChartTop + StripHeight + chartHeight - 15, width, StripHeight};
    }
    At(pgbProgress) = {60, LeastHeight - StripHeight - 2235, LeastWidth - 345, StripHeight};

    // Statistics and the style's values: five rows each.
    QLabel* const labels[] = {lblAvg, lblMin, lblMax, lblCV, lblCI, lblNominal, lblLLimit, lblULimit, lblTest,
                              lblNominalCI};
    FlexGrid* const grids[] = {grdAvg, grdMin, grdMax, grdCV, grdCI, grdNominal, grdLLimit, grdULimit, grdTest,
                               grdNominalCI};
    for (int k = 0; k < 10; ++k) {
        const FormShape& block = k < 5 ? shpStatistic : shpNominal;
        const double row = 240.0 * (k % 5);
        At(labels[k]) = {block.Left + 60, block.Top + 60 + row, 720, 195};
        At(grids[k]) = {block.Left + 780, block.Top + 30 + row, 3495, 240};
    }
    At(cmdPrint) = {LeastWidth - 3240, LeastHeight - 1530, 855, 615};
    At(cmdSearch) = {LeastWidth - 2280, LeastHeight - 1530, 1995, 615};
    ApplyPlaces();
}

void frmLongTermAnalysis::ApplyPlaces()
{
    ApplyTwipsPlaces(m_placed, m_places, tabDisplay);
    m_surface->update();
}

void frmLongTermAnalysis::SetOuterSize(double width, double height)
{
    if (QLayout* frame = layout())
        frame->activate();
    const QSize extra = size() - m_surface->size();
    resize(TwipsToPixels(std::max(width, LeastWidth) - OuterExtraWidth) + extra.width(),
           TwipsToPixels(std::max(height, LeastHeight) - OuterExtraHeight) + extra.height());
    if (QLayout* frame = layout())
        frame->setGeometry(rect());
}

void frmLongTermAnalysis::Form_Resize()
{
    if (isMinimized())
        return;
    const double W = std::max(static_cast<double>(Width()), LeastWidth);
    const double H = std::max(static_cast<double>(Height()), LeastHeight);

    // 1. Criteria frame and its boxes grow with the width.
    shpReference.Width = W - 5805;
    At(cboStyle).Width = shpReference.Width - 1380;
    for (QComboBox* box : {cboProperty, cboReference[2], cboReference[3], cboReference[4], cboOperator})
        At(box).Width = At(cboStyle).Width;

    // 2. Parameter frame at the right edge; its controls at fixed offsets,
    // the date boxes where the date format arranged them.
    shpParameter.Left = W - shpParameter.Width - 285;
    const double P = shpParameter.Left;
    for (QWidget* w : {static_cast<QWidget*>(lblDate), static_cast<QWidget*>(lblTime),
                       static_cast<QWidget*>(lblInstrument)})
        At(w).Left = P + 60;
    for (size_t k = 1; k <= 4; ++k) {
        At(lblParameter[k]).Left = P + 60;
        At(lblParameterE[k]).Left = P + 1620;
    }
    for (const auto& [box, offset] : m_dateOffsets)
        At(const_cast<QWidget*>(box)).Left = P + offset;
    for (size_t k = 1; k <= 2; ++k) {
        At(cboHour[k]).Left = P + DayOffset[k];
        At(cboMinute[k]).Left = P + MonthOffset[k];
    }
    At(lblInstrumentE).Left = P + 1620;
    At(lblSerialNumber).Left = P + 3780;
    At(lblSerialNumberE).Left = P + 4200;

    // 3. The tab control and its charts.
    TwipsRect& T = At(tabDisplay);
    T.Width = W - 345;
    T.Height = H - 4575;
    for (size_t r = 1; r <= 2; ++r) {
        TwipsRect& chart = At(picCurve[r]);
        chart.Width = T.Width - 120;
        chart.Height = T.Height - 780;
        At(picUCatchAll[r]).Width = chart.Width;
        At(picLCatchAll[r]).Width = chart.Width;
        At(picLCatchAll[r]).Top = chart.Top + chart.Height - 15;
    }

    // 4. Progress bar.
    TwipsRect& bar = At(pgbProgress);
    bar.Width = W - 345;
    bar.Top = H - bar.Height - 2235;

    // 5. Statistics and the style's values.
    shpStatistic.Top = H - 2175;
    shpNominal.Top = H - 2175;
    QLabel* const labels[] = {lblAvg, lblMin, lblMax, lblCV, lblCI, lblNominal, lblLLimit, lblULimit, lblTest,
                              lblNominalCI};
    FlexGrid* const grids[] = {grdAvg, grdMin, grdMax, grdCV, grdCI, grdNominal, grdLLimit, grdULimit, grdTest,
                               grdNominalCI};
    for (int k = 0; k < 10; ++k) {
        const double top = (k < 5 ? shpStatistic : shpNominal).Top;
        At(labels[k]).Top = top + 60 + 240.0 * (k % 5);
        At(grids[k]).Top = top + 30 + 240.0 * (k % 5);
    }

    // 6. Buttons.
    At(cmdPrint).Left = W - 3240;
    At(cmdPrint).Top = H - 1530;
    At(cmdSearch).Left = W - 2280;
    At(cmdSearch).Top = H - 1530;
    ApplyPlaces();

    // 7. The charts in their new size, once for a run of resize events.
    if (ResultsShown)
        ScheduleRedraw();
}

void frmLongTermAnalysis::ScheduleRedraw()
{
    m_redraw->start();
}

void frmLongTermAnalysis::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && isVisible())
        Form_Resize();
}

// ---------------------------------------------------------------------------
// Captions and filters

void frmLongTermAnalysis::SetCaptions(int language)
{
    setWindowTitle(LongTermWindowCaption(language));
    mnuPattern->setTitle(LongTermText(2, language));
    mnuPattern_Add->setText(LongTermText(3, language));
    mnuPattern_Remove->setText(LongTermText(4, language));
    lblDate->setText(LongTermText(5, language));
    lblTime->setText(LongTermText(6, language));
    tabDisplay->SetTabCaption(0, LongTermText(7, language));
    tabDisplay->SetTabCaption(1, LongTermText(8, language));
    cmdSearch->setText(LongTermText(9, language));

    // The rest as the main window shows it.
    mnuFile->setTitle(MainCaption(QStringLiteral("mnuFile"), language));
    mnuFile_Copy->setText(MainCaption(QStringLiteral("mnuFile_Copy"), language));
    mnuFile_Exit->setText(MainCaption(QStringLiteral("mnuFile_Exit"), language));
    mnuFunction->setTitle(MainCaption(QStringLiteral("mnuFunction"), language));
    mnuFunction_Measure->setText(MainCaption(QStringLiteral("mnuFunction_Measure"), language));
    mnuFunction_LongTermAnalysis->setText(MainCaption(QStringLiteral("mnuFunction_LongTermAnalysis"), language));
    const std::pair<QLabel*, const char*> labels[] = {
        {lblInstrument, "lblInstrument"}, {lblSerialNumber, "lblSerialNumber"}, {lblStyle, "lblStyle"},
        {lblOperator, "lblOperator"}, {lblAvg, "lblAvg"}, {lblMin, "lblMin"}, {lblMax, "lblMax"}, {lblCV, "lblCV"},
        {lblCI, "lblCI"}, {lblNominal, "lblNominal"}, {lblLLimit, "lblLLimit"}, {lblULimit, "lblULimit"},
        {lblTest, "lblTest"}, {lblNominalCI, "lblNominalCI"},
    };
    for (const auto& [label, name] : labels)
        label->setText(MainCaption(QString::fromLatin1(name), language));
    for (int i = 2; i <= 4; ++i)
        lblReference[static_cast<size_t>(i)]->setText(GetReferenceTitle(i, language));
}

void frmLongTermAnalysis::ArrangeDateCombos(int dateFormat)
{
    const std::vector<int> order = DateBoxOrder(dateFormat);
    if (order.empty())
        return;
    const double P = shpParameter.Left;
    for (size_t k = 1; k <= 2; ++k) {
        QComboBox* const boxes[3] = {cboDay[k], cboMonth[k], cboYear[k]};
        double offset = DayOffset[k];
        for (const int which : order) {
            QComboBox* box = boxes[which];
            m_dateOffsets[box] = offset;
            At(box).Left = P + offset;
            offset += At(box).Width + DateGap;
        }
    }
    ApplyPlaces();
}

void frmLongTermAnalysis::FillFilterLists()
{
    Loading = true;
    FillListWithStyles(Styles, cboStyle);
    const std::pair<QComboBox*, const std::vector<QString>*> lists[] = {
        {cboReference[2], &Reference2Values}, {cboReference[3], &Reference3Values},
        {cboReference[4], &Reference4Values}, {cboOperator, &Operators}};
    for (const auto& [box, values] : lists) {
        FillListFromArray(*values, box);
        box->addItem(QStringLiteral("*"));
        box->setCurrentIndex(-1);
    }
    const int year = Year(Now());
    for (size_t k = 1; k <= 2; ++k) {
        for (QComboBox* box : {cboDay[k], cboMonth[k], cboYear[k], cboHour[k], cboMinute[k]})
            box->clear();
        for (int d = 1; d <= 31; ++d)
            cboDay[k]->addItem(TwoDigits(d));
        for (int m = 1; m <= 12; ++m)
            cboMonth[k]->addItem(TwoDigits(m));
        for (int y = FirstListedYear(year); y <= LastListedYear(year); ++y)
            cboYear[k]->addItem(QStringLiteral("%1").arg(y, 4, 10, QChar(u'0')));
        for (int h = 0; h <= 23; ++h)
            cboHour[k]->addItem(TwoDigits(h));
        for (int m = 0; m <= 59; ++m)
            cboMinute[k]->addItem(TwoDigits(m));
        for (QComboBox* box : {cboDay[k], cboMonth[k], cboYear[k], cboHour[k], cboMinute[k]})
            box->setCurrentIndex(-1);
    }
    SetDateFilter();
    Loading = false;
}

void frmLongTermAnalysis::SetDateFilter()
{
    const double today = Now();
    cboDay[1]->setCurrentIndex(0);
    cboMonth[1]->setCurrentIndex(0);
    cboYear[1]->setCurrentIndex(0);
    cboDay[2]->setCurrentIndex(Day(today) - 1);
    cboMonth[2]->setCurrentIndex(Month(today) - 1);
    cboYear[2]->setCurrentIndex(cboYear[2]->count() - 1);
    cboHour[1]->setCurrentIndex(0);
    cboHour[2]->setCurrentIndex(23);
    cboMinute[1]->setCurrentIndex(0);
    cboMinute[2]->setCurrentIndex(59);
}

SearchPattern frmLongTermAnalysis::BuildSearchCriteria() const
{
    SearchFilterValues f;
    f.PropertyCode = PropertyCode;
    f.StyleName = SelectedStyle.Name;
    f.Reference2 = cboReference[2]->currentText();
    f.Reference3 = cboReference[3]->currentText();
    f.Reference4 = cboReference[4]->currentText();
    f.Operator = cboOperator->currentText();
    f.YearFrom = NumberOf(cboYear[1]);
    f.MonthFrom = NumberOf(cboMonth[1]);
    f.DayFrom = NumberOf(cboDay[1]);
    f.YearTo = NumberOf(cboYear[2]);
    f.MonthTo = NumberOf(cboMonth[2]);
    f.DayTo = NumberOf(cboDay[2]);
    f.HourFrom = NumberOf(cboHour[1]);
    f.MinuteFrom = NumberOf(cboMinute[1]);
    f.HourTo = NumberOf(cboHour[2]);
    f.MinuteTo = NumberOf(cboMinute[2]);
    return ::BuildSearchCriteria(f);
}

void frmLongTermAnalysis::cboStyle_Click()
{
    if (Loading)
        return;
    ClearResults();
    const int index = FindStyleIndex(Trim(cboStyle->currentText()), Styles);
    SelectedStyle = index >= 1 ? Styles[static_cast<size_t>(index)] : BlankStyle;
    FillPropertyList(SelectedStyle);
    ShowParameterLabels(PropertyCode);
    const TestDefinition& definition = SelectedStyle.Tests[static_cast<size_t>(std::max<int16_t>(PropertyCode, 1))];
    ShowExpectedDataString(definition.HeaderImage);
    ShowNominalGrids(definition);
    UpdateControlStates();
}

void frmLongTermAnalysis::cboProperty_Click()
{
    if (Loading)
        return;
    ClearResults();
    // A style without properties has nothing to choose: no property.
    const int chosen = cboProperty->currentIndex();
    PropertyCode = PropertyCodes.empty() ? int16_t{0}
                                         : PropertyCodes[static_cast<size_t>(std::clamp<int>(
                                               chosen, 0, static_cast<int>(PropertyCodes.size()) - 1))];
    ShowParameterLabels(PropertyCode);
    const TestDefinition& definition = SelectedStyle.Tests[static_cast<size_t>(std::max<int16_t>(PropertyCode, 1))];
    ShowExpectedDataString(definition.HeaderImage);
    ShowNominalGrids(definition);
    UpdateControlStates();
}

void frmLongTermAnalysis::cboReference_Change(int index)
{
    if (index < 2 || index > 4)
        return;
    LimitTextLength(cboReference[static_cast<size_t>(index)], NameMaxLength);
    if (!Loading)
        ClearResults();
}

void frmLongTermAnalysis::cboReference_Click(int)
{
    ClearResults();
}

void frmLongTermAnalysis::cboOperator_Change()
{
    LimitTextLength(cboOperator, NameMaxLength);
    if (!Loading)
        ClearResults();
}

void frmLongTermAnalysis::cboOperator_Click()
{
    ClearResults();
}

void frmLongTermAnalysis::cboReference_GotFocus(int index)
{
    if (index >= 2 && index <= 4)
        SelectAllText(cboReference[static_cast<size_t>(index)]);
}

void frmLongTermAnalysis::cboOperator_GotFocus()
{
    SelectAllText(cboOperator);
}

void frmLongTermAnalysis::DateTimeBox_Click()
{
    if (!Loading)
        ClearResults();
}

// ---------------------------------------------------------------------------
// Load and unload

void frmLongTermAnalysis::InitializeForm()
{
    // 1. The main window's size and state.
    frmMain* main = frmMain::Instance();
    SetOuterSize(main->Width(), main->Height());
    if (main->WindowState() == 2)
        setWindowState(Qt::WindowMaximized);
    else if (main->WindowState() == 1)
        setWindowState(Qt::WindowMinimized);

    // 2. and 3. Captions and pictures.
    SetCaptions(Language);
    frmResource* resource = frmResource::Instance();
    setWindowIcon(QIcon(resource->imgLongTermEvaluation));
    cmdPrint->setIcon(QIcon(resource->imgPrint));
    cmdPrint->setIconSize(resource->imgPrint.size());

    // 4. The value grids.
    for (FlexGrid* grid : {grdAvg, grdMin, grdMax, grdCV, grdCI, grdNominal, grdLLimit, grdULimit, grdTest,
                           grdNominalCI})
        SetupNominalGrid(*grid);

    // 5. to 7.
    ArrangeDateCombos(DateFormat);
    FillFilterLists();
    SetReadOutColours(lblCoordinate[1]);
    SetReadOutColours(lblCoordinate[2]);
}

void frmLongTermAnalysis::Form_Load()
{
    Loading = false;
    InitializeForm();
    ClearResults();
    for (int i = 1; i <= std::min(static_cast<int>(SearchPatterns.size()) - 1, PatternMenuItemCount); ++i)
        SetPatternMenuItem(SearchPatterns[static_cast<size_t>(i)], i);
    SelectedStyle = BlankStyle;
    PropertyCode = 0;
    PropertyCodes.clear();

    // The style the main window shows.
    const int position = FindInList(frmMain::Instance()->cboStyle->currentText(), cboStyle);
    cboStyle->setCurrentIndex(position - 1);
    if (position >= 1)
        cboStyle_Click();

    Loading = true;
    for (QComboBox* box : {cboReference[2], cboReference[3], cboReference[4], cboOperator})
        box->setEditText(QStringLiteral("*"));
    Loading = false;

    if (position >= 1 && !PropertyCodes.empty()) {
        const int chosen = std::clamp(cboProperty->currentIndex(), 0, static_cast<int>(PropertyCodes.size()) - 1);
        PropertyCode = PropertyCodes[static_cast<size_t>(chosen)];
        cboProperty->setCurrentIndex(chosen);
    }
    UpdateControlStates();
}

void frmLongTermAnalysis::closeEvent(QCloseEvent* event)
{
    Form_Unload(true);
    QMainWindow::closeEvent(event);
}

void frmLongTermAnalysis::Form_Unload(bool showMainWindow)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_redraw->stop();
    KeepClosingFilters(SearchPatterns, PropertyCode, cboStyle->currentText(), cboReference[2]->currentText(),
                       cboReference[3]->currentText(), cboReference[4]->currentText(), cboOperator->currentText());
    ResetDisplay();
    if (g_instance == this)
        g_instance = nullptr;
    if (showMainWindow && frmMain::IsLoaded())
        frmMain::Instance()->show();
}
