#include "chart/SeriesUncoveredWalk.h"

#include "chart/ChartAxis.h"

#include <algorithm>
#include <cstdlib>

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

TSegmentFootprints& TUncoveredWalkCache::SegmentFootprintsOf(const TChartPen& pen, bool stairs,
                                                             bool invertedStairs)
{
    const TPenShape shape = ShapeOf(pen);
    for (auto& table : FTables) {
        if (table->Pen == shape && table->ExtendedPens == ExtendedPensSupported &&
            table->Stairs == stairs && table->InvertedStairs == invertedStairs) {
            return *table;
        }
    }
    constexpr size_t MaxTables = 8;
    if (FTables.size() >= MaxTables) {
        FTables.erase(FTables.begin());
    }
    auto table = std::make_unique<TSegmentFootprints>();
    table->Pen = shape;
    table->ExtendedPens = ExtendedPensSupported;
    table->Stairs = stairs;
    table->InvertedStairs = invertedStairs;
    FTables.push_back(std::move(table));
    return *FTables.back();
}

TUncoveredItemWalk::TUncoveredItemWalk(TCustomSeries& series, TUncoveredWalkCache& cache)
    : FSeries(series), FCache(cache), FCanvas(*series.FPass.Canvas), FPen(*series.FPass.Pen),
      FStep(series.FPass.LastDrawn >= series.FPass.FirstDrawn ? 1 : -1),
      FCount(std::abs(series.FPass.LastDrawn - series.FPass.FirstDrawn) + 1),
      FLow(std::min(series.FPass.FirstDrawn, series.FPass.LastDrawn)),
      FXMap(series.FPass.HorizAxis->Mapping()), FYMap(series.FPass.VertAxis->Mapping())
{
}

// Each item is opaque and selects its own pen and brush, so the last item that sets a pixel
// decides its value alone: an item none of whose pixels is the last one set there leaves no trace
// in the picture. Walking the items from the last one back while collecting the pixels they set
// finds those items. Their pixels are traced once per pen and pointer shape on a scratch bitmap;
// segments too long to trace are always drawn. The last segment and the last pointer are always
// drawn, and so is every step from the last pointer on, so that the canvas is left as the plain
// walk leaves it.
bool TUncoveredItemWalk::Run()
{
    const TSeriesPointer& pointer = FSeries.FPointer;
    const int32_t h = pointer.HorizSize();
    const int32_t v = pointer.VertSize();
    // Pixels beyond this margin around the plot count as never drawn over.
    const int32_t margin = std::max(h, v) + pointer.Pen().Width() + FPen.Width() + 4;
    const TRect& plot = FSeries.FPass.PlotRect;
    const int64_t areaWidth = int64_t{plot.Right} - plot.Left + 2 * int64_t{margin};
    const int64_t areaHeight = int64_t{plot.Bottom} - plot.Top + 2 * int64_t{margin};
    constexpr int64_t MaxArea = 16384;
    if (areaWidth <= 0 || areaHeight <= 0 || areaWidth > MaxArea || areaHeight > MaxArea) {
        return false;
    }
    const TSeriesPointerStyle style = pointer.Style();
    const int32_t pointerPad = pointer.Pen().Width() + 4;
    FPointer = FTracer.Trace(
        2 * (h + pointerPad) + 1, 2 * (v + pointerPad) + 1, h + pointerPad, v + pointerPad,
        [&](TChartCanvas& c, int32_t x, int32_t y) { pointer.Draw(c, x, y, TraceColor, style); });
    if (!FPointer) {
        return false;
    }

    // Pixels and colours of all points, in index order.
    const int32_t low = FLow;
    FArrays.emplace(FCache.SpareArrays, static_cast<size_t>(FCount));
    FXs = FArrays->Xs();
    FYs = FArrays->Ys();
    FColors = FArrays->Colors();
    FDrawn = FArrays->Drawn();
    FXMap.Map(FSeries.XValues().Data() + low, FCount, FXs);
    FYMap.Map(FSeries.YValues().Data() + low, FCount, FYs);
    for (int32_t k = 0; k < FCount; ++k) {
        FColors[static_cast<size_t>(k)] = FSeries.PassColorOf(low + k);
    }

    FCover.emplace(TRect{plot.Left - margin, plot.Top - margin,
                         static_cast<int32_t>(plot.Left - margin + areaWidth),
                         static_cast<int32_t>(plot.Top - margin + areaHeight)});
    FSegments = &FCache.SegmentFootprintsOf(FPen, FSeries.FStairs, FSeries.FInvertedStairs);
    FSegmentPad = FPen.Width() + 4;
    MarkBackward();
    DrawForward();
    return true;
}

