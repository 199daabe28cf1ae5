#include "imaging/library/jpeg_codec.h"

#include "support/memory/memory_limit.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A frame header may claim any size; keep each picture small enough to fuzz fast.
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    QImage picture;
    std::string error;
    if (ReadJpeg(data, size, picture, error)) {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888)
            __builtin_trap();
        if (picture.width() * picture.height() <= 256 * 256) {
            // Whatever we read, we can write and read back at its size.
            QByteArray bytes;
            QImage again;
            if (!EncodeJpeg(picture, 50, bytes, error) || !ReadJpeg(bytes, again, error)
                || again.size() != picture.size())
                __builtin_trap();
        }
    } else if (error != "Unknown format" && error != "Out of memory") {
        __builtin_trap();
    }
    // The quick reduced copy: never larger than half the full size, and
    // never claiming to have read a picture it did not make.
    QImage preview;
    QSize full;
    const bool reduced = ReadJpegPreview(data, size, [](QSize) { return QSize(1, 1); }, preview, full);
    if (reduced != !preview.isNull()
        || (reduced && (preview.width() > (full.width() + 1) / 2 || preview.height() > (full.height() + 1) / 2)))
        __builtin_trap();
    return 0;
}
