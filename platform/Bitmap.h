#pragma once
// An off-screen bitmap: a 32-bit QImage with its own canvas, a transparent colour and a stream
// form (a 32-bit little-endian byte count followed by a standard BMP file image). Sizes are in
// logical pixels; at a device pixel ratio above 1 the image holds round(size x ratio) device
// pixels and carries the ratio, and its canvas draws at device resolution.
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

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Resizes keeping the top-left pixels; new area is white. Negative sizes count as 0;
    // sizes above MaxBitmapDimension raise EInvalidOperation.
    void SetWidth(int value);
    void SetHeight(int value);
    void SetSize(int width, int height);
    bool Empty() const { return FImage.isNull() || Width() == 0 || Height() == 0; }

    // Device pixels per logical pixel (1 to 8; other values are clamped). A change keeps the
    // logical size and scales the contents to the new device size (owners usually redraw).
    double PixelRatio() const { return FRatio; }
    void SetPixelRatio(double ratio);
    // Device pixels of a logical length at the bitmap's ratio.
    int DeviceLength(int logical) const;

    // The bitmap's own canvas (bound to the image while the bitmap is not empty).
    TCanvas& Canvas();
    const TCanvas& Canvas() const;

    // The pixels (Format_RGB32, device size, carrying the ratio). Image() ends any open painting
    // first.
    const QImage& Image() const;
    // Replaces the contents by a copy of the image converted to 32 bits; the bitmap takes the
    // image's device pixel ratio (1 for images read from files).
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
    double FRatio = 1.0;
    int FWidth = 0;
    int FHeight = 0;
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
