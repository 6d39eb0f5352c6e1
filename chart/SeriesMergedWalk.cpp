#include "chart/SeriesMergedWalk.h"

#include "chart/ChartAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The end pixel rule for a chain of one-pixel vertical segments in one column: the chain covers
// rows lowBefore..highBefore up to its last point and then reaches row last. Segments leave out
// their end pixel, so row last is set only when an earlier segment passed over it; the rows set
// are low..high.
void EndPixelSpan(int32_t lowBefore, int32_t highBefore, int32_t last, int32_t& low, int32_t& high)
{
    low = last < lowBefore ? last + 1 : lowBefore;
    high = last > highBefore ? last - 1 : highBefore;
}

// Folds count values into lowest and highest (values that are not a number only set nan).
void ValueExtent(const double* values, int32_t count, double& lowest, double& highest, bool& nan)
{
    double lo = lowest;
    double hi = highest;
    int32_t k = 0;
#if defined(__SSE2__)
    // Two values at a time: min(v, lo) is v < lo ? v : lo, as below, not-a-number included.
    __m128d lo2 = _mm_set1_pd(lo);
    __m128d hi2 = _mm_set1_pd(hi);
    __m128d unordered = _mm_setzero_pd();
    for (; k + 2 <= count; k += 2) {
        const __m128d v = _mm_loadu_pd(values + k);
        lo2 = _mm_min_pd(v, lo2);
        hi2 = _mm_max_pd(v, hi2);
        unordered = _mm_or_pd(unordered, _mm_cmpunord_pd(v, v));
    }
    double los[2];
    double his[2];
    _mm_storeu_pd(los, lo2);
    _mm_storeu_pd(his, hi2);
    lo = std::min(los[0], los[1]);
    hi = std::max(his[0], his[1]);
    nan = nan || _mm_movemask_pd(unordered) != 0;
#endif
    for (; k < count; ++k) {
        const double v = values[k];
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
        nan = nan || std::isnan(v);
    }
    lowest = lo;
    highest = hi;
}

} // namespace

TMergedColumnWalk::TMergedColumnWalk(TCustomSeries& series)
    : FSeries(series), FCanvas(*series.FPass.Canvas), FPen(*series.FPass.Pen),
      FHoriz(series.FPass.HorizAxis->Mapping()), FVert(series.FPass.VertAxis->Mapping()),
      FXValues(series.XValues().Data()), FYValues(series.YValues().Data()), FWide(FPen.Width() > 1),
      FEachLine(series.FColorEachLine), FSeriesColor(series.FPass.SeriesColor),
      FStep(series.FPass.LastDrawn >= series.FPass.FirstDrawn ? 1 : -1),
      FLastDrawn(series.FPass.LastDrawn)
{
}

void TMergedColumnWalk::Run()
{
    // The first point exactly as the plain walk draws it (the segment from the plot's edge).
    FIndex = FSeries.FPass.FirstDrawn;
    FColor = FSeries.PassColorOf(FIndex);
    if (FCanvas.Pen().Color() != clBlack) {
        FCanvas.Pen().SetColor(clBlack);
    }
    FCanvas.Brush().SetColor(FColor);
    const int32_t x = FHoriz.ValueToPixel(FSeries.XValue(FIndex));
    const int32_t y = FVert.ValueToPixel(FSeries.YValue(FIndex));
    if (FSeries.StartAtFirstIndex(FIndex, x, y, FColor)) {
        // The segment from the plot's edge was drawn: the pen is selected.
        FSelected = true;
        FSelectedColor = FEachLine ? FColor : FSeriesColor;
        FDrewAny = true;
        FLastDrew = true;
    }
    FPrevX = x;
    FPrevY = y;
    FPrevColor = FColor;
    if (FSeries.FPass.OneColor && FColor != clNone) {
        WalkOneColor();
    } else {
        if (FColor != clNone) {
            OpenRun(x, y);
        }
        WalkMixed();
    }

    // Leave the canvas as the plain walk leaves it.
    if (!FLastDrew && FCanvas.Pen().Color() != clBlack) {
        FCanvas.Pen().SetColor(clBlack);
    }
    FCanvas.Brush().SetColor(FColor);
    FSeries.FPrevX = FPrevX;
    FSeries.FPrevY = FPrevY;
    FSeries.FPrevColor = FPrevColor;
}

