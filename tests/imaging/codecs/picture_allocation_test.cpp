#include "imaging/codecs/picture_allocation.h"

#include "support/memory/memory_limit.h"

#include <QColor>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(PictureAllocation, BytesArePaddedRows)
{
    const struct {
        std::int64_t Width, Height, Bytes;
    } cases[] = {{1, 1, 4}, {2, 1, 8}, {4, 3, 36}, {5, 2, 32}, {0, 7, 0}, {-1, 1, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(PictureBytes(c.Width, c.Height), c.Bytes) << c.Width << "x" << c.Height;
}

TEST(PictureAllocation, RefusesWhatDoesNotFitWithoutTouchingMemory)
{
    const struct {
        std::int64_t Width, Height;
    } refused[] = {{65535, 65535}, {0, 10}, {10, 0}, {-5, 10}, {2147483647, 2147483647},
                   {std::int64_t(1) << 40, 1}};
    for (const auto& c : refused) {
        EXPECT_FALSE(PictureFits(c.Width, c.Height)) << c.Width << "x" << c.Height;
        EXPECT_TRUE(AllocatePicture(c.Width, c.Height).isNull()) << c.Width << "x" << c.Height;
    }
}

TEST(PictureAllocation, NewPicturesAreWhiteBlueGreenRed)
{
    const QImage picture = AllocatePicture(3, 2);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.format(), QImage::Format_BGR888);
    EXPECT_EQ(picture.pixel(2, 1), qRgb(255, 255, 255));
}

TEST(PictureAllocation, FillWhiteFromPaintsOnlyFromThePixelOn)
{
    const struct {
        int Width, Height;
        std::int64_t X, Y;
        int FirstWhite; // index of the first white pixel in reading order
    } cases[] = {
        {5, 3, 0, 0, 0},  {5, 3, 2, 1, 7},   {5, 3, 4, 2, 14}, {5, 3, 5, 1, 10},
        {5, 3, 0, 3, 15}, {5, 3, 0, 99, 15}, {1, 1, 0, 0, 0},  {7, 2, -3, -1, 0},
    };
    for (const auto& c : cases) {
        QImage picture = AllocatePicture(c.Width, c.Height, TPictureFill::None);
        ASSERT_FALSE(picture.isNull());
        picture.fill(QColor(1, 2, 3));
        FillWhiteFrom(picture, c.X, c.Y);
        for (int i = 0; i < c.Width * c.Height; ++i)
            ASSERT_EQ(picture.pixel(i % c.Width, i / c.Width), i >= c.FirstWhite ? qRgb(255, 255, 255) : qRgb(1, 2, 3))
                << c.Width << "x" << c.Height << " from " << c.X << "," << c.Y << " pixel " << i;
    }
}

TEST(PictureAllocation, RefusesMoreThanMaxPicturePixelsWhateverTheMemory)
{
    // Room for the largest picture, so only the pixel count decides.
    // (AllocatePicture asks PictureFits first; calling it here would whiten
    // 805 MB at the limit.)
    SetAllocationCeilingForTesting(std::int64_t(1) << 31);
    const struct {
        std::int64_t Width, Height;
        bool Fits;
    } cases[] = {
        {16384, 16384, true},           // exactly MaxPicturePixels
        {16384, 16385, false},          // one row more
        {MaxPicturePixels, 1, true},    // one row of the most pixels
        {MaxPicturePixels + 1, 1, false},
        {1, MaxPicturePixels + 1, false},
        {4137, 147456, false},          // a damaged Text Picture header, 1.8 GB
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureFits(c.Width, c.Height), c.Fits) << c.Width << "x" << c.Height;
    SetAllocationCeilingForTesting(0);
}

TEST(PictureAllocation, FollowsTheCeiling)
{
    SetAllocationCeilingForTesting(1000);
    EXPECT_TRUE(PictureFits(10, 10));    // 320 bytes
    EXPECT_FALSE(PictureFits(100, 100)); // 30000 bytes
    SetAllocationCeilingForTesting(0);
    EXPECT_TRUE(PictureFits(100, 100));
}

} // namespace
