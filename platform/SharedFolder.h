#pragma once
// Files in folders others may write (the data folder and its seat folders,
// style and Q-DAS folders on a share, and the program folder) are reached one
// way: the folder the user chose is opened as named (a link in that path is
// the user's choice), every folder below it is opened from its parent's
// descriptor without following a link, and the file itself is opened from
// its folder's descriptor without following a link and without waiting
// (a pipe laid at the name never holds the program). What a descriptor is
// of is then told by fstat on it, never by a look at the name before: a
// name swapped between a look and an open cannot lead the open elsewhere.
// Writes, links, renames and removals go the same way, relative to the
// descriptor of the folder reached so.
#include "platform/ErrorCodes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <limits>
#include <sys/stat.h>

class QFile;

// No limit on a file's size (a file of the program's own, never shared).
inline constexpr int64_t NoSizeLimit = std::numeric_limits<int64_t>::max();

// The folders the user chose (the program folder, the data folder, the
// Q-DAS folder), asked at each open: whoever keeps them hands over how to
// get them, so that a folder chosen anew is at once the one walked from.
void SetChosenFoldersSource(std::function<QStringList()> source);

// The chosen folder a path lies in: the longest of them that holds it, as
// cleaned; empty for a path under none.
QString ChosenFolderOf(const QString& path);

// Opens the path as open(2) would with the flags (O_RDONLY, O_RDWR|O_CREAT,
// ...) and mode, and always O_NOFOLLOW, O_NONBLOCK, O_NOCTTY and O_CLOEXEC:
// from the chosen folder it lies in, each folder below it by openat with
// O_DIRECTORY|O_NOFOLLOW (a link there fails, ELOOP or ENOTDIR), then the
// file by openat. A path under no chosen folder is opened as named with only
// its last part refused as a link. The descriptor, or -1 with the error.
int OpenInSharedFolder(const QString& path, int flags, mode_t mode, SystemError& error);

// The folder path lies in, reached as OpenInSharedFolder reaches it (the
// chosen folder as named, no link followed below it), as an O_PATH
// descriptor for the *at calls, and the last part of path in name. Every
// write, link, rename and removal in a shared folder goes relative to it:
// a folder swapped for a link after a look cannot lead the call elsewhere.
// -1 with the error where a folder on the way is missing or a link. Closed
// with CloseSharedFolder.
int OpenSharedFolderOf(const QString& path, QByteArray& name, SystemError& error);
void CloseSharedFolder(int fd);
// The path a descriptor of OpenSharedFolderOf was opened for, as the caller
// spelled it (empty for any other descriptor): for test seams that match
// calls by path names.
QString PathOfSharedFolder(int fd);

// unlink(2), mkdir(2), rename(2) (renameat2(2) with flags), link(2) and a
// check that a name is taken, each relative to the descriptor of the folder
// the path lies in (two of them for two folders): 0 or -1 with errno, as the
// call.
int UnlinkInSharedFolder(const QString& path);
int MkdirInSharedFolder(const QString& path, mode_t mode);
int RenameInSharedFolder(const QString& from, const QString& to, unsigned int flags = 0);
int LinkInSharedFolder(const QString& from, const QString& to);
// Whether anything (a link included) lies at the name.
bool NameTakenInSharedFolder(const QString& path);

// Checks a descriptor just opened to read path: a regular file no larger
// than limit. A pipe, socket, device or folder is a damaged file
// (BadFileMode), and so is a larger file (BadRecordLength): the descriptor
// is closed and -1 returned with that error. look, when given, gets the
// fstat of it.
int CheckedToRead(int fd, const QString& path, int64_t limit, SystemError& error, struct stat* look = nullptr);

// OpenInSharedFolder read-only and CheckedToRead: nothing is read yet.
int OpenSharedFileToRead(const QString& path, int64_t limit, SystemError& error, struct stat* look = nullptr);
// The same, handed to a QFile for reading (which closes it).
bool OpenSharedFileToRead(QFile& file, const QString& path, int64_t limit, SystemError& error);

// Whether an open or a read failed on what lies at the name being no file
// the program could have written there (a pipe, socket, device or folder,
// or too large): a damaged file, which callers log and set aside as they do
// a link at the name.
bool IsDamagedFileError(const SystemError& error);
