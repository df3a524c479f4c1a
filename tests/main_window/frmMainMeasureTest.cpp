// The measurement of the main window against the simulated instrument on a
// pseudo-terminal: refusals and the state they leave, what reaches the line,
// typed values, the stop criteria, the two readings of a pressure-drop test
// and the airbag curve file; the right button of Measure.
#include "main_window/frmMain.h"

#include "curves/modABTCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modCommunication.h"
#include "instrument/modStatistic.h"
#include "main_window/modSeries.h"
#include "platform/FlexGrid.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedPresenter.h"
#include "support/SeriesTests.h"
#include "support/SimInstrument.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int16_t kPort = 3;

// Properties of the report form "Lab".
constexpr int kAirPermeability = 1;   // type 11, KR 6100-III
constexpr int kTyped = 2;             // type 1
constexpr int kPressureDrop = 3;      // type 17, KR 6400-III
constexpr int kAirbag = 4;            // type 18, KR 6450 with its curve

// What the KR 6100-III sends: 12.5 in unless told otherwise.
Fields Kr6100(const std::string& result = "  12.5", const std::string& flag = "0")
{
    return {.Id = "KR 6100", .Serial = "001", .Letter = "A", .P1 = "  20.0", .U1 = "#", .P2 = "   100", .U2 = "$",
            .R1 = result, .RU1 = "%", .Flag = flag};
}

// A pressure-drop reading of the KR 6400-III: its pressure, the flow in mm/s.
Fields Reading(const std::string& pressure, const std::string& flow)
{
    return {.Id = "KR 6400", .Serial = "1234", .Letter = "", .P1 = pressure, .U1 = "?", .P2 = "    20", .U2 = ")", .R1 = flow,
            .RU1 = "H"};
}

// The older reading of the KR 6450 (without CR LF, which the instrument adds).
const std::string Kr6450Old = "\x1E" "66" " 1234" "xx" " " " 400" " 500" "1500" " 123.4" " " "0.512" "0" "B12";

Style Lab()
{
    Style s = MakeBlankStyle();
    s.Name = QStringLiteral("Lab");
    s.Forms[1].Name = QStringLiteral("Form A");
    const int16_t types[] = {11, 1, 17, 18, 0, 0};
    for (size_t i = 1; i <= 6; ++i)
        s.Forms[1].Items[i] = ReportFormItem{types[i - 1], false, types[i - 1] == 18};
    s.Tests[11].HeaderImage = Build(Kr6100());
    s.Tests[1].HeaderImage = Build({.RU1 = "8"});
    s.Tests[1].TestCount = 5;
    s.Tests[17].HeaderImage = Build({.Id = "KR 6400", .Serial = "1234", .Letter = "", .P1 = "   100", .U1 = "?", .P2 = "   200",
                                     .U2 = "?", .P4 = "   200", .U4 = "H", .RU1 = "?"});
    s.Tests[18].HeaderImage = ConvertOldDataString(Kr6450Old + "\r\n");
    return s;
}

// The curve transfer of the KR 6450: block 1 holds the reading and the two
// scale factors, blocks 2 to 25 the samples (all 150, so P1 = P2 = 10 and
// S = 150 / 7895), block 26 nothing read; `blocks` of them are sent.
std::string CurveBlocks(int blocks = 26)
{
    std::string bytes(26 * 128, '\0');
    bytes.replace(0, Kr6450Old.size(), Kr6450Old + "\r\n");
    bytes[51] = 1;   // Factor1 = 1
    bytes[53] = 1;   // Factor2 = 1
    for (int i = 128; i < 25 * 128; i += 2)
        bytes[static_cast<size_t>(i)] = static_cast<char>(150);
    return bytes.substr(0, static_cast<size_t>(blocks) * 128);
}

double Clock() { return DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9); }

