// Crosshair repaints from the charts' kept pictures. Two main windows run the same random session
// (real mouse moves over both charts with the crosshair on, ticks of the simulation at random
// mains voltages, point markers and the crosshair switched on and off, restarts): one as the
// program sets it up, its charts redrawing only the crosshair and the markers over the picture
// of their last full paint, the other with every repaint a full paint. After every step each
// chart's buffer must be the other window's pixel for pixel; a mouse move alone must not paint
// any series again, and a data change must make the next paint a full one. Then a tool's own
// changes: an after-draw-only tool's repaints are recomposed, any other tool's are full.
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/ChartTools.h"
#include "chart/NumberFormat.h"
#include "chart/Series.h"
#include "platform/Bitmap.h"
#include "tests/app/MainWindowDriver.h"
#include "tests/support/SaveIfAsked.h"
#include "widgets/IkButtons.h"
#include "widgets/IkSlider.h"

#include <QAction>
#include <QImage>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

namespace {

using namespace MainWindowDriver;

QImage BufferOf(TChart* chart)
{
    const TBitmap* buffer = chart->ChartCanvas().BufferBitmap();
    return buffer != nullptr ? buffer->Image().copy() : QImage();
}

class OverlayRepaintTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        SetNumberSeparators('.', ',');
        // The plain window: every repaint draws the whole chart.
        plain.Chart1->SetKeepPicture(false);
        plain.Chart2->SetKeepPicture(false);
        for (TWin2kAppForm* form : {&kept, &plain}) {
            // The test ticks by hand; the real timer's ticks do not reach the windows.
            form->Timer1->blockSignals(true);
            form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        }
        // Apart from the other window, so that the same point of a chart is another point on
        // the screen for each window's mouse.
        plain.move(plain.pos() + QPoint(41, 29));
        ASSERT_TRUE(kept.Chart1->KeepPicture());
        ASSERT_TRUE(kept.Chart2->KeepPicture());
        Settle();
    }

    // Paints the window's charts at once (upper first, as the window does), runs what is
    // pending, and paints what the charts' after-draw handlers asked of each other.
    static void Settle(TWin2kAppForm& form)
    {
        for (int round = 0; round < 2; ++round) {
            form.Chart1->repaint();
            form.Chart2->repaint();
            QCoreApplication::processEvents();
        }
    }

    void Settle()
    {
        Settle(kept);
        Settle(plain);
    }

    // Runs action on the kept window and lets it paint, then the same on the plain window: each
    // window meets the same events in the same order.
    void Each(const std::function<void(TWin2kAppForm&)>& action)
    {
        for (TWin2kAppForm* form : {&kept, &plain}) {
            action(*form);
            Settle(*form);
        }
    }

    int64_t KeptDraws() const { return kept.Chart1->DrawCount() + kept.Chart2->DrawCount(); }

    // Both windows' charts show the same pixels; the plain window only ever paints in full.
    void ExpectSamePictures(const std::string& step)
    {
        EXPECT_FALSE(plain.Chart1->LastPaintFromKeptPicture());
        EXPECT_FALSE(plain.Chart2->LastPaintFromKeptPicture());
        for (int c = 0; c < 2; ++c) {
            const QImage recomposed = BufferOf(c == 0 ? kept.Chart1 : kept.Chart2);
            const QImage full = BufferOf(c == 0 ? plain.Chart1 : plain.Chart2);
            ASSERT_FALSE(full.isNull());
            ASSERT_EQ(recomposed.size(), full.size());
            if (recomposed != full) {
                int differing = 0;
                for (int y = 0; y < full.height(); ++y)
                    for (int x = 0; x < full.width(); ++x)
                        differing += recomposed.pixel(x, y) != full.pixel(x, y) ? 1 : 0;
                SaveIfAsked(recomposed, "overlay-recomposed.png");
                SaveIfAsked(full, "overlay-full.png");
                FAIL() << "chart " << c + 1 << " after " << step << ": " << differing
                       << " pixels differ";
            }
        }
    }

    TfrmWerte werte; // created first, as at program start
    TWin2kAppForm kept;
    TWin2kAppForm plain;
};

