#include "codec_test_support.h"

#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/x_bitmap.h"
#include "tests/test_support.h"

#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <random>

using namespace orvanto;

// Our readers against independent ones on the same files: Qt's own image
// readers, and Netpbm's tools, which write the files people actually have.

namespace {

using TRows = std::vector<std::vector<unsigned>>;

QImage Noise(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned value = random();
            // Some pure black and white, so the bitmaps get both.
            const unsigned pixel = value % 5 == 0 ? 0 : value % 5 == 1 ? 0xffffff : value & 0xffffff;
            picture.setPixel(x, y, 0xff000000u | pixel);
        }
    return picture;
}

TRows QtPixels(const std::string& bytes, const char* format)
{
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QImage picture = reader.read();
    EXPECT_FALSE(picture.isNull()) << reader.errorString().toStdString();
    return PixelsOf(picture.convertToFormat(QImage::Format_RGB32));
}

TEST(Differential, QtReadsWhatWeWriteAsWeDo)
{
    const QImage picture = Noise(13, 5); // odd width: bitmap rows end inside a byte
    const struct {
        int Type;
        const char* Format;
    } cases[] = {{1, "pbm"}, {2, "pgm"}, {3, "ppm"}, {4, "pbm"}, {5, "pgm"}, {6, "ppm"}};
    for (const auto& c : cases) {
        TPortablePixelmap writer;
        writer.AssignBitmap(picture);
        writer.SetPixelType(c.Type);
        const std::string bytes = SaveBytes(writer);
        const TLoadResult ours = LoadBytes<TPortablePixelmap>(bytes);
        ASSERT_EQ(ours.Message, "") << c.Type;
        EXPECT_EQ(PixelsOf(ours.Picture), QtPixels(bytes, c.Format)) << "type " << c.Type;
    }
    TXBitmap writer;
    writer.AssignBitmap(picture);
    const std::string bytes = SaveBytes(writer);
    const TLoadResult ours = LoadBytes<TXBitmap>(bytes);
    ASSERT_EQ(ours.Message, "");
    EXPECT_EQ(PixelsOf(ours.Picture), QtPixels(bytes, "xbm"));
}

// Runs a shell pipeline in folder; its standard output.
std::string Shell(const std::string& folder, const std::string& command)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.start("/bin/sh", {"-c", QString::fromStdString(command)});
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << command << ": " << process.readAllStandardError().toStdString();
    const QByteArray out = process.readAllStandardOutput();
    return std::string(out.constData(), std::size_t(out.size()));
}

TEST(Differential, NetpbmFilesReadAsNetpbmReadsThem)
{
    // A comparison that cannot run is a failure, not a skip: scripts/test
    // installs Netpbm (scripts/packages-test).
    ASSERT_FALSE(QStandardPaths::findExecutable("pamtopnm").isEmpty()) << "Netpbm is not installed";
    const std::string folder = MakeTempFolder("netpbm");
    TPortablePixelmap writer;
    writer.AssignBitmap(Noise(37, 11));
    writer.SetPixelType(6);
    ASSERT_TRUE(WriteWholeFile(folder + "source.ppm", SaveBytes(writer)));
    // Every file as Netpbm's tools write it: raw and plain, maximum values 1, 15, 255, 65535.
    const struct {
        const char* Name;
        const char* Make;
    } cases[] = {
        {"p6.ppm", "pamtopnm source.ppm"},
        {"p3.ppm", "pnmtoplainpnm source.ppm"},
        {"p6-15.ppm", "pamdepth 15 source.ppm"},
        {"p3-15.ppm", "pamdepth 15 source.ppm | pnmtoplainpnm"},
        {"p6-65535.ppm", "pamdepth 65535 source.ppm"},
        {"p5.pgm", "ppmtopgm source.ppm"},
        {"p2.pgm", "ppmtopgm source.ppm | pnmtoplainpnm"},
        {"p5-15.pgm", "ppmtopgm source.ppm | pamdepth 15"},
        {"p5-65535.pgm", "ppmtopgm source.ppm | pamdepth 65535"},
        {"p4.pbm", "ppmtopgm source.ppm | pgmtopbm -threshold"},
        {"p1.pbm", "ppmtopgm source.ppm | pgmtopbm -threshold | pnmtoplainpnm"},
        {"comment.ppm", "pamtopnm source.ppm | sed '1a# written by hand'"},
        {"one-line-header.ppm", "pamtopnm source.ppm | { read m; read s; read v; printf '%s %s %s\\n' $m \"$s\" $v; cat; }"},
    };
    for (const auto& c : cases) {
        Shell(folder, std::string(c.Make) + " > " + c.Name);
        // Netpbm's own reading of the file, as a raw pixmap with maximum 255.
        const std::string reference = Shell(folder, std::string("pamdepth 255 ") + c.Name + " | ppmtoppm");
        const TLoadResult expected = LoadBytes<TPortablePixelmap>(reference);
        ASSERT_EQ(expected.Message, "") << c.Name;
        TPortablePixelmap ours;
        ASSERT_TRUE(ours.TryLoadFromFile(folder + c.Name)) << c.Name << ": " << ours.LastError;
        EXPECT_EQ(PixelsOf(ours.Picture), PixelsOf(expected.Picture)) << c.Name;
    }

    Shell(folder, "ppmtopgm source.ppm | pgmtopbm -threshold | pbmtoxbm > x.xbm");
    const TLoadResult expected =
        LoadBytes<TPortablePixelmap>(Shell(folder, "xbmtopbm x.xbm | pamdepth 255 | ppmtoppm"));
    TXBitmap ours;
    ASSERT_TRUE(ours.TryLoadFromFile(folder + "x.xbm")) << ours.LastError;
    EXPECT_EQ(PixelsOf(ours.Picture), PixelsOf(expected.Picture));
}

} // namespace
