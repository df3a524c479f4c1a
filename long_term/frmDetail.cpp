#include "long_term/frmDetail.h"

#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMainTexts.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "long_term/modDetailReport.h"
#include "long_term/modLongTermDisplay.h"
#include "main_window/frmMain.h"
#include "main_window/modGrid.h"
#include "main_window/modSeries.h"
#include "platform/Colors.h"
#include "platform/DrawingSurface.h"
#include "platform/FlexGrid.h"
#include "platform/GotFocus.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "printing/modPrinter.h"
#include "storage/modClipboard.h"
#include "storage/modDisk.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

frmDetail* g_instance = nullptr;
QString g_answer;

constexpr int NameMaxLength = 35;
constexpr int CommentaryMaxLength = 255;
constexpr int16_t AirbagTestType = 18;
constexpr int16_t MsgAreYouSure = 30;
constexpr int16_t MsgReadError = 32;
constexpr int16_t MsgNoCurveData = 35;
constexpr int LeftButton = 1;
constexpr int32_t LockedBackground = 0xC0C0C0;

const QString AnswerTrue = QStringLiteral("True");
const QString AnswerFalse = QStringLiteral("False");

QString DateTimeText(double date)
{
    return FormatDateText(date, DateFormat) + QStringLiteral(", ") + FormatTimeText(date, true);
}

void SetBackground(QWidget* widget, int32_t colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, ToQColor(colour));
    widget->setPalette(palette);
}

void FillRows(const std::array<FlexGrid*, 5>& grids, const ValueGridRows& rows)
{
    for (size_t k = 0; k < grids.size(); ++k)
        FillInfoRow(*grids[k], rows[k]);
}

// The items of a main-window box, or of the settings list while the main
// window is not loaded.
void CopyItems(QComboBox* target, const QComboBox* source, const std::vector<QString>& values)
{
    if (source) {
        target->clear();
        for (int i = 0; i < source->count(); ++i)
            target->addItem(source->itemText(i));
        target->setCurrentIndex(-1);
    } else {
        FillListFromArray(values, target);
    }
}

} // namespace

frmDetail* frmDetail::Instance()
{
    if (!g_instance)
        g_instance = new frmDetail();
    return g_instance;
}

bool frmDetail::IsLoaded()
{
    return g_instance != nullptr;
}

QString frmDetail::ShowForm(const QString& handOver)
{
    QPointer<frmDetail> form = Instance();
    g_answer = handOver;
    form->Form_Load(handOver);
    ShowModal(*form);
    // A window the runner left open ends as Cancel does.
    if (form && g_instance == form)
        form->done(QDialog::Rejected);
    return g_answer;
}

frmDetail::frmDetail()
{
    setObjectName(QStringLiteral("frmDetail"));
    setFont(frmMain::WindowFont());
    // Unloading from outside ends the dialog without an answer.
    RegisterForm(this, [this] {
        m_closeBox = true;
        done(QDialog::Rejected);
    });
    CreateControls();
    ConnectHandlers();
}

frmDetail::~frmDetail()
{
    if (g_instance == this)
        g_instance = nullptr;
}

// ---------------------------------------------------------------------------
// Building the window

