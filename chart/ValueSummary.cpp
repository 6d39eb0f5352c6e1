#include "chart/ValueSummary.h"

#include <algorithm>

namespace {

// Room for one more run, growing by a quarter at a time: a doubling vector would hold up to
// twice the runs it needs.
void MakeRoom(std::vector<TValueSummary::TRange>& runs)
{
    if (runs.size() == runs.capacity()) {
        runs.reserve(std::max<size_t>(16, runs.size() + runs.size() / 4));
    }
}

} // namespace

void TValueSummary::Extend(const double* values, int32_t count)
{
    for (int32_t i = FCount; i < count; ++i) {
        const double v = values[i];
        if ((i & (BlockSize - 1)) == 0) {
            MakeRoom(FBlocks);
            FBlocks.push_back({v, v});
        } else {
            Fold(FBlocks.back(), v);
        }
        if ((i & (GroupSize - 1)) == 0) {
            MakeRoom(FGroups);
            FGroups.push_back({v, v});
        } else {
            Fold(FGroups.back(), v);
        }
    }
    FCount = std::max(FCount, count);
}

void TValueSummary::Truncate(int32_t index)
{
    if (index >= FCount) {
        return;
    }
    // Back to the start of the group that holds index; its blocks are rebuilt with it.
    const int32_t keep = std::max(index, 0) >> GroupShift;
    FGroups.resize(static_cast<size_t>(keep));
    FBlocks.resize(static_cast<size_t>(keep) << (GroupShift - BlockShift));
    FCount = keep << GroupShift;
}

void TValueSummary::Clear()
{
    std::vector<TRange>().swap(FBlocks);
    std::vector<TRange>().swap(FGroups);
    FCount = 0;
}
