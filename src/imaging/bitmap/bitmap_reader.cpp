#include "imaging/bitmap/bitmap_reader.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/file_bytes.h"
#include "support/text/byte_order.h"
#include "support/messages/messages.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

namespace orvanto {

namespace {


// Larger than any picture a bitmap could hold in practice; a header claiming
// more is nonsense rather than merely too big for this machine.
constexpr std::int64_t AbsurdSide = 1000000;

enum : std::uint32_t {
    CompressionRgb = 0,
    CompressionRle8 = 1,
    CompressionRle4 = 2,
    CompressionBitFields = 3,
    CompressionAlphaBitFields = 6,
};

struct TColour {
    std::uint8_t B = 0, G = 0, R = 0;
};

// What the information header says, after checking that it means something.
struct THeader {
    std::uint32_t HeaderSize = 0;
    std::int64_t Width = 0, Height = 0; // Height is the stored rows, positive
    bool TopDown = false;
    bool Os2 = false;
    int Bits = 0;
    std::uint32_t Compression = CompressionRgb;
    std::uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool AlphaMaskGiven = false;
    int PaletteEntry = 4;            // bytes per palette entry
    std::int64_t PaletteCount = 0;   // entries the header declares
    std::int64_t PaletteStart = 0;   // offset from the start of the header
    // An ICC profile embedded in a version-5 header: offset from the start
    // of the header, and size; 0 when there is none.
    std::uint32_t ProfileOffset = 0, ProfileSize = 0;
};

// The colour space field of version-4 and -5 headers: "MBED" (the profile
// lies in the file). Linked profiles name a file on the writer's machine and
// are not followed.
constexpr std::uint32_t ProfileEmbedded = 0x4D424544;

// Parses the header at data[0..size). Fails with the message to report.
bool ParseHeader(const std::uint8_t* data, std::size_t size, THeader& h, const char*& error)
{
    error = Messages::UnknownFormat;
    if (size < 4)
        return false;
    h.HeaderSize = LittleEndian32(data);
    const std::uint32_t hs = h.HeaderSize;
    if (hs == 12) {
        if (size < 12)
            return false;
        h.Width = LittleEndian16(data + 4);
        h.Height = LittleEndian16(data + 6);
        h.Bits = LittleEndian16(data + 10);
        h.PaletteEntry = 3;
    } else if (hs >= 16 && hs <= 0x10000) {
        // OS/2 2.x headers may stop after any field; the missing ones are zero.
        h.Os2 = hs < 40 || hs == 64 || (hs > 40 && hs < 64 && hs != 52 && hs != 56);
        const std::size_t present = std::min<std::size_t>(hs, 40);
        if (size < present)
            return false;
        std::uint8_t fields[40] = {};
        std::memcpy(fields, data, present);
        h.Width = std::int32_t(LittleEndian32(fields + 4));
        const std::int32_t height = std::int32_t(LittleEndian32(fields + 8));
        if (height == INT32_MIN)
            return false;
        h.TopDown = height < 0;
        h.Height = height < 0 ? -std::int64_t(height) : height;
        h.Bits = LittleEndian16(fields + 14);
        h.Compression = LittleEndian32(fields + 16);
        h.PaletteCount = LittleEndian32(fields + 32);
        if (!h.Os2 && hs >= 52) {
            if (size < std::min<std::size_t>(hs, 56))
                return false;
            for (int i = 0; i < 3; ++i)
                h.Masks[i] = LittleEndian32(data + 40 + 4 * i);
            if (hs >= 56) {
                h.Masks[3] = LittleEndian32(data + 52);
                h.AlphaMaskGiven = true;
            }
            if (hs >= 124 && size >= 124 && LittleEndian32(data + 56) == ProfileEmbedded) {
                h.ProfileOffset = LittleEndian32(data + 112);
                h.ProfileSize = LittleEndian32(data + 116);
            }
        }
    } else {
        return false;
    }

    if (h.Width <= 0 || h.Height <= 0 || h.Width > AbsurdSide || h.Height > AbsurdSide)
        return false;
    switch (h.Bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        return false;
    }
    // OS/2 2.x numbers its compressions differently from 3 on (Huffman,
    // RLE24); neither is used by anything still around.
    std::int64_t maskBytes = 0;
    switch (h.Compression) {
    case CompressionRgb:
        break;
    case CompressionRle8:
        if (h.Bits != 8)
            return false;
        break;
    case CompressionRle4:
        if (h.Bits != 4)
            return false;
        break;
    case CompressionBitFields:
    case CompressionAlphaBitFields:
        if (h.Os2 || (h.Bits != 16 && h.Bits != 32))
            return false;
        if (hs == 40) {
            maskBytes = h.Compression == CompressionBitFields ? 12 : 16;
            if (size < std::size_t(40 + maskBytes))
                return false;
            for (int i = 0; i < maskBytes / 4; ++i)
                h.Masks[i] = LittleEndian32(data + 40 + 4 * i);
            h.AlphaMaskGiven = h.Compression == CompressionAlphaBitFields;
        }
        break;
    default:
        return false;
    }
    if (h.TopDown && (h.Compression == CompressionRle8 || h.Compression == CompressionRle4))
        return false;
    if (h.Bits <= 8) {
        const std::int64_t full = std::int64_t(1) << h.Bits;
        if (h.PaletteCount == 0)
            h.PaletteCount = full;
        if (h.PaletteCount > full)
            return false;
    }
    h.PaletteStart = std::int64_t(hs) + maskBytes;
    return true;
}

std::string Describe(const THeader& h, bool packed)
{
    std::string text = std::to_string(h.HeaderSize) + "-byte " + (h.Os2 || h.HeaderSize == 12 ? "OS/2 " : "")
        + "header, " + std::to_string(h.Bits) + " bits";
    switch (h.Compression) {
    case CompressionRle8: text += ", RLE8"; break;
    case CompressionRle4: text += ", RLE4"; break;
    case CompressionBitFields: text += ", bit fields"; break;
    case CompressionAlphaBitFields: text += ", alpha bit fields"; break;
    default: break;
    }
    if (h.TopDown)
        text += ", top-down";
    if (h.ProfileSize != 0)
        text += ", colour profile";
    if (packed)
        text += ", packed";
    return text;
}

// One colour channel given by a mask, scaled to 8 bits.
struct TChannel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    std::uint32_t Max = 0;

