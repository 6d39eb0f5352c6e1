#pragma once
// Pixel-level helpers of the canvas: the one-pixel line writer (classic line rules, dash
// patterns, raster modes), the mapping of raster modes to Qt compositions, and exact
// rasterisation of shapes into clip regions.
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QRegion>

#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

// The Qt composition of a raster mode (pmCopy, pmBlack, pmWhite, pmNop: SourceOver).
QPainter::CompositionMode QtRasterMode(TPenMode mode);
// Result of a raster mode on 0xRRGGBB values.
uint32_t ApplyRop(TPenMode mode, uint32_t pen, uint32_t dest);

// The device pixel where logical coordinate v starts at a device pixel ratio: v x ratio rounded,
// clamped far outside any device. Lengths scale the same way.
inline int DevicePosition(int64_t v, double ratio)
{
    // Rounded half away from zero as llround does, without its call: the fraction left after
    // truncation is exact.
    constexpr double Limit = 1 << 30;
    const double x = static_cast<double>(v) * ratio;
    if (!(x > -Limit && x < Limit))
        return x > 0 ? (1 << 30) : -(1 << 30);
    auto whole = static_cast<int64_t>(x);
    const double fraction = x - static_cast<double>(whole);
    if (fraction >= 0.5)
        ++whole;
    else if (fraction <= -0.5)
        --whole;
    return static_cast<int>(whole);
}
// The device pixel just past the blocks of a run of logical pixels that ends at pixel last: a
// block is round(ratio) device pixels wide, and where that falls short of the next pixel's start
// (ratios whose fraction is below one half) the run reaches that start, leaving no gap.
int DeviceRunEnd(int64_t last, double ratio);
// A colour as the opaque pixel value written into 32-bit images (resolved like ColorToRGB).
QRgb ToRgb(TColor color);
// The logical length of a device length at the ratio: the inverse of DevicePosition for lengths
// at ratios of 1 and more.
int LogicalLength(int device, double ratio);
// The period of a device pixel ratio: the least q of 1, 2, 4 ... maxPeriod for which q logical
// pixels are a whole number of device pixels (drawing shifted by q logical pixels is the same
// drawing shifted by whole device pixels); 0 when there is none.
inline int RatioPeriod(double ratio, int maxPeriod)
{
    for (int q = 1; q <= maxPeriod; q *= 2) {
        if (ratio * q == std::floor(ratio * q))
            return q;
    }
    return 0;
}

// Device pixels whose centres lie inside the path (its fill rule applies).
QRegion RasterizeRegion(const QPainterPath& path);

// Collects the pixels of one-pixel lines, then writes them to an image or paints them.
class TPixelWriter
{
public:
    // Starts a figure with the pen's colour, mode and dash pattern; gaps take the background
    // colour when opaque. The dash position starts at the beginning of the pattern. Pixels
    // outside limit (the device in logical coordinates) are not collected. At a device pixel
    // ratio above 1 (origin: the logical point at the device's top left), solid slanted lines
    // and curves are traced at device resolution, round(ratio) device pixels wide; straight
    // lines along an axis, dashed lines and single pixels stay logical pixels (blocks).
    void Begin(const TPen& pen, TColor backColor, bool opaque, const QRect& limit,
               double ratio = 1.0, TPoint origin = {});
    // Line from (x0, y0) towards (x1, y1), the last pixel excluded; the dash position goes on.
    void Line(int x0, int y0, int x1, int y1);
    // Line between fractional pixel positions (a flattened curve): rounded to logical pixels,
    // or to device pixels where they are traced.
    void LineF(double x0, double y0, double x1, double y1);
    // One pixel: on in the pen colour, off in the background colour (when opaque).
    void Plot(int x, int y, bool on);

    bool Empty() const { return FOn.empty() && FOff.empty() && FDeviceRuns.empty(); }
    void Clear();

