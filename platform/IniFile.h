#pragma once
// A small reader of INI text files (the previous version's initialisation
// file, and the installation's QUINTARA.INI). Section and key names ignore
// case; values are taken as they stand between "=" and the line end, less
// the blanks and tabs around them, and decoded from Windows-1252. Nothing is
// ever written.
#include <QString>
#include <vector>

class IniFile {
public:
    // Reads the file; False (and no entries) when it is missing or unreadable.
    bool Load(const QString& path);
    // Reads the text of a file already in memory (Windows-1252 bytes).
    void LoadText(const std::string& bytes);

    // The value of the key in the section, or the default when the section or
    // key does not exist. When a section or key occurs more than once the
    // first one counts, as with the Windows profile functions.
    QString Value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;
    bool HasKey(const QString& section, const QString& key) const;

private:
    struct Entry {
        int Section = 0;    // index into sections_
        QString Key;        // lower case
        QString Value;
    };
    const Entry* Find(const QString& section, const QString& key) const;

    std::vector<QString> sections_;     // section names in file order, lower case
    std::vector<Entry> entries_;
};
