// Q-DAS export: whole DFQ files compared with files worked out by hand.
#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "instrument/modStatistic.h"
#include "storage/modQDAS.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"

#include <QDir>

#include <algorithm>
#include <bit>
#include <limits>
#include <map>

namespace {

// Lines of a DFQ file as bytes, each ended by CR LF.
std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

std::string HeaderLines(int characteristics)
{
    return "K0100 " + std::to_string(characteristics) + "\r\n"
        + Lines({ "K1001 Airbag fabric 470 dtex, silico", "K1004 Lot 7", "K1008 ", "K1011 Roll 12 of the secon",
                  "K1031 V2", "K1032 BOM 4711", "K1086 3", "K1087 Assembly plan for the coated airbag fabr", "" });
}

// Series A: report form 2 "Airbag" with static air permeability (one result),
// pressure drop (two results, started in the same second), thread density on
// a "545" instrument, a lateral-air block, an empty block, and a block with
// statistics but no test type.
Protocol SeriesA()
{
    Protocol p = MakeEmptyProtocol();
    p.Style.Name = QStringLiteral("  Airbag fabric 470 dtex, silicone coated");
    p.Reference2 = QStringLiteral("Lot 7");
    p.Reference4 = QStringLiteral("Roll 12 of the second delivery");
    p.K1031 = QStringLiteral("V2");
    p.K1032 = QStringLiteral(" BOM 4711 ");
    p.K1086 = QStringLiteral("3");
    p.K1087 = QStringLiteral("Assembly plan for the coated airbag fabric 470");
    p.Operator = QStringLiteral("12");
    p.FormIndex = 2;
    ReportForm& form = p.Style.Forms[2];
    form.Name = QStringLiteral("Airbag");
    const int16_t items[] = { 16, 17, 15, 18, 4, 0 };
    for (int i = 1; i <= 6; ++i)
        form.Items[i].Property = items[i - 1];

    TestDefinition& air = p.Style.Tests[16];
    SetResult1(air, 100, 90, 110.5f, 5);
    air.HeaderImage = MakeDataString("KR 6420", "123", "U", " ");
    TestValue t1 = MakeTest(101.25f, "U", At(13, 7, 30));
    t1.K0006 = QStringLiteral("  Batch 1");
    t1.K0016 = QStringLiteral("Order 5");
    t1.K0053 = QStringLiteral("FA 9");
    t1.Commentary = QStringLiteral("first");
    TestValue t2 = MakeTest(50, "U", At(13, 7, 45));
    t2.Deleted = true;
    TestValue t3 = MakeTest(99.125f, "U", At(13, 8, 2));
    t3.K0006 = QStringLiteral("Batch 1 of the week 02");
    p.Blocks[1] = MakeBlock(air.HeaderImage, At(13, 7, 9), { t1, t2, t3 });

    TestDefinition& drop = p.Style.Tests[17];
    SetResult1(drop, 30, NoValue, NoValue, 10);
    drop.Defined2 = true;
    drop.Lower2 = 0.5f;
    drop.Upper2 = 0.75f;
    drop.HeaderImage = MakeDataString("KR 6420", "123", "?", " ");
    p.Blocks[2] = MakeBlock(drop.HeaderImage, At(13, 7, 9),
                            { MakeTest(31.5f, "?", At(13, 9, 0), 0.625f, " "), MakeTest(28, "?", At(13, 10, 0)) });

    TestDefinition& density = p.Style.Tests[15];
    SetResult1(density, 20, 18, 22, 3);
    density.HeaderImage = MakeDataString("KR 6250", "545", "p", " ");
    p.Blocks[3] = MakeBlock(density.HeaderImage, At(14, 0, 0), { MakeTest(19.996f, "p", At(14, 0, 5)) });

    // Lateral air: not exported.
    p.Blocks[4] = MakeBlock(MakeDataString("KR 6450", "777", "Y", " "), At(15, 0, 0),
                            { MakeTest(3, "Y", At(15, 0, 1), 1, " ") });
    p.Blocks[4].LateralAirOn = true;

    // Block 5 stays empty; block 6 has statistics but no test type.
    p.Blocks[6] = MakeBlock("", At(16, 0, 0), { MakeTest(1, "U", At(16, 0, 1)) });
    return p;
}

// One line of the source per characteristic and per value group.
const std::string FileA1 = HeaderLines(1) + Lines({
    "K2090/1 Airbag", "K2101/1 100.00", "K2110/1 90.00", "K2111/1 110.50", "K2142/1 l/m\xB2/s", "K8500/1 5", "",
    "K0001/1 101.25", "K0004/1 2024-01-05/13:07:30", "K0006/1 Batch 1", "K0008/1 12", "K0009/1 first",
        "K0012/1 18", "K0016/1 Order 5", "K0053/1 FA 9", "",
    "K0001/1 99.13", "K0004/1 2024-01-05/13:08:02", "K0006/1 Batch 1 of the", "K0008/1 12", "K0009/1 ",
        "K0012/1 18", "K0016/1 ", "K0053/1 ", "",
});

// One value group of the pressure-drop property of series A: operator 12,
// instrument number 0, the other fields empty. A missing value is marked by
// K0002 256 behind a K0001 of 0.00.
std::string Group(const char* c, const char* value, const char* time)
{
    const std::string k = std::string("/") + c + " ";
    std::string lines = value ? "K0001" + k + value + "\r\n" : "K0001" + k + "0.00\r\nK0002" + k + "256\r\n";
    return lines + "K0004" + k + "2024-01-05/" + time + "\r\nK0006" + k + "\r\nK0008" + k + "12\r\nK0009" + k
        + "\r\nK0012" + k + "0\r\nK0016" + k + "\r\nK0053" + k + "\r\n\r\n";
}

// Unset nominal and limits are left out; the second test has no second value
// and keeps its group, marked as missing.
const std::string FileA2 = HeaderLines(2) + Lines({
    "K2090/1 Airbag - PD", "K2101/1 30.00", "K2142/1 Pa", "K8500/1 10", "",
    "K2090/2 Airbag - Exponent", "K2110/2 0.50", "K2111/2 0.75", "K2142/2 ", "K8500/2 10", "",
}) + Group("1", "31.50", "13:09:00") + Group("2", "0.63", "13:09:00")
   + Group("1", "28.00", "13:10:00") + Group("2", nullptr, "13:10:00");

const std::string FileA3 = HeaderLines(1) + Lines({
    "K2090/1 Airbag", "K2101/1 20.00", "K2110/1 18.00", "K2111/1 22.00", "K2142/1 /cm", "K8500/1 3", "",
    "K0001/1 20.00", "K0004/1 2024-01-05/14:00:05", "K0006/1 ", "K0008/1 12", "K0009/1 ",
        "K0012/1 26", "K0016/1 ", "K0053/1 ", "",
});

class QdasTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        QDASFolder = Data;
    }
    std::string Dfq(const char* name) const { return ReadFileBytes(Data + u'/' + QLatin1String(name)); }
    QStringList DfqNames() const { return QDir(Data).entryList(QDir::Files, QDir::Name); }
};

