// Chart axes: automatic and fixed ranges, pixel mapping and its limits, label steps and values
// (the worked examples), the room an axis takes, and the drawn picture of labels, ticks, grid
// and minor ticks read back from a bitmap.
#include "chart/ChartAxis.h"
#include "chart/NumberFormat.h"
#include "tests/support/FakeAxisChart.h"
#include "tests/support/SaveIfAsked.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr TColor Grey = 0x808080;

// A chart as the axes see it: a canvas on a bitmap, a plot rectangle, a series list and the
// four standard axes. Layout and Draw run the axis steps of a chart's paint in their order.
class TTestChart : public TFakeAxisChart
{
public:
    TTestChart(int width, int height) : TFakeAxisChart(width, height, {0, 0, width, height}) {}

    std::vector<TChartAxis*> Axes() { return {&Bottom, &Top, &Left, &Right}; }

    // Ranges, placement, the room of the bottom and left axes, placement again, margins.
    void Layout(TRect panel)
    {
        Plot = panel;
        for (TChartAxis* a : Axes())
            a->ComputeAutoRange();
        for (TChartAxis* a : Axes())
            a->PlaceOnChart();
        TRect r = Plot;
        Left.ReserveRoom(r);
        Bottom.ReserveRoom(r);
        Plot = r;
        for (TChartAxis* a : Axes())
            a->PlaceOnChart();
        for (TChartAxis* a : Axes())
            a->WidenForSeriesMargins();
    }
    void Fill(TColor color = clSilver)
    {
        TCanvas& c = Bitmap.Canvas();
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(color);
        c.FillRect({0, 0, Bitmap.Width(), Bitmap.Height()});
    }
    TColor At(int x, int y) const { return Bitmap.Canvas().Pixel(x, y); }
    // Bounding box of the pixels of colour c inside area (Right/Bottom exclusive; empty: all 0).
    TRect BoxOf(TColor c, TRect area) const
    {
        TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x)
                if (At(x, y) == c) {
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
                }
        return r.Left == INT32_MAX ? TRect{} : r;
    }
    bool Any(TColor c, TRect area) const { return BoxOf(c, area) != TRect{}; }
    // Bounding box of the ink of black text on the silver background inside area: pixels at
    // least half covered, i.e. at least half way from silver to black (text is drawn with
    // grayscale edges; a fainter edge pixel is what a monochrome glyph leaves blank).
    TRect InkBox(TRect area) const
    {
        TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x) {
                const TColor p = At(x, y);
                if (p != clNone && std::max({GetRValue(p), GetGValue(p), GetBValue(p)}) <=
                                       GetGValue(clSilver) / 2) {
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
                }
            }
        return r.Left == INT32_MAX ? TRect{} : r;
    }
};

// A series whose points ask for margins like visible pointers (half size + 1).
class TMarginSeries : public TChartSeries
{
public:
    void HorizontalPointMargins(int32_t& left, int32_t& right) const override
    {
        left = std::max(left, Margin);
        right = std::max(right, Margin);
    }
    void VerticalPointMargins(int32_t& top, int32_t& bottom) const override
    {
        top = std::max(top, Margin);
        bottom = std::max(bottom, Margin);
    }
    int32_t Margin = 0;
};

std::vector<double> LabelValues(const TChartAxis& axis, double step)
{
    std::vector<double> values;
    axis.ProduceLabelValues(step, [&](double v) { values.push_back(v); });
    return values;
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EChartException& e) {
        return e.what();
    }
    return "no error";
}

// The program's left axis: fixed 45..115 with percent labels.
void MakeFixedPercentAxis(TChartAxis& axis)
{
    axis.SetAutomatic(false);
    axis.SetMaximum(115);
    axis.SetMinimum(45);
    axis.SetAxisValuesFormat("##0.0%");
}

} // namespace

// ---- Label steps and values: the worked examples -------------------------------------------

TEST(ChartAxisScale, LeftAxisOver110PixelsWith14PixelLabelsStepsBy10From110DownTo50)
{
    TTestChart chart(200, 200);
    TChartSeries series;
    chart.Add(series);
    MakeFixedPercentAxis(chart.Left);
    chart.Plot = {50, 20, 150, 130}; // 110 pixels high
    chart.Left.ComputeAutoRange();
    chart.Left.PlaceOnChart();
    EXPECT_EQ(chart.Left.AxisLength(), 110);
    EXPECT_EQ(chart.Left.ScaleMinimum(), 45);
    EXPECT_EQ(chart.Left.ScaleMaximum(), 115);

    // s = 14 + round(1.4) = 15, N = round(110 / 15) = 7; 8.75 grows to 10.
    EXPECT_EQ(chart.Left.MaxLabelCount(14), 7);
    const double step = chart.Left.IncrementForLabelCount(7);
    EXPECT_EQ(step, 10);
    EXPECT_EQ(LabelValues(chart.Left, step), (std::vector<double>{110, 100, 90, 80, 70, 60, 50}));
    EXPECT_EQ(chart.Left.LabelText(110), "110.0%");
    EXPECT_EQ(chart.Left.LabelText(50), "50.0%");
    // The maximum is at the top: 115 at the start pixel, 45 at the end pixel.
    EXPECT_EQ(chart.Left.ValueToPixel(115), 20);
    EXPECT_EQ(chart.Left.ValueToPixel(45), 130);
    EXPECT_EQ(chart.Left.ValueToPixel(80), 75);
    EXPECT_DOUBLE_EQ(chart.Left.PixelToValue(75), 80);
}

TEST(ChartAxisScale, BottomAxisStepsForTwoThirtyAndOnePoint)
{
    TTestChart chart(400, 100);
    TChartSeries series;
    chart.Add(series);
    chart.Plot = {0, 0, 400, 100};

    // Two points at 0.2 and 0.4: the series has no more than N points, so the step is at least
    // one; the only whole label, 0, lies below the minimum.
    series.AppendPoint(0.2, 50);
    series.AppendPoint(0.4, 60);
    chart.Bottom.ComputeAutoRange();
    chart.Bottom.PlaceOnChart();
    EXPECT_EQ(chart.Bottom.IncrementForLabelCount(18), 1);
    EXPECT_TRUE(LabelValues(chart.Bottom, 1).empty());

    // Thirty points 0.2 .. 6.0: 5.8 / 19 grows to 0.5; labels 6, 5.5, ..., 0.5.
    series.Clear();
    for (int i = 1; i <= 30; ++i)
        series.AppendPoint(i / 5.0, 50);
    chart.Bottom.ComputeAutoRange();
    EXPECT_EQ(chart.Bottom.ScaleMaximum(), 6.0);
    const double step = chart.Bottom.IncrementForLabelCount(18);
    EXPECT_EQ(step, 0.5);
    std::vector<std::string> texts;
    for (double v : LabelValues(chart.Bottom, step))
        texts.push_back(chart.Bottom.LabelText(v));
    EXPECT_EQ(texts, (std::vector<std::string>{"6", "5.5", "5", "4.5", "4", "3.5", "3", "2.5", "2",
                                               "1.5", "1", "0.5"}));

    // One point: range zero, step 1, one label 0.2 at the centre pixel.
    series.Clear();
    series.AppendPoint(0.2, 50);
    chart.Bottom.ComputeAutoRange();
    EXPECT_TRUE(chart.Bottom.RangeIsZero());
    EXPECT_EQ(chart.Bottom.IncrementForLabelCount(18), 1);
    EXPECT_EQ(LabelValues(chart.Bottom, 1), (std::vector<double>{0.2}));
    EXPECT_EQ(chart.Bottom.ValueToPixel(0.2), chart.Bottom.CenterPixel());
    EXPECT_EQ(chart.Bottom.CenterPixel(), 200);
}

