// The long-term window's charts: drawing, the read-out under the pointer, the
// pointer over a point and the click that opens a found report in the detail
// window.
#include "long_term/frmLongTermAnalysis.h"

#include "foundation/modWindow.h"
#include "long_term/LongTermChart.h"
#include "long_term/frmDetail.h"
#include "long_term/modLongTermDisplay.h"
#include "long_term/modLongTermSearch.h"
#include "platform/PictureBox.h"

#include <QLabel>

namespace {

constexpr int LeftButton = 1;

} // namespace

int32_t frmLongTermAnalysis::HitCount() const
{
    return Analysis.Found.empty() ? 0 : static_cast<int32_t>(Analysis.Found.size() - 1);
}

void frmLongTermAnalysis::DrawCurve(const LongTermAnalysis& analysis, int result)
{
    if (result != 1 && result != 2)
        return;
    const size_t r = static_cast<size_t>(result);
    const std::string& styleHeader =
        SelectedStyle.Tests[static_cast<size_t>(std::max<int16_t>(PropertyCode, 1))].HeaderImage;
    DrawLongTermChart(analysis, result, styleHeader, picUCatchAll[r]->Surface(),
                      picCurve[r]->Surface(), picLCatchAll[r]->Surface());
}

void frmLongTermAnalysis::HideReadOuts()
{
    for (size_t r = 1; r <= 2; ++r)
        if (lblCoordinate[r] && lblCoordinate[r]->isVisible())
            HideLabel(lblCoordinate[r]);
}

void frmLongTermAnalysis::picCurve_MouseMove(int index, int, int, double x, double y)
{
    if (!ResultsShown || (index != 1 && index != 2))
        return;
    const size_t r = static_cast<size_t>(index);
    const int32_t k = LongTermPointIndex(x, HitCount());
    if (k == 0) {
        HideLabel(lblCoordinate[r]);
        return;
    }
    const std::string& styleHeader =
        SelectedStyle.Tests[static_cast<size_t>(std::max<int16_t>(PropertyCode, 1))].HeaderImage;
    const QString unit = LongTermReadOutUnit(styleHeader, index, IsPassFailResult(Analysis.Definition, index));
    ShowLabelAt(x, y, LongTermReadOutText(Analysis.Found[static_cast<size_t>(k)].Date, y, unit),
                lblCoordinate[r]);
    if (HitTestCurvePoint(picCurve[r]->Surface(), x, y))
        picCurve[r]->setCursor(Qt::UpArrowCursor);
    else
        picCurve[r]->unsetCursor();
}

void frmLongTermAnalysis::StripMouseMove(PictureBox* strip, int index, double x, double y)
{
    HideReadOuts();
    if (!ResultsShown || (index != 1 && index != 2))
        return;
    if (LongTermPointIndex(x, HitCount()) != 0 && HitTestCurvePoint(strip->Surface(), x, y))
        strip->setCursor(Qt::UpArrowCursor);
    else
        strip->unsetCursor();
}

void frmLongTermAnalysis::picLCatchAll_MouseMove(int index, int, int, double x, double y)
{
    StripMouseMove(index == 1 || index == 2 ? picLCatchAll[static_cast<size_t>(index)] : nullptr, index, x, y);
}

void frmLongTermAnalysis::picUCatchAll_MouseMove(int index, int, int, double x, double y)
{
    StripMouseMove(index == 1 || index == 2 ? picUCatchAll[static_cast<size_t>(index)] : nullptr, index, x, y);
}

void frmLongTermAnalysis::ChartMouseUp(PictureBox* picture, int, int button, double x, double y)
{
    if (button != LeftButton || !ResultsShown || !picture || !HitTestCurvePoint(picture->Surface(), x, y))
        return;
    // The edge of the first or last dot lies past the first or last report.
    const int32_t k = LongTermPointIndex(x, HitCount());
    if (k != 0)
        ShowTestDetail(k);
}

void frmLongTermAnalysis::picCurve_MouseUp(int index, int button, int, double x, double y)
{
    ChartMouseUp(index == 1 || index == 2 ? picCurve[static_cast<size_t>(index)] : nullptr, index, button, x, y);
}

void frmLongTermAnalysis::picLCatchAll_MouseUp(int index, int button, int, double x, double y)
{
    ChartMouseUp(index == 1 || index == 2 ? picLCatchAll[static_cast<size_t>(index)] : nullptr, index, button, x, y);
}

void frmLongTermAnalysis::picUCatchAll_MouseUp(int index, int button, int, double x, double y)
{
    ChartMouseUp(index == 1 || index == 2 ? picUCatchAll[static_cast<size_t>(index)] : nullptr, index, button, x, y);
}

void frmLongTermAnalysis::ShowTestDetail(int32_t position)
{
    if (position < 1 || position > HitCount())
        return;
    const FoundProtocol& found = Analysis.Found[static_cast<size_t>(position)];
    Tag = MakeHandOver(PropertyCode, found.Block, found.Path);
    HideReadOuts();
    Tag = frmDetail::ShowForm(Tag);
    repaint();
    if (Tag == QStringLiteral("True"))
        cmdSearch_Click();
    Tag.clear();
}
