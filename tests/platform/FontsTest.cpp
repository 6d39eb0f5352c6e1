// Text is drawn in grayscale with whole-pixel advances: what TextWidth measures is exactly where
// the drawing ends, pieces of a text measure and draw like the whole, and the substituted
// desktop font names find an installed family.
#include "platform/Fonts.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <QFontInfo>
#include <QImage>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FontCase
{
    const char* name;
    int height;
    TFontStyles style;
};

// The fonts the program's windows and charts use: 8-point Arial and MS Sans Serif at 120 pixels
// per inch, larger captions, bold.
const std::vector<FontCase>& Fonts()
{
    static const std::vector<FontCase> fonts = {
        {"Arial", -13, 0},        {"MS Sans Serif", -13, 0}, {"Arial", -11, 0},
        {"Arial", -16, fsBold},   {"Arial", -19, 0},         {"MS Sans Serif", -13, fsBold},
        {"Arial", -24, fsItalic},
    };
    return fonts;
}

void UseFont(TCanvas& c, const FontCase& f)
{
    c.Font().SetName(f.name);
    c.Font().SetHeight(f.height);
    c.Font().SetStyle(f.style);
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(TA_LEFT | TA_TOP);
}

std::string Describe(const FontCase& f)
{
    return std::string(f.name) + " " + std::to_string(f.height) + " style " +
           std::to_string(f.style);
}

const QStringList Samples = {QStringLiteral("Mainsvoltage: 400V"),
                             QStringLiteral("Lamp power 1234 W"), QStringLiteral("AVWAToTa.,;:!"),
                             QStringLiteral("illumination 11:11")};

} // namespace

TEST(FontsText, WidthsAddUpInWholePixelsAndPiecesDrawLikeTheWhole)
{
    for (const FontCase& f : Fonts()) {
        for (const QString& text : Samples) {
            SCOPED_TRACE(Describe(f) + " '" + text.toStdString() + "'");
            // The whole text, drawn at once.
            TBitmap whole(400, 60);
            UseFont(whole.Canvas(), f);
            whole.Canvas().Brush().SetStyle(bsSolid);
            whole.Canvas().Brush().SetColor(clWhite);
            whole.Canvas().FillRect(Rect(0, 0, 400, 60));
            whole.Canvas().Brush().SetStyle(bsClear);
            whole.Canvas().TextOut(7, 10, text);
            const int width = whole.Canvas().TextWidth(text);
            // TextOut moves the pen position by exactly the measured width.
            EXPECT_EQ(whole.Canvas().PenPos().X, 7 + width);

            // The sum of the characters' widths is the width of the text: no kerning, no
            // fractional advances that round differently for pieces.
            int sum = 0;
            for (const QChar ch : text)
                sum += whole.Canvas().TextWidth(QString(ch));
            EXPECT_EQ(width, sum);

            // Drawn piece after piece, each at the measured end of the one before, the text
            // gives exactly the same pixels, for every split point.
            for (qsizetype split = 1; split < text.size(); ++split) {
                const QString a = text.left(split);
                const QString b = text.mid(split);
                EXPECT_EQ(whole.Canvas().TextWidth(a) + whole.Canvas().TextWidth(b), width)
                    << "split " << split;
                TBitmap pieces(400, 60);
                UseFont(pieces.Canvas(), f);
                pieces.Canvas().Brush().SetStyle(bsSolid);
                pieces.Canvas().Brush().SetColor(clWhite);
                pieces.Canvas().FillRect(Rect(0, 0, 400, 60));
                pieces.Canvas().Brush().SetStyle(bsClear);
                pieces.Canvas().TextOut(7, 10, a);
                pieces.Canvas().TextOut(pieces.Canvas().PenPos().X, 10, b);
                EXPECT_TRUE(pieces.Image() == whole.Image()) << "split " << split;
            }
        }
    }
}

TEST(FontsText, GlyphsAreGrayAndStayWithinTheirCell)
{
    for (const FontCase& f : Fonts()) {
        SCOPED_TRACE(Describe(f));
        TBitmap b(400, 60);
        TCanvas& c = b.Canvas();
        UseFont(c, f);
        const QString text = QStringLiteral("Mainsvoltage: 400V");
        c.TextOut(20, 10, text);
        const TSize extent = c.TextExtent(text);
        int ink = 0;
        int edges = 0;
        int right = -1;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 400; ++x) {
                const TColor p = c.Pixel(x, y);
                if (p == clWhite)
                    continue;
                // Black text on white: shades of gray only, no colour fringes.
                ASSERT_TRUE(GetRValue(p) == GetGValue(p) && GetGValue(p) == GetBValue(p))
                    << x << "," << y;
                edges += p != clBlack ? 1 : 0;
                if (GetGValue(p) < 128) {
                    ++ink;
                    right = std::max(right, x);
                }
                EXPECT_GE(y, 10);
                EXPECT_LT(y, 10 + extent.cy);
                EXPECT_GE(x, 19); // a glyph may overhang its cell by a pixel
            }
        EXPECT_GT(ink, 30);
        // Small text is antialiased (soft edges), larger text monochrome.
        if (-f.height < GrayscaleTextLimit)
            EXPECT_GT(edges, 10);
        else
            EXPECT_EQ(edges, 0);
        // The ink ends within the measured width (the last glyph's side bearing aside; a
        // slanted glyph leans a little beyond it).
        EXPECT_LE(right, 20 + extent.cx + ((f.style & fsItalic) != 0 ? extent.cy / 4 : 0));
        EXPECT_GE(right, 20 + extent.cx - 4);
    }
}

TEST(FontsText, DesktopNamesResolveToAnInstalledSansFamily)
{
    InstallFontSubstitutions();
    InstallFontSubstitutions(); // twice does no harm
    for (const char* name : {"Arial", "MS Sans Serif", "Helvetica"}) {
        // Small text in the condensed family that keeps its glyphs apart, larger text in the
        // family with Arial's widths.
        TFont font;
        font.SetName(name);
        EXPECT_EQ(QFontInfo(font.ToQFont()).family(), QStringLiteral("DejaVu Sans Condensed"))
            << name;
        EXPECT_EQ(font.ToQFont().hintingPreference(), QFont::PreferFullHinting);
        font.SetHeight(-20);
        EXPECT_EQ(QFontInfo(font.ToQFont()).family(), QStringLiteral("Liberation Sans")) << name;
    }
    TFont other;
    other.SetName(QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(QFontInfo(other.ToQFont()).family(), QStringLiteral("DejaVu Serif"));
}
