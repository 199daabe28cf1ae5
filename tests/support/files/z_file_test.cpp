#include "support/files/z_file.h"

#include "support/files/file_listing.h"
#include "support/files/paths.h"
#include "support/services.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <time.h>

using namespace orvanto;

namespace {

std::string DataArea()
{
    return TestDataHome() + (TestDataHome().back() == '/' ? "" : "/") + MakerFolderName;
}

std::string TempFolder()
{
    return DataArea() + "TEMP/";
}

// A fresh, empty temporary folder.
void ResetTempFolder()
{
    std::filesystem::remove_all(TempFolder());
    std::filesystem::create_directories(TempFolder());
}

// A file last written secondsAgo before now (negative: in the future).
void MakeFile(const std::string& name, double secondsAgo)
{
    const std::string path = TempFolder() + name;
    ASSERT_TRUE(WriteWholeFile(path, "temporary"));
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    timespec times[2];
    times[0].tv_sec = now.tv_sec - time_t(secondsAgo);
    times[0].tv_nsec = now.tv_nsec;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

int CountFiles()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TempFolder()))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

// What the program does with temporary files when it ends.
void ProgramExit()
{
    RunTemporaryFileCleanup();
    FreeZFile();
}

TEST(ZFile, AgeDecidesWhichFilesGo)
{
    const struct {
        const char* Case;
        double SecondsAgo;
        bool Deleted;
    } cases[] = {
        {"just written", 0, false},
        {"5 minutes old", 300, false},
        {"just under the limit", 490, false},
        {"just over the limit", 510, true},
        {"9 minutes old", 540, true},
        {"a year old", 365 * 86400.0, true},
        {"10 minutes in the future", -600, true},
        {"5 minutes in the future", -300, false},
    };
    for (const auto& c : cases) {
        ResetTempFolder();
        MakeFile("file.ZMP", c.SecondsAgo);
        ZFile()->CleanUp();
        EXPECT_EQ(IsFile(TempFolder() + "file.ZMP"), !c.Deleted) << c.Case;
    }
}

TEST(ZFile, TenStaleFilesTakeTwoProgramRuns)
{
    ResetTempFolder();
    for (int i = 0; i < 10; ++i)
        MakeFile("stale" + std::to_string(i) + ".ZMP", 3600);
    MakeFile("fresh.ZMP", 10);
    ZFile()->CleanUp();
    EXPECT_EQ(CountFiles(), 7);
    FreeZFile(); // freeing runs the second pass of an exit
    EXPECT_EQ(CountFiles(), 3);
    ProgramExit();
    EXPECT_EQ(CountFiles(), 1);
    EXPECT_TRUE(IsFile(TempFolder() + "fresh.ZMP"));
}

TEST(ZFile, WhichNamesCount)
{
    const struct {
        const char* Name;
        bool Deleted;
    } cases[] = {
        {"plain.ZMP", true},  {"lower.zmp", true},  {".hidden.ZMP", true}, {".ZMP", true},
        {"mixed.Zmp", true},  {"other.TMP", false}, {"longer.ZMPX", false}, {"ZMP", false},
        {"dotless_ZMP", false}, {"a.ZMP.bak", false},
    };
    ResetTempFolder();
    for (const auto& c : cases)
        MakeFile(c.Name, 3600);
    std::filesystem::create_directories(TempFolder() + "folder.ZMP");
    ProgramExit();
    ProgramExit();
    for (const auto& c : cases)
        EXPECT_EQ(IsFile(TempFolder() + c.Name), !c.Deleted) << c.Name;
    EXPECT_TRUE(FolderExists(TempFolder() + "folder.ZMP"));
}

TEST(ZFile, ReadOnlyFilesGoToo)
{
    ResetTempFolder();
    MakeFile("locked.ZMP", 3600);
    chmod((TempFolder() + "locked.ZMP").c_str(), 0444);
    ZFile()->CleanUp();
    EXPECT_FALSE(IsFile(TempFolder() + "locked.ZMP"));
}

TEST(ZFile, NoTempFolderIsLeftAlone)
{
    std::filesystem::remove_all(TempFolder());
    ProgramExit();
    EXPECT_FALSE(FolderExists(TempFolder()));
}

TEST(ZFile, LeftoverPictureIsDeleted)
{
    const std::string picture = Paths()->MakerDataFolder("Settings") + "TOrvanto.BMP";
    const std::string keep = Paths()->MakerDataFolder("Settings") + "Orvanto.INI";
    ASSERT_TRUE(WriteWholeFile(picture, "BM"));
    ASSERT_TRUE(WriteWholeFile(keep, "[Settings]"));
    DeleteLeftoverPicture();
    EXPECT_FALSE(IsFile(picture));
    EXPECT_TRUE(IsFile(keep));
    DeleteLeftoverPicture(); // nothing there: nothing happens
    EXPECT_FALSE(IsFile(picture));
}

TEST(ZFile, ProgramExitSequenceCleansUp)
{
    // The exit sequence of the whole program: two passes of four, then the
    // leftover picture in the settings folder.
    ResetTempFolder();
    for (int i = 0; i < 10; ++i)
        MakeFile("stale" + std::to_string(i) + ".ZMP", 3600);
    const std::string leftover = Paths()->MakerDataFolder("Settings") + "TOrvanto.BMP";
    ASSERT_TRUE(WriteWholeFile(leftover, "BM"));
    ShutdownServices();
    EXPECT_EQ(CountFiles(), 2);
    EXPECT_FALSE(IsFile(leftover));
    ShutdownServices();
    EXPECT_EQ(CountFiles(), 0);
}

} // namespace