void TMergedColumnWalk::Select(TColor color)
{
    if (!FSelected || FSelectedColor != color) {
        if (!FDrewAny) {
            FCanvas.Brush().SetStyle(bsClear);
            FDrewAny = true;
        }
        FCanvas.SelectPenColor(FPen, color);
        FSelected = true;
        FSelectedColor = color;
    }
}

int32_t TMergedColumnWalk::MapBlock(int32_t index, int32_t n)
{
    // The block holds indices low..low+n-1, walked upwards or downwards.
    const int32_t low = FStep > 0 ? index + 1 : index - n;
    FHoriz.Map(FXValues + low, n, FXs);
    FVert.Map(FYValues + low, n, FYs);
    return low;
}

// One colour and no gaps: every change of pixel draws. Inside a column only the span matters;
// the line into the next column starts at the column's last point and so sets that pixel anyway,
// which makes the span exact also for one-pixel lines. Only the last column needs the end pixel
// rule (DrawLastColumn).
void TMergedColumnWalk::WalkOneColor()
{
    const TColor segmentColor = FEachLine ? FColor : FSeriesColor;
    TColumnWalk walk(FSeries.XValues(), FSeries.YValues(), FHoriz, FVert, FIndex, FLastDrawn);
    TPixelColumn column;
    walk.Next(column); // the column of the first point
    TPixelColumn next;
    while (walk.Next(next)) {
        if (column.Low < column.High) {
            Select(segmentColor);
            FCanvas.Line(column.X, column.Low, column.X, FWide ? column.High : column.High + 1);
        }
        Select(segmentColor);
        FCanvas.Line(column.X, column.LastY, next.X, next.FirstY);
        column = next;
    }
    if (column.Low < column.High) {
        DrawLastColumn(column, segmentColor);
    }
    if (FLastDrawn != FSeries.FPass.FirstDrawn) {
        const int32_t before = FLastDrawn - FStep;
        FLastDrew = column.X != FHoriz.ValueToPixel(FSeries.XValue(before)) ||
                    column.LastY != FVert.ValueToPixel(FSeries.YValue(before));
    }
    FPrevX = column.X;
    FPrevY = column.LastY;
}

// The last column: one-pixel segments leave out their end pixel, so its last point's pixel is
// set only when an earlier segment of the column passed over it. The column's points are walked
// again to find the span without the last point.
void TMergedColumnWalk::DrawLastColumn(const TPixelColumn& column, TColor color)
{
    int32_t low = column.Low;
    int32_t high = column.High;
    if (!FWide) {
        int32_t last = FVert.ValueToPixel(FSeries.YValue(column.FirstIndex));
        low = last;
        high = last;
        int32_t lowBefore = last;
        int32_t highBefore = last;
        for (int32_t i = column.FirstIndex; i != FLastDrawn;) {
            i += FStep;
            const int32_t y = FVert.ValueToPixel(FSeries.YValue(i));
            if (y != last) {
                lowBefore = low;
                highBefore = high;
                low = std::min(low, y);
                high = std::max(high, y);
                last = y;
            }
        }
        EndPixelSpan(lowBefore, highBefore, last, low, high);
    }
    Select(color);
    FCanvas.Line(column.X, low, column.X, FWide ? high : high + 1);
}

