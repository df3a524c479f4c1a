#include "platform/DrawingSurface.h"

#include <QBrush>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace {

// The image target is a screen picture: 96 dpi, 15 twips per pixel.
constexpr double ImageDpi = 96.0;
constexpr int ImageDotsPerMeter = 3780;  // 96 dpi

// A coordinate that lands a hair below a pixel boundary through rounding
// still belongs to the pixel above it, so that a point read back with Point
// at the coordinates it was drawn at finds its own pixel.
constexpr double SnapEpsilon = 1e-6;

int SnapPixel(double d)
{
    return static_cast<int>(std::floor(d + SnapEpsilon));
}

bool Finite(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b);
}

// Liang-Barsky: clips the segment to the rectangle; false when nothing is left.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double xmin, double ymin, double xmax,
                 double ymax)
{
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    const double ox = x1;
    const double oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

QStringList SplitLines(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalised.split(QLatin1Char('\n'));
}

const QImage& MetricsImage()
{
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(ImageDotsPerMeter);
        i.setDotsPerMeterY(ImageDotsPerMeter);
        return i;
    }();
    return image;
}


// Dots up to this many pixels across are set pixel by pixel.
constexpr int DotMaskMaxWidth = 16;

// The pixels a dot `width` pixels across covers around the pixel it is set
// at, as the painter fills it at that pixel's centre: the same everywhere, so
// worked out once per width and then set directly, many times faster.
const std::vector<QPoint>& DotPixels(int width)
{
    static std::map<int, std::vector<QPoint>> cache;
    const auto found = cache.find(width);
    if (found != cache.end())
        return found->second;
    const int c = width + 2;
    QImage scratch(2 * c + 1, 2 * c + 1, QImage::Format_RGB32);
    scratch.fill(Qt::white);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(c + 0.5, c + 0.5), width / 2.0, width / 2.0);
    }
    std::vector<QPoint> pixels;
    for (int y = 0; y < scratch.height(); ++y)
        for (int x = 0; x < scratch.width(); ++x)
            if (scratch.pixel(x, y) != QColor(Qt::white).rgb())
                pixels.emplace_back(x - c, y - c);
    return cache.emplace(width, std::move(pixels)).first->second;
}

}  // namespace

QString ResolveFontFamily(const QString& name)
{
    const QString n = name.trimmed();
    if (n.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (n.startsWith(QLatin1String("Liberation"), Qt::CaseInsensitive)
        || n.startsWith(QLatin1String("DejaVu"), Qt::CaseInsensitive)) {
        for (const QString& family : QFontDatabase::families()) {
            if (family.compare(n, Qt::CaseInsensitive) == 0)
                return family;
        }
    }
    const QString lower = n.toLower();
    if (lower.contains(QLatin1String("courier")) || lower.contains(QLatin1String("mono"))
        || lower.contains(QLatin1String("console")) || lower.contains(QLatin1String("fixed")))
        return QStringLiteral("DejaVu Sans Mono");
    if (lower.contains(QLatin1String("times")) || lower.contains(QLatin1String("serif"))
        || lower.contains(QLatin1String("roman")) || lower.contains(QLatin1String("georgia")))
        return lower.contains(QLatin1String("sans")) ? QStringLiteral("DejaVu Sans") : QStringLiteral("DejaVu Serif");
    return QStringLiteral("DejaVu Sans");
}

// A painter for one drawing operation: on an image a fresh one (so the image
// stays free for reading and resizing between operations), on a paged target
// the document's own.
class DrawingSurface::PainterScope
{
public:
    explicit PainterScope(DrawingSurface& surface) : surface_(surface)
    {
        if (surface.kind_ == Kind::Image) {
            if (surface.image_.isNull())
                return;
            if (surface.batchPainter_) {
                painter_ = surface.batchPainter_.get();
            } else {
                local_.emplace(&surface.image_);
                painter_ = &*local_;
            }
        } else if (surface.EnsurePainter()) {
            painter_ = surface.painter_.get();
        }
        if (painter_) {
            // A batch's painter has its hints from the start of the batch.
            if (painter_ != surface.batchPainter_.get())
                SetHints(*painter_, surface.kind_ == Kind::Image);
            painter_->setPen(Qt::NoPen);
            painter_->setBrush(Qt::NoBrush);
        }
    }
    static void SetHints(QPainter& painter, bool image)
    {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, !image);
    }
    ~PainterScope()
    {
        if (local_)
            local_->end();
        if (painter_ && surface_.kind_ == Kind::Image)
            surface_.NotifyChanged();
    }
    PainterScope(const PainterScope&) = delete;
    PainterScope& operator=(const PainterScope&) = delete;

    QPainter* operator->() { return painter_; }
    QPainter* get() { return painter_; }
    explicit operator bool() const { return painter_ != nullptr; }

private:
    DrawingSurface& surface_;
    std::optional<QPainter> local_;
    QPainter* painter_ = nullptr;
};

