#include "imaging/codecs/picture_allocation.h"

#include "support/memory_limit.h"

#include <limits>

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
    if (width <= 0 || height <= 0)
        return false;
    // QImage keeps its stride and size in 32-bit integers.
    const std::int64_t bytes = PictureBytes(width, height);
    return bytes <= AllocationCeiling() && bytes < std::numeric_limits<std::int32_t>::max();
}

QImage AllocatePicture(std::int64_t width, std::int64_t height)
{
    if (!PictureFits(width, height))
        return QImage();
    QImage picture(int(width), int(height), QImage::Format_BGR888);
    if (!picture.isNull())
        picture.fill(Qt::white);
    return picture;
}
