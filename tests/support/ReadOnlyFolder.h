#pragma once
// Makes a folder refuse new entries for the lifetime of the object, also for
// root (which ignores write bits): the write bits are cleared and, where the
// file system allows, the folder is marked immutable. Files already in it can
// still be appended to, so a log file created beforehand keeps working.
#include <QString>

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // True when creating a file in the folder is really refused; a test that
    // needs it skips otherwise.
    bool Active() const { return m_active; }

private:
    bool SetImmutable(bool on);

    QString m_path;
    bool m_immutable = false;
    bool m_active = false;
};
