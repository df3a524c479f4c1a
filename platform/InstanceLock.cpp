#include "platform/InstanceLock.h"

#include <QDir>

InstanceLock::InstanceLock(const QString& folder)
    : m_path(QDir(folder).filePath(QString::fromLatin1(InstanceLockFileName)))
    , m_lock(std::make_unique<QLockFile>(m_path))
{
    // A running copy keeps its lock however long it runs; only a lock whose
    // process is gone counts as stale.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() { Unlock(); }

bool InstanceLock::TryLock()
{
    if (m_lock->isLocked())
        return true;
    return m_lock->tryLock(0);
}

bool InstanceLock::IsLocked() const { return m_lock->isLocked(); }

bool InstanceLock::HeldByAnotherCopy() const { return m_lock->error() == QLockFile::LockFailedError; }

bool InstanceLock::RefusedForPermission() const { return m_lock->error() == QLockFile::PermissionError; }

void InstanceLock::Unlock()
{
    if (m_lock->isLocked())
        m_lock->unlock();
}
