#include "styles/frmStyle.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/Installation.h"
#include "platform/ListClick.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/SortedList.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "styles/NominalArea.h"
#include "styles/StyleEditorTexts.h"
#include "styles/TestPageCases.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>

namespace {

frmStyle* g_instance = nullptr;

constexpr int NameLength = 35;
constexpr int InstrumentKR6100III = 6;

// The window in twips; the page of the test type in front stands at 2880, 4440.
constexpr int FormWidth = 10260;
constexpr int FormHeight = 10800;
constexpr int PageLeft = 2880;
constexpr int PageTop = 4440;
constexpr int NominalLeft = 7260;
constexpr int NominalRowTop = 4560;
constexpr int NominalRowStep = 480;
constexpr int NominalLabelWidth = 900;
constexpr int NominalBoxWidth = 960;
constexpr int ButtonWidth = 1335;
constexpr int ButtonHeight = 375;

void Place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

QPushButton* MakeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // A focused button of a dialog would take over Enter otherwise.
    button->setAutoDefault(false);
    return button;
}

template <typename T>
T* Make(QWidget* parent, const char* name)
{
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

frmStyle* frmStyle::Instance()
{
    if (!g_instance) {
        g_instance = new frmStyle();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmStyle::IsLoaded()
{
    return g_instance != nullptr;
}

int frmStyle::ShowForm()
{
    return ShowModal(*Instance());
}

frmStyle::frmStyle()
{
    setObjectName(QStringLiteral("frmStyle"));
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    setFixedSize(TwipsToPixels(FormWidth), TwipsToPixels(FormHeight));

    lstStyle = Make<QListWidget>(this, "lstStyle");
    lstStyle->setSelectionMode(QAbstractItemView::SingleSelection);
    Place(lstStyle, 120, 120, 2640, FormHeight - 240);

    txtName = Make<QLineEdit>(this, "txtName");
    InstallTextInput(txtName, NameLength);
    Place(txtName, PageLeft, 120, 4260, BoxHeight);
    imgFolder = Make<QLabel>(this, "imgFolder");
    imgFolder->setScaledContents(true);
    Place(imgFolder, 7320, 105, 360, 330);
    lblDirectoryE = Make<QLabel>(this, "lblDirectoryE");
    Place(lblDirectoryE, 7800, 120, 1500, BoxHeight);

    lstProtocol = Make<QListWidget>(this, "lstProtocol");
    lstProtocol->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Place(lstProtocol, PageLeft, 540, 4260, 3360);

    cmdSave = MakeButton(this, "cmdSave");
    cmdDelete = MakeButton(this, "cmdDelete");
    cmdOK = MakeButton(this, "cmdOK");
    cmdCancel = MakeButton(this, "cmdCancel");
    Place(cmdSave, 7320, 540, ButtonWidth, ButtonHeight);
    Place(cmdDelete, 7320, 1020, ButtonWidth, ButtonHeight);
    Place(cmdOK, FormWidth - 120 - ButtonWidth, FormHeight - 120 - 2 * ButtonHeight - 120, ButtonWidth, ButtonHeight);
    Place(cmdCancel, FormWidth - 120 - ButtonWidth, FormHeight - 120 - ButtonHeight, ButtonWidth, ButtonHeight);
    cmdSave->setDefault(true);
    cmdSave->setEnabled(false);

    tabStyle = Make<QTabBar>(this, "tabStyle");
    tabStyle->setExpanding(false);
    tabStyle->setUsesScrollButtons(true);
    tabStyle->setElideMode(Qt::ElideNone);
    Place(tabStyle, PageLeft, 4020, FormWidth - PageLeft - 120, PageTop - 4020);

    Pages = MakeTestPages();
    stkProperty = Make<QStackedWidget>(this, "stkProperty");
    Place(stkProperty, PageLeft, PageTop, PageWidth, PageHeight);
    // Page 0, shown while no test type is in front.
    stkProperty->addWidget(new QWidget(stkProperty));
    for (int t = 1; t <= TestTypeCount; ++t)
        CreatePage(t);
    CreateNominalArea();

    txtName->installEventFilter(this);
    connect(txtName, &QLineEdit::textChanged, this, [this] { txtName_Change(); });
    ConnectListClick(lstStyle, [this] { lstStyle_Click(); });
    connect(lstProtocol, &QListWidget::itemSelectionChanged, this, [this] { lstProtocol_Click(); });
    connect(tabStyle, &QTabBar::currentChanged, this, [this] { tabStyle_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmStyle::~frmStyle()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmStyle::CreateNominalArea()
{
    struct Row {
        QLabel** Label;
        const char* LabelName;
        QLineEdit** Box1;
        PageControl Control1;
        QLineEdit** Box2;
        PageControl Control2;
    };
    const Row rows[] = {
        {&lblNominal, "lblNominal", &txtNominal1, PageControl::txtNominal1, &txtNominal2, PageControl::txtNominal2},
        {&lblLLimit, "lblLLimit", &txtLLimit1, PageControl::txtLLimit1, &txtLLimit2, PageControl::txtLLimit2},
        {&lblULimit, "lblULimit", &txtULimit1, PageControl::txtULimit1, &txtULimit2, PageControl::txtULimit2},
        {&lblCI, "lblCI", &txtCI1, PageControl::txtCI1, &txtCI2, PageControl::txtCI2},
    };
    int top = NominalRowTop;
    const int box1Left = NominalLeft + NominalLabelWidth;
    const int box2Left = box1Left + NominalBoxWidth + 60;
    for (const Row& row : rows) {
        *row.Label = Make<QLabel>(this, row.LabelName);
        Place(*row.Label, NominalLeft, top + 30, NominalLabelWidth, BoxHeight);
        *row.Box1 = static_cast<QLineEdit*>(CreateControl(0, row.Control1, this));
        Place(*row.Box1, box1Left, top, NominalBoxWidth, BoxHeight);
        *row.Box2 = static_cast<QLineEdit*>(CreateControl(0, row.Control2, this));
        Place(*row.Box2, box2Left, top, NominalBoxWidth, BoxHeight);
        top += NominalRowStep;
    }
    lblTest = Make<QLabel>(this, "lblTest");
    Place(lblTest, NominalLeft, top + 30, NominalLabelWidth, BoxHeight);
    cboTest = static_cast<QComboBox*>(CreateControl(0, PageControl::cboTest, this));
    Place(cboTest, box1Left, top, NominalBoxWidth, BoxHeight);
}

void frmStyle::Form_Load()
{
    const MousePointerGuard pointer;
    HasKR6100III = false;
    for (const int16_t device : PortDevice) {
        if (device == InstrumentKR6100III)
            HasKR6100III = true;
    }
    TestArea44Variant = InstallationTestArea44Variant();
    InitForm();

    SelectingForms = false;
    WorkingStyles = Styles;
    if (WorkingStyles.empty())
        WorkingStyles.assign(1, BlankStyle);
    QStringList names;
    names.reserve(static_cast<qsizetype>(WorkingStyles.size()));
    for (size_t i = 1; i < WorkingStyles.size(); ++i)
        names.append(WorkingStyles[i].Name);
    FillSorted(lstStyle, names);
    QStringList forms;
    for (size_t i = 1; i < ReportForms.size(); ++i)
        forms.append(ReportForms[i].Name);
    FillSorted(lstProtocol, forms);

    WorkingStyles[0] = CurrentStyle;
    if (IsEmptyStyle(CurrentStyle)) {
        // A first style starts from the page defaults, and CurrentStyle keeps
        // them even when the dialog is cancelled.
        for (int t = 1; t <= TestTypeCount; ++t) {
            const TestDefinition definition = ReadTest(t);
            WorkingStyles[0].Tests[static_cast<size_t>(t)] = definition;
            CurrentStyle.Tests[static_cast<size_t>(t)] = definition;
        }
    }
    for (int t = 1; t <= TestTypeCount; ++t)
        ShowTest(t, WorkingStyles[0].Tests[static_cast<size_t>(t)]);
    CurrentTestType = 1;
    // Every page just showed its nominal values in the one set of boxes; they
    // belong to the page that is in front.
    ShowNominals(WorkingStyles[0].Tests[1]);
    ArrangeTestPage(CurrentTestType);
    stkProperty->setCurrentWidget(fraProperty[1]);
    EnableTestArea(0);
}

void frmStyle::InitForm()
{
    SetCaptions(Language);
    imgFolder->setPixmap(frmResource::Instance()->imgFolder);
    {
        const QSignalBlocker blocker(cboTest);
        cboTest->clear();
        QStringList counts;
        counts.reserve(TestCountItems);
        for (int n = 1; n <= TestCountItems; ++n)
            counts.append(QString::number(n));
        cboTest->addItems(counts);
    }
    Nominals.TestIndex = TestCountItems - 1;
    ApplyNominals();
    for (int t = 1; t <= TestTypeCount; ++t)
        InitTestControls(t);
}

void frmStyle::SetCaptions(int16_t language)
{
    setWindowTitle(StyleEditorCaption(StyleCaption::Title, language));
    for (int t = 1; t <= TestTypeCount; ++t) {
        SetPageCaptions(Pages[static_cast<size_t>(t)], language);
        ApplyPage(t);
    }
    lblNominal->setText(StyleEditorCaption(StyleCaption::Nominal, language));
    lblLLimit->setText(StyleEditorCaption(StyleCaption::LowerLimit, language));
    lblULimit->setText(StyleEditorCaption(StyleCaption::UpperLimit, language));
    lblCI->setText(StyleEditorCaption(StyleCaption::CI, language));
    lblTest->setText(StyleEditorCaption(StyleCaption::Tests, language));
    for (QPushButton* button : {cmdOK, cmdCancel, cmdSave, cmdDelete})
        button->setText(SetStandardButtonCaptions(button, language));
}

void frmStyle::ClearForm()
{
    WorkingStyles.clear();
    WorkingStyles.shrink_to_fit();
    {
        const QSignalBlocker blocker(lstStyle);
        lstStyle->clear();
    }
    {
        const QSignalBlocker blocker(lstProtocol);
        lstProtocol->clear();
    }
    imgFolder->clear();
}

void frmStyle::reject()
{
    cmdCancel_Click();
}

void frmStyle::done(int result)
{
    Unload(result);
}

void frmStyle::Unload(int result)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(result);
    Form_Unload();
}

void frmStyle::Form_Unload()
{
    ClearForm();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}

PageContext frmStyle::Context() const
{
    return PageContext{HasKR6100III, TestArea44Variant};
}
