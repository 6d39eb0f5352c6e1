// Line series: segments, steps, gaps, colours and pointers checked on the pixels of a bitmap;
// margins, the hit test, pointer settings, and the merged drawing of dense pixel columns compared
// pixel for pixel with the plain segment-by-segment drawing on random data; the pointers in the
// chart control widening its bottom axis.
#include "chart/Series.h"
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "tests/support/ProgramChart.h"
#include "tests/support/SaveIfAsked.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr TColor Background = clWhite;

// A minimal chart: a bitmap, its chart canvas, the four axes, a list of series and the steps of
// a paint that concern series (ranges, placement, margins, visible range, clipped drawing).
class TestChart : public TChartHost, public TAxisOwner
{
public:
    // Drawn at the given device pixel ratio (logical coordinates stay those of ratio 1).
    TestChart(int width, int height, TRect plot, double ratio = 1)
        : FBitmap(width, height), FPlot(plot), FBottom(*this, true, false), FTop(*this, true, true),
          FLeft(*this, false, false), FRight(*this, false, true)
    {
        FBitmap.SetPixelRatio(ratio);
        FCanvas.AttachSurface(FBitmap.Canvas());
    }

    // ---- TChartHost ----
    void Invalidate() override { ++Invalidations; }
    bool IsDestroying() const override { return false; }
    void SeriesColorChanged(TChartSeries&) override {}
    void SeriesActiveChanged(TChartSeries&) override {}
    TAxisOwner* AxisOwner() override { return this; }

    // ---- TAxisOwner ----
    TChartCanvas& AxisCanvas() override { return FCanvas; }
    TRect AxisPlotRect() const override { return FPlot; }
    int32_t SeriesCount() const override { return static_cast<int32_t>(FSeries.size()); }
    TChartSeries& SeriesAt(int32_t index) const override
    {
        return *FSeries[static_cast<size_t>(index)];
    }
    bool AxisVisible() const override { return true; }
    TChartAxis& BottomAxis() override { return FBottom; }
    TChartAxis& TopAxis() override { return FTop; }
    TChartAxis& LeftAxis() override { return FLeft; }
    TChartAxis& RightAxis() override { return FRight; }
    bool ChartIsLoading() const override { return false; }

    TLineSeries& Add()
    {
        FSeries.push_back(std::make_unique<TLineSeries>());
        FSeries.back()->SetParentChart(this);
        return static_cast<TLineSeries&>(*FSeries.back());
    }

    // Fixed ranges map value v to pixel Left + v * width / (max - min) and so on.
    void FixRanges(double xMin, double xMax, double yMin, double yMax)
    {
        FBottom.SetScaleRange(xMin, xMax);
        FLeft.SetScaleRange(yMin, yMax);
    }

    void Paint()
    {
        TCanvas& c = FBitmap.Canvas();
        c.Pen().SetStyle(psSolid);
        c.Pen().SetColor(clBlack);
        c.Pen().SetWidth(1);
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Background);
        c.FillRect({0, 0, FBitmap.Width(), FBitmap.Height()});
        for (TChartAxis* axis : Axes()) {
            axis->ComputeAutoRange();
            axis->PlaceOnChart();
        }
        for (TChartAxis* axis : Axes()) {
            axis->WidenForSeriesMargins();
        }
        for (auto& series : FSeries) {
            if (!series->Active()) {
                continue;
            }
            series->CalcVisibleIndices();
            if (series->FirstVisibleIndex() < 0) {
                continue;
            }
            FCanvas.ClipPlotArea({FPlot.Left, FPlot.Top, FPlot.Right, FPlot.Bottom + 1}, 0, 0);
            series->DrawAllValues();
            if (WhileClipped) {
                WhileClipped();
            }
            FCanvas.Unclip();
        }
    }

    QImage Image() const { return FBitmap.Image().copy(); }
    TColor At(int x, int y) const { return FBitmap.Canvas().Pixel(x, y); }
    TChartCanvas3D& Canvas() { return FCanvas; }
    TCanvas& Surface() { return FBitmap.Canvas(); }

    // Runs after each series is drawn, while the plot clip is in force (a handler of the paint).
    std::function<void()> WhileClipped;

    // The pixels of rows top..bottom-1, columns left..right-1 as characters: '.' background,
    // and the character given for each colour ('?' for any other colour).
    std::vector<std::string> Map(TRect r, const std::vector<std::pair<TColor, char>>& legend) const
    {
        std::vector<std::string> rows;
        for (int y = r.Top; y < r.Bottom; ++y) {
            std::string row;
            for (int x = r.Left; x < r.Right; ++x) {
                const TColor p = At(x, y);
                char ch = p == Background ? '.' : '?';
                for (const auto& [color, mark] : legend) {
                    if (p == color) {
                        ch = mark;
                    }
                }
                row += ch;
            }
            rows.push_back(row);
        }
        return rows;
    }
    // Bounding box of the pixels that are not background.
    TRect Changed() const
    {
        TRect r{FBitmap.Width(), FBitmap.Height(), 0, 0};
        for (int y = 0; y < FBitmap.Height(); ++y) {
            for (int x = 0; x < FBitmap.Width(); ++x) {
                if (At(x, y) != Background) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
            }
        }
        return r;
    }

    int Invalidations = 0;

private:
    std::vector<TChartAxis*> Axes() { return {&FBottom, &FTop, &FLeft, &FRight}; }

    TBitmap FBitmap;
    TChartCanvas3D FCanvas;
    TRect FPlot;
    TChartAxis FBottom;
    TChartAxis FTop;
    TChartAxis FLeft;
    TChartAxis FRight;
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
};

std::string Joined(const std::vector<std::string>& rows)
{
    std::string s;
    for (const auto& r : rows) {
        s += r + "\n";
    }
    return s;
}

// A chart whose plot (0, 0, 41, 41) maps values 0..40 one to one: x to pixel x, y to pixel
// 40 - y. Drawing is clipped to the inside, pixels 1..40 by 1..40.
struct SmallChart : TestChart
{
    SmallChart() : TestChart(48, 48, {0, 0, 40, 40}) { FixRanges(0, 40, 0, 40); }
};

} // namespace

// ---- Pointers and single points --------------------------------------------------------------

TEST(LineSeries, OnePointDrawsNothingWithoutPointerAndOneNineByNineSquareWithIt)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.AppendPoint(20, 20);
    chart.Paint();
    EXPECT_EQ(chart.Changed(), (TRect{48, 48, 0, 0})) << "nothing drawn";

    s.Pointer().SetVisible(true);
    chart.Paint();
    // Black outline and red interior, centred on the point's pixel (20, 20).
    const std::vector<std::string> expected = {
        "#########", "#rrrrrrr#", "#rrrrrrr#", "#rrrrrrr#", "#rrrrrrr#",
        "#rrrrrrr#", "#rrrrrrr#", "#rrrrrrr#", "#########",
    };
    EXPECT_EQ(chart.Changed(), (TRect{16, 16, 25, 25}));
    EXPECT_EQ(Joined(chart.Map({16, 16, 25, 25}, {{clBlack, '#'}, {clRed, 'r'}})),
              Joined(expected));
}

