#include "chart/ChartEngine.h"
#include "chart/NumberFormat.h"
#include "tests/support/HeapInUse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// Counts what a series asks of its chart.
class TCountingChart : public TChartHost
{
public:
    void Invalidate() override { ++Repaints; }
    bool IsDestroying() const override { return Destroying; }
    void SeriesColorChanged(TChartSeries&) override { ++ColorChanges; }
    void SeriesActiveChanged(TChartSeries&) override { ++ActiveChanges; }

    int Repaints = 0;
    int ColorChanges = 0;
    int ActiveChanges = 0;
    bool Destroying = false;
};

std::vector<double> ListValues(const TChartValueList& list)
{
    std::vector<double> values;
    for (int32_t i = 0; i < list.Count(); ++i) {
        values.push_back(list.Values(i));
    }
    return values;
}

std::string DeleteError(TChartSeries& series, int32_t start, int32_t count)
{
    try {
        if (count == 1) {
            series.Delete(start);
        } else {
            series.Delete(start, count);
        }
    } catch (const EChartException& e) {
        return e.what();
    }
    return "no error";
}

class SeriesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetNumberSeparators('.', ',');
        Series.SetParentChart(&Chart);
        Series.SetSeriesColor(clRed);
        Chart = TCountingChart();
    }
    void TearDown() override { SetNumberSeparators('.', ','); }

    TCountingChart Chart;
    TChartSeries Series;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Value lists

TEST(ChartValueListTest, EmptyListHasZeroStatistics)
{
    TChartValueList list(nullptr, "Y");
    EXPECT_EQ(list.LowValue(), 0);
    EXPECT_EQ(list.HighValue(), 0);
    EXPECT_EQ(list.Sum(), 0);
    EXPECT_EQ(list.AbsSum(), 0);
    EXPECT_EQ(list.Spread(), 0);
}

TEST(ChartValueListTest, OrderedInsertPlacesEqualValuesAfterTheirEquals)
{
    TChartValueList ascending(nullptr, "X");
    ascending.SetOrder(loAscending);
    std::vector<int32_t> indices;
    for (double v : {5.0, 3.0, 5.0, 4.0}) {
        indices.push_back(ascending.InsertOrdered(v));
    }
    EXPECT_EQ(indices, (std::vector<int32_t>{0, 0, 2, 1}));
    EXPECT_EQ(ListValues(ascending), (std::vector<double>{3, 4, 5, 5}));

    TChartValueList descending(nullptr, "X");
    descending.SetOrder(loDescending);
    indices.clear();
    for (double v : {1.0, 3.0, 2.0, 3.0}) {
        indices.push_back(descending.InsertOrdered(v));
    }
    EXPECT_EQ(indices, (std::vector<int32_t>{0, 0, 1, 1}));
    EXPECT_EQ(ListValues(descending), (std::vector<double>{3, 3, 2, 1}));

    TChartValueList unordered(nullptr, "Y");
    indices.clear();
    for (double v : {5.0, 3.0, 9.0}) {
        indices.push_back(unordered.InsertOrdered(v));
    }
    EXPECT_EQ(indices, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(ListValues(unordered), (std::vector<double>{5, 3, 9}));
}

TEST(ChartValueListTest, CapacityGrowsInStepsAndClearReleasesIt)
{
    TChartValueList list(nullptr, "Y");
    EXPECT_EQ(list.Capacity(), 0);
    for (int i = 0; i < 1000; ++i) {
        list.InsertOrdered(i);
    }
    EXPECT_EQ(list.Capacity(), 1000);
    list.InsertOrdered(1000);
    EXPECT_EQ(list.Capacity(), 2000);
    EXPECT_EQ(list.Count(), 1001);
    EXPECT_EQ(list.LastValue(), 1000);
    list.Delete(0, 1001);
    EXPECT_EQ(list.Capacity(), 2000); // deleting keeps the storage
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Count(), 0);

    // The storage the heap really holds: a long list takes its 8 bytes a value, and Clear gives
    // them back (a list that is filled and cleared again and again must not keep its peak).
    const int64_t before = HeapInUse();
    for (int i = 0; i < 200000; ++i) {
        list.InsertOrdered(i);
    }
    EXPECT_GE(HeapInUse() - before, 200000 * 8);
    list.Clear();
    EXPECT_LT(HeapInUse() - before, 64 * 1024);
}

