#include "app/FormStyle.h"

#include <QPalette>
#include <QWidget>

QFont FormFont(const char* name, int pixelHeight, TFontStyles style)
{
    TFont font;
    font.SetName(QString::fromLatin1(name));
    font.SetHeight(-pixelHeight);
    font.SetStyle(style);
    return font.ToQFont();
}

void SetFormColors(QWidget* widget, TColor background, TColor text)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        palette.setColor(role, ColorToQColor(background));
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, ColorToQColor(text));
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
