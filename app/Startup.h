#pragma once
// Unit initialisation at program start, before any window exists: the locale's number
// separators, the font substitutions and the widget library's cursors.
void InitializeUnits();
