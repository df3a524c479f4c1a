// The checks of one measurement without a window, replies worked out by hand.
#include "main_window/modMeasure.h"

#include "foundation/modGeneral.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modCommunication.h"
#include "platform/ProgramFolder.h"
#include "support/ScriptedPresenter.h"
#include "support/SimInstrument.h"

#include <QTemporaryDir>
#include <tuple>
#include <vector>

namespace {

class MeasureChecks : public DataStringFixture {
protected:
    // The texts of the boxes shown since the last call.
    std::vector<QString> Shown()
    {
        std::vector<QString> texts;
        for (const MessageRequest& r : presenter_.Shown)
            texts.push_back(r.Text);
        presenter_.Shown.clear();
        return texts;
    }
    static QString Box(int16_t number, const QVariantList& arguments = {})
    {
        return ComposeMessage(number, arguments, Language).Text;
    }
    ScriptedPresenter presenter_;
};

QString Hex(const std::string& bytes) { return QString::fromStdString(commHexText(bytes)); }

// A KR 6100-III reading (code 6).
Fields Kr6100(const std::string& warning = " ", const std::string& flag = "0")
{
    return {.Id = "KR 6100", .Serial = "001", .Letter = "A", .P1 = "  20.0", .U1 = "#", .P2 = "   100", .U2 = "$",
            .Warning = warning, .R1 = "  12.5", .RU1 = "%", .Flag = flag};
}

TEST_F(MeasureChecks, RepliesAreRefusedInTheirOrder)
{
    const std::string good = Build(Kr6100());
    const std::string twice = good + good;   // 2n: the length passes, the string does not
    std::string badSum = good;
    ++badSum[57];
    const std::string highByte = std::string(good).replace(20, 1, "\xE9");
    // A D 7041 weighing that reads no number cannot be converted at all.
    const std::string dashes = "\x1E" "  X------    \r\n";
    const std::string d7041 = Build({.Id = "D  7041", .Letter = "W", .RU1 = ":"});
    const struct {
        const char* what;
        std::string reply;
        int16_t n, code;
        int t;
        std::string expected;
        int16_t message;
        QString argument;
    } rows[] = {
        {"nothing", "", 60, 6, 11, "", 15, ""},
        {"n - 1", good.substr(1), 60, 6, 11, "", 14, "E3: Data string too short: " + Hex(good.substr(1))},
        {"2n + 1", twice + "x", 60, 6, 11, "", 14, "E3: Data string too short: " + Hex(twice + "x")},
        {"bare CR LF", "\r\n", 60, 6, 11, "", 14, "E3: Data string too short: 0D 0A"},
        {"2n", twice, 60, 6, 11, "", 14, "E2: Checksum error: " + Hex(twice.substr(0, 118) + "\r\n")},
        {"checksum", badSum, 60, 6, 11, "", 14, "E2: Checksum error: " + Hex(badSum)},
        {"byte above 128", highByte, 60, 6, 11, "", 14, "E2: Checksum error: " + Hex(highByte)},
        {"unconvertible: what came", dashes, 16, 2, 2, d7041, 14, "E2: Checksum error: " + Hex(dashes)},
        {"another model", good, 60, 5, 11, "", 19, ""},
        {"warning of code 2", Build({.Id = "D  7041", .Warning = "-", .R1 = "   1.5", .RU1 = ":"}), 60, 2, 2, "", 14,
         "E1: Warning signal received"},
        {"warning of code 15", Build({.Id = "LLISTER", .Warning = "*", .R1 = "   1.5"}), 60, 15, 20, "", 14,
         "E1: Warning signal received"},
        {"warning of code 6 kept", Build(Kr6100("+")), 60, 6, 11, "", 0, ""},
        {"sent before", Build(Kr6100(" ", "1")), 60, 6, 11, "", 16, ""},
        {"sent before, pressure drop", Build(Kr6100(" ", "1")), 60, 6, 17, "", 0, ""},
    };
    for (const auto& row : rows) {
        const ReplyCheck check = CheckReply(row.reply, row.n, row.code, row.t, row.expected);
        EXPECT_EQ(check.Message, row.message) << row.what;
        EXPECT_EQ(check.Argument, row.argument) << row.what;
    }
    EXPECT_EQ(CheckReply(Build(Kr6100("+")), 60, 6, 11, "").Record.WarningSign, "+");

    // The KR 6410 answers in the older format with its predecessor's device
    // code: "65" is put in whatever it sent. The KR 6400-IV names itself KR 6404.
    const std::string old = "\x1E" "41" "  100" " " "A" " " "  12.5" "O" "\r\n";
    const ReplyCheck kr6410 = CheckReply(old, 20, 11, 16, "");
    EXPECT_EQ(kr6410.Message, 0);
    EXPECT_EQ(kr6410.Record.Result, 12.5f);
    EXPECT_EQ(CheckReply(old, 20, 9, 16, "").Message, 14);
    const std::string kr6400 = Build({.Id = "KR 6400", .Serial = "1234", .Letter = "", .R1 = "  12.5", .RU1 = "H"});
    EXPECT_EQ(CheckReply(kr6400, 60, 16, 16, "").Text.substr(1, 7), "KR 6404");
    EXPECT_EQ(CheckReply(kr6400, 60, 10, 16, "").Text.substr(1, 7), "KR 6400");

    // A typed value: a comma read as a point, cut to six characters.
    EXPECT_EQ(KeyboardReply(QStringLiteral(" 12,5 ")), "\x1E" "00" "  12.5" "\r\n");
    EXPECT_EQ(KeyboardReply(QStringLiteral("1234567")), "\x1E" "00" "123456" "\r\n");
    EXPECT_EQ(KeyboardReply(QStringLiteral("  ")), "");
}

// Each model of the simulated instrument, as it answers without a replies
// file, asked over a pseudo-terminal as a measurement asks it: its reply is
// taken for that model, with the reading worked out by hand. Whether its
// parameters and units fit a style made with the editor's defaults is the
// window's test (EveryModelOfTheSimulatorIsMeasuredWithItsOwnReply).
TEST_F(MeasureChecks, TheSimulatorsOwnReplyOfEveryModelIsTaken)
{
    QTemporaryDir home;
    const QString savedFolder = ProgramFolder();
    SetProgramFolder(home.path());
    constexpr int16_t port = 3;
    commInit(port);
    const struct {
        int16_t model;
        int t;
        Fields expected;
        float result;
        std::string unit;
        float result2;
    } rows[] = {
        // 12.5 g weighed for a weight test in g.
        {2, 6, {.Id = "D  7041", .Letter = "W", .RU1 = ":"}, 12.5f, ":", NoValue},
        // 125 turns over 500 mm: 250 turns per metre.
        {3, 7, {.Id = "MP 4300", .P1 = "   500", .U1 = "\"", .RU1 = "t"}, 250, "t", NoValue},
        {4, 9, {.Id = "MP 4800"}, 12.5f, "8", 25},
        {5, 11, {.Id = "KR 6101"}, 12.5f, "a", NoValue},
        {6, 11, {.Id = "KR 6100"}, 12.5f, "a", NoValue},
        {7, 16, {.Id = "KR 6420"}, 12.5f, "H", NoValue},
        {8, 15, {.Id = "KR 6250"}, 12.5f, "p", NoValue},
        {9, 16, {.Id = "KR 6401"}, 12.5f, "H", NoValue},
        {10, 16, {.Id = "KR 6400"}, 12.5f, "H", NoValue},
        {11, 16, {.Id = "KR 6410"}, 12.5f, "H", NoValue},
        {12, 18, {.Id = "KR 6450"}, 12.5f, "H", 0.512f},
        {13, 19, {.Id = "KR 6801"}, 12.5f, "7", NoValue},
        {14, 19, {.Id = "KR 6850"}, 12.5f, "7", NoValue},
        {15, 20, {.Id = "LLISTER"}, 12.5f, "`", NoValue},
        {16, 16, {.Id = "KR 6404"}, 12.5f, "H", NoValue},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.model);
        SimInstrument sim;
        ASSERT_TRUE(sim.Start({QStringLiteral("--model"), QString::number(row.model)}, port));
        ASSERT_TRUE(commOpen(port));
        std::string request;
        int16_t n = 0;
        commRequestForModel(row.model, request, n);
        ASSERT_TRUE(commBeginRequest());
        commSendString(request);
        const std::string reply = commGetDataString();
        commClose();
        const ReplyCheck check = CheckReply(reply, n, row.model, row.t, Build(row.expected));
        EXPECT_EQ(check.Message, 0) << check.Argument.toStdString();
        EXPECT_EQ(std::tuple(check.Record.Result, UnitCode(check.Record.ResultUnit, Language), check.Record.Result2),
                  std::tuple(row.result, row.unit, row.result2));
        EXPECT_TRUE(ValuesInRange(check.Record, NoValue));
    }
    SetProgramFolder(savedFolder);
}

