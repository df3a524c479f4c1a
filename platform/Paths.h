#pragma once
// Paths on Linux for a program designed with Windows paths: folder and name
// are joined with exactly one "/", a relative name stored with "\" is read
// with "/", a folder the user chose keeps its case, and data copied from
// Windows is found whatever the case of its names.
#include <QString>
#include <QStringList>

// A relative name as stored in a record ("QTA123\2011.12.08, 10.15.00.QTA")
// with every "\" read as "/".
QString StoredNameToPath(const QString& storedName);

// The folder without trailing separators ("/" and "\"), one "/", and the
// name with "\" read as "/". An empty name gives the folder ending in "/";
// the root folder "/" stays "/". Nothing is looked up and no case changes.
QString JoinPath(const QString& folder, const QString& name);

// The path of folder and name as it exists on disk: each part of the name
// that is missing under its exact spelling is matched, ignoring case, against
// the entries of its folder (the first in code order among several). Parts
// that match nothing are kept as given, so the result is also the path a new
// file is created at. A path that exists as given costs one check; a missing
// one at most one unsorted pass over the folder of each missing part.
QString FindExistingPath(const QString& folder, const QString& name);

// The entries of the folder (files, folders, links, hidden or not) whose name
// is the name in any case, in code order, found by looking up each case form
// of a name with at most three letters, all of them ASCII (the names the
// program makes from dates: digits, blanks, dots, commas and a three-letter
// extension), so the cost does not grow with the folder; any other name,
// whose forms are too many, costs one unsorted pass over the folder.
QStringList EntriesInAnyCase(const QString& folder, const QString& name);

// True when the folder is an absolute path of an existing directory. A
// drive letter or another Windows path read from an old settings file is
// never one.
bool IsExistingFolder(const QString& folder);

// True when the file name ends in "." and the extension, ignoring case
// ("report.qta" has the extension "QTA").
bool HasExtension(const QString& fileName, const QString& extension);

// File attributes of the design: 0 normal, 1 read-only, 32 archive (which
// has no equivalent and changes nothing), 33 read-only and archive.
// Read-only clears every write bit; normal gives the owner the write bit
// back. Root ignores write bits, so nothing may rely on them to stop an
// overwrite. A link at the name, or anything but a file, is left as it is
// (false), also one laid there meanwhile: the file is changed through its
// own descriptor. True on success.
inline constexpr int AttrNormal = 0;
inline constexpr int AttrReadOnly = 1;
inline constexpr int AttrArchive = 32;
bool SetAttr(const QString& path, int attributes);
// 1 when no write bit is set, else 0; -1 when the file is missing.
int GetAttr(const QString& path);

// Names read from a file (a report's stored relative path, a curve file
// name) are used as paths only when they cannot reach outside their folder.
// A bare name: not empty, not "." or "..", no control character, no "/" or
// "\". With allowStyleFolder, one leading style-folder part "QTAnnn\" (or
// "QTAnnn/", any case) may stand before the bare name.
bool IsBareStoredName(const QString& name, bool allowStyleFolder = false);

// The path of the stored name inside the folder (as FindExistingPath gives
// it), or "" when the name is not a bare stored name or its path would not
// lie inside the folder.
QString StoredNamePath(const QString& folder, const QString& name, bool allowStyleFolder = false);

// True for the program's own files in its folder, which nothing may delete
// or move to the trash: every QUINTARA.* (the settings file QUINTARA.DAT and
// its copies, QUINTARA.LOG, QUINTARA.LCK, the installation's QUINTARA.INI
// and logo QUINTARA.JPG), PENDING n.QTA (and its .BAD copies) and TEMP.QTA;
// any case. The program folder is also the data folder until one is chosen.
bool IsProgramOwnFileName(const QString& fileName);
