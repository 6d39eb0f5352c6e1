// The crosshair of the main window: the nearest-sample search (the X-ordered walk against the
// plain search on random data, ties, empty series, 64-bit distances), the readout in the values
// window under both number locales, and the crosshair lines and active markers as real mouse
// moves and clicks leave them on the charts' pictures.
#include "app/AnchoredPanel.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "chart/ChartTools.h"
#include "chart/NumberFormat.h"
#include "chart/Series.h"
#include "platform/Bitmap.h"
#include "tests/app/MainWindowDriver.h"
#include "tests/support/PlainNearest.h"
#include "widgets/IkButtons.h"

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace MainWindowDriver;

constexpr int32_t Limit = 67108863; // the axes' pixel limit

// ---- The search on its own ------------------------------------------------------------------

struct TPixels
{
    std::vector<int32_t> X;
    std::vector<int32_t> Y;
    int32_t Count() const { return static_cast<int32_t>(X.size()); }
};

int32_t Plain(const TPixels& p, int32_t x, int32_t y)
{
    return PlainNearestPixel(
        0, p.Count() - 1, [&](int32_t i) { return p.X[i]; }, [&](int32_t i) { return p.Y[i]; }, x,
        y);
}

TEST(NearestSampleSearch, TiesGoToTheLowerIndexAndAnEmptySetFindsNothing)
{
    EXPECT_EQ(Plain({}, 0, 0), -1);
    // (3,4) and (5,0) are both 5 away from the origin; so is (0,5) right of the mouse in X
    // order; (4,3) as well. The first of them wins, whichever side of the mouse it lies on.
    const TPixels ties{{-5, -3, 0, 4, 5}, {0, 4, 5, 3, 0}};
    EXPECT_EQ(Plain(ties, 0, 0), 0);
    // Rounded distances tie too: sqrt(50) = 7.07 and sqrt(49) = 7 both round to 7.
    const TPixels rounded{{-7, 5, 7}, {1, 5, 0}};
    EXPECT_EQ(Plain(rounded, 0, 0), 0);
    // A whole column of equal X: the first point of the nearest rounded distance.
    const TPixels column{{10, 10, 10, 10}, {9, -3, 3, -9}};
    EXPECT_EQ(Plain(column, 10, 0), 1);
}

TEST(NearestSampleSearch, DistancesBeyondThirtyTwoBitSquaresStayExact)
{
    // Pixel differences of twice the pixel limit: squares and sums need 64 bits.
    EXPECT_EQ(RoundedPixelDistance(2 * int64_t{Limit}, 0), 2 * int64_t{Limit});
    EXPECT_EQ(RoundedPixelDistance(0, -2 * int64_t{Limit}), 2 * int64_t{Limit});
    EXPECT_EQ(RoundedPixelDistance(3, 4), 5);
    EXPECT_EQ(RoundedPixelDistance(46341, 0), 46341); // its square no longer fits 31 bits
    // A far point beats a farther one; with 32-bit squares both would have wrapped around.
    const TPixels far{{-Limit, Limit}, {Limit, -Limit}};
    EXPECT_EQ(Plain(far, Limit, -Limit + 5), 1);
    EXPECT_EQ(Plain(far, -Limit + 3, Limit), 0);
}

// The window's search on a real chart's series: the X-ordered walk against the plain search.
TEST(NearestSampleSearch, WindowSearchOnAChartSeriesMatchesThePlainSearch)
{
    TChart chart;
    chart.resize(548, 184);
    auto& series = chart.AddSeries(std::make_unique<TLineSeries>());
    series.XValues().SetOrder(loAscending);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(0.0, 100.0);
    EXPECT_EQ(TWin2kAppForm::NearestPointIndex(series, 10, 10), -1); // empty
    for (int i = 0; i < 600; ++i) {
        // Runs of equal X make columns of points.
        const double x = i % 7 == 0 ? value(random) : std::floor(value(random) / 5) * 5;
        series.AppendPoint(x, value(random));
    }
    TBitmap picture;
    chart.DrawToBitmap(picture); // lays out the axes
    for (int y = -20; y < 210; y += 13) {
        for (int x = -30; x < 600; x += 7) {
            ASSERT_EQ(TWin2kAppForm::NearestPointIndex(series, x, y),
                      PlainNearestPoint(series, x, y))
                << "at (" << x << ", " << y << ")";
        }
    }
    // An inverted time axis reverses the pixel order.
    chart.BottomAxis().SetInverted(true);
    chart.DrawToBitmap(picture);
    for (int x = -30; x < 600; x += 11) {
        ASSERT_EQ(TWin2kAppForm::NearestPointIndex(series, x, 90),
                  PlainNearestPoint(series, x, 90));
    }
}

