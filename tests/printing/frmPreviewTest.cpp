#include "printing/frmPreview.h"

#include "support/PrintFixture.h"
#include "platform/PictureBox.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

Protocol AreaWeightSeries(int tests)
{
    Protocol series = EmptySeries();
    AddAreaWeight(series, 1, AreaWeights(tests));
    return series;
}

frmPreview& Preview(QDialog& dialog)
{
    return static_cast<frmPreview&>(dialog);
}

} // namespace

class PreviewTest : public PrintFixture {};

TEST_F(PreviewTest, PageButtonsFollowThePageAndANewPageShowsItsTop)
{
    struct Row {
        int tests;
        int pages;
    };
    const Row rows[] = {{3, 1}, {80, 2}, {200, 4}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tests);
        ScriptedDialogRunner runner;
        runner.Then([&](QDialog& dialog) {
            frmPreview& f = Preview(dialog);
            ASSERT_EQ(f.picSourceCount(), row.pages);
            EXPECT_TRUE(f.isVisible());
            for (int page = 0; page < row.pages; ++page) {
                EXPECT_EQ(f.CurrentPage, page);
                EXPECT_EQ(f.cmdPage[1]->isEnabled(), page >= 1) << page;
                EXPECT_EQ(f.cmdPage[2]->isEnabled(), page < row.pages - 1) << page;
                f.scrY->setValue(40);
                if (f.cmdPage[2]->isEnabled()) {
                    f.cmdPage[2]->click();
                    EXPECT_EQ(f.scrY->value(), 0);
                }
            }
            f.cmdPage[1]->click();
            EXPECT_EQ(f.CurrentPage, std::max(row.pages - 2, 0));
        });
        ptrPreviewTestReport(AreaWeightSeries(row.tests));
        EXPECT_EQ(runner.Ran, std::vector<QString>{QStringLiteral("frmPreview")});
    }
    EXPECT_FALSE(frmPreview::IsLoaded());
}

// The view is a third of the page, shifted 4 units left: the frame's left
// line at x 10 shows at 6. The scroll bar moves it by thirds; from about 66.7
// on, blank paper comes into view.
TEST_F(PreviewTest, ScrollingShowsThePageByThirds)
{
    ScriptedDialogRunner runner;
    runner.Then([&](QDialog& dialog) {
        frmPreview& f = Preview(dialog);
        DrawingSurface& view = f.picPreview->Surface();
        EXPECT_EQ(view.Image().size(), QSize(794, 374));
        struct Row {
            int position;
            double pageY;   // a page line that shows; -1 for a blank view
        };
        const Row rows[] = {{0, 20}, {0, 45}, {30, 60}, {66, 120}, {100, -1}};
        for (const Row& row : rows) {
            SCOPED_TRACE(row.position);
            f.scrY->setValue(row.position);
            if (row.pageY < 0) {
                EXPECT_EQ(CountColour(view.Image(), vbWhite), 794 * 374);
                continue;
            }
            const double viewY = row.pageY * 3 - row.position * 141.0 / 100 * 3;
            EXPECT_TRUE(ColourNear(view, 6, viewY, vbBlack)) << viewY;
            EXPECT_TRUE(ColourNear(view, 93, viewY, vbBlack)) << viewY;
            EXPECT_FALSE(ColourNear(view, 95, viewY, vbBlack, 3)) << viewY;
        }
    });
    ptrPreviewTestReport(AreaWeightSeries(50));
}

