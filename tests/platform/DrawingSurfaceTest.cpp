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
#include <functional>
#include <set>
#include <vector>

namespace {

const double noValue = -3.402823e38;   // a missing value, the most negative single
const int32_t grey = RGB(128, 128, 128);

int32_t PixelAt(const QImage& image, int x, int y)
{
    return FromQColor(QColor(image.pixel(x, y)));
}

struct Pixel {
    int x, y;
    int32_t colour;
};

void ExpectPixels(const QImage& image, const std::vector<Pixel>& pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(PixelAt(image, p.x, p.y), p.colour) << "pixel " << p.x << "," << p.y;
}

// Pixels of one colour within a rectangle (inclusive).
int CountColour(const QImage& image, int32_t colour, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            n += image.valid(x, y) && PixelAt(image, x, y) == colour;
    return n;
}

struct InkBounds {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// Bounds of every pixel that is not white.
InkBounds Ink(const QImage& image)
{
    InkBounds b;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != vbWhite) {
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
}

TEST(DrawingSurfaceTest, StartsInTwipsAndKeepsAUserScaleOnResize)
{
    DrawingSurface s(100, 50);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 1500);
    s.Resize(200, 50);   // 15 twips a pixel
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 3000);
    ASSERT_TRUE(s.Scale(0, 10, 100, 0));
    EXPECT_EQ(s.ScaleMode(), vbUser);
    EXPECT_DOUBLE_EQ(s.ScaleHeight(), -10);
    s.Resize(400, 100);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 100);
    EXPECT_DOUBLE_EQ(s.PixelFromX(50), 200);
    EXPECT_DOUBLE_EQ(s.PixelFromY(0), 100);
    // Outside the picture there is no colour.
    EXPECT_EQ(s.Point(-1, 5), -1);
    EXPECT_EQ(s.Point(50, 10.5), -1);
    EXPECT_EQ(s.Point(100.5, 5), -1);
    // A scale that cannot be drawn is refused and the old one stays.
    EXPECT_FALSE(s.Scale(0, 5, 0, 1));
    EXPECT_FALSE(s.Scale(0, 5, 10, 5));
    EXPECT_FALSE(s.Scale(0, std::nan(""), 10, 1));
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 100);
    s.SetScaleMode(vbPixels);
    EXPECT_DOUBLE_EQ(s.ScaleWidth(), 400);
    EXPECT_DOUBLE_EQ(s.ScaleTop(), 0);   // the user's top does not stay
    s.ResetScale();
    EXPECT_DOUBLE_EQ(s.ScaleHeight(), 1500);
}