// ---- The crosshair in the window -------------------------------------------------------------

const QRgb Black = qRgb(0, 0, 0);

class CrosshairWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        SetNumberSeparators('.', ',');
        // The tests run the ticks themselves: the real timer's ticks do not reach the window.
        form.Timer1->blockSignals(true);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        Move(form.Panel2, QPoint(60, 280)); // the mouse enters the window away from the charts
    }

    void TearDown() override { SetNumberSeparators('.', ','); }

    // A run at 400 V of count ticks, stopped again.
    void Run(int count)
    {
        Click(form.btnSimuStartenStoppen, QPoint(80, 50));
        for (int i = 0; i < count; ++i) {
            form.Timer1Timer();
        }
        Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    }

    void ToggleHaircross() { Click(form.ToolButtonGitter, QPoint(11, 11)); }

    // Lets the event loop run, then paints what is still pending at once, so that the
    // after-draw handlers have seen the latest mouse move.
    void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        form.Chart1->repaint();
        form.Chart2->repaint();
    }

    // What the chart shows now.
    static QImage Picture(TChart* chart)
    {
        return chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The crosshair's vertical line at x: black from the plot's bottom up to just below its top.
    static bool VerticalLine(const QImage& image, const TRect& plot, int x)
    {
        for (int y = plot.Top + 1; y <= plot.Bottom; ++y) {
            if (image.pixel(x, y) != Black) {
                return false;
            }
        }
        return true;
    }

    // The horizontal line at y: black from the plot's left edge to just before its right.
    static bool HorizontalLine(const QImage& image, const TRect& plot, int y)
    {
        for (int x = plot.Left; x < plot.Right; ++x) {
            if (image.pixel(x, y) != Black) {
                return false;
            }
        }
        return true;
    }

    // The pixels that differ between two pictures of the same size.
    static std::set<std::pair<int, int>> Changed(const QImage& a, const QImage& b)
    {
        std::set<std::pair<int, int>> changed;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    changed.insert({x, y});
                }
            }
        }
        return changed;
    }

    std::string Edit(QLineEdit* edit) const { return edit->text().toStdString(); }

    TfrmWerte werte; // created first, as at program start
    TWin2kAppForm form;
};

TEST_F(CrosshairWindowTest, TheReadoutShowsTheSampleInPhysicalUnits)
{
    Run(10);
    ASSERT_FALSE(werte.isVisible());
    const int32_t i = 4;
    Move(form.Chart1,
         QPoint(form.SERIELeistungRegel->PointPixelX(i), form.SERIELeistungRegel->PointPixelY(i)));
    // The worked example: controlled power 60.0 reads 6,000W, uncontrolled 60.02625 (value
    // text 60.026) reads 6,002.6W; the other rows scale their three-decimal texts alike.
    EXPECT_EQ(Edit(werte.edtLeistungR), "6,000W");
    EXPECT_EQ(Edit(werte.edtLeistung), "6,002.6W");
    EXPECT_EQ(Edit(werte.edtNetzspannung), "400V");
    EXPECT_EQ(Edit(werte.edtNetzspannungR), "400V");
    EXPECT_EQ(Edit(werte.edtStromr), "6.9A");
    EXPECT_EQ(Edit(werte.edtStrom), "6.8013A");      // 68.013 % of 10 A
    EXPECT_EQ(Edit(werte.edtSpannungR), "970.005V"); // 64.667 % of 1500 V
    EXPECT_EQ(Edit(werte.edtSpannung), "966.18V");   // 64.412 % of 1500 V

    // The same under a locale that writes a decimal comma and groups with points.
    SetNumberSeparators(',', '.');
    Move(form.Chart2,
         QPoint(form.SERIELeistung->PointPixelX(i + 1), form.SERIELeistung->PointPixelY(i + 1)));
    EXPECT_EQ(Edit(werte.edtLeistungR), "6.000W");
    EXPECT_EQ(Edit(werte.edtLeistung), "6.002,6W");
    EXPECT_EQ(Edit(werte.edtStrom), "6,8013A");
    EXPECT_EQ(Edit(werte.edtSpannungR), "970,005V");
}

