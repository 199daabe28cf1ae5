#pragma once

// GIF through Qt's own reader, into a 24-bit blue-green-red picture: the
// first frame of an animation, transparent parts laid over white. The size
// in the header is checked before any decoding: a picture too large fails
// with "Out of memory"; a damaged one with "Unknown format". A GIF cut short
// inside its first frame shows the rows Qt's reader decoded and the rest
// white.

#include "imaging/load_progress.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

// progress, when set, hears rising whole percents as the first frame's data
// is read and 100 once the picture is complete.
bool ReadGif(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
             const TLoadProgress& progress = {});
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadGifFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress = {});

} // namespace orvanto
