#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"

#include "support/memory/memory_limit.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A header may claim any size; keep each picture small enough to fuzz fast.
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    QImage picture;
    std::string error;
    if (ReadBitmap(data, size, picture, error)) {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888)
            __builtin_trap();
        // What we read must survive our own writer and reader unchanged.
        const QByteArray file = BitmapFileBytes(picture, error);
        QImage again;
        if (file.isEmpty() || !ReadBitmap(file, again, error) || again != picture)
            __builtin_trap();
    } else if (error != "Unknown format" && error != "Out of memory") {
        __builtin_trap();
    }
    return 0;
}