TEST_F(CrosshairWindowTest, AReadoutOfZeroShowsOnlyTheUnitAndEmptySeriesChangeNothing)
{
    // Before any run the series are empty: moves leave the values window as it is.
    werte.edtLeistung->setText(QStringLiteral("unchanged"));
    Move(form.Chart2, QPoint(200, 60));
    Move(form.Chart1, QPoint(210, 70));
    EXPECT_EQ(Edit(werte.edtLeistung), "unchanged");

    // A sample of exactly 0 in every series.
    for (TLineSeries* series :
         {form.SERIEStromRegel, form.SERIESpannungRegel, form.SERIELeistungRegel,
          form.SERIENetzspannungRegel, form.SERIEStrom, form.SERIESpannung, form.SERIELeistung,
          form.SERIENetzspannung}) {
        series->AppendPoint(1.0, 0.0);
    }
    form.SetCallout(0);
    EXPECT_EQ(Edit(werte.edtNetzspannung), "V");
    EXPECT_EQ(Edit(werte.edtNetzspannungR), "V");
    EXPECT_EQ(Edit(werte.edtStrom), "A");
    EXPECT_EQ(Edit(werte.edtStromr), "A");
    EXPECT_EQ(Edit(werte.edtSpannung), "V");
    EXPECT_EQ(Edit(werte.edtSpannungR), "V");
    EXPECT_EQ(Edit(werte.edtLeistung), "W");
    EXPECT_EQ(Edit(werte.edtLeistungR), "W");
    // An index past the points leaves the texts alone.
    form.SetCallout(5);
    EXPECT_EQ(Edit(werte.edtLeistung), "W");
}

TEST_F(CrosshairWindowTest, HaircrossShowsTheValuesWindowTheMarkersAndTheCrossCursor)
{
    EXPECT_FALSE(form.ChartToolNearestPoint1->Active());
    EXPECT_FALSE(form.ChartToolNearestPoint2->Active());
    EXPECT_EQ(form.ChartToolNearestPoint1->Series(), form.SERIELeistungRegel);
    EXPECT_EQ(form.ChartToolNearestPoint2->Series(), form.SERIELeistung);
    EXPECT_EQ(form.ChartToolNearestPoint1->Size(), 10);

    ToggleHaircross();
    EXPECT_TRUE(form.Datenzeiger1->isChecked());
    EXPECT_TRUE(werte.isVisible());
    // Without a mouse move yet the lower chart counts as the one under the mouse: once the
    // charts have painted, only its marker is active.
    Settle();
    EXPECT_FALSE(form.ChartToolNearestPoint1->Active());
    EXPECT_TRUE(form.ChartToolNearestPoint2->Active());
    EXPECT_EQ(form.Chart1->Cursor(), crCross);
    EXPECT_EQ(form.Chart1->RestoreCursor(), crCross);
    EXPECT_EQ(form.Chart2->Cursor(), crDefault);

    ToggleHaircross();
    EXPECT_FALSE(form.Datenzeiger1->isChecked());
    EXPECT_FALSE(werte.isVisible());
    EXPECT_FALSE(form.ChartToolNearestPoint1->Active());
    EXPECT_FALSE(form.ChartToolNearestPoint2->Active());
    EXPECT_EQ(form.Chart1->Cursor(), crDefault);
    EXPECT_EQ(form.Chart1->RestoreCursor(), crDefault);

    // Switched off, the upper chart no longer feeds the readout; the lower one still does.
    Run(6);
    werte.edtLeistung->clear();
    Move(form.Chart1, QPoint(200, 80));
    EXPECT_EQ(Edit(werte.edtLeistung), "");
    Move(form.Chart2, QPoint(200, 80));
    EXPECT_EQ(Edit(werte.edtLeistung), "6,002.6W");
}

