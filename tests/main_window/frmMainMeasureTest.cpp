// The main window's measurement against the simulated instrument on a pseudo-terminal.
#include "main_window/frmMain.h"

#include "curves/modABTCurve.h"
#include "foundation/frmResource.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/modCommunication.h"
#include "main_window/frmCommentary.h"
#include "main_window/modPending.h"
#include "main_window/modSeries.h"
#include "main_window/WindowFixture.h"
#include "platform/FlexGrid.h"
#include "platform/SystemEnd.h"
#include "storage/modTestReport.h"
#include "styles/StyleEditorTexts.h"
#include "styles/TestPage.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"
#include "support/SeriesTests.h"
#include "support/SimInstrument.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPort>
#include <QSessionManager>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

constexpr int16_t kPort = 3;
// The properties of form "A": type 11 (KR 6100-III), 1 (typed), 17 (KR
// 6400-III), 18 (KR 6450 with its curve).
constexpr int kAir = 1;
constexpr int kTyped = 2;
constexpr int kDrop = 3;
constexpr int kAirbag = 4;

using Boxes = std::vector<QString>;
QString Box(int16_t number, const QVariantList& arguments = {})
{
    return ComposeMessage(number, arguments, Language).Text;
}

Fields Kr6100(const std::string& result = "  12.5", const std::string& flag = "0")
{
    return {.Id = "KR 6100", .Serial = "001", .Letter = "A", .P1 = "  20.0", .U1 = "#", .P2 = "   100", .U2 = "$",
            .R1 = result, .RU1 = "%", .Flag = flag};
}

// A pressure-drop reading: its pressure and the flow in mm/s.
Fields Drop(const std::string& pressure, const std::string& flow)
{
    return {.Id = "KR 6400", .Serial = "1234", .Letter = "", .P1 = pressure, .U1 = "?", .P2 = "    20", .U2 = ")",
            .R1 = flow, .RU1 = "H"};
}

// The older reading of the KR 6450, without the CR LF the instrument adds.
const std::string Kr6450 = "\x1E" "66" " 1234" "xx" " " " 400" " 500" "1500" " 123.4" " " "0.512" "0" "B12";

// The KR 6450's transfer: block 1 the reading and both factors 1, blocks 2
// to 25 samples of 150 (P1 = P2 = 10, S = 150 / 7895); `blocks` are sent.
std::string CurveBlocks(int blocks = 26)
{
    std::string bytes(26 * 128, '\0');
    bytes.replace(0, Kr6450.size() + 2, Kr6450 + "\r\n");
    bytes[51] = bytes[53] = 1;
    for (int i = 128; i < 25 * 128; i += 2)
        bytes[static_cast<size_t>(i)] = static_cast<char>(150);
    return bytes.substr(0, static_cast<size_t>(blocks) * 128);
}

double Clock() { return DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9); }

class MeasureWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        DataFolder = folder_.filePath(QStringLiteral("data"));
        QDir().mkpath(DataFolder);
        LoginLevel = 2;
        PortOpen = true;
        PortDevice = {6, 10, 12, 0, 0, 0};
        Style s = MakeBlankStyle();
        s.Name = QStringLiteral("Lab");
        s.Forms[1].Name = QStringLiteral("A");
        const int16_t types[] = {11, 1, 17, 18, 0, 0};
        for (size_t i = 1; i <= 6; ++i)
            s.Forms[1].Items[i] = ReportFormItem{types[i - 1], false, types[i - 1] == 18};
        s.Tests[11].HeaderImage = Build(Kr6100());
        s.Tests[1].HeaderImage = Build({.RU1 = "8"});
        s.Tests[17].HeaderImage = Build({.Id = "KR 6400", .Serial = "1234", .Letter = "", .P1 = "   100", .U1 = "?",
                                         .P2 = "   200", .U2 = "?", .P4 = "   200", .U4 = "H", .RU1 = "?"});
        s.Tests[18].HeaderImage = ConvertOldDataString(Kr6450 + "\r\n");
        Styles = {MakeBlankStyle(), s};
        SetFixedClock(Clock());
        commInit(kPort);
        Protocols.assign(1, MakeEmptyProtocol());
        CurrentProtocol = 0;
        w_ = frmMain::Instance();
        w_->cboStyle->setCurrentIndex(0);
        w_->cboStyle_Click();
        w_->cboProtocol->setCurrentIndex(0);
        w_->cboProtocol_Click();
    }
    void TearDown() override
    {
        Close();
        commClose();
        sim_.Stop();
        WindowFixture::TearDown();
    }
    // The instrument of the model on the port with its replies (57
    // characters: it adds the checksum) and further options.
    void Connect(int model, const std::vector<Fields>& replies, QStringList more = {})
    {
        std::string lines;
        for (const Fields& f : replies)
            lines += Head(f) + "\n";
        Connect(model, lines, more);
    }
    void Connect(int model, const std::string& lines, QStringList more = {})
    {
        more << QStringLiteral("--model") << QString::number(model);
        if (!lines.empty())
            more << QStringLiteral("--replies") << sim_.WriteFile(QStringLiteral("replies.txt"), lines);
        commClose();   // a new instrument is a new device
        ASSERT_TRUE(sim_.Start(more, kPort));
        ASSERT_TRUE(commOpen(kPort));
    }
    // Chooses the property as the operator does, so the grid shows it, and
    // measures it, answering its questions; the boxes shown.
    Boxes Measure(int property, const std::vector<int16_t>& answers = {})
    {
        w_->lblProperty_MouseUp(property, 1, 0, 0, 0);
        ScriptedPresenter presenter;
        for (int16_t a : answers)
            presenter.Answer(a);
        w_->cmdMeasure_Click();
        Boxes texts;
        for (const MessageRequest& r : presenter.Shown)
            texts.push_back(r.Text);
        return texts;
    }
    PropertyBlock& Block(int property)
    {
        return Protocols[static_cast<size_t>(CurrentProtocol)].Blocks[static_cast<size_t>(property)];
    }

    // Types the value key by key, as the operator does (the box's key filter
    // judges each key), and measures it.
    void Type(const char* value)
    {
        w_->lblProperty_MouseUp(kTyped, 1, 0, 0, 0);
        w_->txtKeyboard->clear();
        QTest::keyClicks(w_->txtKeyboard, QString::fromLatin1(value));
        EXPECT_EQ(Measure(kTyped), Boxes{}) << value;
    }
    // The open series the pending files give at the next start, beside the
    // working record as it is.
    static std::vector<Protocol> NextStart()
    {
        Protocols.resize(1);
        CurrentProtocol = 0;
        LoadPendingProtocols();
        return Protocols;
    }
    static std::vector<float> TypedValues(const Protocol& series)
    {
        std::vector<float> values;
        for (size_t k = 1; k < series.Blocks[kTyped].Values.size(); ++k)
            values.push_back(series.Blocks[kTyped].Values[k].Value1);
        return values;
    }
    // The window of a child process that did the work and then waits in the
    // event loop, ended by the system as the program is, for what the test
    // does to it. A message box there ends it with 3; after 20 s it dies.
    static pid_t ChildWindow(const std::function<void()>& work)
    {
        return StartChildUntilReady([&](const std::function<void()>& ready) {
                   ::alarm(20);
                   work();
                   ScriptedPresenter presenter;
                   presenter.OnPresent = [](const MessageRequest&) { ::_exit(3); };
                   InstallSystemEnd(frmMain::EndBySystem, frmMain::SaveBySystem);
                   ready();
                   return QApplication::exec();
               })
            .Pid;
    }
    QStringList DataFiles(const QString& under = QString()) const
    {
        return QDir(DataFolder + under).entryList(QDir::Files);
    }

    SimInstrument sim_;
    frmMain* w_ = nullptr;
};

TEST_F(MeasureWindowTest, RefusalsShowTheirMessageAndKeepWhatCameBefore)
{
    const struct {
        const char* what;
        Fields reply;
        QStringList more;
        std::vector<int16_t> answers;
        Boxes boxes;
        size_t series, values;
        int16_t state;
    } rows[] = {
        {"nothing received", Kr6100(), {"--silent"}, {}, {Box(15)}, 1, 1, 4},
        // A bare CR LF: message 14 names what came.
        {"cut short", Kr6100(), {"--cut-short", "0"}, {},
         {QStringLiteral("Invalid data received from instrument!\r\n(E3: Data string too short: 0D 0A)")}, 1, 1, 4},
        {"sent before, not read again", Kr6100("  12.5", "1"), {}, {AnswerNo}, {Box(16)}, 1, 1, 4},
        // The series and the block made before the range check stay.
        {"result 0", Kr6100("     0"), {}, {}, {Box(26)}, 2, 1, 6},
        {"sent before, read again", Kr6100("  12.5", "1"), {}, {AnswerYes}, {Box(16)}, 2, 2, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Connect(6, std::vector<Fields>{row.reply}, row.more);
        EXPECT_EQ(Measure(kAir, row.answers), row.boxes);
        EXPECT_EQ(std::tuple(Protocols.size(), Block(kAir).Values.size(), w_->ProtocolState),
                  std::tuple(row.series, row.values, row.state));
    }
    EXPECT_EQ(Block(kAir).StartDate, Clock());
    EXPECT_EQ(Block(kAir).Values[1].Value1, 12.5f);

    // No position measures the property, or a damaged report-form index.
    PortDevice = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Measure(kAir), Boxes{Box(18)});
    PortDevice = {6, 10, 12, 0, 0, 0};
    Protocols[1].FormIndex = 11;
    EXPECT_EQ(Measure(kAir), Boxes{Box(18)});
}

