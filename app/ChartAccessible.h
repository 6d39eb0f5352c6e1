#pragma once
// What screen readers see of a chart: role Chart, named after its title. The main window keeps
// the chart's accessible description at the latest sample in physical units.
#include <QAccessibleWidget>

class TCustomChart;

// Installs the factory that gives every chart its interface. Needs the application object;
// installing twice is harmless.
void InstallChartAccessibility();

class TChartAccessible : public QAccessibleWidget
{
public:
    explicit TChartAccessible(TCustomChart* chart);

    // Name: the widget's accessible name, else the title's lines joined by spaces.
    QString text(QAccessible::Text t) const override;
};
