#include "platform/DrawingSurface.h"
#include "platform/PictureBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int32_t PixelAt(const QImage& image, int x, int y)
{
    return FromQColor(QColor(image.pixel(x, y)));
}

struct Pixel {
    int x, y;
    int32_t colour;
};

void ExpectPixels(const QImage& image, std::initializer_list<Pixel> pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(PixelAt(image, p.x, p.y), p.colour) << "pixel " << p.x << "," << p.y;
}

struct UserPoint {
    double x, y;
    int32_t colour;
};

// Reads back at drawing coordinates.
void ExpectPoints(const DrawingSurface& s, std::initializer_list<UserPoint> points)
{
    for (const UserPoint& p : points)
        EXPECT_EQ(s.Point(p.x, p.y), p.colour) << "point " << p.x << "," << p.y;
}

// Pixels of one colour within a rectangle (inclusive).
int CountColour(const QImage& image, int32_t colour, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (image.valid(x, y) && PixelAt(image, x, y) == colour)
                ++n;
    return n;
}

struct InkBounds
{
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

// Bounds of every pixel that is not the background.
InkBounds Ink(const QImage& image, int32_t background = vbWhite)
{
    InkBounds b;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != background) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

bool HaveTool(const char* name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<failed: ") + QString::fromLocal8Bit(process.readAllStandardError()) + QStringLiteral(">");
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of one page of a PDF, or of all pages when page is 0.
QString PdfText(const QString& pdf, int page = 0)
{
    QStringList arguments{pdf, "-"};
    if (page > 0)
        arguments = QStringList{"-f", QString::number(page), "-l", QString::number(page)} + arguments;
    return RunTool("pdftotext", arguments);
}

// QUINTARA_KEEP_TEST_FILES=1 keeps the rendered files for a look.
void KeepWhenAsked(QTemporaryDir& dir)
{
    if (qEnvironmentVariableIsSet("QUINTARA_KEEP_TEST_FILES")) {
        dir.setAutoRemove(false);
        std::printf("rendered files kept in %s\n", qPrintable(dir.path()));
    }
}

}  // namespace

TEST(ColoursTest, ValuesKeepRedInTheLowByte)
{
    EXPECT_EQ(std::vector<int32_t>({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(300, -5, 0)}),
              std::vector<int32_t>({255, 65280, 16711680, 255}));
    EXPECT_EQ(std::vector<int32_t>({QBColor(0), QBColor(4), QBColor(9), QBColor(12), QBColor(15), QBColor(16)}),
              std::vector<int32_t>({0, 0x000080, 0xFF0000, 0x0000FF, 0xFFFFFF, 0}));
    EXPECT_EQ(ToQColor(RGB(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(FromQColor(QColor(10, 20, 30)), RGB(10, 20, 30));
}

TEST(DrawingSurfaceTest, StartsInTwipsAndKeepsAUserScaleOnResize)
{
    DrawingSurface s(100, 50);
    EXPECT_EQ(s.ScaleMode(), vbTwips);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 1500);
    EXPECT_DOUBLE_EQ(s.ScaleHeight(), 750);
    s.Resize(200, 50);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 3000);

    ASSERT_TRUE(s.Scale(0, 10, 100, 0));
    EXPECT_EQ(s.ScaleMode(), vbUser);
    EXPECT_DOUBLE_EQ(s.ScaleLeft(), 0);
    EXPECT_DOUBLE_EQ(s.ScaleTop(), 10);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 100);
    EXPECT_DOUBLE_EQ(s.ScaleHeight(), -10);
    s.Resize(400, 100);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 100);
    EXPECT_DOUBLE_EQ(s.ScaleHeight(), -10);
    EXPECT_DOUBLE_EQ(s.PixelFromX(50), 200);
    EXPECT_DOUBLE_EQ(s.PixelFromY(0), 100);

    // A scale that cannot be drawn is refused and the old one stays.
    EXPECT_FALSE(s.Scale(0, 5, 0, 1));
    EXPECT_FALSE(s.Scale(0, 5, 10, 5));
    EXPECT_FALSE(s.Scale(0, std::nan(""), 10, 1));
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 100);

    s.SetScaleMode(vbPixels);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 400);
    EXPECT_DOUBLE_EQ(s.ScaleTop(), 0);
    s.ResetScale();
    EXPECT_DOUBLE_EQ(s.ScaleHeight(), 1500);
}

