#include "platform/SafeFile.h"

#include "platform/SharedFolder.h"

#include <QFile>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::function<void()> g_sizeTaken;

// The folder of a path as every shared folder is reached (OpenSharedFolderOf),
// closed on leaving scope: the writes, links, renames and removals below go
// relative to it.
struct Folder {
    int Fd = -1;
    QByteArray Name;
    SystemError Error;
    explicit Folder(const QString& path) { Fd = OpenSharedFolderOf(path, Name, Error); }
    ~Folder() { CloseSharedFolder(Fd); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
};

// A new hidden name beside the file: "." + name + "." + six random letters
// or digits + the ending.
QByteArray RandomTemporaryName(const QString& name, const QString& ending)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString random;
    for (int i = 0; i < 6; ++i)
        random += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    return QFile::encodeName(QLatin1Char('.') + name + QLatin1Char('.') + random + ending);
}
std::function<void(const SystemError&, const QString&)> g_folderSyncFailed;

// Every byte onto the descriptor. False with errno set by the call that
// failed: a full disk shows here (ENOSPC, EFBIG under a file size limit,
// EDQUOT), where Qt's buffer would report it late or not at all.
bool WriteAllNoSync(int fd, const char* data, std::size_t left)
{
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Every byte onto the descriptor, then onto the disk.
bool WriteAll(int fd, const std::string& bytes)
{
    if (!WriteAllNoSync(fd, bytes.data(), bytes.size()))
        return false;
    // Some file systems (network ones) report a full disk only here. One
    // that cannot sync says so with EINVAL, which is no failure of the data.
    if (::fdatasync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        return false;
    return true;
}


// A link refused because the file system has no hard links (FAT, exFAT, a
// share without them), not because of the name.
bool NoHardLinks(int reason) { return LinkRefused(reason); }

// Gives the written temporary file its name where the file system has no
// hard links: an empty file of the name created exclusively holds it, and
// the temporary file is renamed over that file of our own.
bool NameWithoutLink(const Folder& folder, const QByteArray& temp, mode_t mode, int& reason)
{
    const int fd = ::openat(folder.Fd, folder.Name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        reason = errno;
        return false;
    }
    ::close(fd);
    if (::renameat(folder.Fd, temp.constData(), folder.Fd, folder.Name.constData()) != 0) {
        reason = errno;
        ::unlinkat(folder.Fd, folder.Name.constData(), 0);
        return false;
    }
    return true;
}

void TellFolderSyncFailed(const QString& folder)
{
    if (!SyncFolder(folder) && g_folderSyncFailed)
        g_folderSyncFailed(ErrorFromErrno(errno, folder), folder);
}

NewFileWays g_newFileWays = NewFileWays::All;

enum class Written { Named, Failed, NotThisWay };

// Writes the bytes into a file of no name in the folder and links it to the
// name: nothing is left by a kill. NotThisWay where the file system (or the
// kernel) has no unnamed files, or /proc is not there to link one through.
Written WriteUnnamed(const Folder& folder, mode_t mode, const std::string& bytes, int& reason)
{
    const int fd = ::openat(folder.Fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode | S_IWUSR);
    if (fd < 0) {
        reason = errno;
        return reason == EOPNOTSUPP || reason == EISDIR || reason == EINVAL ? Written::NotThisWay : Written::Failed;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
    reason = errno;
    Written result = ok ? Written::Named : Written::Failed;
    if (ok) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), folder.Fd, folder.Name.constData(), AT_SYMLINK_FOLLOW) != 0) {
            reason = errno;
            result = reason == ENOENT && ::access("/proc/self/fd", F_OK) != 0 ? Written::NotThisWay : Written::Failed;
        }
    }
    ::close(fd);
    return result;
}

// Writes the bytes under a new hidden temporary name from the template
// (".<name>.XXXXXX.NEW") and links it to the name, or, without hard links,
// renames it over an empty file of the name made exclusively; the temporary
// name goes either way.
bool WriteNamed(const Folder& folder, const QString& name, mode_t mode, const std::string& bytes, int& reason)
{
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = RandomTemporaryName(name, QStringLiteral(".NEW"));
        fd = ::openat(folder.Fd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        reason = errno;
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
    reason = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok) {
        const bool links = g_newFileWays != NewFileWays::NoHardLinks;
        if (links && ::linkat(folder.Fd, temp.constData(), folder.Fd, folder.Name.constData(), 0) == 0) {
            // A kill before this leaves a second name of the file.
            ::unlinkat(folder.Fd, temp.constData(), 0);
            return true;
        }
        reason = links ? errno : EPERM;
        if (NoHardLinks(reason) && NameWithoutLink(folder, temp, mode, reason))
            return true;
    }
    ::unlinkat(folder.Fd, temp.constData(), 0);
    return false;
}

