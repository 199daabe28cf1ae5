// PNG, GIF, TIFF, WebP, HEIC and AVIF opened through the registry, against
// ImageMagick's and Pillow's readings of the same files.
#include "imaging/open_image.h"

#include "support/memory/memory_limit.h"
#include "tests/imaging/picture_fixtures.h"
#include "tests/test_support.h"

#include <QTransform>

#include <gtest/gtest.h>

#include <zlib.h>

using namespace orvanto;

namespace {

constexpr const char* Pillow = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                               "Image.open(sys.argv[1]).convert('RGB').save('ref.ppm')\" ";
// Pillow's reading turned into sRGB by the file's embedded profile.
constexpr const char* PillowToSrgb = "/usr/bin/python3 -c \"import io, sys; from PIL import Image, ImageCms; "
                                     "im = Image.open(sys.argv[1]); source = io.BytesIO(im.info['icc_profile']); "
                                     "ImageCms.profileToProfile(im, ImageCms.ImageCmsProfile(source), "
                                     "ImageCms.createProfile('sRGB'), outputMode='RGB').save('ref.ppm')\" ";
#define ADOBE_RGB "convert in.ppm -profile /usr/share/color/icc/sRGB.icc " \
                  "-profile /usr/share/color/icc/compatibleWithAdobeRGB1998.icc -depth 8 "
#define CMYK_INKS "convert in.ppm -profile /usr/share/color/icc/sRGB.icc " \
                  "-profile /usr/share/color/icc/ghostscript/default_cmyk.icc "
// ImageMagick's reading, transparency over white.
constexpr const char* Magick = "convert -background white -alpha remove -depth 8 ";

QImage Open(const std::string& path, std::string& error)
{
    QImage bitmap(1, 1, QImage::Format_BGR888);
    TImageInfoRec info{path, 16777215, "", &bitmap};
    const TOpenImage registry;
    if (!registry.Open(info))
        bitmap = QImage();
    error = info.ErrorText;
    return bitmap;
}

// A 16-bit raw pixmap reduced to 8 bits with rounding, as the readers must.
QImage Rounded16(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    int width = 0, height = 0, maximum = 0, used = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &used) != 3 || maximum != 65535)
        return QImage();
    QImage picture(width, height, QImage::Format_RGB32);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + used + 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, p += 6) {
            auto round = [](const unsigned char* s) { return ((s[0] << 8 | s[1]) * 255 + 32767) / 65535; };
            picture.setPixel(x, y, qRgb(round(p), round(p + 2), round(p + 4)));
        }
    return picture;
}

