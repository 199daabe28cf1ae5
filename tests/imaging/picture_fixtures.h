#pragma once

// Helpers of the imaging tests: pictures to feed the generator tools, running
// those tools, and comparing pixels.

#include <QByteArray>
#include <QImage>

#include <string>

namespace orvanto {

// Runs a shell command; its exit status (127 when the program is missing, so
// a test that needs a generator fails rather than passes without it).
int RunCommand(const std::string& command);

// Writes a binary PPM of width x height using `colours` distinct colours
// (0 = a smooth gradient with thousands of colours).
void WriteSourcePpm(const std::string& path, int width, int height, int colours);

// The largest difference of any channel between two pictures of the same
// size, or 256 when the sizes differ; where names the first such pixel.
int LargestDifference(const QImage& a, const QImage& b, std::string& where);

// A picture read by Qt's own readers (PPM, PNG, BMP), as 32-bit RGB.
QImage LoadWithQt(const std::string& path);

// A picture with alpha laid over white, as 32-bit RGB.
QImage OverWhite(const QImage& picture);

// Display P3 as phones write it: P3's primaries, D65 white and sRGB's tone
// curve, an ICC profile made by LittleCMS. Empty when it could not be made.
QByteArray DisplayP3Profile();
// sRGB's primaries and white under a plain 2.2 power curve.
QByteArray SrgbPrimariesGamma22Profile();

} // namespace orvanto