TEST(LineSeries, TwoPointsOnOnePixelDrawNoSegmentButBothPointers)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.AppendPoint(20, 20);
    s.AppendPoint(20.2, 20.1, {}, clBlue); // the same pixel
    chart.Paint();
    EXPECT_EQ(chart.Changed(), (TRect{48, 48, 0, 0})) << "no segment";

    // The first point's pointer is a large square, the second's a cross drawn over it.
    s.Pointer().SetVisible(true);
    s.OnGetPointerStyle = [](TCustomSeries&, int32_t index) {
        return index == 0 ? psRectangle : psCross;
    };
    s.Pointer().Pen().SetColor(clDefault); // outlines in the point's colour
    chart.Paint();
    const std::vector<std::string> expected = {
        "rrrrbrrrr", "rrrrbrrrr", "rrrrbrrrr", "rrrrbrrrr", "bbbbbbbbb",
        "rrrrbrrrr", "rrrrbrrrr", "rrrrbrrrr", "rrrrbrrrr",
    };
    EXPECT_EQ(chart.Changed(), (TRect{16, 16, 25, 25}));
    EXPECT_EQ(Joined(chart.Map({16, 16, 25, 25}, {{clBlue, 'b'}, {clRed, 'r'}})), Joined(expected));
}

TEST(LineSeries, EveryPointerLiesOverBothSegmentsThatTouchItsPoint)
{
    // A zigzag with small cross pointers: every point's cross is whole in the pointer's own
    // colour although the segments of later points pass through it.
    SmallChart chart;
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.Pointer().SetVisible(true);
    s.Pointer().SetStyle(psCross);
    s.Pointer().SetHorizSize(2);
    s.Pointer().SetVertSize(2);
    s.Pointer().Pen().SetColor(clBlue);
    const int xs[] = {5, 12, 19, 26, 33};
    const int ys[] = {10, 30, 10, 30, 10};
    for (int i = 0; i < 5; ++i) {
        s.AppendPoint(xs[i], ys[i]);
    }
    chart.Paint();
    for (int i = 0; i < 5; ++i) {
        const int px = xs[i];
        const int py = 40 - ys[i];
        for (int d = -2; d <= 2; ++d) {
            EXPECT_EQ(chart.At(px + d, py), clBlue) << "point " << i << " dx " << d;
            EXPECT_EQ(chart.At(px, py + d), clBlue) << "point " << i << " dy " << d;
        }
    }
    // Between the pointers the segments are red.
    int red = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            red += chart.At(x, y) == clRed;
        }
    }
    EXPECT_GT(red, 4 * 12);
}

TEST(LineSeries, PointerSizeMustBeGreaterThanZeroAndChangesRepaint)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    TSeriesPointer& p = s.Pointer();
    EXPECT_FALSE(p.Visible());
    EXPECT_EQ(p.Style(), psRectangle);
    EXPECT_EQ(p.HorizSize(), 4);
    EXPECT_EQ(p.VertSize(), 4);
    EXPECT_TRUE(p.InflateMargins());
    const int before = chart.Invalidations;
    for (int bad : {0, -1, -100}) {
        try {
            p.SetHorizSize(bad);
            ADD_FAILURE() << "HorizSize " << bad << " accepted";
        } catch (const EChartException& e) {
            EXPECT_STREQ(e.what(), "Pointer size must be greater than zero");
        }
        EXPECT_THROW(p.SetVertSize(bad), EChartException);
    }
    EXPECT_EQ(p.HorizSize(), 4);
    EXPECT_EQ(p.VertSize(), 4);
    EXPECT_EQ(chart.Invalidations, before) << "a refused size repaints nothing";

    p.SetVisible(true);
    EXPECT_EQ(chart.Invalidations, before + 1);
    p.SetVisible(true);
    EXPECT_EQ(chart.Invalidations, before + 1) << "an unchanged value repaints nothing";
    p.SetHorizSize(6);
    p.Brush().SetColor(clGreen);
    p.Pen().SetWidth(2);
    s.LinePen().SetWidth(3);
    s.SetStairs(true);
    EXPECT_EQ(chart.Invalidations, before + 6);
}

TEST(LineSeries, TwelvePointerStyles)
{
    // One pointer of each style on a grid, H = V = 3, black outline, red fill.
    TestChart chart(120, 30, {0, 0, 120, 30});
    chart.FixRanges(0, 120, 0, 30);
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    chart.Paint(); // places the axes; draws nothing
    s.Pointer().SetHorizSize(3);
    s.Pointer().SetVertSize(3);
    const TSeriesPointerStyle styles[12] = {
        psRectangle, psCircle,  psTriangle, psDownTriangle, psCross,        psDiagCross,
        psStar,      psDiamond, psSmallDot, psNothing,      psLeftTriangle, psRightTriangle};
    for (int i = 0; i < 12; ++i) {
        s.Pointer().SetStyle(styles[i]);
        s.DrawMarker(5 + 10 * i, 10, 0, clRed);
    }
    SaveIfAsked(chart.Image(), "series-pointer-styles.png");
    // A 9 x 9 cell centred on pointer i.
    const auto cell = [&](int i) {
        return Joined(chart.Map({1 + 10 * i, 6, 10 + 10 * i, 15}, {{clBlack, '#'}, {clRed, 'r'}}));
    };
    // Shapes given exactly by their corners: square, crosses, dot, nothing.
    EXPECT_EQ(cell(0), Joined({".........", ".#######.", ".#rrrrr#.", ".#rrrrr#.", ".#rrrrr#.",
                               ".#rrrrr#.", ".#rrrrr#.", ".#######.", "........."}))
        << "rectangle x - 3 .. x + 3";
    EXPECT_EQ(cell(4), Joined({".........", "....#....", "....#....", "....#....", ".#######.",
                               "....#....", "....#....", "....#....", "........."}))
        << "cross";
    EXPECT_EQ(cell(5), Joined({".........", ".#.....#.", "..#...#..", "...#.#...", "....#....",
                               "...#.#...", "..#...#..", ".#.....#.", "........."}))
        << "diagonal cross: both diagonals reach their far corner";
    EXPECT_EQ(cell(6), Joined({".........", ".#..#..#.", "..#.#.#..", "...###...", ".#######.",
                               "...###...", "..#.#.#..", ".#..#..#.", "........."}))
        << "star";
    EXPECT_EQ(cell(8), Joined({".........", ".........", ".........", ".........", "....r....",
                               ".........", ".........", ".........", "........."}))
        << "small dot in the fill colour";
    EXPECT_EQ(cell(9), Joined(std::vector<std::string>(9, "........."))) << "nothing";

    // Filled shapes: extent, tip and fill checked; the outline's staircase is the canvas' own.
    const auto extent = [&](int i) {
        TRect r{1000, 1000, -1, -1};
        for (int y = 0; y < 30; ++y) {
            for (int x = 10 * i; x < 10 * i + 10; ++x) {
                if (chart.At(x, y) != Background) {
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
                }
            }
        }
        return r;
    };
    const auto cx = [](int i) { return 5 + 10 * i; };
    EXPECT_EQ(extent(1), (TRect{cx(1) - 3, 7, cx(1) + 3, 13})) << "circle in x-3..x+3 (exclusive)";
    EXPECT_EQ(chart.At(cx(1) - 1, 10), clRed) << "circle filled";
    for (int i : {2, 3, 7}) {
        EXPECT_EQ(extent(i), (TRect{cx(i) - 3, 7, cx(i) + 4, 14})) << "style " << i;
        EXPECT_EQ(chart.At(cx(i), 10), clRed) << "filled centre, style " << i;
    }
    EXPECT_EQ(chart.At(cx(2), 7), clBlack) << "triangle tip on top";
    EXPECT_EQ(chart.At(cx(2) - 3, 13), clBlack) << "triangle base below";
    EXPECT_EQ(chart.At(cx(3), 13), clBlack) << "down triangle tip below";
    EXPECT_EQ(chart.At(cx(3) - 3, 7), clBlack) << "down triangle base on top";
    EXPECT_EQ(chart.At(cx(7), 7), clBlack);
    EXPECT_EQ(chart.At(cx(7) - 3, 10), clBlack);
    EXPECT_EQ(chart.At(cx(7) - 3, 7), Background) << "diamond corners empty";
    EXPECT_EQ(extent(10), (TRect{cx(10) - 3, 7, cx(10) + 4, 14}));
    EXPECT_EQ(chart.At(cx(10) - 3, 10), clBlack) << "left triangle tip on the left";
    EXPECT_EQ(chart.At(cx(10) + 3, 7), clBlack);
    EXPECT_EQ(chart.At(cx(10) - 3, 7), Background);
    EXPECT_EQ(extent(11), (TRect{cx(11) - 3, 7, cx(11) + 4, 14}));
    EXPECT_EQ(chart.At(cx(11) + 3, 10), clBlack) << "right triangle tip on the right";
    EXPECT_EQ(chart.At(cx(11) + 3, 7), Background);
}

