#include "chart/ChartCanvas.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

bool ExtendedPensSupported = true;

namespace {

TPenEndCap EndCapOf(TPenEndStyle style)
{
    switch (style) {
    case esSquare:
        return pecSquare;
    case esFlat:
        return pecFlat;
    default:
        return pecRound;
    }
}

TPenJoin JoinOf(TPenEndStyle style)
{
    switch (style) {
    case esSquare:
        return pjBevel;
    case esFlat:
        return pjMiter;
    default:
        return pjRound;
    }
}

bool SamePen(const TPen& a, const TPen& b)
{
    return a.Kind() == b.Kind() && a.Width() == b.Width() && a.Style() == b.Style() &&
           a.Mode() == b.Mode() && a.EndCap() == b.EndCap() && a.Join() == b.Join();
}

int MixChannel(int a, int b, double t)
{
    return static_cast<int>(std::lround(a + (b - a) * t));
}

TColor MixColors(TColor from, TColor to, double t)
{
    const TColor a = ColorToRGB(from);
    const TColor b = ColorToRGB(to);
    return RGBColor(MixChannel(GetRValue(a), GetRValue(b), t),
                    MixChannel(GetGValue(a), GetGValue(b), t),
                    MixChannel(GetBValue(a), GetBValue(b), t));
}

} // namespace

// ---- TChartPen --------------------------------------------------------------------------------

TChartPen::TChartPen() = default;

void TChartPen::NotifyChange()
{
    if (OnChange)
        OnChange(this);
}

void TChartPen::InitDefaults(bool visible, TPenEndStyle endStyle)
{
    FVisible = FDefaultVisible = visible;
    FEndStyle = FDefaultEndStyle = endStyle;
}

void TChartPen::SetVisible(bool value)
{
    if (FVisible == value)
        return;
    FVisible = value;
    NotifyChange();
}

void TChartPen::SetSmallDots(bool value)
{
    if (FSmallDots == value)
        return;
    FSmallDots = value;
    NotifyChange();
}

void TChartPen::SetEndStyle(TPenEndStyle value)
{
    if (FEndStyle == value)
        return;
    FEndStyle = value;
    NotifyChange();
}

void TChartPen::Assign(const TPen& source)
{
    TPen::Assign(source);
}

void TChartPen::Assign(const TChartPen& source)
{
    if (&source == this)
        return;
    auto notify = std::move(OnChange);
    OnChange = nullptr;
    TPen::Assign(source);
    FVisible = source.FVisible;
    FSmallDots = source.FSmallDots;
    FEndStyle = source.FEndStyle;
    OnChange = std::move(notify);
    NotifyChange();
}

TChartHiddenPen::TChartHiddenPen()
{
    InitDefaults(false, esRound);
}

TDottedGrayPen::TDottedGrayPen()
{
    SetColor(clGray);
    SetStyle(psDot);
}

TDarkGrayPen::TDarkGrayPen()
{
    SetColor(clGray);
}

TChartAxisPen::TChartAxisPen()
{
    SetWidth(2);
}

TWhitePen::TWhitePen()
{
    SetColor(clWhite);
}

// ---- TChartBrush ------------------------------------------------------------------------------

TChartBrush::TChartBrush()
{
    SetColor(clDefault);
}

TChartBrush::~TChartBrush() = default;

TBitmap& TChartBrush::Image()
{
    if (!FImage) {
        FImage = std::make_unique<TBitmap>();
        FImage->OnChange = [this](TBitmap*) {
            if (OnChange)
                OnChange(this);
        };
    }
    return *FImage;
}

bool TChartBrush::HasImage() const
{
    return FImage && !FImage->Empty();
}

void TChartBrush::Assign(const TBrush& source)
{
    TBrush::Assign(source);
}

void TChartBrush::Assign(const TChartBrush& source)
{
    if (&source == this)
        return;
    auto notify = std::move(OnChange);
    OnChange = nullptr;
    TBrush::Assign(source);
    if (source.HasImage())
        Image().Assign(source.FImage.get());
    else if (FImage)
        FImage->Assign(nullptr);
    OnChange = std::move(notify);
    if (OnChange)
        OnChange(this);
}

// ---- TChartShadow -----------------------------------------------------------------------------

TChartShadow::TChartShadow(TColor color, int size)
    : FColor(color), FHorizSize(size), FVertSize(size)
{
}

void TChartShadow::Changed()
{
    if (OnChange)
        OnChange();
}

void TChartShadow::SetColor(TColor value)
{
    if (FColor != value) {
        FColor = value;
        Changed();
    }
}

