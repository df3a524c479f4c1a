// Draws the program's own simple pictures (flags, instrument icons, splash,
// status and button pictures, the program's icon at the icon theme's sizes)
// into resources/images/. The PNG files are
// committed; run this only to change the artwork:
//   g++ -std=c++20 -fPIC tools/artwork/MakeArtwork.cpp -o /tmp/make-artwork $(pkg-config --cflags --libs Qt6Gui Qt6Svg)
//   QT_QPA_PLATFORM=offscreen /tmp/make-artwork resources/images
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSvgGenerator>
#include <cmath>
#include <functional>

namespace {

QString g_folder;

void Save(const QString& name, int w, int h, const std::function<void(QPainter&)>& draw)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    draw(p);
    p.end();
    image.save(QDir(g_folder).filePath(name + QStringLiteral(".png")), "PNG");
}

QFont SansFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// --- flags -----------------------------------------------------------------

void Stripes(QPainter& p, int w, int h, const std::vector<QColor>& colours, bool vertical,
             const std::vector<int>& weights = {})
{
    int total = 0;
    for (size_t i = 0; i < colours.size(); ++i)
        total += weights.empty() ? 1 : weights[i];
    double at = 0;
    for (size_t i = 0; i < colours.size(); ++i) {
        const double part = (weights.empty() ? 1 : weights[i]) * (vertical ? w : h) / double(total);
        p.setPen(Qt::NoPen);
        p.setBrush(colours[i]);
        if (vertical)
            p.drawRect(QRectF(at, 0, part, h));
        else
            p.drawRect(QRectF(0, at, w, part));
        at += part;
    }
}

void Border(QPainter& p, int w, int h)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(0, 0, w - 1, h - 1);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void Flags()
{
    const int w = 32, h = 22;
    Save(QStringLiteral("flag1"), w, h, [&](QPainter& p) {
        Stripes(p, w, h, {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)}, false);
        Border(p, w, h);
    });
    Save(QStringLiteral("flag2"), w, h, [&](QPainter& p) {
        p.fillRect(0, 0, w, h, QColor(1, 33, 105));
        p.setPen(QPen(Qt::white, 5));
        p.drawLine(0, 0, w, h);
        p.drawLine(0, h, w, 0);
        p.setPen(QPen(QColor(200, 16, 46), 1.6));
        p.drawLine(0, 0, w, h);
        p.drawLine(0, h, w, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(w / 2.0 - 4, 0, 8, h));
        p.drawRect(QRectF(0, h / 2.0 - 4, w, 8));
        p.setBrush(QColor(200, 16, 46));
        p.drawRect(QRectF(w / 2.0 - 2.2, 0, 4.4, h));
        p.drawRect(QRectF(0, h / 2.0 - 2.2, w, 4.4));
        Border(p, w, h);
    });
    Save(QStringLiteral("flag3"), w, h, [&](QPainter& p) {
        Stripes(p, w, h, {QColor(0, 35, 149), Qt::white, QColor(237, 41, 57)}, true);
        Border(p, w, h);
    });
    Save(QStringLiteral("flag4"), w, h, [&](QPainter& p) {
        Stripes(p, w, h, {QColor(0, 146, 70), Qt::white, QColor(206, 43, 55)}, true);
        Border(p, w, h);
    });
    Save(QStringLiteral("flag5"), w, h, [&](QPainter& p) {
        Stripes(p, w, h, {QColor(170, 21, 27), QColor(241, 191, 0), QColor(170, 21, 27)}, false, {1, 2, 1});
        Border(p, w, h);
    });
    // The sixth language slot has no language: a plain white flag.
    Save(QStringLiteral("flag6"), w, h, [&](QPainter& p) {
        p.fillRect(0, 0, w, h, QColor(245, 245, 245));
        p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DotLine));
        p.drawLine(4, h / 2, w - 5, h / 2);
        Border(p, w, h);
    });
}

// --- instrument icons --------------------------------------------------------