// The device behind the port goes away between two tests and comes back on
// the same path (an adapter plugged in again); then it goes away while the
// window waits, and Measure says so until it is back.
TEST_F(MeasureWindowTest, ALineThatWentAwayIsOpenedAgainByTheNextMeasure)
{
    const QString link = folder_.filePath(QStringLiteral("COM3"));
    qputenv("QUINTARA_COM3", link.toLocal8Bit());
    const QStringList instrument = {"--model", "6", "--link", link, "--replies",
                                    sim_.WriteFile(QStringLiteral("replies.txt"), Head(Kr6100()) + "\n")};
    ASSERT_TRUE(sim_.Start(instrument));
    ASSERT_TRUE(commOpen(kPort));
    EXPECT_EQ(Measure(kAir), Boxes{});
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(instrument));
    EXPECT_EQ(Measure(kAir), Boxes{});
    EXPECT_EQ(Block(kAir).Values.size(), 3u);

    // Gone while the window waits: closed there and then.
    sim_.Stop();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(frmResource::Instance()->comData->isOpen());
    // Measure stays: each one tries the line again, says 13 and shows the
    // no-connection picture while it stays away ...
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(Measure(kAir), Boxes{Box(13)});
        EXPECT_TRUE(!w_->imgNoConnection->isHidden() && w_->cmdMeasure->isEnabled()) << attempt;
    }
    // ... and measures as soon as it is back, without the picture.
    ASSERT_TRUE(sim_.Start(instrument));
    EXPECT_EQ(Measure(kAir), Boxes{});
    EXPECT_EQ(Block(kAir).Values.size(), 4u);
    EXPECT_TRUE(w_->imgNoConnection->isHidden() && w_->cmdMeasure->isEnabled());
    qunsetenv("QUINTARA_COM3");
    QFile log(folder_.filePath(QStringLiteral("QUINTARA.LOG")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    EXPECT_EQ(lines.count("\tcomData_OnComm      \t" + QByteArray(ProgramVersion) + "\t57\tSerial line lost: "), 2) << lines.constData();
    EXPECT_EQ(lines.count("\tcommOpen            \t"), 2) << lines.constData();
}

// The instrument switched off while the program waits for its reply: the
// port is not available (13), not a silent instrument (15), and the log names
// the port's own error.
TEST_F(MeasureWindowTest, ALineLostDuringTheWaitIsReportedAsNotAvailable)
{
    Connect(6, std::vector<Fields>{}, {"--hangup-after", "200"});
    // The port's name as Qt gives it for the path (without a leading "/dev/").
    const QString device = QSerialPort(sim_.PortPath()).portName();
    EXPECT_EQ(Measure(kAir), Boxes{Box(13)});
    EXPECT_EQ(Protocols.size(), 1u);
    EXPECT_TRUE(!w_->imgNoConnection->isHidden() && w_->cmdMeasure->isEnabled());
    QFile log(folder_.filePath(QStringLiteral("QUINTARA.LOG")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    EXPECT_EQ(lines.count("\tcomData_OnComm      \t" + QByteArray(ProgramVersion) + "\t57\tSerial line lost: read error, the device hung up or was removed ("
                          + device.toLatin1() + ")\r\n"),
              1)
        << lines.constData();
}

// The second reading of a pressure-drop test, and a curve: a line lost on
// the way is told with 13 as well. The waiting first reading stays as it was;
// the airbag test that was read is kept, without its curve.
TEST_F(MeasureWindowTest, ALineLostInASecondReadingOrACurveIsReportedAsNotAvailable)
{
    Connect(10, std::vector<Fields>{Drop("   100", "   100")});
    EXPECT_EQ(Measure(kDrop), Boxes{});
    ASSERT_EQ(Block(kDrop).Values.size(), 2u);
    const TestValue first = Block(kDrop).Values[1];
    EXPECT_EQ(first.Value1, NoValue);
    Connect(10, std::vector<Fields>{}, {"--hangup-after", "200"});
    EXPECT_EQ(Measure(kDrop), Boxes{Box(13)});
    EXPECT_EQ(Block(kDrop).Values, (std::vector<TestValue>{EmptyTestValue, first}));
    EXPECT_TRUE(!w_->imgNoConnection->isHidden() && w_->cmdMeasure->isEnabled());

    Connect(12, Kr6450 + "\n",
            {"--curve", sim_.WriteFile(QStringLiteral("curve.bin"), CurveBlocks()), "--hangup-block", "5"});
    w_->imgNoConnection->setVisible(false);
    EXPECT_EQ(Measure(kAirbag), Boxes{Box(13)});
    ASSERT_EQ(Block(kAirbag).Values.size(), 2u);
    EXPECT_EQ(std::pair(Block(kAirbag).Values[1].Value1, Block(kAirbag).Values[1].CurveFile),
              std::pair(123.4f, std::string()));
    EXPECT_TRUE(!w_->imgNoConnection->isHidden() && w_->cmdMeasure->isEnabled() && !w_->pgbProgress->isVisible());
    EXPECT_TRUE(QDir(DataFolder).entryList({QStringLiteral("*.ABT")}).isEmpty());
    // The test is on disk with the series.
    EXPECT_EQ(NextStart()[1].Blocks[kAirbag].Values.size(), 2u);
}

// The expected data string of a test type in a style made with the style
// editor's defaults, as the editor builds it with the instrument positions
// as they are now (a KR 6100-III among them changes the hydrostatic heads).
std::string EditorDefault(int testType)
{
    const bool kr6100iii = std::find(PortDevice.begin(), PortDevice.end(), int16_t{6}) != PortDevice.end();
    const PageContext context{kr6100iii, false};
    TestPage page = MakeTestPage(static_cast<int16_t>(testType));
    SetPageCaptions(page, Language);
    InitTestControls(page, context);
    return ReadTest(page, NominalArea{}, context).HeaderImage;
}

// Each model of the simulated instrument with the reply it sends without a
// replies file, measured through the window as the first property of a new
// series: the property is the model's first test type, with the expected
// data string the style editor gives it by default, so that the simulator
// can be tried with a style made without changing anything. The test is
// taken without a question (code letter, parameters and units all match),
// with the reading worked out by hand from the reply: the D 7041's 12.5 g
// over 100 m are 125 tex, the MP 4300-II's 125 turns over 500 mm untwisted
// 125 turns per metre.
TEST_F(MeasureWindowTest, EveryModelOfTheSimulatorIsMeasuredWithItsOwnReply)
{
    const struct {
        int16_t model, t;
        const char* id;   // as the stored data string names the instrument
        float value1;
        const char* unit1;
        float value2;
    } rows[] = {
        {2, 2, "D  7041", 125, "f", NoValue},        // tex
        {3, 7, "MP 4300", 125, "t", NoValue},        // tpm
        {4, 9, "MP 4800", 12.5f, "8", 25},           // N, elongation in %
        {5, 11, "KR 6101", 12.5f, "a", NoValue},     // min
        {6, 11, "KR 6100", 12.5f, "a", NoValue},
        {7, 16, "KR 6420", 12.5f, "H", NoValue},     // mm/s
        {8, 15, "KR 6250", 12.5f, "p", NoValue},     // /cm
        {9, 16, "KR 6401", 12.5f, "H", NoValue},
        {10, 16, "KR 6400", 12.5f, "H", NoValue},
        {11, 16, "KR 6410", 12.5f, "H", NoValue},
        {12, 18, "KR 6450", 12.5f, "H", 0.512f},
        {13, 19, "KR 6801", 12.5f, "7", NoValue},    // cN
        {14, 19, "KR 6850", 12.5f, "7", NoValue},
        {15, 20, "LLISTER", 12.5f, "`", NoValue},    // s
        {16, 16, "KR 6404", 12.5f, "H", NoValue},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.model);
        PortDevice = {0, 0, 0, 0, 0, 0};
        PortDevice[static_cast<size_t>(row.model % 6)] = row.model;
        Styles[1].Forms[1].Items[1] = ReportFormItem{row.t, false, false};
        Styles[1].Tests[static_cast<size_t>(row.t)].HeaderImage = EditorDefault(row.t);
        // A new series of form "A" with the style as it is now.
        w_->optProtocol[1]->setChecked(true);
        w_->optProtocol_Click(1);
        w_->cboStyle_Click();
        w_->cboProtocol->setCurrentIndex(0);
        w_->cboProtocol_Click();
        ASSERT_EQ(CurrentProtocol, 0);
        Connect(row.model, std::string());
        const Boxes boxes = Measure(kAir);
        EXPECT_EQ(boxes, Boxes{}) << (boxes.empty() ? std::string() : boxes.front().toStdString());
        if (Block(kAir).Values.size() != 2) {
            ADD_FAILURE() << Block(kAir).Values.size() << " values";
            continue;
        }
        const TestValue& v = Block(kAir).Values[1];
        EXPECT_EQ(std::tuple(v.DataString.substr(1, 7), v.Value1, v.Unit1, v.Value2),
                  std::tuple(std::string(row.id), row.value1, std::string(row.unit1), row.value2));
    }
    EXPECT_EQ(Protocols.size(), std::size(rows) + 1);
}

TEST_F(MeasureWindowTest, SwitchBoxChannelsAndTypedValues)
{
    SwitchBoxUsed = true;
    for (const auto& [ports, channel, sent] : {std::tuple{std::array<int16_t, 6>{6, 0, 0, 0, 0, 0}, "5", "5\r"},
                                               std::tuple{std::array<int16_t, 6>{0, 0, 0, 0, 0, 6}, "0", "0\r"}}) {
        PortDevice = ports;
        Connect(6, std::vector<Fields>{Kr6100()}, {"--channel", channel});
        EXPECT_EQ(Measure(kAir), Boxes{});
        sim_.Stop();
        EXPECT_EQ(sim_.Transcript(), sent);
    }
    EXPECT_EQ(Block(kAir).Values.size(), 3u);

    // The simulator told the box position, as the configuration names it,
    // listens where the program selects that position.
    PortDevice = {0, 6, 0, 0, 0, 0};
    Connect(6, std::vector<Fields>{Kr6100()}, {"--position", "1"});
    EXPECT_EQ(Measure(kAir), Boxes{});
    sim_.Stop();
    EXPECT_EQ(sim_.Transcript(), "4\r");
    EXPECT_EQ(Block(kAir).Values.size(), 4u);

    // The airbag test chooses its channel again before the curve (KR 6450 on
    // position 2: channel 3); the curve comes whole and is kept with the test.
    PortDevice = {6, 10, 12, 0, 0, 0};
    Connect(12, Kr6450 + "\n", {"--channel", "3", "--curve", sim_.WriteFile(QStringLiteral("curve.bin"), CurveBlocks())});
    EXPECT_EQ(Measure(kAirbag), Boxes{});
    ASSERT_EQ(Block(kAirbag).Values.size(), 2u);
    EXPECT_EQ(Block(kAirbag).Values[1].CurveFile, "2024.01.05, 13.07.09.ABT");
    sim_.Stop();
    EXPECT_EQ(sim_.Transcript().substr(0, 4), "3\r3\x15");

    // A typed value sends nothing; a decimal comma or point is its
    // separator whatever the locale, read as a point; the box is emptied.
    Connect(6, std::vector<Fields>{});
    for (const char* locale : {"en_US", "de_DE"}) {
        Pin(QString::fromLatin1(locale));
        for (const char* typed : {"12,5", "12.5"}) {
            Type(typed);
            EXPECT_EQ(std::tuple(Block(kTyped).Values.back().Value1, Block(kTyped).Values.back().DataString.substr(41, 6),
                                 w_->txtKeyboard->text()),
                      std::tuple(12.5f, std::string("  12.5"), QString()))
                << locale << " " << typed;
        }
    }
    EXPECT_EQ(Block(kTyped).Values.size(), 5u);
    sim_.Stop();
    EXPECT_EQ(sim_.Transcript(), "");
}

TEST_F(MeasureWindowTest, The999thTestAndAPropertyReopenedBeforeItsFirstTest)
{
    // The property's first test makes the series.
    w_->txtKeyboard->setText(QStringLiteral("1"));
    EXPECT_EQ(Measure(kTyped), Boxes{});
    // Without a preset number the 999th test closes the property unasked.
    PropertyBlock& b = Block(kTyped);
    b.Values.resize(999, SeriesTest(7));
    w_->txtKeyboard->setText(QStringLiteral("8"));
    EXPECT_EQ(Measure(kTyped), Boxes{});
    EXPECT_EQ(std::tuple(b.Stats.Count, b.Terminated, w_->ProtocolState), std::tuple(999, true, int16_t{7}));

    // Closed and opened again by its mark, a property holds dates but no
    // header: its first test starts the block all the same.
    w_->imgTerminated_MouseUp(kAir, 1, 0, 0, 0);
    w_->imgTerminated_MouseUp(kAir, 1, 0, 0, 0);
    ASSERT_EQ(Block(kAir).Header, "");
    Connect(6, std::vector<Fields>{Kr6100()});
    EXPECT_EQ(Measure(kAir), Boxes{});
    EXPECT_EQ(Block(kAir).Values.size(), 2u);
    EXPECT_EQ(Block(kAir).Header, Build(Kr6100()));
}

TEST_F(MeasureWindowTest, APressureDropTestTakesTwoReadings)
{
    // The first reading at the second pressure, then one at the first; then
    // a waiting half that is deleted, so the next reading starts anew.
    Connect(10, {Drop("   200", "   150"), Drop("   100", "   100"), Drop("   200", "   150"), Drop("   200", "   150"),
                 // 100 and 101 mm/s: a pressure drop that cannot be written.
                 Drop("   100", "   100"), Drop("   200", "   101"), Drop("   100", "   100"), Drop("   200", "   150")});
    Protocols[0].Style.Tests[17].TestCount = 10;
    EXPECT_EQ(Measure(kDrop), Boxes{});
    PropertyBlock& b = Block(kDrop);
    EXPECT_EQ(b.Values.back().DataString.substr(12, 14), "          200?");
    EXPECT_EQ(std::tuple(b.Values.back().Value1, b.Stats.Count), std::tuple(NoValue, 0));

    EXPECT_EQ(Measure(kDrop), Boxes{});
    ASSERT_EQ(b.Values.size(), 2u);
    EXPECT_EQ(b.Values[1].DataString.substr(41, 14), "327.05?0.5849 ");
    EXPECT_EQ(b.Values[1].CurveFile.substr(12, 14), "   100?   200?");
    EXPECT_EQ(b.Values[1].CurveFile.substr(41, 14), "100   ?150   ?");
    EXPECT_EQ(std::tuple(b.Stats.Count, b.Header, w_->grdResult->Rows()), std::tuple(1, b.Values[1].DataString, 1));

    EXPECT_EQ(Measure(kDrop), Boxes{});
    EXPECT_EQ(w_->grdResult->Rows(), 2);
    b.Values.back().Deleted = true;
    EXPECT_EQ(Measure(kDrop), Boxes{});
    EXPECT_EQ(b.Values.size(), 4u);
    b.Values.pop_back();
    b.Values.pop_back();
    w_->ShowProtocol();

    // Without its pressure drop a test still counts, and waits for nothing:
    // the next reading starts a new one, closing the property keeps it.
    EXPECT_EQ(Measure(kDrop), Boxes{});
    EXPECT_EQ(Measure(kDrop), Boxes{});
    ASSERT_EQ(b.Values.size(), 3u);
    EXPECT_EQ(b.Values[2].DataString.substr(41, 14), "      ?0.0143 ");
    EXPECT_EQ(b.Stats.Count, 2);
    const TestValue completed = b.Values[2];
    EXPECT_EQ(Measure(kDrop), Boxes{});
    ASSERT_EQ(b.Values.size(), 4u);
    w_->imgTerminated_MouseUp(kDrop, 1, 0, 0, 0);
    ASSERT_EQ(b.Values.size(), 3u);
    EXPECT_EQ(b.Values[2], completed);
    // The dropped reading leaves the screen too: reopened, the next reading
    // takes the next row, and each row opens its own test.
    EXPECT_EQ(w_->grdResult->Rows(), 2);
    EXPECT_EQ(w_->lblPropertyStatus[kDrop]->text(), QStringLiteral("2/10 (0)"));
    w_->imgTerminated_MouseUp(kDrop, 1, 0, 0, 0);
    EXPECT_EQ(Measure(kDrop), Boxes{});
    ASSERT_EQ(w_->grdResult->Rows(), 3);
    for (int row = 0; row < 3; ++row) {
        ScriptedDialogRunner dialogs;
        int opened = 0;
        dialogs.Then([&opened](QDialog& d) { opened = static_cast<frmCommentary&>(d).TestIndex; });
        w_->grdResult->SetRow(row);
        w_->grdResult_DblClick();
        EXPECT_EQ(opened, row + 1);
    }
}

TEST_F(MeasureWindowTest, AnAirbagCurveIsKeptAsAReadOnlyFile)
{
    Connect(12, Kr6450 + "\n", {"--curve", sim_.WriteFile(QStringLiteral("curve.bin"), CurveBlocks())});
    EXPECT_EQ(Measure(kAirbag), Boxes{});
    PropertyBlock& b = Block(kAirbag);
    ASSERT_EQ(b.Values.size(), 2u);
    const QString name = QStringLiteral("2024.01.05, 13.07.09.ABT");
    EXPECT_EQ(b.Values[1].CurveFile, name.toStdString());
    const ABTCurve curve = abtFileGet(DataFolder, name);
    EXPECT_EQ(std::tuple(curve.Header, curve.P1[0], curve.S[511]),
              std::tuple(ConvertOldDataString(Kr6450 + "\r\n"), 10.0f, static_cast<float>(150.0 / 7895)));
    EXPECT_FALSE(w_->pgbProgress->isVisible());

    // A folder that takes no file: 31, Yes tries again, No keeps the test;
    // then the series cannot be kept on disk either: 31 once more.
    {
        ReadOnlyFolder locked(DataFolder);
        if (locked.Active()) {
            EXPECT_EQ(Measure(kAirbag, {AnswerYes, AnswerNo, AnswerNo}), (Boxes{Box(31), Box(31), Box(31)}));
            EXPECT_EQ(b.Values.back().CurveFile, "");
        }
    }
    // A data folder that is gone: the program folder, and the setting
    // follows as a recorded change, told once (No would keep a test without
    // its curve).
    // Message 46 names the folder the settings name, which the stand-in
    // leaves.
    const QString named = DataFolder;
    DataFolder = DataFolder + QStringLiteral("/gone");
    EXPECT_EQ(Measure(kAirbag, {AnswerNo}), Boxes{Box(46, {named, folder_.path()})});
    EXPECT_EQ(DataFolder, folder_.path());
    ReadSettingsFile();
    EXPECT_EQ(StoredSettings.DataFolder, folder_.path());
    EXPECT_TRUE(abtIsAirbagFile(folder_.path(), QString::fromStdString(b.Values.back().CurveFile)));

    // Ten blocks and then the end, or silence in the middle: the test is
    // kept without a curve and without a message, no file is written.
    const QStringList partial[] = {
        {"--curve", sim_.WriteFile(QStringLiteral("short.bin"), CurveBlocks(10))},
        {"--curve", sim_.WriteFile(QStringLiteral("curve.bin"), CurveBlocks()), "--silent-block", "5"},
    };
    const QStringList before = QDir(DataFolder).entryList({QStringLiteral("*.ABT")});
    for (const QStringList& more : partial) {
        const size_t values = b.Values.size();
        Connect(12, Kr6450 + "\n", more);
        EXPECT_EQ(Measure(kAirbag), Boxes{});
        ASSERT_EQ(b.Values.size(), values + 1);
        EXPECT_EQ(b.Values.back().CurveFile, "");
    }
    EXPECT_EQ(QDir(DataFolder).entryList({QStringLiteral("*.ABT")}), before);
}

// Every accepted test is on disk at once: a kill loses nothing, the system's
// end asks nothing and exits with 0, and a terminated series stays away.
TEST_F(MeasureWindowTest, AcceptedTestsOutliveAKillAndTheSystemsEnd)
{
    const QString settings = folder_.filePath(QStringLiteral("QUINTARA.DAT"));
    for (const auto& [signal, status] : {std::pair{SIGKILL, 128 + SIGKILL}, std::pair{SIGTERM, 0}}) {
        SCOPED_TRACE(signal);
        QFile::remove(settings);
        const pid_t child = ChildWindow([this] {
            for (const char* value : {"1", "2", "3"})
                Type(value);
        });
        ::kill(child, signal);
        EXPECT_EQ(WaitForChild(child), status);
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 2u);
        EXPECT_EQ(TypedValues(back[1]), (std::vector<float>{1, 2, 3}));
        EXPECT_EQ(QFile::exists(settings), signal == SIGTERM);
        EXPECT_EQ(DataFiles(), QStringList{QStringLiteral("PENDING 1.QTA")});
        QFile::remove(DataFolder + QStringLiteral("/PENDING 1.QTA"));
        NextStart();
    }

    // Two series started in the same second; the first is terminated, and
    // the second moves up to its number.
    AutoPrint = false;
    const pid_t child = ChildWindow([this] {
        for (const char* value : {"1", "2", "3"})
            Type(value);
        CurrentProtocol = 0;
        Type("4");
        CurrentProtocol = 1;
        ScriptedPresenter presenter;
        presenter.Answer(AnswerYes);
        presenter.Answer(AnswerNo);
        w_->cmdTerminateProtocol_Click();
    });
    ::kill(child, SIGKILL);
    EXPECT_EQ(WaitForChild(child), 128 + SIGKILL);
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(TypedValues(back[1]), std::vector<float>{4});
    EXPECT_EQ(DataFiles(), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(DataFiles(u'/' + dskStyleFolderName(QStringLiteral("Lab"))),
              QStringList{QStringLiteral("2024.01.05, 13.07.09.QTA")});
}

// The session manager's request to save (a checkpoint, or a logout that may
// still be cancelled) writes the open series and the settings, asks nothing
// and the run goes on: killed afterwards it has lost nothing. The session's
// quit ends the run in order, asking nothing, with 0.
class SessionRequestTest : public MeasureWindowTest {
protected:
    // Each case in a test of its own: a second child forked from the
    // first case's parent would start from the state that case left.
    void Run(bool quit)
    {
        const QString settings = folder_.filePath(QStringLiteral("QUINTARA.DAT"));
        const QString pending = DataFolder + QStringLiteral("/PENDING 1.QTA");
        SCOPED_TRACE(quit ? "quit" : "save");
        QFile::remove(settings);
        AutoPrint = true;
        int saved[2];
        ASSERT_EQ(::pipe(saved), 0);
        const pid_t child = ChildWindow([&] {
            for (const char* value : {"1", "2", "3"})
                Type(value);
            // What only the session's request can have written.
            QFile::remove(pending);
            AutoPrint = false;
            QTimer::singleShot(0, [&] {
                if (quit) {
                    QEvent event(QEvent::Quit);
                    QCoreApplication::sendEvent(qApp, &event);
                    return;
                }
                auto* session = qApp->findChild<QSessionManager*>();
                if (!session)
                    ::_exit(ChildSetupFailed);
                emit qApp->commitDataRequest(*session);
                // Behind an end the request might have set off: the run
                // goes on with its window, and no end is under way.
                QTimer::singleShot(0, [&] {
                    if (frmMain::IsLoaded() && !SystemEndRequested())
                        (void)!::write(saved[1], "s", 1);
                });
            });
        });
        ::close(saved[1]);
        char byte = 0;
        if (!quit && ::read(saved[0], &byte, 1) == 1)
            ::kill(child, SIGKILL);
        ::close(saved[0]);
        const int status = WaitForChild(child);
        if (status == ChildSetupFailed)
            GTEST_SKIP() << "Qt made no session manager";
        EXPECT_EQ(status, quit ? 0 : 128 + SIGKILL);
        ASSERT_TRUE(QFile::exists(settings));
        // Read in a child of its own, so the globals stay as the fixture
        // set them for the window.
        EXPECT_EQ(WaitForChild(StartChild([] {
                      ReadSettingsFile();
                      return StoredSettings.AutoPrint ? 1 : 0;
                  })),
                  0);
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), 2u);
        EXPECT_EQ(TypedValues(back[1]), (std::vector<float>{1, 2, 3}));
    }
};

