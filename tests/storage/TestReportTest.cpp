#include "StorageTest.h"
#include "support/Bytes.h"
#include "support/ChildProcess.h"

#include "foundation/OldRecords.h"
#include "foundation/modConvert.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <unistd.h>
#include <utility>

namespace {

double SampleDate() { return At(13, 7, 9); }

const char* const SampleName = "2024.01.05, 13.07.09.QTA";

// The report file of the empty series, worked out field by field.
std::string EmptyReportFileByHand()
{
    const std::string noValue = Hex("FD FF 7F FF");
    const std::string noText = Hex("00 00");
    std::string bytes = Hex("51 54 41  03 00  38 2E 30");   // "QTA", 3, "8.0"
    // The blank style: no name, 20 test definitions, 10 report forms.
    bytes += noText;
    bytes += Repeat(Hex("00 00 00 00") + Repeat(noValue, 8) + Hex("00 00  00 00"), 20);
    bytes += Repeat(noText + std::string(6 * 6, '\0'), 10);
    // Eleven empty texts, Date and LastTestDate.
    bytes += Repeat(noText, 11) + std::string(16, '\0');
    // Six empty blocks, each holding the empty test as element 0.
    const std::string emptyTest = noValue + noText + noValue + noText + Hex("20") + noText + Hex("00 00")
        + noText + noText + std::string(8, '\0') + Repeat(noText, 3);
    const std::string emptyStats = std::string(4 + 4 * 8, '\0') + Repeat(noValue, 10);
    const std::string emptyBlock = noText + Hex("01 00  01 00 00 00  00 00 00 00") + emptyTest + Hex("00 00")
        + noValue + noText + emptyStats + std::string(16, '\0') + Hex("00 00");
    bytes += Repeat(emptyBlock, 6);
    bytes += Hex("00 00  01 00  01 00");   // Finished, FormIndex 1, CurrentProperty 1
    return bytes;
}

ProtocolBefore26 Old25Protocol()
{
    ProtocolBefore26 p;
    p.Style.Name = QStringLiteral("abc");
    for (int t = 1; t <= OldTestTypeCount; ++t)
        p.Style.Tests[t] = BlankTestDefinition;
    p.Style.Tests[18].Defined1 = true;   // a test type that moves up in 2.6
    p.Style.Forms[1].Items[1].Property = 18;
    p.Reference2 = QStringLiteral("Lot 1");
    p.Operator = QStringLiteral("Meier");
    p.Date = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
    p.Blocks[1] = OldBlock();
    for (int b = 2; b <= PropertyCount; ++b)
        p.Blocks[b].Values.resize(1);
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    return p;
}

bool AllTestTimesZeroAndQdasEmpty(const Protocol& p)
{
    if (!p.K0006.isEmpty() || !p.K0016.isEmpty() || !p.K0053.isEmpty() || !p.K1031.isEmpty()
        || !p.K1032.isEmpty() || !p.K1086.isEmpty() || !p.K1087.isEmpty())
        return false;
    for (int b = 1; b <= PropertyCount; ++b)
        for (const TestValue& v : p.Blocks[b].Values)
            if (v.TestTime != 0 || !v.K0006.isEmpty() || !v.K0016.isEmpty() || !v.K0053.isEmpty())
                return false;
    return true;
}

}  // namespace

class TestReport : public StorageTest {
protected:
    // A damaged file: it reads as the empty series and is left as it was.
    void ExpectFailedRead(const std::string& bytes, const std::string& what)
    {
        WriteFileBytes(Data + QStringLiteral("/BAD.QTA"), bytes);
        EXPECT_EQ(dskGetTestReport(Data, QStringLiteral("BAD.QTA")), EmptyProtocol) << what;
        EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/BAD.QTA")), bytes) << what;
    }
};

