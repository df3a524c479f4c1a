#pragma once
// Work done in a forked child, for what a test cannot do to its own process:
// a full disk (a file size limit, under which writes fail with EFBIG, or file
// calls made to fail through tracing), a user without root's rights, a kill
// at an arbitrary moment, a private read-only mount. The child ends with
// _exit, so nothing of the test program runs twice; it reports through its
// exit code and the files it leaves.
#include <functional>
#include <sys/types.h>

// The uid and gid of "nobody", which the unprivileged child takes when the
// tests run as root.
inline constexpr unsigned NobodyId = 65534;

// What the child is told when the work could not even be set up (the
// system refused the limit, the user or the mount): the test skips.
inline constexpr int ChildSetupFailed = 125;

// Exit code of the child, or 128 plus the signal that ended it.
int WaitForChild(pid_t pid);

// Starts the work in a child and returns at once (for kill tests).
pid_t StartChild(const std::function<int()>& work);

// Starts the work in a child and returns once the child called the ready
// function it is handed (Ready true) or ended without calling it (false).
struct ReadyChild {
    pid_t Pid = -1;
    bool Ready = false;
};
ReadyChild StartChildUntilReady(const std::function<int(const std::function<void()>& ready)>& work);

// Runs the work in a child traced by this process, killed (SIGKILL) on entry
// to its first, second, ... system call that can change a file (creating or
// opening, writing, syncing, linking, renaming, removing, changing a mode or
// a length) until it runs through, each run after prepare and followed by check(k), which
// looks at what the run left (a fatal failure in it ends the loop). The
// number of kills, or -1 where tracing is not allowed. atCall, when given,
// runs in this process while the child waits at that call, before the kill
// (another process's whole step in the middle of the child's).
int KillBeforeEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work,
                           const std::function<void(int)>& check, const std::function<void()>& atCall = nullptr);

// How the k-th file call of FailEachFileCall fails.
enum class FileCallFault {
    // The k-th call that can change a file fails (a read-only open cannot,
    // nor can a write to a pipe, a socket or a terminal); the ones before
    // and after it run.
    Once,
    // The disk is full from the k-th call on that writes bytes or makes room
    // for them (write, pwrite64, writev, fallocate, truncate, ftruncate,
    // fsync, fdatasync, an open that may create a file): each of these fails,
    // while the others (unlink, rename, mkdir, a read-only open) still run.
    DiskStaysFull,
};

// Runs the work in a child traced by this process, in which the k-th such
// call, k = 1, 2, ..., fails with the given errno (ENOSPC, EIO, EFBIG) and
// is not run, each run after prepare and followed by check(k, exit code of
// the work, or 128 plus a signal), until a run in which the k-th call never
// came (the work ran through; check sees it too) or a fatal failure in check.
// The number of runs with a fault, or -1 where tracing or changing the
// child's registers is not allowed, or on processors other than x86_64.
// Threads the work starts are traced alike; the k-th call is then the k-th
// any of them makes, which may differ from run to run.
int FailEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work, int error,
                     FileCallFault fault, const std::function<void(int k, int exitCode)>& check);

// The same with a folder that goes away (a share whose server is gone, a
// USB disk pulled): at the k-th file call (counted as for Once) vanish runs
// in this process while the child waits, then the call runs on. check
// brings the folder back before it looks.
int VanishAtEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work,
                         const std::function<void()>& vanish, const std::function<void(int k, int exitCode)>& check);

// While one lives, the folder (and all below it) answers a child traced by
// the functions above as a share without hard links and without a rename
// that refuses to replace does (smbnetfs, gvfs, rclone): link(2) and
// linkat(2) fail with EPERM, renameat2(2) with flags with EINVAL, and an open
// with O_TMPFILE with EOPNOTSUPP, none of them run. Those refused calls are
// no file calls to the counts above: they change nothing. Where calls cannot
// be failed (processors other than x86_64) the tracing functions answer as
// where tracing is not allowed. One such folder at a time.
class ShareWithoutLinks {
public:
    explicit ShareWithoutLinks(const char* folder);
    ~ShareWithoutLinks();
    ShareWithoutLinks(const ShareWithoutLinks&) = delete;
    ShareWithoutLinks& operator=(const ShareWithoutLinks&) = delete;
};

// Runs the work in a traced child with no call failed but those a
// ShareWithoutLinks refuses: its exit code, or ChildSetupFailed where calls
// cannot be failed.
int RunTraced(const std::function<int()>& work);

// Runs it with writes limited to files of the given size, SIGXFSZ ignored.
int RunWithFileSizeLimit(long bytes, const std::function<int()>& work);

// Runs it as nobody when the tests run as root, else as the running user;
// permission bits then hold for the work. The folders it needs must be
// given to it first (ChownToNobody).
int RunUnprivileged(const std::function<int()>& work);
// Hands a file or folder to the user RunUnprivileged runs as (nothing when
// the tests do not run as root).
void ChownToNobody(const char* path);

// Runs it with the folder mounted read-only in a mount namespace of the
// child's own; ChildSetupFailed where the system allows no such mount.
int RunWithReadOnlyFolder(const char* folder, const std::function<int()>& work);

// Runs it in a mount namespace of the child's own, whose mounts (a file
// system of its own for a folder of the test) go with the child;
// ChildSetupFailed where the system allows none.
int RunInMountNamespace(const std::function<int()>& work);
