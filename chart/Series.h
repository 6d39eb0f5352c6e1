#pragma once
// Line series: the points of a series drawn as a polyline between consecutive points, in the
// point or series colour and the width of LinePen, optionally with a small marker (the pointer)
// on every point. Also the pixel margins the series asks its axes to leave for the pointers and
// the hit test that finds the point under a pixel.
//
// Drawing walks the visible index range once. Where many consecutive points fall in one pixel
// column, the segments between them are merged into the one vertical span they cover; this is
// done only where it sets exactly the pixels the plain segment-by-segment walk sets (solid
// copy-mode pens, no pointers, no stairs), and the plain walk stays selectable.
//
// With pointers on, every point draws a small opaque shape over its segments. Items (segments
// and pointers) whose pixels are all drawn over again by later items of the same walk do not
// change the picture; the walk finds them from the last item back, on a bitmap of the pixels the
// later items set, and draws only the others, in their order. The pixels of each item come from
// drawing it once on a scratch bitmap through the same canvas calls (kept per pen), so the
// picture stays exactly that of the plain walk.
#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"

#include <cstdint>
#include <functional>
#include <memory>

class TChartAxis;
class TCustomSeries;
class TMergedColumnWalk;
class TUncoveredItemWalk;
class TUncoveredWalkCache;

enum TSeriesPointerStyle
{
    psRectangle,
    psCircle,
    psTriangle,
    psDownTriangle,
    psCross,
    psDiagCross,
    psStar,
    psDiamond,
    psSmallDot,
    psNothing,
    psLeftTriangle,
    psRightTriangle
};

// How series on the same axes stack; kept as a setting, line series draw unstacked.
enum TCustomSeriesStack
{
    cssNone,
    cssOverlap,
    cssStack,
    cssStack100
};

// The point marker of a series: shape, half sizes, outline pen and fill brush. Every change of a
// setting (or of the pen, brush or gradient) repaints the chart of the owning series.
class TSeriesPointer
{
public:
    TSeriesPointer(TChartSeries& series, bool visible);
    TSeriesPointer(const TSeriesPointer&) = delete;
    TSeriesPointer& operator=(const TSeriesPointer&) = delete;

    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { Store(FVisible, value); }
    TSeriesPointerStyle Style() const { return FStyle; }
    void SetStyle(TSeriesPointerStyle value) { Store(FStyle, value); }
    // Half-width and half-height in pixels. Values of 0 or less raise EChartException ("Pointer
    // size must be greater than zero") and keep the old size.
    int32_t HorizSize() const { return FHorizSize; }
    void SetHorizSize(int32_t value);
    int32_t VertSize() const { return FVertSize; }
    void SetVertSize(int32_t value);
    // The axes leave room for half a pointer at the plot's edges.
    bool InflateMargins() const { return FInflateMargins; }
    void SetInflateMargins(bool value) { Store(FInflateMargins, value); }
    // Fill; colour clDefault fills with the point's colour.
    TChartBrush& Brush() { return FBrush; }
    const TChartBrush& Brush() const { return FBrush; }
    // Outline; colour clDefault draws in the point's colour.
    TChartPen& Pen() { return FPen; }
    const TChartPen& Pen() const { return FPen; }
    // Depth drawing of the pointers; kept as settings, flat charts ignore them.
    bool Draw3D() const { return FDraw3D; }
    void SetDraw3D(bool value) { Store(FDraw3D, value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { Store(FDark3D, value); }
    // Gradient fill of the pointers; kept as a setting, pointers are filled with the brush.
    TChartGradient& Gradient() { return FGradient; }
    const TChartGradient& Gradient() const { return FGradient; }

    // Draws one pointer of the given style centred on (x, y), for a point of the given colour.
    void Draw(TChartCanvas& canvas, int32_t x, int32_t y, TColor color,
              TSeriesPointerStyle style) const;

    // Asks the owning series' chart to repaint.
    void Repaint();

private:
    template <typename T> void Store(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            Repaint();
        }
    }

    TChartSeries& FSeries;
    bool FVisible;
    TSeriesPointerStyle FStyle = psRectangle;
    int32_t FHorizSize = 4;
    int32_t FVertSize = 4;
    bool FInflateMargins = true;
    TChartBrush FBrush;
    TChartPen FPen;
    bool FDraw3D = true;
    bool FDark3D = true;
    TChartGradient FGradient;
};

// A series that draws with a line pen.
class TCustomLineSeries : public TChartSeries
{
public:
    TCustomLineSeries();

    // Pen of the segments; its colour is replaced by the point or series colour when drawing.
    TChartPen& LinePen() { return FLinePen; }
    const TChartPen& LinePen() const { return FLinePen; }

private:
    TChartPen FLinePen;
};

using TSeriesPointerStyleEvent =
    std::function<TSeriesPointerStyle(TCustomSeries& sender, int32_t valueIndex)>;

// Points joined by segments (or steps), with optional pointers.
class TCustomSeries : public TCustomLineSeries
{
public:
    explicit TCustomSeries(bool pointerVisible);
    ~TCustomSeries() override;

