#include "chart/PointSearch.h"

#include "chart/ChartAxis.h"
#include "chart/ChartEngine.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int32_t BlockSize = 32;   // points per block
constexpr int32_t GroupBlocks = 32; // blocks per group
constexpr int32_t GroupSize = BlockSize * GroupBlocks;

constexpr uint8_t HasNaN = 1;
constexpr uint8_t HasPlusInf = 2;
constexpr uint8_t HasMinusInf = 4;

// The values of a run: the finite ones span Low..High (Low > High: none), and Special tells
// which of not-a-number, +inf and -inf occur.
struct TExtent
{
    double Low = std::numeric_limits<double>::infinity();
    double High = -std::numeric_limits<double>::infinity();
    uint8_t Special = 0;

    void Add(double v)
    {
        if (std::isfinite(v)) {
            Low = std::min(Low, v);
            High = std::max(High, v);
        } else if (std::isnan(v)) {
            Special |= HasNaN;
        } else {
            Special |= v > 0 ? HasPlusInf : HasMinusInf;
        }
    }
    void Merge(const TExtent& other)
    {
        Low = std::min(Low, other.Low);
        High = std::max(High, other.High);
        Special |= other.Special;
    }
};

struct TBox
{
    TExtent X;
    TExtent Y;
};

// The boxes of one series' points, valid for the first Count points of the value lists with
// the stamps XStamp and YStamp.
struct TSummary
{
    const TChartValueList* XList = nullptr; // compared only, never read
    uint64_t XStamp = 0;
    uint64_t YStamp = 0;
    int32_t Count = 0;
    uint64_t LastUse = 0;
    std::vector<TBox> Blocks;
    std::vector<TBox> Groups;
};

// Brings the boxes up to date with count points: extended when only points were appended since,
// built afresh otherwise.
void Update(TSummary& s, const double* xs, const double* ys, int32_t count, uint64_t xStamp,
            uint64_t yStamp)
{
    if (s.XStamp != xStamp || s.YStamp != yStamp || count < s.Count) {
        s.XStamp = xStamp;
        s.YStamp = yStamp;
        s.Count = 0;
        // The storage goes too: a series cleared for a new run gives its memory back.
        std::vector<TBox>().swap(s.Blocks);
        std::vector<TBox>().swap(s.Groups);
    }
    if (count == s.Count) {
        return;
    }
    // The last block and group may have been partial: they are built again.
    const int32_t fromBlock = s.Count / BlockSize;
    s.Blocks.resize(static_cast<size_t>((count + BlockSize - 1) / BlockSize));
    for (size_t b = static_cast<size_t>(fromBlock); b < s.Blocks.size(); ++b) {
        TBox box;
        const int32_t end = std::min<int32_t>(count, static_cast<int32_t>(b + 1) * BlockSize);
        for (int32_t i = static_cast<int32_t>(b) * BlockSize; i < end; ++i) {
            box.X.Add(xs[i]);
            box.Y.Add(ys[i]);
        }
        s.Blocks[b] = box;
    }
    const size_t fromGroup = static_cast<size_t>(fromBlock / GroupBlocks);
    s.Groups.resize((s.Blocks.size() + GroupBlocks - 1) / GroupBlocks);
    for (size_t g = fromGroup; g < s.Groups.size(); ++g) {
        TBox box;
        const size_t end = std::min(s.Blocks.size(), (g + 1) * GroupBlocks);
        for (size_t b = g * GroupBlocks; b < end; ++b) {
            box.X.Merge(s.Blocks[b].X);
            box.Y.Merge(s.Blocks[b].Y);
        }
        s.Groups[g] = box;
    }
    s.Count = count;
}

// The boxes of the few series searched last (the two charts' series, mostly). Stamps are unique
// across all lists, so a destroyed series' entry never matches another one; a rewritten list
// reuses its own entry.
TSummary& SummaryFor(const TChartValueList& xList, const TChartValueList& yList, int32_t count)
{
    thread_local std::array<TSummary, 4> cache;
    thread_local uint64_t uses = 0;
    TSummary* entry = nullptr;
    for (TSummary& s : cache) {
        if (s.XStamp == xList.ChangeStamp() && s.YStamp == yList.ChangeStamp()) {
            entry = &s;
            break;
        }
    }
    // A list changed other than by appends takes the place of its old boxes.
    for (TSummary& s : cache) {
        if (entry == nullptr && s.XList == &xList) {
            entry = &s;
        }
    }
    if (entry == nullptr) {
        entry = &*std::min_element(cache.begin(), cache.end(), [](const auto& a, const auto& b) {
            return a.LastUse < b.LastUse;
        });
    }
    entry->LastUse = ++uses;
    entry->XList = &xList;
    Update(*entry, xList.Data(), yList.Data(), count, xList.ChangeStamp(), yList.ChangeStamp());
    return *entry;
}

