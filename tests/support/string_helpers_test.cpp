#include "support/memory_limit.h"
#include "support/string_helpers.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

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

TEST(StringHelpers, CaseFoldingTouchesOnlyAsciiLetters)
{
    const struct {
        const char* Text;
        const char* Upper;
        const char* Lower;
    } cases[] = {
        {"abc XYZ 09 _", "ABC XYZ 09 _", "abc xyz 09 _"},
        {"\xE4\xF6\xFC\xC4", "\xE4\xF6\xFC\xC4", "\xE4\xF6\xFC\xC4"},
        {"gr\xC3\xBC\xC3\x9F", "GR\xC3\xBC\xC3\x9F", "gr\xC3\xBC\xC3\x9F"},
        {"@[`{", "@[`{", "@[`{"}, // the neighbours of A..Z and a..z
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpperAscii(c.Text), c.Upper);
        EXPECT_EQ(LowerAscii(c.Text), c.Lower);
        EXPECT_TRUE(EqualsIgnoringAsciiCase(c.Text, c.Upper));
        EXPECT_TRUE(EqualsIgnoringAsciiCase(c.Lower, c.Text));
    }
    const struct {
        const char* A;
        const char* B;
    } different[] = {{"abc", "abd"}, {"abc", "ab"}, {"ab", "abc"}, {"\xE4", "\xC4"}, {"@", "`"}, {"[", "{"}};
    for (const auto& d : different)
        EXPECT_FALSE(EqualsIgnoringAsciiCase(d.A, d.B)) << d.A << " / " << d.B;
}

TEST(StringHelpers, IntToText)
{
    const struct {
        std::int32_t Value;
        const char* Text;
    } cases[] = {{0, "0"}, {10, "10"}, {-7, "-7"}, {2147483647, "2147483647"},
                 {-2147483647 - 1, "-2147483648"}};
    for (const auto& c : cases)
        EXPECT_EQ(IntToText(c.Value), c.Text);
}

TEST(StringHelpers, Int32Bytes)
{
    EXPECT_EQ(Int32ToBytes(258), Bytes({2, 1, 0, 0}));
    EXPECT_EQ(Int32ToBytes(-1), Bytes({255, 255, 255, 255}));
    EXPECT_EQ(BytesToInt32(Bytes({2, 1, 0})), 0);
    EXPECT_EQ(BytesToInt32(Bytes({2, 1, 0, 0, 99})), 258);
    EXPECT_EQ(BytesToInt32(Bytes({0, 0, 0, 128})), -2147483647 - 1);
    for (std::int32_t v : {0, 1, -1, 65536, -123456789, 2147483647})
        EXPECT_EQ(BytesToInt32(Int32ToBytes(v)), v);
}

TEST(StringHelpers, IsFile)
{
    const std::string folder = MakeTempFolder("isfile");
    WriteWholeFile(folder + "f", "");
    EXPECT_TRUE(IsFile(folder + "f"));
    EXPECT_FALSE(IsFile(folder));
    EXPECT_FALSE(IsFile(folder + "missing"));
    EXPECT_FALSE(IsFile(""));
}

TEST(StringHelpers, PackAndUnpackBlocks)
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

TEST(StringHelpers, UnpackBlockFailures)
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

TEST(StringHelpers, CompressionRoundTrips)
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

TEST(StringHelpers, CompressedBlockIsAZlibStreamAtLevelOne)
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

TEST(StringHelpers, DecompressFailures)
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

TEST(StringHelpers, DecompressRefusesOutputBeyondTheCeiling)
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
