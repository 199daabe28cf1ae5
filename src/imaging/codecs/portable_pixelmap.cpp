#include "imaging/codecs/portable_pixelmap.h"

#include "imaging/codecs/byte_image.h"
#include "imaging/codecs/byte_stream.h"
#include "imaging/codecs/picture_allocation.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/text/text_conversion.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace orvanto {

#endif

namespace {

const TCodecTexts PortablePixelmapTexts{Sentences::OutOfMemory, Sentences::FileNotFound, Sentences::FileInUse};

bool IsDigit(std::uint8_t byte)
{
    return byte >= '0' && byte <= '9';
}

bool IsPlain(int type)
{
    return type <= 3;
}

bool IsBitmap(int type)
{
    return type == 1 || type == 4;
}

// Sample value -> 8-bit intensity: lowered to the maximum, then scaled to
// 0..255 and rounded; a maximum of 0 is black.
std::vector<std::uint8_t> ScaleTable(std::int32_t largestSample, std::int32_t maxValue)
{
    std::vector<std::uint8_t> table(std::size_t(largestSample) + 1, 0);
    if (maxValue <= 0)
        return table;
    for (std::int32_t v = 0; v <= largestSample; ++v) {
        const std::int64_t lowered = std::min(v, maxValue);
        table[std::size_t(v)] = std::uint8_t((2 * lowered * 255 + maxValue) / (2 * std::int64_t(maxValue)));
    }
    return table;
}

// The 8 pixels of every byte value, most significant bit leftmost, 1 black.
struct TExpandedBytes {
    std::uint8_t Pixels[256][24];
    TExpandedBytes()
    {
        for (int value = 0; value < 256; ++value)
            for (int bit = 0; bit < 8; ++bit)
                std::memset(Pixels[value] + bit * 3, (value >> (7 - bit)) & 1 ? 0 : 255, 3);
    }
};

} // namespace

TPortablePixelmap::TPortablePixelmap() : TCodecGraphic(PortablePixelmapTexts)
{
    Picture = QImage(0, 0, QImage::Format_BGR888);
}

void TPortablePixelmap::SetPixelType(int type)
{
    FPixelType = Clamp(type, 1, 6);
}

bool TPortablePixelmap::SameClass(const TGraphic& other) const
{
    return dynamic_cast<const TPortablePixelmap*>(&other) != nullptr;
}

void TPortablePixelmap::AssignSettings(const TCodecGraphic& source)
{
    SetPixelType(static_cast<const TPortablePixelmap&>(source).PixelType());
}

// The magic is the first two characters of the first line. The width, height
// and maximum are the next numbers after it wherever the lines break, with
// comments from "#" to the end of a line anywhere; the samples start behind
// the last of them. Netpbm writes "P6 640 480 255" on one line as readily as
// one value a line.
bool TPortablePixelmap::ReadHeader(TByteStream& stream, std::int64_t start, THeader& header)
{
    header = THeader();
    std::int64_t position = start, lineStart = 0, lineEnd = 0, mark = 0;
    if (!stream.ReadLine(position, -1, '#', lineStart, lineEnd, mark)) {
        header.DataStart = stream.Size();
        return true; // nothing at all: the dimension check reports it
    }
    if (mark >= 0)
        lineEnd = mark - 1;
    if (lineEnd - lineStart + 1 < 2)
        return false;
    const std::string magic = UpperAscii(stream.ReadText(lineStart, lineStart + 1));
    if (magic.size() < 2 || magic[0] != 'P')
        return false;
    header.PixelType = Clamp(TextToInt(magic.substr(1, 1)), 1, 6);
    const bool bitmap = IsBitmap(header.PixelType);

    enum { Width, Height, MaxValue, Done } wanted = Width;
    std::int64_t p = lineStart + 2;
    std::uint8_t byte = 0;
    while (wanted != Done && stream.ReadByte(p, byte)) {
        if (byte == '#') {
            while (stream.ReadByte(p, byte) && byte != 10 && byte != 13)
                ++p;
            continue;
        }
        if (!IsDigit(byte)) {
            ++p;
            continue;
        }
        // Only the last five digits of a run count, as in every number of the format.
        std::uint32_t value = 0;
        while (stream.ReadByte(p, byte) && IsDigit(byte)) {
            value = (value * 10 + (byte - '0')) % 100000;
            ++p;
        }
        const std::int32_t number = std::int32_t(std::min<std::uint32_t>(value, 65535));
        switch (wanted) {
        case Width:
            if (number > 0) {
                header.Width = number;
                wanted = Height;
            }
            break;
        case Height:
            if (number > 0 || bitmap) {
                header.Height = number;
                if (bitmap) {
                    header.MaxValue = 1;
                    wanted = Done;
                } else {
                    wanted = MaxValue;
                }
            }
            break;
        case MaxValue:
            header.MaxValue = number;
            wanted = Done;
            break;
        case Done:
            break;
        }
    }
    // p is just behind the last digit; a raw raster starts after exactly one
    // separator byte, whatever its value.
    if (wanted != Done)
        header.DataStart = stream.Size();
    else
        header.DataStart = IsPlain(header.PixelType) ? p : p + 1;
    return true;
}

