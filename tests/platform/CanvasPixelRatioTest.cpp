// Drawing on bitmaps of a device pixel ratio above 1: the same logical picture as at ratio 1,
// drawn at device resolution.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Raster.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

constexpr int W = 60;
constexpr int H = 40;
// Where the scene's text goes.
const TRect TextArea = Rect(4, 24, W, H);
// Where its slanted line and its ellipse go: one-pixel lines off the axes are traced at device
// resolution, so there the picture follows the ratio-1 one only to within a logical pixel.
// Everything else is axis-aligned geometry.
const TRect TracedAreas[] = {Rect(4, 4, 27, 15), Rect(31, 12, 51, 23)};

// A picture of lines, outlines, fills, a clip, a copied 1x bitmap and text.
void DrawScene(TCanvas& c)
{
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, W, H));
    c.Pen().SetColor(clBlack);
    c.MoveTo(2, 2);
    c.LineTo(30, 2); // horizontal
    c.MoveTo(2, 4);
    c.LineTo(2, 20); // vertical
    c.MoveTo(5, 5);
    c.LineTo(25, 13); // slanted
    c.Pen().SetColor(clRed);
    c.Brush().SetColor(clYellow);
    c.Rectangle(32, 3, 45, 12);
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(47, 3, 58, 9));
    c.Brush().SetStyle(bsClear);
    c.Pen().SetColor(clGreen);
    c.Ellipse(32, 13, 50, 22);
    c.Brush().SetStyle(bsSolid);
    c.SaveClip();
    c.IntersectClipRect(Rect(8, 15, 20, 19));
    c.Brush().SetColor(clFuchsia);
    c.FillRect(Rect(4, 14, 28, 22)); // only the clip's part
    c.RestoreClip();
    TBitmap stamp(4, 3);
    stamp.Canvas().Brush().SetColor(clNavy);
    stamp.Canvas().FillRect(Rect(1, 1, 3, 2));
    c.Draw(52, 13, stamp);
    c.SetPixel(55, 20, clMaroon);
    c.Font().SetColor(clBlack);
    c.SetBackgroundMode(TRANSPARENT);
    c.TextOut(TextArea.Left, TextArea.Top, "10000W = 100%");
}

bool Inside(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

bool InText(int x, int y)
{
    return Inside(TextArea, x, y);
}

// "(x,y)", for a list of the pixels that break a rule.
std::string Where(int x, int y)
{
    std::string text = "(";
    text += std::to_string(x);
    text += ',';
    text += std::to_string(y);
    text += ')';
    return text;
}

bool InTraced(int x, int y)
{
    return Inside(TracedAreas[0], x, y) || Inside(TracedAreas[1], x, y);
}

TColor DevicePixel(const QImage& image, int x, int y)
{
    return QColorToColor(QColor(image.pixel(x, y)));
}

} // namespace

