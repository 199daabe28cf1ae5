#include "platform/qt/postscript_job.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>

using namespace orvanto;

namespace {

QImage Page(int width, int height, bool grey)
{
    QImage page(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = (x * 255 / (width - 1) + y * 255 / (height - 1)) / 2;
            page.setPixel(x, y, grey ? qRgb(v, v, v) : qRgb(v, 255 - v, 40 + y * 170 / (height - 1)));
        }
    return page;
}

// The samples the printer reads back, as a red-green-blue picture.
QImage Decoded(const TPostScriptJob::TEncodedImage& image)
{
    if (image.Compression == TPostScriptJob::TCompression::Jpeg) {
        // A grey page is declared as one channel, so its JPEG data must hold one.
        const QImage jpeg = QImage::fromData(image.Data, "JPEG");
        if (image.Grey != (jpeg.format() == QImage::Format_Grayscale8))
            return QImage();
        return jpeg.convertToFormat(QImage::Format_RGB888);
    }
    const int channels = image.Grey ? 1 : 3;
    std::vector<std::uint8_t> samples(std::size_t(image.Width) * image.Height * channels);
    uLongf size = uLongf(samples.size());
    if (uncompress(samples.data(), &size, reinterpret_cast<const Bytef*>(image.Data.constData()),
                   uLong(image.Data.size()))
            != Z_OK
        || size != samples.size())
        return QImage();
    QImage picture(image.Width, image.Height, QImage::Format_RGB888);
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const std::uint8_t* s = &samples[(std::size_t(y) * image.Width + x) * channels];
            picture.setPixel(x, y, image.Grey ? qRgb(s[0], s[0], s[0]) : qRgb(s[0], s[1], s[2]));
        }
    return picture;
}

int LargestDifference(const QImage& a, const QImage& b)
{
    int largest = a.size() == b.size() ? 0 : 256;
    for (int y = 0; y < a.height() && largest < 256; ++y)
        for (int x = 0; x < a.width() * 3; ++x)
            largest = std::max(largest, std::abs(a.constScanLine(y)[x] - b.constScanLine(y)[x]));
    return largest;
}

TEST(PostScriptJob, PagesTravelInTheFewestChannelsThatKeepTheirColours)
{
    using C = TPostScriptJob::TCompression;
    const struct {
        const char* Name;
        bool Grey;
        C Compression;
        int Tolerance;
    } cases[] = {
        {"colour, JPEG", false, C::Jpeg, 16},
        {"grey, JPEG", true, C::Jpeg, 8},
        {"colour, lossless", false, C::Deflate, 0},
        {"grey, lossless", true, C::Deflate, 0},
    };
    for (const auto& c : cases) {
        // Odd sizes: the rows are padded in memory and the payload ends in a
        // part group of ASCII85.
        const QImage page = Page(61, 37, c.Grey);
        TPostScriptJob::TEncodedImage encoded;
        ASSERT_TRUE(TPostScriptJob::Encode(page, c.Compression, encoded)) << c.Name;
        EXPECT_EQ(encoded.Grey, c.Grey) << c.Name;
        EXPECT_LE(LargestDifference(Decoded(encoded), page.convertToFormat(QImage::Format_RGB888)), c.Tolerance)
            << c.Name;

        TPostScriptJob job(c.Compression);
        ASSERT_TRUE(job.Add(page, QRectF(10, 20, 300, 200))) << c.Name;
        const QByteArray document = job.Document(QSizeF(595, 842), false, QRectF(18, 24, 565, 782));
        EXPECT_TRUE(document.startsWith("%!PS-Adobe-3.0\n")) << c.Name;
        EXPECT_TRUE(document.contains(c.Grey ? "/DeviceGray setcolorspace" : "/DeviceRGB setcolorspace")) << c.Name;
        EXPECT_TRUE(document.contains("10.000 622.000 translate 300.000 200.000 scale")) << c.Name;
        // The compressed samples travel in ASCII85: five characters for four bytes.
        EXPECT_GE(document.size(), encoded.Data.size() * 5 / 4) << c.Name;
    }
}

TEST(PostScriptJob, EachSheetOfAPosterIsAPageOfItsOwn)
{
    TPostScriptJob job(TPostScriptJob::TCompression::Deflate);
    const QImage page = Page(8, 8, false);
    ASSERT_TRUE(job.Add(page, QRectF(10, 20, 30, 40)));
    job.NewPage();
    ASSERT_TRUE(job.Add(page, QRectF(50, 60, 70, 80)));
    EXPECT_EQ(job.Pages(), 2);
    const QByteArray document = job.Document(QSizeF(595, 842), false, QRectF(18, 24, 565, 782));
    EXPECT_TRUE(document.contains("%%Pages: 2\n"));
    EXPECT_EQ(document.count("showpage"), 2);
    const qsizetype second = document.indexOf("%%Page: 2 2\n");
    ASSERT_GT(second, 0);
    // Each picture on its own page, in order.
    const qsizetype first = document.indexOf("10.000 782.000 translate");
    const qsizetype later = document.indexOf("50.000 702.000 translate");
    EXPECT_GT(first, 0);
    EXPECT_LT(first, second);
    EXPECT_GT(later, second);
    job.Clear();
    EXPECT_EQ(job.Pages(), 1);
}

} // namespace