// The regular files (a link of such a name is none) in the target's folder
// whose names are the prefix and then the rest of the pattern, in name order.
QStringList LeftoversOfShape(const QFileInfo& target, const QString& prefix, const QRegularExpression& rest)
{
    QStringList found;
    QDirIterator it(target.absolutePath(), {prefix + QLatin1Char('*')},
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (it.hasNext()) {
        const QString candidate = it.next();
        const QString name = it.fileName();
        // The filter ignores case; the name must be the file's own.
        if (!name.startsWith(prefix, Qt::CaseSensitive) || !rest.match(name.mid(prefix.size())).hasMatch())
            continue;
        struct stat st {};
        if (::lstat(QFile::encodeName(candidate).constData(), &st) == 0 && S_ISREG(st.st_mode))
            found.append(candidate);
    }
    found.sort();
    return found;
}

} // namespace

mode_t ModeOfPermissions(QFileDevice::Permissions permissions)
{
    const struct {
        QFileDevice::Permission qt;
        mode_t mode;
    } bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR}, {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
        {QFileDevice::ReadUser, S_IRUSR},  {QFileDevice::WriteUser, S_IWUSR},  {QFileDevice::ExeUser, S_IXUSR},
        {QFileDevice::ReadGroup, S_IRGRP}, {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
        {QFileDevice::ReadOther, S_IROTH}, {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH},
    };
    mode_t mode = 0;
    for (const auto& bit : bits)
        if (permissions.testFlag(bit.qt))
            mode |= bit.mode;
    return mode;
}

