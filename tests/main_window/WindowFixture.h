#pragma once
// Shared by the main window's tests: a temporary program folder, English,
// the clock fixed at 2011-12-24 14:05:09, and the globals the window touches
// put back afterwards.
#include "foundation/modGlobals.h"
#include "instrument/DataStringFixture.h"
#include "main_window/frmMain.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
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

    // The colour within one pixel of (x, y): a 3-pixel dot or a slanted line.
    static bool Near(PictureBox* picture, double x, double y, int32_t colour)
    {
        const DrawingSurface& s = picture->Surface();
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (s.Point(s.XFromPixel(s.PixelFromX(x) + dx), s.YFromPixel(s.PixelFromY(y) + dy)) == colour)
                    return true;
        return false;
    }
    static int Count(PictureBox* picture, int32_t colour)
    {
        const QImage& image = picture->Surface().Image();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += FromQColor(QColor(image.pixel(x, y))) == colour ? 1 : 0;
        return n;
    }
    static bool Blank(PictureBox* picture)
    {
        const QImage& image = picture->Surface().Image();
        return Count(picture, vbWhite) == image.width() * image.height();
    }

    QTemporaryDir folder_;
    QString savedFolder_;
    int16_t savedLoginLevel_ = 0;
};
