#include "platform/Graphics.h"

#include "platform/Fonts.h"
#include "platform/Types.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>

#include <array>
#include <optional>

namespace {

constexpr int SystemColorCount = 25;

// The classic desktop scheme, used for pinning and for entries without a palette role.
constexpr std::array<TColor, SystemColorCount> ClassicColors = {
    0xC0C0C0, // scroll bar
    0x808000, // desktop (teal)
    0x800000, // active caption (navy)
    0x808080, // inactive caption
    0xC0C0C0, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xC0C0C0, // active border
    0xC0C0C0, // inactive border
    0x808080, // application workspace
    0x800000, // highlight
    0xFFFFFF, // highlight text
    0xC0C0C0, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xC0C0C0, // inactive caption text
    0xFFFFFF, // button highlight
    0x000000, // 3-D dark shadow
    0xC0C0C0, // 3-D light
    0x000000, // tooltip text
    0xE1FFFF, // tooltip background
};

std::array<std::optional<TColor>, SystemColorCount>& PinnedColors()
{
    static std::array<std::optional<TColor>, SystemColorCount> pinned;
    return pinned;
}

struct PaletteEntry
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Palette role of each system colour.
constexpr std::array<PaletteEntry, SystemColorCount> PaletteRoles = {{
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Dark},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Inactive, QPalette::Highlight},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Base},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Mid},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Dark},
    {QPalette::Disabled, QPalette::Text},
    {QPalette::Active, QPalette::ButtonText},
    {QPalette::Inactive, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Light},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::Midlight},
    {QPalette::Active, QPalette::ToolTipText},
    {QPalette::Active, QPalette::ToolTipBase},
}};

TColor ResolveSystemColor(int index)
{
    if (index < 0 || index >= SystemColorCount)
        return clBlack;
    if (const auto& pinned = PinnedColors()[static_cast<size_t>(index)])
        return *pinned;
    if (qGuiApp == nullptr)
        return ClassicColors[static_cast<size_t>(index)];
    const PaletteEntry& entry = PaletteRoles[static_cast<size_t>(index)];
    return QColorToColor(QGuiApplication::palette().color(entry.group, entry.role));
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if (IsSystemColor(color))
        return ResolveSystemColor(SystemColorIndex(color));
    if (color == clNone || color == clDefault)
        return clBlack;
    return color & 0xFFFFFF;
}

QColor ColorToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor QColorToColor(const QColor& color)
{
    return RGBColor(color.red(), color.green(), color.blue());
}

void PinSystemColor(TColor systemColor, TColor rgb)
{
    if (!IsSystemColor(systemColor))
        return;
    const int index = SystemColorIndex(systemColor);
    if (index < SystemColorCount)
        PinnedColors()[static_cast<size_t>(index)] = rgb & 0xFFFFFF;
}

void PinClassicSystemColors()
{
    for (size_t i = 0; i < ClassicColors.size(); ++i)
        PinnedColors()[i] = ClassicColors[i];
}

void UnpinSystemColors()
{
    for (auto& pinned : PinnedColors())
        pinned.reset();
}

// ---- TPen -------------------------------------------------------------------------------------

void TPen::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPen::SetColor(TColor value)
{
    if (FColor == value)
        return;
    FColor = value;
    Changed();
}

void TPen::SetWidth(int value)
{
    value = value < 0 ? 0 : value;
    if (FWidth == value)
        return;
    FWidth = value;
    Changed();
}

void TPen::SetStyle(TPenStyle value)
{
    if (FStyle == value)
        return;
    FStyle = value;
    Changed();
}

void TPen::SetMode(TPenMode value)
{
    if (FMode == value)
        return;
    FMode = value;
    Changed();
}

void TPen::SetAlternate(TColor color)
{
    FKind = pkAlternate;
    FColor = color;
    FWidth = 1;
    FStyle = psSolid;
    Changed();
}

void TPen::SetGeometric(TColor color, int width, TPenStyle style, TPenEndCap cap, TPenJoin join)
{
    FKind = pkGeometric;
    FColor = color;
    FWidth = width < 1 ? 1 : width;
    FStyle = style;
    FEndCap = cap;
    FJoin = join;
    Changed();
}

void TPen::SetNormal()
{
    if (FKind == pkNormal)
        return;
    FKind = pkNormal;
    Changed();
}

