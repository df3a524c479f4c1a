#include "platform/InstanceLock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InstanceLockTest, ASecondCopyIsRefusedUntilTheFirstEnds)
{
    QTemporaryDir folder;
    {
        InstanceLock first(folder.path());
        ASSERT_TRUE(first.TryLock());
        EXPECT_TRUE(first.IsLocked());
        EXPECT_TRUE(QFile::exists(QDir(folder.path()).filePath(QStringLiteral("QUINTARA.LCK"))));
        InstanceLock second(folder.path());
        EXPECT_FALSE(second.TryLock());
        EXPECT_FALSE(second.IsLocked());
        EXPECT_TRUE(second.HeldByAnotherCopy());
    }
    // The first copy ended: the lock is free again and the file gone.
    EXPECT_FALSE(QFile::exists(QDir(folder.path()).filePath(QStringLiteral("QUINTARA.LCK"))));
    InstanceLock third(folder.path());
    EXPECT_FALSE(third.IsLocked());
    EXPECT_TRUE(third.TryLock());
    // Given back by hand, the lock is no longer held.
    third.Unlock();
    EXPECT_FALSE(third.IsLocked());
}

TEST(InstanceLockTest, ALockLeftByACrashedCopyIsTakenOver)
{
    QTemporaryDir folder;
    // A lock file whose process does not run (PID far beyond any real one).
    QFile stale(QDir(folder.path()).filePath(QStringLiteral("QUINTARA.LCK")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999999\nquintara\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();

    InstanceLock lock(folder.path());
    EXPECT_TRUE(lock.TryLock());
}

TEST(InstanceLockTest, AFolderThatCannotHoldTheLockRefuses)
{
    InstanceLock lock(QStringLiteral("/nonexistent/quintara/folder"));
    EXPECT_FALSE(lock.TryLock());
    // No other copy holds it: the file could not be made.
    EXPECT_FALSE(lock.HeldByAnotherCopy());
}