void TChartShadow::SetHorizSize(int value)
{
    if (FHorizSize != value) {
        FHorizSize = value;
        Changed();
    }
}

void TChartShadow::SetVertSize(int value)
{
    if (FVertSize != value) {
        FVertSize = value;
        Changed();
    }
}

void TChartShadow::SetSize(int value)
{
    if (FHorizSize != value || FVertSize != value) {
        FHorizSize = FVertSize = value;
        Changed();
    }
}

void TChartShadow::SetTransparency(int value)
{
    value = std::clamp(value, 0, 100);
    if (FTransparency != value) {
        FTransparency = value;
        Changed();
    }
}

void TChartShadow::Assign(const TChartShadow& source)
{
    if (&source == this)
        return;
    FColor = source.FColor;
    FHorizSize = source.FHorizSize;
    FVertSize = source.FVertSize;
    FTransparency = source.FTransparency;
    Changed();
}

// ---- TChartGradient ---------------------------------------------------------------------------

void TChartGradient::Changed()
{
    if (OnChange)
        OnChange();
}

#define CHART_GRADIENT_SETTER(Name, Type, Field)                                                   \
    void TChartGradient::Set##Name(Type value)                                                     \
    {                                                                                              \
        if (Field != value) {                                                                      \
            Field = value;                                                                         \
            Changed();                                                                             \
        }                                                                                          \
    }
CHART_GRADIENT_SETTER(Visible, bool, FVisible)
CHART_GRADIENT_SETTER(StartColor, TColor, FStartColor)
CHART_GRADIENT_SETTER(EndColor, TColor, FEndColor)
CHART_GRADIENT_SETTER(MidColor, TColor, FMidColor)
CHART_GRADIENT_SETTER(Direction, TGradientDirection, FDirection)
CHART_GRADIENT_SETTER(RadialX, int, FRadialX)
CHART_GRADIENT_SETTER(RadialY, int, FRadialY)
#undef CHART_GRADIENT_SETTER

void TChartGradient::SetBalance(int value)
{
    value = std::clamp(value, 0, 100);
    if (FBalance != value) {
        FBalance = value;
        Changed();
    }
}

void TChartGradient::Assign(const TChartGradient& source)
{
    if (&source == this)
        return;
    FVisible = source.FVisible;
    FStartColor = source.FStartColor;
    FEndColor = source.FEndColor;
    FMidColor = source.FMidColor;
    FDirection = source.FDirection;
    FBalance = source.FBalance;
    FRadialX = source.FRadialX;
    FRadialY = source.FRadialY;
    Changed();
}

TColor TChartGradient::ColorAt(double t) const
{
    t = std::clamp(t, 0.0, 1.0);
    if (FMidColor == clNone)
        return MixColors(FStartColor, FEndColor, t);
    const double middle = FBalance / 100.0;
    if (t <= middle)
        return middle <= 0 ? FMidColor : MixColors(FStartColor, FMidColor, t / middle);
    return middle >= 1 ? FMidColor : MixColors(FMidColor, FEndColor, (t - middle) / (1 - middle));
}

void TChartFontGradient::SetOutline(bool value)
{
    if (FOutline != value) {
        FOutline = value;
        Changed();
    }
}

void TChartFontGradient::Assign(const TChartGradient& source)
{
    auto notify = std::move(OnChange);
    OnChange = nullptr;
    TChartGradient::Assign(source);
    if (const auto* fontGradient = dynamic_cast<const TChartFontGradient*>(&source))
        FOutline = fontGradient->FOutline;
    OnChange = std::move(notify);
    Changed();
}

// ---- TChartFont -------------------------------------------------------------------------------

TChartFont::TChartFont()
{
    SetName(QStringLiteral("Arial"));
    SetSize(8);
    SetColor(clBlack);
    SetCharset(DEFAULT_CHARSET);
    FOutLine.OnChange = [this](TPen*) { NotifyChange(); };
}

TChartFont::~TChartFont()
{
    FOutLine.OnChange = nullptr;
}

void TChartFont::NotifyChange()
{
    if (OnChange)
        OnChange(this);
}

void TChartFont::SetInterCharSize(int value)
{
    if (FInterCharSize != value) {
        FInterCharSize = value;
        NotifyChange();
    }
}

TChartShadow& TChartFont::Shadow()
{
    if (!FShadow) {
        FShadow = std::make_unique<TChartShadow>(clSilver, 0);
        FShadow->OnChange = [this] { NotifyChange(); };
    }
    return *FShadow;
}

