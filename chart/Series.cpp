#include "chart/Series.h"

#include "chart/ChartAxis.h"
#include "chart/ColumnWalk.h"
#include "chart/ValueSummary.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// a + b saturated to the 32-bit range (pointer corners of points far outside the plot).
int32_t Offset(int32_t a, int64_t b)
{
    return SaturateInt32(static_cast<int64_t>(a) + b);
}

// One segment of a line series from (x0, y0) to (x1, y1): a straight line, or a step across
// then up (InvertedStairs: up then across). The walk and the pixel tracing below draw through
// this one function.
void StrokeSegment(TChartCanvas& canvas, const TChartPen& pen, TColor color, bool stairs,
                   bool invertedStairs, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    canvas.Brush().SetStyle(bsClear);
    canvas.SelectPenColor(pen, color);
    if (!stairs) {
        canvas.Line(x0, y0, x1, y1);
    } else if (invertedStairs) {
        canvas.VerticalLine(x0, y0, y1);
        canvas.LineTo(x1, y1);
    } else {
        canvas.HorizontalLine(x0, x1, y0);
        canvas.LineTo(x1, y1);
    }
}

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

TPenShape ShapeOf(const TChartPen& pen)
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

// The tables of the pens used lately (a few pens: the line pens of the charts' series).
TSegmentFootprints& SegmentFootprintsOf(const TChartPen& pen, bool stairs, bool invertedStairs)
{
    static std::vector<std::unique_ptr<TSegmentFootprints>> tables;
    const TPenShape shape = ShapeOf(pen);
    for (auto& table : tables) {
        if (table->Pen == shape && table->ExtendedPens == ExtendedPensSupported &&
            table->Stairs == stairs && table->InvertedStairs == invertedStairs) {
            return *table;
        }
    }
    constexpr size_t MaxTables = 8;
    if (tables.size() >= MaxTables) {
        tables.erase(tables.begin());
    }
    auto table = std::make_unique<TSegmentFootprints>();
    table->Pen = shape;
    table->ExtendedPens = ExtendedPensSupported;
    table->Stairs = stairs;
    table->InvertedStairs = invertedStairs;
    tables.push_back(std::move(table));
    return *tables.back();
}

// The per-point arrays of the walk that leaves out covered items. A day of points needs
// megabytes of them; allocated afresh on every paint, their page faults and zeroing cost more
// than the walk itself, so one set is kept between paints and lent to one walk at a time (a walk
// started while another holds them, from an event handler, allocates its own).
struct TWalkArrays
{
    std::vector<int32_t> Xs;
    std::vector<int32_t> Ys;
    std::vector<TColor> Colors;
    std::vector<uint8_t> Drawn;
};

TWalkArrays& SpareWalkArrays()
{
    thread_local TWalkArrays spare;
    return spare;
}

