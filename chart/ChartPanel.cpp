#include "chart/ChartPanel.h"

#include "chart/ChartTools.h"

#include <algorithm>
#include <cstdio>

namespace {

int SaturatedAdd(int a, int64_t b)
{
    return SaturateInt32(int64_t{a} + b);
}

// Restores a flag when the scope ends, also by an exception.
class TFlagRestore
{
public:
    TFlagRestore(bool& flag, bool value) : FFlag(flag), FSaved(flag) { flag = value; }
    ~TFlagRestore() { FFlag = FSaved; }
    TFlagRestore(const TFlagRestore&) = delete;
    TFlagRestore& operator=(const TFlagRestore&) = delete;

private:
    bool& FFlag;
    bool FSaved;
};

} // namespace

// ---- TCustomPanelNoCaption --------------------------------------------------------------------

TCustomPanelNoCaption::TCustomPanelNoCaption(QWidget* parent) : TCustomControl(parent) {}

// ---- TCustomChartPanel ------------------------------------------------------------------------

TCustomChartPanel::TCustomChartPanel(QWidget* parent)
    : TCustomPanelNoCaption(parent), FChartCanvas(std::make_unique<TChartCanvas3D>())
{
    FChartCanvas->AttachSurface(Canvas());
    // The paint cycle paints every pixel; the background is never erased first.
    SetOpaque(true);
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 400, 250);
    FView3DOptions.OnRepaint = [this] { Invalidate(); };
    FBorder.OnChange = [this](TPen*) { Invalidate(); };
    FShadow.OnChange = [this] { Invalidate(); };
}

TCustomChartPanel::~TCustomChartPanel()
{
    FRepaintEnabled = false;
    FView3DOptions.OnRepaint = nullptr;
    FBorder.OnChange = nullptr;
    FShadow.OnChange = nullptr;
}

void TCustomChartPanel::SetPlotRect(const TRect& value)
{
    FPlotRect = value;
    CheckPlotRect();
}

void TCustomChartPanel::CheckPlotRect()
{
    TRect& r = FPlotRect;
    r.Left = std::max(r.Left, FPanelRect.Left);
    r.Top = std::max(r.Top, FPanelRect.Top);
    if (r.Left > r.Right)
        r.Right = SaturatedAdd(r.Left, 1);
    else if (r.Left == r.Right) // a control of no width still gets a one-pixel plot
        r.Right = SaturatedAdd(r.Left, std::max(Width(), 1));
    if (r.Top > r.Bottom)
        r.Bottom = SaturatedAdd(r.Top, 1);
    else if (r.Top == r.Bottom)
        r.Bottom = SaturatedAdd(r.Top, std::max(Height(), 1));
    FPlotWidth = r.Width();
    FPlotHeight = r.Height();
    FPlotCenter = {static_cast<int>((int64_t{r.Left} + r.Right) / 2),
                   static_cast<int>((int64_t{r.Top} + r.Bottom) / 2)};
}

int TCustomChartPanel::BorderSize() const
{
    // Summed in 64 bits: each width may be as large as an int holds.
    int64_t border = FBorderWidth;
    if (FBevelInner != bvNone)
        border += FBevelWidth;
    if (FBevelOuter != bvNone)
        border += FBevelWidth;
    if (FBorder.Visible())
        border += FBorder.Width();
    return static_cast<int>(std::min<int64_t>(border, INT32_MAX));
}

TRect TCustomChartPanel::PlotRectFromPanel(const TRect& panelRect) const
{
    const int border = BorderSize();
    auto pixels = [&](int margin, int extent) {
        if (FMarginUnits == muPixels)
            return margin;
        return static_cast<int>(int64_t{margin} * extent / 100);
    };
    // Edges kept within the drawing coordinates, so that titles and axes can still step
    // from them when a border or margin is larger than any control.
    auto edge = [](int base, int64_t offset) {
        return static_cast<int>(
            std::clamp<int64_t>(int64_t{base} + offset, -CoordinateLimit, CoordinateLimit));
    };
    const int width = panelRect.Width();
    const int height = panelRect.Height();
    return {edge(panelRect.Left, int64_t{border} + pixels(FMarginLeft, width)),
            edge(panelRect.Top, int64_t{border} + pixels(FMarginTop, height)),
            edge(panelRect.Right, -(int64_t{border} + pixels(FMarginRight, width))),
            edge(panelRect.Bottom, -(int64_t{border} + pixels(FMarginBottom, height)))};
}

