// `orvanto-tool info` and `convert` on the pixmap family and X Bitmap, run
// as a user runs them.
#include "tests/e2e/tool_run.h"
#include "tests/test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvanto;

namespace {

TEST(PictureTool, InfoNamesSizeAndFormat)
{
    const std::string folder = MakeTempFolder("tool-info");
    const struct {
        const char* Name;
        std::string Bytes;
        int Status;
        std::string Out, Err;
    } cases[] = {
        {"a.ppm", "P6 2 3 255\n" + std::string(18, 'x'), 0, "2 3 Portable Pixelmaxp P6\n", ""},
        {"b.pgm", "P2\n5 1\n15\n1 2 3 4 5\n", 0, "5 1 Portable Graymap P2\n", ""},
        {"c.pbm", "P1 3 2 010101", 0, "3 2 Portable Bitmap (Monochrome) P1\n", ""},
        {"d.xbm", "#define d_width 9\n#define d_height 4\nstatic char d_bits[] = {};\n", 0, "9 4 X Bitmap (Monochrome)\n", ""},
        {"e.ppm", "#P6", 1, "", "Unknown format\n"},
        {"f.xbm", "#define", 1, "", "Unknown format\n"},
        // Files open as the program opens them: the codecs' own messages
        // become the registry's "Unknown format".
        {"g.pgm", "P5\n0 0\n", 1, "", "Unknown format\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(folder + c.Name, c.Bytes));
        const TToolRun run = RunOrvantoTool({"info", folder + c.Name});
        EXPECT_EQ(run.Status, c.Status) << c.Name;
        EXPECT_EQ(run.Out, c.Out) << c.Name;
        EXPECT_EQ(run.Err, c.Err) << c.Name;
    }
    EXPECT_EQ(RunOrvantoTool({"info", folder + "missing.ppm"}).Err, "File not found\n");
}

TEST(PictureTool, ConvertWritesTheTypeTheExtensionOrOptionNames)
{
    const std::string folder = MakeTempFolder("tool-convert");
    ASSERT_TRUE(WriteWholeFile(folder + "in.ppm", "P3\n2 1\n255\n0 0 0 200 100 50\n"));
    const struct {
        const char* Out;
        std::vector<std::string> Options;
        std::string Bytes;
    } cases[] = {
        {"o.ppm", {}, std::string("P6\n2 1\n\n255\n\0\0\0\xc8\x64\x32", 18)},
        {"o.pgm", {}, std::string("P5\n2 1\n\n255\n\0\xc8", 14)},
        {"o.pbm", {}, std::string("P4\n2 1\n\x80", 8)},
        {"p.pbm", {"--pnm-type", "1"}, "P1\n2 1\n1 0 "},
        {"p.ppm", {"--pnm-type", "3"}, "P3\n2 1\n\n255\n0 0 0 200 100 50 "},
        {"o.xbm", {}, "#define image_width 2\r\n#define image_height 1\r\nstatic char image_bits[] = {\r\n0x01, };"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"convert", folder + "in.ppm", folder + c.Out};
        arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
        const TToolRun run = RunOrvantoTool(arguments);
        EXPECT_EQ(run.Status, 0) << c.Out << ": " << run.Err;
        EXPECT_EQ(ReadWholeFile(folder + c.Out), c.Bytes) << c.Out;
    }
}

TEST(PictureTool, ConvertsAnXBitmapToARawBitmapBitForBit)
{
    const std::string folder = MakeTempFolder("tool-xbm");
    ASSERT_TRUE(WriteWholeFile(folder + "in.xbm",
                               "#define p_width 10\n#define p_height 2\nstatic char p_bits[] = {\n0x01, 0xfe, 0x00, 0x02 };\n"));
    const std::string bitmap("P4\n10 2\n\x80\x40\x00\x40", 12);
    const struct {
        const char* Out;
        std::vector<std::string> Options;
        std::string Bytes;
    } cases[] = {
        {"o.pbm", {}, bitmap},
        {"t.pbm", {"--pnm-type", "4"}, bitmap},
        {"r.pbm", {"--rotate", "180"}, std::string("P4\n10 2\n\x80\x00\x80\x40", 12)},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"convert", folder + "in.xbm", folder + c.Out};
        arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
        const TToolRun run = RunOrvantoTool(arguments);
        EXPECT_EQ(run.Status, 0) << c.Out << ": " << run.Err;
        EXPECT_EQ(ReadWholeFile(folder + c.Out), c.Bytes) << c.Out;
    }
}

TEST(PictureTool, AFailedConvertLeavesNoOutput)
{
    const std::string folder = MakeTempFolder("tool-fail");
    ASSERT_TRUE(WriteWholeFile(folder + "bad.ppm", "Q6 1 1 255\n"));
    ASSERT_TRUE(WriteWholeFile(folder + "good.ppm", "P6 1 1 255\nabc"));
    ASSERT_TRUE(WriteWholeFile(folder + "good.xbm", "#define g_width 1\n#define g_height 1\nstatic char g[] = {\n0x01 };\n"));
    const struct {
        std::vector<std::string> Arguments;
        std::string Err;
    } cases[] = {
        {{"convert", folder + "bad.ppm", folder + "out.ppm"}, "Unknown format\n"},
        {{"convert", folder + "good.ppm", folder + "out.ppm", "--pnm-type", "7"}, "--pnm-type needs a whole number from 1 to 6\n"},
        {{"convert", folder + "good.ppm", folder + "no-such-folder/out.ppm"}, "File in use.\n"},
        {{"convert", folder + "good.xbm", folder + "no-such-folder/out.pbm"}, "File in use.\n"},
    };
    for (const auto& c : cases) {
        const TToolRun run = RunOrvantoTool(c.Arguments);
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, c.Err);
    }
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"bad.ppm", "good.ppm", "good.xbm"}));
}

} // namespace
