#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"

#include "support/memory/memory_limit.h"
#include "tests/imaging/picture_fixtures.h"
#include "tests/test_support.h"

#include <QBuffer>
#include <QDir>

#include <gtest/gtest.h>

// The specs below name only the fields a case sets; the rest keep their
// defaults, which is what designated initializers are for.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace orvanto;

namespace {

std::string Le16(unsigned v) { return {char(v & 255), char(v >> 8 & 255)}; }
std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A hand-made bitmap: information header of headerSize bytes (12 = OS/2
// core), then extra (masks), palette and pixels. offBits < 0 = computed.
struct TBitmapSpec {
    int HeaderSize = 40;
    std::int32_t Width = 2, Height = 2;
    int Bits = 24;
    std::uint32_t Compression = 0;
    std::uint32_t ColoursUsed = 0;
    std::string Extra;   // after the header: bit-field masks
    std::string Palette; // 4 bytes an entry (3 for the core header)
    std::string Pixels;
    std::int64_t OffBits = -1;
    bool Packed = false;
};

std::string MakeBitmap(const TBitmapSpec& s)
{
    std::string header;
    if (s.HeaderSize == 12) {
        header = Le32(12) + Le16(unsigned(s.Width)) + Le16(unsigned(s.Height)) + Le16(1) + Le16(unsigned(s.Bits));
    } else {
        header = Le32(std::uint32_t(s.HeaderSize)) + Le32(std::uint32_t(s.Width)) + Le32(std::uint32_t(s.Height))
            + Le16(1) + Le16(unsigned(s.Bits)) + Le32(s.Compression) + Le32(std::uint32_t(s.Pixels.size()))
            + Le32(2835) + Le32(2835) + Le32(s.ColoursUsed) + Le32(0);
        // Version 2 headers and later hold the masks themselves.
        if (s.HeaderSize > 40)
            header += s.Extra;
        header.resize(std::size_t(s.HeaderSize), '\0');
    }
    const std::string body = header + (s.HeaderSize > 40 ? "" : s.Extra) + s.Palette;
    if (s.Packed)
        return body + s.Pixels;
    const std::uint32_t off = s.OffBits < 0 ? std::uint32_t(14 + body.size()) : std::uint32_t(s.OffBits);
    return "BM" + Le32(std::uint32_t(14 + body.size() + s.Pixels.size())) + Le32(0) + Le32(off) + body
        + s.Pixels;
}

std::string Bgra(QRgb c) { return {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), '\0'}; }

// Rows of a picture, top first, as the colours expected.
using TRows = std::vector<std::vector<QRgb>>;

void ExpectPixels(const QImage& picture, const TRows& rows, const std::string& label)
{
    ASSERT_EQ(picture.height(), int(rows.size())) << label;
    for (int y = 0; y < picture.height(); ++y) {
        ASSERT_EQ(picture.width(), int(rows[std::size_t(y)].size())) << label;
        for (int x = 0; x < picture.width(); ++x)
            EXPECT_EQ(picture.pixel(x, y), rows[std::size_t(y)][std::size_t(x)] | 0xFF000000)
                << label << " at " << x << "," << y;
    }
}

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255), White = qRgb(255, 255, 255),
           Black = qRgb(0, 0, 0), Grey = qRgb(128, 128, 128);

