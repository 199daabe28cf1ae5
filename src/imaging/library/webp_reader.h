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
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace orvanto {

// progress, when set, hears rising whole percents as the rows are decoded.
bool ReadWebp(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress = {});
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadWebpFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress = {});

// A reduced copy of a still picture for a first look, scaled by libwebp as
// it decodes (no full-size picture is made): need is told the upright full
// size and answers the upright size the copy must reach. False when the copy
// would be more than half the full size on a side (decode in full instead),
// for animations, and for files that cannot be read.
bool ReadWebpPreview(const std::uint8_t* data, std::size_t size, const std::function<QSize(QSize)>& need,
                     QImage& picture, QSize& fullSize);
bool ReadWebpPreviewFile(const std::string& path, const std::function<QSize(QSize)>& need, QImage& picture,
                         QSize& fullSize);

} // namespace orvanto
