#include "raster/resampler.h"

#include <QColor>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace orvanto;

namespace {

// One-pixel black and white columns.
QImage Stripes(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
    return picture;
}

QImage Noise(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    std::srand(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            picture.scanLine(y)[x] = uchar(std::rand());
    return picture;
}

TEST(Resampler, FineLinesReduceToGreyWithoutMoire)
{
    const QImage stripes = Stripes(661, 8);
    for (int tenths = 11; tenths <= 80; ++tenths) {
        const int width = int(661 * 10 / tenths);
        const QImage reduced = ScaledPicture(stripes, width, 4);
        ASSERT_EQ(reduced.size(), QSize(width, 4));
        int lightest = 0, darkest = 255;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < width; ++x) {
                lightest = std::max(lightest, qGray(reduced.pixel(x, y)));
                darkest = std::min(darkest, qGray(reduced.pixel(x, y)));
            }
        EXPECT_LE(lightest, 255 * 70 / 100) << "reduced by " << tenths / 10.0;
        EXPECT_GE(darkest, 255 * 30 / 100) << "reduced by " << tenths / 10.0;
    }
}

TEST(Resampler, EnlargingInterpolatesAndFlatColoursStayFlat)
{
    QImage two(2, 1, QImage::Format_BGR888);
    two.setPixelColor(0, 0, QColor(0, 0, 0));
    two.setPixelColor(1, 0, QColor(200, 100, 50));
    const QImage wide = ScaledPicture(two, 8, 1);
    for (int x = 1; x < 8; ++x)
        EXPECT_GE(qRed(wide.pixel(x, 0)), qRed(wide.pixel(x - 1, 0))) << "a smooth ramp";
    EXPECT_EQ(wide.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(wide.pixelColor(7, 0), QColor(200, 100, 50));
    EXPECT_GT(qRed(wide.pixel(4, 0)), 50);
    EXPECT_LT(qRed(wide.pixel(4, 0)), 150);

    QImage flat(37, 23, QImage::Format_BGR888);
    flat.fill(QColor(12, 34, 56));
    for (const QSize size : {QSize(5, 3), QSize(37, 23), QSize(101, 77)}) {
        const QImage scaled = ScaledPicture(flat, size.width(), size.height());
        QImage expected(size, QImage::Format_BGR888);
        expected.fill(QColor(12, 34, 56));
        EXPECT_EQ(scaled, expected) << size.width();
    }
}

TEST(Resampler, OnlyThePartOnTheTargetIsDrawnAndItMatchesTheWhole)
{
    const QImage picture = Noise(300, 200);
    const struct {
        const char* Shows;
        TScaleRect Destination;
    } cases[] = {
        {"reduced, off the top left", {-40, -25, 120, 80}},
        {"enlarged, off the bottom right", {50, 30, 700, 500}},
        {"zoomed far beyond the target", {-90000, -60000, 300000, 200000}},
        {"mixed: wider, lower", {-7, 10, 450, 90}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        const TScaleRect& d = c.Destination;
        QImage target(160, 100, QImage::Format_BGR888);
        target.fill(Qt::green);
        ASSERT_TRUE(DrawScaled(picture, target, d));
        // The same pixels as the whole scaled picture where it lies on the
        // target (computed only when it is small enough to make whole).
        if (d.Width * d.Height < 10000000) {
            const QImage whole = ScaledPicture(picture, int(d.Width), int(d.Height), 1);
            for (int y = 0; y < 100; y += 7)
                for (int x = 0; x < 160; x += 5) {
                    const bool inside = x >= d.Left && x < d.Left + d.Width && y >= d.Top && y < d.Top + d.Height;
                    const QRgb expected = inside ? whole.pixel(int(x - d.Left), int(y - d.Top)) : qRgb(0, 255, 0);
                    ASSERT_EQ(target.pixel(x, y), expected) << x << "," << y;
                }
        } else {
            EXPECT_NE(target.pixel(80, 50), qRgb(0, 255, 0));
        }
    }
    QImage target(10, 10, QImage::Format_BGR888);
    target.fill(Qt::green);
    const QImage before = target;
    EXPECT_TRUE(DrawScaled(picture, target, {20, 0, 5, 5})) << "off the target";
    EXPECT_EQ(target, before);
    QImage indexed(4, 4, QImage::Format_Indexed8);
    EXPECT_FALSE(DrawScaled(picture, indexed, {0, 0, 4, 4}));
}

} // namespace
