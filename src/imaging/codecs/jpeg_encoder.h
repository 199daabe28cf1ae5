#pragma once

// Encodes a picture as a complete JPEG file through libjpeg-turbo: for
// saving pictures, for the JPEG payloads of the optimised container and for
// the page images of a print job, so all three write the same bytes for the
// same picture and quality. Nothing throws; failure is a false result with
// "Out of memory" (the only way libjpeg fails on a valid picture).

#include <QByteArray>
#include <QImage>

#include <string>

namespace orvanto {

enum class TJpegChannels {
    Colour, // three channels
    Grey,   // one channel, taken from the blue sample: for pictures whose every pixel is grey
};

// quality 1..100 (values outside are held in that range); any format is
// converted to 24 bits first. bytes is empty on failure.
bool EncodeJpeg(const QImage& picture, int quality, QByteArray& bytes, std::string& error,
                TJpegChannels channels = TJpegChannels::Colour);

} // namespace orvanto
