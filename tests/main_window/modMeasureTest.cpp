// The checks of one measurement without a window: replies worked out by hand
// in their refusal order, the allowed range, the parameter questions and
// what an accepted one blanks, the new test and the stop criteria.
#include "main_window/modMeasure.h"

#include "foundation/modGeneral.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modCommunication.h"
#include "support/ScriptedPresenter.h"

#include <vector>

namespace {

using namespace std::string_literals;

class MeasureChecks : public DataStringFixture {
protected:
    // The texts of the boxes shown, in order.
    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const MessageRequest& r : presenter_.Shown)
            texts.push_back(r.Text);
        return texts;
    }
    static QString Box(int16_t number, const QVariantList& arguments = {})
    {
        return ComposeMessage(number, arguments, Language).Text;
    }
    ScriptedPresenter presenter_;
};

// A KR 6100-III reading (code 6) as the instrument sends it.
Fields Kr6100(const std::string& warning = " ", const std::string& flag = "0")
{
    return {.Id = "KR 6100", .Serial = "001", .Letter = "A", .P1 = "  20.0", .U1 = "#", .P2 = "   100", .U2 = "$",
            .Warning = warning, .R1 = "  12.5", .RU1 = "%", .Flag = flag};
}

std::string WithChecksumOff(std::string s)
{
    s[57] = static_cast<char>(s[57] + 1);
    return s;
}

TEST_F(MeasureChecks, RepliesAreRefusedInTheirOrder)
{
    const std::string good = Build(Kr6100());
    const std::string twice = good + good;   // 2n characters: length passes, the string does not
    // A D 7041 weighing that reads no number cannot be converted.
    const std::string dashes = "\x1E" "  X------    \r\n";
    const std::string expected = Build({.Id = "D  7041", .Letter = "W", .RU1 = ":"});
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
        {"n - 1", good.substr(1), 60, 6, 11, "", 14, "E3: Data string too short: " + QString::fromStdString(commHexText(good.substr(1)))},
        {"2n + 1", twice + "x", 60, 6, 11, "", 14, "E3: Data string too short: " + QString::fromStdString(commHexText(twice + "x"))},
        {"bare CR LF", "\r\n", 60, 6, 11, "", 14, "E3: Data string too short: 0D 0A"},
        {"2n", twice, 60, 6, 11, "", 14,
         "E2: Checksum error: " + QString::fromStdString(commHexText(twice.substr(0, 118) + "\r\n"))},
        {"checksum", WithChecksumOff(good), 60, 6, 11, "", 14,
         "E2: Checksum error: " + QString::fromStdString(commHexText(WithChecksumOff(good)))},
        {"a byte above 128", std::string(good).replace(20, 1, "\xE9"), 60, 6, 11, "", 14,
         "E2: Checksum error: " + QString::fromStdString(commHexText(std::string(good).replace(20, 1, "\xE9")))},
        {"unconvertible: the received bytes", dashes, 16, 2, 2, expected, 14,
         "E2: Checksum error: " + QString::fromStdString(commHexText(dashes))},
        {"another model", Build(Kr6100()), 60, 5, 11, "", 19, ""},
        {"warning of code 2", Build({.Id = "D  7041", .Warning = "-", .R1 = "   1.5", .RU1 = ":"}), 60, 2, 2, "", 14,
         "E1: Warning signal received"},
        {"warning of code 15", Build({.Id = "LLISTER", .Warning = "*", .R1 = "   1.5"}), 60, 15, 20, "", 14,
         "E1: Warning signal received"},
        {"warning of code 6 is kept", Build(Kr6100("+")), 60, 6, 11, "", 0, ""},
        {"sent before", Build(Kr6100(" ", "1")), 60, 6, 11, "", 16, ""},
        {"sent before, pressure drop", Build(Kr6100(" ", "1")), 60, 6, 17, "", 0, ""},
        {"accepted", good, 60, 6, 11, "", 0, ""},
    };
    for (const auto& row : rows) {
        const ReplyCheck check = CheckReply(row.reply, row.n, row.code, row.t, row.expected);
        EXPECT_EQ(check.Message, row.message) << row.what;
        EXPECT_EQ(check.Argument, row.argument) << row.what;
        if (row.message == 0) {
            EXPECT_EQ(check.Record, ParseDataString(row.reply)) << row.what;
        }
    }
    EXPECT_EQ(CheckReply(Build(Kr6100("+")), 60, 6, 11, "").Record.WarningSign, "+");
}

