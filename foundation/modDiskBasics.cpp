#include "foundation/modDiskBasics.h"

#include "foundation/Records.h"
#include "foundation/modLog.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString dskBuildPath(const QString& folder, const QString& name)
{
    return FindExistingPath(folder, name);
}

bool dskIsVersionText(const std::string& text)
{
    // Optional blanks and sign, digits with at most one ".", optional exponent.
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    int digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        int expDigits = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    while (i < n && text[i] == ' ')
        ++i;
    return i == n;
}

namespace {

// The value of a version text; NoValue when it is not a number.
float VersionValue(const std::string& text)
{
    return dskIsVersionText(text) ? static_cast<float>(Val(text)) : NoValue;
}

} // namespace

QString dskReadMagic(const std::string& bytes)
{
    return bytes.size() >= 3 ? FromCp1252(bytes.substr(0, 3)) : QString();
}

float dskReadVersion(BinaryReader& in)
{
    const std::string text = in.GetBytesString();
    return in.Ok() ? VersionValue(text) : NoValue;
}

QString dskReadMagic(QIODevice& file)
{
    return file.seek(0) ? dskReadMagic(file.read(3).toStdString()) : QString();
}

float dskReadVersion(QIODevice& file)
{
    // Only the length and the text are read, not the whole file.
    if (!file.seek(3))
        return NoValue;
    QByteArray header = file.read(2);
    if (header.size() == 2)
        header += file.read(static_cast<unsigned char>(header[0]) | (static_cast<unsigned char>(header[1]) << 8));
    BinaryReader in(header.constData(), static_cast<std::size_t>(header.size()));
    return dskReadVersion(in);
}

void dskPutHeader(BinaryWriter& out, const char* magic)
{
    out.PutBytes(std::string(magic, 3));
    out.PutString(std::string(DataFileVersion));
}

QString dskAsideName(const QString& name, int number)
{
    return name + QStringLiteral(".BAD") + (number <= 1 ? QString() : QString::number(number));
}

