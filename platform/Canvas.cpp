#include "platform/Canvas.h"

#include "platform/Bitmap.h"
#include "platform/Raster.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// Coordinates within which a fill of whole pixels is written as such: far outside any device,
// and no int overflow.
bool WithinFillLimit(int64_t v)
{
    constexpr int64_t Limit = int64_t{1} << 28;
    return v > -Limit && v < Limit;
}

// Device pixels of a logical rectangle of an image at the ratio.
QRect DeviceRectOf(const QRect& logical, double ratio)
{
    if (ratio == 1.0)
        return logical;
    const int left = DevicePosition(logical.x(), ratio);
    const int top = DevicePosition(logical.y(), ratio);
    return QRect(left, top, DevicePosition(int64_t{logical.x()} + logical.width(), ratio) - left,
                 DevicePosition(int64_t{logical.y()} + logical.height(), ratio) - top);
}

// The logical size of an image (its device size at a ratio above 1).
QSize LogicalSizeOf(const QImage& image)
{
    const double ratio = image.devicePixelRatio();
    return QSize(LogicalLength(image.width(), ratio), LogicalLength(image.height(), ratio));
}

int ClampCoordinate(int v)
{
    return std::clamp(v, -CoordinateLimit, CoordinateLimit);
}

int Saturate(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

TRect ClampRect(const TRect& r)
{
    return {ClampCoordinate(r.Left), ClampCoordinate(r.Top), ClampCoordinate(r.Right),
            ClampCoordinate(r.Bottom)};
}

QRect ToQRect(const TRect& given)
{
    const TRect r = ClampRect(given);
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// Dash pattern of a geometric pen style in pen widths (dash 3 on 1 off, dot 1 on 1 off, and
// their combinations); empty for solid.
QList<qreal> QtDashes(TPenStyle style)
{
    switch (style) {
    case psDash:
        return {3, 1};
    case psDot:
        return {1, 1};
    case psDashDot:
        return {3, 1, 1, 1};
    case psDashDotDot:
        return {3, 1, 1, 1, 1, 1};
    default:
        return {};
    }
}

Qt::BrushStyle HatchStyle(TBrushStyle style)
{
    switch (style) {
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal: // going down from left to right
        return Qt::FDiagPattern;
    case bsBDiagonal: // going up from left to right
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// Rectangle (x1, y1)-(x2, y2) within the coordinate limit, corners put in order.
void Normalize(int& x1, int& y1, int& x2, int& y2)
{
    x1 = ClampCoordinate(x1);
    y1 = ClampCoordinate(y1);
    x2 = ClampCoordinate(x2);
    y2 = ClampCoordinate(y2);
    if (x2 < x1)
        std::swap(x1, x2);
    if (y2 < y1)
        std::swap(y1, y2);
}

// The classic desktop fills the pixels whose whole-number coordinates lie inside a shape
// (left and top edges included, right and bottom excluded); Qt's aliased fills sample pixel
// centres instead. Moving shapes by a little under half a pixel makes Qt pick the classic
// pixels: a wide line is then centred on its pixels, a polygon's slanted edges fall the
// classic way, and ties go to the left and top.
constexpr double PixelOffset = 0.5 - 1.0 / 32;

QPointF Centre(int x, int y)
{
    return QPointF(x + PixelOffset, y + PixelOffset);
}

// Walks the (flattened) outline of a path in whole pixels with the one-pixel line writer.
void WalkOutline(TPixelWriter& writer, const QPainterPath& path)
{
    for (const QPolygonF& poly : path.toSubpathPolygons())
        for (qsizetype i = 0; i + 1 < poly.size(); ++i)
            writer.LineF(poly[i].x() - PixelOffset, poly[i].y() - PixelOffset,
                         poly[i + 1].x() - PixelOffset, poly[i + 1].y() - PixelOffset);
}

} // namespace

// ---- TRegion --------------------------------------------------------------------------------

TRegion TRegion::FromRect(const TRect& r)
{
    if (IsRectEmpty(r))
        return TRegion();
    return TRegion(QRegion(ToQRect(r)));
}

TRegion TRegion::FromEllipse(const TRect& r)
{
    if (IsRectEmpty(r))
        return TRegion();
    QPainterPath path;
    path.addEllipse(QRectF(r.Left, r.Top, r.Width(), r.Height()));
    return TRegion(RasterizeRegion(path));
}

TRegion TRegion::FromRoundRect(const TRect& r, int cornerWidth, int cornerHeight)
{
    if (IsRectEmpty(r))
        return TRegion();
    QPainterPath path;
    path.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()),
                        std::clamp(cornerWidth, 0, r.Width()) / 2.0,
                        std::clamp(cornerHeight, 0, r.Height()) / 2.0);
    return TRegion(RasterizeRegion(path));
}

TRegion TRegion::FromPolygon(const TPoint* points, int count, int fillMode)
{
    if (points == nullptr || count < 3)
        return TRegion();
    QPolygonF polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i)
        polygon << Centre(points[i].X, points[i].Y);
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    path.setFillRule(fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return TRegion(RasterizeRegion(path));
}

TRect TRegion::BoundingRect() const
{
    const QRect r = FRegion.boundingRect();
    if (r.isEmpty())
        return {};
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TRegion::Offset(int dx, int dy)
{
    FRegion.translate(ClampCoordinate(dx), ClampCoordinate(dy));
}

void TRegion::Combine(const TRegion& other, int mode)
{
    switch (mode) {
    case RGN_AND:
        FRegion &= other.FRegion;
        break;
    case RGN_OR:
        FRegion |= other.FRegion;
        break;
    case RGN_XOR:
        FRegion ^= other.FRegion;
        break;
    case RGN_DIFF:
        FRegion -= other.FRegion;
        break;
    default:
        FRegion = other.FRegion;
        break;
    }
}

// ---- Canvas state -----------------------------------------------------------------------------

struct TCanvas::Impl
{
    std::unique_ptr<QPainter> painter;
    QImage* image = nullptr;          // the device when it is an image
    std::optional<QRegion> clip;      // device coordinates
    std::optional<QRegion> savedClip; // SaveClip / RestoreClip
    bool hasSavedClip = false;
    bool painterClipValid = false; // the painter carries the current clip
    bool directRectsValid = false; // directRects follow the current clip and device
    QPainterPath path;             // recorded path (pixel-centre coordinates)
    bool pathReady = false;
    TPixelWriter writer; // one-pixel lines

    // Lines written straight into a 32-bit image (see BeginDirectLines).
    bool fastPaths = true;
    std::vector<QRect> directRects; // visible device rectangles: the image within the clip
    double directRatio = 1;         // device pixel ratio of directRects
    int directP = 1;                // the ratio as directP / directQ: directQ logical pixels
    int directQ = 1;                // are directP device pixels
    uchar* bits = nullptr;
    qsizetype stride = 0;
    QRgb penRgb = 0;
    TColor penRgbKey = clNone;          // colour penRgb was resolved from
    bool penRgbValid = false;           // penRgb may be reused for penRgbKey (not a system colour)
    TSegmentSpanCache* spans = nullptr; // runs of the current wide pen's segments
    // Span caches by pen shape (width, cap, join), the most recently added last.
    std::vector<std::pair<uint32_t, std::unique_ptr<TSegmentSpanCache>>> spanCaches;
    QImage scratch; // where the runs of a new segment extent are found

    void InvalidateClip()
    {
        painterClipValid = false;
        directRectsValid = false;
    }
};

TCanvas::TCanvas() : FImpl(std::make_unique<Impl>())
{
    FBrush.OnChange = [this](TBrush* brush) {
        // The classic runtime ties the background to the brush when the brush changes.
        FBackColor = brush->Color();
        FBackgroundMode = brush->Style() == bsSolid ? OPAQUE : TRANSPARENT;
    };
}

TCanvas::TCanvas(QPaintDevice* device) : TCanvas()
{
    Attach(device);
}

TCanvas::~TCanvas()
{
    ReleasePainter();
    FBrush.OnChange = nullptr;
}

void TCanvas::Attach(QPaintDevice* device)
{
    ReleasePainter();
    FDevice = device;
    FImpl->image = device != nullptr && device->devType() == QInternal::Image
                       ? static_cast<QImage*>(device)
                       : nullptr;
    FImpl->clip.reset();
    FImpl->savedClip.reset();
    FImpl->hasSavedClip = false;
    FWindowOrg = {};
}

void TCanvas::ReleasePainter()
{
    if (FImpl->painter) {
        if (FImpl->painter->isActive())
            FImpl->painter->end();
        FImpl->painter.reset();
    }
    FImpl->InvalidateClip();
}

QPainter* TCanvas::OpenPainter()
{
    if (FDevice == nullptr)
        return nullptr;
    if (FImpl->image != nullptr && FImpl->image->isNull())
        return nullptr;
    if (!FImpl->painter) {
        FImpl->painter = std::make_unique<QPainter>();
        if (!FImpl->painter->begin(FDevice)) {
            FImpl->painter.reset();
            return nullptr;
        }
        FImpl->painter->setRenderHint(QPainter::Antialiasing, false);
        FImpl->painter->setRenderHint(QPainter::TextAntialiasing, true);
        FImpl->painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        FImpl->InvalidateClip();
    }
    return FImpl->painter.get();
}

QPainter* TCanvas::Painter()
{
    QPainter* p = OpenPainter();
    if (p == nullptr)
        return nullptr;
    if (!FImpl->painterClipValid) {
        p->resetTransform();
        const double ratio = Ratio();
        if (FImpl->clip && ratio != 1.0) {
            // The clip's edges become device pixel edges as a fill's do (rounded), so that a
            // clipped fill sets the device pixels of the fill of the clipped rectangle.
            QRegion device;
            for (const QRect& r : *FImpl->clip)
                device += DeviceRectOf(r, ratio);
            p->setTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio));
            p->setClipRegion(device);
        } else if (FImpl->clip) {
            p->setClipRegion(*FImpl->clip);
        } else {
            p->setClipping(false);
        }
        FImpl->painterClipValid = true;
    }
    // Drawing happens in logical coordinates; the clip stays in device coordinates.
    p->setTransform(QTransform::fromTranslate(-FWindowOrg.X, -FWindowOrg.Y));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setBrushOrigin(FWindowOrg.X, FWindowOrg.Y);
    return p;
}

