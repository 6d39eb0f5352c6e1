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

// A line from (x0, y0) to (x1, y1) seen along its major axis: step i sets the pixel at major
// coordinate a0 + i * majorStep. first..last (inclusive) are the steps, the end pixel left out,
// whose major coordinate lies within limit; first > last when none does.
struct MajorWalk
{
    bool xMajor;
    int64_t major;
    int64_t minor;
    int majorStep;
    int minorStep;
    int64_t a0;
    int64_t b0;
    int64_t first;
    int64_t last;
};

MajorWalk MajorWalkOf(int x0, int y0, int x1, int y1, const QRect& limit)
{
    MajorWalk w;
    const int64_t dx = std::llabs(static_cast<int64_t>(x1) - x0);
    const int64_t dy = std::llabs(static_cast<int64_t>(y1) - y0);
    w.xMajor = dx >= dy;
    w.major = w.xMajor ? dx : dy;
    w.minor = w.xMajor ? dy : dx;
    w.majorStep = (w.xMajor ? x1 >= x0 : y1 >= y0) ? 1 : -1;
    w.minorStep = (w.xMajor ? y1 >= y0 : x1 >= x0) ? 1 : -1;
    w.a0 = w.xMajor ? x0 : y0;
    w.b0 = w.xMajor ? y0 : x0;
    const int64_t lo = w.xMajor ? limit.left() : limit.top();
    const int64_t hi = w.xMajor ? limit.right() : limit.bottom();
    w.first = std::max<int64_t>(w.majorStep > 0 ? lo - w.a0 : w.a0 - hi, 0);
    w.last = std::min<int64_t>(w.majorStep > 0 ? hi - w.a0 : w.a0 - lo, w.major - 1);
    return w;
}

// Calls visit(a, b) for the steps first..last of the walk, a along the major axis, b along the
// minor one: Bresenham, a tie going backwards steps the minor axis too, so that a line and its
// reverse match.
template <class Visit> void WalkSteps(const MajorWalk& w, Visit visit)
{
    if (w.major == 0 || w.first > w.last)
        return;
    const bool tie = w.majorStep < 0;
    using Wide = __int128;
    const int64_t k = static_cast<int64_t>((Wide(2) * w.minor * w.first + w.major - (tie ? 0 : 1)) /
                                           (Wide(2) * w.major));
    // The error term stays within a few times the span, so 64 bits hold it from here on.
    int64_t err =
        static_cast<int64_t>(Wide(2) * w.minor * (w.first + 1) - w.major - Wide(2) * w.major * k);
    int64_t a = w.a0 + w.majorStep * w.first;
    int64_t b = w.b0 + w.minorStep * k;
    for (int64_t i = w.first; i <= w.last; ++i) {
        visit(static_cast<int>(a), static_cast<int>(b));
        if (err > 0 || (err == 0 && tie)) {
            b += w.minorStep;
            err -= 2 * w.major;
        }
        err += 2 * w.minor;
        a += w.majorStep;
    }
}

// Device coordinates further out than this are not traced at device resolution (their
// rounding would be clamped).
constexpr double MaxTracedDevice = double(1 << 29);

} // namespace

void TPixelWriter::Begin(const TPen& pen, TColor backColor, bool opaque, const QRect& limit,
                         double ratio, TPoint origin)
{
    FLimit = limit;
    FRatio = ratio;
    FOrigin = origin;
    FDeviceWidth = BlockSize(ratio);
    const int left = DevicePosition(int64_t{limit.x()} - origin.X, ratio);
    const int top = DevicePosition(int64_t{limit.y()} - origin.Y, ratio);
    FDeviceLimit = QRect(
        left, top, DevicePosition(int64_t{limit.x()} + limit.width() - origin.X, ratio) - left,
        DevicePosition(int64_t{limit.y()} + limit.height() - origin.Y, ratio) - top);
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
    FDeviceRuns.clear();
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
    if (TracesDevice() && x0 != x1 && y0 != y1) {
        // A slanted solid line at a ratio above 1: traced between the device pixels where its
        // end pixels start, so that it steps by device pixels rather than by logical ones.
        const auto device = [this](int v, int origin) {
            return (static_cast<double>(v) - origin) * FRatio;
        };
        if (DeviceLine(device(x0, FOrigin.X), device(y0, FOrigin.Y), device(x1, FOrigin.X),
                       device(y1, FOrigin.Y)))
            return;
    }
    if (TracesDevice() && (x0 == x1) != (y0 == y1)) {
        AxisLine(x0, y0, x1, y1);
        return;
    }
    // Bresenham along the major axis; the end pixel is left for the next segment. Only the
    // steps whose major coordinate lies on the device are walked, so far-off end points cost
    // nothing and pick the same pixels as a full walk.
    const MajorWalk walk = MajorWalkOf(x0, y0, x1, y1, FLimit);
    if (walk.major == 0)
        return;
    const int64_t startPosition = FPosition;
    if (FPatternLength != 0 && walk.first <= walk.last)
        FPosition = static_cast<int>((startPosition + walk.first) % FPatternLength);
    WalkSteps(walk, [&](int a, int b) {
        if (walk.xMajor)
            Step(a, b);
        else
            Step(b, a);
    });
    if (FPatternLength != 0)
        FPosition = static_cast<int>((startPosition + walk.major) % FPatternLength);
}

