#pragma once
// Font name substitution: the classic desktop font names map to installed metric-compatible
// families.

// Maps "Arial" and "MS Sans Serif" (and "Helvetica") to Liberation Sans, with DejaVu Sans as
// fallback. Call once after the QApplication exists; calling again does no harm.
void InstallFontSubstitutions();