DrawingSurface::DrawingSurface(int width, int height)
{
    SetImageTarget(width, height);
}

DrawingSurface::DrawingSurface(QPrinter* printer)
{
    SetPrinterTarget(printer);
}

DrawingSurface::~DrawingSurface()
{
    EndPainter();
}

void DrawingSurface::SetImageTarget(int width, int height)
{
    EndBatchPainter();
    EndPainter();
    kind_ = Kind::Image;
    printer_ = nullptr;
    pdf_.reset();
    image_ = QImage();
    if (width > 0 && height > 0) {
        image_ = QImage(width, height, QImage::Format_RGB32);
        image_.setDotsPerMeterX(ImageDotsPerMeter);
        image_.setDotsPerMeterY(ImageDotsPerMeter);
        image_.fill(ToQColor(backColor_));
    }
    RetargetScale();
}

void DrawingSurface::SetPrinterTarget(QPrinter* printer)
{
    EndBatchPainter();
    EndPainter();
    kind_ = Kind::Printer;
    printer_ = printer;
    pdf_.reset();
    image_ = QImage();
    RetargetScale();
}

void DrawingSurface::SetPdfTarget(const QString& path, const QPageSize& pageSize, const QMarginsF& marginsMillimetres,
                                  int resolution)
{
    EndBatchPainter();
    EndPainter();
    kind_ = Kind::Pdf;
    printer_ = nullptr;
    image_ = QImage();
    pdf_ = std::make_unique<QPdfWriter>(path);
    pdf_->setResolution(resolution > 0 ? resolution : 600);
    pdf_->setCreator(QStringLiteral("Quintara"));
    pdf_->setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, marginsMillimetres, QPageLayout::Millimeter));
    RetargetScale();
}

bool DrawingSurface::IsImage() const
{
    return kind_ == Kind::Image;
}

bool DrawingSurface::IsPaged() const
{
    return kind_ != Kind::Image;
}

QPrinter* DrawingSurface::PrinterDevice() const
{
    return kind_ == Kind::Printer ? printer_ : nullptr;
}

const QImage& DrawingSurface::Image() const
{
    return image_;
}

void DrawingSurface::Resize(int width, int height)
{
    if (kind_ != Kind::Image)
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == image_.width() && height == image_.height())
        return;
    EndBatchPainter();
    QImage resized;
    if (width > 0 && height > 0) {
        resized = QImage(width, height, QImage::Format_RGB32);
        resized.setDotsPerMeterX(ImageDotsPerMeter);
        resized.setDotsPerMeterY(ImageDotsPerMeter);
        resized.fill(ToQColor(backColor_));
        if (!image_.isNull()) {
            QPainter p(&resized);
            p.drawImage(0, 0, image_);
        }
    }
    image_ = resized;
    RetargetScale();
    NotifyChanged();
}

bool DrawingSurface::PutImage(const QImage& image)
{
    if (kind_ != Kind::Image || image.size() != image_.size() || image.format() != image_.format())
        return false;
    EndBatchPainter();
    image_ = image;
    NotifyChanged();
    return true;
}

QPaintDevice* DrawingSurface::Device() const
{
    switch (kind_) {
    case Kind::Image: return image_.isNull() ? nullptr : const_cast<QImage*>(&image_);
    case Kind::Printer: return printer_;
    case Kind::Pdf: return pdf_.get();
    }
    return nullptr;
}

QPagedPaintDevice* DrawingSurface::PagedDevice() const
{
    switch (kind_) {
    case Kind::Image: return nullptr;
    case Kind::Printer: return printer_;
    case Kind::Pdf: return pdf_.get();
    }
    return nullptr;
}

int DrawingSurface::PixelWidth() const
{
    const QPaintDevice* device = Device();
    return device ? device->width() : 0;
}

int DrawingSurface::PixelHeight() const
{
    const QPaintDevice* device = Device();
    return device ? device->height() : 0;
}

double DrawingSurface::Dpi() const
{
    if (kind_ == Kind::Image)
        return ImageDpi;
    const QPaintDevice* device = Device();
    return device && device->logicalDpiX() > 0 ? device->logicalDpiX() : ImageDpi;
}

// ---- Scale ----

double DrawingSurface::UnitsPerPixelX(int mode) const
{
    const double dpi = Dpi();
    switch (mode) {
    case vbTwips: return 1440.0 / dpi;
    case vbPoints: return 72.0 / dpi;
    case vbPixels: return 1.0;
    case vbCharacters: return 1440.0 / dpi / 120.0;
    case vbInches: return 1.0 / dpi;
    case vbMillimeters: return 25.4 / dpi;
    case vbCentimeters: return 2.54 / dpi;
    default: return 1.0;
    }
}

