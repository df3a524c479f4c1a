// Showing, choosing and keeping series in the main window: the display of the
// series shown, the life cycle of series, the choice of style, report form,
// series, property and test, the text fields, and the keys and clicks that
// lead there.
#include "main_window/frmMain.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "instrument/modStatistic.h"
#include "main_window/modGrid.h"
#include "main_window/modPending.h"
#include "main_window/modSeries.h"
#include "main_window/modTestEdit.h"
#include "platform/Colors.h"
#include "platform/FlexGrid.h"
#include "platform/GotFocus.h"
#include "platform/MousePointer.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "storage/modTestReport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <utility>

namespace {

// Operator and reference texts are stored with at most this many characters.
constexpr int NameLength = 35;
// A property that reached this many counted tests was closed by the
// measurement and stays closed.
constexpr int MostTests = 999;
constexpr int LateralAirTestType = 16;

constexpr int32_t OtherPropertyGrey = 0x808080;

bool IsProperty(int property)
{
    return property >= 1 && property <= PropertyCount;
}

void SetLabelColour(QLabel* label, int32_t colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
}

void SetBold(QLabel* label, bool bold)
{
    QFont font = label->font();
    if (font.bold() == bold)
        return;
    font.setBold(bold);
    label->setFont(font);
}

// The Q-DAS boxes and the fields of a series they stand for.
struct QdasBox {
    QLineEdit* frmMain::*Box;
    QString Protocol::*Field;
};

const QdasBox QdasBoxes[] = {
    {&frmMain::txtK0006, &Protocol::K0006}, {&frmMain::txtK0016, &Protocol::K0016},
    {&frmMain::txtK0053, &Protocol::K0053}, {&frmMain::txtK1031, &Protocol::K1031},
    {&frmMain::txtK1032, &Protocol::K1032}, {&frmMain::txtK1086, &Protocol::K1086},
    {&frmMain::txtK1087, &Protocol::K1087},
};

// The reference fields of a series by the index of their box (2 to 4).
QString* ReferenceField(Protocol& protocol, int index)
{
    switch (index) {
    case 2:
        return &protocol.Reference2;
    case 3:
        return &protocol.Reference3;
    case 4:
        return &protocol.Reference4;
    default:
        return nullptr;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Wiring

void frmMain::ConnectSeriesHandlers()
{
    connect(cboStyle, &QComboBox::activated, this, [this] { cboStyle_Click(); });
    connect(cboProtocol, &QComboBox::activated, this, [this] { cboProtocol_Click(); });
    connect(cboOperator->lineEdit(), &QLineEdit::textEdited, this, [this] { cboOperator_Change(); });
    connect(cboOperator, &QComboBox::activated, this, [this] { cboOperator_Click(); });
    for (int i = 2; i <= 4; ++i) {
        QComboBox* box = cboReference[static_cast<size_t>(i)];
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, i] { cboReference_Change(i); });
        connect(box, &QComboBox::activated, this, [this, i] { cboReference_Click(i); });
    }
    for (int i = 1; i <= PropertyCount; ++i)
        connect(chkLateralAir[static_cast<size_t>(i)], &QCheckBox::clicked, this, [this, i] { chkLateralAir_Click(i); });

    // The two views are one exclusive group; a button that becomes selected
    // is its Click.
    auto* views = new QButtonGroup(this);
    views->setExclusive(true);
    views->addButton(optProtocol[1], 1);
    views->addButton(optProtocol[2], 2);
    connect(views, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            optProtocol_Click(id);
    });

    connect(grdResult, &FlexGrid::MouseDown, this,
            [this](int button, int shift, double x, double y) { grdResult_MouseDown(button, shift, x, y); });
    connect(grdResult, &FlexGrid::Click, this, [this] { grdResult_Click(); });

