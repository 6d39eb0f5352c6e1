#pragma once
// Series data of the chart: ordered value lists with lazily computed statistics, the chart
// element base, and the data side of a chart series (points, per-point labels and colours, value
// texts, change notification). Free of any toolkit header: a series reaches its chart only through
// the narrow TChartHost interface, and its axes only through TSeriesAxes, both of which the chart
// control implements.
#include "chart/AxisMapping.h"
#include "chart/ValueSummary.h"
#include "platform/Colors.h"
#include "platform/Errors.h"

#include <cassert>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TChartSeries;
class TChartAxis;
class TSeriesAxes;

// The error raised by chart objects for invalid operations and settings.
class EChartException : public Exception
{
public:
    using Exception::Exception;
};

// Storage of a value list grows by this many values whenever it is full.
constexpr int32_t ChartValueListStep = 1000;

enum TChartListOrder
{
    loNone,
    loAscending,
    loDescending
};

// One dimension of a series' points: a list of doubles kept in the list's Order, with minimum,
// maximum and sums recomputed on the first read after a change.
class TChartValueList
{
public:
    TChartValueList(TChartSeries* ownerSeries, std::string name);
    virtual ~TChartValueList() = default;
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;

    // Inserts value where Order puts it (after any equal values) and returns its index.
    virtual int32_t InsertOrdered(double value);
    // Removes every value and releases the storage.
    virtual void Clear();
    // Inserts value at index (0..Count), moving later values up by one.
    virtual void InsertAt(int32_t index, double value);
    // Removes the value at index, moving later values down by one.
    virtual void Delete(int32_t index);
    // Removes count values from start on.
    void Delete(int32_t start, int32_t count);

    int32_t Count() const { return FCount; }
    // Number of values the storage holds before it has to grow.
    int32_t Capacity() const { return static_cast<int32_t>(FValues.size()); }

    // Unchecked reads: the caller guarantees 0 <= index < Count (asserted in debug builds).
    double Values(int32_t index) const
    {
        assert(index >= 0 && index < FCount);
        return FValues[static_cast<size_t>(index)];
    }
    // The values 0..Count-1 as one array, for loops over many points.
    const double* Data() const { return FValues.data(); }
    double FirstValue() const { return Values(0); }
    double LastValue() const { return Values(FCount - 1); }

    // Statistics; all 0 for an empty list.
    double LowValue() const;
    double HighValue() const;
    double Sum() const;
    double AbsSum() const;
    double Spread() const { return HighValue() - LowValue(); }

    const std::string& Name() const { return FName; }
    void SetName(std::string value) { FName = std::move(value); }
    TChartListOrder Order() const { return FOrder; }
    // Changes the order the list keeps from now on; the values stay where they are.
    void SetOrder(TChartListOrder value);
    // The values are known to follow Order: none out of place and none not a number. Every
    // insert keeps it up to date, deletions keep it, Clear and SetOrder establish it afresh.
    // Binary searches over the values rely on it.
    bool InOrder() const { return FInOrder; }
    // Renewed (unique across all lists) by every change other than an append at the end: a
    // reader that remembers the stamp and the count knows that those first values are unchanged.
    uint64_t ChangeStamp() const { return FChangeStamp; }
    // Lowest and highest value of every run of values, up to date with the list.
    const TValueSummary& Summary() const
    {
        if (FSummary.Count() != FCount) {
            FSummary.Extend(FValues.data(), FCount);
        }
        return FSummary;
    }
    // Values are date-times; only the axis labels depend on it.
    bool DateTime() const { return FDateTime; }
    void SetDateTime(bool value);
    const std::string& ValueSource() const { return FValueSource; }
    void SetValueSource(std::string value) { FValueSource = std::move(value); }
    // The value staged for the point being added.
    double PendingValue() const { return FPendingValue; }
    void SetPendingValue(double value) { FPendingValue = value; }
    TChartSeries* OwnerSeries() const { return FOwnerSeries; }

private:
    void CheckRange(int64_t start, int64_t count, int32_t limit) const;
    void RecalcStats() const;
    // Extends fresh statistics by a value just appended as the last of FCount values.
    void AddToStats(double x) const;

    bool FDateTime = false;
    std::string FName;
    TChartListOrder FOrder = loNone;
    TChartSeries* FOwnerSeries;
    double FPendingValue = 0;
    std::string FValueSource;
    std::vector<double> FValues; // its size is the capacity
    int32_t FCount = 0;

