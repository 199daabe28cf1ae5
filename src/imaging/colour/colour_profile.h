#pragma once

// Colour management at load: a picture that carries an ICC profile is turned
// into sRGB once, so that the preview and the printed page show the same
// colours. A picture without a profile is taken as sRGB already.
//
// A profile that cannot be parsed or used is ignored: the picture keeps its
// samples as read, exactly as if the file had carried no profile.

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvanto {

// Converts picture (QImage::Format_BGR888) from the colours profile
// describes to sRGB, in place. False, with the picture untouched, when the
// profile is empty, damaged, or not one an RGB or grey picture can use.
// A grey profile maps each channel through its tone curve, so a grey
// picture (read as blue = green = red) stays grey. A profile that already
// describes sRGB changes nothing and counts as converted.
bool ConvertToSrgb(QImage& picture, const QByteArray& profile);

// CMYK samples through a CMYK profile into blue-green-red pixels, for the
// readers of CMYK files. Made once per picture, then used row by row.
class TCmykToSrgb {
public:
    // Null when the profile is empty, damaged or not a CMYK profile; the
    // caller then keeps its own conversion. inverted: the samples are the
    // amounts of light left (255 = no ink), as Adobe's JPEG writers store them.
    static std::unique_ptr<TCmykToSrgb> Make(const QByteArray& profile, bool inverted);
    ~TCmykToSrgb();
    TCmykToSrgb(const TCmykToSrgb&) = delete;
    TCmykToSrgb& operator=(const TCmykToSrgb&) = delete;

    // rows x width CMYK pixels (4 bytes each, rows cmykStride bytes apart)
    // into 3-byte blue-green-red pixels (rows bgrStride bytes apart).
    void Convert(const std::uint8_t* cmyk, std::size_t cmykStride, std::uint8_t* bgr, std::size_t bgrStride,
                 int width, int rows) const;

private:
    struct TEngine;
    explicit TCmykToSrgb(std::unique_ptr<TEngine> engine);
    std::unique_ptr<TEngine> FEngine;
};

} // namespace orvanto