TEST(ChartAxisScale, LabelCountIsRoundedAndAsFewPointsAsLabelsStepByWholeNumbers)
{
    TTestChart chart(400, 100);
    TChartSeries series;
    chart.Add(series);
    for (int i = 0; i <= 60; ++i)
        series.AppendPoint(i, 50);
    // Labels 14 pixels wide take 15 with their separation: the count of labels that fit is the
    // axis length over 15, rounded. 60 seconds over 12 labels step by 5, over 11 by 10.
    const struct
    {
        int Length;
        int32_t Count;
        double Step;
    } lengths[] = {{172, 11, 10}, {173, 12, 5}, {174, 12, 5}, {187, 12, 5}, {188, 13, 5}};
    for (const auto& l : lengths) {
        chart.Plot = {10, 0, 10 + l.Length, 100};
        chart.Bottom.ComputeAutoRange();
        chart.Bottom.PlaceOnChart();
        ASSERT_EQ(chart.Bottom.AxisLength(), l.Length);
        const int32_t count = chart.Bottom.MaxLabelCount(14);
        EXPECT_EQ(count, l.Count) << l.Length;
        EXPECT_EQ(chart.Bottom.IncrementForLabelCount(count), l.Step) << l.Length;
    }

    // A series with no more points than labels steps by whole numbers, so that no label falls
    // between two points; one point more and the step may be a fraction.
    for (const int points : {4, 5, 6}) {
        series.Clear();
        for (int i = 1; i <= points; ++i)
            series.AppendPoint(i / 5.0, 50);
        chart.Bottom.ComputeAutoRange();
        EXPECT_EQ(chart.Bottom.IncrementForLabelCount(5), points <= 5 ? 1 : 0.2) << points;
    }
}

TEST(ChartAxisScale, IncrementRoundFirstLabelAndTheSmallestStep)
{
    TTestChart chart(100, 100);
    TChartAxis& axis = chart.Bottom;
    axis.SetScaleRange(0, 100);
    axis.PlaceOnRect({0, 0, 100, 100});

    // Increment 3 with room for 10 labels: 3 -> 5 -> 10.
    axis.SetIncrement(3);
    EXPECT_EQ(axis.IncrementForLabelCount(10), 10);
    EXPECT_EQ(LabelValues(axis, 10).size(), 11u); // 100, 90, ..., 0

    // RoundFirstLabel false: the first label is the maximum itself, then whole steps below.
    axis.SetIncrement(0);
    axis.SetScaleRange(3.5, 47.5);
    axis.SetRoundFirstLabel(false);
    EXPECT_EQ(LabelValues(axis, 10), (std::vector<double>{47.5, 37.5, 27.5, 17.5, 7.5}));
    axis.SetRoundFirstLabel(true);
    EXPECT_EQ(LabelValues(axis, 10), (std::vector<double>{40, 30, 20, 10}));

    // A step below 1e-12 is raised to 1e-12 (the nice-step loop is off with a negative
    // separation, so the given increment would stand).
    axis.SetLabelsSeparation(-1);
    axis.SetIncrement(1e-15);
    EXPECT_EQ(axis.IncrementForLabelCount(10), AxisSmallestStep);

    // Nice steps climb 1, 2, 5, 10 from wherever they start.
    EXPECT_EQ(TChartAxis::NextNiceStep(1), 2);
    EXPECT_EQ(TChartAxis::NextNiceStep(8.75), 10);
    EXPECT_EQ(TChartAxis::NextNiceStep(0.305), 0.5);
    EXPECT_EQ(TChartAxis::NextNiceStep(33), 50);
    EXPECT_EQ(TChartAxis::NextNiceStep(0), AxisSmallestStep); // no endless descent
    EXPECT_TRUE(std::isinf(TChartAxis::NextNiceStep(INFINITY)));
}

TEST(ChartAxisScale, TooManyLabelPositionsGiveNoLabelsAndZeroRangesNeverDivide)
{
    TTestChart chart(100, 100);
    TChartAxis& axis = chart.Left;
    axis.SetScaleRange(0, 100);
    axis.PlaceOnRect({0, 0, 100, 100});
    EXPECT_TRUE(LabelValues(axis, 0.01).empty());              // 10000 positions
    const size_t justBelow = LabelValues(axis, 0.0101).size(); // 9900.99 positions
    EXPECT_TRUE(justBelow == 9900u || justBelow == 9901u) << justBelow;
    EXPECT_TRUE(LabelValues(axis, 0).empty());
    EXPECT_TRUE(LabelValues(axis, -1).empty());

    // Zero range: the centre pixel for every value, one label.
    axis.SetScaleMinMax(5, 5);
    EXPECT_EQ(axis.PixelsPerUnit(), 0);
    EXPECT_EQ(axis.ValueToPixel(5), 50);
    EXPECT_EQ(axis.ValueToPixel(1e300), 50);
    EXPECT_EQ(axis.ValueToPixel(INFINITY), 50);
    EXPECT_EQ(LabelValues(axis, 1), (std::vector<double>{5}));
    // An axis shorter than one pixel maps every pixel to 0.
    axis.PlaceOnRect({0, 10, 100, 10});
    EXPECT_EQ(axis.PixelToValue(10), 0);
    EXPECT_EQ(axis.ValueToPixel(5), 10);
}

// ---- Pixel mapping -----------------------------------------------------------------------------

