#include "StorageTest.h"
#include "support/ChildProcess.h"
#include "support/LocaleFixture.h"
#include "support/ReadOnlyFolder.h"

#include "curves/modABTCurve.h"
#include "foundation/OldRecords.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/modDataString.h"
#include "platform/BinaryIO.h"
#include "platform/Conversions.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "storage/modDisk.h"
#include "storage/modMigration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <map>
#include <tuple>
#include <vector>

namespace {

// Cut or padded after the text.
std::string Left(const std::string& text, std::size_t width)
{
    std::string s = text.substr(0, width);
    s.resize(width, ' ');
    return s;
}

// Padded before the text, as the old program wrote its numbers.
std::string Right(const std::string& text, std::size_t width)
{
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// One line of an old text file up to position 102: kind, ten digits of the
// date, style, references 2 and 3, operator, number of tests, mode, eight
// characters that are not read. The number fields follow from 103.
std::string LineHead(char kind, const std::string& stamp, const std::string& style, const std::string& count,
                     const std::string& mode)
{
    return std::string(1, kind) + stamp + Left(style, 20) + Left("Lot 7", 20) + Left("Roll 2", 20)
        + Left("Meier", 20) + count + mode + "xxxxxxxx";
}

// A line of one test (Chr(30)): result 1, result 2, CV 1 and 2.
std::string TestLine(const std::string& stamp, const std::string& style, const std::string& count,
                     const std::string& mode, const std::string& result1, const std::string& result2 = "")
{
    return LineHead('\x1E', stamp, style, count, mode) + Right(result1, 10) + Right(result2, 10) + Right("", 10);
}

// The lines of an old text file, each ended by CR LF.
std::string TextFile(std::initializer_list<std::string> lines)
{
    std::string file;
    for (const std::string& line : lines)
        file += line + "\r\n";
    return file;
}

// An old KR 6450 string of 41 characters: pressure 500 (50 kPa), volume 400,
// end and start pressures 100 and 300, result 12.5 mm/s, result 2 3.25,
// serial 123, CR LF at 40.
const std::string OldKr6450String =
    "\x1E" "66" "  500" "  " " " " 400" " 100" " 300" "  12.5" " " " 3.25" "0" "123" "\r\n";

// An old curve file of 3138 bytes: the string, the factors at 52 and 54,
// the four texts of the head record, then the three blocks whose values
// count up from their first.
std::string OldCurveBytes(const std::string& style, int16_t factor1 = 3, int16_t factor2 = 5)
{
    std::string bytes(3138, '\0');
    bytes.replace(0, OldKr6450String.size(), OldKr6450String);
    auto put16 = [&bytes](std::size_t offset, int value) {
        bytes[offset] = static_cast<char>(value & 0xFF);
        bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
    };
    put16(51, factor1);
    put16(53, factor2);
    bytes.replace(56, 20, Left(style, 20));
    bytes.replace(76, 20, Left("Lot 9", 20));
    bytes.replace(96, 20, Left("", 20));
    bytes.replace(116, 20, Left("Huber", 20));
    for (int i = 0; i < 500; ++i) {
        put16(136 + 2 * i, 150 + i);
        put16(1136 + 2 * i, 300 + i);
        put16(2136 + 2 * i, 7895 + i);
    }
    put16(2136 + 1000, 42);     // entry 500 of s, the last two bytes of the file
    return bytes;
}

class MigrationTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        Source = Temp.path() + QStringLiteral("/Source");
        ASSERT_TRUE(QDir().mkpath(Source));
        Language = 2;
        // Settings are saved into the program folder; the clock of the log is fixed.
        SetFixedClock(DateSerial(2024, 1, 5) + TimeSerial(9, 0, 0));
    }
    void TearDown() override
    {
        SetClock({});
        StorageTest::TearDown();
    }

    void Write(const QString& name, const std::string& bytes) const
    {
        WriteFileBytes(Source + QLatin1Char('/') + name, bytes);
    }
    // An old curve file last written 2020-06-01 10:20:30.
    void WriteCurve(const QString& name, const std::string& bytes) const
    {
        Write(name, bytes);
        QFile file(Source + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2020, 6, 1), QTime(10, 20, 30)), QFileDevice::FileModificationTime));
    }
    // Runs the import of Source and keeps the progress values.
    ImportCounts Run(const QString& folder = QString())
    {
        Progress.clear();
        return RunImport(folder.isEmpty() ? Source : folder, [this](int value) { Progress.push_back(value); });
    }
    // Message 31 answered No wherever it comes among the next boxes (those
    // that only inform take any answer), so that boxes in the wrong order
    // show as such instead of asking again without end.
    void AnswerNoToEachOf(qsizetype boxes)
    {
        for (qsizetype i = 0; i < boxes; ++i)
            Presenter.Answer(AnswerNo);
    }
    // An import in a child whose files may not grow past 1 KiB, as on a
    // full disk (the settings may find no room either): 0 when its last box
    // is the one given, 1 (the boxes on standard error) when not.
    int ImportOnAFullDiskEndsWith(const QString& last)
    {
        return RunWithFileSizeLimit(1024, [&] {
            AnswerNoToEachOf(3);
            Run();
            if (Texts().endsWith(last))
                return 0;
            for (const QString& text : Texts())
                std::fprintf(stderr, "shown: %s\n", qPrintable(text));
            return 1;
        });
    }
    // The texts of the boxes shown so far, in order.
    QStringList Texts() const
    {
        QStringList texts;
        for (const MessageRequest& request : Presenter.Shown)
            texts.append(request.Text);
        return texts;
    }
    static QString Msg(int16_t number, const QVariantList& arguments = {})
    {
        return ComposeMessage(number, arguments, 2).Text;
    }
    QString StyleFolder(const QString& style) const { return Data + QLatin1Char('/') + dskStyleFolderName(style); }
    // Every file below the folder with its bytes and mode.
    static std::map<QString, std::string> Snapshot(const QString& folder)
    {
        std::map<QString, std::string> files;
        QDir root(folder);
        for (const QString& sub : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const auto& [name, bytes] : Snapshot(folder + QLatin1Char('/') + sub))
                files[sub + QLatin1Char('/') + name] = bytes;
        for (const QString& name : root.entryList(QDir::Files | QDir::Hidden)) {
            const QString path = folder + QLatin1Char('/') + name;
            files[name] = ReadFileBytes(path) + (IsReadOnly(path) ? "<ro>" : "<rw>");
        }
        return files;
    }
    static QStringList Names(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QString Source;
    std::vector<int> Progress;
};

class OldNumbers : public LocaleFixture {};

