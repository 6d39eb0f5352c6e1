// Lines written straight into 32-bit images must give exactly the pixels of the plain path
// through the painter: every short segment extent of each wide pen shape, long segments across
// a chart-sized bitmap with and without clipping, one-pixel lines in every raster mode, and the
// cases that must keep to the plain path (dashes, other raster modes, other pixel formats).
#include "platform/Canvas.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The same drawing on two images: one canvas with the fast paths off, one with them on. The images
// have the device pixel ratio: w x h logical pixels, ratio times as many device pixels each way.
struct Twin
{
    QImage plainImage;
    QImage fastImage;
    TCanvas plain;
    TCanvas fast;
    std::vector<uchar> saved;

    Twin(int w, int h, QImage::Format format = QImage::Format_RGB32, double ratio = 1)
        : plainImage(Device(w, ratio), Device(h, ratio), format),
          fastImage(Device(w, ratio), Device(h, ratio), format)
    {
        plainImage.setDevicePixelRatio(ratio);
        fastImage.setDevicePixelRatio(ratio);
        Fill(Qt::white);
        plain.Attach(&plainImage);
        fast.Attach(&fastImage);
        plain.SetFastPaths(false);
    }

    static int Device(int logical, double ratio)
    {
        return static_cast<int>(std::lround(logical * ratio));
    }

    void Fill(Qt::GlobalColor color)
    {
        plain.ReleasePainter();
        fast.ReleasePainter();
        plainImage.fill(color);
        fastImage.fill(color);
    }

    // Random pixels, so that raster modes and stray writes show.
    void FillNoise(unsigned seed)
    {
        plain.ReleasePainter();
        fast.ReleasePainter();
        std::mt19937 rng(seed);
        for (int y = 0; y < plainImage.height(); ++y)
            for (int x = 0; x < plainImage.width(); ++x)
                plainImage.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        fastImage = plainImage.copy();
        fast.Attach(&fastImage);
    }

    template <class F> void Both(F draw)
    {
        draw(plain);
        draw(fast);
    }

    // As Both, but the fast canvas draws everything once beforehand and is set back: wide
    // segments take their kept runs only for extents met before.
    template <class F> void BothWarm(F draw)
    {
        fast.ReleasePainter();
        saved.assign(fastImage.constBits(), fastImage.constBits() + fastImage.sizeInBytes());
        draw(fast);
        fast.ReleasePainter();
        std::copy(saved.begin(), saved.end(), fastImage.bits());
        Both(draw);
    }

    // Empty when the images agree, else where they first differ.
    std::string Difference()
    {
        plain.ReleasePainter();
        fast.ReleasePainter();
        if (plainImage == fastImage)
            return {};
        for (int y = 0; y < plainImage.height(); ++y)
            for (int x = 0; x < plainImage.width(); ++x)
                if (plainImage.pixel(x, y) != fastImage.pixel(x, y)) {
                    std::ostringstream out;
                    out << "first difference at device (" << x << ", " << y << "): plain "
                        << std::hex << plainImage.pixel(x, y) << " fast " << fastImage.pixel(x, y);
                    return out.str();
                }
        return "images differ in format or size";
    }
};

struct PenShape
{
    const char* name;
    TPenKind kind;
    TPenEndCap cap;
    TPenJoin join;
};

// The chart's end styles (round, square with bevel joins, flat with mitre joins) and a wide
// normal pen.
const PenShape Shapes[] = {
    {"round", pkGeometric, pecRound, pjRound},
    {"square", pkGeometric, pecSquare, pjBevel},
    {"flat", pkGeometric, pecFlat, pjMiter},
    {"normal", pkNormal, pecRound, pjRound},
};

void UsePen(TCanvas& c, const PenShape& shape, int width, TColor color)
{
    if (shape.kind == pkGeometric) {
        c.Pen().SetGeometric(color, width, psSolid, shape.cap, shape.join);
    } else {
        c.Pen().SetNormal();
        c.Pen().SetStyle(psSolid);
        c.Pen().SetWidth(width);
        c.Pen().SetColor(color);
    }
    c.Pen().SetMode(pmCopy);
}

std::string Describe(const PenShape& shape, int width)
{
    return std::string(shape.name) + " pen of width " + std::to_string(width);
}

