#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstddef>
#include <fcntl.h>
#include <grp.h>
#include <map>
#include <string>
#include <sched.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/user.h>
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

#if defined(__x86_64__)
constexpr bool CanFailCalls = true;

// A call number the kernel knows as none: it skips the call, leaving -ENOSYS.
bool SkipCall(pid_t tid)
{
    return ::ptrace(PTRACE_POKEUSER, tid, reinterpret_cast<void*>(offsetof(user_regs_struct, orig_rax)),
                    reinterpret_cast<void*>(-1L)) == 0;
}

bool SetCallResult(pid_t tid, long result)
{
    return ::ptrace(PTRACE_POKEUSER, tid, reinterpret_cast<void*>(offsetof(user_regs_struct, rax)),
                    reinterpret_cast<void*>(result)) == 0;
}
#else
// Other processors keep the call number and result elsewhere (aarch64 in
// register sets of its own), which no test here could check.
constexpr bool CanFailCalls = false;
bool SkipCall(pid_t) { return false; }
bool SetCallResult(pid_t, long) { return false; }
#endif

std::string g_shareWithoutLinks;

// The string at the address in the traced thread's memory.
std::string ChildString(pid_t tid, unsigned long long address)
{
    std::string text;
    while (text.size() < 4096) {
        errno = 0;
        const long word = ::ptrace(PTRACE_PEEKDATA, tid, reinterpret_cast<void*>(address + text.size()), nullptr);
        if (errno != 0)
            break;
        const char* bytes = reinterpret_cast<const char*>(&word);
        for (std::size_t i = 0; i < sizeof word; ++i) {
            if (bytes[i] == '\0')
                return text;
            text += bytes[i];
        }
    }
    return text;
}

// The path a call of the traced thread names, relative to the folder
// descriptor it gives (or its working folder).
std::string ChildPath(pid_t tid, int folder, unsigned long long address)
{
    const std::string path = ChildString(tid, address);
    if (path.empty() || path[0] == '/')
        return path;
    const std::string link = "/proc/" + std::to_string(tid)
        + (folder == AT_FDCWD ? std::string("/cwd") : "/fd/" + std::to_string(folder));
    char base[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), base, sizeof base);
    if (length <= 0)
        return path;
    return std::string(base, static_cast<std::size_t>(length)) + "/" + path;
}

bool OnShareWithoutLinks(const std::string& path)
{
    const std::string& share = g_shareWithoutLinks;
    return !share.empty() && (path == share || path.rfind(share + "/", 0) == 0);
}

// The errno the share without links answers the call with instead of
// running it, or 0 where it runs.
int ShareRefusal(pid_t tid, const __ptrace_syscall_info& info)
{
    if (g_shareWithoutLinks.empty())
        return 0;
    const auto& a = info.entry.args;
    const auto at = [&](unsigned long long folder, unsigned long long path) {
        return OnShareWithoutLinks(ChildPath(tid, static_cast<int>(folder), path));
    };
    switch (info.entry.nr) {
    case SYS_linkat:
        return at(a[0], a[1]) || at(a[2], a[3]) ? EPERM : 0;
    case SYS_renameat2:
        return a[4] != 0 && (at(a[0], a[1]) || at(a[2], a[3])) ? EINVAL : 0;
    case SYS_openat:
        return (a[2] & O_TMPFILE) == O_TMPFILE && at(a[0], a[1]) ? EOPNOTSUPP : 0;
#ifdef SYS_open
    case SYS_link:
        return at(static_cast<unsigned long long>(AT_FDCWD), a[0]) || at(static_cast<unsigned long long>(AT_FDCWD), a[1])
            ? EPERM
            : 0;
    case SYS_open:
        return (a[1] & O_TMPFILE) == O_TMPFILE && at(static_cast<unsigned long long>(AT_FDCWD), a[0]) ? EOPNOTSUPP : 0;
#endif
    default:
        return 0;
    }
}

// 1 when the work was killed on entry to its k-th file call, 0 when it ended
// before, ChildSetupFailed where tracing is not allowed.
int RunKilledBeforeFileCall(int k, const std::function<int()>& work, const std::function<void()>& atCall)
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
    // The errno a call the share refused is to answer with at its exit.
    int refused = 0;
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
        if (info.op == PTRACE_SYSCALL_INFO_EXIT && refused != 0) {
            SetCallResult(pid, -static_cast<long>(refused));
            refused = 0;
            continue;
        }
        if (info.op == PTRACE_SYSCALL_INFO_ENTRY && (refused = ShareRefusal(pid, info)) != 0) {
            SkipCall(pid);
            continue;
        }
        if (info.op != PTRACE_SYSCALL_INFO_ENTRY || !ChangesFiles(info.entry.nr) || ++count < k)
            continue;
        if (atCall)
            atCall();
        ::kill(pid, SIGKILL);
        WaitForChild(pid);
        return 1;
    }
    ::kill(pid, SIGKILL);
    WaitForChild(pid);
    return 0;
}

