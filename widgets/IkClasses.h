#pragma once
// Option objects of the instrument widgets: the change-notifying base, the two-ring bevel, the
// Low/High colour pair and the owned bitmap list with its own stream format.
#include "platform/Colors.h"
#include "platform/Errors.h"
#include "platform/Types.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCanvas;
class TBitmap;
class TStream;

// The library's own error; carries a fixed English message.
class EIkException : public Exception
{
public:
    using Exception::Exception;
};

enum TIkBevelStyle : uint8_t
{
    bsNone,
    bsLowered,
    bsRaised
};

enum TIkBevelOutlineStyle : uint8_t
{
    osOuter,
    osInner,
    osNone
};

enum TIkOrientation : uint8_t
{
    voVertical,
    voHorizontal
};

enum TIkImageTextLayout : uint8_t
{
    ImageLeft,
    ImageRight,
    ImageTop,
    ImageBottom
};

using TIkBevelWidth = int32_t;  // 1 .. 2147483647
using TIkBorderWidth = int32_t; // 0 .. 2147483647
using TIkBevelSpace = int32_t;  // 0 .. 2147483647
using TIkMaxInt = int32_t;      // 1 .. 2147483647
using TIkByteInt = uint8_t;     // 0 .. 255
using TIkNumGlyphs = uint8_t;   // 1 .. 4

