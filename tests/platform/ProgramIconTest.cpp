#include "platform/ProgramIcon.h"

#include <QImage>
#include <gtest/gtest.h>

// The window, the task bar and the icon theme show the same picture: each
// size comes drawn for it from the compiled-in artwork, none scaled up from
// a smaller one.
TEST(ProgramIconTest, EverySizeOfTheIconThemeIsDrawnAndCompiledIn)
{
    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        // The tile fills the middle; a corner of the larger ones stays clear.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
        if (size >= 32) {
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        }
    }
}
