#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <new>

namespace orvanto {

TQtClipboard::TQtClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    FClipboard = QGuiApplication::clipboard();
    if (!FClipboard)
        return;
    // dataChanged covers the ordinary clipboard; changed also reports it on
    // platforms where only that one fires.
    connect(FClipboard, &QClipboard::dataChanged, this, &TQtClipboard::ContentChanged);
    connect(FClipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            ContentChanged();
    });
    ContentChanged();
}

void TQtClipboard::ContentChanged()
{
    const QMimeData* data = FClipboard ? FClipboard->mimeData() : nullptr;
    FHasBitmap = data && data->hasImage();
}

QImage TQtClipboard::Bitmap()
{
    if (!FClipboard)
        return QImage();
    try {
        return PictureOverWhite(FClipboard->image());
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

bool TQtClipboard::SetBitmap(const QImage& picture)
{
    if (!FClipboard || picture.isNull())
        return false;
    try {
        FClipboard->setImage(picture);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ContentChanged();
    return FHasBitmap;
}

} // namespace orvanto
