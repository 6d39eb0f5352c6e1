// Draws the program's artwork into PNG files: the Orvex logo, the window icon, the OK button's
// glyph and the 18 images of the main window's image list (16 x 16). The PNGs are kept in the
// source tree and compiled in through app/images.qrc; run this only after changing a drawing here:
//   cmake --build <build> --target orvex_make_images
//   QT_QPA_PLATFORM=offscreen <build>/app/orvex_make_images app/images
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace {

// Colours of the small images: a dark outline, paper, and a few saturated accents.
const QColor Ink(40, 40, 48);
const QColor Paper(255, 255, 255);
const QColor PaperShade(214, 220, 230);
const QColor Accent(74, 42, 160);   // Orvex violet
const QColor Accent2(40, 110, 210); // blue
const QColor Go(30, 160, 60);       // green
const QColor Stop(210, 40, 40);     // red
const QColor Gold(240, 190, 40);

// A crisp 16 x 16 image: transparent, drawn without antialiasing unless a glyph asks for it.
QImage NewGlyph()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Filled rectangle with a one-pixel outline covering exactly the pixels x..x+w-1, y..y+h-1.
void Box(QPainter& p, int x, int y, int w, int h, const QColor& fill, const QColor& line = Ink)
{
    p.fillRect(x, y, w, h, line);
    if (w > 2 && h > 2) {
        p.fillRect(x + 1, y + 1, w - 2, h - 2, fill);
    }
}

void Pixel(QPainter& p, int x, int y, const QColor& c)
{
    p.fillRect(x, y, 1, 1, c);
}

void HLine(QPainter& p, int x0, int x1, int y, const QColor& c)
{
    p.fillRect(x0, y, x1 - x0 + 1, 1, c);
}

void VLine(QPainter& p, int x, int y0, int y1, const QColor& c)
{
    p.fillRect(x, y0, 1, y1 - y0 + 1, c);
}

// A sheet of paper with a folded top-right corner, 11 x 14 at (x, y).
void Page(QPainter& p, int x, int y, bool textLines)
{
    const int w = 11, h = 14, fold = 4;
    QPolygon outline;
    outline << QPoint(x, y) << QPoint(x + w - 1 - fold, y) << QPoint(x + w - 1, y + fold)
            << QPoint(x + w - 1, y + h - 1) << QPoint(x, y + h - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawPolygon(outline);
    HLine(p, x, x + w - 1 - fold, y, Ink);
    VLine(p, x, y, y + h - 1, Ink);
    HLine(p, x, x + w - 1, y + h - 1, Ink);
    VLine(p, x + w - 1, y + fold, y + h - 1, Ink);
    for (int i = 1; i < fold; ++i) {
        Pixel(p, x + w - 1 - fold + i, y + i, Ink);
    }
    // The folded corner.
    p.fillRect(x + w - 1 - fold, y + 1, 1, fold, PaperShade);
    HLine(p, x + w - 1 - fold, x + w - 2, y + fold, Ink);
    VLine(p, x + w - 1 - fold, y + 1, y + fold, Ink);
    if (textLines) {
        for (int row = y + 6; row < y + h - 2; row += 2) {
            HLine(p, x + 2, x + w - 3, row, QColor(150, 160, 175));
        }
    }
}

void Antialiased(QPainter& p, const std::function<void()>& draw)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    draw();
    p.restore();
}

// 00 new page
void DrawNew(QPainter& p)
{
    Page(p, 3, 1, false);
    // A small gold spark: a new document.
    Antialiased(p, [&] {
        p.setPen(QPen(Gold, 1.6));
        p.drawLine(QPointF(12.5, 1.5), QPointF(12.5, 6.5));
        p.drawLine(QPointF(10, 4), QPointF(15, 4));
    });
}

// 01 open folder
void DrawOpen(QPainter& p)
{
    const QColor folder(236, 196, 84), folderDark(196, 150, 40);
    Box(p, 1, 4, 12, 10, folderDark);
    Box(p, 1, 3, 5, 2, folderDark);
    QPolygon front;
    front << QPoint(3, 7) << QPoint(15, 7) << QPoint(13, 13) << QPoint(1, 13);
    p.setPen(Ink);
    p.setBrush(folder);
    p.drawPolygon(front);
}

// 02 save (a diskette)
void DrawSave(QPainter& p)
{
    Box(p, 1, 1, 14, 14, Accent2);
    Box(p, 4, 1, 8, 6, Paper);
    p.fillRect(9, 2, 2, 4, Ink);
    Box(p, 3, 9, 10, 6, PaperShade);
    HLine(p, 5, 10, 11, QColor(120, 130, 150));
}

// 03 print
void DrawPrint(QPainter& p)
{
    Box(p, 4, 1, 8, 6, Paper);
    Box(p, 1, 6, 14, 7, QColor(170, 176, 188));
    Pixel(p, 12, 8, Go);
    Box(p, 4, 10, 8, 5, Paper);
    HLine(p, 6, 9, 12, QColor(150, 160, 175));
}

// 04 cut (scissors)
void DrawCut(QPainter& p)
{
    Antialiased(p, [&] {
        p.setPen(QPen(QColor(120, 126, 140), 1.4));
        p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10));
        p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10));
        p.setPen(QPen(Stop, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
    });
}

