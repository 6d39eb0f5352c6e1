#pragma once
// The LED-bar slider: a track of thin bars inside a border and a bevel, lit in the palette's
// High colour from the minimum end up to the middle of a bitmap thumb, which the user drags
// with the mouse or moves with the arrow keys.
#include "platform/Bitmap.h"
#include "platform/Types.h"
#include "widgets/IkClasses.h"
#include "widgets/IkControls.h"
#include "widgets/IkSystem.h"

#include <cstdint>
#include <initializer_list>
#include <memory>

enum TIkSliderOption : uint8_t
{
    soActiveClick, // a click beside the thumb centres the thumb on it
    soMouseClip,   // the pointer stays inside the slider while the thumb is dragged
    soHandPoint,   // the hand cursor over the thumb
    soThumbOpaque  // the thumb's transparent colour is drawn, not see-through
};

// A set of slider options.
class TIkSliderOptions
{
public:
    constexpr TIkSliderOptions() = default;
    constexpr TIkSliderOptions(std::initializer_list<TIkSliderOption> options)
    {
        for (TIkSliderOption option : options)
            FBits = static_cast<uint8_t>(FBits | Bit(option));
    }
    constexpr bool Contains(TIkSliderOption option) const { return (FBits & Bit(option)) != 0; }
    constexpr TIkSliderOptions With(TIkSliderOption option) const
    {
        TIkSliderOptions result = *this;
        result.FBits = static_cast<uint8_t>(FBits | Bit(option));
        return result;
    }
    constexpr TIkSliderOptions Without(TIkSliderOption option) const
    {
        TIkSliderOptions result = *this;
        result.FBits = static_cast<uint8_t>(FBits & ~Bit(option));
        return result;
    }
    friend constexpr bool operator==(TIkSliderOptions, TIkSliderOptions) = default;

private:
    static constexpr uint8_t Bit(TIkSliderOption option)
    {
        return static_cast<uint8_t>(1u << option);
    }
    uint8_t FBits = 0;
};

// Which end is MinValue: bottom or left (ssBottomLeft), top or right (ssTopRight).
enum TIkSliderStyle : uint8_t
{
    ssBottomLeft,
    ssTopRight
};

class TIkSlider : public TIkCustomImageControl
{
public:
    explicit TIkSlider(QWidget* parent = nullptr);
    ~TIkSlider() override;

    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value);
    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t value);
    int32_t Position() const { return FPosition; }
    // Clamped to MinValue .. MaxValue; a change repaints, then fires OnChange.
    void SetPosition(int32_t value);
    // Gap between two bars (negative values ignored).
    int32_t Spacing() const { return FSpacing; }
    void SetSpacing(int32_t value);
    // Thickness of one bar (0 or less ignored).
    int32_t TickWidth() const { return FTickWidth; }
    void SetTickWidth(int32_t value);
    // Direction of travel; a change swaps width and height.
    TIkOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TIkOrientation value);
    // Bars filled solid, or with a checker pattern over Color.
    bool SolidFill() const { return FSolidFill; }
    void SetSolidFill(bool value);
    TIkSliderStyle Style() const { return FStyle; }
    void SetStyle(TIkSliderStyle value);
    // Thumb images side by side in the thumb bitmap (1 .. 4; others are clamped): normal,
    // disabled, dragged, hot.
    TIkNumGlyphs ThumbStates() const { return FThumbStates; }
    void SetThumbStates(TIkNumGlyphs value);
    TIkSliderOptions Options() const { return FOptions; }
    void SetOptions(TIkSliderOptions value);
    // Position step of the arrow keys.
    int32_t KeyIncrement() const { return FKeyIncrement; }
    void SetKeyIncrement(int32_t value) { FKeyIncrement = value; }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value);
    // Outer border width (negative values ignored).
    int32_t BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int32_t value);
    // Outer border colour while focused.
    TColor FocusColor() const { return FFocusColor; }
    void SetFocusColor(TColor value);
    TIkBevel& Bevel() { return *FBevel; }
    const TIkBevel& Bevel() const { return *FBevel; }
    void SetBevel(const TIkBevel& value) { FBevel->CopyPropertiesFrom(&value); }
    TIkPalette& Palette() { return *FPalette; }
    const TIkPalette& Palette() const { return *FPalette; }
    void SetPalette(const TIkPalette& value) { FPalette->CopyPropertiesFrom(&value); }
    // Index of the thumb bitmap in BitmapList; -1 or a missing bitmap: the built-in thumb.
    int32_t ThumbImageIndex() const { return FThumbImageIndex; }
    void SetThumbImageIndex(int32_t value);
    // Margin between border and thumb travel (negative values ignored).
    int32_t ThumbIndent() const { return FThumbIndent; }
    void SetThumbIndent(int32_t value);
    // Shared thumb source (not owned); cleared when the list is destroyed.
    TIkBitmapList* BitmapList() const { return FBitmapList; }
    void SetBitmapList(TIkBitmapList* value);

    // Fired after every change of Position, once the slider has repainted.
    TIkControlEvent OnChange;

    // ---- Geometry ----
    // The thumb's travel area: the client rectangle less BorderWidth + ThumbIndent.
    TRect GetInnerRect() const;
    // First pixel of the travel along the slider's axis.
    int32_t GetOffset() const;
    // Pixels the thumb can move; 0 or less when the slider is too small for its thumb.
    int32_t GetTravel() const;
    // The thumb's top (vertical) or left (horizontal) edge for a value.
    int32_t PositionToPixel(int32_t value) const;
    // The value for a thumb edge.
    int32_t PixelToPosition(int32_t pixel) const;
    // Moves the thumb's edge to pixel (clamped to the travel) and sets Position from it.
    void MoveThumbTo(int32_t pixel);
    // Centres the thumb across the axis of travel.
    void CenterThumb();
    // Where the thumb was last drawn.
    TRect ThumbRect() const { return FThumbRect; }
    int32_t ThumbWidth() const { return FThumbWidth; }
    int32_t ThumbHeight() const { return FThumbHeight; }
    const TBitmap& ThumbBitmap() const { return *FThumbBitmap; }
    bool Hot() const { return FHot; }
    bool Dragging() const { return FDragActive; }