TEST(StyleFolderName, SumsTheLowBytesOfTheUpperCasedTrimmedName)
{
    const struct {
        QString name;
        const char* folder;
    } cases[] = {
        {QString(), "QTA001"}, {QStringLiteral("    "), "QTA001"},
        {QStringLiteral("abc"), "QTA199"},   // 65+66+67+1
        {QStringLiteral(" ABC "), "QTA199"},
        {QStringLiteral("ZZZ"), "QTA015"},   // 270 and 255 = 14
        {QStringLiteral("\t"), "QTA010"},    // only blanks are trimmed: 9 + 1
        {QStringLiteral("Ä"), "QTA197"}, {QStringLiteral("ä"), "QTA197"},   // 196
        {QStringLiteral("ß"), "QTA224"},     // stays 223
        {QStringLiteral("µ"), "QTA182"},     // its upper case (U+039C) lies outside the code page: 181
        {QString(QChar(0x81)), "QTA130"},    // a byte the code page leaves undefined
        // Characters whose 16-bit code differs from their Windows-1252 byte
        // count with the code's low byte (the code-page byte in brackets).
        {QStringLiteral("Denim 12’ oz"), "QTA211"},   // DENIM 12’ OZ: 697 + 0x19 = 722, and 255 = 210
        {QStringLiteral("€€"), "QTA089"},    // U+20AC (0x80): 2 * 0xAC = 344, and 255 = 88
        {QStringLiteral("š"), "QTA097"},     // Š: U+0160 (0x8A)
        {QStringLiteral("’"), "QTA026"},     // U+2019 (0x92)
        {QStringLiteral("“"), "QTA029"},     // U+201C (0x93)
        {QStringLiteral("”"), "QTA030"},     // U+201D (0x94)
        {QStringLiteral("–"), "QTA020"},     // U+2013 (0x96)
        {QStringLiteral("—"), "QTA021"},     // U+2014 (0x97)
        {QStringLiteral("€"), "QTA173"},     // U+20AC (0x80)
        {QStringLiteral("…"), "QTA039"},     // U+2026 (0x85)
        {QStringLiteral("Š"), "QTA097"},     // U+0160 (0x8A)
        {QStringLiteral("Œ"), "QTA083"}, {QStringLiteral("œ"), "QTA083"},   // U+0152 (0x8C)
        {QStringLiteral("Ÿ"), "QTA121"}, {QStringLiteral("ÿ"), "QTA121"},   // U+0178 (0x9F)
        {QStringLiteral("™"), "QTA035"},     // U+2122 (0x99)
        // Outside the code page a character counts as "?" (63), once per
        // character, also when its upper-case form lies in the code page ("ı"
        // and "ſ" upper-case to "I" and "S"): the settings file keeps it as "?".
        {QStringLiteral("?"), "QTA064"}, {QStringLiteral("中"), "QTA064"}, {QString::fromUcs4(U"\U0001F600"), "QTA064"},
        {QStringLiteral("ı"), "QTA064"}, {QStringLiteral("ſ"), "QTA064"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dskStyleFolderName(c.name), QLatin1String(c.folder)) << c.name.toStdString();
}

TEST_F(TestReport, EmptySeriesFileByteForByteReplacingALongerFile)
{
    const QString path = Data + QStringLiteral("/EMPTY.QTA");
    ASSERT_TRUE(dskPutTestReportAction(Data, QStringLiteral("EMPTY.QTA"), SampleProtocol(QStringLiteral("abc"), 1), false));
    ASSERT_GT(QFileInfo(path).size(), 2128);
    // The whole file is replaced and cut to its new length.
    ASSERT_TRUE(dskPutTestReportAction(Data, QStringLiteral("EMPTY.QTA"), EmptyProtocol, false));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.size(), 2128u);
    EXPECT_EQ(ToHex(bytes), ToHex(EmptyReportFileByHand()));
    EXPECT_EQ(dskGetTestReport(Data, QStringLiteral("EMPTY.QTA")), EmptyProtocol);
}

TEST_F(TestReport, SaveNewWritesIntoTheStyleFolderReadOnly)
{
    const Protocol p = SampleProtocol(QStringLiteral("abc"), SampleDate());
    ASSERT_TRUE(dskSaveNewTestReport(p));
    const QString path = Data + QStringLiteral("/QTA199/") + QLatin1String(SampleName);
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_TRUE(IsReadOnly(path));
    const std::string bytes = ReadFileBytes(path);
    // Header, then the style name as written (not upper-cased).
    EXPECT_EQ(ToHex(bytes.substr(0, 13)), ToHex(Hex("51 54 41 03 00 38 2E 30  03 00 61 62 63")));
    // After the style (1182 bytes, the names "abc" and "Air") and ten texts:
    // Operator "Müller" in Windows-1252, then Date.
    const std::size_t op = 8 + 1182 + 3 + 3 + 2 * 5 + (2 + 5) + (2 + 7) + 2 * 3;
    EXPECT_EQ(ToHex(bytes.substr(op, 8)), ToHex(Hex("06 00 4D FC 6C 6C 65 72")));
    double date = 0;
    std::memcpy(&date, bytes.data() + op + 8, 8);
    EXPECT_EQ(date, SampleDate());
    EXPECT_EQ(dskGetTestReport(Data, QStringLiteral("QTA199\\") + QLatin1String(SampleName)), p);
    EXPECT_TRUE(Presenter.Shown.empty());

    // A style without a name goes to the first folder.
    ASSERT_TRUE(dskSaveNewTestReport(SampleProtocol(QString(), SampleDate())));
    EXPECT_TRUE(IsReadOnly(Data + QStringLiteral("/QTA001/") + QLatin1String(SampleName)));
}

