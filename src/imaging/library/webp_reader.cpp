#include "imaging/library/webp_reader.h"
#include "support/messages/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/colour/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/library/opaque_picture.h"
#include "support/memory/memory_limit.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include <webp/decode.h>
#include <webp/demux.h>

namespace orvanto {

namespace {

struct TExtras {
    int Orientation = 1;
    QByteArray Profile;
};

TExtras ReadExtras(const WebPData& bytes)
{
    TExtras extras;
    WebPDemuxer* demuxer = WebPDemux(&bytes);
    if (!demuxer)
        return extras;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demuxer, "ICCP", 1, &chunk)) {
        extras.Profile = QByteArray(reinterpret_cast<const char*>(chunk.chunk.bytes), qsizetype(chunk.chunk.size));
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    if (WebPDemuxGetChunk(demuxer, "EXIF", 1, &chunk)) {
        extras.Orientation = ExifOrientation(chunk.chunk.bytes, chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demuxer);
    return extras;
}

// The first frame of an animation, composed on its canvas by libwebp.
bool DecodeFirstFrame(const WebPData& bytes, QImage& picture, std::string& error)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return false;
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(WebPAnimDecoderNew(&bytes, &options),
                                                                              WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        return false;
    if (!PictureFits(info.canvas_width, info.canvas_height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
        return false;
    error = Messages::OutOfMemory;
    picture = AllocatePicture(info.canvas_width, info.canvas_height, TPictureFill::None);
    if (picture.isNull())
        return false;
    const std::uint8_t* source = canvas;
    for (std::uint32_t y = 0; y < info.canvas_height; ++y) {
        std::uint8_t* target = picture.scanLine(int(y));
        for (std::uint32_t x = 0; x < info.canvas_width; ++x, source += 4, target += 3) {
            target[0] = std::uint8_t(OverWhite8(source[2], source[3]));
            target[1] = std::uint8_t(OverWhite8(source[1], source[3]));
            target[2] = std::uint8_t(OverWhite8(source[0], source[3]));
        }
    }
    return true;
}

// A still picture, decoded as its bytes are handed over so the caller hears
// of the rows as they come. Opaque pictures land straight in the 24-bit
// picture; transparent ones go through 32 bits to be laid over white.
bool DecodeStill(const std::uint8_t* data, std::size_t size, const WebPBitstreamFeatures& features, QImage& picture,
                 std::string& error, const TLoadProgress& progress)
{
    error = Messages::OutOfMemory;
    if (features.has_alpha && std::int64_t(features.width) * features.height * 4 > AllocationCeiling())
        return false;
    QImage target = features.has_alpha ? QImage(features.width, features.height, QImage::Format_ARGB32)
                                       : AllocatePicture(features.width, features.height, TPictureFill::None);
    if (target.isNull())
        return false;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return false;
    config.output.colorspace = features.has_alpha ? (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_ARGB) : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = target.bits();
    config.output.u.RGBA.stride = int(target.bytesPerLine());
    config.output.u.RGBA.size = std::size_t(target.sizeInBytes());
    const std::unique_ptr<WebPIDecoder, void (*)(WebPIDecoder*)> decoder(WebPIDecode(nullptr, 0, &config),
                                                                        WebPIDelete);
    if (!decoder)
        return false;
    error = Messages::UnknownFormat;
    const std::size_t step = std::max<std::size_t>(size / 50, 256 * 1024);
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    int lastPercent = -1;
    for (std::size_t fed = std::min(step, size); status == VP8_STATUS_SUSPENDED; fed = std::min(fed + step, size)) {
        status = WebPIUpdate(decoder.get(), data, fed);
        int rows = 0;
        if (progress && WebPIDecGetRGB(decoder.get(), &rows, nullptr, nullptr, nullptr)) {
            const int percent = int(std::int64_t(rows) * 99 / features.height);
            if (percent > lastPercent)
                progress(lastPercent = percent);
        }
        if (fed == size)
            break;
    }
    if (status != VP8_STATUS_OK) {
        // Cut short or damaged part-way: the rows decoded stay, the rest is white.
        int rows = 0;
        if (status != VP8_STATUS_SUSPENDED || !WebPIDecGetRGB(decoder.get(), &rows, nullptr, nullptr, nullptr)
            || rows <= 0)
            return false;
        if (features.has_alpha)
            for (int y = rows; y < target.height(); ++y)
                std::fill_n(reinterpret_cast<QRgb*>(target.scanLine(y)), target.width(), qRgba(255, 255, 255, 255));
        else
            FillWhiteFrom(target, 0, rows);
    }
    error = Messages::OutOfMemory;
    picture = OpaquePicture(std::move(target));
    return !picture.isNull();
}

} // namespace

bool ReadWebp(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress)
{
    error = Messages::UnknownFormat;
    return DecodeWholeOrNothing(picture, error, [&](QImage& decoded) {
        WebPBitstreamFeatures features;
        if (size < 12 || WebPGetFeatures(data, size, &features) != VP8_STATUS_OK)
            return false;
        if (!PictureFits(features.width, features.height)) {
            error = Messages::OutOfMemory;
            return false;
        }
        const WebPData bytes{data, size};
        const bool read = features.has_animation ? DecodeFirstFrame(bytes, decoded, error)
                                                 : DecodeStill(data, size, features, decoded, error, progress);
        if (!read)
            return false;
        const TExtras extras = ReadExtras(bytes);
        if (!extras.Profile.isEmpty())
            ConvertToSrgb(decoded, extras.Profile);
        error = Messages::OutOfMemory;
        decoded = Oriented(std::move(decoded), extras.Orientation);
        return !decoded.isNull();
    });
}

bool ReadWebpFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadWebp(data, size, picture, error, progress);
    });
}

