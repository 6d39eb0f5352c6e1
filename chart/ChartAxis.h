#pragma once
// Chart axes: the value range an axis shows (fixed or taken from the series), the mapping of
// values to pixels and back, the step between labels and the label values, and the drawing of
// the axis (title, labels, line, ticks, grid, minor ticks). The axis reaches its chart only
// through TAxisOwner, which the chart control implements.
//
// Inside, the work is split by job: range and pixel mapping (TAxisMapping, chart/AxisMapping.h),
// step and label values (free functions of the scale, chart/AxisSteps.h; the axis measures two
// label texts), label texts (number formats and date-times, chart/NumberFormat.h) and their
// cache (TAxisLabelCache), and the drawing, which is the axis' own.
#include "chart/AxisLabelCache.h"
#include "chart/AxisMapping.h"
#include "chart/AxisSteps.h"
#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "platform/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Units of a position or margin: percent of an extent, or pixels.
enum TChartUnits
{
    muPercent,
    muPixels
};

// What the labels of an axis show. talAuto resolves to talText when a series along the axis has
// point labels, else to talValue while series are attached, else to talNone.
enum TAxisLabelStyle
{
    talAuto,
    talNone,
    talValue,
    talMark,
    talText
};

// alOpposite aligns a vertical axis' labels to the outer edge of their band.
enum TAxisLabelAlign
{
    alDefault,
    alOpposite
};

class TChartAxis;

// Everything an axis, and a series' pixel mapping, needs of its chart. The chart control
// implements it (and answers TChartHost::AxisOwner with itself).
class TAxisOwner : public TSeriesAxes
{
public:
    virtual ~TAxisOwner() = default;

    // The canvas all chart drawing and text measurement go through.
    virtual TChartCanvas& AxisCanvas() = 0;
    // The plotting rectangle of the current (or last) layout.
    virtual TRect AxisPlotRect() const = 0;
    // The chart's series in list order.
    virtual int32_t SeriesCount() const = 0;
    virtual TChartSeries& SeriesAt(int32_t index) const = 0;
    // Master switch of all axes.
    virtual bool AxisVisible() const = 0;
    // The standard axes.
    virtual TChartAxis& BottomAxis() = 0;
    virtual TChartAxis& TopAxis() = 0;
    virtual TChartAxis& LeftAxis() = 0;
    virtual TChartAxis& RightAxis() = 0;
    // Repaint request (dropped while the chart draws itself).
    virtual void Invalidate() = 0;
    // The chart's stored properties are being applied: range checks of the axes are skipped and
    // Automatic does not set its two partners.
    virtual bool ChartIsLoading() const = 0;
    // The chart's label event: may change the text of the label of value on axis before blanks
    // become line breaks. The default leaves the text as it is.
    virtual void GetAxisLabel(const TChartAxis& axis, double value, std::string& text)
    {
        (void)axis;
        (void)value;
        (void)text;
    }

    // What a series reads of the axes (TSeriesAxes), answered from the axes above.
    TChartAxis* HorizAxisAt(THorizAxis which) final;
    TChartAxis* VertAxisAt(TVertAxis which) final;
    const TAxisMapping& HorizMapping(THorizAxis which) final;
    const TAxisMapping& VertMapping(TVertAxis which) final;
    void PlotEdgeValues(THorizAxis which, double& low, double& high) final;
    std::string AxisLabelText(THorizAxis which, double value) final;

protected:
    TAxisOwner() = default;
    TAxisOwner(const TAxisOwner&) = default;
    TAxisOwner& operator=(const TAxisOwner&) = default;
};

// The grid pen: grey (0x808080), dotted. A grid whose colour is clDefault draws grey too.
class TAxisGridPen : public TChartPen
{
public:
    TAxisGridPen();
};

// The axis title: caption, font and angle (90 for vertical axes, 0 for horizontal ones).
class TChartAxisTitle
{
public:
    explicit TChartAxisTitle(TChartAxis& axis);
    TChartAxisTitle(const TChartAxisTitle&) = delete;
    TChartAxisTitle& operator=(const TChartAxisTitle&) = delete;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    int32_t Angle() const { return FAngle; }
    void SetAngle(int32_t value);
    TChartFont& Font() { return FFont; }
    const TChartFont& Font() const { return FFont; }

private:
    friend class TChartAxis; // sets the angle of a new axis without a repaint request

