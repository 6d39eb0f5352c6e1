#include "platform/Cursors.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <algorithm>

namespace {

std::optional<Qt::CursorShape> BuiltInShape(TCursor index)
{
    switch (index) {
    case crDefault:
    case crArrow:
        return Qt::ArrowCursor;
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return std::nullopt;
    }
}

std::optional<TRect>& ClipRectStorage()
{
    static std::optional<TRect> clip;
    return clip;
}

QCursor& RequestedCursor()
{
    static QCursor cursor;
    return cursor;
}

} // namespace

QCursor TScreen::Cursors(TCursor index) const
{
    if (auto it = FCursors.find(index); it != FCursors.end())
        return it->second;
    if (auto shape = BuiltInShape(index))
        return QCursor(*shape);
    return QCursor(Qt::ArrowCursor);
}

void TScreen::SetCursors(TCursor index, const QCursor& cursor)
{
    FCursors[index] = cursor;
}

bool TScreen::HasCursor(TCursor index) const
{
    return FCursors.count(index) != 0 || BuiltInShape(index).has_value();
}

void TScreen::SetCursor(TCursor value)
{
    if (FCursor == value)
        return;
    const bool hadOverride = FCursor != crDefault;
    FCursor = value;
    if (qGuiApp == nullptr)
        return;
    if (hadOverride)
        QGuiApplication::restoreOverrideCursor();
    if (value != crDefault)
        QGuiApplication::setOverrideCursor(Cursors(value));
}

TScreen& Screen()
{
    static TScreen screen;
    return screen;
}

QCursor CreateMonochromeCursor(const std::vector<std::string>& rows, int hotX, int hotY)
{
    size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.size());
    const int w = static_cast<int>(std::max<size_t>(width, 1));
    const int h = static_cast<int>(std::max<size_t>(rows.size(), 1));
    // Cursor bitmap: 1 = black; mask: 1 = opaque.
    QImage bits(w, h, QImage::Format_Mono);
    QImage mask(w, h, QImage::Format_Mono);
    // Index 1 must be black (Qt::color1): set bits are black pixels and opaque mask pixels.
    const QList<QRgb> monochrome{qRgb(255, 255, 255), qRgb(0, 0, 0)};
    bits.setColorTable(monochrome);
    mask.setColorTable(monochrome);
    bits.fill(0);
    mask.fill(0);
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        const std::string& row = rows[static_cast<size_t>(y)];
        for (int x = 0; x < static_cast<int>(row.size()); ++x) {
            const char c = row[static_cast<size_t>(x)];
            if (c == 'K' || c == 'W') {
                mask.setPixel(x, y, 1);
                bits.setPixel(x, y, c == 'K' ? 1 : 0);
            }
        }
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), std::clamp(hotX, 0, w - 1),
                   std::clamp(hotY, 0, h - 1));
}

void ClipCursor(const TRect* rect)
{
    if (rect == nullptr || IsRectEmpty(*rect)) {
        ClipRectStorage().reset();
        return;
    }
    ClipRectStorage() = *rect;
    TPoint p;
    GetCursorPos(p);
    const TPoint clamped = ClampToCursorClip(p);
    if (clamped != p)
        QCursor::setPos(clamped.X, clamped.Y);
}

std::optional<TRect> CursorClipRect()
{
    return ClipRectStorage();
}

TPoint ClampToCursorClip(const TPoint& screenPoint)
{
    const auto& clip = ClipRectStorage();
    if (!clip)
        return screenPoint;
    return {std::clamp(screenPoint.X, clip->Left, clip->Right - 1),
            std::clamp(screenPoint.Y, clip->Top, clip->Bottom - 1)};
}

bool GetCursorPos(TPoint& point)
{
    const QPoint p = QCursor::pos();
    point = {p.x(), p.y()};
    return true;
}

QCursor SetCursor(const QCursor& cursor)
{
    QCursor previous = RequestedCursor();
    RequestedCursor() = cursor;
    return previous;
}

QCursor LastSetCursor()
{
    return RequestedCursor();
}
