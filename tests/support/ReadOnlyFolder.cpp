#include "ReadOnlyFolder.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : m_path(path)
{
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser
                                      | QFileDevice::ExeUser);
    const QString probe = m_path + QStringLiteral("/.write-probe");
    QFile test(probe);
    if (test.open(QIODevice::WriteOnly)) {
        test.close();
        QFile::remove(probe);
        m_immutable = SetImmutable(true);
        QFile again(probe);
        if (again.open(QIODevice::WriteOnly)) {
            again.close();
            QFile::remove(probe);
            return;
        }
    }
    m_active = true;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_immutable)
        SetImmutable(false);
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

bool ReadOnlyFolder::SetImmutable(bool on)
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}