TEST(QdasFileName, FromTheStartDate)
{
    EXPECT_EQ(qdasFileName(At(13, 7, 9), QStringLiteral("DFQ")), QStringLiteral("20240105_130709.DFQ"));
    EXPECT_EQ(qdasFileName(At(13, 7, 9), QStringLiteral(".dfq")), QStringLiteral("20240105_130709.dfq"));
    EXPECT_EQ(qdasFileName(DateSerial(1999, 12, 31), QStringLiteral("DFQ")), QStringLiteral("19991231_000000.DFQ"));
}

TEST_F(QdasTest, WholeSeriesGivesOneFilePerExportedPropertyWhateverTheLocale)
{
    for (const char* separator : { ".", "," }) {
        SCOPED_TRACE(separator);
        DecimalSeparator = QLatin1String(separator);
        ASSERT_TRUE(QDir(Data).removeRecursively() && QDir().mkpath(Data));
        ASSERT_TRUE(qdasExportTestReport(SeriesA()));
        // The lateral-air block, the empty block and the block without a test
        // type give no file; the second property started in the same second as
        // the first gets the next second.
        EXPECT_EQ(DfqNames(), QStringList({ QStringLiteral("20240105_130709.DFQ"),
                                            QStringLiteral("20240105_130710.DFQ"),
                                            QStringLiteral("20240105_140000.DFQ") }));
        EXPECT_EQ(Dfq("20240105_130709.DFQ"), FileA1);
        EXPECT_EQ(Dfq("20240105_130710.DFQ"), FileA2);
        EXPECT_EQ(Dfq("20240105_140000.DFQ"), FileA3);
    }
}

