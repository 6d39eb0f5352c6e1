#include "widgets/IkSlider.h"

#include "platform/Cursors.h"
#include "widgets/IkAccessible.h"
#include "widgets/IkGraphics.h"
#include "widgets/IkSliderThumbs.h"

#include <QEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t ClampToInt(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Rectangle from 64-bit edges, saturated to the 32-bit range.
TRect ClampedRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return {ClampToInt(left), ClampToInt(top), ClampToInt(right), ClampToInt(bottom)};
}

} // namespace

TIkSlider::TIkSlider(QWidget* parent)
    : TIkCustomImageControl(parent), FThumbBitmap(std::make_unique<TBitmap>()),
      FTrackLow(std::make_unique<TBitmap>()), FTrackHigh(std::make_unique<TBitmap>()),
      FBevel(std::make_unique<TIkBevel>()), FPalette(std::make_unique<TIkPalette>()),
      FLink(std::make_unique<TIkChangeLink>())
{
    FBevel->SetInnerStyle(bsLowered);
    FBevel->SetInnerWidth(2);
    FBevel->SetInnerColor(clBlack);
    const auto trackOptionChanged = [this](TIkPersistent*) {
        UpdateTrack();
        UpdateControlCanvas();
    };
    FBevel->OnChange = trackOptionChanged;
    FPalette->OnChange = trackOptionChanged;
    FLink->OnChange = [this](TIkSharedComponent*) {
        LoadThumb();
        UpdateControlCanvas();
    };
    FLink->OnSenderDestroyed = [this](TIkSharedComponent*) {
        // The list is half destroyed: forget it without touching it.
        FBitmapList = nullptr;
        if (!IsLoading()) {
            LoadThumb();
            UpdateControlCanvas();
        }
    };

    SetOpaque(true);
    SetColor(clBlack);
    SetParentColor(false);
    SetTabStop(false);
    LoadThumb();
    SetBounds(Left(), Top(), 36, 171);
    UpdateTrack();
}

TIkSlider::~TIkSlider()
{
    ReleaseClip();
}

// ---- Setters ------------------------------------------------------------------------------

template <typename T> void TIkSlider::SetAndRepaint(T& field, T value)
{
    if (AssignIfChanged(field, value))
        UpdateControlCanvas();
}

template <typename T> void TIkSlider::SetAndRebuildTrack(T& field, T value)
{
    if (AssignIfChanged(field, value)) {
        UpdateTrack();
        UpdateControlCanvas();
    }
}

void TIkSlider::SetPosition(int32_t value)
{
    if (value < FMinValue)
        value = FMinValue;
    if (value > FMaxValue)
        value = FMaxValue;
    if (value == FPosition)
        return;
    FPosition = value;
    UpdateControlCanvas();
    IkAccessibleValueChanged(this, FPosition);
    Changed();
}

void TIkSlider::SetMinValue(int32_t value)
{
    if (value == FMinValue)
        return;
    FMinValue = value;
    if (FPosition < value)
        SetPosition(value);
    else
        UpdateControlCanvas();
}

void TIkSlider::SetMaxValue(int32_t value)
{
    if (value == FMaxValue)
        return;
    FMaxValue = value;
    if (FPosition > value)
        SetPosition(value);
    else
        UpdateControlCanvas();
}

void TIkSlider::SetSpacing(int32_t value)
{
    if (value >= 0)
        SetAndRebuildTrack(FSpacing, value);
}

void TIkSlider::SetTickWidth(int32_t value)
{
    if (value > 0)
        SetAndRebuildTrack(FTickWidth, value);
}

void TIkSlider::SetBorderWidth(int32_t value)
{
    if (value >= 0)
        SetAndRebuildTrack(FBorderWidth, value);
}

void TIkSlider::SetSolidFill(bool value)
{
    SetAndRebuildTrack(FSolidFill, value);
}

void TIkSlider::SetStyle(TIkSliderStyle value)
{
    SetAndRebuildTrack(FStyle, value);
}

void TIkSlider::SetOrientation(TIkOrientation value)
{
    if (value == FOrientation)
        return;
    FOrientation = value;
    if (!IsLoading()) {
        // A square slider gets no size change, so its track is redrawn here.
        const bool square = Width() == Height();
        SetBounds(Left(), Top(), Height(), Width());
        if (square)
            UpdateTrack();
        LoadThumb();
    }
    UpdateControlCanvas();
}