    explicit TChannel(std::uint32_t mask = 0) : Mask(mask)
    {
        if (mask == 0)
            return;
        Shift = std::countr_zero(mask);
        Max = mask >> Shift;
    }
    std::uint8_t Of(std::uint32_t pixel) const
    {
        if (Max == 0)
            return 0;
        const std::uint64_t value = (pixel & Mask) >> Shift;
        return std::uint8_t((value * 255 + Max / 2) / Max);
    }
};

std::uint8_t Over(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background)
{
    return std::uint8_t((colour * alpha + background * (255 - alpha) + 127) / 255);
}

// Decodes the pixel rows of one bitmap whose header has been parsed.
class TDecoder {
public:
    TDecoder(const THeader& header, const std::uint8_t* pixels, std::size_t available,
             const std::array<TColour, 256>& palette, QRgb background, TDibAlpha alphaMode,
             std::vector<std::uint8_t>* alphaOut, QImage& picture)
        : H(header), Pixels(pixels), Available(available), Palette(palette),
          Background(background), AlphaMode(alphaMode), AlphaOut(alphaOut), Picture(picture),
          Stride((H.Width * H.Bits + 31) / 32 * 4)
    {
    }

    // True when a real alpha channel was found and used.
    bool Decode()
    {
        if (H.Compression == CompressionRle8 || H.Compression == CompressionRle4) {
            DecodeRunLength();
            return false;
        }
        switch (H.Bits) {
        case 16: return DecodeMasked<2>();
        case 32: return DecodeMasked<4>();
        default: DecodeRows(); return false;
        }
    }

    // Rows stored in the file, limited by the height (icons store more).
    std::int64_t Rows() const { return H.Height; }

private:
    const THeader& H;
    const std::uint8_t* Pixels;
    std::size_t Available;
    const std::array<TColour, 256>& Palette;
    QRgb Background;
    TDibAlpha AlphaMode;
    std::vector<std::uint8_t>* AlphaOut; // Width x Height, top row first, with TDibAlpha::Keep
    QImage& Picture;
    std::int64_t Stride;