void TPixelWriter::AxisLine(int x0, int y0, int x1, int y1)
{
    // The blocks of its pixels as one run: where the ratio's fraction is below one half (1.25,
    // 2.25) neighbouring blocks of round(ratio) device pixels leave a device pixel between them
    // now and then, which the run fills; elsewhere the run is the blocks' union.
    const MajorWalk walk = MajorWalkOf(x0, y0, x1, y1, FLimit);
    const int64_t minorLow = walk.xMajor ? FLimit.top() : FLimit.left();
    const int64_t minorHigh = walk.xMajor ? FLimit.bottom() : FLimit.right();
    if (walk.major == 0 || walk.first > walk.last || walk.b0 < minorLow || walk.b0 > minorHigh)
        return;
    const int64_t a = walk.a0 + walk.majorStep * walk.first;
    const int64_t b = walk.a0 + walk.majorStep * walk.last;
    const int64_t majorOrigin = walk.xMajor ? FOrigin.X : FOrigin.Y;
    const int64_t minorOrigin = walk.xMajor ? FOrigin.Y : FOrigin.X;
    const int64_t from = std::min(a, b) - majorOrigin;
    const int64_t to = std::max(a, b) - majorOrigin;
    const int start = DevicePosition(from, FRatio);
    const int end = DeviceRunEnd(to, FRatio);
    const int across = DevicePosition(walk.b0 - minorOrigin, FRatio);
    FDeviceRuns.push_back(walk.xMajor ? QRect(start, across, end - start, FDeviceWidth)
                                      : QRect(across, start, FDeviceWidth, end - start));
}

void TPixelWriter::LineF(double x0, double y0, double x1, double y1)
{
    if (TracesDevice()) {
        const auto device = [this](double v, int origin) { return (v - origin) * FRatio; };
        if (DeviceLine(device(x0, FOrigin.X), device(y0, FOrigin.Y), device(x1, FOrigin.X),
                       device(y1, FOrigin.Y)))
            return;
    }
    const auto pixel = [](double v) {
        return static_cast<int>(std::clamp(std::lround(v), -(1L << 30), 1L << 30));
    };
    Line(pixel(x0), pixel(y0), pixel(x1), pixel(y1));
}

