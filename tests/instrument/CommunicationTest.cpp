// The serial port over a real pseudo-terminal, with the simulated instrument
// on the other end.
#include "instrument/modCommunication.h"

#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/SimInstrument.h"
#include "foundation/frmResource.h"
#include "foundation/modLog.h"
#include "platform/ProgramFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int16_t kPort = 3;

// The data string the simulator sends for model 6 when it has no replies
// file: a static hydrostatic-head test at 100 mbar over 100 cm2, 12.5 min.
// Its bytes add up to 2436, 132 modulo 256, which is above 128: the checksum
// character is 132 - 128 = 4.
const std::string kDefaultReply6 =
    "\x1E" "KR 6100" "001K" "   100" "C" "   100" ")" "              " " " "  12.5" "a" "      " "a" " " "0"
    "\x04" "\r\n";

// A curve file of `blocks` blocks whose bytes run through every value.
std::string CurveBytes(int blocks)
{
    std::string bytes;
    for (int i = 0; i < blocks * 128; ++i)
        bytes.push_back(static_cast<char>((i * 7 + i / 128) & 0xFF));
    return bytes;
}

// Line k of the raw lines as the block transfer stores block k + 1.
std::string ExpectedLine(const std::string& curve, int k)
{
    std::string markers;
    std::string data;
    for (int j = 0; j < 128; ++j) {
        const int b = static_cast<unsigned char>(curve[static_cast<size_t>(k * 128 + j)]);
        markers.push_back(static_cast<char>(b > 128 ? 1 : 0));
        data.push_back(static_cast<char>(b > 128 ? b - 128 : b));
    }
    return markers + data;
}

class CommunicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgramFolder(m_home.path());
        commInit(kPort);
    }
    void TearDown() override
    {
        commClose();
        SetProgramFolder(QString());
    }

    // Starts the simulator on port 3 and opens the port.
    void Connect(QStringList arguments)
    {
        ASSERT_TRUE(m_sim.Start(arguments, kPort));
        ASSERT_TRUE(commOpen(kPort));
    }

    QByteArray Log() const
    {
        QFile f(m_home.filePath(QStringLiteral("QUINTARA.LOG")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Sends the request of a model and receives its reply.
    static std::string Measure(int16_t model)
    {
        std::string request;
        int16_t length = -1;
        commRequestForModel(model, request, length);
        commBeginRequest();
        commSendString(request);
        return commGetDataString();
    }

    QTemporaryDir m_home;
    SimInstrument m_sim;
};

TEST(CommunicationTable, RequestAndReplyLengthOfEveryModel)
{
    struct Row {
        int16_t model;
        std::string request;
        int16_t length;
    };
    const Row rows[] = {
        {0, "", 0}, {1, "", 11}, {2, Hex("1B 50 0D 0A"), 16}, {3, "\r", 20}, {4, "\r", 48},
        {5, "\r", 20}, {6, "\r", 60}, {7, "\r", 60}, {8, "\r", 60}, {9, "\r", 20}, {10, "\r", 60},
        {11, "\r", 20}, {12, "\r", 41}, {13, "\r", 20}, {14, "\r", 60}, {15, Hex("A6"), 20},
        {16, "\r", 60}};
    for (const Row& row : rows) {
        std::string request = "unchanged";
        int16_t length = -1;
        commRequestForModel(row.model, request, length);
        EXPECT_EQ(ToHex(request), ToHex(row.request)) << "model " << row.model;
        EXPECT_EQ(length, row.length) << "model " << row.model;
    }
    for (int16_t outside : {int16_t(-1), int16_t(17), int16_t(99)}) {
        std::string request = "as set";
        int16_t length = 123;
        commRequestForModel(outside, request, length);
        EXPECT_EQ(request, "as set");
        EXPECT_EQ(length, 123);
    }
}

// The bytes of a refused reply as the message shows them: two capital hex
// digits each, one blank between, the top bit kept.
TEST(CommunicationTable, HexText)
{
    EXPECT_EQ(commHexText(""), "");
    EXPECT_EQ(commHexText("\r\n"), "0D 0A");
    EXPECT_EQ(commHexText("A"), "41");
    EXPECT_EQ(commHexText(Hex("00 0F 10 80 FF")), "00 0F 10 80 FF");
}

// Each model answers its own request only; rows 0 and 1 send nothing at all.
TEST_F(CommunicationTest, EachModelIsAskedWithItsOwnRequest)
{
    for (int16_t model = 2; model <= 16; ++model) {
        SCOPED_TRACE(model);
        const std::string line = "reply of model " + std::to_string(model);
        Connect({"--model", QString::number(model), "--replies",
                 m_sim.WriteFile(QStringLiteral("r.txt"), line + "\n")});
        EXPECT_EQ(Measure(model), line + "\r\n");
        std::string request;
        int16_t length = 0;
        commRequestForModel(model, request, length);
        m_sim.Stop();
        EXPECT_EQ(ToHex(m_sim.Transcript()), ToHex(request));
        commClose();
    }
}

TEST_F(CommunicationTest, RowsZeroAndOneSendNothingAndAnotherModelsRequestGoesUnanswered)
{
    Connect({"--model", "6"});
    EXPECT_EQ(Measure(0), "");
    EXPECT_EQ(Measure(1), "");
    m_sim.Stop();
    EXPECT_EQ(m_sim.Transcript(), "");
    commClose();
    Connect({"--model", "15"});
    EXPECT_EQ(Measure(6), "");
}

// Both before the one-second time-out.
TEST_F(CommunicationTest, AReplyEndedByCrLfAndBytesOnceTheirCountHasComeReturnAtOnce)
{
    Connect({"--model", "6"});
    EXPECT_EQ(Measure(6), kDefaultReply6);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Measure(6), kDefaultReply6);
    EXPECT_LT(clock.elapsed(), 1000);

    commSendString("\r");
    clock.restart();
    const std::string got = commReadBytes(60);
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_EQ(got.size(), 120u);
    EXPECT_EQ(got.substr(0, 60), std::string(60, '\0'));
    EXPECT_EQ(got.substr(60), kDefaultReply6);
    commSendString("\r");
    EXPECT_EQ(commReadBytes(0), "");
}

// The instrument answers once the receiver has emptied its input, so a slow
// machine that reaches its reception late still gets the whole reply.
TEST_F(CommunicationTest, AReceptionThatStartsLateStillGetsTheReply)
{
    Connect({"--model", "6", "--delay", "0"});
    for (int i = 0; i < 3; ++i) {
        commSendString("\r");
        QThread::msleep(100);
        EXPECT_EQ(commGetDataString(), kDefaultReply6) << i;
    }
}

TEST_F(CommunicationTest, RepliesComeInTurnAndAnEmptyLineIsSilence)
{
    Connect({"--model", "12", "--replies",
             m_sim.WriteFile(QStringLiteral("r.txt"), "first\r\n\nthird\n")});
    EXPECT_EQ(Measure(12), "first\r\n");
    EXPECT_EQ(Measure(12), "");
    EXPECT_EQ(Measure(12), "third\r\n");
    EXPECT_EQ(Measure(12), "first\r\n");
}

// A reply cut short (a bare line end is a reply all the same), one without
// CR LF (returned after the one-second time-out) and a bad checksum come as sent.
TEST_F(CommunicationTest, ACutShortReplyAReplyWithoutCrLfAndABadChecksumComeAsSent)
{
    const struct { QStringList faults; std::string reply; bool afterTimeOut; } rows[] = {
        {{"--cut-short", "20"}, kDefaultReply6.substr(0, 20) + "\r\n", false},
        {{"--cut-short", "0"}, "\r\n", false},
        {{"--no-crlf"}, kDefaultReply6.substr(0, 58), true},
        {{"--bad-checksum"}, kDefaultReply6.substr(0, 57) + "\x05\r\n", false},   // the checksum 4 one higher
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.faults.join(u' ').toStdString());
        Connect(QStringList{"--model", "6"} + row.faults);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ToHex(Measure(6)), ToHex(row.reply));
        if (row.afterTimeOut) {
            EXPECT_GT(clock.elapsed(), 1000);
            EXPECT_LT(clock.elapsed(), 5000);
        }
        commClose();
    }
}

