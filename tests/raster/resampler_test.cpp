#include "raster/resampler.h"

#include <QColor>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

using namespace orvanto;

namespace {

TEST(Resampler, FineLinesReduceToGreyWithoutMoire)
{
    QImage stripes(661, 8, QImage::Format_BGR888); // one-pixel black and white columns
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
    for (int tenths = 11; tenths <= 80; ++tenths) {
        const QImage reduced = ScaledPicture(stripes, 6610 / tenths, 4);
        ASSERT_EQ(reduced.width(), 6610 / tenths);
        for (int x = 0; x < reduced.width(); ++x) {
            const int grey = qGray(reduced.pixel(x, 2));
            ASSERT_TRUE(grey >= 255 * 3 / 10 && grey <= 255 * 7 / 10)
                << "column " << x << " is " << grey << " reduced by " << tenths / 10.0;
        }
    }
}

TEST(Resampler, EnlargingInterpolatesAndFlatColoursStayFlat)
{
    QImage two(2, 1, QImage::Format_BGR888);
    two.setPixelColor(0, 0, QColor(0, 0, 0));
    two.setPixelColor(1, 0, QColor(200, 100, 50));
    const QImage wide = ScaledPicture(two, 8, 1);
    for (int x = 1; x < 8; ++x)
        EXPECT_GT(qRed(wide.pixel(x, 0)), qRed(wide.pixel(x - 1, 0)) - (x == 1 || x == 7 ? 1 : 0));
    EXPECT_EQ(wide.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(wide.pixelColor(7, 0), QColor(200, 100, 50));
    QImage flat(37, 23, QImage::Format_BGR888);
    flat.fill(QColor(12, 34, 56));
    for (const QSize size : {QSize(5, 3), QSize(37, 23), QSize(101, 77)})
        EXPECT_EQ(ScaledPicture(flat, size.width(), size.height()), flat.scaled(size)) << size.width();
}

TEST(Resampler, OnlyThePartOnTheTargetIsDrawnAndItMatchesTheWhole)
{
    QImage picture(300, 200, QImage::Format_BGR888);
    std::srand(7);
    for (int y = 0; y < picture.height(); ++y)
        std::generate_n(picture.scanLine(y), 900, [] { return uchar(std::rand()); });
    const TScaleRect cases[] = {
        {-40, -25, 120, 80},   // reduced, off the top left
        {50, 30, 700, 500},    // enlarged, off the bottom right
        {-7, 10, 450, 90},     // wider, lower
        {-90000, -60000, 300000, 200000}, // zoomed far beyond: only the target's part is made
    };
    for (const TScaleRect& d : cases) {
        SCOPED_TRACE(d.Width);
        QImage target(160, 100, QImage::Format_RGB32);
        target.fill(Qt::green);
        ASSERT_TRUE(DrawScaled(picture, target, d));
        const bool small = d.Width < 1000;
        const QImage whole = small ? ScaledPicture(picture, int(d.Width), int(d.Height), 1) : QImage();
        for (int y = 0; y < 100; y += 3)
            for (int x = 0; x < 160; x += 3) {
                const bool inside = x >= d.Left && x < d.Left + d.Width && y >= d.Top && y < d.Top + d.Height;
                const QRgb expected = !inside ? qRgb(0, 255, 0)
                    : small                   ? whole.pixel(int(x - d.Left), int(y - d.Top))
                                              : target.pixel(x, y);
                ASSERT_EQ(target.pixel(x, y), expected) << x << "," << y;
            }
    }
    QImage indexed(4, 4, QImage::Format_Indexed8);
    EXPECT_FALSE(DrawScaled(picture, indexed, {0, 0, 4, 4})) << "unsupported target";
}

// A print job is drawn in a worker and the window follows it: the rows done
// reach the watcher, and a stop asked for before the drawing leaves the
// target untouched and the call failed, whichever thread holds the rows.
TEST(Resampler, AWatchedScaleReportsItsRowsAndStopsWhenAsked)
{
    QImage picture(300, 200, QImage::Format_BGR888);
    std::srand(11);
    for (int y = 0; y < picture.height(); ++y)
        std::generate_n(picture.scanLine(y), 900, [] { return uchar(std::rand()); });
    const struct {
        const char* Shows;
        int Threads;
        bool Stop;
        bool Drawn;
        int Permille;
    } cases[] = {
        {"one thread, to the end", 1, false, true, 1000},
        {"two threads, to the end", 2, false, true, 1000},
        {"one thread, stopped", 1, true, false, 0},
        {"two threads, stopped", 2, true, false, 0},
    };
    const QImage expected = ScaledPicture(picture, 640, 400, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        std::atomic<bool> stop{c.Stop};
        std::atomic<int> permille{0};
        QImage target(640, 400, QImage::Format_BGR888);
        target.fill(Qt::green);
        EXPECT_EQ(DrawScaled(picture, target, {0, 0, 640, 400}, c.Threads, {&stop, &permille}), c.Drawn);
        EXPECT_EQ(permille.load(), c.Permille);
        if (c.Drawn) {
            EXPECT_EQ(target, expected) << "watching changes no pixel";
        } else {
            for (const QPoint at : {QPoint(0, 0), QPoint(639, 199), QPoint(0, 200), QPoint(639, 399)})
                EXPECT_EQ(target.pixelColor(at), QColor(Qt::green)) << at.x() << "," << at.y();
        }
    }
}

} // namespace
