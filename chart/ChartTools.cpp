#include "chart/ChartTools.h"

#include "chart/ChartAxis.h"
#include "chart/PointSearch.h"

#include <algorithm>
#include <cassert>
#include <cmath>

// ---- TChartCustomTool -------------------------------------------------------------------------

TChartCustomTool::TChartCustomTool()
{
    FPen.OnChange = [this](TPen*) { Repaint(); };
    FBrush.OnChange = [this](TBrush*) { Repaint(); };
}

TChartCustomTool::~TChartCustomTool()
{
    FPen.OnChange = nullptr;
    FBrush.OnChange = nullptr;
    if (TCustomAxisPanel* chart = Chart()) {
        // An owned tool is freed by the list, which has let go of it already; a tool its creator
        // owns leaves the list here.
        std::unique_ptr<TChartCustomTool> owned = chart->Tools().Detach(*this);
        (void)owned.release();
    }
    TCustomChartElement::SetParentChart(nullptr);
}

TCustomAxisPanel* TChartCustomTool::Chart() const
{
    return dynamic_cast<TCustomAxisPanel*>(ParentChart());
}

void TChartCustomTool::SetParentChart(TChartHost* chart)
{
    if (chart == ParentChart())
        return;
    std::unique_ptr<TChartCustomTool> owned;
    TCustomAxisPanel* old = Chart();
    if (old != nullptr)
        owned = old->Tools().Detach(*this);
    else if (FKeeper != nullptr)
        owned = FKeeper->Detach(*this);
    FKeeper = nullptr;
    TCustomChartElement::SetParentChart(chart);
    auto* panel = dynamic_cast<TCustomAxisPanel*>(chart);
    if (panel != nullptr) {
        panel->Tools().Attach(*this, std::move(owned));
        return;
    }
    if (old != nullptr) {
        if (owned) {
            FKeeper = &old->Tools();
            FKeeper->FOrphans.push_back(std::move(owned));
        }
        if (chart == nullptr)
            old->Invalidate();
    }
}

void TChartCustomTool::PaintStageEvent(TChartToolPaintStage) {}

void TChartCustomTool::MouseActionEvent(TChartMouseAction, TMouseButton, TShiftState, int, int) {}

void TChartCustomTool::SeriesRemoved(TChartSeries&) {}

void TChartCustomTool::Repaint()
{
    TCustomAxisPanel* chart = Chart();
    if (chart != nullptr && DrawsAfterDrawOnly())
        chart->RepaintOverlay();
    else
        TCustomChartElement::Repaint();
}

// ---- TChartCustomToolSeries -------------------------------------------------------------------

TChartCustomToolSeries::~TChartCustomToolSeries()
{
    if (FSeries != nullptr)
        FSeries->RemoveFreeNotification(FSeriesFreeNotification);
}

void TChartCustomToolSeries::SetSeries(TChartSeries* value)
{
    if (FSeries == value)
        return;
    if (FSeries != nullptr)
        FSeries->RemoveFreeNotification(FSeriesFreeNotification);
    FSeriesFreeNotification = 0;
    FSeries = value;
    if (value != nullptr)
        FSeriesFreeNotification = value->AddFreeNotification([this](TChartSeries& gone) {
            if (FSeries == &gone)
                SetSeries(nullptr);
        });
    Repaint();
}

void TChartCustomToolSeries::SeriesRemoved(TChartSeries& series)
{
    if (FSeries == &series)
        SetSeries(nullptr);
}

TChartAxis* TChartCustomToolSeries::GetHorizAxis() const
{
    if (FSeries != nullptr && FSeries->GetHorizAxis() != nullptr)
        return FSeries->GetHorizAxis();
    TCustomAxisPanel* chart = Chart();
    return chart != nullptr ? &chart->BottomAxis() : nullptr;
}

TChartAxis* TChartCustomToolSeries::GetVertAxis() const
{
    if (FSeries != nullptr && FSeries->GetVertAxis() != nullptr)
        return FSeries->GetVertAxis();
    TCustomAxisPanel* chart = Chart();
    return chart != nullptr ? &chart->LeftAxis() : nullptr;
}

// ---- TChartTools ------------------------------------------------------------------------------

TChartTools::TChartTools(TCustomAxisPanel& chart) : FChart(chart) {}

TChartTools::~TChartTools()
{
    Clear();
    std::vector<std::unique_ptr<TChartCustomTool>> orphans = std::move(FOrphans);
    orphans.clear();
}

TChartCustomTool& TChartTools::Items(int index) const
{
    assert(index >= 0 && index < Count());
    return *FItems[static_cast<size_t>(index)].Tool;
}

int TChartTools::IndexOf(const TChartCustomTool& tool) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Tool == &tool)
            return static_cast<int>(i);
    return -1;
}

TChartCustomTool& TChartTools::Add(std::unique_ptr<TChartCustomTool> tool)
{
    if (!tool)
        throw EChartException("Tool is missing");
    TChartCustomTool& added = *tool;
    if (IndexOf(added) >= 0)
        throw EChartException("Tool is already in the chart");
    // A tool bound to another chart leaves it first.
    if (added.ParentChart() != nullptr)
        added.SetParentChart(nullptr);
    added.TCustomChartElement::SetParentChart(&FChart);
    Attach(added, std::move(tool));
    return added;
}

