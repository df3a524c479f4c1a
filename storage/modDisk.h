#pragma once
// Small disk services around the program's files: existence, names made
// from dates, style subfolders, folder listings, deleting to the trash and
// free space; paths and the common header of the binary data files come
// from the basics the settings file shares.
#include "foundation/modDiskBasics.h"
#include "platform/BinaryIO.h"
#include "platform/ErrorCodes.h"

#include <QSet>
#include <QString>
#include <QStringList>

class QIODevice;

// True when a regular, not hidden file dskBuildPath(folder, name) exists
// (read-only files are found too).
bool dskFileExists(const QString& folder, const QString& name);

// "yyyy.mm.dd, hh.nn.ss" of the date and the extension, which is appended as
// it stands when it begins with "." and after a "." otherwise.
QString dskFileNameFromDate(double date, const QString& extension);

// True when the root folder exists and its subfolder (the name as given)
// exists or was created. A subfolder that exists under another case counts;
// a link at its name does not (ELOOP). On failure errno holds the reason.
bool dskEnsureFolder(const QString& root, const QString& sub);

// The names of the files in the folder, hidden files included, in the order
// a Windows file system lists them, whatever file system holds the folder:
// by name, case-insensitive code unit by code unit (upper-cased), names equal
// so ordered by their exact code units. A missing folder gives an empty list.
QStringList dskListFiles(const QString& folder);

// Moves the listed files of the folder to the trash, skipping names that do
// not exist and the program's own files (every QUINTARA.*: the settings file
// and its copies, log, lock, QUINTARA.INI and the logo; pending files,
// TEMP.QTA), whatever case they are asked for in. A
// name may carry one style-folder part ("QTA123\"); any other name that is
// not a bare file name is skipped with a log line. A file the trash refuses
// stays where it is with its attributes, and a log line names it. True when
// every existing listed file that may be deleted went to the trash.
bool dskDeleteFiles(const QString& folder, const QStringList& names);

// True when a name read from a file may be used as a path below its folder
// (IsBareStoredName: a bare file name, with one style-folder part where
// allowed); otherwise false and one log line (64, bad file name) under the
// procedure's name.
bool dskCheckStoredName(const QString& name, bool allowStyleFolder, const QString& procedure);

// The folder a file is written into: the folder itself when it exists, else
// the program's own folder. With a setting (the DataFolder or QDASFolder that
// named the missing folder), the setting then becomes the program folder too.
QString dskWriteFolder(const QString& folder, QString* setting = nullptr);

// Free space of the file system holding the folder, in megabytes; -1 when
// it cannot be read (a missing folder, a drive letter).
float dskFreeSpaceMB(const QString& root);

// The key under which names that differ only in case are one name.
QString dskNameKey(const QString& name);
// The keys of every entry of the folder (files and folders, hidden ones
// included), from one listing; empty for a missing folder. A caller that
// asks "does this name exist in any case" for many files of one folder keeps
// this set instead of searching the folder for each file.
QSet<QString> dskFolderNameKeys(const QString& folder);

// The names of the folder's entries that equal the name in any case, in
// code order: for the names the program makes from dates one lookup per case
// form of the extension, so the cost does not grow with the folder; any other
// name takes one listing of the folder.
QStringList dskNamesInAnyCase(const QString& folder, const QString& name);

// Gives the file the new path, whole or not at all: an existing file at the
// new path is never replaced (EEXIST), and on another file system the file
// is copied and the original removed, the copy taken back when the original
// cannot be removed, so no second copy is left. The file keeps its mode.
// False with the error filled in on any failure; both files are then as
// they were.
//
// A file system that can neither rename without replacing nor link
// (smbnetfs, gvfs, rclone) allows the move only as a copy under the new
// name created exclusively, which a kill may leave cut short beside the
// whole original: a caller whose record tells such a copy and undoes it
// allows that; for any other the move is refused there.
enum class MoveByCopy { Refused, Allowed };
bool dskMoveFileNew(const QString& from, const QString& to, SystemError& error,
                    MoveByCopy byCopy = MoveByCopy::Refused);

// The test report files belong to this module too.
#include "storage/modTestReport.h"
