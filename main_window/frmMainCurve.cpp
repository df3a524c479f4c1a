// The main window's curve thumbnail: every curve of the current property on
// the scale of the first one that can be drawn, the axis maxima beside it,
// and the read-out of the point under the pointer.
#include "main_window/frmMain.h"

#include "curves/modABTCurve.h"
#include "curves/modPDRCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "platform/PictureBox.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace {

// The airbag curve's page that the thumbnail shows: flow over pressure.
constexpr int ThumbnailPage = 3;
constexpr int PressureDropTestType = 17;
constexpr int AirbagTestType = 18;

// The instrument family of the pressure-drop testers, at positions 2 to 6 of
// a data string: a curve text holding it is a reading, not a file name.
bool IsPressureDropText(const std::string& curveText)
{
    return curveText.size() >= 6 && curveText.compare(1, 5, "KR 64") == 0;
}

int16_t ToInteger(double value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(CLng(value), -32768, 32767));
}

// The evaluation range of a curve: parameter 3 of its data string, "start/end"
// (a blank or foreign text reads 0), the smaller number first.
AbtOptions EvaluationRange(const DataStringRecord& header)
{
    const QString range = header.Parameter3;
    const qsizetype slash = range.indexOf(QLatin1Char('/'));
    AbtOptions options;
    options.LowerLimit = ToInteger(Val(slash < 0 ? range : range.left(slash)));
    options.UpperLimit = ToInteger(slash < 0 ? 0.0 : Val(range.mid(slash + 1)));
    if (options.LowerLimit > options.UpperLimit)
        SwapVariants(options.LowerLimit, options.UpperLimit);
    return options;
}

const Protocol* ShownSeries()
{
    if (CurrentProtocol < 0 || static_cast<size_t>(CurrentProtocol) >= Protocols.size())
        return nullptr;
    return &Protocols[static_cast<size_t>(CurrentProtocol)];
}

const PropertyBlock* CurrentBlock(const Protocol& series)
{
    const int property = series.CurrentProperty;
    if (property < 1 || property > PropertyCount)
        return nullptr;
    return &series.Blocks[static_cast<size_t>(property)];
}

QString Joined(const QString& number, const QString& unit)
{
    return number + QStringLiteral(" ") + unit;
}

// What tells one file from another under the same name: a curve file is
// written once, so a change means it was replaced or removed.
struct FileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    // Seconds and nanoseconds apart: in one count of nanoseconds a time
    // after 2262 would not fit 64 bits.
    time_t ModifiedSeconds = 0;
    long ModifiedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return FileStamp{};
    return FileStamp{true, info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

// One airbag curve file read and evaluated as the thumbnail draws it.
struct ThumbnailCurve {
    FileStamp Stamp;
    bool Drawable = false;   // a valid curve file
    ABTCurve Curve;
    AbtEvaluation Evaluation{};
    AbtOptions Range;
    uint64_t Serial = 0;     // which evaluation of the cache this is
};

} // namespace

// Reading and evaluating every curve again made each redraw cost as much as
// the first; the evaluations depend on nothing but the files, so they are
// kept for the property shown, by name, and checked against the file.
struct frmMain::ThumbnailCache {
    QString Folder;
    const Protocol* Series = nullptr;
    double SeriesDate = 0;
    int Property = 0;
    std::map<std::string, ThumbnailCurve> Curves;
    uint64_t NextSerial = 1;
    // Drawing a thousand curves costs as much as evaluating them, so the
    // airbag picture is kept as well: the picture before and after the
    // drawing, and the evaluations drawn, in order. The same picture before
    // and the same curves show it again; curves added after them (a new
    // test) are drawn on top of it, as they would be after the others.
    QImage Before;
    QImage After;
    std::vector<uint64_t> Drawn;
    double EndX = 0;   // CurrentX and CurrentY after the drawing
    double EndY = 0;
};