    connect(txtCommentary, &QLineEdit::textEdited, this, [this] { txtCommentary_Change(); });
    // Typing rewrites the series' file once it pauses, or once the box is
    // left, not at every key.
    m_typedChangeTimer = new QTimer(this);
    m_typedChangeTimer->setSingleShot(true);
    m_typedChangeTimer->setInterval(400);
    connect(m_typedChangeTimer, &QTimer::timeout, this, [] { KeepChangedPendingSeries(); });
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_typedChangeTimer->isActive()) {
            m_typedChangeTimer->stop();
            KeepChangedPendingSeries();
        }
    });
    for (const QdasBox& entry : QdasBoxes) {
        QLineEdit* box = this->*entry.Box;
        connect(box, &QLineEdit::textEdited, this, [this, box] { txtQdas_Change(box); });
    }

    // Clicks on labels and pictures, the keys of the value box, and Enter
    // that reaches the window.
    m_seriesFilter = NewMemberFilter(&frmMain::SeriesEvent);
    for (size_t i = 1; i <= PropertyCount; ++i) {
        for (QWidget* w : {static_cast<QWidget*>(lblProperty[i]), static_cast<QWidget*>(lblPropertyStatus[i]),
                           static_cast<QWidget*>(lblLateralAir[i]), static_cast<QWidget*>(lblLateralAirE[i]),
                           static_cast<QWidget*>(imgTerminated[i])})
            w->installEventFilter(m_seriesFilter);
    }
    imgPrint->installEventFilter(m_seriesFilter);
    imgNotPrint->installEventFilter(m_seriesFilter);
    txtKeyboard->installEventFilter(m_seriesFilter);
    installEventFilter(m_seriesFilter);

    for (QLineEdit* box : {txtCommentary, txtK0006, txtK0016, txtK0053, txtK1031, txtK1032, txtK1086, txtK1087,
                           txtKeyboard})
        ConnectGotFocus(box, [box] { SelectAllText(box); });
    ConnectGotFocus(cboOperator, [this] { cboOperator_GotFocus(); });
    for (int i = 2; i <= 4; ++i)
        ConnectGotFocus(cboReference[static_cast<size_t>(i)], [this, i] { cboReference_GotFocus(i); });
}

bool frmMain::SeriesEvent(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A disabled mark or picture answers no click, whatever reaches a filter.
        const bool release = event->type() == QEvent::MouseButtonRelease
                             && static_cast<QWidget*>(watched)->isEnabled();
        const int button = MouseButtonCode(mouse->button());
        const int shift = ShiftCode(mouse->modifiers());
        const double x = mouse->position().x() * 15;
        const double y = mouse->position().y() * 15;
        if (watched == imgPrint || watched == imgNotPrint) {
            // The press is the picture's own, so that its release comes back here.
            if (release && watched == imgPrint)
                imgPrint_MouseUp(button, shift, x, y);
            else if (release)
                imgNotPrint_MouseUp(button, shift, x, y);
            return true;
        }
        for (int i = 1; i <= PropertyCount; ++i) {
            const size_t k = static_cast<size_t>(i);
            using Handler = void (frmMain::*)(int, int, int, double, double);
            Handler handler = nullptr;
            if (watched == lblProperty[k])
                handler = &frmMain::lblProperty_MouseUp;
            else if (watched == lblPropertyStatus[k])
                handler = &frmMain::lblPropertyStatus_MouseUp;
            else if (watched == lblLateralAir[k])
                handler = &frmMain::lblLateralAir_MouseUp;
            else if (watched == lblLateralAirE[k])
                handler = &frmMain::lblLateralAirE_MouseUp;
            else if (watched == imgTerminated[k])
                handler = &frmMain::imgTerminated_MouseUp;
            if (!handler)
                continue;
            if (release)
                (this->*handler)(i, button, shift, x, y);
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtKeyboard) {
            // Only characters are judged; editing and shortcut keys pass, a
            // paste is judged by the box's own number input.
            const QString text = key->text();
            if (text.size() != 1 || text.front().unicode() < 0x20 || text.front().unicode() == 0x7F)
                return false;
            int keyAscii = text.front().unicode();
            txtKeyboard_KeyPress(keyAscii);
            return keyAscii == 0;
        }
        if (watched == this && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            return PressDefaultButton();
        return false;
    }
    default:
        return false;
    }
}

