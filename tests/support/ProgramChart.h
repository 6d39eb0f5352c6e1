#pragma once
// A chart set up as the program's charts are: silver, no bevel, one bold title line of height
// -18, no legend, a transparent back wall, no zoom and no panning, the fixed left axis.
#include "chart/Chart.h"

#include <QString>

#include <memory>

inline std::unique_ptr<TChart> ProgramChart(int width, int height, const QString& title)
{
    auto chart = std::make_unique<TChart>();
    chart->BeginLoading();
    chart->SetBounds(0, 0, width, height);
    chart->SetColor(clSilver);
    chart->SetBevelOuter(bvNone);
    chart->SetAllowPanning(pmNone);
    chart->Zoom().SetAllow(false);
    chart->Legend().SetVisible(false);
    chart->SetView3D(false);
    chart->SetView3DWalls(false);
    chart->BackWall().Brush().SetColor(clWhite);
    chart->BackWall().Brush().SetStyle(bsClear);
    chart->Title().SetAdjustFrame(false);
    chart->Title().Font().SetHeight(-18);
    chart->Title().Font().SetStyle(fsBold);
    chart->Title().SetText({title});
    TChartAxis& left = chart->LeftAxis();
    left.SetAutomatic(false);
    left.SetAutomaticMaximum(false);
    left.SetAutomaticMinimum(false);
    left.SetMinimum(45);
    left.SetMaximum(115);
    left.SetAxisValuesFormat("##0.0%");
    chart->EndLoading();
    return chart;
}
