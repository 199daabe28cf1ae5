#include "workspace/photo_sizes.h"

namespace orvanto {

namespace {

constexpr std::int32_t Cm(int cm) { return cm * 1000; }
constexpr std::int32_t Mm(int mm) { return mm * 100; }
// Hundredths of an inch to hundredths of a millimetre: exact, as 1 in is 25.4 mm.
constexpr std::int32_t In(int hundredthsOfInch) { return hundredthsOfInch * 254 / 10; }

} // namespace

const TPhotoSize PhotoSizes[PhotoSizeCount] = {
    {"9 × 13 cm", Cm(9), Cm(13)},      {"10 × 15 cm", Cm(10), Cm(15)},   {"13 × 18 cm", Cm(13), Cm(18)},
    {"15 × 20 cm", Cm(15), Cm(20)},    {"20 × 30 cm", Cm(20), Cm(30)},   {"3.5 × 5 in", In(350), In(500)},
    {"4 × 6 in", In(400), In(600)},    {"5 × 7 in", In(500), In(700)},   {"8 × 10 in", In(800), In(1000)},
    {"35 × 45 mm", Mm(35), Mm(45)},
};

std::pair<std::int32_t, std::int32_t> PhotoSizeFor(int index, int pictureWidth, int pictureHeight)
{
    if (index < 0 || index >= PhotoSizeCount)
        return {0, 0};
    const TPhotoSize& size = PhotoSizes[index];
    if (pictureWidth > pictureHeight)
        return {size.LongSide, size.ShortSide};
    return {size.ShortSide, size.LongSide};
}

} // namespace orvanto