double DrawingSurface::UnitsPerPixelY(int mode) const
{
    if (mode == vbCharacters)
        return 1440.0 / Dpi() / 240.0;
    return UnitsPerPixelX(mode);
}

void DrawingSurface::RetargetScale()
{
    if (scaleMode_ == vbUser)
        return;
    scaleLeft_ = 0;
    scaleTop_ = 0;
    scaleWidth_ = std::max(PixelWidth(), 1) * UnitsPerPixelX(scaleMode_);
    scaleHeight_ = std::max(PixelHeight(), 1) * UnitsPerPixelY(scaleMode_);
}

bool DrawingSurface::Scale(double x1, double y1, double x2, double y2)
{
    if (!Finite(x1, y1) || !Finite(x2, y2) || x1 == x2 || y1 == y2)
        return false;
    if (!std::isfinite(x2 - x1) || !std::isfinite(y2 - y1))
        return false;
    scaleMode_ = vbUser;
    scaleLeft_ = x1;
    scaleTop_ = y1;
    scaleWidth_ = x2 - x1;
    scaleHeight_ = y2 - y1;
    return true;
}

void DrawingSurface::ResetScale()
{
    SetScaleMode(vbTwips);
}

void DrawingSurface::SetScaleMode(int mode)
{
    if (mode < vbUser || mode > vbCentimeters)
        return;
    scaleMode_ = mode;
    RetargetScale();
}

void DrawingSurface::SetScaleLeft(double value)
{
    if (!std::isfinite(value))
        return;
    scaleLeft_ = value;
    scaleMode_ = vbUser;
}

void DrawingSurface::SetScaleTop(double value)
{
    if (!std::isfinite(value))
        return;
    scaleTop_ = value;
    scaleMode_ = vbUser;
}

void DrawingSurface::SetScaleWidth(double value)
{
    if (!std::isfinite(value) || value == 0)
        return;
    scaleWidth_ = value;
    scaleMode_ = vbUser;
}

void DrawingSurface::SetScaleHeight(double value)
{
    if (!std::isfinite(value) || value == 0)
        return;
    scaleHeight_ = value;
    scaleMode_ = vbUser;
}

double DrawingSurface::XFromPixel(double px) const
{
    return scaleLeft_ + ScaleXFromPixels(px);
}

double DrawingSurface::YFromPixel(double py) const
{
    return scaleTop_ + ScaleYFromPixels(py);
}

double DrawingSurface::PixelFromX(double x) const
{
    return PixelsFromScaleX(x - scaleLeft_);
}

double DrawingSurface::PixelFromY(double y) const
{
    return PixelsFromScaleY(y - scaleTop_);
}

double DrawingSurface::ScaleXFromPixels(double pixels) const
{
    return pixels * scaleWidth_ / std::max(PixelWidth(), 1);
}

double DrawingSurface::ScaleYFromPixels(double pixels) const
{
    return pixels * scaleHeight_ / std::max(PixelHeight(), 1);
}

double DrawingSurface::PixelsFromScaleX(double width) const
{
    return width * std::max(PixelWidth(), 1) / scaleWidth_;
}

double DrawingSurface::PixelsFromScaleY(double height) const
{
    return height * std::max(PixelHeight(), 1) / scaleHeight_;
}

// ---- State ----

void DrawingSurface::SetFillStyle(int style)
{
    if (style >= vbFSSolid && style <= vbDiagonalCross)
        fillStyle_ = style;
}

void DrawingSurface::SetDrawWidth(int width)
{
    drawWidth_ = std::clamp(width, 1, 32767);
}

void DrawingSurface::SetDrawStyle(int style)
{
    if (style >= vbSolid && style <= vbInsideSolid)
        drawStyle_ = style;
}

void DrawingSurface::SetFontName(const QString& name)
{
    if (name.trimmed().isEmpty())
        return;
    fontName_ = name;
    fontFamily_ = ResolveFontFamily(name);
}

void DrawingSurface::SetFontSize(double points)
{
    if (std::isfinite(points) && points > 0)
        fontSize_ = std::min(points, 2160.0);
}

QFont DrawingSurface::Font() const
{
    QFont font(fontFamily_);
    font.setPointSizeF(fontSize_);
    font.setBold(fontBold_);
    font.setItalic(fontItalic_);
    font.setUnderline(fontUnderline_);
    font.setStrikeOut(fontStrikethru_);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    font.setKerning(false);
    return font;
}

// ---- Painting helpers ----

double DrawingSurface::PatternScale() const
{
    // Hatches and dash patterns are sized in screen pixels; a printer of
    // 600 dpi gets them at the same size on paper rather than six times finer.
    return kind_ == Kind::Image ? 1.0 : std::max(1.0, Dpi() / ImageDpi);
}