// 05 copy (two pages)
void DrawCopy(QPainter& p)
{
    Box(p, 1, 1, 9, 11, Paper);
    for (int row = 4; row < 10; row += 2) {
        HLine(p, 3, 7, row, QColor(150, 160, 175));
    }
    Box(p, 6, 4, 9, 11, Paper);
    for (int row = 7; row < 13; row += 2) {
        HLine(p, 8, 12, row, QColor(150, 160, 175));
    }
}

// 06 page with a run arrow: start or stop the simulation
void DrawStartStop(QPainter& p)
{
    Page(p, 1, 1, true);
    Antialiased(p, [&] {
        QPolygonF play;
        play << QPointF(8.5, 7.5) << QPointF(15.5, 11.5) << QPointF(8.5, 15.5);
        p.setPen(QPen(QColor(15, 90, 30), 1.0));
        p.setBrush(Go);
        p.drawPolygon(play);
    });
}

// 07 paste (clipboard)
void DrawPaste(QPainter& p)
{
    Box(p, 2, 2, 12, 13, QColor(190, 140, 80));
    Box(p, 5, 1, 6, 3, QColor(170, 176, 188));
    Box(p, 5, 6, 9, 9, Paper);
    for (int row = 8; row < 14; row += 2) {
        HLine(p, 7, 11, row, QColor(150, 160, 175));
    }
}