TEST_F(PreviewTest, EachPreviewShowsOnlyItsOwnPages)
{
    QImage firstPage;
    ScriptedDialogRunner runner;
    runner.Then([&](QDialog& dialog) {
        EXPECT_EQ(Preview(dialog).picSourceCount(), 4);
        firstPage = Preview(dialog).PageImage(0);
    });
    runner.Then([&](QDialog& dialog) {
        frmPreview& f = Preview(dialog);
        EXPECT_EQ(f.picSourceCount(), 1);
        EXPECT_EQ(f.CurrentPage, 0);
        EXPECT_FALSE(f.cmdPage[1]->isEnabled());
        EXPECT_FALSE(f.cmdPage[2]->isEnabled());
        EXPECT_NE(f.PageImage(0), firstPage);
        // Escape closes the window and lets its pages go.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(f.picSourceCount(), 1);
        EXPECT_EQ(OutputObject, nullptr);
    });
    ptrPreviewTestReport(AreaWeightSeries(200));
    ptrPreviewTestReport(AreaWeightSeries(3));
    EXPECT_EQ(runner.Ran.size(), 2u);
    EXPECT_FALSE(frmPreview::IsLoaded());
}

// Finished pages are kept packed and come back pixel for pixel.
TEST_F(PreviewTest, PagesArePackedWithoutLoss)
{
    frmPreview* f = frmPreview::Instance();
    DrawingSurface* first = f->picSource(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Image().size(), QSize(794, 1123));
    first->Scale(0, 0, 100, 141);
    first->BoxFilled(10, 10, 50, 50, vbRed);
    first->Circle(70, 70, 5, vbBlue);
    const QImage drawn = first->Image().copy();
    EXPECT_EQ(f->picSource(2), nullptr);   // pages are loaded one after the other
    EXPECT_EQ(f->picSource(-1), nullptr);
    DrawingSurface* second = f->picSource(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(f->picSource(1), second);
    EXPECT_TRUE(first->Image().isNull());
    EXPECT_EQ(f->PageImage(0), drawn);
    EXPECT_TRUE(f->IsPageSource(second));
    EXPECT_TRUE(f->PageImage(2).isNull());
    frmPreview::Unload();
    EXPECT_FALSE(frmPreview::IsLoaded());
}

TEST_F(PreviewTest, CaptionsByLanguageAndButtonsWithoutDefault)
{
    struct Row {
        int16_t language;
        const char* title;
        const char* close;
    };
    const Row rows[] = {{1, "Vorschau", "&Schliessen"}, {2, "Preview", "&Close"}, {3, "Prévision", "&Fermer"},
                        {4, "Previsione", "&Chiudere"}, {5, "Vista previa", "&Cerrar"}, {6, " ", "&"}};
    frmPreview* f = frmPreview::Instance();
    for (const Row& row : rows) {
        f->SetCaptions(row.language);
        EXPECT_EQ(f->windowTitle(), QString::fromUtf8(row.title));
        EXPECT_EQ(f->cmdClose->text(), QString::fromUtf8(row.close));
    }
    EXPECT_EQ(f->cmdPage[1]->text(), QStringLiteral("<<"));
    EXPECT_EQ(f->cmdPage[2]->text(), QStringLiteral(">>"));
    for (const QPushButton* button : {f->cmdPage[1], f->cmdPage[2], f->cmdClose})
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    // The page in 100 steps, a tenth of it a page step.
    EXPECT_EQ(f->scrY->singleStep(), 2);
    EXPECT_EQ(f->scrY->pageStep(), 10);
    EXPECT_EQ(f->scrY->maximum(), 100);
    // A fixed size and nothing to maximise; a notch of the wheel, over the
    // page or the scroll bar, is one small step.
    f->show();
    EXPECT_EQ(f->minimumSize(), f->maximumSize());
    EXPECT_FALSE(f->windowFlags() & Qt::WindowMaximizeButtonHint);
    for (QWidget* target : {static_cast<QWidget*>(f->picPreview), static_cast<QWidget*>(f->scrY)}) {
        f->scrY->setValue(10);
        for (const int delta : {-120, -120, 120}) {
            QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(target, &wheel);
        }
        EXPECT_EQ(f->scrY->value(), 12) << target->objectName().toStdString();
    }
    frmPreview::Unload();
}