    std::int64_t PictureRow(std::int64_t stored) const { return H.TopDown ? stored : H.Height - 1 - stored; }
    std::uint8_t* Row(std::int64_t stored) { return Picture.scanLine(int(PictureRow(stored))); }

    // The whole pixels of stored row r that the data holds.
    std::int64_t PixelsInRow(std::int64_t r) const
    {
        const std::int64_t bytes = std::int64_t(Available) - r * Stride;
        if (bytes <= 0)
            return 0;
        return std::min(H.Width, std::min(bytes, Stride) * 8 / H.Bits);
    }

    // The picture comes unfilled: every pixel the data does not reach is
    // painted white here, from pixel count of stored row r on.
    void WhiteFrom(std::int64_t r, std::int64_t count)
    {
        const TColour white{255, 255, 255};
        if (r >= H.Height)
            return;
        if (count < H.Width)
            FillRow(r, count, white);
        for (std::int64_t rest = r + 1; rest < H.Height; ++rest)
            FillRow(rest, 0, white);
    }

    void DecodeRows()
    {
        const int bits = H.Bits;
        for (std::int64_t r = 0; r < H.Height; ++r) {
            const std::int64_t count = PixelsInRow(r);
            if (count == 0) {
                WhiteFrom(r, 0);
                break;
            }
            const std::uint8_t* src = Pixels + r * Stride;
            std::uint8_t* dst = Row(r);
            if (bits == 24) {
                // Whole stored rows, padding included: carrier pictures keep
                // data in the padding bytes. A row cut short keeps the bytes
                // it has, down to a part of a pixel; the rest is white.
                const std::int64_t bytes = std::min<std::int64_t>(
                    {Stride, std::int64_t(Available) - r * Stride, Picture.bytesPerLine()});
                std::memcpy(dst, src, std::size_t(bytes));
                if (bytes < H.Width * 3) {
                    std::memset(dst + bytes, 0xFF, std::size_t(H.Width * 3 - bytes));
                    WhiteFrom(r, H.Width);
                    break;
                }
                continue;
            }
            if (bits == 8) {
                for (std::int64_t x = 0; x < count; ++x, dst += 3) {
                    const TColour& c = Palette[src[x]];
                    dst[0] = c.B, dst[1] = c.G, dst[2] = c.R;
                }
                if (count < H.Width) {
                    WhiteFrom(r, count);
                    break;
                }
                continue;
            }
            const int perByte = 8 / bits;
            const unsigned mask = (1u << bits) - 1;
            for (std::int64_t x = 0; x < count; ++x, dst += 3) {
                const int shift = 8 - bits * (int(x % perByte) + 1);
                const TColour& c = Palette[(src[x / perByte] >> shift) & mask];
                dst[0] = c.B, dst[1] = c.G, dst[2] = c.R;
            }
            if (count < H.Width) {
                WhiteFrom(r, count);
                break;
            }
        }
    }

    template <int Bytes>
    std::uint32_t PixelAt(const std::uint8_t* p) const
    {
        return Bytes == 2 ? LittleEndian16(p) : LittleEndian32(p);
    }

