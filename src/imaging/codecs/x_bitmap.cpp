#include "imaging/codecs/x_bitmap.h"

#include "imaging/codecs/byte_image.h"
#include "imaging/codecs/byte_stream.h"
#include "imaging/codecs/picture_allocation.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"
#include "support/text/text_conversion.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvanto {

namespace {

const TCodecTexts XBitmapTexts{Sentences::OutOfMemory, Sentences::FileNotFound, Sentences::FileInUse};

// A "#define" value: TextToInt of what follows the first occurrence of key.
std::int32_t DefinedValue(const std::string& line, const std::string& key)
{
    return TextToInt(line.substr(line.find(key) + key.size()));
}

// The 8 pixels of every byte value, least significant bit leftmost, 1 black.
struct TExpandedBytes {
    std::uint8_t Pixels[256][24];
    TExpandedBytes()
    {
        for (int value = 0; value < 256; ++value)
            for (int bit = 0; bit < 8; ++bit)
                std::memset(Pixels[value] + bit * 3, (value >> bit) & 1 ? 0 : 255, 3);
    }
};

// The value of a hexadecimal digit; 0 for any other character.
struct THexValues {
    std::uint8_t Values[256] = {};
    constexpr THexValues()
    {
        for (int c = 0; c < 10; ++c)
            Values['0' + c] = std::uint8_t(c);
        for (int c = 0; c < 6; ++c)
            Values['a' + c] = Values['A' + c] = std::uint8_t(10 + c);
    }
};
constexpr THexValues HexValues;

// Every byte value with its bits in the opposite order.
struct TReversedBytes {
    std::uint8_t Values[256];
    TReversedBytes()
    {
        for (int value = 0; value < 256; ++value) {
            int reversed = 0;
            for (int bit = 0; bit < 8; ++bit)
                reversed |= ((value >> bit) & 1) << (7 - bit);
            Values[value] = std::uint8_t(reversed);
        }
    }
};

} // namespace

TXBitmap::TXBitmap() : TCodecGraphic(XBitmapTexts)
{
    Picture = QImage(0, 0, QImage::Format_BGR888);
}

bool TXBitmap::SameClass(const TGraphic& other) const
{
    return dynamic_cast<const TXBitmap*>(&other) != nullptr;
}

// "#define" and "static" must start their lines, in any letter case. The
// names before "_width" and "_height" do not matter; other definitions
// (hot spots) are passed over.
bool TXBitmap::ReadHeader(TByteStream& stream, std::int64_t start, THeader& header)
{
    header = THeader();
    std::int64_t position = start, lineStart = 0, lineEnd = 0, mark = 0;
    while (stream.ReadLine(position, -1, '\0', lineStart, lineEnd, mark)) {
        const std::string head = UpperAscii(stream.ReadText(lineStart, std::min(lineEnd, lineStart + 6)));
        if (head == "#DEFINE") {
            const std::string line = UpperAscii(stream.ReadText(lineStart, lineEnd));
            if (header.Width == -1 && line.find("_WIDTH") != std::string::npos) {
                header.Width = DefinedValue(line, "_WIDTH");
                continue;
            }
            if (header.Height == -1 && line.find("_HEIGHT") != std::string::npos) {
                header.Height = DefinedValue(line, "_HEIGHT");
                header.DataStart = position;
                continue;
            }
        }
        if (header.Width != -1 && header.Height != -1 && head.compare(0, 6, "STATIC") == 0)
            return true;
    }
    return false;
}

void TXBitmap::LoadSteps(QIODevice& device, std::string& message)
{
    if (BitsOnly) {
        LoadBits(device, message);
        return;
    }
    TByteStream stream;
    THeader header;
    TByteImage image;
    // Every pixel is written: the data's, then white where the data ends.
    if (!BeginPicture(device, stream, header, &ReadHeader, [](const THeader&) { return TPictureFill::None; },
                      image, message))
        return;
    // A file the loader read whole is decoded straight from its bytes; any
    // other device goes through the byte stream's window.
    const auto* buffer = qobject_cast<const QBuffer*>(&device);
    if (buffer != nullptr && header.DataStart >= 0 && header.DataStart <= buffer->data().size()) {
        const QByteArray& bytes = buffer->data();
        ReadData(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size(), header.DataStart,
                 image.CursorX, image.CursorY);
    } else {
        ReadData(stream, header.DataStart, image);
    }
    if (!image.Full())
        FillWhiteFrom(Picture, image.CursorX, image.CursorY);
    message.clear();
}

