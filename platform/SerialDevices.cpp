#include "platform/SerialDevices.h"

#include <QByteArray>
#include <QtGlobal>

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
