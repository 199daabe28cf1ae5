#include "imaging/library/jpeg_codec.h"

#include "support/memory/memory_limit.h"
#include "tests/imaging/picture_fixtures.h"
#include "tests/test_support.h"

#include <QBuffer>
#include <QDir>
#include <QTransform>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

double MeanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

QImage ReadOrFail(const std::string& bytes, TJpegOrientation orientation = TJpegOrientation::Upright)
{
    QImage picture;
    std::string error;
    EXPECT_TRUE(ReadJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), picture, error,
                         orientation))
        << error;
    return picture;
}

// Pillow's colour management (LittleCMS, perceptual, into its built-in sRGB)
// of out.jpg's embedded profile, into ref.ppm. ImageMagick's own conversion
// lifts the darkest greys and CMYK's deep shadows by up to 30 levels.
const char* const PillowToSrgb = "/usr/bin/python3 -c \"import io, sys; from PIL import Image, ImageCms; "
                                 "im = Image.open(sys.argv[1]); source = io.BytesIO(im.info['icc_profile']); "
                                 "ImageCms.profileToProfile(im, ImageCms.ImageCmsProfile(source), "
                                 "ImageCms.createProfile('sRGB'), outputMode='RGB').save(sys.argv[2])\" out.jpg ref.ppm";

TEST(JpegCodec, ReadsWhatOtherToolsWrite)
{
    const std::string folder = MakeTempFolder("jpeg-peers");
    WriteSourcePpm(folder + "in.ppm", 61, 37, 0);
    const struct {
        const char* Command;  // makes out.jpg from in.ppm
        const char* Reference; // makes ref.ppm from out.jpg
        int Tolerance;
    } cases[] = {
        {"cjpeg -quality 90 in.ppm > out.jpg", "djpeg -pnm out.jpg > ref.ppm", 0},
        {"cjpeg -quality 75 -progressive in.ppm > out.jpg", "djpeg -pnm out.jpg > ref.ppm", 0},
        {"cjpeg -grayscale in.ppm > out.jpg", "djpeg -pnm out.jpg | ppmtoppm > ref.ppm", 0},
        {"cjpeg -sample 1x1 -optimize in.ppm > out.jpg", "djpeg -pnm out.jpg > ref.ppm", 0},
        {"cjpeg -rgb in.ppm > out.jpg", "djpeg -pnm out.jpg > ref.ppm", 0},
        {"convert in.ppm -quality 85 -interlace Plane out.jpg", "djpeg -pnm out.jpg > ref.ppm", 0},
        // ImageMagick writes CMYK inverted, with Adobe's marker.
        {"convert in.ppm -colorspace CMYK -quality 95 out.jpg", "convert out.jpg -colorspace sRGB ref.ppm", 2},
        // Embedded profiles, turned into sRGB as ImageMagick turns them ($ICC: Debian's free profiles).
        {"convert in.ppm -profile $ICC/sRGB.icc -profile $ICC/compatibleWithAdobeRGB1998.icc -quality 95 out.jpg",
         "convert out.jpg -profile $ICC/sRGB.icc ref.ppm", 2},
        {"convert in.ppm -colorspace Gray -profile $ICC/Gray.icc -quality 95 out.jpg", PillowToSrgb, 1},
        // Ghostscript's CMYK profile fills three APP2 markers; ImageMagick writes inverted CMYK.
        {"convert in.ppm -profile $ICC/sRGB.icc -profile $ICC/ghostscript/default_cmyk.icc -quality 95 out.jpg",
         PillowToSrgb, 1},
        // A damaged profile (cut short; tags of garbage) reads as none.
        {"head -c 500 $ICC/compatibleWithAdobeRGB1998.icc > bad.icc && cjpeg -icc bad.icc in.ppm > out.jpg",
         "djpeg -pnm out.jpg > ref.ppm", 0},
        {"{ head -c 252 $ICC/compatibleWithAdobeRGB1998.icc; head -c 328 /dev/zero | tr '\\000' '\\356'; } > bad.icc"
         " && cjpeg -icc bad.icc in.ppm > out.jpg",
         "djpeg -pnm out.jpg > ref.ppm", 0},
        // The one profile marker says it is the first of two.
        {"cjpeg -icc $ICC/compatibleWithAdobeRGB1998.icc in.ppm > out.jpg"
         " && printf '\\002' | dd of=out.jpg bs=1 seek=37 conv=notrunc",
         "djpeg -pnm out.jpg > ref.ppm", 0},
    };
    for (const auto& c : cases) {
        const std::string in = "cd " + folder + " && ICC=/usr/share/color/icc && ";
        ASSERT_EQ(RunCommand(in + "rm -f out.jpg ref.ppm && " + c.Command), 0) << c.Command;
        ASSERT_EQ(RunCommand(in + c.Reference), 0) << c.Reference;
        QImage picture;
        std::string error, details;
        ASSERT_TRUE(ReadJpegFile(folder + "out.jpg", picture, error, &details)) << c.Command << ": " << error;
        EXPECT_EQ(picture.format(), QImage::Format_BGR888);
        std::string where;
        EXPECT_LE(LargestDifference(picture, LoadWithQt(folder + "ref.ppm"), where), c.Tolerance)
            << c.Command << " [" << details << "] at " << where;
    }
}

