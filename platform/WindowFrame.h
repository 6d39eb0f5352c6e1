#pragma once
// The frame a dialog without system buttons asks of the window system, and bringing such a
// window back to the front when it is shown again.
#include <QtCore/qnamespace.h>

class QWidget;

// Flags of a dialog with a title bar and a border but no window menu, minimise, maximise or
// close button; stayOnTop keeps it above other windows.
Qt::WindowFlags DialogFrameFlags(bool stayOnTop);

// Shows window (without activating it when it carries Qt::WA_ShowWithoutActivating), brought
// back from minimised and raised above its siblings: a window manager may minimise a dialog
// that offers no button for it.
void ShowRestored(QWidget* window);
