#pragma once
// The chart canvas: every pixel of a chart is drawn through one TChartCanvas3D. It wraps a runtime
// canvas (the surface), adds the chart's own pen, brush and font objects, double-buffers a paint
// into a 32-bit off-screen bitmap and offers depth-aware twins of its operations. Charts of this
// program are flat, so every depth-aware operation maps its points unchanged and draws its flat
// twin.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

// True where the platform offers extended (geometric and alternate-pixel) pens. Decided once at
// start; tests may switch it to exercise the plain pen path.
extern bool ExtendedPensSupported;

// ---- Pens -----------------------------------------------------------------------------------

enum TPenEndStyle
{
    esRound,
    esSquare,
    esFlat
};

// The runtime pen plus visibility, the one-pixel alternate-dot style and the end style of wide
// pens. Every change, also of the inherited attributes, fires OnChange (the owner repaints).
class TChartPen : public TPen
{
public:
    TChartPen();

    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool SmallDots() const { return FSmallDots; }
    void SetSmallDots(bool value);
    TPenEndStyle EndStyle() const { return FEndStyle; }
    void SetEndStyle(TPenEndStyle value);

    // The defaults of this pen's class, so that only differing values count as stored.
    bool DefaultVisible() const { return FDefaultVisible; }
    TPenEndStyle DefaultEndStyle() const { return FDefaultEndStyle; }
    bool IsVisibleStored() const { return FVisible != FDefaultVisible; }
    bool IsEndStyleStored() const { return FEndStyle != FDefaultEndStyle; }

    // Copies every attribute of a runtime pen (the chart attributes keep their values), or of a
    // chart pen; notifies once.
    void Assign(const TPen& source);
    void Assign(const TChartPen& source);

    // Hides the base Hide/Show style of the classic desktop: Show() = SetVisible(true).
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

protected:
    // Sets the class defaults (constructors of the variants).
    void InitDefaults(bool visible, TPenEndStyle endStyle);
    void NotifyChange();

private:
    bool FVisible = true;
    bool FSmallDots = false;
    TPenEndStyle FEndStyle = esRound;
    bool FDefaultVisible = true;
    TPenEndStyle FDefaultEndStyle = esRound;
};

// Invisible by default.
class TChartHiddenPen : public TChartPen
{
public:
    TChartHiddenPen();
};

// Grey (0x808080) dotted.
class TDottedGrayPen : public TChartPen
{
public:
    TDottedGrayPen();
};

// Grey (0x808080) solid.
class TDarkGrayPen : public TChartPen
{
public:
    TDarkGrayPen();
};

// Two pixels wide.
class TChartAxisPen : public TChartPen
{
public:
    TChartAxisPen();
};

// White.
class TWhitePen : public TChartPen
{
public:
    TWhitePen();
};

// ---- Brush ----------------------------------------------------------------------------------

// The runtime brush with the colour defaulting to clDefault, plus a picture: while the picture
// holds a graphic the brush paints with it.
class TChartBrush : public TBrush
{
public:
    TChartBrush();
    ~TChartBrush();
    TChartBrush(const TChartBrush&) = delete;
    TChartBrush& operator=(const TChartBrush&) = delete;

    // The picture, created when first read.
    TBitmap& Image();
    // True when the picture exists and is not empty.
    bool HasImage() const;

    // Copies colour and style (and the picture of a chart brush); notifies once.
    void Assign(const TBrush& source);
    void Assign(const TChartBrush& source);

private:
    std::unique_ptr<TBitmap> FImage;
};

// ---- Shadow and gradients -------------------------------------------------------------------

class TChartShadow
{
public:
    explicit TChartShadow(TColor color = clSilver, int size = 0);

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    int HorizSize() const { return FHorizSize; }
    void SetHorizSize(int value);
    int VertSize() const { return FVertSize; }
    void SetVertSize(int value);
    // Both sizes at once.
    void SetSize(int value);
    // Percent 0..100 (clamped).
    int Transparency() const { return FTransparency; }
    void SetTransparency(int value);
    bool HasSize() const { return FHorizSize != 0 || FVertSize != 0; }

    void Assign(const TChartShadow& source);

    std::function<void()> OnChange;

private:
    void Changed();

    TColor FColor;
    int FHorizSize;
    int FVertSize;
    int FTransparency = 0;
};