TEST_F(OldNumbers, AreReadInEitherNotationWhateverTheLocale)
{
    const struct {
        const char* Text;
        float Expected;
    } cases[] = {
        {"12.5", 12.5f}, {"12,5", 12.5f}, {"  12.5  ", 12.5f}, {"1.000", 1.0f}, {"+3", 3.0f}, {".5", 0.5f},
        {"7.", 7.0f}, {"1e3", 1000.0f}, {"2,5E-2", 0.025f}, {"0.00011", 0.00011f},
        // No numbers, or none the old program could have meant.
        {"12.5.1", NoValue}, {"1,2.3", NoValue}, {"1 2", NoValue}, {"12a", NoValue}, {"", NoValue},
        {"   ", NoValue}, {".", NoValue}, {"5e", NoValue}, {"e5", NoValue}, {"&H10", NoValue},
        {"1e39", NoValue}, {"1e999999", NoValue},
        // Not above 0.0001.
        {"-3", NoValue}, {"0", NoValue}, {"0.0001", NoValue}, {"1e-5", NoValue},
    };
    for (const char* locale : {"en_US", "de_DE"}) {
        Pin(QLatin1String(locale));
        for (const auto& c : cases)
            EXPECT_EQ(ParseOldNumber(c.Text), c.Expected) << locale << " \"" << c.Text << "\"";
    }
}

TEST_F(MigrationTest, ATestLineOfTheBalanceBecomesARecord)
{
    const OldRecord r = ParseOldLine(2, TestLine("1103151015", "Denim", " 5", "1", "12.5"));
    EXPECT_EQ(r.TestTime, TimeSerial(10, 15, 0));
    EXPECT_EQ(QStringList({r.StyleName, r.Reference2, r.Reference3, r.Operator}),
              QStringList({QStringLiteral("Denim"), QStringLiteral("Lot 7"), QStringLiteral("Roll 2"),
                           QStringLiteral("Meier")}));
    EXPECT_EQ(std::make_tuple(r.TestCount, r.TestType, r.Unit),
              std::make_tuple(int16_t{5}, int16_t{2}, std::string("f")));
    EXPECT_EQ(std::vector<float>({r.Mean1, r.Min1, r.Max1, r.Mean2}),
              std::vector<float>({12.5f, 12.5f, 12.5f, NoValue}));
    EXPECT_EQ(std::vector<float>({r.Min2, r.Max2, r.CV1, r.CV2}), std::vector<float>(4, NoValue));
    EXPECT_EQ(r.Values1, std::vector<float>{NoValue});
    EXPECT_FALSE(IsEmptyOldRecord(r));
    EXPECT_TRUE(IsEmptyOldRecord(EmptyOldRecord));
    EXPECT_TRUE(IsEmptyOldRecord(MakeEmptyOldRecord()));
}

