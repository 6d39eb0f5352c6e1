#pragma once
// The bevel that the main window gives its meter and slider: lowered inner frame of width 2 with
// one pixel of black space, raised outer frame outlined outside.
#include "widgets/IkClasses.h"

inline void MakeInstrumentBevel(TIkBevel& bevel)
{
    bevel.SetInnerStyle(bsLowered);
    bevel.SetInnerWidth(2);
    bevel.SetInnerSpace(1);
    bevel.SetInnerColor(clBlack);
    bevel.SetOuterStyle(bsRaised);
    bevel.SetOuterOutline(osOuter);
}
