#include "support/general.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(General, ReplaceAll)
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
        TGeneral::ReplaceAll(text, c.Search, c.Replacement);
        EXPECT_EQ(text, c.Expected) << c.Text;
    }
}

TEST(General, BooleanTexts)
{
    EXPECT_TRUE(TGeneral::TextToBool("1"));
    for (const char* text : {" 1", "true", "0", "", "11", "1 "})
        EXPECT_FALSE(TGeneral::TextToBool(text)) << text;
    EXPECT_EQ(TGeneral::BoolToText(true), "1");
    EXPECT_EQ(TGeneral::BoolToText(false), "0");
}

TEST(General, TextToIntRoundsHalvesToEven)
{
    const struct {
        const char* Text;
        std::int32_t Expected;
    } cases[] = {{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"2.6", 3}, {"42", 42}, {"-7", -7},
                 {" 12 ", 12}, {"1e2", 100}, {"abc", 0}, {"", 0}, {"2,5", 0}, {"1.2.3", 0},
                 {"99999999999", 0}, {"2147483647", 2147483647}, {"nan", 0}, {"inf", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TGeneral::TextToInt(c.Text), c.Expected) << c.Text;
}

TEST(General, TextToIntIgnoresTheUsersLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(TGeneral::TextToInt("3.5"), 4);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(General, ByteSplit)
{
    const std::int32_t colour = 153 + 102 * 256 + 51 * 65536;
    EXPECT_EQ(TGeneral::Byte0Of(colour), 153);
    EXPECT_EQ(TGeneral::Byte1Of(colour), 102);
    EXPECT_EQ(TGeneral::Byte2Of(colour), 51);
    EXPECT_EQ(TGeneral::Byte3Of(colour), 0);
    EXPECT_EQ(TGeneral::Byte3Of(0x12345678), 0x12);
}

} // namespace