TChartFontGradient& TChartFont::Gradient()
{
    if (!FGradient) {
        FGradient = std::make_unique<TChartFontGradient>();
        FGradient->OnChange = [this] { NotifyChange(); };
    }
    return *FGradient;
}

void TChartFont::Assign(const TFont& source)
{
    TFont::Assign(source);
}

void TChartFont::Assign(const TChartFont& source)
{
    if (&source == this)
        return;
    auto notify = std::move(OnChange);
    OnChange = nullptr;
    TFont::Assign(source);
    FInterCharSize = source.FInterCharSize;
    FOutLine.Assign(source.FOutLine);
    if (source.FShadow)
        Shadow().Assign(*source.FShadow);
    if (source.FGradient)
        Gradient().Assign(*source.FGradient);
    OnChange = std::move(notify);
    NotifyChange();
}

// ---- TView3DOptions ---------------------------------------------------------------------------

void TView3DOptions::SetOrthogonal(bool value)
{
    Store(FOrthogonal, value);
}
void TView3DOptions::SetOrthoAngle(int value)
{
    Store(FOrthoAngle, value);
}
void TView3DOptions::SetRotation(int value)
{
    Store(FRotation, value);
}
void TView3DOptions::SetElevation(int value)
{
    Store(FElevation, value);
}
void TView3DOptions::SetPerspective(int value)
{
    Store(FPerspective, value);
}
void TView3DOptions::SetTilt(int value)
{
    Store(FTilt, value);
}
void TView3DOptions::SetZoom(int value)
{
    Store(FZoom, value);
}
void TView3DOptions::SetZoomText(bool value)
{
    Store(FZoomText, value);
}
void TView3DOptions::SetHorizOffset(int value)
{
    Store(FHorizOffset, value);
}
void TView3DOptions::SetVertOffset(int value)
{
    Store(FVertOffset, value);
}

// ---- TChartCanvas3D: surface and buffer -------------------------------------------------------

TChartCanvas3D::TChartCanvas3D()
{
    FSurface = &FDetached;
}

TChartCanvas3D::~TChartCanvas3D() = default;

void TChartCanvas3D::AttachSurface(TCanvas& canvas)
{
    FSurface = &canvas;
}

TPen& TChartCanvas3D::Pen()
{
    return FSurface->Pen();
}

TBrush& TChartCanvas3D::Brush()
{
    return FSurface->Brush();
}

TFont& TChartCanvas3D::Font()
{
    return FSurface->Font();
}

void TChartCanvas3D::SetFontScalePercent(double value)
{
    if (std::isfinite(value) && value > 0)
        FFontScalePercent = value;
}

void TChartCanvas3D::SetBuffered(bool value)
{
    if (FBuffered == value)
        return;
    FBuffered = value;
    if (!FBuffer)
        return;
    if (!value) {
        if (FSurface == &FBuffer->Canvas())
            FSurface = &FDetached;
        FBuffer.reset();
        FDirty = true;
    } else {
        AttachSurface(FBuffer->Canvas());
    }
}

void TChartCanvas3D::SetMonochrome(bool value)
{
    if (FMonochrome == value)
        return;
    FMonochrome = value;
    FDirty = true;
    if (FView3DOptions)
        FView3DOptions->Repaint();
}

TRect TChartCanvas3D::BeginDraw(TCanvas& target, TView3DOptions* options, bool is3D,
                                const TRect& bounds)
{
    FBounds = bounds;
    FView3DOptions = options;
    FIs3D = is3D;
    FZoomFactor = 1.0;
    if (!FBuffered) {
        AttachSurface(target);
        return bounds;
    }
    if (!FBuffer)
        FBuffer = std::make_unique<TBitmap>();
    const int width = std::clamp(bounds.Width(), 0, MaxBitmapDimension);
    const int height = std::clamp(bounds.Height(), 0, MaxBitmapDimension);
    // The buffer has the device resolution of the target (a widget on a dense screen).
    if (target.Device() != nullptr)
        FBuffer->SetPixelRatio(target.Device()->devicePixelRatioF());
    FBuffer->SetSize(width, height);
    AttachSurface(FBuffer->Canvas());
    return {0, 0, width, height};
}

void TChartCanvas3D::EndDraw(TCanvas& target, TCanvas& controlCanvas, const TRect& bounds)
{
    if (FBuffered) {
        CopyBufferTo(bounds.Left, bounds.Top, target);
        FDirty = false;
    }
    AttachSurface(controlCanvas);
}