TEST(BitmapReader, ReadsWhatImageMagickAndNetpbmWrite)
{
    const std::string folder = MakeTempFolder("bitmap-peers");
    // Odd widths so that every row needs padding.
    WriteSourcePpm(folder + "many.ppm", 37, 23, 0);
    WriteSourcePpm(folder + "c200.ppm", 37, 23, 200);
    WriteSourcePpm(folder + "c16.ppm", 31, 9, 16);
    WriteSourcePpm(folder + "c2.ppm", 35, 7, 2);
    const struct {
        const char* Source;
        const char* Command; // makes out.bmp from in.ppm
        int Tolerance;       // largest channel difference allowed
        const char* Reference; // "source" or the ImageMagick command making ref.ppm
    } cases[] = {
        {"many", "convert in.ppm BMP3:out.bmp", 0, "source"},
        {"many", "convert in.ppm BMP2:out.bmp", 0, "source"},
        {"many", "convert in.ppm BMP:out.bmp", 0, "source"},
        {"c200", "convert in.ppm -type Palette BMP3:out.bmp", 0, "source"},
        {"c200", "convert in.ppm -type Palette BMP2:out.bmp", 0, "source"},
        {"c200", "convert in.ppm -type Palette BMP:out.bmp", 0, "source"},
        {"c200", "convert in.ppm -type Palette -compress RLE BMP3:out.bmp", 0, "source"},
        {"c16", "convert in.ppm -type Palette BMP3:out.bmp", 0, "source"},
        {"c16", "convert in.ppm -type Palette -compress RLE BMP3:out.bmp", 0, "source"},
        {"c2", "convert in.ppm -type Palette BMP3:out.bmp", 0, "source"},
        {"c2", "convert in.ppm -type Palette -compress RLE BMP3:out.bmp", 0, "source"},
        {"many", "convert in.ppm -define bmp:subtype=RGB565 BMP:out.bmp", 1, "convert out.bmp ref.ppm"},
        {"many", "convert in.ppm -define bmp:subtype=RGB555 BMP:out.bmp", 1, "convert out.bmp ref.ppm"},
        {"many", "convert in.ppm -alpha set -channel A -fx 'i/w' +channel BMP:out.bmp", 1,
         "convert out.bmp -background white -flatten ref.ppm"},
        // ImageMagick and Qt both read a set 1-bit alpha as half opaque and
        // 4-bit alpha too faint, so these are checked against the source
        // laid over white by hand, allowing for ImageMagick cutting the
        // channels to 4 and 5 bits by truncation.
        {"many", "convert in.ppm -alpha set -channel A -fx 'j/h' +channel -define bmp:subtype=ARGB4444 BMP:out.bmp",
         17, "alpha by rows"},
        {"many", "convert in.ppm -alpha set -channel A -fx 'i/w>0.5' +channel -define bmp:subtype=ARGB1555 BMP:out.bmp",
         8, "alpha by columns"},
        {"many", "ppmtobmp -windows in.ppm > out.bmp", 0, "source"},
        {"many", "ppmtobmp -os2 in.ppm > out.bmp", 0, "source"},
        {"c200", "ppmtobmp -windows -bpp 8 in.ppm > out.bmp", 0, "source"},
        {"c16", "ppmtobmp -windows -bpp 4 in.ppm > out.bmp", 0, "source"},
        {"c16", "ppmtobmp -os2 -bpp 4 in.ppm > out.bmp", 0, "source"},
        {"c2", "ppmtobmp -windows -bpp 1 in.ppm > out.bmp", 0, "source"},
        // A version-5 header's embedded profile: turned into sRGB; pointing
        // past the end of the file, ignored.
        {"many", "convert in.ppm -profile $ICC/sRGB.icc -profile $ICC/compatibleWithAdobeRGB1998.icc BMP:out.bmp", 2,
         "convert out.bmp -profile $ICC/sRGB.icc ref.ppm"},
        {"many", "convert in.ppm -profile $ICC/sRGB.icc -profile $ICC/compatibleWithAdobeRGB1998.icc BMP:out.bmp"
         " && printf '\\377\\377\\377\\177' | dd of=out.bmp bs=1 seek=126 conv=notrunc",
         0, "convert in.ppm -profile $ICC/sRGB.icc -profile $ICC/compatibleWithAdobeRGB1998.icc ref.ppm"},
    };
    for (const auto& c : cases) {
        const std::string label = std::string(c.Source) + ": " + c.Command;
        const std::string work = folder + "case/";
        QDir(QString::fromStdString(work)).removeRecursively();
        QDir().mkpath(QString::fromStdString(work));
        QFile::copy(QString::fromStdString(folder + c.Source + ".ppm"), QString::fromStdString(work + "in.ppm"));
        const std::string in = "cd " + work + " && ICC=/usr/share/color/icc && ";
        ASSERT_EQ(RunCommand(in + c.Command), 0) << label;
        const std::string kind = c.Reference;
        QImage expected;
        if (kind == "source") {
            expected = LoadWithQt(work + "in.ppm");
        } else if (kind.rfind("alpha by ", 0) == 0) {
            expected = LoadWithQt(work + "in.ppm").convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x) {
                    const int alpha = kind == "alpha by rows" ? (y * 255 * 2 + expected.height()) / (2 * expected.height()) / 16 * 17
                                                              : (x * 2 > expected.width() ? 255 : 0);
                    const QRgb p = expected.pixel(x, y);
                    expected.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), alpha));
                }
            expected = OverWhite(expected);
        } else {
            ASSERT_EQ(RunCommand(in + c.Reference), 0) << label;
            expected = LoadWithQt(work + "ref.ppm");
        }
        QImage picture;
        std::string error, details;
        ASSERT_TRUE(ReadBitmapFile(work + "out.bmp", picture, error, &details)) << label << ": " << error;
        EXPECT_EQ(picture.format(), QImage::Format_BGR888) << label;
        std::string where;
        EXPECT_LE(LargestDifference(picture, expected, where), c.Tolerance)
            << label << " [" << details << "] at " << where;
    }
}