TEST(ChartAxisMapping, FarValuesClampToThePixelLimitAndTheFastPathEqualsThePlainFormula)
{
    TTestChart chart(100, 100);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> any(-300, 300);
    for (TChartAxis* axis : chart.Axes()) {
        for (bool inverted : {false, true}) {
            axis->SetInverted(inverted);
            axis->SetScaleRange(-40, 160);
            axis->PlaceOnRect({13, 17, 213, 117});
            const double lo = axis->ScaleMinimum();
            const double ppu = axis->PixelsPerUnit();
            // The value 10^9 units beyond the range lands on the limit, not on an overflow.
            EXPECT_EQ(std::abs(axis->ValueToPixel(160 + 1e9)), AxisPixelLimit);
            EXPECT_EQ(std::abs(axis->ValueToPixel(-40 - 1e9)), AxisPixelLimit);
            EXPECT_EQ(axis->ValueToPixel(NAN), -AxisPixelLimit);
            for (int i = 0; i < 20000; ++i) {
                // Quarter values hit exact halves of a pixel: ties go to even.
                const double v = i < 2000 ? (i - 1000) * 0.25 : any(random);
                const double d = (v - lo) * ppu;
                double p;
                if (axis->Horizontal())
                    p = inverted ? axis->EndPixel() - d : axis->StartPixel() + d;
                else
                    p = inverted ? axis->StartPixel() + d : axis->EndPixel() - d;
                const int32_t plain = p > AxisPixelLimit ? AxisPixelLimit
                                      : p < -AxisPixelLimit
                                          ? -AxisPixelLimit
                                          : static_cast<int32_t>(std::nearbyint(p));
                ASSERT_EQ(axis->ValueToPixel(v), plain) << v;
            }
        }
    }
    // A vertical axis has its maximum at the top; an inverted one at the bottom.
    chart.Left.SetInverted(false);
    EXPECT_LT(chart.Left.ValueToPixel(100), chart.Left.ValueToPixel(0));
    chart.Left.SetInverted(true);
    EXPECT_GT(chart.Left.ValueToPixel(100), chart.Left.ValueToPixel(0));
}

TEST(ChartAxisMapping, BlockConversionBothWaysEqualsTheAxisValueByValue)
{
    // Linear (both directions, a factor near the pixel limit), logarithmic and zero ranges; the
    // values include ties, far values, infinities and not-a-number. The blocks end off a multiple
    // of four so that the scalar tail of the four-at-a-time path runs too.
    TTestChart chart(100, 100);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> near(-500, 500);
    std::uniform_real_distribution<double> far(-1e12, 1e12);
    std::vector<double> values;
    for (int i = 0; i < 4001; ++i) {
        const int pick = i % 10;
        values.push_back(pick == 0   ? std::numeric_limits<double>::quiet_NaN()
                         : pick == 1 ? (i % 20 == 1 ? 1 : -1) * HUGE_VAL
                         : pick == 2 ? far(random)
                         : pick == 3 ? (i - 2000) * 0.25
                                     : near(random));
    }
    struct Range
    {
        double Min, Max;
        bool Log;
    };
    const Range ranges[] = {{-40, 160, false}, {0, 1e-7, false}, {1, 1000, true}, {5, 5, false}};
    int checked = 0;
    for (TChartAxis* axis : {&chart.Bottom, &chart.Left}) {
        for (bool inverted : {false, true}) {
            for (const Range& range : ranges) {
                axis->SetInverted(inverted);
                axis->SetLogarithmic(range.Log);
                axis->SetScaleMinMax(range.Min, range.Max);
                axis->PlaceOnRect({13, 17, 213, 117});
                const TAxisMapping& mapping = axis->Mapping();
                EXPECT_EQ(mapping.KeepsOrder(), !range.Log && range.Min != range.Max);
                for (bool scalar : {false, true}) {
                    TAxisMapping::SetScalarBlocks(scalar);
                    std::vector<int32_t> pixels(values.size());
                    mapping.Map(values.data(), static_cast<int32_t>(values.size()), pixels.data());
                    for (size_t k = 0; k < values.size(); ++k) {
                        ASSERT_EQ(pixels[k], axis->ValueToPixel(values[k]))
                            << values[k] << (scalar ? " scalar" : " blocks");
                        ++checked;
                    }
                }
                TAxisMapping::SetScalarBlocks(false);
            }
        }
    }
    EXPECT_EQ(checked, 2 * 2 * 4 * 2 * 4001);
}

TEST(ChartAxisMapping, LogarithmicAxisGivesEqualRatiosEqualPixelsAndLabelsAtPowers)
{
    TTestChart chart(100, 100);
    TChartAxis& axis = chart.Bottom;
    axis.SetLogarithmic(true);
    axis.SetScaleRange(1, 1000);
    axis.PlaceOnRect({0, 0, 300, 100});
    EXPECT_EQ(axis.ValueToPixel(1), 0);
    EXPECT_EQ(axis.ValueToPixel(10), 100);
    EXPECT_EQ(axis.ValueToPixel(100), 200);
    EXPECT_EQ(axis.ValueToPixel(1000), 300);
    EXPECT_EQ(axis.ValueToPixel(0), -AxisPixelLimit); // beyond the low end
    EXPECT_NEAR(axis.PixelToValue(200), 100, 1e-9);
    EXPECT_EQ(LabelValues(axis, 1).size(), 4u); // 1000, 100, 10, 1
    // A range that is not positive falls back to the linear mapping.
    axis.SetScaleRange(-10, 10);
    EXPECT_EQ(axis.ValueToPixel(0), 150);
}

// ---- Range settings --------------------------------------------------------------------------

TEST(ChartAxisRange, RangeAndIncrementErrorsKeepTheOldValue)
{
    TTestChart chart(100, 100);
    TChartAxis& axis = chart.Left;
    axis.SetMaximum(100);
    axis.SetMinimum(10);
    EXPECT_EQ(ErrorOf([&] { axis.SetMinimum(101); }), "Axis Minimum Value must be <= Maximum");
    EXPECT_EQ(axis.Minimum(), 10);
    EXPECT_EQ(ErrorOf([&] { axis.SetMaximum(9); }), "Axis Maximum Value must be >= Minimum");
    EXPECT_EQ(axis.Maximum(), 100);
    EXPECT_EQ(ErrorOf([&] { axis.SetMaximum(NAN); }), "Axis Maximum Value must be >= Minimum");
    EXPECT_EQ(ErrorOf([&] { axis.SetIncrement(-1); }), "Axis increment must be >= 0");
    EXPECT_EQ(ErrorOf([&] { axis.SetIncrement(NAN); }), "Axis increment must be >= 0");
    EXPECT_EQ(axis.Increment(), 0);
    // Equal ends are a range, not an error, from either side.
    EXPECT_EQ(ErrorOf([&] { axis.SetMinimum(100); }), "no error");
    EXPECT_EQ(axis.Minimum(), 100);
    axis.SetMinimum(10);
    EXPECT_EQ(ErrorOf([&] { axis.SetMaximum(10); }), "no error");
    EXPECT_EQ(axis.Maximum(), 10);
    axis.SetMaximum(100);

    // While loading, stored values apply in any order.
    chart.Loading = true;
    axis.SetMinimum(500);
    axis.SetMaximum(600);
    chart.Loading = false;
    EXPECT_EQ(axis.Minimum(), 500);
    EXPECT_EQ(axis.Maximum(), 600);

    // SetScaleRange swaps, switches automatic off and keeps the smallest range.
    axis.SetScaleRange(7, 3);
    EXPECT_EQ(axis.Minimum(), 3);
    EXPECT_EQ(axis.Maximum(), 7);
    EXPECT_FALSE(axis.Automatic() || axis.AutomaticMinimum() || axis.AutomaticMaximum());
    axis.SetScaleRange(5, 5);
    EXPECT_EQ(axis.Maximum(), 5 + AxisSmallestRange);

    // Automatic and its two partners.
    axis.SetAutomatic(true);
    EXPECT_TRUE(axis.AutomaticMinimum() && axis.AutomaticMaximum());
    axis.SetAutomaticMaximum(false);
    EXPECT_FALSE(axis.Automatic());
    axis.SetAutomaticMaximum(true);
    EXPECT_TRUE(axis.Automatic());

    // Every change asks for a repaint; an unchanged value does not.
    const int before = chart.Repaints;
    axis.SetTickLength(4);
    EXPECT_EQ(chart.Repaints, before);
    axis.SetTickLength(5);
    axis.Grid().SetColor(clRed);
    EXPECT_EQ(chart.Repaints, before + 2);
}