TEST(ChartValueListTest, StatisticsFollowEveryChange)
{
    TChartValueList list(nullptr, "Y");
    for (double v : {3.0, -2.0, 5.0, 1.0}) {
        list.InsertOrdered(v);
    }
    EXPECT_EQ(list.LowValue(), -2);
    EXPECT_EQ(list.HighValue(), 5);
    EXPECT_EQ(list.Sum(), 7);
    EXPECT_EQ(list.AbsSum(), 11);
    EXPECT_EQ(list.Spread(), 7);

    list.InsertAt(0, 10);
    EXPECT_EQ(list.FirstValue(), 10);
    EXPECT_EQ(list.HighValue(), 10);
    EXPECT_EQ(list.Sum(), 17);

    list.Delete(0); // 10
    list.Delete(1); // -2
    EXPECT_EQ(ListValues(list), (std::vector<double>{3, 5, 1}));
    EXPECT_EQ(list.LowValue(), 1);
    EXPECT_EQ(list.AbsSum(), 9);

    list.Clear();
    EXPECT_EQ(list.HighValue(), 0);
    EXPECT_EQ(list.Sum(), 0);
}

// Statistics kept up to date point by point while a run appends must be bit for bit those of a
// full scan, whatever the values (not-a-number and infinities included) and however reads and
// edits interleave.
TEST(ChartValueListTest, StatisticsExtendedByAppendsEqualAFullScan)
{
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> value(-1e6, 1e6);
    const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), 0.0, -0.0};
    auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (TChartListOrder order : {loNone, loAscending}) {
        TChartValueList list(nullptr, "X");
        list.SetOrder(order);
        double x = 0;
        for (int step = 0; step < 4000; ++step) {
            const int action = static_cast<int>(random() % 100);
            if (action < 2) {
                list.InsertOrdered(specials[random() % 5]);
            } else if (action < 4 && list.Count() > 0) {
                list.Delete(static_cast<int32_t>(random() % static_cast<unsigned>(list.Count())));
            } else if (action < 5) {
                list.InsertOrdered(value(random)); // lands inside an ordered list
            } else {
                x += std::fabs(value(random)) * 1e-3;
                list.InsertOrdered(order == loNone ? value(random) : x);
            }
            if (random() % 3 == 0) {
                TChartValueList scanned(nullptr, "copy");
                for (double v : ListValues(list)) {
                    scanned.InsertAt(scanned.Count(), v);
                }
                ASSERT_TRUE(same(list.LowValue(), scanned.LowValue())) << step;
                ASSERT_TRUE(same(list.HighValue(), scanned.HighValue())) << step;
                ASSERT_TRUE(same(list.Sum(), scanned.Sum())) << step;
                ASSERT_TRUE(same(list.AbsSum(), scanned.AbsSum())) << step;
            }
        }
    }
}

TEST(ChartValueListTest, OutOfRangeEditsRaiseAndChangeNothing)
{
    TChartValueList list(nullptr, "Y");
    list.InsertOrdered(1);
    list.InsertOrdered(2);
    EXPECT_THROW(list.InsertAt(3, 9), EChartException);
    EXPECT_THROW(list.InsertAt(-1, 9), EChartException);
    EXPECT_THROW(list.Delete(2), EChartException);
    EXPECT_THROW(list.Delete(1, 2), EChartException);
    EXPECT_THROW(list.Delete(0, -1), EChartException);
    EXPECT_EQ(ListValues(list), (std::vector<double>{1, 2}));
}

// ---------------------------------------------------------------------------------------------
// Series data

TEST_F(SeriesTest, AppendInsertsInXOrderWithTheSameIndexInEveryList)
{
    const std::vector<double> xs = {5, 3, 5, 4};
    std::vector<int32_t> indices;
    for (size_t i = 0; i < xs.size(); ++i) {
        indices.push_back(Series.AppendPoint(xs[i], static_cast<double>(i + 1)));
    }
    EXPECT_EQ(indices, (std::vector<int32_t>{0, 0, 2, 1}));
    EXPECT_EQ(ListValues(Series.XValues()), (std::vector<double>{3, 4, 5, 5}));
    // The second 5 (Y = 3) comes after the first (Y = 1).
    EXPECT_EQ(ListValues(Series.YValues()), (std::vector<double>{2, 4, 1, 3}));
    EXPECT_EQ(Series.Count(), 4);
    EXPECT_EQ(Series.LowestX(), 3);
    EXPECT_EQ(Series.HighestY(), 4);

    // Add takes the point count (4) as X, which lands after the existing 4.
    EXPECT_EQ(Series.Add(7), 2);
    EXPECT_EQ(Series.XValue(2), 4);
    EXPECT_EQ(Series.YValue(2), 7);
}

