#include "app/Startup.h"

#include "app/ChartAccessible.h"
#include "chart/NumberFormat.h"
#include "platform/Fonts.h"
#include "widgets/IkAccessible.h"
#include "widgets/IkControls.h"

void InitializeUnits()
{
    ReadNumberSeparatorsFromSystem();
    InstallFontSubstitutions();
    IkInitialize();
    // Screen readers: the instruments and the charts describe themselves.
    IkInstallAccessibility();
    InstallChartAccessibility();
}