TEST(ChartAxisRange, AutomaticRangeFollowsTheSeriesOnTheAxisAndWidensOnlyAutomaticEnds)
{
    TTestChart chart(300, 200);
    TMarginSeries a;
    TMarginSeries b;
    TChartSeries inactive;
    TChartSeries onTop;
    for (TChartSeries* s :
         {static_cast<TChartSeries*>(&a), static_cast<TChartSeries*>(&b), &inactive, &onTop})
        chart.Add(*s);
    a.AppendPoint(10, 50);
    a.AppendPoint(20, 60);
    b.AppendPoint(15, 70);
    b.AppendPoint(30, 80);
    inactive.AppendPoint(-100, 1000);
    inactive.SetActive(false);
    onTop.SetHorizAxis(aTopAxis);
    onTop.SetVertAxis(aRightAxis);
    onTop.AppendPoint(500, 5);
    MakeFixedPercentAxis(chart.Left);

    chart.Layout({0, 0, 300, 200});
    EXPECT_EQ(chart.Bottom.ScaleMinimum(), 10);
    EXPECT_EQ(chart.Bottom.ScaleMaximum(), 30);
    EXPECT_EQ(chart.Top.ScaleMaximum(), 500);
    EXPECT_EQ(chart.Left.ScaleMinimum(), 45);

    // Pointers of half size 4: 5 pixels' worth at both automatic ends, none on the fixed axis.
    a.Margin = 5;
    chart.Layout({0, 0, 300, 200});
    const double unit = 20.0 / (chart.Bottom.AxisLength() - 10);
    EXPECT_NEAR(chart.Bottom.ScaleMinimum(), 10 - 5 * unit, 1e-12);
    EXPECT_NEAR(chart.Bottom.ScaleMaximum(), 30 + 5 * unit, 1e-12);
    EXPECT_EQ(chart.Bottom.ValueToPixel(10), chart.Bottom.StartPixel() + 5);
    EXPECT_EQ(chart.Bottom.ValueToPixel(30), chart.Bottom.EndPixel() - 5);
    EXPECT_EQ(chart.Left.ScaleMinimum(), 45);
    EXPECT_EQ(chart.Left.ScaleMaximum(), 115);

    // Only the automatic end widens; margins that leave no axis are ignored.
    chart.Bottom.SetAutomaticMinimum(false);
    chart.Bottom.SetMinimum(0);
    chart.Layout({0, 0, 300, 200});
    EXPECT_EQ(chart.Bottom.ScaleMinimum(), 0);
    EXPECT_GT(chart.Bottom.ScaleMaximum(), 30);
    a.Margin = 10000;
    chart.Layout({0, 0, 300, 200});
    EXPECT_EQ(chart.Bottom.ScaleMaximum(), 30);

    // Only inactive series on the axis: they count.
    a.SetActive(false);
    b.SetActive(false);
    chart.Left.SetAutomatic(true);
    chart.Layout({0, 0, 300, 200});
    EXPECT_EQ(chart.Left.ScaleMaximum(), 1000);
}

TEST(ChartAxisRange, MarginsAndOffsetsStayOnTheirSideOfTheAxisWhenInverted)
{
    // Margins are asked for by side (left, right, top, bottom); MinimumOffset belongs to the
    // left or bottom end and MaximumOffset to the right or top end. Inverting the scale moves
    // the values, not the room: the value shown at an end gets that end's room.
    struct TSidedSeries : TChartSeries
    {
        void HorizontalPointMargins(int32_t& left, int32_t& right) const override
        {
            left = std::max(left, 6);
            right = std::max(right, 2);
        }
        void VerticalPointMargins(int32_t& top, int32_t& bottom) const override
        {
            top = std::max(top, 3);
            bottom = std::max(bottom, 5);
        }
    };
    TTestChart chart(300, 200);
    TSidedSeries series;
    chart.Add(series);
    series.AppendPoint(10, 50);
    series.AppendPoint(30, 80);
    for (TChartAxis* axis : {&chart.Bottom, &chart.Left}) {
        axis->SetMinimumOffset(10);
        axis->SetMaximumOffset(4);
    }
    for (bool inverted : {false, true}) {
        for (TChartAxis* axis : {&chart.Bottom, &chart.Left}) {
            axis->SetInverted(inverted);
            axis->ComputeAutoRange();
            axis->PlaceOnRect({0, 0, 300, 200});
            axis->WidenForSeriesMargins();
        }
        const TChartAxis& b = chart.Bottom;
        const TChartAxis& l = chart.Left;
        // Bottom: 6 + 10 pixels at the left, 2 + 4 at the right.
        EXPECT_EQ(b.ValueToPixel(inverted ? 30 : 10), b.StartPixel() + 16) << inverted;
        EXPECT_EQ(b.ValueToPixel(inverted ? 10 : 30), b.EndPixel() - 6) << inverted;
        // Left: 3 + 4 pixels at the top, 5 + 10 at the bottom.
        EXPECT_EQ(l.ValueToPixel(inverted ? 50 : 80), l.StartPixel() + 7) << inverted;
        EXPECT_EQ(l.ValueToPixel(inverted ? 80 : 50), l.EndPixel() - 15) << inverted;
    }
}

// ---- Series on the axes ------------------------------------------------------------------------

