#include "storage/modDisk.h"

#include "foundation/Records.h"
#include "foundation/modLog.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/ErrorCodes.h"
#include "platform/MousePointer.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStorageInfo>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

bool dskFileExists(const QString& folder, const QString& name)
{
    if (name.isEmpty())
        return false;
    const QFileInfo info(dskBuildPath(folder, name));
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

QString dskFileNameFromDate(double date, const QString& extension)
{
    const QChar zero(u'0');
    QString name = QStringLiteral("%1.%2.%3, %4.%5.%6")
                       .arg(Year(date), 4, 10, zero)
                       .arg(Month(date), 2, 10, zero)
                       .arg(Day(date), 2, 10, zero)
                       .arg(Hour(date), 2, 10, zero)
                       .arg(Minute(date), 2, 10, zero)
                       .arg(Second(date), 2, 10, zero);
    if (!extension.startsWith(QLatin1Char('.')))
        name += QLatin1Char('.');
    return name + extension;
}

bool dskEnsureFolder(const QString& root, const QString& sub)
{
    // A failure leaves its reason in errno for a caller that logs it.
    if (!IsExistingFolder(root)) {
        errno = ENOENT;
        return false;
    }
    const QString path = dskBuildPath(root, sub);
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists()) {
        errno = EEXIST;
        return false;
    }
    return QDir().mkdir(path);
}

// ---- Listing, deleting, free space --------------------------------------------------

