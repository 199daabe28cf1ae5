#include "imaging/codecs/x_bitmap.h"
#include "support/memory/memory_limit.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SetAllocationCeilingForTesting(4 * 1024 * 1024);
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TXBitmap codec;
    try {
        codec.LoadFromStream(buffer);
    } catch (const EGeneralError& error) {
        if (error.Message.empty() || codec.LastError != error.Message)
            __builtin_trap();
        return 0;
    }
    // The 1-bit reading gives the same pixels, and 0 in each row's unused bits.
    buffer.seek(0);
    TXBitmap bits;
    bits.BitsOnly = true;
    bits.LoadFromStream(buffer);
    const int width = codec.Picture.width();
    for (int y = 0; y < codec.Picture.height(); ++y) {
        const std::uint8_t* pixels = codec.Picture.constScanLine(y);
        const std::uint8_t* row = bits.Bits.constScanLine(y);
        for (int x = 0; x < (width + 7) / 8 * 8; ++x) {
            const bool black = x < width && pixels[x * 3 + 2] == 0;
            if (black != (((row[x / 8] >> (7 - x % 8)) & 1) != 0))
                __builtin_trap();
        }
    }
    // A monochrome picture survives our writer and reader unchanged.
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::ReadWrite);
    codec.SaveToStream(out);
    out.seek(0);
    TXBitmap again;
    again.LoadFromStream(out);
    if (again.Picture != codec.Picture)
        __builtin_trap();
    return 0;
}