    mutable double FHighValue = 0;
    mutable double FLowValue = 0;
    mutable double FSum = 0;
    mutable double FAbsSum = 0;
    mutable bool FStatsStale = true;
    bool FInOrder = true;
    uint64_t FChangeStamp;
    mutable TValueSummary FSummary;
};

// What a chart element needs of the chart it belongs to. The chart control implements it.
class TChartHost
{
public:
    virtual ~TChartHost() = default;
    // Repaint request: the chart draws at its next paint; nothing is drawn synchronously.
    virtual void Invalidate() = 0;
    // The chart is being destroyed; a series cleared then asks for no repaint.
    virtual bool IsDestroying() const = 0;
    // A series of the chart changed its colour (the legend shows it).
    virtual void SeriesColorChanged(TChartSeries& series) = 0;
    // A series of the chart was switched on or off (legend and axes depend on it).
    virtual void SeriesActiveChanged(TChartSeries& series) = 0;
    // The chart's axes, through which a series finds the pixels of its points; none for a chart
    // without axes. The chart control answers itself (as their TAxisOwner).
    virtual TSeriesAxes* AxisOwner() { return nullptr; }

protected:
    TChartHost() = default;
    TChartHost(const TChartHost&) = default;
    TChartHost& operator=(const TChartHost&) = default;
};

// Base of series and tools: activity and the chart the element belongs to. The element's Pen and
// Brush are chart-canvas objects; they join this class together with the canvas.
class TCustomChartElement
{
public:
    TCustomChartElement() = default;
    virtual ~TCustomChartElement() = default;
    TCustomChartElement(const TCustomChartElement&) = delete;
    TCustomChartElement& operator=(const TCustomChartElement&) = delete;

    bool Active() const { return FActive; }
    virtual void SetActive(bool value);
    TChartHost* ParentChart() const { return FParentChart; }
    virtual void SetParentChart(TChartHost* chart) { FParentChart = chart; }

    // Asks the parent chart, if there is one, to repaint.
    virtual void Repaint();

protected:
    // Property setter body: stores a changed value and repaints.
    template <typename T> void SetProperty(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            Repaint();
        }
    }

private:
    bool FActive = true;
    TChartHost* FParentChart = nullptr;
};

// Series properties that do not concern the data: legend entry, title and depth.
class TCustomChartSeries : public TCustomChartElement
{
public:
    bool ShowInLegend() const { return FShowInLegend; }
    void SetShowInLegend(bool value);
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value);
    int32_t Depth() const { return FDepth; }
    void SetDepth(int32_t value);

private:
    bool FShowInLegend = true;
    std::string FTitle;
    int32_t FDepth = -1;
};

enum TSeriesMarksStyle
{
    smsValue,
    smsPercent,
    smsLabel,
    smsLabelPercent,
    smsLabelValue,
    smsLegend,
    smsPercentTotal,
    smsLabelPercentTotal,
    smsXValue,
    smsXY
};

// What the text of a point is made of, and whether the marks are shown.
class TSeriesMarks
{
public:
    explicit TSeriesMarks(TChartSeries& series) : FSeries(series) {}
    TSeriesMarks(const TSeriesMarks&) = delete;
    TSeriesMarks& operator=(const TSeriesMarks&) = delete;

    TSeriesMarksStyle Style() const { return FStyle; }
    void SetStyle(TSeriesMarksStyle value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // Parts of a mark text are separated by a line break instead of a blank.
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool value);

private:
    TChartSeries& FSeries;
    TSeriesMarksStyle FStyle = smsLabel;
    bool FVisible = false;
    bool FMultiLine = false;
};

enum THorizAxis
{
    aTopAxis,
    aBottomAxis,
    aBothHorizAxis,
    aCustomHorizAxis
};
enum TVertAxis
{
    aLeftAxis,
    aRightAxis,
    aBothVertAxis,
    aCustomVertAxis
};