TEST(DrawingSurfaceTest, PixelsLandWhereAnUpwardScaleSays)
{
    // 100 x 100 pixels, x 0..100 to the right, y 0..10 upward: one x unit is
    // one pixel, one y unit ten pixels, y = 10 on the top row.
    DrawingSurface s(100, 100);
    ASSERT_TRUE(s.Scale(0, 10, 100, 0));
    s.BoxFilled(0, 2, 100, 4, RGB(128, 128, 128));
    s.Line(0, 8, 100, 8, vbRed);
    s.PSet(25, 7.5, vbBlue);
    const int32_t grey = RGB(128, 128, 128);
    // The band from y 2 to 4 is rows 60 to 80; y = 8 is row 20, near the top.
    ExpectPixels(s.Image(), {{50, 70, grey}, {0, 61, grey}, {99, 79, grey}, {50, 58, vbWhite}, {50, 82, vbWhite},
                             {40, 20, vbRed}, {40, 19, vbWhite}, {40, 21, vbWhite}, {25, 25, vbBlue}});
    EXPECT_EQ(CountColour(s.Image(), vbBlue, 0, 0, 99, 99), 1);

    // Reading back at the drawing coordinates finds the drawn colours; outside the picture -1.
    ExpectPoints(s, {{25, 7.5, vbBlue}, {60, 8, vbRed}, {60, 3, grey}, {60, 9.5, vbWhite}, {-1, 5, -1},
                     {50, 10.5, -1}, {100.5, 5, -1}});
    // Every pixel maps back to a coordinate that reads that pixel.
    for (int p = 0; p < 100; p += 7)
        EXPECT_EQ(s.Point(s.XFromPixel(p), s.YFromPixel(20)), vbRed) << p;
}

TEST(DrawingSurfaceTest, LinesFollowWidthAndStyleAndMoveTheCurrentPosition)
{
    DrawingSurface s(100, 100);
    s.SetScaleMode(vbPixels);
    s.Line(10, 10, 90, 10);  // ForeColor black
    EXPECT_DOUBLE_EQ(s.CurrentX(), 90);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 10);
    s.LineTo(90, 50, vbBlue);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 50);
    const QImage& img = s.Image();
    EXPECT_EQ(CountColour(img, vbBlack, 10, 10, 89, 10), 80);
    EXPECT_EQ(CountColour(img, vbBlack, 10, 9, 90, 9) + CountColour(img, vbBlack, 10, 11, 90, 11), 0);
    ExpectPixels(img, {{90, 30, vbBlue}, {89, 30, vbWhite}});

    // A diagonal runs through its middle.
    s.Line(0, 99, 99, 0, vbRed);
    EXPECT_TRUE(PixelAt(img, 50, 49) == vbRed || PixelAt(img, 49, 50) == vbRed || PixelAt(img, 50, 50) == vbRed);

    // Width 3 covers the rows on both sides.
    s.SetDrawWidth(3);
    s.Line(10, 70, 90, 70, vbGreen);
    ExpectPixels(img, {{50, 69, vbGreen}, {50, 70, vbGreen}, {50, 71, vbGreen}, {50, 73, vbWhite}});

    // Dotted: one pixel wide with gaps; with a wider pen the style is solid.
    s.SetDrawWidth(1);
    s.SetDrawStyle(vbDot);
    s.Line(0, 90, 99, 90, vbBlue);
    const int dots = CountColour(img, vbBlue, 0, 90, 99, 90);
    EXPECT_GT(dots, 30);
    EXPECT_LT(dots, 70);
    s.SetDrawStyle(vbSolid);

    // Nothing but the exact colours drawn (no antialiasing).
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const int32_t c = PixelAt(img, x, y);
            ASSERT_TRUE(c == vbWhite || c == vbBlack || c == vbBlue || c == vbRed || c == vbGreen) << x << "," << y;
        }
}

TEST(DrawingSurfaceTest, FarCoordinatesAreClippedNotLost)
{
    // A missing value (the most negative single) as an end point: the line
    // still runs from its visible end to the edge.
    const double noValue = -3.402823e38;
    DrawingSurface s(50, 100);
    ASSERT_TRUE(s.Scale(0, 10, 50, 0));
    s.Line(25, 5, 25, noValue, vbBlack);
    s.BoxFilled(0, noValue, 10, 2, vbRed);
    ExpectPixels(s.Image(),
                 {{25, 50, vbBlack}, {25, 99, vbBlack}, {25, 40, vbWhite}, {5, 99, vbRed}, {5, 79, vbWhite}});
    s.PSet(10, noValue, vbGreen);
    s.Circle(10, 1e30, 3, vbGreen);
    s.Line(std::nan(""), 0, 1, 1, vbGreen);
    EXPECT_EQ(CountColour(s.Image(), vbGreen, 0, 0, 49, 99), 0);
}

