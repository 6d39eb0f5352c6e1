// The program's own strings, drawn in the fonts the program uses, keep a blank gap between every
// two neighbouring glyphs: no two glyphs of a word run together ("00" into a chain, "rv" into
// "n"). Each glyph is drawn alone at the place the whole text gives it, so its ink is known; a
// pixel counts as ink when it is at least half covered, and two glyphs touch when their ink shares
// a pixel or a pixel edge. A pair whose outlines come closer than one pixel in the font's own
// design (drawn ten times as large) is joined by the font itself and cannot get a blank pixel
// between them; such pairs are left out.
#include "app/u_welcome.h"
#include "chart/NumberFormat.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ProgramFont
{
    const char* name;
    int height;
    TFontStyles style;
    QStringList texts;
};

QStringList Readouts()
{
    // The values window and the crosshair show samples with this pattern and a unit.
    QStringList texts;
    for (double value : {380.0, 399.87654, 6000.0, 7.14, 935.123, 10.5, 1234.5678})
        texts << QString::fromStdString(FormatNumber(".#####,#", value)) + QStringLiteral(" W");
    return texts;
}

QStringList AxisLabels()
{
    QStringList texts;
    for (double value = 40; value <= 120; value += 10)
        texts << QString::fromStdString(FormatNumber("##0.0%", value));
    for (int second = 0; second <= 20; ++second)
        texts << QString::number(second);
    return texts;
}

QStringList IntroductionLines()
{
    QStringList texts;
    for (const char* line : TfrmWelcome::MemoLines)
        texts << QString::fromLatin1(line).replace(u'\t', u' ').trimmed();
    return texts;
}

const std::vector<ProgramFont>& ProgramFonts()
{
    static const std::vector<ProgramFont> fonts = {
        // The rated values, the Info box, the menus and the values window.
        {"MS Sans Serif", -13, 0,
         QStringList{"10A = 100%", "1500V = 100%", "10000W = 100%", "400V = 100 %", "Set Value for",
                     "Orvex-Real-Power-Control is actually", "6000 Watts.", "Haircross",
                     "Measurmentspoints", "Introduction screen...", "Simulation",
                     "mains voltage:", "current:", "voltage:", "power :", "uncontrolled",
                     "controlled", "Please wait ..."} +
             Readouts()},
        // The rated values' captions.
        {"MS Sans Serif", -13, fsBold, {"I rated", "U rated", "P rated", "mains voltage"}},
        {"MS Sans Serif", -15, fsBold, {"Info"}},
        // The power button's caption and the introduction text.
        {"MS Sans Serif", -20, fsBold, {"Simulation"}},
        {"MS Sans Serif", -20, 0, IntroductionLines()},
        // The meter's caption and scale, the axis labels and the chart titles.
        {"Arial", -13, 0,
         QStringList{"Mainsvoltage: 380V", "Mainsvoltage: 400V", "385", "390", "395", "400", "405",
                     "410", "415", "420"} +
             AxisLabels()},
        {"Arial", -18, fsBold, {"with Orvex Real-Power-Control", "without Real-Power-Control"}},
    };
    return fonts;
}

// Ink of one character drawn alone at x in the font (a pixel at least half covered).
class GlyphInk
{
public:
    GlyphInk(const ProgramFont& font, int scale, int width, const QString& ch, int x)
        : FWidth(width), FHeight(-font.height * scale * 2),
          FInk(static_cast<size_t>(FWidth * FHeight))
    {
        TBitmap bitmap(FWidth, FHeight);
        TCanvas& c = bitmap.Canvas();
        c.Brush().SetColor(clWhite);
        c.FillRect(Rect(0, 0, FWidth, FHeight));
        c.Brush().SetStyle(bsClear);
        c.Font().SetName(QString::fromLatin1(font.name));
        c.Font().SetHeight(font.height * scale);
        c.Font().SetStyle(font.style);
        c.Font().SetColor(clBlack);
        c.TextOut(x, 2 * scale, ch);
        for (int py = 0; py < FHeight; ++py)
            for (int px = 0; px < FWidth; ++px)
                FInk[Index(px, py)] = GetGValue(c.Pixel(px, py)) < 128;
    }

    bool At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < FWidth && y < FHeight && FInk[Index(x, y)];
    }

    // True when some ink pixel of this glyph lies at most distance pixels (in x and in y) from
    // ink of the other; distance 1 means sharing a pixel or a pixel edge (a corner does not
    // count), a larger distance d means fewer than d blank pixels between them.
    bool Within(const GlyphInk& other, int distance) const
    {
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x) {
                if (!At(x, y))
                    continue;
                for (int dy = -distance; dy <= distance; ++dy)
                    for (int dx = -distance; dx <= distance; ++dx) {
                        const bool near = distance > 1 || dx == 0 || dy == 0;
                        if (near && other.At(x + dx, y + dy))
                            return true;
                    }
            }
        return false;
    }

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y * FWidth + x); }

    int FWidth;
    int FHeight;
    std::vector<bool> FInk;
};

int CharWidth(const ProgramFont& font, int scale, const QString& text)
{
    TBitmap probe(1, 1);
    probe.Canvas().Font().SetName(QString::fromLatin1(font.name));
    probe.Canvas().Font().SetHeight(font.height * scale);
    probe.Canvas().Font().SetStyle(font.style);
    return probe.Canvas().TextWidth(text);
}

// True when the font itself brings the two characters closer than one pixel at its size.
bool FontJoins(const ProgramFont& font, QChar a, QChar b)
{
    constexpr int Scale = 10;
    const int advance = CharWidth(font, Scale, QString(a));
    const int width = advance + CharWidth(font, Scale, QString(b)) + 4 * Scale;
    const GlyphInk first(font, Scale, width, QString(a), 2 * Scale);
    const GlyphInk second(font, Scale, width, QString(b), 2 * Scale + advance);
    return first.Within(second, Scale);
}

} // namespace

TEST(TextLegibility, NeighbouringGlyphsOfTheProgramsStringsKeepABlankGap)
{
    int pairs = 0;
    for (const ProgramFont& font : ProgramFonts()) {
        for (const QString& text : font.texts) {
            SCOPED_TRACE(std::string(font.name) + " " + std::to_string(font.height) + " style " +
                         std::to_string(font.style) + " '" + text.toStdString() + "'");
            const int width = CharWidth(font, 1, text) + 20;
            std::vector<GlyphInk> glyphs;
            int x = 4;
            for (const QChar ch : text) {
                glyphs.emplace_back(font, 1, width, QString(ch), x);
                x += CharWidth(font, 1, QString(ch));
            }
            // Measuring gives exactly the room the characters take one after the other.
            EXPECT_EQ(x - 4, CharWidth(font, 1, text));
            for (qsizetype i = 0; i + 1 < text.size(); ++i) {
                if (text[i].isSpace() || text[i + 1].isSpace())
                    continue;
                ++pairs;
                const size_t k = static_cast<size_t>(i);
                if (glyphs[k].Within(glyphs[k + 1], 1) && !FontJoins(font, text[i], text[i + 1]))
                    ADD_FAILURE() << "'" << text.mid(i, 2).toStdString() << "' touch at " << i;
            }
        }
    }
    EXPECT_GT(pairs, 500);
}
