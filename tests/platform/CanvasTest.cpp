// Pixel rules of the canvas: draw into a bitmap, read the pixels back.
#include "platform/Canvas.h"
#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>

namespace {

// A white bitmap with a black one-pixel solid pen and a white solid brush.
struct Surface
{
    TBitmap bitmap{40, 30};
    TCanvas& c = bitmap.Canvas();

    Surface(int w = 40, int h = 30) : bitmap(w, h) {}

    // Row y from x0 to x1 inclusive as a string: '#' pen colour, '.' white, '?' other.
    std::string Row(int y, int x0, int x1, TColor ink = clBlack)
    {
        std::string s;
        for (int x = x0; x <= x1; ++x) {
            const TColor p = c.Pixel(x, y);
            s += p == ink ? '#' : (p == clWhite ? '.' : '?');
        }
        return s;
    }
    std::string Column(int x, int y0, int y1, TColor ink = clBlack)
    {
        std::string s;
        for (int y = y0; y <= y1; ++y) {
            const TColor p = c.Pixel(x, y);
            s += p == ink ? '#' : (p == clWhite ? '.' : '?');
        }
        return s;
    }
    int Count(TColor color)
    {
        int n = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                n += c.Pixel(x, y) == color ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(CanvasLines, LineToLeavesTheEndPixelUndrawn)
{
    Surface s;
    s.c.MoveTo(2, 5);
    s.c.LineTo(8, 5);
    EXPECT_EQ(s.Row(5, 1, 9), ".######..");
    EXPECT_EQ(s.c.PenPos(), Point(8, 5));
    s.c.MoveTo(20, 2);
    s.c.LineTo(20, 6);
    EXPECT_EQ(s.Column(20, 1, 7), ".####..");
}

TEST(CanvasLines, OnePixelPenIsOnePixelWideOnStraightAndDiagonalLines)
{
    Surface s;
    s.c.MoveTo(0, 0);
    s.c.LineTo(20, 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(s.c.Pixel(i, i), clBlack) << i;
        EXPECT_EQ(s.c.Pixel(i + 1, i), clWhite) << i;
        EXPECT_EQ(s.c.Pixel(i, i + 1), clWhite) << i;
    }
    EXPECT_EQ(s.c.Pixel(20, 20), clWhite);
    EXPECT_EQ(s.Count(clBlack), 20);

    // A shallow line sets exactly one pixel per column.
    Surface t;
    t.c.MoveTo(0, 3);
    t.c.LineTo(30, 10);
    for (int x = 0; x < 30; ++x) {
        int n = 0;
        for (int y = 0; y < 30; ++y)
            n += t.c.Pixel(x, y) == clBlack ? 1 : 0;
        EXPECT_EQ(n, 1) << x;
    }
}

TEST(CanvasLines, ALineAndItsReverseShareTheirInnerPixels)
{
    for (const TPoint end : {Point(10, 5), Point(5, 10), Point(-7, 3), Point(9, -9)}) {
        Surface f, r;
        f.c.SetWindowOrg(-20, -15);
        r.c.SetWindowOrg(-20, -15);
        f.c.MoveTo(0, 0);
        f.c.LineTo(end.X, end.Y);
        r.c.MoveTo(end.X, end.Y);
        r.c.LineTo(0, 0);
        f.c.SetPixel(0, 0, clWhite);
        r.c.SetPixel(end.X, end.Y, clWhite);
        EXPECT_EQ(f.bitmap.Image(), r.bitmap.Image()) << end.X << "," << end.Y;
    }
}

TEST(CanvasLines, FarEndPointsPickTheSamePixels)
{
    Surface s;
    s.c.MoveTo(-100000, 5);
    s.c.LineTo(30, 5);
    EXPECT_EQ(s.Row(5, 0, 31), std::string(30, '#') + "..");
    s.c.MoveTo(INT32_MIN, 0);
    s.c.LineTo(INT32_MAX, 0);
    EXPECT_EQ(s.Row(0, 0, 39), std::string(40, '#'));
    // A long diagonal entering the device picks the pixels of its visible piece drawn alone
    // (both pass exactly through the origin).
    Surface a, b;
    a.c.MoveTo(-70000, -30000);
    a.c.LineTo(70000, 30000);
    b.c.MoveTo(0, 0);
    b.c.LineTo(70, 30);
    EXPECT_EQ(a.bitmap.Image(), b.bitmap.Image());
    // Dashes (18 on, 6 off) keep their phase across the skipped part.
    Surface c;
    c.c.Pen().SetStyle(psDash);
    c.c.SetBackgroundMode(TRANSPARENT);
    c.c.MoveTo(-24005, 10);
    c.c.LineTo(40, 10);
    std::string dashes;
    for (int x = 0; x < 40; ++x)
        dashes += (x + 24005) % 24 < 18 ? '#' : '.';
    EXPECT_EQ(c.Row(10, 0, 39), dashes);
}

TEST(CanvasLines, PolylineSharesVerticesAndSkipsOnlyTheLastPoint)
{
    Surface s;
    const TPoint pts[] = {{2, 2}, {10, 2}, {10, 8}};
    s.c.Polyline(pts, 3);
    EXPECT_EQ(s.Row(2, 2, 10), "#########");
    EXPECT_EQ(s.Column(10, 2, 8), "######.");
}

TEST(CanvasLines, DottedPenOnOpaqueBackgroundIsContinuous)
{
    Surface s;
    s.c.Brush().SetColor(clWhite);
    s.c.Brush().SetStyle(bsClear);
    s.c.SetBackgroundMode(OPAQUE);
    s.c.SetBackColor(clWhite);
    // Paint the row grey first so that untouched pixels would show.
    s.c.Brush().SetStyle(bsSolid);
    s.c.Brush().SetColor(clGray);
    s.c.FillRect(Rect(0, 4, 40, 5));
    s.c.SetBackgroundMode(OPAQUE);
    s.c.SetBackColor(clWhite);
    s.c.Pen().SetColor(clRed);
    s.c.Pen().SetStyle(psDot);
    s.c.MoveTo(0, 4);
    s.c.LineTo(30, 4);
    int red = 0;
    for (int x = 0; x < 30; ++x) {
        const TColor p = s.c.Pixel(x, 4);
        EXPECT_TRUE(p == clRed || p == clWhite) << x;
        red += p == clRed ? 1 : 0;
    }
    EXPECT_GT(red, 0);
    EXPECT_LT(red, 30);
    // Transparent: the gaps keep the grey.
    s.c.SetBackgroundMode(TRANSPARENT);
    s.c.MoveTo(0, 4);
    s.c.LineTo(30, 4);
    EXPECT_EQ(s.c.Pixel(4, 4), clWhite); // gap pixel from before stays
}

TEST(CanvasLines, NotXorTwiceRestoresTheImage)
{
    Surface s;
    s.c.Brush().SetColor(clYellow);
    s.c.FillRect(Rect(5, 5, 25, 25));
    const QImage before = s.bitmap.Image().copy();
    s.c.Pen().SetMode(pmNotXor);
    s.c.Pen().SetColor(clBlue);
    for (int pass = 0; pass < 2; ++pass) {
        s.c.MoveTo(0, 10);
        s.c.LineTo(39, 12);
        s.c.Rectangle(3, 3, 20, 20);
        s.c.Pen().SetWidth(3);
        s.c.MoveTo(2, 28);
        s.c.LineTo(35, 1);
        s.c.Pen().SetWidth(1);
        if (pass == 0) {
            EXPECT_NE(s.bitmap.Image(), before);
        }
    }
    EXPECT_EQ(s.bitmap.Image(), before);
}

TEST(CanvasLines, NotXorOutlinesTouchEachPixelOnce)
{
    // On white, not-xor with a pen sets the pen colour; a pixel touched twice would turn white
    // again and leave a hole in the outline.
    const std::function<void(TCanvas&)> shapes[] = {
        [](TCanvas& c) { c.Ellipse(2, 2, 37, 27); },
        [](TCanvas& c) { c.RoundRect(5, 5, 30, 22, 12, 9); },
        [](TCanvas& c) {
            const TPoint tri[] = {{20, 1}, {36, 28}, {3, 12}};
            c.Polygon(tri, 3);
        },
    };
    for (size_t k = 0; k < std::size(shapes); ++k) {
        Surface copy, inverted;
        for (Surface* s : {&copy, &inverted}) {
            s->c.Pen().SetColor(clBlue);
            s->c.Brush().SetStyle(bsClear);
        }
        inverted.c.Pen().SetMode(pmNotXor);
        shapes[k](copy.c);
        shapes[k](inverted.c);
        EXPECT_GT(copy.Count(clBlue), 30) << k;
        EXPECT_EQ(inverted.bitmap.Image(), copy.bitmap.Image()) << k;
    }
}

TEST(CanvasLines, AlternatePenSetsEveryOtherPixel)
{
    Surface s;
    s.c.SetBackgroundMode(TRANSPARENT);
    s.c.Pen().SetAlternate(clBlack);
    s.c.MoveTo(0, 1);
    s.c.LineTo(10, 1);
    EXPECT_EQ(s.Row(1, 0, 10), "#.#.#.#.#..");
}

TEST(CanvasLines, GeometricPenCapsDecideTheEnds)
{
    Surface flat(40, 20);
    flat.c.Pen().SetGeometric(clBlack, 4, psSolid, pecFlat, pjMiter);
    flat.c.MoveTo(10, 10);
    flat.c.LineTo(30, 10);
    Surface square(40, 20);
    square.c.Pen().SetGeometric(clBlack, 4, psSolid, pecSquare, pjBevel);
    square.c.MoveTo(10, 10);
    square.c.LineTo(30, 10);
    // Four rows thick in the middle.
    EXPECT_EQ(flat.Column(20, 6, 14), "..####...");
    // A flat end stops at the end points; a square end reaches half the width beyond.
    EXPECT_EQ(flat.c.Pixel(8, 10), clWhite);
    EXPECT_EQ(square.c.Pixel(8, 10), clBlack);
    EXPECT_GT(square.Count(clBlack), flat.Count(clBlack));
}

TEST(CanvasLines, GeometricDashStylesScaleWithTheWidth)
{
    // Flat ends, width 2: dash 6 on 2 off, dot 2 on 2 off, dash-dot 6-2-2-2, dash-dot-dot
    // 6-2-2-2-2-2, from the start point on.
    const struct
    {
        TPenStyle style;
        std::string period;
    } cases[] = {{psDash, "######.."},
                 {psDot, "##.."},
                 {psDashDot, "######..##.."},
                 {psDashDotDot, "######..##..##.."}};
    for (const auto& c : cases) {
        Surface s(64, 8);
        s.c.Pen().SetGeometric(clBlack, 2, c.style, pecFlat, pjMiter);
        s.c.MoveTo(0, 3);
        s.c.LineTo(64, 3);
        std::string expected;
        while (expected.size() < 64)
            expected += c.period;
        expected.resize(64);
        EXPECT_EQ(s.Row(3, 0, 63), expected) << c.style;
        EXPECT_EQ(s.Row(3, 0, 63), s.Row(2, 0, 63)) << c.style; // two pixels wide
    }
}

TEST(CanvasLines, OddWidthsAreCentredOnTheirPixels)
{
    Surface s;
    s.c.Pen().SetGeometric(clBlack, 3, psSolid, pecFlat, pjMiter);
    s.c.MoveTo(2, 10);
    s.c.LineTo(15, 10);
    s.c.MoveTo(25, 2);
    s.c.LineTo(25, 25);
    EXPECT_EQ(s.Column(8, 7, 13), "..###..");
    EXPECT_EQ(s.Row(12, 22, 28), "..###..");
}

TEST(CanvasLines, GeometricPenJoinsShapeTheOuterCorner)
{
    // A right-angled corner at (20, 25), 7 pixels wide: the outer corner square is filled by
    // a mitre, cut on its diagonal by a bevel and rounded by a round join.
    auto corner = [](TPenJoin join) {
        auto s = std::make_unique<Surface>();
        s->c.Pen().SetGeometric(clBlack, 7, psSolid, pecFlat, join);
        const TPoint pts[] = {{5, 25}, {20, 25}, {20, 5}};
        s->c.Polyline(pts, 3);
        return s;
    };
    const auto miter = corner(pjMiter);
    const auto bevel = corner(pjBevel);
    const auto round = corner(pjRound);
    for (const Surface* s : {miter.get(), bevel.get(), round.get()}) {
        EXPECT_EQ(s->c.Pixel(20, 25), clBlack);
        EXPECT_EQ(s->c.Pixel(17, 28), clBlack); // inside the horizontal stroke
        EXPECT_EQ(s->c.Pixel(23, 22), clBlack); // inside the vertical stroke
    }
    EXPECT_EQ(miter->c.Pixel(23, 28), clBlack);
    EXPECT_EQ(bevel->c.Pixel(23, 28), clWhite);
    EXPECT_EQ(round->c.Pixel(23, 28), clWhite);
    EXPECT_EQ(round->c.Pixel(22, 27), clBlack);
    EXPECT_EQ(bevel->c.Pixel(22, 27), clWhite);
}

TEST(CanvasShapes, SlantedPolygonEdgesFollowTheClassicRule)
{
    // Pixels whose whole-number point lies inside: x + y < 10 for this triangle.
    Surface s;
    s.c.Pen().SetStyle(psClear);
    s.c.Brush().SetColor(clRed);
    const TPoint tri[] = {{0, 0}, {10, 0}, {0, 10}};
    s.c.Polygon(tri, 3);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(s.c.Pixel(x, y) == clRed, x + y < 10) << x << "," << y;
}

TEST(CanvasLines, FarOffDashedGeometricLinesDrawTheirVisiblePiece)
{
    // Only the piece near the device is stroked, in its place in the dash pattern: the same
    // pixels as a line starting a whole number of periods (3 + 1 widths, 8 pixels) closer.
    Surface far, near;
    far.c.Pen().SetGeometric(clBlack, 2, psDash, pecFlat, pjMiter);
    near.c.Pen().SetGeometric(clBlack, 2, psDash, pecFlat, pjMiter);
    far.c.MoveTo(-8 * 10000000, 10);
    far.c.LineTo(40, 10);
    near.c.MoveTo(-80, 10);
    near.c.LineTo(40, 10);
    EXPECT_EQ(far.Row(10, 0, 39), near.Row(10, 0, 39));
    EXPECT_NE(far.Row(10, 0, 39).find('.'), std::string::npos);
    EXPECT_NE(far.Row(10, 0, 39).find('#'), std::string::npos);
    // A huge dashed ellipse finishes too.
    Surface e;
    e.c.Pen().SetGeometric(clBlack, 3, psDot, pecRound, pjRound);
    e.c.Brush().SetStyle(bsClear);
    e.c.Ellipse(-100000000, -100000000, 100000000, 100000000);
    EXPECT_EQ(e.Count(clBlack), 0); // the outline runs far outside
}

TEST(CanvasShapes, RectangleOutlinesAndFillsInsideTheExclusiveEdges)
{
    Surface s;
    s.c.Brush().SetColor(clRed);
    s.c.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(s.Row(0, 0, 5), "#####.");
    EXPECT_EQ(s.Row(4, 0, 5), "#####.");
    EXPECT_EQ(s.Row(5, 0, 5), "......");
    for (int y = 1; y <= 3; ++y) {
        EXPECT_EQ(s.c.Pixel(0, y), clBlack);
        EXPECT_EQ(s.c.Pixel(4, y), clBlack);
        for (int x = 1; x <= 3; ++x)
            EXPECT_EQ(s.c.Pixel(x, y), clRed) << x << "," << y;
    }
}

TEST(CanvasShapes, RectanglesFilledAsRectanglesSetThePixelsOfAnAreaFill)
{
    // Random rectangles (reversed corners, one pixel thin, reaching past the bitmap) with
    // random pens, brushes, modes, clips and window origins, filled the fast way and as general
    // areas: the pictures must be equal.
    std::mt19937 rng(11);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    const TPenMode modes[] = {pmCopy, pmXor, pmNotXor, pmNot, pmMerge, pmMask, pmBlack, pmNop};
    const TBrushStyle brushes[] = {bsSolid, bsSolid, bsClear, bsCross};
    const TPenStyle pens[] = {psSolid, psSolid, psClear, psInsideFrame, psDash};
    for (int round = 0; round < 300; ++round) {
        const unsigned seed = static_cast<unsigned>(rng());
        QImage pictures[2];
        for (int way = 0; way < 2; ++way) {
            rng.seed(seed);
            Surface s(60, 50);
            s.c.SetFastPaths(way == 0);
            s.c.Brush().SetColor(clYellow);
            s.c.FillRect({0, 0, 60, 50});
            if (pick(0, 2) == 0)
                s.c.IntersectClipRect({pick(0, 30), pick(0, 25), pick(30, 60), pick(25, 50)});
            if (pick(0, 3) == 0)
                s.c.SetWindowOrg(pick(-5, 5), pick(-5, 5));
            for (int n = 0; n < 6; ++n) {
                s.c.Pen().SetStyle(pens[pick(0, 4)]);
                s.c.Pen().SetWidth(pick(1, 3));
                s.c.Pen().SetMode(modes[pick(0, 7)]);
                s.c.Pen().SetColor(static_cast<TColor>(rng() & 0xFFFFFF));
                s.c.Brush().SetStyle(brushes[pick(0, 3)]);
                s.c.Brush().SetColor(static_cast<TColor>(rng() & 0xFFFFFF));
                const int x1 = pick(-10, 70);
                const int y1 = pick(-10, 60);
                const int x2 = pick(0, 2) == 0 ? x1 + pick(-3, 3) : pick(-10, 70);
                const int y2 = pick(0, 2) == 0 ? y1 + pick(-3, 3) : pick(-10, 60);
                if (pick(0, 3) == 0)
                    s.c.FillRect(
                        {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
                else
                    s.c.Rectangle(x1, y1, x2, y2);
            }
            pictures[way] = s.bitmap.Image().copy();
        }
        ASSERT_EQ(pictures[0], pictures[1]) << "round " << round << ", seed " << seed;
    }
}

TEST(CanvasShapes, InvisiblePenDrawsNothingWhileTheFillHappens)
{
    Surface s;
    s.c.Pen().SetStyle(psClear);
    s.c.Brush().SetColor(clRed);
    s.c.MoveTo(0, 20);
    s.c.LineTo(39, 20);
    EXPECT_EQ(s.Count(clBlack), 0);
    s.c.Rectangle(2, 2, 10, 10);
    EXPECT_EQ(s.Count(clBlack), 0);
    // The classic rule: without an outline the fill is one pixel smaller.
    EXPECT_EQ(s.Row(2, 1, 10, clRed), ".#######..");
    EXPECT_EQ(s.Column(2, 1, 10, clRed), ".#######..");
    const TPoint tri[] = {{20, 2}, {30, 2}, {30, 12}};
    s.c.Polygon(tri, 3);
    EXPECT_EQ(s.c.Pixel(28, 4), clRed);
    EXPECT_EQ(s.Count(clBlack), 0);
}

TEST(CanvasShapes, RoundRectCutsItsCornersInsideTheBox)
{
    Surface s;
    s.c.Brush().SetColor(clRed);
    s.c.RoundRect(2, 2, 22, 18, 8, 8);
    // Corners cut: the arc passes through (3, 3) and leaves the pixels outside it.
    EXPECT_EQ(s.Row(2, 2, 4), "..#");
    EXPECT_EQ(s.Row(3, 2, 4), ".#?");
    EXPECT_EQ(s.Column(2, 2, 4), "..#");
    EXPECT_EQ(s.c.Pixel(21, 17), clWhite);
    EXPECT_EQ(s.Row(2, 5, 18), std::string(14, '#'));    // straight top edge
    EXPECT_EQ(s.Column(21, 6, 13), std::string(8, '#')); // right edge on Right - 1
    EXPECT_EQ(s.Row(17, 6, 17), std::string(12, '#'));   // bottom edge on Bottom - 1
    EXPECT_EQ(s.c.Pixel(12, 10), clRed);
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(s.c.Pixel(x, 18), clWhite) << x;
        EXPECT_EQ(s.c.Pixel(x, 1), clWhite) << x;
    }
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(s.c.Pixel(22, y), clWhite) << y;
        EXPECT_EQ(s.c.Pixel(1, y), clWhite) << y;
    }
}

TEST(CanvasShapes, FillRectCoversLeftToRightMinusOne)
{
    Surface s;
    s.c.Brush().SetColor(clBlue);
    s.c.FillRect(Rect(3, 4, 8, 6));
    EXPECT_EQ(s.Row(4, 2, 8, clBlue), ".#####.");
    EXPECT_EQ(s.Column(3, 3, 6, clBlue), ".##.");
    // An empty or reversed rectangle fills nothing.
    s.c.FillRect(Rect(20, 20, 20, 25));
    s.c.FillRect(Rect(30, 20, 25, 25));
    EXPECT_EQ(s.Count(clBlue), 10);
}

TEST(CanvasShapes, FrameRectUsesTheBrushColour)
{
    Surface s;
    s.c.Brush().SetColor(clGreen);
    s.c.FrameRect(Rect(2, 2, 7, 6));
    EXPECT_EQ(s.Row(2, 1, 7, clGreen), ".#####.");
    EXPECT_EQ(s.Row(3, 1, 7, clGreen), ".#...#.");
    EXPECT_EQ(s.Row(5, 1, 7, clGreen), ".#####.");
    EXPECT_EQ(s.Row(6, 1, 7, clGreen), ".......");
}

TEST(CanvasShapes, EllipseStaysInItsBoundingBox)
{
    Surface s;
    s.c.Brush().SetColor(clRed);
    s.c.Ellipse(5, 5, 25, 21);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (x < 5 || x >= 25 || y < 5 || y >= 21) {
                EXPECT_EQ(s.c.Pixel(x, y), clWhite) << x << "," << y;
            }
    EXPECT_EQ(s.c.Pixel(5, 13), clBlack);
    EXPECT_EQ(s.c.Pixel(24, 13), clBlack);
    EXPECT_EQ(s.c.Pixel(15, 5), clBlack);
    EXPECT_EQ(s.c.Pixel(15, 20), clBlack);
    EXPECT_EQ(s.c.Pixel(15, 13), clRed);
}

TEST(CanvasShapes, HatchBrushFillsGapsOnlyWhenOpaque)
{
    Surface s;
    s.c.Brush().SetStyle(bsHorizontal);
    s.c.Brush().SetColor(clBlue);
    s.c.SetBackgroundMode(TRANSPARENT);
    s.c.FillRect(Rect(0, 0, 16, 16));
    EXPECT_GT(s.Count(clBlue), 0);
    EXPECT_GT(s.Count(clWhite), 16 * 16 - 16 * 4);
    s.c.SetBackgroundMode(OPAQUE);
    s.c.SetBackColor(clYellow);
    s.c.FillRect(Rect(20, 0, 36, 16));
    EXPECT_EQ(s.Count(clBlue) + s.Count(clYellow) + s.Count(clWhite), 40 * 30);
    EXPECT_GT(s.Count(clYellow), 0);
}

TEST(CanvasShapes, DiagonalHatchesRunTheirWay)
{
    Surface s;
    s.c.Brush().SetColor(clBlack);
    s.c.Brush().SetStyle(bsFDiagonal);
    s.c.FillRect(Rect(0, 0, 16, 16));
    s.c.Brush().SetStyle(bsBDiagonal);
    s.c.FillRect(Rect(20, 0, 36, 16));
    for (int y = 0; y + 1 < 16; ++y)
        for (int x = 1; x + 1 < 16; ++x) {
            // A set pixel continues down-right in the forward hatch, down-left in the other.
            if (s.c.Pixel(x, y) == clBlack) {
                EXPECT_EQ(s.c.Pixel(x + 1, y + 1), clBlack) << x << "," << y;
            }
            if (s.c.Pixel(20 + x, y) == clBlack) {
                EXPECT_EQ(s.c.Pixel(20 + x - 1, y + 1), clBlack) << x << "," << y;
            }
        }
    EXPECT_GT(s.Count(clBlack), 40);
}

TEST(CanvasShapes, BrushChangeSetsBackgroundTheClassicWay)
{
    TCanvas c;
    c.Brush().SetColor(clRed);
    EXPECT_EQ(c.BackColor(), clRed);
    EXPECT_EQ(c.BackgroundMode(), OPAQUE);
    c.Brush().SetStyle(bsClear);
    EXPECT_EQ(c.BackgroundMode(), TRANSPARENT);
    // Set afterwards, the background stays as set.
    c.SetBackgroundMode(OPAQUE);
    c.SetBackColor(clWhite);
    EXPECT_EQ(c.BackgroundMode(), OPAQUE);
    EXPECT_EQ(c.BackColor(), clWhite);
}

TEST(CanvasPixels, ReadAndWriteWithinTheDevice)
{
    Surface s;
    s.c.SetPixel(3, 4, RGBColor(1, 2, 3));
    EXPECT_EQ(s.c.Pixel(3, 4), RGBColor(1, 2, 3));
    s.c.SetPixel(-1, 0, clRed);
    s.c.SetPixel(40, 0, clRed);
    EXPECT_EQ(s.Count(clRed), 0);
    EXPECT_EQ(s.c.Pixel(-1, 0), clNone);
    EXPECT_EQ(s.c.Pixel(0, 30), clNone);
    TCanvas unbound;
    EXPECT_EQ(unbound.Pixel(0, 0), clNone);
    unbound.LineTo(10, 10); // draws nothing, no crash
    EXPECT_EQ(unbound.PenPos(), Point(10, 10));
}

TEST(CanvasPixels, ImagesOfOtherFormatsAreDrawnExactly)
{
    // One-pixel lines on a 24- or 16-bit image land on their pixels and nowhere else.
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB16}) {
        QImage image(10, 3, format);
        image.fill(Qt::white);
        {
            TCanvas c(&image);
            c.MoveTo(0, 2);
            c.LineTo(10, 2);
            c.SetPixel(9, 0, clRed);
        }
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(image.pixel(x, 2), qRgb(0, 0, 0)) << format << " " << x;
            EXPECT_EQ(image.pixel(x, 1), qRgb(255, 255, 255)) << format << " " << x;
        }
        EXPECT_EQ(image.pixel(9, 0), qRgb(255, 0, 0)) << format;
        EXPECT_EQ(image.pixel(8, 0), qRgb(255, 255, 255)) << format;
    }
}

