#pragma once

// The orientation a picture file records (EXIF tag 0x0112, values 1 to 8),
// and the turn that puts the stored raster upright. JPEG, TIFF, PNG and WebP
// carry it in an EXIF block; the tag's value is 1 whenever it is missing or
// cannot be read, so a damaged block never refuses a picture.

#include <QImage>

#include <cstddef>
#include <cstdint>

namespace orvanto {

// The orientation in an EXIF block that opens with "Exif\0\0" (a JPEG APP1
// segment's body; WebP writers use it too) or straight with the TIFF header
// (PNG's eXIf chunk, WebP's EXIF chunk as most writers store it).
int ExifOrientation(const std::uint8_t* exif, std::size_t size);

// The picture turned as orientation 2..8 describes (1 and anything else: the
// picture as it is); a null image when memory runs out. The turn is the
// raster's, done in place: hand the picture over (std::move) and a quarter
// turn gives its memory back as it goes instead of holding two pictures.
QImage Oriented(QImage picture, int orientation);

} // namespace orvanto