void TPortablePixelmap::LoadSteps(QIODevice& device, std::string& message)
{
    // The raw readers write every pixel, white where the data ends early.
    const auto fillFor = [](const THeader& header) {
        return IsPlain(header.PixelType) ? TPictureFill::White : TPictureFill::None;
    };
    TByteStream stream;
    THeader header;
    TByteImage image;
    FPartial = false;
    if (!BeginPicture(device, stream, header, &ReadHeader, fillFor, image, message))
        return;
    SetPixelType(header.PixelType);
    switch (header.PixelType) {
    case 1:
        ReadPlainBits(stream, header, image);
        FPartial = !image.Full();
        break;
    case 2:
    case 3:
        ReadPlainSamples(stream, header, image);
        FPartial = !image.Full();
        break;
    case 4:
        ReadRawBits(stream, header, image);
        break;
    default:
        ReadRawSamples(stream, header, image);
        break;
    }
    message.clear();
}

// Both plain readers walk the text once, forwards, byte by byte through the
// stream's window: a comment runs from "#" to the end of its line, and a
// line may be of any length. Every 40 lines a progress report is asked for.

// Each "0" or "1" is one pixel whatever separates it from the next: Netpbm
// writes plain bitmap rows as digits without blanks.
void TPortablePixelmap::ReadPlainBits(TByteStream& stream, const THeader& header, TByteImage& image)
{
    std::uint8_t byte = 0;
    int lines = 0;
    for (std::int64_t i = header.DataStart; stream.ReadByte(i, byte); ++i) {
        if (byte == '0' || byte == '1') {
            const std::uint8_t level = byte == '1' ? 0 : 255;
            if (!image.PutNextPixel(level, level, level))
                return;
        } else if (byte == '#') {
            while (stream.ReadByte(i + 1, byte) && byte != 10 && byte != 13)
                ++i;
        } else if (byte == 10 && ++lines % 40 == 0) {
            RequestProgress((i + 1) * 100 / std::max<std::int64_t>(stream.Size(), 1));
        }
    }
}

// Decimal samples, any number to a line, separated by anything that is not
// a digit; only the last five digits of a run count, and a sample is lowered
// to the maximum. Graymaps give one pixel a sample, pixmaps one pixel per
// red, green, blue triple, which may span lines.
void TPortablePixelmap::ReadPlainSamples(TByteStream& stream, const THeader& header, TByteImage& image)
{
    const std::vector<std::uint8_t> scale = ScaleTable(header.MaxValue, header.MaxValue);
    const std::uint32_t maximum = std::uint32_t(header.MaxValue);
    const bool gray = header.PixelType == 2;
    std::uint8_t triple[3] = {0, 0, 0};
    int filled = 0;
    std::uint32_t value = 0;
    bool inNumber = false;
    std::uint8_t byte = 0;
    int lines = 0;
    for (std::int64_t i = header.DataStart;; ++i) {
        const bool more = stream.ReadByte(i, byte);
        const unsigned digit = unsigned(byte) - '0';
        if (more && digit <= 9) {
            value = (value * 10 + digit) % 100000;
            inNumber = true;
            continue;
        }
        if (inNumber) {
            const std::uint8_t level = scale[std::min(value, maximum)];
            value = 0;
            inNumber = false;
            if (gray) {
                if (!image.PutNextPixel(level, level, level))
                    return;
            } else {
                triple[filled++] = level;
                if (filled == 3) {
                    filled = 0;
                    if (!image.PutNextPixel(triple[2], triple[1], triple[0]))
                        return;
                }
            }
        }
        if (!more)
            return;
        if (byte == '#') {
            while (stream.ReadByte(i + 1, byte) && byte != 10 && byte != 13)
                ++i;
        } else if (byte == 10 && ++lines % 40 == 0) {
            RequestProgress((i + 1) * 100 / std::max<std::int64_t>(stream.Size(), 1));
        }
    }
}