    TSeriesPointer& Pointer() { return FPointer; }
    const TSeriesPointer& Pointer() const { return FPointer; }
    // A segment takes the colour of the point it leads to (false: the series colour).
    bool ColorEachLine() const { return FColorEachLine; }
    void SetColorEachLine(bool value) { SetProperty(FColorEachLine, value); }
    // The hit test also accepts pixels on a segment.
    bool ClickableLine() const { return FClickableLine; }
    void SetClickableLine(bool value) { SetProperty(FClickableLine, value); }
    // Steps (horizontal, then vertical) instead of slanted segments; InvertedStairs: vertical,
    // then horizontal.
    bool Stairs() const { return FStairs; }
    void SetStairs(bool value) { SetProperty(FStairs, value); }
    bool InvertedStairs() const { return FInvertedStairs; }
    void SetInvertedStairs(bool value) { SetProperty(FInvertedStairs, value); }
    // A wider pen drawn under the line as its outline (hidden by default).
    TChartHiddenPen& OutLine() { return FOutLine; }
    const TChartHiddenPen& OutLine() const { return FOutLine; }
    // Stacking and depth drawing; kept as settings, flat unstacked charts ignore them.
    TCustomSeriesStack Stacked() const { return FStacked; }
    void SetStacked(TCustomSeriesStack value) { SetProperty(FStacked, value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { SetProperty(FDark3D, value); }
    int32_t LineHeight() const { return FLineHeight; }
    void SetLineHeight(int32_t value) { SetProperty(FLineHeight, value); }
    TChartBrush& LineBrush() { return FLineBrush; }
    const TChartBrush& LineBrush() const { return FLineBrush; }

    // Chooses the pointer style per point when assigned.
    TSeriesPointerStyleEvent OnGetPointerStyle;

    // Merging of dense pixel columns and leaving out pointers and segments that later items
    // cover (on by default). Off, every segment and pointer is drawn on its own; the pixels are
    // the same either way.
    bool MergeDenseColumns() const { return FMergeDenseColumns; }
    void SetMergeDenseColumns(bool value) { FMergeDenseColumns = value; }

    // ---- Chart hooks ----
    void HorizontalPointMargins(int32_t& left, int32_t& right) const override;
    void VerticalPointMargins(int32_t& top, int32_t& bottom) const override;
    void DrawAllValues() override { DrawPointRange(); }
    int32_t PointAtPixel(int32_t x, int32_t y) const override;

    // Draws the points FirstVisibleIndex..LastVisibleIndex (first the outline, when visible),
    // in ascending order, descending when the horizontal axis is inverted.
    void DrawPointRange();
    // Draws one pointer for point index at (x, y) in the point's colour.
    void DrawMarker(int32_t x, int32_t y, int32_t index, TColor color);
    // The pointer style of a point: OnGetPointerStyle when assigned, else Pointer.Style.
    TSeriesPointerStyle PointerStyleOf(int32_t index);

protected:
    // Draws the segment into point index and the pointers that become due (one step of the
    // walk DrawPointRange runs; it relies on the walk's state). The fast walks (merged dense
    // columns, uncovered items) do the same work without calling it, and map the points through
    // the axes' mappings as PointPixelX and PointPixelY of the base class do.
    void DrawOnePoint(int32_t index);

private:
    // The fast walks of a pass, each in a file of its own; they share the pass and walk state.
    friend class TMergedColumnWalk;
    friend class TUncoveredItemWalk;

    // Widens both margins of one direction to fit the pointers (of the given size), the stairs
    // pen and the outline.
    void GrowPointMargins(int32_t pointerSize, int32_t& first, int32_t& second) const;

    // What a drawing pass needs; set up by DrawPointRange.
    struct TDrawPass
    {
        TChartCanvas* Canvas = nullptr;
        const TChartAxis* HorizAxis = nullptr;
        const TChartAxis* VertAxis = nullptr;
        TRect PlotRect;
        const TChartPen* Pen = nullptr; // pen of the segments
        TColor SeriesColor =
            clNone;              // series colour of the pass (outline colour in the outline pass)
        bool Outline = false;    // the outline pass
        bool OneColor = false;   // every point has SeriesColor (no colour list, no own colours)
        int32_t FirstDrawn = -1; // first and last index in drawing order
        int32_t LastDrawn = -1;
    };

    void DrawPass(const TChartPen& pen, TColor seriesColor);
    TColor DrawColorOf(int32_t index) const;
    // DrawColorOf, without asking the point where every point has the pass' colour.
    TColor PassColorOf(int32_t index) const
    {
        return FPass.OneColor ? FPass.SeriesColor : DrawColorOf(index);
    }
    void DrawSegment(int32_t x, int32_t y, TColor color);
    bool StartAtFirstIndex(int32_t index, int32_t x, int32_t y, TColor color);
    bool CanMergeColumns() const;
    bool CanSkipCovered() const;
    bool OnSegment(int32_t px, int32_t py, int32_t ax, int32_t ay, int32_t bx, int32_t by) const;

    TSeriesPointer FPointer;
    bool FColorEachLine = true;
    bool FClickableLine = true;
    bool FStairs = false;
    bool FInvertedStairs = false;
    TChartHiddenPen FOutLine;
    TCustomSeriesStack FStacked = cssNone;
    bool FDark3D = true;
    int32_t FLineHeight = 0;
    TChartBrush FLineBrush;
    bool FMergeDenseColumns = true;

    // State of the walk, carried from one DrawOnePoint to the next.
    TDrawPass FPass;
    int32_t FPrevX = 0;
    int32_t FPrevY = 0;
    TColor FPrevColor = clNone;

    // What the uncovered-items walk keeps between this series' paints (made when first needed).
    std::unique_ptr<TUncoveredWalkCache> FWalkCache;
};

// The line series of the charts: pointers hidden at start.
class TLineSeries : public TCustomSeries
{
public:
    TLineSeries() : TCustomSeries(false) {}
};