TEST_F(MeasureChecks, ModelsThatNameThemselvesOtherwise)
{
    // The KR 6410 answers in the older KR 6400 format with the device code
    // of its predecessor: "65" is put in, whatever it sent.
    const std::string old = "\x1E" "41" "  100" " " "A" " " "  12.5" "O" "\r\n";
    const ReplyCheck kr6410 = CheckReply(old, 20, 11, 16, "");
    EXPECT_EQ(kr6410.Message, 0);
    EXPECT_EQ(kr6410.Record.InstrumentCode, 11);
    EXPECT_EQ(kr6410.Record.Result, 12.5f);
    EXPECT_EQ(CheckReply(old, 20, 9, 16, "").Message, 14);

    // The KR 6400-IV names itself KR 6404 after the checks.
    const std::string kr6400 = Build({.Id = "KR 6400", .Serial = "1234", .Letter = "", .P1 = "   100", .U1 = "?", .R1 = "  12.5",
                                      .RU1 = "H"});
    const ReplyCheck iv = CheckReply(kr6400, 60, 16, 16, "");
    EXPECT_EQ(iv.Message, 0);
    EXPECT_EQ(iv.Text.substr(1, 7), "KR 6404");
    EXPECT_EQ(iv.Record.InstrumentCode, 16);
    EXPECT_EQ(CheckReply(kr6400, 60, 10, 16, "").Text.substr(1, 7), "KR 6400");

    // A typed value becomes the keyboard's data string.
    const std::string typed = KeyboardReply(QStringLiteral(" 12,5 "));
    EXPECT_EQ(typed, "\x1E" "00" "  12.5" "\r\n");
    EXPECT_EQ(KeyboardReply(QStringLiteral("1234567")), "\x1E" "00" "123456" "\r\n");
    EXPECT_EQ(KeyboardReply(QStringLiteral("  ")), "");
    const ReplyCheck keyboard = CheckReply(typed, 11, 1, 1, Build({.RU1 = "8"}));
    EXPECT_EQ(keyboard.Message, 0);
    EXPECT_EQ(keyboard.Record.Result, 12.5f);
    EXPECT_EQ(CheckReply("", 11, 1, 1, Build({.RU1 = "8"})).Message, 15);
    EXPECT_EQ(SwitchBoxChannel(0), "5");
    EXPECT_EQ(SwitchBoxChannel(5), "0");
}

TEST_F(MeasureChecks, ResultsInTheAllowedRange)
{
    const std::string passFail = UnitText(PassFailUnitCode, Language).toStdString();
    const struct { float r1; std::string unit1; float r2; float lateralAir; bool ok; } rows[] = {
        {0, "N", NoValue, NoValue, false},        {0.0001f, "N", NoValue, NoValue, true},
        {999999, "N", NoValue, NoValue, true},    {1000000, "N", NoValue, NoValue, false},
        {12, "N", 0, NoValue, false},             {12, "N", 999999, NoValue, true},
        {5.00005f, "N", NoValue, 5, false},       {5.0002f, "N", NoValue, 5, true},
        {1, passFail, NoValue, NoValue, true},    {0, passFail, NoValue, NoValue, true},
        {0, passFail, 0, NoValue, false},         {NoValue, "N", 3, NoValue, true},
        {-1, "N", NoValue, NoValue, false},
    };
    for (const auto& row : rows) {
        DataStringRecord rec;
        rec.Result = row.r1;
        rec.ResultUnit = QString::fromStdString(row.unit1);
        rec.Result2 = row.r2;
        EXPECT_EQ(ValuesInRange(rec, row.lateralAir), row.ok) << row.r1 << " " << row.r2 << " " << row.lateralAir;
    }
}