namespace {

// The evaluated curve of the file, from the cache while its file is the one
// evaluated; otherwise read and evaluated anew.
const ThumbnailCurve& EvaluatedCurve(std::map<std::string, ThumbnailCurve>& curves, const std::string& fileName,
                                     uint64_t& nextSerial)
{
    const QString name = FromCp1252(fileName);
    const FileStamp stamp = StampOf(JoinPath(DataFolder, name));
    auto found = curves.find(fileName);
    if (found != curves.end() && found->second.Stamp == stamp && stamp.Exists)
        return found->second;
    ThumbnailCurve& entry = curves[fileName];
    entry = ThumbnailCurve{};
    entry.Stamp = stamp;
    entry.Serial = nextSerial++;
    if (!abtIsAirbagFile(DataFolder, name))
        return entry;
    entry.Drawable = true;
    entry.Curve = abtFileGet(DataFolder, name);
    entry.Range = EvaluationRange(ParseDataString(entry.Curve.Header));
    abtEvaluatePulse(entry.Curve, entry.Evaluation, entry.Range);
    abtCalcFlow(entry.Curve, entry.Evaluation, entry.Range);
    abtSmoothCurve(entry.Evaluation, entry.Range);
    return entry;
}

} // namespace

void frmMain::DrawCurveThumbnail()
{
    m_curveScale = CurveScale::None;
    const Protocol* series = ShownSeries();
    const PropertyBlock* block = series ? CurrentBlock(*series) : nullptr;
    if (!block)
        return;
    DrawingSurface& picture = picCurve->Surface();

    // Another property, series or data folder: the curves kept are of no use.
    ThumbnailCache* cache = m_thumbnailCache.get();
    if (!cache || cache->Folder != DataFolder || cache->Series != series || cache->SeriesDate != series->Date
        || cache->Property != series->CurrentProperty) {
        m_thumbnailCache = std::make_shared<ThumbnailCache>();
        cache = m_thumbnailCache.get();
        cache->Folder = DataFolder;
        cache->Series = series;
        cache->SeriesDate = series->Date;
        cache->Property = series->CurrentProperty;
    }
    // The curves of tests deleted or edited away go.
    std::set<std::string> present;
    for (size_t i = 1; i < block->Values.size(); ++i)
        if (!block->Values[i].Deleted && !block->Values[i].CurveFile.empty())
            present.insert(block->Values[i].CurveFile);
    std::erase_if(cache->Curves, [&](const auto& kept) { return !present.contains(kept.first); });

    // Set by the first curve that can be drawn in it; every later curve is
    // drawn in the same window, so all share the first one's scale. A curve
    // that gives no usable window leaves it open for the next. The diagram's
    // axes are logarithmic, the airbag curve's linear: a curve of the other
    // kind than the first would rescale the picture under the drawing
    // already there, so it is left out.
    // The airbag curves are drawn after the choice, all in the window of the
    // first.
    PlotWindow window;
    std::vector<const ThumbnailCurve*> airbag;
    for (size_t i = 1; i < block->Values.size(); ++i) {
        const TestValue& test = block->Values[i];
        if (test.Deleted || test.CurveFile.empty())
            continue;
        const CurveScale kind = IsPressureDropText(test.CurveFile) ? CurveScale::PressureDrop : CurveScale::Airbag;
        if (m_curveScale != CurveScale::None && kind != m_curveScale)
            continue;

        if (kind == CurveScale::PressureDrop) {
            const PdrPoint point = pdrFromDataString(ParseDataString(test.CurveFile));
            const PlotWindow candidate = IsEmptyPlotWindow(window) ? pdrComputeCurve(point, window) : window;
            if (!pdrIsUsableCurve(point, candidate))
                continue;
            window = candidate;
            pdrDrawCurve(point, window, picture);
            m_curveScale = CurveScale::PressureDrop;
            lblCurveXMax->setText(Joined(FormatNumberText(window.x2, 3), pdrUnitText(point)));
            lblCurveYMax->setText(Joined(FormatNumberText(window.y2, 3), pdrPressureUnit()));
            continue;
        }

        const ThumbnailCurve& evaluated = EvaluatedCurve(cache->Curves, test.CurveFile, cache->NextSerial);
        if (!evaluated.Drawable)
            continue;
        const PlotWindow candidate =
            IsEmptyPlotWindow(window) ? abtPlotWindow(window, evaluated.Evaluation, ThumbnailPage) : window;
        if (!abtIsUsableWindow(candidate, ThumbnailPage))
            continue;
        window = candidate;
        airbag.push_back(&evaluated);
        m_curveScale = CurveScale::Airbag;
    }
    if (airbag.empty())
        return;

    // The picture kept shows the same curves drawn onto the same picture.
    std::vector<uint64_t> serials;
    serials.reserve(airbag.size());
    for (const ThumbnailCurve* curve : airbag)
        serials.push_back(curve->Serial);
    std::size_t kept = 0;
    if (!cache->After.isNull() && cache->Drawn.size() <= serials.size()
        && std::equal(cache->Drawn.begin(), cache->Drawn.end(), serials.begin()) && picture.Image() == cache->Before
        && picture.PutImage(cache->After)) {
        kept = cache->Drawn.size();
        picture.Scale(window.x1, window.y2, window.x2, window.y1);
        picture.SetCurrentX(cache->EndX);
        picture.SetCurrentY(cache->EndY);
    } else {
        cache->Before = picture.Image();
    }
    for (std::size_t k = kept; k < airbag.size(); ++k) {
        const ThumbnailCurve& curve = *airbag[k];
        abtDrawCurve(curve.Curve, curve.Evaluation, curve.Range, window, ThumbnailPage, false, picture);
    }
    cache->After = picture.Image();
    cache->Drawn = std::move(serials);
    cache->EndX = picture.CurrentX();
    cache->EndY = picture.CurrentY();
    // The pressure axis runs in tenths of a kilopascal.
    lblCurveXMax->setText(Joined(Format(RoundHalfEven(window.x2 / 10.0), QStringLiteral("#,##0")),
                                 abtXAxisUnit(ThumbnailPage)));
    lblCurveYMax->setText(
        Joined(Format(RoundHalfEven(window.y2), QStringLiteral("#,##0")), abtYAxisUnit(ThumbnailPage)));
}