// What is drawn, on a white surface in pixels unless the drawing sets a scale,
// the pixels it leaves (single ones, and counts of a colour in a rectangle)
// and where the current position ends.
TEST(DrawingSurfaceTest, DrawingsLeaveTheirPixels)
{
    struct Region {
        int left, top, right, bottom;
        int32_t colour;
        int least, most;
    };
    const int many = 1 << 20;
    QImage red(10, 5, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    const struct {
        const char* what;
        int width, height;
        std::function<void(DrawingSurface&)> draw;
        std::vector<Pixel> pixels;
        std::vector<Region> regions;
        double x, y;
    } rows[] = {
        // One x unit is one pixel, one y unit ten: y 2 to 4 is rows 60 to 80, y 8 row 20.
        {"an upward scale", 100, 100,
         [](DrawingSurface& s) {
             s.Scale(0, 10, 100, 0);
             s.BoxFilled(0, 2, 100, 4, grey);
             s.Line(0, 8, 100, 8, vbRed);
             s.PSet(25, 7.5, vbBlue);
         },
         {{50, 70, grey}, {0, 61, grey}, {99, 79, grey}, {50, 58, vbWhite}, {50, 82, vbWhite}, {40, 20, vbRed},
          {40, 19, vbWhite}, {40, 21, vbWhite}, {25, 25, vbBlue}},
         {{0, 0, 99, 99, vbBlue, 1, 1}}, 25, 7.5},
        {"lines in the fore colour, on from the end, 3 wide over three rows, dotted with gaps", 100, 100,
         [](DrawingSurface& s) {
             s.Line(10, 10, 90, 10);
             s.LineTo(90, 50, vbBlue);
             s.SetDrawWidth(3);
             s.Line(10, 70, 90, 70, vbGreen);
             s.SetDrawWidth(1);
             s.SetDrawStyle(vbDot);
             s.Line(0, 90, 99, 90, vbBlue);
         },
         {{90, 30, vbBlue}, {89, 30, vbWhite}, {50, 69, vbGreen}, {50, 70, vbGreen}, {50, 71, vbGreen},
          {50, 73, vbWhite}},
         {{10, 10, 89, 10, vbBlack, 80, 80}, {10, 9, 90, 9, vbBlack, 0, 0}, {10, 11, 90, 11, vbBlack, 0, 0},
          {0, 90, 99, 90, vbBlue, 31, 69}, {0, 89, 99, 89, vbBlue, 0, 0}},
         99, 90},
        {"a far end point is clipped, not lost", 50, 100,
         [](DrawingSurface& s) {
             s.Scale(0, 10, 50, 0);
             s.Line(25, 5, 25, noValue, vbBlack);
             s.BoxFilled(0, noValue, 10, 2, vbRed);
             s.PSet(10, noValue, vbGreen);
             s.Circle(10, 1e30, 3, vbGreen);
         },
         {{25, 50, vbBlack}, {25, 99, vbBlack}, {25, 40, vbWhite}, {5, 99, vbRed}, {5, 79, vbWhite}},
         {{0, 0, 49, 99, vbGreen, 0, 0}}, 10, 1e30},
        {"boxes: an outline, one filled in the fill colour, a filled one whatever the fill style", 120, 60,
         [](DrawingSurface& s) {
             s.Box(10, 10, 30, 30, vbRed);
             s.SetFillStyle(vbFSSolid);
             s.SetFillColor(vbBlue);
             s.Box(40, 10, 60, 30, vbBlack);
             s.SetFillStyle(vbUpwardDiagonal);
             s.BoxFilled(70, 10, 80, 20, vbGreen);
         },
         {{10, 20, vbRed}, {30, 20, vbRed}, {20, 10, vbRed}, {20, 30, vbRed}, {20, 20, vbWhite}, {40, 20, vbBlack},
          {50, 20, vbBlue}},
         {{70, 10, 80, 20, vbGreen, 121, 121}}, 80, 20},
        // x 0..10 and y 0..100 over 100 pixels: a radius of 2 is 20 pixels both ways.
        {"a circle round in horizontal units, transparent inside, and one filled by the fill style", 100, 100,
         [](DrawingSurface& s) {
             s.Scale(0, 100, 10, 0);
             s.Circle(5, 50, 2, vbRed);
             s.SetFillStyle(vbFSSolid);
             s.SetFillColor(vbBlue);
             s.Circle(5, 50, 1, vbBlack);
         },
         {{50, 50, vbBlue}, {35, 50, vbWhite}},
         {{69, 48, 71, 52, vbRed, 1, many}, {29, 48, 31, 52, vbRed, 1, many}, {48, 29, 52, 31, vbRed, 1, many},
          {48, 69, 52, 71, vbRed, 1, many}, {0, 0, 99, 27, vbRed, 0, 0}, {73, 0, 99, 99, vbRed, 0, 0},
          {60, 50, 61, 50, vbBlack, 1, 2}},
         5, 50},
        // Growing keeps the drawing and clears the new area.
        {"Cls clears to the back colour", 20, 20,
         [](DrawingSurface& s) {
             s.BoxFilled(0, 0, 19, 19, vbRed);
             s.SetBackColor(RGB(1, 2, 3));
             s.Cls();
             s.Resize(30, 30);
         },
         {{25, 25, RGB(1, 2, 3)}}, {{0, 0, 29, 29, RGB(1, 2, 3), 900, 900}}, 0, 0},
        // Two pixels per unit.
        {"a picture at its natural size and one stretched", 100, 100,
         [red](DrawingSurface& s) {
             s.Scale(0, 0, 50, 50);
             s.PaintPicture(red, 10, 10);
             s.PaintPicture(QPixmap::fromImage(red), 20, 20, 10, 20);
         },
         {{20, 20, vbRed}, {29, 24, vbRed}, {30, 20, vbWhite}, {40, 40, vbRed}, {59, 79, vbRed}},
         {{0, 0, 99, 99, vbRed, 50 + 800, 50 + 800}}, 0, 0},
    };
    // Nothing but the exact colours drawn (no antialiasing).
    const std::set<int32_t> palette{vbWhite, vbBlack, vbRed, vbGreen, vbBlue, grey, RGB(1, 2, 3)};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        DrawingSurface s(row.width, row.height);
        s.SetScaleMode(vbPixels);
        row.draw(s);
        ExpectPixels(s.Image(), row.pixels);
        // Reading back at the drawing coordinates of a pixel finds its colour.
        for (const Pixel& p : row.pixels)
            EXPECT_EQ(s.Point(s.XFromPixel(p.x), s.YFromPixel(p.y)), p.colour) << p.x << "," << p.y;
        for (const Region& r : row.regions) {
            const int n = CountColour(s.Image(), r.colour, r.left, r.top, r.right, r.bottom);
            EXPECT_GE(n, r.least) << r.left << "," << r.top;
            EXPECT_LE(n, r.most) << r.left << "," << r.top;
        }
        int foreign = 0;
        for (int y = 0; y < s.Image().height(); ++y)
            for (int x = 0; x < s.Image().width(); ++x)
                foreign += !palette.count(PixelAt(s.Image(), x, y));
        EXPECT_EQ(foreign, 0);
        EXPECT_DOUBLE_EQ(s.CurrentX(), row.x);
        EXPECT_DOUBLE_EQ(s.CurrentY(), row.y);
    }
}