    TChartAxis& FAxis;
    std::string FCaption;
    bool FVisible = true;
    int32_t FAngle = 0;
    TChartFont FFont;
};

class TChartAxis
{
public:
    // A standard axis: bottom (horizontal), top (horizontal, other side), left, right (vertical,
    // other side); the depth axis is vertical-less and only flags itself. The constructor asks
    // nothing of the owner, so a chart may create its axes while it is being built.
    TChartAxis(TAxisOwner& owner, bool horizontal, bool otherSide, bool depthAxis = false);
    ~TChartAxis();
    TChartAxis(const TChartAxis&) = delete;
    TChartAxis& operator=(const TChartAxis&) = delete;

    TAxisOwner& Owner() const { return FOwner; }

    // ---- Range settings ----
    bool Automatic() const { return FAutomatic; }
    void SetAutomatic(bool value);
    bool AutomaticMaximum() const { return FAutomaticMaximum; }
    void SetAutomaticMaximum(bool value);
    bool AutomaticMinimum() const { return FAutomaticMinimum; }
    void SetAutomaticMinimum(bool value);
    // Raise EChartException ("Axis Maximum Value must be >= Minimum", "Axis Minimum Value must
    // be <= Maximum") for a value on the wrong side of the other end, or not finite, and keep the
    // old value. While the chart is loading only non-finite values are refused.
    double Maximum() const { return FMaximum; }
    void SetMaximum(double value);
    double Minimum() const { return FMinimum; }
    void SetMinimum(double value);
    // Smallest step between labels, 0 = automatic; EChartException ("Axis increment must be
    // >= 0") for a negative or not-a-number value.
    double Increment() const { return FIncrement; }
    void SetIncrement(double value);
    // Sets both ends (swapped when min > max, at least AxisSmallestRange apart) and switches the
    // three automatic flags off.
    void SetScaleRange(double minimum, double maximum);