void TChartCanvas3D::CopyBufferTo(int x, int y, TCanvas& canvas)
{
    if (!FBuffer || FBuffer->Empty())
        return;
    BitBlt(canvas, x, y, FBuffer->Width(), FBuffer->Height(), FBuffer->Canvas(), 0, 0);
}

bool TChartCanvas3D::PaintFromBuffer()
{
    if (FDirty || !FBuffer)
        return false;
    // A buffer drawn for a screen of another pixel ratio (the window moved) is drawn again.
    if (const QPaintDevice* device = FSurface->Device()) {
        const double drawnAt = FBuffer->PixelRatio();
        FBuffer->SetPixelRatio(device->devicePixelRatioF());
        if (FBuffer->PixelRatio() != drawnAt) {
            FDirty = true;
            return false;
        }
    }
    CopyBufferTo(0, 0, *FSurface);
    return true;
}

// ---- State ------------------------------------------------------------------------------------

TColor TChartCanvas3D::BackColor() const
{
    return FSurface->BackColor();
}

void TChartCanvas3D::SetBackColor(TColor value)
{
    FSurface->SetBackColor(ColorToRGB(value));
}

int TChartCanvas3D::BackgroundMode() const
{
    return FSurface->BackgroundMode();
}

void TChartCanvas3D::SetBackgroundMode(int value)
{
    FSurface->SetBackgroundMode(value);
}

unsigned TChartCanvas3D::TextAlign() const
{
    return FSurface->TextAlign();
}

void TChartCanvas3D::SetTextAlign(unsigned value)
{
    FSurface->SetTextAlign(value);
}

void TChartCanvas3D::ResetDrawingState()
{
    TPen& pen = Pen();
    pen.SetNormal();
    pen.SetColor(clBlack);
    pen.SetWidth(1);
    pen.SetStyle(psSolid);
    TBrush& brush = Brush();
    brush.SetBitmap(nullptr);
    brush.SetColor(clWhite);
    brush.SetStyle(bsSolid);
    TFont& font = Font();
    font.SetColor(clBlack);
    font.SetSize(10);
    SetBackColor(clWhite);
    SetBackgroundMode(TRANSPARENT);
    SetTextAlign(TA_LEFT | TA_TOP);
    // Text from here on is plain text in the reset font: no chart font's shadow or outline.
    FCurrentFont = nullptr;
}

void TChartCanvas3D::SelectPenColor(const TChartPen& pen, TColor color)
{
    if (FMonochrome)
        color = clBlack;
    TPen& current = Pen();
    if (!pen.Visible()) {
        current.SetStyle(psClear);
        return;
    }
    if (ExtendedPensSupported) {
        if (pen.SmallDots()) {
            current.SetAlternate(color);
            return;
        }
        if (pen.Width() >= 2) {
            const TPenEndStyle end = pen.EndStyle();
            current.SetGeometric(color, pen.Width(), pen.Style(), EndCapOf(end), JoinOf(end));
            current.SetMode(pen.Mode());
            return;
        }
    }
    SelectPenColor(static_cast<const TPen&>(pen), color);
}

void TChartCanvas3D::SelectPenColor(const TPen& pen, TColor color)
{
    if (FMonochrome)
        color = clBlack;
    // Plain path: take the pen's attributes, then the colour; unchanged values are not touched.
    TPen& current = Pen();
    if (!SamePen(current, pen))
        current.Assign(pen);
    current.SetColor(color);
}

void TChartCanvas3D::SelectBrushColors(const TChartBrush& brush, TColor fillColor, TColor backColor)
{
    if (FMonochrome)
        fillColor = clWhite;
    TBrush& current = Brush();
    if (brush.HasImage()) {
        current.SetStyle(bsClear);
        current.SetBitmap(&const_cast<TChartBrush&>(brush).Image());
        // The fill colour would be the text colour of a pattern brush; this surface tiles the
        // picture's own colours and keeps the text colour in its font, which the text drawn
        // next must still find in the font's colour.
        SetBackgroundMode(OPAQUE);
        SetBackColor(backColor);
        return;
    }
    if (current.Bitmap() != nullptr)
        current.SetBitmap(nullptr);
    if (current.Color() != fillColor)
        current.SetColor(fillColor);
    if (current.Style() != brush.Style())
        current.SetStyle(brush.Style());
    if (backColor == clNone) {
        SetBackgroundMode(TRANSPARENT);
    } else {
        SetBackgroundMode(OPAQUE);
        SetBackColor(backColor);
    }
}