protected:
    // Fires OnChange.
    virtual void Changed();
    void Paint() override;
    void Loaded() override;
    void Resize() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void DoEnter() override;
    void DoExit() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    bool CursorRequest(int x, int y) override;
    void changeEvent(QEvent* event) override;

private:
    bool Vertical() const { return FOrientation == voVertical; }
    // Range and travel are both divisors: without either the thumb rests at the minimum end.
    bool CanMap() const;
    void LoadThumb();
    void UpdateTrack();
    void DrawTrackBars(TCanvas& canvas, const TRect& rect, TColor barColor) const;
    void DrawLitTrack(TCanvas& canvas, const TRect& track);
    void DrawThumb(TCanvas& canvas);
    void SetFocusedState(bool focused);
    void ReleaseClip();
    void StepPosition(int32_t delta);
    template <typename T> void SetAndRepaint(T& field, T value);
    template <typename T> void SetAndRebuildTrack(T& field, T value);

    int32_t FMaxValue = 100;
    int32_t FMinValue = 0;
    int32_t FPosition = 0;
    int32_t FSpacing = 1;
    int32_t FTickWidth = 1;
    TIkOrientation FOrientation = voVertical;
    bool FSolidFill = true;
    TIkSliderStyle FStyle = ssBottomLeft;
    TIkNumGlyphs FThumbStates = 1;
    TIkSliderOptions FOptions{soHandPoint, soThumbOpaque};
    int32_t FKeyIncrement = 5;
    TColor FBorderColor = clBtnFace;
    int32_t FBorderWidth = 1;
    TColor FFocusColor = clBlue;
    int32_t FThumbImageIndex = -1;
    int32_t FThumbIndent = 2;
    TIkBitmapList* FBitmapList = nullptr;

    std::unique_ptr<TBitmap> FThumbBitmap;
    std::unique_ptr<TBitmap> FTrackLow;
    std::unique_ptr<TBitmap> FTrackHigh;
    std::unique_ptr<TIkBevel> FBevel;
    std::unique_ptr<TIkPalette> FPalette;
    std::unique_ptr<TIkChangeLink> FLink;
    int32_t FThumbWidth = 0;
    int32_t FThumbHeight = 0;
    TRect FThumbRect;
    bool FDragActive = false;
    bool FHot = false;
    bool FFocused = false;
    bool FClipped = false;
    int32_t FGrabOffset = 0;
};