TEST(BitmapReader, HandMadeVariants)
{
    // Palettes: index 0 red, 1 green, 2 blue, 3 grey.
    const std::string palette4 = Bgra(Red) + Bgra(Green) + Bgra(Blue) + Bgra(Grey);
    const std::string core4 = palette4.substr(0, 3) + palette4.substr(4, 3) + palette4.substr(8, 3)
        + palette4.substr(12, 3);
    const struct {
        const char* Label;
        TBitmapSpec Spec;
        TRows Expected;
    } cases[] = {
        {"2 bits, bottom-up",
         {.Width = 3, .Height = 2, .Bits = 2, .Palette = palette4,
          .Pixels = std::string("\x1B\0\0\0", 4) + std::string("\xE4\0\0\0", 4)},
         {{Grey, Blue, Green}, {Red, Green, Blue}}},
        {"top-down 24 bits",
         {.Width = 1, .Height = -2, .Bits = 24,
          .Pixels = std::string("\xFF\0\0\0", 4) + std::string("\0\0\xFF\0", 4)},
         {{Blue}, {Red}}},
        {"short palette: indexes past its end are black",
         {.Width = 4, .Height = 1, .Bits = 8, .ColoursUsed = 2, .Palette = palette4.substr(0, 8),
          .Pixels = std::string("\x00\x01\x02\xFF", 4)},
         {{Red, Green, Black, Black}}},
        {"offset cuts the palette short",
         {.Width = 3, .Height = 1, .Bits = 8, .ColoursUsed = 4, .Palette = palette4.substr(0, 8),
          .Pixels = std::string("\x00\x01\x02\0", 4), .OffBits = 14 + 40 + 8},
         {{Red, Green, Black}}},
        {"offset of zero: pixels follow the palette",
         {.Width = 2, .Height = 1, .Bits = 8, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x03\x02\0\0", 4), .OffBits = 0},
         {{Grey, Blue}}},
        {"gap between palette and pixels",
         {.Width = 2, .Height = 1, .Bits = 4, .ColoursUsed = 2, .Palette = palette4.substr(0, 8) + "junkjunk",
          .Pixels = std::string("\x10\0\0\0", 4), .OffBits = 14 + 40 + 16},
         {{Green, Red}}},
        {"OS/2 core header with 3-byte palette",
         {.HeaderSize = 12, .Width = 2, .Height = 1, .Bits = 4, .Palette = core4 + std::string(36, '\0'),
          .Pixels = std::string("\x32\0\0\0", 4)},
         {{Grey, Blue}}},
        {"OS/2 2.x header cut to 16 bytes",
         {.HeaderSize = 16, .Width = 2, .Height = 1, .Bits = 24, .Pixels = std::string("\0\0\xFF\xFF\0\0\0\0", 8)},
         {{Red, Blue}}},
        {"64-byte OS/2 2.x header",
         {.HeaderSize = 64, .Width = 1, .Height = 1, .Bits = 1, .ColoursUsed = 2, .Palette = palette4.substr(0, 8),
          .Pixels = std::string("\x80\0\0\0", 4)},
         {{Green}}},
        {"52-byte header carries 16-bit masks",
         {.HeaderSize = 52, .Width = 2, .Height = 1, .Bits = 16, .Compression = 3,
          .Extra = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F),
          .Pixels = std::string("\x00\xF8\x1F\x00", 4)},
         {{Red, Blue}}},
        {"40-byte header with masks after it, 4-4-4 in 16 bits",
         {.Width = 2, .Height = 1, .Bits = 16, .Compression = 3,
          .Extra = Le32(0x0F00) + Le32(0x00F0) + Le32(0x000F), .Pixels = std::string("\x80\x08\xF0\x00", 4)},
         {{qRgb(136, 136, 0), Green}}},
        {"32 bits, 10-10-10 masks",
         {.Width = 1, .Height = 1, .Bits = 32, .Compression = 3,
          .Extra = Le32(0x3FF00000) + Le32(0x000FFC00) + Le32(0x000003FF), .Pixels = Le32(0x3FF00000u | 0x200)},
         {{qRgb(255, 0, 128)}}},
        {"32 bits plain, unused byte zero: opaque",
         {.Width = 2, .Height = 1, .Bits = 32, .Pixels = Bgra(Red) + Bgra(Blue)},
         {{Red, Blue}}},
        {"32 bits plain with alpha: over white",
         {.Width = 2, .Height = 1, .Bits = 32, .Pixels = std::string("\0\0\xFF\x80\0\0\0\0", 8)},
         {{qRgb(255, 127, 127), White}}},
        {"32 bits, alpha 0x40 over white rounds to the nearest",
         {.Width = 1, .Height = 1, .Bits = 32, .Pixels = std::string("\x02\x80\xFF\x40", 4)},
         {{qRgb(255, 223, 192)}}},
        {"alpha bit fields: alpha 0 is transparent once some pixel is opaque",
         {.Width = 2, .Height = 1, .Bits = 16, .Compression = 6,
          .Extra = Le32(0x0F00) + Le32(0x00F0) + Le32(0x000F) + Le32(0xF000),
          .Pixels = std::string("\x00\x0F\xF0\xF0", 4)},
         {{White, Green}}},
        {"packed bitmap without file header",
         {.Width = 2, .Height = 1, .Bits = 8, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x01\x03\0\0", 4), .Packed = true},
         {{Green, Grey}}},
        {"rows cut short show white",
         {.Width = 2, .Height = 3, .Bits = 24, .Pixels = std::string("\0\0\xFF\0\xFF\0\0\0", 8) + "\xFF\0"},
         {{White, White}, {White, White}, {Red, Green}}},
        {"24-bit row cut inside a pixel keeps the bytes it has",
         {.Width = 2, .Height = 1, .Bits = 24, .Pixels = std::string("\0\0\xFF\x10", 4)},
         {{Red, qRgb(255, 255, 0x10)}}},
        {"8-bit row cut short: the rest of it and the rows above are white",
         {.Width = 3, .Height = 3, .Bits = 8, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x01\x02\x03\0\x02", 5)},
         {{White, White, White}, {Blue, White, White}, {Green, Blue, Grey}}},
        {"4-bit row cut short",
         {.Width = 5, .Height = 2, .Bits = 4, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x12\x30\0\0\x21", 5)},
         {{Blue, Green, White, White, White}, {Green, Blue, Grey, Red, Red}}},
        {"32-bit rows cut short",
         {.Width = 2, .Height = 3, .Bits = 32,
          .Pixels = std::string("\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0", 12)},
         {{White, White}, {Blue, White}, {Red, Green}}},
        {"RLE8 runs, absolute run, delta and end of line; skipped pixels take palette entry 0",
         {.Width = 4, .Height = 3, .Bits = 8, .Compression = 1, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x02\x01\x00\x00"           // row 0 (bottom): 2 green, end of line
                                "\x00\x03\x02\x03\x01\x00"   // row 1: absolute blue grey green, pad
                                "\x00\x00"                   // end of line
                                "\x00\x02\x02\x00"           // delta: 2 right
                                "\x05\x02"                   // run clipped at the right edge
                                "\x00\x01",
                                20)},
         {{Red, Red, Blue, Blue}, {Blue, Grey, Green, Red}, {Green, Green, Red, Red}}},
        {"RLE4 alternates nibbles",
         {.Width = 6, .Height = 1, .Bits = 4, .Compression = 2, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x03\x12\x00\x03\x30\x10\x00\x01", 8)},
         {{Green, Blue, Green, Grey, Red, Green}}},
        {"RLE data cut short: the rest is white",
         {.Width = 3, .Height = 2, .Bits = 8, .Compression = 1, .ColoursUsed = 4, .Palette = palette4,
          .Pixels = std::string("\x01\x02", 2)},
         {{White, White, White}, {Blue, White, White}}},
    };
    for (const auto& c : cases) {
        QImage picture;
        std::string error;
        const std::string bytes = MakeBitmap(c.Spec);
        ASSERT_TRUE(ReadBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), picture, error))
            << c.Label << ": " << error;
        ExpectPixels(picture, c.Expected, c.Label);
    }
}

TEST(BitmapReader, RefusesWhatAFileCannotMean)
{
    const std::string palette = Bgra(Red) + Bgra(Green);
    const struct {
        const char* Label;
        std::string Bytes;
        const char* Error;
    } cases[] = {
        {"empty", "", "Unknown format"},
        {"file header only", "BM" + Le32(14) + Le32(0) + Le32(14), "Unknown format"},
        {"header size 7", MakeBitmap({.HeaderSize = 40}).replace(14, 4, Le32(7)), "Unknown format"},
        {"zero width", MakeBitmap({.Width = 0}), "Unknown format"},
        {"zero height", MakeBitmap({.Height = 0}), "Unknown format"},
        {"negative width", MakeBitmap({.Width = -3}), "Unknown format"},
        {"absurd height", MakeBitmap({.Height = 2000000000}), "Unknown format"},
        {"most negative height", MakeBitmap({.Height = INT32_MIN}), "Unknown format"},
        {"3 bits", MakeBitmap({.Bits = 3}), "Unknown format"},
        {"RLE8 at 4 bits", MakeBitmap({.Bits = 4, .Compression = 1}), "Unknown format"},
        {"RLE4 at 8 bits", MakeBitmap({.Bits = 8, .Compression = 2}), "Unknown format"},
        {"bit fields at 24 bits", MakeBitmap({.Bits = 24, .Compression = 3, .Extra = std::string(12, '\xFF')}),
         "Unknown format"},
        {"embedded JPEG", MakeBitmap({.Compression = 4}), "Unknown format"},
        {"OS/2 Huffman", MakeBitmap({.HeaderSize = 64, .Bits = 1, .Compression = 3}), "Unknown format"},
        {"top-down RLE", MakeBitmap({.Height = -2, .Bits = 8, .Compression = 1}), "Unknown format"},
        {"5 colours in a 2-bit palette", MakeBitmap({.Bits = 2, .ColoursUsed = 5}), "Unknown format"},
        {"300 colours at 8 bits", MakeBitmap({.Bits = 8, .ColoursUsed = 300}), "Unknown format"},
        {"masks cut off", MakeBitmap({.Bits = 16, .Compression = 3}), "Unknown format"},
        {"too large for memory", MakeBitmap({.Width = 900000, .Height = 900000}), "Out of memory"},
    };
    for (const auto& c : cases) {
        QImage picture;
        std::string error;
        EXPECT_FALSE(ReadBitmap(reinterpret_cast<const std::uint8_t*>(c.Bytes.data()), c.Bytes.size(), picture,
                                error))
            << c.Label;
        EXPECT_EQ(error, c.Error) << c.Label;
    }
}

TEST(BitmapReader, HostileFilesFailCleanly)
{
    QDir crashers(QString::fromStdString(TestDataPath("crashers")));
    const QStringList files = crashers.entryList({"*.bmp", "*.dib", "*.rle"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    SetAllocationCeilingForTesting(64 << 20);
    for (const QString& name : files) {
        QImage picture;
        std::string error;
        const bool read = ReadBitmapFile(crashers.filePath(name).toStdString(), picture, error);
        EXPECT_TRUE(!read || !picture.isNull()) << name.toStdString();
        if (!read) {
            EXPECT_TRUE(error == "Unknown format" || error == "Out of memory") << name.toStdString() << ": " << error;
        }
    }
    SetAllocationCeilingForTesting(0);
}

TEST(BitmapReader, FileAndStreamEntries)
{
    const std::string folder = MakeTempFolder("bitmap-entries");
    const std::string bytes = MakeBitmap({.Width = 1, .Height = 1, .Pixels = std::string("\0\xFF\0\0", 4)});
    const struct {
        const char* Label;
        std::function<bool(QImage&, std::string&)> Read;
        bool Succeeds;
        const char* Error;
    } cases[] = {
        {"missing file", [&](QImage& p, std::string& e) { return ReadBitmapFile(folder + "none.bmp", p, e); },
         false, "File not found"},
        {"file",
         [&](QImage& p, std::string& e) {
             WriteWholeFile(folder + "one.bmp", bytes);
             return ReadBitmapFile(folder + "one.bmp", p, e);
         },
         true, ""},
        {"device from its position",
         [&](QImage& p, std::string& e) {
             QByteArray data = QByteArray("junk") + QByteArray(bytes.data(), qsizetype(bytes.size()));
             QBuffer buffer(&data);
             buffer.open(QIODevice::ReadOnly);
             buffer.seek(4);
             return ReadBitmap(buffer, p, e);
         },
         true, ""},
    };
    for (const auto& c : cases) {
        QImage picture;
        std::string error;
        EXPECT_EQ(c.Read(picture, error), c.Succeeds) << c.Label;
        if (c.Succeeds)
            EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 255, 0)) << c.Label;
        else
            EXPECT_EQ(error, c.Error) << c.Label;
    }
}

} // namespace