void TCustomChartPanel::SetMarginLeft(int value)
{
    SetAndRepaint(FMarginLeft, value);
}
void TCustomChartPanel::SetMarginTop(int value)
{
    SetAndRepaint(FMarginTop, value);
}
void TCustomChartPanel::SetMarginRight(int value)
{
    SetAndRepaint(FMarginRight, value);
}
void TCustomChartPanel::SetMarginBottom(int value)
{
    SetAndRepaint(FMarginBottom, value);
}
void TCustomChartPanel::SetMarginUnits(TChartUnits value)
{
    SetAndRepaint(FMarginUnits, value);
}
void TCustomChartPanel::SetBevelOuter(TPanelBevel value)
{
    SetAndRepaint(FBevelOuter, value);
}
void TCustomChartPanel::SetBevelInner(TPanelBevel value)
{
    SetAndRepaint(FBevelInner, value);
}
void TCustomChartPanel::SetBevelWidth(int value)
{
    SetAndRepaint(FBevelWidth, std::max(value, 1));
}
void TCustomChartPanel::SetBorderWidth(int value)
{
    SetAndRepaint(FBorderWidth, std::max(value, 0));
}
void TCustomChartPanel::SetBorderRound(int value)
{
    SetAndRepaint(FBorderRound, std::max(value, 0));
}
void TCustomChartPanel::SetView3D(bool value)
{
    SetAndRepaint(FView3D, value);
}

void TCustomChartPanel::SetChart3DPercent(int value)
{
    if (value < ChartMin3DPercent || value > ChartMax3DPercent) {
        char message[64];
        std::snprintf(message, sizeof message, "3D effect percent must be between %d and %d",
                      ChartMin3DPercent, ChartMax3DPercent);
        throw EChartException(message);
    }
    SetAndRepaint(FChart3DPercent, value);
}

bool TCustomChartPanel::Monochrome() const
{
    return FChartCanvas->Monochrome();
}

void TCustomChartPanel::SetMonochrome(bool value)
{
    // The canvas marks itself dirty and asks for the repaint through the view options, but only
    // during a paint are those attached; ask here too.
    if (value == FChartCanvas->Monochrome())
        return;
    FChartCanvas->SetMonochrome(value);
    Invalidate();
}

bool TCustomChartPanel::BufferedDisplay() const
{
    return FChartCanvas->Buffered();
}

void TCustomChartPanel::SetBufferedDisplay(bool value)
{
    if (value == FChartCanvas->Buffered())
        return;
    FChartCanvas->SetBuffered(value);
    FChartCanvas->AttachSurface(Canvas());
    Invalidate();
}

void TCustomChartPanel::Invalidate()
{
    if (!FRepaintEnabled)
        return;
    FChartCanvas->MarkDirty();
    TCustomPanelNoCaption::Invalidate();
}

void TCustomChartPanel::Paint()
{
    if (FChartCanvas->PaintFromBuffer())
        return;
    Draw(Canvas(), ChartClientRect());
}

void TCustomChartPanel::Draw(TCanvas& canvas, const TRect& rect)
{
    FPanelRect = FChartCanvas->BeginDraw(canvas, &FView3DOptions, FView3D, rect);
    FPlotRect = PlotRectFromPanel(FPanelRect);
    CheckPlotRect();
    try {
        TFlagRestore drawing(FDrawing, true);
        InternalDraw(FPanelRect);
    } catch (...) {
        FChartCanvas->Unclip();
        FChartCanvas->AttachSurface(Canvas());
        FChartCanvas->MarkDirty();
        throw;
    }
    ++FDrawCount;
    FChartCanvas->EndDraw(canvas, Canvas(), rect);
}

void TCustomChartPanel::DrawToBitmap(TBitmap& bitmap)
{
    bitmap.SetSize(Width(), Height());
    if (bitmap.Empty())
        return;
    Draw(bitmap.Canvas(), {0, 0, Width(), Height()});
}

void TCustomChartPanel::FillPanelRect(const TRect& rect)
{
    if (Color() == clNone)
        return;
    TChartCanvas3D& c = *FChartCanvas;
    c.Brush().SetBitmap(nullptr);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(c.Monochrome() ? clWhite : Color());
    c.FillRect(rect);
}