TEST(PictureReaders, ReadAsImageMagickAndPillowDo)
{
    const std::string folder = MakeTempFolder("picture-readers");
    WriteSourcePpm(folder + "in.ppm", 61, 37, 0);
    ASSERT_EQ(RunCommand("cd " + folder + " && convert in.ppm -alpha set -channel A -fx 'i/w' +channel alpha.png"
                         " && convert -delay 10 in.ppm -negate in.ppm anim.gif"),
              0);
    const struct {
        const char* File;
        const char* Make;      // from in.ppm, alpha.png or anim.gif
        std::string Reference; // writes ref.ppm; at 16 bits it is rounded here
        int Tolerance;
    } cases[] = {
        {"rgb.png", "convert in.ppm rgb.png", Pillow, 0},
        {"palette.png", "convert in.ppm -colors 20 PNG8:palette.png", Pillow, 0},
        {"grey.png", "convert in.ppm -colorspace Gray grey.png", Pillow, 0},
        {"mono.png", "convert in.ppm -monochrome mono.png", Pillow, 0},
        {"deep.png", "convert in.ppm -depth 16 PNG48:deep.png", "convert deep.png -depth 16 ref.ppm", 0},
        {"deepgrey.png", "convert in.ppm -colorspace Gray -depth 16 deepgrey.png",
         "convert deepgrey.png -depth 16 -type TrueColor ref.ppm", 0},
        {"alpha.png", "true", std::string(Magick) + "alpha.png ref.ppm", 1},
        {"alpha16.png", "convert alpha.png -depth 16 PNG64:alpha16.png", std::string(Magick) + "alpha16.png ref.ppm", 1},
        {"still.gif", "convert in.ppm still.gif", Pillow, 0},
        {"alpha.gif", "convert alpha.png alpha.gif", std::string(Magick) + "alpha.gif ref.ppm", 0},
        {"anim.gif", "true", std::string(Magick) + "'anim.gif[0]' ref.ppm", 0},
        {"plain.tif", "convert in.ppm -compress none plain.tif", Pillow, 0},
        {"lzw.TIF", "convert in.ppm -compress lzw lzw.TIF", Pillow, 0},
        {"zip.tiff", "convert in.ppm -compress zip zip.tiff", Pillow, 0},
        {"jpeg.tif", "convert in.ppm -compress jpeg jpeg.tif", Pillow, 0},
        {"tiled.tif", "convert in.ppm -define tiff:tile-geometry=16x16 tiled.tif", std::string(Magick) + "tiled.tif ref.ppm", 0},
        {"grey.tif", "convert in.ppm -colorspace Gray grey.tif", Pillow, 0},
        {"fax.tif", "convert in.ppm -monochrome -compress Group4 fax.tif", Pillow, 0},
        {"deep.tif", "convert in.ppm -depth 16 deep.tif", "convert deep.tif -depth 16 ref.ppm", 0},
        // libtiff truncates 16-bit palette entries and converts CMYK by the plain formula.
        {"palette.tif", "convert in.ppm -colors 20 -type Palette palette.tif", std::string(Magick) + "palette.tif ref.ppm", 1},
        {"cmyk.tif", "convert in.ppm -colorspace CMYK cmyk.tif", std::string(Magick) + "cmyk.tif ref.ppm", 1},
        {"alpha.tif", "convert alpha.png alpha.tif", std::string(Magick) + "alpha.tif ref.ppm", 2},
        {"lossy.webp", "convert in.ppm lossy.webp", Pillow, 0},
        {"lossless.webp", "convert in.ppm -define webp:lossless=true lossless.webp", Pillow, 0},
        {"alpha.webp", "convert alpha.png -define webp:lossless=true alpha.webp", std::string(Magick) + "alpha.webp ref.ppm", 1},
        {"anim.webp", "convert anim.gif -define webp:lossless=true anim.webp", Pillow, 0},
        // ImageMagick turns libheif's YCbCr into colour its own way.
        {"still.heic", "convert in.ppm still.heic", std::string(Magick) + "still.heic ref.ppm", 10},
        {"still.HEIF", "convert in.ppm still.heic && mv still.heic still.HEIF", std::string(Magick) + "heic:still.HEIF ref.ppm", 10},
        {"still.avif", "convert in.ppm still.avif", std::string(Magick) + "still.avif ref.ppm", 10},
        {"alpha.heic", "convert alpha.png alpha.heic", std::string(Magick) + "alpha.heic ref.ppm", 10},
        // Embedded Adobe RGB profiles (iCCP, the TIFF tag, ICCP) turned into sRGB.
        {"adobe.png", ADOBE_RGB "adobe.png", std::string(PillowToSrgb) + "adobe.png", 1},
        {"adobe.tif", ADOBE_RGB "adobe.tif", std::string(PillowToSrgb) + "adobe.tif", 1},
        {"adobe.webp", ADOBE_RGB "-define webp:lossless=true adobe.webp", std::string(PillowToSrgb) + "adobe.webp", 1},
        // CMYK with the profile of its inks, contiguous and in planes, through that profile.
        {"inks.tif", CMYK_INKS "inks.tif", std::string(PillowToSrgb) + "inks.tif", 2},
        {"planes.tif", CMYK_INKS "inks-lzw.tif && tiffcp -p separate -c lzw inks-lzw.tif planes.tif", std::string(PillowToSrgb) + "planes.tif", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        ASSERT_EQ(RunCommand("cd " + folder + " && rm -f ref.ppm && " + c.Make), 0) << c.Make;
        const bool deep = c.Reference.find("-depth 16") != std::string::npos;
        const std::string reference = c.Reference + (c.Reference == Pillow ? c.File : "");
        ASSERT_EQ(RunCommand("cd " + folder + " && " + reference), 0) << reference;
        std::string error, where;
        const QImage ours = Open(folder + c.File, error);
        ASSERT_FALSE(ours.isNull()) << error;
        EXPECT_EQ(ours.format(), QImage::Format_BGR888);
        const QImage expected = deep ? Rounded16(folder + "ref.ppm") : LoadWithQt(folder + "ref.ppm");
        EXPECT_LE(LargestDifference(ours, expected, where), c.Tolerance) << "at " << where;
    }
}

TEST(PictureReaders, TurnPicturesUprightByTheirOrientation)
{
    const std::string folder = MakeTempFolder("picture-readers-upright");
    WriteSourcePpm(folder + "in.ppm", 29, 13, 0);
    // Pillow records the orientation as EXIF in PNG (eXIf) and WebP, and as
    // the TIFF tag; the pixels stay as stored.
    ASSERT_EQ(RunCommand("cd " + folder + " && /usr/bin/python3 -c \"from PIL import Image\n"
                         "im = Image.open('in.ppm')\nfor n in range(1, 9):\n"
                         "    exif = Image.Exif(); exif[0x0112] = n\n"
                         "    im.save(f'{n}.png', exif=exif)\n"
                         "    im.save(f'{n}.webp', lossless=True, exif=exif.tobytes())\n"
                         "    im.save(f'{n}.tif', tiffinfo={274: n})\""),
              0);
    const QImage stored = LoadWithQt(folder + "in.ppm");
    const QTransform turn = QTransform().rotate(90), back = QTransform().rotate(270);
    const struct {
        int Orientation;
        QImage Expected;
    } cases[] = {
        {1, stored},
        {2, stored.mirrored(true, false)},
        {3, stored.mirrored(true, true)},
        {4, stored.mirrored(false, true)},
        {5, stored.transformed(turn).mirrored(true, false)},
        {6, stored.transformed(turn)},
        {7, stored.transformed(turn).mirrored(false, true)},
        {8, stored.transformed(back)},
    };
    for (const auto& c : cases)
        for (const char* extension : {".png", ".webp", ".tif"}) {
            const std::string name = std::to_string(c.Orientation) + extension;
            std::string error, where;
            const QImage ours = Open(folder + name, error);
            ASSERT_FALSE(ours.isNull()) << name << ": " << error;
            EXPECT_EQ(LargestDifference(ours, c.Expected, where), 0) << name << " at " << where;
        }
}

// A HEIC's own thumbnail is its quick copy: the same picture at a smaller
// size, in the same colours once both are turned into sRGB.
TEST(PictureReaders, HeifThumbnailsAreTheQuickCopy)
{
    const std::string folder = MakeTempFolder("picture-readers-heif-thumbnail");
    ASSERT_EQ(RunCommand("cd " + folder + " && convert -size 400x200 xc:'rgb(200,40,20)' -size 400x200 "
                         "xc:'rgb(30,60,190)' +append -depth 8 PNG24:plain.png && convert plain.png "
                         "-profile /usr/share/color/icc/sRGB.icc -profile "
                         "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc PNG24:adobe.png"),
              0);
    const struct {
        const char* Shows;
        const char* Make;
        QSize Need;
        QSize Copy; // empty: no quick copy
    } cases[] = {
        {"the thumbnail, though smaller than the need", "heif-enc -q 95 -t 200 plain.png -o x.heic", {400, 100},
         {200, 50}},
        {"the thumbnail in the picture's colour profile", "heif-enc -q 95 -t 200 adobe.png -o x.heic", {100, 25},
         {200, 50}},
        {"none without a thumbnail", "heif-enc -q 95 plain.png -o x.heic", {100, 25}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        ASSERT_EQ(RunCommand("cd " + folder + " && rm -f x.heic && " + c.Make + " >/dev/null"), 0);
        const TOpenImage registry;
        QImage copy;
        QSize full;
        const bool read = registry.OpenPreview(folder + "x.heic", [&c](QSize) { return c.Need; }, copy, full);
        ASSERT_EQ(read, !c.Copy.isEmpty());
        if (!read)
            continue;
        EXPECT_EQ(full, QSize(800, 200));
        ASSERT_EQ(copy.size(), c.Copy);
        std::string error;
        const QImage whole = Open(folder + "x.heic", error);
        ASSERT_FALSE(whole.isNull()) << error;
        for (const double at : {0.25, 0.75}) {
            const QColor ours = copy.pixelColor(int(copy.width() * at), copy.height() / 2);
            const QColor theirs = whole.pixelColor(int(whole.width() * at), whole.height() / 2);
            EXPECT_NEAR(ours.red(), theirs.red(), 12) << at;
            EXPECT_NEAR(ours.green(), theirs.green(), 12) << at;
            EXPECT_NEAR(ours.blue(), theirs.blue(), 12) << at;
        }
    }
}

TEST(PictureReaders, TurnHeifPicturesByTheirRotation)
{
    const std::string folder = MakeTempFolder("picture-readers-irot");
    WriteSourcePpm(folder + "in.ppm", 29, 13, 0);
    ASSERT_EQ(RunCommand("cd " + folder + " && convert in.ppm in.heic"), 0);
    std::string error;
    const QImage stored = Open(folder + "in.heic", error);
    ASSERT_FALSE(stored.isNull()) << error;
    // The rotation property turns anticlockwise by quarter turns.
    for (int quarters = 1; quarters <= 3; ++quarters) {
        const std::string name = "irot" + std::to_string(quarters) + ".heic";
        ASSERT_EQ(RunCommand("cd " + folder + " && /usr/bin/python3 " + TestDataPath("heif_add_transform.py")
                             + " in.heic " + name + " irot:" + std::to_string(quarters)),
                  0);
        std::string where;
        const QImage turned = Open(folder + name, error);
        ASSERT_FALSE(turned.isNull()) << name << ": " << error;
        EXPECT_EQ(LargestDifference(turned, stored.transformed(QTransform().rotate(-90.0 * quarters)), where), 0)
            << name << " at " << where;
    }
}

// A PNG whose header claims width x height, nothing after it.
std::string PngHeader(std::uint32_t width, std::uint32_t height)
{
    auto be32 = [](std::uint32_t v) { return std::string{char(v >> 24), char(v >> 16 & 255), char(v >> 8 & 255), char(v & 255)}; };
    const std::string chunk = "IHDR" + be32(width) + be32(height) + std::string("\x08\x02\0\0\0", 5);
    const auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), uInt(chunk.size())));
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + chunk + be32(crc);
}

