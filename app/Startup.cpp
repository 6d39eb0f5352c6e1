#include "app/Startup.h"

#include "chart/NumberFormat.h"
#include "platform/Fonts.h"
#include "widgets/IkControls.h"

void InitializeUnits()
{
    ReadNumberSeparatorsFromSystem();
    InstallFontSubstitutions();
    IkInitialize();
}
