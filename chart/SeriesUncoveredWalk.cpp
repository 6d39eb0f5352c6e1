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
                                                             bool invertedStairs, double ratio)
{
    const TPenShape shape = ShapeOf(pen);
    for (auto& table : FTables) {
        if (table->Pen == shape && table->ExtendedPens == ExtendedPensSupported &&
            table->Stairs == stairs && table->InvertedStairs == invertedStairs &&
            table->Ratio == ratio) {
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
    table->Ratio = ratio;
    FTables.push_back(std::move(table));
    return *FTables.back();
}

TUncoveredItemWalk::TUncoveredItemWalk(TCustomSeries& series, TUncoveredWalkCache& cache)
    : FSeries(series), FCache(cache), FCanvas(*series.FPass.Canvas), FPen(*series.FPass.Pen),
      FStep(series.FPass.LastDrawn >= series.FPass.FirstDrawn ? 1 : -1),
      FCount(std::abs(series.FPass.LastDrawn - series.FPass.FirstDrawn) + 1),
      FLow(std::min(series.FPass.FirstDrawn, series.FPass.LastDrawn)),
      FXMap(series.FPass.HorizAxis->Mapping()), FYMap(series.FPass.VertAxis->Mapping()),
      FRatio(series.FPass.Canvas->Surface() != nullptr ? series.FPass.Canvas->Surface()->Ratio()
                                                       : 1.0),
      FPeriod(std::max(1, RatioPeriod(FRatio, MaxRatioPeriod))), FTracer(FRatio, FPeriod)
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

    FCover.emplace(TRect{plot.Left - margin, plot.Top - margin,
                         static_cast<int32_t>(plot.Left - margin + areaWidth),
                         static_cast<int32_t>(plot.Top - margin + areaHeight)},
                   FPeriod > 1);
    if (FPeriod > 1) {
        FAnchors.emplace(FCover->Area(), false);
    }
    FSegments = &FCache.SegmentFootprintsOf(FPen, FSeries.FStairs, FSeries.FInvertedStairs, FRatio);
    FSegmentPad = FPen.Width() + 4;
    MarkBackward();
    DrawForward();
    return true;
}

TUncoveredItemWalk::TWalkPoint TUncoveredItemWalk::PointAt(int32_t q)
{
    const int32_t index = IndexOf(q);
    const TMappedBlock& block = MappedRun(index);
    const auto k = static_cast<size_t>(index - block.First);
    return {block.Xs[k], block.Ys[k], block.Colors[k]};
}

const TUncoveredItemWalk::TMappedBlock& TUncoveredItemWalk::MappedRun(int32_t index)
{
    for (const TMappedBlock& block : FBlocks) {
        if (block.First >= 0 && index >= block.First && index < block.First + block.Count) {
            return block;
        }
    }
    // The run of 8 that holds index (as far as it lies in the pass) replaces the one mapped
    // earlier: the walk needs at most two neighbouring runs at a time.
    constexpr int32_t Size = TMappedBlock::Size;
    TMappedBlock& block = FBlocks[FNextBlock];
    FNextBlock ^= 1;
    block.First = std::max(FLow, index & ~(Size - 1));
    block.Count = std::min(FLow + FCount - 1, index | (Size - 1)) - block.First + 1;
    const double* xs = FSeries.XValues().Data();
    const double* ys = FSeries.YValues().Data();
    // The walk goes on to the runs before this one in drawing order, reading them from memory
    // that is rarely cached at a week of points: ask for them now so that they arrive while this
    // run is being checked. Their X values are rarely read (see BlockColumn).
    for (int32_t ahead = 1; ahead <= PrefetchRuns; ++ahead) {
        const int64_t next = int64_t{block.First} - int64_t{FStep} * Size * ahead;
        if (next < FLow || next >= int64_t{FLow} + FCount) {
            break;
        }
        if (FXRuns == nullptr) {
            __builtin_prefetch(xs + next);
            __builtin_prefetch(xs + next + Size - 1);
        }
        __builtin_prefetch(ys + next);
        __builtin_prefetch(ys + next + Size - 1);
    }
    if (const std::optional<int32_t> column = BlockColumn(block.First)) {
        std::fill_n(block.Xs, block.Count, *column);
    } else {
        FXMap.Map(xs + block.First, block.Count, block.Xs);
    }
    FYMap.Map(ys + block.First, block.Count, block.Ys);
    for (int32_t k = 0; k < block.Count; ++k) {
        block.Colors[k] = FSeries.PassColorOf(block.First + k);
    }
    return block;
}

std::optional<int32_t> TUncoveredItemWalk::BlockColumn(int32_t index) const
{
    if (FXRuns == nullptr) {
        return std::nullopt;
    }
    const TValueSummary::TRange& xr = FXRuns->Block(index >> TValueSummary::BlockShift);
    if (!xr.Usable()) {
        return std::nullopt;
    }
    const int32_t column = FXMap.ValueToPixel(xr.Low);
    if (FXMap.ValueToPixel(xr.High) != column) {
        return std::nullopt;
    }
    return column;
}

// Back from the last item: step q draws the segment into point q, then the pointer of point
// q - 1 (and, for the last point, its own pointer). The steps that draw are kept for the forward
// pass, and so is every step from the last pointer on (they leave the canvas as the plain walk
// does).
void TUncoveredItemWalk::MarkBackward()
{
    // Runs are taken from the value lists' summaries only where every point has the pass'
    // series colour (no gaps, no colour changes) and both axes keep the order of the values.
    if (FSeries.FPass.OneColor && FSeries.FPass.SeriesColor != clNone && FXMap.KeepsOrder() &&
        FYMap.KeepsOrder()) {
        FXRuns = &FSeries.XValues().Summary();
        FYRuns = &FSeries.YValues().Summary();
        FXInOrder = FSeries.XValues().Order() != loNone && FSeries.XValues().InOrder();
    }
    const TWalkPoint last = PointAt(FCount - 1);
    PointerItem(FCount - 1, last); // the last point's own pointer
    // The rows of the run passed over last, while its first point is point q: the step into it
    // is passed over together with the run before it when both lie on one column and later items
    // cover the rows of both.
    std::optional<TColumnRows> passed;
    for (int32_t q = FCount - 1; q >= 1; --q) {
        if (q != FCount - 1 && FPointerSeen && FSegmentSeen) {
            std::optional<TColumnRows> run;
            if (passed) {
                run = CoveredRun(q - 1, &*passed); // steps run->First + 1 .. q
            }
            if (!run) {
                run = CoveredRun(q, nullptr); // steps run->First + 1 .. q
            }
            passed = run;
            if (run) {
                q = run->First + 1;
                continue;
            }
        }
        const TWalkPoint to = PointAt(q);
        const TWalkPoint from = PointAt(q - 1);
        uint8_t flags = 0;
        if (PointerItem(q, from)) {
            flags |= PointerDrawn;
        }
        if (SegmentItem(from, to)) {
            flags |= SegmentDrawn;
        }
        // Before the last pointer is found, FTailStep is 0.
        if (flags != 0 || q >= FTailStep) {
            FSteps.push_back({q, flags, to.X, to.Y, from.X, from.Y, to.Color, from.Color});
        }
    }
}

// The inner steps of a run of points on one pixel column draw pointers on that column at rows
// between the run's lowest and highest and vertical segments between such rows. Runs of 1024
// and 64 points come from the value lists' summaries (X: both ends map to the column; Y: the
// rows of the lowest and the highest value bound all others), runs of 8 from their mapped
// points. Of a block of 64 that spans two columns, the points on the later column form a run
// whose rows the block's lowest and highest value bound. With joined, the step from the run's last
// point into the run passed over just before (whose first point is q + 1) counts as an inner step
// too: both runs must lie on one column, and the rows of both are checked together.
std::optional<TUncoveredItemWalk::TColumnRows>
TUncoveredItemWalk::CoveredRun(int32_t q, const TColumnRows* joined)
{
    const int32_t index = IndexOf(q);
    const auto endsRun = [&](int32_t size) {
        return q >= size - 1 &&
               (FStep > 0 ? (index & (size - 1)) == size - 1 : (index & (size - 1)) == 0);
    };
    // The run from position first to q on column x at rows a..b (either order), when covered.
    const auto covered = [&](int32_t first, int32_t x, int32_t a,
                             int32_t b) -> std::optional<TColumnRows> {
        TColumnRows rows{first, x, std::min(a, b), std::max(a, b)};
        if (joined != nullptr) {
            if (joined->X != x) {
                return std::nullopt;
            }
            rows.Low = std::min(rows.Low, joined->Low);
            rows.High = std::max(rows.High, joined->High);
        }
        if (!ColumnRowsCovered(x, rows.Low, rows.High)) {
            return std::nullopt;
        }
        return rows;
    };
    if (FXRuns != nullptr) {
        for (const int32_t shift : {TValueSummary::GroupShift, TValueSummary::BlockShift}) {
            if (!endsRun(1 << shift)) {
                continue;
            }
            const bool group = shift == TValueSummary::GroupShift;
            const int32_t run = index >> shift;
            const TValueSummary::TRange& xr = group ? FXRuns->Group(run) : FXRuns->Block(run);
            const TValueSummary::TRange& yr = group ? FYRuns->Group(run) : FYRuns->Block(run);
            if (!xr.Usable() || !yr.Usable()) {
                continue;
            }
            const int32_t first = q - ((1 << shift) - 1);
            const int32_t yLow = FYMap.ValueToPixel(yr.Low);
            const int32_t yHigh = FYMap.ValueToPixel(yr.High);
            const int32_t x = FXMap.ValueToPixel(xr.Low);
            if (FXMap.ValueToPixel(xr.High) == x) {
                if (auto rows = covered(first, x, yLow, yHigh)) {
                    return rows;
                }
            } else if (!group && FXInOrder) {
                // A block across a column boundary: its points on the column of its last point
                // are passed over when the rows of the whole block are covered there.
                const auto [tail, tailX] = ColumnTail(first, q);
                if (tail < q) {
                    if (auto rows = covered(tail, tailX, yLow, yHigh)) {
                        return rows;
                    }
                }
            }
        }
    }
    // The points of q's run of 8 from its first one in drawing order to q, from their pixels,
    // then those of its block of 64 from the block's first one: the block's run holds the run of 8,
    // so it can pass only where the run of 8 passes (or has no points before q).
    const TMappedBlock& run = MappedRun(index);
    const int32_t at = index - run.First;
    const int32_t from = FStep > 0 ? 0 : at;
    const int32_t to = FStep > 0 ? at : run.Count - 1;
    std::optional<TColumnRows> shortRun;
    if (from != to) {
        const int32_t x = run.Xs[at];
        int32_t low = run.Ys[at];
        int32_t high = low;
        for (int32_t k = from; k <= to; ++k) {
            if (run.Xs[k] != x) {
                return std::nullopt;
            }
            low = std::min(low, run.Ys[k]);
            high = std::max(high, run.Ys[k]);
        }
        shortRun = covered(q - (to - from), x, low, high);
        if (!shortRun) {
            return std::nullopt;
        }
    }
    if (FXRuns != nullptr && FXInOrder && !endsRun(TValueSummary::BlockSize)) {
        if (auto rows = CoveredBlockHead(q, covered)) {
            return rows;
        }
    }
    return shortRun;
}

// The points of a block from its first one to q, when they lie on one column: the rows of the
// block's lowest and highest value bound theirs.
template <typename Covered>
std::optional<TUncoveredItemWalk::TColumnRows>
TUncoveredItemWalk::CoveredBlockHead(int32_t q, Covered& covered)
{
    const int32_t index = IndexOf(q);
    const int32_t offset = index & (TValueSummary::BlockSize - 1);
    const int32_t first =
        std::max(0, q - (FStep > 0 ? offset : TValueSummary::BlockSize - 1 - offset));
    if (first == q) {
        return std::nullopt;
    }
    const TValueSummary::TRange& yr = FYRuns->Block(index >> TValueSummary::BlockShift);
    if (!yr.Usable()) {
        return std::nullopt;
    }
    std::optional<int32_t> x = BlockColumn(index);
    if (!x) {
        const double* xs = FSeries.XValues().Data();
        x = FXMap.ValueToPixel(xs[index]);
        if (FXMap.ValueToPixel(xs[IndexOf(first)]) != *x) {
            return std::nullopt;
        }
    }
    return covered(first, *x, FYMap.ValueToPixel(yr.Low), FYMap.ValueToPixel(yr.High));
}

std::pair<int32_t, int32_t> TUncoveredItemWalk::ColumnTail(int32_t first, int32_t last) const
{
    const double* xs = FSeries.XValues().Data();
    const auto column = [&](int32_t q) { return FXMap.ValueToPixel(xs[IndexOf(q)]); };
    const int32_t x = column(last);
    // Columns change monotonically along the positions: those on x are the last ones.
    int32_t low = first;
    int32_t high = last;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (column(middle) == x) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return {high, x};
}

bool TUncoveredItemWalk::ColumnRowsCovered(int32_t x, int32_t low, int32_t high)
{
    // Rows that were found not covered stay so until later items add to the coverage, and so do
    // more rows of the same column.
    if (FFailedVersion == FCoverVersion && x == FFailedX && low <= FFailedLow &&
        high >= FFailedHigh) {
        return false;
    }
    // Later items only ever cover more: rows known covered stay covered, and the rows of the
    // column (the last one checked) known last are tried together with the new ones first.
    if (x == FKnownX && FKnownCount > 0) {
        if (const int32_t k = KnownSlot(x, low, high); k >= 0) {
            std::rotate(FKnown, FKnown + k, FKnown + k + 1);
            return true;
        }
        const int32_t lower = std::min(low, FKnown[0].Low);
        const int32_t higher = std::max(high, FKnown[0].High);
        if (RowsCovered(x, lower, higher)) {
            FKnown[0] = {lower, higher};
            return true;
        }
    }
    if (!RowsCovered(x, low, high)) {
        FFailedVersion = FCoverVersion;
        FFailedX = x;
        FFailedLow = low;
        FFailedHigh = high;
        return false;
    }
    RememberKnown(x, low, high);
    return true;
}

void TUncoveredItemWalk::RememberKnown(int32_t x, int32_t low, int32_t high)
{
    if (x != FKnownX) {
        FKnownX = x;
        FKnownCount = 0;
    }
    FKnownCount = std::min(FKnownCount + 1, KnownSlots);
    std::copy_backward(FKnown, FKnown + FKnownCount - 1, FKnown + FKnownCount);
    FKnown[0] = {low, high};
}

bool TUncoveredItemWalk::KnownCovered(int32_t x, int32_t low, int32_t high) const
{
    return KnownSlot(x, low, high) >= 0;
}

int32_t TUncoveredItemWalk::KnownSlot(int32_t x, int32_t low, int32_t high) const
{
    if (x == FKnownX) {
        for (int32_t k = 0; k < FKnownCount; ++k) {
            if (low >= FKnown[k].Low && high <= FKnown[k].High) {
                return k;
            }
        }
    }
    return -1;
}

bool TUncoveredItemWalk::RowsCovered(int32_t x, int32_t low, int32_t high)
{
    constexpr int32_t MaxRows = 64;
    const int32_t rows = high - low;
    if (rows > MaxRows || !PointersCovered(x, low, high)) {
        return false;
    }
    if (rows == 0) {
        return true; // no segment joins two points on one pixel
    }
    const TSegmentFootprints::TReach* reach = VerticalReach(rows);

    return reach != nullptr &&
           FCover->CoversBox(int64_t{x} + reach->Left, int64_t{x} + reach->Right,
                             int64_t{low} + reach->Top, int64_t{high} + reach->Bottom);
}

bool TUncoveredItemWalk::PointersCovered(int32_t x, int32_t low, int32_t high) const
{
    if (FPeriod == 1) {
        return FCover->CoversStretched(FPointer->Phases[0].Drawn, x, low, high - low);
    }
    // One row phase at a time: its pointer anchored at every row from the phase's first row in
    // low..high to its last.
    for (int32_t phase = 0; phase < FPeriod; ++phase) {
        int32_t first = low + PhaseOf(phase - low, FPeriod);
        if (first > high) {
            continue;
        }
        int32_t last = high - PhaseOf(high - phase, FPeriod);
        if (FAnchors) {
            // Pointers on spots where a later pointer lies are drawn over exactly.
            while (first <= last && FAnchors->Covers(x, first)) {
                first += FPeriod;
            }
            while (last > first && FAnchors->Covers(x, last)) {
                last -= FPeriod;
            }
            if (first > last) {
                continue;
            }
        }
        if (!FCover->CoversStretched(FPointer->At(x, first).Drawn, x, first, last - first)) {
            return false;
        }
    }
    return true;
}

const TSegmentFootprints::TReach* TUncoveredItemWalk::VerticalReach(int32_t rows)
{
    std::vector<TSegmentFootprints::TReach>& reach = FSegments->Reach;
    while (static_cast<int32_t>(reach.size()) < rows && !FSegments->ReachEnds) {
        const int32_t r = static_cast<int32_t>(reach.size()) + 1;
        TSegmentFootprints::TReach next =
            reach.empty() ? TSegmentFootprints::TReach{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN}
                          : reach.back();
        for (const int32_t dy : {-r, r}) {
            int32_t* slot = FSegments->Slot(0, dy);
            if (slot == nullptr) {
                FSegments->ReachEnds = true;
                return nullptr;
            }
            if (*slot == TSegmentFootprints::Untraced) {
                if (FTraceBudget <= 0) {
                    return nullptr; // traced on a later paint
                }
                TraceSegment(slot, 0, dy);
            }
            if (*slot < 0) {
                FSegments->ReachEnds = true;
                return nullptr;
            }
            const TItemShape& footprint = FSegments->Footprints[static_cast<size_t>(*slot)];
            if (footprint.Empty) {
                continue;
            }
            next.Left = std::min(next.Left, footprint.MinDx);
            next.Right = std::max(next.Right, footprint.MaxDx);
            next.Top = std::min(next.Top, footprint.MinY0 - std::min(0, dy));
            next.Bottom = std::max(next.Bottom, footprint.MaxY1 - std::max(0, dy));
        }
        reach.push_back(next);
    }
    return static_cast<int32_t>(reach.size()) >= rows ? &reach[static_cast<size_t>(rows - 1)]
                                                      : nullptr;
}

bool TUncoveredItemWalk::PointerItem(int32_t inStep, const TWalkPoint& point)
{
    if (point.Color == clNone) {
        return false;
    }
    if (!FPointerSeen) {
        FPointerSeen = true;
        FTailStep = inStep;
    } else if ((point.X == FLastPointerX && point.Y == FLastPointerY) ||
               (FAnchors && FAnchors->Covers(point.X, point.Y)) ||
               KnownCovered(point.X, point.Y, point.Y) ||
               FCover->Covers(FPointer->At(point.X, point.Y).Drawn, point.X, point.Y)) {
        // The same pointer lies on this spot later on, or later items cover it.
        return false;
    }
    FLastPointerX = point.X;
    FLastPointerY = point.Y;
    FCover->Add(FPointer->At(point.X, point.Y).Covered, point.X, point.Y);
    ++FCoverVersion;
    if (FAnchors) {
        FAnchors->Add(Spot, point.X, point.Y);
    }
    return true;
}

bool TUncoveredItemWalk::SegmentItem(const TWalkPoint& from, const TWalkPoint& to)
{
    if (to.Color == clNone || from.Color == clNone || (to.X == from.X && to.Y == from.Y)) {
        return false;
    }
    if (FSegmentSeen && from.X == to.X &&
        KnownCovered(from.X, std::min(from.Y, to.Y), std::max(from.Y, to.Y))) {
        return false;
    }
    const int64_t dx = int64_t{to.X} - from.X;
    const int64_t dy = int64_t{to.Y} - from.Y;
    const TItemShape* footprint = SegmentFootprint(from.X, from.Y, dx, dy, to.X, to.Y);
    if (FSegmentSeen && footprint != nullptr &&
        FCover->Covers(footprint->At(from.X, from.Y).Drawn, from.X, from.Y)) {
        return false;
    }
    FSegmentSeen = true;
    if (footprint != nullptr) {
        FCover->Add(footprint->At(from.X, from.Y).Covered, from.X, from.Y);
        ++FCoverVersion;
    }
    return true;
}

const TItemShape* TUncoveredItemWalk::SegmentFootprint(int32_t x0, int32_t y0, int64_t dx,
                                                       int64_t dy, int32_t x1, int32_t y1)
{
    if (FPeriod > 1 && (x1 < 0 || y1 < 0)) {
        return nullptr; // see TCoverage: the far end's device position is rounded the other way
    }
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
        return TraceSegment(slot, dx, dy);
    }
    return *slot >= 0 ? &FSegments->Footprints[static_cast<size_t>(*slot)] : nullptr;
}

