#include "imaging/codecs/x_bitmap.h"
#include "support/memory_limit.h"

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
