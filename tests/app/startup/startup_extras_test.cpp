#include "app/startup/startup_extras.h"

#include "archive/help.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/recording_shell.h"
#include "support/files/paths.h"
#include "tests/test_support.h"
#include "ui/compact_splash.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvanto;

namespace {

TEST(StartupExtras, BuiltInCarriersHoldTheSplashAndTheHelp)
{
    auto shell = std::make_unique<TRecordingShell>();
    TRecordingShell* requests = shell.get();
    auto previous = Platform().SetShell(std::move(shell));
    {
        TStartupExtras extras;
        ASSERT_TRUE(extras.PrepareSplash(false)) << extras.LastError();
        ASSERT_NE(extras.Splash(), nullptr);
        EXPECT_TRUE(extras.Splash()->Visible());
        EXPECT_EQ(extras.Splash()->Picture().size(), QSize(510, 310));
        extras.CreateHelp();
        EXPECT_TRUE(extras.ShowHelp()) << extras.Help()->LastError();
        ASSERT_EQ(requests->Requests.size(), 1u);
        EXPECT_TRUE(QFile::exists(QString::fromStdString(extras.Help()->PagePath("index.html"))));
        // With the German language file the German start page opens.
        const std::string installed = TLanguage::LanguageFileName();
        ASSERT_TRUE(WriteWholeFile(installed, ReadWholeFile(ORVANTO_BINARY_DIR "/languages/de.llf")));
        FreeLanguage();
        EXPECT_TRUE(extras.ShowHelp());
        ::unlink(installed.c_str());
        FreeLanguage();
        EXPECT_EQ(requests->Requests.back().Target, extras.Help()->PagePath("de-index.html"));
    }
    // Ending removes the unpacked pages.
    EXPECT_FALSE(FolderExists(Paths()->MakerDataFolder("Help") + "Orvanto/"));
    Platform().SetShell(std::move(previous));
}

} // namespace
