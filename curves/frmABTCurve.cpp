// The curve analysis window: controls, layout, captions, the enabling rules,
// loading and unloading, and the hiding of the read-out.
#include "curves/frmABTCurve.h"

#include "curves/modABTCurve.h"
#include "curves/modABTCurveTexts.h"
#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMainTexts.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "main_window/modGrid.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/FlexGrid.h"
#include "platform/FormSurface.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "platform/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

Protocol AbtProtocol = MakeEmptyProtocol();
QString AbtFileName;

namespace {

frmABTCurve* g_instance = nullptr;

constexpr int FormWidth = 12000;
constexpr int FormHeight = 9000;
constexpr int16_t MsgNoCurve = 35;
constexpr int StartPage = 3;
constexpr int StartThicknessIndex = 39;   // 0.40 mm
constexpr int16_t AirbagTestType = 18;

// Header rows and columns, in twips.
constexpr int RowTop = 120;
constexpr int RowStep = 345;
constexpr int LabelHeight = 255;
constexpr int BoxHeight = 315;

// The pages of tabCurve.
constexpr int TabLeft = 120;
constexpr int TabTop = 1860;
constexpr int TabWidth = 10200;
constexpr int TabHeight = 5520;
constexpr int PictureWidth = 9075;   // inside the picture's one-pixel frame
constexpr int PictureHeight = 4275;
constexpr int FrameTwips = 2 * TwipsPerPixel;
constexpr int YListWidth = 915;
constexpr int YListHeight = 3570;
constexpr int XListHeight = 300;

// Options at the right.
constexpr int OptionLeft = 10440;
constexpr int OptionWidth = 1440;

// Result rows.
constexpr int ResultTop = 7500;
constexpr int GridHeight = 240;

const char* const FractionEntries[] = {"1/2", "1/5", "1/10", "1/20", "1/50"};
constexpr int StartFractionRow = 3;   // "1/20"

size_t At(int index)
{
    return static_cast<size_t>(index);
}

QString Name(const char* name, int index = -1)
{
    const QString base = QString::fromLatin1(name);
    return index < 0 ? base : base + QStringLiteral("_") + QString::number(index);
}

void Place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

QLabel* NewLabel(QWidget* parent, const char* name, int index = -1)
{
    auto* label = new QLabel(parent);
    label->setObjectName(Name(name, index));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QComboBox* NewCombo(QWidget* parent, const char* name, int index = -1)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(Name(name, index));
    return box;
}

FlexGrid* NewGrid(QWidget* parent, const char* name)
{
    auto* grid = new FlexGrid(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setFrameShape(QFrame::NoFrame);
    return grid;
}

QGroupBox* NewFrame(QWidget* parent, const char* name)
{
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

void SetTextColour(QLabel* label, int32_t colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
}

// Fills a combo box without raising anything; no entry is chosen afterwards.
void FillCombo(QComboBox* box, const QStringList& entries)
{
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(-1);
}

void SelectIndex(QComboBox* box, int index)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index);
}

} // namespace

// ---------------------------------------------------------------------------
// The one instance