TEST_F(QdasTest, OperatorAndInstrumentNumbers)
{
    Protocol p = SeriesA();
    p.Operator = QStringLiteral("Smith");
    p.Style.Forms[2].Items[1].Property = 18;   // dynamic air permeability
    p.Style.Tests[18].HeaderImage = MakeDataString("KR 6450", "777", "Y", " ");
    p.Blocks[3].Header = MakeDataString("KR 6250", "123", "p", " ");   // not the "545" instrument

    const QdasCharacteristic dynamic = qdasFillCharacteristic(18, 1, p, p.Blocks[1]);
    ASSERT_EQ(dynamic.Values.size(), 3u);   // element 0 and the two tests not deleted
    EXPECT_EQ(dynamic.Values[1].K0012, 19);
    EXPECT_EQ(dynamic.Values[1].K0008, 0);
    EXPECT_EQ(dynamic.K2090, QStringLiteral("Airbag - ADAP"));
    EXPECT_EQ(qdasFillCharacteristic(15, 1, p, p.Blocks[3]).Values[1].K0012, 30);
    EXPECT_EQ(qdasFillCharacteristic(9, 1, p, p.Blocks[3]).Values[1].K0012, 0);

    const struct {
        const char* operatorText;
        int32_t number;
    } cases[] = { { "12", 12 }, { "  7 ", 7 }, { "123456789", 123456789 }, { "1234567890", 0 },
                  { "Smith", 0 }, { "", 0 }, { "12a", 0 } };
    for (const auto& c : cases) {
        p.Operator = QString::fromLatin1(c.operatorText);
        EXPECT_EQ(qdasFillCharacteristic(16, 1, p, p.Blocks[1]).Values[1].K0008, c.number)
            << c.operatorText;
    }
}

TEST_F(QdasTest, AMissingValueKeepsItsGroupSoTestsStayPaired)
{
    // Result 1 or result 2 missing (NoValue, a NaN stored as 00 00 C0 7F, an
    // infinity): every test keeps its place in both characteristics.
    const float nan = std::bit_cast<float>(0x7FC00000u);
    Protocol p = SeriesA();
    p.Blocks[2].Values.resize(1);
    const std::pair<float, float> values[] = {
        {31.5f, 0.625f}, {NoValue, 0.5f}, {28, NoValue}, {nan, 0.75f}, {27, std::numeric_limits<float>::infinity()}};
    int minute = 9;
    for (const auto& [value1, value2] : values)
        p.Blocks[2].Values.push_back(MakeTest(value1, "?", At(13, minute++, 0), value2, " "));
    const std::string expected = FileA2.substr(0, FileA2.find("K0001/1"))
        + Group("1", "31.50", "13:09:00") + Group("2", "0.63", "13:09:00")
        + Group("1", nullptr, "13:10:00") + Group("2", "0.50", "13:10:00")
        + Group("1", "28.00", "13:11:00") + Group("2", nullptr, "13:11:00")
        + Group("1", nullptr, "13:12:00") + Group("2", "0.75", "13:12:00")
        + Group("1", "27.00", "13:13:00") + Group("2", nullptr, "13:13:00");
    const QString pairs = qdasPutTestReportAction(Data, At(15), qdasFileOfProperty(p, 2));
    ASSERT_EQ(pairs, QStringLiteral("20240105_150000.DFQ"));
    const std::string written = ReadFileBytes(Data + u'/' + pairs);
    EXPECT_EQ(written, expected);
    for (const char* stray : {"-3.4", "nan", "inf", "340282"})
        EXPECT_EQ(written.find(stray), std::string::npos) << stray;

    // The same from a stored report whose first value reads back as a NaN.
    int replaced = 0;
    const Protocol stored = StoredWithNaN(SeriesA(), 101.25f, Data, replaced);
    ASSERT_EQ(replaced, 1);
    std::string expectedA1 = FileA1;
    expectedA1.replace(expectedA1.find("K0001/1 101.25\r\n"), 16, "K0001/1 0.00\r\nK0002/1 256\r\n");
    EXPECT_EQ(ToCp1252(qdasFileText(qdasFileOfProperty(stored, 1))), expectedA1);

    // All tests deleted: the header and the characteristic only.
    for (size_t i = 1; i < p.Blocks[3].Values.size(); ++i)
        p.Blocks[3].Values[i].Deleted = true;
    EXPECT_EQ(ToCp1252(qdasFileText(qdasFileOfProperty(p, 3))), FileA3.substr(0, FileA3.find("K0001/1")));
}

