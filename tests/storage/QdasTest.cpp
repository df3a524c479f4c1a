#include "SeriesBuilder.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "storage/modQDAS.h"
#include "support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

double At(int hour, int minute, int second)
{
    return DateSerial(2024, 1, 5) + TimeSerial(hour, minute, second);
}

// Lines of a DFQ file as bytes, each ended by CR LF.
std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

const std::initializer_list<const char*> HeaderA = {
    "K1001 Airbag fabric 470 dtex, silico",
    "K1004 Lot 7",
    "K1008 ",
    "K1011 Roll 12 of the secon",
    "K1031 V2",
    "K1032 BOM 4711",
    "K1086 3",
    "K1087 Assembly plan for the coated airbag fabr",
    "",
};

std::string HeaderLines(int characteristics)
{
    std::string text = "K0100 " + std::to_string(characteristics) + "\r\n";
    for (const char* line : HeaderA)
        text += std::string(line) + "\r\n";
    return text;
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
    form.Items[1].Property = 16;
    form.Items[2].Property = 17;
    form.Items[3].Property = 15;
    form.Items[4].Property = 18;
    form.Items[5].Property = 4;
    form.Items[6].Property = 0;

    TestDefinition& air = p.Style.Tests[16];
    air.Nominal1 = 100;
    air.Lower1 = 90;
    air.Upper1 = 110.5f;
    air.TestCount = 5;
    air.HeaderImage = MakeDataString("KR 6420", "123", "U", " ");
    PropertyBlock& b1 = p.Blocks[1];
    b1.Header = air.HeaderImage;
    b1.Stats = SomeStatistics();
    b1.StartDate = At(13, 7, 9);
    TestValue t1 = MakeTest(101.25f, "U", NoValue, " ", At(13, 7, 30));
    t1.K0006 = QStringLiteral("  Batch 1");
    t1.K0016 = QStringLiteral("Order 5");
    t1.K0053 = QStringLiteral("FA 9");
    t1.Commentary = QStringLiteral("first");
    TestValue t2 = MakeTest(50, "U", NoValue, " ", At(13, 7, 45));
    t2.Deleted = true;
    TestValue t3 = MakeTest(99.125f, "U", NoValue, " ", At(13, 8, 2));
    t3.K0006 = QStringLiteral("Batch 1 of the week 02");
    b1.Values = { MakeEmptyTestValue(), t1, t2, t3 };

    TestDefinition& drop = p.Style.Tests[17];
    drop.Nominal1 = 30;
    drop.Lower2 = 0.5f;
    drop.Upper2 = 0.75f;
    drop.TestCount = 10;
    drop.HeaderImage = MakeDataString("KR 6420", "123", "?", " ");
    PropertyBlock& b2 = p.Blocks[2];
    b2.Header = drop.HeaderImage;
    b2.Stats = SomeStatistics();
    b2.StartDate = At(13, 7, 9);
    b2.Values = { MakeEmptyTestValue(), MakeTest(31.5f, "?", 0.625f, " ", At(13, 9, 0)),
                  MakeTest(28, "?", NoValue, " ", At(13, 10, 0)) };

    TestDefinition& density = p.Style.Tests[15];
    density.Nominal1 = 20;
    density.Lower1 = 18;
    density.Upper1 = 22;
    density.TestCount = 3;
    density.HeaderImage = MakeDataString("KR 6250", "545", "p", " ");
    PropertyBlock& b3 = p.Blocks[3];
    b3.Header = density.HeaderImage;
    b3.Stats = SomeStatistics();
    b3.StartDate = At(14, 0, 0);
    b3.Values = { MakeEmptyTestValue(), MakeTest(19.996f, "p", NoValue, " ", At(14, 0, 5)) };

    PropertyBlock& b4 = p.Blocks[4];   // lateral air: not exported
    b4.Header = MakeDataString("KR 6450", "777", "Y", " ");
    b4.Stats = SomeStatistics();
    b4.LateralAirOn = true;
    b4.StartDate = At(15, 0, 0);
    b4.Values = { MakeEmptyTestValue(), MakeTest(3, "Y", 1, " ", At(15, 0, 1)) };

    // Block 5 stays empty; block 6 has statistics but no test type.
    p.Blocks[6].Stats = SomeStatistics();
    p.Blocks[6].StartDate = At(16, 0, 0);
    p.Blocks[6].Values = { MakeEmptyTestValue(), MakeTest(1, "U", NoValue, " ", At(16, 0, 1)) };
    return p;
}

