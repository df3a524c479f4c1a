#include "platform/TabControl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTabBar>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

namespace {

class TabControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tabs_ = new TabControl(&window_);
        tabs_->setGeometry(10, 10, 500, 300);
        for (const char* caption : {"Results", "Commentary", "Profile 1", "Histogram 1"})
            tabs_->AddTab(QString::fromLatin1(caption));
        window_.resize(600, 400);
        window_.show();
        QApplication::processEvents();
        QObject::connect(tabs_, &TabControl::Click, [this](int previous) { clicks_.push_back(previous); });
        bar_ = tabs_->findChild<QTabBar*>();
    }

    void Press(QWidget* target, QPoint at)
    {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        }
    }

    QWidget window_;
    TabControl* tabs_ = nullptr;
    QTabBar* bar_ = nullptr;
    std::vector<int> clicks_;
};

TEST_F(TabControlTest, OnlyTheUsersChoiceRaisesClickWithThePreviousTab)
{
    EXPECT_EQ(tabs_->Tab(), 0);
    tabs_->SetTab(2);
    tabs_->SetTab(9);
    EXPECT_EQ(tabs_->Tab(), 2);
    EXPECT_TRUE(tabs_->Page(2)->isVisible());
    EXPECT_TRUE(clicks_.empty());
    Press(bar_, bar_->tabRect(3).center());
    EXPECT_EQ(clicks_, std::vector<int>{2});
    EXPECT_TRUE(tabs_->Page(3)->isVisible());
    // The wheel over the tabs changes none.
    for (const int delta : {120, -120, -120}) {
        const QPointF at = QPointF(bar_->tabRect(3).center());
        QWheelEvent wheel(at, bar_->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar_, &wheel);
    }
    EXPECT_EQ(bar_->currentIndex(), 3);
    EXPECT_EQ(clicks_.size(), 1u);
}

TEST_F(TabControlTest, DisablingTheCurrentTabKeepsItCurrentAndADisabledOneCannotBeChosen)
{
    tabs_->SetTab(1);
    for (int i = 0; i < tabs_->Tabs(); ++i)
        tabs_->SetTabEnabled(i, false);
    tabs_->SetTabEnabled(3, true);
    EXPECT_EQ(bar_->currentIndex(), 1);
    EXPECT_TRUE(tabs_->Page(1)->isVisible());
    Press(bar_, bar_->tabRect(0).center());
    EXPECT_EQ(tabs_->Tab(), 1);
    EXPECT_TRUE(clicks_.empty());
}

// Pages begin below the tabs, where the controls' places are measured from;
// hidden pages too, so that their controls are placed before they show.
TEST_F(TabControlTest, EveryPageBeginsBelowTheTabs)
{
    EXPECT_LE(bar_->tabRect(3).right(), tabs_->width());
    const QPoint origin = tabs_->PageOrigin();
    tabs_->resize(520, 320);
    for (int i = 0; i < tabs_->Tabs(); ++i)
        EXPECT_EQ(tabs_->Page(i)->mapTo(tabs_, QPoint(0, 0)), origin) << i;
    EXPECT_GE(origin.y(), bar_->height());
    EXPECT_EQ(tabs_->Page(4), nullptr);
}

TEST_F(TabControlTest, MovesOverTheTabsAndAPageAreRaisedOnceInTwips)
{
    std::vector<std::pair<double, double>> moves;
    QObject::connect(tabs_, &TabControl::MouseMove,
                     [&moves](int, int, double x, double y) { moves.emplace_back(x, y); });
    QWidget* page = tabs_->Page(0);
    for (const auto& [target, at] : {std::pair<QWidget*, QPoint>{bar_, {5, 6}}, {page, {20, 30}}}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    const QPoint onPage = page->mapTo(tabs_, QPoint(20, 30));
    EXPECT_EQ(moves, (std::vector<std::pair<double, double>>{{75.0, 90.0}, {onPage.x() * 15.0, onPage.y() * 15.0}}));
}

} // namespace
