#pragma once
// The runtime canvas: GDI-style drawing with a current pen, brush and font onto a QPaintDevice
// (a widget during its paint, or a TBitmap's image), with the pixel rules of the classic
// desktop: integer pixels, right and bottom edges exclusive, a line's end point not drawn.
// Lines and shapes are never antialiased; glyphs are (grayscale, whole-pixel advances). Unbound
// canvases measure text but draw nothing.
// Every coordinate is a logical pixel. On a device with a pixel ratio above 1 (a bitmap made for
// a high-density screen, or a widget there) the canvas draws at device resolution: logical
// pixel x covers the device pixels from round(x x ratio); fills span round(left x ratio) to
// round(right x ratio); one-pixel lines are round(ratio) device pixels wide; wide pens and
// text are drawn at their device size.
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <QRegion>

#include <memory>
#include <optional>
#include <vector>

class QTransform;

class QPaintDevice;
class QPainter;
class QPainterPath;
class QImage;
class QRect;
class TBitmap;

// ---- Text and drawing constants ------------------------------------------------------------

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment flags of TextOut (horizontal | vertical).
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

// DrawText format flags.
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Region combination of SelectClipPath / ExtSelectClipRegion.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Shapes, text positions and the window origin are clamped to +-CoordinateLimit, far beyond any
// device, so that no coordinate arithmetic can overflow. One-pixel lines use their exact end
// points whatever they are.
constexpr int CoordinateLimit = 1 << 27;

// ---- Regions --------------------------------------------------------------------------------

// A set of device pixels for clipping.
class TRegion
{
public:
    TRegion() = default;
    explicit TRegion(const QRegion& region) : FRegion(region) {}

    // Pixels Left..Right-1 by Top..Bottom-1.
    static TRegion FromRect(const TRect& r);
    // The ellipse inscribed in the rectangle.
    static TRegion FromEllipse(const TRect& r);
    // The rectangle with corners rounded by an ellipse of cornerWidth x cornerHeight.
    static TRegion FromRoundRect(const TRect& r, int cornerWidth, int cornerHeight);
    // The polygon's interior; fillMode ALTERNATE (even-odd) or WINDING.
    static TRegion FromPolygon(const TPoint* points, int count, int fillMode = ALTERNATE);

    bool IsEmpty() const { return FRegion.isEmpty(); }
    bool Contains(int x, int y) const { return FRegion.contains(QPoint(x, y)); }
    TRect BoundingRect() const;
    // Combines with another region: RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF or RGN_COPY.
    void Combine(const TRegion& other, int mode);
    // Moves the region (each offset clamped to +-CoordinateLimit).
    void Offset(int dx, int dy);

    const QRegion& ToQRegion() const { return FRegion; }

private:
    QRegion FRegion;
};

// ---- Canvas ---------------------------------------------------------------------------------

class TCanvas
{
public:
    TCanvas();
    // A canvas bound to the device at once (see Attach).
    explicit TCanvas(QPaintDevice* device);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Binds the canvas to a device (nullptr unbinds). A widget device may only be bound during
    // its paint event. Binding resets the clip and the window origin and keeps pen, brush,
    // font, background, alignment and pen position.
    void Attach(QPaintDevice* device);
    void Detach() { Attach(nullptr); }
    QPaintDevice* Device() const { return FDevice; }
    bool IsBound() const { return FDevice != nullptr; }
    // Device pixels per logical pixel of the bound device (1 when unbound).
    double Ratio() const;
    // Ends the painter on the device (the next drawing call opens it again); a bitmap calls this
    // before it resizes or replaces its image.
    void ReleasePainter();
    // The open painter for drawing not covered here (opened on demand; nullptr when unbound).
    // Its pen, brush and clip are managed by the canvas.
    QPainter* Painter();

    // Current drawing objects; assigning copies into them.
    TPen& Pen() { return FPen; }
    TBrush& Brush() { return FBrush; }
    TFont& Font() { return FFont; }
    void SetPen(const TPen& pen) { FPen.Assign(pen); }
    void SetBrush(const TBrush& brush) { FBrush.Assign(brush); }
    void SetFont(const TFont& font) { FFont.Assign(font); }