const std::string FileA1 = HeaderLines(1) + Lines({
    "K2090/1 Airbag",
    "K2101/1 100.00",
    "K2110/1 90.00",
    "K2111/1 110.50",
    "K2142/1 l/m\xB2/s",
    "K8500/1 5",
    "",
    "K0001/1 101.25",
    "K0004/1 2024-01-05/13:07:30",
    "K0006/1 Batch 1",
    "K0008/1 12",
    "K0009/1 first",
    "K0012/1 18",
    "K0016/1 Order 5",
    "K0053/1 FA 9",
    "",
    "K0001/1 99.13",
    "K0004/1 2024-01-05/13:08:02",
    "K0006/1 Batch 1 of the",
    "K0008/1 12",
    "K0009/1 ",
    "K0012/1 18",
    "K0016/1 ",
    "K0053/1 ",
    "",
});

// Unset nominal and limits are left out; the second test has no second value.
const std::string FileA2 = HeaderLines(2) + Lines({
    "K2090/1 Airbag - PD",
    "K2101/1 30.00",
    "K2142/1 Pa",
    "K8500/1 10",
    "",
    "K2090/2 Airbag - Exponent",
    "K2110/2 0.50",
    "K2111/2 0.75",
    "K2142/2 ",
    "K8500/2 10",
    "",
    "K0001/1 31.50",
    "K0004/1 2024-01-05/13:09:00",
    "K0006/1 ",
    "K0008/1 12",
    "K0009/1 ",
    "K0012/1 0",
    "K0016/1 ",
    "K0053/1 ",
    "",
    "K0001/2 0.63",
    "K0004/2 2024-01-05/13:09:00",
    "K0006/2 ",
    "K0008/2 12",
    "K0009/2 ",
    "K0012/2 0",
    "K0016/2 ",
    "K0053/2 ",
    "",
    "K0001/1 28.00",
    "K0004/1 2024-01-05/13:10:00",
    "K0006/1 ",
    "K0008/1 12",
    "K0009/1 ",
    "K0012/1 0",
    "K0016/1 ",
    "K0053/1 ",
    "",
});

const std::string FileA3 = HeaderLines(1) + Lines({
    "K2090/1 Airbag",
    "K2101/1 20.00",
    "K2110/1 18.00",
    "K2111/1 22.00",
    "K2142/1 /cm",
    "K8500/1 3",
    "",
    "K0001/1 20.00",
    "K0004/1 2024-01-05/14:00:05",
    "K0006/1 ",
    "K0008/1 12",
    "K0009/1 ",
    "K0012/1 26",
    "K0016/1 ",
    "K0053/1 ",
    "",
});

class QdasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedLanguage = Language;
        m_savedFolder = QDASFolder;
        m_savedSeparator = DecimalSeparator;
        Language = 2;
        DecimalSeparator = QStringLiteral(".");
        QDASFolder = m_qdas.path();
        SetProgramFolder(m_home.path());
    }
    void TearDown() override
    {
        Language = m_savedLanguage;
        QDASFolder = m_savedFolder;
        DecimalSeparator = m_savedSeparator;
        SetProgramFolder(QString());
    }
    static std::string ReadBytes(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return "<missing " + path.toStdString() + ">";
        const QByteArray bytes = f.readAll();
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    std::string Dfq(const char* name) const { return ReadBytes(m_qdas.path() + u'/' + QLatin1String(name)); }
    QStringList DfqNames() const { return QDir(m_qdas.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir m_qdas;
    QTemporaryDir m_home;
    int16_t m_savedLanguage = 0;
    QString m_savedFolder;
    QString m_savedSeparator;
};

TEST_F(QdasTest, FileNameFromTheStartDate)
{
    EXPECT_EQ(qdasFileName(At(13, 7, 9), QStringLiteral("DFQ")), QStringLiteral("20240105_130709.DFQ"));
    EXPECT_EQ(qdasFileName(At(13, 7, 9), QStringLiteral(".dfq")), QStringLiteral("20240105_130709.dfq"));
    EXPECT_EQ(qdasFileName(DateSerial(1999, 12, 31) + TimeSerial(0, 0, 0), QStringLiteral("DFQ")),
              QStringLiteral("19991231_000000.DFQ"));
}

TEST_F(QdasTest, WholeSeriesGivesOneFilePerExportedProperty)
{
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

TEST_F(QdasTest, NumbersUseThePointWhateverTheLocale)
{
    DecimalSeparator = QStringLiteral(",");
    ASSERT_TRUE(qdasExportTestReport(SeriesA()));
    EXPECT_EQ(Dfq("20240105_130709.DFQ"), FileA1);
    EXPECT_EQ(Dfq("20240105_130710.DFQ"), FileA2);
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

TEST_F(QdasTest, AllTestsDeletedGivesHeaderAndCharacteristicOnly)
{
    Protocol p = SeriesA();
    for (size_t i = 1; i < p.Blocks[3].Values.size(); ++i)
        p.Blocks[3].Values[i].Deleted = true;
    const QdasFile file = qdasFileOfProperty(p, 3);
    EXPECT_EQ(ToCp1252(qdasFileText(file)), FileA3.substr(0, FileA3.find("K0001/1")));
}

TEST_F(QdasTest, AMissingFirstValueLeavesOnlyTheSecondGroup)
{
    Protocol p = SeriesA();
    p.Blocks[2].Values.resize(2);
    p.Blocks[2].Values[1].Value1 = NoValue;
    const std::string text = ToCp1252(qdasFileText(qdasFileOfProperty(p, 2)));
    // The value lines are the second group of the first test in FileA2 alone.
    const size_t group2 = FileA2.find("K0001/2");
    const std::string expected = FileA2.substr(group2, FileA2.find("K0001/1 28.00") - group2);
    EXPECT_EQ(text.substr(text.find("K0001/")), expected);
}

TEST_F(QdasTest, NothingToExportWritesNothing)
{
    Protocol p = MakeEmptyProtocol();
    EXPECT_TRUE(qdasExportTestReport(p));
    EXPECT_TRUE(DfqNames().isEmpty());
    EXPECT_EQ(qdasFileOfProperty(SeriesA(), 4).K0100, 0);
    EXPECT_EQ(qdasFileOfProperty(SeriesA(), 5).K0100, 0);
    EXPECT_EQ(qdasFileOfProperty(SeriesA(), 6).K0100, 0);
    EXPECT_EQ(qdasFileOfProperty(SeriesA(), 2).K0100, 2);
}

TEST_F(QdasTest, AnExistingNameMovesOnBySeconds)
{
    QFile old(m_qdas.path() + QStringLiteral("/20240105_140000.DFQ"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_EQ(qdasFreeFileName(m_qdas.path(), At(14, 0, 0), QStringLiteral("DFQ")),
              QStringLiteral("20240105_140001.DFQ"));
    ASSERT_TRUE(qdasExportTestReport(SeriesA()));
    EXPECT_EQ(Dfq("20240105_140000.DFQ"), "old");
    EXPECT_EQ(Dfq("20240105_140001.DFQ"), FileA3);
}

TEST_F(QdasTest, MissingFolderFallsBackToTheProgramFolder)
{
    QDASFolder = m_qdas.path() + QStringLiteral("/gone");
    ASSERT_TRUE(qdasExportTestReport(SeriesA()));
    EXPECT_EQ(QDASFolder, m_home.path());
    EXPECT_EQ(ReadBytes(m_home.path() + QStringLiteral("/20240105_130709.DFQ")), FileA1);

    QDASFolder = QStringLiteral("C:\\QDAS");   // a Windows path from an old settings file
    EXPECT_TRUE(qdasPutTestReportAction(QDASFolder, QStringLiteral("X.DFQ"), qdasFileOfProperty(SeriesA(), 3)));
    EXPECT_EQ(QDASFolder, m_home.path());
    EXPECT_EQ(ReadBytes(m_home.path() + QStringLiteral("/X.DFQ")), FileA3);
}

TEST_F(QdasTest, AFailedWriteIsLoggedForEachFile)
{
    ReadOnlyFolder locked(m_qdas.path());
    if (!locked.Active())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    EXPECT_FALSE(qdasExportTestReport(SeriesA()));
    EXPECT_TRUE(DfqNames().isEmpty());
    // Each of the three files was tried and logged.
    const std::string log = ReadBytes(m_home.path() + QStringLiteral("/QUINTARA.LOG"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
    EXPECT_NE(log.find("\tqdasPutTestReportAct\t8.0\t70\t"), std::string::npos) << log;
}

TEST_F(QdasTest, AFolderOfTheSameNameIsPassedBy)
{
    ASSERT_TRUE(QDir(m_qdas.path()).mkdir(QStringLiteral("20240105_130709.DFQ")));
    ASSERT_TRUE(qdasExportTestReport(SeriesA()));
    EXPECT_EQ(Dfq("20240105_130710.DFQ"), FileA1);
    EXPECT_EQ(Dfq("20240105_130711.DFQ"), FileA2);
}

} // namespace