TEST(CanvasPixelRatio, AtRatioTwoTheLogicalPictureIsThatOfRatioOneAndTextIsFiner)
{
    TBitmap plain(W, H);
    DrawScene(plain.Canvas());
    TBitmap dense(W, H);
    dense.SetPixelRatio(2);
    EXPECT_EQ(dense.Width(), W);
    EXPECT_EQ(dense.Height(), H);
    DrawScene(dense.Canvas());
    const QImage& one = plain.Image();
    const QImage& two = dense.Image();
    ASSERT_EQ(two.size(), QSize(2 * W, 2 * H));
    EXPECT_EQ(two.devicePixelRatio(), 2.0);

    // Outside the text every logical pixel is a uniform 2x2 block of the ratio-1 colour.
    // Whether the ratio-1 picture has the colour within one logical pixel of (x, y).
    const auto nearInOne = [&](int x, int y, TColor color) {
        for (int v = std::max(0, y - 1); v <= std::min(H - 1, y + 1); ++v)
            for (int u = std::max(0, x - 1); u <= std::min(W - 1, x + 1); ++u)
                if (DevicePixel(one, u, v) == color)
                    return true;
        return false;
    };
    std::string wrong;
    int textBlocksSplit = 0;
    int textInk = 0;
    int tracedBlocksSplit = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const TColor a = DevicePixel(two, 2 * x, 2 * y);
            const bool uniform = a == DevicePixel(two, 2 * x + 1, 2 * y) &&
                                 a == DevicePixel(two, 2 * x, 2 * y + 1) &&
                                 a == DevicePixel(two, 2 * x + 1, 2 * y + 1);
            if (InText(x, y)) {
                textBlocksSplit += uniform ? 0 : 1;
                textInk += DevicePixel(one, x, y) != clWhite ? 1 : 0;
            } else if (InTraced(x, y)) {
                // Every device pixel of ink has the same ink near it at ratio 1, and the other
                // way round.
                tracedBlocksSplit += uniform ? 0 : 1;
                bool near = true;
                for (int d = 0; d < 4; ++d) {
                    const TColor c = DevicePixel(two, 2 * x + d % 2, 2 * y + d / 2);
                    near = near && (c == clWhite || nearInOne(x, y, c));
                }
                const TColor c = DevicePixel(one, x, y);
                bool found = c == clWhite;
                for (int v = std::max(0, 2 * y - 2); !found && v <= std::min(2 * H - 1, 2 * y + 3);
                     ++v)
                    for (int u = std::max(0, 2 * x - 2); u <= std::min(2 * W - 1, 2 * x + 3); ++u)
                        found = found || DevicePixel(two, u, v) == c;
                if (!near || !found)
                    wrong += Where(x, y);
            } else if (!uniform || a != DevicePixel(one, x, y)) {
                wrong += Where(x, y);
            }
            EXPECT_EQ(dense.Canvas().Pixel(x, y), a);
        }
    EXPECT_EQ(wrong, "");
    // The text is drawn with the device size of its font, not as doubled 1x glyphs; the slanted
    // line and the ellipse step by device pixels.
    EXPECT_GT(textInk, 20);
    EXPECT_GT(textBlocksSplit, 20);
    EXPECT_GT(tracedBlocksSplit, 20);
}

TEST(CanvasPixelRatio, AtRatioOneAndAHalfLinesHaveOneWidthAndFillsTile)
{
    TBitmap b(W, H);
    b.SetPixelRatio(1.5);
    ASSERT_EQ(b.Image().size(), QSize(90, 60));
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, W, H));
    c.Pen().SetColor(clBlack);
    // Horizontal lines at odd and even rows, vertical lines at odd and even columns, and the
    // sides of an outlined rectangle.
    for (int y = 3; y <= 12; y += 3) {
        c.MoveTo(1, y);
        c.LineTo(20, y);
    }
    for (int x = 30; x <= 39; x += 3) {
        c.MoveTo(x, 1);
        c.LineTo(x, 20);
    }
    c.Brush().SetStyle(bsClear);
    c.Rectangle(43, 2, 56, 17);
    const QImage& image = b.Image();
    const auto runs = [&](bool across, int fixed, int from, int to) {
        // Lengths of the black runs along a device row (across) or column.
        std::string lengths;
        int run = 0;
        for (int i = from; i <= to; ++i) {
            const bool black =
                (across ? image.pixel(i, fixed) : image.pixel(fixed, i)) == QColor(Qt::black).rgb();
            if (black) {
                ++run;
            } else if (run > 0) {
                lengths += std::to_string(run);
                run = 0;
            }
        }
        return lengths;
    };
    EXPECT_EQ(runs(false, 15, 0, 25), "2222"); // down through the horizontal lines
    EXPECT_EQ(runs(true, 15, 40, 65), "2222"); // across the vertical lines
    EXPECT_EQ(runs(true, 15, 62, 89), "22");   // across the rectangle's sides
    EXPECT_EQ(runs(false, 75, 0, 30), "22");   // down through its top and bottom
    // Every line keeps its width along its whole length, slanted ones too (two device pixels
    // across their major axis, stepping by single device pixels).
    for (int x = 3; x < 29; ++x)
        EXPECT_EQ(runs(false, x, 0, 25), "2222") << x;
    c.MoveTo(1, 32);
    c.LineTo(25, 38);
    c.MoveTo(30, 22);
    c.LineTo(34, 38);
    std::string slanted;
    for (int x = 2; x < 38; ++x)
        slanted += runs(false, x, 44, 59);
    EXPECT_EQ(slanted, std::string(36, '2'));
    std::string steep;
    for (int y = 34; y < 57; ++y)
        steep += runs(true, y, 44, 53);
    EXPECT_EQ(steep, std::string(23, '2'));

    // Neighbouring fills meet without gap or overlap.
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(1, 25, 6, 30));
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(6, 25, 11, 30));
    const QImage& filled = b.Image();
    int red = 0;
    int blue = 0;
    for (int x = 0; x < 20; ++x) {
        red += filled.pixel(x, 40) == QColor(Qt::red).rgb() ? 1 : 0;
        blue += filled.pixel(x, 40) == QColor(Qt::blue).rgb() ? 1 : 0;
    }
    EXPECT_EQ(red + blue, 15); // ten logical pixels, fifteen device pixels
    EXPECT_EQ(filled.pixel(2, 40), QColor(Qt::red).rgb());
    EXPECT_EQ(filled.pixel(16, 40), QColor(Qt::blue).rgb());
}