// ---- Merged dense columns against the plain walk ---------------------------------------------

namespace {

enum class Data
{
    Steady, // slow wave with a little noise
    Noisy,  // uniform noise over the whole range
    Dense,  // many points per pixel column
    Sparse, // a few points far apart
    Wild,   // values far outside the range, repeated X values
    Levels, // a few levels held for a while each, as a voltage moved by a slider
    Returns // runs of 64 points, every other one far to the right, then back a row lower
};

struct Scenario
{
    const char* name;
    Data data;
    int count;
    bool pointers = false;
    bool gaps = false;         // some points have the colour clNone
    bool pointColors = false;  // points have colours of their own
    bool colorEachLine = true; //
    bool hiddenEnds = false;   // the bottom axis shows only the middle of the data
    bool inverted = false;     // the bottom axis runs right to left, the left axis top down
    bool outline = false;      // an outline pen under the line
    TPenEndStyle endStyle = esRound;
    bool extendedPens = true;
    bool denseEnd = false; // the last points share one X value
    bool bursts = false;   // long runs of points share one X value
    bool unsorted = false; // the X list keeps no order: columns are found run by run
};

std::vector<double> MakeY(Data data, int count, std::mt19937& rng)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> y(static_cast<size_t>(count));
    double level = 50;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / count;
        double v = 0;
        switch (data) {
        case Data::Steady:
        case Data::Dense:
            v = 50 + 35 * std::sin(t * 6 * M_PI) + (unit(rng) - 0.5) * 3;
            break;
        case Data::Noisy:
        case Data::Sparse:
            v = unit(rng) * 100;
            break;
        case Data::Levels:
            if (i == 0 || unit(rng) < 0.01) {
                level = 20 + 15 * std::floor(unit(rng) * 5);
            }
            v = level;
            break;
        case Data::Returns:
            v = (i / 64) % 2 != 0 ? 20 : 50 + (i / 128) % 2;
            break;
        case Data::Wild: {
            // Far outside the range, infinite, not a number, or inside.
            const double pick = unit(rng);
            v = pick < 0.05   ? -1e12
                : pick < 0.1  ? 1e12
                : pick < 0.12 ? std::numeric_limits<double>::quiet_NaN()
                : pick < 0.13 ? std::numeric_limits<double>::infinity()
                              : unit(rng) * 100;
            break;
        }
        }
        y[static_cast<size_t>(i)] = v;
    }
    return y;
}

// Paints the series once merged and once plain; returns a description of the first pixel that
// differs (empty when the pictures are equal).
std::string CompareMergedWithPlain(const Scenario& sc, int width, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    TestChart chart(300, 200, {10, 10, 290, 190});
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clBlue);
    s.LinePen().SetWidth(width);
    s.LinePen().SetEndStyle(sc.endStyle);
    s.Pointer().SetVisible(sc.pointers);
    s.Pointer().SetHorizSize(2);
    s.Pointer().SetVertSize(3);
    s.SetColorEachLine(sc.colorEachLine);
    if (sc.unsorted) {
        s.XValues().SetOrder(loNone);
    }
    if (sc.outline) {
        s.OutLine().SetVisible(true);
        s.OutLine().SetColor(clYellow);
        s.OutLine().SetWidth(1);
    }
    const TColor palette[3] = {clRed, clGreen, clBlue};
    const std::vector<double> ys = MakeY(sc.data, sc.count, rng);
    double x = 0;
    int burst = 0;
    for (int i = 0; i < sc.count; ++i) {
        TColor color = clDefault;
        if (sc.pointColors) {
            // Runs of one colour, so that merged columns meet colour changes inside them.
            color = palette[(i / 7) % 3];
        }
        if (sc.gaps && unit(rng) < 0.04) {
            color = clNone;
        }
        double y = ys[static_cast<size_t>(i)];
        if (sc.denseEnd && i == sc.count - 1) {
            // The last point lies beyond the others of its column, above or below.
            y = seed % 2 != 0 ? 99.9 : 0.1;
        }
        s.AppendPoint(x, y, {}, color);
        if (sc.bursts && burst == 0 && unit(rng) < 0.01) {
            burst = static_cast<int>(unit(rng) * 5000);
        }
        const bool stay = (sc.data == Data::Wild && unit(rng) < 0.3) ||
                          (sc.denseEnd && i >= sc.count - 12 - static_cast<int>(seed % 5)) ||
                          (sc.bursts && burst > 0 && --burst > 0);
        x += stay ? 0 : 0.5 + unit(rng);
    }
    if (sc.hiddenEnds) {
        chart.BottomAxis().SetScaleRange(x * 0.2, x * 0.8);
    } else if (sc.denseEnd) {
        // Keep the last column off the clipped right edge of the plot.
        chart.BottomAxis().SetScaleRange(-1, x * 1.05);
    }
    chart.LeftAxis().SetScaleRange(0, 100);
    chart.BottomAxis().SetInverted(sc.inverted);
    chart.LeftAxis().SetInverted(sc.inverted);

    const bool savedExtended = ExtendedPensSupported;
    ExtendedPensSupported = sc.extendedPens;
    s.SetMergeDenseColumns(true);
    chart.Paint();
    const QImage merged = chart.Image();
    s.SetMergeDenseColumns(false);
    chart.Paint();
    const QImage plain = chart.Image();
    ExtendedPensSupported = savedExtended;

    SaveIfAsked(merged, "series-" + std::string(sc.name) + "-w" + std::to_string(width) + ".png");
    if (merged == plain) {
        return {};
    }
    for (int py = 0; py < plain.height(); ++py) {
        for (int px = 0; px < plain.width(); ++px) {
            if (merged.pixel(px, py) != plain.pixel(px, py)) {
                const std::string base =
                    std::string("series-") + sc.name + "-w" + std::to_string(width);
                SaveIfAsked(merged, base + "-merged.png");
                SaveIfAsked(plain, base + "-plain.png");
                std::ostringstream out;
                out << "first difference at (" << px << ", " << py << "): merged " << std::hex
                    << merged.pixel(px, py) << ", plain " << plain.pixel(px, py);
                return out.str();
            }
        }
    }
    return "images differ";
}

} // namespace

