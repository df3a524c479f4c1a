// The one writer of whole files and its companions: modes, a failed write,
// a second name that keeps the old content, whole reads. The full-disk and
// kill cases live with the writers' callers' tests.
#include "platform/SafeFile.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(SafeFileTest, WritesWithTheGivenModeAndReadsWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    SystemError error;
    ASSERT_TRUE(WriteFileAtomically(path, "abc", error, OwnerOnlyPermissions));
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    ASSERT_TRUE(WriteFileAtomically(path, std::string("d\0g", 3), error, ReadOnlyPermissions));
    EXPECT_FALSE(QFile::permissions(path) & QFileDevice::WriteOwner);
    EXPECT_EQ(ReadFileWhole(path, error), std::string("d\0g", 3));
    EXPECT_FALSE(WriteFileAtomically(dir.filePath(QStringLiteral("no/such/b.bin")), "x", error));
    EXPECT_NE(error.Number, 0);
    EXPECT_EQ(ReadFileWhole(dir.filePath(QStringLiteral("none")), error), std::nullopt);
    EXPECT_EQ(error.Number, 53);
    // A folder opens but cannot be read.
    error = SystemError{};
    EXPECT_EQ(ReadFileWhole(dir.path(), error), std::nullopt);
    EXPECT_NE(error.Number, 0);
}

TEST(SafeFileTest, ASecondNameKeepsTheOldContentWhenTheFileIsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    const QString backup = dir.filePath(QStringLiteral("a.bak"));
    SystemError error;
    ASSERT_TRUE(WriteFileAtomically(path, "old", error, OwnerOnlyPermissions));
    ASSERT_TRUE(LinkOrCopyFile(path, backup, error, OwnerOnlyPermissions));
    ASSERT_TRUE(WriteFileAtomically(path, "new", error, OwnerOnlyPermissions));
    EXPECT_EQ(ReadFileWhole(backup, error), std::string("old"));
    // The second name must be new, and the file must exist.
    EXPECT_FALSE(LinkOrCopyFile(path, backup, error));
    EXPECT_EQ(error.Number, 75);
    EXPECT_FALSE(LinkOrCopyFile(dir.filePath(QStringLiteral("none")), dir.filePath(QStringLiteral("b")), error));
    EXPECT_EQ(error.Number, 53);
}

TEST(SafeFileTest, AFolderThatCannotBeSyncedIsReportedAndTheFileStaysWritten)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("w"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ChownToNobody(QFile::encodeName(dir.path()).constData());
    ChownToNobody(QFile::encodeName(folder).constData());
    // Names can be made in it, but it cannot be opened to be synced.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0300), 0);
    const QString path = folder + QStringLiteral("/a.bin");
    const int result = RunUnprivileged([&] {
        QString reported;
        int32_t number = 0;
        SetFolderSyncFailedReport([&](const SystemError& error, const QString& where) {
            reported = where;
            number = error.Number;
        });
        SystemError error;
        const bool written = WriteFileAtomically(path, "abc", error);
        SetFolderSyncFailedReport({});
        if (!written)
            return 1;
        return reported == folder && number == 70 ? 0 : 2;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(result, 0);
    SystemError error;
    EXPECT_EQ(ReadFileWhole(path, error), std::string("abc"));
}

} // namespace