// What a series reads of its chart's axes, answered by their owner (the chart control, see
// TAxisOwner in chart/ChartAxis.h): the axis a series names by position, its value-to-pixel
// mapping, the values at the plot's left and right edges and the text of a value as its labels
// show it. The data side needs nothing else of the axes.
class TSeriesAxes
{
public:
    // The axis a series names by position.
    virtual TChartAxis* HorizAxisAt(THorizAxis which) = 0;
    virtual TChartAxis* VertAxisAt(TVertAxis which) = 0;
    // Its value-to-pixel mapping.
    virtual const TAxisMapping& HorizMapping(THorizAxis which) = 0;
    virtual const TAxisMapping& VertMapping(TVertAxis which) = 0;
    // The values of a horizontal axis at the plot's left and right edges, the lower one first.
    virtual void PlotEdgeValues(THorizAxis which, double& low, double& high) = 0;
    // The text of a value as the labels of a horizontal axis show it.
    virtual std::string AxisLabelText(THorizAxis which, double value) = 0;

protected:
    TSeriesAxes() = default;
    TSeriesAxes(const TSeriesAxes&) = default;
    TSeriesAxes& operator=(const TSeriesAxes&) = default;
    ~TSeriesAxes() = default;
};

// What happened to a series' data, as told to the series that depend on it.
enum TSeriesDataChange
{
    sdcAdded,
    sdcRemoved,
    sdcCleared,
    sdcChanged
};

// The chart's line separator inside multi-line texts.
constexpr char ChartLineSeparator = '\r';

// Colour of entry index of the chart-wide palette (repeats after its last entry).
TColor ChartPaletteColor(int32_t index);

using TSeriesBeforeAddEvent = std::function<bool(TChartSeries& sender)>;
using TSeriesAfterAddEvent = std::function<void(TChartSeries& sender, int32_t valueIndex)>;
using TSeriesNotifyEvent = std::function<void(TChartSeries& sender)>;
// Asked while a point text is made; the sender is const because reading a text changes nothing.
// A click on point valueIndex at pixel (x, y).
using TSeriesClickEvent =
    std::function<void(TChartSeries& sender, int32_t valueIndex, int32_t x, int32_t y)>;
using TSeriesGetMarkTextEvent =
    std::function<void(const TChartSeries& sender, int32_t valueIndex, std::string& markText)>;

// The data side of a chart series: points as parallel value lists (X first, Y second, further
// lists after them), optional per-point labels and colours, point texts, and the repaint request
// sent to the parent chart on every change. Drawing and the pixel position of points belong to
// the derived series classes and the axes.
class TChartSeries : public TCustomChartSeries
{
public:
    TChartSeries();
    // Runs the free notifications.
    ~TChartSeries() override;

    // Calls notify with the series when it is destroyed (a tool bound to it lets go); the id
    // returned serves RemoveFreeNotification. Unknown ids are ignored.
    int32_t AddFreeNotification(TSeriesNotifyEvent notify);
    void RemoveFreeNotification(int32_t id);

    TChartValueList& XValues() { return FXValues; }
    const TChartValueList& XValues() const { return FXValues; }
    TChartValueList& YValues() { return FYValues; }
    const TChartValueList& YValues() const { return FYValues; }
    // Every value list of the series, X first, Y second.
    const std::vector<TChartValueList*>& ValueLists() const { return FValueLists; }
    // The list that marks, percentages and totals use: Y, unless the series runs along Y.
    const TChartValueList& MandatoryValueList() const { return FYMandatory ? FYValues : FXValues; }
    bool YMandatory() const { return FYMandatory; }

    // Adds a point in X order; returns its index, or -1 when OnBeforeAdd refused it.
    virtual int32_t AppendPoint(double x, double y, std::string_view labelText = {},
                                TColor color = clDefault);
    // Adds a value with the point count as its other coordinate.
    int32_t Add(double value, std::string_view labelText = {}, TColor color = clDefault);
    virtual void Clear();
    virtual int32_t Count() const { return FXValues.Count(); }
    // Removes one point; raises EChartException when index is not below Count.
    virtual void Delete(int32_t index);
    // Removes count points from start on. An empty run changes nothing; raises EChartException
    // for a negative start or count and for a run that reaches past the last point, however
    // far after the end it starts.
    void Delete(int32_t start, int32_t count);

    // Unchecked reads: the caller guarantees 0 <= index < Count (asserted in debug builds).
    double XValue(int32_t index) const { return FXValues.Values(index); }
    double YValue(int32_t index) const { return FYValues.Values(index); }