const TItemShape* TUncoveredItemWalk::TraceSegment(int32_t* slot, int64_t dx, int64_t dy)
{
    --FTraceBudget;
    const bool stairs = FSeries.FStairs;
    const bool invertedStairs = FSeries.FInvertedStairs;
    const int32_t ax = FSegmentPad + static_cast<int32_t>(std::max<int64_t>(0, -dx));
    const int32_t ay = FSegmentPad + static_cast<int32_t>(std::max<int64_t>(0, -dy));
    const auto traced =
        FTracer.Trace(static_cast<int32_t>(std::abs(dx)) + 2 * FSegmentPad + 1,
                      static_cast<int32_t>(std::abs(dy)) + 2 * FSegmentPad + 1, ax, ay,
                      [&](TChartCanvas& c, int32_t x, int32_t y) {
                          StrokeSegment(c, FPen, TraceColor, stairs, invertedStairs, x, y,
                                        x + static_cast<int32_t>(dx), y + static_cast<int32_t>(dy));
                      });
    if (!traced) {
        *slot = TSegmentFootprints::Unknown;
        return nullptr;
    }
    *slot = static_cast<int32_t>(FSegments->Footprints.size());
    FSegments->Footprints.push_back(std::move(*traced));
    return &FSegments->Footprints.back();
}

