// Appending samples in time order to one series, as the simulation's timer does, and reading the
// statistics the axes use for their automatic range.
#include "chart/ChartEngine.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t PointCount = 1000000;

// A chart that only takes repaint requests, so the cost of asking is part of the measurement.
class TNullChart : public TChartHost
{
public:
    void Invalidate() override { benchmark::DoNotOptimize(++Requests); }
    bool IsDestroying() const override { return false; }
    void SeriesColorChanged(TChartSeries&) override {}
    void SeriesActiveChanged(TChartSeries&) override {}
    int64_t Requests = 0;
};

void FillSeries(TChartSeries& series)
{
    for (int32_t i = 0; i < PointCount; ++i) {
        series.AppendPoint(0.2 * (i + 1), 60.0 + (i % 500) * 0.1);
    }
}

void ReadStatistics(benchmark::State& state, const TChartSeries& series)
{
    benchmark::DoNotOptimize(series.HighestX());
    benchmark::DoNotOptimize(series.LowestX());
    benchmark::DoNotOptimize(series.HighestY());
    benchmark::DoNotOptimize(series.LowestY());
    benchmark::DoNotOptimize(series.YValues().Sum());
    if (series.Count() != PointCount) {
        state.SkipWithError("points were lost");
    }
}

// One million points appended in X order to a series of a chart, then its statistics read.
void BM_AppendMillionPoints(benchmark::State& state)
{
    for (auto _ : state) {
        TNullChart chart;
        TChartSeries series;
        series.SetParentChart(&chart);
        FillSeries(series);
        ReadStatistics(state, series);
    }
    state.SetItemsProcessed(state.iterations() * PointCount);
}
BENCHMARK(BM_AppendMillionPoints)->Unit(benchmark::kMillisecond);

// The statistics pass alone: one change, then the first read recomputes over all points.
void BM_StatisticsAfterChange(benchmark::State& state)
{
    TChartSeries series;
    FillSeries(series);
    double x = 0.2 * (PointCount + 1);
    for (auto _ : state) {
        series.AppendPoint(x, 1.0);
        x += 0.2;
        benchmark::DoNotOptimize(series.HighestY());
        benchmark::DoNotOptimize(series.YValues().AbsSum());
    }
    state.SetItemsProcessed(state.iterations() * PointCount);
}
BENCHMARK(BM_StatisticsAfterChange)->Unit(benchmark::kMillisecond);

} // namespace
