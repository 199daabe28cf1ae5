#include "platform/qt/qt_clipboard.h"

#include "platform/clipboard_bitmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <new>

namespace orvanto {

namespace {

// Our picture on the clipboard: Qt's image types for other programs, and
// our uncompressed one, made only when a window of ours asks for it.
class TBitmapMimeData final : public QMimeData {
public:
    explicit TBitmapMimeData(const QImage& picture) : FPicture(picture) { setImageData(picture); }
    const QImage& Picture() const { return FPicture; }

    QStringList formats() const override { return QMimeData::formats() << ClipboardBitmapType(); }
    bool hasFormat(const QString& type) const override
    {
        return type == ClipboardBitmapType() || QMimeData::hasFormat(type);
    }

protected:
    QVariant retrieveData(const QString& type, QMetaType preferred) const override
    {
        if (type == ClipboardBitmapType())
            return EncodeClipboardBitmap(FPicture);
        return QMimeData::retrieveData(type, preferred);
    }

private:
    QImage FPicture;
};

} // namespace

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
    FHasBitmap = data && (data->hasFormat(ClipboardBitmapType()) || data->hasImage());
}

QImage TQtClipboard::Bitmap()
{
    if (!FClipboard)
        return QImage();
    try {
        const QMimeData* data = FClipboard->mimeData();
        // Our own copy in this window needs no conversion at all; another
        // window of ours hands over its rows as they are.
        if (const auto* own = dynamic_cast<const TBitmapMimeData*>(data))
            return PictureOverWhite(own->Picture());
        if (data && data->hasFormat(ClipboardBitmapType())) {
            const QImage picture = DecodeClipboardBitmap(data->data(ClipboardBitmapType()));
            if (!picture.isNull())
                return picture;
        }
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
        FClipboard->setMimeData(new TBitmapMimeData(picture));
    } catch (const std::bad_alloc&) {
        return false;
    }
    ContentChanged();
    return FHasBitmap;
}

} // namespace orvanto
