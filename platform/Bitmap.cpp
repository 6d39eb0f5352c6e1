#include "platform/Bitmap.h"

#include "platform/Raster.h"
#include "platform/Streams.h"

#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace {

QImage WhiteImage(int width, int height, double ratio = 1.0)
{
    if (width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

constexpr double MinRatio = 1.0;
constexpr double MaxRatio = 8.0;

double ClampRatio(double ratio)
{
    return std::isfinite(ratio) ? std::clamp(ratio, MinRatio, MaxRatio) : MinRatio;
}

void CheckDimensions(int width, int height)
{
    if (width > MaxBitmapDimension || height > MaxBitmapDimension ||
        static_cast<int64_t>(width) * height > MaxBitmapPixels)
        throw EInvalidOperation("Bitmap too large");
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    CheckDimensions(width, height);
    FImage = WhiteImage(width, height);
    FWidth = FImage.isNull() ? 0 : width;
    FHeight = FImage.isNull() ? 0 : height;
}

TBitmap::TBitmap(const TBitmap& other)
    : FImage(other.Image()), FRatio(other.FRatio), FWidth(other.FWidth), FHeight(other.FHeight),
      FTransparentMode(other.FTransparentMode), FTransparentColor(other.FTransparentColor),
      FTransparent(other.FTransparent)
{
}

TBitmap& TBitmap::operator=(const TBitmap& other)
{
    if (this != &other)
        Assign(&other);
    return *this;
}

TBitmap::~TBitmap()
{
    if (FCanvas)
        FCanvas->Detach();
}

void TBitmap::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TBitmap::ReplaceImage(QImage image)
{
    if (FCanvas)
        FCanvas->ReleasePainter();
    FImage = std::move(image);
    if (!FImage.isNull())
        FImage.setDevicePixelRatio(FRatio);
    FWidth = FImage.isNull() ? 0 : LogicalLength(FImage.width(), FRatio);
    FHeight = FImage.isNull() ? 0 : LogicalLength(FImage.height(), FRatio);
    if (FCanvas)
        FCanvas->Attach(Empty() ? nullptr : &FImage);
}

void TBitmap::SetWidth(int value)
{
    SetSize(value, Height());
}

void TBitmap::SetHeight(int value)
{
    SetSize(Width(), value);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height())
        return;
    const int deviceWidth = DevicePosition(width, FRatio);
    const int deviceHeight = DevicePosition(height, FRatio);
    CheckDimensions(deviceWidth, deviceHeight);
    QImage resized = WhiteImage(deviceWidth, deviceHeight, FRatio);
    if (!resized.isNull() && !Empty()) {
        const QImage& old = Image();
        const int w = std::min(deviceWidth, old.width());
        const int h = std::min(deviceHeight, old.height());
        for (int y = 0; y < h; ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(old.constScanLine(y)), w,
                        reinterpret_cast<QRgb*>(resized.scanLine(y)));
    }
    ReplaceImage(std::move(resized));
    Changed();
}

int TBitmap::DeviceLength(int logical) const
{
    return DevicePosition(logical, FRatio);
}

void TBitmap::SetPixelRatio(double ratio)
{
    ratio = ClampRatio(ratio);
    if (ratio == FRatio)
        return;
    const int width = FWidth;
    const int height = FHeight;
    FRatio = ratio;
    if (Empty()) {
        ReplaceImage(QImage());
    } else {
        const int deviceWidth = DevicePosition(width, ratio);
        const int deviceHeight = DevicePosition(height, ratio);
        CheckDimensions(deviceWidth, deviceHeight);
        QImage scaled = Image().scaled(deviceWidth, deviceHeight, Qt::IgnoreAspectRatio,
                                       Qt::FastTransformation);
        ReplaceImage(std::move(scaled));
    }
    Changed();
}

TCanvas& TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TCanvas>();
        FCanvas->Attach(Empty() ? nullptr : &FImage);
    }
    return *FCanvas;
}

const TCanvas& TBitmap::Canvas() const
{
    return const_cast<TBitmap*>(this)->Canvas();
}

const QImage& TBitmap::Image() const
{
    // Painting must not go on into a buffer that callers may now share.
    if (FCanvas)
        FCanvas->ReleasePainter();
    return FImage;
}

void TBitmap::SetImage(const QImage& image)
{
    if (!image.isNull())
        CheckDimensions(image.width(), image.height());
    FRatio = image.isNull() ? FRatio : ClampRatio(image.devicePixelRatio());
    ReplaceImage(image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32));
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed)
        return FTransparentColor;
    if (Empty())
        return clNone;
    const QImage& image = Image();
    return QColorToColor(QColor(image.pixel(0, image.height() - 1)));
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (FTransparentMode == tmFixed && FTransparentColor == color)
        return;
    FTransparentMode = tmFixed;
    FTransparentColor = color;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (FTransparentMode == mode)
        return;
    FTransparentMode = mode;
    Changed();
}

void TBitmap::SetTransparent(bool value)
{
    if (FTransparent == value)
        return;
    FTransparent = value;
    Changed();
}

void TBitmap::Assign(const TBitmap* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        ReplaceImage(QImage());
        FTransparentMode = tmAuto;
        FTransparentColor = clNone;
        FTransparent = false;
    } else {
        FRatio = source->FRatio;
        ReplaceImage(source->Image());
        FTransparentMode = source->FTransparentMode;
        FTransparentColor = source->FTransparentColor;
        FTransparent = source->FTransparent;
    }
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream)
{
    const int64_t size = stream.Remaining();
    if (size <= 0)
        throw EReadError("Bitmap image is not valid");
    // Never more than the largest image the decoder accepts, plus headers and a palette.
    constexpr int64_t MaxFileSize = MaxBitmapPixels * 4 + 64 * 1024;
    if (size > MaxFileSize)
        throw EReadError("Bitmap image is not valid");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
    SetImage(DecodeBmp(bytes.data(), size));
}

void TBitmap::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    const std::vector<uint8_t> bytes = EncodeBmp(Image());
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBitmap::LoadFromFile(const QString& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TBitmap::SaveToFile(const QString& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TBitmap::LoadFromResource(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxBitmapDimension || size.height() > MaxBitmapDimension))
        throw EReadError("Bitmap image is not valid");
    const QImage image = reader.read();
    if (image.isNull())
        throw EReadError("Cannot load image \"" + path.toStdString() + "\"");
    SetImage(image);
}

void TBitmap::WriteToStream(TStream& stream) const
{
    if (Empty()) {
        stream.WriteInt32(0);
        return;
    }
    const std::vector<uint8_t> bytes = EncodeBmp(Image());
    stream.WriteInt32(static_cast<int32_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBitmap::ReadFromStream(TStream& stream)
{
    const int32_t length = stream.ReadInt32();
    if (length < 0 || length > stream.Remaining())
        throw EReadError("Bitmap image is not valid");
    if (length == 0) {
        ReplaceImage(QImage());
        Changed();
        return;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    stream.ReadBuffer(bytes.data(), length);
    SetImage(DecodeBmp(bytes.data(), length));
}