bool ReadWebpPreview(const std::uint8_t* data, std::size_t size, const std::function<QSize(QSize)>& need,
                     QImage& picture, QSize& fullSize)
{
    picture = QImage();
    try {
        WebPBitstreamFeatures features;
        if (size < 12 || WebPGetFeatures(data, size, &features) != VP8_STATUS_OK || features.has_animation
            || !PictureFits(features.width, features.height))
            return false;
        const WebPData bytes{data, size};
        const TExtras extras = ReadExtras(bytes);
        const bool swaps = extras.Orientation >= 5 && extras.Orientation <= 8;
        fullSize = swaps ? QSize(features.height, features.width) : QSize(features.width, features.height);
        QSize wanted = need ? need(fullSize) : QSize(1, 1);
        if (swaps)
            wanted.transpose();
        // The stored picture scaled evenly to the smallest size that still
        // reaches the need on both sides.
        const double scale = std::max(double(wanted.width()) / features.width,
                                      double(wanted.height()) / features.height);
        if (scale > 0.5)
            return false;
        const int width = std::max(1, int(features.width * scale + 0.999));
        const int height = std::max(1, int(features.height * scale + 0.999));
        QImage target(width, height, QImage::Format_ARGB32);
        if (target.isNull())
            return false;
        WebPDecoderConfig config;
        if (!WebPInitDecoderConfig(&config))
            return false;
        config.options.use_scaling = 1;
        config.options.scaled_width = width;
        config.options.scaled_height = height;
        config.output.colorspace = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_ARGB;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = target.bits();
        config.output.u.RGBA.stride = int(target.bytesPerLine());
        config.output.u.RGBA.size = std::size_t(target.sizeInBytes());
        if (WebPDecode(data, size, &config) != VP8_STATUS_OK)
            return false;
        QImage copy = OpaquePicture(std::move(target));
        if (copy.isNull())
            return false;
        if (!extras.Profile.isEmpty())
            ConvertToSrgb(copy, extras.Profile);
        picture = Oriented(std::move(copy), extras.Orientation);
        return !picture.isNull();
    } catch (const std::bad_alloc&) {
        picture = QImage();
        return false;
    }
}

bool ReadWebpPreviewFile(const std::string& path, const std::function<QSize(QSize)>& need, QImage& picture,
                         QSize& fullSize)
{
    picture = QImage();
    std::string error;
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadWebpPreview(data, size, need, picture, fullSize);
    });
}

} // namespace orvanto
