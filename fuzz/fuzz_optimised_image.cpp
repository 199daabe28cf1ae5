#include "imaging/optimised_image.h"
#include "support/memory/memory_limit.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    TOptimisedImage codec;
    const bool loaded = codec.Decode(std::string(reinterpret_cast<const char*>(data), size));
    if (!loaded) {
        // A failed load always leaves the blank picture and a reason.
        if (codec.Picture.size() != QSize(300, 300) || !codec.PayloadKind.empty()
            || (codec.LastError != "Unknown format" && codec.LastError != "Out of memory"))
            __builtin_trap();
        return 0;
    }
    if (codec.PayloadKind != "JPG" && codec.PayloadKind != "BMP")
        __builtin_trap();
    return 0;
}