TEST(CanvasClipping, RectangularClipLeavesTheEdgesUntouched)
{
    Surface s(130, 130);
    s.c.IntersectClipRect(Rect(11, 21, 110, 120));
    s.c.Brush().SetColor(clRed);
    s.c.FillRect(Rect(0, 0, 130, 130));
    s.c.MoveTo(0, 50);
    s.c.LineTo(130, 50);
    for (int y = 0; y < 130; ++y) {
        EXPECT_EQ(s.c.Pixel(10, y), clWhite) << y;
        EXPECT_EQ(s.c.Pixel(110, y), clWhite) << y;
    }
    EXPECT_EQ(s.c.Pixel(11, 21), clRed);
    EXPECT_EQ(s.c.Pixel(109, 119), clRed);
    EXPECT_EQ(s.c.Pixel(50, 20), clWhite);
    EXPECT_EQ(s.c.Pixel(50, 120), clWhite);
    EXPECT_EQ(s.c.Pixel(109, 50), clBlack);
    EXPECT_EQ(s.c.ClipRect(), Rect(11, 21, 110, 120));
}

TEST(CanvasClipping, SaveRestoreAndIntersection)
{
    Surface s;
    TRegion out;
    EXPECT_FALSE(s.c.GetClipRegion(out));
    s.c.IntersectClipRect(Rect(0, 0, 20, 20));
    s.c.SaveClip();
    s.c.ExtSelectClipRegion(TRegion::FromEllipse(Rect(10, 10, 30, 30)), RGN_AND);
    s.c.Brush().SetColor(clRed);
    s.c.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(s.c.Pixel(18, 18), clRed);   // in both
    EXPECT_EQ(s.c.Pixel(11, 11), clWhite); // square corner outside the ellipse
    EXPECT_EQ(s.c.Pixel(25, 20), clWhite); // ellipse outside the square
    s.c.RestoreClip();
    ASSERT_TRUE(s.c.GetClipRegion(out));
    EXPECT_EQ(out.BoundingRect(), Rect(0, 0, 20, 20));
    s.c.Brush().SetColor(clBlue);
    s.c.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(s.c.Pixel(19, 19), clBlue);
    EXPECT_EQ(s.c.Pixel(20, 5), clWhite);
    // Restoring without a saved clip removes all clipping.
    s.c.RestoreClip();
    EXPECT_FALSE(s.c.GetClipRegion(out));
    s.c.SelectClipRegion(nullptr);
    s.c.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(s.c.Pixel(39, 29), clBlue);
}

