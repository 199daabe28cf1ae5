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

// The JPEG thumbnail an EXIF block carries in its second directory (tags
// 0x0201 and 0x0202), as cameras write it: its bytes inside the block, or
// an empty span when there is none or its place lies outside the block.
struct TExifThumbnail {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
};
TExifThumbnail ExifThumbnail(const std::uint8_t* exif, std::size_t size);

// The picture turned as orientation 2..8 describes (1 and anything else: the
// picture as it is); a null image when memory runs out. The turn is the
// raster's, done in place: hand the picture over (std::move) and a quarter
// turn gives its memory back as it goes instead of holding two pictures.
QImage Oriented(QImage picture, int orientation);

} // namespace orvanto
