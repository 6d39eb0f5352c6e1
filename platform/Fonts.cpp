#include "platform/Fonts.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutions()
{
    // Liberation Sans has the metrics of Arial; DejaVu Sans stands in when it is missing.
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    for (const char* name : {"Arial", "MS Sans Serif", "Helvetica"}) {
        QFont::removeSubstitutions(QString::fromLatin1(name));
        QFont::insertSubstitutions(QString::fromLatin1(name), sans);
    }
}