TEST_F(SeriesTest, ColourListAppearsWithTheFirstExplicitColour)
{
    Series.AppendPoint(0, 1);
    Series.AppendPoint(1, 2);
    Series.AppendPoint(2, 3);
    EXPECT_FALSE(Series.ColorList().has_value());
    EXPECT_TRUE(Series.LabelsList().empty());
    EXPECT_EQ(Series.PointColor(1), clRed);

    Series.AppendPoint(1.5, 4, "", clBlue);
    ASSERT_TRUE(Series.ColorList().has_value());
    EXPECT_EQ(*Series.ColorList(), (std::vector<TColor>{clDefault, clDefault, clBlue, clDefault}));
    EXPECT_EQ(Series.PointColor(2), clBlue);
    EXPECT_EQ(Series.PointColor(3), clRed);

    Series.SetColorEachPoint(true);
    EXPECT_EQ(Series.PointColor(0), ChartPaletteColor(0));
    EXPECT_EQ(Series.PointColor(3), ChartPaletteColor(3));
    EXPECT_EQ(Series.PointColor(2), clBlue);

    Series.Delete(0, Series.Count());
    EXPECT_FALSE(Series.ColorList().has_value());
}

TEST_F(SeriesTest, LabelsListIsSparse)
{
    Series.AppendPoint(0, 1);
    Series.AppendPoint(1, 2);
    EXPECT_TRUE(Series.LabelsList().empty());
    Series.AppendPoint(2, 3, "c");
    EXPECT_EQ(Series.LabelsList(), (std::vector<std::string>{"", "", "c"}));
    Series.AppendPoint(3, 4);
    Series.AppendPoint(-1, 5, "a");
    EXPECT_EQ(Series.LabelsList(), (std::vector<std::string>{"a", "", "", "c", ""}));
    EXPECT_EQ(Series.Labels(3), "c");

    Series.Delete(0);
    EXPECT_EQ(Series.Labels(2), "c");
    EXPECT_EQ(Series.YValue(2), 3);
}

