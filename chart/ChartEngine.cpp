#include "chart/ChartEngine.h"

#include "chart/NumberFormat.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>

namespace {

// Removes the part of the run start..start+count-1 that a sparse per-point list actually holds.
template <typename T> void EraseRun(std::vector<T>& list, int32_t start, int32_t count)
{
    const size_t first = static_cast<size_t>(start);
    if (first >= list.size()) {
        return;
    }
    const size_t last = std::min(list.size(), first + static_cast<size_t>(count));
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(first),
               list.begin() + static_cast<std::ptrdiff_t>(last));
}

// A stamp never handed out before (value lists are used on one thread at a time, but the
// counter is shared by all).
uint64_t NewChangeStamp()
{
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TChartValueList

TChartValueList::TChartValueList(TChartSeries* ownerSeries, std::string name)
    : FName(std::move(name)), FOwnerSeries(ownerSeries), FChangeStamp(NewChangeStamp())
{
}

int32_t TChartValueList::InsertOrdered(double value)
{
    int32_t index = FCount;
    if (FOrder != loNone && FCount > 0) {
        const bool ascending = FOrder == loAscending;
        const double last = FValues[static_cast<size_t>(FCount - 1)];
        // Values arriving in order append after testing only the last one.
        if (ascending ? value < last : value > last) {
            int32_t t = FCount - 1;
            while (t >= 0 && (ascending ? FValues[static_cast<size_t>(t)] > value
                                        : FValues[static_cast<size_t>(t)] < value)) {
                --t;
            }
            index = t + 1; // after every value equal to the new one
        }
    }
    TChartValueList::InsertAt(index, value);
    return index;
}

void TChartValueList::Clear()
{
    std::vector<double>().swap(FValues);
    FCount = 0;
    FChangeStamp = NewChangeStamp();
    FStatsStale = true;
    FInOrder = true;
    FSummary.Clear();
}

void TChartValueList::InsertAt(int32_t index, double value)
{
    CheckRange(index, 0, FCount);
    if (FCount == std::numeric_limits<int32_t>::max()) {
        throw EChartException("Value list " + FName + " is full");
    }
    if (FCount == Capacity()) {
        // The observable capacity grows in fixed steps; the storage underneath grows by a
        // sixteenth at a time, so appending stays amortised constant time while a long run holds
        // little more than its values (a doubling vector may hold twice as much).
        const size_t grown = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(Capacity()) + ChartValueListStep,
                              std::numeric_limits<int32_t>::max()));
        if (grown > FValues.capacity()) {
            FValues.reserve(std::max(grown, FValues.capacity() + FValues.capacity() / 16));
        }
        FValues.resize(grown);
    }
    if (FInOrder) {
        // A value out of place (or not a number) ends the guarantee that searches rely on.
        const bool ascending = FOrder == loAscending;
        auto inOrder = [ascending](double a, double b) { return ascending ? a <= b : a >= b; };
        if (std::isnan(value) ||
            (FOrder != loNone &&
             ((index > 0 && !inOrder(FValues[static_cast<size_t>(index - 1)], value)) ||
              (index < FCount && !inOrder(value, FValues[static_cast<size_t>(index)]))))) {
            FInOrder = false;
        }
    }
    if (index != FCount) {
        FChangeStamp = NewChangeStamp();
        FSummary.Truncate(index);
    }
    const auto at = FValues.begin() + index;
    std::copy_backward(at, FValues.begin() + FCount, FValues.begin() + FCount + 1);
    *at = value;
    ++FCount;
    if (FSummary.Count() == FCount - 1) {
        // Kept up to date while a run appends, so a paint never has to catch up on a long run.
        FSummary.Extend(FValues.data(), FCount);
    }
    if (index == FCount - 1 && !FStatsStale) {
        // An append to fresh statistics extends them as the full scan would, in the same order,
        // so a chart that reads its range after every new point does not rescan every value.
        AddToStats(value);
    } else {
        FStatsStale = true;
    }
}

void TChartValueList::AddToStats(double x) const
{
    if (FCount == 1) {
        FLowValue = FHighValue = FSum = x;
        FAbsSum = std::fabs(x);
        return;
    }
    if (x < FLowValue) {
        FLowValue = x;
    } else if (x > FHighValue) {
        FHighValue = x;
    }
    FSum += x;
    FAbsSum += std::fabs(x);
}