double DrawingSurface::MarkWidth() const
{
    return drawWidth_ * PatternScale();
}

QPen DrawingSurface::MakePen(int32_t colour) const
{
    if (drawStyle_ == vbInvisible)
        return QPen(Qt::NoPen);
    QPen pen(ToQColor(colour));
    pen.setWidth(drawWidth_);
    pen.setCapStyle(drawWidth_ > 1 ? Qt::RoundCap : Qt::SquareCap);
    pen.setJoinStyle(drawWidth_ > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    if (drawWidth_ == 1 && drawStyle_ >= vbDash && drawStyle_ <= vbDashDotDot) {
        // The classic cosmetic patterns, in pixels (the pen is one pixel wide).
        QList<qreal> pattern;
        switch (drawStyle_) {
        case vbDash: pattern = {18, 6}; break;
        case vbDot: pattern = {3, 3}; break;
        case vbDashDot: pattern = {9, 6, 3, 6}; break;
        default: pattern = {9, 3, 3, 3, 3, 3}; break;
        }
        const double k = PatternScale();
        for (qreal& v : pattern)
            v *= k;
        pen.setDashPattern(pattern);
        pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
}

QBrush DrawingSurface::MakeFillBrush() const
{
    Qt::BrushStyle style = Qt::NoBrush;
    switch (fillStyle_) {
    case vbFSSolid: style = Qt::SolidPattern; break;
    case vbHorizontalLine: style = Qt::HorPattern; break;
    case vbVerticalLine: style = Qt::VerPattern; break;
    case vbUpwardDiagonal: style = Qt::BDiagPattern; break;
    case vbDownwardDiagonal: style = Qt::FDiagPattern; break;
    case vbCross: style = Qt::CrossPattern; break;
    case vbDiagonalCross: style = Qt::DiagCrossPattern; break;
    default: return QBrush(Qt::NoBrush);
    }
    return QBrush(ToQColor(fillColor_), style);
}

void DrawingSurface::FillShape(QPainter* painter, const QRectF& rect, bool ellipse, const QBrush& brush) const
{
    const Qt::BrushStyle style = brush.style();
    if (style == Qt::NoBrush)
        return;
    painter->save();
    painter->setPen(Qt::NoPen);
    const double k = PatternScale();
    if (style == Qt::SolidPattern || k == 1.0) {
        painter->setBrush(brush);
        if (ellipse)
            painter->drawEllipse(rect);
        else
            painter->fillRect(rect, brush);
        painter->restore();
        return;
    }
    // On paper the hatch is drawn as lines at the spacing it has on screen
    // (8 screen pixels); a pattern brush would come out in printer pixels,
    // six times finer, and a PDF ignores any brush transform.
    QPainterPath outline;
    if (ellipse)
        outline.addEllipse(rect);
    else
        outline.addRect(rect);
    painter->setClipPath(outline, Qt::IntersectClip);
    QPen pen(brush.color());
    pen.setWidthF(std::max(1.0, k / 2.0));
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
    const double step = 8.0 * k;
    const double left = rect.left();
    const double right = rect.right();
    const double top = rect.top();
    const double bottom = rect.bottom();
    const bool horizontal = style == Qt::HorPattern || style == Qt::CrossPattern;
    const bool vertical = style == Qt::VerPattern || style == Qt::CrossPattern;
    const bool rising = style == Qt::BDiagPattern || style == Qt::DiagCrossPattern;
    const bool falling = style == Qt::FDiagPattern || style == Qt::DiagCrossPattern;
    if (horizontal)
        for (double y = std::ceil(top / step) * step; y <= bottom; y += step)
            painter->drawLine(QPointF(left, y), QPointF(right, y));
    if (vertical)
        for (double x = std::ceil(left / step) * step; x <= right; x += step)
            painter->drawLine(QPointF(x, top), QPointF(x, bottom));
    if (rising)  // upward diagonal: x + y constant
        for (double c = std::ceil((left + top) / step) * step; c <= right + bottom; c += step)
            painter->drawLine(QPointF(c - bottom, bottom), QPointF(c - top, top));
    if (falling)  // downward diagonal: x - y constant
        for (double c = std::ceil((left - bottom) / step) * step; c <= right - top; c += step)
            painter->drawLine(QPointF(c + top, top), QPointF(c + bottom, bottom));
    painter->restore();
}

bool DrawingSurface::EnsurePainter(bool retry)
{
    if (kind_ == Kind::Image)
        return false;
    if (painter_ && painter_->isActive())
        return true;
    // After a device that would not open, drawing stays silent until the
    // document is ended or begun again explicitly.
    if (beginFailed_ && !retry)
        return false;
    beginFailed_ = false;
    if (BeforeBegin)
        BeforeBegin();
    QPaintDevice* device = Device();
    if (!device)
        return false;
    if (printer_)
        printer_->setDocName(docName_);
    if (pdf_)
        pdf_->setTitle(docName_);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device)) {
        beginFailed_ = true;
        return false;
    }
    painter_ = std::move(painter);
    page_ = 1;
    RetargetScale();
    return true;
}