TEST_F(CrosshairWindowTest, EdgePixelsOfThePlotDrawNoLine)
{
    // The back wall's frame and the axis lines would hide a line on the plot's edges.
    form.Chart1->Frame().SetVisible(false);
    form.Chart1->LeftAxis().Axis().SetVisible(false);
    form.Chart1->BottomAxis().Axis().SetVisible(false);
    ToggleHaircross();
    Settle();
    const TRect plot = form.Chart1->PlotRect();
    ASSERT_NE(Picture(form.Chart1).pixel(plot.Left, plot.Top + 5), Black);
    const int midX = (plot.Left + plot.Right) / 2;
    const int midY = (plot.Top + plot.Bottom) / 2;

    // The series are empty, so the markers draw nothing: a picture differs from the plain one
    // by the crosshair lines alone.
    Move(form.Chart1, QPoint(midX, midY));
    Settle();
    ToggleHaircross();
    Settle();
    const QImage plain = Picture(form.Chart1);
    ToggleHaircross();
    Settle();

    auto linesAt = [&](int x, int y) {
        Move(form.Chart1, QPoint(x, y));
        Settle();
        const QImage picture = Picture(form.Chart1);
        bool vertical = false;
        bool horizontal = false;
        for (const auto& [px, py] : Changed(plain, picture)) {
            // Every changed pixel lies on a crosshair line and is black.
            EXPECT_EQ(picture.pixel(px, py), Black) << px << ", " << py;
            // (The crossing pixel tells neither line.)
            vertical |= px == x && py != y && py > plot.Top && py <= plot.Bottom;
            horizontal |= py == y && px != x && px >= plot.Left && px < plot.Right;
            EXPECT_TRUE((px == x && py > plot.Top && py <= plot.Bottom) ||
                        (py == y && px >= plot.Left && px < plot.Right))
                << "stray pixel " << px << ", " << py << " for the mouse at " << x << ", " << y;
        }
        // A drawn line is black along all of its length.
        if (vertical) {
            EXPECT_TRUE(VerticalLine(picture, plot, x)) << x;
        }
        if (horizontal) {
            EXPECT_TRUE(HorizontalLine(picture, plot, y)) << y;
        }
        return std::make_pair(vertical, horizontal);
    };
    EXPECT_EQ(linesAt(midX, midY), std::make_pair(true, true));
    EXPECT_EQ(linesAt(plot.Left, midY), std::make_pair(false, true));
    EXPECT_EQ(linesAt(plot.Right, midY), std::make_pair(false, true));
    EXPECT_EQ(linesAt(plot.Left + 1, midY), std::make_pair(true, true));
    EXPECT_EQ(linesAt(plot.Right - 1, midY), std::make_pair(true, true));
    EXPECT_EQ(linesAt(midX, plot.Top), std::make_pair(true, false));
    EXPECT_EQ(linesAt(midX, plot.Bottom), std::make_pair(true, false));
    EXPECT_EQ(linesAt(midX, plot.Top + 1), std::make_pair(true, true));
    EXPECT_EQ(linesAt(midX, plot.Bottom - 1), std::make_pair(true, true));
}

