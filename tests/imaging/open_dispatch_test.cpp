// Opening real files of every wired format through the registry, as the
// workspace does.
#include "imaging/codecs/text_picture.h"
#include "imaging/library/jpeg_codec.h"
#include "imaging/metafile/metafile.h"
#include "imaging/open_image.h"
#include "imaging/optimised_image.h"
#include "tests/test_support.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

struct TFixture {
    const char* Extension; // as written in the file name
    std::string Bytes;
    QSize Size;
    QPoint Probe; // a pixel whose colour is known
    QColor Colour;
    bool Partial = false; // the file ends before the picture
};

std::string QtEncoded(const QImage& picture, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format));
    return bytes.toStdString();
}

QImage Sample()
{
    QImage picture(5, 3, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    picture.setPixelColor(4, 2, QColor(250, 0, 120));
    return picture;
}

std::vector<TFixture> Fixtures()
{
    const std::string bmp = QtEncoded(Sample(), "BMP");
    const std::string xbm = "#define t_width 3\n#define t_height 2\n"
                            "static char t_bits[] = { 0x05, 0x02 };\n";
    QImage tall(64, 256, QImage::Format_RGB32);
    tall.fill(QColor(10, 200, 30));
    QByteArray jpeg;
    std::string error;
    EXPECT_TRUE(EncodeJpeg(tall, 90, jpeg, error));
    const std::string cutJpeg = jpeg.toStdString().substr(0, std::size_t(jpeg.size()) * 3 / 4);
    return {
        {".ppm", std::string("P6 2 2 255 ") + "\x01\x02\x03\x04\x05", {2, 2}, {1, 1}, QColor(255, 255, 255), true},
        {".pgm", "P2 2 2 10 0 10 10", {2, 2}, {1, 1}, QColor(255, 255, 255), true},
        {".jpg", cutJpeg, {64, 256}, {0, 255}, QColor(255, 255, 255), true},
        {".bmp", bmp, {5, 3}, {4, 2}, QColor(250, 0, 120)},
        {".DIB", bmp, {5, 3}, {0, 0}, QColor(10, 200, 30)},
        {".Rle", bmp, {5, 3}, {4, 2}, QColor(250, 0, 120)},
        {".ppm", "P3 2 1 255 255 0 0 0 0 255", {2, 1}, {1, 0}, QColor(0, 0, 255)},
        {".PGM", "P2 2 2 10 0 10 10 0", {2, 2}, {1, 0}, QColor(255, 255, 255)},
        {".pBm", "P1 3 1 1 0 1", {3, 1}, {0, 0}, QColor(0, 0, 0)},
        {".xbm", xbm, {3, 2}, {1, 0}, QColor(255, 255, 255)},
        {".XBM", xbm, {3, 2}, {2, 0}, QColor(0, 0, 0)},
    };
}

} // namespace

TEST(OpenDispatch, WiredFormatsOpenInAnyCase)
{
    const std::string folder = MakeTempFolder("dispatch");
    const TOpenImage registry;
    int n = 0;
    for (const TFixture& f : Fixtures()) {
        const std::string path = folder + "p" + std::to_string(n++) + f.Extension;
        ASSERT_TRUE(WriteWholeFile(path, f.Bytes));
        SCOPED_TRACE(path);
        QImage bitmap(1, 1, QImage::Format_BGR888);
        TImageInfoRec info{path, 16777215, "", &bitmap};
        ASSERT_TRUE(registry.Open(info)) << info.ErrorText;
        EXPECT_EQ(bitmap.size(), f.Size);
        EXPECT_EQ(bitmap.format(), QImage::Format_BGR888);
        EXPECT_EQ(bitmap.pixelColor(f.Probe), f.Colour);
        EXPECT_EQ(info.Partial, f.Partial);
    }
}

