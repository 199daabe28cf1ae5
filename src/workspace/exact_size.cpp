#include "workspace/exact_size.h"

#include "workspace/page_layout.h"

#include <algorithm>
#include <cmath>

namespace orvanto {

std::int32_t SizeToPagePixels(std::int32_t hundredths, int dpi)
{
    return Round((long double)hundredths * dpi / 2540);
}

TExactPlacement PlaceExactSize(std::int32_t sizeX, std::int32_t sizeY, int dpiX, int dpiY,
                               std::int32_t pictureWidth, std::int32_t pictureHeight, bool fill)
{
    TExactPlacement place;
    place.BoxWidth = SizeToPagePixels(sizeX, dpiX);
    place.BoxHeight = SizeToPagePixels(sizeY, dpiY);
    place.Width = place.BoxWidth;
    place.Height = place.BoxHeight;
    place.SourceWidth = pictureWidth;
    place.SourceHeight = pictureHeight;
    if (pictureWidth < 1 || pictureHeight < 1 || sizeX < 1 || sizeY < 1)
        return place;
    // Aspects compared on paper (hundredths), so unequal printer
    // resolutions do not count as a difference.
    const long double box = (long double)sizeX / sizeY;
    const long double picture = (long double)pictureWidth / pictureHeight;
    if (Round(picture * place.BoxHeight * dpiX / dpiY) == place.BoxWidth)
        return place;
    const bool boxWider = box > picture;
    if (fill) {
        // The centre of the picture in the box's shape.
        if (boxWider) {
            place.SourceHeight = std::max<std::int32_t>(1, Round(pictureWidth / box));
            place.SourceTop = std::int32_t(Halve(pictureHeight - place.SourceHeight));
        } else {
            place.SourceWidth = std::max<std::int32_t>(1, Round(pictureHeight * box));
            place.SourceLeft = std::int32_t(Halve(pictureWidth - place.SourceWidth));
        }
        return place;
    }
    if (boxWider)
        place.Width = Round((long double)place.BoxHeight * picture * dpiX / dpiY);
    else
        place.Height = Round((long double)place.BoxWidth / picture * dpiY / dpiX);
    place.OffsetX = std::int32_t(Halve(place.BoxWidth - place.Width));
    place.OffsetY = std::int32_t(Halve(place.BoxHeight - place.Height));
    return place;
}

bool Stretched(long double pictureWidth, long double pictureHeight, long double printedWidth,
               long double printedHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || printedWidth <= 0 || printedHeight <= 0)
        return false;
    const long double ratio = (printedWidth / printedHeight) / (pictureWidth / pictureHeight);
    return std::fabs(ratio - 1) > 0.01L;
}

} // namespace orvanto
