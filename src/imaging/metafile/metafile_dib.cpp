#include "imaging/metafile/metafile_dib.h"

#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/codecs/picture_allocation.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <string>

namespace orvanto {

namespace {

constexpr std::uint32_t Jpeg = 4, Png = 5;

// Printers' records may pass the bits on as a JPEG or PNG file.
bool Embedded(const TMetaBytes& info)
{
    const std::uint32_t compression = info.U32(0) >= 40 ? info.U32(16) : 0;
    return !info.Bad() && (compression == Jpeg || compression == Png);
}

QImage DecodeEmbedded(const TMetaBytes& bits)
{
    if (bits.Bad() || bits.Size() == 0 || bits.Size() > (std::size_t(1) << 30))
        return QImage();
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bits.Begin()), qsizetype(bits.Size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The embedded picture's own header could claim any size.
    const QSize size = reader.size();
    if (!size.isValid() || !PictureFits(size.width(), size.height()))
        return QImage();
    QImage image = reader.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

TDibOptions Options(TDibColours colours, const std::vector<QRgb>& palette, bool keepAlpha)
{
    TDibOptions options;
    if (colours == TDibColours::PaletteIndices)
        options.IndexedPalette = palette.empty() ? &DefaultPalette() : &palette;
    options.Alpha = keepAlpha ? TDibAlpha::Keep : TDibAlpha::Ignore;
    return options;
}

} // namespace

const std::vector<QRgb>& DefaultPalette()
{
    static const std::vector<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),   qRgb(0, 0, 128),
        qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192), qRgb(192, 220, 192), qRgb(166, 202, 240),
        qRgb(255, 251, 240), qRgb(160, 160, 164), qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),
        qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255),
    };
    return colours;
}

bool DibBottomUp(const TMetaBytes& info)
{
    if (info.Size() >= 12 && info.U32(0) == 12)
        return true;
    return info.Size() < 12 || info.I32(8) > 0;
}

QRectF DibSource(const QRectF& source, const QImage& image, bool bottomUp)
{
    if (!bottomUp || image.isNull())
        return source;
    return QRectF(source.x(), image.height() - source.y() - source.height(), source.width(), source.height());
}

QImage DecodeDib(const TMetaBytes& info, const TMetaBytes& bits, TDibColours colours,
                 const std::vector<QRgb>& palette, bool keepAlpha)
{
    if (info.Bad() || bits.Bad())
        return QImage();
    if (Embedded(info))
        return DecodeEmbedded(bits);
    QImage picture;
    std::string error;
    if (!ReadDib(info.Begin(), info.Size(), bits.Begin(), bits.Size(), Options(colours, palette, keepAlpha), picture,
                 error))
        return QImage();
    return picture;
}

QImage DecodePackedDib(const TMetaBytes& packed, TDibColours colours, const std::vector<QRgb>& palette)
{
    if (packed.Bad())
        return QImage();
    if (Embedded(packed)) {
        const std::uint32_t header = packed.U32(0);
        return DecodeEmbedded(packed.Sub(header, packed.Size() - std::min<std::size_t>(packed.Size(), header)));
    }
    QImage picture;
    std::string error;
    if (!ReadPackedDib(packed.Begin(), packed.Size(), Options(colours, palette, false), picture, error))
        return QImage();
    return picture;
}

} // namespace orvanto