TEST_F(MeasureChecks, NewTestEntry)
{
    DataStringRecord rec = ParseDataString(Build(Kr6100("+")));
    rec.Result2 = 3;
    rec.Result2Unit = QStringLiteral("mm");
    const TestValue t = NewTestEntry(rec, 2.5f, "curve", 45000.5, QStringLiteral(" a "), QStringLiteral("b"),
                                     QStringLiteral(""));
    EXPECT_EQ(t.Value1, 10.0f);
    EXPECT_EQ(t.Unit1, "%");
    EXPECT_EQ(t.Value2, 3.0f);
    EXPECT_EQ(t.Unit2, "\"");
    EXPECT_EQ(t.Warning, '+');
    EXPECT_EQ(t.DataString, rec.Text);
    EXPECT_EQ(t.CurveFile, "curve");
    EXPECT_EQ(t.TestTime, 45000.5);
    EXPECT_EQ(t.K0006, "a");
    EXPECT_EQ(t.K0016, "b");
    EXPECT_FALSE(t.Deleted);

    // Without lateral air the result stays; a missing one stays missing.
    rec = ParseDataString(Build(Kr6100()));
    EXPECT_EQ(NewTestEntry(rec, NoValue, "", 0, {}, {}, {}).Value1, 12.5f);
    EXPECT_EQ(NewTestEntry(rec, NoValue, "", 0, {}, {}, {}).Warning, ' ');
    rec.Result = NoValue;
    EXPECT_EQ(NewTestEntry(rec, 2.5f, "", 0, {}, {}, {}).Value1, NoValue);
}

TEST_F(MeasureChecks, QuestionsAboutTheTestParameters)
{
    const DataStringRecord got = ParseDataString(Build({.Id = "KR 6401", .Serial = "457", .P1 = "   150", .U1 = "?",
                                                        .P2 = "    20", .U2 = ")", .P3 = "     5", .U3 = "$",
                                                        .P4 = "   200", .U4 = "H", .RU1 = "H", .RU2 = "?"}));
    const DataStringRecord want = ParseDataString(Build({.Id = "KR 6100", .Serial = "456", .P1 = "   100",
                                                         .U1 = "?", .P2 = "    10", .U2 = ")", .P3 = "     6",
                                                         .U3 = "$", .P4 = "   100", .U4 = "H", .RU1 = "8",
                                                         .RU2 = "\""}));
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
        {13, 16, 22, "", "Pa", "mm"},
        {14, 16, 0, "", "", ""},
    };
    for (const auto& row : rows) {
        const DeviationQuestion q = DataStringQuestion(row.field, row.t, got, want, labels);
        EXPECT_EQ(q.Message, row.message) << row.field;
        EXPECT_EQ(q.A, row.a) << row.field;
        EXPECT_EQ(q.B, row.b) << row.field;
        EXPECT_EQ(q.C, row.c) << row.field;
    }
    // Parameter 1 refuses for the types 10, 11 and 13 to 17, asks otherwise.
    for (int t = 1; t <= 20; ++t)
        EXPECT_EQ(DataStringQuestion(4, t, got, want, labels).Message,
                  IsInVariantArray(t, {10, 11, 13, 14, 15, 16, 17}) ? 24 : 25) << t;
}

TEST_F(MeasureChecks, AcceptedDeviationsAreBlankedAndNotAskedAgain)
{
    const std::string header = Build({.Id = "KR 6401", .Serial = "456", .P1 = "   100", .U1 = "?", .P2 = "    10",
                                      .U2 = ")", .RU1 = "H"});
    const std::string got = Build({.Id = "KR 6401", .Serial = "457", .P1 = "   100", .U1 = "?", .P2 = "    20",
                                   .U2 = ")", .RU1 = "H"});
    const std::array<QString, 5> labels = {QString(), QString(), QStringLiteral("Area:")};

    // No to the serial number refuses; the header stays.
    std::string h = header;
    presenter_.Answer(AnswerNo);
    EXPECT_FALSE(CheckDataStringValues(got, h, 9, labels));
    EXPECT_EQ(h, header);
    EXPECT_EQ(Texts(), std::vector<QString>{Box(23, {"", "457", "456"})});

    // Yes to both blanks serial number and parameter 2; then nothing is asked.
    presenter_.Shown.clear();
    presenter_.Answer(AnswerYes);
    presenter_.Answer(AnswerYes);
    EXPECT_TRUE(CheckDataStringValues(got, h, 9, labels));
    EXPECT_EQ(h, SetDataStringField(SetDataStringField(header, FieldSerialNumber, ""), FieldParameter2, ""));
    EXPECT_EQ(Texts(), (std::vector<QString>{Box(23, {"", "457", "456"}), Box(25, {"Area:", "20 cm²", "10 cm²"})}));
    presenter_.Shown.clear();
    EXPECT_TRUE(CheckDataStringValues(got, h, 9, labels));
    EXPECT_TRUE(presenter_.Shown.empty());

    // A refusing field comes first and ends the questions.
    presenter_.Shown.clear();
    const std::string otherUnit = Build({.Id = "KR 6401", .Serial = "457", .P1 = "   100", .U1 = "?",
                                         .P2 = "    10", .U2 = ")", .RU1 = "U"});
    h = header;
    EXPECT_FALSE(CheckDataStringValues(otherUnit, h, 9, labels));
    EXPECT_EQ(Texts(), std::vector<QString>{Box(22, {"", "l/m²/s", "mm/s"})});
    EXPECT_EQ(h, header);

    // A KR 6250 header loses parameter 4 with parameter 3, its measuring range;
    // the refusals 20, 21, 22 and 24 accept nothing even with Yes.
    const std::string kr6250 = Build({.Id = "KR 6250", .Serial = "456", .P3 = "    10", .P4 = "    50"});
    std::string range = kr6250;
    presenter_.Answer(AnswerYes);
    EXPECT_TRUE(AskDataStringMessage(range, FieldParameter3, 25, "", "", ""));
    EXPECT_EQ(range, SetDataStringField(SetDataStringField(kr6250, FieldParameter3, ""), FieldParameter4, ""));
    for (const int16_t refusal : {20, 21, 22, 24}) {
        std::string unchanged = header;
        presenter_.Answer(AnswerYes);
        EXPECT_FALSE(AskDataStringMessage(unchanged, FieldParameter2, refusal, "", "", "")) << refusal;
        EXPECT_EQ(unchanged, header);
    }
}