void TCustomChartPanel::DrawPanelBackground(TRect rect)
{
    TChartCanvas3D& c = *FChartCanvas;
    const int shadowH = FShadow.HorizSize();
    const int shadowV = FShadow.VertSize();
    if (shadowH > 0 || shadowV > 0) {
        // The corner the shadow leaves free shows the parent's colour.
        const TControl* parent = ParentControl();
        c.Brush().SetBitmap(nullptr);
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(parent != nullptr ? parent->Color() : Color());
        c.FillRect(rect);
        rect.Right -= std::max(shadowH, 0);
        rect.Bottom -= std::max(shadowV, 0);
        TRect shadow = rect;
        OffsetRect(shadow, std::max(shadowH, 0), std::max(shadowV, 0));
        c.Brush().SetColor(FShadow.Color());
        c.FillRect(shadow);
    }
    FillPanelRect(rect);
    if (FBorder.Visible()) {
        c.SelectPen(FBorder);
        c.Brush().SetStyle(bsClear);
        if (FBorderRound > 0)
            c.RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, FBorderRound, FBorderRound);
        else
            c.Rectangle(rect);
        InflateRect(rect, -FBorder.Width(), -FBorder.Width());
    }
    TPen& pen = c.Pen();
    pen.SetNormal();
    pen.SetMode(pmCopy);
    auto bevel = [&](TPanelBevel kind) {
        if (kind == bvNone)
            return;
        if (kind == bvSpace) {
            InflateRect(rect, -FBevelWidth, -FBevelWidth);
            return;
        }
        const bool raised = kind == bvRaised;
        c.BevelFrame(rect, raised ? clBtnHighlight : clBtnShadow, FBevelWidth,
                     raised ? clBtnShadow : clBtnHighlight);
    };
    bevel(FBevelOuter);
    if (FBorderWidth > 0)
        c.BevelFrame(rect, Color(), FBorderWidth, Color());
    bevel(FBevelInner);
}

void TCustomChartPanel::DoAfterDraw()
{
    if (OnAfterDraw)
        OnAfterDraw(this);
}

void TCustomChartPanel::DoBeforeDrawAxes()
{
    if (OnBeforeDrawAxes)
        OnBeforeDrawAxes(this);
}

void TCustomChartPanel::DoBeforeDrawChart()
{
    if (OnBeforeDrawChart)
        OnBeforeDrawChart(this);
}

void TCustomChartPanel::DoBeforeDrawSeries()
{
    if (OnBeforeDrawSeries)
        OnBeforeDrawSeries(this);
}

int TCustomChartPanel::AddListener(TChartListener listener)
{
    const int id = FNextListenerId++;
    FListeners.emplace_back(id, std::move(listener));
    return id;
}

void TCustomChartPanel::RemoveListener(int id)
{
    std::erase_if(FListeners, [id](const auto& entry) { return entry.first == id; });
}

void TCustomChartPanel::BroadcastMouseEvent(const TChartMouseEvent& event)
{
    // A copy: a listener may add or remove listeners.
    const auto listeners = FListeners;
    for (const auto& [id, listener] : listeners) {
        if (listener)
            listener(*this, event);
        if (FMouseHandled)
            break;
    }
}

void TCustomChartPanel::Loaded()
{
    TCustomPanelNoCaption::Loaded();
    FRestoreCursor = Cursor();
    Invalidate();
}

void TCustomChartPanel::Resize()
{
    FChartCanvas->MarkDirty();
    TCustomPanelNoCaption::Resize();
}

void TCustomChartPanel::ColorChanged()
{
    Invalidate();
}

// ---- TChartZoom -------------------------------------------------------------------------------

TChartZoom::TChartZoom(TCustomChartPanel& chart) : FChart(chart)
{
    FBrush.SetStyle(bsClear);
}

void TChartZoom::Start(int x, int y)
{
    FActive = true;
    FX0 = FX1 = x;
    FY0 = FY1 = y;
}

void TChartZoom::Move(int x, int y)
{
    FX1 = x;
    FY1 = y;
    FChart.Invalidate();
}

TRect TChartZoom::DragRect() const
{
    return {FX0, FY0, FX1, FY1};
}

// ---- TCustomChartPanelExtended ----------------------------------------------------------------

