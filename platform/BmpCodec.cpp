// Reading and writing standard BMP file images. The reader checks every size against the bytes
// present before it touches or allocates anything.
#include "platform/Bitmap.h"

#include <cstring>

namespace {

[[noreturn]] void Bad()
{
    throw EReadError("Bitmap image is not valid");
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
    out[at + 2] = static_cast<uint8_t>(v >> 16);
    out[at + 3] = static_cast<uint8_t>(v >> 24);
}

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        while (((m >> shift) & 1u) == 0)
            ++shift;
        max = m >> shift;
    }
    int Value(uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        const uint64_t v = (pixel & mask) >> shift;
        return static_cast<int>((v * 255 + max / 2) / max);
    }
};

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

} // namespace

QImage DecodeBmp(const uint8_t* data, int64_t size)
{
    if (data == nullptr || size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        Bad();
    const uint32_t pixelOffset = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124)
        Bad();
    if (14 + static_cast<int64_t>(headerSize) > size)
        Bad();
    const uint8_t* h = data + 14;

    int64_t width = 0;
    int64_t height = 0;
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t colorsUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = U16(h + 4);
        height = U16(h + 6);
        bitCount = U16(h + 10);
        paletteEntrySize = 3;
    } else {
        width = static_cast<int32_t>(U32(h + 4));
        height = static_cast<int32_t>(U32(h + 8));
        bitCount = U16(h + 14);
        compression = U32(h + 16);
        colorsUsed = U32(h + 32);
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > MaxBitmapDimension || height > MaxBitmapDimension ||
        width * height > MaxBitmapPixels)
        Bad();
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        Bad();
    if (compression != BI_RGB &&
        !(compression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32)))
        Bad();

    // Masks for 16 and 32 bits: given after a 40-byte header or inside a larger one.
    int64_t tableOffset = 14 + static_cast<int64_t>(headerSize);
    uint32_t masks[3] = {0, 0, 0};
    if (compression == BI_BITFIELDS) {
        const uint8_t* m = h + 40;
        if (headerSize == 40) {
            if (tableOffset + 12 > size)
                Bad();
            m = data + tableOffset;
            tableOffset += 12;
        }
        masks[0] = U32(m);
        masks[1] = U32(m + 4);
        masks[2] = U32(m + 8);
    } else if (bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }

    std::vector<QRgb> palette;
    if (bitCount <= 8) {
        const uint32_t maxColors = 1u << bitCount;
        if (colorsUsed > maxColors)
            Bad();
        const uint32_t count = colorsUsed == 0 ? maxColors : colorsUsed;
        if (tableOffset + static_cast<int64_t>(count) * paletteEntrySize > size)
            Bad();
        palette.resize(maxColors, qRgb(0, 0, 0));
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = data + tableOffset + static_cast<int64_t>(i) * paletteEntrySize;
            palette[i] = qRgb(e[2], e[1], e[0]);
        }
    }

    const int64_t stride = ((width * bitCount + 31) / 32) * 4;
    if (static_cast<int64_t>(pixelOffset) < 14 + static_cast<int64_t>(headerSize) ||
        static_cast<int64_t>(pixelOffset) + stride * height > size)
        Bad();

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (image.isNull())
        Bad();
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = data + pixelOffset + row * stride;
        const int y = static_cast<int>(topDown ? row : height - 1 - row);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int64_t x = 0; x < width; ++x) {
            QRgb c = 0;
            switch (bitCount) {
            case 1:
                c = palette[(src[x >> 3] >> (7 - (x & 7))) & 1u];
                break;
            case 4:
                c = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu];
                break;
            case 8:
                c = palette[src[x]];
                break;
            case 16: {
                const uint32_t p = U16(src + x * 2);
                c = qRgb(red.Value(p), green.Value(p), blue.Value(p));
                break;
            }
            case 24:
                c = qRgb(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
                break;
            default: {
                const uint32_t p = U32(src + x * 4);
                c = qRgb(red.Value(p), green.Value(p), blue.Value(p));
                break;
            }
            }
            dst[x] = c | 0xFF000000u;
        }
    }
    return image;
}

std::vector<uint8_t> EncodeBmp(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int64_t width = image.isNull() ? 0 : image.width();
    const int64_t height = image.isNull() ? 0 : image.height();
    const int64_t stride = ((width * 24 + 31) / 32) * 4;
    const int64_t total = 14 + 40 + stride * height;
    std::vector<uint8_t> out(static_cast<size_t>(total), 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(total));
    Put32(out, 10, 14 + 40);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<uint32_t>(width));
    Put32(out, 22, static_cast<uint32_t>(height));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 30, BI_RGB);
    Put32(out, 34, static_cast<uint32_t>(stride * height));
    Put32(out, 38, 4724); // 120 pixels per inch
    Put32(out, 42, 4724);
    for (int64_t row = 0; row < height; ++row) {
        const auto* src =
            reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(height - 1 - row)));
        uint8_t* dst = out.data() + 54 + row * stride;
        for (int64_t x = 0; x < width; ++x) {
            dst[x * 3] = static_cast<uint8_t>(qBlue(src[x]));
            dst[x * 3 + 1] = static_cast<uint8_t>(qGreen(src[x]));
            dst[x * 3 + 2] = static_cast<uint8_t>(qRed(src[x]));
        }
    }
    return out;
}
