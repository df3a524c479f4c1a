// The measurement of the main window: one press of Measure (or Enter) takes
// one test all the way into the series shown, and the right button of Measure
// pops up the settings menu. The checks that need no window are modMeasure.
#include "main_window/frmMain.h"

#include "curves/modABTCurve.h"
#include "curves/modPDRCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modCommunication.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "main_window/modGrid.h"
#include "main_window/modMeasure.h"
#include "main_window/modPending.h"
#include "main_window/modSeries.h"
#include "platform/Cp1252.h"
#include "platform/FlexGrid.h"
#include "platform/MousePointer.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/PopupMenu.h"
#include "platform/TabControl.h"
#include "platform/Text.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace {

constexpr int PressureDropTestType = 17;
constexpr int AirbagTestType = 18;
constexpr int RightButton = 2;
constexpr int16_t MsgPortNotAvailable = 13;

// Hands the mouse releases of Measure to its MouseUp handler; the button
// still gets them, so a left click stays a click.
class MeasureFilter : public QObject {
public:
    explicit MeasureFilter(frmMain* window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A disabled button answers no click, whatever reaches a filter.
        if (event->type() == QEvent::MouseButtonRelease && watched == m_window->cmdMeasure
            && m_window->cmdMeasure->isEnabled()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_window->cmdMeasure_MouseUp(MouseButtonCode(mouse->button()), ShiftCode(mouse->modifiers()),
                                         mouse->position().x() * 15, mouse->position().y() * 15);
        }
        return false;
    }

private:
    frmMain* m_window;
};

} // namespace

void frmMain::ConnectMeasureHandlers()
{
    connect(cmdMeasure, &QPushButton::clicked, this, [this] { cmdMeasure_Click(); });
    cmdMeasure->installEventFilter(new MeasureFilter(this));
}

void frmMain::cmdMeasure_Click()
{
    Measure();
    // 23. Also after every refusal: the controls follow the state.
    RefreshEnabling();
    if (!tabDisplay->TabEnabled(tabDisplay->Tab()))
        TabRefresh();
}