// A small instrument housing with a display; the symbol of its test is drawn
// on the front, the model number below.
void Housing(QPainter& p, const QString& label)
{
    p.setPen(QPen(QColor(70, 70, 80), 1));
    p.setBrush(QColor(222, 226, 232));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 3, 3);
    p.setBrush(QColor(40, 120, 60));
    p.drawRect(QRectF(4.5, 4.5, 12, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(QPointF(25, 7), 1.8, 1.8);
    if (!label.isEmpty()) {
        p.setPen(QColor(30, 30, 60));
        p.setFont(SansFont(7, true));
        p.drawText(QRectF(1, 22, 30, 9), Qt::AlignCenter, label);
    }
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, double width = 1.4)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, QPointF(to.x() - std::cos(std::atan2(to.y() - from.y(), to.x() - from.x())) * width,
                              to.y() - std::sin(std::atan2(to.y() - from.y(), to.x() - from.x())) * width));
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double len = 2.0 * width + 1.5;
    QPolygonF head;
    head << to << QPointF(to.x() - len * std::cos(angle - 0.5), to.y() - len * std::sin(angle - 0.5))
         << QPointF(to.x() - len * std::cos(angle + 0.5), to.y() - len * std::sin(angle + 0.5));
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
}

void AirSymbol(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.drawLine(QPointF(6, 16), QPointF(26, 16));
    for (double x : {10.0, 16.0, 22.0})
        Arrow(p, QPointF(x, 11), QPointF(x, 21), QColor(30, 90, 200), 1.2);
}

void InstrumentIcons()
{
    const int s = 32;
    // Row 0: no instrument.
    Save(QStringLiteral("instrument0"), s, s, [&](QPainter& p) {
        p.setPen(QPen(QColor(130, 130, 130), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(2.5, 2.5, 27, 27), 3, 3);
        p.setFont(SansFont(10, true));
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("---"));
    });
    // Row 1: keyboard input.
    Save(QStringLiteral("instrument1"), s, s, [&](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(QColor(235, 235, 235));
        p.drawRoundedRect(QRectF(1.5, 8.5, 29, 16), 2, 2);
        p.setBrush(QColor(120, 120, 130));
        p.setPen(Qt::NoPen);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 6; ++col)
                p.drawRect(QRectF(4 + col * 4.2, 11 + row * 4, 3, 2.6));
        p.drawRect(QRectF(9, 23 - 0.5, 14, 1.5));
    });

    struct Model {
        int row;
        const char* label;
        int symbol;
    };
    const Model models[] = {
        {2, "7041", 0}, {3, "4300", 1}, {4, "4800", 2}, {5, "6100", 3}, {6, "6100", 3}, {7, "6420", 4},
        {8, "6250", 5}, {9, "6400", 4}, {10, "6400", 4}, {11, "6410", 4}, {12, "6450", 6}, {13, "6800", 7},
        {14, "6850", 7}, {15, "Lister", 8}, {16, "6400", 4},
    };
    for (const Model& m : models) {
        Save(QStringLiteral("instrument%1").arg(m.row), s, s, [&](QPainter& p) {
            Housing(p, QString::fromLatin1(m.label));
            switch (m.symbol) {
            case 0: // balance
                p.setPen(QPen(QColor(60, 60, 60), 1.3));
                p.drawLine(QPointF(8, 19), QPointF(24, 19));
                p.drawLine(QPointF(16, 19), QPointF(16, 13));
                p.setBrush(QColor(180, 150, 60));
                p.drawRect(QRectF(12, 15.5, 8, 3));
                break;
            case 1: { // yarn twist
                QPainterPath helix;
                helix.moveTo(6, 16);
                for (int x = 6; x <= 26; ++x)
                    helix.lineTo(x, 16 + 3 * std::sin((x - 6) * 0.9));
                p.setPen(QPen(QColor(160, 60, 30), 1.4));
                p.setBrush(Qt::NoBrush);
                p.drawPath(helix);
                break;
            }
            case 2: // tensile
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(80, 80, 90));
                p.drawRect(QRectF(12, 11, 8, 2.5));
                p.drawRect(QRectF(12, 18.5, 8, 2.5));
                p.setPen(QPen(QColor(160, 60, 30), 1.2));
                p.drawLine(QPointF(16, 13.5), QPointF(16, 18.5));
                Arrow(p, QPointF(23, 16), QPointF(23, 11), QColor(200, 40, 40), 1.2);
                break;
            case 3: { // hydrostatic head: a drop over the fabric
                QPainterPath drop;
                drop.moveTo(16, 10.5);
                drop.cubicTo(19.5, 15, 20, 17, 16, 18.5);
                drop.cubicTo(12, 17, 12.5, 15, 16, 10.5);
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(30, 110, 220));
                p.drawPath(drop);
                p.setPen(QPen(QColor(90, 90, 90), 1.5));
                p.drawLine(QPointF(6, 20.5), QPointF(26, 20.5));
                break;
            }
            case 4:
                AirSymbol(p);
                break;
            case 5: // thread density: a weave
                p.setPen(QPen(QColor(120, 80, 40), 1));
                for (int i = 0; i < 5; ++i) {
                    p.drawLine(QPointF(7 + i * 4.5, 11), QPointF(7 + i * 4.5, 21));
                    p.drawLine(QPointF(6, 11.5 + i * 2.3), QPointF(26, 11.5 + i * 2.3));
                }
                break;
            case 6: { // dynamic air permeability: a pulse through the fabric
                AirSymbol(p);
                QPainterPath pulse;
                pulse.moveTo(5, 20);
                pulse.lineTo(9, 20);
                pulse.lineTo(11, 12);
                pulse.lineTo(14, 20);
                p.setPen(QPen(QColor(200, 40, 40), 1.2));
                p.setBrush(Qt::NoBrush);
                p.drawPath(pulse);
                break;
            }
            case 7: // tearing: a pendulum
                p.setPen(QPen(QColor(60, 60, 60), 1.3));
                p.drawLine(QPointF(16, 11), QPointF(21, 19));
                p.setBrush(QColor(90, 90, 100));
                p.drawPie(QRectF(15, 14, 10, 10), 200 * 16, 110 * 16);
                break;
            default: { // strike-through time: a drop and a clock
                p.setPen(QPen(QColor(60, 60, 60), 1.1));
                p.setBrush(Qt::white);
                p.drawEllipse(QPointF(20, 16), 5, 5);
                p.drawLine(QPointF(20, 16), QPointF(20, 12.5));
                p.drawLine(QPointF(20, 16), QPointF(22.5, 16));
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(30, 110, 220));
                p.drawEllipse(QPointF(9.5, 16), 2.8, 3.5);
                break;
            }
            }
        });
    }
}

