#pragma once
// Shared by the tests of the settings dialogs: a program folder of its own
// per test (the settings file and the log go there), the settings globals at
// their defaults with English texts and the first date format, message boxes
// answered by script, and the settings file's bytes for comparison.
#include "support/ScriptedPresenter.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

class QWidget;

class SystemSettingsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The bytes of QUINTARA.DAT, "<missing>" when there is none.
    std::string SettingsBytes() const;
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

    QTemporaryDir Temp;
    QString Program;
    ScriptedPresenter Presenter;
};
