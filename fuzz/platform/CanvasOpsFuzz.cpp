// Drawing calls with arbitrary coordinates, sizes and settings on a small bitmap: nothing may
// crash, overflow or write outside the image.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <QGuiApplication>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

namespace {

// Mostly small coordinates around the bitmap, sometimes anything.
int Coordinate(FuzzedDataProvider& in)
{
    if (in.ConsumeBool())
        return in.ConsumeIntegral<int32_t>();
    return in.ConsumeIntegralInRange<int>(-40, 80);
}

TRect AnyRect(FuzzedDataProvider& in)
{
    return {Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    TBitmap bitmap(48, 32);
    TBitmap other(8, 8);
    TCanvas& c = bitmap.Canvas();
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 24)) {
        case 0:
            c.MoveTo(Coordinate(in), Coordinate(in));
            break;
        case 1:
            c.LineTo(Coordinate(in), Coordinate(in));
            break;
        case 2: {
            const TRect r = AnyRect(in);
            c.Rectangle(r);
            break;
        }
        case 3: {
            const TRect r = AnyRect(in);
            c.Ellipse(r);
            break;
        }
        case 4: {
            const TRect r = AnyRect(in);
            c.RoundRect(r.Left, r.Top, r.Right, r.Bottom, Coordinate(in), Coordinate(in));
            break;
        }
        case 5: {
            std::vector<TPoint> pts(in.ConsumeIntegralInRange<size_t>(0, 6));
            for (auto& p : pts)
                p = {Coordinate(in), Coordinate(in)};
            if (in.ConsumeBool())
                c.Polygon(pts);
            else
                c.Polyline(pts);
            break;
        }
        case 6:
            c.FillRect(AnyRect(in));
            break;
        case 7:
            c.FrameRect(AnyRect(in));
            break;
        case 8:
            c.SetPixel(Coordinate(in), Coordinate(in), in.ConsumeIntegral<int32_t>());
            break;
        case 9:
            c.Pen().SetWidth(in.ConsumeIntegralInRange<int>(-2, 12));
            c.Pen().SetStyle(static_cast<TPenStyle>(in.ConsumeIntegralInRange<int>(0, 6)));
            c.Pen().SetMode(static_cast<TPenMode>(in.ConsumeIntegralInRange<int>(0, 15)));
            break;
        case 10:
            if (in.ConsumeBool())
                c.Pen().SetAlternate(in.ConsumeIntegral<int32_t>());
            else
                c.Pen().SetGeometric(in.ConsumeIntegral<int32_t>(),
                                     in.ConsumeIntegralInRange<int>(-2, 12),
                                     static_cast<TPenStyle>(in.ConsumeIntegralInRange<int>(0, 6)),
                                     static_cast<TPenEndCap>(in.ConsumeIntegralInRange<int>(0, 2)),
                                     static_cast<TPenJoin>(in.ConsumeIntegralInRange<int>(0, 2)));
            break;
        case 11:
            c.Brush().SetStyle(static_cast<TBrushStyle>(in.ConsumeIntegralInRange<int>(0, 7)));
            c.Brush().SetColor(in.ConsumeIntegral<int32_t>());
            c.Brush().SetBitmap(in.ConsumeBool() ? &other : nullptr);
            break;
        case 12:
            c.IntersectClipRect(AnyRect(in));
            break;
        case 13:
            c.ExtSelectClipRegion(TRegion::FromEllipse(AnyRect(in)),
                                  in.ConsumeIntegralInRange<int>(1, 5));
            break;
        case 14:
            if (in.ConsumeBool())
                c.SaveClip();
            else
                c.RestoreClip();
            break;
        case 15:
            c.SetWindowOrg(Coordinate(in), Coordinate(in));
            break;
        case 16:
            c.SetTextAlign(in.ConsumeIntegral<unsigned>());
            c.SetTextCharacterExtra(in.ConsumeIntegralInRange<int>(-5, 20));
            c.TextOut(Coordinate(in), Coordinate(in),
                      QString::fromStdString(in.ConsumeRandomLengthString(8)));
            break;
        case 17: {
            TRect r = AnyRect(in);
            c.DrawText(QString::fromStdString(in.ConsumeRandomLengthString(12)), r,
                       in.ConsumeIntegral<unsigned>());
            break;
        }
        case 18:
            if (in.ConsumeBool())
                c.BeginPath();
            else
                c.EndPath();
            break;
        case 19:
            switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                c.StrokePath();
                break;
            case 1:
                c.FillPath();
                break;
            case 2:
                c.StrokeAndFillPath();
                break;
            case 3:
                c.WidenPath();
                break;
            default:
                c.SelectClipPath(in.ConsumeIntegralInRange<int>(1, 5));
                break;
            }
            break;
        case 20:
            c.CopyRect(AnyRect(in), in.ConsumeBool() ? c : other.Canvas(), AnyRect(in));
            break;
        case 21:
            c.StretchDraw(AnyRect(in), in.ConsumeBool() ? bitmap : other);
            break;
        case 22:
            c.BrushCopy(AnyRect(in), other, AnyRect(in), in.ConsumeIntegral<int32_t>());
            break;
        case 23:
            BitBlt(c, Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in),
                   other.Canvas(), Coordinate(in), Coordinate(in));
            break;
        default:
            c.Font().SetHeight(in.ConsumeIntegralInRange<int>(-200, 200));
            c.Font().SetStyle(in.ConsumeIntegral<unsigned>());
            break;
        }
    }
    (void)c.Pixel(Coordinate(in), Coordinate(in));
    (void)c.ClipRect();
    return 0;
}
