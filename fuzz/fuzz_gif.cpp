#include "imaging/qt_picture_reader.h"

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
    if (ReadQtPicture(data, size, TQtPictureFormat::Gif, picture, error)) {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888 || !error.empty())
            __builtin_trap();
    } else if (error != "Unknown format" && error != "Out of memory" && error != "Unsupported format") {
        __builtin_trap();
    } else if (!picture.isNull()) {
        __builtin_trap(); // a failed read never hands out a picture
    }
    return 0;
}