    // Colour of a point: its own colour, else the palette colour (ColorEachPoint) or SeriesColor.
    TColor PointColor(int32_t index) const;
    // Label of a point, empty when it has none.
    const std::string& Labels(int32_t index) const;
    // The text of a point according to Marks.Style, possibly replaced by OnGetMarkText.
    std::string PointText(int32_t index) const;

    // Per-point colours; none until some point gets an explicit colour.
    const std::optional<std::vector<TColor>>& ColorList() const { return FColors; }
    // Per-point labels; shorter than Count when the last points have no label.
    const std::vector<std::string>& LabelsList() const { return FLabels; }

    // Statistics the axes use for their automatic range.
    virtual double HighestX() const { return FXValues.HighValue(); }
    virtual double LowestX() const { return FXValues.LowValue(); }
    virtual double HighestY() const { return FYValues.HighValue(); }
    virtual double LowestY() const { return FYValues.LowValue(); }
    // The value a mark shows for a point: the mandatory list's value.
    virtual double MarkValueOf(int32_t index) const { return MandatoryValueList().Values(index); }

    // ---- Positions on the axes (through the chart's TSeriesAxes) ----
    // The axis that scales X: the chart's top axis for aTopAxis, its bottom axis otherwise; none
    // while the series belongs to no chart with axes. GetVertAxis likewise: the right axis for
    // aRightAxis, the left axis otherwise.
    TChartAxis* GetHorizAxis() const;
    TChartAxis* GetVertAxis() const;
    // Pixel of point index along the horizontal (vertical) axis, clamped to the axis' pixel
    // limit; 0 without such an axis. Unchecked: the caller guarantees 0 <= index < Count.
    virtual int32_t PointPixelX(int32_t index) const;
    virtual int32_t PointPixelY(int32_t index) const;
    // Sets FirstVisibleIndex and LastVisibleIndex for the plot rectangle of the chart's last
    // layout: with X kept in order, the points from the first at or right of the plot's left
    // edge to the first at or beyond its right edge (binary search); otherwise all points. Both
    // are -1 when no point is visible.
    virtual void CalcVisibleIndices();
    // First and last point to draw, as the last CalcVisibleIndices found them (-1: none).
    int32_t FirstVisibleIndex() const { return FFirstVisibleIndex; }
    int32_t LastVisibleIndex() const { return FLastVisibleIndex; }
    // Drawing is limited to the points inside the horizontal axis' range (true by default).
    bool CalcVisiblePoints() const { return FCalcVisiblePoints; }

    // ---- Drawing hooks, called by the chart in its paint; the defaults draw nothing ----
    // The series is drawn against the chart's axes (false: a series that ignores them).
    virtual bool UsesAxes() const { return true; }
    // Called for every active series near the start of each paint.
    virtual void BeforePaint() {}
    // Raise the in/out pixel margins to what the points need at the left and right (top and
    // bottom) edges of the plot; the axes leave that room at their automatic ends.
    virtual void HorizontalPointMargins(int32_t& left, int32_t& right) const
    {
        (void)left;
        (void)right;
    }
    virtual void VerticalPointMargins(int32_t& top, int32_t& bottom) const
    {
        (void)top;
        (void)bottom;
    }
    // Draws the points FirstVisibleIndex..LastVisibleIndex on the chart's canvas.
    virtual void DrawAllValues() {}
    // Draws the visible marks (the chart calls it only while Marks.Visible is set).
    virtual void DrawMarks() {}
    // Index of the point (or the segment's first point) under the pixel, -1 for none.
    virtual int32_t PointAtPixel(int32_t x, int32_t y) const
    {
        (void)x;
        (void)y;
        return -1;
    }
    // The series reacts to the mouse over its points: a cursor of its own or an enter/leave
    // handler. The chart asks PointAtPixel only of such series.
    bool HasPointMouseReaction() const
    {
        return FCursor != 0 || static_cast<bool>(OnMouseEnter) || static_cast<bool>(OnMouseLeave);
    }
    // Cursor over the series' points (a screen cursor number; 0 = crDefault, none of its own).
    int32_t Cursor() const { return FCursor; }
    void SetCursor(int32_t value) { FCursor = value; }

    // Nestable; while changes are open, added points are not announced one by one. The last
    // EndChanges announces them once.
    void BeginChanges() { ++FUpdateDepth; }
    void EndChanges();
    int32_t UpdateDepth() const { return FUpdateDepth; }

