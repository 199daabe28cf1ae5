#include "support/text/concealment.h"

#include "support/text/concealment_keys.h"
#include "support/text/text_conversion.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace orvanto;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(static_cast<unsigned char>(v));
    return out;
}

TEST(Concealment, ScrambleModes)
{
    const struct {
        std::string Data, Key;
        int Mode;
        std::string Expected;
    } cases[] = {
        // The key is used cyclically from its first byte.
        {Bytes({1, 2, 3, 4, 5}), Bytes({10, 20}), 0, Bytes({11, 22, 13, 24, 15})},
        {Bytes({250, 5}), Bytes({10}), 0, Bytes({4, 15})},          // wraps past 255
        {Bytes({5, 200}), Bytes({10}), 1, Bytes({251, 190})},        // wraps below 0
        {Bytes({200, 250, 100}), Bytes({100}), 2, Bytes({58, 108, 200})}, // > 255: minus 242
        {Bytes({255}), Bytes({255}), 2, Bytes({12})},                // 510 - 242 = 268 -> 12
        {Bytes({20, 110, 50}), Bytes({10, 100}), 3, Bytes({252, 252, 40})}, // < 14: plus 242
        {Bytes({0}), Bytes({255}), 3, Bytes({243})},                 // -255 + 242 -> 243
        {"", "key", 0, ""},
        {"", "key", 3, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Scramble(c.Data, c.Key, c.Mode), c.Expected) << "mode " << c.Mode;
}

TEST(Concealment, ScramblePairsUndoEachOther)
{
    std::string everyByte;
    for (int v = 0; v < 256; ++v)
        everyByte += static_cast<char>(v);
    std::string printable;
    for (int v = 14; v < 256; ++v)
        printable += static_cast<char>(v);
    for (const std::string& key : {std::string("k"), std::string("a longer key \xff\x01"),
                                  std::string(ConcealmentKeys::Master)}) {
        EXPECT_EQ(Scramble(Scramble(everyByte, key, 0), key, 1), everyByte);
        EXPECT_EQ(Scramble(Scramble(everyByte, key, 1), key, 0), everyByte);
        // Modes 2 and 3 are a pair for bytes from 14 upward, with printable keys.
        if (std::all_of(key.begin(), key.end(), [](char c) { return c >= 33 && c <= 126; })) {
            EXPECT_EQ(Scramble(Scramble(printable, key, 2), key, 3), printable);
        }
    }
}

TEST(Concealment, HideAndRevealRoundTrip)
{
    const std::string texts[] = {"",
                                 "a",
                                 "Orvanto 1.0",
                                 "it's",
                                 "''",
                                 "'",
                                 "don't 'quote' me''",
                                 "https://example.org/orvanto?x=1&y='2'",
                                 std::string(300, '\'')};
    for (const auto& text : texts) {
        for (int round = 0; round < 20; ++round) { // fresh keys of every length
            const std::string hidden = HideText(text);
            EXPECT_EQ(RevealText(hidden), text) << text;
            // Apostrophes only come doubled, so the text can sit between quotes.
            std::string undoubled = hidden;
            ReplaceAll(undoubled, "''", "");
            EXPECT_EQ(undoubled.find('\''), std::string::npos) << text;
        }
    }
    const std::string once = HideText("the same text");
    const std::string twice = HideText("the same text");
    EXPECT_NE(once, twice);
    EXPECT_EQ(RevealText(once), RevealText(twice));
}

TEST(Concealment, RevealTextOfDamagedTextIsEmpty)
{
    for (const std::string& damaged : {std::string(""), std::string("\x0e"), std::string("\x05xyz"),
                                      std::string("\x40short"), std::string(1, '\0')})
        EXPECT_EQ(RevealText(damaged), "") << damaged.size();
}

TEST(Concealment, RandomKeyDrawsFromTheAlphabet)
{
    const std::string allowed(ConcealmentKeys::Alphabet, ConcealmentKeys::AlphabetDrawn);
    std::set<std::size_t> lengths;
    for (int i = 0; i < 2000; ++i) {
        const std::string key = RandomKey();
        ASSERT_GE(key.size(), 10u);
        ASSERT_LE(key.size(), 50u);
        lengths.insert(key.size());
        ASSERT_EQ(key.find_first_not_of(allowed), std::string::npos) << key;
    }
    EXPECT_TRUE(lengths.count(10) && lengths.count(50)) << "both ends of the length range";
}

} // namespace
