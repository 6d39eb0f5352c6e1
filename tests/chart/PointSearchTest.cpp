// The nearest-point search with skipped runs of points against a search over every point, on a
// real chart's axes: random data of every shape (steady, noisy, dense, repeated points, values
// that are not finite, X out of order), inverted, zoomed and logarithmic axes, random and far
// mouse positions, with and without the plot rectangle and the distance limit; and the kept
// boxes after appends, rewrites, deletions and scale changes.
#include "chart/PointSearch.h"
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "tests/support/PlainNearest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

struct TSearchChart
{
    TSearchChart()
    {
        chart.BeginLoading();
        chart.SetBounds(0, 0, 420, 260);
        chart.Legend().SetVisible(false);
        chart.SetView3D(false);
        chart.EndLoading();
        series = &chart.AddSeries(std::make_unique<TChartSeries>());
    }
    void Paint() { chart.DrawToBitmap(picture); }

    TChart chart;
    TChartSeries* series = nullptr;
    TBitmap picture;
};

enum TShape
{
    Steady,
    Noisy,
    Dense,
    Repeated,
    NotFinite,
    Unordered,
    ShapeCount
};

// Fills the series with n points of a shape.
void Fill(TChartSeries& s, TShape shape, int n, std::mt19937& random)
{
    s.Clear();
    s.XValues().SetOrder(shape == Unordered ? loNone : loAscending);
    std::uniform_real_distribution<double> unit(0, 1);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < n; ++i) {
        double x = i;
        double y = 50 + 40 * std::sin(i * 0.01);
        switch (shape) {
        case Steady:
            break;
        case Noisy:
            y = 100 * unit(random);
            break;
        case Dense: // many points to a pixel column, small steps up and down
            x = i * 0.001;
            y = 50 + 30 * std::sin(i * 0.0003) + 5 * unit(random);
            break;
        case Repeated: // runs of one point, and points shared by distant indices
            x = (i / 7) % 40;
            y = (i / 7) % 3 * 20;
            break;
        case NotFinite: {
            const double pick = unit(random);
            if (pick < 0.05)
                y = pick < 0.02 ? nan : (pick < 0.035 ? inf : -inf);
            else if (pick > 0.97)
                x = pick > 0.99 ? nan : (pick > 0.98 ? inf : -inf);
            else if (pick > 0.95)
                y = 1e300 * (pick - 0.96);
            break;
        }
        case Unordered:
            x = 1000 * unit(random);
            break;
        case ShapeCount:
            break;
        }
        s.AppendPoint(x, y);
    }
}

// Random mouse positions around and inside the plot, on points, between two points, and far.
std::vector<TPoint> Mice(const TSearchChart& t, std::mt19937& random, int count)
{
    const TRect plot = t.chart.PlotRect();
    std::uniform_int_distribution<int> mx(plot.Left - 60, plot.Right + 60);
    std::uniform_int_distribution<int> my(plot.Top - 60, plot.Bottom + 60);
    std::vector<TPoint> mice;
    const int n = t.series->Count();
    for (int k = 0; k < count; ++k) {
        TPoint p{mx(random), my(random)};
        if (n > 0 && k % 5 == 0) {
            const int i = std::uniform_int_distribution<int>(0, n - 1)(random);
            const int j = std::uniform_int_distribution<int>(0, n - 1)(random);
            p = {t.series->PointPixelX(i), t.series->PointPixelY(i)};
            if (k % 10 == 0)
                p = {(p.X + t.series->PointPixelX(j)) / 2, (p.Y + t.series->PointPixelY(j)) / 2};
        }
        mice.push_back(p);
    }
    for (TPoint far : {TPoint{INT32_MIN, INT32_MIN}, TPoint{INT32_MAX, 0}, TPoint{0, INT32_MAX},
                       TPoint{plot.Left + 100000, plot.Top}, TPoint{-20000, 20000}})
        mice.push_back(far);
    return mice;
}

} // namespace

