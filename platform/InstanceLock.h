#pragma once
// Refuses a second running copy of the program: a lock file in the program
// folder, held for the whole run. A lock left behind by a copy that crashed
// is taken over, because its process no longer runs.
#include <QLockFile>
#include <QString>
#include <memory>

inline const char* const InstanceLockFileName = "QUINTARA.LCK";

class InstanceLock {
public:
    // Does not lock yet.
    explicit InstanceLock(const QString& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this copy now holds the lock; False when another running copy
    // holds it or the folder cannot hold a lock file.
    bool TryLock();
    bool IsLocked() const;
    // After a refused TryLock: True when another running copy holds the lock,
    // False when the lock file could not be made at all (a folder that cannot
    // be written), which says nothing about another copy.
    bool HeldByAnotherCopy() const;
    // After a refused TryLock: True when the folder refused the lock file for
    // want of permission.
    bool RefusedForPermission() const;
    QString FilePath() const { return m_path; }
    void Unlock();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