// Every segment (dx, dy) with |dx|, |dy| <= Range, one per cell of a grid, each starting at a
// slightly different place in its cell, for a pen shape and width; the window origin moves
// from batch to batch. On images of the device pixel ratio.
void CompareEveryShortSegment(const PenShape& shape, int width, int shift, double ratio = 1)
{
    constexpr int Range = 60;
    constexpr int Columns = 11;
    const int pad = width + 4;
    const int cell = Range + 2 * pad + 4;
    Twin twin(Columns * cell, Columns * cell, QImage::Format_RGB32, ratio);
    const TPoint origins[] = {{0, 0}, {-37, 11}, {5, -3}};
    int batch = 0;
    for (int dx = -Range; dx <= Range; ++dx, ++batch) {
        twin.Fill(Qt::white);
        const TPoint origin = origins[(batch + shift) % 3];
        twin.BothWarm([&](TCanvas& c) {
            c.SetWindowOrg(origin.X, origin.Y);
            UsePen(c, shape, width, clBlue);
            int index = 0;
            for (int dy = -Range; dy <= Range; ++dy, ++index) {
                // Logical coordinates: the device position plus the origin.
                const int x0 = (index % Columns) * cell + pad +
                               (index + dx + 2 * Range + shift) % 4 + std::max(0, -dx) + origin.X;
                const int y0 = (index / Columns) * cell + pad + (index * 3 + shift) % 4 +
                               std::max(0, -dy) + origin.Y;
                c.MoveTo(x0, y0);
                c.LineTo(x0 + dx, y0 + dy);
            }
        });
        const std::string difference = twin.Difference();
        ASSERT_EQ(difference, "") << Describe(shape, width) << ", dx " << dx << ", origin "
                                  << origin.X << "," << origin.Y << ", ratio " << ratio;
    }
}

} // namespace

TEST(CanvasFastLines, EveryShortWideSegmentMatchesItsStroke)
{
    // A wide normal pen has the round shape; the three end styles are swept.
    for (int s = 0; s < 3; ++s)
        for (int width : {2, 3, 4, 6})
            CompareEveryShortSegment(Shapes[s], width, width);
    // The program's widths a second time, every extent at other places and origins.
    for (int s = 0; s < 3; ++s)
        for (int width : {2, 4})
            CompareEveryShortSegment(Shapes[s], width, width + 1);
    // At ratios 2 and 1.5 the program's round pens of widths 2 and 4, and one other end style
    // at each.
    CompareEveryShortSegment(Shapes[0], 2, 0, 2);
    CompareEveryShortSegment(Shapes[1], 4, 1, 2);
    CompareEveryShortSegment(Shapes[0], 4, 2, 1.5);
    CompareEveryShortSegment(Shapes[2], 2, 1, 1.5);
}

TEST(CanvasFastLines, LongWideSegmentsAcrossAChartMatchClippedAndUnclipped)
{
    constexpr int W = 548;
    constexpr int H = 184;
    for (const PenShape& shape : Shapes) {
        // Pen widths at ratio 1, then at 2, 1.5 and 1.25 (the whole part is the width).
        for (double widthAndRatio : {2.0, 3.0, 4.0, 5.0, 12.0, 2.2, 4.2, 5.2, 2.15, 4.15, 3.125}) {
            const int width = static_cast<int>(widthAndRatio);
            const double fraction = std::round((widthAndRatio - width) * 1000) / 1000;
            const double ratio = fraction == 0      ? 1
                                 : fraction == 0.2  ? 2
                                 : fraction == 0.15 ? 1.5
                                                    : 1.25;
            for (int clipping = 0; clipping < 4; ++clipping) {
                SCOPED_TRACE(Describe(shape, width) + ", clipping " + std::to_string(clipping) +
                             ", ratio " + std::to_string(ratio));
                Twin twin(W, H, QImage::Format_RGB32, ratio);
                std::mt19937 rng(static_cast<unsigned>(width * 100 + clipping));
                std::uniform_int_distribution<int> startX(-80, W + 80);
                std::uniform_int_distribution<int> startY(-80, H + 80);
                std::uniform_int_distribution<int> extent(-600, 600);
                std::uniform_int_distribution<int> shortExtent(-3, 3);
                twin.Both([&](TCanvas& c) {
                    if (clipping == 1) // the plot area of a chart
                        c.IntersectClipRect(Rect(11, 21, W - 10, H - 20));
                    if (clipping == 2) { // an L-shaped region of two rectangles
                        TRegion l = TRegion::FromRect(Rect(0, 0, W / 2, H));
                        l.Combine(TRegion::FromRect(Rect(W / 2, H / 2, W - 3, H - 7)), RGN_OR);
                        c.SelectClipRegion(&l);
                    }
                    if (clipping == 3)
                        c.SetWindowOrg(-25, 40);
                });
                std::vector<std::pair<TPoint, TPoint>> segments;
                for (int i = 0; i < 300; ++i) {
                    const TPoint a{startX(rng), startY(rng)};
                    // Mostly long segments, some short ones as dense data gives.
                    const bool longOne = i % 3 != 0;
                    const TPoint b{a.X + (longOne ? extent(rng) : shortExtent(rng)),
                                   a.Y + (longOne ? extent(rng) / 3 : extent(rng) / 4)};
                    segments.emplace_back(a, b);
                }
                twin.BothWarm([&](TCanvas& c) {
                    for (size_t i = 0; i < segments.size(); ++i) {
                        UsePen(c, shape, width, static_cast<TColor>(0x10101 * (i % 200)));
                        c.MoveTo(segments[i].first.X, segments[i].first.Y);
                        c.LineTo(segments[i].second.X, segments[i].second.Y);
                    }
                });
                EXPECT_EQ(twin.Difference(), "");
            }
        }
    }
}

