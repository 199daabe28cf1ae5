#include "imaging/library/qt_picture_reader.h"
#include "support/messages/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/colour/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/library/opaque_picture.h"
#include "support/text/byte_order.h"
#include "support/records/compression.h"
#include "support/memory/memory_limit.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <limits>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

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

// Where a GIF's first frame ends when the file is cut short inside it: the
// frame's place and how many of its pixels, in reading order, the data
// holds. Qt leaves the pixels it never reached black; they are made white
// as the other readers leave them. The LZW codes are followed for the
// lengths of their strings only, as far as the bytes go.
struct TGifCut {
    bool Cut = false;
    bool Interlaced = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::int64_t Done = 0;
};

TGifCut GifFirstFrameCut(const std::uint8_t* data, std::size_t size)
{
    TGifCut cut;
    std::size_t at = 13;
    if (size < at)
        return cut;
    if (data[10] & 0x80)
        at += std::size_t(3) << ((data[10] & 7) + 1);
    // Extensions up to the first image descriptor.
    while (at < size && data[at] == 0x21) {
        at += 2;
        while (at < size && data[at] != 0)
            at += std::size_t(data[at]) + 1;
        ++at;
    }
    if (at + 10 > size || data[at] != 0x2C)
        return cut;
    cut.Left = LittleEndian16(data + at + 1), cut.Top = LittleEndian16(data + at + 3);
    cut.Width = LittleEndian16(data + at + 5), cut.Height = LittleEndian16(data + at + 7);
    const int flags = data[at + 9];
    cut.Interlaced = (flags & 0x40) != 0;
    at += 10;
    if (flags & 0x80)
        at += std::size_t(3) << ((flags & 7) + 1);
    const std::int64_t total = std::int64_t(cut.Width) * cut.Height;
    if (at >= size) {
        cut.Cut = total > 0;
        return cut;
    }
    const int minimum = data[at++];
    if (minimum < 1 || minimum > 11)
        return cut;
    const int clear = 1 << minimum, end = clear + 1;
    std::vector<std::uint16_t> lengths(4096, 1);
    int next = clear + 2, bits = minimum + 1, previous = -1;
    std::uint32_t buffer = 0;
    int held = 0;
    std::size_t blockLeft = 0;
    while (cut.Done < total) {
        while (held < bits) {
            if (blockLeft == 0) {
                if (at >= size) {
                    cut.Cut = true;
                    return cut;
                }
                blockLeft = data[at++];
                if (blockLeft == 0)
                    return cut; // the frame's data ends here: nothing is missing
            }
            if (at >= size) {
                cut.Cut = true;
                return cut;
            }
            buffer |= std::uint32_t(data[at++]) << held;
            held += 8;
            --blockLeft;
        }
        const int code = int(buffer & ((1u << bits) - 1));
        buffer >>= bits;
        held -= bits;
        if (code == clear) {
            next = clear + 2, bits = minimum + 1, previous = -1;
            continue;
        }
        if (code == end || code > next || (previous < 0 && code >= clear))
            return cut;
        int length = 0;
        if (previous < 0) {
            length = 1;
        } else {
            length = code < next ? lengths[std::size_t(code)] : lengths[std::size_t(previous)] + 1;
            if (next < 4096) {
                lengths[std::size_t(next)] = std::uint16_t(std::min(lengths[std::size_t(previous)] + 1, 65535));
                if (++next == (1 << bits) && bits < 12)
                    ++bits;
            }
        }
        cut.Done += length;
        previous = code;
    }
    return cut;
}

// The pixels of a cut first frame that its data never reached, white.
void WhitenMissing(QImage& picture, const TGifCut& cut)
{
    if (!cut.Cut || cut.Interlaced || cut.Width <= 0)
        return;
    const std::int64_t total = std::int64_t(cut.Width) * cut.Height;
    for (std::int64_t pixel = std::min(cut.Done, total); pixel < total;) {
        const int row = int(pixel / cut.Width), column = int(pixel % cut.Width);
        const int y = cut.Top + row;
        const int from = cut.Left + column, to = std::min(cut.Left + cut.Width, picture.width());
        if (y >= picture.height())
            break;
        if (from < to)
            std::memset(picture.scanLine(y) + std::size_t(from) * 3, 0xFF, std::size_t(to - from) * 3);
        pixel += cut.Width - column;
    }
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
        if (format == TQtPictureFormat::Gif)
            WhitenMissing(opaque, GifFirstFrameCut(data, size));
        if (!extras.Profile.isEmpty())
            ConvertToSrgb(opaque, extras.Profile);
        opaque = Oriented(std::move(opaque), extras.Orientation);
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