TCustomChartPanelExtended::TCustomChartPanelExtended(QWidget* parent)
    : TCustomChartPanel(parent), FZoom(*this)
{
    FGradient.OnChange = [this] { Invalidate(); };
}

TCustomChartPanelExtended::~TCustomChartPanelExtended()
{
    FGradient.OnChange = nullptr;
}

TBitmap& TCustomChartPanelExtended::BackImage()
{
    if (!FBackImage) {
        FBackImage = std::make_unique<TBitmap>();
        FBackImage->OnChange = [this](TBitmap*) { Invalidate(); };
    }
    return *FBackImage;
}

bool TCustomChartPanelExtended::HasBackImage() const
{
    return FBackImage && !FBackImage->Empty();
}

void TCustomChartPanelExtended::SetBackImageInside(bool value)
{
    SetAndRepaint(FBackImageInside, value);
}

void TCustomChartPanelExtended::SetAllowPanning(TPanningMode value)
{
    SetAndRepaint(FAllowPanning, value);
}

void TCustomChartPanelExtended::FillPanelRect(const TRect& rect)
{
    if (FGradient.Visible()) {
        ChartCanvas().GradientFill(rect, FGradient);
        return;
    }
    TCustomChartPanel::FillPanelRect(rect);
}

void TCustomChartPanelExtended::DrawPanelBackground(TRect rect)
{
    TCustomChartPanel::DrawPanelBackground(rect);
    if (HasBackImage() && !FBackImageInside) {
        // Inside the bevels.
        const int border = BorderSize();
        InflateRect(rect, -border, -border);
        DrawBackImage(rect);
    }
}

void TCustomChartPanelExtended::DrawBackImage(const TRect& rect)
{
    if (!HasBackImage() || IsRectEmpty(rect))
        return;
    if (TCanvas* surface = ChartCanvas().Surface())
        surface->StretchDraw(rect, *FBackImage);
}

// ---- TCustomAxisPanel: construction and lists ---------------------------------------------------

struct TCustomAxisPanel::TKeptState
{
    TChartCanvas3D::TDrawingState Drawing;
};

TCustomAxisPanel::TCustomAxisPanel(QWidget* parent)
    : TCustomChartPanelExtended(parent), FTools(std::make_unique<TChartTools>(*this))
{
    FBottomAxis = std::make_unique<TChartAxis>(*this, true, false);
    FTopAxis = std::make_unique<TChartAxis>(*this, true, true);
    FLeftAxis = std::make_unique<TChartAxis>(*this, false, false);
    FRightAxis = std::make_unique<TChartAxis>(*this, false, true);
    FDepthAxis = std::make_unique<TChartAxis>(*this, false, false, true);
    FAxes = {FBottomAxis.get(), FTopAxis.get(), FLeftAxis.get(), FRightAxis.get(),
             FDepthAxis.get()};
    FRepaintEnabled = true;
}

TCustomAxisPanel::~TCustomAxisPanel()
{
    FDestroying = true;
    FRepaintEnabled = false;
    FTools->Clear();
    FreeAllSeries();
}

TChartSeries& TCustomAxisPanel::SeriesAt(int32_t index) const
{
    assert(index >= 0 && index < SeriesCount());
    return *FSeries[static_cast<size_t>(index)];
}

TColor TCustomAxisPanel::FreePaletteColor() const
{
    // The first palette colour no series of the chart uses; the first one when all are taken.
    for (int32_t i = 0; i < 64; ++i) {
        const TColor color = ChartPaletteColor(i);
        const bool used = std::any_of(FSeries.begin(), FSeries.end(),
                                      [&](const auto& s) { return s->SeriesColor() == color; });
        if (!used)
            return color;
    }
    return ChartPaletteColor(static_cast<int32_t>(FSeries.size()));
}

TChartSeries& TCustomAxisPanel::AddSeries(std::unique_ptr<TChartSeries> series)
{
    if (!series)
        throw EChartException("Series is missing");
    TChartSeries& added = *series;
    if (SeriesIndexOf(added) >= 0)
        throw EChartException("Series is already in the chart");
    if (added.SeriesColor() == clDefault)
        added.SetSeriesColor(FreePaletteColor());
    FSeries.push_back(std::move(series));
    added.SetParentChart(this);
    Invalidate();
    return added;
}

