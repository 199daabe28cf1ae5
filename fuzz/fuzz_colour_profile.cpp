#include "imaging/colour/colour_profile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace orvanto;

// The input is an ICC profile as a file would embed it. Whatever it holds,
// converting a picture through it either works or leaves the picture as it
// was; CMYK rows through it are written in full or not at all.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray profile(reinterpret_cast<const char*>(data), qsizetype(size));
    QImage picture(17, 5, QImage::Format_BGR888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 15, y * 60, (x * y * 7) & 255));
    const QImage before = picture.copy();
    if (!ConvertToSrgb(picture, profile) && picture != before)
        __builtin_trap();

    if (auto cmyk = TCmykToSrgb::Make(profile, size > 0 && (data[0] & 1))) {
        std::uint8_t samples[8 * 4];
        for (std::size_t i = 0; i < sizeof samples; ++i)
            samples[i] = std::uint8_t(i * 37);
        std::uint8_t bgr[8 * 3 + 1];
        std::memset(bgr, 0xA5, sizeof bgr);
        cmyk->Convert(samples, sizeof samples, bgr, sizeof bgr, 8, 1);
        if (bgr[sizeof bgr - 1] != 0xA5)
            __builtin_trap();
    }
    return 0;
}