TEST_F(QdasTest, OnlyTheLimitsTheStyleDefinesAreExported)
{
    // A style without limits: the main window shows a band derived from the
    // mean in the series' copy of the style, but its Defined flags stay off.
    Protocol p = SeriesA();
    TestDefinition& air = p.Style.Tests[16];
    air = MakeBlankTestDefinition();
    air.TestCount = 5;
    air.HeaderImage = MakeDataString("KR 6420", "123", "U", " ");
    Statistics mean = MakeStatistics(2);
    mean.Mean1 = 100.1875f;
    DefaultLimitsFromMean(mean, air);
    ASSERT_EQ(air.Nominal1, 100.1875f);
    ASSERT_FALSE(air.Defined1);
    // Result 1 of the pressure drop defined with a damaged upper limit,
    // result 2 carrying limits without its flag.
    TestDefinition& drop = p.Style.Tests[17];
    drop.Upper1 = std::bit_cast<float>(0x7FC00000u);
    drop.Defined2 = false;
    const std::string text1 = ToCp1252(qdasFileText(qdasFileOfProperty(p, 1)));
    EXPECT_EQ(text1.substr(0, text1.find("K0001/1")),
              HeaderLines(1) + Lines({ "K2090/1 Airbag", "K2142/1 l/m\xB2/s", "K8500/1 5", "" }));
    const std::string text2 = ToCp1252(qdasFileText(qdasFileOfProperty(p, 2)));
    const std::string expected2 = HeaderLines(2) + Lines({ "K2090/1 Airbag - PD", "K2101/1 30.00", "K2142/1 Pa",
        "K8500/1 10", "", "K2090/2 Airbag - Exponent", "K2142/2 ", "K8500/2 10", "" });
    EXPECT_EQ(text2.substr(0, text2.find("K0001/1")), expected2);
    EXPECT_EQ(qdasFillCharacteristic(17, 2, p, p.Blocks[2]).K2110, NoValue);
}

TEST_F(QdasTest, NothingToExportWritesNothing)
{
    EXPECT_TRUE(qdasExportTestReport(MakeEmptyProtocol()));
    EXPECT_TRUE(DfqNames().isEmpty());
    for (int property = 4; property <= 6; ++property)
        EXPECT_EQ(qdasFileOfProperty(SeriesA(), property).K0100, 0) << property;
    EXPECT_EQ(qdasFileOfProperty(SeriesA(), 2).K0100, 2);
}

TEST_F(QdasTest, AnExistingFileOrFolderNameMovesOnBySeconds)
{
    WriteFileBytes(Data + QStringLiteral("/20240105_140000.DFQ"), "old");
    ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("20240105_130709.DFQ")));
    EXPECT_EQ(qdasFreeFileName(Data, At(14, 0, 0), QStringLiteral("DFQ")), QStringLiteral("20240105_140001.DFQ"));
    ASSERT_TRUE(qdasExportTestReport(SeriesA()));
    EXPECT_EQ(Dfq("20240105_130710.DFQ"), FileA1);
    EXPECT_EQ(Dfq("20240105_130711.DFQ"), FileA2);
    EXPECT_EQ(Dfq("20240105_140000.DFQ"), "old");
    EXPECT_EQ(Dfq("20240105_140001.DFQ"), FileA3);
}

// A Q-DAS folder that cannot be reached: the program folder takes the DFQ
// files, told once until a file reaches the folder again; the setting keeps
// naming it, so the next export goes there once it is back.
TEST_F(QdasTest, AFolderThatCannotBeReachedIsStoodInForAndKept)
{
    const QString away = Data + QStringLiteral("/gone");
    const QString told = QStringLiteral("The Q-DAS folder cannot be reached:\r\n") + away
        + QStringLiteral("\r\nThe DFQ files are saved into the program folder until it can be reached again:\r\n")
        + Program;
    Language = 2;
    qdasForgetFolderAwayTold();
    QDASFolder = away;
    ASSERT_TRUE(qdasExportTestReport(SeriesA()));
    EXPECT_EQ(QDASFolder, away);
    EXPECT_EQ(ReadFileBytes(Program + QStringLiteral("/20240105_130709.DFQ")), FileA1);
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, told);

    ASSERT_TRUE(QDir().mkpath(away));
    const QString name = qdasPutTestReportAction(QDASFolder, At(15), qdasFileOfProperty(SeriesA(), 3));
    EXPECT_EQ(name, QStringLiteral("20240105_150000.DFQ"));
    EXPECT_EQ(ReadFileBytes(away + u'/' + name), FileA3);

    QDASFolder = QStringLiteral("C:\\QDAS");   // a Windows path from an old settings file
    EXPECT_EQ(qdasPutTestReportAction(QDASFolder, At(16), qdasFileOfProperty(SeriesA(), 3)),
              QStringLiteral("20240105_160000.DFQ"));
    EXPECT_EQ(QDASFolder, QStringLiteral("C:\\QDAS"));
    EXPECT_EQ(ReadFileBytes(Program + QStringLiteral("/20240105_160000.DFQ")), FileA3);
    EXPECT_EQ(Presenter.Shown.size(), 2u);
}

