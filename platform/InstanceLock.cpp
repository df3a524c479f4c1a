#include "platform/InstanceLock.h"

#include "platform/SharedFolder.h"

#include <QDir>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <fcntl.h>
#include <stdio.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

InstanceLock::InstanceLock(const QString& folder)
    : m_path(QDir(folder).filePath(QString::fromLatin1(InstanceLockFileName)))
    , m_lock(std::make_unique<QLockFile>(m_path))
{
    // A running copy keeps its lock however long it runs; only a lock whose
    // process is gone counts as stale.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() { Unlock(); }

namespace {

// The largest lock file QLockFile writes: a process id, a program name, a
// host name and a boot id, each a line.
constexpr int64_t LockFileLimit = 4096;

// QLockFile reads a lock file it finds by name, through a link and waiting
// on a pipe, and whole. Whatever lies at the name that no run of the
// program made (a pipe, socket, device, folder or link, or a file larger
// than a lock) is set aside first as "<name>.BAD", "<name>.BAD2", ... so the
// lock is judged on a file of its own kind. False where it stays.
bool SetAsideWhatIsNoLock(const QString& path)
{
    SystemError error;
    const int fd = OpenSharedFileToRead(path, LockFileLimit, error);
    const int reason = errno;
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    const bool damaged = IsDamagedFileError(error) || reason == ELOOP;
    if (!damaged)
        return true;
    for (int n = 1; n < 100; ++n) {
        const QString aside = path + QStringLiteral(".BAD") + (n == 1 ? QString() : QString::number(n));
        if (RenameInSharedFolder(path, aside, RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EINVAL && RenameInSharedFolder(path, aside) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

}  // namespace

bool InstanceLock::TryLock()
{
    if (m_lock->isLocked())
        return true;
    if (!SetAsideWhatIsNoLock(m_path))
        return false;
    return m_lock->tryLock(0);
}

bool InstanceLock::IsLocked() const { return m_lock->isLocked(); }

bool InstanceLock::HeldByAnotherCopy() const { return m_lock->error() == QLockFile::LockFailedError; }

bool InstanceLock::RefusedForPermission() const { return m_lock->error() == QLockFile::PermissionError; }

void InstanceLock::Unlock()
{
    if (m_lock->isLocked())
        m_lock->unlock();
}

namespace {
QString g_seatLockPrefix;
} // namespace

MachineLock::~MachineLock() { Unlock(); }

MachineLock::Result MachineLock::TryLock(const QString& name, SystemError& error)
{
    if (IsLocked() && m_name == name)
        return Result::Locked;
    const QByteArray bytes = name.toUtf8();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // The abstract namespace: a name that begins with a zero byte, as long
    // as the length given, with no file behind it.
    if (bytes.isEmpty() || static_cast<std::size_t>(bytes.size()) >= sizeof address.sun_path) {
        error = ErrorFromErrno(ENAMETOOLONG);
        return Result::Failed;
    }
    std::memcpy(address.sun_path + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + bytes.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrorFromErrno(errno);
        return Result::Failed;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int reason = errno;
        ::close(fd);
        if (reason == EADDRINUSE)
            return Result::HeldElsewhere;
        error = ErrorFromErrno(reason);
        return Result::Failed;
    }
    Unlock();
    m_fd = fd;
    m_name = name;
    return Result::Locked;
}

void MachineLock::Unlock()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_name.clear();
}

QString SeatMachineLockName(const QString& seat)
{
    return (g_seatLockPrefix.isEmpty() ? QStringLiteral("quintara-seat-") : g_seatLockPrefix) + seat;
}

void SetSeatMachineLockPrefixForTests(const QString& prefix) { g_seatLockPrefix = prefix; }