namespace {

// The freedesktop trash, written here rather than taken from a library: Qt
// 6.4's QFile::moveToTrash moves the file first and writes the info file
// afterwards without checking that write, and GLib 2.74's g_file_trash
// (Debian 12) writes the info file first but moves the file even when that
// write failed. Either leaves a trashed file with an empty info file on a
// full disk, one that no trash window can put back. Here nothing moves
// until the info file is whole on the disk.

struct TrashPlace {
    QString Folder;  // holds files/ and info/
    QString Top;     // Path in the info file is relative to it; empty: absolute
};

// A folder of the trash, made for the user alone when missing; one that is
// a link or another user's is never used.
bool TrashFolderReady(const QString& folder)
{
    const QByteArray encoded = QFile::encodeName(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(encoded.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        errno = EACCES;
        return false;
    }
    return true;
}

// The highest folder above the given one on its file system, where the
// trash of a file outside the home's file system lies.
QString TopOfFileSystem(const QString& folder, dev_t device)
{
    QString top = folder;
    while (top != QStringLiteral("/")) {
        const QString parent = QFileInfo(top).absolutePath();
        struct stat st {};
        if (::stat(QFile::encodeName(parent).constData(), &st) != 0 || st.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// The trash for a file in the folder: the home trash in the user's data
// folder when the folder shares the home folder's file system; else
// $top/.Trash/$uid where an administrator made $top/.Trash (sticky, no
// link), else $top/.Trash-$uid. False with errno set when there is none.
bool FindTrash(const QString& folder, TrashPlace& place)
{
    struct stat file {};
    struct stat home {};
    if (::stat(QFile::encodeName(folder).constData(), &file) != 0)
        return false;
    const bool atHome = ::stat(QFile::encodeName(QDir::homePath()).constData(), &home) == 0
                        && home.st_dev == file.st_dev;
    if (atHome) {
        // A relative data folder would put the trash below the working
        // folder, where nobody looks for it.
        const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome) || !QDir().mkpath(dataHome)) {
            errno = EACCES;
            return false;
        }
        place = TrashPlace{dataHome + QStringLiteral("/Trash"), QString()};
        return TrashFolderReady(place.Folder);
    }
    const QString top = TopOfFileSystem(QFileInfo(folder).canonicalFilePath(), file.st_dev);
    const QString uid = QString::number(::geteuid());
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat st {};
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        place = TrashPlace{shared + QLatin1Char('/') + uid, top};
        if (TrashFolderReady(place.Folder))
            return true;
    }
    place = TrashPlace{top + QStringLiteral("/.Trash-") + uid, top};
    return TrashFolderReady(place.Folder);
}

// The n-th name tried in the trash: the name itself, then with ".n" before
// its extension.
QString TrashName(const QString& name, int n)
{
    if (n == 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name + QLatin1Char('.') + QString::number(n);
    return name.left(dot) + QLatin1Char('.') + QString::number(n) + name.mid(dot);
}

} // namespace

bool dskMoveToTrash(const QString& path, SystemError& error)
{
    const QFileInfo source(path);
    const QString original = source.absoluteFilePath();
    struct stat st {};
    if (::lstat(QFile::encodeName(original).constData(), &st) != 0) {
        error = ErrorFromErrno(errno, path);
        return false;
    }
    TrashPlace place;
    if (!FindTrash(source.absolutePath(), place) || !TrashFolderReady(place.Folder + QStringLiteral("/info"))
        || !TrashFolderReady(place.Folder + QStringLiteral("/files"))) {
        error = ErrorFromErrno(errno, path);
        return false;
    }

    // The info file's name is taken first (created, never replaced), so
    // two moves of one name at once never share it.
    QString info;
    QString trashed;
    for (int n = 1;; ++n) {
        if (n > 100000) {
            error = ErrorFromErrno(EEXIST, path);
            return false;
        }
        const QString name = TrashName(source.fileName(), n);
        info = place.Folder + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
        trashed = place.Folder + QStringLiteral("/files/") + name;
        const int fd = ::open(QFile::encodeName(info).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error = ErrorFromErrno(errno, path);
            return false;
        }
        ::close(fd);
        struct stat taken {};
        if (::lstat(QFile::encodeName(trashed).constData(), &taken) == 0) {
            // A trashed file without its info file keeps its name.
            UnlinkInSharedFolder(info);
            continue;
        }
        break;
    }

    // Path as the trash wants it: percent-encoded bytes, relative to the
    // top of the file system in a trash there.
    QString named = original;
    if (!place.Top.isEmpty()) {
        const QString real = QFileInfo(source.absolutePath()).canonicalFilePath() + QLatin1Char('/') + source.fileName();
        named = place.Top == QStringLiteral("/") ? real.mid(1) : real.mid(place.Top.size() + 1);
    }
    const std::string text = "[Trash Info]\nPath=" + QFile::encodeName(named).toPercentEncoding("/").toStdString()
                             + "\nDeletionDate="
                             + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString()
                             + "\n";
    // Written whole and synced over the empty one, or not at all.
    if (!WriteFileAtomically(info, text, error, OwnerOnlyPermissions)) {
        UnlinkInSharedFolder(info);
        error.Text += QStringLiteral(" (") + info + QLatin1Char(')');
        return false;
    }
    // Never over a file in the trash; a file system without that check
    // (EINVAL) has its name found free above.
    const QByteArray from = QFile::encodeName(original);
    const QByteArray to = QFile::encodeName(trashed);
    int renamed = RenameInSharedFolder(original, trashed, RENAME_NOREPLACE);
    if (renamed != 0 && errno == EINVAL)
        renamed = RenameInSharedFolder(original, trashed);
    if (renamed != 0) {
        const int failed = errno;
        // A share may apply the rename and lose its answer: the file at the
        // trash name and none at the old one is moved, and keeps its info
        // file. Only a rename that was not done takes the info file back.
        struct stat there {};
        struct stat left {};
        const bool moved = ::lstat(to.constData(), &there) == 0 && there.st_dev == st.st_dev
            && there.st_ino == st.st_ino && ::lstat(from.constData(), &left) != 0 && errno == ENOENT;
        if (!moved) {
            UnlinkInSharedFolder(info);
            error = ErrorFromErrno(failed, path);
            return false;
        }
        WriteLog(0, QStringLiteral("%1 moved to %2 though the rename failed").arg(original, trashed),
                 QStringLiteral("dskMoveToTrash"));
    }
    // Gone from the folder, and in the trash, also after a power cut.
    SyncFolder(source.absolutePath());
    SyncFolder(place.Folder + QStringLiteral("/files"));
    error = SystemError();
    return true;
}
