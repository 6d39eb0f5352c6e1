#include "widgets/IkGraphics.h"

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "widgets/IkClasses.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A 64-bit result back to 32 bits; EIntOverflow when it does not fit.
int32_t Narrow(int64_t value)
{
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw EIntOverflow();
    return static_cast<int32_t>(value);
}

TPoint Pt(int64_t x, int64_t y)
{
    return {ClampToInt32(x), ClampToInt32(y)};
}

} // namespace

void Draw3DFrame(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int32_t width)
{
    if (width <= 0)
        return;
    // The shrunk rectangle first: an overflow raises before anything is drawn.
    TRect result = rect;
    InflateRect(result, -width, -width);

    // Each frame moves its left and top lines right and down and its right and bottom lines
    // left and up, so once all four have passed the visible part of the canvas no later frame
    // can show a pixel: an absurd width must not turn into billions of invisible lines.
    const TRect visible = canvas.ClipRect();
    const int64_t reach = std::max<int64_t>(
        {int64_t{visible.Right} - rect.Left, int64_t{visible.Bottom} - rect.Top,
         int64_t{rect.Right} - visible.Left, int64_t{rect.Bottom} - visible.Top, int64_t{0}});
    const int64_t frames = std::min<int64_t>(width, reach);

    canvas.Pen().SetWidth(1);
    int64_t left = rect.Left;
    int64_t top = rect.Top;
    int64_t right = int64_t{rect.Right} - 1;
    int64_t bottom = int64_t{rect.Bottom} - 1;
    for (int64_t i = 0; i < frames; ++i) {
        canvas.Pen().SetColor(topColor);
        canvas.Polyline({Pt(left, bottom), Pt(left, top), Pt(right, top)});
        canvas.Pen().SetColor(bottomColor);
        canvas.Polyline({Pt(right, top), Pt(right, bottom), Pt(left - 1, bottom)});
        ++left;
        ++top;
        --right;
        --bottom;
    }
    rect = result;
}

int32_t PercentOf(int32_t percent, int32_t total)
{
    const long double value = std::trunc(static_cast<long double>(total) * (percent * 0.01L));
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw EIkException("Range check error");
    return static_cast<int32_t>(value);
}

std::unique_ptr<TBitmap> CheckerBitmap(TColor foreColor, TColor backColor)
{
    QImage image(8, 8, QImage::Format_RGB32);
    const QRgb fore = ColorToQColor(foreColor).rgb();
    image.fill(ColorToQColor(backColor));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            if ((x + y) % 2 == 0)
                image.setPixel(x, y, fore);
        }
    }
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetImage(image);
    return bitmap;
}

TRect BitmapBounds(const TBitmap& bitmap)
{
    return {0, 0, bitmap.Width(), bitmap.Height()};
}

TIkImageTextPlacement CalcImageTextLayout(TCanvas& canvas, const TRect& client,
                                          const QString& caption, int32_t layoutCode,
                                          int32_t margin, int32_t spacing, TSize imageSize)
{
    TRect textRect{};
    if (!caption.isEmpty()) {
        textRect = {0, 0, client.Width(), 0};
        canvas.DrawText(caption, textRect, DT_CALCRECT);
    }

    // Computed in 64 bits from 32-bit inputs (no intermediate can overflow); results that do not
    // fit 32 bits raise EIntOverflow.
    const int64_t cw = int64_t{client.Right} - client.Left;
    const int64_t ch = int64_t{client.Bottom} - client.Top;
    const int64_t iw = imageSize.cx;
    const int64_t ih = imageSize.cy;
    const int64_t tw = textRect.Width();
    const int64_t th = textRect.Height();
    int64_t m = margin;
    int64_t s = spacing;
    const bool horizontal = layoutCode == ilImageLeft || layoutCode == ilImageRight;

    int64_t imageX = 0, imageY = 0, textX = 0, textY = 0;
    if (horizontal) {
        imageY = (ch - ih + 1) / 2;
        textY = (ch - th + 1) / 2;
    } else {
        imageX = (cw - iw + 1) / 2;
        textX = (cw - tw + 1) / 2;
    }

    if (tw == 0 || iw == 0)
        s = 0;
    // Room, image and text lengths along the layout's axis.
    const int64_t room = horizontal ? cw : ch;
    const int64_t imageLength = horizontal ? iw : ih;
    const int64_t textLength = horizontal ? tw : th;
    if (m == -1) {
        if (s == -1) {
            m = (room - (imageLength + textLength)) / 3;
            s = m;
        } else {
            m = (room - (imageLength + s + textLength) + 1) / 2;
        }
    } else if (s == -1) {
        s = ((room - (m + imageLength)) - textLength) / 2;
    }

    switch (layoutCode) {
    case ilImageLeft:
        imageX = m;
        textX = imageX + iw + s;
        break;
    case ilImageRight:
        imageX = cw - m - iw;
        textX = imageX - s - tw;
        break;
    case ilImageTop:
        imageY = m;
        textY = imageY + ih + s;
        break;
    case ilImageBottom:
        imageY = ch - m - ih;
        textY = imageY - s - th;
        break;
    default:
        break;
    }

    TIkImageTextPlacement placement;
    placement.ImagePos = {Narrow(imageX + client.Left), Narrow(imageY + client.Top)};
    placement.TextBounds = textRect;
    OffsetRect(placement.TextBounds, Narrow(client.Left + textX), Narrow(client.Top + textY));
    return placement;
}

void DrawLayoutCaption(TCanvas& canvas, const QString& text, const TRect& rect, bool enabled)
{
    canvas.Brush().SetStyle(bsClear);
    TRect r = rect;
    if (enabled) {
        canvas.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    OffsetRect(r, 1, 1);
    canvas.Font().SetColor(clBtnHighlight);
    canvas.DrawText(text, r, 0);
    r = rect;
    canvas.Font().SetColor(clBtnShadow);
    canvas.DrawText(text, r, 0);
}
