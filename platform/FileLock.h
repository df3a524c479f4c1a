#pragma once
// An exclusive lock on a file that holds on a network share (NFS v4, SMB
// mounted by the kernel's client) and goes with the process, however it
// ends: an open file description lock (F_OFD_SETLK) on the whole file. Two
// opens of the file exclude each other, in one process as in two; a child
// started by exec does not inherit it. The file is made when missing and
// never removed: a lock file removed and made again would let a second
// process lock the new file while the first still holds the old one. A file
// it makes is made open to every user: a run of another user must be able
// to open it for writing, or it could neither lock it nor learn that it is
// held; a file found there keeps its mode. A link at the name is never
// followed: the lock fails (Failed, ELOOP) and what it leads to is untouched.
#include "platform/ErrorCodes.h"

#include <QString>

class FileLock {
public:
    enum class Result { Locked, HeldElsewhere, Failed };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Locks the file at path (made when missing) without waiting: Locked,
    // or HeldElsewhere while another open holds it (learned through an open
    // for reading where the file may not be written), or Failed with the
    // error (no such folder, a folder that may not be written, a file
    // system without such locks). A lock held before is given up first.
    Result TryLock(const QString& path, SystemError& error);
    // The same, but waits while another open holds it.
    Result Lock(const QString& path, SystemError& error);

    bool IsLocked() const { return m_fd >= 0; }
    QString Path() const { return m_path; }
    void Unlock();
    // Hands the lock over to other, which gives up its own first.
    void MoveTo(FileLock& other);

private:
    Result Take(const QString& path, bool wait, SystemError& error);

    int m_fd = -1;
    QString m_path;
};
