#pragma once

// A picture larger than the paper, printed over several sheets. Each sheet
// keeps a border inside its printable area for its cut marks and its
// "row, column" label, so neither ever covers the picture; the rest (the
// tile) shows its part of the picture. Neighbouring tiles share a strip of
// the picture as wide as the overlap, for gluing; each sheet marks, in its
// border, where that strip begins from its side. All lengths are printer
// pixels on the printable area of one sheet.

#include <cstdint>
#include <string>
#include <vector>

namespace orvanto {

struct TPosterSheet {
    int Row = 0;    // from 0, top to bottom
    int Column = 0; // from 0, left to right
    // The whole picture's top left on this sheet (negative beyond the
    // first): the sheet prints the part of it inside the tile.
    std::int64_t PictureLeft = 0;
    std::int64_t PictureTop = 0;
    // Where the overlap with a neighbour begins: x of the vertical marks,
    // y of the horizontal ones, on this sheet.
    std::vector<std::int64_t> CutX;
    std::vector<std::int64_t> CutY;
    std::string Label; // "row, column", counted from 1
};

struct TPosterPlan {
    // The tile: the printable area less the border on every side.
    std::int64_t TileLeft = 0;
    std::int64_t TileTop = 0;
    std::int64_t TileWidth = 0;
    std::int64_t TileHeight = 0;
    std::int64_t Overlap = 0;
    bool OverlapClamped = false; // asked for at least a tile: half a tile is used
    int Rows = 0;
    int Columns = 0;
    std::vector<TPosterSheet> Sheets; // row by row
};

// Plans are refused (no sheets) beyond this many: no one glues them.
inline constexpr std::int64_t MostPosterSheets = 10000;

// True when a picture of that size needs more than one sheet.
bool NeedsPoster(std::int64_t pictureWidth, std::int64_t pictureHeight, std::int64_t pageWidth,
                 std::int64_t pageHeight);

// The sheets for a picture of pictureWidth x pictureHeight on pages of
// pageWidth x pageHeight with the border on each side. An overlap of at
// least the tile's smaller side is clamped to half of it (OverlapClamped).
// No sheets when the page leaves no tile or the plan would exceed
// MostPosterSheets.
TPosterPlan PlanPoster(std::int64_t pictureWidth, std::int64_t pictureHeight, std::int64_t pageWidth,
                       std::int64_t pageHeight, std::int64_t overlap, std::int64_t border);

} // namespace orvanto