void TChartValueList::SetOrder(TChartListOrder value)
{
    FOrder = value;
    FInOrder = true;
    for (int32_t i = 0; i < FCount && FInOrder; ++i) {
        const double v = FValues[static_cast<size_t>(i)];
        const bool ok =
            !std::isnan(v) && (i == 0 || value == loNone ||
                               (value == loAscending ? FValues[static_cast<size_t>(i - 1)] <= v
                                                     : FValues[static_cast<size_t>(i - 1)] >= v));
        FInOrder = ok;
    }
}

void TChartValueList::Delete(int32_t index)
{
    Delete(index, 1);
}

void TChartValueList::Delete(int32_t start, int32_t count)
{
    CheckRange(start, count, FCount);
    std::copy(FValues.begin() + start + count, FValues.begin() + FCount, FValues.begin() + start);
    FCount -= count;
    FChangeStamp = NewChangeStamp();
    FSummary.Truncate(start);
    FStatsStale = true;
}

void TChartValueList::CheckRange(int64_t start, int64_t count, int32_t limit) const
{
    if (start < 0 || count < 0 || start + count > limit) {
        throw EChartException("Value list " + FName + ": index " + std::to_string(start) +
                              " out of bounds (0 to " + std::to_string(limit) + ").");
    }
}

void TChartValueList::SetDateTime(bool value)
{
    if (FDateTime != value) {
        FDateTime = value;
        if (FOwnerSeries) {
            FOwnerSeries->Repaint();
        }
    }
}

double TChartValueList::LowValue() const
{
    RecalcStats();
    return FLowValue;
}

double TChartValueList::HighValue() const
{
    RecalcStats();
    return FHighValue;
}

double TChartValueList::Sum() const
{
    RecalcStats();
    return FSum;
}

double TChartValueList::AbsSum() const
{
    RecalcStats();
    return FAbsSum;
}

void TChartValueList::RecalcStats() const
{
    if (!FStatsStale) {
        return;
    }
    if (FCount == 0) {
        FLowValue = FHighValue = FSum = FAbsSum = 0;
    } else {
        double low = FValues[0];
        double high = low;
        double sum = low;
        double absSum = std::fabs(low);
        for (int32_t i = 1; i < FCount; ++i) {
            const double x = FValues[static_cast<size_t>(i)];
            if (x < low) {
                low = x;
            } else if (x > high) {
                high = x;
            }
            sum += x;
            absSum += std::fabs(x);
        }
        FLowValue = low;
        FHighValue = high;
        FSum = sum;
        FAbsSum = absSum;
    }
    FStatsStale = false;
}

// ---------------------------------------------------------------------------------------------
// Chart elements

void TCustomChartElement::SetActive(bool value)
{
    SetProperty(FActive, value);
}

void TCustomChartElement::Repaint()
{
    if (FParentChart) {
        FParentChart->Invalidate();
    }
}

void TCustomChartSeries::SetShowInLegend(bool value)
{
    SetProperty(FShowInLegend, value);
}

void TCustomChartSeries::SetTitle(const std::string& value)
{
    SetProperty(FTitle, value);
}

void TCustomChartSeries::SetDepth(int32_t value)
{
    SetProperty(FDepth, value);
}

void TSeriesMarks::SetStyle(TSeriesMarksStyle value)
{
    if (FStyle != value) {
        FStyle = value;
        FSeries.Repaint();
    }
}

void TSeriesMarks::SetVisible(bool value)
{
    if (FVisible != value) {
        FVisible = value;
        FSeries.Repaint();
    }
}

void TSeriesMarks::SetMultiLine(bool value)
{
    if (FMultiLine != value) {
        FMultiLine = value;
        FSeries.Repaint();
    }
}

TColor ChartPaletteColor(int32_t index)
{
    static constexpr std::array<TColor, 15> palette = {
        clRed,  clGreen,  clYellow, clBlue,  clWhite,  clGray,   clFuchsia, clTeal,
        clNavy, clMaroon, clLime,   clOlive, clPurple, clSilver, clAqua};
    const int32_t size = static_cast<int32_t>(palette.size());
    return palette[static_cast<size_t>(((index % size) + size) % size)];
}

