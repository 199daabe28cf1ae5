#pragma once

// The standard photo sizes offered beside the size boxes, and how one is
// turned to lie the way the picture does.

#include <cstdint>
#include <utility>

namespace orvanto {

struct TPhotoSize {
    const char* Name;          // as listed, e.g. "10 x 15 cm"
    std::int32_t ShortSide;    // hundredths of a millimetre
    std::int32_t LongSide;
};

inline constexpr int PhotoSizeCount = 10;
extern const TPhotoSize PhotoSizes[PhotoSizeCount];

// Width and height of the size, the long side across for a picture wider
// than high, down otherwise. An index out of range gives (0, 0).
std::pair<std::int32_t, std::int32_t> PhotoSizeFor(int index, int pictureWidth, int pictureHeight);

} // namespace orvanto