TEST(PointSearch, GivesThePlainResultOnRandomDataAxesAndMice)
{
    std::mt19937 random(11);
    TSearchChart t;
    TChartAxis& bottom = t.chart.BottomAxis();
    TChartAxis& left = t.chart.LeftAxis();
    int found = 0;
    for (int round = 0; round < 54; ++round) {
        const TShape shape = static_cast<TShape>(round % ShapeCount);
        const int n = round % 9 == 4 ? std::uniform_int_distribution<int>(0, 40)(random)
                                     : std::uniform_int_distribution<int>(500, 6000)(random);
        Fill(*t.series, shape, n, random);
        bottom.SetInverted(round % 3 == 1);
        left.SetInverted(round % 4 == 2);
        bottom.SetLogarithmic(round % 11 == 7); // takes the search over every point
        if (round % 5 == 2)                     // zoomed in: points outside the plot on both sides
            bottom.SetScaleRange(n * 0.3, n * 0.5);
        else
            bottom.SetAutomatic(true);
        if (round % 7 == 3)
            left.SetScaleRange(20, 60);
        else
            left.SetAutomatic(true);
        t.Paint();

        TPointSearchOptions readout;
        TPointSearchOptions tool;
        tool.WithinRect = true;
        tool.Rect = t.chart.PlotRect();
        tool.Limit = round % 2 == 0 ? NearestSearchLimit : 25;
        tool.First = n / 5;
        tool.Last = round % 3 == 0 ? -1 : n - n / 4;
        for (const TPoint& p : Mice(t, random, 150)) {
            const int32_t expected = PlainNearestPoint(*t.series, p.X, p.Y, readout);
            ASSERT_EQ(FindNearestPoint(*t.series, p.X, p.Y, readout), expected)
                << "readout, round " << round << " mouse " << p.X << "," << p.Y;
            ASSERT_EQ(FindNearestPoint(*t.series, p.X, p.Y, tool),
                      PlainNearestPoint(*t.series, p.X, p.Y, tool))
                << "tool, round " << round << " mouse " << p.X << "," << p.Y;
            found += expected >= 0;
        }
    }
    EXPECT_GT(found, 4000); // the comparisons were not all between empty results
}

TEST(PointSearch, TiesGoToTheLowerIndexWhereverTheRunsLie)
{
    TSearchChart t;
    // The same two pixels again and again: index 0 and 1 are the first of each; far later
    // copies lie in other runs that the search visits first when they are nearer in order.
    t.series->XValues().SetOrder(loNone);
    for (int i = 0; i < 5000; ++i)
        t.series->AppendPoint(i % 2 == 0 ? 10 : 90, i % 2 == 0 ? 10 : 90);
    t.series->AppendPoint(50, 50); // index 5000, halfway between
    t.Paint();
    const TPoint a{t.series->PointPixelX(0), t.series->PointPixelY(0)};
    const TPoint b{t.series->PointPixelX(1), t.series->PointPixelY(1)};
    const TPoint m{t.series->PointPixelX(5000), t.series->PointPixelY(5000)};
    const TPointSearchOptions all;
    EXPECT_EQ(FindNearestPoint(*t.series, a.X, a.Y, all), 0);
    EXPECT_EQ(FindNearestPoint(*t.series, b.X, b.Y, all), 1);
    EXPECT_EQ(FindNearestPoint(*t.series, m.X, m.Y, all), 5000);
    // Starting the range past the first copies picks the first copy inside it.
    TPointSearchOptions later;
    later.First = 3001;
    EXPECT_EQ(FindNearestPoint(*t.series, a.X, a.Y, later), 3002);
    EXPECT_EQ(FindNearestPoint(*t.series, b.X, b.Y, later), 3001);
    // A point exactly as far as the limit never counts; one pixel nearer it does.
    TPointSearchOptions limited;
    limited.Limit = 1;
    EXPECT_EQ(FindNearestPoint(*t.series, a.X, a.Y, limited), 0);
    EXPECT_EQ(FindNearestPoint(*t.series, a.X + 1, a.Y, limited), -1);
    limited.Limit = 0;
    EXPECT_EQ(FindNearestPoint(*t.series, a.X, a.Y, limited), -1);
    for (int x = a.X - 30; x <= b.X + 30; ++x)
        for (int limit : {1, 3, 40, 10000})
            for (int y : {a.Y, m.Y, b.Y}) {
                limited.Limit = limit;
                ASSERT_EQ(FindNearestPoint(*t.series, x, y, limited),
                          PlainNearestPoint(*t.series, x, y, limited))
                    << x << "," << y << " limit " << limit;
            }
}

