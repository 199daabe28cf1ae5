#include "codec_test_support.h"

#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/x_bitmap.h"
#include "support/memory/memory_limit.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

using TRows = std::vector<std::vector<unsigned>>;

TEST(XBitmap, ReadsTheWaysFilesAreWritten)
{
    const struct {
        const char* Name;
        std::string Bytes;
        TRows Pixels;
    } cases[] = {
        {"standard file",
         "#define name_width 16\n#define name_height 2\nstatic unsigned char name_bits[] = {\n"
         "   0xff, 0x00, 0x01, 0x80};\n",
         {{K, K, K, K, K, K, K, K, W, W, W, W, W, W, W, W}, {K, W, W, W, W, W, W, W, W, W, W, W, W, W, W, K}}},
        {"row padding bits ignored",
         "#define p_width 10\n#define p_height 2\nstatic char p_bits[] = {\n0x01, 0xfe, 0x00, 0x02 };\n",
         {{K, W, W, W, W, W, W, W, W, K}, {W, W, W, W, W, W, W, W, W, K}}},
        {"upper case words",
         "#DEFINE A_WIDTH 3\r\n#DEFINE A_HEIGHT 1\r\nSTATIC CHAR A_BITS[] = {\r\n0X05 };\r\n", {{K, W, K}}},
        {"one-line array", "#define o_width 4\n#define o_height 2\nstatic char o_bits[] = { 0x01, 0x08 };\n",
         {{K, W, W, W}, {W, W, W, K}}},
        {"hot spot and height before width",
         "#define h_height 1\n#define h_x_hot 0\n#define h_width 2\nstatic char h_bits[] = {\n0x02 };\n", {{W, K}}},
        {"missing bits stay white", "#define m_width 3\n#define m_height 2\nstatic char m_bits[] = {\n0x07 };\n",
         {{K, K, K}, {W, W, W}}},
        {"bytes after the closing brace unused",
         "#define c_width 2\n#define c_height 1\nstatic char c_bits[] = {\n0x00 };\n0xff\n", {{W, W}}},
        {"values beyond the raster unused", "#define v_width 2\n#define v_height 1\nstatic char v_bits[] = {\n0x01, 0xff, 0xff };\n",
         {{K, W}}},
        {"lines ended by CR alone", "#define r_width 3\r#define r_height 2\rstatic char r[] = {\r0x01,\r0x02 };\r",
         {{K, W, W}, {W, K, W}}},
        {"digits taken across line breaks",
         "#define q_width 8\n#define q_height 3\nstatic char q[] = {\n0x1\n0x\nx01 };\n",
         {{W, W, W, W, K, W, W, W}, {W, W, W, W, W, W, W, W}, {K, W, W, W, W, W, W, W}}},
    };
    for (const auto& c : cases) {
        const TLoadResult result = LoadBytes<TXBitmap>(c.Bytes);
        EXPECT_EQ(result.Message, "") << c.Name;
        EXPECT_EQ(PixelsOf(result.Picture), c.Pixels) << c.Name;
        // A file device is read through the byte stream, not from memory.
        QTemporaryFile file;
        ASSERT_TRUE(file.open());
        file.write(c.Bytes.data(), qint64(c.Bytes.size()));
        file.seek(0);
        TXBitmap fromFile;
        fromFile.LoadFromStream(file);
        EXPECT_EQ(PixelsOf(fromFile.Picture), c.Pixels) << c.Name;
        // The 1-bit picture holds the raw bitmap's own bytes.
        TXBitmap bits;
        bits.BitsOnly = true;
        EXPECT_EQ(LoadBytes(c.Bytes, bits).Message, "") << c.Name;
        EXPECT_EQ(PixelsOf(bits.Bits), c.Pixels) << c.Name;
        QByteArray raw;
        QBuffer rawBuffer(&raw);
        rawBuffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(TPortablePixelmap::WriteRawBitmap(rawBuffer, bits.Bits)) << c.Name;
        TPortablePixelmap pixelmap;
        pixelmap.SetPixelType(4);
        pixelmap.AssignBitmap(result.Picture);
        EXPECT_EQ(raw.toStdString(), SaveBytes(pixelmap)) << c.Name;
    }
}

