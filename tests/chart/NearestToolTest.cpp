// The nearest-point tool on a real chart: which point it finds (ties, plot edges, the search
// limit, far mouse positions), the pruned search against the plain one on random data, and the
// marker and line it draws, read back from the chart's picture.
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "chart/ChartTools.h"
#include "tests/support/PlainNearest.h"
#include "tests/support/SaveIfAsked.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

// A flat silver chart with one data series (drawn by no one: only axes and tool marks show)
// and one nearest-point tool set up as the program's: circle of size 10, white dotted pen, clear
// white brush.
struct TToolChart
{
    TToolChart(int width = 400, int height = 250)
    {
        chart.BeginLoading();
        chart.SetBounds(0, 0, width, height);
        chart.SetColor(clSilver);
        chart.SetBevelOuter(bvNone);
        chart.Legend().SetVisible(false);
        chart.SetView3D(false);
        chart.SetView3DWalls(false);
        chart.BackWall().Brush().SetStyle(bsClear);
        chart.EndLoading();
        series = &chart.AddSeries(std::make_unique<TChartSeries>());
        tool = &chart.Tools().Add(std::make_unique<TNearestTool>());
        tool->SetSeries(series);
        tool->SetSize(10);
        tool->Pen().SetColor(clWhite);
        tool->Pen().SetStyle(psDot);
        tool->Brush().SetColor(clWhite);
        tool->Brush().SetStyle(bsClear);
    }
    // A paint: lays out the plot and the axes, draws, and keeps the picture.
    void Paint() { chart.DrawToBitmap(picture); }
    void Move(int x, int y) { chart.NotifyToolsMouse(cmaMouseMove, mbLeft, 0, x, y); }
    TPoint Pixel(int i) const { return {series->PointPixelX(i), series->PointPixelY(i)}; }
    TColor At(int x, int y) const { return picture.Canvas().Pixel(x, y); }
    // Bounding box of the white pixels (empty: all 0).
    TRect WhiteBox() const
    {
        TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                if (At(x, y) == clWhite)
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
        return r.Left == INT32_MAX ? TRect{} : r;
    }

    TChart chart;
    TChartSeries* series = nullptr;
    TNearestTool* tool = nullptr;
    TBitmap picture;
};

} // namespace

TEST(NearestTool, FindsTheNearestPointInsideThePlotWithTiesToTheLowerIndex)
{
    TToolChart t;
    // Automatic axes: the first point lands on the plot's left edge and the top, the last on
    // its right edge and the bottom.
    t.series->AppendPoint(0, 100);
    t.series->AppendPoint(40, 60);
    t.series->AppendPoint(40, 58);
    t.series->AppendPoint(95, 5);
    t.series->AppendPoint(100, 0);
    t.Paint();
    const TRect plot = t.chart.PlotRect();
    ASSERT_EQ(t.Pixel(0), (TPoint{plot.Left, plot.Top}));
    ASSERT_EQ(t.Pixel(4), (TPoint{plot.Right, plot.Bottom}));

    // On the left and top edges a point counts; on the right or bottom edge it does not.
    EXPECT_EQ(t.tool->FindNearest(plot.Left, plot.Top), 0);
    EXPECT_EQ(t.tool->FindNearest(plot.Right, plot.Bottom), 3);
    EXPECT_EQ(PlainNearestForTool(*t.tool, plot.Right, plot.Bottom), 3);

    // Each edge on its own, the other coordinate well inside: a point on the left or the top
    // edge is found, one on the right or the bottom edge is not, even under the mouse.
    {
        TToolChart e;
        e.series->AppendPoint(0, 40);   // left edge
        e.series->AppendPoint(30, 100); // top edge
        e.series->AppendPoint(60, 0);   // bottom edge
        e.series->AppendPoint(100, 70); // right edge
        e.Paint();
        const TRect r = e.chart.PlotRect();
        ASSERT_EQ(e.Pixel(0).X, r.Left);
        ASSERT_EQ(e.Pixel(1).Y, r.Top);
        ASSERT_EQ(e.Pixel(2).Y, r.Bottom);
        ASSERT_EQ(e.Pixel(3).X, r.Right);
        for (int i = 0; i < 4; ++i) {
            const int found = e.tool->FindNearest(e.Pixel(i).X, e.Pixel(i).Y);
            EXPECT_EQ(found == i, i < 2) << "point " << i << ", found " << found;
            EXPECT_GE(found, 0) << i;
        }
    }

    // Ties by rounded distance keep the lower index: far to the right of the two points in one
    // column, their distances differ by less than half a pixel.
    const TPoint a = t.Pixel(1);
    const TPoint b = t.Pixel(2);
    ASSERT_EQ(a.X, b.X);
    ASSERT_GT(b.Y, a.Y);
    int ties = 0;
    for (int y = b.Y; y <= b.Y + 2; ++y) {
        const int x = a.X + 60;
        const double da = std::hypot(x - a.X, y - a.Y);
        const double db = std::hypot(x - b.X, y - b.Y);
        ASSERT_GT(da, db); // index 1 is farther ...
        ASSERT_GT(std::hypot(x - t.Pixel(3).X, y - t.Pixel(3).Y), da + 1);
        if (std::nearbyint(da) == std::nearbyint(db)) {
            ++ties;
            EXPECT_EQ(t.tool->FindNearest(x, y), 1) << y; // ... but ties and wins
            EXPECT_EQ(PlainNearestForTool(*t.tool, x, y), 1) << y;
        }
    }
    EXPECT_GE(ties, 1);
    // Exactly between two points of one column: the lower index.
    if ((a.Y + b.Y) % 2 == 0) {
        EXPECT_EQ(t.tool->FindNearest(a.X - 3, (a.Y + b.Y) / 2), 1);
    }

    // From outside the plot the nearest point inside it is still found.
    EXPECT_EQ(t.tool->FindNearest(plot.Left - 30, plot.Top - 30), 0);
    // 10000 pixels or more away: none.
    const TPoint c = t.Pixel(3);
    EXPECT_EQ(t.tool->FindNearest(c.X + 9999, c.Y), 3);
    EXPECT_EQ(t.tool->FindNearest(c.X + 10000, c.Y), -1);
    EXPECT_EQ(PlainNearestForTool(*t.tool, c.X + 10000, c.Y), -1);
    // Squares summed in 64 bits: 65536 pixels away does not wrap to a distance of 0.
    EXPECT_EQ(t.tool->FindNearest(a.X + 65536, a.Y), -1);
    EXPECT_EQ(t.tool->FindNearest(INT32_MAX, INT32_MIN), -1);
    EXPECT_EQ(PlainNearestForTool(*t.tool, a.X + 65536, a.Y), -1);
}

