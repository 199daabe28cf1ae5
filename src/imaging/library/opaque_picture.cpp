#include "imaging/library/opaque_picture.h"

#include "imaging/codecs/picture_allocation.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace orvanto {

namespace {

// 16-bit colour over white, straight to 8 bits: one rounding, not two.
std::uint8_t OverWhite16(std::uint64_t colour, std::uint64_t alpha)
{
    constexpr std::uint64_t Full = 65535;
    const std::uint64_t blended = colour * alpha + Full * (Full - alpha);
    return std::uint8_t((blended * 255 + Full * Full / 2) / (Full * Full));
}

void RowFrom32(const std::uint8_t* source, std::uint8_t* target, int width, QImage::Format format)
{
    const auto* pixels = reinterpret_cast<const QRgb*>(source);
    for (int x = 0; x < width; ++x, target += 3) {
        const QRgb p = pixels[x];
        int r = qRed(p), g = qGreen(p), b = qBlue(p);
        const int a = qAlpha(p);
        if (format == QImage::Format_ARGB32) {
            r = OverWhite8(r, a), g = OverWhite8(g, a), b = OverWhite8(b, a);
        } else if (format == QImage::Format_ARGB32_Premultiplied) {
            r += 255 - a, g += 255 - a, b += 255 - a;
        }
        target[0] = std::uint8_t(b);
        target[1] = std::uint8_t(g);
        target[2] = std::uint8_t(r);
    }
}

void RowFrom64(const std::uint8_t* source, std::uint8_t* target, int width, QImage::Format format)
{
    for (int x = 0; x < width; ++x, source += 8, target += 3) {
        std::uint16_t s[4];
        std::memcpy(s, source, 8); // red, green, blue, alpha in native order
        for (int c = 0; c < 3; ++c) {
            int value;
            if (format == QImage::Format_RGBA64)
                value = OverWhite16(s[c], s[3]);
            else if (format == QImage::Format_RGBA64_Premultiplied)
                value = Sample16To8(s[c] + 65535 - s[3]);
            else
                value = Sample16To8(s[c]);
            target[2 - c] = std::uint8_t(value);
        }
    }
}

void RowFromRgb888(const std::uint8_t* source, std::uint8_t* target, int width)
{
    for (int x = 0; x < width; ++x, source += 3, target += 3) {
        const std::uint8_t r = source[0], g = source[1], b = source[2];
        target[0] = b, target[1] = g, target[2] = r;
    }
}

// Rewrites every row as blue-green-red in the picture's own memory: each
// pixel is read before the one it lands on is, since 3 bytes never outrun
// the 3, 4 or 8 they come from. The result keeps the memory alive.
QImage RewriteInPlace(QImage decoded)
{
    auto* holder = new (std::nothrow) QImage(std::move(decoded));
    if (!holder)
        return QImage();
    uchar* bits = holder->bits(); // the holder is the only owner: no copy
    const int width = holder->width(), height = holder->height();
    const QImage::Format format = holder->format();
    const qsizetype sourceStride = holder->bytesPerLine();
    const qsizetype targetStride = (qsizetype(width) * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = bits + y * sourceStride;
        std::uint8_t* target = bits + y * targetStride;
        if (holder->depth() == 64)
            RowFrom64(source, target, width, format);
        else if (holder->depth() == 32)
            RowFrom32(source, target, width, format);
        else
            RowFromRgb888(source, target, width);
        std::memset(target + width * 3, 0, std::size_t(targetStride - width * 3));
    }
    QImage picture(bits, width, height, targetStride, QImage::Format_BGR888,
                   [](void* info) { delete static_cast<QImage*>(info); }, holder);
    if (picture.isNull())
        delete holder;
    return picture;
}

QImage FromGrey(const QImage& decoded)
{
    QImage picture = AllocatePicture(decoded.width(), decoded.height(), TPictureFill::None);
    if (picture.isNull())
        return picture;
    const bool deep = decoded.format() == QImage::Format_Grayscale16;
    for (int y = 0; y < decoded.height(); ++y) {
        const std::uint8_t* source = decoded.constScanLine(y);
        std::uint8_t* target = picture.scanLine(y);
        for (int x = 0; x < decoded.width(); ++x, target += 3) {
            std::uint8_t value;
            if (deep) {
                std::uint16_t sample;
                std::memcpy(&sample, source + 2 * x, 2);
                value = std::uint8_t(Sample16To8(sample));
            } else {
                value = source[x];
            }
            target[0] = target[1] = target[2] = value;
        }
    }
    return picture;
}

} // namespace

QImage OpaquePicture(QImage decoded)
{
    if (decoded.isNull())
        return QImage();
    try {
        switch (decoded.format()) {
        case QImage::Format_BGR888:
            return decoded;
        case QImage::Format_Grayscale8:
        case QImage::Format_Grayscale16:
            return FromGrey(decoded);
        case QImage::Format_RGB888:
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
        case QImage::Format_RGBX64:
        case QImage::Format_RGBA64:
        case QImage::Format_RGBA64_Premultiplied:
            return RewriteInPlace(std::move(decoded));
        default: {
            // Palettes, bitmaps and the rarer layouts: 8 bits a sample is all they hold.
            const QImage::Format wide = decoded.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
            QImage converted = decoded.convertToFormat(wide);
            decoded = QImage();
            return converted.isNull() ? QImage() : RewriteInPlace(std::move(converted));
        }
        }
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

} // namespace orvanto
