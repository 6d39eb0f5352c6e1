#pragma once
// Free drawing routines of the instrument widgets: 3-D frames, percentages, the checker
// pattern, bitmap bounds, and the image-and-caption layout of buttons.
#include "platform/Colors.h"
#include "platform/Types.h"

#include <QString>

#include <cstdint>
#include <memory>

class TCanvas;
class TBitmap;

// Draws width nested 1-pixel frames inside rect (top and left in topColor, bottom and right in
// bottomColor) and shrinks rect by width on every side. A width of 0 or less draws nothing and
// leaves rect unchanged. Frames wholly outside the canvas's visible part are skipped.
void Draw3DFrame(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int32_t width);

// total * (percent * 0.01), truncated toward zero; a result outside 32 bits raises
// EIkException "Range check error".
int32_t PercentOf(int32_t percent, int32_t total);

// A new 8 x 8 bitmap in backColor with every pixel whose x and y are both even or both odd in
// foreColor.
std::unique_ptr<TBitmap> CheckerBitmap(TColor foreColor, TColor backColor);

// (0, 0, width, height) of the bitmap.
TRect BitmapBounds(const TBitmap& bitmap);

// Layout codes of CalcImageTextLayout (the image relative to the text).
constexpr int32_t ilImageLeft = 1;
constexpr int32_t ilImageRight = 2;
constexpr int32_t ilImageTop = 3;
constexpr int32_t ilImageBottom = 4;

// Result of CalcImageTextLayout: the image's top-left point and the caption's rectangle.
struct TIkImageTextPlacement
{
    TPoint ImagePos;
    TRect TextBounds;
};

// Places an image of imageSize and the caption (measured with the canvas's font) inside client.
// margin -1 centres image and text together; spacing -1 spreads them evenly.
TIkImageTextPlacement CalcImageTextLayout(TCanvas& canvas, const TRect& client,
                                          const QString& caption, int32_t layoutCode,
                                          int32_t margin, int32_t spacing, TSize imageSize);

// Draws the caption centred in rect on one line, or engraved (highlight offset by one pixel,
// then shadow) at rect's top-left when disabled.
void DrawLayoutCaption(TCanvas& canvas, const QString& text, const TRect& rect, bool enabled);