// The calls a full disk refuses: those that write bytes or make room for
// them, and opens that may create a file (a new name takes room too).
bool NeedsRoom(const __ptrace_syscall_info& info)
{
    switch (info.entry.nr) {
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_pwritev:
    case SYS_pwritev2:
    case SYS_fallocate:
    case SYS_truncate:
    case SYS_ftruncate:
    case SYS_fsync:
    case SYS_fdatasync:
        return true;
    case SYS_openat:
        return (info.entry.args[2] & O_CREAT) != 0;
#ifdef SYS_open
    case SYS_open:
        return (info.entry.args[1] & O_CREAT) != 0;
    case SYS_creat:
        return true;
#endif
    default:
        return false;
    }
}

// The calls FailEachFileCall counts in its Once mode: those a kill is tried
// before, and those a full disk refuses, less the opens for reading alone:
// no full disk or failing device refuses these, and a test of their failure
// would test a case that does not come.
bool CanFailAsFileCall(const __ptrace_syscall_info& info)
{
    constexpr unsigned long long Changing = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC;
    switch (info.entry.nr) {
    case SYS_openat:
        return (info.entry.args[2] & Changing) != 0;
#ifdef SYS_open
    case SYS_open:
        return (info.entry.args[1] & Changing) != 0;
#endif
    default:
        return ChangesFiles(info.entry.nr) || NeedsRoom(info);
    }
}

// Whether the call changes a file only where the descriptor it is given
// (its first argument) leads to one.
bool TakesDescriptor(unsigned long long number)
{
    switch (number) {
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_pwritev:
    case SYS_pwritev2:
    case SYS_fallocate:
    case SYS_ftruncate:
    case SYS_fsync:
    case SYS_fdatasync:
    case SYS_fchmod:
        return true;
    default:
        return false;
    }
}

// A full disk refuses no write to a pipe, a socket, a terminal or an event
// counter; and the sanitizers' runtime probes memory with writes to a pipe
// and stops the process when such a write fails otherwise than it expects.
bool LeadsToFile(pid_t tid, unsigned long long fd)
{
    const std::string link = "/proc/" + std::to_string(tid) + "/fd/" + std::to_string(fd);
    struct stat status{};
    if (::stat(link.c_str(), &status) != 0)
        return false;
    return S_ISREG(status.st_mode) || S_ISDIR(status.st_mode) || S_ISBLK(status.st_mode);
}

bool CountsAsFileCall(pid_t tid, const __ptrace_syscall_info& info, FileCallFault fault)
{
    if (!(fault == FileCallFault::Once ? CanFailAsFileCall(info) : NeedsRoom(info)))
        return false;
    return !TakesDescriptor(info.entry.nr) || LeadsToFile(tid, info.entry.args[0]);
}


struct FaultRun {
    bool Allowed = true;
    bool Faulted = false;
    int ExitCode = -1;
};

// A traced child of its own process group, so that its threads, which
// report to the tracer as children, can be waited for apart from any other
// child of the test program. Killed with all its threads unless it ended.
class TracedChild {
public:
    explicit TracedChild(const std::function<int()>& work)
        : m_pid(::fork())
    {
        if (m_pid == 0) {
            if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0 || ::setpgid(0, 0) != 0)
                ::_exit(ChildSetupFailed);
            ::raise(SIGSTOP);
            ::_exit(work());
        }
    }
    TracedChild(const TracedChild&) = delete;
    TracedChild& operator=(const TracedChild&) = delete;
    ~TracedChild()
    {
        if (m_pid <= 0 || m_ended)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(-m_pid, &status, __WALL) > 0 || errno == EINTR) {
        }
    }

    pid_t Pid() const { return m_pid; }
    void Ended() { m_ended = true; }

private:
    pid_t m_pid;
    bool m_ended = false;
};

// Where each thread of the work is between its stops.
struct TracedThread {
    // A thread traced through its parent's clone first stops with SIGSTOP,
    // which is the tracer's and not to be passed on.
    bool Started = false;
    // The errno its call in progress is to answer with (skipped or not), or 0.
    int FailWith = 0;
};