TEST_F(QdasTest, AFailedWriteIsLoggedForEachFile)
{
    ReadOnlyFolder locked(Data);
    if (!locked.Active())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    EXPECT_FALSE(qdasExportTestReport(SeriesA()));
    EXPECT_TRUE(DfqNames().isEmpty());
    // Each of the three files was tried and logged.
    EXPECT_EQ(LogLines().size(), 3);
    EXPECT_EQ(LogLinesWith(QStringLiteral("qdasPutTestReportAct\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t70\t")), 3);
}

TEST_F(QdasTest, AFullDiskLeavesNoPartOfAFile)
{
    // Writes past one byte less than the smallest of the three files fail
    // (EFBIG) as on a full disk; the log lines still fit.
    const long limit = static_cast<long>(std::min({FileA1.size(), FileA2.size(), FileA3.size()})) - 1;
    ASSERT_GT(limit, 300);
    int result = RunWithFileSizeLimit(limit, [] { return qdasExportTestReport(SeriesA()) ? 1 : 0; });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);
    // No file cut short for a receiver to take, no temporary file either.
    EXPECT_TRUE(QDir(Data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_EQ(LogLinesWith(QStringLiteral("qdasPutTestReportAct\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t61\t")), 3);
    EXPECT_EQ(LogLines().size(), 3);

    // A file of the name that is there already stays as it was.
    WriteFileBytes(Data + QStringLiteral("/20240105_150000.DFQ"), "earlier");
    result = RunWithFileSizeLimit(limit, [&] {
        return qdasPutTestReportAction(Data, At(15), qdasFileOfProperty(SeriesA(), 3)).isEmpty() ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(DfqNames(), QStringList{QStringLiteral("20240105_150000.DFQ")});
    EXPECT_EQ(Dfq("20240105_150000.DFQ"), "earlier");
}

TEST_F(QdasTest, OnAShareWithoutLinksEachFileIsWholeUnderAFreeNameWhereverItsExportIsKilled)
{
    // A share that neither links nor renames without replacing (smbnetfs):
    // each file under its own free name whole, or not at all (or, cut short
    // between its name's exclusive creation and its bytes, empty: no
    // receiver takes that for a series); the file of the taken name stays.
    ShareWithoutLinks share(QFile::encodeName(Data).constData());
    const std::map<QString, std::string> whole = {{QStringLiteral("20240105_130709.DFQ"), FileA1},
                                                  {QStringLiteral("20240105_130711.DFQ"), FileA2},
                                                  {QStringLiteral("20240105_140000.DFQ"), FileA3}};
    const auto prepare = [&] {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        WriteFileBytes(Data + QStringLiteral("/20240105_130710.DFQ"), "another seat's");
    };
    const auto check = [&](int) {
        ASSERT_EQ(Dfq("20240105_130710.DFQ"), "another seat's");
        for (const QString& name : DfqNames()) {
            if (name == QStringLiteral("20240105_130710.DFQ"))
                continue;
            ASSERT_TRUE(whole.count(name)) << name.toStdString();
            const std::string bytes = ReadFileBytes(Data + u'/' + name);
            ASSERT_TRUE(bytes.empty() || bytes == whole.at(name)) << name.toStdString();
        }
    };
    const int kills = KillBeforeEachFileCall(prepare, [] { return qdasExportTestReport(SeriesA()) ? 0 : 1; }, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GT(kills, 6);
    // The run that went through: all three whole, no temporary file left.
    for (const auto& [name, bytes] : whole)
        EXPECT_EQ(ReadFileBytes(Data + u'/' + name), bytes) << name.toStdString();
    EXPECT_EQ(QDir(Data).entryList(QDir::Files | QDir::Hidden).size(), 4u);
}

} // namespace
