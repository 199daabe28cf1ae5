#include "imaging/colour/exif_orientation.h"

#include "raster/raster_transforms.h"
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

TExifThumbnail ExifThumbnail(const std::uint8_t* exif, std::size_t size)
{
    if (size >= 6 && std::memcmp(exif, "Exif\0\0", 6) == 0) {
        exif += 6;
        size -= 6;
    }
    if (size < 8)
        return {};
    const bool big = exif[0] == 'M' && exif[1] == 'M';
    if ((!big && !(exif[0] == 'I' && exif[1] == 'I')) || Exif16(exif + 2, big) != 42)
        return {};
    // The first directory only tells where the second one starts.
    const std::uint64_t first = Exif32(exif + 4, big);
    if (first > size || size - first < 2)
        return {};
    const std::uint64_t next = first + 2 + std::uint64_t(Exif16(exif + first, big)) * 12;
    if (next > size || size - next < 4)
        return {};
    const std::uint64_t second = Exif32(exif + next, big);
    if (second == 0 || second > size || size - second < 2)
        return {};
    std::uint64_t offset = 0, length = 0;
    const std::size_t entries = Exif16(exif + second, big);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint64_t at = second + 2 + std::uint64_t(i) * 12;
        if (at + 12 > size)
            break;
        const int tag = Exif16(exif + at, big), type = Exif16(exif + at + 2, big);
        const std::uint32_t value = type == 3 ? Exif16(exif + at + 8, big) : Exif32(exif + at + 8, big);
        if (tag == 0x0201 && (type == 4 || type == 3))
            offset = value;
        else if (tag == 0x0202 && (type == 4 || type == 3))
            length = value;
    }
    if (offset == 0 || length < 4 || offset > size || size - offset < length)
        return {};
    return {exif + offset, std::size_t(length)};
}

QImage Oriented(QImage picture, int orientation)
{
    if (orientation < 2 || orientation > 8 || picture.isNull())
        return picture;
    // Each orientation as the raster's turns: 5 to 8 swap the sides with a
    // quarter turn, the one step that needs a second picture, so it goes
    // first and a failure leaves nothing half done; 5 and 7 are its mirror
    // images.
    enum TStep { None, Mirror, Flip, Half, Clockwise, CounterClockwise };
    static constexpr TStep Steps[9][2] = {
        {None, None}, {None, None}, {Mirror, None}, {Half, None}, {Flip, None},
        {Clockwise, Mirror}, {Clockwise, None}, {Clockwise, Flip}, {CounterClockwise, None},
    };
    TManipulationInfo info;
    info.Bitmap = &picture;
    for (const TStep step : Steps[orientation]) {
        info.Rect = PictureRect(&picture);
        bool done = true;
        switch (step) {
        case None: break;
        case Mirror: done = MirrorHorizontal(info); break;
        case Flip: done = FlipVertical(info); break;
        case Half: done = RotateHalf(info); break;
        case Clockwise: done = RotateQuarter(info, RotateClockwise); break;
        case CounterClockwise: done = RotateQuarter(info, RotateCounterClockwise); break;
        }
        if (!done)
            return QImage();
    }
    return picture;
}

} // namespace orvanto
