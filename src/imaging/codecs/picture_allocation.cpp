#include "imaging/codecs/picture_allocation.h"

#include "support/memory/memory_limit.h"
#include "support/memory/picture_memory.h"

#include <cstring>

#include <algorithm>
#include <limits>

namespace orvanto {

std::int64_t PictureBytes(std::int64_t width, std::int64_t height)
{
    if (width < 0 || height < 0)
        return -1;
    // Guard the multiplication itself: both factors stay far below 2^31.
    if (width > std::numeric_limits<std::int32_t>::max()
        || height > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int64_t>::max();
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    if (height != 0 && stride > std::numeric_limits<std::int64_t>::max() / height)
        return std::numeric_limits<std::int64_t>::max();
    return stride * height;
}

bool PictureFits(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0 || width > MaxPicturePixels || height > MaxPicturePixels
        || width * height > MaxPicturePixels)
        return false;
    // QImage keeps its stride and size in 32-bit integers.
    const std::int64_t bytes = PictureBytes(width, height);
    return bytes <= AllocationCeiling() && bytes < std::numeric_limits<std::int32_t>::max();
}

QImage AllocatePicture(std::int64_t width, std::int64_t height, TPictureFill fill)
{
    if (!PictureFits(width, height))
        return QImage();
    QImage picture = NewPictureMemory(int(width), int(height));
    if (!picture.isNull() && fill == TPictureFill::White)
        FillWhiteFrom(picture, 0, 0);
    return picture;
}

void FillWhiteFrom(QImage& picture, std::int64_t x, std::int64_t y)
{
    if (picture.isNull() || picture.format() != QImage::Format_BGR888 || y >= picture.height())
        return;
    const std::size_t rowBytes = std::size_t(picture.width()) * 3;
    x = std::max<std::int64_t>(x, 0);
    y = std::max<std::int64_t>(y, 0);
    if (x > 0) {
        if (x < picture.width())
            std::memset(picture.scanLine(int(y)) + x * 3, 0xFF, rowBytes - std::size_t(x) * 3);
        ++y;
    }
    for (; y < picture.height(); ++y)
        std::memset(picture.scanLine(int(y)), 0xFF, rowBytes);
}

} // namespace orvanto