    bool Inverted() const { return FInverted; }
    void SetInverted(bool value);
    bool Horizontal() const { return FHorizontal; }
    void SetHorizontal(bool value);
    bool OtherSide() const { return FOtherSide; }
    void SetOtherSide(bool value);
    bool IsDepthAxis() const { return FDepthAxis; }
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool value);
    // Base of the label values of a logarithmic axis; values <= 1 are refused with
    // EChartException ("Axis logarithmic base must be > 1").
    double LogarithmicBase() const { return FLogarithmicBase; }
    void SetLogarithmicBase(double value);
    const std::string& AxisValuesFormat() const { return FAxisValuesFormat; }
    void SetAxisValuesFormat(const std::string& value);
    const std::string& DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const std::string& value);
    bool ExactDateTime() const { return FExactDateTime; }
    void SetExactDateTime(bool value);
    bool RoundFirstLabel() const { return FRoundFirstLabel; }
    void SetRoundFirstLabel(bool value);
    // Extra room between labels in percent of a label's size.
    int32_t LabelsSeparation() const { return FLabelsSeparation; }
    void SetLabelsSeparation(int32_t value);
    // Fixed label size in pixels; 0 = measure.
    int32_t LabelsSize() const { return FLabelsSize; }
    void SetLabelsSize(int32_t value);
    // Degrees, kept in 0..359. Labels are drawn upright; the angle sets the room they take
    // along the axis (step) and across it (ReserveRoom).
    int32_t LabelsAngle() const { return FLabelsAngle; }
    void SetLabelsAngle(int32_t value);
    TAxisLabelStyle LabelStyle() const { return FLabelStyle; }
    void SetLabelStyle(TAxisLabelStyle value);
    bool LabelsOnAxis() const { return FLabelsOnAxis; }
    void SetLabelsOnAxis(bool value);
    // Part of the plot's extent the axis spans, in percent.
    double StartPosition() const { return FStartPosition; }
    void SetStartPosition(double value);
    double EndPosition() const { return FEndPosition; }
    void SetEndPosition(double value);
    // Extra pixels of room at the low and high end.
    int32_t MinimumOffset() const { return FMinimumOffset; }
    void SetMinimumOffset(int32_t value);
    int32_t MaximumOffset() const { return FMaximumOffset; }
    void SetMaximumOffset(int32_t value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);

    // ---- Drawing settings ----
    TChartAxisPen& Axis() { return FAxisPen; }
    const TChartAxisPen& Axis() const { return FAxisPen; }
    TDarkGrayPen& Ticks() { return FTicks; }
    const TDarkGrayPen& Ticks() const { return FTicks; }
    int32_t TickLength() const { return FTickLength; }
    void SetTickLength(int32_t value);
    TDarkGrayPen& TicksInner() { return FTicksInner; }
    const TDarkGrayPen& TicksInner() const { return FTicksInner; }
    int32_t TickInnerLength() const { return FTickInnerLength; }
    void SetTickInnerLength(int32_t value);
    TDarkGrayPen& MinorTicks() { return FMinorTicks; }
    const TDarkGrayPen& MinorTicks() const { return FMinorTicks; }
    int32_t MinorTickLength() const { return FMinorTickLength; }
    void SetMinorTickLength(int32_t value);
    // Minor ticks per interval, clamped to 0..1000.
    int32_t MinorTickCount() const { return FMinorTickCount; }
    void SetMinorTickCount(int32_t value);
    TAxisGridPen& Grid() { return FGrid; }
    const TAxisGridPen& Grid() const { return FGrid; }
    bool GridCentered() const { return FGridCentered; }
    void SetGridCentered(bool value);
    TChartHiddenPen& MinorGrid() { return FMinorGrid; }
    const TChartHiddenPen& MinorGrid() const { return FMinorGrid; }
    bool TickOnLabelsOnly() const { return FTickOnLabelsOnly; }
    void SetTickOnLabelsOnly(bool value);
    // The labels are visible.
    bool Labels() const { return FLabels; }
    void SetLabels(bool value);
    TChartFont& LabelsFont() { return FLabelsFont; }
    const TChartFont& LabelsFont() const { return FLabelsFont; }
    TAxisLabelAlign LabelsAlign() const { return FLabelsAlign; }
    void SetLabelsAlign(TAxisLabelAlign value);
    // Blanks in label texts become line breaks.
    bool LabelsMultiLine() const { return FLabelsMultiLine; }
    void SetLabelsMultiLine(bool value);
    // Exponent drawing of labels; kept as a setting, labels are drawn plain.
    bool LabelsExponent() const { return FLabelsExponent; }
    void SetLabelsExponent(bool value);
    TChartAxisTitle& Title() { return FTitle; }
    const TChartAxisTitle& Title() const { return FTitle; }
    // Fixed title size; 0 = measure.
    int32_t TitleSize() const { return FTitleSize; }
    void SetTitleSize(int32_t value);
    // Shifts the axis line and its labels away from the plot edge.
    double PositionPercent() const { return FPositionPercent; }
    void SetPositionPercent(double value);
    TChartUnits PositionUnits() const { return FPositionUnits; }
    void SetPositionUnits(TChartUnits value);

    // ---- Computed state ----
    double ScaleMinimum() const { return FScaleMinimum; }
    double ScaleMaximum() const { return FScaleMaximum; }
    double ScaleRange() const { return FMapping.Range(); }
    bool RangeIsZero() const { return FMapping.RangeIsZero(); }
    double PixelsPerUnit() const { return FMapping.PixelsPerUnit(); }
    int32_t StartPixel() const { return FStartPixel; }
    int32_t EndPixel() const { return FEndPixel; }
    int32_t AxisLength() const { return FMapping.Length(); }
    int32_t CenterPixel() const { return FMapping.CenterPixel(); }
    bool IsDateTimeAxis() const { return FIsDateTimeAxis; }
    // Pixels of the labels of the last DrawAxis, in the order produced (highest value first).
    const std::vector<int32_t>& TickPositions() const { return FTickPositions; }
    int32_t AxisLinePos() const { return FAxisLinePos; }
    int32_t LabelsPos() const { return FLabelsPos; }
    int32_t TitlePos() const { return FTitlePos; }
    // The step the last ComputeIncrement chose.
    double LastIncrement() const { return FLastIncrement; }

    // ---- Scaling ----
    // Sets Maximum and/or Minimum from the chart's series when automatic, then the scale range.
    void ComputeAutoRange();
    // The largest (smallest) value of the series attached to the axis; 0 when none qualifies.
    double MaxSeriesValue() const;
    double MinSeriesValue() const;
    // Start and end pixel from the chart's plot rectangle and StartPosition/EndPosition.
    void PlaceOnChart();
    // Places the axis on an explicit rectangle (PlaceOnChart uses the chart's plot rectangle).
    void PlaceOnRect(const TRect& plotRect);
    // Widens the range so that the old range fills the axis shortened by lowPixels at its low
    // end (left or bottom) and highPixels at its high end (right or top), MinimumOffset and
    // MaximumOffset added, whether or not the scale is inverted. Leaves the range as it is when
    // the margins would leave the axis shorter than one pixel.
    void WidenForMargins(int32_t lowPixels, int32_t highPixels);
    // Collects the pixel margins the active series on the axis need at its automatic ends and
    // widens the range for them (WidenForMargins).
    void WidenForSeriesMargins();
    // Sets the scale range directly (no automatic range), recomputing the derived fields.
    void SetScaleMinMax(double minimum, double maximum);

    // Pixel of value v, clamped to +-AxisPixelLimit (a value that is not a number maps to
    // -AxisPixelLimit), through the axis' mapping.
    int32_t ValueToPixel(double v) const { return FMapping.ValueToPixel(v); }
    // Value at pixel p; 0 on an axis shorter than one pixel.
    double PixelToValue(int32_t p) const { return FMapping.PixelToValue(p); }
    // The mapping of values to pixels, chosen when the range or the placement changes; code that
    // converts many values at once takes it so that it maps exactly as the axis does.
    const TAxisMapping& Mapping() const { return FMapping; }

    // ---- Labels ----
    // Labels that fit along the axis when one label takes size pixels.
    int32_t MaxLabelCount(int32_t size) const;
    // The step between labels for the current range and placement; measures the labels of the
    // two ends with LabelsFont on the chart's canvas.
    double ComputeIncrement();
    // The step for a label count (no measuring): the automatic or given step made nice.
    double IncrementForLabelCount(int32_t labelCount) const;
    // Next step in the series 1, 2, 5, 10, 20, 50, ... (and 0.1, 0.2, 0.5 below 1) above x.
    static double NextNiceStep(double x);
    // The label style after resolving talAuto against the series on the axis.
    TAxisLabelStyle ResolvedLabelStyle() const;
    // Calls visit(value) for each label value of the step, from the highest down (nothing for
    // a step <= 0, an inverted range, or 10000 positions or more).
    void ProduceLabelValues(double step, const std::function<void(double)>& visit) const;
    // The text of the label of value v: the date-time or number format (cached per value until
    // the format, the range or the step changes), then the chart's label event (GetAxisLabel of
    // the owner; not while the room of the labels is measured), then blanks made line breaks
    // with LabelsMultiLine.
    std::string LabelText(double v) const;
    // Size of a label text along the axis, measured with the currently selected font (cached per
    // text until LabelsFont changes).
    int32_t LabelSizeAlongAxis(const std::string& text);
    // Width of the widest line of a label text in the selected font (cached).
    int32_t LabelWidth(const std::string& text);

    // ---- Drawing ----
    // Pixels of the axis line and ticks.
    int32_t StripSize() const;
    // Shrinks rect (the plot rectangle being laid out) by the room of the title, labels and
    // ticks on the axis' side, and sets TitlePos and LabelsPos.
    void ReserveRoom(TRect& rect);
    // Draws the whole axis for the chart's plot rectangle.
    void DrawAxis();
    // Draws one label text at the reference point with the axis' alignment.
    void DrawLabel(int32_t x, int32_t y, const std::string& text);

    // Called by the owned pens, fonts and title on a change.
    void Changed();

