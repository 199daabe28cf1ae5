#include "workspace/poster_sheet.h"

#include "workspace/page_bitmap.h"
#include "workspace/page_layout.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <new>

namespace orvanto {

std::int64_t PosterBorder(int dpi)
{
    return Round((long double)std::max(dpi, 1) * 5 / 25.4L);
}

QImage DrawPosterSheet(const QImage& picture, const TPosterPlan& plan, const TPosterSheet& sheet,
                       const TPosterSheetPage& page, int width, int height, const TScaleWatch& watch)
{
    if (page.PageWidth < 1 || page.PageHeight < 1)
        return QImage();
    const long double fx = (long double)width / page.PageWidth;
    const long double fy = (long double)height / page.PageHeight;
    auto x = [fx](std::int64_t v) { return Round(v * fx); };
    auto y = [fy](std::int64_t v) { return Round(v * fy); };
    QImage bitmap = DrawPageBitmap(picture, width, height, x(sheet.PictureLeft), y(sheet.PictureTop),
                                   x(page.PictureWidth), y(page.PictureHeight), page.Background, watch);
    if (bitmap.isNull())
        return bitmap;
    try {
        const QRect tile(x(plan.TileLeft), y(plan.TileTop), x(plan.TileWidth), y(plan.TileHeight));
        const QColor paper(int(page.Background & 0xFF), int((page.Background >> 8) & 0xFF),
                           int((page.Background >> 16) & 0xFF));
        QPainter painter(&bitmap);
        // The border shows no picture: what lies beyond the tile is on a
        // neighbouring sheet.
        const QRect border[] = {
            QRect(0, 0, width, tile.top()),
            QRect(0, tile.bottom() + 1, width, height - tile.bottom() - 1),
            QRect(0, tile.top(), tile.left(), tile.height()),
            QRect(tile.right() + 1, tile.top(), width - tile.right() - 1, tile.height()),
        };
        for (const QRect& part : border)
            if (!part.isEmpty())
                painter.fillRect(part, paper);

        // Thin marks (0.2 mm, at least a pixel), in the border only, a
        // little apart from the picture so a cut along them is clean.
        const long double perMm = std::max(page.Dpi, 1) / 25.4L;
        const int thick = std::max(1, Round(0.2L * perMm * fx));
        const int gap = Round(1 * perMm * fy);
        for (std::int64_t cut : sheet.CutX) {
            const int at = x(cut) - thick / 2;
            painter.fillRect(QRect(at, 0, thick, std::max(0, tile.top() - gap)), Qt::black);
            const int below = tile.bottom() + 1 + gap;
            painter.fillRect(QRect(at, below, thick, std::max(0, height - below)), Qt::black);
        }
        for (std::int64_t cut : sheet.CutY) {
            const int at = y(cut) - thick / 2;
            painter.fillRect(QRect(0, at, std::max(0, tile.left() - gap), thick), Qt::black);
            const int right = tile.right() + 1 + gap;
            painter.fillRect(QRect(right, at, std::max(0, width - right), thick), Qt::black);
        }
        // The label sits in the bottom border, centred under the tile.
        QFont font;
        font.setPixelSize(std::max(4, Round(2.5L * perMm * fy)));
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRect below(tile.left(), tile.bottom() + 1, tile.width(), height - tile.bottom() - 1);
        painter.drawText(below, Qt::AlignCenter, QString::fromStdString(sheet.Label));
    } catch (const std::bad_alloc&) {
        return QImage();
    }
    return bitmap;
}

} // namespace orvanto
