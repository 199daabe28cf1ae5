#pragma once

#include "imaging/metafile_bytes.h"

#include <QImage>

#include <vector>

// Device-independent bitmaps as metafiles carry them: a header with its
// colour table, and the pixel bits (together in a packed bitmap, apart in
// enhanced-metafile records). Every size is checked against the bytes that
// are really there and against the allocation ceiling.

enum class TDibColours { Rgb, PaletteIndices };

// The bitmap as 32-bit ARGB, top row first; a null image when the header or
// the bits are unsound. With keepAlpha false every pixel is opaque (the
// fourth byte of 32-bit pixels is padding unless a record says otherwise).
QImage DecodeDib(const TMetaBytes& info, const TMetaBytes& bits, TDibColours colours,
                 const std::vector<QRgb>& palette, bool keepAlpha = false);

// A packed bitmap: header, colour table and bits in one block.
QImage DecodePackedDib(const TMetaBytes& packed, TDibColours colours,
                       const std::vector<QRgb>& palette);

// The bytes of header and colour table at the start of a packed bitmap; 0
// when the header is unsound.
std::size_t DibInfoSize(const TMetaBytes& info, TDibColours colours);
