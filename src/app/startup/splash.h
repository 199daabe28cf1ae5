#pragma once

// The splash window shown while the program starts, which is also the
// about box.

#include <QImage>

#include <memory>
#include <string>

namespace orvanto {

class TCompactSplash;

inline constexpr int SplashWidth = 510;
inline constexpr int SplashHeight = 310;

// The splash window configured as the program shows it: title, version,
// black bold 8-point text, margins 10 and 10.
std::unique_ptr<TCompactSplash> CreateSplash();

// The picture centred on a white 510 x 310 canvas with its top at y = 21
// and a one-pixel black frame round the canvas.
QImage FrameSplashPicture(const QImage& picture);

// Unpacks "A.BMP" from the archive the carrier holds and gives it, framed,
// to the splash, which is shown unless the command line has an argument.
// The carrier is shrunk to 1 x 1 pixel: its pixels are no longer needed.
// No archive, or none with "A.BMP": true, no splash. An "A.BMP" that cannot
// be unpacked or read: false with the archive's (or reader's) message.
bool PrepareSplashPicture(QImage& carrier, TCompactSplash& splash, bool hasArgument,
                          std::string& lastError);

} // namespace orvanto