TEST(CanvasFastLines, JoinedRoundPolylinesMatchTheirStroke)
{
    // Every two-segment polyline whose legs reach up to Range pixels each way, for the round
    // pens of widths 2 and 4, a grid of them per image.
    constexpr int Range = 6;
    constexpr int Columns = 20;
    std::vector<std::array<TPoint, 3>> lines;
    for (int a = -Range; a <= Range; ++a)
        for (int b = -Range; b <= Range; ++b)
            for (int c = -Range; c <= Range; ++c)
                for (int d = -Range; d <= Range; ++d)
                    lines.push_back({TPoint{0, 0}, TPoint{a, b}, TPoint{a + c, b + d}});
    for (int width : {2, 4}) {
        const int pad = width + 4;
        const int cell = 4 * Range + 2 * pad + 2;
        Twin twin(Columns * cell, Columns * cell);
        const size_t perImage = Columns * Columns;
        for (size_t first = 0; first < lines.size(); first += perImage) {
            twin.Fill(Qt::white);
            twin.BothWarm([&](TCanvas& c) {
                UsePen(c, Shapes[first % 2 == 0 ? 0 : 3], width, clBlue);
                c.SetWindowOrg(static_cast<int>(first % 7), -static_cast<int>(first % 5));
                for (size_t k = first; k < std::min(lines.size(), first + perImage); ++k) {
                    const int index = static_cast<int>(k - first);
                    const TPoint at{(index % Columns) * cell + pad + 2 * Range + c.WindowOrg().X,
                                    (index / Columns) * cell + pad + 2 * Range + c.WindowOrg().Y};
                    TPoint points[3];
                    for (int i = 0; i < 3; ++i)
                        points[i] = {at.X + lines[k][i].X, at.Y + lines[k][i].Y};
                    c.Polyline(points, 3);
                }
            });
            const std::string difference = twin.Difference();
            ASSERT_EQ(difference, "") << "width " << width << ", polylines from " << first;
        }
    }

    // Long random polylines across a chart, clipped to its plot area or not.
    constexpr int W = 548;
    constexpr int H = 184;
    for (int width : {2, 4}) {
        for (int clipping = 0; clipping < 2; ++clipping) {
            SCOPED_TRACE("width " + std::to_string(width) + ", clipping " +
                         std::to_string(clipping));
            Twin twin(W, H);
            std::mt19937 rng(static_cast<unsigned>(width + 10 * clipping));
            std::uniform_int_distribution<int> step(-40, 40);
            std::vector<TPoint> points{{W / 2, H / 2}};
            for (int i = 0; i < 2000; ++i)
                points.push_back(
                    {std::clamp(points.back().X + step(rng), -30, W + 30),
                     std::clamp(points.back().Y + step(rng) / (i % 4 + 1), -30, H + 30)});
            twin.Both([&](TCanvas& c) {
                if (clipping == 1)
                    c.IntersectClipRect(Rect(11, 21, W - 10, H - 20));
            });
            twin.BothWarm([&](TCanvas& c) {
                for (size_t i = 0; i + 20 <= points.size(); i += 19) {
                    UsePen(c, Shapes[i % 2 == 0 ? 0 : 3], width, static_cast<TColor>(i * 997));
                    c.Polyline(points.data() + i, 20);
                }
            });
            EXPECT_EQ(twin.Difference(), "");
        }
    }
}