void frmDetail::CreateControls()
{
    auto label = [this](const char* name, int index = -1) {
        auto* l = new QLabel(this);
        l->setObjectName(index < 0 ? QString::fromLatin1(name) : QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    auto grid = [this](const char* name) {
        auto* g = new FlexGrid(this);
        g->setObjectName(QString::fromLatin1(name));
        g->setFixedSize(TwipsToPixels(3495), TwipsToPixels(FlexGrid::RowHeightTwips) + 2);
        return g;
    };
    auto button = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };

    imgDetail = label("imgDetail");
    imgFolder = label("imgFolder");
    lblProperty = label("lblProperty");
    QFont title = lblProperty->font();
    title.setPointSizeF(10);
    title.setBold(true);
    lblProperty->setFont(title);
    lblStyle = label("lblStyle");
    lblStyleE = label("lblStyleE");
    lblFolderE = label("lblFolderE");
    for (int i = 2; i <= 4; ++i) {
        lblReference[static_cast<size_t>(i)] = label("lblReference", i);
        lblReferenceE[static_cast<size_t>(i)] = label("lblReferenceE", i);
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("cboReference_%1").arg(i));
        cboReference[static_cast<size_t>(i)] = box;
    }
    lblOperator = label("lblOperator");
    lblOperatorE = label("lblOperatorE");
    cboOperator = new QComboBox(this);
    cboOperator->setObjectName(QStringLiteral("cboOperator"));
    for (QComboBox* box : {cboReference[2], cboReference[3], cboReference[4], cboOperator}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        InstallTextInput(box, NameMaxLength);
        // The box lies over its label's value while changing: it takes the
        // label's width and the label's row has the box's height already, so
        // the window keeps its size when the boxes appear.
        box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        box->hide();
    }
    for (QLabel* value : {lblReferenceE[2], lblReferenceE[3], lblReferenceE[4], lblOperatorE})
        value->setMinimumHeight(cboOperator->sizeHint().height());
    lblDateTime = label("lblDateTime");
    lblDateTimeE = label("lblDateTimeE");
    lblInstrument = label("lblInstrument");
    lblInstrumentE = label("lblInstrumentE");
    lblSerialNumber = label("lblSerialNumber");
    lblSerialNumberE = label("lblSerialNumberE");
    for (int k = 1; k <= 4; ++k) {
        lblParameter[static_cast<size_t>(k)] = label("lblParameter", k);
        lblParameter[static_cast<size_t>(k)]->hide();
        lblParameterE[static_cast<size_t>(k)] = label("lblParameterE", k);
    }
    lblCommentary = label("lblCommentary");
    lblStatus = label("lblStatus");
    lblStatusE = label("lblStatusE");
    lblAvg = label("lblAvg");
    lblMin = label("lblMin");
    lblMax = label("lblMax");
    lblCV = label("lblCV");
    lblCI = label("lblCI");
    lblNominal = label("lblNominal");
    lblLLimit = label("lblLLimit");
    lblULimit = label("lblULimit");
    lblTest = label("lblTest");
    lblNominalCI = label("lblNominalCI");
    grdAvg = grid("grdAvg");
    grdMin = grid("grdMin");
    grdMax = grid("grdMax");
    grdCV = grid("grdCV");
    grdCI = grid("grdCI");
    grdNominal = grid("grdNominal");
    grdLLimit = grid("grdLLimit");
    grdULimit = grid("grdULimit");
    grdTest = grid("grdTest");
    grdNominalCI = grid("grdNominalCI");
    grdResult = new FlexGrid(this);
    grdResult->setObjectName(QStringLiteral("grdResult"));
    grdResult->setFixedSize(TwipsToPixels(7440), TwipsToPixels(2640));
    txtCommentary = new QPlainTextEdit(this);
    txtCommentary->setObjectName(QStringLiteral("txtCommentary"));
    txtCommentary->setFixedHeight(TwipsToPixels(720));
    txtCommentary->setReadOnly(true);
    SetBackground(txtCommentary, LockedBackground);

    cmdPrintOriginal = button("cmdPrintOriginal");
    cmdPreviewOriginal = button("cmdPreviewOriginal");
    cmdPrintCurrent = button("cmdPrintCurrent");
    cmdPreviewCurrent = button("cmdPreviewCurrent");
    cmdCopy = button("cmdCopy");
    cmdModify = button("cmdModify");
    cmdDelete = button("cmdDelete");
    cmdOK = button("cmdOK");
    cmdOK->setDefault(true);
    cmdOK->setEnabled(false);
    cmdCancel = button("cmdCancel");

    // Head: the picture and the property.
    auto* head = new QHBoxLayout();
    head->addWidget(imgDetail);
    head->addWidget(lblProperty, 1);

    // Series: style and folder, references, operator at the left; period,
    // instrument and parameters at the right. An edit box lies over its
    // label's value while changing.
    auto* series = new QGridLayout();
    series->setHorizontalSpacing(8);
    series->addWidget(lblStyle, 0, 0);
    auto* style = new QHBoxLayout();
    style->addWidget(lblStyleE, 1);
    style->addWidget(imgFolder);
    style->addWidget(lblFolderE);
    series->addLayout(style, 0, 1);
    for (int i = 2; i <= 4; ++i) {
        series->addWidget(lblReference[static_cast<size_t>(i)], i - 1, 0);
        series->addWidget(lblReferenceE[static_cast<size_t>(i)], i - 1, 1);
        series->addWidget(cboReference[static_cast<size_t>(i)], i - 1, 1);
    }
    series->addWidget(lblOperator, 4, 0);
    series->addWidget(lblOperatorE, 4, 1);
    series->addWidget(cboOperator, 4, 1);
    series->addWidget(lblDateTime, 0, 2);
    series->addWidget(lblDateTimeE, 0, 3);
    series->addWidget(lblInstrument, 1, 2);
    auto* instrument = new QHBoxLayout();
    instrument->addWidget(lblInstrumentE, 1);
    instrument->addWidget(lblSerialNumber);
    instrument->addWidget(lblSerialNumberE);
    series->addLayout(instrument, 1, 3);
    for (int k = 1; k <= 4; ++k) {
        series->addWidget(lblParameter[static_cast<size_t>(k)], k + 1, 2);
        series->addWidget(lblParameterE[static_cast<size_t>(k)], k + 1, 3);
    }
    series->setColumnStretch(1, 1);
    series->setColumnStretch(3, 1);

    auto* fraLinHorozontal = new QFrame(this);
    fraLinHorozontal->setObjectName(QStringLiteral("fraLinHorozontal"));
    fraLinHorozontal->setFrameShape(QFrame::HLine);
    fraLinHorozontal->setFrameShadow(QFrame::Sunken);

    // Statistics beside the style's values, then the status.
    auto* values = new QGridLayout();
    QLabel* const statLabels[] = {lblAvg, lblMin, lblMax, lblCV, lblCI};
    FlexGrid* const statGrids[] = {grdAvg, grdMin, grdMax, grdCV, grdCI};
    QLabel* const setLabels[] = {lblNominal, lblLLimit, lblULimit, lblTest, lblNominalCI};
    FlexGrid* const setGrids[] = {grdNominal, grdLLimit, grdULimit, grdTest, grdNominalCI};
    for (int row = 0; row < 5; ++row) {
        values->addWidget(statLabels[row], row, 0);
        values->addWidget(statGrids[row], row, 1);
        values->addWidget(setLabels[row], row, 2);
        values->addWidget(setGrids[row], row, 3);
    }
    values->addWidget(lblStatus, 5, 0);
    values->addWidget(lblStatusE, 5, 1);
    values->setColumnStretch(4, 1);

    auto* left = new QVBoxLayout();
    left->addLayout(head);
    left->addLayout(series);
    left->addWidget(fraLinHorozontal);
    left->addLayout(values);
    left->addWidget(grdResult);
    left->addWidget(lblCommentary);
    left->addWidget(txtCommentary);

    auto* buttons = new QVBoxLayout();
    for (QPushButton* b : {cmdPrintOriginal, cmdPreviewOriginal, cmdPrintCurrent, cmdPreviewCurrent, cmdCopy,
                           cmdModify, cmdDelete})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

void frmDetail::ConnectHandlers()
{
    for (int i = 2; i <= 4; ++i) {
        QComboBox* box = cboReference[static_cast<size_t>(i)];
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, i] { cboReference_Change(i); });
        connect(box, &QComboBox::activated, this, [this] { Changed = true; });
    }
    connect(cboOperator->lineEdit(), &QLineEdit::textEdited, this, [this] { cboOperator_Change(); });
    connect(cboOperator, &QComboBox::activated, this, [this] { Changed = true; });
    connect(txtCommentary, &QPlainTextEdit::textChanged, this, [this] {
        CheckCommentary();
        txtCommentary_Change();
    });
    for (int i = 2; i <= 4; ++i)
        ConnectGotFocus(cboReference[static_cast<size_t>(i)], [this, i] { cboReference_GotFocus(i); });
    ConnectGotFocus(cboOperator, [this] { cboOperator_GotFocus(); });
    ConnectGotFocus(txtCommentary, [this] { txtCommentary_GotFocus(); });
    connect(grdResult, &FlexGrid::MouseDown, this, [this](int button, int, double, double) { grdResult_MouseDown(button); });
    connect(grdResult, &FlexGrid::DblClick, this, [this] { grdResult_DblClick(); });

    const std::pair<QPushButton*, void (frmDetail::*)()> handlers[] = {
        {cmdModify, &frmDetail::cmdModify_Click},
        {cmdOK, &frmDetail::cmdOK_Click},
        {cmdCancel, &frmDetail::cmdCancel_Click},
        {cmdDelete, &frmDetail::cmdDelete_Click},
        {cmdPrintOriginal, &frmDetail::cmdPrintOriginal_Click},
        {cmdPreviewOriginal, &frmDetail::cmdPreviewOriginal_Click},
        {cmdPrintCurrent, &frmDetail::cmdPrintCurrent_Click},
        {cmdPreviewCurrent, &frmDetail::cmdPreviewCurrent_Click},
        {cmdCopy, &frmDetail::cmdCopy_Click},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this, handler);
}