    // Writes the pixels into an image (logical coordinates minus origin), inside the clip.
    void WriteTo(QImage& image, TPoint origin, const QRegion* clip) const;
    // Paints the pixels with the painter (its transform maps logical coordinates).
    void PaintWith(QPainter& painter) const;
    // Whether WriteBlocksTo gives the pixels of PaintBlocks: copy, black and white modes, where
    // a device pixel painted twice keeps the last colour.
    bool WritesBlocksDirectly() const
    {
        return FMode == pmCopy || FMode == pmBlack || FMode == pmWhite;
    }
    // As PaintBlocks, written straight into a 32-bit image of that ratio, inside the rectangles
    // (device pixels).
    void WriteBlocksTo(QImage& image, double ratio, TPoint origin,
                       const std::vector<QRect>& rects) const;
    // Paints each pixel as the block of device pixels it becomes at the ratio: from
    // round((p - origin) x ratio), round(ratio) device pixels wide and high, so that every line
    // has one device width. The painter draws in device pixels.
    void PaintBlocks(QPainter& painter, double ratio, TPoint origin) const;
    // The device pixels across a pixel's block at the ratio: round(ratio), at least 1.
    static int BlockSize(double ratio);

private:
    // Pen and gap colours under the raster mode, the painter's composition set; false for pmNop.
    bool Colors(QPainter& painter, QColor& on, QColor& off) const;
    void Step(int x, int y);
    bool TracesDevice() const { return FRatio != 1.0 && FPatternLength == 0; }
    // Traces a line between device positions into device runs; false (nothing traced) when an
    // end lies too far out to trace.
    bool DeviceLine(double x0, double y0, double x1, double y1);
    // A solid line along an axis at a ratio above 1, as the run of device pixels its pixels'
    // blocks cover.
    void AxisLine(int x0, int y0, int x1, int y1);

    std::vector<QPoint> FOn;
    std::vector<QPoint> FOff;
    QRgb FOnColor = 0;
    QRgb FOffColor = 0;
    TPenMode FMode = pmCopy;
    bool FOpaque = false;
    std::array<bool, 24> FPattern{};
    int FPatternLength = 0; // 0: solid
    int FPosition = 0;
    QRect FLimit;
    double FRatio = 1.0;
    TPoint FOrigin{};
    QRect FDeviceLimit;
    int FDeviceWidth = 1;
    std::vector<QRect> FDeviceRuns; // device pixels of traced lines, in the pen colour
};

// ---- Direct writers into 32-bit images ---------------------------------------------------------

// Writes the solid one-pixel line from (x0, y0) towards (x1, y1) (the last pixel excluded, the
// same pixels as TPixelWriter::Line) straight into a 32-bit image with the raster mode: only
// the pixels inside box (logical coordinates) are written, at their position minus origin.
// The line is cut to the box once, so the walk itself checks nothing per pixel.
void DrawSolidLine(uchar* bits, qsizetype stride, const QRect& box, TPoint origin, int x0, int y0,
                   int x1, int y1, TPenMode mode, QRgb color);

// A horizontal run of pixels, relative to a reference point: row dy, columns from..to-1.
struct TSpan
{
    int dy;
    int from;
    int to;
};

// Copies color into the runs placed at (x, y) of a 32-bit image, inside any of the rectangles
// (image coordinates, disjoint).
void FillSpans(uchar* bits, qsizetype stride, const TSpan* spans, size_t count, int x, int y,
               const std::vector<QRect>& rects, QRgb color);

// The pixel runs of wide line segments by their extent (dx, dy), for one pen shape, relative
// to the start pixel. Bounded in size: when the budget is used up, Find keeps answering for the
// stored extents and Store refuses new ones.
class TSegmentSpanCache
{
public:
    struct Entry
    {
        uint32_t first;
        uint32_t count;
    };
    // The runs of an extent for a start phase (0..15; at a fractional device pixel ratio the
    // runs depend on where a segment starts within the ratio's period).
    const Entry* Find(int dx, int dy, int phase = 0) const;
    // Stores the runs of one extent and phase; false when the budget is used up.
    bool Store(int dx, int dy, const std::vector<TSpan>& spans, int phase = 0);
    const TSpan* Spans(const Entry& e) const { return FSpans.data() + e.first; }
    // Marks the extent (|dx|, |dy| <= MaxExtent) as met; true when it was met before. Runs are
    // kept only for extents met more than once, so lines that never repeat an extent cost
    // nothing extra.
    bool MarkSeen(int dx, int dy);
    bool Full() const { return FSpans.size() >= MaxSpans; }
    void Clear();

    static constexpr size_t MaxSpans = 1u << 19;
    static constexpr int MaxExtent = 1024;

private:
    static uint64_t Key(int dx, int dy, int phase)
    {
        return (static_cast<uint64_t>(static_cast<uint32_t>(phase)) << 56) ^
               (static_cast<uint64_t>(static_cast<uint32_t>(dx) & 0xFFFFFFu) << 28) ^
               (static_cast<uint32_t>(dy) & 0xFFFFFFu);
    }
    std::unordered_map<uint64_t, Entry> FIndex;
    std::vector<TSpan> FSpans;
    std::vector<uint64_t> FSeen; // one bit per extent, made on first use
};
