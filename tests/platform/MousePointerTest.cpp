#include "platform/MousePointer.h"
#include "platform/Twips.h"

#include <QCursor>
#include <QGuiApplication>
#include <vector>
#include <gtest/gtest.h>

namespace {
int OverrideDepth()
{
    // Counts the override cursors on the stack, then puts them back.
    int depth = 0;
    std::vector<QCursor> cursors;
    while (QGuiApplication::overrideCursor()) {
        cursors.push_back(*QGuiApplication::overrideCursor());
        QGuiApplication::restoreOverrideCursor();
        ++depth;
    }
    for (auto it = cursors.rbegin(); it != cursors.rend(); ++it)
        QGuiApplication::setOverrideCursor(*it);
    return depth;
}
}

// One 0 removes the hourglass, however often 11 was set.
TEST(MousePointerTest, HourglassAndDefaultAreAbsolute)
{
    SetMousePointer(PointerHourglass);
    SetMousePointer(PointerHourglass);
    ASSERT_EQ(OverrideDepth(), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetMousePointer(PointerDefault);
    EXPECT_EQ(MousePointer(), PointerDefault);
    EXPECT_EQ(OverrideDepth(), 0);
}

TEST(MousePointerTest, TheGuardRestoresThePreviousPointerOnEveryPath)
{
    {
        MousePointerGuard wait;
        EXPECT_EQ(MousePointer(), PointerHourglass);
        {
            MousePointerGuard normal(PointerDefault);
            EXPECT_EQ(OverrideDepth(), 0);
        }
        EXPECT_EQ(OverrideDepth(), 1);
    }
    EXPECT_EQ(OverrideDepth(), 0);
}

TEST(TwipsTest, FifteenTwipsMakeOnePixel)
{
    EXPECT_EQ((std::vector<int>{TwipsToPixels(15), TwipsToPixels(12120), TwipsToPixels(22), TwipsToPixels(23)}),
              (std::vector<int>{1, 808, 1, 2}));
    EXPECT_EQ(PixelsToTwips(800), 12000.0);
}