// An EXIF block holding only the orientation tag, in either byte order.
std::string ExifSegment(int orientation, bool bigEndian)
{
    auto u16 = [&](unsigned v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 255)} : std::string{char(v & 255), char(v >> 8)};
    };
    auto u32 = [&](std::uint32_t v) { return bigEndian ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16); };
    const std::string tiff = std::string(bigEndian ? "MM" : "II") + u16(42) + u32(8) + u16(1) + u16(0x0112) + u16(3)
        + u32(1) + u16(unsigned(orientation)) + u16(0) + u32(0);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const unsigned length = unsigned(body.size() + 2);
    return std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 255) + body;
}

TEST(JpegCodec, TurnsPicturesUprightByTheirExifOrientation)
{
    QImage source(48, 24, QImage::Format_BGR888);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 48; ++x)
            source.setPixel(x, y, qRgb(x < 16 ? 255 : 0, y < 8 ? 255 : 40, x >= 32 ? 200 : 0));
    QByteArray plain;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(source, 95, plain, error));
    const QImage stored = ReadOrFail(plain.toStdString());
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
        for (const bool big : {false, true}) {
            const std::string file = plain.left(2).toStdString() + ExifSegment(c.Orientation, big)
                + plain.mid(2).toStdString();
            const std::string label = std::to_string(c.Orientation) + (big ? " MM" : " II");
            std::string where;
            EXPECT_EQ(LargestDifference(ReadOrFail(file), c.Expected, where), 0) << label << " at " << where;
            EXPECT_EQ(ReadOrFail(file, TJpegOrientation::Stored), stored) << label;
        }
}

TEST(JpegCodec, FilesCutShortShowWhatTheyHold)
{
    const std::string folder = MakeTempFolder("jpeg-cut");
    WriteSourcePpm(folder + "in.ppm", 64, 256, 0);
    ASSERT_EQ(RunCommand("cd " + folder + " && cjpeg -quality 90 in.ppm > base.jpg"
                         " && cjpeg -quality 90 -progressive in.ppm > prog.jpg"),
              0);
    const std::string base = ReadWholeFile(folder + "base.jpg");
    const QImage whole = ReadOrFail(base);
    const QImage cut = ReadOrFail(base.substr(0, base.size() * 3 / 4));
    ASSERT_EQ(cut.size(), whole.size());
    // The first block rows decode as in the whole file; the last row is white.
    for (const int y : {0, 15, 31})
        EXPECT_EQ(std::memcmp(cut.constScanLine(y), whole.constScanLine(y), 64 * 3), 0) << y;
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(cut.pixel(x, 255), qRgb(255, 255, 255)) << x;

    const std::string progressive = ReadWholeFile(folder + "prog.jpg");
    EXPECT_EQ(ReadOrFail(progressive.substr(0, progressive.size() * 2 / 3)).size(), QSize(64, 256));
}

