#include "app/startup/menu_entry.h"

#include "support/files/paths.h"
#include "tests/test_support.h"

#include <QProcess>

#include <filesystem>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvanto;

namespace {

TEST(MenuEntry, ExecArgumentQuoting)
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
TEST(MenuEntry, MenuEntryDecisions)
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

TEST(MenuEntry, EntryTranslationsComeFromTheLanguageFiles)
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

} // namespace
