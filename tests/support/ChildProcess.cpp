#include "ChildProcess.h"

#include <csignal>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int WaitForChild(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
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

int RunInChild(const std::function<int()>& work) { return WaitForChild(StartChild(work)); }

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
