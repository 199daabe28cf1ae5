#include "imaging/colour/colour_profile.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

const std::string Icc = "/usr/share/color/icc/";

QImage Sample()
{
    QImage picture(29, 7, QImage::Format_BGR888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, y == 0 ? qRgb(x * 9, x * 9, x * 9) : qRgb(x * 9, y * 40, 255 - x * 5));
    return picture;
}

TEST(ColourProfile, ConvertsWhatItCanUseAndLeavesTheRestAlone)
{
    const QByteArray adobe = QByteArray::fromStdString(ReadWholeFile(Icc + "compatibleWithAdobeRGB1998.icc"));
    ASSERT_GT(adobe.size(), 500);
    const struct {
        const char* Label;
        QByteArray Profile;
        bool Converted;
        bool Changed;
    } cases[] = {
        {"Adobe RGB", adobe, true, true},
        {"sRGB: nothing to do", QByteArray::fromStdString(ReadWholeFile(Icc + "sRGB.icc")), true, false},
        {"grey", QByteArray::fromStdString(ReadWholeFile(Icc + "Gray.icc")), true, true},
        {"CMYK on an RGB picture", QByteArray::fromStdString(ReadWholeFile(Icc + "ghostscript/default_cmyk.icc")),
         false, false},
        {"Lab", QByteArray::fromStdString(ReadWholeFile(Icc + "LCMSLABI.ICM")), false, false},
        {"empty", QByteArray(), false, false},
        {"cut short", adobe.left(500), false, false},
        {"garbage tags", adobe.left(252) + QByteArray(adobe.size() - 252, '\xEE'), false, false},
        {"header only", adobe.left(132), false, false},
    };
    for (const auto& c : cases) {
        QImage picture = Sample();
        EXPECT_EQ(ConvertToSrgb(picture, c.Profile), c.Converted) << c.Label;
        EXPECT_EQ(picture != Sample(), c.Changed) << c.Label;
        // Grey stays grey, and black and white stay where they are.
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, 0);
            EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << c.Label << " at " << x;
        }
        EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 0)) << c.Label;
    }
}

TEST(ColourProfile, CmykThroughItsProfile)
{
    const QByteArray cmyk = QByteArray::fromStdString(ReadWholeFile(Icc + "ghostscript/default_cmyk.icc"));
    EXPECT_EQ(TCmykToSrgb::Make(QByteArray::fromStdString(ReadWholeFile(Icc + "sRGB.icc")), false), nullptr);
    EXPECT_EQ(TCmykToSrgb::Make(cmyk.left(4000), false), nullptr);
    // No ink is paper white; both ways of storing the samples agree.
    const std::uint8_t plain[8] = {0, 0, 0, 0, 0, 255, 255, 0}, inverted[8] = {255, 255, 255, 255, 255, 0, 0, 255};
    std::uint8_t fromPlain[6], fromInverted[6];
    auto converter = TCmykToSrgb::Make(cmyk, false), invertedConverter = TCmykToSrgb::Make(cmyk, true);
    ASSERT_NE(converter, nullptr);
    ASSERT_NE(invertedConverter, nullptr);
    converter->Convert(plain, 8, fromPlain, 6, 2, 1);
    invertedConverter->Convert(inverted, 8, fromInverted, 6, 2, 1);
    EXPECT_EQ(std::vector<int>(fromPlain, fromPlain + 6), std::vector<int>(fromInverted, fromInverted + 6));
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(fromPlain[i], 250) << i;
    // Magenta and yellow ink make red: blue and green low, red high.
    EXPECT_LT(fromPlain[3], 80);
    EXPECT_LT(fromPlain[4], 80);
    EXPECT_GT(fromPlain[5], 180);
}

} // namespace