void DrawingSurface::EndPainter()
{
    beginFailed_ = false;
    if (painter_) {
        if (painter_->isActive())
            painter_->end();
        painter_.reset();
    }
    page_ = 0;
}

void DrawingSurface::NotifyChanged()
{
    if (batchDepth_ > 0) {
        batchChanged_ = true;
        return;
    }
    if (kind_ == Kind::Image && Changed)
        Changed();
}

void DrawingSurface::EndBatchPainter()
{
    if (!batchPainter_)
        return;
    batchPainter_->end();
    batchPainter_.reset();
}

DrawingSurface::Batch::Batch(DrawingSurface& surface) : surface_(surface)
{
    if (surface_.batchDepth_++ == 0 && surface_.kind_ == Kind::Image && !surface_.image_.isNull()) {
        surface_.batchPainter_ = std::make_unique<QPainter>(&surface_.image_);
        PainterScope::SetHints(*surface_.batchPainter_, true);
    }
}

DrawingSurface::Batch::~Batch()
{
    if (--surface_.batchDepth_ > 0)
        return;
    surface_.EndBatchPainter();
    if (surface_.batchChanged_) {
        surface_.batchChanged_ = false;
        surface_.NotifyChanged();
    }
}

// ---- Drawing ----

void DrawingSurface::Cls()
{
    currentX_ = 0;
    currentY_ = 0;
    if (kind_ == Kind::Image && !image_.isNull()) {
        image_.fill(ToQColor(backColor_));
        NotifyChanged();
    }
}

// A segment in device pixels kept to what can show: false when nothing of it
// can (an end not finite, an invisible style, wholly outside).
bool DrawingSurface::ClipLineDevice(double& x1, double& y1, double& x2, double& y2) const
{
    if (!Finite(x1, y1) || !Finite(x2, y2) || drawStyle_ == vbInvisible)
        return false;
    const double w = PixelWidth();
    const double h = PixelHeight();
    const double margin = std::max(w, h) + 2.0 * drawWidth_ + 16.0;
    return ClipSegment(x1, y1, x2, y2, -margin, -margin, w + margin, h + margin);
}

void DrawingSurface::PaintLineDevice(QPainter* painter, double x1, double y1, double x2, double y2) const
{
    if (kind_ == Kind::Image) {
        const QPoint a(SnapPixel(x1), SnapPixel(y1));
        const QPoint b(SnapPixel(x2), SnapPixel(y2));
        if (a == b)
            painter->drawPoint(a);
        else
            painter->drawLine(a, b);
    } else {
        painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
}

void DrawingSurface::DrawLineDevice(double x1, double y1, double x2, double y2, int32_t colour)
{
    if (!ClipLineDevice(x1, y1, x2, y2))
        return;
    PainterScope painter(*this);
    if (!painter)
        return;
    painter->setPen(MakePen(colour));
    PaintLineDevice(painter.get(), x1, y1, x2, y2);
}

void DrawingSurface::Lines(const std::vector<LineSegment>& segments)
{
    if (segments.empty())
        return;
    {
        PainterScope painter(*this);
        bool penSet = false;
        int32_t penColour = 0;
        for (const LineSegment& segment : segments) {
            if (!painter)
                break;
            double x1 = PixelFromX(segment.X1);
            double y1 = PixelFromY(segment.Y1);
            double x2 = PixelFromX(segment.X2);
            double y2 = PixelFromY(segment.Y2);
            if (!ClipLineDevice(x1, y1, x2, y2))
                continue;
            if (!penSet || segment.Colour != penColour) {
                painter->setPen(MakePen(segment.Colour));
                penSet = true;
                penColour = segment.Colour;
            }
            PaintLineDevice(painter.get(), x1, y1, x2, y2);
        }
    }
    currentX_ = segments.back().X2;
    currentY_ = segments.back().Y2;
}

void DrawingSurface::Line(double x1, double y1, double x2, double y2)
{
    Line(x1, y1, x2, y2, foreColor_);
}

void DrawingSurface::Line(double x1, double y1, double x2, double y2, int32_t colour)
{
    DrawLineDevice(PixelFromX(x1), PixelFromY(y1), PixelFromX(x2), PixelFromY(y2), colour);
    currentX_ = x2;
    currentY_ = y2;
}

void DrawingSurface::LineTo(double x2, double y2)
{
    Line(currentX_, currentY_, x2, y2, foreColor_);
}

void DrawingSurface::LineTo(double x2, double y2, int32_t colour)
{
    Line(currentX_, currentY_, x2, y2, colour);
}

void DrawingSurface::DrawBoxDevice(double x1, double y1, double x2, double y2, int32_t colour, bool filled)
{
    if (!Finite(x1, y1) || !Finite(x2, y2))
        return;
    // A box reaching far beyond the surface keeps its visible part: its
    // corners are pulled in to just outside the surface.
    const double w = PixelWidth();
    const double h = PixelHeight();
    const double margin = 2.0 * drawWidth_ + 16.0;
    auto clampX = [&](double v) { return std::clamp(v, -margin, w + margin); };
    auto clampY = [&](double v) { return std::clamp(v, -margin, h + margin); };
    const double left = clampX(std::min(x1, x2));
    const double right = clampX(std::max(x1, x2));
    const double top = clampY(std::min(y1, y2));
    const double bottom = clampY(std::max(y1, y2));
    PainterScope painter(*this);
    if (!painter)
        return;
    if (kind_ == Kind::Image) {
        const int l = SnapPixel(left);
        const int r = SnapPixel(right);
        const int t = SnapPixel(top);
        const int b = SnapPixel(bottom);
        // Both corner pixels belong to the box.
        const QRect inclusive(QPoint(l, t), QPoint(r, b));
        if (filled) {
            painter->fillRect(inclusive, ToQColor(colour));
            return;
        }
        const QBrush brush = MakeFillBrush();
        if (brush.style() != Qt::NoBrush)
            painter->fillRect(inclusive, brush);
        if (drawStyle_ != vbInvisible) {
            painter->setPen(MakePen(colour));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRect(l, t, r - l, b - t));
        }
    } else {
        const QRectF rect(QPointF(left, top), QPointF(right, bottom));
        if (filled) {
            painter->fillRect(rect, ToQColor(colour));
            return;
        }
        FillShape(painter.get(), rect, false, MakeFillBrush());
        if (drawStyle_ != vbInvisible) {
            painter->setPen(MakePen(colour));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(rect);
        }
    }
}