TEST(LineSeries, MergedDenseColumnsSetExactlyThePixelsOfThePlainWalk)
{
    const Scenario scenarios[] = {
        {"steady", Data::Steady, 3000},
        {"noisy", Data::Noisy, 3000},
        {"dense", Data::Dense, 12000},
        {"sparse", Data::Sparse, 40},
        {"wild", Data::Wild, 2000},
        {"gaps", Data::Noisy, 3000, false, true},
        {"colours", Data::Steady, 3000, false, true, true},
        {"series-colour", Data::Noisy, 3000, false, true, true, false},
        {"hidden-ends", Data::Steady, 3000, false, false, false, true, true},
        {"inverted", Data::Noisy, 3000, false, true, false, true, true, true},
        {"inverted-dense", Data::Dense, 6000, false, false, false, true, true, true},
        {"outline", Data::Dense, 6000, false, false, false, true, false, false, true},
        {"square", Data::Noisy, 3000, false, false, false, true, true, false, false, esSquare},
        {"flat", Data::Dense, 6000, false, true, true, true, true, false, false, esFlat},
        {"plain-pens", Data::Noisy, 3000, false, false, false, true, false, false, false, esFlat,
         false},
        {"pointers", Data::Sparse, 60, true, true, true},
        {"dense-end", Data::Noisy, 500, false, false, false, true, false, false, false, esRound,
         true, true},
        {"dense-end-inverted", Data::Noisy, 500, false, false, false, true, false, true, false,
         esRound, true, true},
        {"dense-end-gaps", Data::Steady, 500, false, true, false, true, false, false, false,
         esRound, true, true},
        {"dense-pointers", Data::Steady, 1500, true},
        // Hundreds to thousands of points per column: whole runs come from the value lists'
        // summaries, the rest point by point; sorted X values are searched for each column's
        // end, unsorted ones are taken run by run.
        {.name = "runs-steady", .data = Data::Steady, .count = 120000},
        {.name = "runs-unsorted", .data = Data::Steady, .count = 120000, .unsorted = true},
        {.name = "runs-wild-unsorted",
         .data = Data::Wild,
         .count = 60000,
         .inverted = true,
         .bursts = true,
         .unsorted = true},
        {.name = "runs-noisy", .data = Data::Noisy, .count = 120000, .hiddenEnds = true},
        {.name = "runs-wild", .data = Data::Wild, .count = 60000, .bursts = true},
        {.name = "runs-inverted",
         .data = Data::Noisy,
         .count = 60000,
         .hiddenEnds = true,
         .inverted = true,
         .bursts = true},
        {.name = "runs-dense-end",
         .data = Data::Steady,
         .count = 15000,
         .denseEnd = true,
         .bursts = true},
    };
    // The blocks of points are converted four at a time where the processor allows, and by the
    // scalar loop otherwise: both ways give the plain walk's pixels (one pen width suffices for
    // the second way, the conversion does not depend on the pen).
    for (bool scalar : {false, true}) {
        TAxisMapping::SetScalarBlocks(scalar);
        unsigned seed = 1;
        for (const Scenario& sc : scenarios) {
            // The end of the range inside a dense column is rare in random data: more draws.
            const int repeats = sc.denseEnd ? 8 : 1;
            for (int r = 0; r < repeats; ++r) {
                for (int width : {1, 2, 4}) {
                    if (scalar && width != 1) {
                        ++seed;
                        continue;
                    }
                    EXPECT_EQ(CompareMergedWithPlain(sc, width, seed++), "")
                        << sc.name << ", pen width " << width << ", seed " << seed - 1
                        << (scalar ? ", scalar blocks" : "");
                }
            }
        }
    }
    TAxisMapping::SetScalarBlocks(false);
}

TEST(LineSeries, DenseColumnsKeepTheEndPixelRuleOfOnePixelLines)
{
    // Points going up and down inside one pixel column, the last one beyond all others: one-pixel
    // segments leave out their end pixel, so the topmost pixel stays empty, merged or not. A
    // second series ends on a pixel an earlier segment passed over: that pixel is drawn.
    for (bool merged : {true, false}) {
        SmallChart chart;
        TLineSeries& s = chart.Add();
        s.SetSeriesColor(clRed);
        s.SetMergeDenseColumns(merged);
        for (double y : {10.0, 14.0, 12.0, 16.0}) {
            s.AppendPoint(20, y);
        }
        TLineSeries& t = chart.Add();
        t.SetSeriesColor(clBlue);
        t.SetMergeDenseColumns(merged);
        for (double y : {10.0, 16.0, 12.0, 14.0}) {
            t.AppendPoint(30, y);
        }
        TLineSeries& u = chart.Add();
        u.SetSeriesColor(clLime);
        u.SetMergeDenseColumns(merged);
        for (double y : {16.0, 12.0, 14.0, 10.0}) {
            u.AppendPoint(25, y);
        }
        chart.Paint();
        // Value y lies on pixel row 40 - y.
        std::string red;
        std::string blue;
        std::string lime;
        for (int row = 22; row <= 31; ++row) {
            red += chart.At(20, row) == clRed ? 'r' : '.';
            blue += chart.At(30, row) == clBlue ? 'b' : '.';
            lime += chart.At(25, row) == clLime ? 'g' : '.';
        }
        EXPECT_EQ(red, "...rrrrrr.")
            << "rows 25 .. 30 (y 10): the last point's row 24 (y 16) empty";
        EXPECT_EQ(blue, "..bbbbbbb.") << "rows 24 .. 30, all passed over";
        EXPECT_EQ(lime, "..gggggg..") << "rows 24 .. 29: the last point's row 30 (y 10) empty";
        EXPECT_EQ(chart.Changed(), (TRect{20, 24, 31, 31}));
    }
}

// ---- Pointers: covered items left out, against the plain walk --------------------------------

