#pragma once
// A mains profile: the mains voltage over time, read from text of rows "seconds,volts", and the
// run of the engine over it.
//
// The text: UTF-8 (a byte-order mark is skipped), lines ending in LF, CRLF or CR. Blank lines and
// lines starting with '#' are skipped; so is one header line before the first row, recognised by
// a first field that starts with a letter. Every other line is a row of two fields separated by a
// comma, semicolon or tab, each optionally surrounded by blanks and by double quotes:
//   1. the time in seconds: a plain decimal number (digits, optionally a point and at most six
//      decimals), at most 31,622,400 (366 days), later than the previous row's time;
//   2. the mains voltage in volts: a plain decimal number, rounded to the nearest whole volt with
//      halves up (401.5 gives 402), which must then lie between 380 and 420, the range of the
//      program's slider.
// No signs, exponents or digit grouping. A row's voltage holds from its time until the next row's
// time; before the first row's time the first row's voltage holds.
#include "simulation/LampSimulation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TProfilePoint
{
    int64_t TimeUs = 0; // microseconds from the start of the run
    int32_t Volts = 0;  // whole volts, ProfileMinVolts..ProfileMaxVolts

    bool operator==(const TProfilePoint&) const = default;
};

constexpr int32_t ProfileMinVolts = 380;
constexpr int32_t ProfileMaxVolts = 420;
constexpr int64_t ProfileMaxSeconds = 366LL * 24 * 60 * 60;

// Where a profile is bad: the line (1-based; 0 for the text as a whole), the field (1 time,
// 2 voltage, 3 a field too many; 0 for the line as a whole) and what is wrong.
struct TProfileError
{
    int64_t Line = 0;
    int32_t Field = 0;
    std::string Message;
};

struct TMainsProfile
{
    std::vector<TProfilePoint> Points; // at least one, times strictly increasing
};

// Reads a profile from any bytes. Returns true and fills profile, or returns false and fills
// error with the first fault found; a profile without rows is a fault.
bool ReadMainsProfile(std::string_view text, TMainsProfile& profile, TProfileError& error);

// The number of ticks of intervalMs (at least 1) that fit into the profile: the run ticks until
// the last row's time.
int64_t ProfileTickCount(const TMainsProfile& profile, uint32_t intervalMs);

// Runs the engine over the profile as the main window runs it with the slider moved along the
// profile: Reset at the voltage in force at time 0, then tick k (k = 1, 2, ...) at the voltage in
// force at k x intervalMs, until the last row's time. Each sample goes to sink(sample), which
// returns false to stop the run early. Returns the number of samples delivered.
template <typename Sink>
int64_t RunMainsProfile(const TMainsProfile& profile, uint32_t intervalMs, Sink&& sink)
{
    const std::vector<TProfilePoint>& points = profile.Points;
    if (points.empty() || intervalMs == 0) {
        return 0;
    }
    const int64_t ticks = ProfileTickCount(profile, intervalMs);
    const int64_t stepUs = int64_t{intervalMs} * 1000;
    // The point in force: the last one at or before the time, the first one before it.
    std::size_t current = 0;
    auto voltsAt = [&](int64_t timeUs) {
        while (current + 1 < points.size() && points[current + 1].TimeUs <= timeUs) {
            ++current;
        }
        return points[current].Volts;
    };
    TLampSimulation engine;
    engine.Reset(voltsAt(0));
    for (int64_t k = 1; k <= ticks; ++k) {
        if (!sink(engine.Tick(voltsAt(k * stepUs), intervalMs))) {
            return k;
        }
    }
    return ticks;
}