TEST(CanvasFastLines, LineToEachDrawsLikeOneLineToPerPoint)
{
    constexpr int W = 548;
    constexpr int H = 184;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-60, 60);
    // A dense noisy series across the whole width, reaching beyond the top and bottom.
    std::vector<TPoint> series;
    for (int i = 0; i < 2500; ++i)
        series.push_back({i * (W + 40) / 2500 - 20, H / 2 + noise(rng) + noise(rng)});
    for (const PenShape& shape : Shapes) {
        for (int width : {1, 2, 4}) {
            SCOPED_TRACE(Describe(shape, width));
            Twin twin(W, H);
            twin.Both([&](TCanvas& c) { c.IntersectClipRect(Rect(11, 21, W - 10, H - 20)); });
            UsePen(twin.plain, shape, width, clRed);
            UsePen(twin.fast, shape, width, clRed);
            twin.plain.MoveTo(series[0].X, series[0].Y);
            for (size_t i = 1; i < series.size(); ++i)
                twin.plain.LineTo(series[i].X, series[i].Y);
            twin.fast.MoveTo(series[0].X, series[0].Y);
            twin.fast.LineToEach(series.data() + 1, static_cast<int>(series.size()) - 1);
            EXPECT_EQ(twin.fast.PenPos(), series.back());
            EXPECT_EQ(twin.Difference(), "");
            // The plain canvas's LineToEach draws the same again (the plain path).
            twin.Both([&](TCanvas& c) {
                UsePen(c, shape, width, clGreen);
                c.MoveTo(series[0].X, series[0].Y + 5);
                c.LineToEach(std::vector<TPoint>(series.begin() + 1, series.begin() + 800));
            });
            EXPECT_EQ(twin.Difference(), "");
        }
    }
}

TEST(CanvasFastLines, OnePixelLinesMatchInEveryRasterModeAndClip)
{
    constexpr int W = 120;
    constexpr int H = 90;
    for (int clipping = 0; clipping < 16; ++clipping) {
        // The second four on images of ratio 2: lines along the axes and single pixels become
        // blocks of 2 x 2 device pixels, slanted lines are traced at device resolution. Then
        // four at ratio 1.5, where blocks overlap, and four at 1.25, where they leave gaps, in
        // the modes written directly.
        const double ratio = clipping < 4 ? 1 : clipping < 8 ? 2 : clipping < 12 ? 1.5 : 1.25;
        for (int mode = pmBlack; mode <= pmNotXor; ++mode) {
            if (ratio < 2 && ratio > 1 && mode != pmBlack && mode != pmWhite && mode != pmCopy)
                continue;
            SCOPED_TRACE("mode " + std::to_string(mode) + ", clipping " +
                         std::to_string(clipping % 4) + ", ratio " + std::to_string(ratio));
            Twin twin(W, H, QImage::Format_RGB32, ratio);
            twin.FillNoise(static_cast<unsigned>(mode * 10 + clipping));
            std::mt19937 rng(static_cast<unsigned>(mode + 100 * clipping));
            std::uniform_int_distribution<int> near(-40, W + 40);
            std::uniform_int_distribution<int> far(-2000000000, 2000000000);
            std::vector<TPoint> ends;
            for (int i = 0; i < 400; ++i) {
                // Far-off end points now and then: only the visible part is walked.
                const bool farOff = i % 17 == 0;
                ends.push_back({farOff ? far(rng) : near(rng), near(rng) * H / W});
            }
            twin.Both([&](TCanvas& c) {
                if (clipping % 4 == 1)
                    c.IntersectClipRect(Rect(11, 21, 100, 70));
                if (clipping % 4 == 2) {
                    TRegion r = TRegion::FromRect(Rect(0, 0, 50, 40));
                    r.Combine(TRegion::FromRect(Rect(60, 30, 110, 85)), RGN_OR);
                    r.Combine(TRegion::FromRect(Rect(5, 60, 20, 88)), RGN_OR);
                    c.SelectClipRegion(&r);
                }
                if (clipping % 4 == 3)
                    c.SetWindowOrg(13, -9);
                c.Pen().SetColor(RGBColor(200, 60, 17));
                c.Pen().SetMode(static_cast<TPenMode>(mode));
                c.MoveTo(ends[0].X, ends[0].Y);
                for (size_t i = 1; i < 200; ++i)
                    c.LineTo(ends[i].X, ends[i].Y);
                c.LineToEach(ends.data() + 200, 100);
                c.Polyline(ends.data() + 300, 50);
                c.Pen().SetGeometric(RGBColor(1, 2, 3), 1, psSolid, pecFlat, pjMiter);
                c.Polygon(ends.data() + 350, 50);
                c.Rectangle(3, 4, 70, 50);
                // Outlined and filled rectangles as point markers draw them (some reaching far
                // off), a dotted line with opaque gaps and single pixels.
                c.Pen().SetColor(RGBColor(9, 200, 90));
                for (int i = 0; i < 40; ++i) {
                    c.Brush().SetColor(RGBColor(250, 5 * i, 7));
                    const int size = 3 + i % 9;
                    const int reach = i % 13 == 0 ? 100000 : 0;
                    c.Rectangle(ends[i].X % W - reach, ends[i].Y, ends[i].X % W + size,
                                ends[i].Y + size - i % 2 + reach);
                }
                c.Pen().SetNormal();
                c.Pen().SetWidth(1);
                c.Pen().SetStyle(psDot);
                c.SetBackgroundMode(OPAQUE);
                c.SetBackColor(RGBColor(40, 40, 250));
                c.MoveTo(-5, 33);
                c.LineTo(W + 5, 37);
                c.SetBackgroundMode(TRANSPARENT);
                for (int i = 0; i < 30; ++i)
                    c.SetPixel(ends[i].Y, ends[i + 1].Y, RGBColor(i, 2 * i, 3 * i));
            });
            EXPECT_EQ(twin.Difference(), "");
        }
    }
}

