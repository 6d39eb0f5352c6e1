// The main window at work, on the offscreen platform at its designed size:
// - one timer tick with both charts repainted, after one hour (18,000 points per series), one
//   day (432,000) and one week (3,024,000) of running with the mains voltage moved every three
//   minutes;
// - one mouse move over the upper chart with the crosshair on (the readout's search, the
//   nearest-point tool's search, both charts repainted) at the same lengths;
// - the same tick with a pointer on every point ("Measurmentspoints" on);
// - program start: the five windows created until the main window has painted both charts;
// - the parts alone (a tick without painting, a paint without a tick) to see where time goes.
#include "app/AppForms.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "widgets/IkButtons.h"
#include "widgets/IkSlider.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

namespace {

void InitializeOnce()
{
    static bool done = false;
    if (!done) {
        InitializeUnits();
        done = true;
    }
}

// A main window (with the values window the readout fills) after `ticks` ticks of a run.
struct TRunningWindow
{
    TfrmWerte Werte;
    TWin2kAppForm Form;

    explicit TRunningWindow(int ticks)
    {
        Form.show();
        QCoreApplication::processEvents();
        // Power on as the button's click does, then hold the real timer: the benchmark ticks.
        Form.btnSimuStartenStoppen->SetActive(true);
        Form.btnSimuStartenStoppenClick(Form.btnSimuStartenStoppen);
        Form.Timer1->stop();
        const int32_t volts[] = {400, 405, 395, 420, 380, 410, 390, 415, 385, 400};
        for (int i = 0; i < ticks; ++i) {
            if (i % 900 == 0) { // every three minutes
                Form.IkSlider1->SetPosition(volts[(i / 900) % 10]);
            }
            Form.Timer1Timer();
        }
        RepaintBoth();
    }

    void RepaintBoth()
    {
        Form.Chart1->repaint();
        Form.Chart2->repaint();
    }

    // The crosshair on, the mouse resting over the middle of the upper chart's plot and both
    // charts painted (the first paint after the move makes the upper chart's marker the active
    // one).
    void StartCrosshair()
    {
        CrosshairOn();
        const TRect plot = Form.Chart1->PlotRect();
        MoveOverUpperChart(plot.Left + 10, (plot.Top + plot.Bottom) / 2);
        RepaintBoth();
    }

    void CrosshairOn()
    {
        if (!Form.Datenzeiger1->isChecked()) {
            Form.Datenzeiger1->trigger();
        }
    }

    void StopCrosshair()
    {
        Form.Datenzeiger1->trigger();
        RepaintBoth();
    }

    // The step-th of a walk of moves across the upper chart's plot, each on a new pixel so that
    // each asks for the repaints.
    void MoveAcrossUpperChart(int step)
    {
        const TRect plot = Form.Chart1->PlotRect();
        const int span = std::max(1, plot.Right - plot.Left - 2);
        MoveOverUpperChart(plot.Left + 1 + (step * 7) % span,
                           (plot.Top + plot.Bottom) / 2 + (step % 3));
    }

    // A mouse move at (x, y) of the upper chart, delivered as the window system does.
    void MoveOverUpperChart(int x, int y)
    {
        const QPointF local(x, y);
        QMouseEvent move(QEvent::MouseMove, local, Form.Chart1->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Form.Chart1, &move);
    }
};

// The windows live until the application object goes: they must not outlive it.
std::map<int, std::unique_ptr<TRunningWindow>> windows;

TRunningWindow& Window(int ticks)
{
    InitializeOnce();
    static const bool cleanup = [] {
        qAddPostRoutine([] { windows.clear(); });
        return true;
    }();
    (void)cleanup;
    auto& window = windows[ticks];
    if (!window) {
        window = std::make_unique<TRunningWindow>(ticks);
    }
    return *window;
}

void ReportDraws(benchmark::State& state, TRunningWindow& window, int64_t drawsBefore)
{
    const int64_t draws =
        window.Form.Chart1->DrawCount() + window.Form.Chart2->DrawCount() - drawsBefore;
    state.counters["full paints/iter"] =
        benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
    state.counters["points"] = window.Form.SERIELeistung->Count();
    // Resident memory of the whole process (every window the run has built so far).
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            long kb = 0;
            if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) {
                state.counters["RSS MB"] = static_cast<double>(kb) / 1024.0;
            }
        }
        std::fclose(status);
    }
}

// One tick and the paint of both charts that it leads to.
void BM_TickAndRepaint(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    const int64_t before = window.Form.Chart1->DrawCount() + window.Form.Chart2->DrawCount();
    for (auto _ : state) {
        window.Form.Timer1Timer();
        window.RepaintBoth();
    }
    ReportDraws(state, window, before);
}

