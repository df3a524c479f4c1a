#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacementTest, CentredOverTheOwnerAndKeptWholeOnTheArea)
{
    const QRect area(0, 24, 1024, 744);   // a panel along the top
    struct Case {
        QSize frame;
        QRect owner;
        QPoint expected;
    } const cases[] = {
        {{400, 300}, {100, 100, 600, 400}, {200, 150}},
        {{400, 300}, {800, 600, 400, 300}, {624, 468}},   // would leave at the right and the bottom
        {{400, 300}, {-300, 0, 200, 100}, {0, 24}},       // at the left and under the panel
        {{808, 610}, {}, {108, 91}},                      // no owner: the area's middle
        {{1100, 800}, {}, {0, 24}},                       // larger than the area
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlacedFrame(c.frame, area, c.owner), QRect(c.expected, c.frame)) << c.expected.x();
}

TEST(WindowPlacementTest, AWindowLargerThanTheScreenShrinksAsFarAsItMay)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.resize(area.size() + QSize(300, 200));
    PlaceWindow(&window, nullptr);
    EXPECT_EQ(window.frameGeometry(), area);

    QWidget least;
    least.setMinimumSize(area.width() + 40, 100);
    least.resize(area.width() + 80, 100);
    PlaceWindow(&least, nullptr);
    EXPECT_EQ(least.size(), QSize(area.width() + 40, 100));
    EXPECT_EQ(least.pos().x(), area.left());

    // Set below what its layout needs, a window shows larger: it is centred
    // at the size it shows with.
    QWidget owner;
    owner.setGeometry(area.left() + 100, area.top() + 100, 600, 400);
    owner.show();
    QWidget grows;
    auto* rows = new QVBoxLayout(&grows);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* inside = new QWidget;
    inside->setMinimumSize(200, 300);
    rows->addWidget(inside);
    grows.resize(200, 100);
    PlaceWindow(&grows, &owner);
    grows.show();
    EXPECT_EQ(grows.height(), 300);
    EXPECT_EQ(grows.frameGeometry().center(), owner.frameGeometry().center());
}

} // namespace
