#pragma once

// The last step of the readers that decode through a library: the library's
// picture, whatever its layout, as the 24-bit blue-green-red picture the
// program works with. Transparent parts are laid over white, as icons are;
// 16-bit samples are reduced to 8 bits with rounding.
//
// Where the library's layout holds at least 3 bytes a pixel the picture is
// rewritten in its own memory, so a 24-megapixel file never holds two full
// copies at once.

#include <QImage>

namespace orvanto {

// A null image when decoded is null or memory runs out.
QImage OpaquePicture(QImage decoded);

// One 16-bit sample as 8 bits, rounded to the nearest.
constexpr int Sample16To8(int value) { return (value * 255 + 32767) / 65535; }

// A colour sample with its alpha (both 0..255, not premultiplied) laid over white.
constexpr int OverWhite8(int colour, int alpha) { return (colour * alpha + 255 * (255 - alpha) + 127) / 255; }

} // namespace orvanto