void TChartTools::Add(TChartCustomTool& tool)
{
    if (IndexOf(tool) >= 0)
        return;
    tool.SetParentChart(&FChart);
}

void TChartTools::Attach(TChartCustomTool& tool, std::unique_ptr<TChartCustomTool> owned)
{
    FItems.push_back({&tool, std::move(owned)});
    FChart.Invalidate();
}

std::unique_ptr<TChartCustomTool> TChartTools::Detach(TChartCustomTool& tool)
{
    for (auto it = FItems.begin(); it != FItems.end(); ++it) {
        if (it->Tool == &tool) {
            std::unique_ptr<TChartCustomTool> owned = std::move(it->Owned);
            FItems.erase(it);
            return owned;
        }
    }
    for (auto it = FOrphans.begin(); it != FOrphans.end(); ++it) {
        if (it->get() == &tool) {
            std::unique_ptr<TChartCustomTool> owned = std::move(*it);
            FOrphans.erase(it);
            return owned;
        }
    }
    return nullptr;
}

void TChartTools::Clear()
{
    std::vector<TEntry> items = std::move(FItems);
    FItems.clear();
    for (TEntry& entry : items) {
        entry.Tool->TCustomChartElement::SetParentChart(nullptr);
        entry.Owned.reset();
    }
    FChart.Invalidate();
}

// ---- TNearestTool -----------------------------------------------------------------------------

TNearestTool::TNearestTool()
{
    Pen().SetColor(clWhite);
    Pen().SetStyle(psDot);
    Brush().SetStyle(bsClear);
}

void TNearestTool::SetStyle(TNearestToolStyle value)
{
    SetProperty(FStyle, value);
}

void TNearestTool::SetSize(int32_t value)
{
    SetProperty(FSize, std::max(value, 0));
}

bool TNearestTool::SearchRange(int32_t& first, int32_t& last) const
{
    const TChartSeries* series = Series();
    if (series == nullptr || Chart() == nullptr) {
        return false;
    }
    const int32_t count = series->Count();
    first = std::max(series->FirstVisibleIndex(), 0);
    last = series->LastVisibleIndex();
    if (last < 0 || last >= count) {
        last = count - 1;
    }
    return count > 0 && first <= last;
}

int32_t TNearestTool::FindNearest(int32_t x, int32_t y) const
{
    int32_t first = 0;
    int32_t last = -1;
    if (!SearchRange(first, last)) {
        return -1;
    }
    TPointSearchOptions options;
    options.First = first;
    options.Last = last;
    options.WithinRect = true;
    options.Rect = Chart()->PlotRect();
    options.Limit = NearestSearchLimit;
    return FindNearestPoint(*Series(), x, y, options);
}

void TNearestTool::PaintMarker()
{
    TChartSeries* series = Series();
    TCustomAxisPanel* chart = Chart();
    if (series == nullptr || chart == nullptr || FNearestIndex < 0 ||
        FNearestIndex >= series->Count()) {
        return;
    }
    TChartCanvas3D& canvas = chart->ChartCanvas();
    canvas.SelectPen(Pen());
    if (!FFullRepaint) {
        canvas.Pen().SetMode(pmNotXor);
    }
    const int32_t px = series->PointPixelX(FNearestIndex);
    const int32_t py = series->PointPixelY(FNearestIndex);
    const int32_t x0 = SaturateInt32(static_cast<int64_t>(px) - FSize);
    const int32_t y0 = SaturateInt32(static_cast<int64_t>(py) - FSize);
    const int32_t x1 = SaturateInt32(static_cast<int64_t>(px) + FSize);
    const int32_t y1 = SaturateInt32(static_cast<int64_t>(py) + FSize);
    if (FStyle != hsNone) {
        canvas.SelectBrush(Brush(), clBlack);
        switch (FStyle) {
        case hsCircle:
            canvas.Ellipse(x0, y0, x1, y1);
            break;
        case hsRectangle:
            canvas.Rectangle(x0, y0, x1, y1);
            break;
        case hsDiamond: {
            const TPoint points[4] = {{px, y0}, {x1, py}, {px, y1}, {x0, py}};
            canvas.PolygonAtDepth(points, 3, 0);
            break;
        }
        case hsNone:
            break;
        }
    }
    if (FDrawLine) {
        canvas.Pen().SetStyle(psSolid);
        canvas.MoveTo(FMousePos.X, FMousePos.Y);
        canvas.LineTo(px, py);
    }
    if (!FFullRepaint) {
        canvas.Pen().SetMode(pmCopy);
    }
}

void TNearestTool::PaintStageEvent(TChartToolPaintStage stage)
{
    if (stage == tpsAfterDraw) {
        PaintMarker();
    }
}

void TNearestTool::MouseActionEvent(TChartMouseAction action, TMouseButton, TShiftState, int x,
                                    int y)
{
    if (action != cmaMouseMove || Series() == nullptr) {
        return;
    }
    if (!FFullRepaint) {
        PaintMarker(); // erases the old marker: inverting twice restores the pixels
    }
    FNearestIndex = FindNearest(x, y);
    FMousePos = {x, y};
    if (!FFullRepaint) {
        PaintMarker();
    }
    if (OnChange) {
        OnChange(*this);
    }
    if (FFullRepaint) {
        // Only the marker moved: the chart may reuse the picture below the tools.
        if (TCustomAxisPanel* chart = Chart()) {
            chart->RepaintOverlay();
        }
    }
}