// Colours per point or gaps: the segments are drawn as the plain walk draws them, apart from
// chains of vertical segments in one column, which become one line.
void TMergedColumnWalk::WalkMixed()
{
    while (FIndex != FLastDrawn) {
        const int32_t n = std::min(std::abs(FLastDrawn - FIndex), BlockSize);
        MapBlock(FIndex, n);
        for (int32_t j = 0; j < n; ++j) {
            const int32_t k = FStep > 0 ? j : n - 1 - j;
            FIndex += FStep;
            FColor = FSeries.PassColorOf(FIndex);
            const int32_t x = FXs[k];
            const int32_t y = FYs[k];
            if (FPrevColor == clNone) {
                FPrevX = x;
                FPrevY = y;
            }
            FLastDrew = false;
            if (FColor == clNone) {
                FlushRun();
                FRun.Open = false;
            } else if (x == FPrevX && y == FPrevY) {
                if (!FRun.Open) {
                    OpenRun(x, y);
                }
            } else {
                const TColor segmentColor = FEachLine ? FColor : FSeriesColor;
                FLastDrew = true;
                if (x == FPrevX) {
                    // Up or down inside the column: extend the chain.
                    if (FRun.Segments && FRun.Color != segmentColor) {
                        FlushRun();
                    }
                    if (!FRun.Segments) {
                        FRun.Color = segmentColor;
                    }
                    FRun.LowBefore = FRun.Low;
                    FRun.HighBefore = FRun.High;
                    FRun.Low = std::min(FRun.Low, y);
                    FRun.High = std::max(FRun.High, y);
                    FRun.LastY = y;
                    FRun.Segments = true;
                } else {
                    FlushRun();
                    Select(segmentColor);
                    FCanvas.Line(FPrevX, FPrevY, x, y);
                    OpenRun(x, y);
                }
            }
            FPrevX = x;
            FPrevY = y;
            FPrevColor = FColor;
        }
    }
    FlushRun();
}

void TMergedColumnWalk::OpenRun(int32_t x, int32_t y)
{
    FRun.Open = true;
    FRun.Segments = false;
    FRun.X = x;
    FRun.LastY = y;
    FRun.Low = y;
    FRun.High = y;
}

void TMergedColumnWalk::FlushRun()
{
    if (!FRun.Open || !FRun.Segments) {
        return;
    }
    Select(FRun.Color);
    if (FWide) {
        // A wide pen covers the whole chain with its ends around the extreme points.
        FCanvas.Line(FRun.X, FRun.Low, FRun.X, FRun.High);
    } else {
        int32_t low = 0;
        int32_t high = 0;
        EndPixelSpan(FRun.LowBefore, FRun.HighBefore, FRun.LastY, low, high);
        FCanvas.Line(FRun.X, low, FRun.X, high + 1);
    }
    FRun.Segments = false;
    FRun.Low = FRun.LastY;
    FRun.High = FRun.LastY;
}

TColumnWalk::TColumnWalk(const TChartValueList& xs, const TChartValueList& ys,
                         const TAxisMapping& horiz, const TAxisMapping& vert, int32_t from,
                         int32_t to)
    : FXs(xs), FYs(ys), FXMap(horiz), FYMap(vert), FStep(to >= from ? 1 : -1), FTo(to),
      FIndex(from), FSummaries(FXMap.KeepsOrder() && FYMap.KeepsOrder()),
      FSorted(FSummaries && xs.Order() != loNone && xs.InOrder())
{
}

// Sorted X values and a mapping that keeps their order: the pixel columns run monotonically
// along the indices, so every column is one stretch of indices.
bool TColumnWalk::NextSorted(TPixelColumn& column)
{
    if (FStep > 0 ? FIndex > FTo : FIndex < FTo) {
        return false;
    }
    const int32_t first = FIndex;
    const int32_t x = FXMap.ValueToPixel(FXs.Values(first));
    const int32_t last = ColumnEnd(first, x);
    double lowest = 0;
    double highest = 0;
    bool nan = false;
    YExtent(std::min(first, last), std::max(first, last), lowest, highest, nan);
    // The Y mapping keeps the order, so the pixels of the lowest and the highest value bound
    // those of all others (and are the pixels of two of the points); a value that is not a
    // number maps to the negative pixel limit.
    int32_t low = 0;
    int32_t high = 0;
    if (lowest <= highest) {
        const int32_t a = FYMap.ValueToPixel(lowest);
        const int32_t b = FYMap.ValueToPixel(highest);
        low = std::min(a, b);
        high = std::max(a, b);
        if (nan) {
            low = -AxisPixelLimit;
        }
    } else {
        low = high = -AxisPixelLimit; // no value is a number
    }
    column.X = x;
    column.FirstY = FYMap.ValueToPixel(FYs.Values(first));
    column.LastY = FYMap.ValueToPixel(FYs.Values(last));
    column.Low = low;
    column.High = high;
    column.FirstIndex = first;
    column.LastIndex = last;
    FIndex = last + FStep;
    return true;
}