bool WriteFileAtomically(const QString& path, const std::string& bytes, SystemError& error,
                         QFileDevice::Permissions permissions)
{
    const QFileInfo info(path);
    const Folder folder(path);
    if (folder.Fd < 0) {
        error = folder.Error;
        return false;
    }
    const char* target = folder.Name.constData();
    // The mode of the file the name holds now, never of what a link there
    // leads to: the link is replaced, its target left as it is.
    struct stat old {};
    const bool hasOld = ::fstatat(folder.Fd, target, &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (hasOld && S_ISDIR(old.st_mode)) {
        error = ErrorFromErrno(EISDIR, path);
        return false;
    }
    // A file this user may not write is not replaced, though its folder
    // would allow the rename.
    const bool regularOld = hasOld && S_ISREG(old.st_mode);
    if (regularOld && ::faccessat(folder.Fd, target, W_OK, 0) != 0) {
        error = ErrorFromErrno(errno, path);
        return false;
    }
    int fd = -1;
    QByteArray temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = RandomTemporaryName(info.fileName(), QStringLiteral(".WRITING"));
        // Created new (a link of that name is refused, never followed),
        // with the default mode the umask leaves.
        fd = ::openat(folder.Fd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        // The system's reason for the name asked for: a read-only mount, a
        // missing permission, a missing folder.
        const int reason = errno;
        error = ErrorFromErrno(reason == EEXIST ? EACCES : reason, path);
        return false;
    }
    bool ok = true;
    if (permissions != QFileDevice::Permissions())
        ok = ::fchmod(fd, ModeOfPermissions(permissions)) == 0;
    else if (regularOld)
        // Writable for its owner, the program, whatever an earlier reader
        // left it as.
        ok = ::fchmod(fd, (old.st_mode & 07777) | S_IWUSR) == 0;
    ok = ok && WriteAll(fd, bytes);
    int reason = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    // rename(2) replaces the name itself: a link there is replaced by the
    // file, and what it led to is not touched.
    if (ok && ::renameat(folder.Fd, temp.constData(), folder.Fd, target) != 0) {
        ok = false;
        reason = errno;
    }
    if (!ok) {
        ::unlinkat(folder.Fd, temp.constData(), 0);
        error = ErrorFromErrno(reason, path);
        return false;
    }
    // The file is written whatever follows; the new name is on the disk
    // once its folder is.
    TellFolderSyncFailed(info.absolutePath());
    return true;
}

QString AtomicTemporaryName(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + QFile::decodeName(RandomTemporaryName(name, QStringLiteral(".WRITING")));
}

bool IsAtomicTemporaryName(const QString& name)
{
    static const QRegularExpression shape(QStringLiteral("^\\..+\\.[A-Za-z0-9]{6}\\.WRITING$"));
    return shape.match(name).hasMatch();
}

bool RemoveAtomicWriteLeftover(const QString& path)
{
    const Folder folder(path);
    struct stat st {};
    return folder.Fd >= 0 && ::fstatat(folder.Fd, folder.Name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISREG(st.st_mode) && ::unlinkat(folder.Fd, folder.Name.constData(), 0) == 0;
}

QStringList AtomicWriteLeftovers(const QString& path)
{
    const QFileInfo target(path);
    static const QRegularExpression random(QStringLiteral("^[A-Za-z0-9]{6}\\.WRITING$"));
    return LeftoversOfShape(target, QLatin1Char('.') + target.fileName() + QLatin1Char('.'), random);
}

QStringList EarlierAtomicWriteLeftovers(const QString& path)
{
    // Qt's QSaveFile, which an earlier version wrote with: the name, a dot
    // and six letters, which a user's copy may bear as well ("name.backup").
    const QFileInfo target(path);
    static const QRegularExpression random(QStringLiteral("^[A-Za-z]{6}$"));
    return LeftoversOfShape(target, target.fileName() + QLatin1Char('.'), random);
}

void SetNewFileWays(NewFileWays ways) { g_newFileWays = ways; }

bool LinkRefused(int reason) { return reason == EPERM || reason == ENOTSUP || reason == ENOSYS || reason == EXDEV; }

bool CopyToNewName(const QString& from, const QString& to, SystemError& error, bool* nameTaken)
{
    if (nameTaken)
        *nameTaken = false;
    const int source = OpenInSharedFolder(from, O_RDONLY, 0, error);
    if (source < 0)
        return false;
    // A pipe or a device at the name is no file to copy, and is never waited on.
    struct stat look {};
    const int looked = ::fstat(source, &look) == 0 ? (S_ISREG(look.st_mode) ? 0 : EINVAL) : errno;
    if (looked != 0) {
        error = ErrorFromErrno(looked, from);
        ::close(source);
        return false;
    }
    const Folder folder(to);
    const int copy = folder.Fd < 0 ? -1
                                   : ::openat(folder.Fd, folder.Name.constData(),
                                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, look.st_mode & 07777);
    if (copy < 0) {
        const int reason = errno;
        ::close(source);
        if (nameTaken)
            *nameTaken = reason == EEXIST;
        error = ErrorFromErrno(reason, to);
        return false;
    }
    // Read in parts, so that a large file costs no more memory than a part.
    int reason = 0;
    QString failed;
    std::string part(1 << 16, '\0');
    for (;;) {
        const ssize_t got = ::read(source, part.data(), part.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = errno;
            failed = from;
        }
        if (got <= 0)
            break;
        if (!WriteAllNoSync(copy, part.data(), static_cast<std::size_t>(got))) {
            reason = errno;
            failed = to;
            break;
        }
    }
    ::close(source);
    if (reason == 0 && ::fdatasync(copy) != 0 && errno != EINVAL && errno != ENOTSUP) {
        reason = errno;
        failed = to;
    }
    if (::close(copy) != 0 && reason == 0) {
        reason = errno;
        failed = to;
    }
    if (reason != 0) {
        // The name was made by this call: nothing of the copy stays.
        ::unlinkat(folder.Fd, folder.Name.constData(), 0);
        error = ErrorFromErrno(reason, failed);
        return false;
    }
    return true;
}

bool WriteNewFile(const QString& path, const std::string& bytes, SystemError& error,
                  QFileDevice::Permissions permissions, bool* nameTaken, bool syncFolder)
{
    if (nameTaken)
        *nameTaken = false;
    const QFileInfo info(path);
    const Folder folder(path);
    if (folder.Fd < 0) {
        error = folder.Error;
        return false;
    }
    const mode_t mode = ModeOfPermissions(permissions);
    int reason = 0;
    bool named = false;
    if (g_newFileWays == NewFileWays::All) {
        switch (WriteUnnamed(folder, mode, bytes, reason)) {
        case Written::Named:
            named = true;
            break;
        case Written::Failed:
            break;
        case Written::NotThisWay:
            reason = 0;
            break;
        }
    }
    if (!named && reason == 0)
        named = WriteNamed(folder, info.fileName(), mode, bytes, reason);
    if (!named) {
        if (nameTaken)
            *nameTaken = reason == EEXIST;
        error = ErrorFromErrno(reason, path);
        return false;
    }
    if (syncFolder)
        TellFolderSyncFailed(info.absolutePath());
    return true;
}

int RemoveNewFileLeftoversOnce(const QString& folder, const QString& extension)
{
    static QSet<QString> done;
    const QString key = folder + u'\n' + extension;
    if (done.contains(key))
        return 0;
    done.insert(key);
    return RemoveNewFileLeftovers(folder, extension);
}

int RemoveNewFileLeftovers(const QString& folder, const QString& extension)
{
    const QRegularExpression pattern(QStringLiteral("^\\.(.+\\.%1)\\.[A-Za-z0-9]{6}\\.NEW$")
                                         .arg(QRegularExpression::escape(extension)),
                                     QRegularExpression::CaseInsensitiveOption);
    QStringList leftovers;
    QDirIterator it(folder, {QStringLiteral(".*.NEW")}, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext())
        leftovers << it.nextFileInfo().fileName();
    int removed = 0;
    for (const QString& name : leftovers) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const QByteArray temp = QFile::encodeName(folder + u'/' + name);
        struct stat leftover {};
        if (::lstat(temp.constData(), &leftover) != 0 || !S_ISREG(leftover.st_mode))
            continue;
        struct stat file {};
        const QByteArray written = QFile::encodeName(folder + u'/' + match.captured(1));
        const bool secondName = ::lstat(written.constData(), &file) == 0 && file.st_dev == leftover.st_dev
            && file.st_ino == leftover.st_ino;
        constexpr time_t Hour = 3600;
        if (!secondName && ::time(nullptr) - leftover.st_mtime < Hour)
            continue;
        if (UnlinkInSharedFolder(QFile::decodeName(temp)) == 0)
            ++removed;
    }
    return removed;
}

bool SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    const int reason = errno;
    ::close(fd);
    errno = reason;
    return synced;
}