void DrawingSurface::Box(double x1, double y1, double x2, double y2)
{
    Box(x1, y1, x2, y2, foreColor_);
}

void DrawingSurface::Box(double x1, double y1, double x2, double y2, int32_t colour)
{
    DrawBoxDevice(PixelFromX(x1), PixelFromY(y1), PixelFromX(x2), PixelFromY(y2), colour, false);
    currentX_ = x2;
    currentY_ = y2;
}

void DrawingSurface::BoxFilled(double x1, double y1, double x2, double y2)
{
    BoxFilled(x1, y1, x2, y2, foreColor_);
}

void DrawingSurface::BoxFilled(double x1, double y1, double x2, double y2, int32_t colour)
{
    DrawBoxDevice(PixelFromX(x1), PixelFromY(y1), PixelFromX(x2), PixelFromY(y2), colour, true);
    currentX_ = x2;
    currentY_ = y2;
}

void DrawingSurface::Circle(double x, double y, double radius)
{
    Circle(x, y, radius, foreColor_);
}

void DrawingSurface::Circle(double x, double y, double radius, int32_t colour)
{
    currentX_ = x;
    currentY_ = y;
    double cx = PixelFromX(x);
    double cy = PixelFromY(y);
    const double r = std::fabs(PixelsFromScaleX(radius));
    if (!Finite(cx, cy) || !std::isfinite(r))
        return;
    const double w = PixelWidth();
    const double h = PixelHeight();
    const double m = MarkWidth();
    if (cx + r < -m || cy + r < -m || cx - r > w + m || cy - r > h + m)
        return;
    if (r > 4.0 * (w + h) + 1000.0)
        return;  // a circle that large has nothing of itself on the surface but a far arc
    if (kind_ == Kind::Image) {
        cx = SnapPixel(cx) + 0.5;
        cy = SnapPixel(cy) + 0.5;
    }
    PainterScope painter(*this);
    if (!painter)
        return;
    if (kind_ == Kind::Image) {
        painter->setBrush(MakeFillBrush());
    } else {
        FillShape(painter.get(), QRectF(cx - r, cy - r, 2 * r, 2 * r), true, MakeFillBrush());
        painter->setBrush(Qt::NoBrush);
    }
    QPen pen = MakePen(colour);
    if (pen.style() == Qt::SolidLine)
        pen.setWidthF(MarkWidth());
    painter->setPen(pen);
    painter->drawEllipse(QPointF(cx, cy), r, r);
}

void DrawingSurface::PSet(double x, double y)
{
    PSet(x, y, foreColor_);
}

