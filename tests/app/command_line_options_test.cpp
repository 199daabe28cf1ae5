#include "app/command_line_options.h"
#include "app/display_platform.h"

#include <gtest/gtest.h>

#include <map>

using namespace orvanto;

namespace {

TEST(CommandLineOptions, WhatEachLineAsksFor)
{
    using A = TOptionAction;
    const struct {
        std::vector<std::string> Arguments;
        TOptionAction Action;
        const char* TextStart;
    } cases[] = {
        {{}, A::Start, ""},
        {{"photo.jpg", "Holiday", "/AUTOPRINT"}, A::Start, ""},
        {{"photo.jpg", "/AUTOPRINT"}, A::Start, ""},
        {{"-"}, A::Start, ""},
        {{"--"}, A::Start, ""},
        {{"--platform", "offscreen", "photo.jpg"}, A::Start, ""},
        {{"--style=fusion"}, A::Start, ""},
        {{"--help"}, A::Help, "Usage: orvanto [PICTURE [NAME] [/AUTOPRINT]]\n"},
        {{"photo.jpg", "--version"}, A::Version, "Orvanto 2.00.772\n"},
        {{"--version", "--help"}, A::Version, "Orvanto "},
        {{"--print", "photo.jpg"}, A::Refuse, "orvanto: unknown option --print (see orvanto --help)\n"},
        {{"photo.jpg", "--helpme"}, A::Refuse, "orvanto: unknown option --helpme"},
    };
    for (const auto& c : cases) {
        const std::string line = ::testing::PrintToString(c.Arguments);
        const TOptionOutcome outcome = ReadCommandLineOptions(c.Arguments);
        EXPECT_EQ(outcome.Action, c.Action) << line;
        EXPECT_TRUE(outcome.Text.starts_with(c.TextStart)) << line << ": " << outcome.Text;
        if (c.Action == A::Refuse) {
            EXPECT_EQ(outcome.Text.find('\n'), outcome.Text.size() - 1) << "one line: " << line;
        }
    }
}

} // namespace

// Qt aborts when the one platform it tries cannot start; given a list it
// tries them in order, and offscreen always starts.
TEST(DisplayPlatform, QtGetsTheNamedDisplaysThenOffscreen)
{
    const struct {
        const char* Name;
        std::map<std::string, std::string> Environment;
        const char* List;
    } cases[] = {
        {"cron: nothing named", {}, "offscreen"},
        {"ssh or cron with an inherited DISPLAY", {{"DISPLAY", ":99"}}, "xcb;offscreen"},
        {"a Wayland session with XWayland", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
         "wayland;xcb;offscreen"},
        {"the user's own choice stands", {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(QtPlatformList([&c](const char* name) {
                      const auto found = c.Environment.find(name);
                      return found == c.Environment.end() ? std::string() : found->second;
                  }),
                  c.List);
    }
    EXPECT_FALSE(PlatformShowsWindows("offscreen"));
    EXPECT_FALSE(PlatformShowsWindows("minimal"));
    EXPECT_TRUE(PlatformShowsWindows("xcb"));
}