namespace {

struct PointerScenario
{
    const char* name;
    Data data;
    int count;
    TSeriesPointerStyle style = psRectangle;
    int horizSize = 4;
    int vertSize = 4;
    bool gaps = false;
    bool pointColors = false;
    bool inverted = false;
    bool stairs = false;
    bool invertedStairs = false;
    bool outline = false;
    bool hiddenEnds = false;
    bool extendedPens = true;
    bool clearFill = false;        // pointers outlined only
    int pointerPenWidth = 1;       //
    bool colorEachLine = true;     //
    bool ownPointerColors = false; // pointer pen and fill in colours of their own
    bool bursts = false;           // long runs of points share one X value
    bool returns = false;          // now and then X goes back to columns drawn before
};

std::string StateText(const TChartCanvas3D::TDrawingState& st)
{
    std::ostringstream out;
    out << "pen " << std::hex << st.Pen.Color() << std::dec << " w" << st.Pen.Width() << " s"
        << st.Pen.Style() << " m" << st.Pen.Mode() << " k" << st.Pen.Kind() << " c"
        << st.Pen.EndCap() << " j" << st.Pen.Join() << ", brush " << std::hex << st.Brush.Color()
        << std::dec << " s" << st.Brush.Style() << ", back " << std::hex << st.BackColor << std::dec
        << " mode " << st.BackgroundMode << ", at (" << st.PenPos.X << ", " << st.PenPos.Y << ")";
    return out.str();
}

// Paints a series with pointers on over another series, once leaving out covered items and
// once plain; returns a description of the first pixel that differs, or of the differing
// drawing state left on the canvas (empty when both agree).
std::string CompareUncoveredWithPlain(const PointerScenario& sc, int width, TPenEndStyle end,
                                      unsigned seed, double ratio = 1)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    TestChart chart(300, 200, {10, 10, 290, 190}, ratio);
    // Underneath: a noisy line in another colour, so that covered items lie over a picture.
    TLineSeries& below = chart.Add();
    below.SetSeriesColor(clLime);
    below.LinePen().SetWidth(3);
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clBlue);
    s.LinePen().SetWidth(width);
    s.LinePen().SetEndStyle(end);
    s.SetColorEachLine(sc.colorEachLine);
    s.SetStairs(sc.stairs);
    s.SetInvertedStairs(sc.invertedStairs);
    TSeriesPointer& p = s.Pointer();
    p.SetVisible(true);
    p.SetStyle(sc.style);
    p.SetHorizSize(sc.horizSize);
    p.SetVertSize(sc.vertSize);
    p.Pen().SetWidth(sc.pointerPenWidth);
    if (sc.clearFill) {
        p.Brush().SetStyle(bsClear);
    }
    if (sc.ownPointerColors) {
        p.Pen().SetColor(clFuchsia);
        p.Brush().SetColor(clYellow);
    }
    if (sc.outline) {
        s.OutLine().SetVisible(true);
        s.OutLine().SetColor(clMaroon);
        s.OutLine().SetWidth(2);
    }
    const TColor palette[3] = {clRed, clGreen, clNavy};
    const std::vector<double> ys = MakeY(sc.data, sc.count, rng);
    double x = 0;
    int burst = 0;
    for (int i = 0; i < sc.count; ++i) {
        TColor color = clDefault;
        if (sc.pointColors) {
            color = palette[(i / 5) % 3];
        }
        if (sc.gaps && unit(rng) < 0.05) {
            color = clNone;
        }
        s.AppendPoint(x, ys[static_cast<size_t>(i)], {}, color);
        below.AppendPoint(x, unit(rng) * 100);
        if (sc.bursts && burst == 0 && unit(rng) < 0.002) {
            burst = static_cast<int>(unit(rng) * 3000);
        }
        const bool stay =
            (sc.data == Data::Wild && unit(rng) < 0.3) || (sc.bursts && burst > 0 && --burst > 0);
        // Dense data: many points per pixel column; sparse: a few points far apart.
        const double spacing = sc.data == Data::Sparse ? 20.0 : 1.0;
        x += stay ? 0 : spacing * (0.5 + unit(rng));
        if (sc.returns && unit(rng) < 0.002) {
            x *= unit(rng);
        }
        if (sc.data == Data::Returns) {
            x = (i / 64) % 2 != 0 ? 900 : 100;
        }
    }
    if (sc.hiddenEnds) {
        chart.BottomAxis().SetScaleRange(x * 0.2, x * 0.8);
    }
    chart.LeftAxis().SetScaleRange(0, 100);
    chart.BottomAxis().SetInverted(sc.inverted);
    chart.LeftAxis().SetInverted(sc.inverted);

    const bool savedExtended = ExtendedPensSupported;
    ExtendedPensSupported = sc.extendedPens;
    const auto paint = [&](bool fast) {
        s.SetMergeDenseColumns(fast);
        below.SetMergeDenseColumns(fast);
        chart.Paint();
        return std::make_pair(chart.Image(), StateText(chart.Canvas().SaveDrawingState()));
    };
    paint(false);
    const auto [fast, fastState] = paint(true);
    const auto [plain, plainState] = paint(false);
    ExtendedPensSupported = savedExtended;

    const std::string name = std::string("pointers-") + sc.name + "-w" + std::to_string(width) +
                             "-e" + std::to_string(end) + "-r" + std::to_string(ratio);
    SaveIfAsked(fast, name + ".png");
    for (int py = 0; py < plain.height(); ++py) {
        for (int px = 0; px < plain.width(); ++px) {
            if (fast.pixel(px, py) != plain.pixel(px, py)) {
                SaveIfAsked(fast, "series-" + name + "-fast.png");
                SaveIfAsked(plain, "series-" + name + "-plain.png");
                std::ostringstream out;
                out << "first difference at (" << px << ", " << py << "): fast " << std::hex
                    << fast.pixel(px, py) << ", plain " << plain.pixel(px, py);
                return out.str();
            }
        }
    }
    if (fastState != plainState) {
        return "canvas left as " + fastState + " instead of " + plainState;
    }
    return {};
}

} // namespace

