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
#include <QStandardPaths>
#include <QStorageInfo>

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
    return names;
}

namespace {

// The trash in the user's data folder, made when missing. QFile::moveToTrash
// falls back to it for every file; when it cannot be made, Qt (6.4) moves
// the file into "files" below the working folder instead of failing, so no
// file is handed to it then.
bool HomeTrashReady()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        return false;
    const QString trash = dataHome + QStringLiteral("/Trash");
    const bool existed = QFileInfo(trash).isDir();
    if (!QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info")))
        return false;
    if (!existed)
        QFile::setPermissions(trash, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                         | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    return QFileInfo(trash + QStringLiteral("/files")).isDir() && QFileInfo(trash + QStringLiteral("/info")).isDir();
}

} // namespace

bool dskMoveToTrash(const QString& path, SystemError& error)
{
    error = ErrorFromErrno(EACCES, path);
    if (!HomeTrashReady())
        return false;
    QFile file(path);
    if (!file.moveToTrash()) {
        error = ErrorFromFile(file);
        return false;
    }
    if (!QDir::isAbsolutePath(file.fileName())) {
        // Moved somewhere that is no trash: put it back.
        QFile::rename(QFileInfo(file.fileName()).absoluteFilePath(), path);
        return false;
    }
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