double TCanvas::Ratio() const
{
    if (FImpl->image != nullptr)
        return FImpl->image->devicePixelRatio();
    return FDevice != nullptr ? FDevice->devicePixelRatioF() : 1.0;
}

QPainter* TCanvas::DevicePainter()
{
    QPainter* p = Painter();
    if (p != nullptr) {
        const double ratio = Ratio();
        p->setTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio));
    }
    return p;
}

void TCanvas::SetBackColor(TColor color)
{
    FBackColor = color;
}

void TCanvas::SetBackgroundMode(int mode)
{
    if (mode == TRANSPARENT || mode == OPAQUE)
        FBackgroundMode = mode;
}

void TCanvas::SetWindowOrg(int x, int y)
{
    FWindowOrg = {ClampCoordinate(x), ClampCoordinate(y)};
}

TPoint TCanvas::LPtoDP(const TPoint& p) const
{
    return {Saturate(int64_t{p.X} - FWindowOrg.X), Saturate(int64_t{p.Y} - FWindowOrg.Y)};
}

TPoint TCanvas::DPtoLP(const TPoint& p) const
{
    return {Saturate(int64_t{p.X} + FWindowOrg.X), Saturate(int64_t{p.Y} + FWindowOrg.Y)};
}

// ---- Pens and brushes as Qt sees them ---------------------------------------------------------

namespace {

// Sets the composition for a raster mode; false when nothing should be drawn (pmNop). The
// colour is replaced for pmBlack and pmWhite.
bool ApplyMode(QPainter* p, TPenMode mode, QColor& color)
{
    switch (mode) {
    case pmBlack:
        color = Qt::black;
        return true;
    case pmWhite:
        color = Qt::white;
        return true;
    case pmNop:
        return false;
    case pmCopy:
        return true;
    default:
        p->setCompositionMode(QtRasterMode(mode));
        return true;
    }
}

// A fill in one colour under a raster mode: the colour as the painter takes it, set up on the
// painter; false when there is no painter or the mode draws nothing.
bool PrepareFill(QPainter* p, TColor color, TPenMode mode, QColor& qcolor)
{
    if (p == nullptr)
        return false;
    qcolor = ColorToQColor(color);
    return ApplyMode(p, mode, qcolor);
}

} // namespace

// ---- Lines ------------------------------------------------------------------------------------

namespace {

// Pens drawn by the one-pixel line walker: alternate pens, normal pens up to one pixel and
// solid geometric pens of one pixel (the same pixels, crisper than a stroked outline).
bool IsThinPen(const TPen& pen)
{
    if (pen.Kind() == pkAlternate)
        return true;
    if (pen.Width() > 1)
        return false;
    return pen.Kind() == pkNormal || pen.Style() == psSolid || pen.Style() == psInsideFrame;
}

Qt::PenCapStyle CapOf(const TPen& pen)
{
    if (pen.Kind() != pkGeometric)
        return Qt::RoundCap;
    switch (pen.EndCap()) {
    case pecSquare:
        return Qt::SquareCap;
    case pecFlat:
        return Qt::FlatCap;
    default:
        return Qt::RoundCap;
    }
}

Qt::PenJoinStyle JoinOf(const TPen& pen)
{
    if (pen.Kind() != pkGeometric)
        return Qt::RoundJoin;
    switch (pen.Join()) {
    case pjBevel:
        return Qt::BevelJoin;
    case pjMiter:
        return Qt::MiterJoin;
    default:
        return Qt::RoundJoin;
    }
}

// Round pens of two and four pixels cover with a joined line exactly the pixels of its
// segments drawn one by one, each with round ends (the round join lies within the ends), so
// their open polylines may be drawn segment by segment.
bool JoinsAsSeparateSegments(const TPen& pen)
{
    return (pen.Width() == 2 || pen.Width() == 4) && CapOf(pen) == Qt::RoundCap &&
           JoinOf(pen) == Qt::RoundJoin;
}

// Part [t0, t1] of the segment a-b inside the rectangle (Liang-Barsky); false when none.
bool ClipSegment(const QPointF& a, const QPointF& b, const QRectF& box, double& t0, double& t1)
{
    t0 = 0;
    t1 = 1;
    const double d[2] = {b.x() - a.x(), b.y() - a.y()};
    const double lo[2] = {box.left() - a.x(), box.top() - a.y()};
    const double hi[2] = {box.right() - a.x(), box.bottom() - a.y()};
    for (int axis = 0; axis < 2; ++axis) {
        if (d[axis] == 0) {
            if (lo[axis] > 0 || hi[axis] < 0)
                return false;
            continue;
        }
        double enter = lo[axis] / d[axis];
        double leave = hi[axis] / d[axis];
        if (enter > leave)
            std::swap(enter, leave);
        t0 = std::max(t0, enter);
        t1 = std::min(t1, leave);
        if (t0 > t1)
            return false;
    }
    return true;
}

// The area a wide pen covers along the centre line. A dashed line far longer than the device
// is cut to the pieces near the device first, each keeping its place in the dash pattern, so
// that far-off end points cannot make millions of dashes.
QPainterPath WideStroke(const TPen& pen, const QPainterPath& centre, const QRectF& device)
{
    const int width = std::max(pen.Width(), 1);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(CapOf(pen));
    stroker.setJoinStyle(JoinOf(pen));
    stroker.setMiterLimit(10);
    // Wide normal pens draw solid; geometric pens keep their dash style.
    const QList<qreal> dashes = pen.Kind() == pkGeometric ? QtDashes(pen.Style()) : QList<qreal>();
    if (dashes.isEmpty())
        return stroker.createStroke(centre);
    stroker.setDashPattern(dashes);
    constexpr double MaxDashes = 10000;
    double period = 0;
    for (qreal d : dashes)
        period += d * width;
    if (centre.length() / period <= MaxDashes)
        return stroker.createStroke(centre);
    const QRectF near = device.adjusted(-2.0 * width, -2.0 * width, 2.0 * width, 2.0 * width);
    QPainterPath result;
    double run = 0; // length along the whole line so far
    for (const QPolygonF& polygon : centre.toSubpathPolygons()) {
        for (qsizetype i = 0; i + 1 < polygon.size(); ++i) {
            const QPointF a = polygon[i];
            const QPointF b = polygon[i + 1];
            const double length = QLineF(a, b).length();
            double t0 = 0;
            double t1 = 0;
            if (length > 0 && ClipSegment(a, b, near, t0, t1)) {
                QPainterPath piece;
                piece.moveTo(a + (b - a) * t0);
                piece.lineTo(a + (b - a) * t1);
                stroker.setDashOffset(std::fmod(run + t0 * length, period) / width);
                result.addPath(stroker.createStroke(piece));
            }
            run += length;
        }
    }
    return result;
}

// The area of a wide pen along a centre line (pixel-centre coordinates) on a device of the
// ratio. A pen of even width covers as many pixels on each side of the centre pixel's top or
// left edge: above ratio 1 its stroke is centred on that edge, so that it lands on the logical
// pixels it covers at ratio 1 (centred on the pixel, it would sit half a logical pixel further
// down and right).
QPainterPath StrokeOf(const TPen& pen, const QPainterPath& centre, const QRectF& device,
                      double ratio)
{
    QPainterPath stroke = WideStroke(pen, centre, device);
    if (ratio != 1.0 && pen.Width() % 2 == 0)
        stroke.translate(-0.5, -0.5);
    return stroke;
}
} // namespace

