#include "workspace/page_bitmap.h"

#include "raster/resampler.h"

#include <QColor>

#include <new>

namespace orvanto {

namespace {

std::int64_t PaddedBytes(std::int64_t width, std::int64_t height)
{
    return (width * 3 + 3) / 4 * 4 * height;
}

} // namespace

void FitPageBitmap(int& width, int& height, std::int64_t budget)
{
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;
    while (width > 1 && PaddedBytes(width, height) > budget)
        --width;
}

QImage DrawPageBitmap(const QImage& picture, int width, int height, int left, int top,
                      int pictureWidth, int pictureHeight, std::uint32_t background)
{
    try {
        QImage page(width, height, QImage::Format_BGR888);
        if (page.isNull())
            return QImage();
        page.fill(QColor(int(background & 0xFF), int((background >> 8) & 0xFF),
                         int((background >> 16) & 0xFF)));
        // Only the part of the picture on the page is scaled, straight into
        // the page: no scaled copy of the picture is made.
        if (!DrawScaled(picture, page, {left, top, pictureWidth, pictureHeight}))
            return QImage();
        return page;
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

} // namespace orvanto
