#pragma once

// HEIC, HEIF and AVIF (.HEIC, .HEIF, .AVIF) through libheif, into a 24-bit
// blue-green-red picture.
//
// The primary image is read, with the rotation, mirror and crop the file
// records (irot, imir, clap) applied; alpha is laid over white and deeper
// samples are reduced to 8 bits. An embedded ICC profile (colr) is turned
// into sRGB.
//
// The size is checked before any decoding: too large fails with "Out of
// memory"; a file whose coding no installed decoder reads with "Unsupported
// format"; a damaged or truncated file with "Unknown format".

#include "imaging/load_progress.h"

#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace orvanto {

// progress, when set, hears rising whole percents where the file is made of
// tiles (as cameras write them), and 100 at the end.
bool ReadHeif(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress = {});
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadHeifFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress = {});

// The file's own thumbnail as a quick copy while the whole picture decodes:
// of the thumbnails whose shape is the picture's, the smallest that reaches
// need's answer, else the largest (a HEIC decodes slowly, and a soft copy
// beats an empty window). need is told the upright full size, which
// fullSize receives. Turned, mirrored and colour-managed as the picture is.
// False, with a null picture, for files without a fitting thumbnail.
using THeifPreviewNeed = std::function<QSize(QSize fullSize)>;
bool ReadHeifPreview(const std::uint8_t* data, std::size_t size, const THeifPreviewNeed& need, QImage& picture,
                     QSize& fullSize);
bool ReadHeifPreviewFile(const std::string& path, const THeifPreviewNeed& need, QImage& picture, QSize& fullSize);

} // namespace orvanto
