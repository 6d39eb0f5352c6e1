#include "widgets/IkButtons.h"

#include "widgets/IkAccessible.h"
#include "widgets/IkGraphics.h"

#include <QEvent>
#include <QKeySequence>
#include <QShortcutEvent>

#include <algorithm>

TIkPowerButton::TIkPowerButton(QWidget* parent)
    : TIkCustomImageControl(parent), FPalette(std::make_unique<TIkPalette>())
{
    FPalette->OnChange = [this](TIkPersistent*) { UpdateControlCanvas(); };
    SetOpaque(true);
    SetColor(clBtnFace);
    SetParentColor(false);
    SetTabStop(false);
    SetBounds(Left(), Top(), 125, 25);
}

TIkPowerButton::~TIkPowerButton()
{
    FPalette->OnChange = nullptr;
}

template <typename T> void TIkPowerButton::SetAndRepaint(T& field, T value)
{
    if (AssignIfChanged(field, value))
        UpdateControlCanvas();
}

template <typename T> void TIkPowerButton::SetAndLayout(T& field, T value)
{
    if (AssignIfChanged(field, value))
        UpdateLayout(true);
}

void TIkPowerButton::SetActive(bool value)
{
    if (value == FActive)
        return;
    SetAndRepaint(FActive, value);
    IkAccessibleCheckedChanged(this);
}

void TIkPowerButton::Toggle()
{
    SetActive(!FActive);
    FireClick();
}

void TIkPowerButton::SetLedWidth(TIkMaxInt value)
{
    SetAndLayout(FLedWidth, std::max<TIkMaxInt>(value, 1));
}

void TIkPowerButton::SetLedHeight(TIkMaxInt value)
{
    SetAndLayout(FLedHeight, std::max<TIkMaxInt>(value, 1));
}

void TIkPowerButton::SetLayout(TIkImageTextLayout value)
{
    SetAndLayout(FLayout, value);
}

void TIkPowerButton::SetMargin(int32_t value)
{
    SetAndLayout(FMargin, value);
}

void TIkPowerButton::SetSpacing(int32_t value)
{
    SetAndLayout(FSpacing, value);
}

void TIkPowerButton::SetPalette(const TIkPalette& value)
{
    FPalette->CopyPropertiesFrom(&value);
}

void TIkPowerButton::SetFocusColor(TColor value)
{
    SetAndRepaint(FFocusColor, value);
}

void TIkPowerButton::SetOutlineColor(TColor value)
{
    SetAndRepaint(FOutlineColor, value);
}

void TIkPowerButton::SetOutlineWidth(TIkByteInt value)
{
    // The new width takes effect at the next layout.
    SetAndRepaint(FOutlineWidth, value);
}

void TIkPowerButton::SetHighlightColor(TColor value)
{
    SetAndRepaint(FHighlightColor, value);
}

void TIkPowerButton::SetShadowColor(TColor value)
{
    SetAndRepaint(FShadowColor, value);
}

void TIkPowerButton::SetBevelWidth(TIkByteInt value)
{
    SetAndRepaint(FBevelWidth, value);
}

// ---- Layout and painting ------------------------------------------------------------------

void TIkPowerButton::UpdateLayout(bool repaint)
{
    Canvas().SetFont(Font());
    TRect client = ClientRect();
    const int32_t edge = int32_t{FBevelWidth} + FOutlineWidth;
    InflateRect(client, -edge, -edge);
    const TIkImageTextPlacement placement =
        CalcImageTextLayout(Canvas(), client, Caption(), static_cast<int32_t>(FLayout) + 1, FMargin,
                            FSpacing, TSize{FLedWidth, FLedHeight});
    FLedRect = Bounds(placement.ImagePos.X, placement.ImagePos.Y, FLedWidth, FLedHeight);
    FTextBounds = placement.TextBounds;
    if (repaint)
        UpdateControlCanvas();
}

void TIkPowerButton::DrawLed()
{
    TCanvas& canvas = BitmapCanvas();
    const TColor color = Enabled() ? FPalette->ColorAt(FActive ? 1 : 0) : Color();
    TRect r = FLedRect;
    Draw3DFrame(canvas, r, FShadowColor, FHighlightColor, 1);
    Draw3DFrame(canvas, r, clBlack, clBlack, 1);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.FillRect(r);
}