// The same checks as for a picture, the same size limits as a 24-bit one.
void TXBitmap::LoadBits(QIODevice& device, std::string& message)
{
    TByteStream stream;
    THeader header;
    Bits = QImage();
    Picture = QImage();
    stream.SetStream(&device);
    if (!ReadHeader(stream, device.pos(), header)) {
        message = Sentences::UnknownFormat;
        return;
    }
    if (header.Width < 1 || header.Height < 1) {
        message = Sentences::InvalidDimensions;
        return;
    }
    if (!PictureFits(header.Width, header.Height))
        return; // the pending message: out of memory
    QImage bits(header.Width, header.Height, QImage::Format_Mono);
    if (bits.isNull())
        return;
    bits.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bits.fill(0);
    Bits = bits;
    // Positions are the device's own, so another device is read from its start.
    QByteArray whole;
    const auto* buffer = qobject_cast<const QBuffer*>(&device);
    if (buffer == nullptr) {
        if (device.size() > AllocationCeiling() || !device.seek(0))
            return;
        whole = device.read(device.size());
    }
    const QByteArray& bytes = buffer != nullptr ? buffer->data() : whole;
    ReadBits(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size(), header.DataStart);
    message.clear();
}

namespace {

// Each value of the data in bytes in memory, in file order, to put(value)
// until it returns false: the same reading as ReadData below. Lines end at CR
// or LF; the data starts after the first "{" and ends before the first "}"
// of a later line; each "x" or "X" takes the two bytes after it as
// hexadecimal digits (anything else counts 0), even past its line's end, and
// the scan of that line goes on after them.
template <typename TPut, typename TProgress>
void ScanValues(const std::uint8_t* data, std::int64_t size, std::int64_t start, TPut put, TProgress progress)
{
    const std::uint8_t* const end = data + size;
    const std::uint8_t* p = data + std::clamp<std::int64_t>(start, 0, size);
    bool opened = false, closing = false;
    int lines = 0;
    // The next LF is kept from line to line, so that a file without any
    // (CR only) is not searched to its end for every line.
    const std::uint8_t* nextLf = nullptr;
    while (!closing && p < end) {
        if (nextLf == nullptr || nextLf < p) {
            nextLf = static_cast<const std::uint8_t*>(std::memchr(p, '\n', std::size_t(end - p)));
            if (nextLf == nullptr)
                nextLf = end;
        }
        const auto* lineEnd = static_cast<const std::uint8_t*>(std::memchr(p, '\r', std::size_t(nextLf - p)));
        if (lineEnd == nullptr)
            lineEnd = nextLf;
        const std::uint8_t* from = p;
        const std::uint8_t* to = lineEnd;
        const auto length = std::size_t(lineEnd - p);
        if (!opened) {
            const void* brace = std::memchr(p, '{', length);
            opened = brace != nullptr;
            from = opened ? static_cast<const std::uint8_t*>(brace) + 1 : lineEnd;
        } else if (const void* brace = std::memchr(p, '}', length)) {
            to = static_cast<const std::uint8_t*>(brace);
            closing = true;
        }
        for (const std::uint8_t* q = from; q < to; ++q) {
            if ((*q | 0x20) != 'x')
                continue;
            if (end - q < 3)
                break; // the file ends before the digits
            if (!put(std::uint8_t(HexValues.Values[q[1]] << 4 | HexValues.Values[q[2]])))
                return;
            q += 2;
        }
        p = lineEnd;
        while (p < end && (*p == '\r' || *p == '\n'))
            ++p;
        if (++lines % 40 == 0)
            progress((p - data) * 100 / std::max<std::int64_t>(size, 1));
    }
}

} // namespace

// Returns with (x, y) at the first pixel not written, y = height when all were.
void TXBitmap::ReadData(const std::uint8_t* data, std::int64_t size, std::int64_t start, std::int32_t& x,
                        std::int32_t& y)
{
    static const TExpandedBytes expanded;
    const std::int32_t width = Picture.width(), height = Picture.height();
    x = 0;
    y = 0;
    if (width <= 0 || height <= 0)
        return;
    const qsizetype stride = Picture.bytesPerLine();
    std::uint8_t* row = Picture.bits();
    auto put = [&](std::uint8_t value) {
        // A byte's pixels go in at once; the row's end drops the rest of its bits.
        std::uint8_t* out = row + std::ptrdiff_t(x) * 3;
        if (width - x >= 8) {
            std::memcpy(out, expanded.Pixels[value], 24);
            x += 8;
        } else {
            std::memcpy(out, expanded.Pixels[value], std::size_t(width - x) * 3);
            x = width;
        }
        if (x < width)
            return true;
        x = 0;
        row += stride;
        return ++y < height;
    };
    ScanValues(data, size, start, put, [this](std::int64_t percent) { RequestProgress(percent); });
}