// Back from the last item: step q draws the segment into point q, then the pointer of point
// q - 1 (and, for the last point, its own pointer).
void TUncoveredItemWalk::MarkBackward()
{
    // Blocks are passed over only where every point has the pass' series colour (no gaps, no
    // colour changes) and both axes keep the order of the values.
    if (FSeries.FPass.OneColor && FSeries.FPass.SeriesColor != clNone && FXMap.KeepsOrder() &&
        FYMap.KeepsOrder()) {
        FXRuns = &FSeries.XValues().Summary();
        FYRuns = &FSeries.YValues().Summary();
    }
    for (int32_t q = FCount - 1; q >= 1; --q) {
        if (q == FCount - 1) {
            PointerItem(q, q);
        } else if (FXRuns != nullptr && FPointerSeen && FSegmentSeen) {
            if (const int32_t first = CoveredBlock(q); first >= 0) {
                q = first + 1; // steps first + 1 .. q are covered
                continue;
            }
        }
        PointerItem(q - 1, q);
        SegmentItem(q);
    }
}

// A block of 64 points on one pixel column (from the value lists' summaries): its inner steps
// draw pointers on that column at rows between its lowest and highest, and vertical segments
// between such rows. When later items cover every pixel any of those can set, the steps are
// passed over at once.
int32_t TUncoveredItemWalk::CoveredBlock(int32_t q)
{
    const int32_t index = FLow + static_cast<int32_t>(At(q));
    constexpr int32_t Size = TValueSummary::BlockSize;
    const bool blockEnd = FStep > 0 ? (index & (Size - 1)) == Size - 1 : (index & (Size - 1)) == 0;
    if (!blockEnd || q < Size - 1) {
        return -1;
    }
    const TValueSummary::TRange& xr = FXRuns->Block(index >> TValueSummary::BlockShift);
    const TValueSummary::TRange& yr = FYRuns->Block(index >> TValueSummary::BlockShift);
    if (!xr.Usable() || !yr.Usable()) {
        return -1;
    }
    const int32_t x = FXMap.ValueToPixel(xr.Low);
    if (FXMap.ValueToPixel(xr.High) != x) {
        return -1;
    }
    const int32_t a = FYMap.ValueToPixel(yr.Low);
    const int32_t b = FYMap.ValueToPixel(yr.High);
    const int32_t top = std::min(a, b);
    const int32_t rows = std::max(a, b) - top;
    constexpr int32_t MaxRows = 64;
    if (rows > MaxRows || !StretchedCovers(*FPointer, x, top, rows)) {
        return -1;
    }
    for (int32_t dy = -rows; dy <= rows; ++dy) {
        if (dy == 0) {
            continue;
        }
        const int32_t* slot = FSegments->Slot(0, dy);
        if (slot == nullptr || *slot < 0) {
            return -1; // not traced (yet): the steps are walked one by one
        }
        // Segments of this extent start at rows from..from + span.
        const int32_t from = std::max(top, top - dy);
        const int32_t span = std::min(top + rows, top + rows - dy) - from;
        if (!StretchedCovers(FSegments->Footprints[static_cast<size_t>(*slot)], x, from, span)) {
            return -1;
        }
    }
    return q - (Size - 1);
}

bool TUncoveredItemWalk::StretchedCovers(const TFootprint& footprint, int32_t x, int32_t y,
                                         int32_t rows)
{
    FStretched.Runs.clear();
    for (const TColumnRun& run : footprint.Runs) {
        FStretched.Add({run.Dx, run.Y0, run.Y1 + rows});
    }
    return FCover->Covers(FStretched, x, y);
}

void TUncoveredItemWalk::PointerItem(int32_t q, int32_t inStep)
{
    const size_t k = At(q);
    if (FColors[k] == clNone) {
        return;
    }
    const int32_t x = FXs[k];
    const int32_t y = FYs[k];
    if (!FPointerSeen) {
        FPointerSeen = true;
        FTailStep = inStep;
    } else if ((x == FLastPointerX && y == FLastPointerY) || FCover->Covers(*FPointer, x, y)) {
        // The same pointer lies on this spot later on, or later items cover it.
        return;
    }
    FLastPointerX = x;
    FLastPointerY = y;
    FDrawn[k] |= PointerDrawn;
    FCover->Add(*FPointer, x, y);
}

