#pragma once
// The picture of the charts as the user sees them (series, markers and crosshair included), at the
// screen's device resolution, and its saving as a PNG file.
#include <QImage>
#include <QString>

class QWidget;

// What area shows on screen, children included, at its device pixel ratio: the image is the
// area's size times that ratio.
QImage WidgetPicture(QWidget& area);

// Writes the image as PNG, all at once or not at all (SaveFileAtomically); returns an empty
// string, or a message naming the file and the cause.
QString SavePngAtomically(const QImage& image, const QString& path);