// --- logos, splash and the small pictures -------------------------------------

void Logos()
{
    Save(QStringLiteral("quintara"), 32, 32, [](QPainter& p) {
        QLinearGradient g(0, 0, 32, 32);
        g.setColorAt(0, QColor(40, 110, 200));
        g.setColorAt(1, QColor(10, 40, 110));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QRectF(1, 1, 30, 30));
        p.setPen(Qt::white);
        p.setFont(SansFont(21, true));
        p.drawText(QRectF(0, -1, 32, 32), Qt::AlignCenter, QStringLiteral("Q"));
    });
    Save(QStringLiteral("zolvera"), 88, 32, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(15, 45, 110));
        p.drawRoundedRect(QRectF(0, 0, 88, 32), 4, 4);
        p.setBrush(QColor(230, 170, 30));
        p.drawRect(QRectF(6, 24, 76, 2));
        p.setPen(Qt::white);
        p.setFont(SansFont(15, true));
        p.drawText(QRectF(0, 1, 88, 24), Qt::AlignCenter, QStringLiteral("ZOLVERA"));
    });
    Save(QStringLiteral("splash"), 240, 160, [](QPainter& p) {
        QLinearGradient g(0, 0, 0, 160);
        g.setColorAt(0, QColor(30, 80, 160));
        g.setColorAt(1, QColor(10, 30, 80));
        p.fillRect(0, 0, 240, 160, g);
        // A woven fabric in the background.
        p.setPen(QPen(QColor(255, 255, 255, 40), 3));
        for (int x = -160; x < 240; x += 12)
            p.drawLine(x, 160, x + 160, 0);
        p.setPen(QPen(QColor(255, 255, 255, 25), 3));
        for (int x = 0; x < 400; x += 12)
            p.drawLine(x, 160, x - 160, 0);
        // Air passing through it.
        for (int x : {60, 120, 180})
            Arrow(p, QPointF(x, 20), QPointF(x, 60), QColor(255, 255, 255, 200), 2.5);
        p.setPen(QPen(QColor(230, 170, 30), 3));
        p.drawLine(20, 70, 220, 70);
        p.setPen(Qt::white);
        p.setFont(SansFont(30, true));
        p.drawText(QRectF(0, 78, 240, 44), Qt::AlignCenter, QStringLiteral("QUINTARA III"));
        p.setFont(SansFont(12));
        p.drawText(QRectF(0, 120, 240, 24), Qt::AlignCenter, QStringLiteral("Textile testing"));
    });
}