class TWalkArraysLease
{
public:
    // Arrays of at least count elements; Drawn's first count elements are zero.
    explicit TWalkArraysLease(size_t count) : FArrays(std::exchange(SpareWalkArrays(), {}))
    {
        Fit(FArrays.Xs, count);
        Fit(FArrays.Ys, count);
        Fit(FArrays.Colors, count);
        Fit(FArrays.Drawn, count);
        std::fill_n(FArrays.Drawn.begin(), count, uint8_t{0});
    }
    ~TWalkArraysLease()
    {
        TWalkArrays& spare = SpareWalkArrays();
        if (spare.Xs.capacity() <= FArrays.Xs.capacity()) {
            spare = std::move(FArrays);
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

    TWalkArrays FArrays;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// TSeriesPointer

TSeriesPointer::TSeriesPointer(TChartSeries& series, bool visible)
    : FSeries(series), FVisible(visible)
{
    FBrush.OnChange = [this](TBrush*) { Repaint(); };
    FPen.OnChange = [this](TPen*) { Repaint(); };
    FGradient.OnChange = [this] { Repaint(); };
}

void TSeriesPointer::SetHorizSize(int32_t value)
{
    if (value <= 0) {
        throw EChartException("Pointer size must be greater than zero");
    }
    Store(FHorizSize, value);
}

void TSeriesPointer::SetVertSize(int32_t value)
{
    if (value <= 0) {
        throw EChartException("Pointer size must be greater than zero");
    }
    Store(FVertSize, value);
}

void TSeriesPointer::Repaint()
{
    FSeries.Repaint();
}

void TSeriesPointer::Draw(TChartCanvas& canvas, int32_t x, int32_t y, TColor color,
                          TSeriesPointerStyle style) const
{
    if (FPen.Visible()) {
        canvas.SelectPenColor(FPen, FPen.Color() == clDefault ? color : FPen.Color());
    } else {
        canvas.Pen().SetStyle(psClear);
    }
    TColor fill = FBrush.Color();
    if (fill == clDefault) {
        fill = FBrush.Style() == bsSolid ? color : clBlack;
    }
    canvas.SelectBrushColors(FBrush, fill, color);

    const int64_t h = FHorizSize;
    const int64_t v = FVertSize;
    const int32_t left = Offset(x, -h);
    const int32_t right = Offset(x, h);
    const int32_t top = Offset(y, -v);
    const int32_t bottom = Offset(y, v);
    const auto cross = [&] {
        canvas.VerticalLine(x, top, Offset(y, v + 1));
        canvas.HorizontalLine(left, Offset(x, h + 1), y);
    };
    // Each diagonal runs one pixel past the far corner, so that the end pixel rule still draws
    // the corner.
    const auto diagonals = [&] {
        canvas.Line(left, top, Offset(x, h + 1), Offset(y, v + 1));
        canvas.Line(left, bottom, Offset(x, h + 1), Offset(y, -v - 1));
    };
    const auto triangle = [&](TPoint a, TPoint b, TPoint c) {
        const TPoint points[3] = {a, b, c};
        canvas.Polygon(points, 2);
    };
    switch (style) {
    case psRectangle:
        canvas.Rectangle(left, top, Offset(x, h + 1), Offset(y, v + 1));
        break;
    case psCircle:
        canvas.Ellipse(left, top, right, bottom);
        break;
    case psTriangle:
        triangle({left, bottom}, {right, bottom}, {x, top});
        break;
    case psDownTriangle:
        triangle({left, top}, {right, top}, {x, bottom});
        break;
    case psCross:
        cross();
        break;
    case psDiagCross:
        diagonals();
        break;
    case psStar:
        cross();
        diagonals();
        break;
    case psDiamond: {
        const TPoint points[4] = {{left, y}, {x, top}, {right, y}, {x, bottom}};
        canvas.Polygon(points, 3);
        break;
    }
    case psSmallDot:
        canvas.SetPixel(x, y, canvas.Brush().Color());
        break;
    case psNothing:
        break;
    case psLeftTriangle:
        triangle({left, y}, {right, top}, {right, bottom});
        break;
    case psRightTriangle:
        triangle({right, y}, {left, top}, {left, bottom});
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomLineSeries

TCustomLineSeries::TCustomLineSeries()
{
    FLinePen.OnChange = [this](TPen*) { Repaint(); };
}

// ---------------------------------------------------------------------------------------------
// TCustomSeries

TCustomSeries::TCustomSeries(bool pointerVisible) : FPointer(*this, pointerVisible)
{
    FOutLine.OnChange = [this](TPen*) { Repaint(); };
    FLineBrush.OnChange = [this](TBrush*) { Repaint(); };
}

void TCustomSeries::GrowPointMargins(int32_t pointerSize, int32_t& first, int32_t& second) const
{
    if (FPointer.Visible() && FPointer.InflateMargins()) {
        // A pointer as large as an int holds asks for no more than that.
        const int32_t margin = pointerSize < INT32_MAX ? pointerSize + 1 : INT32_MAX;
        first = std::max(first, margin);
        second = std::max(second, margin);
    }
    if (FStairs) {
        first = std::max(first, LinePen().Width());
        second = std::max(second, LinePen().Width());
    }
    if (FOutLine.Visible()) {
        first = std::max(first, FOutLine.Width());
        second = std::max(second, FOutLine.Width());
    }
}

void TCustomSeries::HorizontalPointMargins(int32_t& left, int32_t& right) const
{
    GrowPointMargins(FPointer.HorizSize(), left, right);
}

void TCustomSeries::VerticalPointMargins(int32_t& top, int32_t& bottom) const
{
    GrowPointMargins(FPointer.VertSize(), top, bottom);
}

TSeriesPointerStyle TCustomSeries::PointerStyleOf(int32_t index)
{
    return OnGetPointerStyle ? OnGetPointerStyle(*this, index) : FPointer.Style();
}

void TCustomSeries::DrawMarker(int32_t x, int32_t y, int32_t index, TColor color)
{
    TChartCanvas* canvas = FPass.Canvas;
    if (canvas == nullptr) {
        TAxisOwner* owner = ParentChart() != nullptr ? ParentChart()->AxisOwner() : nullptr;
        if (owner == nullptr) {
            return;
        }
        canvas = &owner->AxisCanvas();
    }
    FPointer.Draw(*canvas, x, y, color, PointerStyleOf(index));
}

void TCustomSeries::DrawPointRange()
{
    int32_t first = FirstVisibleIndex();
    int32_t last = std::min(LastVisibleIndex(), Count() - 1);
    if (first < 0 || last < 0 || first > last) {
        return;
    }
    TAxisOwner* owner = ParentChart() != nullptr ? ParentChart()->AxisOwner() : nullptr;
    const TChartAxis* horizAxis = GetHorizAxis();
    const TChartAxis* vertAxis = GetVertAxis();
    if (owner == nullptr || horizAxis == nullptr || vertAxis == nullptr) {
        return;
    }
    FPass = {};
    // The pass ends with this call, also when a handler raises an exception.
    struct TEndPass
    {
        TDrawPass& Pass;
        ~TEndPass() { Pass = {}; }
    } endPass{FPass};
    FPass.Canvas = &owner->AxisCanvas();
    FPass.HorizAxis = horizAxis;
    FPass.VertAxis = vertAxis;
    FPass.PlotRect = owner->AxisPlotRect();
    const bool descending = horizAxis->Inverted();
    FPass.FirstDrawn = descending ? last : first;
    FPass.LastDrawn = descending ? first : last;

    if (FOutLine.Visible()) {
        // The outline: the whole line once more underneath, wider and in the outline's colour.
        TChartPen outline;
        outline.Assign(FOutLine);
        const int64_t width = int64_t{LinePen().Width()} + FOutLine.Width() + 2;
        outline.SetWidth(SaturateInt32(width));
        FPass.Outline = true;
        DrawPass(outline, FOutLine.Color());
        FPass.Outline = false;
    }
    DrawPass(LinePen(), SeriesColor());
}

void TCustomSeries::DrawPass(const TChartPen& pen, TColor seriesColor)
{
    FPass.Pen = &pen;
    FPass.SeriesColor = seriesColor;
    if (FMergeDenseColumns && CanMergeColumns()) {
        if (!ColorList().has_value() && !ColorEachPoint()) {
            // Every point has the series colour.
            const TColor color = seriesColor;
            const auto colorOf = [color](int32_t) { return color; };
            if (color != clNone) {
                DrawMerged<true>(colorOf);
            } else {
                DrawMerged<false>(colorOf);
            }
        } else {
            DrawMerged<false>([this](int32_t index) { return DrawColorOf(index); });
        }
        return;
    }
    if (FMergeDenseColumns && CanSkipCovered()) {
        bool drawn;
        if (!ColorList().has_value() && !ColorEachPoint()) {
            const TColor color = seriesColor;
            drawn = DrawUncovered([color](int32_t) { return color; });
        } else {
            drawn = DrawUncovered([this](int32_t index) { return DrawColorOf(index); });
        }
        if (drawn) {
            return;
        }
    }
    const int32_t step = FPass.LastDrawn >= FPass.FirstDrawn ? 1 : -1;
    for (int32_t i = FPass.FirstDrawn;; i += step) {
        DrawOnePoint(i);
        if (i == FPass.LastDrawn) {
            break;
        }
    }
}

TColor TCustomSeries::DrawColorOf(int32_t index) const
{
    if (!FPass.Outline) {
        return PointColor(index);
    }
    // In the outline pass the outline colour stands in for the series colour.
    const auto& colors = ColorList();
    const TColor own = colors.has_value() && static_cast<size_t>(index) < colors->size()
                           ? (*colors)[static_cast<size_t>(index)]
                           : clDefault;
    if (own != clDefault || ColorEachPoint()) {
        return PointColor(index);
    }
    return FPass.SeriesColor;
}

void TCustomSeries::DrawSegment(int32_t x, int32_t y, TColor color)
{
    StrokeSegment(*FPass.Canvas, *FPass.Pen, FColorEachLine ? color : FPass.SeriesColor, FStairs,
                  FInvertedStairs, FPrevX, FPrevY, x, y);
}

bool TCustomSeries::StartAtFirstIndex(int32_t index, int32_t x, int32_t y, TColor color)
{
    bool drew = false;
    if (index == FirstVisibleIndex() && index > 0) {
        // A hidden point lies before the first visible one: the line comes in from the edge of
        // the plot, at the height the segment between the two points has there.
        const TChartAxis& horiz = *FPass.HorizAxis;
        const int32_t edge = horiz.Inverted() ? FPass.PlotRect.Right : FPass.PlotRect.Left;
        const double x0 = XValue(index - 1);
        const double x1 = XValue(index);
        int32_t edgeY;
        if (FStairs || x0 == x1) {
            edgeY = PointPixelY(index - 1);
        } else {
            const double y0 = YValue(index - 1);
            const double y1 = YValue(index);
            const double atEdge = y0 + (horiz.PixelToValue(edge) - x0) * (y1 - y0) / (x1 - x0);
            edgeY = FPass.VertAxis->ValueToPixel(atEdge);
        }
        FPrevX = edge;
        FPrevY = edgeY;
        if (DrawColorOf(index - 1) != clNone && (x != FPrevX || y != FPrevY) && color != clNone) {
            DrawSegment(x, y, color);
            drew = true;
        }
    }
    if (index == FPass.LastDrawn && FPointer.Visible() && color != clNone) {
        DrawMarker(x, y, index, color);
    }
    return drew;
}

void TCustomSeries::DrawOnePoint(int32_t index)
{
    TChartCanvas& canvas = *FPass.Canvas;
    const TColor color = DrawColorOf(index);
    const int32_t x = PointPixelX(index);
    const int32_t y = PointPixelY(index);
    if (canvas.Pen().Color() != clBlack) {
        canvas.Pen().SetColor(clBlack);
    }
    canvas.Brush().SetColor(color);
    if (index == FPass.FirstDrawn) {
        StartAtFirstIndex(index, x, y, color);
    } else {
        if (FPrevColor == clNone) {
            // No segment comes from a gap.
            FPrevX = x;
            FPrevY = y;
        }
        if ((x != FPrevX || y != FPrevY) && color != clNone) {
            DrawSegment(x, y, color);
        }
        if (FPointer.Visible()) {
            // The previous point's pointer goes on top of both segments that touch it; the last
            // point's pointer on top of the segment that reaches it.
            const int32_t previous = FPass.LastDrawn >= FPass.FirstDrawn ? index - 1 : index + 1;
            if (FPrevColor != clNone) {
                DrawMarker(FPrevX, FPrevY, previous, FPrevColor);
            }
            if (index == FPass.LastDrawn && color != clNone) {
                DrawMarker(x, y, index, color);
            }
        }
    }
    FPrevX = x;
    FPrevY = y;
    FPrevColor = color;
}

bool TCustomSeries::CanMergeColumns() const
{
    // Merged spans set the same pixels as the segments they replace only for plain opaque
    // lines: no steps, no pointers drawn between segments, a visible solid pen in copy mode.
    const TChartPen& pen = *FPass.Pen;
    return !FStairs && !FPointer.Visible() && pen.Visible() && !pen.SmallDots() &&
           pen.Style() == psSolid && pen.Mode() == pmCopy;
}

bool TCustomSeries::CanSkipCovered() const
{
    // Every item must set its pixels to values that do not depend on what lies below (solid
    // copy-mode pens, a solid or no fill) and select its own pen and brush, and every pointer
    // must have the one shape traced for the walk (no style chosen per point).
    const TChartPen& pen = *FPass.Pen;
    const TChartPen& outline = FPointer.Pen();
    const TChartBrush& fill = FPointer.Brush();
    constexpr int MaxPenWidth = 16;
    constexpr int32_t MaxPointerSize = 64;
    return FPointer.Visible() && !OnGetPointerStyle &&
           dynamic_cast<TChartCanvas3D*>(FPass.Canvas) != nullptr && pen.Visible() &&
           !pen.SmallDots() && pen.Style() == psSolid && pen.Mode() == pmCopy &&
           pen.Width() <= MaxPenWidth && outline.Visible() && !outline.SmallDots() &&
           outline.Style() == psSolid && outline.Mode() == pmCopy &&
           outline.Width() <= MaxPenWidth && (fill.Style() == bsSolid || fill.Style() == bsClear) &&
           !fill.HasImage() && FPointer.HorizSize() <= MaxPointerSize &&
           FPointer.VertSize() <= MaxPointerSize;
}

// The walk of DrawOnePoint with pointers, leaving out the segments and pointers whose pixels
// later items all draw over again. Each item is opaque and selects its own pen and brush, so the
// last item that sets a pixel decides its value alone: an item none of whose pixels is the last
// one set there leaves no trace in the picture. Walking the items from the last one back while
// collecting the pixels they set finds those items. Their pixels are traced once per pen and
// pointer shape on a scratch bitmap; segments too long to trace are always drawn. The last
// segment and the last pointer are always drawn, and so is every step from the last pointer on,
// so that the canvas is left as the plain walk leaves it. False when the pointer cannot be
// traced or the plot is too large; nothing has been drawn then.
template <typename ColorOf> bool TCustomSeries::DrawUncovered(ColorOf colorOf)
{
    TChartCanvas& canvas = *FPass.Canvas;
    const TChartPen& pen = *FPass.Pen;
    const int32_t h = FPointer.HorizSize();
    const int32_t v = FPointer.VertSize();
    // Pixels beyond this margin around the plot count as never drawn over.
    const int32_t margin = std::max(h, v) + FPointer.Pen().Width() + pen.Width() + 4;
    const TRect& plot = FPass.PlotRect;
    const int64_t areaWidth = int64_t{plot.Right} - plot.Left + 2 * int64_t{margin};
    const int64_t areaHeight = int64_t{plot.Bottom} - plot.Top + 2 * int64_t{margin};
    constexpr int64_t MaxArea = 16384;
    if (areaWidth <= 0 || areaHeight <= 0 || areaWidth > MaxArea || areaHeight > MaxArea) {
        return false;
    }
    TPixelTracer tracer;
    constexpr TColor TraceColor = 0x808080;
    const TSeriesPointerStyle style = FPointer.Style();
    const int32_t pointerPad = FPointer.Pen().Width() + 4;
    const std::optional<TFootprint> pointer = tracer.Trace(
        2 * (h + pointerPad) + 1, 2 * (v + pointerPad) + 1, h + pointerPad, v + pointerPad,
        [&](TChartCanvas& c, int32_t x, int32_t y) { FPointer.Draw(c, x, y, TraceColor, style); });
    if (!pointer) {
        return false;
    }

    // Pixels and colours of all points, in index order.
    const int32_t step = FPass.LastDrawn >= FPass.FirstDrawn ? 1 : -1;
    const int32_t count = std::abs(FPass.LastDrawn - FPass.FirstDrawn) + 1;
    const int32_t low = std::min(FPass.FirstDrawn, FPass.LastDrawn);
    TWalkArraysLease arrays(static_cast<size_t>(count));
    int32_t* const xs = arrays.Xs();
    int32_t* const ys = arrays.Ys();
    TColor* const colors = arrays.Colors();
    FPass.HorizAxis->Mapping().Map(XValues().Data() + low, count, xs);
    FPass.VertAxis->Mapping().Map(YValues().Data() + low, count, ys);
    for (int32_t k = 0; k < count; ++k) {
        colors[static_cast<size_t>(k)] = colorOf(low + k);
    }
    // Array position of the q-th point in drawing order.
    const auto at = [&](int32_t q) { return static_cast<size_t>(step > 0 ? q : count - 1 - q); };

    // Back from the last item: step q draws the segment into point q, then the pointer of point
    // q - 1 (and, for the last point, its own pointer).
    constexpr uint8_t SegmentDrawn = 1;
    constexpr uint8_t PointerDrawn = 2;
    uint8_t* const drawn = arrays.Drawn();
    TCoverage cover({plot.Left - margin, plot.Top - margin,
                     static_cast<int32_t>(plot.Left - margin + areaWidth),
                     static_cast<int32_t>(plot.Top - margin + areaHeight)});
    TSegmentFootprints& segments = SegmentFootprintsOf(pen, FStairs, FInvertedStairs);
    const int32_t segmentPad = pen.Width() + 4;
    int32_t traceBudget = 256; // new segment shapes traced in one walk
    bool pointerSeen = false;
    bool segmentSeen = false;
    int32_t tailStep = 0;
    int32_t lastPointerX = 0;
    int32_t lastPointerY = 0;
    const auto pointerItem = [&](int32_t q, int32_t inStep) {
        const size_t k = at(q);
        if (colors[k] == clNone) {
            return;
        }
        const int32_t x = xs[k];
        const int32_t y = ys[k];
        if (!pointerSeen) {
            pointerSeen = true;
            tailStep = inStep;
        } else if ((x == lastPointerX && y == lastPointerY) || cover.Covers(*pointer, x, y)) {
            // The same pointer lies on this spot later on, or later items cover it.
            return;
        }
        lastPointerX = x;
        lastPointerY = y;
        drawn[k] |= PointerDrawn;
        cover.Add(*pointer, x, y);
    };
    const auto segmentItem = [&](int32_t q) {
        const size_t k = at(q);
        const size_t kp = at(q - 1);
        if (colors[k] == clNone || colors[kp] == clNone || (xs[k] == xs[kp] && ys[k] == ys[kp])) {
            return;
        }
        const int32_t x0 = xs[kp];
        const int32_t y0 = ys[kp];
        const int64_t dx = int64_t{xs[k]} - x0;
        const int64_t dy = int64_t{ys[k]} - y0;
        const TFootprint* footprint = nullptr;
        if (int32_t* slot = std::abs(dx) <= TSegmentFootprints::MaxDx &&
                                    std::abs(dy) <= TSegmentFootprints::MaxDy
                                ? segments.Slot(static_cast<int32_t>(dx), static_cast<int32_t>(dy))
                                : nullptr) {
            // A shape not seen yet is traced when the segment may well be covered: both its
            // ends are.
            if (*slot == TSegmentFootprints::Untraced && traceBudget > 0 && segmentSeen &&
                cover.Covers(x0, y0) && cover.Covers(xs[k], ys[k])) {
                --traceBudget;
                const int32_t ax = segmentPad + static_cast<int32_t>(std::max<int64_t>(0, -dx));
                const int32_t ay = segmentPad + static_cast<int32_t>(std::max<int64_t>(0, -dy));
                const auto traced = tracer.Trace(
                    static_cast<int32_t>(std::abs(dx)) + 2 * segmentPad + 1,
                    static_cast<int32_t>(std::abs(dy)) + 2 * segmentPad + 1, ax, ay,
                    [&](TChartCanvas& c, int32_t x, int32_t y) {
                        StrokeSegment(c, pen, TraceColor, FStairs, FInvertedStairs, x, y,
                                      x + static_cast<int32_t>(dx), y + static_cast<int32_t>(dy));
                    });
                if (traced) {
                    *slot = static_cast<int32_t>(segments.Footprints.size());
                    segments.Footprints.push_back(*traced);
                } else {
                    *slot = TSegmentFootprints::Unknown;
                }
            }
            if (*slot >= 0) {
                footprint = &segments.Footprints[static_cast<size_t>(*slot)];
            }
        }
        if (segmentSeen && footprint != nullptr && cover.Covers(*footprint, x0, y0)) {
            return;
        }
        segmentSeen = true;
        drawn[k] |= SegmentDrawn;
        if (footprint != nullptr) {
            cover.Add(*footprint, x0, y0);
        }
    };
    // A block of 64 points on one pixel column (from the value lists' summaries): its inner
    // steps draw pointers on that column at rows between its lowest and highest, and vertical
    // segments between such rows. When later items cover every pixel any of those can set, the
    // steps are passed over at once.
    const TAxisMapping& xMap = FPass.HorizAxis->Mapping();
    const TAxisMapping& yMap = FPass.VertAxis->Mapping();
    // (Only where every point has the pass' series colour: no gaps, no colour changes.)
    const bool oneColor =
        !ColorList().has_value() && !ColorEachPoint() && FPass.SeriesColor != clNone;
    const bool blocks = oneColor && xMap.KeepsOrder() && yMap.KeepsOrder();
    const TValueSummary* xRuns = blocks ? &XValues().Summary() : nullptr;
    const TValueSummary* yRuns = blocks ? &YValues().Summary() : nullptr;
    TFootprint stretched;
    const auto stretchedCovers = [&](const TFootprint& footprint, int32_t x, int32_t y,
                                     int32_t rows) {
        stretched.Runs.clear();
        for (const TColumnRun& run : footprint.Runs) {
            stretched.Add({run.Dx, run.Y0, run.Y1 + rows});
        }
        return cover.Covers(stretched, x, y);
    };
    // The first position of the block whose last position is q, when the block's inner steps
    // are covered; -1 otherwise.
    const auto coveredBlock = [&](int32_t q) -> int32_t {
        const int32_t index = low + static_cast<int32_t>(at(q));
        constexpr int32_t Size = TValueSummary::BlockSize;
        const bool blockEnd =
            step > 0 ? (index & (Size - 1)) == Size - 1 : (index & (Size - 1)) == 0;
        if (!blockEnd || q < Size - 1) {
            return -1;
        }
        const TValueSummary::TRange& xr = xRuns->Block(index >> TValueSummary::BlockShift);
        const TValueSummary::TRange& yr = yRuns->Block(index >> TValueSummary::BlockShift);
        if (!xr.Usable() || !yr.Usable()) {
            return -1;
        }
        const int32_t x = xMap.ValueToPixel(xr.Low);
        if (xMap.ValueToPixel(xr.High) != x) {
            return -1;
        }
        const int32_t a = yMap.ValueToPixel(yr.Low);
        const int32_t b = yMap.ValueToPixel(yr.High);
        const int32_t top = std::min(a, b);
        const int32_t rows = std::max(a, b) - top;
        constexpr int32_t MaxRows = 64;
        if (rows > MaxRows || !stretchedCovers(*pointer, x, top, rows)) {
            return -1;
        }
        for (int32_t dy = -rows; dy <= rows; ++dy) {
            if (dy == 0) {
                continue;
            }
            int32_t* slot = segments.Slot(0, dy);
            if (slot == nullptr || *slot < 0) {
                return -1; // not traced (yet): the steps are walked one by one
            }
            // Segments of this extent start at rows from..from + span.
            const int32_t from = std::max(top, top - dy);
            const int32_t span = std::min(top + rows, top + rows - dy) - from;
            if (!stretchedCovers(segments.Footprints[static_cast<size_t>(*slot)], x, from, span)) {
                return -1;
            }
        }
        return q - (Size - 1);
    };
    for (int32_t q = count - 1; q >= 1; --q) {
        if (q == count - 1) {
            pointerItem(q, q);
        } else if (blocks && pointerSeen && segmentSeen) {
            if (const int32_t first = coveredBlock(q); first >= 0) {
                q = first + 1; // steps first + 1 .. q are covered
                continue;
            }
        }
        pointerItem(q - 1, q);
        segmentItem(q);
    }

    // Forward: the first point exactly as the plain walk draws it, then the steps that draw.
    int32_t index = FPass.FirstDrawn;
    TColor color = colors[at(0)];
    if (canvas.Pen().Color() != clBlack) {
        canvas.Pen().SetColor(clBlack);
    }
    canvas.Brush().SetColor(color);
    StartAtFirstIndex(index, xs[at(0)], ys[at(0)], color);
    for (int32_t q = 1; q < count; ++q) {
        index += step;
        const size_t k = at(q);
        const size_t kp = at(q - 1);
        const bool segment = (drawn[k] & SegmentDrawn) != 0;
        const bool previousPointer = (drawn[kp] & PointerDrawn) != 0;
        if (!segment && !previousPointer && q < tailStep) {
            continue;
        }
        color = colors[k];
        if (canvas.Pen().Color() != clBlack) {
            canvas.Pen().SetColor(clBlack);
        }
        canvas.Brush().SetColor(color);
        if (segment) {
            FPrevX = xs[kp];
            FPrevY = ys[kp];
            DrawSegment(xs[k], ys[k], color);
        }
        if (previousPointer) {
            DrawMarker(xs[kp], ys[kp], index - step, colors[kp]);
        }
        if (q == count - 1 && color != clNone) {
            DrawMarker(xs[k], ys[k], index, color);
        }
    }
    FPrevX = xs[at(count - 1)];
    FPrevY = ys[at(count - 1)];
    FPrevColor = colors[at(count - 1)];
    return true;
}

// The walk of DrawOnePoint without pointers and stairs, with the segments that run up and down
// inside one pixel column collected into the span they cover and drawn as one line. The points
// are mapped straight through the axes.
template <bool Uniform, typename ColorOf> void TCustomSeries::DrawMerged(ColorOf colorOf)
{
    TChartCanvas& canvas = *FPass.Canvas;
    const TChartAxis& horiz = *FPass.HorizAxis;
    const TChartAxis& vert = *FPass.VertAxis;
    const TChartPen& pen = *FPass.Pen;
    const bool wide = pen.Width() > 1;
    const bool eachLine = FColorEachLine;
    const TColor seriesColor = FPass.SeriesColor;
    const int32_t step = FPass.LastDrawn >= FPass.FirstDrawn ? 1 : -1;

    // The first point exactly as the plain walk draws it (the segment from the plot's edge).
    int32_t index = FPass.FirstDrawn;
    TColor color = colorOf(index);
    if (canvas.Pen().Color() != clBlack) {
        canvas.Pen().SetColor(clBlack);
    }
    canvas.Brush().SetColor(color);
    int32_t x = horiz.ValueToPixel(XValue(index));
    int32_t y = vert.ValueToPixel(YValue(index));
    bool selected = false; // the canvas pen is the pass' pen in selectedColor
    TColor selectedColor = clNone;
    bool drewAny = false;
    bool lastDrew = false;
    if (StartAtFirstIndex(index, x, y, color)) {
        // The segment from the plot's edge was drawn: the pen is selected.
        selected = true;
        selectedColor = eachLine ? color : seriesColor;
        drewAny = true;
        lastDrew = true;
    }
    const auto select = [&](TColor c) {
        if (!selected || selectedColor != c) {
            if (!drewAny) {
                canvas.Brush().SetStyle(bsClear);
                drewAny = true;
            }
            canvas.SelectPenColor(pen, c);
            selected = true;
            selectedColor = c;
        }
    };

    // The open run: a chain of vertical segments in column runX ending at the previous point.
    // lo/hi cover the whole chain, loBefore/hiBefore the chain without its last point.
    struct
    {
        bool open = false;
        bool segments = false;
        TColor color = clNone;
        int32_t x = 0;
        int32_t lastY = 0;
        int32_t lo = 0;
        int32_t hi = 0;
        int32_t loBefore = 0;
        int32_t hiBefore = 0;
    } run;
    const auto openAt = [&](int32_t rx, int32_t ry) {
        run.open = true;
        run.segments = false;
        run.x = rx;
        run.lastY = ry;
        run.lo = ry;
        run.hi = ry;
    };
    const auto flush = [&] {
        if (!run.open || !run.segments) {
            return;
        }
        select(run.color);
        if (wide) {
            // A wide pen covers the whole chain with its ends around the extreme points.
            canvas.Line(run.x, run.lo, run.x, run.hi);
        } else {
            // One-pixel segments leave out their end pixel: the chain's last point is set only
            // when an earlier segment passed over it.
            int32_t lo = run.loBefore;
            int32_t hi = run.hiBefore;
            if (run.lastY > hi) {
                hi = run.lastY - 1;
            } else if (run.lastY < lo) {
                lo = run.lastY + 1;
            }
            canvas.Line(run.x, lo, run.x, hi + 1);
        }
        run.segments = false;
        run.lo = run.lastY;
        run.hi = run.lastY;
    };

    int32_t prevX = x;
    int32_t prevY = y;
    TColor prevColor = color;
    if (color != clNone) {
        openAt(x, y);
    }
    if constexpr (Uniform) {
        // One colour and no gaps: every change of pixel draws. Inside a column only the span
        // matters; the line into the next column starts at the column's last point and so sets
        // that pixel anyway, which makes the span exact also for one-pixel lines. Only the last
        // column needs the end pixel rule (below).
        const TColor segmentColor = eachLine ? color : seriesColor;
        TColumnWalk walk(XValues(), YValues(), horiz, vert, index, FPass.LastDrawn);
        TPixelColumn column;
        walk.Next(column); // the column of the first point
        TPixelColumn next;
        while (walk.Next(next)) {
            if (column.Low < column.High) {
                select(segmentColor);
                canvas.Line(column.X, column.Low, column.X, wide ? column.High : column.High + 1);
            }
            select(segmentColor);
            canvas.Line(column.X, column.LastY, next.X, next.FirstY);
            column = next;
        }
        int32_t lo = column.Low;
        int32_t hi = column.High;
        // The last column: one-pixel segments leave out their end pixel, so its last point's
        // pixel is set only when an earlier segment of the column passed over it.
        if (lo < hi) {
            if (!wide) {
                int32_t last = vert.ValueToPixel(YValue(column.FirstIndex));
                lo = last;
                hi = last;
                int32_t loBefore = last;
                int32_t hiBefore = last;
                for (int32_t i = column.FirstIndex; i != FPass.LastDrawn;) {
                    i += step;
                    const int32_t py = vert.ValueToPixel(YValue(i));
                    if (py != last) {
                        loBefore = lo;
                        hiBefore = hi;
                        lo = std::min(lo, py);
                        hi = std::max(hi, py);
                        last = py;
                    }
                }
                lo = last < loBefore ? last + 1 : loBefore;
                hi = last > hiBefore ? last - 1 : hiBefore;
            }
            select(segmentColor);
            canvas.Line(column.X, lo, column.X, wide ? hi : hi + 1);
        }
        if (FPass.LastDrawn != FPass.FirstDrawn) {
            const int32_t before = FPass.LastDrawn - step;
            lastDrew = column.X != horiz.ValueToPixel(XValue(before)) ||
                       column.LastY != vert.ValueToPixel(YValue(before));
        }
        prevX = column.X;
        prevY = column.LastY;
    } else {
        // Points are mapped a block at a time, in a loop the compiler can keep tight.
        constexpr int32_t BlockSize = 512;
        int32_t xs[BlockSize];
        int32_t ys[BlockSize];
        const TChartValueList& xValues = XValues();
        const TChartValueList& yValues = YValues();
        const TAxisMapping& xMapping = horiz.Mapping();
        const TAxisMapping& yMapping = vert.Mapping();
        while (index != FPass.LastDrawn) {
            const int32_t remaining = std::abs(FPass.LastDrawn - index);
            const int32_t n = std::min(remaining, BlockSize);
            // The block holds indices low..low+n-1, walked upwards or downwards.
            const int32_t low = step > 0 ? index + 1 : index - n;
            xMapping.Map(xValues.Data() + low, n, xs);
            yMapping.Map(yValues.Data() + low, n, ys);
            for (int32_t j = 0; j < n; ++j) {
                const int32_t k = step > 0 ? j : n - 1 - j;
                index += step;
                color = colorOf(index);
                x = xs[k];
                y = ys[k];
                if (prevColor == clNone) {
                    prevX = x;
                    prevY = y;
                }
                lastDrew = false;
                if (color == clNone) {
                    flush();
                    run.open = false;
                } else if (x == prevX && y == prevY) {
                    if (!run.open) {
                        openAt(x, y);
                    }
                } else {
                    const TColor segmentColor = eachLine ? color : seriesColor;
                    lastDrew = true;
                    if (x == prevX) {
                        // Up or down inside the column: extend the chain.
                        if (run.segments && run.color != segmentColor) {
                            flush();
                        }
                        if (!run.segments) {
                            run.color = segmentColor;
                        }
                        run.loBefore = run.lo;
                        run.hiBefore = run.hi;
                        run.lo = std::min(run.lo, y);
                        run.hi = std::max(run.hi, y);
                        run.lastY = y;
                        run.segments = true;
                    } else {
                        flush();
                        select(segmentColor);
                        canvas.Line(prevX, prevY, x, y);
                        openAt(x, y);
                    }
                }
                prevX = x;
                prevY = y;
                prevColor = color;
            }
        }
        flush();
    }

    // Leave the canvas as the plain walk leaves it.
    if (!lastDrew && canvas.Pen().Color() != clBlack) {
        canvas.Pen().SetColor(clBlack);
    }
    canvas.Brush().SetColor(color);
    FPrevX = prevX;
    FPrevY = prevY;
    FPrevColor = prevColor;
}

bool TCustomSeries::OnSegment(int32_t px, int32_t py, int32_t ax, int32_t ay, int32_t bx,
                              int32_t by) const
{
    const int64_t dx = static_cast<int64_t>(bx) - ax;
    const int64_t dy = static_cast<int64_t>(by) - ay;
    const int64_t cross =
        dy * (static_cast<int64_t>(px) - ax) - (static_cast<int64_t>(py) - ay) * dx;
    if (std::llabs(cross) >= std::max(std::llabs(dx), std::llabs(dy))) {
        return false;
    }
    return px >= std::min(ax, bx) && px <= std::max(ax, bx) && py >= std::min(ay, by) &&
           py <= std::max(ay, by);
}

int32_t TCustomSeries::PointAtPixel(int32_t x, int32_t y) const
{
    const int32_t first = FirstVisibleIndex();
    const int32_t last = LastVisibleIndex();
    if (first < 0 || last < 0) {
        return -1;
    }
    auto& self = const_cast<TCustomSeries&>(*this); // OnGetPointerStyle takes a mutable sender
    int32_t prevX = 0;
    int32_t prevY = 0;
    for (int32_t i = first; i <= last && i < Count(); ++i) {
        const int32_t px = PointPixelX(i);
        const int32_t py = PointPixelY(i);
        if (FPointer.Visible() && self.PointerStyleOf(i) != psNothing &&
            std::llabs(static_cast<int64_t>(x) - px) < FPointer.HorizSize() &&
            std::llabs(static_cast<int64_t>(y) - py) < FPointer.VertSize()) {
            return i;
        }
        if (x == px && y == py) {
            return i;
        }
        if (FClickableLine && i > first) {
            bool on;
            if (!FStairs) {
                on = OnSegment(x, y, prevX, prevY, px, py);
            } else if (FInvertedStairs) {
                on = OnSegment(x, y, prevX, prevY, prevX, py) || OnSegment(x, y, prevX, py, px, py);
            } else {
                on = OnSegment(x, y, prevX, prevY, px, prevY) || OnSegment(x, y, px, prevY, px, py);
            }
            if (on) {
                return i - 1;
            }
        }
        prevX = px;
        prevY = py;
    }
    return -1;
}