TEST(CanvasClipping, PolygonAndRoundRegions)
{
    const TPoint tri[] = {{0, 0}, {10, 0}, {0, 10}};
    const TRegion polygon = TRegion::FromPolygon(tri, 3);
    EXPECT_TRUE(polygon.Contains(1, 1));
    EXPECT_FALSE(polygon.Contains(8, 8));
    const TRegion round = TRegion::FromRoundRect(Rect(0, 0, 20, 20), 10, 10);
    EXPECT_FALSE(round.Contains(0, 0));
    EXPECT_TRUE(round.Contains(10, 0));
    EXPECT_TRUE(round.Contains(19, 10));
    EXPECT_FALSE(round.Contains(20, 10));
    EXPECT_TRUE(TRegion::FromPolygon(tri, 2).IsEmpty());
}

TEST(CanvasClipping, PolygonRegionCoversThePixelsAPolygonFills)
{
    const std::vector<std::vector<TPoint>> shapes = {
        {{3, 2}, {30, 7}, {12, 25}},
        {{0, 0}, {20, 0}, {20, 20}, {10, 5}, {0, 20}},
        {{5, 5}, {35, 5}, {5, 25}, {35, 25}}, // self-crossing: alternate fill
    };
    for (const auto& pts : shapes) {
        Surface s;
        s.c.Pen().SetStyle(psClear);
        s.c.Brush().SetColor(clRed);
        s.c.Polygon(pts);
        const TRegion region = TRegion::FromPolygon(pts.data(), static_cast<int>(pts.size()));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                EXPECT_EQ(region.Contains(x, y), s.c.Pixel(x, y) == clRed) << x << "," << y;
    }
}