// The same with "Measurmentspoints" on: a pointer on every point of all eight series.
void BM_TickAndRepaintWithMarkers(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    window.Form.Messpunkte1Click();
    const int64_t before = window.Form.Chart1->DrawCount() + window.Form.Chart2->DrawCount();
    for (auto _ : state) {
        window.Form.Timer1Timer();
        window.RepaintBoth();
    }
    ReportDraws(state, window, before);
    window.Form.Messpunkte1Click();
    window.RepaintBoth();
}

// The tick alone: the engine's sample and eight appends with their repaint requests.
void BM_TickOnly(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.Form.Timer1Timer();
    }
    window.RepaintBoth();
}

// A full paint of both charts without new data.
void BM_RepaintOnly(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    const int64_t before = window.Form.Chart1->DrawCount() + window.Form.Chart2->DrawCount();
    for (auto _ : state) {
        window.Form.Chart1->Invalidate();
        window.Form.Chart2->Invalidate();
        window.RepaintBoth();
    }
    ReportDraws(state, window, before);
}

// One mouse move over the upper chart with the crosshair on: the window's readout search and
// values window texts, the nearest-point tool's search, and both charts repainted.
void BM_CrosshairMove(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    window.StartCrosshair();
    const int64_t before = window.Form.Chart1->DrawCount() + window.Form.Chart2->DrawCount();
    int step = 0;
    for (auto _ : state) {
        window.MoveAcrossUpperChart(step++);
        window.RepaintBoth();
    }
    ReportDraws(state, window, before);
    window.StopCrosshair();
}

// The mouse-move handlers alone (readout search and texts, the tool's search), no paint.
void BM_CrosshairMoveHandlers(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    window.StartCrosshair();
    int step = 0;
    for (auto _ : state) {
        window.MoveAcrossUpperChart(step++);
    }
    window.StopCrosshair();
}

// Both charts recomposed from their kept pictures (the tools' marks and the crosshair drawn on a
// copy of the picture below them): what a crosshair repaint costs on that path.
void BM_OverlayRepaint(benchmark::State& state)
{
    TRunningWindow& window = Window(static_cast<int>(state.range(0)));
    window.CrosshairOn();
    const bool kept1 = window.Form.Chart1->KeepPicture();
    const bool kept2 = window.Form.Chart2->KeepPicture();
    window.Form.Chart1->SetKeepPicture(true);
    window.Form.Chart2->SetKeepPicture(true);
    window.Form.Chart1->Invalidate();
    window.Form.Chart2->Invalidate();
    window.RepaintBoth();
    const int64_t before = window.Form.Chart1->DrawCount() + window.Form.Chart2->DrawCount();
    int64_t fromKept = 0;
    for (auto _ : state) {
        window.Form.Chart1->RepaintOverlay();
        window.Form.Chart2->RepaintOverlay();
        window.RepaintBoth();
        fromKept += window.Form.Chart1->LastPaintFromKeptPicture() ? 1 : 0;
    }
    ReportDraws(state, window, before);
    state.counters["from kept/iter"] =
        benchmark::Counter(static_cast<double>(fromKept), benchmark::Counter::kAvgIterations);
    window.Form.Chart1->SetKeepPicture(kept1);
    window.Form.Chart2->SetKeepPicture(kept2);
    window.StopCrosshair();
}

// Program start: the five windows created, until the main window has been painted with both
// charts. The windows are destroyed outside the timed part.
void BM_ProgramStartToFirstPaint(benchmark::State& state)
{
    InitializeOnce();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto forms = std::make_unique<TAppForms>();
        forms->OnMainFormClosed = [] {};
        TWin2kAppForm* form = forms->MainForm();
        while (form->Chart1->DrawCount() == 0 || form->Chart2->DrawCount() == 0) {
            QCoreApplication::processEvents();
        }
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        forms.reset();
        QCoreApplication::processEvents();
    }
}

} // namespace

BENCHMARK(BM_TickAndRepaint)
    ->Arg(18000)
    ->Arg(432000)
    ->Arg(3024000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100)
    ->Repetitions(5);
BENCHMARK(BM_TickAndRepaintWithMarkers)
    ->Arg(18000)
    ->Arg(432000)
    ->Arg(3024000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3);
BENCHMARK(BM_TickOnly)
    ->Arg(18000)
    ->Arg(432000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(5);
BENCHMARK(BM_RepaintOnly)
    ->Arg(18000)
    ->Arg(432000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5);
BENCHMARK(BM_CrosshairMove)
    ->Arg(18000)
    ->Arg(432000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100)
    ->Repetitions(5);
BENCHMARK(BM_CrosshairMoveHandlers)
    ->Arg(18000)
    ->Arg(432000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(5);
BENCHMARK(BM_OverlayRepaint)
    ->Arg(18000)
    ->Arg(432000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100)
    ->Repetitions(5);
BENCHMARK(BM_ProgramStartToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5);
