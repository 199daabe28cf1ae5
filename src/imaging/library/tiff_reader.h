#pragma once

// TIFF (.TIF, .TIFF) through libtiff, into a 24-bit blue-green-red picture.
//
// The first page is read: 1 to 16 bits a sample; bilevel, grey, RGB,
// palette, YCbCr and CMYK (CMYK by the plain formula, without its profile);
// stripped or tiled; uncompressed, PackBits, LZW, Deflate, JPEG and the fax
// codes. Alpha is laid over white, 16-bit samples are rounded to 8 bits, an
// embedded ICC profile is turned into sRGB and the orientation tag applied.
//
// The size is checked before any decoding: too large fails with "Out of
// memory"; a layout libtiff cannot turn into colour with "Unsupported
// format"; a damaged header with "Unknown format". Data cut short shows the
// rows it holds and the rest white.

#include "imaging/load_progress.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

// progress, when set, hears rising whole percents as the rows are decoded.
bool ReadTiff(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress = {});
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadTiffFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress = {});

} // namespace orvanto
