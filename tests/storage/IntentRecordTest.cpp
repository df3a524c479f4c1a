// The record a step of several files writes before it starts: its bytes,
// and what the start does with one that is not whole.
#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
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
    // A record lying in /d: the names in and below it are stored relative to
    // it, others whole.
    const IntentRecord record{IntentCommit::SettingsNameFolder, QStringLiteral("/n\u00e9u"), true,
                              {IntentFile{QStringLiteral("/d/P 1"), Sum("x")}},
                              {IntentFile{QStringLiteral("/x/a"), Sum("y")}, IntentFile{QStringLiteral("/d/Q/b"), Sum("z")}}};
    // Paths as the file system's bytes (UTF-8 here), each with a 2-byte length.
    std::string expected = std::string("QSTP") + std::string("\x02\x00", 2) + std::string("\x01\x00", 2)
        + std::string("\x05\x00", 2) + "/n\xc3\xa9u" + std::string("\xff\xff", 2)
        + std::string("\x01\x00", 2) + std::string("\x03\x00", 2) + "P 1" + Sha256("x")
        + std::string("\x02\x00", 2) + std::string("\x04\x00", 2) + "/x/a" + Sha256("y")
        + std::string("\x03\x00", 2) + "Q/b" + Sha256("z");
    expected += Sha256(expected);
    EXPECT_EQ(IntentRecordBytes(record, QStringLiteral("/d")), expected);
    // Read where the folder is mounted now: the relative names follow it.
    IntentRecord read;
    ASSERT_EQ(ParseIntentRecord(expected, QStringLiteral("/mnt/d"), read), IntentParse::Whole);
    EXPECT_EQ(IntentRecordBytes(read, QStringLiteral("/mnt/d")), expected);
    ASSERT_EQ(read.Removed.size(), 2u);
    EXPECT_EQ(read.Created.at(0).Path, QStringLiteral("/mnt/d/P 1"));
    EXPECT_EQ(read.Removed.at(0).Path, QStringLiteral("/x/a"));
    EXPECT_EQ(read.Removed.at(1).Path, QStringLiteral("/mnt/d/Q/b"));

    // Cut short anywhere, or one byte changed, it is no record; a higher
    // version in the head is a later version's, whatever follows.
    for (std::size_t size = 0; size < expected.size(); ++size)
        EXPECT_EQ(ParseIntentRecord(expected.substr(0, size), QStringLiteral("/d"), read), IntentParse::Damaged) << size;
    for (std::size_t at = 0; at < expected.size(); ++at) {
        std::string damaged = expected;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
        const IntentParse parsed = ParseIntentRecord(damaged, QStringLiteral("/d"), read);
        EXPECT_EQ(parsed, at == 4 || at == 5 ? IntentParse::LaterVersion : IntentParse::Damaged) << at;
    }
    // Version 1 stored every name whole, and is read as it stands; a
    // relative name there, or one leaving the folder, is refused even with a
    // checksum that fits, and so is a commit point the record does not hold.
    const auto withSum = [](std::string body) { return body + Sha256(body); };
    std::string first = expected.substr(0, expected.size() - 32);
    first[4] = '\x01';
    EXPECT_EQ(ParseIntentRecord(withSum(first), QStringLiteral("/d"), read), IntentParse::Damaged);
    std::string whole = first;
    whole.replace(whole.find(std::string("\x03\x00", 2) + "P 1"), 5, std::string("\x06\x00", 2) + "/d/P 1");
    whole.replace(whole.find(std::string("\x03\x00", 2) + "Q/b"), 5, std::string("\x06\x00", 2) + "/d/Q/b");
    ASSERT_EQ(ParseIntentRecord(withSum(whole), QStringLiteral("/elsewhere"), read), IntentParse::Whole);
    EXPECT_EQ(read.Created.at(0).Path, QStringLiteral("/d/P 1"));
    std::string leaving = expected.substr(0, expected.size() - 32);
    leaving.replace(leaving.find("Q/b"), 3, "../");
    EXPECT_EQ(ParseIntentRecord(withSum(leaving), QStringLiteral("/d"), read), IntentParse::Damaged);
    const IntentRecord noReport{IntentCommit::FileWritten, QString(), false, {}, record.Removed};
    EXPECT_EQ(ParseIntentRecord(IntentRecordBytes(noReport, QStringLiteral("/d")), QStringLiteral("/d"), read),
              IntentParse::Damaged);
    // A stand-in's note (kind 4) names the folder it stood in for; one that
    // names none, and a kind above it, are no records.
    std::string note = expected.substr(0, expected.size() - 32);
    note[6] = '\x04';
    ASSERT_EQ(ParseIntentRecord(withSum(note), QStringLiteral("/d"), read), IntentParse::Whole);
    EXPECT_EQ(read.Commit, IntentCommit::StoodIn);
    // No step: never done nor undone, told or not.
    EXPECT_EQ(IntentCommitOf(read, QStringLiteral("/n\u00e9u")), IntentCommitState::Unknown);
    read.Committed = false;
    EXPECT_EQ(IntentCommitOf(read, QStringLiteral("/n\u00e9u")), IntentCommitState::Unknown);
    read.Folder.clear();
    EXPECT_EQ(ParseIntentRecord(IntentRecordBytes(read, QStringLiteral("/d")), QStringLiteral("/d"), read),
              IntentParse::Damaged);
    note[6] = '\x05';
    EXPECT_EQ(ParseIntentRecord(withSum(note), QStringLiteral("/d"), read), IntentParse::Damaged);

    // A data folder below the program folder whose name holds a "\\" or
    // begins with ":" is named by the names the record holds, read back as
    // they are: a "\\" is a character of a name here, and ":lab" no resource.
    const IntentRecord below{IntentCommit::FileRemoved, QString(), true, {},
                             {IntentFile{QStringLiteral("/d/a\\b/SEAT-X/PENDING 1.QTA"), Sum("x")},
                              IntentFile{QStringLiteral("/d/:lab/SEAT-X/PENDING 2.QTA"), Sum("y")}}};
    std::string belowBytes = std::string("QSTP") + std::string("\x02\x00", 2) + std::string("\x03\x00", 2)
        + std::string("\x00\x00", 2) + std::string("\xff\xff", 2) + std::string("\x00\x00", 2)
        + std::string("\x02\x00", 2) + std::string("\x18\x00", 2) + "a\\b/SEAT-X/PENDING 1.QTA" + Sha256("x")
        + std::string("\x19\x00", 2) + ":lab/SEAT-X/PENDING 2.QTA" + Sha256("y");
    belowBytes += Sha256(belowBytes);
    EXPECT_EQ(IntentRecordBytes(below, QStringLiteral("/d")), belowBytes);
    ASSERT_EQ(ParseIntentRecord(belowBytes, QStringLiteral("/mnt/d"), read), IntentParse::Whole);
    ASSERT_EQ(read.Removed.size(), 2u);
    EXPECT_EQ(read.Removed.at(0).Path, QStringLiteral("/mnt/d/a\\b/SEAT-X/PENDING 1.QTA"));
    EXPECT_EQ(read.Removed.at(1).Path, QStringLiteral("/mnt/d/:lab/SEAT-X/PENDING 2.QTA"));
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
                                                             {IntentFile{pendingPath, Sum(pending)}}},
                                                Data);
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
            EXPECT_EQ(LogLinesWith(QStringLiteral("LoadPendingProtocols\t") + QLatin1String(ProgramVersion) + QStringLiteral("\t0\t%1/PENDING.STP is no whole record of a "
                                                  "step; kept as PENDING.STP.BAD, nothing was done on its word")
                                       .arg(Data)),
                      1)
                << LogLines().join(u'\n').toStdString();
        }
        if (size + 7 > whole.size() && !isWhole)
            size = whole.size() - 7;
    }
}

