#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "support/messages/general.h"
#include "support/files/paths.h"
#include "support/services.h"
#include "support/files/z_file.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvanto;

namespace {

std::string Trace;

TEST(Services, ShutdownRunsTheStepsInOrderAndAccessorsStartAfresh)
{
    Trace.clear();
    SetExitStep(TExitStep::StaleTemporaryFiles, [] { Trace += "stale,"; });
    RegisterServiceRelease(TService::ZFile, [] {
        // The temporary-file service goes while paths still exist.
        Trace += "zfile,";
    });
    RegisterServiceRelease(TService::Language, [] { Trace += "language,"; });
    SetExitStep(TExitStep::LeftoverFiles, [] {
        Trace += "leftover,";
        throw 1; // a failing step must not break the sequence
    });
    ASSERT_NE(Paths(), nullptr);
    ASSERT_NE(General(), nullptr);
    Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());

    ShutdownServices();
    EXPECT_EQ(Trace, "stale,zfile,language,leftover,");
    // The platform's services go too, and come back as the defaults.
    EXPECT_EQ(dynamic_cast<TRecordingMessageBox*>(&Platform().MessageBox()), nullptr);

    // Freed services are made again on demand.
    EXPECT_NE(Paths(), nullptr);
    EXPECT_NE(General(), nullptr);

    for (TExitStep step : {TExitStep::StaleTemporaryFiles, TExitStep::LeftoverFiles})
        SetExitStep(step, nullptr);
    for (TService service : {TService::ZFile, TService::Language})
        RegisterServiceRelease(service, nullptr);
    Trace.clear();
    ShutdownServices();
    EXPECT_EQ(Trace, "");

    // Back to what the program runs with.
    SetExitStep(TExitStep::StaleTemporaryFiles, &RunTemporaryFileCleanup);
    SetExitStep(TExitStep::LeftoverFiles, &DeleteLeftoverPicture);
    RegisterServiceRelease(TService::ZFile, &FreeZFile);
}

TEST(Services, ExitSequenceRunsWhenTheProcessEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetExitStep(TExitStep::StaleTemporaryFiles, [] { std::fputs("first\n", stderr); });
            SetExitStep(TExitStep::LeftoverFiles, [] { std::fputs("last\n", stderr); });
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "first\nlast");
}

} // namespace