namespace {

// The order in which a Windows file system (NTFS) lists a folder: the names'
// code units upper-cased one by one, then compared by value; names alike in
// that form follow their exact code units, so the order is total. Whatever
// the program takes in listing order (old curve files of one second, hits
// of a search) then comes out the same on every file system: ext4 lists in
// hash order, a tmpfs newest first.
char32_t ListingUnit(QChar unit)
{
    return QChar::toUpper(static_cast<char32_t>(unit.unicode()));
}

bool ListsBefore(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char32_t x = ListingUnit(a.at(i));
        const char32_t y = ListingUnit(b.at(i));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

} // namespace

QStringList dskListFiles(const QString& folder)
{
    if (!IsExistingFolder(folder))
        return QStringList();
    // Names only, one at a time: a listing of the folder's file details
    // would hold hundreds of bytes a file at once in a folder of 100,000.
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    std::sort(names.begin(), names.end(), ListsBefore);
    return names;
}

namespace {

// GIO keeps its own error codes, not the errno behind them; its messages end
// in the system's text, by which a generic code is told apart.
int ErrnoOfGioError(const GError* failure)
{
    if (failure->domain == G_IO_ERROR) {
        switch (failure->code) {
        case G_IO_ERROR_NOT_FOUND: return ENOENT;
        case G_IO_ERROR_EXISTS: return EEXIST;
        case G_IO_ERROR_IS_DIRECTORY: return EISDIR;
        case G_IO_ERROR_NOT_DIRECTORY: return ENOTDIR;
        case G_IO_ERROR_NOT_EMPTY: return ENOTEMPTY;
        case G_IO_ERROR_FILENAME_TOO_LONG: return ENAMETOOLONG;
        case G_IO_ERROR_TOO_MANY_LINKS: return ELOOP;
        case G_IO_ERROR_NO_SPACE: return ENOSPC;
        case G_IO_ERROR_PERMISSION_DENIED: return EACCES;
        case G_IO_ERROR_READ_ONLY: return EROFS;
        case G_IO_ERROR_BUSY: return EBUSY;
        case G_IO_ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
        default: break;
        }
    } else if (failure->domain == G_FILE_ERROR) {
        switch (failure->code) {
        case G_FILE_ERROR_EXIST: return EEXIST;
        case G_FILE_ERROR_ISDIR: return EISDIR;
        case G_FILE_ERROR_ACCES: return EACCES;
        case G_FILE_ERROR_PERM: return EPERM;
        case G_FILE_ERROR_NAMETOOLONG: return ENAMETOOLONG;
        case G_FILE_ERROR_NOENT: return ENOENT;
        case G_FILE_ERROR_NOTDIR: return ENOTDIR;
        case G_FILE_ERROR_ROFS: return EROFS;
        case G_FILE_ERROR_LOOP: return ELOOP;
        case G_FILE_ERROR_NOSPC: return ENOSPC;
        case G_FILE_ERROR_MFILE: return EMFILE;
        case G_FILE_ERROR_IO: return EIO;
        default: break;
        }
    }
    // A write that failed with EFBIG, say, is only "failed" to GIO.
    const QByteArray message(failure->message);
    for (int e = 1; e < 256; ++e) {
        const QByteArray text = QByteArray(": ") + g_strerror(e);
        if (message.endsWith(text))
            return e;
    }
    return 0;
}

SystemError ErrorOfGio(const GError* failure, const QString& path)
{
    const QString text = QString::fromUtf8(failure->message);
    // No trash on the file's file system (a system mount such as a tmpfs
    // /tmp, a bind mount that hides its top): the file may not go.
    if (failure->domain == G_IO_ERROR && failure->code == G_IO_ERROR_NOT_SUPPORTED)
        return SystemError{ClassicError::PathFileAccess, text};
    const int e = ErrnoOfGioError(failure);
    return SystemError{ClassicErrorNumber(e != 0 ? e : EIO, path), text};
}

} // namespace

QString dskHomeTrash()
{
    return QFile::decodeName(g_get_user_data_dir()) + QStringLiteral("/Trash");
}

bool dskMoveToTrash(const QString& path, SystemError& error)
{
    // GIO takes the trash of the file's file system: the home trash below
    // the user's data folder when the file shares the home folder's file
    // system, else .Trash-<uid> at the top of its own. It writes the info
    // file whole (percent-encoded Path, relative to that top in a top-dir
    // trash) before the file moves, and takes the info file back when the
    // move fails; a kill leaves the file in place or in the trash with its
    // info. Qt 6.4's moveToTrash moved first and wrote the info unchecked.
    //
    // A data folder read as relative would put the home trash below the
    // working folder, where nobody looks for it.
    if (!g_path_is_absolute(g_get_user_data_dir())) {
        error = ErrorFromErrno(EACCES, path);
        return false;
    }
    const QByteArray encoded = QFile::encodeName(path);
    // The local file system's own GFile, without loading GIO's modules.
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), encoded.constData());
    GError* failure = nullptr;
    const bool moved = g_file_trash(file, nullptr, &failure) != FALSE;
    g_object_unref(file);
    if (!moved) {
        error = failure ? ErrorOfGio(failure, path) : ErrorFromErrno(EIO, path);
        if (failure)
            g_error_free(failure);
        return false;
    }
    error = SystemError();
    // Gone from the folder also after a power cut.
    SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool dskCheckStoredName(const QString& name, bool allowStyleFolder, const QString& procedure)
{
    if (IsBareStoredName(name, allowStyleFolder))
        return true;
    WriteLog(ClassicError::BadFileName, QStringLiteral("Bad file name: ") + name, procedure);
    return false;
}

bool dskDeleteFiles(const QString& folder, const QStringList& names)
{
    QStringList paths;
    QList<QFileDevice::Permissions> permissions;
    {
        const MousePointerGuard hourglass(PointerHourglass);
        for (const QString& name : names) {
            // The program's own files are never deleted, whatever case they
            // are asked for in; a name reaching outside the folder is refused.
            if (IsProgramOwnFileName(name) || !dskCheckStoredName(name, true, QStringLiteral("dskDeleteFiles")))
                continue;
            if (!dskFileExists(folder, name))
                continue;
            const QString path = StoredNamePath(folder, name, true);
            if (path.isEmpty() || IsProgramOwnFileName(QFileInfo(path).fileName()))
                continue;
            // The mode bits only: the "user" flags say what the running user may do.
            permissions.append(QFile::permissions(path)
                               & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser));
            SetAttr(path, AttrNormal);
            paths.append(path);
        }
    }
    bool allMoved = true;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        SystemError error;
        if (dskMoveToTrash(path, error))
            continue;
        allMoved = false;
        QFile::setPermissions(path, permissions.at(i));
        WriteLog(error.Number, QStringLiteral("%1 (not moved to the trash: %2)").arg(error.Text, path),
                 QStringLiteral("dskDeleteFiles"));
    }
    return allMoved;
}

