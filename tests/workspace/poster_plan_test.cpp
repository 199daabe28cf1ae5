#include "workspace/poster_plan.h"
#include "workspace/poster_sheet.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

TEST(PosterPlan, SheetsAcrossAndDown)
{
    // A4 at 600 dpi less a 5 mm border: a tile of 4564 x 6364; 10 mm overlap.
    const struct {
        const char* Name;
        std::int64_t PictureWidth, PictureHeight, Overlap;
        int Columns, Rows;
        std::int64_t UsedOverlap;
    } cases[] = {
        {"fits one tile", 4564, 6364, 236, 1, 1, 236},
        {"a pixel wider", 4565, 6364, 236, 2, 1, 236},
        {"two by two", 8000, 12000, 236, 2, 2, 236},
        {"the second tile ends exactly", 4564 + 4328, 6364, 236, 2, 1, 236},
        {"one past it", 4564 + 4329, 6364, 236, 3, 1, 236},
        {"no overlap", 9128, 6364, 0, 2, 1, 0},
        {"overlap of a whole tile: half the tile", 9000, 6364, 4564, 3, 1, 2282},
        {"negative overlap: none", 9128, 6364, -50, 2, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TPosterPlan plan = PlanPoster(c.PictureWidth, c.PictureHeight, 4800, 6600, c.Overlap, 118);
        EXPECT_EQ(plan.TileWidth, 4564);
        EXPECT_EQ(plan.TileHeight, 6364);
        EXPECT_EQ(plan.Columns, c.Columns);
        EXPECT_EQ(plan.Rows, c.Rows);
        EXPECT_EQ(plan.Overlap, c.UsedOverlap);
        EXPECT_EQ(plan.OverlapClamped, c.Overlap >= 4564);
        EXPECT_EQ(plan.Sheets.size(), std::size_t(c.Columns * c.Rows));
    }
}

TEST(PosterPlan, TilesCoverThePictureOverlapAndAreMarkedWhereTheOverlapBegins)
{
    const std::int64_t width = 15000, height = 9000, overlap = 300;
    const TPosterPlan plan = PlanPoster(width, height, 4800, 6600, overlap, 118);
    ASSERT_EQ(plan.Columns, 4);
    ASSERT_EQ(plan.Rows, 2);
    std::vector<std::string> labels;
    for (const TPosterSheet& sheet : plan.Sheets) {
        SCOPED_TRACE(sheet.Label);
        labels.push_back(sheet.Label);
        // The part of the picture on this sheet's tile, in picture pixels.
        const std::int64_t left = plan.TileLeft - sheet.PictureLeft;
        const std::int64_t top = plan.TileTop - sheet.PictureTop;
        // Each tile begins where the one before ends less the overlap, and
        // the first begins at the picture's edge: every part prints.
        EXPECT_EQ(left, sheet.Column * (plan.TileWidth - overlap));
        EXPECT_EQ(top, sheet.Row * (plan.TileHeight - overlap));
        if (sheet.Column + 1 == plan.Columns) {
            EXPECT_GE(left + plan.TileWidth, width);
        }
        if (sheet.Row + 1 == plan.Rows) {
            EXPECT_GE(top + plan.TileHeight, height);
        }
        // A mark on each side that has a neighbour, no other.
        const std::size_t sidesX = (sheet.Column > 0) + (sheet.Column + 1 < plan.Columns);
        const std::size_t sidesY = (sheet.Row > 0) + (sheet.Row + 1 < plan.Rows);
        ASSERT_EQ(sheet.CutX.size(), sidesX);
        ASSERT_EQ(sheet.CutY.size(), sidesY);
        // The mark towards the next sheet is where the next tile's picture
        // begins; the mark towards the one before is where that one's ends.
        for (std::int64_t cut : sheet.CutX) {
            const std::int64_t inPicture = cut - sheet.PictureLeft;
            const bool next = cut > plan.TileLeft + plan.TileWidth / 2;
            const std::int64_t expected = next ? (sheet.Column + 1) * (plan.TileWidth - overlap)
                                               : left + overlap;
            EXPECT_EQ(inPicture, expected);
        }
        for (std::int64_t cut : sheet.CutY) {
            const std::int64_t inPicture = cut - sheet.PictureTop;
            const bool next = cut > plan.TileTop + plan.TileHeight / 2;
            EXPECT_EQ(inPicture, next ? (sheet.Row + 1) * (plan.TileHeight - overlap) : top + overlap);
        }
    }
    const std::vector<std::string> expected = {"1, 1", "1, 2", "1, 3", "1, 4", "2, 1", "2, 2", "2, 3", "2, 4"};
    EXPECT_EQ(labels, expected);
}

TEST(PosterPlan, NoPlanWithoutRoomOrBeyondTheLimit)
{
    EXPECT_TRUE(PlanPoster(5000, 5000, 200, 200, 0, 100).Sheets.empty()); // the border takes the page
    EXPECT_TRUE(PlanPoster(0, 5000, 4800, 6600, 0, 118).Sheets.empty());
    // 10 m square on a tile of 10 pixels: millions of sheets.
    EXPECT_TRUE(PlanPoster(236220, 236220, 30, 30, 0, 10).Sheets.empty());
    EXPECT_TRUE(NeedsPoster(4801, 10, 4800, 6600));
    EXPECT_TRUE(NeedsPoster(10, 6601, 4800, 6600));
    EXPECT_FALSE(NeedsPoster(4800, 6600, 4800, 6600));
}

bool Near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

TEST(PosterSheet, PictureInTheTileMarksAndLabelInTheBorder)
{
    // 100 dpi: the border is 20 pixels, the marks 1 pixel thin.
    QImage picture(1000, 600, QImage::Format_BGR888);
    picture.fill(QColor(200, 0, 0));
    const TPosterPlan plan = PlanPoster(1000, 600, 600, 800, 50, PosterBorder(100));
    ASSERT_EQ(plan.TileLeft, 20);
    ASSERT_EQ(plan.Columns, 2);
    ASSERT_EQ(plan.Rows, 1);
    const TPosterSheetPage page{600, 800, 100, 1000, 600, 0xFFFFFF};
    const int cutFirst = int(plan.Sheets[0].CutX.at(0)), cutSecond = int(plan.Sheets[1].CutX.at(0));
    const QImage first = DrawPosterSheet(picture, plan, plan.Sheets[0], page, 600, 800);
    const QImage second = DrawPosterSheet(picture, plan, plan.Sheets[1], page, 600, 800);
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    const QColor red(200, 0, 0), white(Qt::white), black(Qt::black);
    const struct {
        const char* Name;
        const QImage& Sheet;
        int X, Y;
        QColor Expected;
    } cases[] = {
        {"tile's corner", first, 20, 20, red},
        {"tile's far corner", first, 579, 599, red},
        {"left border", first, 10, 300, white},
        {"right border, no mark", first, 590, 300, white},
        {"under the picture", first, 300, 700, white},
        {"mark over the tile, first sheet", first, cutFirst, 5, black},
        {"mark under the tile, first sheet", first, cutFirst, 790, black},
        {"beside the mark", first, cutFirst + 3, 5, white},
        {"mark over the tile, second sheet", second, cutSecond, 5, black},
        {"second sheet's picture", second, 30, 300, red},
        // 1000 - (560 - 50) = 490 of the picture's width remains for it.
        {"second sheet past the picture's end", second, 20 + 495, 300, white},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(c.Sheet.pixelColor(c.X, c.Y), c.Expected))
            << c.Name << " at " << c.X << "," << c.Y << " is " << c.Sheet.pixelColor(c.X, c.Y).name().toStdString();
    // The label: dark pixels in the bottom border, none in the top one.
    auto darkIn = [](const QImage& image, QRect area) {
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                dark += image.pixelColor(x, y).lightness() < 128;
        return dark;
    };
    EXPECT_GT(darkIn(first, QRect(200, 780, 200, 20)), 10);
    EXPECT_EQ(darkIn(first, QRect(100, 0, 200, 20)), 0);
}

} // namespace