TEST(CanvasPaths, FillStrokeAndClipToARecordedPath)
{
    Surface s;
    s.c.BeginPath();
    s.c.Rectangle(5, 5, 15, 15);
    s.c.EndPath();
    s.c.Brush().SetColor(clRed);
    s.c.FillPath();
    EXPECT_EQ(s.Row(10, 4, 15, clRed), ".#########..");
    // The path was used up.
    s.c.Brush().SetColor(clBlue);
    s.c.FillPath();
    EXPECT_EQ(s.Count(clBlue), 0);

    Surface t;
    t.c.BeginPath();
    t.c.Ellipse(0, 0, 20, 20);
    t.c.EndPath();
    t.c.SelectClipPath(RGN_AND);
    t.c.Brush().SetColor(clRed);
    t.c.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(t.c.Pixel(10, 10), clRed);
    EXPECT_EQ(t.c.Pixel(0, 0), clWhite);
    EXPECT_EQ(t.c.Pixel(25, 10), clWhite);
}

TEST(CanvasPaths, StrokeAndStrokeAndFillAPolygonPath)
{
    const TPoint box[] = {{5, 5}, {15, 5}, {15, 15}, {5, 15}};
    Surface s;
    s.c.Brush().SetColor(clRed);
    s.c.BeginPath();
    s.c.Polygon(box, 4);
    s.c.EndPath();
    s.c.StrokePath();
    EXPECT_EQ(s.Row(5, 4, 16), ".###########.");
    EXPECT_EQ(s.Row(10, 4, 16), ".#.........#.");
    EXPECT_EQ(s.Column(15, 4, 16), ".###########.");
    EXPECT_EQ(s.Count(clRed), 0);

    Surface t;
    t.c.Brush().SetColor(clRed);
    t.c.BeginPath();
    t.c.Polygon(box, 4);
    t.c.EndPath();
    t.c.StrokeAndFillPath();
    EXPECT_EQ(t.Row(5, 4, 16), ".###########.");
    EXPECT_EQ(t.Row(10, 4, 16), ".#?????????#.");
    EXPECT_EQ(t.Count(clRed), 9 * 9);
    // The path was used up.
    t.c.Pen().SetColor(clBlue);
    t.c.StrokePath();
    EXPECT_EQ(t.Count(clBlue), 0);
}