void TIkSlider::SetThumbStates(TIkNumGlyphs value)
{
    // The strip is cut into this many cells: 0 would divide by zero.
    value = std::clamp<TIkNumGlyphs>(value, 1, 4);
    if (value == FThumbStates)
        return;
    FThumbStates = value;
    if (!IsLoading())
        LoadThumb();
    UpdateControlCanvas();
}

void TIkSlider::SetThumbImageIndex(int32_t value)
{
    if (value == FThumbImageIndex)
        return;
    FThumbImageIndex = value;
    if (!IsLoading())
        LoadThumb();
    UpdateControlCanvas();
}

void TIkSlider::SetThumbIndent(int32_t value)
{
    if (value >= 0)
        SetAndRepaint(FThumbIndent, value);
}

void TIkSlider::SetOptions(TIkSliderOptions value)
{
    SetAndRepaint(FOptions, value);
}

void TIkSlider::SetBorderColor(TColor value)
{
    SetAndRepaint(FBorderColor, value);
}

void TIkSlider::SetFocusColor(TColor value)
{
    SetAndRepaint(FFocusColor, value);
}

void TIkSlider::SetBitmapList(TIkBitmapList* value)
{
    if (value == FBitmapList)
        return;
    if (FBitmapList != nullptr)
        FBitmapList->RemoveLink(FLink.get());
    FBitmapList = value;
    if (FBitmapList != nullptr)
        FBitmapList->InsertLink(FLink.get());
    if (!IsLoading()) {
        LoadThumb();
        UpdateControlCanvas();
    }
}

void TIkSlider::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- Geometry -----------------------------------------------------------------------------

TRect TIkSlider::GetInnerRect() const
{
    TRect r = ClientRect();
    const int32_t shrink = ClampToInt(static_cast<int64_t>(FBorderWidth) + FThumbIndent);
    InflateRect(r, -shrink, -shrink);
    return r;
}

int32_t TIkSlider::GetOffset() const
{
    const TRect inner = GetInnerRect();
    return std::max(0, Vertical() ? inner.Top : inner.Left);
}

int32_t TIkSlider::GetTravel() const
{
    const TRect inner = GetInnerRect();
    return Vertical() ? ClampToInt(static_cast<int64_t>(inner.Height()) - FThumbHeight)
                      : ClampToInt(static_cast<int64_t>(inner.Width()) - FThumbWidth);
}

bool TIkSlider::CanMap() const
{
    return FMaxValue != FMinValue && GetTravel() > 0;
}

int32_t TIkSlider::PositionToPixel(int32_t value) const
{
    int64_t p = GetOffset();
    if (CanMap()) {
        const double fraction = static_cast<double>(static_cast<int64_t>(value) - FMinValue) /
                                static_cast<double>(static_cast<int64_t>(FMaxValue) - FMinValue);
        p += static_cast<int64_t>(std::nearbyint(GetTravel() * fraction));
    }
    const TRect inner = GetInnerRect();
    if (Vertical() && FStyle == ssBottomLeft)
        p = static_cast<int64_t>(inner.Top) + inner.Bottom - p - FThumbHeight;
    else if (!Vertical() && FStyle == ssTopRight)
        p = static_cast<int64_t>(inner.Left) + inner.Right - p - FThumbWidth;
    return ClampToInt(p);
}

int32_t TIkSlider::PixelToPosition(int32_t pixel) const
{
    if (!CanMap())
        return FMinValue;
    int64_t p = pixel;
    if (Vertical())
        p = static_cast<int64_t>(ClientHeight()) - p - FThumbHeight;
    const double range = static_cast<double>(static_cast<int64_t>(FMaxValue) - FMinValue);
    double v = std::nearbyint(static_cast<double>(p - GetOffset()) * range / GetTravel());
    v = std::max(v, 0.0);
    return static_cast<int32_t>(std::min(v + FMinValue, static_cast<double>(FMaxValue)));
}