// The program's icon, in its windows, the task bar and the desktop's menu: the
// splash's blue and gold on a rounded tile, a woven fabric behind the "Q".
// Drawn for each size of the icon theme, so that the small ones stay sharp:
// below 32 pixels the weave and the bar would only blur the letter. Only
// filled shapes, no clipping and no text, so that the scalable copy holds
// the same picture whatever fonts the desktop has.
void DrawProgramIcon(QPainter& p, int size)
{
    const double s = size / 256.0;
    const bool detailed = size >= 32;
    const double margin = detailed ? 8 * s : 0;
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    QPainterPath outline;
    outline.addRoundedRect(tile, 44 * s, 44 * s);
    QLinearGradient g(tile.topLeft(), tile.bottomRight());
    g.setColorAt(0, QColor(40, 110, 200));
    g.setColorAt(1, QColor(10, 40, 110));
    p.setPen(Qt::NoPen);
    p.fillPath(outline, g);
    if (detailed) {
        QPainterPath rising;
        for (double x = -256; x < 256; x += 36) {
            rising.moveTo(x * s, 256 * s);
            rising.lineTo((x + 256) * s, 0);
        }
        QPainterPath falling;
        for (double x = 0; x < 512; x += 36) {
            falling.moveTo(x * s, 256 * s);
            falling.lineTo((x - 256) * s, 0);
        }
        QPainterPathStroker thread;
        thread.setWidth(12 * s);
        thread.setCapStyle(Qt::FlatCap);
        p.fillPath(thread.createStroke(rising).intersected(outline), QColor(255, 255, 255, 40));
        p.fillPath(thread.createStroke(falling).intersected(outline), QColor(255, 255, 255, 25));
        QPainterPath bar;
        bar.addRoundedRect(QRectF(52 * s, 206 * s, 152 * s, 14 * s), 7 * s, 7 * s);
        p.fillPath(bar, QColor(230, 170, 30));
    }
    // The letter centred as drawText centres it, as an outline.
    const QFont font = SansFont(qRound((detailed ? 170 : 220) * s), true);
    const QFontMetricsF metrics(font);
    const QRectF box(0, detailed ? -14 * s : -8 * s, size, size);
    const QString q = QStringLiteral("Q");
    QPainterPath letter;
    letter.addText(box.left() + (box.width() - metrics.horizontalAdvance(q)) / 2,
                   box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent(), font, q);
    p.fillPath(letter, Qt::white);
}

void ProgramIcon()
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        Save(QStringLiteral("icon%1").arg(size), size, size, [size](QPainter& p) { DrawProgramIcon(p, size); });
    // The scalable copy for the icon theme, drawn at 256 units.
    QSvgGenerator svg;
    svg.setFileName(QDir(g_folder).filePath(QStringLiteral("icon.svg")));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Quintara"));
    QPainter p(&svg);
    p.setRenderHint(QPainter::Antialiasing, true);
    DrawProgramIcon(p, 256);
}