TEST_F(IntentRecordTest, ARecordOfManyNamesIsReadAsWrittenOrNotWrittenAtAll)
{
    // A change of data folder names every curve the open series' tests name:
    // thousands in each list. What the writer writes, the reader takes as
    // whole; a list its count cannot hold is refused before anything lies
    // on the disk, never written as a record its reader calls damaged.
    const struct {
        int names;
        bool written;
    } rows[] = {{10001, true}, {32767, true}, {32768, false}};
    const QByteArray sum = Sum("curve");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.names);
        IntentRecord record{IntentCommit::SettingsNameFolder, QStringLiteral("/n"), false, {}, {}};
        for (int n = 0; n < row.names; ++n)
            record.Removed.push_back(IntentFile{QStringLiteral("%1/C%2.ABT").arg(Data).arg(n), sum});
        record.Created.push_back(record.Removed.front());
        QString path;
        SystemError error;
        EXPECT_EQ(CreateIntentRecord(Data, QStringLiteral("QUINTARA"), record, path, error), row.written);
        EXPECT_EQ(IntentRecordPaths(Data).size(), row.written ? 1 : 0);
        if (row.written) {
            IntentRecord read;
            ASSERT_EQ(ParseIntentRecord(ReadFileBytes(path), Data, read), IntentParse::Whole);
            ASSERT_EQ(read.Removed.size(), static_cast<std::size_t>(row.names));
            EXPECT_EQ(read.Removed.back().Path, record.Removed.back().Path);
            QFile::remove(path);
        } else {
            EXPECT_NE(error.Number, 0);
        }
    }
}