TEST(NearestTool, PrunedSearchGivesThePlainResultOnRandomData)
{
    std::mt19937 random(5);
    TToolChart t(300, 200);
    for (int round = 0; round < 40; ++round) {
        t.series->Clear();
        const bool descending = round % 4 == 3;
        t.series->XValues().SetOrder(descending ? loDescending : loAscending);
        t.chart.BottomAxis().SetInverted(round % 3 == 1);
        // Some rounds turn the X axis upright: its pixels then fall as X rises.
        t.chart.BottomAxis().SetHorizontal(round % 7 != 5);
        const int n = std::uniform_int_distribution<int>(0, 400)(random);
        std::vector<double> xs;
        for (int i = 0; i < n; ++i)
            xs.push_back(std::uniform_int_distribution<int>(0, 300)(random) * 0.25);
        std::sort(xs.begin(), xs.end());
        if (descending)
            std::reverse(xs.begin(), xs.end());
        std::uniform_real_distribution<double> y(0, 100);
        for (double x : xs)
            t.series->AppendPoint(x, y(random));
        // Some rounds zoom in, so that points lie outside the plot.
        if (round % 7 == 5)
            t.chart.BottomAxis().SetScaleRange(0, 75);
        else if (round % 5 == 2)
            t.chart.BottomAxis().SetScaleRange(20, 40);
        else
            t.chart.BottomAxis().SetAutomatic(true);
        t.Paint();
        ASSERT_TRUE(t.series->XValues().InOrder());
        std::uniform_int_distribution<int> mx(-50, 350);
        std::uniform_int_distribution<int> my(-50, 250);
        for (int k = 0; k < 500; ++k) {
            int x = mx(random);
            int y = my(random);
            if (k % 10 == 0 && n > 0) { // right on a point, or on the middle of two
                const int i = std::uniform_int_distribution<int>(0, n - 1)(random);
                x = t.Pixel(i).X;
                y = k % 20 == 0 ? t.Pixel(i).Y : (t.Pixel(i).Y + t.Pixel(n - 1 - i).Y) / 2;
            }
            ASSERT_EQ(t.tool->FindNearest(x, y), PlainNearestForTool(*t.tool, x, y))
                << "round " << round << " mouse " << x << "," << y;
        }
    }
}