TEST(LineSeries, LeavingOutCoveredPointersAndSegmentsKeepsThePixelsOfThePlainWalk)
{
    const PointerScenario scenarios[] = {
        {"steady", Data::Steady, 1500},
        {"noisy", Data::Noisy, 800},
        {"dense", Data::Dense, 5000},
        {"sparse", Data::Sparse, 40},
        {"wild", Data::Wild, 800},
        {"gaps", Data::Noisy, 800, psRectangle, 4, 4, true},
        {"colours-gaps", Data::Steady, 1500, psRectangle, 4, 4, true, true},
        {"inverted", Data::Noisy, 800, psRectangle, 4, 4, true, false, true},
        {"inverted-dense", Data::Dense, 4000, psRectangle, 3, 5, false, true, true},
        {"stairs", Data::Steady, 1500, psRectangle, 4, 4, false, false, false, true},
        {"inverted-stairs", Data::Noisy, 800, psRectangle, 2, 2, true, false, false, true, true},
        {"outline", Data::Dense, 3000, psRectangle, 4, 4, false, false, false, false, false, true},
        {"hidden-ends", Data::Steady, 1500, psRectangle, 4, 4, false, false, false, false, false,
         false, true},
        {"plain-pens", Data::Noisy, 800, psRectangle, 4, 4, true, false, false, false, false, false,
         false, false},
        {"circle", Data::Noisy, 800, psCircle, 5, 3},
        {"triangle", Data::Steady, 1500, psTriangle, 4, 4, true},
        {"down-triangle", Data::Dense, 3000, psDownTriangle, 6, 6},
        {"cross", Data::Noisy, 800, psCross, 4, 4, false, true},
        {"diagonal-cross", Data::Steady, 1500, psDiagCross},
        {"star", Data::Dense, 3000, psStar, 3, 3, true, false, true},
        {"diamond", Data::Noisy, 800, psDiamond, 4, 4, false, false, true},
        {"small-dot", Data::Steady, 1500, psSmallDot},
        {"nothing", Data::Noisy, 500, psNothing},
        {"left-triangle", Data::Dense, 3000, psLeftTriangle, 4, 2},
        {"right-triangle", Data::Noisy, 800, psRightTriangle, 2, 4, true},
        {"large", Data::Noisy, 800, psRectangle, 12, 9},
        {"one-pixel", Data::Dense, 3000, psRectangle, 1, 1},
        {"clear-fill", Data::Noisy, 800, psRectangle, 4, 4, false, false, false, false, false,
         false, false, true, true},
        {"wide-outline", Data::Dense, 3000, psRectangle, 4, 4, false, true, false, false, false,
         false, false, true, false, 3},
        {"series-colour", Data::Steady, 1500, psRectangle, 4, 4, true, true, false, false, false,
         false, false, true, false, 1, false, true},
        // A hundred points and more per column: runs of 1024, 64 and 8 points that later items
        // cover are passed over as a whole (from the value lists' summaries, or from the
        // mapped points where points differ in colour).
        {.name = "runs", .data = Data::Dense, .count = 30000},
        {.name = "runs-inverted", .data = Data::Dense, .count = 30000, .inverted = true},
        {.name = "runs-circle-wide-pointer-pen",
         .data = Data::Dense,
         .count = 30000,
         .style = psCircle,
         .pointerPenWidth = 3},
        {.name = "runs-bursts", .data = Data::Steady, .count = 20000, .bursts = true},
        // Steps between levels inside runs and where two runs meet on one column, runs that
        // meet across columns, and columns drawn again later.
        {.name = "runs-levels", .data = Data::Levels, .count = 20000},
        {.name = "runs-levels-small-pointers",
         .data = Data::Levels,
         .count = 10000,
         .horizSize = 1,
         .vertSize = 1},
        {.name = "runs-levels-returns",
         .data = Data::Levels,
         .count = 20000,
         .inverted = true,
         .bursts = true,
         .returns = true},
        {.name = "runs-returns", .data = Data::Returns, .count = 1024},
        {.name = "runs-stairs-gaps",
         .data = Data::Dense,
         .count = 20000,
         .gaps = true,
         .stairs = true,
         .bursts = true},
        {.name = "runs-colours-clear-fill",
         .data = Data::Dense,
         .count = 20000,
         .pointColors = true,
         .inverted = true,
         .clearFill = true,
         .bursts = true},
    };
    // Wide pens take each of the three end styles in turn over the scenarios. The second pass
    // converts the points by the scalar loop (one pen width); the last three draw at device
    // pixel ratios 2, 1.5 and 1.25, each scenario with one of the pen widths in turn.
    struct TPass
    {
        bool Scalar;
        double Ratio;
    };
    for (const TPass pass : {TPass{false, 1}, TPass{true, 1}, TPass{false, 2}, TPass{false, 1.5},
                             TPass{false, 1.25}}) {
        TAxisMapping::SetScalarBlocks(pass.Scalar);
        unsigned seed = 100;
        int turn = 0;
        int scenario = 0;
        for (const PointerScenario& sc : scenarios) {
            const int widths[] = {1, 2, 4};
            const int own = widths[scenario++ % 3]; // the width taken at other ratios
            for (int width : widths) {
                const auto end = static_cast<TPenEndStyle>(width == 1 ? esRound : turn++ % 3);
                const bool takes = pass.Ratio == 1 ? !pass.Scalar || width == 1 : width == own;
                if (!takes) {
                    ++seed;
                    continue;
                }
                EXPECT_EQ(CompareUncoveredWithPlain(sc, width, end, seed++, pass.Ratio), "")
                    << sc.name << ", pen width " << width << ", end style " << end << ", seed "
                    << seed - 1 << (pass.Scalar ? ", scalar blocks" : "") << ", ratio "
                    << pass.Ratio;
            }
        }
    }
    TAxisMapping::SetScalarBlocks(false);
}

TEST(LineSeries, TwoChartsPaintingInTurnOrOneInsideTheOthersPaintKeepTheirPictures)
{
    // Each chart: a dense line (merged columns) and a line with pointers (uncovered items), with
    // pens of its own, painted onto a surface that is clipped already (as a partial repaint is).
    struct Side
    {
        TestChart Chart{300, 200, {10, 10, 290, 190}};
        explicit Side(unsigned seed, int width, TRect outerClip)
        {
            std::mt19937 rng(seed);
            std::uniform_real_distribution<double> unit(0.0, 100.0);
            TLineSeries& dense = Chart.Add();
            dense.SetSeriesColor(clGreen);
            dense.LinePen().SetWidth(width);
            TLineSeries& pointed = Chart.Add();
            pointed.SetSeriesColor(clBlue);
            pointed.LinePen().SetWidth(width + 1);
            pointed.Pointer().SetVisible(true);
            pointed.Pointer().SetHorizSize(width + 1);
            for (int i = 0; i < 4000; ++i) {
                dense.AppendPoint(i * 0.1, unit(rng));
            }
            for (int i = 0; i < 300; ++i) {
                pointed.AppendPoint(i * 1.3, unit(rng));
            }
            const TRegion clip = TRegion::FromRect(outerClip);
            Chart.Surface().SelectClipRegion(&clip);
        }
    };
    Side a(3, 1, {0, 0, 300, 120});
    Side b(4, 3, {150, 0, 300, 200});
    a.Chart.Paint();
    const QImage aAlone = a.Chart.Image();
    b.Chart.Paint();
    const QImage bAlone = b.Chart.Image();
    ASSERT_NE(aAlone, bAlone);

    a.Chart.Paint();
    EXPECT_EQ(a.Chart.Image(), aAlone) << "painted after the other chart";
    int nested = 0;
    a.Chart.WhileClipped = [&] {
        ++nested;
        b.Chart.Paint();
    };
    a.Chart.Paint();
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(a.Chart.Image(), aAlone) << "the other chart painted inside its paint";
    EXPECT_EQ(b.Chart.Image(), bAlone);
}

// ---- Segments: steps, gaps, colours, the edge of the plot, outline ---------------------------

namespace {

// Region x 2..14, rows 32..38 of a small chart: '#' for the series colour.
std::string Region(const SmallChart& chart, TRect r, TColor color)
{
    return Joined(chart.Map(r, {{color, '#'}}));
}

} // namespace

TEST(LineSeries, StairsStepAcrossThenUpAndInvertedStairsUpThenAcross)
{
    for (bool inverted : {false, true}) {
        SmallChart chart;
        TLineSeries& s = chart.Add();
        s.SetSeriesColor(clRed);
        s.SetStairs(true);
        s.SetInvertedStairs(inverted);
        s.AppendPoint(2, 2);  // pixel (2, 38)
        s.AppendPoint(8, 8);  // pixel (8, 32)
        s.AppendPoint(14, 5); // pixel (14, 35), the end pixel of the last step is not drawn
        chart.Paint();
        const std::vector<std::string> stairs = {"......#######", "......#.....#", "......#.....#",
                                                 "......#......", "......#......", "......#......",
                                                 "#######......"};
        const std::vector<std::string> invertedStairs = {
            "#######......", "#.....#......", "#.....#......", "#.....######.",
            "#............", "#............", "#............"};
        EXPECT_EQ(Region(chart, {2, 32, 15, 39}, clRed), Joined(inverted ? invertedStairs : stairs))
            << (inverted ? "inverted stairs" : "stairs");
        // The last step's end pixel is not drawn: inverted, that is the whole column x = 14.
        EXPECT_EQ(chart.Changed(), (TRect{2, 32, inverted ? 14 : 15, 39}));
    }
}