bool LinkOrCopyFile(const QString& from, const QString& to, SystemError& error,
                    QFileDevice::Permissions permissions)
{
    if (LinkInSharedFolder(from, to) == 0)
        return true;
    const int linkError = errno;
    // The second name must be new, and a missing source has nothing to keep.
    if (linkError == EEXIST || linkError == ENOENT) {
        error = ErrorFromErrno(linkError, linkError == EEXIST ? to : from);
        return false;
    }
    // A file system without hard links (or a link refused for another
    // reason): a copy of the bytes, written as every other file is.
    const std::optional<std::string> bytes = ReadFileWhole(from, error);
    if (!bytes)
        return false;
    if (NameTakenInSharedFolder(to)) {
        error = ErrorFromErrno(EEXIST, to);
        return false;
    }
    return WriteFileAtomically(to, *bytes, error, permissions);
}

void SetFolderSyncFailedReport(std::function<void(const SystemError& error, const QString& folder)> report)
{
    g_folderSyncFailed = std::move(report);
}

void IgnoreFileSizeLimitSignal() { ::signal(SIGXFSZ, SIG_IGN); }

void SetReadFileSizeTakenHook(std::function<void()> hook) { g_sizeTaken = std::move(hook); }

std::optional<std::string> ReadFileWhole(const QString& path, SystemError& error, LinkAtName link, int64_t limit)
{
    // A name beginning with ":" is read from Qt's resources only where a
    // link at the name may be followed (the program's own files); a shared
    // folder's file is always one of the file system.
    if (link == LinkAtName::Follow && path.startsWith(QLatin1Char(':'))) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            error = ErrorFromFile(file);
            return std::nullopt;
        }
        if (file.size() > limit) {
            error = SystemError{ClassicError::BadRecordLength, QStringLiteral("Bad record length")};
            return std::nullopt;
        }
        const QByteArray all = file.readAll();
        return std::string(all.constData(), static_cast<std::size_t>(all.size()));
    }
    // Opened without waiting (a pipe at the name would hold the program),
    // and read only once fstat on the descriptor found a regular file of a
    // size its kind can have.
    SystemError opened;
    const int fd = link == LinkAtName::Refuse
        ? OpenInSharedFolder(path, O_RDONLY, 0, opened)
        : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && link == LinkAtName::Follow)
        opened = ErrorFromErrno(errno, path);
    struct stat look {};
    if (CheckedToRead(fd, path, limit, opened, &look) < 0) {
        error = opened;
        return std::nullopt;
    }
    const auto fail = [&](const SystemError& reason) {
        ::close(fd);
        error = reason;
        return std::nullopt;
    };
    // Read straight into the string: a copy from a QByteArray would cost a
    // large file its size in memory and time once more. A size the memory
    // cannot hold is a failed read, never the end of the program.
    std::string bytes;
    const int64_t size = look.st_size;
    if (g_sizeTaken)
        g_sizeTaken();
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return fail(ErrorFromErrno(ENOMEM, path));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(ErrorFromErrno(errno, path));
        if (got == 0)
            return fail(SystemError{ClassicError::InputPastEndOfFile,
                                    QStringLiteral("The file became shorter while it was read")});
        done += static_cast<std::size_t>(got);
    }
    // A file that grew meanwhile is read to its end, as far as its kind can
    // be long.
    char more[65536];
    for (;;) {
        const ssize_t got = ::read(fd, more, sizeof more);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(ErrorFromErrno(errno, path));
        if (got == 0)
            break;
        if (static_cast<int64_t>(bytes.size()) + got > limit)
            return fail(SystemError{ClassicError::BadRecordLength,
                                    QStringLiteral("Bad record length: more than such a file can hold")});
        try {
            bytes.append(more, static_cast<std::size_t>(got));
        } catch (const std::bad_alloc&) {
            return fail(ErrorFromErrno(ENOMEM, path));
        }
    }
    ::close(fd);
    return bytes;
}
