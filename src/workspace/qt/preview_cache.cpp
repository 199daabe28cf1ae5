#include "workspace/qt/preview_cache.h"

#include "raster/resampler.h"
#include "support/memory/memory_limit.h"

#include <QPainter>

#include <algorithm>

namespace orvanto {

namespace {

struct TSpan {
    std::int64_t From = 0;
    std::int64_t To = 0; // exclusive
    bool Empty() const { return To <= From; }
};

TSpan Overlap(TSpan a, TSpan b)
{
    return {std::max(a.From, b.From), std::min(a.To, b.To)};
}

// rect grown by half its size on every side: a scroll or drag of up to half
// a box then still finds its pixels in the copy.
QRect WithSlack(const QRect& rect)
{
    return rect.adjusted(-rect.width() / 2, -rect.height() / 2, rect.width() / 2, rect.height() / 2);
}

} // namespace

void TPreviewCache::Clear()
{
    FImage = QImage();
    FPart = QRect();
    FWidth = FHeight = 0;
}

bool TPreviewCache::Holds(const QRect& part, std::int64_t width, std::int64_t height) const
{
    return !FImage.isNull() && width == FWidth && height == FHeight && FPart.contains(part);
}

bool TPreviewCache::Rebuild(const QImage& picture, std::int64_t width, std::int64_t height,
                            const QRect& part)
{
    Clear();
    const std::int64_t bytes = std::int64_t(part.width()) * part.height() * 4;
    if (bytes > AllocationCeiling())
        return false;
    // Kept in the screen's own format, so a repaint copies it unconverted.
    QImage scaled(part.size(), QImage::Format_RGB32);
    if (scaled.isNull())
        return false;
    if (!DrawScaled(picture, scaled, {-part.x(), -part.y(), width, height}))
        return false;
    FImage = std::move(scaled);
    FPart = part;
    FWidth = width;
    FHeight = height;
    return true;
}

bool TPreviewCache::Paint(QPainter& painter, const QImage* picture, const TPreviewFrame& frame,
                          bool rebuild)
{
    const int pageWidth = frame.Page.width();
    const int pageHeight = frame.Page.height();
    if (!picture || picture->isNull()) {
        Clear();
        painter.fillRect(0, 0, pageWidth, pageHeight, frame.Background);
        return true;
    }

    const TSpan across{frame.Left, frame.Left + frame.Width};
    const TSpan down{frame.Top, frame.Top + frame.Height};
    const QRect visible = frame.Visible & QRect(QPoint(0, 0), frame.Page);
    const TSpan seenAcross = Overlap(across, {visible.left(), std::int64_t(visible.right()) + 1});
    const TSpan seenDown = Overlap(down, {visible.top(), std::int64_t(visible.bottom()) + 1});
    if (!visible.isEmpty() && !seenAcross.Empty() && !seenDown.Empty()) {
        // The visible part of the picture, in the laid-out picture's own
        // coordinates (which is what the copy is kept in, so a drag that
        // only moves the picture needs no new copy).
        const QRect seen(int(seenAcross.From - frame.Left), int(seenDown.From - frame.Top),
                         int(seenAcross.To - seenAcross.From), int(seenDown.To - seenDown.From));
        if (rebuild || !Holds(seen, frame.Width, frame.Height)) {
            const TSpan onPageAcross = Overlap(across, {0, pageWidth});
            const TSpan onPageDown = Overlap(down, {0, pageHeight});
            const QRect onPage(int(onPageAcross.From - frame.Left), int(onPageDown.From - frame.Top),
                               int(onPageAcross.To - onPageAcross.From),
                               int(onPageDown.To - onPageDown.From));
            if (!Rebuild(*picture, frame.Width, frame.Height, WithSlack(seen) & onPage)) {
                painter.fillRect(0, 0, pageWidth, pageHeight, frame.Background);
                return false;
            }
        }
        painter.drawImage(QPoint(int(seenAcross.From), int(seenDown.From)), FImage,
                          seen.translated(-FPart.topLeft()));
    }

    // The background around the picture, band by band.
    const int top = int(std::clamp<std::int64_t>(down.From, 0, pageHeight));
    const int bottom = int(std::clamp<std::int64_t>(down.To, 0, pageHeight));
    const int left = int(std::clamp<std::int64_t>(across.From, 0, pageWidth));
    const int right = int(std::clamp<std::int64_t>(across.To, 0, pageWidth));
    if (top > 0)
        painter.fillRect(0, 0, pageWidth, top, frame.Background);
    if (bottom < pageHeight)
        painter.fillRect(0, bottom, pageWidth, pageHeight - bottom, frame.Background);
    if (left > 0)
        painter.fillRect(0, top, left, bottom - top, frame.Background);
    if (right < pageWidth)
        painter.fillRect(right, top, pageWidth - right, bottom - top, frame.Background);
    return true;
}

} // namespace orvanto
