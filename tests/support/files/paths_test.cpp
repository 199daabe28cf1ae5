#include "support/files/paths.h"

#include "platform/platform.h"
#include "platform/recording_shell.h"
#include "support/files/file_listing.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvanto;

namespace {

TEST(Paths, AddSlash)
{
    const struct {
        std::string In, Out;
    } cases[] = {{"", "/"}, {"a", "a/"}, {"a/", "a/"}, {"/x/y", "/x/y/"}, {"/", "/"}};
    for (const auto& c : cases)
        EXPECT_EQ(Paths()->AddSlash(c.In), c.Out) << c.In;
}

TEST(Paths, RangeHelpers)
{
    const struct {
        int Value, Low, High, Expected;
    } cases[] = {{5, 0, 3, 3}, {-1, 0, 3, 0}, {5, 10, 3, 3}, {2, 0, 3, 2}, {0, 0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Clamp(c.Value, c.Low, c.High), c.Expected) << c.Value << " " << c.Low << " " << c.High;
    EXPECT_EQ(Max(2, 7), 7);
    EXPECT_EQ(Max(-2, -7), -2);
    EXPECT_EQ(Min(2, 7), 2);
    EXPECT_EQ(Min(-2, -7), -7);
}

TEST(Paths, DataAreaLivesInTheXdgDataFolderAndIsCreated)
{
    const std::string root = Paths()->MakerDataFolder("");
    EXPECT_EQ(root, TestDataHome() + "/Quendal Enterprises/");
    EXPECT_TRUE(FolderExists(root));

    const std::string settings = Paths()->MakerDataFolder("Settings");
    EXPECT_EQ(settings, root + "Settings/");
    EXPECT_TRUE(FolderExists(settings));
    EXPECT_EQ(Paths()->MakerDataFolder("Settings"), settings);

    // A sub-folder name may name several levels at once.
    const std::string deep = Paths()->MakerDataFolder("Help/Orvanto");
    EXPECT_EQ(deep, root + "Help/Orvanto/");
    EXPECT_TRUE(FolderExists(deep));
}

TEST(Paths, MenuAreaIsCreatedOnlyWhenAsked)
{
    const std::string programs = Paths()->ProgramsFolder();
    EXPECT_EQ(programs, TestDataHome() + "/applications/");
    const std::string pictures = Paths()->MakerMenuFolder("Pictures", false);
    EXPECT_EQ(pictures, programs + "Quendal Enterprises/Pictures/");
    EXPECT_FALSE(FolderExists(pictures));
    EXPECT_EQ(Paths()->MakerMenuFolder("Pictures", true), pictures);
    EXPECT_TRUE(FolderExists(pictures));
    EXPECT_EQ(Paths()->MakerMenuFolder("", false), programs + "Quendal Enterprises/");
}

TEST(Paths, FolderExistsAndForceFolders)
{
    const std::string base = MakeTempFolder("force");
    const std::string deep = base + "one/two/three";
    EXPECT_FALSE(FolderExists(deep));
    ForceFolders(deep + "/");
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(FolderExists(deep + "/"));
    EXPECT_FALSE(FolderExists(""));
    WriteWholeFile(base + "file", "x");
    EXPECT_FALSE(FolderExists(base + "file"));
    ForceFolders(""); // nothing to do, no crash
}

TEST(Paths, RemoveFile)
{
    const std::string folder = MakeTempFolder("remove");
    const std::string plain = folder + "plain.txt";
    const std::string readOnly = folder + "readonly.txt";
    WriteWholeFile(plain, "a");
    WriteWholeFile(readOnly, "b");
    ::chmod(readOnly.c_str(), S_IRUSR);

    EXPECT_TRUE(Paths()->RemoveFile(plain));
    EXPECT_FALSE(IsFile(plain));
    EXPECT_TRUE(Paths()->RemoveFile(readOnly));
    EXPECT_FALSE(IsFile(readOnly));
    EXPECT_TRUE(Paths()->RemoveFile(folder + "missing.txt"));
    // A link goes; the file it points to keeps its contents and permissions.
    const std::string target = folder + "target.txt";
    const std::string link = folder + "link.txt";
    WriteWholeFile(target, "t");
    ::chmod(target.c_str(), S_IRUSR);
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_TRUE(Paths()->RemoveFile(link));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, unsigned(S_IRUSR));
    // A folder is not a file: left alone, and reported as "not there".
    EXPECT_TRUE(Paths()->RemoveFile(folder));
    EXPECT_TRUE(FolderExists(folder));
}

TEST(Paths, CopyFileOver)
{
    const std::string folder = MakeTempFolder("copy");
    const std::string source = folder + "source.bin";
    WriteWholeFile(source, std::string("\0\1\2data", 7));

    const std::string target = folder + "new/level/target.bin";
    EXPECT_TRUE(Paths()->CopyFileOver(source, target));
    EXPECT_EQ(ReadWholeFile(target), ReadWholeFile(source));

    const std::string readOnly = folder + "readonly.bin";
    WriteWholeFile(readOnly, "old contents");
    ::chmod(readOnly.c_str(), S_IRUSR);
    EXPECT_TRUE(Paths()->CopyFileOver(source, readOnly));
    EXPECT_EQ(ReadWholeFile(readOnly), ReadWholeFile(source));

    const std::string untouched = folder + "untouched.bin";
    WriteWholeFile(untouched, "keep");
    EXPECT_FALSE(Paths()->CopyFileOver(folder + "missing.bin", untouched));
    EXPECT_EQ(ReadWholeFile(untouched), "keep");

    // A program started from its own copy: the same file under its own name
    // or through a link stays whole.
    const std::string link = folder + "link.bin";
    ASSERT_EQ(::symlink(source.c_str(), link.c_str()), 0);
    for (const std::string& same : {source, link}) {
        EXPECT_TRUE(Paths()->CopyFileOver(source, same)) << same;
        EXPECT_EQ(ReadWholeFile(source), std::string("\0\1\2data", 7)) << same;
    }
    // Replacing is atomic: a reader of the old file keeps reading it.
    std::ifstream reader(untouched, std::ios::binary);
    EXPECT_TRUE(Paths()->CopyFileOver(source, untouched));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "keep");
    EXPECT_EQ(ReadWholeFile(untouched), ReadWholeFile(source));