int32_t TColumnWalk::ColumnEnd(int32_t index, int32_t x)
{
    // Columns of evenly spaced points are about as long as the one before: the search starts
    // at that length and widens its strides from there, doubling, in the direction the first
    // probe points to; then it halves between the last index known on the column and the
    // first known off it.
    const double* values = FXs.Data();
    const auto onColumn = [&](int32_t i) { return FXMap.ValueToPixel(values[i]) == x; };
    const int32_t room = (FTo - index) * FStep;
    int32_t on = index;
    int32_t off = 0;
    const int32_t guess = index + FStep * std::clamp(FLastLength - 1, 0, room);
    int32_t stride = 1;
    if (guess == index || onColumn(guess)) {
        on = guess;
        while (true) {
            const int32_t remaining = (FTo - on) * FStep;
            if (remaining == 0) {
                FLastLength = (on - index) * FStep + 1;
                return on;
            }
            const int32_t probe = on + FStep * std::min(stride, remaining);
            if (!onColumn(probe)) {
                off = probe;
                break;
            }
            on = probe;
            stride = std::min(stride, 1 << 29) * 2;
        }
    } else {
        off = guess;
        while (true) {
            const int32_t probe = off - FStep * std::min(stride, (off - index) * FStep);
            if (probe == index || onColumn(probe)) {
                on = probe;
                break;
            }
            off = probe;
            stride = std::min(stride, 1 << 29) * 2;
        }
    }
    while ((off - on) * FStep > 1) {
        const int32_t middle = on + (off - on) / 2;
        if (FXMap.ValueToPixel(values[middle]) == x) {
            on = middle;
        } else {
            off = middle;
        }
    }
    FLastLength = (on - index) * FStep + 1;
    return on;
}

void TColumnWalk::YExtent(int32_t low, int32_t high, double& lowest, double& highest,
                          bool& nan) const
{
    using TRange = TValueSummary::TRange;
    constexpr int32_t Group = TValueSummary::GroupSize;
    constexpr int32_t Block = TValueSummary::BlockSize;
    const TValueSummary& runs = FYs.Summary();
    const double* values = FYs.Data();
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    bool anyNan = false;
    const auto take = [&](const TRange& run) {
        lo = std::min(lo, run.Low);
        hi = std::max(hi, run.High);
    };
    int32_t i = low;
    while (i <= high) {
        // Whole runs from their summaries where they are usable (no value that is not a
        // number); the others value by value.
        if ((i & (Group - 1)) == 0 && high - i >= Group - 1) {
            const TRange& run = runs.Group(i >> TValueSummary::GroupShift);
            if (run.Usable()) {
                take(run);
                i += Group;
                continue;
            }
        }
        if ((i & (Block - 1)) == 0 && high - i >= Block - 1) {
            const TRange& run = runs.Block(i >> TValueSummary::BlockShift);
            if (run.Usable()) {
                take(run);
                i += Block;
                continue;
            }
        }
        const int32_t end = std::min(high, i | (Block - 1));
        ValueExtent(values + i, end - i + 1, lo, hi, anyNan);
        i = end + 1;
    }
    lowest = lo;
    highest = hi;
    nan = anyNan;
}

void TColumnWalk::Fill()
{
    // The points up to the end of the block of 64 that holds the next one (or up to the last
    // point): a run the summaries did not take is mapped as a whole.
    int32_t low;
    int32_t high;
    if (FStep > 0) {
        low = FIndex;
        high = std::min(FTo, FIndex | (TValueSummary::BlockSize - 1));
    } else {
        low = std::max(FTo, FIndex & ~(TValueSummary::BlockSize - 1));
        high = FIndex;
    }
    FBufferLen = high - low + 1;
    FBufferPos = 0;
    FXMap.Map(FXs.Data() + low, FBufferLen, FBufferX);
    FYMap.Map(FYs.Data() + low, FBufferLen, FBufferY);
    if (FStep < 0) {
        // Kept in walk order.
        std::reverse(FBufferX, FBufferX + FBufferLen);
        std::reverse(FBufferY, FBufferY + FBufferLen);
    }
}

