// Which folder the atomic writer puts on the disk after its rename: the one
// the new name was made in, a link's included. Seen through the folder syncs of this test
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

// A name that is a link into another folder (laid there by someone who
// can write the folder): the rename replaces the link itself, so the new
// entry is in the link's folder, and that folder is the one that must reach
// the disk; the file the link led to keeps its bytes and its mode.
TEST(SafeFileFolderSync, ALinkAtTheNameIsReplacedItsTargetKeptAndTheNamesFolderSynced)
{
    QTemporaryDir dir;
    const QString targetFolder = dir.filePath(QStringLiteral("target"));
    const QString linkFolder = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QDir().mkpath(targetFolder) && QDir().mkpath(linkFolder));
    const QString target = targetFolder + QStringLiteral("/private");
    const QString link = linkFolder + QStringLiteral("/QUINTARA.DAT");
    SystemError error;
    ASSERT_TRUE(WriteFileAtomically(target, "old", error, OwnerOnlyPermissions));
    ASSERT_TRUE(QFile::link(target, link));

    for (const QFileDevice::Permissions mode : {QFileDevice::Permissions(), ReadOnlyPermissions}) {
        g_syncedFolders.clear();
        g_noteSyncs = true;
        const bool written = WriteFileAtomically(link, "new", error, mode);
        g_noteSyncs = false;
        ASSERT_TRUE(written);

        std::string synced;
        for (const std::string& folder : g_syncedFolders)
            synced += folder + '\n';
        EXPECT_EQ(g_syncedFolders, std::vector<std::string>{Canonical(linkFolder)}) << synced;
        EXPECT_FALSE(QFileInfo(link).isSymLink());
        EXPECT_EQ(ReadFileWhole(link, error), std::string("new"));
        EXPECT_EQ(ReadFileWhole(target, error), std::string("old"));
        EXPECT_EQ(QFile::permissions(target), OwnerOnlyPermissions);
        ASSERT_TRUE(QFile::remove(link) && QFile::link(target, link));
    }
}

}  // namespace
