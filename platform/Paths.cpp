#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

QString StoredNameToPath(const QString& storedName)
{
    QString path = storedName;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString JoinPath(const QString& folder, const QString& name)
{
    QString base = folder;
    while (!base.isEmpty() && (base.endsWith(QLatin1Char('/')) || base.endsWith(QLatin1Char('\\'))))
        base.chop(1);
    QString rest = StoredNameToPath(name);
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    return base + QLatin1Char('/') + rest;
}

namespace {

// Few enough case forms to look each up instead of listing the folder.
constexpr int MaxCaseLetters = 3;

// Every entry of the folder whose name equals name ignoring case, in code
// order, from one unsorted pass over the folder.
QStringList ListedInAnyCase(const QString& folder, const QString& name)
{
    QStringList found;
    const QString key = name.toCaseFolded();
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : names)
        if (entry.toCaseFolded() == key)
            found.append(entry);
    found.sort();
    return found;
}

} // namespace

QStringList EntriesInAnyCase(const QString& folder, const QString& name)
{
    std::vector<int> letters;
    for (int i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80 || c == u'/')
            return ListedInAnyCase(folder, name);
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            letters.push_back(i);
    }
    if (letters.size() > static_cast<std::size_t>(MaxCaseLetters))
        return ListedInAnyCase(folder, name);
    // Every form, in code order (upper case sorts first), whatever the folder holds.
    QStringList found;
    const QString base = JoinPath(folder, QString());
    const unsigned formCount = 1u << letters.size();
    for (unsigned form = 0; form < formCount; ++form) {
        QString candidate = name;
        for (std::size_t k = 0; k < letters.size(); ++k) {
            const bool lower = (form >> (letters.size() - 1 - k)) & 1u;
            const QChar c = candidate[letters[k]];
            candidate[letters[k]] = lower ? c.toLower() : c.toUpper();
        }
        struct stat info {};
        if (::lstat(QFile::encodeName(base + candidate).constData(), &info) == 0)
            found.append(candidate);
    }
    return found;
}

namespace {

// The entry of the folder whose name equals part ignoring case. The exact
// spelling wins at the cost of one check; otherwise one pass over the folder,
// unsorted, keeps the match that comes first in code order, so the choice does
// not depend on the order the system lists the folder in.
QString MatchEntry(const QString& folder, const QString& part)
{
    if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
        return part;
    if (QFileInfo::exists(folder + QLatin1Char('/') + part))
        return part;
    const QStringList forms = EntriesInAnyCase(folder.isEmpty() ? QStringLiteral("/") : folder, part);
    return forms.isEmpty() ? part : forms.first();
}

} // namespace

QString FindExistingPath(const QString& folder, const QString& name)
{
    const QString joined = JoinPath(folder, name);
    if (name.isEmpty() || QFileInfo::exists(joined))
        return joined;
    QString path = JoinPath(folder, QString());
    path.chop(1);   // the folder without its separator; "" for the root
    const QStringList parts = StoredNameToPath(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    bool found = true;
    for (const QString& part : parts) {
        const QString entry = found ? MatchEntry(path, part) : part;
        path += QLatin1Char('/') + entry;
        found = found && QFileInfo::exists(path);
    }
    return path;
}

bool IsExistingFolder(const QString& folder)
{
    if (folder.isEmpty() || !folder.startsWith(QLatin1Char('/')) || folder.contains(QLatin1Char('\\')))
        return false;
    return QFileInfo(folder).isDir();
}

bool HasExtension(const QString& fileName, const QString& extension)
{
    QString ext = extension;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return fileName.endsWith(QLatin1Char('.') + ext, Qt::CaseInsensitive);
}

bool SetAttr(const QString& path, int attributes)
{
    // Never through a link at the name, also one laid between a look and
    // the change: what it leads to is not the file the program wrote there.
    // The file itself is opened (not waiting on a pipe) and changed by its
    // descriptor.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool changed = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // The mode bits only; root ignores them, so nothing relies on them.
        mode_t mode = st.st_mode & 07777;
        if (attributes & AttrReadOnly)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        else
            mode |= S_IWUSR;
        changed = ::fchmod(fd, mode) == 0;
    }
    ::close(fd);
    return changed;
}

int GetAttr(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return -1;
    // The "user" flags tell what the running user may do, which for root is
    // everything; only the mode bits count.
    const QFileDevice::Permissions writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup
        | QFileDevice::WriteOther;
    return (info.permissions() & writeBits) ? AttrNormal : AttrReadOnly;
}

namespace {

bool IsBareName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == u'/' || u == u'\\')
            return false;
    }
    return true;
}

// "QTAnnn" with three digits, any case.
bool IsStyleFolderPart(const QString& part)
{
    if (part.size() != 6 || part.left(3).compare(QLatin1String("QTA"), Qt::CaseInsensitive) != 0)
        return false;
    for (int i = 3; i < 6; ++i)
        if (part[i] < u'0' || part[i] > u'9')
            return false;
    return true;
}

} // namespace

bool IsBareStoredName(const QString& name, bool allowStyleFolder)
{
    if (allowStyleFolder && name.size() > 7 && (name[6] == u'\\' || name[6] == u'/')
        && IsStyleFolderPart(name.left(6)))
        return IsBareName(name.mid(7));
    return IsBareName(name);
}

QString StoredNamePath(const QString& folder, const QString& name, bool allowStyleFolder)
{
    if (!IsBareStoredName(name, allowStyleFolder))
        return QString();
    const QString path = FindExistingPath(folder, name);
    const QString base = QDir::cleanPath(JoinPath(folder, QString()));
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(base == QLatin1String("/") ? base : base + u'/'))
        return QString();
    return path;
}

bool IsProgramOwnFileName(const QString& fileName)
{
    const QString name = fileName.toUpper();
    // Every QUINTARA.* beside the program: the settings and their copies,
    // the log, the lock, and the installation's QUINTARA.INI and logo.
    if (name.startsWith(QLatin1String("QUINTARA.")) || name == QLatin1String("TEMP.QTA"))
        return true;
    if (!name.startsWith(QLatin1String("PENDING ")))
        return false;
    int i = 8;
    const int digitsFrom = i;
    while (i < name.size() && name[i].isDigit())
        ++i;
    if (i == digitsFrom)
        return false;
    const QString rest = name.mid(i);
    return rest == QLatin1String(".QTA") || rest.startsWith(QLatin1String(".QTA."));
}
