// File calls of a child made to fail as a full disk or a failing device
// fails them: the errno the work sees, that the failed call did not run,
// which calls a full disk spares, and the atomic writer under each fault.
#include "platform/SafeFile.h"
#include "support/Bytes.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The calls of CallEach, one bit each in its exit code; a call that failed
// with another errno than the injected one gives WrongError.
enum Call : int { OpenOld = 1, Create = 2, Write = 4, Sync = 8, MakeFolder = 16, Remove = 32, WrongError = 64 };

struct Folder {
    std::optional<QTemporaryDir> Dir;
    QByteArray Old, New, Gone, Made;

    void Prepare()
    {
        Dir.emplace();
        Old = QFile::encodeName(Dir->filePath(QStringLiteral("old")));
        New = QFile::encodeName(Dir->filePath(QStringLiteral("new")));
        Gone = QFile::encodeName(Dir->filePath(QStringLiteral("gone")));
        Made = QFile::encodeName(Dir->filePath(QStringLiteral("made")));
        WriteBytes(QFile::decodeName(Old), "abc");
        WriteBytes(QFile::decodeName(Gone), "g");
    }
};

int CallEach(const Folder& f, int error)
{
    int failed = 0;
    const auto note = [&](bool done, Call call) {
        if (!done)
            failed |= errno == error ? call : WrongError;
    };
    // Only the later calls may fail: neither a read-only open nor a write
    // to a pipe changes a file.
    const int reader = ::open(f.Old.constData(), O_RDONLY | O_CLOEXEC);
    if (reader < 0)
        return WrongError;
    ::close(reader);
    int ends[2];
    if (::pipe(ends) != 0 || ::write(ends[1], "p", 1) != 1)
        return WrongError;
    ::close(ends[0]);
    ::close(ends[1]);
    const int fd = ::open(f.Old.constData(), O_WRONLY | O_CLOEXEC);
    note(fd >= 0, OpenOld);
    const int created = ::open(f.New.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    note(created >= 0, Create);
    if (created >= 0)
        ::close(created);
    if (fd >= 0) {
        note(::write(fd, "x", 1) == 1, Write);
        note(::fsync(fd) == 0, Sync);
        ::close(fd);
    }
    note(::mkdir(f.Made.constData(), 0700) == 0, MakeFolder);
    note(::unlink(f.Gone.constData()) == 0, Remove);
    return failed;
}

// What each call that failed left undone; a call that failed but ran anyway
// (the kernel not told to skip it) shows here.
void ExpectOnlyTheFailedCallsUndone(const Folder& f, int failed)
{
    EXPECT_EQ(ReadBytes(QFile::decodeName(f.Old)), (failed & (OpenOld | Write)) != 0 ? "abc" : "xbc");
    EXPECT_EQ(QFile::exists(QFile::decodeName(f.New)), (failed & Create) == 0);
    EXPECT_EQ(QFile::exists(QFile::decodeName(f.Made)), (failed & MakeFolder) == 0);
    EXPECT_EQ(QFile::exists(QFile::decodeName(f.Gone)), (failed & Remove) != 0);
}

TEST(FileCallFaultTest, OnceFailsTheKthCallThatChangesAFileWithTheGivenErrno)
{
    // Read-only opens, pipes and closes are no file calls: the k-th is the k-th here.
    const std::vector<int> failing = {OpenOld, Create, Write, Sync, MakeFolder, Remove, 0};
    for (const int error : {ENOSPC, EIO, EFBIG}) {
        SCOPED_TRACE(error);
        Folder f;
        const int runs = FailEachFileCall([&] { f.Prepare(); }, [&] { return CallEach(f, error); }, error,
                                          FileCallFault::Once, [&](int k, int exitCode) {
                                              ASSERT_LE(k, 7);
                                              EXPECT_EQ(exitCode, failing[static_cast<std::size_t>(k - 1)]);
                                              ExpectOnlyTheFailedCallsUndone(f, exitCode);
                                          });
        if (runs < 0)
            GTEST_SKIP() << "no tracing of a child, or no change of its registers";
        EXPECT_EQ(runs, 6);
    }
}

TEST(FileCallFaultTest, AFullDiskFailsEveryCallThatNeedsRoomFromTheKthOnAndRunsTheOthers)
{
    // Of the calls, only the create, the write and the sync need room.
    const std::vector<int> failing = {Create | Write | Sync, Write | Sync, Sync, 0};
    Folder f;
    const int runs = FailEachFileCall([&] { f.Prepare(); }, [&] { return CallEach(f, ENOSPC); }, ENOSPC,
                                      FileCallFault::DiskStaysFull, [&](int k, int exitCode) {
                                          ASSERT_LE(k, 4);
                                          EXPECT_EQ(exitCode, failing[static_cast<std::size_t>(k - 1)]);
                                          ExpectOnlyTheFailedCallsUndone(f, exitCode);
                                      });
    if (runs < 0)
        GTEST_SKIP() << "no tracing of a child, or no change of its registers";
    EXPECT_EQ(runs, 3);
}

TEST(FileCallFaultTest, ACallOfAThreadTheWorkStartsFailsToo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t"));
    // Opened here, so that the thread's write is the child's only file call.
    int fd = -1;
    const auto prepare = [&] {
        if (fd >= 0)
            ::close(fd);
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
    };
    const auto work = [&] {
        int seen = -1;
        std::thread writer([&] { seen = ::write(fd, "x", 1) == 1 ? 0 : errno; });
        writer.join();
        return seen;
    };
    const int runs = FailEachFileCall(prepare, work, EIO, FileCallFault::Once, [&](int k, int exitCode) {
        EXPECT_EQ(exitCode, k == 1 ? EIO : 0);
        EXPECT_EQ(ReadBytes(path), k == 1 ? "" : "x");
    });
    ::close(fd);
    if (runs < 0)
        GTEST_SKIP() << "no tracing of a child, or no change of its registers";
    EXPECT_EQ(runs, 1);
}

TEST(FileCallFaultTest, TheAtomicWriterLeavesTheOldFileOrTheNewOneWholeWhateverCallFails)
{
    const std::string oldBytes = "the old content\n";
    const std::string newBytes(70000, 'n');   // more than one write of Qt's buffer
    struct Case {
        int Error;
        FileCallFault Fault;
    };
    for (const Case c : {Case{ENOSPC, FileCallFault::Once}, Case{EIO, FileCallFault::Once},
                         Case{EFBIG, FileCallFault::Once}, Case{ENOSPC, FileCallFault::DiskStaysFull}}) {
        SCOPED_TRACE(c.Error);
        SCOPED_TRACE(c.Fault == FileCallFault::Once ? "once" : "disk stays full");
        std::optional<QTemporaryDir> dir;
        QString path;
        const auto prepare = [&] {
            dir.emplace();
            path = dir->filePath(QStringLiteral("data.bin"));
            WriteBytes(path, oldBytes);
        };
        const auto work = [&] {
            SystemError error;
            return WriteFileAtomically(path, newBytes, error) ? 0 : 1;
        };
        int lastExit = -1;
        const auto check = [&](int, int exitCode) {
            lastExit = exitCode;
            ASSERT_TRUE(exitCode == 0 || exitCode == 1) << exitCode;
            const std::string now = ReadBytes(path);
            if (exitCode == 0) {
                EXPECT_TRUE(now == newBytes) << now.size() << " bytes";
            } else {
                EXPECT_EQ(now, oldBytes);
            }
            // A full disk still removes, so no half-written file is left to fill it.
            if (c.Fault == FileCallFault::DiskStaysFull) {
                EXPECT_EQ(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"data.bin"});
            }
        };
        const int runs = FailEachFileCall(prepare, work, c.Error, c.Fault, check);
        if (runs < 0)
            GTEST_SKIP() << "no tracing of a child, or no change of its registers";
        EXPECT_GT(runs, 3);
        EXPECT_EQ(lastExit, 0);
    }
}

