#include "imaging/codecs/portable_pixelmap.h"
#include "support/memory/memory_limit.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A header may claim any size; keep the pictures within the fuzzer's budget.
    SetAllocationCeilingForTesting(4 * 1024 * 1024);
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TPortablePixelmap codec;
    try {
        codec.LoadFromStream(buffer);
    } catch (const EGeneralError& error) {
        if (error.Message.empty() || codec.LastError != error.Message)
            __builtin_trap(); // a failure must say why
        return 0;
    }
    // What we read must write and read back to the same picture.
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::ReadWrite);
    codec.SetPixelType(6);
    codec.SaveToStream(out);
    out.seek(0);
    TPortablePixelmap again;
    again.LoadFromStream(out);
    if (again.Picture != codec.Picture)
        __builtin_trap();
    return 0;
}