void DrawingSurface::PSet(double x, double y, int32_t colour)
{
    currentX_ = x;
    currentY_ = y;
    const double dx = PixelFromX(x);
    const double dy = PixelFromY(y);
    if (!Finite(dx, dy))
        return;
    const double half = MarkWidth() / 2.0 + 1.0;
    if (dx < -half || dy < -half || dx > PixelWidth() + half || dy > PixelHeight() + half)
        return;
    if (kind_ == Kind::Image) {
        const int px = SnapPixel(dx);
        const int py = SnapPixel(dy);
        if (drawWidth_ <= 1) {
            if (image_.valid(px, py)) {
                image_.setPixel(px, py, ToQColor(colour).rgb());
                NotifyChanged();
            }
            return;
        }
        if (drawWidth_ <= DotMaskMaxWidth) {
            const QRgb rgb = ToQColor(colour).rgb();
            for (const QPoint& d : DotPixels(drawWidth_))
                if (image_.valid(px + d.x(), py + d.y()))
                    image_.setPixel(px + d.x(), py + d.y(), rgb);
            NotifyChanged();
            return;
        }
        PainterScope painter(*this);
        if (!painter)
            return;
        painter->setBrush(ToQColor(colour));
        painter->drawEllipse(QPointF(px + 0.5, py + 0.5), drawWidth_ / 2.0, drawWidth_ / 2.0);
        return;
    }
    PainterScope painter(*this);
    if (!painter)
        return;
    painter->setBrush(ToQColor(colour));
    const double radius = MarkWidth() / 2.0;
    painter->drawEllipse(QPointF(dx, dy), radius, radius);
}

// ---- Text ----

double DrawingSurface::TextWidth(const QString& text) const
{
    const QPaintDevice* device = Device();
    const QFontMetricsF metrics(Font(), device ? device : &MetricsImage());
    double widest = 0;
    for (const QString& line : SplitLines(text))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return ScaleXFromPixels(widest);
}

double DrawingSurface::TextHeight(const QString& text) const
{
    const QPaintDevice* device = Device();
    const QFontMetricsF metrics(Font(), device ? device : &MetricsImage());
    return ScaleYFromPixels(metrics.height() * SplitLines(text).size());
}

void DrawingSurface::PrintLine(const QString& text)
{
    const QFont font = Font();
    if (!text.isEmpty()) {
        double x = PixelFromX(currentX_);
        double y = PixelFromY(currentY_);
        const double w = PixelWidth();
        const double h = PixelHeight();
        if (Finite(x, y) && x < w + 1 && y < h + 1 && y > -8.0 * h - 1000.0 && x > -8.0 * w - 1000.0) {
            PainterScope painter(*this);
            if (painter) {
                painter->setFont(font);
                const QFontMetricsF metrics(font, painter->device());
                if (kind_ == Kind::Image) {
                    x = SnapPixel(x);
                    y = SnapPixel(y);
                }
                painter->setPen(ToQColor(foreColor_));
                painter->drawText(QPointF(x, y + metrics.ascent()), text);
            }
        }
    }
    currentX_ += TextWidth(text);
}

void DrawingSurface::Print(const QString& text, PrintEnd end)
{
    const QStringList lines = SplitLines(text);
    const double lineHeight = TextHeight(QString());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        PrintLine(lines[i]);
        if (i + 1 < lines.size() || end == PrintEnd::NewLine) {
            currentX_ = scaleLeft_;
            currentY_ += lineHeight;
        }
    }
}

void DrawingSurface::PrintAligned(const QString& text, int alignment, double x, double y)
{
    switch (alignment) {
    case vbRightJustify: currentX_ = x - TextWidth(text); break;
    case vbCenter: currentX_ = x - TextWidth(text) / 2.0; break;
    default: currentX_ = x; break;
    }
    currentY_ = y;
    Print(text, PrintEnd::SameLine);
    currentY_ = y;
}

// ---- Pictures ----

void DrawingSurface::PaintPicture(const QImage& picture, double x, double y)
{
    if (picture.isNull())
        return;
    const double dpmx = picture.dotsPerMeterX();
    const double dpmy = picture.dotsPerMeterY();
    const double pictureDpiX = dpmx > 0 ? dpmx * 0.0254 : ImageDpi;
    const double pictureDpiY = dpmy > 0 ? dpmy * 0.0254 : ImageDpi;
    const double widthPx = picture.width() * Dpi() / pictureDpiX;
    const double heightPx = picture.height() * Dpi() / pictureDpiY;
    PaintPicture(picture, x, y, ScaleXFromPixels(widthPx), ScaleYFromPixels(heightPx));
}

