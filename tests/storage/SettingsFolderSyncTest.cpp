// The order on the disk of a data folder change: the settings file's new
// name must be synced before the old folder loses a file, or a power cut
// can leave the settings naming a folder whose series are gone.
#include "StorageTest.h"
#include "support/SyncedFolder.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"

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
