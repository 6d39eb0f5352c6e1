#pragma once
// The value-to-pixel mapping of an axis as one small value type: the axis computes it when its
// range or its placement changes and hands it to whoever converts many values (the series walks,
// the point search), so that every conversion maps exactly as the axis does. Also the integer
// helpers all pixel arithmetic of the chart shares: saturation and rounding to 32 bits and the
// rounded pixel distance. Needs no toolkit.
#include <cmath>
#include <cstdint>

// Pixel results of an axis are clamped to +-AxisPixelLimit (drawing coordinates are 32-bit).
constexpr int32_t AxisPixelLimit = 67108863;

// v saturated to the 32-bit range.
inline int32_t SaturateInt32(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v));
}

// x rounded to the nearest integer, halves to even, saturated to the 32-bit range (0 for
// not-a-number).
inline int32_t RoundToInt32(double x)
{
    if (std::isnan(x)) {
        return 0;
    }
    const double r = std::nearbyint(x);
    if (r >= 2147483647.0) {
        return INT32_MAX;
    }
    if (r <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(r);
}

// The rounded distance of a pixel offset: the square root of dx^2 + dy^2 rounded to the nearest
// integer, halves to even. Offsets up to 2^32 in magnitude (a 32-bit mouse position against a
// clamped point pixel) square and sum exactly in 64 bits, unsigned.
inline int64_t RoundedPixelDistance(int64_t dx, int64_t dy)
{
    const uint64_t ux = static_cast<uint64_t>(dx < 0 ? -dx : dx);
    const uint64_t uy = static_cast<uint64_t>(dy < 0 ? -dy : dy);
    return static_cast<int64_t>(std::nearbyint(std::sqrt(static_cast<double>(ux * ux + uy * uy))));
}

class TAxisMapping
{
public:
    // Maps nothing: a zero range on a zero-length axis at pixel 0.
    TAxisMapping() = default;
    // The mapping of the range minimum..maximum onto the pixels start..end. A horizontal axis
    // runs from the minimum at the start pixel (inverted: from the maximum), a vertical one from
    // the maximum at the start pixel (inverted: from the minimum). A logarithmic axis maps equal
    // ratios to equal lengths while both ends are positive; a zero range maps every value to the
    // centre pixel.
    TAxisMapping(int32_t startPixel, int32_t endPixel, double minimum, double maximum,
                 bool horizontal, bool inverted, bool logarithmic);

    // Pixel of value v, clamped to +-AxisPixelLimit (not-a-number maps to -AxisPixelLimit).
    int32_t ValueToPixel(double v) const
    {
        if (FLinear) [[likely]] {
            return ClampPixel(FBase + (v - FMinimum) * FFactor);
        }
        return OtherValueToPixel(v);
    }
    // Value at pixel p; 0 on an axis shorter than one pixel.
    double PixelToValue(int32_t p) const;
    // Converts count values into out, each exactly as ValueToPixel converts it; linear mappings
    // convert four at a time where the processor allows.
    void Map(const double* values, int32_t count, int32_t* out) const;

    // Rounds a pixel coordinate to the nearest integer (halves to even) and clamps it to
    // +-AxisPixelLimit; not-a-number gives -AxisPixelLimit.
    static int32_t ClampPixel(double p)
    {
        constexpr double limit = AxisPixelLimit;
        if (p > limit) {
            return AxisPixelLimit;
        }
        if (p >= -limit) {
            // Rounds exactly as nearbyint does, without a library call.
            return static_cast<int32_t>((p + PixelRoundMagic) - PixelRoundMagic);
        }
        return -AxisPixelLimit;
    }
    // Adding and removing 1.5 * 2^52 rounds to an integer, halves to even, under the default
    // rounding mode.
    static constexpr double PixelRoundMagic = 6755399441055744.0;

    // The pixels never run against the order of the finite values: a linear mapping with a
    // finite minimum and a finite, nonzero factor (no product of infinity and zero), so the
    // pixels of a value range's ends bound the pixels of the values between.
    bool KeepsOrder() const
    {
        return FLinear && std::isfinite(FMinimum) && std::isfinite(FFactor) && FFactor != 0;
    }

    // The linear form p = Base + (v - Minimum) * Factor, where Linear (not logarithmic, a range).
    bool Linear() const { return FLinear; }
    bool Logarithmic() const { return FLogarithmic; }
    double Base() const { return FBase; }
    double Factor() const { return FFactor; }
    double Minimum() const { return FMinimum; }
    double Maximum() const { return FMaximum; }
    double Range() const { return FRange; }
    bool RangeIsZero() const { return FRange == 0; }
    double PixelsPerUnit() const { return FPixelsPerUnit; }
    int32_t StartPixel() const { return FStartPixel; }
    int32_t EndPixel() const { return FEndPixel; }
    int32_t Length() const { return FLength; }
    int32_t CenterPixel() const { return FCenterPixel; }

    // Test switch: block conversions take the scalar path even where the processor offers the
    // four-at-a-time one. The pixels are the same either way.
    static void SetScalarBlocks(bool value);
    static bool ScalarBlocks();

private:
    int32_t OtherValueToPixel(double v) const;

    int32_t FStartPixel = 0;
    int32_t FEndPixel = 0;
    int32_t FLength = 0;
    int32_t FCenterPixel = 0;
    double FMinimum = 0;
    double FMaximum = 0;
    double FRange = 0;
    double FPixelsPerUnit = 0;
    bool FHorizontal = true;
    bool FInverted = false;
    bool FLinear = false;
    bool FLogarithmic = false;
    double FBase = 0;
    double FFactor = 0;
};