TEST_F(SeriesTest, EventsCanRefuseAndFollowPoints)
{
    std::vector<int32_t> added;
    double stagedX = 0;
    Series.OnBeforeAdd = [&](TChartSeries& sender) {
        stagedX = sender.XValues().PendingValue();
        return sender.YValues().PendingValue() >= 0;
    };
    Series.OnAfterAdd = [&](TChartSeries&, int32_t index) { added.push_back(index); };

    EXPECT_EQ(Series.AppendPoint(2, 1), 0);
    EXPECT_EQ(Series.AppendPoint(1, -1), -1);
    EXPECT_EQ(stagedX, 1);
    EXPECT_EQ(Series.Count(), 1);
    EXPECT_EQ(Series.AppendPoint(1, 5), 0);
    EXPECT_EQ(added, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(Chart.Repaints, 2); // the refused point asked for none

    // The point gets the Y passed in, not a staged value the event changed.
    Series.OnBeforeAdd = [](TChartSeries& sender) {
        sender.YValues().SetPendingValue(99);
        return true;
    };
    EXPECT_EQ(Series.AppendPoint(3, 4), 2);
    EXPECT_EQ(Series.YValue(2), 4);

    int cleared = 0;
    Series.OnClearValues = [&](TChartSeries&) { ++cleared; };
    Series.Clear();
    EXPECT_EQ(cleared, 1);
}

TEST_F(SeriesTest, ChangesBracketedByBeginAndEndAnnounceOnce)
{
    int afterAdd = 0;
    Series.OnAfterAdd = [&](TChartSeries&, int32_t) { ++afterAdd; };
    Series.BeginChanges();
    Series.BeginChanges();
    Series.AppendPoint(0, 1);
    Series.AppendPoint(1, 2);
    Series.EndChanges();
    EXPECT_EQ(Chart.Repaints, 0);
    Series.EndChanges();
    EXPECT_EQ(Chart.Repaints, 1);
    EXPECT_EQ(afterAdd, 0);
    EXPECT_EQ(Series.Count(), 2);

    Series.EndChanges(); // unbalanced: ignored
    EXPECT_EQ(Series.UpdateDepth(), 0);
    Series.AppendPoint(2, 3);
    EXPECT_EQ(afterAdd, 1);
}

TEST_F(SeriesTest, ClearEmptiesEverythingAndRepaintsOnce)
{
    Series.AppendPoint(0, 10, "a", clBlue);
    Series.AppendPoint(1, -20);
    Chart.Repaints = 0;
    Series.Clear();
    EXPECT_EQ(Series.Count(), 0);
    EXPECT_EQ(Series.YValues().Count(), 0);
    EXPECT_EQ(Series.YValues().Capacity(), 0);
    EXPECT_EQ(Series.HighestY(), 0);
    EXPECT_EQ(Series.YValues().AbsSum(), 0);
    EXPECT_FALSE(Series.ColorList().has_value());
    EXPECT_TRUE(Series.LabelsList().empty());
    EXPECT_EQ(Chart.Repaints, 1);

    Chart.Destroying = true;
    Series.Clear();
    EXPECT_EQ(Chart.Repaints, 1);
}

TEST_F(SeriesTest, DeleteOutOfBoundsRaisesAndChangesNothing)
{
    for (int i = 0; i < 3; ++i) {
        Series.AppendPoint(i, 10 * i);
    }
    Chart.Repaints = 0;
    EXPECT_EQ(DeleteError(Series, 3, 1), "Series Delete: ValueIndex 3 out of bounds (0 to 2).");
    EXPECT_EQ(DeleteError(Series, -1, 1), "Series Delete: ValueIndex -1 out of bounds (0 to 2).");
    EXPECT_EQ(DeleteError(Series, 1, 5), "Series Delete: ValueIndex 3 out of bounds (0 to 2).");
    EXPECT_EQ(DeleteError(Series, 1, 2147483647),
              "Series Delete: ValueIndex 3 out of bounds (0 to 2).");
    EXPECT_EQ(DeleteError(Series, 1, -1), "Series Delete: point count -1 is negative.");
    EXPECT_EQ(Series.Count(), 3);
    EXPECT_EQ(ListValues(Series.YValues()), (std::vector<double>{0, 10, 20}));
    EXPECT_EQ(Chart.Repaints, 0);

    // A run that starts at or after the end reaches past the points and raises; an empty run
    // there removes nothing and raises nothing.
    for (int32_t start : {3, 4, 2147483647}) {
        EXPECT_EQ(DeleteError(Series, start, 2),
                  "Series Delete: ValueIndex " + std::to_string(start) + " out of bounds (0 to 2).")
            << start;
        EXPECT_EQ(DeleteError(Series, start, 0), "no error") << start;
    }
    EXPECT_EQ(Series.Count(), 3);
    EXPECT_EQ(Chart.Repaints, 0);

    TChartSeries empty;
    EXPECT_EQ(DeleteError(empty, 0, 1), "Series Delete: ValueIndex 0 out of bounds (0 to -1).");
}

TEST_F(SeriesTest, DeleteRemovesFromEveryList)
{
    for (int i = 0; i < 5; ++i) {
        Series.AppendPoint(i, 10 * i, i == 3 ? "three" : "", i == 4 ? clBlue : clDefault);
    }
    Series.Delete(1, 2);
    EXPECT_EQ(ListValues(Series.XValues()), (std::vector<double>{0, 3, 4}));
    EXPECT_EQ(ListValues(Series.YValues()), (std::vector<double>{0, 30, 40}));
    EXPECT_EQ(Series.Labels(1), "three");
    EXPECT_EQ(Series.PointColor(2), clBlue);
    EXPECT_EQ(Series.HighestY(), 40);
    EXPECT_EQ(Series.LowestX(), 0);
    Series.Delete(0);
    EXPECT_EQ(Series.XValue(0), 3);
    EXPECT_EQ(Series.PointColor(1), clBlue);
}

TEST_F(SeriesTest, EveryDataChangeOfAnActiveSeriesAsksForARepaint)
{
    Series.AppendPoint(0, 1);
    EXPECT_EQ(Chart.Repaints, 1);
    Series.Add(2);
    EXPECT_EQ(Chart.Repaints, 2);
    Series.AppendPoint(1, 3);
    Series.Delete(0);
    EXPECT_EQ(Chart.Repaints, 4);
    Series.Delete(0, 2);
    EXPECT_EQ(Chart.Repaints, 5);
    Series.Clear();
    EXPECT_EQ(Chart.Repaints, 6);

    Series.SetActive(false);
    EXPECT_EQ(Chart.Repaints, 7);
    EXPECT_EQ(Chart.ActiveChanges, 1);
    Series.AppendPoint(0, 1);
    Series.AppendPoint(1, 1);
    Series.Delete(0);
    Series.Clear();
    EXPECT_EQ(Chart.Repaints, 7);
    Series.SetActive(false);
    EXPECT_EQ(Chart.ActiveChanges, 1);

    Series.SetSeriesColor(clBlue);
    EXPECT_EQ(Chart.ColorChanges, 1);
    EXPECT_EQ(Chart.Repaints, 8);
    Series.SetSeriesColor(clBlue);
    Series.SetValueFormat("#,##0.###");
    EXPECT_EQ(Chart.Repaints, 8);
    Series.Marks().SetStyle(smsValue);
    EXPECT_EQ(Chart.Repaints, 9);

    Series.SetParentChart(nullptr);
    Series.SetActive(true);
    Series.AppendPoint(5, 5);
    EXPECT_EQ(Chart.Repaints, 9);
}

// ---------------------------------------------------------------------------------------------
// Point texts

TEST_F(SeriesTest, PointTextFollowsTheMarksStyle)
{
    Series.AppendPoint(0.2, 0);
    Series.AppendPoint(0.4, 1234.5);
    Series.AppendPoint(0.6, -99.12345, "lamp");
    Series.AppendPoint(0.8, 16.37655);
    // AbsSum = 1350: point 1 is 91.4444 %, point 3 is 1.2131 %.

    EXPECT_EQ(Series.PointText(0), "0");
    EXPECT_EQ(Series.PointText(1), "1,234.5");
    EXPECT_EQ(Series.PointText(2), "lamp");

    Series.Marks().SetStyle(smsValue);
    EXPECT_EQ(Series.PointText(2), "-99.123");
    Series.Marks().SetStyle(smsPercent);
    EXPECT_EQ(Series.PointText(1), "91.44 %");
    Series.Marks().SetStyle(smsLabelPercent);
    EXPECT_EQ(Series.PointText(3), "16.377 1.21 %");
    Series.Marks().SetStyle(smsLabelValue);
    EXPECT_EQ(Series.PointText(2), "lamp -99.123");
    Series.Marks().SetStyle(smsPercentTotal);
    EXPECT_EQ(Series.PointText(1), "91.44 % of 1,350");
    Series.Marks().SetStyle(smsLabelPercentTotal);
    EXPECT_EQ(Series.PointText(2), "lamp 7.34 % of 1,350");
    Series.Marks().SetStyle(smsXValue);
    EXPECT_EQ(Series.PointText(1), "0.4");
    Series.Marks().SetStyle(smsXY);
    EXPECT_EQ(Series.PointText(1), "0.4 1,234.5");
    Series.Marks().SetStyle(smsLegend);
    EXPECT_EQ(Series.PointText(2), "lamp");

    Series.Marks().SetMultiLine(true);
    Series.Marks().SetStyle(smsLabelPercentTotal);
    EXPECT_EQ(Series.PointText(2), "lamp\r7.34 %\rof 1,350");

    Series.OnGetMarkText = [](const TChartSeries&, int32_t index, std::string& text) {
        text += "#" + std::to_string(index);
    };
    Series.Marks().SetStyle(smsValue);
    EXPECT_EQ(Series.PointText(0), "0#0");
}

TEST_F(SeriesTest, PercentOfAllZeroValuesIsHundred)
{
    Series.AppendPoint(0, 0);
    Series.AppendPoint(1, 0);
    Series.Marks().SetStyle(smsPercent);
    EXPECT_EQ(Series.PointText(1), "100 %");
}

TEST_F(SeriesTest, PointTextUsesTheLocaleSeparators)
{
    SetNumberSeparators(',', '.');
    Series.AppendPoint(0, 1234.5);
    EXPECT_EQ(Series.PointText(0), "1.234,5");
}

namespace {

// A series whose values run along X and that carries a third dimension.
class TBarLikeSeries : public TChartSeries
{
public:
    TBarLikeSeries() : Size(this, "Size")
    {
        SetYMandatory(false);
        AddValueList(Size);
    }
    TChartValueList Size;
};

} // namespace

TEST(ChartSeriesTest, FurtherValueListsInsertTheirStagedValueAtTheSameIndex)
{
    TBarLikeSeries series;
    ASSERT_EQ(series.ValueLists().size(), 3u);
    series.Size.SetPendingValue(7);
    series.AppendPoint(2, 0);
    series.Size.SetPendingValue(8);
    series.AppendPoint(1, 0);
    EXPECT_EQ(ListValues(series.Size), (std::vector<double>{8, 7}));

    // With X mandatory, Add puts the value on X and the point count on Y.
    series.Add(0.5);
    EXPECT_EQ(series.XValue(0), 0.5);
    EXPECT_EQ(series.YValue(0), 2);
    series.Marks().SetStyle(smsValue);
    EXPECT_EQ(series.PointText(0), "0.5");
    series.Delete(0, 3);
    EXPECT_EQ(series.Size.Count(), 0);
}

#ifndef NDEBUG
TEST(ChartSeriesDeathTest, UncheckedReadersAssertTheirIndex)
{
    TChartSeries series;
    series.AppendPoint(0, 1);
    EXPECT_DEATH(series.XValue(1), "");
    EXPECT_DEATH(series.YValue(-1), "");
    EXPECT_DEATH(series.PointColor(1), "");
    EXPECT_DEATH(series.PointText(2), "");
    TChartValueList empty(nullptr, "Y");
    EXPECT_DEATH(empty.LastValue(), "");
}
#endif

// The run summaries of a value list follow every change: after random appends, inserts,
// deletions and clears (not-a-number and infinities among the values) each complete block and
// group reports the lowest and highest of its values, or not a number when it holds one.
TEST(ChartValueListTest, RunSummariesFollowEveryChange)
{
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), -0.0};
    auto expected = [](const TChartValueList& list, int32_t from, int32_t size) {
        double low = list.Values(from);
        double high = low;
        bool nan = false;
        for (int32_t i = from; i < from + size; ++i) {
            const double v = list.Values(i);
            nan = nan || std::isnan(v);
            low = std::min(low, v);
            high = std::max(high, v);
        }
        return std::pair<bool, std::pair<double, double>>{nan, {low, high}};
    };
    auto check = [&](const TChartValueList& list, int step) {
        const TValueSummary& summary = list.Summary();
        ASSERT_EQ(summary.Count(), list.Count()) << step;
        for (int32_t size : {TValueSummary::BlockSize, TValueSummary::GroupSize}) {
            for (int32_t from = 0; from + size <= list.Count(); from += size) {
                const TValueSummary::TRange& run = size == TValueSummary::BlockSize
                                                       ? summary.Block(from / size)
                                                       : summary.Group(from / size);
                const auto [nan, range] = expected(list, from, size);
                ASSERT_EQ(!run.Usable(), nan) << step << " run at " << from << " of " << size;
                if (!nan) {
                    ASSERT_EQ(run.Low, range.first) << step << " run at " << from;
                    ASSERT_EQ(run.High, range.second) << step << " run at " << from;
                }
            }
        }
    };
    TChartValueList list(nullptr, "Y");
    for (int step = 0; step < 1500; ++step) {
        const int action = static_cast<int>(random() % 1000);
        if (action < 3) {
            list.InsertOrdered(specials[random() % 4]);
        } else if (action < 8 && list.Count() > 0) {
            const int32_t at = static_cast<int32_t>(random() % static_cast<unsigned>(list.Count()));
            list.Delete(at, std::min<int32_t>(list.Count() - at, 1 + random() % 3000));
        } else if (action < 14) {
            list.InsertAt(static_cast<int32_t>(random() % static_cast<unsigned>(list.Count() + 1)),
                          value(random));
        } else if (action < 17) {
            list.Clear();
        } else {
            // Runs of appends, the common case, long enough to fill groups.
            for (int k = static_cast<int>(random() % 400); k >= 0; --k) {
                list.InsertOrdered(value(random));
            }
        }
        if (random() % 10 == 0) {
            check(list, step);
        }
    }
    check(list, -1);
    // Appends keep the summary current without a read, and it stays small beside the values.
    for (int i = 0; i < 300000; ++i) {
        list.InsertOrdered(value(random));
    }
    EXPECT_LE(list.Summary().StorageBytes(), list.Count() * sizeof(double) / 20);
}

