// The order on the disk of a data folder change: the settings file's new
// name must be synced before the old folder loses a file, or a power cut
// can leave the settings naming a folder whose series are gone.
#include "StorageTest.h"
#include "support/SyncedFolder.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"

#include <QDir>
#include <QFileInfo>

#include <string>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// While set, the folder syncs, renames and removals of this test program
// are noted in their order.
bool g_noteCalls = false;
std::vector<std::string> g_calls;

}  // namespace


namespace {

// The call as FileCallAnswer has it answered.
int Answered(const char* call, const char* path, const std::function<int()>& run)
{
    const int answer = FileCallAnswer ? FileCallAnswer(call, path) : 0;
    if (answer > 0) {
        errno = answer;
        return -1;
    }
    const int result = run();
    if (result == 0 && answer < 0) {
        errno = -answer;
        return -1;
    }
    return result;
}

}  // namespace

// These stand in for the C library's calls in this test program (Qt's
// included) and pass each on to the system, unchanged unless FileCallAnswer
// says otherwise.
extern "C" int unlink(const char* path) noexcept
{
    if (g_noteCalls)
        g_calls.push_back(std::string("unlink ") + path);
    return Answered("unlink", path,
                    [&] { return static_cast<int>(::syscall(SYS_unlinkat, AT_FDCWD, path, 0)); });
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    if (g_noteCalls)
        g_calls.push_back(std::string("rename ") + to);
    return Answered("rename", to,
                    [&] { return static_cast<int>(::syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to)); });
}

// The same for the calls relative to a folder's descriptor, by which the
// program removes and renames in shared folders.
extern "C" int unlinkat(int folder, const char* path, int flags) noexcept
{
    const std::string full = FullPathAt(folder, path);
    if (g_noteCalls)
        g_calls.push_back("unlink " + full);
    return Answered("unlink", full.c_str(),
                    [&] { return static_cast<int>(::syscall(SYS_unlinkat, folder, path, flags)); });
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept
{
    const std::string full = FullPathAt(toFolder, to);
    if (g_noteCalls)
        g_calls.push_back("rename " + full);
    return Answered("rename", full.c_str(),
                    [&] { return static_cast<int>(::syscall(SYS_renameat, fromFolder, from, toFolder, to)); });
}

namespace {

// The first call from `from` on that starts with the text, or -1.
int FirstCall(const std::string& start, int from = 0)
{
    for (int i = std::max(from, 0); i < static_cast<int>(g_calls.size()); ++i)
        if (g_calls[static_cast<std::size_t>(i)].rfind(start, 0) == 0)
            return i;
    return -1;
}

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

using SettingsFolderSync = StorageTest;

TEST_F(SettingsFolderSync, TheSettingsNameTheNewFolderOnTheDiskBeforeTheOldOneLosesAFile)
{
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    SaveSettings();
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("a"), At(9))));
    WriteFileBytes(Data + QStringLiteral("/PENDING 2.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("b"), At(10))));
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    ASSERT_EQ(Protocols.size(), 3u);

    // The data settings' order: the series into the new folder, the
    // settings naming it, then the old files removed.
    g_calls.clear();
    FolderSyncObserver = [](int fd) {
        if (!g_noteCalls)
            return;
        const std::string folder = FolderOfDescriptor(fd);
        if (!folder.empty())
            g_calls.push_back("sync " + folder);
    };
    g_noteCalls = true;
    const bool moved = BeginDataFolderChange(other);
    DataFolder = other;
    const bool saved = SaveSettings();
    const bool ok = FinishDataFolderChange();
    g_noteCalls = false;
    FolderSyncObserver = nullptr;
    ASSERT_TRUE(moved && saved && ok);

    const int removal = FirstCall("unlink " + Local(Data + QStringLiteral("/PENDING ")));
    const int renamed = FirstCall("rename " + Local(Program + QStringLiteral("/QUINTARA.DAT")));
    const int synced = FirstCall("sync " + Local(QFileInfo(Program).canonicalFilePath()), renamed);
    std::string calls;
    for (const std::string& call : g_calls)
        calls += call + '\n';
    ASSERT_GE(removal, 0) << calls;
    ASSERT_GE(renamed, 0) << calls;
    EXPECT_LT(renamed, removal) << calls;
    ASSERT_GE(synced, 0) << calls;
    EXPECT_LT(synced, removal) << calls;
}

TEST_F(SettingsFolderSync, AChangeWithManyCurvesSyncsEachFolderOnceAndReadsNoCurveItLinkedAgain)
{
    // The same change with one curve and with forty: as many folder syncs,
    // and the finish reads no more files, as each curve's copy is a link of
    // the file the change read when it began, or a copy it wrote of the
    // bytes it read (two file systems). Each removal is on the disk (its
    // folder synced) before the record goes.
    const QString other = Temp.path() + QStringLiteral("/Other");
    struct Counted {
        int syncs = 0;
        int finishReads = 0;
    };
    const auto change = [&](int curves, bool twoFileSystems) {
        Counted counted;
        NewDataFolderBeside(other);
        Protocol series = SampleProtocol(QStringLiteral("a"), At(9));
        for (int n = 0; n < curves; ++n) {
            const QString name = dskFileNameFromDate(At(13, 0, n), QStringLiteral("ABT"));
            WriteFileBytes(Data + u'/' + name, "curve " + std::to_string(n));
            TestValue test = series.Blocks[1].Values[1];
            test.CurveFile = name.toStdString();
            series.Blocks[1].Values.push_back(test);
        }
        WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(series));
        EXPECT_EQ(NextStart().size(), 2u);

        g_calls.clear();
        FolderSyncObserver = [](int fd) {
            const std::string folder = FolderOfDescriptor(fd);
            if (g_noteCalls && !folder.empty())
                g_calls.push_back("sync " + folder);
        };
        bool finishing = false;
        SetReadFileSizeTakenHook([&] { counted.finishReads += finishing ? 1 : 0; });
        g_noteCalls = true;
        LinksRefusedBelow = twoFileSystems ? Data + u'/' : QString();
        const bool moved = BeginDataFolderChange(other);
        DataFolder = other;
        const bool saved = SaveSettings();
        finishing = true;
        const bool ok = FinishDataFolderChange();
        finishing = false;
        LinksRefusedBelow.clear();
        g_noteCalls = false;
        SetReadFileSizeTakenHook(nullptr);
        FolderSyncObserver = nullptr;
        EXPECT_TRUE(moved && saved && ok);
        EXPECT_EQ(QDir(other).entryList({QStringLiteral("*.ABT")}, QDir::Files).size(), curves);
        EXPECT_TRUE(QDir(Data).entryList(QDir::Files).isEmpty());

        int lastRemoval = -1;
        for (int i = 0; i < static_cast<int>(g_calls.size()); ++i)
            if (g_calls[static_cast<std::size_t>(i)].rfind("unlink " + Local(Data + u'/'), 0) == 0)
                lastRemoval = i;
        const int synced = FirstCall("sync " + Local(QFileInfo(Data).canonicalFilePath()), lastRemoval);
        const int recordGone = FirstCall("unlink " + Local(Program + QStringLiteral("/QUINTARA ")), lastRemoval);
        std::string calls;
        for (const std::string& call : g_calls) {
            calls += call + '\n';
            counted.syncs += call.rfind("sync ", 0) == 0 ? 1 : 0;
        }
        EXPECT_GE(lastRemoval, 0) << calls;
        EXPECT_GT(synced, lastRemoval) << calls;
        EXPECT_GT(recordGone, synced) << calls;
        return counted;
    };
    // The curves were written just now: taken as written long before, and
    // as the program takes them, where a curve written in the tick of the
    // file system's clock in which the change looked at it may have changed
    // since unseen, and is read again before it is removed.
    for (const bool twoFileSystems : {false, true}) {
        for (const bool fresh : {false, true}) {
            SCOPED_TRACE(std::string(twoFileSystems ? "copies" : "links") + (fresh ? ", fresh" : ""));
            SetIntentLookMargin(fresh ? 2000 : 0);
            const Counted one = change(1, twoFileSystems);
            const Counted forty = change(40, twoFileSystems);
            EXPECT_EQ(forty.syncs, one.syncs);
            EXPECT_EQ(forty.finishReads, one.finishReads + (fresh ? 39 : 0));
        }
    }
    SetIntentLookMargin(2000);
}

