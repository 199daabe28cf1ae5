#include "workspace/poster_plan.h"

#include <algorithm>

namespace orvanto {

namespace {

// Sheets along one side: the first tile takes a whole tile of the picture,
// every further one a tile less the overlap it shares with the one before.
std::int64_t SheetsAlong(std::int64_t picture, std::int64_t tile, std::int64_t overlap)
{
    if (picture <= tile)
        return 1;
    const std::int64_t step = tile - overlap;
    return 1 + (picture - tile + step - 1) / step;
}

} // namespace

bool NeedsPoster(std::int64_t pictureWidth, std::int64_t pictureHeight, std::int64_t pageWidth,
                 std::int64_t pageHeight)
{
    return pictureWidth > pageWidth || pictureHeight > pageHeight;
}

TPosterPlan PlanPoster(std::int64_t pictureWidth, std::int64_t pictureHeight, std::int64_t pageWidth,
                       std::int64_t pageHeight, std::int64_t overlap, std::int64_t border)
{
    TPosterPlan plan;
    border = std::max<std::int64_t>(border, 0);
    plan.TileLeft = plan.TileTop = border;
    plan.TileWidth = pageWidth - 2 * border;
    plan.TileHeight = pageHeight - 2 * border;
    if (plan.TileWidth < 2 || plan.TileHeight < 2 || pictureWidth < 1 || pictureHeight < 1)
        return plan;
    const std::int64_t smaller = std::min(plan.TileWidth, plan.TileHeight);
    plan.Overlap = std::max<std::int64_t>(overlap, 0);
    if (plan.Overlap >= smaller) {
        plan.Overlap = smaller / 2;
        plan.OverlapClamped = true;
    }
    const std::int64_t columns = SheetsAlong(pictureWidth, plan.TileWidth, plan.Overlap);
    const std::int64_t rows = SheetsAlong(pictureHeight, plan.TileHeight, plan.Overlap);
    if (columns > MostPosterSheets || rows > MostPosterSheets || columns * rows > MostPosterSheets)
        return plan;
    plan.Columns = int(columns);
    plan.Rows = int(rows);
    const std::int64_t stepX = plan.TileWidth - plan.Overlap, stepY = plan.TileHeight - plan.Overlap;
    for (int row = 0; row < plan.Rows; ++row)
        for (int column = 0; column < plan.Columns; ++column) {
            TPosterSheet sheet;
            sheet.Row = row;
            sheet.Column = column;
            sheet.PictureLeft = plan.TileLeft - column * stepX;
            sheet.PictureTop = plan.TileTop - row * stepY;
            if (column > 0)
                sheet.CutX.push_back(plan.TileLeft + plan.Overlap);
            if (column + 1 < plan.Columns)
                sheet.CutX.push_back(plan.TileLeft + plan.TileWidth - plan.Overlap);
            if (row > 0)
                sheet.CutY.push_back(plan.TileTop + plan.Overlap);
            if (row + 1 < plan.Rows)
                sheet.CutY.push_back(plan.TileTop + plan.TileHeight - plan.Overlap);
            sheet.Label = std::to_string(row + 1) + ", " + std::to_string(column + 1);
            plan.Sheets.push_back(std::move(sheet));
        }
    return plan;
}

} // namespace orvanto