void TIkSlider::MoveThumbTo(int32_t pixel)
{
    if (!CanMap()) {
        SetPosition(FMinValue);
        return;
    }
    const int32_t offset = GetOffset();
    const int64_t p =
        std::clamp<int64_t>(pixel, offset, static_cast<int64_t>(offset) + GetTravel());
    const int32_t value = PixelToPosition(static_cast<int32_t>(p));
    if (FStyle == ssBottomLeft)
        SetPosition(value);
    else
        SetPosition(ClampToInt(static_cast<int64_t>(FMaxValue) - value + FMinValue));
}

void TIkSlider::CenterThumb()
{
    if (Vertical())
        FThumbRect.Left = (Width() - FThumbWidth) / 2;
    else
        FThumbRect.Top = (Height() - FThumbHeight) / 2;
    FThumbRect = Bounds(FThumbRect.Left, FThumbRect.Top, FThumbWidth, FThumbHeight);
}

// ---- Thumb and track ----------------------------------------------------------------------

void TIkSlider::LoadThumb()
{
    const TBitmap* listed =
        FBitmapList != nullptr ? FBitmapList->GetBitmap(FThumbImageIndex) : nullptr;
    FThumbBitmap->Assign(listed);
    if (FThumbBitmap->Empty()) {
        FThumbBitmap->Assign(nullptr);
        FThumbBitmap->SetImage(
            IkSliderThumbImage(Vertical() ? IKSLIDERTHUMB_HORI : IKSLIDERTHUMB_VERT));
    }
    FThumbHeight = FThumbBitmap->Height();
    FThumbWidth = FThumbBitmap->Width() / FThumbStates;
    CenterThumb();
}

void TIkSlider::UpdateTrack()
{
    if (IsLoading())
        return;
    TRect r = ClientRect();
    InflateRect(r, -FBorderWidth, -FBorderWidth);
    FBevel->GetVisibleArea(r);
    const int width = std::max(0, r.Width());
    const int height = std::max(0, r.Height());
    FTrackLow->SetPixelRatio(devicePixelRatioF());
    FTrackHigh->SetPixelRatio(devicePixelRatioF());
    FTrackLow->SetSize(width, height);
    FTrackHigh->SetSize(width, height);
    if (width == 0 || height == 0)
        return;
    DrawTrackBars(FTrackLow->Canvas(), BitmapBounds(*FTrackLow), FPalette->ColorAt(0));
    DrawTrackBars(FTrackHigh->Canvas(), BitmapBounds(*FTrackHigh), FPalette->ColorAt(1));
}

void TIkSlider::DrawTrackBars(TCanvas& canvas, const TRect& rect, TColor barColor) const
{
    // Bars run across the axis of travel, TickWidth thick, one every TickWidth + Spacing
    // pixels, starting at the MinValue end.
    const bool vertical = Vertical();
    const int64_t length = vertical ? rect.Height() : rect.Width();
    const int64_t pitch = static_cast<int64_t>(FTickWidth) + FSpacing;
    const int64_t count = length / pitch + 1;
    const bool fromFarEnd = vertical ? FStyle == ssBottomLeft : FStyle == ssTopRight;
    const int64_t first = vertical ? rect.Top : rect.Left;
    const int64_t last = vertical ? rect.Bottom : rect.Right;
    int64_t at = fromFarEnd ? last - FTickWidth : first;
    const int64_t step = fromFarEnd ? -pitch : pitch;

    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(rect);

    // The checker repeats every two pixels, so a bar pattern as long as the track plus one
    // pixel covers every visible part of a bar.
    std::unique_ptr<TBitmap> pattern;
    if (FSolidFill) {
        canvas.Brush().SetColor(barColor);
    } else {
        const int patternLength = static_cast<int>(std::min<int64_t>(FTickWidth, length + 1));
        pattern = vertical ? std::make_unique<TBitmap>(rect.Width(), patternLength)
                           : std::make_unique<TBitmap>(patternLength, rect.Height());
        const std::unique_ptr<TBitmap> checker = CheckerBitmap(barColor, Color());
        TCanvas& patternCanvas = pattern->Canvas();
        patternCanvas.Brush().SetBitmap(checker.get());
        patternCanvas.FillRect(BitmapBounds(*pattern));
        patternCanvas.Brush().SetBitmap(nullptr);
    }

    for (int64_t i = 0; i <= count; ++i, at += step) {
        const TRect bar = vertical ? ClampedRect(rect.Left, at, rect.Right, at + FTickWidth)
                                   : ClampedRect(at, rect.Top, at + FTickWidth, rect.Bottom);
        TRect visible;
        if (!IntersectRect(visible, bar, rect))
            continue;
        if (FSolidFill) {
            canvas.FillRect(visible);
            continue;
        }
        // Keep the checker's phase of a whole bar for its visible part.
        const int32_t skipped = vertical ? visible.Top - bar.Top : visible.Left - bar.Left;
        const TRect source = vertical ? Bounds(0, skipped % 2, visible.Width(), visible.Height())
                                      : Bounds(skipped % 2, 0, visible.Width(), visible.Height());
        canvas.CopyRect(visible, pattern->Canvas(), source);
    }
}

