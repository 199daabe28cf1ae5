#include "imaging/bitmap/icon_reader.h"

#include "tests/imaging/picture_fixtures.h"
#include "tests/test_support.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

std::string Le16(unsigned v) { return {char(v & 255), char(v >> 8 & 255)}; }
std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// The BMP form of an icon image: header with doubled height, palette,
// colour rows and mask rows (both bottom-up, as given).
std::string IconImage(int width, int height, int bits, const std::string& palette, const std::string& colour,
                      const std::string& mask)
{
    return Le32(40) + Le32(std::uint32_t(width)) + Le32(std::uint32_t(height * 2)) + Le16(1) + Le16(unsigned(bits))
        + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + palette + colour + mask;
}

std::string IconFile(const std::vector<std::string>& images)
{
    std::string directory = Le16(0) + Le16(1) + Le16(unsigned(images.size()));
    std::string data;
    std::size_t offset = 6 + 16 * images.size();
    for (const auto& image : images) {
        directory += std::string(4, '\0') + Le16(1) + Le16(0) + Le32(std::uint32_t(image.size()))
            + Le32(std::uint32_t(offset + data.size()));
        data += image;
    }
    return directory + data;
}

// A 32 x 32 image in one colour, opaque, at 4 or 32 bits.
std::string Plain32(int bits, QRgb colour)
{
    const std::string mask(32 * 4, '\0');
    if (bits == 32) {
        std::string pixel{char(qBlue(colour)), char(qGreen(colour)), char(qRed(colour)), '\xFF'};
        std::string rows;
        for (int i = 0; i < 32 * 32; ++i)
            rows += pixel;
        return IconImage(32, 32, 32, "", rows, mask);
    }
    std::string palette{char(qBlue(colour)), char(qGreen(colour)), char(qRed(colour)), '\0'};
    palette += std::string(15 * 4, '\0');
    return IconImage(32, 32, 4, palette, std::string(32 * 16, '\0'), mask);
}

QImage Read(const std::string& bytes, std::int64_t background, std::string& error)
{
    QImage picture;
    ReadIcon(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), background, picture, error);
    return picture;
}

TEST(IconReader, TakesTheLargestImageOverTheBackground)
{
    const std::string folder = MakeTempFolder("icons");
    // Each size its own colour; a transparent disc-free corner shows the background.
    const std::string draw = " -alpha set -fill none -draw 'color 0,0 point' -channel A -fx 'i<w/2&&j<h/2?0:1' +channel ";
    ASSERT_EQ(RunCommand("cd " + folder + " && convert -size 16x16 xc:red" + draw + "png32:s16.png"
                         " && convert -size 48x48 xc:'#208040'" + draw + "png32:s48.png"
                         " && convert -size 32x32 xc:blue" + draw + "png32:s32.png"
                         " && convert -size 256x256 xc:'#C0A000'" + draw + "png32:s256.png"
                         " && icotool -c -o bmp.ico s16.png s48.png s32.png"
                         " && icotool -c -o png.ico s16.png -r s256.png s48.png"
                         " && icotool -c -b 8 -o eight.ico s16.png s48.png"),
              0);
    const struct {
        const char* File;
        const char* Source; // the image expected, before the background
        std::int64_t Background;
        QRgb Shown; // what a transparent pixel shows
    } cases[] = {
        {"bmp.ico", "s48.png", 0xFFFFFF, qRgb(255, 255, 255)},
        {"bmp.ico", "s48.png", 0x0000FF, qRgb(255, 0, 0)}, // red in the lowest byte
        {"bmp.ico", "s48.png", NoBackground, qRgb(0, 0, 0)},
        {"png.ico", "s256.png", 0xFFFFFF, qRgb(255, 255, 255)},
        {"png.ico", "s256.png", 0xFF0000, qRgb(0, 0, 255)},
        {"eight.ico", "s48.png", 0xFFFFFF, qRgb(255, 255, 255)},
    };
    for (const auto& c : cases) {
        const std::string label = std::string(c.File) + " over " + std::to_string(c.Background);
        QImage picture;
        std::string error, details;
        ASSERT_TRUE(ReadIconFile(folder + c.File, c.Background, picture, error, &details)) << label << ": " << error;
        EXPECT_EQ(picture.format(), QImage::Format_BGR888) << label;
        const QImage source = QImage(QString::fromStdString(folder + c.Source)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), source.size()) << label << " [" << details << "]";
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                const QRgb expected = qAlpha(source.pixel(x, y)) == 0 ? c.Shown : source.pixel(x, y) | 0xFF000000;
                ASSERT_EQ(picture.pixel(x, y), expected) << label << " at " << x << "," << y;
            }
    }
}