TEST_F(MeasureChecks, StopCriteria)
{
    struct Step {
        int count;
        float ci1, ci2;
        int16_t answer;     // 0: no question expected
        int16_t asked;      // the message expected
        bool terminate;
    };
    const auto run = [&](const char* what, TestDefinition d, std::vector<Step> steps) {
        bool countAsked = false;
        bool confidenceAsked = false;
        for (const Step& s : steps) {
            presenter_.Shown.clear();
            if (s.answer != 0)
                presenter_.Answer(s.answer);
            Statistics stats = MakeEmptyStatistics();
            stats.Count = s.count;
            stats.CI1 = s.ci1;
            stats.CI2 = s.ci2;
            EXPECT_EQ(CheckProtocolComplete(stats, d, countAsked, confidenceAsked), s.terminate)
                << what << " count " << s.count;
            const std::vector<QString> asked = s.asked != 0 ? std::vector<QString>{Box(s.asked)}
                                                            : std::vector<QString>{};
            EXPECT_EQ(Texts(), asked) << what << " count " << s.count;
        }
    };
    TestDefinition five = MakeBlankTestDefinition();
    five.TestCount = 5;
    five.CI1 = NoValue;
    five.CI2 = NoValue;
    run("five tests", five,
        {{4, 1, 1, 0, 0, false}, {5, 1, 1, AnswerNo, 36, false}, {6, 1, 1, 0, 0, false}, {1, 1, 1, 0, 0, false},
         {5, 1, 1, AnswerYes, 36, true}});

    TestDefinition none = MakeBlankTestDefinition();
    none.TestCount = 0;
    none.CI1 = NoValue;
    none.CI2 = NoValue;
    run("no preset number", none, {{1, 1, 1, 0, 0, false}, {998, 1, 1, 0, 0, false}, {999, 1, 1, 0, 0, true}});

    TestDefinition ci = five;
    ci.TestCount = 10;
    ci.CI1 = 5;
    run("interval of result 1", ci,
        {{2, 1, NoValue, 0, 0, false}, {3, 6, NoValue, 0, 0, false}, {4, 4, NoValue, AnswerNo, 37, false},
         {5, 4, NoValue, 0, 0, false}});
    // A result without an interval (pass/fail, or missing in every test)
    // reaches nothing; nor does a preset that is missing.
    run("no interval of the result", ci, {{3, NoValue, NoValue, 0, 0, false}, {3, NoValue, 1, 0, 0, false}});
    // No to 36 still lets 37 come with the same test.
    TestDefinition both = ci;
    both.TestCount = 3;
    both.CI2 = 2;
    bool countAsked = false;
    bool confidenceAsked = false;
    Statistics stats = MakeEmptyStatistics();
    stats.Count = 3;
    stats.CI1 = 9;
    stats.CI2 = 1;
    presenter_.Shown.clear();
    presenter_.Answer(AnswerNo);
    presenter_.Answer(AnswerYes);
    EXPECT_TRUE(CheckProtocolComplete(stats, both, countAsked, confidenceAsked));
    EXPECT_EQ(Texts(), (std::vector<QString>{Box(36), Box(37)}));
}

} // namespace