enum TGradientDirection
{
    gdTopBottom,
    gdBottomTop,
    gdLeftRight,
    gdRightLeft,
    gdFromCenter,
    gdFromTopLeft,
    gdFromBottomLeft,
    gdRadial
};

class TChartGradient
{
public:
    TChartGradient() = default;
    virtual ~TChartGradient() = default;

    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value);
    // clNone: no middle colour.
    TColor MidColor() const { return FMidColor; }
    void SetMidColor(TColor value);
    TGradientDirection Direction() const { return FDirection; }
    void SetDirection(TGradientDirection value);
    // Percent 0..100 (clamped): where the middle of the colour run lies.
    int Balance() const { return FBalance; }
    void SetBalance(int value);
    int RadialX() const { return FRadialX; }
    void SetRadialX(int value);
    int RadialY() const { return FRadialY; }
    void SetRadialY(int value);

    void Assign(const TChartGradient& source);

    // The colour at position t (0 at the start, 1 at the end) with the middle colour and balance.
    TColor ColorAt(double t) const;

    std::function<void()> OnChange;

protected:
    void Changed();

private:
    bool FVisible = false;
    TColor FStartColor = clWhite;
    TColor FEndColor = clYellow;
    TColor FMidColor = clNone;
    TGradientDirection FDirection = gdTopBottom;
    int FBalance = 50;
    int FRadialX = 0;
    int FRadialY = 0;
};

// A gradient for glyphs: with Outline the glyph outlines are widened before filling.
class TChartFontGradient : public TChartGradient
{
public:
    bool Outline() const { return FOutline; }
    void SetOutline(bool value);

    void Assign(const TChartGradient& source);

private:
    bool FOutline = false;
};

// ---- Font -----------------------------------------------------------------------------------

// The runtime font with the chart defaults (Arial, 8 points, black, DEFAULT_CHARSET), plus
// inter-character spacing, an outline pen, a shadow and a gradient. Changes of any of them fire
// OnChange.
class TChartFont : public TFont
{
public:
    TChartFont();
    ~TChartFont();
    TChartFont(const TChartFont&) = delete;
    TChartFont& operator=(const TChartFont&) = delete;

    int InterCharSize() const { return FInterCharSize; }
    void SetInterCharSize(int value);
    // Glyph outline; invisible by default.
    TChartHiddenPen& OutLine() { return FOutLine; }
    const TChartHiddenPen& OutLine() const { return FOutLine; }
    // Created when first read (sizes 0).
    TChartShadow& Shadow();
    bool HasShadow() const { return FShadow != nullptr; }
    const TChartShadow* ShadowIfAny() const { return FShadow.get(); }
    // Created when first read (not visible).
    TChartFontGradient& Gradient();
    bool HasGradient() const { return FGradient != nullptr; }
    const TChartFontGradient* GradientIfAny() const { return FGradient.get(); }

    // Copies the runtime attributes (and the chart attributes of a chart font); notifies once.
    void Assign(const TFont& source);
    void Assign(const TChartFont& source);

private:
    void NotifyChange();

    int FInterCharSize = 0;
    TChartHiddenPen FOutLine;
    std::unique_ptr<TChartShadow> FShadow;
    std::unique_ptr<TChartFontGradient> FGradient;
};

// ---- 3D view options ------------------------------------------------------------------------

// The view settings of a chart. Only the monochrome switch and the zoom affect a flat chart; the
// rest is kept for the projection of depth views.
class TView3DOptions
{
public:
    bool Orthogonal() const { return FOrthogonal; }
    void SetOrthogonal(bool value);
    int OrthoAngle() const { return FOrthoAngle; }
    void SetOrthoAngle(int value);
    int Rotation() const { return FRotation; }
    void SetRotation(int value);
    int Elevation() const { return FElevation; }
    void SetElevation(int value);
    int Perspective() const { return FPerspective; }
    void SetPerspective(int value);
    int Tilt() const { return FTilt; }
    void SetTilt(int value);
    // Percent.
    int Zoom() const { return FZoom; }
    void SetZoom(int value);
    bool ZoomText() const { return FZoomText; }
    void SetZoomText(bool value);
    int HorizOffset() const { return FHorizOffset; }
    void SetHorizOffset(int value);
    int VertOffset() const { return FVertOffset; }
    void SetVertOffset(int value);