struct TSpan
{
    int32_t Low;
    int32_t High;
};

// The pixels of an extent's values on a mapping that keeps their order: those of its finite ends
// and of each kind of non-finite value in it.
TSpan PixelSpan(const TAxisMapping& mapping, const TExtent& e)
{
    TSpan span{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
    auto add = [&](double v) {
        const int32_t p = mapping.ValueToPixel(v);
        span.Low = std::min(span.Low, p);
        span.High = std::max(span.High, p);
    };
    if (e.Low <= e.High) {
        add(e.Low);
        add(e.High);
    }
    if (e.Special & HasNaN) {
        add(std::numeric_limits<double>::quiet_NaN());
    }
    if (e.Special & HasPlusInf) {
        add(std::numeric_limits<double>::infinity());
    }
    if (e.Special & HasMinusInf) {
        add(-std::numeric_limits<double>::infinity());
    }
    return span;
}

int64_t Gap(int32_t v, TSpan span)
{
    if (v < span.Low) {
        return static_cast<int64_t>(span.Low) - v;
    }
    if (v > span.High) {
        return static_cast<int64_t>(v) - span.High;
    }
    return 0;
}

class TSearch
{
public:
    TSearch(const TChartSeries& series, const TAxisMapping& horiz, const TAxisMapping& vert,
            int32_t x, int32_t y, const TPointSearchOptions& options)
        : FXs(series.XValues().Data()), FYs(series.YValues().Data()), FHoriz(horiz), FVert(vert),
          FX(x), FY(y), FOptions(options)
    {
        if (options.Limit >= 0) {
            FBest = options.Limit;
        }
        UpdateCutoff();
    }

    // Nothing in the box can count: it lies outside the rectangle, or its nearest pixel is
    // farther than the best distance, or as far and all its points come after the best one.
    // Returns the box's distance bound otherwise.
    bool Bound(const TBox& box, int32_t firstIndex, int64_t& bound) const
    {
        const TSpan sx = PixelSpan(FHoriz, box.X);
        const TSpan sy = PixelSpan(FVert, box.Y);
        if (FOptions.WithinRect) {
            const TRect& r = FOptions.Rect;
            if (sx.High < r.Left || sx.Low >= r.Right || sy.High < r.Top || sy.Low >= r.Bottom) {
                return false;
            }
        }
        bound = RoundedPixelDistance(Gap(FX, sx), Gap(FY, sy));
        return MayCount(bound, firstIndex);
    }

    bool MayCount(int64_t bound, int32_t firstIndex) const
    {
        return bound < FBest || (bound == FBest && FResult >= 0 && firstIndex < FResult);
    }

    void ScanPoints(int32_t from, int32_t to)
    {
        for (int32_t i = from; i <= to; ++i) {
            const int32_t px = FHoriz.ValueToPixel(FXs[i]);
            const int32_t py = FVert.ValueToPixel(FYs[i]);
            if (FOptions.WithinRect) {
                const TRect& r = FOptions.Rect;
                if (px < r.Left || px >= r.Right || py < r.Top || py >= r.Bottom) {
                    continue;
                }
            }
            const int64_t dx = static_cast<int64_t>(px) - FX;
            const int64_t dy = static_cast<int64_t>(py) - FY;
            // Squares at or above (best + 1)^2 round to more than best: no root needed.
            const uint64_t squares =
                static_cast<uint64_t>(dx * dx) + static_cast<uint64_t>(dy * dy);
            if (squares >= FCutoff) {
                continue;
            }
            const int64_t d = RoundedPixelDistance(dx, dy);
            if (d < FBest || (d == FBest && FResult >= 0 && i < FResult)) {
                FBest = d;
                FResult = i;
                UpdateCutoff();
            }
        }
    }

    int32_t Result() const { return FResult; }
    int64_t Best() const { return FBest; }

private:
    void UpdateCutoff()
    {
        constexpr int64_t small = int64_t{1} << 31;
        FCutoff = FBest < small
                      ? static_cast<uint64_t>(FBest + 1) * static_cast<uint64_t>(FBest + 1)
                      : std::numeric_limits<uint64_t>::max();
    }

    const double* FXs;
    const double* FYs;
    const TAxisMapping FHoriz;
    const TAxisMapping FVert;
    int32_t FX;
    int32_t FY;
    const TPointSearchOptions& FOptions;
    int64_t FBest = std::numeric_limits<int64_t>::max();
    int32_t FResult = -1;
    uint64_t FCutoff = 0;
};

struct TCandidate
{
    int64_t Bound;
    int32_t Index;
    bool operator<(const TCandidate& other) const
    {
        return Bound != other.Bound ? Bound < other.Bound : Index < other.Index;
    }
};

// Every point in turn, mapped as PointPixelX/Y map it: for axes that may reorder the values.
int32_t SearchEveryPoint(const TChartSeries& series, const TChartAxis* horiz,
                         const TChartAxis* vert, int32_t x, int32_t y, int32_t first, int32_t last,
                         const TPointSearchOptions& options)
{
    int64_t best = options.Limit >= 0 ? options.Limit : std::numeric_limits<int64_t>::max();
    int32_t result = -1;
    for (int32_t i = first; i <= last; ++i) {
        const int32_t px = horiz ? horiz->ValueToPixel(series.XValue(i)) : 0;
        const int32_t py = vert ? vert->ValueToPixel(series.YValue(i)) : 0;
        if (options.WithinRect) {
            const TRect& r = options.Rect;
            if (px < r.Left || px >= r.Right || py < r.Top || py >= r.Bottom) {
                continue;
            }
        }
        const int64_t d =
            RoundedPixelDistance(static_cast<int64_t>(px) - x, static_cast<int64_t>(py) - y);
        if (d < best) {
            best = d;
            result = i;
        }
    }
    return result;
}

} // namespace

