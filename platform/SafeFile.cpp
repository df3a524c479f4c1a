#include "platform/SafeFile.h"

#include <QFile>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::function<void()> g_sizeTaken;
std::function<void(const SystemError&, const QString&)> g_folderSyncFailed;

// Qt reports an existing file it may not replace only as "not writable",
// and a folder at the name in words of its own; the system says why (a
// read-only mount, a missing permission, a folder).
SystemError OpenError(const QSaveFile& file, const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return ErrorFromErrno(EISDIR, path);
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0)
        return ErrorFromErrno(errno, path);
    return ErrorFromFile(file);
}

// Every byte onto the descriptor, then onto the disk. False with errno set by
// the call that failed: a full disk shows here (ENOSPC, EFBIG under a file
// size limit, EDQUOT), where Qt's buffer would report it late or not at all.
bool WriteAll(int fd, const std::string& bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
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
    // Some file systems (network ones) report a full disk only here. One
    // that cannot sync says so with EINVAL, which is no failure of the data.
    if (::fdatasync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        return false;
    return true;
}

// The mode bits of Qt's permissions; Qt's "user" bits are the owner's.
mode_t ModeOf(QFileDevice::Permissions permissions)
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

// A link refused because the file system has no hard links (FAT, exFAT, a
// share without them), not because of the name.
bool NoHardLinks(int reason) { return reason == EPERM || reason == ENOTSUP || reason == ENOSYS; }

// Gives the written temporary file its name where the file system has no
// hard links: an empty file of the name created exclusively holds it, and
// the temporary file is renamed over that file of our own.
bool NameWithoutLink(const QByteArray& temp, const QByteArray& target, mode_t mode, int& reason)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        reason = errno;
        return false;
    }
    ::close(fd);
    if (::rename(temp.constData(), target.constData()) != 0) {
        reason = errno;
        ::unlink(target.constData());
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
Written WriteUnnamed(const QByteArray& folder, const QByteArray& target, mode_t mode, const std::string& bytes,
                     int& reason)
{
    const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode | S_IWUSR);
    if (fd < 0) {
        reason = errno;
        return reason == EOPNOTSUPP || reason == EISDIR || reason == EINVAL ? Written::NotThisWay : Written::Failed;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
    reason = errno;
    Written result = ok ? Written::Named : Written::Failed;
    if (ok) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) != 0) {
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
bool WriteNamed(QByteArray& temp, const QByteArray& target, mode_t mode, const std::string& bytes, int& reason)
{
    const int fd = ::mkostemps(temp.data(), 4, O_CLOEXEC);
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
        if (links && ::link(temp.constData(), target.constData()) == 0) {
            // A kill before this leaves a second name of the file.
            ::unlink(temp.constData());
            return true;
        }
        reason = links ? errno : EPERM;
        if (NoHardLinks(reason) && NameWithoutLink(temp, target, mode, reason))
            return true;
    }
    ::unlink(temp.constData());
    return false;
}

} // namespace

bool WriteFileAtomically(const QString& path, const std::string& bytes, SystemError& error,
                         QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = OpenError(file, path);
        return false;
    }
    if (permissions != QFileDevice::Permissions() && !file.setPermissions(permissions)) {
        error = ErrorFromFile(file);
        file.cancelWriting();
        return false;
    }
    const int fd = file.handle();
    if (fd >= 0) {
        if (!WriteAll(fd, bytes)) {
            error = ErrorFromErrno(errno, path);
            file.cancelWriting();
            return false;
        }
    } else {
        // No descriptor to write to: through Qt, with its buffer flushed
        // before the commit, which would not report a failed final flush.
        const qint64 size = static_cast<qint64>(bytes.size());
        if (file.write(bytes.data(), size) != size || !file.flush()) {
            error = ErrorFromFile(file);
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        error = ErrorFromFile(file);
        return false;
    }
    // The file is written whatever follows; the new name is not yet on the
    // disk until its folder is: the folder of the file the name leads to,
    // which the rename replaced where the name is a link.
    const QString written = QFileInfo(path).canonicalFilePath();
    TellFolderSyncFailed(QFileInfo(written.isEmpty() ? path : written).absolutePath());
    return true;
}

QStringList AtomicWriteLeftovers(const QString& path)
{
    // QSaveFile's temporary file: an unnamed one where the file system has
    // them, linked to this name just before the rename over the file; else
    // one created under this name from the start.
    const QFileInfo target(path);
    static const QRegularExpression random(QStringLiteral("^[A-Za-z]{6}$"));
    const QString prefix = target.fileName() + QLatin1Char('.');
    QStringList found;
    QDirIterator it(target.absolutePath(), {prefix + QStringLiteral("??????")},
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (it.hasNext()) {
        const QString candidate = it.next();
        const QString name = it.fileName();
        // The filter ignores case; the name must be the file's own.
        if (!name.startsWith(prefix, Qt::CaseSensitive) || !random.match(name.mid(prefix.size())).hasMatch())
            continue;
        struct stat st {};
        if (::lstat(QFile::encodeName(candidate).constData(), &st) == 0 && S_ISREG(st.st_mode))
            found.append(candidate);
    }
    found.sort();
    return found;
}

void SetNewFileWays(NewFileWays ways) { g_newFileWays = ways; }

bool WriteNewFile(const QString& path, const std::string& bytes, SystemError& error,
                  QFileDevice::Permissions permissions, bool* nameTaken, bool syncFolder)
{
    if (nameTaken)
        *nameTaken = false;
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(path);
    const mode_t mode = ModeOf(permissions);
    int reason = 0;
    bool named = false;
    if (g_newFileWays == NewFileWays::All) {
        switch (WriteUnnamed(QFile::encodeName(info.absolutePath()), target, mode, bytes, reason)) {
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
    if (!named && reason == 0) {
        QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                                            + QStringLiteral(".XXXXXX.NEW"));
        named = WriteNamed(temp, target, mode, bytes, reason);
    }
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
        if (::unlink(temp.constData()) == 0)
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
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::link(source.constData(), target.constData()) == 0)
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
    if (QFileInfo::exists(to)) {
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

std::optional<std::string> ReadFileWhole(const QString& path, SystemError& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = ErrorFromFile(file);
        return std::nullopt;
    }
    // Read straight into the string: a copy from a QByteArray would cost a
    // large file its size in memory and time once more.
    std::string bytes;
    const qint64 size = file.size();
    if (g_sizeTaken)
        g_sizeTaken();
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        qint64 done = 0;
        while (done < size) {
            const qint64 got = file.read(bytes.data() + done, size - done);
            if (got < 0) {
                error = ErrorFromFile(file);
                return std::nullopt;
            }
            if (got == 0) {
                error = SystemError{ClassicError::InputPastEndOfFile,
                                    QStringLiteral("The file became shorter while it was read")};
                return std::nullopt;
            }
            done += got;
        }
    }
    // A file that grew meanwhile, or reports no size (a device), is read to its end.
    const QByteArray rest = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = ErrorFromFile(file);
        return std::nullopt;
    }
    bytes.append(rest.constData(), static_cast<std::size_t>(rest.size()));
    return bytes;
}
