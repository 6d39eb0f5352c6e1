// Line drawing speed on a chart-sized bitmap: one-pixel segments and four-pixel segments with
// round ends, both at random positions.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int SegmentCount = 100000;

// A QGuiApplication for fonts and painting, made once.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "CanvasBench";
    static char* argv[] = {name, nullptr};
    if (qGuiApp == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static QGuiApplication app(argc, argv);
    }
}

std::vector<TPoint> RandomEnds(int width, int height)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> x(0, width - 1);
    std::uniform_int_distribution<int> y(0, height - 1);
    std::vector<TPoint> ends(2 * SegmentCount);
    for (auto& p : ends)
        p = {x(rng), y(rng)};
    return ends;
}

void DrawSegments(benchmark::State& state, int width, bool roundCaps)
{
    EnsureApplication();
    TBitmap bitmap(600, 200);
    TCanvas& canvas = bitmap.Canvas();
    if (roundCaps)
        canvas.Pen().SetGeometric(clBlue, width, psSolid, pecRound, pjRound);
    else
        canvas.Pen().SetColor(clBlue);
    const std::vector<TPoint> ends = RandomEnds(600, 200);
    for (auto _ : state) {
        for (int i = 0; i < SegmentCount; ++i) {
            canvas.MoveTo(ends[2 * i].X, ends[2 * i].Y);
            canvas.LineTo(ends[2 * i + 1].X, ends[2 * i + 1].Y);
        }
        benchmark::DoNotOptimize(canvas.Pixel(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * SegmentCount);
    // Seconds per 1e-9 segments: nanoseconds per segment.
    state.counters["ns_per_segment"] =
        benchmark::Counter(static_cast<double>(state.iterations() * SegmentCount) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_OnePixelSegments(benchmark::State& state)
{
    DrawSegments(state, 1, false);
}

void BM_WidthFourRoundCapSegments(benchmark::State& state)
{
    DrawSegments(state, 4, true);
}

} // namespace

BENCHMARK(BM_OnePixelSegments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidthFourRoundCapSegments)->Unit(benchmark::kMillisecond);
