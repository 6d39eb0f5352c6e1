// Bitmap sizes, transparency and the stream forms; hostile byte sequences must fail cleanly.
#include "platform/Bitmap.h"
#include "platform/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TBitmap Pattern(int w, int h)
{
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Canvas().SetPixel(x, y, RGBColor(x * 7, y * 11, (x + y) * 3));
    return b;
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b)
{
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(a.Canvas().Pixel(x, y), b.Canvas().Pixel(x, y)) << x << "," << y;
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(x >> (8 * i));
}

} // namespace

TEST(Bitmap, SizeKeepsPixelsAndFillsNewAreaWhite)
{
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.TransparentColor(), clNone);
    b.SetSize(4, 3);
    EXPECT_EQ(b.Canvas().Pixel(3, 2), clWhite);
    b.Canvas().SetPixel(1, 1, clRed);
    b.SetSize(6, 5);
    EXPECT_EQ(b.Canvas().Pixel(1, 1), clRed);
    EXPECT_EQ(b.Canvas().Pixel(5, 4), clWhite);
    b.SetWidth(-3);
    EXPECT_TRUE(b.Empty());
    EXPECT_THROW(b.SetSize(MaxBitmapDimension + 1, 1), EInvalidOperation);
    EXPECT_THROW(b.SetSize(MaxBitmapDimension, MaxBitmapDimension), EInvalidOperation);
}

TEST(Bitmap, CanvasKeepsDrawingAfterAResize)
{
    TBitmap b(5, 5);
    b.Canvas().Brush().SetColor(clBlue);
    b.SetSize(10, 10);
    b.Canvas().FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(b.Canvas().Pixel(9, 9), clBlue);
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUnlessFixed)
{
    TBitmap b(3, 3);
    b.Canvas().SetPixel(0, 2, clLime);
    EXPECT_EQ(b.TransparentColor(), clLime);
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.TransparentColor(), clLime);
}

TEST(Bitmap, CopiesAreIndependent)
{
    TBitmap a = Pattern(5, 4);
    const QImage shared = a.Image(); // a caller holding the pixels
    TBitmap b(a);
    b.Canvas().SetPixel(0, 0, clRed);
    a.Canvas().SetPixel(1, 0, clBlue);
    EXPECT_NE(a.Canvas().Pixel(0, 0), clRed);
    EXPECT_NE(b.Canvas().Pixel(1, 0), clBlue);
    EXPECT_NE(QColor(shared.pixel(1, 0)), QColor(Qt::blue));
    int changes = 0;
    a.OnChange = [&](TBitmap*) { ++changes; };
    a.Assign(&b);
    ExpectSamePixels(a, b);
    a.Assign(nullptr);
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(changes, 2);
}

TEST(BitmapStream, RoundTripKeepsEveryPixel)
{
    const TBitmap a = Pattern(7, 5); // odd width: row padding
    TMemoryStream stream;
    a.WriteToStream(stream);
    a.WriteToStream(stream);
    // Length prefix, then a BMP file image.
    const auto& bytes = stream.Bytes();
    ASSERT_GE(bytes.size(), 8u);
    const uint32_t length = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (bytes[3] << 24);
    EXPECT_EQ(bytes[4], 'B');
    EXPECT_EQ(bytes[5], 'M');
    EXPECT_EQ(stream.Size(), 2 * (4 + static_cast<int64_t>(length)));

    stream.SetPosition(0);
    TBitmap b, c;
    b.ReadFromStream(stream);
    c.ReadFromStream(stream);
    ExpectSamePixels(a, b);
    ExpectSamePixels(a, c);
    EXPECT_EQ(stream.Remaining(), 0);
}

TEST(BitmapStream, EmptyBitmapIsALengthOfZero)
{
    TMemoryStream stream;
    TBitmap().WriteToStream(stream);
    EXPECT_EQ(stream.Size(), 4);
    stream.SetPosition(0);
    TBitmap b(3, 3);
    b.ReadFromStream(stream);
    EXPECT_TRUE(b.Empty());
}

