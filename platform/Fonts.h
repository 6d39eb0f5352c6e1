#pragma once
// Font set-up: the classic desktop font names map to installed families that fit their room, and
// glyphs are hinted so that small text stays readable.
#include <QString>
#include <QStringList>

// Maps "Arial" and "MS Sans Serif" (and "Helvetica") to Liberation Sans (Arial's metrics), with
// DejaVu Sans as fallback, and has the glyphs below 20 pixels hinted by FreeType's autohinter.
// Call once after the QApplication exists and before any text is drawn; calling again does no
// harm.
void InstallFontSubstitutions();

// The families to draw a font of that name at that pixel size with, best first. Below 20 pixels
// the classic names take DejaVu Sans Condensed: it needs about the room of Arial and keeps a
// blank pixel between neighbouring glyphs, where Liberation Sans runs "00" together. From 20
// pixels on Liberation Sans has that room too and keeps the line breaks of Arial's widths. Other
// names are kept.
QStringList DrawingFamilies(const QString& name, int pixelSize);

// Text below this pixel size is drawn with grayscale glyphs, larger text with monochrome ones.
constexpr int GrayscaleTextLimit = 20;
