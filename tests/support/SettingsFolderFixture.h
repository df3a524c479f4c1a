#pragma once
// A program folder of its own per test (the settings file and the log go
// there), the settings globals at their defaults with English texts and the
// locale pinned, message boxes answered by script, and the settings file's
// bytes for comparison. Shared by the tests of the dialogs that edit the
// settings.
#include "support/LocaleFixture.h"
#include "support/ScriptedPresenter.h"

#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modSettings.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <string>

class SettingsFolderFixture : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        ASSERT_TRUE(Temp.isValid());
        SetProgramFolder(Temp.path());
        ResetSettingsGlobals(Temp.path());
        InitConstants();
        Language = 2;
        DateFormat = 1;
    }
    void TearDown() override
    {
        // Dialogs closed by the test are deleted now, not in a later test.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetClock({});
        ResetSettingsGlobals(Temp.path());
        InitConstants();
        SetProgramFolder(QString());
        LocaleFixture::TearDown();
    }

    // The settings file as it stands ("<missing>" when there is none).
    static std::string SettingsBytes()
    {
        QFile file(SettingsFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }

    QTemporaryDir Temp;
    ScriptedPresenter Presenter;
};
