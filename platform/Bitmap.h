#pragma once
// An off-screen bitmap: a 32-bit QImage with its own canvas, a transparent colour and a stream
// form (a 32-bit little-endian byte count followed by a standard BMP file image).
#include "platform/Canvas.h"
#include "platform/Colors.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TStream;

// Largest width or height and pixel count a bitmap accepts from a stream or a file.
constexpr int MaxBitmapDimension = 16384;
constexpr int64_t MaxBitmapPixels = 64LL * 1024 * 1024;

enum TTransparentMode
{
    tmAuto,
    tmFixed
};

class TBitmap
{
public:
    // An empty bitmap (0 x 0).
    TBitmap();
    // A bitmap of the given size filled white.
    TBitmap(int width, int height);
    // Copies the image and the transparency settings (the canvas starts fresh).
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap();

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    // Resizes keeping the top-left pixels; new area is white. Negative sizes count as 0;
    // sizes above MaxBitmapDimension raise EInvalidOperation.
    void SetWidth(int value);
    void SetHeight(int value);
    void SetSize(int width, int height);
    bool Empty() const { return FImage.isNull() || Width() == 0 || Height() == 0; }

    // The bitmap's own canvas (bound to the image while the bitmap is not empty).
    TCanvas& Canvas();
    const TCanvas& Canvas() const;

    // The pixels (Format_RGB32). Image() ends any open painting first.
    const QImage& Image() const;
    // Replaces the contents by a copy of the image converted to 32 bits.
    void SetImage(const QImage& image);

    // Pixels of this colour are see-through when Transparent is set. tmAuto: the bottom-left
    // pixel (clNone for an empty bitmap); tmFixed: the colour set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color); // switches to tmFixed
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    // Copies image and settings of source (nullptr empties this bitmap).
    void Assign(const TBitmap* source);

    // A plain BMP file image (no length prefix). Load raises EReadError on bad data and leaves
    // the bitmap unchanged.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;
    // Any image Qt reads, e.g. ":/images/thumb.bmp" from the resources; EReadError on failure.
    void LoadFromResource(const QString& path);

    // The stream form: a 32-bit little-endian length, then that many bytes of BMP image.
    // ReadFromStream checks the length against the bytes left before reading them.
    void WriteToStream(TStream& stream) const;
    void ReadFromStream(TStream& stream);

    // Fired after the image or the settings changed (not for drawing on the canvas).
    std::function<void(TBitmap*)> OnChange;

private:
    void Changed();
    void ReplaceImage(QImage image);

    QImage FImage;
    mutable std::unique_ptr<TCanvas> FCanvas;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clNone;
    bool FTransparent = false;
};

// Decodes a BMP file image (1, 4, 8, 16, 24 or 32 bits; uncompressed or bit fields). Raises
// EReadError for anything malformed, truncated or larger than the bitmap limits.
QImage DecodeBmp(const uint8_t* data, int64_t size);
// Encodes the image as a 24-bit bottom-up BMP file image.
std::vector<uint8_t> EncodeBmp(const QImage& image);