// ---------------------------------------------------------------------------
// Loading and showing

void frmDetail::InitForm()
{
    SetCaptions(Language);
    frmResource* resource = frmResource::Instance();
    imgDetail->setPixmap(resource->imgDetail);
    imgFolder->setPixmap(resource->imgFolder);
    frmMain* main = frmMain::IsLoaded() ? frmMain::Instance() : nullptr;
    const std::vector<QString>* lists[5] = {nullptr, nullptr, &Reference2Values, &Reference3Values, &Reference4Values};
    for (size_t i = 2; i <= 4; ++i)
        CopyItems(cboReference[i], main ? main->cboReference[i] : nullptr, *lists[i]);
    CopyItems(cboOperator, main ? main->cboOperator : nullptr, Operators);
    for (FlexGrid* grid : {grdAvg, grdMin, grdMax, grdCV, grdCI, grdNominal, grdLLimit, grdULimit, grdTest,
                           grdNominalCI})
        SetupNominalGrid(*grid);
    SetupStatGrid(*grdResult);
}

void frmDetail::SetCaptions(int language)
{
    setWindowTitle(DetailText(QStringLiteral("frmDetail"), language));
    for (QWidget* control : {static_cast<QWidget*>(lblCommentary), static_cast<QWidget*>(cmdPreviewCurrent),
                             static_cast<QWidget*>(cmdPrintCurrent), static_cast<QWidget*>(cmdPreviewOriginal),
                             static_cast<QWidget*>(cmdPrintOriginal), static_cast<QWidget*>(cmdModify)}) {
        const QString text = DetailText(control->objectName(), language);
        if (auto* l = qobject_cast<QLabel*>(control))
            l->setText(text);
        else if (auto* b = qobject_cast<QPushButton*>(control))
            b->setText(text);
    }
    cmdCopy->setText(SetStandardButtonCaptions(cmdCopy, language));
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
    cmdDelete->setText(SetStandardButtonCaptions(cmdDelete, language) + QStringLiteral("..."));
    const std::pair<QLabel*, const char*> titles[] = {
        {lblStyle, "lblStyle"}, {lblOperator, "lblOperator"}, {lblDateTime, "lblDateTime"},
        {lblInstrument, "lblInstrument"}, {lblSerialNumber, "lblSerialNumber"}, {lblAvg, "lblAvg"},
        {lblMin, "lblMin"}, {lblMax, "lblMax"}, {lblCV, "lblCV"}, {lblCI, "lblCI"}, {lblNominal, "lblNominal"},
        {lblLLimit, "lblLLimit"}, {lblULimit, "lblULimit"}, {lblTest, "lblTest"}, {lblNominalCI, "lblNominalCI"},
        {lblStatus, "lblTest"},
    };
    for (const auto& [l, name] : titles)
        l->setText(MainCaption(QString::fromLatin1(name), language));
    for (int i = 2; i <= 4; ++i)
        lblReference[static_cast<size_t>(i)]->setText(GetReferenceTitle(i, language));
}

