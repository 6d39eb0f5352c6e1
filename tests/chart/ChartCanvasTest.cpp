// Chart canvas: pen, brush and font selection, clipping, text and buffering, checked on the
// pixels of a bitmap.
#include "chart/ChartCanvas.h"

#include <QImage>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A bitmap filled with a background colour and a chart canvas drawing on it.
struct Surface
{
    TBitmap bitmap;
    TChartCanvas3D canvas;

    Surface(int width, int height, TColor background = clSilver) : bitmap(width, height)
    {
        Fill(background);
        canvas.AttachSurface(bitmap.Canvas());
    }
    void Fill(TColor color)
    {
        TCanvas& c = bitmap.Canvas();
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(color);
        c.FillRect({0, 0, bitmap.Width(), bitmap.Height()});
    }
    TColor At(int x, int y) const { return bitmap.Canvas().Pixel(x, y); }
    // The pixels as rows of characters: '.' for the background, '#' for colour c, '?' else.
    std::vector<std::string> Map(TColor c, TColor background = clSilver) const
    {
        std::vector<std::string> rows;
        for (int y = 0; y < bitmap.Height(); ++y) {
            std::string row;
            for (int x = 0; x < bitmap.Width(); ++x) {
                const TColor p = At(x, y);
                row += p == background ? '.' : (p == c ? '#' : '?');
            }
            rows.push_back(row);
        }
        return rows;
    }
    // Bounding box of the pixels that differ from the background (Right/Bottom exclusive).
    TRect Changed(TColor background = clSilver) const
    {
        TRect r{bitmap.Width(), bitmap.Height(), 0, 0};
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                if (At(x, y) != background) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
};

// Bounding box of the pixels of one colour (empty: Right 0).
TRect BoundsOfColor(const Surface& s, TColor color)
{
    TRect r{s.bitmap.Width(), s.bitmap.Height(), 0, 0};
    for (int y = 0; y < s.bitmap.Height(); ++y)
        for (int x = 0; x < s.bitmap.Width(); ++x)
            if (s.At(x, y) == color) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

QImage ImageOf(const TBitmap& b)
{
    return b.Image().copy();
}

} // namespace

TEST(ChartCanvas, ClipPlotAreaKeepsInsideOfPlotAndUnclipRestoresTheEarlierClip)
{
    Surface s(130, 140);
    TChartCanvas3D& c = s.canvas;
    // A clip already in force: the left 100 columns.
    c.ClipToRect({0, 0, 100, 140});
    c.Unclip(); // no clip before: Unclip removes all clipping
    c.Brush().SetColor(clRed);
    c.Brush().SetStyle(bsSolid);
    c.ClipPlotArea({10, 20, 110, 121}, 0, 0);
    c.FillRect({0, 0, 130, 140});
    EXPECT_EQ(s.Changed(), (TRect{11, 21, 110, 120})); // x 11..109, y 21..119 inclusive
    c.Unclip();

    // With a clip in force, the plot clip intersects it and Unclip brings it back.
    s.Fill(clSilver);
    s.bitmap.Canvas().IntersectClipRect({0, 0, 50, 140});
    c.Brush().SetColor(clRed);
    c.ClipPlotArea({10, 20, 110, 121}, 0, 0);
    c.FillRect({0, 0, 130, 140});
    EXPECT_EQ(s.Changed(), (TRect{11, 21, 50, 120}));
    c.Unclip();
    c.Brush().SetColor(clBlue);
    c.FillRect({0, 0, 130, 10});
    EXPECT_EQ(s.At(49, 5), clBlue);
    EXPECT_EQ(s.At(50, 5), clSilver);
}

TEST(ChartCanvas, InvisiblePenDrawsNoOutlineButFillsAndSmallDotsAlternate)
{
    Surface s(40, 30);
    TChartCanvas3D& c = s.canvas;
    TChartHiddenPen hidden;
    hidden.SetColor(clBlue);
    hidden.SetWidth(3);
    TChartBrush brush;
    brush.SetStyle(bsSolid);
    c.SelectPen(hidden);
    c.SelectBrush(brush, clYellow);
    c.Rectangle(5, 5, 15, 15);
    c.Line(0, 25, 39, 25);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_NE(s.At(x, y), clBlue) << x << "," << y;
    EXPECT_EQ(s.At(5, 5), clYellow);
    EXPECT_EQ(s.At(13, 13), clYellow);
    EXPECT_EQ(s.At(20, 25), clSilver);

    // SmallDots draws every other pixel whatever the width and style.
    s.Fill(clSilver);
    TChartPen dots;
    dots.SetSmallDots(true);
    dots.SetWidth(5);
    dots.SetStyle(psDashDot);
    dots.SetColor(clRed);
    c.SelectPen(dots);
    c.Line(2, 10, 32, 10);
    std::string row;
    for (int x = 0; x < 40; ++x)
        row += s.At(x, 10) == clRed ? '#' : '.';
    EXPECT_EQ(row, "..#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.........");
    EXPECT_EQ(s.Changed(), (TRect{2, 10, 31, 11}));
}

TEST(ChartCanvas, EndStyleShapesOnlyWidePensAndThePlainPathIgnoresChartAttributes)
{
    auto draw = [](int width, TPenEndStyle end, bool extended) {
        Surface s(40, 30);
        const bool saved = ExtendedPensSupported;
        ExtendedPensSupported = extended;
        TChartPen pen;
        pen.SetWidth(width);
        pen.SetEndStyle(end);
        pen.SetColor(clBlue);
        s.canvas.SelectPen(pen);
        s.canvas.Line(8, 15, 30, 15);
        s.canvas.Line(8, 5, 30, 25);
        ExtendedPensSupported = saved;
        return ImageOf(s.bitmap);
    };
    // Width 1: every end style gives the same pixels, those of a plain runtime pen.
    const QImage round1 = draw(1, esRound, true);
    EXPECT_EQ(round1, draw(1, esFlat, true));
    EXPECT_EQ(round1, draw(1, esSquare, true));
    Surface plain(40, 30);
    TPen runtimePen;
    runtimePen.SetColor(clBlue);
    plain.canvas.SelectPen(runtimePen);
    plain.canvas.Line(8, 15, 30, 15);
    plain.canvas.Line(8, 5, 30, 25);
    EXPECT_EQ(round1, ImageOf(plain.bitmap));

    // Width 5: flat ends stop at the end points, square ends reach half the width beyond.
    Surface flat(40, 30), square(40, 30);
    for (Surface* s : {&flat, &square}) {
        TChartPen pen;
        pen.SetWidth(5);
        pen.SetColor(clBlue);
        pen.SetEndStyle(s == &flat ? esFlat : esSquare);
        s->canvas.SelectPen(pen);
        s->canvas.Line(10, 15, 30, 15);
    }
    EXPECT_EQ(flat.Changed().Left, 10);
    EXPECT_EQ(square.Changed().Left, 8);
    EXPECT_EQ(flat.Changed().Height(), 5);
    EXPECT_NE(ImageOf(flat.bitmap), ImageOf(square.bitmap));
    // Without extended pens end styles have no effect at all.
    EXPECT_EQ(draw(5, esFlat, false), draw(5, esSquare, false));

    // Monochrome turns pen colours black.
    Surface mono(40, 30);
    mono.canvas.SetMonochrome(true);
    TChartPen red;
    red.SetColor(clRed);
    mono.canvas.SelectPen(red);
    mono.canvas.Line(0, 0, 10, 0);
    EXPECT_EQ(mono.At(5, 0), clBlack);
}

TEST(ChartCanvas, DottedPenOverClearWhiteBrushDrawsContinuousLineOnWhiteBackground)
{
    Surface s(50, 30);
    TChartCanvas3D& c = s.canvas;
    TChartPen dotted;
    dotted.SetColor(clRed);
    dotted.SetStyle(psDot);
    TChartBrush brush;
    brush.SetColor(clWhite);
    brush.SetStyle(bsClear);
    c.SelectPen(dotted);
    c.SelectBrush(brush, clBlack);
    EXPECT_EQ(c.BackgroundMode(), OPAQUE);
    EXPECT_EQ(c.BackColor(), clWhite);
    c.Rectangle(5, 5, 45, 25);
    // The top edge is unbroken: pen colour and white alternate, the silver never shows.
    int red = 0, white = 0;
    for (int x = 5; x < 45; ++x) {
        const TColor p = s.At(x, 5);
        ASSERT_TRUE(p == clRed || p == clWhite) << x;
        (p == clRed ? red : white)++;
    }
    EXPECT_GT(red, 10);
    EXPECT_GT(white, 10);
    EXPECT_EQ(s.At(20, 15), clSilver); // interior not filled

    // A picture brush tiles the picture, with an opaque background in the back colour; text
    // drawn after it keeps the font's colour.
    Surface tiled(50, 30);
    TChartBrush picture;
    picture.Image().SetSize(2, 2);
    picture.Image().Canvas().Brush().SetColor(clLime);
    picture.Image().Canvas().FillRect({0, 0, 2, 2});
    TChartFont blue;
    blue.SetColor(clBlue);
    tiled.canvas.SelectFont(blue);
    tiled.canvas.SelectBrushColors(picture, clRed, clYellow);
    EXPECT_EQ(tiled.canvas.BackgroundMode(), OPAQUE);
    EXPECT_EQ(tiled.canvas.BackColor(), clYellow);
    tiled.canvas.FillRect({0, 0, 10, 10});
    EXPECT_EQ(tiled.At(5, 5), clLime);
    tiled.canvas.SetBackgroundMode(TRANSPARENT);
    tiled.canvas.TextOut(15, 5, "W");
    EXPECT_EQ(BoundsOfColor(tiled, clRed).Right, 0);
    EXPECT_GT(BoundsOfColor(tiled, clBlue).Right, 15);

    // A back colour of clNone leaves the gaps transparent.
    s.Fill(clSilver);
    c.SelectBrushColors(brush, clBlack, clNone);
    EXPECT_EQ(c.BackgroundMode(), TRANSPARENT);
    c.SelectPen(dotted);
    c.Line(5, 5, 45, 5);
    int silver = 0;
    for (int x = 5; x < 45; ++x)
        silver += s.At(x, 5) == clSilver;
    EXPECT_GT(silver, 10);
}

TEST(ChartCanvas, PolygonPolylineAndDepthRectangleTakeTheLastIndex)
{
    Surface s(30, 30);
    TChartCanvas3D& c = s.canvas;
    TChartPen pen;
    pen.SetColor(clBlue);
    TChartBrush brush;
    brush.SetStyle(bsClear);
    c.SelectPen(pen);
    c.SelectBrush(brush, clWhite);
    const TPoint pts[5] = {{5, 5}, {20, 5}, {20, 20}, {5, 20}, {28, 28}};
    c.Polygon(pts, 3);               // four points: a closed square, the fifth point unused
    EXPECT_EQ(s.At(5, 12), clBlue);  // closing edge back to the first point
    EXPECT_EQ(s.At(20, 12), clBlue); // second edge
    EXPECT_EQ(s.Changed(), (TRect{5, 5, 21, 21}));

    // A depth rectangle in a flat chart is the same four-point polygon.
    Surface d(30, 30);
    d.canvas.SelectPen(pen);
    d.canvas.SelectBrush(brush, clWhite);
    d.canvas.RectangleAtDepth({5, 5, 20, 20}, 0);
    EXPECT_EQ(ImageOf(s.bitmap), ImageOf(d.bitmap));

    // Polyline with last index 1 draws one segment without its end point.
    Surface p(30, 30);
    p.canvas.SelectPen(pen);
    p.canvas.Polyline(pts, 1);
    EXPECT_EQ(p.Changed(), (TRect{5, 5, 20, 6}));
    p.canvas.Polyline(pts, -1); // nothing
    EXPECT_EQ(p.Changed(), (TRect{5, 5, 20, 6}));
}

TEST(ChartCanvas, ResetDrawingStateGivesBlackOnePixelSolidLines)
{
    Surface s(40, 30);
    TChartCanvas3D& c = s.canvas;
    TChartPen wide;
    wide.SetWidth(4);
    wide.SetStyle(psDash);
    wide.SetColor(clYellow);
    c.SelectPen(wide);
    TChartBrush brush;
    brush.SetStyle(bsClear);
    c.SelectBrush(brush, clRed);
    c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    c.ResetDrawingState();
    EXPECT_EQ(c.Pen().Color(), clBlack);
    EXPECT_EQ(c.Pen().Width(), 1);
    EXPECT_EQ(c.Pen().Style(), psSolid);
    EXPECT_EQ(c.Brush().Color(), clWhite);
    EXPECT_EQ(c.Brush().Style(), bsSolid);
    EXPECT_EQ(c.Font().Size(), 10);
    EXPECT_EQ(c.BackgroundMode(), TRANSPARENT);
    EXPECT_EQ(c.TextAlign(), 0u);
    c.MoveTo(5, 10);
    c.LineTo(35, 10);
    c.MoveTo(20, 2);
    c.LineTo(20, 28);
    const auto map = s.Map(clBlack);
    EXPECT_EQ(map[10], ".....##############################.....");
    EXPECT_EQ(map[9], "....................#...................");
    EXPECT_EQ(map[11], "....................#...................");
    EXPECT_EQ(s.Changed(), (TRect{5, 2, 35, 28}));

    // Text after the reset: black, without the shadow of the chart font selected before.
    Surface t(60, 30);
    TChartFont shadowed;
    shadowed.SetColor(clBlue);
    shadowed.Shadow().SetColor(clRed);
    shadowed.Shadow().SetSize(2);
    t.canvas.SelectFont(shadowed);
    t.canvas.ResetDrawingState();
    EXPECT_EQ(t.canvas.CurrentChartFont(), nullptr);
    t.canvas.TextOut(2, 2, "Wx");
    EXPECT_GT(t.Changed().Right, 2);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            // Black glyphs with grayscale edges on silver: grays only, no blue, no red.
            ASSERT_TRUE(GetRValue(t.At(x, y)) == GetGValue(t.At(x, y)) &&
                        GetGValue(t.At(x, y)) == GetBValue(t.At(x, y)))
                << x << "," << y;
}

TEST(ChartCanvas, SelectFontQuantisesToWholePointsAndScales)
{
    Surface s(10, 10);
    TChartCanvas3D& c = s.canvas;
    TChartFont title;
    title.SetHeight(-18);
    c.SelectFont(title);
    EXPECT_EQ(c.Font().Height(), -18); // 11 points at 120 pixels per inch
    EXPECT_EQ(c.CurrentChartFont(), &title);

    // At 96 pixels per inch the same height is 14 points and drawn with height -19.
    c.Font().SetPixelsPerInch(96);
    TChartFont small;
    small.SetHeight(-18);
    c.SelectFont(small);
    EXPECT_EQ(c.Font().Size(), 14);
    EXPECT_EQ(c.Font().Height(), -19);
    c.Font().SetPixelsPerInch(120);

    // 11 points at 150 percent: 16.5 rounds to even, 16 points.
    c.SetFontScalePercent(150);
    c.SelectFont(title);
    EXPECT_EQ(c.Font().Size(), 16);
    c.SetFontScalePercent(100);

    // Defaults: Arial 8 points black; monochrome forces black text.
    TChartFont plain;
    EXPECT_EQ(plain.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(plain.Size(), 8);
    EXPECT_EQ(plain.Color(), clBlack);
    plain.SetColor(clRed);
    plain.SetInterCharSize(2);
    c.SetMonochrome(true);
    c.SelectFont(plain);
    EXPECT_EQ(c.Font().Color(), clBlack);
    EXPECT_EQ(c.Surface()->TextCharacterExtra(), 2);
}

namespace {

// True when the channel picked by part is the pixel's strongest by far: a glyph pixel of that
// colour at least half covered (glyph edges are grayscale blends).
bool Mostly(TColor pixel, int (*part)(TColor))
{
    const int r = GetRValue(pixel);
    const int g = GetGValue(pixel);
    const int b = GetBValue(pixel);
    const int own = part(pixel);
    return own >= 128 && r + g + b - own <= own;
}

} // namespace

TEST(ChartCanvas, TextMeasuresFollowFontChangesAndShadowSizes)
{
    Surface s(120, 40, clWhite);
    TChartCanvas3D& c = s.canvas;
    TChartFont font;
    c.SelectFont(font);
    const int narrow = c.MeasureTextWidth("Power 100%");
    EXPECT_EQ(narrow, s.bitmap.Canvas().TextWidth(QStringLiteral("Power 100%")));
    TChartFont big;
    big.SetSize(16);
    big.SetStyle(fsBold);
    c.SelectFont(big);
    const int wide = c.MeasureTextWidth("Power 100%");
    EXPECT_GT(wide, narrow); // the cached width of the small font is not reused
    EXPECT_EQ(c.FontHeight(), s.bitmap.Canvas().TextHeight(QStringLiteral("W")));
    c.SelectFont(font);
    EXPECT_EQ(c.MeasureTextWidth("Power 100%"), narrow);

    // A shadow adds its absolute sizes to the measures and draws the text twice: shadow below
    // right, text at the given point in the font colour.
    TChartFont shadowed;
    shadowed.SetColor(clBlue);
    shadowed.Shadow().SetColor(clRed);
    shadowed.Shadow().SetHorizSize(3);
    shadowed.Shadow().SetVertSize(-2);
    c.SelectFont(shadowed);
    EXPECT_EQ(c.MeasureTextWidth("I"), s.bitmap.Canvas().TextWidth(QStringLiteral("I")) + 3);
    EXPECT_EQ(c.TextHeight("I"), s.bitmap.Canvas().TextHeight(QStringLiteral("I")) + 2);
    c.SetBackgroundMode(TRANSPARENT);
    c.TextOut(10, 10, "I");
    const TRect blue = [&] {
        TRect r{1000, 1000, 0, 0};
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                if (Mostly(s.At(x, y), GetBValue)) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }();
    ASSERT_LT(blue.Left, blue.Right);
    // The negative vertical size moves the text down by 2; the shadow stays at y 10 and is
    // drawn 3 to the right.
    bool shadowSeen = false;
    for (int y = blue.Top - 2; y < blue.Bottom - 2; ++y)
        for (int x = blue.Left + 3; x < blue.Right + 3; ++x)
            shadowSeen = shadowSeen || Mostly(s.At(x, y), GetRValue);
    EXPECT_TRUE(shadowSeen);
    Surface plainText(120, 40, clWhite);
    TChartFont blueFont;
    blueFont.SetColor(clBlue);
    plainText.canvas.SelectFont(blueFont);
    plainText.canvas.SetBackgroundMode(TRANSPARENT);
    plainText.canvas.TextOut(10, 10, "I");
    EXPECT_EQ(plainText.Changed(clWhite).Top + 2, blue.Top);
}

TEST(ChartCanvas, OutlinedTextStrokesTheGlyphOutlines)
{
    Surface s(120, 40, clWhite);
    TChartCanvas3D& c = s.canvas;
    TChartFont font;
    font.SetSize(20);
    font.SetColor(clYellow);
    font.OutLine().SetVisible(true);
    font.OutLine().SetColor(clRed);
    c.SelectFont(font);
    c.TextOut(5, 2, "O");
    int red = 0, yellow = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            red += s.At(x, y) == clRed;
            yellow += s.At(x, y) == clYellow;
        }
    EXPECT_GT(red, 20);    // outline
    EXPECT_GT(yellow, 10); // fill inside the outline
}

TEST(ChartCanvas, BufferedPaintCopiesToTargetAndRepaintsFromCleanBuffer)
{
    TBitmap screen(60, 40);
    TChartCanvas3D c;
    c.AttachSurface(screen.Canvas());
    EXPECT_TRUE(c.Dirty());
    EXPECT_FALSE(c.PaintFromBuffer()); // no buffer yet

    const TRect drawing = c.BeginDraw(screen.Canvas(), nullptr, false, {10, 5, 40, 25});
    EXPECT_EQ(drawing, (TRect{0, 0, 30, 20}));
    ASSERT_NE(c.BufferBitmap(), nullptr);
    EXPECT_EQ(c.BufferBitmap()->Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(c.Surface(), &c.BufferBitmap()->Canvas());
    c.Brush().SetColor(clRed);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(drawing);
    EXPECT_EQ(screen.Canvas().Pixel(15, 10), clWhite); // nothing on the screen yet
    c.EndDraw(screen.Canvas(), screen.Canvas(), {10, 5, 40, 25});
    EXPECT_FALSE(c.Dirty());
    EXPECT_EQ(c.Surface(), &screen.Canvas());
    EXPECT_EQ(screen.Canvas().Pixel(10, 5), clRed);
    EXPECT_EQ(screen.Canvas().Pixel(39, 24), clRed);
    EXPECT_EQ(screen.Canvas().Pixel(40, 24), clWhite);

    // Uncovering: a clean buffer is copied again at the origin.
    TBitmap uncovered(60, 40);
    c.AttachSurface(uncovered.Canvas());
    EXPECT_TRUE(c.PaintFromBuffer());
    EXPECT_EQ(uncovered.Canvas().Pixel(0, 0), clRed);
    EXPECT_EQ(uncovered.Canvas().Pixel(29, 19), clRed);
    EXPECT_EQ(uncovered.Canvas().Pixel(30, 19), clWhite);
    c.MarkDirty();
    EXPECT_FALSE(c.PaintFromBuffer());

    // Unbuffered: the buffer goes, drawing lands on the target directly.
    c.SetBuffered(false);
    EXPECT_EQ(c.BufferBitmap(), nullptr);
    EXPECT_TRUE(c.Dirty());
    EXPECT_EQ(c.BeginDraw(screen.Canvas(), nullptr, false, {10, 5, 40, 25}),
              (TRect{10, 5, 40, 25}));
    EXPECT_EQ(c.Surface(), &screen.Canvas());
}

TEST(ChartCanvas, BevelFrameDrawsTwoColouredFramesAndShrinks)
{
    Surface s(12, 10);
    TRect r{1, 1, 11, 9};
    s.canvas.BevelFrame(r, clWhite, 2, clGray);
    EXPECT_EQ(r, (TRect{3, 3, 9, 7}));
    const std::vector<std::string> expected = {
        "............", //
        ".WWWWWWWWWG.", //
        ".WWWWWWWWGG.", //
        ".WW......GG.", //
        ".WW......GG.", //
        ".WW......GG.", //
        ".WW......GG.", //
        ".WGGGGGGGGG.", //
        ".GGGGGGGGGG.", //
        "............",
    };
    for (int y = 0; y < 10; ++y) {
        std::string row;
        for (int x = 0; x < 12; ++x) {
            const TColor p = s.At(x, y);
            row += p == clWhite ? 'W' : (p == clGray ? 'G' : '.');
        }
        EXPECT_EQ(row, expected[static_cast<size_t>(y)]) << "row " << y;
    }

    // A band wider than the rectangle stops when nothing is left inside: the same pixels as
    // the frames that fit, without running the whole width.
    Surface fit(12, 10), wide(12, 10);
    TRect a{1, 1, 11, 9}, b{1, 1, 11, 9};
    fit.canvas.BevelFrame(a, clWhite, 4, clGray);
    wide.canvas.BevelFrame(b, clWhite, 2000000000, clGray);
    EXPECT_EQ(a, b);
    EXPECT_EQ(ImageOf(fit.bitmap), ImageOf(wide.bitmap));
}

TEST(ChartCanvas, ChartPenVariantsAndChangeNotification)
{
    TChartHiddenPen hidden;
    TDottedGrayPen dotted;
    TDarkGrayPen dark;
    TChartAxisPen axis;
    TWhitePen white;
    EXPECT_FALSE(hidden.Visible());
    EXPECT_FALSE(hidden.IsVisibleStored());
    EXPECT_TRUE(dotted.Visible());
    EXPECT_EQ(dotted.Color(), 0x808080);
    EXPECT_EQ(dotted.Style(), psDot);
    EXPECT_EQ(dark.Color(), 0x808080);
    EXPECT_EQ(dark.Style(), psSolid);
    EXPECT_EQ(axis.Width(), 2);
    EXPECT_EQ(white.Color(), clWhite);

    int changes = 0;
    hidden.OnChange = [&](TPen*) { ++changes; };
    hidden.SetVisible(true);
    hidden.SetVisible(true); // unchanged: no notification
    EXPECT_TRUE(hidden.IsVisibleStored());
    hidden.SetColor(clRed);
    hidden.SetEndStyle(esFlat);
    hidden.Assign(axis); // one notification for the whole copy
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(hidden.Width(), 2);
    EXPECT_EQ(hidden.EndStyle(), esRound);

    TChartBrush brush;
    EXPECT_EQ(brush.Color(), clDefault);
    EXPECT_FALSE(brush.HasImage());
    brush.Image();
    EXPECT_FALSE(brush.HasImage()); // created empty on first read
}
