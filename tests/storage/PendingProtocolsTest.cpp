// Open series kept across a restart as "PENDING n.QTA" in the data folder.
#include "storage/ReportFiles.h"
#include "support/Bytes.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"
#include "platform/BinaryIO.h"
#include "platform/OleDate.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

namespace {

double At(int hour) { return DateSerial(2024, 3, 1) + TimeSerial(hour, 0, 0); }

std::string ReportBytes(const Protocol& p)
{
    BinaryWriter out;
    PutRecord(out, p);
    return ReportHeader("8.0") + out.Bytes();
}

QStringList DataFiles(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

}  // namespace

using PendingSeries = ReportFilesTest;

TEST_F(PendingSeries, ThreeOpenSeriesThenOne)
{
    Protocols = {EmptyProtocol, SampleProtocol(QStringLiteral("a"), At(10)),
                 SampleProtocol(QStringLiteral("b"), At(9)), SampleProtocol(QStringLiteral("c"), At(11))};
    bool ok = false;
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                            QStringLiteral("PENDING 3.QTA")}));
    for (int i = 1; i <= 3; ++i) {
        const QString path = Data + QStringLiteral("/PENDING %1.QTA").arg(i);
        EXPECT_EQ(ReadFileBytes(path), ReportBytes(Protocols[i])) << i;
        EXPECT_FALSE(IsReadOnly(path));
    }

    // The next end of the program with one series left.
    const Protocol left = Protocols[3];
    Protocols = {EmptyProtocol, left};
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DataFiles(Data), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA")), ReportBytes(left));

    // No series left: no pending file either.
    Protocols = {EmptyProtocol};
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(DataFiles(Data).isEmpty());
}

TEST_F(PendingSeries, LoadingSortsByDateWhateverTheListingOrder)
{
    const int hours[3] = {10, 9, 11};
    std::vector<int> order = {0, 1, 2};
    do {
        QDir(Data).removeRecursively();
        QDir().mkpath(Data);
        // Each permutation of the series over the file numbers, created in
        // that order, so the listing order differs from run to run too.
        for (int n = 0; n < 3; ++n)
            WriteFileBytes(Data + QStringLiteral("/PENDING %1.QTA").arg(order[n] + 1),
                           ReportBytes(SampleProtocol(QStringLiteral("s"), At(hours[n]))));
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        ASSERT_EQ(Protocols.size(), 4u);
        EXPECT_EQ(Protocols[1].Date, At(9));
        EXPECT_EQ(Protocols[2].Date, At(10));
        EXPECT_EQ(Protocols[3].Date, At(11));
        EXPECT_EQ(Protocols[0], EmptyProtocol);
    } while (std::next_permutation(order.begin(), order.end()));
    // The files stay on disk after loading.
    EXPECT_EQ(DataFiles(Data).size(), 3);
}

TEST_F(PendingSeries, OnlyWellFormedPendingFilesAreLoaded)
{
    const Protocol good = SampleProtocol(QStringLiteral("s"), At(8));
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportBytes(good));
    WriteFileBytes(Data + QStringLiteral("/pending 2.QTA"), ReportBytes(SampleProtocol(QStringLiteral("s"), At(7))));
    WriteFileBytes(Data + QStringLiteral("/PENDING 3.qta"), ReportBytes(SampleProtocol(QStringLiteral("s"), At(6))));
    std::string badMagic = ReportBytes(SampleProtocol(QStringLiteral("s"), At(5)));
    badMagic.replace(0, 3, "XYZ");
    WriteFileBytes(Data + QStringLiteral("/PENDING 4.QTA"), badMagic);
    std::string cut = ReportBytes(SampleProtocol(QStringLiteral("s"), At(4)));
    WriteFileBytes(Data + QStringLiteral("/PENDING 5.QTA"), cut.substr(0, cut.size() / 2));
    Protocol badForm = SampleProtocol(QStringLiteral("s"), At(3));
    badForm.FormIndex = 11;
    WriteFileBytes(Data + QStringLiteral("/PENDING 6.QTA"), ReportBytes(badForm));
    Protocol badProperty = SampleProtocol(QStringLiteral("s"), At(2));
    badProperty.CurrentProperty = 0;
    WriteFileBytes(Data + QStringLiteral("/PENDING 7.QTA"), ReportBytes(badProperty));
    WriteFileBytes(Data + QStringLiteral("/2024.03.01, 01.00.00.QTA"), ReportBytes(SampleProtocol(QStringLiteral("s"), At(1))));

    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    ASSERT_EQ(Protocols.size(), 2u);
    EXPECT_EQ(Protocols[1], good);
    // The cut file and the two out-of-range series are logged.
    EXPECT_EQ(LogLines().size(), 3);
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(PendingSeries, SavingLeavesFilesThatAreNotPendingReportsAlone)
{
    const std::string lower = ReportBytes(SampleProtocol(QStringLiteral("s"), At(7)));
    WriteFileBytes(Data + QStringLiteral("/pending 1.QTA"), lower);
    WriteFileBytes(Data + QStringLiteral("/PENDING 9.QTA"), "XYZ not a report");
    WriteFileBytes(Data + QStringLiteral("/PENDING 8.QTA"), ReportBytes(SampleProtocol(QStringLiteral("s"), At(8))));

    Protocols = {EmptyProtocol, SampleProtocol(QStringLiteral("t"), At(12))};
    bool ok = false;
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    // The lower-case file is not taken for PENDING 1.QTA, the damaged one is
    // not deleted, the stale pending report is.
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 9.QTA"),
                                            QStringLiteral("pending 1.QTA")}));
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/pending 1.QTA")), lower);
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA")), ReportBytes(Protocols[1]));
}

