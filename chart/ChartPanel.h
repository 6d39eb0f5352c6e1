#pragma once
// The chart control's panel chain: a panel without caption, the chart panel (canvas, margins,
// border and bevels, paint and mouse plumbing, listeners), the extended panel (background
// gradient and picture, zoom and panning state) and the axis panel (series, axes, tools and the
// paint cycle that draws them). Titles, walls and legend join in TCustomChart (chart/Chart.h).
//
// One paint: the canvas starts a buffered paint, the plot rectangle is laid out from the margins,
// the internal draw composes background, titles, axes, walls, series, tools and the after-draw
// event, and the buffer reaches the screen in one copy. A paint that only uncovers the control
// copies the buffer again. Repaint requests made while the chart draws itself are dropped.
#include "chart/ChartAxis.h"
#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "platform/Control.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TChartCustomTool;
class TChartTools;
class TCustomChartPanel;
// When the chart calls a tool in its paint: after the series and axes (before the after-draw
// event), before the series, and at the start after the background.
enum TChartToolPaintStage : int
{
    tpsAfterDraw = 0,
    tpsBeforeSeries = 1,
    tpsBeforeDraw = 2
};

// The mouse actions the chart passes to its tools.
enum TChartMouseAction : int
{
    cmaMouseDown = 0,
    cmaMouseMove = 1,
    cmaMouseUp = 2
};

// Panel bevel styles.
enum TPanelBevel
{
    bvNone,
    bvLowered,
    bvRaised,
    bvSpace
};

// Mouse dragging that scrolls the axes.
enum TPanningMode
{
    pmNone,
    pmHorizontal,
    pmVertical,
    pmBoth
};

// A mouse event as chart listeners receive it.
enum TChartMouseEventKind
{
    cmeDown,
    cmeMove,
    cmeUp
};
struct TChartMouseEvent
{
    TChartMouseEventKind Kind = cmeMove;
    TMouseButton Button = mbLeft;
    TShiftState Shift = 0;
    int X = 0;
    int Y = 0;
};
// A listener may set the panel's MouseHandled to stop the distribution.
using TChartListener =
    std::function<void(TCustomChartPanel& sender, const TChartMouseEvent& event)>;

// Paint-cycle events of a chart (sender first).
using TChartNotifyEvent = std::function<void(TCustomChartPanel* sender)>;

// Depth as percent of the plot; values outside are refused with this message (formatted with
// the two limits).
constexpr int ChartMin3DPercent = 1;
constexpr int ChartMax3DPercent = 100;

// A panel that never shows a caption.
class TCustomPanelNoCaption : public TCustomControl
{
public:
    explicit TCustomPanelNoCaption(QWidget* parent = nullptr);

protected:
    void TextChanged() override {}
};

class TCustomChartPanel : public TCustomPanelNoCaption
{
public:
    explicit TCustomChartPanel(QWidget* parent = nullptr);
    ~TCustomChartPanel() override;

    // ---- Canvas and geometry ----
    // The chart canvas; attached to the control's own canvas between paints.
    TChartCanvas3D& ChartCanvas() { return *FChartCanvas; }
    const TChartCanvas3D& ChartCanvas() const { return *FChartCanvas; }
    // The rectangle of the whole drawing in the current (or last) paint.
    TRect PanelRect() const { return FPanelRect; }
    // The plotting rectangle; series are drawn inside it. Laid out in every paint.
    TRect PlotRect() const { return FPlotRect; }
    int PlotWidth() const { return FPlotWidth; }
    int PlotHeight() const { return FPlotHeight; }
    TPoint PlotCenter() const { return FPlotCenter; }
    // Sets the plot rectangle and repairs it (CheckPlotRect).
    void SetPlotRect(const TRect& value);
    // Repairs an empty or inverted plot rectangle and updates PlotWidth, PlotHeight, PlotCenter.
    void CheckPlotRect();
    // The plot rectangle the margins give for the panel rectangle (border and margins removed).
    TRect PlotRectFromPanel(const TRect& panelRect) const;