class MeasureWindowTest : public DataStringFixture {
protected:
    void SetUp() override
    {
        DataStringFixture::SetUp();
        ASSERT_TRUE(folder_.isValid());
        savedFolder_ = ProgramFolder();
        savedLogin_ = LoginLevel;
        SetProgramFolder(folder_.path());
        ResetSettingsGlobals(folder_.path());
        DataFolder = folder_.filePath(QStringLiteral("data"));
        QDir().mkpath(DataFolder);
        Language = 2;
        LoginLevel = 2;
        PortOpen = true;
        PortDevice = {6, 10, 12, 0, 0, 0};
        ComPort = kPort;
        Styles = {MakeBlankStyle(), Lab()};
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
        if (frmMain::IsLoaded()) {
            ScriptedPresenter closing;
            closing.Answer(AnswerYes);
            frmMain::Instance()->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        commClose();
        sim_.Stop();
        SetClock({});
        SetProgramFolder(savedFolder_);
        ResetSettingsGlobals(savedFolder_);
        LoginLevel = savedLogin_;
        PortOpen = false;
        DataStringFixture::TearDown();
    }
    // The instrument on the port: its model, the replies in turn, and more.
    void Connect(int model, const std::vector<std::string>& replies, QStringList more = {})
    {
        QStringList args{QStringLiteral("--model"), QString::number(model)};
        if (!replies.empty()) {
            std::string lines;
            for (const std::string& r : replies)
                lines += r + "\n";
            args << QStringLiteral("--replies") << sim_.WriteFile(QStringLiteral("replies.txt"), lines);
        }
        // A new instrument is a new device: the port opens anew.
        commClose();
        ASSERT_TRUE(sim_.Start(args + more, kPort));
        ASSERT_TRUE(commOpen(kPort));
    }
    // Measures the property with the answers given to its questions; the
    // texts of the boxes shown.
    std::vector<QString> Measure(int property, std::vector<int16_t> answers = {})
    {
        Protocols[static_cast<size_t>(CurrentProtocol)].CurrentProperty = static_cast<int16_t>(property);
        ScriptedPresenter presenter;
        for (int16_t a : answers)
            presenter.Answer(a);
        w_->cmdMeasure_Click();
        std::vector<QString> texts;
        for (const MessageRequest& r : presenter.Shown)
            texts.push_back(r.Text);
        return texts;
    }
    static QString Box(int16_t number, const QVariantList& arguments = {})
    {
        return ComposeMessage(number, arguments, Language).Text;
    }
    static std::vector<QString> Boxes(std::initializer_list<int16_t> numbers)
    {
        std::vector<QString> texts;
        for (int16_t n : numbers)
            texts.push_back(Box(n));
        return texts;
    }
    PropertyBlock& Block(int property)
    {
        return Protocols[static_cast<size_t>(CurrentProtocol)].Blocks[static_cast<size_t>(property)];
    }
    int LogLines(const QString& procName) const
    {
        QFile f(folder_.filePath(QStringLiteral("QUINTARA.LOG")));
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        return static_cast<int>(QString::fromLatin1(f.readAll()).split(u'\n').filter(procName).size());
    }
    // Test strings, 57 characters: the instrument adds its checksum.
    static std::string Line(const Fields& f) { return Head(f); }

    QTemporaryDir folder_;
    QString savedFolder_;
    int16_t savedLogin_ = 0;
    SimInstrument sim_;
    frmMain* w_ = nullptr;
};

TEST_F(MeasureWindowTest, RefusalsShowTheirMessageAndKeepWhatCameBefore)
{
    const std::string reply = Build(Kr6100());
    const struct {
        const char* what;
        std::vector<std::string> replies;
        QStringList more;
        std::vector<int16_t> answers;
        std::vector<QString> boxes;
        size_t series;      // open series afterwards
        size_t values;      // elements of the block's Values
        int16_t state;
    } rows[] = {
        {"nothing received", {Line(Kr6100())}, {"--silent"}, {}, {Box(15)}, 1, 1, 4},
        {"cut short", {Line(Kr6100())}, {"--cut-short", "57"}, {}, {Box(14, {"E3: Data string too short: " + QString::fromStdString(commHexText(reply.substr(0, 57) + "\r\n"))})}, 1, 1, 4},
        {"checksum", {Line(Kr6100())}, {"--bad-checksum"}, {}, {Box(14, {"E2: Checksum error: " + QString::fromStdString(commHexText(reply.substr(0, 57) + std::string(1, reply[57] + 1) + "\r\n"))})}, 1, 1, 4},
        {"another model", {Line(Kr6100()).replace(1, 7, "KR 6101")}, {}, {}, Boxes({19}), 1, 1, 4},
        {"sent before, not read again", {Line(Kr6100("  12.5", "1"))}, {}, {AnswerNo}, Boxes({16}), 1, 1, 4},
        // The series and the block made before the range check stay.
        {"result 0", {Line(Kr6100("     0"))}, {}, {}, Boxes({26}), 2, 1, 6},
        {"sent before, read again", {Line(Kr6100("  12.5", "1"))}, {}, {AnswerYes}, Boxes({16}), 2, 2, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Connect(6, row.replies, row.more);
        EXPECT_EQ(Measure(kAirPermeability, row.answers), row.boxes);
        EXPECT_EQ(Protocols.size(), row.series);
        EXPECT_EQ(Block(kAirPermeability).Values.size(), row.values);
        EXPECT_EQ(w_->ProtocolState, row.state);
    }
    // The block of the refused test was started when it was made.
    EXPECT_EQ(Block(kAirPermeability).StartDate, Clock());
    EXPECT_EQ(Block(kAirPermeability).Values[1].Value1, 12.5f);

    // No position measures the property; nor a damaged report-form index.
    PortDevice = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Measure(kAirPermeability), Boxes({18}));
    PortDevice = {6, 10, 12, 0, 0, 0};
    Protocols[1].FormIndex = 11;
    EXPECT_EQ(Measure(kAirPermeability), Boxes({18}));
    EXPECT_EQ(Protocols[1].Blocks[kAirPermeability].Values.size(), 2u);
}

TEST_F(MeasureWindowTest, SwitchBoxChannelAndTypedValues)
{
    SwitchBoxUsed = true;
    const struct { std::array<int16_t, 6> ports; const char* channel; std::string sent; } rows[] = {
        {{6, 0, 0, 0, 0, 0}, "5", "5\r"},
        {{0, 0, 0, 0, 0, 6}, "0", "0\r"},
    };
    for (const auto& row : rows) {
        PortDevice = row.ports;
        Connect(6, {}, {"--channel", row.channel});
        EXPECT_EQ(Measure(kAirPermeability), std::vector<QString>{});
        sim_.Stop();
        EXPECT_EQ(sim_.Transcript(), row.sent);
    }
    EXPECT_EQ(Block(kAirPermeability).Values.size(), 3u);

    // A typed value sends nothing; Enter measures it, a decimal comma read
    // as a point, and the box is emptied.
    Pin(QStringLiteral("de_DE"));
    PortDevice = {6, 0, 0, 0, 0, 0};
    Connect(6, {});
    Protocols[1].CurrentProperty = kTyped;
    w_->ShowProtocol();
    w_->RefreshEnabling();
    w_->show();
    w_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w_));
    w_->txtKeyboard->setFocus();
    QTest::keyClicks(w_->txtKeyboard, QStringLiteral("12,5"));
    {
        ScriptedPresenter presenter;
        QTest::keyClick(w_->txtKeyboard, Qt::Key_Return);
        EXPECT_TRUE(presenter.Shown.empty());
    }
    ASSERT_EQ(Block(kTyped).Values.size(), 2u);
    EXPECT_EQ(Block(kTyped).Values[1].Value1, 12.5f);
    EXPECT_EQ(Block(kTyped).Values[1].DataString, ConvertOldDataString("\x1E" "00" "  12.5\r\n", Lab().Tests[1].HeaderImage));
    EXPECT_EQ(w_->txtKeyboard->text(), QString());
    sim_.Stop();
    EXPECT_EQ(sim_.Transcript(), "");
    // An empty box: nothing received.
    EXPECT_EQ(Measure(kTyped), Boxes({15}));
}