void frmDetail::Form_Load(const QString& handOver)
{
    Answer = handOver;
    g_answer = handOver;
    InitForm();
    ReportTestType = handOver.isEmpty() ? int16_t{0} : static_cast<int16_t>(handOver[0].unicode());
    ReportPath = handOver.mid(2);
    // Only a report in a style folder of the data folder is read; a path
    // that reaches anywhere else is as unreadable as a damaged file.
    DetailHandOver parsed;
    ReportChecksum.clear();
    Report = ParseHandOver(handOver, parsed) ? dskGetTestReport(DataFolder, parsed.Path, nullptr, &ReportChecksum)
                                             : EmptyProtocol;
    if (IsEmptyProtocol(Report)) {
        ShowUnreadable();
        SetMousePointer(PointerDefault);
        return;
    }
    Report.CurrentProperty = static_cast<int16_t>(parsed.Block);
    ShowTestReport(Report, ReportTestType);
    const bool styleExists = FindStyleIndex(Report.Style.Name, Styles) >= 1;
    cmdPrintCurrent->setEnabled(styleExists);
    cmdPreviewCurrent->setEnabled(styleExists);
    SetMousePointer(PointerDefault);
}

void frmDetail::ShowUnreadable()
{
    ShowMessage(MsgReadError);
    txtCommentary->setEnabled(false);
    grdResult->SetEnabled(false);
    grdResult->setEnabled(false);
    for (QPushButton* b : {cmdModify, cmdDelete, cmdPrintOriginal, cmdPreviewOriginal, cmdPrintCurrent,
                           cmdPreviewCurrent, cmdCopy, cmdOK})
        b->setEnabled(false);
}

