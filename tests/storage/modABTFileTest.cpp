// The airbag curve file: bytes at offsets worked out by hand, the write where
// it fails, and damaged, foreign and outside files refused.
#include "StorageTest.h"
#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"

#include "foundation/CurveRecords.h"
#include "foundation/modRecords.h"
#include "platform/OleDate.h"
#include "storage/modABTFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace std::string_literals;

namespace {

using ABTFileTest = StorageTest;

double Stamp() { return DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9); }

ABTCurve SampleCurve(std::string header = std::string(58, 'H') + "\r\n")
{
    ABTCurve c;
    c.Header = std::move(header);
    std::tie(c.Factor1, c.Factor2, c.P1[0], c.P1[511], c.P2[0], c.S[0], c.S[511]) =
        std::tuple(int16_t(0x0102), int16_t(-2), 1.5f, NoValue, -0.25f, 2.0f, 0.5f);
    return c;
}

TEST_F(ABTFileTest, CurveFileBytesAtTheirOffsets)
{
    const QString name = abtFilePut(SampleCurve(), Stamp());
    ASSERT_FALSE(name.isEmpty());
    const QString path = Data + u'/' + name;
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 6218u);
    const struct { std::size_t offset; std::string expected; } fields[] = {
        {0, "ABT" "\x03\x00" "8.0" "\x3C\x00"s}, {10, std::string(58, 'H') + "\r\n"}, {70, Hex("02 01 FE FF")},
        {74, Hex("00 00 C0 3F")},                // P1(0) 1.5
        {74 + 511 * 4, Hex("FD FF 7F FF")},      // P1(511) NoValue
        {2122, Hex("00 00 80 BE")},              // P2(0) -0.25
        {4170, Hex("00 00 00 40")},              // S(0) 2
        {4170 + 511 * 4, Hex("00 00 00 3F")},    // S(511) 0.5
    };
    for (const auto& f : fields)
        EXPECT_EQ(ToHex(bytes.substr(f.offset, f.expected.size())), ToHex(f.expected)) << "offset " << f.offset;
    EXPECT_TRUE(IsReadOnly(path));
    EXPECT_EQ(abtFileGet(Data, name), SampleCurve());

    // An empty header gives 6158 bytes, still a curve file.
    const QString empty = abtFilePut(SampleCurve(""), Stamp());
    EXPECT_EQ(ReadFileBytes(Data + u'/' + empty).size(), 6158u);
    EXPECT_EQ(abtFileGet(Data, empty), SampleCurve(""));
}

TEST_F(ABTFileTest, FailedCurveWriteLeavesNoFile)
{
    auto empty = [&] { return QDir(Data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty(); };
    {
        ReadOnlyFolder locked(Data);
        if (locked.Active()) {
            EXPECT_EQ(abtFilePut(SampleCurve(), Stamp()), "");
        }
    }
    EXPECT_TRUE(empty());
    const int logged = LogLinesWith(QStringLiteral("abtFilePut"));

    // A full disk: a child may write only 4096 bytes per file.
    EXPECT_EQ(RunWithFileSizeLimit(4096, [] { return abtFilePut(SampleCurve(), Stamp()).isEmpty() ? 0 : 1; }), 0);
    EXPECT_TRUE(empty());
    EXPECT_EQ(LogLinesWith(QStringLiteral("abtFilePut")), logged + 1);
}

TEST_F(ABTFileTest, DamagedForeignAndOutsideCurveFilesAreRefused)
{
    const QString name = abtFilePut(SampleCurve(), Stamp());
    ASSERT_FALSE(name.isEmpty());
    const std::string good = ReadFileBytes(Data + u'/' + name);
    std::string nanSample = good;
    nanSample.replace(2122 + 40, 4, Hex("00 00 C0 7F"));
    std::string hugeHeader = good;
    hugeHeader.replace(8, 2, Hex("FF FF"));
    const struct { const char* what; std::string bytes; bool accepted; bool read; } rows[] = {
        {"whole", good, true, true},
        {"padded to 6839", good + std::string(621, '\0'), true, true},
        {"padded to 6840", good + std::string(622, '\0'), false, false},
        {"magic QTA", "QTA" + good.substr(3), false, false},
        {"version x", good.substr(0, 3) + Hex("01 00") + "x" + good.substr(8) + "..", false, false},
        {"header length 65535", hugeHeader, false, false},
        {"a NaN sample", nanSample, true, false},
    };
    for (const auto& row : rows) {
        QFile::remove(Data + QStringLiteral("/x.abt"));   // the extension in any case
        WriteFileBytes(Data + QStringLiteral("/x.abt"), row.bytes);
        EXPECT_EQ(abtIsAirbagFile(Data, QStringLiteral("x.abt")), row.accepted) << row.what;
        EXPECT_EQ(abtFileGet(Data, QStringLiteral("x.abt")) != EmptyABTCurve, row.read) << row.what;
    }
    EXPECT_EQ(LogLinesWith(QStringLiteral("abtFileGet")), 1);   // the NaN sample

    for (const std::size_t length : {0, 3, 4, 9, 70, 2000, 5597, 6000, 6157, 6217}) {
        QFile::remove(Data + QStringLiteral("/cut.ABT"));
        WriteFileBytes(Data + QStringLiteral("/cut.ABT"), good.substr(0, length));
        EXPECT_FALSE(abtIsAirbagFile(Data, QStringLiteral("cut.ABT"))) << length;
        EXPECT_TRUE(abtFileGet(Data, QStringLiteral("cut.ABT")) == EmptyABTCurve) << length;
    }

    // Good curves outside the folder, named from inside it.
    WriteFileBytes(Temp.path() + QStringLiteral("/x.ABT"), good);
    ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("a")));
    WriteFileBytes(Data + QStringLiteral("/a/b.ABT"), good);
    for (const QString& outside : {QStringLiteral("../x.ABT"), QStringLiteral("..\\x.ABT"), QStringLiteral("a/b.ABT"),
                                   QStringLiteral("a\\b.ABT"), Temp.path() + QStringLiteral("/x.ABT"),
                                   QStringLiteral("QTA001\\b.ABT"), QString(), QStringLiteral("missing.ABT")}) {
        EXPECT_FALSE(abtIsAirbagFile(Data, outside)) << outside.toStdString();
        EXPECT_TRUE(abtFileGet(Data, outside) == EmptyABTCurve) << outside.toStdString();
    }
    EXPECT_EQ(LogLinesWith(QStringLiteral("abtIsAirbagFile")), 0);
}

} // namespace
