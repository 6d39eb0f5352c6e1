#pragma once
// The point of a series nearest to a pixel position: the search behind the crosshair readout and
// the nearest-point tool. Points are mapped as TChartSeries::PointPixelX/Y map them; the
// distance is the square root of dx^2 + dy^2 rounded to the nearest integer (halves to even),
// and among points at the smallest rounded distance the lowest index wins.
//
// The search keeps, per series, the smallest and largest X and Y value of every run of 32
// points and of every 1024 points. Those boxes do not depend on the axes: on a linear axis the
// pixels keep the order of the values, so the box's pixels bound the pixels of its points, and a
// run whose box is farther away than the best distance found (or as far, with a higher first
// index) is passed over without touching its points. The boxes are kept until a value list
// changes other than by appending (TChartValueList::ChangeStamp); appended points only extend
// them.
#include "platform/Types.h"

#include <cmath>
#include <cstdint>

class TChartSeries;

// The rounded distance of a pixel offset. Offsets up to 2^32 in magnitude (a 32-bit mouse
// position against a clamped point pixel) square and sum exactly in 64 bits.
inline int64_t RoundedPixelDistance(int64_t dx, int64_t dy)
{
    const uint64_t ux = static_cast<uint64_t>(dx < 0 ? -dx : dx);
    const uint64_t uy = static_cast<uint64_t>(dy < 0 ? -dy : dy);
    return static_cast<int64_t>(std::nearbyint(std::sqrt(static_cast<double>(ux * ux + uy * uy))));
}

struct TPointSearchOptions
{
    // The index range searched, clipped to the series' points (Last < 0: up to the last point).
    int32_t First = 0;
    int32_t Last = -1;
    // When set, only points with Left <= px < Right and Top <= py < Bottom count.
    bool WithinRect = false;
    TRect Rect;
    // When >= 0, only points whose rounded distance is below it count.
    int64_t Limit = -1;
};

// Index of the nearest point, -1 when none counts.
int32_t FindNearestPoint(const TChartSeries& series, int32_t x, int32_t y,
                         const TPointSearchOptions& options);