// The byte before CR LF loses its top bit from 129 on; the same byte
// elsewhere, and the bytes of a reply of two bytes, stay.
TEST_F(CommunicationTest, TheChecksumPositionLosesItsTopBit)
{
    std::string line = kDefaultReply6.substr(0, 58);
    line[9] = static_cast<char>(200);
    std::string lines;
    for (int checksum : {200, 128, 129, 255})
        lines += line.substr(0, 57) + std::string(1, static_cast<char>(checksum)) + "\n";
    Connect({"--model", "6", "--replies", m_sim.WriteFile(QStringLiteral("r.txt"), lines)});
    const std::string head = ToHex(line.substr(0, 57)) + " ";
    EXPECT_EQ(ToHex(Measure(6)), head + "48 0D 0A");
    EXPECT_EQ(ToHex(Measure(6)), head + "80 0D 0A");
    EXPECT_EQ(ToHex(Measure(6)), head + "01 0D 0A");
    EXPECT_EQ(ToHex(Measure(6)), head + "7F 0D 0A");      // byte 10 stays C8 in every reply
    commClose();

    // Replies of two bytes are never changed.
    Connect({"--model", "6", "--no-crlf", "--replies",
             m_sim.WriteFile(QStringLiteral("r.txt"), Hex("C8 C8") + "\n")});
    EXPECT_EQ(ToHex(Measure(6)), "C8 C8");
}

TEST_F(CommunicationTest, TheSwitchBoxChannelSelectsTheInstrument)
{
    Connect({"--model", "6", "--channel", "3"});
    EXPECT_EQ(Measure(6), "");   // no channel chosen yet
    commSendString("3");
    EXPECT_EQ(Measure(6), kDefaultReply6);
    commSendString("2");
    EXPECT_EQ(Measure(6), "");
}

// Both options name the one channel the switch box passes on: given both, or
// one twice, the simulator refuses to start instead of ignoring one of them.
TEST(SimulatorOptions, AChannelAndAPositionTogetherAreRefused)
{
    const QStringList refused[] = {
        {"--channel", "3", "--position", "1"},
        {"--position", "1", "--channel", "3"},
        {"--position", "1", "--position", "2"},
    };
    for (const QStringList& options : refused) {
        SCOPED_TRACE(options.join(QLatin1Char(' ')).toStdString());
        QProcess sim;
        sim.start(QStringLiteral(QUINTARA_SIM_PATH), QStringList{"--model", "6"} + options);
        ASSERT_TRUE(sim.waitForStarted(30000));
        // A simulator that took them would run until ended.
        if (!sim.waitForFinished(20000)) {
            sim.kill();
            sim.waitForFinished(30000);
            ADD_FAILURE() << "the simulator started";
            continue;
        }
        EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(sim.exitCode(), 0);
        EXPECT_EQ(sim.readAllStandardOutput(), QByteArray());
        EXPECT_EQ(sim.readAllStandardError(),
                  QByteArray("quintara-instrument-sim: give one of --channel and --position, once\n"));
    }
}

TEST_F(CommunicationTest, ReadBytesGivesMarkersThenData)
{
    // Ten bytes, then silence: 132 markers (122 of them fill) and 10 data.
    const std::string sent = Hex("00 01 7F 80 81 C8 FF 41 0D 7E");
    Connect({"--model", "6", "--no-crlf", "--replies", m_sim.WriteFile(QStringLiteral("r.txt"), sent + "\n")});
    commSendString("\r");
    const std::string got = commReadBytes(132);
    ASSERT_EQ(got.size(), 142u);
    EXPECT_EQ(ToHex(got.substr(0, 10)), "00 00 00 00 01 01 01 00 00 00");
    EXPECT_EQ(got.substr(10, 122), std::string(122, '\0'));
    EXPECT_EQ(ToHex(got.substr(132)), "00 01 7F 80 01 48 7F 41 0D 7E");
}