    // ---- Margins (percent of the panel, or pixels) ----
    int MarginLeft() const { return FMarginLeft; }
    void SetMarginLeft(int value);
    int MarginTop() const { return FMarginTop; }
    void SetMarginTop(int value);
    int MarginRight() const { return FMarginRight; }
    void SetMarginRight(int value);
    int MarginBottom() const { return FMarginBottom; }
    void SetMarginBottom(int value);
    TChartUnits MarginUnits() const { return FMarginUnits; }
    void SetMarginUnits(TChartUnits value);

    // ---- Border and bevels ----
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value); // at least 1
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value); // at least 0
    // Frame line around the panel (invisible by default).
    TChartHiddenPen& Border() { return FBorder; }
    const TChartHiddenPen& Border() const { return FBorder; }
    // Corner radius of a rounded border; 0 = rectangular.
    int BorderRound() const { return FBorderRound; }
    void SetBorderRound(int value);
    // Panel shadow (sizes 0: none).
    TChartShadow& Shadow() { return FShadow; }
    const TChartShadow& Shadow() const { return FShadow; }
    // Pixels of border and bevels inside the panel edge.
    int BorderSize() const;

    // ---- Depth view ----
    TView3DOptions& View3DOptions() { return FView3DOptions; }
    const TView3DOptions& View3DOptions() const { return FView3DOptions; }
    bool View3D() const { return FView3D; }
    void SetView3D(bool value);
    // 1..100; other values raise EChartException ("3D effect percent must be between 1 and 100")
    // and keep the old value.
    int Chart3DPercent() const { return FChart3DPercent; }
    void SetChart3DPercent(int value);
    // Black on white drawing.
    bool Monochrome() const;
    void SetMonochrome(bool value);
    // Each paint goes through the off-screen buffer (default true).
    bool BufferedDisplay() const;
    void SetBufferedDisplay(bool value);

    // ---- Paint ----
    // Repaint request: marks the canvas dirty and schedules a paint, unless the chart is drawing
    // itself (then the request is dropped).
    virtual void Invalidate();
    bool RepaintEnabled() const { return FRepaintEnabled; }
    // True while the chart runs its paint cycle.
    bool Drawing() const { return FDrawing; }
    // The full paint cycle into canvas over rect: BeginDraw, layout, internal draw, EndDraw.
    virtual void Draw(TCanvas& canvas, const TRect& rect);
    // Draws the chart into a bitmap of the control's size (for pictures and tests); the buffer
    // and the screen are left as they are.
    void DrawToBitmap(TBitmap& bitmap);
    // The colour behind the chart as other parts see it.
    virtual TColor BackColor() const { return Color(); }
    // Number of full paints so far (the internal draw ran).
    int64_t DrawCount() const { return FDrawCount; }

    // ---- Mouse ----
    bool MouseHandled() const { return FMouseHandled; }
    void SetMouseHandled(bool value) { FMouseHandled = value; }
    // Cursor restored by mouse moves over no series point and by mouse leave.
    TCursor RestoreCursor() const { return FRestoreCursor; }
    void SetRestoreCursor(TCursor value) { FRestoreCursor = value; }
    // Listeners receive mouse down, move and up after the control's own handlers. Returns an id
    // for RemoveListener.
    int AddListener(TChartListener listener);
    void RemoveListener(int id);
    bool HasListeners() const { return !FListeners.empty(); }
    // True while the control is being designed (never in the running program).
    bool Designing() const { return false; }

    // ---- Events ----
    TChartNotifyEvent OnAfterDraw;
    TChartNotifyEvent OnBeforeDrawChart;
    TChartNotifyEvent OnBeforeDrawAxes;
    TChartNotifyEvent OnBeforeDrawSeries;