    // A copy already in place is not written again; one that differs in a
    // byte or in its permissions is.
    struct stat before {}, after {};
    ASSERT_EQ(::stat(untouched.c_str(), &before), 0);
    EXPECT_TRUE(Paths()->CopyFileOver(source, untouched));
    ASSERT_EQ(::stat(untouched.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    for (const bool sameBytes : {false, true}) {
        WriteWholeFile(untouched, sameBytes ? std::string("\0\1\2data", 7) : std::string("\0\1\2dat!", 7));
        ::chmod(untouched.c_str(), sameBytes ? S_IRUSR : before.st_mode & 07777);
        EXPECT_TRUE(Paths()->CopyFileOver(source, untouched));
        EXPECT_EQ(ReadWholeFile(untouched), ReadWholeFile(source));
        ASSERT_EQ(::stat(untouched.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    }
}

TEST(Paths, OpenDocumentGoesThroughTheShell)
{
    auto shell = std::make_unique<TRecordingShell>();
    TRecordingShell* recorded = shell.get();
    auto previous = Platform().SetShell(std::move(shell));

    const std::string folder = MakeTempFolder("open");
    const std::string page = folder + "page.html";
    const std::string program = folder + "program";
    WriteWholeFile(page, "<html/>");
    WriteWholeFile(program, "#!/bin/sh\n");
    ::chmod(program.c_str(), S_IRWXU);

    EXPECT_TRUE(Paths()->OpenDocument(page, ""));
    EXPECT_TRUE(Paths()->OpenDocument("https://example.org/", ""));
    EXPECT_TRUE(Paths()->OpenDocument(program, "--flag"));
    recorded->Fail = true;
    // The request counts as made whatever the desktop answers.
    EXPECT_TRUE(Paths()->OpenDocument(page, ""));

    ASSERT_EQ(recorded->Requests.size(), 4u);
    EXPECT_FALSE(recorded->Requests[0].IsProgram);
    EXPECT_EQ(recorded->Requests[0].Target, page);
    EXPECT_EQ(recorded->Requests[0].WorkingFolder, folder);
    EXPECT_EQ(recorded->Requests[1].Target, "https://example.org/");
    EXPECT_TRUE(recorded->Requests[2].IsProgram);
    EXPECT_EQ(recorded->Requests[2].Parameters, "--flag");
    Platform().SetShell(std::move(previous));
}

TEST(Paths, AccessorRecreatesAfterFree)
{
    ASSERT_NE(Paths(), nullptr);
    FreePaths();
    ASSERT_NE(Paths(), nullptr);
}

} // namespace
