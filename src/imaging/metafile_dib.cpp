#include "imaging/metafile_dib.h"

#include "support/memory_limit.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5;

struct TDibHeader {
    std::int64_t Width = 0, Height = 0; // Height negative: top row first
    int BitCount = 0;
    std::uint32_t Compression = kRgb;
    std::uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    std::size_t HeaderSize = 0;
    std::size_t TableEntries = 0;
    std::size_t EntrySize = 4; // 3 for the old core header
    std::size_t TableOffset = 0;
    bool Ok = false;
};

TDibHeader ReadHeader(const TMetaBytes& info, TDibColours colours)
{
    TDibHeader h;
    const std::uint32_t size = info.U32(0);
    if (size == 12) {
        h.Width = info.U16(4);
        h.Height = info.U16(6);
        h.BitCount = info.U16(10);
        h.EntrySize = 3;
        h.HeaderSize = 12;
        if (h.BitCount <= 8)
            h.TableEntries = std::size_t(1) << h.BitCount;
    } else if (size >= 40 && size <= 4096) {
        h.Width = info.I32(4);
        h.Height = info.I32(8);
        h.BitCount = info.U16(14);
        h.Compression = info.U32(16);
        const std::uint32_t used = info.U32(32);
        h.HeaderSize = size;
        if (h.BitCount <= 8)
            h.TableEntries = used != 0 && used < (1u << h.BitCount) ? used : (std::size_t(1) << h.BitCount);
        else
            h.TableEntries = std::min<std::uint32_t>(used, 256);
        if (h.Compression == kBitFields || h.Compression == 6) {
            h.Compression = kBitFields;
            if (size >= 52) {
                for (int i = 0; i < 3; ++i)
                    h.Masks[i] = info.U32(40 + 4 * i);
                if (size >= 56)
                    h.Masks[3] = info.U32(52);
            } else {
                for (int i = 0; i < 3; ++i)
                    h.Masks[i] = info.U32(size + 4 * i);
                h.HeaderSize += 12;
            }
        }
    } else {
        return h;
    }
    if (colours == TDibColours::PaletteIndices && h.BitCount <= 8)
        h.EntrySize = 2;
    h.TableOffset = h.HeaderSize;
    const bool knownDepth = h.BitCount == 1 || h.BitCount == 4 || h.BitCount == 8 || h.BitCount == 16
                            || h.BitCount == 24 || h.BitCount == 32
                            || (h.BitCount == 0 && (h.Compression == kJpeg || h.Compression == kPng));
    h.Ok = !info.Bad() && knownDepth && h.Width > 0 && h.Height != 0 && h.Compression <= kPng
           && info.Has(0, h.TableOffset + h.TableEntries * h.EntrySize);
    return h;
}

std::vector<QRgb> ReadTable(const TMetaBytes& info, const TDibHeader& h,
                            const std::vector<QRgb>& palette)
{
    std::vector<QRgb> table(h.BitCount <= 8 ? std::size_t(1) << h.BitCount : 0, qRgb(0, 0, 0));
    for (std::size_t i = 0; i < h.TableEntries && i < table.size(); ++i) {
        const std::size_t at = h.TableOffset + i * h.EntrySize;
        if (h.EntrySize == 2) {
            const std::uint16_t index = info.U16(at);
            table[i] = index < palette.size() ? palette[index] : qRgb(index & 255, index & 255, index & 255);
        } else {
            table[i] = qRgb(info.U8(at + 2), info.U8(at + 1), info.U8(at));
        }
    }
    return table;
}

struct TMask {
    std::uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;
    int Get(std::uint32_t value) const
    {
        if (Bits == 0)
            return 255;
        const std::uint32_t v = (value & Mask) >> Shift;
        const std::uint32_t top = (std::uint32_t(1) << Bits) - 1;
        return int(v * 255 / top);
    }
};

TMask MakeMask(std::uint32_t mask)
{
    TMask m;
    if (mask == 0)
        return m;
    m.Mask = mask;
    m.Shift = std::countr_zero(mask);
    m.Bits = std::min(8, std::popcount(mask >> m.Shift));
    // Keep only the top 8 bits of wider fields so the scaling cannot overflow.
    const int width = std::popcount(mask >> m.Shift);
    if (width > 8) {
        m.Shift += width - 8;
        m.Mask = (mask >> m.Shift << m.Shift);
    }
    return m;
}

