#pragma once

// Where a picture lands inside a box of an exact printed size. When the
// picture's aspect differs from the box's, Fit scales it to lie wholly
// inside the box, centred, with white bands beside it, and Fill scales it to
// cover the box, printing the centre of the picture and cutting the rest.
// Either way the picture keeps its shape: an exact size never stretches.

#include <cstdint>

namespace orvanto {

struct TExactPlacement {
    std::int32_t BoxWidth = 0;   // the typed size, page pixels
    std::int32_t BoxHeight = 0;
    std::int32_t Width = 0;      // the picture drawn, page pixels
    std::int32_t Height = 0;
    std::int32_t OffsetX = 0;    // its left and top from the box's
    std::int32_t OffsetY = 0;
    // The part of the picture that prints, in picture pixels: all of it
    // unless Fill cuts the sides or the top and bottom.
    std::int32_t SourceLeft = 0;
    std::int32_t SourceTop = 0;
    std::int32_t SourceWidth = 0;
    std::int32_t SourceHeight = 0;
};

// Hundredths of a millimetre at the printer's dots per inch, in page pixels.
std::int32_t SizeToPagePixels(std::int32_t hundredths, int dpi);

TExactPlacement PlaceExactSize(std::int32_t sizeX, std::int32_t sizeY, int dpiX, int dpiY,
                               std::int32_t pictureWidth, std::int32_t pictureHeight, bool fill);

// True when a picture of pictureWidth x pictureHeight pixels printed
// printedWidth x printedHeight (any one length unit) comes out more than 1 %
// wider or taller than its own shape.
bool Stretched(long double pictureWidth, long double pictureHeight, long double printedWidth,
               long double printedHeight);

} // namespace orvanto
