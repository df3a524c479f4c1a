#pragma once
// Shared by the main window's tests: a temporary program folder, English,
// the clock fixed at 2011-12-24 14:05:09, and the globals the window touches
// put back afterwards.
#include "foundation/modGlobals.h"
#include "instrument/DataStringFixture.h"
#include "main_window/frmMain.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "support/ScriptedPresenter.h"

#include <QCoreApplication>
#include <QTemporaryDir>

class WindowFixture : public DataStringFixture {
protected:
    static double Moment() { return DateSerial(2011, 12, 24) + TimeSerial(14, 5, 9); }

    void SetUp() override
    {
        DataStringFixture::SetUp();
        ASSERT_TRUE(folder_.isValid());
        savedFolder_ = ProgramFolder();
        savedLoginLevel_ = LoginLevel;
        SetProgramFolder(folder_.path());
        ResetSettingsGlobals(folder_.path());
        PortOpen = false;
        SetFixedClock(Moment());
    }
    void TearDown() override
    {
        Close();
        SetClock({});
        SetProgramFolder(savedFolder_);
        ResetSettingsGlobals(savedFolder_);
        LoginLevel = savedLoginLevel_;
        PortOpen = false;
        DataStringFixture::TearDown();
    }
    // Closes the window without a question left to block.
    void Close()
    {
        if (frmMain::IsLoaded()) {
            ScriptedPresenter presenter;
            frmMain::Instance()->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir folder_;
    QString savedFolder_;
    int16_t savedLoginLevel_ = 0;
};