TEST_F(TestReport, AnEarlierReportIsNeverReplaced)
{
    // Read-only by its write bits, which do not stop root.
    const Protocol first = SampleProtocol(QStringLiteral(" ABC "), SampleDate());
    ASSERT_TRUE(dskSaveNewTestReport(first));
    const QString folder = Data + QStringLiteral("/QTA199/");
    const QString path = folder + QLatin1String(SampleName);
    const std::string before = ReadFileBytes(path);

    // The same series saved again (its first save not known to have
    // happened): saved, nothing written, nothing said.
    QString name;
    EXPECT_TRUE(dskSaveNewTestReport(first, &name));
    EXPECT_EQ(name, QLatin1String(SampleName));
    EXPECT_TRUE(LogLines().isEmpty());

    // Another series of the same start second takes the next free second;
    // the dates inside stay those of the series. A lower-case copy from
    // Windows holds a name as well.
    WriteFileBytes(folder + QStringLiteral("2024.01.05, 13.07.10.qta"), "keep me");
    Protocol second = SampleProtocol(QStringLiteral("abc"), SampleDate());
    second.Operator = QStringLiteral("Somebody else");
    ASSERT_TRUE(dskSaveNewTestReport(second, &name));
    EXPECT_EQ(name, QStringLiteral("2024.01.05, 13.07.11.QTA"));
    EXPECT_EQ(ReadFileBytes(folder + name), ReportFileBytes(second));
    EXPECT_TRUE(IsReadOnly(folder + name));
    EXPECT_EQ(ReadFileBytes(folder + QStringLiteral("2024.01.05, 13.07.10.qta")), "keep me");
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(Presenter.Shown.empty());
    EXPECT_TRUE(LogLines().isEmpty());

    // A write that names the file is refused on the stored report in any case.
    EXPECT_FALSE(dskPutTestReportAction(Data, QStringLiteral("QTA199\\") + QLatin1String(SampleName), second, false));
    EXPECT_FALSE(dskPutTestReportAction(Data, QStringLiteral("qta199\\2024.01.05, 13.07.09.qta"), second, false));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(LogLines().size(), 2);

    // Cleared first, as a rewrite of the report does, it is replaced; the
    // file keeps the permissions it had (here none for others).
    ASSERT_TRUE(SetAttr(path, AttrNormal));
    const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, mode));
    EXPECT_TRUE(dskPutTestReportAction(Data, QStringLiteral("QTA199\\") + QLatin1String(SampleName), second, false));
    EXPECT_EQ(ReadFileBytes(path), ReportFileBytes(second));
    const QFileDevice::Permissions modeBits(0x7077);   // owner, group and others, not the running user's
    EXPECT_EQ(QFile::permissions(path) & modeBits, mode);
}

TEST_F(TestReport, PutFindsItsFolder)
{
    ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/QTA199")));
    ASSERT_TRUE(dskPutTestReportAction(Data, QStringLiteral("QTA199\\2011.12.08, 10.15.00.QTA"), EmptyProtocol, false));
    EXPECT_TRUE(QFile::exists(Data + QStringLiteral("/QTA199/2011.12.08, 10.15.00.QTA")));
    // A missing subfolder is a failed write, logged.
    EXPECT_FALSE(dskPutTestReportAction(Data, QStringLiteral("QTA005\\X.QTA"), EmptyProtocol, false));
    EXPECT_EQ(LogLines().size(), 1);

    // Another folder that is missing: written to the program folder, DataFolder kept.
    EXPECT_TRUE(dskPutTestReportAction(QStringLiteral("C:\\QUINTARA\\DATA"), QStringLiteral("A.QTA"), EmptyProtocol, false));
    EXPECT_TRUE(QFile::exists(Program + QStringLiteral("/A.QTA")));
    EXPECT_EQ(DataFolder, Data);

    // DataFolder itself missing: it becomes the program folder.
    DataFolder = Temp.path() + QStringLiteral("/Gone");
    ASSERT_TRUE(dskSaveNewTestReport(SampleProtocol(QStringLiteral("abc"), SampleDate())));
    EXPECT_EQ(DataFolder, Program);
    EXPECT_TRUE(IsReadOnly(Program + QStringLiteral("/QTA199/") + QLatin1String(SampleName)));
}