TEST_F(SettingsFolderSync, ARecordWhoseRemovalsWereNotSyncedGoesOnlyAfterTheirFolderIs)
{
    // The old files' folder refused its sync after their removal: the
    // record stays. The next start finds them gone, and syncs their folder
    // before the record goes, or a power cut could bring back files no
    // record names.
    const QString other = Temp.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(other));
    SaveSettings();
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(SampleProtocol(QStringLiteral("a"), At(9))));
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    ASSERT_EQ(Protocols.size(), 2u);
    ASSERT_TRUE(BeginDataFolderChange(other));
    DataFolder = other;
    ASSERT_TRUE(SaveSettings());
    FailingSyncFolder = Data;
    const bool finished = FinishDataFolderChange();
    FailingSyncFolder.clear();
    ASSERT_FALSE(finished);
    ASSERT_FALSE(QFileInfo::exists(Data + QStringLiteral("/PENDING 1.QTA")));
    const QStringList records = QDir(Program).entryList({QStringLiteral("*.STP")}, QDir::Files);
    ASSERT_EQ(records.size(), 1);

    g_calls.clear();
    FolderSyncObserver = [](int fd) {
        const std::string folder = FolderOfDescriptor(fd);
        if (g_noteCalls && !folder.empty())
            g_calls.push_back("sync " + folder);
    };
    g_noteCalls = true;
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    g_noteCalls = false;
    FolderSyncObserver = nullptr;

    std::string calls;
    for (const std::string& call : g_calls)
        calls += call + '\n';
    const int removal = FirstCall("unlink " + Local(Program + u'/' + records[0]));
    const int synced = FirstCall("sync " + Local(QFileInfo(Data).canonicalFilePath()));
    ASSERT_GE(removal, 0) << calls;
    ASSERT_GE(synced, 0) << calls;
    EXPECT_LT(synced, removal) << calls;
}
