#include "support/records/compression.h"
#include "support/memory/memory_limit.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Keep a bomb from eating the fuzzer's memory budget.
    SetAllocationCeilingForTesting(64 * 1024 * 1024);
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (DecompressText(text, error)) {
        std::string again = text;
        if (!CompressText(again, error) || !DecompressText(again, error) || again != text)
            __builtin_trap(); // what we inflated must survive a round trip
    }
    return 0;
}