TEST(OpenDispatch, UndecodableFilesFailWithUnknownFormatAndKeepTheBitmap)
{
    const std::string folder = MakeTempFolder("dispatch-bad");
    const TOpenImage registry;
    for (const char* extension : {".BMP", ".dib", ".RLE", ".PPM", ".pgm", ".PBM", ".XBM", ".JPG",
                                  ".JIF", ".ICO", ".WMF", ".EMF", ".TEP", ".OMI", ".png", ".GIF",
                                  ".tif", ".TIFF", ".webp", ".HEIC", ".heif", ".AVIF", ".jpeg", ".JPE"}) {
        SCOPED_TRACE(extension);
        const std::string path = folder + "bad" + extension;
        ASSERT_TRUE(WriteWholeFile(path, "this is no picture of any kind\n"));
        QImage bitmap(2, 2, QImage::Format_BGR888);
        bitmap.fill(Qt::red);
        TImageInfoRec info{path, 16777215, "", &bitmap};
        EXPECT_FALSE(registry.Open(info));
        if (std::string(extension) == ".TEP")
            EXPECT_FALSE(info.ErrorText.empty());
        else
            EXPECT_EQ(info.ErrorText, "Unknown format");
        EXPECT_EQ(bitmap.size(), QSize(2, 2));
        EXPECT_EQ(bitmap.pixelColor(1, 1), QColor(Qt::red));
    }
}

TEST(OpenDispatch, MetafilesOpenAsTheirPlayerDrawsThem)
{
    const std::string folder = MakeTempFolder("dispatch-metafiles");
    const TOpenImage registry;
    for (const char* name : {"emf_shapes.emf", "wmf_bitmap.wmf", "office_chart_wmf.wmf"}) {
        SCOPED_TRACE(name);
        const std::string source = TestDataPath(std::string("metafiles/") + name);
        QImage expected;
        std::string error;
        ASSERT_TRUE(LoadMetafile(source, expected, error)) << error;
        // The same bytes under an upper-case extension open the same way.
        std::string upper = folder + name;
        for (std::size_t i = upper.rfind('.'); i < upper.size(); ++i)
            upper[i] = char(std::toupper(static_cast<unsigned char>(upper[i])));
        ASSERT_TRUE(WriteWholeFile(upper, ReadWholeFile(source)));
        for (const std::string& path : {source, upper}) {
            QImage bitmap;
            TImageInfoRec info{path, 16777215, "", &bitmap};
            ASSERT_TRUE(registry.Open(info)) << info.ErrorText;
            EXPECT_EQ(bitmap.size(), expected.size());
            EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32),
                      expected.convertToFormat(QImage::Format_RGB32));
        }
    }
}

namespace {

void PutLe(std::string& bytes, std::uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
}

// A 2 x 2 icon of 32 bits: top-left opaque red, the other three fully
// transparent (alpha 0 and set in the mask).
std::string TransparentIcon()
{
    std::string bytes;
    PutLe(bytes, 0, 2), PutLe(bytes, 1, 2), PutLe(bytes, 1, 2); // directory: one icon
    const std::uint32_t imageSize = 40 + 2 * 2 * 4 + 2 * 4;
    bytes += char(2), bytes += char(2), bytes += char(0), bytes += char(0);
    PutLe(bytes, 1, 2), PutLe(bytes, 32, 2), PutLe(bytes, imageSize, 4), PutLe(bytes, 22, 4);
    PutLe(bytes, 40, 4), PutLe(bytes, 2, 4), PutLe(bytes, 4, 4); // header, height doubled
    PutLe(bytes, 1, 2), PutLe(bytes, 32, 2), PutLe(bytes, 0, 4), PutLe(bytes, 0, 4);
    PutLe(bytes, 0, 4), PutLe(bytes, 0, 4), PutLe(bytes, 0, 4), PutLe(bytes, 0, 4);
    // Rows bottom-up, blue green red alpha.
    PutLe(bytes, 0x00000000, 4), PutLe(bytes, 0x00000000, 4);
    PutLe(bytes, 0xFFFF0000, 4), PutLe(bytes, 0x00000000, 4);
    // Mask rows bottom-up, each padded to 4 bytes.
    PutLe(bytes, 0xC0, 4), PutLe(bytes, 0x40, 4);
    return bytes;
}

} // namespace

