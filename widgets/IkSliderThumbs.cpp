// The slider's built-in thumb images, drawn from pixel rows: a raised grey bar (white top/left
// edge, grey bottom/right edge, black outline) with a sunken black groove across its middle.
#include "widgets/IkSliderThumbs.h"

#include <array>
#include <string_view>

namespace {

// One run of identical rows: the row's pixels (K black, W white, S silver, G grey) and how many
// times it repeats.
struct TThumbRows
{
    std::string_view Pixels;
    int Count;
};

// Used by vertical sliders: 30 wide, 13 high.
constexpr std::array<TThumbRows, 9> ThumbHori = {{
    {"KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK", 1},
    {"KWWWWWWWWWWWWWWWWWWWWWWWWWWWWK", 1},
    {"KWSSSSSSSSSSSSSSSSSSSSSSSSSSGK", 2},
    {"KWSSWWWWWWWWWWWWWWWWWWWWWWSSGK", 1},
    {"KWSSWKKKKKKKKKKKKKKKKKKKKGSSGK", 3},
    {"KWSSGGGGGGGGGGGGGGGGGGGGGGSSGK", 1},
    {"KWSSSSSSSSSSSSSSSSSSSSSSSSSSGK", 2},
    {"KWGGGGGGGGGGGGGGGGGGGGGGGGGGGK", 1},
    {"KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK", 1},
}};

// Used by horizontal sliders: 13 wide, 30 high.
constexpr std::array<TThumbRows, 9> ThumbVert = {{
    {"KKKKKKKKKKKKK", 1},
    {"KWWWWWWWWWWWK", 1},
    {"KWSSSSSSSSSGK", 2},
    {"KWSSWWWWWSSGK", 1},
    {"KWSSWKKKGSSGK", 20},
    {"KWSSWGGGGSSGK", 1},
    {"KWSSSSSSSSSGK", 2},
    {"KGGGGGGGGGGGK", 1},
    {"KKKKKKKKKKKKK", 1},
}};

template <size_t N>
constexpr bool RowsAre(const std::array<TThumbRows, N>& rows, size_t width, int height)
{
    int total = 0;
    for (const auto& run : rows) {
        if (run.Pixels.size() != width)
            return false;
        total += run.Count;
    }
    return total == height;
}
static_assert(RowsAre(ThumbHori, 30, 13));
static_assert(RowsAre(ThumbVert, 13, 30));

QRgb PixelColor(char code)
{
    switch (code) {
    case 'W':
        return qRgb(0xFF, 0xFF, 0xFF);
    case 'S':
        return qRgb(0xC0, 0xC0, 0xC0);
    case 'G':
        return qRgb(0x80, 0x80, 0x80);
    default:
        return qRgb(0, 0, 0);
    }
}

template <size_t N> QImage ImageFromRows(const std::array<TThumbRows, N>& rows)
{
    int height = 0;
    for (const auto& run : rows)
        height += run.Count;
    const int width = static_cast<int>(rows.front().Pixels.size());
    QImage image(width, height, QImage::Format_RGB32);
    int y = 0;
    for (const auto& run : rows) {
        for (int n = 0; n < run.Count; ++n, ++y) {
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, PixelColor(run.Pixels[static_cast<size_t>(x)]));
        }
    }
    return image;
}

} // namespace

QImage IkSliderThumbImage(std::string_view name)
{
    if (name == IKSLIDERTHUMB_HORI)
        return ImageFromRows(ThumbHori);
    if (name == IKSLIDERTHUMB_VERT)
        return ImageFromRows(ThumbVert);
    return QImage();
}
