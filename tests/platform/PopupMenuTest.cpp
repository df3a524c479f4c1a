#include "platform/PopupMenu.h"
#include "support/ScriptedPresenter.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

TEST(PopupMenuTest, DefaultIsBoldOnlyWhileUpAndTheChoiceTriggersItsItem)
{
    QMenu menu;
    menu.setObjectName(QStringLiteral("mnuEdit"));
    QAction* first = menu.addAction(QStringLiteral("First"));
    first->setObjectName(QStringLiteral("mnuEdit_First"));
    QAction* second = menu.addAction(QStringLiteral("Second"));
    second->setObjectName(QStringLiteral("mnuEdit_Second"));
    int secondRuns = 0;
    QObject::connect(second, &QAction::triggered, [&] { ++secondRuns; });

    RecordingPopupRunner runner;
    QAction* defaultWhileUp = nullptr;
    runner.Choose(QStringLiteral("mnuEdit_Second"));
    QObject::connect(second, &QAction::triggered, [&] { defaultWhileUp = menu.defaultAction(); });
    PopupMenu(&menu, first);
    EXPECT_EQ(defaultWhileUp, first);
    EXPECT_EQ(menu.defaultAction(), nullptr);
    EXPECT_EQ(secondRuns, 1);

    second->setEnabled(false);
    runner.Choose(QStringLiteral("mnuEdit_Second"));
    PopupMenu(&menu);
    EXPECT_EQ(secondRuns, 1);
    ASSERT_EQ(runner.Popped.size(), 2u);
    EXPECT_EQ(runner.Popped[0].DefaultItem, QStringLiteral("mnuEdit_First"));
    EXPECT_EQ(runner.Popped[1].DefaultItem, QString());
    PopupMenu(nullptr, first);
    EXPECT_EQ(runner.Popped.size(), 2u);
}

} // namespace
