#pragma once

// Writes small Windows metafiles and enhanced metafiles record by record:
// the tests use it to draw one record family at a time, and
// `orvanto-tool metafile-samples` to make the comparison set.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace orvanto {

namespace metafile_builder {

inline void Put16(std::string& out, int value)
{
    out.push_back(char(value & 255));
    out.push_back(char((value >> 8) & 255));
}

inline void Put32(std::string& out, std::int64_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char((value >> (8 * i)) & 255));
}

inline void PutFloat(std::string& out, float value)
{
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof value);
    __builtin_memcpy(&bits, &value, sizeof bits);
    Put32(out, bits);
}

inline std::string Words(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        Put16(out, v);
    return out;
}

inline std::string Longs(std::initializer_list<std::int64_t> values)
{
    std::string out;
    for (std::int64_t v : values)
        Put32(out, v);
    return out;
}

// A bottom-up 24-bit device-independent bitmap (header then bits) whose
// pixel (x, y), y from the top, is colour(x, y) as 0xRRGGBB.
template <typename Colour> std::string Dib24(int width, int height, Colour colour, std::string* bitsOnly = nullptr)
{
    std::string header = Longs({40, width, height}) + Words({1, 24}) + Longs({0, 0, 2835, 2835, 0, 0});
    std::string bits;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            row.push_back(char(c & 255));
            row.push_back(char((c >> 8) & 255));
            row.push_back(char((c >> 16) & 255));
        }
        row.resize(std::size_t(stride), '\0');
        bits += row;
    }
    if (bitsOnly) {
        *bitsOnly = bits;
        return header;
    }
    return header + bits;
}

// A 16-bit metafile; Finish adds the headers and the end record.
class TWmf {
public:
    TWmf& Add(int function, const std::string& parameters)
    {
        std::string record;
        std::string padded = parameters;
        if (padded.size() % 2)
            padded.push_back('\0');
        Put32(record, std::int64_t(3 + padded.size() / 2));
        Put16(record, function);
        record += padded;
        if (3 + padded.size() / 2 > Largest)
            Largest = 3 + padded.size() / 2;
        Records += record;
        return *this;
    }
    TWmf& Add(int function, std::initializer_list<int> words) { return Add(function, Words(words)); }

    // Placeable when inch is not 0: the box in logical units and their units per inch.
    std::string Finish(int objects, int left = 0, int top = 0, int right = 0, int bottom = 0, int inch = 0) const
    {
        std::string out;
        if (inch != 0) {
            Put32(out, 0x9AC6CDD7);
            out += Words({0, left, top, right, bottom, inch});
            Put32(out, 0);
            int sum = 0;
            for (std::size_t i = 0; i < out.size(); i += 2)
                sum ^= (std::uint8_t(out[i]) | std::uint8_t(out[i + 1]) << 8);
            Put16(out, sum);
        }
        const std::string end = Words({3, 0, 0});
        out += Words({1, 9, 0x0300});
        Put32(out, std::int64_t(9 + (Records.size() + end.size()) / 2));
        Put16(out, objects);
        Put32(out, std::int64_t(Largest));
        Put16(out, 0);
        return out + Records + end;
    }

private:
    std::string Records;
    std::size_t Largest = 3;
};

// An enhanced metafile. Finish writes the header with the frame in
// hundredths of a millimetre and a reference device of 96 pixels per inch
// (3780 pixels on 1000 millimetres).
class TEmf {
public:
    TEmf& Add(std::uint32_t type, const std::string& parameters)
    {
        std::string padded = parameters;
        while (padded.size() % 4)
            padded.push_back('\0');
        Put32(Records, type);
        Put32(Records, std::int64_t(8 + padded.size()));
        Records += padded;
        ++Count;
        return *this;
    }
    TEmf& Add(std::uint32_t type, std::initializer_list<std::int64_t> longs) { return Add(type, Longs(longs)); }

    std::string Finish(int frameLeft, int frameTop, int frameRight, int frameBottom, int handles = 16) const
    {
        std::string header = Longs({1, 88, 0, 0, 0, 0, frameLeft, frameTop, frameRight, frameBottom, 0x464D4520,
                                    0x10000});
        const std::string end = Longs({14, 20, 0, 0, 20});
        Put32(header, std::int64_t(88 + Records.size() + end.size()));
        Put32(header, std::int64_t(Count + 2));
        Put16(header, handles);
        Put16(header, 0);
        header += Longs({0, 0, 0, 3780, 3780, 1000, 1000});
        return header + Records + end;
    }

private:
    std::string Records;
    int Count = 0;
};

} // namespace metafile_builder

} // namespace orvanto