void frmMain::Measure()
{
    // 1. The item comes from the series shown, checked against its report
    // form; a damaged index gives the blank item, which no position serves.
    const Protocol* shown = ShownProtocol();
    const ReportFormItem item = shown ? CurrentFormItem(*shown) : ReportFormItem{};
    const int t = item.Property;

    // 2.
    const int16_t slot = PortSlotForTestType(item.Property);
    if (slot < 0 || slot > 5) {
        ShowMessage(18);
        return;
    }

    std::string s;
    int16_t code = 0;
    int16_t n = 0;
    bool portLost = false;
    {
        // 3. to 7. The wait for the reply.
        MousePointerGuard hourglass(PointerHourglass);
        code = t == 1 ? KeyboardInstrumentCode : PortDevice[static_cast<size_t>(slot)];
        // A device that went away and came back is opened again here, as at
        // start; one that stays away is no silent instrument.
        if (code != KeyboardInstrumentCode) {
            portLost = !commBeginRequest();
            if (!portLost)
                imgNoConnection->setVisible(false);
        }
        // 4.
        if (SwitchBoxUsed && code != KeyboardInstrumentCode && !portLost)
            commSendString(SwitchBoxChannel(slot));
        // 5.
        std::string request;
        commRequestForModel(code, request, n);
        // 6.
        if (code == KeyboardInstrumentCode) {
            s = KeyboardReply(txtKeyboard->text());
        } else if (!portLost) {
            commSendString(request);
            s = commGetDataString();
            // A line lost on the way is no silent instrument either.
            portLost = !commIsOpen();
        }
    }
    if (portLost) {
        // Measure stays usable: each one tries the line again, so an adapter
        // plugged in again is taken without a restart.
        imgNoConnection->setVisible(true);
        ShowPortNotAvailable(commDeniedDevice());
        return;
    }

    // 8. to 14.
    const std::string expected = shown->Style.Tests[static_cast<size_t>(t)].HeaderImage;
    const ReplyCheck check = CheckReply(s, n, code, t, expected);
    if (check.Message == 16) {
        if (ShowMessage(16) != AnswerYes)
            return;
    } else if (check.Message != 0) {
        if (check.Argument.isEmpty())
            ShowMessage(check.Message);
        else
            ShowMessage(check.Message, {check.Argument});
        return;
    }
    s = check.Text;
    DataStringRecord rec = check.Record;

    // 15. The first test of a working record makes it an open series.
    if (CurrentProtocol == 0)
        NewProtocol();
    Protocol& protocol = Protocols[static_cast<size_t>(CurrentProtocol)];
    const int property = protocol.CurrentProperty;
    PropertyBlock& block = protocol.Blocks[static_cast<size_t>(property)];
    TestDefinition& definition = protocol.Style.Tests[static_cast<size_t>(t)];

    // 16. A block without a test that was never started, also one whose
    // lateral air was ticked or that was closed and reopened by its mark,
    // gets its header now.
    if (!BlockHasStarted(block))
        InitPropertyBlock(protocol, property);

    // 17.
    if (!ValuesInRange(rec, block.LateralAir)) {
        ShowMessage(26);
        return;
    }

    // 18. A pressure-drop reading is merged with a waiting first half; the
    // second one keeps the merged string, both points of the test, as its
    // curve.
    std::string curve;
    bool completes = false;
    if (t == PressureDropTestType) {
        s = pdrMergeDataString(s, block);
        completes = !pdrIsLastTestComplete(block);
        if (completes)
            curve = s;
        rec = ParseDataString(s);
    }

    // 19.
    if (!CheckDataStringValues(s, block.Header, item))
        return;
    bool lostInCurve = false;
    if (t == PressureDropTestType) {
        s = pdrCompleteDataString(s, block);
        rec = ParseDataString(s);
        // The waiting half left the block; the completed test takes its row.
        if (completes)
            grdResult->SetRows(std::max(1, grdResult->Rows() - 1));
    } else {
        curve = TransferCurveData(item);
        // The reading came, so the test is kept without its curve; a line
        // lost during the transfer is told as at the request, once the test
        // is on disk.
        lostInCurve = IsCurveTestType(t) && item.Curve && code != KeyboardInstrumentCode && !commIsOpen();
    }

    // 20.
    AddTestEntry(rec, curve);
    if (!Trim(rec.WarningSign).isEmpty())
        block.Header = SetDataStringField(block.Header, FieldWarningSign, rec.WarningSign);

    // 21.
    const int last = static_cast<int>(block.Values.size()) - 1;
    int marked = 0;
    bool kept = false;
    if (t == PressureDropTestType && !pdrIsLastTestComplete(block)) {
        // A first half: its row and the curve, statistics after the second.
        // (A completed test may lack its pressure drop: it still counts.)
        FillTestRow(*grdResult, protocol, last, grdResult->Rows() + 1);
        MarkCurrentRow(*grdResult, marked);
        DrawCurveThumbnail();
    } else {
        block.Stats = CalcMeanSdCvCi(block.Values);
        FillStatisticsGrids(protocol, property);
        ShowPropertyStates(protocol);
        DefaultLimitsFromMean(block.Stats, definition);
        FillNominalGrids(definition);
        // The first accepted data string replaces the expected one.
        if (block.Stats.Count == 1)
            block.Header = s;
        ShowParameterCaptions(item);
        ShowInstrumentInfo(block.Header);
        FillTestRow(*grdResult, protocol, last, grdResult->Rows() + 1);
        MarkCurrentRow(*grdResult, marked);
        DrawCurveThumbnail();
        DrawDeviationChart(ComputeDeviationData(protocol, rec.Result, 1), 1);
        DrawDeviationChart(ComputeDeviationData(protocol, rec.Result2, 2), 2);
        tabDisplay_Click(tabDisplay->Tab());
        // The stop criteria may ask, and the program may be ended before the
        // answer: the test is on disk first, with its time.
        protocol.LastTestDate = Now();
        block.LastTestDate = protocol.LastTestDate;
        KeepPendingSeries(CurrentProtocol);
        kept = true;
        if (CheckProtocolComplete(protocol)) {
            TogglePropertyTerminated(CurrentProtocol, property);
            kept = false;
        }
        if (code == KeyboardInstrumentCode) {
            txtKeyboard->clear();
            if (txtKeyboard->isEnabled())
                txtKeyboard->setFocus();
        }
    }

    // 22. The accepted test is on disk before the next one is asked for
    // (tried once: a failure is tried again at the next change).
    const double now = Now();
    if (!kept || protocol.LastTestDate != now) {
        protocol.LastTestDate = now;
        block.LastTestDate = protocol.LastTestDate;
        KeepPendingSeries(CurrentProtocol);
    }
    if (lostInCurve) {
        imgNoConnection->setVisible(true);
        ShowMessage(MsgPortNotAvailable);
    }
}

