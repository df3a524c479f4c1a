#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

int WaitForChild(pid_t pid)
{
    if (pid <= 0)
        return ChildSetupFailed;   // no child was started
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

pid_t StartChild(const std::function<int()>& work)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    return pid;
}

ReadyChild StartChildUntilReady(const std::function<int(const std::function<void()>& ready)>& work)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return ReadyChild{};
    const int writeEnd = pipe[1];
    const pid_t pid = StartChild([&] { return work([writeEnd] { (void)!::write(writeEnd, "r", 1); }); });
    ::close(pipe[1]);
    char byte = 0;
    const bool ready = pid > 0 && ::read(pipe[0], &byte, 1) == 1;
    ::close(pipe[0]);
    return ReadyChild{pid, ready};
}

namespace {

int RunInChild(const std::function<int()>& work) { return WaitForChild(StartChild(work)); }

bool ChangesFiles(unsigned long long number)
{
    switch (number) {
    case SYS_openat:
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_fsync:
    case SYS_fdatasync:
    case SYS_linkat:
    case SYS_renameat:
    case SYS_renameat2:
    case SYS_unlinkat:
    case SYS_fchmod:
    case SYS_fchmodat:
    case SYS_ftruncate:
    case SYS_mkdirat:
#ifdef SYS_open
    case SYS_open:
    case SYS_creat:
    case SYS_link:
    case SYS_rename:
    case SYS_unlink:
    case SYS_chmod:
    case SYS_mkdir:
#endif
        return true;
    default:
        return false;
    }
}

// 1 when the work was killed on entry to its k-th file call, 0 when it ended
// before, ChildSetupFailed where tracing is not allowed.
int RunKilledBeforeFileCall(int k, const std::function<int()>& work)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return ChildSetupFailed;
    if (pid == 0) {
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            ::_exit(ChildSetupFailed);
        ::raise(SIGSTOP);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) < 0 || !WIFSTOPPED(status)) {
        // Tracing refused: the child ended by itself.
        return WIFEXITED(status) && WEXITSTATUS(status) == ChildSetupFailed ? ChildSetupFailed : 0;
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int count = 0;
    int passOn = 0;
    for (;;) {
        if (::ptrace(PTRACE_SYSCALL, pid, nullptr, passOn) != 0)
            break;
        passOn = 0;
        if (::waitpid(pid, &status, 0) < 0 || WIFEXITED(status) || WIFSIGNALED(status))
            return 0;
        if (!WIFSTOPPED(status))
            continue;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            passOn = WSTOPSIG(status);
            continue;
        }
        __ptrace_syscall_info info{};
        if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0)
            continue;
        if (info.op != PTRACE_SYSCALL_INFO_ENTRY || !ChangesFiles(info.entry.nr) || ++count < k)
            continue;
        ::kill(pid, SIGKILL);
        WaitForChild(pid);
        return 1;
    }
    ::kill(pid, SIGKILL);
    WaitForChild(pid);
    return 0;
}

} // namespace

int RunWithFileSizeLimit(long bytes, const std::function<int()>& work)
{
    return RunInChild([&] {
        const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return ChildSetupFailed;
        std::signal(SIGXFSZ, SIG_IGN);
        return work();
    });
}

int RunUnprivileged(const std::function<int()>& work)
{
    return RunInChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0))
            return ChildSetupFailed;
        return work();
    });
}

void ChownToNobody(const char* path)
{
    if (::geteuid() == 0)
        (void)!::chown(path, NobodyId, NobodyId);
}

int RunWithReadOnlyFolder(const char* folder, const std::function<int()>& work)
{
    return RunInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(folder, folder, nullptr, MS_BIND, nullptr) != 0
            || ::mount(nullptr, folder, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return ChildSetupFailed;
        return work();
    });
}

int KillBeforeEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work,
                           const std::function<void(int)>& check)
{
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        prepare();
        const int killed = RunKilledBeforeFileCall(k, work);
        if (killed == ChildSetupFailed)
            return -1;
        check(k);
        if (killed == 0 || ::testing::Test::HasFatalFailure())
            return k - 1;
    }
}