TEST(CanvasFastLines, DashesOtherModesFormatsAndJoinsKeepThePlainPath)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coordinate(-10, 110);
    std::vector<TPoint> points;
    for (int i = 0; i < 60; ++i)
        points.push_back({coordinate(rng), coordinate(rng)});
    auto drawAll = [&](TCanvas& c) {
        c.SetBackgroundMode(OPAQUE);
        c.SetBackColor(clYellow);
        // Dashed wide and one-pixel pens, the alternate pen, a wide XOR pen, joined wide
        // polylines and outlines, and a round clip.
        c.Pen().SetGeometric(clRed, 3, psDash, pecRound, pjRound);
        c.MoveTo(points[0].X, points[0].Y);
        c.LineToEach(points.data() + 1, 10);
        c.Pen().SetNormal();
        c.Pen().SetWidth(1);
        c.Pen().SetStyle(psDot);
        c.LineToEach(points.data() + 11, 10);
        c.Pen().SetAlternate(clBlue);
        c.LineToEach(points.data() + 21, 10);
        c.Pen().SetGeometric(clGreen, 4, psSolid, pecRound, pjRound);
        c.Pen().SetMode(pmXor);
        c.LineToEach(points.data() + 31, 10);
        c.Pen().SetMode(pmCopy);
        for (const PenShape& shape : Shapes) {
            UsePen(c, shape, 4, clPurple);
            c.Polyline(points.data() + 41, 6);
            c.Polygon(points.data() + 47, 5);
        }
        c.ExtSelectClipRegion(TRegion::FromEllipse(Rect(10, 10, 90, 90)), RGN_AND);
        UsePen(c, Shapes[0], 2, clNavy);
        c.MoveTo(points[52].X, points[52].Y);
        c.LineToEach(points.data() + 53, 7);
    };
    for (QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
          QImage::Format_RGB888, QImage::Format_RGB16}) {
        SCOPED_TRACE("format " + std::to_string(static_cast<int>(format)));
        Twin twin(100, 100, format);
        twin.Both(drawAll);
        EXPECT_EQ(twin.Difference(), "");
        // Something was drawn at all.
        QImage white(100, 100, format);
        white.fill(Qt::white);
        EXPECT_FALSE(twin.fastImage == white);
    }
}
