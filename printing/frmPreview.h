#pragma once
// The print preview: the report is drawn into page pictures (one per page,
// the size of an A4 sheet) while the window is hidden; the window then shows
// one third of a page at a time, with a scroll bar for the position on the
// page and buttons for the previous and the next page.
//
// The page pictures are drawing surfaces, not widgets. Only the page being
// drawn keeps its raw image; finished pages are kept as PNG and only the page
// on show is expanded again, so a long report stays small.
#include "platform/DrawingSurface.h"

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class PictureBox;
class QPushButton;
class QScrollBar;
class QWheelEvent;

class frmPreview : public QDialog {
    Q_OBJECT
public:
    // The one instance, created (and loaded, not shown) on first use.
    static frmPreview* Instance();
    static bool IsLoaded();
    // Shows the window modally until the user closes it.
    static int ShowForm();
    // Deletes the window (after it has been closed).
    static void Unload();

    PictureBox* picPreview = nullptr;
    QScrollBar* scrY = nullptr;
    std::array<QPushButton*, 3> cmdPage{};   // 1 "<<" previous page, 2 ">>" next page
    QPushButton* cmdClose = nullptr;

    // Index of the page picture shown: 0 is page 1.
    int CurrentPage = 0;

    // Page picture `index` (page index + 1). Asking for the element after the
    // last loads it: a new blank page, and the page before it is packed.
    // nullptr for any other index.
    DrawingSurface* picSource(int index);
    int picSourceCount() const;
    bool IsPageSource(const DrawingSurface* surface) const;
    // The drawing of a page picture; a null image outside the pages.
    QImage PageImage(int index);
    // Packs the page drawn last, once the report is complete.
    void PackPages();
    // Bytes the page pictures hold: raw images and packed pages.
    qint64 PageBytes() const;

    // Shows the current page shifted x units to the left (plus the 4 units of
    // the design) and scrolled to position y of the scroll bar.
    void ScrollImage(int x, int y);

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    void UpdatePageButtons();
    // Releases every page picture but a blank element 0 and clears the view.
    void ClearPages();
    void Form_Unload();
    void cmdPage_Click(int index);
    void scrY_Change();
    void cmdClose_Click();

    // Closing in any way unloads the pages.
    void done(int result) override;

protected:
    // One notch of the wheel, over the page or the scroll bar, moves the
    // scroll bar by its small step.
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmPreview();
    ~frmPreview() override;
    std::unique_ptr<DrawingSurface> NewPageSurface() const;
    void PackPage(int index);

    std::vector<std::unique_ptr<DrawingSurface>> sources_;
    std::vector<QByteArray> packed_;   // PNG of each finished page
    int expandedIndex_ = -1;           // page whose image `expanded_` holds
    QImage expanded_;
    int wheelDelta_ = 0;               // wheel turned since the last whole notch
};
