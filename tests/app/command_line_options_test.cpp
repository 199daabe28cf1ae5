#include "app/command_line_options.h"

#include <gtest/gtest.h>

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
