#pragma once
// The walk of a line series with pointers that leaves out the items (segments and pointers) whose
// pixels later items of the same walk all draw over again: they do not change the picture. The
// pixels of each item come from drawing it on a scratch bitmap of the canvas' device pixel ratio
// through the same canvas calls, so the picture stays exactly that of the plain walk
// (TCustomSeries::DrawOnePoint, point by point), and the canvas is left as that walk leaves it. The
// walk reads only the points it cannot pass over as whole runs, and keeps only the steps that draw.
// What it keeps between paints (traced segment shapes) belongs to the series that paints. Included
// by Series.cpp only.
#include "chart/AxisMapping.h"
#include "chart/Series.h"
#include "chart/ValueSummary.h"
#include "platform/Raster.h"

#include <QImage>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// One segment of a line series from (x0, y0) to (x1, y1): a straight line, or a step across
// then up (InvertedStairs: up then across). The series' walks and the pixel tracing draw
// through this one function.
void StrokeSegment(TChartCanvas& canvas, const TChartPen& pen, TColor color, bool stairs,
                   bool invertedStairs, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// The pixels one drawn item sets, relative to its anchor point, as runs down the columns:
// pixels (x + Dx, y + Y0) .. (x + Dx, y + Y1 - 1).
struct TColumnRun
{
    int32_t Dx;
    int32_t Y0;
    int32_t Y1;
};
struct TFootprint
{
    std::vector<TColumnRun> Runs;
    // The box around all runs (meaningful when there are runs).
    int32_t MinDx = 0;
    int32_t MaxDx = 0;
    int32_t MinY0 = 0;
    int32_t MaxY1 = 0;

    void Add(const TColumnRun& run)
    {
        if (Runs.empty()) {
            MinDx = MaxDx = run.Dx;
            MinY0 = run.Y0;
            MaxY1 = run.Y1;
        } else {
            MinDx = std::min(MinDx, run.Dx);
            MaxDx = std::max(MaxDx, run.Dx);
            MinY0 = std::min(MinY0, run.Y0);
            MaxY1 = std::max(MaxY1, run.Y1);
        }
        Runs.push_back(run);
    }
};

// The pixels of one drawn item in logical pixels: Drawn holds those it sets any device pixel
// of, Covered those it sets every device pixel of. At ratio 1 the two are the same.
struct TItemPixels
{
    TFootprint Drawn;
    TFootprint Covered;
};

// Where v lies within a period of q logical pixels (0..q-1, also for negative v).
inline int32_t PhaseOf(int32_t v, int32_t q)
{
    return ((v % q) + q) % q;
}

// The pixels of an item at each phase of the device pixel ratio's period q: at a fractional
// ratio the device pixels an item sets depend on where its anchor lies within q logical pixels
// (x % q, y % q). Anchors at negative coordinates have no phase (see TCoverage).
struct TItemShape
{
    int32_t Period = 1;
    std::vector<TItemPixels> Phases; // [(y % q) * q + x % q]
    // The box around what any phase draws on.
    int32_t MinDx = 0;
    int32_t MaxDx = 0;
    int32_t MinY0 = 0;
    int32_t MaxY1 = 0;
    bool Empty = true;

    const TItemPixels& At(int32_t x, int32_t y) const
    {
        return Period == 1
                   ? Phases[0]
                   : Phases[static_cast<size_t>(PhaseOf(y, Period) * Period + PhaseOf(x, Period))];
    }
};

// Draws an item on a scratch bitmap at the canvas' device pixel ratio, once over black and once
// over white, at each phase of the ratio's period, and finds the pixels it sets. The item must
// set each device pixel to a value that does not depend on what lay below (an opaque drawing)
// and must stay off the scratch area's border; otherwise nothing is returned.
class TPixelTracer
{
public:
    // ratio must have a period (RatioPeriod > 0).
    TPixelTracer(double ratio, int32_t period) : FRatio(ratio), FPeriod(period) {}

    template <typename Draw>
    std::optional<TItemShape> Trace(int32_t width, int32_t height, int32_t anchorX, int32_t anchorY,
                                    Draw draw)
    {
        // The scratch area grows by the phases' shifts.
        const int32_t shift = FPeriod - 1;
        const int32_t w = width + shift;
        const int32_t h = height + shift;
        PrepareScratch(w, h);
        TItemShape shape;
        shape.Period = FPeriod;
        shape.Phases.resize(static_cast<size_t>(FPeriod) * FPeriod);
        std::vector<uint8_t> drawn(static_cast<size_t>(w) * h);
        std::vector<uint8_t> covered(drawn.size());
        for (int32_t py = 0; py < FPeriod; ++py) {
            for (int32_t px = 0; px < FPeriod; ++px) {
                const int32_t ax = anchorX + px;
                const int32_t ay = anchorY + py;
                if (!FindPixels(w, h, ax, ay, draw, drawn, covered)) {
                    return std::nullopt;
                }
                TItemPixels pixels;
                pixels.Drawn = Runs(drawn, w, h, ax, ay);
                pixels.Covered = Runs(covered, w, h, ax, ay);
                if (!pixels.Drawn.Runs.empty()) {
                    const TFootprint& d = pixels.Drawn;
                    shape.MinDx = shape.Empty ? d.MinDx : std::min(shape.MinDx, d.MinDx);
                    shape.MaxDx = shape.Empty ? d.MaxDx : std::max(shape.MaxDx, d.MaxDx);
                    shape.MinY0 = shape.Empty ? d.MinY0 : std::min(shape.MinY0, d.MinY0);
                    shape.MaxY1 = shape.Empty ? d.MaxY1 : std::max(shape.MaxY1, d.MaxY1);
                    shape.Empty = false;
                }
                shape.Phases[static_cast<size_t>(PhaseOf(ay, FPeriod) * FPeriod +
                                                 PhaseOf(ax, FPeriod))] = std::move(pixels);
            }
        }
        return shape;
    }

private:
    // Draws the item anchored at (ax, ay) and marks, per logical pixel of the w x h area, whether
    // it sets any (drawn) and every (covered) device pixel there; false when it cannot be traced.
    template <typename Draw>
    bool FindPixels(int32_t w, int32_t h, int32_t ax, int32_t ay, Draw& draw,
                    std::vector<uint8_t>& drawn, std::vector<uint8_t>& covered)
    {
        const QImage overBlack = DrawOver(clBlack, w, h, ax, ay, draw);
        const QImage overWhite = DrawOver(clWhite, w, h, ax, ay, draw);
        for (int32_t y = 0; y < h; ++y) {
            const int32_t top = DevicePosition(y, FRatio);
            const int32_t bottom = DevicePosition(y + 1, FRatio);
            for (int32_t x = 0; x < w; ++x) {
                const int32_t left = DevicePosition(x, FRatio);
                const int32_t right = DevicePosition(x + 1, FRatio);
                int32_t set = 0;
                for (int32_t dy = top; dy < bottom; ++dy) {
                    const auto* a = reinterpret_cast<const QRgb*>(overBlack.constScanLine(dy));
                    const auto* b = reinterpret_cast<const QRgb*>(overWhite.constScanLine(dy));
                    for (int32_t dx = left; dx < right; ++dx) {
                        const QRgb onBlack = a[dx] & 0xFFFFFFu;
                        const QRgb onWhite = b[dx] & 0xFFFFFFu;
                        if (onBlack != 0 || onWhite != 0xFFFFFFu) {
                            if (onBlack != onWhite) {
                                return false;
                            }
                            ++set;
                        }
                    }
                }
                if (set != 0 && (x == 0 || y == 0 || x == w - 1 || y == h - 1)) {
                    return false;
                }
                const size_t cell = static_cast<size_t>(y) * w + static_cast<size_t>(x);
                drawn[cell] = set != 0 ? 1 : 0;
                covered[cell] = set == (right - left) * (bottom - top) ? 1 : 0;
            }
        }
        return true;
    }

    // The set cells of a w x h grid as runs down the columns, relative to (ax, ay).
    static TFootprint Runs(const std::vector<uint8_t>& grid, int32_t w, int32_t h, int32_t ax,
                           int32_t ay)
    {
        TFootprint footprint;
        for (int32_t x = 0; x < w; ++x) {
            int32_t runStart = -1;
            for (int32_t y = 0; y <= h; ++y) {
                const bool on = y < h && grid[static_cast<size_t>(y) * w + x] != 0;
                if (on && runStart < 0) {
                    runStart = y;
                } else if (!on && runStart >= 0) {
                    footprint.Add({x - ax, runStart - ay, y - ay});
                    runStart = -1;
                }
            }
        }
        return footprint;
    }

    void PrepareScratch(int32_t width, int32_t height)
    {
        if (!FCanvas) {
            FBitmap = std::make_unique<TBitmap>(width, height);
            FBitmap->SetPixelRatio(FRatio);
            FCanvas = std::make_unique<TChartCanvas3D>();
            FCanvas->AttachSurface(FBitmap->Canvas());
        } else if (FBitmap->Width() < width || FBitmap->Height() < height) {
            FBitmap->SetSize(std::max(width, FBitmap->Width()),
                             std::max(height, FBitmap->Height()));
        }
    }

    template <typename Draw>
    QImage DrawOver(TColor background, int32_t width, int32_t height, int32_t anchorX,
                    int32_t anchorY, Draw& draw)
    {
        TCanvas& surface = FBitmap->Canvas();
        surface.Brush().SetStyle(bsSolid);
        surface.Brush().SetColor(background);
        surface.FillRect({0, 0, width, height});
        draw(*FCanvas, anchorX, anchorY);
        return FBitmap->Image().copy(0, 0, DevicePosition(width, FRatio),
                                     DevicePosition(height, FRatio));
    }

    double FRatio;
    int32_t FPeriod;
    std::unique_ptr<TBitmap> FBitmap;
    std::unique_ptr<TChartCanvas3D> FCanvas;
};

// The pixels that items drawn later set, one bit per pixel, column by column, over a rectangle
// of the canvas. Pixels outside the rectangle count as not set. A run of up to 56 rows is read
// or written as one 64-bit window starting at the byte of its first row; each column is padded
// so that a window never reaches past it.
//
// With fromZero (fractional device pixel ratios), the rectangle starts at 0 at the earliest and
// items anchored or reaching left of or above 0 are neither found covered nor add coverage: the
// device pixels of negative logical coordinates are rounded the other way (half away from zero),
// so the traced shapes, found at positive positions, do not hold there.
class TCoverage
{
public:
    TCoverage(const TRect& area, bool fromZero)
        : FLeft(fromZero ? std::max(area.Left, 0) : area.Left),
          FTop(fromZero ? std::max(area.Top, 0) : area.Top),
          FWidth(std::max(area.Right - FLeft, 0)), FHeight(std::max(area.Bottom - FTop, 0)),
          FStride((FHeight + 7) / 8 + 8),
          FBits(static_cast<size_t>(FWidth) * static_cast<size_t>(FStride), 0), FFromZero(fromZero)
    {
    }

    // All pixels of the footprint anchored at (x, y) are set.
    bool Covers(const TFootprint& footprint, int32_t x, int32_t y) const
    {
        if (FFromZero && (x < 0 || y < 0)) {
            return false;
        }
        if (footprint.Runs.empty()) {
            return true;
        }
        const int64_t left = int64_t{x} + footprint.MinDx - FLeft;
        const int64_t right = int64_t{x} + footprint.MaxDx - FLeft;
        const int64_t top = int64_t{y} + footprint.MinY0 - FTop;
        const int64_t bottom = int64_t{y} + footprint.MaxY1 - FTop;
        if (left < 0 || right >= FWidth || top < 0 || bottom > FHeight) {
            return false; // some run reaches outside the rectangle
        }
        const int32_t column = static_cast<int32_t>(int64_t{x} - FLeft);
        const int32_t row = static_cast<int32_t>(int64_t{y} - FTop);
        for (const TColumnRun& run : footprint.Runs) {
            if (!AllSet(Column(column + run.Dx), row + run.Y0, row + run.Y1)) {
                return false;
            }
        }
        return true;
    }

    // All pixels of the footprint anchored at (x, y), each of its runs stretched down by rows,
    // are set: the footprint anchored at every row y..y+rows is covered.
    bool CoversStretched(const TFootprint& footprint, int32_t x, int32_t y, int32_t rows) const
    {
        if (FFromZero && (x < 0 || y < 0)) {
            return false;
        }
        if (footprint.Runs.empty()) {
            return true;
        }
        const int64_t left = int64_t{x} + footprint.MinDx - FLeft;
        const int64_t right = int64_t{x} + footprint.MaxDx - FLeft;
        const int64_t top = int64_t{y} + footprint.MinY0 - FTop;
        const int64_t bottom = int64_t{y} + footprint.MaxY1 + rows - FTop;
        if (left < 0 || right >= FWidth || top < 0 || bottom > FHeight) {
            return false;
        }
        const int32_t column = static_cast<int32_t>(int64_t{x} - FLeft);
        const int32_t row = static_cast<int32_t>(int64_t{y} - FTop);
        for (const TColumnRun& run : footprint.Runs) {
            if (!AllSet(Column(column + run.Dx), row + run.Y0, row + run.Y1 + rows)) {
                return false;
            }
        }
        return true;
    }

    // All pixels of columns left..right, rows top..bottom-1 are set.
    bool CoversBox(int64_t left, int64_t right, int64_t top, int64_t bottom) const
    {
        left -= FLeft;
        right -= FLeft;
        top -= FTop;
        bottom -= FTop;
        if (left < 0 || right >= FWidth || top < 0 || bottom > FHeight) {
            return false;
        }
        for (int64_t column = left; column <= right; ++column) {
            if (!AllSet(Column(static_cast<int32_t>(column)), static_cast<int32_t>(top),
                        static_cast<int32_t>(bottom))) {
                return false;
            }
        }
        return true;
    }

    TRect Area() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

    bool Covers(int32_t x, int32_t y) const
    {
        const int64_t column = int64_t{x} - FLeft;
        const int64_t row = int64_t{y} - FTop;
        return column >= 0 && column < FWidth && row >= 0 && row < FHeight &&
               ((Column(static_cast<int32_t>(column))[row >> 3] >> (row & 7)) & 1) != 0;
    }

    // Sets the pixels of the footprint anchored at (x, y) that lie inside the rectangle.
    void Add(const TFootprint& footprint, int32_t x, int32_t y)
    {
        if (FFromZero && (x < 0 || y < 0 ||
                          (!footprint.Runs.empty() && (int64_t{x} + footprint.MinDx < 0 ||
                                                       int64_t{y} + footprint.MinY0 < 0)))) {
            return;
        }
        for (const TColumnRun& run : footprint.Runs) {
            const int64_t column = int64_t{x} + run.Dx - FLeft;
            const int64_t top = std::max<int64_t>(int64_t{y} + run.Y0 - FTop, 0);
            const int64_t bottom = std::min<int64_t>(int64_t{y} + run.Y1 - FTop, FHeight);
            if (column < 0 || column >= FWidth || top >= bottom) {
                continue;
            }
            uint8_t* bits = Column(static_cast<int32_t>(column));
            for (int32_t from = static_cast<int32_t>(top); from < bottom; from += WindowRows) {
                const int32_t rows =
                    static_cast<int32_t>(std::min<int64_t>(bottom - from, WindowRows));
                StoreWindow(bits + (from >> 3),
                            LoadWindow(bits + (from >> 3)) | (Mask(rows) << (from & 7)));
            }
        }
    }

private:
    static constexpr int32_t WindowRows = 56;

    static uint64_t Mask(int32_t rows) { return (uint64_t{1} << rows) - 1; }
    // The eight bytes at p as a number, the first byte lowest.
    static uint64_t LoadWindow(const uint8_t* p)
    {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if constexpr (std::endian::native == std::endian::big) {
            word = __builtin_bswap64(word);
        }
        return word;
    }
    static void StoreWindow(uint8_t* p, uint64_t word)
    {
        if constexpr (std::endian::native == std::endian::big) {
            word = __builtin_bswap64(word);
        }
        std::memcpy(p, &word, sizeof word);
    }
    // Rows top..bottom-1 of the column are all set.
    static bool AllSet(const uint8_t* bits, int32_t top, int32_t bottom)
    {
        for (int32_t from = top; from < bottom; from += WindowRows) {
            const uint64_t mask = Mask(std::min(bottom - from, WindowRows));
            if (((LoadWindow(bits + (from >> 3)) >> (from & 7)) & mask) != mask) {
                return false;
            }
        }
        return true;
    }
    uint8_t* Column(int32_t column) { return FBits.data() + size_t(column) * size_t(FStride); }
    const uint8_t* Column(int32_t column) const
    {
        return FBits.data() + size_t(column) * size_t(FStride);
    }

    int32_t FLeft;
    int32_t FTop;
    int32_t FWidth;
    int32_t FHeight;
    int32_t FStride;
    std::vector<uint8_t> FBits;
    bool FFromZero;
};

// Everything about a pen that decides which pixels it sets.
struct TPenShape
{
    int Width;
    TPenStyle Style;
    TPenMode Mode;
    TPenKind Kind;
    TPenEndCap Cap;
    TPenJoin Join;
    TPenEndStyle EndStyle;
    bool SmallDots;
    bool Visible;
    bool operator==(const TPenShape&) const = default;
};

inline TPenShape ShapeOf(const TChartPen& pen)
{
    return {pen.Width(), pen.Style(),    pen.Mode(),      pen.Kind(),   pen.EndCap(),
            pen.Join(),  pen.EndStyle(), pen.SmallDots(), pen.Visible()};
}

// The pixels of the segments of one pen, by the segment's extent (dx, dy), traced when first
// needed and kept for later paints. Segments longer than the table are never traced.
struct TSegmentFootprints
{
    static constexpr int32_t MaxDx = 15;
    static constexpr int32_t MaxDy = 511;
    static constexpr int32_t Untraced = -1;
    static constexpr int32_t Unknown = -2;

    TPenShape Pen;
    bool ExtendedPens;
    bool Stairs;
    bool InvertedStairs;
    double Ratio; // the device pixel ratio the shapes were traced at
    std::vector<int32_t> Slots = std::vector<int32_t>((2 * MaxDx + 1) * (2 * MaxDy + 1), Untraced);
    std::vector<TItemShape> Footprints;

    // Where the vertical segments (dx 0) of at most R rows reach, as offsets from the column and
    // from the upper and the lower of their two end rows: Reach[R - 1] covers every such segment
    // of 1..R rows, up or down. Made as far as the segments have been traced.
    struct TReach
    {
        int32_t Left;
        int32_t Right;
        int32_t Top;    // rows above the upper end row (negative above)
        int32_t Bottom; // one past the last row, from the lower end row
    };
    std::vector<TReach> Reach;
    bool ReachEnds = false; // a vertical segment could not be traced: Reach grows no further

    // The slot of (dx, dy), or nullptr outside the table.
    int32_t* Slot(int32_t dx, int32_t dy)
    {
        if (dx < -MaxDx || dx > MaxDx || dy < -MaxDy || dy > MaxDy) {
            return nullptr;
        }
        return &Slots[static_cast<size_t>((dx + MaxDx) * (2 * MaxDy + 1) + dy + MaxDy)];
    }
};

// A step of the walk that draws something (or that the canvas state needs): the points it
// joins and what it draws. The backward pass collects them, the forward pass draws them.
struct TWalkStep
{
    int32_t Q;     // position in drawing order
    uint8_t Flags; // TUncoveredItemWalk::SegmentDrawn, PointerDrawn (the previous point's)
    int32_t X;
    int32_t Y;
    int32_t PrevX;
    int32_t PrevY;
    TColor Color;
    TColor PrevColor;
};

// What the walk keeps between the paints of one series: the traced segment shapes of the pens it
// drew with lately (its line pen, its outline).
class TUncoveredWalkCache
{
public:
    // The table of the segment shapes of a pen (and stairs setting) at a device pixel ratio, made
    // when first needed.
    TSegmentFootprints& SegmentFootprintsOf(const TChartPen& pen, bool stairs, bool invertedStairs,
                                            double ratio);

private:
    std::vector<std::unique_ptr<TSegmentFootprints>> FTables;
};

class TUncoveredItemWalk
{
public:
    // A walk of the series' current pass (TCustomSeries::DrawPass has set it up).
    TUncoveredItemWalk(TCustomSeries& series, TUncoveredWalkCache& cache);
    TUncoveredItemWalk(const TUncoveredItemWalk&) = delete;
    TUncoveredItemWalk& operator=(const TUncoveredItemWalk&) = delete;

    // Draws the pass' points; false when the pointer cannot be traced or the plot is too large
    // (nothing has been drawn then).
    bool Run();

    // Whether shapes can be traced for a canvas: at device pixel ratios from 1 to 4 of a period
    // (RatioPeriod) up to 4 (1, 1.25, 1.5, 1.75, 2, 2.5, 3 ...); at fractional ones the phases
    // are counted from logical 0, which must be the device's origin.
    static bool TracesOn(const TCanvas& surface)
    {
        const double ratio = surface.Ratio();
        const int period = RatioPeriod(ratio, MaxRatioPeriod);
        return ratio >= 1 && ratio <= 4 && period > 0 &&
               (period == 1 || (surface.WindowOrg().X == 0 && surface.WindowOrg().Y == 0));
    }

private:
    static constexpr int MaxRatioPeriod = 4;
    static constexpr TColor TraceColor = 0x808080;
    static constexpr uint8_t SegmentDrawn = 1;
    static constexpr uint8_t PointerDrawn = 2;

    // A point of the walk: its pixel and colour.
    struct TWalkPoint
    {
        int32_t X;
        int32_t Y;
        TColor Color;
    };
    // Points are mapped a run of 8 at a time as the backward pass reaches them; runs it passes
    // over are never mapped.
    struct TMappedBlock
    {
        static constexpr int32_t Size = 8;
        int32_t First = -1; // lowest index held; -1: none
        int32_t Count = 0;
        int32_t Xs[Size];
        int32_t Ys[Size];
        TColor Colors[Size];
    };

    // Runs of 8 requested from memory ahead of the one being mapped.
    static constexpr int32_t PrefetchRuns = 4;

    int32_t IndexOf(int32_t q) const { return FSeries.FPass.FirstDrawn + FStep * q; }
    // The point at position q in drawing order.
    TWalkPoint PointAt(int32_t q);
    // The mapped run of 8 that holds index (mapped now if it is not yet).
    const TMappedBlock& MappedRun(int32_t index);
    // The pixel column of every point of the block of 64 that holds index, when they all lie on
    // one, from the X summary (which spares reading their X values).
    std::optional<int32_t> BlockColumn(int32_t index) const;
    // Marks the items that draw, from the last one back.
    void MarkBackward();
    // A run of points passed over: its first position, its pixel column and its rows.
    struct TColumnRows
    {
        int32_t First;
        int32_t X;
        int32_t Low;
        int32_t High;
    };
    // The longest run that ends at position q, starts at a run boundary (1024, 64 or 8 points)
    // and lies on one pixel column, or the part on the column of q of a block of 64 that spans
    // more columns, when later items cover every pixel the run's inner steps can set; nothing
    // otherwise. Runs of 8 count from their first point to q. With joined (the run passed over just
    // before, from position q + 1 on), the step into that run counts among the inner steps.
    std::optional<TColumnRows> CoveredRun(int32_t q, const TColumnRows* joined);
    // The first of positions first..last that lies on the pixel column of position last, and
    // that column; X must be in order (FXInOrder).
    std::pair<int32_t, int32_t> ColumnTail(int32_t first, int32_t last) const;
    // The run from the first point of q's block of 64 (in drawing order) to q, when it lies on
    // one column and covered (CoveredRun's check) passes its rows; X must be in order.
    template <typename Covered>
    std::optional<TColumnRows> CoveredBlockHead(int32_t q, Covered& covered);
    // Later items cover every pointer on column x at rows low..high and every vertical segment
    // between two such rows.
    bool ColumnRowsCovered(int32_t x, int32_t low, int32_t high);
    // The same, from the rows of column x already found covered (FKnown...) alone.
    bool KnownCovered(int32_t x, int32_t low, int32_t high) const;
    // The same, from the coverage.
    bool RowsCovered(int32_t x, int32_t low, int32_t high);
    // Later items cover every pointer on column x at rows low..high.
    bool PointersCovered(int32_t x, int32_t low, int32_t high) const;
    // Where the vertical segments of 1..rows rows reach; nullptr when unknown.
    const TSegmentFootprints::TReach* VerticalReach(int32_t rows);
    bool PointerItem(int32_t inStep, const TWalkPoint& point);
    bool SegmentItem(const TWalkPoint& from, const TWalkPoint& to);
    // The traced pixels of a segment from (x0, y0) by (dx, dy); nullptr when unknown.
    const TItemShape* SegmentFootprint(int32_t x0, int32_t y0, int64_t dx, int64_t dy, int32_t x1,
                                       int32_t y1);
    const TItemShape* TraceSegment(int32_t* slot, int64_t dx, int64_t dy);
    // Draws the first point as the plain walk does, then the steps that draw.
    void DrawForward();

    TCustomSeries& FSeries;
    TUncoveredWalkCache& FCache;
    TChartCanvas& FCanvas;
    const TChartPen& FPen;
    const int32_t FStep;
    const int32_t FCount;
    const int32_t FLow; // lowest index of the pass
    const TAxisMapping& FXMap;
    const TAxisMapping& FYMap;
    const double FRatio;   // the canvas' device pixel ratio
    const int32_t FPeriod; // its period (RatioPeriod)
    TPixelTracer FTracer;
    std::optional<TItemShape> FPointer;
    std::optional<TCoverage> FCover;
    // At fractional ratios, where pointers' edges cover device pixels of their neighbours only
    // in part: the spots of the pointers drawn later (one pixel each).
    std::optional<TCoverage> FAnchors;
    inline static const TFootprint Spot = [] {
        TFootprint spot;
        spot.Add({0, 0, 1});
        return spot;
    }();
    TSegmentFootprints* FSegments = nullptr;
    int32_t FSegmentPad = 0;
    int32_t FTraceBudget = 256; // new segment shapes traced in one walk
    bool FPointerSeen = false;
    bool FSegmentSeen = false;
    int32_t FTailStep = 0;
    int32_t FLastPointerX = 0;
    int32_t FLastPointerY = 0;
    // What the current step draws: SegmentDrawn, PointerDrawn.
    uint8_t FStepFlags = 0;
    std::vector<TWalkStep> FSteps; // in backward order
    TMappedBlock FBlocks[2];
    int32_t FNextBlock = 0;
    // Runs of points are passed over from the value lists' summaries (CoveredRun).
    const TValueSummary* FXRuns = nullptr;
    const TValueSummary* FYRuns = nullptr;
    // The X values are in order (none not a number): pixel columns change monotonically along
    // the positions.
    bool FXInOrder = false;
    // Items added to the coverage so far, and the last rows found not covered at that count.
    int64_t FCoverVersion = 0;
    int64_t FFailedVersion = -1;
    int32_t FFailedX = 0;
    int32_t FFailedLow = 0;
    int32_t FFailedHigh = 0;
    // Row intervals of pixel column FKnownX, each covered for every pointer on its rows and every
    // vertical segment between two of them; the one found or used last first. Several are kept:
    // a column often holds runs at a few separate levels, each passed over many times.
    struct TKnownRows
    {
        int32_t Low;
        int32_t High;
    };
    static constexpr int32_t KnownSlots = 4;
    int32_t FKnownX = 0;
    int32_t FKnownCount = 0;
    TKnownRows FKnown[KnownSlots] = {};
    // Remembers rows low..high of column x as covered, first in line.
    void RememberKnown(int32_t x, int32_t low, int32_t high);
    // The slot of column x's known rows that holds rows low..high; -1 when none does.
    int32_t KnownSlot(int32_t x, int32_t low, int32_t high) const;
};