TEST_F(TestReport, IsTestReportFile)
{
    const std::string good = ReportFileBytes(EmptyProtocol);
    const struct {
        const char* name;
        std::string bytes;
        bool valid;
    } files[] = {
        {"GOOD.QTA", good, true},
        {"REPORT.qta", good, true},
        {"X.QTA.BAK", good, false},
        {"SHORT.QTA", "QTA", false},
        {"TEXT.QTA", std::string(good).replace(5, 3, "abc"), false},   // no number for a version
        {"MAGIC.QTA", std::string(good).replace(0, 3, "ABT"), false},
        // The validity test looks at the header only; the reader finds the record missing.
        {"HEADER.QTA", ReportHeader("8.0"), true},
    };
    for (const auto& f : files) {
        WriteFileBytes(Data + u'/' + QLatin1String(f.name), f.bytes);
        EXPECT_EQ(dskIsTestReportFile(Data, QLatin1String(f.name)), f.valid) << f.name;
    }
    EXPECT_TRUE(dskIsTestReportFile(Data + QStringLiteral("/"), QStringLiteral("good.qta")));
    EXPECT_FALSE(dskIsTestReportFile(Data, QStringLiteral("MISSING.QTA")));
    EXPECT_EQ(dskGetTestReport(Data, QStringLiteral("X.QTA.BAK")), EmptyProtocol);
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(TestReport, OlderVersionsAreConvertedAndWrittenBackInPlace)
{
    Protocol from25;
    ConvertProtocolBefore26(from25, Old25Protocol());
    EXPECT_EQ(from25.Operator, QStringLiteral("Meier"));
    EXPECT_EQ(from25.Blocks[1].Values.size(), 3u);
    EXPECT_EQ(from25.Blocks[1].Values[2].Value1, 12.5f);
    // Test type 17 came in with 2.6: the old type 18 is now 19, in the
    // definitions and in the report form.
    EXPECT_TRUE(from25.Style.Tests[19].Defined1);
    EXPECT_FALSE(from25.Style.Tests[18].Defined1);
    EXPECT_EQ(from25.Style.Forms[1].Items[1].Property, 19);
    Protocol from26;
    ConvertProtocolBefore60(from26, Old26Protocol());
    EXPECT_EQ(from26.Reference3, QStringLiteral("Rolle 4"));
    EXPECT_EQ(from26.FormIndex, 2);
    EXPECT_TRUE(AllTestTimesZeroAndQdasEmpty(from25));
    EXPECT_TRUE(AllTestTimesZeroAndQdasEmpty(from26));

    // A stored report (read-only) copied from Windows with lower-case names.
    // "5.9" is still the middle layout, and so is "2.59999999", which is 2.6
    // in single precision.
    ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/qta199")));
    const QString path = Data + QStringLiteral("/qta199/2011.12.08, 10.15.00.qta");
    const QString name = QStringLiteral("QTA199\\2011.12.08, 10.15.00.QTA");
    for (const char* version : {"2.5", "2.6", "5.9", "2.59999999"}) {
        SCOPED_TRACE(version);
        const bool before26 = std::string(version) == "2.5";
        WriteFileBytes(path, before26 ? OldReportFile(version, Old25Protocol()) : OldReportFile(version, Old26Protocol()));
        const Protocol& expected = before26 ? from25 : from26;
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        EXPECT_EQ(dskGetTestReport(Data, name), expected);
        EXPECT_EQ(ReadFileBytes(path), ReportFileBytes(expected));
        EXPECT_TRUE(IsReadOnly(path));
        // Read again, it is a current file and stays as it is.
        EXPECT_EQ(dskGetTestReport(Data, name), expected);
    }
    // The write-back went to the file that was read, and nowhere else.
    EXPECT_EQ(QDir(Data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("qta199")});
    EXPECT_EQ(QDir(Data + QStringLiteral("/qta199")).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_TRUE(Presenter.Shown.empty());

    // A failed write-back (a name so long that no temporary file can be made
    // beside it) shows message 32 and keeps the file; the series is read all the same.
    const QString longName = QString(252, u'A') + QStringLiteral("QTA");
    const std::string bytes = OldReportFile("2.6", Old26Protocol());
    WriteFileBytes(Data + u'/' + longName, bytes);
    EXPECT_EQ(dskGetTestReport(Data, longName), from26);
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("An error occurred while reading the file!"));
    EXPECT_EQ(ReadFileBytes(Data + u'/' + longName), bytes);
    EXPECT_EQ(LogLines().size(), 1);

    // A caller that reads many reports is told instead, and shows no box per file.
    bool writeBackFailed = false;
    EXPECT_EQ(dskGetTestReport(Data, longName, &writeBackFailed), from26);
    EXPECT_TRUE(writeBackFailed);
    EXPECT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(ReadFileBytes(Data + u'/' + longName), bytes);
    // A current file, or a written-back one, is no failure.
    bool failed = true;
    EXPECT_EQ(dskGetTestReport(Data, name, &failed), from26);
    EXPECT_FALSE(failed);
    WriteFileBytes(path, OldReportFile("2.5", Old25Protocol()));
    failed = true;
    EXPECT_EQ(dskGetTestReport(Data, name, &failed), from25);
    EXPECT_FALSE(failed);
    EXPECT_EQ(ReadFileBytes(path), ReportFileBytes(from25));
    EXPECT_EQ(Presenter.Shown.size(), 1u);
}

TEST_F(TestReport, StoredNamesReachingOutsideTheFolderAreRefused)
{
    // An older report beside the data folder that a crafted name points at:
    // it is neither read nor written back.
    const std::string outside = OldReportFile("2.6", Old26Protocol());
    WriteFileBytes(Temp.path() + QStringLiteral("/x.QTA"), outside);
    ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/QTA199/sub")));
    const QString refused[] = {QStringLiteral("..\\x.QTA"), QStringLiteral("../x.QTA"), QStringLiteral("QTA199\\..\\..\\x.QTA"),
                               QStringLiteral("QTA199\\sub\\x.QTA"), QStringLiteral("/x.QTA")};
    for (const QString& name : refused) {
        SCOPED_TRACE(name.toStdString());
        bool failed = true;
        EXPECT_FALSE(dskIsTestReportFile(Data, name));
        EXPECT_EQ(dskGetTestReport(Data, name, &failed), EmptyProtocol);
        EXPECT_FALSE(failed);
        EXPECT_FALSE(dskPutTestReportAction(Data, name, EmptyProtocol, false));
    }
    // Into a style folder only a bare name goes.
    EXPECT_FALSE(dskPutTestReportAction(Data, QStringLiteral("QTA199\\y.QTA"), EmptyProtocol, true));
    EXPECT_EQ(ReadFileBytes(Temp.path() + QStringLiteral("/x.QTA")), outside);
    EXPECT_EQ(QDir(Data + QStringLiteral("/QTA199")).entryList(QDir::Files).size(), 0);
    EXPECT_EQ(QDir(Data + QStringLiteral("/QTA199/sub")).entryList(QDir::Files).size(), 0);
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskIsTestReportFile \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t64\t")), 10);
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskPutTestReportActi\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t64\t")), 6);
    EXPECT_TRUE(Presenter.Shown.empty());

    // The names the program stores itself still work.
    ASSERT_TRUE(dskPutTestReportAction(Data, QStringLiteral("QTA199\\A.QTA"), EmptyProtocol, false));
    ASSERT_TRUE(dskPutTestReportAction(Data, QStringLiteral("PENDING 1.QTA"), EmptyProtocol, false));
    EXPECT_TRUE(dskIsTestReportFile(Data, QStringLiteral("qta199/a.qta")));
    EXPECT_TRUE(dskIsTestReportFile(Data, QStringLiteral("PENDING 1.QTA")));
}

TEST_F(TestReport, Version60IsReadAsItIsAndLeftUnchanged)
{
    const Protocol p = SampleProtocol(QStringLiteral("abc"), SampleDate());
    const QString path = Data + QStringLiteral("/SIX.QTA");
    // Bytes beyond the record are never read.
    const std::string bytes = ReportHeader("6.0") + ReportFileBytes(p).substr(8) + "tail";
    WriteFileBytes(path, bytes);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const QDateTime modified = QFileInfo(path).lastModified();
    EXPECT_EQ(dskGetTestReport(Data, QStringLiteral("SIX.QTA")), p);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    const QFileDevice::Permissions modeBits(0x7077);   // owner, group and others, not the running user's
    EXPECT_EQ(QFile::permissions(path) & modeBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}

TEST_F(TestReport, CurveFileNamesOfTheTestsInBlockOrder)
{
    Protocol p = EmptyProtocol;
    EXPECT_TRUE(dskCurveFileNames(p).isEmpty());
    p.Blocks[1].Values[0].CurveFile = "UNUSED.ABT";   // element 0 is never a test
    // "KR 0012.3" is a pressure-drop half reading. A name reaching outside the
    // data folder or naming one of the program's own files comes from a
    // crafted report and would be read, rewritten or moved to the trash.
    const std::pair<int, const char*> tests[] = {
        {1, "2024.01.05, 13.08.00.ABT"}, {1, ""}, {4, "KR 0012.3"}, {6, "2024.01.05, 14.00.00.ABT"},
        {2, "../x"}, {2, "..\\..\\x.ABT"}, {2, "QTA001\\x.ABT"}, {2, "QUINTARA.LOG"}, {2, "PENDING 1.QTA"},
        {2, "quintara.dat"}, {2, "a\tb.ABT"}, {2, ".."}, {2, "C.ABT"}};
    for (const auto& [block, curveFile] : tests) {
        TestValue v = EmptyTestValue;
        v.CurveFile = curveFile;
        p.Blocks[block].Values.push_back(v);
    }
    EXPECT_EQ(dskCurveFileNames(p), (QStringList{QStringLiteral("2024.01.05, 13.08.00.ABT"), QStringLiteral("C.ABT"),
                                                 QStringLiteral("2024.01.05, 14.00.00.ABT")}));
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskCurveFileNames   \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t64\tBad file name: ")), 8);
}

TEST_F(TestReport, DamagedFilesGiveTheEmptySeriesWithOneLogLine)
{
    int damaged = 0;
    for (const std::string& whole : {ReportFileBytes(SampleProtocol(QStringLiteral("abc"), SampleDate())),
                                     OldReportFile("2.6", Old26Protocol()), OldReportFile("2.5", Old25Protocol())}) {
        for (std::size_t length = 100; length < whole.size(); length += 100, ++damaged)
            ExpectFailedRead(whole.substr(0, length), "cut at " + std::to_string(length));
    }
    // The empty series: block 1 starts after the header, the style, eleven
    // texts and two dates, its element count behind the dimension count; the
    // file ends in FormIndex and CurrentProperty; the test type of item 1 of
    // report form 10 lies behind 20 definitions of 40 bytes and nine forms of 38.
    const std::string good = EmptyReportFileByHand();
    const std::size_t block1 = 8 + 1182 + 22 + 16;
    const std::size_t formIndex = good.size() - 4;
    const std::size_t item = 8 + 2 + 20 * 40 + 9 * 38 + 2;
    ASSERT_EQ(good.substr(block1, 6), Hex("00 00  01 00  01 00"));
    ASSERT_EQ(good.substr(formIndex), Hex("01 00  01 00"));
    ASSERT_EQ(good.substr(item, 6), Hex("00 00  00 00  00 00"));
    const struct {
        std::size_t at;
        const char* patch;
        const char* what;
    } patches[] = {
        {block1 + 4, "00 00 00 80", "count"}, {block1 + 4, "FF FF FF 7F", "count"},
        {block1 + 4, "FF FF FF FF", "count"},
        {block1, "FF FF", "header length beyond the end"},
        {formIndex, "00 00", "report form 0"}, {formIndex, "0B 00", "report form 11"}, {formIndex, "FF FF", "form -1"},
        {formIndex + 2, "00 00", "current property 0"}, {formIndex + 2, "07 00", "current property 7"},
        {item, "15 00", "test type 21"}, {item, "FF FF", "test type -1"},
    };
    for (const auto& p : patches) {
        const std::string bytes = Hex(p.patch);
        ExpectFailedRead(std::string(good).replace(p.at, bytes.size(), bytes), p.what);
    }
    damaged += static_cast<int>(std::size(patches));
    // The same count in an old file.
    std::string older = OldReportFile("2.5", Old25Protocol());
    const std::size_t oldCount = 8 + (2 + 3) + 19 * 40 + 10 * 38 + (2 + 5) + 2 * 2 + (2 + 5) + 16 + (2 + 60) + 2;
    ASSERT_EQ(older.substr(oldCount, 4), Hex("03 00 00 00"));
    ExpectFailedRead(older.replace(oldCount, 4, Hex("00 00 00 80")), "old count");
    // An old file out of range is neither converted nor written back.
    ProtocolBefore60 old = Old26Protocol();
    old.FormIndex = 11;
    ExpectFailedRead(OldReportFile("2.6", old), "old form index");
    EXPECT_FALSE(IsReadOnly(Data + QStringLiteral("/BAD.QTA")));
    EXPECT_EQ(LogLines().size(), damaged + 2);
    EXPECT_TRUE(Presenter.Shown.empty());

    // The ends of every range are read.
    std::string edges = good;
    edges.replace(formIndex, 4, Hex("0A 00  06 00"));
    edges.replace(item, 2, Hex("14 00"));
    WriteFileBytes(Data + QStringLiteral("/EDGES.QTA"), edges);
    Protocol expected = EmptyProtocol;
    expected.FormIndex = 10;
    expected.CurrentProperty = 6;
    expected.Style.Forms[10].Items[1].Property = 20;
    EXPECT_EQ(dskGetTestReport(Data, QStringLiteral("EDGES.QTA")), expected);
}

TEST_F(TestReport, RandomBytesNeverCrash)
{
    std::mt19937 random(20240105);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 6000);
    const std::string headers[] = {"", ReportHeader("8.0"), ReportHeader("2.5"), ReportHeader("2.6"), ReportHeader("6.0")};
    for (int round = 0; round < 300; ++round) {
        std::string bytes = headers[round % 5];
        const int n = length(random);
        for (int i = 0; i < n; ++i)
            bytes += static_cast<char>(byte(random));
        ExpectFailedRead(bytes, "round " + std::to_string(round));
    }
    EXPECT_TRUE(Presenter.Shown.empty());
}

// ---- Writers where they fail ---------------------------------------------------------

TEST_F(TestReport, AFullDiskKeepsEveryEarlierFileAndReportsTheFailure)
{
    // Writes past 1024 bytes fail (EFBIG) as on a full disk.
    const QString reportPath = Data + QStringLiteral("/QTA199/") + QLatin1String(SampleName);
    const QString oldPath = Data + QStringLiteral("/OLD.QTA");
    const Protocol series = SampleProtocol(QStringLiteral("abc"), SampleDate());
    Protocol from26;
    ConvertProtocolBefore60(from26, Old26Protocol());
    const struct {
        const char* what;
        QString path;
        std::string before;   // "<missing>" for no file
        std::function<bool()> write;
    } writers[] = {
        {"a new report", reportPath, "<missing>", [&] { return dskSaveNewTestReport(series); }},
        {"a replaced report", oldPath, "short but whole",
         [&] { return dskPutTestReportAction(Data, QStringLiteral("OLD.QTA"), series, false); }},
        {"an older report written back", oldPath, OldReportFile("2.6", Old26Protocol()),
         [&] { return !(dskGetTestReport(Data, QStringLiteral("OLD.QTA")) == from26); }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.what);
        QFile::remove(Program + QStringLiteral("/QUINTARA.LOG"));
        if (w.before != "<missing>")
            WriteFileBytes(w.path, w.before);
        const int result = RunWithFileSizeLimit(1024, [&] { return w.write() ? 1 : 0; });
        if (result == ChildSetupFailed)
            GTEST_SKIP() << "no file size limit";
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ReadFileBytes(w.path), w.before);
        ASSERT_EQ(LogLines().size(), 1);
        EXPECT_TRUE(LogLines()[0].contains(QStringLiteral("\tdskPutTestReportActi\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t61\t"))) << LogLines()[0].toStdString();
        QFile::remove(w.path);
    }
    // Nothing was left behind that would refuse a later save.
    EXPECT_TRUE(QDir(Data + QStringLiteral("/QTA199")).isEmpty());
    EXPECT_TRUE(dskSaveNewTestReport(series));
}