private:
    void SetRangeEnd(double& field, double value, bool isMaximum);
    void RecalcDerived();
    bool SeriesOnAxis(const TChartSeries& series) const;
    // Highest or lowest value of the series on this axis (0 when none has points).
    double SeriesValueExtent(bool highest) const;
    bool UsesDateTime() const;
    void CalcIsDateTimeAxis();
    int64_t PositionOffset() const;
    void SelectLabelsFont();
    void ClearTextCache() const;
    void ClearSizeCache();
    std::string MakeLabelText(double v) const;
    // The numbers the label steps and values depend on (AxisSteps).
    TAxisScale Scale() const;
    void ProduceTextLabels(TAxisLabelStyle style);
    void VisitLabel(double value, const std::string& text);
    void DrawTicks(const std::vector<int32_t>& positions, int64_t offset, int64_t length,
                   bool insideOnly);
    void DrawGridLines(const std::vector<int32_t>& positions);
    std::vector<int32_t> MinorTickPositions() const;
    void DrawTitle();

    TAxisOwner& FOwner;

    bool FAutomatic = true;
    bool FAutomaticMaximum = true;
    bool FAutomaticMinimum = true;
    double FMaximum = 0;
    double FMinimum = 0;
    double FIncrement = 0;
    bool FInverted = false;
    bool FHorizontal;
    bool FOtherSide;
    bool FDepthAxis;
    bool FLogarithmic = false;
    double FLogarithmicBase = 10;
    std::string FAxisValuesFormat = "#,##0.###";
    std::string FDateTimeFormat;
    bool FExactDateTime = true;
    bool FRoundFirstLabel = true;
    int32_t FLabelsSeparation = 10;
    int32_t FLabelsSize = 0;
    int32_t FLabelsAngle = 0;
    TAxisLabelStyle FLabelStyle = talAuto;
    bool FLabelsOnAxis = true;
    double FStartPosition = 0;
    double FEndPosition = 100;
    int32_t FMinimumOffset = 0;
    int32_t FMaximumOffset = 0;
    bool FVisible = true;

    TChartAxisPen FAxisPen;
    TDarkGrayPen FTicks;
    int32_t FTickLength = 4;
    TDarkGrayPen FTicksInner;
    int32_t FTickInnerLength = 0;
    TDarkGrayPen FMinorTicks;
    int32_t FMinorTickLength = 2;
    int32_t FMinorTickCount = 3;
    TAxisGridPen FGrid;
    bool FGridCentered = false;
    TChartHiddenPen FMinorGrid;
    bool FTickOnLabelsOnly = true;
    bool FLabels = true;
    TChartFont FLabelsFont;
    TAxisLabelAlign FLabelsAlign = alDefault;
    bool FLabelsMultiLine = false;
    bool FLabelsExponent = false;
    TChartAxisTitle FTitle;
    int32_t FTitleSize = 0;
    int32_t FLabelsBandSize = 0;       // labels size of the last ReserveRoom
    int32_t FTitleBandSize = 0;        // title size of the last ReserveRoom (0: no title)
    bool FLabelEventSuspended = false; // ReserveRoom measures the labels without the event
    double FPositionPercent = 0;
    TChartUnits FPositionUnits = muPercent;

    double FScaleMinimum = 0;
    double FScaleMaximum = 0;
    int32_t FStartPixel = 0;
    int32_t FEndPixel = 0;
    bool FIsDateTimeAxis = false;
    std::vector<int32_t> FTickPositions;
    int32_t FAxisLinePos = 0;
    int32_t FLabelsPos = 0;
    int32_t FTitlePos = 0;
    double FLastIncrement = 0;

    // The mapping RecalcDerived builds from the range, the placement and the direction.
    TAxisMapping FMapping;

    // Label texts by value and label widths by text; see LabelText and LabelWidth.
    mutable TAxisLabelCache FLabelCache;
};