// ---------------------------------------------------------------------------------------------
// TChartSeries: data

TChartSeries::TChartSeries() : FXValues(this, "X"), FYValues(this, "Y")
{
    FXValues.SetOrder(loAscending);
    FValueLists = {&FXValues, &FYValues};
}

TChartSeries::~TChartSeries()
{
    // Taken out first: a notified object may remove its own notification meanwhile.
    const auto notifications = std::move(FFreeNotifications);
    FFreeNotifications.clear();
    for (const auto& entry : notifications)
        if (entry.second)
            entry.second(*this);
}

int32_t TChartSeries::AddFreeNotification(TSeriesNotifyEvent notify)
{
    const int32_t id = FNextFreeNotification++;
    FFreeNotifications.emplace_back(id, std::move(notify));
    return id;
}

void TChartSeries::RemoveFreeNotification(int32_t id)
{
    std::erase_if(FFreeNotifications, [id](const auto& entry) { return entry.first == id; });
}

int32_t TChartSeries::AppendPoint(double x, double y, std::string_view labelText, TColor color)
{
    FXValues.SetPendingValue(x);
    FYValues.SetPendingValue(y);
    if (OnBeforeAdd && !OnBeforeAdd(*this)) {
        return -1;
    }
    // X and Y take the values passed in, even if OnBeforeAdd changed their staged values; further
    // lists have no other source than their staged value.
    const int32_t index = FXValues.InsertOrdered(x);
    FYValues.InsertAt(index, y);
    for (size_t i = 2; i < FValueLists.size(); ++i) {
        FValueLists[i]->InsertAt(index, FValueLists[i]->PendingValue());
    }

    if (!FColors && color != clDefault) {
        // Points added before the first explicit colour have none of their own.
        FColors.emplace(static_cast<size_t>(Count() - 1), clDefault);
    }
    if (FColors) {
        FColors->insert(FColors->begin() + index, color);
    }

    if (!labelText.empty() || !FLabels.empty()) {
        if (FLabels.size() < static_cast<size_t>(index)) {
            FLabels.resize(static_cast<size_t>(index));
        }
        FLabels.insert(FLabels.begin() + index, std::string(labelText));
    }

    if (FUpdateDepth == 0) {
        PointAppended(index);
    }
    return index;
}

int32_t TChartSeries::Add(double value, std::string_view labelText, TColor color)
{
    const double position = Count();
    return FYMandatory ? AppendPoint(position, value, labelText, color)
                       : AppendPoint(value, position, labelText, color);
}

void TChartSeries::PointAppended(int32_t index)
{
    if (OnAfterAdd) {
        OnAfterAdd(*this, index);
    }
    NotifyDependants(sdcAdded, index);
    if (Active()) {
        Repaint();
    }
}

void TChartSeries::NotifyDependants(TSeriesDataChange, int32_t) {}

void TChartSeries::Clear()
{
    ClearValueLists();
    if (OnClearValues) {
        OnClearValues(*this);
    }
    NotifyDependants(sdcCleared, -1);
    if (Active() && ParentChart() && !ParentChart()->IsDestroying()) {
        Repaint();
    }
}

void TChartSeries::ClearValueLists()
{
    for (TChartValueList* list : FValueLists) {
        list->Clear();
    }
    FColors.reset();
    std::vector<std::string>().swap(FLabels);
}

void TChartSeries::Delete(int32_t index)
{
    CheckPointRange(index, 1);
    RemovePoints(index, 1);
    NotifyDependants(sdcRemoved, index);
    if (Active()) {
        Repaint();
    }
}

void TChartSeries::Delete(int32_t start, int32_t count)
{
    // An empty run removes nothing wherever it starts; any other run must lie inside the
    // points, so a run past the end is reported instead of being dropped silently.
    if (count == 0 && start >= 0) {
        return;
    }
    CheckPointRange(start, count);
    if (count > 0) {
        DeletePointRange(start, count);
    }
}

void TChartSeries::DeletePointRange(int32_t start, int32_t count)
{
    RemovePoints(start, count);
    if (FColors && FColors->empty()) {
        FColors.reset();
    }
    NotifyDependants(sdcRemoved, start);
    if (Active()) {
        Repaint();
    }
}