// An outlined box leaves the current position at its second corner, as the
// next relative drawing expects (the filled one is in the table above).
TEST(DrawingSurfaceTest, OutlinedBoxesLeaveThePositionAtTheirSecondCorner)
{
    DrawingSurface s(120, 60);
    s.SetScaleMode(vbPixels);
    s.Box(10, 12, 30, 34, vbRed);
    EXPECT_DOUBLE_EQ(s.CurrentX(), 30);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 34);
    s.Box(40, 5, 55, 20);
    EXPECT_DOUBLE_EQ(s.CurrentX(), 55);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 20);
}

TEST(DrawingSurfaceTest, HatchesRunTheirWay)
{
    DrawingSurface s(120, 60);
    s.SetScaleMode(vbPixels);
    s.SetFillColor(vbRed);
    s.SetFillStyle(vbUpwardDiagonal);
    s.Box(85, 10, 115, 50, vbBlack);
    const QImage& img = s.Image();
    // Red neighbours up and to the right ("/"), or down and to the right ("\").
    auto neighbours = [&img](int left, int right, int dy) {
        int n = 0;
        for (int y = 12; y < 48; ++y)
            for (int x = left; x < right; ++x)
                n += PixelAt(img, x, y) == vbRed && PixelAt(img, x + 1, y + dy) == vbRed;
        return n;
    };
    const int red = CountColour(img, vbRed, 86, 11, 114, 49);
    EXPECT_GT(red, 40);
    EXPECT_GT(CountColour(img, vbWhite, 86, 11, 114, 49), red);
    EXPECT_GT(neighbours(87, 113, -1), neighbours(87, 113, 1));
    // Diagonal cross hatching runs both ways.
    s.SetFillStyle(vbDiagonalCross);
    s.Box(10, 10, 40, 50, vbBlue);
    int falling = 0;
    for (int y = 12; y < 48; ++y)
        for (int x = 12; x < 38; ++x)
            falling += PixelAt(img, x, y) == vbRed && PixelAt(img, x + 1, y + 1) == vbRed;
    EXPECT_GT(falling, 5);
}