void TPen::Assign(const TPen& source)
{
    if (&source == this)
        return;
    FColor = source.FColor;
    FWidth = source.FWidth;
    FStyle = source.FStyle;
    FMode = source.FMode;
    FKind = source.FKind;
    FEndCap = source.FEndCap;
    FJoin = source.FJoin;
    Changed();
}

// ---- TBrush -----------------------------------------------------------------------------------

void TBrush::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TBrush::SetColor(TColor value)
{
    if (FColor == value)
        return;
    FColor = value;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
    if (FStyle == value)
        return;
    FStyle = value;
    Changed();
}

void TBrush::SetBitmap(const TBitmap* value)
{
    if (FBitmap == value)
        return;
    FBitmap = value;
    Changed();
}

void TBrush::Assign(const TBrush& source)
{
    if (&source == this)
        return;
    FColor = source.FColor;
    FStyle = source.FStyle;
    FBitmap = source.FBitmap;
    Changed();
}

// ---- TFont ------------------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TFont::SetName(const QString& value)
{
    if (FName == value)
        return;
    FName = value;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, FPixelsPerInch, 72));
}

void TFont::SetHeight(int pixels)
{
    if (FHeight == pixels)
        return;
    FHeight = pixels;
    Changed();
}

void TFont::SetStyle(TFontStyles value)
{
    value &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
    if (FStyle == value)
        return;
    FStyle = value;
    Changed();
}

void TFont::SetColor(TColor value)
{
    if (FColor == value)
        return;
    FColor = value;
    Changed();
}

void TFont::SetCharset(int value)
{
    if (FCharset == value)
        return;
    FCharset = value;
    Changed();
}

void TFont::SetPixelsPerInch(int value)
{
    if (value <= 0 || FPixelsPerInch == value)
        return;
    FPixelsPerInch = value;
    Changed();
}

void TFont::Assign(const TFont& source)
{
    if (&source == this)
        return;
    FName = source.FName;
    FHeight = source.FHeight;
    FStyle = source.FStyle;
    FColor = source.FColor;
    FCharset = source.FCharset;
    FPixelsPerInch = source.FPixelsPerInch;
    Changed();
}

QFont TFont::ToQFont() const
{
    if (!FMade || FMade->Name != FName || FMade->Height != FHeight || FMade->Style != FStyle)
        FMade = TMadeFont{FName, FHeight, FStyle, MakeQFont()};
    return FMade->Font;
}

QFont TFont::MakeQFont() const
{
    QFont font(FName);
    // Full hinting gives whole-pixel advances, so text is evenly spaced and measures exactly as
    // it draws. No shaping (no kerning, no ligatures), as the classic desktop's text output: the
    // width of a text is the sum of its characters' widths. Text below 20 pixels has grayscale
    // antialiased glyphs (no subpixel colour fringes): with the soft edges and the autohinter
    // small neighbouring glyphs stay apart, where monochrome glyphs run together at 13 pixels.
    // Larger text keeps monochrome glyphs and the widths the layout was made with.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    font.setBold((FStyle & fsBold) != 0);
    font.setItalic((FStyle & fsItalic) != 0);
    font.setUnderline((FStyle & fsUnderline) != 0);
    font.setStrikeOut((FStyle & fsStrikeOut) != 0);
    int pixels = 13;
    if (FHeight < 0) {
        pixels = FHeight == INT32_MIN ? INT32_MAX : -FHeight;
    } else if (FHeight > 0) {
        // A positive height is the cell height (ascent + descent): scale the em size to it.
        QFont probe = font;
        probe.setPixelSize(100);
        const QFontMetrics metrics(probe);
        const int cell = metrics.ascent() + metrics.descent();
        pixels = cell > 0
                     ? static_cast<int>((static_cast<int64_t>(FHeight) * 100 + cell / 2) / cell)
                     : FHeight;
    }
    // Qt refuses absurd sizes; keep them within what a screen can show.
    pixels = pixels < 1 ? 1 : (pixels > 4096 ? 4096 : pixels);
    font.setPixelSize(pixels);
    font.setFamilies(DrawingFamilies(FName, pixels));
    font.setStyleStrategy(static_cast<QFont::StyleStrategy>(
        (pixels < GrayscaleTextLimit ? QFont::PreferAntialias | QFont::NoSubpixelAntialias
                                     : QFont::NoAntialias) |
        QFont::PreferNoShaping));
    return font;
}