void frmDetail::ShowTestReport(const Protocol& report, int16_t testType)
{
    const int b = std::clamp<int>(report.CurrentProperty, 1, PropertyCount);
    const PropertyBlock& block = report.Blocks[static_cast<size_t>(b)];
    const DataStringRecord header = ParseDataString(block.Header);
    const TestDefinition definition = testType >= 1 && testType <= TestTypeCount
        ? report.Style.Tests[static_cast<size_t>(testType)]
        : BlankTestDefinition;
    const Statistics& stats = block.Stats;

    lblProperty->setText(PropertyName(testType, Language));
    lblStyleE->setText(Trim(report.Style.Name));
    lblFolderE->setText(dskStyleFolderName(report.Style.Name));
    const QString references[5] = {QString(), QString(), report.Reference2, report.Reference3, report.Reference4};
    for (size_t i = 2; i <= 4; ++i)
        lblReferenceE[i]->setText(Trim(references[i]));
    lblOperatorE->setText(Trim(report.Operator));
    lblDateTimeE->setText(DateTimeText(block.StartDate) + QStringLiteral(" - ") + DateTimeText(block.LastTestDate));
    lblInstrumentE->setText(ModelLongNameOf(header.InstrumentCode));
    lblSerialNumber->setVisible(!header.SerialNumber.isEmpty());
    lblSerialNumberE->setText(header.SerialNumber);
    const QString parameters[5] = {QString(), header.Parameter1, header.Parameter2, header.Parameter3,
                                   header.Parameter4};
    const QString units[5] = {QString(), header.Parameter1Unit, header.Parameter2Unit, header.Parameter3Unit,
                              header.Parameter4Unit};
    for (size_t k = 1; k <= 4; ++k) {
        const QString name = ParameterNames(testType, static_cast<int16_t>(k), Language);
        if (name.isEmpty())
            continue;
        lblParameter[k]->setVisible(true);
        lblParameter[k]->setText(name + u':');
        lblParameterE[k]->setText(parameters[k].isEmpty() ? QString() : parameters[k] + u' ' + units[k]);
    }

    StatisticsGridStyle style;
    style.DashForMissingValues = false;
    style.WarningSign = header.WarningSign;
    const bool passFail = !header.ResultUnit.isEmpty() && header.ResultUnit == UnitText(PassFailUnitCode, Language);
    FillRows({grdAvg, grdMin, grdMax, grdCV, grdCI},
             LongTermStatisticsRows(stats, definition, header.ResultUnit, header.Result2Unit, passFail, style));
    const NominalRows nominal = NominalGridRows(definition);
    FillRows({grdNominal, grdLLimit, grdULimit, grdTest, grdNominalCI},
             {nominal.Nominal, nominal.LLimit, nominal.ULimit, nominal.Test, nominal.NominalCI});
    const int stored = std::max(0, static_cast<int>(block.Values.size()) - 1);
    lblStatusE->setText(QStringLiteral("%1/%2 (%3)")
                            .arg(stats.Count)
                            .arg(EffectiveTestCount(definition))
                            .arg(stored - stats.Count));

    FillTestGrid(*grdResult, report);
    grdResult->SetRow(0);
    grdResult->SetCol(0);
    int row = 0;
    MarkCurrentRow(*grdResult, row);

    QString commentary = Trim(block.Commentary);
    commentary.truncate(CommentaryMaxLength);
    m_checking = true;
    txtCommentary->setPlainText(commentary);
    m_commentary = commentary;
    m_checking = false;
}

