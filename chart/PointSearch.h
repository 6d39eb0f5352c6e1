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
#include "chart/AxisMapping.h"
#include "platform/Types.h"

#include <cstdint>

class TChartSeries;

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
