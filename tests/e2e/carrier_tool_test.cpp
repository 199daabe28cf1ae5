// Carrier pictures made by orvanto-tool: an archive hidden in the pixels of
// a 24-bit Windows bitmap, found again where the program looks for it.
#include "archive/zip_box.h"
#include "support/files/file_listing.h"
#include "tests/e2e/tool_run.h"
#include "tests/test_support.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

using namespace orvanto;

namespace {

int Tool(const std::vector<std::string>& arguments, std::string* err = nullptr)
{
    const TToolRun run = RunOrvantoTool(arguments);
    if (err)
        *err = run.Err;
    return run.Status;
}

std::uint32_t Le32(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return v;
}

std::string RandomBytes(std::size_t count)
{
    std::mt19937 random(7);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

TEST(CarrierTool, HoldsTheArchiveWhereTheProgramLooks)
{
    const std::string folder = MakeTempFolder("carrier");
    const struct {
        const char* Case;
        std::vector<std::pair<std::string, std::string>> Files;
        int Width;
    } cases[] = {
        {"one small file", {{"splash.bmp", std::string(300, 's')}}, 334},
        {"help pages",
         {{"index.htm", std::string(20000, 'h')}, {"empty.css", ""}, {"pic.png", RandomBytes(30000)},
          {std::string(255, 'L'), "long name"}},
         334},
        {"5 MB", {{"big.bin", RandomBytes(5 * 1024 * 1024)}}, 334},
        {"narrow, odd width", {{"a.txt", "abc"}, {"b.txt", RandomBytes(3000)}}, 1},
        {"wide", {{"a.txt", RandomBytes(100)}}, 1001},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder + "in");
        std::filesystem::remove_all(folder + "out");
        std::filesystem::create_directories(folder + "in");
        std::vector<std::string> create{"archive", "create", folder + "a.arc"};
        for (const auto& [name, bytes] : c.Files) {
            ASSERT_TRUE(WriteWholeFile(folder + "in/" + name, bytes));
            create.push_back(folder + "in/" + name);
        }
        ASSERT_EQ(Tool(create), 0) << c.Case;
        std::vector<std::string> make{"carrier", "make", folder + "a.arc", folder + "c.bmp"};
        if (c.Width != 334) {
            make.push_back("--width");
            make.push_back(std::to_string(c.Width));
        }
        std::string err;
        ASSERT_EQ(Tool(make, &err), 0) << c.Case << err;

        // The file image: headers, 100 filler bytes, the archive, filler.
        const std::string archive = ReadWholeFile(folder + "a.arc");
        const std::string image = ReadWholeFile(folder + "c.bmp");
        const std::size_t rowBytes = (std::size_t(c.Width) * 3 + 3) / 4 * 4;
        const std::size_t rows = (100 + archive.size() + rowBytes - 1) / rowBytes;
        ASSERT_EQ(image.size(), 54 + rows * rowBytes) << c.Case;
        EXPECT_EQ(image.substr(0, 2), "BM");
        EXPECT_EQ(Le32(image, 2), image.size());
        EXPECT_EQ(Le32(image, 10), 54u);
        EXPECT_EQ(Le32(image, 18), std::uint32_t(c.Width));
        EXPECT_EQ(Le32(image, 22), rows);
        EXPECT_EQ(image[28], 24);
        EXPECT_EQ(image.substr(54, 100), std::string(100, '\xFF')) << c.Case;
        EXPECT_TRUE(image.compare(154, archive.size(), archive) == 0) << c.Case;
        EXPECT_EQ(image.substr(154 + archive.size()), std::string(image.size() - 154 - archive.size(), '\xFF'))
            << c.Case;

        // An ordinary bitmap reader opens it.
        QImage opened;
        ASSERT_TRUE(opened.load(QString::fromStdString(folder + "c.bmp"), "BMP")) << c.Case;
        EXPECT_EQ(opened.width(), c.Width);
        EXPECT_EQ(opened.height(), int(rows));

        // And the archive comes back out of it, byte for byte.
        ASSERT_EQ(Tool({"archive", "extract", folder + "c.bmp", folder + "out"}), 0) << c.Case;
        for (const auto& [name, bytes] : c.Files)
            EXPECT_EQ(ReadWholeFile(folder + "out/" + name), bytes) << c.Case;
    }
}

TEST(CarrierTool, ArchiveListReadsACarrier)
{
    const std::string folder = MakeTempFolder("carrier-list");
    ASSERT_TRUE(WriteWholeFile(folder + "x.txt", std::string(500, 'x')));
    ASSERT_EQ(Tool({"archive", "create", folder + "a.arc", folder + "x.txt", "--path", "docs"}), 0);
    ASSERT_EQ(Tool({"carrier", "make", folder + "a.arc", folder + "c.bmp"}), 0);
    QProcess process;
    process.start(QStringLiteral(ORVANTO_BINARY_DIR "/bin/orvanto-tool"),
                  {"archive", "list", QString::fromStdString(folder + "c.bmp")});
    process.waitForFinished(60000);
    EXPECT_EQ(process.readAllStandardOutput().toStdString().substr(0, 18), "x.txt\tdocs\\\t1\t500\t");
}

TEST(CarrierTool, RefusesWhatItCannotCarry)
{
    const std::string folder = MakeTempFolder("carrier-refuse");
    ASSERT_TRUE(WriteWholeFile(folder + "not.arc", "plain text, no records"));
    ASSERT_TRUE(WriteWholeFile(folder + "x", "x"));
    ASSERT_EQ(Tool({"archive", "create", folder + "a.arc", folder + "x"}), 0);
    const struct {
        const char* Case;
        std::vector<std::string> Arguments;
        const char* Message;
    } cases[] = {
        {"not an archive", {"make", folder + "not.arc", folder + "c.bmp"}, "Unknown format"},
        {"missing archive", {"make", folder + "none.arc", folder + "c.bmp"}, "File not found"},
        {"zero width", {"make", folder + "a.arc", folder + "c.bmp", "--width", "0"}, "width"},
        {"width not a number", {"make", folder + "a.arc", folder + "c.bmp", "--width", "3x"}, "Usage"},
        {"no output", {"make", folder + "a.arc"}, "Usage"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"carrier"};
        arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
        std::string err;
        EXPECT_EQ(Tool(arguments, &err), 1) << c.Case;
        EXPECT_NE(err.find(c.Message), std::string::npos) << c.Case << ": " << err;
        EXPECT_FALSE(IsFile(folder + "c.bmp")) << c.Case;
    }
}

} // namespace