namespace {

// Raw rasters move this many bytes at a time, in whole rows: few device
// calls, and a block stays in the second-level cache while it is converted.
constexpr std::int64_t RawBlockBytes = 256 * 1024;

std::int64_t RowsPerBlock(std::int64_t rowBytes)
{
    return std::max<std::int64_t>(1, RawBlockBytes / std::max<std::int64_t>(rowBytes, 1));
}

// Up to count bytes from position; fewer only at the end of the data.
std::int64_t ReadFully(TByteStream& stream, std::int64_t position, std::uint8_t* target, std::int64_t count)
{
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t got =
            stream.ReadBlock(position + done, reinterpret_cast<char*>(target + done), count - done);
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

// Red, green, blue bytes to blue, green, red pixels and back (the same
// exchange); in and out may be the same memory.
void SwapRedBlueBytes(const std::uint8_t* in, std::uint8_t* out, std::int64_t count)
{
    for (std::int64_t x = 0; x < count; ++x, in += 3, out += 3) {
        const std::uint8_t red = in[0], green = in[1], blue = in[2];
        out[0] = blue;
        out[1] = green;
        out[2] = red;
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels a step through one byte shuffle: sixteen bytes are loaded and
// stored, the last four unchanged, which the next step overwrites; the loop
// stops while six pixels remain so neither side runs past its end.
__attribute__((target("ssse3"))) void SwapRedBlueShuffled(const std::uint8_t* in, std::uint8_t* out,
                                                          std::int64_t count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    std::int64_t x = 0;
    for (; x + 6 <= count; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 3), _mm_shuffle_epi8(pixels, order));
    }
    SwapRedBlueBytes(in + x * 3, out + x * 3, count - x);
}
#endif

void SwapRedBlue(const std::uint8_t* in, std::uint8_t* out, std::int64_t count)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool shuffle = __builtin_cpu_supports("ssse3");
    if (shuffle) {
        SwapRedBlueShuffled(in, out, count);
        return;
    }
#endif
    SwapRedBlueBytes(in, out, count);
}

// The raw raster in blocks of whole rows. convertRow(in, bytes, pixels)
// turns the bytes one row got into pixels and returns how many pixels it
// wrote; a row short of the width ends the raster, the rest white. report
// gets the percentage read whenever reportEvery more bytes came in. False
// when the data ended before the raster did.
template <typename ConvertRow, typename Report>
bool ReadRawRows(TByteStream& stream, std::int64_t start, std::int32_t width, std::int32_t height,
                 std::int64_t rowBytes, std::int64_t reportEvery, TByteImage& image, ConvertRow convertRow,
                 Report report)
{
    const std::int64_t rowsPerBlock = RowsPerBlock(rowBytes);
    std::vector<std::uint8_t> block(std::size_t(rowsPerBlock * rowBytes), 0);
    std::int64_t position = start;
    std::int64_t lastReport = position;
    for (std::int32_t y = 0; y < height; y += std::int32_t(rowsPerBlock)) {
        const std::int64_t rows = std::min<std::int64_t>(rowsPerBlock, height - y);
        const std::int64_t got = ReadFully(stream, position, block.data(), rows * rowBytes);
        position += got;
        for (std::int64_t r = 0; r < rows; ++r) {
            const std::int32_t row = y + std::int32_t(r);
            std::uint8_t* pixels = image.RowPointer(row);
            if (pixels == nullptr)
                return false;
            const std::int64_t available = std::max<std::int64_t>(std::min(got - r * rowBytes, rowBytes), 0);
            const std::int64_t written = convertRow(block.data() + r * rowBytes, available, pixels);
            if (written < width) {
                FillWhiteFrom(*image.Bitmap(), written, row);
                return false;
            }
        }
        if (position - lastReport >= reportEvery) {
            lastReport = position;
            report((position + 1) * 100 / std::max<std::int64_t>(stream.Size(), 1));
        }
    }
    return true;
}

} // namespace