TEST_F(TestReport, AReadOnlyMountIsPermissionDenied)
{
    // The data folder mounted read-only: a new style folder, a new report in
    // an existing one and a replaced report all fail with number 70.
    ASSERT_TRUE(QDir().mkpath(Data + QStringLiteral("/QTA199")));
    WriteFileBytes(Data + QStringLiteral("/OLD.QTA"), "old");
    const int result = RunWithReadOnlyFolder(QFile::encodeName(Data).constData(), [] {
        const bool anyWritten = dskSaveNewTestReport(SampleProtocol(QStringLiteral("abc"), SampleDate()))
            || dskSaveNewTestReport(SampleProtocol(QStringLiteral("xyz"), SampleDate()))
            || dskPutTestReportAction(DataFolder, QStringLiteral("OLD.QTA"), EmptyProtocol, false);
        return anyWritten ? 1 : 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no read-only mount";
    EXPECT_EQ(result, 0);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(QStringLiteral("\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t70\t"))) << line.toStdString();
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/OLD.QTA")), "old");
}

// ---- Two seats on one data folder ----------------------------------------------------

namespace {

const char* const NextSecondName = "2024.01.05, 13.07.10.QTA";

const struct {
    const char* what;
    NewFileWays ways;
} FileSystems[] = {
    {"a local disk", NewFileWays::All},
    {"a share", NewFileWays::NoUnnamedFiles},
    {"a disk without hard links", NewFileWays::NoHardLinks},
};

// The report files of the folder as a user sees them, and the hidden rest.
QStringList Visible(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }
QStringList Hidden(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : Visible(folder))
        names.removeOne(name);
    return names;
}

void AgeByTwoHours(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        file.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime);
}

}  // namespace

