#include "chart/ColumnWalk.h"

#include <algorithm>

TColumnWalk::TColumnWalk(const TChartValueList& xs, const TChartValueList& ys,
                         const TChartAxis& horiz, const TChartAxis& vert, int32_t from, int32_t to)
    : FXs(xs), FYs(ys), FXMap(horiz.Mapping()), FYMap(vert.Mapping()), FStep(to >= from ? 1 : -1),
      FTo(to), FIndex(from), FSummaries(FXMap.KeepsOrder() && FYMap.KeepsOrder())
{
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
