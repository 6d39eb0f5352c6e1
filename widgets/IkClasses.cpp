#include "widgets/IkClasses.h"

#include "platform/Bitmap.h"
#include "platform/Streams.h"
#include "platform/Types.h"
#include "widgets/IkGraphics.h"

#include <algorithm>
#include <limits>

#include <QtEndian>

// ---------------------------------------------------------------------------------------------
// TIkPersistent

void TIkPersistent::BeginChanges()
{
    ++FUpdateCount;
}

void TIkPersistent::EndChanges()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TIkPersistent::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TIkPersistent::AssignError(const TIkPersistent* source) const
{
    const std::string from = source ? source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + from + " to a " + ClassName() + ".");
}

// ---------------------------------------------------------------------------------------------
// TIkBevel

namespace {

// Widths and spaces below their range are raised to its lower end.
int32_t AtLeast(int32_t value, int32_t lowest)
{
    return std::max(value, lowest);
}

} // namespace

TIkBevel::TIkBevel() = default;

void TIkBevel::SetBorderWidth(TIkBorderWidth value)
{
    SetField(FBorderWidth, AtLeast(value, 0));
}
void TIkBevel::SetBorderColor(TColor value)
{
    SetField(FBorderColor, value);
}
void TIkBevel::SetInnerShadow(TColor value)
{
    SetField(FInnerShadow, value);
}
void TIkBevel::SetInnerHighlight(TColor value)
{
    SetField(FInnerHighlight, value);
}
void TIkBevel::SetInnerWidth(TIkBevelWidth value)
{
    SetField(FInnerWidth, AtLeast(value, 1));
}
void TIkBevel::SetInnerStyle(TIkBevelStyle value)
{
    SetField(FInnerStyle, value);
}
void TIkBevel::SetInnerOutline(TIkBevelOutlineStyle value)
{
    SetField(FInnerOutline, value);
}
void TIkBevel::SetInnerSpace(TIkBevelSpace value)
{
    SetField(FInnerSpace, AtLeast(value, 0));
}
void TIkBevel::SetInnerColor(TColor value)
{
    SetField(FInnerColor, value);
}
void TIkBevel::SetOuterShadow(TColor value)
{
    SetField(FOuterShadow, value);
}
void TIkBevel::SetOuterHighlight(TColor value)
{
    SetField(FOuterHighlight, value);
}
void TIkBevel::SetOuterWidth(TIkBevelWidth value)
{
    SetField(FOuterWidth, AtLeast(value, 1));
}
void TIkBevel::SetOuterStyle(TIkBevelStyle value)
{
    SetField(FOuterStyle, value);
}
void TIkBevel::SetOuterOutline(TIkBevelOutlineStyle value)
{
    SetField(FOuterOutline, value);
}
void TIkBevel::SetOuterSpace(TIkBevelSpace value)
{
    SetField(FOuterSpace, AtLeast(value, 0));
}
void TIkBevel::SetOuterColor(TColor value)
{
    SetField(FOuterColor, value);
}
void TIkBevel::SetVisible(bool value)
{
    SetField(FVisible, value);
}

void TIkBevel::Paint(TCanvas& canvas, TRect& rect) const
{
    if (!FVisible)
        return;
    auto ring = [&](TIkBevelStyle style, TColor highlight, TColor shadow, int32_t width) {
        if (style == bsRaised)
            Draw3DFrame(canvas, rect, highlight, shadow, width);
        else if (style == bsLowered)
            Draw3DFrame(canvas, rect, shadow, highlight, width);
    };
    auto outline = [&](TIkBevelOutlineStyle style, TIkBevelOutlineStyle where) {
        if (style == where)
            Draw3DFrame(canvas, rect, clBlack, clBlack, 1);
    };
    if (FBorderWidth > 0)
        Draw3DFrame(canvas, rect, FBorderColor, FBorderColor, FBorderWidth);
    outline(FOuterOutline, osOuter);
    ring(FOuterStyle, FOuterHighlight, FOuterShadow, FOuterWidth);
    outline(FOuterOutline, osInner);
    Draw3DFrame(canvas, rect, FOuterColor, FOuterColor, FOuterSpace);
    outline(FInnerOutline, osOuter);
    ring(FInnerStyle, FInnerHighlight, FInnerShadow, FInnerWidth);
    outline(FInnerOutline, osInner);
    Draw3DFrame(canvas, rect, FInnerColor, FInnerColor, FInnerSpace);
}

int32_t TIkBevel::FrameWidth() const
{
    if (!FVisible)
        return 0;
    // Summed in 64 bits: a frame wider than 32 bits is an overflow, not a wrapped width.
    int64_t width = int64_t{FBorderWidth} + FInnerSpace + FOuterSpace;
    if (FInnerOutline != osNone)
        ++width;
    if (FOuterOutline != osNone)
        ++width;
    if (FInnerStyle != bsNone)
        width += FInnerWidth;
    if (FOuterStyle != bsNone)
        width += FOuterWidth;
    if (width > std::numeric_limits<int32_t>::max())
        throw EIntOverflow();
    return static_cast<int32_t>(width);
}