TEST_F(TestReport, TwoSeatsSavingAtOnceBothKeepTheirReports)
{
    // Two installations, each a process with a program folder of its own,
    // store a series each, of one style and one start second, into one data
    // folder at the same moment; many times, to meet the race.
    const QString folder = Data + QStringLiteral("/QTA199");
    Protocol seatA = SampleProtocol(QStringLiteral("abc"), SampleDate());
    seatA.Operator = QStringLiteral("Seat A");
    Protocol seatB = seatA;
    seatB.Operator = QStringLiteral("Seat B");
    const std::set<std::string> both = {ReportFileBytes(seatA), ReportFileBytes(seatB)};
    const struct {
        const char* what;
        bool styleFolderThere;
        NewFileWays ways;
    } rows[] = {
        {"style folder there", true, NewFileWays::All},
        {"a new style folder", false, NewFileWays::All},
        {"on a share", true, NewFileWays::NoUnnamedFiles},
        {"without hard links", true, NewFileWays::NoHardLinks},
    };
    constexpr int Trials = 40;
    for (const auto& row : rows) {
        for (int trial = 0; trial < Trials; ++trial) {
            QDir(Data).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(row.styleFolderThere ? folder : Data));
            int go[2];
            ASSERT_EQ(::pipe(go), 0);
            pid_t seats[2];
            for (int i = 0; i < 2; ++i) {
                const QString program = Temp.path() + QStringLiteral("/Seat%1").arg(i);
                QDir().mkpath(program);
                seats[i] = StartChild([&] {
                    ::close(go[1]);
                    SetProgramFolder(program);
                    SetNewFileWays(row.ways);
                    char byte = 0;
                    (void)!::read(go[0], &byte, 1);   // both go when the parent closes its end
                    return dskSaveNewTestReport(i == 0 ? seatA : seatB) ? 0 : 1;
                });
            }
            ::close(go[0]);
            ::close(go[1]);
            for (const pid_t seat : seats)
                ASSERT_EQ(WaitForChild(seat), 0) << row.what << ", trial " << trial;
            // One report each, whole, none replaced; the second under the
            // next second's name.
            ASSERT_EQ(Visible(folder), (QStringList{QLatin1String(SampleName), QLatin1String(NextSecondName)}))
                << row.what << ", trial " << trial;
            const std::set<std::string> stored = {ReadFileBytes(folder + u'/' + QLatin1String(SampleName)),
                                                  ReadFileBytes(folder + u'/' + QLatin1String(NextSecondName))};
            ASSERT_EQ(stored, both) << row.what << ", trial " << trial;
            ASSERT_EQ(Hidden(folder), QStringList()) << row.what << ", trial " << trial;
        }
    }
}

