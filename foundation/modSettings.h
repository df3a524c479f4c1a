#pragma once
// QUINTARA.DAT in the program folder: every setting, every list and the
// series being prepared, read at start-up and rewritten whole after each
// change. Files of older versions are read with their layouts converted; the
// writer always writes the current layout, version "8.0".
#include <QString>
#include <string>

// Puts every settings global to its default, restores the file from its
// backup when the file is missing, empty, not a settings file (kept as
// QUINTARA.DAT.BAD) or cut short where the backup is whole, reads it, and
// copies the stored system settings into the working globals. True when no
// settings file existed (first start).
bool InitSettings();

// Reads QUINTARA.DAT into the globals; a missing file is created empty. A
// file without the magic "QTA" is left unread. Reading stops at the first
// item that fails; the items not read keep their values.
void ReadSettingsFile();

// Copies the working settings into StoredSettings and writes the file.
void SaveSettings();

// Writes the whole file anew through an atomic replace, with a backup copy
// QUINTARA.DAT.BAK that exists only while the write runs. On failure the old
// file stays as it was and one log line is written.
void WriteSettingsFile();

// The bytes WriteSettingsFile writes, from the globals as they stand.
std::string SettingsFileBytes();

// Paths of the settings file, its backup, and the place a file that is not a
// settings file is kept aside.
QString SettingsFilePath();
QString SettingsBackupPath();
QString SettingsBadPath();