TEST(DrawingSurfaceTest, ABatchOfLinesDrawsWhatLineDrawsSegmentBySegment)
{
    const double noValue = -3.402823e38;
    const std::vector<DrawingSurface::LineSegment> segments = {
        {0, 0, 10, 8, vbRed},     {10, 8, 20, 3, vbRed},       {20, 3, 30, 9, vbBlack},
        {30, 9, std::nan(""), 5, vbBlue},                     {35, 5, 40, noValue, vbBlue},
        {40, 2, 40, 2, vbGreen},  {41, 1, 49, 9.5, vbBlack},
    };
    for (const auto& [width, style] : {std::pair{1, vbSolid}, std::pair{3, vbSolid}, std::pair{1, vbDot}}) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", style " << style);
        DrawingSurface one(60, 50);
        DrawingSurface batch(60, 50);
        int changes = 0;
        batch.Changed = [&changes] { ++changes; };
        for (DrawingSurface* s : {&one, &batch}) {
            ASSERT_TRUE(s->Scale(0, 10, 50, 0));
            s->SetDrawWidth(width);
            s->SetDrawStyle(style);
        }
        for (const DrawingSurface::LineSegment& l : segments)
            one.Line(l.X1, l.Y1, l.X2, l.Y2, l.Colour);
        batch.Lines(segments);
        EXPECT_EQ(batch.Image(), one.Image());
        EXPECT_GT(CountColour(batch.Image(), vbBlue, 0, 0, 59, 49), 0) << "the far end clipped, not lost";
        EXPECT_EQ(changes, 1) << "one repaint for the batch";
        EXPECT_EQ(batch.CurrentX(), 49);
        EXPECT_EQ(batch.CurrentY(), 9.5);
    }
    DrawingSurface empty(10, 10);
    empty.Lines({});
    EXPECT_EQ(CountColour(empty.Image(), vbWhite, 0, 0, 9, 9), 100);
}

TEST(DrawingSurfaceTest, BoxesAreOutlinedFilledOrHatched)
{
    DrawingSurface s(120, 60);
    s.SetScaleMode(vbPixels);
    // Outline only (fill transparent by default).
    s.Box(10, 10, 30, 30, vbRed);
    const QImage& img = s.Image();
    ExpectPixels(img, {{10, 20, vbRed}, {30, 20, vbRed}, {20, 10, vbRed}, {20, 30, vbRed}, {20, 20, vbWhite}});
    EXPECT_DOUBLE_EQ(s.CurrentX(), 30);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 30);

    // Outline with a solid fill of another colour.
    s.SetFillStyle(vbFSSolid);
    s.SetFillColor(vbBlue);
    s.Box(40, 10, 60, 30, vbBlack);
    ExpectPixels(img, {{40, 20, vbBlack}, {50, 20, vbBlue}});

    // Filled box: one colour, whatever the fill style.
    s.BoxFilled(70, 10, 80, 20, vbGreen);
    EXPECT_EQ(CountColour(img, vbGreen, 70, 10, 80, 20), 121);

    // Hatched: an upward diagonal pattern "/" in the fill colour on the background.
    s.SetFillStyle(vbUpwardDiagonal);
    s.SetFillColor(vbRed);
    s.Box(85, 10, 115, 50, vbBlack);
    const int red = CountColour(img, vbRed, 86, 11, 114, 49);
    EXPECT_GT(red, 40);
    EXPECT_GT(CountColour(img, vbWhite, 86, 11, 114, 49), red);
    int rising = 0, falling = 0;
    for (int y = 12; y < 48; ++y)
        for (int x = 87; x < 113; ++x)
            if (PixelAt(img, x, y) == vbRed) {
                rising += PixelAt(img, x + 1, y - 1) == vbRed;
                falling += PixelAt(img, x + 1, y + 1) == vbRed;
            }
    EXPECT_GT(rising, falling);

    // Diagonal cross hatching differs from the single diagonal.
    s.SetFillStyle(vbDiagonalCross);
    s.Box(10, 40, 40, 58, vbBlue);
    falling = 0;
    for (int y = 42; y < 56; ++y)
        for (int x = 12; x < 38; ++x)
            if (PixelAt(img, x, y) == vbRed && PixelAt(img, x + 1, y + 1) == vbRed)
                ++falling;
    EXPECT_GT(falling, 5);
}