TEST(ChartAxisSeries, VisibleIndicesByBinarySearchEqualThePlainScanOnRandomData)
{
    std::mt19937 random(11);
    TTestChart chart(300, 100);
    TChartSeries series;
    chart.Add(series);
    for (int round = 0; round < 300; ++round) {
        series.Clear();
        const int n = std::uniform_int_distribution<int>(0, 60)(random);
        std::vector<double> xs;
        for (int i = 0; i < n; ++i)
            xs.push_back(std::uniform_int_distribution<int>(0, 40)(random) * 0.5); // duplicates
        for (double x : xs)
            series.AppendPoint(x, 1);
        const double lo = std::uniform_real_distribution<double>(-5, 20)(random);
        const double hi = lo + std::uniform_real_distribution<double>(0, 20)(random);
        chart.Bottom.SetInverted(round % 3 == 0);
        chart.Bottom.SetScaleRange(lo, hi);
        chart.Plot = {std::uniform_int_distribution<int>(0, 50)(random), 0,
                      std::uniform_int_distribution<int>(60, 300)(random), 100};
        chart.Bottom.PlaceOnChart();
        series.CalcVisibleIndices();

        // The plain scan: first X at or right of the left edge; the first at or beyond the right
        // edge when the last X lies beyond it.
        int first = -1;
        int last = -1;
        if (n > 0) {
            const bool inv = chart.Bottom.Inverted();
            const double l = chart.Bottom.PixelToValue(inv ? chart.Plot.Right : chart.Plot.Left);
            const double r = chart.Bottom.PixelToValue(inv ? chart.Plot.Left : chart.Plot.Right);
            for (int i = 0; i < n && first < 0; ++i)
                if (series.XValue(i) >= l)
                    first = i;
            if (first >= 0) {
                last = n - 1;
                if (series.XValues().LastValue() > r)
                    for (int i = first; i < n; ++i)
                        if (series.XValue(i) >= r) {
                            last = i;
                            break;
                        }
            }
        }
        ASSERT_EQ(series.FirstVisibleIndex(), first) << round;
        ASSERT_EQ(series.LastVisibleIndex(), last) << round;
    }
    // Unordered X: all points.
    series.Clear();
    series.XValues().SetOrder(loNone);
    series.AppendPoint(50, 1);
    series.AppendPoint(-50, 1);
    series.CalcVisibleIndices();
    EXPECT_EQ(series.FirstVisibleIndex(), 0);
    EXPECT_EQ(series.LastVisibleIndex(), 1);
}

TEST(ChartAxisSeries, PointPixelsAndXTextsComeFromTheSeriesAxes)
{
    TTestChart chart(200, 100);
    TChartSeries series;
    series.AppendPoint(1.5, 25);
    // Without a chart: no pixels, X written with the value format.
    EXPECT_EQ(series.PointPixelX(0), 0);
    series.Marks().SetStyle(smsXValue);
    EXPECT_EQ(series.PointText(0), "1.5");

    chart.Add(series);
    chart.Bottom.SetScaleRange(0, 2);
    chart.Bottom.SetAxisValuesFormat("0.00 s");
    chart.Left.SetScaleRange(0, 100);
    chart.Bottom.PlaceOnRect({0, 0, 200, 100});
    chart.Left.PlaceOnRect({0, 0, 200, 100});
    EXPECT_EQ(series.PointPixelX(0), 150);
    EXPECT_EQ(series.PointPixelY(0), 75);
    EXPECT_EQ(series.PointText(0), "1.50 s");
    series.Marks().SetStyle(smsXY);
    EXPECT_EQ(series.PointText(0), "1.50 s 25");

    // The other axes.
    series.SetHorizAxis(aTopAxis);
    series.SetVertAxis(aRightAxis);
    EXPECT_EQ(series.GetHorizAxis(), &chart.Top);
    EXPECT_EQ(series.GetVertAxis(), &chart.Right);
    // The text cache follows a format change.
    series.SetHorizAxis(aBottomAxis);
    chart.Bottom.SetAxisValuesFormat("0.0");
    EXPECT_EQ(series.PointText(0), "1.5 25");
}

// ---- Room and drawing --------------------------------------------------------------------------

TEST(ChartAxisDrawing, RoomOfTheLeftAndBottomAxesAndTheStripSize)
{
    TTestChart chart(400, 300);
    TChartSeries series;
    chart.Add(series);
    series.AppendPoint(0, 50);
    series.AppendPoint(100, 60);
    MakeFixedPercentAxis(chart.Left);
    chart.Layout({20, 10, 380, 290});

    EXPECT_EQ(chart.Left.StripSize(), 7);
    TChartCanvas& c = chart.Canvas;
    c.SelectFont(chart.Left.LabelsFont());
    const double step = chart.Left.LastIncrement();
    ASSERT_GT(step, 0);
    const int band =
        std::max(c.MeasureTextWidth(chart.Left.LabelText(std::trunc(45 / step) * step)),
                 c.MeasureTextWidth(chart.Left.LabelText(std::trunc(115 / step) * step))) +
        c.MeasureTextWidth(" ");
    EXPECT_EQ(chart.Left.LabelsPos(), 20 + band);
    EXPECT_EQ(chart.Plot.Left, 20 + band + 7);
    EXPECT_EQ(chart.Bottom.LabelsPos(), 290 - c.FontHeight());
    EXPECT_EQ(chart.Plot.Bottom, 290 - c.FontHeight() - 7);

    // With line, ticks and minor ticks hidden the strip is empty: labels touch the plot.
    chart.Left.Axis().SetVisible(false);
    chart.Left.Ticks().SetVisible(false);
    chart.Left.MinorTicks().SetVisible(false);
    EXPECT_EQ(chart.Left.StripSize(), 0);
    chart.Layout({20, 10, 380, 290});
    EXPECT_EQ(chart.Plot.Left, chart.Left.LabelsPos());
}