protected:
    // The paint message: copy a clean buffer, or draw.
    void Paint() override;
    // The composition of one paint onto the chart canvas (PlotRect already laid out).
    virtual void InternalDraw(const TRect& panelRect) = 0;
    // Client rectangle the chart draws into.
    virtual TRect ChartClientRect() const { return ClientRect(); }
    // Fills the panel rectangle with the background colour or gradient.
    virtual void FillPanelRect(const TRect& rect);
    // Background, back image and bevels over the panel rectangle.
    virtual void DrawPanelBackground(TRect rect);
    // Paint-cycle events.
    virtual void DoAfterDraw();
    virtual void DoBeforeDrawAxes();
    virtual void DoBeforeDrawChart();
    virtual void DoBeforeDrawSeries();
    // Sends a mouse event to the listeners until one sets MouseHandled.
    void BroadcastMouseEvent(const TChartMouseEvent& event);

    void Loaded() override;
    void Resize() override;
    void ColorChanged() override;

    // Stores a changed value and requests a repaint.
    template <typename T> void SetAndRepaint(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            Invalidate();
        }
    }

    TRect FPanelRect;
    TRect FPlotRect;
    int FPlotWidth = 0;
    int FPlotHeight = 0;
    TPoint FPlotCenter;
    bool FRepaintEnabled = false;
    bool FDrawing = false;
    bool FMouseHandled = false;
    TCursor FRestoreCursor = crDefault;

private:
    std::unique_ptr<TChartCanvas3D> FChartCanvas;
    int FMarginLeft = 3;
    int FMarginTop = 4;
    int FMarginRight = 3;
    int FMarginBottom = 4;
    TChartUnits FMarginUnits = muPercent;
    TPanelBevel FBevelOuter = bvRaised;
    TPanelBevel FBevelInner = bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TChartHiddenPen FBorder;
    int FBorderRound = 0;
    TChartShadow FShadow{clSilver, 0};
    TView3DOptions FView3DOptions;
    bool FView3D = true;
    int FChart3DPercent = 15;
    std::vector<std::pair<int, TChartListener>> FListeners;
    int FNextListenerId = 1;
    int64_t FDrawCount = 0;
};

// Zoom by dragging a rectangle with the mouse.
class TChartZoom
{
public:
    explicit TChartZoom(TCustomChartPanel& chart);

    // With Allow false a mouse press never starts a zoom rectangle.
    bool Allow() const { return FAllow; }
    void SetAllow(bool value) { FAllow = value; }
    TMouseButton MouseButton() const { return FMouseButton; }
    void SetMouseButton(TMouseButton value) { FMouseButton = value; }
    // Smallest drag, in pixels, that zooms; a smaller one is ignored.
    int MinimumPixels() const { return FMinimumPixels; }
    void SetMinimumPixels(int value) { FMinimumPixels = value < 1 ? 1 : value; }
    // The rectangle's outline, drawn in inverting mode while dragging.
    TChartPen& Pen() { return FPen; }
    TChartBrush& Brush() { return FBrush; }

    // The drag state: Active from the press until the release.
    bool Active() const { return FActive; }
    void Start(int x, int y);
    void Move(int x, int y);
    void Stop() { FActive = false; }
    TRect DragRect() const;

private:
    TCustomChartPanel& FChart;
    bool FAllow = true;
    TMouseButton FMouseButton = mbLeft;
    int FMinimumPixels = 16;
    TChartPen FPen;
    TChartBrush FBrush;
    bool FActive = false;
    int FX0 = 0, FY0 = 0, FX1 = 0, FY1 = 0;
};

class TCustomChartPanelExtended : public TCustomChartPanel
{
public:
    explicit TCustomChartPanelExtended(QWidget* parent = nullptr);
    ~TCustomChartPanelExtended() override;

    // Background gradient of the panel (invisible by default).
    TChartGradient& Gradient() { return FGradient; }
    // Background picture, created when first read; drawn when not empty.
    TBitmap& BackImage();
    bool HasBackImage() const;
    // The picture is limited to the plot area (drawn with the back wall).
    bool BackImageInside() const { return FBackImageInside; }
    void SetBackImageInside(bool value);

