// orvanto-tool as a user runs it: the format list and opening through the
// registry.
#include "imaging/library/jpeg_codec.h"
#include "tests/e2e/tool_run.h"
#include "tests/test_support.h"

#include <QImage>
#include <QProcess>
#include <QStringList>

#include <cstdlib>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TToolRun RunTool(const QStringList& arguments)
{
    std::vector<std::string> list;
    for (const QString& argument : arguments)
        list.push_back(argument.toStdString());
    return RunOrvantoTool(list);
}

} // namespace

TEST(ToolFormats, ListsTheFormatsAndTheFilter)
{
    const TToolRun run = RunTool({QStringLiteral("formats")});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const QStringList lines = QString::fromStdString(run.Out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 25);
    EXPECT_EQ(lines[0].simplified(), QStringLiteral("0 .BMP Bitmap"));
    EXPECT_EQ(lines[10].simplified(), QStringLiteral("10 .PBM Portable Bitmap (Monochrome)"));
    EXPECT_EQ(lines[13].simplified(), QStringLiteral("13 .OMI Optimised Multiformat Image"));
    EXPECT_EQ(lines[14].simplified(), QStringLiteral("14 .PNG PNG Picture"));
    EXPECT_EQ(lines[21].simplified(), QStringLiteral("21 .AVIF AVIF Picture"));
    EXPECT_EQ(lines[22].simplified(), QStringLiteral("22 .JPEG Jpeg"));
    EXPECT_EQ(lines[23].simplified(), QStringLiteral("23 .JPE Jpeg"));
    EXPECT_TRUE(lines[24].startsWith(QStringLiteral("filter: All Pictures|*.BMP;*.DIB;*.RLE;")))
        << lines[24].toStdString();
    EXPECT_TRUE(lines[24].endsWith(QStringLiteral("|Jpeg (*.jpe)|*.JPE;|")));
}

TEST(ToolOpen, FailuresPrintTheOpenErrorText)
{
    const std::string folder = MakeTempFolder("tool-open");
    WriteWholeFile(folder + "x.jfif", "whatever");
    struct TCase {
        std::string File;
        const char* Error;
    };
    const TCase cases[] = {
        {folder + "x.jfif", "Index out of range\n"},
        {folder + "x.ppm", "File not found\n"},
        {folder + "x.OMI", "File not found\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        const TToolRun run = RunTool({QStringLiteral("info"), QString::fromStdString(c.File)});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, c.Error);
    }
}

TEST(ToolOpen, InfoPrintsTheSizeOfEveryWiredFormat)
{
    const std::string folder = MakeTempFolder("tool-open-ok");
    QImage sample(7, 4, QImage::Format_RGB32);
    sample.fill(Qt::cyan);
    ASSERT_TRUE(sample.save(QString::fromStdString(folder + "a.bmp"), "BMP"));
    WriteWholeFile(folder + "a.DIB", ReadWholeFile(folder + "a.bmp"));
    WriteWholeFile(folder + "a.rle", ReadWholeFile(folder + "a.bmp"));
    WriteWholeFile(folder + "a.PPM", "P3 2 1 255 1 2 3 4 5 6");
    WriteWholeFile(folder + "a.pgm", "P2 3 2 9 1 2 3 4 5 6");
    WriteWholeFile(folder + "a.pbm", "P1 4 1 1 0 1 0");
    WriteWholeFile(folder + "a.xbm",
                   "#define a_width 9\n#define a_height 2\nstatic char a_bits[] = {1,0,2,0};\n");
    WriteWholeFile(folder + "a.WMF", ReadWholeFile(TestDataPath("metafiles/wmf_bitmap.wmf")));
    WriteWholeFile(folder + "a.emf", ReadWholeFile(TestDataPath("metafiles/emf_shapes.emf")));
    std::string error;
    ASSERT_TRUE(SaveJpegFile(sample.convertToFormat(QImage::Format_BGR888), 80, folder + "a.jpg", error));
    WriteWholeFile(folder + "a.JIF", ReadWholeFile(folder + "a.jpg"));
    WriteWholeFile(folder + "a.jpeg", ReadWholeFile(folder + "a.jpg"));
    // A 1 x 1 icon of 32 bits, opaque.
    const std::string icon = std::string("\0\0\1\0\1\0\1\1\0\0\1\0\x20\0\x30\0\0\0\x16\0\0\0", 22)
        + std::string("\x28\0\0\0\1\0\0\0\2\0\0\0\1\0\x20\0", 16) + std::string(24, '\0')
        + std::string("\x10\x20\x30\xFF", 4) + std::string(4, '\0');
    WriteWholeFile(folder + "a.ico", icon);
    for (const char* name : {"a.png", "a.tif", "a.webp"})
        ASSERT_TRUE(sample.save(QString::fromStdString(folder + name))) << name;
    ASSERT_EQ(std::system(("cd " + folder + " && convert a.bmp a.GIF && convert a.bmp a.heic && convert a.bmp a.AVIF").c_str()), 0);
    // The own formats are written by convert from the bitmap (read through
    // the registry too).
    for (const char* name : {"a.TEP", "a.omi"}) {
        const TToolRun made = RunTool({QStringLiteral("convert"), QString::fromStdString(folder + "a.bmp"),
                                   QString::fromStdString(folder + name)});
        ASSERT_EQ(made.Status, 0) << name << ": " << made.Err;
    }
    const std::pair<const char*, const char*> cases[] = {
        {"a.TEP", "7 4 Text Picture"},    {"a.omi", "7 4 Optimised Multiformat Image"},
        {"a.jpg", "7 4 Jpeg"}, {"a.JIF", "7 4 Jpeg"}, {"a.jpeg", "7 4 Jpeg"}, {"a.ico", "1 1 Icon"},
        {"a.bmp", "7 4 Bitmap"},           {"a.DIB", "7 4 Device Independant Bitmap"},
        {"a.rle", "7 4 Windows RLE"},      {"a.PPM", "2 1 Portable Pixelmaxp"},
        {"a.pgm", "3 2 Portable Graymap"}, {"a.pbm", "4 1 Portable Bitmap (Monochrome)"},
        {"a.xbm", "9 2 X Bitmap (Monochrome)"},
        {"a.WMF", "Windows Metafile"},     {"a.emf", "Enhanced Windows Metafile"},
        {"a.png", "7 4 PNG Picture"},      {"a.GIF", "7 4 GIF Picture"},
        {"a.tif", "7 4 TIFF Picture"},     {"a.webp", "7 4 WebP Picture"},
        {"a.heic", "7 4 HEIC/HEIF Picture"}, {"a.AVIF", "7 4 AVIF Picture"},
    };
    for (const auto& [name, start] : cases) {
        SCOPED_TRACE(name);
        const TToolRun run = RunTool({QStringLiteral("info"), QString::fromStdString(folder + name)});
        EXPECT_EQ(run.Status, 0) << run.Err;
        // Metafile sizes depend on the screen's resolution: only the name is fixed.
        if (std::string(start).find("Metafile") != std::string::npos)
            EXPECT_NE(run.Out.find(start), std::string::npos) << run.Out;
        else
            EXPECT_EQ(run.Out.rfind(start, 0), 0u) << run.Out;
    }
}
