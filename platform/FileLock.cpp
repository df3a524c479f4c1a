#include "platform/FileLock.h"

#include "platform/SharedFolder.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether another open holds the file locked, asked through an open for
// reading: what a run that may not write the file (made by another user
// before lock files were open to every user, a share mounted read-only) can
// still learn.
bool HeldByAnother(const QString& path)
{
    SystemError ignored;
    const int fd = OpenInSharedFolder(path, O_RDONLY, 0, ignored);
    if (fd < 0)
        return false;
    struct stat file {};
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    const bool held = ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && ::fcntl(fd, F_OFD_GETLK, &range) == 0
        && range.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace

FileLock::~FileLock() { Unlock(); }

FileLock::Result FileLock::TryLock(const QString& path, SystemError& error) { return Take(path, false, error); }

FileLock::Result FileLock::Lock(const QString& path, SystemError& error) { return Take(path, true, error); }

FileLock::Result FileLock::Take(const QString& path, bool wait, SystemError& error)
{
    Unlock();
    // Opened for writing: a share grants a write lock only on such a file.
    // Never through a link at the name (others may lay one in a shared
    // folder): a link there fails the lock (ELOOP) and its target is not
    // touched. A file this run makes is made new, so that only a file this
    // run created ever has its mode changed.
    // Reached as every file of a shared folder is, without waiting: a pipe
    // laid at the name by another user must not hold the start, nor a
    // device answer the open; what is there is told by fstat below.
    bool created = false;
    int fd = -1;
    SystemError opened;
    for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
        fd = OpenInSharedFolder(path, O_RDWR | O_CREAT | O_EXCL, 0666, opened);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST)
            // Removed again meanwhile: the next round makes it.
            fd = OpenInSharedFolder(path, O_RDWR, 0, opened);
        if (fd < 0 && errno != ENOENT)
            break;
    }
    if (fd < 0) {
        const int reason = errno;
        error = opened;
        return reason != ENOENT && reason != ELOOP && HeldByAnother(path) ? Result::HeldElsewhere : Result::Failed;
    }
    // Anything but a file of its own (a pipe, a socket, a device, a folder)
    // is no lock file: nothing is locked through it.
    struct stat what {};
    if (::fstat(fd, &what) != 0 || !S_ISREG(what.st_mode)) {
        ::close(fd);
        error = SystemError{ClassicError::BadFileMode,
                            QStringLiteral("Bad file mode: no file but a pipe, socket, device or folder")};
        return Result::Failed;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // Open to every user: another PC's run of the seat, or another seat at
    // the take-over, may be another user on the share, and one that cannot
    // open the file for writing cannot lock it, nor learn that it is held.
    // The umask narrowed the mode of the file made just now.
    struct stat file {};
    if (created && ::fstat(fd, &file) == 0 && (file.st_mode & 0666) != 0666)
        (void)::fchmod(fd, (file.st_mode & 07777) | 0666);
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 0;   // the whole file, however long
    int result = 0;
    do
        result = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int reason = errno;
        ::close(fd);
        if (reason == EAGAIN || reason == EACCES)
            return Result::HeldElsewhere;
        error = ErrorFromErrno(reason, path);
        return Result::Failed;
    }
    m_fd = fd;
    m_path = path;
    return Result::Locked;
}

void FileLock::Unlock()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

void FileLock::MoveTo(FileLock& other)
{
    if (&other == this)
        return;
    other.Unlock();
    other.m_fd = m_fd;
    other.m_path = m_path;
    m_fd = -1;
    m_path.clear();
}
