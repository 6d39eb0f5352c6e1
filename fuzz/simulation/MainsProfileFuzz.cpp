// Feeds arbitrary bytes to the mains-profile reader. A profile it accepts must hold what the
// engine can take (times strictly increasing within the limit, voltages in the slider's range)
// and run; a refusal must name a line of the text and a field.
#include "simulation/MainsProfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TMainsProfile profile;
    TProfileError error;
    if (!ReadMainsProfile(text, profile, error)) {
        const auto lines = std::count(text.begin(), text.end(), '\n') +
                           std::count(text.begin(), text.end(), '\r') + 1;
        if (error.Message.empty() || error.Line < 0 || error.Line > lines || error.Field < 0 ||
            error.Field > 3 || !profile.Points.empty()) {
            std::abort();
        }
        return 0;
    }
    if (profile.Points.empty()) {
        std::abort();
    }
    int64_t previous = -1;
    for (const TProfilePoint& point : profile.Points) {
        if (point.TimeUs <= previous || point.TimeUs > ProfileMaxSeconds * 1'000'000 ||
            point.Volts < ProfileMinVolts || point.Volts > ProfileMaxVolts) {
            std::abort();
        }
        previous = point.TimeUs;
    }
    // A short run over it: every sample's time grows.
    const uint32_t intervalMs = 1 + static_cast<uint32_t>(size % 997);
    if (ProfileTickCount(profile, intervalMs) <= 2000) {
        double last = 0.0;
        const int64_t samples = RunMainsProfile(profile, intervalMs, [&](const TLampSample& s) {
            if (!(s.Time > last)) {
                std::abort();
            }
            last = s.Time;
            return true;
        });
        if (samples != ProfileTickCount(profile, intervalMs)) {
            std::abort();
        }
    }
    return 0;
}