TEST_F(MeasureChecks, ResultsInTheAllowedRangeAndTheNewTest)
{
    const QString passFail = UnitText(PassFailUnitCode, Language);
    const struct { float r1; QString unit1; float r2; float lateralAir; bool ok; } rows[] = {
        {0, "N", NoValue, NoValue, false},     {0.0001f, "N", NoValue, NoValue, true},
        {999999, "N", NoValue, NoValue, true}, {1000000, "N", NoValue, NoValue, false},
        {12, "N", 0, NoValue, false},          {5.00005f, "N", NoValue, 5, false},
        {5.0002f, "N", NoValue, 5, true},      {1, passFail, NoValue, NoValue, true},
        {0, passFail, NoValue, NoValue, true}, {0, passFail, 0, NoValue, false},
        {NoValue, "N", 3, NoValue, true},
    };
    for (const auto& row : rows) {
        DataStringRecord rec;
        std::tie(rec.Result, rec.ResultUnit, rec.Result2) = std::tuple(row.r1, row.unit1, row.r2);
        EXPECT_EQ(ValuesInRange(rec, row.lateralAir), row.ok) << row.r1 << " " << row.r2 << " " << row.lateralAir;
    }

    // Lateral air is taken off result 1, never off a missing one.
    DataStringRecord rec = ParseDataString(Build(Kr6100("+")));
    const TestValue t = NewTestEntry(rec, 2.5f, "c", 45000.5, QStringLiteral(" a "), QString(), QString());
    EXPECT_EQ(std::tuple(t.Value1, t.Unit1, t.Warning, t.CurveFile, t.TestTime, t.K0006),
              std::tuple(10.0f, std::string("%"), '+', std::string("c"), 45000.5, QStringLiteral("a")));
    rec.Result = NoValue;
    rec.WarningSign.clear();
    EXPECT_EQ(NewTestEntry(rec, 2.5f, "", 0, {}, {}, {}).Value1, NoValue);
    EXPECT_EQ(NewTestEntry(rec, 2.5f, "", 0, {}, {}, {}).Warning, ' ');
}

