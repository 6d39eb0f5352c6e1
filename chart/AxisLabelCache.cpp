#include "chart/AxisLabelCache.h"

#include "chart/NumberFormat.h"

#include <utility>

const std::string* TAxisLabelCache::Text(double v)
{
    if (FDecimal != DecimalMark() || FGrouping != GroupingMark()) {
        FTexts.clear();
        FDecimal = DecimalMark();
        FGrouping = GroupingMark();
    }
    const auto found = FTexts.find(v);
    return found != FTexts.end() ? &found->second : nullptr;
}

const std::string& TAxisLabelCache::KeepText(double v, std::string text)
{
    if (FTexts.size() >= MaxEntries) {
        FTexts.clear();
    }
    return FTexts.insert_or_assign(v, std::move(text)).first->second;
}

void TAxisLabelCache::SetWidthKey(std::string key)
{
    if (key != FWidthKey) {
        FWidths.clear();
        FWidthKey = std::move(key);
    }
}

const int32_t* TAxisLabelCache::Width(const std::string& text) const
{
    const auto found = FWidths.find(text);
    return found != FWidths.end() ? &found->second : nullptr;
}

void TAxisLabelCache::KeepWidth(const std::string& text, int32_t width)
{
    if (FWidths.size() >= MaxEntries) {
        FWidths.clear();
    }
    FWidths.insert_or_assign(text, width);
}