int32_t TCustomAxisPanel::SeriesIndexOf(const TChartSeries& series) const
{
    for (size_t i = 0; i < FSeries.size(); ++i)
        if (FSeries[i].get() == &series)
            return static_cast<int32_t>(i);
    return -1;
}

void TCustomAxisPanel::SeriesGone(TChartSeries& series)
{
    if (FSeriesUnderMouse == &series)
        FSeriesUnderMouse = nullptr;
    for (int i = 0; i < FTools->Count(); ++i)
        FTools->Items(i).SeriesRemoved(series);
}

std::unique_ptr<TChartSeries> TCustomAxisPanel::RemoveSeries(TChartSeries& series)
{
    const int32_t index = SeriesIndexOf(series);
    if (index < 0)
        return nullptr;
    SeriesGone(series);
    std::unique_ptr<TChartSeries> removed = std::move(FSeries[static_cast<size_t>(index)]);
    FSeries.erase(FSeries.begin() + index);
    removed->SetParentChart(nullptr);
    Invalidate();
    return removed;
}

void TCustomAxisPanel::FreeAllSeries()
{
    while (!FSeries.empty()) {
        std::unique_ptr<TChartSeries> last = std::move(FSeries.back());
        FSeries.pop_back();
        SeriesGone(*last);
        last->SetParentChart(nullptr);
    }
    Invalidate();
}

void TCustomAxisPanel::ExchangeSeries(int32_t a, int32_t b)
{
    if (a < 0 || b < 0 || a >= SeriesCount() || b >= SeriesCount())
        throw EChartException("Series index out of range");
    if (a == b)
        return;
    std::swap(FSeries[static_cast<size_t>(a)], FSeries[static_cast<size_t>(b)]);
    Invalidate();
}

int32_t TCustomAxisPanel::ActiveSeriesCount() const
{
    return static_cast<int32_t>(
        std::count_if(FSeries.begin(), FSeries.end(), [](const auto& s) { return s->Active(); }));
}

TChartAxis& TCustomAxisPanel::AddCustomAxis(bool horizontal, bool otherSide)
{
    FCustomAxes.push_back(std::make_unique<TChartAxis>(*this, horizontal, otherSide));
    FAxes.push_back(FCustomAxes.back().get());
    Invalidate();
    return *FCustomAxes.back();
}

void TCustomAxisPanel::Invalidate()
{
    if (!FRepaintEnabled)
        return;
    FOverlayOnly = false;
    TCustomChartPanelExtended::Invalidate();
}

void TCustomAxisPanel::SeriesColorChanged(TChartSeries&)
{
    Invalidate();
}

void TCustomAxisPanel::SeriesActiveChanged(TChartSeries&)
{
    Invalidate();
}

void TCustomAxisPanel::NotifyTools(TChartToolPaintStage stage)
{
    // By index: a tool may switch itself or others on or off meanwhile.
    for (int i = 0; i < FTools->Count(); ++i) {
        TChartCustomTool& tool = FTools->Items(i);
        if (tool.Active())
            tool.PaintStageEvent(stage);
    }
}

void TCustomAxisPanel::NotifyToolsMouse(TChartMouseAction action, TMouseButton button,
                                        TShiftState shift, int x, int y)
{
    for (int i = 0; i < FTools->Count(); ++i) {
        TChartCustomTool& tool = FTools->Items(i);
        if (!tool.Active())
            continue;
        tool.MouseActionEvent(action, button, shift, x, y);
        if (FMouseHandled)
            break;
    }
}

// ---- TCustomAxisPanel: paint cycle ------------------------------------------------------------

bool TCustomAxisPanel::IsAxisVisible(const TChartAxis& axis) const
{
    if (!FAxisVisible || !axis.Visible())
        return false;
    if (axis.IsDepthAxis())
        return View3D();
    bool anyActive = false;
    for (const auto& series : FSeries) {
        if (!series->Active())
            continue;
        anyActive = true;
        if (!series->UsesAxes())
            return false;
        if (axis.Horizontal()) {
            if (series->HorizAxis() == aBothHorizAxis || series->GetHorizAxis() == &axis)
                return true;
        } else if (series->VertAxis() == aBothVertAxis || series->GetVertAxis() == &axis) {
            return true;
        }
    }
    return !anyActive;
}

bool TCustomAxisPanel::WallsWanted() const
{
    bool anyActive = false;
    for (const auto& series : FSeries) {
        if (!series->Active())
            continue;
        anyActive = true;
        if (series->UsesAxes())
            return true;
    }
    return !anyActive;
}

