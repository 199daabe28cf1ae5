#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

// Length-prefixed blocks and their zlib compression, as the archive and the
// Optimised Multiformat Image store them.

// Four bytes, least significant first.
std::string Int32ToBytes(std::int32_t value);
// The first four bytes, least significant first; 0 for a shorter text.
std::int32_t BytesToInt32(const std::string& text);

// Appends a 4-byte length and the data.
bool PackBlock(std::string& text, const std::string& data);
// Reads the block at position (1-based) and moves position past it. False
// for a negative length (position unchanged) or a block cut short.
bool UnpackBlock(std::size_t& position, const std::string& text, std::string& block);

// Replaces text by one block holding its zlib stream (level 1). On failure
// text is empty and errorText says why.
bool CompressText(std::string& text, std::string& errorText);
// Inflates one zlib stream into output. False (output empty) for damaged or
// truncated data, or output beyond the allocation ceiling.
bool InflateBounded(const char* data, std::size_t size, std::string& output);

// Replaces text by the bytes inflated from its first block. A block cut
// short leaves text unchanged ("Unknown format"); damaged data, or data that
// inflates beyond the allocation ceiling, empties it ("Out of memory").
bool DecompressText(std::string& text, std::string& errorText);

} // namespace orvanto
