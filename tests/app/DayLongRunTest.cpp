// A whole day of running: 432,000 ticks (one day at 200 ms) through the main window's tick
// handler, the slider moved by key and both charts repainted every 10,000 ticks, with the point
// markers switched on by their tool button for a stretch of it. Memory grows only with the stored
// points (their own storage and a little for the run summaries, proportional to the points, half
// way and at the end), and all of it comes back when a restart clears the series; the last
// picture of both charts is exactly the picture of fresh charts given the same points.
//
// ORVEX_DAY_TICKS sets another number of ticks: the week-long run (3,024,000 ticks, ctest label
// "week", left out of the normal test run) is this test with a week of ticks. The full day takes
// about 20 s in the sanitized debug build.
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "platform/Bitmap.h"
#include "tests/app/MainWindowDriver.h"
#include "tests/support/HeapInUse.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace MainWindowDriver;

constexpr int OneDay = 432000; // ticks of 200 ms
constexpr int RepaintEvery = 10000;

int DayTicks()
{
    if (const char* text = std::getenv("ORVEX_DAY_TICKS"); text != nullptr && *text != '\0') {
        const long ticks = std::strtol(text, nullptr, 10);
        if (ticks > 0 && ticks <= 8 * OneDay) {
            return static_cast<int>(ticks);
        }
    }
    return OneDay;
}

class DayLongRunTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        ASSERT_TRUE(ShowActive(&form));
        ASSERT_TRUE(WaitUntil([&] { return form.IkSlider1->hasFocus(); }));
    }

    std::vector<TLineSeries*> AllSeries(TWin2kAppForm& window) const
    {
        return {window.SERIEStromRegel,        window.SERIESpannungRegel, window.SERIELeistungRegel,
                window.SERIENetzspannungRegel, window.SERIEStrom,         window.SERIESpannung,
                window.SERIELeistung,          window.SERIENetzspannung};
    }

    // Waits until both charts have run a full paint since the counts given.
    bool BothRepainted(int64_t upper, int64_t lower)
    {
        return WaitUntil(
            [&] { return form.Chart1->DrawCount() > upper && form.Chart2->DrawCount() > lower; },
            60000);
    }

    // The points' own storage: 8 series x 2 lists x count x 8 bytes.
    int64_t PointBytes()
    {
        int64_t bytes = 0;
        for (TLineSeries* series : AllSeries(form)) {
            bytes += int64_t{series->XValues().Count()} * 8;
            bytes += int64_t{series->YValues().Count()} * 8;
        }
        return bytes;
    }

    // What the value lists' run summaries hold.
    int64_t SummaryBytes()
    {
        int64_t bytes = 0;
        for (TLineSeries* series : AllSeries(form)) {
            bytes += static_cast<int64_t>(series->XValues().Summary().StorageBytes());
            bytes += static_cast<int64_t>(series->YValues().Summary().StorageBytes());
        }
        return bytes;
    }

    // The process' resident memory (0 where it cannot be read).
    static int64_t ResidentBytes()
    {
        long long pages = 0;
        long long resident = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm == nullptr) {
            return 0;
        }
        const bool read = std::fscanf(statm, "%lld %lld", &pages, &resident) == 2;
        std::fclose(statm);
        return read ? resident * sysconf(_SC_PAGESIZE) : 0;
    }

    TfrmWerte werte;
    TWin2kAppForm form;
};