TEST_F(OverlayRepaintTest, RandomSessionRecomposesExactlyWhatFullPaintsDraw)
{
    std::mt19937 random(20261209);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };

    // The crosshair on and a run started, in both windows, by their own buttons.
    Each([](TWin2kAppForm& f) { Click(f.ToolButtonGitter, QPoint(11, 11)); });
    Each([](TWin2kAppForm& f) { Click(f.btnSimuStartenStoppen, QPoint(80, 50)); });
    ExpectSamePictures("the start");

    int moves = 0;
    int recomposedMoves = 0;
    int dataChanges = 0;
    bool haircross = true;
    bool markers = false;
    QPoint last[2] = {{-1, -1}, {-1, -1}};
    for (int step = 0; step < 120 && !HasFatalFailure(); ++step) {
        const int action = pick(0, 99);
        std::string what;
        const QImage upper = BufferOf(kept.Chart1);
        const QImage lower = BufferOf(kept.Chart2);
        const int64_t draws1 = kept.Chart1->DrawCount();
        const int64_t draws2 = kept.Chart2->DrawCount();
        if (action < 62) {
            // A mouse move over one chart: inside the plot mostly, sometimes on its edge,
            // outside it, or on the pixel drawn last.
            const int c = pick(0, 1);
            TChart* chart = c == 0 ? kept.Chart1 : kept.Chart2;
            const TRect plot = chart->PlotRect();
            QPoint at(pick(plot.Left + 1, plot.Right - 1), pick(plot.Top + 1, plot.Bottom - 1));
            const int variant = pick(0, 9);
            if (variant == 0)
                at = QPoint(pick(0, chart->width() - 1), pick(0, chart->height() - 1));
            else if (variant == 1)
                at.setX(plot.Left);
            else if (variant == 2)
                at.setY(plot.Bottom);
            else if (variant == 3 && last[c].x() >= 0)
                at = last[c];
            last[c] = at;
            Each([c, at](TWin2kAppForm& f) { Move(c == 0 ? f.Chart1 : f.Chart2, at); });
            what = "a move over chart " + std::to_string(c + 1) + " to " + std::to_string(at.x()) +
                   ", " + std::to_string(at.y());
            ++moves;
            // Only the crosshair and the markers moved: no series is drawn again, yet the
            // pictures follow the mouse.
            EXPECT_EQ(kept.Chart1->DrawCount(), draws1) << what;
            EXPECT_EQ(kept.Chart2->DrawCount(), draws2) << what;
            if (BufferOf(kept.Chart1) != upper || BufferOf(kept.Chart2) != lower)
                ++recomposedMoves;
        } else if (action < 84) {
            // Ticks at a new mains voltage, sometimes many at once (the time axis rescales);
            // sometimes a move follows before the paint: the data change still wins.
            const int volts = pick(180, 440);
            const int ticks = pick(0, 5) == 0 ? pick(20, 150) : pick(1, 3);
            const TRect plot = kept.Chart2->PlotRect();
            QPoint at(-1, -1);
            if (pick(0, 1) == 0) {
                at = QPoint(pick(plot.Left + 1, plot.Right - 1),
                            pick(plot.Top + 1, plot.Bottom - 1));
                last[1] = at;
            }
            Each([volts, ticks, at](TWin2kAppForm& f) {
                f.IkSlider1->SetPosition(volts);
                for (int i = 0; i < ticks; ++i)
                    f.Timer1Timer();
                if (at.x() >= 0)
                    Move(f.Chart2, at);
            });
            what = std::to_string(ticks) + " ticks at " + std::to_string(volts) + " V";
            ++dataChanges;
            // One full paint of each chart, with the new points.
            EXPECT_EQ(kept.Chart1->DrawCount(), draws1 + 1) << what;
            EXPECT_EQ(kept.Chart2->DrawCount(), draws2 + 1) << what;
        } else if (action < 91) {
            Each([](TWin2kAppForm& f) { Click(f.ToolMesspunkte, QPoint(11, 11)); });
            markers = !markers;
            what = markers ? "markers on" : "markers off";
        } else if (action < 97) {
            Each([](TWin2kAppForm& f) { Click(f.ToolButtonGitter, QPoint(11, 11)); });
            haircross = !haircross;
            what = haircross ? "crosshair on" : "crosshair off";
        } else {
            // Stop and start again: the series are cleared, the markers start on point 0.
            Each([](TWin2kAppForm& f) {
                Click(f.btnSimuStartenStoppen, QPoint(80, 50));
                Click(f.btnSimuStartenStoppen, QPoint(80, 50));
            });
            what = "a restart";
        }
        ASSERT_EQ(kept.Datenzeiger1->isChecked(), haircross);
        ASSERT_EQ(plain.Messpunkte1->isChecked(), markers);
        ASSERT_EQ(kept.ChartToolNearestPoint1->Active(), plain.ChartToolNearestPoint1->Active())
            << what;
        ASSERT_EQ(kept.ChartToolNearestPoint2->Active(), plain.ChartToolNearestPoint2->Active())
            << what;
        ASSERT_EQ(kept.ChartToolNearestPoint1->NearestIndex(),
                  plain.ChartToolNearestPoint1->NearestIndex())
            << what;
        ExpectSamePictures("step " + std::to_string(step) + ", " + what);
    }
    SaveIfAsked(BufferOf(kept.Chart1), "overlay-upper.png");
    SaveIfAsked(BufferOf(kept.Chart2), "overlay-lower.png");
    // The session exercised both paths.
    EXPECT_GT(dataChanges, 8);
    EXPECT_GT(moves, 40);
    EXPECT_GT(recomposedMoves, moves / 2);
}