void TUncoveredItemWalk::DrawForward()
{
    const TWalkPoint first = PointAt(0);
    TColor color = first.Color;
    if (FCanvas.Pen().Color() != clBlack) {
        FCanvas.Pen().SetColor(clBlack);
    }
    FCanvas.Brush().SetColor(color);
    FSeries.StartAtFirstIndex(FSeries.FPass.FirstDrawn, first.X, first.Y, color);
    for (auto step = FSteps.rbegin(); step != FSteps.rend(); ++step) {
        const int32_t index = IndexOf(step->Q);
        color = step->Color;
        if (FCanvas.Pen().Color() != clBlack) {
            FCanvas.Pen().SetColor(clBlack);
        }
        FCanvas.Brush().SetColor(color);
        if ((step->Flags & SegmentDrawn) != 0) {
            FSeries.FPrevX = step->PrevX;
            FSeries.FPrevY = step->PrevY;
            FSeries.DrawSegment(step->X, step->Y, color);
        }
        if ((step->Flags & PointerDrawn) != 0) {
            FSeries.DrawMarker(step->PrevX, step->PrevY, index - FStep, step->PrevColor);
        }
        if (step->Q == FCount - 1 && color != clNone) {
            FSeries.DrawMarker(step->X, step->Y, index, color);
        }
    }
    const TWalkPoint last = PointAt(FCount - 1);
    FSeries.FPrevX = last.X;
    FSeries.FPrevY = last.Y;
    FSeries.FPrevColor = last.Color;
}
