#include "imaging/codecs/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace orvanto {

void TByteStream::Reset()
{
    FStream = nullptr;
    FWindowCount = 0;
    FWindowStart = -1;
    FDirty = false;
    FSize = 0;
}

void TByteStream::SetStream(QIODevice* stream)
{
    if (stream == nullptr) {
        Reset();
        return;
    }
    if (!Flush())
        return;
    FStream = stream;
    FSize = stream->size();
    FWindowCount = 0;
    FWindowStart = -1;
    FDirty = false;
}

bool TByteStream::Flush()
{
    if (FStream == nullptr || FWindowCount <= 0 || !FDirty)
        return true;
    if (FStream->pos() != FWindowStart && !FStream->seek(FWindowStart))
        return false;
    if (FStream->write(reinterpret_cast<const char*>(FWindow), FWindowCount) != FWindowCount)
        return false;
    FDirty = false;
    return true;
}

// Loads the window at position; a position at or past the end gives an empty
// window there (so writing past the end works), and write-only devices are
// never read.
bool TByteStream::LoadWindow(std::int64_t position)
{
    FWindowCount = 0;
    FDirty = false;
    FWindowStart = -1;
    if (FStream == nullptr || position < 0)
        return false;
    if (FStream->pos() != position && !FStream->seek(position))
        return false;
    FWindowStart = FStream->pos();
    if (position < FSize && (FStream->openMode() & QIODevice::ReadOnly)) {
        const qint64 read = FStream->read(reinterpret_cast<char*>(FWindow), WindowSize);
        FWindowCount = read > 0 ? std::int32_t(read) : 0;
    }
    return true;
}

bool TByteStream::ReloadAndRead(std::int64_t position, std::uint8_t& value)
{
    if (position < 0 || position >= FSize || !LoadWindow(position))
        return false;
    const std::int64_t index = position - FWindowStart;
    if (index < 0 || index >= FWindowCount)
        return false;
    value = FWindow[index];
    return true;
}

bool TByteStream::MoveWindowAndWrite(std::int64_t position, std::uint8_t value)
{
    if (FStream == nullptr || position < 0)
        return false;
    if (FDirty && FWindowCount > 0 && !Flush()) {
        // The window's bytes are lost; the caller's save fails.
        FWindowCount = 0;
        FWindowStart = 0;
        FDirty = false;
        return false;
    }
    if (!LoadWindow(position) || FWindowStart != position)
        return false;
    StoreInWindow(0, value);
    return true;
}

bool TByteStream::WriteText(std::int64_t& position, const std::string& text)
{
    return WriteText(position, text.data(), std::int64_t(text.size()));
}

bool TByteStream::WriteText(std::int64_t& position, const char* data, std::int64_t count)
{
    while (count > 0) {
        const std::uint64_t index = std::uint64_t(position - FWindowStart);
        if (FWindowStart >= 0 && index < std::uint64_t(WindowSize)) {
            const std::int32_t room = WindowSize - std::int32_t(index);
            const std::int32_t piece = std::int32_t(std::min<std::int64_t>(room, count));
            std::memcpy(FWindow + index, data, std::size_t(piece));
            if (std::int32_t(index) + piece > FWindowCount) {
                FWindowCount = std::int32_t(index) + piece;
                FSize = std::max(FSize, FWindowStart + FWindowCount);
            }
            FDirty = true;
            position += piece;
            data += piece;
            count -= piece;
            continue;
        }
        if (count >= WindowSize) {
            // A whole block goes to the device directly, past the window.
            if (FStream == nullptr || !Flush())
                return false;
            FWindowStart = -1;
            FWindowCount = 0;
            if (FStream->pos() != position && !FStream->seek(position))
                return false;
            const qint64 written = FStream->write(data, count);
            if (written > 0) {
                position += written;
                FSize = std::max(FSize, position);
            }
            return written == count;
        }
        if (!WriteByte(position, std::uint8_t(*data)))
            return false;
        ++position;
        ++data;
        --count;
    }
    return true;
}

