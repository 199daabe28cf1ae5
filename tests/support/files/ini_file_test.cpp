#include "support/files/ini_file.h"

#include "tests/test_support.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(IniFile, ReadsSectionsForgivingly)
{
    const std::string file = MakeTempFolder("ini-read") + "Orvanto.INI";
    WriteWholeFile(file, "; comment\r\n[Other]\r\nA=1\r\n\r\n[settings]\r\n  Scale = 2 \r\n"
                         "# note\r\nnot a pair\r\nEmpty=\r\nWith=equals=inside\r\n[Last]\r\nB=3");
    TIniFile ini(file);
    const auto pairs = ini.ReadSection("Settings");
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0], std::make_pair(std::string("Scale"), std::string("2")));
    EXPECT_EQ(pairs[1], std::make_pair(std::string("Empty"), std::string("")));
    EXPECT_EQ(pairs[2], std::make_pair(std::string("With"), std::string("equals=inside")));
    EXPECT_EQ(ini.ReadString("LAST", "b", "?"), "3");
    EXPECT_EQ(ini.ReadString("Settings", "Missing", "fallback"), "fallback");
    EXPECT_TRUE(TIniFile(file + ".missing").ReadSection("Settings").empty());
}

// A section's pairs as "key=value|key=value".
std::string Joined(const TIniFile::TPairs& pairs)
{
    std::string text;
    for (const auto& [key, value] : pairs)
        text += (text.empty() ? "" : "|") + key + "=" + value;
    return text;
}

// The text padded with comment lines to exactly bytes bytes.
std::string PaddedTo(std::string text, std::int64_t bytes)
{
    text += ";";
    text.resize(std::size_t(bytes) - 1, 'x');
    return text + "\n";
}

TEST(IniFile, ReadsSectionsAsTheFileHoldsThem)
{
    const std::string file = MakeTempFolder("ini-table") + "Orvanto.INI";
    const struct {
        const char* Name;
        std::string Text;
        std::string Section; // "key=value|..." of section Settings
        std::string Copies;  // ReadString of Copies, "?" when missing
    } cases[] = {
        {"a comment inside the section", "[Settings]\n;Copies=5\nZoom=1\n  ; Copies=6\n", "Zoom=1", "?"},
        {"a duplicate key: the first wins", "[Settings]\nCopies=1\nCopies=2\n", "Copies=1|Copies=2", "1"},
        {"a duplicate section adds to the first", "[Settings]\nCopies=3\n[Other]\nX=1\n[SETTINGS]\nCopies=4\nZoom=2\n",
         "Copies=3|Copies=4|Zoom=2", "3"},
        {"at the size cap", PaddedTo("[Settings]\nCopies=7\n", MaxIniBytes), "Copies=7", "7"},
        {"one byte over the size cap", PaddedTo("[Settings]\nCopies=7\n", MaxIniBytes + 1), "", "?"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(file, c.Text));
        const TIniFile ini(file);
        EXPECT_EQ(Joined(ini.ReadSection("Settings")), c.Section) << c.Name;
        EXPECT_EQ(ini.ReadString("Settings", "Copies", "?"), c.Copies) << c.Name;
    }
}

TEST(IniFile, WritesCreatingFileFolderAndSection)
{
    const std::string file = MakeTempFolder("ini-create") + "sub/folder/Orvanto.INI";
    TIniFile ini(file);
    ASSERT_TRUE(ini.WriteStrings("Settings", {{"Copies", "2"}, {"Zoom", "100"}}));
    EXPECT_EQ(ReadWholeFile(file), "[Settings]\nCopies=2\nZoom=100\n");
}

TEST(IniFile, WriteReplacesValuesAndKeepsEverythingElse)
{
    const std::string file = MakeTempFolder("ini-replace") + "Orvanto.INI";
    WriteWholeFile(file, "; keep me\n[Settings]\nCopies=1\nOther=x\n\n[Window]\nLeft=10\n");
    TIniFile ini(file);
    ASSERT_TRUE(ini.WriteStrings("Settings", {{"copies", "3"}, {"New", "n"}}));
    ASSERT_TRUE(ini.WriteString("Window", "Top", "20"));
    ASSERT_TRUE(ini.WriteString("Extra", "K", "v"));
    EXPECT_EQ(ReadWholeFile(file),
              "; keep me\n[Settings]\ncopies=3\nOther=x\nNew=n\n\n[Window]\nLeft=10\nTop=20\n\n"
              "[Extra]\nK=v\n");
    EXPECT_EQ(ini.ReadString("Settings", "Copies", ""), "3");
}

TEST(IniFile, SaveIsAtomicAndFailsCleanly)
{
    const std::string folder = MakeTempFolder("ini-atomic");
    const std::string file = folder + "Orvanto.INI";
    WriteWholeFile(file, "[Settings]\nA=1\n");
    TIniFile ini(file);
    ASSERT_TRUE(ini.WriteString("Settings", "A", "2"));
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files).size(), 1);

    // A path whose folder is a file cannot be written.
    TIniFile broken(file + "/inside.INI");
    EXPECT_FALSE(broken.WriteString("Settings", "A", "1"));
    EXPECT_EQ(broken.LastError(), "Out of disk space");
    EXPECT_EQ(ReadWholeFile(file), "[Settings]\nA=2\n");
}

} // namespace
