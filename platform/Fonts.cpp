#include "platform/Fonts.h"

#include <QFont>
#include <QStringList>

#include <fontconfig/fontconfig.h>

namespace {

// Below 20 pixels the autohinter fits stems and the glyph's sides to whole pixels for grayscale
// glyphs too, so neighbouring glyphs keep a blank pixel between them at 13 pixels; the fonts' own
// hints, as FreeType runs them for grayscale glyphs, only fit heights and let "c" run into "t".
// Larger text has room enough and keeps the fonts' own hints (and their widths).
constexpr const char* AutohintRule = R"(<?xml version="1.0"?>
<fontconfig>
  <match target="font">
    <test name="pixelsize" compare="less"><double>20</double></test>
    <edit name="autohint" mode="assign"><bool>true</bool></edit>
  </match>
</fontconfig>
)";

bool IsClassicSansName(const QString& name)
{
    for (const char* classic : {"Arial", "MS Sans Serif", "Helvetica"})
        if (name.compare(QLatin1String(classic), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

void InstallFontSubstitutions()
{
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    for (const char* name : {"Arial", "MS Sans Serif", "Helvetica"}) {
        QFont::removeSubstitutions(QString::fromLatin1(name));
        QFont::insertSubstitutions(QString::fromLatin1(name), sans);
    }
    static const bool autohinted = FcConfigParseAndLoadFromMemory(
        FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(AutohintRule), FcFalse);
    (void)autohinted;
}

QStringList DrawingFamilies(const QString& name, int pixelSize)
{
    if (!IsClassicSansName(name))
        return {name};
    if (pixelSize < GrayscaleTextLimit)
        return {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                QStringLiteral("DejaVu Sans")};
    return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}