TEST(BitmapStream, FileRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("pattern.bmp");
    const TBitmap a = Pattern(9, 6);
    a.SaveToFile(name);
    TBitmap b;
    b.LoadFromFile(name);
    ExpectSamePixels(a, b);
    // Qt's own reader agrees with our writer.
    TBitmap c;
    c.LoadFromResource(name);
    ExpectSamePixels(a, c);
    EXPECT_THROW(b.LoadFromFile(dir.filePath("missing.bmp")), EStreamError);
}

TEST(BitmapStream, TruncatedStreamsFailWithReadError)
{
    const TBitmap a = Pattern(6, 6);
    TMemoryStream full;
    a.WriteToStream(full);
    for (int64_t cut = 0; cut < full.Size(); ++cut) {
        TMemoryStream part(std::vector<uint8_t>(full.Bytes().begin(), full.Bytes().begin() + cut));
        TBitmap b(2, 2);
        EXPECT_THROW(b.ReadFromStream(part), EReadError) << cut;
        EXPECT_EQ(b.Width(), 2) << "left unchanged after a failure";
    }
}

TEST(BitmapStream, StatedLengthBeyondTheDataIsRefusedBeforeReading)
{
    TMemoryStream s;
    s.WriteInt32(0x7FFFFFF0);
    s.WriteInt32(0);
    s.SetPosition(0);
    TBitmap b;
    EXPECT_THROW(b.ReadFromStream(s), EReadError);
    TMemoryStream negative;
    negative.WriteInt32(-5);
    negative.SetPosition(0);
    EXPECT_THROW(b.ReadFromStream(negative), EReadError);
}

TEST(BitmapStream, HugeDimensionsAreRefusedBeforeDecoding)
{
    TMemoryStream out;
    Pattern(2, 2).SaveToStream(out);
    std::vector<uint8_t> bmp = out.Bytes();
    Put32(bmp, 18, 100000); // width
    EXPECT_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())), EReadError);
    Put32(bmp, 18, 16000);
    Put32(bmp, 22, 16000); // within each limit, above the pixel limit
    EXPECT_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())), EReadError);
    Put32(bmp, 18, 2);
    Put32(bmp, 22, static_cast<uint32_t>(-2)); // top-down is fine
    EXPECT_NO_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())));
    Put32(bmp, 22, 0x80000000u); // height INT32_MIN
    EXPECT_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())), EReadError);
    Put32(bmp, 22, 2);
    Put32(bmp, 10, 0xFFFFFFF0u); // pixel offset beyond the data
    EXPECT_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())), EReadError);
}

TEST(BmpDecoder, TopDownRowsReadAsTheSamePictureAsBottomUpOnes)
{
    // The saved bitmap lists its rows bottom-up; the same rows listed top-down with a negative
    // height are the same picture, pixel for pixel, not its mirror image.
    TMemoryStream out;
    const TBitmap pattern = Pattern(7, 5);
    pattern.SaveToStream(out);
    const std::vector<uint8_t>& bottomUp = out.Bytes();
    auto get = [&](size_t at, int bytes) {
        uint32_t x = 0;
        for (int i = 0; i < bytes; ++i)
            x |= static_cast<uint32_t>(bottomUp[at + static_cast<size_t>(i)]) << (8 * i);
        return x;
    };
    ASSERT_EQ(get(22, 4), 5u);
    const size_t pixels = get(10, 4);
    const size_t stride = (7 * get(28, 2) + 31) / 32 * 4;
    ASSERT_GE(bottomUp.size(), pixels + 5 * stride);
    std::vector<uint8_t> topDown = bottomUp;
    Put32(topDown, 22, static_cast<uint32_t>(-5));
    for (size_t row = 0; row < 5; ++row)
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>(pixels + row * stride), stride,
                    topDown.begin() + static_cast<std::ptrdiff_t>(pixels + (4 - row) * stride));

    const QImage up = DecodeBmp(bottomUp.data(), static_cast<int64_t>(bottomUp.size()));
    const QImage down = DecodeBmp(topDown.data(), static_cast<int64_t>(topDown.size()));
    ASSERT_EQ(down.size(), QSize(7, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            ASSERT_EQ(down.pixel(x, y), up.pixel(x, y)) << x << "," << y;
            const QRgb p = down.pixel(x, y);
            ASSERT_EQ(RGBColor(qRed(p), qGreen(p), qBlue(p)), pattern.Canvas().Pixel(x, y))
                << x << "," << y;
        }
}

