// The command-line run of a mains profile: a week of 200 ms ticks (3,024,000 samples) through the
// engine and the CSV writer, the blocks dropped as a file would take them; and the reading of a
// week's profile with a row a minute.
#include "simulation/MainsProfile.h"
#include "simulation/RunCsv.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int64_t WeekSeconds = 7 * 24 * 60 * 60;

// A row a minute, the voltage walking through the slider's range.
std::string WeekProfileText()
{
    std::string text = "time,volts\n";
    for (int64_t minute = 0; minute * 60 <= WeekSeconds; ++minute) {
        text += std::to_string(minute * 60) + "," + std::to_string(380 + (minute * 7) % 41) + "\n";
    }
    return text;
}

void BM_ReadWeekProfile(benchmark::State& state)
{
    const std::string text = WeekProfileText();
    for (auto _ : state) {
        TMainsProfile profile;
        TProfileError error;
        benchmark::DoNotOptimize(ReadMainsProfile(text, profile, error));
        benchmark::DoNotOptimize(profile.Points.data());
    }
}
BENCHMARK(BM_ReadWeekProfile)->Unit(benchmark::kMillisecond);

void BM_RunWeekToCsv(benchmark::State& state)
{
    TMainsProfile profile;
    TProfileError error;
    if (!ReadMainsProfile(WeekProfileText(), profile, error)) {
        state.SkipWithError(error.Message.c_str());
        return;
    }
    std::string block;
    block.reserve(1 << 21);
    for (auto _ : state) {
        std::size_t bytes = 0;
        block.assign(RunCsvHeader());
        const int64_t samples = RunMainsProfile(profile, 200, [&](const TLampSample& sample) {
            AppendRunCsvRow(block, sample);
            if (block.size() >= (1 << 20)) {
                bytes += block.size();
                block.clear();
            }
            return true;
        });
        bytes += block.size();
        benchmark::DoNotOptimize(bytes);
        state.counters["samples"] = static_cast<double>(samples);
        state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    }
}
BENCHMARK(BM_RunWeekToCsv)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace
