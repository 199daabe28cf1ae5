#include "workspace/page_bitmap.h"

#include "raster/resampler.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <new>

namespace orvanto {

namespace {

// The part of a rectangle of 64-bit extent that lies on a page of width x
// height, as a QRect (which cannot hold edges beyond the 32-bit range).
QRect Clipped(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
              int pageWidth, int pageHeight)
{
    const std::int64_t l = std::max<std::int64_t>(left, 0);
    const std::int64_t t = std::max<std::int64_t>(top, 0);
    const std::int64_t r = std::min<std::int64_t>(left + width, pageWidth);
    const std::int64_t b = std::min<std::int64_t>(top + height, pageHeight);
    if (r <= l || b <= t)
        return QRect();
    return QRect(int(l), int(t), int(r - l), int(b - t));
}

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
                      int pictureWidth, int pictureHeight, std::uint32_t background,
                      const TScaleWatch& watch)
{
    try {
        QImage page(width, height, QImage::Format_BGR888);
        if (page.isNull())
            return QImage();
        // Only what the picture leaves uncovered gets the page colour: a
        // picture over the whole page spares a pass over the page.
        const QColor colour(int(background & 0xFF), int((background >> 8) & 0xFF),
                            int((background >> 16) & 0xFF));
        const QRect covered = pictureWidth > 0 && pictureHeight > 0
            ? QRect(0, 0, width, height) & Clipped(left, top, pictureWidth, pictureHeight, width, height)
            : QRect();
        if (covered.isEmpty()) {
            page.fill(colour);
        } else {
            QPainter painter(&page);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            const QRect margins[] = {
                QRect(0, 0, width, covered.top()),
                QRect(0, covered.bottom() + 1, width, height - covered.bottom() - 1),
                QRect(0, covered.top(), covered.left(), covered.height()),
                QRect(covered.right() + 1, covered.top(), width - covered.right() - 1, covered.height()),
            };
            for (const QRect& margin : margins)
                if (!margin.isEmpty())
                    painter.fillRect(margin, colour);
        }
        // Only the part of the picture on the page is scaled, straight into
        // the page: no scaled copy of the picture is made.
        if (!DrawScaled(picture, page, {left, top, pictureWidth, pictureHeight}, 2, watch))
            return QImage();
        return page;
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

} // namespace orvanto
