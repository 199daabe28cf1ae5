#include "support/memory/picture_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace orvanto;

namespace {

// Every pixel byte set from its position, so a row that moved or was lost shows.
void Paint(QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int i = 0; i < picture.width() * 3; ++i)
            row[i] = uchar(y * 31 + i * 7 + 1);
    }
}

bool RowIsPainted(const QImage& picture, int y)
{
    const uchar* row = picture.constScanLine(y);
    for (int i = 0; i < picture.width() * 3; ++i)
        if (row[i] != uchar(y * 31 + i * 7 + 1))
            return false;
    return true;
}

TEST(PictureMemory, NewPicturesHaveTheSizeFormatAndZeroPadding)
{
    // Widths with 0 to 3 padding bytes; small pictures and one large enough
    // for large pages.
    const QSize sizes[] = {{1, 1}, {2, 3}, {3, 2}, {4, 5}, {5, 7}, {1366, 1025}, {2001, 700}};
    for (const QSize size : sizes)
        for (const TPictureTouch touch : {TPictureTouch::Rows, TPictureTouch::Columns}) {
            const QImage picture = NewPictureMemory(size.width(), size.height(), touch);
            ASSERT_FALSE(picture.isNull()) << size.width() << "x" << size.height();
            EXPECT_EQ(picture.size(), size);
            EXPECT_EQ(picture.format(), QImage::Format_BGR888);
            EXPECT_EQ(picture.bytesPerLine(), (size.width() * 3 + 3) / 4 * 4);
            const int rowBytes = size.width() * 3;
            for (int y = 0; y < size.height(); ++y)
                for (int i = rowBytes; i < picture.bytesPerLine(); ++i)
                    ASSERT_EQ(picture.constScanLine(y)[i], 0) << size.width() << "x" << size.height()
                                                              << " row " << y << " byte " << i;
        }
}

TEST(PictureMemory, RefusesSizesWithoutPixels)
{
    const QSize sizes[] = {{0, 5}, {5, 0}, {-1, 4}, {4, -1}, {0x7fffffff, 0x7fffffff}};
    for (const QSize size : sizes)
        EXPECT_TRUE(NewPictureMemory(size.width(), size.height()).isNull())
            << size.width() << "x" << size.height();
}

TEST(PictureMemory, OnlyUnsharedPicturesOfItsOwnAreOwned)
{
    QImage own = NewPictureMemory(40, 30);
    EXPECT_TRUE(OwnsPictureMemory(own));
    QImage ordinary(40, 30, QImage::Format_BGR888);
    EXPECT_FALSE(OwnsPictureMemory(ordinary));
    EXPECT_FALSE(OwnsPictureMemory(QImage()));
    {
        const QImage alias = own;
        EXPECT_FALSE(OwnsPictureMemory(own)) << "shared with alias";
    }
    EXPECT_TRUE(OwnsPictureMemory(own)) << "alias gone";
    EXPECT_FALSE(ReleasePictureRows(ordinary, 0, 30));
}

TEST(PictureMemory, CopiesShareUntilOneIsWritten)
{
    QImage picture = NewPictureMemory(17, 9);
    Paint(picture);
    QImage copy = picture;
    copy.scanLine(4)[0] = 0;
    EXPECT_EQ(picture.constScanLine(4)[0], uchar(4 * 31 + 1));
    EXPECT_EQ(copy.constScanLine(4)[0], 0);
    for (int y = 0; y < 9; ++y)
        EXPECT_TRUE(RowIsPainted(picture, y)) << y;
}

TEST(PictureMemory, ReleasingRowsKeepsEveryOtherRow)
{
    const struct {
        int Width, Height, First, End;
    } cases[] = {
        {3000, 1500, 100, 900}, // rows of 9000 bytes: pages straddle rows
        {4096, 600, 0, 300},    // rows of whole pages
        {1000, 1000, 500, 1000},
        {1000, 1000, -5, 20},   // clamped to the picture
        {1000, 1000, 700, 700}, // nothing
    };
    for (const auto& c : cases) {
        QImage picture = NewPictureMemory(c.Width, c.Height);
        ASSERT_FALSE(picture.isNull());
        Paint(picture);
        ASSERT_TRUE(ReleasePictureRows(picture, c.First, c.End));
        for (int y = 0; y < c.Height; ++y)
            if (y < c.First || y >= c.End) {
                ASSERT_TRUE(RowIsPainted(picture, y)) << c.Width << "x" << c.Height << " row " << y;
            }
    }
}

TEST(PictureMemory, ReleasingBandAfterBandGivesBackWhatNoSingleBandFills)
{
    // Bands of 37 rows of 9000 bytes are far smaller than a large page:
    // only calls that continue one another give those pages back.
    for (const TPictureTouch touch : {TPictureTouch::Rows, TPictureTouch::Columns}) {
        QImage picture = NewPictureMemory(3000, 1500, touch);
        ASSERT_FALSE(picture.isNull());
        Paint(picture);
        for (int first = 0; first < 900; first += 37)
            ASSERT_TRUE(ReleasePictureRows(picture, first, std::min(first + 37, 900)));
        EXPECT_FALSE(RowIsPainted(picture, 0)) << "row 0 lies in whole pages of rows given back";
        EXPECT_EQ(picture.constScanLine(0)[0], 0);
        for (int y = 900; y < 1500; ++y)
            ASSERT_TRUE(RowIsPainted(picture, y)) << "row " << y;
    }
}

TEST(PictureMemory, ASharedPictureIsNeverReleased)
{
    QImage picture = NewPictureMemory(3000, 1000);
    Paint(picture);
    const QImage alias = picture;
    EXPECT_FALSE(ReleasePictureRows(picture, 0, 1000));
    for (int y = 0; y < 1000; ++y)
        ASSERT_TRUE(RowIsPainted(alias, y)) << y;
}

} // namespace