// A batch of lines, and a batch of any drawing (nested too), draw what the
// single calls draw and tell of the change once; far ends are clipped.
TEST(DrawingSurfaceTest, ABatchDrawsTheSamePixelsAndTellsTheChangeOnce)
{
    const std::vector<DrawingSurface::LineSegment> segments = {
        {0, 0, 10, 8, vbRed},     {10, 8, 20, 3, vbRed},       {20, 3, 30, 9, vbBlack},
        {30, 9, std::nan(""), 5, vbBlue},                     {35, 5, 40, noValue, vbBlue},
        {40, 2, 40, 2, vbGreen},  {41, 1, 49, 9.5, vbBlack},
    };
    const auto draw = [](DrawingSurface& s) {
        s.BoxFilled(0, 4, 10, 6, grey);
        s.PSet(3, 8, vbBlue);
        s.SetFillStyle(vbFSSolid);
        s.Circle(6, 3, 1, vbBlack);
        s.Print(QStringLiteral("Ab"));
    };
    for (const auto& [width, style] : {std::pair{1, vbSolid}, std::pair{3, vbSolid}, std::pair{1, vbDot}}) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", style " << style);
        DrawingSurface alone(60, 50);
        DrawingSurface batched(60, 50);
        int changes = 0;
        batched.Changed = [&changes] { ++changes; };
        for (DrawingSurface* s : {&alone, &batched}) {
            ASSERT_TRUE(s->Scale(0, 10, 50, 0));
            s->SetDrawWidth(width);
            s->SetDrawStyle(style);
        }
        for (const DrawingSurface::LineSegment& l : segments)
            alone.Line(l.X1, l.Y1, l.X2, l.Y2, l.Colour);
        batched.Lines(segments);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(batched.CurrentX(), 49);
        EXPECT_EQ(batched.CurrentY(), 9.5);
        draw(alone);
        {
            const DrawingSurface::Batch batch(batched);
            const DrawingSurface::Batch nested(batched);
            draw(batched);
            EXPECT_EQ(batched.Point(3, 8), vbBlue);   // readable meanwhile
            EXPECT_EQ(changes, 1);
        }
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(batched.Image(), alone.Image());
    }
    // Resizing ends the batch's painter; drawing goes on in the new image.
    DrawingSurface s(60, 40);
    s.SetScaleMode(vbPixels);
    {
        const DrawingSurface::Batch batch(s);
        s.Resize(80, 40);
        s.Line(0, 1, 10, 1, vbRed);
    }
    EXPECT_EQ(PixelAt(s.Image(), 5, 1), vbRed);
    // No segments: nothing drawn, the position stays.
    DrawingSurface empty(10, 10);
    empty.SetScaleMode(vbPixels);
    empty.SetCurrentX(3);
    empty.SetCurrentY(4);
    empty.Lines({});
    EXPECT_EQ(CountColour(empty.Image(), vbWhite, 0, 0, 9, 9), 100);
    EXPECT_DOUBLE_EQ(empty.CurrentX(), 3);
    EXPECT_DOUBLE_EQ(empty.CurrentY(), 4);
}

