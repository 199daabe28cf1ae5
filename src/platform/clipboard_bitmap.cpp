#include "platform/clipboard_bitmap.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace orvanto {

namespace {

constexpr char Magic[4] = {'O', 'r', 'v', 'B'};
constexpr qsizetype HeaderSize = 16;

void Put32(char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((value >> (8 * i)) & 0xFF);
}

std::uint32_t Get32(const char* at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | std::uint8_t(at[i]);
    return value;
}

} // namespace

QString ClipboardBitmapType() { return QStringLiteral("application/x-orvanto-bitmap"); }

QByteArray EncodeClipboardBitmap(const QImage& source)
{
    if (source.isNull())
        return QByteArray();
    try {
        const QImage picture =
            source.format() == QImage::Format_BGR888 ? source : source.convertToFormat(QImage::Format_BGR888);
        if (picture.isNull())
            return QByteArray();
        const qsizetype rows = picture.sizeInBytes();
        QByteArray bytes(HeaderSize + rows, Qt::Uninitialized);
        char* data = bytes.data();
        std::memcpy(data, Magic, 4);
        Put32(data + 4, std::uint32_t(picture.width()));
        Put32(data + 8, std::uint32_t(picture.height()));
        Put32(data + 12, std::uint32_t(picture.bytesPerLine()));
        std::memcpy(data + HeaderSize, picture.constBits(), std::size_t(rows));
        return bytes;
    } catch (const std::bad_alloc&) {
        return QByteArray();
    }
}

QImage DecodeClipboardBitmap(const QByteArray& bytes)
{
    if (bytes.size() < HeaderSize || std::memcmp(bytes.constData(), Magic, 4) != 0)
        return QImage();
    const std::uint64_t width = Get32(bytes.constData() + 4), height = Get32(bytes.constData() + 8),
                        stride = Get32(bytes.constData() + 12);
    // Rows as QImage lays them out: 3 bytes a pixel, padded to 4 bytes.
    if (width == 0 || height == 0 || width > (1u << 30) || stride != (width * 3 + 3) / 4 * 4
        || stride * height != std::uint64_t(bytes.size() - HeaderSize))
        return QImage();
    // The picture reads the clipboard's bytes in place and keeps them alive.
    auto* keep = new (std::nothrow) QByteArray(bytes);
    if (!keep)
        return QImage();
    QImage picture(reinterpret_cast<const uchar*>(keep->constData() + HeaderSize), int(width), int(height),
                   qsizetype(stride), QImage::Format_BGR888,
                   [](void* info) { delete static_cast<QByteArray*>(info); }, keep);
    if (picture.isNull())
        delete keep;
    return picture;
}

} // namespace orvanto