TEST_F(MeasureChecks, QuestionsAboutTheTestParameters)
{
    const DataStringRecord got = ParseDataString(Build({.Id = "KR 6401", .Serial = "457", .P1 = "   150", .U1 = "?",
                                                        .P2 = "    20", .U2 = ")", .P3 = "     5", .U3 = "$",
                                                        .P4 = "   200", .U4 = "H", .RU1 = "H", .RU2 = "?"}));
    const DataStringRecord want = ParseDataString(Build({.Id = "KR 6100", .Serial = "456", .P1 = "   100",
                                                         .U1 = "?", .P2 = "    10", .U2 = ")", .P3 = "     6",
                                                         .U3 = "$", .P4 = "   100", .U4 = "H", .RU1 = "8"}));
    const std::array<QString, 5> labels = {QString(), QStringLiteral("Pressure:"), QStringLiteral("Area:"),
                                           QStringLiteral("Third:"), QStringLiteral("Fourth:")};
    const struct { int field, t; int16_t message; QString a, b, c; } rows[] = {
        {1, 16, 20, "", "Zolvera KR 6400-II", "Zolvera KR 6100-III"},
        {2, 16, 23, "", "457", "456"},
        {3, 16, 21, "", "", ""},
        {4, 16, 24, "Pressure:", "150 Pa", "100 Pa"},
        {5, 9, 25, "Pressure:", "150 Pa", "100 Pa"},
        {6, 12, 24, "Area:", "20 cm²", "10 cm²"},
        {7, 16, 25, "Area:", "20 cm²", "10 cm²"},
        {8, 18, 24, "Third:", "5 m", "6 m"},
        {9, 17, 25, "Third:", "5 m", "6 m"},
        {10, 17, 24, "Fourth:", "200 mm/s", "100 mm/s"},
        {11, 18, 25, "Fourth:", "200 mm/s", "100 mm/s"},
        {12, 16, 22, "", "mm/s", "N"},
        {13, 16, 22, "", "Pa", ""},
        {14, 16, 0, "", "", ""},
    };
    for (const auto& row : rows) {
        const DeviationQuestion q = DataStringQuestion(row.field, row.t, got, want, labels);
        EXPECT_EQ(std::tuple(q.Message, q.A, q.B, q.C), std::tuple(row.message, row.a, row.b, row.c)) << row.field;
    }
}