    template <int Bytes>
    bool DecodeMasked()
    {
        std::uint32_t masks[4];
        std::copy(std::begin(H.Masks), std::end(H.Masks), masks);
        const bool fields = H.Compression == CompressionBitFields || H.Compression == CompressionAlphaBitFields;
        if (!fields || (masks[0] | masks[1] | masks[2]) == 0) {
            if (Bytes == 2)
                masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F, masks[3] = 0;
            else
                masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
            // The fourth byte of plain 32-bit pixels is officially unused,
            // but many writers put alpha there; it counts when some pixel
            // sets it (see HasAlpha).
            if (Bytes == 4 && !(fields && H.AlphaMaskGiven))
                masks[3] = 0xFF000000;
        }
        if (Bytes == 2)
            for (auto& m : masks)
                m &= 0xFFFF;
        const TChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
        // Kept alpha is taken as stored, even all zero: the record that asks
        // for it means it.
        const bool keep = AlphaMode == TDibAlpha::Keep && AlphaOut != nullptr;
        const bool useAlpha = AlphaMode == TDibAlpha::Ignore ? false : keep ? masks[3] != 0 : HasAlpha<Bytes>(masks[3]);
        const std::uint8_t bgR = std::uint8_t(qRed(Background)), bgG = std::uint8_t(qGreen(Background)),
                           bgB = std::uint8_t(qBlue(Background));

        const bool plain = Bytes == 4 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
        std::vector<std::uint8_t> table;
        if (Bytes == 2) {
            table.resize(65536 * 4);
            for (std::uint32_t v = 0; v < 65536; ++v) {
                table[v * 4] = blue.Of(v), table[v * 4 + 1] = green.Of(v), table[v * 4 + 2] = red.Of(v);
                table[v * 4 + 3] = useAlpha ? alpha.Of(v) : 255;
            }
        }
        for (std::int64_t r = 0; r < H.Height; ++r) {
            const std::int64_t count = PixelsInRow(r);
            if (count < H.Width) {
                // Cut short: the row's last pixels and the rows after it are
                // white (which no alpha blending touches).
                WhiteFrom(r, 0);
                if (count == 0)
                    break;
            }
            const std::uint8_t* src = Pixels + r * Stride;
            std::uint8_t* dst = Row(r);
            std::uint8_t* alphaRow = keep ? AlphaOut->data() + PictureRow(r) * H.Width : nullptr;
            for (std::int64_t x = 0; x < count; ++x, src += Bytes, dst += 3) {
                std::uint8_t b, g, rr, a = 255;
                if (Bytes == 2) {
                    const std::uint8_t* t = &table[std::size_t(LittleEndian16(src)) * 4];
                    b = t[0], g = t[1], rr = t[2], a = t[3];
                } else if (plain) {
                    b = src[0], g = src[1], rr = src[2];
                    if (useAlpha)
                        a = alpha.Of(LittleEndian32(src));
                } else {
                    const std::uint32_t v = LittleEndian32(src);
                    b = blue.Of(v), g = green.Of(v), rr = red.Of(v);
                    if (useAlpha)
                        a = alpha.Of(v);
                }
                if (alphaRow)
                    alphaRow[x] = a;
                else if (a != 255)
                    b = Over(b, a, bgB), g = Over(g, a, bgG), rr = Over(rr, a, bgR);
                dst[0] = b, dst[1] = g, dst[2] = rr;
            }
        }
        return useAlpha;
    }

    // An alpha channel is real when some pixel has a non-zero alpha: files
    // whose unused byte is always zero would otherwise be all transparent.
    template <int Bytes>
    bool HasAlpha(std::uint32_t mask) const
    {
        if (mask == 0)
            return false;
        for (std::int64_t r = 0; r < H.Height; ++r) {
            const std::int64_t count = PixelsInRow(r);
            const std::uint8_t* src = Pixels + r * Stride;
            for (std::int64_t x = 0; x < count; ++x, src += Bytes)
                if (PixelAt<Bytes>(src) & mask)
                    return true;
        }
        return false;
    }

    // One pixel, then copies of what is done, doubling: a few memcpy calls a row.
    void FillRow(std::int64_t y, std::int64_t from, const TColour& c)
    {
        const std::int64_t bytes = (H.Width - from) * 3;
        if (bytes <= 0)
            return;
        std::uint8_t* dst = Row(y) + from * 3;
        dst[0] = c.B, dst[1] = c.G, dst[2] = c.R;
        for (std::int64_t done = 3; done < bytes;) {
            const std::int64_t piece = std::min(done, bytes - done);
            std::memcpy(dst + done, dst, std::size_t(piece));
            done += piece;
        }
    }