void TChartCanvas3D::SelectFont(TChartFont& font)
{
    TFont& current = Font();
    font.SetPixelsPerInch(current.PixelsPerInch());
    current.Assign(font);
    // Point sizes are whole numbers: a font given by pixel height is quantised through points.
    const double scaled = current.Size() * FFontScalePercent * 0.01;
    current.SetSize(static_cast<int>(std::nearbyint(scaled)));
    if (FMonochrome)
        current.SetColor(clBlack);
    if (FSurface->TextCharacterExtra() != font.InterCharSize())
        FSurface->SetTextCharacterExtra(font.InterCharSize());
    FCurrentFont = &font;
}

TChartCanvas3D::TDrawingState TChartCanvas3D::SaveDrawingState() const
{
    TDrawingState state;
    state.Pen.Assign(FSurface->Pen());
    state.Brush.Assign(FSurface->Brush());
    state.Font.Assign(FSurface->Font());
    state.BackColor = FSurface->BackColor();
    state.BackgroundMode = FSurface->BackgroundMode();
    state.TextAlign = FSurface->TextAlign();
    state.CharExtra = FSurface->TextCharacterExtra();
    state.PenPos = FSurface->PenPos();
    state.ChartFont = FCurrentFont;
    return state;
}

void TChartCanvas3D::RestoreDrawingState(const TDrawingState& state)
{
    FSurface->Pen().Assign(state.Pen);
    // The brush first: a brush change ties the background to it.
    FSurface->Brush().Assign(state.Brush);
    FSurface->Font().Assign(state.Font);
    FSurface->SetBackColor(state.BackColor);
    FSurface->SetBackgroundMode(state.BackgroundMode);
    FSurface->SetTextAlign(state.TextAlign);
    FSurface->SetTextCharacterExtra(state.CharExtra);
    FSurface->SetPenPos(state.PenPos);
    FCurrentFont = state.ChartFont;
}

// ---- Drawing ----------------------------------------------------------------------------------

void TChartCanvas3D::MoveTo(int x, int y)
{
    FSurface->MoveTo(x, y);
}

void TChartCanvas3D::LineTo(int x, int y)
{
    FSurface->LineTo(x, y);
}

void TChartCanvas3D::Rectangle(int x0, int y0, int x1, int y1)
{
    FSurface->Rectangle(x0, y0, x1, y1);
}

void TChartCanvas3D::RoundRect(int x0, int y0, int x1, int y1, int cornerWidth, int cornerHeight)
{
    FSurface->RoundRect(x0, y0, x1, y1, cornerWidth, cornerHeight);
}

void TChartCanvas3D::FillRect(const TRect& r)
{
    FSurface->FillRect(r);
}

void TChartCanvas3D::Ellipse(int x0, int y0, int x1, int y1)
{
    FSurface->Ellipse(x0, y0, x1, y1);
}

void TChartCanvas3D::Polyline(const TPoint* points, int lastIndex)
{
    if (points != nullptr && lastIndex >= 0)
        FSurface->Polyline(points, lastIndex + 1);
}

void TChartCanvas3D::Polygon(const TPoint* points, int lastIndex)
{
    if (points != nullptr && lastIndex >= 0)
        FSurface->Polygon(points, lastIndex + 1);
}

void TChartCanvas3D::SetPixel(int x, int y, TColor color)
{
    FSurface->SetPixel(x, y, ColorToRGB(color));
}

TColor TChartCanvas3D::GetPixel(int x, int y) const
{
    return FSurface->Pixel(x, y);
}

void TChartCanvas3D::BevelFrame(TRect& r, TColor topLeftColor, int width, TColor bottomRightColor)
{
    TPen& pen = Pen();
    pen.SetNormal();
    pen.SetWidth(1);
    pen.SetStyle(psSolid);
    // Frames stop once nothing is left inside the rectangle, so a band wider than the control
    // costs no more than the control's size.
    for (int i = 0; i < width && !IsRectEmpty(r); ++i) {
        const int right = r.Right - 1;
        const int bottom = r.Bottom - 1;
        pen.SetColor(topLeftColor);
        const TPoint topLeft[3] = {{r.Left, bottom}, {r.Left, r.Top}, {right, r.Top}};
        FSurface->Polyline(topLeft, 3);
        pen.SetColor(bottomRightColor);
        const TPoint bottomRight[3] = {{right, r.Top}, {right, bottom}, {r.Left - 1, bottom}};
        FSurface->Polyline(bottomRight, 3);
        InflateRect(r, -1, -1);
    }
}

