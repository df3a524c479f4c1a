#pragma once
// The disk procedures that the settings file shares with the test report
// files: the path of a name in a folder, the common header of every binary
// data file, and the name a damaged file is kept aside under. They sit below
// the storage subsystem because the settings are read at start-up, before
// anything else.
#include "platform/BinaryIO.h"
#include "platform/ErrorCodes.h"

#include <QIODevice>
#include <QString>
#include <string>

// The magic of the settings file and the test report files. Behind the magic
// every binary data file carries the version text of its layout.
inline const char* const SettingsMagic = "QTA";
// The version text the files are written with. It names the layout, which
// readers convert by, and not the program's version: a new release of the
// program writes "8.0" as long as the layout stays as it is.
inline const char* const DataFileVersion = "8.0";

// The folder without trailing separators, one "/", and the name ("\" in a
// stored relative name read as "/"). The folder keeps its case; when the
// exact name is missing, an existing file or folder whose name differs only
// in case is found instead. An empty name gives the folder ending in "/".
QString dskBuildPath(const QString& folder, const QString& name);

// The first three bytes of an open file as text; "" when it is shorter.
QString dskReadMagic(QIODevice& file);
// The numeric value of the version text behind the magic, read with "." as
// the decimal point whatever the locale; NoValue for a file of 3 bytes or
// less or a text that is not a number. Leaves the position behind the text.
float dskReadVersion(QIODevice& file);
// The same two on a file image in memory; version reading leaves the reader
// behind the version text.
QString dskReadMagic(const std::string& bytes);
float dskReadVersion(BinaryReader& in);
// True when a version text is a number with "." as the decimal point.
bool dskIsVersionText(const std::string& text);
// Writes the common header: the magic without a length, then "8.0" with its length.
void dskPutHeader(BinaryWriter& out, const char* magic);

// The name a file that does not load is kept aside under, the n-th beside
// the earlier ones: "name.BAD" for 1, then "name.BAD2", "name.BAD3", ...
QString dskAsideName(const QString& name, int number);

// Moves one file to the freedesktop trash, whatever its name: the home trash
// ($XDG_DATA_HOME/Trash) for a file on the home folder's file system, else
// the trash at the top of the file's own. Its info file (Path percent-
// encoded, relative to that top in a trash there) is written whole and
// synced before the file moves, so a kill or a full disk leaves the file in
// place or in the trash with its info. Both folders are synced after. False
// with the error filled in when the trash cannot take it; the file then
// stays where it was. Callers keep the program's own files from it.
bool dskMoveToTrash(const QString& path, SystemError& error);
