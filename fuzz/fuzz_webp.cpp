#include "imaging/webp_reader.h"

#include "support/memory_limit.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A header may claim any size; keep each picture small enough to fuzz fast.
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    QImage picture;
    std::string error;
    if (ReadWebp(data, size, picture, error)) {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888 || !error.empty())
            __builtin_trap();
    } else if (error != "Unknown format" && error != "Out of memory" && error != "Unsupported format") {
        __builtin_trap();
    } else if (!picture.isNull()) {
        __builtin_trap(); // a failed read never hands out a picture
    }
    // The quick reduced copy: at most half the full size, and a picture
    // exactly when it says it read one.
    QImage preview;
    QSize full;
    const bool reduced = ReadWebpPreview(data, size, [](QSize) { return QSize(1, 1); }, preview, full);
    if (reduced != !preview.isNull()
        || (reduced && (preview.width() > (full.width() + 1) / 2 + 1 || preview.height() > (full.height() + 1) / 2 + 1)))
        __builtin_trap();
    return 0;
}
