#include "platform/clipboard.h"

#include <QPainter>

#include <new>

namespace orvanto {

QImage PictureOverWhite(const QImage& source)
{
    if (source.isNull())
        return QImage();
    try {
        if (!source.hasAlphaChannel())
            return source.convertToFormat(QImage::Format_BGR888);
        // Blending needs a format QPainter draws on quickly; the 24-bit copy
        // is made from it afterwards.
        QImage white(source.size(), QImage::Format_RGB32);
        if (white.isNull())
            return QImage();
        white.fill(Qt::white);
        {
            QPainter painter(&white);
            painter.drawImage(0, 0, source);
        }
        return white.convertToFormat(QImage::Format_BGR888);
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

} // namespace orvanto