void TChartSeries::CheckPointRange(int32_t start, int32_t count) const
{
    if (count < 0) {
        throw EChartException("Series Delete: point count " + std::to_string(count) +
                              " is negative.");
    }
    // 64-bit so that start + count cannot overflow.
    const int64_t end = static_cast<int64_t>(start) + count;
    if (start >= 0 && end <= Count()) {
        return;
    }
    // Name the first index of the run that lies outside the points.
    const int64_t bad = start < 0 || start >= Count() ? start : Count();
    throw EChartException("Series Delete: ValueIndex " + std::to_string(bad) +
                          " out of bounds (0 to " + std::to_string(Count() - 1) + ").");
}

void TChartSeries::RemovePoints(int32_t start, int32_t count)
{
    for (TChartValueList* list : FValueLists) {
        if (count == 1) {
            list->Delete(start);
        } else {
            list->Delete(start, count);
        }
    }
    if (FColors) {
        EraseRun(*FColors, start, count);
    }
    EraseRun(FLabels, start, count);
}

void TChartSeries::EndChanges()
{
    if (FUpdateDepth == 0) {
        return; // unbalanced call: nothing is open
    }
    if (--FUpdateDepth == 0) {
        NotifyDependants(sdcChanged, -1);
        if (Active()) {
            Repaint();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TChartSeries: colours and texts

TColor TChartSeries::PointColor(int32_t index) const
{
    assert(index >= 0 && index < Count());
    TColor color = clDefault;
    if (FColors && static_cast<size_t>(index) < FColors->size()) {
        color = (*FColors)[static_cast<size_t>(index)];
    }
    if (color == clDefault) {
        color = FColorEachPoint ? ChartPaletteColor(index) : FSeriesColor;
    }
    return color;
}

const std::string& TChartSeries::Labels(int32_t index) const
{
    static const std::string none;
    const size_t i = static_cast<size_t>(index);
    return index >= 0 && i < FLabels.size() ? FLabels[i] : none;
}

std::string TChartSeries::ValueText(int32_t index) const
{
    return FormatNumber(FValueFormat, MarkValueOf(index));
}

std::string TChartSeries::LabelText(int32_t index) const
{
    const std::string& label = Labels(index);
    return label.empty() ? ValueText(index) : label;
}

std::string TChartSeries::PercentText(int32_t index) const
{
    const double total = MandatoryValueList().AbsSum();
    const double percent = total == 0 ? 100.0 : std::fabs(MarkValueOf(index)) * 100.0 / total;
    return FormatNumber(FPercentFormat, percent);
}

std::string TChartSeries::PercentTotalText(int32_t index) const
{
    const char* of = FMarks.MultiLine() ? "\rof " : " of ";
    return PercentText(index) + of + FormatNumber(FValueFormat, MandatoryValueList().AbsSum());
}

std::string TChartSeries::LegendText(int32_t index) const
{
    return LabelText(index);
}

std::string TChartSeries::PointText(int32_t index) const
{
    assert(index >= 0 && index < Count());
    const std::string separator = FMarks.MultiLine() ? std::string(1, ChartLineSeparator) : " ";
    std::string text;
    switch (FMarks.Style()) {
    case smsValue:
        text = ValueText(index);
        break;
    case smsPercent:
        text = PercentText(index);
        break;
    case smsLabel:
        text = LabelText(index);
        break;
    case smsLabelPercent:
        text = LabelText(index) + separator + PercentText(index);
        break;
    case smsLabelValue:
        text = LabelText(index) + separator + ValueText(index);
        break;
    case smsLegend:
        text = LegendText(index);
        break;
    case smsPercentTotal:
        text = PercentTotalText(index);
        break;
    case smsLabelPercentTotal:
        text = LabelText(index) + separator + PercentTotalText(index);
        break;
    case smsXValue:
        text = XValueText(index);
        break;
    case smsXY:
        text = XValueText(index) + separator + ValueText(index);
        break;
    }
    if (OnGetMarkText) {
        OnGetMarkText(*this, index, text);
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// TChartSeries: properties

void TChartSeries::SetSeriesColor(TColor value)
{
    if (FSeriesColor == value) {
        return;
    }
    FSeriesColor = value;
    Repaint();
    if (ParentChart()) {
        ParentChart()->SeriesColorChanged(*this);
    }
}

void TChartSeries::SetActive(bool value)
{
    if (Active() == value) {
        return;
    }
    TCustomChartSeries::SetActive(value);
    if (ParentChart()) {
        ParentChart()->SeriesActiveChanged(*this);
    }
}

void TChartSeries::SetColorEachPoint(bool value)
{
    SetProperty(FColorEachPoint, value);
}

void TChartSeries::SetValueFormat(const std::string& value)
{
    SetProperty(FValueFormat, value);
}

void TChartSeries::SetPercentFormat(const std::string& value)
{
    SetProperty(FPercentFormat, value);
}

void TChartSeries::SetHorizAxis(THorizAxis value)
{
    SetProperty(FHorizAxis, value);
}

void TChartSeries::SetVertAxis(TVertAxis value)
{
    SetProperty(FVertAxis, value);
}

// ---- Positions on the axes ----

TSeriesAxes* TChartSeries::Axes() const
{
    TChartHost* chart = ParentChart();
    return chart ? chart->AxisOwner() : nullptr;
}

TChartAxis* TChartSeries::GetHorizAxis() const
{
    TSeriesAxes* axes = Axes();
    return axes ? axes->HorizAxisAt(FHorizAxis) : nullptr;
}

TChartAxis* TChartSeries::GetVertAxis() const
{
    TSeriesAxes* axes = Axes();
    return axes ? axes->VertAxisAt(FVertAxis) : nullptr;
}

int32_t TChartSeries::PointPixelX(int32_t index) const
{
    TSeriesAxes* axes = Axes();
    return axes ? axes->HorizMapping(FHorizAxis).ValueToPixel(XValue(index)) : 0;
}

int32_t TChartSeries::PointPixelY(int32_t index) const
{
    TSeriesAxes* axes = Axes();
    return axes ? axes->VertMapping(FVertAxis).ValueToPixel(YValue(index)) : 0;
}

namespace {

// First index from `from` on whose value is >= v, or -1. Binary search on values known to be
// ascending; a plain scan otherwise. Both give the same index on ascending values.
int32_t FirstIndexAtOrAbove(const TChartValueList& list, double v, int32_t from)
{
    const int32_t count = list.Count();
    if (std::isnan(v) || from >= count) {
        return -1;
    }
    if (list.Order() == loAscending && list.InOrder()) {
        int32_t lo = from;
        int32_t hi = count; // answer in [lo, hi]; hi = none
        while (lo < hi) {
            const int32_t mid = lo + (hi - lo) / 2;
            if (list.Values(mid) >= v) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return lo < count ? lo : -1;
    }
    for (int32_t i = from; i < count; ++i) {
        if (list.Values(i) >= v) {
            return i;
        }
    }
    return -1;
}

} // namespace

void TChartSeries::CalcVisibleIndices()
{
    FFirstVisibleIndex = -1;
    FLastVisibleIndex = -1;
    const int32_t count = Count();
    if (count == 0) {
        return;
    }
    const int32_t n = count - 1;
    TSeriesAxes* axes = Axes();
    if (!FCalcVisiblePoints || FXValues.Order() == loNone || !axes) {
        FFirstVisibleIndex = 0;
        FLastVisibleIndex = n;
        return;
    }
    double lo = 0;
    double hi = 0;
    axes->PlotEdgeValues(FHorizAxis, lo, hi);
    const int32_t first = FirstIndexAtOrAbove(FXValues, lo, 0);
    if (first < 0) {
        return;
    }
    FFirstVisibleIndex = first;
    if (FXValues.LastValue() > hi) {
        // The first point at or beyond the right edge is drawn too, so the line leaves the plot.
        const int32_t last = FirstIndexAtOrAbove(FXValues, hi, first);
        FLastVisibleIndex = last < 0 ? n : last;
    } else {
        FLastVisibleIndex = n;
    }
}

std::string TChartSeries::XValueText(int32_t index) const
{
    if (TSeriesAxes* axes = Axes()) {
        return axes->AxisLabelText(FHorizAxis, XValue(index));
    }
    return FormatNumber(FValueFormat, XValue(index));
}
