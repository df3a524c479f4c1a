#include "platform/SharedFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <map>
#include <mutex>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace {

std::function<QStringList()>& Source()
{
    // Reached from static initialisers of other files: made at first use.
    static std::function<QStringList()> source;
    return source;
}

// Closes on leaving scope unless released.
struct Descriptor {
    int Fd = -1;
    ~Descriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    int Release()
    {
        const int fd = Fd;
        Fd = -1;
        return fd;
    }
};

constexpr int AlwaysFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

int OpenChecked(const QByteArray& name, int dirFd, int flags, mode_t mode)
{
    int fd = -1;
    do
        fd = dirFd >= 0 ? ::openat(dirFd, name.constData(), flags, mode) : ::open(name.constData(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The error of a failed call, errno kept for the caller that asks it.
int Failed(int reason, const QString& path, SystemError& error)
{
    error = ErrorFromErrno(reason, path);
    errno = reason;
    return -1;
}

}  // namespace

void SetChosenFoldersSource(std::function<QStringList()> source) { Source() = std::move(source); }

QString ChosenFolderOf(const QString& path)
{
    if (!Source() || !path.startsWith(QLatin1Char('/')))
        return QString();
    const QString cleaned = QDir::cleanPath(path);
    QString best;
    for (const QString& folder : Source()()) {
        if (!folder.startsWith(QLatin1Char('/')))
            continue;
        const QString root = QDir::cleanPath(folder);
        const bool holds = root == QLatin1String("/") || cleaned == root
            || cleaned.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > best.size())
            best = root;
    }
    return best;
}

namespace {

// Never destroyed: asked by calls made while the program ends too.
std::mutex& OpenedLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}
std::map<int, QString>& Opened()
{
    static auto* opened = new std::map<int, QString>;
    return *opened;
}

// The folder below the chosen one, walked part by part from it.
int WalkToFolder(const QString& folderPath, SystemError& error, const QString& path)
{
    const QString root = ChosenFolderOf(folderPath);
    const QString cleaned = QDir::cleanPath(folderPath);
    constexpr int PathFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    if (root.isEmpty() || cleaned == root) {
        const int fd = OpenChecked(QFile::encodeName(folderPath.isEmpty() ? QStringLiteral("/") : folderPath), -1,
                                   PathFlags, 0);
        return fd >= 0 ? fd : Failed(errno, path, error);
    }
    const QStringList parts = cleaned.mid(root == QLatin1String("/") ? 1 : root.size() + 1).split(QLatin1Char('/'));
    // The chosen folder as named: a link in its path is the user's choice.
    Descriptor folder;
    folder.Fd = OpenChecked(QFile::encodeName(root), -1, PathFlags, 0);
    if (folder.Fd < 0)
        return Failed(errno, path, error);
    for (const QString& part : parts) {
        // A link laid at a folder's name below it is no folder of the user's.
        Descriptor below;
        below.Fd = OpenChecked(QFile::encodeName(part), folder.Fd, PathFlags | O_NOFOLLOW, 0);
        if (below.Fd < 0)
            return Failed(errno == ENOTDIR ? ELOOP : errno, path, error);
        ::close(folder.Fd);
        folder.Fd = below.Release();
    }
    return folder.Release();
}

// The folder part and the name of a path, as spelled.
void SplitPath(const QString& path, QString& folder, QString& name)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
    name = slash < 0 ? path : path.mid(slash + 1);
}

// A folder descriptor closed on leaving scope.
struct SharedFolderFd {
    int Fd = -1;
    QByteArray Name;
    SharedFolderFd(const QString& path, SystemError& error) { Fd = OpenSharedFolderOf(path, Name, error); }
    ~SharedFolderFd() { CloseSharedFolder(Fd); }
    SharedFolderFd(const SharedFolderFd&) = delete;
    SharedFolderFd& operator=(const SharedFolderFd&) = delete;
};

}  // namespace

int OpenSharedFolderOf(const QString& path, QByteArray& name, SystemError& error)
{
    QString folderPath;
    QString last;
    SplitPath(path, folderPath, last);
    name = QFile::encodeName(last);
    if (name.isEmpty())
        name = ".";
    const int fd = WalkToFolder(folderPath, error, path);
    if (fd >= 0) {
        const std::lock_guard<std::mutex> hold(OpenedLock());
        Opened()[fd] = folderPath;
    }
    return fd;
}

void CloseSharedFolder(int fd)
{
    if (fd < 0)
        return;
    {
        const std::lock_guard<std::mutex> hold(OpenedLock());
        Opened().erase(fd);
    }
    const int reason = errno;
    ::close(fd);
    errno = reason;
}