std::int64_t TByteStream::ReadBlock(std::int64_t position, char* target, std::int64_t count)
{
    std::int64_t done = 0;
    while (count > 0 && position >= 0 && position < FSize) {
        const std::uint64_t index = std::uint64_t(position - FWindowStart);
        if (FWindowStart >= 0 && index < std::uint64_t(FWindowCount)) {
            const std::int64_t piece = std::min<std::int64_t>(FWindowCount - std::int64_t(index), count);
            std::memcpy(target, FWindow + index, std::size_t(piece));
            position += piece;
            target += piece;
            count -= piece;
            done += piece;
            continue;
        }
        if (count >= WindowSize) {
            if (FStream == nullptr)
                break;
            FWindowStart = -1;
            FWindowCount = 0;
            FDirty = false;
            if (FStream->pos() != position && !FStream->seek(position))
                break;
            const qint64 read = FStream->read(target, count);
            if (read > 0)
                done += read;
            break;
        }
        if (!LoadWindow(position) || FWindowStart != position || FWindowCount == 0)
            break;
    }
    return done;
}

bool TByteStream::ReadLine(std::int64_t& position, std::int64_t end, char mark,
                           std::int64_t& lineStart, std::int64_t& lineEnd, std::int64_t& markPosition)
{
    if (position < 0)
        position = 0;
    if (end < 0)
        end = FSize - 1;
    if (end < position)
        return false;
    lineStart = position;
    lineEnd = position - 1;
    markPosition = -1;
    const std::uint8_t markByte = std::uint8_t(mark);
    std::int64_t i = position;
    std::uint8_t byte = 0;
    for (;;) {
        // Walk the loaded window with a pointer: this loop carries every
        // text decoder.
        const std::uint64_t index = std::uint64_t(i - FWindowStart);
        if (FWindowStart >= 0 && index < std::uint64_t(FWindowCount)) {
            const std::int64_t last = std::min(end, FWindowStart + FWindowCount - 1);
            const std::uint8_t* p = FWindow + index;
            const std::uint8_t* stop = FWindow + (last - FWindowStart);
            bool ended = false;
            for (; p <= stop; ++p) {
                const std::uint8_t b = *p;
                if (b > 13 && b != markByte)
                    continue; // the common case, decided by one test in most text
                if (b == 13 || b == 10) {
                    ended = true;
                    break;
                }
                if (b == markByte && markPosition < 0)
                    markPosition = FWindowStart + (p - FWindow);
            }
            i = FWindowStart + (p - FWindow);
            if (ended)
                break;
            if (i > end) {
                // The walk reached end on an ordinary byte.
                lineEnd = end;
                position = end + 1;
                return true;
            }
            continue;
        }
        if (!ReadByte(i, byte))
            return false;
    }
    lineEnd = i - 1;
    if (i >= end) {
        position = end + 1;
        return true;
    }
    std::int64_t next = i + 1;
    for (;; ++next) {
        if (next > end) {
            // Only line breaks up to end: one further empty line is reported there.
            next = end;
            break;
        }
        if (!ReadByte(next, byte) || (byte != 13 && byte != 10))
            break;
    }
    position = next;
    return true;
}

std::int64_t TByteStream::FindByte(char character, std::int64_t from, std::int64_t to)
{
    const std::uint8_t wanted = std::uint8_t(character);
    from = std::max<std::int64_t>(from, 0);
    if (const std::uint8_t* loaded = from <= to ? WindowSpan(from, to) : nullptr) {
        const void* found = std::memchr(loaded, wanted, std::size_t(to - from + 1));
        return found ? from + (static_cast<const std::uint8_t*>(found) - loaded) : -1;
    }
    std::uint8_t byte = 0;
    for (std::int64_t i = from; i <= to; ++i) {
        if (!ReadByte(i, byte))
            return -1;
        if (byte == wanted)
            return i;
    }
    return -1;
}

std::string TByteStream::ReadText(std::int64_t from, std::int64_t to)
{
    std::string text;
    if (from < 0 || to < from)
        return text;
    text.reserve(std::size_t(std::min<std::int64_t>(to - from + 1, 1 << 20)));
    std::uint8_t byte = 0;
    for (std::int64_t i = from; i <= to && ReadByte(i, byte); ++i)
        text.push_back(char(byte));
    return text;
}

namespace {

constexpr std::uint32_t DigitWeight[5] = {1, 10, 100, 1000, 10000};

// The backwards scan over bytes already in memory.
struct TNumberScanner {
    TNumberList& List;
    std::uint32_t Maximum;
    std::uint32_t Value = 0;
    int Digits = 0;
    bool Pushed = false;

