#include "platform/ListClick.h"

#include "platform/SortedList.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

namespace {

// One Click per user click or arrow key, none for the program's changes nor
// for the focus arriving; checked step by step on a shown list.
TEST(ListClickTest, OneClickPerUserChoiceAndNoneForFocusOrProgram)
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* list = new QListWidget(&window);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(list);
    int clicks = 0;
    ConnectListClick(list, [&clicks] { ++clicks; });
    FillSorted(list, {QStringLiteral("d"), QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
    window.show();
    QApplication::processEvents();

    auto click = [list](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
    };
    auto tabInto = [edit, list] {
        edit->setFocus(Qt::TabFocusReason);
        list->setFocus(Qt::TabFocusReason);
    };
    const struct {
        const char* what;
        std::function<void()> act;
        int clicks;
        int current;
        int selected;
    } steps[] = {
        // Qt would make the first entry current and so "click" it.
        {"focus without a current entry", tabInto, 0, -1, 0},
        {"arrow key", [list] { QTest::keyClick(list, Qt::Key_Down); }, 1, 0, 1},
        {"click on another entry", [&] { click(2); }, 1, 2, 1},
        {"click on the current entry", [&] { click(2); }, 1, 2, 1},
        {"Ctrl+click", [&] { click(3, Qt::ControlModifier); }, 1, 3, 2},
        {"program insert", [list] { InsertSorted(list, QStringLiteral("bb")); }, 0, 4, 2},
        {"program removal", [list] { RemoveSelectedEntries(list); }, 0, -1, 0},
        {"focus again", tabInto, 0, -1, 0},
        {"selection kept on focus", [&] { list->selectAll(); tabInto(); }, 0, -1, 3},
        {"program fill", [list] { FillSorted(list, {QStringLiteral("x")}); }, 0, -1, 0},
    };
    for (const auto& step : steps) {
        clicks = 0;
        step.act();
        EXPECT_EQ(clicks, step.clicks) << step.what;
        EXPECT_EQ(list->currentRow(), step.current) << step.what;
        EXPECT_EQ(list->selectedItems().size(), step.selected) << step.what;
    }
}

} // namespace
