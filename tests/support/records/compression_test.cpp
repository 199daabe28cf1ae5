#include "support/records/compression.h"

#include "support/memory/memory_limit.h"

#include <gtest/gtest.h>

#include <string>

#include <zlib.h>

using namespace orvanto;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += char(v);
    return s;
}

TEST(Compression, Int32Bytes)
{
    EXPECT_EQ(Int32ToBytes(258), Bytes({2, 1, 0, 0}));
    EXPECT_EQ(Int32ToBytes(-1), Bytes({255, 255, 255, 255}));
    EXPECT_EQ(BytesToInt32(Bytes({2, 1, 0})), 0);
    EXPECT_EQ(BytesToInt32(Bytes({2, 1, 0, 0, 99})), 258);
    EXPECT_EQ(BytesToInt32(Bytes({0, 0, 0, 128})), -2147483647 - 1);
    for (std::int32_t v : {0, 1, -1, 65536, -123456789, 2147483647})
        EXPECT_EQ(BytesToInt32(Int32ToBytes(v)), v);
}

TEST(Compression, PackAndUnpackBlocks)
{
    std::string text;
    PackBlock(text, "abc");
    PackBlock(text, "");
    PackBlock(text, std::string("\0x\0", 3));
    std::size_t position = 1;
    std::string block;
    ASSERT_TRUE(UnpackBlock(position, text, block));
    EXPECT_EQ(block, "abc");
    EXPECT_EQ(position, 8u);
    ASSERT_TRUE(UnpackBlock(position, text, block));
    EXPECT_EQ(block, "");
    ASSERT_TRUE(UnpackBlock(position, text, block));
    EXPECT_EQ(block, std::string("\0x\0", 3));
    // Past the end: length 0, an empty block, and the position moves by 4.
    const std::size_t end = position;
    ASSERT_TRUE(UnpackBlock(position, text, block));
    EXPECT_EQ(block, "");
    EXPECT_EQ(position, end + 4);
}

TEST(Compression, UnpackBlockFailures)
{
    std::size_t position = 1;
    std::string block = "before";
    EXPECT_FALSE(UnpackBlock(position, Int32ToBytes(-5) + "xxxxx", block));
    EXPECT_EQ(position, 1u);
    EXPECT_EQ(block, "before");

    // A length beyond the data: what there is, position past the claim, false.
    EXPECT_FALSE(UnpackBlock(position, Int32ToBytes(10) + "abc", block));
    EXPECT_EQ(block, "abc");
    EXPECT_EQ(position, 15u);

    position = 1;
    EXPECT_FALSE(UnpackBlock(position, Int32ToBytes(2147483647) + "abc", block));
}

TEST(Compression, CompressionRoundTrips)
{
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += char(i * 7 % 251);
    const std::string inputs[] = {"", std::string(5, '\0'), "hello, hello, hello", big};
    for (const std::string& input : inputs) {
        std::string text = input, error;
        ASSERT_TRUE(CompressText(text, error));
        ASSERT_GE(text.size(), 4u);
        EXPECT_EQ(std::size_t(BytesToInt32(text)), text.size() - 4);
        ASSERT_TRUE(DecompressText(text, error));
        EXPECT_EQ(text, input);
    }
}

TEST(Compression, CompressedBlockIsAZlibStreamAtLevelOne)
{
    std::string text = "some text", error;
    ASSERT_TRUE(CompressText(text, error));
    // zlib header: deflate with a 32K window; level 1 gives the "fastest" flag.
    EXPECT_EQ(static_cast<unsigned char>(text[4]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(text[5]), 0x01);
    std::string inflated(100, '\0');
    uLongf size = inflated.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                         reinterpret_cast<const Bytef*>(text.data() + 4), uLong(text.size() - 4)),
              Z_OK);
    EXPECT_EQ(inflated.substr(0, size), "some text");
}

TEST(Compression, DecompressFailures)
{
    std::string good = "payload", error;
    ASSERT_TRUE(CompressText(good, error));

    // Length prefix larger than the rest: unknown format, text unchanged.
    std::string cut = good.substr(0, good.size() - 2);
    std::string text = cut;
    EXPECT_FALSE(DecompressText(text, error));
    EXPECT_EQ(error, "Unknown format");
    EXPECT_EQ(text, cut);

    // Damaged data: the text is emptied.
    text = good;
    text[7] = char(text[7] ^ 0x55);
    text[9] = char(text[9] ^ 0x55);
    EXPECT_FALSE(DecompressText(text, error));
    EXPECT_EQ(error, "Out of memory");
    EXPECT_EQ(text, "");

    // A stream without its end.
    std::string truncated = good.substr(4, good.size() - 8);
    text.clear();
    PackBlock(text, truncated);
    EXPECT_FALSE(DecompressText(text, error));
    EXPECT_EQ(text, "");

    // Bytes after the first block are ignored.
    text = good + "trailing bytes";
    EXPECT_TRUE(DecompressText(text, error));
    EXPECT_EQ(text, "payload");
}

TEST(Compression, DecompressRefusesOutputBeyondTheCeiling)
{
    std::string bomb(4 * 1024 * 1024, 'A'), error;
    ASSERT_TRUE(CompressText(bomb, error));
    SetAllocationCeilingForTesting(1024 * 1024);
    std::string text = bomb;
    EXPECT_FALSE(DecompressText(text, error));
    EXPECT_EQ(error, "Out of memory");
    EXPECT_EQ(text, "");
    SetAllocationCeilingForTesting(0);
    EXPECT_TRUE(DecompressText(bomb, error));
    EXPECT_EQ(bomb.size(), 4u * 1024 * 1024);
}

TEST(MemoryLimit, CeilingIsBoundedAndOverridable)
{
    EXPECT_GT(AllocationCeiling(), 0);
    EXPECT_LE(AllocationCeiling(), std::int64_t(1) << 31);
    SetAllocationCeilingForTesting(1000);
    EXPECT_EQ(AllocationCeiling(), 1000);
    SetAllocationCeilingForTesting(0);
    EXPECT_GT(AllocationCeiling(), 1000);
}

} // namespace