// ---------------------------------------------------------------------------------------------
// Positions on the axes: the series reads its chart's axes through TSeriesAxes alone

namespace {

// Axes as a series sees them: a mapping per position, the plot's edge values and label texts.
class TAxesChart : public TCountingChart, public TSeriesAxes
{
public:
    TSeriesAxes* AxisOwner() override { return this; }
    TChartAxis* HorizAxisAt(THorizAxis) override { return nullptr; }
    TChartAxis* VertAxisAt(TVertAxis) override { return nullptr; }
    const TAxisMapping& HorizMapping(THorizAxis which) override
    {
        return which == aTopAxis ? Top : Bottom;
    }
    const TAxisMapping& VertMapping(TVertAxis which) override
    {
        return which == aRightAxis ? Right : Left;
    }
    void PlotEdgeValues(THorizAxis which, double& low, double& high) override
    {
        const TAxisMapping& m = HorizMapping(which);
        low = m.PixelToValue(PlotLeft);
        high = m.PixelToValue(PlotRight);
    }
    std::string AxisLabelText(THorizAxis which, double value) override
    {
        return (which == aTopAxis ? "top " : "bottom ") + std::to_string(static_cast<int>(value));
    }

    // Bottom: 0..100 on pixels 0..200; top: 0..100 on 0..100; left and right: 0..10 upwards.
    TAxisMapping Bottom{0, 200, 0, 100, true, false, false};
    TAxisMapping Top{0, 100, 0, 100, true, false, false};
    TAxisMapping Left{0, 100, 0, 10, false, false, false};
    TAxisMapping Right{0, 100, 0, 10, false, true, false};
    int32_t PlotLeft = 41;
    int32_t PlotRight = 120;
};

} // namespace