void frmDetail::ReleaseDisplay()
{
    SetupStatGrid(*grdResult);
    FillTestGrid(*grdResult, EmptyProtocol);
    imgDetail->setPixmap(QPixmap());
    imgFolder->setPixmap(QPixmap());
}

// ---------------------------------------------------------------------------
// Changing

void frmDetail::cmdModify_Click()
{
    for (size_t i = 2; i <= 4; ++i) {
        cboReference[i]->setEditText(lblReferenceE[i]->text());
        cboReference[i]->show();
        cboReference[i]->raise();
    }
    cboOperator->setEditText(lblOperatorE->text());
    cboOperator->show();
    cboOperator->raise();
    SetBackground(txtCommentary, vbWhite);
    txtCommentary->setReadOnly(false);
    Changed = false;
    grdResult->SetEnabled(false);
    for (QPushButton* b : {cmdModify, cmdPrintCurrent, cmdPreviewCurrent, cmdPrintOriginal, cmdPreviewOriginal,
                           cmdCopy})
        b->setEnabled(false);
    cmdOK->setEnabled(true);
    cboReference[2]->setFocus();
}

void frmDetail::cboReference_Change(int index)
{
    if (index >= 2 && index <= 4)
        LimitTextLength(cboReference[static_cast<size_t>(index)], NameMaxLength);
    Changed = true;
}

void frmDetail::cboOperator_Change()
{
    LimitTextLength(cboOperator, NameMaxLength);
    Changed = true;
}

void frmDetail::txtCommentary_Change()
{
    if (!m_checking)
        Changed = true;
}

void frmDetail::cboReference_GotFocus(int index)
{
    if (index >= 2 && index <= 4)
        SelectAllText(cboReference[static_cast<size_t>(index)]);
}

void frmDetail::cboOperator_GotFocus()
{
    SelectAllText(cboOperator);
}

void frmDetail::txtCommentary_GotFocus()
{
    SelectAllText(txtCommentary);
}

void frmDetail::CheckCommentary()
{
    if (m_checking)
        return;
    const QString text = txtCommentary->toPlainText();
    QString kept = text;
    if (!IsStorableText(text)) {
        kept = m_commentary;
        InputBeep();
    } else if (text.size() > CommentaryMaxLength) {
        kept = text.left(CommentaryMaxLength);
        InputBeep();
    }
    if (kept != text) {
        const int position = txtCommentary->textCursor().position();
        m_checking = true;
        txtCommentary->setPlainText(kept);
        QTextCursor cursor = txtCommentary->textCursor();
        cursor.setPosition(std::min(position, static_cast<int>(kept.size())));
        txtCommentary->setTextCursor(cursor);
        m_checking = false;
    }
    m_commentary = kept;
}

