#pragma once
// The walk of a line series without pointers and stairs that merges dense pixel columns: the
// segments that run up and down inside one pixel column are collected into the span they cover
// and drawn as one line. It sets exactly the pixels the plain walk (TCustomSeries::DrawOnePoint,
// point by point) sets and leaves the canvas as that walk leaves it. Included by Series.cpp only.
#include "chart/AxisMapping.h"
#include "chart/ChartEngine.h"
#include "chart/Series.h"

#include <cstdint>

// The pixel columns of a run of points. A column is a longest stretch of consecutive points (in
// walk order) that map to one pixel column; the walk reports where its first and last point lie
// and the lowest and highest row its points reach, which is all the merged walk of one-colour
// series draws from.
//
// Where both axes keep the order of the values (TAxisMapping::KeepsOrder), whole runs of 1024 or
// 64 points are taken from the value lists' summaries instead of from their values: a run whose
// lowest and highest X both map to the column lies wholly in it, and the pixels of its lowest
// and highest Y bound those of all its points. Runs holding a value that is not a number, and
// the runs where a column ends, are walked point by point. The result is the same either way;
// only the number of values read differs, so a column of thousands of points costs a few dozen
// reads.
//
// Where the X values are moreover known to be sorted (the list keeps an order and nothing is
// out of place), the pixel columns follow one another along the indices: a column's end is found
// by a search over its X values (a few dozen reads whatever its length) and its rows from the
// summaries of the runs that lie wholly inside it, plus the values of the partial runs at its
// two ends.
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
    TColumnWalk(const TChartValueList& xs, const TChartValueList& ys, const TAxisMapping& horiz,
                const TAxisMapping& vert, int32_t from, int32_t to);

    // The next column in walk order; false once every point is in a column reported before.
    bool Next(TPixelColumn& column);

private:
    // The walk over sorted X values.
    bool NextSorted(TPixelColumn& column);
    // The last index, from index on in walk order, whose X maps to pixel column x.
    int32_t ColumnEnd(int32_t index, int32_t x);
    // Lowest and highest Y value of the points low..high; nan when one is not a number.
    void YExtent(int32_t low, int32_t high, double& lowest, double& highest, bool& nan) const;

    void Open(int32_t x, int32_t y, int32_t index);
    void Close(TPixelColumn& column);
    bool TakeRun();
    void Fill();

    const TChartValueList& FXs;
    const TChartValueList& FYs;
    const TAxisMapping& FXMap;
    const TAxisMapping& FYMap;
    int32_t FStep;
    int32_t FTo;
    int32_t FIndex; // next point to take
    bool FSummaries;
    bool FSorted;
    int32_t FLastLength = 1; // points of the column before (sorted X)

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

class TMergedColumnWalk
{
public:
    // A walk of the series' current pass (TCustomSeries::DrawPass has set it up).
    explicit TMergedColumnWalk(TCustomSeries& series);
    TMergedColumnWalk(const TMergedColumnWalk&) = delete;
    TMergedColumnWalk& operator=(const TMergedColumnWalk&) = delete;

    // Draws the pass' points and leaves the series' walk state (last point and colour) as the
    // plain walk leaves it.
    void Run();

private:
    // Points are mapped a block at a time, in a loop the compiler can keep tight.
    static constexpr int32_t BlockSize = 512;

    void Select(TColor color);
    // Every point has one colour and there are no gaps.
    void WalkOneColor();
    void DrawLastColumn(const TPixelColumn& column, TColor color);
    // Colours per point, gaps.
    void WalkMixed();
    void OpenRun(int32_t x, int32_t y);
    void FlushRun();
    // Maps the n points after (or before, walking down) index into FXs and FYs; returns the
    // lowest index of the block.
    int32_t MapBlock(int32_t index, int32_t n);

    TCustomSeries& FSeries;
    TChartCanvas& FCanvas;
    const TChartPen& FPen;
    const TAxisMapping FHoriz;
    const TAxisMapping FVert;
    const double* FXValues;
    const double* FYValues;
    const bool FWide;
    const bool FEachLine;
    const TColor FSeriesColor;
    const int32_t FStep;
    const int32_t FLastDrawn;

    int32_t FIndex = 0;
    TColor FColor = clNone;
    bool FSelected = false; // the canvas pen is the pass' pen in FSelectedColor
    TColor FSelectedColor = clNone;
    bool FDrewAny = false;
    bool FLastDrew = false;
    int32_t FPrevX = 0;
    int32_t FPrevY = 0;
    TColor FPrevColor = clNone;

    // Mixed colours: the open run, a chain of vertical segments in column X ending at the
    // previous point. Low/High cover the whole chain, LowBefore/HighBefore the chain without its
    // last point.
    struct
    {
        bool Open = false;
        bool Segments = false;
        TColor Color = clNone;
        int32_t X = 0;
        int32_t LastY = 0;
        int32_t Low = 0;
        int32_t High = 0;
        int32_t LowBefore = 0;
        int32_t HighBefore = 0;
    } FRun;

    int32_t FXs[BlockSize];
    int32_t FYs[BlockSize];
};