TEST(DrawingSurfaceTest, CirclesAreRoundInHorizontalUnitsAndFilledByFillStyle)
{
    // x 0..10 over 100 pixels, y 0..100 over 100 pixels: a radius of 2 is 20
    // pixels in both directions.
    DrawingSurface s(100, 100);
    ASSERT_TRUE(s.Scale(0, 100, 10, 0));
    s.Circle(5, 50, 2, vbRed);
    EXPECT_DOUBLE_EQ(s.CurrentX(), 5);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 50);
    const QImage& img = s.Image();
    EXPECT_EQ(PixelAt(img, 50, 50), vbWhite);
    EXPECT_GT(CountColour(img, vbRed, 69, 48, 71, 52), 0);  // right
    EXPECT_GT(CountColour(img, vbRed, 29, 48, 31, 52), 0);  // left
    EXPECT_GT(CountColour(img, vbRed, 48, 29, 52, 31), 0);  // top
    EXPECT_GT(CountColour(img, vbRed, 48, 69, 52, 71), 0);  // bottom
    EXPECT_EQ(CountColour(img, vbRed, 0, 0, 99, 27), 0);
    EXPECT_EQ(CountColour(img, vbRed, 73, 0, 99, 99), 0);

    s.SetFillStyle(vbFSSolid);
    s.SetFillColor(vbBlue);
    s.Circle(5, 50, 1, vbBlack);
    EXPECT_EQ(PixelAt(img, 50, 50), vbBlue);
    EXPECT_TRUE(PixelAt(img, 60, 50) == vbBlack || PixelAt(img, 61, 50) == vbBlack);
}

TEST(DrawingSurfaceTest, ClsClearsToTheBackColourAndResetsThePosition)
{
    DrawingSurface s(20, 20);
    s.SetScaleMode(vbPixels);
    s.BoxFilled(0, 0, 19, 19, vbRed);
    s.SetCurrentX(5);
    s.SetBackColor(RGB(1, 2, 3));
    s.Cls();
    EXPECT_EQ(CountColour(s.Image(), RGB(1, 2, 3), 0, 0, 19, 19), 400);
    EXPECT_DOUBLE_EQ(s.CurrentX(), 0);
    // Growing keeps the drawing and clears the new area.
    s.PSet(3, 3, vbGreen);
    s.Resize(30, 30);
    ExpectPixels(s.Image(), {{3, 3, vbGreen}, {25, 25, RGB(1, 2, 3)}});
}