TEST(ChartAxisDrawing, LabelAndTitleAnglesSetTheRoomAcrossAndAlongTheAxis)
{
    // One line height across a horizontal axis for upright labels and across a vertical axis
    // for quarter-turned ones; every other angle takes the widest label and a blank. Along the
    // axis (the step) it is the other way round, and any other angle again takes the width.
    TTestChart chart(400, 300);
    TChartSeries series;
    chart.Add(series);
    chart.Bottom.SetScaleRange(0, 1000);
    chart.Left.SetScaleRange(0, 1000);
    TChartCanvas& c = chart.Canvas;
    c.SelectFont(chart.Left.LabelsFont());
    const int h = c.FontHeight();
    const int text = c.MeasureTextWidth("1,000");
    const std::string caption = "Lamp power in percent";

    // Label size across the axis, as ReserveRoom takes it (the band between rect and labels).
    auto across = [&](TChartAxis& axis, int angle) {
        axis.SetLabelsAngle(angle);
        chart.Plot = {20, 10, 380, 290};
        axis.PlaceOnChart();
        TRect room = chart.Plot;
        axis.ReserveRoom(room);
        const int widest =
            std::max(c.MeasureTextWidth(axis.LabelText(0)),
                     c.MeasureTextWidth(axis.LabelText(std::trunc(1000 / axis.LastIncrement()) *
                                                       axis.LastIncrement())));
        const int size = axis.Horizontal() ? 290 - axis.LabelsPos() : axis.LabelsPos() - 20;
        return size == h                                  ? std::string("height")
               : size == widest + c.MeasureTextWidth(" ") ? std::string("widest")
                                                          : std::to_string(size);
    };
    auto along = [&](TChartAxis& axis, int angle) {
        axis.SetLabelsAngle(angle);
        const int size = axis.LabelSizeAlongAxis("1,000");
        return size == h ? std::string("height") : size == text ? "width" : std::to_string(size);
    };
    std::vector<std::string> got;
    for (int angle : {0, 45, 90, 180, 270, -90, 405}) {
        got.push_back(across(chart.Bottom, angle) + "/" + along(chart.Bottom, angle) + " " +
                      across(chart.Left, angle) + "/" + along(chart.Left, angle));
    }
    EXPECT_EQ(got, (std::vector<std::string>{"height/width widest/height",   // 0
                                             "widest/width widest/width",    // 45
                                             "widest/height height/width",   // 90
                                             "height/width widest/height",   // 180
                                             "widest/height height/width",   // 270
                                             "widest/height height/width",   // -90 is 270
                                             "widest/width widest/width"})); // 405 is 45
    EXPECT_EQ(chart.Left.LabelsAngle(), 45);

    // A title: a line height when it reads along the axis, its width otherwise.
    chart.Left.SetLabels(false);
    chart.Left.Title().SetCaption(caption);
    auto titleRoom = [&](int angle) {
        chart.Left.Title().SetAngle(angle);
        TRect room = {20, 10, 380, 290};
        chart.Left.ReserveRoom(room);
        return chart.Left.TitlePos() - 20;
    };
    c.SelectFont(chart.Left.Title().Font());
    const int captionWidth = c.MeasureTextWidth(caption);
    EXPECT_EQ(titleRoom(90), c.FontHeight());
    EXPECT_EQ(titleRoom(270), c.FontHeight());
    EXPECT_EQ(titleRoom(45), captionWidth);
    EXPECT_EQ(titleRoom(0), captionWidth);
}

// A title is drawn at its angle, centred on the axis, and every pixel of it lies in the band
// that ReserveRoom kept for it, also a quarter-turned caption many line heights long.
TEST(ChartAxisDrawing, TitlesAreDrawnAtTheirAngleCentredInTheirBand)
{
    const std::string caption = "Lamp power in percent";
    const TRect plot = {20, 10, 380, 290};
    for (int side = 0; side < 4; ++side) {
        for (int angle : {0, 90, 270}) {
            TTestChart chart(400, 300);
            TChartSeries series;
            chart.Add(series);
            TChartAxis& axis = *chart.Axes()[static_cast<size_t>(side)];
            // Nothing but the title is drawn: every pixel off the background is the title's.
            axis.SetScaleRange(0, 100);
            axis.SetLabels(false);
            axis.Axis().SetVisible(false);
            axis.Ticks().SetVisible(false);
            axis.MinorTicks().SetVisible(false);
            axis.Grid().SetVisible(false);
            axis.Title().SetCaption(caption);
            axis.Title().SetAngle(angle);
            chart.Plot = plot;
            axis.PlaceOnChart();
            TRect room = plot;
            axis.ReserveRoom(room);
            chart.Plot = room;
            axis.PlaceOnChart();
            chart.Fill();
            axis.DrawAxis();

            const int pos = axis.TitlePos();
            TRect band = {0, 0, 400, 300};
            switch (side) {
            case 0:
                band.Top = pos, band.Bottom = plot.Bottom;
                break;
            case 1:
                band.Top = plot.Top, band.Bottom = pos;
                break;
            case 2:
                band.Left = plot.Left, band.Right = pos;
                break;
            default:
                band.Left = pos, band.Right = plot.Right;
                break;
            }
            const std::string what = std::to_string(side) + " at " + std::to_string(angle);
            // The band is the text's measured room (its advances and line height); the ink, every
            // pixel at least half covered, stays inside it. A glyph's outline may reach a little
            // past its advance (the crossbar of the last "t"), a faint edge pixel at most.
            const TRect box = chart.InkBox({0, 0, 400, 300});
            ASSERT_NE(box, TRect{}) << what;
            for (int y = 0; y < 300; ++y)
                for (int x = 0; x < 400; ++x)
                    if (x < band.Left || x >= band.Right || y < band.Top || y >= band.Bottom) {
                        ASSERT_GE(GetGValue(chart.At(x, y)), GetGValue(clSilver) * 3 / 4)
                            << what << " " << x << "," << y;
                    }
            EXPECT_GE(box.Left, band.Left) << what;
            EXPECT_GE(box.Top, band.Top) << what;
            EXPECT_LE(box.Right, band.Right) << what;
            EXPECT_LE(box.Bottom, band.Bottom) << what;

            // Centred on the axis, and reading along it unless upright on a vertical axis.
            chart.Canvas.SelectFont(axis.Title().Font());
            const int width = chart.Canvas.MeasureTextWidth(caption);
            const bool vertical = !axis.Horizontal();
            const int along = vertical ? box.Height() : box.Width();
            const int middle = vertical ? (box.Top + box.Bottom) / 2 : (box.Left + box.Right) / 2;
            EXPECT_LE(std::abs(middle - axis.CenterPixel()), 2) << what;
            if (vertical == (angle != 0)) {
                EXPECT_GE(along, width - 6) << what;
                EXPECT_LE(along, width + 2) << what;
            } else {
                EXPECT_LT(along, chart.Canvas.FontHeight()) << what;
            }
            if (side == 2 && angle == 90)
                SaveIfAsked(chart.Bitmap.Image(), "axis-left-title.png");
        }
    }
}

TEST(ChartAxisDrawing, EmptyChartDrawsOneLabelZeroAtTheCentreOfTheBottomAxis)
{
    TTestChart chart(300, 200);
    TChartSeries series; // attached, without points
    chart.Add(series);
    chart.Layout({10, 10, 290, 190});
    chart.Fill();
    chart.Bottom.DrawAxis();
    SaveIfAsked(chart.Bitmap.Image(), "axis-empty.png");

    ASSERT_EQ(chart.Bottom.TickPositions(), (std::vector<int32_t>{chart.Bottom.CenterPixel()}));
    // The label's black pixels: centred on the centre pixel, top at the labels position.
    chart.Canvas.SelectFont(chart.Bottom.LabelsFont());
    const int w = chart.Canvas.MeasureTextWidth("0");
    const int h = chart.Canvas.FontHeight();
    const int lp = chart.Bottom.LabelsPos();
    const TRect box = chart.InkBox({0, lp, 300, lp + h});
    ASSERT_NE(box, TRect{});
    const int centre = chart.Bottom.CenterPixel();
    EXPECT_GE(box.Left, centre - w / 2 - 1);
    EXPECT_LE(box.Right, centre + (w + 1) / 2 + 1);
    EXPECT_LE(std::abs((box.Left + box.Right) / 2 - centre), 1);
    // One tick below the axis line, at the centre, 4 pixels long from one pixel under the line.
    const int line = chart.Bottom.AxisLinePos();
    for (int y = line + 1; y < line + 5; ++y)
        EXPECT_EQ(chart.At(centre, y), Grey) << y;
    EXPECT_NE(chart.At(centre, line + 5), Grey);
}

