#include "platform/SafeFile.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString& path, const std::string& bytes, SystemError& error,
                         QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = ErrorFromFile(file);
        return false;
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    // write() only fills Qt's buffer for a small file; flush() is where a full
    // disk shows, and commit() would not report it.
    if (file.write(bytes.data(), size) != size || !file.flush()
        || (permissions != QFileDevice::Permissions() && !file.setPermissions(permissions))) {
        error = ErrorFromFile(file);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = ErrorFromFile(file);
        return false;
    }
    return true;
}
