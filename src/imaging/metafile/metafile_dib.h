#pragma once

#include "imaging/metafile/metafile_bytes.h"

#include <QImage>
#include <QRectF>

#include <vector>

namespace orvanto {

// Bitmaps of drawing records, decoded by the shared bitmap reader. Records
// either carry a packed bitmap or keep its header (with the colour table)
// and its bits in two blocks of their own.

enum class TDibColours { Rgb, PaletteIndices };

// The bitmap, or a null image when the header or the bits are unsound.
// With PaletteIndices the colour table indexes palette (the default one of
// twenty colours when none is selected). With keepAlpha the picture keeps
// the fourth byte of 32-bit pixels as its alpha; otherwise every pixel is
// opaque.
QImage DecodeDib(const TMetaBytes& info, const TMetaBytes& bits, TDibColours colours,
                 const std::vector<QRgb>& palette, bool keepAlpha = false);

// A packed bitmap: header, colour table and bits in one block.
QImage DecodePackedDib(const TMetaBytes& packed, TDibColours colours, const std::vector<QRgb>& palette);

// Whether the bitmap's rows are stored bottom row first, the usual order:
// records then count their source rectangle from the bottom-left corner.
bool DibBottomUp(const TMetaBytes& info);

// The rectangle of a picture decoded top row first that a record's source
// rectangle names, counted from the bottom when the rows were stored so.
QRectF DibSource(const QRectF& source, const QImage& image, bool bottomUp);

// The twenty colours a device context starts with.
const std::vector<QRgb>& DefaultPalette();

} // namespace orvanto
