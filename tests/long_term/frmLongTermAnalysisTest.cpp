#include "LongTermWindowFixture.h"

#include "long_term/LongTermChart.h"
#include "platform/Colors.h"
#include "platform/LoadedForms.h"
#include "platform/TabControl.h"
#include "platform/TextInput.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <functional>

namespace {

class LongTermWindowTest : public LongTermWindowFixture {
protected:
    // Three reports of Denim: 11.5, 12.5 and 17.5 N in the mean.
    frmLongTermAnalysis* Searched()
    {
        Store(QStringLiteral("a.QTA"), Denim(0, {11, 12}));
        Store(QStringLiteral("b.QTA"), Denim(1, {12, 13}));
        Store(QStringLiteral("c.QTA"), Denim(2, {17, 18}));
        frmLongTermAnalysis* w = Open();
        ChooseTensile(w);
        w->cmdSearch_Click();
        return w;
    }
    static void ChooseTensile(frmLongTermAnalysis* w)
    {
        w->cboProperty->setCurrentIndex(w->cboProperty->findText(QStringLiteral("Tensile Strength")));
        w->cboProperty_Click();
    }
    static bool ChartBlank(frmLongTermAnalysis* w)
    {
        const QImage& image = w->picCurve[1]->Surface().Image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (FromQColor(QColor(image.pixel(x, y))) != vbWhite)
                    return false;
        return true;
    }
    // The pixel of report k's point on chart 1, in the chart's scale.
    static QPointF PointOf(frmLongTermAnalysis* w, int k)
    {
        const LongTermMark mark = LongTermMarkOf(w->Analysis.Found[static_cast<size_t>(k)], 1, false);
        return QPointF(k, mark.Mean);
    }
};

TEST_F(LongTermWindowTest, OpensInPlaceOfTheMainWindowAndClosesBackToIt)
{
    const std::function<void(frmLongTermAnalysis*)> ways[] = {
        [](frmLongTermAnalysis* w) { w->close(); },
        [](frmLongTermAnalysis* w) { w->mnuFile_Exit->trigger(); },
        [](frmLongTermAnalysis* w) { w->mnuFunction_Measure->trigger(); },
    };
    for (const auto& way : ways) {
        SearchPatterns[0].DateFrom = 40000;
        frmLongTermAnalysis* w = Open();
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(Main->isHidden());
        EXPECT_FALSE(w->mnuFunction_LongTermAnalysis->isEnabled());
        EXPECT_EQ(w->Width(), Main->Width());
        ChooseTensile(w);
        w->cboReference[3]->setEditText(QStringLiteral(" Roll "));
        way(w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmLongTermAnalysis::IsLoaded());
        EXPECT_TRUE(Main->isVisible());
        // The filters as they stood are pattern 0; its dates stay.
        EXPECT_EQ(SearchPatterns[0], (SearchPattern{9, QStringLiteral("Denim"), QStringLiteral("*"),
                                                    QStringLiteral(" Roll "), QStringLiteral("*"), QStringLiteral("*"),
                                                    40000, 0, 0, 0}));
    }

    // The program ending with the window open unloads it without showing
    // the main window again.
    Open();
    UnloadFormsExcept(QStringLiteral("frmMain"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmLongTermAnalysis::IsLoaded());
    EXPECT_TRUE(Main->isHidden());
}

TEST_F(LongTermWindowTest, AClickIntoAReferenceOrOperatorBoxSelectsItsText)
{
    frmLongTermAnalysis* w = Open();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    for (QComboBox* box : {w->cboReference[2], w->cboReference[4], w->cboOperator}) {
        w->cboStyle->setFocus();
        QLineEdit* text = box->lineEdit();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 3, text->height() / 2));
        QApplication::processEvents();
        QTest::keyClicks(text, QStringLiteral("z"));
        EXPECT_EQ(box->currentText(), QStringLiteral("z")) << box->objectName().toStdString();
    }
}

TEST_F(LongTermWindowTest, YearListsFollowTheClock)
{
    SetFixedClock(DateSerial(1995, 3, 15) + TimeSerial(9, 0, 0));
    DateFormat = 2;
    frmLongTermAnalysis* w = Open();
    EXPECT_EQ(w->cboYear[1]->itemText(w->cboYear[1]->count() - 1), QStringLiteral("1999"));
    EXPECT_LT(w->cboMonth[2]->x(), w->cboDay[2]->x());   // date format 2: month first
    // The boxes start at the first listed year and end today, 23:59.
    const SearchPattern c = w->BuildSearchCriteria();
    EXPECT_EQ(c.DateFrom, DateSerial(1990, 1, 1));
    EXPECT_EQ(c.DateTo, DateSerial(1999, 3, 15));
    EXPECT_DOUBLE_EQ(c.TimeTo, TimeSerial(23, 59, 59));
}