// Run-length bitmaps: every step consumes input, and writes are clipped to
// the picture, so damaged runs end early instead of running wild.
void DecodeRle(const TMetaBytes& bits, bool four, const std::vector<QRgb>& table, QImage& image,
               bool bottomUp)
{
    const int width = image.width(), height = image.height();
    int x = 0, y = 0;
    auto put = [&](int index) {
        if (x >= 0 && x < width && y >= 0 && y < height) {
            const int row = bottomUp ? height - 1 - y : y;
            reinterpret_cast<QRgb*>(image.scanLine(row))[x] = table[std::size_t(index) % table.size()];
        }
        ++x;
    };
    std::size_t at = 0;
    while (at + 1 < bits.Size() && y < height) {
        const int count = bits.U8(at), value = bits.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += bits.U8(at);
            y += bits.U8(at + 1);
            at += 2;
        } else {
            const std::size_t bytes = four ? (std::size_t(value) + 1) / 2 : std::size_t(value);
            for (int i = 0; i < value && x < width; ++i) {
                const int byte = bits.U8(at + (four ? std::size_t(i) / 2 : std::size_t(i)));
                put(four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
            }
            at += (bytes + 1) / 2 * 2;
        }
    }
}

} // namespace

std::size_t DibInfoSize(const TMetaBytes& info, TDibColours colours)
{
    const TDibHeader h = ReadHeader(info, colours);
    return h.Ok ? h.TableOffset + h.TableEntries * h.EntrySize : 0;
}

QImage DecodeDib(const TMetaBytes& info, const TMetaBytes& bits, TDibColours colours,
                 const std::vector<QRgb>& palette, bool keepAlpha)
{
    const TDibHeader h = ReadHeader(info, colours);
    if (!h.Ok || bits.Bad())
        return QImage();
    const std::int64_t width = h.Width, height = h.Height < 0 ? -h.Height : h.Height;
    if (width > 1 << 20 || height > 1 << 20 || width * height * 4 > AllocationCeiling())
        return QImage();
    if (h.Compression == kJpeg || h.Compression == kPng) {
        QImage embedded = QImage::fromData(bits.Begin(), int(std::min<std::size_t>(bits.Size(), 1u << 30)));
        if (embedded.isNull())
            return QImage();
        return embedded.convertToFormat(QImage::Format_ARGB32);
    }
    const bool bottomUp = h.Height > 0;
    const std::vector<QRgb> table = ReadTable(info, h, palette);

    if (h.Compression == kRle8 || h.Compression == kRle4) {
        if ((h.Compression == kRle8 && h.BitCount != 8) || (h.Compression == kRle4 && h.BitCount != 4))
            return QImage();
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        if (image.isNull())
            return image;
        image.fill(table.empty() ? qRgb(0, 0, 0) : table[0]);
        DecodeRle(bits, h.Compression == kRle4, table, image, bottomUp);
        return image;
    }

    const std::int64_t stride = (width * h.BitCount + 31) / 32 * 4;
    // Rows missing at the end of the bits stay white rather than failing
    // the whole bitmap; some writers drop the last row's padding.
    const std::int64_t rows = std::min<std::int64_t>(height, std::int64_t(bits.Size()) / stride);
    if (rows <= 0)
        return QImage();
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(qRgb(255, 255, 255));

    TMask masks[4];
    if (h.BitCount == 16 || h.BitCount == 32) {
        std::uint32_t m[4] = {h.Masks[0], h.Masks[1], h.Masks[2], h.Masks[3]};
        if (h.Compression != kBitFields || (m[0] | m[1] | m[2]) == 0) {
            if (h.BitCount == 16) {
                m[0] = 0x7C00; m[1] = 0x03E0; m[2] = 0x001F;
            } else {
                m[0] = 0xFF0000; m[1] = 0xFF00; m[2] = 0xFF;
            }
            m[3] = h.BitCount == 32 ? 0xFF000000u : 0;
        }
        for (int i = 0; i < 4; ++i)
            masks[i] = MakeMask(m[i]);
        if (!keepAlpha)
            masks[3] = TMask();
    }

    for (std::int64_t r = 0; r < rows; ++r) {
        const std::uint8_t* src = bits.Begin() + r * stride;
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(int(bottomUp ? height - 1 - r : r)));
        for (std::int64_t x = 0; x < width; ++x) {
            switch (h.BitCount) {
            case 1: out[x] = table[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: out[x] = table[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: out[x] = table[src[x]]; break;
            case 24: out[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            case 16: {
                const std::uint32_t v = std::uint32_t(src[2 * x] | src[2 * x + 1] << 8);
                out[x] = qRgba(masks[0].Get(v), masks[1].Get(v), masks[2].Get(v), masks[3].Get(v));
                break;
            }
            default: {
                const std::uint8_t* p = src + 4 * x;
                const std::uint32_t v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8
                                        | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
                out[x] = qRgba(masks[0].Get(v), masks[1].Get(v), masks[2].Get(v), masks[3].Get(v));
                break;
            }
            }
        }
    }
    return image;
}

QImage DecodePackedDib(const TMetaBytes& packed, TDibColours colours, const std::vector<QRgb>& palette)
{
    const std::size_t infoSize = DibInfoSize(packed, colours);
    if (infoSize == 0)
        return QImage();
    return DecodeDib(packed.Sub(0, infoSize), packed.Sub(infoSize, packed.Size() - infoSize), colours,
                     palette);
}