    TChartZoom& Zoom() { return FZoom; }
    const TChartZoom& Zoom() const { return FZoom; }
    TPanningMode AllowPanning() const { return FAllowPanning; }
    void SetAllowPanning(TPanningMode value);
    // A panning drag is in progress.
    bool Panning() const { return FPanning; }

protected:
    void FillPanelRect(const TRect& rect) override;
    void DrawPanelBackground(TRect rect) override;
    // Draws the back image stretched over rect.
    void DrawBackImage(const TRect& rect);

    bool FPanning = false;
    TPoint FPanStart;

private:
    TChartGradient FGradient;
    std::unique_ptr<TBitmap> FBackImage;
    bool FBackImageInside = false;
    TChartZoom FZoom;
    TPanningMode FAllowPanning = pmBoth;
};

// Series, axes and tools, and the paint cycle that draws them.
class TCustomAxisPanel : public TCustomChartPanelExtended, public TChartHost, public TAxisOwner
{
public:
    explicit TCustomAxisPanel(QWidget* parent = nullptr);
    ~TCustomAxisPanel() override;

    // ---- Series (drawing order = list order) ----
    int32_t SeriesCount() const override { return static_cast<int32_t>(FSeries.size()); }
    // Unchecked in release builds: 0 <= index < SeriesCount.
    TChartSeries& SeriesAt(int32_t index) const override;
    // Takes the series into the list (at the end) and makes this chart its parent. A series
    // without a colour of its own gets a palette colour no other series of the chart uses.
    TChartSeries& AddSeries(std::unique_ptr<TChartSeries> series);
    template <typename T> T& AddSeries(std::unique_ptr<T> series)
    {
        T& added = *series;
        AddSeries(std::unique_ptr<TChartSeries>(std::move(series)));
        return added;
    }
    // Takes the series out of the list and gives it back (nullptr when it is not in the list).
    std::unique_ptr<TChartSeries> RemoveSeries(TChartSeries& series);
    // Frees every series.
    void FreeAllSeries();
    int32_t SeriesIndexOf(const TChartSeries& series) const;
    // Swaps two series in the drawing order.
    void ExchangeSeries(int32_t a, int32_t b);
    // Number of active series.
    int32_t ActiveSeriesCount() const;

    // ---- Axes: Bottom, Top, Left, Right, Depth, then custom axes ----
    TChartAxis& BottomAxis() override { return *FBottomAxis; }
    TChartAxis& TopAxis() override { return *FTopAxis; }
    TChartAxis& LeftAxis() override { return *FLeftAxis; }
    TChartAxis& RightAxis() override { return *FRightAxis; }
    TChartAxis& DepthAxis() { return *FDepthAxis; }
    // Every axis in list order.
    const std::vector<TChartAxis*>& Axes() const { return FAxes; }
    // Adds a custom axis after the standard ones.
    TChartAxis& AddCustomAxis(bool horizontal, bool otherSide);
    // The axis is drawn and takes room (AxisVisible, its Visible and the series rule).
    bool IsAxisVisible(const TChartAxis& axis) const;

    bool AxisVisible() const override { return FAxisVisible; }
    void SetAxisVisible(bool value) { SetAndRepaint(FAxisVisible, value); }
    // Axes drawn before (true) or after the series.
    bool AxisBehind() const { return FAxisBehind; }
    void SetAxisBehind(bool value) { SetAndRepaint(FAxisBehind, value); }
    // Series drawing is clipped to the plot area.
    bool ClipPoints() const { return FClipPoints; }
    void SetClipPoints(bool value) { SetAndRepaint(FClipPoints, value); }
    bool View3DWalls() const { return FView3DWalls; }
    void SetView3DWalls(bool value) { SetAndRepaint(FView3DWalls, value); }

    // ---- Tools ----
    TChartTools& Tools() { return *FTools; }
    const TChartTools& Tools() const { return *FTools; }
    // Calls PaintStageEvent of every active tool, in list order.
    void NotifyTools(TChartToolPaintStage stage);
    // Calls MouseActionEvent of every active tool until one sets MouseHandled.
    void NotifyToolsMouse(TChartMouseAction action, TMouseButton button, TShiftState shift, int x,
                          int y);

