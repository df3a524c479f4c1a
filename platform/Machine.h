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
// /proc/self/mountinfo; empty for any other file system (FUSE on a disk of
// this PC included), or a folder that cannot be reached.
QString MountLocalLockFileSystem(const QString& folder);

// The file system type of the mount of the device ("major:minor", as
// "0:48") in the text of /proc/self/mountinfo, where a line reads
// "36 35 0:48 / /mnt/a\040share rw shared:1 - fuse.sshfs host:/ rw"; empty
// where no line names the device.
QString MountTypeOfDevice(const QByteArray& mountinfo, const QByteArray& device);
// Whether locks on a file system of that type hold only through the mount
// that took them: a FUSE client of a share ("fuse.sshfs"), not FUSE on a
// disk of this PC ("fuseblk"), nor a kernel client ("nfs4", "cifs").
bool LocksHoldThroughOneMount(const QString& type);

// For tests: answers in place of the file system (nothing: the real one).
void SetMountLocalLockFileSystemForTests(std::function<QString(const QString& folder)> answer);
// For tests: the file read as the mount table (empty: /proc/self/mountinfo).
void SetMountTableForTests(const QString& path);
