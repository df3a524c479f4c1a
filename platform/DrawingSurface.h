#pragma once
// One drawing surface with the semantics of a picture box and of the printer:
// a scale of the caller's choosing, a current position that text and lines
// move, lines, boxes, circles, points, text, pictures and pages.
//
// Targets:
// - an image (a picture box keeps its drawing in it and can read a pixel's
//   colour back; the image is 96 dpi, 15 twips per pixel);
// - a QPrinter (not owned), or a PDF file written through QPdfWriter.
//   A document begins with the first drawing (or Begin) and ends with EndDoc;
//   NewPage starts the next sheet. Nothing moves to a new sheet by itself.
//
// Coordinates are in the scale in force. Scale(x1, y1, x2, y2) puts (x1, y1)
// on the top-left and (x2, y2) on the bottom-right corner, so y grows upward
// when y1 > y2. Without a user scale the surface measures in twips (ScaleMode
// 1) from its top-left corner. Widths and heights in user units carry the
// scale's sign: TextHeight is negative when y grows upward, so "y +
// TextHeight" is always one line further down the picture or page.
//
// Drawing is never antialiased, and colours are exact (0x00BBGGRR values,
// platform/Colors.h). DrawWidth is in device pixels, as the original's line
// width: 1 is one pixel of the image or of the printer (points and circles
// excepted, see PSet). Coordinates far outside the surface (NoValue among
// them) are clipped, never a fault.
//
// Fonts: "Arial" is Liberation Sans (metrically the same); other families
// fall back to DejaVu (Sans, Serif or Sans Mono).
#include "platform/Colors.h"

#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QBrush;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPen;
class QRectF;
class QPdfWriter;
class QPrinter;

// ScaleMode values.
constexpr int vbUser = 0;
constexpr int vbTwips = 1;
constexpr int vbPoints = 2;
constexpr int vbPixels = 3;
constexpr int vbCharacters = 4;
constexpr int vbInches = 5;
constexpr int vbMillimeters = 6;
constexpr int vbCentimeters = 7;

// FillStyle values.
constexpr int vbFSSolid = 0;
constexpr int vbFSTransparent = 1;
constexpr int vbHorizontalLine = 2;
constexpr int vbVerticalLine = 3;
constexpr int vbUpwardDiagonal = 4;
constexpr int vbDownwardDiagonal = 5;
constexpr int vbCross = 6;
constexpr int vbDiagonalCross = 7;

// DrawStyle values. Broken styles apply only to lines of DrawWidth 1.
constexpr int vbSolid = 0;
constexpr int vbDash = 1;
constexpr int vbDot = 2;
constexpr int vbDashDot = 3;
constexpr int vbDashDotDot = 4;
constexpr int vbInvisible = 5;
constexpr int vbInsideSolid = 6;

// Text alignment of PrintAligned.
constexpr int vbLeftJustify = 0;
constexpr int vbRightJustify = 1;
constexpr int vbCenter = 2;

// Whether Print ends its line (the original's "Print text" against "Print text;").
enum class PrintEnd { NewLine, SameLine };

// "Arial" -> "Liberation Sans"; installed Liberation and DejaVu families as
// they are; serif and monospaced names -> DejaVu Serif / DejaVu Sans Mono;
// everything else -> DejaVu Sans.
QString ResolveFontFamily(const QString& name);

class DrawingSurface
{
public:
    // An image target of the given size in pixels, cleared to BackColor.
    explicit DrawingSurface(int width = 0, int height = 0);
    // A printer target; the printer must outlive the surface.
    explicit DrawingSurface(QPrinter* printer);
    ~DrawingSurface();
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;

    // Retargeting ends any open document first. The drawing state (scale,
    // colours, font, ...) is kept; the scale follows the new size as after a
    // resize.
    void SetImageTarget(int width, int height);
    void SetPrinterTarget(QPrinter* printer);
    // A PDF file of the given page size; the margins (millimetres) play the
    // part of a printer's unprintable border. 600 dots per inch, as a laser
    // printer, so line widths match the printer's.
    void SetPdfTarget(const QString& path, const QPageSize& pageSize = QPageSize(QPageSize::A4),
                      const QMarginsF& marginsMillimetres = QMarginsF(5, 5, 5, 5), int resolution = 600);

    bool IsImage() const;
    bool IsPaged() const;
    // The printer of a printer target, else nullptr.
    QPrinter* PrinterDevice() const;

    // Image target: the drawing. Resize keeps what was drawn at the top-left
    // corner and clears new area to BackColor; a user scale keeps its values
    // (the drawing's coordinates stretch), the other modes follow the size.
    const QImage& Image() const;
    void Resize(int width, int height);
    // Image target: the pixels of an earlier drawing of the same size and
    // format put back whole (a drawing kept to be shown again). False, and
    // nothing changed, for another size, format or target.
    bool PutImage(const QImage& image);

    // Called after every change of an image target's pixels (a picture box
    // repaints on it).
    std::function<void()> Changed;
    // Called on a paged target just before a document begins (the program's
    // printer follows the system's default printer there).
    std::function<void()> BeforeBegin;

