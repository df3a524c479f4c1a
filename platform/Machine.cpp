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

// The first line of a small file, without its line end; empty when there is
// none.
QString FirstLine(const char* path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readLine(256)).trimmed();
}

// The file system type of the mount whose device is dev, from the lines of
// /proc/self/mountinfo: "36 35 0:48 / /mnt rw - fuse.sshfs host:/ rw".
QString MountType(dev_t dev)
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray device = QByteArray::number(major(dev)) + ':' + QByteArray::number(minor(dev));
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"));
        if (fields.size() > 2 && fields[2] == device && dash > 0 && dash + 1 < fields.size())
            return QString::fromLatin1(fields[dash + 1]);
    }
    return QString();
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
    const QString type = MountType(entry.st_dev);
    return type.isEmpty() ? QStringLiteral("fuse") : type;
}

void SetMountLocalLockFileSystemForTests(std::function<QString(const QString& folder)> answer)
{
    g_fileSystemAnswer = std::move(answer);
}