    void Push()
    {
        if (List.Count < TNumberList::Capacity)
            List.Values[List.Count++] = std::uint16_t(std::min(Value, Maximum));
        Pushed = true;
        Value = 0;
        Digits = 0;
    }
    void Take(std::uint8_t byte)
    {
        const unsigned digit = unsigned(byte) - '0';
        if (digit <= 9) {
            if (Digits < 5)
                Value += digit * DigitWeight[Digits];
            ++Digits;
        } else if (Digits > 0) {
            Push();
        }
    }
};

} // namespace

bool TByteStream::ScanNumbers(std::int64_t from, std::int64_t to, TNumberList& list, std::int32_t maximum)
{
    if (maximum < 0 || maximum > 65535)
        maximum = 65535;
    TNumberScanner scanner{list, std::uint32_t(maximum)};
    if (from < 0)
        from = 0;
    if (const std::uint8_t* bytes = WindowSpan(from, to)) {
        for (std::int64_t i = to - from; i >= 0; --i)
            scanner.Take(bytes[i]);
    } else {
        std::uint8_t byte = 0;
        for (std::int64_t i = to; i >= from; --i) {
            if (!ReadByte(i, byte))
                break;
            scanner.Take(byte);
        }
    }
    if (scanner.Digits > 0)
        scanner.Push();
    return scanner.Pushed;
}

namespace {

// The value of a hexadecimal digit; 0 for any other character.
struct THexDigits {
    std::uint8_t Values[256] = {};
    constexpr THexDigits()
    {
        for (int c = 0; c < 10; ++c)
            Values['0' + c] = std::uint8_t(c);
        for (int c = 0; c < 6; ++c)
            Values['a' + c] = Values['A' + c] = std::uint8_t(10 + c);
    }
};
constexpr THexDigits HexDigits;

std::uint8_t HexDigit(std::uint8_t c)
{
    return HexDigits.Values[c];
}

} // namespace

bool TByteStream::ScanHexBytes(std::int64_t from, std::int64_t to, TByteSpan& span, std::int64_t* nextFree)
{
    bool appended = false;
    std::int64_t consumed = from - 1;
    const std::int64_t first = std::max<std::int64_t>(from, 0);
    // The same walk over the loaded window with a pointer, when the range
    // and the two digits that may follow its end are all in it: this loop
    // carries the X Bitmap reader.
    if (const std::uint8_t* loaded = first <= to ? WindowSpan(first, to + 2) : nullptr) {
        const std::int64_t count = to - first + 1;
        for (std::int64_t i = 0; i < count; ++i) {
            if ((loaded[i] | 0x20) != 'x' || span.Length >= TByteSpan::Capacity)
                continue;
            span.Bytes[span.Length++] = std::uint8_t(HexDigit(loaded[i + 1]) * 16 + HexDigit(loaded[i + 2]));
            consumed = first + i + 2;
            appended = true;
            i += 2;
        }
        if (nextFree != nullptr)
            *nextFree = std::max(consumed + 1, to + 1);
        return appended;
    }
    std::uint8_t byte = 0, high = 0, low = 0;
    for (std::int64_t p = first; p <= to; ++p) {
        if (p <= consumed)
            continue;
        if (!ReadByte(p, byte))
            break;
        if ((byte != 'x' && byte != 'X') || span.Length >= TByteSpan::Capacity)
            continue;
        if (!ReadByte(p + 1, high) || !ReadByte(p + 2, low))
            break;
        span.Bytes[span.Length++] = std::uint8_t(HexDigit(high) * 16 + HexDigit(low));
        consumed = p + 2;
        appended = true;
    }
    if (nextFree != nullptr)
        *nextFree = std::max(consumed + 1, to + 1);
    return appended;
}

bool TByteStream::AppendHexByte(std::uint8_t value, TByteSpan& span)
{
    static const char digits[] = "0123456789abcdef";
    const char text[4] = {'0', 'x', digits[value >> 4], digits[value & 15]};
    for (char c : text)
        if (span.Length < TByteSpan::Capacity)
            span.Bytes[span.Length++] = std::uint8_t(c);
    return true;
}

} // namespace orvanto