TEST(IconReader, OfEqualSizesTakesTheDeepest)
{
    std::string error;
    const struct {
        std::vector<std::string> Images;
        QRgb Expected;
    } cases[] = {
        {{Plain32(4, qRgb(255, 0, 0)), Plain32(32, qRgb(0, 0, 255))}, qRgb(0, 0, 255)},
        {{Plain32(32, qRgb(0, 0, 255)), Plain32(4, qRgb(255, 0, 0))}, qRgb(0, 0, 255)},
        {{Plain32(4, qRgb(255, 0, 0)), Plain32(4, qRgb(0, 255, 0))}, qRgb(255, 0, 0)}, // the first of equals
    };
    for (const auto& c : cases) {
        const QImage picture = Read(IconFile(c.Images), 0xFFFFFF, error);
        ASSERT_EQ(picture.size(), QSize(32, 32)) << error;
        EXPECT_EQ(picture.pixel(5, 5), c.Expected);
    }
}

TEST(IconReader, MaskedPixelsFollowTheXorRule)
{
    // 1-bit, 8 x 1: palette black, white. Colour bits 0 0 1 1 ..., mask bits
    // 0 1 0 1 ...: opaque black, background, opaque white, inverted background.
    const std::string palette = std::string("\0\0\0\0\xFF\xFF\xFF\0", 8);
    const std::string image = IconImage(8, 1, 1, palette, std::string("\x33\0\0\0", 4), std::string("\x55\0\0\0", 4));
    std::string error;
    const QImage picture = Read(IconFile({image}), 0x336699, error); // red 0x99, green 0x66, blue 0x33
    ASSERT_EQ(picture.size(), QSize(8, 1)) << error;
    const QRgb background = qRgb(0x99, 0x66, 0x33), inverted = qRgb(0x66, 0x99, 0xCC);
    const QRgb expected[4] = {qRgb(0, 0, 0), background, qRgb(255, 255, 255), inverted};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(picture.pixel(x, 0), expected[x % 4]) << x;
}

TEST(IconReader, RefusesDamagedIcons)
{
    const std::string good = IconFile({Plain32(4, qRgb(1, 2, 3))});
    auto patched = [&](std::size_t at, const std::string& bytes) { return std::string(good).replace(at, bytes.size(), bytes); };
    const struct {
        const char* Label;
        std::string Bytes;
    } cases[] = {
        {"empty", ""},
        {"reserved word set", patched(0, Le16(1))},
        {"type 3", patched(2, Le16(3))},
        {"no images", patched(4, Le16(0))},
        {"directory past the end", patched(4, Le16(40))},
        {"entry past the end", patched(6 + 12, Le32(std::uint32_t(good.size())))},
        {"entry longer than the file", patched(6 + 8, Le32(std::uint32_t(good.size())))},
        {"entry of zero bytes", patched(6 + 8, Le32(0))},
        {"zero width", patched(22 + 4, Le32(0))},
        {"zero height", patched(22 + 8, Le32(0))},
        {"PNG with zero width", IconFile({std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + std::string(17, '\0')})},
        {"two PNGs claiming 4294967295 pixels square",
         IconFile({std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x08\x06", 26) + std::string(7, '\0'),
                   std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x08\x06", 26) + std::string(7, '\0')})},
        {"PNG that does not decode", IconFile({std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x06", 26)
                                               + std::string(20, 'x')})},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_TRUE(Read(c.Bytes, 0xFFFFFF, error).isNull()) << c.Label;
        EXPECT_EQ(error, "Unknown format") << c.Label;
    }
    QDir crashers(QString::fromStdString(TestDataPath("crashers")));
    const QStringList files = crashers.entryList({"*.ico"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QImage picture;
        std::string error;
        if (!ReadIconFile(crashers.filePath(name).toStdString(), 0xFFFFFF, picture, error)) {
            EXPECT_TRUE(error == "Unknown format" || error == "Out of memory") << name.toStdString() << error;
        }
    }
}

} // namespace
