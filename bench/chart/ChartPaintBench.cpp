// A full paint of one of the program's charts (548 x 184, title, fixed left axis, automatic
// bottom axis, four line series: three pens of width 2 and the power series of width 4) at one
// hour (18,000 points per series), one day (432,000) and one week (3,024,000) of 0.2-second
// samples, lines only or with a pointer on every point, on a screen of device pixel ratio 1, 1.5
// or 2 (the buffers have the device size, the layout stays the same). Steady data: the
// mains voltage steps every three minutes and the lamp values follow; noisy data: the same with
// +-2 percentage points of noise on every sample.
#include "chart/Chart.h"
#include "chart/Series.h"
#include "platform/Fonts.h"
#include "tests/support/ProgramChart.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <utility>

namespace {

struct TPaintFixture
{
    std::unique_ptr<TChart> Chart;
    TBitmap Screen{548, 184};
};

std::unique_ptr<TChart> MakeChart(int points, bool noisy)
{
    InstallFontSubstitutions();
    auto chart = ProgramChart(548, 184, QStringLiteral("with Orvex Real-Power-Control"));

    const TColor colors[] = {clRed, clBlue, 8454143, clAqua};
    TLineSeries* series[4];
    for (int s = 0; s < 4; ++s) {
        auto line = std::make_unique<TLineSeries>();
        line->SetSeriesColor(colors[s]);
        line->LinePen().SetWidth(s == 2 ? 4 : 2);
        series[s] = &chart->AddSeries(std::move(line));
        series[s]->BeginChanges();
    }
    std::mt19937 random(42);
    std::uniform_real_distribution<double> noise(-2.0, 2.0);
    std::uniform_real_distribution<double> mainsStep(95.0, 105.0);
    double mains = 100;
    for (int i = 0; i < points; ++i) {
        if (i % 900 == 0)
            mains = mainsStep(random);
        const double t = i * 0.2;
        const double base[4] = {55 + (mains - 100) * 0.8, 62 + (mains - 100) * 0.5,
                                60 + (mains - 100) * 1.6, mains};
        for (int s = 0; s < 4; ++s)
            series[s]->AppendPoint(t, base[s] + (noisy ? noise(random) : 0.0));
    }
    for (TLineSeries* s : series)
        s->EndChanges();
    return chart;
}

TPaintFixture& Fixture(int points, bool noisy)
{
    // Built once per data set: a day of data takes a while to append.
    static std::map<std::pair<int, bool>, std::unique_ptr<TPaintFixture>> fixtures;
    auto& slot = fixtures[{points, noisy}];
    if (!slot) {
        slot = std::make_unique<TPaintFixture>();
        slot->Chart = MakeChart(points, noisy);
    }
    return *slot;
}

void FullPaint(benchmark::State& state)
{
    TPaintFixture& f = Fixture(static_cast<int>(state.range(0)), state.range(1) != 0);
    TChart& chart = *f.Chart;
    const bool markers = state.range(2) != 0;
    const auto showMarkers = [&chart](bool visible) {
        for (int32_t s = 0; s < chart.SeriesCount(); ++s) {
            if (auto* line = dynamic_cast<TLineSeries*>(&chart.SeriesAt(s))) {
                line->Pointer().SetVisible(visible);
            }
        }
    };
    showMarkers(markers);
    f.Screen.SetPixelRatio(static_cast<double>(state.range(3)) / 10);
    for (auto _ : state) {
        chart.ChartCanvas().MarkDirty();
        chart.Draw(f.Screen.Canvas(), chart.ClientRect());
        benchmark::DoNotOptimize(f.Screen.Canvas().Pixel(300, 100));
    }
    showMarkers(false);
    f.Screen.SetPixelRatio(1);
    state.counters["points"] = static_cast<double>(state.range(0)) * 4;
}

// A mouse move that only moves the crosshair: the shown chart recomposes its kept picture
// (overlay) or paints in full (full), both through its own paint event.
void WidgetPaint(benchmark::State& state)
{
    TPaintFixture& f = Fixture(static_cast<int>(state.range(0)), state.range(1) != 0);
    TChart& chart = *f.Chart;
    const bool overlay = state.range(2) != 0;
    int x = 100;
    chart.OnAfterDraw = [&x](TCustomChartPanel* sender) {
        TChartCanvas3D& c = sender->ChartCanvas();
        c.MoveTo(x, sender->PlotRect().Top + 1);
        c.LineTo(x, sender->PlotRect().Bottom);
    };
    chart.SetKeepPicture(overlay);
    // Inside a window, as on the main window (a top-level widget defers its repaints).
    QWidget window;
    window.resize(548, 184);
    chart.setParent(&window);
    chart.SetBounds(0, 0, 548, 184);
    window.show();
    for (int i = 0; i < 1000 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    chart.Invalidate();
    chart.repaint();
    for (auto _ : state) {
        x = x == 100 ? 300 : 100;
        if (overlay)
            chart.RepaintOverlay();
        else
            chart.Invalidate();
        chart.repaint();
    }
    if (chart.DrawCount() == 0 || (overlay && !chart.LastPaintFromKeptPicture()))
        state.SkipWithError("the kept picture was not used");
    chart.setParent(nullptr);
    chart.OnAfterDraw = nullptr;
    chart.SetKeepPicture(false);
}

} // namespace

// Arguments: points per series, noisy (1) or steady (0), pointers on every point (1) or none,
// device pixel ratio x 10.
BENCHMARK(FullPaint)
    ->ArgsProduct({{18000, 432000, 3024000}, {0, 1}, {0, 1}, {10, 15, 20}})
    ->Unit(benchmark::kMillisecond);
// Arguments: points per series, noisy, overlay (1) or full (0) paint.
BENCHMARK(WidgetPaint)->Args({432000, 1, 0})->Args({432000, 1, 1})->Unit(benchmark::kMillisecond);
