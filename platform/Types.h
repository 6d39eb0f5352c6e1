#pragma once
// Integer geometry of the drawing layer: points, sizes and rectangles in pixels, with the right
// and bottom edges of a rectangle exclusive, plus the small rectangle helpers the controls use.
// Header-only and free of Qt.
#include "platform/Errors.h"

#include <cstdint>

// Integer arithmetic on coordinates that left the 32-bit range.
class EIntOverflow : public Exception
{
public:
    EIntOverflow() : Exception("Integer overflow") {}
};

struct TPoint
{
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize
{
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Left/Top inclusive, Right/Bottom exclusive.
struct TRect
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    // Right - Left and Bottom - Top, saturated to the 32-bit range.
    int32_t Width() const { return Span(Left, Right); }
    int32_t Height() const { return Span(Top, Bottom); }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    friend bool operator==(const TRect&, const TRect&) = default;

private:
    static int32_t Span(int32_t from, int32_t to)
    {
        const int64_t d = static_cast<int64_t>(to) - from;
        return d > INT32_MAX ? INT32_MAX : (d < INT32_MIN ? INT32_MIN : static_cast<int32_t>(d));
    }
};

inline TPoint Point(int32_t x, int32_t y)
{
    return {x, y};
}
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return {left, top, right, bottom};
}

namespace platform_detail {
// Sum of two 32-bit values; EIntOverflow when it leaves the range.
inline int32_t CheckedAdd(int32_t a, int32_t b)
{
    const int64_t r = static_cast<int64_t>(a) + b;
    if (r < INT32_MIN || r > INT32_MAX)
        throw EIntOverflow();
    return static_cast<int32_t>(r);
}
} // namespace platform_detail

// Rectangle of the given origin and size.
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return {left, top, platform_detail::CheckedAdd(left, width),
            platform_detail::CheckedAdd(top, height)};
}

// Grows the rectangle by dx on the left and right and dy on top and bottom (negative shrinks).
inline void InflateRect(TRect& r, int32_t dx, int32_t dy)
{
    using platform_detail::CheckedAdd;
    if (dx == INT32_MIN || dy == INT32_MIN)
        throw EIntOverflow();
    r = {CheckedAdd(r.Left, -dx), CheckedAdd(r.Top, -dy), CheckedAdd(r.Right, dx),
         CheckedAdd(r.Bottom, dy)};
}

// Moves the rectangle by (dx, dy).
inline void OffsetRect(TRect& r, int32_t dx, int32_t dy)
{
    using platform_detail::CheckedAdd;
    r = {CheckedAdd(r.Left, dx), CheckedAdd(r.Top, dy), CheckedAdd(r.Right, dx),
         CheckedAdd(r.Bottom, dy)};
}

// True when p lies inside r (right and bottom edges excluded).
inline bool PtInRect(const TRect& r, const TPoint& p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// True when the rectangle covers no pixel.
inline bool IsRectEmpty(const TRect& r)
{
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

// Intersection of a and b into dest; false (and dest all zero) when they do not overlap.
inline bool IntersectRect(TRect& dest, const TRect& a, const TRect& b)
{
    TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
            a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
    if (IsRectEmpty(r)) {
        dest = {};
        return false;
    }
    dest = r;
    return true;
}

// number * numerator / denominator computed in 64 bits, rounded half away from zero; -1 when
// the denominator is 0 or the result does not fit 32 bits.
inline int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator)
{
    if (denominator == 0)
        return -1;
    int64_t p = static_cast<int64_t>(number) * numerator;
    int64_t d = denominator;
    if (d < 0) {
        p = -p;
        d = -d;
    }
    const int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
    if (q < INT32_MIN || q > INT32_MAX)
        return -1;
    return static_cast<int32_t>(q);
}
