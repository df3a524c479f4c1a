#include "platform/ProgramIcon.h"

#include <QFile>

QIcon ProgramIcon()
{
    // The same pictures the package puts into the icon theme, so the window,
    // the task bar and the menu show one icon at every size.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString name = QStringLiteral(":/images/icon%1.png").arg(size);
        if (QFile::exists(name))
            icon.addFile(name, QSize(size, size));
    }
    return icon;
}