void TCustomAxisPanel::DrawTitlesAndLegend(bool) {}

void TCustomAxisPanel::CalcWallsRect()
{
    // Flat charts: the walls take no room.
    CheckPlotRect();
}

int TCustomAxisPanel::AxisDepthSize(const TChartAxis&) const
{
    return 0;
}

void TCustomAxisPanel::CalcAxisRect()
{
    for (TChartAxis* axis : FAxes) {
        axis->ComputeAutoRange();
        axis->PlaceOnChart();
    }
    TRect current = FPlotRect;
    for (TChartAxis* axis : FAxes) {
        if (!IsAxisVisible(*axis))
            continue;
        TRect shrunk = current;
        axis->ReserveRoom(shrunk);
        TRect overlap;
        if (IntersectRect(overlap, shrunk, current))
            current = shrunk;
    }
    FPlotRect = current;
    CheckPlotRect();
    for (TChartAxis* axis : FAxes)
        axis->PlaceOnChart();
}

void TCustomAxisPanel::CalcSeriesMargins()
{
    for (TChartAxis* axis : FAxes)
        axis->WidenForSeriesMargins();
}

void TCustomAxisPanel::DrawAxes()
{
    if (!FAxisVisible)
        return;
    DoBeforeDrawAxes();
    for (TChartAxis* axis : FAxes)
        if (IsAxisVisible(*axis))
            axis->DrawAxis();
}

void TCustomAxisPanel::DrawOneSeries(TChartSeries& series)
{
    series.CalcVisibleIndices();
    if (series.FirstVisibleIndex() < 0 || series.LastVisibleIndex() < 0)
        return;
    if (series.BeforeDrawValues)
        series.BeforeDrawValues(series);
    TChartCanvas3D& c = ChartCanvas();
    const bool clip = series.UsesAxes() && FClipPoints;
    if (clip)
        c.ClipPlotArea({FPlotRect.Left, FPlotRect.Top, FPlotRect.Right, FPlotRect.Bottom + 1}, 0,
                       0);
    try {
        series.DrawAllValues();
    } catch (...) {
        if (clip)
            c.Unclip();
        throw;
    }
    if (clip)
        c.Unclip();
    if (series.Marks().Visible())
        series.DrawMarks();
    if (series.AfterDrawValues)
        series.AfterDrawValues(series);
}

void TCustomAxisPanel::InternalDraw(const TRect& panelRect)
{
    TFlagRestore repaint(FRepaintEnabled, false);
    TChartCanvas3D& c = ChartCanvas();
    DrawPanelBackground(panelRect);
    NotifyTools(tpsBeforeDraw);
    DoBeforeDrawChart();
    for (const auto& series : FSeries)
        if (series->Active())
            series->BeforePaint();
    c.BeginTitleMode();
    DrawTitlesAndLegend(true);
    c.EndTitleMode();
    CalcWallsRect();
    CalcAxisRect();
    CalcSeriesMargins();
    c.SetupProjection(Chart3DPercent(), panelRect, FPlotRect);
    if (WallsWanted())
        DrawWalls();
    if (FAxisBehind)
        DrawAxes();
    NotifyTools(tpsBeforeSeries);
    DoBeforeDrawSeries();
    // By index: the list does not change during a paint, but a handler could try.
    for (int32_t i = 0; i < SeriesCount(); ++i) {
        TChartSeries& series = SeriesAt(i);
        if (series.Active())
            DrawOneSeries(series);
    }
    if (!FAxisBehind)
        DrawAxes();
    DrawTitlesAndLegend(false);
    if (Zoom().Active()) {
        c.SelectPen(Zoom().Pen());
        c.Brush().SetStyle(bsClear);
        c.Rectangle(Zoom().DragRect());
    }
    if (FKeepPicture)
        KeepCurrentPicture();
    DrawOverlay();
}

void TCustomAxisPanel::DrawOverlay()
{
    NotifyTools(tpsAfterDraw);
    ChartCanvas().ResetDrawingState();
    DoAfterDraw();
}

// ---- Kept picture -----------------------------------------------------------------------------

void TCustomAxisPanel::SetKeepPicture(bool value)
{
    if (FKeepPicture == value)
        return;
    FKeepPicture = value;
    if (!value) {
        FKeptPicture.reset();
        FKeptState.reset();
    }
}