TEST(JpegCodec, RefusesDamagedFilesWithoutCrashing)
{
    QByteArray good;
    std::string error;
    QImage small(16, 16, QImage::Format_BGR888);
    small.fill(Qt::red);
    ASSERT_TRUE(EncodeJpeg(small, 90, good, error));
    // Patches the frame header's height and width (after its marker FFC0).
    auto withSize = [&](int height, int width) {
        std::string bytes = good.toStdString();
        const auto sof = bytes.find("\xFF\xC0");
        bytes[sof + 5] = char(height >> 8), bytes[sof + 6] = char(height & 255);
        bytes[sof + 7] = char(width >> 8), bytes[sof + 8] = char(width & 255);
        return bytes;
    };
    const struct {
        const char* Label;
        std::string Bytes;
        const char* Error;
    } cases[] = {
        {"empty", "", "Unknown format"},
        {"not a JPEG", "GIF89a and so on", "Unknown format"},
        {"start of image only", "\xFF\xD8", "Unknown format"},
        {"headers without data", good.left(good.indexOf("\xFF\xDA")).toStdString(), "Unknown format"},
        {"zero width", withSize(16, 0), "Unknown format"},
        {"too large for memory", withSize(65500, 65500), "Out of memory"},
    };
    SetAllocationCeilingForTesting(256 << 20);
    for (const auto& c : cases) {
        QImage picture;
        EXPECT_FALSE(ReadJpeg(reinterpret_cast<const std::uint8_t*>(c.Bytes.data()), c.Bytes.size(), picture, error))
            << c.Label;
        EXPECT_EQ(error, c.Error) << c.Label;
        EXPECT_TRUE(picture.isNull()) << c.Label;
    }
    QDir crashers(QString::fromStdString(TestDataPath("crashers")));
    const QStringList files = crashers.entryList({"*.jpg"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QImage picture;
        if (!ReadJpegFile(crashers.filePath(name).toStdString(), picture, error)) {
            EXPECT_TRUE(error == "Unknown format" || error == "Out of memory") << name.toStdString() << error;
        }
    }
    SetAllocationCeilingForTesting(0);
}

} // namespace

// An EXIF segment whose second directory points at a JPEG thumbnail, as
// cameras write it.
std::string ExifThumbnailSegment(int orientation, const QByteArray& thumbnail, std::uint32_t overstated = 0)
{
    auto u16 = [](unsigned v) { return std::string{char(v & 255), char(v >> 8)}; };
    auto u32 = [&](std::uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); };
    auto entry = [&](unsigned tag, unsigned type, std::uint32_t value) {
        return u16(tag) + u16(type) + u32(1) + (type == 3 ? u16(value) + u16(0) : u32(value));
    };
    const std::string first = u16(1) + entry(0x0112, 3, unsigned(orientation)) + u32(26);
    const std::string second = u16(2) + entry(0x0201, 4, 56) + entry(0x0202, 4, std::uint32_t(thumbnail.size()) + overstated)
        + u32(0);
    const std::string body = std::string("Exif\0\0", 6) + "II" + u16(42) + u32(8) + first + second
        + thumbnail.toStdString();
    const unsigned length = unsigned(body.size() + 2);
    return std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 255) + body;
}

// An ICC profile segment holding the whole profile.
std::string IccSegment(const std::string& profile)
{
    const std::string body = std::string("ICC_PROFILE\0\x01\x01", 14) + profile;
    const unsigned length = unsigned(body.size() + 2);
    return std::string("\xFF\xE2", 2) + char(length >> 8) + char(length & 255) + body;
}