TEST_F(CommunicationTest, OpenOnAMissingDeviceOrADeviceInUseFailsAndLogs)
{
    qputenv("QUINTARA_COM7", m_home.filePath(QStringLiteral("no-such-tty")).toLocal8Bit());
    EXPECT_FALSE(commOpen(7));
    qunsetenv("QUINTARA_COM7");
    EXPECT_FALSE(frmResource::Instance()->comData->isOpen());
    const QByteArray log = Log();
    EXPECT_TRUE(log.contains("\tcommOpen            \t" + QByteArray(ProgramVersion) + "\t53\t")) << log.constData();
    EXPECT_TRUE(log.contains("no-such-tty")) << log.constData();

    // A port number without any device.
    EXPECT_FALSE(commOpen(9));
    EXPECT_EQ(Log().count("commOpen"), 2);

    // A device in use by another program that opened it by the same name.
    ASSERT_TRUE(m_sim.Start({"--model", "6"}, kPort));
    QSerialPort other(m_sim.PortPath());
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    EXPECT_FALSE(commOpen(kPort));
    EXPECT_FALSE(frmResource::Instance()->comData->isOpen());
    EXPECT_EQ(Log().count("\tcommOpen            \t" + QByteArray(ProgramVersion) + "\t"), 3) << Log().constData();
    // The user may open the device: no group would help.
    EXPECT_FALSE(Log().contains("group")) << Log().constData();
    other.close();
    EXPECT_TRUE(commOpen(kPort));
}

// A device that only its group may open, opened by a user outside it (the
// tests' own user, or nobody when they run as root): the log names the group.
TEST_F(CommunicationTest, ADeviceTheUserMayNotOpenNamesItsGroupInTheLog)
{
    const group* dialout = ::getgrnam("dialout");
    if (!dialout)
        GTEST_SKIP() << "no group dialout";
    const QString device = m_home.filePath(QStringLiteral("ttyS9"));
    QFile made(device);
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    made.close();
    const QByteArray path = QFile::encodeName(device);
    if (::chown(path.constData(), ::geteuid(), dialout->gr_gid) != 0)
        GTEST_SKIP() << "the device cannot be given to dialout here";
    // The group may read and write it, its owner and everyone else may not.
    ASSERT_EQ(::chmod(path.constData(), 0060), 0);
    ChownToNobody(QFile::encodeName(m_home.path()).constData());
    qputenv("QUINTARA_COM7", path);
    // 0: refused, with the device and its group kept for the operator's
    // message, and forgotten at the next open (of a missing device);
    // 2: refused without them; 3: still named after the next open.
    const int opened = RunUnprivileged([&device, &path] {
        if (commOpen(7))
            return 1;
        const SerialDeviceDenial denied = commDeniedDevice();
        if (denied.Device != device || denied.Group != QLatin1String("dialout"))
            return 2;
        qputenv("QUINTARA_COM7", path + "-missing");
        return !commOpen(7) && commDeniedDevice().Device.isEmpty() ? 0 : 3;
    });
    qunsetenv("QUINTARA_COM7");
    if (opened == ChildSetupFailed)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(opened, 0);
    const QByteArray log = Log();
    EXPECT_TRUE(log.contains("\tcommOpen            \t" + QByteArray(ProgramVersion) + "\t70\t")) << log.constData();
    EXPECT_TRUE(log.contains("ttyS9); the user must be in the group dialout\r\n")) << log.constData();
}

TEST_F(CommunicationTest, OpenKeepsAPortOpenOnTheSameNumberAndClosesItForAnother)
{
    Connect({"--model", "6"});
    QSerialPort* port = frmResource::Instance()->comData;
    const qintptr handle = port->handle();
    EXPECT_TRUE(commOpen(kPort));
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->handle(), handle);
    EXPECT_EQ(commPortNumber(), kPort);
    EXPECT_EQ(Measure(6), kDefaultReply6);

    // Another number closes the first.
    SimInstrument second;
    ASSERT_TRUE(second.Start({"--model", "15", "--link", second.Folder() + QStringLiteral("/COM5")}));
    qputenv("QUINTARA_COM5", (second.Folder() + QStringLiteral("/COM5")).toLocal8Bit());
    EXPECT_TRUE(commOpen(5));
    qunsetenv("QUINTARA_COM5");
    EXPECT_EQ(commPortNumber(), 5);
    EXPECT_EQ(Measure(6), "");
    EXPECT_EQ(Measure(15).substr(0, 3), "\x1E" "LI");   // the Lister's own short reply
    // The first device is free again.
    commClose();
    EXPECT_TRUE(commOpen(kPort));
}

