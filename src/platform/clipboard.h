#pragma once

// The system clipboard as far as pictures go: put a bitmap, ask whether one
// is there, take it. Pictures come back as 24-bit blue-green-red
// (QImage::Format_BGR888) with any transparency laid over white, so what
// was see-through on the clipboard prints as paper. Nothing here throws.

#include <QImage>

namespace orvanto {

class IClipboard {
public:
    virtual ~IClipboard() = default;

    // True when the clipboard holds a picture. Asked twice a second by the
    // main window, so it must not read the clipboard's contents.
    virtual bool HasBitmap() = 0;
    // The clipboard's picture, 24-bit over white; a null image when there is
    // none or it cannot be converted (no memory).
    virtual QImage Bitmap() = 0;
    // Puts a copy of the picture on the clipboard; false when that failed.
    virtual bool SetBitmap(const QImage& picture) = 0;
};

// Stands in until the program installs the real clipboard: always empty,
// refuses every picture. Needs no display.
class TNoClipboard final : public IClipboard {
public:
    bool HasBitmap() override { return false; }
    QImage Bitmap() override { return QImage(); }
    bool SetBitmap(const QImage&) override { return false; }
};

// A picture of any format as a 24-bit one, transparent parts laid over
// white; a null image when the source is null or memory runs out.
QImage PictureOverWhite(const QImage& source);

} // namespace orvanto