void TCustomAxisPanel::KeepCurrentPicture()
{
    TChartCanvas3D& c = ChartCanvas();
    TBitmap* buffer = c.BufferBitmap();
    if (buffer == nullptr || c.Surface() != &buffer->Canvas()) {
        // Unbuffered paints leave nothing to keep.
        FKeptPicture.reset();
        FKeptState.reset();
        return;
    }
    if (!FKeptPicture)
        FKeptPicture = std::make_unique<TBitmap>();
    if (FKeptPicture->Width() == buffer->Width() && FKeptPicture->Height() == buffer->Height() &&
        FKeptPicture->PixelRatio() == buffer->PixelRatio()) {
        // Copied into the kept bitmap's own pixels: sharing the buffer's would make the next
        // paint copy the buffer into newly allocated memory instead.
        BitBlt(FKeptPicture->Canvas(), 0, 0, buffer->Width(), buffer->Height(), buffer->Canvas(), 0,
               0);
    } else {
        *FKeptPicture = *buffer;
    }
    if (!FKeptState)
        FKeptState = std::make_unique<TKeptState>();
    FKeptState->Drawing = c.SaveDrawingState();
}

void TCustomAxisPanel::RepaintOverlay()
{
    if (!FRepaintEnabled)
        return;
    TChartCanvas3D& c = ChartCanvas();
    const bool fullPending = c.Dirty() && !FOverlayOnly;
    if (!FKeepPicture || !FKeptPicture || fullPending) {
        if (!fullPending)
            Invalidate();
        else
            update();
        return;
    }
    FOverlayOnly = true;
    c.MarkDirty();
    update();
}

bool TCustomAxisPanel::PaintFromKeptPicture()
{
    TChartCanvas3D& c = ChartCanvas();
    const TRect client = ChartClientRect();
    if (!FKeptPicture || !FKeptState || !c.Buffered() || FKeptPicture->Width() != client.Width() ||
        FKeptPicture->Height() != client.Height())
        return false;
    TCanvas& target = Canvas();
    c.BeginDraw(target, &View3DOptions(), View3D(), client);
    TBitmap* buffer = c.BufferBitmap();
    BitBlt(buffer->Canvas(), 0, 0, buffer->Width(), buffer->Height(), FKeptPicture->Canvas(), 0, 0);
    c.RestoreDrawingState(FKeptState->Drawing);
    try {
        TFlagRestore drawing(FDrawing, true);
        TFlagRestore repaint(FRepaintEnabled, false);
        DrawOverlay();
    } catch (...) {
        c.AttachSurface(Canvas());
        c.MarkDirty();
        throw;
    }
    c.EndDraw(target, Canvas(), client);
    return true;
}

void TCustomAxisPanel::Paint()
{
    const bool overlayOnly = FOverlayOnly;
    FOverlayOnly = false;
    FLastPaintFromKept = false;
    if (overlayOnly && FKeepPicture && ChartCanvas().Dirty() && PaintFromKeptPicture()) {
        FLastPaintFromKept = true;
        return;
    }
    TCustomChartPanelExtended::Paint();
}

// ---- TCustomAxisPanel: mouse ------------------------------------------------------------------

void TCustomAxisPanel::MouseMove(TShiftState shift, int x, int y)
{
    FMouseHandled = false;
    TCustomChartPanelExtended::MouseMove(shift, x, y);
    if (HasListeners() && !Designing())
        BroadcastMouseEvent({cmeMove, mbLeft, shift, x, y});
    if (!Designing())
        NotifyToolsMouse(cmaMouseMove, mbLeft, shift, x, y);
    if (FMouseHandled)
        return;
    if (Zoom().Active()) {
        Zoom().Move(x, y);
        return;
    }
    if (FPanning) {
        if (!PtInRect(FPlotRect, {x, y})) {
            FPanning = false;
            return;
        }
        const TPanningMode mode = AllowPanning();
        for (TChartAxis* axis : FAxes) {
            if (axis->IsDepthAxis())
                continue;
            const bool horizontal = axis->Horizontal();
            if ((horizontal && (mode == pmHorizontal || mode == pmBoth)) ||
                (!horizontal && (mode == pmVertical || mode == pmBoth))) {
                const int from = horizontal ? FPanStart.X : FPanStart.Y;
                const int to = horizontal ? x : y;
                const double delta = axis->PixelToValue(from) - axis->PixelToValue(to);
                if (delta != 0)
                    axis->SetScaleRange(axis->ScaleMinimum() + delta, axis->ScaleMaximum() + delta);
            }
        }
        FPanStart = {x, y};
        Invalidate();
        return;
    }
    // A series under the mouse with a cursor or enter/leave events of its own.
    for (int32_t i = SeriesCount() - 1; i >= 0; --i) {
        TChartSeries& series = SeriesAt(i);
        if (!series.Active() || !series.HasPointMouseReaction())
            continue;
        if (series.PointAtPixel(x, y) < 0)
            continue;
        if (series.Cursor() != crDefault)
            SetCursor(series.Cursor());
        SetSeriesUnderMouse(&series);
        return;
    }
    SetSeriesUnderMouse(nullptr);
    SetCursor(FRestoreCursor);
}

