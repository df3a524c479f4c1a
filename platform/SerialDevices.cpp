#include "platform/SerialDevices.h"

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

QString SerialPortEnvironmentName(int port)
{
    return QStringLiteral("QUINTARA_COM") + QString::number(port);
}

QString SerialDeviceForPort(int port)
{
    const QByteArray variable = SerialPortEnvironmentName(port).toLatin1();
    const QString overridden = qEnvironmentVariable(variable.constData());
    if (!overridden.isEmpty())
        return overridden;
    if (port >= 1 && port <= 4)
        return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
    if (port >= 5 && port <= 8)
        return QStringLiteral("/dev/ttyUSB") + QString::number(port - 5);
    return QString();
}

QString SerialDeviceGroupToJoin(const QString& device)
{
    const QByteArray path = QFile::encodeName(device);
    if (path.isEmpty() || ::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return QString();
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return QString();
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return QString();
    // The group database may lack it (a container's /etc/group): the number
    // still tells the administrator which group it is.
    const group* entry = ::getgrgid(st.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(st.st_gid);
}
