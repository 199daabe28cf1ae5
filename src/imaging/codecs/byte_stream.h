#pragma once

#include <QIODevice>

#include <cstdint>
#include <string>

namespace orvanto {

// Decimal numbers found by TByteStream::ScanNumbers, kept as a stack so that a
// backwards scan pops them in text order. Fixed storage: a full list drops
// further numbers.
struct TNumberList {
    static constexpr int Capacity = 2048;
    std::uint16_t Values[Capacity];
    std::int32_t Count = 0;
};

// Bytes found by TByteStream::ScanHexBytes, or text built by AppendHexByte.
struct TByteSpan {
    static constexpr int Capacity = 2048;
    std::uint8_t Bytes[Capacity];
    std::int32_t Length = 0;
};

// A byte-addressed view of a stream through one 2048-byte window, so that the
// byte-at-a-time decoders and encoders cost one device call per 2048 bytes.
// Positions are absolute stream positions. Failures are results, never
// exceptions. A stream is used either for reading or for writing in one pass.
class TByteStream {
public:
    static constexpr std::int32_t WindowSize = 2048;

    TByteStream() { Reset(); }
    ~TByteStream() { Flush(); }
    TByteStream(const TByteStream&) = delete;
    TByteStream& operator=(const TByteStream&) = delete;

    void Reset();
    // Attaches a stream (not owned) after flushing the old one; when that
    // flush fails the old stream stays attached. nullptr detaches.
    void SetStream(QIODevice* stream);
    QIODevice* Stream() const { return FStream; }
    std::int64_t Size() const { return FSize; }
    std::int64_t WindowStart() const { return FWindowStart; }
    std::int32_t WindowCount() const { return FWindowCount; }

    // False at or beyond the end of the stream, or when the stream fails.
    bool ReadByte(std::int64_t position, std::uint8_t& value)
    {
        const std::uint64_t index = std::uint64_t(position - FWindowStart);
        if (FWindowStart >= 0 && index < std::uint64_t(FWindowCount)) {
            value = FWindow[index];
            return true;
        }
        return ReloadAndRead(position, value);
    }
    bool WriteByte(std::int64_t position, std::uint8_t value)
    {
        const std::uint64_t index = std::uint64_t(position - FWindowStart);
        if (FWindowStart >= 0 && index < std::uint64_t(WindowSize)) {
            StoreInWindow(std::int32_t(index), value);
            return true;
        }
        return MoveWindowAndWrite(position, value);
    }
    // Advances position past every byte written; stops at the first failure.
    bool WriteText(std::int64_t& position, const std::string& text);
    bool WriteText(std::int64_t& position, const char* data, std::int64_t count);
    // Up to count bytes from position into target: the number read (fewer at
    // the end of the stream or on a failing read). Large requests go to the
    // device directly, past the window.
    std::int64_t ReadBlock(std::int64_t position, char* target, std::int64_t count);
    bool Flush();

    // The next text line from position up to end (end < 0: the last byte).
    // CR and LF end a line; the run of CR and LF after it is skipped, so blank
    // lines produce no lines. markPosition is the first byte equal to mark in
    // the line, -1 when none.
    bool ReadLine(std::int64_t& position, std::int64_t end, char mark, std::int64_t& lineStart,
                  std::int64_t& lineEnd, std::int64_t& markPosition);
    // First position in from..to holding the character; -1 when none or when
    // a read fails first.
    std::int64_t FindByte(char character, std::int64_t from, std::int64_t to);
    std::string ReadText(std::int64_t from, std::int64_t to);
    // Pushes the decimal numbers of from..to onto list, scanning backwards so
    // they pop in text order. Only the last five digits of a run count; each
    // number is lowered to maximum (-1 or above 65535: 65535). True when a
    // number was pushed. A range longer than the list can hold keeps the
    // numbers that fit (the last ones of the text); callers pass at most
    // 2048 bytes, which cannot hold more numbers than fit.
    bool ScanNumbers(std::int64_t from, std::int64_t to, TNumberList& list, std::int32_t maximum);
    static bool PopNumber(TNumberList& list, std::uint16_t& value)
    {
        if (list.Count <= 0)
            return false;
        value = list.Values[--list.Count];
        return true;
    }
    // Every "x" or "X" followed by two hexadecimal digits appends one byte.
    // nextFree, when given, receives the first position not consumed.
    bool ScanHexBytes(std::int64_t from, std::int64_t to, TByteSpan& span,
                      std::int64_t* nextFree = nullptr);
    static bool AppendHexByte(std::uint8_t value, TByteSpan& span);

private:
    bool ReloadAndRead(std::int64_t position, std::uint8_t& value);
    bool LoadWindow(std::int64_t position);
    bool MoveWindowAndWrite(std::int64_t position, std::uint8_t value);
    void StoreInWindow(std::int32_t index, std::uint8_t value)
    {
        FWindow[index] = value;
        if (index >= FWindowCount) {
            FWindowCount = index + 1;
            if (FWindowStart + FWindowCount > FSize)
                FSize = FWindowStart + FWindowCount;
        }
        FDirty = true;
    }
    // A pointer to the window bytes from..to when they are all loaded.
    const std::uint8_t* WindowSpan(std::int64_t from, std::int64_t to) const
    {
        if (FWindowStart < 0 || from < FWindowStart || to >= FWindowStart + FWindowCount)
            return nullptr;
        return FWindow + (from - FWindowStart);
    }

    QIODevice* FStream = nullptr;
    std::uint8_t FWindow[WindowSize];
    std::int64_t FWindowStart = -1;
    std::int32_t FWindowCount = 0;
    bool FDirty = false;
    std::int64_t FSize = 0;
};

} // namespace orvanto