// ---- Text -------------------------------------------------------------------------------------

TSize TChartCanvas3D::CachedExtent(const QString& text)
{
    const TFont& font = FSurface->Font();
    // The font state the extents were measured in; any difference starts a new cache.
    QString key = font.Name();
    key += QChar(0);
    key += QString::number(font.Height());
    key += QChar(0);
    key += QString::number(font.Style());
    key += QChar(0);
    key += QString::number(font.Charset());
    key += QChar(0);
    key += QString::number(FSurface->TextCharacterExtra());
    if (key != FExtentFontKey) {
        FExtentFontKey = std::move(key);
        FExtentCache.clear();
    }
    const auto found = FExtentCache.find(text);
    if (found != FExtentCache.end())
        return found->second;
    const TSize extent = FSurface->TextExtent(text);
    if (FExtentCache.size() >= 4096)
        FExtentCache.clear();
    FExtentCache.emplace(text, extent);
    return extent;
}

int TChartCanvas3D::MeasureTextWidth(const QString& text)
{
    int width = CachedExtent(text).cx;
    if (FCurrentFont != nullptr && FCurrentFont->HasShadow())
        width += std::abs(FCurrentFont->ShadowIfAny()->HorizSize());
    return width;
}

int TChartCanvas3D::TextHeight(const QString& text)
{
    int height = CachedExtent(text).cy;
    if (FCurrentFont != nullptr && FCurrentFont->HasShadow())
        height += std::abs(FCurrentFont->ShadowIfAny()->VertSize());
    return height;
}

int TChartCanvas3D::AlignedLeft(int x, int width) const
{
    const unsigned horizontal = TextAlign() & TA_CENTER;
    if (horizontal == TA_CENTER)
        return x - width / 2;
    if (horizontal == TA_RIGHT)
        return x - width;
    return x;
}

void TChartCanvas3D::DrawTextPlain(int x, int y, const QString& text, TColor color)
{
    TFont& font = Font();
    if (font.Color() != color)
        font.SetColor(color);
    FSurface->TextOut(x, y, text);
}

void TChartCanvas3D::TextOut(int x, int y, const QString& text)
{
    // The text colour is the surface font's: SelectFont made it the chart font's colour (black
    // when monochrome), and a handler may have changed it since.
    const TColor fontColor = Font().Color();
    const TChartFont* chartFont = FCurrentFont;
    const TChartShadow* shadow = chartFont != nullptr ? chartFont->ShadowIfAny() : nullptr;
    if (shadow != nullptr && shadow->HasSize()) {
        int shadowX = x;
        int shadowY = y;
        const int h = shadow->HorizSize();
        const int v = shadow->VertSize();
        if (h > 0)
            shadowX += h;
        else
            x -= h;
        if (v > 0)
            shadowY += v;
        else
            y -= v;
        // A transparent shadow would be blended over its text rectangle; blends are not drawn by
        // this canvas, so the shadow is laid down opaque.
        FBlendTransparency = std::clamp(shadow->Transparency() * 127 / 100, 0, 127);
        DrawTextPlain(shadowX, shadowY, text, FMonochrome ? clBlack : shadow->Color());
        FBlendTransparency = 0;
    }
    const bool outline = chartFont != nullptr && chartFont->OutLine().Visible();
    const TChartFontGradient* gradient =
        chartFont != nullptr ? chartFont->GradientIfAny() : nullptr;
    const bool gradientOn = gradient != nullptr && gradient->Visible();
    if (outline || gradientOn) {
        Font().SetColor(fontColor);
        DrawTextPaths(x, y, text, *chartFont, fontColor);
        return;
    }
    if (fontColor == clNone)
        return;
    DrawTextPlain(x, y, text, fontColor);
}

void TChartCanvas3D::TextOutTurned(int x, int y, int angle, const QString& text)
{
    if (angle % 360 == 0) {
        TextOut(x, y, text);
        return;
    }
    if (Font().Color() == clNone)
        return;
    FSurface->TextOutTurned(x, y, angle, text);
}