TEST_F(DayLongRunTest, ADayOfTicksKeepsMemoryToThePointsAndThePictureRight)
{
    const int ticks = DayTicks();
    std::printf("day-long run: %d ticks\n", ticks);
    const auto started = std::chrono::steady_clock::now();

    // Power on by a click; the ticks are then run here rather than waited for (a day of real
    // time). Ticks of the real timer that come due while the events are processed join in.
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    ASSERT_TRUE(form.btnSimuStartenStoppen->Active());
    ASSERT_TRUE(
        WaitUntil([&] { return form.Chart1->DrawCount() > 0 && form.Chart2->DrawCount() > 0; }));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const int64_t heapAtStart = HeapInUse();

    // The slider's round: down, down, to 380, up, to 420, down, ... by the keys a user presses.
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Home, Qt::Key_Up,
                            Qt::Key_End,  Qt::Key_Down, Qt::Key_Up,   Qt::Key_Home};
    int keyIndex = 0;
    int repaints = 0;
    // Point markers on for a stretch of the run: from the 2nd to the 5th repaint.
    const int markersOn = 2 * RepaintEvery;
    const int markersOff = 5 * RepaintEvery;
    const bool withMarkers = ticks > markersOff;
    int64_t halfWayGrowth = 0;
    int64_t halfWayPoints = 0;
    for (int tick = 1; tick <= ticks; ++tick) {
        // The key goes before the tick, so that the last tick of the day takes the slider's
        // last position even when no tick of the real timer follows it.
        const bool repaint = tick % RepaintEvery == 0 || tick == ticks;
        const int64_t upper = form.Chart1->DrawCount();
        const int64_t lower = form.Chart2->DrawCount();
        if (repaint) {
            Key(&form, keys[keyIndex++ % 8]);
        }
        if (withMarkers && (tick == markersOn || tick == markersOff)) {
            Click(form.ToolMesspunkte, QPoint(11, 11));
            ASSERT_EQ(form.Messpunkte1->isChecked(), tick == markersOn) << "at tick " << tick;
        }
        form.Timer1Timer();
        if (repaint) {
            ASSERT_TRUE(BothRepainted(upper, lower)) << "at tick " << tick;
            ++repaints;
        }
        if (tick == ticks / 2) {
            halfWayGrowth = HeapInUse() - heapAtStart;
            halfWayPoints = PointBytes();
        }
    }
    // Off before counting: a tick of the real timer may still come while the click is handled.
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    ASSERT_FALSE(form.btnSimuStartenStoppen->Active());
    const int32_t count = form.SERIELeistung->Count();
    ASSERT_GE(count, ticks);
    for (TLineSeries* series : AllSeries(form)) {
        ASSERT_EQ(series->Count(), count);
    }
    // The last tick took the slider's last position.
    EXPECT_EQ(form.SERIENetzspannung->YValue(count - 1), form.IkSlider1->Position() / 4.0);
    EXPECT_EQ(form.SERIENetzspannungRegel->YValue(count - 1), form.IkSlider1->Position() / 4.0);

    // ---- Memory: the growth is the points' own storage, the slack of the growing arrays and
    // the run summaries (together at most 15 % more), and a few megabytes for pictures and
    // caches that do not grow with the points; half way it was in the same proportion.
    const int64_t points = PointBytes();
    const int64_t growth = HeapInUse() - heapAtStart;
    const int64_t summaries = SummaryBytes();
    std::printf("points %.1f MB, heap growth %.1f MB over %d repaints (half way: %.1f MB for "
                "%.1f MB), summaries %.1f MB, process resident %.1f MB\n",
                points / 1e6, growth / 1e6, repaints, halfWayGrowth / 1e6, halfWayPoints / 1e6,
                summaries / 1e6, ResidentBytes() / 1e6);
    EXPECT_EQ(points, int64_t{16} * count * 8);
    EXPECT_LE(summaries, points * 5 / 100);
    EXPECT_GE(growth, points * 9 / 10);
    EXPECT_LE(growth, points * 115 / 100 + 16'000'000);
    EXPECT_GE(halfWayGrowth, halfWayPoints * 9 / 10);
    EXPECT_LE(halfWayGrowth, halfWayPoints * 115 / 100 + 16'000'000);

    // ---- The last picture: pixel for pixel what fresh charts of the same size draw from the
    // same points (no state left over from a day of incremental paints).
    const QImage upper = form.Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage lower = form.Chart2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    {
        TWin2kAppForm fresh;
        fresh.resize(form.size());
        fresh.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
        ASSERT_TRUE(WaitUntil([&] {
            return fresh.Chart1->size() == form.Chart1->size() &&
                   fresh.Chart2->size() == form.Chart2->size();
        }));
        const std::vector<TLineSeries*> from = AllSeries(form);
        const std::vector<TLineSeries*> to = AllSeries(fresh);
        for (size_t s = 0; s < from.size(); ++s) {
            for (int32_t i = 0; i < count; ++i) {
                to[s]->AppendPoint(from[s]->XValue(i), from[s]->YValue(i));
            }
        }
        TBitmap freshUpper;
        TBitmap freshLower;
        fresh.Chart1->DrawToBitmap(freshUpper);
        fresh.Chart2->DrawToBitmap(freshLower);
        const QImage expectedUpper = freshUpper.Image().convertToFormat(QImage::Format_RGB32);
        const QImage expectedLower = freshLower.Image().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(expectedUpper.size(), upper.size());
        ASSERT_EQ(expectedLower.size(), lower.size());
        EXPECT_TRUE(upper == expectedUpper) << "the upper chart's last picture differs";
        EXPECT_TRUE(lower == expectedLower) << "the lower chart's last picture differs";
    }
    // The picture is a real one: the pale yellow power line runs across the plot.
    {
        const TRect plot = form.Chart1->PlotRect();
        int columns = 0;
        for (int x = plot.Left + 1; x < plot.Right; ++x) {
            for (int y = plot.Top + 1; y < plot.Bottom; ++y) {
                if (upper.pixel(x, y) == qRgb(255, 255, 128)) {
                    ++columns;
                    break;
                }
            }
        }
        EXPECT_GE(columns, (plot.Right - plot.Left) * 9 / 10);
    }

    // ---- A restart clears the series and releases their storage: the heap returns to where
    // the day began, but for a few megabytes that do not depend on the number of ticks (font
    // and glyph caches of the fresh charts, the pictures): nothing was kept per tick or paint.
    const int64_t upperDraws = form.Chart1->DrawCount();
    const int64_t lowerDraws = form.Chart2->DrawCount();
    Click(form.btnSimuStartenStoppen, QPoint(80, 50)); // on: a new run
    Click(form.btnSimuStartenStoppen, QPoint(80, 50)); // and off
    ASSERT_LE(form.SERIELeistung->Count(), 1);
    ASSERT_TRUE(BothRepainted(upperDraws, lowerDraws));
    const int64_t afterClear = HeapInUse() - heapAtStart;
    std::printf("heap after the restart: %+.1f MB against the start; took %.1f s\n",
                afterClear / 1e6,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    EXPECT_LE(afterClear, 8'000'000);
}

} // namespace