TEST_F(MeasureWindowTest, StopCriteria)
{
    // Five tests are preset: the fifth asks once, No goes on, the sixth asks nothing.
    for (int i = 1; i <= 6; ++i) {
        w_->txtKeyboard->setText(QString::number(i));
        EXPECT_EQ(Measure(kTyped, {AnswerNo}), i == 5 ? Boxes({36}) : std::vector<QString>{}) << i;
    }
    EXPECT_EQ(w_->ProtocolState, 5);

    // Without a preset number the 999th test closes the property unasked.
    Protocols[1].Style.Tests[1].TestCount = 0;
    PropertyBlock& b = Block(kTyped);
    while (b.Values.size() < 999)
        b.Values.push_back(SeriesTest(7));
    w_->txtKeyboard->setText(QStringLiteral("8"));
    EXPECT_EQ(Measure(kTyped), std::vector<QString>{});
    EXPECT_EQ(b.Stats.Count, 999);
    EXPECT_TRUE(b.Terminated);
    EXPECT_EQ(w_->ProtocolState, 7);
}

TEST_F(MeasureWindowTest, APropertyClosedAndReopenedByItsMarkStartsWithItsFirstTest)
{
    // The working record becomes a series; property 2 is closed and opened
    // again before its first test, so it holds dates but no header.
    w_->txtKeyboard->setText(QStringLiteral("1"));
    ASSERT_EQ(Measure(kTyped), std::vector<QString>{});
    Protocols[1].CurrentProperty = kAirbag;
    w_->ShowProtocol();
    w_->imgTerminated_MouseUp(kAirPermeability, 1, 0, 0, 0);
    w_->imgTerminated_MouseUp(kAirPermeability, 1, 0, 0, 0);
    ASSERT_FALSE(BlockHoldsTest(Block(kAirPermeability)));
    ASSERT_EQ(Block(kAirPermeability).Header, "");

    Connect(6, {Line(Kr6100())});
    EXPECT_EQ(Measure(kAirPermeability), std::vector<QString>{});
    EXPECT_EQ(Block(kAirPermeability).Values.size(), 2u);
    EXPECT_EQ(Block(kAirPermeability).Header, Build(Kr6100()));
}