void TCanvas::MoveTo(int x, int y)
{
    FPenPos = {x, y};
    if (FRecording)
        FImpl->path.moveTo(Centre(x, y));
}

void TCanvas::LineTo(int x, int y)
{
    const TPoint pts[2] = {FPenPos, {x, y}};
    if (FRecording) {
        if (FImpl->path.elementCount() == 0)
            FImpl->path.moveTo(Centre(FPenPos.X, FPenPos.Y));
        FImpl->path.lineTo(Centre(x, y));
        FPenPos = {x, y};
        return;
    }
    DrawLines(pts, 2, false);
    FPenPos = {x, y};
}

void TCanvas::Polyline(const TPoint* points, int count)
{
    if (points == nullptr || count < 1)
        return;
    if (FRecording) {
        FImpl->path.moveTo(Centre(points[0].X, points[0].Y));
        for (int i = 1; i < count; ++i)
            FImpl->path.lineTo(Centre(points[i].X, points[i].Y));
        return;
    }
    DrawLines(points, count, false);
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    Polyline(points.data(), static_cast<int>(points.size()));
}

void TCanvas::DrawLines(const TPoint* points, int count, bool closed)
{
    if (count < 2 || FPen.Style() == psClear || FPen.Mode() == pmNop)
        return;
    const bool thin = IsThinPen(FPen);
    if ((thin || (count == 2 && !closed) || (!closed && JoinsAsSeparateSegments(FPen))) &&
        BeginDirectLines()) {
        for (int i = 0; i + 1 < count; ++i)
            DirectSegment(points[i], points[i + 1]);
        if (closed && count > 2)
            DirectSegment(points[count - 1], points[0]);
        return;
    }
    if (thin) {
        TPixelWriter& w = FImpl->writer;
        w.Begin(FPen, FBackColor, FBackgroundMode == OPAQUE, LogicalDeviceRect(), Ratio(),
                FWindowOrg);
        for (int i = 0; i + 1 < count; ++i)
            w.Line(points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y);
        if (closed && count > 2)
            w.Line(points[count - 1].X, points[count - 1].Y, points[0].X, points[0].Y);
        FlushPixels();
        return;
    }
    QPainterPath centre;
    centre.moveTo(Centre(points[0].X, points[0].Y));
    for (int i = 1; i < count; ++i)
        centre.lineTo(Centre(points[i].X, points[i].Y));
    if (closed)
        centre.closeSubpath();
    FillArea(PenStroke(centre), FPen.Color(), FPen.Mode());
}

// ---- Lines written straight into 32-bit images --------------------------------------------------