QString PathOfSharedFolder(int fd)
{
    const std::lock_guard<std::mutex> hold(OpenedLock());
    const auto found = Opened().find(fd);
    return found == Opened().end() ? QString() : found->second;
}

int UnlinkInSharedFolder(const QString& path)
{
    SystemError error;
    const SharedFolderFd folder(path, error);
    return folder.Fd < 0 ? -1 : ::unlinkat(folder.Fd, folder.Name.constData(), 0);
}

int MkdirInSharedFolder(const QString& path, mode_t mode)
{
    SystemError error;
    const SharedFolderFd folder(path, error);
    return folder.Fd < 0 ? -1 : ::mkdirat(folder.Fd, folder.Name.constData(), mode);
}

namespace {

// A call on two names, each relative to the descriptor of its own folder.
int AtTwoSharedFolders(const QString& from, const QString& to,
                       const std::function<int(int, const char*, int, const char*)>& call)
{
    SystemError error;
    const SharedFolderFd source(from, error);
    if (source.Fd < 0)
        return -1;
    const SharedFolderFd target(to, error);
    if (target.Fd < 0)
        return -1;
    return call(source.Fd, source.Name.constData(), target.Fd, target.Name.constData());
}

} // namespace

int RenameInSharedFolder(const QString& from, const QString& to, unsigned int flags)
{
    return AtTwoSharedFolders(from, to, [flags](int fromFd, const char* fromName, int toFd, const char* toName) {
        return flags == 0 ? ::renameat(fromFd, fromName, toFd, toName)
                          : ::renameat2(fromFd, fromName, toFd, toName, flags);
    });
}

int LinkInSharedFolder(const QString& from, const QString& to)
{
    return AtTwoSharedFolders(from, to, [](int fromFd, const char* fromName, int toFd, const char* toName) {
        return ::linkat(fromFd, fromName, toFd, toName, 0);
    });
}

bool NameTakenInSharedFolder(const QString& path)
{
    SystemError error;
    const SharedFolderFd folder(path, error);
    struct stat st {};
    return folder.Fd >= 0 && ::fstatat(folder.Fd, folder.Name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

int OpenInSharedFolder(const QString& path, int flags, mode_t mode, SystemError& error)
{
    const QString root = ChosenFolderOf(path);
    const QString cleaned = QDir::cleanPath(path);
    if (root.isEmpty() || cleaned == root) {
        const int fd = OpenChecked(QFile::encodeName(path), -1, flags | AlwaysFlags, mode);
        return fd >= 0 ? fd : Failed(errno, path, error);
    }
    Descriptor folder;
    folder.Fd = WalkToFolder(QFileInfo(cleaned).path(), error, path);
    if (folder.Fd < 0)
        return -1;
    const int fd = OpenChecked(QFile::encodeName(QFileInfo(cleaned).fileName()), folder.Fd, flags | AlwaysFlags, mode);
    return fd >= 0 ? fd : Failed(errno, path, error);
}

int CheckedToRead(int fd, const QString& path, int64_t limit, SystemError& error, struct stat* look)
{
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = ErrorFromErrno(errno, path);
        ::close(fd);
        return -1;
    }
    if (look)
        *look = st;
    if (!S_ISREG(st.st_mode)) {
        error = SystemError{ClassicError::BadFileMode,
                            QStringLiteral("Bad file mode: no file but a pipe, socket, device or folder")};
        ::close(fd);
        return -1;
    }
    if (st.st_size > limit) {
        error = SystemError{ClassicError::BadRecordLength,
                            QStringLiteral("Bad record length: %1 bytes, more than such a file can hold (%2)")
                                .arg(static_cast<qint64>(st.st_size))
                                .arg(static_cast<qint64>(limit))};
        ::close(fd);
        return -1;
    }
    // Reads wait on a regular file whatever the flag says; cleared all the
    // same so that nothing later sees EAGAIN.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK))
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int OpenSharedFileToRead(const QString& path, int64_t limit, SystemError& error, struct stat* look)
{
    return CheckedToRead(OpenInSharedFolder(path, O_RDONLY, 0, error), path, limit, error, look);
}

bool OpenSharedFileToRead(QFile& file, const QString& path, int64_t limit, SystemError& error)
{
    const int fd = OpenSharedFileToRead(path, limit, error);
    if (fd < 0)
        return false;
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = ErrorFromFile(file);
        return false;
    }
    return true;
}

bool IsDamagedFileError(const SystemError& error)
{
    return error.Number == ClassicError::BadFileMode || error.Number == ClassicError::BadRecordLength;
}
