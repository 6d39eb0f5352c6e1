#pragma once
// The walk of a line series with pointers that leaves out the items (segments and pointers) whose
// pixels later items of the same walk all draw over again: they do not change the picture. The
// pixels of each item come from drawing it once on a scratch bitmap through the same canvas
// calls, so the picture stays exactly that of the plain walk (TCustomSeries::DrawOnePoint, point
// by point), and the canvas is left as that walk leaves it. What the walk keeps between paints
// (traced segment shapes, per-point arrays) belongs to the series that paints. Included by
// Series.cpp only.
#include "chart/AxisMapping.h"
#include "chart/Series.h"
#include "chart/ValueSummary.h"

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

// Draws an item on a scratch bitmap, once over black and once over white, and finds the pixels
// it sets. The item must set each of them to a value that does not depend on what lay below (an
// opaque drawing) and must stay off the scratch area's border; otherwise nothing is returned.
class TPixelTracer
{
public:
    template <typename Draw>
    std::optional<TFootprint> Trace(int32_t width, int32_t height, int32_t anchorX, int32_t anchorY,
                                    Draw draw)
    {
        if (!FCanvas) {
            FBitmap = std::make_unique<TBitmap>(width, height);
            FCanvas = std::make_unique<TChartCanvas3D>();
            FCanvas->AttachSurface(FBitmap->Canvas());
        } else if (FBitmap->Width() < width || FBitmap->Height() < height) {
            FBitmap->SetSize(std::max(width, FBitmap->Width()),
                             std::max(height, FBitmap->Height()));
        }
        QImage overBlack = DrawOver(clBlack, width, height, anchorX, anchorY, draw);
        const QImage overWhite = DrawOver(clWhite, width, height, anchorX, anchorY, draw);
        TFootprint footprint;
        for (int32_t x = 0; x < width; ++x) {
            int32_t runStart = -1;
            for (int32_t y = 0; y <= height; ++y) {
                bool set = false;
                if (y < height) {
                    const QRgb a = overBlack.pixel(x, y) & 0xFFFFFFu;
                    const QRgb b = overWhite.pixel(x, y) & 0xFFFFFFu;
                    set = a != 0 || b != 0xFFFFFFu;
                    if (set && (a != b || x == 0 || y == 0 || x == width - 1 || y == height - 1)) {
                        return std::nullopt;
                    }
                }
                if (set && runStart < 0) {
                    runStart = y;
                } else if (!set && runStart >= 0) {
                    footprint.Add({x - anchorX, runStart - anchorY, y - anchorY});
                    runStart = -1;
                }
            }
        }
        return footprint;
    }

private:
    template <typename Draw>
    QImage DrawOver(TColor background, int32_t width, int32_t height, int32_t anchorX,
                    int32_t anchorY, Draw& draw)
    {
        TCanvas& surface = FBitmap->Canvas();
        surface.Brush().SetStyle(bsSolid);
        surface.Brush().SetColor(background);
        surface.FillRect({0, 0, width, height});
        draw(*FCanvas, anchorX, anchorY);
        return FBitmap->Image().copy(0, 0, width, height);
    }

    std::unique_ptr<TBitmap> FBitmap;
    std::unique_ptr<TChartCanvas3D> FCanvas;
};

// The pixels that items drawn later set, one bit per pixel, column by column, over a rectangle
// of the canvas. Pixels outside the rectangle count as not set. A run of up to 56 rows is read
// or written as one 64-bit window starting at the byte of its first row; each column is padded
// so that a window never reaches past it.
class TCoverage
{
public:
    explicit TCoverage(const TRect& area)
        : FLeft(area.Left), FTop(area.Top), FWidth(area.Right - area.Left),
          FHeight(area.Bottom - area.Top), FStride((FHeight + 7) / 8 + 8),
          FBits(static_cast<size_t>(FWidth) * static_cast<size_t>(FStride), 0)
    {
    }

