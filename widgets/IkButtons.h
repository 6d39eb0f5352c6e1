#pragma once
// The power button: a push-on/push-off button with an LED and a caption laid out together.
// Each complete click (mouse release on the pressed face, or space-bar release while focused)
// toggles Active and then fires OnClick.
#include "widgets/IkClasses.h"
#include "widgets/IkControls.h"

#include <memory>

class TIkPowerButton : public TIkCustomImageControl
{
public:
    explicit TIkPowerButton(QWidget* parent = nullptr);
    ~TIkPowerButton() override;

    bool Active() const { return FActive; }
    // Repaints when changed; never fires OnClick.
    void SetActive(bool value);
    // What a complete click does, without the pressed look: toggles Active, then fires
    // OnClick. Used by assistive clients.
    void Toggle();
    TIkMaxInt LedWidth() const { return FLedWidth; }
    void SetLedWidth(TIkMaxInt value);
    TIkMaxInt LedHeight() const { return FLedHeight; }
    void SetLedHeight(TIkMaxInt value);
    TIkImageTextLayout Layout() const { return FLayout; }
    void SetLayout(TIkImageTextLayout value);
    // Pixels from the face edge to the LED; -1 centres LED and caption together.
    int32_t Margin() const { return FMargin; }
    void SetMargin(int32_t value);
    // Pixels between LED and caption; -1 spreads them evenly.
    int32_t Spacing() const { return FSpacing; }
    void SetSpacing(int32_t value);
    // LED colours (owned); assigning copies.
    TIkPalette* Palette() const { return FPalette.get(); }
    void SetPalette(const TIkPalette& value);
    TColor FocusColor() const { return FFocusColor; }
    void SetFocusColor(TColor value);
    TColor OutlineColor() const { return FOutlineColor; }
    void SetOutlineColor(TColor value);
    TIkByteInt OutlineWidth() const { return FOutlineWidth; }
    void SetOutlineWidth(TIkByteInt value);
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor value);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor value);
    TIkByteInt BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(TIkByteInt value);

    // Where the last layout put the LED and the caption.
    TRect LedRect() const { return FLedRect; }
    TRect TextBounds() const { return FTextBounds; }
    // Face drawn pressed / keyboard focus held (as last noticed).
    bool Pressed() const { return FPressed; }
    bool FocusedState() const { return FFocused; }

protected:
    // Recomputes FLedRect and FTextBounds from size, font, caption and the layout properties;
    // repaints when asked to.
    void UpdateLayout(bool repaint);
    void DrawLed();

    void Paint() override;
    void Resize() override;
    void FontChanged() override;
    void TextChanged() override;
    void EnabledChanged() override;
    void DoEnter() override;
    void DoExit() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    // The runtime's own click after a release: the button fires OnClick itself.
    void Click() override;

    // Delivers the caption's accelerator.
    bool event(QEvent* event) override;

private:
    void FireClick();
    void SetFocusedState(bool focused);
    // Stores value in field when it differs and repaints.
    template <typename T> void SetAndRepaint(T& field, T value);
    // Stores value in field when it differs and lays out again with a repaint.
    template <typename T> void SetAndLayout(T& field, T value);
    // Registers the caption's "&x" accelerator.
    void UpdateAccelerator();

    bool FActive = false;
    TIkMaxInt FLedWidth = 12;
    TIkMaxInt FLedHeight = 12;
    TIkImageTextLayout FLayout = ImageLeft;
    int32_t FMargin = -1;
    int32_t FSpacing = 5;
    std::unique_ptr<TIkPalette> FPalette;
    TColor FFocusColor = clBlue;
    TColor FOutlineColor = clBlack;
    TIkByteInt FOutlineWidth = 1;
    TColor FHighlightColor = clBtnHighlight;
    TColor FShadowColor = clBtnShadow;
    TIkByteInt FBevelWidth = 2;

    bool FMouseHeld = false;
    bool FPressed = false;
    bool FFocused = false;
    TRect FLedRect{};
    TRect FTextBounds{};
    int FAcceleratorId = 0;
};
