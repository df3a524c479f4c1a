#include "support/TestTrash.h"

#include "storage/modDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool InTempFolder(const QString& path)
{
    const QString temp = QDir(QDir::tempPath()).canonicalPath();
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !temp.isEmpty() && !parent.isEmpty() && parent.startsWith(temp + QLatin1Char('/'));
}

} // namespace

QString TrashedFile(const QString& name)
{
    return dskHomeTrash() + QStringLiteral("/files/") + name;
}

QString TrashInfoFile(const QString& name)
{
    return dskHomeTrash() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
}

bool EmptyTestTrash()
{
    const QString trash = dskHomeTrash();
    const QFileInfo info(trash);
    if (!info.exists() && !info.isSymLink())
        return true;
    // Never a user's trash: a test program run without its own home.
    if (!InTempFolder(trash))
        return false;
    if (info.isDir() && !info.isSymLink())
        QDir(trash).removeRecursively();
    else
        QFile::remove(trash);
    return !QFileInfo::exists(trash);
}

bool BlockTestTrash()
{
    if (!EmptyTestTrash() || !QDir().mkpath(QFileInfo(dskHomeTrash()).absolutePath()))
        return false;
    QFile file(dskHomeTrash());
    return file.open(QIODevice::WriteOnly);
}