void frmMain::picCurve_MouseMove(int, int, double x, double y)
{
    const QString text = CurveReadOut(x, y);
    if (text.isEmpty())
        HideLabel(lblCurveCoordinate);
    else
        ShowLabelAt(x, y, text, lblCurveCoordinate);
}

QString frmMain::CurveReadOut(double x, double y) const
{
    const Protocol* series = ShownSeries();
    const PropertyBlock* block = series ? CurrentBlock(*series) : nullptr;
    // Without a curve drawn the picture is in no curve's scale, and its
    // coordinates would mean nothing.
    if (!block || !std::isfinite(x) || !std::isfinite(y))
        return QString();
    const int testType = CurrentFormItem(*series).Property;
    if (testType == AirbagTestType && m_curveScale == CurveScale::Airbag)
        return Joined(FormatNumberText(static_cast<float>(x / 10), 3), abtXAxisUnit(ThumbnailPage))
               + QStringLiteral(" / ") + Joined(FormatNumberText(static_cast<float>(y), 3), abtYAxisUnit(ThumbnailPage));
    if (testType != PressureDropTestType || m_curveScale != CurveScale::PressureDrop || block->Values.empty())
        return QString();
    // The units are those of the newest test; a first reading waiting for
    // its second keeps none, and then there is no read-out.
    const std::string& reading = block->Values.back().CurveFile;
    const float flow = static_cast<float>(std::exp(x));
    const float pressure = static_cast<float>(std::exp(y));
    if (reading.empty() || !std::isfinite(flow) || !std::isfinite(pressure))
        return QString();
    const PdrPoint point = pdrFromDataString(ParseDataString(reading));
    return Joined(FormatNumberText(flow, 3), pdrUnitText(point)) + QStringLiteral(" / ")
           + Joined(FormatNumberText(pressure, 3), pdrPressureUnit());
}
