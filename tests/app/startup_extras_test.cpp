#include "app/startup_extras.h"

#include "archive/help.h"
#include "archive/zip_box.h"
#include "imaging/bitmap_writer.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "platform/recording_shell.h"
#include "support/paths.h"
#include "tests/archive/carrier_fixture.h"
#include "tests/test_support.h"
#include "ui/compact_splash.h"

#include <QFile>
#include <QImage>
#include <QProcess>

#include <filesystem>

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

bool Put(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return WriteWholeFile(path, bytes);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The menu entry at start-up, from a clean applications folder each time:
// what is written, what is left alone and what of earlier versions goes.
TEST(StartupExtras, MenuEntryDecisions)
{
    const std::string home = Paths()->ProgramsFolder();
    const std::string entry = home + "org.example.Orvanto.desktop";
    const std::string legacy = Paths()->MakerMenuFolder("Fennick", false);
    const std::string legacyCopy = legacy + "Orvanto.EXE";
    const std::string elf = std::string("\x7f" "ELF", 4) + "program bytes";
    const std::string build = MakeTempFolder("build");
    const std::string prefix = MakeTempFolder("prefix");
    ASSERT_TRUE(Put(build + "CMakeCache.txt", "#"));
    ASSERT_TRUE(Put(prefix + "share/orvanto/languages/de.llf",
                               ReadWholeFile(ORVANTO_BINARY_DIR "/languages/de.llf")));
    const std::string system = MakeTempFolder("system") + "applications/";
    const std::string ownEntry = DesktopEntryText("/old/orvanto", "", {}, true);
    const std::string oldEntry = "[Desktop Entry]\nTryExec=" + legacyCopy + "\nIcon=" + legacy + "orvanto.png\n";
    const struct {
        const char* Case;
        std::string Program;
        std::vector<std::pair<std::string, std::string>> Before; // files made first
        bool Written;                                            // the user's entry points at Program
        std::vector<std::string> Present, Absent;                // afterwards
    } cases[] = {
        {"from the build folder: an entry, no copy", build + "bin/orvanto", {}, true, {}, {legacyCopy, legacy}},
        {"an earlier copy of ours and its entry go", build + "bin/orvanto",
         {{legacyCopy, elf}, {legacy + "orvanto.desktop", oldEntry}, {legacy + "orvanto.png", "png"}}, true,
         {}, {legacyCopy, legacy + "orvanto.desktop", legacy + "orvanto.png", legacy, home + "Quendal Enterprises/"}},
        {"a file of that name that is no program stays", build + "bin/orvanto", {{legacyCopy, "notes"}}, true,
         {legacyCopy}, {}},
        {"other files keep the folder", build + "bin/orvanto", {{legacyCopy, elf}, {legacy + "mine.txt", "x"}},
         true, {legacy + "mine.txt"}, {legacyCopy}},
        {"an installed entry: none written, ours removed", build + "bin/orvanto",
         {{system + "org.example.Orvanto.desktop", "[Desktop Entry]\n"}, {entry, ownEntry}}, false, {},
         {entry}},
        {"installed under another prefix: nothing written", prefix + "bin/orvanto",
         {{prefix + "share/applications/org.example.Orvanto.desktop", "[Desktop Entry]\n"}}, false, {}, {entry}},
        {"an entry the user installed stays as it is", build + "bin/orvanto",
         {{entry, "[Desktop Entry]\nName=Mine\n"}}, false, {entry}, {}},
    };
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(system.substr(0, system.size() - 13)));
    for (const auto& c : cases) {
        std::filesystem::remove_all(home);
        std::filesystem::remove_all(system);
        for (const auto& [file, bytes] : c.Before)
            ASSERT_TRUE(Put(file, bytes)) << c.Case;
        InstallMenuEntry(c.Program);
        const std::string text = ReadWholeFile(entry);
        EXPECT_EQ(text.find("\nTryExec=" + c.Program + "\n") != std::string::npos, c.Written) << c.Case << text;
        for (const auto& path : c.Present)
            EXPECT_TRUE(Exists(path)) << c.Case << ": " << path;
        for (const auto& path : c.Absent)
            EXPECT_FALSE(Exists(path)) << c.Case << ": " << path;
        // The program file is never copied anywhere in the menu area.
        std::error_code none;
        for (const auto& item : std::filesystem::recursive_directory_iterator(home, none))
            EXPECT_NE(ReadWholeFile(item.path().string()), elf) << c.Case << ": " << item.path();
        if (c.Written) {
            EXPECT_NE(text.find("\nExec=" + c.Program + " %f\n"), std::string::npos) << text;
            EXPECT_NE(text.find("\nIcon=" + Paths()->MakerDataFolder("") + "orvanto.png\n"), std::string::npos);
            EXPECT_NE(text.find("image/png;"), std::string::npos) << text;
            EXPECT_EQ(QProcess::execute(QStringLiteral("desktop-file-validate"), {QString::fromStdString(entry)}), 0);
        }
    }
    qputenv("XDG_DATA_DIRS", dataDirs);
    std::filesystem::remove_all(home);
}

TEST(StartupExtras, EntryTranslationsComeFromTheLanguageFiles)
{
    const auto translations = EntryTranslations(ORVANTO_BINARY_DIR "/languages/");
    ASSERT_FALSE(translations.empty());
    EXPECT_EQ(translations[0].Locale, "de");
    EXPECT_EQ(translations[0].GenericName, "Bilddrucker");
    const std::string text = DesktopEntryText("orvanto", "org.example.Orvanto", translations);
    EXPECT_NE(text.find("\nGenericName[de]=Bilddrucker\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nComment[de]=Druckt jeweils ein Bild"), std::string::npos) << text;
    EXPECT_EQ(text.find("X-Orvanto-User-Entry"), std::string::npos) << "an installed entry is not the user's";
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
        // The start page names the version the program has.
        EXPECT_NE(ReadWholeFile(extras.Help()->PagePath("index.html")).find(std::string("Orvanto ") + ProgramVersion),
                  std::string::npos);
        // No web browser: F1 says so in a box instead of doing nothing.
        requests->Fail = true;
        auto* boxes = new TRecordingMessageBox;
        auto previousBoxes = Platform().SetMessageBox(std::unique_ptr<IMessageBox>(boxes));
        EXPECT_FALSE(extras.ShowHelp());
        ASSERT_EQ(boxes->Shown.size(), 1u);
        EXPECT_EQ(boxes->Shown[0].Text, "No web browser could be started to show the page");
        Platform().SetMessageBox(std::move(previousBoxes));
    }
    // Ending removes the unpacked pages.
    EXPECT_FALSE(FolderExists(Paths()->MakerDataFolder("Help") + "Orvanto/"));
    Platform().SetShell(std::move(previous));
}

} // namespace
