#pragma once

#include <QImage>

#include <cstdint>

namespace orvanto {

// Every reader allocates its picture here. A header may claim more pixels
// than memory holds; such a size is refused before anything is touched, so a
// 65535 x 65535 file with no data fails at once instead of the system
// killing the program. Pictures are 24-bit blue-green-red, rows padded to
// 4 bytes.

// The bytes a 24-bit picture of this size takes, rows padded to 4 bytes;
// -1 for a negative size.
std::int64_t PictureBytes(std::int64_t width, std::int64_t height);

// The most pixels one picture may have: 2^28, about 268 megapixels or 805 MB
// at 24 bits. More than any print needs and more than the platform the
// formats come from could ever allocate, so a larger size is taken for a
// damaged header and refused as if memory had run out, even on a machine
// whose memory would hold it.
inline constexpr std::int64_t MaxPicturePixels = std::int64_t(1) << 28;

// True when a width x height picture has at most MaxPicturePixels and fits
// under the allocation ceiling and Qt's own size limits.
bool PictureFits(std::int64_t width, std::int64_t height);

enum class TPictureFill {
    White,
    // The pixels are left unspecified, sparing a pass over the whole picture:
    // for readers that write every pixel themselves, including the ones a
    // file cut short never reaches.
    None,
};

// A new picture, every pixel white unless fill says otherwise; a null image
// when the size is not positive, does not fit, or memory runs out. Callers
// report the null image with their own out-of-memory message.
QImage AllocatePicture(std::int64_t width, std::int64_t height, TPictureFill fill = TPictureFill::White);

// Paints every pixel from (x, y) onwards, in reading order, white: the part
// of a picture that data cut short never reached.
void FillWhiteFrom(QImage& picture, std::int64_t x, std::int64_t y);

} // namespace orvanto
