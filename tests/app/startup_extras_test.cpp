#include "app/startup_extras.h"

#include "archive/help.h"
#include "archive/zip_box.h"
#include "imaging/bitmap_writer.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/recording_shell.h"
#include "support/paths.h"
#include "tests/archive/carrier_fixture.h"
#include "tests/test_support.h"
#include "ui/compact_splash.h"

#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvanto;

namespace {

std::string SplashBitmap()
{
    QImage picture(300, 200, QImage::Format_BGR888);
    picture.fill(QColor(40, 120, 160));
    std::string error;
    return BitmapFileBytes(picture, error).toStdString();
}

TEST(StartupExtras, SplashDecisions)
{
    const struct {
        const char* Case;
        std::vector<TCarrierEntry> Entries;
        bool HasArgument;
        bool Result;
        bool Shown;
        const char* Error; // when the start ends
        bool Framed = false; // the splash holds the framed picture (the about box shows it)
    } cases[] = {
        {"started plainly", {{"B.TXT", "x"}, {"A.BMP", SplashBitmap()}}, false, true, true, "", true},
        {"started with a picture", {{"A.BMP", SplashBitmap()}}, true, true, false, "", true},
        {"the name in any case", {{"a.Bmp", SplashBitmap()}}, false, true, true, "", true},
        {"no A.BMP goes on", {{"B.BMP", SplashBitmap()}}, false, true, false, ""},
        {"no archive goes on", {}, false, true, false, ""},
        {"damaged entry", {{"A.BMP", "not zlib", TBoxItem::MethodZlib}}, false, false, false,
         "Out of memory"},
        {"unknown packing", {{"A.BMP", SplashBitmap(), 9}}, false, false, false, "Unsupported encoding"},
        {"not a bitmap", {{"A.BMP", "plain text"}}, false, false, false, "Unknown format"},
    };
    for (const auto& c : cases) {
        auto splash = CreateSplash();
        QImage carrier = c.Entries.empty() ? QImage(40, 30, QImage::Format_BGR888) : CarrierFixture(c.Entries);
        std::string error;
        EXPECT_EQ(PrepareSplashPicture(carrier, *splash, c.HasArgument, error), c.Result) << c.Case;
        EXPECT_EQ(splash->Visible(), c.Shown) << c.Case;
        EXPECT_EQ(carrier.size(), QSize(1, 1)) << c.Case;
        EXPECT_EQ(splash->Picture().size(), c.Framed ? QSize(510, 310) : QSize(0, 0)) << c.Case;
        if (!c.Result) {
            EXPECT_EQ(error, c.Error) << c.Case;
        }
        splash->CloseAfter(0);
    }
}

TEST(StartupExtras, FrameCentresThePictureUnderTheTopBand)
{
    for (const QSize size : {QSize(300, 200), QSize(497, 270), QSize(600, 400)}) {
        QImage picture(size, QImage::Format_BGR888);
        picture.fill(QColor(10, 200, 30));
        const QImage framed = FrameSplashPicture(picture);
        ASSERT_EQ(framed.size(), QSize(510, 310));
        const int left = (510 - size.width()) / 2;
        EXPECT_EQ(framed.pixelColor(std::max(left, 1), 21), QColor(10, 200, 30)) << size.width();
        EXPECT_EQ(framed.pixelColor(std::max(left, 1), 20), QColor(Qt::white)) << size.width();
        for (const QPoint edge : {QPoint(0, 0), QPoint(509, 309), QPoint(509, 150), QPoint(250, 0)})
            EXPECT_EQ(framed.pixelColor(edge), QColor(Qt::black)) << size.width();
    }
}

TEST(StartupExtras, ExecArgumentQuoting)
{
    const struct {
        const char* Argument;
        const char* Quoted;
    } cases[] = {
        {"/usr/bin/orvanto", "/usr/bin/orvanto"},
        {"/home/a/Quendal Enterprises/Fennick/Orvanto.EXE", "\"/home/a/Quendal Enterprises/Fennick/Orvanto.EXE\""},
        {"/a/$HOME/\"x\"", "\"/a/\\$HOME/\\\"x\\\"\""},
        {"/a\\b", "\"/a\\\\b\""},
        {"/100%/x", "\"/100%%/x\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuoteExecArgument(c.Argument), c.Quoted) << c.Argument;
    // In the entry file every backslash of the quoted argument is doubled again.
    EXPECT_NE(DesktopEntryText("/a\\b", "").find("Exec=\"/a\\\\\\\\b\" %f\n"), std::string::npos);
}

TEST(StartupExtras, MenuCopyAndEntry)
{
    const std::string program = MakeTempFolder("program") + "orvanto";
    ASSERT_TRUE(WriteWholeFile(program, "#!/bin/sh\nexit 0\n"));
    ::chmod(program.c_str(), 0755);
    const std::string folder = Paths()->MakerMenuFolder("Fennick", false);
    const std::string copy = folder + "Orvanto.EXE";
    const std::string entry = folder + "orvanto.desktop";

    EXPECT_TRUE(InstallMenuEntry(program));
    EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(program));
    EXPECT_EQ(::access(copy.c_str(), X_OK), 0);
    const std::string text = ReadWholeFile(entry);
    EXPECT_NE(text.find("Exec=\"" + copy + "\" %f\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Icon=" + folder + "orvanto.png\n"), std::string::npos) << text;
    EXPECT_EQ(QProcess::execute(QStringLiteral("desktop-file-validate"), {QString::fromStdString(entry)}), 0);
    struct stat first {};
    ::stat(entry.c_str(), &first);

    // Started from the menu copy: the copy stays whole, the entry untouched.
    EXPECT_TRUE(InstallMenuEntry(copy));
    EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(program));
    struct stat second {};
    ::stat(entry.c_str(), &second);
    EXPECT_EQ(second.st_ino, first.st_ino);
}

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