void TIkSlider::DrawLitTrack(TCanvas& canvas, const TRect& track)
{
    // The High bars show from the MinValue end up to the middle of the thumb.
    if (FTrackHigh->Empty())
        return;
    TRect dest = track;
    if (Vertical()) {
        if (FStyle == ssBottomLeft)
            dest.Top = FThumbRect.Top + FThumbHeight / 2;
        else
            dest.Bottom = FThumbRect.Bottom - FThumbHeight / 2;
    } else {
        if (FStyle == ssBottomLeft)
            dest.Right = FThumbRect.Left + FThumbWidth / 2;
        else
            dest.Left = FThumbRect.Right - FThumbWidth / 2;
    }
    TRect visible;
    if (!IntersectRect(visible, dest, track))
        return;
    TRect source = visible;
    OffsetRect(source, -track.Left, -track.Top);
    canvas.CopyRect(visible, FTrackHigh->Canvas(), source);
}

void TIkSlider::DrawThumb(TCanvas& canvas)
{
    // Cells of the strip: 0 normal, 1 disabled, 2 dragged, 3 hot; missing cells fall back to 0.
    int32_t state = 0;
    if (!Enabled())
        state = 1;
    if (FDragActive)
        state = 2;
    if (FHot && !FDragActive)
        state = 3;
    if (state > FThumbStates - 1)
        state = 0;
    const TRect cell = Bounds(state * FThumbWidth, 0, FThumbWidth, FThumbHeight);
    const TColor transparent = FThumbBitmap->TransparentColor();
    canvas.Brush().SetColor(transparent);
    canvas.Brush().SetStyle(FOptions.Contains(soThumbOpaque) ? bsSolid : bsClear);
    canvas.BrushCopy(FThumbRect, *FThumbBitmap, cell, transparent);
}

void TIkSlider::Paint()
{
    // The track bars are drawn again at a new pixel ratio (a move to another screen).
    const double ratio = FTrackLow->PixelRatio();
    FTrackLow->SetPixelRatio(devicePixelRatioF());
    if (FTrackLow->PixelRatio() != ratio)
        UpdateTrack();
    ClearBitmapCanvas();
    TCanvas& canvas = BitmapCanvas();
    TRect r = ClientRect();
    if (FBorderWidth > 0) {
        const TColor border = FFocused ? FFocusColor : FBorderColor;
        Draw3DFrame(canvas, r, border, border, FBorderWidth);
    }
    FBevel->Paint(canvas, r);
    if (!FTrackLow->Empty() && !IsRectEmpty(r))
        canvas.CopyRect(r, FTrackLow->Canvas(), BitmapBounds(*FTrackLow));
    const int32_t p = PositionToPixel(FPosition);
    if (Vertical())
        FThumbRect = Bounds(FThumbRect.Left, p, FThumbWidth, FThumbHeight);
    else
        FThumbRect = Bounds(p, FThumbRect.Top, FThumbWidth, FThumbHeight);
    if (!IsRectEmpty(r))
        DrawLitTrack(canvas, r);
    DrawThumb(canvas);
    TIkCustomImageControl::Paint();
}

// ---- Runtime notifications ----------------------------------------------------------------

void TIkSlider::Loaded()
{
    TIkCustomImageControl::Loaded();
    LoadThumb();
    UpdateTrack();
    Invalidate();
}

void TIkSlider::Resize()
{
    TIkCustomImageControl::Resize();
    UpdateTrack();
    CenterThumb();
    UpdateControlCanvas();
}

void TIkSlider::ColorChanged()
{
    TIkCustomImageControl::ColorChanged();
    UpdateTrack();
    Invalidate();
}

