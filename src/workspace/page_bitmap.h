#pragma once

// The page bitmap of a print job: the whole printable page at the size the
// memory budget allows, filled with the page colour, the picture drawn into
// the place the layout gave it.

#include "raster/resampler.h"

#include <QImage>

#include <cstdint>

namespace orvanto {

// Narrows width (never below 1) until a 24-bit bitmap of width x height,
// rows padded to 4 bytes, takes at most budget bytes.
void FitPageBitmap(int& width, int& height, std::int64_t budget);

// A width x height 24-bit page of colour background (0x00BBGGRR) with the
// picture scaled into the rectangle (left, top, pictureWidth, pictureHeight)
// of the page, cut at the page's edges. A null image when memory runs out or
// watch stopped the drawing.
QImage DrawPageBitmap(const QImage& picture, int width, int height, int left, int top,
                      int pictureWidth, int pictureHeight, std::uint32_t background,
                      const TScaleWatch& watch = {});

} // namespace orvanto
