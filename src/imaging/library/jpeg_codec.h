#pragma once

// JPEG through libjpeg-turbo: decoding .JPG/.JIF files and JPEG payloads into
// 24-bit blue-green-red pictures, and encoding pictures at a chosen quality.
//
// Grayscale, colour, CMYK and inverted (Adobe) CMYK, baseline and
// progressive files are read. A file cut short shows what it holds and the
// rest white. libjpeg's errors fail the read with "Unknown format" (or
// "Out of memory" when it ran out of memory); its warnings are ignored.

#include "imaging/codecs/jpeg_encoder.h"
#include "imaging/load_progress.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class QIODevice;

namespace orvanto {

enum class TJpegOrientation {
    Upright, // turn the picture as its EXIF orientation tag says
    Stored,  // the raster as stored, tag ignored
};

// progress, when set, hears rising whole percents while the rows are
// decoded and 100 once the picture is complete. partial, when set, learns
// whether the data ended before the picture did.
bool ReadJpeg(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              TJpegOrientation orientation = TJpegOrientation::Upright, std::string* details = nullptr,
              const TLoadProgress& progress = {}, bool* partial = nullptr);
bool ReadJpeg(const QByteArray& bytes, QImage& picture, std::string& error,
              TJpegOrientation orientation = TJpegOrientation::Upright);
// Reads from the device's position to its end.
bool ReadJpeg(QIODevice& device, QImage& picture, std::string& error,
              TJpegOrientation orientation = TJpegOrientation::Upright);
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadJpegFile(const std::string& path, QImage& picture, std::string& error, std::string* details = nullptr,
                  const TLoadProgress& progress = {}, bool* partial = nullptr);

// A reduced copy for a first look while the full decode runs: libjpeg scales
// while it decodes, so 1/8 of the size costs a fraction of the full decode.
// need is told the upright full size and answers the smallest upright size
// the copy must reach; the copy is decoded at 1/8, 1/4 or 1/2, the smallest
// of those that still reaches it, and turned upright. fullSize receives the
// upright full size whenever the header could be read. False, with a null
// picture, when no reduction reaches the need (decode in full instead) or
// the file cannot be read.
using TJpegPreviewNeed = std::function<QSize(QSize fullSize)>;
bool ReadJpegPreview(const std::uint8_t* data, std::size_t size, const TJpegPreviewNeed& need, QImage& picture,
                     QSize& fullSize);
bool ReadJpegPreviewFile(const std::string& path, const TJpegPreviewNeed& need, QImage& picture, QSize& fullSize);

// Encodes the picture (EncodeJpeg) and writes it to path: "File in use" when
// the file cannot be opened, "Out of disk space" when not all of it was written.
bool SaveJpegFile(const QImage& picture, int quality, const std::string& path, std::string& error);

} // namespace orvanto