    // Size of the drawing area in device pixels and its resolution.
    int PixelWidth() const;
    int PixelHeight() const;
    double Dpi() const;

    // ---- Scale ----
    // False (and the scale unchanged) when x1 = x2, y1 = y2 or a value is not finite.
    bool Scale(double x1, double y1, double x2, double y2);
    // Back to twips from the top-left corner.
    void ResetScale();
    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);
    double ScaleLeft() const { return scaleLeft_; }
    double ScaleTop() const { return scaleTop_; }
    double ScaleWidth() const { return scaleWidth_; }
    double ScaleHeight() const { return scaleHeight_; }
    void SetScaleLeft(double value);
    void SetScaleTop(double value);
    void SetScaleWidth(double value);
    void SetScaleHeight(double value);

    // Device pixels <-> user coordinates. Positions: a pixel index p maps to
    // the user coordinate of its top-left corner. Extents are signed.
    double XFromPixel(double px) const;
    double YFromPixel(double py) const;
    double PixelFromX(double x) const;
    double PixelFromY(double y) const;
    double ScaleXFromPixels(double pixels) const;
    double ScaleYFromPixels(double pixels) const;
    double PixelsFromScaleX(double width) const;
    double PixelsFromScaleY(double height) const;

    // ---- State ----
    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double x) { currentX_ = x; }
    void SetCurrentY(double y) { currentY_ = y; }

    int32_t ForeColor() const { return foreColor_; }
    void SetForeColor(int32_t colour) { foreColor_ = colour; }
    int32_t BackColor() const { return backColor_; }
    // Takes effect with the next Cls, as on a picture box.
    void SetBackColor(int32_t colour) { backColor_ = colour; }
    int32_t FillColor() const { return fillColor_; }
    void SetFillColor(int32_t colour) { fillColor_ = colour; }
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int style);
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int width);
    int DrawStyle() const { return drawStyle_; }
    void SetDrawStyle(int style);

    QString FontName() const { return fontName_; }
    void SetFontName(const QString& name);
    double FontSize() const { return fontSize_; }
    void SetFontSize(double points);
    bool FontBold() const { return fontBold_; }
    void SetFontBold(bool on) { fontBold_ = on; }
    bool FontItalic() const { return fontItalic_; }
    void SetFontItalic(bool on) { fontItalic_ = on; }
    bool FontUnderline() const { return fontUnderline_; }
    void SetFontUnderline(bool on) { fontUnderline_ = on; }
    bool FontStrikethru() const { return fontStrikethru_; }
    void SetFontStrikethru(bool on) { fontStrikethru_ = on; }
    // The font as drawn (family resolved, no antialiasing).
    QFont Font() const;

    // ---- Drawing ----
    // Clears the image to BackColor (a paged target has nothing to clear);
    // CurrentX and CurrentY become 0.
    void Cls();

    // A line from (x1, y1) to (x2, y2) in ForeColor or the given colour, with
    // DrawWidth and DrawStyle. CurrentX/CurrentY move to (x2, y2).
    void Line(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, int32_t colour);
    // A line from the current position.
    void LineTo(double x2, double y2);
    void LineTo(double x2, double y2, int32_t colour);
    // Many lines at once, each drawn as Line draws it, through one painter:
    // a curve of hundreds of segments draws several times faster. A segment
    // with an end that is not finite is left out. CurrentX/CurrentY move to
    // the end of the last segment given.
    struct LineSegment {
        double X1 = 0;
        double Y1 = 0;
        double X2 = 0;
        double Y2 = 0;
        int32_t Colour = 0;
    };
    void Lines(const std::vector<LineSegment>& segments);
    // The original's "Line ..., B": the outline in ForeColor or the given
    // colour, the inside filled by FillStyle and FillColor.
    void Box(double x1, double y1, double x2, double y2);
    void Box(double x1, double y1, double x2, double y2, int32_t colour);
    // The original's "Line ..., BF": outline and inside solid in one colour.
    void BoxFilled(double x1, double y1, double x2, double y2);
    void BoxFilled(double x1, double y1, double x2, double y2, int32_t colour);
    // A circle; the radius is in units of the horizontal scale. Outline as a
    // line, inside by FillStyle and FillColor. CurrentX/CurrentY move to the centre.
    void Circle(double x, double y, double radius);
    void Circle(double x, double y, double radius, int32_t colour);
    // A point: one pixel, or a round dot DrawWidth pixels across.
    // CurrentX/CurrentY move to it.
    // Points and circles are marks: on a printer or PDF their DrawWidth counts
    // in screen pixels (15 twips), so a mark is as large on paper as on the
    // screen; lines keep DrawWidth in device pixels.
    void PSet(double x, double y);
    void PSet(double x, double y, int32_t colour);

    // Text in ForeColor with its top at CurrentY, starting at CurrentX; the
    // background shows through. SameLine leaves CurrentX at the end of the
    // text and CurrentY unchanged; NewLine puts CurrentX at ScaleLeft and
    // CurrentY one text line lower. A CR LF or LF inside the text ends a line.
    void Print(const QString& text, PrintEnd end = PrintEnd::NewLine);
    // Text with its top at y: alignment 1 ends at x, 2 is centred on x, 0 and
    // every other value start at x. Afterwards CurrentX is at the end of the
    // text and CurrentY is y.
    void PrintAligned(const QString& text, int alignment, double x, double y);
    // Extent of a text in the current font and scale (signed, see above).
    // Width of the longest line; height of one line times the number of lines.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;

    // A picture at its natural size (its own resolution, 96 dpi when it has
    // none) with its top-left corner at (x, y), or stretched into the
    // rectangle spanned by (x, y) and (x + width, y + height).
    void PaintPicture(const QImage& picture, double x, double y);
    void PaintPicture(const QImage& picture, double x, double y, double width, double height);
    void PaintPicture(const QPixmap& picture, double x, double y);
    void PaintPicture(const QPixmap& picture, double x, double y, double width, double height);

    // The colour of the pixel at (x, y); -1 outside the image or on a paged target.
    int32_t Point(double x, double y) const;

    // ---- Documents (paged targets) ----
    // The name of the documents begun from now on: the print queue's title
    // of the job, the title of a PDF.
    void SetDocName(const QString& name) { docName_ = name; }
    QString DocName() const { return docName_; }
    // Begins the document now; false when the device cannot be opened
    // (no printer, unwritable file). Drawing begins it on its own.
    bool Begin();
    // True while a document is open.
    bool IsActive() const;
    // The next sheet; on an image target it clears the image. CurrentX and
    // CurrentY become 0.
    void NewPage();
    // Ends the document: the printer job is sent, the PDF file is complete.
    // Without any drawing there is nothing to end. The next drawing begins a
    // new document.
    void EndDoc();
    // The page number within the open document (1 on the first sheet).
    int Page() const { return page_; }

    // ---- Batches (image targets) ----
    // While a batch lives, the drawing on an image target goes through one
    // painter kept open, and Changed is called once, when the batch ends: a
    // chart of many thousand marks draws several times faster. The pixels are
    // the same as without a batch, and Point reads them meanwhile. Batches
    // nest; retargeting or resizing ends the batch's painter early. Other
    // targets are not affected.
    class Batch {
    public:
        explicit Batch(DrawingSurface& surface);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        DrawingSurface& surface_;
    };