// A GIF cut short inside its frame keeps the rows its data holds; the rest
// is white, not the black Qt leaves.
TEST(PictureReaders, CutGifShowsWhiteWhereTheDataEnds)
{
    const std::string folder = MakeTempFolder("picture-readers-cut-gif");
    ASSERT_EQ(RunCommand("cd " + folder + " && convert -size 60x40 gradient:yellow-red full.gif"), 0);
    std::string error, where;
    const QImage full = Open(folder + "full.gif", error);
    ASSERT_FALSE(full.isNull()) << error;
    const std::string bytes = ReadWholeFile(folder + "full.gif");
    for (std::size_t keep : {bytes.size() / 3, bytes.size() / 2, bytes.size() * 3 / 4 + 1}) {
        SCOPED_TRACE(keep);
        ASSERT_TRUE(WriteWholeFile(folder + "cut.gif", bytes.substr(0, keep)));
        const QImage cut = Open(folder + "cut.gif", error);
        ASSERT_FALSE(cut.isNull()) << error;
        EXPECT_EQ(cut.pixelColor(0, 0), full.pixelColor(0, 0));
        EXPECT_EQ(cut.pixelColor(59, 39), QColor(Qt::white));
        int whiteFrom = -1;
        for (int i = 0; i < 60 * 40; ++i) {
            const QColor colour = cut.pixelColor(i % 60, i / 60);
            if (whiteFrom < 0 && colour != full.pixelColor(i % 60, i / 60))
                whiteFrom = i;
            if (whiteFrom >= 0) {
                ASSERT_EQ(colour, QColor(Qt::white)) << "at " << i % 60 << "," << i / 60;
            }
        }
    }
}

