#include "platform/clipboard_bitmap.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

// Another program's clipboard bytes: a picture only when they add up, and
// every row of it inside the bytes (the sanitizer sees each one read).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QImage picture = DecodeClipboardBitmap(bytes);
    if (picture.isNull())
        return 0;
    if (picture.format() != QImage::Format_BGR888 || 16 + picture.sizeInBytes() != bytes.size())
        __builtin_trap();
    unsigned sum = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width() * 3; ++x)
            sum += picture.constScanLine(y)[x];
    // What came in goes out the same.
    if (EncodeClipboardBitmap(picture) != bytes)
        __builtin_trap();
    return int(sum & 0);
}