TEST_F(CrosshairWindowTest, WithTheCrosshairOffAMoveOverTheLowerChartReadsOutButDrawsNoLine)
{
    Run(12);
    Settle();
    const QImage upperBefore = Picture(form.Chart1);
    const QImage lowerBefore = Picture(form.Chart2);
    // Counts the paints of each chart (full or recomposed from the kept picture).
    int upperPaints = 0;
    int lowerPaints = 0;
    for (auto [chart, paints] :
         {std::make_pair(form.Chart1, &upperPaints), std::make_pair(form.Chart2, &lowerPaints)}) {
        chart->OnAfterDraw = [handler = chart->OnAfterDraw, paints](TCustomChartPanel* sender) {
            handler(sender);
            ++*paints;
        };
    }

    const int32_t i = 7;
    const QPoint at(form.SERIELeistung->PointPixelX(i), form.SERIELeistung->PointPixelY(i) - 3);
    Move(form.Chart2, at);
    EXPECT_FALSE(werte.isVisible());
    EXPECT_EQ(Edit(werte.edtLeistung), "6,002.6W");
    EXPECT_EQ(Edit(werte.edtLeistungR), "6,000W");
    // Both charts repaint (the vertical line belongs to both), and show no line.
    EXPECT_TRUE(WaitUntil([&] { return upperPaints > 0 && lowerPaints > 0; }));
    EXPECT_EQ(Picture(form.Chart1), upperBefore);
    EXPECT_EQ(Picture(form.Chart2), lowerBefore);
    EXPECT_EQ(form.Crosshair().DrawnX, at.x());
    EXPECT_EQ(form.Crosshair().DrawnYLower, at.y());

    // A move to the same place asks for no repaint.
    Settle();
    const int settled = lowerPaints;
    Move(form.Chart2, at);
    Settle();
    EXPECT_EQ(lowerPaints, settled);
}

TEST_F(CrosshairWindowTest, SwitchingTheCrosshairOffClearsTheUpperChartAtOnce)
{
    Run(12);
    Settle();
    const QImage plain = Picture(form.Chart1);
    ToggleHaircross();
    const TRect plot = form.Chart1->PlotRect();
    const QPoint at(plot.Left + 100, plot.Top + 20);
    Move(form.Chart1, at);
    Settle(); // the paint makes the upper chart's marker the active one
    Move(form.Chart1, at + QPoint(1, 0));
    Settle();
    const QImage crossed = Picture(form.Chart1);
    EXPECT_TRUE(VerticalLine(crossed, plot, at.x() + 1));
    EXPECT_TRUE(HorizontalLine(crossed, plot, at.y()));
    EXPECT_NE(form.ChartToolNearestPoint1->NearestIndex(), -1);

    ToggleHaircross();
    Settle();
    // No lines and no marker: the picture before the crosshair was switched on.
    EXPECT_EQ(Picture(form.Chart1), plain);
}

TEST_F(CrosshairWindowTest, MovingToTheLowerChartMovesTheHorizontalLineAndTheActiveMarker)
{
    Run(12);
    ToggleHaircross();
    const TRect upperPlot = form.Chart1->PlotRect();
    const TRect lowerPlot = form.Chart2->PlotRect();
    Move(form.Chart1, QPoint(upperPlot.Left + 80, upperPlot.Top + 15));
    Settle();
    EXPECT_TRUE(form.Crosshair().UpperChartActive);
    EXPECT_TRUE(form.ChartToolNearestPoint1->Active());
    EXPECT_FALSE(form.ChartToolNearestPoint2->Active());
    QImage upper = Picture(form.Chart1);
    QImage lower = Picture(form.Chart2);
    EXPECT_TRUE(VerticalLine(upper, upperPlot, upperPlot.Left + 80));
    EXPECT_TRUE(HorizontalLine(upper, upperPlot, upperPlot.Top + 15));
    EXPECT_TRUE(VerticalLine(lower, lowerPlot, upperPlot.Left + 80));
    EXPECT_FALSE(HorizontalLine(lower, lowerPlot, upperPlot.Top + 15));

    const QPoint below(lowerPlot.Left + 150, lowerPlot.Top + 25);
    Move(form.Chart2, below);
    Settle();
    EXPECT_FALSE(form.Crosshair().UpperChartActive);
    EXPECT_FALSE(form.ChartToolNearestPoint1->Active());
    EXPECT_TRUE(form.ChartToolNearestPoint2->Active());
    upper = Picture(form.Chart1);
    lower = Picture(form.Chart2);
    EXPECT_TRUE(VerticalLine(upper, upperPlot, below.x()));
    EXPECT_FALSE(VerticalLine(upper, upperPlot, upperPlot.Left + 80));
    EXPECT_FALSE(HorizontalLine(upper, upperPlot, upperPlot.Top + 15));
    EXPECT_FALSE(HorizontalLine(upper, upperPlot, below.y()));
    EXPECT_TRUE(VerticalLine(lower, lowerPlot, below.x()));
    EXPECT_TRUE(HorizontalLine(lower, lowerPlot, below.y()));

    // The lower chart's marker follows the next move there and is drawn with a white ring.
    Move(form.Chart2, below + QPoint(2, 0));
    Settle();
    const int32_t marked = form.ChartToolNearestPoint2->NearestIndex();
    ASSERT_NE(marked, -1);
    lower = Picture(form.Chart2);
    const int px = form.SERIELeistung->PointPixelX(marked);
    const int py = form.SERIELeistung->PointPixelY(marked);
    int white = 0;
    for (int x = px - 11; x <= px + 11; ++x) {
        white += lower.pixel(x, py - 10) == qRgb(255, 255, 255) ? 1 : 0;
    }
    EXPECT_GT(white, 0);
}