void DrawingSurface::PaintPicture(const QImage& picture, double x, double y, double width, double height)
{
    if (picture.isNull())
        return;
    const double x1 = PixelFromX(x);
    const double y1 = PixelFromY(y);
    const double x2 = PixelFromX(x + width);
    const double y2 = PixelFromY(y + height);
    if (!Finite(x1, y1) || !Finite(x2, y2))
        return;
    const double w = PixelWidth();
    const double h = PixelHeight();
    if (std::fabs(x2 - x1) > 64.0 * (w + 1) || std::fabs(y2 - y1) > 64.0 * (h + 1))
        return;
    QRectF target(QPointF(std::min(x1, x2), std::min(y1, y2)), QPointF(std::max(x1, x2), std::max(y1, y2)));
    if (kind_ == Kind::Image) {
        const int l = SnapPixel(target.left());
        const int t = SnapPixel(target.top());
        const int r = SnapPixel(target.right() + 0.5);
        const int b = SnapPixel(target.bottom() + 0.5);
        target = QRectF(l, t, std::max(r - l, 1), std::max(b - t, 1));
    }
    PainterScope painter(*this);
    if (!painter)
        return;
    painter->drawImage(target, picture, QRectF(picture.rect()));
}

void DrawingSurface::PaintPicture(const QPixmap& picture, double x, double y)
{
    PaintPicture(picture.toImage(), x, y);
}

void DrawingSurface::PaintPicture(const QPixmap& picture, double x, double y, double width, double height)
{
    PaintPicture(picture.toImage(), x, y, width, height);
}

int32_t DrawingSurface::Point(double x, double y) const
{
    if (kind_ != Kind::Image || image_.isNull())
        return -1;
    const double dx = PixelFromX(x);
    const double dy = PixelFromY(y);
    if (!Finite(dx, dy) || dx < -1 || dy < -1 || dx > image_.width() + 1 || dy > image_.height() + 1)
        return -1;
    const int px = SnapPixel(dx);
    const int py = SnapPixel(dy);
    if (!image_.valid(px, py))
        return -1;
    return FromQColor(QColor(image_.pixel(px, py)));
}

// ---- Documents ----

bool DrawingSurface::Begin()
{
    if (kind_ == Kind::Image)
        return !image_.isNull();
    return EnsurePainter(true);
}

bool DrawingSurface::IsActive() const
{
    return painter_ && painter_->isActive();
}

void DrawingSurface::NewPage()
{
    if (kind_ == Kind::Image) {
        Cls();
        return;
    }
    if (!EnsurePainter())
        return;
    if (PagedDevice()->newPage())
        ++page_;
    currentX_ = 0;
    currentY_ = 0;
}

void DrawingSurface::EndDoc()
{
    EndPainter();
    currentX_ = 0;
    currentY_ = 0;
}

// ---- The program's printer ----

namespace {

struct ProgramPrinter
{
    QPrinter* printer = nullptr;
    DrawingSurface* surface = nullptr;
    QString outputFile;
};

// A printer for the output in force: the system's default printer, or the
// PDF file.
QPrinter* MakePrinter(const QString& outputFile)
{
    auto* printer = new QPrinter(QPrinter::HighResolution);
    if (outputFile.isEmpty()) {
        const QPrinterInfo current = QPrinterInfo::defaultPrinter();
        if (!current.isNull())
            printer->setPrinterName(current.printerName());
    } else {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(outputFile);
        printer->setResolution(600);
        printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                           QPageLayout::Millimeter));
    }
    return printer;
}

// A QPrinter whose document would not begin (no printer at that moment)
// stays "active" for good and refuses every later document and setting, so
// the program's printer is made anew rather than set again.
void RenewPrinter(ProgramPrinter& p)
{
    QPrinter* old = p.printer;
    p.printer = MakePrinter(p.outputFile);
    p.surface->SetPrinterTarget(p.printer);
    delete old;
}

ProgramPrinter& TheProgramPrinter()
{
    // Made on first use (a QPrinter needs the application) and kept for the
    // whole run; never destroyed, so no print job outlives the application.
    static ProgramPrinter holder = [] {
        ProgramPrinter h;
        h.printer = MakePrinter(QString());
        h.surface = new DrawingSurface(h.printer);
        h.surface->BeforeBegin = [] {
            ProgramPrinter& self = TheProgramPrinter();
            // No document is open here: a printer that is not idle is stuck.
            if (self.printer->printerState() != QPrinter::Idle) {
                RenewPrinter(self);
                return;
            }
            if (!self.outputFile.isEmpty())
                return;
            const QPrinterInfo current = QPrinterInfo::defaultPrinter();
            if (!current.isNull() && current.printerName() != self.printer->printerName())
                self.printer->setPrinterName(current.printerName());
        };
        return h;
    }();
    return holder;
}

}  // namespace

DrawingSurface& Printer()
{
    return *TheProgramPrinter().surface;
}

void SetPrinterOutputFile(const QString& path)
{
    ProgramPrinter& p = TheProgramPrinter();
    p.surface->EndDoc();
    p.outputFile = path;
    RenewPrinter(p);
}

bool PrinterAvailable()
{
    if (!TheProgramPrinter().outputFile.isEmpty())
        return true;
    return !QPrinterInfo::defaultPrinter().isNull();
}