TEST(DrawingSurfaceTest, ArialIsLiberationSansAndOtherFontsFallBackToDejaVu)
{
    DrawingSurface s(10, 10);
    EXPECT_EQ(s.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(QFontInfo(s.Font()).family(), QStringLiteral("Liberation Sans"));
    s.SetFontBold(true);
    s.SetFontItalic(true);
    EXPECT_TRUE(QFontInfo(s.Font()).bold());
    EXPECT_TRUE(QFontInfo(s.Font()).italic());
    EXPECT_EQ(QFontInfo(s.Font()).family(), QStringLiteral("Liberation Sans"));
    s.SetFontName(QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(QFontInfo(s.Font()).family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(ResolveFontFamily(QStringLiteral("Courier New")), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(ResolveFontFamily(QStringLiteral("Times New Roman")), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(ResolveFontFamily(QStringLiteral("arial")), QStringLiteral("Liberation Sans"));
}

TEST(DrawingSurfaceTest, TextExtentsAreInUserUnitsWithTheScalesSign)
{
    DrawingSurface s(300, 200);
    s.SetFontSize(12);
    const double twipsWidth = s.TextWidth(QStringLiteral("Test"));
    const double twipsHeight = s.TextHeight(QStringLiteral("Test"));
    s.SetScaleMode(vbPixels);
    const double pixelWidth = s.TextWidth(QStringLiteral("Test"));
    const double pixelHeight = s.TextHeight(QStringLiteral("Test"));
    EXPECT_NEAR(twipsWidth, 15 * pixelWidth, 1e-9);
    EXPECT_NEAR(twipsHeight, 15 * pixelHeight, 1e-9);
    // Arial's advance widths (units of 2048 per em): T 1251, e 1139, s 1024,
    // t 569; at 12 pt and 96 dpi "Test" is 3983 / 2048 * 16 = 31.1 pixels.
    EXPECT_NEAR(pixelWidth, 31.1, 1.2);
    // One line of Arial is 2288 / 2048 em high: 17.9 pixels at 12 pt.
    EXPECT_NEAR(pixelHeight, 17.9, 1.2);

    ASSERT_TRUE(s.Scale(0, 20, 300, 0));  // y upward, 10 pixels per unit
    EXPECT_NEAR(s.TextHeight(QStringLiteral("A")), -pixelHeight / 10, 1e-9);
    EXPECT_NEAR(s.TextHeight(QStringLiteral("A\r\nB")), -2 * pixelHeight / 10, 1e-9);
    EXPECT_NEAR(s.TextWidth(QStringLiteral("Test\nTe")), pixelWidth, 1e-9);
    ASSERT_TRUE(s.Scale(300, 0, 0, 20));  // x leftward
    EXPECT_LT(s.TextWidth(QStringLiteral("Test")), 0);
}

TEST(DrawingSurfaceTest, PrintPutsTheTopAtCurrentYAndMovesThePosition)
{
    DrawingSurface s(300, 200);
    s.SetScaleMode(vbPixels);
    s.SetFontSize(12);
    s.SetCurrentX(20);
    s.SetCurrentY(40);
    const double w = s.TextWidth(QStringLiteral("Hello"));
    const double h = s.TextHeight(QStringLiteral("Hello"));
    s.Print(QStringLiteral("Hello"), PrintEnd::SameLine);
    EXPECT_NEAR(s.CurrentX(), 20 + w, 1e-9);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 40);
    const InkBounds b = Ink(s.Image());
    ASSERT_FALSE(b.Empty());
    EXPECT_GE(b.top, 40);
    EXPECT_LE(b.top, 40 + h / 3);
    EXPECT_LT(b.bottom, 40 + h);
    EXPECT_GE(b.left, 20);
    EXPECT_LE(b.left, 23);
    EXPECT_LE(b.right, 20 + w);
    // Text pixels are the exact fore colour.
    EXPECT_EQ(CountColour(s.Image(), vbBlack, 0, 0, 299, 199) + CountColour(s.Image(), vbWhite, 0, 0, 299, 199),
              300 * 200);

    s.Print(QStringLiteral(" world"));
    EXPECT_DOUBLE_EQ(s.CurrentX(), 0);
    EXPECT_NEAR(s.CurrentY(), 40 + h, 1e-9);
    s.Print(QStringLiteral("a\r\nb"), PrintEnd::SameLine);
    EXPECT_NEAR(s.CurrentY(), 40 + 2 * h, 1e-9);
    EXPECT_NEAR(s.CurrentX(), s.TextWidth(QStringLiteral("b")), 1e-9);

    // With y upward the next line is still further down the picture.
    DrawingSurface up(300, 200);
    ASSERT_TRUE(up.Scale(0, 100, 300, 0));
    up.SetCurrentY(80);
    up.Print(QStringLiteral("Line"));
    EXPECT_LT(up.CurrentY(), 80);
    const InkBounds u = Ink(up.Image());
    EXPECT_GE(u.top, 40);  // y 80 is row 40
    EXPECT_LE(u.top, 46);
}

TEST(DrawingSurfaceTest, PrintAlignedStartsEndsOrCentresOnX)
{
    DrawingSurface s(400, 100);
    ASSERT_TRUE(s.Scale(0, 0, 200, 50));  // two pixels per unit
    s.SetFontSize(10);
    const QString text = QStringLiteral("1.25 mm");
    const double w = s.TextWidth(text);
    ASSERT_GT(w, 10);

    s.PrintAligned(text, vbLeftJustify, 50, 10);
    EXPECT_NEAR(s.CurrentX(), 50 + w, 1e-9);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 10);
    InkBounds b = Ink(s.Image());
    EXPECT_GE(b.left, 100);
    EXPECT_LE(b.left, 104);
    EXPECT_GE(b.top, 20);

    s.Cls();
    s.PrintAligned(text, vbRightJustify, 150, 10);
    EXPECT_NEAR(s.CurrentX(), 150, 1e-9);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 10);
    b = Ink(s.Image());
    EXPECT_LE(b.right, 300);
    EXPECT_GE(b.right, 294);
    EXPECT_NEAR(b.left, 2 * (150 - w), 4);

    s.Cls();
    s.PrintAligned(text, vbCenter, 100, 30);
    EXPECT_NEAR(s.CurrentX(), 100 + w / 2, 1e-9);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 30);
    b = Ink(s.Image());
    EXPECT_NEAR((b.left + b.right) / 2.0, 200, 3);
    EXPECT_GE(b.top, 60);

    // With y upward, "y - half the text height" centres the text on y.
    DrawingSurface up(200, 200);
    ASSERT_TRUE(up.Scale(0, 100, 100, 0));
    up.SetFontSize(10);
    const double h = up.TextHeight(text);
    ASSERT_LT(h, 0);
    up.PrintAligned(text, vbRightJustify, 100, 50 - h / 2);
    EXPECT_DOUBLE_EQ(up.CurrentX(), 100);
    const InkBounds c = Ink(up.Image());
    EXPECT_NEAR((c.top + c.bottom) / 2.0, 100, 4);
    EXPECT_LE(c.right, 199);
}

TEST(DrawingSurfaceTest, PicturesAtNaturalSizeOrStretched)
{
    QImage red(10, 5, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    DrawingSurface s(100, 100);
    ASSERT_TRUE(s.Scale(0, 0, 50, 50));  // two pixels per unit
    s.PaintPicture(red, 10, 10);
    EXPECT_EQ(CountColour(s.Image(), vbRed, 0, 0, 99, 99), 50);
    ExpectPixels(s.Image(), {{20, 20, vbRed}, {29, 24, vbRed}, {30, 20, vbWhite}});
    s.Cls();
    s.PaintPicture(QPixmap::fromImage(red), 20, 20, 10, 20);
    EXPECT_EQ(CountColour(s.Image(), vbRed, 0, 0, 99, 99), 20 * 40);
    ExpectPixels(s.Image(), {{40, 40, vbRed}, {59, 79, vbRed}});
}

TEST(DrawingSurfaceTest, ABatchDrawsTheSamePixelsAndTellsTheChangeOnce)
{
    // Every kind of drawing, once alone and once in a batch.
    const auto draw = [](DrawingSurface& s) {
        ASSERT_TRUE(s.Scale(0, 10, 10, 0));
        s.BoxFilled(0, 4, 10, 6, RGB(128, 128, 128));
        s.Line(0, 5, 10, 5, RGB(192, 192, 192));
        s.Line(3, 1, 3, 9, vbRed);
        s.SetDrawWidth(3);
        s.PSet(3, 8, vbBlue);
        s.SetDrawWidth(1);
        s.PSet(7, 7, vbGreen);
        s.SetFillStyle(vbFSSolid);
        s.Circle(6, 3, 1, vbBlack);
        s.Print(QStringLiteral("Ab"));
    };
    DrawingSurface alone(60, 40);
    draw(alone);
    DrawingSurface batched(60, 40);
    int changes = 0;
    batched.Changed = [&changes] { ++changes; };
    {
        const DrawingSurface::Batch batch(batched);
        const DrawingSurface::Batch nested(batched);
        draw(batched);
        EXPECT_EQ(batched.Point(3, 8), vbBlue);   // readable meanwhile
        EXPECT_EQ(changes, 0);
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(batched.Image(), alone.Image());

    // Resizing ends the batch's painter; drawing goes on in the new image.
    {
        const DrawingSurface::Batch batch(batched);
        batched.Resize(80, 40);
        batched.Line(0, 1, 10, 1, vbRed);
    }
    EXPECT_EQ(batched.Image().width(), 80);
    EXPECT_EQ(batched.Point(5, 1), vbRed);
    EXPECT_EQ(changes, 2);
}

TEST(DrawingSurfaceTest, DotsAreTheEllipsesThePainterFills)
{
    // Every width, at pixel centres inside and across each edge.
    for (int width = 2; width <= 20; width += 3) {
        DrawingSurface dots(40, 30);
        QImage painted(40, 30, QImage::Format_RGB32);
        painted.fill(Qt::white);
        dots.SetScaleMode(vbPixels);
        dots.SetDrawWidth(width);
        QPainter painter(&painted);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Qt::red));
        for (const QPoint at : {QPoint(20, 15), QPoint(0, 0), QPoint(39, 29), QPoint(-2, 10), QPoint(10, 31)}) {
            dots.PSet(at.x() + 0.5, at.y() + 0.5, vbRed);
            painter.drawEllipse(QPointF(at.x() + 0.5, at.y() + 0.5), width / 2.0, width / 2.0);
        }
        painter.end();
        EXPECT_EQ(dots.Image(), painted) << width;
    }
}

TEST(DrawingSurfaceTest, PdfHasOnePagePerSheetWithItsTextAndColours)
{
    if (!HaveTool("pdftoppm") || !HaveTool("pdftotext"))
        GTEST_SKIP() << "poppler-utils not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    KeepWhenAsked(dir);
    const QString pdf = dir.filePath(QStringLiteral("two.pdf"));
    {
        DrawingSurface s;
        s.SetPdfTarget(pdf);
        ASSERT_TRUE(s.IsPaged());
        ASSERT_TRUE(s.Scale(0, 0, 100, 141));
        ASSERT_TRUE(s.Begin());
        EXPECT_EQ(s.Page(), 1);
        s.BoxFilled(10, 10, 50, 40, vbBlue);
        s.SetFontSize(12);
        s.SetFontBold(true);
        s.PrintAligned(QStringLiteral("Test Report"), vbCenter, 53.5, 3);
        s.SetFontBold(false);
        s.SetFontSize(8);
        s.PrintAligned(QStringLiteral("Page 1"), vbRightJustify, 96, 130);
        s.NewPage();
        EXPECT_EQ(s.Page(), 2);
        EXPECT_DOUBLE_EQ(s.ScaleHeight(), 141);  // the scale stays for the next sheet
        s.BoxFilled(50, 100, 90, 130, vbRed);
        s.SetFillStyle(vbUpwardDiagonal);
        s.SetFillColor(vbBlue);
        s.Box(10, 100, 40, 130, vbBlue);
        s.SetFillStyle(vbFSTransparent);
        s.SetCurrentX(12);
        s.SetCurrentY(20);
        s.SetFontItalic(true);
        s.Print(QStringLiteral("Commentary: second sheet"));
        s.PrintAligned(QStringLiteral("Page 2"), vbRightJustify, 96, 130);
        s.EndDoc();
        EXPECT_FALSE(s.IsActive());
    }
    ASSERT_TRUE(QFile::exists(pdf));

    const QString prefix = dir.filePath(QStringLiteral("page"));
    RunTool("pdftoppm", {"-r", "60", "-aa", "no", "-aaVector", "no", "-png", pdf, prefix});
    const QImage page1(prefix + QStringLiteral("-1.png"));
    const QImage page2(prefix + QStringLiteral("-2.png"));
    ASSERT_FALSE(page1.isNull());
    ASSERT_FALSE(page2.isNull());
    EXPECT_FALSE(QFile::exists(prefix + QStringLiteral("-3.png")));
    // A4 at 60 dpi: 496 x 702 pixels.
    EXPECT_NEAR(page1.width(), 496, 2);
    EXPECT_NEAR(page1.height(), 702, 2);

    // The page's drawing area is the sheet less 5 mm on every side.
    const double mm = 60 / 25.4;
    auto sheetX = [&](double x) { return int(std::lround((5 + x * 2.0) * mm)); };    // 200 mm / 100 units
    auto sheetY = [&](double y) { return int(std::lround((5 + y * 287.0 / 141) * mm)); };
    ExpectPixels(page1, {{sheetX(30), sheetY(25), vbBlue}, {sheetX(70), sheetY(115), vbWhite}});
    ExpectPixels(page2, {{sheetX(70), sheetY(115), vbRed}, {sheetX(30), sheetY(25), vbWhite}});
    // Hatched box: some blue inside, mostly white.
    int blue = 0, white = 0;
    for (int y = sheetY(102); y < sheetY(128); ++y)
        for (int x = sheetX(12); x < sheetX(38); ++x) {
            const QColor c(page2.pixel(x, y));
            blue += c == QColor(Qt::blue);
            white += c == QColor(Qt::white);
        }
    EXPECT_GT(blue, 100);
    EXPECT_GT(white, blue);
    // The text is on the rendered pages: ink below the top of each line, none above.
    auto ink = [](const QImage& page, int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                n += QColor(page.pixel(x, y)).lightness() < 128;
        return n;
    };
    EXPECT_GT(ink(page2, sheetX(12), sheetY(20), sheetX(40), sheetY(21.6)), 20);   // "Commentary: ..."
    EXPECT_EQ(ink(page2, sheetX(12), sheetY(17), sheetX(40), sheetY(19.8)), 0);
    EXPECT_GT(ink(page1, sheetX(35), sheetY(3), sheetX(72), sheetY(5.3)), 20);     // "Test Report"
    EXPECT_GT(ink(page1, sheetX(85), sheetY(130), sheetX(96), sheetY(131.6)), 5);  // "Page 1"

    const QString text1 = PdfText(pdf, 1);
    const QString text2 = PdfText(pdf, 2);
    EXPECT_TRUE(text1.contains(QStringLiteral("Test Report"))) << text1.toStdString();
    EXPECT_TRUE(text1.contains(QStringLiteral("Page 1"))) << text1.toStdString();
    EXPECT_FALSE(text1.contains(QStringLiteral("Page 2")));
    EXPECT_TRUE(text2.contains(QStringLiteral("Commentary: second sheet"))) << text2.toStdString();
    EXPECT_TRUE(text2.contains(QStringLiteral("Page 2"))) << text2.toStdString();

    // The fonts in the file are Liberation Sans.
    const QString fonts = RunTool("pdffonts", {pdf});
    if (!fonts.startsWith(QLatin1Char('<'))) {
        EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans"))) << fonts.toStdString();
    }
}

TEST(DrawingSurfaceTest, TextOnThePageHasArialMetrics)
{
    // Page breaks depend on text extents in page units: 8 pt "Test" on a
    // 200 mm wide drawing area scaled 0..100 is 15.56 pt = 5.49 mm = 2.74 units.
    QTemporaryDir dir;
    DrawingSurface s;
    s.SetPdfTarget(dir.filePath(QStringLiteral("metrics.pdf")));
    ASSERT_TRUE(s.Scale(0, 0, 100, 141));
    EXPECT_NEAR(s.TextWidth(QStringLiteral("Test")), 2.745, 0.03);
    // One 8 pt line, 8.94 pt = 3.15 mm, on 287 mm for 141 units.
    EXPECT_NEAR(s.TextHeight(QStringLiteral("Test")), 1.55, 0.05);
    EXPECT_FALSE(s.IsActive());  // measuring opens no document
    s.EndDoc();
}

// A document that would not begin leaves nothing stuck: the program's
// printer prints again once its output can be opened, one page per sheet.
TEST(DrawingSurfaceTest, ProgramPrinterWritesToAFileWhenToldOnceItCanBeOpened)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("later"));
    const QString pdf = folder + QStringLiteral("/printer.pdf");
    SetPrinterOutputFile(pdf);
    EXPECT_TRUE(PrinterAvailable());
    DrawingSurface& printer = Printer();
    EXPECT_EQ(&printer, &Printer());
    ASSERT_NE(printer.PrinterDevice(), nullptr);
    EXPECT_FALSE(printer.Begin());  // the folder does not exist yet
    printer.EndDoc();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(printer.Scale(0, 0, 100, 141));
    printer.PrintAligned(QStringLiteral("First sheet"), vbLeftJustify, 12, 10);
    EXPECT_TRUE(printer.IsActive());  // drawing began the document
    printer.NewPage();
    printer.PrintAligned(QStringLiteral("Second sheet"), vbLeftJustify, 12, 10);
    printer.EndDoc();
    SetPrinterOutputFile(QString());
    ASSERT_TRUE(QFile::exists(pdf));
    if (HaveTool("pdftotext")) {
        const QString all = PdfText(pdf);
        EXPECT_TRUE(all.contains(QStringLiteral("First sheet"))) << all.toStdString();
        EXPECT_TRUE(all.contains(QStringLiteral("Second sheet")));
        EXPECT_EQ(all.count(QChar(u'\f')), 2);  // one form feed per page
    }
}