namespace {

// Wide segments whose runs are kept: extents up to this many pixels, starting within this
// distance of the device, pens up to this width.
constexpr int64_t MaxSpanExtent = TSegmentSpanCache::MaxExtent;
// Runs are found by scanning the segment's bounding box: long slanted segments, whose box is
// large, take the plain path.
constexpr int64_t MaxSpanArea = 1 << 11;
constexpr int64_t MaxSpanStart = 1 << 15;
constexpr int MaxSpanPenWidth = 64;
constexpr size_t MaxSpanCaches = 16;
// Device pixel ratios up to this one take the direct paths, for wide pens those whose period
// (the logical pixels that make whole device pixels) is at most MaxDirectPeriod.
constexpr int MaxDirectScale = 4;
constexpr int MaxDirectPeriod = 4;

bool IsDirectFormat(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
           image.format() == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

void TCanvas::SetFastPaths(bool enabled)
{
    FImpl->fastPaths = enabled;
}

bool TCanvas::FastPaths() const
{
    return FImpl->fastPaths;
}

bool TCanvas::DirectImage() const
{
    const Impl& d = *FImpl;
    return d.fastPaths && !FRecording && d.image != nullptr && !d.image->isNull() &&
           IsDirectFormat(*d.image);
}

// Prepares writing the current pen's lines straight into the image: one-pixel solid pens in
// any raster mode, and wide solid pens in copy mode (each segment with its own ends, as one
// LineTo draws it), on 32-bit images. False when the pen, the device or the clip needs the
// plain path.
bool TCanvas::BeginDirectLines()
{
    Impl& d = *FImpl;
    if (!DirectImage())
        return false;
    // Wide pens are written directly at ratios p / q (q of 1, 2 or 4: 1.25, 1.5, 2 ...): q
    // logical pixels are p device pixels, so a segment's runs depend only on where it starts
    // within q pixels (its phase).
    const double ratio = d.image->devicePixelRatio();
    const int q = RatioPeriod(ratio, MaxDirectPeriod);
    if (q == 0 || ratio < 1 || ratio > MaxDirectScale)
        return false;
    const int p = static_cast<int>(ratio * q);
    if (IsThinPen(FPen)) {
        // Above ratio 1 the pixel writer traces one-pixel lines at device resolution.
        if (ratio != 1 || FPen.Kind() == pkAlternate ||
            (FPen.Style() != psSolid && FPen.Style() != psInsideFrame))
            return false;
        d.spans = nullptr;
    } else {
        // Wide normal pens draw solid; geometric pens only when they have no dashes.
        if (FPen.Mode() != pmCopy || FPen.Width() > MaxSpanPenWidth ||
            (FPen.Kind() == pkGeometric && !QtDashes(FPen.Style()).isEmpty()))
            return false;
        const uint32_t shape = (static_cast<uint32_t>(q) << 25) | (static_cast<uint32_t>(p) << 19) |
                               (static_cast<uint32_t>(FPen.Width()) << 12) |
                               static_cast<uint32_t>(CapOf(FPen)) |
                               static_cast<uint32_t>(JoinOf(FPen));
        auto found = std::find_if(d.spanCaches.begin(), d.spanCaches.end(),
                                  [shape](const auto& c) { return c.first == shape; });
        if (found == d.spanCaches.end()) {
            if (d.spanCaches.size() >= MaxSpanCaches)
                d.spanCaches.erase(d.spanCaches.begin());
            d.spanCaches.emplace_back(shape, std::make_unique<TSegmentSpanCache>());
            found = d.spanCaches.end() - 1;
        }
        d.spans = found->second.get();
    }
    if (!UpdateDirectRects(ratio))
        return false;
    if (OpenPainter() == nullptr) // keeps the painter and the image in step (one buffer)
        return false;
    d.directP = p;
    d.directQ = q;
    d.bits = d.image->bits();
    d.stride = d.image->bytesPerLine();
    ResolvePenRgb();
    return true;
}

void TCanvas::ResolvePenRgb()
{
    Impl& d = *FImpl;
    const TColor color = FPen.Color();
    if (!d.penRgbValid || color != d.penRgbKey) {
        d.penRgb = ToRgb(color);
        d.penRgbKey = color;
        // System colours may change with the palette: resolved on every call.
        d.penRgbValid = !IsSystemColor(color);
    }
}

// The visible device rectangles of the image within the clip (its edges rounded as the painter's
// clip has them); false when the clip has too many rectangles for writing straight into the
// image.
bool TCanvas::UpdateDirectRects(double ratio)
{
    Impl& d = *FImpl;
    if (d.directRectsValid && d.directRatio == ratio)
        return true;
    // Regions of many rectangles (round or polygonal clips) take the plain path.
    constexpr int MaxClipRects = 64;
    if (d.clip && d.clip->rectCount() > MaxClipRects)
        return false;
    d.directRects.clear();
    const QRect all = d.image->rect();
    if (!d.clip) {
        d.directRects.push_back(all);
    } else {
        for (const QRect& r : *d.clip) {
            const QRect visible = DeviceRectOf(r, ratio) & all;
            if (!visible.isEmpty())
                d.directRects.push_back(visible);
        }
    }
    d.directRectsValid = true;
    d.directRatio = ratio;
    return true;
}

// One segment from a towards b after BeginDirectLines.
void TCanvas::DirectSegment(const TPoint& a, const TPoint& b)
{
    Impl& d = *FImpl;
    if (d.spans == nullptr) {
        for (const QRect& r : d.directRects)
            DrawSolidLine(d.bits, d.stride, r.translated(FWindowOrg.X, FWindowOrg.Y), FWindowOrg,
                          a.X, a.Y, b.X, b.Y, FPen.Mode(), d.penRgb);
        return;
    }
    const int64_t dx = int64_t{b.X} - a.X;
    const int64_t dy = int64_t{b.Y} - a.Y;
    const int64_t sx = int64_t{a.X} - FWindowOrg.X;
    const int64_t sy = int64_t{a.Y} - FWindowOrg.Y;
    if (std::abs(dx) <= MaxSpanExtent && std::abs(dy) <= MaxSpanExtent &&
        std::abs(sx) <= MaxSpanStart && std::abs(sy) <= MaxSpanStart) {
        // Nothing to do when the segment with its ends lies wholly outside the visible part
        // (device pixels: the rectangles are).
        const int64_t p = d.directP;
        const int64_t q = d.directQ;
        const int64_t reach = (FPen.Width() + 4) * p / q;
        bool near = false;
        for (const QRect& r : d.directRects)
            near = near || (std::min(sx, sx + dx) * p / q - reach <= r.right() &&
                            std::max(sx, sx + dx) * p / q + reach >= r.left() &&
                            std::min(sy, sy + dy) * p / q - reach <= r.bottom() &&
                            std::max(sy, sy + dy) * p / q + reach >= r.top());
        if (!near)
            return;
        const int ex = static_cast<int>(dx);
        const int ey = static_cast<int>(dy);
        // The runs are kept relative to the device pixel where the start's period begins.
        const int phaseX = static_cast<int>(((sx % q) + q) % q);
        const int phaseY = static_cast<int>(((sy % q) + q) % q);
        const int phase = phaseX * static_cast<int>(q) + phaseY;
        const TSegmentSpanCache::Entry* e = nullptr;
        if ((std::abs(dx) + 1) * (std::abs(dy) + 1) <= MaxSpanArea && d.spans->MarkSeen(ex, ey)) {
            e = d.spans->Find(ex, ey, phase);
            if (e == nullptr && !d.spans->Full() && NewSegmentSpans(ex, ey, phaseX, phaseY))
                e = d.spans->Find(ex, ey, phase);
        }
        if (e != nullptr) {
            FillSpans(d.bits, d.stride, d.spans->Spans(*e), e->count,
                      static_cast<int>((sx - phaseX) / q * p),
                      static_cast<int>((sy - phaseY) / q * p), d.directRects, d.penRgb);
            return;
        }
    }
    QPainterPath centre;
    centre.moveTo(Centre(a.X, a.Y));
    centre.lineTo(Centre(b.X, b.Y));
    FillArea(PenStroke(centre), FPen.Color(), FPen.Mode());
}

// Finds the pixel runs of a wide segment of extent (dx, dy) by filling its stroke, exactly as
// the plain path does, on a scratch image, and keeps them. False when they cannot be kept.
bool TCanvas::NewSegmentSpans(int dx, int dy, int phaseX, int phaseY)
{
    Impl& d = *FImpl;
    // Logical sizes; the scratch image has the device's ratio, so that the painter rasterises
    // the stroke as on the device, and its runs are kept in device pixels from the device pixel
    // where the start's period begins (a whole number of periods from the scratch's corner).
    const int p = d.directP;
    const int q = d.directQ;
    const double ratio = static_cast<double>(p) / q;
    const int pad = std::max(FPen.Width(), 1) + 3;
    const auto periodStart = [q](int v) { return (v + q - 1) / q * q; };
    const int baseX = periodStart(pad + std::max(0, -dx));
    const int baseY = periodStart(pad + std::max(0, -dy));
    const int logicalSx = baseX + phaseX;
    const int logicalSy = baseY + phaseY;
    const int w = static_cast<int>(std::ceil((logicalSx + std::max(0, dx) + pad + 1) * ratio));
    const int h = static_cast<int>(std::ceil((logicalSy + std::max(0, dy) + pad + 1) * ratio));
    const int sx = baseX / q * p;
    const int sy = baseY / q * p;
    QImage& scratch = d.scratch;
    if (scratch.width() < w || scratch.height() < h)
        scratch = QImage(std::max(w, scratch.width()), std::max(h, scratch.height()),
                         QImage::Format_RGB32);
    scratch.setDevicePixelRatio(ratio);
    for (int y = 0; y < h; ++y)
        std::fill_n(reinterpret_cast<QRgb*>(scratch.scanLine(y)), w, 0xFF000000u);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPainterPath centre;
        centre.moveTo(Centre(logicalSx, logicalSy));
        centre.lineTo(Centre(logicalSx + dx, logicalSy + dy));
        painter.fillPath(StrokeOf(FPen, centre, QRectF(0, 0, w, h), ratio), QColor(Qt::white));
    }
    std::vector<TSpan> spans;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < w;) {
            if ((line[x] & 0xFFFFFFu) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < w && (line[x] & 0xFFFFFFu) != 0)
                ++x;
            // A run touching the border may have been cut: such a pen shape is not kept.
            if (y == 0 || y == h - 1 || start == 0 || x == w)
                return false;
            spans.push_back({y - sy, start - sx, x - sx});
        }
    }
    return d.spans->Store(dx, dy, spans, phaseX * q + phaseY);
}

void TCanvas::LineToEach(const TPoint* points, int count)
{
    if (points == nullptr || count < 1)
        return;
    if (FPen.Style() == psClear || FPen.Mode() == pmNop || !BeginDirectLines()) {
        for (int i = 0; i < count; ++i)
            LineTo(points[i].X, points[i].Y);
        return;
    }
    TPoint from = FPenPos;
    for (int i = 0; i < count; ++i) {
        DirectSegment(from, points[i]);
        from = points[i];
    }
    FPenPos = from;
}

void TCanvas::LineToEach(const std::vector<TPoint>& points)
{
    LineToEach(points.data(), static_cast<int>(points.size()));
}