void TChartCanvas3D::DrawTextPaths(int x, int y, const QString& text, const TChartFont& font,
                                   TColor fontColor)
{
    const bool outline = font.OutLine().Visible();
    const TChartFontGradient* gradient = font.GradientIfAny();
    const bool gradientOn = gradient != nullptr && gradient->Visible();

    if (outline)
        SelectPen(font.OutLine());
    else
        Pen().SetStyle(psClear);
    TBrush& brush = Brush();
    brush.SetBitmap(nullptr);
    brush.SetColor(fontColor == clNone ? clBlack : fontColor);
    brush.SetStyle(bsSolid);
    SetBackgroundMode(TRANSPARENT);

    auto recordGlyphs = [&] {
        FSurface->BeginPath();
        FSurface->TextOut(x, y, text);
        FSurface->EndPath();
    };
    recordGlyphs();
    if (gradientOn) {
        if (gradient->Outline())
            FSurface->WidenPath();
        TRegion saved;
        const bool hadClip = FSurface->GetClipRegion(saved);
        FSurface->SelectClipPath(RGN_AND);
        const TSize extent = CachedExtent(text);
        int top = y;
        const unsigned vertical = TextAlign() & TA_BASELINE;
        if (vertical == TA_BOTTOM)
            top = y - extent.cy;
        else if (vertical == TA_BASELINE)
            top = y - extent.cy * 4 / 5;
        const int left = AlignedLeft(x, extent.cx);
        FillGradient({left, top, left + extent.cx, top + extent.cy}, *gradient);
        FSurface->SelectClipRegion(hadClip ? &saved : nullptr);
        if (gradient->Outline())
            return;
        if (outline) {
            recordGlyphs();
            brush.SetStyle(bsClear);
        }
    }
    if (outline) {
        if (fontColor == clNone || (gradientOn && brush.Style() == bsClear))
            FSurface->StrokePath();
        else
            FSurface->StrokeAndFillPath();
    } else if (!gradientOn) {
        FSurface->AbortPath();
    }
}

void TChartCanvas3D::FillGradient(const TRect& r, const TChartGradient& gradient)
{
    if (IsRectEmpty(r))
        return;
    const int width = r.Width();
    const int height = r.Height();
    TBrush& brush = Brush();
    brush.SetBitmap(nullptr);
    brush.SetStyle(bsSolid);
    auto band = [&](const TRect& part, double t) {
        brush.SetColor(gradient.ColorAt(t));
        FSurface->FillRect(part);
    };
    switch (gradient.Direction()) {
    case gdTopBottom:
    case gdBottomTop:
        for (int i = 0; i < height; ++i) {
            const double t = height > 1 ? static_cast<double>(i) / (height - 1) : 0.0;
            band({r.Left, r.Top + i, r.Right, r.Top + i + 1},
                 gradient.Direction() == gdTopBottom ? t : 1 - t);
        }
        break;
    case gdLeftRight:
    case gdRightLeft:
        for (int i = 0; i < width; ++i) {
            const double t = width > 1 ? static_cast<double>(i) / (width - 1) : 0.0;
            band({r.Left + i, r.Top, r.Left + i + 1, r.Bottom},
                 gradient.Direction() == gdLeftRight ? t : 1 - t);
        }
        break;
    default: {
        // Diagonal and central directions: colour by distance, one pixel at a time.
        const double cx = r.Left + width / 2.0 + gradient.RadialX();
        const double cy = r.Top + height / 2.0 + gradient.RadialY();
        const double reach = std::hypot(width / 2.0, height / 2.0);
        for (int yy = r.Top; yy < r.Bottom; ++yy)
            for (int xx = r.Left; xx < r.Right; ++xx) {
                double t;
                if (gradient.Direction() == gdFromTopLeft)
                    t = (xx - r.Left + yy - r.Top) / std::max(1.0, width + height - 2.0);
                else if (gradient.Direction() == gdFromBottomLeft)
                    t = (xx - r.Left + r.Bottom - 1 - yy) / std::max(1.0, width + height - 2.0);
                else
                    t = reach > 0 ? 1 - std::hypot(xx - cx, yy - cy) / reach : 0.0;
                FSurface->SetPixel(xx, yy, ColorToRGB(gradient.ColorAt(t)));
            }
        break;
    }
    }
}

// ---- Clipping ---------------------------------------------------------------------------------

void TChartCanvas3D::ClipToRegion(const TRegion& region)
{
    FHadClipRegion = FSurface->GetClipRegion(FSavedClipRegion);
    FSurface->ExtSelectClipRegion(region, RGN_AND);
}

void TChartCanvas3D::ClipToRect(const TRect& r)
{
    const TPoint a = FSurface->LPtoDP(r.TopLeft());
    const TPoint b = FSurface->LPtoDP(r.BottomRight());
    ClipToRegion(TRegion::FromRect({a.X, a.Y, b.X, b.Y}));
}