TEST(LineSeries, GapPointsHaveNoSegmentsAndNoPointer)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.Pointer().SetVisible(true);
    s.Pointer().SetHorizSize(1);
    s.Pointer().SetVertSize(1);
    s.AppendPoint(2, 2);
    s.AppendPoint(6, 2);
    s.AppendPoint(10, 20, {}, clNone); // the gap, high above the others
    s.AppendPoint(14, 2);
    s.AppendPoint(18, 2);
    chart.Paint();
    // 3 x 3 pointers (black frame, red centre) on the four points, the segments between the two
    // pairs in red, nothing towards the gap.
    EXPECT_EQ(Joined(chart.Map({1, 37, 20, 40}, {{clBlack, '#'}, {clRed, 'r'}})),
              Joined({"###.###.....###.###", "#r#r#r#.....#r#r#r#", "###.###.....###.###"}));
    EXPECT_EQ(chart.Changed(), (TRect{1, 37, 20, 40}));

    // Without pointers the same: two separate segments.
    s.Pointer().SetVisible(false);
    chart.Paint();
    EXPECT_EQ(Joined(chart.Map({1, 38, 20, 39}, {{clRed, 'r'}})), Joined({".rrrr........rrrr.."}));
    EXPECT_EQ(chart.Changed(), (TRect{2, 38, 18, 39}));
}

TEST(LineSeries, ColorEachLineGivesASegmentTheColourOfThePointItLeadsTo)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.AppendPoint(2, 2);
    s.AppendPoint(10, 2, {}, clBlue);
    s.AppendPoint(18, 2, {}, clLime);
    const std::vector<std::pair<TColor, char>> legend = {
        {clRed, 'r'}, {clBlue, 'b'}, {clLime, 'g'}};
    chart.Paint();
    EXPECT_TRUE(s.ColorEachLine());
    EXPECT_EQ(Joined(chart.Map({1, 38, 20, 39}, legend)), Joined({".bbbbbbbbgggggggg.."}));
    s.SetColorEachLine(false);
    chart.Paint();
    EXPECT_EQ(Joined(chart.Map({1, 38, 20, 39}, legend)), Joined({".rrrrrrrrrrrrrrrr.."}));
    EXPECT_EQ(chart.Changed(), (TRect{2, 38, 18, 39}));
}

TEST(LineSeries, LineComesInFromThePlotEdgeWhenEarlierPointsAreHidden)
{
    // The bottom axis shows 10..50 (value v at pixel v - 10): point 0 lies left of the plot.
    SmallChart chart;
    chart.FixRanges(10, 50, 0, 40);
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.AppendPoint(0, 0);
    s.AppendPoint(20, 20); // pixel (10, 20)
    s.AppendPoint(30, 20); // pixel (20, 20)
    chart.Paint();
    EXPECT_EQ(s.FirstVisibleIndex(), 1);
    // From the edge (0, 30), where the segment 0 -> 1 has the value 10, to (10, 20); the edge
    // pixel itself is outside the clip.
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(chart.At(k, 30 - k), clRed) << k;
    }
    EXPECT_EQ(chart.Changed(), (TRect{1, 20, 20, 30}));

    // With stairs the line comes in at the hidden point's height: here the plot's bottom row,
    // which lies outside the clip; the step up at x = 10 shows.
    s.SetStairs(true);
    chart.Paint();
    EXPECT_EQ(chart.Changed(), (TRect{10, 20, 20, 40}));

    // Nothing comes in from a hidden gap.
    s.SetStairs(false);
    s.Clear();
    s.AppendPoint(0, 0, {}, clNone);
    s.AppendPoint(20, 20);
    s.AppendPoint(30, 20);
    chart.Paint();
    EXPECT_EQ(chart.Changed(), (TRect{10, 20, 20, 21}));
}

TEST(LineSeries, OutlineIsDrawnWiderUnderTheLine)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    s.SetSeriesColor(clRed);
    s.AppendPoint(5, 20);
    s.AppendPoint(35, 20);
    s.OutLine().SetVisible(true);
    s.OutLine().SetColor(clBlue);
    s.OutLine().SetWidth(1); // outline pen 1 + 1 + 2 = 4 pixels wide
    chart.Paint();
    std::string column;
    for (int row = 16; row <= 24; ++row) {
        const TColor p = chart.At(20, row);
        column += p == clRed ? 'r' : (p == clBlue ? 'b' : '.');
    }
    EXPECT_EQ(column, "..bbrb...") << "rows 16..24: the red line on row 20 inside the outline";
    EXPECT_EQ(s.SeriesColor(), clRed) << "the series colour is back";
    EXPECT_EQ(s.LinePen().Width(), 1) << "the line pen is back";
}

TEST(LineSeries, InvertedHorizontalAxisDrawsFromTheLastPointDown)
{
    // Two points on one pixel with different pointers: the one drawn last lies on top.
    for (bool inverted : {false, true}) {
        SmallChart chart;
        chart.BottomAxis().SetInverted(inverted);
        TLineSeries& s = chart.Add();
        s.SetSeriesColor(clRed);
        s.AppendPoint(20, 20);
        s.AppendPoint(20, 20, {}, clBlue);
        s.Pointer().SetVisible(true);
        s.Pointer().Pen().SetVisible(false);
        chart.Paint();
        EXPECT_EQ(chart.At(20, 20), inverted ? clRed : clBlue) << inverted;
    }
}

// ---- Margins and hit test --------------------------------------------------------------------

TEST(LineSeries, MarginsForPointersStepsAndOutline)
{
    TLineSeries s;
    const auto margins = [&s](int32_t start) {
        int32_t left = start;
        int32_t right = start;
        int32_t top = start;
        int32_t bottom = start;
        s.HorizontalPointMargins(left, right);
        s.VerticalPointMargins(top, bottom);
        std::ostringstream out;
        out << left << " " << right << " " << top << " " << bottom;
        return out.str();
    };
    EXPECT_EQ(margins(0), "0 0 0 0") << "hidden pointers need no room";
    s.Pointer().SetVisible(true);
    EXPECT_EQ(margins(0), "5 5 5 5") << "half a default pointer and one pixel";
    EXPECT_EQ(margins(9), "9 9 9 9") << "larger margins stay";
    s.Pointer().SetHorizSize(6);
    s.Pointer().SetVertSize(2);
    EXPECT_EQ(margins(0), "7 7 3 3");
    s.Pointer().SetInflateMargins(false);
    EXPECT_EQ(margins(0), "0 0 0 0");
    s.SetStairs(true);
    s.LinePen().SetWidth(4);
    EXPECT_EQ(margins(0), "4 4 4 4") << "steps need the pen's width";
    s.SetStairs(false);
    s.OutLine().SetVisible(true);
    s.OutLine().SetWidth(6);
    EXPECT_EQ(margins(2), "6 6 6 6") << "a visible outline needs its width";
}

