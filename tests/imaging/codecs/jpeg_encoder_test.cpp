#include "imaging/codecs/jpeg_encoder.h"

#include "imaging/library/jpeg_codec.h"
#include "tests/imaging/picture_fixtures.h"
#include "tests/test_support.h"

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

TEST(JpegEncoder, EncodesAtTheQualityAsked)
{
    const std::string folder = MakeTempFolder("jpeg-encode");
    WriteSourcePpm(folder + "in.ppm", 45, 29, 0);
    const QImage colour = LoadWithQt(folder + "in.ppm").convertToFormat(QImage::Format_BGR888);
    // A grey page of a print job goes as one channel: the same file cjpeg
    // writes from the grey samples.
    const QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
    ASSERT_TRUE(grey.save(QString::fromStdString(folder + "in.pgm"), "PGM"));
    struct Case {
        const char* Name;
        const QImage& Source;
        TJpegChannels Channels;
        const char* Input;
    };
    const Case cases[] = {
        {"colour", colour, TJpegChannels::Colour, "in.ppm"},
        {"grey", grey, TJpegChannels::Grey, "in.pgm"},
    };
    for (const Case& c : cases) {
        const QImage source = c.Source.convertToFormat(QImage::Format_BGR888);
        int previousSize = 0;
        double previousError = 256;
        for (const int quality : {1, 20, 50, 90, 100}) {
            const std::string label = std::string(c.Name) + " " + std::to_string(quality);
            QByteArray bytes;
            std::string error;
            ASSERT_TRUE(EncodeJpeg(source, quality, bytes, error, c.Channels)) << label;
            // The same library at the same quality writes the same file (with
            // baseline tables, which every decoder reads).
            ASSERT_EQ(RunCommand("cd " + folder + " && cjpeg -baseline -quality " + std::to_string(quality) + " "
                                 + c.Input + " > ref.jpg"),
                      0);
            EXPECT_EQ(bytes.toStdString(), ReadWholeFile(folder + "ref.jpg")) << label;
            // Higher quality: larger files, closer pictures.
            QImage decoded;
            ASSERT_TRUE(ReadJpeg(bytes, decoded, error)) << label;
            const double difference = MeanDifference(decoded, source);
            EXPECT_GT(int(bytes.size()), previousSize) << label;
            EXPECT_LT(difference, previousError) << label;
            previousSize = int(bytes.size()), previousError = difference;
        }
    }
    QByteArray low, clamped;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(colour, 1, low, error));
    ASSERT_TRUE(EncodeJpeg(colour, -7, clamped, error));
    EXPECT_EQ(clamped, low);
    EXPECT_FALSE(EncodeJpeg(QImage(), 90, clamped, error));
    EXPECT_EQ(error, "Out of memory");
}

} // namespace