TEST_F(SessionRequestTest, TheSessionsSaveKeepsTheRunGoing)
{
    Run(false);
}

TEST_F(SessionRequestTest, TheSessionsQuitEndsItInOrder)
{
    Run(true);
}

// With the session's quit taken over, the operator's own close still asks
// message 34 and, answered Yes, ends the run with 0, the series kept: the
// program's own quit is not taken for the session's.
TEST_F(MeasureWindowTest, TheOperatorsCloseStillAsksAndEndsTheRunBesideTheSessionsQuit)
{
    int asked[2];
    ASSERT_EQ(::pipe(asked), 0);
    const pid_t child = ChildWindow([&] {
        Type("1");
        QFile::remove(DataFolder + QStringLiteral("/PENDING 1.QTA"));
        QTimer::singleShot(0, [&] {
            auto* presenter = new ScriptedPresenter;
            presenter->OnPresent = [&](const MessageRequest& request) {
                if (request.Text != Box(34, {1}))
                    ::_exit(3);
                (void)!::write(asked[1], "a", 1);
            };
            presenter->Answer(AnswerYes);
            w_->close();
        });
    });
    ::close(asked[1]);
    EXPECT_EQ(WaitForChild(child), 0);
    char byte = 0;
    EXPECT_EQ(::read(asked[0], &byte, 1), 1) << "message 34 was not asked";
    ::close(asked[0]);
    const std::vector<Protocol> back = NextStart();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(TypedValues(back[1]), std::vector<float>{1});
}

