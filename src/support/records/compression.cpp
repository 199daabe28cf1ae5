#include "support/records/compression.h"

#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"

#include <algorithm>
#include <new>

#include <zlib.h>

namespace orvanto {

std::string Int32ToBytes(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((v >> (8 * i)) & 0xFF);
    return bytes;
}

std::int32_t BytesToInt32(const std::string& text)
{
    if (text.size() < 4)
        return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(text[i]);
    return static_cast<std::int32_t>(v);
}

bool PackBlock(std::string& text, const std::string& data)
{
    text += Int32ToBytes(static_cast<std::int32_t>(data.size()));
    text += data;
    return true;
}

bool UnpackBlock(std::size_t& position, const std::string& text, std::string& block)
{
    const std::size_t start = position >= 1 ? position - 1 : 0;
    const std::string prefix = start < text.size() ? text.substr(start, 4) : std::string();
    const std::int32_t length = BytesToInt32(prefix);
    if (length < 0)
        return false;
    const std::size_t dataStart = start + 4;
    block = dataStart < text.size() ? text.substr(dataStart, std::size_t(length)) : std::string();
    position = position + 4 + std::size_t(length);
    return block.size() == std::size_t(length);
}

bool CompressText(std::string& text, std::string& errorText)
{
    errorText = Messages::OutOfMemory;
    std::string input;
    input.swap(text);
    try {
        uLongf capacity = compressBound(uLong(input.size()));
        std::string compressed(capacity, '\0');
        if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &capacity,
                      reinterpret_cast<const Bytef*>(input.data()), uLong(input.size()), 1)
            != Z_OK)
            return false;
        compressed.resize(capacity);
        std::string packed;
        PackBlock(packed, compressed);
        text.swap(packed);
        return true;
    } catch (...) {
        text.clear();
        return false;
    }
}

bool InflateBounded(const char* data, std::size_t size, std::string& output)
{
    output.clear();
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    bool ok = true;
    try {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        // zlib counts input in 32-bit units; longer data goes in slices.
        std::size_t remaining = size;
        const std::int64_t ceiling = AllocationCeiling();
        char piece[65536];
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (stream.avail_in == 0 && remaining > 0) {
                stream.avail_in = uInt(std::min<std::size_t>(remaining, std::size_t(1) << 30));
                remaining -= stream.avail_in;
            }
            stream.next_out = reinterpret_cast<Bytef*>(piece);
            stream.avail_out = sizeof piece;
            status = inflate(&stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END) {
                ok = false; // damaged, or the stream ends before its end marker
                break;
            }
            const std::size_t produced = sizeof piece - stream.avail_out;
            if (std::int64_t(output.size() + produced) > ceiling) {
                ok = false;
                break;
            }
            output.append(piece, produced);
        }
    } catch (...) {
        ok = false;
    }
    inflateEnd(&stream);
    if (!ok)
        output.clear();
    return ok;
}

bool DecompressText(std::string& text, std::string& errorText)
{
    errorText = Messages::OutOfMemory;
    errorText = Messages::UnknownFormat;
    std::size_t position = 1;
    std::string block;
    if (!UnpackBlock(position, text, block))
        return false;
    text.clear();
    errorText = Messages::OutOfMemory;
    try {
        std::string output;
        if (!InflateBounded(block.data(), block.size(), output))
            return false;
        text.swap(output);
        return true;
    } catch (...) {
        text.clear();
        return false;
    }
}

} // namespace orvanto
