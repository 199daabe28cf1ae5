#include "imaging/library/qt_picture_reader.h"
#include "support/messages/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/file_bytes.h"
#include "imaging/library/opaque_picture.h"
#include "support/text/byte_order.h"
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

// The logical screen's size, read here so that a picture too large is
// refused before Qt sets up its decoder (Qt's first frame is a picture of the
// screen's size).
bool HeaderSize(const std::uint8_t* data, std::size_t size, std::int64_t& width, std::int64_t& height)
{
    if (size < 10 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
        return false;
    width = LittleEndian16(data + 6);
    height = LittleEndian16(data + 8);
    return true;
}

// Where the first frame's data ends: the terminator of its image data, or
// the end of the file when that is missing. Qt's reader stops there.
std::size_t FirstFrameEnd(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 13;
    if (size < at)
        return size;
    if (data[10] & 0x80)
        at += std::size_t(3) << ((data[10] & 7) + 1);
    auto skipBlocks = [&] {
        while (at < size && data[at] != 0)
            at += std::size_t(data[at]) + 1;
        ++at;
    };
    while (at < size && data[at] == 0x21) {
        at += 2;
        skipBlocks();
    }
    if (at + 10 > size || data[at] != 0x2C)
        return size;
    const int flags = data[at + 9];
    at += 10;
    if (flags & 0x80)
        at += std::size_t(3) << ((flags & 7) + 1);
    ++at; // the LZW minimum code size
    skipBlocks();
    return std::min(at, size);
}

// The file's bytes as Qt's reader asks for them, telling progress how far
// into the first frame the reading has come.
class TProgressBuffer final : public QBuffer {
public:
    TProgressBuffer(const TLoadProgress& progress, std::size_t end) : FProgress(progress), FEnd(std::max<std::size_t>(end, 1)) {}
    // Qt reads the whole file once to learn the size; only the reading of
    // the picture counts.
    void Listen() { FListening = true; }

protected:
    qint64 readData(char* data, qint64 length) override
    {
        const qint64 read = QBuffer::readData(data, length);
        if (FListening && FProgress && read > 0) {
            const int percent = int(std::min<std::int64_t>(pos() + read, std::int64_t(FEnd)) * 99 / std::int64_t(FEnd));
            if (percent > FLast)
                FProgress(FLast = percent);
        }
        return read;
    }

private:
    const TLoadProgress& FProgress;
    std::size_t FEnd;
    bool FListening = false;
    int FLast = -1;
};

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

bool ReadGif(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
             const TLoadProgress& progress)
{
    error = Messages::UnknownFormat;
    std::int64_t width = 0, height = 0;
    if (!HeaderSize(data, size, width, height) || size > std::size_t(std::numeric_limits<int>::max()))
        return false;
    if (width > 0 && height > 0 && !PictureFits(width, height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    try {
        const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
        TProgressBuffer buffer(progress, FirstFrameEnd(data, size));
        buffer.setData(bytes);
        if (!buffer.open(QIODevice::ReadOnly))
            return false;
        QImageReader reader(&buffer, "gif");
        const QSize dimensions = reader.size();
        if (!dimensions.isValid() || dimensions.isEmpty())
            return false;
        if (!PictureFits(dimensions.width(), dimensions.height())) {
            error = Messages::OutOfMemory;
            return false;
        }
        reader.setAllocationLimit(int(std::min<std::int64_t>(AllocationCeiling() / (1024 * 1024) + 1, 1 << 30)));
        buffer.Listen();
        QImage decoded = reader.read();
        if (decoded.isNull() || decoded.size() != dimensions)
            return false;
        error = Messages::OutOfMemory;
        QImage opaque = OpaquePicture(std::move(decoded));
        if (opaque.isNull())
            return false;
        WhitenMissing(opaque, GifFirstFrameCut(data, size));
        picture = std::move(opaque);
        error.clear();
        if (progress)
            progress(100);
        return true;
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        return false;
    }
}

bool ReadGifFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadGif(data, size, picture, error, progress);
    });
}

} // namespace orvanto