TEST(JpegCodec, PreviewCopiesAreTheSmallestReductionThatReachesTheNeed)
{
    QImage source(400, 300, QImage::Format_BGR888);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            source.setPixel(x, y, qRgb(x * 255 / 399, y * 255 / 299, x < 200 ? 220 : 30));
    QByteArray plain;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(source, 95, plain, error));
    const std::string turned = plain.left(2).toStdString() + ExifSegment(6, false) + plain.mid(2).toStdString();
    // The camera's thumbnail: the picture at 80 x 60 as stored, or at 80 x 80.
    const auto thumbnail = [&](int width, int height) {
        QByteArray bytes;
        EXPECT_TRUE(EncodeJpeg(source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_BGR888),
                               95, bytes, error));
        return bytes;
    };
    const auto withThumbnail = [&](int orientation, const QByteArray& small, const std::string& more = {}) {
        return plain.left(2).toStdString() + ExifThumbnailSegment(orientation, small) + more
            + plain.mid(2).toStdString();
    };
    const std::string adobe = IccSegment(ReadWholeFile("/usr/share/color/icc/compatibleWithAdobeRGB1998.icc"));
    const struct {
        const char* Name;
        std::string File;
        QSize Need;
        QSize Expected; // 0 x 0: no reduction reaches the need
        bool Turned = false;
    } cases[] = {
        {"an eighth reaches", plain.toStdString(), {50, 38}, {50, 38}},
        {"one pixel more needs a quarter", plain.toStdString(), {51, 38}, {100, 75}},
        {"a half", plain.toStdString(), {101, 10}, {200, 150}},
        {"beyond a half decodes in full", plain.toStdString(), {201, 150}, {0, 0}},
        {"sides measured upright", turned, {38, 50}, {38, 50}, true},
        {"the upright width decides", turned, {76, 60}, {150, 200}, true},
        {"the camera's thumbnail where it reaches", withThumbnail(1, thumbnail(80, 60)), {60, 45}, {80, 60}},
        {"a thumbnail short of the need: a quarter", withThumbnail(1, thumbnail(80, 60)), {81, 45}, {100, 75}},
        {"a thumbnail of another shape: a quarter", withThumbnail(1, thumbnail(80, 80)), {60, 45}, {100, 75}},
        {"a thumbnail one row short: a quarter", withThumbnail(1, thumbnail(80, 60)), {60, 61}, {100, 75}},
        {"a thumbnail said to run past its block: a quarter",
         plain.left(2).toStdString() + ExifThumbnailSegment(1, thumbnail(80, 60), 64) + plain.mid(2).toStdString(),
         {60, 45}, {100, 75}},
        {"a thumbnail turned as the picture", withThumbnail(6, thumbnail(80, 60)), {45, 60}, {60, 80}, true},
        {"a thumbnail in the picture's colours", withThumbnail(1, thumbnail(80, 60), adobe), {60, 45}, {80, 60}},
    };
    for (const auto& c : cases) {
        QImage preview;
        QSize full;
        const bool read = ReadJpegPreview(reinterpret_cast<const std::uint8_t*>(c.File.data()), c.File.size(),
                                          [&](QSize) { return c.Need; }, preview, full);
        EXPECT_EQ(full, c.Turned ? QSize(300, 400) : QSize(400, 300)) << c.Name;
        EXPECT_EQ(read, !c.Expected.isEmpty()) << c.Name;
        EXPECT_EQ(preview.size(), c.Expected) << c.Name;
        if (!read)
            continue;
        // What the preview shows is the full picture made smaller.
        const QImage whole = ReadOrFail(c.File);
        const QImage smaller = whole.scaled(preview.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_BGR888);
        EXPECT_LT(MeanDifference(preview, smaller), 6.0) << c.Name;
    }
}
