#include "platform/Raster.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>

QPainter::CompositionMode QtRasterMode(TPenMode mode)
{
    switch (mode) {
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
        return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
        return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

uint32_t ApplyRop(TPenMode mode, uint32_t p, uint32_t d)
{
    uint32_t r = 0;
    switch (mode) {
    case pmBlack:
        r = 0;
        break;
    case pmWhite:
        r = 0xFFFFFF;
        break;
    case pmNop:
        r = d;
        break;
    case pmNot:
        r = ~d;
        break;
    case pmCopy:
        r = p;
        break;
    case pmNotCopy:
        r = ~p;
        break;
    case pmMergePenNot:
        r = p | ~d;
        break;
    case pmMaskPenNot:
        r = p & ~d;
        break;
    case pmMergeNotPen:
        r = ~p | d;
        break;
    case pmMaskNotPen:
        r = ~p & d;
        break;
    case pmMerge:
        r = p | d;
        break;
    case pmNotMerge:
        r = ~(p | d);
        break;
    case pmMask:
        r = p & d;
        break;
    case pmNotMask:
        r = ~(p & d);
        break;
    case pmXor:
        r = p ^ d;
        break;
    case pmNotXor:
        r = ~(p ^ d);
        break;
    }
    return r & 0xFFFFFFu;
}

namespace {

struct Edge
{
    double x0, y0, x1, y1; // y0 < y1
    int direction;         // +1 downwards, -1 upwards in the original outline
};

// Adds one row of covered pixels [from, to) to the runs, joining touching runs.
void AddRun(std::vector<QRect>& runs, int y, int from, int to)
{
    if (to <= from)
        return;
    if (!runs.empty() && runs.back().y() == y && runs.back().right() + 1 >= from) {
        runs.back().setRight(std::max(runs.back().right(), to - 1));
        return;
    }
    runs.emplace_back(from, y, to - from, 1);
}

} // namespace

QRegion RasterizeRegion(const QPainterPath& path)
{
    // Scan conversion with the rule of the painter's aliased fills, so that a region covers
    // exactly the pixels a fill of the same shape sets: pixel (x, y) belongs to it when its
    // centre (x + 0.5, y + 0.5) lies inside, a centre on a left or top edge counting as
    // inside and one on a right or bottom edge as outside. For whole-pixel rectangles this is
    // Left..Right-1 by Top..Bottom-1. Regions reach a little beyond any device; the rest is
    // cut off.
    constexpr int Limit = 1 << 15;
    const QRectF limit(-Limit, -Limit, 2.0 * Limit, 2.0 * Limit);
    const QRectF shape = path.boundingRect().intersected(limit);
    if (shape.isEmpty())
        return QRegion();
    std::vector<Edge> edges;
    for (const QPolygonF& polygon : path.toSubpathPolygons()) {
        const qsizetype n = polygon.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QPointF a = polygon[i];
            const QPointF b = polygon[(i + 1) % n];
            if (a.y() == b.y() || !std::isfinite(a.x() + a.y() + b.x() + b.y()))
                continue;
            if (a.y() < b.y())
                edges.push_back({a.x(), a.y(), b.x(), b.y(), 1});
            else
                edges.push_back({b.x(), b.y(), a.x(), a.y(), -1});
        }
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.y0 < r.y0; });
    const bool winding = path.fillRule() == Qt::WindingFill;
    // Rows are sampled a hair above their centre, as the painter does: ties on slanted edges
    // then fall the same way as in its fills. Rows whose sample lies in [top, bottom):
    constexpr double Sample = 0.5 - 1.0 / 1024;
    const int top = static_cast<int>(std::ceil(shape.top() - Sample));
    const int bottom = static_cast<int>(std::ceil(shape.bottom() - Sample)); // exclusive
    std::vector<QRect> runs;
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    for (int y = top; y < bottom; ++y) {
        const double centre = y + Sample;
        while (next < edges.size() && edges[next].y0 <= centre)
            active.push_back(&edges[next++]);
        std::erase_if(active, [centre](const Edge* e) { return e->y1 <= centre; });
        crossings.clear();
        for (const Edge* e : active)
            crossings.emplace_back(e->x0 + (centre - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0),
                                   e->direction);
        std::sort(crossings.begin(), crossings.end());
        int count = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            count += winding ? crossings[i].second : 1;
            const bool inside = winding ? count != 0 : (count & 1) != 0;
            if (!inside)
                continue;
            // Columns whose centre lies in [left crossing, right crossing).
            const double from =
                std::clamp(std::ceil(crossings[i].first - 0.5), -double(Limit), double(Limit));
            const double to =
                std::clamp(std::ceil(crossings[i + 1].first - 0.5), -double(Limit), double(Limit));
            AddRun(runs, y, static_cast<int>(from), static_cast<int>(to));
        }
    }
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

// ---- TPixelWriter -----------------------------------------------------------------------------

