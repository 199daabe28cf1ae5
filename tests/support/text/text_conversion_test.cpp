#include "support/text/text_conversion.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace orvanto;

namespace {

TEST(TextConversion, ReplaceAll)
{
    const struct {
        std::string Text, Search, Replacement, Expected;
    } cases[] = {
        {"a''''b", "''", "'", "a''b"},
        {"aXa", "a", "aa", "aaXaa"}, // the replacement holds the search text
        {"abc", "", "x", "abc"},
        {"", "a", "b", ""},
        {"Abc abc", "abc", "-", "Abc -"}, // case-sensitive
    };
    for (const auto& c : cases) {
        std::string text = c.Text;
        ReplaceAll(text, c.Search, c.Replacement);
        EXPECT_EQ(text, c.Expected) << c.Text;
    }
}

TEST(TextConversion, BooleanTexts)
{
    EXPECT_TRUE(TextToBool("1"));
    for (const char* text : {" 1", "true", "0", "", "11", "1 "})
        EXPECT_FALSE(TextToBool(text)) << text;
    EXPECT_EQ(BoolToText(true), "1");
    EXPECT_EQ(BoolToText(false), "0");
}

TEST(TextConversion, TextToIntRoundsHalvesToEven)
{
    const struct {
        const char* Text;
        std::int32_t Expected;
    } cases[] = {{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"2.6", 3}, {"42", 42}, {"-7", -7},
                 {" 12 ", 12}, {"1e2", 100}, {"abc", 0}, {"", 0}, {"2,5", 0}, {"1.2.3", 0},
                 {"99999999999", 0}, {"2147483647", 2147483647}, {"nan", 0}, {"inf", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TextToInt(c.Text), c.Expected) << c.Text;
}

TEST(TextConversion, TextToIntIgnoresTheUsersLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(TextToInt("3.5"), 4);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(TextConversion, ByteSplit)
{
    const std::int32_t colour = 153 + 102 * 256 + 51 * 65536;
    EXPECT_EQ(Byte0Of(colour), 153);
    EXPECT_EQ(Byte1Of(colour), 102);
    EXPECT_EQ(Byte2Of(colour), 51);
    EXPECT_EQ(Byte3Of(colour), 0);
    EXPECT_EQ(Byte3Of(0x12345678), 0x12);
}

TEST(TextConversion, CaseFoldingTouchesOnlyAsciiLetters)
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

TEST(TextConversion, IntToText)
{
    const struct {
        std::int32_t Value;
        const char* Text;
    } cases[] = {{0, "0"}, {10, "10"}, {-7, "-7"}, {2147483647, "2147483647"},
                 {-2147483647 - 1, "-2147483648"}};
    for (const auto& c : cases)
        EXPECT_EQ(IntToText(c.Value), c.Text);
}

} // namespace
