#pragma once
// The pixel columns of a run of points, for the line walk of a series (included only by the
// series' source). A column is a longest stretch of consecutive points (in walk order) that
// map to one pixel column; the walk reports where its first and last point lie and the lowest
// and highest row its points reach, which is all a merged line walk draws from.
//
// Where both axes keep the order of the values (TAxisMapping::KeepsOrder), whole runs of 1024
// or 64 points are taken from the value lists' summaries instead of from their values: a run
// whose lowest and highest X both map to the column lies wholly in it, and the pixels of its
// lowest and highest Y bound those of all its points. Runs holding a value that is not a number,
// and the runs where a column ends, are walked point by point. The result is the same either
// way; only the number of values read differs, so a column of thousands of points costs a few
// dozen reads.
#include "chart/AxisMapping.h"
#include "chart/ChartAxis.h"
#include "chart/ChartEngine.h"

#include <cstdint>

struct TPixelColumn
{
    int32_t X = 0;
    int32_t FirstY = 0; // row of the first point, in walk order
    int32_t LastY = 0;  // row of the last point
    int32_t Low = 0;    // lowest and highest row of all its points
    int32_t High = 0;
    int32_t FirstIndex = 0;
    int32_t LastIndex = 0;
};

class TColumnWalk
{
public:
    // Walks the points from..to (0 <= from, to < Count), upwards or downwards.
    TColumnWalk(const TChartValueList& xs, const TChartValueList& ys, const TChartAxis& horiz,
                const TChartAxis& vert, int32_t from, int32_t to);

    // The next column in walk order; false once every point is in a column reported before.
    bool Next(TPixelColumn& column);

private:
    void Open(int32_t x, int32_t y, int32_t index);
    void Close(TPixelColumn& column);
    bool TakeRun();
    void Fill();

    const TChartValueList& FXs;
    const TChartValueList& FYs;
    TAxisMapping FXMap;
    TAxisMapping FYMap;
    int32_t FStep;
    int32_t FTo;
    int32_t FIndex; // next point to take
    bool FSummaries;

    // The open column; value extents of the runs taken from summaries, and whether the row of
    // its last point is still to be mapped (it ended a run taken from a summary).
    TPixelColumn FColumn;
    bool FOpen = false;
    double FLowValue = 0;
    double FHighValue = 0;
    bool FHaveValues = false;
    bool FLastPending = false;

    // Points mapped ahead, in walk order; the next one to take is FBufferPos.
    static constexpr int32_t BufferSize = 64;
    int32_t FBufferX[BufferSize];
    int32_t FBufferY[BufferSize];
    int32_t FBufferPos = 0;
    int32_t FBufferLen = 0;
};
