#include "imaging/codecs/x_bitmap.h"
#include "support/messages.h"

#include "imaging/codecs/byte_image.h"
#include "imaging/codecs/byte_stream.h"
#include "imaging/codecs/picture_allocation.h"
#include "support/text_conversion.h"
#include "support/string_helpers.h"

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
    TByteStream stream;
    THeader header;
    TByteImage image;
    // Every pixel is written: the data's, then white where the data ends.
    if (!BeginPicture(device, stream, header, &ReadHeader, [](const THeader&) { return TPictureFill::None; },
                      image, message))
        return;
    ReadData(stream, header.DataStart, image);
    if (!image.Full())
        FillWhiteFrom(Picture, image.CursorX, image.CursorY);
    message.clear();
}

// The hexadecimal bytes between "{" and "}". A row ends within a byte: its
// remaining bits are padding, and the next row starts with the next byte.
void TXBitmap::ReadData(TByteStream& stream, std::int64_t start, TByteImage& image)
{
    // A piece this long holds at most 2048 values ("x" and two digits each),
    // so one ByteSpan takes them all, however long the line.
    constexpr std::int64_t Piece = 3 * ByteSpan::Capacity;
    static const TExpandedBytes expanded;
    ByteSpan span;
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