void TIkPowerButton::Paint()
{
    ClearBitmapCanvas();
    TCanvas& canvas = BitmapCanvas();
    TRect r = ClientRect();
    const TColor outline = FFocused ? FFocusColor : FOutlineColor;
    Draw3DFrame(canvas, r, outline, outline, FOutlineWidth);
    if (FPressed) {
        // The pressed edge replaces the outline: dark at top and left.
        r = ClientRect();
        Draw3DFrame(canvas, r, FOutlineColor, FHighlightColor, FOutlineWidth);
        Draw3DFrame(canvas, r, FShadowColor, FOutlineColor, FBevelWidth);
    } else {
        Draw3DFrame(canvas, r, FHighlightColor, FShadowColor, FBevelWidth);
    }
    DrawLed();
    canvas.SetFont(Font());
    canvas.Brush().SetStyle(bsClear);
    DrawLayoutCaption(canvas, Caption(), FTextBounds, Enabled());
    TIkCustomImageControl::Paint();
}

// ---- Notifications ------------------------------------------------------------------------

void TIkPowerButton::Resize()
{
    UpdateLayout(true);
    TIkCustomImageControl::Resize();
}

void TIkPowerButton::FontChanged()
{
    UpdateLayout(true);
    TIkCustomImageControl::FontChanged();
}

void TIkPowerButton::TextChanged()
{
    UpdateLayout(true);
    UpdateAccelerator();
    TIkCustomImageControl::TextChanged();
}

void TIkPowerButton::EnabledChanged()
{
    // A disabled button gets no more input: a press in progress could never be released.
    if (!Enabled()) {
        FMouseHeld = false;
        FPressed = false;
    }
    UpdateControlCanvas();
    TIkCustomImageControl::EnabledChanged();
}

void TIkPowerButton::SetFocusedState(bool focused)
{
    if (FFocused == focused)
        return;
    FFocused = focused;
    UpdateControlCanvas();
}

void TIkPowerButton::DoEnter()
{
    SetFocusedState(true);
    TIkCustomImageControl::DoEnter();
}

void TIkPowerButton::DoExit()
{
    // The space bar's release goes elsewhere now: the key press must not leave the face down.
    if (!FMouseHeld)
        FPressed = false;
    SetFocusedState(false);
    TIkCustomImageControl::DoExit();
}

// ---- Mouse and keys -----------------------------------------------------------------------

void TIkPowerButton::FireClick()
{
    if (OnClick)
        OnClick(this);
}

void TIkPowerButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) {
        FMouseHeld = true;
        FPressed = true;
        UpdateControlCanvas();
        if (TabStop())
            SetFocus();
    }
    TIkCustomImageControl::MouseDown(button, shift, x, y);
}

void TIkPowerButton::MouseEnter()
{
    // Dragging back onto a held button presses it again.
    if (FMouseHeld)
        FPressed = true;
    UpdateControlCanvas();
    TIkCustomImageControl::MouseEnter();
}

void TIkPowerButton::MouseLeave()
{
    // Dragging off a held button pops it up; releasing there changes nothing.
    if (FMouseHeld)
        FPressed = false;
    UpdateControlCanvas();
    TIkCustomImageControl::MouseLeave();
}

void TIkPowerButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    // Any button's release ends the press that the left button started.
    bool toggled = false;
    FMouseHeld = false;
    if (FPressed) {
        FPressed = false;
        SetActive(!FActive);
        toggled = true;
    }
    TIkCustomImageControl::MouseUp(button, shift, x, y);
    if (toggled)
        FireClick();
}

void TIkPowerButton::Click()
{
    // OnClick is fired by the toggle itself, never by the runtime's click.
}

void TIkPowerButton::KeyDown(uint16_t& key, TShiftState shift)
{
    TIkCustomImageControl::KeyDown(key, shift);
    if (key == VK_SPACE) {
        FPressed = true;
        UpdateControlCanvas();
    }
}

void TIkPowerButton::KeyUp(uint16_t& key, TShiftState shift)
{
    TIkCustomImageControl::KeyUp(key, shift);
    if (key == VK_SPACE) {
        SetMouseCapture(false);
        FPressed = false;
        SetActive(!FActive);
        FireClick();
    }
}

void TIkPowerButton::UpdateAccelerator()
{
    if (FAcceleratorId != 0) {
        releaseShortcut(FAcceleratorId);
        FAcceleratorId = 0;
    }
    const QKeySequence accelerator = QKeySequence::mnemonic(Caption());
    if (!accelerator.isEmpty())
        FAcceleratorId = grabShortcut(accelerator, Qt::WindowShortcut);
}

bool TIkPowerButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut && FAcceleratorId != 0 &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == FAcceleratorId) {
        if (Enabled())
            FireClick();
        return true;
    }
    return TIkCustomImageControl::event(event);
}