QString dskWriteFolder(const QString& folder, QString* setting)
{
    if (IsExistingFolder(folder))
        return folder;
    const QString program = ProgramFolder();
    if (setting)
        *setting = program;
    return program;
}

float dskFreeSpaceMB(const QString& root)
{
    if (!IsExistingFolder(root))
        return -1.0f;
    const QStorageInfo storage(root);
    if (!storage.isValid() || !storage.isReady())
        return -1.0f;
    return static_cast<float>(static_cast<double>(storage.bytesAvailable()) / 1048576.0);
}

// ---- Names in any case, moving without replacing -------------------------------------

QString dskNameKey(const QString& name)
{
    return name.toCaseFolded();
}

QSet<QString> dskFolderNameKeys(const QString& folder)
{
    QSet<QString> keys;
    if (!IsExistingFolder(folder))
        return keys;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                         | QDir::NoDotAndDotDot,
                                                     QDir::Unsorted);
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.insert(dskNameKey(name));
    return keys;
}

QStringList dskNamesInAnyCase(const QString& folder, const QString& name)
{
    if (name.isEmpty() || !IsExistingFolder(folder))
        return QStringList();
    return EntriesInAnyCase(folder, name);
}

namespace {

// Writes every byte to the descriptor and onto the disk; false with errno set.
bool WriteWhole(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
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
        left -= written;
    }
    return ::fdatasync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}

// The move across file systems: a copy under a temporary name beside the
// target, linked to the target name (which fails rather than replaces), then
// the original removed; when it cannot be, the copy goes again.
bool CopyThenRemove(const QString& from, const QString& to, SystemError& error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        error = ErrorFromFile(source);
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        error = ErrorFromFile(source);
        return false;
    }
    const QFileDevice::Permissions mode = source.permissions()
        & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    source.close();

    const QFileInfo target(to);
    QByteArray temp = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                        + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = ErrorFromErrno(errno, to);
        return false;
    }
    const QString tempPath = QFile::decodeName(temp);
    bool ok = WriteWhole(fd, bytes);
    int failure = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && !QFile::setPermissions(tempPath, mode)) {
        ok = false;
        failure = EPERM;
    }
    const QByteArray targetName = QFile::encodeName(to);
    if (ok && ::link(temp.constData(), targetName.constData()) != 0) {
        ok = false;
        failure = errno;
    }
    ::unlink(temp.constData());
    if (!ok) {
        error = ErrorFromErrno(failure, failure == EEXIST ? to : tempPath);
        return false;
    }
    const QByteArray sourceName = QFile::encodeName(from);
    if (::unlink(sourceName.constData()) != 0) {
        const int reason = errno;
        ::unlink(targetName.constData());
        error = ErrorFromErrno(reason, from);
        return false;
    }
    return true;
}

} // namespace

bool dskMoveFileNew(const QString& from, const QString& to, SystemError& error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int reason = errno;
    if (reason == EINVAL || reason == ENOSYS || reason == ENOTSUP) {
        // A file system that cannot rename without replacing: a second name,
        // which refuses an existing one, then the first name removed.
        if (::link(source.constData(), target.constData()) == 0) {
            if (::unlink(source.constData()) == 0)
                return true;
            reason = errno;
            ::unlink(target.constData());
            error = ErrorFromErrno(reason, from);
            return false;
        }
        reason = errno;
        // Without hard links the file is copied as across file systems.
        if (reason == EPERM)
            reason = EXDEV;
    }
    if (reason == EXDEV)
        return CopyThenRemove(from, to, error);
    error = ErrorFromErrno(reason, reason == EEXIST ? to : from);
    return false;
}