TEST(NearestTool, PrunedSearchFollowsTheDirectionOfThePixelsNotTheAxisFlags)
{
    // An X axis turned upright maps rising X to falling pixels. A first point far outside the
    // plot must not end the search before the points inside it are reached.
    TToolChart t(300, 200);
    // A series that searches all its points, whatever the axis says is visible.
    struct TAllPointsSeries : TChartSeries
    {
        TAllPointsSeries() { SetCalcVisiblePoints(false); }
    };
    t.series = &t.chart.AddSeries(std::make_unique<TAllPointsSeries>());
    t.tool->SetSeries(t.series);
    TChartAxis& axis = t.chart.BottomAxis();
    axis.SetHorizontal(false);
    axis.SetScaleRange(0, 100);
    for (double x : {-1e6, 10.0, 50.0, 90.0})
        t.series->AppendPoint(x, 50);
    t.Paint();
    ASSERT_GT(t.Pixel(0).X, t.Pixel(1).X + NearestSearchLimit);
    int found = 0;
    for (int i = 1; i < t.series->Count(); ++i) {
        const TPoint p = t.Pixel(i);
        const int plain = PlainNearestForTool(*t.tool, p.X, p.Y);
        EXPECT_EQ(t.tool->FindNearest(p.X, p.Y), plain) << i;
        found += plain == i;
    }
    EXPECT_GE(found, 2);

    // An inverted logarithmic axis sends X = 0 to the far end and negative X to the near end:
    // the columns no longer follow the X order.
    axis.SetHorizontal(true);
    axis.SetLogarithmic(true);
    axis.SetInverted(true);
    axis.SetScaleRange(1, 100);
    t.series->Clear();
    for (double x : {-5.0, 0.0, 2.0, 10.0, 50.0})
        t.series->AppendPoint(x, 50);
    t.Paint();
    const TRect plot = t.chart.PlotRect();
    for (int x = plot.Left - 20; x < plot.Right + 20; x += 3) {
        const int plain = PlainNearestForTool(*t.tool, x, t.Pixel(2).Y);
        ASSERT_EQ(t.tool->FindNearest(x, t.Pixel(2).Y), plain) << x;
    }
}

TEST(NearestTool, MarksThePointWithACircleAndJoinsItToTheMouse)
{
    TToolChart t;
    t.series->AppendPoint(0, 10);
    t.series->AppendPoint(50, 50);
    t.series->AppendPoint(100, 90);
    t.Paint();
    const TRect before = t.WhiteBox();
    ASSERT_EQ(before, TRect{}); // nothing white without a marker

    int changes = 0;
    t.tool->OnChange = [&](TNearestTool& sender) {
        EXPECT_EQ(&sender, t.tool);
        ++changes;
    };
    const TPoint p = t.Pixel(1);
    EXPECT_FALSE(t.chart.ChartCanvas().Dirty());
    t.tool->SetDrawLine(false);
    t.Move(p.X + 3, p.Y + 4);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t.tool->NearestIndex(), 1);
    EXPECT_EQ(t.tool->MousePos(), (TPoint{p.X + 3, p.Y + 4}));
    EXPECT_TRUE(t.chart.ChartCanvas().Dirty()); // a repaint was requested
    t.Paint();
    SaveIfAsked(t.picture.Image().scaled(800, 500), "nearest-circle.png");
    // A ring 20 pixels across, unfilled.
    EXPECT_EQ(t.WhiteBox(), (TRect{p.X - 10, p.Y - 10, p.X + 10, p.Y + 10}));
    EXPECT_NE(t.At(p.X, p.Y), clWhite);
    EXPECT_EQ(t.At(p.X - 10, p.Y), clWhite);

    t.tool->SetStyle(hsRectangle);
    t.Paint();
    EXPECT_EQ(t.WhiteBox(), (TRect{p.X - 10, p.Y - 10, p.X + 10, p.Y + 10}));
    EXPECT_EQ(t.At(p.X - 10, p.Y - 10), clWhite); // corners drawn
    EXPECT_NE(t.At(p.X, p.Y), clWhite);

    t.tool->SetStyle(hsDiamond);
    t.Paint();
    EXPECT_EQ(t.At(p.X, p.Y - 10), clWhite);
    EXPECT_EQ(t.At(p.X - 10, p.Y), clWhite);
    EXPECT_NE(t.At(p.X - 9, p.Y - 9), clWhite); // corners empty
    EXPECT_NE(t.At(p.X, p.Y), clWhite);

    // hsNone with the line: only a solid line from the mouse to the point.
    t.tool->SetStyle(hsNone);
    t.tool->SetDrawLine(true);
    const TPoint mouse{p.X + 40, p.Y - 30};
    t.Move(mouse.X, mouse.Y);
    t.Paint();
    SaveIfAsked(t.picture.Image().scaled(800, 500), "nearest-line.png");
    const TRect line = t.WhiteBox();
    EXPECT_EQ(t.At(mouse.X, mouse.Y), clWhite); // the line starts at the mouse
    EXPECT_GE(line.Left, p.X);
    EXPECT_LE(line.Left, p.X + 1);
    EXPECT_EQ(line.Top, mouse.Y);
    EXPECT_EQ(line.Right, mouse.X + 1);
    EXPECT_LE(line.Bottom, p.Y + 1);
    EXPECT_GE(line.Bottom, p.Y);
    int white = 0;
    for (int y = 0; y < t.picture.Height(); ++y)
        for (int x = 0; x < t.picture.Width(); ++x)
            if (t.At(x, y) == clWhite) {
                ++white;
                // Every white pixel lies on the segment (within one pixel).
                const double cross = std::fabs(static_cast<double>(mouse.X - p.X) * (y - p.Y) -
                                               static_cast<double>(mouse.Y - p.Y) * (x - p.X));
                EXPECT_LE(cross / std::hypot(mouse.X - p.X, mouse.Y - p.Y), 1.0) << x << "," << y;
            }
    EXPECT_GE(white, 40); // solid, not dotted: one pixel per column
}