    // Background colour and mode: OPAQUE fills the gaps of styled pens and hatches and the cell
    // behind text with BackColor; TRANSPARENT leaves them. A change of the brush sets them the
    // classic way: BackColor := brush colour; mode OPAQUE for bsSolid, TRANSPARENT otherwise.
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor color);
    int BackgroundMode() const { return FBackgroundMode; }
    void SetBackgroundMode(int mode);
    // TA_* flags.
    unsigned TextAlign() const { return FTextAlign; }
    void SetTextAlign(unsigned flags) { FTextAlign = flags; }
    // Extra pixels after every character of text output and measurement.
    int TextCharacterExtra() const { return FCharExtra; }
    void SetTextCharacterExtra(int pixels) { FCharExtra = pixels; }

    // ---- Lines and shapes (logical coordinates) ----
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(const TPoint& p) { FPenPos = p; }
    void MoveTo(int x, int y);
    // Line from PenPos to (x, y), the end pixel not drawn; PenPos becomes (x, y).
    void LineTo(int x, int y);
    // Lines from PenPos through each point in turn, each drawn exactly as its own LineTo
    // (every segment with its own ends, no joins); PenPos becomes the last point. Faster than
    // calling LineTo for each point.
    void LineToEach(const TPoint* points, int count);
    void LineToEach(const std::vector<TPoint>& points);
    // Connected lines through the points (the last point not drawn).
    void Polyline(const TPoint* points, int count);
    void Polyline(const std::vector<TPoint>& points);
    // Closed outline with the pen, interior (alternate fill) with the brush.
    void Polygon(const TPoint* points, int count);
    void Polygon(const std::vector<TPoint>& points);
    // Outline with the pen through pixels x1..x2-1, y1..y2-1, interior with the brush. With an
    // invisible pen (psClear) the fill covers x1..x2-2, y1..y2-2, as on the classic desktop.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // Fills Left..Right-1 by Top..Bottom-1 with the brush, no outline.
    void FillRect(const TRect& r);
    // One-pixel frame in the brush colour around the rectangle's border pixels.
    void FrameRect(const TRect& r);

    // Pixels read and write (colour as 0x00BBGGRR). Reading outside the device, from an
    // unbound canvas or from a widget gives clNone; writing there does nothing. Above ratio 1 a
    // read gives the first device pixel of the logical pixel.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // ---- Text ----
    // Text at (x, y) aligned by TextAlign in the font colour; PenPos moves to the text's end.
    void TextOut(int x, int y, const QString& text);
    // TextOut turned counterclockwise by angle degrees about (x, y), as a font's escapement
    // turns it: the alignment flags apply along and across the turned baseline. PenPos is left.
    void TextOutTurned(int x, int y, int angle, const QString& text);
    // Text clipped to the rectangle.
    void TextRect(const TRect& r, int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    TSize TextExtent(const QString& text) const;
    // Formatted text in r (DT_* flags). With DT_CALCRECT nothing is drawn and r is set to the
    // text's extent (its Right and Bottom move). Returns the text height.
    int DrawText(const QString& text, TRect& r, unsigned format);

    // ---- Clipping (device coordinates) ----
    // Copies the current clip region into out; false when there is none.
    bool GetClipRegion(TRegion& out) const;
    // Replaces the clip region by a copy of rgn; nullptr removes all clipping.
    void SelectClipRegion(const TRegion* rgn);
    // Combines the clip region with rgn (RGN_AND intersects; no clip counts as the whole device).
    void ExtSelectClipRegion(const TRegion& rgn, int mode);
    void IntersectClipRect(const TRect& r);
    // Saves the clip region (one level) and restores it; Restore without a saved clip removes
    // all clipping.
    void SaveClip();
    void RestoreClip();
    // Bounding rectangle of the visible part of the device in logical coordinates.
    TRect ClipRect() const;

    // ---- Coordinates ----
    // Logical point (x, y) shows at device point (x - origin.X, y - origin.Y). The origin is
    // clamped to +-CoordinateLimit.
    TPoint WindowOrg() const { return FWindowOrg; }
    void SetWindowOrg(int x, int y);
    TPoint LPtoDP(const TPoint& p) const;
    TPoint DPtoLP(const TPoint& p) const;

    // ---- Paths ----
    // Between BeginPath and EndPath, MoveTo, LineTo, Polyline, Polygon, Rectangle, Ellipse and
    // TextOut record outlines instead of drawing.
    void BeginPath();
    void EndPath();
    void AbortPath();
    bool InPath() const { return FRecording; }
    // Replaces the path by the outline a stroke with the current pen would cover.
    void WidenPath();
    // Draw the path with the pen, fill it with the brush, or both; the path is used up.
    void StrokePath();
    void FillPath();
    void StrokeAndFillPath();
    // Combines the clip region with the path's interior; the path is used up.
    void SelectClipPath(int mode);

    // ---- Speed ----
    // Lines of solid pens on 32-bit bitmaps are written straight into the pixels, and solid
    // fills of rectangles (Rectangle, FillRect) are filled as rectangles rather than as areas;
    // the result is exactly that of the plain path through the painter. Switching the fast
    // paths off draws everything the plain way (for comparisons).
    void SetFastPaths(bool enabled);
    bool FastPaths() const;

    // ---- Block copies ----
    // Copies source's srcRect (a bitmap canvas) scaled to dest.
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect);
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const TRect& dest, const TBitmap& bitmap);
    // Copies srcRect of the bitmap to dest, pixels of transparentColor replaced by the brush
    // (left as they are on the destination when the brush is bsClear).
    void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                   TColor transparentColor);