TEST_F(CrosshairWindowTest, AfterARestartWithTheCrosshairOnTheFirstTickMarksPointZero)
{
    ToggleHaircross();
    Run(8);
    const TRect plot = form.Chart2->PlotRect();
    Move(form.Chart2, QPoint(plot.Right - 20, plot.Top + 30));
    Settle();
    Move(form.Chart2, QPoint(plot.Right - 21, plot.Top + 30));
    Settle();
    EXPECT_GT(form.ChartToolNearestPoint2->NearestIndex(), 0);

    // Restart: the first tick marks point 0 in both charts.
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    EXPECT_TRUE(form.Crosshair().FreshStart);
    form.Timer1Timer();
    EXPECT_FALSE(form.Crosshair().FreshStart);
    EXPECT_EQ(form.ChartToolNearestPoint1->NearestIndex(), 0);
    EXPECT_EQ(form.ChartToolNearestPoint2->NearestIndex(), 0);
    EXPECT_TRUE(form.ChartToolNearestPoint1->Active());
    EXPECT_TRUE(form.ChartToolNearestPoint2->Active());
    form.Timer1Timer();
    EXPECT_EQ(form.ChartToolNearestPoint2->NearestIndex(), 0); // until the mouse moves
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));

    // With the crosshair off the flag waits for the first tick with the crosshair on.
    ToggleHaircross();
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    form.Timer1Timer();
    EXPECT_TRUE(form.Crosshair().FreshStart);
    ToggleHaircross();
    form.Timer1Timer();
    EXPECT_FALSE(form.Crosshair().FreshStart);
    EXPECT_EQ(form.ChartToolNearestPoint1->NearestIndex(), 0);
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
}

TEST_F(CrosshairWindowTest, MeasurementPointsShowAndHideThePointersOfAllEightSeries)
{
    const std::vector<TLineSeries*> all = {form.SERIEStromRegel,    form.SERIESpannungRegel,
                                           form.SERIELeistungRegel, form.SERIENetzspannungRegel,
                                           form.SERIEStrom,         form.SERIESpannung,
                                           form.SERIELeistung,      form.SERIENetzspannung};
    for (TLineSeries* series : all) {
        EXPECT_FALSE(series->Pointer().Visible());
        EXPECT_EQ(series->Pointer().Style(), psRectangle);
    }
    Click(form.ToolMesspunkte, QPoint(11, 11));
    EXPECT_TRUE(form.Messpunkte1->isChecked());
    for (TLineSeries* series : all) {
        EXPECT_TRUE(series->Pointer().Visible());
    }
    Click(form.ToolMesspunkte, QPoint(11, 11));
    for (TLineSeries* series : all) {
        EXPECT_FALSE(series->Pointer().Visible());
    }
}

} // namespace