TEST(NearestTool, InactiveEmptyUnboundOrStaleToolsDrawNothing)
{
    TToolChart t;
    t.series->AppendPoint(0, 10);
    t.series->AppendPoint(100, 90);
    t.Paint();
    const QImage plain = t.picture.Image().copy();
    int changes = 0;
    t.tool->OnChange = [&](TNearestTool&) { ++changes; };

    // Inactive: the chart passes no mouse move and no paint stage.
    t.tool->SetActive(false);
    t.Move(t.Pixel(0).X + 5, t.Pixel(0).Y + 5);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(t.tool->NearestIndex(), -1);
    t.tool->SetNearestIndex(0);
    t.Paint();
    EXPECT_EQ(t.picture.Image(), plain);
    t.tool->SetActive(true);
    t.Paint();
    EXPECT_NE(t.picture.Image(), plain); // the stored index is marked again

    // A stored index past the points draws nothing (and reads no missing point).
    t.tool->SetNearestIndex(7);
    t.Paint();
    EXPECT_EQ(t.picture.Image(), plain);

    // An empty series: the move finds nothing and nothing is drawn.
    t.series->Clear();
    t.Paint();
    const QImage empty = t.picture.Image().copy();
    t.Move(100, 100);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t.tool->NearestIndex(), -1);
    t.Paint();
    EXPECT_EQ(t.picture.Image(), empty);

    // Without a series mouse moves are ignored.
    t.tool->SetSeries(nullptr);
    t.tool->SetNearestIndex(3);
    t.Move(10, 10);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t.tool->NearestIndex(), 3);
}

TEST(NearestTool, WithoutFullRepaintTheMarkerIsInvertedInPlaceAndErasedAgain)
{
    TToolChart t;
    t.series->AppendPoint(0, 10);
    t.series->AppendPoint(50, 50);
    t.series->AppendPoint(100, 90);
    t.Paint();
    t.tool->SetFullRepaint(false);
    // Inverting with a black solid pen (a white pen would leave the pixels as they are).
    t.tool->Pen().SetColor(clBlack);
    t.tool->Pen().SetStyle(psSolid);
    // Draw straight onto a copy of the picture, as between paints onto the control.
    TBitmap screen(t.picture);
    t.chart.ChartCanvas().AttachSurface(screen.Canvas());
    const QImage original = screen.Image().copy();
    const bool dirty = t.chart.ChartCanvas().Dirty();

    const TPoint p = t.Pixel(1);
    t.Move(p.X + 2, p.Y + 25);
    EXPECT_EQ(t.tool->NearestIndex(), 1);
    const QImage marked = screen.Image().copy();
    EXPECT_NE(marked, original);
    EXPECT_NE(marked.pixel(p.X - 10, p.Y), original.pixel(p.X - 10, p.Y));
    EXPECT_EQ(t.chart.ChartCanvas().Dirty(), dirty); // no repaint asked for

    // The same move again: erased and drawn again, the same picture.
    t.Move(p.X + 2, p.Y + 25);
    EXPECT_EQ(screen.Image(), marked);
    // A move that finds nothing erases the marker: the original pixels are back.
    t.Move(p.X + 20000, p.Y);
    EXPECT_EQ(t.tool->NearestIndex(), -1);
    EXPECT_EQ(screen.Image(), original);
}
