#include "imaging/codecs/byte_stream.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace orvanto;

// Lines, numbers and hexadecimal bytes over arbitrary bytes: every reported
// line lies inside the stream, and the scanners stay inside their storage.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TByteStream stream;
    stream.SetStream(&buffer);
    const char mark = size > 0 ? char(data[0]) : '#';
    std::int64_t position = 0, start = 0, end = 0, markAt = 0, previous = -1;
    TNumberList numbers;
    TByteSpan span;
    while (stream.ReadLine(position, -1, mark, start, end, markAt)) {
        if (start < 0 || end >= std::int64_t(size) || position <= previous
            || (markAt >= 0 && (markAt < start || markAt > end)))
            __builtin_trap();
        previous = position;
        numbers.Count = 0;
        stream.ScanNumbers(start, end, numbers, std::int32_t(size % 70000) - 1);
        std::uint16_t value = 0;
        while (TByteStream::PopNumber(numbers, value)) {
        }
        if (span.Length > TByteSpan::Capacity - 16)
            span.Length = 0;
        stream.ScanHexBytes(start, end, span);
        stream.FindByte('{', start, end);
        if (stream.ReadText(start, end).size() != std::size_t(end - start + 1 < 0 ? 0 : end - start + 1))
            __builtin_trap();
    }
    std::string copy(std::size_t(size), '\0');
    if (stream.ReadBlock(0, copy.data(), std::int64_t(size)) != std::int64_t(size)
        || copy != std::string(reinterpret_cast<const char*>(data), size))
        __builtin_trap();
    return 0;
}
