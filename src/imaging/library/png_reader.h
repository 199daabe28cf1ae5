#pragma once

// PNG (.PNG) through libpng, into a 24-bit blue-green-red picture.
//
// 1 to 16 bits a sample; palette, grey and colour, with an alpha channel, a
// transparent colour or neither; interlaced or not. Transparent parts are
// laid over white and 16-bit samples rounded to 8 bits; an embedded ICC
// profile (iCCP) is turned into sRGB and an EXIF orientation (eXIf) applied.
// The gamma and chromaticity chunks are left alone: many writers set them to
// sRGB's approximate values, and no other reader here applies them.
//
// The size in the header is checked before any decoding: a picture too large
// fails with "Out of memory"; a damaged file, or one that ends before its
// first row, with "Unknown format". Data cut short or damaged part-way shows
// the rows it holds and the rest white. The other chunks may make libpng
// hold at most a few megabytes each: a text chunk that claims gigabytes is
// skipped, not allocated.

#include "imaging/load_progress.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

// progress, when set, hears rising whole percents as the rows are decoded
// and 100 once the picture is complete. partial, when set, learns whether
// the data ended or broke before the last row.
bool ReadPng(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
             const TLoadProgress& progress = {}, bool* partial = nullptr);
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadPngFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress = {},
                 bool* partial = nullptr);

} // namespace orvanto
