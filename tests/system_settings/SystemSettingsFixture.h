#pragma once
// Shared by the tests of the settings dialogs: the settings folder fixture,
// the settings file written and read back, and mouse and key events.
#include "support/SettingsFolderFixture.h"

#include <QString>
#include <string>

class QWidget;

class SystemSettingsFixture : public SettingsFolderFixture {
protected:
    // Writes the settings as they stand and answers the file's bytes, so that
    // a later write (or none) shows.
    std::string SaveBaseline();
    // Clears the globals a dialog writes and reads them back from the file.
    void ReloadSettings();

    // Mouse events as the user gives them.
    static void Press(QWidget* target, Qt::MouseButton button, Qt::KeyboardModifiers keys = Qt::NoModifier);
    static void Release(QWidget* target, Qt::MouseButton button, Qt::KeyboardModifiers keys = Qt::NoModifier);
    static void DoubleClick(QWidget* target);
    // One typed character.
    static void Type(QWidget* target, const QString& character);
};