// With vanish set, the k-th call is not failed: vanish runs first (in this
// process, while the child waits at the call's entry), then the call runs.
FaultRun RunFailingFileCall(int k, int error, FileCallFault fault, const std::function<int()>& work,
                            const std::function<void()>& vanish = nullptr)
{
    FaultRun run;
    TracedChild child(work);
    const pid_t pid = child.Pid();
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) < 0 || !WIFSTOPPED(status)) {
        // Tracing refused: the child ended by itself.
        child.Ended();
        run.Allowed = false;
        return run;
    }
    if (::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACECLONE)
        != 0) {
        run.Allowed = false;
        return run;
    }
    std::map<pid_t, TracedThread> threads;
    threads[pid].Started = true;
    int count = 0;
    // Only the thread whose stop was just taken is resumed: another one may
    // be stopped with a stop not yet taken, which a resume would skip.
    const auto resume = [](pid_t tid, int signal) { (void)::ptrace(PTRACE_SYSCALL, tid, nullptr, signal); };
    resume(pid, 0);
    for (;;) {
        const pid_t tid = ::waitpid(-pid, &status, __WALL);
        if (tid < 0) {
            if (errno == EINTR)
                continue;
            child.Ended();
            return run;
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            threads.erase(tid);
            if (tid == pid) {
                child.Ended();
                run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return run;
            }
            continue;
        }
        if (!WIFSTOPPED(status))
            continue;
        TracedThread& thread = threads[tid];
        if (status >> 16 == PTRACE_EVENT_CLONE) {
            unsigned long started = 0;
            if (::ptrace(PTRACE_GETEVENTMSG, tid, nullptr, &started) == 0)
                threads.try_emplace(static_cast<pid_t>(started));
            resume(tid, 0);
            continue;
        }
        const int signal = WSTOPSIG(status);
        if (!thread.Started && signal == SIGSTOP) {
            thread.Started = true;
            resume(tid, 0);
            continue;
        }
        if (signal != (SIGTRAP | 0x80)) {
            resume(tid, signal);
            continue;
        }
        __ptrace_syscall_info info{};
        if (::ptrace(PTRACE_GET_SYSCALL_INFO, tid, sizeof info, &info) <= 0) {
            run.Allowed = false;
            return run;
        }
        if (info.op == PTRACE_SYSCALL_INFO_EXIT && thread.FailWith != 0) {
            const int failWith = thread.FailWith;
            thread.FailWith = 0;
            if (!SetCallResult(tid, -static_cast<long>(failWith))) {
                run.Allowed = false;
                return run;
            }
        } else if (const int refused = info.op == PTRACE_SYSCALL_INFO_ENTRY ? ShareRefusal(tid, info) : 0;
                   refused != 0) {
            if (!SkipCall(tid)) {
                run.Allowed = false;
                return run;
            }
            thread.FailWith = refused;
        } else if (info.op == PTRACE_SYSCALL_INFO_ENTRY && CountsAsFileCall(tid, info, fault)) {
            ++count;
            if (count == k && vanish) {
                vanish();
                run.Faulted = true;
            } else if (count == k || (count > k && fault == FileCallFault::DiskStaysFull)) {
                if (!SkipCall(tid)) {
                    run.Allowed = false;
                    return run;
                }
                thread.FailWith = error;
                run.Faulted = true;
            }
        }
        resume(tid, 0);
    }
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

int RunInMountNamespace(const std::function<int()>& work)
{
    return RunInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return ChildSetupFailed;
        return work();
    });
}

int RunWithReadOnlyFolder(const char* folder, const std::function<int()>& work)
{
    return RunInMountNamespace([&] {
        if (::mount(folder, folder, nullptr, MS_BIND, nullptr) != 0
            || ::mount(nullptr, folder, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return ChildSetupFailed;
        return work();
    });
}

ShareWithoutLinks::ShareWithoutLinks(const char* folder)
{
    char real[PATH_MAX];
    g_shareWithoutLinks = ::realpath(folder, real) ? real : folder;
}

ShareWithoutLinks::~ShareWithoutLinks() { g_shareWithoutLinks.clear(); }

int RunTraced(const std::function<int()>& work)
{
    if (!CanFailCalls)
        return ChildSetupFailed;
    const FaultRun run = RunFailingFileCall(0, 0, FileCallFault::Once, work);
    return run.Allowed ? run.ExitCode : ChildSetupFailed;
}

int KillBeforeEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work,
                           const std::function<void(int)>& check, const std::function<void()>& atCall)
{
    if (!g_shareWithoutLinks.empty() && !CanFailCalls)
        return -1;
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        prepare();
        const int killed = RunKilledBeforeFileCall(k, work, atCall);
        if (killed == ChildSetupFailed)
            return -1;
        check(k);
        if (killed == 0 || ::testing::Test::HasFatalFailure())
            return k - 1;
    }
}

int FailEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work, int error,
                     FileCallFault fault, const std::function<void(int k, int exitCode)>& check)
{
    if (!CanFailCalls)
        return -1;
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        prepare();
        const FaultRun run = RunFailingFileCall(k, error, fault, work);
        if (!run.Allowed)
            return -1;
        check(k, run.ExitCode);
        if (!run.Faulted || ::testing::Test::HasFatalFailure())
            return k - 1;
    }
}

int VanishAtEachFileCall(const std::function<void()>& prepare, const std::function<int()>& work,
                         const std::function<void()>& vanish, const std::function<void(int k, int exitCode)>& check)
{
    if (!CanFailCalls)
        return -1;
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        prepare();
        const FaultRun run = RunFailingFileCall(k, 0, FileCallFault::Once, work, vanish);
        if (!run.Allowed)
            return -1;
        check(k, run.ExitCode);
        if (!run.Faulted || ::testing::Test::HasFatalFailure())
            return k - 1;
    }
}
