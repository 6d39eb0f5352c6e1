// Feeds arbitrary patterns and values to the number formatter, the text-to-number conversion and
// the date-time texts.
// Input layout: byte 0 picks the separators, bytes 1..8 are the double's bits, the rest is the
// pattern.
#include "chart/NumberFormat.h"

#include "platform/Errors.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

void PickSeparators(std::uint8_t selector)
{
    switch (selector % 4) {
    case 0:
        SetNumberSeparators('.', ',');
        break;
    case 1:
        SetNumberSeparators(',', '.');
        break;
    case 2:
        SetNumberSeparators('.', '\0');
        break;
    default:
        SetNumberSeparators(',', ' ');
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 1 + sizeof(double);
    if (size < kHeader) {
        return 0;
    }
    PickSeparators(data[0]);
    double value = 0.0;
    std::memcpy(&value, data + 1, sizeof(double));
    const std::string_view pattern(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

    std::string text;
    try {
        text = FormatNumber(pattern, value);
    } catch (const EConvertError&) {
        if (pattern.size() <= kMaxFormatPatternLength) {
            std::abort(); // only an over-long pattern may be refused
        }
        return 0;
    }

    // The general form is read back to the value's 15 significant digits.
    const std::string general = FormatNumber("", value);
    try {
        const double back = TextToFloat(general);
        if (std::isfinite(value) && std::fabs(back - value) > std::fabs(value) * 1e-14) {
            std::abort();
        }
    } catch (const EConvertError&) {
        // Only values beyond the largest double after rounding to 15 digits cannot be read back.
        if (std::isfinite(value) && std::fabs(value) < 1.79769313486231e308) {
            std::abort();
        }
    }
    try {
        TextToFloat(text);
    } catch (const EConvertError&) {
        // Most patterns write text that is no number.
    }

    // Date-times under the same pattern, and the automatic label pattern for a step of the
    // value's size: only the values that have a text give one.
    const std::string dateTime = FormatDateTime(pattern, value);
    if (!(value >= 0 && value < MaxDateTimeText) && !dateTime.empty()) {
        std::abort();
    }
    DateTimeLabelText({}, std::fabs(value), value);
    return 0;
}