void frmDetail::cmdOK_Click()
{
    QString answer = AnswerFalse;
    if (Changed) {
        Report.Reference2 = Trim(cboReference[2]->currentText());
        Report.Reference3 = Trim(cboReference[3]->currentText());
        Report.Reference4 = Trim(cboReference[4]->currentText());
        Report.Operator = Trim(cboOperator->currentText());
        const int b = std::clamp<int>(Report.CurrentProperty, 1, PropertyCount);
        Report.Blocks[static_cast<size_t>(b)].Commentary = Trim(txtCommentary->toPlainText());
        // The caller searches again for a report that was written, and for
        // one another seat changed or deleted meanwhile.
        bool changedElsewhere = false;
        const bool written = RewriteStoredReport(ReportPath, Report, ReportChecksum, changedElsewhere);
        // No to the question whether to replace another seat's change: the
        // window stays with the operator's edit, which a later OK may still
        // save; the report is searched again whether OK or Cancel ends it.
        if (!written && changedElsewhere) {
            m_changedElsewhere = true;
            return;
        }
        if (written || m_changedElsewhere)
            answer = AnswerTrue;
    }
    Answer = answer;
    done(QDialog::Accepted);
}

void frmDetail::cmdCancel_Click()
{
    Answer = m_changedElsewhere ? AnswerTrue : AnswerFalse;
    done(QDialog::Rejected);
}

void frmDetail::cmdDelete_Click()
{
    if (ShowMessage(MsgAreYouSure) != AnswerYes)
        return;
    bool keptChanged = false;
    // A report another seat changed meanwhile and the operator kept: the
    // caller searches again and shows it as it is now.
    if (!DeleteStoredReport(Report, ReportPath, ReportChecksum, keptChanged) && !keptChanged)
        return;
    Answer = AnswerTrue;
    done(QDialog::Accepted);
}

// ---------------------------------------------------------------------------
// Printing, copying, the curve

void frmDetail::cmdPrintOriginal_Click()
{
    MousePointerGuard hourglass(PointerHourglass);
    ptrTestReport(Printer(), Report);
}

void frmDetail::cmdPreviewOriginal_Click()
{
    ptrPreviewTestReport(Report);
}

void frmDetail::cmdPrintCurrent_Click()
{
    MousePointerGuard hourglass(PointerHourglass);
    ptrTestReport(Printer(), CurrentStyleCopy(Report));
}

void frmDetail::cmdPreviewCurrent_Click()
{
    ptrPreviewTestReport(CurrentStyleCopy(Report));
}

void frmDetail::cmdCopy_Click()
{
    MousePointerGuard hourglass(PointerHourglass);
    clpCopyTestReport(Report);
}

void frmDetail::grdResult_DblClick()
{
    if (ReportTestType != AirbagTestType || !grdResult->Enabled() || IsEmptyProtocol(Report))
        return;
    const int index = TestEntryIndex(Report, grdResult->Row());
    const QString name = CurveFileOfTest(Report, index);
    if (name.isEmpty() || !abtIsAirbagFile(DataFolder, name)) {
        ShowMessage(MsgNoCurveData);
        return;
    }
    AbtProtocol = Report;
    AbtFileName = name;
    SetMousePointer(PointerHourglass);
    frmABTCurve::ShowForm();
    SetMousePointer(PointerDefault);
}

void frmDetail::grdResult_MouseDown(int button)
{
    if (button != LeftButton || !grdResult->Enabled())
        return;
    int row = 0;
    MarkCurrentRow(*grdResult, row);
}

// ---------------------------------------------------------------------------
// Closing

void frmDetail::closeEvent(QCloseEvent* event)
{
    // The close box gives no answer: the caller keeps its hand-over text.
    m_closeBox = true;
    QDialog::closeEvent(event);
    m_closeBox = false;
}

void frmDetail::reject()
{
    if (m_closeBox)
        QDialog::reject();
    else
        cmdCancel_Click();
}

void frmDetail::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmDetail::Form_Unload()
{
    if (g_instance != this)
        return;
    g_answer = Answer;
    ReleaseDisplay();
    g_instance = nullptr;
    deleteLater();
}