    // Asks the owning chart to repaint (every setter calls it on a change).
    void Repaint()
    {
        if (OnRepaint)
            OnRepaint();
    }
    std::function<void()> OnRepaint;

private:
    template <typename T> void Store(T& field, T value)
    {
        if (field != value) {
            field = value;
            Repaint();
        }
    }

    bool FOrthogonal = true;
    int FOrthoAngle = 45;
    int FRotation = 345;
    int FElevation = 345;
    int FPerspective = 15;
    int FTilt = 0;
    int FZoom = 100;
    bool FZoomText = true;
    int FHorizOffset = 0;
    int FVertOffset = 0;
};

// ---- Canvas interface -----------------------------------------------------------------------

// Platform text alignment flags used by the chart (left/right/centre with top/bottom/baseline).
constexpr unsigned ChartTextAlignLeftTop = TA_LEFT | TA_TOP;

// The abstract drawing interface of a chart: state, flat drawing, text, clipping and buffering
// hooks. All operations are virtual so that another surface could take the place of the one
// implementation.
class TChartCanvas
{
public:
    virtual ~TChartCanvas() = default;
    TChartCanvas(const TChartCanvas&) = delete;
    TChartCanvas& operator=(const TChartCanvas&) = delete;

    // ---- Surface and state ----
    // Makes canvas the surface and adopts its pen, brush and font as the current ones.
    virtual void AttachSurface(TCanvas& canvas) = 0;
    // The surface drawn on (nullptr before the first attach).
    virtual TCanvas* Surface() const = 0;
    // The surface's current pen, brush and font.
    virtual TPen& Pen() = 0;
    virtual TBrush& Brush() = 0;
    virtual TFont& Font() = 0;
    // The chart font last made current by SelectFont (nullptr before).
    virtual const TChartFont* CurrentChartFont() const = 0;

    virtual double FontScalePercent() const = 0;
    virtual void SetFontScalePercent(double value) = 0;
    virtual bool Buffered() const = 0;
    virtual void SetBuffered(bool value) = 0;
    virtual bool Dirty() const = 0;
    virtual bool Monochrome() const = 0;
    virtual void SetMonochrome(bool value) = 0;

    // Background colour (stored as RGB), background mode (TRANSPARENT 1, OPAQUE 2) and text
    // alignment flags, straight on the surface.
    virtual TColor BackColor() const = 0;
    virtual void SetBackColor(TColor value) = 0;
    virtual int BackgroundMode() const = 0;
    virtual void SetBackgroundMode(int value) = 0;
    virtual unsigned TextAlign() const = 0;
    virtual void SetTextAlign(unsigned value) = 0;

    // ---- Selection of drawing objects ----
    // Pen black, width 1, solid; brush white solid; font black size 10; background white,
    // transparent; text alignment left-top.
    virtual void ResetDrawingState() = 0;
    // Makes the pen current in the colour. A chart pen brings its visibility, small dots and
    // end style; a plain runtime pen is taken as it is.
    virtual void SelectPenColor(const TChartPen& pen, TColor color) = 0;
    virtual void SelectPenColor(const TPen& pen, TColor color) = 0;
    void SelectPen(const TChartPen& pen) { SelectPenColor(pen, pen.Color()); }
    void SelectPen(const TPen& pen) { SelectPenColor(pen, pen.Color()); }
    // Makes the brush current with the fill colour; backColor clNone makes the background
    // transparent, anything else opaque in that colour.
    virtual void SelectBrushColors(const TChartBrush& brush, TColor fillColor,
                                   TColor backColor) = 0;
    // SelectBrushColors with the brush's own colour as background colour.
    void SelectBrush(const TChartBrush& brush, TColor fillColor)
    {
        SelectBrushColors(brush, fillColor, brush.Color());
    }
    // Makes the font current: pixels per inch of the surface, point size scaled by
    // FontScalePercent, inter-character spacing.
    virtual void SelectFont(TChartFont& font) = 0;

