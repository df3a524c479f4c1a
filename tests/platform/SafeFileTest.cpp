// The one writer of whole files and its companions: modes, a failed write,
// a second name that keeps the old content, whole reads. The full-disk and
// kill cases live with the writers' callers' tests.
#include "platform/SafeFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

} // namespace