namespace {

// On/off run lengths of the cosmetic dash styles.
struct DashRuns
{
    int count;
    int runs[6];
};

DashRuns RunsOf(TPenStyle style)
{
    switch (style) {
    case psDash:
        return {2, {18, 6}};
    case psDot:
        return {2, {3, 3}};
    case psDashDot:
        return {4, {9, 6, 3, 6}};
    case psDashDotDot:
        return {6, {9, 3, 3, 3, 3, 3}};
    default:
        return {0, {}};
    }
}

QRgb ToRgb(TColor color)
{
    const TColor c = ColorToRGB(color);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

void TPixelWriter::Begin(const TPen& pen, TColor backColor, bool opaque, const QRect& limit)
{
    FLimit = limit;
    FMode = pen.Mode();
    FOnColor = ToRgb(pen.Color());
    FOffColor = ToRgb(backColor);
    FOpaque = opaque;
    FPosition = 0;
    FPatternLength = 0;
    DashRuns runs{0, {}};
    if (pen.Kind() == pkAlternate)
        runs = {2, {1, 1}};
    else
        runs = RunsOf(pen.Style());
    bool on = true;
    for (int i = 0; i < runs.count; ++i) {
        for (int j = 0; j < runs.runs[i]; ++j)
            FPattern[static_cast<size_t>(FPatternLength++)] = on;
        on = !on;
    }
}

void TPixelWriter::Clear()
{
    FOn.clear();
    FOff.clear();
}

void TPixelWriter::Plot(int x, int y, bool on)
{
    if (!FLimit.contains(x, y))
        return;
    if (on)
        FOn.emplace_back(x, y);
    else if (FOpaque)
        FOff.emplace_back(x, y);
}

void TPixelWriter::Step(int x, int y)
{
    if (FPatternLength == 0) {
        if (FLimit.contains(x, y))
            FOn.emplace_back(x, y);
        return;
    }
    Plot(x, y, FPattern[static_cast<size_t>(FPosition)]);
    if (++FPosition == FPatternLength)
        FPosition = 0;
}

void TPixelWriter::Line(int x0, int y0, int x1, int y1)
{
    // Bresenham along the major axis; the end pixel is left for the next segment. Only the
    // steps whose major coordinate lies on the device are walked, so far-off end points cost
    // nothing and pick the same pixels as a full walk.
    const int64_t dx = std::llabs(static_cast<int64_t>(x1) - x0);
    const int64_t dy = std::llabs(static_cast<int64_t>(y1) - y0);
    const bool xMajor = dx >= dy;
    const int64_t major = xMajor ? dx : dy;
    const int64_t minor = xMajor ? dy : dx;
    if (major == 0)
        return;
    const int majorStep = (xMajor ? x1 >= x0 : y1 >= y0) ? 1 : -1;
    const int minorStep = (xMajor ? y1 >= y0 : x1 >= x0) ? 1 : -1;
    const int64_t a0 = xMajor ? x0 : y0;
    const int64_t b0 = xMajor ? y0 : x0;
    const int64_t lo = xMajor ? FLimit.left() : FLimit.top();
    const int64_t hi = xMajor ? FLimit.right() : FLimit.bottom();
    int64_t first = majorStep > 0 ? lo - a0 : a0 - hi;
    int64_t last = majorStep > 0 ? hi - a0 : a0 - lo; // inclusive
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, major - 1);
    const int64_t startPosition = FPosition;
    if (first <= last) {
        // Going backwards a tie steps the minor axis too, so a line and its reverse match.
        const bool tie = majorStep < 0;
        using Wide = __int128;
        const int64_t k = static_cast<int64_t>((Wide(2) * minor * first + major - (tie ? 0 : 1)) /
                                               (Wide(2) * major));
        // The error term stays within a few times the span, so 64 bits hold it from here on.
        int64_t err =
            static_cast<int64_t>(Wide(2) * minor * (first + 1) - major - Wide(2) * major * k);
        if (FPatternLength != 0)
            FPosition = static_cast<int>((startPosition + first) % FPatternLength);
        int64_t a = a0 + majorStep * first;
        int64_t b = b0 + minorStep * k;
        for (int64_t i = first; i <= last; ++i) {
            if (xMajor)
                Step(static_cast<int>(a), static_cast<int>(b));
            else
                Step(static_cast<int>(b), static_cast<int>(a));
            if (err > 0 || (err == 0 && tie)) {
                b += minorStep;
                err -= 2 * major;
            }
            err += 2 * minor;
            a += majorStep;
        }
    }
    if (FPatternLength != 0)
        FPosition = static_cast<int>((startPosition + major) % FPatternLength);
}

void TPixelWriter::WriteTo(QImage& image, TPoint origin, const QRegion* clip) const
{
    if (FMode == pmNop)
        return;
    const int width = image.width();
    const int height = image.height();
    QRect clipRect(0, 0, width, height);
    const bool simpleClip = clip == nullptr || clip->rectCount() <= 1;
    if (clip != nullptr)
        clipRect &= clip->boundingRect();
    uchar* bits = image.bits(); // detaches a shared buffer before writing
    const qsizetype stride = image.bytesPerLine();
    auto write = [&](const std::vector<QPoint>& points, QRgb color) {
        for (const QPoint& p : points) {
            const int x = p.x() - origin.X;
            const int y = p.y() - origin.Y;
            if (!clipRect.contains(x, y))
                continue;
            if (!simpleClip && !clip->contains(QPoint(x, y)))
                continue;
            auto* pixel = reinterpret_cast<QRgb*>(bits + y * stride) + x;
            *pixel = 0xFF000000u | ApplyRop(FMode, color & 0xFFFFFFu, *pixel & 0xFFFFFFu);
        }
    };
    write(FOff, FOffColor);
    write(FOn, FOnColor);
}

void TPixelWriter::PaintWith(QPainter& painter) const
{
    QColor on = QColor::fromRgb(FOnColor);
    QColor off = QColor::fromRgb(FOffColor);
    switch (FMode) {
    case pmNop:
        return;
    case pmBlack:
        on = off = Qt::black;
        break;
    case pmWhite:
        on = off = Qt::white;
        break;
    default:
        painter.setCompositionMode(QtRasterMode(FMode));
        break;
    }
    if (!FOff.empty()) {
        painter.setPen(QPen(off, 1));
        painter.drawPoints(FOff.data(), static_cast<int>(FOff.size()));
    }
    if (!FOn.empty()) {
        painter.setPen(QPen(on, 1));
        painter.drawPoints(FOn.data(), static_cast<int>(FOn.size()));
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