TEST(ChartAxisDrawing, LabelsTicksGridAndMinorTicksOfAVerticalAxis)
{
    // Left axis 0..80 over the rows 0..80: labels every 20 at rows 80, 60, ..., 0 (values
    // 0, 20, ..., 80). With LabelsOnAxis off the end labels drop out: labels at 20, 40, 60.
    TTestChart chart(200, 100);
    TChartSeries series;
    chart.Add(series);
    TChartAxis& axis = chart.Left;
    axis.SetScaleRange(0, 80);
    axis.SetIncrement(20);
    axis.SetLabelsOnAxis(false);
    chart.Plot = {100, 0, 190, 80};
    axis.PlaceOnChart();
    TRect room = {0, 0, 190, 80};
    axis.ReserveRoom(room);
    chart.Fill();
    axis.DrawAxis();
    SaveIfAsked(chart.Bitmap.Image(), "axis-left.png");

    ASSERT_EQ(axis.TickPositions(), (std::vector<int32_t>{20, 40, 60}));
    const int x = axis.AxisLinePos();
    EXPECT_EQ(x, 100);
    std::set<int> major;
    std::set<int> any;
    for (int y = 0; y < 100; ++y) {
        if (chart.At(x - 4, y) == Grey)
            major.insert(y);
        if (chart.At(x - 2, y) == Grey)
            any.insert(y);
    }
    EXPECT_EQ(major, (std::set<int>{20, 40, 60}));
    EXPECT_EQ(any, (std::set<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75}));
    // Grid lines across the plot at the label rows only, dotted grey.
    for (int y = 0; y < 100; ++y)
        EXPECT_EQ(chart.Any(Grey, {102, y, 190, y + 1}), y == 20 || y == 40 || y == 60) << y;
    // The labels: right-aligned on the labels position, one-line labels centred on their row
    // (top at row - h / 2): exactly the picture of their texts written there.
    {
        TTestChart expected(200, 100);
        expected.Fill();
        expected.Canvas.SelectFont(axis.LabelsFont());
        const int h = expected.Canvas.FontHeight();
        expected.Canvas.SetTextAlign(TA_RIGHT | TA_TOP);
        expected.Canvas.SetBackgroundMode(TRANSPARENT);
        for (const int value : {20, 40, 60})
            expected.Canvas.TextOut(axis.LabelsPos(), (80 - value) - h / 2, axis.LabelText(value));
        const TRect band{0, 0, axis.LabelsPos() + 1, 100};
        ASSERT_NE(expected.InkBox(band), TRect{});
        for (int y = band.Top; y < band.Bottom; ++y)
            for (int x = band.Left; x < band.Right; ++x)
                ASSERT_EQ(chart.At(x, y), expected.At(x, y)) << x << "," << y;
    }

    // Labels at the axis ends: their grid lines are not drawn on the end pixels.
    axis.SetLabelsOnAxis(true);
    chart.Fill();
    axis.DrawAxis();
    ASSERT_EQ(axis.TickPositions(), (std::vector<int32_t>{0, 20, 40, 60, 80}));
    EXPECT_FALSE(chart.Any(Grey, {102, 0, 190, 1}));
    EXPECT_FALSE(chart.Any(Grey, {102, 80, 190, 81}));
    EXPECT_TRUE(chart.Any(Grey, {102, 20, 190, 21}));

    // A grid pen of colour clDefault draws grey.
    axis.Grid().SetColor(clDefault);
    axis.Ticks().SetVisible(false);
    axis.MinorTicks().SetVisible(false);
    chart.Fill();
    axis.DrawAxis();
    EXPECT_TRUE(chart.Any(Grey, {102, 40, 190, 41}));

    // No labels: no tick positions, so no ticks, no grid and no minor ticks; only the line.
    axis.Ticks().SetVisible(true);
    axis.MinorTicks().SetVisible(true);
    axis.SetLabels(false);
    chart.Fill();
    axis.DrawAxis();
    EXPECT_TRUE(axis.TickPositions().empty());
    EXPECT_FALSE(chart.Any(Grey, {0, 0, 200, 100}));
    EXPECT_EQ(chart.InkBox({0, 0, x - 2, 100}), TRect{});    // no label text
    EXPECT_TRUE(chart.Any(clBlack, {x - 1, 0, x + 2, 100})); // the axis line
}

TEST(ChartAxisDrawing, LabelCachesFollowFontAndFormatChanges)
{
    TTestChart chart(200, 100);
    TChartAxis& axis = chart.Bottom;
    axis.SetScaleRange(0, 100);
    axis.PlaceOnRect({0, 0, 200, 100});
    axis.ComputeIncrement();
    const int small = axis.LabelWidth("1,000");
    axis.LabelsFont().SetSize(20);
    axis.ComputeIncrement(); // selects the new font
    EXPECT_GT(axis.LabelWidth("1,000"), small);
    EXPECT_EQ(axis.LabelText(1000), "1,000");
    axis.SetAxisValuesFormat("0");
    EXPECT_EQ(axis.LabelText(1000), "1000");
    axis.SetLabelsMultiLine(true);
    axis.SetAxisValuesFormat("0 s");
    EXPECT_EQ(axis.LabelText(5), "5\rs");
    EXPECT_THROW(axis.SetAxisValuesFormat(std::string(300, '0')), EConvertError);
    EXPECT_EQ(axis.AxisValuesFormat(), "0 s");
}

