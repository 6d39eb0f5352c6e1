#pragma once
// Chart tools: objects in a chart's tools list that receive the chart's paint-stage and mouse
// events and may draw on the chart canvas. The base classes here; the nearest-point tool joins
// them below.
#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "chart/ChartPanel.h"
#include "platform/Control.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TChartAxis;

// Base of the tools: activity, pen and brush, the chart it belongs to and the two event hooks.
// Setting Active (when it changes) and changing the pen or brush request a repaint of the chart.
class TChartCustomTool : public TCustomChartElement
{
public:
    TChartCustomTool();
    // Leaves the tools list of its chart.
    ~TChartCustomTool() override;

    // Outline and line pen (black, solid, width 1, visible) and fill brush (clDefault, solid).
    TChartPen& Pen() { return FPen; }
    const TChartPen& Pen() const { return FPen; }
    virtual void SetPen(const TChartPen& value) { FPen.Assign(value); }
    TChartBrush& Brush() { return FBrush; }
    const TChartBrush& Brush() const { return FBrush; }
    void SetBrush(const TChartBrush& value) { FBrush.Assign(value); }

    // Moves the tool from the old chart's tools list to the new chart's (appended at the end).
    // A tool that the old chart owned stays owned by a chart: the new one, or the old one (freed
    // with it) when the new chart is none; then the old chart repaints.
    void SetParentChart(TChartHost* chart) override;
    // The chart control the tool belongs to (nullptr for none).
    TCustomAxisPanel* Chart() const;

    // Paint stage of the chart; the base does nothing.
    virtual void PaintStageEvent(TChartToolPaintStage stage);
    // Mouse action on the chart at (x, y); the base does nothing.
    virtual void MouseActionEvent(TChartMouseAction action, TMouseButton button, TShiftState shift,
                                  int x, int y);
    // Text shown for the tool (empty in the base).
    virtual std::string Description() const { return {}; }
    // Name of the tool's editor.
    virtual std::string EditorName() const { return {}; }
    // A series of the chart is going away; tools bound to it let go.
    virtual void SeriesRemoved(TChartSeries& series);
    // True for a tool that draws in the after-draw stage only (the base answers false): its
    // changes, Active included, touch nothing below that stage.
    virtual bool DrawsAfterDrawOnly() const { return false; }
    // Repaint request of a change of the tool: only the after-draw stage is redrawn over the
    // chart's kept picture when the tool draws nowhere else, a full repaint otherwise (a tool
    // switched on or off may draw before the series).
    void Repaint() override;

private:
    friend class TChartTools;

    TChartPen FPen;
    TChartBrush FBrush;
    // The list that keeps an owned tool taken off its chart to no chart.
    TChartTools* FKeeper = nullptr;
};

// A tool bound to one series.
class TChartCustomToolSeries : public TChartCustomTool
{
public:
    TChartCustomToolSeries() = default;
    ~TChartCustomToolSeries() override;

    TChartSeries* Series() const { return FSeries; }
    // Binds the tool to a series (nullptr: none); repaints on a change. The series tells the
    // tool when it is destroyed, in a chart or not, and the tool then has none.
    virtual void SetSeries(TChartSeries* value);
    // The series' axes; the chart's bottom and left axis without a series, nullptr without a
    // chart.
    TChartAxis* GetHorizAxis() const;
    TChartAxis* GetVertAxis() const;

    void SeriesRemoved(TChartSeries& series) override;

private:
    TChartSeries* FSeries = nullptr;
    int32_t FSeriesFreeNotification = 0;
};