// Rows of (width + 7) / 8 bytes, most significant bit leftmost, 1 black;
// the bits past the width in a row's last byte are padding. Every pixel is
// written: what a raster cut short never reaches is white.
void TPortablePixelmap::ReadRawBits(TByteStream& stream, const THeader& header, TByteImage& image)
{
    static const TExpandedBytes expanded;
    const std::int64_t rowBytes = (std::int64_t(header.Width) + 7) / 8;
    FPartial = !ReadRawRows(
        stream, header.DataStart, header.Width, header.Height, rowBytes, 10000, image,
        [&](const std::uint8_t* in, std::int64_t available, std::uint8_t* pixels) {
            const std::int64_t width = std::min<std::int64_t>(header.Width, available * 8);
            for (std::int64_t x = 0; x < width; x += 8) {
                const std::int64_t count = std::min<std::int64_t>(8, width - x);
                std::memcpy(pixels + x * 3, expanded.Pixels[in[x >> 3]], std::size_t(count) * 3);
            }
            return width;
        },
        [this](std::int64_t percent) { RequestProgress(percent); });
}

// One (maximum up to 255) or two (above, most significant first) bytes a
// sample; a graymap sample is a pixel, a pixmap pixel is red, green, blue.
// Samples stop at the end of the raster; a pixel cut short stays white, and
// so does everything after it.
void TPortablePixelmap::ReadRawSamples(TByteStream& stream, const THeader& header, TByteImage& image)
{
    const int channels = header.PixelType == 5 ? 1 : 3;
    const int sampleBytes = header.MaxValue > 255 ? 2 : 1;
    const std::vector<std::uint8_t> scale = ScaleTable(sampleBytes == 2 ? 65535 : 255, header.MaxValue);
    const std::int64_t pixelBytes = std::int64_t(channels) * sampleBytes;
    const std::int64_t rowBytes = std::int64_t(header.Width) * pixelBytes;
    const bool identity = sampleBytes == 1 && header.MaxValue == 255;
    FPartial = !ReadRawRows(
        stream, header.DataStart, header.Width, header.Height, rowBytes, channels == 1 ? 10000 : 50000, image,
        [&](const std::uint8_t* in, std::int64_t available, std::uint8_t* pixels) {
            const std::int64_t count = available / pixelBytes;
            if (channels == 3 && identity) {
                SwapRedBlue(in, pixels, count);
            } else if (sampleBytes == 1) {
                std::uint8_t* out = pixels;
                for (std::int64_t x = 0; x < count; ++x, out += 3) {
                    if (channels == 1) {
                        out[0] = out[1] = out[2] = scale[*in++];
                    } else {
                        out[2] = scale[in[0]];
                        out[1] = scale[in[1]];
                        out[0] = scale[in[2]];
                        in += 3;
                    }
                }
            } else {
                std::uint8_t* out = pixels;
                for (std::int64_t x = 0; x < count; ++x, out += 3) {
                    std::uint8_t level[3];
                    for (int c = 0; c < channels; ++c, in += 2)
                        level[c] = scale[std::size_t(in[0]) << 8 | in[1]];
                    if (channels == 1) {
                        out[0] = out[1] = out[2] = level[0];
                    } else {
                        out[2] = level[0];
                        out[1] = level[1];
                        out[0] = level[2];
                    }
                }
            }
            return count;
        },
        [this](std::int64_t percent) { RequestProgress(percent); });
}

void TPortablePixelmap::SaveSteps(QIODevice& device, std::string& message)
{
    TByteStream stream;
    stream.SetStream(&device);
    std::int64_t position = device.pos();
    std::string text(1, 'P');
    text += IntToText(FPixelType);
    text += '\n';
    text += IntToText(Picture.width());
    text += ' ';
    text += IntToText(Picture.height());
    text += '\n';
    if (!IsBitmap(FPixelType))
        text += "\n255\n";
    if (!stream.WriteText(position, text) || !stream.Flush()) {
        message = Sentences::StreamWriteFailure;
        return;
    }
    message = Sentences::OutOfMemory;
    if (!WriteData(stream, position) || !stream.Flush())
        return;
    message.clear();
}

namespace {

// Decimal without leading zeros, then a blank.
char* AppendSample(char* out, std::uint8_t value)
{
    if (value >= 100) {
        *out++ = char('0' + value / 100);
        *out++ = char('0' + value / 10 % 10);
    } else if (value >= 10) {
        *out++ = char('0' + value / 10);
    }
    *out++ = char('0' + value % 10);
    *out++ = ' ';
    return out;
}

} // namespace

