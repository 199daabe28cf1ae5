#pragma once

// PNG and GIF through Qt's own readers, into a 24-bit blue-green-red picture.
//
// PNG: 1 to 16 bits, palette, grey and colour, with or without alpha; an
// embedded ICC profile (iCCP) is turned into sRGB and an EXIF orientation
// (eXIf) applied. GIF: the first frame of an animation. Transparent parts are
// laid over white. The size in the header is checked before any decoding: a
// picture too large fails with "Out of memory"; a damaged or truncated PNG
// with "Unknown format". A GIF cut short inside its first frame shows the
// rows Qt's reader decoded, the rest in the colour it fills them with.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

enum class TQtPictureFormat { Png, Gif };

bool ReadQtPicture(const std::uint8_t* data, std::size_t size, TQtPictureFormat format, QImage& picture,
                   std::string& error);
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadQtPictureFile(const std::string& path, TQtPictureFormat format, QImage& picture, std::string& error);

} // namespace orvanto