bool frmMain::PressDefaultButton()
{
    QWidget* focused = focusWidget();
    // A line break cannot be kept in the commentary; it measures nothing.
    if (focused == txtCommentary) {
        InputBeep();
        return true;
    }
    if (auto* button = qobject_cast<QPushButton*>(focused)) {
        if (button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }
    if (cmdMeasure->isEnabled() && cmdMeasure->isVisible())
        cmdMeasure->click();
    return true;
}

Protocol* frmMain::ShownProtocol()
{
    if (CurrentProtocol < 0 || static_cast<size_t>(CurrentProtocol) >= Protocols.size())
        return nullptr;
    return &Protocols[static_cast<size_t>(CurrentProtocol)];
}

void frmMain::EndSelection()
{
    RefreshEnabling();
    TabRefresh();
}

// ---------------------------------------------------------------------------
// Display

void frmMain::ShowProtocol()
{
    // 1.
    RefreshGuard refreshing(*this);
    Protocol* shown = ShownProtocol();
    const ReportFormItem item = shown ? CurrentFormItem(*shown) : ReportFormItem{};
    const int t = item.Property;
    // 2. A series without a usable report-form item changes nothing shown.
    if (shown && t >= 1 && t <= TestTypeCount) {
        const Protocol& p = *shown;
        const size_t property = static_cast<size_t>(p.CurrentProperty);
        const PropertyBlock& block = p.Blocks[property];
        const TestDefinition& definition = p.Style.Tests[static_cast<size_t>(t)];
        const ReportForm form = CurrentReportForm(p);

        // 3.
        ShowPropertyNames(form);

        // 4. The series itself, or the working record's report form by its
        // name: the list holds only the forms that are not empty.
        if (CurrentProtocol != 0) {
            const int entries = cboProtocol->count();
            cboProtocol->setCurrentIndex(std::min(static_cast<int>(CurrentProtocol), entries) - 1);
        } else {
            cboProtocol->setCurrentIndex(
                IsEmptyReportForm(form) ? -1 : cboProtocol->findText(form.Name, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }

        // 5. The style by its name. An open series whose style is no longer
        // stored keeps its own copy and shows its name all the same.
        const int position = FindInList(p.Style.Name, cboStyle);
        cboStyle->setCurrentIndex(position - 1);
        cboStyle->setPlaceholderText(position == 0 && CurrentProtocol != 0 ? p.Style.Name : QString());

        // 6. to 9.
        ShowParameterCaptions(item);
        ShowInstrumentInfo(definition.HeaderImage);
        FillNominalGrids(definition);
        lblFolderE->setText(dskStyleFolderName(p.Style.Name));

        // 10.
        cboReference[2]->setEditText(p.Reference2);
        cboReference[3]->setEditText(p.Reference3);
        cboReference[4]->setEditText(p.Reference4);
        cboOperator->setEditText(p.Operator);

        // 11. and 12.
        ShowDateTime(p.Date);
        for (const QdasBox& entry : QdasBoxes)
            (this->*entry.Box)->setText(p.*entry.Field);

        // 13. The data string actually received replaces the expected one.
        if (BlockHoldsTest(block))
            ShowInstrumentInfo(block.Header);

        // 14. and 15.
        FillTestGrid(*grdResult, p);
        int marked = 0;
        MarkCurrentRow(*grdResult, marked);
        txtCommentary->setText(block.Commentary);

        // 16. and 17. The newest test the grid lists; a deleted one is gone
        // from the charts as from the grid.
        const int newest = TestEntryIndex(p, ListedTestCount(block) - 1);
        const TestValue& last = newest >= 1 ? block.Values[static_cast<size_t>(newest)] : EmptyTestValue;
        DrawDeviationChart(ComputeDeviationData(p, last.Value1, 1), 1);
        DrawDeviationChart(ComputeDeviationData(p, last.Value2, 2), 2);

        // 18. to 20.
        ShowPropertyStates(p);
        FillStatisticsGrids(p, p.CurrentProperty);
        imgTerminated[property]->setPixmap(block.Terminated ? frmResource::Instance()->imgTerminated : QPixmap());

        // 21.
        picCurve->Surface().Cls();
        picCurve->update();
        lblCurveXMax->setText(QString());
        lblCurveYMax->setText(QString());
        DrawCurveThumbnail();
    }
    // 22. The stop questions are asked anew for the series now shown.
    TestCountAsked = false;
    ConfidenceAsked = false;
}

void frmMain::FillNominalGrids(const TestDefinition& definition)
{
    const NominalRows rows = NominalGridRows(definition);
    FillInfoRow(*grdNominal, rows.Nominal);
    FillInfoRow(*grdLLimit, rows.LLimit);
    FillInfoRow(*grdULimit, rows.ULimit);
    FillInfoRow(*grdNominalCI, rows.NominalCI);
    FillInfoRow(*grdTest, rows.Test);
}

void frmMain::FillStatisticsGrids(const Protocol& protocol, int property)
{
    const StatisticsRows rows = StatisticsGridRows(protocol, property);
    FillInfoRow(*grdAvg, rows.Avg);
    FillInfoRow(*grdMin, rows.Min);
    FillInfoRow(*grdMax, rows.Max);
    FillInfoRow(*grdCV, rows.CV);
    FillInfoRow(*grdCI, rows.CI);
}

void frmMain::ShowParameterCaptions(const ReportFormItem& item)
{
    const int16_t t = item.Property;
    if (t < 1 || t > TestTypeCount) {
        for (size_t i = 1; i <= 4; ++i)
            lblParameter[i]->setText(QString());
        return;
    }
    for (size_t k = 1; k <= 2; ++k)
        lblResult[k]->setText(ResultLabels(t, static_cast<int16_t>(k), Language));
    for (size_t i = 1; i <= 4; ++i) {
        const QString name = ParameterNames(t, static_cast<int16_t>(i), Language);
        lblParameter[i]->setText(name.isEmpty() ? QString() : name + QStringLiteral(":"));
    }
}

void frmMain::ShowInstrumentInfo(const std::string& dataString)
{
    const DataStringRecord record = ParseDataString(dataString);
    if (IsEmptyDataStringRecord(record)) {
        lblInstrumentE->setText(QString());
        lblSerialNumberE->setText(QString());
        for (size_t i = 1; i <= 4; ++i)
            lblParameterE[i]->setText(QString());
        return;
    }
    lblInstrumentE->setText(ModelLongNameOf(FindConfiguredInstrument(record.InstrumentCode)));
    // Values typed in carry the serial number of the keyboard definition.
    const QString serial =
        record.InstrumentCode == KeyboardInstrumentCode ? KeyboardDef.SerialNumber : record.SerialNumber;
    lblSerialNumber->setVisible(!serial.isEmpty());
    lblSerialNumberE->setText(serial);
    const std::pair<QString, QString> parameters[] = {
        {record.Parameter1, record.Parameter1Unit},
        {record.Parameter2, record.Parameter2Unit},
        {record.Parameter3, record.Parameter3Unit},
        {record.Parameter4, record.Parameter4Unit},
    };
    for (size_t i = 1; i <= 4; ++i) {
        const auto& [value, unit] = parameters[i - 1];
        // Only a parameter the property has (its caption is shown).
        const bool shown = !value.isEmpty() && !lblParameter[i]->text().isEmpty();
        lblParameterE[i]->setText(shown ? value + QStringLiteral(" ") + unit : QString());
    }
}

void frmMain::ShowPropertyNames(const ReportForm& form)
{
    const bool empty = IsEmptyReportForm(form);
    for (size_t i = 1; i <= PropertyCount; ++i) {
        const int16_t t = empty ? int16_t{0} : form.Items[i].Property;
        // A slot without a test type, or one no instrument measures, is no row.
        const bool row = !empty && t >= 1 && t <= TestTypeCount && PortSlotForTestType(t) != NoPortSlot;
        if (empty)
            imgTerminated[i]->setPixmap(QPixmap());
        lblProperty[i]->setText(row ? PropertyName(t, Language) : QString());
        imgTerminated[i]->setVisible(row);
        lblProperty[i]->setVisible(row);
        lblPropertyStatus[i]->setVisible(row);
    }
}

void frmMain::ShowPropertyStates(const Protocol& protocol)
{
    const QPixmap& terminated = frmResource::Instance()->imgTerminated;
    for (int i = 1; i <= PropertyCount; ++i) {
        const size_t k = static_cast<size_t>(i);
        const bool current = i == protocol.CurrentProperty;
        const int32_t colour = current ? vbBlack : OtherPropertyGrey;
        for (QLabel* label : {lblProperty[k], lblPropertyStatus[k], lblLateralAir[k], lblLateralAirE[k]})
            SetLabelColour(label, colour);
        SetBold(lblProperty[k], current);
        SetBold(lblPropertyStatus[k], current);

        const int16_t t = PropertyTestType(protocol, i);
        const PropertyBlock& b = protocol.Blocks[k];
        if (t == 0) {
            lblPropertyStatus[k]->setText(QString());
            imgTerminated[k]->setPixmap(QPixmap());
            chkLateralAir[k]->setVisible(false);
            lblLateralAir[k]->setVisible(false);
            lblLateralAirE[k]->setVisible(false);
            continue;
        }
        lblPropertyStatus[k]->setText(PropertyStatusText(protocol, i));
        imgTerminated[k]->setPixmap(b.Terminated ? terminated : QPixmap());
        const bool lateralAir = t == LateralAirTestType;
        chkLateralAir[k]->setVisible(lateralAir);
        lblLateralAir[k]->setVisible(lateralAir);
        lblLateralAirE[k]->setVisible(lateralAir);
        chkLateralAir[k]->setChecked(b.LateralAirOn);
        lblLateralAirE[k]->setText(LateralAirText(protocol, i));
    }
}

void frmMain::FillStyleCombo()
{
    FillListWithStyles(Styles, cboStyle);
}

// ---------------------------------------------------------------------------
// Life cycle

void frmMain::NewProtocol()
{
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    Protocol r = NewSeriesFrom(Protocols[0], Now());
    for (const QdasBox& entry : QdasBoxes)
        r.*entry.Field = Trim((this->*entry.Box)->text());
    CurrentProtocol = static_cast<int16_t>(AddPendingSeries(r));

    RefreshGuard refreshing(*this);
    optProtocol[2]->setChecked(true);
    FillProtocolCombo(Protocols.back());
    cboProtocol->setCurrentIndex(cboProtocol->count() - 1);
}

void frmMain::InitPropertyBlock(Protocol& protocol, int property)
{
    if (!IsProperty(property))
        return;
    StartPropertyBlock(protocol, property, chkLateralAir[static_cast<size_t>(property)]->isChecked(), Now());
}

void frmMain::FillProtocolCombo(const Protocol& protocol)
{
    QStringList entries;
    m_protocolListsSeries = CurrentProtocol != 0;
    if (m_protocolListsSeries) {
        for (size_t k = 1; k < Protocols.size(); ++k)
            entries << ProtocolTitle(Protocols[k]);
    } else {
        entries = ReportFormNames(protocol.Style);
    }
    cboProtocol->clear();
    cboProtocol->addItems(entries);
    cboProtocol->setCurrentIndex(-1);
}

void frmMain::RemoveProtocolFromCombo(int index)
{
    if (index < 1 || static_cast<size_t>(index) >= Protocols.size())
        return;
    // The list holds the series in their order: the entry goes by its place,
    // so of two series with one title the right one leaves.
    if (m_protocolListsSeries && index - 1 < cboProtocol->count())
        cboProtocol->removeItem(index - 1);
    RemoveSeries(Protocols, index, CurrentProtocol);
    // Saved or not, the series must not come back at the next start.
    DropPendingSeries(index);
}

void frmMain::TogglePropertyTerminated(int index, int property)
{
    if (index < 0 || static_cast<size_t>(index) >= Protocols.size() || !IsProperty(property))
        return;
    Protocol& series = Protocols[static_cast<size_t>(index)];
    const PropertyBlock& block = series.Blocks[static_cast<size_t>(property)];
    const size_t tests = block.Values.size();
    ToggleTerminated(series, property, Now());
    if (index == CurrentProtocol) {
        imgTerminated[static_cast<size_t>(property)]->setPixmap(
            block.Terminated ? frmResource::Instance()->imgTerminated : QPixmap());
        // A waiting reading that was dropped leaves the grid, the status and
        // the charts too: a row left behind would lead its double-click to
        // another test.
        const bool dropped = block.Values.size() < tests;
        if (dropped && property == series.CurrentProperty) {
            ShowProtocol();
            EndSelection();
        } else if (dropped) {
            ShowPropertyStates(series);
        }
    }
}

// ---------------------------------------------------------------------------
// Style, report form, series, operator, references, lateral air

void frmMain::cboStyle_Click()
{
    // Only the working record takes a style: an open series keeps the one it
    // was measured with (the style editor's re-apply comes here too).
    if (Refreshing() || cboStyle->currentIndex() < 0 || CurrentProtocol != 0 || Protocols.empty())
        return;
    const int k = FindStyleIndex(cboStyle->currentText(), Styles);
    if (k < 1)
        return;
    Protocol& working = Protocols[0];
    working.Style = Styles[static_cast<size_t>(k)];
    working.FormIndex = 1;
    working.CurrentProperty = 1;
    FillProtocolCombo(working);
    ShowProtocol();
    EndSelection();
}

void frmMain::cboProtocol_Click()
{
    if (Refreshing())
        return;
    MousePointerGuard hourglass(PointerHourglass);
    const int entry = cboProtocol->currentIndex();
    Protocol* shown = ShownProtocol();
    if (entry < 0 || !shown)
        return;
    if (CurrentProtocol == 0) {
        const std::vector<ReportForm> forms(shown->Style.Forms.begin(), shown->Style.Forms.end());
        const int k = FindReportFormIndex(cboProtocol->currentText(), forms);
        if (k < 1)
            return;
        shown->FormIndex = static_cast<int16_t>(k);
        shown->CurrentProperty = 1;
    } else {
        // The list holds the open series in their order, so equal titles
        // still name different series.
        if (static_cast<size_t>(entry) + 1 >= Protocols.size())
            return;
        CurrentProtocol = static_cast<int16_t>(entry + 1);
    }
    ShowProtocol();
    EndSelection();
}

void frmMain::cboOperator_Change()
{
    LimitTextLength(cboOperator, NameLength);
    if (Protocol* shown = ShownProtocol(); shown && !Refreshing()) {
        shown->Operator = Trim(cboOperator->currentText());
        KeepTypedChangeSoon();
    }
}

void frmMain::cboOperator_Click()
{
    if (Protocol* shown = ShownProtocol(); shown && !Refreshing()) {
        shown->Operator = Trim(cboOperator->currentText());
        KeepPendingSeries(CurrentProtocol);
    }
}

void frmMain::cboOperator_GotFocus()
{
    SelectAllText(cboOperator);
}

void frmMain::cboReference_Change(int index)
{
    if (index < 2 || index > 4)
        return;
    QComboBox* box = cboReference[static_cast<size_t>(index)];
    LimitTextLength(box, NameLength);
    Protocol* shown = ShownProtocol();
    if (!shown || Refreshing())
        return;
    if (QString* field = ReferenceField(*shown, index)) {
        *field = Trim(box->currentText());
        KeepTypedChangeSoon();
    }
}

void frmMain::cboReference_Click(int index)
{
    Protocol* shown = ShownProtocol();
    if (index < 2 || index > 4 || !shown || Refreshing())
        return;
    if (QString* field = ReferenceField(*shown, index)) {
        *field = Trim(cboReference[static_cast<size_t>(index)]->currentText());
        KeepPendingSeries(CurrentProtocol);
    }
}

void frmMain::cboReference_GotFocus(int index)
{
    if (index >= 2 && index <= 4)
        SelectAllText(cboReference[static_cast<size_t>(index)]);
}

void frmMain::chkLateralAir_Click(int index)
{
    Protocol* shown = ShownProtocol();
    if (Refreshing() || !shown || !IsProperty(index))
        return;
    Protocol& p = *shown;
    const size_t k = static_cast<size_t>(index);
    // The option belongs to the property of its own row, and only to the
    // test type with the lateral-air correction.
    if (PropertyTestType(p, index) != LateralAirTestType) {
        chkLateralAir[k]->setChecked(p.Blocks[k].LateralAirOn);
        return;
    }
    PropertyBlock& block = p.Blocks[k];
    // Before its first test the box only records the choice.
    if (!BlockHoldsTest(block)) {
        block.LateralAirOn = chkLateralAir[k]->isChecked();
        block.LateralAir = NoValue;
        KeepPendingSeries(CurrentProtocol);
        ShowPropertyStates(p);
        RefreshEnabling();
        return;
    }
    // After tests the box only ends lateral-air tests of an open property.
    if (!block.LateralAirOn || block.Terminated || chkLateralAir[k]->isChecked()) {
        chkLateralAir[k]->setChecked(block.LateralAirOn);
        return;
    }
    EndLateralAir(p, index, Now());
    KeepPendingSeries(CurrentProtocol);
    ShowProtocol();
    RefreshEnabling();
}

// ---------------------------------------------------------------------------
// New or pending, property, mark, tests, printing

void frmMain::optProtocol_Click(int)
{
    if (Refreshing())
        return;
    MousePointerGuard hourglass(PointerHourglass);
    // The state of the first button decides, not the one clicked.
    if (!optProtocol[1]->isChecked())
        CurrentProtocol = static_cast<int16_t>(std::min<size_t>(1, Protocols.empty() ? 0 : Protocols.size() - 1));
    else
        CurrentProtocol = 0;
    if (Protocol* shown = ShownProtocol())
        FillProtocolCombo(*shown);
    ShowProtocol();
    EndSelection();
}

void frmMain::lblProperty_MouseUp(int index, int button, int, double, double)
{
    Protocol* shown = ShownProtocol();
    if (button != 1 || !shown || !IsProperty(index) || index == shown->CurrentProperty)
        return;
    if (PropertyTestType(*shown, index) == 0)
        return;
    shown->CurrentProperty = static_cast<int16_t>(index);
    KeepPendingSeries(CurrentProtocol);
    ShowProtocol();
    EndSelection();
}

void frmMain::lblPropertyStatus_MouseUp(int index, int button, int shift, double x, double y)
{
    lblProperty_MouseUp(index, button, shift, x, y);
}

void frmMain::lblLateralAir_MouseUp(int index, int button, int shift, double x, double y)
{
    lblProperty_MouseUp(index, button, shift, x, y);
}

void frmMain::lblLateralAirE_MouseUp(int index, int button, int shift, double x, double y)
{
    lblProperty_MouseUp(index, button, shift, x, y);
}

void frmMain::imgTerminated_MouseUp(int index, int button, int shift, double x, double y)
{
    Protocol* shown = ShownProtocol();
    if (button != 1 || !shown || !IsProperty(index))
        return;
    // A property that reached the most tests was closed for good.
    if (shown->Blocks[static_cast<size_t>(index)].Stats.Count >= MostTests)
        return;
    if (PropertyTestType(*shown, index) == 0)
        return;
    lblProperty_MouseUp(index, button, shift, x, y);
    TogglePropertyTerminated(CurrentProtocol, Protocols[static_cast<size_t>(CurrentProtocol)].CurrentProperty);
    KeepPendingSeries(CurrentProtocol);
    RefreshEnabling();
}

void frmMain::grdResult_MouseDown(int button, int, double, double)
{
    if (button != 1 || !grdResult->Enabled())
        return;
    int marked = 0;
    MarkCurrentRow(*grdResult, marked);
}

void frmMain::grdResult_Click()
{
    const Protocol* shown = ShownProtocol();
    if (!shown || !grdResult->Enabled())
        return;
    const Protocol& p = *shown;
    const int i = TestEntryIndex(p, grdResult->Row());
    ShowPropertyStates(p);
    const PropertyBlock& block = p.Blocks[static_cast<size_t>(p.CurrentProperty)];
    const TestValue& test = i >= 1 && static_cast<size_t>(i) < block.Values.size()
                                ? block.Values[static_cast<size_t>(i)]
                                : EmptyTestValue;
    DrawDeviationChart(ComputeDeviationData(p, test.Value1, 1), 1);
    DrawDeviationChart(ComputeDeviationData(p, test.Value2, 2), 2);
}

void frmMain::imgPrint_MouseUp(int button, int, double, double)
{
    // The not-printed symbol follows with the next tick of the clock.
    if (button == 1)
        AutoPrint = !AutoPrint;
}

void frmMain::imgNotPrint_MouseUp(int button, int shift, double x, double y)
{
    if (button == 1)
        imgPrint_MouseUp(button, shift, x, y);
}

// ---------------------------------------------------------------------------
// Text fields

void frmMain::txtCommentary_Change()
{
    Protocol* shown = ShownProtocol();
    if (Refreshing() || !shown || !IsProperty(shown->CurrentProperty))
        return;
    shown->Blocks[static_cast<size_t>(shown->CurrentProperty)].Commentary = Trim(txtCommentary->text());
    KeepTypedChangeSoon();
}

void frmMain::KeepTypedChangeSoon()
{
    if (CurrentProtocol < 1)
        return;
    MarkPendingSeriesChanged(CurrentProtocol);
    m_typedChangeTimer->start();
}

void frmMain::txtQdas_Change(QLineEdit* box)
{
    // The fields of a series are fixed when it is created; until then they
    // belong to the working record, which the settings file keeps.
    if (Refreshing() || CurrentProtocol != 0 || Protocols.empty())
        return;
    for (const QdasBox& entry : QdasBoxes) {
        if (this->*entry.Box == box)
            Protocols[0].*entry.Field = Trim(box->text());
    }
}

void frmMain::txtKeyboard_KeyPress(int& keyAscii)
{
    const QString key(QChar(static_cast<char16_t>(keyAscii)));
    const QString text = txtKeyboard->text();
    // The value is sent on with a point, so a point and a comma are both its
    // one decimal separator whatever the locale: "12,5" must not become 125.
    const bool separator = key == QLatin1String(".") || key == QLatin1String(",");
    const bool allowed = separator ? !text.contains(u'.') && !text.contains(u',') : IsKeyAllowed(text, key, false);
    if (allowed)
        return;
    InputBeep();
    keyAscii = 0;
}