private:
    friend class TBitmap;
    struct Impl;

    void DrawLines(const TPoint* points, int count, bool closed);
    QPainter* OpenPainter();
    // The fast paths are on and the canvas draws on a 32-bit image they can write into.
    bool DirectImage() const;
    bool BeginDirectLines();
    bool UpdateDirectRects(double ratio);
    QRectF DeviceAlignedRect(int x, int y, int width, int height) const;
    void DirectSegment(const TPoint& a, const TPoint& b);
    bool DirectRectangle(int x1, int y1, int x2, int y2);
    // The pen's colour for writing straight into the image (kept while the colour stays).
    void ResolvePenRgb();
    bool NewSegmentSpans(int dx, int dy, int phaseX, int phaseY);
    void FlushPixels();
    // The painter with a transform that draws in device pixels of the image or widget.
    QPainter* DevicePainter();
    void FillArea(const QPainterPath& area, TColor color, TPenMode mode);
    QPainterPath PenStroke(const QPainterPath& centre) const;
    void FillWithBrush(const QPainterPath& area, TPenMode mode);
    // FillWithBrush for the pixels x..x+width-1, y..y+height-1.
    void FillRectWithBrush(int x, int y, int width, int height, TPenMode mode);
    void DrawShape(const QPainterPath& shape);
    void StrokeRecorded();
    QFont DrawingFont() const;
    // turn, when given, maps the text's own coordinates onto logical ones.
    void DrawTextAt(int left, int top, const QString& text, const QRect* clip, bool mnemonic,
                    const QTransform* turn = nullptr);
    QRegion DeviceRegion() const;
    QRect LogicalDeviceRect() const;
    static QString StripMnemonic(const QString& text);
    static QImage MaskColor(const QImage& image, TColor color, const QColor* replacement);

    std::unique_ptr<Impl> FImpl;

    QPaintDevice* FDevice = nullptr;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FPenPos;
    TColor FBackColor = clWhite;
    int FBackgroundMode = OPAQUE;
    unsigned FTextAlign = TA_LEFT | TA_TOP;
    int FCharExtra = 0;
    TPoint FWindowOrg;
    bool FRecording = false;
};

// Copies w x h pixels from src at (sx, sy) to dst at (x, y), a plain source copy.
void BitBlt(TCanvas& dst, int x, int y, int w, int h, const TCanvas& src, int sx, int sy);