    // ---- Flat drawing (surface pixels, right and bottom edges exclusive) ----
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    void Line(int x0, int y0, int x1, int y1)
    {
        MoveTo(x0, y0);
        LineTo(x1, y1);
    }
    void HorizontalLine(int x0, int x1, int y) { Line(x0, y, x1, y); }
    void VerticalLine(int x, int y0, int y1) { Line(x, y0, x, y1); }
    virtual void Rectangle(int x0, int y0, int x1, int y1) = 0;
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    virtual void RoundRect(int x0, int y0, int x1, int y1, int cornerWidth, int cornerHeight) = 0;
    virtual void FillRect(const TRect& r) = 0;
    virtual void Ellipse(int x0, int y0, int x1, int y1) = 0;
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // lastIndex + 1 points (the index of the last point is passed, not the count).
    virtual void Polyline(const TPoint* points, int lastIndex) = 0;
    virtual void Polygon(const TPoint* points, int lastIndex) = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;
    virtual TColor GetPixel(int x, int y) const = 0;
    // width times: a frame with the top-left colour on the left and top edges and the
    // bottom-right colour on the right and bottom edges, then shrink r by one on every side.
    virtual void BevelFrame(TRect& r, TColor topLeftColor, int width, TColor bottomRightColor) = 0;

    // ---- Text ----
    virtual void TextOut(int x, int y, const QString& text) = 0;
    void TextOut(int x, int y, std::string_view text) { TextOut(x, y, FromUtf8(text)); }
    void TextOut(int x, int y, const char* text) { TextOut(x, y, FromUtf8(text)); }
    // TextOut turned counterclockwise by angle degrees about (x, y), in the font colour; a
    // turned text is drawn plain (no shadow, outline or gradient).
    virtual void TextOutTurned(int x, int y, int angle, const QString& text) = 0;
    // Width and height of the text in the current font, plus the shadow size of the current
    // chart font.
    virtual int MeasureTextWidth(const QString& text) = 0;
    int MeasureTextWidth(std::string_view text) { return MeasureTextWidth(FromUtf8(text)); }
    int MeasureTextWidth(const char* text) { return MeasureTextWidth(FromUtf8(text)); }
    virtual int TextHeight(const QString& text) = 0;
    int TextHeight(std::string_view text) { return TextHeight(FromUtf8(text)); }
    int TextHeight(const char* text) { return TextHeight(FromUtf8(text)); }
    // TextHeight of "W".
    int FontHeight() { return TextHeight(QStringLiteral("W")); }

    // ---- Clipping (one level: the clip in force before is saved once and restored by Unclip)
    virtual void ClipToRect(const TRect& r) = 0;
    virtual void ClipToEllipse(const TRect& r) = 0;
    virtual void ClipToRoundRect(const TRect& r, int corner) = 0;
    virtual void ClipToPolygon(const TPoint* points, int count) = 0;
    virtual void Unclip() = 0;

    // ---- Buffering hooks ----
    // Copies the buffer to the surface when it still shows the chart; false when the caller must
    // draw.
    virtual bool PaintFromBuffer() = 0;
    virtual void MarkDirty() = 0;

    static QString FromUtf8(std::string_view text)
    {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }

protected:
    TChartCanvas() = default;
};

// Adds the depth-aware operations, the projection, the begin and end of a paint and title mode.
class TCanvas3D : public TChartCanvas
{
public:
    using TChartCanvas::TextOut;

    // Starts a paint over bounds: returns the drawing rectangle ((0, 0, w, h) of the buffer when
    // buffered, else bounds).
    virtual TRect BeginDraw(TCanvas& target, TView3DOptions* options, bool is3D,
                            const TRect& bounds) = 0;
    // Ends the paint: copies the buffer to target at bounds' origin (buffered), then attaches the
    // control canvas again.
    virtual void EndDraw(TCanvas& target, TCanvas& controlCanvas, const TRect& bounds) = 0;

    virtual TPoint ProjectPoint(int x, int y, int z) const = 0;
    virtual void SetupProjection(int depth, const TRect& bounds, const TRect& plotRect) = 0;
    virtual void BeginTitleMode() = 0;
    virtual void EndTitleMode() = 0;
    // Capability queries; this canvas answers false to both.
    virtual bool SupportsFullRotation() const = 0;
    virtual bool SupportsID() const = 0;

    virtual bool Is3D() const = 0;
    virtual TView3DOptions* View3DOptions() const = 0;
    virtual double ZoomFactor() const = 0;
    virtual bool TextZoom() const = 0;
    virtual void SetTextZoom(bool value) = 0;
    // The bounds handed to the last BeginDraw.
    virtual TRect Bounds() const = 0;