TEST(CanvasPaths, WidenedPathCoversTheStroke)
{
    Surface s;
    s.c.Pen().SetWidth(5);
    s.c.BeginPath();
    s.c.MoveTo(5, 15);
    s.c.LineTo(35, 15);
    s.c.EndPath();
    s.c.WidenPath();
    s.c.Brush().SetColor(clRed);
    s.c.FillPath();
    EXPECT_EQ(s.Column(20, 11, 19, clRed), "..#####..");
}

TEST(CanvasPaths, TextIsRecordedAsOutlines)
{
    Surface s(80, 40);
    s.c.Font().SetHeight(-24);
    s.c.BeginPath();
    s.c.TextOut(2, 2, "W");
    s.c.EndPath();
    EXPECT_EQ(s.Count(clBlack), 0);
    s.c.Brush().SetColor(clRed);
    s.c.FillPath();
    EXPECT_GT(s.Count(clRed), 20);
}

TEST(CanvasText, ExtentAndAlignment)
{
    Surface s(200, 60);
    s.c.Font().SetName("Arial");
    s.c.Font().SetSize(10);
    const TSize ext = s.c.TextExtent("Hello");
    EXPECT_GT(ext.cx, 10);
    EXPECT_GT(ext.cy, 8);
    EXPECT_EQ(s.c.TextWidth("Hello"), ext.cx);
    EXPECT_EQ(s.c.TextHeight("Hello"), ext.cy);
    EXPECT_EQ(s.c.TextWidth(""), 0);

    // Inter-character spacing adds to every character.
    s.c.SetTextCharacterExtra(2);
    EXPECT_EQ(s.c.TextWidth("Hello"), ext.cx + 10);
    s.c.SetTextCharacterExtra(0);

    // Right alignment ends the text at x; transparent background leaves the rest white.
    s.c.Brush().SetStyle(bsClear);
    s.c.SetTextAlign(TA_RIGHT | TA_TOP);
    s.c.TextOut(100, 5, "Hello");
    int minX = 1000, maxX = -1, minY = 1000;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (s.c.Pixel(x, y) != clWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
            }
    EXPECT_LT(maxX, 100);
    EXPECT_GE(minX, 100 - ext.cx);
    EXPECT_GE(minY, 5);

    // Baseline alignment puts the glyphs above y.
    Surface b(200, 60);
    b.c.Font().SetSize(10);
    b.c.Brush().SetStyle(bsClear);
    b.c.SetTextAlign(TA_LEFT | TA_BASELINE);
    b.c.TextOut(10, 30, "H");
    EXPECT_EQ(b.Row(30, 0, 199).find('#'), std::string::npos);
    EXPECT_NE(b.Row(29, 0, 199).find('#'), std::string::npos);
}

