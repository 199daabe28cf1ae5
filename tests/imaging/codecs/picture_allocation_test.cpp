#include "imaging/codecs/picture_allocation.h"

#include "support/memory_limit.h"

#include <gtest/gtest.h>

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

TEST(PictureAllocation, FollowsTheCeiling)
{
    SetAllocationCeilingForTesting(1000);
    EXPECT_TRUE(PictureFits(10, 10));    // 320 bytes
    EXPECT_FALSE(PictureFits(100, 100)); // 30000 bytes
    SetAllocationCeilingForTesting(0);
    EXPECT_TRUE(PictureFits(100, 100));
}

} // namespace