TEST_F(MeasureWindowTest, ASeriesThatCannotBeKeptOnDiskStaysInMemoryAndIsToldOnce)
{
    const QString log = folder_.filePath(QStringLiteral("QUINTARA.LOG"));
    {
        ReadOnlyFolder locked(DataFolder);
        if (!locked.Active())
            GTEST_SKIP() << "the folder cannot be made read-only here";
        w_->txtKeyboard->setText(QStringLiteral("1"));
        EXPECT_EQ(Measure(kTyped, {AnswerYes}), Boxes{Box(31)});
        Type("2");
        EXPECT_EQ(TypedValues(Protocols[1]), (std::vector<float>{1, 2}));
        EXPECT_TRUE(DataFiles().isEmpty());
    }
    // One line for each failed write, naming its file: the first, its Yes,
    // the second test.
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray lines = file.readAll();
    EXPECT_EQ(lines.count("\tdskPutTestReportActi\t" + QByteArray(ProgramVersion) + "\t70\t"), 3);
    // (The system's text before it depends on how the folder is locked.)
    EXPECT_EQ(lines.count(": " + QDir(DataFolder).filePath(QStringLiteral("PENDING 1.QTA")).toLocal8Bit() + "\r\n"), 3)
        << lines.constData();
    // The next change writes it, with all it holds.
    Type("3");
    EXPECT_EQ(TypedValues(NextStart()[1]), (std::vector<float>{1, 2, 3}));
}

