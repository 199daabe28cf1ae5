#include "support/files/file_listing.h"

#include "support/files/paths.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace orvanto;

namespace {

TEST(FileListing, IsFile)
{
    const std::string folder = MakeTempFolder("isfile");
    WriteWholeFile(folder + "f", "");
    EXPECT_TRUE(IsFile(folder + "f"));
    EXPECT_FALSE(IsFile(folder));
    EXPECT_FALSE(IsFile(folder + "missing"));
    EXPECT_FALSE(IsFile(""));
}

TEST(FileListing, ListFilesLeavesOutFoldersAndHiddenFiles)
{
    const std::string folder = MakeTempFolder("list-files");
    for (const char* name : {"a.ZMP", "b.zmp", "c.txt", ".hidden.ZMP"})
        ASSERT_TRUE(WriteWholeFile(folder + name, "x"));
    ForceFolders(folder + "sub.ZMP/");

    const auto lines = [](const std::string& text) {
        std::multiset<std::string> out;
        std::size_t start = 0;
        for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
            out.insert(text.substr(start, end - start));
            start = end + 2;
        }
        EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
        return out;
    };
    EXPECT_EQ(lines(ListFiles(folder + "*.ZMP", false)),
              (std::multiset<std::string>{"a.ZMP", "b.zmp"}));
    EXPECT_EQ(lines(ListFiles(folder + "*.ZMP", true)),
              (std::multiset<std::string>{folder + "a.ZMP", folder + "b.zmp"}));
    EXPECT_EQ(lines(ListFiles(folder + "?.txt", false)), (std::multiset<std::string>{"c.txt"}));
    EXPECT_EQ(ListFiles(folder + "*.none", false), "");
    EXPECT_EQ(ListFiles(folder + "missing/*", true), "");
}

} // namespace
