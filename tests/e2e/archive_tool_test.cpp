// The archive commands of orvanto-tool, run as the team runs them to make
// the splash and help archives.
#include "archive/zip_box.h"
#include "support/files/file_listing.h"
#include "support/files/paths.h"
#include "tests/e2e/tool_run.h"
#include "tests/test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace orvanto;

namespace {

std::string RandomBytes(std::size_t count)
{
    std::mt19937 random(42);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

std::vector<std::string> Files(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ArchiveTool, RoundTripsAFolderByteForByte)
{
    const std::string in = MakeTempFolder("archive-in");
    const struct {
        std::string Name;
        std::string Bytes;
        int Method;
    } files[] = {
        {"empty.txt", "", 0},
        {std::string(255, 'n'), "a name as long as a file name gets", 0},
        {"binary.dat", RandomBytes(70000), 0},
        {"every byte", [] { std::string s; for (int i = 0; i < 256; ++i) s += char(i); return s; }(), 0},
        {"big.txt", std::string(5 * 1024 * 1024, 'z') + "end", 1},
        {"page.htm", std::string(2000, '<'), 1},
    };
    std::vector<std::string> arguments{"archive", "create", in + "../archive.arc"};
    for (const auto& f : files) {
        ASSERT_TRUE(WriteWholeFile(in + f.Name, f.Bytes));
        arguments.push_back(in + f.Name);
    }
    const TToolRun created = RunOrvantoTool(arguments);
    ASSERT_EQ(created.Status, 0) << created.Err;

    const TToolRun listed = RunOrvantoTool({"archive", "list", in + "../archive.arc"});
    ASSERT_EQ(listed.Status, 0) << listed.Err;
    std::string expected;
    for (const auto& f : files)
        expected += f.Name + "\t\\\t" + std::to_string(f.Method) + "\t" + std::to_string(f.Bytes.size())
            + "\t";
    // The stored sizes depend on zlib; compare everything before them.
    std::string listedWithoutStoredSizes;
    std::size_t start = 0;
    while (start < listed.Out.size()) {
        const std::size_t end = listed.Out.find('\n', start);
        const std::string line = listed.Out.substr(start, end - start);
        listedWithoutStoredSizes += line.substr(0, line.rfind('\t') + 1);
        start = end + 1;
    }
    EXPECT_EQ(listedWithoutStoredSizes, expected);

    const std::string out = MakeTempFolder("archive-out");
    const TToolRun extracted = RunOrvantoTool({"archive", "extract", in + "../archive.arc", out});
    ASSERT_EQ(extracted.Status, 0) << extracted.Err;
    EXPECT_EQ(Files(out), Files(in));
    for (const auto& f : files)
        EXPECT_EQ(ReadWholeFile(out + f.Name), f.Bytes) << f.Name.substr(0, 20);
}

TEST(ArchiveTool, CreateOptions)
{
    const std::string in = MakeTempFolder("archive-options");
    ASSERT_TRUE(WriteWholeFile(in + "a.htm", std::string(1000, 'a')));
    const struct {
        std::vector<std::string> Options;
        std::string Line;
    } cases[] = {
        {{}, "a.htm\t\\\t1\t1000\t"},
        {{"--store"}, "a.htm\t\\\t0\t1000\t1000\n"},
        {{"--path", "pics"}, "a.htm\tpics\\\t1\t1000\t"},
        {{"--path", "\\pics\\", "--store"}, "a.htm\t\\pics\\\t0\t1000\t1000\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"archive", "create", in + "x.arc", in + "a.htm"};
        arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
        ASSERT_EQ(RunOrvantoTool(arguments).Status, 0);
        const TToolRun listed = RunOrvantoTool({"archive", "list", in + "x.arc"});
        EXPECT_EQ(listed.Out.substr(0, c.Line.size()), c.Line);
    }
    const TToolRun twice = RunOrvantoTool({"archive", "create", in + "y.arc", in + "a.htm", in + "a.htm"});
    EXPECT_EQ(twice.Status, 1);
    EXPECT_FALSE(IsFile(in + "y.arc"));
    EXPECT_EQ(RunOrvantoTool({"archive", "create", in + "y.arc"}).Status, 1);
    EXPECT_EQ(RunOrvantoTool({"archive", "create", in + "y.arc", in + "missing"}).Status, 1);
    const TToolRun notArchive = RunOrvantoTool({"archive", "list", in + "a.htm"});
    EXPECT_EQ(notArchive.Status, 1);
    EXPECT_NE(notArchive.Err.find("Unknown format"), std::string::npos) << notArchive.Err;
}

TEST(ArchiveTool, ExtractWritesNothingOutsideTheFolder)
{
    const std::string root = MakeTempFolder("archive-evil");
    const std::string target = root + "target/";
    std::string archive;
    const std::string names[] = {"../evil", "..", ".", "", "sub/file", "..\\evil2", "/tmp/abs",
                                 std::string(256, 'x'), "good.txt"};
    for (const auto& name : names)
        archive += PackBoxItem(name, "\\", "payload of " + name, false)->WriteRecord();
    ASSERT_TRUE(WriteWholeFile(root + "evil.arc", archive));
    const TToolRun run = RunOrvantoTool({"archive", "extract", root + "evil.arc", target});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Unexpected error"), std::string::npos) << run.Err;
    EXPECT_EQ(Files(target), std::vector<std::string>{"good.txt"});
    EXPECT_EQ(Files(root), (std::vector<std::string>{"evil.arc", "target"}));
    EXPECT_FALSE(IsFile("/tmp/abs"));
    EXPECT_EQ(ReadWholeFile(target + "good.txt"), "payload of good.txt");
}

} // namespace