// A tool that draws before the series: switching it on or off changes the picture below the
// after-draw stage.
class TBandTool : public TChartCustomTool
{
public:
    void PaintStageEvent(TChartToolPaintStage stage) override
    {
        if (stage != tpsBeforeSeries || Chart() == nullptr)
            return;
        TChartCanvas3D& c = Chart()->ChartCanvas();
        const TRect p = Chart()->PlotRect();
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(clYellow);
        c.FillRect({p.Left + 1, p.Top + 1, p.Left + 40, p.Bottom});
    }
};

TEST_F(OverlayRepaintTest, AToolsChangesRecomposeOnlyWhenItDrawsAfterEverythingElse)
{
    Each([](TWin2kAppForm& f) {
        Click(f.ToolButtonGitter, QPoint(11, 11));
        Click(f.btnSimuStartenStoppen, QPoint(80, 50));
        for (int i = 0; i < 40; ++i)
            f.Timer1Timer();
    });
    const TRect plot = kept.Chart2->PlotRect();
    const QPoint at(plot.Left + 120, plot.Top + 30);
    Each([at](TWin2kAppForm& f) { Move(f.Chart2, at); });
    ExpectSamePictures("the first move");
    ASSERT_TRUE(kept.ChartToolNearestPoint2->Active());
    ASSERT_NE(kept.ChartToolNearestPoint2->NearestIndex(), -1);

    // The nearest tool's own changes (off, a new size and on again, a new pen colour) are
    // recomposed: the picture changes without a full paint.
    auto recomposed = [&](const std::function<void(TWin2kAppForm&)>& change, const char* what) {
        const QImage before = BufferOf(kept.Chart2);
        const int64_t draws = KeptDraws();
        Each(change);
        EXPECT_EQ(KeptDraws(), draws) << what;
        EXPECT_NE(BufferOf(kept.Chart2), before) << what;
        ExpectSamePictures(what);
    };
    recomposed([](TWin2kAppForm& f) { f.ChartToolNearestPoint2->SetActive(false); },
               "the lower marker off");
    recomposed(
        [](TWin2kAppForm& f) {
            f.ChartToolNearestPoint2->SetSize(16);
            f.ChartToolNearestPoint2->SetActive(true);
        },
        "the lower marker on, larger");
    recomposed([](TWin2kAppForm& f) { f.ChartToolNearestPoint2->Pen().SetColor(clRed); },
               "the lower marker red");

    // A tool drawing before the series: added, switched off and on, each a full paint.
    const int64_t before = kept.Chart2->DrawCount();
    Each([](TWin2kAppForm& f) { f.Chart2->Tools().Add(std::make_unique<TBandTool>()); });
    EXPECT_EQ(kept.Chart2->DrawCount(), before + 1);
    ExpectSamePictures("a band tool added");
    for (bool active : {false, true}) {
        const int64_t draws = kept.Chart2->DrawCount();
        Each([active](TWin2kAppForm& f) { f.Chart2->Tools().Items(1).SetActive(active); });
        EXPECT_EQ(kept.Chart2->DrawCount(), draws + 1) << active;
        ExpectSamePictures(active ? "the band tool on" : "the band tool off");
    }
    const QImage withBand = BufferOf(kept.Chart2);
    EXPECT_EQ(withBand.pixel(plot.Left + 20, plot.Top + 5), qRgb(255, 255, 0));
    SaveIfAsked(withBand, "overlay-band.png");
}

