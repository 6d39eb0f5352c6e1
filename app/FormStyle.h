#pragma once
// Small helpers shared by the program's dialogs to apply their stored layout: fonts given by
// family and pixel height, and background and text colours.
#include "platform/Colors.h"
#include "platform/Graphics.h"

#include <QFont>

class QWidget;

// A font as a stored layout gives it: family, height in pixels and style.
QFont FormFont(const char* name, int pixelHeight, TFontStyles style = 0);

// Paints widget's background (window and edit base) in background and its text in text.
void SetFormColors(QWidget* widget, TColor background, TColor text = clWindowText);
