#include "codec_test_support.h"

#include "imaging/codecs/portable_pixelmap.h"
#include "support/memory/memory_limit.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace orvanto;

namespace {

using namespace std::string_literals;
using TRows = std::vector<std::vector<unsigned>>;

TEST(PortablePixelmap, ReadsEveryType)
{
    const struct {
        const char* Name;
        std::string Bytes;
        int Type;
        TRows Pixels;
    } cases[] = {
        {"gray with comment", "P2\n# made by hand\n2 2\n255\n0 255\n255 0\n", 2, {{K, W}, {W, K}}},
        {"lower-case magic", "p6\n1 1\n255\n\x10\x20\x30", 6, {{0x102030}}},
        {"one value a line, comments after each", "P2\n2 # width\n1 # height\n255 # max\n7 8\n", 2,
         {{0x070707, 0x080808}}},
        {"header on the magic's line", "P6 2 1 255\n\x01\x02\x03\x04\x05\x06", 6, {{0x010203, 0x040506}}},
        {"zero width passed over", "P1\n0 3 2\n1 0 1\n0 1 0\n", 1, {{K, W, K}, {W, K, W}}},
        {"plain bits without separators", "P1\n4 1\n0101\n", 1, {{W, K, W, K}}},
        {"plain bits across lines, junk ignored", "P1\n3 2\n1 0\n1,0 # 111\n1 1\n", 1, {{K, W, K}, {W, K, K}}},
        {"raw bits", "P4\n8 2\n\xff\x00"s, 4, {{K, K, K, K, K, K, K, K}, {W, W, W, W, W, W, W, W}}},
        {"raw bits, padding skipped", "P4\n10 2\n\xff\xc0\x00\x7f"s, 4,
         {{K, K, K, K, K, K, K, K, K, K}, {W, W, W, W, W, W, W, W, W, K}}},
        {"raster starting with line-break bytes", "P6\n1 2\n255\n\x0a\x0d\x0a\x0d\x0a\x0d"s, 6, {{0x0a0d0a}, {0x0d0a0d}}},
        {"plain pixmap triple split over lines", "P3\n2 1\n255\n1 2\n3 4 5 6\n", 3, {{0x010203, 0x040506}}},
        {"missing pixels stay white", "P5\n3 1\n255\n\x40", 5, {{0x404040, W, W}}},
        {"pixel cut short stays white", "P6\n2 1\n255\n\x01\x02\x03\x04", 6, {{0x010203, W}}},
        {"data beyond the raster unused", "P2\n1 1\n255\n9 8 7\n", 2, {{0x090909}}},
        {"magic digit clamped", "P9\n1 1\n255\n\x11\x22\x33", 6, {{0x112233}}},
        {"letter after P is type 1", "PX\n2 1\n1 0\n", 1, {{K, W}}},
        {"header numbers keep their last five digits", "P2\n1000002 0000001\n9900255\n1 2\n", 2,
         {{0x010101, 0x020202}}},
        {"plain samples keep their last five digits", "P2\n2 1\n255\n123400100 9900007\n", 2,
         {{0x646464, 0x070707}}},
    };
    for (const auto& c : cases) {
        TPortablePixelmap codec;
        const TLoadResult result = LoadBytes(c.Bytes, codec);
        EXPECT_EQ(result.Message, "") << c.Name;
        EXPECT_EQ(codec.PixelType(), c.Type) << c.Name;
        EXPECT_EQ(PixelsOf(result.Picture), c.Pixels) << c.Name;
        EXPECT_EQ(result.Picture.format(), QImage::Format_BGR888) << c.Name;
    }
}

TEST(PortablePixelmap, ScalesSamplesToTheMaximum)
{
    const struct {
        const char* Name;
        std::string Bytes;
        TRows Pixels;
    } cases[] = {
        {"max 15 plain", "P2\n3 1\n15\n0 15 7\n", {{0x000000, 0xffffff, 0x777777}}},
        {"max 15 raw, lowered first", "P5\n3 1\n15\n\x00\x0f\xc8"s, {{0x000000, 0xffffff, 0xffffff}}},
        {"max 100, sample 200 kept as 100", "P6\n1 1\n100\n\xc8\x32\x00"s, {{0xff8000}}},
        {"max 255 unchanged", "P5\n2 1\n255\n\x01\xfe", {{0x010101, 0xfefefe}}},
        {"max 65535 two bytes, high first", "P5\n2 1\n65535\n\xff\xff\x80\x00"s, {{0xffffff, 0x808080}}},
        {"max 1000 plain", "P3\n1 1\n1000\n1000 500 2000\n", {{0xff80ff}}},
        {"max 0 is black", "P2\n2 1\n0\n5 0\n", {{K, K}}},
    };
    for (const auto& c : cases) {
        const TLoadResult result = LoadBytes<TPortablePixelmap>(c.Bytes);
        EXPECT_EQ(result.Message, "") << c.Name;
        EXPECT_EQ(PixelsOf(result.Picture), c.Pixels) << c.Name;
    }
}

TEST(PortablePixelmap, RejectsWithTheFailureMessage)
{
    SetAllocationCeilingForTesting(64 << 20);
    const struct {
        const char* Name;
        std::string Bytes;
        std::string Message;
    } cases[] = {
        {"empty", "", "Invalid dimensions."},
        {"comment first", "# P6\nP6\n1 1\n255\n", "Unknown format."},
        {"one character", "P\n", "Unknown format."},
        {"not P", "Q6\n1 1\n255\n", "Unknown format."},
        {"stops after the magic", "P6\n", "Invalid dimensions."},
        {"bitmap height 0", "P4\n5 0\n", "Invalid dimensions."},
        {"huge, no data", "P6\n65535 65535\n255\n", "Out of memory."},
    };
    for (const auto& c : cases) {
        const TLoadResult result = LoadBytes<TPortablePixelmap>(c.Bytes);
        EXPECT_EQ(result.Message, c.Message) << c.Name;
        EXPECT_EQ(result.LastError, c.Message) << c.Name;
    }
    SetAllocationCeilingForTesting(0);
}

TEST(PortablePixelmap, ReadsPlainLinesLongerThanTheScanner)
{
    // One line of 3000 samples: every one of them is read.
    std::string bytes = "P2\n3000 1\n255\n";
    for (int i = 0; i < 3000; ++i)
        bytes += std::to_string(i % 256) + " ";
    const TLoadResult result = LoadBytes<TPortablePixelmap>(bytes);
    ASSERT_EQ(result.Message, "");
    for (int x = 0; x < 3000; ++x)
        ASSERT_EQ(qRed(result.Picture.pixel(x, 0)), x % 256) << x;
}

TEST(PortablePixelmap, WritesExactBytes)
{
    const QImage sevenBlack = MakePicture({{K, K, K, K, K, K, K}});
    const QImage gray = MakePicture({{0x69aabb, 0x000000}});
    const struct {
        const char* Name;
        QImage Picture;
        int Type;
        std::string Bytes;
    } cases[] = {
        {"plain bits, line break after six", sevenBlack, 1, "P1\n7 1\n1 1 1 1 1 1 \r\n1 "},
        {"plain gray from red", gray, 2, "P2\n2 1\n\n255\n105 0 "},
        {"plain pixmap", gray, 3, "P3\n2 1\n\n255\n105 170 187 0 0 0 "},
        {"raw bits", MakePicture({{K, W, W, W, W, W, W, W, K, K}}), 4, "P4\n10 1\n\x80\xc0"s},
        {"raw gray", gray, 5, "P5\n2 1\n\n255\n\x69\x00"s},
        {"raw pixmap", gray, 6, "P6\n2 1\n\n255\n\x69\xaa\xbb\x00\x00\x00"s},
    };
    for (const auto& c : cases) {
        TPortablePixelmap codec;
        codec.AssignBitmap(c.Picture);
        codec.SetPixelType(c.Type);
        EXPECT_EQ(SaveBytes(codec), c.Bytes) << c.Name;
    }
}

TEST(PortablePixelmap, RoundTripsEveryType)
{
    const QImage colour = MakePicture({{0x102030, 0xffffff, 0x000000, 0x7f8081, 0x0a0d0a},
                                       {0x0d0a0d, 0x010203, 0xfffefd, 0x000000, 0x123456},
                                       {0xffffff, 0x000000, 0xffffff, 0x000000, 0x808080}});
    for (int type = 1; type <= 6; ++type) {
        TPortablePixelmap writer;
        writer.AssignBitmap(colour);
        writer.SetPixelType(type);
        TPortablePixelmap reader;
        const TLoadResult result = LoadBytes(SaveBytes(writer), reader);
        ASSERT_EQ(result.Message, "") << type;
        EXPECT_EQ(reader.PixelType(), type);
        TRows expected = PixelsOf(colour);
        for (auto& row : expected)
            for (unsigned& pixel : row) {
                const unsigned red = pixel >> 16;
                if (type == 1 || type == 4)
                    pixel = red == 0 ? K : W;
                else if (type == 2 || type == 5)
                    pixel = red * 0x010101u;
            }
        EXPECT_EQ(PixelsOf(result.Picture), expected) << "type " << type;
    }
}

// The pixel (0xRRGGBB) of a raw raster at (x, y) by the simplest reading of
// the format, white where the data ends before the pixel does.
unsigned ReferenceRawPixel(int type, int width, int maxValue, const std::string& raster, int x, int y)
{
    if (type == 4) {
        const std::size_t at = std::size_t(y) * std::size_t((width + 7) / 8) + std::size_t(x / 8);
        if (at >= raster.size())
            return W;
        return (std::uint8_t(raster[at]) >> (7 - x % 8)) & 1 ? K : W;
    }
    const int channels = type == 5 ? 1 : 3, sampleBytes = maxValue > 255 ? 2 : 1;
    const std::size_t at = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * std::size_t(channels * sampleBytes);
    if (at + std::size_t(channels * sampleBytes) > raster.size())
        return W;
    unsigned level[3];
    for (int c = 0; c < channels; ++c) {
        const std::size_t p = at + std::size_t(c * sampleBytes);
        unsigned sample = std::uint8_t(raster[p]);
        if (sampleBytes == 2)
            sample = sample << 8 | std::uint8_t(raster[p + 1]);
        const unsigned lowered = std::min(sample, unsigned(maxValue));
        level[c] = (2 * lowered * 255 + unsigned(maxValue)) / (2 * unsigned(maxValue));
    }
    return channels == 1 ? level[0] * 0x010101u : level[0] << 16 | level[1] << 8 | level[2];
}

TEST(PortablePixelmap, RawRastersReadInBlocksGiveThePixelsOfTheFormat)
{
    // Rows wider than a block's share, odd widths, and heights that take
    // several blocks; every raster also cut short at awkward places.
    const struct {
        int Type, Width, Height, MaxValue;
    } cases[] = {
        {6, 1, 3, 255},     {6, 7, 5, 255},      {6, 4001, 50, 255},  {6, 65521, 2, 65535},
        {6, 13, 9, 100},    {6, 4001, 30, 65535}, {6, 5, 3, 1000},
        {5, 3, 4, 255},     {5, 30001, 20, 255}, {5, 9, 2, 65535},    {5, 7, 3, 15},
        {4, 1, 3, 1},       {4, 13, 5, 1},       {4, 20001, 110, 1},
        {6, 1500, 1000, 255}, // a picture of many blocks
    };
    for (const auto& c : cases) {
        std::string raster;
        const std::size_t rowBytes = c.Type == 4 ? std::size_t(c.Width + 7) / 8
                                                 : std::size_t(c.Width) * (c.Type == 5 ? 1 : 3) * (c.MaxValue > 255 ? 2 : 1);
        unsigned state = unsigned(c.Width * 7 + c.Height);
        for (std::size_t i = 0; i < rowBytes * std::size_t(c.Height); ++i) {
            state = state * 1103515245u + 12345u;
            raster.push_back(char(state >> 16));
        }
        std::ostringstream header;
        header << 'P' << c.Type << '\n' << c.Width << ' ' << c.Height << '\n';
        if (c.Type != 4)
            header << c.MaxValue << '\n';
        const std::size_t cuts[] = {raster.size(), raster.size() - 1, raster.size() / 2 + 1, rowBytes * 3 / 2,
                                    std::min<std::size_t>(256 * 1024, raster.size()), 0};
        for (const std::size_t cut : cuts) {
            const std::string data = raster.substr(0, cut);
            const TLoadResult result = LoadBytes<TPortablePixelmap>(header.str() + data);
            std::ostringstream named;
            named << 'P' << c.Type << ' ' << c.Width << 'x' << c.Height << " max " << c.MaxValue << " cut at " << cut;
            const std::string name = named.str();
            ASSERT_EQ(result.Message, "") << name;
            ASSERT_EQ(result.Picture.size(), QSize(c.Width, c.Height)) << name;
            for (int y = 0; y < c.Height; ++y) {
                const uchar* row = result.Picture.constScanLine(y);
                for (int x = 0; x < c.Width; ++x) {
                    const unsigned got = unsigned(row[x * 3 + 2]) << 16 | unsigned(row[x * 3 + 1]) << 8 | row[x * 3];
                    ASSERT_EQ(got, ReferenceRawPixel(c.Type, c.Width, c.MaxValue, data, x, y))
                        << name << " pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST(PortablePixelmap, RawRastersWrittenInBlocksHoldEveryPixel)
{
    const QSize sizes[] = {{1, 1}, {7, 3}, {4001, 50}, {65521, 2}, {20001, 110}, {1500, 1000}};
    for (const QSize size : sizes)
        for (const int type : {4, 5, 6}) {
            QImage picture(size, QImage::Format_BGR888);
            unsigned state = unsigned(size.width() + type);
            for (int y = 0; y < size.height(); ++y)
                for (int i = 0; i < size.width() * 3; ++i) {
                    state = state * 1103515245u + 12345u;
                    // Bitmaps write black for a red byte of 0: make that common.
                    picture.scanLine(y)[i] = uchar(type == 4 ? (state >> 16) & 1 : state >> 16);
                }
            std::string expected;
            for (int y = 0; y < size.height(); ++y) {
                const uchar* row = picture.constScanLine(y);
                if (type == 4) {
                    for (int x0 = 0; x0 < size.width(); x0 += 8) {
                        unsigned byte = 0;
                        for (int x = x0; x < std::min(size.width(), x0 + 8); ++x)
                            if (row[x * 3 + 2] == 0)
                                byte |= 0x80u >> (x - x0);
                        expected.push_back(char(byte));
                    }
                } else {
                    for (int x = 0; x < size.width(); ++x) {
                        expected.push_back(char(row[x * 3 + 2]));
                        if (type == 6) {
                            expected.push_back(char(row[x * 3 + 1]));
                            expected.push_back(char(row[x * 3]));
                        }
                    }
                }
            }
            TPortablePixelmap codec;
            codec.AssignBitmap(picture);
            codec.SetPixelType(type);
            const std::string bytes = SaveBytes(codec);
            ASSERT_GE(bytes.size(), expected.size());
            EXPECT_TRUE(bytes.compare(bytes.size() - expected.size(), expected.size(), expected) == 0)
                << "P" << type << " " << size.width() << "x" << size.height();
        }
}

TEST(PortablePixelmap, TryLoadFromFileNamesTheCause)
{
    const std::string folder = MakeTempFolder("pnm");
    TPortablePixelmap codec;
    EXPECT_FALSE(codec.TryLoadFromFile(folder + "missing.ppm"));
    EXPECT_EQ(codec.LastError, "File not found.");
    ASSERT_TRUE(WriteWholeFile(folder + "bad.ppm", "not a picture"));
    EXPECT_FALSE(codec.TryLoadFromFile(folder + "bad.ppm"));
    EXPECT_EQ(codec.LastError, "Unknown format.");
    ASSERT_TRUE(WriteWholeFile(folder + "good.pgm", "P2 1 1 255 77"));
    EXPECT_TRUE(codec.TryLoadFromFile(folder + "good.pgm"));
    EXPECT_EQ(qRed(codec.Picture.pixel(0, 0)), 77);
}

TEST(PortablePixelmap, ReportsProgressStartAndEnd)
{
    TPortablePixelmap codec;
    std::vector<std::pair<int, int>> reports;
    codec.OnProgress = [&](const TGraphic&, TProgressStage stage, int percent, bool, const QRect&,
                           const std::string& message) {
        reports.emplace_back(int(stage), percent);
        EXPECT_EQ(message, "Loading");
    };
    LoadBytes("P2 1 1 255 77", codec);
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{0, 0}, {2, 100}}));
}

TEST(PortablePixelmap, AssignCopiesPictureAndType)
{
    TPortablePixelmap source;
    source.AssignBitmap(MakePicture({{0x112233, K}}));
    source.SetPixelType(2);
    TPortablePixelmap target;
    target.Assign(source);
    EXPECT_EQ(target.PixelType(), 2);
    EXPECT_EQ(PixelsOf(target.Picture), (TRows{{0x112233, K}}));
    source.SetPixelType(40);
    EXPECT_EQ(source.PixelType(), 6);
    source.SetPixelType(-1);
    EXPECT_EQ(source.PixelType(), 1);
}

} // namespace
