#pragma once
// The analogue meter: an arc of coloured tick marks in up to three zones, numeric labels on an
// elliptic ring, a straight needle from a pivot below the widget, a caption near the bottom
// edge and a bevel drawn over everything.
#include "platform/Bitmap.h"
#include "platform/Types.h"
#include "widgets/IkClasses.h"
#include "widgets/IkControls.h"

#include <cstdint>
#include <functional>
#include <memory>

class TIkMeter;

// Tick options of a meter: three colour zones, long ticks every Enlarge-th, tick lengths.
class TIkMeterScale : public TIkPersistent
{
public:
    // meter is asked only whether it is being loaded; it may be nullptr.
    explicit TIkMeterScale(TIkMeter* meter = nullptr) : FMeter(meter) {}
    const char* ClassName() const override { return "TIkMeterScale"; }

    TColor Color1() const { return FColor1; }
    void SetColor1(TColor value) { SetField(FColor1, value); }
    TColor Color2() const { return FColor2; }
    void SetColor2(TColor value) { SetField(FColor2, value); }
    TColor Color3() const { return FColor3; }
    void SetColor3(TColor value) { SetField(FColor3, value); }
    int32_t Enlarge() const { return FEnlarge; }
    void SetEnlarge(int32_t value) { SetField(FEnlarge, value); }
    // Outside loading, reduced so that Percent1 + Percent2 stays within 100.
    int32_t Percent1() const { return FPercent1; }
    void SetPercent1(int32_t value);
    // Ignored when Percent1 + value would exceed 100.
    int32_t Percent2() const { return FPercent2; }
    void SetPercent2(int32_t value);
    int32_t Ticks() const { return FTicks; }
    void SetTicks(int32_t value) { SetField(FTicks, value); }
    int32_t HeightMax() const { return FHeightMax; }
    void SetHeightMax(int32_t value) { SetField(FHeightMax, value); }
    int32_t HeightMin() const { return FHeightMin; }
    void SetHeightMin(int32_t value) { SetField(FHeightMin, value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { SetField(FVisible, value); }

    // Copies every property from another scale with one notification; other sources fail.
    void CopyPropertiesFrom(const TIkPersistent* source);

private:
    bool MeterLoading() const;

    TIkMeter* FMeter;
    TColor FColor1 = clGreen;
    TColor FColor2 = clYellow;
    TColor FColor3 = clRed;
    int32_t FEnlarge = 5;
    int32_t FPercent1 = 60;
    int32_t FPercent2 = 25;
    int32_t FTicks = 61;
    int32_t FHeightMax = 8;
    int32_t FHeightMin = 5;
    bool FVisible = true;
};

// A moving-needle meter; no mouse or keyboard behaviour of its own.
class TIkMeter : public TIkGraphicImageControl
{
public:
    explicit TIkMeter(QWidget* parent = nullptr);
    ~TIkMeter() override;

    int32_t MaxValue() const { return FMaxValue; }
    // Below MinValue (outside loading): EIkException "Value out of range.".
    void SetMaxValue(int32_t value);
    int32_t MinValue() const { return FMinValue; }
    // Above MaxValue (outside loading): EIkException "Value out of range.".
    void SetMinValue(int32_t value);
    int32_t Position() const { return FPosition; }
    // Clamped to MinValue .. MaxValue; a change repaints and fires OnChange.
    void SetPosition(int32_t value);
    // Degrees between the horizontal and each end of the arc.
    int32_t Angle() const { return FAngle; }
    void SetAngle(int32_t value);
    TIkMeterScale& Scale() { return *FScale; }
    const TIkMeterScale& Scale() const { return *FScale; }
    void SetScale(const TIkMeterScale& value) { FScale->CopyPropertiesFrom(&value); }
    TColor NeedleColor() const { return FNeedleColor; }
    void SetNeedleColor(TColor value);
    int32_t NeedleWidth() const { return FNeedleWidth; }
    void SetNeedleWidth(int32_t value);
    TIkBevel& Bevel() { return *FBevel; }
    const TIkBevel& Bevel() const { return *FBevel; }
    void SetBevel(const TIkBevel& value) { FBevel->CopyPropertiesFrom(&value); }
    // Pixels from the bottom edge down to the pivot.
    int32_t Spacing() const { return FSpacing; }
    void SetSpacing(int32_t value);
    // Number of intervals of the value range that get a label; 0 or less: no labels.
    int32_t Labels() const { return FLabels; }
    void SetLabels(int32_t value);
    int32_t LabelOffsetX() const { return FLabelOffsetX; }
    void SetLabelOffsetX(int32_t value);
    int32_t LabelOffsetY() const { return FLabelOffsetY; }
    void SetLabelOffsetY(int32_t value);
    // Picture stretched over the whole face; assigning copies.
    TBitmap& BackImage() { return *FBackImage; }
    const TBitmap& BackImage() const { return *FBackImage; }
    void SetBackImage(const TBitmap& value) { FBackImage->Assign(&value); }

    // Fired after Position changed.
    TIkControlEvent OnChange;

    // Working geometry as of the last paint: the arc's radius and the pivot.
    int32_t Radius() const { return FRadius; }
    int32_t CenterX() const { return FCenterX; }
    int32_t CenterY() const { return FCenterY; }
    // Where the arc starts, in degrees (360 points straight up).
    long double StartAngle() const;
    // Degrees between two ticks; 0 when there are no ticks.
    long double StepAngle() const;
    // Whole tick steps from the start of the arc to the needle (0 at MinValue, Ticks at
    // MaxValue; 0 when the range is empty).
    int32_t NeedleStep() const;
    // The point at angle degrees on the ellipse with radii rx, ry around the pivot.
    TPoint ArcPoint(long double angle, long double rx, long double ry) const;

protected:
    // Fires OnChange.
    virtual void Changed();
    void Paint() override;
    void Loaded() override;
    void FontChanged() override;
    void TextChanged() override;
    void ColorChanged() override;

private:
    void UpdateGeometry();
    void DrawTicks(TCanvas& canvas);
    void DrawLabels(TCanvas& canvas);
    void DrawNeedle(TCanvas& canvas);
    void DrawCaption(TCanvas& canvas);
    template <typename T> void SetAndRepaint(T& field, T value);

    int32_t FMaxValue = 100;
    int32_t FMinValue = 0;
    int32_t FPosition = 0;
    int32_t FAngle = 40;
    TColor FNeedleColor = clSilver;
    int32_t FNeedleWidth = 1;
    int32_t FSpacing = 20;
    int32_t FLabels = 10;
    int32_t FLabelOffsetX = 15;
    int32_t FLabelOffsetY = 10;
    int32_t FRadius = 0;
    int32_t FCenterX = 0;
    int32_t FCenterY = 0;
    std::unique_ptr<TIkMeterScale> FScale;
    std::unique_ptr<TIkBevel> FBevel;
    std::unique_ptr<TBitmap> FBackImage;
};
