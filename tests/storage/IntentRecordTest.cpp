// The record a step of several files writes before it starts: its bytes,
// and what the start does with one that is not whole.
#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"
#include "storage/modIntentRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <string>

namespace {

std::string Sha256(const std::string& bytes)
{
    const QByteArray sum =
        QCryptographicHash::hash(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), QCryptographicHash::Sha256);
    return std::string(sum.constData(), static_cast<std::size_t>(sum.size()));
}

QByteArray Sum(const std::string& bytes)
{
    const std::string sum = Sha256(bytes);
    return QByteArray(sum.data(), static_cast<qsizetype>(sum.size()));
}

}  // namespace

using IntentRecordTest = StorageTest;

TEST_F(IntentRecordTest, TheBytesOfARecord)
{
    const IntentRecord record{IntentCommit::SettingsNameFolder, QStringLiteral("/n\u00e9u"), true,
                              {IntentFile{QStringLiteral("/n\u00e9u/P 1"), Sum("x")}},
                              {IntentFile{QStringLiteral("/d/a"), Sum("y")}, IntentFile{QStringLiteral("/d/b"), Sum("z")}}};
    // Paths as the file system's bytes (UTF-8 here), each with a 2-byte length.
    std::string expected = std::string("QSTP") + std::string("\x01\x00", 2) + std::string("\x01\x00", 2)
        + std::string("\x05\x00", 2) + "/n\xc3\xa9u" + std::string("\xff\xff", 2)
        + std::string("\x01\x00", 2) + std::string("\x09\x00", 2) + "/n\xc3\xa9u/P 1" + Sha256("x")
        + std::string("\x02\x00", 2) + std::string("\x04\x00", 2) + "/d/a" + Sha256("y")
        + std::string("\x04\x00", 2) + "/d/b" + Sha256("z");
    expected += Sha256(expected);
    const std::string bytes = IntentRecordBytes(record);
    EXPECT_EQ(bytes, expected);
    const std::optional<IntentRecord> read = ParseIntentRecord(expected);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(IntentRecordBytes(*read), expected);
    EXPECT_EQ(read->Removed.size(), 2u);
    EXPECT_EQ(read->Created.at(0).Path, QStringLiteral("/n\u00e9u/P 1"));

    // Cut short anywhere, or one byte changed, it is no record.
    for (std::size_t size = 0; size < expected.size(); ++size)
        EXPECT_FALSE(ParseIntentRecord(expected.substr(0, size)).has_value()) << size;
    for (std::size_t at = 0; at < expected.size(); ++at) {
        std::string damaged = expected;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
        EXPECT_FALSE(ParseIntentRecord(damaged).has_value()) << at;
    }
    // A relative path or a commit point the record does not hold is refused
    // even with a checksum that fits.
    std::string relative = expected.substr(0, expected.size() - 32);
    relative[relative.find("/d/a")] = 'd';
    EXPECT_FALSE(ParseIntentRecord(relative + Sha256(relative)).has_value());
    const IntentRecord noReport{IntentCommit::FileWritten, QString(), false, {}, record.Removed};
    const std::string body = IntentRecordBytes(noReport);
    EXPECT_FALSE(ParseIntentRecord(body).has_value());
}

TEST_F(IntentRecordTest, ARecordCutShortIsKeptAsideAndNothingIsRemovedOnItsWord)
{
    // The record of a termination whose report is there: whole, it would
    // remove the pending file. Cut short, the start keeps it aside, and the
    // series is open.
    const Protocol series = SampleProtocol(QStringLiteral("S"), At(9));
    const std::string pending = ReportFileBytes(series);
    Protocol ended = series;
    ended.Finished = true;
    const std::string report = ReportFileBytes(ended);
    const QString reportPath = Data + QStringLiteral("/QTA084/2024.01.05, 09.00.00.QTA");
    const QString pendingPath = Data + QStringLiteral("/PENDING 1.QTA");
    const std::string whole = IntentRecordBytes(IntentRecord{IntentCommit::FileWritten, QString(), false,
                                                             {IntentFile{reportPath, Sum(report)}},
                                                             {IntentFile{pendingPath, Sum(pending)}}});
    for (std::size_t size = 0; size <= whole.size(); size += 7) {
        SCOPED_TRACE(size);
        const bool isWhole = size == whole.size();
        QDir(Data).removeRecursively();
        QDir().mkpath(Data + QStringLiteral("/QTA084"));
        QFile::remove(Program + QStringLiteral("/QUINTARA.LOG"));
        WriteFileBytes(reportPath, report);
        WriteFileBytes(pendingPath, pending);
        WriteFileBytes(Data + QStringLiteral("/PENDING.STP"), whole.substr(0, size));
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        EXPECT_EQ(Protocols.size(), isWhole ? 1u : 2u);
        EXPECT_EQ(QFile::exists(pendingPath), !isWhole);
        EXPECT_EQ(ReadFileBytes(reportPath), report);
        EXPECT_FALSE(QFile::exists(Data + QStringLiteral("/PENDING.STP")));
        if (!isWhole) {
            EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING.STP.BAD")), whole.substr(0, size));
            EXPECT_EQ(LogLinesWith(QStringLiteral("LoadPendingProtocols\t8.0\t0\t%1/PENDING.STP is no whole record of a "
                                                  "step; kept as PENDING.STP.BAD, nothing was done on its word")
                                       .arg(Data)),
                      1)
                << LogLines().join(u'\n').toStdString();
        }
        if (size + 7 > whole.size() && !isWhole)
            size = whole.size() - 7;
    }
}