TEST(ChartAxisDrawing, LabelEventChangesTheDrawnTextsButNotTheRoomTheyGet)
{
    TTestChart chart(400, 120);
    TChartSeries series;
    chart.Add(series);
    TChartAxis& axis = chart.Left;
    axis.SetScaleRange(0, 80);
    axis.SetIncrement(20);
    std::vector<double> asked;
    chart.LabelEvent = [&](const TChartAxis& sender, double value, std::string& text) {
        EXPECT_EQ(&sender, &axis);
        asked.push_back(value);
        text = "at " + text + " units";
    };
    // The event runs before blanks become line breaks, on cached texts too.
    EXPECT_EQ(axis.LabelText(40), "at 40 units");
    axis.SetLabelsMultiLine(true);
    EXPECT_EQ(axis.LabelText(40), "at\r40\runits");
    EXPECT_EQ(axis.LabelText(40), "at\r40\runits");
    axis.SetLabelsMultiLine(false);

    // The room is measured on the plain texts: the same band as without the event.
    chart.Plot = {200, 10, 390, 110};
    axis.PlaceOnChart();
    TRect room = {100, 10, 390, 110};
    asked.clear();
    axis.ReserveRoom(room);
    EXPECT_TRUE(asked.empty());
    const int band = axis.LabelsPos() - 100;
    chart.LabelEvent = nullptr;
    TRect plainRoom = {100, 10, 390, 110};
    axis.ReserveRoom(plainRoom);
    EXPECT_EQ(axis.LabelsPos() - 100, band);
    EXPECT_EQ(room, plainRoom);

    // The drawn labels are the event's texts: they reach further left than the plain ones.
    chart.Canvas.SelectFont(axis.LabelsFont());
    const int h = chart.Canvas.FontHeight();
    const int row = axis.ValueToPixel(40);
    auto leftmostInk = [&] {
        chart.Fill();
        axis.DrawAxis();
        return chart.InkBox({0, row - h / 2, axis.LabelsPos() + 1, row - h / 2 + h}).Left;
    };
    const int plainLeft = leftmostInk();
    chart.LabelEvent = [](const TChartAxis&, double, std::string& text) { text += " units"; };
    const int eventLeft = leftmostInk();
    SaveIfAsked(chart.Bitmap.Image(), "axis-label-event.png");
    EXPECT_LT(eventLeft, plainLeft - chart.Canvas.MeasureTextWidth(" unit"));
}

TEST(ChartAxisDrawing, DateTimeAxisLabelsWholeDays)
{
    TTestChart chart(400, 100);
    TChartSeries series;
    series.XValues().SetDateTime(true);
    chart.Add(series);
    // 1 January 2024 is day 45292; three days and a half.
    series.AppendPoint(45292.25, 1);
    series.AppendPoint(45295.75, 2);
    chart.Layout({0, 0, 400, 100});
    EXPECT_TRUE(chart.Bottom.IsDateTimeAxis());
    const double step = chart.Bottom.IncrementForLabelCount(4);
    EXPECT_EQ(step, 1);
    chart.Bottom.ComputeIncrement();
    std::vector<std::string> texts;
    chart.Bottom.ProduceLabelValues(1, [&](double v) {
        texts.push_back(FormatNumber("0", v) + " " + chart.Bottom.LabelText(v));
    });
    chart.Bottom.SetDateTimeFormat("yyyy-mm-dd");
    EXPECT_EQ(chart.Bottom.LabelText(45293), "2024-01-02");
    chart.Bottom.SetDateTimeFormat("hh:nn");
    EXPECT_EQ(chart.Bottom.LabelText(45293.75), "18:00");
    EXPECT_EQ(chart.Bottom.LabelText(-1), "");
    EXPECT_EQ(texts.size(), 3u); // 4, 3 and 2 January

    // Steps of two months fall on the first day of every other month.
    series.AppendPoint(45657, 3); // 31 December 2024
    chart.Layout({0, 0, 400, 100});
    chart.Bottom.SetDateTimeFormat("yyyy-mm-dd");
    std::vector<std::string> months;
    chart.Bottom.ProduceLabelValues(61,
                                    [&](double v) { months.push_back(chart.Bottom.LabelText(v)); });
    EXPECT_EQ(months, (std::vector<std::string>{"2024-11-01", "2024-09-01", "2024-07-01",
                                                "2024-05-01", "2024-03-01"}));
}

TEST(ChartAxisDrawing, ProgramLikeChartShowsPercentAndSecondLabelsUnderTheirTicks)
{
    // The program's layout: fixed percent axis on the left, elapsed seconds at the bottom.
    TTestChart chart(548, 184);
    TChartSeries series;
    chart.Add(series);
    for (int i = 1; i <= 30; ++i)
        series.AppendPoint(i / 5.0, 50 + i);
    MakeFixedPercentAxis(chart.Left);
    chart.Layout({16, 7, 532, 177});
    chart.Fill();
    chart.Left.DrawAxis();
    chart.Bottom.DrawAxis();
    SaveIfAsked(chart.Bitmap.Image().scaled(548 * 2, 184 * 2), "axes-program.png");

    // Every bottom label is centred under its tick, with its top on the labels position.
    chart.Canvas.SelectFont(chart.Bottom.LabelsFont());
    const int h = chart.Canvas.FontHeight();
    const int lp = chart.Bottom.LabelsPos();
    const std::vector<int32_t>& ticks = chart.Bottom.TickPositions();
    ASSERT_GE(ticks.size(), 3u);
    for (size_t i = 0; i < ticks.size(); ++i) {
        const int q = ticks[i];
        const TRect box = chart.InkBox({q - 12, lp, q + 13, lp + h});
        ASSERT_NE(box, TRect{}) << q;
        EXPECT_LE(std::abs((box.Left + box.Right) / 2 - q), 2) << q;
        EXPECT_GE(box.Top, lp);
    }
    // Left labels written with the percent pattern, from the top label down, 7 pixels' strip
    // between their band and the plot.
    EXPECT_EQ(chart.Left.LabelsPos() + 7, chart.Plot.Left);
    const double step = chart.Left.LastIncrement();
    std::vector<std::string> texts;
    chart.Left.ProduceLabelValues(step,
                                  [&](double v) { texts.push_back(chart.Left.LabelText(v)); });
    // About 160 pixels of axis for 70 percent: ten labels or so fit, 70 / 11 grows to 10.
    EXPECT_EQ(step, 10);
    EXPECT_EQ(texts, (std::vector<std::string>{"110.0%", "100.0%", "90.0%", "80.0%", "70.0%",
                                               "60.0%", "50.0%"}));
    EXPECT_EQ(chart.Left.TickPositions().size(), texts.size());
}

TEST(ChartAxisSeries, ValuesOutOfOrderFallBackToThePlainScan)
{
    TTestChart chart(200, 100);
    TChartSeries series;
    chart.Add(series);
    chart.Bottom.SetScaleRange(0, 10);
    chart.Plot = {0, 0, 200, 100};
    chart.Bottom.PlaceOnChart();
    // A value that is not a number breaks the order: later values append after it whatever
    // they are, so a binary search would miss the 5 behind it.
    for (double x : {-20.0, -10.0, static_cast<double>(NAN), -30.0, 5.0, 6.0})
        series.AppendPoint(x, 1);
    EXPECT_FALSE(series.XValues().InOrder());
    series.CalcVisibleIndices();
    EXPECT_EQ(series.FirstVisibleIndex(), 4);
    EXPECT_EQ(series.LastVisibleIndex(), 5);
    // Clear starts a new ordered list; switching the order on checks the values.
    series.Clear();
    EXPECT_TRUE(series.XValues().InOrder());
    series.XValues().SetOrder(loNone);
    series.AppendPoint(3, 1);
    series.AppendPoint(1, 1);
    series.XValues().SetOrder(loAscending);
    EXPECT_FALSE(series.XValues().InOrder());
    series.XValues().SetOrder(loDescending);
    EXPECT_TRUE(series.XValues().InOrder());
}
