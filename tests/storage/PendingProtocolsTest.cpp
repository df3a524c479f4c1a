// Open series kept across a restart as "PENDING n.QTA" in the data folder.
#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "main_window/modPending.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

namespace {

Protocol Series(int hour, const char* style = "s")
{
    return SampleProtocol(QLatin1String(style), At(hour));
}

QStringList DataFiles(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

}  // namespace

class PendingSeries : public StorageTest {
protected:
    QString Pending(int n, const char* name = "PENDING %1.QTA") const
    {
        return Data + u'/' + QString::fromLatin1(name).arg(n);
    }
    // The flag SavePendingProtocols hands back; it starts as "before", so a
    // test that expects a failure passes true.
    static bool Save(bool before = false)
    {
        bool ok = before;
        SavePendingProtocols(ok);
        return ok;
    }
};

TEST_F(PendingSeries, ThreeOpenSeriesComeBackThenOneThenNone)
{
    Protocols = {EmptyProtocol, Series(10, "a"), Series(9, "b"), Series(11, "c")};
    const std::vector<Protocol> saved = Protocols;
    EXPECT_TRUE(Save());
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA"),
                                            QStringLiteral("PENDING 3.QTA")}));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(ReadFileBytes(Pending(i)), ReportFileBytes(saved[i])) << i;
        EXPECT_FALSE(IsReadOnly(Pending(i)));
    }
    // Loaded at the next start, in the order of their dates.
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, saved[2], saved[1], saved[3]}));

    // The next end of the program with one series left.
    Protocols = {EmptyProtocol, saved[3]};
    EXPECT_TRUE(Save());
    EXPECT_EQ(DataFiles(Data), QStringList{QStringLiteral("PENDING 1.QTA")});
    EXPECT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(saved[3]));

    // No series left: no pending file either.
    Protocols = {EmptyProtocol};
    EXPECT_TRUE(Save());
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
            WriteFileBytes(Pending(order[n] + 1), ReportFileBytes(Series(hours[n])));
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, Series(9), Series(10), Series(11)}));
    } while (std::next_permutation(order.begin(), order.end()));
    // The files stay on disk after loading.
    EXPECT_EQ(DataFiles(Data).size(), 3);
}

TEST_F(PendingSeries, OnlyWellFormedPendingFilesAreLoaded)
{
    WriteFileBytes(Pending(1), ReportFileBytes(Series(8)));
    WriteFileBytes(Pending(2, "pending %1.QTA"), ReportFileBytes(Series(7)));
    WriteFileBytes(Pending(3, "PENDING %1.qta"), ReportFileBytes(Series(6)));
    WriteFileBytes(Pending(4), ReportFileBytes(Series(5)).replace(0, 3, "XYZ"));
    const std::string cut = ReportFileBytes(Series(4));
    WriteFileBytes(Pending(5), cut.substr(0, cut.size() / 2));
    Protocol badForm = Series(3);
    badForm.FormIndex = 11;
    WriteFileBytes(Pending(6), ReportFileBytes(badForm));
    Protocol badProperty = Series(2);
    badProperty.CurrentProperty = 0;
    WriteFileBytes(Pending(7), ReportFileBytes(badProperty));
    WriteFileBytes(Data + QStringLiteral("/2024.01.05, 01.00.00.QTA"), ReportFileBytes(Series(1)));

    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, Series(8)}));
    // The cut file and the two out-of-range series are logged.
    EXPECT_EQ(LogLines().size(), 3);
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(PendingSeries, SavingLeavesFilesThatAreNotPendingReportsAlone)
{
    const std::string lower = ReportFileBytes(Series(7));
    WriteFileBytes(Pending(1, "pending %1.QTA"), lower);
    WriteFileBytes(Pending(9), "XYZ not a report");
    WriteFileBytes(Pending(8), ReportFileBytes(Series(8)));

    Protocols = {EmptyProtocol, Series(12, "t")};
    EXPECT_TRUE(Save());
    // The lower-case file is not taken for PENDING 1.QTA, the damaged one is
    // not deleted, the stale pending report is.
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 9.QTA"),
                                            QStringLiteral("pending 1.QTA")}));
    EXPECT_EQ(ReadFileBytes(Pending(1, "pending %1.QTA")), lower);
    EXPECT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(Protocols[1]));
}

TEST_F(PendingSeries, AReadOnlyPendingFileIsReplaced)
{
    // Reading an old pending file writes it back read-only. The same in the
    // program folder, where the pending files go while the data folder is missing.
    const QString inProgram = Program + QStringLiteral("/PENDING 1.QTA");
    for (const QString& path : {Pending(1), inProgram}) {
        SCOPED_TRACE(path.toStdString());
        WriteFileBytes(path, ReportFileBytes(Series(7)));
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        if (path == inProgram)
            DataFolder = Temp.path() + QStringLiteral("/Gone");
        Protocols = {EmptyProtocol, Series(12, "t")};
        EXPECT_TRUE(Save());
        EXPECT_EQ(ReadFileBytes(path), ReportFileBytes(Protocols[1]));
        EXPECT_FALSE(IsReadOnly(path));
    }
    EXPECT_EQ(DataFolder, Program);
}

TEST_F(PendingSeries, AFailedWriteKeepsTheEarlierFiles)
{
    // The pending files of the last run: four series.
    std::vector<std::string> earlier;
    for (int i = 1; i <= 4; ++i) {
        earlier.push_back(ReportFileBytes(Series(i)));
        WriteFileBytes(Pending(i), earlier.back());
    }
    // Something that cannot be replaced by a file holds the second name.
    ASSERT_TRUE(QFile::remove(Pending(2)));
    ASSERT_TRUE(QDir().mkdir(Pending(2)));

    Protocols = {EmptyProtocol, Series(20, "t"), Series(21, "t")};
    EXPECT_FALSE(Save(true));
    EXPECT_EQ(ReadFileBytes(Pending(1)), ReportFileBytes(Protocols[1]));
    EXPECT_EQ(ReadFileBytes(Pending(3)), earlier[2]);
    EXPECT_EQ(ReadFileBytes(Pending(4)), earlier[3]);
    EXPECT_EQ(LogLines().size(), 1);

    // Retried once the obstacle is gone, the files are replaced and the rest removed.
    ASSERT_TRUE(QDir().rmdir(Pending(2)));
    EXPECT_TRUE(Save());
    EXPECT_EQ(DataFiles(Data), (QStringList{QStringLiteral("PENDING 1.QTA"), QStringLiteral("PENDING 2.QTA")}));
    EXPECT_EQ(ReadFileBytes(Pending(2)), ReportFileBytes(Protocols[2]));
}
