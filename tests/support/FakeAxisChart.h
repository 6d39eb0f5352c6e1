#pragma once
// A chart reduced to what its axes and series ask of it: a canvas on a bitmap, a plot rectangle,
// a series list and the four standard axes. Repaint requests are counted; the loading state and
// the label event are set by the user.
#include "chart/ChartAxis.h"
#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "platform/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TFakeAxisChart : public TChartHost, public TAxisOwner
{
public:
    TFakeAxisChart(int width, int height, TRect plot) : Bitmap(width, height), Plot(plot)
    {
        Canvas.AttachSurface(Bitmap.Canvas());
    }

    // TChartHost and TAxisOwner
    void Invalidate() override { ++Repaints; }
    bool IsDestroying() const override { return false; }
    void SeriesColorChanged(TChartSeries&) override {}
    void SeriesActiveChanged(TChartSeries&) override {}
    TAxisOwner* AxisOwner() override { return this; }
    TChartCanvas& AxisCanvas() override { return Canvas; }
    TRect AxisPlotRect() const override { return Plot; }
    int32_t SeriesCount() const override { return static_cast<int32_t>(List.size()); }
    TChartSeries& SeriesAt(int32_t index) const override
    {
        return *List[static_cast<size_t>(index)];
    }
    bool AxisVisible() const override { return true; }
    TChartAxis& BottomAxis() override { return Bottom; }
    TChartAxis& TopAxis() override { return Top; }
    TChartAxis& LeftAxis() override { return Left; }
    TChartAxis& RightAxis() override { return Right; }
    bool ChartIsLoading() const override { return Loading; }
    void GetAxisLabel(const TChartAxis& axis, double value, std::string& text) override
    {
        if (LabelEvent)
            LabelEvent(axis, value, text);
    }

    // Puts series on this chart's list and makes this chart its parent.
    void Add(TChartSeries& series)
    {
        List.push_back(&series);
        series.SetParentChart(this);
    }

    TBitmap Bitmap;
    TChartCanvas3D Canvas;
    TRect Plot;
    std::vector<TChartSeries*> List;
    TChartAxis Bottom{*this, true, false};
    TChartAxis Top{*this, true, true};
    TChartAxis Left{*this, false, false};
    TChartAxis Right{*this, false, true};
    int Repaints = 0;
    bool Loading = false;
    std::function<void(const TChartAxis&, double, std::string&)> LabelEvent;
};
