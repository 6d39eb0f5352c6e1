#pragma once
// The smallest and largest value of every run of 64 values of a value list (a block) and of
// every run of 1024 values (a group), so that code reading many values (a dense line walk) can
// take a whole run from its summary instead of from its values. A run that holds a value that is
// not a number has no usable summary: its Low and High are both not a number.
//
// The summary follows the list: values appended at the end extend it, any other change drops the
// runs from the changed index on, and reading brings it up to date with the list again. It costs
// 16 bytes per 64 values (about 3 % of the values' own storage).
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

class TValueSummary
{
public:
    static constexpr int32_t BlockShift = 6;
    static constexpr int32_t BlockSize = 1 << BlockShift;
    static constexpr int32_t GroupShift = 10;
    static constexpr int32_t GroupSize = 1 << GroupShift;

    // Lowest and highest value of a run; both not a number when a value of the run is.
    struct TRange
    {
        double Low;
        double High;
        bool Usable() const { return !std::isnan(Low); }
    };

    // Number of leading values the summary covers (complete runs and the last partial ones).
    int32_t Count() const { return FCount; }
    // Summaries of the runs b * BlockSize.. and g * GroupSize..; complete only for runs that lie
    // wholly below Count().
    const TRange& Block(int32_t b) const { return FBlocks[static_cast<size_t>(b)]; }
    const TRange& Group(int32_t g) const { return FGroups[static_cast<size_t>(g)]; }

    // Covers values[Count()..count-1] too (the list's first count values, of which the first
    // Count() are those already summarised).
    void Extend(const double* values, int32_t count);
    // Forgets every run that holds a value at or after index (a value there changed).
    void Truncate(int32_t index);
    // Forgets everything and gives the storage back.
    void Clear();

    // Bytes the summary holds (its storage's capacity).
    size_t StorageBytes() const
    {
        return (FBlocks.capacity() + FGroups.capacity()) * sizeof(TRange);
    }

private:
    static void Fold(TRange& range, double value)
    {
        if (std::isnan(value) || std::isnan(range.Low)) {
            range.Low = range.High = std::numeric_limits<double>::quiet_NaN();
        } else if (value < range.Low) {
            range.Low = value;
        } else if (value > range.High) {
            range.High = value;
        }
    }

    std::vector<TRange> FBlocks;
    std::vector<TRange> FGroups;
    int32_t FCount = 0;
};