TEST(CanvasPixelRatio, AtRatioOneAndAHalfClipsPatternsAndFramesKeepToTheFillEdges)
{
    // The same rectangle filled plainly, filled through a clip, filled with a hatch over an
    // opaque background, and framed: each on a white bitmap at 1.5.
    const TRect box = Rect(3, 5, 16, 12);
    const auto draw = [&](void (*paint)(TCanvas&, const TRect&)) {
        TBitmap b(20, 16);
        b.SetPixelRatio(1.5);
        b.Canvas().Brush().SetColor(clWhite);
        b.Canvas().FillRect(Rect(0, 0, 20, 16));
        paint(b.Canvas(), box);
        return b.Image().copy();
    };
    const QImage plain = draw([](TCanvas& c, const TRect& r) {
        c.Brush().SetColor(clRed);
        c.FillRect(r);
    });
    const QImage clipped = draw([](TCanvas& c, const TRect& r) {
        c.IntersectClipRect(r);
        c.Brush().SetColor(clRed);
        c.FillRect(Rect(0, 0, 20, 16));
    });
    const QImage hatched = draw([](TCanvas& c, const TRect& r) {
        c.Brush().SetColor(clRed);
        c.Brush().SetStyle(bsDiagCross);
        c.SetBackgroundMode(OPAQUE);
        c.SetBackColor(clBlue);
        c.FillRect(r);
    });
    const QImage framed = draw([](TCanvas& c, const TRect& r) {
        c.Brush().SetColor(clRed);
        c.FrameRect(r);
    });
    EXPECT_EQ(clipped, plain);
    const QRgb white = QColor(Qt::white).rgb();
    int outside = 0;
    int inside = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const bool in = plain.pixel(x, y) != white;
            inside += in ? 1 : 0;
            outside += (hatched.pixel(x, y) != white) != in ? 1 : 0;
        }
    EXPECT_EQ(inside, 19 * 10); // 13 x 7 logical pixels: device columns 5 to 23, rows 8 to 17
    EXPECT_EQ(outside, 0);
    // The frame's sides are two device pixels wide, as a one-pixel line's.
    const auto runAcross = [&](int y) {
        std::string runs;
        int run = 0;
        for (int x = 0; x < framed.width(); ++x) {
            if (framed.pixel(x, y) != white) {
                ++run;
            } else if (run > 0) {
                runs += std::to_string(run);
                run = 0;
            }
        }
        return runs;
    };
    EXPECT_EQ(runAcross(13), "22");
    EXPECT_EQ(runAcross(8), "19");
}

