#include "imaging/bitmap/icon_reader.h"

#include "support/memory/memory_limit.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An entry may claim any size; keep each picture small enough to fuzz fast.
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    QImage picture;
    std::string error;
    if (ReadIcon(data, size, 0xFFFFFF, picture, error)) {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888)
            __builtin_trap();
    } else if (error != "Unknown format" && error != "Out of memory") {
        __builtin_trap();
    }
    return 0;
}