frmABTCurve* frmABTCurve::Instance()
{
    if (!g_instance) {
        g_instance = new frmABTCurve();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmABTCurve::IsLoaded()
{
    return g_instance != nullptr;
}

int frmABTCurve::ShowForm()
{
    const int result = ShowModal(*Instance());
    Unload();
    return result;
}

void frmABTCurve::Unload()
{
    delete g_instance;
    g_instance = nullptr;
}

frmABTCurve::frmABTCurve()
{
    setObjectName(QStringLiteral("frmABTCurve"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    setFont(font);
    CreateControls();
    CreateMenus();
    ConnectHandlers();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(mnuBar);
    layout->addWidget(m_surface);
    setFixedSize(TwipsToPixels(FormWidth), TwipsToPixels(FormHeight));
}

frmABTCurve::~frmABTCurve()
{
    Form_Unload();
    if (g_instance == this)
        g_instance = nullptr;
}

void frmABTCurve::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------
// Building the window

void frmABTCurve::CreateControls()
{
    m_surface = new FormSurface(this);
    m_surface->setObjectName(QStringLiteral("frmABTCurveSurface"));
    QWidget* form = m_surface;

    // Header: three columns of titles and values.
    auto row = [](int r) { return RowTop + r * RowStep; };
    lblStyle = NewLabel(form, "lblStyle");
    cboStyle = NewCombo(form, "cboStyle");
    for (int i = 2; i <= 4; ++i) {
        lblReference[At(i)] = NewLabel(form, "lblReference", i);
        cboReference[At(i)] = NewCombo(form, "cboReference", i);
    }
    lblOperator = NewLabel(form, "lblOperator");
    cboOperator = NewCombo(form, "cboOperator");
    QLabel* const titlesA[] = {lblStyle, lblReference[2], lblReference[3], lblReference[4], lblOperator};
    QComboBox* const boxesA[] = {cboStyle, cboReference[2], cboReference[3], cboReference[4], cboOperator};
    for (int r = 0; r < 5; ++r) {
        Place(titlesA[r], 120, row(r) + 30, 1260, LabelHeight);
        Place(boxesA[r], 1440, row(r), 2640, BoxHeight);
    }

    lblDateTime = NewLabel(form, "lblDateTime");
    lblDateTimeE = NewLabel(form, "lblDateTimeE");
    lblInstrument = NewLabel(form, "lblInstrument");
    lblInstrumentE = NewLabel(form, "lblInstrumentE");
    lblSerialNumber = NewLabel(form, "lblSerialNumber");
    lblSerialNumberE = NewLabel(form, "lblSerialNumberE");
    lblSensor = NewLabel(form, "lblSensor");
    lblSensorE = NewLabel(form, "lblSensorE");
    QLabel* const titlesB[] = {lblDateTime, lblInstrument, lblSerialNumber, lblSensor};
    QLabel* const valuesB[] = {lblDateTimeE, lblInstrumentE, lblSerialNumberE, lblSensorE};
    for (int r = 0; r < 4; ++r) {
        Place(titlesB[r], 4260, row(r) + 30, 1140, LabelHeight);
        Place(valuesB[r], 5460, row(r) + 30, 2700, LabelHeight);
    }

    lblStartVolume = NewLabel(form, "lblStartVolume");
    lblStartVolumeE = NewLabel(form, "lblStartVolumeE");
    lblStartPressure = NewLabel(form, "lblStartPressure");
    lblStartPressureE = NewLabel(form, "lblStartPressureE");
    lblTestArea = NewLabel(form, "lblTestArea");
    lblTestAreaE = NewLabel(form, "lblTestAreaE");
    QLabel* const titlesC[] = {lblStartVolume, lblStartPressure, lblTestArea};
    QLabel* const valuesC[] = {lblStartVolumeE, lblStartPressureE, lblTestAreaE};
    for (int r = 0; r < 3; ++r) {
        Place(titlesC[r], 8280, row(r) + 30, 1500, LabelHeight);
        Place(valuesC[r], 9840, row(r) + 30, 2040, LabelHeight);
    }
    lblNoSensor = NewLabel(form, "lblNoSensor");
    Place(lblNoSensor, 8280, row(3) + 30, 3600, LabelHeight);
    SetTextColour(lblNoSensor, vbRed);
    lblNoSensor->hide();

    // The five pages: the Y list left of the picture, the X list under it.
    tabCurve = new TabControl(form);
    tabCurve->setObjectName(QStringLiteral("tabCurve"));
    Place(tabCurve, TabLeft, TabTop, TabWidth, TabHeight);
    const int pictureLeft = 60 + YListWidth + 60;
    const int pictureOuterWidth = PictureWidth + FrameTwips;
    const int pictureOuterHeight = PictureHeight + FrameTwips;
    for (int i = 0; i <= 4; ++i) {
        tabCurve->AddTab(QString());
        QWidget* page = tabCurve->Page(i);
        lblYCoordinate[At(i)] = NewLabel(page, "lblYCoordinate", i);
        Place(lblYCoordinate[At(i)], 60, 60, YListWidth, LabelHeight);
        auto* yList = new QListWidget(page);
        yList->setObjectName(Name("lstYMax", i));
        yList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        yList->setTextElideMode(Qt::ElideNone);
        Place(yList, 60, 60 + pictureOuterHeight - YListHeight, YListWidth, YListHeight);
        lstYMax[At(i)] = yList;

        auto* picture = new PictureBox(page);
        picture->setObjectName(Name("picCurve", i));
        Place(picture, pictureLeft, 60, pictureOuterWidth, pictureOuterHeight);
        picCurve[At(i)] = picture;
        QLabel* readOut = NewLabel(picture, "lblCoordinate", i);
        readOut->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        readOut->hide();
        lblCoordinate[At(i)] = readOut;

        // One row of entries side by side, as wide as the picture.
        auto* xList = new QListWidget(page);
        xList->setObjectName(Name("lstXMax", i));
        xList->setFlow(QListView::LeftToRight);
        xList->setWrapping(false);
        xList->setTextElideMode(Qt::ElideNone);
        xList->setSpacing(0);
        xList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        xList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Place(xList, pictureLeft, 60 + pictureOuterHeight + 30, pictureOuterWidth, XListHeight);
        lstXMax[At(i)] = xList;

        lblXCoordinate[At(i)] = NewLabel(page, "lblXCoordinate", i);
        lblXCoordinate[At(i)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Place(lblXCoordinate[At(i)], pictureLeft + pictureOuterWidth - 3000, 60 + pictureOuterHeight + 30 + XListHeight + 30,
              3000, LabelHeight);
    }

    // Options.
    fraFormFactor = NewFrame(form, "fraFormFactor");
    Place(fraFormFactor, OptionLeft, TabTop, OptionWidth, 660);
    cboFormFactor = NewCombo(fraFormFactor, "cboFormFactor");
    Place(cboFormFactor, 120, 270, 1200, BoxHeight);

    fraPressureLimit = NewFrame(form, "fraPressureLimit");
    Place(fraPressureLimit, OptionLeft, 2580, OptionWidth, 1020);
    for (int i = 1; i <= 2; ++i) {
        const int top = i == 1 ? 270 : 630;
        cboLimit[At(i)] = NewCombo(fraPressureLimit, "cboLimit", i);
        Place(cboLimit[At(i)], 120, top, 780, BoxHeight);
        lblLimitUnit[At(i)] = NewLabel(fraPressureLimit, "lblLimitUnit", i);
        Place(lblLimitUnit[At(i)], 960, top + 30, 420, LabelHeight);
    }

    fraSmoothing = NewFrame(form, "fraSmoothing");
    Place(fraSmoothing, OptionLeft, 3660, OptionWidth, 600);
    chkSmoothing = new QCheckBox(fraSmoothing);
    chkSmoothing->setObjectName(QStringLiteral("chkSmoothing"));
    Place(chkSmoothing, 120, 270, 1200, LabelHeight);

    fraComputedCurve = NewFrame(form, "fraComputedCurve");
    Place(fraComputedCurve, OptionLeft, 4320, OptionWidth, 600);
    chkComputedCurve = new QCheckBox(fraComputedCurve);
    chkComputedCurve->setObjectName(QStringLiteral("chkComputedCurve"));
    Place(chkComputedCurve, 120, 270, 1200, LabelHeight);

    fraThickness = NewFrame(form, "fraThickness");
    Place(fraThickness, OptionLeft, 4980, OptionWidth, 660);
    cboThickness = NewCombo(fraThickness, "cboThickness");
    Place(cboThickness, 120, 270, 840, BoxHeight);
    lblThicknessUnit = NewLabel(fraThickness, "lblThicknessUnit");
    Place(lblThicknessUnit, 1020, 300, 360, LabelHeight);

    auto* fraction = new QListWidget(form);
    fraction->setObjectName(Name("lstFraction", 4));
    Place(fraction, OptionLeft, 5700, OptionWidth, 1200);
    lstFraction[4] = fraction;

    // Results: peak and times; nominal values and limits; ADAP and exponent.
    auto resultRow = [](int r) { return ResultTop + r * RowStep; };
    lblMaxPressure = NewLabel(form, "lblMaxPressure");
    grdMaxPressure = NewGrid(form, "grdMaxPressure");
    lblRiseTime = NewLabel(form, "lblRiseTime");
    grdRiseTime = NewGrid(form, "grdRiseTime");
    lblFallTime = NewLabel(form, "lblFallTime");
    grdFallTime = NewGrid(form, "grdFallTime");
    lblNominal = NewLabel(form, "lblNominal");
    grdNominal = NewGrid(form, "grdNominal");
    lblLLimit = NewLabel(form, "lblLLimit");
    grdLLimit = NewGrid(form, "grdLLimit");
    lblULimit = NewLabel(form, "lblULimit");
    grdULimit = NewGrid(form, "grdULimit");
    lblADAP = NewLabel(form, "lblADAP");
    grdADAP = NewGrid(form, "grdADAP");
    lblExponent = NewLabel(form, "lblExponent");
    grdExponent = NewGrid(form, "grdExponent");
    struct ResultPlace {
        QLabel* label;
        FlexGrid* grid;
        int row, labelLeft, labelWidth, gridLeft, gridWidth;
    };
    const ResultPlace results[] = {
        {lblMaxPressure, grdMaxPressure, 0, 120, 1800, 1920, 1800},
        {lblRiseTime, grdRiseTime, 1, 120, 1800, 1920, 1800},
        {lblFallTime, grdFallTime, 2, 120, 1800, 1920, 1800},
        {lblNominal, grdNominal, 0, 3840, 780, 4620, 3495},
        {lblLLimit, grdLLimit, 1, 3840, 780, 4620, 3495},
        {lblULimit, grdULimit, 2, 3840, 780, 4620, 3495},
        {lblADAP, grdADAP, 0, 8220, 960, 9180, 1200},
        {lblExponent, grdExponent, 1, 8220, 960, 9180, 1200},
    };
    for (const ResultPlace& r : results) {
        Place(r.label, r.labelLeft, resultRow(r.row) + 15, r.labelWidth, LabelHeight);
        Place(r.grid, r.gridLeft, resultRow(r.row), r.gridWidth, GridHeight);
    }

    cmdPrint = new QPushButton(form);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    Place(cmdPrint, OptionLeft, ResultTop, 690, 585);
    cmdBack = new QPushButton(form);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    Place(cmdBack, OptionLeft + 750, ResultTop, 690, 585);
    // A focused button would otherwise take Return for itself.
    for (QPushButton* button : {cmdPrint, cmdBack}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void frmABTCurve::CreateMenus()
{
    mnuBar = new QMenuBar(this);
    mnuBar->setObjectName(QStringLiteral("mnuBar"));
    mnuFile = mnuBar->addMenu(QString());
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFile_Copy = mnuFile->addAction(QString());
    mnuFile_Copy->setObjectName(QStringLiteral("mnuFile_Copy"));
    mnuFile_Copy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    // The shortcut works while the menu is closed.
    addAction(mnuFile_Copy);
}

void frmABTCurve::ConnectHandlers()
{
    connect(tabCurve, &TabControl::Click, this, [this](int) { tabCurve_Click(); });
    connect(cboFormFactor, &QComboBox::activated, this, [this](int) { cboFormFactor_Click(); });
    for (int i = 1; i <= 2; ++i)
        connect(cboLimit[At(i)], &QComboBox::activated, this, [this, i](int) { cboLimit_Click(i); });
    connect(cboThickness, &QComboBox::activated, this, [this](int) { cboThickness_Click(); });
    connect(chkSmoothing, &QCheckBox::clicked, this, [this] { chkSmoothing_Click(); });
    connect(chkComputedCurve, &QCheckBox::clicked, this, [this] { chkComputedCurve_Click(); });
    connect(lstFraction[4], &QListWidget::currentRowChanged, this, [this](int) { lstFraction_Click(4); });
    for (int i = 0; i <= 4; ++i) {
        connect(lstXMax[At(i)], &QListWidget::currentRowChanged, this, [this, i](int) { lstXMax_Click(i); });
        connect(lstYMax[At(i)], &QListWidget::currentRowChanged, this, [this, i](int) { lstYMax_Click(i); });
        connect(picCurve[At(i)], &PictureBox::mouseMove, this,
                [this, i](int button, int shift, double x, double y) { picCurve_MouseMove(i, button, shift, x, y); });
    }
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(mnuFile_Copy, &QAction::triggered, this, [this] { mnuFile_Copy_Click(); });

    // The read-out hides over every other part of the window.
    connect(m_surface, &FormSurface::MouseMove, this, [this] { HideReadOut(); });
    connect(tabCurve, &TabControl::MouseMove, this, [this] { HideReadOut(); });
    for (FlexGrid* grid : {grdADAP, grdExponent, grdFallTime, grdLLimit, grdMaxPressure, grdNominal, grdRiseTime,
                           grdULimit})
        connect(grid, &FlexGrid::MouseMove, this, [this] { HideReadOut(); });
    std::vector<QWidget*> watched = {cmdPrint,         chkSmoothing,     chkComputedCurve,  fraComputedCurve,
                                     fraFormFactor,    fraPressureLimit, fraSmoothing,      fraThickness,
                                     lstFraction[4],   lblADAP,          lblDateTime,       lblDateTimeE,
                                     lblExponent,      lblFallTime,      lblInstrument,     lblInstrumentE,
                                     lblLimitUnit[1],  lblLimitUnit[2],  lblLLimit,         lblMaxPressure,
                                     lblNominal,       lblNoSensor,      lblOperator,       lblRiseTime,
                                     lblSensor,        lblSensorE,       lblSerialNumber,   lblSerialNumberE,
                                     lblStartPressure, lblStartPressureE, lblStartVolume,   lblStartVolumeE,
                                     lblStyle,         lblTestArea,      lblTestAreaE,      lblThicknessUnit,
                                     lblULimit};
    for (int i = 2; i <= 4; ++i)
        watched.push_back(lblReference[At(i)]);
    for (int i = 0; i <= 4; ++i) {
        watched.push_back(lstXMax[At(i)]);
        watched.push_back(lstYMax[At(i)]);
        watched.push_back(lblCoordinate[At(i)]);
    }
    for (QWidget* control : watched)
        WatchPointer(control);
}

void frmABTCurve::WatchPointer(QWidget* control)
{
    control->setMouseTracking(true);
    control->installEventFilter(this);
    if (auto* list = qobject_cast<QAbstractScrollArea*>(control)) {
        list->viewport()->setMouseTracking(true);
        list->viewport()->installEventFilter(this);
    }
}

bool frmABTCurve::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        HideReadOut();
    return QDialog::eventFilter(watched, event);
}

void frmABTCurve::HideReadOut()
{
    if (Ready && Page >= 0 && Page <= 4)
        HideLabel(lblCoordinate[At(Page)]);
}

// ---------------------------------------------------------------------------
// Texts, lists and enabling

void frmABTCurve::InitCurveWindow()
{
    SetCaptions(Language);
    const frmResource* resource = frmResource::Instance();
    setWindowIcon(QIcon(resource->imgAnalyzeCurve));
    cmdPrint->setIcon(QIcon(resource->imgPrint));
    cmdPrint->setIconSize(cmdPrint->size() - QSize(8, 8));
    for (FlexGrid* grid : {grdMaxPressure, grdRiseTime, grdFallTime, grdNominal, grdLLimit, grdULimit, grdADAP,
                           grdExponent})
        SetupNominalGrid(*grid);
    FillOptionLists();
    for (QLabel* label : lblCoordinate) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, ToQColor(vbInfoBackground));
        palette.setColor(QPalette::WindowText, ToQColor(vbInfoText));
        label->setPalette(palette);
        label->setAutoFillBackground(true);
    }
}

void frmABTCurve::SetCaptions(int language)
{
    const std::array<QString, AbtCurveTextCount + 1> t = AbtCurveTextTable(language);
    setWindowTitle(QString::fromLatin1(MainWindowTitle) + QStringLiteral(" - ") + t[AbtTextWindow]);
    lblSensor->setText(t[AbtTextSensor]);
    for (int i = 0; i <= 4; ++i)
        tabCurve->SetTabCaption(i, t[At(AbtTextTab0 + i)]);
    fraFormFactor->setTitle(t[AbtTextFormFactor]);
    fraPressureLimit->setTitle(t[AbtTextPressureLimit]);
    fraSmoothing->setTitle(t[AbtTextSmoothing]);
    fraComputedCurve->setTitle(t[AbtTextComputedCurve]);
    fraThickness->setTitle(t[AbtTextThickness]);
    lblNoSensor->setText(t[AbtTextNoSensor]);
    lblMaxPressure->setText(t[AbtTextMaxPressure]);
    lblRiseTime->setText(t[AbtTextRiseTime]);
    lblFallTime->setText(t[AbtTextFallTime]);
    lblADAP->setText(t[AbtTextADAP]);
    lblExponent->setText(t[AbtTextExponent]);

    const auto lang = static_cast<int16_t>(language);
    lblStartVolume->setText(ParameterNames(AirbagTestType, 1, lang) + u':');
    lblStartPressure->setText(ParameterNames(AirbagTestType, 2, lang) + u':');
    lblTestArea->setText(ParameterNames(AirbagTestType, 4, lang) + u':');

    // The field titles of the main window.
    mnuFile->setTitle(MainCaption(QStringLiteral("mnuFile"), language));
    mnuFile_Copy->setText(MainCaption(QStringLiteral("mnuFile_Copy"), language));
    const std::pair<QLabel*, const char*> mainTitles[] = {
        {lblStyle, "lblStyle"},       {lblOperator, "lblOperator"}, {lblDateTime, "lblDateTime"},
        {lblInstrument, "lblInstrument"}, {lblSerialNumber, "lblSerialNumber"}, {lblNominal, "lblNominal"},
        {lblLLimit, "lblLLimit"},     {lblULimit, "lblULimit"},
    };
    for (const auto& [label, name] : mainTitles)
        label->setText(MainCaption(QString::fromLatin1(name), language));
    for (int i = 2; i <= 4; ++i)
        lblReference[At(i)]->setText(GetReferenceTitle(i, language));

    cmdBack->setText(QStringLiteral("<<"));
    lblLimitUnit[1]->setText(QStringLiteral("kPa"));
    lblLimitUnit[2]->setText(QStringLiteral("kPa"));
    lblThicknessUnit->setText(QStringLiteral("mm"));
}

void frmABTCurve::FillOptionLists()
{
    QStringList formFactors;
    for (int i = -20; i <= 20; ++i)
        formFactors << QString::number(i);
    FillCombo(cboFormFactor, formFactors);
    SelectIndex(cboFormFactor, FindInList(QStringLiteral("0"), cboFormFactor) - 1);

    QStringList limits;
    for (int i = 1; i <= 99; ++i)
        limits << QString::number(i);
    FillCombo(cboLimit[1], limits);
    FillCombo(cboLimit[2], limits);

    QStringList thicknesses;
    for (int i = 1; i <= 100; ++i)
        thicknesses << Format(i / 100.0, QStringLiteral("0.00"));
    FillCombo(cboThickness, thicknesses);
    SelectIndex(cboThickness, StartThicknessIndex);

    chkSmoothing->setChecked(false);
    chkComputedCurve->setChecked(false);

    const QSignalBlocker blocker(lstFraction[4]);
    lstFraction[4]->clear();
    for (const char* entry : FractionEntries)
        lstFraction[4]->addItem(QString::fromLatin1(entry));
    lstFraction[4]->setCurrentRow(StartFractionRow);
}

void frmABTCurve::FillAxisMaximumLists(int page)
{
    if (page < 0 || page > 4)
        return;
    auto fill = [](QListWidget* list, std::vector<QString>& values, const std::vector<int>& series, bool oneRow) {
        const QSignalBlocker blocker(list);
        list->clear();
        values.clear();
        const int entries = static_cast<int>(series.size()) + 1;
        const QSize cell = oneRow ? QSize(std::max(list->viewport()->width(), list->width() - 2) / entries,
                                          list->height() - 2 * list->frameWidth())
                                  : QSize();
        auto add = [&](const QString& text, const QString& value) {
            auto* item = new QListWidgetItem(text, list);
            if (oneRow) {
                item->setSizeHint(cell);
                item->setTextAlignment(Qt::AlignCenter);
            }
            values.push_back(value);
        };
        for (const int v : series)
            add(Format(v, QStringLiteral("#,##0")), QString::number(v));
        add(QStringLiteral("Auto"), QStringLiteral("0"));
        list->setCurrentRow(entries - 1);
    };
    fill(lstXMax[At(page)], XMaxValues, AbtAxisMaximumSeries(page, false), true);
    fill(lstYMax[At(page)], YMaxValues, AbtAxisMaximumSeries(page, true), false);
}

void frmABTCurve::EnableCurveOptions(int page)
{
    struct Enabling {
        QWidget* control;
        QAction* action;
        int tab;
        AbtEnableRule rule;
    };
    const AbtEnableRule withCurve = AbtEnableRule::OnlyWithCurve;
    std::vector<Enabling> table;
    for (int i = 0; i <= 4; ++i)
        table.push_back({nullptr, nullptr, i, withCurve});
    for (int i = 0; i <= 4; ++i) {
        table.push_back({lstXMax[At(i)], nullptr, -1, withCurve});
        table.push_back({lstYMax[At(i)], nullptr, -1, withCurve});
    }
    table.push_back({nullptr, mnuFile_Copy, -1, AbtEnableRule::Curve});
    for (QWidget* control : {static_cast<QWidget*>(cmdPrint), static_cast<QWidget*>(cboStyle),
                             static_cast<QWidget*>(cboReference[2]), static_cast<QWidget*>(cboReference[3]),
                             static_cast<QWidget*>(cboReference[4]), static_cast<QWidget*>(cboOperator),
                             static_cast<QWidget*>(cboLimit[1]), static_cast<QWidget*>(cboLimit[2])})
        table.push_back({control, nullptr, -1, AbtEnableRule::Curve});
    table.push_back({lstFraction[4], nullptr, -1, AbtEnableRule::Page4});
    for (QWidget* control : {static_cast<QWidget*>(fraFormFactor), static_cast<QWidget*>(cboFormFactor),
                             static_cast<QWidget*>(fraSmoothing), static_cast<QWidget*>(chkSmoothing)})
        table.push_back({control, nullptr, -1, AbtEnableRule::Page3Or4});
    for (QWidget* control : {static_cast<QWidget*>(fraThickness), static_cast<QWidget*>(cboThickness),
                             static_cast<QWidget*>(lblThicknessUnit)})
        table.push_back({control, nullptr, -1, AbtEnableRule::Page2});
    table.push_back({fraComputedCurve, nullptr, -1, AbtEnableRule::ComputedCurve});
    table.push_back({chkComputedCurve, nullptr, -1, AbtEnableRule::ComputedCurve});
    // Last, in every case.
    table.push_back({nullptr, nullptr, 1, AbtEnableRule::SensorTabs});
    table.push_back({nullptr, nullptr, 2, AbtEnableRule::SensorTabs});

    const bool curve = page != NoPage;
    const bool computed = IsPresentValue(Evaluation.ADAP) && IsPresentValue(Evaluation.Exponent);
    const bool noSensor = !lblNoSensor->isHidden();
    for (const Enabling& e : table) {
        const AbtEnableState state = AbtEnableStateOf(e.rule, curve, page, computed, noSensor);
        if (!state.Touch)
            continue;
        if (e.control)
            e.control->setEnabled(state.Enabled);
        else if (e.action)
            e.action->setEnabled(state.Enabled);
        else
            tabCurve->SetTabEnabled(e.tab, state.Enabled);
    }
}

void frmABTCurve::ResetCurvePictures()
{
    setWindowIcon(QIcon());
    cmdPrint->setIcon(QIcon());
    for (PictureBox* picture : picCurve)
        picture->Surface().Cls();
}

// ---------------------------------------------------------------------------
// Loading and unloading

void frmABTCurve::Form_Load()
{
    InitCurveWindow();
    Curve = abtFileGet(DataFolder, AbtFileName);
    if (abtIsEmptyCurve(Curve)) {
        ShowMessage(MsgNoCurve);
        Page = NoPage;
        Ready = false;
    } else {
        Page = StartPage;
        FillAxisMaximumLists(Page);
        ShowCurveHeader(Curve);

        const AbtHeaderLimits limits = AbtLimitsFromHeader(ParseDataString(Curve.Header).Parameter3);
        Options.LowerLimit = limits.LowerLimit;
        Options.UpperLimit = limits.UpperLimit;
        for (int i = 1; i <= 2; ++i) {
            const int entry = i == 1 ? limits.LowerEntry : limits.UpperEntry;
            SelectIndex(cboLimit[At(i)], entry > 0 ? FindInList(QString::number(entry), cboLimit[At(i)]) - 1 : -1);
        }

        Options.FormFactor = 0;
        SelectIndex(cboFormFactor, FindInList(QStringLiteral("0"), cboFormFactor) - 1);
        Options.Smoothing = 0;
        chkSmoothing->setChecked(Options.Smoothing == 4);

        EvaluationChain();
        RedrawCurve();
        ShowCurveResults(Evaluation);
        Ready = true;
    }
    tabCurve->SetTab(StartPage);
    EnableCurveOptions(Page);
    SetMousePointer(PointerDefault);
}

void frmABTCurve::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Ready = false;
    ResetCurvePictures();
}
