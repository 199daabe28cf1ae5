#pragma once

// WebP (.WEBP) through libwebp, into a 24-bit blue-green-red picture.
//
// Lossy and lossless files, with or without alpha (laid over white); of an
// animation, the first frame as it shows on its canvas. An embedded ICC
// profile (ICCP) is turned into sRGB and an EXIF orientation applied.
//
// The size is checked before any decoding: too large fails with "Out of
// memory"; a damaged header with "Unknown format". A still picture cut short
// shows the rows it holds and the rest white.

#include "imaging/load_progress.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

// progress, when set, hears rising whole percents as the rows are decoded.
bool ReadWebp(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress = {});
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadWebpFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress = {});

} // namespace orvanto
