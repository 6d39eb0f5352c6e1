// Repaint cost of the instruments as their position changes: the slider (block copies of its
// pre-rendered track, the lit part and the thumb) and the meter (ticks, labels, needle, caption
// and bevel drawn afresh), each shown at the main window's size on the offscreen platform. The
// QApplication comes from the GUI benchmark main (bench/support/GuiBenchMain.cpp).
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace {

// Shows the window and waits until it can be painted: before that a repaint draws nothing.
void ShowExposed(QWidget& window)
{
    window.show();
    while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
        QApplication::processEvents();
}

void SliderPositionRepaint(benchmark::State& state)
{
    QWidget window;
    auto* slider = new TIkSlider(&window);
    slider->SetBounds(0, 0, 44, 108);
    slider->SetMinValue(380);
    slider->SetMaxValue(420);
    ShowExposed(window);
    int32_t value = 380;
    for (auto _ : state) {
        value = value >= 420 ? 380 : value + 1;
        slider->SetPosition(value); // repaints at once
    }
    // The thumb was drawn where the last value puts it.
    if (slider->ThumbRect().Top != slider->PositionToPixel(value))
        state.SkipWithError("slider did not paint");
}
BENCHMARK(SliderPositionRepaint);

void SliderTrackRebuild(benchmark::State& state)
{
    QWidget window;
    auto* slider = new TIkSlider(&window);
    slider->SetBounds(0, 0, 44, static_cast<int>(state.range(0)));
    slider->SetSolidFill(false);
    ShowExposed(window);
    bool high = false;
    for (auto _ : state) {
        high = !high;
        slider->Palette().SetHigh(high ? clLime : clYellow); // both track bitmaps redrawn
    }
}
BENCHMARK(SliderTrackRebuild)->Arg(108)->Arg(1000);

void MeterPositionRepaint(benchmark::State& state)
{
    QWidget window;
    auto* meter = new TIkMeter(&window);
    meter->SetBounds(0, 0, 209, 110);
    meter->SetMaxValue(420);
    meter->SetMinValue(380);
    meter->Scale().SetTicks(50);
    meter->SetLabels(8);
    meter->SetCaption(QStringLiteral("Mainsvoltage: 400V"));
    ShowExposed(window);
    int32_t value = 380;
    for (auto _ : state) {
        value = value >= 420 ? 380 : value + 1;
        meter->SetPosition(value);
    }
    if (meter->OffscreenBitmap().Width() != 209)
        state.SkipWithError("meter did not paint");
}
BENCHMARK(MeterPositionRepaint);

} // namespace