void TCanvas::FlushPixels()
{
    TPixelWriter& w = FImpl->writer;
    if (w.Empty())
        return;
    const QImage* image = FImpl->image;
    const double ratio = Ratio();
    if (ratio != 1.0) {
        // Pixels in copy, black or white mode go straight into a 32-bit image as the blocks
        // the painter would fill.
        if (FImpl->fastPaths && image != nullptr && ratio >= 1 && ratio <= MaxDirectScale &&
            IsDirectFormat(*image) && w.WritesBlocksDirectly() && UpdateDirectRects(ratio) &&
            OpenPainter() != nullptr) {
            w.WriteBlocksTo(*FImpl->image, ratio, FWindowOrg, FImpl->directRects);
        } else if (QPainter* p = DevicePainter()) {
            w.PaintBlocks(*p, ratio, FWindowOrg);
        }
        w.Clear();
        return;
    }
    const bool direct =
        image != nullptr &&
        (image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32 ||
         image->format() == QImage::Format_ARGB32_Premultiplied);
    if (direct) {
        // Straight into a 32-bit image: same pixels as the painter would set, much faster.
        // Images of other pixel formats go through the painter.
        QPainter* p = OpenPainter(); // keeps the painter and the image in step (one buffer)
        if (p == nullptr) {
            w.Clear();
            return;
        }
        w.WriteTo(*FImpl->image, FWindowOrg, FImpl->clip ? &*FImpl->clip : nullptr);
    } else if (QPainter* p = Painter()) {
        w.PaintWith(*p);
    }
    w.Clear();
}

// The area of the current wide pen along a centre line (pixel-centre coordinates).
QPainterPath TCanvas::PenStroke(const QPainterPath& centre) const
{
    return StrokeOf(FPen, centre, LogicalDeviceRect(), Ratio());
}

// Fills a path (pixel-centre coordinates) with a plain colour under a raster mode.
void TCanvas::FillArea(const QPainterPath& area, TColor color, TPenMode mode)
{
    QPainter* p = Painter();
    QColor c;
    if (PrepareFill(p, color, mode, c))
        p->fillPath(area, c);
}

// ---- Shapes -------------------------------------------------------------------------------

void TCanvas::FillWithBrush(const QPainterPath& area, TPenMode mode)
{
    if (FBrush.Style() == bsClear && FBrush.Bitmap() == nullptr)
        return;
    // The pattern's pixels first: reading them may end painting on this very bitmap.
    const QImage pattern = FBrush.Bitmap() != nullptr ? FBrush.Bitmap()->Image() : QImage();
    QPainter* p = Painter();
    QColor c;
    if (!PrepareFill(p, FBrush.Color(), mode, c))
        return;
    if (!pattern.isNull() && !pattern.size().isEmpty()) {
        p->fillPath(area, QBrush(pattern));
        return;
    }
    if (FBrush.Style() != bsSolid) {
        // Hatches: the gaps take the background colour when it is opaque.
        if (FBackgroundMode == OPAQUE)
            p->fillPath(area, ColorToQColor(FBackColor));
        p->fillPath(area, QBrush(c, HatchStyle(FBrush.Style())));
        return;
    }
    p->fillPath(area, c);
}

void TCanvas::FillRectWithBrush(int x, int y, int width, int height, TPenMode mode)
{
    const double ratio = Ratio();
    if (ratio != 1.0 && FBrush.Style() == bsSolid && FBrush.Bitmap() == nullptr &&
        WithinFillLimit(x) && WithinFillLimit(y) && WithinFillLimit(int64_t{x} + width) &&
        WithinFillLimit(int64_t{y} + height)) {
        // Whole logical pixels become whole device pixels, edges rounded, so that neighbouring
        // fills meet without gap or overlap at any ratio.
        const QRect device =
            DeviceRectOf(QRect(x - FWindowOrg.X, y - FWindowOrg.Y, width, height), ratio);
        QPainter* p = DevicePainter();
        QColor c;
        if (PrepareFill(p, FBrush.Color(), mode, c))
            p->fillRect(device, c);
        return;
    }
    if (FBrush.Style() == bsSolid && FBrush.Bitmap() == nullptr && FImpl->fastPaths &&
        WithinFillLimit(x) && WithinFillLimit(y) && WithinFillLimit(int64_t{x} + width) &&
        WithinFillLimit(int64_t{y} + height)) {
        // Whole pixels in one colour: the painter's rectangle fill sets the pixels its area fill
        // sets, without building and scanning an area (a point marker is such a rectangle).
        QPainter* p = Painter();
        QColor c;
        if (PrepareFill(p, FBrush.Color(), mode, c))
            p->fillRect(QRect(x, y, width, height), c);
        return;
    }
    QPainterPath area;
    area.addRect(ratio != 1.0 ? DeviceAlignedRect(x, y, width, height)
                              : QRectF(x, y, width, height));
    FillWithBrush(area, mode);
}

// The logical rectangle whose edges lie on the device pixel edges that a fill of the rectangle
// (x, y, width, height) rounds to: patterned fills cover the same device pixels as solid ones.
QRectF TCanvas::DeviceAlignedRect(int x, int y, int width, int height) const
{
    const double ratio = Ratio();
    const QRect d = DeviceRectOf(QRect(x - FWindowOrg.X, y - FWindowOrg.Y, width, height), ratio);
    return QRectF(d.x() / ratio + FWindowOrg.X, d.y() / ratio + FWindowOrg.Y, d.width() / ratio,
                  d.height() / ratio);
}

void TCanvas::Polygon(const TPoint* points, int count)
{
    if (points == nullptr || count < 2)
        return;
    QPolygonF polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i)
        polygon << Centre(points[i].X, points[i].Y);
    if (FRecording) {
        FImpl->path.addPolygon(polygon);
        FImpl->path.closeSubpath();
        return;
    }
    QPainterPath area;
    area.addPolygon(polygon);
    area.closeSubpath();
    area.setFillRule(Qt::OddEvenFill);
    FillWithBrush(area, FPen.Mode());
    DrawLines(points, count, true);
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    Polygon(points.data(), static_cast<int>(points.size()));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Normalize(x1, y1, x2, y2);
    if (FRecording) {
        FImpl->path.addRect(QRectF(Centre(x1, y1), Centre(x2 - 1, y2 - 1)));
        return;
    }
    const bool outline = FPen.Style() != psClear;
    if (!outline) {
        // Without an outline the classic rectangle is one pixel smaller.
        if (x2 - x1 > 1 && y2 - y1 > 1)
            FillRectWithBrush(x1, y1, x2 - x1 - 1, y2 - y1 - 1, FPen.Mode());
        return;
    }
    if (x2 - x1 > 2 && y2 - y1 > 2 && IsThinPen(FPen)) {
        if (DirectRectangle(x1, y1, x2, y2))
            return;
        FillRectWithBrush(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2, FPen.Mode());
    } else if (!IsThinPen(FPen) && x2 - x1 > 1 && y2 - y1 > 1) {
        FillRectWithBrush(x1, y1, x2 - x1, y2 - y1, FPen.Mode());
    }
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    int l = x1, t = y1, r = x2 - 1, b = y2 - 1;
    if (FPen.Style() == psInsideFrame && FPen.Width() > 1) {
        const int half = FPen.Width() / 2;
        l += half;
        t += half;
        r -= (FPen.Width() - 1) / 2;
        b -= (FPen.Width() - 1) / 2;
    }
    if (r == l || b == t) {
        // A rectangle one pixel wide or high is a single line, both ends drawn.
        const TPoint line[2] = {{l, t}, {r + (b == t ? 1 : 0), b + (b == t ? 0 : 1)}};
        DrawLines(line, 2, false);
        return;
    }
    const TPoint corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
    DrawLines(corners, 4, true);
}

