#pragma once
// The label caches of an axis as one object: label texts by value, written with the number
// separators of their time, and label widths by text, measured with one canvas and font. Each is
// dropped whole once it holds MaxEntries, so a long run of changing labels cannot grow it. Needs
// no toolkit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

class TAxisLabelCache
{
public:
    static constexpr size_t MaxEntries = 4096;

    // The text kept for value v, or nullptr. Texts written with other separators than the
    // current ones are dropped first (the separators are process-wide and may change).
    const std::string* Text(double v);
    // Keeps text as the text of v and returns the kept text.
    const std::string& KeepText(double v, std::string text);
    void ClearTexts() { FTexts.clear(); }

    // Widths hold for the canvas and realised font that key names: another key drops them.
    void SetWidthKey(std::string key);
    // The width kept for text, or nullptr.
    const int32_t* Width(const std::string& text) const;
    void KeepWidth(const std::string& text, int32_t width);
    void ClearWidths() { FWidths.clear(); }

private:
    std::unordered_map<double, std::string> FTexts;
    char FDecimal = 0;
    char FGrouping = 0;
    std::unordered_map<std::string, int32_t> FWidths;
    std::string FWidthKey;
};
