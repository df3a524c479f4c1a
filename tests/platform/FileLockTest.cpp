// The lock of a seat's folder: an open file description lock, so that two
// opens exclude each other in one process too, closing one leaves the
// other's lock in force, and the lock ends with its process.
#include "support/ChildProcess.h"

#include "platform/FileLock.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

TEST(FileLock, TwoOpensExcludeEachOtherInOneProcessAndInTwo)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path = temp.path() + QStringLiteral("/SEAT.LCK");
    SystemError error;
    FileLock first;
    ASSERT_EQ(first.TryLock(path, error), FileLock::Result::Locked);
    {
        // A second open in this process, and one given up again: the
        // first's lock stays (a lock of the process would end with any
        // close of the file).
        FileLock second;
        EXPECT_EQ(second.TryLock(path, error), FileLock::Result::HeldElsewhere);
        FileLock third;
        EXPECT_EQ(third.TryLock(path, error), FileLock::Result::HeldElsewhere);
    }
    const auto tryInChild = [&] {
        return WaitForChild(StartChild([&] {
            FileLock other;
            SystemError ignored;
            return static_cast<int>(other.TryLock(path, ignored));
        }));
    };
    EXPECT_EQ(tryInChild(), static_cast<int>(FileLock::Result::HeldElsewhere));
    FileLock moved;
    first.MoveTo(moved);
    EXPECT_FALSE(first.IsLocked());
    EXPECT_EQ(tryInChild(), static_cast<int>(FileLock::Result::HeldElsewhere));

    // Gone with its process, however it ended.
    moved.Unlock();
    const ReadyChild holder = StartChildUntilReady([&](const std::function<void()>& ready) {
        FileLock held;
        SystemError ignored;
        if (held.TryLock(path, ignored) != FileLock::Result::Locked)
            return 1;
        ready();
        ::pause();
        return 0;
    });
    ASSERT_TRUE(holder.Ready);
    EXPECT_EQ(first.TryLock(path, error), FileLock::Result::HeldElsewhere);
    ::kill(holder.Pid, SIGKILL);
    WaitForChild(holder.Pid);
    EXPECT_EQ(first.TryLock(path, error), FileLock::Result::Locked);

    // A run of another user (another PC on the share) learns that the lock
    // is held; it could not open a file made by the umask's mode.
    const QString shared = temp.path() + QStringLiteral("/PENDING.LCK");
    const mode_t mask = ::umask(022);
    ASSERT_EQ(first.TryLock(shared, error), FileLock::Result::Locked);
    ::umask(mask);
    ChownToNobody(QFile::encodeName(temp.path()).constData());
    EXPECT_EQ(RunUnprivileged([&] {
                  FileLock other;
                  SystemError ignored;
                  return static_cast<int>(other.TryLock(shared, ignored));
              }),
              static_cast<int>(FileLock::Result::HeldElsewhere));
    // Nor one it may not write (a file made so before, a share mounted
    // read-only).
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0644), 0);
    EXPECT_EQ(RunUnprivileged([&] {
                  FileLock other;
                  SystemError ignored;
                  return static_cast<int>(other.TryLock(shared, ignored));
              }),
              static_cast<int>(FileLock::Result::HeldElsewhere));

    // A folder that is not there holds no lock, and says why.
    FileLock missing;
    EXPECT_EQ(missing.TryLock(temp.path() + QStringLiteral("/none/SEAT.LCK"), error), FileLock::Result::Failed);
    EXPECT_EQ(error.Number, 76);
}
