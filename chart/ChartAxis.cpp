#include "chart/ChartAxis.h"

#include "chart/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>

namespace {

// Grey of ticks and of a grid whose colour is clDefault.
constexpr TColor AxisGrey = 0x808080;

// The lines of a label text, split at the chart's line separator.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(ChartLineSeparator, start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

int32_t LineCount(const std::string& text)
{
    return 1 + static_cast<int32_t>(std::count(text.begin(), text.end(), ChartLineSeparator));
}

bool IsUprightAngle(int32_t angle)
{
    return angle == 0 || angle == 180;
}

// A text turned a quarter either way: its lines run across the reading direction.
bool IsQuarterTurn(int32_t angle)
{
    return angle == 90 || angle == 270;
}

// A text at this angle takes one line height per line across an axis of this direction: upright
// texts across a horizontal axis, quarter-turned ones across a vertical axis. Any other angle
// (45 degrees, say) takes the width of the text.
bool TakesLinesAcross(bool horizontal, int32_t angle)
{
    return horizontal ? IsUprightAngle(angle) : IsQuarterTurn(angle);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Pens and title

TAxisGridPen::TAxisGridPen()
{
    SetColor(AxisGrey);
    SetStyle(psDot);
}

TChartAxisTitle::TChartAxisTitle(TChartAxis& axis) : FAxis(axis)
{
    FFont.OnChange = [this](TFont*) { FAxis.Changed(); };
}

void TChartAxisTitle::SetCaption(const std::string& value)
{
    if (FCaption != value) {
        FCaption = value;
        FAxis.Changed();
    }
}

void TChartAxisTitle::SetVisible(bool value)
{
    if (FVisible != value) {
        FVisible = value;
        FAxis.Changed();
    }
}

void TChartAxisTitle::SetAngle(int32_t value)
{
    if (FAngle != value) {
        FAngle = value;
        FAxis.Changed();
    }
}

// ---------------------------------------------------------------------------------------------
// TChartAxis: settings

TChartAxis::TChartAxis(TAxisOwner& owner, bool horizontal, bool otherSide, bool depthAxis)
    : FOwner(owner), FHorizontal(horizontal), FOtherSide(otherSide), FDepthAxis(depthAxis),
      FTitle(*this)
{
    // The title of a vertical axis reads upwards. Set directly: the owner may still be under
    // construction and must not be asked to repaint.
    FTitle.FAngle = horizontal ? 0 : 90;
    auto penChanged = [this](TPen*) { Changed(); };
    FAxisPen.OnChange = penChanged;
    FTicks.OnChange = penChanged;
    FTicksInner.OnChange = penChanged;
    FMinorTicks.OnChange = penChanged;
    FGrid.OnChange = penChanged;
    FMinorGrid.OnChange = penChanged;
    FLabelsFont.OnChange = [this](TFont*) {
        ClearSizeCache();
        Changed();
    };
    RecalcDerived();
}

TChartAxis::~TChartAxis() = default;

void TChartAxis::Changed()
{
    FOwner.Invalidate();
}

void TChartAxis::SetAutomatic(bool value)
{
    if (FAutomatic == value) {
        return;
    }
    FAutomatic = value;
    if (!FOwner.ChartIsLoading()) {
        FAutomaticMaximum = value;
        FAutomaticMinimum = value;
    }
    Changed();
}

void TChartAxis::SetAutomaticMaximum(bool value)
{
    if (FAutomaticMaximum == value) {
        return;
    }
    FAutomaticMaximum = value;
    if (!value) {
        FAutomatic = false;
    } else if (FAutomaticMinimum) {
        FAutomatic = true;
    }
    Changed();
}

void TChartAxis::SetAutomaticMinimum(bool value)
{
    if (FAutomaticMinimum == value) {
        return;
    }
    FAutomaticMinimum = value;
    if (!value) {
        FAutomatic = false;
    } else if (FAutomaticMaximum) {
        FAutomatic = true;
    }
    Changed();
}

void TChartAxis::SetRangeEnd(double& field, double value, bool isMaximum)
{
    const bool loading = FOwner.ChartIsLoading();
    const bool wrongSide = isMaximum ? value < FMinimum : value > FMaximum;
    if (!std::isfinite(value) || (!loading && wrongSide)) {
        throw EChartException(isMaximum ? "Axis Maximum Value must be >= Minimum"
                                        : "Axis Minimum Value must be <= Maximum");
    }
    if (field != value) {
        field = value;
        Changed();
    }
}

void TChartAxis::SetMaximum(double value)
{
    SetRangeEnd(FMaximum, value, true);
}

void TChartAxis::SetMinimum(double value)
{
    SetRangeEnd(FMinimum, value, false);
}

void TChartAxis::SetIncrement(double value)
{
    if (!(value >= 0)) {
        throw EChartException("Axis increment must be >= 0");
    }
    if (FIncrement != value) {
        FIncrement = value;
        Changed();
    }
}

void TChartAxis::SetScaleRange(double minimum, double maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        throw EChartException("Axis Minimum Value must be <= Maximum");
    }
    if (minimum > maximum) {
        std::swap(minimum, maximum);
    }
    FMinimum = minimum;
    FMaximum = maximum;
    FAutomatic = false;
    FAutomaticMaximum = false;
    FAutomaticMinimum = false;
    if (FMaximum - FMinimum < AxisSmallestRange) {
        FMaximum = FMinimum + AxisSmallestRange;
    }
    SetScaleMinMax(FMinimum, FMaximum);
    Changed();
}

#define AXIS_SETTER(Name, Type, Field)                                                             \
    void TChartAxis::Set##Name(Type value)                                                         \
    {                                                                                              \
        if (Field != value) {                                                                      \
            Field = value;                                                                         \
            Changed();                                                                             \
        }                                                                                          \
    }

AXIS_SETTER(OtherSide, bool, FOtherSide)
AXIS_SETTER(ExactDateTime, bool, FExactDateTime)
AXIS_SETTER(RoundFirstLabel, bool, FRoundFirstLabel)
AXIS_SETTER(LabelsSeparation, int32_t, FLabelsSeparation)
AXIS_SETTER(LabelsSize, int32_t, FLabelsSize)
AXIS_SETTER(LabelStyle, TAxisLabelStyle, FLabelStyle)
AXIS_SETTER(LabelsOnAxis, bool, FLabelsOnAxis)
AXIS_SETTER(StartPosition, double, FStartPosition)
AXIS_SETTER(EndPosition, double, FEndPosition)
AXIS_SETTER(MinimumOffset, int32_t, FMinimumOffset)
AXIS_SETTER(MaximumOffset, int32_t, FMaximumOffset)
AXIS_SETTER(Visible, bool, FVisible)
AXIS_SETTER(TickLength, int32_t, FTickLength)
AXIS_SETTER(TickInnerLength, int32_t, FTickInnerLength)
AXIS_SETTER(MinorTickLength, int32_t, FMinorTickLength)
AXIS_SETTER(GridCentered, bool, FGridCentered)
AXIS_SETTER(TickOnLabelsOnly, bool, FTickOnLabelsOnly)
AXIS_SETTER(Labels, bool, FLabels)
AXIS_SETTER(LabelsAlign, TAxisLabelAlign, FLabelsAlign)
AXIS_SETTER(LabelsExponent, bool, FLabelsExponent)
AXIS_SETTER(TitleSize, int32_t, FTitleSize)
AXIS_SETTER(PositionPercent, double, FPositionPercent)
AXIS_SETTER(PositionUnits, TChartUnits, FPositionUnits)

#undef AXIS_SETTER

void TChartAxis::SetHorizontal(bool value)
{
    if (FHorizontal != value) {
        FHorizontal = value;
        RecalcDerived(); // the mapping runs the other way
        Changed();
    }
}

void TChartAxis::SetInverted(bool value)
{
    if (FInverted != value) {
        FInverted = value;
        RecalcDerived();
        Changed();
    }
}

void TChartAxis::SetLogarithmic(bool value)
{
    if (FLogarithmic != value) {
        FLogarithmic = value;
        RecalcDerived();
        Changed();
    }
}

void TChartAxis::SetLogarithmicBase(double value)
{
    if (!(value > 1) || std::isinf(value)) {
        throw EChartException("Axis logarithmic base must be > 1");
    }
    if (FLogarithmicBase != value) {
        FLogarithmicBase = value;
        Changed();
    }
}

void TChartAxis::SetAxisValuesFormat(const std::string& value)
{
    if (value.size() > kMaxFormatPatternLength) {
        throw EConvertError("Format string too long");
    }
    if (FAxisValuesFormat != value) {
        FAxisValuesFormat = value;
        ClearTextCache();
        Changed();
    }
}

void TChartAxis::SetDateTimeFormat(const std::string& value)
{
    if (FDateTimeFormat != value) {
        FDateTimeFormat = value;
        ClearTextCache();
        Changed();
    }
}

void TChartAxis::SetLabelsMultiLine(bool value)
{
    if (FLabelsMultiLine != value) {
        FLabelsMultiLine = value;
        ClearTextCache();
        Changed();
    }
}

void TChartAxis::SetLabelsAngle(int32_t value)
{
    // Kept in 0..359. Labels are drawn upright; the angle decides the room they take.
    int32_t angle = value % 360;
    if (angle < 0) {
        angle += 360;
    }
    if (FLabelsAngle != angle) {
        FLabelsAngle = angle;
        Changed();
    }
}

void TChartAxis::SetMinorTickCount(int32_t value)
{
    value = std::clamp(value, 0, 1000);
    if (FMinorTickCount != value) {
        FMinorTickCount = value;
        Changed();
    }
}

// ---------------------------------------------------------------------------------------------
// TChartAxis: range and pixel mapping

bool TChartAxis::SeriesOnAxis(const TChartSeries& series) const
{
    if (FDepthAxis) {
        return false;
    }
    if (FHorizontal) {
        return series.HorizAxis() == aBothHorizAxis || series.GetHorizAxis() == this;
    }
    return series.VertAxis() == aBothVertAxis || series.GetVertAxis() == this;
}

double TChartAxis::SeriesValueExtent(bool highest) const
{
    // Only the active series count while any series on this axis is active; otherwise all do.
    bool anyActive = false;
    for (int32_t i = 0; i < FOwner.SeriesCount() && !anyActive; ++i) {
        const TChartSeries& s = FOwner.SeriesAt(i);
        anyActive = s.Active() && SeriesOnAxis(s);
    }
    bool found = false;
    double result = 0;
    for (int32_t i = 0; i < FOwner.SeriesCount(); ++i) {
        const TChartSeries& s = FOwner.SeriesAt(i);
        if ((s.Active() || !anyActive) && s.Count() > 0 && SeriesOnAxis(s)) {
            const double v = highest ? (FHorizontal ? s.HighestX() : s.HighestY())
                                     : (FHorizontal ? s.LowestX() : s.LowestY());
            result = !found ? v : highest ? std::max(result, v) : std::min(result, v);
            found = true;
        }
    }
    return result;
}

double TChartAxis::MaxSeriesValue() const
{
    return SeriesValueExtent(true);
}

double TChartAxis::MinSeriesValue() const
{
    return SeriesValueExtent(false);
}

void TChartAxis::ComputeAutoRange()
{
    CalcIsDateTimeAxis();
    if (FAutomatic || FAutomaticMaximum) {
        FMaximum = MaxSeriesValue();
    }
    if (FAutomatic || FAutomaticMinimum) {
        FMinimum = MinSeriesValue();
    }
    SetScaleMinMax(FMinimum, FMaximum);
}

void TChartAxis::SetScaleMinMax(double minimum, double maximum)
{
    if (minimum != FScaleMinimum || maximum != FScaleMaximum) {
        FScaleMinimum = minimum;
        FScaleMaximum = maximum;
        ClearTextCache();
    }
    RecalcDerived();
}

void TChartAxis::RecalcDerived()
{
    FMapping = TAxisMapping(FStartPixel, FEndPixel, FScaleMinimum, FScaleMaximum, FHorizontal,
                            FInverted, FLogarithmic);
}

void TChartAxis::PlaceOnRect(const TRect& plotRect)
{
    const int32_t origin = FHorizontal ? plotRect.Left : plotRect.Top;
    const double extent = FHorizontal ? plotRect.Width() : plotRect.Height();
    FStartPixel =
        SaturateInt32(origin + static_cast<int64_t>(RoundToInt32(extent * 0.01 * FStartPosition)));
    FEndPixel =
        SaturateInt32(origin + static_cast<int64_t>(RoundToInt32(extent * 0.01 * FEndPosition)));
    RecalcDerived();
}

void TChartAxis::PlaceOnChart()
{
    PlaceOnRect(FOwner.AxisPlotRect());
}

void TChartAxis::WidenForMargins(int32_t lowPixels, int32_t highPixels)
{
    const int64_t low = static_cast<int64_t>(lowPixels) + FMinimumOffset;
    const int64_t high = static_cast<int64_t>(highPixels) + FMaximumOffset;
    // The low end is the left or bottom end, the high end the right or top end: the start pixel
    // is the low end on a horizontal axis and the high end on a vertical one. The room stays on
    // its side when the scale is inverted; only the values shown there change.
    const bool startIsLow = FHorizontal;
    const int64_t a = startIsLow ? low : high;
    const int64_t b = startIsLow ? high : low;
    // No margins leave the range exactly as it is; margins that leave no pixel of axis would
    // collapse it, so they are ignored.
    if ((a == 0 && b == 0) || static_cast<int64_t>(AxisLength()) - a - b < 1) {
        return;
    }
    const int32_t oldStart = FStartPixel;
    const int32_t oldEnd = FEndPixel;
    FStartPixel = SaturateInt32(oldStart + a);
    FEndPixel = SaturateInt32(oldEnd - b);
    RecalcDerived();
    double lowEnd = PixelToValue(oldStart);
    double highEnd = PixelToValue(oldEnd);
    FStartPixel = oldStart;
    FEndPixel = oldEnd;
    if (lowEnd > highEnd) {
        std::swap(lowEnd, highEnd);
    }
    SetScaleMinMax(lowEnd, highEnd);
}

void TChartAxis::WidenForSeriesMargins()
{
    int32_t low = 0;
    int32_t high = 0;
    for (int32_t i = 0; i < FOwner.SeriesCount(); ++i) {
        const TChartSeries& s = FOwner.SeriesAt(i);
        if (!s.Active() || !SeriesOnAxis(s)) {
            continue;
        }
        int32_t first = 0;
        int32_t second = 0;
        if (FHorizontal) {
            s.HorizontalPointMargins(first, second); // left, right
            if (FAutomaticMinimum) {
                low = std::max(low, first);
            }
            if (FAutomaticMaximum) {
                high = std::max(high, second);
            }
        } else {
            s.VerticalPointMargins(first, second); // top, bottom
            if (FAutomaticMaximum) {
                high = std::max(high, first);
            }
            if (FAutomaticMinimum) {
                low = std::max(low, second);
            }
        }
    }
    WidenForMargins(low, high);
}

bool TChartAxis::UsesDateTime() const
{
    for (int32_t i = 0; i < FOwner.SeriesCount(); ++i) {
        const TChartSeries& s = FOwner.SeriesAt(i);
        if (s.Active() && SeriesOnAxis(s)) {
            return FHorizontal ? s.XValues().DateTime() : s.YValues().DateTime();
        }
    }
    return false;
}

void TChartAxis::CalcIsDateTimeAxis()
{
    const bool value = UsesDateTime();
    if (value != FIsDateTimeAxis) {
        FIsDateTimeAxis = value;
        ClearTextCache();
    }
}

// ---------------------------------------------------------------------------------------------
// TChartAxis: step and label values

int32_t TChartAxis::MaxLabelCount(int32_t size) const
{
    if (size <= 0) {
        return 1;
    }
    int64_t s = size;
    if (FLabelsSeparation > 0) {
        s += RoundToInt32(FLabelsSeparation * 0.01 * size);
    }
    return RoundToInt32(static_cast<double>(AxisLength()) / static_cast<double>(s));
}

double TChartAxis::NextNiceStep(double x)
{
    return ::NextNiceStep(x);
}

double TChartAxis::IncrementForLabelCount(int32_t labelCount) const
{
    // Few points along the axis: no automatic step below one, so labels do not fall between
    // points.
    bool atLeastOne = false;
    if (labelCount >= 1 && !FIsDateTimeAxis && !(FIncrement > 0) && ScaleRange() != 0) {
        for (int32_t i = 0; i < FOwner.SeriesCount(); ++i) {
            const TChartSeries& s = FOwner.SeriesAt(i);
            const bool freeAlongAxis = FHorizontal ? s.YMandatory() : !s.YMandatory();
            if (s.Active() && freeAlongAxis && s.Count() <= labelCount && SeriesOnAxis(s)) {
                atLeastOne = true;
                break;
            }
        }
    }
    return LabelStep(Scale(), labelCount, atLeastOne);
}

TAxisScale TChartAxis::Scale() const
{
    TAxisScale scale;
    scale.Minimum = FScaleMinimum;
    scale.Maximum = FScaleMaximum;
    scale.Logarithmic = FMapping.Logarithmic();
    scale.LogarithmicBase = FLogarithmicBase;
    scale.DateTime = FIsDateTimeAxis;
    scale.ExactDateTime = FExactDateTime;
    scale.RoundFirstLabel = FRoundFirstLabel;
    scale.Increment = FIncrement;
    scale.LabelsSeparation = FLabelsSeparation;
    return scale;
}

double TChartAxis::ComputeIncrement()
{
    SelectLabelsFont();
    const int32_t size = std::max(LabelSizeAlongAxis(LabelText(FScaleMaximum)),
                                  LabelSizeAlongAxis(LabelText(FScaleMinimum)));
    const double step = IncrementForLabelCount(MaxLabelCount(size));
    if (FIsDateTimeAxis && FDateTimeFormat.empty() && step != FLastIncrement) {
        ClearTextCache(); // the default date-time pattern follows the step
    }
    FLastIncrement = step;
    return step;
}

TAxisLabelStyle TChartAxis::ResolvedLabelStyle() const
{
    if (FLabelStyle != talAuto) {
        return FLabelStyle;
    }
    bool attached = false;
    for (int32_t i = 0; i < FOwner.SeriesCount(); ++i) {
        const TChartSeries& s = FOwner.SeriesAt(i);
        if (!s.Active() || !SeriesOnAxis(s)) {
            continue;
        }
        attached = true;
        const bool xAlongAxis = FHorizontal ? s.YMandatory() : !s.YMandatory();
        if (xAlongAxis && s.Count() > 0 && !s.Labels(0).empty()) {
            return talText;
        }
    }
    return attached ? talValue : talNone;
}

void TChartAxis::ProduceLabelValues(double step, const std::function<void(double)>& visit) const
{
    VisitLabelValues(Scale(), step, visit);
}

void TChartAxis::ClearTextCache() const
{
    FLabelCache.ClearTexts();
}

void TChartAxis::ClearSizeCache()
{
    FLabelCache.ClearWidths();
}

std::string TChartAxis::MakeLabelText(double v) const
{
    std::string text;
    if (FIsDateTimeAxis) {
        // Empty outside the date-times that have a text (up to the year 9999 and a little more).
        text = DateTimeLabelText(FDateTimeFormat, FLastIncrement, v);
    } else {
        text = FormatNumber(FAxisValuesFormat, v);
    }
    return text;
}

std::string TChartAxis::LabelText(double v) const
{
    std::string text;
    if (std::isnan(v)) {
        text = MakeLabelText(v);
    } else if (const std::string* kept = FLabelCache.Text(v)) {
        text = *kept;
    } else {
        text = FLabelCache.KeepText(v, MakeLabelText(v));
    }
    if (!FLabelEventSuspended) {
        FOwner.GetAxisLabel(*this, v, text);
    }
    if (FLabelsMultiLine) {
        std::replace(text.begin(), text.end(), ' ', ChartLineSeparator);
    }
    return text;
}

void TChartAxis::SelectLabelsFont()
{
    TChartCanvas& canvas = FOwner.AxisCanvas();
    canvas.SelectFont(FLabelsFont);
    // Widths hold for one canvas and one realised font (size scaling and resolution included).
    const TFont& f = canvas.Font();
    std::string key = std::to_string(reinterpret_cast<uintptr_t>(&canvas)) + '|' +
                      f.Name().toStdString() + '|' + std::to_string(f.Height()) + '|' +
                      std::to_string(f.Style()) + '|' + std::to_string(FLabelsFont.InterCharSize());
    FLabelCache.SetWidthKey(std::move(key));
}

int32_t TChartAxis::LabelWidth(const std::string& text)
{
    if (const int32_t* kept = FLabelCache.Width(text)) {
        return *kept;
    }
    TChartCanvas& canvas = FOwner.AxisCanvas();
    int32_t width = 0;
    if (text.find(ChartLineSeparator) == std::string::npos) {
        width = canvas.MeasureTextWidth(text);
    } else {
        for (const std::string& line : SplitLines(text)) {
            width = std::max(width, static_cast<int32_t>(canvas.MeasureTextWidth(line)));
        }
    }
    FLabelCache.KeepWidth(text, width);
    return width;
}

int32_t TChartAxis::LabelSizeAlongAxis(const std::string& text)
{
    // Along a horizontal axis a quarter-turned text takes its lines, along a vertical axis an
    // upright one; every other text takes its width.
    const bool lines = FHorizontal ? IsQuarterTurn(FLabelsAngle) : IsUprightAngle(FLabelsAngle);
    if (!lines) {
        return LabelWidth(text);
    }
    return FOwner.AxisCanvas().FontHeight() * LineCount(text);
}

// ---------------------------------------------------------------------------------------------
// TChartAxis: drawing

int32_t TChartAxis::StripSize() const
{
    // Summed in 64 bits: a pen width or tick length may be as large as an int holds.
    int64_t s = FAxisPen.Visible() ? static_cast<int64_t>(FAxisPen.Width()) + 1 : 0;
    if (FTicks.Visible()) {
        s += FTickLength;
    }
    if (FMinorTicks.Visible()) {
        s = std::max<int64_t>(s, FMinorTickLength);
    }
    return SaturateInt32(s);
}

int64_t TChartAxis::PositionOffset() const
{
    if (FPositionPercent == 0) {
        return 0;
    }
    // 64 bits, so that the negated offset of an other-side axis stays exact.
    int64_t offset;
    if (FPositionUnits == muPixels) {
        offset = RoundToInt32(FPositionPercent);
    } else {
        const TRect plot = FOwner.AxisPlotRect();
        const double across = FHorizontal ? plot.Height() : plot.Width();
        offset = RoundToInt32(FPositionPercent * 0.01 * across);
    }
    return FOtherSide ? -offset : offset;
}

void TChartAxis::ReserveRoom(TRect& rect)
{
    if (FDepthAxis) {
        return;
    }
    // Shrinks the rectangle on the axis' side and answers the new edge.
    auto shrink = [&](int32_t n) -> int32_t {
        if (FHorizontal) {
            if (FOtherSide) {
                rect.Top = SaturateInt32(static_cast<int64_t>(rect.Top) + n);
                return rect.Top;
            }
            rect.Bottom = SaturateInt32(static_cast<int64_t>(rect.Bottom) - n);
            return rect.Bottom;
        }
        if (FOtherSide) {
            rect.Right = SaturateInt32(static_cast<int64_t>(rect.Right) - n);
            return rect.Right;
        }
        rect.Left = SaturateInt32(static_cast<int64_t>(rect.Left) + n);
        return rect.Left;
    };
    TChartCanvas& canvas = FOwner.AxisCanvas();

    FTitleBandSize = 0;
    if (FTitle.Visible() && !FTitle.Caption().empty()) {
        int32_t size = FTitleSize;
        if (size == 0) {
            canvas.SelectFont(FTitle.Font());
            const bool acrossLines = TakesLinesAcross(FHorizontal, FTitle.Angle());
            size = acrossLines ? canvas.FontHeight() : canvas.MeasureTextWidth(FTitle.Caption());
        }
        FTitleBandSize = size;
        FTitlePos = shrink(size);
    }

    if (FLabels) {
        int32_t size = FLabelsSize;
        if (size == 0) {
            // The label event is left out of this measurement.
            FLabelEventSuspended = true;
            struct TResume
            {
                bool& Flag;
                ~TResume() { Flag = false; }
            } resume{FLabelEventSuspended};
            SelectLabelsFont();
            const bool acrossLines = TakesLinesAcross(FHorizontal, FLabelsAngle);
            if (acrossLines) {
                size = canvas.FontHeight();
            } else {
                std::string low;
                std::string high;
                if (FRoundFirstLabel || (FIsDateTimeAxis && FExactDateTime)) {
                    const double step = ComputeIncrement();
                    low = LabelText(std::trunc(FScaleMinimum / step) * step);
                    high = LabelText(std::trunc(FScaleMaximum / step) * step);
                } else {
                    low = LabelText(FScaleMinimum);
                    high = LabelText(FScaleMaximum);
                }
                size = std::max(LabelWidth(low), LabelWidth(high)) + canvas.MeasureTextWidth(" ");
            }
        }
        FLabelsBandSize = size;
        FLabelsPos = shrink(size);
    }

    const int32_t strip = StripSize();
    if (strip > 0) {
        shrink(strip);
    }

    const int64_t offset = PositionOffset();
    if (offset != 0) {
        const int64_t signedOffset = FHorizontal ? -offset : offset;
        FTitlePos = SaturateInt32(FTitlePos + signedOffset);
        FLabelsPos = SaturateInt32(FLabelsPos + signedOffset);
    }
}

void TChartAxis::DrawLabel(int32_t x, int32_t y, const std::string& text)
{
    TChartCanvas& canvas = FOwner.AxisCanvas();
    const int32_t h = canvas.FontHeight();
    const std::vector<std::string> lines = SplitLines(text);
    const int32_t count = static_cast<int32_t>(lines.size());
    unsigned align;
    if (!FHorizontal) {
        align = FOtherSide ? TA_LEFT : TA_RIGHT;
        if (FLabelsAlign == alOpposite) {
            align = FOtherSide ? TA_RIGHT : TA_LEFT;
            x = SaturateInt32(FOtherSide ? static_cast<int64_t>(x) + FLabelsBandSize
                                         : static_cast<int64_t>(x) - FLabelsBandSize);
        }
        y = y - h / 2 - RoundToInt32(h * 0.5 * (count + 1));
    } else if (!FOtherSide) {
        align = TA_CENTER | TA_TOP;
        y -= h;
    } else {
        align = TA_CENTER | TA_BOTTOM;
        y -= RoundToInt32(static_cast<double>(h) * count);
    }
    canvas.SetTextAlign(align);
    // The labels' shape is transparent: no box behind the text, whatever background mode the
    // axis drawn before left on the canvas.
    const int mode = canvas.BackgroundMode();
    canvas.SetBackgroundMode(TRANSPARENT);
    for (const std::string& line : lines) {
        y += h;
        canvas.TextOut(x, y, line);
    }
    canvas.SetBackgroundMode(mode);
    canvas.SetTextAlign(0);
}

void TChartAxis::DrawTitle()
{
    if (!FTitle.Visible() || FTitle.Caption().empty()) {
        return;
    }
    TChartCanvas& canvas = FOwner.AxisCanvas();
    canvas.SelectFont(FTitle.Font());
    const int32_t angle = FTitle.Angle() % 360;
    if (angle == 0) {
        if (FHorizontal) {
            DrawLabel(CenterPixel(), FTitlePos, FTitle.Caption());
        } else {
            DrawLabel(FTitlePos, CenterPixel(), FTitle.Caption());
        }
        return;
    }
    // A turned title: the block of its lines (each centred in the block) is turned, and the box
    // it then covers is centred on the axis' centre and across the band. Quarter turns land on
    // whole pixels, so such a title fills exactly its box.
    const std::vector<std::string> lines = SplitLines(FTitle.Caption());
    const double h = canvas.FontHeight();
    std::vector<double> widths;
    double blockWidth = 0;
    for (const std::string& line : lines) {
        widths.push_back(canvas.MeasureTextWidth(line));
        blockWidth = std::max(blockWidth, widths.back());
    }
    const double blockHeight = h * static_cast<double>(lines.size());
    const double radians = angle * (3.14159265358979323846 / 180.0);
    const double c = std::cos(radians);
    const double sn = std::sin(radians);
    const double boxWidth = std::round(blockWidth * std::abs(c) + blockHeight * std::abs(sn));
    const double boxHeight = std::round(blockWidth * std::abs(sn) + blockHeight * std::abs(c));
    const double band = FTitleBandSize;
    const double bandStart = FOtherSide == FHorizontal ? FTitlePos - band : FTitlePos;
    const double along = FHorizontal ? boxWidth : boxHeight;
    const double across = FHorizontal ? boxHeight : boxWidth;
    const double alongCentre = CenterPixel() - std::floor(along / 2) + along / 2;
    const double acrossCentre = bandStart + std::floor((band - across) / 2) + across / 2;
    const double centreX = FHorizontal ? alongCentre : acrossCentre;
    const double centreY = FHorizontal ? acrossCentre : alongCentre;
    // A point (u, v) of the block, measured from its centre, turned counterclockwise on the
    // screen (y down) about the box centre.
    auto turned = [&](double u, double v, int32_t& x, int32_t& y) {
        x = RoundToInt32(centreX + u * c + v * sn);
        y = RoundToInt32(centreY - u * sn + v * c);
    };
    const int mode = canvas.BackgroundMode();
    canvas.SetBackgroundMode(TRANSPARENT);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    for (size_t i = 0; i < lines.size(); ++i) {
        int32_t x;
        int32_t y;
        turned(std::floor((blockWidth - widths[i]) / 2) - blockWidth / 2,
               h * static_cast<double>(i) - blockHeight / 2, x, y);
        canvas.TextOutTurned(x, y, angle, TChartCanvas::FromUtf8(lines[i]));
    }
    canvas.SetTextAlign(0);
    canvas.SetBackgroundMode(mode);
}

void TChartAxis::VisitLabel(double value, const std::string& text)
{
    const int32_t p = ValueToPixel(value);
    if (!FLabelsOnAxis && !(FStartPixel < p && p < FEndPixel)) {
        return;
    }
    if (!(FTickOnLabelsOnly && !FLabels)) {
        FTickPositions.push_back(p);
    }
    if (FLabels) {
        if (FHorizontal) {
            DrawLabel(p, FLabelsPos, text);
        } else {
            DrawLabel(FLabelsPos, p, text);
        }
    }
}

void TChartAxis::ProduceTextLabels(TAxisLabelStyle style)
{
    // The labels (or mark texts) of the first active series whose X values run along the axis,
    // at the points inside the range.
    for (int32_t i = 0; i < FOwner.SeriesCount(); ++i) {
        const TChartSeries& s = FOwner.SeriesAt(i);
        const bool xAlongAxis = FHorizontal ? s.YMandatory() : !s.YMandatory();
        if (!s.Active() || !xAlongAxis || !SeriesOnAxis(s)) {
            continue;
        }
        int32_t visited = 0;
        for (int32_t j = s.Count() - 1; j >= 0 && visited < AxisMaxLabelPositions; --j) {
            const double v = FHorizontal ? s.XValue(j) : s.YValue(j);
            if (v < FScaleMinimum || v > FScaleMaximum) {
                continue;
            }
            VisitLabel(v, style == talMark ? s.PointText(j) : s.Labels(j));
            ++visited;
        }
        return;
    }
}

void TChartAxis::DrawTicks(const std::vector<int32_t>& positions, int64_t offset, int64_t length,
                           bool insideOnly)
{
    if (length == 0) {
        return;
    }
    TChartCanvas& canvas = FOwner.AxisCanvas();
    // In 64 bits and saturated: a tick may be as long as an int holds.
    const bool towardsLower = FOtherSide == FHorizontal;
    const int64_t start = towardsLower ? FAxisLinePos - offset : FAxisLinePos + offset;
    const int32_t from = SaturateInt32(start);
    const int32_t to = SaturateInt32(towardsLower ? start - length : start + length);
    // Left and top axes tick towards lower coordinates, bottom and right axes towards higher.
    for (const int32_t q : positions) {
        if (insideOnly && !(FStartPixel < q && q < FEndPixel)) {
            continue;
        }
        if (FHorizontal) {
            canvas.VerticalLine(q, from, to);
        } else {
            canvas.HorizontalLine(from, to, q);
        }
    }
}

void TChartAxis::DrawGridLines(const std::vector<int32_t>& positions)
{
    TChartCanvas& canvas = FOwner.AxisCanvas();
    const TRect plot = FOwner.AxisPlotRect();
    for (const int32_t q : positions) {
        if (!(FStartPixel < q && q < FEndPixel)) {
            continue; // never on the end pixels of the axis
        }
        if (FHorizontal) {
            canvas.VerticalLine(q, plot.Top + 1, plot.Bottom);
        } else {
            canvas.HorizontalLine(plot.Left + 1, plot.Right, q);
        }
    }
}

std::vector<int32_t> TChartAxis::MinorTickPositions() const
{
    std::vector<int32_t> result;
    const std::vector<int32_t>& q = FTickPositions;
    const int32_t m = FMinorTickCount;
    if (q.empty() || m <= 0) {
        return result;
    }
    const double f = 1.0 / (m + 1);
    auto add = [&](int64_t r) { result.push_back(SaturateInt32(r)); };
    const size_t last = q.size() - 1;
    if (q.size() >= 2) {
        // Beyond both outermost labels, spaced like the first interval.
        const double c = (static_cast<double>(q[1]) - q[0]) * f;
        for (int32_t j = 1; j <= m; ++j) {
            const int64_t d = RoundToInt32(c * j);
            add(q[0] - d);
            add(q[last] + d);
        }
    }
    for (size_t i = 1; i <= last; ++i) {
        const double c = f * (static_cast<double>(q[i]) - q[i - 1]);
        for (int32_t j = 1; j <= m; ++j) {
            add(q[i] - static_cast<int64_t>(RoundToInt32(j * c)));
        }
    }
    return result;
}

void TChartAxis::DrawAxis()
{
    if (FDepthAxis) {
        return;
    }
    TChartCanvas& canvas = FOwner.AxisCanvas();
    const TRect plot = FOwner.AxisPlotRect();
    CalcIsDateTimeAxis();

    // 1. The line's position: the plot edge on the axis' side, shifted by the position offset.
    const int32_t edge =
        FHorizontal ? (FOtherSide ? plot.Top : plot.Bottom) : (FOtherSide ? plot.Right : plot.Left);
    const int64_t offset = PositionOffset();
    FAxisLinePos = SaturateInt32(edge + (FHorizontal ? -offset : offset));

    // 2. Title.
    DrawTitle();

    // 3. Labels, recording their positions.
    FTickPositions.clear();
    SelectLabelsFont();
    const double step = ComputeIncrement();
    const TAxisLabelStyle style = ResolvedLabelStyle();
    if (style == talValue) {
        if (step > 0 && FScaleMaximum >= FScaleMinimum) {
            ProduceLabelValues(step, [this](double t) { VisitLabel(t, LabelText(t)); });
        }
    } else if (style == talText || style == talMark) {
        ProduceTextLabels(style);
    }

    // 4.
    canvas.Brush().SetStyle(bsClear);
    canvas.SetBackgroundMode(TRANSPARENT);

    // 5. Axis line.
    if (FAxisPen.Visible()) {
        canvas.SelectPen(FAxisPen);
        if (FHorizontal) {
            canvas.HorizontalLine(FStartPixel, FEndPixel, FAxisLinePos);
        } else {
            canvas.VerticalLine(FAxisLinePos, FStartPixel, FEndPixel);
        }
    }

    // 6. Outer ticks.
    if (FTicks.Visible()) {
        canvas.SelectPen(FTicks);
        DrawTicks(FTickPositions, 1, FTickLength, false);
    }

    // 7. Grid.
    if (FGrid.Visible()) {
        canvas.SelectPenColor(FGrid, FGrid.Color() == clDefault ? AxisGrey : FGrid.Color());
        if (FGridCentered) {
            std::vector<int32_t> centres;
            for (size_t i = 1; i < FTickPositions.size(); ++i) {
                centres.push_back(RoundToInt32(
                    (static_cast<double>(FTickPositions[i]) + FTickPositions[i - 1]) * 0.5));
            }
            DrawGridLines(centres);
        } else {
            DrawGridLines(FTickPositions);
        }
    }

    // 8. Inner ticks, towards the plot.
    if (FTicksInner.Visible()) {
        canvas.SelectPen(FTicksInner);
        DrawTicks(FTickPositions, -1, -static_cast<int64_t>(FTickInnerLength), false);
    }

    // 9. Minor ticks, between and beyond the labels, inside the axis only.
    const std::vector<int32_t> minor = MinorTickPositions();
    if (!FTickPositions.empty() && FMinorTicks.Visible()) {
        canvas.SetBackgroundMode(TRANSPARENT);
        canvas.Brush().SetStyle(bsClear);
        canvas.SelectPen(FMinorTicks);
        DrawTicks(minor, 1, FMinorTickLength, true);
    }

    // 10. Minor grid at the same positions.
    if (FMinorGrid.Visible()) {
        canvas.SelectPenColor(FMinorGrid,
                              FMinorGrid.Color() == clDefault ? AxisGrey : FMinorGrid.Color());
        DrawGridLines(minor);
    }

    // 11.
    canvas.SetBackgroundMode(OPAQUE);
}

// ---------------------------------------------------------------------------------------------
// TAxisOwner: what a series reads of the axes

TChartAxis* TAxisOwner::HorizAxisAt(THorizAxis which)
{
    return which == aTopAxis ? &TopAxis() : &BottomAxis();
}

TChartAxis* TAxisOwner::VertAxisAt(TVertAxis which)
{
    return which == aRightAxis ? &RightAxis() : &LeftAxis();
}

const TAxisMapping& TAxisOwner::HorizMapping(THorizAxis which)
{
    return HorizAxisAt(which)->Mapping();
}

const TAxisMapping& TAxisOwner::VertMapping(TVertAxis which)
{
    return VertAxisAt(which)->Mapping();
}

void TAxisOwner::PlotEdgeValues(THorizAxis which, double& low, double& high)
{
    const TChartAxis& axis = *HorizAxisAt(which);
    const TRect plot = AxisPlotRect();
    low = axis.PixelToValue(axis.Inverted() ? plot.Right : plot.Left);
    high = axis.PixelToValue(axis.Inverted() ? plot.Left : plot.Right);
}

std::string TAxisOwner::AxisLabelText(THorizAxis which, double value)
{
    return HorizAxisAt(which)->LabelText(value);
}