void frmMain::AddTestEntry(const DataStringRecord& rec, const std::string& curve)
{
    Protocol* shown = ShownProtocol();
    if (!shown || shown->CurrentProperty < 1 || shown->CurrentProperty > PropertyCount)
        return;
    PropertyBlock& block = shown->Blocks[static_cast<size_t>(shown->CurrentProperty)];
    if (block.Values.empty())
        block.Values.push_back(EmptyTestValue);
    block.Values.push_back(NewTestEntry(rec, block.LateralAir, curve, Now(), txtK0006->text(), txtK0016->text(),
                                        txtK0053->text()));
}

std::string frmMain::TransferCurveData(const ReportFormItem& item)
{
    std::string fileName;
    if (!IsCurveTestType(item.Property) || !item.Curve)
        return fileName;
    pgbProgress->setValue(0);
    pgbProgress->show();
    pgbProgress->repaint();
    if (item.Property == AirbagTestType && SwitchBoxUsed) {
        const int16_t slot = PortSlotForTestType(item.Property);
        if (slot >= 0 && slot <= 5 && PortDevice[static_cast<size_t>(slot)] != KeyboardInstrumentCode)
            commSendString(SwitchBoxChannel(slot));
    }
    const AbtRawLines raw = commReceiveCurveBlocks(pgbProgress);
    if (!abtIsEmptyRawData(raw)) {
        const ABTCurve curve = abtParseRawData(raw);
        // A transfer that ended early gives no curve (and a log line): the
        // test is kept without one.
        if (!abtIsEmptyCurve(curve)) {
            for (;;) {
                fileName = ToCp1252(abtFilePut(curve, Now()));
                if (!fileName.empty() || ShowMessage(31) != AnswerYes)
                    break;
            }
        }
    }
    pgbProgress->hide();
    pgbProgress->setValue(0);
    return fileName;
}

bool frmMain::CheckDataStringValues(const std::string& s, std::string& header, const ReportFormItem& item)
{
    std::array<QString, 5> labels;
    for (size_t k = 1; k <= 4; ++k)
        labels[k] = lblParameter[k]->text();
    return ::CheckDataStringValues(s, header, item.Property, labels);
}

bool frmMain::CheckProtocolComplete(const Protocol& protocol)
{
    const int property = protocol.CurrentProperty;
    const int t = PropertyTestType(protocol, property);
    if (t == 0)
        return false;
    return ::CheckProtocolComplete(protocol.Blocks[static_cast<size_t>(property)].Stats,
                                   protocol.Style.Tests[static_cast<size_t>(t)], TestCountAsked, ConfidenceAsked);
}

void frmMain::cmdMeasure_MouseUp(int button, int, double, double)
{
    if (button == RightButton && mnuSettings->menuAction()->isEnabled())
        PopupMenu(mnuSettings, mnuSettings_DataSettings);
}