void SmallPictures()
{
    Save(QStringLiteral("folder"), 16, 16, [](QPainter& p) {
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 200, 80));
        QPolygonF shape;
        shape << QPointF(1.5, 3.5) << QPointF(6, 3.5) << QPointF(7.5, 5) << QPointF(14.5, 5) << QPointF(14.5, 13.5)
              << QPointF(1.5, 13.5);
        p.drawPolygon(shape);
        p.setBrush(QColor(250, 220, 120));
        p.drawRect(QRectF(1.5, 7, 13, 6.5));
    });
    Save(QStringLiteral("flip"), 16, 16, [](QPainter& p) {
        Arrow(p, QPointF(2, 5), QPointF(14, 5), QColor(30, 90, 200), 1.6);
        Arrow(p, QPointF(14, 11), QPointF(2, 11), QColor(30, 90, 200), 1.6);
    });
    Save(QStringLiteral("terminated"), 16, 16, [](QPainter& p) {
        p.setPen(QPen(QColor(0, 140, 40), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6, 12.5), QPointF(13.5, 3.5)}));
    });
    Save(QStringLiteral("cross"), 32, 32, [](QPainter& p) {
        p.setPen(QPen(QColor(210, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(7, 7, 25, 25);
        p.drawLine(25, 7, 7, 25);
    });
    Save(QStringLiteral("print"), 32, 32, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9.5, 3.5, 13, 10));
        p.setBrush(QColor(170, 175, 185));
        p.drawRoundedRect(QRectF(3.5, 12.5, 25, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9.5, 19.5, 13, 9));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        p.drawLine(QPointF(11.5, 23), QPointF(20.5, 23));
        p.drawLine(QPointF(11.5, 25.5), QPointF(18.5, 25.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 170, 60));
        p.drawEllipse(QPointF(24.5, 16), 1.3, 1.3);
    });
    Save(QStringLiteral("noconnection"), 32, 32, [](QPainter& p) {
        // A plug and its socket apart, crossed out.
        p.setPen(QPen(QColor(60, 60, 70), 1.2));
        p.setBrush(QColor(170, 175, 185));
        p.drawRect(QRectF(3.5, 12.5, 9, 7));
        p.drawLine(QPointF(12.5, 14.5), QPointF(15, 14.5));
        p.drawLine(QPointF(12.5, 17.5), QPointF(15, 17.5));
        p.drawRect(QRectF(19.5, 12.5, 9, 7));
        p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(6, 26, 26, 6);
    });
    Save(QStringLiteral("pc"), 32, 32, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(QColor(210, 212, 218));
        p.drawRoundedRect(QRectF(2.5, 3.5, 27, 19), 2, 2);
        p.setBrush(QColor(40, 100, 190));
        p.drawRect(QRectF(5.5, 6.5, 21, 13));
        p.setBrush(QColor(170, 175, 185));
        p.drawRect(QRectF(12.5, 22.5, 7, 4));
        p.drawRect(QRectF(7.5, 26.5, 17, 3));
    });
    Save(QStringLiteral("detail"), 32, 32, [](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 100), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 18, 24));
        p.setPen(QPen(QColor(150, 150, 160), 1));
        for (int y = 7; y <= 20; y += 3)
            p.drawLine(QPointF(7.5, y), QPointF(19.5, y));
        p.setPen(QPen(QColor(40, 40, 50), 2.2));
        p.setBrush(QColor(200, 230, 255, 180));
        p.drawEllipse(QPointF(19, 19), 5.5, 5.5);
        p.drawLine(QPointF(23, 23), QPointF(29, 29));
    });
    Save(QStringLiteral("analyzecurve"), 32, 32, [](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 50), 1.3));
        p.drawLine(QPointF(4, 3), QPointF(4, 28));
        p.drawLine(QPointF(4, 28), QPointF(29, 28));
        QPainterPath curve;
        curve.moveTo(5, 27);
        curve.cubicTo(9, 4, 13, 4, 17, 16);
        curve.cubicTo(20, 24, 24, 25, 29, 25);
        p.setPen(QPen(QColor(210, 30, 30), 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
    });
    Save(QStringLiteral("longterm"), 32, 32, [](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 50), 1.3));
        p.drawLine(QPointF(4, 3), QPointF(4, 28));
        p.drawLine(QPointF(4, 28), QPointF(29, 28));
        p.setPen(QPen(QColor(0, 140, 40), 1, Qt::DashLine));
        p.drawLine(QPointF(5, 15), QPointF(29, 15));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        const double ys[] = {17, 12, 14, 19, 13, 16, 11};
        for (int i = 0; i < 7; ++i)
            p.drawEllipse(QPointF(8 + i * 3.3, ys[i]), 1.6, 1.6);
    });
    for (int frame = 1; frame <= 2; ++frame) {
        Save(QStringLiteral("animation%1").arg(frame), 32, 32, [frame](QPainter& p) {
            // Two frames of data travelling along the line.
            p.setPen(QPen(QColor(60, 60, 70), 1.5));
            p.drawLine(QPointF(3, 16), QPointF(29, 16));
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 3; ++i) {
                const double x = 6 + i * 10 + (frame == 2 ? 5 : 0);
                p.setBrush(i == 1 ? QColor(210, 30, 30) : QColor(30, 90, 200));
                p.drawEllipse(QPointF(x, 16), 3, 3);
            }
        });
    }
    Save(QStringLiteral("switchbox"), 179, 79, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 70), 1.2));
        QLinearGradient g(0, 0, 0, 79);
        g.setColorAt(0, QColor(225, 228, 235));
        g.setColorAt(1, QColor(185, 190, 200));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(2.5, 14.5, 174, 50), 5, 5);
        p.setFont(SansFont(9, true));
        for (int c = 1; c <= 5; ++c) {
            const double x = 20 + (c - 1) * 32;
            p.setPen(QPen(QColor(60, 60, 70), 1));
            p.setBrush(QColor(50, 50, 60));
            p.drawRoundedRect(QRectF(x - 7, 24, 14, 10), 2, 2);
            p.setPen(QColor(30, 30, 60));
            p.drawText(QRectF(x - 8, 38, 16, 12), Qt::AlignCenter, QString::number(c));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 170, 60));
        p.drawEllipse(QPointF(165, 56), 2.5, 2.5);
    });
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/images");
    QDir().mkpath(g_folder);
    Flags();
    InstrumentIcons();
    Logos();
    ProgramIcon();
    SmallPictures();
    return 0;
}