// Stores value into field when it differs; true when it did. Every setter of the library
// notifies or repaints only on such a real change.
template <typename T> bool AssignIfChanged(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

class TIkPersistent;
using TIkNotifyEvent = std::function<void(TIkPersistent* sender)>;

// Base of the option objects. Setters of descendants store a changed value and call Changed;
// BeginChanges/EndChanges fold a batch of changes into one notification of the owner.
class TIkPersistent
{
public:
    TIkPersistent() = default;
    TIkPersistent(const TIkPersistent&) = delete;
    TIkPersistent& operator=(const TIkPersistent&) = delete;
    virtual ~TIkPersistent() = default;

    void BeginChanges();
    void EndChanges();
    void Changed();

    int32_t UpdateCount() const { return FUpdateCount; }
    // Runs change() between BeginChanges and EndChanges, so the owner hears of it once; the
    // pair stays balanced when change() fails.
    template <typename F> void BatchChanges(F&& change)
    {
        BeginChanges();
        try {
            change();
        } catch (...) {
            EndChanges();
            throw;
        }
        EndChanges();
    }
    // Class name used in assignment errors ("Cannot assign a TIkPalette to a TIkBevel.").
    virtual const char* ClassName() const = 0;

    // Set by the owning widget; not published.
    TIkNotifyEvent OnChange;

protected:
    // Store value into field when it differs, then notify.
    template <typename T> void SetField(T& field, T value)
    {
        if (AssignIfChanged(field, value))
            Changed();
    }
    // The default assignment for sources of another class: always fails.
    [[noreturn]] void AssignError(const TIkPersistent* source) const;

private:
    int32_t FUpdateCount = 0;
};

// A frame of up to two 3-D rings with black outlines, plain bands and an outer border, drawn
// from the outside in.
class TIkBevel : public TIkPersistent
{
public:
    TIkBevel();
    const char* ClassName() const override { return "TIkBevel"; }

    TIkBorderWidth BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(TIkBorderWidth value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value);
    TColor InnerShadow() const { return FInnerShadow; }
    void SetInnerShadow(TColor value);
    TColor InnerHighlight() const { return FInnerHighlight; }
    void SetInnerHighlight(TColor value);
    TIkBevelWidth InnerWidth() const { return FInnerWidth; }
    void SetInnerWidth(TIkBevelWidth value);
    TIkBevelStyle InnerStyle() const { return FInnerStyle; }
    void SetInnerStyle(TIkBevelStyle value);
    TIkBevelOutlineStyle InnerOutline() const { return FInnerOutline; }
    void SetInnerOutline(TIkBevelOutlineStyle value);
    TIkBevelSpace InnerSpace() const { return FInnerSpace; }
    void SetInnerSpace(TIkBevelSpace value);
    TColor InnerColor() const { return FInnerColor; }
    void SetInnerColor(TColor value);
    TColor OuterShadow() const { return FOuterShadow; }
    void SetOuterShadow(TColor value);
    TColor OuterHighlight() const { return FOuterHighlight; }
    void SetOuterHighlight(TColor value);
    TIkBevelWidth OuterWidth() const { return FOuterWidth; }
    void SetOuterWidth(TIkBevelWidth value);
    TIkBevelStyle OuterStyle() const { return FOuterStyle; }
    void SetOuterStyle(TIkBevelStyle value);
    TIkBevelOutlineStyle OuterOutline() const { return FOuterOutline; }
    void SetOuterOutline(TIkBevelOutlineStyle value);
    TIkBevelSpace OuterSpace() const { return FOuterSpace; }
    void SetOuterSpace(TIkBevelSpace value);
    TColor OuterColor() const { return FOuterColor; }
    void SetOuterColor(TColor value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);

    // Draws the frame into rect and shrinks rect by what it took.
    void Paint(TCanvas& canvas, TRect& rect) const;
    // Shrinks rect by exactly what Paint takes on every side.
    void GetVisibleArea(TRect& rect) const;
    // Width of the frame on every side (0 when not visible).
    int32_t FrameWidth() const;
    // Copies every property from another bevel with one notification; other sources fail.
    void CopyPropertiesFrom(const TIkPersistent* source);

private:
    TIkBorderWidth FBorderWidth = 0;
    TColor FBorderColor = clBtnFace;
    TColor FInnerShadow = clBtnShadow;
    TColor FInnerHighlight = clBtnHighlight;
    TIkBevelWidth FInnerWidth = 1;
    TIkBevelStyle FInnerStyle = bsLowered;
    TIkBevelOutlineStyle FInnerOutline = osNone;
    TIkBevelSpace FInnerSpace = 1;
    TColor FInnerColor = clBtnFace;
    TColor FOuterShadow = clBtnShadow;
    TColor FOuterHighlight = clBtnHighlight;
    TIkBevelWidth FOuterWidth = 1;
    TIkBevelStyle FOuterStyle = bsRaised;
    TIkBevelOutlineStyle FOuterOutline = osOuter;
    TIkBevelSpace FOuterSpace = 0;
    TColor FOuterColor = clBtnFace;
    bool FVisible = true;
};

// A Low/High colour pair (an LED's off and on colours, a track's dark and lit bars).
class TIkPalette : public TIkPersistent
{
public:
    TIkPalette() = default;
    const char* ClassName() const override { return "TIkPalette"; }

    TColor Low() const { return FLow; }
    void SetLow(TColor value);
    TColor High() const { return FHigh; }
    void SetHigh(TColor value);

    // Index 0 or below gives Low, any other index High (a boolean state: false Low, true High).
    virtual TColor ColorAt(int32_t index) const;
    void CopyPropertiesFrom(const TIkPersistent* source);

private:
    TColor FLow = clGreen;
    TColor FHigh = clLime;
};

// An ordered list of owned bitmaps with its own stream format:
// signature 62 54 35 00, a signed 32-bit count, then each bitmap in its own stream form.
class TIkBitmaps : public TIkPersistent
{
public:
    static constexpr uint32_t Signature = 0x00355462u;

    TIkBitmaps();
    ~TIkBitmaps() override;
    const char* ClassName() const override { return "TIkBitmaps"; }

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    // The stored bitmap itself (not a copy); an index outside 0 .. Count - 1 raises EIkException.
    TBitmap* Items(int32_t index) const;
    // Appends a copy of bitmap; returns its index.
    int32_t Add(const TBitmap& bitmap);
    void Clear();
    // nullptr clears; another TIkBitmaps is copied bitmap by bitmap; other sources fail.
    void CopyPropertiesFrom(const TIkPersistent* source);

    // Appends the stream's bitmaps. A wrong signature fails with "Invalid file format" before
    // anything is added; a stream that ends early keeps what was read and raises.
    virtual void ReadFromStream(TStream& stream);
    virtual void WriteToStream(TStream& stream) const;
    virtual void ReadFromFile(const QString& fileName);
    virtual void WriteToFile(const QString& fileName) const;

    // The stored form property "Bitmaps": written only when the list is not empty; reading it
    // replaces the list.
    bool HasStoredData() const { return Count() > 0; }
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const { WriteToStream(stream); }

private:
    std::vector<std::unique_ptr<TBitmap>> FItems;
};