TEST(CanvasPixelRatio, BitmapsKeepTheirLogicalSizeAndCopyBetweenRatios)
{
    TBitmap dense(W, H);
    dense.SetPixelRatio(2);
    DrawScene(dense.Canvas());
    // A copy at the same ratio keeps every device pixel (the text's detail too).
    TBitmap copy(W, H);
    copy.SetPixelRatio(2);
    BitBlt(copy.Canvas(), 0, 0, W, H, dense.Canvas(), 0, 0);
    EXPECT_EQ(copy.Image(), dense.Image());
    // Part of it lands at the logical place.
    TBitmap part(20, 10);
    part.SetPixelRatio(2);
    BitBlt(part.Canvas(), 0, 0, 20, 10, dense.Canvas(), 30, 2);
    EXPECT_EQ(part.Image(), dense.Image().copy(60, 4, 40, 20));
    // Down to ratio 1 it is the logical picture outside the text.
    TBitmap plain(W, H);
    DrawScene(plain.Canvas());
    TBitmap reduced(W, H);
    reduced.Canvas().StretchDraw(Rect(0, 0, W, H), dense);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!InText(x, y) && !InTraced(x, y)) {
                ASSERT_EQ(reduced.Canvas().Pixel(x, y), plain.Canvas().Pixel(x, y))
                    << x << "," << y;
            }
        }

    // A change of ratio keeps the logical size and the picture; a resize keeps the ratio.
    dense.SetPixelRatio(1);
    EXPECT_EQ(dense.Image().size(), QSize(W, H));
    EXPECT_EQ(dense.Canvas().Pixel(40, 5), clYellow);
    dense.SetPixelRatio(1.5);
    dense.SetSize(10, 8);
    EXPECT_EQ(dense.Image().size(), QSize(15, 12));
    EXPECT_EQ(dense.Width(), 10);
    EXPECT_EQ(dense.Canvas().ClipRect(), Rect(0, 0, 10, 8));
    // Out-of-range ratios are clamped.
    dense.SetPixelRatio(100);
    EXPECT_EQ(dense.PixelRatio(), 8.0);
    dense.SetPixelRatio(-1);
    EXPECT_EQ(dense.PixelRatio(), 1.0);
}

TEST(CanvasPixelRatio, DevicePositionsRoundHalfAwayFromZeroAndClampFarOff)
{
    // Every logical position maps as llround(v x ratio) clamped to +-2^30: halves at 1.5 and
    // 1.25, inexact products at 1.33 and 2.7, and positions far beyond any device.
    constexpr int64_t Limit = int64_t{1} << 30;
    for (const double ratio : {1.0, 1.25, 1.5, 1.75, 1.33, 2.0, 2.7, 4.0, 8.0}) {
        for (int64_t v = -5000; v <= 5000; ++v) {
            const int64_t expected =
                std::clamp<int64_t>(std::llround(static_cast<double>(v) * ratio), -Limit, Limit);
            ASSERT_EQ(DevicePosition(v, ratio), expected) << v << " at " << ratio;
        }
        // Far off, each side clamps to its own limit.
        EXPECT_EQ(DevicePosition(Limit, ratio), Limit);
        EXPECT_EQ(DevicePosition(-Limit, ratio), -Limit);
        EXPECT_EQ(DevicePosition(INT64_MAX, ratio), Limit);
        EXPECT_EQ(DevicePosition(INT64_MIN, ratio), -Limit);
    }
}

TEST(CanvasPixelRatio, LinesAlongTheAxesHaveNoGapsAtRatiosBelowAHalfStep)
{
    // At 1.25 and 2.25 a logical pixel is now and then one device pixel wider than round(ratio):
    // lines along the axes still cover their whole length, round(ratio) device pixels across.
    for (const double ratio : {1.25, 2.25, 1.5}) {
        SCOPED_TRACE(ratio);
        TBitmap b(W, H);
        b.SetPixelRatio(ratio);
        TCanvas& c = b.Canvas();
        c.Brush().SetColor(clWhite);
        c.FillRect(Rect(0, 0, W, H));
        c.Pen().SetColor(clBlack);
        for (int i = 0; i < 4; ++i) {
            c.MoveTo(1, 3 + 5 * i); // horizontal, rows of each phase
            c.LineTo(21, 3 + 5 * i);
            c.MoveTo(30 + 5 * i, 1); // vertical
            c.LineTo(30 + 5 * i, 21);
        }
        const QImage& image = b.Image();
        const auto black = [&](int x, int y) {
            return image.pixel(x, y) == QColor(Qt::black).rgb();
        };
        const int width = static_cast<int>(std::lround(ratio));
        for (int i = 0; i < 4; ++i) {
            const int row = DevicePosition(3 + 5 * i, ratio);
            const int column = DevicePosition(30 + 5 * i, ratio);
            for (int d = DevicePosition(1, ratio); d < DevicePosition(21, ratio); ++d) {
                ASSERT_TRUE(black(d, row) && black(column, d)) << "gap at " << d << ", line " << i;
                int across = 0;
                int down = 0;
                for (int k = -3; k <= 3; ++k) {
                    across += black(d, row + k) ? 1 : 0;
                    down += black(column + k, d) ? 1 : 0;
                }
                ASSERT_EQ(across, width) << d << ", line " << i;
                ASSERT_EQ(down, width) << d << ", line " << i;
            }
        }
    }
}