TEST_F(CommunicationTest, AClosedPortSendsNothingAndReceivesNothing)
{
    Connect({"--model", "6"});
    commClose();
    commClose();
    EXPECT_FALSE(frmResource::Instance()->comData->isOpen());
    commSendString("\r");
    EXPECT_EQ(commGetDataString(), "");
    EXPECT_EQ(commReadBytes(10), "");
    EXPECT_EQ(commReceiveCurveBlocks(nullptr), AbtRawLines());
    m_sim.Stop();
    EXPECT_EQ(m_sim.Transcript(), "");
}

class CurveTransferTest : public CommunicationTest {
protected:
    // Starts a model 12 with this curve and fault arguments and receives the
    // data string that precedes the curve.
    void StartCurve(const std::string& curve, QStringList faults = {})
    {
        m_curve = curve;
        QStringList arguments = {"--model", "12", "--curve", m_sim.WriteFile(QStringLiteral("c.bin"), curve)};
        arguments += faults;
        Connect(arguments);
        // The KR 6450's reply in its own short format.
        ASSERT_EQ(Measure(12).size(), 41u);
    }

    // The 26 lines the whole curve gives.
    AbtRawLines Whole() const
    {
        AbtRawLines whole;
        for (int k = 0; k < 26; ++k)
            whole.Lines[static_cast<size_t>(k)] = ExpectedLine(m_curve, k);
        return whole;
    }

    // The receiver's bytes after the request: what it said in the transfer.
    std::string Answers()
    {
        m_sim.Stop();
        const std::string all = m_sim.Transcript();
        return all.empty() ? all : all.substr(1);
    }

    static std::string Repeat(const char* token, int times)
    {
        std::string s;
        for (int i = 0; i < times; ++i)
            s += token;
        return s;
    }

    std::string m_curve;
};

TEST_F(CurveTransferTest, TwentySixBlocksFillTheLines)
{
    StartCurve(CurveBytes(26));
    QProgressBar bar;
    bar.setRange(0, 100);
    EXPECT_EQ(commReceiveCurveBlocks(&bar), Whole());
    EXPECT_EQ(bar.value(), 100);
    // The first NAK, one ACK per block, two ACKs for the EOT.
    EXPECT_EQ(ToHex(Answers()), ToHex("\x15" + Repeat("\x06", 26) + "\x06\x06"));
}

// Markers and data of one block worked out by hand: bytes above 128 lose 128
// and get marker 1; 128 itself stays; control characters inside the data are
// data.
TEST_F(CurveTransferTest, ABlockIsKeptAsMarkersThenData)
{
    StartCurve(Hex("00 01 7F 80 81 C8 FF 04 01 15 06"));
    const AbtRawLines raw = commReceiveCurveBlocks(nullptr);
    const std::string line = raw.Lines[0];
    ASSERT_EQ(line.size(), 256u);
    EXPECT_EQ(ToHex(line.substr(0, 11)), "00 00 00 00 01 01 01 00 00 00 00");
    EXPECT_EQ(line.substr(11, 117), std::string(117, '\0'));
    EXPECT_EQ(ToHex(line.substr(128, 11)), "00 01 7F 80 01 48 7F 04 01 15 06");
    EXPECT_EQ(line.substr(139), std::string(117, '\0'));   // the padding of the block
    EXPECT_EQ(raw.Lines[1], "");
    EXPECT_EQ(ToHex(Answers()), "15 06 06 06");
}

