#include "imaging/exif_orientation.h"

#include "imaging/codecs/picture_allocation.h"
#include "support/text/byte_order.h"

#include <cstring>

namespace orvanto {

namespace {

std::uint16_t Exif16(const std::uint8_t* p, bool big) { return big ? BigEndian16(p) : LittleEndian16(p); }
std::uint32_t Exif32(const std::uint8_t* p, bool big) { return big ? BigEndian32(p) : LittleEndian32(p); }

} // namespace

int ExifOrientation(const std::uint8_t* exif, std::size_t size)
{
    // Optionally "Exif\0\0", then a TIFF header: byte order, 42, offset of the first IFD.
    if (size >= 6 && std::memcmp(exif, "Exif\0\0", 6) == 0) {
        exif += 6;
        size -= 6;
    }
    if (size < 8)
        return 1;
    const std::uint8_t* tiff = exif;
    const std::size_t length = size;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I'))
        return 1;
    if (Exif16(tiff + 2, big) != 42)
        return 1;
    const std::uint32_t ifd = Exif32(tiff + 4, big);
    if (ifd > length || length - ifd < 2)
        return 1;
    const std::size_t entries = Exif16(tiff + ifd, big);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t at = ifd + 2 + i * 12;
        if (at + 12 > length)
            break;
        if (Exif16(tiff + at, big) != 0x0112)
            continue;
        if (Exif16(tiff + at + 2, big) != 3) // SHORT
            return 1;
        const int value = Exif16(tiff + at + 8, big);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

QImage Oriented(const QImage& source, int orientation)
{
    if (orientation < 2 || orientation > 8)
        return source;
    const int w = source.width(), h = source.height();
    const bool swaps = orientation >= 5;
    QImage target = AllocatePicture(swaps ? h : w, swaps ? w : h, TPictureFill::None);
    if (target.isNull())
        return target;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = source.constScanLine(y);
        for (int x = 0; x < w; ++x, src += 3) {
            int tx = x, ty = y;
            switch (orientation) {
            case 2: tx = w - 1 - x; break;
            case 3: tx = w - 1 - x, ty = h - 1 - y; break;
            case 4: ty = h - 1 - y; break;
            case 5: tx = y, ty = x; break;
            case 6: tx = h - 1 - y, ty = x; break;
            case 7: tx = h - 1 - y, ty = w - 1 - x; break;
            case 8: tx = y, ty = w - 1 - x; break;
            default: break;
            }
            std::memcpy(target.scanLine(ty) + tx * 3, src, 3);
        }
    }
    return target;
}

} // namespace orvanto
