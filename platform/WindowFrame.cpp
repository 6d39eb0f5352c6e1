#include "platform/WindowFrame.h"

#include <QWidget>

Qt::WindowFlags DialogFrameFlags(bool stayOnTop)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

void ShowRestored(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
}