// Each transfer: the lines kept (the rest stay empty; none at all is the
// empty result) and what the receiver answered.
TEST_F(CurveTransferTest, RepeatedSkippedAndMissingBlocks)
{
    struct Case {
        const char* Name;
        int Blocks;
        QStringList Faults;
        int Kept;
        std::string Answers;
    };
    const Case cases[] = {
        {"short curve", 3, {}, 3, "15 06 06 06 06 06"},
        {"EOT at once", 0, {}, 0, "15 06 06"},
        {"wrong block number", 4, {"--wrong-block", "3"}, 4, "15 06 06 15 06 06 06 06"},
        {"garbled block", 2, {"--garble-block", "1", "--bad-times", "2"}, 2, "15 15 15 06 06 06 06"},
        {"silence in the middle", 5, {"--silent-block", "3"}, 0, "15 06 06"},
        // The EOT comes one byte late: one repeat of it.
        {"stray byte before the EOT", 3, {"--stray-byte-after", "3"}, 3, "15 06 06 06 15 06 06"},
        // Blocks beyond the 26th are acknowledged and dropped.
        {"28 blocks", 28, {}, 26, ToHex("\x15" + Repeat("\x06", 28) + "\x06\x06")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        StartCurve(CurveBytes(c.Blocks), c.Faults);
        ASSERT_FALSE(HasFatalFailure());
        const AbtRawLines raw = commReceiveCurveBlocks(nullptr);
        for (int k = 0; k < 26; ++k)
            EXPECT_EQ(raw.Lines[static_cast<size_t>(k)], k < c.Kept ? ExpectedLine(m_curve, k) : "") << "line " << k;
        EXPECT_EQ(ToHex(Answers()), c.Answers);
        commClose();
    }
}

// A relay that adds one byte between two blocks of a line at its real pace:
// block 5 comes one byte late and its last byte only after the receiver has
// read 132 bytes. The receiver waits for the line to fall quiet before it asks
// again, so that one late byte is not taken for the start of every later
// packet.
TEST_F(CurveTransferTest, OneStrayByteOnAPacedLineCostsOneRepeatNotTheCurve)
{
    StartCurve(CurveBytes(26), {"--baud", "9600", "--stray-byte-after", "4"});
    EXPECT_EQ(commReceiveCurveBlocks(nullptr), Whole());
    EXPECT_EQ(ToHex(Answers()), ToHex("\x15" + Repeat("\x06", 4) + "\x15" + Repeat("\x06", 22) + "\x06\x06"));
}

// A peer that writes each block in the instant it reads the ACK before it:
// the block is already waiting when the receiver starts to read it.
TEST_F(CurveTransferTest, APeerThatAnswersAtOnceLosesNoBlock)
{
    StartCurve(CurveBytes(26), {"--delay", "0"});
    const AbtRawLines whole = Whole();
    for (int transfer = 1; transfer <= 50; ++transfer) {
        if (transfer > 1) {
            ASSERT_EQ(Measure(12).size(), 41u) << "transfer " << transfer;
        }
        ASSERT_EQ(commReceiveCurveBlocks(nullptr), whole) << "transfer " << transfer;
    }
}

TEST_F(CurveTransferTest, TenBadPacketsInARowEndTheTransfer)
{
    StartCurve(CurveBytes(5), {"--garble-block", "2", "--bad-times", "0"});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(commReceiveCurveBlocks(nullptr), AbtRawLines());
    EXPECT_LT(clock.elapsed(), 10000);
    // Block 1 accepted, then nine NAKs after the first nine bad packets.
    EXPECT_EQ(ToHex(Answers()), ToHex("\x15\x06" + Repeat("\x15", 9)));
    EXPECT_TRUE(Log().contains("\tcommReceiveCurveBloc\t" + QByteArray(ProgramVersion) + "\t57\tCurve block 2 refused 10 times"))
        << Log().constData();
}

TEST_F(CurveTransferTest, AHangUpGivesNoCurve)
{
    StartCurve(CurveBytes(5), {"--hangup-block", "3"});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(commReceiveCurveBlocks(nullptr), AbtRawLines());
    EXPECT_LT(clock.elapsed(), 5000);
    // The next reception on the dead line ends at once as well.
    EXPECT_EQ(commGetDataString(), "");
}

} // namespace
