#include "chart/ChartTools.h"

#include "chart/ChartAxis.h"

#include <cassert>

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

// ---- TChartCustomToolSeries -------------------------------------------------------------------

void TChartCustomToolSeries::SetSeries(TChartSeries* value)
{
    if (FSeries == value)
        return;
    FSeries = value;
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
