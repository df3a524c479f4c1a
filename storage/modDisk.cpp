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
#include "platform/SharedFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
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
    // A link laid at the name (the data folder is shared) would lead the
    // files written there out of the root: it is no folder of the root's.
    if (info.isSymLink()) {
        errno = ELOOP;
        return false;
    }
    if (info.isDir())
        return true;
    if (info.exists()) {
        errno = EEXIST;
        return false;
    }
    if (MkdirInSharedFolder(path, 0777) == 0)
        return true;
    // Another seat on the same data folder may have made it since the look
    // above: a folder is a folder, whoever made it.
    const int reason = errno;
    if (reason == EEXIST && QFileInfo(path).isDir())
        return true;
    errno = reason;
    return false;
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
            // The file keeps its write protection in the trash: the move
            // needs the right to write the folders, not the file.
            paths.append(path);
        }
    }
    bool allMoved = true;
    for (const QString& path : paths) {
        SystemError error;
        if (dskMoveToTrash(path, error))
            continue;
        allMoved = false;
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

// The move where the file system can neither rename without replacing nor
// link (smbnetfs, gvfs, rclone): a copy under the new name, created
// exclusively, written whole and synced with its folder, then the original
// removed; when it cannot be, the copy goes again. A kill leaves the
// original whole, and beside it no copy, a beginning of it or all of it; or
// the copy alone, whole.
bool CopyToNewNameThenRemove(const QString& from, const QString& to, SystemError& error)
{
    if (!CopyToNewName(from, to, error))
        return false;
    // The new name on the disk before the old one goes: a power cut must
    // not take both.
    if (!SyncFolder(QFileInfo(to).absolutePath())) {
        error = ErrorFromErrno(errno, to);
        UnlinkInSharedFolder(to);
        return false;
    }
    if (UnlinkInSharedFolder(from) != 0) {
        error = ErrorFromErrno(errno, from);
        UnlinkInSharedFolder(to);
        return false;
    }
    return true;
}

// The move across file systems: a copy under a temporary name beside the
// target, linked to the target name (which fails rather than replaces), then
// the original removed; when it cannot be, the copy goes again.
bool CopyThenRemove(const QString& from, const QString& to, SystemError& error, MoveByCopy byCopy)
{
    // Opened as a shared folder's file is: a pipe laid at the name is no
    // file to move and is never waited on.
    QFile source;
    if (!OpenSharedFileToRead(source, from, NoSizeLimit, error))
        return false;
    QByteArray bytes;
    try {
        bytes = source.readAll();
    } catch (const std::bad_alloc&) {
        error = ErrorFromErrno(ENOMEM, from);
        return false;
    }
    if (source.error() != QFileDevice::NoError) {
        error = ErrorFromFile(source);
        return false;
    }
    const QFileDevice::Permissions mode = source.permissions()
        & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    source.close();

    // The copy made, linked and removed in the target's folder as reached
    // from the chosen one: a folder swapped for a link meanwhile gets nothing.
    const QFileInfo target(to);
    QByteArray name;
    const int folder = OpenSharedFolderOf(to, name, error);
    if (folder < 0)
        return false;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        QString random;
        for (int i = 0; i < 6; ++i)
            random += QLatin1Char("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(62)]);
        temp = QFile::encodeName(QLatin1Char('.') + target.fileName() + QLatin1Char('.') + random);
        fd = ::openat(folder, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = ErrorFromErrno(errno, to);
        CloseSharedFolder(folder);
        return false;
    }
    const QString tempPath = target.absolutePath() + u'/' + QFile::decodeName(temp);
    bool ok = WriteWhole(fd, bytes);
    int failure = ok ? 0 : errno;
    if (ok && ::fchmod(fd, ModeOfPermissions(mode)) != 0) {
        ok = false;
        failure = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::linkat(folder, temp.constData(), folder, name.constData(), 0) != 0) {
        ok = false;
        failure = errno;
    }
    ::unlinkat(folder, temp.constData(), 0);
    CloseSharedFolder(folder);
    // A target without hard links takes the copy under its name at once.
    if (!ok && byCopy == MoveByCopy::Allowed && LinkRefused(failure))
        return CopyToNewNameThenRemove(from, to, error);
    if (!ok) {
        error = ErrorFromErrno(failure, failure == EEXIST ? to : tempPath);
        return false;
    }
    if (UnlinkInSharedFolder(from) != 0) {
        const int reason = errno;
        UnlinkInSharedFolder(to);
        error = ErrorFromErrno(reason, from);
        return false;
    }
    return true;
}

} // namespace

bool dskMoveFileNew(const QString& from, const QString& to, SystemError& error, MoveByCopy byCopy)
{
    if (RenameInSharedFolder(from, to, RENAME_NOREPLACE) == 0)
        return true;
    int reason = errno;
    if (reason == EINVAL || reason == ENOSYS || reason == ENOTSUP) {
        // A file system that cannot rename without replacing: a second name,
        // which refuses an existing one, then the first name removed.
        if (LinkInSharedFolder(from, to) == 0) {
            if (UnlinkInSharedFolder(from) == 0)
                return true;
            reason = errno;
            UnlinkInSharedFolder(to);
            error = ErrorFromErrno(reason, from);
            return false;
        }
        reason = errno;
        // Without hard links the bytes are copied to the new name.
        if (byCopy == MoveByCopy::Allowed && LinkRefused(reason))
            return CopyToNewNameThenRemove(from, to, error);
        // Else as across file systems, where a link to a copy is refused too.
        if (reason == EPERM)
            reason = EXDEV;
    }
    if (reason == EXDEV)
        return CopyThenRemove(from, to, error, byCopy);
    error = ErrorFromErrno(reason, reason == EEXIST ? to : from);
    return false;
}