TEST_F(TestReport, ANewReportIsWholeUnderItsNameOrNotThereWhereverItsWriteIsKilledOrFails)
{
    // Another seat's report of the same second is there already; the new one
    // goes to the next second. Killed or failing at each file call, on each
    // kind of file system: the other report stays as it was, and the new one
    // is under its name whole and read-only, or not at all (without hard
    // links, empty at most: no reader takes that for a report). A temporary
    // name left behind is no report, and the next run's first report in the
    // folder removes it.
    const Protocol earlier = SampleProtocol(QStringLiteral("abc"), SampleDate());
    Protocol series = earlier;
    series.Operator = QStringLiteral("Later");
    Protocol third = earlier;
    third.Date = At(14);
    const QString folder = Data + QStringLiteral("/QTA199");
    const QString first = folder + u'/' + QLatin1String(SampleName);
    const QString path = folder + u'/' + QLatin1String(NextSecondName);
    const auto prepare = [&] {
        QDir(Data).removeRecursively();
        QDir().mkpath(folder);
        WriteFileBytes(first, ReportFileBytes(earlier));
        SetAttr(first, AttrReadOnly);
    };
    int leftovers = 0;
    for (const auto& fs : FileSystems) {
        for (const bool kill : {true, false}) {
            SCOPED_TRACE(std::string(fs.what) + (kill ? ", killed" : ", failing"));
            const auto save = [&] {
                SetNewFileWays(fs.ways);
                return dskSaveNewTestReport(series) ? 0 : 1;
            };
            const auto check = [&](int k, int exitCode) {
                SCOPED_TRACE(k);
                ASSERT_EQ(ReadFileBytes(first), ReportFileBytes(earlier));
                const QStringList visible = Visible(folder);
                ASSERT_TRUE(visible == QStringList{QLatin1String(SampleName)}
                            || visible == (QStringList{QLatin1String(SampleName), QLatin1String(NextSecondName)}))
                    << visible.join(u',').toStdString();
                if (QFileInfo::exists(path)) {
                    const std::string bytes = ReadFileBytes(path);
                    const bool emptyHolder = fs.ways == NewFileWays::NoHardLinks && kill && bytes.empty();
                    ASSERT_TRUE(bytes == ReportFileBytes(series) || emptyHolder);
                    ASSERT_TRUE(IsReadOnly(path));
                }
                // A failed save leaves nothing under the name; one that says
                // it saved, the whole report.
                if (!kill) {
                    ASSERT_EQ(QFileInfo::exists(path), exitCode == 0);
                    ASSERT_TRUE(exitCode != 0 || ReadFileBytes(path) == ReportFileBytes(series));
                }
                for (const QString& name : Hidden(folder)) {
                    ++leftovers;
                    ASSERT_FALSE(dskIsTestReportFile(folder, name)) << name.toStdString();
                    AgeByTwoHours(folder + u'/' + name);
                }
                // The next run: its first report in the folder clears it.
                ASSERT_EQ(WaitForChild(StartChild([&] { return dskSaveNewTestReport(third) ? 0 : 1; })), 0);
                ASSERT_EQ(Hidden(folder), QStringList());
            };
            const int runs = kill ? KillBeforeEachFileCall(prepare, save, [&](int k) { check(k, -1); })
                                  : FailEachFileCall(prepare, save, EIO, FileCallFault::Once, check);
            if (runs < 0)
                GTEST_SKIP() << "no tracing of a child";
            EXPECT_GT(runs, 4);
        }
    }
    // On a share a kill leaves temporary names, and they were cleared.
    EXPECT_GT(leftovers, 0);
}