TEST(PictureReaders, FailuresNameTheCauseAndKeepTheBitmap)
{
    const std::string folder = MakeTempFolder("picture-readers-bad");
    WriteSourcePpm(folder + "in.ppm", 40, 30, 0);
    ASSERT_EQ(RunCommand("cd " + folder + " && for e in png gif tif webp heic avif; do convert in.ppm small.$e; done"), 0);
    ASSERT_TRUE(WriteWholeFile(folder + "huge.png", PngHeader(20000, 20000)));
    ASSERT_TRUE(WriteWholeFile(folder + "wide.png", PngHeader(300000000, 1)));
    const struct {
        const char* File;
        std::int64_t Ceiling; // 0: as the machine allows
        std::size_t Keep;     // bytes of the file kept; 0 all
        const char* Error;
    } cases[] = {
        {"huge.png", 0, 0, "Out of memory"},
        {"wide.png", 0, 0, "Out of memory"},
        {"small.png", 1000, 0, "Out of memory"},
        {"small.gif", 1000, 0, "Out of memory"},
        {"small.tif", 1000, 0, "Out of memory"},
        {"small.webp", 1000, 0, "Out of memory"},
        {"small.heic", 1000, 0, "Out of memory"},
        {"small.avif", 1000, 0, "Out of memory"},
        {"small.png", 0, 40, "Unknown format"},
        {"small.gif", 0, 20, "Unknown format"},
        {"small.tif", 0, 12, "Unknown format"},
        {"small.webp", 0, 30, "Unknown format"},
        {"small.heic", 0, 100, "Unknown format"},
        {"small.avif", 0, 100, "Unknown format"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.File) + " ceiling " + std::to_string(c.Ceiling) + " kept " + std::to_string(c.Keep));
        std::string path = folder + c.File;
        if (c.Keep) {
            path = folder + "cut-" + c.File;
            ASSERT_TRUE(WriteWholeFile(path, ReadWholeFile(folder + c.File).substr(0, c.Keep)));
        }
        SetAllocationCeilingForTesting(c.Ceiling);
        QImage bitmap(2, 2, QImage::Format_BGR888);
        bitmap.fill(Qt::red);
        TImageInfoRec info{path, 16777215, "", &bitmap};
        const bool opened = TOpenImage().Open(info);
        SetAllocationCeilingForTesting(0);
        EXPECT_FALSE(opened);
        EXPECT_EQ(info.ErrorText, c.Error);
        EXPECT_EQ(bitmap.size(), QSize(2, 2));
        EXPECT_EQ(bitmap.pixelColor(1, 1), QColor(Qt::red));
    }
}

