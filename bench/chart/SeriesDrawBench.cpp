// Drawing the four line series of a chart (pen widths 2, 2, 2 and 4, as the program draws them)
// into the chart's 32-bit buffer: a day of samples (432,000 points per series) and an hour
// (18,000), steady and noisy, with dense pixel columns merged and with every segment drawn on
// its own; also with a pointer on every point, drawn the fast way and the plain way. Only the
// series drawing is timed; the axes are laid out once beforehand.
#include "chart/ChartAxis.h"
#include "chart/Series.h"
#include "tests/support/FakeAxisChart.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

// Text measurement and drawing need the toolkit's application object. It is made once and never
// destroyed: destroying it after the toolkit's own globals have gone away at exit would crash.
void EnsureApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "SeriesDrawBench";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
}

// One of the program's charts (548 x 184, its plot inside the title and the axis labels) reduced
// to what the series drawing asks of it.
struct TBenchChart : TFakeAxisChart
{
    TBenchChart() : TFakeAxisChart(548, 184, {51, 29, 532, 159}) {}

    // The series of List, owned here.
    std::vector<std::unique_ptr<TLineSeries>> Lines;
};

// Four series of count points, 0.2 s apart: steady (slow waves with a little noise, like a run
// at constant mains voltage) or noisy (every sample anywhere in the visible range).
std::unique_ptr<TBenchChart> MakeChart(int32_t count, bool noisy)
{
    EnsureApplication();
    auto chart = std::make_unique<TBenchChart>();
    const TColor colors[4] = {clRed, clBlue, 8454143, clAqua};
    const int widths[4] = {2, 2, 2, 4};
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 4; ++k) {
        auto series = std::make_unique<TLineSeries>();
        series->SetParentChart(chart.get());
        series->SetSeriesColor(colors[k]);
        series->LinePen().SetWidth(widths[k]);
        series->BeginChanges();
        for (int32_t i = 0; i < count; ++i) {
            const double t = 0.2 * (i + 1);
            const double y =
                noisy ? 45 + 70 * unit(rng)
                      : 60 + 10 * k + 8 * std::sin(t / 300.0 + k) + 0.5 * (unit(rng) - 0.5);
            series->AppendPoint(t, y);
        }
        series->EndChanges();
        chart->List.push_back(series.get());
        chart->Lines.push_back(std::move(series));
    }
    chart->Left.SetScaleRange(45, 115);
    for (TChartAxis* axis : {&chart->Bottom, &chart->Top, &chart->Left, &chart->Right}) {
        axis->ComputeAutoRange();
        axis->PlaceOnChart();
    }
    for (TChartAxis* axis : {&chart->Bottom, &chart->Top, &chart->Left, &chart->Right}) {
        axis->WidenForSeriesMargins();
    }
    for (auto& series : chart->Lines) {
        series->CalcVisibleIndices();
    }
    return chart;
}

void DrawSeries(benchmark::State& state, int32_t count, bool noisy, bool merged,
                bool pointers = false)
{
    const auto chart = MakeChart(count, noisy);
    for (auto& series : chart->Lines) {
        series->SetMergeDenseColumns(merged);
        series->Pointer().SetVisible(pointers);
    }
    const TRect& plot = chart->Plot;
    for (auto _ : state) {
        for (auto& series : chart->Lines) {
            chart->Canvas.ClipPlotArea({plot.Left, plot.Top, plot.Right, plot.Bottom + 1}, 0, 0);
            series->DrawAllValues();
            chart->Canvas.Unclip();
        }
        benchmark::DoNotOptimize(chart->Bitmap.Canvas().Pixel(plot.Left + 1, plot.Top + 1));
    }
    state.counters["points"] = 4.0 * count;
}

constexpr int32_t Day = 432000;
constexpr int32_t Hour = 18000;

void BM_DayMergedSteady(benchmark::State& s)
{
    DrawSeries(s, Day, false, true);
}
void BM_DayMergedNoisy(benchmark::State& s)
{
    DrawSeries(s, Day, true, true);
}
void BM_DayPlainSteady(benchmark::State& s)
{
    DrawSeries(s, Day, false, false);
}
void BM_DayPlainNoisy(benchmark::State& s)
{
    DrawSeries(s, Day, true, false);
}
void BM_HourMergedSteady(benchmark::State& s)
{
    DrawSeries(s, Hour, false, true);
}
void BM_HourMergedNoisy(benchmark::State& s)
{
    DrawSeries(s, Hour, true, true);
}
void BM_HourPlainSteady(benchmark::State& s)
{
    DrawSeries(s, Hour, false, false);
}
void BM_HourPlainNoisy(benchmark::State& s)
{
    DrawSeries(s, Hour, true, false);
}
// Pointers on every point (a 9 x 9 square each), with the fast walk and with the plain one.
void BM_HourPointersSteady(benchmark::State& s)
{
    DrawSeries(s, Hour, false, true, true);
}
void BM_HourPointersNoisy(benchmark::State& s)
{
    DrawSeries(s, Hour, true, true, true);
}
void BM_DayPointersSteady(benchmark::State& s)
{
    DrawSeries(s, Day, false, true, true);
}
void BM_DayPointersNoisy(benchmark::State& s)
{
    DrawSeries(s, Day, true, true, true);
}
void BM_HourPointersPlainSteady(benchmark::State& s)
{
    DrawSeries(s, Hour, false, false, true);
}
void BM_HourPointersPlainNoisy(benchmark::State& s)
{
    DrawSeries(s, Hour, true, false, true);
}
void BM_DayPointersPlainSteady(benchmark::State& s)
{
    DrawSeries(s, Day, false, false, true);
}
void BM_DayPointersPlainNoisy(benchmark::State& s)
{
    DrawSeries(s, Day, true, false, true);
}

} // namespace

BENCHMARK(BM_DayMergedSteady)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayMergedNoisy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayPlainSteady)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayPlainNoisy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HourMergedSteady)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HourMergedNoisy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HourPlainSteady)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HourPlainNoisy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HourPointersSteady)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HourPointersNoisy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayPointersSteady)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayPointersNoisy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HourPointersPlainSteady)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HourPointersPlainNoisy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayPointersPlainSteady)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayPointersPlainNoisy)->Unit(benchmark::kMillisecond);
