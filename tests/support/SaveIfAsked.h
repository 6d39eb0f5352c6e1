#pragma once
// Pictures of the drawing tests, for a person to look at: written only when CHART_TEST_PNG_DIR
// names a folder, never on a plain run.
#include <QImage>
#include <QString>

#include <cstdlib>
#include <string>

inline void SaveIfAsked(const QImage& image, const std::string& name)
{
    const char* dir = std::getenv("CHART_TEST_PNG_DIR");
    if (dir != nullptr && *dir != '\0') {
        image.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromStdString(name));
    }
}
