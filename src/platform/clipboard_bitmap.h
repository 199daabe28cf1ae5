#pragma once

// The uncompressed picture this program puts on the clipboard beside the
// PNG every other program reads: a 16-byte header ("OrvB", then width,
// height and bytes per row, little-endian 32-bit) and the 24-bit
// blue-green-red rows as QImage holds them. Pasting between two of our
// windows then costs a copy of the rows instead of a PNG encode and decode,
// which took seconds for a camera's picture.
//
// The bytes come from another process: DecodeClipboardBitmap checks the
// header against the length and answers a null image for anything that
// does not add up. The picture it returns shares the bytes, no copy.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace orvanto {

// The clipboard type of these bytes.
QString ClipboardBitmapType();
// The picture as clipboard bytes; empty when it is null or memory runs out.
QByteArray EncodeClipboardBitmap(const QImage& picture);
// The picture the bytes hold, or a null image.
QImage DecodeClipboardBitmap(const QByteArray& bytes);

} // namespace orvanto
