#include "platform/ErrorCodes.h"

#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {

QString SystemMessage(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

// Qt keeps only the message of the errno that made a call fail; the number
// is found again by its message.
int ErrnoOfMessage(const QString& message)
{
    if (message.isEmpty())
        return 0;
    for (int e = 1; e < 256; ++e)
        if (SystemMessage(e) == message)
            return e;
    return 0;
}

} // namespace

int32_t ClassicErrorNumber(int errnoValue, const QString& path)
{
    switch (errnoValue) {
    case ENOENT:
        if (!path.isEmpty() && !QFileInfo(QFileInfo(path).absolutePath()).isDir())
            return 76;
        return 53;
    case ENOTDIR:
        return 76;
    case EIO:
    case ENXIO:
        return 57;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 61;
    case EACCES:
    case EPERM:
    case EROFS:
        return 70;
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
    case EEXIST:
    case ENOTEMPTY:
    case ELOOP:
    case ENAMETOOLONG:
        return 75;
    default:
        return errnoValue;
    }
}

SystemError ErrorFromErrno(int errnoValue, const QString& path)
{
    return SystemError{ClassicErrorNumber(errnoValue, path), SystemMessage(errnoValue)};
}

SystemError ErrorFromFile(const QFileDevice& file)
{
    const QString message = file.errorString();
    const int e = ErrnoOfMessage(message);
    if (e != 0)
        return SystemError{ClassicErrorNumber(e, file.fileName()), message};
    int32_t number = 75;
    switch (file.error()) {
    case QFileDevice::ReadError:
    case QFileDevice::WriteError:
    case QFileDevice::FatalError:
        number = 57;
        break;
    case QFileDevice::ResourceError:
        number = 61;
        break;
    case QFileDevice::PermissionsError:
        number = 70;
        break;
    default:
        break;
    }
    return SystemError{number, message.isEmpty() ? SystemMessage(EIO) : message};
}