TEST_F(LongTermWindowTest, StyleWithoutPropertiesAndPatternOfAGoneStyle)
{
    frmLongTermAnalysis* w = Open();
    w->cboStyle->setCurrentIndex(w->cboStyle->findText(QStringLiteral("Empty")));
    w->cboStyle_Click();
    EXPECT_EQ(w->PropertyCode, 0);
    EXPECT_FALSE(w->cmdSearch->isEnabled());

    SearchPatterns.push_back({9, QStringLiteral("Gone"), QStringLiteral("A[#]1"), QStringLiteral("*"),
                              QStringLiteral("*"), QStringLiteral("*"), 0, 0, 0, 0});
    w->SetPatternMenuItem(SearchPatterns[1], 1);
    w->mnuPattern_Item_Click(1);
    EXPECT_EQ(w->cboStyle->currentIndex(), -1);
    EXPECT_EQ(w->PropertyCode, 0);
    EXPECT_EQ(w->cboReference[2]->currentText(), QStringLiteral("A#1"));
    EXPECT_FALSE(w->cmdSearch->isEnabled());
}

TEST_F(LongTermWindowTest, SearchShowsChartsGridsAndSerialNumber)
{
    frmLongTermAnalysis* w = Searched();
    ASSERT_TRUE(w->ResultsShown);
    EXPECT_TRUE(Presenter.Shown.empty());
    EXPECT_EQ(w->Analysis.Found.size(), 4u);
    EXPECT_FALSE(w->pgbProgress->isVisible());
    EXPECT_EQ(w->grdAvg->TextMatrix(0, 0), QStringLiteral("13.8"));
    EXPECT_EQ(w->lblSerialNumberE->text(), QStringLiteral("123"));
    EXPECT_TRUE(w->cmdPrint->isEnabled());
    // Report 3 lies above the scale of 8 to 16: in the upper strip, red.
    EXPECT_EQ(w->picUCatchAll[1]->Surface().Point(3, 1), vbRed);
    EXPECT_EQ(w->picCurve[2]->Surface().Point(2, 2), vbBlack);

    // A search that finds nothing: message 33, nothing shown.
    w->cboOperator->setEditText(QStringLiteral("Nobody"));
    w->cmdSearch_Click();
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("No matching data found!"));
    EXPECT_FALSE(w->ResultsShown);
    EXPECT_FALSE(w->cmdPrint->isEnabled());
}

TEST_F(LongTermWindowTest, EveryFilterChangeEmptiesTheResults)
{
    const std::pair<const char*, std::function<void(frmLongTermAnalysis*)>> changes[] = {
        {"style", [](frmLongTermAnalysis* w) { w->cboStyle_Click(); }},
        {"property", [](frmLongTermAnalysis* w) { w->cboProperty_Click(); }},
        {"reference typed", [](frmLongTermAnalysis* w) { QTest::keyClicks(w->cboReference[2]->lineEdit(), "x"); }},
        {"reference chosen", [](frmLongTermAnalysis* w) { w->cboReference_Click(4); }},
        {"operator typed", [](frmLongTermAnalysis* w) { QTest::keyClicks(w->cboOperator->lineEdit(), "x"); }},
        {"year chosen", [](frmLongTermAnalysis* w) { emit w->cboYear[2]->activated(0); }},
        {"minute chosen", [](frmLongTermAnalysis* w) { emit w->cboMinute[1]->activated(3); }},
    };
    frmLongTermAnalysis* w = Searched();
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        w->cmdSearch_Click();
        ASSERT_TRUE(w->ResultsShown);
        change(w);
        EXPECT_FALSE(w->ResultsShown);
        EXPECT_TRUE(w->grdAvg->TextMatrix(0, 0).isEmpty());
        EXPECT_TRUE(ChartBlank(w));
        // The charts no longer answer the pointer.
        w->picCurve_MouseMove(1, 0, 0, 1, 11.5);
        EXPECT_FALSE(w->lblCoordinate[1]->isVisible());
        w->cboOperator->setEditText(QStringLiteral("*"));
        w->cboReference[2]->setEditText(QStringLiteral("*"));
        ChooseTensile(w);
    }
}