// Bits holds each row's bytes as they are, bit order reversed, the padding
// bits of a row's last byte cleared; rows the data does not reach stay 0, white.
void TXBitmap::ReadBits(const std::uint8_t* data, std::int64_t size, std::int64_t start)
{
    static const TReversedBytes reversed;
    const std::int32_t rowBytes = (Bits.width() + 7) / 8, height = Bits.height();
    const std::uint8_t lastMask = std::uint8_t(Bits.width() % 8 == 0 ? 0xFF : 0xFF << (8 - Bits.width() % 8));
    const qsizetype stride = Bits.bytesPerLine();
    std::uint8_t* row = Bits.bits();
    std::int32_t x = 0, y = 0;
    auto put = [&](std::uint8_t value) {
        if (x + 1 < rowBytes) {
            row[x++] = reversed.Values[value];
            return true;
        }
        row[x] = reversed.Values[value] & lastMask;
        x = 0;
        row += stride;
        return ++y < height;
    };
    ScanValues(data, size, start, put, [this](std::int64_t percent) { RequestProgress(percent); });
}

// The hexadecimal bytes between "{" and "}". A row ends within a byte: its
// remaining bits are padding, and the next row starts with the next byte.
void TXBitmap::ReadData(TByteStream& stream, std::int64_t start, TByteImage& image)
{
    // A piece this long holds at most 2048 values ("x" and two digits each),
    // so one TByteSpan takes them all, however long the line.
    constexpr std::int64_t Piece = 3 * TByteSpan::Capacity;
    static const TExpandedBytes expanded;
    TByteSpan span;
    bool opened = false, closing = false;
    std::int64_t position = start, lineStart = 0, lineEnd = 0, mark = 0;
    int lines = 0;
    while (!closing && !image.Full() && stream.ReadLine(position, -1, '\0', lineStart, lineEnd, mark)) {
        std::int64_t from = lineStart, to = lineEnd;
        if (!opened) {
            const std::int64_t brace = stream.FindByte('{', lineStart, lineEnd);
            opened = brace >= 0;
            from = brace + 1;
            if (!opened)
                to = from - 1;
        } else {
            const std::int64_t brace = stream.FindByte('}', lineStart, lineEnd);
            if (brace >= 0) {
                to = brace - 1;
                closing = true;
            }
        }
        while (from <= to && !image.Full()) {
            span.Length = 0;
            std::int64_t next = from;
            stream.ScanHexBytes(from, std::min(to, from + Piece - 1), span, &next);
            from = next;
            // A byte's pixels go in at once; the row's end drops the rest of its bits.
            for (std::int32_t i = 0; i < span.Length; ++i)
                if (image.PutRowPart(expanded.Pixels[span.Bytes[i]], 8) == 0)
                    return;
        }
        if (++lines % 40 == 0)
            RequestProgress((position + 1) * 100 / std::max<std::int64_t>(stream.Size(), 1));
    }
}

void TXBitmap::SaveSteps(QIODevice& device, std::string& message)
{
    TByteStream stream;
    stream.SetStream(&device);
    std::int64_t position = device.pos();
    const std::string header = "#define image_width " + IntToText(Picture.width()) + "\r\n#define image_height "
                               + IntToText(Picture.height()) + "\r\nstatic char image_bits[] = {\r\n";
    if (!stream.WriteText(position, header) || !WriteData(stream, position) || !stream.Flush())
        return; // pending: out of memory
    message.clear();
}

// Each row packed into bytes, pixel k of a group of 8 in bit k, written as
// "0x.., " with a line break after every 10th value, counted across rows.
bool TXBitmap::WriteData(TByteStream& stream, std::int64_t& position)
{
    static const char digits[] = "0123456789abcdef";
    const std::int32_t width = Picture.width(), height = Picture.height();
    const std::int32_t rowBytes = (width + 7) / 8;
    std::vector<char> text(std::size_t(rowBytes) * 8 + 8);
    std::int64_t values = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        RequestProgress((std::int64_t(y) + 1) * 100 / height);
        const std::uint8_t* in = Picture.constScanLine(y);
        char* out = text.data();
        for (std::int32_t group = 0; group < rowBytes; ++group) {
            std::uint8_t value = 0;
            const std::int32_t first = group * 8, last = std::min(width, first + 8);
            for (std::int32_t x = first; x < last; ++x)
                if (in[x * 3 + 2] == 0)
                    value = std::uint8_t(value | (1 << (x - first)));
            *out++ = '0';
            *out++ = 'x';
            *out++ = digits[value >> 4];
            *out++ = digits[value & 15];
            *out++ = ',';
            *out++ = ' ';
            if (++values % 10 == 0) {
                *out++ = '\r';
                *out++ = '\n';
            }
        }
        if (!stream.WriteText(position, text.data(), out - text.data()))
            return false;
    }
    return stream.WriteText(position, "};");
}

} // namespace orvanto