    // Depth-aware operations: points pass through ProjectPoint.
    virtual void MoveToAtDepth(int x, int y, int z) = 0;
    virtual void LineToAtDepth(int x, int y, int z) = 0;
    void LineAtDepth(int x0, int y0, int x1, int y1, int z)
    {
        MoveToAtDepth(x0, y0, z);
        LineToAtDepth(x1, y1, z);
    }
    void HorizontalLineAtDepth(int x0, int x1, int y, int z) { LineAtDepth(x0, y, x1, y, z); }
    void VerticalLineAtDepth(int x, int y0, int y1, int z) { LineAtDepth(x, y0, x, y1, z); }
    // A four-point polygon, not a platform rectangle.
    virtual void RectangleAtDepth(const TRect& r, int z) = 0;
    virtual void PolygonAtDepth(const TPoint* points, int lastIndex, int z) = 0;
    virtual void EllipseAtDepth(const TRect& r, int z) = 0;
    virtual void TextOutAtDepth(int x, int y, int z, const QString& text) = 0;
    void TextOutAtDepth(int x, int y, int z, std::string_view text)
    {
        TextOutAtDepth(x, y, z, FromUtf8(text));
    }
    void TextOutAtDepth(int x, int y, int z, const char* text)
    {
        TextOutAtDepth(x, y, z, FromUtf8(text));
    }
    // Clips series drawing to the inside of the plot: flat charts clip to
    // (Left + 1, Top + 1, Right, Bottom - 1).
    virtual void ClipPlotArea(const TRect& r, int z0, int z1) = 0;
};

// The implementation on a runtime canvas with the off-screen buffer.
class TChartCanvas3D final : public TCanvas3D
{
public:
    TChartCanvas3D();
    ~TChartCanvas3D() override;

    using TCanvas3D::TextOut;
    using TCanvas3D::TextOutAtDepth;
    using TChartCanvas::MeasureTextWidth;
    using TChartCanvas::TextHeight;

    // ---- TChartCanvas ----
    void AttachSurface(TCanvas& canvas) override;
    TCanvas* Surface() const override { return FSurface; }
    TPen& Pen() override;
    TBrush& Brush() override;
    TFont& Font() override;
    const TChartFont* CurrentChartFont() const override { return FCurrentFont; }

    double FontScalePercent() const override { return FFontScalePercent; }
    void SetFontScalePercent(double value) override;
    bool Buffered() const override { return FBuffered; }
    void SetBuffered(bool value) override;
    bool Dirty() const override { return FDirty; }
    bool Monochrome() const override { return FMonochrome; }
    void SetMonochrome(bool value) override;

    TColor BackColor() const override;
    void SetBackColor(TColor value) override;
    int BackgroundMode() const override;
    void SetBackgroundMode(int value) override;
    unsigned TextAlign() const override;
    void SetTextAlign(unsigned value) override;

    void ResetDrawingState() override;
    void SelectPenColor(const TChartPen& pen, TColor color) override;
    void SelectPenColor(const TPen& pen, TColor color) override;
    void SelectBrushColors(const TChartBrush& brush, TColor fillColor, TColor backColor) override;
    void SelectFont(TChartFont& font) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    using TChartCanvas::Rectangle;
    void Rectangle(int x0, int y0, int x1, int y1) override;
    void RoundRect(int x0, int y0, int x1, int y1, int cornerWidth, int cornerHeight) override;
    void FillRect(const TRect& r) override;
    using TChartCanvas::Ellipse;
    void Ellipse(int x0, int y0, int x1, int y1) override;
    void Polyline(const TPoint* points, int lastIndex) override;
    void Polygon(const TPoint* points, int lastIndex) override;
    void SetPixel(int x, int y, TColor color) override;
    TColor GetPixel(int x, int y) const override;
    void BevelFrame(TRect& r, TColor topLeftColor, int width, TColor bottomRightColor) override;

    void TextOut(int x, int y, const QString& text) override;
    void TextOutTurned(int x, int y, int angle, const QString& text) override;
    int MeasureTextWidth(const QString& text) override;
    int TextHeight(const QString& text) override;

    void ClipToRect(const TRect& r) override;
    void ClipToEllipse(const TRect& r) override;
    void ClipToRoundRect(const TRect& r, int corner) override;
    void ClipToPolygon(const TPoint* points, int count) override;
    void Unclip() override;