TEST_F(LongTermWindowTest, ReadOutPointerAndClick)
{
    frmLongTermAnalysis* w = Searched();
    // Between two reports the read-out names the nearer one, halves to even.
    w->picCurve_MouseMove(1, 0, 0, 2.5, 12);
    EXPECT_TRUE(w->lblCoordinate[1]->isVisible());
    EXPECT_EQ(w->lblCoordinate[1]->text(), QStringLiteral(" 05.01.2011, 12:00:00 / 12.0 N "));
    EXPECT_NE(w->picCurve[1]->cursor().shape(), Qt::UpArrowCursor);
    const QPointF point = PointOf(w, 1);
    w->picCurve_MouseMove(1, 0, 0, point.x(), point.y());
    EXPECT_EQ(w->picCurve[1]->cursor().shape(), Qt::UpArrowCursor);
    // Any other control hides it.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w->grdAvg->viewport(), &move);
    EXPECT_FALSE(w->lblCoordinate[1]->isVisible());
    w->picCurve_MouseMove(1, 0, 0, 9, 12);   // past the last report
    EXPECT_FALSE(w->lblCoordinate[1]->isVisible());

    // A click beside a point opens nothing; on a point the detail window.
    w->picCurve_MouseUp(1, 1, 0, 1.5, 15);
    EXPECT_TRUE(Dialogs.Ran.empty());
    // Cancelled: no new search, even though a report went meanwhile.
    Dialogs.Then([this](QDialog&) { QFile::remove(StyleFolder(QStringLiteral("Denim")) + QStringLiteral("/b.QTA")); });
    w->picCurve_MouseUp(1, 1, 0, point.x(), point.y());
    ASSERT_EQ(Dialogs.Ran, std::vector<QString>{QStringLiteral("frmDetail")});
    EXPECT_EQ(w->Analysis.Found.size(), 4u);
    EXPECT_TRUE(w->Tag.isEmpty());
    // Changed and written: searched again.
    Dialogs.Then([](QDialog& d) {
        auto& detail = static_cast<frmDetail&>(d);
        detail.cmdModify_Click();
        QTest::keyClicks(detail.cboOperator->lineEdit(), "s");
        detail.cmdOK_Click();
    });
    w->picUCatchAll_MouseUp(1, 1, 0, 3, 1);
    EXPECT_EQ(Dialogs.Ran.size(), 2u);
    EXPECT_EQ(w->Analysis.Found.size(), 3u);
    EXPECT_TRUE(w->ResultsShown);
}

TEST_F(LongTermWindowTest, SavedPatterns)
{
    frmLongTermAnalysis* w = Open();
    ChooseTensile(w);
    w->cboReference[2]->setEditText(QStringLiteral("A#1 & more"));
    w->mnuPattern_Add_Click();
    ASSERT_EQ(SearchPatterns.size(), 2u);
    EXPECT_EQ(w->mnuPattern_Item[1]->text(), QStringLiteral("&1 Tensile Strength | Denim | A[#]1.. | * | * | * | "));

    // Applied: the boxes show the text as typed; the results go.
    w->cboReference[2]->setEditText(QStringLiteral("other"));
    w->cboStyle->setCurrentIndex(w->cboStyle->findText(QStringLiteral("Empty")));
    w->cboStyle_Click();
    w->mnuPattern_Item_Click(1);
    EXPECT_EQ(w->cboStyle->currentText(), QStringLiteral("Denim"));
    EXPECT_EQ(w->cboReference[2]->currentText(), QStringLiteral("A#1 & more"));
    EXPECT_TRUE(w->mnuPattern_Item[1]->isChecked());
    w->mnuPattern_Click();
    w->mnuPattern_Remove_Click();
    EXPECT_EQ(SearchPatterns.size(), 1u);
    EXPECT_FALSE(w->mnuPattern_Item[1]->isVisible());
}

TEST_F(LongTermWindowTest, LeastSizeAndRedrawAfterResize)
{
    frmLongTermAnalysis* w = Searched();
    w->resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(w->Width(), 12120);
    EXPECT_GE(w->Height(), 9150);
    const int before = w->picCurve[1]->width();
    w->resize(w->width() + 150, w->height() + 60);
    QApplication::processEvents();
    EXPECT_EQ(w->picCurve[1]->width(), before + 150);
    EXPECT_EQ(w->cmdSearch->geometry().right(), w->centralWidget()->width() - 5);
    // The charts are drawn again in their new size.
    const QPointF point = PointOf(w, 1);
    EXPECT_EQ(w->picCurve[1]->Surface().Point(point.x(), point.y()), vbBlack);
    EXPECT_EQ(w->picCurve[1]->Surface().Image().width(), w->picCurve[1]->contentsRect().width());
}

}  // namespace