TEST(LineSeries, PointAtPixelFindsPointersPointsAndSegments)
{
    SmallChart chart;
    TLineSeries& s = chart.Add();
    EXPECT_EQ(s.PointAtPixel(5, 35), -1) << "no visible range before a paint";
    s.AppendPoint(5, 5);   // pixel (5, 35)
    s.AppendPoint(15, 25); // pixel (15, 15)
    s.AppendPoint(35, 25); // pixel (35, 15)
    chart.Paint();
    EXPECT_EQ(s.PointAtPixel(5, 35), 0);
    EXPECT_EQ(s.PointAtPixel(15, 15), 1);
    EXPECT_EQ(s.PointAtPixel(35, 15), 2);
    EXPECT_EQ(s.PointAtPixel(10, 25), 0) << "on the segment 0 -> 1";
    EXPECT_EQ(s.PointAtPixel(11, 24), 0) << "within half a pixel of it";
    EXPECT_EQ(s.PointAtPixel(12, 25), -1) << "two pixels beside it";
    EXPECT_EQ(s.PointAtPixel(25, 15), 1) << "on the segment 1 -> 2";
    EXPECT_EQ(s.PointAtPixel(25, 16), -1);
    EXPECT_EQ(s.PointAtPixel(40, 15), -1) << "beyond the last point";
    EXPECT_EQ(s.PointAtPixel(8, 33), -1) << "near a point, pointers hidden";

    s.Pointer().SetVisible(true);
    EXPECT_EQ(s.PointAtPixel(8, 33), 0) << "inside the pointer";
    EXPECT_EQ(s.PointAtPixel(9, 35), -1) << "4 pixels off is outside a pointer of half-size 4";
    s.OnGetPointerStyle = [](TCustomSeries&, int32_t) { return psNothing; };
    EXPECT_EQ(s.PointAtPixel(8, 33), -1) << "no pointer drawn, none hit";
    s.OnGetPointerStyle = nullptr;

    s.SetClickableLine(false);
    EXPECT_EQ(s.PointAtPixel(10, 25), -1) << "segments not clickable";
    EXPECT_EQ(s.PointAtPixel(15, 15), 1);
    s.SetClickableLine(true);
    s.Pointer().SetVisible(false);

    s.SetStairs(true);
    EXPECT_EQ(s.PointAtPixel(10, 35), 0) << "on the step across";
    EXPECT_EQ(s.PointAtPixel(15, 25), 0) << "on the step up";
    EXPECT_EQ(s.PointAtPixel(10, 25), -1) << "the slanted line is not drawn";
    s.SetInvertedStairs(true);
    EXPECT_EQ(s.PointAtPixel(5, 20), 0) << "on the step up first";
    EXPECT_EQ(s.PointAtPixel(10, 15), 0) << "then across";
    EXPECT_EQ(s.PointAtPixel(10, 35), -1);
}

// ---- In the chart control --------------------------------------------------------------------

namespace {

// The program's chart with four line series (widths 2, 2, 4, 2) with points every 0.2 s.
std::unique_ptr<TChart> ProgramChartWithLines(std::vector<TLineSeries*>& series, int points)
{
    auto chart = ProgramChart(548, 184, QStringLiteral("with Orvex Real-Power-Control"));
    const TColor colors[4] = {clRed, clBlue, 8454143, clAqua};
    for (int k = 0; k < 4; ++k) {
        auto s = std::make_unique<TLineSeries>();
        s->SetSeriesColor(colors[k]);
        s->LinePen().SetWidth(k == 2 ? 4 : 2);
        series.push_back(&chart->AddSeries(std::move(s)));
    }
    for (int i = 1; i <= points; ++i) {
        for (int k = 0; k < 4; ++k) {
            series[static_cast<size_t>(k)]->AppendPoint(0.2 * i, 60 + 10 * k + (i % 5));
        }
    }
    return chart;
}

QImage PaintChart(TChart& chart)
{
    TBitmap screen(chart.Width(), chart.Height());
    chart.ChartCanvas().MarkDirty();
    chart.Draw(screen.Canvas(), chart.ClientRect());
    return chart.ChartCanvas().BufferBitmap()->Image().copy();
}

} // namespace

TEST(LineSeriesInChart, PointersWidenTheBottomAxisByFivePixelsAtEachEndAndOffRestoresIt)
{
    std::vector<TLineSeries*> series;
    auto chart = ProgramChartWithLines(series, 30);
    const QImage tight = PaintChart(*chart);
    const TChartAxis& bottom = chart->BottomAxis();
    const TChartAxis& left = chart->LeftAxis();
    EXPECT_DOUBLE_EQ(bottom.ScaleMinimum(), 0.2);
    EXPECT_DOUBLE_EQ(bottom.ScaleMaximum(), 6.0);
    EXPECT_EQ(bottom.ValueToPixel(0.2), bottom.StartPixel());
    EXPECT_EQ(bottom.ValueToPixel(6.0), bottom.EndPixel());

    for (TLineSeries* s : series) {
        s->Pointer().SetVisible(true);
    }
    const QImage widened = PaintChart(*chart);
    SaveIfAsked(tight, "series-chart-tight.png");
    SaveIfAsked(widened, "series-chart-pointers.png");
    // The old range fills the axis shortened by 5 pixels at each end.
    EXPECT_EQ(bottom.ValueToPixel(0.2), bottom.StartPixel() + 5);
    EXPECT_EQ(bottom.ValueToPixel(6.0), bottom.EndPixel() - 5);
    const double perPixel = 5.8 / (bottom.AxisLength() - 10);
    EXPECT_NEAR(bottom.ScaleMinimum(), 0.2 - 5 * perPixel, 1e-9);
    EXPECT_NEAR(bottom.ScaleMaximum(), 6.0 + 5 * perPixel, 1e-9);
    EXPECT_DOUBLE_EQ(left.ScaleMinimum(), 45) << "the fixed axis keeps its range";
    EXPECT_DOUBLE_EQ(left.ScaleMaximum(), 115);
    // Every point of the last series carries a 9 x 9 pointer: black frame, aqua inside.
    for (int i = 0; i < 30; ++i) {
        const int x = series[3]->PointPixelX(i);
        const int y = series[3]->PointPixelY(i);
        EXPECT_EQ(QColorToColor(QColor(widened.pixel(x, y))), clAqua) << i;
        EXPECT_EQ(QColorToColor(QColor(widened.pixel(x - 4, y - 4))), clBlack) << i;
        EXPECT_EQ(QColorToColor(QColor(widened.pixel(x + 4, y + 4))), clBlack) << i;
    }
    EXPECT_NE(widened, tight);

    for (TLineSeries* s : series) {
        s->Pointer().SetVisible(false);
    }
    EXPECT_EQ(PaintChart(*chart), tight) << "switching the pointers off restores the picture";
    EXPECT_DOUBLE_EQ(bottom.ScaleMinimum(), 0.2);
    EXPECT_DOUBLE_EQ(bottom.ScaleMaximum(), 6.0);
}
