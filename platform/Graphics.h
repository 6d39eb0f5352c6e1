#pragma once
// Colour resolution and the pen, brush and font objects of the drawing layer. A canvas owns one
// of each; changing an owned object notifies the canvas through OnChange.
#include "platform/Colors.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class TBitmap;

// ---- Colours ------------------------------------------------------------------------------

// The 0x00BBGGRR value of a colour; system colours are resolved through the pinned values or
// the application palette. clNone and clDefault resolve to black.
TColor ColorToRGB(TColor color);
// The colour as an opaque QColor (resolved like ColorToRGB).
QColor ColorToQColor(TColor color);
// The TColor of a QColor (alpha ignored).
TColor QColorToColor(const QColor& color);

// Fixes the RGB value of one system colour (tests use this for deterministic pixels).
void PinSystemColor(TColor systemColor, TColor rgb);
// Pins the classic desktop values (clBtnFace C0C0C0, clBtnShadow 808080, clBtnHighlight FFFFFF,
// clWindow FFFFFF, clWindowText 000000, ...) for every system colour.
void PinClassicSystemColors();
// Drops all pinned values: system colours follow the application palette again.
void UnpinSystemColors();

// ---- Pen ----------------------------------------------------------------------------------

enum TPenStyle
{
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};

// Binary raster operations of a pen (pen P, destination D).
enum TPenMode
{
    pmBlack,       // 0
    pmWhite,       // 1
    pmNop,         // D
    pmNot,         // ~D
    pmCopy,        // P
    pmNotCopy,     // ~P
    pmMergePenNot, // P | ~D
    pmMaskPenNot,  // P & ~D
    pmMergeNotPen, // ~P | D
    pmMaskNotPen,  // ~P & D
    pmMerge,       // P | D
    pmNotMerge,    // ~(P | D)
    pmMask,        // P & D
    pmNotMask,     // ~(P & D)
    pmXor,         // P ^ D
    pmNotXor       // ~(P ^ D)
};

// How the pen is realised. pkNormal: a width of 0 or 1 draws one-pixel lines with the dash
// pattern of Style; wider normal pens draw solid with round ends and joins. pkAlternate: a
// cosmetic pen that sets every other pixel. pkGeometric: a pen of any width with the dash
// pattern of Style and the given end cap and join.
enum TPenKind
{
    pkNormal,
    pkAlternate,
    pkGeometric
};
enum TPenEndCap
{
    pecRound,
    pecSquare,
    pecFlat
};
enum TPenJoin
{
    pjRound,
    pjBevel,
    pjMiter
};

class TPen
{
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    // Width in pixels; negative values are stored as 0. 0 and 1 both draw one pixel wide.
    int Width() const { return FWidth; }
    void SetWidth(int value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode value);

    TPenKind Kind() const { return FKind; }
    TPenEndCap EndCap() const { return FEndCap; }
    TPenJoin Join() const { return FJoin; }
    // Makes this a cosmetic alternate-pixel pen of width 1 in the colour.
    void SetAlternate(TColor color);
    // Makes this a geometric pen of the given width, dash style, end cap and join.
    void SetGeometric(TColor color, int width, TPenStyle style, TPenEndCap cap, TPenJoin join);
    // Back to a normal pen (keeps colour, width, style and mode).
    void SetNormal();

    // Copies every attribute (kind, cap and join included) and notifies once.
    void Assign(const TPen& source);

    std::function<void(TPen*)> OnChange;

private:
    void Changed();

    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
    TPenKind FKind = pkNormal;
    TPenEndCap FEndCap = pecRound;
    TPenJoin FJoin = pjRound;
};

// ---- Brush --------------------------------------------------------------------------------

enum TBrushStyle
{
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush
{
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle value);
    // A pattern bitmap (not owned; must outlive its use). While set, fills tile the bitmap
    // from the device origin whatever the style. nullptr removes it.
    const TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(const TBitmap* value);

    void Assign(const TBrush& source);

    std::function<void(TBrush*)> OnChange;

private:
    void Changed();

    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    const TBitmap* FBitmap = nullptr;
};

// ---- Font ---------------------------------------------------------------------------------

using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

constexpr int ANSI_CHARSET = 0;
constexpr int DEFAULT_CHARSET = 1;

// The design resolution of every layout and font size.
constexpr int ScreenPixelsPerInch = 120;

// A font given by name, size and style. Size is in points and Height in pixels (negative: the
// character height without internal leading; positive: the cell height); the two are tied by
// PixelsPerInch: Height = -MulDiv(Size, PixelsPerInch, 72), Size = -MulDiv(Height, 72, PPI).
class TFont
{
public:
    TFont();

    QString Name() const { return FName; }
    void SetName(const QString& value);
    int Size() const;
    void SetSize(int points);
    int Height() const { return FHeight; }
    void SetHeight(int pixels);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    int Charset() const { return FCharset; }
    void SetCharset(int value);
    // Keeps Height and changes the resolution used for Size.
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value);

    void Assign(const TFont& source);

    // The Qt font to draw with: pixel size from Height, styles, whole-pixel advances; grayscale
    // glyphs below 20 pixels, monochrome ones from there on.
    QFont ToQFont() const;

    std::function<void(TFont*)> OnChange;

private:
    void Changed();

    QString FName = QStringLiteral("MS Sans Serif");
    int FHeight = -13; // 8 points at 120 pixels per inch
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
    int FCharset = DEFAULT_CHARSET;
    int FPixelsPerInch = ScreenPixelsPerInch;
    // The Qt font last made and what it was made from: a Qt font that is kept finds its glyphs'
    // engine again at once, where a new one looks the family up in the font database (every
    // label of every paint).
    struct TMadeFont
    {
        QString Name;
        int Height;
        TFontStyles Style;
        QFont Font;
    };
    mutable std::optional<TMadeFont> FMade;
    QFont MakeQFont() const;
};
