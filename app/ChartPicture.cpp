#include "app/ChartPicture.h"

#include "app/AtomicSave.h"

#include <QIODevice>
#include <QImageWriter>
#include <QPixmap>
#include <QWidget>

QImage WidgetPicture(QWidget& area)
{
    return area.grab().toImage();
}

QString SavePngAtomically(const QImage& image, const QString& path)
{
    if (image.isNull()) {
        return QStringLiteral("Could not write the picture: there is nothing to show.");
    }
    return SaveFileAtomically(path, [&](QIODevice& device) {
        QImageWriter writer(&device, "png");
        if (!writer.write(image)) {
            return writer.errorString();
        }
        return QString();
    });
}