TEST(BitmapStream, RandomAndMutatedBytesNeverCrash)
{
    std::mt19937 rng(12345);
    TMemoryStream good;
    Pattern(5, 3).WriteToStream(good);
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bytes;
        if (i % 2 == 0) {
            bytes.resize(rng() % 200);
            for (auto& b : bytes)
                b = static_cast<uint8_t>(rng());
        } else {
            bytes = good.Bytes();
            for (int k = 0; k < 4; ++k)
                bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        }
        TMemoryStream s(bytes);
        TBitmap b;
        try {
            b.ReadFromStream(s);
            ++accepted;
            EXPECT_LE(b.Width(), MaxBitmapDimension);
        } catch (const EReadError&) {
        }
    }
    EXPECT_GT(accepted, 0); // mutations inside the pixel data still decode
}

TEST(BmpDecoder, PalettedAndBitFieldImages)
{
    // 4 bits per pixel, 3 x 2, two palette entries used: red and blue.
    std::vector<uint8_t> bmp(14 + 40 + 2 * 4 + 2 * 4, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 10, 14 + 40 + 8);
    Put32(bmp, 14, 40);
    Put32(bmp, 18, 3);
    Put32(bmp, 22, 2);
    bmp[26] = 1;
    bmp[28] = 4;
    Put32(bmp, 46, 2);          // colours used
    Put32(bmp, 54, 0x00FF0000); // index 0: red (B G R 0 in memory)
    Put32(bmp, 58, 0x000000FF); // index 1: blue
    bmp[62] = 0x01;             // bottom row: 0, 1, 0
    bmp[63] = 0x00;
    bmp[66] = 0x10; // top row: 1, 0, 1
    bmp[67] = 0x10;
    const QImage img = DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size()));
    EXPECT_EQ(QColor(img.pixel(0, 1)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(1, 1)), QColor(Qt::blue));
    EXPECT_EQ(QColor(img.pixel(0, 0)), QColor(Qt::blue));
    EXPECT_EQ(QColor(img.pixel(1, 0)), QColor(Qt::red));
    // More colours than the bit depth allows.
    Put32(bmp, 46, 17);
    EXPECT_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())), EReadError);
    // Compressed images are refused.
    Put32(bmp, 46, 2);
    Put32(bmp, 30, 2);
    EXPECT_THROW(DecodeBmp(bmp.data(), static_cast<int64_t>(bmp.size())), EReadError);
}

TEST(Streams, MemoryAndFileStreams)
{
    TMemoryStream m;
    m.WriteInt32(-2);
    m.WriteInt32(0x01020304);
    EXPECT_EQ(m.Size(), 8);
    m.SetPosition(0);
    EXPECT_EQ(m.ReadInt32(), -2);
    EXPECT_EQ(m.ReadInt32(), 0x01020304);
    EXPECT_THROW(m.ReadInt32(), EReadError);
    uint8_t buf[4];
    m.SetPosition(6);
    EXPECT_EQ(m.Read(buf, 4), 2);
    m.SetPosition(100);
    EXPECT_EQ(m.Read(buf, 4), 0);
    m.WriteBuffer("x", 1); // writing past the end zero-fills the gap
    EXPECT_EQ(m.Size(), 101);
    EXPECT_EQ(m.Bytes()[50], 0);
    // A far-off position or size raises instead of growing without bound.
    m.SetPosition(INT64_MAX);
    EXPECT_THROW(m.WriteInt32(1), EStreamError);
    m.SetPosition(TMemoryStream::MaxSize);
    EXPECT_THROW(m.WriteBuffer("x", 1), EStreamError);
    EXPECT_THROW(m.SetSize(TMemoryStream::MaxSize + 1), EStreamError);
    EXPECT_EQ(m.Size(), 101);

    QTemporaryDir dir;
    const QString name = dir.filePath("data.bin");
    {
        TFileStream f(name, fmCreate);
        m.SetPosition(0);
        EXPECT_EQ(f.CopyFrom(m, 8), 8);
    }
    TFileStream f(name, fmOpenRead);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.ReadInt32(), -2);
    EXPECT_THROW(TFileStream(dir.filePath("none/x.bin"), fmOpenRead), EStreamError);
}
