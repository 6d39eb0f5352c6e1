#include "app/ChartAccessible.h"

#include "chart/Chart.h"

#include <QAccessible>

namespace {

// The chart carries no meta-object of its own, so Qt asks for it under "QWidget"; the factory
// recognises it by its C++ type.
QAccessibleInterface* ChartAccessibleFactory(const QString& /*key*/, QObject* object)
{
    if (auto* chart = dynamic_cast<TCustomChart*>(object))
        return new TChartAccessible(chart);
    return nullptr;
}

} // namespace

void InstallChartAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(ChartAccessibleFactory);
}

TChartAccessible::TChartAccessible(TCustomChart* chart)
    : QAccessibleWidget(chart, QAccessible::Chart)
{
}

QString TChartAccessible::text(QAccessible::Text t) const
{
    QString result = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && result.isEmpty()) {
        auto* chart = static_cast<TCustomChart*>(widget());
        result = chart->Title().Text().join(QLatin1Char(' ')).simplified();
    }
    return result;
}