bool TPixelWriter::DeviceLine(double x0, double y0, double x1, double y1)
{
    for (const double v : {x0, y0, x1, y1})
        if (!(std::abs(v) < MaxTracedDevice))
            return false;
    const auto pixel = [](double v) { return static_cast<int>(std::lround(v)); };
    const MajorWalk walk = MajorWalkOf(pixel(x0), pixel(y0), pixel(x1), pixel(y1), FDeviceLimit);
    // Each step is a run of the line's device width across the major axis, from the traced
    // pixel on (as a logical pixel's block starts at its device position); runs of one row or
    // column join.
    const int width = FDeviceWidth;
    WalkSteps(walk, [&](int a, int b) {
        const QRect run = walk.xMajor ? QRect(a, b, 1, width) : QRect(b, a, width, 1);
        if (!run.intersects(FDeviceLimit))
            return;
        if (!FDeviceRuns.empty()) {
            QRect& last = FDeviceRuns.back();
            if (walk.xMajor && last.top() == run.top() && last.height() == width &&
                (last.right() + 1 == run.left() || run.right() + 1 == last.left())) {
                last = last.united(run);
                return;
            }
            if (!walk.xMajor && last.left() == run.left() && last.width() == width &&
                (last.bottom() + 1 == run.top() || run.bottom() + 1 == last.top())) {
                last = last.united(run);
                return;
            }
        }
        FDeviceRuns.push_back(run);
    });
    return true;
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

bool TPixelWriter::Colors(QPainter& painter, QColor& on, QColor& off) const
{
    on = QColor::fromRgb(FOnColor);
    off = QColor::fromRgb(FOffColor);
    switch (FMode) {
    case pmNop:
        return false;
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
    return true;
}

void TPixelWriter::PaintWith(QPainter& painter) const
{
    QColor on;
    QColor off;
    if (!Colors(painter, on, off))
        return;
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

int TPixelWriter::BlockSize(double ratio)
{
    return std::max(1, static_cast<int>(std::lround(ratio)));
}

QRgb ToRgb(TColor color)
{
    const TColor c = ColorToRGB(color);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

int DeviceRunEnd(int64_t last, double ratio)
{
    return std::max(DevicePosition(last, ratio) + TPixelWriter::BlockSize(ratio),
                    DevicePosition(last + 1, ratio));
}

void TPixelWriter::WriteBlocksTo(QImage& image, double ratio, TPoint origin,
                                 const std::vector<QRect>& rects) const
{
    const QRgb on = FMode == pmBlack   ? 0xFF000000u
                    : FMode == pmWhite ? 0xFFFFFFFFu
                                       : 0xFF000000u | FOnColor;
    const QRgb off = FMode == pmBlack   ? 0xFF000000u
                     : FMode == pmWhite ? 0xFFFFFFFFu
                                        : 0xFF000000u | FOffColor;
    uchar* bits = image.bits(); // detaches a shared buffer before writing
    const qsizetype stride = image.bytesPerLine();
    // Device pixels left..right-1, top..bottom-1, inside each rectangle.
    const auto fill = [&](int64_t left, int64_t top, int64_t right, int64_t bottom, QRgb color) {
        for (const QRect& r : rects) {
            const int64_t x0 = std::max<int64_t>(left, r.left());
            const int64_t x1 = std::min<int64_t>(right, int64_t{r.right()} + 1);
            const int64_t y1 = std::min<int64_t>(bottom, int64_t{r.bottom()} + 1);
            for (int64_t y = std::max<int64_t>(top, r.top()); y < y1 && x0 < x1; ++y)
                std::fill(reinterpret_cast<QRgb*>(bits + y * stride) + x0,
                          reinterpret_cast<QRgb*>(bits + y * stride) + x1, color);
        }
    };
    const int size = BlockSize(ratio);
    const auto fillBlock = [&](const QPoint& p, QRgb color) {
        const int64_t x = DevicePosition(int64_t{p.x()} - origin.X, ratio);
        const int64_t y = DevicePosition(int64_t{p.y()} - origin.Y, ratio);
        fill(x, y, x + size, y + size, color);
    };
    for (const QPoint& p : FOff)
        fillBlock(p, off);
    for (const QPoint& p : FOn)
        fillBlock(p, on);
    for (const QRect& run : FDeviceRuns)
        fill(run.left(), run.top(), int64_t{run.right()} + 1, int64_t{run.bottom()} + 1, on);
}

void TPixelWriter::PaintBlocks(QPainter& painter, double ratio, TPoint origin) const
{
    QColor on;
    QColor off;
    if (!Colors(painter, on, off))
        return;
    const int size = BlockSize(ratio);
    // Blocks of neighbouring pixels may overlap at fractional ratios: copies paint them one by
    // one, other raster modes paint their union once so that no device pixel is changed twice.
    const bool idempotent = FMode == pmCopy || FMode == pmBlack || FMode == pmWhite;
    const auto paint = [&](const std::vector<QPoint>& points, const std::vector<QRect>& runs,
                           const QColor& color) {
        if (points.empty() && runs.empty())
            return;
        std::vector<QRect> blocks;
        blocks.reserve(points.size() + runs.size());
        for (const QPoint& p : points)
            blocks.emplace_back(DevicePosition(int64_t{p.x()} - origin.X, ratio),
                                DevicePosition(int64_t{p.y()} - origin.Y, ratio), size, size);
        blocks.insert(blocks.end(), runs.begin(), runs.end());
        if (idempotent) {
            for (const QRect& r : blocks)
                painter.fillRect(r, color);
            return;
        }
        QRegion all;
        for (const QRect& r : blocks)
            all += r;
        QPainterPath area;
        area.addRegion(all);
        painter.fillPath(area, color);
    };
    paint(FOff, {}, off);
    paint(FOn, FDeviceRuns, on);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

int LogicalLength(int device, double ratio)
{
    return ratio == 1.0 ? device : static_cast<int>(std::lround(device / ratio));
}

// ---- Direct writers -----------------------------------------------------------------------------

namespace {

// The walk of a solid line cut to its visible steps; offsets are byte offsets into the image.
template <TPenMode Mode>
void WalkSolid(uchar* bits, qsizetype offset, qsizetype majorDelta, qsizetype minorDelta,
               int64_t count, int64_t err, int64_t twoMajor, int64_t twoMinor, int64_t threshold,
               QRgb color)
{
    const uint32_t pen = color & 0xFFFFFFu;
    for (int64_t n = count; n > 0; --n) {
        auto* pixel = reinterpret_cast<QRgb*>(bits + offset);
        *pixel = 0xFF000000u | ApplyRop(Mode, pen, *pixel & 0xFFFFFFu);
        if (err > threshold) {
            offset += minorDelta;
            err -= twoMajor;
        }
        err += twoMinor;
        offset += majorDelta;
    }
}

using WalkFunction = void (*)(uchar*, qsizetype, qsizetype, qsizetype, int64_t, int64_t, int64_t,
                              int64_t, int64_t, QRgb);

WalkFunction WalkerOf(TPenMode mode)
{
    switch (mode) {
    case pmBlack:
        return WalkSolid<pmBlack>;
    case pmWhite:
        return WalkSolid<pmWhite>;
    case pmNot:
        return WalkSolid<pmNot>;
    case pmCopy:
        return WalkSolid<pmCopy>;
    case pmNotCopy:
        return WalkSolid<pmNotCopy>;
    case pmMergePenNot:
        return WalkSolid<pmMergePenNot>;
    case pmMaskPenNot:
        return WalkSolid<pmMaskPenNot>;
    case pmMergeNotPen:
        return WalkSolid<pmMergeNotPen>;
    case pmMaskNotPen:
        return WalkSolid<pmMaskNotPen>;
    case pmMerge:
        return WalkSolid<pmMerge>;
    case pmNotMerge:
        return WalkSolid<pmNotMerge>;
    case pmMask:
        return WalkSolid<pmMask>;
    case pmNotMask:
        return WalkSolid<pmNotMask>;
    case pmXor:
        return WalkSolid<pmXor>;
    case pmNotXor:
        return WalkSolid<pmNotXor>;
    default:
        return nullptr;
    }
}

// Smallest integer not below n / d for n > 0, d > 0.
__int128 CeilDiv(__int128 n, __int128 d)
{
    return (n + d - 1) / d;
}

} // namespace

void DrawSolidLine(uchar* bits, qsizetype stride, const QRect& box, TPoint origin, int x0, int y0,
                   int x1, int y1, TPenMode mode, QRgb color)
{
    const WalkFunction walk = WalkerOf(mode);
    if (walk == nullptr || box.isEmpty())
        return;
    // The same walk as TPixelWriter::Line: step i along the major axis sets the pixel
    // a0 + i * majorStep, b0 + k(i) * minorStep with k(i) = floor((2 m i + M - c) / 2M), where
    // c is 0 for backward lines (a tie steps the minor axis) and 1 otherwise.
    auto [xMajor, major, minor, majorStep, minorStep, a0, b0, first, last] =
        MajorWalkOf(x0, y0, x1, y1, box);
    if (major == 0)
        return;
    const int64_t minorLo = xMajor ? box.top() : box.left();
    const int64_t minorHi = xMajor ? box.bottom() : box.right();
    // Minor steps k that stay inside the box.
    const int64_t kMin = minorStep > 0 ? minorLo - b0 : b0 - minorHi;
    const int64_t kMax = minorStep > 0 ? minorHi - b0 : b0 - minorLo;
    if (first > last || kMax < 0 || kMin > minor)
        return;
    const bool tie = majorStep < 0;
    const int64_t c = tie ? 0 : 1;
    int64_t k = 0;
    int64_t err = 2 * minor - major;
    if (first != 0 || kMin > 0 || kMax < minor) {
        // The line leaves the box: cut the steps to those whose pixel lies inside it (k(i) is
        // monotonic), in wide arithmetic since end points may lie anywhere.
        using Wide = __int128;
        const Wide M = major;
        const Wide m = minor;
        if (kMin > 0) // here minor > 0
            first = std::max<int64_t>(first,
                                      static_cast<int64_t>(CeilDiv(2 * M * kMin - M + c, 2 * m)));
        if (kMax < minor) // here minor > 0
            last = std::min<int64_t>(
                last, static_cast<int64_t>(CeilDiv(2 * M * (kMax + 1) - M + c, 2 * m) - 1));
        if (first > last)
            return;
        k = static_cast<int64_t>((2 * m * first + M - c) / (2 * M));
        err = static_cast<int64_t>(2 * m * (first + 1) - M - 2 * M * k);
    }
    const int64_t a = a0 + majorStep * first;
    const int64_t b = b0 + minorStep * k;
    const int64_t x = (xMajor ? a : b) - origin.X;
    const int64_t y = (xMajor ? b : a) - origin.Y;
    const qsizetype pixel = static_cast<qsizetype>(sizeof(QRgb));
    const qsizetype majorDelta = xMajor ? majorStep * pixel : majorStep * stride;
    const qsizetype minorDelta = xMajor ? minorStep * stride : minorStep * pixel;
    walk(bits, static_cast<qsizetype>(y * stride + x * pixel), majorDelta, minorDelta,
         last - first + 1, err, 2 * major, 2 * minor, tie ? -1 : 0, color);
}

void FillSpans(uchar* bits, qsizetype stride, const TSpan* spans, size_t count, int x, int y,
               const std::vector<QRect>& rects, QRgb color)
{
    const QRgb value = 0xFF000000u | color;
    if (rects.size() == 1) {
        // The common case, one visible rectangle: rows and columns cut against it directly.
        const QRect& r = rects.front();
        const unsigned rows = static_cast<unsigned>(r.height());
        for (size_t i = 0; i < count; ++i) {
            const int row = y + spans[i].dy;
            if (static_cast<unsigned>(row - r.top()) >= rows)
                continue;
            const int left = std::max(x + spans[i].from, r.left());
            const int right = std::min(x + spans[i].to, r.right() + 1);
            auto* line = reinterpret_cast<QRgb*>(bits + row * stride);
            for (int column = left; column < right; ++column)
                line[column] = value;
        }
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const int row = y + spans[i].dy;
        const int from = x + spans[i].from;
        const int to = x + spans[i].to;
        for (const QRect& r : rects) {
            if (row < r.top() || row > r.bottom())
                continue;
            const int left = std::max(from, r.left());
            const int right = std::min(to, r.right() + 1);
            if (left < right) {
                auto* line = reinterpret_cast<QRgb*>(bits + row * stride);
                std::fill(line + left, line + right, value);
            }
        }
    }
}

// ---- TSegmentSpanCache ----------------------------------------------------------------------

const TSegmentSpanCache::Entry* TSegmentSpanCache::Find(int dx, int dy, int phase) const
{
    const auto it = FIndex.find(Key(dx, dy, phase));
    return it == FIndex.end() ? nullptr : &it->second;
}

bool TSegmentSpanCache::Store(int dx, int dy, const std::vector<TSpan>& spans, int phase)
{
    if (FSpans.size() + spans.size() > MaxSpans)
        return false;
    if (FSpans.capacity() == 0)
        FSpans.reserve(MaxSpans / 8);
    const Entry e{static_cast<uint32_t>(FSpans.size()), static_cast<uint32_t>(spans.size())};
    FSpans.insert(FSpans.end(), spans.begin(), spans.end());
    FIndex[Key(dx, dy, phase)] = e;
    return true;
}

bool TSegmentSpanCache::MarkSeen(int dx, int dy)
{
    constexpr size_t Side = 2 * MaxExtent + 1;
    if (FSeen.empty())
        FSeen.assign((Side * Side + 63) / 64, 0);
    const size_t bit =
        static_cast<size_t>(dy + MaxExtent) * Side + static_cast<size_t>(dx + MaxExtent);
    uint64_t& word = FSeen[bit / 64];
    const uint64_t mask = uint64_t{1} << (bit % 64);
    const bool seen = (word & mask) != 0;
    word |= mask;
    return seen;
}

void TSegmentSpanCache::Clear()
{
    FIndex.clear();
    FSpans.clear();
    FSeen.clear();
}