void TIkSlider::changeEvent(QEvent* event)
{
    TIkCustomImageControl::changeEvent(event);
    // System colours (the border's clBtnFace) may have changed.
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        UpdateTrack();
        Invalidate();
    }
}

void TIkSlider::EnabledChanged()
{
    TIkCustomImageControl::EnabledChanged();
    UpdateControlCanvas();
}

void TIkSlider::SetFocusedState(bool focused)
{
    if (focused == FFocused)
        return;
    FFocused = focused;
    UpdateControlCanvas();
}

void TIkSlider::DoEnter()
{
    SetFocusedState(true);
    TIkCustomImageControl::DoEnter();
}

void TIkSlider::DoExit()
{
    SetFocusedState(false);
    TIkCustomImageControl::DoExit();
}

// ---- Mouse and keys -----------------------------------------------------------------------

void TIkSlider::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TIkCustomImageControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    // A click takes the keyboard focus even though the slider is out of the Tab order: it is
    // the only way back to its keys once the focus has gone elsewhere.
    SetFocus();
    if (PtInRect(FThumbRect, Point(x, y))) {
        FDragActive = true;
        FGrabOffset = Vertical() ? y - FThumbRect.Top : x - FThumbRect.Left;
        if (FOptions.Contains(soMouseClip)) {
            const TPoint origin = ClientToScreen(Point(0, 0));
            const TRect clip = Bounds(origin.X, origin.Y, Width(), Height());
            ClipCursor(&clip);
            FClipped = true;
        }
        UpdateControlCanvas();
    } else if (FOptions.Contains(soActiveClick)) {
        MoveThumbTo(Vertical() ? y - FThumbHeight / 2 : x - FThumbWidth / 2);
    }
}

void TIkSlider::MouseMove(TShiftState shift, int x, int y)
{
    if (FDragActive) {
        MoveThumbTo(ClampToInt(static_cast<int64_t>(Vertical() ? y : x) - FGrabOffset));
    } else {
        const bool hot = PtInRect(FThumbRect, Point(x, y));
        if (hot != FHot) {
            FHot = hot;
            UpdateControlCanvas();
        }
    }
    TIkCustomImageControl::MouseMove(shift, x, y);
}

void TIkSlider::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (FDragActive) {
        FDragActive = false;
        UpdateControlCanvas();
    }
    ReleaseClip();
    TIkCustomImageControl::MouseUp(button, shift, x, y);
}

void TIkSlider::ReleaseClip()
{
    if (!FClipped)
        return;
    ClipCursor(nullptr);
    FClipped = false;
}

bool TIkSlider::CursorRequest(int x, int y)
{
    if (PtInRect(FThumbRect, Point(x, y))) {
        // Over the thumb the request is answered here: the hand, or the cursor as it is.
        ::SetCursor(FOptions.Contains(soHandPoint) ? Screen().Cursors(crIkHandPoint) : cursor());
        return true;
    }
    return TIkCustomImageControl::CursorRequest(x, y);
}

void TIkSlider::StepPosition(int32_t delta)
{
    // The thumb moves in the arrow's direction whichever end holds MinValue.
    const int64_t step = FStyle == ssBottomLeft ? delta : -static_cast<int64_t>(delta);
    SetPosition(ClampToInt(FPosition + step));
}

void TIkSlider::KeyDown(uint16_t& key, TShiftState shift)
{
    constexpr TShiftState held = ssShift | ssCtrl | ssAlt | ssLeft | ssRight | ssMiddle;
    if ((shift & held) == 0) {
        const int64_t increment = FKeyIncrement;
        const int32_t up = ClampToInt(increment);
        const int32_t down = ClampToInt(-increment);
        switch (key) {
        case VK_HOME:
            SetPosition(FMinValue);
            break;
        case VK_END:
            SetPosition(FMaxValue);
            break;
        case VK_LEFT:
            if (!Vertical())
                StepPosition(down);
            break;
        case VK_RIGHT:
            if (!Vertical())
                StepPosition(up);
            break;
        case VK_UP:
            if (Vertical())
                StepPosition(up);
            break;
        case VK_DOWN:
            if (Vertical())
                StepPosition(down);
            break;
        default:
            break;
        }
    }
    TIkCustomImageControl::KeyDown(key, shift);
}
