#pragma once
// The one writer of whole files that must survive a crash or a full disk.
// Written by the system's own calls, not Qt's QSaveFile: that one "commits"
// a file whose final flush hit a full disk, and writes through a link at the
// name into the file it leads to. Every write and a sync are checked before
// the rename, and any failure leaves the old file byte-identical.
#include "platform/ErrorCodes.h"
#include "platform/SharedFolder.h"

#include <QFile>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include <sys/types.h>

// Writes the bytes to a temporary file beside path, then renames it over
// path. The name itself is replaced: a link at path becomes the new file,
// and the file it led to is not touched. With permissions given, the
// temporary file gets them before the rename, so the new file never exists
// with other ones (a kill between the two steps leaves either the old file
// or the new one, each with its mode). Without, the new file takes the old
// file's permissions (writable for its owner), or the default ones for a new
// file. False with the
// error filled in on any failure; the old file, if any, is then untouched.
// After the rename the folder is synced, so that the new name outlives a
// power cut before the caller goes on (and removes what the new file made
// obsolete); a folder that cannot be synced leaves the file written (true)
// and goes to the folder-sync report.
bool WriteFileAtomically(const QString& path, const std::string& bytes, SystemError& error,
                         QFileDevice::Permissions permissions = QFileDevice::Permissions());

// The temporary file of a WriteFileAtomically of name in folder: hidden,
// the name, six random letters or digits and ".WRITING"
// (".QUINTARA.DAT.Qz4nEv.WRITING"), a shape no user gives a copy of a file
// and no reader takes for one of its own.
QString AtomicTemporaryName(const QString& folder, const QString& name);

// Whether the name is of that shape, for any file.
bool IsAtomicTemporaryName(const QString& name);
// Removes such a leftover where it is a regular file (never a link of that
// name); false when there is none or it could not go.
bool RemoveAtomicWriteLeftover(const QString& path);

// What a WriteFileAtomically of path killed between its steps can leave
// beside it: the paths of such temporary names in path's folder that are
// regular files (a link of that name is none), in name order.
QStringList AtomicWriteLeftovers(const QString& path);
// The same for the temporary files of earlier versions, which wrote through
// Qt's QSaveFile: the name, a dot and six letters ("QUINTARA.DAT.QznEva").
// A user's copy may bear such a name too ("QUINTARA.DAT.backup").
QStringList EarlierAtomicWriteLeftovers(const QString& path);

// Writes a new file that takes its name only while the name is free, on
// every file system a data folder may lie on (network shares included, which
// have no rename that refuses to replace): the bytes are written whole and
// synced under no name or a temporary one beside it, then given the name
// with a link (link(2), linkat(2)), which fails rather than replaces, and the
// temporary name is removed. Where the file system has unnamed temporary
// files (O_TMPFILE: ext4, xfs, btrfs, tmpfs) there is no temporary name at
// all; elsewhere (NFS, SMB) it is hidden and never ends in the extension of
// the file, ".<name>.XXXXXX.NEW", so no reader takes it for one. A file
// system without hard links (FAT, exFAT, a share without them) gets an empty
// file of the name created exclusively (O_EXCL) first, which the temporary
// file is then renamed over. A kill leaves the name without a file, or with
// the whole file; without hard links, maybe empty; on a share, maybe the
// temporary name too (see RemoveNewFileLeftovers). The new file has the
// given permissions from the moment it has its name; the folder is synced
// after as in WriteFileAtomically. False with the error filled in on any
// failure, and then nothing of the write is left under the name; nameTaken,
// when given, tells whether the name was taken (EEXIST). With syncFolder
// false the folder is left to the caller, who writes many files into it and
// syncs it once.
bool WriteNewFile(const QString& path, const std::string& bytes, SystemError& error,
                  QFileDevice::Permissions permissions, bool* nameTaken = nullptr, bool syncFolder = true);

// Removes from the folder the temporary files WriteNewFile left there when
// it was killed, whose names end in ".<extension>" before the random part:
// a temporary name that is a second name of the file it was written for (a
// kill between the link and the removal) at once, any other once it is
// older than an hour (a write killed before its link: no write takes that
// long, and its file, never named, is no one's). One listing of the folder.
// The number removed.
int RemoveNewFileLeftovers(const QString& folder, const QString& extension);
// The same once a run for each folder and extension, at the first new file
// of that kind written there: leftovers come only from earlier runs or from
// other seats' kills, and one listing of a share's folder per run is enough.
// 0 at every later call.
int RemoveNewFileLeftoversOnce(const QString& folder, const QString& extension);

