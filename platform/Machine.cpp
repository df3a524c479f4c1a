#include "platform/Machine.h"

#include <QFile>
#include <QSysInfo>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {

// The magic number statfs gives for every FUSE file system.
constexpr unsigned long FuseSuperMagic = 0x65735546;

QString g_testId;
QString g_testHost;
std::function<QString(const QString&)> g_fileSystemAnswer;
QString g_mountTable = QStringLiteral("/proc/self/mountinfo");

// The first line of a small file, without its line end; empty when there is
// none.
QString FirstLine(const char* path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readLine(256)).trimmed();
}

} // namespace

QString MachineId()
{
    if (!g_testId.isEmpty() || !g_testHost.isEmpty())
        return g_testId;
    const QString id = FirstLine("/etc/machine-id");
    return id.isEmpty() ? FirstLine("/var/lib/dbus/machine-id") : id;
}

QString MachineHostName()
{
    if (!g_testId.isEmpty() || !g_testHost.isEmpty())
        return g_testHost;
    return QSysInfo::machineHostName();
}

void SetMachineForTests(const QString& id, const QString& hostName)
{
    g_testId = id;
    g_testHost = hostName;
}

QString MountLocalLockFileSystem(const QString& folder)
{
    if (g_fileSystemAnswer)
        return g_fileSystemAnswer(folder);
    const QByteArray path = QFile::encodeName(folder);
    struct statfs system {};
    struct stat entry {};
    if (::statfs(path.constData(), &system) != 0 || static_cast<unsigned long>(system.f_type) != FuseSuperMagic
        || ::stat(path.constData(), &entry) != 0)
        return QString();
    QFile mounts(g_mountTable);
    const QByteArray mountinfo = mounts.open(QIODevice::ReadOnly) ? mounts.readAll() : QByteArray();
    QString type = MountTypeOfDevice(mountinfo, QByteArray::number(major(entry.st_dev)) + ':'
                                                    + QByteArray::number(minor(entry.st_dev)));
    if (type.isEmpty())
        type = QStringLiteral("fuse");
    return LocksHoldThroughOneMount(type) ? type : QString();
}

QString MountTypeOfDevice(const QByteArray& mountinfo, const QByteArray& device)
{
    // Fields are parted by single blanks; a blank in a path is written
    // "\040", so the count holds. Optional fields ("shared:1") end with a
    // lone "-", after which comes the type.
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"), 6);
        if (fields.size() > 2 && fields[2] == device && dash > 0 && dash + 1 < fields.size())
            return QString::fromLatin1(fields[dash + 1]);
    }
    return QString();
}

bool LocksHoldThroughOneMount(const QString& type)
{
    // "fuseblk" is FUSE on a disk of this PC (ntfs-3g, exfat): every program
    // reaches it through the one mount, and no other PC reaches it at all.
    return type == QLatin1String("fuse") || type.startsWith(QLatin1String("fuse."));
}

void SetMountLocalLockFileSystemForTests(std::function<QString(const QString& folder)> answer)
{
    g_fileSystemAnswer = std::move(answer);
}

void SetMountTableForTests(const QString& path)
{
    g_mountTable = path.isEmpty() ? QStringLiteral("/proc/self/mountinfo") : path;
}