TEST(XBitmap, RejectsWithTheFailureMessage)
{
    SetAllocationCeilingForTesting(64 << 20);
    const struct {
        const char* Name;
        std::string Bytes;
        std::string Message;
    } cases[] = {
        {"empty", "", "Unknown format."},
        {"static before the definitions",
         "static char s_bits[] = {\n#define s_width 8\n#define s_height 1\n0x01 };\n", "Unknown format."},
        {"a lone define", "#define", "Unknown format."},
        {"value with a comment", "#define c_width 8 /* wide */\n#define c_height 1\nstatic char c[] = {0x01};\n",
         "Invalid dimensions."},
        {"zero height", "#define z_width 8\n#define z_height 0\nstatic char z[] = {};\n", "Invalid dimensions."},
        {"leading blank before define", " #define b_width 8\n#define b_height 1\nstatic char b[] = {0x01};\n",
         "Unknown format."},
        {"huge", "#define h_width 65535\n#define h_height 65535\nstatic char h[] = {\n", "Out of memory."},
    };
    for (const auto& c : cases) {
        const TLoadResult result = LoadBytes<TXBitmap>(c.Bytes);
        EXPECT_EQ(result.Message, c.Message) << c.Name;
        EXPECT_EQ(result.LastError, c.Message) << c.Name;
    }
    SetAllocationCeilingForTesting(0);
}

TEST(XBitmap, ReadsAOneLineArrayLongerThanTheScanner)
{
    // 5000 values on one line: each row of 8 pixels gets its own byte.
    std::string bytes = "#define l_width 8\n#define l_height 5000\nstatic char l_bits[] = {";
    for (int i = 0; i < 5000; ++i)
        bytes += i % 2 ? "0x01," : "0x80,";
    bytes += "};\n";
    const TLoadResult result = LoadBytes<TXBitmap>(bytes);
    ASSERT_EQ(result.Message, "");
    for (int y = 0; y < 5000; ++y)
        ASSERT_EQ(result.Picture.pixel(y % 2 ? 0 : 7, y) & 0xffffff, 0u) << y;
}

TEST(XBitmap, WritesExactBytes)
{
    TXBitmap codec;
    codec.AssignBitmap(MakePicture({{K, K, K, K, K, K, K, K, K, K, K, K}}));
    EXPECT_EQ(SaveBytes(codec), "#define image_width 12\r\n#define image_height 1\r\n"
                                "static char image_bits[] = {\r\n0xff, 0x0f, };");

    // A line break follows every 10th value, counted across rows.
    codec.AssignBitmap(MakePicture(TRows(11, {K, W, W, W, W, W, W, W, W})));
    const std::string bytes = SaveBytes(codec);
    std::string tenValues;
    for (int i = 0; i < 5; ++i)
        tenValues += "0x01, 0x00, ";
    EXPECT_EQ(bytes, "#define image_width 9\r\n#define image_height 11\r\nstatic char image_bits[] = {\r\n" + tenValues
                         + "\r\n" + tenValues + "\r\n0x01, 0x00, };");
}

TEST(XBitmap, RoundTripsMonochrome)
{
    const TRows pixels = {{K, W, K, K, W, W, W, K, K, W, K},
                          {W, W, W, W, W, W, W, W, W, W, K},
                          {K, K, K, K, K, K, K, K, K, K, K}};
    TXBitmap writer;
    writer.AssignBitmap(MakePicture(pixels));
    const TLoadResult result = LoadBytes<TXBitmap>(SaveBytes(writer));
    ASSERT_EQ(result.Message, "");
    EXPECT_EQ(PixelsOf(result.Picture), pixels);
}

} // namespace