    void DecodeRunLength()
    {
        // The picture comes unfilled: everything starts as the gap colour.
        const TColour gap = Palette[0];
        for (std::int64_t y = 0; y < H.Height; ++y)
            FillRow(y, 0, gap);
        const bool four = H.Compression == CompressionRle4;
        const std::uint8_t* p = Pixels;
        const std::uint8_t* end = Pixels + Available;
        std::int64_t x = 0, y = 0;
        // The row y points into, looked up again only when y changes.
        std::int64_t rowOf = -1;
        std::uint8_t* row = nullptr;
        auto rowAt = [&]() {
            if (rowOf != y) {
                rowOf = y;
                row = Row(y);
            }
            return row;
        };
        auto set = [](std::uint8_t* dst, const TColour& c) { dst[0] = c.B, dst[1] = c.G, dst[2] = c.R; };
        while (y < H.Height) {
            if (end - p < 2) {
                // Cut short: what was never reached is white.
                const TColour white{255, 255, 255};
                if (x < H.Width)
                    FillRow(y, x, white);
                for (std::int64_t rest = y + 1; rest < H.Height; ++rest)
                    FillRow(rest, 0, white);
                return;
            }
            const unsigned count = p[0], value = p[1];
            p += 2;
            if (count > 0) {
                // A run: one colour, or two taking turns; what passes the
                // right edge is dropped.
                const std::int64_t n = std::min<std::int64_t>(count, std::max<std::int64_t>(H.Width - x, 0));
                if (n > 0) {
                    std::uint8_t* dst = rowAt() + x * 3;
                    const TColour& first = Palette[four ? value >> 4 : value];
                    const TColour& second = Palette[four ? value & 15 : value];
                    for (std::int64_t i = 0; i < n; ++i, dst += 3)
                        set(dst, i % 2 == 0 ? first : second);
                }
                x += count;
                continue;
            }
            if (value == 0) { // end of line
                x = 0, ++y;
            } else if (value == 1) { // end of bitmap
                return;
            } else if (value == 2) { // delta
                if (end - p < 2) {
                    p = end;
                    continue;
                }
                x += p[0], y += p[1];
                p += 2;
            } else { // absolute run of `value` pixels, padded to 16 bits
                const std::int64_t bytes = four ? (value + 1) / 2 : value;
                const std::int64_t padded = (bytes + 1) & ~std::int64_t(1);
                const std::int64_t have = std::min<std::int64_t>(end - p, bytes);
                const std::int64_t n = four ? std::min<std::int64_t>(value, have * 2) : have;
                const std::int64_t shown = x < H.Width ? std::min<std::int64_t>(n, H.Width - x) : 0;
                if (shown > 0) {
                    std::uint8_t* dst = rowAt() + x * 3;
                    if (four) {
                        for (std::int64_t i = 0; i < shown; ++i, dst += 3)
                            set(dst, Palette[i % 2 == 0 ? p[i / 2] >> 4 : p[i / 2] & 15]);
                    } else {
                        for (std::int64_t i = 0; i < shown; ++i, dst += 3)
                            set(dst, Palette[p[i]]);
                    }
                    x += shown;
                }
                p += std::min<std::int64_t>(end - p, padded);
            }
        }
    }
};

// Where a bitmap's parts are: the information header at Data[0]; the pixels
// either PixelOffset from Data (right after the palette when negative) or,
// when Bits is given, in a block of their own.
struct TDibSource {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::int64_t PixelOffset = -1;
    const std::uint8_t* Bits = nullptr;
    std::size_t BitsSize = 0;
    // A bitmap without a single byte of pixels is refused rather than shown white.
    bool RequireBits = false;
};

QRgb PaletteColour(const std::vector<QRgb>& palette, std::size_t index)
{
    return index < palette.size() ? palette[index] : qRgb(0, 0, 0);
}

bool DecodeDib(const TDibSource& source, bool icon, QRgb background, const TDibOptions& options,
               QImage& picture, std::string& error, std::string* details, bool packed)
{
    const std::uint8_t* data = source.Data;
    const std::size_t size = source.Size;
    std::int64_t pixelOffset = source.PixelOffset;
    THeader h;
    const char* message = nullptr;
    if (!ParseHeader(data, size, h, message)) {
        error = message;
        return false;
    }
    if (details)
        *details = Describe(h, packed);
    if (icon) {
        if (h.TopDown || h.Compression == CompressionRle8 || h.Compression == CompressionRle4
            || h.Height < 2) {
            error = Messages::UnknownFormat;
            return false;
        }
        h.Height /= 2;
    }
    const bool indexed = options.IndexedPalette != nullptr && h.Bits <= 8;
    if (indexed)
        h.PaletteEntry = 2;

    const std::int64_t declaredEnd = h.PaletteStart + h.PaletteCount * h.PaletteEntry;
    std::int64_t paletteRoom = h.PaletteCount;
    if (source.Bits) {
        // The colour table ends with the header block.
    } else if (pixelOffset >= h.PaletteStart) {
        paletteRoom = std::min(paletteRoom, (pixelOffset - h.PaletteStart) / h.PaletteEntry);
    } else {
        pixelOffset = declaredEnd;
    }
    std::array<TColour, 256> palette{};
    const std::int64_t entries = std::min<std::int64_t>(
        {paletteRoom, 256, std::max<std::int64_t>(std::int64_t(size) - h.PaletteStart, 0) / h.PaletteEntry});
    if (h.Bits <= 8)
        for (std::int64_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = data + h.PaletteStart + i * h.PaletteEntry;
            if (indexed) {
                const QRgb c = PaletteColour(*options.IndexedPalette, LittleEndian16(e));
                palette[std::size_t(i)] = TColour{std::uint8_t(qBlue(c)), std::uint8_t(qGreen(c)), std::uint8_t(qRed(c))};
            } else {
                palette[std::size_t(i)] = TColour{e[0], e[1], e[2]};
            }
        }

    const std::uint8_t* pixels = data + std::min<std::int64_t>(pixelOffset, std::int64_t(size));
    std::size_t available = pixelOffset >= std::int64_t(size) ? 0 : size - std::size_t(pixelOffset);
    if (source.Bits)
        pixels = source.Bits, available = source.BitsSize;
    if (source.RequireBits && available == 0) {
        error = Messages::UnknownFormat;
        return false;
    }
    // The decoder paints every pixel, white or the gap colour where the data
    // does not reach.
    picture = AllocatePicture(h.Width, h.Height, TPictureFill::None);
    if (picture.isNull()) {
        error = Messages::OutOfMemory;
        return false;
    }
    std::vector<std::uint8_t> alpha;
    const bool keepAlpha = options.Alpha == TDibAlpha::Keep && (h.Bits == 16 || h.Bits == 32)
        && h.Compression != CompressionRle8 && h.Compression != CompressionRle4;
    if (keepAlpha)
        alpha.assign(std::size_t(h.Width * h.Height), 255);
    TDecoder decoder(h, pixels, available, palette, background, options.Alpha, keepAlpha ? &alpha : nullptr,
                     picture);
    const bool alphaUsed = decoder.Decode();
    // A profile that does not lie wholly inside the data reads as none.
    if (!icon && h.ProfileSize != 0 && h.ProfileOffset >= h.HeaderSize
        && std::uint64_t(h.ProfileOffset) + h.ProfileSize <= size)
        ConvertToSrgb(picture, QByteArray::fromRawData(reinterpret_cast<const char*>(data) + h.ProfileOffset,
                                                       qsizetype(h.ProfileSize)));
    if (options.Alpha == TDibAlpha::Keep) {
        QImage withAlpha(picture.size(), QImage::Format_ARGB32);
        if (withAlpha.isNull()) {
            picture = QImage();
            error = Messages::OutOfMemory;
            return false;
        }
        for (int y = 0; y < picture.height(); ++y) {
            const std::uint8_t* src = picture.constScanLine(y);
            QRgb* dst = reinterpret_cast<QRgb*>(withAlpha.scanLine(y));
            for (int x = 0; x < picture.width(); ++x, src += 3)
                dst[x] = qRgba(src[2], src[1], src[0], keepAlpha ? alpha[std::size_t(y) * std::size_t(h.Width) + std::size_t(x)] : 255);
        }
        picture = std::move(withAlpha);
    }

    if (icon && !alphaUsed) {
        // The AND mask follows the colour rows: a set bit keeps the
        // background, which the colour then XORs (usually with black).
        const std::int64_t colourStride = (h.Width * h.Bits + 31) / 32 * 4;
        const std::int64_t maskStride = (h.Width + 31) / 32 * 4;
        const std::int64_t maskStart = colourStride * h.Height;
        const std::uint32_t bg = background & 0xFFFFFF;
        const std::uint8_t bgBytes[3] = {std::uint8_t(qBlue(bg)), std::uint8_t(qGreen(bg)), std::uint8_t(qRed(bg))};
        for (std::int64_t r = 0; r < h.Height; ++r) {
            const std::int64_t at = maskStart + r * maskStride;
            std::uint8_t* dst = picture.scanLine(int(h.Height - 1 - r));
            for (std::int64_t x = 0; x < h.Width; ++x) {
                const std::int64_t byte = at + x / 8;
                // A mask cut short counts as transparent: the colour alone
                // would show the XOR colours, usually black.
                const bool masked = byte >= std::int64_t(available) || (pixels[byte] >> (7 - x % 8)) & 1;
                if (masked)
                    for (int c = 0; c < 3; ++c)
                        dst[x * 3 + c] ^= bgBytes[c];
            }
        }
    }
    return true;
}

} // namespace