TEST_F(MeasureWindowTest, APressureDropTestTakesTwoReadings)
{
    // The first reading at the second pressure, then the one at the first;
    // a third reading waits, is deleted, and a fourth starts anew.
    const std::string first = Line(Reading("   200", "   150"));
    const std::string second = Line(Reading("   100", "   100"));
    Connect(10, {first, second, first, first});

    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    PropertyBlock& b = Block(kPressureDrop);
    ASSERT_EQ(b.Values.size(), 2u);
    EXPECT_EQ(b.Values[1].Value1, NoValue);
    EXPECT_EQ(b.Values[1].Value2, 150.0f);
    EXPECT_EQ(b.Values[1].DataString.substr(12, 14), "          200?");
    EXPECT_EQ(b.Stats.Count, 0);
    EXPECT_EQ(w_->grdResult->Rows(), 1);

    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    ASSERT_EQ(b.Values.size(), 2u);
    EXPECT_EQ(b.Values[1].DataString.substr(41, 14), "327.05?0.5849 ");
    EXPECT_FLOAT_EQ(b.Values[1].Value1, 327.05f);
    EXPECT_FLOAT_EQ(b.Values[1].Value2, 0.5849f);
    EXPECT_EQ(b.Values[1].CurveFile.substr(12, 14), "   100?   200?");
    EXPECT_EQ(b.Values[1].CurveFile.substr(41, 14), "100   ?150   ?");
    EXPECT_EQ(b.Stats.Count, 1);
    EXPECT_EQ(b.Header, b.Values[1].DataString);
    EXPECT_EQ(w_->grdResult->Rows(), 1);
    EXPECT_EQ(w_->grdResult->TextMatrix(0, 1), QStringLiteral("327"));

    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    EXPECT_EQ(w_->grdResult->Rows(), 2);
    b.Values.back().Deleted = true;
    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    ASSERT_EQ(b.Values.size(), 4u);
    EXPECT_EQ(b.Values[3].Value1, NoValue);
    EXPECT_EQ(b.Stats.Count, 1);
}

TEST_F(MeasureWindowTest, ACompletedTestWithoutAPressureDropWaitsForNothing)
{
    // 100 and 101 mm/s: the pressure drop cannot be written, the exponent
    // can. The test counts, and the next reading starts a new test.
    Connect(10, {Line(Reading("   100", "   100")), Line(Reading("   200", "   101")), Line(Reading("   100", "   100"))});
    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    PropertyBlock& b = Block(kPressureDrop);
    ASSERT_EQ(b.Values.size(), 2u);
    EXPECT_EQ(b.Values[1].DataString.substr(41, 14), "      ?0.0143 ");
    EXPECT_EQ(b.Stats.Count, 1);
    const TestValue completed = b.Values[1];
    EXPECT_EQ(Measure(kPressureDrop), std::vector<QString>{});
    ASSERT_EQ(b.Values.size(), 3u);
    EXPECT_EQ(b.Values[1], completed);
    EXPECT_EQ(w_->grdResult->Rows(), 2);

    // Closing the property drops the waiting half only.
    w_->TogglePropertyTerminated(CurrentProtocol, kPressureDrop);
    ASSERT_EQ(b.Values.size(), 2u);
    EXPECT_EQ(b.Values[1], completed);
}

