#include "chart/Series.h"

#include "chart/ChartAxis.h"
#include "chart/SeriesMergedWalk.h"
#include "chart/SeriesUncoveredWalk.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// a + b saturated to the 32-bit range (pointer corners of points far outside the plot).
int32_t Offset(int32_t a, int64_t b)
{
    return SaturateInt32(static_cast<int64_t>(a) + b);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSeriesPointer

TSeriesPointer::TSeriesPointer(TChartSeries& series, bool visible)
    : FSeries(series), FVisible(visible)
{
    FBrush.OnChange = [this](TBrush*) { Repaint(); };
    FPen.OnChange = [this](TPen*) { Repaint(); };
    FGradient.OnChange = [this] { Repaint(); };
}

void TSeriesPointer::SetHorizSize(int32_t value)
{
    if (value <= 0) {
        throw EChartException("Pointer size must be greater than zero");
    }
    Store(FHorizSize, value);
}

void TSeriesPointer::SetVertSize(int32_t value)
{
    if (value <= 0) {
        throw EChartException("Pointer size must be greater than zero");
    }
    Store(FVertSize, value);
}

void TSeriesPointer::Repaint()
{
    FSeries.Repaint();
}

void TSeriesPointer::Draw(TChartCanvas& canvas, int32_t x, int32_t y, TColor color,
                          TSeriesPointerStyle style) const
{
    if (FPen.Visible()) {
        canvas.SelectPenColor(FPen, FPen.Color() == clDefault ? color : FPen.Color());
    } else {
        canvas.Pen().SetStyle(psClear);
    }
    TColor fill = FBrush.Color();
    if (fill == clDefault) {
        fill = FBrush.Style() == bsSolid ? color : clBlack;
    }
    canvas.SelectBrushColors(FBrush, fill, color);

    const int64_t h = FHorizSize;
    const int64_t v = FVertSize;
    const int32_t left = Offset(x, -h);
    const int32_t right = Offset(x, h);
    const int32_t top = Offset(y, -v);
    const int32_t bottom = Offset(y, v);
    const auto cross = [&] {
        canvas.VerticalLine(x, top, Offset(y, v + 1));
        canvas.HorizontalLine(left, Offset(x, h + 1), y);
    };
    // Each diagonal runs one pixel past the far corner, so that the end pixel rule still draws
    // the corner.
    const auto diagonals = [&] {
        canvas.Line(left, top, Offset(x, h + 1), Offset(y, v + 1));
        canvas.Line(left, bottom, Offset(x, h + 1), Offset(y, -v - 1));
    };
    const auto triangle = [&](TPoint a, TPoint b, TPoint c) {
        const TPoint points[3] = {a, b, c};
        canvas.Polygon(points, 2);
    };
    switch (style) {
    case psRectangle:
        canvas.Rectangle(left, top, Offset(x, h + 1), Offset(y, v + 1));
        break;
    case psCircle:
        canvas.Ellipse(left, top, right, bottom);
        break;
    case psTriangle:
        triangle({left, bottom}, {right, bottom}, {x, top});
        break;
    case psDownTriangle:
        triangle({left, top}, {right, top}, {x, bottom});
        break;
    case psCross:
        cross();
        break;
    case psDiagCross:
        diagonals();
        break;
    case psStar:
        cross();
        diagonals();
        break;
    case psDiamond: {
        const TPoint points[4] = {{left, y}, {x, top}, {right, y}, {x, bottom}};
        canvas.Polygon(points, 3);
        break;
    }
    case psSmallDot:
        canvas.SetPixel(x, y, canvas.Brush().Color());
        break;
    case psNothing:
        break;
    case psLeftTriangle:
        triangle({left, y}, {right, top}, {right, bottom});
        break;
    case psRightTriangle:
        triangle({right, y}, {left, top}, {left, bottom});
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomLineSeries

TCustomLineSeries::TCustomLineSeries()
{
    FLinePen.OnChange = [this](TPen*) { Repaint(); };
}

// ---------------------------------------------------------------------------------------------
// TCustomSeries

TCustomSeries::TCustomSeries(bool pointerVisible) : FPointer(*this, pointerVisible)
{
    FOutLine.OnChange = [this](TPen*) { Repaint(); };
    FLineBrush.OnChange = [this](TBrush*) { Repaint(); };
}

TCustomSeries::~TCustomSeries() = default;

void TCustomSeries::GrowPointMargins(int32_t pointerSize, int32_t& first, int32_t& second) const
{
    if (FPointer.Visible() && FPointer.InflateMargins()) {
        // A pointer as large as an int holds asks for no more than that.
        const int32_t margin = pointerSize < INT32_MAX ? pointerSize + 1 : INT32_MAX;
        first = std::max(first, margin);
        second = std::max(second, margin);
    }
    if (FStairs) {
        first = std::max(first, LinePen().Width());
        second = std::max(second, LinePen().Width());
    }
    if (FOutLine.Visible()) {
        first = std::max(first, FOutLine.Width());
        second = std::max(second, FOutLine.Width());
    }
}

void TCustomSeries::HorizontalPointMargins(int32_t& left, int32_t& right) const
{
    GrowPointMargins(FPointer.HorizSize(), left, right);
}

void TCustomSeries::VerticalPointMargins(int32_t& top, int32_t& bottom) const
{
    GrowPointMargins(FPointer.VertSize(), top, bottom);
}

TSeriesPointerStyle TCustomSeries::PointerStyleOf(int32_t index)
{
    return OnGetPointerStyle ? OnGetPointerStyle(*this, index) : FPointer.Style();
}

void TCustomSeries::DrawMarker(int32_t x, int32_t y, int32_t index, TColor color)
{
    TChartCanvas* canvas = FPass.Canvas;
    if (canvas == nullptr) {
        const TChartAxis* axis = GetHorizAxis();
        if (axis == nullptr) {
            return;
        }
        canvas = &axis->Owner().AxisCanvas();
    }
    FPointer.Draw(*canvas, x, y, color, PointerStyleOf(index));
}

void TCustomSeries::DrawPointRange()
{
    int32_t first = FirstVisibleIndex();
    int32_t last = std::min(LastVisibleIndex(), Count() - 1);
    if (first < 0 || last < 0 || first > last) {
        return;
    }
    const TChartAxis* horizAxis = GetHorizAxis();
    const TChartAxis* vertAxis = GetVertAxis();
    if (horizAxis == nullptr || vertAxis == nullptr) {
        return;
    }
    TAxisOwner* owner = &horizAxis->Owner();
    FPass = {};
    // The pass ends with this call, also when a handler raises an exception.
    struct TEndPass
    {
        TDrawPass& Pass;
        ~TEndPass() { Pass = {}; }
    } endPass{FPass};
    FPass.Canvas = &owner->AxisCanvas();
    FPass.HorizAxis = horizAxis;
    FPass.VertAxis = vertAxis;
    FPass.PlotRect = owner->AxisPlotRect();
    const bool descending = horizAxis->Inverted();
    FPass.FirstDrawn = descending ? last : first;
    FPass.LastDrawn = descending ? first : last;

    if (FOutLine.Visible()) {
        // The outline: the whole line once more underneath, wider and in the outline's colour.
        TChartPen outline;
        outline.Assign(FOutLine);
        const int64_t width = int64_t{LinePen().Width()} + FOutLine.Width() + 2;
        outline.SetWidth(SaturateInt32(width));
        FPass.Outline = true;
        DrawPass(outline, FOutLine.Color());
        FPass.Outline = false;
    }
    DrawPass(LinePen(), SeriesColor());
}

void TCustomSeries::DrawPass(const TChartPen& pen, TColor seriesColor)
{
    FPass.Pen = &pen;
    FPass.SeriesColor = seriesColor;
    FPass.OneColor = !ColorList().has_value() && !ColorEachPoint();
    if (!FPointer.Visible()) {
        // Without pointers the uncovered walk is not taken: what it kept for this series (the
        // traced shapes) goes, rather than outliving its use.
        FWalkCache.reset();
    }
    if (FMergeDenseColumns && CanMergeColumns()) {
        TMergedColumnWalk(*this).Run();
        return;
    }
    if (FMergeDenseColumns && CanSkipCovered()) {
        if (!FWalkCache) {
            FWalkCache = std::make_unique<TUncoveredWalkCache>();
        }
        if (TUncoveredItemWalk(*this, *FWalkCache).Run()) {
            return;
        }
    }
    const int32_t step = FPass.LastDrawn >= FPass.FirstDrawn ? 1 : -1;
    for (int32_t i = FPass.FirstDrawn;; i += step) {
        DrawOnePoint(i);
        if (i == FPass.LastDrawn) {
            break;
        }
    }
}

TColor TCustomSeries::DrawColorOf(int32_t index) const
{
    if (!FPass.Outline) {
        return PointColor(index);
    }
    // In the outline pass the outline colour stands in for the series colour.
    const auto& colors = ColorList();
    const TColor own = colors.has_value() && static_cast<size_t>(index) < colors->size()
                           ? (*colors)[static_cast<size_t>(index)]
                           : clDefault;
    if (own != clDefault || ColorEachPoint()) {
        return PointColor(index);
    }
    return FPass.SeriesColor;
}

void TCustomSeries::DrawSegment(int32_t x, int32_t y, TColor color)
{
    StrokeSegment(*FPass.Canvas, *FPass.Pen, FColorEachLine ? color : FPass.SeriesColor, FStairs,
                  FInvertedStairs, FPrevX, FPrevY, x, y);
}

bool TCustomSeries::StartAtFirstIndex(int32_t index, int32_t x, int32_t y, TColor color)
{
    bool drew = false;
    if (index == FirstVisibleIndex() && index > 0) {
        // A hidden point lies before the first visible one: the line comes in from the edge of
        // the plot, at the height the segment between the two points has there.
        const TChartAxis& horiz = *FPass.HorizAxis;
        const int32_t edge = horiz.Inverted() ? FPass.PlotRect.Right : FPass.PlotRect.Left;
        const double x0 = XValue(index - 1);
        const double x1 = XValue(index);
        int32_t edgeY;
        if (FStairs || x0 == x1) {
            edgeY = PointPixelY(index - 1);
        } else {
            const double y0 = YValue(index - 1);
            const double y1 = YValue(index);
            const double atEdge = y0 + (horiz.PixelToValue(edge) - x0) * (y1 - y0) / (x1 - x0);
            edgeY = FPass.VertAxis->ValueToPixel(atEdge);
        }
        FPrevX = edge;
        FPrevY = edgeY;
        if (DrawColorOf(index - 1) != clNone && (x != FPrevX || y != FPrevY) && color != clNone) {
            DrawSegment(x, y, color);
            drew = true;
        }
    }
    if (index == FPass.LastDrawn && FPointer.Visible() && color != clNone) {
        DrawMarker(x, y, index, color);
    }
    return drew;
}

void TCustomSeries::DrawOnePoint(int32_t index)
{
    TChartCanvas& canvas = *FPass.Canvas;
    const TColor color = DrawColorOf(index);
    const int32_t x = PointPixelX(index);
    const int32_t y = PointPixelY(index);
    if (canvas.Pen().Color() != clBlack) {
        canvas.Pen().SetColor(clBlack);
    }
    canvas.Brush().SetColor(color);
    if (index == FPass.FirstDrawn) {
        StartAtFirstIndex(index, x, y, color);
    } else {
        if (FPrevColor == clNone) {
            // No segment comes from a gap.
            FPrevX = x;
            FPrevY = y;
        }
        if ((x != FPrevX || y != FPrevY) && color != clNone) {
            DrawSegment(x, y, color);
        }
        if (FPointer.Visible()) {
            // The previous point's pointer goes on top of both segments that touch it; the last
            // point's pointer on top of the segment that reaches it.
            const int32_t previous = FPass.LastDrawn >= FPass.FirstDrawn ? index - 1 : index + 1;
            if (FPrevColor != clNone) {
                DrawMarker(FPrevX, FPrevY, previous, FPrevColor);
            }
            if (index == FPass.LastDrawn && color != clNone) {
                DrawMarker(x, y, index, color);
            }
        }
    }
    FPrevX = x;
    FPrevY = y;
    FPrevColor = color;
}

bool TCustomSeries::CanMergeColumns() const
{
    // Merged spans set the same pixels as the segments they replace only for plain opaque
    // lines: no steps, no pointers drawn between segments, a visible solid pen in copy mode.
    const TChartPen& pen = *FPass.Pen;
    return !FStairs && !FPointer.Visible() && pen.Visible() && !pen.SmallDots() &&
           pen.Style() == psSolid && pen.Mode() == pmCopy;
}

bool TCustomSeries::CanSkipCovered() const
{
    // Every item must set its pixels to values that do not depend on what lies below (solid
    // copy-mode pens, a solid or no fill) and select its own pen and brush, and every pointer
    // must have the one shape traced for the walk (no style chosen per point), and the canvas'
    // device pixel ratio one the shapes can be traced at.
    const TChartPen& pen = *FPass.Pen;
    const TCanvas* surface = FPass.Canvas->Surface();
    const TChartPen& outline = FPointer.Pen();
    const TChartBrush& fill = FPointer.Brush();
    constexpr int MaxPenWidth = 16;
    constexpr int32_t MaxPointerSize = 64;
    return FPointer.Visible() && !OnGetPointerStyle &&
           dynamic_cast<TChartCanvas3D*>(FPass.Canvas) != nullptr && surface != nullptr &&
           TUncoveredItemWalk::TracesOn(*surface) && pen.Visible() && !pen.SmallDots() &&
           pen.Style() == psSolid && pen.Mode() == pmCopy && pen.Width() <= MaxPenWidth &&
           outline.Visible() && !outline.SmallDots() && outline.Style() == psSolid &&
           outline.Mode() == pmCopy && outline.Width() <= MaxPenWidth &&
           (fill.Style() == bsSolid || fill.Style() == bsClear) && !fill.HasImage() &&
           FPointer.HorizSize() <= MaxPointerSize && FPointer.VertSize() <= MaxPointerSize;
}

bool TCustomSeries::OnSegment(int32_t px, int32_t py, int32_t ax, int32_t ay, int32_t bx,
                              int32_t by) const
{
    const int64_t dx = static_cast<int64_t>(bx) - ax;
    const int64_t dy = static_cast<int64_t>(by) - ay;
    const int64_t cross =
        dy * (static_cast<int64_t>(px) - ax) - (static_cast<int64_t>(py) - ay) * dx;
    if (std::llabs(cross) >= std::max(std::llabs(dx), std::llabs(dy))) {
        return false;
    }
    return px >= std::min(ax, bx) && px <= std::max(ax, bx) && py >= std::min(ay, by) &&
           py <= std::max(ay, by);
}

int32_t TCustomSeries::PointAtPixel(int32_t x, int32_t y) const
{
    const int32_t first = FirstVisibleIndex();
    const int32_t last = LastVisibleIndex();
    if (first < 0 || last < 0) {
        return -1;
    }
    auto& self = const_cast<TCustomSeries&>(*this); // OnGetPointerStyle takes a mutable sender
    int32_t prevX = 0;
    int32_t prevY = 0;
    for (int32_t i = first; i <= last && i < Count(); ++i) {
        const int32_t px = PointPixelX(i);
        const int32_t py = PointPixelY(i);
        if (FPointer.Visible() && self.PointerStyleOf(i) != psNothing &&
            std::llabs(static_cast<int64_t>(x) - px) < FPointer.HorizSize() &&
            std::llabs(static_cast<int64_t>(y) - py) < FPointer.VertSize()) {
            return i;
        }
        if (x == px && y == py) {
            return i;
        }
        if (FClickableLine && i > first) {
            bool on;
            if (!FStairs) {
                on = OnSegment(x, y, prevX, prevY, px, py);
            } else if (FInvertedStairs) {
                on = OnSegment(x, y, prevX, prevY, prevX, py) || OnSegment(x, y, prevX, py, px, py);
            } else {
                on = OnSegment(x, y, prevX, prevY, px, prevY) || OnSegment(x, y, px, prevY, px, py);
            }
            if (on) {
                return i - 1;
            }
        }
        prevX = px;
        prevY = py;
    }
    return -1;
}
