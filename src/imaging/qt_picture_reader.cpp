#include "imaging/qt_picture_reader.h"
#include "support/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour_profile.h"
#include "imaging/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/opaque_picture.h"
#include "support/byte_order.h"
#include "support/compression.h"
#include "support/memory_limit.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <limits>
#include <cstring>
#include <new>

namespace orvanto {

namespace {

const std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct TPngExtras {
    int Orientation = 1;
    QByteArray Profile;
    // The bytes up to the first chunk that claims more than the file holds.
    // libpng would allocate what such a chunk claims (gigabytes for a damaged
    // text chunk) before finding the data short; cut there, it meets the end.
    std::size_t Sound = 0;
};

// The eXIf and iCCP chunks, found by walking the chunk lengths; the pixel
// data itself is not looked at. Only an embedded profile counts, not the
// colour space Qt makes up from gAMA and cHRM, which many writers set to
// sRGB's approximate values. A damaged chunk ends the walk, leaving the
// picture upright as stored and in sRGB.
TPngExtras PngExtras(const std::uint8_t* data, std::size_t size)
{
    TPngExtras extras;
    std::size_t at = 8;
    extras.Sound = size;
    while (at + 12 <= size) {
        const std::uint32_t length = BigEndian32(data + at);
        if (length > size - at - 12) {
            extras.Sound = at;
            break;
        }
        const std::uint8_t* body = data + at + 8;
        if (std::memcmp(data + at + 4, "eXIf", 4) == 0) {
            extras.Orientation = ExifOrientation(body, length);
        } else if (std::memcmp(data + at + 4, "iCCP", 4) == 0) {
            // A name of 1 to 79 bytes, its terminator, method 0 (deflate), the stream.
            const auto* end = static_cast<const std::uint8_t*>(std::memchr(body, 0, std::min<std::size_t>(length, 80)));
            if (end && end + 2 <= body + length && end[1] == 0) {
                std::string profile;
                if (InflateBounded(reinterpret_cast<const char*>(end + 2), std::size_t(body + length - end - 2), profile))
                    extras.Profile = QByteArray(profile.data(), qsizetype(profile.size()));
            }
        } else if (std::memcmp(data + at + 4, "IEND", 4) == 0) {
            break;
        }
        at += std::size_t(length) + 12;
    }
    return extras;
}

// The size the header claims, read here so that a picture too large is
// refused before Qt sets up its decoder: PNG's IHDR, GIF's logical screen
// (Qt's first frame is a picture of the screen's size).
bool HeaderSize(const std::uint8_t* data, std::size_t size, TQtPictureFormat format, std::int64_t& width,
                std::int64_t& height)
{
    if (format == TQtPictureFormat::Png) {
        if (size < 24 || std::memcmp(data, PngSignature, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0)
            return false;
        width = BigEndian32(data + 16);
        height = BigEndian32(data + 20);
        return true;
    }
    if (size < 10 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
        return false;
    width = LittleEndian16(data + 6);
    height = LittleEndian16(data + 8);
    return true;
}

} // namespace

bool ReadQtPicture(const std::uint8_t* data, std::size_t size, TQtPictureFormat format, QImage& picture,
                   std::string& error)
{
    error = Messages::UnknownFormat;
    std::int64_t width = 0, height = 0;
    if (!HeaderSize(data, size, format, width, height) || size > std::size_t(std::numeric_limits<int>::max()))
        return false;
    if (width > 0 && height > 0 && !PictureFits(width, height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    try {
        TPngExtras extras;
        if (format == TQtPictureFormat::Png)
            extras = PngExtras(data, size);
        const std::size_t sound = format == TQtPictureFormat::Png ? extras.Sound : size;
        const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(sound));
        QBuffer buffer;
        buffer.setData(bytes);
        if (!buffer.open(QIODevice::ReadOnly))
            return false;
        QImageReader reader(&buffer, format == TQtPictureFormat::Png ? "png" : "gif");
        reader.setAutoTransform(false); // the orientation is applied below, once
        const QSize dimensions = reader.size();
        if (!dimensions.isValid() || dimensions.isEmpty())
            return false;
        if (!PictureFits(dimensions.width(), dimensions.height())) {
            error = Messages::OutOfMemory;
            return false;
        }
        // Qt's own picture may take up to 8 bytes a pixel (16-bit colour and alpha).
        reader.setAllocationLimit(int(std::min<std::int64_t>(AllocationCeiling() / (1024 * 1024) + 1, 1 << 30)));
        QImage decoded = reader.read();
        if (decoded.isNull() || decoded.size() != dimensions)
            return false;
        error = Messages::OutOfMemory;
        QImage opaque = OpaquePicture(std::move(decoded));
        if (opaque.isNull())
            return false;
        if (!extras.Profile.isEmpty())
            ConvertToSrgb(opaque, extras.Profile);
        opaque = Oriented(opaque, extras.Orientation);
        if (opaque.isNull())
            return false;
        picture = std::move(opaque);
        error.clear();
        return true;
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        return false;
    }
}

bool ReadQtPictureFile(const std::string& path, TQtPictureFormat format, QImage& picture, std::string& error)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadQtPicture(data, size, format, picture, error);
    });
}

} // namespace orvanto