void TCustomAxisPanel::SetSeriesUnderMouse(TChartSeries* series)
{
    if (series == FSeriesUnderMouse)
        return;
    TChartSeries* left = FSeriesUnderMouse;
    FSeriesUnderMouse = series;
    if (left != nullptr && SeriesIndexOf(*left) >= 0 && left->OnMouseLeave)
        left->OnMouseLeave(*left);
    if (series != nullptr && series->OnMouseEnter)
        series->OnMouseEnter(*series);
}

void TCustomAxisPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    FMouseHandled = false;
    TCustomChartPanelExtended::MouseDown(button, shift, x, y);
    if (HasListeners() && !Designing())
        BroadcastMouseEvent({cmeDown, button, shift, x, y});
    if (FMouseHandled || Zoom().Active() || FPanning)
        return;
    NotifyToolsMouse(cmaMouseDown, button, shift, x, y);
    if (FMouseHandled)
        return;
    ClickedAt(button, shift, x, y);
    if (FMouseHandled)
        return;
    if (!PtInRect(FPlotRect, {x, y}))
        return;
    if (Zoom().Allow() && button == Zoom().MouseButton()) {
        Zoom().Start(x, y);
    } else if (AllowPanning() != pmNone && button == mbRight) {
        FPanning = true;
        FPanStart = {x, y};
    }
}

void TCustomAxisPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    FMouseHandled = false;
    TCustomChartPanelExtended::MouseUp(button, shift, x, y);
    if (HasListeners() && !Designing())
        BroadcastMouseEvent({cmeUp, button, shift, x, y});
    NotifyToolsMouse(cmaMouseUp, button, shift, x, y);
    if (FPanning && button == mbRight)
        FPanning = false;
    if (Zoom().Active() && button == Zoom().MouseButton()) {
        const TRect r = Zoom().DragRect();
        Zoom().Stop();
        const int minimum = Zoom().MinimumPixels();
        if (r.Right - r.Left >= minimum && r.Bottom - r.Top >= minimum) {
            // Dragged down and right: zoom into the rectangle.
            for (TChartAxis* axis : FAxes) {
                if (axis->IsDepthAxis())
                    continue;
                if (axis->Horizontal())
                    axis->SetScaleRange(axis->PixelToValue(r.Left), axis->PixelToValue(r.Right));
                else
                    axis->SetScaleRange(axis->PixelToValue(r.Bottom), axis->PixelToValue(r.Top));
            }
        } else if (r.Right < r.Left && r.Bottom < r.Top) {
            // Dragged up and left: back to the automatic ranges.
            for (TChartAxis* axis : FAxes)
                axis->SetAutomatic(true);
        }
        Invalidate();
    }
}

void TCustomAxisPanel::MouseLeave()
{
    TCustomChartPanelExtended::MouseLeave();
    SetSeriesUnderMouse(nullptr);
    SetCursor(FRestoreCursor);
    FPanning = false;
}

void TCustomAxisPanel::ClickedAt(TMouseButton, TShiftState, int x, int y)
{
    for (int32_t i = SeriesCount() - 1; i >= 0; --i) {
        TChartSeries& series = SeriesAt(i);
        if (!series.Active() || !series.OnClick)
            continue;
        const int32_t index = series.PointAtPixel(x, y);
        if (index >= 0) {
            series.OnClick(series, index, x, y);
            return;
        }
    }
}