TEST_F(MigrationTest, LinesThatAreNotTaken)
{
    const std::string good = TestLine("1103151015", "Denim", " 5", "1", "12.5");
    ASSERT_EQ(good.size(), 132u);
    const struct {
        const char* Why;
        int16_t Code;
        std::string Line;
        bool Taken;
    } cases[] = {
        {"130 characters", 2, good.substr(0, 130), false},
        {"131 characters", 2, good.substr(0, 131), true},
        {"another line kind", 2, "\x1F" + good.substr(1), false},
        {"blank style", 2, TestLine("1103151015", "", " 5", "1", "12.5"), false},
        {"month 13", 2, TestLine("1113151015", "Denim", " 5", "1", "12.5"), false},
        {"30 February", 2, TestLine("1202301015", "Denim", " 5", "1", "12.5"), false},
        {"29 February of a leap year", 2, TestLine("1202291015", "Denim", " 5", "1", "12.5"), true},
        {"hour 24", 2, TestLine("1103152415", "Denim", " 5", "1", "12.5"), false},
        {"minute 60", 2, TestLine("1103151060", "Denim", " 5", "1", "12.5"), false},
        {"a blank in the date", 2, TestLine("11031510 5", "Denim", " 5", "1", "12.5"), false},
        {"count 0", 2, TestLine("1103151015", "Denim", " 0", "1", "12.5"), false},
        {"count -1", 2, TestLine("1103151015", "Denim", "-1", "1", "12.5"), false},
        {"count 99", 2, TestLine("1103151015", "Denim", "99", "1", "12.5"), true},
        {"mode no digit", 2, TestLine("1103151015", "Denim", " 5", "x", "12.5"), false},
        {"balance mode 5", 2, TestLine("1103151015", "Denim", " 5", "5", "12.5"), false},
        {"KR 6400 mode 6", 9, TestLine("1103151015", "Denim", " 5", "6", "12.5"), false},
        {"KR 6400 mode 8", 9, TestLine("1103151015", "Denim", " 5", "8", "12.5"), false},
        {"KR 6400 mode 9", 9, TestLine("1103151015", "Denim", " 5", "9", "12.5"), true},
        {"result 12,5", 2, TestLine("1103151015", "Denim", " 5", "1", "12,5"), true},
        {"result 12.5.1", 2, TestLine("1103151015", "Denim", " 5", "1", "12.5.1"), false},
        {"result -3", 2, TestLine("1103151015", "Denim", " 5", "1", "-3"), false},
        {"MP 4800 without result 2", 4, TestLine("1103151015", "Denim", " 5", "1", "12.5"), false},
        {"MP 4800 with result 2", 4, TestLine("1103151015", "Denim", " 5", "1", "12.5", "3.1"), true},
        {"KR 6450 without result 2", 12, TestLine("1103151015", "Denim", " 5", "1", "12.5"), false},
        {"KR 6450 with result 2", 12, TestLine("1103151015", "Denim", " 5", "1", "12.5", "3.1"), true},
        {"an instrument without a file", 6, good, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!IsEmptyOldRecord(ParseOldLine(c.Code, c.Line)), c.Taken) << c.Why;
}

TEST_F(MigrationTest, TestTypesUnitsAndCenturies)
{
    // Rows where the table is not one test type per instrument.
    const std::tuple<int16_t, const char*, int16_t, const char*> modes[] = {
        {1, "7", 1, ""}, {2, "9", 5, "l"}, {5, "2", 11, "a"}, {9, "9", 16, "H"}, {12, "0", 18, "H"}, {13, "3", 19, "7"}};
    for (const auto& [code, mode, testType, unit] : modes) {
        const OldRecord r = ParseOldLine(code, TestLine("1103151015", "Denim", " 5", mode, "12.5", "3"));
        EXPECT_EQ(std::make_pair(r.TestType, r.Unit), std::make_pair(testType, std::string(unit))) << code;
    }
    EXPECT_EQ(ParseOldLine(2, TestLine("9012312359", "Denim", " 5", "1", "12.5")).TestDate, DateSerial(2090, 12, 31));
    EXPECT_EQ(ParseOldLine(2, TestLine("9101010000", "Denim", " 5", "1", "12.5")).TestDate, DateSerial(1991, 1, 1));
}

TEST_F(MigrationTest, SeriesLinesCarryStatisticsAndSingleValuesToTheLineEnd)
{
    const std::string statistics = Right("12.5", 10) + Right("11", 10) + Right("14", 10) + Right("3.5", 10)
        + Right("3", 10) + Right("4", 10) + Right("2.1", 5) + Right("", 5);
    const std::string series = LineHead('\x1D', "1103151015", "Denim", " 3", "1") + statistics;
    OldRecord r = ParseOldLine(4, series);
    EXPECT_EQ(std::vector<float>({r.Mean1, r.Min1, r.Max1, r.Mean2, r.Min2, r.Max2, r.CV1, r.CV2}),
              std::vector<float>({12.5f, 11, 14, 3.5f, 3, 4, 2.1f, NoValue}));
    EXPECT_EQ(r.Values1.size(), 1u);

    // Chr(28): pairs of 20 from 173; a pair without value 1 is dropped, a
    // missing value 2 is NoValue, and the cut last pair counts while what is
    // left of it is a number.
    const std::string pairs = Right("11", 10) + Right("3", 10) + Right("", 10) + Right("9", 10) + Right("12", 10)
        + Right("x", 10) + Right("14", 10) + Right("4", 10) + Right("13.2", 7);
    const std::string values = LineHead('\x1C', "1103151015", "Denim", " 3", "1") + statistics + pairs;
    r = ParseOldLine(4, values);
    EXPECT_EQ(r.Values1, std::vector<float>({NoValue, 11, 12, 14, 13.2f}));
    EXPECT_EQ(r.Values2, std::vector<float>({NoValue, 3, NoValue, 4, NoValue}));
    // Cut inside the number ("   1" of "      13.2") and down to its blanks.
    EXPECT_EQ(ParseOldLine(4, values.substr(0, values.size() - 3)).Values1.back(), 1.0f);
    EXPECT_EQ(ParseOldLine(4, values.substr(0, values.size() - 5)).Values1.back(), 14.0f);
}

TEST_F(MigrationTest, AnOldRecordBecomesAFinishedSeries)
{
    const Protocol p = ConvertOldRecord(ParseOldLine(2, TestLine("1103151015", "Denim", " 5", "1", "12.5")));
    const TestDefinition& d = p.Style.Tests[2];
    EXPECT_FALSE(d.Defined1);
    EXPECT_EQ(p.Style.Name, QStringLiteral("Denim"));
    EXPECT_EQ(std::vector<float>({d.Nominal1, d.Lower1, d.Upper1, d.Nominal2}),
              std::vector<float>({12.5f, 11.25f, 13.75f, NoValue}));
    EXPECT_EQ(std::vector<float>({d.Lower2, d.Upper2, d.CI1, d.CI2}), std::vector<float>(4, NoValue));
    EXPECT_EQ(d.TestCount, 5);
    EXPECT_EQ(p.Style.Forms[1].Name, QStringLiteral("QUINTARA II Migration 2"));
    EXPECT_EQ(p.Style.Forms[1].Items[1], (ReportFormItem{2, false, false}));
    EXPECT_EQ(p.Reference4, QStringLiteral("QUINTARA II Migration"));
    EXPECT_EQ(p.Date, DateSerial(2011, 3, 15) + TimeSerial(10, 15, 0));
    EXPECT_TRUE(p.Finished);

    const PropertyBlock& b = p.Blocks[1];
    EXPECT_EQ(b.Header, d.HeaderImage);
    EXPECT_EQ(b.Commentary, QStringLiteral("QUINTARA II Migration"));
    ASSERT_EQ(b.Values.size(), 6u);
    EXPECT_EQ(b.Values[0], EmptyTestValue);
    for (std::size_t i = 1; i <= 5; ++i) {
        EXPECT_EQ(b.Values[i].Value1, 12.5f);
        EXPECT_EQ(b.Values[i].Value2, NoValue);
        EXPECT_EQ(b.Values[i].Unit1, "f");
    }
    EXPECT_EQ(b.Stats.SumSq2, static_cast<double>(NoValue));
    EXPECT_EQ(b.Stats.CI1, NoValue);
    EXPECT_EQ(std::make_tuple(b.Values[5].Value1, b.Values[5].Value2, b.Values[5].Unit1),
              std::make_tuple(12.5f, NoValue, std::string("f")));
    EXPECT_EQ(std::make_tuple(b.Stats.Count, b.Stats.Sum1, b.Stats.SumSq1, b.Stats.Sum2),
              std::make_tuple(int32_t{5}, 62.5, 781.25, static_cast<double>(NoValue)));
    EXPECT_EQ(b.StartDate, p.Date);
    EXPECT_TRUE(b.Terminated);
    EXPECT_TRUE(IsEmptyPropertyBlock(p.Blocks[2]));

    // Single values where the line has them, the mean beyond them.
    OldRecord r = ParseOldLine(2, TestLine("1103151015", "Denim", " 3", "1", "12.5"));
    r.Values1 = {NoValue, 11};
    r.Values2 = {NoValue, 2};
    const Protocol mixed = ConvertOldRecord(r);
    EXPECT_EQ(std::vector<float>({mixed.Blocks[1].Values[1].Value1, mixed.Blocks[1].Values[1].Value2,
                                  mixed.Blocks[1].Values[2].Value1}), std::vector<float>({11, 2, 12.5f}));
    r.TestCount = 0;
    EXPECT_TRUE(IsEmptyProtocol(ConvertOldRecord(r)));
    EXPECT_TRUE(IsEmptyProtocol(ConvertOldRecord(EmptyOldRecord)));
}

TEST_F(MigrationTest, HeaderImagesByHand)
{
    DataStringRecord d = EmptyDataStringRecord;
    d.ResultUnit = QStringLiteral("f");
    EXPECT_EQ(BuildHeaderImage(2, d),
              "\x1E" "D  7041" "   " "F" + std::string(35, ' ') + "f" + std::string(9, ' ') + "z\r\n");

    // The tensile tester's elongation unit stands at 55.
    d.ResultUnit = QStringLiteral("8");
    const std::string tensile = BuildHeaderImage(9, d);
    EXPECT_EQ(tensile, "\x1E" "MP 4800" "   " "y" + std::string(35, ' ') + "8" + std::string(6, ' ') + "n  "
                           + std::string(1, '\x06') + "\r\n");
    const std::string sent = MakeDataString("MP 4800", "123", "y", std::string(28, ' '), " ", "  12.5", "8",
                                            "   3.1", "n");
    EXPECT_EQ(CompareDataStringParameters(sent, tensile)[0], 0);
    // Without it every test would be refused for its second unit.
    std::string blank55 = tensile.substr(0, 57);
    blank55[54] = ' ';
    EXPECT_EQ(CompareDataStringParameters(sent, blank55 + DataStringChecksum(blank55) + "\r\n")[0], 13);

    d.ResultUnit.clear();
    EXPECT_EQ(BuildHeaderImage(19, d).substr(1, 11), "KR 6850    ");
    EXPECT_EQ(BuildHeaderImage(1, d).substr(1, 11), "0000000    ");
    const std::string unknown = BuildHeaderImage(6, d);
    EXPECT_EQ(unknown.substr(1, 11), std::string(11, ' '));
    EXPECT_TRUE(IsValidDataString(unknown));
}

TEST_F(MigrationTest, TheIniFileNamesTheTextFiles)
{
    EXPECT_EQ(ReadOldIni(Source), (OldFileSet{Source, "MAN.DAT", "BAL.DAT", "4300.DAT", "4800.DAT", "6100.DAT",
                                              "6400.DAT", "6450.DAT", "6800.DAT", "LISTER.DAT"}));
    // The program folder's file, when the source folder has none.
    WriteFileBytes(Program + QStringLiteral("/QUINTARA.INI"), "[Installation]\r\nCustomer=X\r\n[Daten]\r\nDatei[4]=P.DAT\r\n");
    EXPECT_EQ(ReadOldIni(Source).File4, QStringLiteral("P.DAT"));

    // The source folder's own, in any case, names and keys ignoring case;
    // "..", an empty value, a folder and a control character skipped and logged.
    Write(QStringLiteral("quintara.ini"),
          "[daten]\r\ndatei[3]=OLD.DAT\r\nDatei[4]=C:\\OLD\\BAL.DAT\r\nDatei[5]=..\r\nDatei[6]=\r\n"
          "Datei[7]=C:\\QDATA\\\r\nDatei[8]=/mnt/old/6450.dat\r\nDatei[9]=A\x01.DAT\r\n");
    const OldFileSet set = ReadOldIni(Source);
    EXPECT_EQ(QStringList({set.File1, set.File3, set.File4, set.File5, set.File6, set.File7, set.File8, set.File9}),
              QStringList({QStringLiteral("MAN.DAT"), QStringLiteral("OLD.DAT"), QStringLiteral("BAL.DAT"), QString(),
                           QString(), QString(), QStringLiteral("6450.dat"), QString()}));
    EXPECT_EQ(LogLinesWith(QStringLiteral("ReadOldIni")), 4);
    EXPECT_EQ(set.File10, QStringLiteral("LISTER.DAT"));
}

TEST_F(MigrationTest, OldCurveFilesAreRecognisedByNameLengthAndMagic)
{
    const std::string bytes = OldCurveBytes("Airbag");
    const struct {
        const char* Name;
        std::string Bytes;
        bool Recognised;
    } cases[] = {
        {"41231001.DAT", bytes, true},
        {"90101001.DAT", bytes, true},
        {"4123100.DAT", bytes, false},          // seven digits
        {"41231001", bytes, false},             // nothing after the digits
        {"41331001.DAT", bytes, false},         // month 13
        {"40230001.DAT", bytes, false},         // 30 February
        {"4123100x.DAT", bytes, false},
        {"41231002.DAT", bytes.substr(0, 3137), false},
        {"41231003.DAT", bytes + "x", false},
        {"41231004.DAT", "\x1E" "67" + bytes.substr(3), false},
    };
    for (const auto& c : cases)
        Write(QString::fromLatin1(c.Name), c.Bytes);
    for (const auto& c : cases)
        EXPECT_EQ(IsOldCurveFile(Source, QString::fromLatin1(c.Name)), c.Recognised) << c.Name;
    EXPECT_FALSE(IsOldCurveFile(Source, QStringLiteral("41231009.DAT")));
}

TEST_F(MigrationTest, TheCurveOfAnOldFile)
{
    const ABTCurve curve = ReadOldCurve(OldCurveBytes("Airbag", 3, 5));
    EXPECT_EQ(curve.Header, ConvertOldDataString(OldKr6450String));
    EXPECT_EQ(curve.P1[0], 30.0f);              // 150 / 15 * 3
    EXPECT_EQ(curve.P2[3], 101.0f);             // 303 / 15 * 5
    EXPECT_EQ(curve.S[0], 1.0f);                // 7895 / 7895
    EXPECT_EQ(curve.P1[500], 300.0f / 15 * 3);  // the first value of the next block
    EXPECT_EQ(curve.S[500], static_cast<float>(42 / 7895.0));
    EXPECT_EQ(curve.S[AbtSampleCount - 1], 0.0f);
    for (int i = 501; i < AbtSampleCount; ++i)
        EXPECT_EQ(curve.S[i], 0.0f) << i;
    EXPECT_EQ(curve.Factor1, 3);
    EXPECT_EQ(curve.Factor2, 5);

    // With the first CR at 35 the factors stand at 47 and 49.
    std::string shortString = OldCurveBytes("Airbag", 3, 5);
    shortString[34] = '\r';
    shortString.replace(46, 4, "\x07\x00\xFE\xFF", 4);
    const ABTCurve moved = ReadOldCurve(shortString);
    EXPECT_EQ(std::make_pair(moved.Factor1, moved.Factor2), std::make_pair(int16_t{7}, int16_t{-2}));
    EXPECT_EQ(moved.P1[0], 70.0f);
}

TEST_F(MigrationTest, AnOldCurveBecomesACurveFileAndAReportOfANewStyle)
{
    WriteCurve(QStringLiteral("41231001.DAT"), OldCurveBytes("Airbag"));
    WriteCurve(QStringLiteral("90101001.DAT"), OldCurveBytes("Airbag"));
    EXPECT_EQ(Run(), (ImportCounts{2, 1}));
    EXPECT_EQ(Texts(), QStringList{Msg(39, {2, 1})});

    const QString curveName = QStringLiteral("2004.12.31, 10.20.30.ABT");
    EXPECT_TRUE(IsReadOnly(Data + QLatin1Char('/') + curveName));
    EXPECT_TRUE(IsReadOnly(Data + QStringLiteral("/1999.01.01, 10.20.30.ABT")));
    const ABTCurve curve = abtFileGet(Data, curveName);
    EXPECT_EQ(curve.Header, ConvertOldDataString(OldKr6450String));
    EXPECT_EQ(curve.P1[1], 151.0f / 15 * 3);

    const QString reportName = QStringLiteral("2004.12.31, 10.20.30.QTA");
    EXPECT_TRUE(IsReadOnly(StyleFolder(QStringLiteral("Airbag")) + QLatin1Char('/') + reportName));
    const Protocol p = dskGetTestReport(StyleFolder(QStringLiteral("Airbag")), reportName);
    EXPECT_EQ(p.Style.Forms[1].Items[1], (ReportFormItem{18, false, true}));
    EXPECT_EQ(p.Style.Tests[18].HeaderImage, curve.Header);
    EXPECT_EQ(p.Style.Forms[1].Name, QStringLiteral("QUINTARA II Migration 18 C"));
    EXPECT_EQ(p.Blocks[1].Header, curve.Header);
    EXPECT_EQ(p.Reference2, QStringLiteral("Lot 9"));
    EXPECT_EQ(p.Date, DateSerial(2004, 12, 31) + TimeSerial(10, 20, 30));
    const TestValue& t = p.Blocks[1].Values[1];
    EXPECT_EQ(std::make_tuple(t.CurveFile, t.DataString, t.Value1, t.Value2, t.Unit1),
              std::make_tuple(curveName.toStdString(), curve.Header, 12.5f, 3.25f, std::string("H")));
    EXPECT_EQ(p.Operator, QStringLiteral("Huber"));

    // The style and its form are stored; the old files stay as they were.
    ASSERT_EQ(Styles.size(), 2u);
    ASSERT_EQ(ReportForms.size(), 2u);
    EXPECT_EQ(ReportForms[1].Name, QStringLiteral("QUINTARA II Migration 18 C"));
    EXPECT_EQ(ReadFileBytes(Source + QStringLiteral("/41231001.DAT")), OldCurveBytes("Airbag"));
}

TEST_F(MigrationTest, CurvesOfOneSecondGetStampsOfTheirOwnAndASecondRunNone)
{
    // Two curves of one date and time: the second moves on a second, and
    // its series with it.
    WriteCurve(QStringLiteral("41231001.DAT"), OldCurveBytes("Airbag"));
    WriteCurve(QStringLiteral("41231002.DAT"), OldCurveBytes("Airbag", 4, 5));
    EXPECT_EQ(Run(), (ImportCounts{2, 1}));
    const Protocol second = dskGetTestReport(StyleFolder(QStringLiteral("Airbag")),
                                             QStringLiteral("2004.12.31, 10.20.31.QTA"));
    EXPECT_EQ(second.Date, DateSerial(2004, 12, 31) + TimeSerial(10, 20, 31));
    EXPECT_EQ(second.Blocks[1].Values[1].CurveFile, "2004.12.31, 10.20.31.ABT");
    EXPECT_EQ(abtFileGet(Data, QStringLiteral("2004.12.31, 10.20.31.ABT")).Factor1, 4);

    // Converted before: the names were there when the run began.
    const auto before = Snapshot(Data);
    EXPECT_EQ(Run(), (ImportCounts{0, 0}));
    EXPECT_EQ(Snapshot(Data), before);
}

TEST_F(MigrationTest, ACurveWhoseReportCannotBeStoredLeavesNoCurveFile)
{
    Write(QStringLiteral("41231001.DAT"), OldCurveBytes("Airbag"));
    // A file where the style folder would be.
    WriteFileBytes(StyleFolder(QStringLiteral("Airbag")), "x");
    EXPECT_EQ(Run(), (ImportCounts{0, 0}));
    EXPECT_EQ(Names(Data), QStringList{dskStyleFolderName(QStringLiteral("Airbag"))});
    EXPECT_EQ(Styles.size(), 1u);
    EXPECT_EQ(Texts(), QStringList({Msg(39, {0, 0}), Msg(42, {1})}));
}

TEST_F(MigrationTest, CurrentReportsMoveIntoTheirStyleFoldersAndNewStylesAreCounted)
{
    Protocol denim = SampleProtocol(QStringLiteral("Denim"), At(10, 15));
    denim.Style.Forms[2].Name = QStringLiteral("Tear");
    Write(QStringLiteral("2024.01.05, 10.15.00.QTA"), ReportFileBytes(denim));
    Write(QStringLiteral("2024.01.05, 11.00.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("DENIM"), At(11))));
    Write(QStringLiteral("2024.01.05, 12.00.00.qta"), ReportFileBytes(SampleProtocol(QStringLiteral("Twill"), At(12))));
    Write(QStringLiteral("notes.txt"), "x");

    EXPECT_EQ(Run(), (ImportCounts{3, 2}));
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Number of imported files:\t3\r\nNumber of imported styles:\t2")});
    // The import's counts are grouped by thousands: a large folder showed "1200".
    EXPECT_EQ(Msg(39, {1200, 30000}),
              QStringLiteral("Number of imported files:\t1,200\r\nNumber of imported styles:\t30,000"));
    EXPECT_EQ(Names(Source), QStringList{QStringLiteral("notes.txt")});
    EXPECT_EQ(Names(StyleFolder(QStringLiteral("Denim"))),
              QStringList({QStringLiteral("2024.01.05, 10.15.00.QTA"), QStringLiteral("2024.01.05, 11.00.00.QTA")}));
    EXPECT_EQ(Names(StyleFolder(QStringLiteral("Twill"))), QStringList{QStringLiteral("2024.01.05, 12.00.00.qta")});
    // Largest name first: Twill is added before Denim; the second Denim adds nothing.
    ASSERT_EQ(Styles.size(), 3u);
    EXPECT_EQ(Styles[1].Name, QStringLiteral("Twill"));
    EXPECT_EQ(Styles[2].Name, QStringLiteral("DENIM"));
    EXPECT_EQ(ReportForms.size(), 2u);      // "Air" once; "Tear" came with a style already stored
    EXPECT_EQ(Progress, std::vector<int>({25, 50, 75, 100}));
    // The settings file holds the new lists.
    ResetSettingsGlobals(Program);
    ReadSettingsFile();
    EXPECT_EQ(Styles.size(), 3u);
}

TEST_F(MigrationTest, ProgressIsRoundedHalfToEven)
{
    // 8 files: 12.5 % is 12, 37.5 % is 38, 62.5 % 62, 87.5 % 88.
    for (int i = 0; i < 8; ++i)
        Write(QStringLiteral("f%1.txt").arg(i), "x");
    Run();
    EXPECT_EQ(Progress, std::vector<int>({12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(Texts(), QStringList{Msg(39, {0, 0})});
}

TEST_F(MigrationTest, TextLinesBecomeReportsThatMoveIntoTheStyleFolder)
{
    // Two lines of one minute and one of the next: 10.15.00, 10.15.01, 10.16.00.
    Write(QStringLiteral("bal.dat"), TextFile({TestLine("1103151015", "Denim", " 5", "1", "12.5"),
                                              TestLine("1103151015", "Denim", " 5", "2", "13"),
                                              TestLine("1103151016", "Denim", " 5", "1", "12,5"),
                                              TestLine("1103151016", "", " 5", "1", "12.5")}));
    EXPECT_EQ(Run(), (ImportCounts{3, 1}));
    const QString folder = StyleFolder(QStringLiteral("Denim"));
    EXPECT_EQ(Names(folder), QStringList({QStringLiteral("2011.03.15, 10.15.00.QTA"),
                                          QStringLiteral("2011.03.15, 10.15.01.QTA"),
                                          QStringLiteral("2011.03.15, 10.16.00.QTA")}));
    for (const QString& name : Names(folder))
        EXPECT_TRUE(IsReadOnly(folder + QLatin1Char('/') + name)) << name.toStdString();
    const Protocol moved = dskGetTestReport(folder, QStringLiteral("2011.03.15, 10.15.01.QTA"));
    EXPECT_EQ(moved.Date, DateSerial(2011, 3, 15) + TimeSerial(10, 15, 1));
    EXPECT_EQ(moved.Blocks[1].Values[1].Unit1, "g");
    EXPECT_EQ(ReportForms.size(), 2u);

    // A second run finds each line's report in the style folder, the second
    // of one minute under its moved name too: nothing is written or moved.
    const QString denimFolder = StyleFolder(QStringLiteral("Denim"));
    const auto before = Snapshot(denimFolder);
    Presenter.Shown.clear();
    EXPECT_EQ(Run(), (ImportCounts{0, 0}));
    EXPECT_EQ(Snapshot(denimFolder), before);
    EXPECT_EQ(Names(Source), QStringList{QStringLiteral("bal.dat")});
    EXPECT_EQ(Styles.size(), 2u);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Number of imported files:\t0\r\nNumber of imported styles:\t0")});

    // A report left in the source folder by an earlier run is moved, and its
    // line is not converted a second time.
    const QString left = QStringLiteral("/2011.03.15, 10.15.01.QTA");
    ASSERT_TRUE(QFile::rename(denimFolder + left, Source + left));
    EXPECT_EQ(Run(), (ImportCounts{1, 0}));
    EXPECT_EQ(Snapshot(denimFolder), before);
    EXPECT_EQ(Names(Source), QStringList{QStringLiteral("bal.dat")});
    // A further run: the lines are passed over without an attempt to write.
    const auto source = Snapshot(Source);
    EXPECT_EQ(Run(), (ImportCounts{0, 0}));
    EXPECT_EQ(Snapshot(Source), source);
    EXPECT_EQ(Snapshot(denimFolder), before);
    EXPECT_EQ(LogLinesWith(QStringLiteral("ImportInstrumentFile")), 0);
}

TEST_F(MigrationTest, ConvertedLinesOnAFullDiskLeaveNothingBehind)
{
    // Written without a wait for the disk each, a report that fails leaves
    // neither itself nor its temporary file; under this limit none is written.
    Write(QStringLiteral("BAL.DAT"), TextFile({TestLine("1103151010", "Denim", " 5", "1", "12.5"),
                                              TestLine("1103151011", "Denim", " 5", "1", "12.5"),
                                              TestLine("1103151012", "Denim", " 5", "1", "12.5")}));
    const QString source = Source;
    const int written = RunWithFileSizeLimit(1024, [&] {
        ImportRun run = BeginImportRun(source);
        ImportInstrumentFile(2, source, QStringLiteral("BAL.DAT"), run);
        return static_cast<int>(QDir(source).entryList(QDir::Files | QDir::Hidden).size());
    });
    if (written == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit here";
    EXPECT_EQ(written, 1);
    EXPECT_EQ(Names(Source), QStringList{QStringLiteral("BAL.DAT")});

    // Without the limit all three take their names, none left hidden.
    ImportRun run = BeginImportRun(Source);
    ImportInstrumentFile(2, Source, QStringLiteral("BAL.DAT"), run);
    EXPECT_EQ(Names(Source), QStringList({QStringLiteral("2011.03.15, 10.10.00.QTA"),
                                          QStringLiteral("2011.03.15, 10.11.00.QTA"),
                                          QStringLiteral("2011.03.15, 10.12.00.QTA"), QStringLiteral("BAL.DAT")}));
    EXPECT_TRUE(IsReadOnly(Source + QStringLiteral("/2011.03.15, 10.12.00.QTA")));
    EXPECT_EQ(dskGetTestReport(Source, QStringLiteral("2011.03.15, 10.11.00.QTA")).Date,
              DateSerial(2011, 3, 15) + TimeSerial(10, 11, 0));
}

// On a full disk the old lines cannot become reports, while the reports of
// the folder still move (a rename needs no room): message 39 counts what was
// imported, and the operator is told how many could not be.
TEST_F(MigrationTest, AnImportOntoAFullDiskTellsHowManyFilesItCouldNotImport)
{
    Write(QStringLiteral("BAL.DAT"), TextFile({TestLine("1103151010", "Denim", " 5", "1", "12.5"),
                                              TestLine("1103151011", "Denim", " 5", "1", "12.5"),
                                              TestLine("1103151012", "Denim", " 5", "1", "12.5")}));
    // 6,158 bytes of curve file would not fit either.
    WriteCurve(QStringLiteral("41231001.DAT"), OldCurveBytes("Airbag"));
    Write(QStringLiteral("2024.01.05, 10.15.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("Denim"), At(10, 15))));
    Write(QStringLiteral("2024.01.05, 12.00.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("Twill"), At(12))));
    const QStringList expected = {
        // The settings file with the two new styles finds no room either.
        Msg(31),
        Msg(43),
        QStringLiteral("Number of imported files:\t2\r\nNumber of imported styles:\t2"),
        QStringLiteral("Number of files not imported:\t4\r\nAn error occurred while writing the file. Ensure that "
                       "there is enough space on the disk."),
    };
    const int result = RunWithFileSizeLimit(1024, [&] {
        AnswerNoToEachOf(expected.size());
        Run();
        if (Texts() == expected)
            return 0;
        for (const QString& text : Texts())
            std::fprintf(stderr, "shown: %s\n", qPrintable(text));
        return 1;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Names(Source), QStringList({QStringLiteral("41231001.DAT"), QStringLiteral("BAL.DAT")}));
    // No curve file left behind.
    EXPECT_EQ(Names(Data), QStringList{});

    // With room, nothing fails and nothing more is said (this process has
    // not seen the styles the child added).
    Presenter.Shown.clear();
    EXPECT_EQ(Run(), (ImportCounts{4, 2}));
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Number of imported files:\t4\r\nNumber of imported styles:\t2")});
}

// A curve file is written into the data folder: when it finds no room there,
// room is what the operator is asked for.
TEST_F(MigrationTest, ACurveThatFindsNoRoomAsksForRoom)
{
    WriteCurve(QStringLiteral("41231001.DAT"), OldCurveBytes("Airbag"));
    const int result = ImportOnAFullDiskEndsWith(Msg(41, {1}));
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit here";
    EXPECT_EQ(result, 0);
}

// Lines of the old text files alone, no curve: their reports find no room
// as they are written, and that cause alone must ask for room.
TEST_F(MigrationTest, LinesThatFindNoRoomAskForRoom)
{
    Write(QStringLiteral("BAL.DAT"), TextFile({TestLine("1103151010", "Denim", " 5", "1", "12.5"),
                                              TestLine("1103151011", "Denim", " 5", "1", "12.5")}));
    const int result = ImportOnAFullDiskEndsWith(Msg(41, {2}));
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Names(Source), QStringList{QStringLiteral("BAL.DAT")});
}

TEST_F(MigrationTest, EveryInstrumentFileIsRead)
{
    Write(QStringLiteral("MAN.DAT"), TextFile({TestLine("1103151015", "Hand", " 1", "0", "7")}));
    Write(QStringLiteral("4800.DAT"), TextFile({TestLine("1103151016", "Tensile", " 2", "1", "400", "12")}));
    Write(QStringLiteral("LISTER.DAT"), TextFile({TestLine("1103151017", "Lister", " 3", "0", "4.5")}));
    EXPECT_EQ(Run(), (ImportCounts{3, 3}));
    const Protocol tensile = dskGetTestReport(StyleFolder(QStringLiteral("Tensile")),
                                              QStringLiteral("2011.03.15, 10.16.00.QTA"));
    EXPECT_EQ(tensile.Style.Tests[9].HeaderImage.substr(47, 8), "8      n");
    EXPECT_EQ(tensile.Blocks[1].Values[2].Value2, 12.0f);
    EXPECT_EQ(tensile.Blocks[1].Stats.Sum2, 24.0);
    EXPECT_EQ(dskGetTestReport(StyleFolder(QStringLiteral("Lister")), QStringLiteral("2011.03.15, 10.17.00.QTA"))
                  .Style.Forms[1].Name,
              QStringLiteral("QUINTARA II Migration 20"));
}

TEST_F(MigrationTest, OldLinesOfAnyLengthAndEndingAndCutAnywhere)
{
    // CR, LF and CR LF end lines; a line over 64 KiB is skipped.
    const std::string first = TestLine("1103151015", "Denim", " 5", "1", "12.5");
    const std::string second = TestLine("1103151016", "Denim", " 5", "1", "12.5");
    const std::string third = TestLine("1103151017", "Denim", " 5", "1", "12.5");
    const std::string huge = TestLine("1103151018", "Denim", " 5", "1", "12.5") + std::string(70000, ' ');
    Write(QStringLiteral("BAL.DAT"), first + "\r" + huge + "\n" + second + "\n" + third);
    EXPECT_EQ(Run(), (ImportCounts{3, 1}));
    EXPECT_FALSE(QFile::exists(StyleFolder(QStringLiteral("Denim")) + QStringLiteral("/2011.03.15, 10.18.00.QTA")));

    // A file of two lines cut at every offset: a line counts once it has 131
    // characters.
    const std::string file = TextFile({first, second});
    ASSERT_EQ(file.size(), 268u);
    for (const std::size_t cut : {0u, 1u, 2u, 11u, 12u, 50u, 102u, 112u, 130u, 131u, 132u, 133u, 134u, 135u, 200u,
                                  264u, 265u, 266u, 267u, 268u}) {
        QDir(Data).removeRecursively();
        QDir(Source).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(Data) && QDir().mkpath(Source));
        Styles.assign(1, BlankStyle);
        Write(QStringLiteral("BAL.DAT"), file.substr(0, cut));
        const int expected = (cut >= 131 ? 1 : 0) + (cut >= 134 + 131 ? 1 : 0);
        ASSERT_EQ(Run().Files, expected) << cut;
    }
}

TEST_F(MigrationTest, TheProgramsOwnFilesStay)
{
    // An import run on the data folder itself.
    const std::string open = ReportFileBytes(SampleProtocol(QStringLiteral("Open"), At(9)));
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), open);
    WriteFileBytes(Data + QStringLiteral("/temp.qta"), open);
    WriteFileBytes(Data + QStringLiteral("/2024.01.05, 09.00.00.QTA"),
                   ReportFileBytes(SampleProtocol(QStringLiteral("Stored"), At(9))));
    EXPECT_EQ(Run(Data), (ImportCounts{1, 1}));
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA")), open);
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/temp.qta")), open);
}

TEST_F(MigrationTest, ANameTakenInAnyCaseIsNeverReplaced)
{
    const Protocol report = SampleProtocol(QStringLiteral("Denim"), At(10, 15));
    const QString name = QStringLiteral("2024.01.05, 10.15.00.QTA");
    Write(name, ReportFileBytes(report));
    ASSERT_TRUE(QDir().mkpath(StyleFolder(QStringLiteral("Denim"))));
    const QString other = StyleFolder(QStringLiteral("Denim")) + QStringLiteral("/2024.01.05, 10.15.00.qta");
    WriteFileBytes(other, "earlier");

    ImportRun run = BeginImportRun(Source);
    EXPECT_EQ(MoveTestReport(Source, name, report, run), MoveFailed);
    EXPECT_EQ(ReadFileBytes(other), "earlier");
    EXPECT_EQ(ReadFileBytes(Source + QLatin1Char('/') + name), ReportFileBytes(report));
    EXPECT_EQ(LogLinesWith(QStringLiteral("MoveTestReport")), 1);
    // Kept on purpose: no failure to tell.
    EXPECT_EQ(run.Failed, 0);

    // The whole run: the style is merged, the report is not counted and stays.
    EXPECT_EQ(Run(), (ImportCounts{0, 1}));
    EXPECT_EQ(ReadFileBytes(other), "earlier");
    EXPECT_TRUE(QFile::exists(Source + QLatin1Char('/') + name));

    // Results of the other cases.
    EXPECT_EQ(MoveTestReport(Source, name, EmptyProtocol, run), NoReport);
    WriteFileBytes(Data + QLatin1Char('/') + dskStyleFolderName(QStringLiteral("Twill")), "a file");
    EXPECT_EQ(MoveTestReport(Source, name, SampleProtocol(QStringLiteral("Twill"), At(10, 15)), run), NoStyleFolder);
    EXPECT_EQ(run.Failed, 1);
    EXPECT_EQ(MergeStyleOfReport(EmptyProtocol, run), NoReport);
    EXPECT_EQ(MergeStyleOfReport(SampleProtocol(QStringLiteral("  "), At(9)), run), StyleKnown);
    EXPECT_EQ(MergeStyleOfReport(SampleProtocol(QStringLiteral("denim"), At(9)), run), StyleKnown);
}

TEST_F(MigrationTest, AReadOnlySourceWithOlderReportsSaysSoOnce)
{
    for (int i = 0; i < 5; ++i) {
        ProtocolBefore60 old = Old26Protocol();
        old.Style.Name = QStringLiteral("Old %1").arg(i);
        const QString name = QStringLiteral("2024.01.05, 08.0%1.00.QTA").arg(i);
        Write(name, OldReportFile("2.6", old));
        ASSERT_TRUE(SetAttr(Source + QLatin1Char('/') + name, AttrReadOnly + AttrArchive));
    }
    const auto before = Snapshot(Source);
    ReadOnlyFolder readOnly(Source);
    if (!readOnly.Active())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    EXPECT_EQ(Run(), (ImportCounts{0, 5}));
    // The reports that could not be moved out are counted after 39; room on
    // the disk would not help, and is not asked for.
    EXPECT_EQ(Texts(), QStringList({Msg(32), Msg(39, {0, 5}), Msg(42, {5})}));
    EXPECT_EQ(Snapshot(Source), before);
}

// The styles an import adds live in the settings file: a file that cannot
// be written is told (message 31) and tried again on Yes; after No the moved
// reports stay where they are and the styles in the list, and the operator
// is told so. The counts come once the settings' outcome is known.
TEST_F(MigrationTest, ASettingsFileThatCannotBeWrittenAfterAnImportIsTold)
{
    Write(QStringLiteral("2024.01.05, 10.15.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("Denim"), At(10, 15))));
    // A folder where the settings file would be; it goes while message 31 is up.
    ASSERT_TRUE(QDir().mkpath(SettingsFilePath()));
    Presenter.OnPresent = [](const MessageRequest& request) {
        if (request.Text == Msg(31))
            QDir().rmdir(SettingsFilePath());
    };
    EXPECT_EQ(Run(), (ImportCounts{1, 1, true}));
    EXPECT_EQ(Texts(), QStringList({Msg(31), Msg(39, {1, 1})}));
    ResetSettingsGlobals(Program);
    ReadSettingsFile();
    ASSERT_EQ(Styles.size(), 2u);
    EXPECT_EQ(Styles[1].Name, QStringLiteral("Denim"));
    DataFolder = Data;

    // No: one question, the report in its style folder, the style in the
    // list in memory only, a log line, and a word to the operator in the
    // program's language.
    Presenter.OnPresent = nullptr;
    const struct {
        int16_t language;
        const char* text;
    } rows[] = {
        {1, "Die importierten Artikel bleiben nur im Arbeitsspeicher, bis die Einstellungen gespeichert werden "
            "können."},
        {2, "The imported styles are kept in memory only until the settings can be saved."},
        {3, "Les articles repris ne sont gardés qu'en mémoire jusqu'à ce que les réglages puissent être "
            "enregistrés."},
        {4, "Gli articoli ripresi restano solo in memoria finché le impostazioni non potranno essere salvate."},
        {5, "Los artículos importados se conservan solo en memoria hasta que se pueda guardar la configuración."},
    };
    QFile::remove(SettingsFilePath());
    ASSERT_TRUE(QDir().mkpath(SettingsFilePath()));
    for (const auto& row : rows) {
        Language = row.language;
        Presenter.Shown.clear();
        const QString style = QStringLiteral("Twill %1").arg(row.language);
        const QString name = QStringLiteral("2024.01.05, 12.0%1.00.QTA").arg(row.language);
        Write(name, ReportFileBytes(SampleProtocol(style, At(12, row.language))));
        AnswerNoToEachOf(3);
        EXPECT_EQ(Run(), (ImportCounts{1, 1, false})) << row.language;
        EXPECT_EQ(Texts(), QStringList({ComposeMessage(31, {}, row.language).Text, QString::fromUtf8(row.text),
                                        ComposeMessage(39, {1, 1}, row.language).Text}))
            << row.language;
        EXPECT_EQ(Names(StyleFolder(style)), QStringList{name});
        EXPECT_EQ(Styles.back().Name, style);
    }
    EXPECT_EQ(Styles.size(), 2u + std::size(rows));
    EXPECT_EQ(LogLinesWith(QStringLiteral("RunImport")), static_cast<int>(std::size(rows)));

    // No with no new style to lose: nothing more than the question.
    Language = 2;
    Presenter.Shown.clear();
    AnswerNoToEachOf(2);
    EXPECT_EQ(Run(), (ImportCounts{0, 0, false}));
    EXPECT_EQ(Texts(), QStringList({Msg(31), Msg(39, {0, 0})}));
}

// A converted line whose report was written but could not take its name
// (another file took it meanwhile) is a failure the operator is told of.
TEST_F(MigrationTest, AStagedReportThatCannotTakeItsNameIsCounted)
{
    Write(QStringLiteral("BAL.DAT"), TextFile({TestLine("1103151010", "Denim", " 5", "1", "12.5")}));
    ImportRun run = BeginImportRun(Source);
    const QString taken = Source + QStringLiteral("/2011.03.15, 10.10.00.QTA");
    WriteFileBytes(taken, "someone else's");
    ImportInstrumentFile(2, Source, QStringLiteral("BAL.DAT"), run);
    EXPECT_EQ(std::tuple(run.Failed, run.DiskFull), std::tuple(1, false));
    EXPECT_EQ(ReadFileBytes(taken), "someone else's");
    EXPECT_EQ(Names(Source), QStringList({QStringLiteral("2011.03.15, 10.10.00.QTA"), QStringLiteral("BAL.DAT")}));
}

TEST_F(MigrationTest, AMissingFolderIsNotAvailable)
{
    EXPECT_EQ(Run(Temp.path() + QStringLiteral("/gone")), (ImportCounts{0, 0}));
    EXPECT_EQ(Texts(), QStringList{Msg(10)});
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
}

TEST_F(MigrationTest, ADamagedReportStaysWithOneLogLine)
{
    const std::string bytes = ReportFileBytes(SampleProtocol(QStringLiteral("Denim"), At(10, 15)));
    for (std::size_t cut : {9u, 50u, 500u, 2000u, static_cast<unsigned>(bytes.size() - 1)}) {
        QDir(Source).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(Source));
        const int logged = LogLinesWith(QStringLiteral("dskGetTestReport"));
        Write(QStringLiteral("2024.01.05, 10.15.00.QTA"), bytes.substr(0, cut));
        EXPECT_EQ(Run(), (ImportCounts{0, 0})) << cut;
        EXPECT_EQ(ReadFileBytes(Source + QStringLiteral("/2024.01.05, 10.15.00.QTA")), bytes.substr(0, cut));
        EXPECT_EQ(LogLinesWith(QStringLiteral("dskGetTestReport")), logged + 1) << cut;
    }
    EXPECT_EQ(Styles.size(), 1u);
}

TEST_F(MigrationTest, FullListsKeepReportsAndFormsOutAndSaySoOnce)
{
    Styles.resize(30001, BlankStyle);
    for (std::size_t i = 1; i < Styles.size(); ++i)
        Styles[i].Name = QStringLiteral("S%1").arg(i);
    Write(QStringLiteral("2024.01.05, 10.00.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("New"), At(10))));
    Write(QStringLiteral("2024.01.05, 11.00.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("Newer"), At(11))));
    Write(QStringLiteral("2024.01.05, 12.00.00.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("S7"), At(12))));
    EXPECT_EQ(Run(), (ImportCounts{1, 0}));
    EXPECT_EQ(Texts(), QStringList({Msg(9, {30000}), Msg(39, {1, 0})}));
    EXPECT_EQ(Names(Source), QStringList({QStringLiteral("2024.01.05, 10.00.00.QTA"),
                                          QStringLiteral("2024.01.05, 11.00.00.QTA")}));

    // 100 report forms: a new style still comes in with its own copies.
    Styles.assign(1, BlankStyle);
    ReportForms.resize(101, BlankReportForm);
    for (std::size_t i = 1; i < ReportForms.size(); ++i)
        ReportForms[i].Name = QStringLiteral("F%1").arg(i);
    Presenter.Shown.clear();
    EXPECT_EQ(Run(), (ImportCounts{2, 2}));
    EXPECT_EQ(Texts(), QStringList({Msg(9, {100}), Msg(39, {2, 2})}));
    EXPECT_EQ(ReportForms.size(), 101u);
    EXPECT_EQ(Styles[1].Forms[1].Name, QStringLiteral("Air"));
}

} // namespace
