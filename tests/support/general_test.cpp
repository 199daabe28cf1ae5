#include "support/general.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace orvanto;

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
        ReplaceAll(text, c.Search, c.Replacement);
        EXPECT_EQ(text, c.Expected) << c.Text;
    }
}

TEST(General, BooleanTexts)
{
    EXPECT_TRUE(TextToBool("1"));
    for (const char* text : {" 1", "true", "0", "", "11", "1 "})
        EXPECT_FALSE(TextToBool(text)) << text;
    EXPECT_EQ(BoolToText(true), "1");
    EXPECT_EQ(BoolToText(false), "0");
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
        EXPECT_EQ(TextToInt(c.Text), c.Expected) << c.Text;
}

TEST(General, TextToIntIgnoresTheUsersLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(TextToInt("3.5"), 4);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(General, ByteSplit)
{
    const std::int32_t colour = 153 + 102 * 256 + 51 * 65536;
    EXPECT_EQ(Byte0Of(colour), 153);
    EXPECT_EQ(Byte1Of(colour), 102);
    EXPECT_EQ(Byte2Of(colour), 51);
    EXPECT_EQ(Byte3Of(colour), 0);
    EXPECT_EQ(Byte3Of(0x12345678), 0x12);
}

} // namespace

#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "support/concealment_keys.h"
#include "support/paths.h"
#include "support/services.h"
#include "support/translation_hook.h"
#include "tests/test_support.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(static_cast<unsigned char>(v));
    return out;
}

TEST(General, ScrambleModes)
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

TEST(General, ScramblePairsUndoEachOther)
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

TEST(General, HideAndRevealRoundTrip)
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

TEST(General, RevealTextOfDamagedTextIsEmpty)
{
    for (const std::string& damaged : {std::string(""), std::string("\x0e"), std::string("\x05xyz"),
                                      std::string("\x40short"), std::string(1, '\0')})
        EXPECT_EQ(RevealText(damaged), "") << damaged.size();
}

TEST(General, RandomKeyDrawsFromTheAlphabet)
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

// Puts a recording box and a marking translation in place for one test.
class ErrorBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto box = std::make_unique<TRecordingMessageBox>();
        Box = box.get();
        Previous = Platform().SetMessageBox(std::move(box));
        PreviousTranslate = InstalledTranslateFunction();
    }
    void TearDown() override
    {
        Platform().SetMessageBox(std::move(Previous));
        SetTranslateFunction(PreviousTranslate);
    }
    TRecordingMessageBox* Box = nullptr;
    std::unique_ptr<IMessageBox> Previous;
    TTranslateFunction PreviousTranslate = nullptr;
};

TEST_F(ErrorBox, ShowErrorTranslatesMessageAndCaption)
{
    SetTranslateFunction([](const std::string& text) { return "<" + text + ">"; });
    ShowError("File not found");
    General()->ShowError("Out of memory");
    ASSERT_EQ(Box->Shown.size(), 2u);
    EXPECT_EQ(Box->Shown[0].Text, "<File not found>");
    EXPECT_EQ(Box->Shown[0].Caption, "<Error>");
    EXPECT_EQ(Box->Shown[1].Text, "<Out of memory>");
}

TEST_F(ErrorBox, ShowErrorSurvivesAFailingTranslation)
{
    SetTranslateFunction([](const std::string&) -> std::string { throw std::runtime_error("x"); });
    ShowError("Unknown format");
    ASSERT_EQ(Box->Shown.size(), 1u);
    EXPECT_EQ(Box->Shown[0].Text, "Unknown format");
    EXPECT_EQ(Box->Shown[0].Caption, "Error");
}

TEST(General, FatalOutOfMemoryShowsTheBoxAndRunsTheExitSteps)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetExitStep(TExitStep::StaleTemporaryFiles, [] { std::fputs("stale step\n", stderr); });
            SetExitStep(TExitStep::LeftoverFiles, [] { std::fputs("leftover step\n", stderr); });
            General()->FatalOutOfMemory();
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "Out of memory.*stale step.*leftover step");
}

TEST(General, ListFilesLeavesOutFoldersAndHiddenFiles)
{
    const std::string folder = MakeTempFolder("list-files");
    for (const char* name : {"a.ZMP", "b.zmp", "c.txt", ".hidden.ZMP"})
        ASSERT_TRUE(WriteWholeFile(folder + name, "x"));
    ForceFolders(folder + "sub.ZMP/");

    const auto lines = [](const std::string& text) {
        std::multiset<std::string> out;
        std::size_t start = 0;
        for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
            out.insert(text.substr(start, end - start));
            start = end + 2;
        }
        EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
        return out;
    };
    EXPECT_EQ(lines(ListFiles(folder + "*.ZMP", false)),
              (std::multiset<std::string>{"a.ZMP", "b.zmp"}));
    EXPECT_EQ(lines(ListFiles(folder + "*.ZMP", true)),
              (std::multiset<std::string>{folder + "a.ZMP", folder + "b.zmp"}));
    EXPECT_EQ(lines(ListFiles(folder + "?.txt", false)), (std::multiset<std::string>{"c.txt"}));
    EXPECT_EQ(ListFiles(folder + "*.none", false), "");
    EXPECT_EQ(ListFiles(folder + "missing/*", true), "");
}

TEST(General, CenterFormUsesTheWholePrimaryScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const int screenWidth = screen->geometry().width();
    const int screenHeight = screen->geometry().height();
    const struct {
        int Width, Height;
    } sizes[] = {{200, 100}, {201, 99}, {screenWidth + 301, screenHeight + 41}};
    for (const auto& size : sizes) {
        QWindow window;
        window.resize(size.Width, size.Height);
        CenterForm(&window);
        EXPECT_EQ(window.x(), (screenWidth - size.Width) / 2);
        EXPECT_EQ(window.y(), (screenHeight - size.Height) / 2);
        EXPECT_EQ(window.width(), size.Width) << "size is kept";
    }
    CenterForm(nullptr);

    int left = 0, top = 0;
    CenteredPosition(1100, 900, 1000, 800, left, top);
    EXPECT_EQ(left, -50);
    EXPECT_EQ(top, -50);
    CenteredPosition(1001, 803, 1000, 800, left, top); // div truncates toward zero
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, -1);
}

} // namespace