    bool PaintFromBuffer() override;
    void MarkDirty() override { FDirty = true; }

    // ---- TCanvas3D ----
    TRect BeginDraw(TCanvas& target, TView3DOptions* options, bool is3D,
                    const TRect& bounds) override;
    void EndDraw(TCanvas& target, TCanvas& controlCanvas, const TRect& bounds) override;
    TPoint ProjectPoint(int x, int y, int z) const override;
    void SetupProjection(int depth, const TRect& bounds, const TRect& plotRect) override;
    void BeginTitleMode() override;
    void EndTitleMode() override;
    bool SupportsFullRotation() const override { return false; }
    bool SupportsID() const override { return false; }
    bool Is3D() const override { return FIs3D; }
    TView3DOptions* View3DOptions() const override { return FView3DOptions; }
    double ZoomFactor() const override { return FZoomFactor; }
    bool TextZoom() const override { return FTextZoom; }
    void SetTextZoom(bool value) override { FTextZoom = value; }
    TRect Bounds() const override { return FBounds; }

    void MoveToAtDepth(int x, int y, int z) override;
    void LineToAtDepth(int x, int y, int z) override;
    void RectangleAtDepth(const TRect& r, int z) override;
    void PolygonAtDepth(const TPoint* points, int lastIndex, int z) override;
    void EllipseAtDepth(const TRect& r, int z) override;
    void TextOutAtDepth(int x, int y, int z, const QString& text) override;
    void ClipPlotArea(const TRect& r, int z0, int z1) override;

    // ---- Buffer ----
    // Copies the whole buffer to canvas at (x, y) (nothing without a buffer).
    void CopyBufferTo(int x, int y, TCanvas& canvas);
    // The off-screen bitmap (nullptr before the first buffered paint or while unbuffered).
    TBitmap* BufferBitmap() const { return FBuffer.get(); }

    // Transparency of the pending blend, 0..127.
    int BlendTransparency() const { return FBlendTransparency; }

    // Fills the rectangle with the gradient's colours in its direction.
    void GradientFill(const TRect& r, const TChartGradient& gradient) { FillGradient(r, gradient); }

    // Everything a drawing call depends on besides the pixels: pen, brush, font, background,
    // text alignment, spacing, pen position and the current chart font. A picture composed in
    // two sittings restores the state of the first at the start of the second.
    struct TDrawingState
    {
        TPen Pen;
        TBrush Brush;
        TFont Font;
        TColor BackColor = clWhite;
        int BackgroundMode = TRANSPARENT;
        unsigned TextAlign = 0;
        int CharExtra = 0;
        TPoint PenPos;
        const TChartFont* ChartFont = nullptr;
    };
    TDrawingState SaveDrawingState() const;
    void RestoreDrawingState(const TDrawingState& state);

private:
    struct TextExtentKey;
    TSize CachedExtent(const QString& text);
    void ClipToRegion(const TRegion& region);
    void DrawTextPlain(int x, int y, const QString& text, TColor color);
    void DrawTextPaths(int x, int y, const QString& text, const TChartFont& font, TColor fontColor);
    void FillGradient(const TRect& r, const TChartGradient& gradient);
    int AlignedLeft(int x, int width) const;

    TCanvas* FSurface = nullptr;
    const TChartFont* FCurrentFont = nullptr;
    double FFontScalePercent = 100.0;
    bool FBuffered = true;
    bool FDirty = true;
    bool FMonochrome = false;
    std::unique_ptr<TBitmap> FBuffer;
    TRect FBounds;
    TView3DOptions* FView3DOptions = nullptr;
    bool FIs3D = false;
    bool FSavedIs3D = false;
    bool FTextZoom = true;
    double FZoomFactor = 1.0;
    int FBlendTransparency = 0;
    TPoint FCorners[4];
    TCanvas FDetached; // stands in as surface before the first attach
    // The clip in force before the last ClipTo..., restored by Unclip (clipping does not nest).
    TRegion FSavedClipRegion;
    bool FHadClipRegion = false;

    // Text extents of the current font state, keyed by text; cleared whenever the font state
    // (name, height, style, charset, spacing, shadow sizes) differs from the cached one.
    QString FExtentFontKey;
    std::unordered_map<QString, TSize> FExtentCache;
};