TEST(PictureBoxTest, ItsSurfaceFollowsTheControlAndMouseEventsUseTheScale)
{
    PictureBox box;
    box.setFrameStyle(QFrame::Box | QFrame::Plain);
    box.setLineWidth(1);
    box.resize(102, 52);
    EXPECT_EQ(box.Surface().Image().size(), QSize(100, 50));
    int changes = 0;
    box.Surface().Changed = [&] { ++changes; };
    ASSERT_TRUE(box.Surface().Scale(0, 5, 10, 0));
    box.Surface().PSet(5, 2.5, vbRed);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.Surface().Point(5, 2.5), vbRed);

    box.show();
    box.resize(202, 102);
    EXPECT_EQ(box.Surface().Image().size(), QSize(200, 100));
    EXPECT_DOUBLE_EQ(box.Surface().ScaleWidth(), 10);  // the user scale stays
    EXPECT_EQ(PixelAt(box.Surface().Image(), 50, 25), vbRed);  // the drawing stays

    const QImage shown = box.grab().toImage();
    EXPECT_EQ(FromQColor(QColor(shown.pixel(51, 26))), vbRed);

    int button = -1, shift = -1;
    double x = -1, y = -1;
    QObject::connect(&box, &PictureBox::mouseUp, [&](int b, int s, double ex, double ey) {
        button = b;
        shift = s;
        x = ex;
        y = ey;
    });
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(101, 51), box.mapToGlobal(QPointF(101, 51)), Qt::RightButton,
                        Qt::NoButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&box, &release);
    EXPECT_EQ(button, 2);
    EXPECT_EQ(shift, 1);
    EXPECT_DOUBLE_EQ(x, 5);    // pixel 100 of 200 across 0..10
    EXPECT_DOUBLE_EQ(y, 2.5);  // pixel 50 of 100 down 5..0
}

TEST(DrawingSurfaceTest, WithoutAnyPrinterTheDocumentDoesNotBegin)
{
    SetPrinterOutputFile(QString());
    if (PrinterAvailable())
        GTEST_SKIP() << "a default printer is installed; nothing is sent to it from a test";
    DrawingSurface& printer = Printer();
    EXPECT_FALSE(printer.Begin());
    printer.Line(0, 0, 100, 100);  // drawing without a document is harmless
    EXPECT_FALSE(printer.IsActive());
    printer.EndDoc();
    // A printer whose document failed is not tried again: the next document
    // gets a fresh one, which follows a default printer set up meanwhile.
    const QPrinter* failed = printer.PrinterDevice();
    EXPECT_FALSE(printer.Begin());
    EXPECT_NE(printer.PrinterDevice(), failed);
    printer.EndDoc();

    // A failed document leaves nothing stuck: the next output still prints.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("after.pdf"));
    SetPrinterOutputFile(pdf);
    EXPECT_TRUE(printer.Begin());
    printer.PrintAligned(QStringLiteral("After all"), vbLeftJustify, 100, 100);
    printer.EndDoc();
    SetPrinterOutputFile(QString());
    EXPECT_TRUE(QFile::exists(pdf));
}