namespace {

// One row of a raw bitmap: a pixel whose red byte is 0 is black, bit 1,
// first pixel in the high bit; the last byte's unused bits are 0. Whole bytes
// are built in a register: this runs over tens of megapixels.
void PackBlackBits(const std::uint8_t* in, std::uint8_t* out, std::int32_t width)
{
    std::int32_t x = 0;
    for (; x + 8 <= width; x += 8, in += 24) {
        unsigned value = 0;
        for (int k = 0; k < 8; ++k)
            value |= unsigned(in[3 * k + 2] == 0) << (7 - k);
        *out++ = std::uint8_t(value);
    }
    if (x < width) {
        unsigned value = 0;
        for (int k = 0; x < width; ++x, ++k, in += 3)
            value |= unsigned(in[2] == 0) << (7 - k);
        *out = std::uint8_t(value);
    }
}

} // namespace

// Rows top to bottom. The raw types gather whole rows into blocks of
// RawBlockBytes for the device. The text types break the line (CR LF) after
// every sixth pixel, counted across rows; graymaps and bitmaps take the red byte.
bool TPortablePixelmap::WriteData(TByteStream& stream, std::int64_t position)
{
    const std::int32_t width = Picture.width(), height = Picture.height();
    const int type = FPixelType;
    if (type >= 4) {
        const std::int64_t rowBytes = type == 4 ? (std::int64_t(width) + 7) / 8
                                                : std::int64_t(width) * (type == 5 ? 1 : 3);
        const std::int64_t rowsPerBlock = RowsPerBlock(rowBytes);
        std::vector<std::uint8_t> block(std::size_t(rowsPerBlock * rowBytes));
        for (std::int32_t y = 0; y < height; y += std::int32_t(rowsPerBlock)) {
            const std::int64_t rows = std::min<std::int64_t>(rowsPerBlock, height - y);
            RequestProgress((std::int64_t(y) + rows) * 100 / height);
            for (std::int64_t r = 0; r < rows; ++r) {
                const std::uint8_t* in = Picture.constScanLine(y + std::int32_t(r));
                std::uint8_t* out = block.data() + r * rowBytes;
                if (type == 6) {
                    SwapRedBlue(in, out, width);
                } else if (type == 5) {
                    for (std::int32_t x = 0; x < width; ++x)
                        out[x] = in[x * 3 + 2];
                } else {
                    PackBlackBits(in, out, width);
                }
            }
            if (!stream.WriteText(position, reinterpret_cast<const char*>(block.data()), rows * rowBytes))
                return false;
        }
        return true;
    }
    // The longest text a pixel takes: "255 255 255 " and a line break.
    std::vector<char> row(std::size_t(width) * 14 + 16);
    std::int64_t pixelsWritten = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        RequestProgress((std::int64_t(y) + 1) * 100 / height);
        const std::uint8_t* in = Picture.constScanLine(y);
        char* out = row.data();
        for (std::int32_t x = 0; x < width; ++x, in += 3) {
            if (type == 1) {
                *out++ = in[2] == 0 ? '1' : '0';
                *out++ = ' ';
            } else if (type == 2) {
                out = AppendSample(out, in[2]);
            } else {
                out = AppendSample(out, in[2]);
                out = AppendSample(out, in[1]);
                out = AppendSample(out, in[0]);
            }
            if (++pixelsWritten % 6 == 0) {
                *out++ = '\r';
                *out++ = '\n';
            }
        }
        if (!stream.WriteText(position, row.data(), out - row.data()))
            return false;
    }
    return true;
}

bool TPortablePixelmap::WriteRawBitmap(QIODevice& device, const QImage& bits)
{
    if (bits.isNull() || bits.format() != QImage::Format_Mono)
        return false;
    const std::int32_t width = bits.width(), height = bits.height();
    const std::string header = "P4\n" + IntToText(width) + ' ' + IntToText(height) + '\n';
    if (device.write(header.data(), qint64(header.size())) != qint64(header.size()))
        return false;
    const std::int64_t rowBytes = (std::int64_t(width) + 7) / 8;
    const std::int64_t rowsPerBlock = RowsPerBlock(rowBytes);
    std::vector<char> block(std::size_t(rowsPerBlock * rowBytes));
    for (std::int32_t y = 0; y < height; y += std::int32_t(rowsPerBlock)) {
        const std::int64_t rows = std::min<std::int64_t>(rowsPerBlock, height - y);
        for (std::int64_t r = 0; r < rows; ++r)
            std::memcpy(block.data() + r * rowBytes, bits.constScanLine(y + std::int32_t(r)), std::size_t(rowBytes));
        if (device.write(block.data(), rows * rowBytes) != rows * rowBytes)
            return false;
    }
    return true;
}

} // namespace orvanto
