#pragma once

#include <cstdint>

namespace orvanto {

// Numbers as files store them, least or most significant byte first. The
// caller has checked that the bytes are there.

inline std::uint16_t LittleEndian16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

inline std::uint32_t LittleEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline std::uint16_t BigEndian16(const std::uint8_t* p) { return std::uint16_t(p[0] << 8 | p[1]); }

inline std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

} // namespace orvanto
