#pragma once
// Refuses a second running copy of the program: a lock file in the program
// folder, held for the whole run. A lock left behind by a copy that crashed
// is taken over, because its process no longer runs.
#include "platform/ErrorCodes.h"

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

// A lock of this machine under a name, held by one process at a time: a Unix
// domain socket bound to that name in the abstract namespace. No file lies
// anywhere, so nothing another user lays in a folder (a link, a pipe, a
// stale file in a sticky folder) can stand in its way or be reached through
// it, and no share's limits apply; every user's processes on the machine
// meet it, and the kernel frees the name when the process ends, however it
// ends. The socket is closed on exec. It holds within one network namespace:
// a run in a container or sandbox of its own network does not meet it.
class MachineLock {
public:
    enum class Result { Locked, HeldElsewhere, Failed };

    MachineLock() = default;
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    // Takes the name without waiting: Locked (a name held before is given
    // up then), HeldElsewhere while a process holds it, or Failed with the
    // error (no such sockets here); a name held before stays held on either.
    Result TryLock(const QString& name, SystemError& error);
    bool IsLocked() const { return m_fd >= 0; }
    QString Name() const { return m_name; }
    void Unlock();

private:
    int m_fd = -1;
    QString m_name;
};

// The machine-wide name of a seat's lock: "quintara-seat-" and its name.
QString SeatMachineLockName(const QString& seat);
// For tests: a prefix in place of "quintara-seat-", so that test programs run
// side by side, which name their seats alike, keep apart, and a process can
// play one on another machine; empty for the program's own.
void SetSeatMachineLockPrefixForTests(const QString& prefix);
