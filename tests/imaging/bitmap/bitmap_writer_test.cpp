#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"

#include "tests/imaging/picture_fixtures.h"
#include "tests/test_support.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

std::uint32_t At32(const QByteArray& b, int at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8
        | std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

QImage Pattern(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 40 % 256, y * 70 % 256, (x + y) * 13 % 256));
    return picture;
}

TEST(BitmapWriter, WritesTheCompleteFileLayout)
{
    const struct {
        int Width, Height, RowBytes;
    } cases[] = {{1, 1, 4}, {3, 2, 12}, {4, 3, 12}, {5, 1, 16}, {334, 2, 1004}};
    for (const auto& c : cases) {
        const QImage picture = Pattern(c.Width, c.Height);
        std::string error;
        const QByteArray file = BitmapFileBytes(picture, error);
        const std::string label = std::to_string(c.Width) + "x" + std::to_string(c.Height);
        ASSERT_EQ(file.size(), 54 + c.RowBytes * c.Height) << label;
        EXPECT_EQ(file.left(2), "BM") << label;
        EXPECT_EQ(At32(file, 2), std::uint32_t(file.size())) << label;
        EXPECT_EQ(At32(file, 10), 54u) << label;
        EXPECT_EQ(At32(file, 14), 40u) << label;
        EXPECT_EQ(At32(file, 18), std::uint32_t(c.Width)) << label;
        EXPECT_EQ(At32(file, 22), std::uint32_t(c.Height)) << label; // positive: bottom-up
        EXPECT_EQ(At32(file, 26), 1u | 24u << 16) << label;          // planes, bits
        EXPECT_EQ(At32(file, 30), 0u) << label;                      // no compression
        EXPECT_EQ(At32(file, 34), std::uint32_t(c.RowBytes * c.Height)) << label;
        // The first stored row is the bottom one, blue-green-red.
        const QRgb bottomLeft = picture.pixel(0, c.Height - 1);
        EXPECT_EQ(std::uint8_t(file[54]), qBlue(bottomLeft)) << label;
        EXPECT_EQ(std::uint8_t(file[55]), qGreen(bottomLeft)) << label;
        EXPECT_EQ(std::uint8_t(file[56]), qRed(bottomLeft)) << label;

        // Qt's reader, ours and the device form all agree with the picture.
        const std::string path = MakeTempFolder("writer") + "out.bmp";
        ASSERT_TRUE(SaveBitmapFile(picture, path, error)) << error;
        EXPECT_EQ(QByteArray::fromStdString(ReadWholeFile(path)), file) << label;
        std::string where;
        EXPECT_EQ(LargestDifference(LoadWithQt(path), picture, where), 0) << label << where;
        QImage back;
        ASSERT_TRUE(ReadBitmap(file, back, error)) << error;
        EXPECT_EQ(back, picture) << label;
    }
}

TEST(BitmapWriter, KeepsPaddingBytesThroughWriteAndRead)
{
    // Archives ride in the pixel bytes of 334-pixel-wide pictures, whose
    // rows end in 2 padding bytes.
    QImage picture(334, 3, QImage::Format_BGR888);
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < picture.bytesPerLine(); ++i)
            picture.scanLine(y)[i] = uchar(i * 7 + y);
    std::string error;
    const QByteArray file = BitmapFileBytes(picture, error);
    ASSERT_EQ(file.size(), 54 + 1004 * 3);
    EXPECT_EQ(std::uint8_t(file[54 + 1002]), uchar(1002 * 7 + 2)); // bottom row's padding
    QImage back;
    ASSERT_TRUE(ReadBitmap(file, back, error)) << error;
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(back.constScanLine(y), picture.constScanLine(y), 1004), 0) << "row " << y;
    EXPECT_EQ(BitmapFileBytes(back, error), file);
}

TEST(BitmapWriter, ConvertsOtherFormatsAndRefusesNothing)
{
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgb(10, 20, 30));
    argb.setPixel(1, 0, qRgb(200, 100, 50));
    std::string error;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    buffer.write("xy");
    ASSERT_TRUE(SaveBitmapFile(argb, buffer, error)) << error;
    ASSERT_EQ(bytes.size(), 2 + 54 + 8);
    EXPECT_EQ(bytes.mid(2 + 54, 6), QByteArray("\x1E\x14\x0A\x32\x64\xC8", 6));

    EXPECT_TRUE(BitmapFileBytes(QImage(), error).isEmpty());
    EXPECT_EQ(error, "Out of memory");
    EXPECT_FALSE(SaveBitmapFile(argb, MakeTempFolder("writer-bad") + "no/such/folder.bmp", error));
    EXPECT_EQ(error, "File in use");
}

} // namespace
