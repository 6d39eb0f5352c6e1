// Axis costs in a paint: mapping values to pixels (every point of every series), choosing the
// label step and producing the label values, and finding the visible points of a day of samples;
// and the nearest-point search over a day of samples, pruned by the X order and plain.
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "chart/ChartTools.h"
#include "tests/support/FakeAxisChart.h"
#include "tests/support/PlainNearest.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Text measurement needs the toolkit's application object. It is made once and never destroyed:
// destroying it after the toolkit's own globals have gone away at exit would crash.
void EnsureApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "AxisBench";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

// A chart reduced to what the axes ask of it.
struct TBenchChart : TFakeAxisChart
{
    TBenchChart() : TFakeAxisChart(548, 184, {60, 30, 532, 150}) {}
};

std::vector<double> RandomValues(size_t n)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(30, 130);
    std::vector<double> values(n);
    for (double& v : values)
        v = value(random);
    return values;
}

// One million values through the left axis' mapping.
void ValueToPixelMillion(benchmark::State& state)
{
    EnsureApplication();
    TBenchChart chart;
    chart.Left.SetScaleRange(45, 115);
    chart.Left.PlaceOnChart();
    const std::vector<double> values = RandomValues(1000000);
    for (auto _ : state) {
        int64_t sum = 0;
        for (const double v : values)
            sum += chart.Left.ValueToPixel(v);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(ValueToPixelMillion)->Unit(benchmark::kMillisecond);

// The same values through the written-out formula with the library rounding, for comparison.
void ValueToPixelPlainFormulaMillion(benchmark::State& state)
{
    EnsureApplication();
    TBenchChart chart;
    TChartAxis& axis = chart.Left;
    axis.SetScaleRange(45, 115);
    axis.PlaceOnChart();
    const std::vector<double> values = RandomValues(1000000);
    for (auto _ : state) {
        int64_t sum = 0;
        for (const double v : values) {
            const double p = axis.EndPixel() - (v - axis.ScaleMinimum()) * axis.PixelsPerUnit();
            sum += p > AxisPixelLimit    ? AxisPixelLimit
                   : p < -AxisPixelLimit ? -AxisPixelLimit
                                         : static_cast<int32_t>(std::nearbyint(p));
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(ValueToPixelPlainFormulaMillion)->Unit(benchmark::kMillisecond);

// Puts a day of samples at 0.2 s into series and series into chart.
void AddDayOfSamples(TBenchChart& chart, TChartSeries& series)
{
    chart.List.push_back(&series);
    series.SetParentChart(&chart);
    for (int i = 1; i <= 432000; ++i)
        series.AppendPoint(i * 0.2, 50);
}

// A day of samples at 0.2 s on the bottom axis: the step and the label values, as every paint
// computes them.
void StepAndLabelValuesDay(benchmark::State& state)
{
    EnsureApplication();
    TBenchChart chart;
    TChartSeries series;
    AddDayOfSamples(chart, series);
    chart.Bottom.ComputeAutoRange();
    chart.Bottom.PlaceOnChart();
    for (auto _ : state) {
        const double step = chart.Bottom.ComputeIncrement();
        int labels = 0;
        chart.Bottom.ProduceLabelValues(step, [&](double v) {
            benchmark::DoNotOptimize(v);
            ++labels;
        });
        benchmark::DoNotOptimize(labels);
    }
}
BENCHMARK(StepAndLabelValuesDay)->Unit(benchmark::kMicrosecond);

// The visible range of a day of samples with the bottom axis zoomed to its middle hour.
void VisibleIndicesDay(benchmark::State& state)
{
    EnsureApplication();
    TBenchChart chart;
    TChartSeries series;
    AddDayOfSamples(chart, series);
    chart.Bottom.SetScaleRange(41400, 45000);
    chart.Bottom.PlaceOnChart();
    for (auto _ : state) {
        series.CalcVisibleIndices();
        benchmark::DoNotOptimize(series.LastVisibleIndex());
    }
}
BENCHMARK(VisibleIndicesDay)->Unit(benchmark::kMicrosecond);

// A chart of 548 x 184 pixels with a day of samples (432,000 points) and a nearest-point tool;
// the search runs for mouse positions spread over the plot.
struct TDayChart
{
    TDayChart()
    {
        chart.SetBounds(0, 0, 548, 184);
        series = &chart.AddSeries(std::make_unique<TChartSeries>());
        std::mt19937 random(9);
        std::uniform_real_distribution<double> y(40, 120);
        for (int i = 1; i <= 432000; ++i)
            series->AppendPoint(i * 0.2, y(random));
        tool = &chart.Tools().Add(std::make_unique<TNearestTool>());
        tool->SetSeries(series);
        TBitmap picture;
        chart.DrawToBitmap(picture); // lays out the plot and the axes
    }
    TChart chart;
    TChartSeries* series = nullptr;
    TNearestTool* tool = nullptr;
};

void NearestPointDay(benchmark::State& state)
{
    EnsureApplication();
    TDayChart day;
    const TRect plot = day.chart.PlotRect();
    int k = 0;
    for (auto _ : state) {
        const int x = plot.Left + (k * 37) % (plot.Right - plot.Left);
        const int y = plot.Top + (k * 11) % (plot.Bottom - plot.Top);
        ++k;
        benchmark::DoNotOptimize(state.range(0) != 0 ? day.tool->FindNearest(x, y)
                                                     : PlainNearestForTool(*day.tool, x, y));
    }
}
BENCHMARK(NearestPointDay)->Arg(1)->Arg(0)->ArgName("pruned")->Unit(benchmark::kMicrosecond);

} // namespace