TEST_F(MeasureWindowTest, AnAirbagCurveIsKeptAsAReadOnlyFile)
{
    Connect(12, {Kr6450Old}, {"--curve", sim_.WriteFile(QStringLiteral("curve.bin"), CurveBlocks())});
    const QString name = QStringLiteral("2024.01.05, 13.07.09.ABT");
    EXPECT_EQ(Measure(kAirbag), std::vector<QString>{});
    PropertyBlock& b = Block(kAirbag);
    ASSERT_EQ(b.Values.size(), 2u);
    EXPECT_EQ(b.Values[1].CurveFile, name.toStdString());
    const QFileInfo file(DataFolder + u'/' + name);
    EXPECT_EQ(file.size(), 6218);
    EXPECT_FALSE(file.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    const ABTCurve curve = abtFileGet(DataFolder, name);
    EXPECT_EQ(curve.Header, ConvertOldDataString(Kr6450Old + "\r\n"));
    EXPECT_FLOAT_EQ(curve.P1[0], 10);
    EXPECT_FLOAT_EQ(curve.S[511], 150.0f / 7895);
    EXPECT_FALSE(w_->pgbProgress->isVisible());

    // The same second again takes the next one.
    EXPECT_EQ(Measure(kAirbag), std::vector<QString>{});
    EXPECT_EQ(b.Values[2].CurveFile, "2024.01.05, 13.07.10.ABT");

    // A folder that takes no file: 31, Yes tries again, No keeps the test
    // without its curve.
    {
        ReadOnlyFolder locked(DataFolder);
        if (locked.Active()) {
            EXPECT_EQ(Measure(kAirbag, {AnswerYes, AnswerNo}), Boxes({31, 31}));
            ASSERT_EQ(b.Values.size(), 4u);
            EXPECT_EQ(b.Values[3].CurveFile, "");
        }
    }

    // A data folder that is gone: the program folder takes the file, and
    // the setting follows.
    const QString gone = DataFolder + QStringLiteral("/gone");
    DataFolder = gone;
    EXPECT_EQ(Measure(kAirbag), std::vector<QString>{});
    EXPECT_EQ(DataFolder, folder_.path());
    EXPECT_TRUE(abtIsAirbagFile(folder_.path(), QString::fromStdString(b.Values.back().CurveFile)));
}

TEST_F(MeasureWindowTest, ACurveThatDidNotComeWholeLeavesTheTestWithoutOne)
{
    // Ten blocks, then the end: no file, one log line, the test kept; a
    // curve the instrument stops sending in the middle: nothing at all.
    const struct { const char* what; QStringList more; int logged; } rows[] = {
        {"ten blocks", {"--curve", sim_.WriteFile(QStringLiteral("short.bin"), CurveBlocks(10))}, 1},
        {"silence in block 5", {"--curve", sim_.WriteFile(QStringLiteral("whole.bin"), CurveBlocks()),
                                "--silent-block", "5"}, 1},
    };
    size_t values = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Connect(12, {Kr6450Old}, row.more);
        EXPECT_EQ(Measure(kAirbag), std::vector<QString>{});
        ASSERT_EQ(Block(kAirbag).Values.size(), ++values);
        EXPECT_EQ(Block(kAirbag).Values.back().CurveFile, "");
        EXPECT_EQ(LogLines(QStringLiteral("abtParseRawData")), row.logged);
    }
    EXPECT_TRUE(QDir(DataFolder).entryList({QStringLiteral("*.ABT")}, QDir::Files).isEmpty());
}

TEST_F(MeasureWindowTest, TheRightButtonPopsUpTheSettingsMenu)
{
    RecordingPopupRunner runner;
    w_->show();
    QTest::mouseClick(w_->cmdMeasure, Qt::RightButton);
    ASSERT_EQ(runner.Popped.size(), 1u);
    EXPECT_EQ(runner.Popped[0].Menu, QStringLiteral("mnuSettings"));
    EXPECT_EQ(runner.Popped[0].DefaultItem, QStringLiteral("mnuSettings_DataSettings"));

    // Not while the menu or the button is disabled.
    w_->mnuSettings->menuAction()->setEnabled(false);
    QTest::mouseClick(w_->cmdMeasure, Qt::RightButton);
    w_->mnuSettings->menuAction()->setEnabled(true);
    w_->cmdMeasure->setEnabled(false);
    QTest::mouseClick(w_->cmdMeasure, Qt::RightButton);
    EXPECT_EQ(runner.Popped.size(), 1u);
}

} // namespace