bool ReadBitmap(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
                std::string* details)
{
    try {
        if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
            if (size < 18) {
                error = Messages::UnknownFormat;
                return false;
            }
            const std::int64_t offBits = LittleEndian32(data + 10);
            // The pixel offset is relative to the file; the decoder counts
            // from the information header.
            return DecodeDib(TDibSource{data + 14, size - 14, offBits - 14}, false, qRgb(255, 255, 255),
                             TDibOptions(), picture, error, details, false);
        }
        // A packed bitmap (clipboard and resource form) starts with its
        // information header.
        return DecodeDib(TDibSource{data, size}, false, qRgb(255, 255, 255), TDibOptions(), picture, error,
                         details, true);
    } catch (const std::bad_alloc&) {
        picture = QImage();
        error = Messages::OutOfMemory;
        return false;
    }
}

bool ReadBitmap(const QByteArray& bytes, QImage& picture, std::string& error, std::string* details)
{
    return ReadBitmap(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()),
                      picture, error, details);
}

bool ReadBitmap(QIODevice& device, QImage& picture, std::string& error, std::string* details)
{
    return ReadDeviceBytes(device, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadBitmap(data, size, picture, error, details);
    });
}

bool ReadBitmapFile(const std::string& path, QImage& picture, std::string& error, std::string* details)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadBitmap(data, size, picture, error, details);
    });
}