    // All pixels of the footprint anchored at (x, y) are set.
    bool Covers(const TFootprint& footprint, int32_t x, int32_t y) const
    {
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
    std::vector<int32_t> Slots = std::vector<int32_t>((2 * MaxDx + 1) * (2 * MaxDy + 1), Untraced);
    std::vector<TFootprint> Footprints;

    // The slot of (dx, dy), or nullptr outside the table.
    int32_t* Slot(int32_t dx, int32_t dy)
    {
        if (dx < -MaxDx || dx > MaxDx || dy < -MaxDy || dy > MaxDy) {
            return nullptr;
        }
        return &Slots[static_cast<size_t>((dx + MaxDx) * (2 * MaxDy + 1) + dy + MaxDy)];
    }
};

// The per-point arrays of the walk. A day of points needs megabytes of them; allocated afresh on
// every paint, their page faults and zeroing cost more than the walk itself, so one set is kept
// between paints and lent to one walk at a time (a walk started while another holds them, from
// an event handler, allocates its own).
struct TWalkArrays
{
    std::vector<int32_t> Xs;
    std::vector<int32_t> Ys;
    std::vector<TColor> Colors;
    std::vector<uint8_t> Drawn;
};

class TWalkArraysLease
{
public:
    // Arrays of at least count elements, taken from spare; Drawn's first count elements are
    // zero.
    TWalkArraysLease(TWalkArrays& spare, size_t count)
        : FSpare(spare), FArrays(std::exchange(spare, {}))
    {
        Fit(FArrays.Xs, count);
        Fit(FArrays.Ys, count);
        Fit(FArrays.Colors, count);
        Fit(FArrays.Drawn, count);
        std::fill_n(FArrays.Drawn.begin(), count, uint8_t{0});
    }
    ~TWalkArraysLease()
    {
        if (FSpare.Xs.capacity() <= FArrays.Xs.capacity()) {
            FSpare = std::move(FArrays);
        }
    }
    TWalkArraysLease(const TWalkArraysLease&) = delete;
    TWalkArraysLease& operator=(const TWalkArraysLease&) = delete;

    int32_t* Xs() { return FArrays.Xs.data(); }
    int32_t* Ys() { return FArrays.Ys.data(); }
    TColor* Colors() { return FArrays.Colors.data(); }
    uint8_t* Drawn() { return FArrays.Drawn.data(); }

private:
    // Grows the array to count elements; one far larger than needed (the series were cleared)
    // is given back first, so that a long run's arrays do not outlive its points.
    template <typename T> static void Fit(std::vector<T>& array, size_t count)
    {
        constexpr size_t KeepBytes = size_t{1} << 20;
        if (array.capacity() > 4 * count && array.capacity() * sizeof(T) > KeepBytes) {
            array = {};
        }
        if (array.size() < count) {
            array.resize(count);
        }
    }

    TWalkArrays& FSpare;
    TWalkArrays FArrays;
};

// What the walk keeps between the paints of one series: the traced segment shapes of the pens it
// drew with lately (its line pen, its outline) and the spare per-point arrays.
class TUncoveredWalkCache
{
public:
    // The table of the segment shapes of a pen (and stairs setting), made when first needed.
    TSegmentFootprints& SegmentFootprintsOf(const TChartPen& pen, bool stairs, bool invertedStairs);

    TWalkArrays SpareArrays;

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

private:
    static constexpr TColor TraceColor = 0x808080;
    static constexpr uint8_t SegmentDrawn = 1;
    static constexpr uint8_t PointerDrawn = 2;

    // Array position of the q-th point in drawing order.
    size_t At(int32_t q) const { return static_cast<size_t>(FStep > 0 ? q : FCount - 1 - q); }
    // Marks the items that draw, from the last one back.
    void MarkBackward();
    // The first position of the block of 64 points whose last position is q, when later items
    // cover every pixel the block's inner steps can set; -1 otherwise.
    int32_t CoveredBlock(int32_t q);
    // The footprint stretched down by rows lies wholly under later items at (x, y).
    bool StretchedCovers(const TFootprint& footprint, int32_t x, int32_t y, int32_t rows);
    void PointerItem(int32_t q, int32_t inStep);
    void SegmentItem(int32_t q);
    // The traced pixels of a segment from (x0, y0) by (dx, dy); nullptr when unknown.
    const TFootprint* SegmentFootprint(int32_t x0, int32_t y0, int64_t dx, int64_t dy, int32_t x1,
                                       int32_t y1);
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
    TPixelTracer FTracer;
    std::optional<TFootprint> FPointer;
    std::optional<TWalkArraysLease> FArrays;
    std::optional<TCoverage> FCover;
    TSegmentFootprints* FSegments = nullptr;
    int32_t* FXs = nullptr;
    int32_t* FYs = nullptr;
    TColor* FColors = nullptr;
    uint8_t* FDrawn = nullptr;
    int32_t FSegmentPad = 0;
    int32_t FTraceBudget = 256; // new segment shapes traced in one walk
    bool FPointerSeen = false;
    bool FSegmentSeen = false;
    int32_t FTailStep = 0;
    int32_t FLastPointerX = 0;
    int32_t FLastPointerY = 0;
    // Blocks of points are passed over from the value lists' summaries (CoveredBlock).
    const TValueSummary* FXRuns = nullptr;
    const TValueSummary* FYRuns = nullptr;
    TFootprint FStretched;
};