// A kill at a question or a pause in typing must not lose what was typed or measured.
TEST_F(MeasureWindowTest, TypingIsKeptWhenItPausesATestBeforeItsQuestionAndATerminatedSeriesBeforeItPrints)
{
    Type("1");
    auto stored = [] { return dskGetTestReport(DataFolder, QStringLiteral("PENDING 1.QTA")).Blocks[kTyped].Commentary; };
    QTest::keyClicks(w_->txtCommentary, QStringLiteral("seam"));
    EXPECT_EQ(stored(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(stored(), QStringLiteral("seam"), 5000);
    w_->show();
    w_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w_));
    w_->txtCommentary->setFocus();
    QTest::keyClicks(w_->txtCommentary, QStringLiteral("s"));
    w_->cboProtocol->setFocus();
    EXPECT_EQ(stored(), QStringLiteral("seams"));

    // The stop criterion's question finds the test on disk.
    Protocols[1].Style.Tests[1].TestCount = 2;
    w_->txtKeyboard->setText(QStringLiteral("2"));
    std::vector<float> atTheQuestion;
    {
        ScriptedPresenter asked;
        asked.OnPresent = [&](const MessageRequest&) {
            atTheQuestion = TypedValues(dskGetTestReport(DataFolder, QStringLiteral("PENDING 1.QTA")));
        };
        asked.Answer(AnswerNo);
        w_->cmdMeasure_Click();
        ASSERT_EQ(asked.Shown.size(), 1u);
    }
    EXPECT_EQ(atTheQuestion, (std::vector<float>{1, 2}));

    AutoPrint = false;
    ScriptedPresenter presenter;
    QStringList filesAtThePrintQuestion{QStringLiteral("not asked")};
    presenter.OnPresent = [&](const MessageRequest& r) {
        if (r.Text == Box(27))
            filesAtThePrintQuestion = DataFiles();
    };
    presenter.Answer(AnswerYes);
    presenter.Answer(AnswerNo);
    w_->cmdTerminateProtocol_Click();
    ASSERT_EQ(presenter.Shown.size(), 2u);
    EXPECT_EQ(filesAtThePrintQuestion, QStringList());
}

} // namespace