TEST_F(PendingSeries, AReadOnlyPendingFileIsReplaced)
{
    // Reading an old pending file writes it back read-only.
    const QString path = Data + QStringLiteral("/PENDING 1.QTA");
    WriteFileBytes(path, ReportBytes(SampleProtocol(QStringLiteral("s"), At(7))));
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    Protocols = {EmptyProtocol, SampleProtocol(QStringLiteral("t"), At(12))};
    bool ok = false;
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadFileBytes(path), ReportBytes(Protocols[1]));
    EXPECT_FALSE(IsReadOnly(path));

    // The same in the program folder, where the pending files go while the
    // data folder is missing.
    const QString inProgram = Program + QStringLiteral("/PENDING 1.QTA");
    WriteFileBytes(inProgram, ReportBytes(SampleProtocol(QStringLiteral("s"), At(6))));
    QFile::setPermissions(inProgram, QFileDevice::ReadOwner);
    DataFolder = Temp.path() + QStringLiteral("/Gone");
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DataFolder, Program);
    EXPECT_EQ(ReadFileBytes(inProgram), ReportBytes(Protocols[1]));
    EXPECT_FALSE(IsReadOnly(inProgram));
}

TEST_F(PendingSeries, AFailedWriteKeepsTheEarlierFiles)
{
    // The pending files of the last run: four series.
    std::vector<std::string> earlier;
    for (int i = 1; i <= 4; ++i) {
        earlier.push_back(ReportBytes(SampleProtocol(QStringLiteral("s"), At(i))));
        WriteFileBytes(Data + QStringLiteral("/PENDING %1.QTA").arg(i), earlier.back());
    }
    // Something that cannot be replaced by a file holds the second name.
    ASSERT_TRUE(QFile::remove(Data + QStringLiteral("/PENDING 2.QTA")));
    ASSERT_TRUE(QDir().mkdir(Data + QStringLiteral("/PENDING 2.QTA")));

    Protocols = {EmptyProtocol, SampleProtocol(QStringLiteral("t"), At(20)), SampleProtocol(QStringLiteral("t"), At(21))};
    bool ok = true;
    SavePendingProtocols(ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA")), ReportBytes(Protocols[1]));
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 3.QTA")), earlier[2]);
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 4.QTA")), earlier[3]);
    EXPECT_EQ(LogLines().size(), 1);

    // Retried once the obstacle is gone, the files are replaced and the rest removed.
    ASSERT_TRUE(QDir().rmdir(Data + QStringLiteral("/PENDING 2.QTA")));
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 2.QTA")), ReportBytes(Protocols[2]));
}

TEST_F(PendingSeries, SavedSeriesComeBackAsTheyWere)
{
    Protocols = {EmptyProtocol, SampleProtocol(QStringLiteral("x"), At(15)), SampleProtocol(QStringLiteral("y"), At(14))};
    const std::vector<Protocol> saved = Protocols;
    bool ok = false;
    SavePendingProtocols(ok);
    ASSERT_TRUE(ok);
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    ASSERT_EQ(Protocols.size(), 3u);
    EXPECT_EQ(Protocols[1], saved[2]);
    EXPECT_EQ(Protocols[2], saved[1]);
}