    // ---- TChartHost ----
    void Invalidate() override;
    bool IsDestroying() const override { return FDestroying; }
    void SeriesColorChanged(TChartSeries& series) override;
    void SeriesActiveChanged(TChartSeries& series) override;
    TAxisOwner* AxisOwner() override { return this; }

    // ---- TAxisOwner ----
    TChartCanvas& AxisCanvas() override { return ChartCanvas(); }
    TRect AxisPlotRect() const override { return PlotRect(); }
    bool ChartIsLoading() const override { return IsLoading(); }

    // ---- Kept picture ----
    // With KeepPicture set, every full paint keeps the picture as it stands before the tools'
    // after-draw stage and the after-draw event. A RepaintOverlay request then draws only those
    // two on a copy of the kept picture: pixel for pixel what a full paint would give, as long
    // as nothing but the tools' and the after-draw handler's own state changed since.
    bool KeepPicture() const { return FKeepPicture; }
    void SetKeepPicture(bool value);
    // Repaint request for a change that touches only the tools' after-draw marks and the
    // after-draw event (a crosshair or a marker that follows the mouse). Falls back to a full
    // repaint when no picture is kept.
    void RepaintOverlay();
    // True when the last paint was composed from the kept picture.
    bool LastPaintFromKeptPicture() const { return FLastPaintFromKept; }

protected:
    void InternalDraw(const TRect& panelRect) override;
    // Titles and legend before (true) or after (false) the series.
    virtual void DrawTitlesAndLegend(bool beforeSeries);
    // Walls around the plot rectangle.
    virtual void DrawWalls() {}
    // Wall sizes taken from the plot rectangle (none in flat charts).
    virtual void CalcWallsRect();
    // Depth of the walls next to an axis (0 in flat charts).
    virtual int AxisDepthSize(const TChartAxis& axis) const;
    // Layout of the axes: ranges, room for labels, the final plot rectangle, series margins.
    void CalcAxisRect();
    void CalcSeriesMargins();
    // Draws every visible axis (when AxisVisible), after OnBeforeDrawAxes.
    void DrawAxes();
    // Draws one series clipped to the plot.
    void DrawOneSeries(TChartSeries& series);
    // Whether the paint cycle should draw the walls (no active series, or one that uses axes).
    bool WallsWanted() const;
    // The picture below the tools' after-draw stage, before they and the after-draw event run.
    void DrawOverlay();

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    // The part under the mouse after a press nobody handled (click events).
    virtual void ClickedAt(TMouseButton button, TShiftState shift, int x, int y);
    void Paint() override;

    bool FDestroying = false;

private:
    void SeriesGone(TChartSeries& series);
    TColor FreePaletteColor() const;
    bool PaintFromKeptPicture();
    void KeepCurrentPicture();

    std::vector<std::unique_ptr<TChartSeries>> FSeries;
    std::unique_ptr<TChartAxis> FBottomAxis;
    std::unique_ptr<TChartAxis> FTopAxis;
    std::unique_ptr<TChartAxis> FLeftAxis;
    std::unique_ptr<TChartAxis> FRightAxis;
    std::unique_ptr<TChartAxis> FDepthAxis;
    std::vector<std::unique_ptr<TChartAxis>> FCustomAxes;
    std::vector<TChartAxis*> FAxes;
    std::unique_ptr<TChartTools> FTools;
    bool FAxisVisible = true;
    bool FAxisBehind = true;
    bool FClipPoints = true;
    bool FView3DWalls = true;

    // The series whose point the mouse is over (mouse enter and leave events).
    TChartSeries* FSeriesUnderMouse = nullptr;
    void SetSeriesUnderMouse(TChartSeries* series);

    // Kept picture and the drawing state it was taken in.
    bool FKeepPicture = false;
    bool FOverlayOnly = false;
    bool FLastPaintFromKept = false;
    std::unique_ptr<TBitmap> FKeptPicture;
    struct TKeptState;
    std::unique_ptr<TKeptState> FKeptState;
};
