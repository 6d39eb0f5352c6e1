#include "widgets/IkMeter.h"

#include "widgets/IkAccessible.h"
#include "widgets/IkGraphics.h"

#include <QString>

#include <cmath>
#include <limits>

namespace {

constexpr long double DegToRad = 0.017453292519943295769L;

// Truncates toward zero into the 32-bit range (saturating; NaN gives 0), so that no extreme
// setting can turn a coordinate into undefined behaviour.
int32_t TruncToInt(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t ClampToInt(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Sum of two coordinates, saturated to the 32-bit range.
int32_t AddCoord(int64_t a, int64_t b)
{
    return ClampToInt(a + b);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TIkMeterScale

bool TIkMeterScale::MeterLoading() const
{
    return FMeter != nullptr && FMeter->IsLoading();
}

void TIkMeterScale::SetPercent1(int32_t value)
{
    if (value == FPercent1)
        return;
    if (!MeterLoading() && static_cast<int64_t>(value) + FPercent2 > 100)
        value = ClampToInt(100 - static_cast<int64_t>(FPercent2));
    SetField(FPercent1, value);
}

void TIkMeterScale::SetPercent2(int32_t value)
{
    if (value == FPercent2)
        return;
    if (static_cast<int64_t>(value) + FPercent1 > 100)
        return;
    SetField(FPercent2, value);
}

void TIkMeterScale::CopyPropertiesFrom(const TIkPersistent* source)
{
    const auto* scale = dynamic_cast<const TIkMeterScale*>(source);
    if (scale == nullptr)
        AssignError(source);
    BatchChanges([&] {
        SetColor1(scale->FColor1);
        SetColor2(scale->FColor2);
        SetColor3(scale->FColor3);
        SetEnlarge(scale->FEnlarge);
        // The zone sizes are taken as the source holds them: through the setters a source of
        // 90 and 5 would meet the old Percent2 of 25 and have its Percent1 cut to 75.
        SetField(FPercent1, scale->FPercent1);
        SetField(FPercent2, scale->FPercent2);
        SetTicks(scale->FTicks);
        SetHeightMax(scale->FHeightMax);
        SetHeightMin(scale->FHeightMin);
        SetVisible(scale->FVisible);
    });
}

// ---------------------------------------------------------------------------------------------
// TIkMeter

TIkMeter::TIkMeter(QWidget* parent)
    : TIkGraphicImageControl(parent), FScale(std::make_unique<TIkMeterScale>(this)),
      FBevel(std::make_unique<TIkBevel>()), FBackImage(std::make_unique<TBitmap>())
{
    FBevel->SetInnerStyle(bsLowered);
    FBevel->SetInnerWidth(2);
    FBevel->SetInnerColor(clBlack);
    FScale->OnChange = [this](TIkPersistent*) { UpdateControlCanvas(); };
    FBevel->OnChange = [this](TIkPersistent*) { UpdateControlCanvas(); };
    FBackImage->OnChange = [this](TBitmap*) { UpdateControlCanvas(); };

    SetOpaque(true);
    SetBounds(Left(), Top(), 240, 105);
    SetColor(clBlack);
    SetParentColor(false);
    SetTransparent(false);
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(8);
    font.SetColor(clSilver);
    SetFont(font);
    UpdateGeometry();
}

TIkMeter::~TIkMeter() = default;

// ---- Setters ----

template <typename T> void TIkMeter::SetAndRepaint(T& field, T value)
{
    if (AssignIfChanged(field, value))
        UpdateControlCanvas();
}

void TIkMeter::SetPosition(int32_t value)
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

void TIkMeter::SetMinValue(int32_t value)
{
    if (value == FMinValue)
        return;
    if (value > FMaxValue && !IsLoading())
        throw EIkException("Value out of range.");
    FMinValue = value;
    if (FPosition < value)
        FPosition = value;
    UpdateControlCanvas();
}

void TIkMeter::SetMaxValue(int32_t value)
{
    if (value == FMaxValue)
        return;
    if (value < FMinValue && !IsLoading())
        throw EIkException("Value out of range.");
    FMaxValue = value;
    if (FPosition > value)
        FPosition = value;
    UpdateControlCanvas();
}

void TIkMeter::SetAngle(int32_t value)
{
    SetAndRepaint(FAngle, value);
}

void TIkMeter::SetNeedleColor(TColor value)
{
    SetAndRepaint(FNeedleColor, value);
}

void TIkMeter::SetNeedleWidth(int32_t value)
{
    SetAndRepaint(FNeedleWidth, value);
}

void TIkMeter::SetSpacing(int32_t value)
{
    if (value == FSpacing)
        return;
    FSpacing = value;
    FCenterY = AddCoord(FSpacing, Height());
    UpdateControlCanvas();
}

void TIkMeter::SetLabels(int32_t value)
{
    SetAndRepaint(FLabels, value);
}

void TIkMeter::SetLabelOffsetX(int32_t value)
{
    SetAndRepaint(FLabelOffsetX, value);
}

void TIkMeter::SetLabelOffsetY(int32_t value)
{
    SetAndRepaint(FLabelOffsetY, value);
}

void TIkMeter::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- Runtime notifications ----

void TIkMeter::Loaded()
{
    TIkGraphicImageControl::Loaded();
    Invalidate();
}

void TIkMeter::FontChanged()
{
    TIkGraphicImageControl::FontChanged();
    Invalidate();
}

void TIkMeter::TextChanged()
{
    TIkGraphicImageControl::TextChanged();
    UpdateControlCanvas();
    // The caption is the meter's value text.
    IkAccessibleValueChanged(this, FPosition);
}

void TIkMeter::ColorChanged()
{
    TIkGraphicImageControl::ColorChanged();
    Invalidate();
}

// ---- Geometry ----

void TIkMeter::UpdateGeometry()
{
    FRadius = AddCoord(Height(), -10);
    FCenterX = Width() / 2;
    FCenterY = AddCoord(Height(), FSpacing);
}

long double TIkMeter::StartAngle() const
{
    return static_cast<long double>(FAngle) + 270;
}

long double TIkMeter::StepAngle() const
{
    // The arc from A + 270 to A + 270 + 180 - 2A degrees, cut into Ticks steps. Without ticks
    // there is no step: the needle stays at the start of the arc.
    const int32_t ticks = FScale->Ticks();
    if (ticks <= 0)
        return 0;
    const int64_t start = static_cast<int64_t>(FAngle) + 270;
    const int64_t sweep = (start + 180) - 2 * static_cast<int64_t>(FAngle) - start;
    return static_cast<long double>(sweep) / ticks;
}

int32_t TIkMeter::NeedleStep() const
{
    // An empty range has nowhere to move: the needle rests at the start of the arc.
    const int64_t range = static_cast<int64_t>(FMaxValue) - FMinValue;
    if (range == 0)
        return 0;
    const int64_t offset = static_cast<int64_t>(FPosition) - FMinValue;
    const long double product = static_cast<long double>(FScale->Ticks()) * offset;
    return TruncToInt(product / range);
}

TPoint TIkMeter::ArcPoint(long double angle, long double rx, long double ry) const
{
    const long double radians = angle * DegToRad;
    const int32_t dx = TruncToInt(std::sin(radians) * rx);
    const int32_t dy = TruncToInt(std::cos(radians) * ry);
    return {AddCoord(dx, FCenterX), AddCoord(FCenterY, -static_cast<int64_t>(dy))};
}

// ---- Painting ----

void TIkMeter::Paint()
{
    UpdateGeometry();
    ClearBitmapCanvas();
    TCanvas& canvas = BitmapCanvas();
    if (!FBackImage->Empty())
        canvas.StretchDraw(ClientRect(), *FBackImage);
    if (FScale->Visible())
        DrawTicks(canvas);
    if (FLabels > 0)
        DrawLabels(canvas);
    DrawNeedle(canvas);
    DrawCaption(canvas);
    TRect r = ClientRect();
    FBevel->Paint(canvas, r);
    TIkGraphicImageControl::Paint();
}

void TIkMeter::DrawTicks(TCanvas& canvas)
{
    const int32_t ticks = FScale->Ticks();
    const int32_t zoneA = PercentOf(FScale->Percent1(), ticks);
    const int64_t zoneB = static_cast<int64_t>(zoneA) + PercentOf(FScale->Percent2(), ticks);
    const int32_t enlarge = FScale->Enlarge();
    const long double start = StartAngle();
    const long double step = StepAngle();
    const long double inner = static_cast<long double>(FRadius) - FScale->HeightMin();

    canvas.Pen().SetMode(pmCopy);
    canvas.Pen().SetWidth(1);
    int32_t k = enlarge;
    for (int32_t i = 0; i < ticks; ++i) {
        const int32_t j = i + 1;
        if (j <= zoneA)
            canvas.Pen().SetColor(FScale->Color1());
        else if (j > zoneB)
            canvas.Pen().SetColor(FScale->Color3());
        else
            canvas.Pen().SetColor(FScale->Color2());
        const int32_t length = k == enlarge ? FScale->HeightMax() : FScale->HeightMin();
        const long double angle = start + i * step;
        const long double outer = inner + length;
        const TPoint from = ArcPoint(angle, inner, inner);
        const TPoint to = ArcPoint(angle, outer, outer);
        canvas.MoveTo(from.X, from.Y);
        canvas.LineTo(to.X, to.Y);
        k = k >= enlarge ? 1 : k + 1;
    }
}

void TIkMeter::DrawLabels(TCanvas& canvas)
{
    const int32_t ticks = FScale->Ticks();
    const long double valueStep =
        static_cast<long double>(static_cast<int64_t>(FMaxValue) - FMinValue) / FLabels;
    const int32_t gap = ticks / FLabels - 1;
    const long double start = StartAngle();
    const long double step = StepAngle();
    const long double ring =
        static_cast<long double>(FScale->HeightMax()) + FRadius - FScale->HeightMin();
    const long double rx = ring + FLabelOffsetX;
    const long double ry = ring + FLabelOffsetY;

    canvas.SetFont(Font());
    canvas.Brush().SetStyle(bsClear);
    int32_t label = -1;
    int32_t countdown = 0;
    for (int32_t i = 0; i < ticks; ++i) {
        if (countdown != 0) {
            --countdown;
            continue;
        }
        countdown = gap;
        ++label;
        const long double value = std::nearbyint(label * valueStep) + FMinValue;
        const QString text = QString::number(static_cast<qlonglong>(value));
        const TSize extent = canvas.TextExtent(text);
        const TPoint at = ArcPoint(start + i * step, rx, ry);
        canvas.TextOut(AddCoord(at.X, -(extent.cx / 2)), AddCoord(at.Y, -(extent.cy / 2)), text);
    }
}

void TIkMeter::DrawNeedle(TCanvas& canvas)
{
    const long double angle = StartAngle() + NeedleStep() * StepAngle();
    canvas.Pen().SetMode(pmCopy);
    canvas.Pen().SetColor(FNeedleColor);
    canvas.Pen().SetWidth(FNeedleWidth);
    const TPoint end = ArcPoint(angle, FRadius, FRadius);
    canvas.MoveTo(FCenterX, FCenterY);
    canvas.LineTo(end.X, end.Y);
}

void TIkMeter::DrawCaption(TCanvas& canvas)
{
    TRect r = ClientRect();
    FBevel->GetVisibleArea(r);
    canvas.SetFont(Font());
    const TSize extent = canvas.TextExtent(Caption());
    canvas.TextOut(AddCoord(FCenterX, -(extent.cx / 2)),
                   AddCoord(r.Bottom, -static_cast<int64_t>(10) - extent.cy), Caption());
}
