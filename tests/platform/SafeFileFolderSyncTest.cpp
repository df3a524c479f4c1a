// Which folder the atomic writer puts on the disk after its rename: the one
// the new name was made in. Seen through the folder syncs of this test
// program, noted by a stand-in for the C library's fsync.
#include "support/SyncedFolder.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

// While set, the folders synced by this test program are noted in order.
bool g_noteSyncs = false;
std::vector<std::string> g_syncedFolders;

}  // namespace

// Stands in for the C library's call in this test program (Qt's included)
// and passes it on to the system unchanged.
extern "C" int fsync(int fd)
{
    if (g_noteSyncs) {
        const std::string folder = FolderOfDescriptor(fd);
        if (!folder.empty())
            g_syncedFolders.push_back(folder);
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

std::string Canonical(const QString& folder)
{
    return QFile::encodeName(QFileInfo(folder).canonicalFilePath()).toStdString();
}

// A name that is a link into another folder: the rename replaces the file
// the link leads to, so the new entry is in the target's folder, and that
// folder is the one that must reach the disk.
TEST(SafeFileFolderSync, ALinksTargetFolderIsSyncedAfterTheRename)
{
    QTemporaryDir dir;
    const QString targetFolder = dir.filePath(QStringLiteral("target"));
    const QString linkFolder = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QDir().mkpath(targetFolder) && QDir().mkpath(linkFolder));
    const QString target = targetFolder + QStringLiteral("/QUINTARA.DAT");
    const QString link = linkFolder + QStringLiteral("/QUINTARA.DAT");
    SystemError error;
    ASSERT_TRUE(WriteFileAtomically(target, "old", error));
    ASSERT_TRUE(QFile::link(target, link));

    g_syncedFolders.clear();
    g_noteSyncs = true;
    const bool written = WriteFileAtomically(link, "new", error);
    g_noteSyncs = false;
    ASSERT_TRUE(written);

    std::string synced;
    for (const std::string& folder : g_syncedFolders)
        synced += folder + '\n';
    EXPECT_EQ(g_syncedFolders, std::vector<std::string>{Canonical(targetFolder)}) << synced;
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadFileWhole(target, error), std::string("new"));
}

}  // namespace