// The tools of a chart in the order they were added. A tool given as std::unique_ptr is owned by
// the list (freed by Clear and with the chart); one added by pointer stays owned by its creator
// and leaves the list when it is destroyed.
class TChartTools
{
public:
    explicit TChartTools(TCustomAxisPanel& chart);
    ~TChartTools();
    TChartTools(const TChartTools&) = delete;
    TChartTools& operator=(const TChartTools&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Unchecked in release builds: 0 <= index < Count.
    TChartCustomTool& Items(int index) const;
    TChartCustomTool& operator[](int index) const { return Items(index); }
    int IndexOf(const TChartCustomTool& tool) const;

    // Appends a tool the list owns and makes the chart its parent.
    TChartCustomTool& Add(std::unique_ptr<TChartCustomTool> tool);
    template <typename T> T& Add(std::unique_ptr<T> tool)
    {
        T& added = *tool;
        Add(std::unique_ptr<TChartCustomTool>(std::move(tool)));
        return added;
    }
    // Appends a tool its creator keeps owning.
    void Add(TChartCustomTool& tool);
    // Frees the owned tools and empties the list.
    void Clear();

    TCustomAxisPanel& Chart() const { return FChart; }

private:
    friend class TChartCustomTool;
    struct TEntry
    {
        TChartCustomTool* Tool = nullptr;
        std::unique_ptr<TChartCustomTool> Owned;
    };
    // Takes the tool out of the list; gives back its ownership if the list had it.
    std::unique_ptr<TChartCustomTool> Detach(TChartCustomTool& tool);
    void Attach(TChartCustomTool& tool, std::unique_ptr<TChartCustomTool> owned);

    TCustomAxisPanel& FChart;
    std::vector<TEntry> FItems;
    // Tools moved off this chart to no chart: still owned here, freed with the chart.
    std::vector<std::unique_ptr<TChartCustomTool>> FOrphans;
};

// ---- Nearest-point tool -----------------------------------------------------------------------

enum TNearestToolStyle
{
    hsNone,
    hsCircle,
    hsRectangle,
    hsDiamond
};

// Points this many pixels or more away from the mouse are never the nearest.
constexpr int32_t NearestSearchLimit = 10000;

// Follows the mouse over its chart, finds the point of its series nearest to the mouse inside
// the plot rectangle, marks it with a shape and joins it to the mouse with a line. With
// FullRepaint every mouse move asks for a repaint and the marker is drawn in the chart's paint;
// without, the marker is drawn and erased in inverting mode straight away.
class TNearestTool : public TChartCustomToolSeries
{
public:
    TNearestTool();

    TNearestToolStyle Style() const { return FStyle; }
    void SetStyle(TNearestToolStyle value);
    // Half the marker's width and height in pixels; negative values are taken as 0.
    int32_t Size() const { return FSize; }
    void SetSize(int32_t value);
    bool DrawLine() const { return FDrawLine; }
    void SetDrawLine(bool value) { FDrawLine = value; }
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool value) { FFullRepaint = value; }
    // Index of the nearest point, -1 for none. Writing it asks for no repaint; an index that no
    // longer names a point of the series draws nothing.
    int32_t NearestIndex() const { return FNearestIndex; }
    void SetNearestIndex(int32_t value) { FNearestIndex = value; }
    // The last mouse position received.
    TPoint MousePos() const { return FMousePos; }

    // Raised after every mouse move the tool processed.
    std::function<void(TNearestTool& sender)> OnChange;

    // The visible point of the series nearest to (x, y) inside the plot rectangle, by rounded
    // pixel distance; ties go to the lower index; -1 for none nearer than NearestSearchLimit.
    // Runs of points whose bounding box rules them out are skipped (FindNearestPoint), with
    // exactly the result of the plain search over every visible point.
    int32_t FindNearest(int32_t x, int32_t y) const;
    // Draws the marker and the line for NearestIndex on the chart canvas.
    void PaintMarker();

    void PaintStageEvent(TChartToolPaintStage stage) override;
    void MouseActionEvent(TChartMouseAction action, TMouseButton button, TShiftState shift, int x,
                          int y) override;
    std::string Description() const override { return "Nearest Point"; }
    std::string EditorName() const override { return "TNearestToolEdit"; }
    // The marker and its line are drawn in the after-draw stage alone.
    bool DrawsAfterDrawOnly() const override { return true; }

private:
    // The candidate range: the series' visible range of the last paint, within its points.
    bool SearchRange(int32_t& first, int32_t& last) const;

    TNearestToolStyle FStyle = hsCircle;
    int32_t FSize = 20;
    bool FDrawLine = true;
    bool FFullRepaint = true;
    int32_t FNearestIndex = -1;
    TPoint FMousePos;
};