// Whether link(2) failed because the file system (or the mount) gives no
// second names, not because of the name: EPERM, EOPNOTSUPP, ENOSYS, EXDEV.
bool LinkRefused(int reason);

// Gives a copy of a file's bytes a name no file holds, where the file system
// can neither link nor rename without replacing (smbnetfs, gvfs, rclone,
// some NAS and USB file systems): the name created exclusively (a link laid
// there is refused, never followed), the bytes copied and synced. A kill
// leaves the name without a file, or with a beginning of the bytes, or with
// them whole; a failure leaves nothing under the name. The copy has the
// source's mode. The source is not touched; the folder is left to the
// caller. nameTaken as in WriteNewFile.
bool CopyToNewName(const QString& from, const QString& to, SystemError& error, bool* nameTaken = nullptr);

// For tests: the ways WriteNewFile may take, narrowed as file systems narrow
// them: without unnamed temporary files (a network share), and without hard
// links as well (FAT).
enum class NewFileWays { All, NoUnnamedFiles, NoHardLinks };
void SetNewFileWays(NewFileWays ways);

// Puts the folder's own entries (names made, renamed or removed in it) on
// the disk, so that a power cut keeps what a kill would keep. A file system
// that cannot sync a folder (EINVAL) counts as done. False with errno set.
bool SyncFolder(const QString& folder);

// Where WriteFileAtomically tells of a folder it could not sync after the
// rename: the program hands it to its log (this layer has none). Nothing is
// told while no report is set.
void SetFolderSyncFailedReport(std::function<void(const SystemError& error, const QString& folder)> report);

// A write past a file size limit (ulimit -f, as service wrappers set) ends
// the process with SIGXFSZ by default. Ignored, the write fails with EFBIG
// instead and takes the way of any failed write (a full disk). Called once
// at the start, before anything is written.
void IgnoreFileSizeLimitSignal();

// Gives a file's present content a second, new name: a hard link where the
// file system has them (no bytes written, the same mode), else a copy written
// as above with the given permissions. Meant for a backup taken before the
// file is replaced through WriteFileAtomically, which gives the file a new
// inode and so leaves the link holding the old content. False with the error
// filled in when the second name exists or nothing could be made.
bool LinkOrCopyFile(const QString& from, const QString& to, SystemError& error,
                    QFileDevice::Permissions permissions = QFileDevice::Permissions());

// The whole content of a file; nothing, with the error filled in, when it
// cannot be opened or read to its end: a read error (a network folder) gives
// the system's error, and a file that ends before the size it had when it
// was opened (cut short by another process meanwhile) is not read whole
// either (62, input past end of file). The file is read, never mapped, so
// neither can end the program with SIGBUS.
// With Refuse, the file is reached as every file of a shared folder is
// (OpenInSharedFolder): from the folder the user chose, no link followed
// below it nor at the name (the read fails with ELOOP). Either way the file
// is opened without waiting and read only when fstat on its descriptor finds
// a regular file no larger than limit, the largest its kind can be: a pipe,
// socket, device or folder at the name, or a larger file, is a damaged file
// (IsDamagedFileError), not a byte of it read. A size the memory cannot hold
// fails the read (ENOMEM).
enum class LinkAtName { Follow, Refuse };
std::optional<std::string> ReadFileWhole(const QString& path, SystemError& error,
                                         LinkAtName link = LinkAtName::Follow, int64_t limit = NoSizeLimit);

// For tests: runs inside ReadFileWhole after the file's size was taken and
// before its bytes are read, where another process may cut the file short.
void SetReadFileSizeTakenHook(std::function<void()> hook);

// The mode bits of Qt's permissions; Qt's "user" bits are the owner's.
mode_t ModeOfPermissions(QFileDevice::Permissions permissions);

// Read-only for everyone (a written report or curve file).
inline constexpr QFileDevice::Permissions ReadOnlyPermissions =
    QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
// Read and write for the owner alone (files that hold passwords).
inline constexpr QFileDevice::Permissions OwnerOnlyPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