private:
    class PainterScope;
    friend class PainterScope;

    void RetargetScale();
    double UnitsPerPixelX(int mode) const;
    double UnitsPerPixelY(int mode) const;
    QPaintDevice* Device() const;
    QPagedPaintDevice* PagedDevice() const;
    bool EnsurePainter(bool retry = false);
    void EndPainter();
    void NotifyChanged();
    QPen MakePen(int32_t colour) const;
    QBrush MakeFillBrush() const;
    void FillShape(QPainter* painter, const QRectF& rect, bool ellipse, const QBrush& brush) const;
    void DrawLineDevice(double x1, double y1, double x2, double y2, int32_t colour);
    bool ClipLineDevice(double& x1, double& y1, double& x2, double& y2) const;
    void PaintLineDevice(QPainter* painter, double x1, double y1, double x2, double y2) const;
    void DrawBoxDevice(double x1, double y1, double x2, double y2, int32_t colour, bool filled);
    void PrintLine(const QString& text);
    double PatternScale() const;
    double MarkWidth() const;
    void EndBatchPainter();

    enum class Kind { Image, Printer, Pdf };
    Kind kind_ = Kind::Image;
    QImage image_;
    QPrinter* printer_ = nullptr;
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<QPainter> painter_;  // paged targets: open while the document is
    std::unique_ptr<QPainter> batchPainter_;  // image targets: open while a batch lives
    int batchDepth_ = 0;
    bool batchChanged_ = false;
    int page_ = 0;
    bool beginFailed_ = false;

    int scaleMode_ = vbTwips;
    double scaleLeft_ = 0;
    double scaleTop_ = 0;
    double scaleWidth_ = 1;
    double scaleHeight_ = 1;
    double currentX_ = 0;
    double currentY_ = 0;
    int32_t foreColor_ = vbBlack;
    int32_t backColor_ = vbWhite;
    int32_t fillColor_ = vbBlack;
    int fillStyle_ = vbFSTransparent;
    int drawWidth_ = 1;
    int drawStyle_ = vbSolid;
    QString fontName_ = QStringLiteral("Arial");
    QString fontFamily_ = QStringLiteral("Liberation Sans");
    double fontSize_ = 8;
    bool fontBold_ = false;
    bool fontItalic_ = false;
    bool fontUnderline_ = false;
    bool fontStrikethru_ = false;
    QString docName_;
};

// The program's printer: the system's default printer (followed anew for
// every document), or a PDF file while SetPrinterOutputFile names one. The
// same object for the whole run, so callers may compare addresses; its
// QPrinter is made anew after a document that would not begin.
DrawingSurface& Printer();
// A non-empty path sends the printer's documents to that PDF file; an empty
// one goes back to the default printer.
void SetPrinterOutputFile(const QString& path);
// True when there is somewhere to print: an output file, or a default printer.
bool PrinterAvailable();
