#include "support/messages/general.h"

#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "support/services.h"
#include "support/messages/translation_hook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

using namespace orvanto;

namespace {

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

} // namespace