int32_t FindNearestPoint(const TChartSeries& series, int32_t x, int32_t y,
                         const TPointSearchOptions& options)
{
    const int32_t count = std::min(series.Count(), series.YValues().Count());
    const int32_t first = std::max(options.First, 0);
    const int32_t last = options.Last < 0 || options.Last >= count ? count - 1 : options.Last;
    if (count <= 0 || first > last) {
        return -1;
    }
    const TChartAxis* horiz = series.GetHorizAxis();
    const TChartAxis* vert = series.GetVertAxis();
    if (horiz == nullptr || vert == nullptr || !horiz->Mapping().KeepsOrder() ||
        !vert->Mapping().KeepsOrder()) {
        return SearchEveryPoint(series, horiz, vert, x, y, first, last, options);
    }

    const TSummary& summary = SummaryFor(series.XValues(), series.YValues(), count);
    TSearch search(series, horiz->Mapping(), vert->Mapping(), x, y, options);

    // Groups nearest first, so that a close point is found early and prunes the rest. A group
    // whose bound exceeds the best distance ends the walk: every later one is as far or farther.
    thread_local std::vector<TCandidate> groups;
    groups.clear();
    for (int32_t g = first / GroupSize; g <= last / GroupSize; ++g) {
        int64_t bound = 0;
        if (search.Bound(summary.Groups[static_cast<size_t>(g)], std::max(g * GroupSize, first),
                         bound)) {
            groups.push_back({bound, g});
        }
    }
    std::sort(groups.begin(), groups.end());
    for (const TCandidate& group : groups) {
        const int32_t groupFirst = std::max(group.Index * GroupSize, first);
        if (group.Bound > search.Best()) {
            break;
        }
        if (!search.MayCount(group.Bound, groupFirst)) {
            continue;
        }
        std::array<TCandidate, GroupBlocks> blocks;
        size_t n = 0;
        const int32_t bFirst = groupFirst / BlockSize;
        const int32_t bLast = std::min((group.Index + 1) * GroupSize - 1, last) / BlockSize;
        for (int32_t b = bFirst; b <= bLast; ++b) {
            int64_t bound = 0;
            if (search.Bound(summary.Blocks[static_cast<size_t>(b)], std::max(b * BlockSize, first),
                             bound)) {
                blocks[n++] = {bound, b};
            }
        }
        std::sort(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(n));
        for (size_t k = 0; k < n; ++k) {
            const int32_t from = std::max(blocks[k].Index * BlockSize, first);
            if (search.MayCount(blocks[k].Bound, from)) {
                search.ScanPoints(from,
                                  std::min(blocks[k].Index * BlockSize + BlockSize - 1, last));
            }
        }
    }
    return search.Result();
}
