#include "imaging/bitmap/icon_reader.h"

#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/codecs/picture_allocation.h"
#include "imaging/file_bytes.h"
#include "support/text/byte_order.h"
#include "support/messages/messages.h"

#include <cstring>
#include <new>

namespace orvanto {

namespace {


const std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct TEntry {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    bool Png = false;
    std::int64_t Width = 0, Height = 0;
    int Bits = 0;
};

// The real size and depth of an entry, from its own header rather than the
// directory, which writers often leave wrong.
bool Measure(TEntry& e)
{
    e.Png = e.Size >= 8 && std::memcmp(e.Data, PngSignature, 8) == 0;
    if (e.Png) {
        if (e.Size < 33 || std::memcmp(e.Data + 12, "IHDR", 4) != 0)
            return false;
        e.Width = BigEndian32(e.Data + 16);
        e.Height = BigEndian32(e.Data + 20);
        const int depth = e.Data[24], type = e.Data[25];
        const int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
        e.Bits = depth * channels;
        // PNG limits both sides to 2^31 - 1; larger values are damage, and
        // keeping them out keeps the area comparisons below in range.
        constexpr std::int64_t PngMaxSide = 0x7FFFFFFF;
        return e.Width > 0 && e.Height > 0 && e.Width <= PngMaxSide && e.Height <= PngMaxSide;
    }
    std::int64_t storedHeight = 0;
    if (!PeekPackedBitmap(e.Data, e.Size, e.Width, storedHeight, e.Bits))
        return false;
    e.Height = storedHeight / 2;
    return e.Height > 0;
}

bool DecodePng(const TEntry& e, QRgb background, QImage& picture, std::string& error)
{
    if (!PictureFits(e.Width, e.Height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    error = Messages::UnknownFormat;
    const QImage decoded = QImage::fromData(e.Data, int(e.Size), "PNG").convertToFormat(QImage::Format_ARGB32);
    if (decoded.isNull() || decoded.width() != e.Width || decoded.height() != e.Height)
        return false;
    picture = AllocatePicture(e.Width, e.Height);
    if (picture.isNull()) {
        error = Messages::OutOfMemory;
        return false;
    }
    const int bgR = qRed(background), bgG = qGreen(background), bgB = qBlue(background);
    for (int y = 0; y < decoded.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
        std::uint8_t* dst = picture.scanLine(y);
        for (int x = 0; x < decoded.width(); ++x, dst += 3) {
            const QRgb p = src[x];
            const int a = qAlpha(p);
            dst[0] = std::uint8_t((qBlue(p) * a + bgB * (255 - a) + 127) / 255);
            dst[1] = std::uint8_t((qGreen(p) * a + bgG * (255 - a) + 127) / 255);
            dst[2] = std::uint8_t((qRed(p) * a + bgR * (255 - a) + 127) / 255);
        }
    }
    return true;
}

} // namespace

bool ReadIcon(const std::uint8_t* data, std::size_t size, std::int64_t backgroundColor, QImage& picture,
              std::string& error, std::string* details)
{
    error = Messages::UnknownFormat;
    picture = QImage();
    if (size < 6 || LittleEndian16(data) != 0 || (LittleEndian16(data + 2) != 1 && LittleEndian16(data + 2) != 2))
        return false;
    const std::size_t count = LittleEndian16(data + 4);
    if (count == 0 || size < 6 + 16 * count)
        return false;
    TEntry best;
    bool found = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* d = data + 6 + 16 * i;
        TEntry e;
        e.Size = LittleEndian32(d + 8);
        const std::uint32_t offset = LittleEndian32(d + 12);
        if (e.Size == 0 || offset >= size || e.Size > size - offset)
            return false;
        e.Data = data + offset;
        if (!Measure(e))
            return false;
        const bool larger = e.Width * e.Height > best.Width * best.Height;
        if (!found || larger || (e.Width * e.Height == best.Width * best.Height && e.Bits > best.Bits)) {
            best = e;
            found = true;
        }
    }
    const QRgb background = backgroundColor < 0
        ? qRgb(0, 0, 0)
        : qRgb(int(backgroundColor & 0xFF), int(backgroundColor >> 8 & 0xFF), int(backgroundColor >> 16 & 0xFF));
    if (details)
        *details = std::to_string(count) + (count == 1 ? " image" : " images") + ", took " + std::to_string(best.Width)
            + "x" + std::to_string(best.Height) + " " + std::to_string(best.Bits) + " bits " + (best.Png ? "PNG" : "BMP");
    try {
        return best.Png ? DecodePng(best, background, picture, error)
                        : ReadIconBitmap(best.Data, best.Size, background, picture, error);
    } catch (const std::bad_alloc&) {
        picture = QImage();
        error = Messages::OutOfMemory;
        return false;
    }
}

bool ReadIcon(const QByteArray& bytes, std::int64_t backgroundColor, QImage& picture, std::string& error)
{
    return ReadIcon(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()),
                    backgroundColor, picture, error);
}

bool ReadIconFile(const std::string& path, std::int64_t backgroundColor, QImage& picture, std::string& error,
                  std::string* details)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadIcon(data, size, backgroundColor, picture, error, details);
    });
}

} // namespace orvanto