TEST(OpenDispatch, IconTransparencyShowsTheBackground)
{
    const std::string folder = MakeTempFolder("dispatch-icon");
    const std::string path = folder + "t.Ico";
    ASSERT_TRUE(WriteWholeFile(path, TransparentIcon()));
    const TOpenImage registry;
    struct TCase {
        std::int64_t Background;
        QColor Expected;
    };
    for (const TCase& c : {TCase{16777215, QColor(255, 255, 255)},
                           TCase{0x0000FF00, QColor(0, 255, 0)}}) {
        SCOPED_TRACE(c.Background);
        QImage bitmap;
        TImageInfoRec info{path, c.Background, "", &bitmap};
        ASSERT_TRUE(registry.Open(info)) << info.ErrorText;
        EXPECT_EQ(bitmap.size(), QSize(2, 2));
        EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(255, 0, 0));
        EXPECT_EQ(bitmap.pixelColor(1, 0), c.Expected);
        EXPECT_EQ(bitmap.pixelColor(0, 1), c.Expected);
        EXPECT_EQ(bitmap.pixelColor(1, 1), c.Expected);
    }
}

TEST(OpenDispatch, JifOpensExactlyLikeJpg)
{
    const std::string folder = MakeTempFolder("dispatch-jpeg");
    QImage source(16, 9, QImage::Format_BGR888);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 16; ++x)
            source.setPixelColor(x, y, QColor(x * 15, y * 25, 128));
    std::string error;
    ASSERT_TRUE(SaveJpegFile(source, 90, folder + "p.jpg", error)) << error;
    const std::string jpeg = ReadWholeFile(folder + "p.jpg");
    for (const char* name : {"p.JIF", "p.jif", "p.JPG", "p.jpeg", "p.JPE"})
        ASSERT_TRUE(WriteWholeFile(folder + name, jpeg));
    const TOpenImage registry;
    QImage reference;
    TImageInfoRec first{folder + "p.jpg", 16777215, "", &reference};
    ASSERT_TRUE(registry.Open(first)) << first.ErrorText;
    EXPECT_EQ(reference.size(), QSize(16, 9));
    for (const char* name : {"p.JIF", "p.jif", "p.JPG", "p.jpeg", "p.JPE"}) {
        SCOPED_TRACE(name);
        QImage bitmap;
        TImageInfoRec info{folder + name, 16777215, "", &bitmap};
        ASSERT_TRUE(registry.Open(info)) << info.ErrorText;
        EXPECT_EQ(bitmap, reference);
    }
}

TEST(OpenDispatch, OwnFormatsOpenAndReportTheirFailures)
{
    const std::string folder = MakeTempFolder("dispatch-own");
    QImage sample(6, 5, QImage::Format_BGR888);
    sample.fill(QColor(0, 0, 255));
    sample.setPixelColor(5, 4, QColor(255, 255, 0));

    TTextPicture text;
    text.AssignBitmap(sample);
    QByteArray tep;
    QBuffer buffer(&tep);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    text.SaveToStream(buffer);
    TOptimisedImage optimised;
    optimised.AssignBitmap(sample);
    std::string omi;
    ASSERT_TRUE(optimised.Encode(omi)) << optimised.LastError;
    ASSERT_TRUE(WriteWholeFile(folder + "s.Tep", tep.toStdString()));
    ASSERT_TRUE(WriteWholeFile(folder + "s.omi", omi));

    const TOpenImage registry;
    for (const char* name : {"s.Tep", "s.omi"}) {
        SCOPED_TRACE(name);
        QImage bitmap;
        TImageInfoRec info{folder + name, 16777215, "", &bitmap};
        ASSERT_TRUE(registry.Open(info)) << info.ErrorText;
        EXPECT_EQ(bitmap.size(), QSize(6, 5));
        EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(0, 0, 255));
    }

    // A damaged Text Picture names its own cause; a damaged container is an
    // unknown format.
    ASSERT_TRUE(WriteWholeFile(folder + "bad.TEP", "T6 {no picture here}"));
    ASSERT_TRUE(WriteWholeFile(folder + "bad.OMI", omi.substr(0, omi.size() / 2)));
    TTextPicture codec;
    ASSERT_FALSE(codec.TryLoadFromFile(folder + "bad.TEP"));
    ASSERT_FALSE(codec.LastError.empty());
    const std::pair<const char*, std::string> failures[] = {
        {"bad.TEP", codec.LastError},
        {"bad.OMI", "Unknown format"},
    };
    for (const auto& [name, error] : failures) {
        SCOPED_TRACE(name);
        QImage bitmap(1, 1, QImage::Format_BGR888);
        TImageInfoRec info{folder + name, 16777215, "", &bitmap};
        EXPECT_FALSE(registry.Open(info));
        EXPECT_EQ(info.ErrorText, error);
    }
}