TEST_F(MeasureChecks, AcceptedDeviationsAreBlankedAndNotAskedAgain)
{
    const std::string header = Build({.Id = "KR 6401", .Serial = "456", .P2 = "    10", .U2 = ")", .RU1 = "H"});
    const std::string got = Build({.Id = "KR 6401", .Serial = "457", .P2 = "    20", .U2 = ")", .RU1 = "H"});
    const std::array<QString, 5> labels = {QString(), QString(), QStringLiteral("Area:")};

    std::string h = header;
    presenter_.Answer(AnswerNo);
    EXPECT_FALSE(CheckDataStringValues(got, h, 9, labels));
    EXPECT_EQ(h, header);
    EXPECT_EQ(Shown(), std::vector<QString>{Box(23, {"", "457", "456"})});

    presenter_.Answer(AnswerYes);
    presenter_.Answer(AnswerYes);
    EXPECT_TRUE(CheckDataStringValues(got, h, 9, labels));
    EXPECT_EQ(h, SetDataStringField(SetDataStringField(header, FieldSerialNumber, ""), FieldParameter2, ""));
    EXPECT_EQ(Shown(), (std::vector<QString>{Box(23, {"", "457", "456"}), Box(25, {"Area:", "20 cm²", "10 cm²"})}));
    EXPECT_TRUE(CheckDataStringValues(got, h, 9, labels));
    EXPECT_TRUE(Shown().empty());

    // A refusing field comes first and ends the questions.
    h = header;
    const std::string otherUnit = Build({.Id = "KR 6401", .Serial = "457", .P2 = "    10", .U2 = ")", .RU1 = "U"});
    EXPECT_FALSE(CheckDataStringValues(otherUnit, h, 9, labels));
    EXPECT_EQ(Shown(), std::vector<QString>{Box(22, {"", "l/m²/s", "mm/s"})});

    // A KR 6250 header loses parameter 4 (its measuring range) with
    // parameter 3; the refusals accept nothing, even with Yes.
    const std::string kr6250 = Build({.Id = "KR 6250", .Serial = "456", .P3 = "    10", .P4 = "    50"});
    std::string range = kr6250;
    presenter_.Answer(AnswerYes);
    EXPECT_TRUE(AskDataStringMessage(range, FieldParameter3, 25, "", "", ""));
    EXPECT_EQ(range, SetDataStringField(SetDataStringField(kr6250, FieldParameter3, ""), FieldParameter4, ""));
    for (const int16_t refusal : {20, 21, 22, 24}) {
        presenter_.Answer(AnswerYes);
        EXPECT_FALSE(AskDataStringMessage(h, FieldParameter2, refusal, "", "", "")) << refusal;
        EXPECT_EQ(h, header);
    }
}

TEST_F(MeasureChecks, StopCriteria)
{
    // count, CI of results 1 and 2, the answer, the boxes expected, terminate.
    struct Step {
        int count;
        float ci1, ci2;
        std::vector<int16_t> answers;
        std::vector<int16_t> asked;
        bool terminate;
    };
    const auto run = [&](const char* what, int16_t testCount, float presetCi1, float presetCi2,
                         const std::vector<Step>& steps) {
        TestDefinition d = MakeBlankTestDefinition();
        std::tie(d.TestCount, d.CI1, d.CI2) = std::tuple(testCount, presetCi1, presetCi2);
        bool countAsked = false;
        bool confidenceAsked = false;
        for (const Step& s : steps) {
            for (int16_t a : s.answers)
                presenter_.Answer(a);
            Statistics stats = MakeEmptyStatistics();
            std::tie(stats.Count, stats.CI1, stats.CI2) = std::tuple(s.count, s.ci1, s.ci2);
            EXPECT_EQ(CheckProtocolComplete(stats, d, countAsked, confidenceAsked), s.terminate) << what << s.count;
            std::vector<QString> asked;
            for (int16_t n : s.asked)
                asked.push_back(Box(n));
            EXPECT_EQ(Shown(), asked) << what << " " << s.count;
        }
    };
    const float none = NoValue;
    run("five tests", 5, none, none,
        {{4, 1, 1, {}, {}, false}, {5, 1, 1, {AnswerNo}, {36}, false}, {6, 1, 1, {}, {}, false},
         {1, 1, 1, {}, {}, false}, {5, 1, 1, {AnswerYes}, {36}, true}});
    // No preset number (0): only the 999th test ends the property, unasked.
    run("no preset number", 0, none, none, {{998, 1, 1, {}, {}, false}, {999, 1, 1, {}, {}, true}});
    run("interval", 10, 5, none,
        {{2, 1, 1, {}, {}, false}, {3, 6, 1, {}, {}, false}, {4, 4, 1, {AnswerNo}, {37}, false},
         {5, 4, 1, {}, {}, false}});
    // A result without an interval (pass/fail, missing in every test)
    // reaches nothing, nor does a missing preset.
    run("missing intervals", 10, 5, none, {{3, none, 1, {}, {}, false}});
    // No to 36 still lets 37 come with the same test.
    run("both", 3, 5, 2, {{3, 9, 1, {AnswerNo, AnswerYes}, {36, 37}, true}});
}

} // namespace