// The quick reduced copies the registry offers for a first look: at least
// what the caller needs, at most half the picture, and the same picture.
TEST(PictureReaders, QuickCopiesReachTheNeedAndShowThePicture)
{
    const std::string folder = MakeTempFolder("quick-copies");
    WriteSourcePpm(folder + "in.ppm", 640, 480, 0);
    ASSERT_EQ(RunCommand("cd " + folder + " && convert in.ppm -quality 95 photo.jpg && convert in.ppm -quality 95 "
                         "photo.webp && convert in.ppm photo.png"),
              0);
    const struct {
        const char* File;
        QSize Need;
        QSize Expected; // 0 x 0: no quick copy
    } cases[] = {
        {"photo.jpg", {100, 60}, {160, 120}},
        {"photo.webp", {100, 60}, {100, 75}},
        {"photo.webp", {321, 10}, {0, 0}},
        {"photo.png", {10, 10}, {0, 0}},
    };
    for (const auto& c : cases) {
        QImage preview;
        QSize full;
        const bool read = OpenImage()->OpenPreview(folder + c.File, [&](QSize) { return c.Need; }, preview, full);
        EXPECT_EQ(read, !c.Expected.isEmpty()) << c.File;
        EXPECT_EQ(preview.size(), c.Expected) << c.File << " " << c.Need.width();
        if (!read)
            continue;
        EXPECT_EQ(full, QSize(640, 480)) << c.File;
        std::string error;
        const QImage whole = Open(folder + c.File, error);
        const QImage smaller = whole.scaled(preview.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_BGR888);
        std::string where;
        EXPECT_LE(LargestDifference(preview.convertToFormat(QImage::Format_BGR888), smaller, where), 48)
            << c.File << " at " << where;
    }
}

} // namespace
