#pragma once
// Unit initialisation at program start, before any window exists: the locale's number
// separators, the font substitutions, the widget library's cursors and the accessibility
// interfaces of the instruments and the charts.
void InitializeUnits();