bool ReadIconBitmap(const std::uint8_t* data, std::size_t size, QRgb background, QImage& picture,
                    std::string& error)
{
    try {
        return DecodeDib(TDibSource{data, size}, true, background, TDibOptions(), picture, error, nullptr, true);
    } catch (const std::bad_alloc&) {
        picture = QImage();
        error = Messages::OutOfMemory;
        return false;
    }
}

bool PeekPackedBitmap(const std::uint8_t* data, std::size_t size, std::int64_t& width, std::int64_t& height,
                      int& bitsPerPixel)
{
    THeader h;
    const char* message = nullptr;
    if (!ParseHeader(data, size, h, message))
        return false;
    width = h.Width, height = h.Height, bitsPerPixel = h.Bits;
    return true;
}

bool ReadDib(const std::uint8_t* header, std::size_t headerSize, const std::uint8_t* bits, std::size_t bitsSize,
             const TDibOptions& options, QImage& picture, std::string& error)
{
    if (bits == nullptr || bitsSize == 0) {
        error = Messages::UnknownFormat;
        return false;
    }
    try {
        return DecodeDib(TDibSource{header, headerSize, -1, bits, bitsSize, true}, false, qRgb(255, 255, 255), options,
                         picture, error, nullptr, false);
    } catch (const std::bad_alloc&) {
        picture = QImage();
        error = Messages::OutOfMemory;
        return false;
    }
}

bool ReadPackedDib(const std::uint8_t* data, std::size_t size, const TDibOptions& options, QImage& picture,
                   std::string& error)
{
    try {
        return DecodeDib(TDibSource{data, size, -1, nullptr, 0, true}, false, qRgb(255, 255, 255), options, picture,
                         error, nullptr, true);
    } catch (const std::bad_alloc&) {
        picture = QImage();
        error = Messages::OutOfMemory;
        return false;
    }
}

} // namespace orvanto