namespace {

// Bounding box of the pixels that are not white: (minX, minY, maxX + 1, maxY + 1).
TRect InkBounds(TCanvas& c, int width, int height)
{
    TRect r = Rect(width, height, -1, -1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (c.Pixel(x, y) != clWhite) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

} // namespace

TEST(CanvasText, CentreAndBottomAlignment)
{
    Surface s(200, 60);
    s.c.Font().SetSize(10);
    s.c.Brush().SetStyle(bsClear);
    const TSize ext = s.c.TextExtent("Hello");
    s.c.SetTextAlign(TA_CENTER | TA_BOTTOM);
    s.c.TextOut(100, 40, "Hello");
    const TRect ink = InkBounds(s.c, 200, 60);
    EXPECT_GE(ink.Left, 100 - ext.cx / 2);
    EXPECT_LE(ink.Right, 100 - ext.cx / 2 + ext.cx);
    EXPECT_LT(ink.Left, 100 - ext.cx / 4);  // reaches well left of x
    EXPECT_GT(ink.Right, 100 + ext.cx / 4); // and well right of it
    EXPECT_LE(ink.Bottom, 40);
    EXPECT_GE(ink.Top, 40 - ext.cy);
}

TEST(CanvasText, OpaqueTextFillsItsCell)
{
    Surface s(100, 40);
    s.c.Brush().SetColor(clYellow); // opaque, background yellow
    s.c.TextOut(10, 10, "ab");
    const TSize ext = s.c.TextExtent("ab");
    EXPECT_EQ(s.c.Pixel(10, 10), clYellow);
    EXPECT_EQ(s.c.Pixel(10 + ext.cx - 1, 10 + ext.cy - 1), clYellow);
    EXPECT_EQ(s.c.Pixel(10 + ext.cx, 10), clWhite);
    EXPECT_EQ(s.c.PenPos(), Point(10 + ext.cx, 10));
}

TEST(CanvasText, DrawTextCentresAndMeasures)
{
    Surface s(200, 60);
    s.c.Font().SetSize(10);
    TRect calc = Rect(5, 5, 200, 5);
    const int h = s.c.DrawText("&Simulation", calc, DT_CALCRECT);
    const TSize ext = s.c.TextExtent("Simulation");
    EXPECT_EQ(calc, Rect(5, 5, 5 + ext.cx, 5 + ext.cy));
    EXPECT_EQ(h, ext.cy);

    s.c.Brush().SetStyle(bsClear);
    TRect box = Rect(0, 0, 200, 60);
    s.c.DrawText("Simulation", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    int minX = 1000, maxX = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (s.c.Pixel(x, y) != clWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    const int left = (200 - ext.cx) / 2;
    EXPECT_GE(minX, left);
    EXPECT_LE(maxX, left + ext.cx);
    EXPECT_LE(std::abs((minX + maxX) / 2 - 100), 3);
    // Vertically the text cell sits in the middle of the rectangle.
    const TRect ink = InkBounds(s.c, 200, 60);
    const int top = (60 - ext.cy) / 2;
    EXPECT_GE(ink.Top, top);
    EXPECT_LE(ink.Bottom, top + ext.cy);

    // DT_BOTTOM puts the cell on the rectangle's bottom edge; DT_RIGHT on its right edge.
    Surface b(200, 60);
    b.c.Font().SetSize(10);
    b.c.Brush().SetStyle(bsClear);
    TRect corner = Rect(0, 0, 150, 50);
    b.c.DrawText("Simulation", corner, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const TRect placed = InkBounds(b.c, 200, 60);
    EXPECT_GE(placed.Top, 50 - ext.cy);
    EXPECT_LE(placed.Bottom, 50);
    EXPECT_GE(placed.Left, 150 - ext.cx);
    EXPECT_LE(placed.Right, 150);
    EXPECT_GT(placed.Right, 150 - ext.cx / 4);
}

TEST(CanvasCopies, CopyRectDrawAndBrushCopy)
{
    TBitmap source(4, 4);
    source.Canvas().Brush().SetColor(clRed);
    source.Canvas().FillRect(Rect(0, 0, 4, 4));
    source.Canvas().SetPixel(0, 3, clBlack); // bottom-left: the transparent colour
    source.Canvas().SetPixel(2, 2, clBlack);
    EXPECT_EQ(source.TransparentColor(), clBlack);

    Surface s;
    BitBlt(s.c, 10, 10, 4, 4, source.Canvas(), 0, 0);
    EXPECT_EQ(s.c.Pixel(10, 10), clRed);
    EXPECT_EQ(s.c.Pixel(12, 12), clBlack);
    EXPECT_EQ(s.c.Pixel(14, 14), clWhite);

    // Clear brush: the transparent pixels let the background through.
    s.c.Brush().SetColor(clBlue);
    s.c.FillRect(Rect(20, 0, 30, 10));
    s.c.Brush().SetStyle(bsClear);
    s.c.BrushCopy(Rect(20, 0, 24, 4), source, Rect(0, 0, 4, 4), source.TransparentColor());
    EXPECT_EQ(s.c.Pixel(22, 2), clBlue);
    EXPECT_EQ(s.c.Pixel(21, 1), clRed);
    // Solid brush: the transparent pixels take the brush colour.
    s.c.Brush().SetStyle(bsSolid);
    s.c.Brush().SetColor(clLime);
    s.c.BrushCopy(Rect(25, 0, 29, 4), source, Rect(0, 0, 4, 4), clBlack);
    EXPECT_EQ(s.c.Pixel(27, 2), clLime);
    EXPECT_EQ(s.c.Pixel(26, 1), clRed);

    // StretchDraw doubles; a transparent bitmap skips its transparent colour.
    s.c.StretchDraw(Rect(0, 20, 8, 28), source);
    EXPECT_EQ(s.c.Pixel(5, 25), clBlack);
    EXPECT_EQ(s.c.Pixel(7, 27), clRed);
    source.SetTransparent(true);
    s.c.Draw(30, 20, source);
    EXPECT_EQ(s.c.Pixel(32, 22), clWhite);
    EXPECT_EQ(s.c.Pixel(31, 21), clRed);

    // A copy inside one bitmap reads the pixels as they were.
    s.c.CopyRect(Rect(11, 10, 15, 14), s.c, Rect(10, 10, 14, 14));
    EXPECT_EQ(s.c.Pixel(13, 12), clBlack);
    EXPECT_EQ(s.c.Pixel(11, 10), clRed);

    // Drawing a bitmap onto its own canvas reads the pixels as they were.
    s.c.Draw(-1, 0, s.bitmap);
    EXPECT_EQ(s.c.Pixel(12, 12), clBlack); // (13, 12) before
    EXPECT_EQ(s.c.Pixel(10, 10), clRed);   // (11, 10) before
    EXPECT_EQ(s.c.Pixel(13, 12), clRed);   // (14, 12) before
    s.c.Brush().SetBitmap(&s.bitmap);
    s.c.FillRect(Rect(30, 25, 34, 29));
    s.c.Brush().SetBitmap(nullptr);
    EXPECT_EQ(s.c.Pixel(30, 25), clWhite);
}

TEST(CanvasCoordinates, WindowOriginShiftsDrawing)
{
    Surface s;
    s.c.SetWindowOrg(10, 5);
    EXPECT_EQ(s.c.LPtoDP(Point(10, 5)), Point(0, 0));
    EXPECT_EQ(s.c.DPtoLP(Point(0, 0)), Point(10, 5));
    s.c.MoveTo(12, 7);
    s.c.LineTo(20, 7);
    s.c.SetWindowOrg(0, 0);
    EXPECT_EQ(s.Row(2, 1, 10), ".########.");
}