// Overlay and full requests in either order, uncovering, requests made during the chart's own
// paint, and a resize between a request and its paint.
TEST_F(OverlayRepaintTest, FullRequestsWinAndPaintsOfTheChartItselfDropRequests)
{
    Each([](TWin2kAppForm& f) {
        Click(f.ToolButtonGitter, QPoint(11, 11));
        Click(f.btnSimuStartenStoppen, QPoint(80, 50));
        for (int i = 0; i < 25; ++i)
            f.Timer1Timer();
    });
    TChart* chart = kept.Chart1;
    // A full request followed by an overlay request: still a full paint.
    int64_t draws = chart->DrawCount();
    chart->Invalidate();
    chart->RepaintOverlay();
    chart->repaint();
    EXPECT_EQ(chart->DrawCount(), draws + 1);
    EXPECT_FALSE(chart->LastPaintFromKeptPicture());
    // An overlay request followed by a full request: the full one wins.
    chart->RepaintOverlay();
    chart->LeftAxis().SetMaximum(120.0);
    chart->repaint();
    EXPECT_EQ(chart->DrawCount(), draws + 2);
    EXPECT_FALSE(chart->LastPaintFromKeptPicture());
    // An overlay request alone recomposes; a paint that only uncovers copies the buffer.
    chart->RepaintOverlay();
    chart->repaint();
    EXPECT_TRUE(chart->LastPaintFromKeptPicture());
    EXPECT_EQ(chart->DrawCount(), draws + 2);
    const QImage shown = BufferOf(chart);
    chart->repaint();
    EXPECT_FALSE(chart->LastPaintFromKeptPicture());
    EXPECT_EQ(chart->DrawCount(), draws + 2);
    EXPECT_EQ(chart->grab().toImage().convertToFormat(QImage::Format_RGB32),
              shown.convertToFormat(QImage::Format_RGB32));
    // A request made by the chart's own after-draw event is dropped; the next one counts.
    int paints = 0;
    const TChartNotifyEvent handler = chart->OnAfterDraw;
    chart->OnAfterDraw = [&](TCustomChartPanel* sender) {
        handler(sender);
        ++paints;
        chart->RepaintOverlay();
    };
    chart->RepaintOverlay();
    chart->repaint();
    EXPECT_TRUE(chart->LastPaintFromKeptPicture());
    Settle(kept);
    EXPECT_EQ(paints, 1);
    chart->RepaintOverlay();
    chart->repaint();
    EXPECT_EQ(paints, 2);
    chart->OnAfterDraw = handler;
    // A resize between the request and the paint: a full paint at the new size.
    draws = chart->DrawCount();
    chart->RepaintOverlay();
    const QSize size = chart->size();
    kept.resize(kept.width() + 30, kept.height() + 20);
    QCoreApplication::processEvents();
    ASSERT_NE(chart->size(), size);
    chart->repaint();
    EXPECT_GT(chart->DrawCount(), draws);
    EXPECT_FALSE(chart->LastPaintFromKeptPicture());
    EXPECT_EQ(BufferOf(chart).width(), chart->width());
    EXPECT_EQ(BufferOf(chart).height(), chart->height());
    // After the resize the crosshair is recomposed at the new size again.
    chart->RepaintOverlay();
    chart->repaint();
    EXPECT_TRUE(chart->LastPaintFromKeptPicture());
}

} // namespace