void TUncoveredItemWalk::SegmentItem(int32_t q)
{
    const size_t k = At(q);
    const size_t kp = At(q - 1);
    if (FColors[k] == clNone || FColors[kp] == clNone || (FXs[k] == FXs[kp] && FYs[k] == FYs[kp])) {
        return;
    }
    const int32_t x0 = FXs[kp];
    const int32_t y0 = FYs[kp];
    const int64_t dx = int64_t{FXs[k]} - x0;
    const int64_t dy = int64_t{FYs[k]} - y0;
    const TFootprint* footprint = SegmentFootprint(x0, y0, dx, dy, FXs[k], FYs[k]);
    if (FSegmentSeen && footprint != nullptr && FCover->Covers(*footprint, x0, y0)) {
        return;
    }
    FSegmentSeen = true;
    FDrawn[k] |= SegmentDrawn;
    if (footprint != nullptr) {
        FCover->Add(*footprint, x0, y0);
    }
}

const TFootprint* TUncoveredItemWalk::SegmentFootprint(int32_t x0, int32_t y0, int64_t dx,
                                                       int64_t dy, int32_t x1, int32_t y1)
{
    int32_t* slot =
        std::abs(dx) <= TSegmentFootprints::MaxDx && std::abs(dy) <= TSegmentFootprints::MaxDy
            ? FSegments->Slot(static_cast<int32_t>(dx), static_cast<int32_t>(dy))
            : nullptr;
    if (slot == nullptr) {
        return nullptr;
    }
    // A shape not seen yet is traced when the segment may well be covered: both its ends are.
    if (*slot == TSegmentFootprints::Untraced && FTraceBudget > 0 && FSegmentSeen &&
        FCover->Covers(x0, y0) && FCover->Covers(x1, y1)) {
        --FTraceBudget;
        const bool stairs = FSeries.FStairs;
        const bool invertedStairs = FSeries.FInvertedStairs;
        const int32_t ax = FSegmentPad + static_cast<int32_t>(std::max<int64_t>(0, -dx));
        const int32_t ay = FSegmentPad + static_cast<int32_t>(std::max<int64_t>(0, -dy));
        const auto traced = FTracer.Trace(
            static_cast<int32_t>(std::abs(dx)) + 2 * FSegmentPad + 1,
            static_cast<int32_t>(std::abs(dy)) + 2 * FSegmentPad + 1, ax, ay,
            [&](TChartCanvas& c, int32_t x, int32_t y) {
                StrokeSegment(c, FPen, TraceColor, stairs, invertedStairs, x, y,
                              x + static_cast<int32_t>(dx), y + static_cast<int32_t>(dy));
            });
        if (traced) {
            *slot = static_cast<int32_t>(FSegments->Footprints.size());
            FSegments->Footprints.push_back(*traced);
        } else {
            *slot = TSegmentFootprints::Unknown;
        }
    }
    return *slot >= 0 ? &FSegments->Footprints[static_cast<size_t>(*slot)] : nullptr;
}

void TUncoveredItemWalk::DrawForward()
{
    int32_t index = FSeries.FPass.FirstDrawn;
    TColor color = FColors[At(0)];
    if (FCanvas.Pen().Color() != clBlack) {
        FCanvas.Pen().SetColor(clBlack);
    }
    FCanvas.Brush().SetColor(color);
    FSeries.StartAtFirstIndex(index, FXs[At(0)], FYs[At(0)], color);
    for (int32_t q = 1; q < FCount; ++q) {
        index += FStep;
        const size_t k = At(q);
        const size_t kp = At(q - 1);
        const bool segment = (FDrawn[k] & SegmentDrawn) != 0;
        const bool previousPointer = (FDrawn[kp] & PointerDrawn) != 0;
        if (!segment && !previousPointer && q < FTailStep) {
            continue;
        }
        color = FColors[k];
        if (FCanvas.Pen().Color() != clBlack) {
            FCanvas.Pen().SetColor(clBlack);
        }
        FCanvas.Brush().SetColor(color);
        if (segment) {
            FSeries.FPrevX = FXs[kp];
            FSeries.FPrevY = FYs[kp];
            FSeries.DrawSegment(FXs[k], FYs[k], color);
        }
        if (previousPointer) {
            FSeries.DrawMarker(FXs[kp], FYs[kp], index - FStep, FColors[kp]);
        }
        if (q == FCount - 1 && color != clNone) {
            FSeries.DrawMarker(FXs[k], FYs[k], index, color);
        }
    }
    FSeries.FPrevX = FXs[At(FCount - 1)];
    FSeries.FPrevY = FYs[At(FCount - 1)];
    FSeries.FPrevColor = FColors[At(FCount - 1)];
}
