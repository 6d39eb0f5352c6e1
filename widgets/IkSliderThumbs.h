#pragma once
// The slider's built-in thumb images, looked up by resource name.
#include <QImage>

#include <string_view>

// 30 x 13 thumb of vertical sliders.
inline constexpr std::string_view IKSLIDERTHUMB_HORI = "IKSLIDERTHUMB_HORI";
// 13 x 30 thumb of horizontal sliders.
inline constexpr std::string_view IKSLIDERTHUMB_VERT = "IKSLIDERTHUMB_VERT";

// The named built-in thumb; a null image for an unknown name.
QImage IkSliderThumbImage(std::string_view name);
