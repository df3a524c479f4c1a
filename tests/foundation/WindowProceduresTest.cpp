#include "foundation/modWindow.h"
#include "platform/TextInput.h"
#include "platform/PictureBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(WindowProceduresTest, ListsShowElementsOneToTheEndWithoutACurrentItem)
{
    QComboBox combo;
    combo.addItem(QStringLiteral("old"));
    FillListFromArray({QStringLiteral("never shown"), QStringLiteral("A"), QStringLiteral("B")}, &combo);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("A"));
    EXPECT_EQ(combo.currentIndex(), -1);

    FillListFromArray({QStringLiteral("only element 0")}, &combo);
    EXPECT_EQ(combo.count(), 0);

    QListWidget list;
    std::vector<Style> styles(3);
    styles[1].Name = QStringLiteral("Denim");
    styles[2].Name = QStringLiteral("airbag 470");
    FillListWithStyles(styles, &list);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("airbag 470"));
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("Denim"));
    EXPECT_EQ(list.currentRow(), -1);
}

TEST(WindowProceduresTest, TypedTextIsCutToItsLimitWithTheCaretKept)
{
    QLineEdit field;
    const QString text35(35, u'x');
    field.setText(text35);
    field.setCursorPosition(10);
    LimitTextLength(&field, 35);
    EXPECT_EQ(field.text(), text35);
    EXPECT_EQ(field.cursorPosition(), 10);

    field.setText(QStringLiteral("abcdefghij") + QString(26, u'y'));   // 36 characters
    field.setCursorPosition(4);
    const int beeps = InputBeepCount();
    LimitTextLength(&field, 35);
    EXPECT_EQ(InputBeepCount(), beeps + 1);
    EXPECT_EQ(field.text(), QStringLiteral("abcdefghij") + QString(25, u'y'));
    EXPECT_EQ(field.cursorPosition(), 4);

    // A caret behind the cut goes to the new end.
    field.setText(QString(36, u'z'));
    field.setCursorPosition(36);
    LimitTextLength(&field, 35);
    EXPECT_EQ(field.cursorPosition(), 35);

    // With the text-input helper on the box, typing never gets past the limit,
    // so the procedure finds nothing to cut and does not beep a second time.
    QLineEdit helped;
    InstallTextInput(&helped, 35);
    helped.setText(QString(35, u'x'));
    helped.insert(QStringLiteral("y"));
    const int afterTyping = InputBeepCount();
    LimitTextLength(&helped, 35);
    EXPECT_EQ(helped.text(), QString(35, u'x'));
    EXPECT_EQ(InputBeepCount(), afterTyping);
}

class ReadOutLabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.setFrameStyle(QFrame::NoFrame);
        box.resize(200, 100);
        label = new QLabel(&box);
    }
    PictureBox box;
    QLabel* label = nullptr;
};

TEST_F(ReadOutLabelTest, TheLabelIsCentredAboveThePointBelowNearTheTopAndWithinThePicture)
{
    box.Surface().Scale(0, 0, 200, 100);   // one unit per pixel, y down
    ShowLabelAt(100, 80, QStringLiteral("12.3"), label);
    EXPECT_EQ(label->text(), QStringLiteral(" 12.3 "));
    EXPECT_TRUE(label->isVisibleTo(&box));
    EXPECT_NEAR(label->x(), 100 - label->width() / 2.0, 1.0);
    EXPECT_NEAR(label->y(), 80 - 1.5 * label->height(), 1.0);

    ShowLabelAt(100, 5, QStringLiteral("7"), label);
    EXPECT_NEAR(label->y(), 5 + 0.5 * label->height(), 1.0);
    ShowLabelAt(0, 80, QStringLiteral("left edge"), label);
    EXPECT_EQ(label->x(), 0);
    ShowLabelAt(200, 80, QStringLiteral("right edge"), label);
    EXPECT_EQ(label->x() + label->width(), 200);

    // With y growing upward, y = 2 is 80 pixels from the top: still above the point on screen.
    box.Surface().Scale(0, 10, 20, 0);
    ShowLabelAt(10, 2, QStringLiteral("x"), label);
    EXPECT_NEAR(label->y(), 80 - 1.5 * label->height(), 1.0);
    EXPECT_NEAR(label->x() + label->width() / 2.0, 100, 1.0);   // x = 10 is 100 pixels from the left

    // Hiding leaves a hidden label without caption.
    HideLabel(label);
    EXPECT_FALSE(label->isVisibleTo(&box));
    EXPECT_TRUE(label->text().isEmpty());
}

TEST(WindowProceduresTest, DelayWaitsItsTimeWithoutHandlingEvents)
{
    bool handled = false;
    QTimer::singleShot(0, [&handled] { handled = true; });
    QElapsedTimer clock;
    clock.start();
    Delay(30);
    EXPECT_GT(clock.elapsed(), 30);
    // The timer was due all the time, but no event was handled during the wait.
    EXPECT_FALSE(handled);
    QCoreApplication::processEvents();
    EXPECT_TRUE(handled);
}

} // namespace