    TColor SeriesColor() const { return FSeriesColor; }
    void SetSeriesColor(TColor value);
    void SetActive(bool value) override;
    bool ColorEachPoint() const { return FColorEachPoint; }
    void SetColorEachPoint(bool value);
    const std::string& ValueFormat() const { return FValueFormat; }
    void SetValueFormat(const std::string& value);
    const std::string& PercentFormat() const { return FPercentFormat; }
    void SetPercentFormat(const std::string& value);
    THorizAxis HorizAxis() const { return FHorizAxis; }
    void SetHorizAxis(THorizAxis value);
    TVertAxis VertAxis() const { return FVertAxis; }
    void SetVertAxis(TVertAxis value);
    TSeriesMarks& Marks() { return FMarks; }
    const TSeriesMarks& Marks() const { return FMarks; }

    TSeriesBeforeAddEvent OnBeforeAdd;
    TSeriesAfterAddEvent OnAfterAdd;
    TSeriesNotifyEvent OnClearValues;
    TSeriesGetMarkTextEvent OnGetMarkText;
    // Raised by the chart around DrawAllValues.
    TSeriesNotifyEvent BeforeDrawValues;
    TSeriesNotifyEvent AfterDrawValues;
    // Mouse over the series' points and clicks on them (the chart raises them).
    TSeriesNotifyEvent OnMouseEnter;
    TSeriesNotifyEvent OnMouseLeave;
    TSeriesClickEvent OnClick;
    TSeriesClickEvent OnDblClick;

protected:
    // Empties every value list, the labels and the colours.
    virtual void ClearValueLists();
    // Announces a point added at index: OnAfterAdd, dependants, repaint.
    virtual void PointAppended(int32_t index);
    // Tells the series that take this one as data source about a change. No series of this
    // program has dependants; a data-source series type overrides it.
    virtual void NotifyDependants(TSeriesDataChange change, int32_t index);
    // Removes a checked run of points from every list.
    virtual void DeletePointRange(int32_t start, int32_t count);
    // Text of X for smsXValue and smsXY: formatted with ValueFormat while the series has no
    // horizontal axis; the axis' label text once it has one.
    virtual std::string XValueText(int32_t index) const;
    // Text for smsLegend: what the legend shows for the point; the point's label text while the
    // series is shown without a legend.
    virtual std::string LegendText(int32_t index) const;

    // Registers a further value list (owned by the derived series) after X and Y.
    void AddValueList(TChartValueList& list) { FValueLists.push_back(&list); }
    // For series whose values run along X (horizontal bars).
    void SetYMandatory(bool value) { FYMandatory = value; }
    // For series types that always draw all their points.
    void SetCalcVisiblePoints(bool value) { FCalcVisiblePoints = value; }
    // The visible range, for series types that compute it their own way.
    void SetVisibleIndices(int32_t first, int32_t last)
    {
        FFirstVisibleIndex = first;
        FLastVisibleIndex = last;
    }

private:
    void CheckPointRange(int32_t start, int32_t count) const;
    void RemovePoints(int32_t start, int32_t count);
    std::string ValueText(int32_t index) const;
    std::string LabelText(int32_t index) const;
    std::string PercentText(int32_t index) const;
    std::string PercentTotalText(int32_t index) const;

    TChartValueList FXValues;
    TChartValueList FYValues;
    std::vector<TChartValueList*> FValueLists;
    std::vector<std::pair<int32_t, TSeriesNotifyEvent>> FFreeNotifications;
    int32_t FNextFreeNotification = 1;
    bool FYMandatory = true;
    std::vector<std::string> FLabels;
    std::optional<std::vector<TColor>> FColors;
    TColor FSeriesColor = clDefault;
    bool FColorEachPoint = false;
    std::string FValueFormat = "#,##0.###";
    std::string FPercentFormat = "##0.## %";
    // The chart's axes; none while the series belongs to no chart with axes.
    TSeriesAxes* Axes() const;
    THorizAxis FHorizAxis = aBottomAxis;
    TVertAxis FVertAxis = aLeftAxis;
    TSeriesMarks FMarks{*this};
    int32_t FUpdateDepth = 0;
    int32_t FFirstVisibleIndex = -1;
    int32_t FLastVisibleIndex = -1;
    bool FCalcVisiblePoints = true;
    int32_t FCursor = 0;
};
