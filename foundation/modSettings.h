#pragma once
// QUINTARA.DAT in the program folder: every setting, every list and the
// series being prepared, read at start-up and rewritten whole after each
// change. Files of older versions are read with their layouts converted; the
// writer always writes the current layout, version "8.0".
#include <QString>
#include <cstdint>
#include <string>

// The largest settings file (and its copies) read: at most 256 styles of
// some kilobytes each with their report forms, the lists of references,
// operators and search patterns, and the series being prepared, far under
// 64 MiB. A larger file, or a pipe, device or folder at the name, is no
// settings file and is moved aside as a damaged one, without being read.
inline constexpr int64_t MaxSettingsFileSize = 64LL * 1024 * 1024;

// Puts every settings global to its default, reads the settings file (see
// ReadSettingsFile) and copies the stored system settings into the working
// globals. True when neither a settings file nor a usable backup existed
// (first start; an empty file counts as none); a file kept aside as damaged
// still counts as existing.
bool InitSettings();

// Reads QUINTARA.DAT into the globals. A file that does not read whole (cut
// inside an item, or ending before its last item) is first kept as
// QUINTARA.DAT.BAD (.BAD2, .BAD3, ... beside earlier ones), with one log
// line; a backup QUINTARA.DAT.BAK that reads whole then takes its place,
// else what reads whole before the damage is kept (list elements included)
// and the rest keeps its defaults, and a backup that does not read whole
// either goes to the next .BAD name, so no save removes it. A file that cannot be read, or has another
// magic, is moved aside the same way and never overwritten. A missing or
// empty file is restored from a backup that is a settings file; with none,
// no file is made (the first save writes it whole). Values out of range read as their defaults
// (one log line). The files are kept with mode 0600: they hold the passwords.
void ReadSettingsFile();

// Copies the working settings into StoredSettings and writes the file;
// false when the file still holds what it held before.
bool SaveSettings();

// When the operator is asked about a settings file that cannot be written.
enum class SettingsSaveAsk {
    // A change just made in a dialog: message 31 while the write fails, Yes
    // trying again; after No, message 44 says that the change holds in
    // memory only, until a later save gets it into the file.
    Change,
    // The operator said No to message 31 about this change already (a
    // dialog that undid part of it): no question, only message 44.
    Declined,
    // The program's end: message 31 as for a change; after No the program
    // ends, and nothing is kept, so message 44 would promise too much.
    ProgramEnd,
};

// SaveSettings for a window, told to the operator when it fails. Nothing is
// asked while the file already holds what the write would put there (the
// failure loses nothing), nor while the system ends the program (one
// attempt, the log holds its failure). True when the file holds the settings.
bool SaveSettingsTelling(SettingsSaveAsk ask = SettingsSaveAsk::Change);

// Writes the whole file anew through an atomic replace (mode 0600), with a
// backup QUINTARA.DAT.BAK of the old file that exists only while the write
// runs. On failure the old file stays byte-identical and one log line is
// written. A list longer than the file's 16-bit count is written up to 32767
// entries and a text longer than 65535 bytes is cut; both are logged.
// True when the file holds the new settings (or there is no program folder).
bool WriteSettingsFile();

// The bytes WriteSettingsFile writes, from the globals as they stand.
std::string SettingsFileBytes();

// Paths of the settings file, its backup, and the n-th copy kept aside
// (QUINTARA.DAT.BAD for 1, QUINTARA.DAT.BAD2 for 2, ...).
QString SettingsFilePath();
QString SettingsBackupPath();
QString SettingsBadPath(int number = 1);