void TChartCanvas3D::ClipToEllipse(const TRect& r)
{
    const TPoint a = FSurface->LPtoDP(r.TopLeft());
    const TPoint b = FSurface->LPtoDP(r.BottomRight());
    ClipToRegion(TRegion::FromEllipse({a.X, a.Y, b.X, b.Y}));
}

void TChartCanvas3D::ClipToRoundRect(const TRect& r, int corner)
{
    const TPoint a = FSurface->LPtoDP(r.TopLeft());
    const TPoint b = FSurface->LPtoDP(r.BottomRight());
    ClipToRegion(TRegion::FromRoundRect({a.X, a.Y, b.X, b.Y}, corner, corner));
}

void TChartCanvas3D::ClipToPolygon(const TPoint* points, int count)
{
    if (points == nullptr || count <= 0)
        return;
    std::vector<TPoint> device(points, points + count);
    for (TPoint& p : device)
        p = FSurface->LPtoDP(p);
    ClipToRegion(TRegion::FromPolygon(device.data(), count, ALTERNATE));
}

void TChartCanvas3D::Unclip()
{
    FSurface->SelectClipRegion(FHadClipRegion ? &FSavedClipRegion : nullptr);
    FHadClipRegion = false;
}

// ---- Depth ------------------------------------------------------------------------------------

TPoint TChartCanvas3D::ProjectPoint(int x, int y, int z) const
{
    if (!FIs3D || z == 0)
        return {x, y};
    // Oblique view: depth runs up and to the right at the orthogonal angle.
    const int angle = FView3DOptions != nullptr ? FView3DOptions->OrthoAngle() : 45;
    const double radians = angle * 3.14159265358979323846 / 180.0;
    return {x + static_cast<int>(std::lround(z * std::cos(radians))),
            y - static_cast<int>(std::lround(z * std::sin(radians)))};
}

void TChartCanvas3D::SetupProjection(int, const TRect&, const TRect&)
{
    // Flat charts need no projection; ProjectPoint works from the view options directly.
}

void TChartCanvas3D::BeginTitleMode()
{
    FSavedIs3D = FIs3D;
    FIs3D = false;
}

void TChartCanvas3D::EndTitleMode()
{
    FIs3D = FSavedIs3D;
}

void TChartCanvas3D::MoveToAtDepth(int x, int y, int z)
{
    const TPoint p = ProjectPoint(x, y, z);
    MoveTo(p.X, p.Y);
}

void TChartCanvas3D::LineToAtDepth(int x, int y, int z)
{
    const TPoint p = ProjectPoint(x, y, z);
    LineTo(p.X, p.Y);
}

void TChartCanvas3D::RectangleAtDepth(const TRect& r, int z)
{
    FCorners[0] = ProjectPoint(r.Left, r.Top, z);
    FCorners[1] = ProjectPoint(r.Right, r.Top, z);
    FCorners[2] = ProjectPoint(r.Right, r.Bottom, z);
    FCorners[3] = ProjectPoint(r.Left, r.Bottom, z);
    Polygon(FCorners, 3);
}

void TChartCanvas3D::PolygonAtDepth(const TPoint* points, int lastIndex, int z)
{
    if (points == nullptr || lastIndex < 0)
        return;
    std::vector<TPoint> projected(points, points + lastIndex + 1);
    for (TPoint& p : projected)
        p = ProjectPoint(p.X, p.Y, z);
    Polygon(projected.data(), lastIndex);
}

void TChartCanvas3D::EllipseAtDepth(const TRect& r, int z)
{
    const TPoint a = ProjectPoint(r.Left, r.Top, z);
    const TPoint b = ProjectPoint(r.Right, r.Bottom, z);
    Ellipse(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::TextOutAtDepth(int x, int y, int z, const QString& text)
{
    const TPoint p = ProjectPoint(x, y, z);
    TextOut(p.X, p.Y, text);
}

void TChartCanvas3D::ClipPlotArea(const TRect& r, int z0, int z1)
{
    if (!FIs3D) {
        ClipToRect({r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1});
        return;
    }
    // Depth views clip to the box spanned by the front and the back of the plot.
    const TPoint frontTopLeft = ProjectPoint(r.Left, r.Top, z0);
    const TPoint backTopRight = ProjectPoint(r.Right, r.Top, z1);
    const TPoint frontBottom = ProjectPoint(r.Left, r.Bottom, z0);
    ClipToRect({frontTopLeft.X + 1, std::min(frontTopLeft.Y, backTopRight.Y) + 1, backTopRight.X,
                frontBottom.Y - 1});
}