void TColumnWalk::Open(int32_t x, int32_t y, int32_t index)
{
    FColumn = {x, y, y, y, y, index, index};
    FOpen = true;
    FHaveValues = false;
    FLastPending = false;
}

void TColumnWalk::Close(TPixelColumn& column)
{
    if (FHaveValues) {
        const int32_t a = FYMap.ValueToPixel(FLowValue);
        const int32_t b = FYMap.ValueToPixel(FHighValue);
        FColumn.Low = std::min({FColumn.Low, a, b});
        FColumn.High = std::max({FColumn.High, a, b});
    }
    if (FLastPending) {
        FColumn.LastY = FYMap.ValueToPixel(FYs.Values(FColumn.LastIndex));
    }
    column = FColumn;
    FOpen = false;
}

bool TColumnWalk::TakeRun()
{
    const TValueSummary& xs = FXs.Summary();
    const TValueSummary& ys = FYs.Summary();
    for (const int32_t shift : {TValueSummary::GroupShift, TValueSummary::BlockShift}) {
        const int32_t first = FIndex & ~((1 << shift) - 1);
        const int32_t last = first + (1 << shift) - 1;
        // The run must start at the next point in walk order and end within the walk.
        if (FStep > 0 ? (FIndex != first || last > FTo) : (FIndex != last || first < FTo)) {
            continue;
        }
        const int32_t run = FIndex >> shift;
        const bool group = shift == TValueSummary::GroupShift;
        const TValueSummary::TRange& x = group ? xs.Group(run) : xs.Block(run);
        const TValueSummary::TRange& y = group ? ys.Group(run) : ys.Block(run);
        if (!x.Usable() || !y.Usable() || FXMap.ValueToPixel(x.Low) != FColumn.X ||
            FXMap.ValueToPixel(x.High) != FColumn.X) {
            continue;
        }
        if (FHaveValues) {
            FLowValue = std::min(FLowValue, y.Low);
            FHighValue = std::max(FHighValue, y.High);
        } else {
            FLowValue = y.Low;
            FHighValue = y.High;
            FHaveValues = true;
        }
        FColumn.LastIndex = FStep > 0 ? last : first;
        FLastPending = true;
        FIndex = FColumn.LastIndex + FStep;
        return true;
    }
    return false;
}

bool TColumnWalk::Next(TPixelColumn& column)
{
    if (FSorted) {
        return NextSorted(column);
    }
    const auto pastEnd = [this] { return FStep > 0 ? FIndex > FTo : FIndex < FTo; };
    while (true) {
        if (pastEnd()) {
            if (!FOpen) {
                return false;
            }
            Close(column);
            return true;
        }
        if (FBufferPos == FBufferLen) {
            if (FOpen && FSummaries && TakeRun()) {
                continue;
            }
            Fill();
        }
        if (FOpen) {
            // The buffered points on the open column's pixel column join it.
            const int32_t columnX = FColumn.X;
            int32_t low = FColumn.Low;
            int32_t high = FColumn.High;
            int32_t k = FBufferPos;
            while (k < FBufferLen && FBufferX[k] == columnX) {
                low = std::min(low, FBufferY[k]);
                high = std::max(high, FBufferY[k]);
                ++k;
            }
            if (k != FBufferPos) {
                FColumn.Low = low;
                FColumn.High = high;
                FColumn.LastY = FBufferY[k - 1];
                FIndex += FStep * (k - FBufferPos);
                FColumn.LastIndex = FIndex - FStep;
                FLastPending = false;
                FBufferPos = k;
            }
            if (k == FBufferLen) {
                continue;
            }
        }
        // A point on another pixel column: it opens the next column.
        const int32_t x = FBufferX[FBufferPos];
        const int32_t y = FBufferY[FBufferPos];
        const int32_t index = FIndex;
        ++FBufferPos;
        FIndex += FStep;
        if (!FOpen) {
            Open(x, y, index);
            continue;
        }
        Close(column);
        Open(x, y, index);
        return true;
    }
}