TEST(PointSearch, KeptBoxesFollowAppendsRewritesDeletionsAndScaleChanges)
{
    std::mt19937 random(3);
    TSearchChart t;
    std::uniform_real_distribution<double> unit(0, 100);
    auto check = [&](const char* step) {
        t.Paint();
        const TPointSearchOptions all;
        for (const TPoint& p : Mice(t, random, 60))
            ASSERT_EQ(FindNearestPoint(*t.series, p.X, p.Y, all),
                      PlainNearestPoint(*t.series, p.X, p.Y, all))
                << step << " mouse " << p.X << "," << p.Y;
    };
    for (int i = 0; i < 3000; ++i)
        t.series->AppendPoint(i, unit(random));
    check("filled");
    // Appends that end inside a run, then fill it and open new ones.
    for (int k = 0; k < 40; ++k) {
        const int add = std::uniform_int_distribution<int>(1, 70)(random);
        for (int i = 0; i < add; ++i)
            t.series->AppendPoint(t.series->Count(), k % 2 ? 100.0 : 0.0);
        check("appended");
    }
    // The same count with other values: the boxes must not be taken for the old ones.
    const int n = t.series->Count();
    t.series->Clear();
    for (int i = 0; i < n; ++i)
        t.series->AppendPoint(i, 100 - unit(random) / 10);
    check("refilled");
    // Inserted, deleted and changed points in the middle.
    t.series->XValues().SetOrder(loNone);
    t.series->Delete(1200);
    check("deleted");
    t.series->YValues().InsertAt(5, 0.5);
    t.series->XValues().InsertAt(5, 1200.5);
    check("inserted");
    // The axes change, the values do not.
    t.chart.BottomAxis().SetScaleRange(1000, 1100);
    t.chart.LeftAxis().SetInverted(true);
    check("zoomed");
    // More series than the search keeps boxes for, searched in turn.
    std::vector<TChartSeries*> others;
    for (int s = 0; s < 6; ++s) {
        others.push_back(&t.chart.AddSeries(std::make_unique<TChartSeries>()));
        Fill(*others.back(), static_cast<TShape>(s % ShapeCount), 2000 + 100 * s, random);
    }
    t.chart.BottomAxis().SetAutomatic(true);
    t.Paint();
    for (int pass = 0; pass < 3; ++pass)
        for (TChartSeries* s : others) {
            s->AppendPoint(s->Count(), unit(random));
            t.Paint();
            const TPointSearchOptions all;
            for (const TPoint& p : Mice(t, random, 20))
                ASSERT_EQ(FindNearestPoint(*s, p.X, p.Y, all), PlainNearestPoint(*s, p.X, p.Y, all))
                    << "pass " << pass;
        }
}

TEST(PointSearch, ValueListStampChangesWithEveryChangeButAnAppend)
{
    TChartSeries a;
    TChartSeries b;
    EXPECT_NE(a.XValues().ChangeStamp(), a.YValues().ChangeStamp());
    EXPECT_NE(a.XValues().ChangeStamp(), b.XValues().ChangeStamp());
    TChartValueList& list = a.YValues();
    uint64_t stamp = list.ChangeStamp();
    list.InsertAt(0, 1);
    list.InsertAt(1, 2);
    EXPECT_EQ(list.ChangeStamp(), stamp); // appends keep it
    list.InsertAt(0, 3);
    EXPECT_NE(list.ChangeStamp(), stamp);
    stamp = list.ChangeStamp();
    list.Delete(2);
    EXPECT_NE(list.ChangeStamp(), stamp);
    stamp = list.ChangeStamp();
    list.Clear();
    EXPECT_NE(list.ChangeStamp(), stamp);
}