TEST(FileCallFaultTest, AShareWithoutLinksRefusesLinksRenamesWithFlagsAndUnnamedFilesBelowItsFolderOnly)
{
    // Each call below the share, named by a full path and relative to a
    // descriptor of its folder, is answered as smbnetfs answers it; the same
    // call beside the share runs. Bit 1 and up: a call that was not answered so.
    QTemporaryDir dir;
    const QString share = dir.filePath(QStringLiteral("share"));
    const QString beside = dir.filePath(QStringLiteral("beside"));
    for (const QString& folder : {share, beside}) {
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
        WriteBytes(folder + QStringLiteral("/sub/a"), "a");
    }
    ShareWithoutLinks refusing(QFile::encodeName(share).constData());
    const auto calls = [](const QByteArray& folder, bool refused) {
        const auto answered = [&](int result, int error) { return refused ? result == -1 && errno == error : result >= 0; };
        int wrong = 0;
        const QByteArray a = folder + "/sub/a";
        wrong |= answered(::link(a.constData(), (folder + "/sub/b").constData()), EPERM) ? 0 : 1;
        const int at = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        wrong |= answered(::linkat(at, "sub/a", at, "sub/c", 0), EPERM) ? 0 : 2;
        wrong |= answered(::renameat2(at, "sub/a", at, "sub/d", RENAME_NOREPLACE), EINVAL) ? 0 : 4;
        const int unnamed = ::openat(at, "sub", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        wrong |= answered(unnamed, EOPNOTSUPP) || (!refused && unnamed < 0 && errno == EOPNOTSUPP) ? 0 : 8;
        // A rename without flags runs on such a share too.
        wrong |= ::rename((folder + "/sub/d").constData(), (folder + "/sub/e").constData()) == 0 || refused ? 0 : 16;
        return wrong;
    };
    const int result = RunTraced([&] {
        return calls(QFile::encodeName(share), true) | (calls(QFile::encodeName(beside), false) != 0 ? 32 : 0);
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no tracing of a child, or no change of its registers";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(QDir(share + QStringLiteral("/sub")).entryList(QDir::Files), QStringList{"a"});
}

} // namespace