// Curved arrow for undo (mirror = false) and redo (mirror = true).
void DrawTurnArrow(QPainter& p, bool mirror)
{
    Antialiased(p, [&] {
        if (mirror) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        QPainterPath arc;
        arc.moveTo(4, 6);
        arc.cubicTo(9, 2, 15, 5, 13, 10);
        arc.cubicTo(12, 13, 9, 14, 7, 14);
        p.setPen(QPen(Accent2, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arc);
        QPolygonF head;
        head << QPointF(0.5, 6.5) << QPointF(6.5, 2) << QPointF(6.5, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(Accent2);
        p.drawPolygon(head);
    });
}

// 10 find (magnifier)
void DrawFind(QPainter& p)
{
    Antialiased(p, [&] {
        p.setPen(QPen(QColor(90, 70, 50), 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    });
}

// A round badge with a letter: help (?) and information (i).
void DrawBadge(QPainter& p, const QColor& colour, const QString& letter)
{
    Antialiased(p, [&] {
        QRadialGradient shine(QPointF(6, 5), 9);
        shine.setColorAt(0, colour.lighter(150));
        shine.setColorAt(1, colour);
        p.setPen(QPen(colour.darker(160), 1.0));
        p.setBrush(shine);
        p.drawEllipse(QPointF(8, 8), 7, 7);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0.5, 16, 16), Qt::AlignCenter, letter);
    });
}

// 13 exit (door with an arrow)
void DrawExit(QPainter& p)
{
    Box(p, 2, 1, 8, 14, QColor(150, 100, 60));
    Box(p, 2, 1, 5, 14, QColor(190, 135, 80));
    Pixel(p, 5, 8, Gold);
    Antialiased(p, [&] {
        p.setPen(QPen(Stop, 2.0));
        p.drawLine(QPointF(8, 8), QPointF(13, 8));
        QPolygonF head;
        head << QPointF(15.5, 8) << QPointF(12, 4.5) << QPointF(12, 11.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Stop);
        p.drawPolygon(head);
    });
}

// 14 zoom in, 15 zoom out: a magnifier with a plus or a minus
void DrawZoom(QPainter& p, bool in)
{
    Antialiased(p, [&] {
        p.setPen(QPen(QColor(90, 70, 50), 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(Paper);
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    });
    HLine(p, 4, 8, 6, Ink);
    if (in) {
        VLine(p, 6, 4, 8, Ink);
    }
}

// The frame and axes of a small chart.
void ChartFrame(QPainter& p)
{
    p.fillRect(2, 1, 13, 13, Paper);
    VLine(p, 1, 1, 14, Ink);
    HLine(p, 1, 15, 14, Ink);
    for (int y = 3; y < 14; y += 3) {
        Pixel(p, 0, y, Ink);
    }
    for (int x = 4; x < 16; x += 3) {
        Pixel(p, x, 15, Ink);
    }
}

// 16 a small chart with a crosshair: the crosshair command
void DrawHaircross(QPainter& p)
{
    ChartFrame(p);
    Antialiased(p, [&] {
        QPainterPath curve;
        curve.moveTo(2, 11);
        curve.cubicTo(6, 11, 6, 3, 10, 4);
        curve.cubicTo(12, 4.5, 13, 7, 15, 6);
        p.setPen(QPen(Accent2, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
    });
    // The crosshair lines meet on the curve.
    VLine(p, 9, 1, 13, Stop);
    HLine(p, 2, 14, 4, Stop);
    Box(p, 8, 3, 3, 3, Paper, Stop);
}

// 17 a curve with point markers: the measurement points command
void DrawMeasurementPoints(QPainter& p)
{
    ChartFrame(p);
    const QPoint points[] = {{3, 11}, {6, 7}, {9, 9}, {12, 4}};
    Antialiased(p, [&] {
        p.setPen(QPen(Accent2, 1.3));
        for (int i = 0; i + 1 < 4; ++i) {
            p.drawLine(QPointF(points[i]) + QPointF(0.5, 0.5),
                       QPointF(points[i + 1]) + QPointF(0.5, 0.5));
        }
    });
    for (const QPoint& point : points) {
        Box(p, point.x() - 1, point.y() - 1, 3, 3, Stop, QColor(120, 10, 10));
    }
}

// The Orvex emblem: a violet disc with a glowing lamp arc and a steady power wave.
void DrawEmblem(QPainter& p, const QRectF& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient disc(r.center() - QPointF(r.width() * 0.18, r.height() * 0.2),
                         r.width() * 0.75);
    disc.setColorAt(0, QColor(150, 110, 235));
    disc.setColorAt(0.55, Accent);
    disc.setColorAt(1, QColor(34, 16, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(r);

    // The lamp: a bright tube across the disc.
    const double cx = r.center().x(), cy = r.center().y(), rad = r.width() / 2;
    QLinearGradient tube(QPointF(cx, cy - rad * 0.28), QPointF(cx, cy - rad * 0.12));
    tube.setColorAt(0, QColor(230, 215, 255));
    tube.setColorAt(1, QColor(180, 150, 255));
    p.setBrush(tube);
    p.drawRoundedRect(QRectF(cx - rad * 0.62, cy - rad * 0.30, rad * 1.24, rad * 0.2), rad * 0.1,
                      rad * 0.1);
    // Its UV glow.
    for (int i = 1; i <= 3; ++i) {
        p.setPen(QPen(QColor(200, 170, 255, 90 / i), rad * 0.05 * i));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(cx - rad * 0.62, cy - rad * 0.30, rad * 1.24, rad * 0.2),
                          rad * 0.1, rad * 0.1);
    }

    // The controlled power: a wave that settles to a flat line.
    QPainterPath wave;
    const double x0 = cx - rad * 0.7, x1 = cx + rad * 0.7, base = cy + rad * 0.3;
    wave.moveTo(x0, base);
    const int steps = 80;
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double damp = std::exp(-4.5 * t);
        const double y = base - rad * 0.22 * damp * std::sin(t * 3 * 2 * std::numbers::pi);
        wave.lineTo(x0 + (x1 - x0) * t, y);
    }
    p.setPen(QPen(QColor(255, 214, 80), rad * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wave);

    p.setPen(QPen(QColor(255, 255, 255, 150), rad * 0.03));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r.adjusted(rad * 0.06, rad * 0.06, -rad * 0.06, -rad * 0.06));
    p.restore();
}

// The logo: 817 x 249, emblem and word mark on white (kept in true colour so that the
// gradients stay smooth).
QImage MakeLogo()
{
    QImage image(817, 249, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    DrawEmblem(p, QRectF(24, 24, 200, 200));

    QFont word(QStringLiteral("DejaVu Sans"));
    word.setBold(true);
    word.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    // The largest size at which the word mark fits beside the emblem.
    int size = 160;
    do {
        word.setPixelSize(--size);
    } while (QFontMetrics(word).horizontalAdvance(QStringLiteral("ORVEX")) > 534);
    p.setFont(word);
    QLinearGradient ink(QPointF(0, 30), QPointF(0, 170));
    ink.setColorAt(0, QColor(96, 60, 190));
    ink.setColorAt(1, QColor(40, 18, 110));
    p.setPen(QPen(QBrush(ink), 1));
    p.drawText(QRectF(250, 0, 560, 175), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("ORVEX"));

    // A rule in the emblem's colours, and the tag line.
    QLinearGradient rule(QPointF(256, 0), QPointF(790, 0));
    rule.setColorAt(0, Accent);
    rule.setColorAt(1, Accent2);
    p.fillRect(QRectF(256, 184, 534, 6), rule);

    QFont tag(QStringLiteral("DejaVu Sans"));
    tag.setPixelSize(34);
    p.setFont(tag);
    p.setPen(QColor(80, 84, 96));
    p.drawText(QRectF(256, 194, 540, 48), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Real-Power-Control"));
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

// The window icon: the emblem alone, 32 x 32.
QImage MakeIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    DrawEmblem(p, QRectF(1, 1, 30, 30));
    p.end();
    return image;
}

// The OK button's glyph: a green check mark, 18 x 18.
QImage MakeOkGlyph()
{
    QImage image(18, 18, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath tick;
    tick.moveTo(2.5, 9.5);
    tick.lineTo(7, 14.5);
    tick.lineTo(15.5, 3.5);
    p.setPen(QPen(QColor(10, 90, 25), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(QColor(40, 180, 60), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.end();
    return image;
}

bool Save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <images folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("toolbar"))) {
        std::fprintf(stderr, "cannot create %s/toolbar\n", argv[1]);
        return 1;
    }

    const std::function<void(QPainter&)> glyphs[18] = {
        DrawNew,
        DrawOpen,
        DrawSave,
        DrawPrint,
        DrawCut,
        DrawCopy,
        DrawStartStop,
        DrawPaste,
        [](QPainter& p) { DrawTurnArrow(p, false); },
        [](QPainter& p) { DrawTurnArrow(p, true); },
        DrawFind,
        [](QPainter& p) { DrawBadge(p, QColor(40, 110, 210), QStringLiteral("?")); },
        [](QPainter& p) { DrawBadge(p, QColor(30, 150, 170), QStringLiteral("i")); },
        DrawExit,
        [](QPainter& p) { DrawZoom(p, true); },
        [](QPainter& p) { DrawZoom(p, false); },
        DrawHaircross,
        DrawMeasurementPoints,
    };

    bool ok = true;
    for (int index = 0; index < 18; ++index) {
        QImage glyph = NewGlyph();
        QPainter p(&glyph);
        glyphs[index](p);
        p.end();
        ok &= Save(
            glyph,
            folder.filePath(QStringLiteral("toolbar/%1.png").arg(index, 2, 10, QLatin1Char('0'))));
    }
    ok &= Save(MakeLogo(), folder.filePath(QStringLiteral("logo.png")));
    ok &= Save(MakeIcon(), folder.filePath(QStringLiteral("icon.png")));
    ok &= Save(MakeOkGlyph(), folder.filePath(QStringLiteral("ok.png")));
    return ok ? 0 : 1;
}