TEST_F(TestReport, ATextCutToItsLargestLengthIsLogged)
{
    Protocol series = SampleProtocol(QStringLiteral("abc"), SampleDate());
    series.Blocks[1].Commentary = QString(70000, u'c');
    ASSERT_TRUE(dskSaveNewTestReport(series));
    ASSERT_EQ(LogLines().size(), 1);
    EXPECT_TRUE(LogLines()[0].contains(QStringLiteral("\t0\t1 text(s) cut to 65535 bytes: "))) << LogLines()[0].toStdString();
    const Protocol back = dskGetTestReport(Data, QStringLiteral("QTA199\\") + QLatin1String(SampleName));
    EXPECT_EQ(back.Blocks[1].Commentary, QString(65535, u'c'));
}

TEST_F(TestReport, ANewReportInAFolderNeverReplacesOneOfItsName)
{
    const Protocol p = SampleProtocol(QStringLiteral("abc"), At(10, 15));
    const QString name = QStringLiteral("2024.01.05, 10.15.00.QTA");
    ASSERT_TRUE(dskPutNewTestReport(Data, name, p));
    EXPECT_EQ(ReadFileBytes(Data + QLatin1Char('/') + name), ReportFileBytes(p));
    EXPECT_TRUE(IsReadOnly(Data + QLatin1Char('/') + name));

    // The same name in any case, writable or not, stays as it was.
    WriteFileBytes(Data + QStringLiteral("/2024.01.05, 11.00.00.qta"), "earlier");
    const Protocol other = SampleProtocol(QStringLiteral("xyz"), At(11));
    EXPECT_FALSE(dskPutNewTestReport(Data, name, other));
    EXPECT_FALSE(dskPutNewTestReport(Data, QStringLiteral("2024.01.05, 11.00.00.QTA"), other));
    EXPECT_EQ(ReadFileBytes(Data + QLatin1Char('/') + name), ReportFileBytes(p));
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/2024.01.05, 11.00.00.qta")), "earlier");
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskPutTestReportActi\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t75\t")), 2);

    // No stand-in for a missing folder, and no name reaching outside it.
    EXPECT_FALSE(dskPutNewTestReport(Data + QStringLiteral("/gone"), name, other));
    EXPECT_FALSE(dskPutNewTestReport(Data, QStringLiteral("QTA001\\x.QTA"), other));
    EXPECT_FALSE(dskPutNewTestReport(Data, QStringLiteral("../x.QTA"), other));
    EXPECT_EQ(QDir(Program).entryList(QDir::Files), QStringList{QStringLiteral("QUINTARA.LOG")});

    // A listing given by the caller stands for the folder, and learns the new name.
    QSet<QString> keys = dskFolderNameKeys(Data);
    keys.insert(dskNameKey(QStringLiteral("listed.qta")));
    EXPECT_FALSE(dskPutNewTestReport(Data, QStringLiteral("LISTED.QTA"), other, &keys));
    EXPECT_FALSE(QFile::exists(Data + QStringLiteral("/LISTED.QTA")));
    EXPECT_TRUE(dskPutNewTestReport(Data, QStringLiteral("NEW.QTA"), other, &keys));
    EXPECT_TRUE(keys.contains(dskNameKey(QStringLiteral("new.qta"))));
    EXPECT_FALSE(dskPutNewTestReport(Data, QStringLiteral("new.qta"), other, &keys));
}