TEST(ChartSeriesAxesTest, PixelsVisiblePointsAndXTextComeFromTheChartsAxes)
{
    TChartSeries series;
    for (int i = 0; i <= 100; ++i) {
        series.AppendPoint(i, i % 11);
    }
    series.Marks().SetStyle(smsXValue); // the point text is the text of X
    // Without a chart: no pixels, every point visible, X formatted with the value format.
    series.CalcVisibleIndices();
    EXPECT_EQ(series.PointPixelX(30), 0);
    EXPECT_EQ(series.FirstVisibleIndex(), 0);
    EXPECT_EQ(series.LastVisibleIndex(), 100);
    EXPECT_EQ(series.PointText(30), "30");

    TAxesChart chart;
    series.SetParentChart(&chart);
    EXPECT_EQ(series.GetHorizAxis(), nullptr) << "the axes answer, not the series";
    EXPECT_EQ(series.PointPixelX(30), 60);
    EXPECT_EQ(series.PointPixelY(30), 20) << "value 8 of 0..10 upwards on 100 pixels";
    EXPECT_EQ(series.PointText(30), "bottom 30");
    // The plot shows X from 20.5 to 60: the first point inside, the first at or past the right
    // edge (so that the line leaves the plot).
    series.CalcVisibleIndices();
    EXPECT_EQ(series.FirstVisibleIndex(), 21);
    EXPECT_EQ(series.LastVisibleIndex(), 60);

    series.SetHorizAxis(aTopAxis);
    series.SetVertAxis(aRightAxis);
    EXPECT_EQ(series.PointPixelX(30), 30);
    EXPECT_EQ(series.PointPixelY(30), 80) << "the right axis runs downwards (inverted)";
    EXPECT_EQ(series.PointText(30), "top 30");
    series.CalcVisibleIndices(); // X from 41 to 120: up to the last point
    EXPECT_EQ(series.FirstVisibleIndex(), 41);
    EXPECT_EQ(series.LastVisibleIndex(), 100);
    series.SetParentChart(nullptr);
}
