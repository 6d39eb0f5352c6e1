#pragma once
// The nearest-point search done the plain way, every point in turn, as the crosshair readout and
// the nearest-point tool define it: among the points considered, the first at the smallest
// rounded pixel distance; with a rectangle only points inside it, with a limit only distances
// below it. The program's pruned search (FindNearestPoint) must give exactly its results.
#include "chart/AxisMapping.h"
#include "chart/ChartEngine.h"
#include "chart/ChartPanel.h"
#include "chart/ChartTools.h"
#include "chart/PointSearch.h"

#include <algorithm>
#include <cstdint>

// Points first..last with the pixels px(i), py(i); -1 when none counts.
template <typename PixelX, typename PixelY>
int32_t PlainNearestPixel(int32_t first, int32_t last, PixelX px, PixelY py, int32_t x, int32_t y,
                          const TPointSearchOptions& options = {})
{
    int64_t best = options.Limit >= 0 ? options.Limit : -1;
    int32_t result = -1;
    for (int32_t i = first; i <= last; ++i) {
        const int32_t pointX = px(i);
        const int32_t pointY = py(i);
        const TRect& r = options.Rect;
        if (options.WithinRect &&
            (pointX < r.Left || pointX >= r.Right || pointY < r.Top || pointY >= r.Bottom)) {
            continue;
        }
        const int64_t d = RoundedPixelDistance(int64_t{pointX} - x, int64_t{pointY} - y);
        if (best == -1 || d < best) {
            best = d;
            result = i;
        }
    }
    return result;
}

// The points of a series, as PointPixelX and PointPixelY place them, in the index range of the
// options (Last < 0: up to the last point).
inline int32_t PlainNearestPoint(const TChartSeries& series, int32_t x, int32_t y,
                                 const TPointSearchOptions& options = {})
{
    const int32_t count = series.Count();
    const int32_t first = std::max(options.First, 0);
    const int32_t last = options.Last < 0 || options.Last >= count ? count - 1 : options.Last;
    return PlainNearestPixel(
        first, last, [&](int32_t i) { return series.PointPixelX(i); },
        [&](int32_t i) { return series.PointPixelY(i); }, x, y, options);
}

// The nearest-point tool's search: the series' visible points of the last paint inside the plot
// rectangle, nearer than NearestSearchLimit.
inline int32_t PlainNearestForTool(const TNearestTool& tool, int32_t x, int32_t y)
{
    const TChartSeries* series = tool.Series();
    const TCustomAxisPanel* chart = tool.Chart();
    if (series == nullptr || chart == nullptr) {
        return -1;
    }
    TPointSearchOptions options;
    options.First = std::max(series->FirstVisibleIndex(), 0);
    options.Last = series->LastVisibleIndex();
    options.WithinRect = true;
    options.Rect = chart->PlotRect();
    options.Limit = NearestSearchLimit;
    return PlainNearestPoint(*series, x, y, options);
}
