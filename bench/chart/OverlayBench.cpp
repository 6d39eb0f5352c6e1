// A mouse move over a chart of the main window with the crosshair on, after an hour (18,000
// points per series) and a day (432,000) of running: the window's handler (readout search and
// values window texts), the nearest-point tool's search, and the repaint of both charts. The
// second argument chooses how the charts repaint the crosshair: from their kept pictures (1, the
// program's setting) or by full paints of every series (0).
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

#include <map>
#include <memory>

namespace {

// The main window and its values window after `ticks` ticks of a run, the crosshair on.
struct TCrosshairWindow
{
    TfrmWerte Werte;
    TWin2kAppForm Form;

    explicit TCrosshairWindow(int ticks)
    {
        Form.show();
        QCoreApplication::processEvents();
        Form.btnSimuStartenStoppen->SetActive(true);
        Form.btnSimuStartenStoppenClick(Form.btnSimuStartenStoppen);
        Form.Timer1->stop(); // the benchmark ticks by hand
        const int32_t volts[] = {400, 405, 395, 420, 380, 410, 390, 415, 385, 400};
        for (int i = 0; i < ticks; ++i) {
            if (i % 900 == 0) // the mains voltage moves every three minutes
                Form.IkSlider1->SetPosition(volts[(i / 900) % 10]);
            Form.Timer1Timer();
        }
        Form.Datenzeiger1->trigger();
        QCoreApplication::processEvents();
        Form.Chart1->repaint();
        Form.Chart2->repaint();
    }

    void SetKeepPicture(bool keep)
    {
        Form.Chart1->SetKeepPicture(keep);
        Form.Chart2->SetKeepPicture(keep);
        Form.Chart1->Invalidate();
        Form.Chart2->Invalidate();
        Form.Chart1->repaint();
        Form.Chart2->repaint();
    }

    // A mouse move at (x, y) of chart, delivered as the window system does.
    static void MoveOver(TChart* chart, int x, int y)
    {
        const QPointF local(x, y);
        QMouseEvent move(QEvent::MouseMove, local, chart->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &move);
    }
};

std::map<int, std::unique_ptr<TCrosshairWindow>> windows;

TCrosshairWindow& Window(int ticks)
{
    static const bool prepared = [] {
        InitializeUnits();
        // The windows go before the application object.
        qAddPostRoutine([] { windows.clear(); });
        return true;
    }();
    (void)prepared;
    auto& window = windows[ticks];
    if (!window)
        window = std::make_unique<TCrosshairWindow>(ticks);
    return *window;
}

// Moves alternate between the upper and the lower chart, each on a new pixel; paint(window)
// brings the charts on screen.
template <typename Paint> void MouseMoves(benchmark::State& state, Paint paint)
{
    TCrosshairWindow& window = Window(static_cast<int>(state.range(0)));
    window.SetKeepPicture(state.range(1) != 0);
    TWin2kAppForm& form = window.Form;
    const TRect plot = form.Chart1->PlotRect();
    const int span = std::max(1, plot.Right - plot.Left - 2);
    const int height = std::max(1, plot.Bottom - plot.Top - 2);
    const int64_t draws = form.Chart1->DrawCount() + form.Chart2->DrawCount();
    int64_t recomposed = 0;
    int step = 0;
    for (auto _ : state) {
        TChart* chart = step % 2 == 0 ? form.Chart1 : form.Chart2;
        TCrosshairWindow::MoveOver(chart, plot.Left + 1 + (step * 7) % span,
                                   plot.Top + 1 + (step * 5) % height);
        ++step;
        paint(window);
        recomposed += (form.Chart1->LastPaintFromKeptPicture() ? 1 : 0) +
                      (form.Chart2->LastPaintFromKeptPicture() ? 1 : 0);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["full paints/move"] =
        static_cast<double>(form.Chart1->DrawCount() + form.Chart2->DrawCount() - draws) /
        iterations;
    state.counters["recomposed/move"] = static_cast<double>(recomposed) / iterations;
    state.counters["points"] = form.SERIELeistung->Count();
}

// The move and the synchronous repaint of both charts.
void BM_CrosshairMouseMove(benchmark::State& state)
{
    MouseMoves(state, [](TCrosshairWindow& window) {
        window.Form.Chart1->repaint();
        window.Form.Chart2->repaint();
    });
}

// The move and one turn of the event loop: both charts and the values window's changed texts
// are painted as the window system would have them.
void BM_CrosshairMouseMoveEventLoop(benchmark::State& state)
{
    MouseMoves(state, [](TCrosshairWindow&) { QCoreApplication::processEvents(); });
}

} // namespace

// Arguments: points per series, kept picture on (1) or off (0).
BENCHMARK(BM_CrosshairMouseMove)
    ->ArgsProduct({{18000, 432000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CrosshairMouseMoveEventLoop)
    ->ArgsProduct({{18000, 432000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