// A rectangle at least three pixels wide and high with a one-pixel solid outline and a solid
// fill in copy mode, written straight into the image: the device rectangle the painter's fill
// sets, then each side as the run of device pixels its pixels' blocks cover (each side leaves its
// end pixel to the next, as the line walker does), within the visible rectangles. A point marker
// is such a rectangle, and thousands are drawn in one paint. False when it must take the plain
// path.
bool TCanvas::DirectRectangle(int x1, int y1, int x2, int y2)
{
    Impl& d = *FImpl;
    if (!DirectImage() || FPen.Mode() != pmCopy || FPen.Kind() == pkAlternate ||
        (FPen.Style() != psSolid && FPen.Style() != psInsideFrame) || FBrush.Style() != bsSolid ||
        FBrush.Bitmap() != nullptr || !WithinFillLimit(x1) || !WithinFillLimit(x2) ||
        !WithinFillLimit(y1) || !WithinFillLimit(y2) || !WithinFillLimit(FWindowOrg.X) ||
        !WithinFillLimit(FWindowOrg.Y))
        return false;
    const double ratio = d.image->devicePixelRatio();
    if (ratio < 1 || ratio > MaxDirectScale || !UpdateDirectRects(ratio) ||
        OpenPainter() == nullptr)
        return false;
    ResolvePenRgb();
    uchar* bits = d.image->bits();
    const qsizetype stride = d.image->bytesPerLine();
    const QRgb pen = 0xFF000000u | d.penRgb;
    const QRgb brush = ToRgb(FBrush.Color());
    // The outline's logical pixels, inclusive, from the origin.
    const int64_t l = int64_t{x1} - FWindowOrg.X;
    const int64_t t = int64_t{y1} - FWindowOrg.Y;
    const int64_t r = int64_t{x2} - 1 - FWindowOrg.X;
    const int64_t b = int64_t{y2} - 1 - FWindowOrg.Y;
    if (ratio == 1.0 && d.directRects.size() == 1 && l >= d.directRects[0].left() &&
        r <= d.directRects[0].right() && t >= d.directRects[0].top() &&
        b <= d.directRects[0].bottom()) {
        // Wholly visible at one device pixel per pixel (a point marker, nearly always): row by
        // row, the same pixels as the sides and the fill below.
        const auto row = [&](int64_t y) { return reinterpret_cast<QRgb*>(bits + y * stride); };
        std::fill(row(t) + l, row(t) + r + 1, pen);
        for (int64_t y = t + 1; y < b; ++y) {
            QRgb* line = row(y);
            line[l] = pen;
            std::fill(line + l + 1, line + r, brush);
            line[r] = pen;
        }
        std::fill(row(b) + l, row(b) + r + 1, pen);
        return true;
    }
    const auto device = [ratio](int64_t v) {
        return ratio == 1.0 ? v : int64_t{DevicePosition(v, ratio)};
    };
    const auto runEnd = [ratio](int64_t last) {
        return ratio == 1.0 ? last + 1 : int64_t{DeviceRunEnd(last, ratio)};
    };
    const int64_t w = TPixelWriter::BlockSize(ratio);
    struct TArea
    {
        int64_t Left, Top, Right, Bottom; // device pixels, right and bottom exclusive
        QRgb Value;
    };
    const TArea areas[] = {
        {device(l + 1), device(t + 1), device(r), device(b), brush},
        // Top: l..r-1 on row t; right: t..b-1 on column r; bottom: r..l+1; left: b..t+1.
        {device(l), device(t), runEnd(r - 1), device(t) + w, pen},
        {device(r), device(t), device(r) + w, runEnd(b - 1), pen},
        {device(l + 1), device(b), runEnd(r), device(b) + w, pen},
        {device(l), device(t + 1), device(l) + w, runEnd(b), pen},
    };
    for (const QRect& visible : d.directRects) {
        for (const TArea& area : areas) {
            const int64_t left = std::max<int64_t>(area.Left, visible.left());
            const int64_t right = std::min<int64_t>(area.Right, int64_t{visible.right()} + 1);
            const int64_t top = std::max<int64_t>(area.Top, visible.top());
            const int64_t bottom = std::min<int64_t>(area.Bottom, int64_t{visible.bottom()} + 1);
            for (int64_t row = top; row < bottom && left < right; ++row) {
                auto* line = reinterpret_cast<QRgb*>(bits + row * stride);
                std::fill(line + left, line + right, area.Value);
            }
        }
    }
    return true;
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight)
{
    Normalize(x1, y1, x2, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    const QRectF box(Centre(x1, y1), Centre(x2 - 1, y2 - 1));
    const qreal rx = std::clamp(cornerWidth, 0, x2 - x1) / 2.0;
    const qreal ry = std::clamp(cornerHeight, 0, y2 - y1) / 2.0;
    QPainterPath shape;
    shape.addRoundedRect(box, rx, ry);
    if (FRecording) {
        FImpl->path.addPath(shape);
        return;
    }
    DrawShape(shape);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    Normalize(x1, y1, x2, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    QPainterPath shape;
    shape.addEllipse(QRectF(Centre(x1, y1), Centre(x2 - 1, y2 - 1)));
    if (FRecording) {
        FImpl->path.addPath(shape);
        return;
    }
    DrawShape(shape);
}

// Fills a closed curved shape with the brush and outlines it with the pen.
void TCanvas::DrawShape(const QPainterPath& shape)
{
    FillWithBrush(shape, FPen.Mode());
    if (FPen.Style() == psClear || FPen.Mode() == pmNop)
        return;
    if (IsThinPen(FPen)) {
        // One-pixel outline: walk the flattened curve with the pixel writer.
        TPixelWriter& w = FImpl->writer;
        w.Begin(FPen, FBackColor, FBackgroundMode == OPAQUE, LogicalDeviceRect(), Ratio(),
                FWindowOrg);
        WalkOutline(w, shape);
        FlushPixels();
        return;
    }
    FillArea(PenStroke(shape), FPen.Color(), FPen.Mode());
}

void TCanvas::FillRect(const TRect& r)
{
    if (IsRectEmpty(r))
        return;
    // FillRect copies the brush whatever the pen's mode.
    FillRectWithBrush(r.Left, r.Top, r.Width(), r.Height(), pmCopy);
}

void TCanvas::FrameRect(const TRect& r)
{
    if (IsRectEmpty(r) || (FBrush.Style() == bsClear && FBrush.Bitmap() == nullptr))
        return;
    QPainterPath frame;
    const double ratio = Ratio();
    if (ratio != 1.0 && std::max(std::abs(r.Left), std::abs(r.Right)) < (1 << 28) &&
        std::max(std::abs(r.Top), std::abs(r.Bottom)) < (1 << 28)) {
        // Sides as wide as a one-pixel line at the ratio: round(ratio) device pixels.
        const QRectF outer = DeviceAlignedRect(r.Left, r.Top, r.Width(), r.Height());
        const double side = std::max(1L, std::lround(ratio)) / ratio;
        frame.addRect(outer);
        if (outer.width() > 2 * side && outer.height() > 2 * side)
            frame.addRect(outer.adjusted(side, side, -side, -side));
    } else {
        frame.addRect(QRectF(r.Left, r.Top, r.Width(), r.Height()));
        if (r.Width() > 2 && r.Height() > 2)
            frame.addRect(QRectF(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2));
    }
    frame.setFillRule(Qt::OddEvenFill);
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    p->fillPath(frame, ColorToQColor(FBrush.Color()));
}

// ---- Pixels -------------------------------------------------------------------------------

TColor TCanvas::Pixel(int x, int y) const
{
    const QImage* image = FImpl->image;
    if (image == nullptr || image->isNull())
        return clNone;
    TPoint d = LPtoDP({x, y});
    const double ratio = image->devicePixelRatio();
    if (ratio != 1.0)
        d = {DevicePosition(d.X, ratio), DevicePosition(d.Y, ratio)};
    if (d.X < 0 || d.Y < 0 || d.X >= image->width() || d.Y >= image->height())
        return clNone;
    return QColorToColor(QColor(image->pixel(d.X, d.Y)));
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    TPixelWriter& w = FImpl->writer;
    TPen pen;
    pen.SetColor(color);
    w.Begin(pen, FBackColor, false, LogicalDeviceRect());
    w.Plot(x, y, true);
    FlushPixels();
}

// ---- Text -------------------------------------------------------------------------------------

QFont TCanvas::DrawingFont() const
{
    QFont font = FFont.ToQFont();
    if (FCharExtra != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, FCharExtra);
    return font;
}

TSize TCanvas::TextExtent(const QString& text) const
{
    const QFontMetrics metrics(DrawingFont());
    return {metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent()};
}

int TCanvas::TextWidth(const QString& text) const
{
    return TextExtent(text).cx;
}

int TCanvas::TextHeight(const QString& text) const
{
    return TextExtent(text).cy;
}

void TCanvas::DrawTextAt(int left, int top, const QString& text, const QRect* clip, bool mnemonic,
                         const QTransform* turn)
{
    const QFont font = DrawingFont();
    const QFontMetrics metrics(font);
    const QString shown = mnemonic ? StripMnemonic(text) : text;
    const int width = metrics.horizontalAdvance(shown);
    const int height = metrics.ascent() + metrics.descent();
    if (FRecording) {
        QPainterPath glyphs;
        glyphs.addText(QPointF(left, top + metrics.ascent()), font, shown);
        FImpl->path.addPath(turn != nullptr ? turn->map(glyphs) : glyphs);
        return;
    }
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    if (clip != nullptr)
        p->setClipRect(*clip, Qt::IntersectClip);
    // Painter() sets the whole transform again at its next call, so this turn ends with the text.
    if (turn != nullptr)
        p->setTransform(*turn, true);
    if (FBackgroundMode == OPAQUE)
        p->fillRect(QRect(left, top, width, height), ColorToQColor(FBackColor));
    p->setFont(font);
    p->setPen(ColorToQColor(FFont.Color()));
    if (mnemonic)
        p->drawText(QRect(left, top, width + 1, height), Qt::TextShowMnemonic | Qt::AlignLeft,
                    text);
    else
        p->drawText(QPoint(left, top + metrics.ascent()), text);
    if (clip != nullptr)
        FImpl->InvalidateClip();
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    x = ClampCoordinate(x);
    y = ClampCoordinate(y);
    const QFontMetrics metrics(DrawingFont());
    const int width = metrics.horizontalAdvance(text);
    int left = x;
    if ((FTextAlign & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if ((FTextAlign & TA_CENTER) == TA_RIGHT)
        left = x - width;
    int top = y;
    if ((FTextAlign & TA_BASELINE) == TA_BASELINE)
        top = y - metrics.ascent();
    else if ((FTextAlign & TA_BASELINE) == TA_BOTTOM)
        top = y - metrics.ascent() - metrics.descent();
    DrawTextAt(left, top, text, nullptr, false);
    FPenPos = {Saturate(int64_t{x} + width), y};
}

void TCanvas::TextOutTurned(int x, int y, int angle, const QString& text)
{
    x = ClampCoordinate(x);
    y = ClampCoordinate(y);
    const QFontMetrics metrics(DrawingFont());
    const int width = metrics.horizontalAdvance(text);
    // The text is laid out about the origin as TextOut lays it out about (x, y), then turned.
    int left = 0;
    if ((FTextAlign & TA_CENTER) == TA_CENTER)
        left = -(width / 2);
    else if ((FTextAlign & TA_CENTER) == TA_RIGHT)
        left = -width;
    int top = 0;
    if ((FTextAlign & TA_BASELINE) == TA_BASELINE)
        top = -metrics.ascent();
    else if ((FTextAlign & TA_BASELINE) == TA_BOTTOM)
        top = -metrics.ascent() - metrics.descent();
    QTransform turn;
    turn.translate(x, y);
    // Counterclockwise on the screen, whose y axis points down.
    turn.rotate(-static_cast<double>(angle % 360));
    DrawTextAt(left, top, text, nullptr, false, &turn);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    const QRect clip = ToQRect(r);
    if (FBackgroundMode == OPAQUE && !IsRectEmpty(r)) {
        if (QPainter* p = Painter())
            p->fillRect(clip, ColorToQColor(FBackColor));
    }
    const int mode = FBackgroundMode;
    FBackgroundMode = TRANSPARENT;
    DrawTextAt(x, y, text, &clip, false);
    FBackgroundMode = mode;
}

QString TCanvas::StripMnemonic(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out += text[i];
    }
    return out;
}

int TCanvas::DrawText(const QString& text, TRect& r, unsigned format)
{
    r = ClampRect(r);
    const bool mnemonic = (format & DT_NOPREFIX) == 0;
    const QFont font = DrawingFont();
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.ascent() + metrics.descent();
    if ((format & DT_SINGLELINE) != 0 || (format & DT_WORDBREAK) == 0) {
        const QString shown = mnemonic ? StripMnemonic(text) : text;
        QStringList lines = (format & DT_SINGLELINE) != 0
                                ? QStringList{QString(shown).replace(u'\n', u' ')}
                                : shown.split(u'\n');
        int width = 0;
        for (const QString& line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
        const int height = text.isEmpty() ? 0 : lineHeight * static_cast<int>(lines.size());
        if ((format & DT_CALCRECT) != 0) {
            r.Right = r.Left + width;
            r.Bottom = r.Top + height;
            return height;
        }
        int top = r.Top;
        if ((format & DT_SINGLELINE) != 0) {
            if ((format & DT_VCENTER) != 0)
                top = r.Top + (r.Height() - height) / 2;
            else if ((format & DT_BOTTOM) != 0)
                top = r.Bottom - height;
        }
        const QRect clip = ToQRect(r);
        const QStringList raw =
            (format & DT_SINGLELINE) != 0 ? QStringList{text} : text.split(u'\n');
        for (qsizetype i = 0; i < raw.size(); ++i) {
            const int w = metrics.horizontalAdvance(mnemonic ? StripMnemonic(raw[i]) : raw[i]);
            int left = r.Left;
            if ((format & DT_CENTER) != 0)
                left = r.Left + (r.Width() - w) / 2;
            else if ((format & DT_RIGHT) != 0)
                left = r.Right - w;
            DrawTextAt(left, top + static_cast<int>(i) * lineHeight, raw[i],
                       (format & DT_NOCLIP) != 0 ? nullptr : &clip, mnemonic);
        }
        return height;
    }
    // Word wrapping: Qt lays the lines out within the rectangle's width.
    int flags = Qt::TextWordWrap;
    if (mnemonic)
        flags |= Qt::TextShowMnemonic;
    if ((format & DT_CENTER) != 0)
        flags |= Qt::AlignHCenter;
    else if ((format & DT_RIGHT) != 0)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    const QRect bounds =
        metrics.boundingRect(QRect(r.Left, r.Top, std::max(r.Width(), 1), 1 << 20), flags, text);
    if ((format & DT_CALCRECT) != 0) {
        r.Right = r.Left + bounds.width();
        r.Bottom = r.Top + bounds.height();
        return bounds.height();
    }
    if (FRecording)
        return bounds.height();
    if (QPainter* p = Painter()) {
        if (FBackgroundMode == OPAQUE)
            p->fillRect(bounds, ColorToQColor(FBackColor));
        p->setFont(font);
        p->setPen(ColorToQColor(FFont.Color()));
        if ((format & DT_NOCLIP) == 0)
            flags &= ~Qt::TextDontClip;
        else
            flags |= Qt::TextDontClip;
        p->drawText(ToQRect(r), flags, text);
    }
    return bounds.height();
}

// ---- Clipping -----------------------------------------------------------------------------

bool TCanvas::GetClipRegion(TRegion& out) const
{
    if (!FImpl->clip)
        return false;
    out = TRegion(*FImpl->clip);
    return true;
}

void TCanvas::SelectClipRegion(const TRegion* rgn)
{
    if (rgn == nullptr)
        FImpl->clip.reset();
    else
        FImpl->clip = rgn->ToQRegion();
    FImpl->InvalidateClip();
}

QRegion TCanvas::DeviceRegion() const
{
    if (FImpl->image != nullptr)
        return QRegion(QRect(QPoint(0, 0), LogicalSizeOf(*FImpl->image)));
    if (FDevice != nullptr)
        return QRegion(0, 0, FDevice->width(), FDevice->height());
    return QRegion();
}

QRect TCanvas::LogicalDeviceRect() const
{
    QRect device;
    if (FImpl->image != nullptr)
        device = QRect(QPoint(0, 0), LogicalSizeOf(*FImpl->image));
    else if (FDevice != nullptr)
        device = QRect(0, 0, FDevice->width(), FDevice->height());
    if (device.isEmpty())
        return QRect();
    return device.translated(FWindowOrg.X, FWindowOrg.Y);
}

void TCanvas::ExtSelectClipRegion(const TRegion& rgn, int mode)
{
    if (mode == RGN_COPY) {
        SelectClipRegion(&rgn);
        return;
    }
    TRegion current(FImpl->clip ? *FImpl->clip : DeviceRegion());
    current.Combine(rgn, mode);
    FImpl->clip = current.ToQRegion();
    FImpl->InvalidateClip();
}

void TCanvas::IntersectClipRect(const TRect& r)
{
    const TRect c = ClampRect(r);
    const TRect d{c.Left - FWindowOrg.X, c.Top - FWindowOrg.Y, c.Right - FWindowOrg.X,
                  c.Bottom - FWindowOrg.Y};
    ExtSelectClipRegion(TRegion::FromRect(d), RGN_AND);
}

void TCanvas::SaveClip()
{
    FImpl->hasSavedClip = FImpl->clip.has_value();
    FImpl->savedClip = FImpl->clip;
}

void TCanvas::RestoreClip()
{
    if (FImpl->hasSavedClip)
        FImpl->clip = FImpl->savedClip;
    else
        FImpl->clip.reset();
    FImpl->hasSavedClip = false;
    FImpl->savedClip.reset();
    FImpl->InvalidateClip();
}

TRect TCanvas::ClipRect() const
{
    QRegion visible = DeviceRegion();
    if (FImpl->clip)
        visible &= *FImpl->clip;
    TRect r = TRegion(visible).BoundingRect();
    if (!IsRectEmpty(r))
        OffsetRect(r, FWindowOrg.X, FWindowOrg.Y);
    return r;
}

// ---- Paths ----------------------------------------------------------------------------------

void TCanvas::BeginPath()
{
    FImpl->path = QPainterPath();
    FImpl->path.setFillRule(Qt::OddEvenFill);
    FImpl->pathReady = false;
    FRecording = true;
}

void TCanvas::EndPath()
{
    if (!FRecording)
        return;
    FRecording = false;
    FImpl->pathReady = true;
}

void TCanvas::AbortPath()
{
    FRecording = false;
    FImpl->pathReady = false;
    FImpl->path = QPainterPath();
}

void TCanvas::WidenPath()
{
    if (!FImpl->pathReady)
        return;
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(FPen.Width(), 1));
    stroker.setCapStyle(CapOf(FPen));
    stroker.setJoinStyle(JoinOf(FPen));
    FImpl->path = stroker.createStroke(FImpl->path); // winding fill covers the overlaps
}

void TCanvas::StrokeRecorded()
{
    if (FPen.Style() == psClear || FPen.Mode() == pmNop)
        return;
    if (IsThinPen(FPen)) {
        TPixelWriter& w = FImpl->writer;
        w.Begin(FPen, FBackColor, FBackgroundMode == OPAQUE, LogicalDeviceRect(), Ratio(),
                FWindowOrg);
        WalkOutline(w, FImpl->path);
        FlushPixels();
        return;
    }
    FillArea(PenStroke(FImpl->path), FPen.Color(), FPen.Mode());
}

void TCanvas::StrokePath()
{
    if (!FImpl->pathReady)
        return;
    StrokeRecorded();
    FImpl->pathReady = false;
}

void TCanvas::FillPath()
{
    if (!FImpl->pathReady)
        return;
    FillWithBrush(FImpl->path, FPen.Mode());
    FImpl->pathReady = false;
}

void TCanvas::StrokeAndFillPath()
{
    if (!FImpl->pathReady)
        return;
    FillWithBrush(FImpl->path, FPen.Mode());
    StrokeRecorded();
    FImpl->pathReady = false;
}

void TCanvas::SelectClipPath(int mode)
{
    if (!FImpl->pathReady)
        return;
    QPainterPath device = FImpl->path.translated(-FWindowOrg.X, -FWindowOrg.Y);
    ExtSelectClipRegion(TRegion(RasterizeRegion(device)), mode);
    FImpl->pathReady = false;
}

// ---- Block copies ---------------------------------------------------------------------------

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect)
{
    const QImage* sourceImage = source.FImpl->image;
    if (sourceImage == nullptr || sourceImage->isNull())
        return;
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    const QRect from = ToQRect(srcRect).normalized();
    const QRect to = ToQRect(dest).normalized();
    if (from.isEmpty() || to.isEmpty())
        return;
    // Only the part of the source that exists is copied, from a snapshot (the source may be
    // this very image), to where it lands in the scaled destination.
    const QRect visible = from & QRect(QPoint(0, 0), LogicalSizeOf(*sourceImage));
    if (visible.isEmpty())
        return;
    const double sourceRatio = sourceImage->devicePixelRatio();
    // From another image the part is drawn straight from it; from this very image, from a copy.
    QImage snapshot;
    const QImage* image = sourceImage;
    QRect part = DeviceRectOf(visible, sourceRatio);
    if (sourceImage == FImpl->image) {
        snapshot = sourceImage->copy(part);
        image = &snapshot;
        part.moveTo(0, 0);
    }
    if (to.size() == from.size() && sourceRatio == 1.0) {
        p->drawImage(to.topLeft() + (visible.topLeft() - from.topLeft()), *image, part);
        return;
    }
    const double sx = static_cast<double>(to.width()) / from.width();
    const double sy = static_cast<double>(to.height()) / from.height();
    p->drawImage(QRectF(to.x() + (visible.x() - from.x()) * sx,
                        to.y() + (visible.y() - from.y()) * sy, visible.width() * sx,
                        visible.height() * sy),
                 *image, QRectF(part));
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap)
{
    if (bitmap.Empty())
        return;
    x = ClampCoordinate(x);
    y = ClampCoordinate(y);
    StretchDraw(Rect(x, y, x + bitmap.Width(), y + bitmap.Height()), bitmap);
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& bitmap)
{
    if (bitmap.Empty() || IsRectEmpty(dest))
        return;
    // Taken before the painter: reading a bitmap's pixels ends painting on it.
    const QImage image = bitmap.Transparent()
                             ? MaskColor(bitmap.Image(), bitmap.TransparentColor(), nullptr)
                             : bitmap.Image();
    if (QPainter* p = Painter())
        p->drawImage(ToQRect(dest), image);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                        TColor transparentColor)
{
    if (bitmap.Empty() || IsRectEmpty(dest))
        return;
    const QImage& source = bitmap.Image(); // before the painter, as in StretchDraw
    const QRect from = ToQRect(srcRect).normalized() & QRect(QPoint(0, 0), LogicalSizeOf(source));
    if (from.isEmpty())
        return;
    const bool clear = FBrush.Style() == bsClear && FBrush.Bitmap() == nullptr;
    const QColor fill = ColorToQColor(FBrush.Color());
    const QImage masked = MaskColor(source.copy(DeviceRectOf(from, source.devicePixelRatio())),
                                    transparentColor, clear ? nullptr : &fill);
    if (QPainter* p = Painter())
        p->drawImage(ToQRect(dest), masked);
}

QImage TCanvas::MaskColor(const QImage& image, TColor color, const QColor* replacement)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorToQColor(color).rgb() & 0xFFFFFFu;
    const QRgb with = replacement != nullptr ? replacement->rgb() | 0xFF000000u : 0u;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFFu) == key)
                line[x] = with;
    }
    return out;
}

void BitBlt(TCanvas& dst, int x, int y, int w, int h, const TCanvas& src, int sx, int sy)
{
    if (w <= 0 || h <= 0)
        return;
    x = ClampCoordinate(x);
    y = ClampCoordinate(y);
    sx = ClampCoordinate(sx);
    sy = ClampCoordinate(sy);
    w = std::min(w, CoordinateLimit);
    h = std::min(h, CoordinateLimit);
    dst.CopyRect(Rect(x, y, x + w, y + h), src, Rect(sx, sy, sx + w, sy + h));
}
