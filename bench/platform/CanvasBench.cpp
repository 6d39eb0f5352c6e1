// Line drawing speed on a chart-sized bitmap: one-pixel segments and four-pixel segments with
// round ends at random positions, and whole chart pictures: four series of 432,000 points
// (noisy or steady) drawn one LineTo per segment into a 548 x 184 bitmap, as a line series
// draws them, with one-, two- and four-pixel pens.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
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

// ---- Whole chart pictures ----

constexpr int ChartWidth = 548;
constexpr int ChartHeight = 184;
constexpr int SeriesCount = 4;
constexpr int PointCount = 432000;

// The points of one series across the whole width: noisy values jump anywhere within a band,
// steady values stay on one row with a rare step.
std::vector<TPoint> SeriesPoints(int series, bool noisy)
{
    std::mt19937 rng(1234 + series);
    std::uniform_int_distribution<int> noise(-35, 35);
    const int base = 25 + series * 40;
    std::vector<TPoint> points(PointCount);
    for (int i = 0; i < PointCount; ++i) {
        const int x = static_cast<int>(static_cast<int64_t>(i) * (ChartWidth - 1) / PointCount);
        const int y = noisy ? base + noise(rng) : base + (i / 100000) % 2;
        points[static_cast<size_t>(i)] = {x, std::clamp(y, 0, ChartHeight - 1)};
    }
    return points;
}

// Arguments: pen width, noisy (1) or steady (0). One LineTo per point, or one LineToEach per
// series.
void DrawChartSeries(benchmark::State& state, bool each)
{
    EnsureApplication();
    const int width = static_cast<int>(state.range(0));
    const bool noisy = state.range(1) != 0;
    std::vector<std::vector<TPoint>> series;
    for (int s = 0; s < SeriesCount; ++s)
        series.push_back(SeriesPoints(s, noisy));
    const TColor colors[SeriesCount] = {clRed, clGreen, clBlue, clBlack};
    TBitmap bitmap(ChartWidth, ChartHeight);
    TCanvas& canvas = bitmap.Canvas();
    for (auto _ : state) {
        canvas.Brush().SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, ChartWidth, ChartHeight));
        for (int s = 0; s < SeriesCount; ++s) {
            if (width >= 2)
                canvas.Pen().SetGeometric(colors[s], width, psSolid, pecRound, pjRound);
            else {
                canvas.Pen().SetNormal();
                canvas.Pen().SetWidth(1);
                canvas.Pen().SetColor(colors[s]);
            }
            const std::vector<TPoint>& points = series[static_cast<size_t>(s)];
            canvas.MoveTo(points[0].X, points[0].Y);
            if (each) {
                canvas.LineToEach(points.data() + 1, static_cast<int>(points.size()) - 1);
            } else {
                for (size_t i = 1; i < points.size(); ++i)
                    canvas.LineTo(points[i].X, points[i].Y);
            }
        }
        benchmark::DoNotOptimize(canvas.Pixel(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * SeriesCount * (PointCount - 1));
}

void BM_ChartSeries(benchmark::State& state)
{
    DrawChartSeries(state, false);
}

void BM_ChartSeriesLineToEach(benchmark::State& state)
{
    DrawChartSeries(state, true);
}

} // namespace

BENCHMARK(BM_OnePixelSegments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidthFourRoundCapSegments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartSeries)
    ->ArgNames({"width", "noisy"})
    ->ArgsProduct({{1, 2, 4}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ChartSeriesLineToEach)
    ->ArgNames({"width", "noisy"})
    ->ArgsProduct({{1, 2, 4}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
