#pragma once

#include "support/text/byte_order.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvanto {

// A bounds-checked little-endian view of outside bytes. A read past the end
// yields 0 and marks the view bad, so a record decoder reads all its fields
// first and then asks Bad() once before acting on any of them.
class TMetaBytes {
public:
    TMetaBytes() = default;
    TMetaBytes(const std::uint8_t* data, std::size_t size) : FData(data), FCount(size) {}

    std::size_t Size() const { return FCount; }
    const std::uint8_t* Begin() const { return FData; }
    bool Bad() const { return FBroken; }
    void MarkBad() const { FBroken = true; }

    bool Has(std::size_t offset, std::size_t count) const
    {
        return offset <= FCount && count <= FCount - offset;
    }

    std::uint8_t U8(std::size_t offset) const
    {
        if (!Has(offset, 1))
            return Miss<std::uint8_t>();
        return FData[offset];
    }
    std::uint16_t U16(std::size_t offset) const
    {
        if (!Has(offset, 2))
            return Miss<std::uint16_t>();
        return LittleEndian16(FData + offset);
    }
    std::int16_t I16(std::size_t offset) const { return std::int16_t(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const
    {
        if (!Has(offset, 4))
            return Miss<std::uint32_t>();
        return LittleEndian32(FData + offset);
    }
    std::int32_t I32(std::size_t offset) const { return std::int32_t(U32(offset)); }
    float F32(std::size_t offset) const
    {
        const std::uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // The count bytes from offset; an empty, bad view when they are not all there.
    TMetaBytes Sub(std::size_t offset, std::size_t count) const
    {
        if (!Has(offset, count)) {
            FBroken = true;
            TMetaBytes none;
            none.FBroken = true;
            return none;
        }
        return TMetaBytes(FData + offset, count);
    }

private:
    template <typename T> T Miss() const
    {
        FBroken = true;
        return T(0);
    }

    const std::uint8_t* FData = nullptr;
    std::size_t FCount = 0;
    mutable bool FBroken = false;
};

} // namespace orvanto