void TIkBevel::GetVisibleArea(TRect& rect) const
{
    const int32_t width = FrameWidth();
    InflateRect(rect, -width, -width);
}

void TIkBevel::CopyPropertiesFrom(const TIkPersistent* source)
{
    const auto* bevel = dynamic_cast<const TIkBevel*>(source);
    if (bevel == nullptr)
        AssignError(source);
    BatchChanges([&] {
        SetBorderWidth(bevel->FBorderWidth);
        SetBorderColor(bevel->FBorderColor);
        SetInnerShadow(bevel->FInnerShadow);
        SetInnerHighlight(bevel->FInnerHighlight);
        SetInnerWidth(bevel->FInnerWidth);
        SetInnerStyle(bevel->FInnerStyle);
        SetInnerOutline(bevel->FInnerOutline);
        SetInnerSpace(bevel->FInnerSpace);
        SetInnerColor(bevel->FInnerColor);
        SetOuterShadow(bevel->FOuterShadow);
        SetOuterHighlight(bevel->FOuterHighlight);
        SetOuterWidth(bevel->FOuterWidth);
        SetOuterStyle(bevel->FOuterStyle);
        SetOuterOutline(bevel->FOuterOutline);
        SetOuterSpace(bevel->FOuterSpace);
        SetOuterColor(bevel->FOuterColor);
        SetVisible(bevel->FVisible);
    });
}

// ---------------------------------------------------------------------------------------------
// TIkPalette

void TIkPalette::SetLow(TColor value)
{
    SetField(FLow, value);
}

void TIkPalette::SetHigh(TColor value)
{
    SetField(FHigh, value);
}

TColor TIkPalette::ColorAt(int32_t index) const
{
    return index <= 0 ? FLow : FHigh;
}

void TIkPalette::CopyPropertiesFrom(const TIkPersistent* source)
{
    const auto* palette = dynamic_cast<const TIkPalette*>(source);
    if (palette == nullptr)
        AssignError(source);
    BatchChanges([&] {
        SetLow(palette->FLow);
        SetHigh(palette->FHigh);
    });
}

// ---------------------------------------------------------------------------------------------
// TIkBitmaps

TIkBitmaps::TIkBitmaps() = default;

TIkBitmaps::~TIkBitmaps() = default;

TBitmap* TIkBitmaps::Items(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EIkException("List index out of bounds (" + std::to_string(index) + ")");
    return FItems[static_cast<size_t>(index)].get();
}

int32_t TIkBitmaps::Add(const TBitmap& bitmap)
{
    FItems.push_back(std::make_unique<TBitmap>(bitmap));
    Changed();
    return Count() - 1;
}

void TIkBitmaps::Clear()
{
    BatchChanges([&] { FItems.clear(); });
}

void TIkBitmaps::CopyPropertiesFrom(const TIkPersistent* source)
{
    if (source == nullptr) {
        Clear();
        return;
    }
    const auto* bitmaps = dynamic_cast<const TIkBitmaps*>(source);
    if (bitmaps == nullptr)
        AssignError(source);
    if (bitmaps == this)
        return;
    BatchChanges([&] {
        Clear();
        for (const auto& item : bitmaps->FItems)
            Add(*item);
    });
}

void TIkBitmaps::ReadFromStream(TStream& stream)
{
    uint32_t signature = 0;
    if (stream.Read(&signature, sizeof signature) != sizeof signature ||
        qFromLittleEndian(signature) != Signature)
        throw EIkException("Invalid file format");
    const int32_t count = stream.ReadInt32();
    if (count < 0)
        throw EReadError("Invalid bitmap count");
    // One scratch bitmap for all reads; the list's capacity grows with what was really read,
    // never with the stated count.
    TBitmap scratch;
    for (int32_t i = 0; i < count; ++i) {
        scratch.ReadFromStream(stream);
        Add(scratch);
    }
}

void TIkBitmaps::WriteToStream(TStream& stream) const
{
    const uint32_t signature = qToLittleEndian(Signature);
    stream.WriteBuffer(&signature, sizeof signature);
    stream.WriteInt32(Count());
    for (const auto& item : FItems)
        item->WriteToStream(stream);
}

void TIkBitmaps::ReadFromFile(const QString& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    BatchChanges([&] { ReadFromStream(stream); });
}

void TIkBitmaps::WriteToFile(const QString& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    WriteToStream(stream);
}

void TIkBitmaps::ReadData(TStream& stream)
{
    BatchChanges([&] {
        Clear();
        ReadFromStream(stream);
    });
}