TEST(DrawingSurfaceTest, DotsAreTheEllipsesThePainterFills)
{
    // A point without a colour takes the fore colour.
    DrawingSurface fore(40, 40);
    fore.SetScaleMode(vbPixels);
    fore.SetForeColor(vbBlue);
    fore.PSet(25, 25);
    EXPECT_EQ(PixelAt(fore.Image(), 25, 25), vbBlue);
    // Every width, at pixel centres inside and across each edge.
    for (int width = 2; width <= 20; width += 3) {
        DrawingSurface dots(40, 30);
        QImage painted(40, 30, QImage::Format_RGB32);
        painted.fill(Qt::white);
        dots.SetScaleMode(vbPixels);
        dots.SetDrawWidth(width);
        QPainter painter(&painted);
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

TEST(DrawingSurfaceTest, ArialIsLiberationSansAndOtherFontsFallBackToDejaVu)
{
    DrawingSurface s(10, 10);
    EXPECT_EQ(s.FontName(), QStringLiteral("Arial"));
    s.SetFontBold(true);
    s.SetFontItalic(true);
    EXPECT_TRUE(QFontInfo(s.Font()).bold() && QFontInfo(s.Font()).italic());
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
    s.SetScaleMode(vbPixels);
    const double width = s.TextWidth(QStringLiteral("Test"));
    const double height = s.TextHeight(QStringLiteral("Test"));
    EXPECT_NEAR(twipsWidth, 15 * width, 1e-9);
    // Arial's advance widths (units of 2048 per em): T 1251, e 1139, s 1024,
    // t 569; at 12 pt and 96 dpi "Test" is 3983 / 2048 * 16 = 31.1 pixels.
    EXPECT_NEAR(width, 31.1, 1.2);
    // One line of Arial is 2288 / 2048 em high: 17.9 pixels at 12 pt.
    EXPECT_NEAR(height, 17.9, 1.2);
    ASSERT_TRUE(s.Scale(0, 20, 300, 0));   // y upward, 10 pixels per unit
    EXPECT_NEAR(s.TextHeight(QStringLiteral("A\r\nB")), -2 * height / 10, 1e-9);
    EXPECT_NEAR(s.TextWidth(QStringLiteral("Test\nTe")), width, 1e-9);
    ASSERT_TRUE(s.Scale(300, 0, 0, 20));   // x leftward
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
    EXPECT_GE(b.top, 40);
    EXPECT_LE(b.top, 40 + h / 3);
    EXPECT_LT(b.bottom, 40 + h);
    EXPECT_NEAR(b.left, 21, 2);
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
    EXPECT_GE(Ink(up.Image()).top, 40);   // y 80 is row 40
    EXPECT_LE(Ink(up.Image()).top, 46);
}

TEST(DrawingSurfaceTest, PrintAlignedStartsEndsOrCentresOnX)
{
    // Two pixels per unit; "1.25 mm" printed at x, y = 10 (row 20).
    const QString text = QStringLiteral("1.25 mm");
    const struct {
        int alignment;
        double x;
        double end;    // CurrentX afterwards, in text widths past x
        double left;   // where the ink begins, in text widths past x
    } rows[] = {{vbLeftJustify, 50, 1, 0}, {vbRightJustify, 150, 0, -1}, {vbCenter, 100, 0.5, -0.5},
                {3, 50, 1, 0}};   // any other alignment starts at x
    for (const auto& row : rows) {
        DrawingSurface s(400, 100);
        ASSERT_TRUE(s.Scale(0, 0, 200, 50));
        s.SetFontSize(10);
        const double w = s.TextWidth(text);
        ASSERT_GT(w, 10);
        s.PrintAligned(text, row.alignment, row.x, 10);
        EXPECT_NEAR(s.CurrentX(), row.x + row.end * w, 1e-9) << row.alignment;
        EXPECT_DOUBLE_EQ(s.CurrentY(), 10);
        const InkBounds b = Ink(s.Image());
        EXPECT_NEAR(b.left, 2 * (row.x + row.left * w), 4) << row.alignment;
        EXPECT_NEAR(b.right, 2 * (row.x + (row.left + 1) * w), 6) << row.alignment;
        EXPECT_GE(b.top, 20);
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
    EXPECT_FALSE(printer.Begin());   // the folder does not exist yet
    printer.EndDoc();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(printer.Scale(0, 0, 100, 141));
    printer.PrintAligned(QStringLiteral("First sheet"), vbLeftJustify, 12, 10);
    EXPECT_TRUE(printer.IsActive());   // drawing began the document
    printer.NewPage();
    printer.PrintAligned(QStringLiteral("Second sheet"), vbLeftJustify, 12, 10);
    printer.EndDoc();
    SetPrinterOutputFile(QString());
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST(DrawingSurfaceTest, WithoutAnyPrinterTheDocumentDoesNotBegin)
{
    SetPrinterOutputFile(QString());
    if (PrinterAvailable())
        GTEST_SKIP() << "a default printer is installed; nothing is sent to it from a test";
    DrawingSurface& printer = Printer();
    EXPECT_FALSE(printer.Begin());
    printer.Line(0, 0, 100, 100);   // drawing without a document is harmless
    EXPECT_FALSE(printer.IsActive());
    printer.EndDoc();
    // A printer whose document failed is not tried again: the next document
    // gets a fresh one, which follows a default printer set up meanwhile.
    const QPrinter* failed = printer.PrinterDevice();
    EXPECT_FALSE(printer.Begin());
    EXPECT_NE(printer.PrinterDevice(), failed);
    printer.EndDoc();
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
    box.show();
    box.resize(202, 102);
    EXPECT_EQ(box.Surface().Image().size(), QSize(200, 100));
    EXPECT_DOUBLE_EQ(box.Surface().ScaleWidth(), 10);   // the user scale stays
    EXPECT_EQ(FromQColor(QColor(box.grab().toImage().pixel(51, 26))), vbRed);   // the drawing stays, shown
    std::vector<double> up;
    QObject::connect(&box, &PictureBox::mouseUp,
                     [&](int b, int s, double x, double y) { up = {double(b), double(s), x, y}; });
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(101, 51), box.mapToGlobal(QPointF(101, 51)),
                        Qt::RightButton, Qt::NoButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&box, &release);
    // Right button, Shift; pixel 100 of 200 across 0..10, pixel 50 of 100 down 5..0.
    EXPECT_EQ(up, (std::vector<double>{2, 1, 5, 2.5}));
}
