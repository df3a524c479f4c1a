#pragma once
// The machine this process runs on, and the file system a folder lies on,
// as far as they decide where a lock holds.
#include <QString>
#include <functional>

// The machine's id (/etc/machine-id, as systemd keeps it: one per
// installed system, kept across reboots and changes of host name); empty
// where there is none.
QString MachineId();
// The host name.
QString MachineHostName();

// For tests: plays another machine, with that id and host name; both empty
// for the machine itself again.
void SetMachineForTests(const QString& id, const QString& hostName);

// The type of a FUSE file system the folder lies on ("fuse.sshfs",
// "fuse.smbnetfs", "fuse.gvfsd-fuse", "fuse.rclone"): a lock taken there
// is kept by the client in this mount and holds only for the programs
// that reach the share through it, never for another PC's. Known by the
// file system's magic number (statfs) and named by the mount's type in
// /proc/self/mountinfo; empty for any other file system, or a folder that
// cannot be reached.
QString MountLocalLockFileSystem(const QString& folder);

// For tests: answers in place of the file system (nothing: the real one).
void SetMountLocalLockFileSystemForTests(std::function<QString(const QString& folder)> answer);
